// The AOA and MCD marker files (one file layout under two names), their
// reader and writer.
#ifndef QELSDK_MOTION_KQELMOTIONAOA_H
#define QELSDK_MOTION_KQELMOTIONAOA_H

#include "base/ktextfile.h"
#include "motion/kqelmotionbase.h"

namespace qelsdk_600 {

// An AOA (or MCD) file: lines are skipped up to the header line
// "frames = F markers = M Hz = R" (tokens split at blanks and tabs), then
// every frame is M lines of x y z, one per marker in marker order. No
// names, no time, no occlusion; coordinates are taken as they stand.
class KQelFileAdaptiveOptics : public KTextFile, public IQelFileMotionBase {
public:
    KQelFileAdaptiveOptics();
    ~KQelFileAdaptiveOptics() override;

    int Open(const char* pPath, const char* pMode) override;
    int Close() override;
    // From the first line; the start becomes 0 and the scale 1.0. False
    // without a "frames" line, for a wrong keyword or "=", negative counts,
    // a rate not above 0, or a marker count the file cannot hold a frame of
    // (6 bytes per marker line).
    bool ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                    double& pScale) override;
    // Names the markers Marker1, Marker2, ...; always true.
    bool ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool pActorPrefix) override;
    // pMarkerCount lines of three finite numbers; with pExactZeroAsOccluded
    // a point at exactly (0, 0, 0) is occluded. pFrame grows by 1 and pTime
    // by pPeriod. False when a line or a number is missing.
    bool ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount, KTime& pTime, int& pFrame,
                            KTime pPeriod, bool pExactZeroAsOccluded) override;
    bool ReadFooter() override { return true; }
    // The header line; pStart and pScale are not written.
    bool PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate, double pScale) override;
    bool PrintAnimationHeader(KArrayTemplate<KString*>&) override { return true; }
    // One "%g %g %g" line per point; occlusion, time and frame not written.
    bool PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime pTime, int pFrame) override;
    // Flushes the file: false when it could not be written.
    bool PrintFooter() override { return !mWriteFailed && Flush(); }

private:
    kLongLong mFileSize;
    int mMarkerCount;
    bool mWriteFailed;
};

// Reader of AOA files (pMcd false: node prefix "AOA") or MCD files (true:
// "MCD").
class KQelReaderAdaptiveOptics : public KQelReaderMotionBase {
public:
    KQelReaderAdaptiveOptics(KQelSdkManager& pManager, bool pMcd);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Options 4, 5 and 6 on.
    void SetReadOptions(KStreamOptionsMotion* pOptions) override;
};

// Writer of AOA files (pMcd false) or MCD files (true).
class KQelWriterAdaptiveOptics : public KQelWriterMotionBase {
public:
    KQelWriterAdaptiveOptics(KQelSdkManager& pManager, bool pMcd);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Option 13 off.
    void SetWriteOptions(KStreamOptionsMotion* pOptions) override;
};

}  // namespace qelsdk_600

#endif
