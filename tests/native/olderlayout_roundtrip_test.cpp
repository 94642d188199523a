// The older layout written and read back: tree, node settings, targets,
// limits, user properties, takes, poses, characters and character poses.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "olderlayout_test_util.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqellimits.h"
#include "scene/kqelpose.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

const int kHipsTOffsetX = KQelFilterSet::GetParameterIndex("HipsTOffsetX");

// root -> A -> (B -> (D, E), C); B looks at C with an up node D.
struct ModelScene : SceneFixture {
    ModelScene()
    {
        KQelNode* root = scene->GetRootNode();
        a = Add(root, "A");
        b = Add(a, "B");
        c = Add(a, "C");
        d = Add(b, "D");
        e = Add(b, "E");
        c->SetVisibility(false);
        b->SetShadingMode(KQelNode::eTextureShading);
        b->SetCullingType(2);
        b->SetTarget(c);
        b->SetPostTargetRotation(KQelVector4(360.0, 0.0, 0.0, 0.0));
        b->SetTargetUp(d);
        KQelLimitsUtilities limits(&d->GetLimits());
        limits.SetAuto(KQelLimitsUtilities::eScaling, false);
        limits.SetEnable(KQelLimitsUtilities::eScaling, true);
        limits.SetMin(KQelLimitsUtilities::eScaling, KQelVector4(1.0, 1.0, 1.0, 0.0));
        limits.SetMax(KQelLimitsUtilities::eScaling, KQelVector4(1.0, 2.0, 1.0, 0.0));

        KQelUserProperty* weight = manager.CreateKQelUserProperty("Weight (Real)", "Real", "Weight");
        weight->ModifyFlag(KQelUserProperty::eUserProperty, true);
        weight->ModifyFlag(KQelUserProperty::eAnimatable, true);
        e->AddProperty(weight);
        weight->SetDefaultValue(2.5);
        weight->SetLimits(0.0, 10.0);

        for (const char* take : {"Walk", "Run"})
            scene->CreateTake(take);
        AddKey(TakeOf(*a, "Walk")->GetTranslationX(), 1.0, 3.0f);
        AddKey(TakeOf(*a, "Walk")->GetTranslationX(), 2.0, 4.0f);
        AddKey(TakeOf(*e, "Run")->GetScaleZ(), 0.5, 2.0f);

        KQelPose* bind = manager.CreateKQelPose("Bind", true);
        bind->Add("Model::A", KQelMatrix(KQelVector4(1, 2, 3, 0), KQelVector4(), KQelVector4(1, 1, 1, 0)));
        scene->AddPose(bind);
        KQelPose* rest = manager.CreateKQelPose("Rest", false);
        rest->Add("Model::B", KQelMatrix(), true);
        rest->Add("Model::C", KQelMatrix(KQelVector4(0, 5, 0, 0), KQelVector4(90, 0, 0, 0), KQelVector4(2, 2, 2, 0)),
                  false);
        scene->AddPose(rest);

        hero = scene->GetCharacter(scene->CreateCharacter("Hero"));
        KQelCharacterLink hips;
        hips.mNode = a;
        hips.mTemplateName = "HipsTemplate";
        hips.mOffsetT = KQelVector4(1.0, 2.0, 3.0, 1.0);
        hips.mOffsetS = KQelVector4(2.0, 1.0, 1.0, 1.0);
        hero->SetCharacterLink(eCharacterHips, hips, true);
        KQelCharacterLink floor;
        floor.mTemplateName = "FloorOnly";
        floor.mOffsetR = KQelVector4(0.0, 45.0, 0.0, 1.0);
        hero->SetCharacterLink(static_cast<ECharacterNodeId>(68), floor, true);
        KQelFilterSet& filters = *hero->GetFilterSet();
        filters.SetParameterValue(kHipsTOffsetX, 7.5);
        KQelControlSet& controls = *hero->GetControlSet();
        controls.SetType(static_cast<KQelControlSet::EType>(2));
        controls.SetLockTransform(true);
        KQelControlSetLink reference;
        reference.mNode = b;
        reference.mTemplateName = "Ref";
        controls.SetControlSetLink(static_cast<ECharacterNodeId>(67), reference);
        KQelEffector effector;
        effector.mNode = c;
        effector.mShow = false;
        effector.mRActive = true;
        controls.SetEffector(eLeftAnkleEffector, effector);
        controls.SetEffectorAux(eLeftAnkleEffector, d, eEffectorSetAux1);
        KQelCharacter* follower = scene->GetCharacter(scene->CreateCharacter("Follower"));
        follower->SetInput(eCharacterInputCharacter, hero);

        KQelCharacterPose* pose = scene->GetCharacterPose(scene->CreateCharacterPose("Stance"));
        KQelNode* poseNode = manager.CreateKQelNode("PoseHips");
        pose->GetRootNode()->AddChild(poseNode);
        KQelCharacterLink poseHips;
        poseHips.mNode = poseNode;
        pose->GetCharacter()->SetCharacterLink(eCharacterHips, poseHips, true);
    }
    KQelNode* Add(KQelNode* pParent, const char* pName)
    {
        KQelNode* node = manager.CreateKQelNode(pName);
        pParent->AddChild(node);
        return node;
    }
    KQelNode *a, *b, *c, *d, *e;
    KQelCharacter* hero;
};

