// Private to src/content: sizes shared by the surfaces and the converter.
#ifndef QELSDK_CONTENT_KQELSURFACE_IMPL_H
#define QELSDK_CONTENT_KQELSURFACE_IMPL_H

#include <climits>

#include "base/ktypes.h"

namespace qelsdk_600 {

// A count that a surface may size an array with: 64-bit arithmetic, a
// negative value is 0, and a value over 2^31 - 1 gives -1 (refused).
inline kLongLong KQelSurfaceSize(kLongLong pValue)
{
    if (pValue < 0)
        return 0;
    return pValue > INT_MAX ? -1 : pValue;
}

// Control points of a U x V grid: negative counts count as 0; -1 when the
// product exceeds 2^31 - 1.
inline kLongLong KQelGridSize(int pUCount, int pVCount)
{
    const kLongLong u = pUCount < 0 ? 0 : pUCount;
    const kLongLong v = pVCount < 0 ? 0 : pVCount;
    return KQelSurfaceSize(u * v);
}

}  // namespace qelsdk_600

#endif
