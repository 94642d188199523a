#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqelweightedmapping.h"
#include "curves/kfcurve.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement LE;
typedef std::vector<int> Corners;

// The corners (control points) of every polygon of a mesh.
std::vector<Corners> Polygons(KQelMesh& pMesh)
{
    std::vector<Corners> polygons;
    for (int p = 0; p < pMesh.GetPolygonCount(); ++p) {
        Corners corners;
        for (int k = 0; k < pMesh.GetPolygonSize(p); ++k)
            corners.push_back(pMesh.GetPolygonVertex(p, k));
        polygons.push_back(corners);
    }
    return polygons;
}

// One polygon of n corners whose corner k uses control point 10 + k, on n + 10
// points placed counter-clockwise on the unit circle.
KQelMesh* Polygon(KQelSdkManager& pManager, int pCorners)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(pCorners + 10);
    for (int k = 0; k < pCorners; ++k) {
        const double angle = 2 * M_PI * k / pCorners;
        mesh->GetControlPoints()[10 + k].Set(std::cos(angle), std::sin(angle), 0, 1);
    }
    mesh->BeginPolygon();
    for (int k = 0; k < pCorners; ++k)
        mesh->AddPolygon(10 + k);
    return mesh;
}

std::vector<std::pair<int, double>> Pairs(KQelLink& pLink)
{
    std::vector<std::pair<int, double>> pairs;
    for (int i = 0; i < pLink.GetControlPointIndicesCount(); ++i)
        pairs.emplace_back(pLink.GetControlPointIndices()[i], pLink.GetControlPointWeights()[i]);
    return pairs;
}

typedef std::vector<std::pair<int, double>> Pairs_t;

TEST(GeometryConverter, PolygonsSplitIntoTheStripOrder)
{
    struct Case {
        int corners;
        std::vector<Corners> triangles;
    } cases[] = {
        {4, {{0, 1, 2}, {2, 3, 0}}},
        {5, {{0, 1, 2}, {2, 3, 0}, {0, 3, 4}}},
        {6, {{0, 1, 2}, {2, 3, 0}, {0, 3, 5}, {3, 4, 5}}},
        {7, {{0, 1, 2}, {2, 3, 0}, {0, 3, 6}, {3, 4, 6}, {6, 4, 5}}},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelMesh* mesh = converter.TriangulateMesh(Polygon(manager, c.corners));
        std::vector<Corners> expected = c.triangles;
        for (Corners& triangle : expected)
            for (int& corner : triangle)
                corner += 10;
        EXPECT_EQ(Polygons(*mesh), expected) << c.corners << " corners";
        EXPECT_EQ(mesh->GetControlPointsCount(), c.corners + 10);
    }
    EXPECT_EQ(converter.TriangulateMesh(nullptr), nullptr);
}

// Large polygons: every triangle turns the polygon's way and together they
// cover its area exactly once; no buffer limits the corner count.
TEST(GeometryConverter, LargePolygonsTriangulateWhole)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (int corners : {1000, 100000}) {
        KQelMesh* mesh = converter.TriangulateMesh(Polygon(manager, corners));
        ASSERT_EQ(mesh->GetPolygonCount(), corners - 2);
        const KQelVector4* point = mesh->GetControlPoints();
        double area = 0;
        bool turnsRight = true;
        for (int p = 0; p < mesh->GetPolygonCount(); ++p) {
            const KQelVector4& a = point[mesh->GetPolygonVertex(p, 0)];
            const KQelVector4& b = point[mesh->GetPolygonVertex(p, 1)];
            const KQelVector4& c = point[mesh->GetPolygonVertex(p, 2)];
            const double twice = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
            turnsRight = turnsRight && twice > 0;
            area += twice / 2;
        }
        EXPECT_TRUE(turnsRight) << corners;
        EXPECT_NEAR(area, corners / 2.0 * std::sin(2 * M_PI / corners), 1e-9) << corners;
        if (corners == 1000) {
            const std::vector<Corners> polygons = Polygons(*mesh);
            EXPECT_EQ(polygons[2], (Corners{10, 13, 1009}));
            EXPECT_EQ(polygons[4], (Corners{1009, 14, 1008}));
            // The two ends of the strip meet at corners 500 to 503.
            EXPECT_EQ(polygons[996], (Corners{513, 510, 512}));
            EXPECT_EQ(polygons[997], (Corners{510, 511, 512}));
        }
    }
}

