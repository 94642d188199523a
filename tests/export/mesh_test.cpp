// Meshes: points, polygons, normals, hard edges, colours, UV sets, and the
// bind-state geometry a deformer reads.
#include <gtest/gtest.h>

#include <algorithm>

#include <vesk/MColorArray.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFnGeometryFilter.h>
#include <vesk/MGlobal.h>

#include "content/kqelcolor.h"
#include "deform/deform_kinds.h"
#include "export/shape_fixture.h"
#include "geometry/geometry_kinds.h"

using namespace qelsdk_600;

namespace {

// Puts a deformer of that kind on the shape; returns it.
MObject Deform(const char* pKind, const char* pName, const char* pShape)
{
    const vesk::NodeId deformer = vesk::fixture::make(pKind, pName);
    MStatus status;
    vesk::attachDeformer(deformer, vesk::fixture::node(pShape), &status);
    EXPECT_TRUE(status) << pShape;
    return vesk::ObjectAccess::fromNode(deformer);
}

// Replaces the geometry of a mesh shape.
void Rebuild(const char* pShape, const std::vector<MPoint>& pPoints, const Polygons& pPolygons)
{
    std::vector<int> counts, connects;
    for (const std::vector<int>& polygon : pPolygons) {
        counts.push_back(static_cast<int>(polygon.size()));
        connects.insert(connects.end(), polygon.begin(), polygon.end());
    }
    vesk::meshOf(vesk::fixture::node(pShape))->build(pPoints, counts.data(), counts.size(), connects.data());
}

std::vector<MPoint> Points(const char* pShape)
{
    MPointArray points;
    MFnMesh(HostTest::object(pShape)).getPoints(points);
    return std::vector<MPoint>(&points[0], &points[0] + points.length());
}

void ExpectVector(const KQelVector4& pActual, double pX, double pY, double pZ, double pW, const char* pWhat)
{
    EXPECT_NEAR(pActual[0], pX, 1e-9) << pWhat;
    EXPECT_NEAR(pActual[1], pY, 1e-9) << pWhat;
    EXPECT_NEAR(pActual[2], pZ, 1e-9) << pWhat;
    EXPECT_EQ(pActual[3], pW) << pWhat;
}

}  // namespace

TEST_F(ShapeTest, MeshPointsPolygonsAndNormalsByControlPoint)
{
    MakeMesh("pyramid", {{0, 0, 0, 1}, {2, 0, 0, 1}, {2, 0, 2, 1}, {0, 0, 2, 1}, {1, 3, 1, 2}},
             {{0, 1, 2, 3}, {4, 1, 0}, {4, 2, 1}, {4, 3, 2}, {4, 0, 3}});
    // A joint carries its mesh as a transform does.
    MFnMesh().copy(object("pyramidShape"), make("joint", "bone"));
    ASSERT_TRUE(ExportAndRead());
    ASSERT_NE(Mesh("bone"), nullptr);
    EXPECT_EQ(Mesh("bone")->GetPolygonCount(), 5);
    KQelMesh* mesh = Mesh("pyramid");
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetControlPointsCount(), 5);
    ExpectVector(mesh->GetControlPoints()[4], 1, 3, 1, 0, "apex (files keep no w)");
    ASSERT_EQ(mesh->GetPolygonCount(), 5);
    EXPECT_EQ(mesh->GetPolygonSize(0), 4);
    EXPECT_EQ((std::vector<int>{mesh->GetPolygonVertex(1, 0), mesh->GetPolygonVertex(1, 1), mesh->GetPolygonVertex(1, 2)}),
              (std::vector<int>{4, 1, 0}));
    EXPECT_EQ(mesh->GetNormalsMappingMode(), KQelLayerElement::eByControlPoint);
    // The apex has four corners: its normal is the host's vertex normal,
    // straight up by symmetry.
    ExpectVector(mesh->GetNormals()[4], 0, 1, 0, 1.0, "apex normal");
    EXPECT_EQ(Node("pyramid")->GetShadingMode(), KQelNode::eTextureShading);
}

