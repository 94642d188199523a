// Typed value plugs owned by objects: property types, flags, information.
#ifndef QELSDK_OBJECT_KPROPERTY_H
#define QELSDK_OBJECT_KPROPERTY_H

#include <memory>
#include <vector>

#include "base/kstring.h"
#include "object/kplug.h"

namespace qelsdk_600 {

class KObject;
class KProperty;
class KDataType;
class KEvaluateInfo;   // evaluation context; not used by the value templates
class KWorldState;     // evaluation state; not used by the value templates

// Value type of a property.
enum kPropertyType {
    kPropertyUnknown = 0,
    kPropertyInt = 1,
    kPropertyBool = 2,
    kPropertyFloat = 3,
    kPropertyDouble = 4,
    kPropertyCharPtr = 5,
    kPropertyEnum = 6,
    kPropertyTime = 7,
    kPropertyString = 8,
    kPropertyObject = 9,
    kPropertyEvent = 10,
    kPropertyStringList = 11,
    kPropertyVector4D = 12,
    kPropertyVector3D = 13,
    kPropertyColorRGB = 14,
    kPropertyColorRGBA = 15,
    kPropertyAction = 16,
    kPropertyReference = 17,
    kPropertyVectorElement = 18,
    kPropertyTypeCount = 19
};

// Names of the property types by value: "unknown", "int", "bool", ...
extern const char* const kPropertyTypeNames[kPropertyTypeCount];
// The name of a property type, null outside 0 to 18.
const char* KPropertyTypeName(int pType);

// Bits of a property's own flags.
enum kPropertyFlag {
    kPropertyFlagNone = 0,
    kPropertyFlagMarked = 1,      // stored for callers; no meaning here
    kPropertyFlagDisabled = 4,
    kPropertyFlagAnimated = 8,
    kPropertyFlagNotSavable = 16, // not written to files
    kPropertyFlagReadOnly = 32
};

// Getter and setter: member functions of the owner, stored in this erased
// form. Make them with KPropertyGetter and KPropertySetter
// (kpropertytemplate.h); a getter takes nothing and returns the value, a
// setter takes the value.
typedef void (KPlug::*KPropertyAccessor)();
// Text of an enumeration value: a member function of the owner; the text is
// constant and not freed by the caller, null when the value has none.
typedef const char* (KPlug::*KPropertyAsStringFunc)(int);

// Getter, setter and to-text function of a property. Properties of the same
// row of a class share one record with static storage (see
// KProperty::SetPropertyInfo); a property whose accessors are changed one by
// one takes its own copy.
struct KPropertyAccessors {
    KPropertyAccessor mGetter;
    KPropertyAccessor mSetter;
    KPropertyAsStringFunc mAsString;
};

// The information record embedded in every property.
class KPropertyInfo {
public:
    enum kFlags {
        kDynamic = 1,          // created at run time; its object frees it
        kAnimatable = 2,
        kPropertyList = 4,
        kObjectList = 8,
        kAllocatedName = 32,   // the name is an owned copy
        kUserProperty = 64,
        kTemporary = 128,
        kHasAsStringFunc = 512
    };

    KPropertyInfo();
    ~KPropertyInfo();
    KPropertyInfo(const KPropertyInfo&) = delete;
    KPropertyInfo& operator=(const KPropertyInfo&) = delete;

    int GetFlags() const { return mFlags; }
    bool GetFlag(int pFlags) const { return (mFlags & pFlags) != 0; }
    // Sets (true) or clears (false) the given bits; kAllocatedName follows the
    // name and cannot be changed here.
    void ModifyFlag(int pFlags, bool pSet);

    // Null when unnamed.
    const char* GetName() const { return mName; }
    // Borrows the text: it must outlive the property (or its next name).
    void SetName(const char* pName);
    // Takes an owned copy with every double-quote character dropped; a null
    // name leaves the property unnamed.
    void SetAllocatedName(const char* pName);

