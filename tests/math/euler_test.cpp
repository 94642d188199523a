// Euler angles <-> rotation matrices, for every order.
#include <gtest/gtest.h>

#include <cmath>

#include "math/kanrotationorder.h"
#include "math/kgematrix.h"
#include "math/kmfunctions.h"
#include "math/math_test_util.h"

using namespace qelsdk_600;
using mathtest::AxisRot;
using mathtest::M3;
using mathtest::Then;

namespace {

// Axes of each order as documented: even orders distinct axes, odd orders the
// first axis repeated last.
const int kAxes[12][3] = {{0, 1, 2}, {0, 1, 0}, {0, 2, 1}, {0, 2, 0}, {1, 2, 0}, {1, 2, 1},
                          {1, 0, 2}, {1, 0, 1}, {2, 0, 1}, {2, 0, 2}, {2, 1, 0}, {2, 1, 2}};

M3 Reference(int order, double i, double j, double k) {
    return Then(Then(AxisRot(kAxes[order][0], i), AxisRot(kAxes[order][1], j)),
                AxisRot(kAxes[order][2], k));
}

}  // namespace

TEST(Euler, XYZMatchesHandValues) {
    KgeRMatrix r;
    KmXYZtoR(r, 90, 0, 0);  // Y goes to Z
    EXPECT_NEAR(1, r[1][2], 1e-15);
    EXPECT_NEAR(-1, r[2][1], 1e-15);
    KmXYZtoR(r, 0, 0, 90);  // X goes to Y
    EXPECT_NEAR(1, r[0][1], 1e-15);
    KmXYZtoR(r, 30, 40, 50);
    mathtest::Expect3x3Near(Reference(0, 30, 40, 50), r);
    double c = std::cos(40 * mathtest::kPi / 180);
    EXPECT_NEAR(c * std::cos(50 * mathtest::kPi / 180), r[0][0], 1e-15);
    EXPECT_NEAR(-std::sin(40 * mathtest::kPi / 180), r[0][2], 1e-15);
    EXPECT_EQ(0, r[3][0]);
    EXPECT_EQ(1, r[3][3]);
}

TEST(Euler, XYZRoundTripAwayFromPoles) {
    mathtest::Rng rng(11);
    for (int n = 0; n < 500; ++n) {
        double a[3] = {rng.Next(-179.9, 179.9), rng.Next(-89, 89), rng.Next(-179.9, 179.9)};
        KgeRMatrix r;
        KmXYZtoR(r, a[0], a[1], a[2]);
        double v[3];
        EXPECT_EQ(v, KmRtoVXYZ(v, r));
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], v[i], 1e-9) << n;
    }
}

TEST(Euler, XYZPolesGiveNinetyAndZeroZ) {
    struct Case {
        double x, y, z;  // input angles
        double ex, ey;   // expected X and Y; Z is 0
    };
    // At Y = -90 only x + z matters, at Y = +90 only x - z.
    const Case cases[] = {
        {30, -90, 0, 30, -90}, {30, -90, 10, 40, -90}, {170, -90, 20, -170, -90},
        {30, 90, 0, 30, 90},   {30, 90, 10, 20, 90},   {-120, 90, 0, -120, 90},
    };
    for (const Case& c : cases) {
        KgeRMatrix r;
        KmXYZtoR(r, c.x, c.y, c.z);
        double v[3];
        KmRtoVXYZ(v, r);
        EXPECT_NEAR(c.ex, v[0], 1e-9) << c.x << " " << c.y << " " << c.z;
        EXPECT_EQ(c.ey, v[1]);
        EXPECT_EQ(0, v[2]);
        KgeRMatrix back;
        KmXYZtoR(back, v[0], v[1], v[2]);
        mathtest::Expect3x3Near(Reference(0, c.x, c.y, c.z), back, 1e-9);
    }
}

TEST(Euler, EveryOrderIsTheProductOfItsAxisRotations) {
    for (int order = 0; order < 12; ++order) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(kAxes[order][j], KmEulerAxis[order][j]) << order;
        KgeRMatrix r;
        r[3][1] = 4;
        KmIJKtoR(r, 25, -35, 60, order);
        mathtest::Expect3x3Near(Reference(order, 25, -35, 60), r);
        EXPECT_EQ(4, r[3][1]) << "row 3 is left as it was";
    }
}

