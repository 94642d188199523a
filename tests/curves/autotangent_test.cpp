#include <cmath>

#include <gtest/gtest.h>

#include "curve_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurveautotangent.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;

double Left(double b, double l, double r)
{
    double d;
    KFCURVE_ComputeLeftBezierFromAuto(d, b, l, r);
    return d;
}

double Right(double b, double l, double r)
{
    double d;
    KFCURVE_ComputeRightBezierFromAuto(d, b, l, r);
    return d;
}

TEST(AutoTangent, ForwardConversionMatchesWorkedValues)
{
    struct Case {
        double b, l, r, left, right;
    } cases[] = {
        {0.0, 2.0, 1.0, 1.5, 1.5},        // the mean on both sides
        {100.0, 2.0, 1.0, 2.0, 1.0},      // left follows L, right follows R
        {-100.0, 2.0, 1.0, 1.0, 2.0},
        {600.0, 2.0, 1.0, 44.5, -41.5},   // 4.5 + 40 and -1.5 - 40
        {600.0, 1.0, 1.0, -39.0, 41.0},   // equal slopes: opposite sweeps
        {-600.0, 1.0, 1.0, 41.0, -39.0},
        {-600.0, 2.0, 1.0, -41.5, 44.5},  // DMid(-600) = -1.5, sweep 40
        {300.0, 2.0, 1.0, 3.0, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Left(c.b, c.l, c.r), c.left, 1e-9) << c.b << " " << c.l << " " << c.r;
        EXPECT_NEAR(Right(c.b, c.l, c.r), c.right, 1e-9) << c.b << " " << c.l << " " << c.r;
    }
}

// Auto -> derivative -> auto over the linear part and both sweeps, for
// rising, falling and equal slopes, on both sides.
TEST(AutoTangent, RoundTripsInEveryRegion)
{
    const double slopes[][2] = {{2.0, 1.0}, {1.0, 2.0}, {-3.0, 0.5}, {1.0, 1.0}, {0.0, 4.0}, {-2.0, -2.0}};
    const double autos[] = {-2000.0, -900.0, -501.0, -300.0, -100.0, 0.0, 42.0, 100.0, 499.0, 650.0, 1500.0};
    for (const auto& s : slopes) {
        for (double b : autos) {
            double l = s[0], r = s[1];
            double d = Left(b, l, r);
            double back;
            KFCURVE_ComputeLeftAutoFromBezier(back, d, l, r);
            if (l != r || std::fabs(b) > 500.0) {
                EXPECT_NEAR(back, b, 1e-6 * (1.0 + std::fabs(b))) << "left " << l << " " << r << " " << b;
            }
            EXPECT_NEAR(Left(back, l, r), Left(b, l, r), 1e-7 * (1.0 + std::fabs(d)));

            d = Right(b, l, r);
            KFCURVE_ComputeRightAutoFromBezier(back, d, l, r);
            if (l != r || std::fabs(b) > 500.0) {
                EXPECT_NEAR(back, b, 1e-6 * (1.0 + std::fabs(b))) << "right " << l << " " << r << " " << b;
            }
            EXPECT_NEAR(Right(back, l, r), Right(b, l, r), 1e-7 * (1.0 + std::fabs(d)));
        }
    }
}

