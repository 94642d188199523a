// Polygon meshes: control points, polygons, normals, vertex colours, UV
// sets, and the materials and textures of their shading groups.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include <vesk/MColorArray.h>
#include <vesk/MFloatArray.h>
#include <vesk/MFloatVectorArray.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnPhongShader.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MItMeshPolygon.h>
#include <vesk/MItMeshVertex.h>
#include <vesk/MObjectArray.h>
#include <vesk/MPointArray.h>
#include <vesk/MStringArray.h>
#include <vesk/MVectorArray.h>

#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "export/klayermapping.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "export/qelveskexport_geometry_impl.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

typedef KQelLayerElement E;

const char kDefaultMaterialName[] = "Default_Material";

// The shader given to polygons without one, by the table of its values.
struct DefaultShaderValues {
    float mCosPower;
    MColor mSpecular, mColor, mTransparency, mAmbient;
};
const DefaultShaderValues kDefaultShader = {3.0f, MColor(0.3f, 0.3f, 0.3f, 1.0f), MColor(0.5f, 0.5f, 0.5f, 1.0f),
                                            MColor(0.0f, 0.0f, 0.0f, 1.0f), MColor(0.4f, 0.4f, 0.4f, 1.0f)};

// One material of a mesh: its surface shader (null for polygons whose
// default shader could not be made) and its record.
struct MaterialEntry {
    MObject mShader;
    std::unique_ptr<KLayerMapping> mRecord;
};

bool SameCorners(const MIntArray& pA, const MIntArray& pB)
{
    if (pA.length() != pB.length())
        return false;
    for (unsigned int i = 0; i < pA.length(); ++i)
        if (pA[i] != pB[i])
            return false;
    return true;
}

void WarnMismatch(QelLogFile* pLog, const char* pNodeName)
{
    KString first(sgConstructionHistoryError);
    first += pNodeName;
    LogTitledLine(pLog, sgExportWarning, first.Buffer());
    LogLine(pLog, sgConstructionHistoryError2);
    LogLine(pLog, "");
    first += "\\n\\n";
    first += sgConstructionHistoryError2;
    ShowWarningDialog(sgExportWarning, first);
}

KQelVector4 Normal(const MVector& pNormal)
{
    return KQelVector4(pNormal.x, pNormal.y, pNormal.z, 1.0);
}

// Every element of the mesh mapped by polygon gets -1 up to pCount indices:
// a polygon whose record has nothing for that layer has no texture there.
template <class Element>
void PadByPolygon(Element* pElement, int pCount)
{
    if (!pElement || pElement->GetMappingMode() != E::eByPolygon)
        return;
    KArrayTemplate<int>& indices = pElement->GetIndexArray();
    while (indices.GetCount() < pCount)
        indices.Add(-1);
}

void PadByPolygon(KQelMesh* pMesh, int pCount)
{
    for (int i = 0, n = pMesh->GetLayerCount(); i < n; ++i) {
        KQelLayer* layer = pMesh->GetLayer(i);
        if (i == 0)
            PadByPolygon(layer->GetMaterials(), pCount);
        PadByPolygon(layer->GetTextures(), pCount);
    }
}

// The UV ids of every corner of a set; 0 for a corner outside the set or
// naming no UV of it.
void ReadUVIds(MFnMesh& pMesh, const MString& pSet, const MIntArray& pCounts, int pUVCount,
               KArrayTemplate<int>& pIds)
{
    pIds.Clear();
    for (unsigned int p = 0; p < pCounts.length(); ++p)
        for (int v = 0; v < pCounts[p]; ++v) {
            int id = 0;
            if (!pMesh.getPolygonUVid(static_cast<int>(p), v, id, &pSet) || id < 0 || id >= pUVCount)
                id = 0;
            pIds.Add(id);
        }
}

