// MFnAnimCurve: keys of the curve node bound, in the interface's units.
#include <cmath>

#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MFnAnimCurve.h>

#include "anim/anim_curve.h"
#include "core/object_access.h"
#include "store/node_store.h"

using vesk::AnimCurve;
using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;

namespace {

// Seconds (input units) per interface unit of x: time units for every
// curve but those of unitless input.
double inputScale(int type)
{
    const bool unitlessInput = type >= MFnAnimCurve::kAnimCurveUA && type <= MFnAnimCurve::kAnimCurveUU;
    return unitlessInput ? 1.0 : 1.0 / vesk::timeUnitsPerSecond(MTime::uiUnit());
}

// Internal output units per interface unit of y: angles for time-to-angle
// curves, distances for time-to-distance curves, as is for the others.
double outputScale(int type)
{
    switch (type) {
    case MFnAnimCurve::kAnimCurveTA:
        return MAngle(1.0, MAngle::uiUnit()).as(MAngle::internalUnit());
    case MFnAnimCurve::kAnimCurveTL:
        return MDistance(1.0, MDistance::uiUnit()).as(MDistance::internalUnit());
    default:
        return 1.0;
    }
}

// The input value of a key time: seconds for time-input curves (and for
// the others, whose inputs are carried as such).
double inputOf(const MTime& t)
{
    return t.as(MTime::kSeconds);
}

} // namespace

MFnAnimCurve::MFnAnimCurve(const MObject& curve, MStatus* status)
{
    report(status, setObject(curve));
}

MFnAnimCurve::MFnAnimCurve(const MPlug& plug, MStatus* status)
{
    vesk::PlugRef r;
    if (!ObjectAccess::plugRef(plug, r)) {
        report(status, MStatus::kInvalidParameter);
        return;
    }
    mPlug = plug;
    const NodeId curve = vesk::curveDriving(r.node, r.key);
    if (!curve.valid()) {
        report(status, MStatus::kNotFound);
        return;
    }
    mObject = ObjectAccess::fromNode(curve);
    report(status, MStatus::kSuccess);
}

MFn::Type MFnAnimCurve::type() const
{
    return MFn::kAnimCurve;
}

bool MFnAnimCurve::accepts(const MObject& object) const
{
    return vesk::curveOf(ObjectAccess::node(object)) != nullptr;
}

