// Animation commands: setKeyframe and keyTangent (keys and their tangents
// on the curves that drive plugs), currentTime and playbackOptions. Times
// are in the MTime user unit, values in the plug's user units, angles in
// the MAngle user unit; tangents (x, y) count as MFnAnimCurve counts them.
#include <algorithm>
#include <cmath>

#include <vesk/MAngle.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MTime.h>

#include "anim/anim_curve.h"
#include "foundation/number_text.h"
#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

// Internal units per user unit of a curve's inputs (key times; unitless
// inputs as they are) and of its outputs in tangents.
bool unitlessInput(int curveType)
{
    return curveType >= MFnAnimCurve::kAnimCurveUA && curveType <= MFnAnimCurve::kAnimCurveUU;
}

double inputScale(int curveType)
{
    return unitlessInput(curveType) ? 1.0 : internalPerUiUnit(3);
}

double outputScale(int curveType)
{
    return curveType == MFnAnimCurve::kAnimCurveTA   ? internalPerUiUnit(1)
           : curveType == MFnAnimCurve::kAnimCurveTL ? internalPerUiUnit(2)
                                                     : 1.0;
}

// Times between user units and seconds as MTime converts them, so that
// they match keys made through the function sets exactly.
double toSeconds(double ui)
{
    return MTime(ui, MTime::uiUnit()).as(MTime::kSeconds);
}

double toUiTime(double seconds)
{
    return MTime(seconds, MTime::kSeconds).as(MTime::uiUnit());
}

const char* const kTangentWords[kTangentTypeCount] = {"global", "fixed", "linear", "flat",   "smooth",
                                                      "step",   "slow",  "fast",   "clamped"};

// The tangent type of a flag, or -1 when absent; false (with the command's
// error) for a word that is none.
bool tangentType(const BoundArgs& args, const char* flag, int& out, MStatus& status)
{
    out = -1;
    if (!args.has(flag))
        return true;
    for (int t = 0; t < kTangentTypeCount; ++t)
        if (args.text(flag) == kTangentWords[t]) {
            out = t;
            return true;
        }
    status = commandError("Not a tangent type: " + args.text(flag));
    return false;
}

// The numeric plugs named: each positional is a plug, or with -at a node
// whose attribute that is.
bool keyedPlugs(const BoundArgs& args, std::vector<PlugRef>& out, MStatus& status)
{
    if (args.positionals.empty()) {
        status = commandError("needs the attribute to key");
        return false;
    }
    for (const std::string& text : args.positionals) {
        Address a;
        const std::string full = args.has("attribute") ? text + "." + args.text("attribute") : text;
        if (!readAddress(full, a, status))
            return false;
        if (!a.plug.attr || !NodeStore::isValuePlug(a.plug) || !a.plug.attr->isNumericLeaf()) {
            status = commandError("Not a single number attribute: " + full);
            return false;
        }
        out.push_back(PlugRef{a.node, a.plug});
    }
    return true;
}

// Sets one side's tangent type; a side made fixed keeps the slope it has.
void setSideType(AnimCurve& curve, size_t i, bool in, int type)
{
    if (type != kTangentFixed) {
        curve.setTangentType(i, in, type);
        return;
    }
    const bool locked = curve.key(i).tangentsLocked;
    curve.setLocks(i, true, false);
    curve.setTangent(i, in, curve.slope(i, in), 0.0);
    curve.setLocks(i, true, locked);
}

std::string plugText(const PlugRef& p)
{
    return nodeText(p.node) + "." + store().plugPath(p.node, p.key, true, false);
}

// ---- setKeyframe -----------------------------------------------------------------------

const FlagSpec kSetKeyframeFlags[] = {
    {"time", "t", "d", 0},          {"value", "v", "d", 0},           {"attribute", "at", "s", 0},
    {"inTangentType", "itt", "s", 0}, {"outTangentType", "ott", "s", 0},
};

