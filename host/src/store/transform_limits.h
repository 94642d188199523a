// The limits a transform keeps on its translation, rotation, scale and
// shear, by their type codes (MFnTransform::LimitType).
#ifndef VESK_STORE_TRANSFORM_LIMITS_H
#define VESK_STORE_TRANSFORM_LIMITS_H

#include <string>

#include <vesk/VeskExport.h>

namespace vesk {

// Codes 0 to 5 scale, 6 to 11 shear, 12 to 17 rotate, 18 to 23 translate;
// per axis the minimum, then the maximum.
constexpr int kTransformLimitCount = 24;

// The transform attribute of a limit's value ("minRotateXLimit", an angle for
// rotations, a distance for translations) or of its switch
// ("minRotateXLimitEnable"); "" for a code outside 0 to 23.
VESK_API std::string transformLimitName(int type, bool enable);

} // namespace vesk

#endif
