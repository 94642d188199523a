#include <gtest/gtest.h>

#include "content/kqeldeformer.h"
#include "content/kqellink.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

void ExpectVector(const KQelVector4& pActual, double pX, double pY, double pZ, double pW)
{
    EXPECT_NEAR(pActual[0], pX, 1e-9);
    EXPECT_NEAR(pActual[1], pY, 1e-9);
    EXPECT_NEAR(pActual[2], pZ, 1e-9);
    EXPECT_NEAR(pActual[3], pW, 1e-9);
}

// A transform of translation (1, 2, 3), rotation (10, 20, 30), scaling 2.
KQelXMatrix SomeMatrix()
{
    return KQelXMatrix(KQelVector4(1, 2, 3, 1), KQelVector4(10, 20, 30, 0), KQelVector4(2, 2, 2, 1));
}

TEST(Link, StartsResetAndIgnoresNegativeIndices)
{
    KQelLink link;
    EXPECT_EQ(link.GetLinkMode(), KQelLink::eAdditive);
    KQelVector4 v;
    ExpectVector(link.GetTransformT(v), 0, 0, 0, 1);
    ExpectVector(link.GetTransformParentR(v), 0, 0, 0, 1);
    ExpectVector(link.GetTransformAssociateModelS(v), 1, 1, 1, 1);
    EXPECT_EQ(link.GetControlPointIndices(), nullptr);
    EXPECT_FALSE(link.IsTransformParentSet());

    link.AddControlPointIndex(-1, 0.5);
    EXPECT_EQ(link.GetControlPointIndicesCount(), 0);
    link.AddControlPointIndex(3, 0.5);
    ASSERT_EQ(link.GetControlPointIndicesCount(), 1);
    EXPECT_EQ(link.GetControlPointWeights()[0], 0.5);
}

TEST(Link, UserDataIdIsComparedWithoutCase)
{
    KQelLink link;
    link.SetUserData("Tag", "payload");
    EXPECT_STREQ(link.GetUserData("tAG"), "payload");
    EXPECT_STREQ(link.GetUserData("Tags"), "");
    link.SetAssociateModel(nullptr);
    EXPECT_STREQ(link.GetAssociateModelName(), "");
}

TEST(Link, OnlyTheParentSettersMarkTheParentGiven)
{
    KQelLink link;
    link.SetTransformMatrix(SomeMatrix());
    EXPECT_FALSE(link.IsTransformParentSet());
    KQelVector4 v;
    ExpectVector(link.GetTransformT(v), 1, 2, 3, 0);
    ExpectVector(link.GetTransformR(v), 10, 20, 30, 0);
    KQelXMatrix rebuilt;
    link.GetTransformMatrix(rebuilt);
    const KQelXMatrix expected = SomeMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(static_cast<const double*>(rebuilt)[i], static_cast<const double*>(expected)[i], 1e-9) << i;
    link.SetTransformParentS(KQelVector4(1, 1, 1, 1));
    EXPECT_TRUE(link.IsTransformParentSet());
    link.Reset();
    link.SetTransformParentMatrix(SomeMatrix());
    EXPECT_TRUE(link.IsTransformParentSet());
}

TEST(Link, AssignmentCopiesEverythingAndNotItself)
{
    KQelLink source;
    source.SetLinkMode(KQelLink::eTotal1);
    source.SetUserData("id", "data");
    source.SetTransformLinkT(KQelVector4(4, 5, 6, 1));
    source.SetTransformParentR(KQelVector4(0, 90, 0, 1));
    source.AddControlPointIndex(7, 0.25);
    KQelLink copy;
    copy.AddControlPointIndex(1, 1.0);
    copy = source;
    EXPECT_EQ(copy.GetLinkMode(), KQelLink::eTotal1);
    EXPECT_STREQ(copy.GetUserData(), "data");
    KQelVector4 v;
    ExpectVector(copy.GetTransformLinkT(v), 4, 5, 6, 1);
    EXPECT_TRUE(copy.IsTransformParentSet());
    ASSERT_EQ(copy.GetControlPointIndicesCount(), 1);
    EXPECT_EQ(copy.GetControlPointIndices()[0], 7);
    EXPECT_NE(copy.GetControlPointIndices(), source.GetControlPointIndices());

    const KQelLink& itself = copy;
    copy = itself;
    EXPECT_EQ(copy.GetControlPointIndicesCount(), 1);
    EXPECT_EQ(copy.GetLinkMode(), KQelLink::eTotal1);
}

