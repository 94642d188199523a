// Spline bases of a patch direction, shared by the patch and the evaluators.
#ifndef QELSDK_CONTENT_KQELPATCHTYPES_H
#define QELSDK_CONTENT_KQELPATCHTYPES_H

#include "base/ktypes.h"

namespace qelsdk_600 {

// The patch types live apart from the patch so that the surface evaluators
// can be set up without the scene classes. KQelPatch derives from this empty
// struct, so KQelPatch::EPatchType and KQelPatch::eBezier ... name these.
// The underlying type is fixed: a value read from a file is a valid value of
// the type even when it names no basis, and users range-check it.
struct KQelPatchTypes {
    enum EPatchType : kInt {
        eBezier = 0,
        eBezierQuadric = 1,
        eCardinal = 2,
        eBSpline = 3,
        eLinear = 4
    };
};

}  // namespace qelsdk_600

#endif
