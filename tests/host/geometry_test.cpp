// Meshes, NURBS surfaces, components and their iterators.
#include <cmath>
#include <vector>

#include <vesk/MFnDoubleIndexedComponent.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MFnTransform.h>
#include <vesk/MItMeshPolygon.h>
#include <vesk/MItMeshVertex.h>
#include <vesk/MItSurfaceCV.h>

#include "host_fixture.h"

namespace {

using GeometryTest = HostTest;

MIntArray ints(std::vector<int> v)
{
    return MIntArray(v.data(), static_cast<unsigned int>(v.size()));
}

MFloatPointArray points(int n)
{
    MFloatPointArray p;
    for (int i = 0; i < n; ++i)
        p.append(static_cast<float>(i), static_cast<float>(i * i % 7), 0.0f);
    return p;
}

// A unit cube of 8 vertices and 6 outward quadrilaterals under a new
// transform "box".
MFnMesh cube()
{
    MFloatPointArray p;
    for (int i = 0; i < 8; ++i)
        p.append(static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1), static_cast<float>((i >> 2) & 1));
    const MIntArray counts = ints({4, 4, 4, 4, 4, 4});
    const MIntArray connects =
        ints({0, 2, 3, 1, 4, 5, 7, 6, 0, 1, 5, 4, 2, 6, 7, 3, 0, 4, 6, 2, 1, 3, 7, 5});
    MFnMesh mesh;
    mesh.create(8, 6, p, counts, connects, HostTest::make("transform", "box"));
    return mesh;
}

std::vector<int> vertexWalk(MItMeshVertex& it)
{
    std::vector<int> out;
    for (; !it.isDone(); it.next())
        out.push_back(it.index());
    return out;
}

// A surface of CVs with V fastest, named after their indices.
MPointArray grid(int u, int v)
{
    MPointArray cvs;
    for (int i = 0; i < u; ++i)
        for (int j = 0; j < v; ++j)
            cvs.append(i, j, 10.0 * i + j);
    return cvs;
}

MDoubleArray knots(int count)
{
    MDoubleArray k;
    for (int i = 0; i < count; ++i)
        k.append(i);
    return k;
}

} // namespace

TEST_F(GeometryTest, PolygonsBuildAsGivenAndShortOnesAreDropped)
{
    // Four triangles around vertex 0 and a quadrilateral.
    const MIntArray counts = ints({3, 3, 3, 3, 4});
    const MIntArray connects = ints({0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1, 1, 5, 6, 2});
    MFnMesh mesh;
    MStatus s;
    const MObject shape = mesh.create(7, 5, points(7), counts, connects, make("transform", "fan"), &s);
    ASSERT_TRUE(s);
    EXPECT_EQ(nameOf(shape), "fanShape");
    EXPECT_EQ(mesh.numPolygons(), 5);
    EXPECT_EQ(mesh.numFaceVertices(), 16);
    EXPECT_EQ(mesh.polygonVertexCount(4), 4);
    MIntArray corners;
    mesh.getPolygonVertices(4, corners);
    EXPECT_EQ(corners[2], 6);
    // One normal per vertex, set by vertex, keeps the count at 7.
    MVectorArray normals;
    MIntArray vertices;
    for (int i = 0; i < 7; ++i) {
        normals.append(MVector(0, 0, i % 2 ? 1 : -1));
        vertices.append(i);
    }
    ASSERT_TRUE(mesh.setVertexNormals(normals, vertices));
    EXPECT_EQ(mesh.numNormals(), 7);
    MVector n;
    mesh.getVertexNormal(3, n);
    EXPECT_EQ(n, MVector(0, 0, 1));

    // Polygons of fewer than 3 corners are left out; more polygons than
    // counts may be announced.
    MFnMesh shortOnes;
    ASSERT_TRUE(shortOnes.create(4, 4, points(4), ints({3, 2, 0, 3}), ints({0, 1, 2, 2, 3, 1, 2, 3}),
                                 make("transform", "short"), &s)
                    .hasFn(MFn::kMesh));
    EXPECT_EQ(shortOnes.numPolygons(), 2);
    shortOnes.getPolygonVertices(1, corners);
    EXPECT_EQ(corners[0], 1);
}

