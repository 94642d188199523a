#include "base/kset.h"

#include <algorithm>

namespace qelsdk_600 {

KSet::KSet(int blockSize) : mPairs(blockSize), mSortedCount(0) {}

KSet::~KSet() = default;

bool KSet::Add(kReference key, kReference value)
{
    if (mPairs.Add(Pair{key, value}) < 0)
        return false;
    return true;
}

void KSet::Sort() const
{
    int count = mPairs.GetCount();
    if (mSortedCount >= count)
        return;
    // Only the pairs appended since the last sort are sorted, then merged in,
    // so alternating adds and lookups does not re-sort the whole set. Both
    // steps are stable: among equal keys the first added comes first.
    auto less = [](const Pair& a, const Pair& b) { return a.mKey < b.mKey; };
    Pair* pairs = mPairs.GetArray();
    std::stable_sort(pairs + mSortedCount, pairs + count, less);
    std::inplace_merge(pairs, pairs + mSortedCount, pairs + count, less);
    mSortedCount = count;
}

kReference KSet::Get(kReference key, int* index) const
{
    if (index)
        *index = -1;
    if (mPairs.GetCount() == 0)
        return 0;
    Sort();
    const Pair* begin = mPairs.GetArray();
    const Pair* end = begin + mPairs.GetCount();
    const Pair* found = std::lower_bound(begin, end, key,
                                         [](const Pair& pair, kReference k) { return pair.mKey < k; });
    if (found == end || found->mKey != key)
        return 0;
    if (index)
        *index = static_cast<int>(found - begin);
    return found->mValue;
}

kReference KSet::GetFromIndex(int index, kReference* key) const
{
    if (index < 0 || index >= mPairs.GetCount())
        return 0;
    Sort();
    if (key)
        *key = mPairs[index].mKey;
    return mPairs[index].mValue;
}

void KSet::Clear()
{
    mPairs.Clear();
    mSortedCount = 0;
}

}  // namespace qelsdk_600