    KPropertyAccessor GetGetter() const { return mAccessors ? mAccessors->mGetter : nullptr; }
    KPropertyAccessor GetSetter() const { return mAccessors ? mAccessors->mSetter : nullptr; }
    void SetGetter(KPropertyAccessor pGetter);
    void SetSetter(KPropertyAccessor pSetter);
    // Uses a shared record (null: no accessors); flag 512 follows its
    // to-text function. The record must outlive the property.
    void ShareAccessors(const KPropertyAccessors* pAccessors);

    kPropertyType GetPropertyType() const { return mType; }
    void SetPropertyType(kPropertyType pType);

    // Installs the enumeration-to-text function; flag 512 tells whether one
    // is set.
    void SetAsStringFunc(KPropertyAsStringFunc pFunc);
    KPropertyAsStringFunc GetAsStringFunc() const { return mAccessors ? mAccessors->mAsString : nullptr; }

private:
    friend class KProperty;
    void ReleaseName();
    // The property's own copy of the accessors, made from the shared ones.
    KPropertyAccessors& OwnAccessors();
    // Ends the watch that covers the embedding property (KObject::Watch).
    void WillChange();

    KProperty* mProperty;  // the property that embeds this record
    const char* mName;
    const KPropertyAccessors* mAccessors;  // shared, the property's own copy, or null
    kPropertyType mType;
    int mFlags;
};

// A typed value plug owned by an object. The value lives in the typed
// subclasses (KPropertyTemplate<T>, KPropertyObjectList); this base answers
// with empty values. Destroying a property takes it out of the property list
// of the object that lists it.
//
// Storage: what every property of a class row has in common is not kept per
// property. The name is a borrowed pointer to the row's text (a copy only
// for a dynamic or renamed property), the getter, setter and to-text
// function are one shared KPropertyAccessors record per row, and the data
// type is a pointer to the process-wide type. A property holds in line only
// its plug (see KPlug), its flags, type, those three pointers and its list
// owner: 96 bytes on 64-bit, 60 on 32-bit builds, before the value. A
// label, limits other than minus and plus infinity, enumeration texts and
// accessors set one by one go to a record made on first use.
class KProperty : public KPlug {
public:
    static int ClassId;
    static KClassDefinition ClassDefinition;

    // No name, no accessors, type 0, flags 0, limits minus and plus infinity.
    KProperty();
    ~KProperty() override;

    KClassDefinition* GetClassDefinition() const override;

    KPropertyInfo& GetPropertyInfo() { return mInfo; }
    const KPropertyInfo& GetPropertyInfo() const { return mInfo; }
    // Makes pOwner the owner (ConnectOwnedPlug) when not null, then stores
    // the name (borrowed, see KPropertyInfo::SetName), the getter and the
    // setter (null: none).
    void SetPropertyInfo(const char* pName, KObject* pOwner, KPropertyAccessor pGetter,
                         KPropertyAccessor pSetter);
    // The same with a shared accessor record (KPropertyInfo::ShareAccessors),
    // its to-text function included.
    void SetPropertyInfo(const char* pName, KObject* pOwner, const KPropertyAccessors* pAccessors);
    // The owning object, or null.
    KObject* GetPropertyOwner() const;

    kPropertyType GetPropertyType() const { return mInfo.GetPropertyType(); }
    void SetPropertyType(kPropertyType pType) { mInfo.SetPropertyType(pType); }
    // Null when the property has no data type.
    KDataType* GetPropertyDataType() const { return mDataType; }
    void SetPropertyDataType(KDataType* pDataType)
    {
        if (pDataType != mDataType)
            WillChange();
        mDataType = pDataType;
    }

    // Null when unnamed.
    const char* GetPropertyName() const { return mInfo.GetName(); }
    // Takes an owned copy of the name (double quotes dropped).
    virtual void SetPropertyName(const char* pName);
    // Empty when none was set.
    const char* GetPropertyLabel() const;
    void SetPropertyLabel(const char* pLabel);

