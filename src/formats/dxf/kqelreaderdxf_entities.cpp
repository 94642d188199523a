// Entities into meshes: the section loop of each derivation, LINE, 3DFACE
// and the mesh built from a point list and a polygon list.
#include <algorithm>
#include <cctype>
#include <strings.h>

#include "content/kqelmesh.h"
#include "formats/dxf/kqelreaderdxf_impl.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

using dxf_detail::EntityValues;
using dxf_detail::LayerSet;
using dxf_detail::MeshLists;
using dxf_detail::PairReader;

namespace {

// The group codes each entity reader takes; others are passed over.
const int kLineCodes[] = {8, 10, 20, 30, 11, 21, 31, 62};
const int k3DFaceCodes[] = {8, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33, 62, 70};

bool SamePoint(const double* pA, const double* pB)
{
    return KQelVector4(pA[0], pA[1], pA[2], 0.0) == KQelVector4(pB[0], pB[1], pB[2], 0.0);
}

// A 3DFACE whose first three corners coincide.
bool IsDegenerateFace(const EntityValues& pValues)
{
    const double(*corners)[3] = pValues.mPoint;
    return SamePoint(corners[0], corners[1]) && SamePoint(corners[0], corners[2]);
}

}  // namespace

bool KQelReaderDxf::ReadGroups(const int* pCodes, int pCount, EntityValues& pValues, bool pSetBack)
{
    const PairReader& pair = *mFile;
    for (;;) {
        const std::int64_t start = mFile->Tell();
        if (!GetLine())
            return false;
        if (pair.Code() == 0) {
            if (pSetBack)
                mFile->Seek(start);
            return true;
        }
        pValues.Take(pair.Code(), pair.Value(), pCodes, pCount);
    }
}

bool KQelReaderDxf::ReadSection(SectionTarget& pTarget)
{
    const PairReader& pair = *mFile;
    for (;;) {
        if (mState->mAborted || !GetLine())
            return false;
        if (pair.Code() != 0)
            continue;
        if (pair.Value() == "POLYLINE" || pair.Value() == "3DFACE" || pair.Value() == "LINE") {
            const std::string kind = pair.Value();
            if (!ReadEntity(pTarget, kind))
                return false;
        } else if (pair.Value() == "INSERT") {
            // An INSERT sent on to the parent is none of this block's own.
            if (pTarget.mInsertParent == pTarget.mParent)
                pTarget.mHasInserts = true;
            ReadInsert(pTarget.mInsertParent);
        } else if (pair.Value() == "ENDSEC" || pair.Value() == "ENDBLK") {
            return true;
        }
    }
}

bool KQelReaderDxf::ReadEntity(SectionTarget& pTarget, const std::string& pKind)
{
    KQelNode* node = nullptr;
    if (pTarget.mMode == SectionTarget::eNodePerEntity) {
        // The name's number is used even when the entity gives no mesh.
        node = CreateRenamedNode(pKind.c_str());
        if (!node)
            return false;
    } else if (pTarget.mMode == SectionTarget::eMeshPerBlock) {
        pTarget.mHasGeometry = true;
    }

    const bool polyline = pKind == "POLYLINE";
    EntityValues values;
    bool vertexFollows = false;
    bool read;
    if (polyline)
        read = ReadPolylineValues(values, vertexFollows);
    else if (pKind == "LINE")
        read = ReadGroups(kLineCodes, sizeof(kLineCodes) / sizeof(int), values, true);
    else
        read = ReadGroups(k3DFaceCodes, sizeof(k3DFaceCodes) / sizeof(int), values, true);

    // A layer's or block's mesh drops a degenerate face before the lists of
    // its layer are found or made, so that such faces alone make no node.
    const bool dropped =
        read && pKind == "3DFACE" && pTarget.mMode != SectionTarget::eNodePerEntity && IsDegenerateFace(values);
    std::unique_ptr<MeshLists> own;
    MeshLists* lists = nullptr;
    if (read && !dropped) {
        switch (pTarget.mMode) {
        case SectionTarget::eNodePerEntity: {
            // A polyface mesh states its point count (group 71): one
            // allocation, but never more than the file could fill.
            const long long bound = mFile->GetSize() / 16 + 1;
            const int block = static_cast<int>(std::max(1LL, std::min<long long>(values.mNumbers[0], bound)));
            own.reset(new MeshLists(false, polyline ? std::min(block, 1 << 20) : 16));
            lists = own.get();
            break;
        }
        case SectionTarget::eMeshPerLayer:
            lists = AddLayer(values.mLayer, *pTarget.mLayers);
            break;
        case SectionTarget::eMeshPerBlock:
            lists = pTarget.mLists;
            break;
        }
    }
    if (lists) {
        if (pKind == "LINE")
            AddLine(values, *lists);
        else if (!polyline)
            Add3DFace(values, *lists);
        else if (vertexFollows)
            ReadPolylineVertices(values, *lists);
    }

    if (node) {
        KQelMesh* mesh = own && (!polyline || vertexFollows) ? CreateMeshFromArrays(*own) : nullptr;
        if (!mesh) {
            mManager.DestroyKQelNode(node, true);
            return true;
        }
        if (pKind == "LINE")
            node->SetShadingMode(KQelNode::eWireFrame);
        node->SetNodeAttribute(mesh);
        pTarget.mParent->AddChild(node);
    }
    return true;
}

