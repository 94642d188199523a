// Helpers shared by every motion-capture reader and writer: the key that
// readers set, the take a read makes, the filters run after a read, the
// limits that keep counts read from a file from sizing memory, and the
// undoing of a failed read.
#ifndef QELSDK_MOTION_KQELMOTIONUTIL_H
#define QELSDK_MOTION_KQELMOTIONUTIL_H

#include <initializer_list>

#include "base/kstring.h"
#include "base/ktime.h"
#include "base/ktypes.h"
#include "io/kstreamoptionsmotion.h"

namespace qelsdk_600 {

class KFCurve;
class KQelNode;
class KQelScene;
class KQelSdkManager;
namespace motion_util {

// ---- Options ----

// The options as motion options, or null when they are none (or null).
KStreamOptionsMotion* MotionOptions(KStreamOptions* pOptions);
// True when the option is on (1); unset (-1) counts as off.
bool IsOn(const KStreamOptionsMotion& pOptions, KStreamOptionsMotion::EOption pOption);

// One default of a format's options.
struct OptionDefault {
    KStreamOptionsMotion::EOption mOption;
    KStreamOptionsMotion::EThreeStateOption mValue;
};
// Sets each default in turn.
void SetOptions(KStreamOptionsMotion& pOptions, std::initializer_list<OptionDefault> pDefaults);

// ---- Budgets and size checks ----

// The most keys one read may make, all curves together: 2^26 keys of 32
// bytes are 2 GB, what a 32-bit process can hold. A reader checks
// frames x curves against it before it reserves a single key, and fails
// with "File is corrupted" beyond it.
constexpr kLongLong kKeyBudget = kLongLong(1) << 26;

// True when pFrames x pCurves keys (both >= 0) stay within kKeyBudget;
// false for negative counts. No overflow for any input.
bool FitsKeyBudget(kLongLong pFrames, kLongLong pCurves);
// True when pCount items of at least pBytesEach bytes (both >= 0) can lie
// in pBytesLeft bytes; false for negative counts. No overflow.
bool FitsInBytes(kLongLong pCount, kLongLong pBytesEach, kLongLong pBytesLeft);
// The size in bytes of the file at pPath; -1 when it cannot be examined.
kLongLong FileSize(const char* pPath);

// ---- Keys ----

// Interpolations of the reader key: cubic (8) for values, constant (2) for
// occlusion and other step channels.
enum EKeyInterpolation : kUInt { eCubicKey = 8, eConstantKey = 2 };

// Sets every field of key pIndex (inside the room reserved by
// KeyModifyBegin): the time and value, the interpolation, tangent mode
// 0x100 (automatic), derivatives 0, weight mode 0, weights 0.33333334 and
// velocities 0.
void SetReaderKey(KFCurve& pCurve, int pIndex, KTime pTime, float pValue,
                  EKeyInterpolation pInterpolation = eCubicKey);

// Starts a key batch reserving pKeyCount keys on each of pCount curves
// (null entries count as failures). False when any reservation fails; then
// every batch begun here is ended again without keys.
bool BeginKeys(KFCurve* const* pCurves, int pCount, int pKeyCount);
// Ends the batch of each curve with pKeyCount keys: the number actually set,
// never more than were reserved.
void EndKeys(KFCurve* const* pCurves, int pCount, int pKeyCount);

// The global rotation filter (KFCURVE_GetRotationFilterToApply: 1 gimbal
// killer, 2 unroll) on the three rotation curves X, Y, Z taken together;
// nothing for other settings or when one curve is null.
void FilterRotation(KFCurve* pX, KFCurve* pY, KFCurve* pZ);
// The constant key reducer on each of pCount curves, when the global switch
// (KFCURVE_GetUseConstantKeyReducer) is on; null curves are skipped.
void ReduceConstantKeys(KFCurve* const* pCurves, int pCount);

// ---- Takes ----

// The take a file gives: its file name without directory and extension.
KString TakeNameOf(const char* pPath);
// Stores the take's information (the name, both time spans [pStart, pStop])
// in the scene, makes it the current take, and makes pMode the scene's time
// mode unless it is 0 (the global mode).
void SetReadTake(KQelScene& pScene, const KString& pName, KTime pStart, KTime pStop,
                 KTime::ETimeMode pMode);

// ---- Undoing a failed read ----

// Detaches the node from its parent (when it has one) and destroys it with
// its whole subtree and attributes through the manager. Null: nothing.
void DiscardNodeTree(KQelSdkManager& pManager, KQelNode* pNode);

// ---- Numbers ----

// floor(pValue + 0.5) ("halves up") when that is an int: false for NaN and
// values outside the int range, pResult then unchanged.
bool RoundHalfUp(double pValue, int& pResult);
// A decimal int at pText (leading blanks and a sign allowed), read in the
// "C" locale; pText moves past it. False, pText unchanged, when no number
// is there or it does not fit in an int.
bool ParseIntC(const char*& pText, int& pValue);
// A finite real number at pText (leading blanks allowed), read in the "C"
// locale whatever the process locale; pText moves past it. False, pText
// unchanged, otherwise (no number, "inf", "nan", overflow).
bool ParseRealC(const char*& pText, double& pValue);

// ---- Messages ----

// Shows pText under pTitle through the options' message callback of
// errors and warnings (index 1) with the one button "Ok".
void ShowOkMessage(KStreamOptions* pOptions, const char* pTitle, const char* pText);

}  // namespace motion_util
}  // namespace qelsdk_600

#endif
