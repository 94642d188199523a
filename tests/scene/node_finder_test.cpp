#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

std::vector<KQelNode*> Preorder(KQelNode* pRoot)
{
    std::vector<KQelNode*> nodes{pRoot};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        // Insert each node's children right after it, in order.
        std::vector<KQelNode*> children;
        for (int c = 0; c < nodes[i]->GetChildCount(); ++c)
            children.push_back(nodes[i]->GetChild(c));
        nodes.insert(nodes.begin() + static_cast<long>(i) + 1, children.begin(), children.end());
    }
    return nodes;
}

bool Contains(const std::vector<KQelNode*>& pNodes, KQelNode* pNode)
{
    for (KQelNode* node : pNodes) {
        if (node == pNode)
            return true;
    }
    return false;
}

// The node-name check as plain scans: a node clashes with another node of
// the target's tree below its root (names matched as FindChild does) or,
// failing that, with another node seen earlier (exact names).
struct ReferenceFinder {
    KQelEntity* mEntity = nullptr;
    bool mCheckNames = true;
    std::vector<KQelNode*> mFound, mSeen, mDuplicates;

    void Apply(KQelNode* pRoot)
    {
        std::vector<KQelNode*> target;
        if (mEntity && mEntity->GetRootNode()) {
            target = Preorder(mEntity->GetRootNode());
            target.erase(target.begin());
        }
        for (KQelNode* node : Preorder(pRoot)) {
            bool duplicate = false;
            if (mCheckNames) {
                const KString key = KQelSdkManager::PrefixName("Model::", node->GetName());
                for (KQelNode* other : target)
                    duplicate = duplicate || (other != node && key == other->GetName());
                for (KQelNode* other : mSeen)
                    duplicate = duplicate || (other != node && std::strcmp(other->GetName(), node->GetName()) == 0);
                if (duplicate) {
                    mDuplicates.push_back(node);
                    mFound.push_back(node);
                }
            }
            if (!Contains(mSeen, node))
                mSeen.push_back(node);
        }
    }
};

std::vector<KQelNode*> ToVector(KArrayTemplate<KQelNode*>& pArray)
{
    return std::vector<KQelNode*>(pArray.GetArray(), pArray.GetArray() + pArray.GetCount());
}

TEST(KQelNodeFinderDuplicateName, MatchesABruteForceReferenceOnRandomTrees)
{
    std::mt19937 random(17);
    const char* const names[] = {"A", "B", "C", "Other::A", "B"};
    int clashes = 0;
    for (int trial = 0; trial < 150; ++trial) {
        KQelSdkManager manager;
        KQelEntity entity(manager);
        std::vector<KQelNode*> nodes{entity.GetRootNode()};
        KQelNode* loose = manager.CreateKQelNode("Loose");
        std::vector<KQelNode*> looseNodes{loose};
        const int count = 2 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) {
            KQelNode* node = manager.CreateKQelNode(names[random() % 5]);
            if (random() % 4 == 0)
                node->SetInitialName(names[random() % 5]);  // no "Model::" prefix at all
            std::vector<KQelNode*>& pool = random() % 2 ? nodes : looseNodes;
            pool[random() % pool.size()]->AddChild(node);
            pool.push_back(node);
        }
        // Walk the loose tree, or a subtree already in the target.
        KQelNode* walked = random() % 3 ? loose : nodes[random() % nodes.size()];
        const bool bound = random() % 4 != 0;
        const bool checkNames = random() % 5 != 0;
        KQelNodeFinderDuplicateName finder(bound ? &entity : nullptr);
        finder.SetState(0, checkNames);
        ReferenceFinder reference;
        reference.mEntity = bound ? &entity : nullptr;
        reference.mCheckNames = checkNames;
        for (int pass = 0; pass < 1 + trial % 2; ++pass) {  // a second walk accumulates
            finder.Apply(*walked);
            reference.Apply(walked);
        }
        EXPECT_EQ(ToVector(finder.GetFoundArray()), reference.mFound) << trial;
        EXPECT_EQ(ToVector(finder.GetNodeArray()), reference.mSeen) << trial;
        EXPECT_EQ(ToVector(finder.GetDuplicateNodeArray()), reference.mDuplicates) << trial;
        EXPECT_EQ(finder.GetRootNode(), walked);
        clashes += finder.GetDuplicateNodeArray().GetCount();
    }
    EXPECT_GT(clashes, 100);  // the trees do clash
}