TEST(AutoTangent, InverseSnapsTinyValuesAndHandlesEqualSlopes)
{
    double l = 3.0, r = 3.0;
    double d = 3.0;
    double b = 99.0;
    KFCURVE_ComputeLeftAutoFromBezier(b, d, l, r);
    EXPECT_EQ(b, 0.0);  // equal slopes, linear part

    double tiny = 5e-6;
    l = 1.0;
    r = -1.0;
    KFCURVE_ComputeLeftAutoFromBezier(b, tiny, l, r);
    EXPECT_EQ(tiny, 0.0);  // the input itself is zeroed
    EXPECT_NEAR(b, 0.0, 1e-12);

    // Near-zero slopes never produce a non-number.
    const double nearZero[][3] = {{3e-6, 0.0, 1e-5}, {3e-6, 1e-6, 1.1e-5}, {-4e-6, 2e-6, -1.5e-5}, {1e-300, 0.0, 1e-5}};
    for (const auto& c : nearZero) {
        double left = c[0], right = c[1], derivative = c[2], out;
        KFCURVE_ComputeLeftAutoFromBezier(out, derivative, left, right);
        EXPECT_TRUE(std::isfinite(out));
        derivative = c[2];
        KFCURVE_ComputeRightAutoFromBezier(out, derivative, left, right);
        EXPECT_TRUE(std::isfinite(out));
    }
}

TEST(AutoTangent, KeySlopesTakeEndsFromTheInnerSide)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 2.0f}, {3.0, 3.0f}});
    double l = 7.0, r = 7.0;
    KFCURVE_ComputeToLeftAndToRight(l, r, &curve, 0);
    EXPECT_DOUBLE_EQ(l, 2.0);
    EXPECT_DOUBLE_EQ(r, 2.0);
    KFCURVE_ComputeToLeftAndToRight(l, r, &curve, 1);
    EXPECT_DOUBLE_EQ(l, 2.0);
    EXPECT_DOUBLE_EQ(r, 0.5);
    KFCURVE_ComputeToLeftAndToRight(l, r, &curve, 2);
    EXPECT_DOUBLE_EQ(l, 0.5);
    EXPECT_DOUBLE_EQ(r, 0.5);
}

TEST(AutoTangent, SingleKeyAndEmptyCurveGiveZero)
{
    KFCurve empty;
    double d = 5.0, b = 50.0, l = 1.0, r = 1.0;
    KFCURVE_ComputeLeftBezierFromAutoForKey(d, b, &empty, 0);
    EXPECT_EQ(d, 0.0);
    d = 5.0;
    KFCURVE_ComputeRightAutoFromBezierForKey(b, d, &empty, 0);
    EXPECT_EQ(b, 0.0);
    double d2 = 1.0, b2 = 1.0;
    KFCURVE_ComputeAutoFromBezierForKey(b, b2, d, d2, &empty, 0);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(b2, 0.0);

    KFCurve single;
    FillUniform(single, kFCurveInterpolationCubic, kFCurveTangentAuto, {{1.0, 4.0f}});
    KFCURVE_ComputeToLeftAndToRight(l, r, &single, 0);
    EXPECT_EQ(l, 0.0);
    EXPECT_EQ(r, 0.0);
    b = 700.0;
    KFCURVE_ComputeLeftBezierFromAutoForKey(d, b, &single, 0);
    EXPECT_TRUE(std::isfinite(d));
    d = 12.0;
    KFCURVE_ComputeRightAutoFromBezierForKey(b, d, &single, 0);
    EXPECT_TRUE(std::isfinite(b));
}

TEST(AutoTangent, BothSidesAtOnceMatchOneSideEach)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0.0, 0.0f}, {1.0, 3.0f}, {2.0, 2.0f}});
    double leftAuto = 40.0, rightAuto = 700.0, leftD, rightD;
    KFCURVE_ComputeBezierFromAutoForKey(leftD, rightD, leftAuto, rightAuto, &curve, 1);
    EXPECT_NEAR(leftD, Left(40.0, 3.0, -1.0), 1e-12);
    EXPECT_NEAR(rightD, Right(700.0, 3.0, -1.0), 1e-12);
    double backLeft, backRight;
    KFCURVE_ComputeAutoFromBezierForKey(backLeft, backRight, leftD, rightD, &curve, 1);
    EXPECT_NEAR(backLeft, 40.0, 1e-9);
    EXPECT_NEAR(backRight, 700.0, 1e-9);
}

}  // namespace
}  // namespace qelsdk_600
