// Scene-building commands: createNode (a node of any concrete kind),
// addAttr (numeric, enum, colour and vector dynamic attributes) and
// blendShape (a blend shape from targets and a base, and targets added to
// one).
#include <cmath>

#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnNumericData.h>

#include "core/object_access.h"
#include "deform/deform_kinds.h"
#include "foundation/number_text.h"
#include "geometry/geometry_kinds.h"
#include "scenecmd/scene_commands_impl.h"
#include "store/numeric.h"

namespace vesk {
namespace {

const FlagSpec kCreateNodeFlags[] = {{"name", "n", "s", 0}, {"parent", "p", "s", 0}};

// createNode TYPE [-n NAME] [-p PARENT]: a shape without parent gets a
// transform of its own ("<type>1"); the result names the node of the type.
MStatus runCreateNode(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.size() != 1)
        return commandError("needs one node type");
    NodeStore& s = store();
    const std::string& type = args.positionals[0];
    const Kind* kind = s.kind(type);
    if (!kind)
        return commandError("Unknown node type: " + type);
    if (kind->abstract)
        return commandError("Not a concrete node type: " + type);
    MStatus status;
    NodeId parent;
    if (!readParent(args.text("parent"), parent, status))
        return status;
    if (parent.valid() && !kind->isDag())
        return commandError("A " + type + " is no DAG node and takes no parent");
    NodeId made;
    if (kind->isA(MFn::kShape) && !parent.valid()) {
        NodeId transform;
        if (!makeShapeNodes(type, "", args.text("name"), NodeId(), transform, made, status))
            return status;
    } else {
        made = s.createNode(kind, args.text("name"), parent, &status);
        if (!status)
            return commandError("Cannot make a " + type);
    }
    result.setString(nodeText(made));
    return MStatus::kSuccess;
}

// ---- addAttr ------------------------------------------------------------------------

const FlagSpec kAddAttrFlags[] = {
    {"longName", "ln", "s", 0},      {"shortName", "sn", "s", 0},    {"attributeType", "at", "s", 0},
    {"defaultValue", "dv", "s", 0},  {"minValue", "min", "d", 0},    {"maxValue", "max", "d", 0},
    {"softMinValue", "smn", "d", 0}, {"softMaxValue", "smx", "d", 0}, {"keyable", "k", "b", 0},
    {"usedAsColor", "uac", "", 0},   {"enumName", "en", "s", 0},
};

// The -at words: numeric types; 0 for an enum.
struct AttrTypeWord {
    const char* word;
    int numericType;
};
const AttrTypeWord kAttrTypes[] = {
    {"bool", MFnNumericData::kBoolean}, {"byte", MFnNumericData::kByte},     {"char", MFnNumericData::kChar},
    {"short", MFnNumericData::kShort},  {"long", MFnNumericData::kLong},     {"float", MFnNumericData::kFloat},
    {"double", MFnNumericData::kDouble}, {"float3", MFnNumericData::k3Float}, {"double3", MFnNumericData::k3Double},
    {"enum", 0},
};

// Letters, digits and '_', not starting with a digit.
bool legalAttrName(const std::string& name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

// Enum fields "a:b:c" (values 0, 1, 2) or "a=1:b=4" (a value carries on
// counting from the one before).
bool readFields(const std::string& text, Attribute& a, MStatus& status)
{
    long next = 0;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(':', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string field = text.substr(begin, end - begin);
        const size_t eq = field.find('=');
        long value = next;
        if (eq != std::string::npos) {
            double v = 0.0;
            if (!parseDouble(field.substr(eq + 1).c_str(), v) || v != std::floor(v) || v < -32768.0 || v > 32767.0) {
                status = commandError("Not a field value: " + field);
                return false;
            }
            value = static_cast<long>(v);
            field.erase(eq);
        }
        if (!legalAttrName(field) || value > 32767) {
            status = commandError("Not a field: " + field);
            return false;
        }
        for (const auto& f : a.fields)
            if (f.first == field || f.second == value) {
                status = commandError("A field name or value is given twice: " + field);
                return false;
            }
        a.fields.emplace_back(field, static_cast<short>(value));
        next = value + 1;
        begin = end + 1;
    }
    return true;
}

// The limits of a leaf attribute; the default must lie within the hard
// ones, and the soft ones within the hard ones.
bool applyLimits(const BoundArgs& args, Attribute& a, MStatus& status)
{
    struct LimitFlag {
        const char* flag;
        bool Attribute::*has;
        double Attribute::*value;
    };
    static const LimitFlag kLimits[] = {
        {"minValue", &Attribute::hasMin, &Attribute::minValue},
        {"maxValue", &Attribute::hasMax, &Attribute::maxValue},
        {"softMinValue", &Attribute::hasSoftMin, &Attribute::softMinValue},
        {"softMaxValue", &Attribute::hasSoftMax, &Attribute::softMaxValue},
    };
    for (const LimitFlag& l : kLimits)
        if (args.has(l.flag)) {
            if (!a.isNumericLeaf() || a.form() == AttrForm::kEnum) {
                status = commandError("Limits are for single numbers only");
                return false;
            }
            if (!std::isfinite(args.number(l.flag))) {
                status = commandError("Not a finite limit: " + args.text(l.flag));
                return false;
            }
            a.*l.has = true;
            a.*l.value = storedNumber(&a, args.number(l.flag), false);
        }
    const double low = a.hasMin ? a.minValue : -HUGE_VAL;
    const double high = a.hasMax ? a.maxValue : HUGE_VAL;
    const double softLow = a.hasSoftMin ? a.softMinValue : low;
    const double softHigh = a.hasSoftMax ? a.softMaxValue : high;
    if (!(low <= softLow && softLow <= softHigh && softHigh <= high) || (a.hasSoftMin && a.softMinValue > high) ||
        (a.hasSoftMax && a.softMaxValue < low)) {
        status = commandError("The limits do not nest: min <= soft min <= soft max <= max");
        return false;
    }
    if (a.isNumericLeaf() && !(low <= a.defaultValue && a.defaultValue <= high)) {
        status = commandError("The default lies outside the limits");
        return false;
    }
    return true;
}

// The default: one number, or one or three for a triple; an enum's must be
// a field's value (its first field's when none is given).
bool applyDefault(const BoundArgs& args, Attribute& a, MStatus& status)
{
    std::vector<double> values;
    if (!readNumberList(args.text("defaultValue"), 1, "default", values, status))
        return false;
    const size_t count = a.children().empty() ? 1 : a.children().size();
    if (args.has("defaultValue") && values.size() != 1 && values.size() != count) {
        status = commandError("The default takes 1" + std::string(count > 1 ? " or 3" : "") + " number(s)");
        return false;
    }
    if (a.form() == AttrForm::kEnum) {
        a.defaultValue = values.empty() ? a.fields[0].second : values[0];
        for (const auto& f : a.fields)
            if (f.second == a.defaultValue)
                return true;
        status = commandError("The default is no field's value");
        return false;
    }
    if (values.empty())
        return true;
    if (count == 1) {
        a.defaultValue = storedNumber(&a, values[0], false);
        return true;
    }
    for (size_t i = 0; i < count; ++i)
        a.children()[i]->defaultValue = storedNumber(a.children()[i], values[values.size() == 1 ? 0 : i], false);
    return true;
}

// addAttr -ln NAME [-sn SHORT] [-at TYPE] [-dv D] [-min M] [-max M]
// [-smn M] [-smx M] [-k B] [-uac] [-en FIELDS] NODE
MStatus runAddAttr(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.size() != 1)
        return commandError("needs one node");
    const std::string longName = args.text("longName");
    const std::string shortName = args.has("shortName") ? args.text("shortName") : longName;
    if (!legalAttrName(longName) || !legalAttrName(shortName))
        return commandError("Needs -ln, and names of letters, digits and '_': " + longName + " " + shortName);
    const std::string type = args.has("attributeType") ? args.text("attributeType") : "double";
    const AttrTypeWord* word = nullptr;
    for (const AttrTypeWord& t : kAttrTypes)
        if (type == t.word)
            word = &t;
    if (!word)
        return commandError("Not an attribute type: " + type);
    const bool triple = word->numericType == MFnNumericData::k3Float || word->numericType == MFnNumericData::k3Double;
    if (args.has("usedAsColor") && !triple)
        return commandError("Only float3 and double3 attributes are colours");
    if (args.has("enumName") != (word->numericType == 0))
        return commandError("An enum takes its fields by -en, and only an enum does");
    MStatus status;
    Address node;
    if (!readAddress(args.positionals[0], node, status))
        return status;
    if (node.plug.attr || node.component)
        return commandError("Not a node: " + args.positionals[0]);

    Ref<Attribute> a;
    if (word->numericType == 0) {
        a = Ref<Attribute>(new Attribute(AttrForm::kEnum, longName, shortName));
        if (!readFields(args.text("enumName"), *a, status))
            return status;
    } else {
        a = makeNumericAttribute(longName, shortName, word->numericType, 0.0, args.has("usedAsColor"));
    }
    if (!applyDefault(args, *a, status) || !applyLimits(args, *a, status))
        return status;
    a->keyable = args.boolean("keyable");
    for (Attribute* c : a->children())
        c->keyable = a->keyable;
    if (!store().addAttribute(node.node, a))
        return commandError("A name of " + longName + " is taken on " + args.positionals[0]);
    return MStatus::kSuccess;
}

// ---- blendShape ----------------------------------------------------------------------

const FlagSpec kBlendShapeFlags[] = {
    {"name", "n", "s", 0},
    {"inBetween", "ib", "", 0},
    {"edit", "e", "", 0},
    {"target", "t", "sisd", FlagSpec::kMulti},
};

// A whole object with geometry; false (with the command's error) otherwise.
bool geometryNamed(const std::string& text, NodeId& out, MStatus& status)
{
    Address a;
    if (!readAddress(text, a, status))
        return false;
    if (a.plug.attr || a.component || a.path.empty() || !geometryShapeOf(a.node).valid()) {
        status = commandError("Not an object with geometry: " + text);
        return false;
    }
    out = a.node;
    return true;
}

struct TargetUse {
    NodeId base;
    int weight;
    NodeId target;
    double fullWeight;
};

// Checks every target first (two uses may not share a slot), then ties
// them all: nothing is tied unless all can be.
MStatus addTargets(NodeId blend, const std::vector<TargetUse>& uses)
{
    std::vector<PlugRef> slots;
    for (const TargetUse& u : uses) {
        PlugRef slot;
        std::string error;
        if (!blendTargetSlot(blend, u.base, u.weight, u.target, u.fullWeight, slot, &error))
            return commandError("Cannot add " + nodeText(u.target) + " to weight " + std::to_string(u.weight) +
                                " of " + nodeText(u.base) + ": " + error);
        for (const PlugRef& other : slots)
            if (other == slot)
                return commandError("Two targets of weight " + std::to_string(u.weight) + " of " +
                                    nodeText(u.base) + " share their full weight");
        slots.push_back(slot);
    }
    for (const TargetUse& u : uses)
        addBlendTarget(blend, u.base, u.weight, u.target, u.fullWeight, nullptr);
    return MStatus::kSuccess;
}

// blendShape -e -t BASE INDEX TARGET FULLWEIGHT... BLENDSHAPE
MStatus editBlendShape(const BoundArgs& args)
{
    if (args.positionals.size() != 1 || !args.has("target"))
        return commandError("-e takes -t uses and the blend shape");
    MStatus status;
    Address a;
    if (!readAddress(args.positionals[0], a, status))
        return status;
    if (a.plug.attr || !store().kindOf(a.node)->isA(MFn::kBlendShape))
        return commandError("Not a blend shape: " + args.positionals[0]);
    std::vector<TargetUse> uses;
    for (const BoundArgs::Use* use : args.all("target")) {
        TargetUse u{NodeId(), static_cast<int>(use->values[1].number), NodeId(), use->values[3].number};
        if (!geometryNamed(use->values[0].text, u.base, status) ||
            !geometryNamed(use->values[2].text, u.target, status))
            return status;
        uses.push_back(u);
    }
    return addTargets(a.node, uses);
}

// blendShape [-n NAME] [-ib] TARGET... BASE: target i drives weight i (full
// at 1); with -ib the n targets are in-betweens of weight 0, full at 1/n,
// 2/n, ..., 1.
MStatus runBlendShape(const BoundArgs& args, CommandResult& result)
{
    if (args.edit)
        return editBlendShape(args);
    if (args.positionals.size() < 2 || args.has("target"))
        return commandError("needs one or more targets and a base");
    MStatus status;
    std::vector<NodeId> objects(args.positionals.size());
    for (size_t i = 0; i < objects.size(); ++i)
        if (!geometryNamed(args.positionals[i], objects[i], status))
            return status;
    const NodeId base = objects.back();
    const size_t n = objects.size() - 1;
    std::vector<TargetUse> uses;
    for (size_t i = 0; i < n; ++i) {
        if (geometryShapeOf(objects[i]) == geometryShapeOf(base))
            return commandError("A target cannot be the base: " + args.positionals[i]);
        const bool between = args.has("inBetween");
        uses.push_back({base, between ? 0 : static_cast<int>(i), objects[i],
                        between ? static_cast<double>(i + 1) / static_cast<double>(n) : 1.0});
    }
    MFnBlendShapeDeformer fn;
    const MObject made = fn.create(ObjectAccess::fromNode(base), MFnBlendShapeDeformer::kLocalOrigin, &status);
    if (!status)
        return commandError("Cannot deform " + args.positionals.back());
    const NodeId blend = ObjectAccess::node(made);
    if (args.has("name"))
        store().rename(blend, args.text("name"));
    status = addTargets(blend, uses);
    if (!status) {
        store().deleteNode(blend);
        return status;
    }
    result.setStrings({store().name(blend)});
    return MStatus::kSuccess;
}

const CommandSpec kBuildCommands[] = {
    {"createNode", kCreateNodeFlags, 2, runCreateNode, nullptr},
    {"addAttr", kAddAttrFlags, sizeof kAddAttrFlags / sizeof kAddAttrFlags[0], runAddAttr, nullptr},
    {"blendShape", kBlendShapeFlags, sizeof kBlendShapeFlags / sizeof kBlendShapeFlags[0], runBlendShape, nullptr},
};

} // namespace

void registerBuildCommands(Interpreter& interp)
{
    addCommands(interp, kBuildCommands);
}

} // namespace vesk
