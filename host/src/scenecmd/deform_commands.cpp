// Deformer commands: newSkinCluster and newBindSkin (binding the selected
// joints and geometry), skinPercent, cluster and percent.
#include <cmath>

#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"
#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

bool isJoint(NodeId n)
{
    const Kind* k = store().kindOf(n);
    return k && k->isA(MFn::kJoint);
}

// What binding commands read: one option text at most, and the selection:
// the joints selected whole, in order, and the first other object with
// geometry (or components of one).
bool bindingArgs(const BoundArgs& args, std::vector<Path>& joints, Path& geometry, MStatus& status)
{
    if (args.positionals.size() > 1) {
        status = commandError("takes one option text");
        return false;
    }
    const SelectionData& sel = store().activeSelection();
    for (size_t i = 0; i < sel.size(); ++i) {
        const SelectionItem& it = sel.item(i);
        if (it.plug.attr || it.path.empty())
            continue;
        if (!it.component && isJoint(it.node))
            joints.push_back(it.path);
        else if (geometry.empty() && geometryShapeOf(it.node).valid())
            geometry = it.path;
    }
    if (joints.empty())
        status = commandError("Select the joints to bind to");
    else if (geometry.empty())
        status = commandError("Select the geometry to bind");
    else
        return true;
    return false;
}

const FlagSpec kNoFlags[] = {{"", "", "", 0}};

// newSkinCluster "OPTIONS": binds the selected geometry to the selected
// joints (influences 0 to n - 1, in selection order), each point at weight 1
// on its nearest joint.
MStatus runNewSkinCluster(const BoundArgs& args, CommandResult& result)
{
    std::vector<Path> joints;
    Path geometry;
    MStatus status;
    if (!bindingArgs(args, joints, geometry, status))
        return status;
    std::string error;
    const NodeId skin = createSkinCluster("", joints, geometry, true, &error);
    if (!skin.valid())
        return commandError("Cannot bind: " + error);
    result.setString(store().name(skin));
    return MStatus::kSuccess;
}

// The point components of a shape that hold the given point indices.
Ref<Component> pointsOf(NodeId shape, const std::vector<int>& points)
{
    const NurbsGeometry* surface = nurbsOf(shape);
    Ref<Component> c(new Component(surface ? MFn::kSurfaceCVComponent : MFn::kMeshVertComponent));
    for (int p : points) {
        if (surface)
            c->pairs.emplace_back(static_cast<int>(size_t(p) / surface->numV), static_cast<int>(size_t(p) % surface->numV));
        else
            c->single.push_back(p);
    }
    return c;
}

// newBindSkin "OPTIONS": each point of the selected geometry goes at weight
// 1 to the nearest selected joint (the first on ties); each joint so used
// gets a joint cluster of its points.
MStatus runNewBindSkin(const BoundArgs& args, CommandResult& result)
{
    std::vector<Path> joints;
    Path geometry;
    MStatus status;
    if (!bindingArgs(args, joints, geometry, status))
        return status;
    const NodeId shape = geometryShapeOf(geometry.back());
    Path shapePath = geometry;
    if (shapePath.back() != shape)
        shapePath.push_back(shape);
    const std::vector<int> nearest = nearestInfluences(shapePath, joints);
    std::vector<std::vector<int>> byJoint(joints.size());
    for (size_t p = 0; p < nearest.size(); ++p)
        byJoint[static_cast<size_t>(nearest[p])].push_back(static_cast<int>(p));
    std::vector<std::string> made;
    for (size_t j = 0; j < joints.size(); ++j) {
        if (byJoint[j].empty())
            continue;
        ClusterNodes nodes;
        std::string error;
        const SetMember member{shape, shapePath, pointsOf(shape, byJoint[j])};
        if (!createCluster(MFn::kJointCluster, "", joints[j], {member}, false, nodes, &error))
            return commandError("Cannot bind: " + error);
        made.push_back(store().name(nodes.cluster));
    }
    result.setStrings(made);
    return MStatus::kSuccess;
}

// Points named by texts (components, or whole shapes or transforms for
// every point), grouped by shape; with no text, those of the selection.
struct ShapePoints {
    NodeId shape;
    std::vector<size_t> points;
};