void WriteUVs(KQelMesh* pMesh, int pLayer, const MFloatArray& pU, const MFloatArray& pV, int pUVCount,
              const KArrayTemplate<int>& pIds)
{
    KQelLayer* layer = LayerOrCreate(pMesh, pLayer);
    if (!layer)
        return;
    KQelLayerElementUV* uvs = layer->GetUVs();
    if (!uvs) {
        uvs = new KQelLayerElementUV;
        layer->SetUVs(uvs);
    }
    uvs->SetMappingMode(E::eByPolygonVertex);
    uvs->SetReferenceMode(E::eIndexToDirect);
    KArrayTemplate<KQelVector2>& direct = uvs->GetDirectArray();
    if (!direct.SetCount(pUVCount) || !uvs->GetIndexArray().SetCount(pIds.GetCount())) {
        direct.Clear();
        uvs->GetIndexArray().Clear();
        return;
    }
    for (int k = 0; k < pUVCount; ++k)
        direct[k].Set(pU[static_cast<unsigned int>(k)], pV[static_cast<unsigned int>(k)]);
    KArrayTemplate<int>& indices = uvs->GetIndexArray();
    for (int k = 0, n = pIds.GetCount(); k < n; ++k)
        indices[k] = pIds[k];
}

// The layers a UV set goes to: layer 0 when no texture is tied to it, else
// the layers in which the records put its textures; each once, in order.
std::vector<int> UVSetLayers(const MObjectArray& pTextures, const std::vector<MaterialEntry>& pEntries)
{
    std::vector<int> layers;
    if (pTextures.length() == 0)
        layers.push_back(0);
    for (const MaterialEntry& entry : pEntries)
        for (unsigned int t = 0; t < pTextures.length(); ++t) {
            const KLayerMapping& record = *entry.mRecord;
            unsigned int q = 0;
            while (q < record.mHostTextures.length() && !(record.mHostTextures[q] == pTextures[t]))
                ++q;
            if (static_cast<int>(q) >= record.mLayers.GetCount())
                continue;
            const int layer = record.mLayers[static_cast<int>(q)];
            if (layer >= 0 && std::find(layers.begin(), layers.end(), layer) == layers.end())
                layers.push_back(layer);
        }
    return layers;
}

// The UV sets of the mesh: in layer 0 when no texture is tied to a set,
// else in the layers of the textures that use it; a later set in one layer
// replaces an earlier.
void WriteUVSets(MFnMesh& pMesh, KQelMesh* pQelMesh, const MIntArray& pCounts,
                 const std::vector<MaterialEntry>& pEntries)
{
    if (pEntries.empty())
        return;
    MStringArray sets;
    pMesh.getUVSetNames(sets);
    std::vector<MObjectArray> textures(sets.length());
    bool anyTextures = false;
    for (unsigned int s = 0; s < sets.length(); ++s) {
        pMesh.getAssociatedUVSetTextures(sets[s], textures[s]);
        anyTextures = anyTextures || textures[s].length() > 0;
    }
    KArrayTemplate<int> ids;
    for (unsigned int s = 0; s < sets.length(); ++s) {
        if (anyTextures && textures[s].length() == 0)
            continue;
        MFloatArray u, v;
        if (pMesh.numUVs(sets[s]) <= 0 || !pMesh.getUVs(u, v, &sets[s]))
            continue;
        const int count = static_cast<int>(u.length() < v.length() ? u.length() : v.length());
        if (count <= 0)
            continue;
        const std::vector<int> layers = UVSetLayers(textures[s], pEntries);
        if (layers.empty())
            continue;
        ReadUVIds(pMesh, sets[s], pCounts, count, ids);
        for (int layer : layers)
            WriteUVs(pQelMesh, layer, u, v, count, ids);
    }
}

// Whether the record puts a host texture on one of its layers.
bool HasHostTexture(const KLayerMapping& pRecord)
{
    for (int j = 0, n = pRecord.mLayers.GetCount(); j < n && j < static_cast<int>(pRecord.mHostTextures.length()); ++j)
        if (!pRecord.mHostTextures[static_cast<unsigned int>(j)].isNull())
            return true;
    return false;
}

}  // namespace

MObject QelVeskExport::CreateDefaultShader()
{
    MStatus status;
    MFnPhongShader phong;
    const MObject shader = phong.create(true, &status);
    if (!status) {
        status.perror("Cannot create default shader");
        return MObject::kNullObj;
    }
    phong.setName(kDefaultMaterialName);
    phong.setCosPower(kDefaultShader.mCosPower);
    phong.setSpecularColor(kDefaultShader.mSpecular);
    phong.setColor(kDefaultShader.mColor);
    phong.setTransparency(kDefaultShader.mTransparency);
    phong.setAmbientColor(kDefaultShader.mAmbient);
    return shader;
}