// setKeyframe [-t TIME] [-v VALUE] [-itt TYPE] [-ott TYPE] [-at ATTR] PLUG:
// a key at the time (the current time when not given) of the value (the
// plug's own when not given) on the curve that drives the plug, made when
// none does; a key already there takes the value and the types given.
MStatus runSetKeyframe(const BoundArgs& args, CommandResult& result)
{
    MStatus status;
    std::vector<PlugRef> plugs;
    int inType = -1, outType = -1;
    if (!keyedPlugs(args, plugs, status) || !tangentType(args, "inTangentType", inType, status) ||
        !tangentType(args, "outTangentType", outType, status))
        return status;
    NodeStore& s = store();
    const double seconds = args.has("time") ? toSeconds(args.number("time")) : s.globals().currentTime;
    if (!std::isfinite(seconds))
        return commandError("Not a finite time: " + args.text("time"));
    // Every plug is checked before any is keyed.
    std::vector<double> values(plugs.size());
    for (size_t i = 0; i < plugs.size(); ++i) {
        const PlugRef& p = plugs[i];
        const NodeId curve = curveDriving(p.node, p.key);
        PlugRef src;
        if (curve.valid() && curveOf(curve)->curveType() >= MFnAnimCurve::kAnimCurveUA)
            return commandError("Driven by a curve without time input: " + plugText(p));
        if (!curve.valid() && s.sourceOf(p, src))
            return commandError("The attribute is connected: " + plugText(p));
        if (s.isLocked(p.node, p.key))
            return commandError("The attribute is locked: " + plugText(p));
        if (!p.key.attr->writable || !p.key.attr->connectable)
            return commandError("Cannot animate " + plugText(p));
        Value v;
        if (args.has("value"))
            values[i] = fromUiUnits(p.key.attr, args.number("value"));
        else if (s.readValue(p.node, p.key, v) && v.kind == Value::kNumber)
            values[i] = v.number;
        else
            return commandError("Cannot read the value of " + plugText(p));
        if (!std::isfinite(values[i]))
            return commandError("Not a finite value for " + plugText(p));
    }
    for (size_t i = 0; i < plugs.size(); ++i) {
        const PlugRef& p = plugs[i];
        NodeId curveNode = curveDriving(p.node, p.key);
        if (!curveNode.valid())
            curveNode = createCurve(p.node, p.key, curveTypeFor(p.key.attr), &status);
        if (!curveNode.valid())
            return commandError("Cannot animate " + plugText(p));
        AnimCurve* curve = curveOf(curveNode);
        const long found = curve->find(seconds);
        size_t at = static_cast<size_t>(found);
        if (found < 0)
            curve->addKey(seconds, values[i], kTangentGlobal, kTangentGlobal, &at);
        else
            curve->setValue(at, values[i]);
        if (inType >= 0)
            setSideType(*curve, at, true, inType);
        if (outType >= 0)
            setSideType(*curve, at, false, outType);
    }
    result.setInt(static_cast<int>(plugs.size()));
    return MStatus::kSuccess;
}

// ---- keyTangent ------------------------------------------------------------------------

const FlagSpec kKeyTangentFlags[] = {
    {"time", "t", "d", FlagSpec::kMulti},
    {"index", "in", "i", FlagSpec::kMulti},
    {"attribute", "at", "s", 0},
    {"inTangentType", "itt", "s", 0},
    {"outTangentType", "ott", "s", 0},
    {"inAngle", "ia", "d", 0},
    {"outAngle", "oa", "d", 0},
    {"inWeight", "iw", "d", 0},
    {"outWeight", "ow", "d", 0},
    {"ix", "ix", "d", 0},
    {"iy", "iy", "d", 0},
    {"ox", "ox", "d", 0},
    {"oy", "oy", "d", 0},
    {"lock", "l", "b", 0},
    {"weightLock", "wl", "b", 0},
    {"weightedTangents", "wt", "b", 0},
};

// What the flags of one side ask: by angle and weight, or by x and y.
struct SideFlags {
    const char* angle;
    const char* weight;
    const char* x;
    const char* y;
};
const SideFlags kSides[2] = {{"inAngle", "inWeight", "ix", "iy"}, {"outAngle", "outWeight", "ox", "oy"}};

bool sideGiven(const BoundArgs& args, const SideFlags& f)
{
    return args.has(f.angle) || args.has(f.weight) || args.has(f.x) || args.has(f.y);
}