TEST(KQelNodeFinderDuplicateName, SwitchesAndGenericNodes)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNodeFinderDuplicateName finder(&entity);
    const bool expected[] = {true, false, false, false, true};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(finder.GetState(i), expected[i]) << i;
    finder.SetState(7, true);
    EXPECT_FALSE(finder.GetState(7));
    EXPECT_FALSE(finder.GetState(-1));

    KQelNode* generic = manager.CreateKQelNode("Settings");  // stands in for a generic node
    entity.AddReference(KQelEntity::eGenericNodes, generic);
    EXPECT_TRUE(finder.CheckGenericNodeName("Model::Settings"));
    EXPECT_FALSE(finder.CheckGenericNodeName("Settings"));
    EXPECT_FALSE(finder.CheckGenericNodeName(nullptr));
    finder.SetState(4, false);
    EXPECT_FALSE(finder.CheckGenericNodeName("Model::Settings"));
    EXPECT_EQ(finder.GetDuplicateGenericNodeArray().GetCount(), 1);
    finder.Reset();
    EXPECT_EQ(finder.GetDuplicateGenericNodeArray().GetCount(), 0);
}

// ---- Bad scale ----

TEST(KQelNodeFinderBadScale, CheckValueAppliesTheSwitchesInOrder)
{
    KQelNodeFinderBadScale finder;
    finder.SetEpsilon(1e-6);
    struct Case {
        bool bone, negative, nonUniform;
        std::vector<double> values;
        int result;
    } cases[] = {
        {true, true, true, {}, 0},
        {true, true, true, {1, 1, 1}, 0},
        {true, true, true, {1, 1, 1.0000001}, 0},
        {true, true, true, {2, 2, 2}, 1},
        {true, true, true, {-1, -1, -1}, 1},  // the bone test comes first
        {false, true, true, {1, -1, 1}, 2},
        {false, true, true, {1, 2, 1}, 3},
        {false, false, true, {1, -1, 1}, 3},
        {false, false, false, {5, -1, 0}, 0},
    };
    for (const Case& c : cases) {
        finder.SetCheckBoneScale(c.bone);
        finder.SetCheckNegativeScale(c.negative);
        finder.SetCheckNonUniformScale(c.nonUniform);
        EXPECT_EQ(finder.CheckValue(c.values.data(), static_cast<int>(c.values.size())), c.result);
    }
}

TEST(KQelNodeFinderBadScale, StaticScalingIsFiledByKindAndChildren)
{
    struct Case {
        KQelVector4 scaling;
        bool children;
        bool negative, nonUniform;
    } cases[] = {
        {V(1, 1, 1), true, false, false},  {V(1, 2, 1), false, false, false},
        {V(1, 2, 1), true, false, true},   {V(1, -1, 1), false, true, false},
        {V(1, -1, 1), true, true, false},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelNode* node = manager.CreateKQelNode("Node");
        node->SetDefaultS(c.scaling);
        if (c.children)
            AddChildren(manager, node, 1);
        KQelNodeFinderBadScale finder;
        finder.Apply(*node);
        EXPECT_EQ(finder.NegativeScaleStaticNodeArray().GetCount(), c.negative ? 1 : 0);
        EXPECT_EQ(finder.NonUniformScaleStaticNodeArray().GetCount(), c.nonUniform ? 1 : 0);
        EXPECT_EQ(finder.BoneScaleStaticNodeArray().GetCount(), 0);  // no skeleton
        EXPECT_EQ(finder.GetFoundArray().GetCount() > 0, c.negative || c.nonUniform);
    }
}

TEST(KQelNodeFinderBadScale, BonesWithChildrenMustKeepUnitScaling)
{
    struct Case {
        KQelVector4 scaling;
        bool children;
        int bones;
    } cases[] = {{V(1, 1, 1), true, 0}, {V(2, 2, 2), true, 1}, {V(2, 2, 2), false, 0}};
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelNode* node = manager.CreateKQelNode("Bone");
        FakeAttribute skeleton(manager, KQelNodeAttribute::eSkeleton);
        node->SetNodeAttribute(&skeleton);
        node->SetDefaultS(c.scaling);
        if (c.children)
            AddChildren(manager, node, 1);
        KQelNodeFinderBadScale finder;
        finder.Apply(*node);
        EXPECT_EQ(finder.BoneScaleStaticNodeArray().GetCount(), c.bones);
        EXPECT_EQ(finder.NonUniformScaleStaticNodeArray().GetCount(), 0);
        EXPECT_TRUE(finder.GetCheckBoneScale());  // switched back after the node
        node->SetNodeAttribute(nullptr);
    }
}

