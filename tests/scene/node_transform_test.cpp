#include <cmath>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

KQelNode::EPivotState StateOf(KQelNode* pNode, KQelNode::EPivotSet pSet)
{
    KQelNode::EPivotState state;
    pNode->GetPivotState(pSet, state);
    return state;
}

class NodeTransform : public ::testing::Test {
protected:
    KQelNode* Make(const char* pName) { return mManager.CreateKQelNode(pName); }
    KQelSdkManager mManager;
};

TEST_F(NodeTransform, PivotPropertiesLoadOnlyPastTheTolerance)
{
    struct Case {
        const char* what;
        KgeTVector preRotation;
        KgeTVector geometricScaling;
        ERotationOrder order;
        bool loaded;
    } cases[] = {
        {"neutral", KgeTVector(0, 0, 0), KgeTVector(1, 1, 1), eEulerXYZ, false},
        {"at 1e-6", KgeTVector(0, 0, 0.000001), KgeTVector(1, 1, 1), eEulerXYZ, false},
        {"past 1e-6", KgeTVector(0, 0, 0.00001), KgeTVector(1, 1, 1), eEulerXYZ, true},
        {"scaling at 1e-6", KgeTVector(0, 0, 0), KgeTVector(1, 1.000001, 1), eEulerXYZ, false},
        {"scaling past", KgeTVector(0, 0, 0), KgeTVector(1, 1.00001, 1), eEulerXYZ, true},
        {"rotation order", KgeTVector(0, 0, 0), KgeTVector(1, 1, 1), eEulerZYX, true},
    };
    for (const Case& c : cases) {
        KQelNode* node = Make("Node");
        KQelNodeProperties* p = node->GetPropertyHandler();
        node->SetRotationPivot(kSet1, V(5, 5, 5, 1));
        p->PreRotation.SetValue(c.preRotation);
        p->GeometricScaling.SetValue(c.geometricScaling);
        p->RotationOrder.SetValue(c.order);
        node->UpdatePivotsAndLimitsFromProperties();
        EXPECT_EQ(StateOf(node, kSet0), c.loaded ? KQelNode::ePivotActive : KQelNode::ePivotReference) << c.what;
        EXPECT_EQ(StateOf(node, kSet1), KQelNode::ePivotReference) << c.what;
        // Set 1 is made neutral only when set 0 is loaded.
        EXPECT_EQ(node->GetRotationPivot(kSet1)[0], c.loaded ? 0.0 : 5.0) << c.what;
        EXPECT_EQ(node->GetPreRotation(kSet0)[2], c.loaded ? c.preRotation.mData[2] : 0.0) << c.what;
    }
}

TEST_F(NodeTransform, PropertiesRoundTripKeepsPivotSetZeroAndLimits)
{
    KQelNode* node = Make("Node");
    node->SetRotationOffset(kSet0, V(1, 2, 3, 1));
    node->SetScalingPivot(kSet0, V(-4, 5, 6, 1));
    node->SetPostRotation(kSet0, V(0, 0, 30, 1));
    node->SetGeometricScaling(kSet0, V(2, 2, 2, 1));
    node->SetRotationOrder(kSet0, eEulerYZX);
    node->SetUseRotationSpaceForLimitOnly(kSet0, true);
    KQelNodeLimits& limits = node->GetLimits();
    limits.SetRotationLimitActive(true);
    limits.mRotationLimits.SetLimitMinActive(true, false, true);
    limits.mRotationLimits.SetLimitMin(V(-10, 0, -20));
    limits.mScalingLimits.SetLimitMax(V(3, 3, 3));

    node->UpdatePropertiesFromPivotsAndLimits();
    KQelNodeProperties* p = node->GetPropertyHandler();
    EXPECT_EQ(p->RotationOrder.GetValue(), eEulerYZX);
    EXPECT_TRUE(p->RotationMinZ.GetValue());
    EXPECT_EQ(p->ScalingMax.GetValue().mData[1], 3.0);
    EXPECT_TRUE(p->RotationActive.GetValue());

    // Pretend a file was read back: reset the node's side, then load.
    node->SetRotationOffset(kSet0, V(0, 0, 0, 1));
    node->UpdatePivotsAndLimitsFromProperties();
    EXPECT_TRUE(Near3(node->GetRotationOffset(kSet0), V(1, 2, 3)));
    EXPECT_TRUE(Near3(node->GetScalingPivot(kSet0), V(-4, 5, 6)));
    EXPECT_TRUE(Near3(node->GetPostRotation(kSet0), V(0, 0, 30)));
    EXPECT_TRUE(Near3(node->GetGeometricScaling(kSet0), V(2, 2, 2)));
    ERotationOrder order;
    node->GetRotationOrder(kSet0, order);
    EXPECT_EQ(order, eEulerYZX);
    EXPECT_TRUE(node->GetUseRotationSpaceForLimitOnly(kSet0));
    EXPECT_EQ(StateOf(node, kSet0), KQelNode::ePivotActive);
    bool x, y, z;
    limits.mRotationLimits.GetLimitMinActive(x, y, z);
    EXPECT_TRUE(x && !y && z);
    EXPECT_TRUE(Near3(limits.mRotationLimits.GetLimitMin(), V(-10, 0, -20)));
    EXPECT_TRUE(limits.GetRotationLimitActive());

    // Limits reload only when a property differs by more than 1e-6.
    p->TranslationMin.SetValue(KgeTVector(0.000001, 0, 0));
    node->UpdatePivotsAndLimitsFromProperties();
    EXPECT_EQ(limits.mTranslationLimits.GetLimitMin()[0], 0.0);
    p->TranslationMin.SetValue(KgeTVector(0.00001, 0, 0));
    node->UpdatePivotsAndLimitsFromProperties();
    EXPECT_EQ(limits.mTranslationLimits.GetLimitMin()[0], 0.00001);

    // Reset brings the transform properties and pivot sets back.
    node->Reset();
    EXPECT_EQ(p->RotationOrder.GetValue(), eEulerXYZ);
    EXPECT_FALSE(p->RotationMinZ.GetValue());
    EXPECT_EQ(p->GeometricScaling.GetValue().mData[0], 1.0);
    EXPECT_TRUE(Near3(node->GetRotationOffset(kSet0), V(0, 0, 0)));
    EXPECT_EQ(StateOf(node, kSet0), KQelNode::ePivotReference);
}

