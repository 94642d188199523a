// Typed properties: KPropertyTemplate<T>, KPropertyGetType and accessor
// binding helpers.
#ifndef QELSDK_OBJECT_KPROPERTYTEMPLATE_H
#define QELSDK_OBJECT_KPROPERTYTEMPLATE_H

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "base/kstring.h"
#include "base/ktime.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kproperty.h"

namespace qelsdk_600 {

// The property type of a value type; the pointer only picks the overload
// (pass a typed null). Types without an overload, enumerations among them,
// give kPropertyUnknown.
template <class T>
inline kPropertyType KPropertyGetType(T*) { return kPropertyUnknown; }
inline kPropertyType KPropertyGetType(int*) { return kPropertyInt; }
inline kPropertyType KPropertyGetType(bool*) { return kPropertyBool; }
inline kPropertyType KPropertyGetType(float*) { return kPropertyFloat; }
inline kPropertyType KPropertyGetType(double*) { return kPropertyDouble; }
inline kPropertyType KPropertyGetType(char**) { return kPropertyCharPtr; }
inline kPropertyType KPropertyGetType(KTime*) { return kPropertyTime; }
inline kPropertyType KPropertyGetType(KString*) { return kPropertyString; }
inline kPropertyType KPropertyGetType(KQelVector4*) { return kPropertyVector4D; }
inline kPropertyType KPropertyGetType(KgeTVector*) { return kPropertyVector3D; }
inline kPropertyType KPropertyGetType(KgeRGBVector*) { return kPropertyColorRGB; }

namespace detail {
template <class T> struct Identity { typedef T Type; };

// Accessors are stored erased and cast back to their exact type before the
// call, which is a defined round trip; the warning only sees the cast.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
template <class F>
inline KPropertyAccessor EraseAccessor(F pFunc) { return reinterpret_cast<KPropertyAccessor>(pFunc); }
template <class F>
inline F RestoreAccessor(KPropertyAccessor pFunc) { return reinterpret_cast<F>(pFunc); }
#pragma GCC diagnostic pop

// C-locale text of a number, shortest form that reads back the same.
KString NumberText(double pValue);
KString NumberText(long long pValue);
// double to int, truncated toward zero; saturates, NaN gives 0.
int SaturateToInt(double pValue);
float SaturateToFloat(double pValue);
}  // namespace detail

// Erases a getter `T C::Get()` for KProperty::SetPropertyInfo. The property
// calls it on its owner, which must be a C.
template <class C, class T>
KPropertyAccessor KPropertyGetter(T (C::*pGetter)())
{
    return detail::EraseAccessor(static_cast<T (KPlug::*)()>(pGetter));
}
// Erases a setter `void C::Set(T)`.
template <class C, class T>
KPropertyAccessor KPropertySetter(void (C::*pSetter)(T))
{
    return detail::EraseAccessor(static_cast<void (KPlug::*)(T)>(pSetter));
}
// Erases a to-text member `const char* C::AsString(int)`.
template <class C>
KPropertyAsStringFunc KPropertyAsString(const char* (C::*pFunc)(int))
{
    return static_cast<KPropertyAsStringFunc>(pFunc);
}

// A property holding one value of type T (zero-initialised: false, 0, 0.0,
// enumeration value 0; vectors as their types construct them).
// Reading calls the bound getter, when there is one, and keeps its result;
// writing sends kPlugDataChangeBegin (the new value's address, the cached
// value's address), calls the bound setter or stores the value, then sends
// kPlugDataChangeEnd (the new value's address). The setter and getter must
// take and return exactly T. Enumerations are held as their own type and
// exchanged as 32-bit integers; give them int as fixed underlying type
// (enum E : int) so that a value outside the list, which is stored
// unchecked, is still a valid E.
template <class T>
class KPropertyTemplate : public KProperty {
public:
    typedef T ValueType;

    KPropertyTemplate() : mValue() { SetPropertyType(KPropertyGetType(static_cast<T*>(nullptr))); }
    ~KPropertyTemplate() override {}

    using KProperty::SetPropertyInfo;
    // Typed binding: name (borrowed), owner, getter and setter (either may
    // be null).
    template <class C>
    void SetPropertyInfo(const char* pName, C* pOwner, T (detail::Identity<C>::Type::*pGetter)(),
                         void (detail::Identity<C>::Type::*pSetter)(T))
    {
        KProperty::SetPropertyInfo(pName, pOwner, pGetter ? KPropertyGetter(pGetter) : nullptr,
                                   pSetter ? KPropertySetter(pSetter) : nullptr);
    }

