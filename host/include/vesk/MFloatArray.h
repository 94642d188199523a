// An array of floats.
#ifndef VESK_MFLOATARRAY_H
#define VESK_MFLOATARRAY_H

#include <vesk/ValueArray.h>

// An array of floats.
class MFloatArray : public vesk::ValueArray<float, MFloatArray> {
public:
    static constexpr const char* kArrayName = "MFloatArray";
    using vesk::ValueArray<float, MFloatArray>::ValueArray;
};

#endif
