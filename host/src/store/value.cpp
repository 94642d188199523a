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

namespace {

int64_t pairKey(const std::pair<int, int>& p)
{
    return (int64_t(p.first) << 32) | uint32_t(p.second);
}

} // namespace

void Component::merge(const Component& other)
{
    if (!mIndexed) {
        for (int i : single)
            mIndex.insert(i);
        for (const auto& p : pairs)
            mIndex.insert(pairKey(p));
        mIndexed = true;
    }
    for (int i : other.single)
        if (mIndex.insert(i).second)
            single.push_back(i);
    for (const auto& p : other.pairs)
        if (mIndex.insert(pairKey(p)).second)
            pairs.push_back(p);
}

} // namespace vesk
