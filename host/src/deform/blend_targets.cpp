// Blend-shape targets: where each one is fed, and the weight it drives.
#include <cmath>

#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"

namespace vesk {
namespace {

PlugKey keyOf(NodeId node, const char* name, uint32_t base, uint32_t weight, uint32_t item = kUnsetIndex)
{
    PlugKey k;
    k.attr = store().findAttribute(node, name);
    k.idx[0] = base;
    k.idx[1] = weight;
    k.idx[2] = item;
    return k;
}

bool fail(std::string* error, const char* why)
{
    if (error)
        *error = why;
    return false;
}

// The input index of the base on the blend shape, or -1.
long baseIndex(NodeId blend, NodeId base)
{
    const Kind* k = store().kindOf(blend);
    const NodeId shape = geometryShapeOf(base);
    return k && k->isA(MFn::kBlendShape) && shape.valid() ? deformerIndexOf(blend, shape) : -1;
}

} // namespace

bool blendTargetSlot(NodeId blend, NodeId base, int weightIndex, NodeId target, double fullWeight, PlugRef& slot,
                     std::string* error)
{
    const long k = baseIndex(blend, base);
    const NodeId shape = geometryShapeOf(target);
    if (k < 0)
        return fail(error, "the base is not deformed by the blend shape");
    if (!shape.valid())
        return fail(error, "the target has no geometry");
    if (shape == geometryShapeOf(base))
        return fail(error, "the target is the base");
    if (weightIndex < 0)
        return fail(error, "the weight index is negative");
    // Item 5000 + 1000 x the full weight: -5 to 5 in steps of 0.001, where
    // 0 would be the base itself.
    if (!(fullWeight >= -5.0 && fullWeight <= 5.0) || std::lround(fullWeight * 1000.0) == 0)
        return fail(error, "the full weight lies outside -5 to 5 or is 0");
    const uint32_t item = static_cast<uint32_t>(5000 + std::lround(fullWeight * 1000.0));
    slot = PlugRef{blend, keyOf(blend, "inputGeomTarget", static_cast<uint32_t>(k),
                                static_cast<uint32_t>(weightIndex), item)};
    PlugRef held;
    if (store().sourceOf(slot, held))
        return fail(error, "that weight already has a target at that full weight");
    return true;
}

MStatus addBlendTarget(NodeId blend, NodeId base, int weightIndex, NodeId target, double fullWeight,
                       std::string* error)
{
    NodeStore& s = store();
    PlugRef slot;
    if (!blendTargetSlot(blend, base, weightIndex, target, fullWeight, slot, error))
        return MStatus::kInvalidParameter;
    const NodeId shape = geometryShapeOf(target);
    PlugKey out;
    out.attr = s.findAttribute(shape, geometryOutputName(shape));
    const MStatus linked = s.connect(PlugRef{shape, out}, slot);
    if (!linked) {
        fail(error, "the target's geometry cannot feed the blend shape");
        return linked;
    }
    const PlugKey element = keyOf(blend, "weight", static_cast<uint32_t>(weightIndex), kUnsetIndex);
    Value v;
    if (!s.storedValue(blend, element, v))
        s.writeValue(blend, element, Value::ofNumber(0.0));
    if (!s.aliasOf(blend, element)) {
        // The target's name, numbered when another plug holds it.
        const std::string name = s.name(shape);
        std::string alias = name;
        for (int n = 1; !s.setAlias(blend, alias, element) && n < 1000; ++n)
            alias = name + std::to_string(n);
    }
    return MStatus::kSuccess;
}

bool blendTargets(NodeId blend, NodeId base, int weightIndex, std::vector<NodeId>& out)
{
    out.clear();
    const long k = baseIndex(blend, base);
    if (k < 0 || weightIndex < 0)
        return false;
    const uint32_t b = static_cast<uint32_t>(k);
    const uint32_t w = static_cast<uint32_t>(weightIndex);
    std::vector<uint32_t> items;
    store().logicalIndices(blend, keyOf(blend, "inputTargetItem", b, w), items);
    for (uint32_t item : items) {
        PlugRef src;
        if (store().sourceOf(PlugRef{blend, keyOf(blend, "inputGeomTarget", b, w, item)}, src))
            out.push_back(src.node);
    }
    return true;
}

} // namespace vesk