TEST(GeometryConverter, TriangulationCarriesPolygonMaterialsAndCornerUVs)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitControlPoints(8);
    mesh->InitMaterialIndices(LE::eByPolygon);
    mesh->InitTextureUVIndices(LE::eByPolygonVertex);
    const struct {
        int material;
        Corners points;
    } source[] = {{4, {0, 1, 2, 3}}, {7, {3, 4, 5}}, {2, {6}}, {9, {6, 7}}};
    int uv = 100;
    for (const auto& polygon : source) {
        mesh->BeginPolygon(polygon.material);
        for (int point : polygon.points)
            mesh->AddPolygon(point, uv++);
    }
    mesh->InitNormals(mesh->GetPolygonVertexCount());

    KQelGeometryConverter converter(manager);
    KQelMesh* made = converter.TriangulateMesh(mesh);
    EXPECT_EQ(Polygons(*made), (std::vector<Corners>{{0, 1, 2}, {2, 3, 0}, {3, 4, 5}, {6}, {6, 7}}));
    const KArrayTemplate<int>& materials = made->GetLayer(0)->GetMaterials()->GetIndexArray();
    EXPECT_EQ(Corners(materials.GetArray(), materials.GetArray() + materials.GetCount()), (Corners{4, 4, 7, 2, 9}));
    const Corners uvs[] = {{100, 101, 102}, {102, 103, 100}, {104, 105, 106}, {107}, {108, 109}};
    for (int p = 0; p < 5; ++p)
        for (int k = 0; k < made->GetPolygonSize(p); ++k)
            EXPECT_EQ(made->GetTextureUVIndex(p, k), uvs[p][k]) << p << "," << k;
    // Normals by polygon vertex stay as copied: 10 for the 12 new corners.
    EXPECT_EQ(made->GetLayer(0)->GetNormals()->GetDirectArray().GetCount(), 10);
    EXPECT_EQ(mesh->GetPolygonCount(), 4);
}

// A node with takes "Default", "Walk" and "Run" carrying a geometry with
// shapes "Smile" and "Frown"; the shape channels of Walk and Run get keys.
struct AnimatedNode {
    AnimatedNode(KQelSdkManager& pManager, KQelGeometry* pGeometry) : mNode(pManager.CreateKQelNode("Face"))
    {
        mNode->CreateTakeNode("Walk");
        mNode->CreateTakeNode("Run");
        const int points = pGeometry->GetControlPointsCount();
        for (const char* name : {"Smile", "Frown"}) {
            KQelShape* shape = pManager.CreateKQelShape();
            shape->InitControlPoints(points);
            pGeometry->AddShape(shape, name);
        }
        mNode->SetNodeAttribute(pGeometry);
        for (int take = 1; take < 3; ++take)
            for (int shape = 0; shape < 2; ++shape)
                Key(pGeometry, take, shape, 10.0 * take + shape);
    }
    void Key(KQelGeometry* pGeometry, int pTake, int pShape, double pValue)
    {
        KFCurve* curve = pGeometry->GetShapeChannel(mNode->GetTakeNode(pTake), pShape);
        KFCurveKey key;
        key.Set(KTime(1000), static_cast<float>(pValue));
        curve->KeyAdd(KTime(1000), key);
    }
    // The value of the only key of the channel, NaN without exactly one.
    double KeyValue(int pTake, int pShape)
    {
        KFCurve* curve = mNode->GetGeometry()->GetShapeChannel(mNode->GetTakeNode(pTake), pShape);
        return curve && curve->KeyGetCount() == 1 ? curve->KeyGet(0).GetValue() : NAN;
    }
    KQelNode* mNode;
};

