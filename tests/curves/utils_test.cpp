// Curve utilities: comparison, key kinds, conversion, grid resampling and
// splicing.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "filter_builders.h"
#include "node_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurveutils.h"

namespace qelsdk_600 {
namespace {

using testing_curves::Fill;
using testing_curves::kConstant;
using testing_curves::kCubic;
using testing_curves::kLinear;
using testing_curves::FillUniform;
using testing_curves::KeyDifference;
using testing_curves::NodePtr;
using testing_curves::Sec;
using testing_curves::Seconds;
using testing_curves::Values;

// Near-equal seconds lists (times round-trip through ticks).
void ExpectSeconds(const KFCurve& curve, const std::vector<double>& expected)
{
    const std::vector<double> actual = Seconds(curve);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9) << "key " << i;
}

TEST(KFCurveUtils, CompareCurveLooksAtTimesValuesKindsAndUserTangents)
{
    auto base = [](KFCurve& c) {
        Fill(c, {{0, 1.0f, kCubic, kFCurveTangentUser}, {1, 2.0f, kLinear, 0}, {2, 3.0f, kCubic, kFCurveTangentAuto}});
    };
    KFCurve a;
    base(a);
    KFCurve same;
    base(same);
    EXPECT_TRUE(KFCurveUtils::CompareCurve(&a, &same));

    KFCurve shifted;
    base(shifted);
    shifted.KeySetTime(2, Sec(2) + KTime(1));
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&a, &shifted));

    KFCurve slope;
    base(slope);
    slope.KeySetDataDouble(0, eKFCurveRightDerivative, 0.5f);
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&a, &slope));

    // The stored items of an auto key are not compared.
    KFCurve autoData;
    base(autoData);
    autoData.KeySetDataDouble(2, eKFCurveRightDerivative, 0.5f);
    EXPECT_TRUE(KFCurveUtils::CompareCurve(&a, &autoData));

    KFCurve kind;
    base(kind);
    kind.KeySetInterpolation(1, kConstant);
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&a, &kind));

    KFCurve tcbA;
    KFCurve tcbB;
    tcbA.KeyAppendFast(Sec(0), 1.0f);
    tcbA.KeySetTCB(0, Sec(0), 1.0f, 0.1f, 0.0f, 0.0f);
    tcbB.KeyAppendFast(Sec(0), 1.0f);
    tcbB.KeySetTCB(0, Sec(0), 1.0f, 0.2f, 0.0f, 0.0f);
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&tcbA, &tcbB));

    KFCurve emptyA;
    KFCurve emptyB;
    EXPECT_TRUE(KFCurveUtils::CompareCurve(&emptyA, &emptyB));
    emptyB.SetValue(1.0f);
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&emptyA, &emptyB));
    EXPECT_FALSE(KFCurveUtils::CompareCurve(&emptyA, nullptr));
    EXPECT_TRUE(KFCurveUtils::CompareCurve(nullptr, nullptr));
}

TEST(KFCurveUtils, GlobalInterpolationOrsTheKindsAndReportsAMix)
{
    KFCurve mixed;
    Fill(mixed, {{0, 0.0f, kConstant, 0}, {1, 0.0f, kLinear, 0}, {2, 0.0f, kLinear, 0}});
    unsigned int out = 99;
    KFCurveUtils::GetError().ClearLastError();
    EXPECT_TRUE(KFCurveUtils::GetGlobalInterpolation(out, mixed));
    EXPECT_EQ(out, 6u);
    EXPECT_EQ(KFCurveUtils::GetLastErrorID(), 1);
    EXPECT_STREQ(KFCurveUtils::GetLastErrorString(), "KFCurveFilter, No single interpolation type.");

    KFCurve uniform;
    FillUniform(uniform, kCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}});
    KFCurveUtils::GetError().ClearLastError();
    EXPECT_TRUE(KFCurveUtils::GetGlobalTangeant(out, uniform));
    EXPECT_EQ(out, kFCurveTangentAuto);
    EXPECT_EQ(KFCurveUtils::GetLastErrorID(), -1);
    uniform.KeySetTangeantMode(1, kFCurveTangentUser);
    EXPECT_TRUE(KFCurveUtils::GetGlobalTangeant(out, uniform));
    EXPECT_EQ(out, 0x500u);
    EXPECT_STREQ(KFCurveUtils::GetLastErrorString(), "KFCurveFilter, No single tangeant mode.");

    KFCurve empty;
    EXPECT_FALSE(KFCurveUtils::GetGlobalInterpolation(out, empty));
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(KFCurveUtils::GetLastErrorID(), 0);
    EXPECT_STREQ(KFCurveUtils::GetLastErrorString(), "KFCurveFilter, No key to be filtered.");
}

