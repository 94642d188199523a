// Rewriting Euler rotation curves without flips and jumps.
#ifndef QELSDK_CURVES_KFCURVEFILTERGIMBLEKILLER_H
#define QELSDK_CURVES_KFCURVEFILTERGIMBLEKILLER_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "Gimble Killer": the X, Y, Z curves of a rotation node are rewritten key
// by key with the equivalent angles nearest to the previous key, and where
// two written keys are still more than about 8.66 degrees apart (squared
// distance 75) and at least 1/1200 s apart, keys are inserted along the
// shortest rotation. Written keys are cubic auto. Error ids: 0 "No key",
// 1 "Left unchanged", 2 "Not 3 curve", 3 "Not rotation node".
class KFCurveFilterGimbleKiller : public KFCurveFilter {
public:
    KFCurveFilterGimbleKiller();

    // Apply key sync filter on; then the whole time line.
    void Reset() override;

    // A node of exactly 3 children (else error 2), layer type 2 (else error
    // 3) whose "X", "Y", "Z" descendants carry curves (else error 3), with
    // keys on X (else error 0). `recursive` is not used. True when the
    // curves were rewritten; false leaves them unchanged.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // Exactly 3 curves (X, Y, Z; order 0): filtered through a temporary
    // rotation node; they stay the caller's. Other counts: error 2, false.
    bool Apply(KFCurve** curves, int count) override;
    // Error 2, false.
    bool Apply(KFCurve& curve) override;

    bool GetApplyKeySyncFilter() const { return mApplyKeySyncFilter; }
    void SetApplyKeySyncFilter(bool apply) { mApplyKeySyncFilter = apply; }

private:
    bool mApplyKeySyncFilter;
};

}  // namespace qelsdk_600

#endif
