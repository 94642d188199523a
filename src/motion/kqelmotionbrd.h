// The BRD tracker file (one record per sensor and frame: position,
// orientation quaternion and time stamp), its reader and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONBRD_H
#define QELSDK_MOTION_KQELMOTIONBRD_H

#include <memory>
#include <vector>

#include "base/ktextfile.h"
#include "math/kqelquaternion.h"
#include "math/kqelvector.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

class KQelNode;
class KStreamOptionsMotion;

// A BRD file: no header; every non-empty line a record "frame sensor P x y
// z Q qx qy qz qw seconds microseconds", split at blanks, tabs and line
// ends, in any order.
class KQelFileAscension : public KTextFile {
public:
    KQelFileAscension();

    // The first record (pFirst) or the next. False when there is none (then
    // IsEOF) or it is malformed: a missing field, no 'P' or 'Q' marker, a
    // number that does not parse or is infinite.
    bool ReadLine(int& pFrame, int& pSensor, KQelVector4& pPosition, KQelQuaternion& pRotation, KTime& pTime,
                  bool pFirst);
    // One record; the time as whole seconds (truncated toward zero) and the
    // rest in microseconds.
    void PrintLine(int pFrame, int pSensor, const KQelVector4& pPosition, const KQelQuaternion& pRotation,
                   KTime pTime);
    // Flushes the file: true when every print so far reached it.
    bool WriteOk() { return !mWriteFailed && Flush(); }

private:
    bool mWriteFailed;
};

// One sample of one sensor.
struct KFrameEntry {
    int mFrame = 0;
    KQelVector4 mPosition;
    KQelQuaternion mRotation;
    KTime mTime;
};

// The samples of one sensor, by increasing frame number, one per frame.
class KNodeEntry {
public:
    explicit KNodeEntry(int pSensor) : mSensor(pSensor) {}

    int GetSensor() const { return mSensor; }
    // Appends a sample after those of lower frames (the caller keeps the
    // order).
    void AddFrameEntry(const KFrameEntry& pEntry) { mEntries.push_back(pEntry); }
    // From pCursor on (a negative cursor counts as 0): true with the
    // sample's position and rotation when frame pFrame has one, the cursor
    // then past it; false otherwise, the cursor at the first later sample
    // (unchanged past the end). Successive frames are found in one pass.
    bool FindFrameEntry(kLongLong pFrame, KQelVector4& pPosition, KQelQuaternion& pRotation, int& pCursor) const;
    int GetFrameEntryCount() const { return static_cast<int>(mEntries.size()); }

private:
    int mSensor;
    std::vector<KFrameEntry> mEntries;
};

// Reader of BRD files: one optical marker "Marker<sensor>" per sensor, by
// increasing sensor number, under "BRD:optical" (option 4) or
// "BRD:reference", keyed over every frame from the first to the last
// (occluded, and held with option 6, where a sensor has no sample), one take
// named after the file. Loading sorts the records once (O(n log n)); a
// repeated (sensor, frame) keeps its last record. Errors: 0 (a malformed
// record, frames x sensors x 7 keys beyond the budget), 3, 6. A read that
// fails leaves the scene as it was.
class KQelReaderAscension : public KQelMotionFileReader<KQelFileAscension> {
public:
    explicit KQelReaderAscension(KQelSdkManager& pManager);
    ~KQelReaderAscension() override;

    // Also forgets the file information.
    bool FileClose() override;
    // Start = first frame / rate; frame count = last - first + 1; rate from
    // the time stamps ((count - 1) / duration; the global mode's when that
    // is not above 0); option 4 off, option 6 on.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

private:
    void ResetFileInfo();
    bool LoadFileInfo();
    void CreateNodeArray(KArrayTemplate<KQelNode*>& pNodes);
    bool CreateAnimation(KStreamOptionsMotion* pOptions, KArrayTemplate<KQelNode*>& pNodes, const KString& pTakeName);

    bool mLoaded;
    std::vector<std::unique_ptr<KNodeEntry>> mNodeEntries;
    KTime mStart;
    int mFrameCount;
    double mFrameRate;
    kLongLong mFirstFrame;
    KTime mFirstTime;
    kLongLong mLastFrame;
    KTime mLastTime;
};

// Writer of BRD files: a record per selected node and frame period
// (sensor = the node's index), its global position and orientation below
// the sampling root; with option 11 off a node occluded there (occlusion
// curve 0.5 or more) gets no record. Errors: 1, 3 when the file could not
// be written, 4.
class KQelWriterAscension : public KQelMotionFileWriter<KQelFileAscension> {
public:
    explicit KQelWriterAscension(KQelSdkManager& pManager);

    // Option 11 on, 13 off.
    KStreamOptions* GetWriteOptions() override;
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

private:
    void WriteFrame(KArrayTemplate<KQelNode*>& pNodes, KTime pTime, int pFrame, bool pSkipOccluded);
    void WriteNode(KQelNode* pNode, KTime pTime, int pFrame, int pSensor, bool pSkipOccluded);
};

}  // namespace qelsdk_600

#endif
