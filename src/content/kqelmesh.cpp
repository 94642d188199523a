#include "content/kqelmesh.h"

#include <algorithm>
#include <climits>
#include <new>

namespace qelsdk_600 {

namespace {

bool RefersThroughIndices(const KQelLayerElement* pElement)
{
    return pElement->GetReferenceMode() == KQelLayerElement::eIndex ||
           pElement->GetReferenceMode() == KQelLayerElement::eIndexToDirect;
}

// Resizes an index array to pCount entries and stores pValue in the last.
void StoreLast(KArrayTemplate<int>& pIndices, int pCount, int pValue)
{
    if (pCount > 0 && pIndices.SetCount(pCount))
        pIndices[pCount - 1] = pValue;
}

}  // namespace

KQelMesh::KQelMesh(KQelSdkManager& pManager) : KQelGeometry(pManager)
{
    Reset();
}


KQelMesh::~KQelMesh() {}

KString KQelMesh::GetTypeName()
{
    return KString("Mesh");
}

void KQelMesh::Reset()
{
    if (PolygonData* data = mPolygonData.Get()) {
        data->mPolygons.Clear();
        data->mPolygonVertices.Clear();
    }
    if (GetControlPointsCount() > 0)
        ControlPoints().Clear();
    ClearLayers();
    mUCount = mVCount = mUExtendedCount = mVExtendedCount = mUStep = mVStep = 0;
    mUClosed = mVClosed = mUTopCap = mVTopCap = false;
}

KQelMesh& KQelMesh::operator=(KQelMesh& pOther)
{
    if (this == &pOther)
        return *this;
    KQelGeometry::operator=(pOther);
    if (mPolygonData.Get() || pOther.mPolygonData.Get()) {
        P().mPolygons = pOther.RP().mPolygons;
        P().mPolygonVertices = pOther.RP().mPolygonVertices;
    }
    return *this;
}

// ---- Layer-0 elements ----

template <class E>
E* KQelMesh::Layer0Element(E* (KQelLayer::*pGet)() const) const
{
    KQelLayer* layer = GetLayer(0);
    return layer ? (layer->*pGet)() : nullptr;
}

template <class E>
E* KQelMesh::Layer0ElementOrCreate(E* (KQelLayer::*pGet)() const, void (KQelLayer::*pSet)(E*))
{
    KQelLayer* layer = GetOrCreateLayer0();
    if (!layer)
        return nullptr;
    E* element = (layer->*pGet)();
    if (!element) {
        element = new (std::nothrow) E;
        if (element)
            (layer->*pSet)(element);
    }
    return element;
}

// ---- Building ----

void KQelMesh::BeginPolygon(int pMaterial, int pTexture, int pGroup)
{
    const KPolygon polygon = {RP().mPolygonVertices.GetCount(), 0, pGroup};
    if (P().mPolygons.Add(polygon) < 0)
        return;
    KQelLayer* layer = GetOrCreateLayer0();
    if (!layer)
        return;
    const int count = RP().mPolygons.GetCount();
    const bool first = count == 1;

    KQelLayerElementMaterial* materials = layer->GetMaterials();
    if (!materials && first && pMaterial != -1)
        materials = Layer0ElementOrCreate(&KQelLayer::GetMaterials, &KQelLayer::SetMaterials);
    if (materials && materials->GetMappingMode() == KQelLayerElement::eByPolygon && RefersThroughIndices(materials))
        StoreLast(materials->GetIndexArray(), count, pMaterial);

    KQelLayerElementTexture* textures = layer->GetTextures();
    if (!textures && first && pTexture != -1)
        textures = Layer0ElementOrCreate(&KQelLayer::GetTextures, &KQelLayer::SetTextures);
    if (textures && textures->GetMappingMode() == KQelLayerElement::eByPolygon && RefersThroughIndices(textures))
        StoreLast(textures->GetIndexArray(), count, pTexture);
}

void KQelMesh::AddPolygon(int pIndex, int pTextureUVIndex)
{
    const int count = RP().mPolygons.GetCount();
    if (count == 0 || P().mPolygonVertices.Add(pIndex) < 0)
        return;
    if (pTextureUVIndex != -1) {
        KQelLayerElementUV* uvs = Layer0ElementOrCreate(&KQelLayer::GetUVs, &KQelLayer::SetUVs);
        if (uvs && uvs->GetMappingMode() == KQelLayerElement::eByPolygonVertex &&
            uvs->GetReferenceMode() == KQelLayerElement::eIndexToDirect)
            StoreLast(uvs->GetIndexArray(), RP().mPolygonVertices.GetCount(), pTextureUVIndex);
    }
    ++P().mPolygons[count - 1].mSize;
}

bool KQelMesh::AddPolygons(const int* pSizes, int pCount, const int* pCorners, int pGroup)
{
    if (pCount <= 0 || !pSizes)
        return pCount == 0;
    long long corners = 0;
    for (int i = 0; i < pCount; ++i) {
        if (pSizes[i] < 0)
            return false;
        corners += pSizes[i];
    }
    PolygonData& data = P();
    const int firstPolygon = data.mPolygons.GetCount();
    const int firstCorner = data.mPolygonVertices.GetCount();
    if (pCount > INT_MAX - firstPolygon || corners > INT_MAX - firstCorner || (corners > 0 && !pCorners) ||
        !data.mPolygons.Reserve(firstPolygon + pCount) ||
        data.mPolygonVertices.AddMultiple(pCorners, static_cast<int>(corners)) < 0)
        return false;
    KPolygon block[256];
    for (int first = 0, corner = firstCorner; first < pCount; first += 256) {
        const int n = std::min(256, pCount - first);
        for (int i = 0; i < n; ++i) {
            block[i] = {corner, pSizes[first + i], pGroup};
            corner += pSizes[first + i];
        }
        data.mPolygons.AddMultiple(block, n);
    }
    // What BeginPolygon stores for each polygon: -1 in the index arrays
    // of the elements that map by polygon through indices.
    auto storeNone = [&](KQelLayerElement* pElement, KArrayTemplate<int>& pIndices) {
        if (pElement->GetMappingMode() != KQelLayerElement::eByPolygon || !RefersThroughIndices(pElement) ||
            !pIndices.SetCount(firstPolygon) || !pIndices.Reserve(firstPolygon + pCount))
            return;
        for (int i = 0; i < pCount; ++i)
            pIndices.Add(-1);
    };
    KQelLayer* layer = GetOrCreateLayer0();
    if (KQelLayerElementMaterial* materials = layer ? layer->GetMaterials() : nullptr)
        storeNone(materials, materials->GetIndexArray());
    if (KQelLayerElementTexture* textures = layer ? layer->GetTextures() : nullptr)
        storeNone(textures, textures->GetIndexArray());
    return true;
}

int* KQelMesh::ReservePolygonVertices(int pCount)
{
    KArrayTemplate<int>& corners = P().mPolygonVertices;
    const int first = corners.GetCount();
    if (pCount <= 0 || pCount > INT_MAX - first || !corners.Reserve(first + pCount))
        return nullptr;
    return corners.GetArray() + first;
}

void KQelMesh::TrimPolygonVertices()
{
    if (PolygonData* data = mPolygonData.Get())
        data->mPolygonVertices.Resize(data->mPolygonVertices.GetCount());
}

// ---- Access ----

int KQelMesh::GetPolygonGroup(int pPolygon) const
{
    return pPolygon >= 0 && pPolygon < RP().mPolygons.GetCount() ? RP().mPolygons[pPolygon].mGroup : -1;
}

void KQelMesh::SetPolygonGroup(int pPolygon, int pGroup)
{
    if (pPolygon >= 0 && pPolygon < RP().mPolygons.GetCount())
        P().mPolygons[pPolygon].mGroup = pGroup;
}

int KQelMesh::CornerIndex(int pPolygon, int pVertex) const
{
    if (pPolygon < 0 || pPolygon >= RP().mPolygons.GetCount())
        return -1;
    const KPolygon& polygon = RP().mPolygons[pPolygon];
    if (pVertex < 0 || pVertex >= polygon.mSize)
        return -1;
    return polygon.mIndex + pVertex;
}

int KQelMesh::GetPolygonVertex(int pPolygon, int pVertex) const
{
    const int corner = CornerIndex(pPolygon, pVertex);
    return corner >= 0 ? RP().mPolygonVertices[corner] : -1;
}

void KQelMesh::GetPolygonVertexNormal(int pPolygon, int pVertex, KQelVector4& pNormal) const
{
    const int corner = CornerIndex(pPolygon, pVertex);
    const KQelLayerElementNormal* normals = GetLayer0Normals();
    // By-control-point normals are shorter than the corners.
    if (corner >= 0 && normals && corner < normals->GetDirectArray().GetCount())
        pNormal = normals->GetDirectArray()[corner];
}

// ---- Layer 0 ----

void KQelMesh::InitMaterialIndices(KQelLayerElement::EMappingMode pMode)
{
    KQelLayerElementMaterial* materials = Layer0ElementOrCreate(&KQelLayer::GetMaterials, &KQelLayer::SetMaterials);
    if (!materials)
        return;
    materials->SetReferenceMode(KQelLayerElement::eIndexToDirect);
    KArrayTemplate<int>& indices = materials->GetIndexArray();
    indices.Empty();
    if (pMode == KQelLayerElement::eByPolygon) {
        materials->SetMappingMode(KQelLayerElement::eByPolygon);
    } else if (pMode == KQelLayerElement::eByControlPoint) {
        if (GetControlPointsCount() > 0) {
            materials->SetMappingMode(KQelLayerElement::eByControlPoint);
            indices.SetCount(GetControlPointsCount());
        }
    } else {
        materials->SetMappingMode(KQelLayerElement::eAllSame);
        indices.Add(0);
    }
}

void KQelMesh::InitTextureIndices(KQelLayerElement::EMappingMode pMode)
{
    KQelLayerElementTexture* textures = Layer0ElementOrCreate(&KQelLayer::GetTextures, &KQelLayer::SetTextures);
    if (!textures)
        return;
    textures->SetReferenceMode(KQelLayerElement::eIndexToDirect);
    textures->GetIndexArray().Empty();
    if (pMode == KQelLayerElement::eByPolygon) {
        textures->SetMappingMode(KQelLayerElement::eByPolygon);
    } else {
        textures->SetMappingMode(KQelLayerElement::eAllSame);
        textures->GetIndexArray().Add(0);
    }
}

void KQelMesh::InitTextureUVIndices(KQelLayerElement::EMappingMode pMode)
{
    KQelLayerElementUV* uvs = Layer0ElementOrCreate(&KQelLayer::GetUVs, &KQelLayer::SetUVs);
    if (!uvs)
        return;
    uvs->GetDirectArray().Empty();
    uvs->GetIndexArray().Empty();
    KQelLayerElement::EMappingMode mapping = KQelLayerElement::eNoMappingInformation;
    KQelLayerElement::EReferenceMode reference = KQelLayerElement::eDirect;
    switch (pMode) {
    case KQelLayerElement::eByPolygonVertex:
        mapping = KQelLayerElement::eByPolygonVertex;
        reference = KQelLayerElement::eIndexToDirect;
        break;
    case KQelLayerElement::eByControlPoint:
    case KQelLayerElement::eAllSame:
        mapping = pMode;
        break;
    default:
        break;
    }
    uvs->SetMappingMode(mapping);
    uvs->SetReferenceMode(reference);
}

void KQelMesh::InitTextureUV(int pCount)
{
    KQelLayerElementUV* uvs = Layer0ElementOrCreate(&KQelLayer::GetUVs, &KQelLayer::SetUVs);
    if (!uvs)
        return;
    uvs->GetDirectArray().Empty();
    if (pCount > 0)
        uvs->GetDirectArray().SetCount(pCount);
}

void KQelMesh::AddTextureUV(const KQelVector2& pUV)
{
    if (KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs))
        uvs->GetDirectArray().Add(pUV);
}

