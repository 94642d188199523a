// Test helper: objects that log the plug events they receive.
#ifndef QELSDK_TESTS_OBJECT_EVENT_RECORDER_H
#define QELSDK_TESTS_OBJECT_EVENT_RECORDER_H

#include <string>
#include <vector>

#include "object/kobject.h"

namespace qelsdk_600 {

// One received event: which object logged it, the action, the plug concerned
// and the plug at the other end.
struct RecordedEvent {
    std::string mWho;
    int mAction;
    KPlug* mPlug;
    KPlug* mOther;

    bool operator==(const RecordedEvent& pOther) const
    {
        return mWho == pOther.mWho && mAction == pOther.mAction && mPlug == pOther.mPlug &&
               mOther == pOther.mOther;
    }
};

// An object that appends every connection and data event to a shared log,
// can refuse the connection request, and stays otherwise a plain KObject.
class RecordingObject : public KObject {
public:
    RecordingObject(const char* pName, std::vector<RecordedEvent>* pLog) : mName(pName), mLog(pLog) {}

    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                    KPlug* pOther, kConnectionType pType, KPlug* pNewPlug) override
    {
        if (mLog)
            mLog->push_back(RecordedEvent{mName, pAction, pPlug, pOther});
        if (pAction == kPlugConnectSrcRequest && mRefuse)
            return false;
        return KObject::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
    }

    bool PlugDataNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, void* pData1,
                        void* pData2, int pExtra) override
    {
        if (mLog)
            mLog->push_back(RecordedEvent{mName, pAction, pPlug, nullptr});
        mLastStack = pStack;
        mLastStackTop = pStack ? pStack->mPlug : nullptr;
        return KObject::PlugDataNotify(pStack, pAction, pPlug, pData1, pData2, pExtra);
    }

    std::string mName;
    std::vector<RecordedEvent>* mLog;
    bool mRefuse = false;
    KPlugCallstack* mLastStack = nullptr;
    KPlug* mLastStackTop = nullptr;
};

}  // namespace qelsdk_600

#endif
