// Mesh records into meshes.
#include <cmath>
#include <cstdint>
#include <vector>

#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/3ds/kqelreader3ds_impl.h"
#include "math/kqelmatrix.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// The control points of a mesh: one per vertex and smoothing class. Entry i
// is control point i; the entries of one source vertex are chained in table
// order from the vertex's own entry, so a lookup walks only that vertex's
// entries (at most one per smoothing bit and one for group 0).
class SplitTable {
public:
    explicit SplitTable(int pVertexCount) : mEntries(static_cast<std::size_t>(pVertexCount)), mTails(mEntries.size())
    {
        for (std::size_t v = 0; v < mTails.size(); ++v)
            mTails[v] = static_cast<int>(v);
    }

    // A corner of vertex pVertex in a face of smoothing mask pMask.
    void Claim(int pVertex, std::uint32_t pMask)
    {
        Entry& own = mEntries[static_cast<std::size_t>(pVertex)];
        if (own.mSource < 0) {
            own.mSource = pVertex;
            own.mMask = pMask;
            return;
        }
        const int found = Find(pVertex, pMask);
        if (found >= 0) {
            mEntries[static_cast<std::size_t>(found)].mMask |= pMask;
            return;
        }
        const int added = static_cast<int>(mEntries.size());
        mEntries.push_back(Entry{pVertex, pMask, -1});
        mEntries[static_cast<std::size_t>(mTails[static_cast<std::size_t>(pVertex)])].mNext = added;
        mTails[static_cast<std::size_t>(pVertex)] = added;
    }

    // The control point of a corner, pVertex itself when no entry serves it.
    int ControlPoint(int pVertex, std::uint32_t pMask) const
    {
        const int found = Find(pVertex, pMask);
        return found >= 0 ? found : pVertex;
    }

    int Size() const { return static_cast<int>(mEntries.size()); }

private:
    struct Entry {
        int mSource = -1;
        std::uint32_t mMask = 0;
        int mNext = -1;
    };

    // The first entry of the vertex that serves the mask: sharing a bit, or
    // both 0.
    int Find(int pVertex, std::uint32_t pMask) const
    {
        for (int k = pVertex; k >= 0; k = mEntries[static_cast<std::size_t>(k)].mNext) {
            const Entry& entry = mEntries[static_cast<std::size_t>(k)];
            if (entry.mSource == pVertex && ((entry.mMask & pMask) != 0 || (entry.mMask == 0 && pMask == 0)))
                return k;
        }
        return -1;
    }

    std::vector<Entry> mEntries;
    std::vector<int> mTails;
};

// The mesh's local matrix, inverted; the identity when it is singular.
KQelXMatrix InverseLocalMatrix(const mesh3ds& pMesh)
{
    KQelXMatrix local;
    double* m = local;
    for (int k = 0; k < 12; ++k)
        m[(k / 3) * 4 + k % 3] = pMesh.locmatrix[k];
    const double det = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
                       m[2] * (m[4] * m[9] - m[5] * m[8]);
    if (!(std::fabs(det) >= 1e-6))
        local.SetIdentity();
    return local.Inverse();
}

// The index of a material in a layer's material list, -1 when absent.
int IndexOfMaterial(KQelMesh& pMesh, KQelMaterial* pMaterial)
{
    KQelLayer* layer = pMesh.GetLayer(0);
    KQelLayerElementMaterial* materials = layer ? layer->GetMaterials() : nullptr;
    return materials ? materials->GetDirectArray().Find(pMaterial) : -1;
}

}  // namespace

