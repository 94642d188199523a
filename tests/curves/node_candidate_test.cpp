#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "math/kmfunctions.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::LayerIDs;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;
using testing_curves::Values;

void SetDefaults(KFCurveNode* node, std::initializer_list<double> values)
{
    int i = 0;
    for (double value : values)
        node->Get(i++)->FCurveGet()->SetValue(static_cast<float>(value));
}

// Unit quaternion of a turn in degrees about an axis.
void AxisTurn(double* q, double degrees, double x, double y, double z)
{
    const double half = degrees * 0.017453292519943295 / 2.0;
    const double length = std::sqrt(x * x + y * y + z * z);
    q[0] = x / length * std::sin(half);
    q[1] = y / length * std::sin(half);
    q[2] = z / length * std::sin(half);
    q[3] = std::cos(half);
}

void ExpectSameRotation(const double* a, const double* b)
{
    KgeRMatrix ma;
    KgeRMatrix mb;
    KmXYZtoR(ma, a[0], a[1], a[2]);
    KmXYZtoR(mb, b[0], b[1], b[2]);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_NEAR(ma[row][column], mb[row][column], 1e-5) << row << "," << column;
}

TEST(CurveNodeCandidate, LayerValueTakesTheOtherLayersOffTheTotal)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 2.0, 0.0, 0.0));
    translation->CreateLayerAt(1);
    translation->CreateLayerAt(2);
    SetDefaults(translation->LayerGet(1), {0.5, 0.0, 0.0});
    SetDefaults(translation->LayerGet(2), {1.0, 0.0, 0.0});
    const double total[3] = {5.0, 1.0, 0.0};
    double out[3];
    EXPECT_EQ(translation->ComputeCandidateForLayer(out, total, Sec(0.0), 1) - out, 3);
    EXPECT_DOUBLE_EQ(out[0], 2.0);
    EXPECT_DOUBLE_EQ(out[1], 1.0);

    NodePtr scaling(PropertyNode(KDataTypeLclScaling::DataType, "Lcl Scaling", 2.0, 4.0, 0.0));
    scaling->CreateLayerAt(1);
    const double scaled[3] = {6.0, 2.0, 5.0};
    scaling->ComputeCandidateForLayer(out, scaled, Sec(0.0), 1);
    EXPECT_DOUBLE_EQ(out[0], 3.0);
    EXPECT_DOUBLE_EQ(out[1], 0.5);
    // A layer scaling by zero cannot be undone: the total is kept, not inf.
    EXPECT_DOUBLE_EQ(out[2], 5.0);
}

TEST(CurveNodeCandidate, EulerLayerValueReproducesTheTotal)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation", 20.0, -10.0, 5.0));
    for (int id : {1, 2, 3})
        rotation->CreateLayerAt(id);
    SetDefaults(rotation->LayerGet(1), {5.0, 5.0, 5.0});
    SetDefaults(rotation->LayerGet(2), {0.0, 30.0, 0.0});
    SetDefaults(rotation->LayerGet(3), {40.0, 0.0, 10.0});
    const double total[3] = {10.0, 20.0, 30.0};
    double layer[3];
    rotation->ComputeCandidateForLayer(layer, total, Sec(0.0), 2);
    SetDefaults(rotation->LayerGet(2), {layer[0], layer[1], layer[2]});
    ExpectSameRotation(Values(rotation.get(), Sec(0.0)).data(), total);
}

TEST(CurveNodeCandidate, QuaternionLayerValueReproducesTheTotalWithTwoLayersAbove)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    rotation->SetLayerType(4, nullptr);
    for (int id : {1, 2, 3})
        rotation->CreateLayerAt(id);
    double q[4];
    AxisTurn(q, 30.0, 0, 0, 1);
    rotation->SetValue(q);
    AxisTurn(q, 50.0, 1, 0, 0);
    rotation->LayerGet(2)->SetValue(q);
    AxisTurn(q, 70.0, 0, 1, 0);
    rotation->LayerGet(3)->SetValue(q);

    const double total[3] = {10.0, 20.0, 30.0};
    double layer[4];
    EXPECT_EQ(rotation->ComputeCandidateForLayer(layer, total, Sec(0.0), 1) - layer, 4);
    rotation->LayerGet(1)->SetValue(layer);
    ExpectSameRotation(Values(rotation.get(), Sec(0.0)).data(), total);
}

