#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "curves/kfcurvefilterkeyreducer.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;

struct Sample {
    KTime time;
    float value;
};

// Keys at 0, 1, 2, ... seconds of the given values.
void FillValues(KFCurve& curve, const std::vector<float>& values, kUInt interpolation, kUInt mode)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        FillUniform(curve, interpolation, mode, {{static_cast<double>(i), values[i]}});
}

std::vector<Sample> Samples(KFCurve& curve)
{
    std::vector<Sample> samples;
    for (int i = 0; i < curve.KeyGetCount(); ++i)
        samples.push_back({curve.KeyGetTime(i), curve.KeyGetValue(i)});
    return samples;
}

// Largest distance between the curve and the former keys.
double WorstError(KFCurve& curve, const std::vector<Sample>& samples)
{
    double worst = 0.0;
    for (const Sample& s : samples)
        worst = std::fmax(worst, std::fabs(curve.Evaluate(s.time) - s.value));
    return worst;
}

TEST(BezierKeyReducer, CollinearKeysFitToTheirEnds)
{
    for (kUInt interpolation : {kFCurveInterpolationLinear, kFCurveInterpolationCubic}) {
        KFCurve curve;
        std::vector<float> values;
        for (int i = 0; i < 10; ++i)
            values.push_back(2.0f * i);
        const kUInt mode = interpolation == kFCurveInterpolationCubic ? kUInt{kFCurveTangentAuto} : kUInt{0};
        FillValues(curve, values, interpolation, mode);
        KFCurveFilterKeyReducer reducer;
        ASSERT_TRUE(reducer.Apply(curve)) << interpolation;
        ASSERT_EQ(curve.KeyGetCount(), 2) << interpolation;
        EXPECT_EQ(curve.KeyGetTime(0), Sec(0.0));
        EXPECT_EQ(curve.KeyGetTime(1), Sec(9.0));
        EXPECT_NEAR(curve.Evaluate(Sec(4.5)), 9.0, 1e-4) << interpolation;
    }
}

TEST(BezierKeyReducer, OutlierIsKeptWithABrokenTangent)
{
    KFCurve curve;
    std::vector<float> values;
    for (int i = 0; i < 10; ++i)
        values.push_back(static_cast<float>(i));
    values[5] = 15.0f;
    FillValues(curve, values, kFCurveInterpolationLinear, 0);
    const std::vector<Sample> before = Samples(curve);
    KFCurveFilterKeyReducer reducer;
    ASSERT_TRUE(reducer.Apply(curve));
    EXPECT_LT(curve.KeyGetCount(), 10);
    const int outlier = static_cast<int>(curve.KeyFind(Sec(5.0)));
    ASSERT_EQ(curve.KeyGetTime(outlier), Sec(5.0));
    EXPECT_EQ(curve.KeyGetTangeantMode(outlier), kFCurveTangentUserBreak);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(outlier), 11.0, 1e-4);
    EXPECT_NEAR(curve.KeyGetRightDerivative(outlier), -9.0, 1e-4);
    EXPECT_LE(WorstError(curve, before), 1.0 + 1e-5);
}

TEST(BezierKeyReducer, PrecisionBoundsEveryFormerKey)
{
    // A wave with noise: whatever is kept, each former key stays within the
    // precision, and a tighter precision keeps more keys.
    std::vector<float> values;
    unsigned seed = 12345u;
    for (int i = 0; i < 400; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double noise = static_cast<double>((seed >> 16) % 1000) / 1000.0 - 0.5;
        values.push_back(static_cast<float>(10.0 * std::sin(i * 0.05) + noise));
    }
    int previousCount = 0;
    for (double precision : {2.0, 0.5, 0.1}) {
        KFCurve curve;
        FillValues(curve, values, kFCurveInterpolationCubic, kFCurveTangentAuto);
        const std::vector<Sample> before = Samples(curve);
        KFCurveFilterKeyReducer reducer;
        reducer.SetPrecision(precision);
        ASSERT_TRUE(reducer.Apply(curve));
        EXPECT_LE(WorstError(curve, before), precision + 1e-4) << precision;
        EXPECT_GT(curve.KeyGetCount(), previousCount) << precision;
        previousCount = curve.KeyGetCount();
    }
}

