#include "plugin/qelveskutility.h"

#include <vesk/MDistance.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MPlug.h>
#include <vesk/MString.h>
#include <vesk/MTime.h>
#include <vesk/MVector.h>

#include "math/kmfunctions.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqelnode.h"

using namespace qelsdk_600;

namespace {

const double kRadToDeg = 57.29577951308232;
const double kDegToRad = 0.017453292519943295;

const char* const kRotateAxis[3] = {"rotateAxisX", "rotateAxisY", "rotateAxisZ"};
const char* const kJointOrient[3] = {"jointOrientX", "jointOrientY", "jointOrientZ"};

void GetDegrees(const MFnTransform& pTransform, const char* const* pNames, MPoint& pDegrees)
{
    MPoint lPoint = MPoint::origin;
    double* lComponents[3] = {&lPoint.x, &lPoint.y, &lPoint.z};
    for (int i = 0; i < 3; ++i) {
        MStatus lStatus;
        MPlug lPlug = pTransform.findPlug(pNames[i], &lStatus);
        if (lStatus)
            lPlug.getValue(*lComponents[i]);
    }
    pDegrees = lPoint * kRadToDeg;
}

void SetDegrees(const MFnTransform& pTransform, const char* const* pNames, const MPoint& pDegrees)
{
    MPlug lPlugs[3];
    bool lFound[3];
    for (int i = 0; i < 3; ++i) {
        MStatus lStatus;
        lPlugs[i] = pTransform.findPlug(pNames[i], &lStatus);
        lFound[i] = static_cast<bool>(lStatus);
        if (lFound[i])
            lPlugs[i].setValue(0);
    }
    const double lValues[3] = {pDegrees.x, pDegrees.y, pDegrees.z};
    for (int i = 0; i < 3; ++i)
        if (lFound[i])
            lPlugs[i].setValue(lValues[i] * kDegToRad);
}

bool HasKeys(const MPlug& pPlug)
{
    MStatus lStatus;
    MFnAnimCurve lCurve(pPlug, &lStatus);
    return lStatus && lCurve.numKeys() != 0;
}

} // namespace

double QelVeskUtility::DistanceUnitRatio()
{
    static const double kRatios[] = {1.0, 2.54, 30.48, 91.44, 160934.4, 0.1, 1.0, 100000.0, 100.0};
    const int lUnit = static_cast<int>(MDistance::uiUnit());
    return lUnit >= 0 && lUnit < 9 ? kRatios[lUnit] : 1.0;
}

double QelVeskUtility::TimeUnitRatio()
{
    static const double kRatios[] = {1.0, 1.0 / 3600.0, 1.0 / 60.0, 1.0, 1000.0, 15.0,
                                     24.0, 30.0, 30.0, 48.0, 50.0, 60.0};
    const int lUnit = static_cast<int>(MTime::uiUnit());
    return lUnit >= 0 && lUnit < 12 ? kRatios[lUnit] : 1.0;
}

void QelVeskUtility::GetRotateAxis(const MFnTransform& pTransform, MPoint& pDegrees)
{
    GetDegrees(pTransform, kRotateAxis, pDegrees);
}

void QelVeskUtility::GetJointOrient(const MFnTransform& pTransform, MPoint& pDegrees)
{
    GetDegrees(pTransform, kJointOrient, pDegrees);
}

void QelVeskUtility::SetRotateAxis(const MFnTransform& pTransform, const MPoint& pDegrees)
{
    SetDegrees(pTransform, kRotateAxis, pDegrees);
}

void QelVeskUtility::SetJointOrient(const MFnTransform& pTransform, const MPoint& pDegrees)
{
    SetDegrees(pTransform, kJointOrient, pDegrees);
}

int QelVeskUtility::GetRotationOrder(const MFnTransform& pTransform)
{
    // Host orders XYZ, YZX, ZXY, XZY, YXZ, ZYX (1 to 6) as the SDK numbers them.
    static const int kOrders[7] = {0, 0, 2, 4, 1, 3, 5};
    const int lOrder = static_cast<int>(pTransform.rotationOrder());
    return lOrder >= 1 && lOrder <= 6 ? kOrders[lOrder] : 0;
}

bool QelVeskUtility::IsAnimated(MFnTransform& pTransform)
{
    return IsTransformAnimated(pTransform);
}

