// Transforms: the walk over the node tree, default transforms, rotation
// orders, pivots, limits and visibility.
#include <vector>

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnTransform.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "math/kmfunctions.h"
#include "object/kpropertytemplate.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskscript.h"
#include "plugin/qelveskutility.h"
#include "scene/kqellimits.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

// Host rotation order (1 to 6) to the SDK's order of pivot set 0.
const ERotationOrder kRotationOrders[] = {eEulerXYZ, eEulerYZX, eEulerZXY, eEulerXZY, eEulerYXZ, eEulerZYX};

// One group of host limits: the limit codes of X, Y and Z, the kind they
// fill, whether they are its maxima, the factor into SDK units and the
// kind's switch.
struct LimitGroup {
    MFnTransform::LimitType mAxes[3];
    KQelLimits KQelNodeLimits::*mLimits;
    bool mMaximum;
    double mFactor;
    void (KQelNodeLimits::*mActivate)(bool);
};

const LimitGroup kLimitGroups[] = {
    {{MFnTransform::kTranslateMinX, MFnTransform::kTranslateMinY, MFnTransform::kTranslateMinZ},
     &KQelNodeLimits::mTranslationLimits, false, 1.0, &KQelNodeLimits::SetTranslationLimitActive},
    {{MFnTransform::kTranslateMaxX, MFnTransform::kTranslateMaxY, MFnTransform::kTranslateMaxZ},
     &KQelNodeLimits::mTranslationLimits, true, 1.0, &KQelNodeLimits::SetTranslationLimitActive},
    {{MFnTransform::kRotateMinX, MFnTransform::kRotateMinY, MFnTransform::kRotateMinZ},
     &KQelNodeLimits::mRotationLimits, false, sgRadiansToDegrees, &KQelNodeLimits::SetRotationLimitActive},
    {{MFnTransform::kRotateMaxX, MFnTransform::kRotateMaxY, MFnTransform::kRotateMaxZ},
     &KQelNodeLimits::mRotationLimits, true, sgRadiansToDegrees, &KQelNodeLimits::SetRotationLimitActive},
    {{MFnTransform::kScaleMinX, MFnTransform::kScaleMinY, MFnTransform::kScaleMinZ},
     &KQelNodeLimits::mScalingLimits, false, 1.0, &KQelNodeLimits::SetScalingLimitActive},
    {{MFnTransform::kScaleMaxX, MFnTransform::kScaleMaxY, MFnTransform::kScaleMaxZ},
     &KQelNodeLimits::mScalingLimits, true, 1.0, &KQelNodeLimits::SetScalingLimitActive},
};

// The take node's nine transform curves: translation, rotation, scaling,
// X, Y, Z each.
void TransformCurves(KQelTakeNode& pTake, KFCurve* pCurves[9])
{
    static const KQelTakeNode::EChannel kChannels[9] = {
        KQelTakeNode::eTranslationX,   KQelTakeNode::eTranslationY,   KQelTakeNode::eTranslationZ,
        KQelTakeNode::eEulerRotationX, KQelTakeNode::eEulerRotationY, KQelTakeNode::eEulerRotationZ,
        KQelTakeNode::eScaleX,         KQelTakeNode::eScaleY,         KQelTakeNode::eScaleZ,
    };
    for (int i = 0; i < 9; ++i)
        pCurves[i] = pTake.GetChannel(kChannels[i]);
}

// The curves [pFirst, pFirst + 3) of the take lose every key and hold pValue.
void ResetCurves(KQelTakeNode& pTake, int pFirst, float pValue, bool pDeleteKeys)
{
    KFCurve* curves[9];
    TransformCurves(pTake, curves);
    for (int i = pFirst; i < pFirst + 3; ++i) {
        if (!curves[i])
            continue;
        if (pDeleteKeys)
            curves[i]->Delete(KTime(KTime::kMinusInfiniteTicks), KTime(KTime::kInfiniteTicks));
        curves[i]->SetValue(pValue);
    }
}
constexpr int kRotationCurves = 3;
constexpr int kScalingCurves = 6;

// The host's visibility of the path through "getAttr"; false when the query
// fails.
bool QueryVisibility(const MDagPath& pPath, int& pValue)
{
    const MString plug = pPath.fullPathName() + ".visibility";
    KString text("getAttr ");
    text += QelVeskQuote(plug.asChar());
    bool ok = false;
    pValue = QelVeskQueryInt(text.Buffer(), &ok);
    return ok;
}

KQelVector4 Point(double pX, double pY, double pZ)
{
    return KQelVector4(pX, pY, pZ, 1.0);
}

}  // namespace

// ---- The walk ----

