// Typed value plugs owned by objects: property types, flags, information.
#ifndef QELSDK_OBJECT_KPROPERTY_H
#define QELSDK_OBJECT_KPROPERTY_H

#include <cstddef>

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

// Getter, setter and to-text function of a property.
struct KPropertyAccessors {
    KPropertyAccessor mGetter;
    KPropertyAccessor mSetter;
    KPropertyAsStringFunc mAsString;
};

// What every property of one row of a class has in common: its name, its
// accessors and its data type. A class keeps one constant row per property
// it declares (see KProperty::SetPropertyInfo); a property that is given a
// name, accessors or a data type of its own takes its own copy of the row.
struct KPropertyRow {
    const char* mName;  // null: unnamed
    KPropertyAccessors mAccessors;
    KDataType* mDataType;  // null: none
};

// Storage an object keeps for some of its dynamic properties (see
// KObject::GetPropertyRoom): the free bytes from mBegin on, 16-aligned.
struct KPropertyRoom {
    unsigned char* mBegin;
    std::size_t mSize;
    // What a property of pSize bytes takes of a room.
    static constexpr std::size_t Taken(std::size_t pSize) { return (pSize + 15) & ~std::size_t(15); }
};

// The information of a property: its name, accessors, type and information
// flags, read and changed through this view of the property that holds them.
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

    KPropertyInfo(const KPropertyInfo&) = delete;
    KPropertyInfo& operator=(const KPropertyInfo&) = delete;

    int GetFlags() const;
    bool GetFlag(int pFlags) const { return (GetFlags() & pFlags) != 0; }
    // Sets (true) or clears (false) the given bits; kAllocatedName follows the
    // name and cannot be changed here.
    void ModifyFlag(int pFlags, bool pSet);

    // Null when unnamed.
    const char* GetName() const;
    // Borrows the text: it must outlive the property (or its next name).
    void SetName(const char* pName);
    // Takes an owned copy with every double-quote character dropped; a null
    // name leaves the property unnamed.
    void SetAllocatedName(const char* pName);

    KPropertyAccessor GetGetter() const;
    KPropertyAccessor GetSetter() const;
    void SetGetter(KPropertyAccessor pGetter);
    void SetSetter(KPropertyAccessor pSetter);
    // Copies the record's accessors (null: none); flag 512 follows its
    // to-text function.
    void ShareAccessors(const KPropertyAccessors* pAccessors);

    kPropertyType GetPropertyType() const;
    void SetPropertyType(kPropertyType pType);

    // Installs the enumeration-to-text function; flag 512 tells whether one
    // is set.
    void SetAsStringFunc(KPropertyAsStringFunc pFunc);
    KPropertyAsStringFunc GetAsStringFunc() const;

protected:
    KPropertyInfo() {}
    ~KPropertyInfo() {}

private:
    KProperty& Property();
    const KProperty& Property() const;
};

// A typed value plug owned by an object. The value lives in the typed
// subclasses (KPropertyTemplate<T>, KPropertyObjectList); this base answers
// with empty values. Destroying a property takes it out of the property list
// of the object that lists it.
//
// Storage: what every property of a class row has in common is not kept per
// property: a property points to its row (KPropertyRow: name, accessors,
// data type), shared by the class, and copies it only when it gets a name,
// accessors or data type of its own. In line it holds only its plug (see
// KPlug, which also keeps the list owner), its flags, information flags,
// type and that pointer: 45 bytes on 64-bit builds, 29 on 32-bit ones, so
// that a bool, int or enum value fits in the padding. A label, limits other
// than minus and plus infinity and enumeration texts go to a record made on
// first use.
class KProperty : public KPlug, protected KPropertyInfo {
public:
    static int ClassId;
    static KClassDefinition ClassDefinition;

    // No name, no accessors, type 0, flags 0, limits minus and plus infinity.
    // In line: a set constructs dozens of members.
    KProperty() : mPropertyFlags(0), mRow(&kNoRow), mInfoFlags(0), mType(kPropertyUnknown) {}
    ~KProperty() override
    {
        // Most properties end unlisted, on their class's row: nothing to undo.
        if (GetListOwner() || IsMarked())
            EndProperty();
    }

    KClassDefinition* GetClassDefinition() const override;

