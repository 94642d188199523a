// Change events, callback registrations and update ids of KFCurve.
#include "curves/kfcurve.h"

namespace qelsdk_600 {

void KFCurve::CallbackAddEvent(int type, int keyIndex)
{
    if (!mEventRecording)
        return;
    mEvent.Add(type, keyIndex);
    if (type == kFCurveEventSelection)
        mUpdateId += 0x10000u;
    else
        AdvanceUpdateId();
    if (mCallbackEnable)
        DeliverEvent();
}

void KFCurve::CallbackEnable(bool enable)
{
    if (enable == mCallbackEnable)
        return;
    // Stored first so that a change made by a callback during the delivery
    // is delivered too instead of staying pending.
    mCallbackEnable = enable;
    if (enable && mEvent.mEventCount > 0)
        DeliverEvent();
}

void KFCurve::DeliverEvent()
{
    // Callbacks get a copy: one that changes the curve starts a fresh event
    // instead of rewriting the record the others are still being handed.
    KFCurveEvent event = mEvent;
    mEvent.Clear();
    // The count is read each time: a callback may register (the new one is
    // called too) or unregister (CallbackUnregister moves the index back, so
    // the registration that slides into the freed place is not skipped).
    Delivery delivery{0, mDelivery};
    mDelivery = &delivery;
    for (; delivery.mIndex < mCallbackFunctions.GetCount() && delivery.mIndex < mCallbackObjects.GetCount();
         ++delivery.mIndex) {
        kFCurveCallback callback = mCallbackFunctions.GetAt(delivery.mIndex);
        if (callback)
            callback(this, &event, mCallbackObjects.GetAt(delivery.mIndex));
    }
    mDelivery = delivery.mOuter;
}

void KFCurve::CallbackRegister(kFCurveCallback callback, void* object)
{
    const int index = mCallbackFunctions.Add(callback);
    if (index < 0)
        return;
    if (mCallbackObjects.Add(object) < 0)
        mCallbackFunctions.RemoveAt(index);  // keep the two arrays in step
}

void KFCurve::CallbackUnregister(kFCurveCallback callback, void* object)
{
    for (int i = mCallbackFunctions.GetCount() - 1; i >= 0; --i) {
        if (mCallbackFunctions.GetAt(i) == callback && mCallbackObjects.GetAt(i) == object) {
            mCallbackFunctions.RemoveAt(i);
            mCallbackObjects.RemoveAt(i);
            for (Delivery* delivery = mDelivery; delivery; delivery = delivery->mOuter) {
                if (i <= delivery->mIndex)
                    --delivery->mIndex;
            }
            return;
        }
    }
}

}  // namespace qelsdk_600
