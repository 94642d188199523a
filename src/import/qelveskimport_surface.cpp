// NURBS surfaces: the host layout of an SDK surface and the host surface of
// a NURBS node (patches arrive converted to NURBS).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <vesk/MDagPath.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MFnBlendShapeDeformer.h>
#include <vesk/MFnNurbsSurface.h>
#include <vesk/MFnTransform.h>
#include <vesk/MPlug.h>
#include <vesk/MPointArray.h>

#include "content/kqelnurb.h"
#include "import/qelveskimport.h"
#include "import/qelveskimport_impl.h"

using namespace qelsdk_600;
using namespace qelveskimport;

namespace {

const int kOpenForm = 1;
const int kPeriodicForm = 3;
const double kKnotSpacingTolerance = 1e-07;
// Every double of this magnitude or more is a whole number, which six
// decimals leave as it is.
const double kWholeNumbersFrom = 4503599627370496.0;  // 2^52

// The value of the knot's "%f" text read back. Below 2^52 the text has at
// most 16 digits before the point, so the buffer always holds it.
double RoundToSixDecimals(double pKnot)
{
    if (!std::isfinite(pKnot) || std::fabs(pKnot) >= kWholeNumbersFrom)
        return pKnot;
    char text[64];
    std::snprintf(text, sizeof text, "%f", pKnot);
    return std::strtod(text, nullptr);
}

// One SDK direction as the host needs it.
struct Direction {
    int mCount;
    unsigned int mOrder;
    bool mWraps;  // periodic or closed
    const double* mKnots;
    int mKnotCount;

    // Points written again after the last one.
    int Wrap() const { return mWraps ? static_cast<int>(mOrder) - 1 : 0; }
    // The checks that keep every read within the points and knots.
    bool Readable() const
    {
        return mCount >= 1 && mOrder >= 1 && mOrder <= static_cast<unsigned int>(INT_MAX) && mKnots &&
               mKnotCount >= 2 && Wrap() <= mCount && (!mWraps || mKnotCount - 2 >= 2);
    }
    // Knots less the first and last, rounded; the form, and whether a
    // periodic or closed direction had to be built open.
    void HostKnots(MDoubleArray& pKnots, int& pForm, bool& pOpened) const
    {
        pKnots.clear();
        for (int i = 1; i < mKnotCount - 1; ++i)
            pKnots.append(RoundToSixDecimals(mKnots[i]));
        pForm = kOpenForm;
        pOpened = false;
        if (!mWraps)
            return;
        const double first = pKnots[1] - pKnots[0];
        for (unsigned int i = 2; i < pKnots.length(); ++i)
            if (std::fabs(pKnots[i] - pKnots[i - 1] - first) > kKnotSpacingTolerance) {
                pOpened = true;
                return;
            }
        pForm = kPeriodicForm;
    }
};

Direction DirectionOf(KQelNurb& pNurb, bool pU)
{
    Direction d;
    d.mCount = pU ? pNurb.GetUCount() : pNurb.GetVCount();
    d.mOrder = pU ? pNurb.GetUOrder() : pNurb.GetVOrder();
    const KQelNurb::ENurbType type = pU ? pNurb.GetUType() : pNurb.GetVType();
    d.mWraps = type == KQelNurb::kPeriodic || type == KQelNurb::kClosed;
    d.mKnots = pU ? pNurb.GetUKnotVector() : pNurb.GetVKnotVector();
    d.mKnotCount = pU ? pNurb.GetUKnotCount() : pNurb.GetVKnotCount();
    return d;
}

}  // namespace

