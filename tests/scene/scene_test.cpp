#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolsetplug.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqelgloballightsettings.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace {

std::vector<std::string> TakeNames(KQelScene& pScene)
{
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    std::vector<std::string> result;
    for (int i = 0; i < names.GetCount(); ++i) {
        result.push_back(names.GetAt(i)->Buffer());
        delete names.GetAt(i);
    }
    return result;
}

std::vector<std::string> TakesOf(KQelTakeNodeContainer* pObject)
{
    std::vector<std::string> result;
    for (int i = 0; i < pObject->GetTakeNodeCount(); ++i)
        result.push_back(pObject->GetTakeNodeName(i));
    return result;
}

// A scene whose root holds two nodes, with one generic node.
struct SmallScene {
    SmallScene()
        : scene(manager.CreateKQelScene()),
          a(manager.CreateKQelNode("A")),
          b(manager.CreateKQelNode("B")),
          generic(manager.CreateKQelGenericNode("G"))
    {
        scene->GetRootNode()->AddChild(a);
        scene->GetRootNode()->AddChild(b);
        scene->AddGenericNode(generic);
    }
    std::vector<KQelTakeNodeContainer*> Objects() const
    {
        return {scene->GetCameraSwitcher(), scene->GetRootNode(), a, b, generic};
    }

    KQelSdkManager manager;
    KQelScene* scene;
    KQelNode* a;
    KQelNode* b;
    KQelGenericNode* generic;
};

TEST(KQelScene, NewSceneHasRootSwitcherAndDefaultTakeOnly)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_STREQ(scene->GetRootNode()->GetName(), "Model::RootNode");
    KQelNode* switcher = scene->GetCameraSwitcher();
    EXPECT_STREQ(switcher->GetName(), "Model::Camera Switcher");
    EXPECT_FALSE(switcher->GetVisibility());
    EXPECT_EQ(switcher->GetShadingMode(), KQelNode::eWireFrame);
    EXPECT_NE(switcher->GetCameraSwitcher(), nullptr);
    EXPECT_EQ(switcher->GetParent(), nullptr);
    EXPECT_FALSE(scene->GetEntity()->ContainsNode(switcher));
    EXPECT_EQ(TakeNames(*scene), std::vector<std::string>{"Default"});
    EXPECT_NE(scene->GetGlobalLightSettings(), nullptr);
    EXPECT_NE(scene->GetGlobalCameraSettings(), nullptr);
    EXPECT_NE(scene->GetGlobalTimeSettings(), nullptr);
    EXPECT_EQ(scene->GetSceneInfo(), nullptr);
    EXPECT_STREQ(scene->GetCurrentTakeName(), "");
}

TEST(KQelScene, TakeOperationsReachEveryObject)
{
    SmallScene s;
    KQelScene& scene = *s.scene;
    ASSERT_TRUE(scene.CreateTake("Walk"));
    for (KQelTakeNodeContainer* object : s.Objects())
        EXPECT_EQ(TakesOf(object), (std::vector<std::string>{"Default", "Walk"})) << object->GetName();
    EXPECT_EQ(TakeNames(scene), (std::vector<std::string>{"Default", "Walk"}));

    ASSERT_TRUE(scene.SetCurrentTake("Walk"));
    EXPECT_STREQ(scene.GetCurrentTakeName(), "Walk");
    for (KQelTakeNodeContainer* object : s.Objects())
        EXPECT_STREQ(object->GetCurrentTakeNodeName(), "Walk") << object->GetName();

    ASSERT_TRUE(scene.RemoveTake("Walk"));
    for (KQelTakeNodeContainer* object : s.Objects())
        EXPECT_EQ(TakesOf(object), std::vector<std::string>{"Default"}) << object->GetName();
    EXPECT_EQ(TakeNames(scene), std::vector<std::string>{"Default"});
}

