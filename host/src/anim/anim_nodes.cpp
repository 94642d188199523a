// Curve nodes: their kinds, the keys they keep, the output they compute at
// the current time, and the plugs they drive.
#include <memory>

#include "anim/anim_curve.h"
#include "store/node_store.h"

namespace vesk {
namespace {

const MFn::Type kCurveKinds[kCurveTypeCount] = {
    MFn::kAnimCurveTimeToAngular,      MFn::kAnimCurveTimeToDistance,     MFn::kAnimCurveTimeToTime,
    MFn::kAnimCurveTimeToUnitless,     MFn::kAnimCurveUnitlessToAngular,  MFn::kAnimCurveUnitlessToDistance,
    MFn::kAnimCurveUnitlessToTime,     MFn::kAnimCurveUnitlessToUnitless, MFn::kAnimCurveUnknown,
};

// A curve without keys gives nothing: the plug it feeds keeps its own value.
// Time-input curves read the current time, the others their "input" (a
// driven key's driver feeds it).
bool curveOutput(NodeStore& s, NodeId n, const PlugKey&, Value& out)
{
    const AnimCurve* c = curveOf(n);
    if (!c || c->size() == 0)
        return false;
    double at = s.globals().currentTime;
    if (c->curveType() >= 4 && c->curveType() <= 7) {
        PlugRef input{n, PlugKey()};
        input.key.attr = s.findAttribute(n, "input");
        PlugRef driver;
        if (s.sourceOf(input, driver))
            input = driver;
        Value v;
        at = s.readValue(input.node, input.key, v) && v.kind == Value::kNumber ? v.number : 0.0;
    }
    out = Value::ofNumber(c->evaluate(at));
    return true;
}

} // namespace

MFn::Type curveKindOf(int curveType)
{
    return curveType >= 0 && curveType < kCurveTypeCount ? kCurveKinds[curveType] : MFn::kInvalid;
}

int curveTypeOf(MFn::Type kind)
{
    for (int t = 0; t < kCurveTypeCount; ++t)
        if (kCurveKinds[t] == kind)
            return t;
    return -1;
}

int curveTypeFor(const Attribute* attr)
{
    if (attr && attr->form() == AttrForm::kUnit && attr->unitType >= 1 && attr->unitType <= 3)
        return attr->unitType - 1;
    return 3;
}

AnimCurve* curveOf(NodeId node)
{
    const Kind* k = store().kindOf(node);
    if (!k || !k->isA(MFn::kAnimCurve))
        return nullptr;
    return static_cast<AnimCurve*>(store().payload(node));
}

NodeId curveDriving(NodeId node, const PlugKey& key)
{
    PlugRef src;
    if (!store().sourceOf(PlugRef{node, key}, src) || !curveOf(src.node))
        return NodeId();
    return src.key.attr == store().findAttribute(src.node, "output") ? src.node : NodeId();
}

NodeId createCurve(NodeId node, const PlugKey& key, int curveType, MStatus* status)
{
    NodeStore& s = store();
    auto fail = [&]() {
        if (status)
            *status = MStatus::kInvalidParameter;
        return NodeId();
    };
    PlugRef src;
    const Attribute* a = key.attr;
    if (!s.isAlive(node) || !a || !s.hasAttribute(node, a) || !NodeStore::isValuePlug(key) ||
        !a->isNumericLeaf() || !a->writable || !a->connectable || s.isLocked(node, key) ||
        s.sourceOf(PlugRef{node, key}, src) || curveKindOf(curveType) == MFn::kInvalid)
        return fail();
    MStatus made;
    const NodeId curve = s.createNode(s.kind(curveKindOf(curveType)),
                                      s.name(node) + "_" + s.plugPath(node, key, true, false), NodeId(), &made);
    if (!made)
        return fail();
    PlugKey out;
    out.attr = s.findAttribute(curve, "output");
    if (!s.connect(PlugRef{curve, out}, PlugRef{node, key})) {
        s.deleteNode(curve);
        return fail();
    }
    if (status)
        *status = MStatus::kSuccess;
    return curve;
}

void registerAnimHooks(KindRegistry& registry)
{
    Kind* curve = registry.find(MFn::kAnimCurve);
    curve->payloadFactory = [](NodeStore& s, NodeId n) {
        return std::unique_ptr<Payload>(new AnimCurve(curveTypeOf(s.kindOf(n)->type())));
    };
    curve->findAttribute("output")->compute = curveOutput;
}

} // namespace vesk
