// Records into geometry: meshes with their normals, UVs, materials and
// textures, and rational B-spline surfaces.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "formats/obj/kqelreaderobj_impl.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Control point and UV of each distinct (position, texture coordinate,
// normal) triple, found by hashing: the same first-met numbering as a sorted
// table, in constant time per corner.
class TripleTable {
public:
    struct Entry {
        kInt mKey[3];
        kInt mControlPoint;  // -1 for an empty slot
        kInt mUV;
    };

    TripleTable() : mSlots(1024), mCount(0) { Clear(); }

    // The entry of the triple, made (control point -1) when new.
    Entry& Find(const KIndexGroup& pGroup)
    {
        if ((mCount + 1) * 2 > mSlots.size())
            Grow();
        Entry& entry = mSlots[Slot(pGroup.mPosition, pGroup.mTexture, pGroup.mNormal)];
        if (entry.mControlPoint < 0) {
            entry.mKey[0] = pGroup.mPosition;
            entry.mKey[1] = pGroup.mTexture;
            entry.mKey[2] = pGroup.mNormal;
            ++mCount;
        }
        return entry;
    }

private:
    void Clear()
    {
        for (Entry& entry : mSlots)
            entry.mControlPoint = -1;
    }
    std::size_t Slot(kInt pA, kInt pB, kInt pC) const
    {
        std::uint64_t hash = static_cast<std::uint32_t>(pA) * 0x9E3779B97F4A7C15ull;
        hash = (hash ^ static_cast<std::uint32_t>(pB)) * 0xC2B2AE3D27D4EB4Full;
        hash = (hash ^ static_cast<std::uint32_t>(pC)) * 0x165667B19E3779F9ull;
        const std::size_t mask = mSlots.size() - 1;
        std::size_t slot = static_cast<std::size_t>(hash >> 20) & mask;
        while (mSlots[slot].mControlPoint >= 0 &&
               (mSlots[slot].mKey[0] != pA || mSlots[slot].mKey[1] != pB || mSlots[slot].mKey[2] != pC))
            slot = (slot + 1) & mask;
        return slot;
    }
    void Grow()
    {
        std::vector<Entry> old(mSlots.size() * 2);
        old.swap(mSlots);
        Clear();
        for (const Entry& entry : old) {
            if (entry.mControlPoint >= 0)
                mSlots[Slot(entry.mKey[0], entry.mKey[1], entry.mKey[2])] = entry;
        }
    }

    std::vector<Entry> mSlots;
    std::size_t mCount;
};

// Index in layer 0 of each name's material or texture, added on first use.
class LayerIndex {
public:
    explicit LayerIndex(KQelMesh& pMesh) : mMesh(pMesh) {}

    int Material(KQelMaterial* pMaterial) { return Index(pMaterial->GetName(), pMaterial, mMaterials, true); }
    int Texture(KQelTexture* pTexture) { return Index(pTexture->GetName(), pTexture, mTextures, false); }

private:
    int Index(const char* pName, void* pObject, std::unordered_map<std::string, int>& pIndices, bool pMaterial)
    {
        auto found = pIndices.find(pName);
        if (found != pIndices.end())
            return found->second;
        int index = pMaterial ? mMesh.GMI(pName, 0) : mMesh.GTI(pName, 0);
        if (index < 0)
            index = pMaterial ? mMesh.AM(pObject, 0) : mMesh.AT(pObject, 0);
        if (index < 0)
            index = 0;
        pIndices.emplace(pName, index);
        return index;
    }

    KQelMesh& mMesh;
    std::unordered_map<std::string, int> mMaterials;
    std::unordered_map<std::string, int> mTextures;
};

}  // namespace

KQelVector4 KQelReaderObj::ComputeDefaultNormal(const KQelVector4* pPoints)
{
    KQelVector4 normal = (pPoints[1] - pPoints[0]).CrossProduct(pPoints[2] - pPoints[0]);
    normal.Normalize();
    return normal;
}

KQelVector4 KQelReaderObj::FaceNormal(const KObjFace& pFace) const
{
    // Fewer than three corners make no plane.
    if (pFace.GetCount() < 3)
        return KQelVector4(0.0, 0.0, 0.0, 1.0);
    KQelVector4 corners[3];
    for (int k = 0; k < 3; ++k)
        corners[k] = mPositions[pFace.GetGroupAt(k).mPosition];
    return ComputeDefaultNormal(corners);
}

