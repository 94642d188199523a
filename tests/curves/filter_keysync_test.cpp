// The key synchronizer: shared key times, shapes kept, node limits, and
// agreement with inserting each missing key into the whole curve.
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "filter_builders.h"
#include "node_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillRandom;
using testing_curves::FillUniform;
using testing_curves::Frame;
using testing_curves::KeyDifference;
using testing_curves::NodePtr;
using testing_curves::Sec;
using testing_curves::Seconds;

// The synchronisation done literally: find the next key time of any curve,
// insert it into every curve with KeyInsert, set it to the former value.
void SyncOneTimeAtATime(const std::vector<KFCurve*>& curves, KTime start, KTime stop)
{
    std::vector<std::unique_ptr<KFCurve>> references;
    for (KFCurve* curve : curves)
        references.emplace_back(curve->Copy());
    KTime t = start == KTIME_MINUS_INFINITE ? start : start - KTime(1);
    while (t < stop) {
        KTime next = KTIME_INFINITE;
        for (KFCurve* curve : curves) {
            const int count = curve->KeyGetCount();
            if (count == 0)
                continue;
            const int k = t == KTIME_MINUS_INFINITE
                              ? 0
                              : std::min(static_cast<int>(std::ceil(curve->KeyFind(t))), count - 1);
            if (curve->KeyGetTime(k) > t && curve->KeyGetTime(k) < next)
                next = curve->KeyGetTime(k);
        }
        if (next == KTIME_INFINITE || next > stop)
            break;
        for (std::size_t c = 0; c < curves.size(); ++c) {
            const int index = curves[c]->KeyInsert(next);
            curves[c]->KeySetValue(index, references[c]->Evaluate(next));
        }
        t = next + KTime(1);
    }
}

TEST(KFCurveFilterKeySync, GivesEachCurveTheKeysOfTheOthersAtItsFormerValue)
{
    KFCurve x;
    KFCurve y;
    FillUniform(x, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 5.0f}, {2, 1.0f}});
    FillUniform(y, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {2, 4.0f}});
    KFCurveFilterKeySync filter;
    KFCurve* curves[] = {&x, &y};
    EXPECT_TRUE(filter.NeedApply(curves, 2));
    EXPECT_EQ(filter.GetLastErrorID(), 2);
    EXPECT_TRUE(filter.Apply(curves, 2));
    EXPECT_EQ(Seconds(y), (std::vector<double>{0, 1, 2}));
    EXPECT_FLOAT_EQ(y.KeyGetValue(1), 2.0f);  // halfway along the linear segment
    EXPECT_FLOAT_EQ(y.Evaluate(Sec(0.5)), 1.0f);
    EXPECT_EQ(Seconds(x), (std::vector<double>{0, 1, 2}));
    EXPECT_FALSE(filter.NeedApply(curves, 2));
}

TEST(KFCurveFilterKeySync, KeepsTheShapeOfCurvesAlreadyInStep)
{
    KFCurve x;
    KFCurve y;
    FillUniform(x, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 5.0f}, {2, 1.0f}});
    FillUniform(y, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 3.0f}, {1, -1.0f}, {2, 2.0f}});
    KFCurve before;
    before.CopyFrom(y, true);
    KFCurveFilterKeySync filter;
    KFCurve* curves[] = {&x, &y};
    EXPECT_FALSE(filter.NeedApply(curves, 2));
    EXPECT_TRUE(filter.Apply(curves, 2));
    EXPECT_EQ(KeyDifference(before, y), "");
}

TEST(KFCurveFilterKeySync, OnlyKeysInTheRangeAreShared)
{
    KFCurve x;
    KFCurve y;
    FillUniform(x, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {0.5, 1.0f}, {1, 2.0f}, {1.5, 3.0f}, {3, 0.0f}});
    FillUniform(y, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {3, 3.0f}});
    KFCurveFilterKeySync filter;
    KTime start = Sec(1.0);
    KTime stop = Sec(2.0);
    filter.SetStartTime(start);
    filter.SetStopTime(stop);
    KFCurve* curves[] = {&x, &y};
    EXPECT_TRUE(filter.Apply(curves, 2));
    EXPECT_EQ(Seconds(y), (std::vector<double>{0, 1, 1.5, 3}));
}

TEST(KFCurveFilterKeySync, ACurveWithoutKeysGetsItsDefaultValueAtEveryTime)
{
    KFCurve x;
    KFCurve empty;
    empty.SetValue(7.0f);
    FillUniform(x, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}});
    KFCurveFilterKeySync filter;
    KFCurve* curves[] = {&x, &empty};
    EXPECT_TRUE(filter.Apply(curves, 2));
    EXPECT_EQ(Seconds(empty), (std::vector<double>{0, 1}));
    EXPECT_EQ(testing_curves::Values(empty), (std::vector<float>{7.0f, 7.0f}));
}