void KQelReaderDxf::AddLine(const EntityValues& pValues, MeshLists& pLists)
{
    const int colour = MaterialColour(ResolveColour(pValues.mColour, pValues.mLayer));
    const KQelVector4 start = pValues.ScenePoint(0);
    const KQelVector4 end = pValues.ScenePoint(1);
    // Both searches come before either point is added.
    int first = pLists.FindPoint(start);
    int second = pLists.FindPoint(end);
    if (first < 0)
        first = pLists.AddPoint(start);
    if (second < 0)
        second = pLists.AddPoint(end);
    pLists.BeginRecord(3, colour);
    for (int index : {first, second, first})
        pLists.mPolygons.Add(index);
}

void KQelReaderDxf::Add3DFace(const EntityValues& pValues, MeshLists& pLists)
{
    const double(*corners)[3] = pValues.mPoint;
    // Three corners when the fourth repeats the third exactly.
    const bool triangle =
        corners[2][0] == corners[3][0] && corners[2][1] == corners[3][1] && corners[2][2] == corners[3][2];
    const int count = triangle ? 3 : 4;
    pLists.BeginRecord(count, MaterialColour(ResolveColour(pValues.mColour, pValues.mLayer)));
    for (int k = count - 1; k >= 0; --k)
        pLists.mPolygons.Add(pLists.FindOrAddPoint(pValues.ScenePoint(k)));
}

bool KQelReaderDxf::ReadEntities(KQelNode* pParent)
{
    SectionTarget target(SectionTarget::eNodePerEntity, pParent, pParent);
    return ReadSection(target);
}

MeshLists* KQelReaderDxf::AddLayer(const std::string& pName, LayerSet& pLayers)
{
    std::string key(pName);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
    auto found = pLayers.mIndex.find(key);
    if (found != pLayers.mIndex.end())
        return pLayers.mEntries[found->second].mLists.get();
    pLayers.mIndex.emplace(key, pLayers.mEntries.size());
    pLayers.mEntries.push_back(LayerSet::Entry{pName, std::unique_ptr<MeshLists>(new MeshLists(mWeldVertices))});
    return pLayers.mEntries.back().mLists.get();
}

bool KQelReaderDxf::ReadEntitiesByLayer(KQelNode* pParent)
{
    LayerSet layers;
    SectionTarget target(SectionTarget::eMeshPerLayer, pParent, pParent);
    target.mLayers = &layers;
    if (!ReadSection(target))
        return false;
    std::vector<LayerSet::Entry>& entries = layers.mEntries;
    std::stable_sort(entries.begin(), entries.end(), [](const LayerSet::Entry& pA, const LayerSet::Entry& pB) {
        return strcasecmp(pA.mName.c_str(), pB.mName.c_str()) < 0;
    });
    for (LayerSet::Entry& entry : entries) {
        KQelMesh* mesh = CreateMeshFromArrays(*entry.mLists);
        entry.mLists.reset();
        if (!mesh)
            continue;
        KQelNode* node = CreateRenamedNode(entry.mName.c_str());
        if (!node) {
            mManager.DestroyKQelNodeAttribute(mesh);
            continue;
        }
        node->SetNodeAttribute(mesh);
        if (LayerColour(entry.mName) < 0)
            node->SetVisibility(false);
        pParent->AddChild(node);
    }
    return true;
}

KQelMesh* KQelReaderDxf::CreateMeshFromArrays(MeshLists& pLists)
{
    const KArrayTemplate<int>& polygons = pLists.mPolygons;
    const int pointCount = pLists.mPoints.GetCount();
    const int slotCount = polygons.GetCount();
    if (slotCount < 2)
        return nullptr;
    // Records are checked before anything is built.
    for (int slot = 2; slot < slotCount; slot += 2 + polygons[slot]) {
        if (polygons[slot] < 2 || slot + 1 >= slotCount || polygons[slot] > slotCount - slot - 2)
            return nullptr;
    }
    KQelMesh* mesh = mManager.CreateKQelMesh();
    if (!mesh)
        return nullptr;
    mesh->InitControlPoints(pointCount);
    if (mesh->GetControlPointsCount() != pointCount) {
        mManager.DestroyKQelNodeAttribute(mesh);
        return nullptr;
    }
    std::copy(pLists.mPoints.GetArray(), pLists.mPoints.GetArray() + pointCount, mesh->GetControlPoints());
    if (polygons[0] != 0)
        mesh->InitMaterialIndices(KQelLayerElement::eByPolygon);

    // The mesh's material index of each colour number.
    int materialIndex[256] = {};
    for (int slot = 2; slot < slotCount; slot += 2 + polygons[slot]) {
        const int count = polygons[slot];
        const int colour = MaterialColour(polygons[slot + 1]);
        const int* corners = &polygons[slot + 2];
        bool inRange = true;
        for (int k = 0; k < count; ++k)
            inRange = inRange && corners[k] >= 0 && corners[k] < pointCount;
        if (!inRange)
            continue;
        if (colour > 0) {
            const int added = mesh->AM(MaterialOf(colour), 0);
            if (added >= 0)
                materialIndex[colour] = added;
        }
        mesh->BeginPolygon(materialIndex[colour], -1, -1);
        for (int k = 0; k < count; ++k)
            mesh->AddPolygon(corners[k]);
        // A two-corner record is an edge: a triangle back to its start.
        if (count == 2)
            mesh->AddPolygon(corners[0]);
        mesh->EndPolygon();
    }
    return mesh;
}

}  // namespace qelsdk_600
