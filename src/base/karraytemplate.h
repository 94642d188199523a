// Growable arrays of fixed-size items copied as raw bytes.
#ifndef QELSDK_BASE_KARRAYTEMPLATE_H
#define QELSDK_BASE_KARRAYTEMPLATE_H

#include <cassert>
#include <cstring>

namespace qelsdk_600 {

// Growable array of items of itemSize bytes. Items are copied in and out as
// raw bytes and never constructed or destroyed: an array of pointers does not
// own what they point to. Storage grows geometrically in whole blocks, so n
// appends cost O(n). Indexes are 0-based; operations that would overflow the
// storage size fail (-1 or false) and leave the array unchanged.
class KBaseArray {
public:
    // blockSize: growth unit in items, raised to at least 1; itemSize in
    // bytes, raised to at least 1. Empty, no storage.
    KBaseArray(int blockSize, int itemSize);
    // Byte copy of the other's items, block size and item size.
    KBaseArray(const KBaseArray& other);
    // Clears, takes the other's block size, then appends each of its items.
    // Arrays of different item sizes are not assigned (left unchanged).
    KBaseArray& operator=(const KBaseArray& other);
    ~KBaseArray();

    // Copies one item in at min(max(index, 0), count), moving later items up;
    // a null item inserts zero bytes. Returns the index used, -1 on failure.
    int InsertAt(int index, const void* item);
    // Removes the item at the index and closes the gap; storage is kept.
    // An index out of range changes nothing.
    void RemoveAt(int index);
    // Appends count zero-byte items; returns the index of the first, or -1.
    int AddMultiple(int count);
    // Appends count items copied from items (which must not lie in this
    // array), or zero-byte items when it is null; the index of the first,
    // or -1 with nothing appended. items may also be the room past the count
    // that Reserve made, filled by the caller: it is then taken as it is.
    int AddMultiple(const void* items, int count);
    // Makes room for count items in all, the count unchanged, so that
    // appends up to it move nothing; false when the storage cannot grow.
    bool Reserve(int count) { return Reserve(count, false); }
    // A larger count appends zero-byte items; a smaller one only lowers the
    // count. False (unchanged) for a negative count or a failed allocation.
    bool SetCount(int count);
    // As SetCount, but the storage is also cut to the whole blocks needed.
    bool Resize(int count);
    // Count 0, storage freed.
    void Clear();
    // Count 0, storage kept.
    void Empty();

    int GetCount() const { return mCount; }
    int GetBlockSize() const { return mBlockSize; }
    int GetItemSize() const { return mItemSize; }
    // Address of the item at the index, null when out of range.
    void* GetAt(int index);
    const void* GetAt(int index) const;
    // The item storage (count items), null while nothing is allocated.
    void* GetArray() { return mArray; }
    const void* GetArray() const { return mArray; }

    // Index of the first item after position after whose bytes equal item's,
    // -1 when none (after = -1 searches from the start).
    int FindAfter(int after, const void* item) const;
    // Index of the last item before position before whose bytes equal item's,
    // -1 when none (before = count searches from the end).
    int FindBefore(int before, const void* item) const;

protected:
    // Makes room for count items; false when it cannot.
    bool Reserve(int count, bool exactBlocks);
    char* ItemAddress(int index) const { return mArray + static_cast<long long>(index) * mItemSize; }

    int mCount;
    int mCapacity;  // items allocated, a whole number of blocks
    int mBlockSize;
    int mItemSize;
    char* mArray;
};

// Typed array over KBaseArray; the item size is sizeof(T). T is copied as raw
// bytes, so the array never runs T's constructors or destructor: T must stay
// sound when moved bytewise (a KString is not, as it may point into itself;
// keep KString* items instead).
template <class T>
class KArrayTemplate : public KBaseArray {
public:
    explicit KArrayTemplate(int blockSize = 16) : KBaseArray(blockSize, static_cast<int>(sizeof(T))) {}
    KArrayTemplate(const KArrayTemplate& other) = default;
    KArrayTemplate& operator=(const KArrayTemplate& other)
    {
        KBaseArray::operator=(other);
        return *this;
    }

    // Copies the item in at the index (clamped to [0, count]); the index used,
    // -1 on failure.
    int InsertAt(int index, const T& item) { return KBaseArray::InsertAt(index, &item); }
    // Appends; the new item's index, -1 on failure.
    int Add(const T& item)
    {
        // Inline fast path: appending into spare room is a plain copy.
        if (mCount < mCapacity) {
            std::memcpy(static_cast<void*>(ItemAddress(mCount)), static_cast<const void*>(&item), sizeof(T));
            return mCount++;
        }
        return KBaseArray::InsertAt(mCount, &item);
    }
    // Index of an equal item, appending the item first when there is none.
    int AddUnique(const T& item)
    {
        int index = Find(item);
        return index >= 0 ? index : Add(item);
    }
    // Appends each item of the other array in order.
    void AddArray(const KArrayTemplate& other)
    {
        for (int i = 0, n = other.GetCount(); i < n; ++i)
            Add(other.GetAt(i));
    }
    // For each item of the other array, removes the first equal item here.
    void RemoveArray(const KArrayTemplate& other)
    {
        for (int i = 0, n = other.GetCount(); i < n; ++i) {
            int index = Find(other.GetAt(i));
            if (index >= 0)
                RemoveAt(index);
        }
    }
    using KBaseArray::RemoveAt;
    // Appends pCount items copied from pItems in one step (zero-byte items
    // when it is null; taken as they are when pItems is the filled room past
    // the count); the index of the first, -1 with nothing appended.
    int AddMultiple(const T* pItems, int pCount) { return KBaseArray::AddMultiple(pItems, pCount); }
    int AddMultiple(int pCount) { return KBaseArray::AddMultiple(pCount); }

    // Copy of the item at the index; a zero-byte item when out of range.
    T GetAt(int index) const
    {
        T item;
        const void* address = KBaseArray::GetAt(index);
        CopyBytes(&item, address);
        return item;
    }
    // Overwrites the item at the index; out of range changes nothing.
    void SetAt(int index, const T& item)
    {
        if (void* address = KBaseArray::GetAt(index))
            CopyBytes(address, &item);
    }
    // Direct access; the caller keeps the index below the count.
    T& operator[](int index)
    {
        assert(index >= 0 && index < mCount);
        return GetArray()[index];
    }
    const T& operator[](int index) const
    {
        assert(index >= 0 && index < mCount);
        return GetArray()[index];
    }
    // The items (count of them), null while nothing is allocated.
    T* GetArray() { return reinterpret_cast<T*>(mArray); }
    const T* GetArray() const { return reinterpret_cast<const T*>(mArray); }

    // Searches compare items byte for byte; -1 when absent.
    int Find(const T& item) const { return KBaseArray::FindAfter(-1, &item); }
    int FindAfter(int after, const T& item) const { return KBaseArray::FindAfter(after, &item); }
    int FindBefore(int before, const T& item) const { return KBaseArray::FindBefore(before, &item); }

private:
    // Zero bytes when the source is missing.
    static void CopyBytes(void* destination, const void* source);
};

// Deletes every non-null item, from the last to the first, then clears.
template <class T>
void DeleteAndClear(KArrayTemplate<T*>& array)
{
    for (int i = array.GetCount() - 1; i >= 0; --i)
        delete array[i];
    array.Clear();
}

template <class T>
void KArrayTemplate<T>::CopyBytes(void* destination, const void* source)
{
    if (source)
        std::memmove(destination, source, sizeof(T));
    else
        std::memset(destination, 0, sizeof(T));
}

}  // namespace qelsdk_600

#endif
