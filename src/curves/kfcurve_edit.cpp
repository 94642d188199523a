// Key editing of KFCurve: setting, adding, inserting, removing and moving
// keys, value and tangent scaling, splicing another curve in, and the two
// key-timing queries.
#include <algorithm>
#include <climits>
#include <cstring>

#include "curves/kfcurve.h"

namespace qelsdk_600 {

namespace {

constexpr int kMaxKeys = INT_MAX / kFCurveKeysPerTableStep * kFCurveKeysPerTableStep;

// True when b - a < limit, exact although times span the whole signed
// 64-bit range and so their difference may not fit in it.
bool TickDistanceBelow(KTime a, KTime b, kLongLong limit)
{
    kLongLong distance;
    if (__builtin_sub_overflow(b.Get(), a.Get(), &distance))
        return b < a;  // beyond the range: below any limit when negative
    return distance < limit;
}

// t + step saturated at the infinite times.
KTime SaturatedAdd(KTime t, KTime step)
{
    kLongLong sum;
    if (__builtin_add_overflow(t.Get(), step.Get(), &sum))
        return step.Get() > 0 ? KTIME_INFINITE : KTIME_MINUS_INFINITE;
    return KTime(sum);
}

enum EValueOperation { eMoveValueTo, eScaleValue, eScaleValueAndTangent, eScaleTangent };

}  // namespace

// ---- Storage moves ----

int KFCurve::KeyLowerBound(KTime time, int* last)
{
    const int count = mKeyCount;
    const kLongLong t = time.Get();
    int& hint = last ? *last : mLastSearchIndex;
    auto at = [this](int i) { return Key(i)->GetTime().Get(); };
    int result;
    if (count == 0 || at(count - 1) < t) {
        result = count;  // appending in time order: one comparison
    } else if (hint > 0 && hint < count && at(hint - 1) < t && at(hint) >= t) {
        result = hint;
    } else {
        int lo = 0;
        int hi = count - 1;  // at(hi) >= t
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (at(mid) < t)
                lo = mid + 1;
            else
                hi = mid;
        }
        result = lo;
    }
    hint = result;
    return result;
}

void KFCurve::MoveKeys(int to, int from, int count)
{
    if (count <= 0 || to == from)
        return;
    // Whole runs that stay inside one block on both sides move at once, so a
    // shift costs one memmove per block rather than one per key.
    if (to < from) {
        int done = 0;
        while (done < count) {
            const int s = from + done;
            const int d = to + done;
            const int run = std::min({count - done, kFCurveKeysPerBlock - (s & 31), kFCurveKeysPerBlock - (d & 31)});
            std::memmove(static_cast<void*>(KeyGetPtr(d)), KeyGetPtr(s), static_cast<std::size_t>(run) * sizeof(KFCurveKey));
            done += run;
        }
    } else {
        int left = count;  // records still to move, from the end
        while (left > 0) {
            const int sEnd = from + left;  // one past the last record to move
            const int dEnd = to + left;
            const int run = std::min({left, ((sEnd - 1) & 31) + 1, ((dEnd - 1) & 31) + 1});
            std::memmove(static_cast<void*>(KeyGetPtr(dEnd - run)), KeyGetPtr(sEnd - run),
                         static_cast<std::size_t>(run) * sizeof(KFCurveKey));
            left -= run;
        }
    }
}

// ---- Set, add, insert, remove ----

int KFCurve::KeySet(int index, const KFCurveKey& key)
{
    mCandidateTime = KTIME_INFINITE;
    if (index < 0 || index >= mKeyCount)
        return 1;
    const KTime t = key.GetTime();
    if (index > 0 && Key(index - 1)->GetTime() >= t)
        return 1;
    if (index < mKeyCount - 1 && Key(index + 1)->GetTime() <= t)
        return 1;
    *Key(index) = key;
    CallbackAddEvent(kFCurveEventKey, index);
    return 0;
}

int KFCurve::KeySet(int index, KFCurve* source, int sourceIndex)
{
    if (!source || sourceIndex < 0 || sourceIndex >= source->mKeyCount) {
        mCandidateTime = KTIME_INFINITE;
        return 1;
    }
    return KeySet(index, *source->Key(sourceIndex));
}

int KFCurve::KeyAdd(KTime time, const KFCurveKey& key, int* last)
{
    int pendingIndex;
    if (KeyAddPending(time, key, last, pendingIndex))
        return pendingIndex;
    KFCurveKey copy = key;  // `key` may be a record of this curve, about to move
    copy.SetTime(time);
    mCandidateTime = KTIME_INFINITE;
    const int n = KeyLowerBound(time, last);
    if (n < mKeyCount && Key(n)->GetTime() == time) {
        KeySet(n, copy);
        return n;
    }
    if (mKeyCount >= kMaxKeys || !InitBuffers(mKeyCount + 1))
        return -1;
    MoveKeys(n + 1, n, mKeyCount - n);
    ++mKeyCount;
    *Key(n) = copy;
    if (last)
        *last = n;
    AdvanceUpdateId();
    CallbackAddEvent(kFCurveEventKey, n);
    return n;
}

