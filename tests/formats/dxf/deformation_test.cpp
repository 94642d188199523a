#include <gtest/gtest.h>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "formats/kqeldeformationbaking.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

// A mesh on a node, its points (x, 0, 0) for each x given.
KQelMesh* MeshOf(KQelSdkManager& pManager, std::initializer_list<double> pXs)
{
    KQelNode* node = pManager.CreateKQelNode("mesh");
    KQelMesh* mesh = pManager.CreateKQelMesh();
    node->SetNodeAttribute(mesh);
    mesh->InitControlPoints(static_cast<int>(pXs.size()));
    int i = 0;
    for (double x : pXs)
        mesh->GetControlPoints()[i++] = KQelVector4(x, 0.0, 0.0, 1.0);
    return mesh;
}

// A shape whose points are the mesh's moved by pOffset in y, pCount of them.
void AddShape(KQelSdkManager& pManager, KQelMesh* pMesh, const char* pName, double pOffset, double pWeight, int pCount)
{
    KQelShape* shape = pManager.CreateKQelShape();
    shape->InitControlPoints(pCount);
    for (int i = 0; i < pCount; ++i)
        shape->GetControlPoints()[i] = pMesh->GetControlPoints()[i] + KQelVector4(0.0, pOffset, 0.0, 0.0);
    const int index = pMesh->AddShape(shape, pName);
    pMesh->SetDefaultShape(index, pWeight);
}

}  // namespace

TEST(DeformationBaking, ShapesAddWeightedOffsetsToTheRestPoints)
{
    const struct {
        double mWeightA, mWeightB;
        int mCountB;
        double mY;
    } cases[] = {
        {0.0, 0.0, 2, 0.0}, {1.0, 0.0, 2, 2.0}, {0.5, 0.0, 2, 1.0}, {1.0, 1.0, 2, 12.0}, {1.0, 1.0, 1, 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mY);
        KQelSdkManager manager;
        KQelMesh* mesh = MeshOf(manager, {1.0, 2.0});
        AddShape(manager, mesh, "a", 2.0, c.mWeightA, 2);
        // A shape with fewer points than the mesh contributes nothing.
        AddShape(manager, mesh, "b", 10.0, c.mWeightB, c.mCountB);
        ComputeShapeDeformation(nullptr, mesh, mesh->GetControlPoints());
        EXPECT_DOUBLE_EQ(c.mY, mesh->GetControlPoints()[1][1]);
        EXPECT_DOUBLE_EQ(2.0, mesh->GetControlPoints()[1][0]);
    }
}

TEST(DeformationBaking, LinksMoveTheirPointsByTheFirstLinksMode)
{
    // Two links from bones scaled by pScale since binding, holding point 0
    // with weights 0.5 and 0.25; point 1 is held with weight 0 only.
    const struct {
        KQelLink::ELinkMode mMode;
        double mScale;
        double mX;
    } cases[] = {
        {KQelLink::eNormalize, 2.0, 2.0},
        {KQelLink::eTotal1, 2.0, 1.75},
        {KQelLink::eAdditive, 2.0, 1.875},
        {KQelLink::eNormalize, 1.0, 1.0},
        {KQelLink::eAdditive, 1.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mX);
        KQelSdkManager manager;
        KQelMesh* mesh = MeshOf(manager, {1.0, 3.0});
        KQelNode* bone = manager.CreateKQelNode("bone");
        bone->SetDefaultS(KQelVector4(c.mScale, c.mScale, c.mScale, 0.0));
        const double weights[] = {0.5, 0.25, 1.0};
        for (int k = 0; k < 3; ++k) {
            KQelLink* link = manager.CreateKQelLink();
            // The third link has no node; later links' modes do not count.
            if (k < 2)
                link->SetLink(bone);
            link->SetLinkMode(k == 0 ? c.mMode : KQelLink::eAdditive);
            link->AddControlPointIndex(0, weights[k]);
            link->AddControlPointIndex(1, 0.0);
            link->AddControlPointIndex(2, 1.0);
            mesh->AddLink(link);
        }
        ComputeLinkDeformation(KQelXMatrix(), mesh, mesh->GetControlPoints());
        EXPECT_NEAR(c.mX, mesh->GetControlPoints()[0][0], 1e-12);
        EXPECT_EQ(3.0, mesh->GetControlPoints()[1][0]);
    }
}

TEST(DeformationBaking, GlobalPositionChainsDefaultTransforms)
{
    // One along x, then y, then -x: each level turns a quarter further.
    KQelSdkManager manager;
    KQelNode* parent = nullptr;
    for (int i = 0; i < 3; ++i) {
        KQelNode* node = manager.CreateKQelNode("n");
        node->SetDefaultT(KQelVector4(1.0, 0.0, 0.0, 0.0));
        node->SetDefaultR(KQelVector4(0.0, 0.0, 90.0, 0.0));
        if (parent)
            parent->AddChild(node);
        parent = node;
    }
    const KQelVector4 origin = GetGlobalPosition(parent).MultT(KQelVector4());
    EXPECT_NEAR(0.0, origin[0], 1e-12);
    EXPECT_NEAR(1.0, origin[1], 1e-12);
    EXPECT_EQ(KQelXMatrix(), GetGlobalPosition(nullptr));
}
