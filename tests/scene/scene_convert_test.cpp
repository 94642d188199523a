// The scene's conversions for writing and after reading.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqeldeformer.h"
#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef KQelLayerElement LE;

// A scene of the manager's nodes under its root.
struct Scene {
    Scene() : mScene(mManager.CreateKQelScene()), mEntity(*mScene->GetEntity()) {}

    KQelNode* Node(const char* pName, KQelNode* pParent = nullptr)
    {
        KQelNode* node = mManager.CreateKQelNode(pName);
        (pParent ? pParent : mScene->GetRootNode())->AddChild(node);
        return node;
    }
    KQelMesh* Mesh(const char* pName)
    {
        KQelMesh* mesh = mManager.CreateKQelMesh();
        Node(pName)->SetNodeAttribute(mesh);
        mesh->CreateLayer();
        return mesh;
    }
    void Write()
    {
        mScene->ConnectMaterials();
        mScene->ConnectTextures();
        mScene->ConnectVideos();
        mScene->BuildKQelDeformerFromKQelLink();
    }
    void Read()
    {
        mScene->BuildMaterialLayersDirectArray();
        mScene->BuildTextureLayersDirectArray();
        mScene->BuildKQelLinkFromKQelDeformer();
        mScene->RemoveKQelDeformers();
    }

    KQelSdkManager mManager;
    KQelScene* mScene;
    KQelEntity& mEntity;
};

template <class Element, class T>
Element* MakeElement(LE::EMappingMode pMapping, LE::EReferenceMode pMode, std::vector<T> pDirect,
                     std::vector<int> pIndices)
{
    Element* element = new Element;
    element->SetMappingMode(pMapping);
    element->SetReferenceMode(pMode);
    for (T object : pDirect)
        element->GetDirectArray().Add(object);
    for (int index : pIndices)
        element->GetIndexArray().Add(index);
    return element;
}

// The object polygon pPolygon uses, or null.
template <class Element>
void* Resolve(const Element* pElement, int pPolygon)
{
    const int item = pElement->GetMappingMode() == LE::eAllSame ? 0 : pPolygon;
    int entry = item;
    if (pElement->GetReferenceMode() == LE::eIndexToDirect)
        entry = item < pElement->GetIndexArray().GetCount() ? pElement->GetIndexArray()[item] : -1;
    const auto& direct = pElement->GetDirectArray();
    return entry >= 0 && entry < direct.GetCount() ? direct[entry] : nullptr;
}

struct LinkRecord {
    KQelNode* mNode;
    KQelNode* mModel;
    std::vector<int> mIndices;
    std::vector<double> mWeights;
    KQelVector4 mTRS[4][3];
};

KQelLink* MakeLink(KQelSdkManager& pManager, KQelNode* pNode, KQelNode* pModel, int pSeed)
{
    KQelLink* link = pManager.CreateKQelLink();
    link->SetLink(pNode);
    link->SetAssociateModel(pModel);
    for (int i = 0; i < 3; ++i)
        link->AddControlPointIndex(pSeed + 2 * i, 0.25 * (i + 1));
    const double s = pSeed;
    link->SetTransformT(KQelVector4(s, 2.0, -3.0, 1.0));
    link->SetTransformR(KQelVector4(30.0, -45.0 + s, 60.0, 1.0));
    link->SetTransformS(KQelVector4(1.0, 2.0, 0.5, 1.0));
    link->SetTransformLinkT(KQelVector4(-1.0, s, 4.0, 1.0));
    link->SetTransformLinkR(KQelVector4(-80.0, 10.0, 89.0, 1.0));
    link->SetTransformLinkS(KQelVector4(3.0, 3.0, 3.0, 1.0));
    link->SetTransformParentR(KQelVector4(0.0, s, -20.0, 1.0));
    return link;
}

LinkRecord Record(KQelLink& pLink)
{
    LinkRecord record{pLink.GetLink(), pLink.GetAssociateModel(), {}, {}, {}};
    for (int i = 0; i < pLink.GetControlPointIndicesCount(); ++i) {
        record.mIndices.push_back(pLink.GetControlPointIndices()[i]);
        record.mWeights.push_back(pLink.GetControlPointWeights()[i]);
    }
    pLink.GetTransformT(record.mTRS[0][0]);
    pLink.GetTransformR(record.mTRS[0][1]);
    pLink.GetTransformS(record.mTRS[0][2]);
    pLink.GetTransformLinkT(record.mTRS[1][0]);
    pLink.GetTransformLinkR(record.mTRS[1][1]);
    pLink.GetTransformLinkS(record.mTRS[1][2]);
    pLink.GetTransformAssociateModelT(record.mTRS[2][0]);
    pLink.GetTransformAssociateModelR(record.mTRS[2][1]);
    pLink.GetTransformAssociateModelS(record.mTRS[2][2]);
    pLink.GetTransformParentT(record.mTRS[3][0]);
    pLink.GetTransformParentR(record.mTRS[3][1]);
    pLink.GetTransformParentS(record.mTRS[3][2]);
    return record;
}

