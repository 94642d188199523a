#include "character/kqelfilterset.h"

#include "character/kfiltersetinfo.h"

namespace qelsdk_600 {
namespace {

const KFilterParamInfo* Param(int pIndex)
{
    return GetFilterSetInfo()->GetParam(pIndex);
}

// A field of a parameter's descriptor, or pFallback outside the table.
template <class T, class R>
R Field(int pIndex, T KFilterParamInfo::*pField, R pFallback)
{
    const KFilterParamInfo* info = Param(pIndex);
    return info ? R(info->*pField) : pFallback;
}

bool ModeAccepted(EFilterParamModeType pModeType, int pMode)
{
    switch (pModeType) {
    case eModeTypeOffOn:
    case eModeTypeAutoUser:
        return pMode == 0 || pMode == 1;
    case eModeTypeOffAutoUser:
        return pMode >= 0 && pMode <= 2;
    default:
        return false;
    }
}

}  // namespace

KFilterSetBase::KFilterSetBase()
    : mCount(GetFilterSetInfo()->GetCount()), mEntries(new Entry[mCount])
{
    Reset();
}

KFilterSetBase::~KFilterSetBase() = default;

void KFilterSetBase::Reset()
{
    for (int index = 0; index < mCount; ++index) {
        const KFilterParamInfo* info = Param(index);
        mEntries[index] = {info->mDefaultMode, info->mDefaultValue};
    }
}

int KFilterSetBase::GetMode(int pIndex) const
{
    return pIndex >= 0 && pIndex < mCount ? mEntries[pIndex].mMode : 0;
}

double KFilterSetBase::GetValue(int pIndex) const
{
    return pIndex >= 0 && pIndex < mCount ? mEntries[pIndex].mValue : 0.0;
}

void KFilterSetBase::SetMode(int pIndex, int pMode)
{
    if (pIndex >= 0 && pIndex < mCount && ModeAccepted(Param(pIndex)->mModeType, pMode))
        mEntries[pIndex].mMode = pMode;
}

void KFilterSetBase::SetValue(int pIndex, double pValue)
{
    if (pIndex >= 0 && pIndex < mCount)
        mEntries[pIndex].mValue = pValue;
}

bool KFilterSetBase::IsParamAuto(int pIndex) const
{
    if (pIndex < 0 || pIndex >= mCount)
        return false;
    switch (Param(pIndex)->mModeType) {
    case eModeTypeOffAutoUser:
        return mEntries[pIndex].mMode == 1;
    case eModeTypeAutoUser:
        return mEntries[pIndex].mMode == 0;
    default:
        return false;
    }
}

double KFilterSetBase::GetParamFact(int pIndex) const
{
    if (pIndex < 0 || pIndex >= mCount)
        return -1.0;
    if (!IsParamAuto(pIndex)) {
        if (Param(pIndex)->mUnit == eUnitPercent)
            return mEntries[pIndex].mValue / 100.0;
        return -1.0;
    }
    const KFilterParamInfo* info = Param(pIndex);
    // Parents sit at lower indices, so the recursion ends.
    if (info->mParentIndex < 0 || info->mParentIndex >= pIndex)
        return -1.0;
    double factor = GetParamFact(info->mParentIndex);
    return info->mInvert ? 1.0 - factor : factor;
}

void KFilterSetBase::AutomaticParamSetup()
{
    for (int index = 0; index < mCount; ++index) {
        const KFilterParamInfo* info = Param(index);
        if (info->mUnit == eUnitNone || !IsParamAuto(index))
            continue;
        double factor = GetParamFact(index);
        if (factor >= 0.0)
            mEntries[index].mValue = info->mMinValue + factor * (info->mMaxValue - info->mMinValue);
        else
            mEntries[index].mValue = info->mDefaultValue;
    }
}

bool KFilterSetBase::IsParamActive(int pIndex) const
{
    if (pIndex == -1)
        return true;
    if (pIndex < 0 || pIndex >= mCount)
        return false;
    const KFilterParamInfo* info = Param(pIndex);
    // Parents sit at lower indices; anything else is treated as no parent.
    int parent = info->mParentIndex < pIndex ? info->mParentIndex : -1;
    switch (info->mModeType) {
    case eModeTypeOffOn:
    case eModeTypeOffAutoUser:
        return mEntries[pIndex].mMode != 0 && IsParamActive(parent);
    case eModeTypeAutoUser:
        return IsParamActive(parent);
    default:
        return true;
    }
}

void KFilterSetBase::Copy(const KFilterSetBase* pSource)
{
    if (!pSource || pSource == this)
        return;
    for (int index = 0; index < mCount && index < pSource->mCount; ++index)
        mEntries[index] = pSource->mEntries[index];
}

KQelFilterSet::KQelFilterSet() = default;
KQelFilterSet::~KQelFilterSet() = default;

int KQelFilterSet::GetParameterCount()
{
    return GetFilterSetInfo()->GetCount();
}

const char* KQelFilterSet::GetParameterName(int pIndex)
{
    const KFilterParamInfo* info = Param(pIndex);
    return info ? info->mName : nullptr;
}

int KQelFilterSet::GetParameterIndex(const char* pName)
{
    return GetFilterSetInfo()->ParamIndexByName(pName);
}

int KQelFilterSet::GetParameterModeType(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mModeType, -1);
}

int KQelFilterSet::GetParameterDefaultMode(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mDefaultMode, 0);
}

int KQelFilterSet::GetParameterValueType(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mValueType, -1);
}

int KQelFilterSet::GetParameterUnit(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mUnit, -1);
}

double KQelFilterSet::GetParameterDefaultValue(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mDefaultValue, 0.0);
}

double KQelFilterSet::GetParameterMinValue(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mMinValue, 0.0);
}

double KQelFilterSet::GetParameterMaxValue(int pIndex)
{
    return Field(pIndex, &KFilterParamInfo::mMaxValue, 0.0);
}

void KQelFilterSet::Reset()
{
    mBase.Reset();
}

void KQelFilterSet::SetParameterMode(int pIndex, int pMode)
{
    mBase.SetMode(pIndex, pMode);
}

int KQelFilterSet::GetParameterMode(int pIndex) const
{
    return mBase.GetMode(pIndex);
}

void KQelFilterSet::SetParameterValue(int pIndex, double pValue, int)
{
    mBase.SetValue(pIndex, pValue);
}

double KQelFilterSet::GetParameterValue(int pIndex, int) const
{
    return mBase.GetValue(pIndex);
}

}  // namespace qelsdk_600