TEST(KQelScene, TakeFailuresNameTheTakeAndKeepWhatSucceeded)
{
    SmallScene s;
    KQelScene& scene = *s.scene;
    s.a->CreateTakeNode("Run");
    const struct {
        bool (KQelScene::*operation)(const char*);
        const char* take;
        const char* text;
    } cases[] = {
        {&KQelScene::CreateTake, "Run", "At least one node, texture or material already has a take called Run"},
        {&KQelScene::SetCurrentTake, "Jump", "Not all nodes have a take node called Jump"},
        {&KQelScene::RemoveTake, "Jump", "Not all nodes, textures and materials have a take called Jump"},
        {&KQelScene::RemoveTake, "Default", "Not all nodes, textures and materials have a take called Default"},
    };
    for (const auto& c : cases) {
        scene.GetError().ClearLastError();
        EXPECT_FALSE((scene.*c.operation)(c.take)) << c.text;
        EXPECT_EQ(scene.GetLastErrorID(), 0);
        EXPECT_STREQ(scene.GetLastErrorString(), c.text);
    }
    // The refused CreateTake still gave "Run" to every other object.
    for (KQelTakeNodeContainer* object : s.Objects())
        EXPECT_EQ(TakesOf(object), (std::vector<std::string>{"Default", "Run"})) << object->GetName();

    // A take only some objects have: the name is kept, the others fall back.
    s.b->CreateTakeNode("Solo");
    EXPECT_FALSE(scene.SetCurrentTake("Solo"));
    EXPECT_STREQ(scene.GetCurrentTakeName(), "Solo");
    EXPECT_STREQ(s.b->GetCurrentTakeNodeName(), "Solo");
    EXPECT_STREQ(s.a->GetCurrentTakeNodeName(), "Default");
}

TEST(KQelScene, TakeNamesAreListedOnceInOrderOfFirstAppearance)
{
    SmallScene s;
    KQelScene& scene = *s.scene;
    s.a->CreateTakeNode("Run");
    s.b->CreateTakeNode("Jump");
    s.b->CreateTakeNode("Run");
    s.generic->CreateTakeNode("Idle");
    s.generic->CreateTakeNode("run");

    KArrayTemplate<KString*> names;
    names.Add(new KString("stale"));  // deleted by the fill
    scene.FillTakeNameArray(names);
    std::vector<std::string> listed;
    for (int i = 0; i < names.GetCount(); ++i)
        listed.push_back(names.GetAt(i)->Buffer());
    EXPECT_EQ(listed, (std::vector<std::string>{"Default", "Run", "Jump", "Idle", "run"}));
    names.Add(new KString("extra"));
    scene.FillTakeNameArray(names);
    EXPECT_EQ(names.GetCount(), 5);
    for (int i = 0; i < names.GetCount(); ++i)
        delete names.GetAt(i);

    const struct {
        const char* name;
        bool found;
    } lookups[] = {{"Idle", true}, {"Jump", true}, {"idle", false}, {"", false}};
    for (const auto& lookup : lookups)
        EXPECT_EQ(scene.FindTakeName(KString(lookup.name)), lookup.found) << lookup.name;
}

TEST(KQelScene, TakeInformationIsStoredOncePerExistingTake)
{
    SmallScene s;
    KQelScene& scene = *s.scene;
    KQelTakeInfo info;
    info.mName = "Walk";
    info.mDescription = "first";
    s.manager.GetError().ClearLastError();
    scene.GetError().ClearLastError();
    EXPECT_FALSE(scene.SetTakeInfo(info));
    EXPECT_EQ(scene.GetTakeInfo(KString("Walk")), nullptr);
    EXPECT_EQ(scene.GetLastErrorID(), -1);

    s.generic->CreateTakeNode("Walk");  // one object suffices
    ASSERT_TRUE(scene.SetTakeInfo(info));
    info.mDescription = "second";
    ASSERT_TRUE(scene.SetTakeInfo(info));
    KQelTakeInfo* stored = scene.GetTakeInfo(KString("Walk"));
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &info);
    EXPECT_STREQ(stored->mDescription.Buffer(), "second");
    info.mName = "Default";
    ASSERT_TRUE(scene.SetTakeInfo(info));
    EXPECT_EQ(scene.GetTakeInfo(KString("Walk")), stored);
}