TEST(KFCurveFilterKeySync, AKeyOneTickAfterAnotherIsShared)
{
    KFCurve x;
    KFCurve y;
    FillUniform(x, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {2, 2.0f}});
    y.KeyAppendFast(Sec(1), 1.0f);
    y.KeyAppendFast(Sec(1) + KTime(1), 1.0f);
    KFCurveFilterKeySync filter;
    KFCurve* curves[] = {&x, &y};
    EXPECT_TRUE(filter.Apply(curves, 2));
    EXPECT_EQ(x.KeyGetCount(), 4);
    EXPECT_EQ(y.KeyGetCount(), 4);
    KFCurve* after[] = {&x, &y};
    EXPECT_FALSE(filter.NeedApply(after, 2));
}

TEST(KFCurveFilterKeySync, RefusesSingleCurvesAndNodesOfTwentyChildren)
{
    KFCurve x;
    FillUniform(x, kFCurveInterpolationLinear, 0, {{0, 0.0f}, {1, 1.0f}});
    KFCurveFilterKeySync filter;
    KFCurve* one[] = {&x};
    EXPECT_FALSE(filter.Apply(one, 1));
    EXPECT_EQ(filter.GetLastErrorID(), 1);
    EXPECT_STREQ(filter.GetLastErrorString(), "KeySyncFilter, No key were changed by filter.");
    EXPECT_FALSE(filter.Apply(x));
    EXPECT_FALSE(filter.NeedApply(x));
    KFCurve* same[] = {&x, &x};
    EXPECT_FALSE(filter.Apply(same, 2));

    NodePtr node(KFCurveNodeCreate("Many"));
    for (int i = 0; i < 20; ++i) {
        KFCurveNode* child = KFCurveNodeCreate("C");
        child->FCurveSet(KFCurveCreate(), false);
        child->FCurveGet()->KeyAppendFast(Sec(i), 0.0f);
        node->Add(child);
    }
    EXPECT_FALSE(filter.NeedApply(*node, true));
    EXPECT_EQ(filter.GetLastErrorID(), 4);
    EXPECT_FALSE(filter.Apply(*node, true));
    EXPECT_STREQ(filter.GetLastErrorString(), "KeySyncFilter, Curve count is too mush. No support above 20 curves..");
    EXPECT_EQ(node->Get(0)->FCurveGet()->KeyGetCount(), 1);

    node->Delete(19);
    EXPECT_TRUE(filter.NeedApply(*node, true));
    EXPECT_TRUE(filter.Apply(*node, true));
    EXPECT_EQ(node->Get(0)->FCurveGet()->KeyGetCount(), 19);
}

TEST(KFCurveFilterKeySync, AgreesWithInsertingEachTimeIntoTheWholeCurve)
{
    std::mt19937 random(99);
    const std::vector<float> values = {-3.0f, 0.0f, 1.0f, 2.5f, 10.0f};
    const kUInt extrapolations[] = {kFCurveExtrapolationConstant, kFCurveExtrapolationRepetition,
                                    kFCurveExtrapolationMirrorRepetition, kFCurveExtrapolationKeepSlope};
    for (int round = 0; round < 200; ++round) {
        const int curveCount = 2 + round % 3;
        std::vector<std::unique_ptr<KFCurve>> expected;
        std::vector<std::unique_ptr<KFCurve>> actual;
        for (int c = 0; c < curveCount; ++c) {
            KFCurve original;
            // Some curves start late, so that keys are added before theirs.
            if (c > 0 && round % 4 == 0)
                original.KeyAppendFast(Frame(30 + c), 1.0f);
            else
                FillRandom(original, random, (round + c) % 25, values, 4);
            if (c == 1 && round % 4 == 1)
                original.KeyMoveOf(false, Frame(20), 0.0f);
            original.SetPreExtrapolation(extrapolations[(round + c) % 4]);
            original.SetPostExtrapolation(extrapolations[(round + 2 * c) % 4]);
            expected.emplace_back(new KFCurve);
            expected.back()->CopyFrom(original, true);
            actual.emplace_back(new KFCurve);
            actual.back()->CopyFrom(original, true);
        }
        KFCurveFilterKeySync filter;
        if (round % 3 == 2) {
            KTime start = Frame(8);
            KTime stop = Frame(40);
            filter.SetStartTime(start);
            filter.SetStopTime(stop);
        }
        std::vector<KFCurve*> expectedCurves;
        std::vector<KFCurve*> actualCurves;
        for (int c = 0; c < curveCount; ++c) {
            expectedCurves.push_back(expected[c].get());
            actualCurves.push_back(actual[c].get());
        }
        SyncOneTimeAtATime(expectedCurves, filter.GetStartTime(), filter.GetStopTime());
        EXPECT_TRUE(filter.Apply(actualCurves.data(), curveCount));
        for (int c = 0; c < curveCount; ++c)
            ASSERT_EQ(KeyDifference(*expected[c], *actual[c]), "") << "round " << round << " curve " << c;
    }
}

}  // namespace
}  // namespace qelsdk_600