TEST(KFCurveUtils, CountsKeysByKind)
{
    KFCurve curve;
    Fill(curve, {{0, 0.0f, kConstant, 0},
                 {1, 0.0f, kLinear, 0},
                 {2, 0.0f, kLinear, 0},
                 {3, 0.0f, kCubic, kFCurveTangentAuto},
                 {4, 0.0f, kCubic, kFCurveTangentAutoBreak},
                 {5, 0.0f, kCubic, kFCurveTangentUser},
                 {6, 0.0f, kCubic, kFCurveTangentUserBreak},
                 {7, 0.0f, kCubic, 0}});  // no tangent mode: not counted
    const int index = curve.KeyAppendFast(Sec(8), 0.0f);
    curve.KeySetTCB(index, Sec(8), 0.0f, 0.0f, 0.0f, 0.0f);
    int counts[7] = {-1, -1, -1, -1, -1, -1, -1};
    EXPECT_TRUE(KFCurveUtils::GetInterpolationAndTangeantCount(curve, counts));
    EXPECT_EQ(std::vector<int>(counts, counts + 7), (std::vector<int>{1, 2, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(KFCurveUtils::GetInterpolationAndTangeantCount(curve, nullptr));
}

TEST(KFCurveUtils, ConvertsEveryKeyOfATree)
{
    NodePtr root(KFCurveNodeCreate("R"));
    KFCurveNode* child = KFCurveNodeCreate("X");
    root->Add(child);
    root->FCurveSet(KFCurveCreate(), false);
    child->FCurveSet(KFCurveCreate(), false);
    FillUniform(*root->FCurveGet(), kCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}});
    FillUniform(*child->FCurveGet(), kConstant, 0, {{0, 0.0f}});
    KFCurveUtils::ConvertCurveInterpolationRecursive(kCubic, kFCurveTangentUser, *root);
    for (KFCurve* curve : {root->FCurveGet(), child->FCurveGet()})
        for (int i = 0; i < curve->KeyGetCount(); ++i) {
            EXPECT_EQ(curve->KeyGetInterpolation(i), kCubic);
            EXPECT_EQ(curve->KeyGetTangeantMode(i), kFCurveTangentUser);
        }
}

TEST(KFCurveUtils, ConvertCurveSamplesWhatItCannotConvert)
{
    KFCurve source;
    FillUniform(source, kCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 3.0f}, {1.5, 1.0f}});
    KTime period = Sec(1.0 / 30.0);

    KFCurve linear;
    KFCurveUtils::ConvertCurve(source, linear, kLinear, 0, period);
    // 30 samples from 0 up to 1 s, 15 from 1 s up to 1.5 s, and the last key.
    ASSERT_EQ(linear.KeyGetCount(), 46);
    for (int i = 0; i < linear.KeyGetCount(); ++i) {
        EXPECT_EQ(linear.KeyGetInterpolation(i), kLinear);
        EXPECT_FLOAT_EQ(linear.KeyGetValue(i), source.Evaluate(linear.KeyGetTime(i)));
    }
    EXPECT_EQ(linear.KeyGetTime(30), Sec(1));
    EXPECT_EQ(linear.KeyGetTime(45), Sec(1.5));

    // Auto to user keeps one key per source key, with the source's slopes.
    KFCurve user;
    KFCurveUtils::ConvertCurve(source, user, kCubic, kFCurveTangentUser, period);
    ASSERT_EQ(user.KeyGetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(user.KeyGetTangeantMode(i), kFCurveTangentUser);
    EXPECT_NEAR(user.KeyGetRightDerivative(1), source.KeyGetRightDerivative(1), 1e-4);
    EXPECT_NEAR(user.KeyGetLeftDerivative(1), source.KeyGetLeftDerivative(1), 1e-4);
    for (double s : {0.25, 0.5, 1.2})
        EXPECT_NEAR(user.Evaluate(Sec(s)), source.Evaluate(Sec(s)), 1e-4);

    // A period of 0 cannot step between keys: one sample per key.
    KFCurveUtils::ConvertCurve(source, linear, kLinear, 0, KTime(0));
    EXPECT_EQ(linear.KeyGetCount(), 3);

    // Converting a curve into itself reads the keys as they were.
    KFCurve self;
    self.CopyFrom(source, true);
    KFCurveUtils::ConvertCurve(self, self, kLinear, 0, Sec(0.25));
    ExpectSeconds(self, {0, 0.25, 0.5, 0.75, 1, 1.25, 1.5});
}

