// Layer lookups and entity registration with real materials, textures and
// videos.
#include <gtest/gtest.h>

#include "content/kqellayercontainer.h"
#include "content/kqeldeformer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "object/kobject.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef KQelLayerElement LE;

struct MeshNode {
    explicit MeshNode(KQelSdkManager& pManager)
        : mNode(pManager.CreateKQelNode("Face")), mMesh(pManager.CreateKQelMesh())
    {
        mNode->SetNodeAttribute(mMesh);
        mMesh->CreateLayer();
    }
    KQelNodeProperties* Set() { return mNode->GetPropertyHandler(); }
    KQelNode* mNode;
    KQelMesh* mMesh;
};

// In index mode a layer counts the distinct indices, up to the objects of
// its kind connected to the node.
TEST(LayerObjects, IndexModeCountsConnectedObjectsOfItsKindOnly)
{
    KQelSdkManager manager;
    MeshNode face(manager);
    KQelLayerElementTexture* element = new KQelLayerElementTexture;
    element->SetReferenceMode(LE::eIndex);
    for (int index : {0, 0, 1})
        element->GetIndexArray().Add(index);
    face.mMesh->GetLayer(0)->SetTextures(element);
    KQelTexture* first = manager.CreateKQelTexture("First");
    KQelTexture* second = manager.CreateKQelTexture("Second");
    // A material among the sources is not a texture.
    face.Set()->ConnectSrc(manager.CreateKQelMaterial("Red")->GetPropertyHandler());

    EXPECT_EQ(face.mMesh->GTC(0), 0);
    face.Set()->ConnectSrc(first->GetPropertyHandler());
    EXPECT_EQ(face.mMesh->GTC(0), 1);
    face.Set()->ConnectSrc(second->GetPropertyHandler());
    EXPECT_EQ(face.mMesh->GTC(0), 2);
    EXPECT_EQ(face.mMesh->GT(0, 0), first);
    EXPECT_EQ(face.mMesh->GT(1, 0), second);
    EXPECT_EQ(face.mMesh->GT(2, 0), nullptr);
    EXPECT_EQ(face.mMesh->GMC(0), 0);

    KQelLayerElementMaterial* materials = new KQelLayerElementMaterial;
    materials->SetReferenceMode(LE::eIndex);
    materials->GetIndexArray().Add(0);
    face.mMesh->GetLayer(0)->SetMaterials(materials);
    EXPECT_EQ(face.mMesh->GMC(0), 1);
    EXPECT_STREQ(face.mMesh->GM(0, 0)->GetName(), "Material::Red");
}

TEST(LayerObjects, NameLookupsReplaceAnyPrefixByTheKindsOwn)
{
    KQelSdkManager manager;
    MeshNode face(manager);
    face.mMesh->AM(manager.CreateKQelMaterial("Blue"), 0);
    face.mMesh->AM(manager.CreateKQelMaterial("Red"), 0);
    face.mMesh->AT(manager.CreateKQelTexture("Red"), 0);
    const struct {
        const char* name;
        int material;
        int texture;
    } cases[] = {{"Red", 1, 0},  {"Model::Red", 1, 0}, {"Material::Red", 1, 0},
                 {"red", -1, -1}, {"Blue", 0, -1},     {"Green", -1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(face.mMesh->GMI(c.name, 0), c.material) << c.name;
        EXPECT_EQ(face.mMesh->GTI(c.name, 0), c.texture) << c.name;
    }
}

// A bound geometry registers each direct entry once per use; a node moving
// into a scene brings its geometry's materials, textures and their videos.
TEST(LayerObjects, EntityCountsUsesOfLayerObjects)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelMaterial* red = manager.CreateKQelMaterial("Red");
    KQelTexture* wood = manager.CreateKQelTexture("Wood");
    KQelVideo* clip = manager.CreateKQelVideo("Clip");
    wood->GetPropertyHandler()->ConnectSrc(clip->GetPropertyHandler());

    KQelNode* bound = manager.CreateKQelNode("Bound");
    entity.GetRootNode()->AddChild(bound);
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->AM(red, 0);
    mesh->AM(red, 1);
    mesh->AT(wood, 0);
    bound->SetNodeAttribute(mesh);
    EXPECT_EQ(entity.GetReferenceUseCount(KQelEntity::eMaterials, red), 2);
    EXPECT_EQ(entity.GetReferenceUseCount(KQelEntity::eTextures, wood), 1);
    bound->SetNodeAttribute(nullptr);
    EXPECT_EQ(entity.GetMaterialCount(), 0);
    EXPECT_EQ(entity.GetTextureCount(), 0);

    MeshNode face(manager);
    face.mMesh->AM(red, 0);
    face.mMesh->AT(wood, 0);
    face.mMesh->AT(manager.CreateKQelTexture("Bare"), 0);
    entity.GetRootNode()->AddChild(face.mNode);
    EXPECT_EQ(entity.GetMaterial(0), red);
    EXPECT_EQ(entity.GetTextureCount(), 2);
    EXPECT_EQ(entity.GetVideoCount(), 1);
    EXPECT_EQ(entity.GetVideo(0), clip);
    entity.GetRootNode()->RemoveChild(face.mNode);
    EXPECT_EQ(entity.GetMaterialCount(), 0);
    EXPECT_EQ(entity.GetTextureCount(), 0);
    EXPECT_EQ(entity.GetVideoCount(), 0);
}

