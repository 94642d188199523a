// Objects stored under names made unique.
#ifndef QELSDK_BASE_KUNIQUENAMEOBJECTLIST_H
#define QELSDK_BASE_KUNIQUENAMEOBJECTLIST_H

#include <memory>

namespace qelsdk_600 {

// Maps objects (opaque keys, never dereferenced) to names that no other object
// of the list has. Names compare exactly (case counts).
class KUniqueNameObjectList {
public:
    // hashBits: the index starts with 2^hashBits buckets (at most 2^20);
    // growthStep: growth hint in entries. Both only tune speed.
    explicit KUniqueNameObjectList(unsigned int hashBits = 8, unsigned int growthStep = 64);
    ~KUniqueNameObjectList();
    KUniqueNameObjectList(const KUniqueNameObjectList&) = delete;
    KUniqueNameObjectList& operator=(const KUniqueNameObjectList&) = delete;

    // Stores the object under the name made unique: an empty or null name
    // becomes "Default"; a taken name gets its trailing number raised (digits
    // at its end) or, without one, " 1" appended, until it is free ("a",
    // "a 1", "a 2"...). Returns the name used, valid while the list lives; an
    // object already stored keeps its name, which is returned. Null on failure.
    const char* AddObject(const char* name, const void* object);
    // The name under which the object was stored, null when it was not.
    const char* GetNameByObject(const void* object) const;
    // Number of objects stored.
    int GetCount() const;
    // Forgets every object and name.
    void Clear();

private:
    struct Index;
    std::unique_ptr<Index> mIndex;
};

}  // namespace qelsdk_600

#endif
