#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::Fill;
using testing_curves::kConstant;
using testing_curves::kCubic;
using testing_curves::kLinear;
using testing_curves::FillUniform;
using testing_curves::Sec;

// Slopes of the test curve: 2 into key 1, 0.5 out of it.
void ThreeKeys(KFCurve& curve, kUInt interpolation, kUInt mode)
{
    FillUniform(curve, interpolation, mode, {{0.0, 0.0f}, {1.0, 2.0f}, {3.0, 3.0f}});
}

struct EventCounter {
    int calls = 0;
    KFCurveEvent last;
    static void Callback(KFCurve*, KFCurveEvent* event, void* object)
    {
        EventCounter* counter = static_cast<EventCounter*>(object);
        ++counter->calls;
        counter->last = *event;
    }
};

TEST(KFCurveTangent, SingleKeyHasFlatTangents)
{
    KFCurve curve;
    FillUniform(curve, kCubic, kFCurveTangentUser, {{1.0, 5.0f}});
    curve.KeySetDataFloat(0, 0, 7.0f);
    EXPECT_EQ(curve.KeyGetLeftDerivative(0), 0.0);
    EXPECT_EQ(curve.KeyGetRightDerivative(0), 0.0);
}

TEST(KFCurveTangent, LinearAndConstantSegments)
{
    KFCurve linear;
    ThreeKeys(linear, kLinear, 0);
    const double expected[][2] = {{2.0, 2.0}, {2.0, 0.5}, {0.5, 0.5}};  // left, right per key
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(linear.KeyGetLeftDerivative(i), expected[i][0]) << i;
        EXPECT_DOUBLE_EQ(linear.KeyGetRightDerivative(i), expected[i][1]) << i;
    }
    EXPECT_EQ(linear.KeyGetLeftAuto(1), 100.0f);

    KFCurve constant;
    Fill(constant, {{0.0, 0.0f, kConstant, 0}, {1.0, 2.0f, kCubic, kFCurveTangentUser}, {2.0, 1.0f, kCubic, 0}});
    constant.KeySetDataFloat(0, 1, 9.0f);  // ignored behind a constant key
    EXPECT_EQ(constant.KeyGetRightDerivative(0), 0.0);
    EXPECT_EQ(constant.KeyGetLeftDerivative(1), 0.0);
    EXPECT_EQ(constant.KeyGetLeftAuto(1), 0.0f);
}

TEST(KFCurveTangent, TCBDerivatives)
{
    struct Case {
        float t, c, b;
        double right1, left1;
    } cases[] = {
        {0.0f, 0.0f, 0.0f, 1.25, 1.25},  // mean of 2 and 0.5
        {0.5f, 0.0f, 0.0f, 0.625, 0.625},
        {0.0f, 0.0f, 0.5f, 1.625, 1.625},
        {0.0f, 0.5f, 0.0f, 1.625, 0.875},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        ThreeKeys(curve, kCubic, kFCurveTangentTCB);
        for (int i = 0; i < 3; ++i)
            curve.KeySetTCB(i, curve.KeyGetTime(i), curve.KeyGetValue(i), c.t, c.c, c.b);
        EXPECT_NEAR(curve.KeyGetRightDerivative(1), c.right1, 1e-12);
        EXPECT_NEAR(curve.KeyGetLeftDerivative(1), c.left1, 1e-12);
        if (c.t == 0.0f && c.c == 0.0f && c.b == 0.0f) {
            EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(0), 2.0);  // first key: outgoing slope
            EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(0), 2.0);
            EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(2), 0.5);  // last key: incoming slope
            EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(2), 0.5);
        }
    }
}

// With the process-wide flag, a TCB key's left derivative follows its right
// one; the last key has no right of its own and must not loop.
TEST(KFCurveTangent, TCBFlagOnLastKeyDoesNotRecurse)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentTCB);
    for (int i = 0; i < 3; ++i)
        curve.KeySetTCB(i, curve.KeyGetTime(i), curve.KeyGetValue(i), 0.0f, 0.5f, 0.0f);
    gsTCB4051EvalMode = true;
    const double left1 = curve.KeyGetLeftDerivative(1);
    const double right1 = curve.KeyGetRightDerivative(1);
    const double last = curve.KeyGetRightDerivative(2);
    gsTCB4051EvalMode = false;
    EXPECT_DOUBLE_EQ(left1, right1);
    EXPECT_DOUBLE_EQ(right1, 1.625);
    EXPECT_DOUBLE_EQ(last, 0.5 * 0.5);  // (1 - C) x incoming slope
}

