// Values held by plugs, and the data objects that carry matrices, numbers
// and components.
#ifndef VESK_STORE_VALUE_H
#define VESK_STORE_VALUE_H

#include <cstdint>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <vesk/MMatrix.h>
#include <vesk/VeskExport.h>

#include "store/ref.h"

namespace vesk {

// One stored or computed plug value. Numbers of every numeric attribute are
// held as doubles, already narrowed to the attribute's type; texts as bytes;
// matrices and geometry as data objects.
struct Value {
    enum Kind : unsigned char { kNone, kNumber, kText, kData };

    Kind kind = kNone;
    double number = 0.0;
    std::string text;
    Ref<RefObject> data;

    static Value ofNumber(double v)
    {
        Value out;
        out.kind = kNumber;
        out.number = v;
        return out;
    }
    static Value ofText(const std::string& t)
    {
        Value out;
        out.kind = kText;
        out.text = t;
        return out;
    }
    static Value ofData(const Ref<RefObject>& d)
    {
        Value out;
        out.kind = kData;
        out.data = d;
        return out;
    }
};

// A matrix value (kMatrixData).
class VESK_API MatrixData : public RefObject {
public:
    MatrixData() : RefObject(MFn::kMatrixData) {}
    explicit MatrixData(const MMatrix& m) : RefObject(MFn::kMatrixData), matrix(m) {}
    MMatrix matrix;
};

// Two to four numbers of one numeric type (kNumericData).
class VESK_API NumericData : public RefObject {
public:
    explicit NumericData(int type) : RefObject(MFn::kNumericData), numericType(type) {}
    int numericType;
    double values[4] = {0.0, 0.0, 0.0, 0.0};
};

// A set of components of one geometry: vertices, faces (one index) or
// surface control vertices (two indices), in the order they were added.
// Complete data stands for every element 0 to count - 1 without listing them.
class VESK_API Component : public RefObject {
public:
    explicit Component(MFn::Type type) : RefObject(type) {}

    bool doubleIndexed() const;
    int elementCount() const;
    // Appends the elements of other (of the same type) that this set lacks,
    // in their order; O(size of other) after a first O(size) look-up build.
    void merge(const Component& other);
    // To be called after single or pairs were changed directly.
    void changed()
    {
        mIndex.clear();
        mIndexed = false;
    }

    std::vector<int> single;
    std::vector<std::pair<int, int>> pairs;
    bool complete = false;
    int completeCount = 0;
    int completeCountV = 0;

private:
    // Elements as one key each, built on the first merge.
    std::unordered_set<int64_t> mIndex;
    bool mIndexed = false;
};

} // namespace vesk

#endif