void ExpectSameLink(const LinkRecord& pExpected, const LinkRecord& pActual)
{
    EXPECT_EQ(pActual.mNode, pExpected.mNode);
    EXPECT_EQ(pActual.mModel, pExpected.mModel);
    EXPECT_EQ(pActual.mIndices, pExpected.mIndices);
    EXPECT_EQ(pActual.mWeights, pExpected.mWeights);
    for (int t = 0; t < 4; ++t) {
        for (int p = 0; p < 3; ++p) {
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(pActual.mTRS[t][p][c], pExpected.mTRS[t][p][c], 1e-9) << t << " " << p << " " << c;
        }
    }
}

// Written as connections and deformers, read back into arrays and links:
// what the geometry refers to comes back unchanged.
TEST(SceneConversion, RoundTripKeepsLayerObjectsLinksAndGobos)
{
    Scene scene;
    KQelSdkManager& manager = scene.mManager;
    KQelMaterial* red = manager.CreateKQelMaterial("Red");
    KQelMaterial* green = manager.CreateKQelMaterial("Green");
    KQelMaterial* blue = manager.CreateKQelMaterial("Blue");
    KQelTexture* wood = manager.CreateKQelTexture("Wood");
    KQelTexture* stone = manager.CreateKQelTexture("Stone");
    wood->SetFileName("maps/wood.tif");
    stone->SetFileName("/maps/stone.tif");
    KQelNode* bones[3] = {scene.Node("Bone1"), scene.Node("Bone2"), scene.Node("Bone3")};

    // Four polygons on A: Green unused, one texture index past the array.
    KQelMesh* a = scene.Mesh("MeshA");
    KQelLayer* layerA = a->GetLayer(0);
    layerA->SetMaterials(MakeElement<KQelLayerElementMaterial, KQelMaterial*>(
        LE::eByPolygon, LE::eIndexToDirect, {red, green, blue}, {2, 2, 0, 2}));
    layerA->SetTextures(MakeElement<KQelLayerElementTexture, KQelTexture*>(LE::eByPolygon, LE::eIndexToDirect,
                                                                           {wood}, {0, 0, 5, 0}));
    a->AddLink(MakeLink(manager, bones[0], nullptr, 1));
    a->AddLink(MakeLink(manager, bones[1], bones[2], 2));
    // Three polygons on B.
    KQelMesh* b = scene.Mesh("MeshB");
    KQelLayer* layerB = b->GetLayer(0);
    layerB->SetMaterials(
        MakeElement<KQelLayerElementMaterial, KQelMaterial*>(LE::eByPolygon, LE::eDirect, {green, blue, red}, {}));
    layerB->SetTextures(
        MakeElement<KQelLayerElementTexture, KQelTexture*>(LE::eAllSame, LE::eDirect, {stone}, {}));
    b->AddLink(MakeLink(manager, bones[1], nullptr, 3));
    b->AddLink(MakeLink(manager, bones[2], bones[0], 4));

    KQelNode* lamp = scene.Node("Lamp");
    KQelLight* light = manager.CreateKQelLight();
    lamp->SetNodeAttribute(light);
    light->SetFileName("/maps/gobo.tif");
    scene.Node("LampChild", lamp);

    struct Mesh {
        KQelMesh* mMesh;
        int mPolygons;
        std::vector<void*> mMaterials, mTextures;
        std::vector<LinkRecord> mLinks;
    } meshes[] = {{a, 4, {}, {}, {}}, {b, 3, {}, {}, {}}};
    for (Mesh& m : meshes) {
        for (int p = 0; p < m.mPolygons; ++p) {
            m.mMaterials.push_back(Resolve(m.mMesh->GetLayer(0)->GetMaterials(), p));
            m.mTextures.push_back(Resolve(m.mMesh->GetLayer(0)->GetTextures(), p));
        }
        for (int l = 0; l < m.mMesh->GetLinkCount(); ++l)
            m.mLinks.push_back(Record(*m.mMesh->GetLink(l)));
    }

    scene.Write();
    EXPECT_EQ(layerA->GetTextures()->GetIndexArray()[2], -1);
    EXPECT_EQ(scene.mEntity.GetMaterialCount(), 3);
    EXPECT_EQ(scene.mEntity.GetTextureCount(), 2);
    EXPECT_STREQ(wood->GetVideo()->GetFileName(), "maps/wood.tif");
    EXPECT_STREQ(wood->GetMediaName().Buffer(), "Video::Wood");
    const char* deformers[] = {"Deformer::Skin MeshA", "SubDeformer::Cluster Bone1", "SubDeformer::Cluster Bone2",
                               "Deformer::Skin MeshB", "SubDeformer::Cluster Bone2 1",
                               "SubDeformer::Cluster Bone3"};
    ASSERT_EQ(scene.mEntity.GetDeformerCount(), 6);
    std::vector<KQelDeformer*> made;
    for (int i = 0; i < 6; ++i) {
        made.push_back(scene.mEntity.GetDeformer(i));
        EXPECT_STREQ(made.back()->GetName(), deformers[i]);
    }

    // What a file keeps: index arrays and connections, no links, no direct
    // arrays.
    for (Mesh& m : meshes) {
        m.mMesh->GetLayer(0)->GetMaterials()->GetDirectArray().Clear();
        m.mMesh->GetLayer(0)->GetTextures()->GetDirectArray().Clear();
        std::vector<KQelLink*> links;
        for (int l = 0; l < m.mMesh->GetLinkCount(); ++l)
            links.push_back(m.mMesh->GetLink(l));
        m.mMesh->ClearLink();
        for (KQelLink* link : links)
            manager.DestroyKQelLink(link);
    }
    scene.Read();

    for (Mesh& m : meshes) {
        SCOPED_TRACE(m.mMesh->GetNode()->GetName());
        for (int p = 0; p < m.mPolygons; ++p) {
            EXPECT_EQ(Resolve(m.mMesh->GetLayer(0)->GetMaterials(), p), m.mMaterials[p]) << p;
            EXPECT_EQ(Resolve(m.mMesh->GetLayer(0)->GetTextures(), p), m.mTextures[p]) << p;
        }
        ASSERT_EQ(m.mMesh->GetLinkCount(), static_cast<int>(m.mLinks.size()));
        for (int l = 0; l < m.mMesh->GetLinkCount(); ++l)
            ExpectSameLink(m.mLinks[l], Record(*m.mMesh->GetLink(l)));
    }
    // Only the materials A uses stay in its direct array, indices remapped.
    EXPECT_EQ(layerA->GetMaterials()->GetDirectArray().GetCount(), 2);
    EXPECT_EQ(layerA->GetMaterials()->GetIndexArray()[2], 0);

    // The gobo's video came although the lamp has a child.
    KQelNodeProperties* lampSet = lamp->GetPropertyHandler();
    KQelVideo* gobo = nullptr;
    for (int i = 0; i < lampSet->GetSrcCount() && !gobo; ++i) {
        KQelPropertyHandler* set = dynamic_cast<KQelPropertyHandler*>(lampSet->GetSrc(i));
        gobo = set ? dynamic_cast<KQelVideo*>(set->GetKQelObject()) : nullptr;
    }
    ASSERT_NE(gobo, nullptr);
    EXPECT_STREQ(gobo->GetName(), "Video::gobo.tif");
    EXPECT_STREQ(gobo->GetFileName(), "/maps/gobo.tif");

    EXPECT_EQ(scene.mEntity.GetDeformerCount(), 0);
    for (KQelDeformer* deformer : made)
        EXPECT_FALSE(manager.DestroyKQelDeformer(deformer));  // no longer the manager's
}