    // The value through the getter, as GetData reads it.
    T Get()
    {
        Refresh();
        return mValue;
    }
    // Writes through SetData (notifications and setter).
    bool Set(const T& pValue) { return SetData(&pValue); }
    // The stored value, without getter, setter or notification.
    const T& GetValue() const { return mValue; }
    void SetValue(const T& pValue)
    {
        WatchValue(pValue);
        mValue = pValue;
    }

    bool GetData(void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                 KWorldState* pState = nullptr) override
    {
        if (!pData)
            return false;
        Refresh();
        Store(pData, mValue);
        return true;
    }

    bool SetData(const void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                 KWorldState* pState = nullptr) override
    {
        if (!pData)
            return false;
        T value = Load(pData);
        void* data = const_cast<void*>(pData);
        PlugDataNotify(nullptr, kPlugDataChangeBegin, this, data, &mValue, 0);
        WatchValue(value);
        KPlug* owner = GetOwner();
        KPropertyAccessor setter = GetPropertyInfo().GetSetter();
        if (setter && owner)
            (owner->*detail::RestoreAccessor<void (KPlug::*)(T)>(setter))(value);
        else
            mValue = value;
        PlugDataNotify(nullptr, kPlugDataChangeEnd, this, data, nullptr, 0);
        return true;
    }

    bool CopyPropertyValueFrom(KProperty* pOther) override
    {
        KPropertyTemplate* other = dynamic_cast<KPropertyTemplate*>(pOther);
        if (!other)
            return false;
        return Set(other->Get());
    }

    int AsInteger() override
    {
        if constexpr (std::is_enum<T>::value || std::is_integral<T>::value)
            return static_cast<int>(Get());
        else if constexpr (std::is_floating_point<T>::value)
            return detail::SaturateToInt(static_cast<double>(Get()));
        else
            return 0;
    }

    void SetInteger(int pValue) override
    {
        if constexpr (std::is_same<T, bool>::value)
            Set(pValue != 0);
        else if constexpr (std::is_enum<T>::value || std::is_arithmetic<T>::value)
            Set(static_cast<T>(pValue));
    }

    double AsDouble() override
    {
        if constexpr (std::is_enum<T>::value || std::is_arithmetic<T>::value)
            return static_cast<double>(Get());
        else
            return 0.0;
    }

    void SetDouble(double pValue) override
    {
        if constexpr (std::is_same<T, bool>::value)
            Set(pValue != 0.0);
        else if constexpr (std::is_enum<T>::value || std::is_same<T, int>::value)
            Set(static_cast<T>(detail::SaturateToInt(pValue)));
        else if constexpr (std::is_same<T, float>::value)
            Set(detail::SaturateToFloat(pValue));
        else if constexpr (std::is_same<T, double>::value)
            Set(pValue);
    }

    KString AsString() override
    {
        if (GetPropertyType() == kPropertyEnum)
            return KProperty::AsString();
        if constexpr (std::is_same<T, bool>::value)
            return KString(Get() ? "true" : "false");
        else if constexpr (std::is_enum<T>::value || std::is_integral<T>::value)
            return detail::NumberText(static_cast<long long>(Get()));
        else if constexpr (std::is_floating_point<T>::value)
            return detail::NumberText(static_cast<double>(Get()));
        else if constexpr (std::is_same<T, KString>::value)
            return Get();
        else
            return KString();
    }

protected:
    void Refresh()
    {
        KPlug* owner = GetOwner();
        KPropertyAccessor getter = GetPropertyInfo().GetGetter();
        if (getter && owner)
            mValue = (owner->*detail::RestoreAccessor<T (KPlug::*)()>(getter))();
    }

    // A watched value (see KObject::Watch) ends the watch before it changes;
    // storing the same bits again changes nothing.
    void WatchValue(const T& pValue)
    {
        if (!IsValueWatched())
            return;
        if constexpr (std::is_trivially_copyable<T>::value) {
            if (std::memcmp(static_cast<const void*>(&mValue), static_cast<const void*>(&pValue), sizeof(T)) == 0)
                return;
        } else {
            if (mValue == pValue)
                return;
        }
        WillChange();
    }

    static void Store(void* pData, const T& pValue)
    {
        if constexpr (std::is_trivially_copyable<T>::value)
            std::memcpy(pData, &pValue, sizeof(T));
        else
            *static_cast<T*>(pData) = pValue;
    }

    static T Load(const void* pData)
    {
        if constexpr (std::is_same<T, bool>::value) {
            // Any non-zero byte is true; never loads an invalid bool.
            unsigned char byte;
            std::memcpy(&byte, pData, 1);
            return byte != 0;
        } else if constexpr (std::is_trivially_copyable<T>::value) {
            T value;
            std::memcpy(static_cast<void*>(&value), pData, sizeof(T));
            return value;
        } else {
            return *static_cast<const T*>(pData);
        }
    }

