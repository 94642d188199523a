// Conversions between plug numbers and the numeric types of get and set
// calls. No conversion is undefined: integers narrow modulo 2^n, doubles
// truncate toward zero, NaN gives 0 and out-of-range values clamp.
#ifndef VESK_STORE_NUMERIC_H
#define VESK_STORE_NUMERIC_H

#include <cstdint>

#include <vesk/VeskExport.h>

namespace vesk {

class Attribute;

// The value kept for a number written to a numeric attribute (number,
// unit or enum): narrowed to the attribute's type. fromInteger says the
// number came from an integer (then integer types wrap instead of clamp).
VESK_API double storedNumber(const Attribute* a, double value, bool fromInteger);

// A stored number read as a signed integer of the given width (8, 16 or
// 32 bits) or as a bool or float.
VESK_API int64_t readInteger(const Attribute* a, double stored, int bits);
VESK_API bool readBool(double stored);
VESK_API float readFloat(double stored);

// Helpers: the low bits of v as a signed number; v truncated and clamped.
VESK_API int64_t wrapSigned(int64_t v, int bits);
VESK_API int64_t clampToInteger(double v, int bits);
VESK_API float clampToFloat(double v);

} // namespace vesk

#endif
