// Whole-curve operations of KFCurve: copy, deletion of key runs, replacement
// of a span by another curve's keys, segment extrema and storage checks.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "curves/kfcurve.h"
#include "curves/kfcurve_impl.h"

namespace qelsdk_600 {

namespace {

constexpr float kAngleThreshold = 1e-7f;

bool IsUser(const KFCurveKey* key)
{
    const kUInt mode = key->GetTangeantMode();
    return mode == kFCurveTangentUser || mode == kFCurveTangentUserBreak;
}

// One tick later (earlier), saturated at the infinite times.
KTime NextTick(KTime t)
{
    return t.Get() == KTime::kInfiniteTicks ? t : KTime(t.Get() + 1);
}

KTime PreviousTick(KTime t)
{
    return t.Get() <= KTime::kMinusInfiniteTicks ? t : KTime(t.Get() - 1);
}

// Reflects a key's value about `angle`, turning its user tangents over.
void Mirror(KFCurveKey* key, float angle)
{
    key->SetValue(angle - key->GetValue());
    if (IsUser(key)) {
        key->SetDataDouble(eKFCurveRightDerivative, -key->GetDataFloat(eKFCurveRightDerivative));
        key->SetDataDouble(eKFCurveNextLeftDerivative, -key->GetDataFloat(eKFCurveNextLeftDerivative));
    }
}

}  // namespace

struct KFCurve::ReplaceEdit {
    enum EKind { eEuler, eQuaternion } mKind;
    float mSpanAngle;
    float mAfterAngle;
    bool mMirrorSpan;
    bool mMirrorAfter;
    float mStartFactor;
    float mStopFactor;
};

// ---- Copy ----

void KFCurve::CopyFrom(KFCurve& source, bool withKeys)
{
    if (&source != this) {
        if (!withKeys) {
            KeyClear();
        } else {
            if (source.mPendingCount > 0)
                source.FlushPending();
            const int count = source.mKeyCount;
            if (KeyModifyBegin(count)) {
                for (int block = 0; block * kFCurveKeysPerBlock < count; ++block)
                    std::memcpy(static_cast<void*>(mKeyBlocks[block]), source.mKeyBlocks[block],
                                kFCurveKeysPerBlock * sizeof(KFCurveKey));
                KeyModifyEnd(count);
            } else {
                KeyModifyEnd();  // out of memory: this curve keeps its own keys
            }
        }
        mValue = source.mValue;
        std::memcpy(mColor, source.mColor, sizeof mColor);
        mCandidateTime = source.mCandidateTime;
        mCandidateValue = source.mCandidateValue;
        mPreExtrapolation = source.mPreExtrapolation;
        mPreExtrapolationCount = source.mPreExtrapolationCount;
        mPostExtrapolation = source.mPostExtrapolation;
        mPostExtrapolationCount = source.mPostExtrapolationCount;
    }
    AdvanceUpdateId();
    CallbackAddEvent(kFCurveEventKey, -1);
}

KFCurve* KFCurve::Copy(KTime start, KTime stop)
{
    KFCurve* copy = KFCurveCreate();
    if (start == KTIME_MINUS_INFINITE && stop == KTIME_INFINITE) {
        copy->CopyFrom(*this, true);
        return copy;
    }
    copy->CopyFrom(*this, false);
    const int first = KeyLowerBound(start, nullptr);
    const int end = stop == KTIME_INFINITE ? mKeyCount : KeyLowerBound(NextTick(stop), nullptr);
    const int n = end - first;
    if (n > 0 && copy->KeyModifyBegin(n)) {
        for (int i = 0; i < n; ++i)
            *copy->Key(i) = *Key(first + i);
        copy->KeyModifyEnd(n);
    }
    copy->mUpdateId = mUpdateId;
    copy->mCandidateTime = mCandidateTime;
    copy->mCandidateValue = mCandidateValue;
    return copy;
}

// ---- Delete ----

bool KFCurve::Delete(int first, int last)
{
    const int count = mKeyCount;
    if (count == 0)
        return false;
    mCandidateTime = KTIME_INFINITE;
    const float firstValue = Key(0)->GetValue();
    // Indices outside the keys would move memory that is not theirs.
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    if (first == last) {
        KeyRemove(first);
    } else if (first == 0 && last == count - 1) {
        KeyClear();
    } else if (first < last) {
        const bool hasNext = last + 1 < count;
        const KFCurveTangeantInfo next = hasNext ? KeyGetLeftDerivativeInfo(last + 1) : KFCurveTangeantInfo();
        MoveKeys(first, last + 1, count - last - 1);
        mKeyCount = count - (last - first + 1);
        // The whole blocks between the ends of the run are released.
        const int released = std::max(0, (last + 1) / kFCurveKeysPerBlock - first / kFCurveKeysPerBlock - 1);
        for (int i = 0; i < released && mLastBlock >= 0; ++i) {
            WatchFree(mKeyBlocks[mLastBlock], kFCurveKeysPerBlock * sizeof(KFCurveKey));
            mKeyBlocks[mLastBlock] = nullptr;
            --mLastBlock;
        }
        if (hasNext)
            KeySetLeftDerivativeInfo(first, next);
        CallbackAddEvent(kFCurveEventKey, -1);
    }
    if (mKeyCount == 0)
        mValue = firstValue;
    return true;
}

bool KFCurve::Delete(KTime start, KTime stop)
{
    if (mKeyCount == 0)
        return false;
    // Keys exactly at either time stay.
    const int first = start == KTIME_INFINITE ? mKeyCount : KeyLowerBound(NextTick(start), nullptr);
    const int last = KeyLowerBound(stop, nullptr) - 1;
    if (first > last) {
        mCandidateTime = KTIME_INFINITE;
        return true;
    }
    return Delete(first, last);
}

// ---- Replace ----

void KFCurve::Replace(KFCurve* source, KTime start, KTime stop, bool exactSpan, bool keyEmptySpan)
{
    ReplaceSpan(source, start, stop, exactSpan, keyEmptySpan, nullptr);
}

void KFCurve::ReplaceForEulerXYZ(KFCurve* source, KTime start, KTime stop, float spanAngle, float afterAngle,
                                 bool mirrorSpan, bool mirrorAfter, bool exactSpan, bool keyEmptySpan)
{
    ReplaceEdit edit{ReplaceEdit::eEuler, spanAngle, afterAngle, mirrorSpan, mirrorAfter, 1.0f, 1.0f};
    ReplaceSpan(source, start, stop, exactSpan, keyEmptySpan, &edit);
}

void KFCurve::ReplaceForQuaternion(KFCurve* source, KTime start, KTime stop, float startFactor, float stopFactor,
                                   bool exactSpan, bool keyEmptySpan)
{
    ReplaceEdit edit{ReplaceEdit::eQuaternion, 0.0f, 0.0f, false, false, startFactor, stopFactor};
    ReplaceSpan(source, start, stop, exactSpan, keyEmptySpan, &edit);
}

void KFCurve::ReplaceSpan(KFCurve* source, KTime start, KTime stop, bool exactSpan, bool keyEmptySpan,
                          const ReplaceEdit* edit)
{
    if (!source)
        return;
    if (source == this) {
        KFCurve copy;
        copy.CopyFrom(*this, true);
        ReplaceSpan(&copy, start, stop, exactSpan, keyEmptySpan, edit);
        return;
    }
    KeyModifyBegin();
    const int sourceCount = source->mKeyCount;
    // The source keys inside the span: a .. b, or none (a = -1).
    int a = -1;
    int b = -1;
    if (sourceCount > 0) {
        const KTime searchStart = start == KTIME_MINUS_INFINITE ? source->Key(0)->GetTime() : start;
        const KTime searchStop = stop == KTIME_INFINITE ? source->Key(sourceCount - 1)->GetTime() : stop;
        a = source->KeyLowerBound(searchStart, nullptr);
        b = std::min(source->KeyLowerBound(NextTick(searchStop), nullptr), sourceCount) - 1;
        if (searchStop == KTIME_INFINITE)
            b = sourceCount - 1;
        if (a > b)
            a = b = -1;
    }
    if (!exactSpan && a != -1) {
        start = source->Key(a)->GetTime();
        stop = source->Key(b)->GetTime();
    }
    const float leftDerivative = EvaluateLeftDerivative(start);
    const float rightDerivative = EvaluateRightDerivative(stop);

    if (mKeyCount > 0)
        Delete(NextTick(start), PreviousTick(stop));

    if (a != -1) {
        mCandidateTime = KTIME_INFINITE;
        const bool euler = edit && edit->mKind == ReplaceEdit::eEuler;
        const bool shiftSpan = euler && std::fabs(edit->mSpanAngle) > kAngleThreshold;
        const bool shiftAfter = euler && std::fabs(edit->mAfterAngle) > kAngleThreshold;
        const double span = kfcurve_detail::TicksBetween(start.Get(), stop.Get());
        int firstAdded = -1;
        int lastAdded = -1;
        for (int j = a; j < sourceCount && source->Key(j)->GetTime() <= stop; ++j) {
            KFCurveKey key = *source->Key(j);
            if (shiftSpan) {
                if (edit->mMirrorSpan)
                    Mirror(&key, edit->mSpanAngle);
                else
                    key.IncValue(edit->mSpanAngle);
            } else if (edit && edit->mKind == ReplaceEdit::eQuaternion) {
                // u = 0 throughout a span of one instant.
                const double u =
                    span > 0.0 ? kfcurve_detail::TicksBetween(start.Get(), key.GetTime().Get()) / span
                               : 0.0;
                key.MultValue(static_cast<float>((1.0 - u) * edit->mStartFactor + u * edit->mStopFactor));
            }
            const int index = KeyAdd(key.GetTime(), key, nullptr);
            if (index < 0)
                break;
            if (firstAdded == -1)
                firstAdded = index;
            lastAdded = index;
        }
        if (shiftSpan && edit->mMirrorSpan && firstAdded > 0 && IsUser(Key(firstAdded - 1))) {
            KFCurveKey* before = Key(firstAdded - 1);
            before->SetDataDouble(eKFCurveNextLeftDerivative, -before->GetDataFloat(eKFCurveNextLeftDerivative));
        }
        if (shiftAfter && lastAdded >= 0) {
            for (int i = lastAdded + 1; i < mKeyCount; ++i) {
                if (edit->mMirrorAfter)
                    Mirror(Key(i), edit->mAfterAngle);
                else
                    Key(i)->IncValue(edit->mAfterAngle);
            }
            if (edit->mMirrorAfter && IsUser(Key(lastAdded))) {
                KFCurveKey* key = Key(lastAdded);
                key->SetDataDouble(eKFCurveNextLeftDerivative, -key->GetDataFloat(eKFCurveNextLeftDerivative));
            }
        }
        auto takesDerivative = [this](int i) {
            return (Key(i)->GetTangeantMode() & (kFCurveTangentUser | kFCurveTangentAuto)) != 0;
        };
        if (start != KTIME_MINUS_INFINITE && mKeyCount > 0) {
            const int k = KeyLowerBound(start, nullptr);
            if (k < mKeyCount && Key(k)->GetTime() <= stop && takesDerivative(k))
                KeySetLeftDerivative(k, leftDerivative);
        }
        if (stop != KTIME_INFINITE && mKeyCount > 0 && lastAdded >= 0 && takesDerivative(lastAdded))
            KeySetRightDerivative(lastAdded, rightDerivative);
    } else if (keyEmptySpan) {
        auto keyCandidate = [this]() {
            CandidateKey(nullptr, kFCurveInterpolationCubic, kFCurveTangentUser, false, true, KTIME_INFINITE, 0.0);
        };
        const bool finiteStart = start != KTIME_MINUS_INFINITE && start != KTIME_INFINITE;
        const bool finiteStop = stop != KTIME_MINUS_INFINITE && stop != KTIME_INFINITE;
        if (finiteStart) {
            CandidateEvaluate(PreviousTick(start));
            keyCandidate();
        }
        if (finiteStop) {
            CandidateEvaluate(NextTick(stop));
            keyCandidate();
        }
        // Keys at an infinite time could never be reached; over the whole
        // time line the source's value becomes this curve's default.
        if (finiteStart) {
            CandidateSet(start, source->mValue);
            keyCandidate();
        }
        if (finiteStop) {
            CandidateSet(stop, source->mValue);
            keyCandidate();
        }
        if (!finiteStart && !finiteStop && mKeyCount == 0) {
            mValue = source->mValue;
            CallbackAddEvent(kFCurveEventDefaultValue, -1);
        }
        // Flat into the span, then leaving it with the source's slope.
        auto setBothSides = [this](KTime time, float derivative) {
            const int i = KeyLowerBound(time, nullptr);
            if (i >= mKeyCount || Key(i)->GetTime() != time)
                return;
            if (i > 0)
                Key(i - 1)->SetDataDouble(eKFCurveNextLeftDerivative, derivative);
            Key(i)->SetDataDouble(eKFCurveRightDerivative, derivative);
        };
        if (finiteStart)
            setBothSides(start, 0.0f);
        if (finiteStop)
            setBothSides(stop, static_cast<float>(source->KeyGetRightDerivative(b)));
    }
    CallbackAddEvent(kFCurveEventKey, -1);
    KeyModifyEnd();
}

// ---- Peaks and checks ----

int KFCurve::FindPeaks(int index, KTime& firstTime, float& firstValue, KTime& secondTime, float& secondValue)
{
    if (index < 0 || index + 1 >= mKeyCount)
        return 0;
    const KTime t0 = Key(index)->GetTime();
    const KTime t1 = Key(index + 1)->GetTime();
    const double ticks = kfcurve_detail::TicksBetween(t0.Get(), t1.Get());
    const double dt = ticks / kfcurve_detail::kTicksPerSecondDouble;
    const double p0 = Key(index)->GetValue();
    const double p3 = Key(index + 1)->GetValue();
    const double p1 = p0 + KeyGetRightDerivative(index) * dt / 3.0;
    const double p2 = p3 - KeyGetLeftDerivative(index + 1) * dt / 3.0;
    const double A = 3.0 * (p3 - p0) + 9.0 * (p1 - p2);
    const double B = 6.0 * (p0 + p2) - 12.0 * p1;
    const double C = 3.0 * (p1 - p0);

    double roots[2];
    int candidates = 0;
    if (A == 0.0) {
        // The derivative is linear in s: one root at most.
        if (B != 0.0)
            roots[candidates++] = -C / B;
    } else {
        const double D = B * B - 4.0 * A * C;
        if (D == 0.0) {
            roots[candidates++] = -B / (2.0 * A);
        } else if (D > 0.0) {
            const double r = std::sqrt(D);
            const double s1 = (-B + r) / (2.0 * A);
            const double s2 = (-B - r) / (2.0 * A);
            roots[candidates++] = std::min(s1, s2);
            roots[candidates++] = std::max(s1, s2);
        }
    }
    KTime found[2];
    int count = 0;
    for (int i = 0; i < candidates; ++i) {
        const double s = roots[i];
        if (!(s > 0.0 && s < 1.0))
            continue;
        const KTime t(t0.Get() + static_cast<kLongLong>(s * ticks));
        if (t > t0 && t < t1)
            found[count++] = t;
    }
    if (count >= 1) {
        firstTime = found[0];
        firstValue = Evaluate(found[0]);
    }
    if (count == 2) {
        secondTime = found[1];
        secondValue = Evaluate(found[1]);
    }
    return count;
}

int KFCurve::FindPeaks(int index, KTime& firstTime, KTime& secondTime)
{
    float firstValue = 0.0f;
    float secondValue = 0.0f;
    return FindPeaks(index, firstTime, firstValue, secondTime, secondValue);
}

int KFCurve::FindPeaks(int index, float& firstValue, float& secondValue)
{
    KTime firstTime;
    KTime secondTime;
    return FindPeaks(index, firstTime, firstValue, secondTime, secondValue);
}

bool KFCurve::IsKeyInterpolationPureCubicAuto(int index)
{
    if (index < 0 || index >= mKeyCount)
        return false;
    const KFCurveKey* key = Key(index);
    return key->GetInterpolation() == kFCurveInterpolationCubic && (key->GetTangeantMode() & kFCurveTangentAuto) != 0 &&
           KeyGetLeftAuto(index) == 0.0f && KeyGetRightAuto(index) == 0.0f && !KeyIsLeftTangeantWeighted(index) &&
           !KeyIsRightTangeantWeighted(index);
}

bool KFCurve::CheckCurve() const
{
    if (mPendingCount > 0)
        const_cast<KFCurve*>(this)->FlushPending();
    if (!mKeyBlocks)
        return mKeyCount == 0 && mLastBlock == -1;
    if (mLastBlock == -1)
        return false;
    if (mKeyCount > (mLastBlock + 1) * kFCurveKeysPerBlock || mKeyCount > mKeyCapacity)
        return false;
    const int lastKeyBlock = mKeyCount > 0 ? (mKeyCount - 1) / kFCurveKeysPerBlock : -1;
    const int used = std::max(lastKeyBlock, mLastBlock);
    const int slots = mKeyCapacity / kFCurveKeysPerBlock;
    if (used >= slots)
        return false;
    for (int block = 0; block < slots; ++block)
        if ((mKeyBlocks[block] != nullptr) != (block <= used))
            return false;
    return true;
}

}  // namespace qelsdk_600