TEST(Deformer, TypeNameDecidesKindPrefixAndProperties)
{
    struct Case {
        const char* typeName;
        KQelDeformer::EDeformerType type;
        const char* name;
        const char* typeText;
        int properties;
    } cases[] = {
        {"cLuStEr", KQelDeformer::eCluster, "SubDeformer::Arm", "Cluster", 2},
        {"Skin", KQelDeformer::eSkin, "Deformer::Arm", "Skin", 0},
        {"", KQelDeformer::eSkin, "Deformer::Arm", "Skin", 0},
        {"Clusters", KQelDeformer::eSkin, "Deformer::Arm", "Skin", 0},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelDeformer* deformer = manager.CreateKQelDeformer("Arm", c.typeName);
        ASSERT_NE(deformer, nullptr);
        EXPECT_EQ(deformer->GetDeformerType(), c.type);
        EXPECT_STREQ(deformer->GetName(), c.name);
        EXPECT_STREQ(deformer->GetTypeName(), c.typeText);
        EXPECT_EQ(deformer->GetPropertyHandler()->GetPropertyCount(), c.properties);
        EXPECT_EQ(deformer->GetPropertyHandler()->GetClassId(), KQelDeformerProperties::ClassId);
        EXPECT_EQ(deformer->GetDeformAccuracy(), 50.0);
        EXPECT_EQ(deformer->GetLinkMode(), KQelLink::eNormalize);
        EXPECT_EQ(deformer->GetTakeNodeCount(), 1);
        EXPECT_TRUE(manager.DestroyKQelDeformer(deformer));
    }
}

TEST(Deformer, ClusterAndLinkConvertIntoEachOther)
{
    KQelSdkManager manager;
    KQelLink link;
    link.SetLinkMode(KQelLink::eTotal1);
    link.SetUserData("id", "data");
    link.SetTransformMatrix(SomeMatrix());
    link.SetTransformParentT(KQelVector4(0, 0, 1, 1));
    link.AddControlPointIndex(2, 0.5);
    link.AddControlPointIndex(9, 0.75);

    KQelDeformer* cluster = manager.CreateKQelDeformer("C", "Cluster");
    *cluster = link;
    ASSERT_EQ(cluster->GetControlPointIndices().GetCount(), 2);
    EXPECT_EQ(cluster->GetControlPointWeights().GetAt(1), 0.75);
    EXPECT_TRUE(cluster->IsTransformParentSet());
    // A pair read from a file with a negative index is dropped on the way back.
    cluster->GetControlPointIndices().Add(-4);
    cluster->GetControlPointWeights().Add(1.0);

    KQelLink back;
    back.SetLink(nullptr);
    back = *cluster;
    EXPECT_EQ(back.GetLinkMode(), KQelLink::eTotal1);
    EXPECT_STREQ(back.GetUserDataID(), "id");
    ASSERT_EQ(back.GetControlPointIndicesCount(), 2);
    EXPECT_EQ(back.GetControlPointIndices()[1], 9);
    EXPECT_TRUE(back.IsTransformParentSet());
    EXPECT_EQ(back.GetLink(), nullptr);
    KQelVector4 v;
    ExpectVector(back.GetTransformR(v), 10, 20, 30, 0);
    ExpectVector(back.GetTransformParentT(v), 0, 0, 1, 0);

    KQelDeformer* skin = manager.CreateKQelDeformer("S", "Skin");
    *skin = link;
    EXPECT_EQ(skin->GetControlPointIndices().GetCount(), 0);
    back = *skin;
    EXPECT_EQ(back.GetControlPointIndicesCount(), 0);
    EXPECT_EQ(back.GetLinkMode(), KQelLink::eAdditive);
    EXPECT_FALSE(back.IsTransformParentSet());
}

}  // namespace