TEST(KFCurveTangent, UserKeySharesOneTangentUnlessBroken)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentUser);
    curve.KeySetLeftDerivative(1, 3.0f);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 3.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(1), 3.0);

    curve.KeySetTangeantMode(1, kFCurveTangentUserBreak);
    curve.KeySetLeftDerivative(1, 5.0f);
    curve.KeySetRightDerivative(1, -1.0f);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 5.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(1), -1.0);

    curve.KeyIncLeftDerivative(1, 0.5f);
    curve.KeyIncRightDerivative(1, 0.25f);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 5.5);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(1), -0.75);

    curve.KeySetRightDerivative(2, 8.0f);  // last key: nothing
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(2), curve.KeyGetLeftDerivative(2));
    curve.KeySetLeftDerivative(0, 8.0f);  // first key: nothing
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(0), curve.KeyGetRightDerivative(0));
}

TEST(KFCurveTangent, AutoKeysStoreTheirAutoForm)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentAuto);
    // Auto value 0: the mean of the neighbouring slopes on both sides.
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 1.25, 1e-7);
    EXPECT_NEAR(curve.KeyGetRightDerivative(1), 1.25, 1e-7);

    curve.KeySetRightDerivative(1, 2.0f);  // the incoming slope: auto -100 on the right
    EXPECT_NEAR(curve.KeyGetRightAuto(1), -100.0f, 1e-4);
    EXPECT_NEAR(curve.KeyGetRightDerivative(1), 2.0, 1e-6);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 1.25, 1e-7);  // the left side is stored apart

    curve.KeySetLeftAuto(1, 100.0f);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 2.0, 1e-6);
    EXPECT_EQ(curve.KeyGetLeftAuto(1), 100.0f);
    curve.KeySetLeftDerivative(1, 0.5f);
    EXPECT_NEAR(curve.KeyGetLeftAuto(1), -100.0f, 1e-4);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 0.5, 1e-6);
}

TEST(KFCurveTangent, MultDerivativeNeedsUserOrBreak)
{
    struct Case {
        kUInt mode;
        bool scaled;
    } cases[] = {
        {kFCurveTangentAuto, false},
        {kFCurveTangentAutoBreak, true},
        {kFCurveTangentUser, true},
        {kFCurveTangentUserBreak, true},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        ThreeKeys(curve, kCubic, kFCurveTangentAuto);
        curve.KeySetTangeantMode(1, c.mode);
        curve.KeySetLeftDerivative(1, 1.0f);
        curve.KeySetRightDerivative(1, 1.0f);
        const double left = curve.KeyGetLeftDerivative(1);
        const double right = curve.KeyGetRightDerivative(1);
        curve.KeyMultDerivative(1, 2.0f);
        const double factor = c.scaled ? 2.0 : 1.0;
        EXPECT_NEAR(curve.KeyGetLeftDerivative(1), left * factor, 1e-5) << c.mode;
        EXPECT_NEAR(curve.KeyGetRightDerivative(1), right * factor, 1e-5) << c.mode;
    }
}

TEST(KFCurveTangent, WeightsAndVelocitiesPerSide)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentUser);
    EXPECT_FALSE(curve.KeyIsRightTangeantWeighted(0));
    EXPECT_FLOAT_EQ(curve.KeyGetRightTangeantWeight(0), 0.33333334f);
    curve.KeySetRightTangeantWeight(0, 0.5f);
    curve.KeySetLeftTangeantWeight(1, 0.25f);
    EXPECT_TRUE(curve.KeyIsRightTangeantWeighted(0));
    EXPECT_TRUE(curve.KeyIsLeftTangeantWeighted(1));
    EXPECT_FLOAT_EQ(curve.KeyGetRightTangeantWeight(0), 4999.0f / 9999.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetLeftTangeantWeight(1), 2499.0f / 9999.0f);
    curve.KeySetLeftTangeantWeightedMode(1, false);
    EXPECT_FLOAT_EQ(curve.KeyGetLeftTangeantWeight(1), 0.33333334f);

    EXPECT_EQ(curve.KeyGetRightTangeantVelocity(1), 0.0f);
    curve.KeySetRightTangeantVelocity(1, -0.5f);
    curve.KeySetLeftTangeantVelocity(2, 0.75f);
    EXPECT_TRUE(curve.KeyIsRightTangeantVelocity(1));
    EXPECT_NEAR(curve.KeyGetRightTangeantVelocity(1), -0.49995f, 1e-6);
    EXPECT_NEAR(curve.KeyGetLeftTangeantVelocity(2), 7499.0f / 9999.0f, 1e-6);
    curve.KeySetRightTangeantVelocityMode(1, false);
    EXPECT_EQ(curve.KeyGetRightTangeantVelocity(1), 0.0f);
    EXPECT_TRUE(curve.KeyIsLeftTangeantVelocity(2));
}