int KFCurve::KeyAdd(KTime time, int* last)
{
    KFCurveKey key;
    key.Set(time, Evaluate(time, last), kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f, 0.0f, 0,
            kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
    return KeyAdd(time, key, last);
}

int KFCurve::KeyAdd(KTime time, KFCurve* source, int sourceIndex, int* last)
{
    if (!source || sourceIndex < 0 || sourceIndex >= source->mKeyCount)
        return -1;
    return KeyAdd(time, *source->Key(sourceIndex), last);
}

int KFCurve::KeyInsert(KTime time, int* last)
{
    if (mKeyCount == 0) {
        KeyAdd(time, last);
        return 0;
    }
    const int n = KeyLowerBound(time, last);
    if (n < mKeyCount && Key(n)->GetTime() == time)
        return n;
    // The key the new one follows (the first key when it goes before all).
    const KFCurveKey* before = Key(n > 0 ? n - 1 : 0);
    const kUInt interpolation = before->GetInterpolation();
    const kUInt tangentMode = before->GetTangeantMode();
    CandidateEvaluate(time, last);
    CandidateKey(last, static_cast<int>(interpolation), static_cast<int>(tangentMode), false, true, KTIME_INFINITE,
                 0.0);
    // The new key lands where the search put it, also after the last key.
    if (last)
        *last = n;
    return n;
}

int KFCurve::KeyRemove(int index)
{
    if (index < 0 || index >= mKeyCount)
        return 1;
    mCandidateTime = KTIME_INFINITE;
    if (mKeyCount == 1)
        mValue = Key(0)->GetValue();
    if (index < mKeyCount - 1) {
        const KFCurveTangeantInfo left = KeyGetLeftDerivativeInfo(index + 1);
        MoveKeys(index, index + 1, mKeyCount - 1 - index);
        --mKeyCount;
        KeySetLeftDerivativeInfo(index, left);
    } else {
        --mKeyCount;
    }
    CallbackAddEvent(kFCurveEventKey, index - 1);
    return 0;
}

// ---- Moves ----

int KFCurve::KeyMoveAcross(int index, KTime time)
{
    const int count = mKeyCount;
    // Never on top of another key (the moved one included): nudge later,
    // or earlier once the end of the time line is reached.
    KTime target = time;
    int n = KeyLowerBound(target, nullptr);
    bool upward = true;
    while (n < count && Key(n)->GetTime() == target) {
        const KTime next = SaturatedAdd(target, upward ? gsTimeEpsilon : -gsTimeEpsilon);
        if (next == target) {
            if (!upward)
                return index;  // the whole line is taken; leave the key
            upward = false;
            target = time;
            continue;
        }
        target = next;
        n = KeyLowerBound(target, nullptr);
    }

    const KFCurveKey copy = *Key(index);
    const KFCurveTangeantInfo own = KeyGetLeftDerivativeInfo(index);
    const bool hasNext = index + 1 < count;
    const KFCurveTangeantInfo next = hasNext ? KeyGetLeftDerivativeInfo(index + 1) : KFCurveTangeantInfo();
    // The key that will follow the moved one, when it is neither the moved
    // key nor its old neighbour (whose record is `next`).
    const bool hasFollower = n < count && n != index && n != index + 1;
    const KFCurveTangeantInfo follower = hasFollower ? KeyGetLeftDerivativeInfo(n) : KFCurveTangeantInfo();

    KeyRemove(index);
    const int m = KeyAdd(target, copy);
    if (m < 0)
        return m;
    // Where an old key j (j != index) sits now.
    auto now = [index, m](int j) {
        const int shifted = j > index ? j - 1 : j;
        return shifted >= m ? shifted + 1 : shifted;
    };
    if (hasNext)
        KeySetLeftDerivativeInfo(now(index + 1), next);
    if (hasFollower)
        KeySetLeftDerivativeInfo(now(n), follower);
    if (m > 0)
        KeySetLeftDerivativeInfo(m, own);
    return m;
}

int KFCurve::KeyMove(int index, KTime time)
{
    const int count = mKeyCount;
    if (index < 0 || index >= count)
        return -1;
    const KTime old = Key(index)->GetTime();
    bool collision;
    if (time > old)
        collision = index < count - 1 && TickDistanceBelow(time, Key(index + 1)->GetTime(), gsTimeEpsilon.Get());
    else
        collision = index > 0 && TickDistanceBelow(Key(index - 1)->GetTime(), time, gsTimeEpsilon.Get());
    int result = index;
    if (collision) {
        result = KeyMoveAcross(index, time);
    } else {
        Key(index)->SetTime(time);
        mCandidateTime = KTIME_INFINITE;
    }
    KeyModifyBegin();
    CallbackAddEvent(kFCurveEventKey, -1);
    KeyModifyEnd();
    return result;
}

void KFCurve::ReportEditedRange(int first, int last)
{
    KeyModifyBegin();
    CallbackAddEvent(kFCurveEventKey, first);
    CallbackAddEvent(kFCurveEventKey, last);
    KeyModifyEnd();
}

int KFCurve::KeyMoveOf(bool selectedOnly, KTime delta, float valueDelta)
{
    mCandidateTime = KTIME_INFINITE;
    const bool wasRecording = mEventRecording;
    mEventRecording = false;
    int first = -1;
    int last = -1;
    const int count = mKeyCount;
    if (count == 0) {
        if (!selectedOnly)
            mValue += valueDelta;
    } else if (!selectedOnly) {
        for (int i = 0; i < count; ++i) {
            Key(i)->IncTime(delta);
            Key(i)->IncValue(valueDelta);
        }
        first = 0;
        last = count - 1;
    } else {
        const bool forward = delta.Get() > 0;
        // Forward moves walk from the end and backward ones from the start,
        // so that a key re-added elsewhere never lands among those not yet
        // visited.
        for (int step = 0; step < count; ++step) {
            const int i = forward ? count - 1 - step : step;
            if (!Key(i)->GetSelected())
                continue;
            const KTime target = SaturatedAdd(Key(i)->GetTime(), delta);
            bool collision;
            if (forward)
                collision = i < count - 1 && TickDistanceBelow(target, Key(i + 1)->GetTime(), gsTimeEpsilon.Get());
            else
                collision = i > 0 && TickDistanceBelow(Key(i - 1)->GetTime(), target, gsTimeEpsilon.Get());
            Key(i)->IncValue(valueDelta);
            if (collision)
                KeyMoveAcross(i, target);
            else
                Key(i)->SetTime(target);
            if (first == -1)
                first = i;
            last = i;
        }
    }
    mEventRecording = wasRecording;
    ReportEditedRange(first, last);
    return 0;
}

// ---- Values and tangents ----

int KFCurve::KeyEditValues(bool selectedOnly, int operation, float operand)
{
    mCandidateTime = KTIME_INFINITE;
    const bool wasRecording = mEventRecording;
    mEventRecording = false;
    int first = -1;
    int last = -1;
    for (int i = 0; i < mKeyCount; ++i) {
        KFCurveKey* key = Key(i);
        if (selectedOnly && !key->GetSelected())
            continue;
        switch (operation) {
        case eMoveValueTo:
            key->SetValue(operand);
            break;
        case eScaleValue:
            key->MultValue(operand);
            break;
        case eScaleValueAndTangent:
            key->MultValue(operand);
            key->MultTangeant(operand);
            break;
        default:
            key->MultTangeant(operand);
            break;
        }
        if (first == -1)
            first = i;
        last = i;
    }
    if (!selectedOnly) {
        const bool hasKeys = mKeyCount > 0;
        switch (operation) {
        case eMoveValueTo:
            if (!hasKeys)
                mValue = operand;
            break;
        case eScaleValue:
        case eScaleValueAndTangent:
            mValue *= operand;
            break;
        default:
            if (hasKeys)
                mValue *= operand;
            break;
        }
    }
    mEventRecording = wasRecording;
    ReportEditedRange(first, last);
    return 0;
}

int KFCurve::KeyMoveValueTo(bool selectedOnly, float value)
{
    return KeyEditValues(selectedOnly, eMoveValueTo, value);
}

int KFCurve::KeyScaleValue(bool selectedOnly, float factor)
{
    return KeyEditValues(selectedOnly, eScaleValue, factor);
}

int KFCurve::KeyScaleValueAndTangeant(bool selectedOnly, float factor)
{
    return KeyEditValues(selectedOnly, eScaleValueAndTangent, factor);
}

int KFCurve::KeyScaleTangeant(bool selectedOnly, float factor)
{
    return KeyEditValues(selectedOnly, eScaleTangent, factor);
}

// ---- Splicing ----

void KFCurve::Insert(KFCurve* source, KTime at, const KFCurveTangeantInfo& left)
{
    if (!source || source->mKeyCount == 0)
        return;
    if (source == this) {
        // The keys being read would move under the adds.
        KFCurve copy;
        copy.CopyFrom(*this, true);
        Insert(&copy, at, left);
        return;
    }
    const int sourceCount = source->mKeyCount;
    const KTime offset = at - source->Key(0)->GetTime();
    const int count = mKeyCount;
    if (count > kMaxKeys - sourceCount)
        return;  // more keys than the table can address

    if (count > 0 && at <= Key(count - 1)->GetTime()) {
        KeyModifyBegin(count + sourceCount);
        for (int j = 0; j < sourceCount; ++j) {
            const KFCurveKey* sourceKey = source->Key(j);
            const int before = mKeyCount;
            const int m = KeyAdd(sourceKey->GetTime() + offset, *sourceKey, nullptr);
            if (m < 0)
                break;
            if (m > 0 && mKeyCount > before) {
                // The key after the new one keeps its left tangent and weight,
                // which were stored on the key now before the new one.
                KFCurveKey* previous = Key(m - 1);
                KFCurveKey* added = Key(m);
                added->SetDataDouble(eKFCurveNextLeftDerivative,
                                     previous->GetDataFloat(eKFCurveNextLeftDerivative));
                added->SetDataDouble(eKFCurveNextLeftWeight,
                                     static_cast<float>(previous->GetDataDouble(eKFCurveNextLeftWeight)));
                added->SetTangeantWeightMode(previous->GetFlags(), kFCurveWeightedNextLeft);
            }
            if (j > 0) {
                const KFCurveKey* sourcePrevious = source->Key(j - 1);
                if (m > 0) {
                    KFCurveKey* previous = Key(m - 1);
                    previous->SetDataDouble(eKFCurveNextLeftWeight,
                                            static_cast<float>(sourcePrevious->GetDataDouble(eKFCurveNextLeftWeight)));
                    previous->SetTangeantWeightMode(sourcePrevious->GetFlags(), kFCurveWeightedNextLeft);
                }
                KeySetLeftDerivativeInfo(m, source->KeyGetLeftDerivativeInfo(j));
            } else {
                KeySetLeftDerivativeInfo(m, left);
            }
        }
        KeyModifyEnd();
    } else {
        if (!KeyModifyBegin(count + sourceCount)) {
            KeyModifyEnd();
            return;
        }
        for (int j = 0; j < sourceCount; ++j) {
            KFCurveKey* key = Key(count + j);
            *key = *source->Key(j);
            key->IncTime(offset);
        }
        KeyModifyEnd(count + sourceCount);
        if (count > 0)
            KeySetLeftDerivativeInfo(count, left);
    }
    CandidateClear();
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::Insert(KFCurve* source, KTime at, float leftDerivative, bool weighted, float weight)
{
    KFCurveTangeantInfo left;
    left.mDerivative = leftDerivative;
    left.mWeighted = weighted;
    left.mWeight = weight;
    Insert(source, at, left);
}

// ---- Timing queries ----

KTime KFCurve::KeyGetAverageRate(bool* regular, KTime* regularInterval, KTime* largestInterval)
{
    KTime tolerance;
    tolerance.SetSecondDouble(0.0001);
    if (regular)
        *regular = false;
    if (regularInterval)
        *regularInterval = KTime(0);
    if (largestInterval)
        *largestInterval = KTime(0);
    kLongLong sum = 0;
    kLongLong mean = 0;
    kLongLong largest = 0;
    for (int k = 1; k < mKeyCount; ++k) {
        const kLongLong d = (Key(k)->GetTime() - Key(k - 1)->GetTime()).Get();
        sum += d;
        mean = sum / k;
        const bool close = mean - tolerance.Get() < d && d < mean + tolerance.Get();
        if (regular) {
            *regular = close;
            if (close && regularInterval)
                *regularInterval = KTime(d);
        }
        largest = std::max(largest, d);
    }
    if (largestInterval)
        *largestInterval = KTime(largest);
    return KTime(mean);
}

int KFCurve::GuessWasData(KTime* firstTime, KTime* firstInterval)
{
    const int count = mKeyCount;
    int result = count >= 2 ? 2 : 1;
    const KTime start = count >= 1 ? Key(0)->GetTime() : KTime(0);
    const KTime interval = count >= 2 ? Key(1)->GetTime() - Key(0)->GetTime() : KTime(0);
    if (firstTime)
        *firstTime = start;
    if (firstInterval)
        *firstInterval = interval;
    for (int k = 1; k < count; ++k) {
        const KFCurveKey* key = Key(k);
        const KFCurveKey* previous = Key(k - 1);
        if (k >= 2) {
            const kLongLong d = (key->GetTime() - previous->GetTime()).Get();
            const kLongLong gap = d - interval.Get();
            if (gap > 1 || gap < -1)
                result = 1;
        }
        if (key->GetInterpolation() != previous->GetInterpolation())
            return 0;
        const kUInt mode = key->GetTangeantMode();
        if (key->GetInterpolation() == kFCurveInterpolationCubic && mode != kFCurveTangentAuto &&
            mode != kFCurveTangentAutoBreak)
            return 0;
    }
    return result;
}

}  // namespace qelsdk_600
