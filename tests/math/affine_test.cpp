// Affine and 3x3 products, inverses and rotation extraction.
#include <gtest/gtest.h>

#include <cmath>

#include "math/kgematrix.h"
#include "math/kmfunctions.h"
#include "math/math_test_util.h"

using namespace qelsdk_600;
using mathtest::AxisRot;
using mathtest::M3;
using mathtest::Then;

namespace {

// Rotation (from reference axis rotations) times per-axis scale, plus a
// translation: an affine matrix with orthogonal axis rows.
KgeAMatrix MakeAffine(double rx, double ry, double rz, const double s[3], const double t[3]) {
    M3 r = Then(Then(AxisRot(0, rx), AxisRot(1, ry)), AxisRot(2, rz));
    KgeAMatrix m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r.m[i][j] * s[i];
    for (int j = 0; j < 3; ++j) m[3][j] = t[j];
    return m;
}

void ExpectProperRotation(const KgeRMatrix& r) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double d = r[i][0] * r[j][0] + r[i][1] * r[j][1] + r[i][2] * r[j][2];
            EXPECT_NEAR(i == j ? 1.0 : 0.0, d, 1e-12);
        }
    double det = r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
                 r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
                 r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
    EXPECT_NEAR(1.0, det, 1e-12);
}

M3 To3(const KgeAMatrix& m) {
    M3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][j];
    return r;
}

}  // namespace

TEST(Affine, ProductAppliesSecondOperandFirst) {
    KgeAMatrix a;  // quarter turn about Z, then move 10 along X
    a[0][0] = 0; a[0][1] = 1;
    a[1][0] = -1; a[1][1] = 0;
    a[3][0] = 10;
    KgeAMatrix b;  // scale 2, then move 1 along Y
    b[0][0] = b[1][1] = b[2][2] = 2;
    b[3][1] = 1;

    KgeAMatrix out;
    KmAA(out, a, b);
    // (1, 0, 0) -> b -> (2, 1, 0) -> a -> (-1, 2, 0) + (10, 0, 0).
    double p[3];
    for (int j = 0; j < 3; ++j) p[j] = out[0][j] + out[3][j];
    EXPECT_DOUBLE_EQ(9, p[0]);
    EXPECT_DOUBLE_EQ(2, p[1]);
    EXPECT_DOUBLE_EQ(0, p[2]);
    EXPECT_DOUBLE_EQ(9, out[3][0]);
    EXPECT_DOUBLE_EQ(0, out[3][1]);
    EXPECT_DOUBLE_EQ(-2, out[1][0]);
}

TEST(Affine, ProductAllowsOutputAliasingEitherOperandAndKeepsColumn3) {
    const double s[3] = {1.5, 0.5, 2.0}, t[3] = {1, -2, 3};
    const double s2[3] = {1, 3, 1}, t2[3] = {-4, 0.5, 7};
    KgeAMatrix a = MakeAffine(10, 20, 30, s, t);
    KgeAMatrix b = MakeAffine(-40, 5, 75, s2, t2);
    KgeAMatrix expected;
    KmAA(expected, a, b);

    KgeAMatrix intoA = a;
    KmAA(intoA, intoA, b);
    mathtest::Expect4x4Near(expected, intoA, 0);
    KgeAMatrix intoB = b;
    KmAA(intoB, a, intoB);
    mathtest::Expect4x4Near(expected, intoB, 0);
    KgeAMatrix both = a;
    KmAA(both, both, both);
    KgeAMatrix square;
    KmAA(square, a, a);
    mathtest::Expect4x4Near(square, both, 0);

    KgeAMatrix marked;
    for (int i = 0; i < 4; ++i) marked[i][3] = 7.0 + i;
    KmAA(marked, a, b);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(7.0 + i, marked[i][3]);
}

TEST(Affine, InverseUndoesProductBothWaysAndInPlace) {
    mathtest::Rng rng(7);
    for (int n = 0; n < 50; ++n) {
        double s[3] = {rng.Next(0.1, 5), rng.Next(0.1, 5), rng.Next(-5, -0.1)};
        double t[3] = {rng.Next(-100, 100), rng.Next(-100, 100), rng.Next(-100, 100)};
        KgeAMatrix a = MakeAffine(rng.Next(-180, 180), rng.Next(-90, 90), rng.Next(-180, 180), s, t);
        KgeAMatrix ai, p;
        KmAi(ai, a);
        KmAA(p, ai, a);
        mathtest::Expect4x4Near(KmIdentity, p, 1e-10);
        KmAA(p, a, ai);
        mathtest::Expect4x4Near(KmIdentity, p, 1e-10);

        KgeAMatrix inPlace = a;
        KmAi(inPlace, inPlace);
        mathtest::Expect4x4Near(ai, inPlace, 0);
    }
}

TEST(Affine, InverseOfCollapsedAxisStaysFinite) {
    KgeAMatrix a;
    a[0][0] = 0;
    a[1][1] = 2;
    a[2][2] = 4;
    a[3][0] = 1; a[3][1] = 2; a[3][2] = 3;
    KgeAMatrix ai;
    KmAi(ai, a);
    EXPECT_EQ(0, ai[0][0]);
    EXPECT_DOUBLE_EQ(0.5, ai[1][1]);
    EXPECT_DOUBLE_EQ(0.25, ai[2][2]);
    EXPECT_DOUBLE_EQ(0, ai[3][0]);
    EXPECT_DOUBLE_EQ(-1, ai[3][1]);
    EXPECT_DOUBLE_EQ(-0.75, ai[3][2]);
}

