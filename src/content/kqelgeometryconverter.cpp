// The converter itself: mesh triangulation, in-place replacement, NURBS
// flip, link conversion and the emulation of by-polygon-vertex normals. The
// surface half is kqelgeometryconverter_surface.cpp.
#include "content/kqelgeometryconverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqelweightedmapping.h"
#include "curves/kfcurve.h"
#include "math/ktriangulation.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

typedef KQelWeightedMapping WM;

// The index a polygon-mapped material or texture element gives polygon p:
// 0 when the element is missing or mapped otherwise, -1 past its indices.
template <class E>
int PolygonIndex(const E* pElement, int pPolygon)
{
    if (!pElement || pElement->GetMappingMode() != KQelLayerElement::eByPolygon)
        return 0;
    const KArrayTemplate<int>& indices = pElement->GetIndexArray();
    return pPolygon < indices.GetCount() ? indices[pPolygon] : -1;
}

// The transforms a converted link carries over, as T, R and S vectors.
struct TransformPart {
    KQelVector4& (KQelLink::*mGet)(KQelVector4&) const;
    void (KQelLink::*mSet)(const KQelVector4&);
};
const TransformPart kCarriedTransforms[] = {
    {&KQelLink::GetTransformT, &KQelLink::SetTransformT},
    {&KQelLink::GetTransformR, &KQelLink::SetTransformR},
    {&KQelLink::GetTransformS, &KQelLink::SetTransformS},
    {&KQelLink::GetTransformLinkT, &KQelLink::SetTransformLinkT},
    {&KQelLink::GetTransformLinkR, &KQelLink::SetTransformLinkR},
    {&KQelLink::GetTransformLinkS, &KQelLink::SetTransformLinkS},
    {&KQelLink::GetTransformAssociateModelT, &KQelLink::SetTransformAssociateModelT},
    {&KQelLink::GetTransformAssociateModelR, &KQelLink::SetTransformAssociateModelR},
    {&KQelLink::GetTransformAssociateModelS, &KQelLink::SetTransformAssociateModelS},
};

// The geometry's control points as an array.
KArrayTemplate<KQelVector4> PointsOf(KQelGeometryBase& pGeometry)
{
    KArrayTemplate<KQelVector4> points(256);
    const int count = pGeometry.GetControlPointsCount();
    if (count > 0 && points.SetCount(count))
        std::memcpy(static_cast<void*>(points.GetArray()), pGeometry.GetControlPoints(),
                    sizeof(KQelVector4) * static_cast<size_t>(count));
    return points;
}

// Replaces the geometry's control points by the array's; false when they
// cannot be stored.
bool SetPoints(KQelGeometryBase& pGeometry, const KArrayTemplate<KQelVector4>& pPoints)
{
    const int count = pPoints.GetCount();
    pGeometry.InitControlPoints(count);
    if (pGeometry.GetControlPointsCount() != count)
        return false;
    if (count > 0)
        std::memcpy(static_cast<void*>(pGeometry.GetControlPoints()), pPoints.GetArray(),
                    sizeof(KQelVector4) * static_cast<size_t>(count));
    return true;
}

// The normals element of the first layer that has one; null without.
KQelLayerElementNormal* FirstNormals(KQelLayerContainer& pContainer)
{
    KQelLayer* layer = pContainer.GetLayer(0, KQelLayerElement::eNormal);
    return layer ? layer->GetNormals() : nullptr;
}

}  // namespace

KQelGeometryConverter::KQelGeometryConverter(KQelSdkManager& pManager) : mManager(pManager) {}

KQelGeometryConverter::~KQelGeometryConverter() {}

// ---- Meshes ----

KQelMesh* KQelGeometryConverter::TriangulateMesh(KQelMesh* pMesh)
{
    if (!pMesh)
        return nullptr;
    KQelMesh* mesh = mManager.CreateKQelMesh();
    if (!mesh)
        return nullptr;
    // Everything but the polygons, which are rebuilt below.
    static_cast<KQelGeometry&>(*mesh) = *pMesh;

    const KQelLayer* layer = pMesh->GetLayer(0);
    const KQelLayerElementMaterial* materials = layer ? layer->GetMaterials() : nullptr;
    const KQelLayerElementTexture* textures = layer ? layer->GetTextures() : nullptr;
    // Corner numbers of the triangles of one polygon, reused.
    std::vector<int> corners;
    for (int p = 0; p < pMesh->GetPolygonCount(); ++p) {
        const int size = pMesh->GetPolygonSize(p);
        const int material = PolygonIndex(materials, p);
        const int texture = PolygonIndex(textures, p);
        auto addCorner = [&](int pCorner) {
            mesh->AddPolygon(pMesh->GetPolygonVertex(p, pCorner), pMesh->GetTextureUVIndex(p, pCorner));
        };
        if (size < 4) {
            mesh->BeginPolygon(material, texture, -1);
            for (int k = 0; k < size; ++k)
                addCorner(k);
            mesh->EndPolygon();
            continue;
        }
        corners.resize(3 * static_cast<size_t>(size - 2));
        const int triangles = KTriangulation(corners.data(), size);
        for (int t = 0; t < triangles; ++t) {
            mesh->BeginPolygon(material, texture, -1);
            for (int k = 0; k < 3; ++k)
                addCorner(corners[3 * static_cast<size_t>(t) + k]);
            mesh->EndPolygon();
        }
    }
    return mesh;
}