bool addPoints(const SelectionItem& it, std::vector<ShapePoints>& out, MStatus& status, const std::string& text)
{
    const NodeId shape = geometryShapeOf(it.node);
    if (!shape.valid() || it.plug.attr) {
        status = commandError("Not points of a geometry: " + text);
        return false;
    }
    ShapePoints sp{shape, {}};
    const NurbsGeometry* surface = nurbsOf(shape);
    if (!it.component) {
        for (long p = 0; p < pointCountOf(shape); ++p)
            sp.points.push_back(static_cast<size_t>(p));
    } else if (it.component->apiType() == MFn::kMeshVertComponent && !surface) {
        for (int i : it.component->single)
            sp.points.push_back(static_cast<size_t>(i));
    } else if (it.component->apiType() == MFn::kSurfaceCVComponent && surface) {
        for (const auto& uv : it.component->pairs)
            sp.points.push_back(size_t(uv.first) * surface->numV + size_t(uv.second));
    } else {
        status = commandError("Not points: " + text);
        return false;
    }
    out.push_back(sp);
    return true;
}

bool pointsNamed(const std::vector<std::string>& texts, std::vector<ShapePoints>& out, MStatus& status)
{
    out.clear();
    if (texts.empty()) {
        const SelectionData& sel = store().activeSelection();
        for (size_t i = 0; i < sel.size(); ++i)
            if (!addPoints(sel.item(i), out, status, nodeText(sel.item(i).node)))
                return false;
    } else {
        std::vector<Address> targets;
        if (!readAddresses(texts, targets, status))
            return false;
        for (size_t i = 0; i < targets.size(); ++i)
            if (!addPoints(itemOf(targets[i]), out, status, texts[i]))
                return false;
    }
    if (out.empty())
        status = commandError("No points given or selected");
    return !out.empty();
}

// The first positional as a node of the kind; the rest stay in rest.
bool deformerNamed(const BoundArgs& args, MFn::Type kind, NodeId& out, std::vector<std::string>& rest,
                   MStatus& status)
{
    if (args.positionals.empty()) {
        status = commandError("needs the deformer");
        return false;
    }
    Address a;
    if (!readAddress(args.positionals[0], a, status))
        return false;
    const Kind* k = store().kindOf(a.node);
    if (a.plug.attr || a.component || !k || !k->isA(kind)) {
        status = commandError("Not a " + std::string(kind == MFn::kSkinClusterFilter ? "skin cluster" : "cluster") +
                              ": " + args.positionals[0]);
        return false;
    }
    out = a.node;
    rest.assign(args.positionals.begin() + 1, args.positionals.end());
    return true;
}

const FlagSpec kSkinPercentFlags[] = {
    {"transformValue", "tv", "sd", FlagSpec::kMulti},
    {"normalize", "nrm", "b", 0},
};

// skinPercent [-tv JOINT W]... [-normalize B] SKIN [POINTS]: sets the
// weights given (nothing else changes), then with -normalize true scales
// each point's weights to sum 1 (points whose weights sum to 0 stay).
MStatus runSkinPercent(const BoundArgs& args, CommandResult&)
{
    NodeId skin;
    std::vector<std::string> texts;
    MStatus status;
    if (!deformerNamed(args, MFn::kSkinClusterFilter, skin, texts, status))
        return status;
    std::vector<std::pair<uint32_t, NodeId>> influences;
    skinInfluences(skin, influences);
    struct Setting {
        uint32_t influence;
        double weight;
    };
    std::vector<Setting> settings;
    for (const BoundArgs::Use* use : args.all("transformValue")) {
        Address a;
        if (!readAddress(use->values[0].text, a, status))
            return status;
        const double w = use->values[1].number;
        if (!(w >= 0.0 && w <= 1.0))
            return commandError("A weight lies in 0 to 1: " + use->values[1].text);
        bool found = false;
        for (const auto& inf : influences)
            if (inf.second == a.node) {
                settings.push_back({inf.first, w});
                found = true;
            }
        if (!found)
            return commandError("Not an influence of " + store().name(skin) + ": " + use->values[0].text);
    }
    const bool normalize = args.boolean("normalize");
    if (settings.empty() && !normalize)
        return MStatus::kSuccess;
    std::vector<ShapePoints> points;
    if (!pointsNamed(texts, points, status))
        return status;
    std::vector<long> inputs;
    for (const ShapePoints& sp : points) {
        inputs.push_back(deformerIndexOf(skin, sp.shape));
        if (inputs.back() < 0)
            return commandError(store().name(skin) + " does not deform " + nodeText(sp.shape));
    }
    SkinWeights* weights = skinWeightsOf(skin);
    for (size_t g = 0; g < points.size(); ++g) {
        const uint32_t k = static_cast<uint32_t>(inputs[g]);
        for (size_t p : points[g].points) {
            for (const Setting& st : settings)
                weights->setWeight(k, p, st.influence, st.weight);
            if (!normalize)
                continue;
            double sum = 0.0;
            for (uint32_t i : weights->influencesOf(k))
                sum += weights->weight(k, p, i);
            if (sum > 0.0)
                for (uint32_t i : weights->influencesOf(k))
                    weights->setWeight(k, p, i, weights->weight(k, p, i) / sum);
        }
    }
    return MStatus::kSuccess;
}

