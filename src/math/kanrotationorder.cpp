#include "math/kanrotationorder.h"

#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

const int kSphericXYZ = 12;

// Order as an index of KmEulerAxis; spherical XYZ and unknown values use XYZ.
int EulerIndex(int order) { return order > 0 && order < kSphericXYZ ? order : 0; }

bool IsRepeatedAxis(int index) { return KmEulerAxis[index][0] == KmEulerAxis[index][2]; }

}  // namespace

void KANRotationOrder::V2M(KgeRMatrix& pOut, const KgeRVector& pAngles) const {
    int index = EulerIndex(mOrder);
    const int* axes = KmEulerAxis[index];
    pOut = KgeRMatrix();
    if (IsRepeatedAxis(index))
        KmIJKtoR(pOut, pAngles[0], pAngles[1], pAngles[2], index);
    else
        KmIJKtoR(pOut, pAngles[axes[0]], pAngles[axes[1]], pAngles[axes[2]], index);
}

void KANRotationOrder::M2V(KgeRVector& pOut, const KgeRMatrix& pMatrix) const {
    int index = EulerIndex(mOrder);
    const int* axes = KmEulerAxis[index];
    double v[3];
    KmRtoVord(v, pMatrix, index);
    if (IsRepeatedAxis(index)) {
        for (int i = 0; i < 3; ++i) pOut[i] = v[i];
    } else {
        for (int i = 0; i < 3; ++i) pOut[axes[i]] = v[i];
    }
}

}  // namespace qelsdk_600
