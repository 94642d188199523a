#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement LE;
typedef KArrayTemplate<KQelMesh::KDuplicateVertex> DuplicateList;

std::vector<int> PolygonCorners(KQelMesh& pMesh)
{
    return std::vector<int>(pMesh.GetPolygonVertices(), pMesh.GetPolygonVertices() + pMesh.GetPolygonVertexCount());
}

void ExpectVector(const KQelVector4& pActual, const KQelVector4& pExpected)
{
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(pActual[c], pExpected[c], 1e-12) << "component " << c;
}

// Owns the inner lists of a split list.
struct SplitList {
    KArrayTemplate<DuplicateList*> mLists;
    ~SplitList()
    {
        for (int i = 0; i < mLists.GetCount(); ++i)
            delete mLists[i];
    }
};

// Cube corners: point x + 2y + 4z; six quads, counter-clockwise from outside.
const int kCubeCorners[24] = {0, 2, 3, 1, 4, 5, 7, 6, 0, 1, 5, 4, 2, 6, 7, 3, 0, 4, 6, 2, 1, 3, 7, 5};
const KQelVector4 kFaceNormals[6] = {{0, 0, -1, 1}, {0, 0, 1, 1}, {0, -1, 0, 1},
                                     {0, 1, 0, 1},  {-1, 0, 0, 1}, {1, 0, 0, 1}};

// A cube with 24 per-corner face normals, a link on points 0 and 5 and a
// shape whose point i is (i, i, i).
KQelMesh* MakeCube(KQelSdkManager& pManager)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(8);
    for (int i = 0; i < 8; ++i)
        mesh->GetControlPoints()[i].Set(i & 1, (i >> 1) & 1, (i >> 2) & 1, 1);
    for (int face = 0; face < 6; ++face) {
        mesh->BeginPolygon(-1, -1, 0);
        for (int j = 0; j < 4; ++j)
            mesh->AddPolygon(kCubeCorners[4 * face + j]);
    }
    mesh->InitNormals(24);
    for (int k = 0; k < 24; ++k)
        mesh->GetNormals()[k] = kFaceNormals[k / 4];
    KQelLink* link = pManager.CreateKQelLink();
    link->AddControlPointIndex(0, 0.5);
    link->AddControlPointIndex(5, 0.25);
    mesh->AddLink(link);
    KQelShape* shape = pManager.CreateKQelShape();
    shape->InitControlPoints(8);
    for (int i = 0; i < 8; ++i)
        shape->GetControlPoints()[i].Set(i, i, i, 1);
    mesh->AddShape(shape, "Grow");
    return mesh;
}

std::vector<int> LinkIndices(KQelMesh& pMesh)
{
    KQelLink* link = pMesh.GetLink(0);
    return std::vector<int>(link->GetControlPointIndices(),
                            link->GetControlPointIndices() + link->GetControlPointIndicesCount());
}

TEST(MeshNormals, VertexNormalsFollowTheWinding)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitControlPoints(4);
    mesh->GetControlPoints()[1].Set(1, 0, 0, 1);
    mesh->GetControlPoints()[2].Set(0, 1, 0, 1);
    mesh->GetControlPoints()[3].Set(5, 5, 5, 1);  // used by no polygon
    EXPECT_FALSE(mesh->CheckIfVertexNormalsCCW());
    mesh->BeginPolygon(-1, -1, 0);
    for (int i : {0, 1, 2})
        mesh->AddPolygon(i);

    struct Case {
        bool clockwise;
        double z;
    } cases[] = {{false, 1.0}, {true, -1.0}};
    for (const Case& c : cases) {
        mesh->ComputeVertexNormals(c.clockwise);
        EXPECT_EQ(mesh->GetNormalsMappingMode(), LE::eByControlPoint);
        for (int i = 0; i < 3; ++i)
            ExpectVector(mesh->GetNormals()[i], KQelVector4(0, 0, c.z, 1));
        ExpectVector(mesh->GetNormals()[3], KQelVector4(0, 0, 0, 1));
        // One matching point is enough: the unused one always matches.
        EXPECT_TRUE(mesh->CheckIfVertexNormalsCCW());
    }
    for (int i = 0; i < 3; ++i)
        mesh->GetNormals()[i].Set(0, 0, -1, 1);
    mesh->GetNormals()[3].Set(1, 0, 0, 1);
    EXPECT_FALSE(mesh->CheckIfVertexNormalsCCW());
}

