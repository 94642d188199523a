#include <gtest/gtest.h>

#include <string>

#include "content/kqeldeformer.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

// A node with the takes "Default" and "Walk", carrying a new mesh.
struct MeshNode {
    explicit MeshNode(KQelSdkManager& pManager)
        : mNode(pManager.CreateKQelNode("Face")), mMesh(pManager.CreateKQelMesh())
    {
        mNode->CreateTakeNode("Walk");
        mNode->SetNodeAttribute(mMesh);
    }
    // The channel of shape pIndex in take pTake, or null.
    KFCurve* Channel(int pTake, int pIndex) { return mMesh->GetShapeChannel(mNode->GetTakeNode(pTake), pIndex); }

    KQelNode* mNode;
    KQelMesh* mMesh;
};

TEST(GeometryOnNode, ShapesGetChannelsInEveryTakeAndAPropertyOnTheNode)
{
    KQelSdkManager manager;
    MeshNode face(manager);
    EXPECT_EQ(face.mNode->GetMesh(), face.mMesh);
    EXPECT_EQ(face.mNode->GetGeometry(), face.mMesh);
    KQelShape* smile = manager.CreateKQelShape();
    ASSERT_EQ(face.mMesh->AddShape(smile, "Smile"), 0);
    ASSERT_EQ(face.mMesh->AddShape(manager.CreateKQelShape(), "Frown"), 1);

    const float red[] = {1, 0, 0}, green[] = {0, 1, 0};
    for (int take = 0; take < 2; ++take) {
        ASSERT_NE(face.Channel(take, 0), nullptr);
        ASSERT_NE(face.Channel(take, 1), nullptr);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(face.Channel(take, 0)->GetColor()[c], red[c]);
            EXPECT_EQ(face.Channel(take, 1)->GetColor()[c], green[c]);
        }
    }
    KProperty* property = face.mNode->GetPropertyHandler()->FindPropertyByName("Smile");
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->GetPropertyDataType(), KDataTypeGet("Shape"));
    EXPECT_TRUE(property->IsAnimatable());
    EXPECT_EQ(property->AsDouble(), 0.0);

    face.mMesh->SetDefaultShape(1, 0.25);
    EXPECT_EQ(face.mMesh->GetDefaultShape(1), 0.25);
    EXPECT_EQ(face.Channel(0, 1)->GetValue(), 0.25f);
    EXPECT_EQ(face.Channel(1, 1)->GetValue(), 0.0f);
    // A take made later starts from the Default take, channels included.
    KQelTakeNode* run = face.mNode->CreateTakeNode("Run");
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->GetShapeChannel(face.mMesh, 1)->GetValue(), 0.25f);

    face.mMesh->ClearShape();
    EXPECT_EQ(face.mMesh->GetShapeCount(), 0);
    for (int take = 0; take < 3; ++take)
        EXPECT_EQ(face.mNode->GetTakeNode(take)->GetKFCurveNode()->FindRecursive("Smile"), nullptr);
    EXPECT_NE(face.mNode->GetPropertyHandler()->FindPropertyByName("Smile"), nullptr);
    EXPECT_TRUE(manager.DestroyKQelShape(smile));  // still the manager's
}

TEST(GeometryOnNode, BindingCarriesChannelsAndTheNodesEntity)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNode* node = manager.CreateKQelNode("Face");
    node->CreateTakeNode("Walk");
    entity.GetRootNode()->AddChild(node);
    ASSERT_EQ(node->GetEntity(), &entity);

    KQelMesh* mesh = manager.CreateKQelMesh();
    KQelShape* shape = manager.CreateKQelShape();
    mesh->AddShape(shape, "Smile");
    EXPECT_EQ(node->GetPropertyHandler()->FindPropertyByName("Smile"), nullptr);
    node->SetNodeAttribute(mesh);
    EXPECT_EQ(mesh->GetEntity(), &entity);
    EXPECT_EQ(shape->GetEntity(), &entity);
    EXPECT_NE(node->GetPropertyHandler()->FindPropertyByName("Smile"), nullptr);
    for (int take = 0; take < 2; ++take)
        EXPECT_NE(mesh->GetShapeChannel(node->GetTakeNode(take), 0), nullptr);

    // The entity's Clear takes the geometry and its shapes out with the node.
    KQelNode* other = manager.CreateKQelNode("Other");
    KQelMesh* otherMesh = manager.CreateKQelMesh();
    KQelShape* otherShape = manager.CreateKQelShape();
    otherMesh->AddShape(otherShape, "Blink");
    entity.GetRootNode()->AddChild(other);
    other->SetNodeAttribute(otherMesh);
    EXPECT_EQ(otherShape->GetEntity(), &entity);
    entity.Clear();
    EXPECT_EQ(otherMesh->GetEntity(), nullptr);
    EXPECT_EQ(otherShape->GetEntity(), nullptr);

    node->SetNodeAttribute(nullptr);
    EXPECT_EQ(mesh->GetEntity(), nullptr);
    EXPECT_EQ(shape->GetEntity(), nullptr);
    for (int take = 0; take < 2; ++take)
        EXPECT_EQ(node->GetTakeNode(take)->GetKFCurveNode()->FindRecursive("Smile"), nullptr);
}

