// Videos: the media file (still image or clip) that textures and lights show.
#ifndef QELSDK_CONTENT_KQELVIDEO_H
#define QELSDK_CONTENT_KQELVIDEO_H

#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelVideo;

// The enumerations of KQelVideo, apart so that its property set can use them
// before the video is declared. Values outside a list are stored as given.
class KQelVideoTypes {
public:
    // Where the clip is kept while it plays.
    enum EInterlaceMode : int { eDisk = 0, eMemory = 1, eDiskAsync = 2 };
    // Which fields or frames are read.
    enum EAccessMode : int {
        eNone = 0,
        eFields = 1,
        eHalfFrameEven = 2,
        eHalfFrameOdd = 3,
        eFullFrameEven = 4,
        eFullFrameOdd = 5,
        eFullFrameEvenOdd = 6,
        eFullFrameOddEven = 7
    };
};

// Properties of a video before "Path" and after it, in registration order;
// none is animatable.
#define QEL_VIDEO_PROPERTIES_BEFORE_PATH(V, E, L, A) \
    V(double, FrameRate, "FrameRate", 0.0, 0)        \
    V(int, LastFrame, "LastFrame", 0, 0)             \
    V(int, Width, "Width", 0, 0)                     \
    V(int, Height, "Height", 0, 0)
#define QEL_VIDEO_PROPERTIES_AFTER_PATH(V, E, L, A)                                                        \
    V(int, StartFrame, "StartFrame", 0, 0)                                                                 \
    V(int, StopFrame, "StopFrame", 0, 0)                                                                   \
    V(double, PlaySpeed, "PlaySpeed", 1.0, 0)                                                              \
    V(::qelsdk_600::KTime, Offset, "Offset", ::qelsdk_600::KTime(), 0)                                     \
    E(::qelsdk_600::KQelVideoTypes::EInterlaceMode, InterlaceMode, "InterlaceMode", InterlaceModeAsString, \
      ::qelsdk_600::KQelVideoTypes::eDisk, 0)                                                              \
    V(bool, FreeRunning, "FreeRunning", false, 0)                                                          \
    V(bool, Loop, "Loop", false, 0)                                                                        \
    E(::qelsdk_600::KQelVideoTypes::EAccessMode, AccessMode, "AccessMode", AccessModeAsString,             \
      ::qelsdk_600::KQelVideoTypes::eNone, 0)

// The property set of a video: everything a video holds. "Path" (a text
// property) reads and writes the path field through PathGet and PathSet.
// Connected as a source of a texture's or node's set, it hands its file
// names to that object and registers the video with the scene downstream.
class KQelVideoProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelVideoProperties)

public:
    explicit KQelVideoProperties(KQelVideo* pOwner);
    // Does not free the path: Destroy does.
    ~KQelVideoProperties() override;

    // Frees the path, then Destruct and deletion.
    void Destroy(int pLocal = 0) override;

    // "Disk", "Memory", "Disk Async"; null for other values.
    static const char* InterlaceModeAsString(KQelVideoTypes::EInterlaceMode pValue);
    // "None", "Fields", "Half Frame Even", "Half Frame Odd", "Full Frame Even",
    // "Full Frame Odd", "Full Frame Even/Odd", "Full Frame Odd/Even"; null for
    // other values.
    static const char* AccessModeAsString(KQelVideoTypes::EAccessMode pValue);

    // On connection as a source (action 5) to the set of a scene object:
    // a texture takes the video's file name, relative file name and object
    // name (as media name); a node with a light gives the light the file
    // name. Then the first node among the destinations of that set (in
    // order) registers the video with its object store, unless the store
    // holds a video of this name. Then KObject's reaction, whose answer it
    // returns.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override;

    // The owning video, as the container.
    KQelTakeNodeContainer* GetKQelVideo() { return GetKQelObject(); }

    QEL_PROPERTY_SET_BODY(QEL_VIDEO_PROPERTIES_BEFORE_PATH)
    // Copies the text (null: empty) into the path field, growing it only for
    // a longer text. When memory cannot be had the old path stays.
    virtual void PathSet(char* pPath);
    // The path field: null until a path was set.
    virtual char* PathGet() { return mPath; }
    KPropertyTemplate<char*> Path;
    QEL_PROPERTY_SET_BODY(QEL_VIDEO_PROPERTIES_AFTER_PATH)

