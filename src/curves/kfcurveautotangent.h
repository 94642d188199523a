// Conversions between the Bezier derivative of a key side and its auto form.
#ifndef QELSDK_CURVES_KFCURVEAUTOTANGENT_H
#define QELSDK_CURVES_KFCURVEAUTOTANGENT_H

namespace qelsdk_600 {

class KFCurve;

// The auto value b of a side blends the slopes L (segment ending at the key)
// and R (segment starting there): on the left side 100 gives L, -100 R, 0 the
// mean; the right side mirrors it. Beyond +-500 a quadratic sweep is added.
// Slopes and derivatives are value units per second. Results that would not
// be numbers (no real root) are replaced by the nearest defined value.

// The slopes L and R at key i; at the first key L = R, at the last R = L;
// both 0 for a curve with one key or none.
void KFCURVE_ComputeToLeftAndToRight(double& toLeft, double& toRight, KFCurve* curve, int index);

// Left derivative from its auto value.
void KFCURVE_ComputeLeftBezierFromAuto(double& derivative, double& autoValue, double& toLeft, double& toRight);
// Right derivative from its auto value.
void KFCURVE_ComputeRightBezierFromAuto(double& derivative, double& autoValue, double& toLeft, double& toRight);
// Inverse of the left conversion. A derivative of magnitude below 1e-5 is set
// to 0 first (through the reference).
void KFCURVE_ComputeLeftAutoFromBezier(double& autoValue, double& derivative, double& toLeft, double& toRight);
// Inverse of the right conversion; same zeroing.
void KFCURVE_ComputeRightAutoFromBezier(double& autoValue, double& derivative, double& toLeft, double& toRight);
// Both sides: the left conversion, then the right one.
void KFCURVE_ComputeBezierFromAuto(double& leftDerivative, double& rightDerivative, double& leftAuto,
                                   double& rightAuto, double& toLeft, double& toRight);
void KFCURVE_ComputeAutoFromBezier(double& leftAuto, double& rightAuto, double& leftDerivative,
                                   double& rightDerivative, double& toLeft, double& toRight);

// The same at key i of a curve, from the key's slopes; every output is 0 when
// the curve has no key.
void KFCURVE_ComputeLeftBezierFromAutoForKey(double& derivative, double& autoValue, KFCurve* curve, int index);
void KFCURVE_ComputeRightBezierFromAutoForKey(double& derivative, double& autoValue, KFCurve* curve, int index);
void KFCURVE_ComputeLeftAutoFromBezierForKey(double& autoValue, double& derivative, KFCurve* curve, int index);
void KFCURVE_ComputeRightAutoFromBezierForKey(double& autoValue, double& derivative, KFCurve* curve, int index);
void KFCURVE_ComputeBezierFromAutoForKey(double& leftDerivative, double& rightDerivative, double& leftAuto,
                                         double& rightAuto, KFCurve* curve, int index);
void KFCURVE_ComputeAutoFromBezierForKey(double& leftAuto, double& rightAuto, double& leftDerivative,
                                         double& rightDerivative, KFCurve* curve, int index);

}  // namespace qelsdk_600

#endif
