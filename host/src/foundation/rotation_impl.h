// Rotation helpers shared by the rotation and transformation types.
#ifndef VESK_FOUNDATION_ROTATION_IMPL_H
#define VESK_FOUNDATION_ROTATION_IMPL_H

#include <vesk/MMatrix.h>

namespace vesk {

// The three axes (0 X, 1 Y, 2 Z) of an Euler order code (0 to 5) in the order
// they turn a point; any other code counts as XYZ.
void orderAxes(int order, int axes[3]);
// A turn of angle radians about one axis, for row vectors.
MMatrix axisRotation(int axis, double angle);
// The upper 3x3 of m with each row made unit length (zero rows kept), in an
// otherwise identity matrix.
MMatrix rotationPart(const MMatrix& m);

} // namespace vesk

#endif