TEST(KFCurveUtils, ResampleBuildsAGridAndTheStopOnlyWhenAsked)
{
    KFCurve source;
    FillUniform(source, kLinear, 0, {{0, 0.0f}, {1, 10.0f}});
    KFCurve destination;
    KTime start = Sec(0);
    KTime stop = Sec(1);
    KTime period = Sec(0.3);
    KFCurveUtils::Resample(source, destination, start, stop, period, kCubic, kFCurveTangentAuto, false);
    ExpectSeconds(destination, {0, 0.3, 0.6, 0.9});
    EXPECT_NEAR(destination.KeyGetValue(2), 6.0f, 1e-4);
    EXPECT_EQ(destination.KeyGetInterpolation(2), kCubic);
    KFCurveUtils::Resample(source, destination, start, stop, period, kCubic, kFCurveTangentAuto, true);
    ExpectSeconds(destination, {0, 0.3, 0.6, 0.9, 1.0});

    // Samples written over old keys keep none of their selection or
    // velocity bits.
    KFCurve old;
    FillUniform(old, kCubic, kFCurveTangentUser, {{0, 1.0f}, {0.5, 1.0f}, {0.7, 1.0f}, {0.8, 1.0f}, {1, 1.0f}});
    for (int i = 0; i < old.KeyGetCount(); ++i) {
        old.KeySetTangeantVelocityMode(i, kFCurveVelocityMask);
        old.KeySetSelected(i, true);
    }
    KFCurveUtils::Resample(source, old, start, stop, period, kCubic, kFCurveTangentAuto, false);
    ASSERT_EQ(old.KeyGetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(old.KeyGetTangeantVelocityMode(i), 0u) << i;
        EXPECT_FALSE(old.KeyGetSelected(i)) << i;
    }

    // Nothing without a positive period or with stop not after start.
    KFCurve before;
    before.CopyFrom(destination, true);
    KTime zero(0);
    KFCurveUtils::Resample(source, destination, start, stop, zero, kLinear, 0, true);
    KFCurveUtils::Resample(source, destination, stop, start, period, kLinear, 0, true);
    KFCurveUtils::Resample(source, destination, start, start, period, true);
    EXPECT_EQ(KeyDifference(before, destination), "");
    // Nor with more samples than a curve holds, over a span beyond 64 bits.
    KFCurveUtils::Resample(source, destination, KTIME_MINUS_INFINITE, KTIME_INFINITE, KTime(1), kLinear, 0, true);
    EXPECT_EQ(KFCurveUtils::smError.GetLastErrorID(), 4);
    EXPECT_EQ(KeyDifference(before, destination), "");
}

TEST(KFCurveUtils, ResampleKeepsTheKindOfTheSourceKeyBefore)
{
    KFCurve source;
    Fill(source, {{0, 0.0f, kLinear, 0}, {1, 1.0f, kConstant, 0}, {2, 5.0f, kCubic, kFCurveTangentUser}});
    source.KeySetTCB(2, Sec(2), 5.0f, 0.0f, 0.0f, 0.0f);
    KFCurve destination;
    KTime start = Sec(0.5);
    KTime stop = Sec(3.0);
    KTime period = Sec(0.5);
    KFCurveUtils::Resample(source, destination, start, stop, period, false);
    ASSERT_EQ(destination.KeyGetCount(), 6);
    const kUInt kinds[6] = {kLinear, kConstant, kConstant, kCubic, kCubic, kCubic};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(destination.KeyGetInterpolation(i), kinds[i]) << i;
    EXPECT_EQ(destination.KeyGetTangeantMode(3), kFCurveTangentAuto);  // TCB becomes auto
    EXPECT_EQ(destination.KeyGetTangeantMode(5), kFCurveTangentAuto);  // past the last key
    EXPECT_FLOAT_EQ(destination.KeyGetValue(2), 1.0f);
}

