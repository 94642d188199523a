// Tangent breaking and fidelity refinement of smart-plotted curves.
#include "curves/kfcurve_smartplot.h"

#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"

namespace qelsdk_600 {

namespace {

// Refinement stops once a part is no longer than 1/120 s.
constexpr kLongLong kSmallestFidelityStep = 384884650LL;

// start + offset ticks, computed without signed overflow (offset never takes
// the result past a time the caller already holds).
KTime Advance(KTime start, kULongLong offset)
{
    return KTime(static_cast<kLongLong>(static_cast<kULongLong>(start.Get()) + offset));
}

}  // namespace

void KFCURVE_BreakTangentAt(int index, KFCurve* curve, KFCurve* reference, KTime period, double threshold)
{
    if (!curve || !reference || period.Get() <= 0 || index < 0 || index >= curve->KeyGetCount())
        return;
    const KTime time = curve->KeyGetTime(index);
    const double value = curve->KeyGetValue(index);
    const double seconds = period.GetSecondDouble();
    const bool last = index == curve->KeyGetCount() - 1;
    double left = 0.0;
    double right = 0.0;
    bool changed = false;
    if (index > 0) {
        left = (value - reference->Evaluate(time - period)) / seconds;
        changed = std::fabs(left - curve->KeyGetLeftDerivative(index)) > threshold;
    }
    if (!last) {
        right = (reference->Evaluate(time + period) - value) / seconds;
        changed = changed || std::fabs(right - curve->KeyGetRightDerivative(index)) > threshold;
    }
    if (!changed)
        return;
    // The mode goes first so that both derivatives are stored in user form.
    curve->KeySetTangeantMode(index, kFCurveTangentUserBreak);
    curve->KeySetLeftDerivative(index, static_cast<float>(left));
    curve->KeySetRightDerivative(index, static_cast<float>(right));
}

void KFCURVE_BreakTangents(KFCurveNode* node, KFCurveNode* reference, KTime period, double threshold)
{
    if (!node || !reference || period.Get() <= 0 || node->GetCount() != reference->GetCount())
        return;
    if (KFCurve* curve = node->FCurveGet()) {
        KFCurve* referenceCurve = reference->FCurveGet();
        if (!referenceCurve)
            return;
        for (int i = 0; i < curve->KeyGetCount(); ++i)
            KFCURVE_BreakTangentAt(i, curve, referenceCurve, period, threshold);
        return;
    }
    for (int i = 0, n = node->GetCount(); i < n; ++i)
        KFCURVE_BreakTangents(node->Get(i), reference->Get(i), period, threshold);
}

void KFCURVE_IncreaseFidelityAddKey(KTime time, double value, KFCurve* curve, KFCurve* reference,
                                    bool breakTangents, KTime period, double threshold)
{
    if (!curve)
        return;
    const int index = curve->KeyInsert(time);
    if (index < 0 || index >= curve->KeyGetCount())
        return;
    curve->KeySetValue(index, static_cast<float>(value));
    if (breakTangents)
        KFCURVE_BreakTangentAt(index, curve, reference, period, threshold);
}

int KFCURVE_IncreaseFidelityRecursive(KTime start, KTime stop, KFCurve* curve, KFCurve* reference,
                                      double fidelityThreshold, int subdivisions, bool breakTangents,
                                      KTime period, double threshold, bool synchronize,
                                      KArrayTemplate<KFCurve*>* others,
                                      KArrayTemplate<KFCurve*>* otherReferences)
{
    const int n = subdivisions;
    if (!(start < stop) || !curve || !reference || n <= 1)
        return 0;
    // The span may exceed the signed range when the ends are far apart.
    const kULongLong span = static_cast<kULongLong>(stop.Get()) - static_cast<kULongLong>(start.Get());
    const kULongLong step = span / static_cast<kULongLong>(n);
    if (step <= static_cast<kULongLong>(kSmallestFidelityStep))
        return 0;
    int curveLast = -1;
    int referenceLast = -1;
    for (int i = 0; i <= n - 2; ++i) {
        const KTime t0 = Advance(start, step * static_cast<kULongLong>(i));
        const KTime t1 = Advance(start, step * static_cast<kULongLong>(i + 1));
        const double c = curve->Evaluate(t1, &curveLast);
        const double r = reference->Evaluate(t1, &referenceLast);
        if (!(std::fabs(c - r) > fidelityThreshold))
            continue;
        KFCURVE_IncreaseFidelityAddKey(t1, r, curve, reference, breakTangents, period, threshold);
        if (synchronize && others && otherReferences) {
            const int pairs = others->GetCount() < otherReferences->GetCount() ? others->GetCount()
                                                                                 : otherReferences->GetCount();
            for (int j = 0; j < pairs; ++j) {
                KFCurve* other = others->GetAt(j);
                KFCurve* otherReference = otherReferences->GetAt(j);
                if (other && otherReference)
                    KFCURVE_IncreaseFidelityAddKey(t1, otherReference->Evaluate(t1), other, otherReference,
                                                   breakTangents, period, threshold);
            }
        }
        KFCURVE_IncreaseFidelityRecursive(t0, t1, curve, reference, fidelityThreshold, n, breakTangents, period,
                                          threshold, synchronize, others, otherReferences);
        if (i == n - 2)
            KFCURVE_IncreaseFidelityRecursive(t1, Advance(t1, step), curve, reference, fidelityThreshold, n,
                                              breakTangents, period, threshold, synchronize, others,
                                              otherReferences);
    }
    return 0;
}

void KFCURVE_IncreaseFidelity(KFCurveNode* node, KFCurveNode* reference, double fidelityThreshold,
                              int subdivisions, bool breakTangents, KTime period, double threshold,
                              bool synchronize, KArrayTemplate<KFCurve*>* others,
                              KArrayTemplate<KFCurve*>* otherReferences)
{
    if (!node || !reference || node->GetCount() != reference->GetCount())
        return;
    if (KFCurve* curve = node->FCurveGet()) {
        KFCurve* referenceCurve = reference->FCurveGet();
        if (!referenceCurve)
            return;
        // The count is read again: keys added by one interval are refined too.
        for (int i = 0; i + 1 < curve->KeyGetCount(); ++i)
            KFCURVE_IncreaseFidelityRecursive(curve->KeyGetTime(i), curve->KeyGetTime(i + 1), curve, referenceCurve,
                                              fidelityThreshold, subdivisions, breakTangents, period, threshold,
                                              synchronize, others, otherReferences);
        return;
    }
    for (int i = 0, n = node->GetCount(); i < n; ++i) {
        KArrayTemplate<KFCurve*> siblings;
        KArrayTemplate<KFCurve*> siblingReferences;
        if (synchronize) {
            for (int j = 0; j < n; ++j) {
                if (j == i)
                    continue;
                KFCurve* sibling = node->Get(j)->FCurveGet();
                KFCurve* siblingReference = reference->Get(j)->FCurveGet();
                if (sibling && siblingReference) {
                    siblings.Add(sibling);
                    siblingReferences.Add(siblingReference);
                }
            }
        }
        KFCURVE_IncreaseFidelity(node->Get(i), reference->Get(i), fidelityThreshold, subdivisions, breakTangents,
                                 period, threshold, synchronize, &siblings, &siblingReferences);
    }
}

}  // namespace qelsdk_600
