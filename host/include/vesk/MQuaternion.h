// A rotation as a unit quaternion (x, y, z, w).
#ifndef VESK_MQUATERNION_H
#define VESK_MQUATERNION_H

#include <vesk/VeskExport.h>

class MEulerRotation;
class MMatrix;
class MVector;

// w last. Its matrix has row 0 (1 - 2(y² + z²), 2(xy + zw), 2(xz - yw)), for
// row vectors. A new quaternion is the identity (0, 0, 0, 1).
class VESK_API MQuaternion {
public:
    constexpr MQuaternion() {}
    constexpr MQuaternion(double qx, double qy, double qz, double qw) : x(qx), y(qy), z(qz), w(qw) {}
    // A turn of angle radians about the axis (normalised; a zero axis gives
    // the identity).
    MQuaternion(double angle, const MVector& axis);

    static const MQuaternion identity;

    // The rotation matrix (translation zero).
    MMatrix asMatrix() const;
    // Euler angles in XYZ order.
    MEulerRotation asEulerRotation() const;
    // The rotation of a rotation matrix (its upper 3x3, rows normalised).
    MQuaternion& operator=(const MMatrix& m);
    // The composition that applies this rotation first, then o: the matrix of
    // a * b is a.asMatrix() * b.asMatrix().
    MQuaternion operator*(const MQuaternion& o) const;
    bool operator==(const MQuaternion& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MQuaternion& o) const { return !(*this == o); }
    bool isEquivalent(const MQuaternion& o, double tolerance = 1e-10) const;

    MQuaternion conjugate() const { return MQuaternion(-x, -y, -z, w); }
    MQuaternion inverse() const;
    MQuaternion normal() const;
    MQuaternion& normalizeIt() { return *this = normal(); }
    // Angle in radians in [0, pi] and unit axis; the identity gives angle 0
    // and the X axis.
    bool getAxisAngle(MVector& axis, double& angle) const;
    MQuaternion& setAxisAngle(const MVector& axis, double angle);

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

#endif