const FlagSpec kPercentFlags[] = {{"value", "v", "d", 0}};

// percent -v W CLUSTER [POINTS]: the weight of each point in the cluster;
// every point must be in the cluster's set.
MStatus runPercent(const BoundArgs& args, CommandResult&)
{
    if (!args.has("value"))
        return commandError("needs -v");
    const double w = args.number("value");
    if (!std::isfinite(w))
        return commandError("Not a weight: " + args.text("value"));
    NodeId cluster;
    std::vector<std::string> texts;
    MStatus status;
    if (!deformerNamed(args, MFn::kGeometryFilter, cluster, texts, status))
        return status;
    const Kind* kind = store().kindOf(cluster);
    if (!kind->isA(MFn::kCluster) && !kind->isA(MFn::kJointCluster))
        return commandError("Not a cluster: " + args.positionals[0]);
    std::vector<ShapePoints> points;
    if (!pointsNamed(texts, points, status))
        return status;
    double old = 0.0;
    for (const ShapePoints& sp : points)
        for (size_t p : sp.points)
            if (!clusterWeight(cluster, sp.shape, p, old))
                return commandError("Point " + std::to_string(p) + " of " + nodeText(sp.shape) +
                                    " is not in " + store().name(cluster));
    for (const ShapePoints& sp : points)
        for (size_t p : sp.points)
            setClusterWeight(cluster, sp.shape, p, w);
    return MStatus::kSuccess;
}

const FlagSpec kClusterFlags[] = {
    {"name", "n", "s", 0},          {"relative", "rel", "", 0},     {"before", "bf", "", 0},
    {"bindState", "bs", "i", 0},    {"weightedNode", "wn", "ss", 0},
};

// cluster -n N [-rel] -bf -bs B -wn A A [POINTS]: a cluster deforming the
// points named (or selected; none is allowed), its handle shape under A;
// the result is the cluster and A.
MStatus runCluster(const BoundArgs& args, CommandResult& result)
{
    MStatus status;
    Path weighted;
    if (args.has("weightedNode")) {
        Address a, b;
        if (!readAddress(args.text("weightedNode", 0), a, status) ||
            !readAddress(args.text("weightedNode", 1), b, status))
            return status;
        if (a.node != b.node || a.path.empty() || a.plug.attr || a.component ||
            !store().kindOf(a.node)->isA(MFn::kTransform))
            return commandError("-wn takes one transform twice");
        weighted = a.path;
    }
    std::vector<SetMember> members;
    if (!args.positionals.empty()) {
        std::vector<Address> targets;
        if (!readAddresses(args.positionals, targets, status))
            return status;
        for (const Address& a : targets)
            members.push_back(SetMember{a.node, a.path, a.component});
    } else {
        const SelectionData& sel = store().activeSelection();
        for (size_t i = 0; i < sel.size(); ++i)
            if (!sel.item(i).plug.attr)
                members.push_back(SetMember{sel.item(i).node, sel.item(i).path, sel.item(i).component});
    }
    ClusterNodes nodes;
    std::string error;
    if (!createCluster(MFn::kCluster, args.text("name"), weighted, members, args.has("relative"), nodes, &error))
        return commandError("Cannot make the cluster: " + error);
    NodeStore& s = store();
    const NodeId handle = weighted.empty() ? s.parents(nodes.handle)[0] : weighted.back();
    result.setStrings({s.name(nodes.cluster), nodeText(handle)});
    return MStatus::kSuccess;
}

const CommandSpec kDeformCommands[] = {
    {"newSkinCluster", kNoFlags, 0, runNewSkinCluster, nullptr},
    {"newBindSkin", kNoFlags, 0, runNewBindSkin, nullptr},
    {"skinPercent", kSkinPercentFlags, 2, runSkinPercent, nullptr},
    {"percent", kPercentFlags, 1, runPercent, nullptr},
    {"cluster", kClusterFlags, sizeof kClusterFlags / sizeof kClusterFlags[0], runCluster, nullptr},
};

} // namespace

void registerDeformCommands(Interpreter& interp)
{
    addCommands(interp, kDeformCommands);
}

} // namespace vesk
