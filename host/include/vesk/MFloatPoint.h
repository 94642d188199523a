// A position in homogeneous coordinates, single precision.
#ifndef VESK_MFLOATPOINT_H
#define VESK_MFLOATPOINT_H

#include <vesk/MPoint.h>

// Plain value; a new point is (0, 0, 0, 1).
class MFloatPoint {
public:
    MFloatPoint() {}
    MFloatPoint(float px, float py, float pz, float pw = 1.0f) : x(px), y(py), z(pz), w(pw) {}
    // Each coordinate rounded to single precision.
    explicit MFloatPoint(const MPoint& p)
        : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)),
          w(static_cast<float>(p.w))
    {
    }
    MPoint asPoint() const { return MPoint(x, y, z, w); }
    bool operator==(const MFloatPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const MFloatPoint& o) const { return !(*this == o); }

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

#endif
