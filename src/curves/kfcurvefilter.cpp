// The filter base: time range, key bounds and the walks over trees and
// arrays that hand each curve to the derived single-curve form.
#include "curves/kfcurvefilter.h"

#include <algorithm>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilter_impl.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {

KFCurveFilter::KFCurveFilter(const char* name, const char* const* table, int count)
    : mName(name), mStart(0), mStop(0), mError(table, count)
{
}

KFCurveFilter::~KFCurveFilter() = default;

bool KFCurveFilter::NeedApply(KFCurveNode& node, bool recursive)
{
    bool need = false;
    if (recursive)
        for (int i = 0; i < node.GetCount(); ++i)
            if (KFCurveNode* child = node.Get(i))
                need = NeedApply(*child, recursive) || need;
    if (KFCurve* curve = node.FCurveGet())
        need = NeedApply(&curve, 1) || need;
    return need;
}

bool KFCurveFilter::NeedApply(KFCurve** curves, int count)
{
    bool need = false;
    for (int i = 0; curves && i < count; ++i)
        if (curves[i])
            need = NeedApply(*curves[i]) || need;
    return need;
}

bool KFCurveFilter::NeedApply(KFCurve&)
{
    return true;
}

bool KFCurveFilter::Apply(KFCurveNode& node, bool recursive)
{
    bool ok = true;
    if (recursive)
        for (int i = 0; i < node.GetCount(); ++i)
            if (KFCurveNode* child = node.Get(i))
                ok = Apply(*child, recursive) && ok;
    if (KFCurve* curve = node.FCurveGet())
        ok = Apply(*curve) && ok;
    return ok;
}

bool KFCurveFilter::Apply(KFCurve** curves, int count)
{
    bool ok = true;
    for (int i = 0; curves && i < count; ++i)
        if (curves[i])
            ok = Apply(*curves[i]) && ok;
    return ok;
}

void KFCurveFilter::Reset()
{
    mStart = KTIME_MINUS_INFINITE;
    mStop = KTIME_INFINITE;
}

void KFCurveFilter::UpdateProgressInformation(KTime, KTime) {}

int KFCurveFilter::GetStartKey(KFCurve& curve) const
{
    if (curve.KeyGetCount() == 0)
        return -1;
    const KTime t = std::max(mStart, curve.KeyGetTime(0));
    return static_cast<int>(std::max(curve.KeyFind(t) - 1.0, 0.0));
}

int KFCurveFilter::GetStopKey(KFCurve& curve) const
{
    const int count = curve.KeyGetCount();
    if (count == 0)
        return -1;
    const KTime t = std::min(mStop, curve.KeyGetTime(count - 1));
    // A stop before the first key finds -0.5, which truncates to key 0.
    return static_cast<int>(curve.KeyFind(t)) + 1;
}

namespace kfcurvefilter_detail {

void KeyWindow::Load(const KFCurveKey* const* keys, int count)
{
    mCurve.KeyModifyBegin(count);
    for (int i = 0; i < count; ++i)
        *mCurve.KeyGetPtr(i) = *keys[i];
    mCurve.KeyModifyEnd(count);
}

BorrowedRotationNode::BorrowedRotationNode(KFCurve* x, KFCurve* y, KFCurve* z)
    : mNode(KFCurveNodeCreate("R", nullptr, kFCurveNodeLayerEulerRotation))
{
    const char* names[3] = {"X", "Y", "Z"};
    KFCurve* curves[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis) {
        KFCurveNode* child = KFCurveNodeCreate(names[axis], KDataTypeNumber::DataType);
        child->FCurveSet(curves[axis], false);
        mNode->Add(child);
    }
}

BorrowedRotationNode::~BorrowedRotationNode()
{
    for (int i = 0; i < mNode->GetCount(); ++i)
        mNode->Get(i)->FCurveSet(nullptr, false);
    mNode->Destroy();
}

}  // namespace kfcurvefilter_detail

}  // namespace qelsdk_600