bool KQelReaderObj::FillNormals(KObjMesh* pMesh)
{
    const int faceCount = pMesh->GetCount();
    if (faceCount == 0)
        return false;
    for (int first = 0, last = 0; first < faceCount; first = last) {
        const kInt group = pMesh->GetFace(first)->mSmoothingGroup;
        last = first + 1;
        while (last < faceCount && pMesh->GetFace(last)->mSmoothingGroup == group)
            ++last;
        if (group == 0) {
            // Flat: each face that lacks a normal gets its own on every corner.
            for (int f = first; f < last; ++f) {
                KObjFace& face = *pMesh->GetFace(f);
                if (face.mAllCornersHaveNormals)
                    continue;
                const int index = mNormals.Add(FaceNormal(face));
                for (int k = 0; k < face.GetCount(); ++k)
                    face.SetNormalAt(k, index);
            }
            continue;
        }
        // Smooth: the corners sharing a position share the sum of their face
        // normals (or own normals), for the corners that lack one.
        struct Corner {
            kInt mPosition;
            kInt mFace;
            kInt mCorner;
        };
        std::vector<Corner> corners;
        for (int f = first; f < last; ++f) {
            const KObjFace& face = *pMesh->GetFace(f);
            for (int k = 0; k < face.GetCount(); ++k)
                corners.push_back(Corner{face.GetGroupAt(k).mPosition, f, k});
        }
        std::stable_sort(corners.begin(), corners.end(),
                         [](const Corner& pA, const Corner& pB) { return pA.mPosition < pB.mPosition; });
        std::vector<KQelVector4> faceNormals(static_cast<std::size_t>(last - first));
        std::vector<bool> faceNormalMade(faceNormals.size(), false);
        for (std::size_t begin = 0, end = 0; begin < corners.size(); begin = end) {
            bool lacking = false;
            for (end = begin; end < corners.size() && corners[end].mPosition == corners[begin].mPosition; ++end) {
                if (pMesh->GetFace(corners[end].mFace)->GetGroupAt(corners[end].mCorner).mNormal < 0)
                    lacking = true;
            }
            if (!lacking)
                continue;
            KQelVector4 sum;
            for (std::size_t c = begin; c < end; ++c) {
                const KObjFace& face = *pMesh->GetFace(corners[c].mFace);
                const kInt own = face.GetGroupAt(corners[c].mCorner).mNormal;
                if (own >= 0) {
                    sum += mNormals[own];
                    continue;
                }
                const std::size_t slot = static_cast<std::size_t>(corners[c].mFace - first);
                if (!faceNormalMade[slot]) {
                    faceNormals[slot] = FaceNormal(face);
                    faceNormalMade[slot] = true;
                }
                sum += faceNormals[slot];
            }
            sum.Normalize();
            const int index = mNormals.Add(sum);
            for (std::size_t c = begin; c < end; ++c) {
                KObjFace& face = *pMesh->GetFace(corners[c].mFace);
                if (face.GetGroupAt(corners[c].mCorner).mNormal < 0)
                    face.SetNormalAt(corners[c].mCorner, index);
            }
        }
    }
    return true;
}

KQelMesh* KQelReaderObj::CreateQelMeshFromObjMesh(KObjMesh* pMesh)
{
    if (!pMesh->mAllFacesHaveAllNormals && !FillNormals(pMesh))
        return nullptr;
    KQelMesh* mesh = mManager.CreateKQelMesh();
    if (!mesh)
        return nullptr;
    const int faceCount = pMesh->GetCount();
    bool hasUVs = false;
    for (int f = 0; f < faceCount && !hasUVs; ++f) {
        const KObjFace& face = *pMesh->GetFace(f);
        for (int k = 0; k < face.GetCount() && !hasUVs; ++k)
            hasUVs = face.GetGroupAt(k).mTexture >= 0;
    }

    // First pass: a control point per distinct triple, in the order met.
    std::vector<KQelVector4> points;
    std::vector<KQelVector4> normals;
    std::vector<KQelVector2> uvs;
    std::vector<kInt> cornerPoints;
    std::vector<kInt> cornerUVs;
    kInt noUV = -1;  // one (0, 0) UV shared by the corners without one
    std::unique_ptr<TripleTable> triples(new TripleTable);
    for (int f = 0; f < faceCount; ++f) {
        const KObjFace& face = *pMesh->GetFace(f);
        for (int k = 0; k < face.GetCount(); ++k) {
            const KIndexGroup corner = face.GetGroupAt(k);
            TripleTable::Entry& entry = triples->Find(corner);
            if (entry.mControlPoint < 0) {
                entry.mControlPoint = static_cast<kInt>(points.size());
                points.push_back(mPositions[corner.mPosition]);
                normals.push_back(corner.mNormal >= 0 ? mNormals[corner.mNormal] : KQelVector4());
                entry.mUV = -1;
                if (corner.mTexture >= 0) {
                    entry.mUV = static_cast<kInt>(uvs.size());
                    uvs.push_back(mTextureCoordinates[corner.mTexture]);
                } else if (hasUVs) {
                    if (noUV < 0) {
                        noUV = static_cast<kInt>(uvs.size());
                        uvs.push_back(KQelVector2());
                    }
                    entry.mUV = noUV;
                }
            }
            cornerPoints.push_back(entry.mControlPoint);
            cornerUVs.push_back(entry.mUV);
        }
    }
    // Each working array goes as soon as the mesh holds its copy: the peak
    // stays low on a 32-bit target.
    triples.reset();

    const int pointCount = static_cast<int>(points.size());
    mesh->InitControlPoints(pointCount);
    mesh->InitNormals(0);
    mesh->InitMaterialIndices(mMaterialLibrarySeen ? KQelLayerElement::eByPolygon : KQelLayerElement::eAllSame);
    if (!mesh->GetLayer(0))
        mesh->CreateLayer();
    KQelLayer* layer = mesh->GetLayer(0);
    KQelLayerElementNormal* normalElement = layer ? layer->GetNormals() : nullptr;
    if (mesh->GetControlPointsCount() != pointCount || !normalElement ||
        normalElement->GetDirectArray().GetCount() != pointCount) {
        mManager.DestroyKQelNodeAttribute(mesh);
        return nullptr;
    }
    if (!uvs.empty()) {
        mesh->InitTextureUVIndices(KQelLayerElement::eByPolygonVertex);
        KArrayTemplate<KQelVector2>& direct = layer->GetUVs()->GetDirectArray();
        if (direct.SetCount(static_cast<int>(uvs.size())))
            std::copy(uvs.begin(), uvs.end(), direct.GetArray());
    }
    if (pMesh->mSomeFaceHasATexture) {
        mesh->InitTextureIndices(KQelLayerElement::eByPolygon);
        // Faces without a texture take index 0, a texture that shows nothing.
        if (!pMesh->mAllFacesHaveATexture) {
            if (KQelTexture* empty = mManager.CreateKQelTexture("_empty_")) {
                empty->SetDefaultAlpha(0.0);
                mesh->AT(empty, 0);
            }
        }
    }
    std::copy(points.begin(), points.end(), mesh->GetControlPoints());
    std::copy(normals.begin(), normals.end(), normalElement->GetDirectArray().GetArray());
    const bool withUVs = !uvs.empty();
    std::vector<KQelVector4>().swap(points);
    std::vector<KQelVector4>().swap(normals);
    std::vector<KQelVector2>().swap(uvs);

    // Second pass: the polygons with their layer-0 material and texture.
    LayerIndex layerIndex(*mesh);
    std::size_t corner = 0;
    for (int f = 0; f < faceCount; ++f) {
        const KObjFace& face = *pMesh->GetFace(f);
        int material = 0;
        int texture = 0;
        if (mMaterialLibrarySeen) {
            if (face.mMaterial)
                material = layerIndex.Material(face.mMaterial);
            if (face.mTexture)
                texture = layerIndex.Texture(face.mTexture);
        }
        mesh->BeginPolygon(material, texture, -1);
        for (int k = 0; k < face.GetCount(); ++k, ++corner)
            mesh->AddPolygon(cornerPoints[corner], withUVs ? cornerUVs[corner] : -1);
        mesh->EndPolygon();
    }
    return mesh;
}