namespace {

// The keys of the bound curve, with the call's status.
AnimCurve* keysOf(const MObject& o, MStatus* status)
{
    AnimCurve* c = vesk::curveOf(ObjectAccess::node(o));
    report(status, c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return c;
}

// The keys and a valid index, else the failure reported.
AnimCurve* keyAt(const MObject& o, unsigned int index, MStatus* status)
{
    AnimCurve* c = keysOf(o, status);
    if (c && index >= c->size()) {
        report(status, MStatus::kInvalidParameter);
        return nullptr;
    }
    return c;
}

} // namespace

MObject MFnAnimCurve::create(const MPlug& plug, AnimCurveType type, MDGModifier*, MStatus* status)
{
    vesk::PlugRef r;
    if (!ObjectAccess::plugRef(plug, r)) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    MStatus s;
    const NodeId curve = vesk::createCurve(r.node, r.key, static_cast<int>(type), &s);
    report(status, s);
    if (!s)
        return MObject();
    mPlug = plug;
    mObject = ObjectAccess::fromNode(curve);
    return mObject;
}

MObject MFnAnimCurve::create(const MPlug& plug, MDGModifier* modifier, MStatus* status)
{
    vesk::PlugRef r;
    const int type = ObjectAccess::plugRef(plug, r) ? vesk::curveTypeFor(r.key.attr) : kAnimCurveTU;
    return create(plug, static_cast<AnimCurveType>(type), modifier, status);
}

MFnAnimCurve::AnimCurveType MFnAnimCurve::animCurveType(MStatus* status) const
{
    const AnimCurve* c = keysOf(mObject, status);
    return c ? static_cast<AnimCurveType>(c->curveType()) : kAnimCurveUnknown;
}

unsigned int MFnAnimCurve::numKeys(MStatus* status) const
{
    const AnimCurve* c = vesk::curveOf(ObjectAccess::node(mObject));
    report(status, c || !mPlug.isNull() ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return c ? static_cast<unsigned int>(c->size()) : 0;
}

bool MFnAnimCurve::find(const MTime& time, unsigned int& index, MStatus* status) const
{
    const AnimCurve* c = keysOf(mObject, status);
    const long at = c ? c->find(inputOf(time)) : -1;
    if (at < 0)
        return false;
    index = static_cast<unsigned int>(at);
    return true;
}

unsigned int MFnAnimCurve::addKey(const MTime& time, double value, TangentType inType, TangentType outType,
                                  MAnimCurveChange*, MStatus* status)
{
    AnimCurve* c = keysOf(mObject, status);
    size_t index = 0;
    if (c)
        report(status, c->addKey(inputOf(time), value, inType, outType, &index));
    return static_cast<unsigned int>(index);
}

MStatus MFnAnimCurve::remove(unsigned int index, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->remove(index) : s;
}

MTime MFnAnimCurve::time(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c ? MTime(c->key(index).time, MTime::kSeconds) : MTime();
}

double MFnAnimCurve::value(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c ? c->key(index).value : 0.0;
}

MStatus MFnAnimCurve::setTime(unsigned int index, const MTime& time, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setTime(index, inputOf(time), nullptr) : s;
}

MStatus MFnAnimCurve::setValue(unsigned int index, double value, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setValue(index, value) : s;
}

MFnAnimCurve::TangentType MFnAnimCurve::inTangentType(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c ? static_cast<TangentType>(c->key(index).inType) : kTangentGlobal;
}

MFnAnimCurve::TangentType MFnAnimCurve::outTangentType(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c ? static_cast<TangentType>(c->key(index).outType) : kTangentGlobal;
}

MStatus MFnAnimCurve::setInTangentType(unsigned int index, TangentType type, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setTangentType(index, true, type) : s;
}

MStatus MFnAnimCurve::setOutTangentType(unsigned int index, TangentType type, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setTangentType(index, false, type) : s;
}

MStatus MFnAnimCurve::getTangent(unsigned int index, float& x, float& y, bool isInTangent) const
{
    MStatus s;
    const AnimCurve* c = keyAt(mObject, index, &s);
    if (!c)
        return s;
    const int type = c->curveType();
    const double slope = c->slope(index, isInTangent) * inputScale(type) / outputScale(type);
    double tx;
    if (c->weighted()) {
        tx = c->extent(index, isInTangent) / inputScale(type);
    } else {
        tx = 1.0 / std::sqrt(1.0 + slope * slope);
    }
    x = static_cast<float>(tx);
    y = static_cast<float>(slope * tx);
    return MStatus::kSuccess;
}

MStatus MFnAnimCurve::setTangent(unsigned int index, float x, float y, bool isInTangent, MAnimCurveChange*,
                                 bool convertUnits)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    if (!c)
        return s;
    if (!(x > 0.0f) || !std::isfinite(x) || !std::isfinite(y))
        return MStatus::kInvalidParameter;
    const int type = c->curveType();
    const double in = convertUnits ? inputScale(type) : 1.0;
    const double out = convertUnits ? outputScale(type) : 1.0;
    const double slope = (static_cast<double>(y) * out) / (static_cast<double>(x) * in);
    const double extent = c->weighted() ? static_cast<double>(x) * in : 0.0;
    return c->setTangent(index, isInTangent, slope, extent);
}

bool MFnAnimCurve::isWeighted(MStatus* status) const
{
    const AnimCurve* c = keysOf(mObject, status);
    return c && c->weighted();
}

MStatus MFnAnimCurve::setIsWeighted(bool weighted, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keysOf(mObject, &s);
    if (c)
        c->setWeighted(weighted);
    return s;
}

bool MFnAnimCurve::tangentsLocked(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c && c->key(index).tangentsLocked;
}

MStatus MFnAnimCurve::setTangentsLocked(unsigned int index, bool locked, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setLocks(index, true, locked) : s;
}

bool MFnAnimCurve::weightsLocked(unsigned int index, MStatus* status) const
{
    const AnimCurve* c = keyAt(mObject, index, status);
    return c && c->key(index).weightsLocked;
}

MStatus MFnAnimCurve::setWeightsLocked(unsigned int index, bool locked, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keyAt(mObject, index, &s);
    return c ? c->setLocks(index, false, locked) : s;
}

MFnAnimCurve::InfinityType MFnAnimCurve::preInfinityType(MStatus* status) const
{
    const AnimCurve* c = keysOf(mObject, status);
    return c ? static_cast<InfinityType>(c->infinity(true)) : kConstant;
}

MFnAnimCurve::InfinityType MFnAnimCurve::postInfinityType(MStatus* status) const
{
    const AnimCurve* c = keysOf(mObject, status);
    return c ? static_cast<InfinityType>(c->infinity(false)) : kConstant;
}

MStatus MFnAnimCurve::setPreInfinityType(InfinityType type, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keysOf(mObject, &s);
    return c ? c->setInfinity(true, type) : s;
}

MStatus MFnAnimCurve::setPostInfinityType(InfinityType type, MAnimCurveChange*)
{
    MStatus s;
    AnimCurve* c = keysOf(mObject, &s);
    return c ? c->setInfinity(false, type) : s;
}

double MFnAnimCurve::evaluate(const MTime& time, MStatus* status) const
{
    double v = 0.0;
    report(status, evaluate(time, v));
    return v;
}

MStatus MFnAnimCurve::evaluate(const MTime& time, double& value) const
{
    const AnimCurve* c = vesk::curveOf(ObjectAccess::node(mObject));
    if (c && c->size() > 0) {
        value = c->evaluate(inputOf(time));
        return MStatus::kSuccess;
    }
    // Without keys the curve drives nothing: the plug keeps its own value.
    if (!mPlug.isNull())
        return mPlug.getValue(value);
    if (!c)
        return MStatus::kInvalidParameter;
    value = 0.0;
    return MStatus::kSuccess;
}