// A reader may adopt a node of the tree as the switcher: walks must not meet
// it twice, and replacing the switcher by itself must not free it.
TEST(KQelScene, ReplacedSwitcherIsWalkedOnceAndTheOldOneDestroyed)
{
    SmallScene s;
    KQelScene& scene = *s.scene;
    KQelNode* old = scene.GetCameraSwitcher();
    const int nodes = s.manager.GetKQelNodeCount();
    scene.ReplaceCameraSwitcher(scene.GetCameraSwitcher());
    scene.ReplaceCameraSwitcher(nullptr);
    EXPECT_EQ(scene.GetCameraSwitcher(), old);
    EXPECT_EQ(s.manager.GetKQelNodeCount(), nodes);

    s.a->SetNodeAttribute(s.manager.CreateKQelCameraSwitcher());
    scene.ReplaceCameraSwitcher(s.a);
    EXPECT_EQ(scene.GetCameraSwitcher(), s.a);
    EXPECT_EQ(s.manager.GetKQelNodeCount(), nodes - 1);
    EXPECT_TRUE(scene.CreateTake("Walk"));
    EXPECT_EQ(TakesOf(s.a), (std::vector<std::string>{"Default", "Walk"}));
    EXPECT_TRUE(scene.RemoveTake("Walk"));

    // A new switcher below the old one survives the old one's destruction.
    KQelNode* inner = s.manager.CreateKQelNode("Inner");
    s.a->AddChild(inner);
    scene.ReplaceCameraSwitcher(inner);
    EXPECT_EQ(inner->GetParent(), nullptr);
    EXPECT_STREQ(inner->GetName(), "Model::Inner");
    EXPECT_EQ(s.manager.FindKQelNode("A"), nullptr);
}

TEST(KQelScene, OwnedFamiliesArePrefixedIndexedAndDestroyed)
{
    KQelSdkManager manager;
    KQelScene& scene = *manager.CreateKQelScene();
    EXPECT_EQ(scene.CreateCharacter("Bob"), 0);
    EXPECT_EQ(scene.CreateCharacter("Ann"), 1);
    EXPECT_EQ(scene.CreateControlSetPlug("Constraint::Rig"), 0);
    EXPECT_EQ(scene.CreateCharacterPose(""), 0);
    EXPECT_STREQ(scene.GetCharacter(0)->GetName(), "Constraint::Bob");
    EXPECT_STREQ(scene.GetControlSetPlug(0)->GetName(), "ControlSetPlug::Rig");
    EXPECT_STREQ(scene.GetCharacterPose(0)->GetName(), "Pose::Name");
    EXPECT_EQ(scene.GetCharacter(2), nullptr);
    EXPECT_EQ(scene.GetCharacter(-1), nullptr);
    EXPECT_EQ(scene.GetControlSetPlug(1), nullptr);
    EXPECT_EQ(scene.GetCharacterPose(1), nullptr);

    scene.DestroyCharacter(5);
    scene.DestroyControlSetPlug(-1);
    EXPECT_EQ(scene.GetCharacterCount(), 2);

    // A character that drives another is forgotten as its input.
    KQelCharacter* bob = scene.GetCharacter(0);
    KQelCharacter* ann = scene.GetCharacter(1);
    ann->SetInput(eCharacterInputCharacter, bob);
    ASSERT_EQ(ann->GetInputObject(), bob);
    scene.DestroyCharacter(0);
    EXPECT_EQ(scene.GetCharacter(0), ann);
    EXPECT_EQ(ann->GetInputType(), eCharacterInputCharacter);
    EXPECT_EQ(ann->GetInputObject(), nullptr);

    scene.DestroyControlSetPlug(0);
    scene.DestroyCharacterPose(0);
    EXPECT_EQ(scene.GetControlSetPlugCount(), 0);
    EXPECT_EQ(scene.GetCharacterPoseCount(), 0);
    EXPECT_EQ(manager.GetKQelScene(1), nullptr);  // the character pose's scene went with it
}

