#include "base/karraytemplate.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace qelsdk_600 {

namespace {

// Upper bound of the storage, in bytes, so that byte offsets fit in a signed int.
const long long kMaxBytes = INT_MAX;

// Storage from this size on is filled in huge pages where the system offers
// them: the arrays of a large mesh then cost a few page faults, not one for
// every 4 KiB.
const size_t kHugeStorage = size_t(8) << 20;

void AdviseHugePages(char* pStorage, size_t pBytes)
{
#ifdef MADV_HUGEPAGE
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(pStorage) + page - 1) / page * page;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(pStorage) + pBytes) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);  // a hint only
#else
    (void)pStorage;
    (void)pBytes;
#endif
}

}  // namespace

KBaseArray::KBaseArray(int blockSize, int itemSize)
    : mCount(0), mCapacity(0), mBlockSize(std::max(blockSize, 1)), mItemSize(std::max(itemSize, 1)),
      mArray(nullptr)
{
}

KBaseArray::KBaseArray(const KBaseArray& other)
    : mCount(0), mCapacity(0), mBlockSize(other.mBlockSize), mItemSize(other.mItemSize), mArray(nullptr)
{
    if (other.mCount > 0 && Reserve(other.mCount, false)) {
        std::memcpy(mArray, other.mArray, static_cast<size_t>(other.mCount) * mItemSize);
        mCount = other.mCount;
    }
}

KBaseArray& KBaseArray::operator=(const KBaseArray& other)
{
    if (this == &other || mItemSize != other.mItemSize)
        return *this;
    Clear();
    mBlockSize = other.mBlockSize;
    if (other.mCount > 0 && Reserve(other.mCount, false)) {
        std::memcpy(mArray, other.mArray, static_cast<size_t>(other.mCount) * mItemSize);
        mCount = other.mCount;
    }
    return *this;
}

KBaseArray::~KBaseArray()
{
    Clear();
}

bool KBaseArray::Reserve(int count, bool exactBlocks)
{
    if (count < 0)
        return false;
    if (!exactBlocks && count <= mCapacity)
        return true;
    long long blocks = (static_cast<long long>(count) + mBlockSize - 1) / mBlockSize;
    long long capacity = blocks * mBlockSize;
    // Doubling keeps n appends O(n) whatever the block size.
    if (!exactBlocks && capacity < 2LL * mCapacity)
        capacity = ((2LL * mCapacity + mBlockSize - 1) / mBlockSize) * mBlockSize;
    long long maxItems = kMaxBytes / mItemSize;
    if (capacity > maxItems)
        capacity = (maxItems / mBlockSize) * mBlockSize;
    if (capacity < count)
        capacity = count;  // a last, partial block at the size limit
    if (capacity > maxItems)
        return false;
    if (capacity == mCapacity)
        return true;
    if (capacity == 0) {
        std::free(mArray);
        mArray = nullptr;
        mCapacity = 0;
        return true;
    }
    const size_t bytes = static_cast<size_t>(capacity) * mItemSize;
    char* grown = static_cast<char*>(std::realloc(mArray, bytes));
    if (!grown)
        return false;
    if (bytes >= kHugeStorage)
        AdviseHugePages(grown, bytes);
    mArray = grown;
    mCapacity = static_cast<int>(capacity);
    return true;
}

int KBaseArray::InsertAt(int index, const void* item)
{
    // The item may be one of this array's own, which growing can move and
    // shifting can overwrite: track it by its offset.
    std::uintptr_t source = reinterpret_cast<std::uintptr_t>(item);
    std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(mArray);
    bool inside = mArray && source >= begin &&
                  source < begin + static_cast<std::uintptr_t>(mCount) * static_cast<std::uintptr_t>(mItemSize);
    std::uintptr_t offset = inside ? source - begin : 0;
    if (mCount == INT_MAX || !Reserve(mCount + 1, false))
        return -1;
    index = std::min(std::max(index, 0), mCount);
    char* address = ItemAddress(index);
    std::memmove(address + mItemSize, address, static_cast<size_t>(mCount - index) * mItemSize);
    if (inside) {
        if (offset >= static_cast<std::uintptr_t>(index) * static_cast<std::uintptr_t>(mItemSize))
            offset += static_cast<std::uintptr_t>(mItemSize);
        item = mArray + offset;
    }
    if (item)
        std::memmove(address, item, static_cast<size_t>(mItemSize));
    else
        std::memset(address, 0, static_cast<size_t>(mItemSize));
    ++mCount;
    return index;
}

void KBaseArray::RemoveAt(int index)
{
    if (index < 0 || index >= mCount)
        return;
    char* address = ItemAddress(index);
    std::memmove(address, address + mItemSize, static_cast<size_t>(mCount - index - 1) * mItemSize);
    --mCount;
}

int KBaseArray::AddMultiple(int count)
{
    return AddMultiple(nullptr, count);
}

int KBaseArray::AddMultiple(const void* items, int count)
{
    if (count < 0 || count > INT_MAX - mCount || !Reserve(mCount + count, false))
        return -1;
    const int first = mCount;
    const size_t bytes = static_cast<size_t>(count) * mItemSize;
    if (bytes > 0 && !items)
        std::memset(ItemAddress(first), 0, bytes);
    else if (bytes > 0 && items != ItemAddress(first))  // else filled in place
        std::memcpy(ItemAddress(first), items, bytes);
    mCount += count;
    return first;
}

bool KBaseArray::SetCount(int count)
{
    if (count < 0)
        return false;
    if (count > mCount) {
        if (!Reserve(count, false))
            return false;
        std::memset(ItemAddress(mCount), 0, static_cast<size_t>(count - mCount) * mItemSize);
    }
    mCount = count;
    return true;
}

bool KBaseArray::Resize(int count)
{
    if (count < 0)
        return false;
    int oldCount = mCount;
    if (!Reserve(count, true))
        return false;
    if (count > oldCount)
        std::memset(ItemAddress(oldCount), 0, static_cast<size_t>(count - oldCount) * mItemSize);
    mCount = count;
    return true;
}

void KBaseArray::Clear()
{
    std::free(mArray);
    mArray = nullptr;
    mCount = 0;
    mCapacity = 0;
}

void KBaseArray::Empty()
{
    mCount = 0;
}

void* KBaseArray::GetAt(int index)
{
    return (index >= 0 && index < mCount) ? ItemAddress(index) : nullptr;
}

const void* KBaseArray::GetAt(int index) const
{
    return (index >= 0 && index < mCount) ? ItemAddress(index) : nullptr;
}

int KBaseArray::FindAfter(int after, const void* item) const
{
    if (!item)
        return -1;
    if (after >= mCount)
        return -1;
    for (int i = std::max(after, -1) + 1; i < mCount; ++i) {
        if (std::memcmp(ItemAddress(i), item, static_cast<size_t>(mItemSize)) == 0)
            return i;
    }
    return -1;
}

int KBaseArray::FindBefore(int before, const void* item) const
{
    if (!item)
        return -1;
    for (int i = std::min(before, mCount) - 1; i >= 0; --i) {
        if (std::memcmp(ItemAddress(i), item, static_cast<size_t>(mItemSize)) == 0)
            return i;
    }
    return -1;
}

}  // namespace qelsdk_600
