// MFnGeometryFilter, MFnSkinCluster and MFnBlendShapeDeformer.
#include <algorithm>

#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnSkinCluster.h>

#include "core/object_access.h"
#include "core/plug_access.h"
#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"
#include "store/numeric.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::PlugKey;
using vesk::report;
using vesk::store;

namespace {

typedef std::vector<std::pair<uint32_t, NodeId>> IndexedNodes;

NodeId deformerOf(const MObject& o, MFn::Type type, MStatus* status)
{
    const NodeId n = ObjectAccess::node(o);
    const bool ok = n.valid() && store().kindOf(n)->isA(type);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return ok ? n : NodeId();
}

void fill(const IndexedNodes& nodes, MObjectArray& out)
{
    out.clear();
    for (const auto& n : nodes)
        out.append(ObjectAccess::fromNode(n.second));
}

NodeId atIndex(const IndexedNodes& nodes, unsigned int index)
{
    for (const auto& n : nodes)
        if (n.first == index)
            return n.second;
    return NodeId();
}

NodeId shapeOf(NodeId n)
{
    return vesk::geometryShapeOf(n);
}

NodeId shapeOfPath(const MDagPath& path)
{
    return shapeOf(ObjectAccess::node(path.node()));
}

PlugKey key(NodeId node, const char* name, uint32_t a = vesk::kUnsetIndex, uint32_t b = vesk::kUnsetIndex)
{
    PlugKey k;
    k.attr = store().findAttribute(node, name);
    k.idx[0] = a;
    k.idx[1] = b;
    return k;
}

} // namespace

// ---- MFnGeometryFilter ----------------------------------------------------------------

MFnGeometryFilter::MFnGeometryFilter(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnGeometryFilter::type() const
{
    return MFn::kGeometryFilter;
}

bool MFnGeometryFilter::accepts(const MObject& object) const
{
    const NodeId n = ObjectAccess::node(object);
    return n.valid() && store().kindOf(n)->isA(type());
}

MStatus MFnGeometryFilter::getInputGeometry(MObjectArray& objects) const
{
    MStatus s;
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, &s);
    IndexedNodes nodes;
    vesk::deformerInputs(d, nodes);
    fill(nodes, objects);
    return s;
}

MStatus MFnGeometryFilter::getOutputGeometry(MObjectArray& objects) const
{
    MStatus s;
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, &s);
    IndexedNodes nodes;
    vesk::deformerOutputs(d, nodes);
    fill(nodes, objects);
    return s;
}

unsigned int MFnGeometryFilter::indexForOutputShape(const MObject& shape, MStatus* status) const
{
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, status);
    const long k = d.valid() ? vesk::deformerIndexOf(d, ObjectAccess::node(shape)) : -1;
    if (k < 0) {
        report(status, MStatus::kInvalidParameter);
        return 0;
    }
    return static_cast<unsigned int>(k);
}

MObject MFnGeometryFilter::inputShapeAtIndex(unsigned int index, MStatus* status) const
{
    IndexedNodes nodes;
    vesk::deformerInputs(deformerOf(mObject, MFn::kGeometryFilter, status), nodes);
    const NodeId n = atIndex(nodes, index);
    if (!n.valid())
        report(status, MStatus::kInvalidParameter);
    return ObjectAccess::fromNode(n);
}

MObject MFnGeometryFilter::outputShapeAtIndex(unsigned int index, MStatus* status) const
{
    IndexedNodes nodes;
    vesk::deformerOutputs(deformerOf(mObject, MFn::kGeometryFilter, status), nodes);
    const NodeId n = atIndex(nodes, index);
    if (!n.valid())
        report(status, MStatus::kInvalidParameter);
    return ObjectAccess::fromNode(n);
}

MObject MFnGeometryFilter::deformerSet(MStatus* status) const
{
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, status);
    return ObjectAccess::fromNode(vesk::deformerSetOf(d));
}

float MFnGeometryFilter::envelope(MStatus* status) const
{
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, status);
    return static_cast<float>(vesk::numberOr(d, "envelope", 0.0));
}