TEST_F(GeometryTest, HostileMeshesMakeNothing)
{
    const struct {
        const char* what;
        int vertices, polygons, points;
        std::vector<int> counts, connects;
    } cases[] = {
        {"vertex count differs from the points", 4, 1, 3, {3}, {0, 1, 2}},
        {"counts do not add up to the connects", 3, 1, 3, {3}, {0, 1}},
        {"a connect past the vertices", 3, 1, 3, {3}, {0, 1, 3}},
        {"a negative connect", 3, 1, 3, {3}, {0, -1, 2}},
        {"a negative count", 3, 2, 3, {4, -1}, {0, 1, 2}},
        {"fewer polygons than counts", 3, 1, 3, {3, 3}, {0, 1, 2, 0, 1, 2}},
        {"a negative vertex count", -1, 0, 0, {}, {}},
    };
    make("transform", "t");
    const size_t nodes = vesk::store().nodeCount();
    for (const auto& tc : cases) {
        MFnMesh mesh;
        MStatus s;
        EXPECT_TRUE(mesh.create(tc.vertices, tc.polygons, points(tc.points), ints(tc.counts), ints(tc.connects),
                                object("t"), &s)
                        .isNull())
            << tc.what;
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter) << tc.what;
    }
    EXPECT_EQ(vesk::store().nodeCount(), nodes);
}

TEST_F(GeometryTest, HardCornersAddNormalsAfterTheShardOnes)
{
    MFnMesh mesh = cube();
    EXPECT_EQ(mesh.numNormals(), 8);
    MVector shared;
    mesh.getVertexNormal(7, shared);
    EXPECT_TRUE(shared.isEquivalent(MVector(1, 1, 1).normal(), 1e-12));
    // Every corner gets its polygon's normal: three distinct normals at each
    // vertex, 24 more entries.
    MVectorArray normals;
    MIntArray faces, vertices;
    MItMeshPolygon polygons(mesh.object());
    const MVector faceNormals[6] = {MVector(0, 0, -1), MVector(0, 0, 1), MVector(0, -1, 0),
                                    MVector(0, 1, 0),  MVector(-1, 0, 0), MVector(1, 0, 0)};
    for (; !polygons.isDone(); polygons.next())
        for (unsigned int v = 0; v < polygons.polygonVertexCount(); ++v) {
            normals.append(faceNormals[polygons.index()]);
            faces.append(static_cast<int>(polygons.index()));
            vertices.append(polygons.vertexIndex(static_cast<int>(v)));
        }
    ASSERT_TRUE(mesh.setFaceVertexNormals(normals, faces, vertices));
    EXPECT_EQ(mesh.numNormals(), 32);
    MFloatVectorArray list;
    mesh.getNormals(list);
    ASSERT_EQ(list.length(), 32u);
    for (polygons.reset(); !polygons.isDone(); polygons.next())
        for (int v = 0; v < 4; ++v) {
            const int index = polygons.normalIndex(v);
            EXPECT_GE(index, 8);
            EXPECT_EQ(list[static_cast<unsigned int>(index)].asVector(), faceNormals[polygons.index()]);
        }
    // One normal per incident corner; corners summed give the corner count.
    MItMeshVertex it(mesh.object());
    unsigned int total = 0;
    for (; !it.isDone(); it.next()) {
        MVectorArray atVertex;
        it.getNormals(atVertex);
        total += atVertex.length();
    }
    EXPECT_EQ(total, 24u);
    // A shared normal set on a vertex clears its corners' own normals.
    ASSERT_TRUE(mesh.setVertexNormals(MVectorArray(1, MVector(0, 1, 0)), ints({7})));
    EXPECT_EQ(mesh.numNormals(), 29);
    // A vertex on no polygon has no normal.
    MFnMesh loose;
    loose.create(4, 1, points(4), ints({3}), ints({0, 1, 2}), make("transform", "loose"));
    loose.getVertexNormal(3, shared);
    EXPECT_EQ(shared, MVector());
}

