// Cameras and look-at targets: their nodes and group records, the camera's
// settings, and its field of view and roll with their animation.
#include <vector>

#include <vesk/MAngle.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnCamera.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MPlug.h>

#include "content/kqelcamera.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "export/qelfocallengthtofovmodifier.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "object/kpropertytemplate.h"
#include "plugin/qelmodifier.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/qelveskutility.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

const double kMillimetresPerInch = 25.4;
const double kNearPlaneForNegative = 0.01;
const char* const kTwist = "twist";
const char* const kFocalLength = "focalLength";

// The group key of a path: its full name up to its second '|'.
KString GroupKey(const MDagPath& pPath)
{
    KString key(pPath.fullPathName().asChar());
    QelVeskUtility::GetStringBetweenToken(key, '|', '|');
    return key;
}

KQelCamera* CameraOf(QelVeskNode& pNode)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    return attribute && attribute->GetAttributeType() == KQelNodeAttribute::eCamera
               ? static_cast<KQelCamera*>(attribute)
               : nullptr;
}

// The host's twist (internal angle units) as an SDK roll in degrees: the
// twist turns the other way.
double TwistToRoll()
{
    return MAngle::internalUnit() == MAngle::kRadians ? -sgRadiansToDegrees : -1.0;
}

// Aperture mode by host film fit, from the film's height / width ratio.
KQelCamera::ECameraApertureMode ApertureModeOf(MFnCamera::FilmFit pFit, double pRatio)
{
    switch (pFit) {
    case MFnCamera::kFillFilmFit:
        return pRatio < 1.0 ? KQelCamera::eVertical : KQelCamera::eHorizontal;
    case MFnCamera::kHorizontalFilmFit:
        return KQelCamera::eHorizontal;
    case MFnCamera::kVerticalFilmFit:
        return KQelCamera::eVertical;
    case MFnCamera::kOverscanFilmFit:
        return pRatio >= 1.0 ? KQelCamera::eVertical : KQelCamera::eHorizontal;
    default:
        return KQelCamera::eHorizontalAndVertical;
    }
}

// Makes pTarget look like the camera node and gives it the role, unless
// it is the camera's own node.
void SetTarget(QelVeskNode& pCamera, KQelNode* pTarget, void (KQelNode::*pSet)(KQelNode*))
{
    if (!pTarget || pTarget == &pCamera)
        return;
    pTarget->SetVisibility(pCamera.GetVisibility());
    (pCamera.*pSet)(pTarget);
}

// A curve of focal lengths as fields of view: its default value and key
// values through the modifier. The tangents of cubic user keys go through
// their Bezier handles, never as derivatives through the formula.
void ConvertFocalLengths(KFCurve& pCurve, QelModifier& pModifier)
{
    pCurve.SetValue(detail::SaturateToFloat(pModifier.Modify(static_cast<double>(pCurve.GetValue()))));
    const int count = pCurve.KeyGetCount();
    pCurve.KeyModifyBegin();
    for (int i = 0; i < count; ++i) {
        KFCurveKey* key = pCurve.KeyGetPtr(i);
        const bool user = key->GetInterpolation() == kFCurveInterpolationCubic &&
                          (key->GetTangeantMode() & kFCurveTangentUser) != 0;
        const float left = user ? pCurve.KeyGetLeftBezierTangeant(i) : 0.0f;
        const float right = user ? pCurve.KeyGetRightBezierTangeant(i) : 0.0f;
        key->SetValue(detail::SaturateToFloat(pModifier.Modify(static_cast<double>(key->GetValue()))));
        if (!user)
            continue;
        pCurve.KeySetLeftBezierTangeant(i, detail::SaturateToFloat(pModifier.Modify(static_cast<double>(left))));
        pCurve.KeySetRightBezierTangeant(i, detail::SaturateToFloat(pModifier.Modify(static_cast<double>(right))));
    }
    pCurve.KeyModifyEnd();
}

void SetDefault(KQelTakeNode& pTake, KQelTakeNode::EChannel pChannel, double pValue)
{
    if (KFCurve* curve = pTake.GetChannel(pChannel))
        curve->SetValue(detail::SaturateToFloat(pValue));
}

}  // namespace

// ---- Nodes and group records ----

KVeskExportCameraInfo* QelVeskExport::FindCameraInfo(const MDagPath& pPath)
{
    const KString key = GroupKey(pPath);
    return reinterpret_cast<KVeskExportCameraInfo*>(mLookAtGroups.Get(key.Buffer()));
}

void QelVeskExport::ClearLookAtGroups()
{
    for (int i = 0; i < mLookAtGroups.GetCount(); ++i)
        delete reinterpret_cast<KVeskExportCameraInfo*>(mLookAtGroups.GetFromIndex(i));
    mLookAtGroups.Clear();
}

