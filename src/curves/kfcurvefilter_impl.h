// Helpers shared by the curve filter sources; nothing outside src/curves
// uses them.
#ifndef QELSDK_CURVES_KFCURVEFILTER_IMPL_H
#define QELSDK_CURVES_KFCURVEFILTER_IMPL_H

#include "curves/kfcurve.h"

namespace qelsdk_600 {

class KFCurveNode;

namespace kfcurvefilter_detail {

// A small curve holding copies of a few neighbouring keys of a large one, so
// that an edit whose effect depends only on the keys near it (tangent
// transfer on deletion, shape-keeping insertion) can be computed without
// moving the large curve's keys.
class KeyWindow {
public:
    KeyWindow() = default;
    // Replaces the keys by copies of `count` records (increasing times).
    void Load(const KFCurveKey* const* keys, int count);
    KFCurve& Curve() { return mCurve; }

private:
    KFCurve mCurve;
};

// A temporary rotation node "R" (layer type 2, rotation order 0) whose
// number children "X", "Y", "Z" borrow three curves; the curves are detached
// again before the nodes are destroyed, so they stay the caller's.
class BorrowedRotationNode {
public:
    BorrowedRotationNode(KFCurve* x, KFCurve* y, KFCurve* z);
    ~BorrowedRotationNode();
    BorrowedRotationNode(const BorrowedRotationNode&) = delete;
    BorrowedRotationNode& operator=(const BorrowedRotationNode&) = delete;

    KFCurveNode& Node() { return *mNode; }

private:
    KFCurveNode* mNode;
};

// Angles (degrees) of three curves' keys at one index.
inline void KeyAngles(double* out, KFCurve* const* curves, int index)
{
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = curves[axis]->KeyGetValue(index);
}

}  // namespace kfcurvefilter_detail
}  // namespace qelsdk_600

#endif
