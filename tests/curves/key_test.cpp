#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "curves/kfcurvekey.h"

namespace qelsdk_600 {
namespace {

KFCurveKey CubicKey()
{
    KFCurveKey key{};
    key.Set(KTime(100), 1.5f, kFCurveInterpolationCubic, kFCurveTangentUser, 2.0f, -3.0f);
    return key;
}

TEST(KFCurveKey, IsThirtyTwoBytesAndCopiesWhole)
{
    EXPECT_EQ(sizeof(KFCurveKey), 32u);
    KFCurveKey key = CubicKey();
    key.SetSelected(true);
    KFCurveKey copy{};
    copy.Set(key);
    EXPECT_EQ(copy.GetTime(), KTime(100));
    EXPECT_FLOAT_EQ(copy.GetValue(), 1.5f);
    EXPECT_EQ(copy.GetFlags(), key.GetFlags());
    EXPECT_FLOAT_EQ(copy.GetDataFloat(eKFCurveNextLeftDerivative), -3.0f);
}

// Keys are often made on the stack and then Set, which keeps the flag bits it
// does not own: whatever memory held before must not show up as selection,
// weight or velocity bits.
TEST(KFCurveKey, StartsAllZerosWhateverTheMemoryHeld)
{
    alignas(KFCurveKey) unsigned char memory[sizeof(KFCurveKey)];
    std::memset(memory, 0xFF, sizeof memory);
    KFCurveKey* key = new (memory) KFCurveKey;
    for (unsigned char byte : memory) EXPECT_EQ(byte, 0);
    key->Set(KTime(5), 1.0f, kFCurveInterpolationCubic, kFCurveTangentAuto);
    EXPECT_FALSE(key->GetSelected());
    EXPECT_EQ(key->GetTangeantWeightMode(), 0u);
    EXPECT_EQ(key->GetTangeantVelocityMode(), 0u);
}

// Weights and velocities are 16-bit fixed point: trunc(value x 9999) / 9999.
TEST(KFCurveKey, FixedPointItemsTruncateAndClamp)
{
    struct Case {
        int item;
        float stored;
        double readBack;
    } cases[] = {
        {eKFCurveRightWeight, 1.0f / 3.0f, 3333.0 / 9999.0},
        {eKFCurveNextLeftWeight, 1.0f, 9899.0 / 9999.0},  // clamped to 0.99
        {eKFCurveRightWeight, 0.0f, 1.0 / 9999.0},        // clamped to 0.00010001
        {eKFCurveNextLeftWeight, -2.0f, 1.0 / 9999.0},
        {eKFCurveRightVelocity, -0.5f, -4999.0 / 9999.0},  // trunc(-4999.5) = -4999
        {eKFCurveNextLeftVelocity, 2.0f, 19998.0 / 9999.0},  // velocities are not clamped
        {eKFCurveRightVelocity, 100.0f, 32767.0 / 9999.0},   // saturates instead of wrapping
    };
    for (const Case& c : cases) {
        KFCurveKey key = CubicKey();
        key.SetDataDouble(c.item, c.stored);
        EXPECT_DOUBLE_EQ(key.GetDataDouble(c.item), c.readBack) << "item " << c.item << " value " << c.stored;
    }
    KFCurveKey key = CubicKey();
    key.SetDataDouble(eKFCurveRightVelocity, -0.5f);
    EXPECT_NEAR(key.GetDataDouble(eKFCurveRightVelocity), -0.49995, 1e-5);
}

// Reading an item back as a float and storing it again must not lose a step,
// or every key removal would wear down the weights of the keys around it.
TEST(KFCurveKey, FixedPointItemsSurviveReadAndStore)
{
    KFCurveKey key = CubicKey();
    for (int step = -32768; step <= 32767; ++step) {
        const int item = step > 0 && step <= 9899 ? eKFCurveRightWeight : eKFCurveRightVelocity;
        const float value = static_cast<float>(step / 9999.0);
        key.SetDataDouble(item, value);
        const double first = key.GetDataDouble(item);
        key.SetDataDouble(item, static_cast<float>(first));
        ASSERT_EQ(key.GetDataDouble(item), first) << step;
        ASSERT_NEAR(first * 9999.0, step, 1e-6) << step;
    }
}

TEST(KFCurveKey, FixedPointItemsDoNotDisturbNeighbours)
{
    KFCurveKey key = CubicKey();
    key.SetDataDouble(eKFCurveRightWeight, 0.25f);
    key.SetDataDouble(eKFCurveNextLeftWeight, 0.5f);
    key.SetDataDouble(eKFCurveRightVelocity, 0.75f);
    key.SetDataDouble(eKFCurveNextLeftVelocity, -0.125f);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveRightWeight), 2499.0 / 9999.0);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveNextLeftWeight), 4999.0 / 9999.0);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveRightVelocity), 7499.0 / 9999.0);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveNextLeftVelocity), -1249.0 / 9999.0);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveRightDerivative), 2.0f);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveNextLeftDerivative), -3.0f);
}

