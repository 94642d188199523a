#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"

namespace qelsdk_600 {
namespace {

using testing_curves::Fill;
using testing_curves::kCubic;
using testing_curves::kLinear;
using testing_curves::FillUniform;
using testing_curves::Sec;

// Linear keys at uneven times: 0 s 0, 1 s 10, 3 s 4, 4 s 7 (span 4 s).
void Zigzag(KFCurve& curve)
{
    FillUniform(curve, kLinear, 0, {{0.0, 0.0f}, {1.0, 10.0f}, {3.0, 4.0f}, {4.0, 7.0f}});
}

TEST(KFCurveEvaluate, EmptyAndSingleKeyCurves)
{
    KFCurve curve;
    curve.SetValue(3.5f);
    EXPECT_EQ(curve.Evaluate(Sec(1.0)), 3.5f);
    EXPECT_EQ(curve.KeyFind(Sec(1.0)), -1.0);
    EXPECT_EQ(curve.KeyFindAll(Sec(1.0)), -1.0);
    FillUniform(curve, kCubic, kFCurveTangentAuto, {{1.0, 8.0f}});
    curve.SetPreExtrapolation(kFCurveExtrapolationMirrorRepetition);
    curve.SetPreExtrapolationCount(5);
    curve.SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
    curve.SetPostExtrapolationCount(0xFFFFFFFFu);
    for (double s : {-100.0, 0.0, 1.0, 2.0, 1e6})
        EXPECT_EQ(curve.Evaluate(Sec(s)), 8.0f) << s;
    EXPECT_EQ(curve.KeyFindAll(Sec(-3.0)), 0.0);
    EXPECT_EQ(curve.KeyFindAll(Sec(3.0)), 0.0);
}

TEST(KFCurveEvaluate, LinearSegment)
{
    KFCurve curve;
    FillUniform(curve, kLinear, 0, {{0.0, 0.0f}, {1.0, 10.0f}});
    EXPECT_EQ(curve.Evaluate(Sec(0.25)), 2.5f);
    EXPECT_EQ(curve.Evaluate(Sec(1.0)), 10.0f);
    EXPECT_EQ(curve.Evaluate(Sec(-1.0)), 0.0f);  // constant before
    EXPECT_EQ(curve.Evaluate(Sec(7.0)), 10.0f);  // and after
    EXPECT_EQ(curve.EvaluateIndex(0.5), 5.0f);
}

TEST(KFCurveEvaluate, KeepSlopeRunsThenHolds)
{
    struct Case {
        kUInt count;
        double seconds;
        float value;
    } cases[] = {
        {0xFFFFFFFFu, 2.0, 20.0f}, {0xFFFFFFFFu, 11.0, 110.0f}, {1, 2.0, 20.0f}, {1, 5.0, 20.0f},
        {0, 3.0, 10.0f},           {2, 2.5, 25.0f},            {2, 9.0, 30.0f},
        {0x80000000u, 2.0, 20.0f},  // a count past the int range still runs on
    };
    for (const Case& c : cases) {
        KFCurve curve;
        FillUniform(curve, kLinear, 0, {{0.0, 0.0f}, {1.0, 10.0f}});
        curve.SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
        curve.SetPostExtrapolationCount(c.count);
        curve.SetPreExtrapolation(kFCurveExtrapolationKeepSlope);
        curve.SetPreExtrapolationCount(c.count);
        EXPECT_FLOAT_EQ(curve.Evaluate(Sec(c.seconds)), c.value) << c.count << " at " << c.seconds;
        // Mirror image before the first key.
        EXPECT_FLOAT_EQ(curve.Evaluate(Sec(1.0 - c.seconds)), 10.0f - c.value) << c.count;
    }
}

TEST(KFCurveEvaluate, RepetitionAndMirror)
{
    struct Case {
        kUInt type;
        kUInt count;
        double seconds;
        float value;
    } cases[] = {
        {kFCurveExtrapolationConstant, 3, -1.0, 0.0f},
        {kFCurveExtrapolationConstant, 3, 5.0, 7.0f},
        {kFCurveExtrapolationRepetition, 0, -1.0, 0.0f},  // count 0: as constant
        {kFCurveExtrapolationRepetition, 0, 5.0, 7.0f},
        {kFCurveExtrapolationRepetition, 2, -4.0, 7.0f},  // one span before t0: v(last)
        {kFCurveExtrapolationRepetition, 2, 8.0, 0.0f},   // one span after: v(0)
        {kFCurveExtrapolationRepetition, 1, -4.0, 0.0f},  // on the limit
        {kFCurveExtrapolationRepetition, 1, 8.0, 7.0f},
        {kFCurveExtrapolationRepetition, 2, -3.5, 5.0f},  // as 0.5 s
        {kFCurveExtrapolationRepetition, 2, 5.0, 10.0f},  // as 1 s
        {kFCurveExtrapolationRepetition, 2, -100.0, 0.0f},
        {kFCurveExtrapolationMirrorRepetition, 1, -0.5, 5.0f},  // as 0.5 s
        {kFCurveExtrapolationMirrorRepetition, 1, 4.5, 5.5f},   // as 3.5 s
        {kFCurveExtrapolationMirrorRepetition, 3, -6.0, 7.0f},  // second period runs forward: as 2 s
        {kFCurveExtrapolationMirrorRepetition, 3, 9.0, 10.0f},  // second period forward: as 1 s
    };
    for (const Case& c : cases) {
        KFCurve curve;
        Zigzag(curve);
        curve.SetPreExtrapolation(c.type);
        curve.SetPreExtrapolationCount(c.count);
        curve.SetPostExtrapolation(c.type);
        curve.SetPostExtrapolationCount(c.count);
        EXPECT_FLOAT_EQ(curve.Evaluate(Sec(c.seconds)), c.value) << c.type << " x" << c.count << " at " << c.seconds;
    }
}

// More than 2^31 periods away the phase within the period must still be
// exact.
TEST(KFCurveEvaluate, RepetitionFarAwayKeepsItsPhase)
{
    const kLongLong span = 1539538600LL;  // 1/30 s
    const kLongLong periods = 3000000000LL;
    struct Case {
        kUInt type;
        bool after;
        float value;
    } cases[] = {
        {kFCurveExtrapolationRepetition, true, 0.25f},
        {kFCurveExtrapolationMirrorRepetition, true, 0.75f},
        {kFCurveExtrapolationRepetition, false, 0.75f},
        {kFCurveExtrapolationMirrorRepetition, false, 0.25f},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        curve.KeyAppendFast(KTime(0), 0.0f);
        curve.KeyAppendFast(KTime(span), 1.0f);
        curve.KeyTangeantSetInterpolation(false, kLinear);
        curve.SetPreExtrapolation(c.type);
        curve.SetPreExtrapolationCount(0xFFFFFFFFu);
        curve.SetPostExtrapolation(c.type);
        curve.SetPostExtrapolationCount(0xFFFFFFFFu);
        const KTime time = c.after ? KTime(span + periods * span + span / 4) : KTime(-periods * span - span / 4);
        EXPECT_NEAR(curve.Evaluate(time), c.value, 1e-6) << c.type << " " << c.after;
    }
}

TEST(KFCurveEvaluate, ExtremeTimesStayDefined)
{
    const kUInt types[] = {0, 1, 2, 3, 4, 9};
    const kUInt counts[] = {0, 1, 7, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    const KTime times[] = {KTIME_MINUS_INFINITE, KTime(-0x7FFFFFFFFFFFFFFFLL - 1), Sec(-1e6), KTIME_INFINITE, Sec(1e6)};
    for (kUInt type : types) {
        for (kUInt count : counts) {
            KFCurve curve;
            FillUniform(curve, kCubic, kFCurveTangentAuto, {{-2.0, 1.0f}, {0.5, -1.0f}, {3.0, 2.0f}});
            curve.SetPreExtrapolation(type);
            curve.SetPreExtrapolationCount(count);
            curve.SetPostExtrapolation(type);
            curve.SetPostExtrapolationCount(count);
            for (KTime t : times) {
                const float value = curve.Evaluate(t);
                EXPECT_FALSE(std::isnan(value)) << type << " " << count << " " << t.Get();
                if (type != kFCurveExtrapolationKeepSlope) {
                    EXPECT_GE(value, -1.5f);
                    EXPECT_LE(value, 2.5f);
                }
            }
            EXPECT_TRUE(curve.KeyGetTimeAll(0) <= curve.KeyGetTimeAll(1));
        }
    }
}

// An unknown extrapolation type (from a damaged file, say) must not read
// memory before the first key or after the last.
TEST(KFCurveEvaluate, UnknownExtrapolationHoldsTheEnds)
{
    KFCurve curve;
    Zigzag(curve);
    curve.SetPreExtrapolation(0);
    curve.SetPreExtrapolationCount(3);
    curve.SetPostExtrapolation(77);
    curve.SetPostExtrapolationCount(3);
    EXPECT_EQ(curve.Evaluate(Sec(-1.0)), 0.0f);
    EXPECT_EQ(curve.Evaluate(Sec(6.0)), 7.0f);
    EXPECT_EQ(curve.EvaluateIndex(-0.5), 0.0f);
    EXPECT_EQ(curve.EvaluateIndex(3.5), 7.0f);
    EXPECT_EQ(curve.EvaluateIndex(std::nan("")), 0.0f);
}

TEST(KFCurveEvaluate, CubicSegments)
{
    KFCurve curve;
    FillUniform(curve, kCubic, kFCurveTangentUser, {{0.0, 0.0f}, {1.0, 10.0f}});
    // Flat tangents: the smoothstep 3u^2 - 2u^3.
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(0.5)), 5.0f);
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(0.25)), 1.5625f);
    EXPECT_FLOAT_EQ(curve.EvaluateRightDerivative(Sec(0.5)), 15.0f);
    EXPECT_FLOAT_EQ(curve.EvaluateLeftDerivative(Sec(0.25)), 11.25f);  // 60 u (1 - u) with u = 1/4
    // Tangents equal to the chord: a straight line.
    curve.KeySetRightDerivative(0, 10.0f);
    curve.KeySetLeftDerivative(1, 10.0f);
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(0.3)), 3.0f);
    EXPECT_FLOAT_EQ(curve.EvaluateLeftDerivative(Sec(0.7)), 10.0f);
    EXPECT_FLOAT_EQ(curve.EvaluateRightDerivative(Sec(1.0)), 10.0f);
    EXPECT_EQ(curve.EvaluateRightDerivative(Sec(2.0)), 0.0f);
    EXPECT_EQ(curve.EvaluateLeftDerivative(Sec(-2.0)), 0.0f);
}