QelVeskNode* QelVeskExport::BuildMeshGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    ShapeRead read(pPath);
    if (!read.Find(mLogFile, pPath, pNode, mWrapDeformerWarned) || !read.mStatus)
        return nullptr;
    MStatus status;
    MFnMesh mesh(read.mShape, &status);
    if (!status) {
        status.perror("MFnMesh constructor");
        return nullptr;
    }
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    node->SetShapeIndex(0);
    node->SetVisibility(GetNodeVisibility(mesh));
    Register(pPath, node);
    WriteNodeMesh(mesh, node, read.mUndeformed, read.mInputGeometry);
    return node;
}

void QelVeskExport::WriteNodeMesh(MFnMesh& pMesh, QelVeskNode* pNode, MObject& pUndeformed, MObject& pInputGeometry)
{
    if (!pNode)
        return;
    MStatus status;
    MFnMesh undeformed(pUndeformed, &status);
    MIntArray counts, corners, finalCounts, finalCorners;
    const bool read = status && undeformed.getVertices(counts, corners) && pMesh.getVertices(finalCounts, finalCorners);
    const int vertexCount = read ? undeformed.numVertices() : 0;
    // Corners are read from the final mesh and normals from the undeformed
    // one: both must agree corner for corner in count.
    if (!read || vertexCount != pMesh.numVertices() || !SameCorners(counts, finalCounts)) {
        WarnMismatch(mLogFile, pNode->GetName());
        pNode->mHistoryMismatch = true;
        return;
    }
    KQelMesh* mesh = mManager.CreateKQelMesh();
    if (!mesh)
        return;
    pNode->SetNodeAttribute(mesh);
    pNode->SetShadingMode(KQelNode::eTextureShading);
    mesh->InitControlPoints(vertexCount);
    if (mesh->GetControlPointsCount() != vertexCount)
        return;

    MFloatVectorArray normals;
    undeformed.getNormals(normals, MSpace::kObject);
    const int normalCount = undeformed.numNormals();
    MDagPath path;
    pMesh.getPath(path);
    path.extendToShape();
    const unsigned int instance = path.isInstanced() ? path.instanceNumber() : 0;

    // The deformer's input supplies points and fallback normals only when
    // it is a mesh of the same vertices.
    MStatus inputStatus;
    MFnMesh input(pInputGeometry, &inputStatus);
    const bool useInput = !pInputGeometry.isNull() && inputStatus && input.numVertices() == vertexCount;
    MFnMesh& source = useInput ? input : undeformed;
    MPointArray points;
    source.getPoints(points, MSpace::kObject);

    const int cornerCount = static_cast<int>(corners.length());
    const bool byCorner = BoolSetting(QelVeskUserParams::kExportHardEdges) && normalCount > vertexCount &&
                          cornerCount != vertexCount;
    mesh->InitNormals(byCorner ? cornerCount : 0);
    KQelVector4* controlPoints = mesh->GetControlPoints();
    KQelVector4* meshNormals = mesh->GetNormals();
    const int normalSlots = meshNormals ? (byCorner ? cornerCount : vertexCount) : 0;

    MItMeshVertex vertices(path, MObject::kNullObj, &status);
    MVectorArray around;
    for (int i = 0; i < vertexCount; ++i) {
        if (static_cast<unsigned int>(i) < points.length()) {
            const MPoint& p = points[static_cast<unsigned int>(i)];
            controlPoints[i] = KQelVector4(p.x, p.y, p.z, p.w);
        }
        if (!byCorner && i < normalSlots) {
            MVector normal;
            if (!vertices.isDone() && vertices.getNormals(around, MSpace::kObject) && around.length() == 1)
                normal = around[0];
            else
                source.getVertexNormal(i, normal, MSpace::kObject);
            meshNormals[i] = Normal(normal);
        }
        if (!vertices.isDone())
            vertices.next();
    }

    // Per corner, each normal is looked up in the undeformed mesh's own
    // list by its own indices.
    std::unique_ptr<MItMeshPolygon> normalWalk;
    if (byCorner)
        normalWalk.reset(new MItMeshPolygon(pUndeformed));
    int corner = 0;
    for (unsigned int p = 0; p < finalCounts.length(); ++p) {
        mesh->BeginPolygon(-1, -1, -1);
        for (int v = 0; v < finalCounts[p]; ++v, ++corner) {
            mesh->AddPolygon(finalCorners[static_cast<unsigned int>(corner)], -1);
            if (!byCorner || corner >= normalSlots)
                continue;
            const int index = normalWalk->isDone() ? -1 : normalWalk->normalIndex(v);
            MVector normal;
            if (index >= 0 && static_cast<unsigned int>(index) < normals.length()) {
                const MFloatVector& n = normals[static_cast<unsigned int>(index)];
                normal = MVector(n.x, n.y, n.z);
            } else {
                undeformed.getVertexNormal(corners[static_cast<unsigned int>(corner)], normal, MSpace::kObject);
            }
            meshNormals[corner] = Normal(normal);
        }
        mesh->EndPolygon();
        if (normalWalk && !normalWalk->isDone())
            normalWalk->next();
    }

    SetVertexColors(mesh, pMesh);
    WriteMeshShading(pMesh, pNode, mesh, instance);
}

