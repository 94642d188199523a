// The surface half of the converter: triangulation of patches and NURBS
// surfaces through the surface evaluators, and patches to NURBS surfaces.
#include <algorithm>
#include <climits>
#include <memory>
#include <new>

#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelnurbsurfaceevaluator.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqelsurface_impl.h"
#include "content/kqelsurfaceevaluator.h"
#include "content/kqelweightedmapping.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// The evaluators read and write points as runs of 4 doubles.
double* Doubles(KQelVector4* pPoints)
{
    return reinterpret_cast<double*>(pPoints);
}

// Output points of the evaluator's grid; 0 when it has none or more than
// an int counts.
int GridPoints(KQELSurfaceEvaluator& pEvaluator)
{
    const kLongLong size =
        static_cast<kLongLong>(pEvaluator.GetCurvePointCountX()) * pEvaluator.GetCurvePointCountY();
    return size > INT_MAX ? 0 : static_cast<int>(size);
}

// Gives the geometry pCount points and layer-0 normals by control point,
// every w 1.0, and points the evaluator at them; false when the arrays
// cannot be made.
bool PrepareDestination(KQelGeometryBase& pGeometry, KQELSurfaceEvaluator& pEvaluator, int pCount)
{
    pGeometry.InitControlPoints(pCount);
    pGeometry.InitNormals(0);
    KQelLayer* layer = pGeometry.GetLayer(0);
    KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr;
    if (pCount <= 0 || pGeometry.GetControlPointsCount() != pCount || !normals ||
        normals->GetDirectArray().GetCount() != pCount)
        return false;
    KQelVector4* points = pGeometry.GetControlPoints();
    KQelVector4* normal = normals->GetDirectArray().GetArray();
    for (int i = 0; i < pCount; ++i) {
        points[i][3] = 1.0;
        normal[i][3] = 1.0;
    }
    pEvaluator.SetDestinationArray(Doubles(points));
    pEvaluator.SetDestinationNormalArray(Doubles(normal));
    return true;
}

// A grid the evaluator may read: both counts at least 1 and no more than the
// control points hold.
bool GridFits(int pUCount, int pVCount, int pPointCount)
{
    const kLongLong size = KQelGridSize(pUCount, pVCount);
    return pUCount > 0 && pVCount > 0 && size > 0 && size <= pPointCount;
}

bool IsPatchType(int pType)
{
    return pType >= KQelPatchTypes::eBezier && pType <= KQelPatchTypes::eLinear;
}

// Evaluation mode of a NURBS form: only periodic and closed wrap.
int NurbMode(KQelNurb::ENurbType pType)
{
    return pType == KQelNurb::kPeriodic || pType == KQelNurb::kClosed ? 1 : 0;
}

// Fills a knot vector of pCount knots for a patch direction of that type.
void FillPatchKnots(double* pKnots, int pCount, KQelPatchTypes::EPatchType pType)
{
    if (!pKnots || pCount <= 0)
        return;
    for (int i = 0; i < pCount; ++i) {
        switch (pType) {
        case KQelPatchTypes::eBSpline:
            pKnots[i] = i;
            break;
        case KQelPatchTypes::eBezier:
            // 0, then (i - 1) div 3, the last knot repeating the one before.
            pKnots[i] = i == 0 ? 0 : (std::min(i, std::max(pCount - 2, 1)) - 1) / 3;
            break;
        default:
            // Linear: i - 1 held within [0, count - 3].
            pKnots[i] = std::min(std::max(i - 1, 0), std::max(pCount - 3, 0));
            break;
        }
    }
}

}  // namespace

// ---- Triangulation ----

KQelMesh* KQelGeometryConverter::CreateMeshFromParametricSurface(KQelGeometry* pGeometry)
{
    if (!pGeometry)
        return nullptr;
    KQelMesh* mesh = mManager.CreateKQelMesh();
    if (!mesh)
        return nullptr;
    mesh->CopyLayers(pGeometry);
    mesh->CopyPivot(pGeometry);
    return mesh;
}

