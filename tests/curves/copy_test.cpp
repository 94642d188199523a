// Whole-curve copy, deletion, replacement, peaks and checks.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::CurvePtr;
using testing_curves::FillUniform;
using testing_curves::Sec;

// n keys, one a second from 0 s, value i.
void FillSeconds(KFCurve& curve, int n, kUInt interpolation = kFCurveInterpolationLinear)
{
    for (int i = 0; i < n; ++i) {
        curve.KeyAppendFast(Sec(i), static_cast<float>(i));
        curve.KeySetInterpolation(i, interpolation);
    }
}

void Decorate(KFCurve& curve)
{
    const float color[3] = {0.25f, 0.5f, 0.75f};
    curve.SetColor(color);
    curve.SetValue(9.0f);
    curve.SetPreExtrapolation(kFCurveExtrapolationRepetition);
    curve.SetPreExtrapolationCount(3);
    curve.SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
    curve.SetPostExtrapolationCount(7);
}

void ExpectDecorated(KFCurve& curve)
{
    EXPECT_EQ(curve.GetValue(), 9.0f);
    EXPECT_EQ(curve.GetColor()[1], 0.5f);
    EXPECT_EQ(curve.GetPreExtrapolation(), kFCurveExtrapolationRepetition);
    EXPECT_EQ(curve.GetPreExtrapolationCount(), 3u);
    EXPECT_EQ(curve.GetPostExtrapolation(), kFCurveExtrapolationKeepSlope);
    EXPECT_EQ(curve.GetPostExtrapolationCount(), 7u);
}

TEST(KFCurveCopy, CopyFromWithAndWithoutKeys)
{
    KFCurve source;
    FillSeconds(source, 100);
    Decorate(source);
    KFCurve bare;
    FillSeconds(bare, 3);
    bare.CopyFrom(source, false);
    EXPECT_EQ(bare.KeyGetCount(), 0);
    ExpectDecorated(bare);

    KFCurve full;
    FillSeconds(full, 5, kFCurveInterpolationConstant);
    full.CopyFrom(source, true);
    ExpectDecorated(full);
    ASSERT_EQ(full.KeyGetCount(), 100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(full.KeyGetTime(i), Sec(i));
        EXPECT_EQ(full.KeyGetInterpolation(i), kFCurveInterpolationLinear);
    }
    EXPECT_TRUE(full.CheckCurve());
}

TEST(KFCurveCopy, CopyOfASpanHoldsTheKeysInside)
{
    KFCurve source;
    FillSeconds(source, 10);
    Decorate(source);
    CurvePtr whole(source.Copy());
    EXPECT_EQ(whole->KeyGetCount(), 10);
    ExpectDecorated(*whole);

    CurvePtr part(source.Copy(Sec(2), Sec(5)));
    ASSERT_EQ(part->KeyGetCount(), 4);
    EXPECT_EQ(part->KeyGetTime(0), Sec(2));
    EXPECT_EQ(part->KeyGetTime(3), Sec(5));
    ExpectDecorated(*part);
    EXPECT_TRUE(part->CheckCurve());

    CurvePtr none(source.Copy(Sec(2.2), Sec(2.8)));
    EXPECT_EQ(none->KeyGetCount(), 0);
}

TEST(KFCurveCopy, DeleteAllKeysKeepsTheFirstValue)
{
    KFCurve curve;
    FillSeconds(curve, 4);
    curve.KeySetValue(0, 5.0f);
    EXPECT_TRUE(curve.Delete(0, 3));
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.GetValue(), 5.0f);
    EXPECT_FALSE(curve.Delete(0, 0));
    EXPECT_FALSE(curve.Delete(Sec(0), Sec(1)));
}