void QelVeskExport::WriteMeshShading(MFnMesh& pMesh, QelVeskNode* pNode, KQelMesh* pQelMesh,
                                     unsigned int pInstance)
{
    MObjectArray shaders;
    MIntArray indices;
    if (!pMesh.getConnectedShaders(pInstance, shaders, indices))
        return;
    MIntArray counts, corners;
    pMesh.getVertices(counts, corners);
    const int polygonCount = static_cast<int>(counts.length());

    // Material keys: the host shader indices met, each resolved once.
    std::vector<MaterialEntry> entries;
    std::unordered_map<int, int> entryOfKey;
    std::vector<int> entryOfPolygon(static_cast<size_t>(polygonCount));
    MObject defaultShader;
    int defaultEntry = -1;
    for (int p = 0; p < polygonCount; ++p) {
        const int key = static_cast<unsigned int>(p) < indices.length() ? indices[static_cast<unsigned int>(p)] : -1;
        const auto known = entryOfKey.find(key);
        if (known != entryOfKey.end()) {
            entryOfPolygon[static_cast<size_t>(p)] = known->second;
            continue;
        }
        MObject surface;
        if (key >= 0 && static_cast<unsigned int>(key) < shaders.length())
            surface = FindShader(shaders[static_cast<unsigned int>(key)]);
        int entry = static_cast<int>(entries.size());
        if (surface.isNull()) {
            if (defaultEntry < 0) {
                defaultShader = CreateDefaultShader();
                defaultEntry = entry;
                entries.push_back(MaterialEntry{defaultShader, nullptr});
            }
            entry = defaultEntry;
        } else {
            entries.push_back(MaterialEntry{surface, nullptr});
        }
        entryOfKey[key] = entry;
        entryOfPolygon[static_cast<size_t>(p)] = entry;
    }

    bool textured = false;
    for (MaterialEntry& entry : entries) {
        entry.mRecord.reset(new KLayerMapping(polygonCount, E::eAllSame, E::eByPolygon, E::eAllSame));
        if (!entry.mShader.isNull())
            textured = DefineTextures(entry.mShader, pNode, *entry.mRecord) || textured;
        // Every record writes layer 0, so that its material is written even
        // when no texture of it landed there.
        if (entry.mRecord->FindLayer(0) < 0)
            entry.mRecord->AddData(0, sgTRANSPARENT_TEX, MObject::kNullObj);
    }
    for (int p = 0; p < polygonCount; ++p) {
        KLayerMapping& record = *entries[static_cast<size_t>(entryOfPolygon[static_cast<size_t>(p)])].mRecord;
        for (int k = 0, n = record.mKeyRepeatCounts.GetCount(); k < n; ++k)
            ++record.mKeyRepeatCounts[k];
    }

    // Texture mapping: position j of a record goes with the mesh's j-th
    // textured layer; the first always maps by polygon.
    for (const MaterialEntry& entry : entries) {
        const KLayerMapping& record = *entry.mRecord;
        for (int j = 0, n = record.mLayers.GetCount(); j < n; ++j) {
            KQelLayer* layer = pQelMesh->GetLayer(j, E::eTexture);
            if (!layer || !record.mHasData || j >= static_cast<int>(record.mHostTextures.length()) ||
                record.mHostTextures[static_cast<unsigned int>(j)].isNull())
                continue;
            E::EMappingMode mode = record.mKeyRepeatCounts[j] >= record.mPolygonCount
                                       ? record.mTextureMappingMode
                                       : record.mPartialTextureMappingMode;
            layer->GetTextures()->SetMappingMode(j == 0 ? E::eByPolygon : mode);
        }
    }

    WriteUVSets(pMesh, pQelMesh, counts, entries);

    // One material per record, in order of first use: the indices come out
    // as they would polygon by polygon.
    bool sameMaterial = true;
    for (size_t e = 0; e < entries.size(); ++e) {
        KLayerMapping& record = *entries[e].mRecord;
        if (!entries[e].mShader.isNull()) {
            MStatus status;
            const MFnDependencyNode shader(record.mShader, &status);
            const MString name = status ? shader.name() : MString();
            record.mMaterialIndex = DefineMaterial(name.asChar(), record.mShader, pQelMesh);
            if (HasHostTexture(record))
                if (KQelMaterial* material = pQelMesh->GM(record.mMaterialIndex, 0))
                    material->SetDiffuse(KQelColor(1.0, 1.0, 1.0, 1.0));
        }
        sameMaterial = sameMaterial && record.mMaterialIndex == entries[0].mRecord->mMaterialIndex;
    }
    if (!sameMaterial)
        for (MaterialEntry& entry : entries)
            entry.mRecord->mMaterialMappingMode = E::eByPolygon;

    for (int p = 0; p < polygonCount; ++p) {
        FillLayerData(entries[static_cast<size_t>(entryOfPolygon[static_cast<size_t>(p)])].mRecord.get(), pQelMesh,
                      textured);
        PadByPolygon(pQelMesh, p + 1);
    }

    if (!defaultShader.isNull())
        MGlobal::deleteNode(defaultShader);
}

