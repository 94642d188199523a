// Euler rotation order used to turn angle triples into matrices and back.
#ifndef QELSDK_MATH_KANROTATIONORDER_H
#define QELSDK_MATH_KANROTATIONORDER_H

#include "math/kgematrix.h"
#include "math/kgevector.h"

namespace qelsdk_600 {

// Holds one order index: 0 XYZ, 1 to 11 the orders of KmEulerAxis, 12
// spherical XYZ. Spherical XYZ composes its angles as XYZ does (callers only
// skip Euler unrolling for it). For the orders of three distinct axes the
// angle vector is indexed by axis (component 0 the angle about X, 1 about Y,
// 2 about Z); for the repeated-axis orders (odd indices) component i is the
// i-th rotation applied. An index outside 0 to 12 is used as 0.
class KANRotationOrder {
public:
    explicit KANRotationOrder(int pOrder = 0) : mOrder(pOrder) {}

    void SetOrder(int pOrder) { mOrder = pOrder; }
    int GetOrder() const { return mOrder; }

    // Rotation of the angles in degrees; writes all of out (row 3 zero,
    // column 3 (0, 0, 0, 1)).
    void V2M(KgeRMatrix& pOut, const KgeRVector& pAngles) const;

    // Angles in degrees of the rotation in the 3x3 part of pMatrix; component 3
    // of pOut is kept.
    void M2V(KgeRVector& pOut, const KgeRMatrix& pMatrix) const;

private:
    int mOrder;
};

}  // namespace qelsdk_600

#endif
