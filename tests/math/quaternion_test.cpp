// Quaternions: conversion to and from rotations, products, direction turns.
#include <gtest/gtest.h>

#include <cmath>

#include "math/kgequaternion.h"
#include "math/kmfunctions.h"
#include "math/math_test_util.h"

using namespace qelsdk_600;
using mathtest::AxisRot;
using mathtest::Then;

namespace {

// p (row vector) turned by the 3x3 part of r.
void Turn(double* out, const double* p, const KgeRMatrix& r) {
    for (int j = 0; j < 3; ++j) out[j] = p[0] * r[0][j] + p[1] * r[1][j] + p[2] * r[2][j];
}

void ExpectSameRotation(const double* qa, const double* qb) {
    // q and -q are the same rotation.
    double dot = 0;
    for (int i = 0; i < 4; ++i) dot += qa[i] * qb[i];
    double sign = dot < 0 ? -1 : 1;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(qa[i], sign * qb[i], 1e-12) << i;
}

}  // namespace

TEST(Quaternion, ToRotationMatchesAxisAngle) {
    const double h = std::sqrt(0.5);
    struct Case {
        double q[4];
        int axis;
        double degrees;
    };
    const Case cases[] = {
        {{0, 0, h, h}, 2, 90}, {{h, 0, 0, h}, 0, 90}, {{0, 1, 0, 0}, 1, 180},
        {{0, 0, 0, 1}, 0, 0},  {{0, -0.5, 0, std::sqrt(0.75)}, 1, -60},
    };
    for (const Case& c : cases) {
        KgeRMatrix r;
        KmQtoR(r, c.q);
        mathtest::Expect3x3Near(AxisRot(c.axis, c.degrees), r);
    }
}

TEST(Quaternion, AnyNonZeroLengthGivesTheSameProperRotation) {
    const double unit[4] = {0.1, -0.5, 0.3, std::sqrt(1 - 0.01 - 0.25 - 0.09)};
    KgeRMatrix expected;
    KmQtoR(expected, unit);
    for (double scale : {1e-150, 0.01, 3.0, -2.0, 1e150}) {
        double q[4];
        for (int i = 0; i < 4; ++i) q[i] = unit[i] * scale;
        KgeRMatrix r;
        KmQtoR(r, q);
        mathtest::Expect4x4Near(expected, r, 1e-12);
    }
}

TEST(Quaternion, ZeroQuaternionGivesIdentity) {
    const double zero[4] = {0, 0, 0, 0};
    KgeRMatrix r;
    r[0][0] = 5;
    r[1][2] = 5;
    KmQtoR(r, zero);
    mathtest::Expect4x4Near(KmIdentity, r, 0);
}

TEST(Quaternion, FromRotationRoundTripsIncludingHalfTurns) {
    mathtest::Rng rng(17);
    for (int n = 0; n < 200; ++n) {
        double q[4] = {rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(-1, 1)};
        if (n % 4 == 0) q[3] = 0;  // half turns take the largest-diagonal path
        double len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        for (double& c : q) c /= len;
        KgeRMatrix r;
        KmQtoR(r, q);
        KgeQuaternion back;
        KmRtoQ(back, r);
        ExpectSameRotation(q, back);
    }
    // Half turn about X, built independently.
    KgeRMatrix r;
    mathtest::M3 m = AxisRot(0, 180);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = m.m[i][j];
    KgeQuaternion q;
    KmRtoQ(q, r);
    const double expected[4] = {1, 0, 0, 0};
    ExpectSameRotation(expected, q);
}

TEST(Quaternion, ProductComposesRightOperandFirstAndMayOverwriteLeft) {
    const double h = std::sqrt(0.5);
    KgeQuaternion a(0, 0, h, h);  // 90 about Z
    KgeQuaternion b(h, 0, 0, h);  // 90 about X
    KgeQuaternion ab;
    KmQQ(ab, a, b);
    KgeRMatrix r;
    KmQtoR(r, ab);
    mathtest::Expect3x3Near(Then(AxisRot(0, 90), AxisRot(2, 90)), r);
    KmQQ(a, a, b);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ab[i], a[i]);
}

TEST(Quaternion, SetQuaternionTurnsXOntoAxis) {
    // Spec values: X gives identity, Y a quarter turn about Z, Z a quarter turn about -Y.
    struct Case {
        KgeTVector v;
        mathtest::M3 expected;
    };
    const Case cases[] = {
        {KgeTVector(1, 0, 0), AxisRot(0, 0)},
        {KgeTVector(0, 1, 0), AxisRot(2, 90)},
        {KgeTVector(0, 0, 1), AxisRot(1, -90)},
    };
    for (const Case& c : cases) {
        KgeQuaternion q;
        KgeSetQuaternion(q, c.v);
        KgeRMatrix r;
        KmQtoR(r, q);
        mathtest::Expect3x3Near(c.expected, r);
    }
    KgeQuaternion q;
    KgeSetQuaternion(q, KgeTVector(0.6, 0.8, 0));
    EXPECT_EQ(0, q[0]);
    EXPECT_EQ(0, q[1]);
    EXPECT_EQ(0.8, q[2]);
    EXPECT_DOUBLE_EQ(1.6, q[3]);
}

TEST(Quaternion, TurnFromDirectionToDirection) {
    struct Case {
        KgeTVector a, b;
    };
    const Case cases[] = {
        {KgeTVector(1, 0, 0), KgeTVector(0, 1, 0)},
        {KgeTVector(2, 0, 0), KgeTVector(0, 0, -7)},
        {KgeTVector(1, 2, 3), KgeTVector(-3, 0.5, 2)},
        {KgeTVector(1, 2, 3), KgeTVector(1, 2, 3)},
        {KgeTVector(1, 0, 0), KgeTVector(-3, 0, 0)},   // opposite
        {KgeTVector(0, -1, 1), KgeTVector(0, 2, -2)},  // opposite, off-axis
    };
    for (const Case& c : cases) {
        KgeQuaternion q;
        GetQuaternionFromPositionToPosition(q, c.a, c.b);
        double len2 = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
        EXPECT_NEAR(1, len2, 1e-12);
        KgeRMatrix r;
        KmQtoR(r, q);
        double turned[3];
        Turn(turned, c.a, r);
        double la = std::sqrt(c.a[0] * c.a[0] + c.a[1] * c.a[1] + c.a[2] * c.a[2]);
        double lb = std::sqrt(c.b[0] * c.b[0] + c.b[1] * c.b[1] + c.b[2] * c.b[2]);
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(c.b[j] / lb, turned[j] / la, 1e-12);
    }
}

TEST(Quaternion, TurnFromOrToZeroDirectionIsIdentity) {
    KgeQuaternion q(1, 2, 3, 4);
    GetQuaternionFromPositionToPosition(q, KgeTVector(0, 0, 0), KgeTVector(1, 0, 0));
    EXPECT_EQ(1, q[3]);
    EXPECT_EQ(0, q[0]);
    q = KgeQuaternion(1, 2, 3, 4);
    GetQuaternionFromPositionToPosition(q, KgeTVector(1, 0, 0), KgeTVector(0, 0, 0));
    EXPECT_EQ(1, q[3]);
}
