#include <gtest/gtest.h>

#include "content/kqelmarker.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

typedef KQelLimitsUtilities U;

TEST(KQelLimits, FlagsAndFourComponentBounds)
{
    KQelLimits limits;
    EXPECT_FALSE(limits.GetLimitSomethingActive());
    EXPECT_EQ(limits.GetLimitMin()[3], 0.0);
    limits.SetLimitMin(V(1, 2, 3, 4));
    EXPECT_EQ(limits.GetLimitMin()[3], 4.0);
    limits.SetLimitMaxActive(false, false, true);
    EXPECT_TRUE(limits.GetLimitSomethingActive());

    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Node");
    node->GetLimits().SetRotationLimitActive(true);
    EXPECT_TRUE(node->GetRotationActive());
    node->SetRotationActive(false);
    EXPECT_FALSE(node->GetLimits().GetRotationLimitActive());
    KQelNodeLimits free(nullptr);
    free.SetRotationLimitActive(true);
    EXPECT_TRUE(free.GetRotationLimitActive());
}

TEST(KQelLimitsUtilities, EditsByLimitType)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Node");
    KQelNodeLimits& limits = node->GetLimits();
    U utilities(&limits);

    // Enabling turns all six flags on only when none is on; disabling all off.
    limits.mTranslationLimits.SetLimitMinActive(true, false, false);
    utilities.SetEnable(U::eTranslation, true);
    bool x, y, z;
    limits.mTranslationLimits.GetLimitMaxActive(x, y, z);
    EXPECT_FALSE(x || y || z);
    utilities.SetEnable(U::eTranslation, false);
    EXPECT_FALSE(utilities.GetEnable(U::eTranslation));
    utilities.SetEnable(U::eScaling, true);
    limits.mScalingLimits.GetLimitMaxActive(x, y, z);
    EXPECT_TRUE(x && y && z);

    utilities.SetAuto(U::eRotation, false);
    EXPECT_TRUE(limits.GetRotationLimitActive());
    EXPECT_TRUE(node->GetRotationActive());
    EXPECT_TRUE(node->GetUseRotationSpaceForLimitOnly(kSet0));
    node->SetUseRotationSpaceForLimitOnly(kSet0, false);
    utilities.SetAuto(U::eRotation, true);
    EXPECT_FALSE(node->GetRotationActive());
    EXPECT_FALSE(node->GetUseRotationSpaceForLimitOnly(kSet0));

    utilities.SetRotationType(U::eSphericRotation);
    EXPECT_EQ(utilities.GetRotationType(), U::eSphericRotation);
    EXPECT_EQ(utilities.GetRotationClampType(), U::eEllipsoidClamp);
    utilities.SetRotationType(static_cast<U::ERotationType>(5));
    ERotationOrder order;
    node->GetRotationOrder(kSet0, order);
    EXPECT_EQ(order, eEulerXYZ);

    utilities.SetDefault(U::eScaling, V(2, 2, 2));
    EXPECT_EQ(utilities.GetMax(U::eScaling)[1], 2.0);
    utilities.SetDefault(U::eRotation, V(0, 45, 0, 1));
    EXPECT_EQ(node->GetPreRotation(kSet0)[1], 45.0);
    utilities.SetRotationAxis(V(0, 0, 10, 1));
    EXPECT_EQ(node->GetPostRotation(kSet0)[2], 10.0);

    const U::ELimitType bad = static_cast<U::ELimitType>(3);
    utilities.SetMin(bad, V(9, 9, 9, 9));
    EXPECT_TRUE(Near3(utilities.GetMin(bad), V(0, 0, 0)));
    EXPECT_TRUE(utilities.GetAuto(bad));
    EXPECT_FALSE(utilities.GetEnable(bad));

    // Without limits nothing is reached.
    U none(nullptr);
    none.SetAuto(U::eRotation, false);
    none.SetRotationType(U::eSphericRotation);
    none.UpdateAutomatic(node);
    EXPECT_EQ(none.GetRotationType(), U::eEulerRotation);
    EXPECT_TRUE(none.GetAuto(U::eTranslation));
}

