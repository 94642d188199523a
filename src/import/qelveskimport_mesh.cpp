// Polygon meshes: the host mesh of a mesh node with its normals, UV sets and
// vertex colours, and the table that matches host polygons to SDK polygons.
#include <vesk/MColorArray.h>
#include <vesk/MDagPath.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFloatPointArray.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnTransform.h>
#include <vesk/MIntArray.h>
#include <vesk/MVectorArray.h>

#include "content/kqellayer.h"
#include "content/kqelmesh.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const char kDefaultUVSet[] = "map1";

// The entry an item reads through an index array: pIndex[pPosition] when
// that exists and names one of pDirectCount entries, else -1.
int IndexedEntry(const KArrayTemplate<int>& pIndex, std::int64_t pPosition, int pDirectCount)
{
    if (pPosition < 0 || pPosition >= pIndex.GetCount())
        return -1;
    const int entry = pIndex[static_cast<int>(pPosition)];
    return entry >= 0 && entry < pDirectCount ? entry : -1;
}

// "Mesh <node>: <what>" for the log.
KString MeshLine(const KQelNode* pNode, const char* pWhat)
{
    KString line("Mesh ");
    line += pNode ? ShortName(*pNode) : KString("(no node)");
    line += ": ";
    line += pWhat;
    return line;
}

// The host mesh's polygon sizes and corner vertices.
struct HostCorners {
    MIntArray mCounts;
    MIntArray mConnects;
    std::vector<int> mOffsets;
};

void ReadHostCorners(const MFnMesh& pMeshFn, HostCorners& pCorners)
{
    pMeshFn.getVertices(pCorners.mCounts, pCorners.mConnects);
    pCorners.mOffsets.assign(pCorners.mCounts.length() + 1, 0);
    for (unsigned int h = 0; h < pCorners.mCounts.length(); ++h)
        pCorners.mOffsets[h + 1] = pCorners.mOffsets[h] + pCorners.mCounts[h];
}

}  // namespace

bool qelveskimport::MapHostPolygons(const KQelMesh& pMesh, int pHostPolygonCount, HostPolygons& pMap)
{
    pMap.mPolygon.clear();
    pMap.mCorner.clear();
    pMap.mSdkCorners = 0;
    for (int p = 0, n = pMesh.GetPolygonCount(); p < n; ++p) {
        const int size = pMesh.GetPolygonSize(p);
        if (size >= 3) {
            pMap.mPolygon.push_back(p);
            pMap.mCorner.push_back(pMap.mSdkCorners);
        }
        if (size > 0)
            pMap.mSdkCorners += size;
    }
    return static_cast<int>(pMap.mPolygon.size()) == pHostPolygonCount;
}

