// Times as signed 64-bit tick counts, time spans, and the table of time modes.
#ifndef QELSDK_BASE_KTIME_H
#define QELSDK_BASE_KTIME_H

#include "base/ktypes.h"

namespace qelsdk_600 {

// A time: a signed 64-bit count of ticks, 46,186,158,000 ticks per second.
// The largest count stands for the infinite time, its negation for minus
// infinite; both mark an open end of a range. Arithmetic wraps (no overflow
// check, never undefined behaviour); comparisons are on the signed counts.
//
// Time modes (frame rates). Mode 0 follows the process-wide mode.
//   mode                    rate (frames/s)   rate text       old id
//   0  eDEFAULT_MODE        process-wide      "Default"       0
//   1  eFRAMES120           120               "120"           9
//   2  eFRAMES100           100               "100"           10
//   3  eFRAMES60            60                "60"            6
//   4  eFRAMES50            50                "50"            7
//   5  eFRAMES48            48                "48"            8
//   6  eFRAMES30            30                "30"            3
//   7  eFRAMES30_DROP       30                "30 drop"       11
//   8  eNTSC_DROP_FRAME     30000/1001        "29.97 drop"    4
//   9  eNTSC_FULL_FRAME     30000/1001        "29.97"         5
//   10 ePAL                 25                "25"            2
//   11 eCINEMA              24                "24"            1
// Drop-frame modes share the timing of their full-frame twin; they differ
// only in how a display numbers frames. A mode outside the table counts as
// 30 frames per second.
class KTime {
public:
    // A fixed underlying type so that any stored 32-bit value is a valid object.
    enum ETimeMode : int {
        eDEFAULT_MODE = 0,
        eFRAMES120 = 1,
        eFRAMES100 = 2,
        eFRAMES60 = 3,
        eFRAMES50 = 4,
        eFRAMES48 = 5,
        eFRAMES30 = 6,
        eFRAMES30_DROP = 7,
        eNTSC_DROP_FRAME = 8,
        eNTSC_FULL_FRAME = 9,
        ePAL = 10,
        eCINEMA = 11,
        eTIME_MODE_COUNT = 12
    };

    // How times are shown: as SMPTE time codes or as frame counts;
    // eDEFAULT_PROTOCOL asks for the process-wide protocol.
    enum ETimeProtocol : int {
        eSMPTE = 0,
        eFRAME = 1,
        eDEFAULT_PROTOCOL = 2
    };

    static constexpr kLongLong kTicksPerSecond = 46186158000LL;
    static constexpr kLongLong kInfiniteTicks = 0x7FFFFFFFFFFFFFFFLL;
    static constexpr kLongLong kMinusInfiniteTicks = -0x7FFFFFFFFFFFFFFFLL;

    constexpr KTime() : mTime(0) {}
    constexpr explicit KTime(kLongLong ticks) : mTime(ticks) {}

    // The raw tick count.
    void Set(kLongLong ticks) { mTime = ticks; }
    constexpr kLongLong Get() const { return mTime; }

    // Seconds as a double: ticks / 46,186,158,000.
    double GetSecondDouble() const;
    // Ticks = seconds x 46,186,158,000, truncated toward zero. Values beyond
    // the tick range saturate at plus or minus infinite; NaN gives 0.
    void SetSecondDouble(double seconds);

    // Time from a time code counted at the frame rate of `mode` (0 = the
    // process-wide mode): hours, minutes and seconds of real time, plus whole
    // frames, fields (half frames) and a residual in hundredths of a frame.
    // Frame parts are rounded to the nearest tick (1001-based rates do not
    // divide a second evenly). Saturates at plus or minus infinite instead of
    // overflowing.
    void SetTime(int hours, int minutes, int seconds, int frames = 0, int fields = 0,
                 int mode = eDEFAULT_MODE);
    void SetTime(int hours, int minutes, int seconds, int frames, int fields, int residual,
                 int mode);

    // With `cumulative` true, the whole frames from time 0 in `mode` (0 = the
    // process-wide mode), truncated toward zero; with false, the whole frames
    // within the current second.
    kLongLong GetFrame(bool cumulative = true, int mode = eDEFAULT_MODE) const;
    // With `cumulative` true, the whole seconds from time 0, truncated toward
    // zero; with false, the whole seconds within the current minute. `mode` is
    // accepted for symmetry with GetFrame and does not change the result.
    kLongLong GetSecond(bool cumulative = true, int mode = eDEFAULT_MODE) const;