TEST(KQelScene, PoseListHoldsEachPoseOnce)
{
    KQelSdkManager manager;
    KQelScene& scene = *manager.CreateKQelScene();
    KQelPose* first = manager.CreateKQelPose("First", true);
    KQelPose* second = manager.CreateKQelPose("Second", false);
    EXPECT_TRUE(scene.AddPose(first));
    EXPECT_FALSE(scene.AddPose(first));
    EXPECT_FALSE(scene.AddPose(nullptr));
    EXPECT_TRUE(scene.AddPose(second));
    EXPECT_EQ(scene.GetPoseCount(), 2);
    EXPECT_EQ(scene.GetPose(2), nullptr);
    EXPECT_FALSE(scene.RemovePose(2));
    EXPECT_TRUE(scene.RemovePose(first));
    EXPECT_FALSE(scene.RemovePose(first));
    EXPECT_EQ(scene.GetPose(0), second);
    EXPECT_TRUE(scene.RemovePose(0));
    EXPECT_EQ(manager.GetKQelPoseCount(), 2);  // the manager still owns both
}

TEST(KQelScene, ClearReturnsAUsedSceneToItsFirstState)
{
    SmallScene s;
    KQelSdkManager& manager = s.manager;
    KQelScene& scene = *s.scene;
    KQelNode* root = scene.GetRootNode();
    KQelNode* c = manager.CreateKQelNode("C");
    root->AddChild(c);
    c->AddChild(manager.CreateKQelNode("Grandchild"));
    ASSERT_TRUE(scene.CreateTake("Walk"));
    KQelTakeInfo info;
    info.mName = "Walk";
    ASSERT_TRUE(scene.SetTakeInfo(info));
    scene.SetCurrentTake("Walk");

    KQelNode* switcher = scene.GetCameraSwitcher();
    switcher->SetName("Renamed");
    switcher->SetVisibility(true);
    switcher->GetCameraSwitcher()->SetDefaultCameraIndex(3);
    scene.SetSceneInfo(manager.CreateKQelSceneInfo());
    scene.CreateCharacter("Bob");
    scene.CreateControlSetPlug("Rig");
    scene.CreateCharacterPose("Snap");
    KQelPose* pose = manager.CreateKQelPose("Bind", true);
    scene.AddPose(pose);
    scene.GetGlobalLightSettings()->SetFogEnable(true);
    // A generic node used twice, and one listed without pointing back.
    scene.GetEntity()->AddGenericNode(s.generic);
    scene.GetEntity()->AddGenericNode(manager.CreateKQelGenericNode("Loose"));

    scene.Clear();
    EXPECT_EQ(root->GetChildCount(), 0);
    EXPECT_EQ(root->GetTakeNodeCount(), 1);
    EXPECT_EQ(manager.GetKQelNodeCount(), 2 + 7);  // root, switcher and the producer nodes
    EXPECT_STREQ(switcher->GetName(), "Model::Camera Switcher");
    EXPECT_FALSE(switcher->GetVisibility());
    EXPECT_EQ(TakesOf(switcher), std::vector<std::string>{"Default"});
    EXPECT_EQ(switcher->GetCameraSwitcher()->GetDefaultCameraIndex(), 0);
    EXPECT_EQ(scene.GetSceneInfo(), nullptr);
    EXPECT_EQ(manager.GetKQelSceneInfoCount(), 0);
    EXPECT_EQ(scene.GetCharacterCount() + scene.GetControlSetPlugCount() + scene.GetCharacterPoseCount(), 0);
    EXPECT_EQ(manager.GetKQelSceneCount(), 1);
    EXPECT_EQ(scene.GetPoseCount(), 0);
    EXPECT_EQ(manager.GetKQelPose(0), pose);
    EXPECT_EQ(scene.GetGenericNodeCount(), 0);
    EXPECT_EQ(manager.GetKQelGenericNodeCount(), 0);
    EXPECT_FALSE(scene.GetGlobalLightSettings()->GetFogEnable());
    EXPECT_STREQ(scene.GetCurrentTakeName(), "");
    EXPECT_EQ(scene.GetTakeInfo(KString("Walk")), nullptr);
    EXPECT_EQ(TakeNames(scene), std::vector<std::string>{"Default"});
}

