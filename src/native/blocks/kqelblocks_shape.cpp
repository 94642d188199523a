// Shape blocks (a shape stored as its differences from the geometry, in
// pivot space) and the shape-name conversion around an older-layout write.
#include <vector>

#include "content/kqelgeometry.h"
#include "content/kqellayer.h"
#include "content/kqelshape.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

typedef KQelLayerElement Element;

// Positions below both counts where the points differ in x, y or z.
void AppendMovingIndices(const KQelVector4* pGeometry, int pGeometryCount, const KQelVector4* pShape,
                         int pShapeCount, KArrayTemplate<int>& pIndices)
{
    for (int i = 0, n = pGeometryCount < pShapeCount ? pGeometryCount : pShapeCount; i < n; ++i) {
        if (pGeometry[i][0] != pShape[i][0] || pGeometry[i][1] != pShape[i][1] || pGeometry[i][2] != pShape[i][2])
            pIndices.Add(i);
    }
}

// The normals of the first layer holding normals, when they map by control
// point directly with one normal per control point; else null.
const KQelLayerElementNormal* PointNormals(KQelGeometryBase& pGeometry)
{
    KQelLayer* layer = pGeometry.GetLayer(0, Element::eNormal);
    const KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr;
    const bool usable = normals && normals->GetMappingMode() == Element::eByControlPoint &&
                        normals->GetReferenceMode() == Element::eDirect &&
                        normals->GetDirectArray().GetCount() == pGeometry.GetControlPointsCount();
    return usable ? normals : nullptr;
}

// The field of one difference per index: pTo minus pFrom through the pivot
// (its translation cancels), or zeros when either is null.
void WriteDifferences(KQel& pFile, const char* pName, const KArrayTemplate<int>& pIndices,
                      const KQelXMatrix& pPivot, const KQelVector4* pFrom, const KQelVector4* pTo)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0, n = pIndices.GetCount(); i < n; ++i) {
        KQelVector4 difference;
        if (pFrom && pTo)
            difference = pPivot.MultT(pTo[pIndices[i]]) - pPivot.MultT(pFrom[pIndices[i]]);
        for (int c = 0; c < 3; ++c)
            pFile.FieldWriteD(difference[c]);
    }
    pFile.FieldWriteEnd();
}

// Nodes below and including pRoot, each after its children's subtrees.
template <class F>
void WalkChildrenFirst(KQelNode& pRoot, F pVisit)
{
    struct Frame {
        KQelNode* mNode;
        int mNext;
    };
    std::vector<Frame> stack{Frame{&pRoot, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (KQelNode* child = top.mNode->GetChild(top.mNext++)) {
            stack.push_back(Frame{child, 0});
            continue;
        }
        KQelNode* done = top.mNode;
        stack.pop_back();
        pVisit(*done);
    }
}

}  // namespace

// ---- Writer ----

void KQelWriterQel::FindShapeValidIndices(KArrayTemplate<KQelVector4>& pGeometry, KArrayTemplate<KQelVector4>& pShape,
                                          KArrayTemplate<int>& pIndices)
{
    AppendMovingIndices(pGeometry.GetArray(), pGeometry.GetCount(), pShape.GetArray(), pShape.GetCount(), pIndices);
}

bool KQelWriterQel::WriteKQelShape(KQelShape& pShape, KString pName, KQelGeometry& pGeometry)
{
    KQel& file = File();
    const int count = pGeometry.GetControlPointsCount();
    KArrayTemplate<int> indices;
    if (pShape.GetControlPointsCount() == count)
        AppendMovingIndices(pGeometry.GetControlPoints(), count, pShape.GetControlPoints(), count, indices);
    // A shape that moves nothing, or does not match its geometry, is written
    // as one zero difference.
    const bool moves = indices.GetCount() > 0;
    if (!moves)
        indices.Add(0);
    const KQelXMatrix pivot = native_detail::GeometryPivot(pGeometry);
    native_detail::WriteBlock block(file, "Shape", pName.Buffer());
    native_detail::WriteIntField(file, "Indexes", indices.GetArray(), indices.GetCount());
    WriteDifferences(file, "Vertices", indices, pivot, moves ? pGeometry.GetControlPoints() : nullptr,
                     moves ? pShape.GetControlPoints() : nullptr);
    if (pGeometry.GetAttributeType() != KQelNodeAttribute::eMesh)
        return true;
    const KQelLayerElementNormal* from = PointNormals(pGeometry);
    const KQelLayerElementNormal* to = PointNormals(pShape);
    // Zeros also when the list holds the stand-in index 0 of a geometry
    // without points.
    const bool normals = from && to && count > 0 && to->GetDirectArray().GetCount() == count;
    WriteDifferences(file, "Normals", indices, pivot, normals ? from->GetDirectArray().GetArray() : nullptr,
                     normals ? to->GetDirectArray().GetArray() : nullptr);
    return true;
}

