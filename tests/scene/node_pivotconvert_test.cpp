#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"
#include "pivot_test_util.h"

namespace qelsdk_600 {
namespace {

typedef std::vector<std::vector<CurveState>> Snapshot;  // [take][channel]

class PivotConvert : public ::testing::Test {
protected:
    // A node with the takes "Default" (no keys) and "Walk": translation 0 to
    // (1, 2, 3), rotation Z 0 to 90, scaling a constant 1, keyed at 0 and
    // 1 s.
    KQelNode* MakeAnimated(const char* pName)
    {
        KQelNode* node = mManager.CreateKQelNode(pName);
        node->SetDefaultT(V(1, 2, 3));
        KQelTakeNode* walk = node->CreateTakeNode("Walk");
        for (int channel = 0; channel < 9; ++channel) {
            KFCurve* curve = Channel(walk, channel);
            const float end = channel < 3 ? static_cast<float>(channel + 1) : channel == 5 ? 90.0f : channel >= 6 ? 1.0f : 0.0f;
            AddKey(curve, 0.0, channel >= 6 ? 1.0f : 0.0f);
            AddKey(curve, 1.0, end);
        }
        return node;
    }

    static Snapshot Take(KQelNode* pNode)
    {
        Snapshot snapshot;
        for (int i = 0; i < pNode->GetTakeNodeCount(); ++i) {
            snapshot.emplace_back();
            for (int channel = 0; channel < 9; ++channel)
                snapshot.back().push_back(StateOf(Channel(pNode->GetTakeNode(i), channel)));
        }
        return snapshot;
    }

