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

KPropertyInfo::KPropertyInfo()
    : mProperty(nullptr),
      mName(nullptr),
      mGetter(nullptr),
      mSetter(nullptr),
      mAsString(nullptr),
      mType(kPropertyUnknown),
      mFlags(0)
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

void KPropertyInfo::ModifyFlag(int pFlags, bool pSet)
{
    pFlags &= ~kAllocatedName;
    if (pSet)
        mFlags |= pFlags;
    else
        mFlags &= ~pFlags;
}

void KPropertyInfo::SetName(const char* pName)
{
    if (pName == mName)
        return;
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
    ReleaseName();
    mName = copy;
    if (copy)
        mFlags |= kAllocatedName;
    if (mProperty)
        mProperty->NameChanged();
}

void KPropertyInfo::SetAsStringFunc(KPropertyAsStringFunc pFunc)
{
    mAsString = pFunc;
    if (pFunc)
        mFlags |= kHasAsStringFunc;
    else
        mFlags &= ~kHasAsStringFunc;
}

// ---------------------------------------------------------------------------
// KProperty

KClassDefinition KProperty::ClassDefinition = {&KProperty::ClassId, &KPlug::ClassDefinition,
                                               "KProperty", nullptr};
int KProperty::ClassId = KPlug_RegisterClassId(&KProperty::ClassDefinition, -1);

KProperty::KProperty()
    : mDataType(nullptr),
      mMin(-std::numeric_limits<double>::infinity()),
      mMax(std::numeric_limits<double>::infinity()),
      mFlags(0),
      mListOwner(nullptr)
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

KObject* KProperty::GetPropertyOwner() const
{
    return dynamic_cast<KObject*>(GetOwner());
}

void KProperty::SetPropertyName(const char* pName)
{
    mInfo.SetAllocatedName(pName);
}

void KProperty::SetPropertyLabel(const char* pLabel)
{
    mLabel = pLabel ? pLabel : "";
}

void KProperty::ModifyPropertyFlag(int pFlags, bool pSet)
{
    if (pSet)
        mFlags |= pFlags;
    else
        mFlags &= ~pFlags;
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
    if (!mEnumValues)
        mEnumValues.reset(new std::vector<KString>);
    mEnumValues->push_back(KString(pText ? pText : ""));
}

int KProperty::GetEnumCount() const
{
    return mEnumValues ? static_cast<int>(mEnumValues->size()) : 0;
}

const char* KProperty::GetEnumValue(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetEnumCount())
        return nullptr;
    return (*mEnumValues)[static_cast<std::size_t>(pIndex)].Buffer();
}

}  // namespace qelsdk_600
