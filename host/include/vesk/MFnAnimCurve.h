// Function set of animation curves: the keys of the curve node that
// drives a plug.
#ifndef VESK_MFNANIMCURVE_H
#define VESK_MFNANIMCURVE_H

#include <vesk/MFnDependencyNode.h>
#include <vesk/MPlug.h>
#include <vesk/MTime.h>
#include <vesk/VeskExport.h>

class MAnimCurveChange;
class MDGModifier;

// Keys are indexed in time order; key times are MTime values (seconds
// inside), key values internal units (radians, centimetres). Tangents cross
// this interface in user-interface units: x in MTime::uiUnit() units (as is
// for unitless-input curves), y in MAngle::uiUnit() for kAnimCurveTA curves,
// MDistance::uiUnit() for kAnimCurveTL curves and as is for the others,
// converted with the units in force at each call; slopes are kept per second
// in internal units.
//
// Slopes by tangent type, per side: fixed, its own; linear, the chord toward
// that side's neighbour (0 without one); flat and step, 0; smooth, slow and
// fast, the chord between the two neighbours (to the one neighbour at an
// end, 0 alone); clamped, as smooth but 0 at a key above or below both
// neighbours. A segment whose first key steps out holds that key's value.
// Unweighted segments have their handles a third of the segment in;
// weighted ones a third of each tangent's time extent, solved for time.
// Before the first key and after the last the curve follows its pre- and
// post-infinity types (constant for a new curve). Change records and
// modifiers are accepted and unused (nothing is undone).
//
// Bound to a plug that no curve drives (kNotFound), the set has no keys and
// evaluate gives the plug's own value; a curve without keys drives nothing.
// A plug driven by a curve with keys reads the curve's value at
// MAnimControl::currentTime().
class VESK_API MFnAnimCurve : public MFnDependencyNode {
public:
    enum AnimCurveType {
        kAnimCurveTA = 0, // time to angle
        kAnimCurveTL = 1, // time to distance
        kAnimCurveTT = 2, // time to time
        kAnimCurveTU = 3, // time to unitless
        kAnimCurveUA = 4, // unitless to angle
        kAnimCurveUL = 5, // unitless to distance
        kAnimCurveUT = 6, // unitless to time
        kAnimCurveUU = 7, // unitless to unitless
        kAnimCurveUnknown = 8
    };
    enum TangentType {
        kTangentGlobal = 0, // stored as smooth
        kTangentFixed = 1,
        kTangentLinear = 2,
        kTangentFlat = 3,
        kTangentSmooth = 4,
        kTangentStep = 5,
        kTangentSlow = 6,
        kTangentFast = 7,
        kTangentClamped = 8
    };

    // Beyond the keys: the end key's value; the end key's outer slope;
    // the keys repeated; repeated, each cycle offset by the last key's
    // value minus the first's; repeated back and forth.
    enum InfinityType { kConstant = 0, kLinear = 1, kCycle = 3, kCycleRelative = 4, kOscillate = 5 };

    MFnAnimCurve() {}
    // Binds to a curve node; other objects fail with kInvalidParameter.
    MFnAnimCurve(const MObject& curve, MStatus* status = nullptr);
    // Binds to the curve that drives the plug; kNotFound when none does.
    MFnAnimCurve(const MPlug& plug, MStatus* status = nullptr);
    MFn::Type type() const override;

    // Makes a curve node of the type ("<node>_<attribute>") driving the plug
    // and binds the set to it. Fails with kInvalidParameter, making nothing,
    // on a locked plug (or one under a locked plug), a plug with an incoming
    // connection, a plug that is not a numeric leaf or not writable, and a
    // type above 8. The form without a type takes it from the attribute:
    // angles kAnimCurveTA, distances kAnimCurveTL, times kAnimCurveTT, any
    // other number kAnimCurveTU.
    MObject create(const MPlug& plug, AnimCurveType type, MDGModifier* modifier = nullptr,
                   MStatus* status = nullptr);
    MObject create(const MPlug& plug, MDGModifier* modifier = nullptr, MStatus* status = nullptr);

    AnimCurveType animCurveType(MStatus* status = nullptr) const;
    unsigned int numKeys(MStatus* status = nullptr) const;
    // Index of the key at exactly the time; false when there is none.
    bool find(const MTime& time, unsigned int& index, MStatus* status = nullptr) const;

    // Adds a key and returns its index. A time already keyed, a tangent
    // type above 8 or a non-finite value fail with kInvalidParameter and
    // change nothing. Tangent type kTangentGlobal stores kTangentSmooth; new
    // keys have tangents and weights locked.
    unsigned int addKey(const MTime& time, double value, TangentType inType = kTangentGlobal,
                        TangentType outType = kTangentGlobal, MAnimCurveChange* change = nullptr,
                        MStatus* status = nullptr);
    // Index past the last key: kInvalidParameter.
    MStatus remove(unsigned int index, MAnimCurveChange* change = nullptr);

    MTime time(unsigned int index, MStatus* status = nullptr) const;
    double value(unsigned int index, MStatus* status = nullptr) const;
    // Moves a key (its index follows the time order); onto another key's
    // time: kInvalidParameter, nothing changes.
    MStatus setTime(unsigned int index, const MTime& time, MAnimCurveChange* change = nullptr);
    MStatus setValue(unsigned int index, double value, MAnimCurveChange* change = nullptr);

    TangentType inTangentType(unsigned int index, MStatus* status = nullptr) const;
    TangentType outTangentType(unsigned int index, MStatus* status = nullptr) const;
    MStatus setInTangentType(unsigned int index, TangentType type, MAnimCurveChange* change = nullptr);
    MStatus setOutTangentType(unsigned int index, TangentType type, MAnimCurveChange* change = nullptr);

    // The tangent of one side as (x, y) in user-interface units (see
    // above): on a weighted curve x is the tangent's time extent, on an
    // unweighted one (x, y) has length 1. x > 0.
    MStatus getTangent(unsigned int index, float& x, float& y, bool isInTangent) const;
    // Sets one side's tangent from (x, y), x > 0; the side becomes fixed.
    // Locked tangents give the other side the same slope; locked weights
    // keep the side's extent. convertUnits false takes x in seconds and y in
    // internal units.
    MStatus setTangent(unsigned int index, float x, float y, bool isInTangent, MAnimCurveChange* change = nullptr,
                       bool convertUnits = true);

    bool isWeighted(MStatus* status = nullptr) const;
    MStatus setIsWeighted(bool weighted, MAnimCurveChange* change = nullptr);
    bool tangentsLocked(unsigned int index, MStatus* status = nullptr) const;
    MStatus setTangentsLocked(unsigned int index, bool locked, MAnimCurveChange* change = nullptr);
    bool weightsLocked(unsigned int index, MStatus* status = nullptr) const;
    MStatus setWeightsLocked(unsigned int index, bool locked, MAnimCurveChange* change = nullptr);

    InfinityType preInfinityType(MStatus* status = nullptr) const;
    InfinityType postInfinityType(MStatus* status = nullptr) const;
    // A type not listed above fails with kInvalidParameter.
    MStatus setPreInfinityType(InfinityType type, MAnimCurveChange* change = nullptr);
    MStatus setPostInfinityType(InfinityType type, MAnimCurveChange* change = nullptr);

    // The value at a time, in internal units.
    double evaluate(const MTime& time, MStatus* status = nullptr) const;
    MStatus evaluate(const MTime& time, double& value) const;

protected:
    bool accepts(const MObject& object) const override;

private:
    // The plug the set was bound through (for a plug no curve drives).
    MPlug mPlug;
};

#endif