TEST_F(NodeTransform, LocalMatrixOfTheDefaultTake)
{
    struct Case {
        KQelVector4 scaling;
        KQelVector4 rows[4];
    } cases[] = {
        {V(1, 1, 1), {V(1, 0, 0), V(0, 0, 1), V(0, -1, 0), V(1, 2, 3)}},
        {V(2, 1, 1), {V(2, 0, 0), V(0, 0, 1), V(0, -1, 0), V(1, 2, 3)}},
    };
    for (const Case& c : cases) {
        KQelNode* node = Make("Node");
        node->SetDefaultT(V(1, 2, 3));
        node->SetDefaultR(V(90, 0, 0));
        node->SetDefaultS(c.scaling);
        const KQelXMatrix& local = node->GetLocalFromDefaultTake();
        for (int row = 0; row < 4; ++row)
            EXPECT_TRUE(Near3(Row(local, row), c.rows[row], 1e-12)) << row;
    }
}

TEST_F(NodeTransform, TakeMatricesAreCachedPerTakeAndTime)
{
    KQelNode* parent = Make("Parent");
    KQelNode* node = AddChildren(mManager, parent, 1)[0];
    parent->SetDefaultT(V(10, 0, 0));
    node->SetDefaultT(V(0, 1, 0));
    EXPECT_TRUE(Near3(node->GetGlobalFromDefaultTake().GetT(), V(10, 1, 0)));

    for (KQelNode* n : {parent, node}) {
        n->CreateTakeNode("Take");
        n->SetCurrentTakeNode("Take");
    }
    KFCurve* x = node->GetCurrentTakeNode()->GetTranslationX();
    x->KeySetValue(x->KeyAdd(Seconds(1)), 5.0f);
    EXPECT_EQ(node->GetLocalFromCurrentTake(Seconds(1)).GetT()[0], 5.0);
    x->KeySetValue(0, 6.0f);
    EXPECT_EQ(node->GetLocalFromCurrentTake(Seconds(1)).GetT()[0], 5.0);  // same time: cached
    EXPECT_EQ(node->GetLocalFromCurrentTake(Seconds(2)).GetT()[0], 6.0);
    EXPECT_TRUE(Near3(node->GetGlobalFromCurrentTake(Seconds(2)).GetT(), V(16, 1, 0)));
    // A curve edit leaves the default take's cache alone until the take
    // changes.
    EXPECT_EQ(node->GetLocalFromDefaultTake().GetT()[1], 1.0);
    node->SetDefaultT(V(0, 9, 0));
    EXPECT_EQ(node->GetLocalFromDefaultTake().GetT()[1], 1.0);
    node->SetCurrentTakeNode(0);
    EXPECT_EQ(node->GetLocalFromDefaultTake().GetT()[1], 9.0);
}