void KQelGeometryConverter::InitializeWeightInControlPoints(KQelGeometryBase* pGeometry)
{
    if (!pGeometry)
        return;
    KQelVector4* points = pGeometry->GetControlPoints();
    for (int i = 0; i < pGeometry->GetControlPointsCount(); ++i)
        points[i][3] = 1.0;
}

void KQelGeometryConverter::InitializeWeightInNormals(KQelLayerContainer* pContainer)
{
    KQelLayer* layer = pContainer ? pContainer->GetLayer(0, KQelLayerElement::eNormal) : nullptr;
    if (!layer)
        return;
    KArrayTemplate<KQelVector4>& normals = layer->GetNormals()->GetDirectArray();
    for (int i = 0; i < normals.GetCount(); ++i)
        normals[i][3] = 1.0;
}

KQelMesh* KQelGeometryConverter::TriangulatePatch(KQelPatch* pPatch)
{
    if (!pPatch)
        return nullptr;
    // An unknown type has no basis: the evaluator would blend with zeros.
    KQELSurfaceEvaluator* evaluator = nullptr;
    if (IsPatchType(pPatch->GetUType()) && IsPatchType(pPatch->GetVType()))
        evaluator = QELCreateGeneralUniformSurface(pPatch->GetUType(), pPatch->GetVType());
    if (evaluator) {
        evaluator->SetEvaluationModeU(pPatch->GetUClosed() ? 1 : 0);
        evaluator->SetEvaluationModeV(pPatch->GetVClosed() ? 1 : 0);
        // A negative step becomes a huge one, which gives no points.
        evaluator->SetEvaluationStepU(static_cast<unsigned int>(pPatch->GetUStep()));
        evaluator->SetEvaluationStepV(static_cast<unsigned int>(pPatch->GetVStep()));
    }
    return TriangulateSurface(pPatch, evaluator, pPatch->GetUCount(), pPatch->GetVCount());
}

KQelMesh* KQelGeometryConverter::TriangulateNurb(KQelNurb* pNurb)
{
    if (!pNurb)
        return nullptr;
    // One weight per control point, and the evaluator's scratch; both must
    // outlive the evaluator.
    const int points = pNurb->GetControlPointsCount();
    std::unique_ptr<double[]> weights(new (std::nothrow) double[static_cast<size_t>(points) + 1]);
    std::unique_ptr<double[]> scratch(new (std::nothrow) double[3 * static_cast<size_t>(points) + 1]);
    KQELNURBSurfaceEvaluator* evaluator =
        weights && scratch ? KQELNURBSurfaceEvaluatorCreate(pNurb->GetUOrder(), pNurb->GetVOrder()) : nullptr;
    if (evaluator) {
        evaluator->SetEvaluationModeU(NurbMode(pNurb->GetUType()));
        evaluator->SetEvaluationModeV(NurbMode(pNurb->GetVType()));
        evaluator->SetEvaluationStepU(static_cast<unsigned int>(pNurb->GetUStep()));
        evaluator->SetEvaluationStepV(static_cast<unsigned int>(pNurb->GetVStep()));
        const KQelVector4* point = pNurb->GetControlPoints();
        for (int i = 0; i < points; ++i)
            weights[i] = point[i][3];
        std::fill(scratch.get(), scratch.get() + 3 * static_cast<size_t>(points), 0.0);
        evaluator->SetAuxSourceArray(1, pNurb->GetUKnotVector());
        evaluator->SetAuxSourceArray(2, pNurb->GetVKnotVector());
        evaluator->SetAuxSourceArray(0, weights.get());
        evaluator->SetAuxSourceArray(5, scratch.get());
    }
    return TriangulateSurface(pNurb, evaluator, pNurb->GetUCount(), pNurb->GetVCount());
}

