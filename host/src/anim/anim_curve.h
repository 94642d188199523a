// Animation curves of the host: the keys a curve node keeps, their
// tangents and evaluation, and the curve nodes that drive plugs.
#ifndef VESK_ANIM_ANIM_CURVE_H
#define VESK_ANIM_ANIM_CURVE_H

#include <cstddef>
#include <vector>

#include <vesk/MFn.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "store/ids.h"
#include "store/kind.h"

namespace vesk {

class NodeStore;

// Curve types (MFnAnimCurve::AnimCurveType): input time (0 to 3) or
// unitless (4 to 7), output angle, distance, time or unitless; 8 unknown.
constexpr int kCurveTypeCount = 9;
// Tangent types (MFnAnimCurve::TangentType).
enum CurveTangent : int {
    kTangentGlobal = 0,
    kTangentFixed = 1,
    kTangentLinear = 2,
    kTangentFlat = 3,
    kTangentSmooth = 4,
    kTangentStep = 5,
    kTangentSlow = 6,
    kTangentFast = 7,
    kTangentClamped = 8,
    kTangentTypeCount = 9
};

// One key. Times are seconds (input values for unitless-input curves),
// values and slopes internal units (slopes per second).
struct CurveKey {
    double time = 0.0;
    double value = 0.0;
    int inType = kTangentSmooth;
    int outType = kTangentSmooth;
    // The slopes of fixed sides.
    double inSlope = 0.0;
    double outSlope = 0.0;
    // The time extent of each tangent on a weighted curve, in seconds; 0
    // stands for the length of the segment on that side.
    double inExtent = 0.0;
    double outExtent = 0.0;
    bool tangentsLocked = true;
    bool weightsLocked = true;
};

// The keys of one curve node, in strictly rising time order.
//
// Slopes by tangent type (per side): fixed, the stored slope; linear, the
// chord toward that side's neighbour (0 without one); flat and step, 0;
// smooth, slow and fast, (v[i+1] - v[i-1]) / (t[i+1] - t[i-1]), the chord to
// the one neighbour at an end, 0 alone; clamped, as smooth but 0 at a key
// above or below both neighbours. A segment whose start key steps out holds
// the start value. Unweighted segments are cubic in time with their handles
// a third of the segment in; weighted segments are Bezier curves in time and
// value with each handle a third of its tangent's extent (clamped to the
// segment), solved for time. Before the first key and after the last the
// curve follows its infinity types (MFnAnimCurve::InfinityType; constant at
// first).
//
// Costs: appending a key after the last and removing the last are O(1);
// other insertions and removals O(n); evaluation O(log n), O(1) when times
// rise from call to call.
class VESK_API AnimCurve : public Payload {
public:
    explicit AnimCurve(int curveType) : mType(curveType) {}

    int curveType() const { return mType; }
    bool weighted() const { return mWeighted; }
    void setWeighted(bool on) { mWeighted = on; }

    // Infinity types before the first key (pre) and after the last.
    int infinity(bool pre) const { return pre ? mPreInfinity : mPostInfinity; }
    // Types other than 0, 1, 3, 4 and 5 fail with kInvalidParameter.
    MStatus setInfinity(bool pre, int type);

    size_t size() const { return mKeys.size(); }
    const CurveKey& key(size_t i) const { return mKeys[i]; }
    // The key at exactly time t, or -1.
    long find(double t) const;
    // The index of the last key at or before t (0 when t precedes the keys).
    size_t findClosestBelow(double t) const;

    // Adds a key; a tangent type 0 stores smooth. Fails with
    // kInvalidParameter, changing nothing, for a time already keyed, a
    // non-finite time or value, or a tangent type above 8. index receives
    // the new key's position.
    MStatus addKey(double t, double v, int inType, int outType, size_t* index);
    // Past the last key: kInvalidParameter.
    MStatus remove(size_t i);
    // Moves a key, keeping the keys in time order; newIndex receives its new
    // position. Onto another key's time, past the last key or non-finite:
    // kInvalidParameter, nothing changes.
    MStatus setTime(size_t i, double t, size_t* newIndex);
    MStatus setValue(size_t i, double v);
    // A type 0 stores smooth; above 8 fails.
    MStatus setTangentType(size_t i, bool in, int type);
    // Sets one side's tangent, which becomes fixed. With the tangents locked
    // the other side takes the same slope (and becomes fixed too); with the
    // weights locked, or an extent of 0 or less, the side keeps its extent.
    MStatus setTangent(size_t i, bool in, double slope, double extent);
    MStatus setLocks(size_t i, bool tangents, bool on);

    // The slope one side has (per second) and the time extent of its
    // tangent (seconds: the stored extent, else the segment on that side,
    // else the one on the other side, else 1 for a key alone).
    double slope(size_t i, bool in) const;
    double extent(size_t i, bool in) const;

    // The value at time t; 0 without keys.
    double evaluate(double t) const;

private:
    double smoothSlope(size_t i) const;
    // The value at t inside the keys, and outside them by an infinity type.
    double within(double t) const;
    double beyond(double t, bool pre) const;
    double segmentValue(size_t i, double t) const;

    int mType;
    bool mWeighted = false;
    int mPreInfinity = 0;
    int mPostInfinity = 0;
    std::vector<CurveKey> mKeys;
    // The segment of the last evaluation, tried first by the next one.
    mutable size_t mHint = 0;
};

// ---- Curve nodes and the plugs they drive -------------------------------------

// The curve-node kind of a curve type (kAnimCurveTimeToAngular for 0, ...,
// kAnimCurveUnknown for 8), and the type of a curve kind (-1 for others).
VESK_API MFn::Type curveKindOf(int curveType);
VESK_API int curveTypeOf(MFn::Type kind);
// The curve type a plug's attribute calls for: angles 0, distances 1,
// times 2, every other number 3.
VESK_API int curveTypeFor(const Attribute* attr);
// The keys of a curve node, or null for other nodes.
VESK_API AnimCurve* curveOf(NodeId node);
// The curve node whose output feeds the plug, or an invalid id.
VESK_API NodeId curveDriving(NodeId node, const PlugKey& key);
// Makes a curve node of the type ("<node>_<plug>") and connects its output
// to the plug. Fails with kInvalidParameter, making nothing, when the plug is
// not a numeric leaf value plug, is not writable or connectable, is locked
// (or a plug above it is), has an incoming connection, or the type is not
// 0 to 8.
VESK_API NodeId createCurve(NodeId node, const PlugKey& key, int curveType, MStatus* status);

// Adds the curve kinds' keys and output computation (a store registrar).
void registerAnimHooks(KindRegistry& registry);

} // namespace vesk

#endif
