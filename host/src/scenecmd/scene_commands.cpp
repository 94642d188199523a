#include "scenecmd/scene_commands_impl.h"

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MTime.h>

#include "store/numeric.h"

namespace vesk {

bool readAddress(const std::string& text, Address& out, MStatus& status)
{
    std::string error;
    if (store().parseAddress(text, out, &error))
        return true;
    status = commandError(error.empty() ? "No object matches name: " + text : error);
    return false;
}

bool readAddresses(const std::vector<std::string>& texts, std::vector<Address>& out, MStatus& status)
{
    out.assign(texts.size(), Address());
    for (size_t i = 0; i < texts.size(); ++i)
        if (!readAddress(texts[i], out[i], status))
            return false;
    return true;
}

SelectionItem itemOf(const Address& a)
{
    SelectionItem item;
    item.node = a.node;
    item.path = a.path;
    item.component = a.component;
    item.plug = a.plug;
    if (a.plug.attr && store().isDynamic(a.node, a.plug.attr))
        item.plugAttr = Ref<Attribute>(a.plug.attr->root());
    return item;
}

std::string nodeText(NodeId n)
{
    return store().nodeAddress(n);
}

namespace {

// Internal units per user unit.
double uiScale(const Attribute* a)
{
    if (!a || a->form() != AttrForm::kUnit)
        return 1.0;
    switch (a->unitType) {
    case 1: return MAngle(1.0, MAngle::uiUnit()).as(MAngle::internalUnit());
    case 2: return MDistance(1.0, MDistance::uiUnit()).as(MDistance::internalUnit());
    case 3: return 1.0 / timeUnitsPerSecond(MTime::uiUnit());
    default: return 1.0;
    }
}

} // namespace

double toUiUnits(const Attribute* a, double internal)
{
    return internal / uiScale(a);
}

double fromUiUnits(const Attribute* a, double ui)
{
    return ui * uiScale(a);
}

PlugKey keyNamed(NodeId node, const char* name, uint32_t index)
{
    PlugKey k;
    k.attr = store().findAttribute(node, name);
    if (k.attr && k.attr->array)
        k.idx[k.attr->ownLevel()] = index;
    return k;
}

bool writeUiNumber(NodeId node, const PlugKey& key, double ui, MStatus& status)
{
    NodeStore& s = store();
    PlugRef src;
    if (s.isLocked(node, key)) {
        status = commandError("The attribute is locked: " + s.plugPath(node, key, true, false));
        return false;
    }
    if (s.sourceOf(PlugRef{node, key}, src)) {
        status = commandError("The attribute is connected: " + s.plugPath(node, key, true, false));
        return false;
    }
    const double stored = storedNumber(key.attr, fromUiUnits(key.attr, ui), false);
    status = s.writeValue(node, key, Value::ofNumber(stored));
    if (!status)
        status = commandError("Cannot write " + s.plugPath(node, key, true, false));
    return bool(status);
}

void registerSceneCommands(Interpreter& interp)
{
    registerAttrCommands(interp);
    registerNodeCommands(interp);
    registerCameraCommands(interp);
    registerDeformCommands(interp);
    registerSelectCommand(interp);
}

} // namespace vesk