KQelMesh* KQelGeometryConverter::TriangulateSurface(KQelGeometry* pSurface, KQELSurfaceEvaluator* pEvaluator,
                                                    int pUCount, int pVCount)
{
    struct EvaluatorDestroyer {
        void operator()(KQELSurfaceEvaluator* pEvaluator) const { pEvaluator->Destroy(0); }
    };
    std::unique_ptr<KQELSurfaceEvaluator, EvaluatorDestroyer> evaluator(pEvaluator);
    KQelMesh* mesh = CreateMeshFromParametricSurface(pSurface);
    const int sourceCount = pSurface->GetControlPointsCount();
    // Counts that no point array backs would send the evaluator past it.
    if (!mesh || !evaluator || !GridFits(pUCount, pVCount, sourceCount))
        return mesh;
    evaluator->SetSourceArray(Doubles(pSurface->GetControlPoints()), static_cast<unsigned int>(pUCount),
                              static_cast<unsigned int>(pVCount));
    const int gridPoints = GridPoints(*evaluator);
    if (gridPoints == 0)
        return mesh;
    if (!PrepareDestination(*mesh, *evaluator, gridPoints)) {
        // Out of memory: back to the layers alone.
        mesh->InitControlPoints(0);
        mesh->CopyLayers(pSurface);
        return mesh;
    }
    const unsigned int countX = evaluator->GetCurvePointCountX();
    const unsigned int countY = evaluator->GetCurvePointCountY();
    KQelWeightedMapping mapping(sourceCount, gridPoints);
    evaluator->EvaluateSurface(&mapping);
    ConvertShapes(pSurface, mesh, evaluator.get(), pUCount, pVCount);
    ConvertLinks(pSurface, mesh, &mapping);
    TriangulateContinuousSurface(mesh, evaluator.get(), countX, countY, false);
    return mesh;
}

void KQelGeometryConverter::ConvertShapes(KQelGeometry* pSource, KQelGeometry* pDestination,
                                          KQELSurfaceEvaluator* pEvaluator, int pUCount, int pVCount)
{
    if (!pSource || !pDestination || !pEvaluator)
        return;
    for (int s = 0; s < pSource->GetShapeCount(); ++s) {
        KQelShape* source = pSource->GetShape(s);
        // A shape of fewer points than the grid would be read past its end.
        if (!GridFits(pUCount, pVCount, source->GetControlPointsCount()))
            continue;
        pEvaluator->SetSourceArray(Doubles(source->GetControlPoints()), static_cast<unsigned int>(pUCount),
                                   static_cast<unsigned int>(pVCount));
        KQelShape* shape = mManager.CreateKQelShape();
        if (!shape)
            continue;
        *shape = *source;
        if (!PrepareDestination(*shape, *pEvaluator, GridPoints(*pEvaluator))) {
            mManager.DestroyKQelShape(shape);
            continue;
        }
        pEvaluator->EvaluateSurface(nullptr);
        if (pDestination->AddShape(shape, pSource->GetShapeName(s)) < 0)
            mManager.DestroyKQelShape(shape);
    }
}

