// Mesh normals as a whole: vertex normals, the winding check, and the split
// and merge of control points by which hard edges travel through files.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "math/kqelpointgrid.h"

namespace qelsdk_600 {

namespace {

typedef KArrayTemplate<KQelMesh::KDuplicateVertex> KDuplicateList;

// Entry pIndex of a copied array as far as it goes, then zeros.
KQelVector4 EntryOrZero(const std::vector<KQelVector4>& pArray, int pIndex)
{
    return pIndex < static_cast<int>(pArray.size()) ? pArray[static_cast<std::size_t>(pIndex)] : KQelVector4();
}

// The points and normals of a shape being rebuilt: a copy of the old ones
// and the new arrays (null when they could not be made).
struct ShapeRebuild {
    std::vector<KQelVector4> mOldPoints;
    std::vector<KQelVector4> mOldNormals;
    KQelVector4* mPoints;
    KQelVector4* mNormals;

    // Old point and normal pSource (zero past the old arrays) to pTarget.
    void Put(int pSource, int pTarget) const
    {
        if (mPoints)
            mPoints[pTarget] = EntryOrZero(mOldPoints, pSource);
        if (mNormals)
            mNormals[pTarget] = EntryOrZero(mOldNormals, pSource);
    }
};

// Re-initialises every shape of pGeometry to pCount points and normals by
// control point, then pFill(rebuild) places the old ones.
template <class Fill>
void RebuildShapes(KQelGeometry& pGeometry, int pCount, Fill pFill)
{
    for (int s = 0; s < pGeometry.GetShapeCount(); ++s) {
        KQelShape& shape = *pGeometry.GetShape(s);
        ShapeRebuild rebuild;
        const KQelVector4* points = shape.GetControlPoints();
        rebuild.mOldPoints.assign(points, points + shape.GetControlPointsCount());
        KQelLayer* layer = shape.GetLayer(0);
        if (KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr) {
            const KArrayTemplate<KQelVector4>& direct = normals->GetDirectArray();
            rebuild.mOldNormals.assign(direct.GetArray(), direct.GetArray() + direct.GetCount());
        }
        shape.InitControlPoints(pCount);
        shape.InitNormals(pCount);
        KQelLayerElementNormal* normals = shape.GetLayer(0) ? shape.GetLayer(0)->GetNormals() : nullptr;
        rebuild.mPoints = shape.GetControlPointsCount() == pCount ? shape.GetControlPoints() : nullptr;
        rebuild.mNormals = normals && normals->GetDirectArray().GetCount() == pCount
                               ? normals->GetDirectArray().GetArray()
                               : nullptr;
        pFill(rebuild);
    }
}

}  // namespace

// ---- Vertex normals ----

void KQelMesh::AccumulateNormals(KArrayTemplate<KQelVector4>& pNormals, bool pClockwise) const
{
    const int pointCount = GetControlPointsCount();
    const KQelVector4* points = GetControlPoints();
    const int* corners = RP().mPolygonVertices.GetArray();
    std::vector<KQelVector4> sums(static_cast<std::size_t>(pointCount));
    std::vector<int> counts(static_cast<std::size_t>(pointCount), 0);
    for (int p = 0; p < RP().mPolygons.GetCount(); ++p) {
        const int first = RP().mPolygons[p].mIndex;
        const int size = RP().mPolygons[p].mSize;
        bool inRange = size > 0;
        for (int j = 0; j < size && inRange; ++j)
            inRange = corners[first + j] >= 0 && corners[first + j] < pointCount;
        if (!inRange)
            continue;
        for (int j = 0; j < size; ++j) {
            const int point = corners[first + j];
            const KQelVector4& here = points[point];
            const KQelVector4 toPrevious = points[corners[first + (j + size - 1) % size]] - here;
            const KQelVector4 toNext = points[corners[first + (j + 1) % size]] - here;
            sums[static_cast<std::size_t>(point)] +=
                pClockwise ? toPrevious.CrossProduct(toNext) : toNext.CrossProduct(toPrevious);
            ++counts[static_cast<std::size_t>(point)];
        }
    }
    if (!pNormals.SetCount(pointCount))
        return;
    for (int i = 0; i < pointCount; ++i) {
        const int count = counts[static_cast<std::size_t>(i)];
        if (count == 0) {
            pNormals[i] = KQelVector4(0.0, 0.0, 0.0, 1.0);
        } else {
            pNormals[i] = sums[static_cast<std::size_t>(i)] / count;
            pNormals[i].Normalize();
        }
    }
}

void KQelMesh::ComputeVertexNormals(bool pClockwise)
{
    KArrayTemplate<KQelVector4> computed(1024);
    AccumulateNormals(computed, pClockwise);
    InitNormals(0);
    KQelLayerElementNormal* normals = GetLayer0Normals();
    if (!normals)
        return;
    KArrayTemplate<KQelVector4>& direct = normals->GetDirectArray();
    for (int i = 0; i < direct.GetCount() && i < computed.GetCount(); ++i)
        direct[i] = computed[i];
}

bool KQelMesh::CheckIfVertexNormalsCCW()
{
    const KQelLayerElementNormal* normals = GetLayer0Normals();
    if (!normals || normals->GetDirectArray().GetCount() == 0)
        return false;
    KArrayTemplate<KQelVector4> computed(1024);
    AccumulateNormals(computed, false);
    const KArrayTemplate<KQelVector4>& stored = normals->GetDirectArray();
    for (int i = 0; i < computed.GetCount() && i < stored.GetCount(); ++i) {
        if ((computed[i] - stored[i]).Length() < 0.01)
            return true;
    }
    return false;
}

// ---- Split ----

void KQelMesh::BuildSplitList(KArrayTemplate<KArrayTemplate<KDuplicateVertex>*>& pSplitList, ESplitObject pObject)
{
    const int pointCount = GetControlPointsCount();
    const int cornerCount = RP().mPolygonVertices.GetCount();
    if (pObject != eSplitControlPoints || static_cast<long long>(pointCount) + cornerCount > INT_MAX)
        return;
    for (int k = 0; k < cornerCount; ++k) {
        if (RP().mPolygonVertices[k] < 0 || RP().mPolygonVertices[k] >= pointCount)
            return;
    }
    const int base = pSplitList.GetCount();
    for (int c = 0; c < pointCount; ++c) {
        // One list per point: blocks of 4 corners keep a split of 10^6 points
        // within a few hundred bytes per point.
        KDuplicateList* list = new (std::nothrow) KDuplicateList(4);
        if (!list || pSplitList.Add(list) < 0) {
            delete list;
            for (int i = pSplitList.GetCount() - 1; i >= base; --i) {
                delete pSplitList[i];
                pSplitList.RemoveAt(i);
            }
            return;
        }
    }
    const KQelLayerElementNormal* normals = GetLayer0Normals();
    const int normalCount = normals ? normals->GetDirectArray().GetCount() : 0;
    int next = pointCount;
    for (int k = 0; k < cornerCount; ++k) {
        const int point = RP().mPolygonVertices[k];
        KDuplicateVertex entry = {k, point, KQelVector4()};
        if (k < normalCount)
            entry.mNormal = normals->GetDirectArray()[k];
        KDuplicateList* list = pSplitList[base + point];
        if (list->GetCount() > 0)
            entry.mNewIndex = next++;
        list->Add(entry);
    }
}

void KQelMesh::SplitPointsForHardEdge(KArrayTemplate<KArrayTemplate<KDuplicateVertex>*>& pSplitList)
{
    const int pointCount = GetControlPointsCount();
    const int cornerCount = RP().mPolygonVertices.GetCount();
    KQelLayerElementNormal* normals = GetLayer0Normals();
    if (!normals || normals->GetMappingMode() != KQelLayerElement::eByPolygonVertex ||
        normals->GetDirectArray().GetCount() < cornerCount || pSplitList.GetCount() != pointCount)
        return;

    // The new points an honest list can name lie below the points plus the
    // listed corners.
    long long entries = 0;
    for (int c = 0; c < pointCount; ++c) {
        if (!pSplitList[c])
            return;
        entries += pSplitList[c]->GetCount();
    }
    if (pointCount + entries > INT_MAX)
        return;
    const int limit = pointCount + static_cast<int>(entries);
    int newCount = pointCount;
    for (int c = 0; c < pointCount; ++c) {
        const KDuplicateList& list = *pSplitList[c];
        for (int e = 0; e < list.GetCount(); ++e) {
            const KDuplicateVertex& entry = list[e];
            if (entry.mPolygonVertexIndex < 0 || entry.mPolygonVertexIndex >= cornerCount || entry.mNewIndex < 0 ||
                entry.mNewIndex >= limit)
                return;
            if (e > 0 && entry.mNewIndex >= newCount)
                newCount = entry.mNewIndex + 1;
        }
    }
    // Grown once, so that no SetControlPointAt below grows them again.
    KArrayTemplate<KQelVector4>& normalArray = normals->GetDirectArray();
    if (!ControlPoints().SetCount(newCount))
        return;
    if (normalArray.GetCount() < newCount && !normalArray.SetCount(newCount)) {
        ControlPoints().SetCount(pointCount);
        return;
    }

    for (int l = 0; l < GetLinkCount(); ++l) {
        KQelLink* link = GetLink(l);
        const int pairs = link->GetControlPointIndicesCount();
        for (int t = 0; t < pairs; ++t) {
            const int point = link->mIndices[t];
            if (point < 0 || point >= pointCount)
                continue;
            const KDuplicateList& list = *pSplitList[point];
            for (int e = 1; e < list.GetCount(); ++e)
                link->AddControlPointIndex(list[e].mNewIndex, link->mWeights.GetAt(t));
        }
    }

    for (int c = 0; c < pointCount; ++c) {
        const KDuplicateList& list = *pSplitList[c];
        if (list.GetCount() == 0)
            continue;
        const KQelVector4 point = ControlPoints()[c];
        SetControlPointAt(point, list[0].mNormal, c);
        for (int e = 1; e < list.GetCount(); ++e) {
            SetControlPointAt(point, list[e].mNormal, list[e].mNewIndex);
            P().mPolygonVertices[list[e].mPolygonVertexIndex] = list[e].mNewIndex;
        }
    }

    RebuildShapes(*this, newCount, [&](const ShapeRebuild& pRebuild) {
        for (int c = 0; c < pointCount; ++c) {
            // The point itself, then each of its copies.
            pRebuild.Put(c, c);
            const KDuplicateList& list = *pSplitList[c];
            for (int e = 1; e < list.GetCount(); ++e)
                pRebuild.Put(c, list[e].mNewIndex);
        }
    });

    SetNormalsMappingMode(KQelLayerElement::eByControlPoint);
}

// ---- Merge ----

bool KQelMesh::BuildMergeList(KArrayTemplate<int>& pMergeList, ESplitObject pObject, bool pExhaustive)
{
    const int pointCount = GetControlPointsCount();
    if (pObject != eSplitControlPoints || !pMergeList.SetCount(pointCount))
        return false;
    KQelPointGrid grid(GetControlPoints(), pointCount);
    bool repeated = false;
    for (int j = 0; j < pointCount; ++j) {
        if (j % KQelPointGrid::kWarmBatch == 0)
            grid.Warm(j, std::min(j + KQelPointGrid::kWarmBatch, pointCount));
        const int earlier = grid.FindLatestEqual(j);
        pMergeList[j] = earlier >= 0 ? earlier : j;
        if (earlier >= 0)
            repeated = true;
        // Without exhaustion the walk stops at the first repeat: later points
        // are compared with the points before it only.
        if (pExhaustive || !repeated)
            grid.Insert(j);
    }
    return repeated;
}

void KQelMesh::MergePointsForPolygonVerteNormals(KArrayTemplate<int>& pMergeList)
{
    const int pointCount = GetControlPointsCount();
    const int cornerCount = RP().mPolygonVertices.GetCount();
    if (pMergeList.GetCount() != pointCount)
        return;
    std::vector<int> root(static_cast<std::size_t>(pointCount));
    int kept = 0;
    for (int i = 0; i < pointCount; ++i) {
        const int target = pMergeList[i];
        if (target < 0 || target > i)
            return;
        root[static_cast<std::size_t>(i)] = target == i ? i : root[static_cast<std::size_t>(target)];
        if (target == i)
            ++kept;
    }
    std::vector<int> cornerOf(static_cast<std::size_t>(pointCount), -1);
    for (int k = 0; k < cornerCount; ++k) {
        const int point = RP().mPolygonVertices[k];
        if (point < 0 || point >= pointCount || cornerOf[static_cast<std::size_t>(point)] >= 0)
            return;
        cornerOf[static_cast<std::size_t>(point)] = k;
    }
    if (kept == pointCount)
        return;

    // Kept points in order: new index of each root.
    std::vector<int> newIndex(static_cast<std::size_t>(pointCount), -1);
    for (int i = 0, next = 0; i < pointCount; ++i) {
        if (root[static_cast<std::size_t>(i)] == i)
            newIndex[static_cast<std::size_t>(i)] = next++;
    }

    // Normals: the normal of each point goes to the corner that used it.
    if (KQelLayerElementNormal* normals = GetLayer0Normals()) {
        KArrayTemplate<KQelVector4>& direct = normals->GetDirectArray();
        const int normalCount = direct.GetCount();
        std::vector<KQelVector4> byCorner(static_cast<std::size_t>(cornerCount));
        for (int i = 0; i < pointCount && i < normalCount; ++i) {
            const int corner = cornerOf[static_cast<std::size_t>(i)];
            if (corner >= 0)
                byCorner[static_cast<std::size_t>(corner)] = direct[i];
        }
        if (normalCount >= cornerCount || direct.SetCount(cornerCount)) {
            for (int i = 0; i < direct.GetCount(); ++i)
                direct[i] = i < cornerCount ? byCorner[static_cast<std::size_t>(i)] : KQelVector4();
        }
    }

    for (int i = 0; i < pointCount; ++i) {
        const int corner = cornerOf[static_cast<std::size_t>(i)];
        if (corner >= 0)
            P().mPolygonVertices[corner] = newIndex[static_cast<std::size_t>(root[static_cast<std::size_t>(i)])];
    }

    for (int l = 0; l < GetLinkCount(); ++l) {
        KQelLink* link = GetLink(l);
        int pairs = 0;
        for (int t = 0; t < link->GetControlPointIndicesCount(); ++t) {
            const int point = link->mIndices[t];
            if (point < 0 || point >= pointCount || root[static_cast<std::size_t>(point)] != point)
                continue;
            link->mIndices[pairs] = newIndex[static_cast<std::size_t>(point)];
            link->mWeights[pairs] = link->mWeights.GetAt(t);
            ++pairs;
        }
        link->mIndices.SetCount(pairs);
        link->mWeights.SetCount(pairs);
    }

    for (int i = 0; i < pointCount; ++i) {
        const int target = newIndex[static_cast<std::size_t>(i)];
        if (target >= 0)
            ControlPoints()[target] = ControlPoints()[i];
    }
    ControlPoints().SetCount(kept);

    RebuildShapes(*this, kept, [&](const ShapeRebuild& pRebuild) {
        for (int i = 0; i < pointCount; ++i) {
            if (newIndex[static_cast<std::size_t>(i)] >= 0)
                pRebuild.Put(i, newIndex[static_cast<std::size_t>(i)]);
        }
    });

    SetNormalsMappingMode(KQelLayerElement::eByPolygonVertex);
}

}  // namespace qelsdk_600
