// Free matrix, Euler and quaternion functions of the geometry math.
//
// Matrices are 4x4 doubles by rows: rows 0 to 2 the X, Y and Z axes, row 3 the
// translation; points are row vectors, so "applies b first, then a" is the
// row-matrix product b x a. Angles are in degrees. Every function reads all of
// its inputs before writing, so an output may be the same array as any input.
// Quaternions are (x, y, z, w), w last.
#ifndef QELSDK_MATH_KMFUNCTIONS_H
#define QELSDK_MATH_KMFUNCTIONS_H

#include "math/kgematrix.h"
#include "math/kgequaternion.h"
#include "math/kgevector.h"

namespace qelsdk_600 {

// Affine product that applies b first, then a, on the 3x4 part (axes and
// translation); column 3 of out is not written.
void KmAA(double (*out)[4], const double (*a)[4], const double (*b)[4]);

// Inverse of an affine matrix whose axis rows are orthogonal (rotation times
// scaling): transposed rows divided by their squared lengths, translation -t
// times that. A zero-length axis row contributes zero (pseudo-inverse) instead
// of dividing by zero. 3x4 part only; column 3 of out is not written.
void KmAi(double (*out)[4], const double (*in)[4]);

// Applies b first, then the inverse of a (KmAi rules); 3x4 part only.
void KmAiA(double (*out)[4], const double (*a)[4], const double (*b)[4]);

// 3x3 product that turns by b first, then by a; the rest of out is kept.
void KmRR(double (*out)[4], const double (*a)[4], const double (*b)[4]);

// Inverse of a pure rotation: the transpose of the 3x3 part; rest of out kept.
void KmRi(double (*out)[4], const double (*in)[4]);

// Turns by b first, then by the inverse (transpose) of a: the rotation that
// carries frame a onto frame b. 3x3 only; rest of out kept.
void KmRiR(double (*out)[4], const double (*a)[4], const double (*b)[4]);

// The 3x3 part of r with row i multiplied by s[i] (scaling applied before the
// rotation); rest of out kept.
void KmRS(double (*out)[4], const double (*r)[4], const double* s);

// Rotation of an affine matrix, its axis rows normalised; writes all of r
// (row 3 zero, column 3 (0, 0, 0, 1)). A zero-length row is rebuilt from the
// other two (cross product); with two zero rows the rotation is the shortest
// turn onto the remaining axis; with three, the identity. Never NaN.
void KgeSetRM(double (*r)[4], const double (*a)[4]);

// Euler rotation in degrees turning about X first, then Y, then Z; row 0 is
// (cos y cos z, cos y sin z, -sin y). Writes the 3x3 part only.
void KmXYZtoR(double (*r)[4], double pX, double pY, double pZ);

// Euler X, Y, Z angles in degrees (X applied first) of the rotation in the 3x3
// part of r. When |r[0][2]| >= 0.999999, Y is -90 or +90 and Z is 0. Returns
// angles.
double* KmRtoVXYZ(double* angles, const double (*r)[4]);

// Axis indices (0 X, 1 Y, 2 Z) of Euler order 0 to 11, in the order the
// rotations are applied. Even orders are the six orders of three distinct
// axes: 0 XYZ, 2 XZY, 4 YZX, 6 YXZ, 8 ZXY, 10 ZYX (bit 1 marks the odd
// permutations). Odd orders repeat their first axis last: 1 XYX, 3 XZX,
// 5 YZY, 7 YXY, 9 ZXZ, 11 ZYZ.
extern const int KmEulerAxis[12][3];

// Rotation of angles i, j, k in degrees about the three axes of Euler order
// `order` (KmEulerAxis), i applied first. Writes the 3x3 part only. An order
// outside 0 to 11 is taken as 0.
void KmIJKtoR(double (*r)[4], double pI, double pJ, double pK, int order);

// Inverse of KmIJKtoR: angles[0] is the angle about the order's first axis,
// angles[1] the second, angles[2] the third, in degrees. At gimbal lock the
// third angle is 0 (order 0 gives exactly KmRtoVXYZ). An order outside 0 to
// 11 is taken as 0. Returns angles.
double* KmRtoVord(double* angles, const double (*r)[4], int order);

// Quaternion of the rotation in the 3x3 part of r (trace method, else from the
// largest diagonal term); a 3x3 part that is no rotation at all may give the
// identity, never NaN.
void KmRtoQ(double* q, const double (*r)[4]);

// Rotation of quaternion q scaled by 2/|q|^2, so any non-zero length gives a
// proper rotation; a zero quaternion gives the identity. Writes the 3x3 part.
void KmQtoR(double (*r)[4], const double* q);

// Hamilton product a (x) b: the rotation of b first, then a.
void KmQQ(double* out, const double* a, const double* b);

// The quaternion (0, -v.z, v.y, 1 + v.x), not normalised, that turns the X
// axis onto the unit vector v (zero when v is -X).
void KgeSetQuaternion(KgeQuaternion& q, const KgeTVector& v);

// Unit quaternion of the shortest turn of direction a onto direction b (x, y,
// z only; any lengths). Opposite directions give a half turn about an axis
// perpendicular to a; a zero-length direction gives the identity.
void GetQuaternionFromPositionToPosition(KgeQuaternion& q, const KgeTVector& a,
                                         const KgeTVector& b);

}  // namespace qelsdk_600

#endif