void KQelGeometryConverter::TriangulateContinuousSurface(KQelMesh* pMesh, KQELSurfaceEvaluator* pEvaluator,
                                                         unsigned int pCountX, unsigned int pCountY, bool pFlip)
{
    if (!pMesh || !pEvaluator || pCountX == 0 || pCountY == 0)
        return;
    const bool closedU = pEvaluator->GetEvaluationModeU() == 1;
    const bool closedV = pEvaluator->GetEvaluationModeV() == 1;
    // An open direction needs two points for one cell; "count - 2" must not
    // wrap. Corners past the mesh's points would name nothing.
    if ((!closedU && pCountX < 2) || (!closedV && pCountY < 2) ||
        static_cast<kULongLong>(pCountX) * pCountY > static_cast<kULongLong>(pMesh->GetControlPointsCount()))
        return;

    KQelLayer* layer = pMesh->GetLayer(0, KQelLayerElement::eUV);
    if (!layer) {
        layer = pMesh->GetLayer(0);
        if (!layer && pMesh->CreateLayer() == 0)
            layer = pMesh->GetLayer(0);
        if (!layer)
            return;
        KQelLayerElementUV* created = new (std::nothrow) KQelLayerElementUV;
        if (!created)
            return;
        layer->SetUVs(created);
    }
    KQelLayerElementUV* uvs = layer->GetUVs();
    uvs->SetMappingMode(KQelLayerElement::eByPolygonVertex);
    uvs->SetReferenceMode(KQelLayerElement::eIndexToDirect);
    KArrayTemplate<KQelVector2>& uvArray = uvs->GetDirectArray();
    KArrayTemplate<int>& uvIndices = uvs->GetIndexArray();
    // One index per corner: the mesh's own corners keep theirs.
    uvIndices.SetCount(pMesh->GetPolygonVertexCount());

    const kLongLong countX = pCountX;
    const kLongLong countY = pCountY;
    const double du = closedU ? countX : countX - 1;
    const double dv = closedV ? countY : countY - 1;
    // A cell: its corners a, b (lower row), c, d (above them), and the UVs
    // of a, b, c, d. They are appended in the order given by pAppend, which
    // lists corners (0 a, 1 b, 2 c, 3 d).
    auto addCell = [&](const kLongLong (&pCorner)[4], const KQelVector2 (&pUV)[4], const int (&pAppend)[4]) {
        int uvIndex[4];
        for (int i = 0; i < 4; ++i)
            uvIndex[pAppend[i]] = uvArray.Add(pUV[pAppend[i]]);
        static const int kTriangles[2][6] = {{0, 2, 1, 1, 2, 3}, {0, 1, 2, 1, 3, 2}};
        const int* order = kTriangles[pFlip ? 1 : 0];
        for (int t = 0; t < 2; ++t) {
            pMesh->BeginPolygon(-1, -1, -1);
            for (int k = 0; k < 3; ++k) {
                const int corner = order[3 * t + k];
                pMesh->AddPolygon(static_cast<int>(pCorner[corner]), -1);
                uvIndices.Add(uvIndex[corner]);
            }
            pMesh->EndPolygon();
        }
    };
    static const int kInOrder[4] = {0, 1, 2, 3};
    // The wrapping cell of a closed U lists a, d, c, b.
    static const int kWrapOrder[4] = {0, 3, 2, 1};

    kLongLong p = 0;
    for (kLongLong v = 0; v + 1 < countY; ++v) {
        for (kLongLong u = 0; u + 1 < countX; ++u, ++p) {
            const kLongLong corner[4] = {p, p + 1, p + countX, p + countX + 1};
            const KQelVector2 uv[4] = {KQelVector2(u / du, v / dv), KQelVector2((u + 1) / du, v / dv),
                                       KQelVector2(u / du, (v + 1) / dv), KQelVector2((u + 1) / du, (v + 1) / dv)};
            addCell(corner, uv, kInOrder);
        }
        if (closedU) {
            const kLongLong u = countX - 1;
            const kLongLong corner[4] = {p, p - countX + 1, p + countX, p + 1};
            const double x = static_cast<double>(countX);
            const KQelVector2 uv[4] = {KQelVector2(u / x, v / dv), KQelVector2((u + 1) / x, v / dv),
                                       KQelVector2(u / x, (v + 1) / dv), KQelVector2((u + 1) / x, (v + 1) / dv)};
            addCell(corner, uv, kWrapOrder);
        }
        ++p;
    }
    if (closedV) {
        const kLongLong v = countY - 1;
        const double y = static_cast<double>(countY);
        const kLongLong back = countX * (countY - 1);
        for (kLongLong u = 0; u + 1 < countX; ++u, ++p) {
            const kLongLong corner[4] = {p, p + 1, p - back, p - back + 1};
            const KQelVector2 uv[4] = {KQelVector2(u / du, v / y), KQelVector2((u + 1) / du, v / y),
                                       KQelVector2(u / du, (v + 1) / y), KQelVector2((u + 1) / du, (v + 1) / y)};
            addCell(corner, uv, kInOrder);
        }
        if (closedU) {
            const kLongLong u = countX - 1;
            const double x = static_cast<double>(countX);
            const kLongLong corner[4] = {p, p - countX + 1, p - back, 0};
            const KQelVector2 uv[4] = {KQelVector2(u / x, v / y), KQelVector2((u + 1) / x, v / y),
                                       KQelVector2(u / x, (v + 1) / y), KQelVector2((u + 1) / x, (v + 1) / y)};
            addCell(corner, uv, kWrapOrder);
        }
    }
}

