// Host shapes, shaders and textures for the geometry export tests, built
// through the stand-in's API, and the exported geometry read back.
#ifndef QEL_TESTS_EXPORT_SHAPE_FIXTURE_H
#define QEL_TESTS_EXPORT_SHAPE_FIXTURE_H

#include <string>
#include <vector>

#include <vesk/MFnLambertShader.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MFnSet.h>
#include <vesk/MFnSingleIndexedComponent.h>
#include <vesk/MIntArray.h>
#include <vesk/MPointArray.h>
#include <vesk/MVectorArray.h>

#include "content/kqellayer.h"
#include "content/kqelmesh.h"
#include "export/export_fixture.h"

using Polygons = std::vector<std::vector<int>>;

class ShapeTest : public ExportTest {
public:
    // A transform pName holding a mesh shape "<pName>Shape".
    static MObject MakeMesh(const char* pName, const std::vector<MPoint>& pPoints, const Polygons& pPolygons)
    {
        MObject parent = make("transform", pName);
        MPointArray points;
        for (const MPoint& p : pPoints)
            points.append(p);
        MIntArray counts, connects;
        for (const std::vector<int>& polygon : pPolygons) {
            counts.append(static_cast<int>(polygon.size()));
            for (int v : polygon)
                connects.append(v);
        }
        MFnMesh mesh;
        mesh.create(static_cast<int>(pPoints.size()), static_cast<int>(pPolygons.size()), points, counts, connects,
                    parent);
        return parent;
    }
    // A unit cube: 8 points, 6 outward quadrilaterals.
    static MObject MakeCube(const char* pName)
    {
        return MakeMesh(pName, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
                        {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}});
    }
    // A strip of pCount quadrilaterals along x (2 * pCount + 2 points).
    static MObject MakeStrip(const char* pName, int pCount)
    {
        std::vector<MPoint> points;
        Polygons polygons;
        for (int i = 0; i <= pCount; ++i) {
            points.push_back(MPoint(i, 0, 0));
            points.push_back(MPoint(i, 1, 0));
        }
        for (int i = 0; i < pCount; ++i)
            polygons.push_back({2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1});
        return MakeMesh(pName, points, polygons);
    }
    // Gives every corner of the mesh its polygon's normal (hard edges).
    static void HardenEdges(const char* pShape)
    {
        MFnMesh mesh(object(pShape));
        MVectorArray normals;
        MIntArray faces, vertices;
        for (int p = 0; p < mesh.numPolygons(); ++p) {
            MIntArray corners;
            mesh.getPolygonVertices(p, corners);
            MPoint a, b, c;
            mesh.getPoint(corners[0], a);
            mesh.getPoint(corners[1], b);
            mesh.getPoint(corners[2], c);
            const MVector n = ((b - a) ^ (c - a)).normal();
            for (unsigned int v = 0; v < corners.length(); ++v) {
                normals.append(n);
                faces.append(p);
                vertices.append(corners[v]);
            }
        }
        mesh.setFaceVertexNormals(normals, faces, vertices);
    }
    // A shading group named pGroup with pShader as its surface shader,
    // holding the faces of pShape (all of it when pFaces is empty).
    static MObject AssignShader(const char* pGroup, MObject pShader, const char* pShape,
                                const std::vector<int>& pFaces = {})
    {
        MSelectionList members;
        if (pFaces.empty()) {
            members.add(path(pShape));
        } else {
            MFnSingleIndexedComponent faces;
            MObject component = faces.create(MFn::kMeshPolygonComponent);
            for (int f : pFaces)
                faces.addElement(f);
            members.add(path(pShape), component);
        }
        MFnSet set;
        MObject group = set.create(members, MFnSet::kRenderableOnly);
        set.setName(pGroup);
        vesk::fixture::connect(nameOf(pShader) + ".outColor", std::string(pGroup) + ".surfaceShader");
        return group;
    }
    static MObject MakeShader(const char* pKind, const char* pName) { return make(pKind, pName); }
    // A file texture reading pFile, driving pTarget (a plug text) unless
    // that is empty.
    static MObject MakeFileTexture(const char* pName, const char* pFile, const std::string& pTarget)
    {
        MObject texture = make("file", pName);
        MFnDependencyNode(texture).findPlug("fileTextureName").setValue(pFile);
        if (!pTarget.empty())
            vesk::fixture::connect(nameOf(texture) + ".outColor", pTarget);
        return texture;
    }

    // The exported mesh of node pName, or null.
    qelsdk_600::KQelMesh* Mesh(const char* pName)
    {
        qelsdk_600::KQelNode* node = Node(pName);
        return node ? node->GetMesh() : nullptr;
    }
    // An element's index array as a vector.
    template <class Element>
    static std::vector<int> Indices(Element* pElement)
    {
        std::vector<int> out;
        for (int i = 0; pElement && i < pElement->GetIndexArray().GetCount(); ++i)
            out.push_back(pElement->GetIndexArray()[i]);
        return out;
    }
};

#endif