TEST(KQelNodeFinderBadScale, AnimatedScalingOfTheCurrentTake)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Node");
    node->CreateTakeNode("Take");
    KQelNodeFinderBadScale finder;
    finder.Apply(*node);
    EXPECT_EQ(finder.GetFoundArray().GetCount(), 0);

    // Keys at 1 and 1.5 s with cubic interpolation through a dip: the dip is
    // only seen by sampling between keys.
    node->SetCurrentTakeNode("Take");
    KFCurve* y = node->GetCurrentTakeNode()->GetScaleY();
    y->KeySet(y->KeyAdd(Seconds(1.0)), Seconds(1.0), 1.0f, kFCurveInterpolationLinear);
    y->KeySet(y->KeyAdd(Seconds(1.25)), Seconds(1.25), -0.5f, kFCurveInterpolationLinear);
    y->KeySet(y->KeyAdd(Seconds(1.5)), Seconds(1.5), 1.0f, kFCurveInterpolationLinear);
    finder.Reset();
    finder.Apply(*node);
    EXPECT_EQ(finder.NegativeScaleAnimatedNodeArray().GetCount(), 1);
    EXPECT_EQ(finder.NegativeScaleStaticNodeArray().GetCount(), 0);
}

TEST(KQelNodeFinderBadScale, HostileChannelsEndWithoutReports)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Node");
    AddChildren(manager, node, 1);
    KQelTakeNode* take = node->CreateTakeNode("Take");
    node->SetCurrentTakeNode("Take");
    KFCurveNode* scaling = take->GetKFCurveNode()->FindRecursive("S");
    // Ten children under "S", the extra ones far off scale.
    for (int i = 0; i < 7; ++i) {
        KFCurveNode* extra = scaling->FindOrCreate(("W" + std::to_string(i)).c_str(), true);
        extra->FCurveGet()->SetValue(-50.0f);
    }
    // Keys one tick apart just below the largest time, and keys spanning
    // nearly the whole time line.
    KFCurve* x = take->GetScaleX();
    const kLongLong top = KTIME_INFINITE.Get();
    x->KeySet(x->KeyAdd(KTime(top - 1)), KTime(top - 1), 1.0f, kFCurveInterpolationConstant);
    x->KeySet(x->KeyAdd(KTime(top)), KTime(top), 1.0f, kFCurveInterpolationConstant);
    KFCurve* z = take->GetScaleZ();
    z->KeySet(z->KeyAdd(KTime(-top)), KTime(-top), 1.0f, kFCurveInterpolationConstant);
    z->KeySet(z->KeyAdd(KTime(top)), KTime(top), 1.0f, kFCurveInterpolationConstant);
    KQelNodeFinderBadScale finder;
    finder.Apply(*node);
    EXPECT_EQ(finder.GetFoundArray().GetCount(), 0);

    // A take without "Y" under "S", then without "S" at all.
    scaling->Delete(scaling->Find("Y"));
    finder.Apply(*node);
    take->GetKFCurveNode()->FindRecursive("Transform")->Delete(scaling);
    finder.Apply(*node);
    EXPECT_EQ(finder.GetFoundArray().GetCount(), 0);
    // The transform still reads, with the missing scaling as 1.
    KQelXMatrix& local = node->GetLocalFromCurrentTake(Seconds(0));
    EXPECT_TRUE(Near3(local.GetS(), V(1, 1, 1)));
}

TEST(KQelNodeFinderBadScale, ZeroScaledParentsGiveFiniteMatrices)
{
    KQelSdkManager manager;
    KQelNode* root = manager.CreateKQelNode("Root");
    KQelNode* child = AddChildren(manager, root, 1)[0];
    root->SetDefaultS(V(0, 0, 0));
    root->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotActive);
    root->SetRotationPivot(KQelNode::eSourcePivot, V(1, 1, 1, 1));
    child->SetDefaultT(V(1, 2, 3));
    const KQelVector4 values[] = {child->GetGlobalT(KQelNode::eSourcePivot, true),
                                  child->GetGlobalR(KQelNode::eSourcePivot, false),
                                  child->GetGlobalS(KQelNode::eSourcePivot, false),
                                  child->GetGlobalFromDefaultTake().GetR()};
    for (const KQelVector4& value : values) {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(std::isfinite(value[i]));
    }
}

}  // namespace
}  // namespace qelsdk_600
