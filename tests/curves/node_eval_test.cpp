#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "math/kmfunctions.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;
using testing_curves::TransformTree;
using testing_curves::Values;

void SetDefaults(KFCurveNode* node, double x, double y, double z)
{
    const double values[3] = {x, y, z};
    for (int i = 0; i < 3; ++i)
        node->Get(i)->FCurveGet()->SetValue(static_cast<float>(values[i]));
}

TEST(CurveNodeEval, AdditiveAndMultiplicativeLayersCombine)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 2.0, 5.0, 0.0));
    translation->CreateLayerAt(1);
    SetDefaults(translation->LayerGet(1), 1.0, -1.0, 0.0);
    const std::vector<double> t = Values(translation.get(), Sec(0.0));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_DOUBLE_EQ(t[0], 3.0);
    EXPECT_DOUBLE_EQ(t[1], 4.0);

    NodePtr scaling(PropertyNode(KDataTypeLclScaling::DataType, "Lcl Scaling", 3.0, 3.0, 3.0));
    scaling->CreateLayerAt(1);
    scaling->CreateLayerAt(2);
    SetDefaults(scaling->LayerGet(1), 2.0, 1.0, 1.0);
    SetDefaults(scaling->LayerGet(2), 0.5, 1.0, 1.0);
    const std::vector<double> s = Values(scaling.get(), Sec(0.0));
    EXPECT_DOUBLE_EQ(s[0], 3.0);
    EXPECT_DOUBLE_EQ(s[1], 3.0);

    // One layer alone, and the plain walk that ignores layers.
    double alone[3] = {0, 0, 0};
    EXPECT_EQ(scaling->EvaluateSpecificLayer(alone, Sec(0.0), 1) - alone, 3);
    EXPECT_DOUBLE_EQ(alone[0], 2.0);
    EXPECT_EQ(scaling->EvaluateSpecificLayer(alone, Sec(0.0), 9), alone);
    double plain[3];
    scaling->Evaluate(plain, Sec(0.0));
    EXPECT_DOUBLE_EQ(plain[0], 3.0);
}

TEST(CurveNodeEval, EulerLayerComposesRotationsNotAngles)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation", 30.0, 0.0, 0.0));
    rotation->CreateLayerAt(1);
    SetDefaults(rotation->LayerGet(1), 0.0, 40.0, 0.0);
    const std::vector<double> r = Values(rotation.get(), Sec(0.0));
    ASSERT_EQ(r.size(), 3u);

    KgeRMatrix base;
    KgeRMatrix layer;
    KmXYZtoR(base, 30.0, 0.0, 0.0);
    KmXYZtoR(layer, 0.0, 40.0, 0.0);
    KgeRMatrix both;
    KmRR(both, base, layer);
    double expected[3];
    KmRtoVXYZ(expected, both);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(r[i], expected[i], 1e-9) << i;
    EXPECT_GT(std::fabs(r[2]), 1.0);  // not the sum (30, 40, 0)
}

TEST(CurveNodeEval, QuaternionBaseGivesEulerAnglesOfTheLayerProduct)
{
    const double h = std::sqrt(0.5);
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    rotation->SetLayerType(4, nullptr);
    ASSERT_EQ(rotation->GetCount(), 4);
    double base[4] = {0.0, 0.0, h, h};  // 90 degrees about Z
    rotation->SetValue(base);
    rotation->CreateLayerAt(1);
    double turn[4] = {h, 0.0, 0.0, h};  // 90 degrees about X, applied first
    rotation->LayerGet(1)->SetValue(turn);

    const std::vector<double> r = Values(rotation.get(), Sec(0.0));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NEAR(r[0], 90.0, 1e-4);
    EXPECT_NEAR(r[1], 0.0, 1e-4);
    EXPECT_NEAR(r[2], 90.0, 1e-4);
}

TEST(CurveNodeEval, TimeWarpReplacesTheTime)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    FillUniform(*node->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {10.0, 10.0f}});
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    warp->FCurveSet(KFCurveCreate());
    warp->FCurveGet()->SetValue(2.5f);
    node->TimeWarpSet(warp);
    for (double seconds : {0.0, 7.0, -3.0})
        EXPECT_NEAR(Values(node.get(), Sec(seconds))[0], 2.5, 1e-6) << seconds;
}

TEST(CurveNodeEval, TimeWarpLoopEndsInsteadOfRecursingForever)
{
    KFCurveNode* a = KFCurveNodeCreate("a");
    a->FCurveSet(KFCurveCreate());
    a->FCurveGet()->SetValue(1.0f);
    KFCurveNode* b = KFCurveNodeCreate("b");
    b->FCurveSet(KFCurveCreate());
    NodePtr keeper(KFCurveNodeCreate("keeper"));
    keeper->TimeWarpSet(a);
    a->TimeWarpSet(b);
    b->TimeWarpSet(a);
    double value = 0.0;
    EXPECT_EQ(a->GeneralEvaluate(&value, Sec(0.0)), &value + 1);
    EXPECT_DOUBLE_EQ(value, 1.0);
    a->TimeWarpSet(nullptr);  // b goes, and with it its reference to a
}

