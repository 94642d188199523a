// An array of single-precision points.
#ifndef VESK_MFLOATPOINTARRAY_H
#define VESK_MFLOATPOINTARRAY_H

#include <vesk/MFloatPoint.h>
#include <vesk/ValueArray.h>

// An array of single-precision points.
class MFloatPointArray : public vesk::ValueArray<MFloatPoint, MFloatPointArray> {
public:
    static constexpr const char* kArrayName = "MFloatPointArray";
    using vesk::ValueArray<MFloatPoint, MFloatPointArray>::ValueArray;
    using vesk::ValueArray<MFloatPoint, MFloatPointArray>::append;
    // Appends the point (x, y, z, w).
    MStatus append(float x, float y, float z, float w = 1.0f) { return append(MFloatPoint(x, y, z, w)); }
};

#endif