TEST(KFCurveTangent, WeightSettersAtTheEdges)
{
    EventCounter counter;
    KFCurve curve;
    Fill(curve, {{0.0, 0.0f, kLinear, 0}, {1.0, 1.0f, kCubic, kFCurveTangentUser}, {2.0, 0.0f, kCubic, kFCurveTangentUser}});
    curve.CallbackRegister(EventCounter::Callback, &counter);
    curve.KeySetRightTangeantWeight(2, 0.5f);  // last key: nothing, no event
    EXPECT_EQ(counter.calls, 0);
    EXPECT_FLOAT_EQ(curve.KeyGetRightTangeantWeight(2), 0.33333334f);
    curve.KeySetLeftTangeantWeight(1, 0.5f);  // behind a linear key: nothing stored, one event
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(counter.last.mType, kFCurveEventKey);
    EXPECT_EQ(counter.last.mKeyIndexStart, 1);
    EXPECT_FALSE(curve.KeyIsLeftTangeantWeighted(1));
    curve.CallbackUnregister(EventCounter::Callback, &counter);
}

// The bias of a TCB key overlays its weight items: weight setters must not
// write there, and the key reads as unweighted on both sides.
TEST(KFCurveTangent, WeightsNeverOverwriteTCBBias)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentTCB);
    for (int i = 0; i < 3; ++i)
        curve.KeySetTCB(i, curve.KeyGetTime(i), curve.KeyGetValue(i), 0.1f, 0.2f, 0.3f);
    curve.KeySetRightTangeantWeight(0, 0.9f);
    curve.KeySetLeftTangeantWeight(2, 0.05f);
    curve.KeySetLeftTangeantWeightedMode(1, true);
    curve.KeySetRightTangeantWeightedMode(1, true);
    KFCurveTangeantInfo info;
    info.mWeight = 0.7f;
    info.mWeighted = true;
    curve.KeySetLeftDerivativeInfo(1, info);  // what key removal and insertion do
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(curve.KeyGetDataFloat(i, eKFCurveTCBBias), 0.3f) << i;
    EXPECT_FLOAT_EQ(curve.KeyGetRightTangeantWeight(0), 0.33333334f);
    EXPECT_FLOAT_EQ(curve.KeyGetLeftTangeantWeight(1), 0.33333334f);
    EXPECT_FALSE(curve.KeyIsLeftTangeantWeighted(2));
    // A TCB key whose weight bit came from elsewhere still reads unweighted.
    curve.KeyGetPtr(0)->SetFlags(curve.KeyGetPtr(0)->GetFlags() | kFCurveWeightedMask);
    EXPECT_FALSE(curve.KeyIsLeftTangeantWeighted(1));
    EXPECT_FLOAT_EQ(curve.KeyGetLeftTangeantWeight(1), 0.33333334f);
}

TEST(KFCurveTangent, DerivativeInfoCarriesASide)
{
    KFCurve source;
    ThreeKeys(source, kCubic, kFCurveTangentUserBreak);
    source.KeySetLeftDerivative(1, 4.0f);
    source.KeySetLeftTangeantWeight(1, 0.6f);
    source.KeySetLeftTangeantVelocity(1, 0.2f);
    const KFCurveTangeantInfo left = source.KeyGetLeftDerivativeInfo(1);
    EXPECT_FLOAT_EQ(left.mDerivative, 4.0f);
    EXPECT_TRUE(left.mWeighted);
    EXPECT_TRUE(left.mHasVelocity);

    KFCurve target;
    ThreeKeys(target, kCubic, kFCurveTangentUserBreak);
    target.KeySetLeftDerivativeInfo(2, left);
    EXPECT_DOUBLE_EQ(target.KeyGetLeftDerivative(2), 4.0);
    EXPECT_FLOAT_EQ(target.KeyGetLeftTangeantWeight(2), left.mWeight);
    EXPECT_FLOAT_EQ(target.KeyGetLeftTangeantVelocity(2), left.mVelocity);

    KFCurveTangeantInfo right;
    right.mDerivative = -2.0f;
    target.KeySetRightDerivativeInfo(0, right);
    EXPECT_DOUBLE_EQ(target.KeyGetRightDerivative(0), -2.0);
    EXPECT_FALSE(target.KeyIsRightTangeantWeighted(0));
}

