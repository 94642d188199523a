// Helpers shared by the KFCurve sources; nothing outside src/curves uses them.
#ifndef QELSDK_CURVES_KFCURVE_IMPL_H
#define QELSDK_CURVES_KFCURVE_IMPL_H

#include "base/ktime.h"

namespace qelsdk_600 {
namespace kfcurve_detail {

constexpr double kTicksPerSecondDouble = static_cast<double>(KTime::kTicksPerSecond);

inline double SecondsOf(kLongLong ticks)
{
    return static_cast<double>(ticks) / kTicksPerSecondDouble;
}

// to - from in ticks as a double, rounded once from the exact difference,
// which may leave the signed 64-bit range (it always fits unsigned).
inline double TicksBetween(kLongLong from, kLongLong to)
{
    const kULongLong a = static_cast<kULongLong>(from);
    const kULongLong b = static_cast<kULongLong>(to);
    return to >= from ? static_cast<double>(b - a) : -static_cast<double>(a - b);
}

// to - from in seconds, exact as a tick difference and still right when
// that difference leaves the 64-bit range. Inline: evaluation calls it for
// every slope.
inline double SecondsBetween(kLongLong from, kLongLong to)
{
    kLongLong difference;
    if (!__builtin_sub_overflow(to, from, &difference))
        return SecondsOf(difference);
    return (static_cast<double>(to) - static_cast<double>(from)) / kTicksPerSecondDouble;
}

inline double SecondsBetween(KTime from, KTime to)
{
    return SecondsBetween(from.Get(), to.Get());
}

}  // namespace kfcurve_detail
}  // namespace qelsdk_600

#endif
