// The HTR skeleton-and-motion file: its segments, its file class, its
// reader and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONHTR_H
#define QELSDK_MOTION_KQELMOTIONHTR_H

#include <string>
#include <unordered_map>
#include <vector>

#include "base/karraytemplate.h"
#include "base/ktextfile.h"
#include "math/kgematrix.h"
#include "math/kgevector.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

class KFCurve;
class KQelNode;
class KQelPose;
class KQelScene;
class KQelSdkManager;
class KStreamOptionsMotion;

// One segment of an HTR file: its names, its base position and, once a
// reader has made its node, the node and the curves of the read's take.
class KQelHtrSegment {
public:
    enum { kNameSize = 256 };
    // The curves, in key order.
    enum ECurve : int {
        eTranslationX = 0, eTranslationY, eTranslationZ,
        eRotationX, eRotationY, eRotationZ,
        eScalingX, eScalingY, eScalingZ,
        eCurveCount
    };

    KQelHtrSegment();

    // Copies the name and the parent name (each cut to 255 characters);
    // pIndex is the segment's place in the file.
    void Init(const char* pName, const char* pParentName, int pIndex);
    // The base translation and bone length (centimetres), and the base
    // rotation of the angles pRotation (degrees about X, Y and Z) composed in
    // the Euler order pOrder (KANRotationOrder).
    void SetBasePosition(const KgeTVector& pTranslation, const KgeRVector& pRotation, int pOrder,
                         double pBoneLength);

    // Reserves pCount keys on each of the nine curves; false (no batch left
    // open) when a curve is missing or cannot take them.
    bool StartSampling(int pCount);
    // Key pIndex of the nine curves at pTime (cubic, automatic tangents).
    void AddFrame(int pIndex, KTime pTime, const KgeTVector& pTranslation, const KgeRVector& pRotation,
                  const KgeSVector& pScaling);
    // Ends the batches with pCount keys: the number actually set.
    void StopSampling(int pCount);

    char mName[kNameSize];
    char mParentName[kNameSize];
    int mIndex;
    int mParent;  // index of the parent segment, -1 for the root (after a read)
    KgeTVector mBaseTranslation;
    KgeRMatrix mBaseRotation;
    double mBoneLength;
    KgeRMatrix mInverseBaseRotation;  // inverse global base rotation (SetLimits)
    KQelNode* mNode;
    KFCurve* mCurves[eCurveCount];
};

// An HTR file: "[Header]" keyword lines, "[SegmentNames&Hierarchy]" (a
// segment and its parent per line), "[BasePosition]" (name, translation,
// angles and bone length per segment), then one "[name]" section of frame
// lines per segment and "[EndOfFile]". Keywords match without regard to
// case; tokens split at blanks, tabs and line ends; lines whose first
// character is '#' are skipped. Lengths become centimetres and angles
// degrees as they are read. Segment lookups by name and by node take
// constant time and give the first segment in file order.
class KQelFileMotionAnalysisHtr : public KTextFile {
public:
    static KToken mMainT[];                // "[Header]" ... "[EndOfFile]"
    static KToken mHeaderT[];              // "FileType" ... "ScaleFactor"
    static KToken mFileTypeT[];            // "htr"
    static KToken mDataTypeT[];            // "HTRS"
    static KToken mEulerRotationOrderT[];  // "ZYX", "YXZ", "XZY", "ZXY", "YZX", "XYZ"
    static KToken mCalibrationUnitsT[];    // "mm", "cm", "in"
    static KToken mRotationUnitsT[];       // "Degrees", "Radians"
    static KToken mAxisT[];                // "X", "Y", "Z"

    // The switch "MinimizeRotationOffset" comes from section
    // "MotionImportHTR" of "@Application.txt": on unless its value is other
    // than "Yes" (any case). pReport lets the text file report its errors.
    explicit KQelFileMotionAnalysisHtr(bool pReport = false);
    // Deletes the segments and closes the file.
    ~KQelFileMotionAnalysisHtr() override;

    // KTextFile::Open, noting the file's size, which bounds the keys a read
    // reserves.
    int Open(const char* pPath, const char* pMode);

    // ---- Reading (false at the first fault) ----

