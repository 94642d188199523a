// Giving several curves keys at the same times.
#ifndef QELSDK_CURVES_KFCURVEFILTERKEYSYNC_H
#define QELSDK_CURVES_KFCURVEFILTERKEYSYNC_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "FCurve Key Synchronizer": wherever one curve has a key (within the
// filter's time range) that another lacks, the other gets a key there with
// the value it had, keeping its shape. Error ids: 0 "No key", 1 "Left
// unchanged", 2 "Multiple key count", 3 "Unsynched keys", 4 "Too many
// curves". About linear in the total key count.
class KFCurveFilterKeySync : public KFCurveFilter {
public:
    // Works on the whole time line.
    KFCurveFilterKeySync();

    // The array form on the children's own curves; a node with more than 19
    // children is refused (error 4, false).
    bool NeedApply(KFCurveNode& node, bool recursive = true) override;
    // True when key counts (error 2) or key times (error 3) differ from the
    // first curve's; these errors say why, they are not failures. False when
    // the first curve has no key or all agree.
    bool NeedApply(KFCurve** curves, int count) override;
    // Error 1, false.
    bool NeedApply(KFCurve& curve) override;

    // The array form on the children's own curves (null ones skipped); more
    // than 19 children: error 4, false.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // Synchronises the curves (null entries are skipped). Fewer than 2
    // curves: error 1, false, nothing changed.
    bool Apply(KFCurve** curves, int count) override;
    // Error 1, false.
    bool Apply(KFCurve& curve) override;

    // Node forms refuse more children than this.
    static const int kMaxCurves = 19;
};

}  // namespace qelsdk_600

#endif
