// Numbers of a node's plugs by attribute name, as the function sets of
// transforms, cameras, lights and shaders read and write them.
#ifndef VESK_CORE_PLUG_ACCESS_H
#define VESK_CORE_PLUG_ACCESS_H

#include <cstddef>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "store/ids.h"

namespace vesk {

// One plug to write: an attribute name (long or short, children
// included) and a number in internal units.
struct NamedNumber {
    const char* name;
    double value;
};

// The value of a numeric plug as plugs read it (a driving curve's value at
// the current time, else the stored value or the default); false when the
// node lacks a numeric attribute of that name.
VESK_API bool readNumber(NodeId node, const char* name, double& out);
// readNumber, or fallback.
VESK_API double numberOr(NodeId node, const char* name, double fallback);
// Writes every number or none: kInvalidParameter when the node lacks one of
// the numeric attributes or one is not writable, kFailure when one is
// locked. Numbers are narrowed to their attributes' types.
VESK_API MStatus writeNumbers(NodeId node, const NamedNumber* numbers, size_t count);
VESK_API MStatus writeNumber(NodeId node, const char* name, double value);

} // namespace vesk

#endif
