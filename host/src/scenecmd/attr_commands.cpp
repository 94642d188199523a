// Attribute commands: getAttr, setAttr, connectAttr, transformLimits and
// the driven-key query of setDrivenKeyframe.
#include <cmath>

#include "anim/anim_curve.h"
#include "foundation/number_text.h"
#include "scenecmd/scene_commands_impl.h"
#include "store/numeric.h"
#include "store/transform_limits.h"

namespace vesk {
namespace {

const FlagSpec kNoFlags[] = {{"", "", "", 0}};

// The plug a text names; false (with the command's error) otherwise.
bool readPlug(const std::string& text, PlugRef& out, MStatus& status)
{
    Address a;
    if (!readAddress(text, a, status))
        return false;
    if (!a.plug.attr) {
        status = commandError("Not an attribute: " + text);
        return false;
    }
    out = PlugRef{a.node, a.plug};
    return true;
}

// The numeric leaves of a plug: itself, or the children of a compound of
// numbers (translate, color).
bool numericLeaves(const PlugKey& key, std::vector<PlugKey>& out)
{
    out.clear();
    if (key.attr->isNumericLeaf()) {
        out.push_back(key);
        return true;
    }
    if (key.attr->children().empty())
        return false;
    for (Attribute* c : key.attr->children()) {
        if (!c->isNumericLeaf() || c->array)
            return false;
        PlugKey k = key;
        k.attr = c;
        out.push_back(k);
    }
    return true;
}

MStatus runGetAttr(const BoundArgs& args, CommandResult& result)
{
    if (args.positionals.size() != 1)
        return commandError("needs one attribute");
    MStatus status;
    PlugRef p;
    if (!readPlug(args.positionals[0], p, status))
        return status;
    NodeStore& s = store();
    const Attribute* a = p.key.attr;
    if (!NodeStore::levelsSet(p.key) || (a->array && p.key.idx[a->ownLevel()] == kUnsetIndex))
        return commandError("Name an element of the array: " + args.positionals[0]);
    Value v;
    if (a->form() == AttrForm::kMatrix) {
        MMatrix m;
        if (s.readValue(p.node, p.key, v) && v.kind == Value::kData && v.data &&
            v.data->apiType() == MFn::kMatrixData)
            m = static_cast<const MatrixData*>(v.data.get())->matrix;
        std::vector<double> items;
        for (unsigned r = 0; r < 4; ++r)
            for (unsigned c = 0; c < 4; ++c)
                items.push_back(m(r, c));
        result.setDoubles(items);
        return MStatus::kSuccess;
    }
    if (a->form() == AttrForm::kTyped) {
        if (!s.readValue(p.node, p.key, v) || (v.kind != Value::kText && v.kind != Value::kNone))
            return commandError("Cannot read the value of " + args.positionals[0]);
        result.setString(v.text);
        return MStatus::kSuccess;
    }
    std::vector<PlugKey> leaves;
    if (!numericLeaves(p.key, leaves))
        return commandError("Cannot read the value of " + args.positionals[0]);
    std::vector<double> numbers;
    for (const PlugKey& k : leaves) {
        if (!s.readValue(p.node, k, v) || v.kind != Value::kNumber)
            return commandError("Cannot read the value of " + args.positionals[0]);
        numbers.push_back(toUiUnits(k.attr, v.number));
    }
    if (leaves.size() > 1)
        result.setDoubles(numbers);
    else if (a->isIntegerValued())
        result.setInt(static_cast<int>(numbers[0]));
    else
        result.setDouble(numbers[0]);
    return MStatus::kSuccess;
}

const FlagSpec kSetAttrFlags[] = {{"type", "typ", "s", 0}};

// A number of setAttr: a number, or for bools true/false, for enums a field.
bool readNumber(const Attribute* a, const std::string& text, double& out)
{
    if (a->form() == AttrForm::kEnum)
        for (const auto& f : a->fields)
            if (f.first == text) {
                out = f.second;
                return true;
            }
    if (a->numericType == 1 && a->form() == AttrForm::kNumeric) {
        bool b = false;
        if (parseBoolText(text, b)) {
            out = b ? 1.0 : 0.0;
            return true;
        }
    }
    return parseDouble(text.c_str(), out);
}

MStatus runSetAttr(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.empty())
        return commandError("needs an attribute");
    MStatus status;
    PlugRef p;
    if (!readPlug(args.positionals[0], p, status))
        return status;
    NodeStore& s = store();
    const std::vector<std::string> values(args.positionals.begin() + 1, args.positionals.end());
    const std::string type = args.text("type");
    const Attribute* a = p.key.attr;
    PlugRef src;
    if (!NodeStore::isValuePlug(p.key) && !(type.empty() && !a->children().empty()))
        return commandError("Not a value: " + args.positionals[0]);
    if (s.isLocked(p.node, p.key))
        return commandError("The attribute is locked: " + args.positionals[0]);
    if (s.sourceOf(p, src))
        return commandError("The attribute is connected: " + args.positionals[0]);

