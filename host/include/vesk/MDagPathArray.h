// An array of DAG paths.
#ifndef VESK_MDAGPATHARRAY_H
#define VESK_MDAGPATHARRAY_H

#include <vesk/MDagPath.h>
#include <vesk/ValueArray.h>

// An array of DAG paths.
class MDagPathArray : public vesk::ValueArray<MDagPath, MDagPathArray> {
public:
    static constexpr const char* kArrayName = "MDagPathArray";
    using vesk::ValueArray<MDagPath, MDagPathArray>::ValueArray;
};

#endif