TEST(BezierKeyReducer, KeysOutsideTheRangeStay)
{
    KFCurve curve;
    std::vector<float> values;
    for (int i = 0; i < 10; ++i)
        values.push_back(static_cast<float>((i % 2) * 5));
    FillValues(curve, values, kFCurveInterpolationLinear, 0);
    KFCurveFilterKeyReducer reducer;
    reducer.SetStartTime(Sec(6.0));
    // A zigzag keeps every key, so only the range bounds are at stake.
    ASSERT_TRUE(reducer.Apply(curve));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(curve.KeyGetTime(i), Sec(i));
        EXPECT_FLOAT_EQ(curve.KeyGetValue(i), values[static_cast<std::size_t>(i)]);
        EXPECT_EQ(curve.KeyGetInterpolation(i), kFCurveInterpolationLinear) << i;
    }
}

TEST(BezierKeyReducer, RefusesWhatItCannotFit)
{
    KFCurve single;
    FillValues(single, {1.0f}, kFCurveInterpolationLinear, 0);
    KFCurveFilterKeyReducer reducer;
    EXPECT_FALSE(reducer.Apply(single));
    EXPECT_EQ(reducer.GetLastErrorID(), 1);
    EXPECT_STREQ(reducer.GetLastErrorString(), "KeyReducer, No key were changed by filter.");

    KFCurve curve;
    FillValues(curve, {0.0f, 5.0f, 0.0f}, kFCurveInterpolationLinear, 0);
    reducer.SetStartTime(Sec(2.0));
    EXPECT_FALSE(reducer.Apply(curve));
    EXPECT_EQ(reducer.GetLastErrorID(), 1);
    EXPECT_STREQ(reducer.GetLastErrorString(), "KeyReducer, Invalid Time Span. No key were changed by filter.");
    EXPECT_EQ(curve.KeyGetCount(), 3);
}

TEST(BezierKeyReducer, KeySyncRunsOnlyOverSeveralCurves)
{
    NodePtr single(KFCurveNodeCreate("Root"));
    single->Add(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    KFCurveFilterKeyReducer reducer;
    reducer.SetKeySync(true);
    // Curves without keys fail, but the walk still visits them all.
    reducer.Apply(*single, true);
    EXPECT_TRUE(reducer.GetKeySync());

    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    FillValues(*node->Get(0)->FCurveGet(), {0.0f, 1.0f, 2.0f, 3.0f}, kFCurveInterpolationLinear, 0);
    FillValues(*node->Get(1)->FCurveGet(), {0.0f, 9.0f, 0.0f, 0.0f}, kFCurveInterpolationLinear, 0);
    FillValues(*node->Get(2)->FCurveGet(), {4.0f, 4.0f, 4.0f, 4.0f}, kFCurveInterpolationLinear, 0);
    reducer.Apply(*node, true);
    EXPECT_TRUE(reducer.GetKeySync());
    // Y keeps its peak at 1 s; X and Z, straight lines, receive it too.
    for (int i = 0; i < 3; ++i) {
        KFCurve* curve = node->Get(i)->FCurveGet();
        const int key = static_cast<int>(curve->KeyFind(Sec(1.0)));
        EXPECT_EQ(curve->KeyGetTime(key), Sec(1.0)) << i;
        EXPECT_EQ(curve->KeyGetCount(), node->Get(1)->FCurveGet()->KeyGetCount()) << i;
    }
    EXPECT_NEAR(node->Get(0)->FCurveGet()->Evaluate(Sec(1.0)), 1.0, 1e-5);
}

}  // namespace
}  // namespace qelsdk_600
