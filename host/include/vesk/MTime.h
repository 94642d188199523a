// A time with its unit, and the process-wide user-interface time unit.
#ifndef VESK_MTIME_H
#define VESK_MTIME_H

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// Units by their number of units per second: 1 hours (1/3600), 2 minutes
// (1/60), 3 seconds (1), 4 milliseconds (1000), 5 kGames (15), 6 kFilm (24),
// 7 kVideo (30), 8 kNTSCFrame (30), 9 kShowScan (48), 10 kPALField (50),
// 11 kNTSCField (60). A time held in a code outside 1 to 11 counts one unit
// per second. The user-interface unit starts as kFilm.
class VESK_API MTime {
public:
    enum Unit {
        kInvalid = 0,
        kHours = 1,
        kMinutes = 2,
        kSeconds = 3,
        kMilliseconds = 4,
        kGames = 5,
        kFilm = 6,
        kVideo = 7,
        kNTSCFrame = 8,
        kShowScan = 9,
        kPALField = 10,
        kNTSCField = 11,
        kLast = 12
    };

    // Zero in the user-interface unit.
    MTime();
    MTime(double value, Unit unit);
    // The value in the user-interface unit at the time of the call.
    explicit MTime(double value);

    double value() const { return mValue; }
    Unit unit() const { return mUnit; }
    // The same time in another unit (see above for codes outside 1 to 11).
    double as(Unit unit) const;
    // Replaces the value, kept in the current unit.
    MStatus setValue(double value);
    // Keeps the time and expresses it in another unit; codes outside 1 to
    // 11 fail with kInvalidParameter and change nothing.
    MStatus setUnit(Unit unit);

    static Unit uiUnit();
    // Codes outside 1 to 11 fail with kInvalidParameter, changing nothing.
    static MStatus setUIUnit(Unit unit);

    // Comparisons and sums are made in seconds; a sum or difference is
    // expressed in the left operand's unit.
    bool operator==(const MTime& o) const;
    bool operator!=(const MTime& o) const { return !(*this == o); }
    bool operator<(const MTime& o) const;
    bool operator>(const MTime& o) const { return o < *this; }
    bool operator<=(const MTime& o) const { return !(o < *this); }
    bool operator>=(const MTime& o) const { return !(*this < o); }
    MTime operator+(const MTime& o) const;
    MTime operator-(const MTime& o) const;

private:
    double mValue = 0.0;
    Unit mUnit = kFilm;
};

namespace vesk {
// Units per second of a time unit code; 1 outside 1 to 11.
VESK_API double timeUnitsPerSecond(int unit);
} // namespace vesk

#endif