MStatus QelVeskExport::ExportTransform(QelVeskNode& pNode)
{
    // Parents before children, children in order, with an explicit stack:
    // skeletons can be far deeper than the thread's stack allows recursion.
    struct Visit {
        KQelNode* mNode;
        int mNextChild;
    };
    std::vector<Visit> pending;
    MStatus status = ExportNodeTransform(pNode);
    if (!status)
        return status;
    pending.push_back(Visit{&pNode, 0});
    while (!pending.empty()) {
        Visit& top = pending.back();
        if (top.mNextChild < top.mNode->GetChildCount(false)) {
            KQelNode* child = top.mNode->GetChild(top.mNextChild++);
            status = ExportNodeTransform(*static_cast<QelVeskNode*>(child));
            if (!status)
                return status;
            pending.push_back(Visit{child, 0});
            continue;
        }
        QelVeskProgressMeter::Activate(top.mNode->GetName());
        pending.pop_back();
    }
    return MStatus::kSuccess;
}

MStatus QelVeskExport::ExportNodeTransform(QelVeskNode& pNode)
{
    const MDagPath* bound = pNode.GetDagPath();
    if (!bound)
        return MStatus::kSuccess;
    MDagPath path = *bound;
    bool lightAnimated = false, cameraAnimated = false;
    if (path.hasFn(MFn::kLight))
        lightAnimated = ExportLights(path, pNode);
    else if (path.hasFn(MFn::kCamera))
        cameraAnimated = ExportCamera(pNode);
    ExportPivots(pNode, KQelNode::eSourcePivot);
    ExportLimits(pNode);
    ExportRotationOrder(pNode);

    MFnTransform transform(path.transform());
    pNode.SetDagPath(&path);
    KQelTakeNode* defaultTake = pNode.GetDefaultTakeNode();
    if (defaultTake)
        ExportDefaultTransform(transform, *defaultTake);

    KFCurve visibility;
    const bool visibilityAnimated = ExportAnimatedVisibility(pNode, visibility);
    const bool animated = QelVeskUtility::IsAnimated(transform);
    const bool userAnimated = QelVeskUtility::IsUserPropertiesAnimated(transform);
    const bool isCamera = path.hasFn(MFn::kCamera);
    const bool aimedCamera = isCamera && pNode.GetTarget() != nullptr;

    if (animated || visibilityAnimated || lightAnimated || cameraAnimated || userAnimated) {
        SetCurrentTakeOnNode(pNode, sgAnimationTake);
        if (KQelTakeNode* take = pNode.GetCurrentTakeNode()) {
            KFCurveNode* curves = take->GetKFCurveNode();
            if (animated || lightAnimated || cameraAnimated) {
                ExportDefaultTransform(transform, *take);
                ConvertVeskCurve(transform, *curves, false);
                if (!aimedCamera)
                    AdjustTransform(pNode, transform, *curves);
                if (isCamera) {
                    ResetCurves(*take, kScalingCurves, 1.0f, true);
                    if (aimedCamera)
                        ResetCurves(*take, kRotationCurves, 0.0f, true);
                }
            }
            if (visibilityAnimated)
                if (KFCurve* curve = take->GetVisibility())
                    curve->CopyFrom(visibility, true);
            if (userAnimated)
                ExportUserProperties(pNode, transform);
        }
    }
    if (defaultTake) {
        if (isCamera)
            ResetCurves(*defaultTake, kScalingCurves, 1.0f, false);
        if (!aimedCamera)
            AdjustTransform(pNode, transform, *defaultTake->GetKFCurveNode());
    }
    return MStatus::kSuccess;
}

// ---- One node's transform ----

void QelVeskExport::ExportRotationOrder(QelVeskNode& pNode)
{
    const MDagPath* path = pNode.GetDagPath();
    if (!path)
        return;
    const int order = MFnTransform(path->transform()).rotationOrder();
    if (order >= MTransformationMatrix::kXYZ && order <= MTransformationMatrix::kZYX)
        pNode.SetRotationOrder(KQelNode::eSourcePivot, kRotationOrders[order - MTransformationMatrix::kXYZ]);
}

void QelVeskExport::ExportDefaultTransform(MFnTransform pTransform, KQelTakeNode& pTake)
{
    const MVector translation = pTransform.translation(MSpace::kTransform);
    MEulerRotation rotation;
    pTransform.getRotation(rotation);
    double scale[3] = {1.0, 1.0, 1.0};
    pTransform.getScale(scale);
    const double values[9] = {
        translation.x, translation.y, translation.z,
        rotation.x * sgRadiansToDegrees, rotation.y * sgRadiansToDegrees, rotation.z * sgRadiansToDegrees,
        scale[0], scale[1], scale[2],
    };
    KFCurve* curves[9];
    TransformCurves(pTake, curves);
    for (int i = 0; i < 9; ++i)
        if (curves[i])
            curves[i]->SetValue(detail::SaturateToFloat(values[i]));
}

