// The candidate of KFCurve: a pending value at a time, used as a one-entry
// evaluation cache and turned into a key on request.
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurveautotangent.h"

namespace qelsdk_600 {

void KFCurve::CandidateSet(KTime time, double value)
{
    mCandidateTime = time;
    mCandidateValue = static_cast<float>(value);
}

float KFCurve::CandidateEvaluate(KTime time, int* last)
{
    if (time == mCandidateTime)
        return mCandidateValue;
    const float value = Evaluate(time, last);
    mCandidateTime = time;
    mCandidateValue = value;
    return value;
}

int KFCurve::CandidateKey(int* last, int interpolation, int tangentMode, bool broken, bool setType, KTime time,
                          double tolerance)
{
    if (time != KTIME_INFINITE)
        mCandidateTime = time;
    if (!IsCandidate())
        return 1;
    const KTime keyTime = mCandidateTime;
    const float value = mCandidateValue;
    const kUInt interp = static_cast<kUInt>(interpolation) & kFCurveInterpolationMask;
    const kUInt mode = static_cast<kUInt>(tangentMode) & kFCurveTangentMask;

    // The key a new one is made from, with or without the break.
    auto build = [&](bool withBreak) {
        KFCurveKey key;
        key.Set(keyTime, value, interp, mode);
        if (interp == kFCurveInterpolationCubic) {
            if (mode == kFCurveTangentTCB) {
                key.SetTCB(keyTime, value, 0.0f, withBreak ? -1.0f : 0.0f, 0.0f);
            } else if (mode == kFCurveTangentAuto && withBreak) {
                key.Set(keyTime, value, interp, kFCurveTangentAutoBreak, 100.0f);
            }
        }
        return key;
    };

    if (mKeyCount == 0) {
        KeyAdd(keyTime, build(broken), last);
        return 0;
    }

    if (!(tolerance >= 0.0))
        tolerance = 0.0;  // a negative (or NaN) tolerance would match no key
    const double f = KeyFind(keyTime, last);
    const double a = std::ceil(f - tolerance);
    const double b = std::floor(f + tolerance);
    const int count = mKeyCount;
    int index;
    KFCurveTangeantInfo left;
    KFCurveTangeantInfo right;
    bool hasPrevious;
    bool hasNext;
    KFCurveTangeantInfo previousRight;
    KFCurveTangeantInfo nextLeft;

    if (a == b && a >= 0.0 && a < count) {
        index = static_cast<int>(a);
        left = KeyGetLeftDerivativeInfo(index);
        right = KeyGetRightDerivativeInfo(index);
        hasPrevious = index > 0;
        hasNext = index + 1 < count;
        if (hasPrevious)
            previousRight = KeyGetRightDerivativeInfo(index - 1);
        if (hasNext)
            nextLeft = KeyGetLeftDerivativeInfo(index + 1);
        KFCurveKey* key = Key(index);
        if (setType) {
            *key = build(false);
        } else {
            key->SetTime(keyTime);
            key->SetValue(value);
        }
        CallbackAddEvent(kFCurveEventKey, index);
    } else {
        // The new key follows the curve's slope on each side of its time.
        left.mDerivative = EvaluateLeftDerivative(keyTime, last);
        right.mDerivative = EvaluateRightDerivative(keyTime, last);
        const int after = KeyLowerBound(keyTime, nullptr);  // key that will follow it
        hasPrevious = after > 0;
        hasNext = after < count;
        if (hasPrevious)
            previousRight = KeyGetRightDerivativeInfo(after - 1);
        if (hasNext)
            nextLeft = KeyGetLeftDerivativeInfo(after);
        index = KeyAdd(keyTime, build(broken), last);
        if (index < 0)
            return 0;
        // Auto sides keep their slope through the auto form.
        double autoValue;
        double derivative = left.mDerivative;
        KFCURVE_ComputeLeftAutoFromBezierForKey(autoValue, derivative, this, index);
        left.mAuto = static_cast<float>(autoValue);
        derivative = right.mDerivative;
        KFCURVE_ComputeRightAutoFromBezierForKey(autoValue, derivative, this, index);
        right.mAuto = static_cast<float>(autoValue);
    }

    if (broken) {
        left.mDerivative = right.mDerivative = 0.0f;
        left.mAuto = right.mAuto = 100.0f;
        if (interp == kFCurveInterpolationCubic) {
            KFCurveKey* key = Key(index);
            if (mode == kFCurveTangentAuto)
                key->SetTangeantMode(kFCurveTangentAutoBreak);
            else if (mode == kFCurveTangentUser)
                key->SetTangeantMode(kFCurveTangentUser);
            else if (mode == kFCurveTangentTCB)
                key->SetTCB(key->GetTime(), key->GetValue(), 0.0f, -1.0f, 0.0f);
        }
    }

    KeySetLeftDerivativeInfo(index, left);
    KeySetRightDerivativeInfo(index, right);
    if (hasPrevious)
        KeySetRightDerivativeInfo(index - 1, previousRight);
    if (hasNext)
        KeySetLeftDerivativeInfo(index + 1, nextLeft);
    return 0;
}

}  // namespace qelsdk_600
