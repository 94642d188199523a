// An array of ints.
#ifndef VESK_MINTARRAY_H
#define VESK_MINTARRAY_H

#include <vesk/ValueArray.h>

// An array of ints.
class MIntArray : public vesk::ValueArray<int, MIntArray> {
public:
    static constexpr const char* kArrayName = "MIntArray";
    using vesk::ValueArray<int, MIntArray>::ValueArray;
};

#endif