// ---- Patches to NURBS ----

KQelNurb* KQelGeometryConverter::CreateNurbFromPatch(KQelPatch* pPatch)
{
    if (!pPatch)
        return nullptr;
    const KQelPatch::EPatchType types[2] = {pPatch->GetUType(), pPatch->GetVType()};
    const bool closed[2] = {pPatch->GetUClosed(), pPatch->GetVClosed()};
    unsigned int orders[2];
    KQelNurb::ENurbType forms[2];
    for (int d = 0; d < 2; ++d) {
        switch (types[d]) {
        case KQelPatch::eBezier:
            orders[d] = 4;
            forms[d] = KQelNurb::kOpen;
            break;
        case KQelPatch::eBSpline:
            orders[d] = 4;
            forms[d] = KQelNurb::kPeriodic;
            break;
        case KQelPatch::eLinear:
            orders[d] = 2;
            forms[d] = KQelNurb::kClosed;
            break;
        default:
            return nullptr;
        }
        if (!closed[d])
            forms[d] = KQelNurb::kOpen;
    }
    KQelNurb* nurb = mManager.CreateKQelNurb();
    if (!nurb)
        return nullptr;
    nurb->CopyLinks(pPatch);
    nurb->CopyShapes(pPatch);
    nurb->CopyLayers(pPatch);
    nurb->CopyPivot(pPatch);
    nurb->SetOrder(orders[0], orders[1]);
    nurb->InitControlPoints(pPatch->GetUCount(), forms[0], pPatch->GetVCount(), forms[1]);
    nurb->SetStep(pPatch->GetUStep(), pPatch->GetVStep());
    FillPatchKnots(nurb->GetUKnotVector(), nurb->GetUKnotCount(), types[0]);
    FillPatchKnots(nurb->GetVKnotVector(), nurb->GetVKnotCount(), types[1]);
    nurb->KQelGeometryBase::Copy(*pPatch);
    InitializeWeightInControlPoints(nurb);
    return nurb;
}

KQelNurb* KQelGeometryConverter::ConvertPatchToNurb(KQelPatch* pPatch)
{
    KQelNurb* nurb = CreateNurbFromPatch(pPatch);
    if (nurb)
        CheckForZeroWeightInShape(nurb);
    return nurb;
}

void KQelGeometryConverter::CheckForZeroWeightInShape(KQelGeometry* pGeometry)
{
    if (!pGeometry)
        return;
    auto raise = [](KQelVector4* pValues, int pCount) {
        for (int i = 0; i < pCount; ++i) {
            if (pValues[i][3] <= 0.0)
                pValues[i][3] = 1.0;
        }
    };
    for (int s = 0; s < pGeometry->GetShapeCount(); ++s) {
        KQelShape* shape = pGeometry->GetShape(s);
        raise(shape->GetControlPoints(), shape->GetControlPointsCount());
        for (int l = 0; l < shape->GetLayerCount(); ++l) {
            KQelLayerElementNormal* normals = shape->GetLayer(l)->GetNormals();
            if (normals)
                raise(normals->GetDirectArray().GetArray(), normals->GetDirectArray().GetCount());
        }
    }
}

}  // namespace qelsdk_600