TEST(CurveNodeEval, CandidateEvaluationRecordsAndServesTotals)
{
    NodePtr root(TransformTree());
    KFCurveNode* translation = root->Get(0);
    FillUniform(*translation->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 4.0f}});
    const std::vector<double> first = Values(root.get(), Sec(0.5), true);
    ASSERT_EQ(first.size(), 9u);
    EXPECT_NEAR(first[0], 2.0, 1e-6);
    EXPECT_DOUBLE_EQ(first[6], 1.0);  // scaling X
    EXPECT_TRUE(translation->IsCandidate());
    EXPECT_FALSE(root->IsCandidate());  // nine values do not fit a record

    translation->Get(1)->FCurveGet()->SetValue(8.0f);
    const std::vector<double> again = Values(root.get(), Sec(0.5), true);
    ASSERT_EQ(again.size(), 9u);
    EXPECT_DOUBLE_EQ(again[1], 0.0);  // still the recorded value
    const std::vector<double> later = Values(root.get(), Sec(0.75), true);
    EXPECT_DOUBLE_EQ(later[1], 8.0);
    EXPECT_NEAR(later[0], 3.0, 1e-6);
}

TEST(CurveNodeEval, QuaternionInterpolationFollowsTheShortestTurn)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    FillUniform(*rotation->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 90.0f}});
    FillUniform(*rotation->Get(1)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 0.0f}});
    FillUniform(*rotation->Get(2)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 90.0f}});
    rotation->SetUseQuaternion(true);

    // On a key the plain path is taken.
    const std::vector<double> atKey = Values(rotation.get(), Sec(1.0));
    EXPECT_NEAR(atKey[0], 90.0, 1e-4);
    EXPECT_NEAR(atKey[2], 90.0, 1e-4);

    // Halfway, turning twice by the result gives the end rotation.
    const std::vector<double> half = Values(rotation.get(), Sec(0.5));
    KgeRMatrix step;
    KmXYZtoR(step, half[0], half[1], half[2]);
    KgeRMatrix twice;
    KmRR(twice, step, step);
    KgeRMatrix end;
    KmXYZtoR(end, 90.0, 0.0, 90.0);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_NEAR(twice[row][column], end[row][column], 1e-5);
    // Angle interpolation would give (45, 0, 45), which is another rotation.
    EXPECT_GT(std::fabs(half[1]) + std::fabs(half[0] - 45.0), 1.0);

    rotation->SetUseQuaternion(false);
    const std::vector<double> euler = Values(rotation.get(), Sec(0.5));
    EXPECT_NEAR(euler[0], 45.0, 1e-4);
    EXPECT_NEAR(euler[2], 45.0, 1e-4);
}

TEST(CurveNodeEval, CubicQuaternionPathPassesThroughKeys)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    for (int axis = 0; axis < 3; ++axis)
        FillUniform(*rotation->Get(axis)->FCurveGet(), kFCurveInterpolationCubic, kFCurveTangentAuto,
                    {{0.0, 0.0f}, {1.0, axis == 0 ? 60.0f : 0.0f}, {2.0, axis == 0 ? 90.0f : 20.0f}});
    rotation->SetUseQuaternion(true);
    // Close to either side of a key the value approaches the key rotation.
    const std::vector<double> justAfter = Values(rotation.get(), Sec(1.0001));
    EXPECT_NEAR(justAfter[0], 60.0, 0.1);
    EXPECT_NEAR(justAfter[1], 0.0, 0.1);
    const std::vector<double> justBefore = Values(rotation.get(), Sec(1.9999));
    EXPECT_NEAR(justBefore[0], 90.0, 0.1);
    EXPECT_NEAR(justBefore[1], 20.0, 0.1);
}

TEST(CurveNodeEval, TcbQuaternionPathIsContinuousAcrossKeys)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    const float xs[4] = {0.0f, 40.0f, 80.0f, 90.0f};
    for (int axis = 0; axis < 3; ++axis) {
        KFCurve* curve = rotation->Get(axis)->FCurveGet();
        for (int k = 0; k < 4; ++k) {
            const float value = axis == 0 ? xs[k] : (axis == 1 ? 10.0f * k : 0.0f);
            curve->KeyAppendFast(Sec(k), value);
            curve->KeySetTCB(k, Sec(k), value, 0.0f, 0.0f, 0.0f);
        }
    }
    rotation->SetUseQuaternion(true);
    for (int k = 1; k < 3; ++k) {
        const std::vector<double> before = Values(rotation.get(), Sec(k - 0.0001));
        const std::vector<double> after = Values(rotation.get(), Sec(k + 0.0001));
        EXPECT_NEAR(before[0], xs[k], 0.1) << k;
        EXPECT_NEAR(after[0], xs[k], 0.1) << k;
        EXPECT_NEAR(after[1], 10.0 * k, 0.1) << k;
    }
}

TEST(CurveNodeEval, LayerOfAnotherShapeCombinesOnlyCommonValues)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 1.0, 1.0, 1.0));
    KFCurveNode* odd = KFCurveNodeCreate("odd", static_cast<KDataType*>(nullptr), 0, 1);
    for (int i = 0; i < 5; ++i)
        odd->FindOrCreate(i == 0 ? "A" : i == 1 ? "B" : i == 2 ? "C" : i == 3 ? "D" : "E")
            ->FCurveGet()
            ->SetValue(10.0f);
    node->LayerSet(odd, true);
    const std::vector<double> values = Values(node.get(), Sec(0.0));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_DOUBLE_EQ(values[2], 11.0);
}

}  // namespace
}  // namespace qelsdk_600
