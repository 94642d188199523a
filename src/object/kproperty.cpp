#include "object/kproperty.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "object/kobject.h"

namespace qelsdk_600 {

const char* const kPropertyTypeNames[kPropertyTypeCount] = {
    "unknown", "int", "bool", "float", "double", "charptr", "enum", "KTime", "KString", "object",
    "event", "stringlist", "Vector4D", "Vector3D", "ColorRGB", "ColorRGBA", "Action", "Reference",
    "VectorElement"};

const char* KPropertyTypeName(int pType)
{
    return pType >= 0 && pType < kPropertyTypeCount ? kPropertyTypeNames[pType] : nullptr;
}

const KPropertyRow KProperty::kNoRow = {nullptr, {nullptr, nullptr, nullptr}, nullptr};

// A property's settings beyond the common ones.
struct KProperty::Extra : KPlug::Extension {
    KString mLabel;
    double mMin = -std::numeric_limits<double>::infinity();
    double mMax = std::numeric_limits<double>::infinity();
    std::vector<KString> mEnumValues;
};

// ---------------------------------------------------------------------------
// KPropertyInfo

void KPropertyInfo::ModifyFlag(int pFlags, bool pSet)
{
    KProperty& property = Property();
    pFlags &= ~kAllocatedName;
    const int flags = pSet ? property.mInfoFlags | pFlags : property.mInfoFlags & ~pFlags;
    if (flags != property.mInfoFlags)
        property.WillChange();
    property.mInfoFlags = flags;
}

void KPropertyInfo::SetName(const char* pName)
{
    KProperty& property = Property();
    if (pName == property.mRow->mName)
        return;
    property.WillChange();
    if (KPropertyRow* row = property.MakeOwnRow(pName, nullptr, false)) {
        property.UseRow(row, true);
        property.mInfoFlags &= ~kAllocatedName;
    }
    property.NameChanged();
}

void KPropertyInfo::SetAllocatedName(const char* pName)
{
    KProperty& property = Property();
    // A failed copy keeps the current name rather than lose it.
    KPropertyRow* row = property.MakeOwnRow(nullptr, pName, false);
    if (!row)
        return;
    property.WillChange();
    property.UseRow(row, true);
    if (pName)
        property.mInfoFlags |= kAllocatedName;
    else
        property.mInfoFlags &= ~kAllocatedName;
    property.NameChanged();
}

void KPropertyInfo::SetGetter(KPropertyAccessor pGetter)
{
    if (GetGetter() != pGetter)
        Property().OwnRow().mAccessors.mGetter = pGetter;
}

void KPropertyInfo::SetSetter(KPropertyAccessor pSetter)
{
    if (GetSetter() != pSetter)
        Property().OwnRow().mAccessors.mSetter = pSetter;
}

void KPropertyInfo::SetAsStringFunc(KPropertyAsStringFunc pFunc)
{
    KProperty& property = Property();
    if (GetAsStringFunc() != pFunc)
        property.OwnRow().mAccessors.mAsString = pFunc;
    if (pFunc)
        property.mInfoFlags |= kHasAsStringFunc;
    else
        property.mInfoFlags &= ~kHasAsStringFunc;
}

void KPropertyInfo::ShareAccessors(const KPropertyAccessors* pAccessors)
{
    const KPropertyAccessors accessors = pAccessors ? *pAccessors : KPropertyAccessors{nullptr, nullptr, nullptr};
    KProperty& property = Property();
    const KPropertyAccessors& current = property.mRow->mAccessors;
    if (current.mGetter != accessors.mGetter || current.mSetter != accessors.mSetter ||
        current.mAsString != accessors.mAsString)
        property.OwnRow().mAccessors = accessors;
    if (accessors.mAsString)
        property.mInfoFlags |= kHasAsStringFunc;
    else
        property.mInfoFlags &= ~kHasAsStringFunc;
}

// ---------------------------------------------------------------------------
// KProperty

KClassDefinition KProperty::ClassDefinition = {&KProperty::ClassId, &KPlug::ClassDefinition,
                                               "KProperty", nullptr};
int KProperty::ClassId = KPlug_RegisterClassId(&KProperty::ClassDefinition, -1);

void KProperty::EndProperty()
{
    // An embedded property dies before its object: leave no dangling entry.
    if (KObject* listOwner = ListOwner())
        listOwner->ForgetProperty(this);
    UseRow(&kNoRow, false);
}

KClassDefinition* KProperty::GetClassDefinition() const
{
    return &ClassDefinition;
}

KPropertyRow* KProperty::MakeOwnRow(const char* pName, const char* pCopy, bool pKeepName)
{
    std::size_t length = pCopy ? std::strlen(pCopy) + 1 : 0;
    KPropertyRow* row = static_cast<KPropertyRow*>(std::malloc(sizeof(KPropertyRow) + length));
    if (!row)
        return nullptr;
    *row = *mRow;
    if (pCopy) {
        char* out = reinterpret_cast<char*>(row + 1);
        row->mName = out;
        for (const char* in = pCopy; *in; ++in) {
            if (*in != '"')
                *out++ = *in;
        }
        *out = '\0';
    } else if (!pKeepName) {
        row->mName = pName;
    }
    return row;
}

KPropertyRow& KProperty::OwnRow()
{
    WillChange();
    if (!IsMarked()) {
        KPropertyRow* row = MakeOwnRow(nullptr, nullptr, true);
        if (!row)
            throw std::bad_alloc();
        UseRow(row, true);
    }
    return *const_cast<KPropertyRow*>(mRow);
}

void KProperty::FreeOwnRow()
{
    std::free(const_cast<KPropertyRow*>(mRow));
}

void KProperty::SetPropertyInfo(const char* pName, KObject* pOwner, KPropertyAccessor pGetter,
                                KPropertyAccessor pSetter)
{
    if (pOwner && GetOwner() != pOwner)
        pOwner->ConnectOwnedPlug(this);
    KPropertyInfo& info = GetPropertyInfo();
    info.SetName(pName);
    info.SetGetter(pGetter);
    info.SetSetter(pSetter);
}

void KProperty::SetPropertyInfo(const char* pName, KObject* pOwner, const KPropertyAccessors* pAccessors)
{
    if (pOwner && GetOwner() != pOwner)
        pOwner->ConnectOwnedPlug(this);
    GetPropertyInfo().SetName(pName);
    GetPropertyInfo().ShareAccessors(pAccessors);
}

void KProperty::SetPropertyInfo(KObject* pOwner, const KPropertyRow* pRow)
{
    if (pOwner && GetOwner() != pOwner)
        pOwner->ConnectOwnedPlug(this);
    if (!pRow)
        pRow = &kNoRow;
    if (pRow == mRow)
        return;
    WillChange();
    const bool renamed = pRow->mName != mRow->mName;
    ShareRow(pRow);
    if (renamed)
        NameChanged();
}

void KProperty::SetPropertyDataType(KDataType* pDataType)
{
    if (pDataType != mRow->mDataType)
        OwnRow().mDataType = pDataType;
}

KProperty::Extra* KProperty::GetExtra() const
{
    return static_cast<Extra*>(GetExtension());
}

KProperty::Extra& KProperty::MakeExtra()
{
    if (!GetExtra())
        SetExtension(new Extra);
    return *GetExtra();
}

KObject* KProperty::GetPropertyOwner() const
{
    return dynamic_cast<KObject*>(GetOwner());
}

void KProperty::SetPropertyName(const char* pName)
{
    GetPropertyInfo().SetAllocatedName(pName);
}

const char* KProperty::GetPropertyLabel() const
{
    const Extra* extra = GetExtra();
    return extra ? extra->mLabel.Buffer() : "";
}

void KProperty::SetPropertyLabel(const char* pLabel)
{
    if (GetExtra() || (pLabel && *pLabel))
        MakeExtra().mLabel = pLabel ? pLabel : "";
}

double KProperty::GetPropertyMin() const
{
    const Extra* extra = GetExtra();
    return extra ? extra->mMin : -std::numeric_limits<double>::infinity();
}

double KProperty::GetPropertyMax() const
{
    const Extra* extra = GetExtra();
    return extra ? extra->mMax : std::numeric_limits<double>::infinity();
}

void KProperty::SetPropertyMin(double pMin)
{
    if (GetExtra() || pMin != -std::numeric_limits<double>::infinity())
        MakeExtra().mMin = pMin;
}

void KProperty::SetPropertyMax(double pMax)
{
    if (GetExtra() || pMax != std::numeric_limits<double>::infinity())
        MakeExtra().mMax = pMax;
}

void KProperty::ModifyPropertyFlag(int pFlags, bool pSet)
{
    if (pSet)
        mPropertyFlags |= pFlags;
    else
        mPropertyFlags &= ~pFlags;
}

void KProperty::EndWatch()
{
    if (KObject* listOwner = ListOwner())
        listOwner->EndWatch();
    else
        SetWatched(false);
}

void KProperty::NameChanged()
{
    if (KObject* listOwner = ListOwner())
        listOwner->InvalidateNameIndex();
}

int KProperty::AsInteger()
{
    return 0;
}

void KProperty::SetInteger(int pValue) {}

double KProperty::AsDouble()
{
    return 0.0;
}

void KProperty::SetDouble(double pValue) {}

bool KProperty::GetData(void* pData, int pSize, KEvaluateInfo* pInfo, KWorldState* pState)
{
    return false;
}

bool KProperty::SetData(const void* pData, int pSize, KEvaluateInfo* pInfo, KWorldState* pState)
{
    return false;
}

bool KProperty::CopyPropertyValueFrom(KProperty* pOther)
{
    return false;
}

const char* KProperty::GetValueAsString(int pValue)
{
    KPropertyAsStringFunc func = GetPropertyInfo().GetAsStringFunc();
    if (!IsUserProperty() && func) {
        KPlug* owner = GetOwner();
        return owner ? (owner->*func)(pValue) : nullptr;
    }
    return GetEnumValue(pValue);
}

KString KProperty::AsString()
{
    if (GetPropertyType() == kPropertyEnum) {
        const char* text = GetValueAsString(AsInteger());
        return KString(text ? text : "");
    }
    return KString();
}

void KProperty::AddEnumValue(const char* pText)
{
    MakeExtra().mEnumValues.push_back(KString(pText ? pText : ""));
}

int KProperty::GetEnumCount() const
{
    const Extra* extra = GetExtra();
    return extra ? static_cast<int>(extra->mEnumValues.size()) : 0;
}

const char* KProperty::GetEnumValue(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetEnumCount())
        return nullptr;
    return GetExtra()->mEnumValues[static_cast<std::size_t>(pIndex)].Buffer();
}

}  // namespace qelsdk_600
