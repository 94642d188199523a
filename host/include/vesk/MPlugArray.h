// An array of plugs.
#ifndef VESK_MPLUGARRAY_H
#define VESK_MPLUGARRAY_H

#include <vesk/MPlug.h>
#include <vesk/ValueArray.h>

// An array of plugs.
class MPlugArray : public vesk::ValueArray<MPlug, MPlugArray> {
public:
    static constexpr const char* kArrayName = "MPlugArray";
    using vesk::ValueArray<MPlug, MPlugArray>::ValueArray;
};

#endif