// ---- In-place replacement ----

void KQelGeometryConverter::ReplaceGeometry(KQelNode* pNode, KQelGeometry* pOld, KQelGeometry* pNew)
{
    struct CurveDeleter {
        void operator()(KFCurve* pCurve) const { delete pCurve; }
    };
    // Shape animation of every take but "Default", by take and old shape.
    const int takes = pNode->GetTakeNodeCount();
    const int shapes = pOld->GetShapeCount();
    std::vector<std::unique_ptr<KFCurve, CurveDeleter>> saved;
    for (int t = 1; t < takes; ++t)
        for (int s = 0; s < shapes; ++s) {
            KFCurve* channel = pOld->GetShapeChannel(pNode->GetTakeNode(t), s);
            saved.emplace_back(channel ? channel->Copy() : nullptr);
        }

    pNode->SetNodeAttribute(pNew);

    // A shape the new geometry did not carry over has no channel to restore;
    // the others are found by name, as their indices may have moved.
    for (int s = 0; s < shapes; ++s) {
        const char* name = pOld->GetShapeName(s);
        int target = -1;
        for (int j = 0; name && j < pNew->GetShapeCount() && target < 0; ++j) {
            const char* candidate = pNew->GetShapeName(j);
            if (candidate && std::strcmp(candidate, name) == 0)
                target = j;
        }
        if (target < 0)
            continue;
        for (int t = 1; t < takes; ++t) {
            KFCurve* copy = saved[static_cast<size_t>(t - 1) * shapes + s].get();
            KFCurve* channel = copy ? pNew->GetShapeChannel(pNode->GetTakeNode(t), target) : nullptr;
            if (channel)
                channel->CopyFrom(*copy, true);
        }
    }
    mManager.DestroyKQelNodeAttribute(pOld);
}

bool KQelGeometryConverter::TriangulateInPlace(KQelNode* pNode)
{
    if (!pNode)
        return false;
    KQelGeometry* old = nullptr;
    KQelGeometry* made = nullptr;
    if (KQelMesh* mesh = pNode->GetMesh()) {
        old = mesh;
        made = TriangulateMesh(mesh);
    } else if (KQelPatch* patch = pNode->GetPatch()) {
        old = patch;
        made = TriangulatePatch(patch);
    } else if (KQelNurb* nurb = pNode->GetNurb()) {
        old = nurb;
        made = TriangulateNurb(nurb);
    }
    if (!made)
        return false;
    ReplaceGeometry(pNode, old, made);
    return true;
}

bool KQelGeometryConverter::ConvertPatchToNurbInPlace(KQelNode* pNode)
{
    KQelPatch* patch = pNode ? pNode->GetPatch() : nullptr;
    KQelNurb* nurb = patch ? ConvertPatchToNurb(patch) : nullptr;
    if (!nurb)
        return false;
    ReplaceGeometry(pNode, patch, nurb);
    return true;
}

// ---- NURBS flip ----

KQelNurb* KQelGeometryConverter::FlipNurb(KQelNurb* pNurb, bool pSwapUV, bool pSwapClusters)
{
    if (!pNurb)
        return nullptr;
    KQelNurb* copy = mManager.CreateKQelNurb();
    if (!copy)
        return nullptr;
    *copy = *pNurb;
    const kLongLong uCount = copy->GetUCount();
    const kLongLong vCount = copy->GetVCount();
    const kLongLong grid = uCount * vCount;

    if (pSwapUV) {
        std::swap(copy->mDirection[0], copy->mDirection[1]);
        // Points past the grid, if any, stay where they are.
        if (grid > 0 && grid <= copy->GetControlPointsCount()) {
            KQelVector4* points = copy->GetControlPoints();
            std::vector<KQelVector4> source(points, points + grid);
            for (kLongLong v = 0; v < vCount; ++v)
                for (kLongLong u = 0; u < uCount; ++u)
                    points[u * vCount + v] = source[static_cast<size_t>(v * uCount + u)];
        }
    }
    if (pSwapClusters && uCount > 0) {
        for (int l = 0; l < copy->GetLinkCount(); ++l) {
            KQelLink* link = copy->GetLink(l);
            int* indices = link->GetControlPointIndices();
            for (int i = 0; i < link->GetControlPointIndicesCount(); ++i) {
                const kLongLong k = indices[i];
                // An index past the grid names no grid point to move to.
                if (k < grid)
                    indices[i] = static_cast<int>((k % uCount) * vCount + k / uCount);
            }
        }
    }
    return copy;
}

