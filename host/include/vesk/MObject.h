// A handle to a host object: a node, an attribute, a data value or a set of
// components.
#ifndef VESK_MOBJECT_H
#define VESK_MOBJECT_H

#include <vesk/MFn.h>
#include <vesk/VeskExport.h>

namespace vesk {
class RefObject;
struct ObjectAccess;
} // namespace vesk

// Copies refer to the same object. A handle to a node reads as null once
// the node is deleted (or the scene is reset); a handle to an attribute once
// the attribute is removed or deleted. Attributes no node holds, data and
// components live as long as some handle refers to them.
class VESK_API MObject {
public:
    constexpr MObject() {}
    MObject(const MObject& other);
    MObject& operator=(const MObject& other);
    ~MObject();

    // The null object.
    static const MObject kNullObj;

    bool isNull() const;
    // The object's type; kInvalid for null.
    MFn::Type apiType() const;
    // True for the object's type and its ancestors (see vesk/MFn.h).
    bool hasFn(MFn::Type type) const;
    // The name of apiType() ("kTransform"); "kInvalid" for null.
    const char* apiTypeStr() const;
    // Same object; all null objects are equal.
    bool operator==(const MObject& other) const;
    bool operator!=(const MObject& other) const { return !(*this == other); }

private:
    friend struct vesk::ObjectAccess;

    vesk::RefObject* mRef = nullptr;
    unsigned int mIndex = 0;
    unsigned int mGen = 0;
    unsigned char mForm = 0;
};

#endif