TEST(KFCurveEvaluate, ConstantKeysHoldOrTakeTheNext)
{
    KFCurve curve;
    Fill(curve, {{0.0, 1.0f, kFCurveInterpolationConstant, 0},
                 {1.0, 2.0f, kFCurveInterpolationConstant, kFCurveConstantNext},
                 {2.0, 3.0f, kLinear, 0}});
    EXPECT_EQ(curve.Evaluate(Sec(0.999)), 1.0f);
    EXPECT_EQ(curve.Evaluate(Sec(1.0)), 2.0f);
    EXPECT_EQ(curve.Evaluate(Sec(1.001)), 3.0f);
    EXPECT_EQ(curve.EvaluateLeftDerivative(Sec(0.5)), 0.0f);
}

// Reference for weighted segments: the time curve inverted by bisection in
// double precision.
double WeightedReference(double v0, double d0, double w0, double v1, double d1, double w1, double dt, double u)
{
    auto bezier = [](double a, double b, double c, double d, double p) {
        const double q = 1.0 - p;
        return q * q * q * a + 3 * q * q * p * b + 3 * q * p * p * c + p * p * p * d;
    };
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (bezier(0.0, w0, 1.0 - w1, 1.0, mid) < u)
            lo = mid;
        else
            hi = mid;
    }
    const double p = 0.5 * (lo + hi);
    return bezier(v0, v0 + w0 * d0 * dt, v1 - w1 * d1 * dt, v1, p);
}

