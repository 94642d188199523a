#include "content/kqelgeometry.h"

#include <climits>
#include <new>

namespace qelsdk_600 {

KQelGeometryBase::KQelGeometryBase(KQelSdkManager& pManager) : KQelLayerContainer(pManager) {}

KQelGeometryBase::~KQelGeometryBase() {}

void KQelGeometryBase::InitControlPoints(int pCount)
{
    if (!mControlPoints.Get() && pCount <= 0)
        return;
    ControlPoints().Empty();
    if (pCount > 0)
        ControlPoints().SetCount(pCount);
}

void KQelGeometryBase::InitNormals(int pCount)
{
    KQelLayer* layer = GetOrCreateLayer0();
    if (!layer)
        return;
    KQelLayerElementNormal* normals = layer->GetNormals();
    if (!normals) {
        normals = new (std::nothrow) KQelLayerElementNormal;
        if (!normals)
            return;
        layer->SetNormals(normals);
    }
    int size = GetControlPointsCount();
    KQelLayerElement::EMappingMode mode = KQelLayerElement::eByControlPoint;
    if (pCount >= 1 && pCount != size) {
        mode = KQelLayerElement::eByPolygonVertex;
        size = pCount;
    }
    normals->SetMappingMode(mode);
    normals->SetReferenceMode(KQelLayerElement::eDirect);
    normals->GetDirectArray().Empty();
    normals->GetDirectArray().SetCount(size);
}

KQelVector4* KQelGeometryBase::GetNormals()
{
    KQelLayerElementNormal* normals = GetLayer0Normals();
    return normals ? normals->GetDirectArray().GetArray() : nullptr;
}

void KQelGeometryBase::SetControlPointAt(const KQelVector4& pPoint, const KQelVector4& pNormal, int pIndex)
{
    KQelLayerElementNormal* normals = GetLayer0Normals();
    if (!normals || pIndex < 0 || pIndex == INT_MAX)
        return;
    KArrayTemplate<KQelVector4>& normalArray = normals->GetDirectArray();
    KArrayTemplate<KQelVector4>& points = ControlPoints();
    const int pointCount = points.GetCount();
    if (pIndex >= pointCount && !points.SetCount(pIndex + 1))
        return;
    if (pIndex >= normalArray.GetCount() && !normalArray.SetCount(pIndex + 1)) {
        points.SetCount(pointCount);
        return;
    }
    points[pIndex] = pPoint;
    normalArray[pIndex] = pNormal;
}

void KQelGeometryBase::Copy(const KQelGeometryBase& pOther)
{
    if (this != &pOther && (mControlPoints.Get() || pOther.mControlPoints.Get()))
        ControlPoints() = pOther.ReadControlPoints();
}

}  // namespace qelsdk_600
