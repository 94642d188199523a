// The candidate: evaluation cache and keying of a pending value.
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Sec;

TEST(KFCurveCandidate, EvaluateCachesUntilTheKeysChange)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {2, 2.0f}});
    EXPECT_FLOAT_EQ(curve.CandidateEvaluate(Sec(1)), 1.0f);
    EXPECT_TRUE(curve.IsCandidate());
    EXPECT_EQ(curve.CandidateGetTime(), Sec(1));
    // A planted value at the same time is answered without evaluating.
    curve.CandidateSet(Sec(1), 7.0);
    EXPECT_EQ(curve.CandidateEvaluate(Sec(1)), 7.0f);
    curve.KeyModifyBegin();
    curve.KeyModifyEnd();
    EXPECT_FALSE(curve.IsCandidate());
    EXPECT_FLOAT_EQ(curve.CandidateEvaluate(Sec(1)), 1.0f);
    curve.CandidateClear();
    EXPECT_EQ(curve.CandidateGet(), 0.0f);
}

TEST(KFCurveCandidate, KeyWithoutCandidateChangesNothing)
{
    KFCurve curve;
    EXPECT_EQ(curve.CandidateKey(), 1);
    EXPECT_EQ(curve.KeyGetCount(), 0);
    curve.CandidateSet(Sec(2), 4.0);
    EXPECT_EQ(curve.CandidateKey(), 0);
    ASSERT_EQ(curve.KeyGetCount(), 1);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(2));
    EXPECT_EQ(curve.KeyGetValue(0), 4.0f);
    // A time argument becomes the candidate time.
    EXPECT_EQ(curve.CandidateKey(nullptr, kFCurveInterpolationLinear, 0, false, true, Sec(3)), 0);
    ASSERT_EQ(curve.KeyGetCount(), 2);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(3));
    EXPECT_EQ(curve.KeyGetInterpolation(1), kFCurveInterpolationLinear);
}

TEST(KFCurveCandidate, KeyNearAnExistingKeyMovesIt)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUser, {{0, 0.0f}, {1, 1.0f}, {2, 0.0f}});
    curve.CandidateSet(Sec(1.1), 5.0);
    // Index 1.1 lies within 0.25 of key 1.
    EXPECT_EQ(curve.CandidateKey(nullptr, kFCurveInterpolationCubic, kFCurveTangentUser, false, false,
                                 KTIME_INFINITE, 0.25),
              0);
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_EQ(curve.KeyGetTime(1), Sec(1.1));
    EXPECT_EQ(curve.KeyGetValue(1), 5.0f);
    // Without tolerance the same kind of candidate adds a key.
    curve.CandidateSet(Sec(1.5), 2.0);
    curve.CandidateKey(nullptr, kFCurveInterpolationCubic, kFCurveTangentUser, false, true, KTIME_INFINITE, 0.0);
    EXPECT_EQ(curve.KeyGetCount(), 4);
}

TEST(KFCurveCandidate, KeyBetweenKeysFollowsTheCurve)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUserBreak, {{0, 0.0f}, {3, 1.0f}});
    curve.KeySetRightDerivative(0, 2.0f);
    curve.KeySetLeftDerivative(1, -1.0f);
    std::vector<float> before;
    for (int i = 0; i <= 30; ++i)
        before.push_back(curve.Evaluate(Sec(i * 0.1)));
    const double left = curve.EvaluateLeftDerivative(Sec(1));
    const double right = curve.EvaluateRightDerivative(Sec(1));

    curve.CandidateEvaluate(Sec(1));
    EXPECT_EQ(curve.CandidateKey(nullptr, kFCurveInterpolationCubic, kFCurveTangentUserBreak), 0);
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), left, 1e-5);
    EXPECT_NEAR(curve.KeyGetRightDerivative(1), right, 1e-5);
    // The facing tangents of the neighbours stay.
    EXPECT_FLOAT_EQ(static_cast<float>(curve.KeyGetRightDerivative(0)), 2.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(curve.KeyGetLeftDerivative(2)), -1.0f);
    // A cubic split with its own derivatives is the same cubic.
    for (int i = 0; i <= 30; ++i)
        EXPECT_NEAR(curve.Evaluate(Sec(i * 0.1)), before[i], 1e-4) << i;
}

TEST(KFCurveCandidate, BrokenKeyTakesTheBrokenFormOfItsMode)
{
    struct Case {
        int mode;
        kUInt expected;
    };
    const Case cases[] = {
        {kFCurveTangentAuto, kFCurveTangentAutoBreak},
        {kFCurveTangentUser, kFCurveTangentUser},
        {kFCurveTangentTCB, kFCurveTangentTCB},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUserBreak, {{0, 0.0f}, {2, 2.0f}});
        curve.KeySetRightDerivative(0, 1.0f);
        curve.KeySetLeftDerivative(1, 1.0f);
        curve.CandidateEvaluate(Sec(1));
        EXPECT_EQ(curve.CandidateKey(nullptr, kFCurveInterpolationCubic, c.mode, true), 0);
        ASSERT_EQ(curve.KeyGetCount(), 3);
        EXPECT_EQ(curve.KeyGetTangeantMode(1), c.expected) << c.mode;
        if (c.mode == kFCurveTangentTCB) {
            EXPECT_EQ(curve.KeyGetDataFloat(1, eKFCurveTCBContinuity), -1.0f);
        }
        if (c.mode == kFCurveTangentUser) {
            // Flat on both sides.
            EXPECT_EQ(curve.KeyGetRightDerivative(1), 0.0);
            EXPECT_EQ(curve.KeyGetLeftDerivative(1), 0.0);
        }
        // The neighbours' facing tangents stay.
        EXPECT_FLOAT_EQ(static_cast<float>(curve.KeyGetRightDerivative(0)), 1.0f) << c.mode;
    }
}

}  // namespace
}  // namespace qelsdk_600
