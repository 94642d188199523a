// The shared body of the host's value arrays (MIntArray, MPointArray, ...).
#ifndef VESK_VALUEARRAY_H
#define VESK_VALUEARRAY_H

#include <cstddef>
#include <vector>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

namespace vesk {

// Prints "<array>: index <i> out of range (length <n>)" to stderr and aborts:
// an index past the end of a host array is a programming error.
[[noreturn]] VESK_API void arrayIndexAbort(const char* arrayName, unsigned int index,
                                           unsigned int length);

// A growable array of values. Derived names the public class and gives its
// name as kArrayName for the abort message. Indices are positions 0 to
// length() - 1; operator[] aborts outside them, the editing calls return
// MStatus::kInvalidParameter and change nothing.
template <class T, class Derived>
class ValueArray {
public:
    ValueArray() {}
    // count copies of initial.
    explicit ValueArray(unsigned int count, const T& initial = T()) : mItems(count, initial) {}
    // count values copied from items; a null pointer gives an empty array.
    ValueArray(const T* items, unsigned int count)
    {
        if (items)
            mItems.assign(items, items + count);
    }

    unsigned int length() const { return static_cast<unsigned int>(mItems.size()); }

    T& operator[](unsigned int index)
    {
        if (index >= mItems.size())
            arrayIndexAbort(Derived::kArrayName, index, length());
        return mItems[index];
    }
    const T& operator[](unsigned int index) const
    {
        if (index >= mItems.size())
            arrayIndexAbort(Derived::kArrayName, index, length());
        return mItems[index];
    }

    MStatus append(const T& value)
    {
        mItems.push_back(value);
        return MStatus::kSuccess;
    }
    // Inserts before position index; index == length() appends.
    MStatus insert(const T& value, unsigned int index)
    {
        if (index > mItems.size())
            return MStatus::kInvalidParameter;
        mItems.insert(mItems.begin() + index, value);
        return MStatus::kSuccess;
    }
    MStatus remove(unsigned int index)
    {
        if (index >= mItems.size())
            return MStatus::kInvalidParameter;
        mItems.erase(mItems.begin() + index);
        return MStatus::kSuccess;
    }
    MStatus set(const T& value, unsigned int index)
    {
        if (index >= mItems.size())
            return MStatus::kInvalidParameter;
        mItems[index] = value;
        return MStatus::kSuccess;
    }
    // New items are value-initialised; a shorter length drops the tail.
    MStatus setLength(unsigned int count)
    {
        mItems.resize(count);
        return MStatus::kSuccess;
    }
    MStatus clear()
    {
        mItems.clear();
        return MStatus::kSuccess;
    }
    MStatus copy(const Derived& other)
    {
        mItems = other.mItems;
        return MStatus::kSuccess;
    }
    // Copies every item into out, which must hold length() items.
    MStatus get(T* out) const
    {
        if (!out && !mItems.empty())
            return MStatus::kInvalidParameter;
        for (std::size_t i = 0; i < mItems.size(); ++i)
            out[i] = mItems[i];
        return MStatus::kSuccess;
    }

protected:
    std::vector<T> mItems;
};

} // namespace vesk

#endif
