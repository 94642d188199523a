#include "base/kcharptrset.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qelsdk_600 {

namespace {

// ASCII folding: the order must not depend on the process locale.
inline unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int CompareNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        // Equal bytes need no folding; keys often share long prefixes.
        if (ca == cb) {
            if (ca == '\0')
                return 0;
            continue;
        }
        ca = Fold(ca);
        cb = Fold(cb);
        if (ca != cb)
            return ca - cb;
    }
}

// Below these, bisection is cheap enough and the index is not built.
const int kIndexMinCount = 64;
const int kIndexAfterLookups = 32;
// Past this the table size would overflow an int.
const int kIndexMaxCount = 1 << 28;

const long long kChunkSize = 64 * 1024;
// Longer keys get a chunk of their own, so chunks waste little at their ends.
const long long kOwnChunkSize = kChunkSize / 4;

}  // namespace

KCharPtrSet::KCharPtrSet(int blockSize)
    : mPairs(blockSize), mSortedCount(0), mSlots(1), mLookupsSinceChange(0), mChunks(16), mChunkCursor(nullptr),
      mChunkLeft(0), mLiveBytes(0), mDeadBytes(0), mCaseSensitive(false), mScratch(0)
{
}

KCharPtrSet::KCharPtrSet(const KCharPtrSet& other) : KCharPtrSet(other.mPairs.GetBlockSize())
{
    *this = other;
}

KCharPtrSet& KCharPtrSet::operator=(const KCharPtrSet& other)
{
    if (this == &other)
        return *this;
    Clear();
    mCaseSensitive = other.mCaseSensitive;
    for (int i = 0; i < other.mPairs.GetCount(); ++i) {
        const Pair& pair = other.mPairs[i];
        char* key = CopyKey(pair.mKey);
        if (!key || mPairs.Add(Pair{key, pair.mValue}) < 0)
            break;
    }
    mSortedCount = std::min(other.mSortedCount, mPairs.GetCount());
    return *this;
}

KCharPtrSet::~KCharPtrSet()
{
    FreeChunks();
}

char* KCharPtrSet::CopyKey(const char* key)
{
    if (!key)
        key = "";
    long long size = static_cast<long long>(std::strlen(key)) + 1;
    char* copy;
    if (size > kOwnChunkSize) {
        copy = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
        if (!copy || mChunks.Add(copy) < 0) {
            std::free(copy);
            return nullptr;
        }
    } else {
        if (size > mChunkLeft) {
            char* chunk = static_cast<char*>(std::malloc(static_cast<size_t>(kChunkSize)));
            if (!chunk || mChunks.Add(chunk) < 0) {
                std::free(chunk);
                return nullptr;
            }
            mChunkCursor = chunk;
            mChunkLeft = kChunkSize;
        }
        copy = mChunkCursor;
        mChunkCursor += size;
        mChunkLeft -= size;
    }
    std::memcpy(copy, key, static_cast<size_t>(size));
    mLiveBytes += size;
    return copy;
}

void KCharPtrSet::ReleaseKey(long long size)
{
    mLiveBytes -= size;
    mDeadBytes += size;
    // Compacting once most bytes are dead keeps removals O(1) amortised
    // and the memory bounded by twice what the live keys need.
    if (mDeadBytes > kChunkSize && mDeadBytes > mLiveBytes)
        Compact();
}

void KCharPtrSet::Compact()
{
    KArrayTemplate<char*> oldChunks(mChunks);
    mChunks.Clear();
    mChunkCursor = nullptr;
    mChunkLeft = 0;
    mLiveBytes = 0;
    KArrayTemplate<char*> keys(mPairs.GetCount() > 0 ? mPairs.GetCount() : 1);
    bool copied = keys.SetCount(mPairs.GetCount());
    for (int i = 0; copied && i < mPairs.GetCount(); ++i) {
        keys[i] = CopyKey(mPairs[i].mKey);
        copied = keys[i] != nullptr;
    }
    KArrayTemplate<char*>& release = copied ? oldChunks : mChunks;
    for (int i = 0; i < release.GetCount(); ++i)
        std::free(release[i]);
    if (copied) {
        for (int i = 0; i < mPairs.GetCount(); ++i)
            mPairs[i].mKey = keys[i];
        mDeadBytes = 0;
    } else {
        // Out of memory: keep the old chunks, nothing has moved.
        mChunks = oldChunks;
        mChunkCursor = nullptr;
        mChunkLeft = 0;
        mLiveBytes = 0;
        for (int i = 0; i < mPairs.GetCount(); ++i)
            mLiveBytes += static_cast<long long>(std::strlen(mPairs[i].mKey)) + 1;
    }
}

