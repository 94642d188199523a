// The marker-motion formats (TRC, AOA, MCD, C3D): the interface of their
// file classes and the reader and writer bases that do the scene work for
// all of them.
#ifndef QELSDK_MOTION_KQELMOTIONBASE_H
#define QELSDK_MOTION_KQELMOTIONBASE_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "io/kqelreader.h"
#include "io/kqelwriter.h"
#include "math/kqelvector.h"
#include "object/ikobject.h"

namespace qelsdk_600 {

class KQelNode;
class KQelScene;
class KQelSdkManager;
class KStreamOptions;
class KStreamOptionsMotion;

// A marker file, read or written one part at a time. A marker sample is a
// KQelVector4: x, y, z in the file's units and w the occlusion flag (1.0
// occluded, 0.0 visible; written as visible when 0.5 or less). A file class
// derives from its reading engine first and from this interface second;
// readers and writers hold and call only the interface.
class IQelFileMotionBase : public IKObject {
public:
    enum { kInterfaceId = 39402 };

    // The interface itself for the ids 0 and 39402, null for any other.
    IKObject* IQuery(unsigned long pInterfaceId, int pReserved) override;
    // Deletes the whole file object.
    void Destroy(int pLocal = 0) override;

    // Opens the path with a C mode ("r", "w", "rb", "wb"); 0 when open,
    // non-zero when it cannot be opened.
    virtual int Open(const char* pPath, const char* pMode) = 0;
    // Closes the file; 0 when it was open and closed cleanly.
    virtual int Close() = 0;

    // Reads (again, from the top) the header: marker count, start time
    // (left unchanged when the format has none), frame count, frame rate and
    // the factor that turns the file's coordinates into centimetres. False
    // for a header that cannot be read or whose counts the file cannot hold.
    virtual bool ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                            double& pScale) = 0;
    // Fills the names of pNames, which holds one empty string per marker;
    // pActorPrefix keeps the actor prefix where the format has one. False
    // when the names cannot be read.
    virtual bool ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool pActorPrefix) = 0;
    // Reads the next frame and appends one sample per point found in it
    // (there may be more or fewer than pMarkerCount). pTime and pFrame
    // receive the frame's time and number where the format says them;
    // pExactZeroAsOccluded makes a point at exactly (0, 0, 0) occluded
    // where the format supports it. False when no frame can be read.
    virtual bool ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount, KTime& pTime,
                                    int& pFrame, KTime pPeriod, bool pExactZeroAsOccluded) = 0;
    // True when the file ends properly.
    virtual bool ReadFooter() = 0;

    // The writing counterparts, called once each in this order (frames once
    // per frame, numbered from 1). pScale below 0 asks for floating-point
    // data where the format offers a choice. Each answers false when the
    // file could not be written.
    virtual bool PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate,
                             double pScale) = 0;
    virtual bool PrintAnimationHeader(KArrayTemplate<KString*>& pNames) = 0;
    virtual bool PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime pTime, int pFrame) = 0;
    virtual bool PrintFooter() = 0;

protected:
    ~IQelFileMotionBase() override {}
};

// A new file object of class File opened on pPath with the C mode pMode,
// or null (the object destroyed again) when it cannot be opened.
template <class File>
IQelFileMotionBase* OpenMotionFile(const char* pPath, const char* pMode)
{
    File* file = new File();
    if (file->Open(pPath, pMode) == 0)
        return file;
    file->Destroy(0);
    return nullptr;
}