// A switcher node a reader hung below the root is held apart from the tree;
// it need not carry a camera switcher.
TEST(KQelScene, ClearKeepsASwitcherFoundBelowTheRoot)
{
    SmallScene s;
    s.scene->ReplaceCameraSwitcher(s.b);
    s.scene->Clear();
    EXPECT_EQ(s.scene->GetCameraSwitcher(), s.b);
    EXPECT_EQ(s.b->GetParent(), nullptr);
    EXPECT_STREQ(s.b->GetName(), "Model::Camera Switcher");
    EXPECT_EQ(s.scene->GetRootNode()->GetChildCount(), 0);
}

TEST(KQelScene, GenericNodesMoveBetweenScenesOnlyThroughTheirOwnScene)
{
    KQelSdkManager manager;
    KQelScene* first = manager.CreateKQelScene();
    KQelScene* second = manager.CreateKQelScene();
    KQelGenericNode* node = manager.CreateKQelGenericNode("G");
    EXPECT_FALSE(first->AddGenericNode(nullptr));
    EXPECT_FALSE(first->RemoveGenericNode(nullptr));
    EXPECT_TRUE(first->AddGenericNode(node));
    EXPECT_FALSE(second->RemoveGenericNode(node));
    EXPECT_EQ(first->GetGenericNode(0), node);
    EXPECT_TRUE(second->AddGenericNode(node));
    EXPECT_EQ(first->GetGenericNodeCount(), 0);
    EXPECT_EQ(second->GetGenericNodeCount(), 1);

    // The scene goes first: the generic node must not keep its store.
    EXPECT_TRUE(manager.DestroyKQelScene(second, true));
    EXPECT_EQ(node->GetEntity(), nullptr);
    EXPECT_TRUE(manager.DestroyKQelGenericNode(node));
}

TEST(KQelSdkManager, SceneDestructionLooksTheSceneUpAndEndsTheTreeWhenAsked)
{
    KQelSdkManager manager;
    for (bool recursive : {false, true}) {
        KQelScene* scene = manager.CreateKQelScene();
        KQelNode* root = scene->GetRootNode();
        root->AddChild(manager.CreateKQelNode("Child"));
        const int nodes = manager.GetKQelNodeCount();
        EXPECT_TRUE(manager.DestroyKQelScene(scene, recursive));
        // The switcher and the seven producer nodes go with the scene.
        EXPECT_EQ(manager.GetKQelNodeCount(), nodes - 8 - (recursive ? 2 : 0)) << recursive;
        EXPECT_EQ(manager.GetKQelSceneCount(), 0);
        EXPECT_FALSE(manager.DestroyKQelScene(scene, recursive));
        EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
        if (!recursive) {
            EXPECT_EQ(root->GetEntity(), nullptr);
            EXPECT_TRUE(manager.DestroyKQelNode(root, true));
        }
    }
}

// Objects of every kind the scene touches are alive when the manager ends.
TEST(KQelSdkManager, DeletionWithScenesAndTheirObjectsAlive)
{
    KQelSdkManager* manager = new KQelSdkManager;
    for (int i = 0; i < 2; ++i) {
        KQelScene* scene = manager->CreateKQelScene();
        scene->GetRootNode()->AddChild(manager->CreateKQelNode("N"));
        scene->CreateTake("Walk");
        scene->AddGenericNode(manager->CreateKQelGenericNode("G"));
        scene->GetEntity()->AddGenericNode(scene->GetGenericNode(0));
        scene->CreateCharacter("Bob");
        scene->CreateCharacterPose("Snap");
        KQelPose* pose = manager->CreateKQelPose("Bind", true);
        scene->AddPose(pose);
        scene->SetSceneInfo(manager->CreateKQelSceneInfo());
        KQelMatrix identity;
        identity.SetIdentity();
        EXPECT_EQ(pose->Add("Model::N", identity), 0);
    }
    delete manager;
}

}  // namespace
}  // namespace qelsdk_600
