// An array of points.
#ifndef VESK_MPOINTARRAY_H
#define VESK_MPOINTARRAY_H

#include <vesk/MPoint.h>
#include <vesk/ValueArray.h>

// An array of points.
class MPointArray : public vesk::ValueArray<MPoint, MPointArray> {
public:
    static constexpr const char* kArrayName = "MPointArray";
    using vesk::ValueArray<MPoint, MPointArray>::ValueArray;
    using vesk::ValueArray<MPoint, MPointArray>::append;
    // Appends the point (x, y, z, w).
    MStatus append(double x, double y, double z, double w = 1.0) { return append(MPoint(x, y, z, w)); }
};

#endif