TEST(KFCurveCopy, DeleteBetweenTimesKeepsKeysAtThem)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{1, 1.0f}, {2, 2.0f}, {3, 3.0f}});
    EXPECT_TRUE(curve.Delete(Sec(1), Sec(3)));
    ASSERT_EQ(curve.KeyGetCount(), 2);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(1));
    EXPECT_EQ(curve.KeyGetTime(1), Sec(3));
    EXPECT_TRUE(curve.Delete(Sec(1), Sec(3)));  // nothing strictly between
    EXPECT_EQ(curve.KeyGetCount(), 2);
    EXPECT_TRUE(curve.Delete(KTIME_MINUS_INFINITE, KTIME_INFINITE));
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.GetValue(), 1.0f);
}

TEST(KFCurveCopy, DeleteOfALongRunReleasesItsBlocks)
{
    KFCurve curve;
    FillSeconds(curve, 1000, kFCurveInterpolationCubic);
    for (int i = 0; i < 1000; ++i)
        curve.KeySetTangeantMode(i, kFCurveTangentUserBreak);
    curve.KeySetLeftDerivative(900, 4.0f);
    const int blocks = curve.KeyGetBlockCount();
    EXPECT_TRUE(curve.Delete(100, 899));
    ASSERT_EQ(curve.KeyGetCount(), 200);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(curve.KeyGetTime(i), Sec(i < 100 ? i : i + 800)) << i;
    EXPECT_DOUBLE_EQ(curve.KeyGetLeftDerivative(100), 4.0);
    // Whole blocks strictly between the ends of the run: 4 .. 27.
    EXPECT_EQ(curve.KeyGetBlockCount(), blocks - 24);
    EXPECT_TRUE(curve.CheckCurve());
}

TEST(KFCurveCopy, DeleteClampsIndicesOutsideTheKeys)
{
    KFCurve curve;
    FillSeconds(curve, 5);
    EXPECT_TRUE(curve.Delete(-3, 1));
    ASSERT_EQ(curve.KeyGetCount(), 3);
    EXPECT_EQ(curve.KeyGetTime(0), Sec(2));
    EXPECT_TRUE(curve.Delete(1, 50));
    ASSERT_EQ(curve.KeyGetCount(), 1);
    EXPECT_TRUE(curve.Delete(3, 1));
    EXPECT_EQ(curve.KeyGetCount(), 1);
    EXPECT_TRUE(curve.CheckCurve());
}

TEST(KFCurveCopy, ReplaceSwapsTheSpanForTheSourceKeys)
{
    KFCurve curve;
    FillSeconds(curve, 11);
    KFCurve source;
    FillUniform(source, kFCurveInterpolationLinear, 0, {{2.5, 10.0f}, {4, 10.0f}, {5.5, 10.0f}});
    // Without exact span the span shrinks to the source keys (2.5 .. 5.5 s).
    curve.Replace(&source, Sec(2), Sec(6));
    const double times[] = {0, 1, 2, 2.5, 4, 5.5, 6, 7, 8, 9, 10};
    const float values[] = {0, 1, 2, 10, 10, 10, 6, 7, 8, 9, 10};
    ASSERT_EQ(curve.KeyGetCount(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(curve.KeyGetTime(i), Sec(times[i])) << i;
        EXPECT_EQ(curve.KeyGetValue(i), values[i]) << i;
    }
    EXPECT_FALSE(curve.IsCandidate());

    // With exact span everything inside 2 .. 7 s goes; the keys at the ends
    // stay.
    KFCurve exact;
    FillSeconds(exact, 11);
    exact.Replace(&source, Sec(2), Sec(7), true);
    ASSERT_EQ(exact.KeyGetCount(), 10);
    EXPECT_EQ(exact.KeyGetTime(2), Sec(2));
    EXPECT_EQ(exact.KeyGetTime(3), Sec(2.5));
    EXPECT_EQ(exact.KeyGetTime(6), Sec(7));
}

TEST(KFCurveCopy, ReplaceKeysAnEmptySpanWithTheSourceDefault)
{
    KFCurve curve;
    FillSeconds(curve, 11);
    KFCurve source;
    source.SetValue(7.0f);
    curve.Replace(&source, Sec(3), Sec(5), true, true);
    // Keys at 3 s - 1 tick, 3 s, 5 s, 5 s + 1 tick replace 4 s.
    ASSERT_EQ(curve.KeyGetCount(), 12);
    EXPECT_EQ(curve.KeyGetTime(3), Sec(3) - KTime(1));
    EXPECT_FLOAT_EQ(curve.KeyGetValue(3), 3.0f);
    EXPECT_EQ(curve.KeyGetValue(4), 7.0f);
    EXPECT_EQ(curve.KeyGetValue(5), 7.0f);
    EXPECT_EQ(curve.KeyGetTime(6), Sec(5) + KTime(1));
    EXPECT_FLOAT_EQ(curve.KeyGetValue(6), 5.0f);
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(4)), 7.0f);

    // Without the flag the span is just emptied.
    KFCurve plain;
    FillSeconds(plain, 11);
    plain.Replace(&source, Sec(3), Sec(5), true, false);
    EXPECT_EQ(plain.KeyGetCount(), 10);

    // Over the whole time line the source default becomes the curve's.
    KFCurve all;
    FillSeconds(all, 3);
    all.Replace(&source, KTIME_MINUS_INFINITE, KTIME_INFINITE, true, true);
    EXPECT_EQ(all.KeyGetCount(), 0);
    EXPECT_EQ(all.Evaluate(Sec(1)), 7.0f);
}