// Checks one side's numbers on their own: an angle strictly between -90
// and 90 degrees, a weight and x above 0, every number finite.
bool checkSide(const BoundArgs& args, const SideFlags& f, MStatus& status)
{
    if ((args.has(f.angle) || args.has(f.weight)) && (args.has(f.x) || args.has(f.y))) {
        status = commandError("Give a tangent by angle and weight or by x and y, not both");
        return false;
    }
    for (const char* flag : {f.angle, f.weight, f.x, f.y})
        if (args.has(flag) && !std::isfinite(args.number(flag))) {
            status = commandError(std::string("Not a finite number: -") + flag);
            return false;
        }
    const double quarterTurn = 1.5707963267948966;
    if (args.has(f.angle) &&
        !(std::fabs(MAngle(args.number(f.angle), MAngle::uiUnit()).as(MAngle::kRadians)) < quarterTurn)) {
        status = commandError("A tangent angle lies strictly between -90 and 90 degrees");
        return false;
    }
    if ((args.has(f.weight) && !(args.number(f.weight) > 0.0)) || (args.has(f.x) && !(args.number(f.x) > 0.0))) {
        status = commandError("A tangent weight and x lie above 0");
        return false;
    }
    return true;
}

// Sets one side of key i as the flags ask, taking what they leave out from
// the side's tangent now.
void applySide(const BoundArgs& args, const SideFlags& f, AnimCurve& curve, size_t i, bool in)
{
    const int type = curve.curveType();
    const double tScale = inputScale(type);
    const double vScale = outputScale(type);
    const double slope = curve.slope(i, in) * tScale / vScale;
    const double x0 = curve.weighted() ? curve.extent(i, in) / tScale : 1.0 / std::sqrt(1.0 + slope * slope);
    const double y0 = slope * x0;
    double x, y;
    if (args.has(f.x) || args.has(f.y)) {
        x = args.number(f.x, 0, x0);
        y = args.number(f.y, 0, y0);
    } else {
        const double angle = args.has(f.angle) ? MAngle(args.number(f.angle), MAngle::uiUnit()).as(MAngle::kRadians)
                                               : std::atan2(y0, x0);
        const double weight = args.number(f.weight, 0, std::hypot(x0, y0));
        x = weight * std::cos(angle);
        y = weight * std::sin(angle);
    }
    curve.setTangent(i, in, y * vScale / (x * tScale), curve.weighted() ? x * tScale : 0.0);
}