void QelVeskImport::CreateMeshGeometry(QelVeskNode* pNode)
{
    if (!pNode)
        return;
    MFnTransform transform;
    CreateBoundTransform(*pNode, transform, "Cannot create Mesh Node");
    if (AttributeType(*pNode) != KQelNodeAttribute::eMesh)
        return;
    KQelMesh* mesh = static_cast<KQelMesh*>(pNode->GetNodeAttribute());
    const MDagPath transformPath = *pNode->GetDagPath();

    const int pointCount = mesh->GetControlPointsCount();
    const int polygonCount = mesh->GetPolygonCount();
    const KQelVector4* controlPoints = mesh->GetControlPoints();
    MFloatPointArray points(static_cast<unsigned int>(pointCount));
    for (int i = 0; i < pointCount; ++i)
        points[static_cast<unsigned int>(i)] =
            MFloatPoint(static_cast<float>(controlPoints[i][0]), static_cast<float>(controlPoints[i][1]),
                        static_cast<float>(controlPoints[i][2]), 1.0f);
    MIntArray counts, connects;
    for (int p = 0; p < polygonCount; ++p) {
        const int size = mesh->GetPolygonSize(p);
        if (size <= 0)
            continue;
        counts.append(size);
        for (int k = 0; k < size; ++k)
            connects.append(mesh->GetPolygonVertex(p, k));
    }

    MStatus status;
    MFnMesh meshFn;
    meshFn.create(pointCount, polygonCount, points, counts, connects, transformPath.node(), &status);
    if (!status)
        status.perror("Cannot create Mesh");
    const int hostPolygonCount = meshFn.numPolygons();
    if (hostPolygonCount != polygonCount) {
        KString warning("Mesh definition warning: the number of polygons from the source object (");
        warning += polygonCount;
        warning += ") don't match in the destination mesh (";
        warning += hostPolygonCount;
        warning += ")\npossibly because of triangles defined with 2 vertices only.";
        MStatus(MStatus::kFailure).perror(warning.Buffer());
    }
    HostPolygons map;
    const bool mapped = MapHostPolygons(*mesh, hostPolygonCount, map);
    if (!mapped)
        Log(MeshLine(pNode, "its host polygons do not match the file's; normals and UVs by polygon are left out.")
                .Buffer());
    HostCorners host;
    ReadHostCorners(meshFn, host);

    // Normals: one per control point, or one per SDK corner.
    const KQelLayer* layer0 = mesh->GetLayer(0);
    const KQelLayerElementNormal* normals = layer0 ? layer0->GetNormals() : nullptr;
    const int normalCount = normals ? normals->GetDirectArray().GetCount() : 0;
    if (mesh->GetNormalsMappingMode() == KQelLayerElement::eByPolygonVertex) {
        if (normalCount < map.mSdkCorners) {
            Log(MeshLine(pNode, "normals left out: fewer than one per polygon vertex.").Buffer());
        } else if (mapped) {
            MVectorArray faceNormals;
            MIntArray faces, vertices;
            KQelVector4 normal;
            for (int h = 0; h < hostPolygonCount; ++h) {
                const int p = map.mPolygon[static_cast<size_t>(h)];
                for (int k = 0, size = mesh->GetPolygonSize(p); k < size; ++k) {
                    mesh->GetPolygonVertexNormal(p, k, normal);
                    faceNormals.append(MVector(normal[0], normal[1], normal[2]));
                    faces.append(h);
                    vertices.append(mesh->GetPolygonVertex(p, k));
                }
            }
            meshFn.setFaceVertexNormals(faceNormals, faces, vertices, MSpace::kObject);
        }
    } else if (normals) {
        if (normalCount < pointCount) {
            Log(MeshLine(pNode, "normals left out: fewer than one per control point.").Buffer());
        } else {
            const KQelVector4* direct = normals->GetDirectArray().GetArray();
            MVectorArray vertexNormals(static_cast<unsigned int>(pointCount));
            MIntArray indices(static_cast<unsigned int>(pointCount));
            for (int i = 0; i < pointCount; ++i) {
                vertexNormals[static_cast<unsigned int>(i)] = MVector(direct[i][0], direct[i][1], direct[i][2]);
                indices[static_cast<unsigned int>(i)] = i;
            }
            meshFn.setVertexNormals(vertexNormals, indices, MSpace::kObject);
        }
    }

    const KQelLayer* colorLayer = mesh->GetLayer(0, KQelLayerElement::eVertexColor);
    if (colorLayer && colorLayer->GetVertexColors()->GetDirectArray().GetCount() > 0)
        SetVertexColors(mesh, meshFn);

    for (int l = 0, n = mesh->GetLayerCount(KQelLayerElement::eUV); l < n; ++l) {
        const KQelLayerElementUV* uvs = mesh->GetLayer(l, KQelLayerElement::eUV)->GetUVs();
        const int uvCount = uvs->GetDirectArray().GetCount();
        if (uvCount == 0)
            continue;
        KString setName("uvSet");
        setName += l + 1;
        KString element("UV layer ");
        element += l + 1;

        // The ids first: an element that cannot give them makes no set.
        const KArrayTemplate<int>& index = uvs->GetIndexArray();
        const KQelLayerElement::EMappingMode mode = uvs->GetMappingMode();
        MIntArray ids;
        bool usable = true;
        bool assign = true;
        if (mode == KQelLayerElement::eByControlPoint) {
            usable = uvCount >= pointCount;
            if (usable)
                ids = host.mConnects;
        } else if (mode == KQelLayerElement::eByPolygonVertex || mode == KQelLayerElement::eByPolygon) {
            assign = mapped;
            for (int h = 0; h < hostPolygonCount && mapped && usable; ++h) {
                const size_t at = static_cast<size_t>(h);
                const int expected = mesh->GetPolygonSize(map.mPolygon[at]);
                const int size = host.mCounts[at];
                if (size != expected) {
                    KString problem("UVs define problem: expecting ");
                    problem += expected;
                    problem += " vertices for polygon ";
                    problem += h;
                    problem += " received ";
                    problem += size;
                    MStatus(MStatus::kFailure).perror(problem.Buffer());
                }
                for (int k = 0; k < size && usable; ++k) {
                    const std::int64_t position =
                        mode == KQelLayerElement::eByPolygon ? map.mPolygon[at] : map.mCorner[at] + k;
                    const int id = IndexedEntry(index, position, uvCount);
                    usable = id >= 0;
                    ids.append(id);
                }
            }
        }
        if (!usable) {
            element += " left out: an index names no UV or the layer is too short.";
            Log(MeshLine(pNode, element.Buffer()).Buffer());
            continue;
        }

        const MString name(setName.Buffer());
        if (l == 0)
            meshFn.renameUVSet(MString(kDefaultUVSet), name);
        else
            meshFn.createUVSet(name);
        MFloatArray u(static_cast<unsigned int>(uvCount)), v(static_cast<unsigned int>(uvCount));
        const KQelVector2* direct = uvs->GetDirectArray().GetArray();
        for (int i = 0; i < uvCount; ++i) {
            u[static_cast<unsigned int>(i)] = static_cast<float>(direct[i][0]);
            v[static_cast<unsigned int>(i)] = static_cast<float>(direct[i][1]);
        }
        if (!meshFn.setUVs(u, v, &name))
            MStatus(MStatus::kFailure).perror("UVs set problems");
        if (assign && !meshFn.assignUVs(host.mCounts, ids, &name))
            MStatus(MStatus::kFailure).perror("UV assign problems");
    }

    AddUserProperties(transform, pNode);
    meshFn.updateSurface();
    if (mesh->GetShapeCount() > 0) {
        MFnBlendShapeDeformer blendShape;
        blendShape.create(transformPath.node(), MFnBlendShapeDeformer::kLocalOrigin, &status);
    }
}