TEST(CurveNodeCandidate, TotalOnALayerGivesItsSpecificValue)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 2.0, 0.0, 0.0));
    translation->CreateLayerAt(1);
    double total[3] = {5.0, 0.0, 0.0};
    EXPECT_EQ(translation->CandidateSet(Sec(1.0), total, 1) - total, 3);
    EXPECT_TRUE(translation->IsCandidate());
    double held[3] = {};
    EXPECT_EQ(translation->CandidateGet(held) - held, 3);
    EXPECT_DOUBLE_EQ(held[0], 5.0);

    double specific[3] = {};
    KTime when;
    translation->CandidateGetSpecificLayer(specific, when, 1);
    EXPECT_DOUBLE_EQ(specific[0], 3.0);
    EXPECT_EQ(when, Sec(1.0));
    // Unkeyed channels of the layer already hold it as their value.
    EXPECT_FLOAT_EQ(translation->LayerGet(1)->Get(0)->FCurveGet()->GetValue(), 3.0f);
    EXPECT_DOUBLE_EQ(Values(translation.get(), Sec(1.0))[0], 5.0);

    // A layer node does not hold totals.
    EXPECT_EQ(translation->LayerGet(1)->CandidateSet(Sec(1.0), total, 1), total);
}

TEST(CurveNodeCandidate, WarpedTotalIsSplitAtItsWarpedTimeOnce)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    for (int axis = 0; axis < 3; ++axis)
        FillUniform(*translation->Get(axis)->FCurveGet(), kFCurveInterpolationLinear, 0,
                    {{0.0, 0.0f}, {10.0, 10.0f}});
    translation->CreateLayerAt(1);
    // Local time runs twice as fast.
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    warp->FCurveSet(KFCurveCreate());
    FillUniform(*warp->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {10.0, 20.0f}});
    translation->TimeWarpSet(warp);

    double total[3] = {5.0, 5.0, 5.0};
    translation->CandidateSet(Sec(1.0), total, 1);
    double specific[3] = {};
    KTime when;
    translation->CandidateGetSpecificLayer(specific, when, 1);
    EXPECT_EQ(when, Sec(2.0));
    EXPECT_NEAR(specific[0], 3.0, 1e-5);  // 5 less the base value 2 at 2 s
}

TEST(CurveNodeCandidate, UnkeyedBaseChannelTakesTheCandidateAtOnce)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    FillUniform(*translation->Get(1)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 1.0f}, {1.0, 2.0f}});
    double values[3] = {7.0, 8.0, 9.0};
    translation->CandidateSet(Sec(0.5), values, 0);
    EXPECT_FLOAT_EQ(translation->Get(0)->FCurveGet()->GetValue(), 7.0f);
    EXPECT_FLOAT_EQ(translation->Get(2)->FCurveGet()->GetValue(), 9.0f);
    EXPECT_FLOAT_EQ(translation->Get(1)->FCurveGet()->GetValue(), 0.0f);  // keyed: waits for a key
    EXPECT_EQ(translation->LayerGet(), nullptr);
}

TEST(CurveNodeCandidate, KeyingWithoutAnyTimeKeysNothing)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    translation->CandidateKey();
    EXPECT_EQ(translation->KeyGetCount(true), 0);
    EXPECT_FALSE(translation->IsCandidate());
}