// ---- Links ----

void KQelGeometryConverter::ConvertLinks(KQelGeometry* pSource, KQelGeometry* pDestination,
                                         KQelWeightedMapping* pMapping)
{
    // The same geometry would lose its links before they are read.
    if (!pSource || !pDestination || !pMapping || pSource == pDestination)
        return;
    KArrayTemplate<KQelLink*> sourceLinks;
    for (int i = 0; i < pSource->GetLinkCount(); ++i)
        sourceLinks.Add(pSource->GetLink(i));
    for (int i = 0; i < pDestination->GetLinkCount(); ++i)
        mManager.DestroyKQelLink(pDestination->GetLink(i));
    pDestination->ClearLink();

    KArrayTemplate<KQelLink*> made;
    ConvertLinks(sourceLinks, pSource->GetControlPointsCount(), made, pDestination->GetControlPointsCount(),
                 pMapping);
    for (int i = 0; i < made.GetCount(); ++i)
        pDestination->AddLink(made[i]);
}

void KQelGeometryConverter::ConvertLinks(KArrayTemplate<KQelLink*>& pSourceLinks, int pSourceCount,
                                         KArrayTemplate<KQelLink*>& pDestinationLinks, int pDestinationCount,
                                         KQelWeightedMapping* pMapping)
{
    const int linkCount = pSourceLinks.GetCount();
    if (linkCount == 0 || !pMapping || !pSourceLinks[0])
        return;
    // The destination count is that of the mapping's destination set.
    (void)pDestinationCount;
    const KQelLink::ELinkMode mode = pSourceLinks[0]->GetLinkMode();
    pMapping->Normalize(WM::eDestination, true);

    KQelWeightedMapping linkToSource(linkCount, pSourceCount);
    BuildLinkToSourceMapping(pSourceLinks, &linkToSource);
    if (mode == KQelLink::eNormalize)
        linkToSource.Normalize(WM::eDestination, true);

    for (int l = 0; l < linkCount; ++l) {
        KQelLink* source = pSourceLinks[l];
        KQelLink* link = source ? mManager.CreateKQelLink() : nullptr;
        if (!link)
            continue;
        link->SetLink(source->GetLink());
        link->SetAssociateModel(source->GetAssociateModel());
        link->SetUserData(source->GetUserDataID(), source->GetUserData());
        const KQelLink::ELinkMode own = source->GetLinkMode();
        link->SetLinkMode(own == KQelLink::eNormalize ? KQelLink::eTotal1 : own);
        KQelVector4 value;
        for (const TransformPart& part : kCarriedTransforms)
            (link->*part.mSet)((source->*part.mGet)(value));
        ConvertLink(l, &linkToSource, pMapping, link);
        pDestinationLinks.Add(link);
    }
}

void KQelGeometryConverter::BuildLinkToSourceMapping(KArrayTemplate<KQelLink*>& pLinks, KQelWeightedMapping* pMapping)
{
    if (!pMapping)
        return;
    for (int l = 0; l < pLinks.GetCount(); ++l) {
        KQelLink* link = pLinks[l];
        const int count = link ? link->GetControlPointIndicesCount() : 0;
        const int* indices = count ? link->GetControlPointIndices() : nullptr;
        const double* weights = count ? link->GetControlPointWeights() : nullptr;
        // Indices come from files: Add skips those outside the points.
        for (int i = 0; i < count; ++i)
            pMapping->Add(l, indices[i], weights[i]);
    }
}