KQelVector2* KQelMesh::GetTextureUV()
{
    KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs);
    return uvs ? uvs->GetDirectArray().GetArray() : nullptr;
}

int KQelMesh::GetTextureUVCount() const
{
    const KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs);
    return uvs ? uvs->GetDirectArray().GetCount() : 0;
}

namespace {

bool UVsByCornerIndex(const KQelLayerElementUV* pUVs)
{
    return pUVs && pUVs->GetMappingMode() == KQelLayerElement::eByPolygonVertex &&
           pUVs->GetReferenceMode() == KQelLayerElement::eIndexToDirect;
}

}  // namespace

int KQelMesh::GetTextureUVIndex(int pPolygon, int pVertex) const
{
    const KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs);
    const int corner = CornerIndex(pPolygon, pVertex);
    if (!UVsByCornerIndex(uvs) || corner < 0 || corner >= uvs->GetIndexArray().GetCount())
        return -1;
    return uvs->GetIndexArray()[corner];
}

void KQelMesh::SetTextureUVIndex(int pPolygon, int pVertex, int pUVIndex)
{
    KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs);
    const int corner = CornerIndex(pPolygon, pVertex);
    if (!UVsByCornerIndex(uvs) || corner < 0)
        return;
    KArrayTemplate<int>& indices = uvs->GetIndexArray();
    if (indices.GetCount() < RP().mPolygonVertices.GetCount() && !indices.SetCount(RP().mPolygonVertices.GetCount()))
        return;
    if (corner < indices.GetCount())
        indices[corner] = pUVIndex;
}