// Files connect anything to anything: every hook meets peers that are not
// what it expects, and must neither crash nor register anything.
TEST(LayerObjects, HostileConnectionsRegisterNothing)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNode* node = manager.CreateKQelNode("Node");
    entity.GetRootNode()->AddChild(node);
    KQelMaterial* material = manager.CreateKQelMaterial("Red");
    KQelTexture* texture = manager.CreateKQelTexture("Wood");
    KQelTexture* other = manager.CreateKQelTexture("Stone");
    KQelVideo* video = manager.CreateKQelVideo("Clip");
    video->SetFileName("clip.tif");
    KQelDeformer* skin = manager.CreateKQelDeformer("Skin", "Skin");
    KObject* plain = new KObject;

    KPlug* sets[] = {material->GetPropertyHandler(), texture->GetPropertyHandler(), video->GetPropertyHandler()};
    const struct {
        KPlug* destination;
        KPlug* source;
    } connections[] = {
        {material->GetPropertyHandler(), skin->GetPropertyHandler()},
        {skin->GetPropertyHandler(), material->GetPropertyHandler()},
        {material->GetPropertyHandler(), video->GetPropertyHandler()},
        {other->GetPropertyHandler(), texture->GetPropertyHandler()},
        {sets[0], plain}, {sets[1], plain}, {sets[2], plain},
        {plain, sets[0]}, {plain, sets[1]}, {plain, sets[2]},
    };
    for (const auto& c : connections)
        EXPECT_TRUE(c.destination->ConnectSrc(c.source));
    EXPECT_EQ(entity.GetMaterialCount(), 0);
    EXPECT_EQ(entity.GetTextureCount(), 0);
    EXPECT_EQ(entity.GetVideoCount(), 0);
    EXPECT_EQ(other->GetVideo(), nullptr);
    EXPECT_STREQ(other->GetFileName(), "");
    EXPECT_TRUE(other->SetFileName("stone.tif"));
    EXPECT_STREQ(video->GetFileName(), "clip.tif");

    // The material, once on the node, leads the video to the node's scene.
    node->GetPropertyHandler()->ConnectSrc(material->GetPropertyHandler());
    EXPECT_EQ(entity.GetMaterialCount(), 1);
    KQelVideo* late = manager.CreateKQelVideo("Late");
    material->GetPropertyHandler()->ConnectSrc(late->GetPropertyHandler());
    EXPECT_EQ(entity.GetVideoCount(), 1);

    plain->Destroy();
    EXPECT_TRUE(manager.DestroyKQelVideo(video));
    EXPECT_TRUE(manager.DestroyKQelTexture(texture));
    EXPECT_EQ(other->GetPropertyHandler()->GetSrcCount(), 0);
}

}  // namespace
}  // namespace qelsdk_600