TEST(GeometryConverter, InPlaceReplacementKeepsShapeAnimationOfEveryTakeButDefault)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitControlPoints(4);
    mesh->BeginPolygon();
    for (int k = 0; k < 4; ++k)
        mesh->AddPolygon(k);
    AnimatedNode face(manager, mesh);
    const int attributes = manager.GetKQelNodeAttributeCount();

    ASSERT_TRUE(converter.TriangulateInPlace(face.mNode));
    KQelMesh* made = face.mNode->GetMesh();
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, mesh);
    EXPECT_EQ(made->GetPolygonCount(), 2);
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), attributes);  // the old mesh is gone
    for (int take = 1; take < 3; ++take)
        for (int shape = 0; shape < 2; ++shape)
            EXPECT_EQ(face.KeyValue(take, shape), 10.0 * take + shape) << take << "," << shape;
    EXPECT_EQ(made->GetShapeChannel(face.mNode->GetTakeNode(0), 0)->KeyGetCount(), 0);

    // A patch becomes a NURBS surface the same way.
    KQelPatch* patch = manager.CreateKQelPatch();
    patch->InitControlPoints(4, KQelPatch::eBezier, 4, KQelPatch::eBezier);
    AnimatedNode sheet(manager, patch);
    ASSERT_TRUE(converter.ConvertPatchToNurbInPlace(sheet.mNode));
    ASSERT_NE(sheet.mNode->GetNurb(), nullptr);
    EXPECT_EQ(sheet.KeyValue(2, 1), 21.0);
    EXPECT_FALSE(converter.ConvertPatchToNurbInPlace(sheet.mNode));

    // Other attributes, or none, are left alone.
    KQelNode* eye = manager.CreateKQelNode("Eye");
    EXPECT_FALSE(converter.TriangulateInPlace(eye));
    KQelCamera* camera = manager.CreateKQelCamera();
    eye->SetNodeAttribute(camera);
    EXPECT_FALSE(converter.TriangulateInPlace(eye));
    EXPECT_FALSE(converter.TriangulateInPlace(nullptr));
    EXPECT_EQ(eye->GetNodeAttribute(), camera);
}

TEST(GeometryConverter, FlipExchangesDirectionsAndRenumbersLinks)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(3, 2);
    nurb->SetStep(5, 6);
    nurb->InitControlPoints(3, KQelNurb::kPeriodic, 2, KQelNurb::kOpen);
    for (int v = 0; v < 2; ++v)
        for (int u = 0; u < 3; ++u)
            nurb->GetControlPoints()[v * 3 + u].Set(u, v, 10 * u + v, 1);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = i;
    KQelLink* link = manager.CreateKQelLink();
    for (int k : {0, 1, 5, 6})  // 6 lies past the grid
        link->AddControlPointIndex(k, 1.0);
    nurb->AddLink(link);

    KQelNurb* swapped = converter.FlipNurb(nurb, true, false);
    EXPECT_EQ(swapped->GetUCount(), 2);
    EXPECT_EQ(swapped->GetVCount(), 3);
    EXPECT_EQ(swapped->GetUOrder(), 2u);
    EXPECT_EQ(swapped->GetVOrder(), 3u);
    EXPECT_EQ(swapped->GetUStep(), 6);
    EXPECT_EQ(swapped->GetVType(), KQelNurb::kPeriodic);
    ASSERT_EQ(swapped->GetVKnotCount(), 8);
    EXPECT_EQ(swapped->GetVKnotVector()[7], 7.0);
    for (int v = 0; v < 3; ++v)
        for (int u = 0; u < 2; ++u) {
            const KQelVector4& p = swapped->GetControlPoints()[v * 2 + u];
            EXPECT_EQ(p[2], 10 * v + u) << u << "," << v;
        }
    EXPECT_EQ(Pairs(*swapped->GetLink(0)), (Pairs_t{{0, 1.0}, {1, 1.0}, {5, 1.0}, {6, 1.0}}));

    KQelNurb* relinked = converter.FlipNurb(nurb, false, true);
    EXPECT_EQ(relinked->GetUCount(), 3);
    EXPECT_EQ(relinked->GetControlPoints()[1][2], 10.0);
    EXPECT_EQ(Pairs(*relinked->GetLink(0)), (Pairs_t{{0, 1.0}, {2, 1.0}, {5, 1.0}, {6, 1.0}}));

    // U count 0: nothing to divide by, indices stay.
    nurb->InitControlPoints(0, KQelNurb::kOpen, 2, KQelNurb::kOpen);
    EXPECT_EQ(Pairs(*converter.FlipNurb(nurb, true, true)->GetLink(0)), Pairs(*link));
    EXPECT_EQ(converter.FlipNurb(nullptr, true, true), nullptr);
}

