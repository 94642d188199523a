// The host's current time and playback range.
#ifndef VESK_MANIMCONTROL_H
#define VESK_MANIMCONTROL_H

#include <vesk/MStatus.h>
#include <vesk/MTime.h>
#include <vesk/VeskExport.h>

// A new host stands at time 0 with the range 0 to 1 second. Times are kept
// in seconds and answered in the user-interface unit. Nothing is clamped:
// the current time may lie outside the range, and the minimum may be set
// above the maximum (an import sets the minimum first). Curves driving plugs
// are read at the current time.
class VESK_API MAnimControl {
public:
    static MTime currentTime();
    static MStatus setCurrentTime(const MTime& time);
    static MTime minTime();
    static MTime maxTime();
    static MStatus setMinTime(const MTime& time);
    static MStatus setMaxTime(const MTime& time);
    // Both ends at once.
    static MStatus setMinMaxTime(const MTime& min, const MTime& max);
};

#endif