    KPropertyInfo& GetPropertyInfo() { return *this; }
    const KPropertyInfo& GetPropertyInfo() const { return *this; }
    // Makes pOwner the owner (ConnectOwnedPlug) when not null, then stores
    // the name (borrowed, see KPropertyInfo::SetName), the getter and the
    // setter (null: none).
    void SetPropertyInfo(const char* pName, KObject* pOwner, KPropertyAccessor pGetter,
                         KPropertyAccessor pSetter);
    // The same with an accessor record, copied (KPropertyInfo::ShareAccessors),
    // its to-text function included.
    void SetPropertyInfo(const char* pName, KObject* pOwner, const KPropertyAccessors* pAccessors);
    // The same with a class's row, which the property uses as it is: name,
    // accessors (flag 512 following its to-text function) and data type. The
    // row must outlive the property.
    void SetPropertyInfo(KObject* pOwner, const KPropertyRow* pRow);
    // The row in use: the class's or the property's own.
    const KPropertyRow* GetPropertyRow() const { return mRow; }
    // The owning object, or null.
    KObject* GetPropertyOwner() const;

    kPropertyType GetPropertyType() const { return static_cast<kPropertyType>(mType); }
    void SetPropertyType(kPropertyType pType)
    {
        if (pType != mType) {
            WillChange();
            mType = static_cast<unsigned char>(pType);
        }
    }
    // Null when the property has no data type.
    KDataType* GetPropertyDataType() const { return mRow->mDataType; }
    void SetPropertyDataType(KDataType* pDataType);

    // Null when unnamed.
    const char* GetPropertyName() const { return mRow->mName; }
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

    int GetPropertyFlags() const { return mPropertyFlags; }
    bool GetPropertyFlag(kPropertyFlag pFlag) const { return (mPropertyFlags & pFlag) != 0; }
    // Sets (true) or clears (false) the given bits.
    void ModifyPropertyFlag(int pFlags, bool pSet);

    bool IsDynamic() const { return (mInfoFlags & kDynamic) != 0; }
    bool IsAnimatable() const { return (mInfoFlags & kAnimatable) != 0; }
    bool IsPropertyList() const { return (mInfoFlags & kPropertyList) != 0; }
    bool IsPropertyObjectList() const { return (mInfoFlags & kObjectList) != 0; }
    bool IsUserProperty() const { return (mInfoFlags & kUserProperty) != 0; }
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
    // What few properties have: made on first use.
    struct Extra;
    Extra* GetExtra() const;
    Extra& MakeExtra();
    void EndWatch();
    // The object whose property list holds this property, or null.
    // (defined with KObject)
    KObject* ListOwner() const;
    void NameChanged();
    // A row of the property's own, a copy of the current one: with its name
    // borrowed (pName) or copied without double quotes (pCopy); the name
    // stays when both are null. Null when memory runs out.
    KPropertyRow* MakeOwnRow(const char* pName, const char* pCopy, bool pKeepName);
    // The own row, made from the current one (name kept) when shared.
    KPropertyRow& OwnRow();
    void UseRow(const KPropertyRow* pRow, bool pOwned)
    {
        // A copied name ends with its row: callers copy before they switch.
        if (IsMarked() && pRow != mRow)
            FreeOwnRow();
        mRow = pRow;
        SetMarked(pOwned);
    }
    void FreeOwnRow();
    // Takes pRow, its class's, as its row, with the information flags that
    // follow from it.
    void ShareRow(const KPropertyRow* pRow)
    {
        UseRow(pRow, false);
        mInfoFlags &= ~(KPropertyInfo::kAllocatedName | KPropertyInfo::kHasAsStringFunc);
        if (pRow->mAccessors.mAsString)
            mInfoFlags |= KPropertyInfo::kHasAsStringFunc;
    }
    // The destructor's work for a listed property or one with a row of its
    // own.
    void EndProperty();

    // The row of a property that has none of its own: no name, no
    // accessors, no data type.
    static const KPropertyRow kNoRow;

    int mPropertyFlags;  // first: fills the plug's tail padding
    const KPropertyRow* mRow;  // never null; the property's own when marked
    int mInfoFlags;
    unsigned char mType;
};

// ---- KPropertyInfo, a view of its property ----

inline KProperty& KPropertyInfo::Property()
{
    return static_cast<KProperty&>(*this);
}
inline const KProperty& KPropertyInfo::Property() const
{
    return static_cast<const KProperty&>(*this);
}
inline int KPropertyInfo::GetFlags() const
{
    return Property().mInfoFlags;
}
inline const char* KPropertyInfo::GetName() const
{
    return Property().mRow->mName;
}
inline KPropertyAccessor KPropertyInfo::GetGetter() const
{
    return Property().mRow->mAccessors.mGetter;
}
inline KPropertyAccessor KPropertyInfo::GetSetter() const
{
    return Property().mRow->mAccessors.mSetter;
}
inline KPropertyAsStringFunc KPropertyInfo::GetAsStringFunc() const
{
    return Property().mRow->mAccessors.mAsString;
}
inline kPropertyType KPropertyInfo::GetPropertyType() const
{
    return Property().GetPropertyType();
}
inline void KPropertyInfo::SetPropertyType(kPropertyType pType)
{
    Property().SetPropertyType(pType);
}

}  // namespace qelsdk_600

#endif