MStatus MFnGeometryFilter::setEnvelope(float envelope)
{
    MStatus s;
    const NodeId d = deformerOf(mObject, MFn::kGeometryFilter, &s);
    return d.valid() ? vesk::writeNumber(d, "envelope", envelope) : s;
}

// ---- MFnSkinCluster ----------------------------------------------------------------------

namespace {

// The points a component names on a deformed shape, checked against the
// geometry; false for a wrong kind or a point past the end.
bool pointsOf(NodeId shape, const MObject& components, std::vector<size_t>& points)
{
    const long total = vesk::pointCountOf(shape);
    points.clear();
    if (total < 0)
        return false;
    const vesk::Component* c = static_cast<const vesk::Component*>(ObjectAccess::ref(components));
    if (!components.isNull() && !c)
        return false;
    const vesk::NurbsGeometry* surface = vesk::nurbsOf(shape);
    const MFn::Type wanted = surface ? MFn::kSurfaceCVComponent : MFn::kMeshVertComponent;
    if (!c || c->complete) {
        if (c && c->apiType() != wanted)
            return false;
        for (long i = 0; i < total; ++i)
            points.push_back(static_cast<size_t>(i));
        return true;
    }
    if (c->apiType() != wanted)
        return false;
    for (int i : c->single) {
        if (i < 0 || i >= total)
            return false;
        points.push_back(static_cast<size_t>(i));
    }
    for (const auto& p : c->pairs) {
        if (p.first < 0 || p.second < 0 || static_cast<size_t>(p.first) >= surface->numU ||
            static_cast<size_t>(p.second) >= surface->numV)
            return false;
        points.push_back(static_cast<size_t>(p.first) * surface->numV + static_cast<size_t>(p.second));
    }
    return true;
}

// The skin, the deformed shape's input index and the points.
bool skinTarget(const MObject& skinObject, const MDagPath& path, const MObject& components, NodeId& skin,
                uint32_t& geometry, std::vector<size_t>& points)
{
    skin = deformerOf(skinObject, MFn::kSkinClusterFilter, nullptr);
    const NodeId shape = shapeOfPath(path);
    const long k = skin.valid() && shape.valid() ? vesk::deformerIndexOf(skin, shape) : -1;
    if (k < 0 || !pointsOf(shape, components, points))
        return false;
    geometry = static_cast<uint32_t>(k);
    return true;
}

} // namespace