TEST(KFCurveUtils, ResampleKeepsTheSlopesOfUserTangents)
{
    // A user curve shaped as a parabola: the resampled curve must follow it
    // between samples too, which needs each sample's own left slope.
    KFCurve source;
    Fill(source, {{0, 0.0f, kCubic, kFCurveTangentUser}, {2, 4.0f, kCubic, kFCurveTangentUser}});
    source.KeySetRightDerivative(0, 0.0f);
    source.KeySetLeftDerivative(1, 4.0f);
    KFCurve destination;
    KTime start = Sec(0);
    KTime stop = Sec(2);
    KTime period = Sec(0.5);
    KFCurveUtils::Resample(source, destination, start, stop, period, true);
    ASSERT_EQ(destination.KeyGetCount(), 5);
    for (int i = 1; i < 4; ++i)
        EXPECT_NEAR(destination.KeyGetLeftDerivative(i), source.EvaluateLeftDerivative(destination.KeyGetTime(i)),
                    1e-3)
            << i;
    for (double s : {0.25, 0.75, 1.3, 1.9})
        EXPECT_NEAR(destination.Evaluate(Sec(s)), source.Evaluate(Sec(s)), 1e-3) << s;
}

TEST(KFCurveUtils, InPlaceResampleReplacesOnlyTheRange)
{
    KFCurve curve;
    FillUniform(curve, kLinear, 0, {{0, 0.0f}, {1, 4.0f}, {3, 0.0f}});
    KFCurveUtils::Resample(curve, Sec(0), Sec(1), Sec(0.25), false);
    ExpectSeconds(curve, {0, 0.25, 0.5, 0.75, 1, 3});
    EXPECT_NEAR(curve.KeyGetValue(1), 1.0f, 1e-5);

    // Open ends take the curve's own first and last keys; a start before
    // the first whole period is not aligned.
    KFCurve open;
    FillUniform(open, kLinear, 0, {{0.1, 0.0f}, {1.1, 4.0f}});
    KFCurveUtils::Resample(open, KTIME_MINUS_INFINITE, KTIME_INFINITE, Sec(0.5), true);
    ExpectSeconds(open, {0.1, 0.6, 1.1});

    // Aligned: the samples fall on multiples of the period.
    KFCurve aligned;
    FillUniform(aligned, kLinear, 0, {{0, 0.0f}, {0.7, 0.0f}, {2.2, 4.0f}, {3, 0.0f}});
    KFCurveUtils::Resample(aligned, Sec(0.7), Sec(2.2), Sec(0.5), true);
    const std::vector<double> times = Seconds(aligned);
    for (double s : {1.0, 1.5, 2.0})
        EXPECT_TRUE(std::any_of(times.begin(), times.end(), [s](double t) { return std::fabs(t - s) < 1e-9; })) << s;
    EXPECT_TRUE(std::none_of(times.begin(), times.end(), [](double t) { return std::fabs(t - 1.2) < 1e-9; }));

    KFCurve empty;
    KFCurveUtils::Resample(empty, KTIME_MINUS_INFINITE, KTIME_INFINITE, Sec(0.5), false);
    EXPECT_EQ(empty.KeyGetCount(), 0);
}