// The keys named by -t and -in (every key when neither is given).
bool keysNamed(const BoundArgs& args, const AnimCurve& curve, const std::string& plug, std::vector<size_t>& out,
               MStatus& status)
{
    out.clear();
    for (const BoundArgs::Use* use : args.all("time")) {
        const double t = use->values[0].number;
        const long at = curve.find(unitlessInput(curve.curveType()) ? t : toSeconds(t));
        if (at < 0) {
            status = commandError("No key at time " + use->values[0].text + " on " + plug);
            return false;
        }
        out.push_back(static_cast<size_t>(at));
    }
    for (const BoundArgs::Use* use : args.all("index")) {
        const double i = use->values[0].number;
        if (i < 0 || i >= static_cast<double>(curve.size())) {
            status = commandError("No key " + use->values[0].text + " on " + plug);
            return false;
        }
        out.push_back(static_cast<size_t>(i));
    }
    if (!args.has("time") && !args.has("index"))
        for (size_t i = 0; i < curve.size(); ++i)
            out.push_back(i);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

// keyTangent [-t TIME]... [-in INDEX]... [-wt B] [-l B] [-wl B] [-itt TYPE]
// [-ott TYPE] [-ia A] [-iw W] [-ix X] [-iy Y] [-oa A] [-ow W] [-ox X]
// [-oy Y] [-at ATTR] PLUG...: in that order the curve becomes weighted or
// not, the keys' locks change, their types, then their tangents (in, then
// out), a side set by numbers becoming fixed. Everything is checked first.
MStatus runKeyTangent(const BoundArgs& args, CommandResult&)
{
    MStatus status;
    std::vector<PlugRef> plugs;
    int inType = -1, outType = -1;
    if (!keyedPlugs(args, plugs, status) || !tangentType(args, "inTangentType", inType, status) ||
        !tangentType(args, "outTangentType", outType, status) || !checkSide(args, kSides[0], status) ||
        !checkSide(args, kSides[1], status))
        return status;
    const bool weightAsked = args.has("inWeight") || args.has("outWeight") || args.has("ix") || args.has("ox");
    std::vector<AnimCurve*> curves;
    std::vector<std::vector<size_t>> keys(plugs.size());
    for (size_t p = 0; p < plugs.size(); ++p) {
        const std::string text = plugText(plugs[p]);
        const NodeId node = curveDriving(plugs[p].node, plugs[p].key);
        AnimCurve* curve = node.valid() ? curveOf(node) : nullptr;
        if (!curve || curve->size() == 0)
            return commandError("No keys on " + text);
        if (!keysNamed(args, *curve, text, keys[p], status))
            return status;
        const bool weighted = args.boolean("weightedTangents", 0, curve->weighted());
        if ((args.has("inWeight") || args.has("outWeight")) && !weighted)
            return commandError("The curve of " + text + " is not weighted (-wt true)");
        for (size_t i : keys[p])
            if (weighted && weightAsked && args.boolean("weightLock", 0, curve->key(i).weightsLocked))
                return commandError("The weights of key " + std::to_string(i) + " of " + text +
                                    " are locked (-wl false)");
        curves.push_back(curve);
    }
    for (size_t p = 0; p < plugs.size(); ++p) {
        AnimCurve& curve = *curves[p];
        if (args.has("weightedTangents"))
            curve.setWeighted(args.boolean("weightedTangents"));
        for (size_t i : keys[p]) {
            if (args.has("lock"))
                curve.setLocks(i, true, args.boolean("lock"));
            if (args.has("weightLock"))
                curve.setLocks(i, false, args.boolean("weightLock"));
            if (inType >= 0)
                setSideType(curve, i, true, inType);
            if (outType >= 0)
                setSideType(curve, i, false, outType);
            for (int side = 0; side < 2; ++side)
                if (sideGiven(args, kSides[side]))
                    applySide(args, kSides[side], curve, i, side == 0);
        }
    }
    return MStatus::kSuccess;
}

// ---- Time ---------------------------------------------------------------------------------

const FlagSpec kCurrentTimeFlags[] = {{"query", "q", "", 0}};

// currentTime TIME sets the current time; currentTime -q answers it.
MStatus runCurrentTime(const BoundArgs& args, CommandResult& result)
{
    Globals& g = store().globals();
    if (args.query) {
        if (!args.positionals.empty())
            return commandError("-q takes no time");
        result.setDouble(toUiTime(g.currentTime));
        return MStatus::kSuccess;
    }
    double t = 0.0;
    if (args.positionals.size() != 1 || !parseDouble(args.positionals[0].c_str(), t) ||
        !std::isfinite(toSeconds(t)))
        return commandError("needs one finite time");
    g.currentTime = toSeconds(t);
    result.setDouble(t);
    return MStatus::kSuccess;
}

const FlagSpec kPlaybackFlags[] = {
    {"query", "q", "", 0},
    {"minTime", "min", "d", FlagSpec::kQueryable},
    {"maxTime", "max", "d", FlagSpec::kQueryable},
};

// playbackOptions [-min T] [-max T] sets the playback range; with -q
// -min or -q -max it answers one end.
MStatus runPlaybackOptions(const BoundArgs& args, CommandResult& result)
{
    Globals& g = store().globals();
    if (!args.positionals.empty())
        return commandError("takes no positional arguments");
    if (args.query) {
        if (!args.queried)
            return commandError("-q needs -min or -max");
        result.setDouble(toUiTime(args.queried == &kPlaybackFlags[1] ? g.minTime : g.maxTime));
        return MStatus::kSuccess;
    }
    const double low = args.has("minTime") ? toSeconds(args.number("minTime")) : g.minTime;
    const double high = args.has("maxTime") ? toSeconds(args.number("maxTime")) : g.maxTime;
    if (!std::isfinite(low) || !std::isfinite(high) || low > high)
        return commandError("The range needs finite ends, the start not after the end");
    g.minTime = low;
    g.maxTime = high;
    return MStatus::kSuccess;
}

const CommandSpec kAnimCommands[] = {
    {"setKeyframe", kSetKeyframeFlags, sizeof kSetKeyframeFlags / sizeof kSetKeyframeFlags[0], runSetKeyframe,
     nullptr},
    {"keyTangent", kKeyTangentFlags, sizeof kKeyTangentFlags / sizeof kKeyTangentFlags[0], runKeyTangent, nullptr},
    {"currentTime", kCurrentTimeFlags, 1, runCurrentTime, nullptr},
    {"playbackOptions", kPlaybackFlags, 3, runPlaybackOptions, nullptr},
};

} // namespace

void registerAnimCommands(Interpreter& interp)
{
    addCommands(interp, kAnimCommands);
}

} // namespace vesk