MFnSkinCluster::MFnSkinCluster(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnSkinCluster::type() const
{
    return MFn::kSkinClusterFilter;
}

bool MFnSkinCluster::accepts(const MObject& object) const
{
    return MFnGeometryFilter::accepts(object);
}

unsigned int MFnSkinCluster::influenceObjects(MDagPathArray& paths, MStatus* status) const
{
    const NodeId skin = deformerOf(mObject, MFn::kSkinClusterFilter, status);
    IndexedNodes influences;
    vesk::skinInfluences(skin, influences);
    paths.clear();
    for (const auto& i : influences) {
        MDagPath p;
        if (MDagPath::getAPathTo(ObjectAccess::fromNode(i.second), p))
            paths.append(p);
    }
    return paths.length();
}

unsigned int MFnSkinCluster::indexForInfluenceObject(const MDagPath& path, MStatus* status) const
{
    const NodeId skin = deformerOf(mObject, MFn::kSkinClusterFilter, status);
    IndexedNodes influences;
    vesk::skinInfluences(skin, influences);
    const NodeId node = ObjectAccess::node(path.node());
    for (const auto& i : influences)
        if (i.second == node)
            return i.first;
    report(status, MStatus::kInvalidParameter);
    return 0;
}

MStatus MFnSkinCluster::getWeights(const MDagPath& shape, const MObject& components, unsigned int influenceIndex,
                                   MFloatArray& weights) const
{
    NodeId skin;
    uint32_t g = 0;
    std::vector<size_t> points;
    IndexedNodes influences;
    if (!skinTarget(mObject, shape, components, skin, g, points))
        return MStatus::kInvalidParameter;
    vesk::skinInfluences(skin, influences);
    if (influenceIndex >= influences.size())
        return MStatus::kInvalidParameter;
    const vesk::SkinWeights* w = vesk::skinWeightsOf(skin);
    weights.setLength(static_cast<unsigned int>(points.size()));
    for (size_t j = 0; j < points.size(); ++j)
        weights[static_cast<unsigned int>(j)] =
            static_cast<float>(w->weight(g, points[j], influences[influenceIndex].first));
    return MStatus::kSuccess;
}

MStatus MFnSkinCluster::getWeights(const MDagPath& shape, const MObject& components, MFloatArray& weights,
                                   unsigned int& influenceCount) const
{
    NodeId skin;
    uint32_t g = 0;
    std::vector<size_t> points;
    IndexedNodes influences;
    if (!skinTarget(mObject, shape, components, skin, g, points))
        return MStatus::kInvalidParameter;
    vesk::skinInfluences(skin, influences);
    const vesk::SkinWeights* w = vesk::skinWeightsOf(skin);
    influenceCount = static_cast<unsigned int>(influences.size());
    weights.setLength(static_cast<unsigned int>(points.size() * influences.size()));
    unsigned int at = 0;
    for (size_t p : points)
        for (const auto& i : influences)
            weights[at++] = static_cast<float>(w->weight(g, p, i.first));
    return MStatus::kSuccess;
}

MStatus MFnSkinCluster::setWeights(const MDagPath& shape, const MObject& components,
                                   const MIntArray& influenceIndices, const MFloatArray& weights, bool normalize,
                                   MFloatArray* oldValues)
{
    NodeId skin;
    uint32_t g = 0;
    std::vector<size_t> points;
    IndexedNodes influences;
    if (!skinTarget(mObject, shape, components, skin, g, points))
        return MStatus::kInvalidParameter;
    vesk::skinInfluences(skin, influences);
    const size_t n = influenceIndices.length();
    if (n == 0 || weights.length() != points.size() * n)
        return MStatus::kInvalidParameter;
    std::vector<uint32_t> given(n);
    for (size_t i = 0; i < n; ++i) {
        const int logical = influenceIndices[static_cast<unsigned int>(i)];
        bool known = false;
        for (const auto& inf : influences)
            known = known || static_cast<int>(inf.first) == logical;
        if (!known || logical < 0)
            return MStatus::kInvalidParameter;
        given[i] = static_cast<uint32_t>(logical);
    }
    vesk::SkinWeights* w = vesk::skinWeightsOf(skin);
    if (oldValues)
        oldValues->setLength(static_cast<unsigned int>(points.size() * n));
    for (size_t j = 0; j < points.size(); ++j) {
        double givenSum = 0.0;
        for (size_t i = 0; i < n; ++i) {
            const unsigned int at = static_cast<unsigned int>(j * n + i);
            if (oldValues)
                (*oldValues)[at] = static_cast<float>(w->weight(g, points[j], given[i]));
            w->setWeight(g, points[j], given[i], weights[at]);
            givenSum += weights[at];
        }
        if (!normalize)
            continue;
        double others = 0.0;
        for (const auto& inf : influences)
            if (std::find(given.begin(), given.end(), inf.first) == given.end())
                others += w->weight(g, points[j], inf.first);
        if (others <= 0.0)
            continue;
        const double scale = givenSum >= 1.0 ? 0.0 : (1.0 - givenSum) / others;
        for (const auto& inf : influences)
            if (std::find(given.begin(), given.end(), inf.first) == given.end())
                w->setWeight(g, points[j], inf.first, w->weight(g, points[j], inf.first) * scale);
    }
    return MStatus::kSuccess;
}

MStatus MFnSkinCluster::setWeights(const MDagPath& shape, const MObject& components, unsigned int influenceIndex,
                                   double value, bool normalize, MFloatArray* oldValues)
{
    NodeId skin;
    uint32_t g = 0;
    std::vector<size_t> points;
    if (!skinTarget(mObject, shape, components, skin, g, points) || influenceIndex > 0x7FFFFFFFu)
        return MStatus::kInvalidParameter;
    MIntArray indices(1, static_cast<int>(influenceIndex));
    MFloatArray weights(static_cast<unsigned int>(points.size()), static_cast<float>(value));
    return setWeights(shape, components, indices, weights, normalize, oldValues);
}

// ---- MFnBlendShapeDeformer -------------------------------------------------------------

MFnBlendShapeDeformer::MFnBlendShapeDeformer(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnBlendShapeDeformer::type() const
{
    return MFn::kBlendShape;
}

bool MFnBlendShapeDeformer::accepts(const MObject& object) const
{
    return MFnGeometryFilter::accepts(object);
}

MObject MFnBlendShapeDeformer::create(const MObject& baseObject, Origin, MStatus* status)
{
    const NodeId base = shapeOf(ObjectAccess::node(baseObject));
    if (!base.valid() || store().parents(base).empty()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    const NodeId blend = store().createNode("blendShape", "", NodeId());
    if (vesk::attachDeformer(blend, base, status) < 0) {
        store().deleteNode(blend);
        return MObject();
    }
    mObject = ObjectAccess::fromNode(blend);
    return mObject;
}

MStatus MFnBlendShapeDeformer::addBaseObject(const MObject& object)
{
    MStatus s;
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, &s);
    const NodeId base = shapeOf(ObjectAccess::node(object));
    if (!blend.valid() || !base.valid())
        return MStatus::kInvalidParameter;
    if (vesk::deformerIndexOf(blend, base) >= 0)
        return MStatus::kSuccess;
    vesk::attachDeformer(blend, base, &s);
    return s;
}

MStatus MFnBlendShapeDeformer::getBaseObjects(MObjectArray& objects) const
{
    return getOutputGeometry(objects);
}

MStatus MFnBlendShapeDeformer::addTarget(const MObject& baseObject, int weightIndex, const MObject& newTarget,
                                         double fullWeight)
{
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, nullptr);
    return vesk::addBlendTarget(blend, ObjectAccess::node(baseObject), weightIndex, ObjectAccess::node(newTarget),
                                fullWeight, nullptr);
}

MStatus MFnBlendShapeDeformer::getTargets(const MObject& baseObject, int weightIndex,
                                          MObjectArray& targetObjects) const
{
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, nullptr);
    std::vector<NodeId> targets;
    targetObjects.clear();
    if (!vesk::blendTargets(blend, ObjectAccess::node(baseObject), weightIndex, targets))
        return MStatus::kInvalidParameter;
    for (NodeId t : targets)
        targetObjects.append(ObjectAccess::fromNode(t));
    return MStatus::kSuccess;
}

