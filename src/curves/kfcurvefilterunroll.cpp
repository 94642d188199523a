// The unroll filter and the application of the chosen rotation filter.
#include "curves/kfcurvefilterunroll.h"

#include <algorithm>
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilter_impl.h"
#include "curves/kfcurvefiltergimblekiller.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurverotation.h"
#include "curves/kfcurvesettings.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

const char* const kMessages[] = {"No key", "Left unchanged", "Need rotation curvenode", "Unexepected"};
const char* const kNotRotation = "Unroll Filter, Works only on rotation CurveNodes.";
const char* const kNoKey = "Unroll Filter, No key to be filtered.";

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kEpsilon = 2.220446049250313e-16;

// Layer type 2 with "X", "Y" and "Z" descendants that carry curves.
bool IsRotationNode(KFCurveNode& node)
{
    if (node.GetLayerType() != kFCurveNodeLayerEulerRotation)
        return false;
    for (const char* axis : {"X", "Y", "Z"}) {
        KFCurveNode* child = node.FindRecursive(axis);
        if (!child || !child->FCurveGet())
            return false;
    }
    return true;
}

}  // namespace

KFCurveFilterUnroll::KFCurveFilterUnroll() : KFCurveFilter("Unroll Filter", kMessages, 4)
{
    Reset();
}

void KFCurveFilterUnroll::Reset()
{
    mQualityTolerance = KFCURVE_GetRotationFilterUnrollQuality();
    mTestForPath = KFCURVE_GetRotationFilterUnrollTestForPath();
    KFCurveFilter::Reset();
}

bool KFCurveFilterUnroll::Apply(KFCurveNode& node, bool)
{
    if (!IsRotationNode(node)) {
        mError.SetLastError(2, kNotRotation);
        return false;
    }
    return DoUnroll(&node);
}

bool KFCurveFilterUnroll::Apply(KFCurve** curves, int count)
{
    if (!curves || count != 3 || !curves[0] || !curves[1] || !curves[2]) {
        mError.SetLastError(2, kNotRotation);
        return false;
    }
    kfcurvefilter_detail::BorrowedRotationNode rotation(curves[0], curves[1], curves[2]);
    return Apply(rotation.Node(), true);
}

bool KFCurveFilterUnroll::Apply(KFCurve&)
{
    mError.SetLastError(2, kNotRotation);
    return false;
}

double KFCurveFilterUnroll::InterpolationQualityFactor(const KgeRVector& a, const KgeRVector& b) const
{
    double d2 = 0.0;
    for (int i = 0; i < 3; ++i)
        d2 += (a[i] - b[i]) * (a[i] - b[i]);
    KgeRMatrix ra;
    KgeRMatrix rb;
    KmXYZtoR(ra, a[0], a[1], a[2]);
    KmXYZtoR(rb, b[0], b[1], b[2]);
    KgeRMatrix relative;
    KmRiR(relative, ra, rb);
    double q[4];
    KmRtoQ(q, relative);
    // Rounding may put w a hair outside [-1, 1], where acos is NaN.
    const double w = std::min(1.0, std::max(-1.0, q[3]));
    const double theta = 2.0 * std::acos(w) * kDegreesPerRadian;
    return d2 > kEpsilon ? theta * theta / d2 : 100.0;
}

bool KFCurveFilterUnroll::DoUnroll(KFCurveNode* node)
{
    if (!node || node->GetCount() != 3 || node->GetLayerType() != kFCurveNodeLayerEulerRotation) {
        mError.SetLastError(2, kNotRotation);
        return false;
    }
    KFCurve* curves[3];
    for (int axis = 0; axis < 3; ++axis) {
        curves[axis] = node->Get(axis) ? node->Get(axis)->FCurveGet() : nullptr;
        if (!curves[axis]) {
            mError.SetLastError(2, kNotRotation);
            return false;
        }
    }
    if (node->KeyGetCount() == 0) {
        mError.SetLastError(0, kNoKey);
        return false;
    }
    KTime start = KTIME_INFINITE;
    KTime stop = KTIME_MINUS_INFINITE;
    for (KFCurve* curve : curves) {
        const int n = curve->KeyGetCount();
        if (n > 0) {
            start = std::min(start, curve->KeyGetTime(0));
            stop = std::max(stop, curve->KeyGetTime(n - 1));
        }
    }
    start = std::max(start, mStart);
    stop = std::min(stop, mStop);

    KFCurveNode* copy = node->Clone(false);
    KFCurve* work[3];
    for (int axis = 0; axis < 3; ++axis)
        work[axis] = copy->Get(axis)->FCurveGet();
    KFCurveFilterKeySync sync;
    sync.SetStartTime(mStart);
    sync.SetStopTime(mStop);
    if (sync.NeedApply(work, 3))
        sync.Apply(work, 3);

    const int first = static_cast<int>(work[0]->KeyFind(start));
    const int last = static_cast<int>(work[0]->KeyFind(stop));
    if (first == -1) {
        mError.SetLastError(0, kNoKey);
        copy->Destroy();
        return false;
    }
    // Key k of X is read with key k of Y and Z (the synchronizer only
    // covers the filter's range): each must have that key.
    for (KFCurve* curve : work) {
        if (last >= curve->KeyGetCount()) {
            mError.SetLastError(3, "Unroll Filter, the X, Y and Z keys are not synchronized.");
            copy->Destroy();
            return false;
        }
    }

    const int order = node->GetRotationOrder();
    const bool continuous = order != kFCurveNodeSphericalXYZ;
    const int* axes = KmEulerAxis[order >= 0 && order < 12 ? order : 0];
    KgeRVector reference;
    if (first != 0)
        kfcurvefilter_detail::KeyAngles(reference, work, first);
    for (int k = first; k <= last; ++k) {
        KgeRVector current;
        kfcurvefilter_detail::KeyAngles(current, work, k);
        if (continuous)
            KVNGetContinuousRotation(current, current, reference, axes);
        for (int axis = 0; axis < 3; ++axis)
            work[axis]->KeySetValue(k, static_cast<float>(current[axis]));
        if (!mTestForPath || InterpolationQualityFactor(reference, current) >= mQualityTolerance)
            reference = current;
    }
    if (first != last)
        node->Replace(copy, mStart, mStop, false, true);
    copy->Destroy();
    return true;
}

void KFCURVE_ApplyRotationFilter(KFCurveNode* node, KTime start, KTime stop)
{
    if (!node)
        return;
    switch (KFCURVE_GetRotationFilterToApply()) {
    case 1: {
        KFCurveFilterGimbleKiller filter;
        filter.SetStartTime(start);
        filter.SetStopTime(stop);
        filter.Apply(*node, true);
        break;
    }
    case 2: {
        KFCurveFilterUnroll filter;
        filter.SetStartTime(start);
        filter.SetStopTime(stop);
        filter.Apply(*node, true);
        break;
    }
    default:
        break;
    }
}

}  // namespace qelsdk_600