TEST(Euler, EveryOrderDecomposesBackToItsAngles) {
    mathtest::Rng rng(3);
    for (int order = 0; order < 12; ++order) {
        bool repeated = kAxes[order][0] == kAxes[order][2];
        for (int n = 0; n < 200; ++n) {
            double a[3] = {rng.Next(-179, 179), repeated ? rng.Next(1, 179) : rng.Next(-89, 89),
                           rng.Next(-179, 179)};
            KgeRMatrix r;
            KmIJKtoR(r, a[0], a[1], a[2], order);
            double v[3];
            EXPECT_EQ(v, KmRtoVord(v, r, order));
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], v[i], 1e-8) << "order " << order;
        }
    }
}

TEST(Euler, EveryOrderRebuildsAtGimbalLockWithThirdAngleZero) {
    for (int order = 0; order < 12; ++order) {
        bool repeated = kAxes[order][0] == kAxes[order][2];
        const double middles[2][2] = {{-90, 90}, {0, 180}};
        for (double middle : middles[repeated]) {
            KgeRMatrix r;
            KmIJKtoR(r, 40, middle, 15, order);
            double v[3];
            KmRtoVord(v, r, order);
            EXPECT_EQ(0, v[2]) << order;
            EXPECT_NEAR(std::fabs(middle), std::fabs(v[1]), 1e-9) << order;
            KgeRMatrix back;
            KmIJKtoR(back, v[0], v[1], v[2], order);
            mathtest::Expect3x3Near(Reference(order, 40, middle, 15), back, 1e-9);
        }
    }
}

TEST(Euler, OrderZeroDecompositionIsTheXYZOne) {
    KgeRMatrix r;
    KmXYZtoR(r, 10, 90, 20);
    double a[3], b[3];
    KmRtoVXYZ(a, r);
    KmRtoVord(b, r, 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], b[i]);
}

TEST(Euler, OrderOutsideTheTableIsXYZ) {
    KgeRMatrix r, xyz;
    KmXYZtoR(xyz, 10, 20, 30);
    for (int bad : {-1, 12, 1000}) {
        KmIJKtoR(r, 10, 20, 30, bad);
        mathtest::Expect4x4Near(xyz, r, 0);
        double v[3];
        KmRtoVord(v, xyz, bad);
        EXPECT_NEAR(20, v[1], 1e-9);
    }
}

TEST(RotationOrder, AnglesAreIndexedByAxis) {
    // Order 8 turns Z, then X, then Y; the vector still holds (x, y, z).
    KANRotationOrder order(8);
    KgeRMatrix r;
    r[3][0] = 3;
    order.V2M(r, KgeRVector(10, 20, 30));
    mathtest::Expect3x3Near(Then(Then(AxisRot(2, 30), AxisRot(0, 10)), AxisRot(1, 20)), r);
    EXPECT_EQ(0, r[3][0]);
    KgeRVector back(0, 0, 0, 7);
    order.M2V(back, r);
    EXPECT_NEAR(10, back[0], 1e-9);
    EXPECT_NEAR(20, back[1], 1e-9);
    EXPECT_NEAR(30, back[2], 1e-9);
    EXPECT_EQ(7, back[3]);
}

TEST(RotationOrder, RoundTripsForEveryIndex) {
    mathtest::Rng rng(5);
    for (int index = 0; index <= 12; ++index) {
        KANRotationOrder order(index);
        int e = index == 12 ? 0 : index;
        bool repeated = kAxes[e][0] == kAxes[e][2];
        // Angles in the principal ranges: the middle rotation within 90 degrees.
        double applied[3] = {rng.Next(-170, 170), rng.Next(20, 70), rng.Next(-170, 170)};
        KgeRVector v;
        for (int i = 0; i < 3; ++i) v[repeated ? i : kAxes[e][i]] = applied[i];
        KgeRMatrix r;
        order.V2M(r, v);
        KgeRVector back;
        order.M2V(back, r);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(v[i], back[i], 1e-9) << index;
        mathtest::Expect3x3Near(Reference(e, applied[0], applied[1], applied[2]), r);
    }
}

TEST(RotationOrder, SphericalAndUnknownOrdersComposeAsXYZ) {
    KgeRMatrix xyz;
    KmXYZtoR(xyz, 15, 25, 35);
    for (int index : {12, -3, 13}) {
        KANRotationOrder order(index);
        KgeRMatrix r;
        order.V2M(r, KgeRVector(15, 25, 35));
        mathtest::Expect4x4Near(xyz, r, 0);
    }
}