    if (type == "matrix") {
        if (a->form() != AttrForm::kMatrix)
            return commandError("Not a matrix: " + args.positionals[0]);
        if (values.size() != 16)
            return commandError("A matrix takes 16 numbers, not " + std::to_string(values.size()));
        MMatrix m;
        for (size_t i = 0; i < 16; ++i)
            if (!parseDouble(values[i].c_str(), m(static_cast<unsigned>(i / 4), static_cast<unsigned>(i % 4))))
                return commandError("Not a number: " + values[i]);
        status = s.writeValue(p.node, p.key, Value::ofData(Ref<RefObject>(new MatrixData(m))));
        return status ? status : commandError("Cannot write " + args.positionals[0]);
    }
    if (type == "string") {
        if (a->form() != AttrForm::kTyped || values.size() != 1)
            return commandError("Not a string attribute, or not one value");
        status = s.writeValue(p.node, p.key, Value::ofText(values[0]));
        return status ? status : commandError("Cannot write " + args.positionals[0]);
    }
    if (!type.empty())
        return commandError("Unsupported type: " + type);

    std::vector<PlugKey> leaves;
    if (!numericLeaves(p.key, leaves))
        return commandError("Needs -type: " + args.positionals[0]);
    if (values.size() != leaves.size())
        return commandError(args.positionals[0] + " takes " + std::to_string(leaves.size()) + " value(s)");
    std::vector<double> numbers(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        if (!readNumber(leaves[i].attr, values[i], numbers[i]))
            return commandError("Not a value: " + values[i]);
    for (const PlugKey& k : leaves)
        if (s.isLocked(p.node, k) || s.sourceOf(PlugRef{p.node, k}, src))
            return commandError("A part of the attribute is locked or connected: " + args.positionals[0]);
    for (size_t i = 0; i < leaves.size(); ++i)
        if (!writeUiNumber(p.node, leaves[i], numbers[i], status))
            return status;
    return MStatus::kSuccess;
}

const FlagSpec kConnectFlags[] = {{"force", "f", "", 0}};

MStatus runConnectAttr(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.size() != 2)
        return commandError("needs a source and a destination");
    MStatus status;
    PlugRef src, dst, old;
    if (!readPlug(args.positionals[0], src, status) || !readPlug(args.positionals[1], dst, status))
        return status;
    NodeStore& s = store();
    const bool had = s.sourceOf(dst, old);
    if (had && old == src)
        return MStatus::kSuccess;
    if (had && !args.has("force"))
        return commandError(args.positionals[1] + " is already connected");
    if (had)
        s.disconnect(old, dst);
    if (s.connect(src, dst))
        return MStatus::kSuccess;
    if (had)
        s.connect(old, dst);
    return commandError("Cannot connect " + args.positionals[0] + " to " + args.positionals[1]);
}

// transformLimits: per axis of translation, rotation and scale, "-tx min max"
// (user units: degrees for rotations) and "-etx onMin onMax".
struct LimitFlag {
    const char* axis;
    int minCode;
};
const LimitFlag kLimitAxes[] = {
    {"tx", 18}, {"ty", 20}, {"tz", 22}, {"rx", 12}, {"ry", 14}, {"rz", 16}, {"sx", 0}, {"sy", 2}, {"sz", 4},
};
const FlagSpec kLimitFlags[] = {
    {"translateX", "tx", "dd", 0}, {"translateY", "ty", "dd", 0}, {"translateZ", "tz", "dd", 0},
    {"rotateX", "rx", "dd", 0},    {"rotateY", "ry", "dd", 0},    {"rotateZ", "rz", "dd", 0},
    {"scaleX", "sx", "dd", 0},     {"scaleY", "sy", "dd", 0},     {"scaleZ", "sz", "dd", 0},
    {"enableTranslateX", "etx", "bb", 0}, {"enableTranslateY", "ety", "bb", 0}, {"enableTranslateZ", "etz", "bb", 0},
    {"enableRotateX", "erx", "bb", 0},    {"enableRotateY", "ery", "bb", 0},    {"enableRotateZ", "erz", "bb", 0},
    {"enableScaleX", "esx", "bb", 0},     {"enableScaleY", "esy", "bb", 0},     {"enableScaleZ", "esz", "bb", 0},
};

MStatus runTransformLimits(const BoundArgs& args, CommandResult&)
{
    if (args.positionals.size() != 1)
        return commandError("needs one transform");
    MStatus status;
    Address a;
    if (!readAddress(args.positionals[0], a, status))
        return status;
    NodeStore& s = store();
    if (a.plug.attr || a.component || !s.kindOf(a.node)->isA(MFn::kTransform))
        return commandError("Not a transform: " + args.positionals[0]);
    // Every plug and value first; nothing is written unless all are good.
    struct Write {
        PlugKey key;
        double ui;
    };
    std::vector<Write> writes;
    for (size_t f = 0; f < 9; ++f) {
        const BoundArgs::Use* bounds = args.last(kLimitFlags[f].longName);
        const BoundArgs::Use* enables = args.last(kLimitFlags[f + 9].longName);
        for (int side = 0; side < 2; ++side) {
            const int code = kLimitAxes[f].minCode + side;
            if (bounds) {
                if (!std::isfinite(bounds->values[side].number))
                    return commandError("Not a finite bound: " + bounds->values[side].text);
                writes.push_back({keyNamed(a.node, transformLimitName(code, false).c_str()),
                                  bounds->values[side].number});
            }
            if (enables)
                writes.push_back({keyNamed(a.node, transformLimitName(code, true).c_str()),
                                  enables->values[side].number});
        }
    }
    for (const Write& w : writes)
        if (!w.key.attr || s.isLocked(a.node, w.key))
            return commandError("Cannot set the limits of " + args.positionals[0]);
    for (const Write& w : writes)
        if (!writeUiNumber(a.node, w.key, w.ui, status))
            return status;
    return MStatus::kSuccess;
}

const FlagSpec kDrivenFlags[] = {{"query", "q", "", 0}, {"currentDriver", "cd", "", FlagSpec::kQueryable}};

// Only the driver query: the plugs feeding the curve that drives the plug,
// or "No drivers.".
MStatus runSetDrivenKeyframe(const BoundArgs& args, CommandResult& result)
{
    if (!args.query || !args.queried)
        return commandError("only answers -query -currentDriver");
    if (args.positionals.size() != 1)
        return commandError("needs one attribute");
    MStatus status;
    PlugRef p;
    if (!readPlug(args.positionals[0], p, status))
        return status;
    NodeStore& s = store();
    std::vector<std::string> drivers;
    const NodeId curve = curveDriving(p.node, p.key);
    if (curve.valid())
        for (uint32_t id : s.connectionsOf(curve)) {
            if (id == kNoConnection)
                continue;
            const Connection& c = s.connection(id);
            if (c.live && c.dst.node == curve)
                drivers.push_back(nodeText(c.src.node) + "." + s.plugPath(c.src.node, c.src.key, true, false));
        }
    if (drivers.empty())
        drivers.push_back("No drivers.");
    result.setStrings(drivers);
    return MStatus::kSuccess;
}

const CommandSpec kAttrCommands[] = {
    {"getAttr", kNoFlags, 0, runGetAttr, nullptr},
    {"setAttr", kSetAttrFlags, 1, runSetAttr, nullptr},
    {"connectAttr", kConnectFlags, 1, runConnectAttr, nullptr},
    {"transformLimits", kLimitFlags, sizeof kLimitFlags / sizeof kLimitFlags[0], runTransformLimits, nullptr},
    {"setDrivenKeyframe", kDrivenFlags, 2, runSetDrivenKeyframe, nullptr},
};

} // namespace

void registerAttrCommands(Interpreter& interp)
{
    addCommands(interp, kAttrCommands);
}

} // namespace vesk
