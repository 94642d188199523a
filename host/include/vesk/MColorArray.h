// An array of colours.
#ifndef VESK_MCOLORARRAY_H
#define VESK_MCOLORARRAY_H

#include <vesk/MColor.h>
#include <vesk/ValueArray.h>

// An array of colours.
class MColorArray : public vesk::ValueArray<MColor, MColorArray> {
public:
    static constexpr const char* kArrayName = "MColorArray";
    using vesk::ValueArray<MColor, MColorArray>::ValueArray;
    using vesk::ValueArray<MColor, MColorArray>::append;
    // Appends the colour (r, g, b, a).
    MStatus append(float r, float g, float b, float a = 1.0f) { return append(MColor(r, g, b, a)); }
};

#endif