TEST(KFCurveEvaluate, WeightedSegments)
{
    struct Case {
        float w0, w1;
    } cases[] = {{1.0f / 3.0f, 1.0f / 3.0f}, {0.5f, 0.2f}, {0.1f, 0.6f}, {0.75f, 0.75f}};
    for (const Case& c : cases) {
        KFCurve curve;
        FillUniform(curve, kCubic, kFCurveTangentUserBreak, {{0.0, 0.0f}, {2.0, 4.0f}});
        curve.KeySetRightDerivative(0, 6.0f);
        curve.KeySetLeftDerivative(1, -1.0f);
        KFCurve unweighted;
        FillUniform(unweighted, kCubic, kFCurveTangentUserBreak, {{0.0, 0.0f}, {2.0, 4.0f}});
        unweighted.KeySetRightDerivative(0, 6.0f);
        unweighted.KeySetLeftDerivative(1, -1.0f);
        curve.KeySetRightTangeantWeight(0, c.w0);
        curve.KeySetLeftTangeantWeight(1, c.w1);
        const double w0 = curve.KeyGetRightTangeantWeight(0);
        const double w1 = curve.KeyGetLeftTangeantWeight(1);
        for (double u : {0.05, 0.25, 0.5, 0.8, 0.97}) {
            const float value = curve.Evaluate(Sec(2.0 * u));
            EXPECT_NEAR(value, WeightedReference(0.0, 6.0, w0, 4.0, -1.0, w1, 2.0, u), 2e-3)
                << c.w0 << " " << c.w1 << " at " << u;
            if (c.w0 == 1.0f / 3.0f && c.w1 == 1.0f / 3.0f) {
                EXPECT_NEAR(value, unweighted.Evaluate(Sec(2.0 * u)), 2e-3);
            }
        }
    }
}