class AutomaticLimits : public ::testing::Test {
protected:
    void SetUp() override
    {
        mParent = mManager.CreateKQelNode("Parent");
        mNode = AddChildren(mManager, mParent, 1, "Bone")[0];
        mBone = mManager.CreateKQelSkeleton();
        mBone->SetSkeletonType(KQelSkeleton::eLimbNode);
        mNode->SetNodeAttribute(mBone);
    }

    KQelSdkManager mManager;
    KQelNode* mParent;
    KQelNode* mNode;
    KQelSkeleton* mBone;
};

TEST_F(AutomaticLimits, ABoneAimsAtItsFarthestChild)
{
    struct Case {
        KQelVector4 position;
        ERotationOrder order;
    } cases[] = {{V(5, 0, 0), eEulerXYZ}, {V(0, 0, 0), eSphericXYZ}};
    KQelNode* marker = AddChildren(mManager, mNode, 1, "Marker")[0];
    KQelNode* near = AddChildren(mManager, mNode, 1, "Near")[0];
    FakeAttribute meshAttribute(mManager, KQelNodeAttribute::eMesh);
    marker->SetNodeAttribute(mManager.CreateKQelMarker());
    near->SetNodeAttribute(&meshAttribute);
    marker->SetDefaultT(V(0, 10, 0));
    near->SetDefaultT(V(0, 0, 3));
    for (const Case& c : cases) {
        mNode->SetDefaultT(c.position);
        mNode->SetCurrentTakeNode(0);  // forget the cached matrices
        U utilities(&mNode->GetLimits());
        EXPECT_TRUE(Near3(utilities.GetEndPointTranslation(mNode), V(0, 10, 0)));
        utilities.UpdateAutomatic(mNode);
        EXPECT_DOUBLE_EQ(utilities.GetAxisLength(), 10.0);
        ERotationOrder order;
        mNode->GetRotationOrder(kSet0, order);
        EXPECT_EQ(order, c.order);
        // Aiming the X axis at +Y is a quarter turn about Z, relative to both
        // the parent's rotation and the node's own.
        EXPECT_TRUE(Near3(mNode->GetPreRotation(kSet0), V(0, 0, 90), 1e-9));
        EXPECT_TRUE(Near3(mNode->GetPostRotation(kSet0), V(0, 0, 90), 1e-9));
        EXPECT_TRUE(Near3(mNode->GetLimits().mTranslationLimits.GetLimitMax(), c.position));
        EXPECT_TRUE(Near3(mNode->GetLimits().mScalingLimits.GetLimitMin(), V(1, 1, 1)));
    }
    near->SetNodeAttribute(nullptr);
}

TEST_F(AutomaticLimits, ALeafKeepsItsOwnFrameAndRootsOrLimitedNodesAreLeftAlone)
{
    mNode->SetDefaultR(V(0, 0, 30));
    U utilities(&mNode->GetLimits());
    EXPECT_TRUE(Near3(utilities.GetEndPointTranslation(mNode), V(0, 0, 0)));
    EXPECT_EQ(utilities.GetEndPointTranslation(mNode)[3], 1.0);
    utilities.UpdateAutomatic(mNode);
    EXPECT_TRUE(Near3(mNode->GetPostRotation(kSet0), V(0, 0, 0), 1e-9));
    EXPECT_TRUE(Near3(mNode->GetPreRotation(kSet0), V(0, 0, 30), 1e-9));
    EXPECT_EQ(utilities.GetAxisLength(), 0.0);

    mNode->SetDefaultT(V(1, 2, 3));
    mNode->SetCurrentTakeNode(0);
    mNode->GetLimits().SetTranslationLimitActive(true);
    mNode->GetLimits().SetRotationLimitActive(true);
    mNode->GetLimits().SetScalingLimitActive(true);
    utilities.UpdateAutomatic(mNode);
    EXPECT_TRUE(Near3(mNode->GetLimits().mTranslationLimits.GetLimitMin(), V(0, 0, 0)));
    U rootUtilities(&mParent->GetLimits());
    rootUtilities.UpdateAutomatic(mParent);
    EXPECT_TRUE(Near3(mParent->GetLimits().mTranslationLimits.GetLimitMin(), V(0, 0, 0)));
    EXPECT_EQ(rootUtilities.GetAxisLength(), 1.0);
}

}  // namespace
}  // namespace qelsdk_600