bool QelVeskExport::SetVertexColors(KQelMesh* pQelMesh, MFnMesh& pMesh)
{
    MColorArray colors;
    pMesh.getFaceVertexColors(colors);
    bool coloured = false;
    for (unsigned int i = 0; i < colors.length() && !coloured; ++i) {
        const MColor& c = colors[i];
        coloured = c.r >= 0.0f && c.g >= 0.0f && c.b >= 0.0f && c.a >= 0.0f;
    }
    if (!coloured || !pQelMesh)
        return true;

    KQelLayer* layer = pQelMesh->GetLayer(0, E::eVertexColor);
    if (!layer) {
        layer = LayerOrCreate(pQelMesh, 0);
        if (!layer)
            return true;
        layer->SetVertexColors(new KQelLayerElementVertexColor);
    }
    KQelLayerElementVertexColor* element = layer->GetVertexColors();
    element->SetMappingMode(E::eByPolygonVertex);
    element->SetReferenceMode(E::eIndexToDirect);
    KArrayTemplate<KQelColor>& direct = element->GetDirectArray();
    KArrayTemplate<int>& indices = element->GetIndexArray();
    indices.Clear();
    const int colorCount = static_cast<int>(colors.length());
    if (!direct.SetCount(colorCount))
        return true;
    // Components are copied as they are: a corner without colour keeps the
    // host's negative ones.
    for (int i = 0; i < colorCount; ++i) {
        const MColor& c = colors[static_cast<unsigned int>(i)];
        KQelColor& color = direct[i];
        color.mRed = c.r;
        color.mGreen = c.g;
        color.mBlue = c.b;
        color.mAlpha = c.a;
    }

    MDagPath path;
    pMesh.getPath(path);
    path.extendToShape();
    MStatus status;
    MItMeshPolygon polygons(path, MObject::kNullObj, &status);
    if (!status)
        return false;
    int corner = 0;
    for (int p = 0, n = pMesh.numPolygons(); p < n; ++p) {
        const int size = pMesh.polygonVertexCount(p);
        for (int v = 0; v < size; ++v, ++corner) {
            int index = corner;
            if (!pMesh.getFaceVertexColorIndex(p, v, index) || index < 0 || index >= colorCount)
                index = corner < colorCount ? corner : 0;
            indices.Add(index);
        }
    }
    return true;
}
