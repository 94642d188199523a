// The resample filter: samples at a fixed period spliced over the range.
#include "curves/kfcurvefilterresample.h"

#include <memory>

#include "curves/kfcurve.h"
#include "curves/kfcurveutils.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"Bad Period", "Bad Interval"};

}  // namespace

KFCurveFilterResample::KFCurveFilterResample() : KFCurveFilter("FCurve Resample", kMessages, 2), mPeriod(0)
{
    Reset();
}

void KFCurveFilterResample::Reset()
{
    mKeysOnFrame = false;
    mPeriod.SetTime(0, 0, 0, 1, 0, 0);
    mIntelligentMode = false;
    KFCurveFilter::Reset();
}

bool KFCurveFilterResample::Apply(KFCurveNode& node, bool recursive)
{
    return KFCurveFilter::Apply(node, recursive);
}

bool KFCurveFilterResample::Apply(KFCurve** curves, int count)
{
    return KFCurveFilter::Apply(curves, count);
}

bool KFCurveFilterResample::Apply(KFCurve& curve)
{
    const kLongLong period = mPeriod.Get();
    if (period <= 0) {
        mError.SetLastErrorID(0);
        return false;
    }
    const int count = curve.KeyGetCount();
    KTime start = mStart;
    KTime stop = mStop;
    if (start == KTIME_MINUS_INFINITE && count > 0)
        start = curve.KeyGetTime(0);
    if (stop == KTIME_INFINITE && count > 0)
        stop = curve.KeyGetTime(count - 1);
    if (mKeysOnFrame && start.Get() % period != 0) {
        const kLongLong below = start.Get() / period * period;
        if (below > 0)
            start = KTime(below + period);  // below < start: no overflow
    }
    if (start == KTIME_MINUS_INFINITE || stop == KTIME_INFINITE || !(start < stop)) {
        mError.SetLastErrorID(1);
        return false;
    }
    std::unique_ptr<KFCurve> source(new KFCurve);
    source->CopyFrom(curve, true);
    std::unique_ptr<KFCurve> result(new KFCurve);
    result->CopyFrom(curve, false);
    if (mIntelligentMode)
        KFCurveUtils::Resample(*source, *result, start, stop, mPeriod, true);
    else
        KFCurveUtils::Resample(*source, *result, start, stop, mPeriod, kFCurveInterpolationCubic,
                               kFCurveTangentAuto, true);
    if (result->KeyGetCount() == 0) {
        // The grid did not fit in a curve: nothing was sampled.
        mError.SetLastError(1, "FCurve Resample, too many samples in the interval.");
        return false;
    }
    KFCurveUtils::Merge(*source, *result, curve);
    return true;
}

}  // namespace qelsdk_600