TEST(KFCurveCopy, ReplaceForEulerShiftsOrMirrorsAngles)
{
    KFCurve source;
    FillUniform(source, kFCurveInterpolationLinear, 0, {{3, 10.0f}, {4, 20.0f}});
    struct Case {
        bool mirrorSpan;
        bool mirrorAfter;
        float span3;
        float after6;
    };
    const Case cases[] = {{false, false, 370.0f, 366.0f}, {true, true, 350.0f, 354.0f}};
    for (const Case& c : cases) {
        KFCurve curve;
        FillSeconds(curve, 7);
        curve.ReplaceForEulerXYZ(&source, Sec(3), Sec(4), 360.0f, 360.0f, c.mirrorSpan, c.mirrorAfter, true);
        ASSERT_EQ(curve.KeyGetCount(), 7);
        EXPECT_EQ(curve.KeyGetValue(2), 2.0f);  // before the span: unchanged
        EXPECT_EQ(curve.KeyGetValue(3), c.span3);
        EXPECT_EQ(curve.KeyGetValue(6), c.after6);
    }
    // A zero angle adds the keys unchanged.
    KFCurve curve;
    FillSeconds(curve, 7);
    curve.ReplaceForEulerXYZ(&source, Sec(3), Sec(4), 0.0f, 0.0f, true, true, true);
    EXPECT_EQ(curve.KeyGetValue(3), 10.0f);
    EXPECT_EQ(curve.KeyGetValue(6), 6.0f);
}

TEST(KFCurveCopy, ReplaceForQuaternionBlendsTheFactors)
{
    KFCurve source;
    FillUniform(source, kFCurveInterpolationLinear, 0, {{2, 1.0f}, {3, 1.0f}, {4, 1.0f}});
    KFCurve curve;
    FillSeconds(curve, 7);
    curve.ReplaceForQuaternion(&source, Sec(2), Sec(4), 1.0f, 3.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetValue(2), 1.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetValue(3), 2.0f);
    EXPECT_FLOAT_EQ(curve.KeyGetValue(4), 3.0f);
    EXPECT_EQ(curve.KeyGetValue(5), 5.0f);

    // One source key: a span of one instant takes the start factor.
    KFCurve single;
    FillUniform(single, kFCurveInterpolationLinear, 0, {{3, 2.0f}});
    KFCurve target;
    FillSeconds(target, 7);
    target.ReplaceForQuaternion(&single, Sec(0), Sec(6), 4.0f, 8.0f);
    EXPECT_EQ(target.KeyGetValue(3), 8.0f);
}

