#include <gtest/gtest.h>

#include <memory>

#include "curves/kfcurve_smartplot.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::Linear;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;

const KTime kTangentPeriod = Sec(1.0 / 120.0);

TEST(SmartPlotBreakTangent, KeyAgreeingWithTheReferenceKeepsItsMode)
{
    KFCurve reference;
    Linear(reference, {{0.0, 0.0f}, {2.0, 2.0f}});
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 2.0f}});
    KFCURVE_BreakTangentAt(1, &curve, &reference, kTangentPeriod, 0.5);
    EXPECT_EQ(curve.KeyGetTangeantMode(1), kFCurveTangentAuto);
}

TEST(SmartPlotBreakTangent, PeakTakesTheReferenceSlopesOnEachSide)
{
    // The reference rises at 1 per second, then falls at 1 per second; the
    // auto key on the peak is flat.
    KFCurve reference;
    Linear(reference, {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
    ASSERT_NEAR(curve.KeyGetLeftDerivative(1), 0.0, 1e-6);

    KFCURVE_BreakTangentAt(1, &curve, &reference, kTangentPeriod, 0.5);
    EXPECT_EQ(curve.KeyGetTangeantMode(1), kFCurveTangentUserBreak);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), 1.0, 1e-3);
    EXPECT_NEAR(curve.KeyGetRightDerivative(1), -1.0, 1e-3);
    // The curve still passes through the key and now leaves it downwards.
    EXPECT_FLOAT_EQ(curve.Evaluate(Sec(1.0)), 1.0f);
    EXPECT_LT(curve.Evaluate(Sec(1.1)), 1.0f);
    EXPECT_LT(curve.Evaluate(Sec(0.9)), 1.0f);
}

TEST(SmartPlotBreakTangent, FirstAndLastKeysOnlyMeasureTheirInnerSide)
{
    KFCurve reference;
    Linear(reference, {{0.0, 0.0f}, {1.0, 2.0f}});
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 0.0f}});
    KFCURVE_BreakTangentAt(0, &curve, &reference, kTangentPeriod, 0.5);
    EXPECT_EQ(curve.KeyGetTangeantMode(0), kFCurveTangentUserBreak);
    EXPECT_NEAR(curve.KeyGetRightDerivative(0), 2.0, 1e-3);

    // The last key's left side: (0 - reference(1 s - p)) / p, about -2.
    KFCURVE_BreakTangentAt(1, &curve, &reference, kTangentPeriod, 0.5);
    EXPECT_EQ(curve.KeyGetTangeantMode(1), kFCurveTangentUserBreak);
    EXPECT_NEAR(curve.KeyGetLeftDerivative(1), (0.0 - (2.0 - 2.0 / 120.0)) * 120.0, 1e-2);
}