TEST(KFCurveTangent, BezierHandlesSitAtAThird)
{
    KFCurve curve;
    FillUniform(curve, kCubic, kFCurveTangentUserBreak, {{0.0, 0.0f}, {2.0, 3.0f}});
    curve.KeySetRightDerivative(0, 1.5f);
    curve.KeySetLeftDerivative(1, -3.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetRightBezierTangeant(0), 1.0f);  // 0 + 1.5 x 2 / 3
    EXPECT_FLOAT_EQ(curve.KeyGetLeftBezierTangeant(1), 5.0f);   // 3 + 3 x 2 / 3
    EXPECT_FLOAT_EQ(curve.KeyGetLeftBezierTangeant(0), 0.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetRightBezierTangeant(1), 3.0f);
    curve.KeySetRightBezierTangeant(0, 2.0f);
    curve.KeySetLeftBezierTangeant(1, 1.0f);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(0), 3.0);
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(1), 3.0);
}

// Changing the type of keys keeps the derivatives on both sides of each,
// including the left side that lives on the key before.
TEST(KFCurveTangent, RetypingKeepsDerivatives)
{
    struct Case {
        kUInt fromInterpolation;
        kUInt fromMode;
        bool changeMode;
        kUInt to;
    } cases[] = {
        {kCubic, kFCurveTangentAuto, true, kFCurveTangentUserBreak},
        {kCubic, kFCurveTangentAuto, true, kFCurveTangentUser},
        {kCubic, kFCurveTangentUserBreak, true, kFCurveTangentAutoBreak},
        {kCubic, kFCurveTangentTCB, true, kFCurveTangentUserBreak},
        {kLinear, kFCurveTangentUserBreak, false, kCubic},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        FillUniform(curve, c.fromInterpolation, c.fromMode,
                    {{0.0, 0.0f}, {1.0, 2.0f}, {3.0, 3.0f}, {4.0, -1.0f}, {6.0, 0.0f}});
        if (c.fromMode == kFCurveTangentUserBreak && c.fromInterpolation == kCubic) {
            for (int i = 0; i < 5; ++i) {
                curve.KeySetLeftDerivative(i, 0.5f * i);
                curve.KeySetRightDerivative(i, -0.25f * i);
            }
        }
        std::vector<double> left, right;
        for (int i = 0; i < 5; ++i) {
            left.push_back(curve.KeyGetLeftDerivative(i));
            right.push_back(curve.KeyGetRightDerivative(i));
        }
        if (c.changeMode)
            curve.KeyTangeantSetMode(false, c.to);
        else
            curve.KeyTangeantSetInterpolation(false, c.to);
        for (int i = 0; i < 5; ++i) {
            if (c.changeMode) {
                EXPECT_EQ(curve.KeyGetTangeantMode(i), c.to);
            }
            // An unbroken user key has one tangent: its right side follows.
            const bool shared = c.changeMode && c.to == kFCurveTangentUser && i < 4;
            EXPECT_NEAR(curve.KeyGetLeftDerivative(i), left[i], 1e-5) << "case " << c.to << " key " << i;
            if (!shared) {
                EXPECT_NEAR(curve.KeyGetRightDerivative(i), right[i], 1e-5) << "case " << c.to << " key " << i;
            }
        }
    }
}

TEST(KFCurveTangent, RetypingSelectedKeysOnly)
{
    KFCurve curve;
    ThreeKeys(curve, kCubic, kFCurveTangentAuto);
    curve.KeySetSelected(1, true);
    curve.KeyTangeantSetMode(true, kFCurveTangentUserBreak);
    EXPECT_EQ(curve.KeyGetTangeantMode(0), kFCurveTangentAuto);
    EXPECT_EQ(curve.KeyGetTangeantMode(1), kFCurveTangentUserBreak);
    EXPECT_EQ(curve.KeyGetTangeantMode(2), kFCurveTangentAuto);
    curve.KeyTangeantSetInterpolation(true, kLinear);
    EXPECT_EQ(curve.KeyGetInterpolation(1), kLinear);
    EXPECT_EQ(curve.KeyGetInterpolation(0), kCubic);
    EXPECT_DOUBLE_EQ(curve.KeyGetRightDerivative(1), 0.5);
}

}  // namespace
}  // namespace qelsdk_600
