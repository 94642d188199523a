#include "scenecmd/scene_commands_impl.h"

#include <cmath>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MTime.h>

#include "foundation/number_text.h"
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

double internalPerUiUnit(int unitType)
{
    switch (unitType) {
    case 1: return MAngle(1.0, MAngle::uiUnit()).as(MAngle::internalUnit());
    case 2: return MDistance(1.0, MDistance::uiUnit()).as(MDistance::internalUnit());
    case 3: return 1.0 / timeUnitsPerSecond(MTime::uiUnit());
    default: return 1.0;
    }
}

namespace {

// Internal units per user unit.
double uiScale(const Attribute* a)
{
    return a && a->form() == AttrForm::kUnit ? internalPerUiUnit(a->unitType) : 1.0;
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

std::string numberSuffix(const std::string& name)
{
    size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9')
        --i;
    return name.substr(i);
}

bool readParent(const std::string& text, NodeId& out, MStatus& status)
{
    out = NodeId();
    if (text.empty())
        return true;
    Address a;
    if (!readAddress(text, a, status))
        return false;
    if (a.path.empty() || a.plug.attr || a.component || !store().kindOf(a.node)->isA(MFn::kTransform)) {
        status = commandError("Not a transform to put the node under: " + text);
        return false;
    }
    out = a.node;
    return true;
}

bool makeShapeNodes(const std::string& kind, const std::string& transformName, const std::string& shapeName,
                    NodeId parent, NodeId& transform, NodeId& shape, MStatus& status)
{
    NodeStore& s = store();
    transform = s.createNode("transform", transformName.empty() ? kind + "1" : transformName, parent, &status);
    if (!status) {
        status = commandError("Cannot make a transform for the " + kind);
        return false;
    }
    const std::string& t = s.name(transform);
    const std::string wanted =
        !shapeName.empty() ? shapeName : transformName.empty() ? kind + "Shape" + numberSuffix(t) : t + "Shape";
    shape = s.createNode(kind, wanted, transform, &status);
    if (!status) {
        s.deleteNode(transform);
        status = commandError("Cannot make a " + kind);
        return false;
    }
    return true;
}

bool readNumberList(const std::string& text, size_t group, const char* what, std::vector<double>& out,
                    MStatus& status)
{
    out.clear();
    std::string word;
    for (size_t i = 0; i < text.size();) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
            ++i;
        if (start == i)
            break;
        word.assign(text, start, i - start);
        double v = 0.0;
        if (!parseDouble(word.c_str(), v) || !std::isfinite(v)) {
            status = commandError(std::string("Not a finite number in the ") + what + ": " + word);
            return false;
        }
        out.push_back(v);
    }
    if (group > 1 && out.size() % group != 0) {
        status = commandError(std::string("The ") + what + " take " + std::to_string(group) + " numbers each, not " +
                              std::to_string(out.size()) + " in all");
        return false;
    }
    return true;
}

void registerSceneCommands(Interpreter& interp)
{
    registerAttrCommands(interp);
    registerNodeCommands(interp);
    registerCameraCommands(interp);
    registerDeformCommands(interp);
    registerSelectCommand(interp);
    registerBuildCommands(interp);
    registerGeometryCommands(interp);
    registerAnimCommands(interp);
}

} // namespace vesk