// Two keys dt seconds apart with user tangents d0 (right of key 0) and d1
// (left of key 1).
void Segment(KFCurve& curve, double dt, float v0, float d0, float d1, float v1)
{
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUserBreak, {{0, v0}, {dt, v1}});
    curve.KeySetRightDerivative(0, d0);
    curve.KeySetLeftDerivative(1, d1);
}

TEST(KFCurveCopy, FindPeaksOfOneSegment)
{
    // A symmetric bump: the quadratic term vanishes, one peak in the middle.
    KFCurve bump;
    Segment(bump, 2.0, 0.0f, 2.0f, -2.0f, 0.0f);
    KTime t1, t2;
    float v1 = 0.0f, v2 = 0.0f;
    ASSERT_EQ(bump.FindPeaks(0, t1, v1, t2, v2), 1);
    EXPECT_NEAR(t1.GetSecondDouble(), 1.0, 1e-9);
    EXPECT_FLOAT_EQ(v1, 1.0f);

    // An S: control values 0, 1, -1, 0 have extrema at s = 1/2 -+ sqrt(3)/6.
    KFCurve wave;
    Segment(wave, 3.0, 0.0f, 1.0f, 1.0f, 0.0f);
    ASSERT_EQ(wave.FindPeaks(0, t1, t2), 2);
    const double s1 = 0.5 - std::sqrt(3.0) / 6.0;
    EXPECT_NEAR(t1.GetSecondDouble(), 3.0 * s1, 1e-6);
    EXPECT_NEAR(t2.GetSecondDouble(), 3.0 * (1.0 - s1), 1e-6);
    ASSERT_EQ(wave.FindPeaks(0, v1, v2), 2);
    const float extreme = static_cast<float>(3.0 * s1 * (1.0 - s1) * (1.0 - 2.0 * s1));
    EXPECT_NEAR(v1, extreme, 1e-5);
    EXPECT_NEAR(v2, -extreme, 1e-5);

    // Monotonic (no real root), and a straight line (no root at all).
    KFCurve rising;
    Segment(rising, 3.0, 0.0f, 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(rising.FindPeaks(0, t1, t2), 0);
    KFCurve line;
    Segment(line, 3.0, 0.0f, 1.0f, 1.0f, 3.0f);
    EXPECT_EQ(line.FindPeaks(0, t1, t2), 0);
    EXPECT_EQ(line.FindPeaks(1, t1, t2), 0);  // no segment after the last key
}

TEST(KFCurveCopy, PureCubicAutoKeys)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}, {2, 0.0f}});
    EXPECT_TRUE(curve.IsKeyInterpolationPureCubicAuto(1));
    curve.KeySetRightAuto(1, 50.0f);
    EXPECT_FALSE(curve.IsKeyInterpolationPureCubicAuto(1));
    curve.KeySetRightAuto(1, 0.0f);
    ASSERT_TRUE(curve.IsKeyInterpolationPureCubicAuto(1));
    curve.KeySetTangeantWeightMode(0, kFCurveWeightedNextLeft);
    EXPECT_FALSE(curve.IsKeyInterpolationPureCubicAuto(1));
    curve.KeySetInterpolation(2, kFCurveInterpolationLinear);
    EXPECT_FALSE(curve.IsKeyInterpolationPureCubicAuto(2));
}

TEST(KFCurveCopy, CheckCurveAfterStorageChanges)
{
    KFCurve curve;
    EXPECT_TRUE(curve.CheckCurve());
    FillSeconds(curve, 3000);
    EXPECT_TRUE(curve.CheckCurve());
    curve.Delete(10, 2500);
    EXPECT_TRUE(curve.CheckCurve());
    curve.KeyShrink();
    EXPECT_TRUE(curve.CheckCurve());
    curve.KeyClear();
    EXPECT_TRUE(curve.CheckCurve());
}

}  // namespace
}  // namespace qelsdk_600
