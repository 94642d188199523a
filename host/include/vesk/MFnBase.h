// Base of the function sets: an object bound to a set of operations.
#ifndef VESK_MFNBASE_H
#define VESK_MFNBASE_H

#include <vesk/MFn.h>
#include <vesk/MObject.h>
#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

// A function set works on one object at a time. Each set accepts the
// objects of its own type; binding another fails with kInvalidParameter and
// leaves the set unbound. A set derived from another binds in its own
// constructors (the accept test is virtual).
class VESK_API MFnBase {
public:
    MFnBase() {}
    virtual ~MFnBase();

    // The type of objects the set works on (kInvalid for the base).
    virtual MFn::Type type() const;
    // The bound object; the null object with kInvalidParameter when unbound
    // or when the object no longer exists.
    MObject object(MStatus* status = nullptr) const;
    MStatus setObject(const MObject& object);
    // True when this set would accept the object.
    bool hasObj(const MObject& object) const { return accepts(object); }

protected:
    // Whether the set works on the object; the base takes any live object.
    virtual bool accepts(const MObject& object) const;
    // The bound object (kept even when the set is used on a stale one).
    MObject mObject;
};

#endif
