#include "object/kproperty.h"

#include <cstdlib>
#include <cstring>
#include <limits>

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

// ---------------------------------------------------------------------------
// KPropertyInfo

// A property's own copies and settings beyond the common ones.
struct KProperty::Extra {
    KPropertyAccessors mAccessors = {nullptr, nullptr, nullptr};
    KString mLabel;
    double mMin = -std::numeric_limits<double>::infinity();
    double mMax = std::numeric_limits<double>::infinity();
    std::vector<KString> mEnumValues;
};

KPropertyInfo::KPropertyInfo()
    : mProperty(nullptr), mName(nullptr), mAccessors(nullptr), mType(kPropertyUnknown), mFlags(0)
{
}

KPropertyInfo::~KPropertyInfo()
{
    ReleaseName();
}

void KPropertyInfo::ReleaseName()
{
    if (mFlags & kAllocatedName)
        std::free(const_cast<char*>(mName));
    mName = nullptr;
    mFlags &= ~kAllocatedName;
}

void KPropertyInfo::WillChange()
{
    if (mProperty)
        mProperty->WillChange();
}

void KPropertyInfo::ModifyFlag(int pFlags, bool pSet)
{
    pFlags &= ~kAllocatedName;
    const int flags = pSet ? mFlags | pFlags : mFlags & ~pFlags;
    if (flags != mFlags)
        WillChange();
    mFlags = flags;
}

void KPropertyInfo::SetPropertyType(kPropertyType pType)
{
    if (pType != mType)
        WillChange();
    mType = pType;
}

void KPropertyInfo::SetName(const char* pName)
{
    if (pName == mName)
        return;
    WillChange();
    ReleaseName();
    mName = pName;
    if (mProperty)
        mProperty->NameChanged();
}

void KPropertyInfo::SetAllocatedName(const char* pName)
{
    char* copy = nullptr;
    if (pName) {
        copy = static_cast<char*>(std::malloc(std::strlen(pName) + 1));
        if (!copy)
            return;  // keep the current name rather than lose it
        char* out = copy;
        for (const char* in = pName; *in; ++in) {
            if (*in != '"')
                *out++ = *in;
        }
        *out = '\0';
    }
    WillChange();
    ReleaseName();
    mName = copy;
    if (copy)
        mFlags |= kAllocatedName;
    if (mProperty)
        mProperty->NameChanged();
}

KPropertyAccessors& KPropertyInfo::OwnAccessors()
{
    WillChange();
    KPropertyAccessors& own = mProperty->MakeExtra().mAccessors;
    if (mAccessors != &own) {
        own = mAccessors ? *mAccessors : KPropertyAccessors{nullptr, nullptr, nullptr};
        mAccessors = &own;
    }
    return own;
}

void KPropertyInfo::SetGetter(KPropertyAccessor pGetter)
{
    if (GetGetter() != pGetter)
        OwnAccessors().mGetter = pGetter;
}

void KPropertyInfo::SetSetter(KPropertyAccessor pSetter)
{
    if (GetSetter() != pSetter)
        OwnAccessors().mSetter = pSetter;
}

void KPropertyInfo::SetAsStringFunc(KPropertyAsStringFunc pFunc)
{
    if (GetAsStringFunc() != pFunc)
        OwnAccessors().mAsString = pFunc;
    if (pFunc)
        mFlags |= kHasAsStringFunc;
    else
        mFlags &= ~kHasAsStringFunc;
}

void KPropertyInfo::ShareAccessors(const KPropertyAccessors* pAccessors)
{
    if (pAccessors != mAccessors)
        WillChange();
    mAccessors = pAccessors;
    if (GetAsStringFunc())
        mFlags |= kHasAsStringFunc;
    else
        mFlags &= ~kHasAsStringFunc;
}

// ---------------------------------------------------------------------------
// KProperty

KClassDefinition KProperty::ClassDefinition = {&KProperty::ClassId, &KPlug::ClassDefinition,
                                               "KProperty", nullptr};
int KProperty::ClassId = KPlug_RegisterClassId(&KProperty::ClassDefinition, -1);

KProperty::KProperty() : mFlags(0), mDataType(nullptr), mListOwner(nullptr)
{
    mInfo.mProperty = this;
}

KProperty::~KProperty()
{
    // An embedded property dies before its object: leave no dangling entry.
    if (mListOwner)
        mListOwner->ForgetProperty(this);
    mInfo.mProperty = nullptr;
}

KClassDefinition* KProperty::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KProperty::SetPropertyInfo(const char* pName, KObject* pOwner, KPropertyAccessor pGetter,
                                KPropertyAccessor pSetter)
{
    if (pOwner && GetOwner() != pOwner)
        pOwner->ConnectOwnedPlug(this);
    mInfo.SetName(pName);
    mInfo.SetGetter(pGetter);
    mInfo.SetSetter(pSetter);
}

void KProperty::SetPropertyInfo(const char* pName, KObject* pOwner, const KPropertyAccessors* pAccessors)
{
    if (pOwner && GetOwner() != pOwner)
        pOwner->ConnectOwnedPlug(this);
    mInfo.SetName(pName);
    mInfo.ShareAccessors(pAccessors);
}

KProperty::Extra& KProperty::MakeExtra()
{
    if (!mExtra)
        mExtra.reset(new Extra);
    return *mExtra;
}

KObject* KProperty::GetPropertyOwner() const
{
    return dynamic_cast<KObject*>(GetOwner());
}

void KProperty::SetPropertyName(const char* pName)
{
    mInfo.SetAllocatedName(pName);
}

const char* KProperty::GetPropertyLabel() const
{
    return mExtra ? mExtra->mLabel.Buffer() : "";
}

void KProperty::SetPropertyLabel(const char* pLabel)
{
    if (mExtra || (pLabel && *pLabel))
        MakeExtra().mLabel = pLabel ? pLabel : "";
}

double KProperty::GetPropertyMin() const
{
    return mExtra ? mExtra->mMin : -std::numeric_limits<double>::infinity();
}

double KProperty::GetPropertyMax() const
{
    return mExtra ? mExtra->mMax : std::numeric_limits<double>::infinity();
}

void KProperty::SetPropertyMin(double pMin)
{
    if (mExtra || pMin != -std::numeric_limits<double>::infinity())
        MakeExtra().mMin = pMin;
}

void KProperty::SetPropertyMax(double pMax)
{
    if (mExtra || pMax != std::numeric_limits<double>::infinity())
        MakeExtra().mMax = pMax;
}

void KProperty::ModifyPropertyFlag(int pFlags, bool pSet)
{
    if (pSet)
        mFlags |= pFlags;
    else
        mFlags &= ~pFlags;
}

void KProperty::EndWatch()
{
    if (mListOwner)
        mListOwner->EndWatch();
    else
        SetWatched(false);
}

void KProperty::NameChanged()
{
    if (mListOwner)
        mListOwner->InvalidateNameIndex();
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
    KPropertyAsStringFunc func = mInfo.GetAsStringFunc();
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
    return mExtra ? static_cast<int>(mExtra->mEnumValues.size()) : 0;
}

const char* KProperty::GetEnumValue(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetEnumCount())
        return nullptr;
    return mExtra->mEnumValues[static_cast<std::size_t>(pIndex)].Buffer();
}

}  // namespace qelsdk_600