TEST(KFCurveEvaluate, SecantStopsOnAFlatFunction)
{
    const float root = KFCurve::rtsec([](float, float, float, float) { return 1.0; }, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isnan(root));
    const float exact = KFCurve::rtsec([](float x, float a, float, float) { return static_cast<double>(x - a); },
                                       0.0f, 1.0f, 0.3f, 0.0f, 0.0f);
    EXPECT_NEAR(exact, 0.3f, 1e-6);
    EXPECT_NEAR(KFCurve::CubicWarp(1.0f, 0.0f, 0.3f, 0.3f), 0.0, 1e-7);  // X(0)
    EXPECT_NEAR(KFCurve::CubicWarp(0.0f, 0.0f, 0.3f, 0.3f), 1.0, 1e-7);  // X(1)
}

// The search as a plain linear walk from the hint: the galloping search
// must give the same index and leave the same hint.
double LinearFind(KFCurve& curve, kLongLong t, int& hint)
{
    const int n = curve.KeyGetCount();
    int k = hint < 0 ? 0 : (hint > n - 1 ? n - 1 : hint);
    auto at = [&](int i) { return curve.KeyGetTime(i).Get(); };
    auto sec = [](kLongLong ticks) { return static_cast<double>(ticks) / 46186158000.0; };
    if (t == at(k)) {
        hint = k;
        return k;
    }
    if (t > at(k)) {
        for (; k < n - 1; ++k) {
            if (t <= at(k + 1)) {
                hint = k + 1;
                return k + sec(t - at(k)) / sec(at(k + 1) - at(k));
            }
        }
        hint = n;
        return n - 0.5;
    }
    if (k == 0) {
        hint = 0;
        return -0.5;
    }
    while (t < at(k - 1)) {
        --k;
        if (k < 1) {
            hint = 0;
            return -0.5;
        }
    }
    hint = k - 1;
    return (k - 1) + sec(t - at(k - 1)) / sec(at(k) - at(k - 1));
}

TEST(KFCurveEvaluate, KeyFindMatchesALinearWalk)
{
    KFCurve curve;
    std::mt19937 random(7);
    kLongLong t = 0;
    std::vector<kLongLong> times;
    for (int i = 0; i < 3000; ++i) {
        t += 1 + static_cast<kLongLong>(random() % 100000);
        times.push_back(t);
        curve.KeyAppendFast(KTime(t), static_cast<float>(i));
    }
    for (int trial = 0; trial < 20000; ++trial) {
        kLongLong probe;
        switch (trial % 4) {
        case 0:
            probe = times[random() % times.size()];  // exactly on a key
            break;
        case 1:
            probe = times[random() % times.size()] - 1;
            break;
        default:
            probe = static_cast<kLongLong>(random() % static_cast<unsigned>(t + 200000)) - 100000;
        }
        int hint = static_cast<int>(random() % 3010) - 5;
        int expectedHint = hint;
        const double expected = LinearFind(curve, probe, expectedHint);
        const double found = curve.KeyFind(KTime(probe), &hint);
        ASSERT_EQ(found, expected) << "time " << probe;
        ASSERT_EQ(hint, expectedHint) << "time " << probe;
    }
}

TEST(KFCurveEvaluate, SequentialEvaluationFollowsTheHint)
{
    KFCurve curve;
    for (int i = 0; i <= 100; ++i)
        curve.KeyAppendFast(Sec(i), static_cast<float>(i % 2));
    curve.KeyTangeantSetInterpolation(false, kLinear);
    int hint = 0;
    for (int step = 0; step <= 400; ++step) {
        const double s = step * 0.25;
        const float expected = static_cast<float>(std::fabs(std::fmod(s, 2.0) - 1.0) * -1.0 + 1.0);
        ASSERT_NEAR(curve.Evaluate(Sec(s), &hint), expected, 1e-6) << s;
    }
    EXPECT_EQ(hint, 100);
    // The curve's own hint is used when none is given.
    EXPECT_EQ(curve.KeyFind(Sec(50.0)), 50.0);
    EXPECT_EQ(curve.KeyFind(Sec(50.5)), 50.5);
}