QelVeskNode* QelVeskExport::BuildCameraGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    MFnCamera camera(pPath);
    KVeskExportCameraInfo* record = FindCameraInfo(pPath);
    if (!record) {
        record = new KVeskExportCameraInfo;
        mLookAtGroups.Add(GroupKey(pPath).Buffer(), reinterpret_cast<kReference>(record));
    }
    record->mCamera = camera.object();

    KQelCamera* attribute = mManager.CreateKQelCamera();
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    attribute->SetShowAxis(true);
    attribute->SetShowName(true);
    Register(pPath, node);
    record->mCameraNode = node;
    node->SetNodeAttribute(attribute);
    node->SetVisibility(GetNodeVisibility(camera));
    return node;
}

QelVeskNode* QelVeskExport::BuildLookAtGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    if (FindCameraInfo(pPath))
        return nullptr;
    KVeskExportCameraInfo* record = new KVeskExportCameraInfo;
    record->mLookAt = pNode.object();
    mLookAtGroups.Add(GroupKey(pPath).Buffer(), reinterpret_cast<kReference>(record));
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    Register(pPath, node);
    return node;
}

QelVeskNode* QelVeskExport::BuildClusterGeometry(MDagPath& pPath, MFnDagNode& pNode)
{
    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    Register(pPath, node);
    return node;
}

// ---- The camera's export ----

bool QelVeskExport::ExportCamera(QelVeskNode& pNode)
{
    const MDagPath* path = pNode.GetDagPath();
    KVeskExportCameraInfo* record = path ? FindCameraInfo(*path) : nullptr;
    if (!record || record->mCamera.isNull() || !CameraOf(pNode))
        return false;
    ExportCameraAttributesDefaults(pNode, record);
    ExportCameraCurvesDefaults(pNode, record);
    return ExportCameraCurves(pNode, record);
}

void QelVeskExport::ExportCameraAttributesDefaults(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord)
{
    KQelCamera* camera = CameraOf(pNode);
    const MDagPath* path = pNode.GetDagPath();
    if (!camera || !path)
        return;
    const MFnCamera host(*path);

    double nearPlane = host.nearClippingPlane();
    if (!(nearPlane >= 0.0))
        nearPlane = kNearPlaneForNegative;
    camera->SetFarPlane(QelSaturate<unsigned int>(host.farClippingPlane()));
    camera->SetNearPlane(nearPlane);
    camera->SetFocalLength(host.focalLength());
    camera->SetSqueezeRatio(host.lensSqueezeRatio());

    const double width = host.horizontalFilmAperture();
    const double height = host.verticalFilmAperture();
    camera->SetApertureMode(ApertureModeOf(host.filmFit(), height / width));
    camera->SetProjectionType(KQelCamera::ePerspective);
    if (host.isOrtho())
        camera->SetProjectionType(KQelCamera::eOrthogonal);
    const MVector up = host.upDirection(MSpace::kWorld);
    camera->SetUpVector(KQelVector4(up.x, up.y, up.z, 1.0));
    camera->SetDefaultCameraInterestPosition(KQelVector4(0.0, 0.0, -1.0, 1.0));
    camera->SetApertureHeight(height);
    camera->SetApertureWidth(width);
    camera->SetSpecificDistance(host.focusDistance());

    KQelNode* parent = pNode.GetParent();
    if (!pRecord || pRecord->mLookAt.isNull() || !parent)
        return;
    if (parent->GetChildCount(false) > 1)
        SetTarget(pNode, parent->GetChild(1), &KQelNode::SetTarget);
    if (parent->GetChildCount(false) > 2)
        SetTarget(pNode, parent->GetChild(2), &KQelNode::SetTargetUp);
}

void QelVeskExport::ExportCameraCurvesDefaults(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord)
{
    KQelTakeNode* take = pNode.GetDefaultTakeNode();
    KQelCamera* camera = CameraOf(pNode);
    if (!take || !camera)
        return;
    SetDefault(*take, KQelTakeNode::eCameraFieldOfViewX, 40.0);
    SetDefault(*take, KQelTakeNode::eCameraFieldOfViewY, 40.0);
    SetDefault(*take, KQelTakeNode::eCameraFieldOfView, camera->GetAngleOfView());
    SetDefault(*take, KQelTakeNode::eCameraOpticalCenterX, 0.0);
    SetDefault(*take, KQelTakeNode::eCameraOpticalCenterY, 0.0);
    SetDefault(*take, KQelTakeNode::eCameraRoll, 0.0);
    if (!pRecord || pRecord->mLookAt.isNull())
        return;
    MStatus status;
    const MFnDependencyNode lookAt(pRecord->mLookAt, &status);
    if (!status)
        return;
    float twist = 0.0f;
    lookAt.findPlug(kTwist).getValue(twist);
    SetDefault(*take, KQelTakeNode::eCameraRoll, twist * TwistToRoll());
}