    // Frames per second of a mode; 0 gives the process-wide mode's rate and a
    // mode outside the table 30.0.
    static double GetFrameRate(int mode);
    // The first mode (in table order, mode 0 excluded) whose rate lies within
    // `precision` of `frameRate`; eDEFAULT_MODE when none does.
    static ETimeMode ConvertFrameRateToTimeMode(double frameRate, double precision = 0.00000001);

    // The process-wide mode (eFRAMES30 unless changed) and display protocol
    // (eFRAME unless changed). Setting a value outside its enumeration is
    // refused (false) and keeps the previous one.
    static ETimeMode GetGlobalTimeMode();
    static bool SetGlobalTimeMode(ETimeMode mode);
    static ETimeProtocol GetGlobalTimeProtocol();
    static bool SetGlobalTimeProtocol(ETimeProtocol protocol);

    // Tick arithmetic, wrapping on overflow.
    KTime operator+(const KTime& other) const;
    KTime operator-(const KTime& other) const;
    KTime operator-() const;
    // Ticks times a 32-bit factor (64-bit product).
    KTime operator*(int factor) const;
    // The low 64 bits of the product of the two tick counts.
    KTime operator*(const KTime& other) const;
    // Signed quotient truncated toward zero. A zero divisor gives plus or minus
    // infinite by the sign of the dividend (0 for 0 / 0) instead of trapping.
    KTime operator/(const KTime& other) const;
    KTime& operator+=(const KTime& other);
    KTime& operator-=(const KTime& other);

    constexpr bool operator==(const KTime& o) const { return mTime == o.mTime; }
    constexpr bool operator!=(const KTime& o) const { return mTime != o.mTime; }
    constexpr bool operator<(const KTime& o) const { return mTime < o.mTime; }
    constexpr bool operator<=(const KTime& o) const { return mTime <= o.mTime; }
    constexpr bool operator>(const KTime& o) const { return mTime > o.mTime; }
    constexpr bool operator>=(const KTime& o) const { return mTime >= o.mTime; }

private:
    kLongLong mTime;
};

// The open ends of a time range and one second.
inline constexpr KTime KTIME_INFINITE{KTime::kInfiniteTicks};
inline constexpr KTime KTIME_MINUS_INFINITE{KTime::kMinusInfiniteTicks};
inline constexpr KTime KTIME_ZERO{0};
inline constexpr KTime KTIME_ONE_SECOND{KTime::kTicksPerSecond};

// A start and a stop time. A span whose start and stop are both 0 counts as
// not set for the callers that store spans.
class KTimeSpan {
public:
    constexpr KTimeSpan() : mStart(), mStop() {}
    constexpr KTimeSpan(KTime start, KTime stop) : mStart(start), mStop(stop) {}

    void Set(KTime start, KTime stop) { mStart = start; mStop = stop; }
    void SetStart(KTime start) { mStart = start; }
    void SetStop(KTime stop) { mStop = stop; }
    constexpr KTime GetStart() const { return mStart; }
    constexpr KTime GetStop() const { return mStop; }
    // Stop minus start (negative for a reversed span).
    KTime GetDuration() const { return mStop - mStart; }

    constexpr bool operator==(const KTimeSpan& o) const {
        return mStart == o.mStart && mStop == o.mStop;
    }
    constexpr bool operator!=(const KTimeSpan& o) const { return !(*this == o); }

private:
    KTime mStart;
    KTime mStop;
};

// The rate text of a mode (see the table above); "" for a mode outside it.
// The text is static and not owned by the caller.
const char* KTime_GetGlobalFrameRateString(KTime::ETimeMode mode);
// The old numeric id of a mode; 3 (the id of 30 frames per second) when the
// mode is outside the table.
int KTime_GetOldTimeModeCorrespondance(KTime::ETimeMode mode);
// The mode of a rate text, or of a mode's enumerator name without its 'e'
// ("PAL", "NTSC_DROP_FRAME"), compared without regard to case; eFRAMES30 for
// null or unknown texts.
KTime::ETimeMode KTime_GetTimeModeFromFrameRate(const char* text);
// The mode of an old numeric id; eFRAMES30 for an unknown id.
KTime::ETimeMode KTime_GetTimeModeFromOldValue(int oldValue);

}  // namespace qelsdk_600

#endif
