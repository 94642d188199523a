#include <gtest/gtest.h>

#include "curves/kfcurvenode.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

KQelUserProperty* AddUserProperty(KQelSdkManager& pManager, KQelGenericNode& pNode, const char* pName,
                                  const char* pType, bool pAnimatable)
{
    KQelUserProperty* property = pManager.CreateKQelUserProperty(pName, pType, "");
    property->ModifyFlag(KQelUserProperty::eAnimatable, pAnimatable);
    pNode.AddProperty(property);
    return property;
}

TEST(KQelGenericNode, StartsWithTheDefaultTakeAndAnEmptySet)
{
    KQelSdkManager manager;
    KQelGenericNode* node = manager.CreateKQelGenericNode("Rig");
    ASSERT_EQ(node->GetTakeNodeCount(), 1);
    EXPECT_STREQ(node->GetTakeNodeName(0), "Default");
    EXPECT_EQ(node->GetPropertyHandler()->GetPropertyCount(), 0);
    EXPECT_EQ(node->GetEntity(), nullptr);
    EXPECT_EQ(node->GetNameSpace(), KQelObject::eDeformer);
    EXPECT_STREQ(node->GetTypeFlags().GetStringAt(0), "GenericNode");
    KQelGenericNodeProperties* set = node->GetPropertyHandler();
    EXPECT_EQ(set->GetKQelObject(), node);
    EXPECT_TRUE(set->Is(KQelPropertyHandler::ClassId));
    EXPECT_STREQ(set->GetClassIdName(), "KQelGenericNodeProperties");
}

// Channels are rebuilt from the set: only animatable user properties get
// curves, and the take failures land in the generic node's own record.
TEST(KQelGenericNode, RebuildsChannelsOfAnimatablePropertiesOnly)
{
    KQelSdkManager manager;
    KQelGenericNode* node = manager.CreateKQelGenericNode("Rig");
    AddUserProperty(manager, *node, "Weight", "Real", true);
    AddUserProperty(manager, *node, "Tint", "Color", true);
    AddUserProperty(manager, *node, "Locked", "Bool", false);
    node->Reset();  // the Default take anew, through AddChannels
    KFCurveNode* root = node->GetDefaultTakeNode()->GetKFCurveNode();
    EXPECT_GE(root->Find("Weight"), 0);
    ASSERT_GE(root->Find("Tint"), 0);
    EXPECT_EQ(root->Get(root->Find("Tint"))->GetCount(), 3);
    EXPECT_EQ(root->Find("Locked"), -1);
    EXPECT_EQ(node->GetDefaultTakeCallbackCount(), 4);

    EXPECT_FALSE(node->RemoveTakeNode(0));
    EXPECT_EQ(node->GetLastErrorID(), 0);
    EXPECT_STREQ(node->GetLastErrorString(), "Cannot remove default take node");
}

// A store counts uses; the generic node's own moves take it out of a store
// completely, so no store keeps it once it points elsewhere or ends.
TEST(KQelGenericNode, MovesBetweenStoresAndLeavesTheLastWhenItEnds)
{
    KQelSdkManager manager;
    KQelEntity first(manager);
    KQelEntity second(manager);
    KQelGenericNode* node = manager.CreateKQelGenericNode("Rig");
    auto uses = [node](KQelEntity& pEntity) {
        return pEntity.GetReferenceUseCount(KQelEntity::eGenericNodes, node);
    };
    EXPECT_TRUE(node->SetEntity(&first));
    EXPECT_TRUE(node->SetEntity(&first));
    EXPECT_EQ(uses(first), 1);
    EXPECT_EQ(node->GetEntity(), &first);
    first.AddGenericNode(node);  // a second use, added by the store's owner
    EXPECT_TRUE(node->SetEntity(&second));
    EXPECT_EQ(uses(first), 0);
    EXPECT_EQ(first.GetGenericNodeCount(), 0);
    EXPECT_EQ(uses(second), 1);
    EXPECT_EQ(second.GetGenericNode(0), node);
    EXPECT_TRUE(node->SetEntity(nullptr));
    EXPECT_EQ(uses(second), 0);
    EXPECT_EQ(node->GetEntity(), nullptr);

    node->SetEntity(&second);
    second.AddGenericNode(node);
    EXPECT_TRUE(manager.DestroyKQelGenericNode(node));
    EXPECT_EQ(second.GetGenericNodeCount(), 0);
}

}  // namespace
}  // namespace qelsdk_600