TEST(CurveNodeCandidate, KeyingALayerMakesTheTotalTrueThere)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    for (int axis = 0; axis < 3; ++axis)
        FillUniform(*translation->Get(axis)->FCurveGet(), kFCurveInterpolationLinear, 0,
                    {{0.0, 0.0f}, {2.0, 4.0f}});
    translation->CreateLayerAt(1);
    double total[3] = {10.0, 2.0, -1.0};
    translation->CandidateSet(Sec(1.0), total, 1);
    translation->CandidateKey(nullptr, 1);
    EXPECT_FALSE(translation->IsCandidate());
    KFCurve* layerX = translation->LayerGet(1)->Get(0)->FCurveGet();
    ASSERT_EQ(layerX->KeyGetCount(), 1);
    EXPECT_EQ(layerX->KeyGetTime(0), Sec(1.0));
    EXPECT_FLOAT_EQ(layerX->KeyGetValue(0), 8.0f);
    const std::vector<double> now = Values(translation.get(), Sec(1.0));
    EXPECT_NEAR(now[0], 10.0, 1e-5);
    EXPECT_NEAR(now[1], 2.0, 1e-5);
    EXPECT_NEAR(now[2], -1.0, 1e-5);
}

TEST(CurveNodeCandidate, QuaternionNodeHoldsAndKeysItsEulerTotal)
{
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    rotation->SetLayerType(4, nullptr);
    double identity[4] = {0.0, 0.0, 0.0, 1.0};
    rotation->KeyAdd(Sec(0.0), identity);
    rotation->KeyAdd(Sec(2.0), identity);
    double euler[3] = {10.0, 20.0, 30.0};
    rotation->CandidateSet(Sec(1.0), euler, 0);

    const std::vector<double> served = Values(rotation.get(), Sec(1.0), true);
    ASSERT_EQ(served.size(), 3u);
    EXPECT_DOUBLE_EQ(served[0], 10.0);
    EXPECT_DOUBLE_EQ(served[2], 30.0);
    double held[4] = {};
    EXPECT_EQ(rotation->CandidateGet(held) - held, 3);
    EXPECT_DOUBLE_EQ(held[1], 20.0);

    rotation->CandidateKey(nullptr, 0, nullptr, false, kFCurveInterpolationCubic, kFCurveTangentAuto, false, true,
                           Sec(1.0));
    EXPECT_EQ(rotation->Get(3)->FCurveGet()->KeyGetCount(), 3);
    ExpectSameRotation(Values(rotation.get(), Sec(1.0)).data(), euler);
}

TEST(CurveNodeCandidate, SavedStateRestoresCandidatesAndDropsNewLayers)
{
    NodePtr translation(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation", 2.0, 0.0, 0.0));
    translation->CreateLayerAt(1);
    double total[3] = {4.0, 0.0, 0.0};
    translation->CandidateSet(Sec(1.0), total, 1);

    KFCurveNodeCandidateState state;
    translation->GetCandidateState(state);
    EXPECT_EQ(state.mTotalCandidateMethod, 2);
    ASSERT_NE(state.mLayerState, nullptr);
    EXPECT_EQ(state.mLayerState->mLayerID, 1);
    state.Dump();

    translation->CandidateClear(0, true);
    translation->CreateLayerAt(3);
    translation->LayerGet(1)->Get(0)->FCurveGet()->SetValue(-1.0f);
    EXPECT_FALSE(translation->IsCandidate());

    translation->SetCandidateState(state, true);
    EXPECT_EQ(LayerIDs(translation.get()), (std::vector<int>{0, 1}));
    EXPECT_TRUE(translation->IsCandidate());
    double held[3] = {};
    translation->CandidateGet(held);
    EXPECT_DOUBLE_EQ(held[0], 4.0);
    EXPECT_FLOAT_EQ(translation->LayerGet(1)->Get(0)->FCurveGet()->GetValue(), 2.0f);
    // A second capture into the same state replaces the old sub-states.
    translation->GetCandidateState(state);
    EXPECT_EQ(state.mLayerState->mLayerState, nullptr);
}

}  // namespace
}  // namespace qelsdk_600