void QelVeskExport::ExportPivots(QelVeskNode& pNode, KQelNode::EPivotSet pSet)
{
    const MDagPath* path = pNode.GetDagPath();
    if (!path)
        return;
    const MFnTransform transform(path->transform());

    MPoint orient;
    QelVeskUtility::GetJointOrient(transform, orient);
    pNode.SetPreRotation(pSet, KQelVector4(orient.x, orient.y, orient.z, 0.0));

    // The rotate axis turns before the rotation: the post-rotation undoes it.
    MPoint axis;
    QelVeskUtility::GetRotateAxis(transform, axis);
    KgeRMatrix rotation, inverse;
    KmXYZtoR(rotation, axis.x, axis.y, axis.z);
    KmRi(inverse, rotation);
    double angles[3];
    KmRtoVXYZ(angles, inverse);
    pNode.SetPostRotation(pSet, Point(angles[0], angles[1], angles[2]));

    const MPoint rotatePivot = transform.rotatePivot(MSpace::kTransform);
    pNode.SetRotationPivot(pSet, Point(rotatePivot.x, rotatePivot.y, rotatePivot.z));
    const MVector rotateOffset = transform.rotatePivotTranslation(MSpace::kTransform);
    pNode.SetRotationOffset(pSet, Point(rotateOffset.x, rotateOffset.y, rotateOffset.z));
    const MPoint scalePivot = transform.scalePivot(MSpace::kTransform);
    pNode.SetScalingPivot(pSet, Point(scalePivot.x, scalePivot.y, scalePivot.z));
    const MVector scaleOffset = transform.scalePivotTranslation(MSpace::kTransform);
    pNode.SetScalingOffset(pSet, Point(scaleOffset.x, scaleOffset.y, scaleOffset.z));

    pNode.SetPivotState(pSet, KQelNode::ePivotActive);
    pNode.GetLimits().SetRotationLimitActive(true);
}

void QelVeskExport::ExportLimits(QelVeskNode& pNode)
{
    const MDagPath* path = pNode.GetDagPath();
    if (!path)
        return;
    const MFnTransform transform(path->transform());
    KQelNodeLimits limits(pNode.GetLimits());
    for (const LimitGroup& group : kLimitGroups) {
        bool active[3] = {false, false, false};
        KQelVector4 values;
        for (int axis = 0; axis < 3; ++axis) {
            if (!transform.isLimited(group.mAxes[axis]))
                continue;
            active[axis] = true;
            values[axis] = transform.limitValue(group.mAxes[axis]) * group.mFactor;
        }
        if (active[0] || active[1] || active[2])
            (limits.*group.mActivate)(true);
        KQelLimits& kind = limits.*group.mLimits;
        if (group.mMaximum) {
            kind.SetLimitMaxActive(active[0], active[1], active[2]);
            kind.SetLimitMax(values);
        } else {
            kind.SetLimitMinActive(active[0], active[1], active[2]);
            kind.SetLimitMin(values);
        }
    }
    pNode.GetLimits() = limits;
}

// ---- Visibility ----

bool QelVeskExport::GetNodeVisibility(MFnDagNode& pNode)
{
    MDagPath path;
    if (!pNode.getPath(path))
        return true;
    bool visible = true;
    int value = 0;
    if (QueryVisibility(path, value))
        visible = value != 0;
    // A shape shows only when the transform above it does too.
    if (visible && path.apiType() != MFn::kTransform) {
        MDagPath above(path);
        if (above.pop(1) && above.apiType() == MFn::kTransform && QueryVisibility(above, value))
            visible = value != 0;
    }
    return visible;
}

bool QelVeskExport::ExportAnimatedVisibility(QelVeskNode& pNode, KFCurve& pCurve)
{
    const MDagPath* path = pNode.GetDagPath();
    if (!path)
        return false;
    MStatus status;
    const MFnDependencyNode dependencyNode(path->node(), &status);
    if (!status)
        return false;
    const MPlug plug = dependencyNode.findPlug("visibility", &status);
    if (!status || plug.isNull())
        return false;
    MFnAnimCurve hostCurve(plug, &status);
    if (!status)
        return false;
    SetFCurve(hostCurve, pCurve, false, 1.0);
    if (pCurve.KeyGetCount() == 0)
        return false;
    pNode.SetVisibility(true);
    return true;
}
