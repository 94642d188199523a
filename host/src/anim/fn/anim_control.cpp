#include <cmath>

#include <vesk/MAnimControl.h>

#include "store/node_store.h"

namespace {

MTime inUiUnit(double seconds)
{
    return MTime(MTime(seconds, MTime::kSeconds).as(MTime::uiUnit()), MTime::uiUnit());
}

// Stores a time in seconds; a non-finite one fails, changing nothing.
MStatus store(double& slot, const MTime& time)
{
    const double seconds = time.as(MTime::kSeconds);
    if (!std::isfinite(seconds))
        return MStatus::kInvalidParameter;
    slot = seconds;
    return MStatus::kSuccess;
}

vesk::Globals& globals()
{
    return vesk::store().globals();
}

} // namespace

MTime MAnimControl::currentTime()
{
    return inUiUnit(globals().currentTime);
}

MStatus MAnimControl::setCurrentTime(const MTime& time)
{
    return store(globals().currentTime, time);
}

MTime MAnimControl::minTime()
{
    return inUiUnit(globals().minTime);
}

MTime MAnimControl::maxTime()
{
    return inUiUnit(globals().maxTime);
}

MStatus MAnimControl::setMinTime(const MTime& time)
{
    return store(globals().minTime, time);
}

MStatus MAnimControl::setMaxTime(const MTime& time)
{
    return store(globals().maxTime, time);
}

MStatus MAnimControl::setMinMaxTime(const MTime& min, const MTime& max)
{
    if (!std::isfinite(min.as(MTime::kSeconds)) || !std::isfinite(max.as(MTime::kSeconds)))
        return MStatus::kInvalidParameter;
    store(globals().minTime, min);
    return store(globals().maxTime, max);
}