KQelNode* Node(KQelScene& pScene, const char* pName)
{
    return pScene.GetRootNode()->FindChild(pName, true, false);
}

class OlderRoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(OlderRoundTrip, EveryStoredValueComesBack)
{
    ScratchDir dir;
    const std::string path = dir.File("model.qel");
    ModelScene source;
    ASSERT_TRUE(WriteOlder(source.manager, *source.scene, path, GetParam()));
    SceneFixture target;
    const ReadResult read = ReadInto(target.manager, *target.scene, path);
    ASSERT_TRUE(read.mOk) << read.mError;
    KQelScene& scene = *target.scene;

    // Tree and child order.
    EXPECT_EQ(std::vector<std::string>{"Model::A"}, ChildNames(*scene.GetRootNode()));
    KQelNode* a = Node(scene, "A");
    ASSERT_NE(nullptr, a);
    EXPECT_EQ((std::vector<std::string>{"Model::B", "Model::C"}), ChildNames(*a));
    KQelNode* b = Node(scene, "B");
    EXPECT_EQ((std::vector<std::string>{"Model::D", "Model::E"}), ChildNames(*b));
    KQelNode* c = Node(scene, "C");
    KQelNode* d = Node(scene, "D");
    KQelNode* e = Node(scene, "E");

    // Node settings and targets.
    EXPECT_FALSE(c->GetVisibility());
    EXPECT_TRUE(b->GetVisibility());
    EXPECT_EQ(KQelNode::eTextureShading, b->GetShadingMode());
    EXPECT_EQ(2, b->GetCullingType());
    EXPECT_EQ(0, a->GetCullingType());
    EXPECT_EQ(c, b->GetTarget());
    EXPECT_EQ(d, b->GetTargetUp());
    EXPECT_DOUBLE_EQ(360.0, b->GetPostTargetRotation()[0]);
    EXPECT_EQ(nullptr, a->GetTarget());

    // Limits.
    KQelLimitsUtilities limits(&d->GetLimits());
    EXPECT_FALSE(limits.GetAuto(KQelLimitsUtilities::eScaling));
    EXPECT_TRUE(limits.GetAuto(KQelLimitsUtilities::eTranslation));
    EXPECT_TRUE(limits.GetEnable(KQelLimitsUtilities::eScaling));
    const KQelVector4 max = limits.GetMax(KQelLimitsUtilities::eScaling);
    EXPECT_EQ((std::vector<double>{1.0, 2.0, 1.0}), (std::vector<double>{max[0], max[1], max[2]}));
    EXPECT_DOUBLE_EQ(1.0, limits.GetMin(KQelLimitsUtilities::eScaling)[1]);

    // User property.
    KQelUserProperty* weight = e->FindPropertyByName("Weight (Real)");
    ASSERT_NE(nullptr, weight);
    EXPECT_EQ(KQelUserProperty::eReal, weight->GetPropertyType());
    EXPECT_EQ(0.0, weight->GetMinLimit());
    EXPECT_EQ(10.0, weight->GetMaxLimit());
    double value = 0.0;
    weight->GetDefaultValue(value);
    EXPECT_DOUBLE_EQ(2.5, value);
    EXPECT_STREQ("Weight", weight->GetLabel().Buffer());

