// The animation pass over the node tree: each bound node's transform
// curves around the static values it takes from its take.
#include <cmath>

#include <vesk/MDagPath.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnTransform.h>
#include <vesk/MVector.h>

#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskutility.h"
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
            if (IsHostCameraGroup(node.GetParent()))
                ImportCameraGroupTransform(node);
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

void QelVeskImport::ImportCameraGroupTransform(QelVeskNode& pCamera)
{
    MStatus status;
    MFnDagNode camera(*pCamera.GetDagPath(), &status);
    if (!status)
        return;
    const MObject above = camera.parent(0, &status);
    if (!status)
        return;
    MFnTransform group(above, &status);
    if (status)
        ImportTransformAnimation(group, *Vesk(pCamera.GetParent()));
}

void QelVeskImport::ImportTransformAnimation(MFnTransform& pTransform, QelVeskNode& pNode)
{
    if (mIsOldVersion)
        ImportOldVersionRotationFrame(pTransform, pNode);

    // Rows of the channel table: translation and scaling are converted
    // before the static values, rotation after them.
    enum ESlope { eDistance, eNone, eAngle };
    static const struct {
        const char* mAttribute;
        KFCurve* (KQelTakeNode::*mCurve)();
        MFnAnimCurve::AnimCurveType mType;
        double mValueDivisor;
        ESlope mSlope;
    } kChannels[] = {
        {"translateX", &KQelTakeNode::GetTranslationX, MFnAnimCurve::kAnimCurveTL, 1.0, eDistance},
        {"translateY", &KQelTakeNode::GetTranslationY, MFnAnimCurve::kAnimCurveTL, 1.0, eDistance},
        {"translateZ", &KQelTakeNode::GetTranslationZ, MFnAnimCurve::kAnimCurveTL, 1.0, eDistance},
        {"scaleX", &KQelTakeNode::GetScaleX, MFnAnimCurve::kAnimCurveTU, 1.0, eNone},
        {"scaleY", &KQelTakeNode::GetScaleY, MFnAnimCurve::kAnimCurveTU, 1.0, eNone},
        {"scaleZ", &KQelTakeNode::GetScaleZ, MFnAnimCurve::kAnimCurveTU, 1.0, eNone},
        {"rotateX", &KQelTakeNode::GetEulerRotationX, MFnAnimCurve::kAnimCurveTA, kDegreesPerRadian, eAngle},
        {"rotateY", &KQelTakeNode::GetEulerRotationY, MFnAnimCurve::kAnimCurveTA, kDegreesPerRadian, eAngle},
        {"rotateZ", &KQelTakeNode::GetEulerRotationZ, MFnAnimCurve::kAnimCurveTA, kDegreesPerRadian, eAngle},
    };
    const int kFirstRotation = 6;
    const int kCount = static_cast<int>(sizeof kChannels / sizeof kChannels[0]);
    // Slopes reach the host per UI unit: centimetres, radians of the values.
    const double slopeDivisors[] = {QelVeskUtility::DistanceUnitRatio(), 1.0, UiAngleIn(MAngle::kRadians)};

    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    MStatus status;
    const auto convert = [&](int pFrom, int pTo) {
        for (int i = pFrom; take && i < pTo; ++i) {
            const auto& channel = kChannels[i];
            if (KFCurve* curve = (take->*channel.mCurve)())
                SetVeskCurve(pTransform, channel.mAttribute, *curve, channel.mType, channel.mValueDivisor,
                             slopeDivisors[channel.mSlope], &status);
        }
    };
    convert(0, kFirstRotation);
    SetDefaultGeometry(pNode, pTransform);
    convert(kFirstRotation, kCount);
}

void QelVeskImport::ImportOldVersionRotationFrame(MFnTransform& pTransform, QelVeskNode& pNode)
{
    // Two Euler triples (degrees) are one rotation when their matrices agree
    // within 1e-06 in every element.
    const auto same = [](const MPoint& pHost, const KQelVector4& pFile) {
        KgeAMatrix a, b;
        KmXYZtoR(a, pHost.x, pHost.y, pHost.z);
        KmXYZtoR(b, pFile[0], pFile[1], pFile[2]);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (std::fabs(a.mData[i][j] - b.mData[i][j]) > 1e-06)
                    return false;
        return true;
    };
    MPoint host;
    QelVeskUtility::GetJointOrient(pTransform, host);
    const KQelVector4 pre = pNode.GetPreRotation(KQelNode::eSourcePivot);
    if (!same(host, pre))
        QelVeskUtility::SetJointOrient(pTransform, MPoint(pre[0], pre[1], pre[2]));
    QelVeskUtility::GetRotateAxis(pTransform, host);
    const KQelVector4 post = pNode.GetPostRotation(KQelNode::eSourcePivot);
    if (!same(host, post))
        QelVeskUtility::SetRotateAxis(pTransform, MPoint(post[0], post[1], post[2]));
    pTransform.setRotatePivotTranslation(MVector(0.0, 0.0, 0.0), MSpace::kTransform);
    pTransform.setRotatePivot(MPoint(0.0, 0.0, 0.0), MSpace::kTransform, false);
    pTransform.setScalePivotTranslation(MVector(0.0, 0.0, 0.0), MSpace::kTransform);
    pTransform.setScalePivot(MPoint(0.0, 0.0, 0.0), MSpace::kTransform, false);
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

void QelVeskImport::ImportRotationOrder(MFnTransform& pTransform, QelVeskNode& pNode)
{
    ERotationOrder order = eSphericXYZ;
    pNode.GetRotationOrder(KQelNode::eDestinationPivot, order);
    if (order >= eEulerXYZ && order <= eEulerZYX)
        pTransform.setRotationOrder(kHostRotationOrders[order], true);
}