TEST(MeshNormals, CubeSplitsIntoOnePointPerCornerAndMergesBack)
{
    KQelSdkManager manager;
    KQelMesh* cube = MakeCube(manager);
    SplitList split;
    cube->BuildSplitList(split.mLists, KQelMesh::eSplitControlPoints);
    ASSERT_EQ(split.mLists.GetCount(), 8);
    cube->SplitPointsForHardEdge(split.mLists);

    ASSERT_EQ(cube->GetControlPointsCount(), 24);
    std::vector<int> expected(kCubeCorners, kCubeCorners + 8);
    for (int k = 8; k < 24; ++k)
        expected.push_back(k);
    EXPECT_EQ(PolygonCorners(*cube), expected);
    EXPECT_EQ(cube->GetNormalsMappingMode(), LE::eByControlPoint);
    for (int k = 0; k < 24; ++k) {
        const int point = expected[static_cast<std::size_t>(k)];
        ExpectVector(cube->GetNormals()[point], kFaceNormals[k / 4]);
        ExpectVector(cube->GetControlPoints()[point], cube->GetControlPoints()[kCubeCorners[k]]);
        EXPECT_EQ(cube->GetShape(0)->GetControlPoints()[point][0], kCubeCorners[k]);
    }
    // Point 0 is also used by corners 8 and 16, point 5 by corners 10 and 23.
    EXPECT_EQ(LinkIndices(*cube), (std::vector<int>{0, 5, 8, 16, 10, 23}));
    EXPECT_EQ(cube->GetLink(0)->GetControlPointWeights()[3], 0.5);
    EXPECT_EQ(cube->GetLink(0)->GetControlPointWeights()[5], 0.25);

    KArrayTemplate<int> merge;
    EXPECT_TRUE(cube->BuildMergeList(merge, KQelMesh::eSplitControlPoints, false));
    cube->MergePointsForPolygonVerteNormals(merge);
    ASSERT_EQ(cube->GetControlPointsCount(), 8);
    EXPECT_EQ(PolygonCorners(*cube), std::vector<int>(kCubeCorners, kCubeCorners + 24));
    EXPECT_EQ(cube->GetNormalsMappingMode(), LE::eByPolygonVertex);
    ASSERT_EQ(cube->GetLayer(0)->GetNormals()->GetDirectArray().GetCount(), 24);
    for (int k = 0; k < 24; ++k)
        ExpectVector(cube->GetNormals()[k], kFaceNormals[k / 4]);
    EXPECT_EQ(LinkIndices(*cube), (std::vector<int>{0, 5}));
    EXPECT_EQ(cube->GetLink(0)->GetControlPointWeights()[1], 0.25);
    ASSERT_EQ(cube->GetShape(0)->GetControlPointsCount(), 8);
    EXPECT_EQ(cube->GetShape(0)->GetControlPoints()[7][2], 7.0);
}