// In index mode with a direct array already holding objects, the indices
// move once, from their values before, never onto a later source's.
TEST(SceneConversion, IndexToDirectRemapsEachIndexOnce)
{
    Scene scene;
    KQelMesh* mesh = scene.Mesh("Mesh");
    KQelMaterial* kept = scene.mManager.CreateKQelMaterial("Kept");
    KQelMaterial* sources[3] = {scene.mManager.CreateKQelMaterial("A"), scene.mManager.CreateKQelMaterial("B"),
                                scene.mManager.CreateKQelMaterial("C")};
    for (KQelMaterial* material : sources)
        mesh->GetNode()->GetPropertyHandler()->ConnectSrc(material->GetPropertyHandler());
    KQelLayerElementMaterial* element = MakeElement<KQelLayerElementMaterial, KQelMaterial*>(
        LE::eByPolygon, LE::eIndexToDirect, {kept}, {0, 1, 7, -1, 1});
    mesh->GetLayer(0)->SetMaterials(element);
    scene.mScene->BuildMaterialLayersDirectArray();
    const KArrayTemplate<KQelMaterial*>& direct = element->GetDirectArray();
    ASSERT_EQ(direct.GetCount(), 3);
    EXPECT_EQ(direct[1], sources[0]);
    EXPECT_EQ(direct[2], sources[1]);
    const int expected[] = {1, 2, 7, -1, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(element->GetIndexArray()[i], expected[i]) << i;
}

TEST(SceneConversion, ConnectingSkipsNullEntriesAndIndexModeLayers)
{
    Scene scene;
    KQelMesh* mesh = scene.Mesh("Mesh");
    KQelMaterial* red = scene.mManager.CreateKQelMaterial("Red");
    KQelMaterial* blue = scene.mManager.CreateKQelMaterial("Blue");
    mesh->GetLayer(0)->SetMaterials(
        MakeElement<KQelLayerElementMaterial, KQelMaterial*>(LE::eByPolygon, LE::eDirect, {nullptr, red}, {}));
    mesh->CreateLayer();
    mesh->GetLayer(1)->SetMaterials(
        MakeElement<KQelLayerElementMaterial, KQelMaterial*>(LE::eByPolygon, LE::eIndex, {blue}, {0}));
    scene.mScene->ConnectMaterials();
    KQelNodeProperties* set = mesh->GetNode()->GetPropertyHandler();
    ASSERT_EQ(set->GetSrcCount(), 1);
    EXPECT_EQ(set->GetSrc(0), red->GetPropertyHandler());
    EXPECT_EQ(scene.mEntity.GetMaterialCount(), 1);
}

TEST(SceneConversion, VideosComeOnlyForFilesAndObjectsWithoutOne)
{
    Scene scene;
    KQelSdkManager& manager = scene.mManager;
    KQelMesh* mesh = scene.Mesh("Mesh");
    KQelTexture* bare = manager.CreateKQelTexture("Bare");
    KQelTexture* linked = manager.CreateKQelTexture("Linked");
    KQelTexture* fed = manager.CreateKQelTexture("Fed");
    linked->SetFileName("linked.tif");
    fed->SetFileName("fed.tif");
    fed->SetMediaName("Video::Clip");
    KQelVideo* own = manager.CreateKQelVideo("Own");
    linked->GetPropertyHandler()->ConnectSrc(own->GetPropertyHandler());
    for (KQelTexture* texture : {bare, linked, fed})
        mesh->AT(texture, 0);
    scene.mScene->ConnectTextures();
    scene.mScene->ConnectVideos();

    EXPECT_EQ(bare->GetVideo(), nullptr);
    EXPECT_EQ(linked->GetVideo(), own);
    ASSERT_NE(fed->GetVideo(), nullptr);
    EXPECT_STREQ(fed->GetVideo()->GetName(), "Video::Clip");
    EXPECT_EQ(manager.GetKQelVideoCount(), 2);

    // Null arguments, or no file, do nothing.
    ConnectVideoToNodeUsing(nullptr, "a.tif", nullptr, "", "a", &manager);
    ConnectVideoToNodeUsing(bare, "a.tif", nullptr, "", "a", nullptr);
    ConnectVideoToNodeUsing(bare, "", nullptr, "", "a", &manager);
    EXPECT_EQ(manager.GetKQelVideoCount(), 2);
    ConnectVideoToNodeUsing(bare, "a.tif", "rel/a.tif", "", "A", &manager);
    ASSERT_NE(bare->GetVideo(), nullptr);
    EXPECT_STREQ(bare->GetVideo()->GetRelativeFileName(), "rel/a.tif");
    EXPECT_STREQ(bare->GetRelativeFileName(), "rel/a.tif");
}

// A deformer listed with several uses, or also bound to the store, goes
// once; clusters before skins.
TEST(SceneConversion, RemoveDeformersDropsEveryUseAndDestroysOnce)
{
    Scene scene;
    KQelSdkManager& manager = scene.mManager;
    KQelDeformer* skin = manager.CreateKQelDeformer("Skin", "Skin");
    KQelDeformer* cluster = manager.CreateKQelDeformer("Cluster", "Cluster");
    KQelDeformer* bound = manager.CreateKQelDeformer("Bound", "Cluster");
    scene.mEntity.AddDeformer(skin);
    scene.mEntity.AddDeformer(skin);
    scene.mEntity.AddDeformer(cluster);
    bound->SetEntity(&scene.mEntity);
    scene.mEntity.AddDeformer(bound);
    skin->GetPropertyHandler()->ConnectSrc(cluster->GetPropertyHandler());
    scene.mScene->RemoveKQelDeformers();
    EXPECT_EQ(scene.mEntity.GetDeformerCount(), 0);
    for (KQelDeformer* deformer : {skin, cluster, bound})
        EXPECT_FALSE(manager.DestroyKQelDeformer(deformer));
    scene.mScene->RemoveKQelDeformers();  // nothing left: nothing happens
}

}  // namespace
}  // namespace qelsdk_600