// Reader of the marker files: reads the header into options, reads every
// frame into memory, then makes one optical marker node per marker under
// one optical-reference node (named prefix + ":optical" with option 4 on,
// prefix + ":reference" otherwise) and one take, named after the file, of
// translation (cm) and occlusion curves. The file work goes through the
// file object made by the derived reader's CreateFileObject.
//
// Errors (KQelReader table): 0 "File is corrupted" for every format fault,
// duplicate names and a file whose keys would pass the key budget of
// kqelmotionutil.h; 3 "File not opened"; 6 "Stream options not set". A read
// that fails leaves the scene as it was.
class KQelReaderMotionBase : public KQelReader {
public:
    // The description (e.g. "Motion Analysis TRC File Importer") and the
    // node-name prefix ("TRC", "C3D", "AOA", "MCD") of the format.
    KQelReaderMotionBase(KQelSdkManager& pManager, const char* pDescription, const char* pPrefix);
    // Closes an open file.
    ~KQelReaderMotionBase() override;

    // Closes a file already open, then opens this one; false, error 3, when
    // it cannot be opened.
    bool FileOpen(const char* pFileName) override;
    // False, error 3, when no file is open.
    bool FileClose() override;
    bool IsFileOpen() override;
    // A new KStreamOptionsMotion (the caller owns it) with the header's start
    // time, frame count and frame rate and the format's option defaults;
    // null with error 3 (no file) or 0 (bad header). pParseFile is not used.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    // Reads the open file into the scene under the options (options 4, 5, 6,
    // 7, 17, the start, frame count, frame period and time mode). A file of 0
    // markers reads as true and adds nothing.
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    const KString& GetDescription() const { return mDescription; }

protected:
    // The frames read, in centimetres, kept compactly (see the .cpp).
    struct Samples;

    // A new file object opened for reading pPath, or null.
    virtual IQelFileMotionBase* CreateFileObject(const char* pPath) = 0;
    // Puts the format's option defaults into pOptions.
    virtual void SetReadOptions(KStreamOptionsMotion* pOptions) = 0;

    // Appends pCount new empty strings (owned by the array's user).
    void CreateNameArray(KArrayTemplate<KString*>& pNames, int pCount);
    // One optical marker node per name, then pExtraCount more named
    // "*Unnamed_" + (k + name count + 1).
    void CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes, KArrayTemplate<KString*>& pNames,
                         int pExtraCount);
    // Makes the optical-reference node (into pReference), hangs the marker
    // nodes under it and it under the scene's root. When two markers share a
    // name: the "Error" message listing them, nothing attached to the scene,
    // and false; the caller then destroys pReference with the markers.
    bool InsertNodeArrayInScene(KStreamOptionsMotion* pOptions, KQelScene& pScene,
                                KArrayTemplate<KQelNode*>& pNodes, KQelNode*& pReference);
    // The take pTakeName on every node with translation and occlusion keys
    // from the samples, one per frame from pStart every pPeriod. False when
    // key room cannot be reserved (nothing is then keyed).
    bool CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes,
                         const KString& pTakeName, const Samples& pSamples, KTime pStart, KTime pPeriod,
                         int pFrameCount);
    // Every point of pCurrent occluded (w 1.0) that pPrevious also holds
    // takes pPrevious's x, y, z; w stays 1.0.
    void UpdateOccludedAnimationData(KArrayTemplate<KQelVector4>& pCurrent,
                                     KArrayTemplate<KQelVector4>& pPrevious);
    // Frees the samples.
    void DestroySamples(Samples& pSamples);

    IQelFileMotionBase* GetFileObject() const { return mFileObject; }
    // The path given to FileOpen; empty while no file is open.
    const KString& GetFileName() const { return mFileName; }

private:
    // What ReadHeader gives.
    struct Header {
        int mMarkerCount = 0;
        KTime mStart;
        int mFrameCount = 0;
        double mFrameRate = 0.0;
        double mScale = 1.0;
    };
    // ReadHeader of the open file; false with error 3 (no file) or 0.
    bool ReadFileHeader(Header& pHeader);
    // Reads every frame into pSamples (steps of Read); false on a bad frame.
    bool ReadFrames(KStreamOptionsMotion& pOptions, int pMarkerCount, int pFrameCount, double pScale,
                    KTime pPeriod, Samples& pSamples, int& pExtraCount);
    // Makes the names unique (option 17), reporting the renamed ones.
    void RenameDuplicates(KStreamOptionsMotion& pOptions, KArrayTemplate<KString*>& pNames);

    IQelFileMotionBase* mFileObject;
    KString mFileName;
    KString mDescription;
    KString mPrefix;
};