private:
    friend class KQelVideo;

    bool mMipMap;
    bool mKeepFormat;
    KString mOriginalFilename;
    char* mPath;  // from malloc, owned; null until a path was set
    KString mRelativeFileName;
};

// A video of name space 5 ("Video::"): a media file by absolute and
// relative path, its clip settings, and how an embedded image was stored
// (kept in its own format, or converted to TIFF from a named file).
// Everything but the set pointer lives in the property set. Textures whose
// set has the video's set as a source follow its file names. Made and
// destroyed by the manager only (CreateKQelVideo). All videos share one
// error record (smError, one message: 0 "Error"), set only by the take
// operations.
class KQelVideo : public KQelTakeNodeContainer, public KQelVideoTypes {
public:
    static KError smError;

    // The property set, the take "Default", then Init.
    KQelVideo(KQelSdkManager& pManager, const char* pName);
    // Destroys the property set (and the path), then the takes.
    ~KQelVideo() override;

    // ---- Overrides ----

    // Tears down the property set's connections and properties.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return eVideo; }
    KQelVideoProperties* GetPropertyHandler() override { return mProperties; }
    // "Clip".
    KString GetTypeName() override;
    // One entry, "Clip" (reference 0).
    KStringList GetTypeFlags() override;
    // The channels of every animatable property (user properties only: the
    // video's own are not animatable).
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // ---- Life ----

    // Mip-map off, original format kept, no original file name.
    void Init();
    // The container's Reset, then Init; paths and properties stay.
    void Reset();

    // ---- Files ----

    // Null or empty: false. The same name again: true, nothing changes.
    // Otherwise stores it and gives it to every texture connected to the
    // video (its destinations); true. False, the old name kept, when memory
    // for it cannot be had.
    bool SetFileName(const char* pName);
    // Null until a file name was set.
    const char* GetFileName() const;
    // The same for the relative file name ("" when none).
    bool SetRelativeFileName(const char* pName);
    const char* GetRelativeFileName() const;

    // ---- Clip settings ----

    // Read through the properties' getters.
    double GetFrameRate();
    int GetLastFrame();
    int GetWidth();
    int GetHeight();
    int GetStartFrame();
    int GetStopFrame();
    double GetPlaySpeed();
    KTime GetOffset();
    bool GetFreeRunning();
    bool GetLoop();
    // Written through the properties' setters, with change notification;
    // no clamping.
    void SetStartFrame(int pFrame);
    void SetStopFrame(int pFrame);
    void SetPlaySpeed(double pSpeed);
    void SetOffset(KTime pOffset);
    void SetFreeRunning(bool pFreeRunning);
    void SetLoop(bool pLoop);
    void SetInterlaceMode(EInterlaceMode pMode);
    void SetAccessMode(EAccessMode pMode);
    // The stored values.
    EInterlaceMode GetInterlaceMode() const;
    EAccessMode GetAccessMode() const;

    // ---- Embedded images ----

    void ImageTextureSetMipMap(bool pMipMap) { mProperties->mMipMap = pMipMap; }
    bool ImageTextureGetMipMap() const { return mProperties->mMipMap; }
    // True: the embedded image stays in its own format; false: it was
    // converted to TIFF when written.
    void SetOriginalFormat(bool pKeepFormat) { mProperties->mKeepFormat = pKeepFormat; }
    bool GetOriginalFormat() const { return mProperties->mKeepFormat; }
    // The image file's name before conversion (null: empty).
    void SetOriginalFilename(const char* pName);
    const char* GetOriginalFilename() const { return mProperties->mOriginalFilename.Buffer(); }

    // The class id of KQelVideoProperties.
    int GetClassID() const;

    KError& GetError() { return smError; }
    int GetLastErrorID() const { return smError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return smError.GetLastErrorString(); }

private:
    // Gives the file name (pRelative false) or the relative file name to
    // every texture among the set's destinations.
    void UpdateTextures(bool pRelative);

    KQelVideoProperties* mProperties;
};

}  // namespace qelsdk_600

#endif
