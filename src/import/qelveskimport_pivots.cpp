// What finishes a node's host transform after its curves: pivots, limits
// and visibility.
#include <vesk/MDagPath.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MPlug.h>
#include <vesk/MStringArray.h>
#include <vesk/MVector.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "math/kmfunctions.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskutility.h"
#include "scene/kqellimits.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// A visibility value above this counts as visible.
const double kVisibleAbove = 1e-05;

double Visible(double pValue)
{
    return pValue > kVisibleAbove ? 1.0 : 0.0;
}

MPoint PointOf(const KQelVector4& pVector)
{
    return MPoint(pVector[0], pVector[1], pVector[2]);
}

MVector VectorOf(const KQelVector4& pVector)
{
    return MVector(pVector[0], pVector[1], pVector[2]);
}

// One limit group: its switch, its limits, how a bound in SDK units becomes
// one in the host's UI units, and each axis's command start and enable
// option.
enum ELimitUnit { eDistanceLimit, eAngleLimit, eFactorLimit };
struct LimitGroup {
    bool (KQelNodeLimits::*mActive)() const;
    KQelLimits KQelNodeLimits::*mLimits;
    ELimitUnit mUnit;
    const char* mStart[3];
    const char* mEnable[3];
};

const LimitGroup kLimitGroups[] = {
    {&KQelNodeLimits::GetTranslationLimitActive,
     &KQelNodeLimits::mTranslationLimits,
     eDistanceLimit,
     {"transformLimits -tx ", "transformLimits -ty ", "transformLimits -tz "},
     {" -etx ", " -ety ", " -etz "}},
    {&KQelNodeLimits::GetRotationLimitActive,
     &KQelNodeLimits::mRotationLimits,
     eAngleLimit,
     {"transformLimits -rx ", "transformLimits -ry ", "transformLimits -rz "},
     {" -erx ", " -ery ", " -erz "}},
    {&KQelNodeLimits::GetScalingLimitActive,
     &KQelNodeLimits::mScalingLimits,
     eFactorLimit,
     {"transformLimits -sx ", "transformLimits -sy ", "transformLimits -sz "},
     {" -esx ", " -esy ", " -esz "}},
};

}  // namespace

void QelVeskImport::ImportPivots(MFnTransform& pTransform, QelVeskNode& pNode)
{
    const KQelNode::EPivotSet set = KQelNode::eSourcePivot;
    KQelNode::EPivotState state = KQelNode::ePivotActive;
    pNode.GetPivotState(set, state);
    if (state != KQelNode::ePivotActive)
        return;
    QelVeskUtility::SetJointOrient(pTransform, PointOf(pNode.GetPreRotation(set)));
    // The rotate axis undoes the post-rotation.
    const KQelVector4 post = pNode.GetPostRotation(set);
    KgeAMatrix rotation, inverse;
    KmXYZtoR(rotation, post[0], post[1], post[2]);
    KmRi(inverse, rotation);
    double axis[3];
    KmRtoVXYZ(axis, inverse);
    QelVeskUtility::SetRotateAxis(pTransform, MPoint(axis[0], axis[1], axis[2]));
    pTransform.setRotatePivot(PointOf(pNode.GetRotationPivot(set)), MSpace::kTransform, false);
    pTransform.setRotatePivotTranslation(VectorOf(pNode.GetRotationOffset(set)), MSpace::kTransform);
    pTransform.setScalePivot(PointOf(pNode.GetScalingPivot(set)), MSpace::kTransform, false);
    pTransform.setScalePivotTranslation(VectorOf(pNode.GetScalingOffset(set)), MSpace::kTransform);
}

void QelVeskImport::ImportLimits(MFnTransform&, QelVeskNode& pNode)
{
    const KQelNodeLimits& limits = pNode.GetLimits();
    if (!pNode.GetDagPath() || (!limits.GetTranslationLimitActive() && !limits.GetRotationLimitActive() &&
                                !limits.GetScalingLimitActive()))
        return;
    const KString path = QelVeskQuote(pNode.GetDagPath()->fullPathName().asChar());
    // The command takes bounds in the UI units.
    const double distance = 1.0 / QelVeskUtility::DistanceUnitRatio();
    const double angle = 1.0 / UiAngleIn(MAngle::kDegrees);
    const double perUiUnit[] = {distance, angle, 1.0};
    for (const LimitGroup& group : kLimitGroups) {
        if (!(limits.*group.mActive)())
            continue;
        const KQelLimits& bounds = limits.*group.mLimits;
        KQelVector4 minimum = bounds.GetLimitMin();
        KQelVector4 maximum = bounds.GetLimitMax();
        bool minActive[3], maxActive[3];
        bounds.GetLimitMinActive(minActive[0], minActive[1], minActive[2]);
        bounds.GetLimitMaxActive(maxActive[0], maxActive[1], maxActive[2]);
        for (int axis = 0; axis < 3; ++axis) {
            // A crossed bound that is off gives way to the other.
            if (minimum[axis] > maximum[axis] && !maxActive[axis])
                maximum[axis] = minimum[axis];
            else if (minimum[axis] > maximum[axis] && !minActive[axis])
                minimum[axis] = maximum[axis];
            MString command(group.mStart[axis]);
            command += minimum[axis] * perUiUnit[group.mUnit];
            command += " ";
            command += maximum[axis] * perUiUnit[group.mUnit];
            command += group.mEnable[axis];
            command += minActive[axis] ? 1 : 0;
            command += " ";
            command += maxActive[axis] ? 1 : 0;
            command += " ";
            command += path.Buffer();
            MStringArray result;
            MGlobal::executeCommand(command, result, false, false);
        }
    }
}

MStatus QelVeskImport::ImportAnimationVisibility(QelVeskNode& pNode)
{
    MPlug plug;
    const MStatus found = QelVeskUtility::FindPlug(pNode, plug, "visibility");
    if (!found)
        return found;
    KQelTakeNode* defaults = pNode.GetDefaultTakeNode();
    KQelTakeNode* current = pNode.GetCurrentTakeNode();
    if (current && current != defaults) {
        if (KFCurve* curve = current->GetVisibility()) {
            for (int i = 0, n = curve->KeyGetCount(); i < n; ++i) {
                KFCurveKey* key = curve->KeyGetPtr(i);
                key->SetValue(static_cast<float>(Visible(key->GetValue())));
                key->SetInterpolation(kFCurveInterpolationConstant);
            }
            SetVeskCurve(plug, *curve, MFnAnimCurve::kAnimCurveTU, 1.0, 1.0);
        }
    }
    KFCurve* staticCurve = defaults ? defaults->GetVisibility() : nullptr;
    const double value = staticCurve ? Visible(staticCurve->GetValue()) : 1.0;
    plug.setValue(pNode.GetVisibility() ? value : 0.0);
    return MStatus::kSuccess;
}
