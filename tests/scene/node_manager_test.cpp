#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelnull.h"
#include "scene/kqelsdkmanager.h"
#include "common/small_stack.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

TEST(NodeManager, CreateFindAndDestroy)
{
    KQelSdkManager manager;
    KQelNode* first = manager.CreateKQelNode("Material::Cube");
    KQelNode* second = manager.CreateKQelNode("Cube");
    EXPECT_STREQ(first->GetName(), "Model::Cube");
    EXPECT_EQ(manager.FindKQelNode("Cube"), first);
    EXPECT_EQ(manager.FindKQelNode("Cube", 1), second);
    EXPECT_EQ(manager.FindKQelNode("Cube", 2), nullptr);
    EXPECT_EQ(manager.FindKQelNode("Cube", -1), nullptr);
    EXPECT_EQ(manager.GetKQelNodeCount(), 2);
    // Each node publishes its 54 properties; they end with it.
    EXPECT_EQ(manager.GetKQelUserPropertyCount(), 2 * 54);
    KQelNode* third = manager.CreateKQelNode("Third");
    EXPECT_TRUE(manager.DestroyKQelNode(third, false));
    EXPECT_EQ(manager.GetKQelUserPropertyCount(), 2 * 54);
    EXPECT_EQ(manager.FindKQelUserProperty("No such"), nullptr);

    std::vector<KQelNode*> children = AddChildren(manager, first, 3);
    AddChildren(manager, children[1], 2);
    for (KQelNode* child : children)
        child->SetNodeAttribute(manager.CreateKQelNull());
    EXPECT_TRUE(manager.DestroyKQelNode(first, true));
    EXPECT_EQ(manager.GetKQelNodeCount(), 1);
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 0);
    EXPECT_FALSE(manager.DestroyKQelNode(first, true));
    EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");

    // Without recursion the children stay, parentless.
    std::vector<KQelNode*> kept = AddChildren(manager, second, 2);
    EXPECT_TRUE(manager.DestroyKQelNode(second, false));
    EXPECT_EQ(kept[0]->GetParent(), nullptr);
    EXPECT_EQ(manager.GetKQelNodeCount(), 2);
}

// Records every node it is asked to destroy; refuses mRefused, leaving it.
struct OrderManager : KQelSdkManager {
    bool DestroyKQelNode(KQelNode* pNode, bool pRecursive) override
    {
        mAsked += std::string(pNode->GetName() + 7) + " ";
        return pNode != mRefused && KQelSdkManager::DestroyKQelNode(pNode, pRecursive);
    }
    std::string mAsked;
    KQelNode* mRefused = nullptr;
};

TEST(NodeManager, RecursiveDestroyEndsEachNodeAfterItsSubtreeLastSiblingFirst)
{
    // Top has A (A0, A1) and B (B0); A0 refuses: it is passed over, A's
    // subtree ends all the same, and A, still holding it, asks again.
    OrderManager manager;
    KQelNode* top = manager.CreateKQelNode("Top");
    KQelNode* a = manager.CreateKQelNode("A");
    top->AddChild(a);
    top->AddChild(manager.CreateKQelNode("B"));
    manager.mRefused = AddChildren(manager, a, 2, "A")[0];
    AddChildren(manager, top->GetChild(1), 1, "B");
    EXPECT_FALSE(manager.DestroyKQelNode(top, true));
    EXPECT_EQ(manager.mAsked, "Top B0 B A1 A0 A A0 ");
    EXPECT_EQ(manager.GetKQelNodeCount(), 1);
    EXPECT_EQ(manager.mRefused->GetParent(), nullptr);
}

using smallstack::OnSmallStack;

struct Chain {
    KQelSdkManager* mManager;
    KQelEntity* mEntity;
    std::vector<KQelNode*> mLinks;
    int mCountRecursive = 0, mCountAfterRemoval = 0, mCountAfterReturn = 0;
    double mGlobal = 0, mTakeGlobal = 0;
    bool mDestroyed = false;
};

TEST(NodeManager, DeepChainsNeitherRecurseNorLoseStep)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    Chain chain{&manager, &entity, {}};
    const int depth = 4000;
    for (int i = 0; i < depth; ++i) {
        chain.mLinks.push_back(manager.CreateKQelNode("Link"));
        chain.mLinks.back()->SetDefaultT(V(1, 0, 0));
    }
    OnSmallStack(
        [](void* pChain) {
            Chain& c = *static_cast<Chain*>(pChain);
            KQelNode* root = c.mEntity->GetRootNode();
            KQelNode* tip = root;
            for (KQelNode* link : c.mLinks) {
                tip->AddChild(link);
                tip = link;
            }
            c.mCountRecursive = root->GetChildCount(true);
            c.mGlobal = tip->GetGlobalT(KQelNode::eSourcePivot, true)[0];
            c.mTakeGlobal = tip->GetGlobalFromDefaultTake().GetT()[0];
            tip->ComputeGlobalState(1, false);
            root->ComputeLocalState(1, true);
            root->SetSelected(false, true);
            root->GetSelected(true);
            root->FindChild("Nothing");
            KQelNodeFinderBadScale finder;
            finder.Apply(*root);
            KQelNode* middle = c.mLinks[c.mLinks.size() / 2];
            middle->GetParent()->RemoveChild(middle);  // half the chain leaves the entity
            c.mCountAfterRemoval = c.mEntity->GetNodeCount();
            middle->SetEntity(c.mEntity, false);
            c.mCountAfterReturn = c.mEntity->GetNodeCount();
            c.mDestroyed = c.mManager->DestroyKQelNode(middle, true) && c.mManager->DestroyKQelNode(root, true);
        },
        &chain);
    EXPECT_EQ(chain.mCountRecursive, depth);
    EXPECT_EQ(chain.mGlobal, depth);
    EXPECT_EQ(chain.mTakeGlobal, depth);
    EXPECT_EQ(chain.mCountAfterRemoval, depth / 2 + 1);
    EXPECT_EQ(chain.mCountAfterReturn, depth + 1);
    EXPECT_TRUE(chain.mDestroyed);
    EXPECT_EQ(manager.GetKQelNodeCount(), 0);
    EXPECT_EQ(entity.GetNodeCount(), 0);
}

}  // namespace
}  // namespace qelsdk_600
