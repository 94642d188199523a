// Matrix value types: transforms from and to translation, rotation, scaling.
#include <gtest/gtest.h>

#include <cmath>

#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "math/math_test_util.h"

using namespace qelsdk_600;

namespace {

void ExpectVectorNear(const KQelVector4& expected, const KQelVector4& actual, double tol = 1e-9) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(expected[i], actual[i], tol) << "component " << i;
}

void ExpectMatrixNear(const KQelMatrix& expected, const KQelMatrix& actual, double tol = 1e-9) {
    const double* e = expected;
    const double* a = actual;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(e[i], a[i], tol) << "value " << i;
}

}  // namespace

TEST(QelXMatrix, TransformScalesThenRotatesThenTranslates) {
    KQelVector4 t(10, 20, 30, 1), r(0, 0, 90, 0), s(2, 3, 4, 1);
    KQelXMatrix m(t, r, s);
    // (1, 1, 1) -> (2, 3, 4) -> quarter turn about Z (-3, 2, 4) -> (7, 22, 34).
    ExpectVectorNear(KQelVector4(7, 22, 34, 0), m.MultT(KQelVector4(1, 1, 1, 9)), 1e-12);

    KQelMatrix plain(t, r, s);
    const double* values = plain;
    EXPECT_EQ(0, values[3]);
    EXPECT_EQ(0, values[7]);
    EXPECT_EQ(1, values[15]);
    EXPECT_EQ(10, values[12]);
    ExpectMatrixNear(plain, m, 0);
    ExpectVectorNear(KQelVector4(10, 20, 30, 1), plain.GetRow(3), 0);
}

TEST(QelXMatrix, PartsRoundTrip) {
    mathtest::Rng rng(23);
    for (int n = 0; n < 100; ++n) {
        KQelVector4 t(rng.Next(-50, 50), rng.Next(-50, 50), rng.Next(-50, 50), 0);
        KQelVector4 r(rng.Next(-179, 179), rng.Next(-89, 89), rng.Next(-179, 179), 0);
        KQelVector4 s(rng.Next(0.1, 4), rng.Next(0.1, 4), rng.Next(0.1, 4), 0);
        KQelXMatrix m(t, r, s);
        ExpectVectorNear(t, m.GetT());
        ExpectVectorNear(r, m.GetR());
        ExpectVectorNear(s, m.GetS());
    }
}

TEST(QelXMatrix, MirroredMatrixGivesNegativeScalesAndRebuildsExactly) {
    // Mirror in X: the rows form a left-handed frame.
    KQelXMatrix mirror(KQelVector4(1, 2, 3, 0), KQelVector4(0, 0, 0, 0), KQelVector4(-1, 1, 1, 0));
    ExpectVectorNear(KQelVector4(-1, -1, -1, 0), mirror.GetS(), 0);
    KQelVector4 r = mirror.GetR();
    EXPECT_NEAR(180, std::fabs(r[0]), 1e-9);
    EXPECT_NEAR(0, r[1], 1e-9);
    EXPECT_NEAR(0, r[2], 1e-9);

    mathtest::Rng rng(29);
    for (int n = 0; n < 50; ++n) {
        KQelVector4 s(rng.Next(0.2, 3), rng.Next(0.2, 3), rng.Next(0.2, 3), 0);
        s[n % 3] = -s[n % 3];
        KQelXMatrix m(KQelVector4(rng.Next(-9, 9), 1, 2, 0),
                      KQelVector4(rng.Next(-170, 170), rng.Next(-80, 80), rng.Next(-170, 170), 0), s);
        KQelXMatrix rebuilt;
        rebuilt.SetTRS(m.GetT(), m.GetR(), m.GetS());
        ExpectMatrixNear(m, rebuilt);
        KQelVector4 gs = m.GetS();
        for (int i = 0; i < 3; ++i) EXPECT_LT(gs[i], 0);
    }
}

TEST(QelXMatrix, CollapsedAxisKeepsRotationAndRebuilds) {
    KQelVector4 r(10, 20, 30, 0);
    for (int axis = 0; axis < 3; ++axis) {
        KQelVector4 s(2, 3, 4, 0);
        s[axis] = 0;
        KQelXMatrix m(KQelVector4(5, 6, 7, 0), r, s);
        ExpectVectorNear(r, m.GetR());
        ExpectVectorNear(s, m.GetS());
        KQelXMatrix rebuilt(m.GetT(), m.GetR(), m.GetS());
        ExpectMatrixNear(m, rebuilt);
    }
    KQelXMatrix flat(KQelVector4(), r, KQelVector4(0, 0, 0, 0));
    ExpectVectorNear(KQelVector4(), flat.GetR(), 0);  // nothing left to read: no rotation, no NaN
}

TEST(QelXMatrix, SettingOnePartKeepsTheOthers) {
    KQelVector4 t(1, 2, 3, 0), r(10, -20, 30, 0), s(2, 3, 4, 0);
    KQelXMatrix m(t, r, s);
    m.SetR(KQelVector4(-40, 5, 60, 0));
    ExpectVectorNear(KQelVector4(-40, 5, 60, 0), m.GetR());
    ExpectVectorNear(t, m.GetT());
    ExpectVectorNear(s, m.GetS());
    m.SetS(KQelVector4(0.5, 1, 7, 0));
    ExpectVectorNear(KQelVector4(-40, 5, 60, 0), m.GetR());
    ExpectVectorNear(KQelVector4(0.5, 1, 7, 0), m.GetS());
    m.SetT(KQelVector4(-9, 8, -7, 55));
    ExpectVectorNear(KQelVector4(-9, 8, -7, 0), m.GetT());
    ExpectVectorNear(KQelVector4(0.5, 1, 7, 0), m.GetS());

    KQelXMatrix mirrored(t, r, KQelVector4(-2, 3, 4, 0));
    mirrored.SetR(KQelVector4(0, 90, 0, 0));
    ExpectVectorNear(KQelVector4(-2, -3, -4, 0), mirrored.GetS());
}

