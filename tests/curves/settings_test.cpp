#include <gtest/gtest.h>

#include "base/kset.h"
#include "curve_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurverotation.h"
#include "curves/kfcurvesettings.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Sec;

TEST(CurveSettings, DefaultsHoldUntilChanged)
{
    EXPECT_EQ(KFCURVE_GetPlotPeriod().Get(), 1539538600LL);
    EXPECT_EQ(KFCURVE_GetRotationFilterToApply(), 2);
    EXPECT_EQ(KFCURVE_GetRotationFilterUnrollQuality(), 0.25);
    EXPECT_FALSE(KFCURVE_GetRotationFilterUnrollTestForPath());
    EXPECT_EQ(KFCURVE_GetButterworthFilterInternalRate(), 240.0);
    EXPECT_TRUE(KFCURVE_GetUseConstantKeyReducer());
    EXPECT_EQ(KFCURVE_GetUseConstantKeyReducerTranslationThreshold(), 5e-13);
    EXPECT_EQ(KFCURVE_GetUseConstantKeyReducerRotationThreshold(), 0.0005);
    EXPECT_EQ(KFCURVE_GetUseConstantKeyReducerScalingThreshold(), 5e-13);
    EXPECT_EQ(KFCURVE_GetUseConstantKeyReducerDefaultThreshold(), 5e-13);
    EXPECT_TRUE(KFCURVE_GetUseConstantKeyReducerOnDevices());
    EXPECT_TRUE(KFCURVE_GetConstantKeyReducerKeepOneKey());
    EXPECT_TRUE(KFCURVE_GetPlotOnFrame());
    EXPECT_FALSE(KFCURVE_GetPlotTranslationOnRootOnly());
    EXPECT_FALSE(KFCURVE_GetPreciseTimeDiscontinuities());
    EXPECT_FALSE(KFCURVE_GetTCB4051EvalMode());

    KFCURVE_SetRotationFilterToApply(1);
    EXPECT_EQ(KFCURVE_GetRotationFilterToApply(), 1);
    KFCURVE_SetRotationFilterToApply(2);
    KFCURVE_SetTCB4051EvalMode(true);
    EXPECT_TRUE(gsTCB4051EvalMode);
    KFCURVE_SetTCB4051EvalMode(false);
}

TEST(CurveSettings, OptionRecordsStartAtTheirDefaults)
{
    const KSmartPlotOptions plot;
    EXPECT_FALSE(plot.UseSmartPlot);
    EXPECT_TRUE(plot.BreakTangents);
    EXPECT_EQ(plot.TangentThreshold, 1.0);
    EXPECT_EQ(plot.TangentPeriod.Get(), 384884650LL);
    EXPECT_TRUE(plot.IncreaseFidelity);
    EXPECT_EQ(plot.FidelityThreshold, 0.25);
    EXPECT_TRUE(plot.FidelityBreakTangents);
    EXPECT_EQ(plot.FidelitySubdivisions, 2);
    EXPECT_FALSE(plot.KeepFullPlot);

    const KMergeLayerOptions merge;
    EXPECT_EQ(merge.Start.Get(), -9223372036854775807LL);
    EXPECT_EQ(merge.Stop.Get(), 9223372036854775807LL);
    EXPECT_EQ(merge.Period.Get(), 1539538600LL);

    const KFCurveSmartMergeInfos cursor;
    EXPECT_EQ(cursor.Curve, nullptr);
    EXPECT_EQ(cursor.KeyIndex, 0);
}

TEST(CurveSettings, NextSmartPlotTimeWalksEveryCursor)
{
    KFCurve a;
    KFCurve b;
    KFCurve c;
    FillUniform(a, kFCurveInterpolationLinear, 0, {{1.0, 0.0f}, {2.0, 0.0f}});
    FillUniform(b, kFCurveInterpolationLinear, 0, {{1.0, 0.0f}, {3.0, 0.0f}});
    FillUniform(c, kFCurveInterpolationLinear, 0, {{1.0, 0.0f}});
    KFCurveSmartMergeInfos layer0[4];
    KFCurveSmartMergeInfos layer1[4];
    layer0[0].Curve = &a;
    layer0[2].Curve = &b;
    layer1[2].Curve = &c;
    KFCurveSmartMergeInfos* cursors[2] = {layer0, layer1};

    KArrayTemplate<int> components;
    components.Add(99);
    KTime now = Sec(0.0);
    EXPECT_EQ(GetNextSmartPlotTime(&now, cursors, 2, &components), Sec(1.0));
    // Components 0 and 2 keyed at 1 s, 2 listed once although two layers key it.
    ASSERT_EQ(components.GetCount(), 2);
    EXPECT_EQ(components.GetAt(0), 0);
    EXPECT_EQ(components.GetAt(1), 2);

    now = Sec(1.0);
    EXPECT_EQ(GetNextSmartPlotTime(&now, cursors, 2, &components), Sec(2.0));
    EXPECT_EQ(layer0[0].KeyIndex, 1);
    EXPECT_EQ(layer1[2].KeyIndex, 1);  // exhausted
    ASSERT_EQ(components.GetCount(), 1);
    EXPECT_EQ(components.GetAt(0), 0);

    now = Sec(3.0);
    EXPECT_EQ(GetNextSmartPlotTime(&now, cursors, 2, nullptr), KTIME_INFINITE);
    // One key per call: b moved from 3 s past its end.
    EXPECT_EQ(layer0[2].KeyIndex, 2);

    components.Clear();
    components.Add(7);
    EXPECT_EQ(GetNextSmartPlotTime(&now, cursors, 0, &components), KTIME_INFINITE);
    EXPECT_EQ(components.GetCount(), 1);
}

