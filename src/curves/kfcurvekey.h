// The key record of a function curve and the description of one tangent side.
#ifndef QELSDK_CURVES_KFCURVEKEY_H
#define QELSDK_CURVES_KFCURVEKEY_H

#include <cstring>

#include "base/ktime.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

// Flag bits of a key. Bit 0x100 is shared: "next" in the constant mode of a
// constant key, "auto" in the tangent mode of a cubic key.
enum : kUInt {
    kFCurveInterpolationConstant = 0x00000002,
    kFCurveInterpolationLinear = 0x00000004,
    kFCurveInterpolationCubic = 0x00000008,
    kFCurveInterpolationMask = 0x0000000E,

    kFCurveConstantStandard = 0x00000000,  // hold this key's value
    kFCurveConstantNext = 0x00000100,      // take the next key's value
    kFCurveConstantMask = 0x00000100,

    kFCurveTangentAuto = 0x00000100,
    kFCurveTangentTCB = 0x00000200,
    kFCurveTangentUser = 0x00000400,
    kFCurveTangentBreak = 0x00000800,
    kFCurveTangentAutoBreak = 0x00000900,
    kFCurveTangentUserBreak = 0x00000C00,
    kFCurveTangentMask = 0x00000F00,

    kFCurveSelected = 0x00010000,
    kFCurveFocus = 0x00080000,
    kFCurveSelectionMask = 0x000F0000,
    kFCurveTangentVisibilityMask = 0x00300000,

    kFCurveWeightedRight = 0x01000000,
    kFCurveWeightedNextLeft = 0x02000000,
    kFCurveWeightedMask = 0x03000000,

    kFCurveVelocityRight = 0x10000000,
    kFCurveVelocityNextLeft = 0x20000000,
    kFCurveVelocityMask = 0x30000000
};

// Data items of a key. Items 0 and 1 are floats; items 2 to 5 are 16-bit
// fixed point (value x 9999). A TCB key keeps tension, continuity and bias as
// the raw floats 0, 1 and 2 (float 2 overlays items 2 and 3).
enum EKFCurveDataIndex {
    eKFCurveRightDerivative = 0,
    eKFCurveNextLeftDerivative = 1,
    eKFCurveRightWeight = 2,
    eKFCurveNextLeftWeight = 3,
    eKFCurveRightVelocity = 4,
    eKFCurveNextLeftVelocity = 5,
    eKFCurveTCBTension = 0,
    eKFCurveTCBContinuity = 1,
    eKFCurveTCBBias = 2
};

// Weight of an unweighted tangent side: one third of the segment.
constexpr float kFCurveDefaultWeight = 0.33333334f;
// Stored weights are clamped into [kFCurveMinWeight, kFCurveMaxWeight].
constexpr float kFCurveMinWeight = 0.00010001f;
constexpr float kFCurveMaxWeight = 0.99f;
constexpr double kFCurveFixedPointScale = 9999.0;

// One key: value, time, flags and tangent data in exactly 32 bytes. A plain
// record: no constructor logic, copied by value, no accessor checks its
// argument. The left tangent of key i lives on key i-1 ("next left" items).
class KFCurveKey {
public:
    // Sets every field in this order and clears the tangent visibility.
    // weightMode is masked to kFCurveWeightedMask; weights are clamped.
    void Set(KTime time, float value, kUInt interpolation = kFCurveInterpolationCubic,
             kUInt tangentMode = kFCurveTangentAuto, float rightDerivative = 0.0f,
             float nextLeftDerivative = 0.0f, kUInt weightMode = 0,
             float rightWeight = kFCurveDefaultWeight, float nextLeftWeight = kFCurveDefaultWeight,
             float rightVelocity = 0.0f, float nextLeftVelocity = 0.0f)
    {
        SetTime(time);
        SetValue(value);
        SetInterpolation(interpolation);
        SetTangeantMode(tangentMode);
        SetDataDouble(eKFCurveRightDerivative, rightDerivative);
        SetDataDouble(eKFCurveNextLeftDerivative, nextLeftDerivative);
        SetTangeantWeightMode(weightMode, kFCurveWeightedMask);
        SetDataDouble(eKFCurveRightWeight, rightWeight);
        SetDataDouble(eKFCurveNextLeftWeight, nextLeftWeight);
        SetDataDouble(eKFCurveRightVelocity, rightVelocity);
        SetDataDouble(eKFCurveNextLeftVelocity, nextLeftVelocity);
        SetTangeantVisibility(0);
    }

