// Core quaternion of the geometry math.
#ifndef QELSDK_MATH_KGEQUATERNION_H
#define QELSDK_MATH_KGEQUATERNION_H

namespace qelsdk_600 {

// Quaternion (x, y, z, w), w last; a new one is the identity (0, 0, 0, 1).
// Converts to double* so it passes straight to KmQQ, KmQtoR and KmRtoQ.
struct KgeQuaternion {
    double mData[4];

    constexpr KgeQuaternion() : mData{0.0, 0.0, 0.0, 1.0} {}
    constexpr KgeQuaternion(double pX, double pY, double pZ, double pW)
        : mData{pX, pY, pZ, pW} {}

    operator double*() { return mData; }
    constexpr operator const double*() const { return mData; }
};

}  // namespace qelsdk_600

#endif
