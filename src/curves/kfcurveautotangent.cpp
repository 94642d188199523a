// Auto <-> Bezier conversion of key tangents.
#include "curves/kfcurveautotangent.h"

#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurve_impl.h"

namespace qelsdk_600 {

namespace {

// Derivatives this small convert as 0.
constexpr double kTinyDerivative = 1e-5;

double Sweep(double x, double y)
{
    return x * x * y;
}

double DMid(double b, double p, double q)
{
    return 0.5 * ((100.0 + b) / 100.0 * p + (100.0 - b) / 100.0 * q);
}

// Sweep of the upper region (b > 500), signed by `up`.
double DLeft(double b, double p, double q, bool up)
{
    return DMid(b, p, q) + Sweep((b - 500.0) / 500.0, up ? 1000.0 : -1000.0);
}

// Sweep of the lower region (b < -500).
double DRight(double b, double p, double q, bool up)
{
    return DMid(b, p, q) + Sweep((b + 500.0) / -500.0, up ? -1000.0 : 1000.0);
}

// Derivative of a side from b. p is the slope that b = 100 selects on this
// side, q the other; `up` decides the sign of the sweeps.
double BezierFromAuto(double b, double p, double q, bool up)
{
    if (b > 500.0)
        return DLeft(b, p, q, up);
    if (b < -500.0)
        return DRight(b, p, q, up);
    return DMid(b, p, q);
}

// The root of s x^2 + B x + C = 0 that is larger (or smaller) in x. A
// negative discriminant, which rounding can produce next to the region
// boundary, is taken as 0: the vertex is the nearest defined value.
double QuadraticRoot(double s, double linear, double constant, bool larger)
{
    double discriminant = linear * linear - 4.0 * s * constant;
    if (!(discriminant > 0.0))
        discriminant = 0.0;
    const double root = std::sqrt(discriminant);
    // Cancellation-free pair of roots.
    const double q = -0.5 * (linear + (linear >= 0.0 ? root : -root));
    double x1 = q / s;
    double x2 = q != 0.0 ? constant / q : x1;
    if (x1 > x2) {
        const double t = x1;
        x1 = x2;
        x2 = t;
    }
    return larger ? x2 : x1;
}

// Inverse of BezierFromAuto: the b whose derivative is d on the side whose
// own slope is p. Solved in x = (b -+ 500) / 500, where the sweep region is
// s x^2 + 2.5 (p - q) x + (d(+-500) - d) = 0.
double AutoFromBezier(double& d, double p, double q, bool up)
{
    double dHi = 3.0 * p - 2.0 * q;  // derivative at b = 500
    double dLo = 3.0 * q - 2.0 * p;  // derivative at b = -500
    if (std::fabs(dHi) < kTinyDerivative)
        dHi = 0.0;
    if (std::fabs(dLo) < kTinyDerivative)
        dLo = 0.0;
    if (std::fabs(d) < kTinyDerivative)
        d = 0.0;

    bool upper, lower;
    if (up) {
        upper = d > dHi;
        lower = !upper && dLo > d;
    } else {
        upper = dHi > d;
        lower = !upper && d > dLo;
    }
    const double slope = 2.5 * (p - q);  // d(DMid)/dx with b = 500 x +- 500
    if (upper) {
        const double s = up ? 1000.0 : -1000.0;
        const double x = QuadraticRoot(s, slope, (3.0 * p - 2.0 * q) - d, true);
        return 500.0 + 500.0 * x;
    }
    if (lower) {
        const double s = up ? -1000.0 : 1000.0;
        const double x = QuadraticRoot(s, slope, (3.0 * q - 2.0 * p) - d, false);
        return -500.0 + 500.0 * x;
    }
    if (p == q)
        return 0.0;
    return (200.0 * d - 100.0 * (p + q)) / (p - q);
}

// Slope of the segment from key a to key b: single-precision value
// difference over single-precision seconds.
double SegmentSlope(KFCurve* curve, int a, int b)
{
    const float dv = curve->KeyGetValue(b) - curve->KeyGetValue(a);
    const float dt = static_cast<float>(kfcurve_detail::SecondsBetween(curve->KeyGetTime(a), curve->KeyGetTime(b)));
    return static_cast<double>(dv / dt);
}

// The key's slopes, or false (outputs 0) for a curve without keys.
bool KeySlopes(double& toLeft, double& toRight, KFCurve* curve, int index)
{
    if (!curve || curve->KeyGetCount() == 0)
        return false;
    KFCURVE_ComputeToLeftAndToRight(toLeft, toRight, curve, index);
    return true;
}

}  // namespace

void KFCURVE_ComputeToLeftAndToRight(double& toLeft, double& toRight, KFCurve* curve, int index)
{
    const int last = curve ? curve->KeyGetCount() - 1 : -1;
    // A slope that cannot be computed (one key, or a key outside the curve)
    // is 0 rather than whatever the caller's variable held.
    toLeft = 0.0;
    toRight = 0.0;
    if (index < 0 || index > last)
        return;
    if (index < last)
        toRight = SegmentSlope(curve, index, index + 1);
    if (index > 0)
        toLeft = SegmentSlope(curve, index - 1, index);
    if (index == 0)
        toLeft = toRight;
    else if (index == last)
        toRight = toLeft;
}

void KFCURVE_ComputeLeftBezierFromAuto(double& derivative, double& autoValue, double& toLeft, double& toRight)
{
    if (autoValue == 100.0)
        derivative = toLeft;
    else if (autoValue == -100.0)
        derivative = toRight;
    else
        derivative = BezierFromAuto(autoValue, toLeft, toRight, toLeft > toRight);
}

void KFCURVE_ComputeRightBezierFromAuto(double& derivative, double& autoValue, double& toLeft, double& toRight)
{
    // Equal slopes count as "up" here, so that the sweeps of the two sides
    // have opposite signs in every case.
    derivative = BezierFromAuto(autoValue, toRight, toLeft, toRight >= toLeft);
}

void KFCURVE_ComputeLeftAutoFromBezier(double& autoValue, double& derivative, double& toLeft, double& toRight)
{
    autoValue = AutoFromBezier(derivative, toLeft, toRight, toLeft > toRight);
}

void KFCURVE_ComputeRightAutoFromBezier(double& autoValue, double& derivative, double& toLeft, double& toRight)
{
    autoValue = AutoFromBezier(derivative, toRight, toLeft, toRight >= toLeft);
}

void KFCURVE_ComputeBezierFromAuto(double& leftDerivative, double& rightDerivative, double& leftAuto,
                                   double& rightAuto, double& toLeft, double& toRight)
{
    KFCURVE_ComputeLeftBezierFromAuto(leftDerivative, leftAuto, toLeft, toRight);
    KFCURVE_ComputeRightBezierFromAuto(rightDerivative, rightAuto, toLeft, toRight);
}

void KFCURVE_ComputeAutoFromBezier(double& leftAuto, double& rightAuto, double& leftDerivative,
                                   double& rightDerivative, double& toLeft, double& toRight)
{
    KFCURVE_ComputeLeftAutoFromBezier(leftAuto, leftDerivative, toLeft, toRight);
    KFCURVE_ComputeRightAutoFromBezier(rightAuto, rightDerivative, toLeft, toRight);
}

void KFCURVE_ComputeLeftBezierFromAutoForKey(double& derivative, double& autoValue, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index))
        KFCURVE_ComputeLeftBezierFromAuto(derivative, autoValue, toLeft, toRight);
    else
        derivative = 0.0;
}