bool QelVeskImport::SetVertexColors(KQelMesh* pMesh, MFnMesh& pMeshFn)
{
    const KQelLayer* layer = pMesh ? pMesh->GetLayer(0, KQelLayerElement::eVertexColor) : nullptr;
    if (!layer)
        return true;
    const KQelLayerElementVertexColor& element = *layer->GetVertexColors();
    const KArrayTemplate<KQelColor>& colors = element.GetDirectArray();
    const KArrayTemplate<int>& index = element.GetIndexArray();
    const bool indexed = element.GetReferenceMode() == KQelLayerElement::eIndexToDirect;
    const KQelColor empty(0.0, 0.0, 0.0, 0.0);
    // The colour entry of an item, -1 when it names none.
    const auto entryOf = [&](std::int64_t pItem) {
        if (indexed)
            return IndexedEntry(index, pItem, colors.GetCount());
        return pItem < colors.GetCount() ? static_cast<int>(pItem) : -1;
    };
    const auto fail = [&](const char* pWhy) {
        Log(MeshLine(pMesh->GetNode(), pWhy).Buffer());
        return false;
    };
    MColorArray hostColors;
    MIntArray faces, vertices;
    // Appends the colour of an entry unless it is the empty colour.
    const auto add = [&](int pEntry) {
        const KQelColor& c = colors[pEntry];
        if (c == empty)
            return false;
        hostColors.append(MColor(static_cast<float>(c.mRed), static_cast<float>(c.mGreen),
                                 static_cast<float>(c.mBlue), static_cast<float>(c.mAlpha)));
        return true;
    };

    if (element.GetMappingMode() == KQelLayerElement::eByControlPoint) {
        const int count = pMesh->GetControlPointsCount();
        if (colors.GetCount() != count)
            return false;
        for (int i = 0; i < count; ++i) {
            const int entry = entryOf(i);
            if (entry < 0)
                return fail("vertex colours left out: an index names no colour.");
            if (add(entry))
                vertices.append(i);
        }
        return static_cast<bool>(pMeshFn.setVertexColors(hostColors, vertices));
    }
    if (element.GetMappingMode() != KQelLayerElement::eByPolygonVertex)
        return true;

    HostPolygons map;
    if (!MapHostPolygons(*pMesh, pMeshFn.numPolygons(), map))
        return fail("its host polygons do not match the file's; vertex colours are left out.");
    HostCorners host;
    ReadHostCorners(pMeshFn, host);
    for (size_t h = 0; h < map.mPolygon.size(); ++h) {
        const int size = pMesh->GetPolygonSize(map.mPolygon[h]);
        if (size != host.mCounts[static_cast<unsigned int>(h)])
            return fail("vertex colours left out: the host polygons differ from the file's.");
        for (int k = 0; k < size; ++k) {
            const int entry = entryOf(map.mCorner[h] + k);
            if (entry < 0)
                return fail("vertex colours left out: fewer colours than polygon vertices.");
            if (!add(entry))
                continue;
            faces.append(static_cast<int>(h));
            vertices.append(host.mConnects[static_cast<unsigned int>(host.mOffsets[h] + k)]);
        }
    }
    if (hostColors.length() == 0)
        return true;
    return static_cast<bool>(pMeshFn.setFaceVertexColors(hostColors, faces, vertices));
}
