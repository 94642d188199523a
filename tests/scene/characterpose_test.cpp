#include <gtest/gtest.h>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

TEST(KQelCharacterPose, NewPoseHoldsAnEmptyTreeAndOneCharacter)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelCharacterPose* pose = scene->GetCharacterPose(scene->CreateCharacterPose("Model::Snap"));
    EXPECT_STREQ(pose->GetName(), "Pose::Snap");
    EXPECT_EQ(pose->GetNameSpace(), KQelObject::eCharacterPose);
    ASSERT_NE(pose->GetRootNode(), nullptr);
    EXPECT_NE(pose->GetRootNode(), scene->GetRootNode());
    EXPECT_EQ(pose->GetRootNode()->GetChildCount(), 0);
    ASSERT_NE(pose->GetCharacter(), nullptr);
    EXPECT_STREQ(pose->GetCharacter()->GetName(), "Constraint::PoseCharacter");

    // Reset drops the tree and makes a fresh character.
    pose->GetRootNode()->AddChild(manager.CreateKQelNode("Stray"));
    pose->Reset();
    EXPECT_EQ(pose->GetRootNode()->GetChildCount(), 0);
    EXPECT_EQ(manager.FindKQelNode("Stray"), nullptr);
    EXPECT_NE(pose->GetCharacter(), nullptr);
}

// The source: Root -> Hips -> Spine, plus a node outside its tree.
TEST(KQelCharacterPose, AssignmentRebindsTheCharacterToTheCopiedNodes)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelCharacterPose* source = scene->GetCharacterPose(scene->CreateCharacterPose("Source"));
    KQelCharacterPose* target = scene->GetCharacterPose(scene->CreateCharacterPose("Target"));
    KQelNode* hips = manager.CreateKQelNode("Hips");
    KQelNode* spine = manager.CreateKQelNode("Spine");
    KQelNode* outside = manager.CreateKQelNode("Outside");
    source->GetRootNode()->AddChild(hips);
    hips->AddChild(spine);

    KQelCharacter* character = source->GetCharacter();
    KQelCharacterLink link;
    link.mNode = hips;
    link.mOffsetT = KQelVector4(5, 6, 7, 1);
    ASSERT_TRUE(character->SetCharacterLink(ECharacterNodeId(1), link, true));
    link.mNode = outside;
    ASSERT_TRUE(character->SetCharacterLink(ECharacterNodeId(2), link, true));
    KQelControlSet& controls = *character->GetControlSet();
    KQelEffector effector;
    effector.mNode = spine;
    effector.mRActive = true;
    ASSERT_TRUE(controls.SetEffector(EEffectorNodeId(0), effector));
    ASSERT_TRUE(controls.SetEffectorAux(EEffectorNodeId(3), spine, eEffectorSetAux1));
    KQelControlSetLink controlLink;
    controlLink.mNode = hips;
    ASSERT_TRUE(controls.SetControlSetLink(ECharacterNodeId(0), controlLink));
    controlLink.mNode = outside;
    controlLink.mTemplateName = "Kept";
    ASSERT_TRUE(controls.SetControlSetLink(ECharacterNodeId(4), controlLink));
    controls.SetLockTransform(true);
    character->GetFilterSet()->SetParameterValue(0, 42.5);

    *target = *source;
    EXPECT_STREQ(target->GetName(), "Pose::Source");
    KQelNode* hipsCopy = target->GetRootNode()->GetChild(0);
    ASSERT_NE(hipsCopy, nullptr);
    ASSERT_NE(hipsCopy, hips);
    EXPECT_STREQ(hipsCopy->GetName(), "Model::Hips");
    KQelNode* spineCopy = hipsCopy->GetChild(0);
    ASSERT_NE(spineCopy, nullptr);
    EXPECT_STREQ(spineCopy->GetName(), "Model::Spine");
    EXPECT_EQ(target->GetRootNode()->GetChildCount(true), 2);

    KQelCharacter* copy = target->GetCharacter();
    KQelCharacterLink copied;
    ASSERT_TRUE(copy->GetCharacterLink(ECharacterNodeId(1), &copied));
    EXPECT_EQ(copied.mNode, hipsCopy);
    EXPECT_TRUE(copied.mOffsetT == KQelVector4(5, 6, 7, 1));
    EXPECT_FALSE(copy->GetCharacterLink(ECharacterNodeId(2), nullptr));  // no namesake below the root

    KQelControlSet& copiedControls = *copy->GetControlSet();
    KQelEffector copiedEffector;
    ASSERT_TRUE(copiedControls.GetEffector(EEffectorNodeId(0), &copiedEffector));
    EXPECT_EQ(copiedEffector.mNode, spineCopy);
    EXPECT_TRUE(copiedEffector.mRActive);
    KQelNode* aux = nullptr;
    ASSERT_TRUE(copiedControls.GetEffectorAux(EEffectorNodeId(3), &aux, eEffectorSetAux1));
    EXPECT_EQ(aux, spineCopy);
    ASSERT_TRUE(copiedControls.GetControlSetLink(ECharacterNodeId(0), &controlLink));
    EXPECT_EQ(controlLink.mNode, hipsCopy);
    ASSERT_TRUE(copiedControls.GetControlSetLink(ECharacterNodeId(4), &controlLink));
    EXPECT_EQ(controlLink.mNode, nullptr);
    EXPECT_STREQ(controlLink.mTemplateName.Buffer(), "Kept");
    EXPECT_TRUE(copiedControls.GetLockTransform());
    EXPECT_EQ(copy->GetFilterSet()->GetParameterValue(0), 42.5);

    // Copies die with their pose, the source's nodes stay.
    const int nodes = manager.GetKQelNodeCount();
    *source = *source;
    EXPECT_EQ(manager.GetKQelNodeCount(), nodes);
    scene->DestroyCharacterPose(1);
    EXPECT_EQ(manager.FindKQelNode("Hips", 1), nullptr);
    EXPECT_EQ(manager.FindKQelNode("Hips", 0), hips);
}

}  // namespace
}  // namespace qelsdk_600