TEST_F(ShapeTest, HardEdgesSplitMeshesWhoseHostNormalsDifferPerCorner)
{
    const struct {
        bool hard;     // the host cube has hard edges
        bool setting;  // kExportHardEdges
        int points;
    } cases[] = {{true, true, 24}, {true, false, 8}, {false, true, 8}};
    for (const auto& c : cases) {
        standin::resetHost();
        MakeCube("cube");
        if (c.hard)
            HardenEdges("cubeShape");
        Params().SetBoolParam(QelVeskUserParams::kExportHardEdges, c.setting);
        ASSERT_TRUE(ExportAndRead());
        KQelMesh* mesh = Mesh("cube");
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetControlPointsCount(), c.points) << c.hard << c.setting;
        EXPECT_EQ(mesh->GetNormalsMappingMode(), KQelLayerElement::eByControlPoint);
        EXPECT_EQ(mesh->GetLayer(0)->GetNormals()->GetDirectArray().GetCount(), c.points);
        if (c.points == 24)
            for (int v = 0; v < 4; ++v)  // the bottom face looks down
                ExpectVector(mesh->GetNormals()[mesh->GetPolygonVertex(0, v)], 0, 0, -1, 1.0, "bottom");
    }
}

TEST_F(ShapeTest, VertexColoursOnlyWhenACornerHasOne)
{
    MakeStrip("plain", 2);
    MakeStrip("painted", 2);
    MFnMesh painted(object("paintedShape"));
    MIntArray face, vertex;
    face.append(1);
    vertex.append(2);
    MColorArray colour;
    colour.append(MColor(0.25f, 0.5f, 0.75f, 1.0f));
    ASSERT_TRUE(painted.setFaceVertexColors(colour, face, vertex));
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Mesh("plain")->GetLayer(0)->GetVertexColors(), nullptr);
    KQelLayerElementVertexColor* colours = Mesh("painted")->GetLayer(0)->GetVertexColors();
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(colours->GetMappingMode(), KQelLayerElement::eByPolygonVertex);
    EXPECT_EQ(colours->GetReferenceMode(), KQelLayerElement::eIndexToDirect);
    ASSERT_EQ(colours->GetDirectArray().GetCount(), 8);
    EXPECT_EQ(Indices(colours), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    const KQelColor c = colours->GetDirectArray()[4];  // polygon 1, corner 0
    EXPECT_EQ(std::vector<double>({c.mRed, c.mGreen, c.mBlue, c.mAlpha}), std::vector<double>({0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(colours->GetDirectArray()[0].mAlpha, 0.0) << "an uncoloured corner is transparent";
}

TEST_F(ShapeTest, UVSetsGoToLayerZeroTheLaterSetRemaining)
{
    MakeStrip("strip", 2);
    MFnMesh mesh(object("stripShape"));
    const MString second("second");
    ASSERT_TRUE(mesh.createUVSet(second));
    const float u[] = {0.0f, 0.5f, 1.0f}, v[] = {0.0f, 1.0f, 0.25f};
    ASSERT_TRUE(mesh.setUVs(MFloatArray(u, 2), MFloatArray(v, 2)));
    ASSERT_TRUE(mesh.setUVs(MFloatArray(u, 3), MFloatArray(v, 3), &second));
    MIntArray counts, ids;
    for (int p = 0; p < 2; ++p) {
        counts.append(4);
        for (int id : {2, 1, -1, 0})  // one corner outside the set
            ids.append(id);
    }
    ASSERT_TRUE(mesh.assignUVs(counts, ids, &second));
    AssignShader("group", MakeShader("lambert", "skin"), "stripShape");
    ASSERT_TRUE(ExportAndRead());
    KQelLayerElementUV* uvs = Mesh("strip")->GetLayer(0)->GetUVs();
    ASSERT_NE(uvs, nullptr);
    EXPECT_EQ(uvs->GetMappingMode(), KQelLayerElement::eByPolygonVertex);
    EXPECT_EQ(uvs->GetReferenceMode(), KQelLayerElement::eIndexToDirect);
    ASSERT_EQ(uvs->GetDirectArray().GetCount(), 3);
    EXPECT_EQ(uvs->GetDirectArray()[2][1], 0.25);
    EXPECT_EQ(Indices(uvs), (std::vector<int>{2, 1, 0, 0, 2, 1, 0, 0}));
}

TEST_F(ShapeTest, MeshesWhoseBindStateDiffersInShapeAreMarkedNotWritten)
{
    // Fewer points; the same points and polygons with other corners.
    const std::vector<MPoint> seven = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}};
    const std::vector<MPoint> eight = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                       {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const struct {
        std::vector<MPoint> points;
        Polygons polygons;
    } origs[] = {
        {seven, {{0, 1, 2}, {3, 4, 5, 6}, {0, 1, 5}, {2, 3, 6}, {1, 2, 6, 5}, {0, 4, 3}}},
        {eight, {{0, 3, 2}, {4, 5, 6, 7, 1}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}}},
    };
    for (const auto& orig : origs) {
        standin::resetHost();
        MakeCube("cube");
        Deform("skinCluster", "skin", "cube|cubeShape");
        Rebuild("cube|cubeShapeOrig", orig.points, orig.polygons);
        ASSERT_TRUE(ExportAndRead());
        ASSERT_NE(Node("cube"), nullptr);
        EXPECT_EQ(Node("cube")->GetMesh(), nullptr);
        const std::vector<std::string> log = LogLines();
        EXPECT_NE(std::find(log.begin(), log.end(),
                            "QEL Export Warning: Mismatched number of vertices between the original and the final mesh of "
                            "the node:  Model::cube"),
                  log.end());
    }
}

TEST_F(ShapeTest, BindStateGeometryComesFromTheDeformerInputOfTheShape)
{
    // Input indices 0 and 3 after two of four shapes went; the last shape's
    // input is its fourth, at the second list position. Its bind state is
    // moved, and has hard edges on one face where the final mesh has them
    // on all, so that the final mesh's normal indices pass the bind state's
    // list.
    for (const char* name : {"a", "b", "c", "d"})
        MakeCube(name);
    const MObject skin = Deform("skinCluster", "skin", "a|aShape");
    for (const char* shape : {"b|bShape", "c|cShape", "d|dShape"})
        vesk::attachDeformer(vesk::fixture::node("skin"), vesk::fixture::node(shape), nullptr);
    MGlobal::deleteNode(object("b"));
    MGlobal::deleteNode(object("c"));
    ASSERT_EQ(MFnGeometryFilter(skin).indexForOutputShape(object("d|dShape")), 3u);
    std::vector<MPoint> moved = Points("d|dShapeOrig");
    for (MPoint& p : moved)
        p.x += 10;
    MFnMesh(object("d|dShapeOrig")).setPoints(MPointArray(moved.data(), static_cast<unsigned int>(moved.size())));
    MVectorArray up;
    MIntArray faces, vertices;
    for (int v : {4, 5, 6, 7}) {
        up.append(MVector(0, 0, 1));
        faces.append(1);
        vertices.append(v);
    }
    MFnMesh(object("d|dShapeOrig")).setFaceVertexNormals(up, faces, vertices);
    HardenEdges("d|dShape");
    Params().SetBoolParam(QelVeskUserParams::kExportHardEdges, true);
    ASSERT_TRUE(ExportAndRead());
    KQelMesh* mesh = Mesh("d");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetControlPointsCount(), 24) << "split by the bind state's normals";
    EXPECT_EQ(mesh->GetControlPoints()[0][0], 10.0);
    for (int v = 0; v < 4; ++v)
        ExpectVector(mesh->GetNormals()[mesh->GetPolygonVertex(1, v)], 0, 0, 1, 1.0, "top");
}
