#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "node_test_util.h"

namespace qelsdk_600 {
namespace {

class Entity : public ::testing::Test {
protected:
    KQelNode* Make(const char* pName) { return mManager.CreateKQelNode(pName); }

    // The entity lists exactly the root's tree, each node knowing it.
    void ExpectInStep(KQelEntity& pEntity)
    {
        std::set<KQelNode*> tree;
        std::vector<KQelNode*> stack{pEntity.GetRootNode()};
        while (!stack.empty()) {
            KQelNode* node = stack.back();
            stack.pop_back();
            tree.insert(node);
            for (int i = 0; i < node->GetChildCount(); ++i)
                stack.push_back(node->GetChild(i));
        }
        ASSERT_EQ(pEntity.GetNodeCount(), static_cast<int>(tree.size()));
        for (int i = 0; i < pEntity.GetNodeCount(); ++i) {
            KQelNode* node = pEntity.GetNode(i);
            EXPECT_EQ(tree.count(node), 1u) << node->GetName();
            EXPECT_EQ(node->GetEntity(), &pEntity) << node->GetName();
        }
    }

    KQelSdkManager mManager;
};

TEST_F(Entity, ANewEntityListsItsRoot)
{
    KQelEntity entity(mManager);
    ASSERT_EQ(entity.GetNodeCount(), 1);
    KQelNode* root = entity.GetRootNode();
    EXPECT_STREQ(root->GetName(), "Model::RootNode");
    EXPECT_EQ(entity.GetNode(0), root);
    EXPECT_EQ(root->GetEntity(), &entity);
    EXPECT_EQ(entity.GetNode(1), nullptr);
}

TEST_F(Entity, NodeListErrors)
{
    KQelEntity entity(mManager);
    KQelNode* stranger = Make("Stranger");
    struct Case {
        bool add;
        KQelNode* node;
        int error;
    } cases[] = {
        {true, nullptr, 0}, {true, entity.GetRootNode(), 1}, {false, nullptr, 0}, {false, stranger, 2},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.add ? entity.AddNode(c.node) : entity.RemoveNode(c.node));
        EXPECT_EQ(entity.GetLastErrorID(), c.error);
    }
    EXPECT_STREQ(entity.GetLastErrorString(), "Node does not belong to the entity.");
    KQelNode* root = entity.GetRootNode();
    EXPECT_TRUE(entity.RemoveNode(root));
    EXPECT_EQ(entity.GetRootNode(), nullptr);
    root->SetEntity(nullptr, false);
}

TEST_F(Entity, AttachingDetachingAndDestroyingKeepTreeAndEntityInStep)
{
    KQelEntity entity(mManager);
    KQelNode* root = entity.GetRootNode();
    KQelNode* arm = Make("Arm");
    std::vector<KQelNode*> fingers = AddChildren(mManager, arm, 3, "Finger");
    AddChildren(mManager, fingers[1], 2, "Finger");  // "Finger0" and "Finger1" twice in the subtree
    root->AddChild(arm);
    EXPECT_EQ(entity.GetNodeCount(), 7);  // clashing names are listed too
    ExpectInStep(entity);

    root->AddChild(fingers[1]);  // a move within the tree
    ExpectInStep(entity);
    arm->RemoveChild(fingers[0]);
    EXPECT_EQ(fingers[0]->GetEntity(), nullptr);
    ExpectInStep(entity);

    // A node of the entity that is not in the tree may not join it.
    KQelNode* loose = Make("Loose");
    loose->SetEntity(&entity, false);
    EXPECT_FALSE(root->AddChild(loose));
    EXPECT_EQ(root->GetLastErrorID(), 6);
    EXPECT_EQ(loose->GetParent(), nullptr);
    entity.RemoveNode(loose);
    loose->SetEntity(nullptr, false);

    // A destroyed node leaves; its children too, while it ends alone.
    EXPECT_TRUE(mManager.DestroyKQelNode(fingers[1], false));
    ExpectInStep(entity);
    EXPECT_EQ(entity.GetNodeCount(), 3);
    EXPECT_TRUE(mManager.DestroyKQelNode(arm, true));
    ExpectInStep(entity);
    EXPECT_EQ(entity.GetNodeCount(), 1);
    EXPECT_TRUE(mManager.DestroyKQelNode(root, true));
    EXPECT_EQ(entity.GetNodeCount(), 0);
    EXPECT_EQ(entity.GetRootNode(), nullptr);
}

TEST_F(Entity, ABoundMoveIsRefusedOnAClashAndClearsItsTarget)
{
    KQelEntity target(mManager);
    AddChildren(mManager, target.GetRootNode(), 1, "Arm");
    KQelNode* clashing = Make("Body");
    AddChildren(mManager, clashing, 1, "Arm");
    EXPECT_FALSE(clashing->SetEntity(&target, true));
    EXPECT_EQ(clashing->GetLastErrorID(), 1);
    EXPECT_STREQ(clashing->GetLastErrorString(), "Node name clash");
    EXPECT_EQ(clashing->GetEntity(), nullptr);
    EXPECT_EQ(target.GetNodeCount(), 2);

    // Unbound, the same move only gathers.
    KQelEntity other(mManager);
    EXPECT_TRUE(clashing->SetEntity(&other, false));
    EXPECT_EQ(other.GetNodeCount(), 3);

    KQelNode* fresh = Make("Fresh");
    KQelNode* oldRoot = target.GetRootNode();
    EXPECT_TRUE(fresh->SetEntity(&target, true));
    EXPECT_EQ(target.GetNodeCount(), 1);
    EXPECT_EQ(target.GetNode(0), fresh);
    EXPECT_EQ(target.GetRootNode(), nullptr);
    EXPECT_EQ(oldRoot->GetEntity(), nullptr);
    EXPECT_EQ(oldRoot->GetChild(0)->GetEntity(), nullptr);
}

TEST_F(Entity, ReferencesAreUseCountedPerKind)
{
    KQelEntity entity(mManager);
    KQelNode* first = Make("First");  // nodes stand in for the referenced objects
    KQelNode* second = Make("Second");
    struct Kind {
        KQelEntity::EReferenceKind kind;
        int inUse;
        int notFound;
    } kinds[] = {
        {KQelEntity::eMaterials, 4, 5}, {KQelEntity::eTextures, 6, 7},      {KQelEntity::eVideos, 8, 9},
        {KQelEntity::eGenericNodes, 11, 12}, {KQelEntity::eDeformers, 14, 15},
    };
    for (const Kind& k : kinds) {
        EXPECT_TRUE(entity.AddReference(k.kind, first));
        EXPECT_TRUE(entity.AddReference(k.kind, second));
        EXPECT_TRUE(entity.AddReference(k.kind, first));
        EXPECT_EQ(entity.GetReferenceCount(k.kind), 2);
        EXPECT_EQ(entity.GetReferenceUseCount(k.kind, first), 2);
        EXPECT_EQ(entity.FindReferencedObjectIndex(k.kind, "Model::Second"), 1);
        EXPECT_FALSE(entity.RemoveReference(k.kind, first));  // one use dropped all the same
        EXPECT_EQ(entity.GetLastErrorID(), k.inUse);
        EXPECT_EQ(entity.GetReferenceUseCount(k.kind, first), 1);
        EXPECT_TRUE(entity.RemoveReference(k.kind, first));
        EXPECT_EQ(entity.GetReferencedObject(k.kind, 0), second);  // later ones move up
        EXPECT_FALSE(entity.RemoveReference(k.kind, first));
        EXPECT_EQ(entity.GetLastErrorID(), k.notFound);
        EXPECT_EQ(entity.GetReferencedObject(k.kind, 1), nullptr);
        EXPECT_EQ(entity.GetLastErrorID(), 3);
    }
    KQelNode* sameName = Make("Second");
    EXPECT_FALSE(entity.AddReference(KQelEntity::eVideos, sameName));
    EXPECT_EQ(entity.GetLastErrorID(), 10);
    EXPECT_STREQ(entity.GetLastErrorString(), "Video name clash.");
    EXPECT_EQ(entity.GetVideoCount(), 1);
    EXPECT_TRUE(entity.AddReference(KQelEntity::eMaterials, sameName));  // only videos refuse a clash

    EXPECT_EQ(entity.GetMaterial(KString("Material::None")), nullptr);
    EXPECT_EQ(entity.GetLastErrorID(), 5);
    EXPECT_EQ(entity.GetTextureIndex(KString("Texture::None")), -1);
    EXPECT_EQ(entity.GetLastErrorID(), 7);
    EXPECT_EQ(entity.GetDeformerCount(3), 0);
    EXPECT_EQ(entity.GetDeformer(0, 3), nullptr);
    EXPECT_EQ(entity.GetGenericNode(static_cast<const char*>(nullptr)), nullptr);

    entity.Clear();
    EXPECT_EQ(entity.GetRootNode(), nullptr);
    EXPECT_EQ(entity.GetNodeCount(), 0);
    EXPECT_EQ(entity.GetMaterialCount(), 0);
    EXPECT_EQ(entity.GetTextureCount(), 0);
    EXPECT_EQ(entity.GetVideoCount(), 1);
    EXPECT_EQ(entity.GetGenericNodeCount(), 1);
    EXPECT_EQ(entity.GetDeformerCount(), 1);
}

// Lookups by name find the oldest reference of that current name, through
// every way a name can change after the object was added.
// Every failure of a reference kind names the kind; generic nodes and
// deformers once recorded theirs without a text.
TEST_F(Entity, ReferenceFailuresNameTheirKind)
{
    KQelEntity entity(mManager);
    KQelNode* object = Make("Object");
    const struct {
        KQelEntity::EReferenceKind kind;
        const char* name;
    } kinds[] = {
        {KQelEntity::eMaterials, "Material"}, {KQelEntity::eTextures, "Texture"},
        {KQelEntity::eVideos, "Video"},       {KQelEntity::eGenericNodes, "Generic node"},
        {KQelEntity::eDeformers, "Deformer"},
    };
    for (const auto& k : kinds) {
        EXPECT_FALSE(entity.RemoveReference(k.kind, object));
        EXPECT_EQ(std::string(k.name) + " not found.", entity.GetLastErrorString());
        entity.AddReference(k.kind, object);
        entity.AddReference(k.kind, object);
        EXPECT_FALSE(entity.RemoveReference(k.kind, object));
        EXPECT_EQ(std::string(k.name) + " still in use.", entity.GetLastErrorString());
    }
}

TEST_F(Entity, NameLookupsFollowRenames)
{
    KQelEntity entity(mManager);
    KQelNode* first = Make("Shared");
    KQelNode* second = Make("Shared");
    KQelNode* third = Make("Other");
    for (KQelNode* node : {first, second, third})
        entity.AddReference(KQelEntity::eMaterials, node);
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Shared"), first);
    first->SetName("Moved");
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Shared"), second);
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Moved"), first);
    // Written in place, through the name pair.
    std::strcpy(third->GetKName().GetCurrentName(), "Model::Elder");
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Other"), nullptr);
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Elder"), third);
    // The oldest of a name leaving hands the name on to the next one.
    KQelNode* fourth = Make("Shared");
    entity.AddReference(KQelEntity::eMaterials, fourth);
    entity.RemoveReference(KQelEntity::eMaterials, second);
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Shared"), fourth);
    entity.RemoveReference(KQelEntity::eMaterials, fourth);
    EXPECT_EQ(entity.FindReferencedObject(KQelEntity::eMaterials, "Model::Shared"), nullptr);

    // A video clashes with the current names only.
    KQelNode* clip = Make("Clip");
    KQelNode* twin = Make("Clip");
    EXPECT_TRUE(entity.AddReference(KQelEntity::eVideos, clip));
    clip->SetName("Renamed");
    EXPECT_TRUE(entity.AddReference(KQelEntity::eVideos, twin));
    EXPECT_TRUE(entity.AddReference(KQelEntity::eVideos, clip));
    EXPECT_EQ(entity.GetReferenceUseCount(KQelEntity::eVideos, clip), 2);
    // Renamed back, the older one comes first and the twin now clashes.
    clip->SetName("Clip");
    EXPECT_FALSE(entity.AddReference(KQelEntity::eVideos, twin));
    EXPECT_TRUE(entity.AddReference(KQelEntity::eVideos, clip));
}

TEST_F(Entity, FillNodeArrayInTreeOrListOrder)
{
    KQelEntity entity(mManager);
    KQelNode* root = entity.GetRootNode();
    KQelNode* a = AddChildren(mManager, root, 1, "A")[0];
    KQelNode* b = AddChildren(mManager, root, 1, "B")[0];
    KQelNode* a1 = AddChildren(mManager, a, 1, "A1")[0];
    KQelNode* plain = AddChildren(mManager, a, 1, "Plain")[0];
    std::vector<FakeAttribute*> attributes;
    for (KQelNode* node : {a, b, a1}) {
        attributes.push_back(new FakeAttribute(mManager, KQelNodeAttribute::eMarker));
        node->SetNodeAttribute(attributes.back());
    }
    FakeAttribute light(mManager, KQelNodeAttribute::eLight);
    plain->SetNodeAttribute(&light);
    KArrayTemplate<KQelNode*> array;
    array.Add(plain);  // emptied first
    entity.FillNodeArray(array, KQelNodeAttribute::eMarker, true);
    ASSERT_EQ(array.GetCount(), 3);
    EXPECT_EQ(array[0], a);
    EXPECT_EQ(array[1], a1);
    EXPECT_EQ(array[2], b);
    entity.FillNodeArray(array, KQelNodeAttribute::eMarker, false);
    ASSERT_EQ(array.GetCount(), 3);
    EXPECT_EQ(array[1], b);
    EXPECT_EQ(array[2], a1);
    for (KQelNode* node : {a, b, a1, plain})
        node->SetNodeAttribute(nullptr);
    for (FakeAttribute* attribute : attributes)
        delete attribute;
}

TEST_F(Entity, SortAndBisectNames)
{
    std::vector<KQelObject*> objects;
    for (const char* name : {"D", "B", "A", "C", "B"})
        objects.push_back(Make(name));
    KQelEntity::SortByName(objects.data(), static_cast<unsigned int>(objects.size()));
    const char* sorted[] = {"Model::A", "Model::B", "Model::B", "Model::C", "Model::D"};
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(objects[static_cast<std::size_t>(i)]->GetName(), sorted[i]);
    struct Case {
        const char* name;
        bool found;
        unsigned int index;
    } cases[] = {{"Model::A", true, 0}, {"Model::C", true, 3}, {"Model::D", true, 4},
                 {"Model::AA", false, 0}, {"Model::E", false, 0}, {"", false, 0}};
    for (const Case& c : cases) {
        unsigned int index = 99;
        EXPECT_EQ(KQelEntity::FindNameRecursive(objects.data(), c.name, 0, 4, &index), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(index, c.index) << c.name;
        }
    }
    EXPECT_FALSE(KQelEntity::FindNameRecursive(objects.data(), "Model::A", 1, 0, nullptr));

    // Name validation looks the name up in sorted copies; the entity's own
    // order stays.
    KQelEntity entity(mManager);
    KQelNode* zed = AddChildren(mManager, entity.GetRootNode(), 1, "Zed")[0];
    AddChildren(mManager, entity.GetRootNode(), 1, "Alpha");
    unsigned int index = 99;
    EXPECT_TRUE(entity.ValidateName(*zed, "Model::Zed0", &index));
    EXPECT_EQ(index, 2u);
    EXPECT_TRUE(entity.ValidateNewName(*zed, "Model::Other"));
    EXPECT_EQ(entity.GetNode(1), zed);
}

}  // namespace
}  // namespace qelsdk_600