// Every all-keys index names a key whose value the curve takes at that
// index's time.
TEST(KFCurveAllKeys, IndicesAgreeWithEvaluation)
{
    const kUInt types[] = {kFCurveExtrapolationRepetition, kFCurveExtrapolationMirrorRepetition,
                           kFCurveExtrapolationConstant};
    for (kUInt preType : types) {
        for (kUInt postType : types) {
            for (kUInt pre = 0; pre <= 3; ++pre) {
                for (kUInt post = 0; post <= 3; ++post) {
                    KFCurve curve;
                    Zigzag(curve);
                    curve.SetPreExtrapolation(preType);
                    curve.SetPreExtrapolationCount(pre);
                    curve.SetPostExtrapolation(postType);
                    curve.SetPostExtrapolationCount(post);
                    const int all = static_cast<int>(curve.KeyGetCountAll());
                    ASSERT_EQ(all, static_cast<int>(4 + 3 * (pre + post)));
                    // The outermost indices sit on the limits, where the
                    // curve holds its end keys.
                    for (int a = 1; a < all - 1; ++a) {
                        int region;
                        const int key = curve.MapIndexAll(a, region);
                        ASSERT_GE(key, 0);
                        ASSERT_LT(key, 4);
                        const KTime time = curve.KeyGetTimeAll(a);
                        const float value = curve.Evaluate(time);
                        const kUInt type = region == kFCurveRegionPreRepetition ? preType : postType;
                        if (region != kFCurveRegionKeys && type == kFCurveExtrapolationRepetition &&
                            (key == 0 || key == 3)) {
                            // A plain repetition jumps from v(last) to v(0)
                            // where periods meet; both keys share that time.
                            EXPECT_TRUE(value == 0.0f || value == 7.0f) << value;
                        } else {
                            EXPECT_FLOAT_EQ(value, curve.KeyGetValue(key))
                                << "types " << preType << "/" << postType << " counts " << pre << "/" << post
                                << " index " << a << " region " << region;
                        }
                        EXPECT_EQ(curve.KeyGetRawAll(a), curve.KeyGetPtr(key));
                        if (type != kFCurveExtrapolationConstant || region == kFCurveRegionKeys) {
                            EXPECT_TRUE(curve.KeyGetTimeAll(a - 1) < time)
                                << "types " << preType << "/" << postType << " counts " << pre << "/" << post
                                << " index " << a;
                        }
                    }
                }
            }
        }
    }
}

TEST(KFCurveAllKeys, RegionsAndUnmappedIndices)
{
    KFCurve curve;
    Zigzag(curve);
    curve.SetPreExtrapolation(kFCurveExtrapolationRepetition);
    curve.SetPreExtrapolationCount(1);
    curve.SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
    curve.SetPostExtrapolationCount(2);
    EXPECT_EQ(curve.KeyGetCountAll(), 13u);
    struct Case {
        int index, key, region;
    } cases[] = {{-1, 0, kFCurveRegionBefore}, {0, 0, kFCurveRegionPreRepetition}, {2, 2, kFCurveRegionPreRepetition},
                 {3, 0, kFCurveRegionKeys},     {6, 3, kFCurveRegionKeys},           {8, 8, kFCurveRegionPostRepetition},
                 {13, 3, kFCurveRegionAfter}};
    for (const Case& c : cases) {
        int region = -1;
        EXPECT_EQ(curve.MapIndexAll(c.index, region), c.key) << c.index;
        EXPECT_EQ(region, c.region) << c.index;
    }
    EXPECT_EQ(curve.KeyGetRawAll(8), nullptr);  // keep slope has no keys to name
    EXPECT_EQ(curve.KeyGetTimeAll(0), Sec(-4.0));
    EXPECT_EQ(curve.KeyGetTimeAll(5), Sec(3.0));

    KFCurve empty;
    EXPECT_EQ(empty.KeyGetCountAll(), 0u);
    EXPECT_EQ(empty.KeyGetRawAll(0), nullptr);
    EXPECT_EQ(empty.KeyGetTimeAll(3), KTime(0));
}

}  // namespace
}  // namespace qelsdk_600