TEST_F(NodeTransform, StatesAreComputedOncePerId)
{
    KQelNode* root = Make("Root");
    KQelNode* child = AddChildren(mManager, root, 1)[0];
    KQelNode* grandchild = AddChildren(mManager, child, 1)[0];
    for (KQelNode* node : {root, child, grandchild})
        node->SetLocalState(KQelXMatrix(V(1, 0, 0), V(0, 0, 90), V(1, 1, 1)));
    grandchild->ComputeGlobalState(5, false);  // brings its ancestors up first
    EXPECT_TRUE(Near3(root->GetGlobalState().GetT(), V(1, 0, 0)));
    EXPECT_TRUE(Near3(child->GetGlobalState().GetT(), V(1, 1, 0), 1e-12));
    EXPECT_TRUE(Near3(grandchild->GetGlobalState().GetT(), V(0, 1, 0), 1e-12));
    EXPECT_EQ(child->GetGlobalStateId(), 5u);

    root->SetLocalState(KQelXMatrix(V(7, 0, 0), V(0, 0, 0), V(1, 1, 1)));
    root->ComputeGlobalState(5, true);
    EXPECT_TRUE(Near3(root->GetGlobalState().GetT(), V(1, 0, 0)));  // already stamped 5
    child->SetGlobalStateId(6, false);
    root->ComputeGlobalState(6, true);
    EXPECT_TRUE(Near3(root->GetGlobalState().GetT(), V(7, 0, 0)));
    EXPECT_TRUE(Near3(grandchild->GetGlobalState().GetT(), V(0, 1, 0), 1e-12));  // skipped with its parent

    // Local states come back from the global ones.
    root->ComputeGlobalState(7, true);
    for (KQelNode* node : {root, child, grandchild})
        node->SetLocalState(KQelXMatrix());
    root->ComputeLocalState(8, true);
    EXPECT_TRUE(Near3(grandchild->GetLocalState().GetT(), V(1, 0, 0), 1e-12));
    EXPECT_TRUE(Near3(grandchild->GetLocalState().GetR(), V(0, 0, 90), 1e-9));
}

TEST_F(NodeTransform, TakeSyncWritesDefaultsOrKeys)
{
    KQelNode* node = Make("Node");
    node->SetLocalState(KQelXMatrix(V(1, 2, 3), V(0, 30, 0), V(2, 2, 2)));
    node->SetCurrentTakeFromLocalState(Seconds(1), false);
    KQelTakeNode* defaults = node->GetDefaultTakeNode();
    EXPECT_EQ(defaults->GetTranslationY()->GetValue(), 2.0f);
    EXPECT_EQ(defaults->GetTranslationY()->KeyGetCount(), 0);
    KQelVector4 value;
    EXPECT_NEAR(node->GetDefaultR(value)[1], 30.0, 1e-4);  // the curve callback writes the property

    node->CreateTakeNode("Take");
    node->SetCurrentTakeNode("Take");
    node->SetCurrentTakeFromLocalState(Seconds(1), false);
    KQelTakeNode* take = node->GetCurrentTakeNode();
    for (KFCurve* curve : {take->GetTranslationX(), take->GetEulerRotationY(), take->GetScaleZ()})
        ASSERT_EQ(curve->KeyGetCount(), 1);
    EXPECT_EQ(take->GetScaleZ()->KeyGetValue(0), 2.0f);
    EXPECT_EQ(take->GetTranslationX()->KeyGetTime(0), Seconds(1));

    node->SetLocalState(KQelXMatrix(V(4, 5, 6), V(0, 0, 0), V(1, 1, 1)));
    node->SetDefaultTakeFromLocalState(false);
    EXPECT_TRUE(Near3(node->GetDefaultT(value), V(4, 5, 6)));
    node->SetLocalStateFromDefaultTake(false);
    EXPECT_TRUE(Near3(node->GetLocalState().GetT(), V(4, 5, 6)));
}

