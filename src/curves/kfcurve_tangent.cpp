// Tangents of KFCurve keys: derivatives from interpolation and tangent mode,
// their auto form, weights, velocities and Bezier handles.
#include "curves/kfcurve.h"
#include "curves/kfcurve_impl.h"
#include "curves/kfcurveautotangent.h"

namespace qelsdk_600 {

namespace {

bool IsCubic(const KFCurveKey* key)
{
    return key->GetInterpolation() == kFCurveInterpolationCubic;
}

bool IsAutoMode(kUInt mode)
{
    return mode == kFCurveTangentAuto || mode == kFCurveTangentAutoBreak;
}

bool IsUserMode(kUInt mode)
{
    return mode == kFCurveTangentUser || mode == kFCurveTangentUserBreak;
}

bool IsCubicAuto(const KFCurveKey* key)
{
    return IsCubic(key) && IsAutoMode(key->GetTangeantMode());
}

bool IsCubicUser(const KFCurveKey* key)
{
    return IsCubic(key) && IsUserMode(key->GetTangeantMode());
}

bool IsTCB(const KFCurveKey* key)
{
    return IsCubic(key) && key->GetTangeantMode() == kFCurveTangentTCB;
}

// Cubic and with the auto bit among its tangent-mode bits.
bool HasAutoBit(const KFCurveKey* key)
{
    return IsCubic(key) && (key->GetTangeantMode() & kFCurveTangentAuto) != 0;
}

double Seconds(KTime from, KTime to)
{
    return kfcurve_detail::SecondsBetween(from, to);
}

}  // namespace

double KFCurve::SlopeIn(int index) const
{
    const KFCurveKey* a = Key(index - 1);
    const KFCurveKey* b = Key(index);
    return (static_cast<double>(b->GetValue()) - a->GetValue()) / Seconds(a->GetTime(), b->GetTime());
}

double KFCurve::SlopeOut(int index) const
{
    const KFCurveKey* a = Key(index);
    const KFCurveKey* b = Key(index + 1);
    return (static_cast<double>(b->GetValue()) - a->GetValue()) / Seconds(a->GetTime(), b->GetTime());
}

// Right derivative of TCB key i (i < count - 1).
double KFCurve::TCBRight(int index) const
{
    const KFCurveKey* key = Key(index);
    const double t = key->GetDataFloat(eKFCurveTCBTension);
    const double c = key->GetDataFloat(eKFCurveTCBContinuity);
    const double b = key->GetDataFloat(eKFCurveTCBBias);
    if (index == 0)
        return (1.0 - t) * (1.0 - c) * (1.0 - b) * SlopeOut(index);
    return (1.0 - t) * 0.5 * ((1.0 + b) * (1.0 + c) * SlopeIn(index) + (1.0 - b) * (1.0 - c) * SlopeOut(index));
}

// Left derivative at key i (i >= 1) by the TCB rule with the parameters of
// key parameterKey.
double KFCurve::TCBLeft(int index, int parameterKey) const
{
    const KFCurveKey* key = Key(parameterKey);
    const double t = key->GetDataFloat(eKFCurveTCBTension);
    const double c = key->GetDataFloat(eKFCurveTCBContinuity);
    const double b = key->GetDataFloat(eKFCurveTCBBias);
    if (index == mKeyCount - 1)
        return (1.0 - t) * (1.0 - c) * (1.0 + b) * SlopeIn(index);
    return (1.0 - t) * 0.5 * ((1.0 + b) * (1.0 - c) * SlopeIn(index) + (1.0 - b) * (1.0 + c) * SlopeOut(index));
}

double KFCurve::KeyGetRightDerivative(int index)
{
    const int count = mKeyCount;
    if (index < 0 || index >= count)
        return 0.0;
    if (index == count - 1)
        return count < 2 ? 0.0 : KeyGetLeftDerivative(index);  // the last key's right is its left
    const KFCurveKey* key = Key(index);
    const kUInt interpolation = key->GetInterpolation();
    if (interpolation == kFCurveInterpolationLinear)
        return SlopeOut(index);
    if (interpolation != kFCurveInterpolationCubic)
        return 0.0;
    const kUInt mode = key->GetTangeantMode();
    if (IsAutoMode(mode)) {
        double derivative;
        double autoValue = key->GetDataDouble(eKFCurveRightDerivative);
        KFCURVE_ComputeRightBezierFromAutoForKey(derivative, autoValue, this, index);
        return derivative;
    }
    if (mode == kFCurveTangentTCB)
        return TCBRight(index);
    if (IsUserMode(mode))
        return key->GetDataDouble(eKFCurveRightDerivative);
    return 0.0;
}

double KFCurve::KeyGetLeftDerivative(int index)
{
    const int count = mKeyCount;
    if (index < 0 || index >= count)
        return 0.0;
    if (index == 0)
        return count > 1 ? KeyGetRightDerivative(0) : 0.0;  // the first key's left is its right
    const KFCurveKey* previous = Key(index - 1);
    const KFCurveKey* key = Key(index);
    const kUInt previousInterpolation = previous->GetInterpolation();
    if (previousInterpolation == kFCurveInterpolationLinear)
        return SlopeIn(index);
    if (previousInterpolation != kFCurveInterpolationCubic)
        return 0.0;

    const bool last = index == count - 1;
    const kUInt previousMode = previous->GetTangeantMode();
    const double stored = previous->GetDataDouble(eKFCurveNextLeftDerivative);
    auto fromAuto = [&]() {
        double derivative;
        double autoValue = stored;
        KFCURVE_ComputeLeftBezierFromAutoForKey(derivative, autoValue, this, index);
        return derivative;
    };

    switch (key->GetInterpolation()) {
    case kFCurveInterpolationCubic: {
        const kUInt mode = key->GetTangeantMode();
        if (IsAutoMode(mode))
            return fromAuto();
        if (mode == kFCurveTangentTCB) {
            // The last key's right derivative is its left one: following the
            // right derivative there would recurse without end.
            if (gsTCB4051EvalMode && !last)
                return KeyGetRightDerivative(index);
            return TCBLeft(index, index);
        }
        if (mode == kFCurveTangentUser) {
            if (previousMode != kFCurveTangentTCB)
                return stored;
            return last ? 0.0 : key->GetDataDouble(eKFCurveRightDerivative);
        }
        if (mode == kFCurveTangentUserBreak)
            return previousMode != kFCurveTangentTCB ? stored : TCBLeft(index, index - 1);
        return 0.0;
    }
    case kFCurveInterpolationConstant:
        if (IsUserMode(previousMode))
            return stored;
        if (IsAutoMode(previousMode))
            return fromAuto();
        return 0.0;
    case kFCurveInterpolationLinear:
        if (IsUserMode(previousMode))
            return stored;
        if (IsAutoMode(previousMode))
            return fromAuto();
        if (previousMode == kFCurveTangentTCB)
            return last ? 0.0 : KeyGetRightDerivative(index);
        return 0.0;
    default:
        return 0.0;
    }
}

void KFCurve::KeySetLeftDerivative(int index, float derivative)
{
    if (index <= 0 || index > mKeyCount)
        return;
    mCandidateTime = KTIME_INFINITE;
    KFCurveKey* previous = Key(index - 1);
    KFCurveKey* key = index < mKeyCount ? Key(index) : nullptr;

    // Which form item 1 of the previous key holds depends on both keys.
    bool write = true;
    bool autoForm = false;
    if (IsCubic(previous)) {
        const kUInt previousMode = previous->GetTangeantMode();
        if (IsAutoMode(previousMode) || IsUserMode(previousMode)) {
            if (!key)
                autoForm = false;
            else if (!IsCubic(key))
                autoForm = IsAutoMode(previousMode);
            else
                autoForm = (key->GetTangeantMode() & kFCurveTangentUser) == 0;
        } else {
            write = false;  // TCB or no mode: nothing stored
        }
    }
    if (write) {
        double value = derivative;
        if (autoForm) {
            double autoValue;
            KFCURVE_ComputeLeftAutoFromBezierForKey(autoValue, value, this, index);
            value = autoValue;
        }
        previous->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(value));
    }
    if (key && IsCubic(key) && key->GetTangeantMode() == kFCurveTangentUser)
        KeySetRightDerivative(index, derivative);  // an unbroken user key has one tangent
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetRightDerivative(int index, float derivative)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    mCandidateTime = KTIME_INFINITE;
    KFCurveKey* key = Key(index);
    if (IsCubicAuto(key)) {
        double autoValue;
        double value = derivative;
        KFCURVE_ComputeRightAutoFromBezierForKey(autoValue, value, this, index);
        key->SetDataDouble(eKFCurveRightDerivative, static_cast<float>(autoValue));
    } else if (IsCubicUser(key)) {
        key->SetDataDouble(eKFCurveRightDerivative, derivative);
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

float KFCurve::KeyGetLeftAuto(int index)
{
    if (index < 0 || index >= mKeyCount)
        return 0.0f;
    if (index == 0) {
        const KFCurveKey* first = Key(0);
        return IsCubicAuto(first) ? first->GetDataFloat(eKFCurveRightDerivative) : 0.0f;
    }
    const KFCurveKey* previous = Key(index - 1);
    if (previous->GetInterpolation() == kFCurveInterpolationConstant)
        return 0.0f;
    if (previous->GetInterpolation() == kFCurveInterpolationLinear)
        return 100.0f;
    if (IsCubicAuto(Key(index)))
        return previous->GetDataFloat(eKFCurveNextLeftDerivative);
    double autoValue;
    double derivative = KeyGetLeftDerivative(index);
    KFCURVE_ComputeLeftAutoFromBezierForKey(autoValue, derivative, this, index);
    return static_cast<float>(autoValue);
}

void KFCurve::KeySetLeftAuto(int index, float autoValue)
{
    if (index < 1 || index > mKeyCount)
        return;
    mCandidateTime = KTIME_INFINITE;
    KFCurveKey* previous = Key(index - 1);
    KFCurveKey* key = index < mKeyCount ? Key(index) : nullptr;
    auto converted = [&]() {
        double derivative;
        double value = autoValue;
        KFCURVE_ComputeLeftBezierFromAutoForKey(derivative, value, this, index);
        return static_cast<float>(derivative);
    };
    const kUInt previousInterpolation = previous->GetInterpolation();
    if (previousInterpolation == kFCurveInterpolationConstant || previousInterpolation == kFCurveInterpolationLinear) {
        previous->SetDataDouble(eKFCurveNextLeftDerivative, autoValue);
    } else if (IsCubicAuto(previous)) {
        const bool plain = key && IsCubic(key) && !HasAutoBit(key);
        previous->SetDataDouble(eKFCurveNextLeftDerivative, plain ? converted() : autoValue);
    } else if (IsCubicUser(previous)) {
        const bool plain = key && !HasAutoBit(key);
        previous->SetDataDouble(eKFCurveNextLeftDerivative, plain ? converted() : autoValue);
    }
    if (key && IsCubic(key) && key->GetTangeantMode() == kFCurveTangentUser)
        KeySetRightAuto(index, autoValue);
    CallbackAddEvent(kFCurveEventKey, index);
}

float KFCurve::KeyGetRightAuto(int index)
{
    if (index < 0 || index >= mKeyCount)
        return 0.0f;
    const KFCurveKey* key = Key(index);
    if (IsCubicAuto(key))
        return key->GetDataFloat(eKFCurveRightDerivative);
    if (index >= mKeyCount - 1)
        return 0.0f;
    double autoValue;
    double derivative = KeyGetRightDerivative(index);
    KFCURVE_ComputeRightAutoFromBezierForKey(autoValue, derivative, this, index);
    return static_cast<float>(autoValue);
}

void KFCurve::KeySetRightAuto(int index, float autoValue)
{
    mCandidateTime = KTIME_INFINITE;
    if (index >= 0 && index < mKeyCount) {
        KFCurveKey* key = Key(index);
        if (index < mKeyCount - 1 && IsCubicAuto(key)) {
            key->SetDataDouble(eKFCurveRightDerivative, autoValue);
        } else if (index < mKeyCount - 1 && IsCubicUser(key)) {
            double derivative;
            double value = autoValue;
            KFCURVE_ComputeRightBezierFromAutoForKey(derivative, value, this, index);
            key->SetDataDouble(eKFCurveRightDerivative, static_cast<float>(derivative));
        } else if (index == mKeyCount - 1 && IsCubicAuto(key)) {
            key->SetDataDouble(eKFCurveRightDerivative, autoValue);
        }
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeyIncLeftDerivative(int index, float delta)
{
    if (index <= 0 || index > mKeyCount)
        return;
    mCandidateTime = KTIME_INFINITE;
    KFCurveKey* previous = Key(index - 1);
    if (IsCubicUser(previous))
        previous->SetDataDouble(eKFCurveNextLeftDerivative,
                                previous->GetDataFloat(eKFCurveNextLeftDerivative) + delta);
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeyIncRightDerivative(int index, float delta)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    mCandidateTime = KTIME_INFINITE;
    KFCurveKey* key = Key(index);
    if (IsCubicUser(key))
        key->SetDataDouble(eKFCurveRightDerivative, key->GetDataFloat(eKFCurveRightDerivative) + delta);
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeyMultDerivative(int index, float factor)
{
    if (index < 0 || index >= mKeyCount)
        return;
    if ((Key(index)->GetTangeantMode() & (kFCurveTangentUser | kFCurveTangentBreak)) == 0)
        return;
    KeySetRightDerivative(index, static_cast<float>(KeyGetRightDerivative(index) * factor));
    KeySetLeftDerivative(index, static_cast<float>(KeyGetLeftDerivative(index) * factor));
}

KFCurveTangeantInfo KFCurve::KeyGetLeftDerivativeInfo(int index)
{
    KFCurveTangeantInfo info;
    info.mDerivative = static_cast<float>(KeyGetLeftDerivative(index));
    info.mWeight = KeyGetLeftTangeantWeight(index);
    info.mWeighted = KeyIsLeftTangeantWeighted(index);
    info.mVelocity = KeyGetLeftTangeantVelocity(index);
    info.mHasVelocity = KeyIsLeftTangeantVelocity(index);
    info.mAuto = KeyGetLeftAuto(index);
    return info;
}

KFCurveTangeantInfo KFCurve::KeyGetRightDerivativeInfo(int index)
{
    KFCurveTangeantInfo info;
    info.mDerivative = static_cast<float>(KeyGetRightDerivative(index));
    info.mWeight = KeyGetRightTangeantWeight(index);
    info.mWeighted = KeyIsRightTangeantWeighted(index);
    info.mVelocity = KeyGetRightTangeantVelocity(index);
    info.mHasVelocity = KeyIsRightTangeantVelocity(index);
    info.mAuto = KeyGetRightAuto(index);
    return info;
}

void KFCurve::KeySetLeftDerivativeInfo(int index, const KFCurveTangeantInfo& info)
{
    if (index < 1 || index >= mKeyCount)
        return;
    KeySetLeftTangeantWeight(index, info.mWeight);
    KeySetLeftTangeantWeightedMode(index, info.mWeighted);
    KeySetLeftTangeantVelocity(index, info.mVelocity);
    KeySetLeftTangeantVelocityMode(index, info.mHasVelocity);
    const KFCurveKey* key = Key(index);
    const KFCurveKey* previous = Key(index - 1);
    if (HasAutoBit(key) || (!IsCubic(key) && HasAutoBit(previous)))
        KeySetLeftAuto(index, info.mAuto);
    else
        KeySetLeftDerivative(index, info.mDerivative);
}

void KFCurve::KeySetRightDerivativeInfo(int index, const KFCurveTangeantInfo& info)
{
    if (index < 0 || index >= mKeyCount)
        return;
    if (index == mKeyCount - 1) {
        KFCurveKey* key = Key(index);
        if (HasAutoBit(key))
            key->SetDataDouble(eKFCurveRightDerivative, info.mAuto);
        return;
    }
    KeySetRightTangeantWeight(index, info.mWeight);
    KeySetRightTangeantWeightedMode(index, info.mWeighted);
    KeySetRightTangeantVelocity(index, info.mVelocity);
    KeySetRightTangeantVelocityMode(index, info.mHasVelocity);
    if (HasAutoBit(Key(index)))
        KeySetRightAuto(index, info.mAuto);
    else
        KeySetRightDerivative(index, info.mDerivative);
}

// ---- Weights and velocities ----

bool KFCurve::KeyIsLeftTangeantWeighted(int index) const
{
    if (index < 1 || index > mKeyCount)
        return false;
    const KFCurveKey* previous = Key(index - 1);
    // A TCB key's bias overlays the weight items.
    return (previous->GetFlags() & kFCurveWeightedNextLeft) != 0 && !IsTCB(previous);
}

bool KFCurve::KeyIsRightTangeantWeighted(int index) const
{
    if (index < 0 || index >= mKeyCount - 1)
        return false;
    const KFCurveKey* key = Key(index);
    return IsCubic(key) && (key->GetTangeantMode() & 0xD00) != 0 && (key->GetFlags() & kFCurveWeightedRight) != 0;
}

float KFCurve::KeyGetLeftTangeantWeight(int index) const
{
    if (!KeyIsLeftTangeantWeighted(index))
        return kFCurveDefaultWeight;
    return static_cast<float>(Key(index - 1)->GetDataDouble(eKFCurveNextLeftWeight));
}

float KFCurve::KeyGetRightTangeantWeight(int index) const
{
    if (!KeyIsRightTangeantWeighted(index))
        return kFCurveDefaultWeight;
    return static_cast<float>(Key(index)->GetDataDouble(eKFCurveRightWeight));
}

void KFCurve::KeySetLeftTangeantWeight(int index, float weight)
{
    if (index < 1)
        return;
    if (index <= mKeyCount) {
        KFCurveKey* previous = Key(index - 1);
        if (IsCubic(previous) && !IsTCB(previous)) {
            previous->SetFlags(previous->GetFlags() | kFCurveWeightedNextLeft);
            previous->SetDataDouble(eKFCurveNextLeftWeight, weight);
        }
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetRightTangeantWeight(int index, float weight)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    KFCurveKey* key = Key(index);
    if (IsCubic(key) && !IsTCB(key)) {
        key->SetFlags(key->GetFlags() | kFCurveWeightedRight);
        key->SetDataDouble(eKFCurveRightWeight, weight);
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetLeftTangeantWeightedMode(int index, bool weighted)
{
    if (index < 1 || index > mKeyCount)
        return;
    KFCurveKey* previous = Key(index - 1);
    if (!IsCubic(previous))
        return;
    if (!weighted)
        previous->SetFlags(previous->GetFlags() & ~kUInt(kFCurveWeightedNextLeft));
    else if (!IsTCB(previous))
        previous->SetFlags(previous->GetFlags() | kFCurveWeightedNextLeft);
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetRightTangeantWeightedMode(int index, bool weighted)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    KFCurveKey* key = Key(index);
    if (!IsCubic(key))
        return;
    if (!weighted)
        key->SetFlags(key->GetFlags() & ~kUInt(kFCurveWeightedRight));
    else if (!IsTCB(key))
        key->SetFlags(key->GetFlags() | kFCurveWeightedRight);
    CallbackAddEvent(kFCurveEventKey, index);
}

bool KFCurve::KeyIsLeftTangeantVelocity(int index) const
{
    if (index < 1 || index > mKeyCount)
        return false;
    return (Key(index - 1)->GetFlags() & kFCurveVelocityNextLeft) != 0;
}

bool KFCurve::KeyIsRightTangeantVelocity(int index) const
{
    if (index < 0 || index >= mKeyCount - 1)
        return false;
    const KFCurveKey* key = Key(index);
    return IsCubic(key) && (key->GetTangeantMode() & 0xD00) != 0 && (key->GetFlags() & kFCurveVelocityRight) != 0;
}

float KFCurve::KeyGetLeftTangeantVelocity(int index) const
{
    if (!KeyIsLeftTangeantVelocity(index))
        return 0.0f;
    return static_cast<float>(Key(index - 1)->GetDataDouble(eKFCurveNextLeftVelocity));
}

float KFCurve::KeyGetRightTangeantVelocity(int index) const
{
    if (!KeyIsRightTangeantVelocity(index))
        return 0.0f;
    return static_cast<float>(Key(index)->GetDataDouble(eKFCurveRightVelocity));
}

void KFCurve::KeySetLeftTangeantVelocity(int index, float velocity)
{
    if (index < 1)
        return;
    if (index <= mKeyCount) {
        KFCurveKey* previous = Key(index - 1);
        if (IsCubic(previous)) {
            previous->SetFlags(previous->GetFlags() | kFCurveVelocityNextLeft);
            previous->SetDataDouble(eKFCurveNextLeftVelocity, velocity);
        }
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetRightTangeantVelocity(int index, float velocity)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    KFCurveKey* key = Key(index);
    if (IsCubic(key)) {
        key->SetFlags(key->GetFlags() | kFCurveVelocityRight);
        key->SetDataDouble(eKFCurveRightVelocity, velocity);
    }
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetLeftTangeantVelocityMode(int index, bool velocity)
{
    if (index < 1 || index > mKeyCount)
        return;
    KFCurveKey* previous = Key(index - 1);
    if (!IsCubic(previous))
        return;
    previous->SetTangeantVelocityMode(velocity ? kUInt(kFCurveVelocityNextLeft) : 0u, kFCurveVelocityNextLeft);
    CallbackAddEvent(kFCurveEventKey, index);
}

void KFCurve::KeySetRightTangeantVelocityMode(int index, bool velocity)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    KFCurveKey* key = Key(index);
    if (!IsCubic(key))
        return;
    key->SetTangeantVelocityMode(velocity ? kUInt(kFCurveVelocityRight) : 0u, kFCurveVelocityRight);
    CallbackAddEvent(kFCurveEventKey, index);
}

// ---- Bezier handles ----

float KFCurve::KeyGetRightBezierTangeant(int index)
{
    const int count = mKeyCount;
    if (count == 0)
        return 0.0f;
    if (count == 1 || index < 0)
        return Key(0)->GetValue();
    if (index >= count - 1)
        return Key(count - 1)->GetValue();
    const KFCurveKey* key = Key(index);
    switch (key->GetInterpolation()) {
    case kFCurveInterpolationConstant:
        return key->GetValue();
    case kFCurveInterpolationLinear:
    case kFCurveInterpolationCubic:
        return static_cast<float>(key->GetValue() +
                                  KeyGetRightDerivative(index) * Seconds(key->GetTime(), Key(index + 1)->GetTime()) / 3.0);
    default:
        return 0.0f;
    }
}

float KFCurve::KeyGetLeftBezierTangeant(int index)
{
    const int count = mKeyCount;
    if (count == 0)
        return 0.0f;
    if (count == 1 || index <= 0)
        return Key(0)->GetValue();
    if (index >= count)
        return Key(count - 1)->GetValue();
    const KFCurveKey* key = Key(index);
    const KFCurveKey* previous = Key(index - 1);
    switch (previous->GetInterpolation()) {
    case kFCurveInterpolationConstant:
        return key->GetValue();
    case kFCurveInterpolationLinear:
    case kFCurveInterpolationCubic:
        return static_cast<float>(key->GetValue() -
                                  KeyGetLeftDerivative(index) * Seconds(previous->GetTime(), key->GetTime()) / 3.0);
    default:
        return 0.0f;
    }
}

void KFCurve::KeySetRightBezierTangeant(int index, float value)
{
    if (index < 0 || index >= mKeyCount - 1)
        return;
    const KFCurveKey* key = Key(index);
    const double dt = Seconds(key->GetTime(), Key(index + 1)->GetTime());
    KeySetRightDerivative(index, static_cast<float>(3.0 * (value - key->GetValue()) / dt));
}

void KFCurve::KeySetLeftBezierTangeant(int index, float value)
{
    if (index <= 0 || index >= mKeyCount)
        return;
    const KFCurveKey* key = Key(index);
    const double dt = Seconds(Key(index - 1)->GetTime(), key->GetTime());
    KeySetLeftDerivative(index, static_cast<float>(3.0 * (key->GetValue() - value) / dt));
}

// ---- Bulk changes of interpolation and tangent mode ----

// Key i's own left tangent is stored on key i-1 in a form that depends on key
// i's type, so it is captured before the change and written back after it
// too; otherwise, for instance, turning auto keys into user keys would read
// the stored auto values as derivatives.
void KFCurve::RetypeKey(int index, kUInt bits, bool tangentMode)
{
    const int count = mKeyCount;
    KFCurveKey* key = Key(index);
    const bool inner = index < count - 1;
    const double ownLeft = index > 0 ? KeyGetLeftDerivative(index) : 0.0;
    const double right = (inner || tangentMode) ? KeyGetRightDerivative(index) : 0.0;
    const double left = inner ? KeyGetLeftDerivative(index + 1) : 0.0;
    key->SetDataDouble(eKFCurveRightDerivative, 0.0f);
    key->SetDataDouble(eKFCurveNextLeftDerivative, 0.0f);
    if (tangentMode)
        key->SetTangeantMode(bits);
    else
        key->SetInterpolation(bits);
    key->SetTangeantVisibility(0);
    if (inner)
        Key(index + 1)->SetTangeantVisibility(0);
    if (index > 0) {
        // Silent: the key's own events follow.
        const bool eventsWereRecorded = mEventRecording;
        mEventRecording = false;
        KeySetLeftDerivative(index, static_cast<float>(ownLeft));
        mEventRecording = eventsWereRecorded;
    }
    KeySetRightDerivative(index, static_cast<float>(right));
    if (inner)
        KeySetLeftDerivative(index + 1, static_cast<float>(left));
    CallbackAddEvent(kFCurveEventKey, index);
    if (inner)
        CallbackAddEvent(kFCurveEventKey, index + 1);
}

void KFCurve::KeyTangeantSetInterpolation(bool selectedOnly, kUInt interpolation)
{
    mCandidateTime = KTIME_INFINITE;
    for (int i = mKeyCount - 1; i >= 0; --i) {
        const KFCurveKey* key = Key(i);
        if (selectedOnly && !key->GetSelected())
            continue;
        if (key->GetInterpolation() != (interpolation & kFCurveInterpolationMask))
            RetypeKey(i, interpolation, false);
    }
}

void KFCurve::KeyTangeantSetMode(bool selectedOnly, kUInt tangentMode)
{
    mCandidateTime = KTIME_INFINITE;
    for (int i = mKeyCount - 1; i >= 0; --i) {
        const KFCurveKey* key = Key(i);
        if (selectedOnly && !key->GetSelected())
            continue;
        if (key->GetTangeantMode() != (tangentMode & kFCurveTangentMask))
            RetypeKey(i, tangentMode, true);
    }
}

}  // namespace qelsdk_600
