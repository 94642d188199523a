// An array of texts.
#ifndef VESK_MSTRINGARRAY_H
#define VESK_MSTRINGARRAY_H

#include <vesk/MString.h>
#include <vesk/ValueArray.h>

// An array of texts.
class MStringArray : public vesk::ValueArray<MString, MStringArray> {
public:
    static constexpr const char* kArrayName = "MStringArray";
    using vesk::ValueArray<MString, MStringArray>::ValueArray;
};

#endif