TEST(CurveSettings, TimeWarpSetMapsNumbersAndNodes)
{
    KFCurveNode* warp = KFCurveNodeCreate("warp");
    KFCurveNode* other = KFCurveNodeCreate("other");
    int number = -5;
    EXPECT_EQ(KFCurve_FindTWFromNickNumber(3), nullptr);
    EXPECT_FALSE(KFCurve_FindNickNumberFromTW(number, warp));

    KSet set;
    set.Add(7, reinterpret_cast<kReference>(other));
    set.Add(3, reinterpret_cast<kReference>(warp));
    KFCurve_SetTWSet(&set);
    EXPECT_EQ(KFCurve_FindTWFromNickNumber(3), warp);
    EXPECT_EQ(KFCurve_FindTWFromNickNumber(4), nullptr);
    EXPECT_TRUE(KFCurve_FindNickNumberFromTW(number, other));
    EXPECT_EQ(number, 7);
    EXPECT_FALSE(KFCurve_FindNickNumberFromTW(number, nullptr));
    EXPECT_EQ(number, 7);
    KFCurve_SetTWSet(nullptr);
    EXPECT_EQ(KFCurve_FindTWFromNickNumber(3), nullptr);
    warp->Destroy();
    other->Destroy();
}

TEST(ContinuousRotation, NearestEquivalentOfTheAngles)
{
    const struct {
        double current[3];
        double previous[3];
        int order;
        double expected[3];
        bool flipped;
    } cases[] = {
        {{350, 0, 0}, {0, 0, 0}, 0, {-10, 0, 0}, false},
        {{180, 180, 180}, {0, 0, 0}, 0, {0, 0, 0}, true},
        {{725, 10, -370}, {0, 0, 0}, 0, {5, 10, -10}, false},
        // The flipped form of (170, 10, 0) is (350, 170, 180): farther.
        {{170, 10, 0}, {175, 5, 0}, 0, {170, 10, 0}, false},
        // Order ZYX (10): the flip swaps the roles of X and Z.
        {{0, 180, 180}, {180, 0, 0}, 10, {180, 0, 0}, true},
    };
    for (const auto& c : cases) {
        double out[3];
        const bool flipped = KVNGetContinuousRotation(out, c.current, c.previous, KmEulerAxis[c.order]);
        EXPECT_EQ(flipped, c.flipped);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(out[i], c.expected[i], 1e-9) << i;
    }
}

TEST(ContinuousRotation, EqualDistancesChooseTheFlippedForm)
{
    // Both forms lie at the same distance from the previous angles.
    const double current[3] = {0, 90, 0};
    const double previous[3] = {90, 90, 90};
    double out[3];
    EXPECT_TRUE(KVNGetContinuousRotation(out, current, previous, KmEulerAxis[0]));
}

TEST(ContinuousRotation, GimbalLockSharesTheFreeAngle)
{
    // At Y = 90 only X - Z matters; the shared part moves toward the previous.
    const double current[3] = {30, 90, 10};
    const double previous[3] = {50, 90, 50};
    double out[3];
    KVNGetContinuousRotation(out, current, previous, KmEulerAxis[0]);
    EXPECT_NEAR(out[1], 90.0, 1e-9);
    EXPECT_NEAR(out[0] - out[2], 20.0, 1e-9);
    EXPECT_NEAR(out[0], 60.0, 1e-9);
    // The output may be the input array.
    double inPlace[3] = {350, 0, 0};
    const double zero[3] = {0, 0, 0};
    KVNGetContinuousRotation(inPlace, inPlace, zero, KmEulerAxis[0]);
    EXPECT_NEAR(inPlace[0], -10.0, 1e-9);
}

}  // namespace
}  // namespace qelsdk_600