    KQelSdkManager mManager;
};

TEST_F(PivotConvert, RotationOffsetsShiftTranslationAndConvertBack)
{
    const KQelVector4 offset = V(2, -1, 0.5);
    KQelNode* node = MakeAnimated("Node");
    KQelNode* child = MakeAnimated("Child");
    node->AddChild(child);
    for (KQelNode* n : {node, child}) {
        n->SetPivotState(kSet0, KQelNode::ePivotActive);
        n->SetRotationOffset(kSet0, offset);
    }
    const Snapshot before[2] = {Take(node), Take(child)};

    node->ConvertPivotAnimationRecursive(kSet1, 24.0, false);

    KQelNode* nodes[2] = {node, child};
    for (int n = 0; n < 2; ++n) {
        const Snapshot after = Take(nodes[n]);
        for (std::size_t take = 0; take < after.size(); ++take) {
            for (int channel = 0; channel < 9; ++channel) {
                const CurveState& was = before[n][take][channel];
                const CurveState& is = after[take][channel];
                if (channel >= 3) {
                    EXPECT_TRUE(is == was) << "node " << n << " take " << take << " channel " << channel;
                    continue;
                }
                const float shift = static_cast<float>(offset[channel]);
                EXPECT_EQ(is.mDefault, was.mDefault + shift);
                ASSERT_EQ(is.mKeys.size(), was.mKeys.size());
                for (std::size_t k = 0; k < is.mKeys.size(); ++k) {
                    EXPECT_EQ(is.mKeys[k].first, was.mKeys[k].first);
                    EXPECT_EQ(is.mKeys[k].second, was.mKeys[k].second + shift);
                }
            }
        }
    }
    // The Default take's curves carry the node's default transform.
    KQelVector4 t;
    EXPECT_TRUE(Near3(node->GetDefaultT(t), V(3, 1, 3.5), 1e-6));

    node->ConvertPivotAnimationRecursive(kSet0, 24.0, false);
    for (int n = 0; n < 2; ++n) {
        const Snapshot after = Take(nodes[n]);
        for (std::size_t take = 0; take < after.size(); ++take) {
            for (int channel = 0; channel < 3; ++channel) {
                EXPECT_NEAR(after[take][channel].mDefault, before[n][take][channel].mDefault, 1e-6);
                for (std::size_t k = 0; k < after[take][channel].mKeys.size(); ++k)
                    EXPECT_NEAR(after[take][channel].mKeys[k].second, before[n][take][channel].mKeys[k].second, 1e-6);
            }
        }
    }
}

TEST_F(PivotConvert, CompleteConversionResamplesOnlyForRealDifferences)
{
    auto active = [](KQelNode* n) {
        n->SetPivotState(kSet0, KQelNode::ePivotActive);
        n->SetPivotState(kSet1, KQelNode::ePivotActive);
        n->SetRotationActive(true);
    };
    // What the filter does: not run; run with nothing to convert (only its
    // unroll and resampling of the rotation); convert every curve.
    enum Outcome { eUnchanged, eRotationOnly, eConverted };
    struct Case {
        const char* what;
        std::function<void(KQelNode*)> setUp;
        Outcome outcome;
    } cases[] = {
        {"both sets inactive",
         [](KQelNode* n) {
             n->SetRotationPivot(kSet0, V(1, 2, 3));
             n->SetPreRotation(kSet0, V(10, 0, 0));
             n->SetScalingPivot(kSet1, V(4, 0, 0));
         },
         eUnchanged},
        {"rotation pivots differ", [](KQelNode* n) {
             n->SetPivotState(kSet0, KQelNode::ePivotActive);
             n->SetRotationPivot(kSet0, V(1, 0, 0));
         },
         eConverted},
        {"rotation pivots differ by 1e-9 (exact test; the filter finds no difference)", [&](KQelNode* n) {
             active(n);
             n->SetRotationPivot(kSet1, V(0, 1e-9, 0));
         },
         eRotationOnly},
        {"scaling pivots differ by 1e-7", [&](KQelNode* n) {
             active(n);
             n->SetScalingPivot(kSet0, V(1e-7, 0, 0));
         },
         eUnchanged},
        {"scaling pivots differ", [&](KQelNode* n) {
             active(n);
             n->SetScalingPivot(kSet0, V(0, 0, 2));
         },
         eConverted},
        {"scaling offsets differ", [&](KQelNode* n) {
             active(n);
             n->SetScalingOffset(kSet1, V(0, 3, 0));
         },
         eConverted},
        {"pre-rotations differ", [&](KQelNode* n) {
             active(n);
             n->SetPreRotation(kSet0, V(0, 30, 0));
         },
         eConverted},
        {"post-rotations differ", [&](KQelNode* n) {
             active(n);
             n->SetPostRotation(kSet1, V(0, 0, -45));
         },
         eConverted},
        {"equal pre-rotations, both rotating", [&](KQelNode* n) {
             active(n);
             n->SetPreRotation(kSet0, V(10, 20, 30));
             n->SetPreRotation(kSet1, V(10, 20, 30));
         },
         eUnchanged},
        {"equal post-rotations, both rotating", [&](KQelNode* n) {
             active(n);
             n->SetPostRotation(kSet0, V(0, 90, 0));
             n->SetPostRotation(kSet1, V(0, 90, 0));
         },
         eUnchanged},
        {"pre-rotations differ, rotation-active off", [&](KQelNode* n) {
             active(n);
             n->SetRotationActive(false);
             n->SetPreRotation(kSet0, V(0, 30, 0));
         },
         eUnchanged},
        {"pre-rotation of a limit-only set", [&](KQelNode* n) {
             active(n);
             n->SetUseRotationSpaceForLimitOnly(kSet0, true);
             n->SetPreRotation(kSet0, V(0, 30, 0));
         },
         eUnchanged},
        {"rotation orders differ", [&](KQelNode* n) {
             active(n);
             n->SetRotationOrder(kSet0, eEulerZYX);
         },
         eRotationOnly},
        {"rotation orders differ under limit-only", [&](KQelNode* n) {
             active(n);
             n->SetRotationOrder(kSet0, eEulerZYX);
             n->SetUseRotationSpaceForLimitOnly(kSet0, true);
         },
         eUnchanged},
    };
    for (const Case& c : cases) {
        KQelNode* node = MakeAnimated("Node");
        c.setUp(node);
        const Snapshot before = Take(node);
        node->ConvertPivotAnimationRecursive(kSet1, 24.0, false);
        const Snapshot after = Take(node);
        if (c.outcome == eUnchanged) {
            for (std::size_t take = 0; take < after.size(); ++take)
                for (int channel = 0; channel < 9; ++channel)
                    EXPECT_TRUE(after[take][channel] == before[take][channel]) << c.what << " channel " << channel;
            continue;
        }
        // 0 to 23/24 s on the grid, then the last key at the end time.
        const long long period = KTime::kTicksPerSecond / 24;
        const CurveState& rotation = after[1][5];
        ASSERT_EQ(rotation.mKeys.size(), 25u) << c.what;
        for (int k = 0; k < 25; ++k)
            EXPECT_EQ(rotation.mKeys[k].first, k * period) << c.what << " key " << k;
        EXPECT_EQ(after[1][8].mKeys.size(), c.outcome == eConverted ? 25u : 2u) << c.what;
        EXPECT_EQ(after[0][5].mKeys.size(), 0u) << c.what << ": a take without keys stays without";
    }
}

TEST_F(PivotConvert, ConstantKeyReducerRunsOnlyWhenAsked)
{
    for (bool reduce : {false, true}) {
        KQelNode* node = MakeAnimated("Node");
        node->SetPivotState(kSet0, KQelNode::ePivotActive);
        node->SetRotationPivot(kSet0, V(0, 1, 0));
        node->ConvertPivotAnimationRecursive(kSet1, 24.0, reduce);
        const int scalingKeys = Channel(node->GetTakeNode(1), 6)->KeyGetCount();
        if (reduce)
            EXPECT_LT(scalingKeys, 25);
        else
            EXPECT_EQ(scalingKeys, 25);
    }
}

TEST_F(PivotConvert, RotationPivotMovesTheDefaultPoseAndKeepsTheDefaultTakeTied)
{
    // The pivot p is turned with the rotation: t + p - p R. With R a quarter
    // turn about Z, p = (1, 0, 0) goes to (0, 1, 0).
    KQelNode* node = mManager.CreateKQelNode("Node");
    node->SetDefaultT(V(1, 2, 3));
    node->SetDefaultR(V(0, 0, 90));
    node->SetPivotState(kSet0, KQelNode::ePivotActive);
    node->SetRotationPivot(kSet0, V(1, 0, 0));
    node->ConvertPivotAnimationRecursive(kSet1, 30.0, false);

    KQelTakeNode* defaults = node->GetDefaultTakeNode();
    const KQelVector4 curves(Channel(defaults, 0)->GetValue(), Channel(defaults, 1)->GetValue(),
                             Channel(defaults, 2)->GetValue(), 0.0);
    EXPECT_TRUE(Near3(curves, V(2, 1, 3), 1e-5));
    KQelVector4 t, r;
    EXPECT_TRUE(Near3(node->GetDefaultT(t), V(2, 1, 3), 1e-5));
    EXPECT_TRUE(Near3(node->GetDefaultR(r), V(0, 0, 90), 1e-4));
    // The new curves follow the properties and the other way round.
    Channel(defaults, 1)->SetValue(7.0f);
    EXPECT_NEAR(node->GetDefaultT(t)[1], 7.0, 1e-6);
    node->SetDefaultR(V(0, 0, 10));
    EXPECT_FLOAT_EQ(Channel(defaults, 5)->GetValue(), 10.0f);
}

TEST_F(PivotConvert, OlderConversionShiftsByTheParentPivotTurnedBack)
{
    // Parent pivot (1, 2, 3) turned back by a post-rotation of 90 about Z:
    // times the rotation's transpose, (2, -1, 3).
    KQelNode* parent = mManager.CreateKQelNode("Parent");
    parent->SetPivotState(kSet0, KQelNode::ePivotActive);
    parent->SetRotationPivot(kSet0, V(1, 2, 3));
    parent->SetPostRotation(kSet0, V(0, 0, 90));
    KQelNode* child = MakeAnimated("Child");
    parent->AddChild(child);
    const Snapshot before = Take(child);

    parent->ConvertPivotAnimation(kSet1, 24.0, false);

    const Snapshot after = Take(child);
    const float shift[3] = {-2.0f, 1.0f, -3.0f};
    for (std::size_t take = 0; take < after.size(); ++take) {
        for (int channel = 0; channel < 9; ++channel) {
            const CurveState& was = before[take][channel];
            const CurveState& is = after[take][channel];
            ASSERT_EQ(is.mKeys.size(), was.mKeys.size()) << "shifted, not resampled";
            const float delta = channel < 3 ? shift[channel] : 0.0f;
            EXPECT_EQ(is.mDefault, was.mDefault + delta);
            for (std::size_t k = 0; k < is.mKeys.size(); ++k) {
                EXPECT_EQ(is.mKeys[k].first, was.mKeys[k].first);
                EXPECT_EQ(is.mKeys[k].second, was.mKeys[k].second + delta);
            }
        }
    }
}

TEST_F(PivotConvert, OlderConversionOnlyShiftsForRotationPivots)
{
    KQelNode* node = MakeAnimated("Node");
    node->SetPivotState(kSet0, KQelNode::ePivotActive);
    node->SetRotationPivot(kSet0, V(1, 2, 3));
    node->SetRotationOffset(kSet0, V(1, 1, 1));
    const Snapshot before = Take(node);
    node->ConvertPivotAnimation(kSet1, 24.0, false);
    const Snapshot after = Take(node);
    for (int channel = 0; channel < 9; ++channel) {
        const float delta = channel < 3 ? static_cast<float>(channel + 2) : 0.0f;
        EXPECT_EQ(after[1][channel].mKeys.size(), 2u);
        EXPECT_EQ(after[1][channel].mKeys[1].second, before[1][channel].mKeys[1].second + delta);
    }
}

TEST_F(PivotConvert, UnusableRatesConvertNothing)
{
    const double rates[] = {0.0, -30.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-30, 1e12};
    for (double rate : rates) {
        for (bool older : {false, true}) {
            KQelNode* node = MakeAnimated("Node");
            node->SetPivotState(kSet0, KQelNode::ePivotActive);
            node->SetRotationOffset(kSet0, V(1, 1, 1));
            node->SetPreRotation(kSet0, V(0, 45, 0));
            node->SetRotationActive(true);
            const Snapshot before = Take(node);
            if (older)
                node->ConvertPivotAnimation(kSet1, rate, true);
            else
                node->ConvertPivotAnimationRecursive(kSet1, rate, true);
            const Snapshot after = Take(node);
            for (std::size_t take = 0; take < after.size(); ++take)
                for (int channel = 0; channel < 9; ++channel)
                    EXPECT_TRUE(after[take][channel] == before[take][channel]) << "rate " << rate << " older " << older;
        }
    }
}

TEST_F(PivotConvert, TakesWithoutTranslationCurvesAreSkipped)
{
    for (bool older : {false, true}) {
        KQelNode* node = MakeAnimated("Node");
        node->SetPivotState(kSet0, KQelNode::ePivotActive);
        node->SetRotationOffset(kSet0, V(1, 1, 1));
        node->SetRotationPivot(kSet0, V(0, 2, 0));
        DropTranslation(node->GetTakeNode(1));
        if (older)
            node->ConvertPivotAnimation(kSet1, 24.0, false);
        else
            node->ConvertPivotAnimationRecursive(kSet1, 24.0, false);
        EXPECT_EQ(Channel(node->GetTakeNode(1), 0), nullptr);
        KQelVector4 t;
        EXPECT_NEAR(node->GetDefaultT(t)[0], 2.0, 1e-5) << "the Default take is still converted";
    }
}

TEST_F(PivotConvert, ResetPivotSetNeutralisesTheSubtreeButKeepsStateAndUpdateOffsets)
{
    typedef KQelNode N;
    struct Field {
        void (N::*mSet)(KQelNode::EPivotSet, KQelVector4);
        KQelVector4 (N::*mGet)(KQelNode::EPivotSet) const;
        KQelVector4 mAfter;  // (5, 5, 5) where the field is kept
    } fields[] = {
        {&N::SetPreRotation, &N::GetPreRotation, V(0, 0, 0)},
        {&N::SetPostRotation, &N::GetPostRotation, V(0, 0, 0)},
        {&N::SetRotationPivot, &N::GetRotationPivot, V(0, 0, 0)},
        {&N::SetScalingPivot, &N::GetScalingPivot, V(0, 0, 0)},
        {&N::SetRotationOffset, &N::GetRotationOffset, V(0, 0, 0)},
        {&N::SetScalingOffset, &N::GetScalingOffset, V(0, 0, 0)},
        {&N::SetGeometricTranslation, &N::GetGeometricTranslation, V(0, 0, 0)},
        {&N::SetGeometricRotation, &N::GetGeometricRotation, V(0, 0, 0)},
        {&N::SetGeometricScaling, &N::GetGeometricScaling, V(1, 1, 1)},
        {&N::SetRotationPivotUpdateOffset, &N::GetRotationPivotUpdateOffset, V(5, 5, 5)},
        {&N::SetScalingPivotUpdateOffset, &N::GetScalingPivotUpdateOffset, V(5, 5, 5)},
    };
    KQelNode* node = mManager.CreateKQelNode("Node");
    std::vector<KQelNode*> all = AddChildren(mManager, node, 2);
    all.push_back(node);
    for (KQelNode* n : all) {
        for (KQelNode::EPivotSet set : {kSet0, kSet1}) {
            n->SetPivotState(set, KQelNode::ePivotActive);
            n->SetRotationOrder(set, eEulerZXY);
            n->SetUseRotationSpaceForLimitOnly(set, true);
            for (const Field& field : fields)
                (n->*field.mSet)(set, V(5, 5, 5, 5));
        }
    }
    node->ResetPivotSet(kSet1);
    for (KQelNode* n : all) {
        KQelNode::EPivotState state;
        n->GetPivotState(kSet1, state);
        EXPECT_EQ(state, KQelNode::ePivotActive);
        ERotationOrder order;
        n->GetRotationOrder(kSet1, order);
        EXPECT_EQ(order, eEulerXYZ);
        EXPECT_FALSE(n->GetUseRotationSpaceForLimitOnly(kSet1));
        for (const Field& field : fields) {
            EXPECT_TRUE(Near3((n->*field.mGet)(kSet1), field.mAfter, 0.0));
            EXPECT_TRUE(Near3((n->*field.mGet)(kSet0), V(5, 5, 5), 0.0)) << "the other set stays";
        }
    }
}

TEST_F(PivotConvert, ResetAndConvertResamplesAtThirtyAndLeavesBothSetsNeutral)
{
    KQelNode* node = MakeAnimated("Node");
    node->SetPivotState(kSet0, KQelNode::ePivotActive);
    node->SetRotationPivot(kSet0, V(1, 0, 0));
    node->SetRotationPivot(kSet1, V(5, 5, 5));
    node->ResetPivotSetAndConvertAnimation();
    EXPECT_EQ(Channel(node->GetTakeNode(1), 0)->KeyGetCount(), 31);
    EXPECT_EQ(Channel(node->GetTakeNode(1), 6)->KeyGetCount(), 31) << "no key reduction";
    for (KQelNode::EPivotSet set : {kSet0, kSet1})
        EXPECT_TRUE(Near3(node->GetRotationPivot(set), V(0, 0, 0), 0.0));
}

// A mesh node whose geometry holds the points given and the pivot pPivot.
KQelMesh* AttachMesh(KQelSdkManager& pManager, KQelNode* pNode, const std::vector<KQelVector4>& pPoints,
                     const KQelXMatrix& pPivot)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    pNode->SetNodeAttribute(mesh);
    mesh->InitControlPoints(static_cast<int>(pPoints.size()));
    for (std::size_t i = 0; i < pPoints.size(); ++i)
        mesh->GetControlPoints()[i] = pPoints[i];
    mesh->SetPivot(pPivot);
    return mesh;
}

TEST_F(PivotConvert, CompleteConversionMovesControlPointsOnceAndClearsThePivot)
{
    // A point goes through inverse(target geometric), the source geometric
    // (scaled, turned, moved), then the pivot, here a move by (10, 0, 0).
    const KQelXMatrix pivot(V(10, 0, 0), V(0, 0, 0), V(1, 1, 1));
    struct Case {
        const char* what;
        std::function<void(KQelNode*)> setUp;
        KQelVector4 expected;  // of the point (1, 0, 0)
    } cases[] = {
        {"neutral sets: the pivot alone", [](KQelNode*) {}, V(11, 0, 0)},
        {"source geometric",
         [](KQelNode* n) {
             n->SetPivotState(kSet0, KQelNode::ePivotActive);
             n->SetGeometricScaling(kSet0, V(2, 2, 2));
             n->SetGeometricRotation(kSet0, V(0, 0, 90));
             n->SetGeometricTranslation(kSet0, V(1, 2, 3));
         },
         V(11, 4, 3)},
        {"target geometric, taken back first",
         [](KQelNode* n) {
             n->SetPivotState(kSet1, KQelNode::ePivotActive);
             n->SetGeometricScaling(kSet1, V(1, 1, 4));
             n->SetGeometricTranslation(kSet1, V(0, 0, 5));
         },
         V(11, 0, -1.25)},
        {"inactive sets play no part",
         [](KQelNode* n) {
             n->SetGeometricTranslation(kSet0, V(7, 7, 7));
             n->SetGeometricScaling(kSet1, V(3, 3, 3));
         },
         V(11, 0, 0)},
    };
    for (const Case& c : cases) {
        KQelNode* node = mManager.CreateKQelNode("Mesh");
        KQelMesh* mesh = AttachMesh(mManager, node, {V(1, 0, 0, 1), V(0, 0, 0, 1)}, pivot);
        c.setUp(node);
        node->ConvertPivotAnimationRecursive(kSet1, 24.0, false);
        EXPECT_TRUE(Near3(mesh->GetControlPoints()[0], c.expected, 1e-9)) << c.what;
        KQelXMatrix stored;
        mesh->GetPivot(stored);
        EXPECT_TRUE(stored == KQelXMatrix()) << c.what << ": the points are not moved again by writers";
    }
    // An unusable rate leaves the geometry alone too.
    KQelNode* node = mManager.CreateKQelNode("Mesh");
    KQelMesh* mesh = AttachMesh(mManager, node, {V(1, 0, 0, 1)}, pivot);
    node->ConvertPivotAnimationRecursive(kSet1, 0.0, false);
    EXPECT_TRUE(Near3(mesh->GetControlPoints()[0], V(1, 0, 0), 0.0));
}

TEST_F(PivotConvert, OlderConversionMovesOnlyTheGeometryPivot)
{
    struct Case {
        const char* what;
        std::function<void(KQelNode*)> setUp;
        KQelVector4 move;  // of the pivot's translation
    } cases[] = {
        // -(1, 2, 4) divided by the scaling (2, 1, 0 read as 1), turned back
        // by the source's post-rotation of 90 about Z.
        {"source pivot",
         [](KQelNode* n) {
             n->SetPivotState(kSet0, KQelNode::ePivotActive);
             n->SetRotationPivot(kSet0, V(1, 2, 4));
             n->SetPostRotation(kSet0, V(0, 0, 90));
             n->SetDefaultS(V(2, 1, 0));
         },
         V(-2, 0.5, -4)},
        {"target pivot",
         [](KQelNode* n) {
             n->SetPivotState(kSet1, KQelNode::ePivotActive);
             n->SetRotationPivot(kSet1, V(1, 0, 0));
             n->SetPostRotation(kSet1, V(0, 0, 90));
         },
         V(1, 0, 0)},
    };
    for (const Case& c : cases) {
        KQelNode* node = mManager.CreateKQelNode("Mesh");
        KQelMesh* mesh = AttachMesh(mManager, node, {V(1, 0, 0, 1)}, KQelXMatrix(V(3, 3, 3), V(0, 0, 0), V(1, 1, 1)));
        c.setUp(node);
        node->ConvertPivotAnimation(kSet1, 24.0, false);
        KQelXMatrix pivot;
        mesh->GetPivot(pivot);
        EXPECT_TRUE(Near3(pivot.GetT(), V(3, 3, 3) + c.move, 1e-9)) << c.what;
        EXPECT_TRUE(Near3(mesh->GetControlPoints()[0], V(1, 0, 0), 0.0)) << c.what;
    }
}

}  // namespace
}  // namespace qelsdk_600
