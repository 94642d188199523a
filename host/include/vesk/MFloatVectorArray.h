// An array of single-precision vectors.
#ifndef VESK_MFLOATVECTORARRAY_H
#define VESK_MFLOATVECTORARRAY_H

#include <vesk/MFloatVector.h>
#include <vesk/ValueArray.h>

// An array of single-precision vectors.
class MFloatVectorArray : public vesk::ValueArray<MFloatVector, MFloatVectorArray> {
public:
    static constexpr const char* kArrayName = "MFloatVectorArray";
    using vesk::ValueArray<MFloatVector, MFloatVectorArray>::ValueArray;
};

#endif