unsigned int MFnBlendShapeDeformer::numWeights(MStatus* status) const
{
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, status);
    return blend.valid() ? static_cast<unsigned int>(store().numElements(blend, key(blend, "weight"))) : 0;
}

MStatus MFnBlendShapeDeformer::weightIndexList(MIntArray& indexList) const
{
    MStatus s;
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, &s);
    indexList.clear();
    if (!blend.valid())
        return s;
    std::vector<uint32_t> indices;
    store().logicalIndices(blend, key(blend, "weight"), indices);
    for (uint32_t i : indices)
        indexList.append(static_cast<int>(i));
    return s;
}

float MFnBlendShapeDeformer::weight(unsigned int index, MStatus* status) const
{
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, status);
    vesk::Value v;
    if (!blend.valid() || !store().readValue(blend, key(blend, "weight", index), v) || v.kind != vesk::Value::kNumber) {
        report(status, MStatus::kInvalidParameter);
        return 0.0f;
    }
    return static_cast<float>(v.number);
}

MStatus MFnBlendShapeDeformer::setWeight(unsigned int index, float weight)
{
    const NodeId blend = deformerOf(mObject, MFn::kBlendShape, nullptr);
    if (!blend.valid() || index == vesk::kUnsetIndex)
        return MStatus::kInvalidParameter;
    const PlugKey element = key(blend, "weight", index);
    return store().writeValue(blend, element, vesk::Value::ofNumber(vesk::storedNumber(element.attr, weight, false)));
}
