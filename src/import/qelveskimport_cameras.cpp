// Cameras: the host camera of a node with its aim and up locators, its film
// and lens values, the field of view as a focal length and the roll as the
// look-at group's twist.
#include <vesk/MAngle.h>
#include <vesk/MDagPath.h>
#include <vesk/MFnCamera.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStringArray.h>

#include "content/kqelcamera.h"
#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelfovtofocallengthmodifier.h"
#include "plugin/qelveskquote.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const char* const kCameraCommand[] = {
    "camera ",
    "-centerOfInterest 5 -focalLength 35 -lensSqueezeRatio 1 ",
    "-cameraScale 1 -horizontalFilmAperture 1.41732 -horizontalFilmOffset 0 ",
    "-verticalFilmAperture 0.94488 -verticalFilmOffset 0 -filmFit Horizontal ",
    "-overscan 1 -motionBlur 0 -shutterAngle 144 -nearClipPlane 0.01 -farClipPlane 1000 ",
    "-orthographic 0 -orthographicWidth 30; ",
    "objectMoveCommand; ",
};
// The camera alone, with an aim, with an aim and an up.
const char kMakeCamera[] = "cameraMakeNode 1 \"\"";
const char kMakeAimedCamera[] = "cameraMakeNode 2 \"\"";
const char kMakeAimedAndUpCamera[] = "cameraMakeNode 3 \"\"";
const double kMillimetresPerInch = 25.4;
const double kRadiansToDegrees = 57.29577951308232;
const double kDegreesToRadians = 0.017453292519943295;

// The host film fit of an aperture mode: fill, horizontal, vertical; any
// other horizontal.
MFnCamera::FilmFit FilmFitOf(int pMode)
{
    static const MFnCamera::FilmFit kFits[] = {MFnCamera::kFillFilmFit, MFnCamera::kHorizontalFilmFit,
                                               MFnCamera::kVerticalFilmFit};
    return pMode >= 0 && pMode <= 2 ? kFits[pMode] : MFnCamera::kHorizontalFilmFit;
}

bool IsValid(const MDagPath* pPath)
{
    return pPath && pPath->isValid();
}

// Binds an SDK node to the locator that stands for it: its name, object,
// path and user-property attributes.
void BindLocator(QelVeskImport& pImport, QelVeskNode* pNode, MObject pLocator)
{
    if (!pNode)
        return;
    MFnTransform locator(pLocator);
    locator.setName(MString(ShortName(*pNode).Buffer()));
    pNode->SetShapeObject(&pLocator);
    MDagPath path;
    if (locator.getPath(path))
        pNode->SetDagPath(&path);
    pImport.AddUserProperties(locator, pNode);
}

}  // namespace

void QelVeskImport::CreateCameraGeometry(QelVeskNode& pNode)
{
    const KQelCamera* camera = static_cast<const KQelCamera*>(pNode.GetNodeAttribute());
    if (!camera)
        return;
    const bool aimed = pNode.GetTarget() != nullptr;
    MString command;
    for (const char* piece : kCameraCommand)
        command += piece;
    command += !aimed ? kMakeCamera : pNode.GetTargetUp() ? kMakeAimedAndUpCamera : kMakeAimedCamera;
    MStringArray result;
    MGlobal::executeCommand(command, result, true, false);

    MSelectionList selection;
    MGlobal::getActiveSelectionList(selection);
    const unsigned int count = selection.length();
    if (count == 0 || count > 3)
        return;
    MObject transformObject;
    selection.getDependNode(0, transformObject);
    MFnDagNode transform(transformObject);
    transform.setName(MString(ShortName(pNode).Buffer()));
    MObject shape = transform.child(0);
    MStatus status;
    MFnCamera lens(shape, &status);
    if (!status)
        return;
    lens.setLensSqueezeRatio(camera->GetSqueezeRatio());
    lens.setClippingPlanes(true);
    lens.setNearClippingPlane(camera->GetNearPlane());
    lens.setFarClippingPlane(camera->GetFarPlane());
    lens.setFocalLength(camera->GetFocalLength());
    if (camera->GetProjectionType() == KQelCamera::eOrthogonal)
        lens.setIsOrtho(true);
    pNode.SetShapeObject(&shape);
    MFnDagNode above(lens.parent(0));
    MDagPath path;
    above.getPath(path);
    pNode.SetDagPath(&path);

    if (count >= 2) {
        MObject aim, up;
        selection.getDependNode(count == 2 ? 1 : 2, aim);
        BindLocator(*this, Vesk(pNode.GetTarget()), aim);
        if (count == 3) {
            selection.getDependNode(1, up);
            BindLocator(*this, Vesk(pNode.GetTargetUp()), up);
        }
    }

    // Under the host node of its SDK parent; an aimed camera's look-at group
    // moves with it.
    KQelNode* parent = pNode.GetParent();
    if (IsHostCameraGroup(parent))
        parent = parent->GetParent();
    const MDagPath* parentPath = parent ? Vesk(parent)->GetDagPath() : nullptr;
    if (parent && parent != mRootNode && parent->GetParent() && IsValid(parentPath)) {
        MString child;
        if (aimed) {
            MFnDagNode group(transform.parent(0));
            MDagPath groupPath;
            group.getPath(groupPath);
            child = groupPath.partialPathName();
        } else {
            child = path.partialPathName();
        }
        KString reparent("parent ");
        reparent += QelVeskQuote(child.asChar());
        reparent += " ";
        reparent += QelVeskQuote(parentPath->partialPathName().asChar());
        MGlobal::executeCommand(MString(reparent.Buffer()), false, false);
    }
    MFnTransform cameraTransform(path);
    AddUserProperties(cameraTransform, &pNode);
}