    // Takes with their keys.
    ASSERT_NE(nullptr, scene.GetTakeInfo(KString("Walk")));
    ASSERT_NE(nullptr, scene.GetTakeInfo(KString("Run")));
    KFCurve* x = TakeOf(*a, "Walk")->GetTranslationX();
    ASSERT_EQ(2, x->KeyGetCount());
    EXPECT_EQ(Sec(2.0).Get(), x->KeyGetTime(1).Get());
    EXPECT_FLOAT_EQ(4.0f, x->KeyGetValue(1));
    ASSERT_EQ(1, TakeOf(*e, "Run")->GetScaleZ()->KeyGetCount());
    EXPECT_FLOAT_EQ(2.0f, TakeOf(*e, "Run")->GetScaleZ()->KeyGetValue(0));

    // Poses.
    ASSERT_EQ(2, scene.GetPoseCount());
    KQelPose* bind = scene.GetPose(0);
    EXPECT_STREQ("BindPose", bind->GetTypeName().Buffer());
    EXPECT_TRUE(bind->GetMatrix(0) == source.scene->GetPose(0)->GetMatrix(0));
    KQelPose* rest = scene.GetPose(1);
    ASSERT_EQ(2, rest->GetCount());
    EXPECT_TRUE(rest->IsLocalMatrix(0));
    EXPECT_FALSE(rest->IsLocalMatrix(1));
    EXPECT_TRUE(rest->GetMatrix(1) == source.scene->GetPose(1)->GetMatrix(1));

    // Characters.
    ASSERT_EQ(2, scene.GetCharacterCount());
    KQelCharacter* hero = scene.GetCharacter(0);
    EXPECT_STREQ("Constraint::Hero", hero->GetName());
    KQelCharacterLink hips;
    ASSERT_TRUE(hero->GetCharacterLink(eCharacterHips, &hips));
    EXPECT_EQ(a, hips.mNode);
    EXPECT_STREQ("HipsTemplate", hips.mTemplateName.Buffer());
    EXPECT_DOUBLE_EQ(3.0, hips.mOffsetT[2]);
    EXPECT_DOUBLE_EQ(2.0, hips.mOffsetS[0]);
    KQelCharacterLink floor;
    ASSERT_TRUE(hero->GetCharacterLink(static_cast<ECharacterNodeId>(68), &floor));
    EXPECT_EQ(nullptr, floor.mNode);
    EXPECT_DOUBLE_EQ(45.0, floor.mOffsetR[1]);
    EXPECT_DOUBLE_EQ(7.5, hero->GetFilterSet()->GetParameterValue(kHipsTOffsetX));
    KQelControlSet& controls = *hero->GetControlSet();
    EXPECT_EQ(2, controls.GetType());
    EXPECT_TRUE(controls.GetLockTransform());
    EXPECT_FALSE(controls.GetLock3DPick());
    KQelControlSetLink reference;
    ASSERT_TRUE(controls.GetControlSetLink(static_cast<ECharacterNodeId>(67), &reference));
    EXPECT_EQ(b, reference.mNode);
    EXPECT_STREQ("Ref", reference.mTemplateName.Buffer());
    KQelEffector effector;
    ASSERT_TRUE(controls.GetEffector(eLeftAnkleEffector, &effector));
    EXPECT_EQ(c, effector.mNode);
    EXPECT_FALSE(effector.mShow);
    EXPECT_TRUE(effector.mRActive);
    KQelNode* aux = nullptr;
    ASSERT_TRUE(controls.GetEffectorAux(eLeftAnkleEffector, &aux, eEffectorSetAux1));
    EXPECT_EQ(d, aux);
    EXPECT_EQ(hero, scene.GetCharacter(1)->GetInputObject());

    // The character pose's own scene.
    ASSERT_EQ(1, scene.GetCharacterPoseCount());
    KQelCharacterPose* pose = scene.GetCharacterPose(0);
    EXPECT_STREQ("Pose::Stance", pose->GetName());
    EXPECT_EQ(std::vector<std::string>{"Model::PoseHips"}, ChildNames(*pose->GetRootNode()));
    KQelCharacterLink poseHips;
    ASSERT_TRUE(pose->GetCharacter()->GetCharacterLink(eCharacterHips, &poseHips));
    EXPECT_EQ(pose->GetRootNode()->GetChild(0), poseHips.mNode);
}

INSTANTIATE_TEST_SUITE_P(BinaryAndText, OlderRoundTrip, ::testing::Values(true, false));

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