TEST(GeometryConverter, ConvertLinkSumsPathWeightsInAscendingOrder)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    // Link 0 holds source points 0 (0.5), 1 (0.25) and 2 (0.0).
    KQelWeightedMapping linkToSource(1, 3);
    linkToSource.Add(0, 0, 0.5);
    linkToSource.Add(0, 1, -0.25);
    linkToSource.Add(0, 2, 0.0);
    KQelWeightedMapping sourceToDestination(3, 5);
    sourceToDestination.Add(0, 4, 1.0);
    sourceToDestination.Add(1, 4, 1.0);
    sourceToDestination.Add(1, 1, 2.0);
    sourceToDestination.Add(2, 0, 1.0);
    KQelLink* link = manager.CreateKQelLink();
    converter.ConvertLink(0, &linkToSource, &sourceToDestination, link);
    EXPECT_EQ(Pairs(*link), (Pairs_t{{1, 0.5}, {4, 0.75}}));
    // The accumulators start from zero again.
    KQelLink* again = manager.CreateKQelLink();
    converter.ConvertLink(0, &linkToSource, &sourceToDestination, again);
    EXPECT_EQ(Pairs(*again), Pairs(*link));
}

TEST(GeometryConverter, ConvertLinksNormalisesWeightsAndSkipsIndicesPastThePoints)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelMesh* source = manager.CreateKQelMesh();
    source->InitControlPoints(2);
    KQelNode* bone = manager.CreateKQelNode("Bone");
    const int indices[2][2] = {{0, 1}, {1, 7}};
    const double weights[2][2] = {{1.0, 1.0}, {3.0, 1.0}};
    for (int l = 0; l < 2; ++l) {
        KQelLink* link = manager.CreateKQelLink();
        link->SetLinkMode(KQelLink::eNormalize);
        link->SetLink(bone);
        link->SetUserData("id", "data");
        link->SetTransformLinkT(KQelVector4(1, 2, 3, 1));
        for (int i = 0; i < 2; ++i)
            link->AddControlPointIndex(indices[l][i], weights[l][i]);
        source->AddLink(link);
    }
    KQelMesh* destination = manager.CreateKQelMesh();
    destination->InitControlPoints(3);
    destination->AddLink(manager.CreateKQelLink());
    const int links = manager.GetKQelLinkCount();

    // Point 0 reaches destinations 0 and 1, point 1 destination 2.
    KQelWeightedMapping mapping(2, 3);
    mapping.Add(0, 0, 2.0);
    mapping.Add(0, 1, 2.0);
    mapping.Add(1, 2, 5.0);
    converter.ConvertLinks(source, destination, &mapping);
    ASSERT_EQ(destination->GetLinkCount(), 2);
    EXPECT_EQ(manager.GetKQelLinkCount(), links + 1);  // the old link destroyed
    EXPECT_EQ(Pairs(*destination->GetLink(0)), (Pairs_t{{0, 1.0}, {1, 1.0}, {2, 0.25}}));
    EXPECT_EQ(Pairs(*destination->GetLink(1)), (Pairs_t{{2, 0.75}}));
    KQelLink* made = destination->GetLink(0);
    KQelVector4 t;
    EXPECT_EQ(made->GetLinkMode(), KQelLink::eTotal1);
    EXPECT_EQ(made->GetLink(), bone);
    EXPECT_STREQ(made->GetUserData("id"), "data");
    EXPECT_EQ(made->GetTransformLinkT(t)[2], 3.0);
}

