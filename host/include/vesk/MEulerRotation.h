// A rotation as three angles in radians and an order.
#ifndef VESK_MEULERROTATION_H
#define VESK_MEULERROTATION_H

#include <vesk/VeskExport.h>

class MMatrix;
class MQuaternion;
class MVector;

// The order names the axes in the order they turn a point: kXYZ turns X
// first, so its matrix is Rx * Ry * Rz for row vectors. The codes are the
// MTransformationMatrix codes minus one.
class VESK_API MEulerRotation {
public:
    enum RotationOrder {
        kXYZ = 0,
        kYZX = 1,
        kZXY = 2,
        kXZY = 3,
        kYXZ = 4,
        kZYX = 5
    };

    MEulerRotation() {}
    MEulerRotation(double rx, double ry, double rz, RotationOrder ord = kXYZ) : x(rx), y(ry), z(rz), order(ord) {}
    MEulerRotation(const MVector& v, RotationOrder ord = kXYZ);

    MMatrix asMatrix() const;
    MQuaternion asQuaternion() const;
    MVector asVector() const;
    MEulerRotation& setValue(double rx, double ry, double rz, RotationOrder ord = kXYZ);

    // The same rotation expressed in another order.
    MEulerRotation reorder(RotationOrder ord) const;
    MEulerRotation& reorderIt(RotationOrder ord) { return *this = reorder(ord); }
    // The angles of the rotation part of m (rows normalised) in the order.
    // At +-90 degrees about the middle axis the last angle is 0.
    static MEulerRotation decompose(const MMatrix& m, RotationOrder ord);

    bool operator==(const MEulerRotation& o) const
    {
        return x == o.x && y == o.y && z == o.z && order == o.order;
    }
    bool operator!=(const MEulerRotation& o) const { return !(*this == o); }
    // Same order and angles within tolerance.
    bool isEquivalent(const MEulerRotation& o, double tolerance = 1e-10) const;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    RotationOrder order = kXYZ;
};

#endif
