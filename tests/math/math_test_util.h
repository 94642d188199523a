// Independent reference math for the geometry tests: plain 3x3 row-vector
// rotations built from first principles, not from the code under test.
#ifndef QELSDK_TESTS_MATH_TEST_UTIL_H
#define QELSDK_TESTS_MATH_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cmath>

namespace mathtest {

const double kPi = 3.14159265358979323846;

struct M3 {
    double m[3][3];
};

// Rotation of a row vector by `degrees` about axis 0 (X), 1 (Y) or 2 (Z),
// right-handed: about Z, X goes to +Y.
inline M3 AxisRot(int axis, double degrees) {
    double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0);
    M3 r = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    if (axis == 0) {
        r.m[1][1] = c; r.m[1][2] = s; r.m[2][1] = -s; r.m[2][2] = c;
    } else if (axis == 1) {
        r.m[0][0] = c; r.m[0][2] = -s; r.m[2][0] = s; r.m[2][2] = c;
    } else {
        r.m[0][0] = c; r.m[0][1] = s; r.m[1][0] = -s; r.m[1][1] = c;
    }
    return r;
}

// Row-vector composition: a applied first, then b.
inline M3 Then(const M3& a, const M3& b) {
    M3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            r.m[i][j] = 0;
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
    return r;
}

template <typename Matrix>
void Expect3x3Near(const M3& expected, const Matrix& actual, double tol = 1e-12) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(expected.m[i][j], actual[i][j], tol) << "element " << i << "," << j;
}

template <typename A, typename B>
void Expect4x4Near(const A& expected, const B& actual, double tol = 1e-12) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(expected[i][j], actual[i][j], tol) << "element " << i << "," << j;
}

// Deterministic pseudo-random doubles in [lo, hi).
class Rng {
public:
    explicit Rng(unsigned seed) : mState(seed * 2654435761u + 1) {}
    double Next(double lo, double hi) {
        mState = mState * 6364136223846793005ull + 1442695040888963407ull;
        return lo + (hi - lo) * double(mState >> 11) / double(1ull << 53);
    }

private:
    unsigned long long mState;
};

}  // namespace mathtest

#endif
