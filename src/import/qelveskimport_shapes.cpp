// Shapes: the blend shape of a mesh or surface, its targets and its weight
// curves.
#include <vesk/MDagPath.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MFnMesh.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnTransform.h>
#include <vesk/MGlobal.h>
#include <vesk/MPointArray.h>

#include "content/kqelgeometry.h"
#include "content/kqelnurb.h"
#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"
#include "import/qelveskimportfunctions.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskutility.h"
#include "plugin/qelveskwrappers.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

// Shape channels are percent, host weights fractions; values and slopes are
// divided once.
const double kWeightValueDivisor = 100.0;
const double kWeightSlopeDivisor = 1.0;
const double kFullWeight = 1.0;

}  // namespace

void QelVeskImport::ImportShapeAnimation(QelVeskNode& pNode)
{
    const int type = AttributeType(pNode);
    const MDagPath* path = pNode.GetDagPath();
    if ((type != KQelNodeAttribute::eMesh && type != KQelNodeAttribute::eNurb &&
         type != KQelNodeAttribute::ePatch) ||
        !path || !path->isValid())
        return;
    KQelGeometry* geometry = static_cast<KQelGeometry*>(pNode.GetNodeAttribute());
    const int count = geometry->GetShapeCount();
    MFnDagNode transform(*path);
    MObject base = transform.child(0);
    MObject deformer;
    const bool found = QelVeskUtility::GetDependencyOfThisType(&base, MFn::kBlendShape, &deformer,
                                                               MItDependencyGraph::kUpstream, MFn::kBlendShape);
    if (count == 0) {
        if (found && pNode.mMerged)
            MGlobal::deleteNode(deformer);
        return;
    }
    // A merged node's blend shape keeps its targets and name: only its
    // weight curves are rewritten.
    const bool build = !found || !pNode.mMerged;
    bool named = !build;
    MStatus status;
    if (!found) {
        MFnBlendShapeDeformer made;
        deformer = made.create(path->node(), MFnBlendShapeDeformer::kLocalOrigin, &status);
    }
    MFnBlendShapeDeformer blendShape(deformer);
    blendShape.addBaseObject(base);
    MPlug weights = blendShape.findPlug("weight");
    QelVeskProgressMeter::Activate("This may take a while. Please wait!");

    KQelTakeNode* take = pNode.GetCurrentTakeNode();
    for (int i = 0; i < count; ++i) {
        if (!geometry->GetShape(i))
            continue;
        if (build)
            BuildShapeTarget(pNode, i, base, deformer, &named);
        KFCurve* channel = take ? geometry->GetShapeChannel(take, i) : nullptr;
        if (!channel)
            continue;
        MPlug weight = weights.elementByLogicalIndex(static_cast<unsigned int>(i));
        if (build) {
            // A channel without keys still gives its weight.
            if (channel->KeyGetCount() == 0)
                weight.setValue(channel->GetValue() / kWeightValueDivisor);
            MFnAnimCurve curve;
            curve.create(weight, nullptr, &status);
            if (status)
                SetVeskCurve(curve, *channel, kWeightValueDivisor, kWeightSlopeDivisor, nullptr);
            continue;
        }
        MFnAnimCurve curve(weight, &status);
        if (!status) {
            if (mFailedBlendShapeNodes.Find(&pNode) < 0)
                mFailedBlendShapeNodes.Add(&pNode);
        } else if (!IsDriven(weight)) {
            SetVeskCurve(curve, *channel, kWeightValueDivisor, kWeightSlopeDivisor, nullptr);
        }
    }
}

void QelVeskImport::BuildShapeTarget(QelVeskNode& pNode, int pIndex, MObject& pBase, MObject& pDeformer,
                                     bool* pNamed)
{
    KQelGeometry* geometry = static_cast<KQelGeometry*>(pNode.GetNodeAttribute());
    KQelShape* shape = geometry->GetShape(pIndex);
    const KString name(geometry->GetShapeName(pIndex));
    const int dot = name.Find('.');
    const KString prefix = dot >= 0 ? name.Left(static_cast<unsigned int>(dot)) : ShortName(pNode);
    const KString suffix = dot >= 0 ? name.Mid(static_cast<unsigned int>(dot) + 1) : name;
    MFnBlendShapeDeformer blendShape(pDeformer);
    if (!*pNamed) {
        blendShape.setName(MString((prefix + "_BlendShaper").Buffer()));
        *pNamed = true;
    }

    // A hidden top-level transform named after the whole shape.
    MStatus status;
    MFnTransform transform;
    const MObject holder = transform.create(MObject::kNullObj, &status);
    MDagPath holderPath;
    transform.getPath(holderPath);
    transform.setName(MString(name.Buffer()));

    MObject target;
    switch (AttributeType(pNode)) {
    case KQelNodeAttribute::eMesh: {
        MFnMesh mesh;
        target = mesh.copy(pBase, holder, &status);
        QelVeskProgressMeter::Activate("working...");
        const KQelVector4* points = shape->GetControlPoints();
        MPointArray positions;
        for (int i = 0, n = shape->GetControlPointsCount(); i < n; ++i)
            positions.append(MPoint(points[i][0], points[i][1], points[i][2], points[i][3]));
        status = mesh.setPoints(positions, MSpace::kObject);
        DebugCheckStatus(status, nullptr);
        QelVeskProgressMeter::Activate("...");
        mesh.setName(MString(suffix.Buffer()));
        break;
    }
    case KQelNodeAttribute::eNurb: {
        MPointArray vertices;
        MDoubleArray uKnots, vKnots;
        int uDegree = 0, vDegree = 0, uForm = 0, vForm = 0;
        if (!GetNURBData(static_cast<KQelNurb*>(geometry), shape->GetControlPoints(),
                         shape->GetControlPointsCount(), vertices, uKnots, vKnots, uDegree, vDegree, uForm, vForm,
                         &status, nullptr, nullptr))
            break;
        MFnNurbsSurface surface;
        target = surface.create(vertices, uKnots, vKnots, static_cast<unsigned int>(uDegree),
                                static_cast<unsigned int>(vDegree), static_cast<MFnNurbsSurface::Form>(uForm),
                                static_cast<MFnNurbsSurface::Form>(vForm), true, holder, &status);
        if (status)
            surface.setName(MString(suffix.Buffer()));
        else
            target = MObject::kNullObj;
        break;
    }
    default: {
        // A patch bound by the merge has no surface layout to build from.
        KString line("Shape ");
        line += name;
        line += " of ";
        line += ShortName(pNode);
        line += ": the geometry is a patch; no target was made.";
        Log(line.Buffer());
        break;
    }
    }
    if (!target.isNull())
        blendShape.addTarget(pBase, pIndex, target, kFullWeight);
    MPlug visibility;
    if (QelVeskUtility::FindPlug(&holderPath, visibility, "visibility"))
        visibility.setValue(false);
}
