#include <vesk/MAngle.h>
#include <vesk/MDistance.h>

namespace {

// Constant-initialised: modules read them from their own static initialisers.
MAngle::Unit gAngleUi = MAngle::kDegrees;
MAngle::Unit gAngleInternal = MAngle::kRadians;
MDistance::Unit gDistanceUi = MDistance::kCentimeters;

bool validAngleUnit(MAngle::Unit u)
{
    return u >= MAngle::kRadians && u <= MAngle::kAngSeconds;
}

bool validDistanceUnit(MDistance::Unit u)
{
    return u >= MDistance::kInches && u <= MDistance::kMeters;
}

// Radians per unit.
double radiansPer(MAngle::Unit u)
{
    static const double kFactor[] = {1.0, 1.0, 3.14159265358979323846 / 180.0, 3.14159265358979323846 / 10800.0,
                                     3.14159265358979323846 / 648000.0};
    return kFactor[u];
}

// Centimetres per unit.
double centimetresPer(MDistance::Unit u)
{
    static const double kFactor[] = {1.0, 2.54, 30.48, 91.44, 160934.4, 0.1, 1.0, 100000.0, 100.0};
    return kFactor[u];
}

} // namespace

MAngle::MAngle(double value, Unit unit) : mValue(value), mUnit(validAngleUnit(unit) ? unit : gAngleInternal) {}

double MAngle::as(Unit unit) const
{
    if (!validAngleUnit(unit))
        return mValue;
    if (unit == mUnit)
        return mValue;
    return mValue * radiansPer(mUnit) / radiansPer(unit);
}

MAngle::Unit MAngle::uiUnit()
{
    return gAngleUi;
}

MStatus MAngle::setUIUnit(Unit unit)
{
    if (!validAngleUnit(unit))
        return MStatus::kInvalidParameter;
    gAngleUi = unit;
    return MStatus::kSuccess;
}

MAngle::Unit MAngle::internalUnit()
{
    return gAngleInternal;
}

MStatus MAngle::setInternalUnit(Unit unit)
{
    if (!validAngleUnit(unit))
        return MStatus::kInvalidParameter;
    gAngleInternal = unit;
    return MStatus::kSuccess;
}

MDistance::MDistance(double value, Unit unit) : mValue(value), mUnit(validDistanceUnit(unit) ? unit : kCentimeters) {}

double MDistance::as(Unit unit) const
{
    if (!validDistanceUnit(unit))
        return mValue;
    if (unit == mUnit)
        return mValue;
    return mValue * centimetresPer(mUnit) / centimetresPer(unit);
}

MDistance::Unit MDistance::uiUnit()
{
    return gDistanceUi;
}

MStatus MDistance::setUIUnit(Unit unit)
{
    if (!validDistanceUnit(unit))
        return MStatus::kInvalidParameter;
    gDistanceUi = unit;
    return MStatus::kSuccess;
}
