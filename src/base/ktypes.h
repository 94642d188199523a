// Fixed-width types shared by the whole SDK.
#ifndef QELSDK_BASE_KTYPES_H
#define QELSDK_BASE_KTYPES_H

#include <cstdint>

namespace qelsdk_600 {

typedef std::int8_t kByte;
typedef std::uint8_t kUByte;
typedef std::int16_t kShort;
typedef std::uint16_t kUShort;
typedef std::int32_t kInt;
typedef std::uint32_t kUInt;
typedef std::int64_t kLongLong;
typedef std::uint64_t kULongLong;

// A 32-bit value on the original platform that may hold a pointer: set values,
// reference values of string lists, plug user tags. Pointer-sized here so that
// nothing is truncated on 64-bit builds.
typedef std::uintptr_t kReference;

}  // namespace qelsdk_600

#endif
