// Plug-handle manager: stable records through which connection entries reach
// their plugs. Private to the object subsystem.
#ifndef QELSDK_OBJECT_KHANDLEMANAGER_IMPL_H
#define QELSDK_OBJECT_KHANDLEMANAGER_IMPL_H

#include <vector>

#include "base/ktypes.h"

namespace qelsdk_600 {

class KPlug;

// A record holds a plug and a generation id. Releasing a record raises its id,
// so every entry that kept the old id reads as no plug from then on, even
// after the record is reused for another plug. Live records have odd ids and
// free ones even ids, so a free record, whose plug word links it to the next
// free one, never resolves; the free list takes no memory of its own.
class KHandleManager {
public:
    // The process-wide manager, made on first use and never destroyed, so that
    // plugs with static storage can still release their handles at exit.
    static KHandleManager& Get();
    // Frees the manager (KObject_ReleaseStatics); the next Get makes a new one.
    static void ReleaseInstance();

    // A record for the plug; its index and current id are written out.
    void Acquire(KPlug* pPlug, kUInt& pHandle, kUInt& pId);
    // Invalidates every entry made with this handle and id.
    void Release(kUInt pHandle, kUInt pId);
    // The plug of a live record whose id matches, else null.
    KPlug* Resolve(kUInt pHandle, kUInt pId) const
    {
        if (pHandle >= mRecords.size() || !(pId & 1u))
            return nullptr;
        const Record& record = mRecords[pHandle];
        return record.mId == pId ? record.mPlug : nullptr;
    }

private:
    static constexpr kUInt kNoFree = ~kUInt(0);
    struct Record {
        union {
            KPlug* mPlug;     // live
            kUInt mNextFree;  // free: the next free record, kNoFree at the end
        };
        kUInt mId;
    };

    std::vector<Record> mRecords;
    kUInt mFree = kNoFree;  // the free record released last
};

}  // namespace qelsdk_600

#endif