int* KQelMesh::GetMaterialIndices()
{
    KQelLayerElementMaterial* materials = Layer0Element(&KQelLayer::GetMaterials);
    return materials && RefersThroughIndices(materials) ? materials->GetIndexArray().GetArray() : nullptr;
}

int* KQelMesh::GetTextureIndices()
{
    KQelLayerElementTexture* textures = Layer0Element(&KQelLayer::GetTextures);
    return textures && RefersThroughIndices(textures) ? textures->GetIndexArray().GetArray() : nullptr;
}

KQelLayerElement::EMappingMode KQelMesh::GetMaterialMappingMode() const
{
    const KQelLayerElementMaterial* materials = Layer0Element(&KQelLayer::GetMaterials);
    return materials ? materials->GetMappingMode() : KQelLayerElement::eNoMappingInformation;
}

KQelLayerElement::EMappingMode KQelMesh::GetTextureMappingMode() const
{
    const KQelLayerElementTexture* textures = Layer0Element(&KQelLayer::GetTextures);
    const KQelLayerElement::EMappingMode mode =
        textures ? textures->GetMappingMode() : KQelLayerElement::eNoMappingInformation;
    return mode == KQelLayerElement::eByPolygon || mode == KQelLayerElement::eAllSame
               ? mode
               : KQelLayerElement::eNoMappingInformation;
}