void KCharPtrSet::FreeChunks()
{
    for (int i = 0; i < mChunks.GetCount(); ++i)
        std::free(mChunks[i]);
    mChunks.Clear();
    mChunkCursor = nullptr;
    mChunkLeft = 0;
    mLiveBytes = 0;
    mDeadBytes = 0;
}

int KCharPtrSet::CompareKeys(const char* a, const char* b) const
{
    return mCaseSensitive ? std::strcmp(a, b) : CompareNoCase(a, b);
}

bool KCharPtrSet::Add(const char* key, kReference value)
{
    char* copy = CopyKey(key);
    if (!copy)
        return false;
    if (mPairs.Add(Pair{copy, value}) < 0) {
        ReleaseKey(static_cast<long long>(std::strlen(copy)) + 1);
        return false;
    }
    return true;
}

void KCharPtrSet::Sort() const
{
    int count = mPairs.GetCount();
    if (mSortedCount >= count)
        return;
    // Only the pairs appended since the last sort are sorted, then merged in,
    // so alternating adds and lookups does not re-sort the whole set. Both
    // steps are stable: among equal keys the first added comes first.
    auto less = [this](const Pair& a, const Pair& b) { return CompareKeys(a.mKey, b.mKey) < 0; };
    Pair* pairs = mPairs.GetArray();
    // Keys appended in order after the sorted ones (a walk registering paths
    // parent first) need neither a sort nor a merge, and the hash index takes
    // them as they are: adding and looking up in turn stays linear.
    int next = mSortedCount > 0 ? mSortedCount : 1;
    while (next < count && !less(pairs[next], pairs[next - 1]))
        ++next;
    if (next >= count) {
        const int from = mSortedCount;
        mSortedCount = count;
        AppendToIndex(from);
        return;
    }
    std::stable_sort(pairs + mSortedCount, pairs + count, less);
    std::inplace_merge(pairs, pairs + mSortedCount, pairs + count, less);
    mSortedCount = count;
    DropIndex();
}

void KCharPtrSet::DropIndex() const
{
    mSlots.Clear();
    mLookupsSinceChange = 0;
}

kUInt KCharPtrSet::HashKey(const char* key) const
{
    // FNV-1a over the bytes as compared, so equal keys hash alike.
    kUInt hash = 2166136261u;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(key); *c; ++c)
        hash = (hash ^ (mCaseSensitive ? *c : Fold(*c))) * 16777619u;
    return hash;
}

void KCharPtrSet::BuildIndex() const
{
    int count = mPairs.GetCount();
    if (count > kIndexMaxCount)
        return;
    int size = 1;
    while (size < 2 * count)
        size *= 2;
    if (!mSlots.SetCount(size))
        return;
    Slot* slots = mSlots.GetArray();
    const Pair* pairs = mPairs.GetArray();
    const kUInt mask = static_cast<kUInt>(size - 1);
    for (int i = 0; i < count; ++i) {
        // Only the first of equal keys: the one bisection finds.
        if (i > 0 && CompareKeys(pairs[i - 1].mKey, pairs[i].mKey) == 0)
            continue;
        kUInt hash = HashKey(pairs[i].mKey);
        kUInt slot = hash & mask;
        while (slots[slot].mIndexPlusOne != 0)
            slot = (slot + 1) & mask;
        slots[slot].mHash = hash;
        slots[slot].mIndexPlusOne = i + 1;
    }
}

