// Helpers shared by every motion-capture reader and writer: the key that
// readers set, the take a read makes, the filters run after a read, the
// limits that keep counts read from a file from sizing memory, the undoing
// of a failed read, the sampling of a scene by writers, and the reader and
// writer bases that own one file object.
#ifndef QELSDK_MOTION_KQELMOTIONUTIL_H
#define QELSDK_MOTION_KQELMOTIONUTIL_H

#include <initializer_list>
#include <memory>

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "base/ktypes.h"
#include "io/kqelreader.h"
#include "io/kqelwriter.h"
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
// Stores the information of the take pName over pStart to pStop (both
// spans) in the scene and makes it the current take.
void SetTake(KQelScene& pScene, const KString& pName, KTime pStart, KTime pStop);
// Stores the take's information in the scene (the name; both time spans
// from the options' start over their frame count less one frame periods,
// the start alone without frames), makes it the current take, and, with
// pSetTimeMode, makes the options' time mode the scene's unless it is 0
// (the global mode).
void SetReadTake(KQelScene& pScene, const KString& pName, const KStreamOptionsMotion& pOptions, bool pSetTimeMode);

// ---- Nodes a read makes ----

// A new node named pName carrying a new optical marker.
KQelNode* CreateMarkerNode(KQelSdkManager& pManager, const char* pName);
// A new node named pName carrying a new skeleton of the limb-node kind, the
// kind every skeleton reader gives its joints.
KQelNode* CreateLimbNode(KQelSdkManager& pManager, const char* pName);
// A new node named pPrefix + ":optical" (pOptical) or pPrefix + ":reference",
// carrying a new optical reference.
KQelNode* CreateReferenceNode(KQelSdkManager& pManager, const char* pPrefix, bool pOptical);
// Destroys each node with its subtree and attributes (null entries skipped).
void DestroyNodes(KQelSdkManager& pManager, KArrayTemplate<KQelNode*>& pNodes);

// ---- Hanging a read's nodes in the scene ----

// True when no two nodes below pTop share a name; otherwise shows
// "Duplicate names found in <file name with extension>:" and the names
// (KQelReader::CheckDuplicateNodeNames) through the options' message
// callback, title "Error", and is false.
bool CheckReadNames(KQelReader& pReader, KQelNode* pTop, const char* pPath, KStreamOptions* pOptions);
// Hangs pReference under the scene's root with option 8 on; otherwise moves
// its first child there and destroys it. Returns what now hangs there for
// the read (to discard should the read fail later).
KQelNode* HangRead(KQelSdkManager& pManager, KQelScene& pScene, KQelNode* pReference,
                   const KStreamOptionsMotion& pOptions);

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

// True when pValue is finite and within the range of a key's value (a
// float).
bool FitsKey(double pValue);

// pValue with a negative zero made positive, so that "%g" never prints "-0".
inline double PrintedValue(double pValue)
{
    return pValue == 0.0 ? 0.0 : pValue;
}

// ---- Messages ----

// Shows pText under pTitle through the options' message callback of
// errors and warnings (index 1) with the one button pButton.
void ShowOkMessage(KStreamOptions* pOptions, const char* pTitle, const char* pText, const char* pButton = "Ok");
// "Cannot open file \"<path>\" for writing.", the text of a writer's error 1
// when its file cannot be created.
KString CannotOpenText(const char* pPath);

// ---- Sampling a scene (writers) ----

// The node a writer samples from: the scene's root with option 13
// ("ExportFromGlobalPosition") on, else the writer's FindRootNode, else
// the scene's root.
KQelNode* SamplingRoot(KQelWriter& pWriter, KQelScene& pScene, const KStreamOptionsMotion& pOptions);
// Depth first from pNode (included), children in order: every node whose own
// selected flag is set and that carries no optical reference. No tree depth
// can exhaust the call stack.
void CollectSelectedNodes(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode);
// Pins pRoot at the identity for sampling at pTime: the local states of its
// subtree from the current take at pTime, its global state the identity and
// stamped 1 above a subtree stamped 0, so that every global state computed
// with id 1 is relative to it.
void PinRoot(KQelNode* pRoot, KTime pTime);

}  // namespace motion_util

