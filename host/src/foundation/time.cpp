#include <vesk/MTime.h>

namespace {

// Constant-initialised, like the other unit settings: modules read it from
// their own static initialisers.
MTime::Unit gTimeUi = MTime::kFilm;

bool validTimeUnit(int u)
{
    return u >= MTime::kHours && u <= MTime::kNTSCField;
}

} // namespace

namespace vesk {

double timeUnitsPerSecond(int unit)
{
    static const double kPerSecond[] = {1.0,  1.0 / 3600.0, 1.0 / 60.0, 1.0,  1000.0, 15.0,
                                        24.0, 30.0,         30.0,       48.0, 50.0,   60.0};
    return validTimeUnit(unit) ? kPerSecond[unit] : 1.0;
}

} // namespace vesk

MTime::MTime() : mUnit(gTimeUi) {}

MTime::MTime(double value, Unit unit) : mValue(value), mUnit(unit) {}

MTime::MTime(double value) : mValue(value), mUnit(gTimeUi) {}

double MTime::as(Unit unit) const
{
    if (unit == mUnit)
        return mValue;
    return mValue / vesk::timeUnitsPerSecond(mUnit) * vesk::timeUnitsPerSecond(unit);
}

MStatus MTime::setValue(double value)
{
    mValue = value;
    return MStatus::kSuccess;
}

MStatus MTime::setUnit(Unit unit)
{
    if (!validTimeUnit(unit))
        return MStatus::kInvalidParameter;
    mValue = as(unit);
    mUnit = unit;
    return MStatus::kSuccess;
}

MTime::Unit MTime::uiUnit()
{
    return gTimeUi;
}

MStatus MTime::setUIUnit(Unit unit)
{
    if (!validTimeUnit(unit))
        return MStatus::kInvalidParameter;
    gTimeUi = unit;
    return MStatus::kSuccess;
}

bool MTime::operator==(const MTime& o) const
{
    return as(kSeconds) == o.as(kSeconds);
}

bool MTime::operator<(const MTime& o) const
{
    return as(kSeconds) < o.as(kSeconds);
}

MTime MTime::operator+(const MTime& o) const
{
    return MTime(mValue + o.as(mUnit), mUnit);
}

MTime MTime::operator-(const MTime& o) const
{
    return MTime(mValue - o.as(mUnit), mUnit);
}