KQelLayerElement::EMappingMode KQelMesh::GetTextureUVMappingMode() const
{
    const KQelLayerElementUV* uvs = Layer0Element(&KQelLayer::GetUVs);
    const KQelLayerElement::EMappingMode mode = uvs ? uvs->GetMappingMode() : KQelLayerElement::eNoMappingInformation;
    return mode == KQelLayerElement::eByControlPoint || mode == KQelLayerElement::eByPolygonVertex
               ? mode
               : KQelLayerElement::eNoMappingInformation;
}

KQelLayerElement::EMappingMode KQelMesh::GetNormalsMappingMode() const
{
    const KQelLayerElementNormal* normals = GetLayer0Normals();
    const KQelLayerElement::EMappingMode mode = normals ? normals->GetMappingMode() : KQelLayerElement::eByControlPoint;
    return mode == KQelLayerElement::eByPolygonVertex ? mode : KQelLayerElement::eByControlPoint;
}

void KQelMesh::SetNormalsMappingMode(KQelLayerElement::EMappingMode pMode)
{
    KQelLayerElementNormal* normals = GetLayer0Normals();
    if (normals &&
        (pMode == KQelLayerElement::eByControlPoint || pMode == KQelLayerElement::eByPolygonVertex))
        normals->SetMappingMode(pMode);
}

}  // namespace qelsdk_600