bool KQelReader3DS::ConvertMesh3DStoTV(mesh3ds* pMesh, KQelMesh* pQelMesh)
{
    if (!pMesh || !pQelMesh)
        return true;
    // Read checked every face and group index against these counts.
    const int vertexCount = pMesh->vertexarray ? pMesh->nvertices : 0;
    const int faceCount = pMesh->facearray ? pMesh->nfaces : 0;
    const int uvCount = pMesh->textarray ? pMesh->ntextverts : 0;
    const bool split = pMesh->smootharray && mSmoothGroup;
    auto smoothing = [&](int pFace) { return split ? pMesh->smootharray[pFace] : 0u; };

    SplitTable table(vertexCount);
    for (int f = 0; split && f < faceCount; ++f) {
        const face3ds& face = pMesh->facearray[f];
        table.Claim(face.v1, smoothing(f));
        table.Claim(face.v2, smoothing(f));
        table.Claim(face.v3, smoothing(f));
    }

    pQelMesh->InitControlPoints(table.Size());
    pQelMesh->InitNormals(0);
    pQelMesh->InitMaterialIndices(KQelLayerElement::eByPolygon);
    pQelMesh->InitTextureIndices(KQelLayerElement::eByPolygon);
    pQelMesh->InitTextureUVIndices(KQelLayerElement::eByPolygonVertex);
    KQelLayer* layer0 = pQelMesh->GetLayer(0);
    if (!layer0 || !layer0->GetUVs() || pQelMesh->GetControlPointsCount() != table.Size())
        return true;
    KArrayTemplate<KQelVector2>& uvs = layer0->GetUVs()->GetDirectArray();

    const KQelXMatrix local = InverseLocalMatrix(*pMesh);

    // Material groups: each face's material, texture and second texture.
    std::vector<int> faceMaterial(static_cast<std::size_t>(faceCount), 0);
    std::vector<int> faceTexture(faceMaterial.size(), 0);
    std::vector<int> faceTexture2(faceMaterial.size(), 0);
    bool secondLayer = false;
    ReadState& state = *mState;
    for (int g = 0; pMesh->matarray && g < pMesh->nmats; ++g) {
        const objmat3ds& group = pMesh->matarray[g];
        int material = 0, texture = 0, texture2 = 0;
        KQelMaterial* object = nullptr;
        if (mMaterials) {
            const auto found =
                state.mMaterialObjects.find(KQelSdkManager::PrefixName("Material::", group.name).Buffer());
            object = found == state.mMaterialObjects.end() ? nullptr : found->second;
        }
        if (object) {
            // A material that an earlier group added keeps its index.
            material = pQelMesh->AM(object, 0);
            if (material < 0)
                material = IndexOfMaterial(*pQelMesh, object);
            const int record = reader3ds_detail::FindRecord(state.mMaterialRecords, group.name);
            if (record >= 0 && record < mTexturePairs.GetCount() && uvCount > 0 && mTextureMapping &&
                mMaterialRecords[record] && mMaterialRecords[record]->texture.name[0]) {
                const TexturePair& pair = mTexturePairs[record];
                texture = pair.mFirst ? pQelMesh->AT(pair.mFirst, 0) : 0;
                if (pair.mSecond) {
                    texture2 = pQelMesh->AT(pair.mSecond, 0);
                    secondLayer = true;
                }
            }
        }
        for (int i = 0; group.faceindex && i < group.nfaces; ++i) {
            const std::size_t f = group.faceindex[i];
            faceMaterial[f] = material;
            faceTexture[f] = texture;
            faceTexture2[f] = texture2;
        }
    }

    KQelLayer* layer1 = nullptr;
    if (secondLayer) {
        layer1 = pQelMesh->GetLayer(1);
        if (!layer1 && pQelMesh->CreateLayer() >= 0)
            layer1 = pQelMesh->GetLayer(1);
        if (layer1 && !layer1->GetMaterials()) {
            KQelLayerElementMaterial* element = new KQelLayerElementMaterial;
            element->SetMappingMode(KQelLayerElement::eByPolygon);
            element->SetReferenceMode(KQelLayerElement::eIndexToDirect);
            layer1->SetMaterials(element);
        }
        if (layer1 && !layer1->GetUVs()) {
            KQelLayerElementUV* element = new KQelLayerElementUV;
            element->SetMappingMode(KQelLayerElement::eByPolygonVertex);
            element->SetReferenceMode(KQelLayerElement::eIndexToDirect);
            layer1->SetUVs(element);
        }
        if (layer1 && !layer1->GetTextures()) {
            KQelLayerElementTexture* element = new KQelLayerElementTexture;
            element->SetMappingMode(KQelLayerElement::eByPolygon);
            element->SetReferenceMode(KQelLayerElement::eIndexToDirect);
            element->SetBlendMode(KQelLayerElementTexture::eAdd);
            element->SetAlpha(1.0);
            layer1->SetTextures(element);
        }
    }

    KQelVector4* points = pQelMesh->GetControlPoints();
    const double unit = mCreateReferenceNode ? 1.0 : mUnitFactor;
    for (int f = 0; f < faceCount; ++f) {
        const face3ds& face = pMesh->facearray[f];
        const int material = mMaterials && faceMaterial[f] >= 0 ? faceMaterial[f] : 0;
        const int texture = mTextureMapping && faceTexture[f] >= 0 ? faceTexture[f] : 0;
        const bool second = mTextureMapping && faceTexture2[f] > 0;
        pQelMesh->BeginPolygon(material, second ? faceTexture2[f] : texture, -1);
        if (layer1) {
            const int polygons = pQelMesh->GetPolygonCount();
            KQelLayerElementMaterial* materials = layer1->GetMaterials();
            KQelLayerElementTexture* textures = layer1->GetTextures();
            if (materials->GetMappingMode() == KQelLayerElement::eByPolygon ||
                materials->GetReferenceMode() == KQelLayerElement::eIndexToDirect) {
                materials->GetIndexArray().SetCount(polygons);
                materials->GetIndexArray().SetAt(polygons - 1, material);
            }
            if (textures->GetMappingMode() == KQelLayerElement::eByPolygon ||
                textures->GetReferenceMode() == KQelLayerElement::eIndexToDirect) {
                textures->GetIndexArray().SetCount(polygons);
                textures->GetIndexArray().SetAt(polygons - 1, second ? texture : 0);
            }
        }
        const int corners[3] = {face.v1, face.v2, face.v3};
        for (int vertex : corners) {
            const point3ds& p = pMesh->vertexarray[vertex];
            const KQelVector4 moved = local.MultT(KQelVector4(p.x, p.y, p.z, 1.0));
            const double x = moved[0] * unit, y = moved[1] * unit, z = moved[2] * unit;
            if (uvs.GetCount() < vertex + 1)
                uvs.SetCount(vertex + 1);
            if (vertex < uvCount)
                uvs[vertex] = KQelVector2(pMesh->textarray[vertex].u, pMesh->textarray[vertex].v);
            const int point = table.ControlPoint(vertex, smoothing(f));
            points[point].Set(x, z, -y, 0.0);
            pQelMesh->AddPolygon(point, vertex);
        }
        pQelMesh->EndPolygon();
    }
    if (layer1 && layer1->GetUVs()->GetMappingMode() == KQelLayerElement::eByPolygonVertex &&
        layer1->GetUVs()->GetReferenceMode() == KQelLayerElement::eIndexToDirect)
        *layer1->GetUVs() = *layer0->GetUVs();

    // Each control point's normal: the sum of its triangles' normals, the
    // larger triangles weighing more, made unit.
    KQelVector4* normals = pQelMesh->GetNormals();
    const int pointCount = pQelMesh->GetControlPointsCount();
    for (int f = 0; normals && f < pQelMesh->GetPolygonCount(); ++f) {
        const int i0 = pQelMesh->GetPolygonVertex(f, 0), i1 = pQelMesh->GetPolygonVertex(f, 1),
                  i2 = pQelMesh->GetPolygonVertex(f, 2);
        const KQelVector4 n = (points[i2] - points[i1]).CrossProduct(points[i0] - points[i1]);
        for (int c = 0, size = pQelMesh->GetPolygonSize(f); c < size; ++c)
            normals[pQelMesh->GetPolygonVertex(f, c)] += n;
    }
    for (int i = 0; normals && i < pointCount; ++i)
        normals[i].Normalize();
    return true;
}

}  // namespace qelsdk_600
