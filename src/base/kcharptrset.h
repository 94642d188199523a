// Set of (text key, value) pairs.
#ifndef QELSDK_BASE_KCHARPTRSET_H
#define QELSDK_BASE_KCHARPTRSET_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

// Set of (text key, value) pairs. Keys are copied on Add and freed by the
// set; values are the owner's (a value may hold a pointer without truncation).
// A key pointer handed out stays valid until a pair is removed or the set is
// cleared. Pairs are appended unsorted (duplicate keys kept) and sorted by key
// on the first lookup or indexed access after a change; a lookup then finds
// the first of the equal keys in sorted order. Keys compare without regard to
// ASCII letter case unless the set is made case-sensitive; pairs with equal
// keys stay in the order they were added.
class KCharPtrSet {
public:
    // blockSize: growth hint in pairs, raised to at least 1.
    explicit KCharPtrSet(int blockSize = 16);
    // Copies every key.
    KCharPtrSet(const KCharPtrSet& other);
    KCharPtrSet& operator=(const KCharPtrSet& other);
    ~KCharPtrSet();

    // Appends a copy of the key (null counts as empty) with the value, without
    // looking for an equal key; marks the set unsorted. False when the copy
    // cannot be allocated.
    bool Add(const char* key, kReference value);
    // The value stored with the key (the first added, among equal keys), 0 when
    // absent; its sorted index, or -1, through index when not null.
    kReference Get(const char* key, int* index = nullptr) const;
    // The value at a sorted index, 0 when out of range; the set's own key copy
    // through key when not null (null when out of range).
    kReference GetFromIndex(int index, char** key = nullptr) const;
    // The value at a sorted index, writable; the caller keeps the index below
    // the count (out of range gives a scratch value that reads 0).
    kReference& operator[](int index);
    // Removes the first pair with an equal key; false when there is none.
    bool Remove(const char* key);
    // Removes the pair at a sorted index, releasing its key; false when out of
    // range.
    bool RemoveFromIndex(int index);
    // Sorts now if the set changed since the last sort.
    void Sort() const;
    // Switching the mode marks the set unsorted.
    void SetCaseSensitive(bool caseSensitive);
    bool GetCaseSensitive() const { return mCaseSensitive; }
    // Frees every key copy and pair.
    void Clear();
    int GetCount() const { return mPairs.GetCount(); }

private:
    struct Pair {
        char* mKey;
        kReference mValue;
    };
    // A hash slot: the sorted index (plus one; 0 marks an empty slot) of the
    // first pair of each group of equal keys.
    struct Slot {
        kUInt mHash;
        kInt mIndexPlusOne;
    };
    int LowerBound(const char* key) const;
    int CompareKeys(const char* a, const char* b) const;
    kUInt HashKey(const char* key) const;
    void BuildIndex() const;
    // Adds the sorted pairs from index from on to a built hash index, or drops
    // the index when it would pass half full.
    void AppendToIndex(int from) const;
    int FindInIndex(const char* key) const;
    // The sorted order changed: the hash index no longer holds.
    void DropIndex() const;
    // Copies a key into the chunks; null when memory runs out.
    char* CopyKey(const char* key);
    // Accounts for a removed key of size bytes; compacts when most are dead.
    void ReleaseKey(long long size);
    void Compact();
    void FreeChunks();

    mutable KArrayTemplate<Pair> mPairs;
    // Leading pairs already in sorted order; later ones were appended since.
    mutable int mSortedCount;
    // Built once a sorted set has served enough lookups, so that bulk
    // lookups cost O(1) each; it finds the same pair as bisection.
    mutable KArrayTemplate<Slot> mSlots;
    mutable int mLookupsSinceChange;
    // Key copies live in large chunks: a big set costs few allocations and
    // frees, and its keys sit close together.
    KArrayTemplate<char*> mChunks;
    char* mChunkCursor;
    long long mChunkLeft;
    long long mLiveBytes;
    long long mDeadBytes;
    bool mCaseSensitive;
    kReference mScratch;
};

}  // namespace qelsdk_600

#endif