// The merge-list walk as first specified, quadratic: every point compared
// with every later one until the first repeat (unless exhaustive), entries
// left unset mapping to themselves.
std::vector<int> ReferenceMergeList(const std::vector<KQelVector4>& pPoints, bool pExhaustive)
{
    const int n = static_cast<int>(pPoints.size());
    std::vector<int> list(static_cast<std::size_t>(n), -1);
    int firstRepeat = n;
    for (int i = 0; i < n; ++i) {
        if (list[i] < 0)
            list[i] = i;
        if (!pExhaustive && firstRepeat <= i)
            break;
        for (int j = i + 1; j < n; ++j) {
            if (pPoints[i] == pPoints[j]) {
                list[j] = i;
                firstRepeat = std::min(firstRepeat, j);
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        if (list[i] < 0)
            list[i] = i;
    }
    return list;
}

TEST(MeshNormals, MergeListMatchesThePairwiseWalk)
{
    const KQelVector4 a(1, 2, 3, 1), b(4, 5, 6, 1);
    struct Case {
        std::vector<KQelVector4> points;
        bool exhaustive;
        std::vector<int> expected;
    } fixed[] = {
        {{a, b, a, a}, true, {0, 1, 0, 2}},
        {{a, b, a, a}, false, {0, 1, 0, 0}},
        {{a, a}, true, {0, 0}},
        {{a, b}, true, {0, 1}},
    };
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    auto run = [&](const std::vector<KQelVector4>& pPoints, bool pExhaustive, bool& pRepeated) {
        mesh->InitControlPoints(static_cast<int>(pPoints.size()));
        for (std::size_t i = 0; i < pPoints.size(); ++i)
            mesh->GetControlPoints()[i] = pPoints[i];
        KArrayTemplate<int> list;
        pRepeated = mesh->BuildMergeList(list, KQelMesh::eSplitControlPoints, pExhaustive);
        return std::vector<int>(list.GetArray(), list.GetArray() + list.GetCount());
    };
    bool repeated = false;
    for (const Case& c : fixed) {
        EXPECT_EQ(run(c.points, c.exhaustive, repeated), c.expected);
        EXPECT_EQ(repeated, c.expected != (std::vector<int>{0, 1}));
    }

    // Random points on a coarse lattice, jittered around the tolerance and
    // across grid cells, some not finite.
    std::mt19937 random(7);
    const double offsets[] = {0.0, 0.4e-6, -0.9e-6, 1.1e-6, 2e-6, 3.99e-6, 4e-6, 1e300};
    for (int round = 0; round < 200; ++round) {
        std::vector<KQelVector4> points(static_cast<std::size_t>(1 + random() % 40));
        for (KQelVector4& point : points) {
            for (int c = 0; c < 3; ++c)
                point[c] = static_cast<double>(random() % 3) * 8e-6 + offsets[random() % 8];
            if (random() % 50 == 0)
                point[random() % 3] = std::nan("");
        }
        for (bool exhaustive : {false, true}) {
            const std::vector<int> expected = ReferenceMergeList(points, exhaustive);
            EXPECT_EQ(run(points, exhaustive, repeated), expected) << "round " << round;
            bool anyRepeat = false;
            for (std::size_t i = 0; i < expected.size(); ++i)
                anyRepeat = anyRepeat || expected[i] != static_cast<int>(i);
            EXPECT_EQ(repeated, anyRepeat);
        }
    }
}

TEST(MeshNormals, MergeKeepsUniquePointsAfterTheFirstRepeat)
{
    // Triangle soup: A B C, then B C D with D unique and last.
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    const KQelVector4 points[] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1},
                                  {1, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 0, 1}};
    mesh->InitControlPoints(6);
    mesh->InitNormals(0);
    for (int i = 0; i < 6; ++i) {
        mesh->GetControlPoints()[i] = points[i];
        mesh->GetNormals()[i].Set(0, 0, 1, i);
    }
    for (int t = 0; t < 2; ++t) {
        mesh->BeginPolygon(-1, -1, 0);
        for (int j = 0; j < 3; ++j)
            mesh->AddPolygon(3 * t + j);
    }
    KQelLink* link = manager.CreateKQelLink();
    for (int i : {5, 3, 1, 40})
        link->AddControlPointIndex(i, i / 10.0);
    mesh->AddLink(link);
    KArrayTemplate<int> merge;
    ASSERT_TRUE(mesh->BuildMergeList(merge, KQelMesh::eSplitControlPoints, false));
    mesh->MergePointsForPolygonVerteNormals(merge);
    ASSERT_EQ(mesh->GetControlPointsCount(), 4);
    ExpectVector(mesh->GetControlPoints()[3], points[5]);
    EXPECT_EQ(PolygonCorners(*mesh), (std::vector<int>{0, 1, 2, 1, 2, 3}));
    EXPECT_EQ(mesh->GetNormals()[5][3], 5.0);
    EXPECT_EQ(LinkIndices(*mesh), (std::vector<int>{3, 1}));
    EXPECT_EQ(link->GetControlPointWeights()[0], 0.5);
}

