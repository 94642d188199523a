#include "io/kstreamoptionsqel.h"

#include "io/kqelio_impl.h"

namespace qelsdk_600 {

namespace io_detail {

void ClearTakeList(KArrayTemplate<KQelTakeInfo*>& pList)
{
    for (int i = pList.GetCount() - 1; i >= 0; --i)
        DeleteTakeInfo(pList[i]);
    pList.Clear();
}

void CopyTakeList(KArrayTemplate<KQelTakeInfo*>& pTarget,
                  const KArrayTemplate<KQelTakeInfo*>& pSource)
{
    if (&pTarget == &pSource)
        return;
    ClearTakeList(pTarget);
    for (int i = 0, n = pSource.GetCount(); i < n; ++i) {
        if (!pSource[i])
            continue;
        if (KQelTakeInfo* copy = CloneTakeInfo(*pSource[i]))
            pTarget.Add(copy);
    }
}

}  // namespace io_detail

KClassDefinition KStreamOptionsQel::ClassDefinition = {
    &KStreamOptionsQel::ClassId, &KStreamOptions::ClassDefinition, "KStreamOptionsQel", nullptr};
int KStreamOptionsQel::ClassId = KPlug_RegisterClassId(&KStreamOptionsQel::ClassDefinition, -1);

KStreamOptionsQel::KStreamOptionsQel()
    : mSceneInfo(nullptr), mIsPasswordProtected(false), mIsTemplate(false)
{
    Reset();
}

KStreamOptionsQel::~KStreamOptionsQel()
{
    io_detail::ClearTakeList(mTakeInfo);
}

KStreamOptionsQel& KStreamOptionsQel::operator=(const KStreamOptionsQel& pOther)
{
    if (this == &pOther)
        return *this;
    KStreamOptions::operator=(pOther);
    io_detail::CopyTakeList(mTakeInfo, pOther.mTakeInfo);
    mSceneInfo = pOther.mSceneInfo;
    mCurrentTakeName = pOther.mCurrentTakeName;
    mIsPasswordProtected = pOther.mIsPasswordProtected;
    mPassword = pOther.mPassword;
    mIsTemplate = pOther.mIsTemplate;
    for (int i = 0; i < eContentCountTotal; ++i)
        mContentCounts[i] = pOther.mContentCounts[i];
    for (int i = 0; i < eOptionCount; ++i)
        mOptions[i] = pOther.mOptions[i];
    return *this;
}

KClassDefinition* KStreamOptionsQel::GetClassDefinition() const
{
    return &ClassDefinition;
}

void KStreamOptionsQel::Reset()
{
    KStreamOptions::Reset();
    io_detail::ClearTakeList(mTakeInfo);
    mCurrentTakeName.Empty();
    mSceneInfo = nullptr;
    mIsPasswordProtected = false;
    mPassword.Empty();
    mIsTemplate = false;
    for (int i = 0; i < eOptionCount; ++i)
        mOptions[i] = i < eMergeLayerAndTimeWarp;
    for (int i = 0; i < eContentCountTotal; ++i)
        mContentCounts[i] = 0;
}

void KStreamOptionsQel::SetOption(EOption pOption, bool pValue)
{
    if (pOption >= 0 && pOption < eOptionCount)
        mOptions[pOption] = pValue;
}

bool KStreamOptionsQel::GetOption(EOption pOption) const
{
    return pOption >= 0 && pOption < eOptionCount && mOptions[pOption];
}

void KStreamOptionsQel::SetContentCount(EContentCount pCount, int pValue)
{
    if (pCount >= 0 && pCount < eContentCountTotal)
        mContentCounts[pCount] = pValue;
}

int KStreamOptionsQel::GetContentCount(EContentCount pCount) const
{
    return pCount >= 0 && pCount < eContentCountTotal ? mContentCounts[pCount] : 0;
}

KStreamOptionsQel* KStreamOptionsQelCreate()
{
    return new KStreamOptionsQel;
}

}  // namespace qelsdk_600