TEST_F(GeometryTest, SettersCheckEveryLengthAndIndexFirst)
{
    MFnMesh mesh = cube();
    MPointArray before;
    mesh.getPoints(before);
    const MStatus results[] = {
        mesh.setPoints(MPointArray(7)),
        mesh.setPoint(8, MPoint()),
        mesh.setVertexNormals(MVectorArray(2), ints({0, 8})),
        mesh.setVertexNormals(MVectorArray(1), ints({0, 1})),
        mesh.setFaceVertexNormals(MVectorArray(2), ints({0, 0}), ints({0, 4})),
        mesh.setFaceVertexColors(MColorArray(1), ints({6}), ints({0})),
        mesh.setVertexColors(MColorArray(1), ints({-1})),
        mesh.setPoints(MPointArray(8), MSpace::kWorld),
    };
    for (size_t i = 0; i < sizeof results / sizeof results[0]; ++i)
        EXPECT_EQ(results[i].statusCode(), MStatus::kInvalidParameter) << i;
    MPointArray after;
    mesh.getPoints(after);
    for (unsigned int i = 0; i < 8; ++i)
        EXPECT_EQ(after[i], before[i]);
    EXPECT_EQ(mesh.numNormals(), 8);
    MColorArray colors;
    mesh.getFaceVertexColors(colors);
    EXPECT_EQ(colors[0], MColor(-1, -1, -1, -1));
}