bool QelVeskImport::GetNURBData(KQelNurb* pNurb, const KQelVector4* pPoints, int pPointCount,
                                MPointArray& pControlVertices, MDoubleArray& pUKnots, MDoubleArray& pVKnots,
                                int& pUDegree, int& pVDegree, int& pUForm, int& pVForm, MStatus* pStatus,
                                bool* pSdkUOpened, bool* pSdkVOpened)
{
    if (pSdkUOpened)
        *pSdkUOpened = false;
    if (pSdkVOpened)
        *pSdkVOpened = false;
    if (!pNurb || !pPoints)
        return false;
    const Direction u = DirectionOf(*pNurb, true);
    const Direction v = DirectionOf(*pNurb, false);
    if (!u.Readable() || !v.Readable() ||
        static_cast<long long>(u.mCount) * v.mCount > static_cast<long long>(pPointCount))
        return false;

    for (int row = 0; row < v.mCount + v.Wrap(); ++row) {
        const KQelVector4* points = pPoints + static_cast<size_t>(row % v.mCount) * static_cast<size_t>(u.mCount);
        for (int column = 0; column < u.mCount + u.Wrap(); ++column) {
            const KQelVector4& point = points[column % u.mCount];
            const MStatus status = pControlVertices.append(MPoint(point[0], point[1], point[2], 1.0));
            if (pStatus)
                *pStatus = status;
        }
    }
    bool uOpened = false, vOpened = false;
    v.HostKnots(pUKnots, pUForm, vOpened);
    u.HostKnots(pVKnots, pVForm, uOpened);
    pUDegree = static_cast<int>(v.mOrder) - 1;
    pVDegree = static_cast<int>(u.mOrder) - 1;
    if (pSdkUOpened)
        *pSdkUOpened = uOpened;
    if (pSdkVOpened)
        *pSdkVOpened = vOpened;
    return true;
}

void QelVeskImport::CreateNurbGeometry(QelVeskNode* pNode)
{
    if (!pNode)
        return;
    MFnTransform transform;
    CreateBoundTransform(*pNode, transform, "Cannot create Nurb");
    if (AttributeType(*pNode) != KQelNodeAttribute::eNurb)
        return;
    KQelNurb* nurb = static_cast<KQelNurb*>(pNode->GetNodeAttribute());
    const MDagPath transformPath = *pNode->GetDagPath();

    MStatus status;
    MPointArray controlVertices;
    MDoubleArray uKnots, vKnots;
    int uDegree = 0, vDegree = 0, uForm = kOpenForm, vForm = kOpenForm;
    bool sdkUOpened = false, sdkVOpened = false;
    const bool readable = GetNURBData(nurb, nurb->GetControlPoints(), nurb->GetControlPointsCount(), controlVertices,
                                      uKnots, vKnots, uDegree, vDegree, uForm, vForm, &status, &sdkUOpened,
                                      &sdkVOpened);
    pNode->mUKnotsNonUniform = sdkUOpened;
    pNode->mVKnotsNonUniform = sdkVOpened;
    MFnNurbsSurface surface;
    MObject made;
    if (readable)
        made = surface.create(controlVertices, uKnots, vKnots, static_cast<unsigned int>(uDegree),
                              static_cast<unsigned int>(vDegree), static_cast<MFnNurbsSurface::Form>(uForm),
                              static_cast<MFnNurbsSurface::Form>(vForm), true, transformPath.node(), &status);
    if (!readable || !status) {
        MStatus(MStatus::kFailure).perror("Cannot create Nurb");
        KString line("Cannot create Nurb ");
        line += ShortName(*pNode);
        line += readable ? ": the host refused the surface." : ": its orders, counts or knots cannot be read.";
        Log(line.Buffer());
        return;
    }

    const int steps = std::max(0, std::max(nurb->GetUStep(), nurb->GetVStep()));
    MFnNurbsSurface shape(made);
    shape.findPlug("curvePrecisionShaded").setValue(static_cast<short>(std::min(steps, 32767)));
    AddUserProperties(transform, pNode);
    if (nurb->GetShapeCount() > 0) {
        MFnBlendShapeDeformer blendShape;
        blendShape.create(transformPath.node(), MFnBlendShapeDeformer::kLocalOrigin, &status);
    }
}