void KQelWriterQel::ConvertShapeNamesToV5Format(KQelNode& pNode)
{
    WalkChildrenFirst(pNode, [](KQelNode& pVisited) {
        KQelGeometry* geometry = pVisited.GetGeometry();
        if (!geometry)
            return;
        geometry->ClearTemporaryShapeNames();
        for (int i = 0, n = pVisited.GetTakeNodeCount(); i < n; ++i)
            geometry->ConvertShapeNamesToV5Format(pVisited.GetTakeNode(i));
    });
}

void KQelWriterQel::RevertShapeNamesToV6Format(KQelNode& pNode)
{
    WalkChildrenFirst(pNode, [](KQelNode& pVisited) {
        KQelGeometry* geometry = pVisited.GetGeometry();
        if (!geometry)
            return;
        for (int i = 0, n = pVisited.GetTakeNodeCount(); i < n; ++i)
            geometry->RevertShapeNamesToV6Format(pVisited.GetTakeNode(i));
        geometry->ClearTemporaryShapeNames();
    });
}

// ---- Reader ----

bool KQelReaderQel::ReadKQelShape(KQelShape& pShape, KQelGeometry& pGeometry)
{
    KQel& file = File();
    if (!file.FieldReadBlockBegin())
        return true;
    std::vector<int> indices;
    std::vector<double> values;
    native_detail::ReadIntField(file, "Indexes", indices);
    if (native_detail::ReadDoubleField(file, "Vertices", values)) {
        pShape.Copy(static_cast<KQelGeometryBase&>(pGeometry));
        KQelVector4* points = pShape.GetControlPoints();
        const int count = pShape.GetControlPointsCount();
        bool fits = values.size() / 3 <= indices.size();
        for (size_t k = 0; k < values.size() / 3 && k < indices.size(); ++k) {
            const int index = indices[k];
            if (index < 0 || index >= count) {
                fits = false;
                continue;
            }
            for (int c = 0; c < 3; ++c)
                points[index][c] += values[3 * k + c];
        }
        if (!fits)
            MarkCorruptData(pGeometry.GetNode() ? pGeometry.GetNode()->GetName() : "Geometry", "Shape");
    }
    if (pGeometry.GetAttributeType() == KQelNodeAttribute::eMesh) {
        if (pShape.GetLayerCount() == 0)
            pShape.CreateLayer();
        KQelLayer* layer = pShape.GetLayer(0);
        KQelLayer* source = pGeometry.GetLayer(0);
        if (layer) {
            KQelLayerElementNormal* normals = layer->GetNormals();
            if (!normals) {
                normals = new KQelLayerElementNormal;
                layer->SetNormals(normals);
            }
            normals->SetMappingMode(Element::eByControlPoint);
            normals->SetReferenceMode(Element::eDirect);
            KArrayTemplate<KQelVector4>& copy = normals->GetDirectArray();
            copy.Clear();
            if (source && source->GetNormals())
                copy = source->GetNormals()->GetDirectArray();
            if (copy.GetCount() > 0 && native_detail::ReadDoubleField(file, "Normals", values)) {
                for (size_t k = 0; k < values.size() / 3 && k < indices.size(); ++k) {
                    const int index = indices[k];
                    if (index < 0 || index >= copy.GetCount())
                        continue;
                    for (int c = 0; c < 3; ++c)
                        copy[index][c] += values[3 * k + c];
                }
            }
        }
    }
    file.FieldReadBlockEnd();
    return true;
}

}  // namespace qelsdk_600