void KQelGeometryConverter::ConvertLink(int pLinkIndex, KQelWeightedMapping* pLinkToSource,
                                        KQelWeightedMapping* pSourceToDestination, KQelLink* pLink)
{
    if (!pLinkToSource || !pSourceToDestination || !pLink)
        return;
    const int destinations = pSourceToDestination->GetElementCount(WM::eDestination);
    if (mAccumulator.size() < static_cast<size_t>(destinations))
        mAccumulator.resize(static_cast<size_t>(destinations), 0.0);
    // Only the destinations the link reaches are touched, so a link costs
    // its paths, not the destination count. Each accumulator grows in the
    // order of the paths, as a dense scan would have it.
    mReached.clear();
    const int relations = pLinkToSource->GetRelationCount(WM::eSource, pLinkIndex);
    for (int i = 0; i < relations; ++i) {
        const WM::KElement& toSource = pLinkToSource->GetRelation(WM::eSource, pLinkIndex, i);
        const int paths = pSourceToDestination->GetRelationCount(WM::eSource, toSource.mIndex);
        for (int j = 0; j < paths; ++j) {
            const WM::KElement& toDestination = pSourceToDestination->GetRelation(WM::eSource, toSource.mIndex, j);
            const int d = toDestination.mIndex;
            if (d < 0 || d >= destinations)
                continue;
            double& sum = mAccumulator[static_cast<size_t>(d)];
            // A destination whose sum is still 0.0 may be new; repeats are
            // dropped when emitting.
            if (sum == 0.0)
                mReached.push_back(d);
            sum += std::fabs(toSource.mWeight * toDestination.mWeight);
        }
    }

    // Ascending destinations: sort what was reached, or scan every
    // destination when that is cheaper. Emitted sums go back to 0.0.
    auto emit = [&](int pDestination) {
        double& sum = mAccumulator[static_cast<size_t>(pDestination)];
        if (sum != 0.0)
            pLink->AddControlPointIndex(pDestination, sum);
        sum = 0.0;
    };
    const size_t reached = mReached.size();
    if (reached * 16 >= static_cast<size_t>(destinations)) {
        for (int d = 0; d < destinations; ++d)
            emit(d);
    } else {
        std::sort(mReached.begin(), mReached.end());
        for (int d : mReached)
            emit(d);
    }
    mReached.clear();
}

// ---- Normals by polygon vertex ----

bool KQelGeometryConverter::EmulateNormalsByPolygonVertex(KQelMesh* pMesh)
{
    if (!pMesh)
        return false;
    const int pointCount = pMesh->GetControlPointsCount();
    const int cornerCount = pMesh->GetPolygonVertexCount();
    KQelLayerElementNormal* normals = FirstNormals(*pMesh);
    if (!normals || normals->GetDirectArray().GetCount() != cornerCount)
        return false;
    for (int s = 0; s < pMesh->GetShapeCount(); ++s) {
        KQelShape* shape = pMesh->GetShape(s);
        KQelLayerElementNormal* shapeNormals = FirstNormals(*shape);
        if (shape->GetControlPointsCount() != pointCount || !shapeNormals ||
            shapeNormals->GetDirectArray().GetCount() != cornerCount)
            return false;
    }
    int* corners = pMesh->GetPolygonVertices();
    KArrayTemplate<int> cornerPoints(1024);
    for (int k = 0; k < cornerCount; ++k) {
        if (corners[k] < 0 || corners[k] >= pointCount)
            return false;
        cornerPoints.Add(corners[k]);
    }

    // Every check passed: rebuild points, shapes and links.
    normals->SetMappingMode(KQelLayerElement::eByControlPoint);
    KArrayTemplate<KQelVector4> points = PointsOf(*pMesh);
    DuplicateControlPoints(points, cornerPoints);
    SetPoints(*pMesh, points);
    for (int s = 0; s < pMesh->GetShapeCount(); ++s) {
        KQelShape* shape = pMesh->GetShape(s);
        FirstNormals(*shape)->SetMappingMode(KQelLayerElement::eByControlPoint);
        KArrayTemplate<KQelVector4> shapePoints = PointsOf(*shape);
        DuplicateControlPoints(shapePoints, cornerPoints);
        SetPoints(*shape, shapePoints);
    }

    KArrayTemplate<KQelLink*> oldLinks;
    for (int i = 0; i < pMesh->GetLinkCount(); ++i)
        oldLinks.Add(pMesh->GetLink(i));
    pMesh->ClearLink();
    KQelWeightedMapping mapping(pointCount, cornerCount);
    for (int k = 0; k < cornerCount; ++k)
        mapping.Add(cornerPoints[k], k, 1.0);
    KArrayTemplate<KQelLink*> newLinks;
    ConvertLinks(oldLinks, pointCount, newLinks, cornerCount, &mapping);
    for (int i = 0; i < newLinks.GetCount(); ++i)
        pMesh->AddLink(newLinks[i]);

    for (int k = 0; k < cornerCount; ++k)
        corners[k] = k;
    return true;
}

void KQelGeometryConverter::DuplicateControlPoints(KArrayTemplate<KQelVector4>& pPoints, KArrayTemplate<int>& pIndices)
{
    const int count = pPoints.GetCount();
    for (int i = 0; i < pIndices.GetCount(); ++i) {
        if (pIndices[i] < 0 || pIndices[i] >= count)
            return;
    }
    KArrayTemplate<KQelVector4> copy = pPoints;
    pPoints.Empty();
    for (int i = 0; i < pIndices.GetCount(); ++i)
        pPoints.Add(copy[pIndices[i]]);
}

}  // namespace qelsdk_600
