// The VPM segment file (nine channels per frame per named segment), its
// reader and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONVPM_H
#define QELSDK_MOTION_KQELMOTIONVPM_H

#include "base/ktextfile.h"
#include "math/kqelvector.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

class KQelNode;
class KStreamOptionsMotion;

// One node's state at one frame.
struct KVPMFrame {
    KQelVector4 mTranslation;  // centimetres
    KQelVector4 mRotation;     // Euler XYZ, degrees
};

// A VPM file: segments one after another, each "Segment:" name, "Frames:"
// count, "Frame Time:" seconds, a channel-name line, a unit line, then one
// line per frame of translation (inches), rotation (degrees) and scaling
// (percent). Tokens split at blanks, tabs and line ends.
class KQelFilePuppeteer : public KTextFile {
public:
    static KToken mMain[];     // "Segment:", "Frames:", "Frame Time:"
    static KToken mChannel[];  // "XTRAN" ... "ZSCALE" (not matched)
    static KToken mUnit[];     // "INCHES", "DEGREE", "PERCENT" (not matched)

    KQelFilePuppeteer();

    // KTextFile::Open, noting the file's size (which bounds the frames a
    // read reserves room for).
    int Open(const char* pPath, const char* pMode);

    // The three header lines of a segment, from the first line (pFirst) or
    // the next: false unless the keywords come in order, the name is not
    // empty, frames are 0 or more and the frame time is above 0.
    bool ReadHeader(KString& pName, int& pFrames, double& pFrameTime, bool pFirst);
    // Passes over the channel-name and unit lines; false when one is missing.
    bool ReadAnimationHeader();
    // The next frame line: translation in centimetres, rotation in degrees;
    // scaling is read and taken as (1, 1, 1, 1). False when the line or a
    // number is missing.
    bool ReadAnimationFrame(KQelVector4& pTranslation, KQelVector4& pRotation, KQelVector4& pScaling);

    void PrintHeader(const char* pName, int pFrames, double pFrameTime);
    void PrintAnimationHeader();
    // Translation written in inches, scaling in percent.
    void PrintAnimationFrame(const KQelVector4& pTranslation, const KQelVector4& pRotation,
                             const KQelVector4& pScaling);
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }
    kLongLong GetFileSize() const { return mFileSize; }

private:
    kLongLong mFileSize;
    bool mWriteFailed;
};

// Reader of VPM files: one optical marker node per segment under
// "VPM:optical" (option 4) or "VPM:reference", one take named after the
// file. A segment whose frame lines end early is dropped and ends the list.
// Errors: 0 (no readable first segment, duplicate names, keys beyond the
// budget), 3, 6. A read that fails leaves the scene as it was.
class KQelReaderPuppeteer : public KQelMotionFileReader<KQelFilePuppeteer> {
public:
    explicit KQelReaderPuppeteer(KQelSdkManager& pManager);

    // Start 0, the first segment's frames and rate, option 4 off.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // Reads one segment into a node under pParent: at most the options'
    // frame count of its frames keyed (room reserved for no more than the
    // file can hold), the rest passed over. False, nothing made, when the
    // segment cannot be read whole.
    bool ReadNode(KQelNode* pParent, const KString& pTakeName, KStreamOptionsMotion* pOptions, bool pFirst);

private:
    // Keys reserved so far by the read under way, against the key budget.
    kLongLong mKeysReserved;
};

// Writer of VPM files: one segment per selected node (none with option 13)
// holding its global translation and rotation every frame period, scaling
// 100 %. Errors: 1, 4, 5 "Not enough memory to allocate animation buffer."
// when frames x nodes passes the key budget (so any count past 32 bits) or
// cannot be allocated (also shown, title "Error"), 3 when the file could
// not be written.
class KQelWriterPuppeteer : public KQelMotionFileWriter<KQelFilePuppeteer> {
public:
    explicit KQelWriterPuppeteer(KQelSdkManager& pManager);

    // Option 13 off.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // One segment: pFrames[f * pStride] for f below pFrameCount.
    void WriteNode(KQelNode* pNode, int pFrameCount, KTime pPeriod, const KVPMFrame* pFrames, int pStride);
    void FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode);
    // The nodes' global transforms at pTime relative to pRoot, into
    // pFrames[0 .. node count).
    void FillAnimationFrames(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pRoot, KTime pTime, KVPMFrame* pFrames);
};

}  // namespace qelsdk_600

#endif