    // A cubic TCB key: tension, continuity and bias stored as raw floats.
    void SetTCB(KTime time, float value, float tension, float continuity, float bias)
    {
        SetTime(time);
        SetValue(value);
        SetInterpolation(kFCurveInterpolationCubic);
        SetTangeantMode(kFCurveTangentTCB);
        SetDataFloat(eKFCurveTCBTension, tension);
        SetDataFloat(eKFCurveTCBContinuity, continuity);
        SetDataFloat(eKFCurveTCBBias, bias);
        SetTangeantVisibility(0);
    }

    // Copies all 32 bytes of another key.
    void Set(const KFCurveKey& other) { *this = other; }
    // Zeroes value, time and flags; the data items keep their contents.
    void Init()
    {
        mValue = 0.0f;
        mTime = 0;
        mFlags = 0;
    }

    kUInt GetInterpolation() const { return mFlags & kFCurveInterpolationMask; }
    // Turning a non-cubic key cubic resets both weights to one third and both
    // velocities to 0, and clears the weight and velocity bits.
    void SetInterpolation(kUInt interpolation)
    {
        if (GetInterpolation() != kFCurveInterpolationCubic &&
            (interpolation & kFCurveInterpolationMask) == kFCurveInterpolationCubic) {
            SetTangeantWeightMode(0, kFCurveWeightedMask);
            SetDataDouble(eKFCurveRightWeight, kFCurveDefaultWeight);
            SetDataDouble(eKFCurveNextLeftWeight, kFCurveDefaultWeight);
            SetTangeantVelocityMode(0, kFCurveVelocityMask);
            SetDataDouble(eKFCurveRightVelocity, 0.0f);
            SetDataDouble(eKFCurveNextLeftVelocity, 0.0f);
        }
        ReplaceBits(kFCurveInterpolationMask, interpolation);
    }
    kUInt GetConstantMode() const { return mFlags & kFCurveConstantMask; }
    void SetConstantMode(kUInt mode) { ReplaceBits(kFCurveConstantMask, mode); }
    kUInt GetTangeantMode() const { return mFlags & kFCurveTangentMask; }
    void SetTangeantMode(kUInt mode) { ReplaceBits(kFCurveTangentMask, mode); }
    kUInt GetTangeantVisibility() const { return mFlags & kFCurveTangentVisibilityMask; }
    void SetTangeantVisibility(kUInt visibility) { ReplaceBits(kFCurveTangentVisibilityMask, visibility); }

    // Weight and velocity bits; the mask is first reduced to its group.
    kUInt GetTangeantWeightMode() const { return mFlags & kFCurveWeightedMask; }
    void SetTangeantWeightMode(kUInt bits, kUInt mask = kFCurveWeightedMask)
    {
        ReplaceBits(mask & kFCurveWeightedMask, bits);
    }
    kUInt GetTangeantVelocityMode() const { return mFlags & kFCurveVelocityMask; }
    void SetTangeantVelocityMode(kUInt bits, kUInt mask = kFCurveVelocityMask)
    {
        ReplaceBits(mask & kFCurveVelocityMask, bits);
    }

    // Items 0-1: the float. Items 2-5: the fixed-point value / 9999.
    double GetDataDouble(int item) const
    {
        if (item < 2)
            return mData[item];
        return FixedAt(item) / kFCurveFixedPointScale;
    }
    // Items 0-1 store the float. Items 2-5 store trunc(value x 9999), float
    // rounding forgiven (ToFixed) so that a value read back and stored again
    // is unchanged; weights (2, 3) are first clamped into [0.00010001, 0.99].
    // A velocity whose scaled value leaves the 16-bit range saturates.
    void SetDataDouble(int item, float value)
    {
        if (item < 2) {
            mData[item] = value;
            return;
        }
        if (item < 4) {
            if (value > kFCurveMaxWeight)
                value = kFCurveMaxWeight;
            if (!(value >= kFCurveMinWeight))  // NaN too
                value = kFCurveMinWeight;
        }
        SetFixedAt(item, ToFixed(static_cast<double>(value) * kFCurveFixedPointScale));
    }
    // Raw float at data offset 4 x item (TCB parameters).
    float GetDataFloat(int item) const { return mData[item]; }
    void SetDataFloat(int item, float value) { mData[item] = value; }
    // Address of data item 0.
    float* GetDataPtr() { return mData; }
    const float* GetDataPtr() const { return mData; }