TEST(KFCurveKey, BecomingCubicResetsWeightsAndVelocities)
{
    KFCurveKey key{};
    key.Set(KTime(0), 0.0f, kFCurveInterpolationLinear, 0, 0.0f, 0.0f, kFCurveWeightedMask, 0.7f, 0.6f, 0.5f, 0.4f);
    key.SetTangeantVelocityMode(kFCurveVelocityMask);
    key.SetInterpolation(kFCurveInterpolationCubic);
    EXPECT_EQ(key.GetInterpolation(), kFCurveInterpolationCubic);
    EXPECT_EQ(key.GetTangeantWeightMode(), 0u);
    EXPECT_EQ(key.GetTangeantVelocityMode(), 0u);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveRightWeight), 3333.0 / 9999.0);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveNextLeftWeight), 3333.0 / 9999.0);
    EXPECT_EQ(key.GetDataDouble(eKFCurveRightVelocity), 0.0);
    EXPECT_EQ(key.GetDataDouble(eKFCurveNextLeftVelocity), 0.0);

    // Cubic to cubic keeps everything.
    key.SetTangeantWeightMode(kFCurveWeightedRight);
    key.SetDataDouble(eKFCurveRightWeight, 0.5f);
    key.SetInterpolation(kFCurveInterpolationCubic);
    EXPECT_EQ(key.GetTangeantWeightMode(), kFCurveWeightedRight);
    EXPECT_DOUBLE_EQ(key.GetDataDouble(eKFCurveRightWeight), 4999.0 / 9999.0);
}

TEST(KFCurveKey, SettersTouchOnlyTheirBits)
{
    KFCurveKey key = CubicKey();
    key.SetTangeantWeightMode(0xFFFFFFFFu, 0xFFFFFFFFu);  // mask reduced to the weight bits
    EXPECT_EQ(key.GetFlags(), kFCurveInterpolationCubic | kFCurveTangentUser | kFCurveWeightedMask);
    key.SetTangeantVelocityMode(kFCurveVelocityNextLeft, kFCurveVelocityMask | kFCurveWeightedMask);
    EXPECT_EQ(key.GetTangeantVelocityMode(), kFCurveVelocityNextLeft);
    EXPECT_EQ(key.GetTangeantWeightMode(), kFCurveWeightedMask);
    key.SetTangeantMode(0xFFFFFFFFu);
    EXPECT_EQ(key.GetTangeantMode(), kFCurveTangentMask);
    EXPECT_EQ(key.GetInterpolation(), kFCurveInterpolationCubic);
    key.SetTangeantVisibility(kFCurveTangentVisibilityMask);
    key.Set(KTime(5), 2.0f);  // a full Set clears the visibility
    EXPECT_EQ(key.GetTangeantVisibility(), 0u);
}

TEST(KFCurveKey, SelectingClearsFocusButFocusAloneDoesNot)
{
    KFCurveKey key = CubicKey();
    key.SetFocus(true);
    EXPECT_TRUE(key.GetFocus());
    key.SetSelected(true);
    EXPECT_TRUE(key.GetSelected());
    EXPECT_FALSE(key.GetFocus());
    key.SetFocus(true);
    EXPECT_TRUE(key.GetSelected());
    key.SetSelected(false);
    EXPECT_FALSE(key.GetSelected());
    EXPECT_FALSE(key.GetFocus());
    key.SetBreak(true);
    EXPECT_EQ(key.GetTangeantMode(), kFCurveTangentUserBreak);
}

TEST(KFCurveKey, MultTangeantScalesOnlyUserTangents)
{
    struct Case {
        kUInt interpolation;
        kUInt mode;
        bool scaled;
    } cases[] = {
        {kFCurveInterpolationCubic, kFCurveTangentUser, true},
        {kFCurveInterpolationCubic, kFCurveTangentUserBreak, true},
        {kFCurveInterpolationCubic, kFCurveTangentAuto, false},
        {kFCurveInterpolationCubic, kFCurveTangentBreak, false},
        {kFCurveInterpolationLinear, kFCurveTangentUser, false},
    };
    for (const Case& c : cases) {
        KFCurveKey key{};
        key.Set(KTime(0), 0.0f, c.interpolation, c.mode, 2.0f, -4.0f);
        key.MultTangeant(0.5f);
        EXPECT_FLOAT_EQ(key.GetDataFloat(0), c.scaled ? 1.0f : 2.0f) << c.mode;
        EXPECT_FLOAT_EQ(key.GetDataFloat(1), c.scaled ? -2.0f : -4.0f) << c.mode;
    }
}

TEST(KFCurveKey, TCBKeepsRawParametersAndInitKeepsData)
{
    KFCurveKey key{};
    key.SetTCB(KTime(7), 3.0f, 0.25f, -0.5f, 0.75f);
    EXPECT_EQ(key.GetInterpolation(), kFCurveInterpolationCubic);
    EXPECT_EQ(key.GetTangeantMode(), kFCurveTangentTCB);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveTCBTension), 0.25f);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveTCBContinuity), -0.5f);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveTCBBias), 0.75f);
    key.Init();
    EXPECT_EQ(key.GetTime(), KTime(0));
    EXPECT_EQ(key.GetValue(), 0.0f);
    EXPECT_EQ(key.GetFlags(), 0u);
    EXPECT_FLOAT_EQ(key.GetDataFloat(eKFCurveTCBBias), 0.75f);
}

TEST(KFCurveTangeantInfo, DefaultsToAnUnweightedFlatTangent)
{
    KFCurveTangeantInfo info;
    EXPECT_EQ(info.mDerivative, 0.0f);
    EXPECT_FLOAT_EQ(info.mWeight, 0.33333334f);
    EXPECT_FALSE(info.mWeighted);
    EXPECT_EQ(info.mVelocity, 0.0f);
    EXPECT_FALSE(info.mHasVelocity);
    EXPECT_EQ(info.mAuto, 0.0f);
}

}  // namespace
}  // namespace qelsdk_600