// Writer of the marker files: collects the selected nodes (those carrying
// an optical reference skipped), samples their global positions and
// occlusion on the options' frame grid (start + (n - 1) x period for
// n = 1 .. frame count) and hands header, names and frames to the file
// object made by the derived writer's CreateFileObject.
//
// Errors (KQelWriter table): 1 "File not opened" (FileCreate's own text
// names the path); 3 "Out of disk space" when the file object could not
// write; 4 "Stream options not set"; 5 with a text naming the limit (also
// left as the message) when CheckWriteLimits refuses the scene, before
// anything is written.
class KQelWriterMotionBase : public KQelWriter {
public:
    KQelWriterMotionBase(KQelSdkManager& pManager, const char* pDescription);
    // Closes an open file.
    ~KQelWriterMotionBase() override;

    // False with error 1 and the text "Cannot open file \"<path>\" for
    // writing." when the file cannot be created. A file left open by an
    // earlier call is closed first.
    bool FileCreate(const char* pFileName) override;
    // False, error 1, when no file is open.
    bool FileClose() override;
    bool IsFileOpen() override;
    // A new KStreamOptionsMotion (the caller owns it) with the format's
    // defaults.
    KStreamOptions* GetWriteOptions() override;
    // Writes the scene under the options (11, 12, 13, the start, frame
    // count, rate and period). Option 13 samples from the scene's root,
    // otherwise from FindRootNode (the root when it finds none). Bakes the
    // root's pivots into its animation (ResetPivotSetAndConvertAnimation).
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    const KString& GetDescription() const { return mDescription; }

protected:
    // A new file object created for writing pPath, or null.
    virtual IQelFileMotionBase* CreateFileObject(const char* pPath) = 0;
    // Puts the format's option defaults into pOptions.
    virtual void SetWriteOptions(KStreamOptionsMotion* pOptions) = 0;
    // Runs after the names are known and before the header is written: false
    // with the reason in pReason when the format's fields cannot hold the
    // scene (the write then fails with error 5 and that text). The base
    // accepts everything.
    virtual bool CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                                  double pFrameRate, KString& pReason);

    // Depth first from pNode, children in order: every selected node that
    // carries no optical reference.
    void FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode);
    // Per node a new string (owned by the caller) holding its name after the
    // last ':' (kind and name-space prefixes dropped).
    void FillNameArray(KArrayTemplate<KString*>& pNames, KArrayTemplate<KQelNode*>& pNodes);
    // Per node its global translation (w 0) in the pinned global state.
    void FillTranslationArray(KArrayTemplate<KQelVector4>& pPositions, KArrayTemplate<KQelNode*>& pNodes);
    // Replaces each position by the node's global translation at the pinned
    // state; w 1.0 when pGapsAsValid is false and the node's occlusion curve
    // is above 0.5 at pTime, else 0.0.
    void UpdateTranslationArray(KArrayTemplate<KQelVector4>& pPositions, KArrayTemplate<KQelNode*>& pNodes,
                                KTime& pTime, bool pGapsAsValid);

    IQelFileMotionBase* GetFileObject() const { return mFileObject; }

private:
    // Samples every frame and prints it; false when printing fails.
    bool WriteFrames(KStreamOptionsMotion& pOptions, KQelNode* pRoot, KArrayTemplate<KQelNode*>& pNodes,
                     KArrayTemplate<KQelVector4>& pPositions);

    IQelFileMotionBase* mFileObject;
    KString mDescription;
};

}  // namespace qelsdk_600

#endif
