// Curve node keys, time spans, default values, copy, replace, update ids and
// change callbacks.
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvenode_impl.h"
#include "curves/kfcurverotation.h"

namespace qelsdk_600 {

// ---- Keys ----

double* KFCurveNode::KeyAddValues(KTime time, double* values, bool append)
{
    if (mFCurve) {
        const float value = static_cast<float>(*values++);
        if (append) {
            mFCurve->KeyAppendFast(time, value);
        } else {
            KFCurveKey key{};
            key.Set(time, value);
            mFCurve->KeyAdd(time, key);
        }
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        values = Get(i)->KeyAddValues(time, values, append);
    return values;
}

double* KFCurveNode::KeyAdd(KTime time, double* values) { return KeyAddValues(time, values, false); }

double* KFCurveNode::KeyAppend(KTime time, double* values, bool continuousRotation)
{
    if (!continuousRotation || mFCurve || GetCount() != 3)
        return KeyAddValues(time, values, true);
    double continuous[3];
    GetContinuousRotation(continuous, values, time);
    for (int i = 0; i < 3; ++i)
        Get(i)->KeyAddValues(time, &continuous[i], true);
    return values + 3;
}

int KFCurveNode::KeyGetCount(bool withLayers) const
{
    int count = mFCurve ? mFCurve->KeyGetCount() : 0;
    for (int i = 0, n = GetCount(); i < n; ++i)
        count += Get(i)->KeyGetCount(false);
    for (const KFCurveNode* layer = withLayers ? mLayer : nullptr; layer; layer = layer->mLayer)
        count += layer->KeyGetCount(false);
    return count;
}

int KFCurveNode::KeyGetCountOnChild(int childIndex) const
{
    int count = 0;
    for (const KFCurveNode* node = this; node; node = node->mLayer)
        if (const KFCurveNode* child = node->Get(childIndex))
            count += child->KeyGetCount(false);
    return count;
}

void KFCurveNode::CollectFirstLast(KFCurveKey*& key, bool* channels, bool withLayers, bool first)
{
    for (KFCurveNode* node = this; node; node = withLayers ? node->mLayer : nullptr) {
        if (node->mFCurve && (!channels || channels[0]) && node->mFCurve->KeyGetCount() > 0) {
            KFCurveKey* candidate = node->mFCurve->KeyGetPtr(first ? 0 : node->mFCurve->KeyGetCount() - 1);
            if (!key || (first ? candidate->GetTime() < key->GetTime() : candidate->GetTime() > key->GetTime()))
                key = candidate;
        }
        for (int i = 0, n = node->GetCount(); i < n; ++i)
            if (!channels || channels[i])
                node->Get(i)->CollectFirstLast(key, channels ? channels + i : nullptr, false, first);
    }
}

void KFCurveNode::KeyGetFirst(KFCurveKey*& key, bool* channels, bool withLayers)
{
    CollectFirstLast(key, channels, withLayers, true);
}

void KFCurveNode::KeyGetLast(KFCurveKey*& key, bool* channels, bool withLayers)
{
    CollectFirstLast(key, channels, withLayers, false);
}

KTime KFCurveNode::GetFirstKeyTime(bool* channels, bool withLayers)
{
    KFCurveKey* key = nullptr;
    KeyGetFirst(key, channels, withLayers);
    return key ? key->GetTime() : KTIME_MINUS_INFINITE;
}

KTime KFCurveNode::GetLastKeyTime(bool* channels, bool withLayers)
{
    KFCurveKey* key = nullptr;
    KeyGetLast(key, channels, withLayers);
    return key ? key->GetTime() : KTIME_INFINITE;
}

void KFCurveNode::PrevNextKeyTime(KTime time, bool* channels, bool previous, KTime& best, bool& found)
{
    if (mFCurve && (!channels || channels[0])) {
        const int count = mFCurve->KeyGetCount();
        const double index = mFCurve->KeyFind(time);
        const double whole = previous ? std::floor(index - 1e-6) : std::ceil(index + 1e-6);
        if (count > 0 && whole >= 0.0 && whole < count) {
            const KTime keyTime = mFCurve->KeyGetTime(static_cast<int>(whole));
            if (previous ? keyTime < time : keyTime > time) {
                if (!found || (previous ? keyTime > best : keyTime < best))
                    best = keyTime;
                found = true;
            }
        }
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (!channels || channels[i])
            Get(i)->PrevNextKeyTime(time, channels ? channels + i : nullptr, previous, best, found);
}

KTime KFCurveNode::GetPrevKeyTime(KTime time, bool* channels)
{
    KTime best = time;
    bool found = false;
    PrevNextKeyTime(time, channels, true, best, found);
    return found ? best : time;
}

KTime KFCurveNode::GetNextKeyTime(KTime time, bool* channels)
{
    KTime best = time;
    bool found = false;
    PrevNextKeyTime(time, channels, false, best, found);
    return found ? best : time;
}

namespace {

// Index of the key at time: exactly there, or within tolerance key indices
// (rounded half away from zero); -1 when none.
int KeyAtTime(KFCurve* curve, KTime time, double tolerance)
{
    const int count = curve->KeyGetCount();
    if (count == 0)
        return -1;
    const double index = curve->KeyFind(time);
    const double whole = std::round(index);
    if (whole < 0.0 || whole >= count)
        return -1;
    const int key = static_cast<int>(whole);
    if (tolerance != 0.0)
        return std::fabs(index - whole) < tolerance ? key : -1;
    return (index == whole || curve->KeyGetTime(key) == time) ? key : -1;
}

}  // namespace

void KFCurveNode::IsKeyRecursive(KTime time, bool* channels, double tolerance, int& channelCount, int& keyedCount)
{
    if (mFCurve && (!channels || channels[0])) {
        ++channelCount;
        if (KeyAtTime(mFCurve, time, tolerance) >= 0)
            ++keyedCount;
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (!channels || channels[i])
            Get(i)->IsKeyRecursive(time, channels ? channels + i : nullptr, tolerance, channelCount, keyedCount);
}

int KFCurveNode::IsKey(KTime& time, int* /*last*/, bool* channels, double keyIndexTolerance, double /*min*/,
                       double /*max*/)
{
    int channelCount = 0;
    int keyedCount = 0;
    IsKeyRecursive(time, channels, keyIndexTolerance, channelCount, keyedCount);
    if (keyedCount == channelCount)
        return 2;
    return keyedCount > 0 ? 1 : 0;
}

bool KFCurveNode::DeleteKeyRecursive(KTime time, bool* channels, double tolerance)
{
    bool removed = false;
    if (mFCurve && (!channels || channels[0])) {
        const int key = KeyAtTime(mFCurve, time, tolerance);
        if (key >= 0 && mFCurve->KeyRemove(key) == 0)
            removed = true;
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (!channels || channels[i])
            removed = Get(i)->DeleteKeyRecursive(time, channels ? channels + i : nullptr, tolerance) || removed;
    return removed;
}

bool KFCurveNode::DeleteKey(KTime& time, bool* channels, double keyIndexTolerance)
{
    const bool removed = DeleteKeyRecursive(time, channels, keyIndexTolerance);
    if (removed)
        (mParent ? mParent->mObjectLayer : mObjectLayer)->CandidateClear(0, true);
    return removed;
}

bool KFCurveNode::GetAnimationIntervalRecursive(KTime& start, KTime& stop)
{
    bool any = false;
    if (mFCurve && mFCurve->KeyGetCount() > 0) {
        const KTime first = mFCurve->KeyGetTime(0);
        const KTime lastTime = mFCurve->KeyGetTime(mFCurve->KeyGetCount() - 1);
        if (first < start)
            start = first;
        if (lastTime > stop)
            stop = lastTime;
        any = true;
    }
    for (int i = 0, n = GetCount(); i < n; ++i)
        any = Get(i)->GetAnimationIntervalRecursive(start, stop) || any;
    if (mLayer)
        any = mLayer->GetAnimationIntervalRecursive(start, stop) || any;
    return any;
}

bool KFCurveNode::GetAnimationInterval(KTime& start, KTime& stop)
{
    KTime first = KTIME_INFINITE;
    KTime lastTime = KTIME_MINUS_INFINITE;
    if (!GetAnimationIntervalRecursive(first, lastTime))
        return false;
    if (first < start)
        start = first;
    if (lastTime > stop)
        stop = lastTime;
    return true;
}

void KFCurveNode::GetTimeSpan(KTime& start, KTime& stop)
{
    start = KTIME_INFINITE;
    stop = KTIME_MINUS_INFINITE;
    GetAnimationInterval(start, stop);
}

double* KFCurveNode::GetValue(double* out) const
{
    if (mFCurve)
        *out++ = mFCurve->GetValue();
    for (int i = 0, n = GetCount(); i < n; ++i)
        out = Get(i)->GetValue(out);
    return out;
}

double* KFCurveNode::SetValue(double* values)
{
    if (mFCurve)
        mFCurve->SetValue(static_cast<float>(*values++));
    for (int i = 0, n = GetCount(); i < n; ++i)
        values = Get(i)->SetValue(values);
    return values;
}

// ---- Copy and replace ----

void KFCurveNode::CopyFrom(KFCurveNode* source, bool steal)
{
    if (!source || source == this)
        return;
    SingleLayerCopyFrom(source, steal);
    LayerCopyFromRecursive(source, steal);
}

void KFCurveNode::SingleLayerCopyFrom(KFCurveNode* source, bool steal)
{
    if (!source || source == this)
        return;
    mCandidateTotalTime = source->mCandidateTotalTime;
    mSpecificCandidateMethod = source->mSpecificCandidateMethod;
    mTotalCandidateMethod = source->mTotalCandidateMethod;
    for (int i = 0; i < 4; ++i)
        mCandidateTotalValue[i] = source->mCandidateTotalValue[i];
    if (source->mFCurve) {
        if (steal) {
            KFCurve* taken = source->mFCurve;
            source->mFCurve = nullptr;
            FCurveSet(taken, true);
        } else if (mFCurve) {
            mFCurve->CopyFrom(*source->mFCurve, true);
        } else {
            FCurveSet(source->mFCurve->Copy(KTIME_MINUS_INFINITE, KTIME_INFINITE), true);
        }
    }
    SetLayerType(source->mLayerType, nullptr);
    for (int i = 0, n = GetCount(), m = source->GetCount(); i < n && i < m; ++i)
        Get(i)->CopyFrom(source->Get(i), steal);
}

void KFCurveNode::LayerCopyFromRecursive(KFCurveNode* source, bool steal)
{
    if (!source || source == this)
        return;
    KFCurveNode* from = source->mLayer;
    if (!from) {
        if (mLayer)
            LayerSet(nullptr, true);
        return;
    }
    KFCurveNode* to = mLayer;
    while (!to || to->mLayerID != from->mLayerID) {
        if (!to) {
            to = LayerCreate(from->mLayerID, true);
            if (!to)
                return;
        } else if (from->mLayerID < to->mLayerID) {
            KFCurveNode* successor = to;
            to = LayerCreate(from->mLayerID, false);
            if (!to)
                return;
            to->mLayer = successor;
        } else {
            KFCurveNode* successor = to->mLayer;
            to->mLayer = nullptr;
            mLayer = successor;
            to->Destroy();
            to = successor;
        }
    }
    // The matching layer continues down both chains.
    to->CopyFrom(from, steal);
}

KFCurveNode* KFCurveNode::SingleLayerCopy(KTime start, KTime stop)
{
    KFCurveNode* copy = new KFCurveNode(mNameInfo->mName.Buffer(), mNameInfo->mTimeWarpName.Buffer(),
                                        mNameInfo->mDataType, mLayerType, mLayerID);
    copy->mCandidateTotalTime = mCandidateTotalTime;
    copy->mSpecificCandidateMethod = mSpecificCandidateMethod;
    copy->mTotalCandidateMethod = mTotalCandidateMethod;
    for (int i = 0; i < 4; ++i)
        copy->mCandidateTotalValue[i] = mCandidateTotalValue[i];
    if (mFCurve)
        copy->mFCurve = mFCurve->Copy(start, stop);
    for (int i = 0, n = GetCount(); i < n; ++i)
        copy->Add(Get(i)->Copy(start, stop));
    copy->mLayerType = mLayerType;
    copy->mLayerID = mLayerID;
    return copy;
}

KFCurveNode* KFCurveNode::Copy(KTime start, KTime stop)
{
    KFCurveNode* copy = SingleLayerCopy(start, stop);
    if (mLayer) {
        if (KFCurveNode* layer = copy->LayerCreate(mLayer->mLayerID, true))
            layer->mFlags = mLayer->mFlags;
        copy->LayerCopyFromRecursive(this, false);
    }
    return copy;
}

void KFCurveNode::Delete(KTime start, KTime stop)
{
    if (mFCurve)
        mFCurve->Delete(start, stop);
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->Delete(start, stop);
}

void KFCurveNode::Replace(KFCurveNode* source, KTime start, KTime stop, bool exactSpan, bool keyEmptySpan)
{
    if (!source || source == this)
        return;
    if (mLayerType == kFCurveNodeLayerQuaternionRotation) {
        if (GetCount() != source->GetCount())
            return;
        kfcurvenode_detail::ValueBuffer atStart(CandidateLayerValueCount() + 4);
        kfcurvenode_detail::ValueBuffer atStop(CandidateLayerValueCount() + 4);
        atStart[3] = atStop[3] = 1.0;
        Evaluate(atStart.Data(), start);
        Evaluate(atStop.Data(), stop);
        auto length = [](kfcurvenode_detail::ValueBuffer& q) {
            return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        };
        ReplaceForQuaternion(source, start, stop, length(atStart), length(atStop), exactSpan, keyEmptySpan);
        return;
    }
    if (mLayerType == kFCurveNodeLayerEulerRotation) {
        if (mFCurve || source->mFCurve || GetCount() != 3 || source->GetCount() != 3)
            return;
        KFCurve* curves[3];
        KFCurve* sourceCurves[3];
        for (int i = 0; i < 3; ++i) {
            curves[i] = Get(i)->mFCurve;
            sourceCurves[i] = source->Get(i)->mFCurve;
            if (!curves[i] || !sourceCurves[i] || Get(i)->GetCount() || source->Get(i)->GetCount())
                return;
        }
        double mineStart[3];
        double mineStop[3];
        double theirsStart[3];
        double theirsStop[3];
        Evaluate(mineStart, start);
        Evaluate(mineStop, stop);
        source->Evaluate(theirsStart, start);
        source->Evaluate(theirsStop, stop);
        double offsetStart[3] = {0.0, 0.0, 0.0};
        double offsetStop[3] = {0.0, 0.0, 0.0};
        const bool flipStop = GetContinuousOffset(offsetStop, mineStop, theirsStop);
        double before = curves[0]->KeyFind(start);
        for (int i = 1; i < 3; ++i)
            before = std::fmax(before, curves[i]->KeyFind(start));
        const bool flipStart = before > 0.0 ? GetContinuousOffset(offsetStart, mineStart, theirsStart) : false;
        for (int i = 0; i < 3; ++i)
            curves[i]->ReplaceForEulerXYZ(sourceCurves[i], start, stop, static_cast<float>(offsetStart[i]),
                                          static_cast<float>(offsetStop[i]), i == 1 && flipStart,
                                          i == 1 && flipStop, exactSpan, keyEmptySpan);
        return;
    }
    if (mFCurve && source->mFCurve)
        mFCurve->Replace(source->mFCurve, start, stop, exactSpan, keyEmptySpan);
    if (GetCount() != source->GetCount())
        return;
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->Replace(source->Get(i), start, stop, exactSpan, keyEmptySpan);
}

void KFCurveNode::ReplaceForQuaternion(KFCurveNode* source, KTime start, KTime stop, double scaleStart,
                                       double scaleStop, bool exactSpan, bool keyEmptySpan)
{
    if (!source)
        return;
    for (int i = 0; i < 4; ++i) {
        KFCurveNode* child = Get(i);
        KFCurveNode* sourceChild = source->Get(i);
        if (child && sourceChild && child->mFCurve && sourceChild->mFCurve)
            child->mFCurve->ReplaceForQuaternion(sourceChild->mFCurve, start, stop, static_cast<float>(scaleStart),
                                                 static_cast<float>(scaleStop), exactSpan, keyEmptySpan);
    }
}

bool KFCurveNode::GetContinuousOffset(double* offset, double* from, double* to) const
{
    double continuous[3] = {from[0], from[1], from[2]};
    bool flipped = false;
    if (mRotationOrder != kFCurveNodeSphericalXYZ)
        flipped = KVNGetContinuousRotation(continuous, from, to, kfcurvenode_detail::EulerAxes(mRotationOrder));
    for (int i = 0; i < 3; ++i) {
        offset[i] = std::round((to[i] - continuous[i]) / 360.0) * 360.0;
        if (flipped)
            offset[i] += 180.0;
    }
    return flipped;
}

void KFCurveNode::GetContinuousRotation(double* out, double* in, KTime time)
{
    const int count = GetCount();
    if (mFCurve || count != 3) {
        for (int i = 0; i < count; ++i)
            out[i] = in[i];
        return;
    }
    const KTime previous = GetPrevKeyTime(time);
    if (previous == time || mRotationOrder == kFCurveNodeSphericalXYZ) {
        for (int i = 0; i < 3; ++i)
            out[i] = in[i];
        return;
    }
    kfcurvenode_detail::ValueBuffer angles(CandidateLayerValueCount() + 3);
    Evaluate(angles.Data(), previous);
    KVNGetContinuousRotation(out, in, angles.Data(), kfcurvenode_detail::EulerAxes(mRotationOrder));
}

// ---- Update ids ----

int KFCurveNode::GetUpdateId() const
{
    int id = mFCurve ? static_cast<int>(mFCurve->GetUpdateId()) : 0;
    for (int i = 0, n = GetCount(); i < n; ++i)
        id += Get(i)->GetUpdateId();
    return id;
}

int KFCurveNode::GetValuesUpdateId() const
{
    int id = mFCurve ? static_cast<int>(mFCurve->GetValuesUpdateId()) : 0;
    if (mLayer)
        id += mLayer->GetValuesUpdateId();
    for (int i = 0, n = GetCount(); i < n; ++i)
        id += Get(i)->GetValuesUpdateId();
    return id;
}

// ---- Callbacks ----

struct KFCurveNode::CallbackRecord {
    KFCurveNodeEvent mEvent;
    KArrayTemplate<kFCurveNodeCallback> mFunctions;
    KArrayTemplate<void*> mObjects;
    bool mEnabled = true;
};

void KFCurveNode::CallbackFree()
{
    delete mCallback;
    mCallback = nullptr;
}

void KFCurveNode::CallbackRegister(kFCurveNodeCallback callback, void* object)
{
    if (!mCallback)
        mCallback = new CallbackRecord;
    mCallback->mFunctions.Add(callback);
    mCallback->mObjects.Add(object);
}

void KFCurveNode::CallbackUnregister(kFCurveNodeCallback callback, void* object)
{
    if (!mCallback)
        return;
    for (int i = mCallback->mFunctions.GetCount() - 1; i >= 0; --i) {
        if (mCallback->mFunctions.GetAt(i) == callback && mCallback->mObjects.GetAt(i) == object) {
            mCallback->mFunctions.RemoveAt(i);
            mCallback->mObjects.RemoveAt(i);
            return;
        }
    }
    if (mCallback->mFunctions.GetCount() == 0)
        CallbackFree();
}

void KFCurveNode::Deliver(KFCurveNodeEvent* event, bool firstToLast)
{
    // Re-read the record at every step: a callback may unregister (and so
    // free the record) or register others while it runs.
    const int count = mCallback ? mCallback->mFunctions.GetCount() : 0;
    for (int step = 0; step < count; ++step) {
        if (!mCallback)
            return;
        const int index = firstToLast ? step : count - 1 - step;
        if (index >= mCallback->mFunctions.GetCount())
            continue;
        kFCurveNodeCallback function = mCallback->mFunctions.GetAt(index);
        if (function)
            function(this, event, mCallback->mObjects.GetAt(index));
    }
}

void KFCurveNode::CallbackAddEvent(int type)
{
    if (!mCallback)
        return;
    mCallback->mEvent.mEventType |= type;
    ++mCallback->mEvent.mEventCount;
    ++mNodeUpdateId;
    if (!mCallback->mEnabled)
        return;
    KFCurveNodeEvent event = mCallback->mEvent;
    Deliver(&event, false);
    if (mCallback)
        mCallback->mEvent.Clear();
}

void KFCurveNode::CallbackEnable(bool enable)
{
    if (!mCallback || mCallback->mEnabled == enable)
        return;
    if (enable && mCallback->mEvent.mEventCount > 0) {
        KFCurveNodeEvent event = mCallback->mEvent;
        Deliver(&event, true);
        if (!mCallback)
            return;
        mCallback->mEvent.Clear();
    }
    mCallback->mEnabled = enable;
}

bool KFCurveNode::CallbackIsEnable() const { return mCallback ? mCallback->mEnabled : true; }

void KFCurveNode::CallbackClear()
{
    if (mCallback)
        mCallback->mEvent.Clear();
}

void KFCurveNode::DataUpdated(IData* data)
{
    if (!mCallback)
        return;
    KFCurveNodeEvent event;
    event.mEventType = kFCurveNodeEventDataUpdated;
    event.mEventCount = 1;
    event.mData = reinterpret_cast<kReference>(data);
    Deliver(&event, false);
}

}  // namespace qelsdk_600
