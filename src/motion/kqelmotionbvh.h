// The BVH skeleton-and-motion file: its joints, its file class, its reader
// and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONBVH_H
#define QELSDK_MOTION_KQELMOTIONBVH_H

#include "base/karraytemplate.h"
#include "base/ktextfile.h"
#include "math/kqelmatrix.h"
#include "math/kqelvector.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

class KFCurve;
class KQelNode;
class KQelSdkManager;
class KStreamOptionsMotion;

// One ROOT, JOINT or End Site of a BVH hierarchy, and the working values of
// the frame being converted. The file's joint list owns every joint; the
// children array does not own its entries.
struct KBVHJoint {
    // Channel kinds, in the file's names order.
    enum EChannel : int { eXPosition = 0, eYPosition, eZPosition, eXRotation, eYRotation, eZRotation };
    enum { kMaxChannels = 6 };

    KBVHJoint();

    // The frame's channel values (in CHANNELS order) as the working
    // translation (the offset with positions replacing their component)
    // and XYZ Euler angles in degrees: the rotation channels compose so
    // that the first listed turns a point last.
    void SetFrame(const double* pValues);
    // Keys of frame pFrameIndex at pTime: translation X, Y, Z when the joint
    // has 6 channels; rotation X, Y, Z made continuous with the previous
    // frame's, which they then become.
    void AddFrame(int pFrameIndex, KTime& pTime);

    KBVHJoint* mParent;
    KArrayTemplate<KBVHJoint*> mChildren;
    char mName[128];  // at most 127 characters; "End" for an End Site
    int mChannelCount;
    int mChannels[kMaxChannels];
    bool mEndSite;
    KQelVector4 mOffset;
    KQelVector4 mTranslation;
    double mRotation[3];
    double mPreviousRotation[3];
    KQelNode* mNode;
    KFCurve* mCurves[6];  // translation X, Y, Z, rotation X, Y, Z
};

// A BVH file: "HIERARCHY", one ROOT with nested JOINTs and End Sites
// (OFFSET, CHANNELS of up to 6 of Xposition ... Zrotation), then "MOTION",
// "Frames:", "Frame Time:" and one line of channel values per frame.
// Keywords match without regard to case; tokens split at blanks, tabs and
// line ends. Reads build the joint list with an explicit stack, so no depth
// of hierarchy can exhaust the call stack.
class KQelFileBiovision : public KTextFile {
public:
    // Keyword tables; the parser works with the index matched.
    static KToken mMain[];       // "HIERARCHY", "MOTION"
    static KToken mHierarchy[];  // "ROOT"
    static KToken mJoint[];      // "{", "OFFSET", "CHANNELS", "JOINT", "End Site", "}"
    static KToken mChannels[];   // "Xposition" ... "Zrotation"
    static KToken mMotion[];     // "Frames:", "Frame Time:"

    explicit KQelFileBiovision(bool pReport = false);
    // Deletes the joints and closes the file.
    ~KQelFileBiovision() override;

    // KTextFile::Open, noting the file's size, which bounds the frames a read
    // reserves room for.
    int Open(const char* pPath, const char* pMode);

    // ---- Reading (each false at the first unexpected token) ----

    // The motion header into the options (frame count, time mode from the
    // frame time), past the hierarchy; then option 8 on whatever the outcome.
    bool ReadOptions(KStreamOptionsMotion* pOptions);
    // The hierarchy, then the motion header (without options). Leaves the
    // file at the first frame line.
    bool ReadMain(KStreamOptionsMotion* pOptions);
    // "ROOT" on the current line, then ReadRoot.
    bool ReadHierarchy();
    // The root and everything nested in it, replacing the joints read before.
    // A CHANNELS count outside 0 to 6, or a total channel count beyond an int,
    // fails.
    bool ReadRoot();
    // A new joint under pParent: its name (on the current line) and its body
    // up to its first nested item; null on failure.
    KBVHJoint* ReadJoint(KBVHJoint* pParent);
    // An End Site block under pParent.
    bool ReadEndSite(KBVHJoint* pParent);
    bool ReadOffset(KBVHJoint* pJoint);
    bool ReadChannels(KBVHJoint* pJoint);
    // "Frames:" (negative: 0) and, next line, "Frame Time:"; a frame time
    // strictly between 0 and the largest double sets the options' time mode
    // to 1 / time made whole (halves down), else the file's frame time
    // becomes 1 / the options' rate. The options' frame count then becomes
    // the file's.
    bool ReadMotionHeader(KStreamOptionsMotion* pOptions);
    // pCount finite numbers of the current line; false at the first missing
    // one (or an infinite one).
    bool ReadOneFrame(double* pValues, int pCount);

    // ---- Scene conversion (reader) ----