    T mValue;
};

// Vector3D: x, y and z travel as three doubles; the setter (or the cache)
// receives (x, y, z, 1).
template <>
inline void KPropertyTemplate<KgeTVector>::Store(void* pData, const KgeTVector& pValue)
{
    std::memcpy(pData, pValue.mData, 3 * sizeof(double));
}

template <>
inline KgeTVector KPropertyTemplate<KgeTVector>::Load(const void* pData)
{
    KgeTVector value;
    std::memcpy(value.mData, pData, 3 * sizeof(double));
    value.mData[3] = 1.0;
    return value;
}

// Text property: without a setter the property keeps its own copy of the
// text, so a caller may pass a temporary buffer; the value exchanged is the
// char* itself.
template <>
class KPropertyTemplate<char*> : public KProperty {
public:
    typedef char* ValueType;

    KPropertyTemplate() : mValue(nullptr) { SetPropertyType(kPropertyCharPtr); }
    ~KPropertyTemplate() override { std::free(mValue); }

    using KProperty::SetPropertyInfo;
    template <class C>
    void SetPropertyInfo(const char* pName, C* pOwner, char* (detail::Identity<C>::Type::*pGetter)(),
                         void (detail::Identity<C>::Type::*pSetter)(char*))
    {
        KProperty::SetPropertyInfo(pName, pOwner, pGetter ? KPropertyGetter(pGetter) : nullptr,
                                   pSetter ? KPropertySetter(pSetter) : nullptr);
    }

    // The text through the getter; "" when none was set.
    const char* Get()
    {
        Refresh();
        return mValue ? mValue : "";
    }
    bool Set(const char* pValue)
    {
        char* value = const_cast<char*>(pValue);
        return SetData(&value);
    }
    // The stored copy, without getter or notification; null when none.
    const char* GetValue() const { return mValue; }
    // Replaces the stored copy (null clears it).
    void SetValue(const char* pValue) { Assign(pValue); }

    bool GetData(void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                 KWorldState* pState = nullptr) override
    {
        if (!pData)
            return false;
        Refresh();
        char* text = mValue ? mValue : const_cast<char*>("");
        std::memcpy(pData, &text, sizeof(text));
        return true;
    }

    bool SetData(const void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                 KWorldState* pState = nullptr) override
    {
        if (!pData)
            return false;
        char* value;
        std::memcpy(&value, pData, sizeof(value));
        void* data = const_cast<void*>(pData);
        PlugDataNotify(nullptr, kPlugDataChangeBegin, this, data, &mValue, 0);
        WatchText(value);
        KPlug* owner = GetOwner();
        KPropertyAccessor setter = GetPropertyInfo().GetSetter();
        if (setter && owner)
            (owner->*detail::RestoreAccessor<void (KPlug::*)(char*)>(setter))(value);
        else
            Assign(value);
        PlugDataNotify(nullptr, kPlugDataChangeEnd, this, data, nullptr, 0);
        return true;
    }

    bool CopyPropertyValueFrom(KProperty* pOther) override
    {
        KPropertyTemplate* other = dynamic_cast<KPropertyTemplate*>(pOther);
        return other && Set(other->Get());
    }

    KString AsString() override { return KString(Get()); }

private:
    void Refresh()
    {
        KPlug* owner = GetOwner();
        KPropertyAccessor getter = GetPropertyInfo().GetGetter();
        if (getter && owner) {
            char* text = (owner->*detail::RestoreAccessor<char* (KPlug::*)()>(getter))();
            if (text != mValue)
                Assign(text);
        }
    }

    void WatchText(const char* pValue)
    {
        if (IsValueWatched() && std::strcmp(mValue ? mValue : "", pValue ? pValue : "") != 0)
            WillChange();
    }

    void Assign(const char* pValue)
    {
        if (pValue == mValue)
            return;
        WatchText(pValue);
        char* copy = nullptr;
        if (pValue) {
            std::size_t length = std::strlen(pValue);
            copy = static_cast<char*>(std::malloc(length + 1));
            if (!copy)
                return;  // keep the old text rather than lose it
            std::memcpy(copy, pValue, length + 1);
        }
        std::free(mValue);
        mValue = copy;
    }

    char* mValue;
};

// The property (dynamic, unnamed, not listed) that holds values of a property
// type, or null when no value template serves that type. Object lists (9)
// are made as KPropertyObjectList. Made in pRoom when one is given and the
// property fits (the room then shrinks by what it took), else on the heap.
KProperty* KPropertyCreateFromType(kPropertyType pType, KPropertyRoom* pRoom = nullptr);

}  // namespace qelsdk_600

#endif
