#include "core/plug_access.h"
#include "store/node_store.h"
#include "store/numeric.h"

namespace vesk {
namespace {

bool numericPlug(NodeId node, const char* name, PlugKey& key)
{
    key = PlugKey();
    key.attr = store().findAttribute(node, name);
    return key.attr && key.attr->isNumericLeaf() && NodeStore::isValuePlug(key);
}

} // namespace

bool readNumber(NodeId node, const char* name, double& out)
{
    PlugKey key;
    Value v;
    if (!numericPlug(node, name, key) || !store().readValue(node, key, v) || v.kind != Value::kNumber)
        return false;
    out = v.number;
    return true;
}

double numberOr(NodeId node, const char* name, double fallback)
{
    double v = fallback;
    return readNumber(node, name, v) ? v : fallback;
}

MStatus writeNumbers(NodeId node, const NamedNumber* numbers, size_t count)
{
    NodeStore& s = store();
    if (!s.isAlive(node))
        return MStatus::kInvalidParameter;
    for (size_t i = 0; i < count; ++i) {
        PlugKey key;
        if (!numericPlug(node, numbers[i].name, key) || !key.attr->writable)
            return MStatus::kInvalidParameter;
        if (s.isLocked(node, key))
            return MStatus::kFailure;
    }
    for (size_t i = 0; i < count; ++i) {
        PlugKey key;
        numericPlug(node, numbers[i].name, key);
        s.writeValue(node, key, Value::ofNumber(storedNumber(key.attr, numbers[i].value, false)));
    }
    return MStatus::kSuccess;
}

MStatus writeNumber(NodeId node, const char* name, double value)
{
    const NamedNumber n = {name, value};
    return writeNumbers(node, &n, 1);
}

} // namespace vesk