TEST(SmartPlotBreakTangent, BadArgumentsChangeNothing)
{
    KFCurve reference;
    Linear(reference, {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
    const struct {
        int index;
        KFCurve* reference;
        KTime period;
    } cases[] = {{-1, &reference, kTangentPeriod}, {3, &reference, kTangentPeriod}, {1, nullptr, kTangentPeriod},
                 {1, &reference, KTime(0)},        {1, &reference, KTime(-5)}};
    for (const auto& c : cases) {
        KFCURVE_BreakTangentAt(c.index, &curve, c.reference, c.period, 0.5);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(curve.KeyGetTangeantMode(i), kFCurveTangentAuto) << c.index;
    }
    KFCURVE_BreakTangentAt(1, nullptr, &reference, kTangentPeriod, 0.5);
}

TEST(SmartPlotBreakTangent, NodesPairTheirChildrenAndRefuseOtherShapes)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    NodePtr reference(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    for (int i = 0; i < 3; ++i) {
        FillUniform(*node->Get(i)->FCurveGet(), kFCurveInterpolationCubic, kFCurveTangentAuto,
                    {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
        Linear(*reference->Get(i)->FCurveGet(), {{0.0, 0.0f}, {1.0, 1.0f}, {2.0, 0.0f}});
    }
    NodePtr other(KFCurveNodeCreate("Other"));
    KFCURVE_BreakTangents(node.get(), other.get(), kTangentPeriod, 0.5);
    EXPECT_EQ(node->Get(0)->FCurveGet()->KeyGetTangeantMode(1), kFCurveTangentAuto);

    KFCURVE_BreakTangents(node.get(), reference.get(), kTangentPeriod, 0.5);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(node->Get(i)->FCurveGet()->KeyGetTangeantMode(1), kFCurveTangentUserBreak) << i;
}

TEST(SmartPlotFidelity, MatchingCurveGetsNoKey)
{
    NodePtr node(KFCurveNodeCreate("V"));
    NodePtr reference(KFCurveNodeCreate("V"));
    node->CreateFCurve();
    reference->CreateFCurve();
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 3.0f}});
    Linear(*reference->FCurveGet(), {{0.0, 0.0f}, {1.0, 3.0f}});
    KFCURVE_IncreaseFidelity(node.get(), reference.get(), 0.25, 2, true, kTangentPeriod, 1.0, false, nullptr,
                             nullptr);
    EXPECT_EQ(node->FCurveGet()->KeyGetCount(), 2);
}

TEST(SmartPlotFidelity, StrayingMidpointGetsTheReferenceValue)
{
    // A flat curve against a triangle peaking at 0.5 s: the midpoint is
    // keyed, after which both halves match the reference.
    NodePtr node(KFCurveNodeCreate("V"));
    NodePtr reference(KFCurveNodeCreate("V"));
    node->CreateFCurve();
    reference->CreateFCurve();
    Linear(*node->FCurveGet(), {{0.0, 0.0f}, {1.0, 0.0f}});
    Linear(*reference->FCurveGet(), {{0.0, 0.0f}, {0.5, 1.0f}, {1.0, 0.0f}});
    KFCURVE_IncreaseFidelity(node.get(), reference.get(), 0.25, 2, false, kTangentPeriod, 1.0, false, nullptr,
                             nullptr);
    KFCurve* curve = node->FCurveGet();
    ASSERT_EQ(curve->KeyGetCount(), 3);
    EXPECT_EQ(curve->KeyGetTime(1), Sec(0.5));
    EXPECT_FLOAT_EQ(curve->KeyGetValue(1), 1.0f);
    EXPECT_NEAR(curve->Evaluate(Sec(0.25)), 0.5, 1e-5);
}

TEST(SmartPlotFidelity, IntervalsDownToTheSmallestStepAreRefined)
{
    const struct {
        double interval;
        int keys;
    } cases[] = {{1.0 / 30.0, 3}, {1.0 / 60.0, 2}};
    for (const auto& c : cases) {
        KFCurve curve;
        Linear(curve, {{0.0, 0.0f}, {c.interval, 0.0f}});
        KFCurve reference;
        Linear(reference, {{0.0, 0.0f}, {c.interval / 2.0, 1.0f}, {c.interval, 0.0f}});
        KFCURVE_IncreaseFidelityRecursive(Sec(0.0), Sec(c.interval), &curve, &reference, 0.25, 2, false,
                                          kTangentPeriod, 1.0, false, nullptr, nullptr);
        EXPECT_EQ(curve.KeyGetCount(), c.keys) << c.interval;
    }
}

TEST(SmartPlotFidelity, RecursiveRefusesBadRanges)
{
    KFCurve curve;
    Linear(curve, {{0.0, 0.0f}, {1.0, 0.0f}});
    KFCurve reference;
    Linear(reference, {{0.0, 5.0f}, {1.0, 5.0f}});
    const struct {
        KTime start;
        KTime stop;
        int subdivisions;
    } cases[] = {{Sec(1.0), Sec(0.0), 2}, {Sec(0.0), Sec(1.0), 1}, {Sec(0.0), Sec(1.0), 0},
                 {Sec(0.0), Sec(0.0), 2}};
    for (const auto& c : cases)
        EXPECT_EQ(KFCURVE_IncreaseFidelityRecursive(c.start, c.stop, &curve, &reference, 0.25, c.subdivisions, false,
                                                    kTangentPeriod, 1.0, false, nullptr, nullptr),
                  0);
    EXPECT_EQ(curve.KeyGetCount(), 2);
    // The whole time line does not overflow the step computation, and the
    // refinement still ends.
    EXPECT_EQ(KFCURVE_IncreaseFidelityRecursive(KTIME_MINUS_INFINITE, KTIME_INFINITE, &curve, &reference, 0.25, 2,
                                                false, kTangentPeriod, 1.0, false, nullptr, nullptr),
              0);
    EXPECT_GT(curve.KeyGetCount(), 2);
}

TEST(SmartPlotFidelity, SynchronizeGivesSiblingsTheSameKeyTimes)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    NodePtr reference(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    for (int i = 0; i < 3; ++i)
        Linear(*node->Get(i)->FCurveGet(), {{0.0, 0.0f}, {1.0, 0.0f}});
    // Only X strays; Y and Z follow references of their own.
    Linear(*reference->Get(0)->FCurveGet(), {{0.0, 0.0f}, {0.5, 1.0f}, {1.0, 0.0f}});
    Linear(*reference->Get(1)->FCurveGet(), {{0.0, 0.0f}, {1.0, 0.2f}});
    Linear(*reference->Get(2)->FCurveGet(), {{0.0, 0.0f}, {1.0, 0.0f}});

    KFCURVE_IncreaseFidelity(node.get(), reference.get(), 0.25, 2, false, kTangentPeriod, 1.0, true, nullptr,
                             nullptr);
    for (int i = 0; i < 3; ++i) {
        KFCurve* curve = node->Get(i)->FCurveGet();
        ASSERT_EQ(curve->KeyGetCount(), 3) << i;
        EXPECT_EQ(curve->KeyGetTime(1), Sec(0.5)) << i;
    }
    EXPECT_FLOAT_EQ(node->Get(1)->FCurveGet()->KeyGetValue(1), 0.1f);
    EXPECT_FLOAT_EQ(node->Get(2)->FCurveGet()->KeyGetValue(1), 0.0f);

    // Without it only X is keyed.
    NodePtr alone(PropertyNode(KDataTypeLclTranslation::DataType, "T"));
    for (int i = 0; i < 3; ++i)
        Linear(*alone->Get(i)->FCurveGet(), {{0.0, 0.0f}, {1.0, 0.0f}});
    KFCURVE_IncreaseFidelity(alone.get(), reference.get(), 0.25, 2, false, kTangentPeriod, 1.0, false, nullptr,
                             nullptr);
    EXPECT_EQ(alone->Get(0)->FCurveGet()->KeyGetCount(), 3);
    EXPECT_EQ(alone->Get(1)->FCurveGet()->KeyGetCount(), 2);
}

}  // namespace
}  // namespace qelsdk_600
