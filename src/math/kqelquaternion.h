// Quaternion value type of the scene SDK.
#ifndef QELSDK_MATH_KQELQUATERNION_H
#define QELSDK_MATH_KQELQUATERNION_H

namespace qelsdk_600 {

// Four doubles (x, y, z, w), w last; a new one is (0, 0, 0, 0), which the
// rotation functions read as the identity.
class KQelQuaternion {
public:
    KQelQuaternion() : mData{0.0, 0.0, 0.0, 0.0} {}
    KQelQuaternion(double pX, double pY, double pZ, double pW) : mData{pX, pY, pZ, pW} {}

    void Set(double pX, double pY, double pZ, double pW) {
        mData[0] = pX; mData[1] = pY; mData[2] = pZ; mData[3] = pW;
    }
    // Index 0 to 3, not checked.
    double& operator[](int pIndex) { return mData[pIndex]; }
    const double& operator[](int pIndex) const { return mData[pIndex]; }
    operator const double*() const { return mData; }

    double mData[4];
};

}  // namespace qelsdk_600

#endif
