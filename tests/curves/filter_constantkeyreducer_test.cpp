// The constant key reducer: which keys go, tolerances by channel kind, and
// agreement with deleting each run as it is found.
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "filter_builders.h"
#include "node_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillRandom;
using testing_curves::FillUniform;
using testing_curves::KeyDifference;
using testing_curves::NodePtr;
using testing_curves::Sec;
using testing_curves::Values;

// Linear keys one second apart holding `values`.
void FillLinear(KFCurve& curve, std::initializer_list<float> values)
{
    double t = 0.0;
    for (float v : values) {
        const int i = curve.KeyAppendFast(Sec(t), v);
        curve.KeySet(i, Sec(t), v, kFCurveInterpolationLinear, 0);
        t += 1.0;
    }
}

// The reduction done literally: each run deleted by index as soon as it
// ends, scanning from the last key of the range down.
void ReduceOneRunAtATime(KFCurve& curve, int first, int last, double tolerance, bool keepOneKey)
{
    int i = last;
    while (i >= first) {
        const double v = curve.KeyGetValue(i);
        const float low = static_cast<float>(v - tolerance);
        const float high = static_cast<float>(v + tolerance);
        int run = 0;
        int lowest = 0;
        while (i >= first) {
            if (IsKeyConstant(curve, i, first, last, low, high)) {
                lowest = i;
                --i;
                ++run;
            } else {
                --i;
                break;
            }
        }
        if (run >= 1) {
            if (run == curve.KeyGetCount()) {
                if (keepOneKey) {
                    curve.Delete(first + 1, last);
                } else {
                    const float value = curve.KeyGetValue(0);
                    curve.KeyClear();
                    curve.SetValue(value);
                }
            } else {
                curve.Delete(lowest, lowest + run - 1);
            }
            last -= run;
        }
    }
}

TEST(KFCurveFilterConstantKeyReducer, RemovesOnlyKeysWhoseNeighbourhoodIsFlat)
{
    struct Case {
        std::vector<float> input;
        std::vector<float> expected;
    };
    const Case cases[] = {
        // Every key but the first and last three has the 5 within two keys.
        {{0, 0, 0, 5, 0, 0, 0}, {0, 0, 5, 0, 0}},
        {{0, 0, 0, 0, 5, 5, 5, 5}, {0, 0, 5, 5}},
        {{1, 2, 3, 4}, {1, 2, 3, 4}},
        // Within the tolerance (0.009) counts as equal.
        {{0, 0.005f, 0, 5, 5}, {0.005f, 0, 5, 5}},
    };
    for (const Case& c : cases) {
        KFCurve curve;
        for (std::size_t i = 0; i < c.input.size(); ++i) {
            const int k = curve.KeyAppendFast(Sec(static_cast<double>(i)), c.input[i]);
            curve.KeySet(k, Sec(static_cast<double>(i)), c.input[i], kFCurveInterpolationLinear, 0);
        }
        KFCurveFilterConstantKeyReducer filter;
        EXPECT_TRUE(filter.Apply(curve));
        EXPECT_EQ(Values(curve), c.expected);
    }
}

TEST(KFCurveFilterConstantKeyReducer, AllConstantKeysLeaveTheDefaultValueOrOneKey)
{
    KFCurve curve;
    FillLinear(curve, {1, 1, 1, 1, 1});
    KFCurveFilterConstantKeyReducer filter;
    EXPECT_TRUE(filter.Apply(curve));
    EXPECT_EQ(curve.KeyGetCount(), 0);
    EXPECT_EQ(curve.GetValue(), 1.0f);

    KFCurve kept;
    FillLinear(kept, {1, 1, 1, 1, 1});
    filter.SetKeepOneKey(true);
    EXPECT_TRUE(filter.Apply(kept));
    ASSERT_EQ(kept.KeyGetCount(), 1);
    EXPECT_EQ(kept.KeyGetTime(0), Sec(0));
}

TEST(KFCurveFilterConstantKeyReducer, NeverRemovesACubicKeyWithAUserTangent)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUser, {{0, 2.0f}, {1, 2.0f}, {2, 2.0f}});
    KFCurveFilterConstantKeyReducer filter;
    EXPECT_TRUE(filter.Apply(curve));
    EXPECT_EQ(curve.KeyGetCount(), 3);
}

TEST(KFCurveFilterConstantKeyReducer, NanValuesAreNeverInTheBand)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    KFCurve curve;
    FillLinear(curve, {0, 0, nan, 0, 0, 0, 0, 0});
    KFCurveFilterConstantKeyReducer filter;
    EXPECT_TRUE(filter.Apply(curve));
    // Only keys more than two places from the NaN may go.
    ASSERT_EQ(curve.KeyGetCount(), 5);
    EXPECT_TRUE(std::isnan(curve.KeyGetValue(2)));
}