TEST(QelXMatrix, QuaternionAccessMatchesEulerRotation) {
    const double h = std::sqrt(0.5);
    KQelVector4 t(1, 2, 3, 0), s(2, 2, 5, 0);
    KQelXMatrix byEuler(t, KQelVector4(0, 0, 90, 0), s);
    KQelQuaternion q = byEuler.GetQ();
    double sign = q[3] < 0 ? -1 : 1;
    EXPECT_NEAR(0, q[0], 1e-12);
    EXPECT_NEAR(0, q[1], 1e-12);
    EXPECT_NEAR(h, sign * q[2], 1e-12);
    EXPECT_NEAR(h, sign * q[3], 1e-12);

    KQelXMatrix byQuat;
    byQuat.SetTQS(t, KQelQuaternion(0, 0, 3, 3), s);  // non-unit: same turn
    ExpectMatrixNear(byEuler, byQuat, 1e-12);

    KQelXMatrix m(t, KQelVector4(30, 0, 0, 0), s);
    m.SetQ(KQelQuaternion(0, 0, h, h));
    ExpectMatrixNear(byEuler, m, 1e-12);
    m.SetQ(KQelQuaternion());  // zero: identity rotation, scaling kept
    ExpectVectorNear(KQelVector4(0, 0, 0, 0), m.GetR(), 1e-12);
    ExpectVectorNear(s, m.GetS(), 1e-12);
}

TEST(QelXMatrix, ProductAppliesRightOperandFirstAndInverseUndoesIt) {
    KQelXMatrix move(KQelVector4(1, 0, 0, 0), KQelVector4(), KQelVector4(1, 1, 1, 0));
    KQelXMatrix turn(KQelVector4(), KQelVector4(0, 0, 90, 0), KQelVector4(1, 1, 1, 0));
    // Through turn first: (1, 0, 0) -> (0, 1, 0) -> (1, 1, 0).
    ExpectVectorNear(KQelVector4(1, 1, 0, 0), (move * turn).MultT(KQelVector4(1, 0, 0, 0)), 1e-12);
    ExpectVectorNear(KQelVector4(0, 2, 0, 0), (turn * move).MultT(KQelVector4(1, 0, 0, 0)), 1e-12);

    KQelXMatrix m(KQelVector4(3, -4, 5, 0), KQelVector4(20, 30, 40, 0), KQelVector4(2, -1, 0.5, 0));
    ExpectMatrixNear(KQelXMatrix(), m * m.Inverse());
    ExpectMatrixNear(KQelXMatrix(), m.Inverse() * m);
}

TEST(QelXMatrix, TransposeSwapsAllSixteenValues) {
    KQelXMatrix m(KQelVector4(3, -4, 5, 0), KQelVector4(20, 30, 40, 0), KQelVector4(2, 1, 3, 0));
    KQelXMatrix t = m.Transpose();
    const double* a = m;
    const double* b = t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(a[4 * i + j], b[4 * j + i]);
}

TEST(QelXMatrix, CopiesCarryTheAffinePartOnly) {
    KQelMatrix plain;
    double* p = plain;
    for (int i = 0; i < 16; ++i) p[i] = i + 1;
    KQelMatrix plainCopy(plain);
    EXPECT_TRUE(plainCopy == plain);

    KQelXMatrix fromPlain(plain);  // identity, then 3x3 and translation
    const double* x = fromPlain;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(p[4 * i + j], x[4 * i + j]);
        EXPECT_EQ(i == 3 ? 1 : 0, x[4 * i + 3]);
    }
    KQelXMatrix target;
    double* tv = target;
    tv[3] = 42;
    target = plain;
    EXPECT_EQ(42, tv[3]);  // assignment leaves column 3 alone
    EXPECT_EQ(13, tv[12]);
    KQelXMatrix copy(target);
    const double* cv = copy;
    EXPECT_EQ(0, cv[3]);
    EXPECT_FALSE(copy == target);

    ExpectVectorNear(KQelVector4(), plain.GetRow(4), 0);
    ExpectVectorNear(KQelVector4(), plain.GetRow(-1), 0);
}

TEST(QelXMatrix, SharesStorageWithCoreAffineMatrix) {
    KQelXMatrix a(KQelVector4(1, 0, 0, 0), KQelVector4(0, 0, 90, 0), KQelVector4(1, 1, 1, 0));
    KQelXMatrix b(KQelVector4(0, 5, 0, 0), KQelVector4(), KQelVector4(2, 2, 2, 0));
    KgeAMatrix& core = a;
    KmAA(core, core, static_cast<KgeAMatrix&>(b));
    ExpectMatrixNear(KQelXMatrix(KQelVector4(-4, 0, 0, 0), KQelVector4(0, 0, 90, 0),
                                 KQelVector4(2, 2, 2, 0)),
                     a, 1e-12);
}
