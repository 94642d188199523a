// NURBS surfaces: the host's surface with its U and V directions exchanged,
// which puts the host's control points in the SDK's storage order.
#include <cmath>

#include <vesk/MDoubleArray.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MPlug.h>
#include <vesk/MPoint.h>

#include "content/kqelnurb.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_geometry_impl.h"
#include "export/qelveskexport_impl.h"
#include "plugin/qelvesknode.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

// Display steps above this are not kept.
constexpr double kMaxStep = 15.0;

// The SDK type of a host form; false for a form that is none of open,
// closed and periodic. A closed host direction is written open with all of
// its control points.
bool TypeOfForm(MFnNurbsSurface::Form pForm, KQelNurb::ENurbType& pType)
{
    switch (pForm) {
    case MFnNurbsSurface::kOpen:
    case MFnNurbsSurface::kClosed:
        pType = KQelNurb::kOpen;
        return true;
    case MFnNurbsSurface::kPeriodic:
        pType = KQelNurb::kPeriodic;
        return true;
    default:
        return false;
    }
}

// The SDK knot vector of one direction: the host's knots with one knot
// extrapolated before and after. Nothing unless the vector holds exactly
// those.
void FillKnots(const MDoubleArray& pHost, double* pKnots, int pCount)
{
    const int n = static_cast<int>(pHost.length());
    if (!pKnots || n < 2 || pCount != n + 2)
        return;
    pKnots[0] = 2.0 * pHost[0] - pHost[1];
    for (int i = 0; i < n; ++i)
        pKnots[i + 1] = pHost[static_cast<unsigned int>(i)];
    pKnots[n + 1] = 2.0 * pHost[static_cast<unsigned int>(n - 1)] - pHost[static_cast<unsigned int>(n - 2)];
}

int DisplayStep(const MFnNurbsSurface& pSurface)
{
    double step = 1.0;
    MStatus status;
    const MPlug plug = pSurface.findPlug("curvePrecisionShaded", &status);
    if (status)
        plug.getValue(step);
    if (!(step <= kMaxStep))
        step = kMaxStep;
    // The plug holds an int: anything below that range is out of it.
    if (step < -2147483648.0)
        step = -2147483648.0;
    return static_cast<int>(step);
}

}  // namespace

QelVeskNode* QelVeskExport::ExportGeometryNurb(MDagPath& pPath, MFnDagNode& pNode)
{
    ShapeRead read(pPath);
    if (!read.Find(mLogFile, pPath, pNode, mWrapDeformerWarned))
        return nullptr;
    const MObject& input = read.mInputGeometry;
    MFnNurbsSurface shapeSurface(read.mShape);
    MStatus status;
    MFnNurbsSurface surface(read.mUndeformed, &status);
    if (!status) {
        status.perror("MFnNurbsSurface constructor");
        return nullptr;
    }
    MStatus inputStatus;
    MFnNurbsSurface inputSurface(input, &inputStatus);

    QelVeskNode* node = mManager.CreateQelVeskNode(pNode.name().asChar(), &pPath);
    node->SetShadingMode(KQelNode::eTextureShading);
    node->SetShapeIndex(0);
    node->SetVisibility(GetNodeVisibility(shapeSurface));
    Register(pPath, node);

    KQelNurb* nurb = mManager.CreateKQelNurb();
    if (!nurb)
        return node;
    const int degreeU = surface.degreeU(), degreeV = surface.degreeV();
    nurb->SetOrder(static_cast<unsigned int>(degreeV + 1), static_cast<unsigned int>(degreeU + 1));
    KQelNurb::ENurbType uType, vType;
    if (!TypeOfForm(surface.formInV(), uType) || !TypeOfForm(surface.formInU(), vType))
        return node;
    const int uCount = surface.numCVsInV() - (uType == KQelNurb::kPeriodic ? degreeV : 0);
    const int vCount = surface.numCVsInU() - (vType == KQelNurb::kPeriodic ? degreeU : 0);
    nurb->InitControlPoints(uCount, uType, vCount, vType);
    const int step = DisplayStep(surface);
    nurb->SetStep(step, step);

    MDoubleArray knotsU, knotsV;
    surface.getKnotsInU(knotsU);
    surface.getKnotsInV(knotsV);
    FillKnots(knotsV, nurb->GetUKnotVector(), nurb->GetUKnotCount());
    FillKnots(knotsU, nurb->GetVKnotVector(), nurb->GetVKnotCount());

    // The input geometry supplies the points only when it is a surface of
    // the same control points.
    const bool useInput = !input.isNull() && inputStatus && inputSurface.numCVsInU() == surface.numCVsInU() &&
                          inputSurface.numCVsInV() == surface.numCVsInV();
    const MFnNurbsSurface& source = useInput ? inputSurface : surface;
    KQelVector4* points = nurb->GetControlPoints();
    const int sdkU = nurb->GetUCount(), sdkV = nurb->GetVCount();
    if (points && nurb->GetControlPointsCount() == sdkU * sdkV) {
        MPoint cv;
        for (int i = 0; i < sdkV; ++i)
            for (int j = 0; j < sdkU; ++j) {
                cv = MPoint(0.0, 0.0, 0.0, 1.0);
                source.getCV(static_cast<unsigned int>(i), static_cast<unsigned int>(j), cv, MSpace::kObject);
                points[i * sdkU + j] = KQelVector4(cv.x, cv.y, cv.z, cv.w);
            }
    }
    node->SetNodeAttribute(nurb);
    return node;
}