void KCharPtrSet::AppendToIndex(int from) const
{
    const int count = mPairs.GetCount();
    if (mSlots.GetCount() == 0)
        return;
    // Past half full the index is rebuilt later at twice the size, which
    // keeps each append amortised constant.
    if (count > kIndexMaxCount || 2 * count > mSlots.GetCount()) {
        DropIndex();
        return;
    }
    Slot* slots = mSlots.GetArray();
    const Pair* pairs = mPairs.GetArray();
    const kUInt mask = static_cast<kUInt>(mSlots.GetCount() - 1);
    for (int i = from; i < count; ++i) {
        if (i > 0 && CompareKeys(pairs[i - 1].mKey, pairs[i].mKey) == 0)
            continue;
        kUInt hash = HashKey(pairs[i].mKey);
        kUInt slot = hash & mask;
        while (slots[slot].mIndexPlusOne != 0)
            slot = (slot + 1) & mask;
        slots[slot].mHash = hash;
        slots[slot].mIndexPlusOne = i + 1;
    }
}

int KCharPtrSet::FindInIndex(const char* key) const
{
    const Slot* slots = mSlots.GetArray();
    const kUInt mask = static_cast<kUInt>(mSlots.GetCount() - 1);
    kUInt hash = HashKey(key);
    for (kUInt slot = hash & mask; slots[slot].mIndexPlusOne != 0; slot = (slot + 1) & mask) {
        int index = slots[slot].mIndexPlusOne - 1;
        if (slots[slot].mHash == hash && CompareKeys(mPairs[index].mKey, key) == 0)
            return index;
    }
    return -1;
}

int KCharPtrSet::LowerBound(const char* key) const
{
    if (mPairs.GetCount() == 0)
        return -1;
    Sort();
    if (mSlots.GetCount() == 0 && mPairs.GetCount() >= kIndexMinCount &&
        ++mLookupsSinceChange >= kIndexAfterLookups)
        BuildIndex();
    if (mSlots.GetCount() > 0)
        return FindInIndex(key);
    const Pair* begin = mPairs.GetArray();
    const Pair* end = begin + mPairs.GetCount();
    const Pair* found = std::lower_bound(begin, end, key, [this](const Pair& pair, const char* k) {
        return CompareKeys(pair.mKey, k) < 0;
    });
    if (found == end || CompareKeys(found->mKey, key) != 0)
        return -1;
    return static_cast<int>(found - begin);
}

kReference KCharPtrSet::Get(const char* key, int* index) const
{
    int found = LowerBound(key ? key : "");
    if (index)
        *index = found;
    return found >= 0 ? mPairs[found].mValue : 0;
}

kReference KCharPtrSet::GetFromIndex(int index, char** key) const
{
    if (index < 0 || index >= mPairs.GetCount()) {
        if (key)
            *key = nullptr;
        return 0;
    }
    Sort();
    if (key)
        *key = mPairs[index].mKey;
    return mPairs[index].mValue;
}

kReference& KCharPtrSet::operator[](int index)
{
    if (index < 0 || index >= mPairs.GetCount()) {
        mScratch = 0;
        return mScratch;
    }
    Sort();
    return mPairs[index].mValue;
}

bool KCharPtrSet::Remove(const char* key)
{
    int found = LowerBound(key ? key : "");
    return found >= 0 && RemoveFromIndex(found);
}

bool KCharPtrSet::RemoveFromIndex(int index)
{
    if (index < 0 || index >= mPairs.GetCount())
        return false;
    Sort();
    long long size = static_cast<long long>(std::strlen(mPairs[index].mKey)) + 1;
    // Closing the gap keeps the remaining pairs in sorted order.
    mPairs.RemoveAt(index);
    mSortedCount = mPairs.GetCount();
    DropIndex();
    ReleaseKey(size);
    return true;
}

void KCharPtrSet::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive != mCaseSensitive) {
        mCaseSensitive = caseSensitive;
        mSortedCount = 0;
        DropIndex();
    }
}

void KCharPtrSet::Clear()
{
    mPairs.Clear();
    mSortedCount = 0;
    DropIndex();
    FreeChunks();
}

}  // namespace qelsdk_600
