// The animation pass over the node tree, and the static transform values
// each bound node takes from its take.
#include <cmath>

#include <vesk/MDagPath.h>
#include <vesk/MFnTransform.h>
#include <vesk/MVector.h>

#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const double kDegreesPerRadian = 57.29577951308232;

// Host rotation order of the SDK's Euler orders XYZ, XZY, YZX, YXZ, ZXY,
// ZYX; spheric XYZ has none.
const MTransformationMatrix::RotationOrder kHostRotationOrders[] = {
    MTransformationMatrix::kXYZ, MTransformationMatrix::kXZY, MTransformationMatrix::kYZX,
    MTransformationMatrix::kYXZ, MTransformationMatrix::kZXY, MTransformationMatrix::kZYX};

bool HasValidPath(QelVeskNode& pNode)
{
    const MDagPath* path = pNode.GetDagPath();
    return path && path->isValid();
}

// The affine matrix of a translation, Euler XYZ rotation (degrees) and
// scaling, the scaling applied first.
KgeAMatrix Compose(const double* pT, const double* pR, const double* pS)
{
    KgeAMatrix matrix;
    KmXYZtoR(matrix, pR[0], pR[1], pR[2]);
    KmRS(matrix, matrix, pS);
    for (int i = 0; i < 3; ++i)
        matrix.mData[3][i] = pT[i];
    return matrix;
}

}  // namespace

MStatus QelVeskImport::ImportAnimation(QelVeskNode& pNode)
{
    Walk(&pNode, [this](KQelNode* pVisited) {
        QelVeskNode& node = *Vesk(pVisited);
        if (!HasValidPath(node))
            return true;
        QelVeskProgressMeter::Activate(ShortName(node).Buffer());
        switch (AttributeType(node)) {
        case KQelNodeAttribute::eCamera:
            ImportAnimationCamera(node);
            break;
        case KQelNodeAttribute::eMesh:
        case KQelNodeAttribute::eNurb:
        case KQelNodeAttribute::ePatch:
            ImportShapeAnimation(node);
            break;
        case KQelNodeAttribute::eLight:
            ImportAnimationLight(node);
            break;
        default:
            break;
        }
        ImportTransformAnimation(node);
        ImportAnimationVisibility(node);
        ImportUserProperties(node);
        return true;
    });
    return MStatus::kSuccess;
}

void QelVeskImport::ImportTransformAnimation(QelVeskNode& pNode)
{
    if (!HasValidPath(pNode))
        return;
    MStatus status;
    MFnTransform transform(*pNode.GetDagPath(), &status);
    if (!status)
        return;
    ImportTransformAnimation(transform, pNode);
    if (!mIsOldVersion) {
        ImportPivots(transform, pNode);
        ImportLimits(transform, pNode);
        ImportRotationOrder(transform, pNode);
    }
}

void QelVeskImport::ImportTransformAnimation(MFnTransform& pTransform, QelVeskNode& pNode)
{
    // The transform's curves are converted around the static values:
    // translation and scaling before, rotation after.
    SetDefaultGeometry(pNode, pTransform);
}

void QelVeskImport::SetTransformVector(double* pValues, KFCurve** pCurves) const
{
    for (int k = 0; k < 3; ++k)
        if (pCurves[k])
            pValues[k] = pCurves[k]->CandidateEvaluate(mCurrentTime);
}

void QelVeskImport::SetDefaultGeometry(QelVeskNode& pNode, MFnTransform& pTransform)
{
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    if (!take)
        take = pNode.GetDefaultTakeNode();
    double t[3] = {0.0, 0.0, 0.0};
    double s[3] = {1.0, 1.0, 1.0};
    double r[3] = {0.0, 0.0, 0.0};
    if (take) {
        KFCurve* translation[3] = {take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ()};
        KFCurve* scaling[3] = {take->GetScaleX(), take->GetScaleY(), take->GetScaleZ()};
        KFCurve* rotation[3] = {take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ()};
        SetTransformVector(t, translation);
        SetTransformVector(s, scaling);
        SetTransformVector(r, rotation);
    }

    pTransform.setTranslation(MVector(t[0], t[1], t[2]), MSpace::kTransform);
    ERotationOrder order = eEulerXYZ;
    pNode.GetRotationOrder(KQelNode::eDestinationPivot, order);
    if (order >= eEulerXYZ && order <= eEulerZYX) {
        const double radians[3] = {r[0] / kDegreesPerRadian, r[1] / kDegreesPerRadian, r[2] / kDegreesPerRadian};
        pTransform.setRotation(radians, kHostRotationOrders[order]);
    }
    pTransform.setScale(s);

    // The global values, from the SDK curves alone: the local matrix under
    // the parent's stored global one.
    KgeAMatrix global = Compose(t, r, s);
    if (KQelNode* parentNode = pNode.GetParent()) {
        QelVeskNode& parent = *Vesk(parentNode);
        KgeAMatrix parentGlobal;
        const double* pr = parent.GetGlobalRotation();
        KmIJKtoR(parentGlobal, pr[0], pr[1], pr[2], 0);
        KmRS(parentGlobal, parentGlobal, parent.GetGlobalScaling());
        for (int i = 0; i < 3; ++i)
            parentGlobal.mData[3][i] = parent.GetGlobalTranslation()[i];
        KmAA(global, parentGlobal, global);
    }

    const double(*g)[4] = global.mData;
    const double determinant = (g[0][1] * g[1][2] - g[0][2] * g[1][1]) * g[2][0] +
                               (g[0][2] * g[1][0] - g[0][0] * g[1][2]) * g[2][1] +
                               (g[0][0] * g[1][1] - g[0][1] * g[1][0]) * g[2][2];
    KgeSVector scaling;
    KgeAMatrix axes = global;
    for (int i = 0; i < 3; ++i) {
        const double squares = g[i][0] * g[i][0] + g[i][1] * g[i][1] + g[i][2] * g[i][2];
        double length = squares == 0.0 ? 0.0 : std::sqrt(squares);
        if (determinant < 0.0)
            length = -length;
        scaling.mData[i] = length;
        // A flattened axis keeps its row as it is: no division by zero.
        const double divisor = length == 0.0 ? 1.0 : length;
        for (int j = 0; j < 3; ++j)
            axes.mData[i][j] /= divisor;
    }
    KgeRVector rotation;
    KmRtoVXYZ(rotation, axes);
    pNode.SetGlobalTranslation(KgeTVector(g[3][0], g[3][1], g[3][2], 1.0));
    pNode.SetGlobalRotation(rotation);
    pNode.SetGlobalScaling(scaling);
}