// A reader that owns one file object of class File (opened with "r"; a
// KTextFile or alike with Open returning 0 on success) and keeps its path.
// FileOpen closes a file already open; failures record error 3.
template <class File>
class KQelMotionFileReader : public KQelReader {
public:
    explicit KQelMotionFileReader(KQelSdkManager& pManager) : KQelReader(pManager) {}
    ~KQelMotionFileReader() override { mFile.reset(); }

    // False, error 3, when the file cannot be opened (no file is then open).
    bool FileOpen(const char* pFileName) override
    {
        if (mFile)
            FileClose();
        mFile.reset(new File());
        if (mFile->Open(pFileName, "r") != 0) {
            mFile.reset();
            mError.SetLastErrorID(eFileNotOpened);
            return false;
        }
        mFileName = pFileName;
        return true;
    }
    // False, error 3, when no file is open.
    bool FileClose() override
    {
        if (!mFile) {
            mError.SetLastErrorID(eFileNotOpened);
            return false;
        }
        mFile.reset();
        mFileName.Empty();
        return true;
    }
    bool IsFileOpen() override { return mFile != nullptr; }

protected:
    // pOptions (new, owned by the caller once returned) filled by the file's
    // ReadOptions; null, pOptions destroyed, with error 3 when no file is
    // open or 0 when the file refuses.
    KStreamOptionsMotion* ReadFileOptions(KStreamOptionsMotion* pOptions)
    {
        if (mFile && mFile->ReadOptions(pOptions))
            return pOptions;
        pOptions->Destroy();
        mError.SetLastErrorID(mFile ? eFileCorrupted : eFileNotOpened);
        return nullptr;
    }
    // The options of a read as motion options; null with error 3 when no
    // file is open, 6 when they are no motion options.
    KStreamOptionsMotion* ReadOptionsOf(KStreamOptions* pOptions)
    {
        KStreamOptionsMotion* options = motion_util::MotionOptions(pOptions);
        if (!mFile || !options)
            mError.SetLastErrorID(mFile ? eStreamOptionsNotSet : eFileNotOpened);
        return mFile ? options : nullptr;
    }

    std::unique_ptr<File> mFile;
    KString mFileName;
};

// A writer that owns one file object of class File (opened with "w").
// FileCreate first drops a file object left by an earlier call, and drops
// its new one when the file cannot be created (error 1 with
// CannotOpenText), so that IsFileOpen is false and Write fails with error 1.
template <class File>
class KQelMotionFileWriter : public KQelWriter {
public:
    explicit KQelMotionFileWriter(KQelSdkManager& pManager) : KQelWriter(pManager) {}
    ~KQelMotionFileWriter() override { mFile.reset(); }

    bool FileCreate(const char* pFileName) override
    {
        mFile.reset(new File());
        if (mFile->Open(pFileName, "w") == 0)
            return true;
        mFile.reset();
        mError.SetLastError(eFileNotOpened, motion_util::CannotOpenText(pFileName).Buffer());
        return false;
    }
    // False, error 1, when no file is open.
    bool FileClose() override
    {
        if (!mFile) {
            mError.SetLastErrorID(eFileNotOpened);
            return false;
        }
        mFile.reset();
        return true;
    }
    bool IsFileOpen() override { return mFile != nullptr; }

protected:
    // The options of a write as motion options; null with error 1 when no
    // file is open, 4 when they are no motion options.
    KStreamOptionsMotion* WriteOptionsOf(KStreamOptions* pOptions)
    {
        KStreamOptionsMotion* options = motion_util::MotionOptions(pOptions);
        if (!mFile || !options)
            mError.SetLastErrorID(mFile ? eStreamOptionsNotSet : eFileNotOpened);
        return mFile ? options : nullptr;
    }

    std::unique_ptr<File> mFile;
};
}  // namespace qelsdk_600

#endif
