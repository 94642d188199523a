// Options of the motion-capture formats: take, timing, ASF skeleton and
// three-state switches.
#ifndef QELSDK_IO_KSTREAMOPTIONSMOTION_H
#define QELSDK_IO_KSTREAMOPTIONSMOTION_H

#include "base/kstring.h"
#include "base/ktime.h"
#include "base/ktypes.h"
#include "object/kstreamoptions.h"

namespace qelsdk_600 {

// The option set of the motion readers and writers. It also carries the
// skeleton object that an ASF import or export hands to the following AMC
// one. The caller owns objects that a factory, a reader or a writer returns
// and releases them with Destroy.
class KStreamOptionsMotion : public KStreamOptions {
public:
    enum EOption : int {
        eTranslation = 0,
        eRotation = 1,
        eScaling = 2,
        eUnusedSegments = 3,
        eImportAsOpticalSegments = 4,
        eImportExactZeroAsOccluded = 5,
        eImportSetOccludedToLastValidPosition = 6,
        eImportActorPrefix = 7,
        eImportCreateReferenceNode = 8,
        eImportDummyNodes = 9,
        eImportLimits = 10,
        eExportGapsAsValidData = 11,
        eExportC3DRealFormat = 12,
        eExportFromGlobalPosition = 13,
        eExportRequireSingleRootNode = 14,
        eExportFrameRate = 15,
        eExportFrameRange = 16,
        eRenameDuplicateNames = 17,
        eOptionCount = 18
    };
    // Formats act only on eOn, so an unset option counts as off.
    enum EThreeStateOption : int { eUnset = -1, eOff = 0, eOn = 1 };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    // Defaults (Reset).
    KStreamOptionsMotion();
    // Runs Reset, which destroys an owned ASF scene.
    ~KStreamOptionsMotion() override;
    // Copies the callbacks, take name, start, frame count, time mode and
    // rate, the options and the ASF scene pointer. The copy does not own the
    // scene, except that an object keeps owning a scene it already owned
    // when the source points at that same scene; a scene it owned before is
    // otherwise destroyed. Self-assignment changes nothing.
    KStreamOptionsMotion& operator=(const KStreamOptionsMotion& pOther);

    KClassDefinition* GetClassDefinition() const override;

    // Default callbacks, empty take name, start 0, frame count 0, the global
    // time mode and its rate, owned ASF scene destroyed, no scene, all
    // options unset.
    void Reset() override;

    void SetTakeName(const KString& pName) { mTakeName = pName; }
    const KString& GetTakeName() const { return mTakeName; }
    void SetStart(KTime pStart) { mStart = pStart; }
    KTime GetStart() const { return mStart; }
    // A negative count is stored as 0.
    void SetFrameCount(int pCount);
    int GetFrameCount() const { return mFrameCount; }

    // A mode other than 0 is stored with its own rate (pRate ignored). Mode 0
    // with a finite positive rate stores the mode whose rate lies within
    // 0.001 of it (0 when none does, a custom rate) and the rate itself; mode
    // 0 with any other rate takes the global mode and its rate. A mode
    // outside the enumeration is refused: nothing changes.
    void SetTimeMode(KTime::ETimeMode pMode, double pRate = 0.0);
    KTime::ETimeMode GetTimeMode() const { return mTimeMode; }
    double GetFrameRate() const { return mFrameRate; }
    // One frame: of the stored mode, or 1 / rate seconds for mode 0. Never
    // shorter than one tick.
    KTime GetFramePeriod() const;

    // Points at the skeleton object; with pOwn the options destroy it
    // (Destroy) on Reset, on destruction or when another object replaces it.
    // Setting the object already held changes only the owner flag.
    void SetASFScene(KObject* pScene, bool pOwn);
    KObject* GetASFScene() const { return mAsfScene; }

    // Indices 0 to 17; others are ignored, answer eUnset and an empty name.
    void SetOption(EOption pOption, EThreeStateOption pValue);
    EThreeStateOption GetOption(EOption pOption) const;
    static const char* GetOptionName(EOption pOption);

private:
    KString mTakeName;
    KTime mStart;
    kInt mFrameCount;
    KTime::ETimeMode mTimeMode;
    double mFrameRate;
    KObject* mAsfScene;
    bool mOwnsAsfScene;
    EThreeStateOption mOptions[eOptionCount];
};

// A new KStreamOptionsMotion with its defaults; the caller owns it.
KStreamOptionsMotion* KStreamOptionsMotionCreate();

}  // namespace qelsdk_600

#endif
