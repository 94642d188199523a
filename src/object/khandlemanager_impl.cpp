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
    if (!mFree.empty()) {
        pHandle = mFree.back();
        mFree.pop_back();
    } else {
        pHandle = static_cast<kUInt>(mRecords.size());
        mRecords.push_back(Record{nullptr, 0});
    }
    Record& record = mRecords[pHandle];
    // Id 0 is never live, so a zeroed entry never resolves.
    if (++record.mId == 0)
        record.mId = 1;
    record.mPlug = pPlug;
    pId = record.mId;
}

void KHandleManager::Release(kUInt pHandle, kUInt pId)
{
    if (pHandle >= mRecords.size() || mRecords[pHandle].mId != pId)
        return;
    Record& record = mRecords[pHandle];
    record.mPlug = nullptr;
    if (++record.mId == 0)
        record.mId = 1;
    mFree.push_back(pHandle);
}

}  // namespace qelsdk_600
