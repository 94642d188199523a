// The resample filter and the time shift and scale filter.
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "filter_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterresample.h"
#include "curves/kfcurvefiltertimeshiftandscale.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Frame;
using testing_curves::KeyDifference;
using testing_curves::Sec;

// Half a frame at 30 frames per second, in ticks.
KTime HalfFrames(int halves)
{
    return KTime(KTime::kTicksPerSecond / 60 * halves);
}

TEST(KFCurveFilterResample, DefaultsSampleEveryFrameAsCubicAuto)
{
    ASSERT_EQ(KTime::GetGlobalTimeMode(), KTime::eFRAMES30);
    KFCurveFilterResample filter;
    EXPECT_EQ(filter.GetPeriodTime(), Frame(1));
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 30.0f}});
    EXPECT_TRUE(filter.Apply(curve));
    ASSERT_EQ(curve.KeyGetCount(), 31);
    for (int k = 0; k < 31; ++k) {
        EXPECT_EQ(curve.KeyGetTime(k), Frame(k));
        EXPECT_NEAR(curve.KeyGetValue(k), static_cast<float>(k), 1e-4);
        EXPECT_EQ(curve.KeyGetInterpolation(k), kFCurveInterpolationCubic);
        EXPECT_EQ(curve.KeyGetTangeantMode(k), kFCurveTangentAuto);
    }
}

TEST(KFCurveFilterResample, KeysOnFrameStartOnTheNextWholeFrame)
{
    struct Case {
        int firstHalfFrames;
        KTime expectedSecondKey;
    };
    // 1.5 frames starts at frame 2; 0.5 frame has no whole frame above 0
    // below it, so sampling starts at the key.
    const Case cases[] = {{3, Frame(2)}, {1, HalfFrames(3)}};
    for (const Case& c : cases) {
        KFCurve curve;
        curve.KeyAppendFast(HalfFrames(c.firstHalfFrames), 0.0f);
        curve.KeyAppendFast(Frame(10), 10.0f);
        KFCurveFilterResample filter;
        filter.SetKeysOnFrame(true);
        EXPECT_TRUE(filter.Apply(curve));
        EXPECT_EQ(curve.KeyGetTime(0), HalfFrames(c.firstHalfFrames));
        EXPECT_EQ(curve.KeyGetTime(1), c.expectedSecondKey);
        EXPECT_EQ(curve.KeyGetTime(curve.KeyGetCount() - 1), Frame(10));
    }
}

TEST(KFCurveFilterResample, KeysOutsideTheRangeStay)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}, {2, 0.0f}});
    KFCurveFilterResample filter;
    KTime start = Sec(0.5);
    KTime stop = Sec(1.0);
    filter.SetStartTime(start);
    filter.SetStopTime(stop);
    KTime period = Sec(0.25);
    filter.SetPeriodTime(period);
    filter.SetIntelligentMode(true);
    EXPECT_TRUE(filter.Apply(curve));
    EXPECT_EQ(testing_curves::Seconds(curve), (std::vector<double>{0, 0.5, 0.75, 1, 2}));
    EXPECT_EQ(curve.KeyGetInterpolation(1), kFCurveInterpolationLinear);  // kind of the key before
    EXPECT_NEAR(curve.KeyGetValue(2), 0.75f, 1e-5);
}

TEST(KFCurveFilterResample, RefusesABadPeriodOrInterval)
{
    KFCurveFilterResample filter;
    KFCurve empty;
    EXPECT_FALSE(filter.Apply(empty));
    EXPECT_EQ(filter.GetLastErrorID(), 1);
    EXPECT_STREQ(filter.GetLastErrorString(), "Bad Interval");

    KFCurve single;
    single.KeyAppendFast(Sec(1), 1.0f);
    EXPECT_FALSE(filter.Apply(single));  // start equals stop
    EXPECT_EQ(filter.GetLastErrorID(), 1);

    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}});
    KFCurve before;
    before.CopyFrom(curve, true);
    KTime zero(0);
    filter.SetPeriodTime(zero);
    EXPECT_FALSE(filter.Apply(curve));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_STREQ(filter.GetLastErrorString(), "Bad Period");
    EXPECT_EQ(KeyDifference(before, curve), "");
    filter.Reset();
    EXPECT_EQ(filter.GetPeriodTime(), Frame(1));
}

TEST(KFCurveFilterTimeShiftAndScale, ShiftsThenScalesEveryKey)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{-1, 0.0f}, {1, 1.0f}});
    KFCurveFilterTimeShiftAndScale filter;
    KTime shift = Sec(1);
    filter.SetShift(shift);
    filter.SetScale(2.0);
    EXPECT_TRUE(filter.Apply(curve));
    EXPECT_EQ(curve.KeyGetTime(0), Sec(0));
    EXPECT_EQ(curve.KeyGetTime(1), Sec(4));

    // A scale of 0 or less is ignored; the shift alone applies.
    filter.SetScale(-1.0);
    EXPECT_TRUE(filter.Apply(curve));
    EXPECT_EQ(curve.KeyGetTime(1), Sec(5));
}

TEST(KFCurveFilterTimeShiftAndScale, RefusesWhenNothingChangesOrKeysWouldMeet)
{
    KFCurveFilterTimeShiftAndScale filter;
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}});
    filter.SetScale(-1.0);
    EXPECT_FALSE(filter.Apply(curve));
    EXPECT_EQ(filter.GetLastErrorID(), 1);
    EXPECT_STREQ(filter.GetLastErrorString(), "TimeShiftAndScaleFilter, No key were changed by filter.");

    KFCurve empty;
    filter.SetScale(3.0);
    EXPECT_FALSE(filter.Apply(empty));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_STREQ(filter.GetLastErrorString(), "TimeShiftAndScaleFilter, No key to be filtered.");

    // The last two keys would land on the infinite time: refused, nothing
    // moved.
    curve.KeyAppendFast(Sec(2), 0.0f);
    KFCurve before;
    before.CopyFrom(curve, true);
    filter.SetScale(1.0);
    KTime huge(KTime::kInfiniteTicks - 10);
    filter.SetShift(huge);
    EXPECT_FALSE(filter.Apply(curve));
    EXPECT_EQ(filter.GetLastErrorID(), 1);
    EXPECT_EQ(KeyDifference(before, curve), "");
    filter.SetShift(KTIME_ZERO);
    filter.SetScale(1e-12);
    EXPECT_FALSE(filter.Apply(curve));
    EXPECT_EQ(KeyDifference(before, curve), "");
}

}  // namespace
}  // namespace qelsdk_600