    // A node with a limb-node skeleton per joint (End Sites named after
    // their parent + "_End"), its take pTakeName current, its six curves
    // kept in the joint, its limits set; the tree is built bottom up (each
    // node attached before its parent is) and the root hung under
    // pReference. False when a node cannot get its curves.
    bool CreateNodes(KQelSdkManager* pManager, KQelNode* pReference, const char* pTakeName,
                     KStreamOptionsMotion* pOptions);
    // Keys one per frame line from the options' start every frame period,
    // for the options' frame count (lowered to the file's), in room reserved
    // for no more frames than the rest of the file can hold. Every key batch
    // ends with the keys actually set. False when a line cannot be read or
    // the keys would pass the key budget.
    bool ReadFrames(KStreamOptionsMotion* pOptions);

    // ---- Writing (numbers with "%g"; two blanks of indentation per level,
    // up to 32 levels) ----

    void PrintJointBegin(const char* pName, bool pRoot, const KQelVector4& pOffset, int pLevel, bool pRotationOnly,
                         bool pZxy);
    void PrintJointEnd(int pLevel);
    void PrintJointEndSite(const KQelVector4& pOffset, int pLevel);
    void PrintMotionHeader(int pFrameCount, double pFrameTime);
    void PrintMotionFrameBegin() {}
    void PrintMotion(bool pRoot, const KQelVector4& pTranslation, const KQelVector4& pRotation, bool pRotationOnly,
                     bool pZxy);
    void PrintMotionFrameEnd();
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }

    int GetJointCount() const { return mJoints.GetCount(); }
    KBVHJoint* GetJoint(int pIndex) const { return mJoints[pIndex]; }
    int GetChannelCount() const { return mChannelCount; }
    int GetFrameCount() const { return mFrameCount; }
    double GetFrameTime() const { return mFrameTime; }

private:
    // A new joint appended to the list, under pParent when given.
    KBVHJoint* AddJoint(KBVHJoint* pParent);
    // "{", OFFSET and CHANNELS of a joint, then the next line.
    bool ReadBodyStart(KBVHJoint* pJoint);
    void DeleteJoints();
    // The node name of a joint: an End Site's is its parent's + "_End".
    static KString NodeNameOf(const KBVHJoint& pJoint);
    static void SetLimits(KBVHJoint& pJoint);
    // Curves that get keys: rotations always, translations with 6 channels.
    static int KeyedCurveCount(const KBVHJoint& pJoint);
    // Prints "OFFSET x y z" at pLevel, tiny values as 0.
    void PrintOffset(const KQelVector4& pOffset, int pLevel);

    KArrayTemplate<KBVHJoint*> mJoints;
    int mChannelCount;
    int mFrameCount;
    double mFrameTime;
    kLongLong mFileSize;
    bool mWriteFailed;
};

// Reader of BVH files: one limb node per joint and End Site under
// "BVH:reference" (hung under the scene root with option 8 on, else its
// child moves there and it is destroyed), one take named after the file.
// Errors: 0 "File is corrupted" (also for duplicate names, shown with the
// title "Error"), 3 "File not opened", 6 "Stream options not set". A read
// that fails leaves the scene as it was.
class KQelReaderBiovision : public KQelMotionFileReader<KQelFileBiovision> {
public:
    explicit KQelReaderBiovision(KQelSdkManager& pManager);

    // The motion header's frame count and time mode, option 8 on; null with
    // error 3 (no file) or 0.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;
};

// Writer of BVH files: the skeleton below FindRootNode, its hierarchy from
// the default take and the current take's local transforms (the root's
// global with option 13) every frame period; rotations in Z, X, Y channel
// order; the root with 6 channels, the other joints with 3 unless option 0.
// Errors: 1 (no file, with its own text when creating fails), 2 "Can not
// find root node.", 4 "Stream options not set", 5 with "Spaces are not
// allowed in BVH node names:" and the names (also shown, title "Error"), 3
// "Out of disk space" when the file could not be written. Tree walks use
// explicit stacks.
class KQelWriterBiovision : public KQelMotionFileWriter<KQelFileBiovision> {
public:
    explicit KQelWriterBiovision(KQelSdkManager& pManager);

    // Option 0 off, 13 off, 14 on.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // The hierarchy below pNode (its OFFSET scaled by pScale), as JOINTs and
    // End Sites; a leaf that is no End Site gets a generated one.
    void WriteNode(KQelNode* pNode, int pLevel, bool pRotationOnly, bool pZxy, const KQelVector4& pScale);
    // The values of pNode's subtree at pTime into the current frame line, in
    // WriteNode's order.
    void WriteNodeMotion(KQelNode* pNode, KTime pTime, bool pRotationOnly, bool pZxy, const KQelVector4& pScale);
    // A leaf that is the only child of its parent and is no animated limb
    // node (or an animated one whose name holds "_EndSite").
    bool IsEndSite(KQelNode* pNode);

private:
    // IsEndSite, except for the root, which is always written as a joint.
    bool WrittenAsEndSite(KQelNode* pNode);
    // The node's transform: its global matrix for the root with the
    // from-global-position flag, else its local one; from the default take
    // (pTime null) or the current take at *pTime.
    KQelXMatrix NodeTransform(KQelNode* pNode, const KTime* pTime);

    KQelNode* mRoot;
    bool mFromGlobalPosition;
};

}  // namespace qelsdk_600

#endif
