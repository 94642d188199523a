// Set of (key, value) pairs of pointer-sized integers.
#ifndef QELSDK_BASE_KSET_H
#define QELSDK_BASE_KSET_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

// Pairs are appended unsorted (duplicate keys kept) and sorted by ascending
// key on the first lookup after a change; lookups then bisect. Pairs with
// equal keys stay in the order they were added. Keys and values hold pointers
// without truncation.
class KSet {
public:
    // blockSize: growth hint in pairs, raised to at least 1.
    explicit KSet(int blockSize = 16);
    ~KSet();

    // Appends the pair without looking for an equal key; marks the set
    // unsorted. False when the storage cannot grow.
    bool Add(kReference key, kReference value);
    // The value stored with the key (the first added, among equal keys), 0 when
    // absent; its sorted index, or -1, through index when not null.
    kReference Get(kReference key, int* index = nullptr) const;
    // The value at a sorted index, 0 when out of range; the key through key
    // when not null (left unchanged when out of range).
    kReference GetFromIndex(int index, kReference* key = nullptr) const;
    // Sorts now if the set changed since the last sort.
    void Sort() const;
    // Frees every pair.
    void Clear();
    int GetCount() const { return mPairs.GetCount(); }

private:
    struct Pair {
        kReference mKey;
        kReference mValue;
    };
    mutable KArrayTemplate<Pair> mPairs;
    // Leading pairs already in sorted order; later ones were appended since.
    mutable int mSortedCount;
};

}  // namespace qelsdk_600

#endif
