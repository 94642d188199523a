// Deformers: wiring on shapes, skin weights, and the creators of clusters,
// skin clusters and bind poses.
#include <algorithm>
#include <limits>
#include <memory>

#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"

namespace vesk {
namespace {

PlugKey keyOf(NodeId node, const char* name, uint32_t index = kUnsetIndex)
{
    PlugKey k;
    k.attr = store().findAttribute(node, name);
    if (k.attr && index != kUnsetIndex)
        k.idx[0] = index;
    return k;
}

bool isDeformer(NodeId n)
{
    const Kind* k = store().kindOf(n);
    return k && k->isA(MFn::kGeometryFilter);
}

bool isShape(NodeId n)
{
    return geometryInputName(n) != nullptr;
}

// The deformer and input index a plug belongs to when it is an
// "inputGeometry" plug of a deformer.
bool deformerInput(const PlugRef& p, uint32_t& index)
{
    if (!isDeformer(p.node) || p.key.attr != store().findAttribute(p.node, "inputGeometry"))
        return false;
    index = p.key.idx[0];
    return true;
}

// Follows a chain of deformers upstream from input k of a deformer to the
// geometry that feeds it. Each deformer is met once.
NodeId upstreamGeometry(NodeId deformer, uint32_t k)
{
    for (size_t guard = 0; guard < 4096; ++guard) {
        PlugRef src;
        if (!store().sourceOf(PlugRef{deformer, keyOf(deformer, "inputGeometry", k)}, src))
            return NodeId();
        if (!isDeformer(src.node))
            return isShape(src.node) ? src.node : NodeId();
        deformer = src.node;
        k = src.key.idx[0];
    }
    return NodeId();
}

// Follows a chain of deformers downstream from output k of a deformer to
// the shape it reaches.
NodeId downstreamShape(NodeId deformer, uint32_t k)
{
    for (size_t guard = 0; guard < 4096; ++guard) {
        std::vector<PlugRef> dsts;
        store().destinationsOf(PlugRef{deformer, keyOf(deformer, "outputGeometry", k)}, dsts);
        NodeId next;
        uint32_t nextIndex = 0;
        for (const PlugRef& d : dsts) {
            if (isShape(d.node))
                return d.node;
            if (deformerInput(d, nextIndex))
                next = d.node;
        }
        if (!next.valid())
            return NodeId();
        deformer = next;
        k = nextIndex;
    }
    return NodeId();
}

// outputGeometry[k] gives what input[k].inputGeometry holds: nothing is
// deformed.
bool deformerOutput(NodeStore& s, NodeId n, const PlugKey& key, Value& out)
{
    const uint32_t k = key.idx[key.attr->ownLevel()];
    if (k == kUnsetIndex)
        return false;
    return static_cast<bool>(s.readValue(n, keyOf(n, "inputGeometry", k), out)) && out.kind == Value::kData;
}

MMatrix worldMatrix(const Path& p)
{
    return store().inclusiveMatrix(p);
}

void writeMatrix(NodeId node, const PlugKey& key, const MMatrix& m)
{
    store().writeValue(node, key, Value::ofData(Ref<RefObject>(new MatrixData(m))));
}

// The shape a path stands for: its node, or a transform's first shape.
NodeId shapeOfPath(const Path& p)
{
    return p.empty() || !store().pathValid(p) ? NodeId() : geometryShapeOf(p.back());
}

Path pathToShape(const Path& p, NodeId shape)
{
    Path out = p;
    if (out.back() != shape)
        out.push_back(shape);
    return out;
}

// A deformer about to be deleted leaves its chain closed: what fed each
// input feeds what its output fed.
void spliceOut(NodeId n)
{
    if (!isDeformer(n))
        return;
    NodeStore& s = store();
    std::vector<uint32_t> indices;
    s.logicalIndices(n, keyOf(n, "input"), indices);
    for (uint32_t k : indices) {
        PlugRef src;
        if (!s.sourceOf(PlugRef{n, keyOf(n, "inputGeometry", k)}, src))
            continue;
        const PlugRef out{n, keyOf(n, "outputGeometry", k)};
        std::vector<PlugRef> dsts;
        s.destinationsOf(out, dsts);
        for (const PlugRef& d : dsts) {
            s.disconnect(out, d);
            s.connect(src, d);
        }
    }
}

bool fail(std::string* error, const char* why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

long attachDeformer(NodeId deformer, NodeId shape, MStatus* status)
{
    NodeStore& s = store();
    auto failed = [&]() {
        if (status)
            *status = MStatus::kInvalidParameter;
        return -1L;
    };
    if (!isDeformer(deformer) || !isShape(shape) || s.parents(shape).empty() || deformerIndexOf(deformer, shape) >= 0)
        return failed();
    static const size_t splicing = s.addDeletionListener(spliceOut);
    (void)splicing;
    std::vector<uint32_t> used;
    s.logicalIndices(deformer, keyOf(deformer, "input"), used);
    const uint32_t k = used.empty() ? 0 : used.back() + 1;

    const PlugRef shapeIn{shape, keyOf(shape, geometryInputName(shape))};
    PlugRef upstream;
    if (s.sourceOf(shapeIn, upstream)) {
        s.disconnect(upstream, shapeIn);
    } else {
        const NodeId orig = s.createNode(s.kindOf(shape), s.name(shape) + "Orig", s.parents(shape)[0]);
        if (!orig.valid())
            return failed();
        s.setIntermediate(orig, true);
        if (MeshGeometry* m = meshOf(shape))
            setGeometryOf(orig, m->copy());
        else if (NurbsGeometry* n = nurbsOf(shape))
            setGeometryOf(orig, n->copy());
        upstream = PlugRef{orig, keyOf(orig, geometryOutputName(orig))};
    }
    s.connect(upstream, PlugRef{deformer, keyOf(deformer, "inputGeometry", k)});
    s.connect(PlugRef{deformer, keyOf(deformer, "outputGeometry", k)}, shapeIn);
    const NodeId group = s.createNode("groupId", "groupId1", NodeId());
    s.connect(PlugRef{group, keyOf(group, "groupId")}, PlugRef{deformer, keyOf(deformer, "groupId", k)});
    if (status)
        *status = MStatus::kSuccess;
    return static_cast<long>(k);
}

void deformerInputs(NodeId deformer, std::vector<std::pair<uint32_t, NodeId>>& out)
{
    out.clear();
    if (!isDeformer(deformer))
        return;
    std::vector<uint32_t> indices;
    store().logicalIndices(deformer, keyOf(deformer, "input"), indices);
    for (uint32_t k : indices) {
        const NodeId g = upstreamGeometry(deformer, k);
        if (g.valid())
            out.emplace_back(k, g);
    }
}

void deformerOutputs(NodeId deformer, std::vector<std::pair<uint32_t, NodeId>>& out)
{
    out.clear();
    if (!isDeformer(deformer))
        return;
    std::vector<uint32_t> indices;
    store().logicalIndices(deformer, keyOf(deformer, "outputGeometry"), indices);
    for (uint32_t k : indices) {
        const NodeId g = downstreamShape(deformer, k);
        if (g.valid())
            out.emplace_back(k, g);
    }
}

long deformerIndexOf(NodeId deformer, NodeId shape)
{
    std::vector<std::pair<uint32_t, NodeId>> outputs;
    deformerOutputs(deformer, outputs);
    for (const auto& o : outputs)
        if (o.second == shape)
            return static_cast<long>(o.first);
    return -1;
}

NodeId deformerOfSet(NodeId set)
{
    NodeStore& s = store();
    if (!setOf(set))
        return NodeId();
    for (uint32_t id : s.connectionsOf(set)) {
        if (id == kNoConnection)
            continue;
        const Connection& c = s.connection(id);
        if (c.live && c.dst.node == set && isDeformer(c.src.node) &&
            c.src.key.attr == s.findAttribute(c.src.node, "message"))
            return c.src.node;
    }
    return NodeId();
}

void deformAddedMembers(NodeId set, const std::vector<SetMember>& members)
{
    const NodeId deformer = deformerOfSet(set);
    if (!deformer.valid())
        return;
    for (const SetMember& m : members) {
        const NodeId shape = shapeOfPath(m.path);
        if (!shape.valid() || deformerIndexOf(deformer, shape) >= 0)
            continue;
        const long k = attachDeformer(deformer, shape, nullptr);
        const PlugKey geom = keyOf(deformer, "geomMatrix", k < 0 ? 0 : static_cast<uint32_t>(k));
        if (k >= 0 && geom.attr && geom.attr->array)
            writeMatrix(deformer, geom, worldMatrix(pathToShape(m.path, shape)));
    }
}

NodeId deformerSetOf(NodeId deformer)
{
    if (!isDeformer(deformer))
        return NodeId();
    std::vector<PlugRef> dsts;
    store().destinationsOf(PlugRef{deformer, keyOf(deformer, "message")}, dsts);
    for (const PlugRef& d : dsts)
        if (setOf(d.node))
            return d.node;
    return NodeId();
}

// ---- Skin weights ---------------------------------------------------------------------

size_t SkinWeights::pointCount(uint32_t geometry) const
{
    auto it = mGeometries.find(geometry);
    return it == mGeometries.end() ? 0 : it->second.points;
}

void SkinWeights::setPointCount(uint32_t geometry, size_t count)
{
    Geometry& g = mGeometries[geometry];
    g.points = count;
    for (auto& w : g.byInfluence)
        w.second.resize(count, 0.0);
}

double SkinWeights::weight(uint32_t geometry, size_t point, uint32_t influence) const
{
    auto g = mGeometries.find(geometry);
    if (g == mGeometries.end())
        return 0.0;
    auto w = g->second.byInfluence.find(influence);
    return w == g->second.byInfluence.end() || point >= w->second.size() ? 0.0 : w->second[point];
}

void SkinWeights::setWeight(uint32_t geometry, size_t point, uint32_t influence, double w)
{
    Geometry& g = mGeometries[geometry];
    if (point >= g.points)
        return;
    std::vector<double>& list = g.byInfluence[influence];
    list.resize(g.points, 0.0);
    list[point] = w;
}

std::vector<uint32_t> SkinWeights::geometries() const
{
    std::vector<uint32_t> out;
    for (const auto& g : mGeometries)
        out.push_back(g.first);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<uint32_t> SkinWeights::influencesOf(uint32_t geometry) const
{
    std::vector<uint32_t> out;
    auto g = mGeometries.find(geometry);
    if (g != mGeometries.end())
        for (const auto& w : g->second.byInfluence)
            out.push_back(w.first);
    std::sort(out.begin(), out.end());
    return out;
}

SkinWeights* skinWeightsOf(NodeId skin)
{
    const Kind* k = store().kindOf(skin);
    return k && k->isA(MFn::kSkinClusterFilter) ? static_cast<SkinWeights*>(store().payload(skin)) : nullptr;
}

void skinInfluences(NodeId skin, std::vector<std::pair<uint32_t, NodeId>>& out)
{
    out.clear();
    if (!skinWeightsOf(skin))
        return;
    std::vector<uint32_t> indices;
    store().logicalIndices(skin, keyOf(skin, "matrix"), indices);
    for (uint32_t i : indices) {
        PlugRef src;
        if (store().sourceOf(PlugRef{skin, keyOf(skin, "matrix", i)}, src))
            out.emplace_back(i, src.node);
    }
}

// ---- Creators ----------------------------------------------------------------------------

namespace {

// Members grouped by shape: the shape's path and the point components
// (null for all points).
struct ShapeMembers {
    NodeId shape;
    Path path;
    Ref<Component> points;
};

bool groupByShape(const std::vector<SetMember>& members, std::vector<ShapeMembers>& out, std::string* error)
{
    for (const SetMember& m : members) {
        const NodeId shape = shapeOfPath(m.path);
        if (!shape.valid())
            return fail(error, "a member has no geometry");
        const MFn::Type pointType =
            meshOf(shape) ? MFn::kMeshVertComponent : MFn::kSurfaceCVComponent;
        int count = -1, countV = -1;
        store().kindOf(shape)->componentExtent(store(), shape, pointType, count, countV);
        Ref<Component> points(new Component(pointType));
        if (!m.component) {
            points->complete = true;
            points->completeCount = count;
            points->completeCountV = countV;
        } else {
            if (m.component->apiType() != pointType)
                return fail(error, "a member's components are not its points");
            for (int i : m.component->single)
                if (i < 0 || i >= count)
                    return fail(error, "a member's point is past its geometry");
            for (const auto& p : m.component->pairs)
                if (p.first < 0 || p.first >= count || p.second < 0 || p.second >= countV)
                    return fail(error, "a member's point is past its geometry");
            points->single = m.component->single;
            points->pairs = m.component->pairs;
            points->complete = m.component->complete;
            points->completeCount = m.component->completeCount;
            points->completeCountV = m.component->completeCountV;
        }
        auto same = std::find_if(out.begin(), out.end(), [&](const ShapeMembers& s) { return s.shape == shape; });
        if (same == out.end()) {
            out.push_back(ShapeMembers{shape, pathToShape(m.path, shape), points});
        } else if (!same->points->complete) {
            if (points->complete)
                same->points = points;
            else
                same->points->merge(*points);
        }
    }
    return true;
}

} // namespace

MStatus createCluster(MFn::Type kind, const std::string& name, const Path& weighted,
                      const std::vector<SetMember>& members, bool relative, ClusterNodes& out, std::string* error)
{
    NodeStore& s = store();
    std::vector<ShapeMembers> shapes;
    if ((kind != MFn::kCluster && kind != MFn::kJointCluster) ||
        (!weighted.empty() && !s.pathValid(weighted)) || !groupByShape(members, shapes, error))
        return MStatus::kInvalidParameter;
    out = ClusterNodes();
    out.cluster = s.createNode(s.kind(kind), name, NodeId());
    const std::string base = s.name(out.cluster);
    out.set = createSet(base + "Set", 0, nullptr);
    s.connect(PlugRef{out.cluster, keyOf(out.cluster, "message")}, PlugRef{out.set, keyOf(out.set, "usedBy", 0)});

    NodeId handleParent = weighted.empty() ? s.createNode("transform", base + "Handle", NodeId()) : weighted.back();
    out.handle = s.createNode("clusterHandle", base + "HandleShape", handleParent);
    s.connect(PlugRef{out.handle, keyOf(out.handle, "clusterTransforms", 0)},
              PlugRef{out.cluster, keyOf(out.cluster, "clusterXforms")});
    const MMatrix weightedWorld = weighted.empty() ? MMatrix() : worldMatrix(weighted);
    writeMatrix(out.cluster, keyOf(out.cluster, "bindPreMatrix"), weightedWorld.inverse());
    writeMatrix(out.cluster, keyOf(out.cluster, "matrix"), weightedWorld);
    s.writeValue(out.cluster, keyOf(out.cluster, "relative"), Value::ofNumber(relative ? 1.0 : 0.0));

    std::vector<SetMember> held;
    for (const ShapeMembers& m : shapes) {
        const long k = attachDeformer(out.cluster, m.shape, nullptr);
        if (k < 0)
            continue;
        writeMatrix(out.cluster, keyOf(out.cluster, "geomMatrix", static_cast<uint32_t>(k)), worldMatrix(m.path));
        held.push_back(SetMember{m.shape, m.path, m.points});
    }
    addSetMembers(out.set, held, false);
    return MStatus::kSuccess;
}

namespace {

// The weight plug of a cluster's point, when the point is a member.
bool clusterWeightKey(NodeId cluster, NodeId shape, size_t point, PlugKey& out)
{
    const Kind* k = store().kindOf(cluster);
    if (!k || !(k->isA(MFn::kCluster) || k->isA(MFn::kJointCluster)))
        return false;
    const long input = deformerIndexOf(cluster, shape);
    const SetMembers* set = setOf(deformerSetOf(cluster));
    const long count = pointCountOf(shape);
    if (input < 0 || !set || count < 0 || point >= static_cast<size_t>(count))
        return false;
    const NurbsGeometry* surface = nurbsOf(shape);
    bool member = false;
    for (const SetMember& m : set->members()) {
        if (m.node != shape || !SetMembers::live(m))
            continue;
        const Component* c = m.component.get();
        if (!c || c->complete) {
            member = true;
        } else if (surface) {
            const std::pair<int, int> uv(static_cast<int>(point / surface->numV),
                                         static_cast<int>(point % surface->numV));
            member = std::binary_search(c->pairs.begin(), c->pairs.end(), uv);
        } else {
            member = std::binary_search(c->single.begin(), c->single.end(), static_cast<int>(point));
        }
        if (member)
            break;
    }
    if (!member)
        return false;
    out = keyOf(cluster, "weights", static_cast<uint32_t>(input));
    out.idx[1] = static_cast<uint32_t>(point);
    return true;
}

} // namespace

MStatus clusterWeight(NodeId cluster, NodeId shape, size_t point, double& weight)
{
    PlugKey key;
    Value v;
    if (!clusterWeightKey(cluster, shape, point, key) || !store().readValue(cluster, key, v) ||
        v.kind != Value::kNumber)
        return MStatus::kInvalidParameter;
    weight = v.number;
    return MStatus::kSuccess;
}

MStatus setClusterWeight(NodeId cluster, NodeId shape, size_t point, double weight)
{
    PlugKey key;
    if (!clusterWeightKey(cluster, shape, point, key))
        return MStatus::kInvalidParameter;
    return store().writeValue(cluster, key, Value::ofNumber(weight));
}

std::vector<int> nearestInfluences(const Path& geometry, const std::vector<Path>& influences)
{
    std::vector<int> out;
    const NodeId shape = shapeOfPath(geometry);
    if (!shape.valid() || influences.empty())
        return out;
    const MMatrix toWorld = worldMatrix(pathToShape(geometry, shape));
    std::vector<MPoint> joints;
    for (const Path& p : influences) {
        const MMatrix m = worldMatrix(p);
        joints.emplace_back(m(3, 0), m(3, 1), m(3, 2));
    }
    std::vector<MPoint> points;
    if (const MeshGeometry* mesh = meshOf(shape))
        points = mesh->points();
    else if (const NurbsGeometry* surface = nurbsOf(shape))
        points = surface->cvs;
    out.reserve(points.size());
    for (const MPoint& local : points) {
        MPoint p = local * toWorld;
        p.cartesianize();
        int best = 0;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (size_t j = 0; j < joints.size(); ++j) {
            const double d = (p - joints[j]) * (p - joints[j]);
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(j);
            }
        }
        out.push_back(best);
    }
    return out;
}

NodeId createBindPose(const std::vector<Path>& nodes)
{
    NodeStore& s = store();
    const NodeId pose = s.createNode("dagPose", "bindPose1", NodeId());
    std::vector<NodeId> members;
    uint32_t m = 0;
    for (const Path& p : nodes) {
        for (const Path& prefix : p.prefixes()) {
            const NodeId n = prefix.back();
            if (std::find(members.begin(), members.end(), n) != members.end())
                continue;
            members.push_back(n);
            s.connect(PlugRef{n, keyOf(n, "message")}, PlugRef{pose, keyOf(pose, "members", m)});
            writeMatrix(pose, keyOf(pose, "worldMatrix", m), worldMatrix(prefix));
            writeMatrix(pose, keyOf(pose, "xformMatrix", m), s.localMatrix(n));
            ++m;
        }
    }
    s.writeValue(pose, keyOf(pose, "bindPose"), Value::ofNumber(1.0));
    return pose;
}

NodeId createSkinCluster(const std::string& name, const std::vector<Path>& influences, const Path& geometry,
                         bool nearest, std::string* error)
{
    NodeStore& s = store();
    const NodeId shape = shapeOfPath(geometry);
    if (!shape.valid() || pointCountOf(shape) <= 0)
        return fail(error, "the geometry has no points"), NodeId();
    if (influences.empty())
        return fail(error, "no influence"), NodeId();
    for (size_t i = 0; i < influences.size(); ++i) {
        const Path& p = influences[i];
        if (!s.pathValid(p) || !s.kindOf(p.back())->isA(MFn::kTransform))
            return fail(error, "an influence is not a transform"), NodeId();
        for (size_t j = 0; j < i; ++j)
            if (influences[j].back() == p.back())
                return fail(error, "an influence is repeated"), NodeId();
    }
    const NodeId skin = s.createNode("skinCluster", name, NodeId());
    const long k = attachDeformer(skin, shape, nullptr);
    const Path shapePath = pathToShape(geometry, shape);
    writeMatrix(skin, keyOf(skin, "geomMatrix"), worldMatrix(shapePath));
    for (size_t i = 0; i < influences.size(); ++i) {
        const NodeId joint = influences[i].back();
        const MMatrix world = worldMatrix(influences[i]);
        PlugKey wm = keyOf(joint, "worldMatrix", static_cast<uint32_t>(s.instanceNumber(influences[i])));
        s.connect(PlugRef{joint, wm}, PlugRef{skin, keyOf(skin, "matrix", static_cast<uint32_t>(i))});
        writeMatrix(skin, keyOf(skin, "bindPreMatrix", static_cast<uint32_t>(i)), world.inverse());
        if (Attribute* own = s.findAttribute(joint, "bindPose"))
            if (own->form() == AttrForm::kMatrix)
                writeMatrix(joint, keyOf(joint, "bindPose"), world);
    }
    const NodeId pose = createBindPose(influences);
    s.connect(PlugRef{pose, keyOf(pose, "message")}, PlugRef{skin, keyOf(skin, "bindPose")});

    SkinWeights* weights = skinWeightsOf(skin);
    const uint32_t g = static_cast<uint32_t>(k);
    weights->setPointCount(g, static_cast<size_t>(pointCountOf(shape)));
    if (nearest) {
        const std::vector<int> best = nearestInfluences(shapePath, influences);
        for (size_t p = 0; p < best.size(); ++p)
            weights->setWeight(g, p, static_cast<uint32_t>(best[p]), 1.0);
    }
    return skin;
}

void registerDeformHooks(KindRegistry& registry)
{
    Kind* filter = registry.find(MFn::kGeometryFilter);
    filter->findAttribute("outputGeometry")->compute = deformerOutput;
    registry.find(MFn::kSet)->payloadFactory = [](NodeStore& s, NodeId n) {
        return std::unique_ptr<Payload>(
            new SetMembers(n, s.kindOf(n)->isA(MFn::kShadingEngine) ? kRenderableOnly : 0));
    };
    registry.find(MFn::kSkinClusterFilter)->payloadFactory = [](NodeStore&, NodeId) {
        return std::unique_ptr<Payload>(new SkinWeights);
    };
}

} // namespace vesk
