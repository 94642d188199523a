// Core vector types of the geometry math: plain arrays of doubles that convert
// to double* so they pass straight to the Km* functions (v[i] indexes them).
#ifndef QELSDK_MATH_KGEVECTOR_H
#define QELSDK_MATH_KGEVECTOR_H

namespace qelsdk_600 {

// Translation (x, y, z, w); a new one is (0, 0, 0, 1), w stays 1 for points.
struct KgeTVector {
    double mData[4];

    constexpr KgeTVector() : mData{0.0, 0.0, 0.0, 1.0} {}
    constexpr KgeTVector(double pX, double pY, double pZ, double pW = 1.0)
        : mData{pX, pY, pZ, pW} {}

    operator double*() { return mData; }
    constexpr operator const double*() const { return mData; }
};

// Euler angles in degrees (x, y, z) plus an unused fourth slot; a new one is
// all zero.
struct KgeRVector {
    double mData[4];

    constexpr KgeRVector() : mData{0.0, 0.0, 0.0, 0.0} {}
    constexpr KgeRVector(double pX, double pY, double pZ, double pW = 0.0)
        : mData{pX, pY, pZ, pW} {}

    operator double*() { return mData; }
    constexpr operator const double*() const { return mData; }
};

// Scaling factors (x, y, z) plus a fourth slot; a new one is (1, 1, 1, 1).
struct KgeSVector {
    double mData[4];

    constexpr KgeSVector() : mData{1.0, 1.0, 1.0, 1.0} {}
    constexpr KgeSVector(double pX, double pY, double pZ, double pW = 1.0)
        : mData{pX, pY, pZ, pW} {}

    operator double*() { return mData; }
    constexpr operator const double*() const { return mData; }
};

// Colour as red, green, blue doubles; a new one is (0, 0, 0).
struct KgeRGBVector {
    double mData[3];

    constexpr KgeRGBVector() : mData{0.0, 0.0, 0.0} {}
    constexpr KgeRGBVector(double pR, double pG, double pB) : mData{pR, pG, pB} {}

    operator double*() { return mData; }
    constexpr operator const double*() const { return mData; }
};

}  // namespace qelsdk_600

#endif
