#include "store/value.h"

#include "store/types.h"

namespace vesk {

int Component::elementCount() const
{
    if (complete)
        return doubleIndexed() ? completeCount * completeCountV : completeCount;
    return static_cast<int>(doubleIndexed() ? pairs.size() : single.size());
}

bool Component::doubleIndexed() const
{
    return typeIsA(apiType(), MFn::kDoubleIndexedComponent);
}

} // namespace vesk
