// An array of object handles.
#ifndef VESK_MOBJECTARRAY_H
#define VESK_MOBJECTARRAY_H

#include <vesk/MObject.h>
#include <vesk/ValueArray.h>

// An array of object handles.
class MObjectArray : public vesk::ValueArray<MObject, MObjectArray> {
public:
    static constexpr const char* kArrayName = "MObjectArray";
    using vesk::ValueArray<MObject, MObjectArray>::ValueArray;
};

#endif