TEST_F(GeometryTest, ColoursAndUVsFollowTheCorners)
{
    MFnMesh mesh = cube();
    // Colour index = running corner position: polygon 1 starts at corner 4.
    int index = -1;
    ASSERT_TRUE(mesh.getFaceVertexColorIndex(1, 2, index));
    EXPECT_EQ(index, 6);
    ASSERT_TRUE(mesh.setFaceVertexColors(MColorArray(1, MColor(1, 0, 0)), ints({1}), ints({7})));
    ASSERT_TRUE(mesh.setVertexColors(MColorArray(1, MColor(0, 0, 1)), ints({0})));
    MColorArray colors;
    mesh.getFaceVertexColors(colors);
    ASSERT_EQ(colors.length(), 24u);
    EXPECT_EQ(colors[6], MColor(1, 0, 0));
    for (unsigned int c : {0u, 8u, 16u})
        EXPECT_EQ(colors[c], MColor(0, 0, 1)) << c;
    EXPECT_EQ(colors[1], MColor(-1, -1, -1, -1));

    MStringArray names;
    mesh.getUVSetNames(names);
    ASSERT_EQ(names.length(), 1u);
    EXPECT_EQ(names[0], MString("map1"));
    EXPECT_EQ(mesh.createUVSet("map1").statusCode(), MStatus::kInvalidParameter);
    ASSERT_TRUE(mesh.renameUVSet("map1", "uvSet1"));
    ASSERT_TRUE(mesh.createUVSet("uvSet2"));
    const MString set("uvSet2");
    MFloatArray u(4, 0.5f), v(4, 0.25f);
    ASSERT_TRUE(mesh.setUVs(u, v, &set));
    std::vector<int> ids(24, -1);
    for (int c = 0; c < 4; ++c)
        ids[static_cast<size_t>(c)] = c;
    EXPECT_EQ(mesh.assignUVs(ints({4, 4, 4, 4, 4}), ints(ids), &set).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(mesh.assignUVs(ints({4, 4, 4, 4, 4, 4}), ints(std::vector<int>(24, 4)), &set).statusCode(),
              MStatus::kInvalidParameter);
    ASSERT_TRUE(mesh.assignUVs(ints({4, 4, 4, 4, 4, 4}), ints(ids), &set));
    int id = -1;
    ASSERT_TRUE(mesh.getPolygonUVid(0, 3, id, &set));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(mesh.getPolygonUVid(1, 0, id, &set).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(mesh.numUVs(set), 4);
    EXPECT_EQ(mesh.numUVs("uvSet1"), 0);
}

TEST_F(GeometryTest, IteratorsWalkComponentsInTheirOrder)
{
    MFnMesh mesh = cube();
    MFnSingleIndexedComponent verts;
    const MObject comp = verts.create(MFn::kMeshVertComponent);
    verts.addElements(ints({5, 1, 3}));
    MItMeshVertex listed(path("box"), comp);
    EXPECT_EQ(vertexWalk(listed), (std::vector<int>{5, 1, 3}));
    verts.setCompleteData(8);
    MItMeshVertex complete(path("box"), comp);
    EXPECT_EQ(complete.count(), 8u);
    verts.addElement(9);
    MStatus s;
    MItMeshVertex past(path("box"), comp, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(past.isDone());
    // A transform's path reaches its first shape that is not intermediate.
    MFnMesh orig;
    orig.create(3, 1, points(3), ints({3}), ints({0, 1, 2}), object("box"));
    orig.setIntermediateObject(true);
    MFnDagNode(object("box")).addChild(orig.object(), 0);
    MItMeshPolygon walk(path("box"));
    EXPECT_EQ(walk.count(), 6u);
    MFnMesh byPath(path("box"));
    EXPECT_EQ(byPath.numVertices(), 8);
    // World points go through the path.
    MFnTransform(object("box")).setTranslation(MVector(0, 10, 0), MSpace::kTransform);
    MPoint p;
    byPath.getPoint(7, p, MSpace::kWorld);
    EXPECT_EQ(p, MPoint(1, 11, 1));
    MItMeshVertex world(path("box"));
    EXPECT_EQ(world.position(MSpace::kWorld), MPoint(0, 10, 0));
}

TEST_F(GeometryTest, MeshDataTravelsThroughPlugsAndCopies)
{
    MFnMesh mesh = cube();
    MObject data;
    ASSERT_TRUE(MFnDagNode(mesh.object()).findPlug("outMesh").getValue(data));
    EXPECT_EQ(data.apiType(), MFn::kMeshData);
    MFnMesh fromData(data);
    EXPECT_EQ(fromData.numPolygons(), 6);
    MFnMesh copy;
    const MObject made = copy.copy(data, make("transform", "copy"));
    EXPECT_EQ(nameOf(made), "copyShape");
    EXPECT_EQ(copy.numVertices(), 8);
    // The copy is independent.
    copy.setPoint(0, MPoint(5, 5, 5));
    MPoint p;
    mesh.getPoint(0, p);
    EXPECT_EQ(p, MPoint(0, 0, 0));
    // With no parent, a transform comes too and is returned.
    MFnMesh top;
    EXPECT_EQ(nameOf(top.copy(mesh.object())), "mesh1");
}

TEST_F(GeometryTest, SurfacesKeepTheirLayout)
{
    // Bicubic, 5 x 4 CVs: knots are CVs + degree - 1 per direction.
    MFnNurbsSurface surface;
    MStatus s;
    const MObject shape = surface.create(grid(5, 4), knots(7), knots(6), 3, 3, MFnNurbsSurface::kOpen,
                                         MFnNurbsSurface::kOpen, true, make("transform", "surf"), &s);
    ASSERT_TRUE(s);
    EXPECT_EQ(nameOf(shape), "surfShape");
    EXPECT_EQ(surface.numCVsInU(), 5);
    EXPECT_EQ(surface.numCVsInV(), 4);
    EXPECT_EQ(surface.numKnotsInU(), 7);
    EXPECT_EQ(surface.numSpansInU(), 2);
    EXPECT_EQ(surface.knotInV(5), 5.0);
    EXPECT_EQ(surface.knotInV(6, &s), 0.0);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    MPoint cv;
    surface.getCV(3, 2, cv);
    EXPECT_EQ(cv, MPoint(3, 2, 32));
    EXPECT_EQ(plug("surfShape.curvePrecisionShaded").asInt(), 4);
    // Periodic: the repeated CVs count (6 + 3 in V), 11 knots.
    MFnNurbsSurface periodic;
    ASSERT_TRUE(periodic.create(grid(4, 9), knots(6), knots(11), 3, 3, MFnNurbsSurface::kOpen,
                                MFnNurbsSurface::kPeriodic, true, make("transform", "ring"), &s)
                    .hasFn(MFn::kNurbsSurface));
    EXPECT_EQ(periodic.formInV(), MFnNurbsSurface::kPeriodic);

    const struct {
        const char* what;
        int knotsU, knotsV, degree, formU;
    } bad[] = {{"U knots one short", 6, 6, 3, 1}, {"V knots one long", 7, 7, 3, 1}, {"degree 0", 7, 6, 0, 1},
               {"form 0", 7, 6, 3, 0},          {"form 4", 7, 6, 3, 4}};
    const size_t nodes = vesk::store().nodeCount();
    for (const auto& b : bad) {
        MFnNurbsSurface f;
        EXPECT_TRUE(f.create(grid(5, 4), knots(b.knotsU), knots(b.knotsV), static_cast<unsigned int>(b.degree), 3,
                             static_cast<MFnNurbsSurface::Form>(b.formU), MFnNurbsSurface::kOpen, false,
                             object("surf"), &s)
                        .isNull())
            << b.what;
        EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter) << b.what;
    }
    MDoubleArray falling = knots(7);
    falling[3] = 0.5;
    MFnNurbsSurface f;
    EXPECT_TRUE(f.create(grid(5, 4), falling, knots(6), 3, 3, MFnNurbsSurface::kOpen, MFnNurbsSurface::kOpen, false,
                         object("surf"))
                    .isNull());
    EXPECT_EQ(vesk::store().nodeCount(), nodes);
}

TEST_F(GeometryTest, SurfaceCVsWalkByRowsOrComponents)
{
    MFnNurbsSurface surface;
    surface.create(grid(3, 2), knots(3), knots(2), 1, 1, MFnNurbsSurface::kOpen, MFnNurbsSurface::kOpen, false,
                   make("transform", "s"));
    std::vector<int> byU, byV;
    for (MItSurfaceCV it(path("s")); !it.isDone(); it.next())
        byU.push_back(it.index());
    for (MItSurfaceCV it(path("s"), MObject::kNullObj, false); !it.isDone(); it.next())
        byV.push_back(it.index());
    EXPECT_EQ(byU, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(byV, (std::vector<int>{0, 2, 4, 1, 3, 5}));
    MFnDoubleIndexedComponent cvs;
    const MObject comp = cvs.create(MFn::kSurfaceCVComponent);
    cvs.addElements(ints({2, 0}), ints({1, 1}));
    MItSurfaceCV listed(path("s"), comp);
    int u = -1, v = -1;
    listed.getIndex(u, v);
    EXPECT_EQ(u * 10 + v, 21);
    EXPECT_EQ(listed.index(), 5);
    EXPECT_EQ(listed.position(), MPoint(2, 1, 21));
    cvs.addElement(3, 0);
    MStatus s;
    MItSurfaceCV past(path("s"), comp, true, &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
}

TEST_F(GeometryTest, ComponentsKeepAdditionOrder)
{
    MFnSingleIndexedComponent single;
    MStatus s;
    EXPECT_TRUE(single.create(MFn::kSurfaceCVComponent, &s).isNull());
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    const MObject faces = single.create(MFn::kMeshPolygonComponent);
    single.addElements(ints({7, 2, 7}));
    EXPECT_EQ(single.addElement(-1).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(single.elementCount(), 3);
    EXPECT_EQ(single.element(0), 7);
    EXPECT_EQ(single.element(3, &s), -1);
    single.setCompleteData(4);
    EXPECT_EQ(single.elementCount(), 4);
    EXPECT_EQ(single.element(3), 3);
    single.addElement(9);
    MIntArray all;
    single.getElements(all);
    EXPECT_EQ(all.length(), 5u);
    EXPECT_EQ(all[4], 9);
    MFnDoubleIndexedComponent pairs;
    pairs.create(MFn::kSurfaceCVComponent);
    pairs.setCompleteData(2, 3);
    int u = 0, v = 0;
    pairs.getElement(4, u, v);
    EXPECT_EQ(u * 10 + v, 11);
    EXPECT_EQ(MFnComponent(MObject::kNullObj).elementCount(), 0);
    EXPECT_EQ(MFnComponent(faces).componentType(), MFn::kMeshPolygonComponent);
}

TEST_F(GeometryTest, VerticesAndPolygonsAnswerTheirNeighbours)
{
    MFnMesh mesh = cube();
    MIntArray counts, connects;
    ASSERT_TRUE(mesh.getVertices(counts, connects));
    EXPECT_EQ(counts.length(), 6u);
    EXPECT_EQ(connects.length(), 24u);
    EXPECT_EQ(connects[5], 5);
    // Vertex 0 lies on the polygons facing -z, -y and -x.
    MItMeshVertex vertex(mesh.object());
    MIntArray faces;
    vertex.getConnectedFaces(faces);
    ASSERT_EQ(faces.length(), 3u);
    EXPECT_EQ(faces[0] * 100 + faces[1] * 10 + faces[2], 24);
    // Polygon 3 (facing +y) turned by its transform.
    const double turn[3] = {0, 0, 3.14159265358979323846 / 2};
    MFnTransform(object("box")).setRotation(turn, MTransformationMatrix::kXYZ);
    MFnSingleIndexedComponent faceComp;
    const MObject top = faceComp.create(MFn::kMeshPolygonComponent);
    faceComp.addElement(3);
    MItMeshPolygon polygon(path("box"), top);
    MIntArray corners;
    polygon.getVertices(corners);
    EXPECT_EQ(corners[1], 6);
    EXPECT_TRUE(polygon.point(1, MSpace::kWorld).isEquivalent(MPoint(-1, 0, 1), 1e-12));
    EXPECT_EQ(polygon.vertexIndex(4), -1);
    MFloatVectorArray normals;
    mesh.getNormals(normals, MSpace::kWorld);
    MVector up;
    MFnMesh(path("box")).getVertexNormal(7, up, MSpace::kWorld);
    EXPECT_TRUE(up.isEquivalent(MVector(-1, 1, 1).normal(), 1e-12));
}

TEST_F(GeometryTest, SurfaceCVsAreSetWholeOrOneByOne)
{
    MFnNurbsSurface surface;
    surface.create(grid(2, 2), knots(2), knots(2), 1, 1, MFnNurbsSurface::kOpen, MFnNurbsSurface::kOpen, true,
                   make("transform", "s"));
    EXPECT_TRUE(surface.isRational());
    ASSERT_TRUE(surface.setCV(1, 0, MPoint(5, 5, 5, 2)));
    EXPECT_EQ(surface.setCV(2, 0, MPoint()).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(surface.setCVs(grid(3, 1)).statusCode(), MStatus::kInvalidParameter);
    MFnTransform(object("s")).setTranslation(MVector(0, 0, 100), MSpace::kTransform);
    MPointArray world;
    ASSERT_TRUE(surface.getCVs(world, MSpace::kWorld));
    EXPECT_EQ(world[2], MPoint(5, 5, 205, 2));
    ASSERT_TRUE(surface.setCVs(grid(2, 2)));
    MPoint cv;
    surface.getCV(1, 0, cv);
    EXPECT_EQ(cv, MPoint(1, 0, 10));
    MFnDoubleIndexedComponent all;
    const MObject complete = all.create(MFn::kSurfaceCVComponent);
    all.setCompleteData(2, 2);
    EXPECT_EQ(MItSurfaceCV(path("s"), complete).count(), 4u);
}
