// An array of doubles.
#ifndef VESK_MDOUBLEARRAY_H
#define VESK_MDOUBLEARRAY_H

#include <vesk/ValueArray.h>

// An array of doubles.
class MDoubleArray : public vesk::ValueArray<double, MDoubleArray> {
public:
    static constexpr const char* kArrayName = "MDoubleArray";
    using vesk::ValueArray<double, MDoubleArray>::ValueArray;
};

#endif
