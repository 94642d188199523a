#include <gtest/gtest.h>

#include "scene/kqelpath.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

TEST(KQelPath, RecordsChildIndicesFromTheRoot)
{
    KQelSdkManager manager;
    KQelNode* root = manager.CreateKQelNode("Root");
    std::vector<KQelNode*> arms = AddChildren(manager, root, 3, "Arm");
    KQelNode* only = AddChildren(manager, arms[2], 1, "Hand")[0];

    KQelPath rootPath(root);
    EXPECT_EQ(rootPath.GetParentCount(), 0);
    EXPECT_EQ(rootPath.GetParentNode(0), root);
    EXPECT_EQ(rootPath.GetParentNode(-3), root);
    EXPECT_EQ(rootPath.GetNode(), root);

    KQelPath path(only);
    ASSERT_EQ(path.GetParentCount(), 2);
    EXPECT_EQ(path.GetRootNode(), root);
    EXPECT_EQ(path[1], arms[2]);
    EXPECT_EQ(path[2], only);
    EXPECT_STREQ(path.GetParentNodeName(1), "Model::Arm2");
    EXPECT_EQ(path.GetParentNode(3), nullptr);

    // The same place in another tree built alike compares equal.
    KQelNode* other = manager.CreateKQelNode("Other");
    std::vector<KQelNode*> otherArms = AddChildren(manager, other, 3, "Limb");
    KQelPath otherPath(AddChildren(manager, otherArms[2], 1)[0]);
    EXPECT_TRUE(path == otherPath);
    KQelPath copy;
    copy = path;
    EXPECT_EQ(copy.GetNode(), only);
    EXPECT_TRUE(copy == path);
    EXPECT_FALSE(copy == rootPath);

    // A recorded child that is gone reads as null.
    arms[2]->RemoveChild(only);
    EXPECT_EQ(path.GetParentNode(2), nullptr);
    EXPECT_EQ(path.GetParentNodeName(2), nullptr);
    KQelPath empty(nullptr);
    EXPECT_EQ(empty.GetRootNode(), nullptr);
    EXPECT_EQ(empty.GetParentNode(0), nullptr);
}

}  // namespace
}  // namespace qelsdk_600
