// Options of the native format: what to read or write, takes, password.
#ifndef QELSDK_IO_KSTREAMOPTIONSQEL_H
#define QELSDK_IO_KSTREAMOPTIONSQEL_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"
#include "object/kstreamoptions.h"

namespace qelsdk_600 {

class KQelSceneInfo;
class KQelTakeInfo;

// The option set that the native reader hands out (filled from a file's
// header extension) and that the native writers read. The caller that gets
// one from KStreamOptionsQelCreate, a reader or a writer owns it and
// releases it with Destroy.
class KStreamOptionsQel : public KStreamOptions {
public:
    // Switches that gate the blocks read and written.
    enum EOption : int {
        eModelAttribute = 0,         // node attributes (mesh, camera, light, ...)
        eMaterial = 1,
        eTexture = 2,                // textures and the media section
        eVideo = 3,
        eLink = 4,                   // skin links and deformers
        eShape = 5,
        eGobo = 6,
        eAnimation = 7,              // takes and their curves
        eCharacter = 8,              // characters, control sets, poses
        eGlobalSettings = 9,         // global light, camera and time settings
        ePivot = 10,
        eMergeLayerAndTimeWarp = 11, // bake layers and time warps while reading
        eEmbedMedia = 12,            // embed media files in the written file
        eOptionCount = 13
    };
    // Counts of the file's "ContentCount" block: "Model", "Device",
    // "Character", "Actor", "Constraint", "Media".
    enum EContentCount : int {
        eContentModel = 0,
        eContentDevice = 1,
        eContentCharacter = 2,
        eContentActor = 3,
        eContentConstraint = 4,
        eContentMedia = 5,
        eContentCountTotal = 6
    };

    static int ClassId;
    static KClassDefinition ClassDefinition;

    // Defaults (Reset).
    KStreamOptionsQel();
    // Frees the take records; the scene information is left alone.
    ~KStreamOptionsQel() override;
    // Copies the callbacks, the switches, the counts, the take name, the
    // password and its flag, the template flag, the scene information
    // pointer (the same object) and deep copies of the take records.
    // Assigning an object to itself changes nothing.
    KStreamOptionsQel& operator=(const KStreamOptionsQel& pOther);

    KClassDefinition* GetClassDefinition() const override;

    // Default callbacks; take records freed; empty take name and password;
    // no scene information, not protected, not a template; switches 0 to 10
    // on, 11 and 12 off; all counts 0.
    void Reset() override;

    // Outside 0 to 12: the set is ignored and the get answers false.
    void SetOption(EOption pOption, bool pValue);
    bool GetOption(EOption pOption) const;
    // Outside 0 to 5: the set is ignored and the get answers 0.
    void SetContentCount(EContentCount pCount, int pValue);
    int GetContentCount(EContentCount pCount) const;

    // Plain members read and written by the front ends and the native
    // reader and writers.
    // The file's takes; the records are owned by the options.
    KArrayTemplate<KQelTakeInfo*> mTakeInfo;
    KString mCurrentTakeName;
    // Not owned: whoever replaces it destroys the old one through the
    // manager that made it.
    KQelSceneInfo* mSceneInfo;
    bool mIsPasswordProtected;
    KString mPassword;
    // The file's "Template" value.
    bool mIsTemplate;

private:
    bool mOptions[eOptionCount];
    kInt mContentCounts[eContentCountTotal];
};

// A new KStreamOptionsQel with its defaults; the caller owns it.
KStreamOptionsQel* KStreamOptionsQelCreate();

}  // namespace qelsdk_600

#endif
