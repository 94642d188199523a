// Reference-counted host objects: attributes no node holds, data values and
// components, which MObject handles keep alive.
#ifndef VESK_STORE_REF_H
#define VESK_STORE_REF_H

#include <vesk/MFn.h>
#include <vesk/VeskExport.h>

namespace vesk {

// Base of every object an MObject can hold besides a node. Counts are not
// thread-safe (the host runs one thread). Immortal objects (the attributes
// of node kinds) ignore the count and live until the process ends.
class VESK_API RefObject {
public:
    explicit RefObject(MFn::Type type) : mType(type) {}
    RefObject(const RefObject&) = delete;
    RefObject& operator=(const RefObject&) = delete;
    virtual ~RefObject();

    MFn::Type apiType() const { return mType; }
    // False once the object was deleted (a removed or deleted attribute);
    // handles to it then read as null.
    virtual bool alive() const { return true; }

    void ref()
    {
        RefObject* o = counted();
        if (!o->mImmortal)
            ++o->mRefs;
    }
    void unref()
    {
        RefObject* o = counted();
        if (!o->mImmortal && --o->mRefs == 0)
            delete o;
    }
    void makeImmortal() { counted()->mImmortal = true; }
    // True when one reference holds the object (it may then change in place).
    bool soleReference() { return counted()->mRefs == 1 && !counted()->mImmortal; }

protected:
    void setApiType(MFn::Type type) { mType = type; }
    // Makes this object part of owner's tree: from now on references to it
    // count on owner (which deletes it), and the references it had move to
    // owner. Used by compound attributes for their children.
    void shareCountWith(RefObject* owner)
    {
        RefObject* target = owner->counted();
        target->mRefs += mRefs;
        mRefs = 0;
        mShare = target;
    }
    RefObject* counted()
    {
        RefObject* o = this;
        while (o->mShare)
            o = o->mShare;
        return o;
    }

private:
    unsigned int mRefs = 0;
    bool mImmortal = false;
    RefObject* mShare = nullptr;
    MFn::Type mType;
};

// An owning pointer to a RefObject (or a class derived from it).
template <class T>
class Ref {
public:
    Ref() {}
    Ref(T* p) : mPtr(p)
    {
        if (mPtr)
            mPtr->ref();
    }
    Ref(const Ref& o) : Ref(o.mPtr) {}
    template <class U>
    Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.get()))
    {
    }
    Ref(Ref&& o) noexcept : mPtr(o.mPtr) { o.mPtr = nullptr; }
    ~Ref()
    {
        if (mPtr)
            mPtr->unref();
    }
    Ref& operator=(const Ref& o)
    {
        Ref tmp(o);
        swap(tmp);
        return *this;
    }
    Ref& operator=(Ref&& o) noexcept
    {
        Ref tmp(static_cast<Ref&&>(o));
        swap(tmp);
        return *this;
    }
    void swap(Ref& o)
    {
        T* p = mPtr;
        mPtr = o.mPtr;
        o.mPtr = p;
    }
    T* get() const { return mPtr; }
    T* operator->() const { return mPtr; }
    T& operator*() const { return *mPtr; }
    explicit operator bool() const { return mPtr != nullptr; }
    bool operator==(const Ref& o) const { return mPtr == o.mPtr; }
    bool operator!=(const Ref& o) const { return mPtr != o.mPtr; }

private:
    T* mPtr = nullptr;
};

} // namespace vesk

#endif
