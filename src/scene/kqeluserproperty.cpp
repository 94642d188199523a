#include "scene/kqeluserproperty.h"

#include <cstring>
#include <limits>

#include "content/kqelcolor.h"
#include "object/kproperty.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyvalue_impl.h"

namespace qelsdk_600 {

namespace {

const char* const kTypeNames[] = {"Unidentified", "Bool", "Real", "Color", "Integer", "Vector"};
constexpr int kTypeCount = static_cast<int>(sizeof(kTypeNames) / sizeof(kTypeNames[0]));

// User-property flag bits and the information flags they stand for.
struct FlagPair {
    int mUser;
    int mInfo;
};
const FlagPair kFlagPairs[] = {
    {KQelUserProperty::eAnimatable, KPropertyInfo::kAnimatable},
    {KQelUserProperty::eUserProperty, KPropertyInfo::kUserProperty},
    {KQelUserProperty::eTemporary, KPropertyInfo::kTemporary},
};

KQelUserProperty::EUserPropertyType TypeOf(kPropertyType pType)
{
    switch (pType) {
    case kPropertyBool:
        return KQelUserProperty::eBool;
    case kPropertyFloat:
    case kPropertyDouble:
        return KQelUserProperty::eReal;
    case kPropertyColorRGB:
    case kPropertyColorRGBA:
        return KQelUserProperty::eColor;
    case kPropertyInt:
        return KQelUserProperty::eInteger;
    case kPropertyVector3D:
        return KQelUserProperty::eVector;
    default:
        return KQelUserProperty::eUnidentified;
    }
}

bool IsColor(const KProperty* pProperty)
{
    const kPropertyType type = pProperty->GetPropertyType();
    return type == kPropertyColorRGB || type == kPropertyColorRGBA;
}

}  // namespace

struct KQelUserProperty::Description {
    KString mName;
    EUserPropertyType mType = eUnidentified;
    KString mLabel;
    double mMin = -std::numeric_limits<double>::infinity();
    double mMax = std::numeric_limits<double>::infinity();
    int mFlags = eNoFlag;
};

KQelUserProperty::EUserPropertyType GetPropertyTypeFromName(const char* pTypeName)
{
    if (!pTypeName)
        return KQelUserProperty::eUnidentified;
    for (int i = 1; i < kTypeCount; ++i) {
        if (std::strcmp(pTypeName, kTypeNames[i]) == 0)
            return static_cast<KQelUserProperty::EUserPropertyType>(i);
    }
    return KQelUserProperty::eUnidentified;
}

KQelUserProperty::KQelUserProperty(KQelSdkManager& pManager, const char* pName, const char* pTypeName,
                                   const char* pLabel)
    : KQelUserProperty(pManager, pName, GetPropertyTypeFromName(pTypeName), pLabel, eNoFlag)
{
}

KQelUserProperty::KQelUserProperty(KQelSdkManager& pManager, const char* pName, EUserPropertyType pType,
                                   const char* pLabel, EFlags pFlags)
    : mProperty(nullptr), mHandler(nullptr), mDescription(new Description), mManager(&pManager), mRunOwner(nullptr)
{
    mDescription->mName = pName ? pName : "";
    mDescription->mType = pType;
    mDescription->mLabel = pLabel ? pLabel : "";
    mDescription->mFlags = pFlags;
}

KQelUserProperty::KQelUserProperty(KQelSdkManager& pManager, KProperty* pProperty)
    : mProperty(pProperty), mHandler(nullptr), mManager(&pManager), mRunOwner(nullptr)
{
}

KQelUserProperty::~KQelUserProperty() {}

// ---- Identity ----

KString KQelUserProperty::GetName() const
{
    if (mProperty) {
        const char* name = mProperty->GetPropertyName();
        return KString(name ? name : "");
    }
    return mDescription ? mDescription->mName : KString();
}

KString KQelUserProperty::GetLabel(bool pUseName) const
{
    KString label;
    if (mProperty)
        label = mProperty->GetPropertyLabel();
    else if (mDescription)
        label = mDescription->mLabel;
    if (pUseName && label.IsEmpty())
        return GetName();
    return label;
}

void KQelUserProperty::SetLabel(const KString& pLabel)
{
    if (mProperty)
        mProperty->SetPropertyLabel(pLabel.Buffer());
    else if (mDescription)
        mDescription->mLabel = pLabel;
}

KQelUserProperty::EUserPropertyType KQelUserProperty::GetPropertyType() const
{
    if (mProperty)
        return TypeOf(mProperty->GetPropertyType());
    return mDescription ? mDescription->mType : eUnidentified;
}

const char* KQelUserProperty::GetPropertyTypeName(EUserPropertyType pType)
{
    const int index = static_cast<int>(pType);
    return index >= 0 && index < kTypeCount ? kTypeNames[index] : nullptr;
}

bool KQelUserProperty::operator==(const KProperty* pProperty) const
{
    return pProperty && mProperty && pProperty == mProperty;
}

// ---- Flags ----

void KQelUserProperty::ModifyFlag(EFlags pFlag, bool pValue)
{
    if (mDescription) {
        if (pValue)
            mDescription->mFlags |= pFlag;
        else
            mDescription->mFlags &= ~static_cast<int>(pFlag);
    }
    if (mProperty) {
        for (const FlagPair& pair : kFlagPairs) {
            if (pFlag & pair.mUser)
                mProperty->GetPropertyInfo().ModifyFlag(pair.mInfo, pValue);
        }
    }
}

bool KQelUserProperty::GetFlag(EFlags pFlag) const
{
    if (mProperty) {
        for (const FlagPair& pair : kFlagPairs) {
            if (pFlag == pair.mUser)
                return mProperty->GetPropertyInfo().GetFlag(pair.mInfo);
        }
        return false;
    }
    return mDescription && (mDescription->mFlags & pFlag) != 0;
}

// ---- Limits ----

void KQelUserProperty::SetMinLimit(double pMin)
{
    if (mDescription)
        mDescription->mMin = pMin;
    if (mProperty)
        mProperty->SetPropertyMin(pMin);
}

void KQelUserProperty::SetMaxLimit(double pMax)
{
    if (mDescription)
        mDescription->mMax = pMax;
    if (mProperty)
        mProperty->SetPropertyMax(pMax);
}

void KQelUserProperty::SetLimits(double pMin, double pMax)
{
    // A bound handle has no description to write into.
    if (mDescription) {
        mDescription->mMin = pMin;
        mDescription->mMax = pMax;
    }
    if (mProperty)
        mProperty->SetPropertyMinMax(pMin, pMax);
}

double KQelUserProperty::GetMinLimit() const
{
    if (mProperty)
        return mProperty->GetPropertyMin();
    return mDescription ? mDescription->mMin : -std::numeric_limits<double>::infinity();
}

double KQelUserProperty::GetMaxLimit() const
{
    if (mProperty)
        return mProperty->GetPropertyMax();
    return mDescription ? mDescription->mMax : std::numeric_limits<double>::infinity();
}

// ---- Default values ----

void KQelUserProperty::Notify()
{
    if (mHandler)
        mHandler->DefaultValueChanged(this);
}

void KQelUserProperty::SetDefaultValue(bool pValue)
{
    SetDefaultValue(pValue ? 1 : 0);
}

void KQelUserProperty::SetDefaultValue(int pValue)
{
    if (!mProperty)
        return;
    mProperty->SetInteger(pValue);
    Notify();
}

void KQelUserProperty::SetDefaultValue(double pValue)
{
    if (!mProperty)
        return;
    mProperty->SetDouble(pValue);
    Notify();
}

void KQelUserProperty::SetDefaultValue(const KQelColor& pColor)
{
    if (!mProperty || !IsColor(mProperty))
        return;
    // Alpha is always written as 1; a ColorRGB property reads only three.
    const double values[kQelMaxValueMembers] = {pColor.mRed, pColor.mGreen, pColor.mBlue, 1.0};
    if (KQelWriteDoubles(mProperty, values))
        Notify();
}

void KQelUserProperty::SetDefaultValue(double pX, double pY, double pZ)
{
    if (!mProperty)
        return;
    const kPropertyType type = mProperty->GetPropertyType();
    if (IsColor(mProperty)) {
        SetDefaultValue(KQelColor(pX, pY, pZ, 1.0));
    } else if (type == kPropertyVector3D) {
        const double values[kQelMaxValueMembers] = {pX, pY, pZ, 1.0};
        if (KQelWriteDoubles(mProperty, values))
            Notify();
    }
}

void KQelUserProperty::GetDefaultValue(bool& pValue) const
{
    if (mProperty)
        pValue = mProperty->AsInteger() != 0;
}

void KQelUserProperty::GetDefaultValue(int& pValue) const
{
    if (mProperty)
        pValue = mProperty->AsInteger();
}

void KQelUserProperty::GetDefaultValue(double& pValue) const
{
    if (mProperty)
        pValue = mProperty->AsDouble();
}

void KQelUserProperty::GetDefaultValue(KQelColor& pColor) const
{
    double values[kQelMaxValueMembers];
    if (!mProperty || !IsColor(mProperty) || !KQelReadDoubles(mProperty, values))
        return;
    pColor.mRed = values[0];
    pColor.mGreen = values[1];
    pColor.mBlue = values[2];
}

void KQelUserProperty::GetDefaultValue(double& pX, double& pY, double& pZ) const
{
    if (!mProperty)
        return;
    const kPropertyType type = mProperty->GetPropertyType();
    if (!IsColor(mProperty) && type != kPropertyVector3D)
        return;
    double values[kQelMaxValueMembers];
    if (!KQelReadDoubles(mProperty, values))
        return;
    pX = values[0];
    pY = values[1];
    pZ = values[2];
}

}  // namespace qelsdk_600
