#include "object/khandlemanager_impl.h"

namespace qelsdk_600 {

namespace {
// Deliberately never destroyed by static destruction: static plugs may be
// destroyed after any static object of this unit would be.
KHandleManager* gManager = nullptr;
}  // namespace

KHandleManager& KHandleManager::Get()
{
    if (!gManager)
        gManager = new KHandleManager;
    return *gManager;
}

void KHandleManager::ReleaseInstance()
{
    delete gManager;
    gManager = nullptr;
}

void KHandleManager::Acquire(KPlug* pPlug, kUInt& pHandle, kUInt& pId)
{
    if (mFree != kNoFree) {
        pHandle = mFree;
        mFree = mRecords[pHandle].mNextFree;
    } else {
        pHandle = static_cast<kUInt>(mRecords.size());
        Record record;
        record.mPlug = nullptr;
        record.mId = 0;
        mRecords.push_back(record);
    }
    Record& record = mRecords[pHandle];
    // Even to odd: live, and never 0, so a zeroed entry never resolves.
    ++record.mId;
    record.mPlug = pPlug;
    pId = record.mId;
}

void KHandleManager::Release(kUInt pHandle, kUInt pId)
{
    if (pHandle >= mRecords.size() || !(pId & 1u) || mRecords[pHandle].mId != pId)
        return;
    Record& record = mRecords[pHandle];
    ++record.mId;  // odd to even: free
    record.mNextFree = mFree;
    mFree = pHandle;
}

}  // namespace qelsdk_600