int KQelReaderObj::SwapArrayIndex(int pIndex, int pCountV, int pCountU)
{
    return pIndex / pCountU + (pIndex % pCountU) * pCountV;
}

KQelNurb* KQelReaderObj::CreateQelGeometryFromObjSurf(KObjSurf* pSurface)
{
    if (pSurface->mType != KObjSurf::eBSpline || !pSurface->mRational)
        return nullptr;
    // Converted only when the knots, degrees and points agree.
    const long long degreeU = pSurface->mDegreeU;
    const long long degreeV = pSurface->mDegreeV;
    const long long countU = pSurface->mU.GetCount() - degreeU - 1;
    const long long countV = pSurface->mV.GetCount() - degreeV - 1;
    if (degreeU < 1 || degreeV < 1 || countU < 1 || countV < 1 || countU * countV != pSurface->mControlPointCount)
        return nullptr;
    KQelNurb* nurb = mManager.CreateKQelNurb();
    if (!nurb)
        return nullptr;
    // The surface's U direction is the file's v direction.
    nurb->SetOrder(static_cast<unsigned int>(degreeV + 1), static_cast<unsigned int>(degreeU + 1));
    nurb->InitControlPoints(static_cast<int>(countV), KQelNurb::kOpen, static_cast<int>(countU), KQelNurb::kOpen);
    if (nurb->GetUCount() != countV || nurb->GetVCount() != countU || !nurb->GetUKnotVector() ||
        !nurb->GetVKnotVector()) {
        mManager.DestroyKQelNodeAttribute(nurb);
        return nullptr;
    }
    nurb->SetStep(3, 3);
    std::copy(pSurface->mV.GetArray(), pSurface->mV.GetArray() + pSurface->mV.GetCount(), nurb->GetUKnotVector());
    std::copy(pSurface->mU.GetArray(), pSurface->mU.GetArray() + pSurface->mU.GetCount(), nurb->GetVKnotVector());
    KQelVector4* points = nurb->GetControlPoints();
    for (int i = 0; i < pSurface->mControlPointCount; ++i)
        points[SwapArrayIndex(i, static_cast<int>(countV), static_cast<int>(countU))] =
            mPositions[pSurface->mControlPoints[i]];
    if (pSurface->mMaterial)
        nurb->AM(pSurface->mMaterial, 0);
    if (pSurface->mTexture) {
        pSurface->mTexture->SetSwapUV(true);
        nurb->AT(pSurface->mTexture, 0);
    }
    return nurb;
}

}  // namespace qelsdk_600
