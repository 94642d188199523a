// An array of vectors.
#ifndef VESK_MVECTORARRAY_H
#define VESK_MVECTORARRAY_H

#include <vesk/MVector.h>
#include <vesk/ValueArray.h>

// An array of vectors.
class MVectorArray : public vesk::ValueArray<MVector, MVectorArray> {
public:
    static constexpr const char* kArrayName = "MVectorArray";
    using vesk::ValueArray<MVector, MVectorArray>::ValueArray;
};

#endif