    // The header into the fields and, when given, the options (frame count,
    // time mode from the rate); then option 8 on, whatever the outcome.
    bool ReadOptions(KStreamOptionsMotion* pOptions);
    // Header, hierarchy and base positions from the first line; leaves the
    // file on the first line after the last base position.
    bool ReadMain(KStreamOptionsMotion* pOptions);
    // One step of each section on the current line.
    bool ReadHeader(KStreamOptionsMotion* pOptions);
    bool ReadSegments();
    bool ReadBasePosition();
    // The segment named by the token "[name]" at the cursor; null when no
    // segment has that name (or no token is there).
    KQelHtrSegment* ReadSegmentName();
    // The frame line at the cursor as key pFrame of pSegment at pTime: the
    // base translation plus the frame's, the frame rotation then the base
    // rotation (as Euler XYZ angles), scaling 1. False for a short line or a
    // value beyond what a key can hold.
    bool ReadFrame(KQelHtrSegment* pSegment, int pFrame, KTime pTime);
    // The frame sections: the options' frame count (lowered to the file's)
    // from the options' start every frame period, each section's extra lines
    // passed over; then the minimisation when it is on and the curve
    // filters. Reserves no more keys than the rest of the file has lines for
    // (16 bytes or more each, in every section left) nor than the key budget;
    // a section that stops short ends its keys with those set. False on a
    // missing, repeated or short section.
    bool ReadFrames(KStreamOptionsMotion* pOptions, KQelNode* pHolder);

    // True when every parent name names a segment or marks the one root
    // and every segment reaches the root through its parents (no cycle);
    // sets each segment's mParent and gives the segment indices parents
    // first (depth first from the root, children in file order) in pOrder.
    bool ResolveHierarchy(std::vector<int>& pOrder);

    // Rewrites key pFrame of the translation and rotation curves of the
    // segments from pNode down (pParent: the parent's global matrix, pParentOffsetFree:
    // its global without its base orientation), so that each local rotation
    // is relative to the base position; on frame 0 places every end node at
    // its parent's bone length along the parent's rotation axis (the place
    // does not depend on the frame). False for a null node or a node with
    // children and no segment. Iterative: any depth.
    bool MinimizeRotationOffset(KQelNode* pNode, const KgeAMatrix& pParent, const KgeAMatrix& pParentOffsetFree,
                                int pFrame);

    // A rest pose "<pName>_RESTPOSE" (pName's kind prefix dropped) with each
    // segment's base position under its name, added to the scene. False, the
    // pose destroyed, when an entry or the addition is refused.
    bool StoreRestPose(KQelSdkManager& pManager, KQelScene& pScene, const char* pName);
    // The scene's first pose named pName + "_RESTPOSE", names compared
    // without their kind prefixes; null when there is none.
    KQelPose* RetrieveRestPose(KQelScene& pScene, const char* pName);

    // The first segment of that name (case counts), or null.
    KQelHtrSegment* GetSegmentByName(const char* pName) const;
    // The segment whose node pNode is, or null.
    KQelHtrSegment* GetSegmentByNode(KQelNode* pNode) const;
    // Records pNode as the node of pSegment (for GetSegmentByNode).
    void SetSegmentNode(KQelHtrSegment& pSegment, KQelNode* pNode);
    int GetSegmentCount() const { return mSegments.GetCount(); }
    KQelHtrSegment* GetSegment(int pIndex) const { return mSegments[pIndex]; }

    // ---- Writing (reals with "%g", indent 0) ----

    void PrintHeader(int pSegmentCount, int pFrameCount, int pFrameRate);
    void PrintHierarchyHeader();
    // "GLOBAL" stands for a null parent.
    void PrintHierarchy(const char* pName, const char* pParent);
    void PrintBasePositionHeader();
    void PrintBasePosition(const char* pName, const KgeTVector& pTranslation, const KgeRVector& pRotation,
                           double pBoneLength);
    void PrintAnimationHeader(const char* pName);
    void PrintAnimation(int pFrame, const KgeTVector& pTranslation, const KgeRVector& pRotation);
    void PrintFooter();
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }

    // Header fields, as read.
    int mFileType;
    int mDataType;
    int mFileVersion;
    int mNumSegments;
    int mNumFrames;
    int mDataFrameRate;
    int mEulerRotationOrder;
    int mCalibrationUnits;
    int mRotationUnits;
    int mGlobalAxisOfGravity;
    int mBoneLengthAxis;
    double mScaleFactor;
    // Derived values.
    int mRotationOrder;         // Euler order of the angles (KANRotationOrder)
    double mCalibrationScale;   // file lengths to centimetres (before the scale factor)
    double mRotationScale;      // file angles to degrees
    KgeRMatrix mBoneAxisRotation;  // turns X onto the bone length axis
    int mSection;               // -1 skipping, 0 header, 1 hierarchy, 2 base positions, 100 done
    int mCurrentSegment;
    bool mMinimizeRotationOffset;