MStatus QelVeskImport::ImportAnimationCamera(QelVeskNode& pNode)
{
    const MDagPath* path = pNode.GetDagPath();
    const KQelCamera* camera = static_cast<const KQelCamera*>(pNode.GetNodeAttribute());
    if (!IsValid(path) || !camera || !path->hasFn(MFn::kCamera))
        return MStatus::kFailure;
    MFnCamera lens(*path);
    lens.setLensSqueezeRatio(camera->GetSqueezeRatio());
    lens.setNearClippingPlane(camera->GetNearPlane());
    lens.setFarClippingPlane(camera->GetFarPlane());
    const int mode = static_cast<int>(camera->GetApertureMode());
    lens.setFilmFit(FilmFitOf(mode));
    lens.setIsOrtho(camera->GetProjectionType() == KQelCamera::eOrthogonal);
    lens.setVerticalFilmAperture(camera->GetApertureHeight());
    lens.setHorizontalFilmAperture(camera->GetApertureWidth());
    lens.setFocusDistance(camera->GetSpecificDistance());

    QelFOVToFocalLengthModifier focal;
    focal.mApertureWidth = camera->GetApertureWidth() * kMillimetresPerInch;
    focal.mApertureHeight = camera->GetApertureHeight() * kMillimetresPerInch;
    focal.mSqueezeRatio = camera->GetSqueezeRatio();
    focal.mApertureMode = mode;
    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    KFCurve* view = !take ? nullptr
                    : mode == KQelCamera::eHorizontalAndVertical ? take->GetCameraFieldOfViewX()
                                                                 : take->GetCameraFieldOfView();
    if (!view) {
        lens.setFocalLength(focal.Modify(camera->GetAngleOfView()));
    } else {
        if (view->KeyGetCount() == 0) {
            view->SetValue(focal.Modify(static_cast<float>(camera->GetAngleOfView())));
        } else {
            view->SetValue(focal.Modify(view->GetValue()));
            for (int i = 0, n = view->KeyGetCount(); i < n; ++i) {
                const float left = focal.Modify(view->KeyGetLeftBezierTangeant(i));
                const float right = focal.Modify(view->KeyGetRightBezierTangeant(i));
                KFCurveKey* key = view->KeyGetPtr(i);
                key->SetValue(focal.Modify(key->GetValue()));
                const kUInt tangent = key->GetTangeantMode();
                if (key->GetInterpolation() == kFCurveInterpolationCubic &&
                    (tangent == kFCurveTangentUser || tangent == kFCurveTangentUserBreak)) {
                    view->KeySetLeftBezierTangeant(i, left);
                    view->KeySetRightBezierTangeant(i, right);
                }
            }
        }
        MPlug plug = lens.findPlug("focalLength");
        SetVeskCurve(plug, *view, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0);
        lens.setFocalLength(view->GetValue());
    }

    // The roll turns the look-at group, the other way round.
    if (!pNode.GetTarget())
        return MStatus::kSuccess;
    MStatus status;
    MFnDagNode cameraNode(path->node());
    MFnDagNode group(cameraNode.parent(0, &status));
    MPlug twist = status ? group.findPlug("twist", &status) : MPlug();
    KFCurve* roll = take ? take->GetCameraRoll() : nullptr;
    if (!status || twist.isNull() || !roll)
        return MStatus::kSuccess;
    const bool radians = MAngle::internalUnit() == MAngle::kRadians;
    const double valueDivisor = radians ? -kRadiansToDegrees : -1.0;
    const double slopeDivisor = UiAngleIn(radians ? MAngle::kRadians : MAngle::kDegrees);
    SetVeskCurve(twist, *roll, MFnAnimCurve::kAnimCurveTA, valueDivisor, slopeDivisor);
    twist.setValue(roll->GetValue() * (radians ? -kDegreesToRadians : -1.0));
    return MStatus::kSuccess;
}
