#include "store/fixtures.h"

#include "store/node_store.h"
#include "store/numeric.h"

namespace vesk {
namespace fixture {
namespace {

bool plug(const std::string& text, PlugRef& out)
{
    Address a;
    if (!store().parseAddress(text, a) || !a.plug.attr)
        return false;
    out = PlugRef{a.node, a.plug};
    return true;
}

} // namespace

NodeId node(const std::string& address)
{
    Address a;
    return store().parseAddress(address, a) ? a.node : NodeId();
}

NodeId make(const std::string& typeName, const std::string& name, const std::string& parent)
{
    NodeId p;
    if (!parent.empty()) {
        p = node(parent);
        if (!p.valid())
            return NodeId();
    }
    return store().createNode(typeName, name, p);
}

NodeId makeShape(const std::string& shapeType, const std::string& name, const std::string& parent)
{
    const NodeId t = make("transform", name, parent);
    if (!t.valid() || !store().createNode(shapeType, store().name(t) + "Shape", t).valid())
        return NodeId();
    return t;
}

bool connect(const std::string& src, const std::string& dst)
{
    PlugRef s, d;
    return plug(src, s) && plug(dst, d) && store().connect(s, d);
}

bool setNumber(const std::string& text, double value)
{
    PlugRef p;
    return plug(text, p) && p.key.attr->isNumericLeaf() &&
           store().writeValue(p.node, p.key, Value::ofNumber(storedNumber(p.key.attr, value, false)));
}

bool number(const std::string& text, double& out)
{
    PlugRef p;
    Value v;
    if (!plug(text, p) || !store().readValue(p.node, p.key, v) || v.kind != Value::kNumber)
        return false;
    out = v.number;
    return true;
}

} // namespace fixture
} // namespace vesk