    float GetValue() const { return mValue; }
    void SetValue(float value) { mValue = value; }
    void IncValue(float delta) { mValue += delta; }
    void MultValue(float factor) { mValue *= factor; }
    KTime GetTime() const { return KTime(mTime); }
    void SetTime(KTime time) { mTime = time.Get(); }
    // 64-bit addition, wrapping.
    void IncTime(KTime delta) { mTime = (KTime(mTime) + delta).Get(); }

    // Scales both stored derivatives of a cubic user key (mode 0x400 or
    // 0xC00); other keys are unchanged.
    void MultTangeant(float factor)
    {
        const kUInt mode = GetTangeantMode();
        if (GetInterpolation() != kFCurveInterpolationCubic ||
            (mode != kFCurveTangentUser && mode != kFCurveTangentUserBreak))
            return;
        SetDataDouble(eKFCurveRightDerivative, mData[0] * factor);
        SetDataDouble(eKFCurveNextLeftDerivative, mData[1] * factor);
    }

    // Selecting clears the whole selection group (focus included) first.
    void SetSelected(bool selected)
    {
        mFlags &= ~kUInt(kFCurveSelectionMask);
        if (selected)
            mFlags |= kFCurveSelected;
    }
    bool GetSelected() const { return (mFlags & kFCurveSelected) != 0; }
    void SetFocus(bool focus) { SetBit(kFCurveFocus, focus); }
    bool GetFocus() const { return (mFlags & kFCurveFocus) != 0; }
    void SetBreak(bool broken) { SetBit(kFCurveTangentBreak, broken); }
    bool GetBreak() const { return (mFlags & kFCurveTangentBreak) != 0; }

    // All flag bits at once (storage and filters).
    kUInt GetFlags() const { return mFlags; }
    void SetFlags(kUInt flags) { mFlags = flags; }

private:
    void ReplaceBits(kUInt mask, kUInt bits) { mFlags = (mFlags & ~mask) | (bits & mask); }
    void SetBit(kUInt bit, bool on) { mFlags = on ? (mFlags | bit) : (mFlags & ~bit); }
    // Truncation toward zero, forgiving 0.002 of a step: a value read back
    // as a float lands a hair below its step, and plain truncation would
    // lower it by one step at every read-and-store round trip (as key
    // removal does with the tangents of the keys around it). Saturates
    // instead of leaving the 16-bit range; NaN gives 0.
    static kShort ToFixed(double scaled)
    {
        if (scaled >= 32767.0)
            return 32767;
        if (scaled <= -32768.0)
            return -32768;
        if (!(scaled == scaled))
            return 0;
        return static_cast<kShort>(scaled < 0.0 ? scaled - 0.002 : scaled + 0.002);
    }
    // Item k (2..5) is the 16-bit value at data byte offset 8 + 2 (k - 2).
    kShort FixedAt(int item) const
    {
        kShort value;
        std::memcpy(&value, reinterpret_cast<const unsigned char*>(mData) + 8 + 2 * (item - 2), sizeof value);
        return value;
    }
    void SetFixedAt(int item, kShort value)
    {
        std::memcpy(reinterpret_cast<unsigned char*>(mData) + 8 + 2 * (item - 2), &value, sizeof value);
    }

    // The 64-bit time first, so that nothing pads the record. A key made on
    // the stack starts all zeros, so Set never keeps stray flag bits.
    kLongLong mTime = 0;
    float mValue = 0.0f;
    kUInt mFlags = 0;
    float mData[4] = {};
};

static_assert(sizeof(KFCurveKey) == 32, "a key record is 32 bytes");

// One side of a key's tangent, carried across key removal and insertion.
struct KFCurveTangeantInfo {
    KFCurveTangeantInfo()
        : mDerivative(0.0f),
          mWeight(kFCurveDefaultWeight),
          mWeighted(false),
          mVelocity(0.0f),
          mHasVelocity(false),
          mAuto(0.0f)
    {
    }

    float mDerivative;  // value units per second
    float mWeight;
    bool mWeighted;
    float mVelocity;
    bool mHasVelocity;
    float mAuto;  // the auto form of the tangent
};

}  // namespace qelsdk_600

#endif
