// A position in homogeneous coordinates (x, y, z, w).
#ifndef VESK_MPOINT_H
#define VESK_MPOINT_H

#include <vesk/MVector.h>
#include <vesk/VeskExport.h>

class MMatrix;

// Plain value; a new point is the origin (0, 0, 0, 1).
class VESK_API MPoint {
public:
    constexpr MPoint() {}
    constexpr MPoint(double px, double py, double pz, double pw = 1.0) : x(px), y(py), z(pz), w(pw) {}
    explicit MPoint(const MVector& v) : x(v.x), y(v.y), z(v.z), w(1.0) {}

    // (0, 0, 0, 1).
    static const MPoint origin;

    MPoint operator+(const MVector& v) const { return MPoint(x + v.x, y + v.y, z + v.z, w); }
    MPoint operator-(const MVector& v) const { return MPoint(x - v.x, y - v.y, z - v.z, w); }
    MVector operator-(const MPoint& p) const { return MVector(x - p.x, y - p.y, z - p.z); }
    // Scales x, y and z; w is kept.
    MPoint operator*(double s) const { return MPoint(x * s, y * s, z * s, w); }
    // The point as a row times the matrix (all four coordinates).
    MPoint operator*(const MMatrix& m) const;
    bool operator==(const MPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MPoint& o) const { return !(*this == o); }
    // Coordinate 0 to 3; any other index aborts.
    double& operator[](unsigned int i);
    double operator[](unsigned int i) const;

    // Divides x, y and z by w and sets w to 1 (nothing when w is 0).
    MPoint& cartesianize();
    double distanceTo(const MPoint& o) const;
    bool isEquivalent(const MPoint& o, double tolerance = 1e-10) const;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

#endif
