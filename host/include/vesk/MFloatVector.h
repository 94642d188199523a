// A direction of three floats.
#ifndef VESK_MFLOATVECTOR_H
#define VESK_MFLOATVECTOR_H

#include <vesk/MVector.h>

// Plain value; a new vector is zero.
class MFloatVector {
public:
    MFloatVector() {}
    MFloatVector(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}
    // Each component rounded to single precision.
    explicit MFloatVector(const MVector& v)
        : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z))
    {
    }
    MVector asVector() const { return MVector(x, y, z); }
    bool operator==(const MFloatVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MFloatVector& o) const { return !(*this == o); }

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

#endif