TEST(Affine, InverseProductEqualsProductWithInverseAndMayOverwriteB) {
    const double s[3] = {2, 2, 0.5}, t[3] = {3, 4, 5};
    const double s2[3] = {1, 1, 1}, t2[3] = {-1, 0, 2};
    KgeAMatrix a = MakeAffine(30, -60, 90, s, t);
    KgeAMatrix b = MakeAffine(0, 45, 0, s2, t2);
    KgeAMatrix ai, expected, out;
    KmAi(ai, a);
    KmAA(expected, ai, b);
    KmAiA(out, a, b);
    mathtest::Expect4x4Near(expected, out, 1e-14);
    KmAiA(b, a, b);
    mathtest::Expect4x4Near(expected, b, 1e-14);
    KmAiA(a, a, a);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(KmIdentity[i][j], a[i][j], 1e-12);
}

TEST(Rotation3x3, ProductOrderInverseAndRelativeRotation) {
    M3 ra = Then(AxisRot(2, 90), AxisRot(0, 30));
    M3 rb = Then(AxisRot(1, -45), AxisRot(2, 10));
    KgeRMatrix a, b;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            a[i][j] = ra.m[i][j];
            b[i][j] = rb.m[i][j];
        }
    b[3][0] = 5;  // must survive: 3x3 functions leave the rest alone

    KgeRMatrix out;
    KmRR(out, a, b);
    mathtest::Expect3x3Near(Then(rb, ra), out);
    KgeRMatrix alias = a;
    KmRR(alias, alias, b);
    mathtest::Expect3x3Near(Then(rb, ra), alias);
    alias = b;
    KmRR(alias, a, alias);
    mathtest::Expect3x3Near(Then(rb, ra), alias);
    EXPECT_EQ(5, alias[3][0]);

    // Transpose in place undoes the rotation.
    KgeRMatrix inv = a;
    KmRi(inv, inv);
    KmRR(out, a, inv);
    mathtest::Expect3x3Near(mathtest::M3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, out);

    // KmRiR gives d with d then a equal to b.
    KgeRMatrix d;
    KmRiR(d, a, b);
    KmRR(out, a, d);
    mathtest::Expect3x3Near(rb, out);
    KmRiR(b, a, b);
    mathtest::Expect3x3Near(To3(d), b);
}

TEST(Rotation3x3, ScaleRowsBeforeRotation) {
    M3 r = AxisRot(2, 90);
    KgeRMatrix m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r.m[i][j];
    const double s[3] = {2, 3, 4};
    KmRS(m, m, s);
    // X scaled by 2 then turned onto Y.
    EXPECT_NEAR(0, m[0][0], 1e-15);
    EXPECT_NEAR(2, m[0][1], 1e-15);
    EXPECT_NEAR(-3, m[1][0], 1e-15);
    EXPECT_NEAR(4, m[2][2], 1e-15);
}

TEST(RotationOfAffine, NormalisesAxisRows) {
    const double s[3] = {2, 3, 4}, t[3] = {7, 8, 9};
    KgeAMatrix a = MakeAffine(20, 30, 40, s, t);
    KgeRMatrix r;
    r[3][0] = 99;
    KgeSetRM(r, a);
    mathtest::Expect3x3Near(Then(Then(AxisRot(0, 20), AxisRot(1, 30)), AxisRot(2, 40)), r);
    EXPECT_EQ(0, r[3][0]);
    EXPECT_EQ(1, r[3][3]);
    EXPECT_EQ(0, r[0][3]);
}

TEST(RotationOfAffine, CollapsedAxesKeepTheRotationTheyStillShow) {
    M3 expected = Then(Then(AxisRot(0, 20), AxisRot(1, 30)), AxisRot(2, 40));
    const double t[3] = {0, 0, 0};
    for (int zero = 0; zero < 3; ++zero) {
        double s[3] = {2, 3, 4};
        s[zero] = 0;
        KgeRMatrix r;
        KgeSetRM(r, MakeAffine(20, 30, 40, s, t));
        mathtest::Expect3x3Near(expected, r);
    }

    // Only the Z row left: a proper rotation whose Z row matches it.
    const double sz[3] = {0, 0, 5};
    KgeRMatrix r;
    KgeSetRM(r, MakeAffine(20, 30, 40, sz, t));
    ExpectProperRotation(r);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(expected.m[2][j], r[2][j], 1e-12);

    // Two parallel rows and a zero row, or nothing at all: still a rotation.
    KgeAMatrix parallel;
    parallel[0][0] = 0;
    parallel[1][0] = 1; parallel[1][1] = 1; parallel[1][2] = 0;
    parallel[2][0] = 2; parallel[2][1] = 2; parallel[2][2] = 0;
    KgeSetRM(r, parallel);
    ExpectProperRotation(r);
    EXPECT_NEAR(std::sqrt(0.5), r[1][0], 1e-12);

    KgeAMatrix zero;
    for (int i = 0; i < 3; ++i) zero[i][i] = 0;
    KgeSetRM(r, zero);
    mathtest::Expect4x4Near(KmIdentity, r, 0);
}
