// The type tree of host objects (vesk/MFn.h): ancestry and names.
#ifndef VESK_STORE_TYPES_H
#define VESK_STORE_TYPES_H

#include <vesk/MFn.h>
#include <vesk/VeskExport.h>

namespace vesk {

// True when t is base or descends from it; false for kInvalid either way.
VESK_API bool typeIsA(MFn::Type t, MFn::Type base);
// The parent type, or kInvalid at a root or for an unknown type.
VESK_API MFn::Type typeParent(MFn::Type t);
// The enumerator's name ("kTransform"); "kInvalid" for an unknown type.
VESK_API const char* typeName(MFn::Type t);
// Declares a type below kLast with its parent and name (a kind added by a
// later module of the host); false when the number is out of range or taken.
VESK_API bool registerType(MFn::Type t, MFn::Type parent, const char* name);

} // namespace vesk

#endif
