#include "base/ktime.h"

#include <cmath>
#include <strings.h>

namespace qelsdk_600 {

namespace {

// One row of the time-mode table; rates are exact fractions so that the
// 1001-based video rates convert without drift.
struct TimeModeEntry {
    KTime::ETimeMode mode;
    kLongLong rateNum;
    kLongLong rateDen;
    const char* rateText;
    const char* name;
    int oldId;
};

const TimeModeEntry kTimeModes[KTime::eTIME_MODE_COUNT] = {
    {KTime::eDEFAULT_MODE, 30, 1, "Default", "DEFAULT_MODE", 0},
    {KTime::eFRAMES120, 120, 1, "120", "FRAMES120", 9},
    {KTime::eFRAMES100, 100, 1, "100", "FRAMES100", 10},
    {KTime::eFRAMES60, 60, 1, "60", "FRAMES60", 6},
    {KTime::eFRAMES50, 50, 1, "50", "FRAMES50", 7},
    {KTime::eFRAMES48, 48, 1, "48", "FRAMES48", 8},
    {KTime::eFRAMES30, 30, 1, "30", "FRAMES30", 3},
    {KTime::eFRAMES30_DROP, 30, 1, "30 drop", "FRAMES30_DROP", 11},
    {KTime::eNTSC_DROP_FRAME, 30000, 1001, "29.97 drop", "NTSC_DROP_FRAME", 4},
    {KTime::eNTSC_FULL_FRAME, 30000, 1001, "29.97", "NTSC_FULL_FRAME", 5},
    {KTime::ePAL, 25, 1, "25", "PAL", 2},
    {KTime::eCINEMA, 24, 1, "24", "CINEMA", 1},
};

const int kUnknownOldId = 3;

KTime::ETimeMode gsGlobalTimeMode = KTime::eFRAMES30;
KTime::ETimeProtocol gsGlobalTimeProtocol = KTime::eFRAME;

// The table row that timing uses for `mode`: mode 0 follows the process-wide
// mode, and anything unresolvable counts as 30 frames per second.
const TimeModeEntry& ResolveMode(int mode) {
    if (mode == KTime::eDEFAULT_MODE) mode = gsGlobalTimeMode;
    if (mode <= KTime::eDEFAULT_MODE || mode >= KTime::eTIME_MODE_COUNT) mode = KTime::eFRAMES30;
    return kTimeModes[mode];
}

kLongLong WrapAdd(kLongLong a, kLongLong b) {
    return static_cast<kLongLong>(static_cast<kULongLong>(a) + static_cast<kULongLong>(b));
}

kLongLong WrapMul(kLongLong a, kLongLong b) {
    return static_cast<kLongLong>(static_cast<kULongLong>(a) * static_cast<kULongLong>(b));
}

// Saturating helpers for building times from user-sized parts.
kLongLong SatAdd(kLongLong a, kLongLong b) {
    kLongLong r;
    if (__builtin_add_overflow(a, b, &r)) return b > 0 ? KTime::kInfiniteTicks : KTime::kMinusInfiniteTicks;
    if (r < KTime::kMinusInfiniteTicks) return KTime::kMinusInfiniteTicks;
    return r;
}

kLongLong SatMul(kLongLong a, kLongLong b) {
    kLongLong r;
    if (__builtin_mul_overflow(a, b, &r)) {
        return ((a < 0) != (b < 0)) ? KTime::kMinusInfiniteTicks : KTime::kInfiniteTicks;
    }
    if (r < KTime::kMinusInfiniteTicks) return KTime::kMinusInfiniteTicks;
    return r;
}

// Ticks of `count` units of 1/`divisor` frame at the entry's rate, rounded to
// the nearest tick. The count is split so that no intermediate product can
// overflow 64 bits (128-bit integers are not available on 32-bit targets).
kLongLong FramePartsToTicks(const TimeModeEntry& e, kLongLong count, kLongLong divisor) {
    const kLongLong num = e.rateNum * divisor;
    const kLongLong ticksPerWhole = KTime::kTicksPerSecond * e.rateDen;  // ticks of `num` units
    const kLongLong whole = count / num;
    const kLongLong rest = count % num;  // |rest| < num <= 3,000,000
    // |rest| x ticksPerWhole < 3e6 x 4.7e13 would overflow; divide first.
    const kLongLong perUnitQ = ticksPerWhole / num;
    const kLongLong perUnitR = ticksPerWhole % num;
    kLongLong restTicks = rest * perUnitQ;
    const kLongLong frac = rest * perUnitR;  // |frac| < num^2 <= 9e12
    restTicks += (frac >= 0 ? frac + num / 2 : frac - num / 2) / num;
    return SatAdd(SatMul(whole, ticksPerWhole), restTicks);
}

}  // namespace

double KTime::GetSecondDouble() const {
    return static_cast<double>(mTime) / static_cast<double>(kTicksPerSecond);
}

void KTime::SetSecondDouble(double seconds) {
    const double ticks = seconds * static_cast<double>(kTicksPerSecond);
    if (std::isnan(ticks)) {
        mTime = 0;
    } else if (ticks >= 9223372036854775807.0) {
        mTime = kInfiniteTicks;
    } else if (ticks <= -9223372036854775807.0) {
        mTime = kMinusInfiniteTicks;
    } else {
        mTime = static_cast<kLongLong>(ticks);
    }
}

void KTime::SetTime(int hours, int minutes, int seconds, int frames, int fields, int mode) {
    SetTime(hours, minutes, seconds, frames, fields, 0, mode);
}

void KTime::SetTime(int hours, int minutes, int seconds, int frames, int fields, int residual,
                    int mode) {
    const TimeModeEntry& e = ResolveMode(mode);
    const kLongLong totalSeconds =
        (static_cast<kLongLong>(hours) * 60 + minutes) * 60 + static_cast<kLongLong>(seconds);
    kLongLong ticks = SatMul(totalSeconds, kTicksPerSecond);
    // Frames, fields and residual expressed in hundredths of a frame, so that
    // their sum is rounded once.
    const kLongLong hundredths = static_cast<kLongLong>(frames) * 100 +
                                 static_cast<kLongLong>(fields) * 50 + residual;
    ticks = SatAdd(ticks, FramePartsToTicks(e, hundredths, 100));
    mTime = ticks;
}

kLongLong KTime::GetFrame(bool cumulative, int mode) const {
    const TimeModeEntry& e = ResolveMode(mode);
    const kLongLong ticksPerWhole = kTicksPerSecond * e.rateDen;  // ticks of rateNum frames
    kLongLong t = mTime;
    if (!cumulative) t = mTime % kTicksPerSecond;
    // Split so that rest x rateNum stays below 2^63: rest < 4.7e13, rateNum <= 30000.
    const kLongLong whole = t / ticksPerWhole;
    const kLongLong rest = t % ticksPerWhole;
    return whole * e.rateNum + rest * e.rateNum / ticksPerWhole;
}

kLongLong KTime::GetSecond(bool cumulative, int) const {
    const kLongLong s = mTime / kTicksPerSecond;
    return cumulative ? s : s % 60;
}

double KTime::GetFrameRate(int mode) {
    const TimeModeEntry& e = ResolveMode(mode);
    return static_cast<double>(e.rateNum) / static_cast<double>(e.rateDen);
}

KTime::ETimeMode KTime::ConvertFrameRateToTimeMode(double frameRate, double precision) {
    for (int i = 1; i < eTIME_MODE_COUNT; ++i) {
        const double rate = static_cast<double>(kTimeModes[i].rateNum) /
                            static_cast<double>(kTimeModes[i].rateDen);
        if (std::fabs(rate - frameRate) <= precision) return kTimeModes[i].mode;
    }
    return eDEFAULT_MODE;
}

KTime::ETimeMode KTime::GetGlobalTimeMode() { return gsGlobalTimeMode; }

bool KTime::SetGlobalTimeMode(ETimeMode mode) {
    if (mode < eDEFAULT_MODE || mode >= eTIME_MODE_COUNT) return false;
    gsGlobalTimeMode = mode;
    return true;
}

KTime::ETimeProtocol KTime::GetGlobalTimeProtocol() { return gsGlobalTimeProtocol; }

bool KTime::SetGlobalTimeProtocol(ETimeProtocol protocol) {
    if (protocol < eSMPTE || protocol > eDEFAULT_PROTOCOL) return false;
    gsGlobalTimeProtocol = protocol;
    return true;
}

KTime KTime::operator+(const KTime& other) const { return KTime(WrapAdd(mTime, other.mTime)); }

KTime KTime::operator-(const KTime& other) const {
    return KTime(static_cast<kLongLong>(static_cast<kULongLong>(mTime) -
                                        static_cast<kULongLong>(other.mTime)));
}

KTime KTime::operator-() const {
    return KTime(static_cast<kLongLong>(0ULL - static_cast<kULongLong>(mTime)));
}

KTime KTime::operator*(int factor) const { return KTime(WrapMul(mTime, factor)); }

KTime KTime::operator*(const KTime& other) const { return KTime(WrapMul(mTime, other.mTime)); }

KTime KTime::operator/(const KTime& other) const {
    if (other.mTime == 0) {
        if (mTime == 0) return KTime(0);
        return KTime(mTime > 0 ? kInfiniteTicks : kMinusInfiniteTicks);
    }
    // The one quotient that does not fit: the most negative count over -1.
    if (other.mTime == -1) return -*this;
    return KTime(mTime / other.mTime);
}

KTime& KTime::operator+=(const KTime& other) {
    *this = *this + other;
    return *this;
}

KTime& KTime::operator-=(const KTime& other) {
    *this = *this - other;
    return *this;
}

const char* KTime_GetGlobalFrameRateString(KTime::ETimeMode mode) {
    if (mode < KTime::eDEFAULT_MODE || mode >= KTime::eTIME_MODE_COUNT) return "";
    return kTimeModes[mode].rateText;
}

int KTime_GetOldTimeModeCorrespondance(KTime::ETimeMode mode) {
    if (mode < KTime::eDEFAULT_MODE || mode >= KTime::eTIME_MODE_COUNT) return kUnknownOldId;
    return kTimeModes[mode].oldId;
}

KTime::ETimeMode KTime_GetTimeModeFromFrameRate(const char* text) {
    if (text == nullptr) return KTime::eFRAMES30;
    for (const TimeModeEntry& e : kTimeModes) {
        if (strcasecmp(text, e.rateText) == 0 || strcasecmp(text, e.name) == 0) return e.mode;
    }
    return KTime::eFRAMES30;
}

KTime::ETimeMode KTime_GetTimeModeFromOldValue(int oldValue) {
    for (const TimeModeEntry& e : kTimeModes) {
        if (e.oldId == oldValue) return e.mode;
    }
    return KTime::eFRAMES30;
}

}  // namespace qelsdk_600