bool QelVeskExport::ExportCameraCurves(QelVeskNode& pNode, KVeskExportCameraInfo* pRecord)
{
    KQelTakeNode* defaults = pNode.GetDefaultTakeNode();
    KQelCamera* camera = CameraOf(pNode);
    const MDagPath* path = pNode.GetDagPath();
    if (!defaults || !camera || !path)
        return false;
    // Field of view X, field of view and roll.
    static const KQelTakeNode::EChannel kWorking[3] = {
        KQelTakeNode::eCameraFieldOfViewX, KQelTakeNode::eCameraFieldOfView, KQelTakeNode::eCameraRoll};
    KFCurve fieldOfViewX, fieldOfView, roll;
    KFCurve* working[3] = {&fieldOfViewX, &fieldOfView, &roll};
    for (int i = 0; i < 3; ++i)
        if (KFCurve* source = defaults->GetChannel(kWorking[i]))
            working[i]->CopyFrom(*source, false);
    KFCurveFilterConstantKeyReducer reducer;
    const bool reduce = export_detail::BoolSetting(KQelUserParams::kExportApplyCstKeyRed);
    const KQelCamera::ECameraApertureMode mode = camera->GetApertureMode();
    bool animated = false;

    MStatus status;
    MFnAnimCurve focalLength(MFnCamera(*path).findPlug(kFocalLength), &status);
    if (status) {
        QelFocalLengthToFOVModifier horizontal, vertical;
        for (QelFocalLengthToFOVModifier* modifier : {&horizontal, &vertical}) {
            modifier->mApertureWidth = camera->GetApertureWidth() * kMillimetresPerInch;
            modifier->mApertureHeight = camera->GetApertureHeight() * kMillimetresPerInch;
            modifier->mSqueezeRatio = camera->GetSqueezeRatio();
        }
        horizontal.mApertureMode = KQelCamera::eHorizontal;
        vertical.mApertureMode = KQelCamera::eVertical;
        SetFCurve(focalLength, fieldOfViewX, false, 1.0);
        SetFCurve(focalLength, fieldOfView, false, 1.0);
        ConvertFocalLengths(fieldOfViewX, horizontal);
        ConvertFocalLengths(fieldOfView, vertical);
        if (reduce) {
            reducer.Apply(fieldOfViewX);
            reducer.Apply(fieldOfView);
        }
        const bool horizontalKeys = fieldOfViewX.KeyGetCount() > 0;
        const bool verticalKeys = fieldOfView.KeyGetCount() > 0;
        animated = ((mode == KQelCamera::eHorizontalAndVertical || mode == KQelCamera::eHorizontal) &&
                    horizontalKeys) ||
                   ((mode == KQelCamera::eHorizontalAndVertical || mode == KQelCamera::eVertical) && verticalKeys);
    }
    if (pRecord && !pRecord->mLookAt.isNull()) {
        const MFnDependencyNode lookAt(pRecord->mLookAt);
        MFnAnimCurve twist(lookAt.findPlug(kTwist), &status);
        if (status)
            SetFCurve(twist, roll, false, TwistToRoll());
        if (reduce)
            reducer.Apply(roll);
        animated = animated || roll.KeyGetCount() > 0;
    }
    if (!animated)
        return false;

    SetCurrentTakeOnNode(pNode, sgAnimationTake);
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    if (!take)
        return true;
    // Copies a working curve that has keys into a channel of the take.
    auto copy = [take](KFCurve& pWorking, KQelTakeNode::EChannel pChannel, bool pOnlyWithKeys) {
        KFCurve* target = take->GetChannel(pChannel);
        if (target && (!pOnlyWithKeys || pWorking.KeyGetCount() > 0))
            target->CopyFrom(pWorking, true);
    };
    switch (mode) {
    case KQelCamera::eHorizontal:
        copy(fieldOfViewX, KQelTakeNode::eCameraFieldOfView, true);
        break;
    case KQelCamera::eVertical:
        copy(fieldOfView, KQelTakeNode::eCameraFieldOfView, true);
        break;
    case KQelCamera::eHorizontalAndVertical:
        if (fieldOfViewX.KeyGetCount() > 0 || fieldOfView.KeyGetCount() > 0) {
            copy(fieldOfViewX, KQelTakeNode::eCameraFieldOfViewX, false);
            copy(fieldOfView, KQelTakeNode::eCameraFieldOfViewY, false);
        }
        break;
    default:
        break;
    }
    copy(roll, KQelTakeNode::eCameraRoll, true);
    return true;
}
