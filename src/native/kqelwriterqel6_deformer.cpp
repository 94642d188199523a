// Deformer blocks (skins and clusters) and shape blocks of the version-6
// writer.
#include <cmath>

#include "content/kqeldeformer.h"
#include "content/kqelgeometry.h"
#include "content/kqelshape.h"
#include "file/kqel.h"
#include "native/kqelwriterqel6.h"
#include "object/kproperty.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

double Finite(double pValue)
{
    return std::isfinite(pValue) ? pValue : 0.0;
}

// The matrix rebuilt from its translation, rotation and scaling: no shear,
// column 3 (0, 0, 0, 1). Parts that are not finite count as 0, and a matrix
// with an axis row of zero length (no rotation can be read from it) keeps
// its axis lengths along X, Y and Z.
KQelXMatrix Rebuild(const KQelXMatrix& pMatrix)
{
    KQelVector4 t = pMatrix.GetT();
    KQelVector4 s = pMatrix.GetS();
    bool degenerate = false;
    for (int i = 0; i < 3; ++i) {
        t[i] = Finite(t[i]);
        s[i] = Finite(s[i]);
        degenerate = degenerate || s[i] == 0.0;
    }
    KQelVector4 r;
    if (!degenerate) {
        r = pMatrix.GetR();
        for (int i = 0; i < 3; ++i)
            r[i] = Finite(r[i]);
    }
    KQelXMatrix rebuilt;
    rebuilt.SetTRS(t, r, s);
    return rebuilt;
}

// The 16 numbers in storage order; a product that overflowed is written 0.
void WriteMatrix(KQel& pFile, const char* pName, const KQelXMatrix& pMatrix)
{
    const double* values = pMatrix;
    pFile.FieldWriteBegin(pName);
    for (int i = 0; i < 16; ++i)
        pFile.FieldWriteD(Finite(values[i]));
    pFile.FieldWriteEnd();
}

// True when the cluster's "SrcModelReference" leads to a live node.
bool HasAssociateModel(KQelDeformer& pDeformer)
{
    KQelDeformerProperties* set = pDeformer.GetPropertyHandler();
    KProperty* reference = set ? set->FindPropertyByName("SrcModelReference") : nullptr;
    for (int i = 0, n = reference ? reference->GetSrcCount() : 0; i < n; ++i) {
        KQelNodeProperties* source = dynamic_cast<KQelNodeProperties*>(reference->GetSrc(i));
        if (source)
            return source->GetKQelObject() != nullptr;
    }
    return false;
}

// (x, y, z, 1) of a through the pivot minus the same of b.
void WriteOffset(KQel& pFile, const KQelXMatrix& pPivot, const KQelVector4& pA, const KQelVector4& pB)
{
    const KQelVector4 a = pPivot.MultT(pA);
    const KQelVector4 b = pPivot.MultT(pB);
    for (int c = 0; c < 3; ++c)
        pFile.FieldWriteD(a[c] - b[c]);
}

void WriteZeros(KQel& pFile)
{
    for (int c = 0; c < 3; ++c)
        pFile.FieldWriteD(0.0);
}

void FindDifferences(const KQelVector4* pBase, const KQelVector4* pShape, int pCount, KArrayTemplate<int>& pIndices)
{
    for (int i = 0; i < pCount; ++i) {
        const KQelVector4& a = pBase[i];
        const KQelVector4& b = pShape[i];
        // != is true for NaN, so a NaN coordinate selects the point.
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2])
            pIndices.Add(i);
    }
}

// The direct normals of the first layer holding normals, when they map by
// control point directly with one normal per control point; else null.
const KQelVector4* UsableNormals(KQelGeometryBase& pGeometry)
{
    KQelLayer* layer = pGeometry.GetLayer(0, KQelLayerElement::eNormal);
    KQelLayerElementNormal* normals = layer ? layer->GetNormals() : nullptr;
    if (!normals || normals->GetMappingMode() != KQelLayerElement::eByControlPoint ||
        normals->GetReferenceMode() != KQelLayerElement::eDirect ||
        normals->GetDirectArray().GetCount() != pGeometry.GetControlPointsCount())
        return nullptr;
    return static_cast<const KQelVector4*>(normals->GetDirectArray().GetArray());
}

}  // namespace

// ---- Deformers ----

bool KQelWriterQel6::WriteDeformers(KQelScene& pScene)
{
    KQelEntity& entity = *pScene.GetEntity();
    for (int i = 0, n = entity.GetDeformerCount(0); i < n; ++i) {
        KQelDeformer* deformer = entity.GetDeformer(i, 0);
        if (!deformer)
            continue;
        ObjectBegin("Deformer", deformer->GetName(), deformer->GetTypeName().Buffer());
        WriteKQelDeformer(*deformer);
        BlockEnd();
    }
    return true;
}

