// Making Euler rotation curves continuous in place.
#ifndef QELSDK_CURVES_KFCURVEFILTERUNROLL_H
#define QELSDK_CURVES_KFCURVEFILTERUNROLL_H

#include "base/ktime.h"
#include "curves/kfcurvefilter.h"
#include "math/kgevector.h"

namespace qelsdk_600 {

// "Unroll Filter": each key of the X, Y, Z curves of a rotation node gets
// the equivalent angles nearest to its reference (the previous key's, or
// (0, 0, 0) when the range starts at key 0). No key is added or removed.
// With the path test, a key whose Euler path is much longer than its real
// rotation does not become the next reference. Error ids: 0 "No key",
// 1 "Left unchanged", 2 "Need rotation curvenode", 3 "Unexepected".
class KFCurveFilterUnroll : public KFCurveFilter {
public:
    KFCurveFilterUnroll();

    // Quality tolerance and path test from the global curve settings; then
    // the whole time line.
    void Reset() override;

    // DoUnroll on a rotation node (layer type 2 with "X", "Y", "Z" curves);
    // otherwise error 2, false. `recursive` is not used.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // Exactly 3 curves (X, Y, Z; order 0) through a temporary rotation
    // node; they stay the caller's. Other counts: error 2, false.
    bool Apply(KFCurve** curves, int count) override;
    // Error 2, false.
    bool Apply(KFCurve& curve) override;

    // The filter proper on a node of 3 children (X, Y, Z in that order) and
    // layer type 2: error 2 otherwise; error 0 without keys or without a
    // key at the range's start. True when it ran.
    bool DoUnroll(KFCurveNode* node);
    // theta^2 / d^2, theta the real rotation angle from a to b (XYZ order)
    // and d^2 the squared Euler distance (degrees); 100.0 when d^2 is
    // about 0. Near 1 the Euler path is as short as the rotation.
    double InterpolationQualityFactor(const KgeRVector& a, const KgeRVector& b) const;

    double GetQualityTolerance() const { return mQualityTolerance; }
    void SetQualityTolerance(double tolerance) { mQualityTolerance = tolerance; }
    bool GetTestForPath() const { return mTestForPath; }
    void SetTestForPath(bool test) { mTestForPath = test; }

private:
    double mQualityTolerance;
    bool mTestForPath;
};

// Runs the rotation filter chosen by the global setting (1 gimbal killer,
// 2 unroll; others nothing) on a rotation node between two times. Errors
// are not reported; a null node does nothing.
void KFCURVE_ApplyRotationFilter(KFCurveNode* node, KTime start, KTime stop);

}  // namespace qelsdk_600

#endif