TEST(KFCurveUtils, MergeSplicesTheInsertOverItsSpan)
{
    KFCurve base;
    FillUniform(base, kLinear, 0, {{0, 0.0f}, {1, 1.0f}, {2, 2.0f}, {3, 3.0f}});
    struct Case {
        std::vector<std::pair<double, float>> insert;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{{1.2, 9.0f}, {1.8, 9.0f}}, {0, 1, 1.2, 1.8, 2, 3}},   // between two keys: nA + nB
        {{{1.0, 9.0f}, {2.0, 9.0f}}, {0, 1, 2, 3}},             // on keys: they are replaced
        {{{0.5, 9.0f}, {2.5, 9.0f}}, {0, 0.5, 2.5, 3}},
        {{{-1.0, 9.0f}, {0.5, 9.0f}}, {-1, 0.5, 1, 2, 3}},      // before the base
        {{{-1.0, 9.0f}, {5.0, 9.0f}}, {-1, 5}},                 // covers it: a copy of the insert
    };
    for (const Case& c : cases) {
        KFCurve insert;
        for (const auto& key : c.insert)
            insert.KeyAppendFast(Sec(key.first), key.second);
        KFCurve result;
        KFCurveUtils::Merge(base, insert, result);
        ExpectSeconds(result, c.expected);
        for (int i = 0; i < result.KeyGetCount(); ++i)
            if (result.KeyGetTime(i) >= insert.KeyGetTime(0) && result.KeyGetTime(i) <= insert.KeyGetTime(1)) {
                EXPECT_EQ(result.KeyGetValue(i), 9.0f);
            }
    }

    KFCurve empty;
    KFCurve result;
    KFCurveUtils::Merge(empty, base, result);
    EXPECT_EQ(KeyDifference(result, base), "");
    KFCurveUtils::Merge(base, empty, result);
    EXPECT_EQ(KeyDifference(result, base), "");

    // The result may be the base itself.
    KFCurve insert;
    insert.KeyAppendFast(Sec(1.5), 7.0f);
    KFCurveUtils::Merge(base, insert, base);
    ExpectSeconds(base, {0, 1, 1.5, 2, 3});
    EXPECT_EQ(base.KeyGetValue(2), 7.0f);
}

TEST(KFCurveUtils, MergeKeepsTheBaseSlopeAtUserJunctions)
{
    // A straight line of user keys, slope 1: the junction keys take slope 1.
    KFCurve base;
    FillUniform(base, kCubic, kFCurveTangentUser, {{0, 0.0f}, {2, 2.0f}, {4, 4.0f}});
    for (int i = 0; i < 3; ++i) {
        base.KeySetDataDouble(i, eKFCurveRightDerivative, 1.0f);
        base.KeySetDataDouble(i, eKFCurveNextLeftDerivative, 1.0f);
    }
    KFCurve insert;
    FillUniform(insert, kLinear, 0, {{0.5, 0.5f}, {1.5, 1.5f}});
    KFCurve result;
    KFCurveUtils::Merge(base, insert, result);
    ASSERT_EQ(result.KeyGetCount(), 5);
    EXPECT_FLOAT_EQ(result.KeyGetDataFloat(0, eKFCurveNextLeftDerivative), 1.0f);
    EXPECT_EQ(result.KeyGetInterpolation(2), kCubic);
    EXPECT_EQ(result.KeyGetTangeantMode(2), kFCurveTangentUserBreak);
    EXPECT_FLOAT_EQ(result.KeyGetDataFloat(2, eKFCurveRightDerivative), 1.0f);
    EXPECT_FLOAT_EQ(result.KeyGetDataFloat(2, eKFCurveNextLeftDerivative), 1.0f);
    for (double s : {1.6, 1.8})
        EXPECT_NEAR(result.Evaluate(Sec(s)), s, 1e-4);
}

TEST(KFCurveUtils, TimeOffsetsMeasureTheGapToTheFirstAndLastKeys)
{
    KFCurve curve;
    FillUniform(curve, kLinear, 0, {{2, 0.0f}, {4, 0.0f}});
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetBefore(curve, Sec(1)), Sec(1));
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetBefore(curve, Sec(3)), KTIME_ZERO);
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetAfter(curve, Sec(5)), KTIME_ZERO - Sec(1));
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetAfter(curve, Sec(3)), KTIME_ZERO);
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetAfter(curve, KTIME_INFINITE), Sec(4) - KTIME_INFINITE);
    // Gaps beyond the tick range saturate rather than wrap to the wrong sign.
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetBefore(curve, KTIME_MINUS_INFINITE), KTIME_INFINITE);
    KFCurve negative;
    FillUniform(negative, kLinear, 0, {{-4, 0.0f}, {-2, 0.0f}});
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetAfter(negative, KTIME_INFINITE), KTIME_MINUS_INFINITE);
    KFCurve empty;
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetBefore(empty, Sec(1)), KTIME_ZERO);
    EXPECT_EQ(KFCurveUtils::FindTimeOffsetAfter(empty, Sec(1)), KTIME_ZERO);
}

}  // namespace
}  // namespace qelsdk_600
