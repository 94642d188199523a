// Small operations on runs of doubles used by curve node evaluation and
// rotation continuity.
#ifndef QELSDK_CURVES_KFCURVEROTATION_H
#define QELSDK_CURVES_KFCURVEROTATION_H

namespace qelsdk_600 {

// Writes into out the Euler triple equivalent to current (degrees) that lies
// nearest to previous: whole turns per axis, or the flipped form
// (a + 180, 180 - b, c + 180) over the order's axes a, b, c (a row of
// KmEulerAxis). At gimbal lock the free angle is shared between the first
// and the last axis. True when the flipped form was chosen (ties choose it).
// out may be current.
bool KVNGetContinuousRotation(double* out, const double* current, const double* previous, const int* axes);

// The axis order X, Y, Z ({0, 1, 2}) as KVNGetContinuousRotation takes it.
extern const int gQelEulerOrder[3];

// out[i] = a[i] + b[i] for i below n; out may be a or b.
void KVNAdd(double* out, const double* a, const double* b, int n);
// out[i] = a[i] * scale for i below n; out may be a.
void KVNScale(double* out, const double* a, double scale, int n);

}  // namespace qelsdk_600

#endif