    double GetPropertyMin() const;
    double GetPropertyMax() const;
    void SetPropertyMin(double pMin);
    void SetPropertyMax(double pMax);
    void SetPropertyMinMax(double pMin, double pMax)
    {
        SetPropertyMin(pMin);
        SetPropertyMax(pMax);
    }

    int GetPropertyFlags() const { return mFlags; }
    bool GetPropertyFlag(kPropertyFlag pFlag) const { return (mFlags & pFlag) != 0; }
    // Sets (true) or clears (false) the given bits.
    void ModifyPropertyFlag(int pFlags, bool pSet);

    bool IsDynamic() const { return mInfo.GetFlag(KPropertyInfo::kDynamic); }
    bool IsAnimatable() const { return mInfo.GetFlag(KPropertyInfo::kAnimatable); }
    bool IsPropertyList() const { return mInfo.GetFlag(KPropertyInfo::kPropertyList); }
    bool IsPropertyObjectList() const { return mInfo.GetFlag(KPropertyInfo::kObjectList); }
    bool IsUserProperty() const { return mInfo.GetFlag(KPropertyInfo::kUserProperty); }
    bool IsAnimated() const { return GetPropertyFlag(kPropertyFlagAnimated); }
    bool GetEnable() const { return !GetPropertyFlag(kPropertyFlagDisabled); }
    void SetEnable(bool pEnable) { ModifyPropertyFlag(kPropertyFlagDisabled, !pEnable); }
    bool IsReadOnly() const { return GetPropertyFlag(kPropertyFlagReadOnly); }
    void SetReadOnly(bool pReadOnly) { ModifyPropertyFlag(kPropertyFlagReadOnly, pReadOnly); }

    // The value converted to or from int or double. Integer and enum types
    // truncate toward zero and saturate; values that are not numbers (texts,
    // vectors, lists) read as 0 and ignore writes. Writes go through SetData,
    // so they notify and call the setter.
    virtual int AsInteger();
    virtual void SetInteger(int pValue);
    virtual double AsDouble();
    virtual void SetDouble(double pValue);

    // Copy the value out of or into a caller buffer in the property's own
    // representation (a vector or colour as consecutive doubles; an int or
    // enum as a 32-bit integer). False when there is nothing to copy or the
    // buffer is null. The last three arguments are not used (pass 0, null).
    virtual bool GetData(void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                         KWorldState* pState = nullptr);
    virtual bool SetData(const void* pData, int pSize = 0, KEvaluateInfo* pInfo = nullptr,
                         KWorldState* pState = nullptr);
    // Takes the value of a property of the same value type (through SetData);
    // false when the types do not match.
    virtual bool CopyPropertyValueFrom(KProperty* pOther);

    // The text of an enumeration value: the to-text function's answer for a
    // property that is not a user property and has one, else the entry of
    // the list of enumeration texts; null when there is none.
    const char* GetValueAsString(int pValue);
    // The value as text: an enum's text, a text's characters, "true" or
    // "false", or a number in C-locale form; empty otherwise.
    virtual KString AsString();

    // Enumeration texts of a user property, in value order.
    void AddEnumValue(const char* pText);
    int GetEnumCount() const;
    // Null outside the list.
    const char* GetEnumValue(int pIndex) const;

protected:
    // Before a change of what the watch of the listing object covers (see
    // KObject::Watch): ends that watch.
    void WillChange()
    {
        if (IsWatched())
            EndWatch();
    }
    // Only the value of an animatable property is watched.
    bool IsValueWatched() const { return IsWatched() && IsAnimatable(); }

private:
    friend class KObject;
    friend class KPropertyInfo;
    void EndWatch();
    // What few properties have: made on first use.
    struct Extra;
    Extra& MakeExtra();
    void NameChanged();

    int mFlags;  // first: fills the plug's tail padding
    KPropertyInfo mInfo;
    KDataType* mDataType;
    KObject* mListOwner;  // the object whose property list holds this property
    std::unique_ptr<Extra> mExtra;
};

}  // namespace qelsdk_600

#endif
