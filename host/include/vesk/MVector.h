// A direction or offset of three doubles.
#ifndef VESK_MVECTOR_H
#define VESK_MVECTOR_H

#include <vesk/VeskExport.h>

class MMatrix;

// Plain value; a new vector is zero.
class VESK_API MVector {
public:
    constexpr MVector() {}
    constexpr MVector(double vx, double vy, double vz) : x(vx), y(vy), z(vz) {}

    MVector operator+(const MVector& o) const { return MVector(x + o.x, y + o.y, z + o.z); }
    MVector operator-(const MVector& o) const { return MVector(x - o.x, y - o.y, z - o.z); }
    MVector operator-() const { return MVector(-x, -y, -z); }
    MVector operator*(double s) const { return MVector(x * s, y * s, z * s); }
    MVector operator/(double s) const { return MVector(x / s, y / s, z / s); }
    MVector& operator+=(const MVector& o) { x += o.x; y += o.y; z += o.z; return *this; }
    MVector& operator-=(const MVector& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    // Dot product.
    double operator*(const MVector& o) const { return x * o.x + y * o.y + z * o.z; }
    // Cross product.
    MVector operator^(const MVector& o) const
    {
        return MVector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    // The vector as a row times the upper 3x3 of the matrix (no translation).
    MVector operator*(const MMatrix& m) const;
    bool operator==(const MVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MVector& o) const { return !(*this == o); }
    // Component 0, 1 or 2; any other index aborts.
    double& operator[](unsigned int i);
    double operator[](unsigned int i) const;

    double length() const;
    // The unit vector of the same direction; a zero vector stays zero.
    MVector normal() const;
    void normalize() { *this = normal(); }
    // Equal within tolerance in every component.
    bool isEquivalent(const MVector& o, double tolerance = 1e-10) const;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

#endif