// Four points, two triangles (0, 1, 2) and (2, 1, 3) with one normal per
// corner, a shape alike and a link; corner k's normal is (k, 0, 0).
KQelMesh* CornerNormalMesh(KQelSdkManager& pManager)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(4);
    for (int i = 0; i < 4; ++i)
        mesh->GetControlPoints()[i].Set(i, 0, 0, 1);
    for (const Corners& triangle : {Corners{0, 1, 2}, Corners{2, 1, 3}}) {
        mesh->BeginPolygon();
        for (int point : triangle)
            mesh->AddPolygon(point);
    }
    mesh->InitNormals(6);
    for (int k = 0; k < 6; ++k)
        mesh->GetNormals()[k].Set(k, 0, 0, 1);
    KQelShape* shape = pManager.CreateKQelShape();
    shape->InitControlPoints(4);
    shape->GetControlPoints()[3].Set(0, 0, 9, 1);
    shape->InitNormals(6);
    mesh->AddShape(shape, "Bulge");
    KQelLink* link = pManager.CreateKQelLink();
    link->AddControlPointIndex(1, 0.5);
    link->AddControlPointIndex(2, 1.0);
    mesh->AddLink(link);
    return mesh;
}

TEST(GeometryConverter, EmulatedCornerNormalsGiveOnePointPerCorner)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelMesh* mesh = CornerNormalMesh(manager);
    ASSERT_TRUE(converter.EmulateNormalsByPolygonVertex(mesh));
    const Corners used = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(mesh->GetControlPointsCount(), 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(mesh->GetPolygonVertices()[k], k);
        EXPECT_EQ(mesh->GetControlPoints()[k][0], used[k]);
        EXPECT_EQ(mesh->GetNormals()[k][0], k);
    }
    EXPECT_EQ(mesh->GetNormalsMappingMode(), LE::eByControlPoint);
    ASSERT_EQ(mesh->GetShape(0)->GetControlPointsCount(), 6);
    EXPECT_EQ(mesh->GetShape(0)->GetControlPoints()[5][2], 9.0);
    ASSERT_EQ(mesh->GetLinkCount(), 1);
    EXPECT_EQ(Pairs(*mesh->GetLink(0)), (Pairs_t{{1, 0.5}, {2, 1.0}, {3, 1.0}, {4, 0.5}}));
}

TEST(GeometryConverter, EmulationRefusesMeshesItCannotRebuild)
{
    struct Case {
        const char* what;
        void (*spoil)(KQelMesh&);
    } cases[] = {
        {"normals by control point", [](KQelMesh& m) { m.InitNormals(0); }},
        {"corner past the points", [](KQelMesh& m) { m.GetPolygonVertices()[4] = 4; }},
        {"negative corner", [](KQelMesh& m) { m.GetPolygonVertices()[0] = -1; }},
        {"shape of fewer points", [](KQelMesh& m) { m.GetShape(0)->InitControlPoints(3); }},
        {"shape normals by point", [](KQelMesh& m) { m.GetShape(0)->InitNormals(0); }},
        {"no normals", [](KQelMesh& m) { m.GetLayer(0)->GetNormals()->GetDirectArray().Clear(); }},
    };
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    for (const Case& c : cases) {
        KQelMesh* mesh = CornerNormalMesh(manager);
        c.spoil(*mesh);
        EXPECT_FALSE(converter.EmulateNormalsByPolygonVertex(mesh)) << c.what;
        EXPECT_EQ(mesh->GetControlPointsCount(), 4) << c.what;
        EXPECT_EQ(Pairs(*mesh->GetLink(0)), (Pairs_t{{1, 0.5}, {2, 1.0}})) << c.what;
    }
    EXPECT_FALSE(converter.EmulateNormalsByPolygonVertex(nullptr));
}

}  // namespace