bool KQelWriterQel6::WriteKQelDeformer(KQelDeformer& pDeformer)
{
    KQel& file = File();
    FieldI("Version", 100);
    FieldI("MultiLayer", pDeformer.GetMultiLayer() ? 1 : 0);
    FieldC("Type", pDeformer.GetTypeName().Buffer());
    WriteProperties(pDeformer);
    if (pDeformer.GetDeformerType() == KQelDeformer::eSkin) {
        FieldD("Link_DeformAcuracy", pDeformer.GetDeformAccuracy());
        return true;
    }
    if (pDeformer.GetDeformerType() != KQelDeformer::eCluster)
        return true;

    if (pDeformer.GetLinkMode() == KQelLink::eAdditive)
        FieldC("Mode", "Additive");
    else if (pDeformer.GetLinkMode() == KQelLink::eTotal1)
        FieldC("Mode", "Total1");
    file.FieldWriteBegin("UserData");
    file.FieldWriteC(pDeformer.GetUserDataID().Buffer());
    file.FieldWriteC(pDeformer.GetUserData().Buffer());
    file.FieldWriteEnd();

    const KArrayTemplate<int>& indices = pDeformer.GetControlPointIndices();
    file.FieldWriteBegin("Indexes");
    for (int i = 0, n = indices.GetCount(); i < n; ++i)
        file.FieldWriteI(indices[i]);
    file.FieldWriteEnd();
    const KArrayTemplate<double>& weights = pDeformer.GetControlPointWeights();
    file.FieldWriteBegin("Weights");
    for (int i = 0, n = weights.GetCount(); i < n; ++i)
        file.FieldWriteD(weights[i]);
    file.FieldWriteEnd();

    KQelXMatrix matrix;
    const KQelXMatrix transform = Rebuild(pDeformer.GetTransformMatrix(matrix));
    const KQelXMatrix link = Rebuild(pDeformer.GetTransformLinkMatrix(matrix));
    const KQelXMatrix linkInverse = link.Inverse();
    WriteMatrix(file, "Transform", linkInverse * transform);
    WriteMatrix(file, "TransformLink", link);
    if (HasAssociateModel(pDeformer)) {
        BlockBegin("AssociateModel");
        WriteMatrix(file, "Transform", linkInverse * Rebuild(pDeformer.GetTransformAssociateModelMatrix(matrix)));
        BlockEnd();
    }
    if (pDeformer.IsTransformParentSet())
        WriteMatrix(file, "TransformParent", Rebuild(pDeformer.GetTransformParentMatrix(matrix)));
    return true;
}

// ---- Shapes ----

void KQelWriterQel6::FindShapeValidIndices(KArrayTemplate<KQelVector4>& pBase, KArrayTemplate<KQelVector4>& pShape,
                                           KArrayTemplate<int>& pIndices)
{
    const int count = pBase.GetCount() < pShape.GetCount() ? pBase.GetCount() : pShape.GetCount();
    FindDifferences(static_cast<const KQelVector4*>(pBase.GetArray()),
                    static_cast<const KQelVector4*>(pShape.GetArray()), count, pIndices);
}

bool KQelWriterQel6::WriteKQelShape(KQelShape& pShape, KString pName, KQelGeometry& pGeometry)
{
    KQelXMatrix pivot;
    pGeometry.GetPivot(pivot);
    const int count = pGeometry.GetControlPointsCount();
    const KQelVector4* base = pGeometry.GetControlPoints();
    const KQelVector4* points = pShape.GetControlPoints();
    KArrayTemplate<int> indices;
    if (count == pShape.GetControlPointsCount())
        FindDifferences(base, points, count, indices);
    // A shape of another point count, or one that moves nothing, is written
    // as the null shape: point 0 with zero offsets.
    const bool null = indices.GetCount() == 0;
    if (null)
        indices.Add(0);

    KQel& file = File();
    file.FieldWriteBegin("Shape");
    file.FieldWriteC(pName.Buffer());
    file.FieldWriteBlockBegin();
    file.FieldWriteBegin("Indexes");
    for (int i = 0, n = indices.GetCount(); i < n; ++i)
        file.FieldWriteI(indices[i]);
    file.FieldWriteEnd();

    file.FieldWriteBegin("Vertices");
    for (int i = 0, n = indices.GetCount(); i < n; ++i) {
        if (null)
            WriteZeros(file);
        else
            WriteOffset(file, pivot, points[indices[i]], base[indices[i]]);
    }
    file.FieldWriteEnd();

    if (pGeometry.GetAttributeType() == KQelNodeAttribute::eMesh) {
        const KQelVector4* baseNormals = UsableNormals(pGeometry);
        const KQelVector4* shapeNormals = UsableNormals(pShape);
        const int normalCount = count < pShape.GetControlPointsCount() ? count : pShape.GetControlPointsCount();
        file.FieldWriteBegin("Normals");
        for (int i = 0, n = indices.GetCount(); i < n; ++i) {
            const int k = indices[i];
            if (baseNormals && shapeNormals && k < normalCount)
                WriteOffset(file, pivot, shapeNormals[k], baseNormals[k]);
            else
                WriteZeros(file);
        }
        file.FieldWriteEnd();
    }
    BlockEnd();
    return true;
}

}  // namespace qelsdk_600