TEST(KFCurveFilterConstantKeyReducer, ACurveWithoutKeysFails)
{
    KFCurve curve;
    KFCurveFilterConstantKeyReducer filter;
    EXPECT_FALSE(filter.Apply(curve));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_STREQ(filter.GetLastErrorString(), "ConstantKeyReducer, No key to be filtered.");
}

TEST(KFCurveFilterConstantKeyReducer, KeysBeforeTheStartKeyStay)
{
    KFCurve curve;
    FillLinear(curve, {0, 0, 0, 0, 0, 0, 0, 0});
    KFCurveFilterConstantKeyReducer filter;
    KTime start = Sec(4.0);
    filter.SetStartTime(start);  // start key 3
    EXPECT_TRUE(filter.Apply(curve));
    ASSERT_GE(curve.KeyGetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(curve.KeyGetTime(i), Sec(i));
    EXPECT_EQ(curve.KeyGetCount(), 3);  // keys 3 to 7 form one run
}

TEST(KFCurveFilterConstantKeyReducer, NodeFormPicksTheThresholdOfTheChannelKind)
{
    // Values 0.02 apart: within a tolerance of 0.05, not of 0.009.
    auto fill = [](KFCurve* curve) { FillLinear(*curve, {0, 0.02f, 0, 0.02f, 0, 0.02f}); };
    struct Case {
        const char* name;
        bool setScalingTolerance;
        int expectedKeys;
    };
    const Case cases[] = {
        {"R", false, 0},                 // rotation threshold 0.05 replaces 0.009
        {"Lcl Rotation", false, 0},
        {"T", false, 6},                 // translation threshold left at 0.009
        {"S", false, 6},                 // 0.009 is not the 0.004 compared for scaling
        {"Lcl Scaling", true, 0},        // the user's 0.004 becomes the scaling threshold
        {"Other", false, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NodePtr node(KFCurveNodeCreate(c.name, nullptr, kFCurveNodeLayerEulerRotation));
        for (const char* axis : {"X", "Y", "Z"}) {
            KFCurveNode* child = KFCurveNodeCreate(axis, KDataTypeNumber::DataType);
            child->FCurveSet(KFCurveCreate(), false);
            fill(child->FCurveGet());
            node->Add(child);
        }
        KFCurveFilterConstantKeyReducer filter;
        filter.SetRotationThreshold(0.05);
        filter.SetScalingThreshold(0.05);
        if (c.setScalingTolerance)
            filter.SetValueTolerance(0.004);
        EXPECT_TRUE(filter.Apply(*node, true));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(node->Get(i)->FCurveGet()->KeyGetCount(), c.expectedKeys);
        // The tolerances are restored after the walk.
        EXPECT_EQ(filter.GetValueTolerance(), c.setScalingTolerance ? 0.004 : 0.009);
        EXPECT_EQ(filter.GetDerivativeTolerance(), 0.009);
    }
}

TEST(KFCurveFilterConstantKeyReducer, NodeFormFailsWhenACurveHasNoKeysButFiltersTheOthers)
{
    NodePtr node(KFCurveNodeCreate("T"));
    for (int i = 0; i < 2; ++i) {
        KFCurveNode* child = KFCurveNodeCreate(i == 0 ? "X" : "Y");
        child->FCurveSet(KFCurveCreate(), false);
        node->Add(child);
    }
    FillLinear(*node->Get(1)->FCurveGet(), {3, 3, 3});
    KFCurveFilterConstantKeyReducer filter;
    EXPECT_FALSE(filter.Apply(*node, true));
    EXPECT_EQ(filter.GetLastErrorID(), 0);
    EXPECT_EQ(node->Get(1)->FCurveGet()->KeyGetCount(), 0);
}

TEST(KFCurveFilterConstantKeyReducer, AgreesWithDeletingEachRunAsItIsFound)
{
    std::mt19937 random(1234);
    const std::vector<float> values = {0.0f, 0.0f, 0.0f, 0.004f, 1.0f, 1.0f, 2.0f};
    for (int round = 0; round < 300; ++round) {
        KFCurve original;
        FillRandom(original, random, 5 + round % 60, values);
        KFCurveFilterConstantKeyReducer filter;
        if (round % 3 == 1) {
            KTime start = testing_curves::Frame(10);
            KTime stop = testing_curves::Frame(60);
            filter.SetStartTime(start);
            filter.SetStopTime(stop);
        }
        filter.SetKeepOneKey(round % 5 == 0);
        KFCurve expected;
        expected.CopyFrom(original, true);
        ReduceOneRunAtATime(expected, filter.GetStartKey(original), filter.GetStopKey(original) - 1,
                            filter.GetValueTolerance(), filter.GetKeepOneKey());
        KFCurve actual;
        actual.CopyFrom(original, true);
        EXPECT_TRUE(filter.Apply(actual));
        ASSERT_EQ(KeyDifference(expected, actual), "") << "round " << round;
        EXPECT_TRUE(actual.CheckCurve());
    }
}

}  // namespace
}  // namespace qelsdk_600