TEST(MeshNormals, HostileMeshesChangeNothing)
{
    enum { kSplit, kMerge };
    struct Case {
        const char* what;
        int operation;
        std::vector<int> corners;    // one polygon over 3 points
        bool byCorner;               // 4 normals by polygon vertex, else 3 by point
        std::vector<int> mergeList;  // empty: built exhaustively
    } cases[] = {
        {"split, corners outside the points", kSplit, {0, -1, 1000000000}, true, {}},
        {"merge, corners outside the points", kMerge, {0, -1, 1000000000}, true, {}},
        {"split with by-point normals", kSplit, {0, 1, 2}, false, {}},
        {"merge with a point on two corners", kMerge, {0, 1, 1}, true, {0, 1, 1}},
        {"merge list pointing forward", kMerge, {0, 1, 2}, true, {0, 2, 2}},
        {"merge list too short", kMerge, {0, 1, 2}, true, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KQelSdkManager manager;
        KQelMesh* mesh = manager.CreateKQelMesh();
        mesh->InitControlPoints(3);
        mesh->BeginPolygon(-1, -1, 0);
        for (int corner : c.corners)
            mesh->AddPolygon(corner);
        mesh->ComputeVertexNormals();  // a bad polygon is skipped
        ExpectVector(mesh->GetNormals()[0], KQelVector4(0, 0, 0, 1));
        mesh->InitNormals(c.byCorner ? 4 : 0);
        KQelLink* link = manager.CreateKQelLink();
        link->AddControlPointIndex(7, 1.0);  // past the points
        mesh->AddLink(link);

        if (c.operation == kSplit) {
            SplitList split;
            mesh->BuildSplitList(split.mLists, KQelMesh::eSplitControlPoints);
            mesh->SplitPointsForHardEdge(split.mLists);
        } else {
            KArrayTemplate<int> merge;
            for (int entry : c.mergeList)
                merge.Add(entry);
            if (c.mergeList.empty())
                mesh->BuildMergeList(merge, KQelMesh::eSplitControlPoints, true);
            mesh->MergePointsForPolygonVerteNormals(merge);
        }
        EXPECT_EQ(mesh->GetControlPointsCount(), 3);
        EXPECT_EQ(PolygonCorners(*mesh), c.corners);
        EXPECT_EQ(LinkIndices(*mesh), std::vector<int>{7});
        EXPECT_EQ(mesh->GetNormalsMappingMode(), c.byCorner ? LE::eByPolygonVertex : LE::eByControlPoint);
    }
}

TEST(MeshNormals, SplitAndMergeSkipLinkIndicesPastThePoints)
{
    KQelSdkManager manager;
    KQelMesh* cube = MakeCube(manager);
    cube->GetLink(0)->AddControlPointIndex(8, 1.0);
    SplitList split;
    cube->BuildSplitList(split.mLists, KQelMesh::eSplitControlPoints);
    cube->SplitPointsForHardEdge(split.mLists);
    EXPECT_EQ(LinkIndices(*cube), (std::vector<int>{0, 5, 8, 8, 16, 10, 23}));
    KArrayTemplate<int> merge;
    cube->BuildMergeList(merge, KQelMesh::eSplitControlPoints, false);
    cube->GetLink(0)->AddControlPointIndex(24, 1.0);
    cube->MergePointsForPolygonVerteNormals(merge);
    EXPECT_EQ(LinkIndices(*cube), (std::vector<int>{0, 5}));
}

TEST(MeshNormals, OtherSplitObjectsDoNothing)
{
    KQelSdkManager manager;
    KQelMesh* cube = MakeCube(manager);
    SplitList split;
    cube->BuildSplitList(split.mLists, static_cast<KQelMesh::ESplitObject>(1));
    EXPECT_EQ(split.mLists.GetCount(), 0);
    KArrayTemplate<int> merge;
    EXPECT_FALSE(cube->BuildMergeList(merge, static_cast<KQelMesh::ESplitObject>(1), true));
    EXPECT_EQ(merge.GetCount(), 0);
}

}  // namespace