TEST(GeometryOnNode, OlderLayoutPassRenamesOnlyOnANode)
{
    KQelSdkManager manager;
    MeshNode face(manager);
    face.mMesh->AddShape(manager.CreateKQelShape(), "Smile");
    KQelMesh* loose = manager.CreateKQelMesh();
    loose->AddShape(manager.CreateKQelShape(), "Smile");
    for (KQelGeometry* geometry : {static_cast<KQelGeometry*>(face.mMesh), static_cast<KQelGeometry*>(loose)}) {
        geometry->ClearTemporaryShapeNames();
        for (int take = 0; take < 2; ++take)
            geometry->ConvertShapeNamesToV5Format(face.mNode->GetTakeNode(take));
    }
    for (int take = 0; take < 2; ++take) {
        KFCurveNode* root = face.mNode->GetTakeNode(take)->GetKFCurveNode();
        EXPECT_EQ(root->Find("Smile"), -1);
        EXPECT_GE(root->Find("Smile (Shape)"), 0);
        face.mMesh->RevertShapeNamesToV6Format(face.mNode->GetTakeNode(take));
        EXPECT_GE(root->Find("Smile"), 0);
    }
    face.mMesh->ClearTemporaryShapeNames();
    EXPECT_STREQ(face.mMesh->GetShapeName(0), "Smile");
}

TEST(GeometryOnNode, CopyingANodeCopiesItsMesh)
{
    KQelSdkManager manager;
    MeshNode face(manager);
    face.mMesh->InitControlPoints(3);
    face.mMesh->BeginPolygon(-1, -1, 4);
    for (int i : {0, 1, 2})
        face.mMesh->AddPolygon(i);
    KQelNode* copy = manager.CreateKQelNode("Copy");
    *copy = *face.mNode;
    KQelMesh* copied = copy->GetMesh();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, face.mMesh);
    EXPECT_EQ(copied->GetPolygonGroup(0), 4);
    EXPECT_EQ(copied->GetPolygonVertex(0, 2), 2);
}

TEST(GeometryOnNode, LinksNameTheirNodes)
{
    KQelSdkManager manager;
    KQelNode* bone = manager.CreateKQelNode("Bone");
    KQelLink link;
    link.SetLink(bone);
    link.SetAssociateModel(bone);
    link.SetLink(nullptr);
    EXPECT_EQ(link.GetLink(), bone);
    bone->SetName("Arm");
    EXPECT_STREQ(link.GetLinkName(), "Model::Bone");
    EXPECT_STREQ(link.GetAssociateModelName(), "Model::Arm");

    KQelLink copy;
    copy = link;
    EXPECT_EQ(copy.GetAssociateModel(), bone);
    EXPECT_STREQ(copy.GetLinkName(), "Model::Arm");
}

TEST(GeometryOnNode, DeformersMoveBetweenEntities)
{
    KQelSdkManager manager;
    KQelEntity first(manager), second(manager);
    KQelDeformer* cluster = manager.CreateKQelDeformer("Arm", "Cluster");
    KQelDeformer* skin = manager.CreateKQelDeformer("Body", "Skin");
    EXPECT_TRUE(cluster->SetEntity(&first));
    EXPECT_TRUE(cluster->SetEntity(&first));
    skin->SetEntity(&first);
    EXPECT_EQ(first.GetDeformerCount(0), 2);
    EXPECT_EQ(first.GetDeformerCount(KQelDeformer::eCluster), 1);
    EXPECT_EQ(first.GetDeformer(0, KQelDeformer::eSkin), skin);
    cluster->SetEntity(&second);
    EXPECT_EQ(first.GetDeformerCount(0), 1);
    EXPECT_EQ(second.GetDeformer("SubDeformer::Arm"), cluster);
    cluster->SetEntity(nullptr);
    skin->SetEntity(nullptr);
    EXPECT_EQ(second.GetDeformerCount(0), 0);
    EXPECT_EQ(first.GetDeformerCount(0), 0);

    // A cluster's source models are nodes.
    KQelNode* bone = manager.CreateKQelNode("Bone");
    KQelClusterDeformerProperties* properties =
        static_cast<KQelClusterDeformerProperties*>(cluster->GetPropertyHandler());
    EXPECT_TRUE(properties->SrcModelSet(0, bone->GetPropertyHandler()));
    EXPECT_EQ(properties->SrcModelGet(0), bone->GetPropertyHandler());
    EXPECT_EQ(properties->SrcModelReferenceGet(0), nullptr);
}

}  // namespace
