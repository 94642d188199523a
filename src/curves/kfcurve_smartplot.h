// Refinements of a smart plot: a sparse curve (keys only at source key times)
// is compared with a reference (the full plot, one key every period) and its
// tangents broken, or keys added, where it strays. In every pair the first
// curve or node changes; the reference is only evaluated.
#ifndef QELSDK_CURVES_KFCURVE_SMARTPLOT_H
#define QELSDK_CURVES_KFCURVE_SMARTPLOT_H

#include "base/karraytemplate.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;

// Sets key index's derivatives to the reference's slopes over one period
// before and after the key, making it user-break (0xC00), when either side
// differs from the key's own derivative by more than threshold (value units
// per second). Nothing without both curves, with period <= 0, or with index
// outside the keys.
void KFCURVE_BreakTangentAt(int index, KFCurve* curve, KFCurve* reference, KTime period, double threshold);

// KFCURVE_BreakTangentAt on every key of every curve of node, paired with the
// reference's curves by child index. Nothing unless both trees are given,
// period > 0 and their child counts agree.
void KFCURVE_BreakTangents(KFCurveNode* node, KFCurveNode* reference, KTime period, double threshold);

// Inserts a key of that value at time (keeping the curve's shape around it),
// breaking its tangents against the reference when breakTangents.
void KFCURVE_IncreaseFidelityAddKey(KTime time, double value, KFCurve* curve, KFCurve* reference,
                                    bool breakTangents, KTime period, double threshold);

// Splits [start, stop] into subdivisions parts and adds a reference key at
// each interior point where the curve strays from the reference by more than
// fidelityThreshold, refining the neighbouring parts while a part is longer
// than 1/120 s. With synchronize, a key added here is added at that time to
// each (others[j], otherReferences[j]) pair too. Returns 0.
int KFCURVE_IncreaseFidelityRecursive(KTime start, KTime stop, KFCurve* curve, KFCurve* reference,
                                      double fidelityThreshold, int subdivisions, bool breakTangents,
                                      KTime period, double threshold, bool synchronize,
                                      KArrayTemplate<KFCurve*>* others,
                                      KArrayTemplate<KFCurve*>* otherReferences);

// KFCURVE_IncreaseFidelityRecursive over every key interval of every curve of
// node (keys it adds are visited too), paired with the reference's curves by
// child index; with synchronize, sibling curves receive the same key times.
// Nothing unless both trees are given and their child counts agree.
void KFCURVE_IncreaseFidelity(KFCurveNode* node, KFCurveNode* reference, double fidelityThreshold,
                              int subdivisions, bool breakTangents, KTime period, double threshold,
                              bool synchronize, KArrayTemplate<KFCurve*>* others,
                              KArrayTemplate<KFCurve*>* otherReferences);

}  // namespace qelsdk_600

#endif