private:
    // One step of a line's chain: runs pRun while pOk holds; once a step
    // failed, reports pMessage instead.
    template <class Run>
    void Step(bool& pOk, const char* pMessage, Run pRun)
    {
        if (pOk)
            pOk = pRun();
        else
            Error("%s", pMessage);
    }
    // Reports the error pMessage; false.
    bool Fail(const char* pMessage);
    void DeleteSegments();
    // Sets the header field of keyword pKeyword from the cursor; false on an
    // error (warnings keep the field).
    bool ReadHeaderValue(int pKeyword, KStreamOptionsMotion* pOptions);
    // Places an end node (a child of a segment's node) at its parent's bone
    // length along the parent's rotation axis.
    bool PlaceEndNode(KQelNode* pNode);
    // Lengths read become centimetres through this factor.
    double LengthFactor() const { return mCalibrationScale / mScaleFactor; }

    KArrayTemplate<KQelHtrSegment*> mSegments;
    std::unordered_map<std::string, int> mSegmentByName;
    std::unordered_map<const KQelNode*, int> mSegmentByNode;
    kLongLong mFileSize;
    bool mWriteFailed;
};

// Reader of HTR files: one limb node per segment, and one "<name>_End" node
// under each leaf segment at its bone length along the bone length axis,
// under "HTR:reference" (hung under the scene root with option 8 on, else
// its child moves there and it is destroyed); limits, a rest pose and one
// take named after the file. Errors: 0 "File is corrupted" (also for
// duplicate names, shown with the title "Error"), 3 "File not opened", 6
// "Stream options not set". A failed read leaves the scene as it was.
class KQelReaderMotionAnalysisHtr : public KQelMotionFileReader<KQelFileMotionAnalysisHtr> {
public:
    explicit KQelReaderMotionAnalysisHtr(KQelSdkManager& pManager);

    // The header's frame count and time mode, option 8 on; null with error
    // 3 (no file) or 0.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // The nodes of the file's segments with their take pTakeName, the root
    // under pReference, attached bottom up. False (nothing made) without one
    // root reached by every segment.
    bool CreateNodes(KQelSdkManager* pManager, KQelNode* pReference, const char* pTakeName,
                     KStreamOptionsMotion* pOptions);
    // Translation locked at the default, spheric rotation limited to X
    // +-180 and Y, Z +-150 degrees about the bone axis (as pre- and
    // post-rotation); keeps the inverse global base rotation in the segment.
    void SetLimits(KQelHtrSegment* pSegment);
    // The end node (child 0 of the segment's node) locked at the bone length
    // along the bone length axis.
    void SetLimitsEnd(KQelHtrSegment* pSegment);
};

// Writer of HTR files: the nodes below FindRootNode, each a segment (the
// reader's "_End" nodes come back as segments of their own), base positions
// from the default take (or from the rest pose "<pinned>_RESTPOSE" that a
// read stored) and the current take every frame period, in millimetres and
// degrees, Euler order "ZYX". Errors: 1 (no file, with its own text when
// creating fails), 2 "Can not find root node.", 4 "Stream options not set",
// 5 with "Spaces are not allowed in HTR node names:" and the names (also
// shown, title "Error") or when the frames do not fit in memory, 3 "Out of
// disk space" when the file could not be written. Tree walks are
// iterative.
class KQelWriterMotionAnalysisHtr : public KQelMotionFileWriter<KQelFileMotionAnalysisHtr> {
public:
    explicit KQelWriterMotionAnalysisHtr(KQelSdkManager& pManager);

    // Option 13 off, 14 on.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

private:
    // What the file needs of one node (the nodes below the root, depth
    // first).
    struct Segment;
    // The base position of every segment, parents first.
    void ConvertBasePosition(std::vector<Segment>& pSegments, KQelPose* pPose);
    // Frame pFrame of every segment (the pinned states) into pKeys: six
    // values per segment and frame, a segment's frames one after another.
    void ConvertAnimation(std::vector<Segment>& pSegments, int pFrame, float* pKeys);
    // The hierarchy lines, the base positions and the frame sections of the
    // segments, in their order.
    void WriteNodeHierarchy(const std::vector<Segment>& pSegments);
    void WriteNodeBasePosition(const std::vector<Segment>& pSegments);
    void WriteNodeAnimation(const std::vector<Segment>& pSegments, const float* pKeys);
    // The unit factor: 10 millimetres to the centimetre.
    double UnitFactor() const { return 1.0 / mScale; }

    KStreamOptionsMotion* mOptions;
    KQelNode* mRoot;
    double mScale;
};

}  // namespace qelsdk_600

#endif
