// The time shift and scale filter.
#include "curves/kfcurvefiltertimeshiftandscale.h"

#include <vector>

#include "curves/kfcurve.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Left unchanged"};

}  // namespace

KFCurveFilterTimeShiftAndScale::KFCurveFilterTimeShiftAndScale()
    : KFCurveFilter("TimeShiftAndScaleFilter", kMessages, 2), mShift(0), mScale(1.0)
{
}

bool KFCurveFilterTimeShiftAndScale::Apply(KFCurveNode& node, bool recursive)
{
    return KFCurveFilter::Apply(node, recursive);
}

bool KFCurveFilterTimeShiftAndScale::Apply(KFCurve** curves, int count)
{
    return KFCurveFilter::Apply(curves, count);
}

bool KFCurveFilterTimeShiftAndScale::Apply(KFCurve& curve)
{
    const bool scaled = mScale > 0.0 && mScale != 1.0;
    if (mShift.Get() == 0 && !scaled) {
        mError.SetLastError(1, "TimeShiftAndScaleFilter, No key were changed by filter.");
        return false;
    }
    const int count = curve.KeyGetCount();
    if (count == 0) {
        mError.SetLastError(0, "TimeShiftAndScaleFilter, No key to be filtered.");
        return false;
    }
    std::vector<KTime> times(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        kLongLong ticks;
        // Saturated: a wrapped time would put the key before the others.
        if (__builtin_add_overflow(curve.KeyGetTime(i).Get(), mShift.Get(), &ticks) ||
            ticks < KTime::kMinusInfiniteTicks)
            ticks = mShift.Get() > 0 ? KTime::kInfiniteTicks : KTime::kMinusInfiniteTicks;
        KTime t(ticks);
        if (scaled)
            t.SetSecondDouble(t.GetSecondDouble() * mScale);
        times[static_cast<std::size_t>(i)] = t;
        // Keys that would meet (saturation, or a scale too small for the
        // ticks between them) would leave the curve out of order.
        if (i > 0 && !(times[static_cast<std::size_t>(i - 1)] < t)) {
            mError.SetLastError(1, "TimeShiftAndScaleFilter, keys would share a time; no key were changed by filter.");
            return false;
        }
    }
    curve.KeyModifyBegin();
    for (int i = 0; i < count; ++i)
        curve.KeySetTime(i, times[static_cast<std::size_t>(i)]);
    curve.CallbackAddEvent(kFCurveEventKey, -1);
    curve.KeyModifyEnd();
    return true;
}

}  // namespace qelsdk_600