bool QelVeskUtility::IsUserPropertiesAnimated(MFnTransform& pTransform)
{
    MStatus lStatus;
    const unsigned int lCount = pTransform.attributeCount(&lStatus);
    if (!lStatus)
        return false;
    for (unsigned int i = 0; i < lCount; ++i) {
        MObject lAttribute = pTransform.attribute(i);
        if (pTransform.attributeClass(lAttribute) != MFnDependencyNode::kLocalDynamicAttr ||
            lAttribute.apiType() != MFn::kNumericAttribute)
            continue;
        MPlug lPlug = pTransform.findPlug(lAttribute, &lStatus);
        if (lStatus && HasKeys(lPlug))
            return true;
    }
    return false;
}

void QelVeskUtility::SetMFnTransformNode(MFnTransform& pTransform, KQelMatrix& pMatrix)
{
    const KQelXMatrix lMatrix(pMatrix);
    const KQelQuaternion lQ = lMatrix.GetQ();
    const KQelVector4 lT = lMatrix.GetT();
    const KQelVector4 lS = lMatrix.GetS();
    MStatus lStatus = pTransform.setRotationQuaternion(lQ[0], lQ[1], lQ[2], lQ[3], MSpace::kTransform);
    DebugCheckStatus(lStatus, nullptr);
    lStatus = pTransform.setTranslation(MVector(lT[0], lT[1], lT[2]), MSpace::kTransform);
    DebugCheckStatus(lStatus, nullptr);
    const double lScale[3] = {lS[0], lS[1], lS[2]};
    lStatus = pTransform.setScale(lScale);
    DebugCheckStatus(lStatus, nullptr);
}

void QelVeskUtility::GetMFnTransformNode(MFnTransform& pTransform, KQelMatrix& pMatrix)
{
    double lScale[3] = {1.0, 1.0, 1.0};
    MStatus lStatus = pTransform.getScale(lScale);
    DebugCheckStatus(lStatus, nullptr);
    double x = 0.0, y = 0.0, z = 0.0, w = 1.0;
    lStatus = pTransform.getRotationQuaternion(x, y, z, w, MSpace::kTransform);
    DebugCheckStatus(lStatus, nullptr);
    const MVector lT = pTransform.translation(MSpace::kTransform, &lStatus);
    DebugCheckStatus(lStatus, nullptr);
    KQelXMatrix lMatrix;
    lMatrix.SetTQS(KQelVector4(lT.x, lT.y, lT.z, 1.0), KQelQuaternion(x, y, z, w),
                   KQelVector4(lScale[0], lScale[1], lScale[2], 1.0));
    pMatrix = lMatrix;
}

void QelVeskUtility::RemovePreAndPostFromRotation(KQelNode* pNode, KQelMatrix& pMatrix)
{
    if (!pNode)
        return;
    const KQelVector4 lOrigin(0.0, 0.0, 0.0, 1.0);
    const KQelVector4 lUnit(1.0, 1.0, 1.0, 1.0);
    KQelMatrix lPre, lPost;
    lPre.SetTRS(lOrigin, pNode->GetPreRotation(KQelNode::eSourcePivot), lUnit);
    lPost.SetTRS(lOrigin, pNode->GetPostRotation(KQelNode::eSourcePivot), lUnit);
    typedef double(*Rows)[4];
    KmAi(reinterpret_cast<Rows>(static_cast<double*>(lPre)), reinterpret_cast<Rows>(static_cast<double*>(lPre)));
    KmAi(reinterpret_cast<Rows>(static_cast<double*>(lPost)), reinterpret_cast<Rows>(static_cast<double*>(lPost)));
    const KQelXMatrix lSplit(pMatrix);
    const KQelVector4 lT = lSplit.GetT();
    const KQelVector4 lS = lSplit.GetS();
    Rows lM = reinterpret_cast<Rows>(static_cast<double*>(pMatrix));
    KmAA(lM, reinterpret_cast<Rows>(static_cast<double*>(lPre)), lM);
    KmAA(lM, lM, reinterpret_cast<Rows>(static_cast<double*>(lPost)));
    const KQelVector4 lR = KQelXMatrix(pMatrix).GetR();
    pMatrix.SetTRS(lT, lR, lS);
}

void QelVeskUtility::MatrixConvertCameraInterest(KQelNode&, KQelNode&) {}