void KFCURVE_ComputeRightBezierFromAutoForKey(double& derivative, double& autoValue, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index))
        KFCURVE_ComputeRightBezierFromAuto(derivative, autoValue, toLeft, toRight);
    else
        derivative = 0.0;
}

void KFCURVE_ComputeLeftAutoFromBezierForKey(double& autoValue, double& derivative, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index))
        KFCURVE_ComputeLeftAutoFromBezier(autoValue, derivative, toLeft, toRight);
    else
        autoValue = 0.0;
}

void KFCURVE_ComputeRightAutoFromBezierForKey(double& autoValue, double& derivative, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index))
        KFCURVE_ComputeRightAutoFromBezier(autoValue, derivative, toLeft, toRight);
    else
        autoValue = 0.0;
}

void KFCURVE_ComputeBezierFromAutoForKey(double& leftDerivative, double& rightDerivative, double& leftAuto,
                                         double& rightAuto, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index)) {
        KFCURVE_ComputeBezierFromAuto(leftDerivative, rightDerivative, leftAuto, rightAuto, toLeft, toRight);
    } else {
        leftDerivative = 0.0;
        rightDerivative = 0.0;
    }
}

void KFCURVE_ComputeAutoFromBezierForKey(double& leftAuto, double& rightAuto, double& leftDerivative,
                                         double& rightDerivative, KFCurve* curve, int index)
{
    double toLeft, toRight;
    if (KeySlopes(toLeft, toRight, curve, index)) {
        KFCURVE_ComputeAutoFromBezier(leftAuto, rightAuto, leftDerivative, rightDerivative, toLeft, toRight);
    } else {
        leftAuto = 0.0;
        rightAuto = 0.0;
    }
}

}  // namespace qelsdk_600