TEST_F(NodeTransform, GlobalMatrixOfAPivotSet)
{
    KQelNode* root = Make("Root");
    KQelNode* child = AddChildren(mManager, root, 1)[0];
    EXPECT_EQ(root->GetGlobalMatrix(kSet0, true), KQelMatrix());  // defaults, set inactive: identity

    root->SetDefaultT(V(1, 0, 0));
    root->SetDefaultR(V(0, 90, 0));
    root->SetPivotState(kSet0, KQelNode::ePivotActive);
    root->SetRotationPivot(kSet0, V(0, 3, 0, 1));
    child->SetDefaultT(V(0, 3, 2));
    EXPECT_TRUE(Near3(root->GetGlobalT(kSet0, true), V(1, 3, 0), 1e-12));
    EXPECT_TRUE(Near3(child->GetGlobalT(kSet0, true), V(3, 3, 0), 1e-12));

    // The cache is not refreshed by edits, only on request.
    child->SetDefaultT(V(0, 3, 4));
    EXPECT_TRUE(Near3(child->GetGlobalT(kSet0, false), V(3, 3, 0), 1e-12));
    EXPECT_TRUE(Near3(child->GetGlobalT(kSet0, true), V(5, 3, 0), 1e-12));

    // The rotation order plays no part; pre-rotation only in an active set.
    root->SetRotationOrder(kSet0, eEulerZYX);
    root->SetPreRotation(kSet0, V(90, 0, 0, 1));
    root->SetPivotState(kSet0, KQelNode::ePivotReference);
    root->SetRotationPivot(kSet0, V(0, 0, 0, 1));
    const KQelMatrix inactive = root->GetGlobalMatrix(kSet0, true);
    root->SetRotationOrder(kSet0, eEulerXYZ);
    root->SetPreRotation(kSet0, V(0, 0, 0, 1));
    EXPECT_EQ(root->GetGlobalMatrix(kSet0, true), inactive);
    root->SetPreRotation(kSet0, V(90, 0, 0, 1));
    root->SetPivotState(kSet0, KQelNode::ePivotActive);
    // R (0, 90, 0) then the pre-rotation about X: the X axis (0, 0, -1) turns
    // to (0, 1, 0).
    EXPECT_TRUE(Near3(Row(root->GetGlobalMatrix(kSet0, true), 0), V(0, 1, 0), 1e-12));

    // A mirrored node spreads the sign over all three axes.
    root->SetPivotState(kSet0, KQelNode::ePivotReference);
    root->SetDefaultR(V(0, 0, 0));
    root->SetDefaultS(V(-1, 1, 1));
    EXPECT_TRUE(Near3(root->GetGlobalS(kSet0, true), V(-1, -1, -1)));
    const KQelVector4 r = root->GetGlobalR(kSet0, false);  // a half turn about X
    EXPECT_TRUE(Near3(V(std::fabs(r[0]), r[1], r[2]), V(180, 0, 0), 1e-9));

    // A child whose parent's cache is stale refreshes the tree first.
    root->ComputeGlobalMatrix(kSet1);
    const KQelMatrix expected = child->GetGlobalMatrix(kSet1, false);
    root->GetPropertyHandler()->PreRotation.SetValue(KgeTVector(0, 0, 0.5));
    root->UpdatePivotsAndLimitsFromProperties();  // loads set 0, makes set 1 neutral and stale
    EXPECT_FALSE(root->GetPropertyHandler()->GetPivot(kSet1).mGlobalMatrixValid);
    child->ComputeGlobalMatrix(kSet1);
    EXPECT_TRUE(root->GetPropertyHandler()->GetPivot(kSet1).mGlobalMatrixValid);
    EXPECT_EQ(child->GetGlobalMatrix(kSet1, false), expected);
}

TEST_F(NodeTransform, SorvinnStyleKeepsRotationAndScalingApart)
{
    KQelXMatrix parent(V(0, 0, 0), V(0, 0, 0), V(2, 1, 1));
    KQelXMatrix local(V(1, 0, 0), V(0, 0, 90), V(1, 1, 1));
    KQelXMatrix global;
    KQelNode::ComputeGlobalMatrixSorvinnStyle(global, parent, local);
    EXPECT_TRUE(Near3(Row(global, 0), V(0, 2, 0), 1e-12));
    EXPECT_TRUE(Near3(Row(global, 1), V(-1, 0, 0), 1e-12));
    EXPECT_TRUE(Near3(Row(global, 2), V(0, 0, 1), 1e-12));
    EXPECT_TRUE(Near3(Row(global, 3), V(2, 0, 0), 1e-12));
    KQelXMatrix back;
    KQelNode::ComputeLocalMatrixSorvinnStyle(back, parent, global);
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(Near3(Row(back, row), Row(local, row), 1e-12)) << row;

    // A mirrored parent counts as (-1, -1, -1) with a half turn about X.
    KQelXMatrix mirrored(V(0, 0, 0), V(0, 0, 0), V(-1, 1, 1));
    KQelXMatrix identity;
    KQelNode::ComputeGlobalMatrixSorvinnStyle(global, mirrored, identity);
    EXPECT_TRUE(Near3(Row(global, 0), V(-1, 0, 0), 1e-12));
    EXPECT_TRUE(Near3(Row(global, 1), V(0, 1, 0), 1e-12));

    // Zero-length axes stay finite both ways.
    KQelXMatrix flat(V(1, 2, 3), V(10, 20, 30), V(0, 1, 0));
    KQelXMatrix results[2];
    KQelNode::ComputeGlobalMatrixSorvinnStyle(results[0], flat, local);
    KQelNode::ComputeLocalMatrixSorvinnStyle(results[1], flat, local);
    for (const KQelXMatrix& result : results) {
        for (int i = 0; i < 16; ++i)
            EXPECT_TRUE(std::isfinite(static_cast<const double*>(result)[i])) << i;
    }
}

}  // namespace
}  // namespace qelsdk_600
