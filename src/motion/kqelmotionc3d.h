// The binary C3D marker file, its reader and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONC3D_H
#define QELSDK_MOTION_KQELMOTIONC3D_H

#include "motion/kqelmotionbase.h"
#include "motion/kqelviconloader.h"

namespace qelsdk_600 {

class KStreamOptionsMotion;

// A C3D file as marker motion. Read, it delivers the point labels
// ("POINT:LABELS", four-digit indices where missing; the actor prefix up to
// the first ':' dropped unless kept and "USES_PREFIXES" is there; further
// ':' made '_') and one sample per point and frame in centimetres ("UNITS"
// of the point group) and in the host's axes: the rotation
// host = (-r, u, -(r x u)) of the point group's right axis r ("X_SCREEN")
// and up axis u ("Y_SCREEN"), (-X, Z, Y) by default and for any pair that
// is not two different known axes. Written: DEC form, "mm", screens "+X"
// and "+Z", integer data (scale 0.14490029) or floats (scale -1).
class KQelFileVicon : public KViconLoaderBase, public IQelFileMotionBase {
public:
    KQelFileVicon();
    ~KQelFileVicon() override;

    // Closes a stream already open, then opens the file with the C mode.
    int Open(const char* pPath, const char* pMode) override;
    // 1 when no stream is open; else 0 when it closed cleanly.
    int Close() override;
    // The header block (and the processor form named in the parameter
    // section): start = first frame / rate, frame count = last - first + 1,
    // scale 1.0 (samples come in centimetres). False for a bad header (see
    // KViconLoaderBase::ReadHeader), a point count of 0, or a data section
    // too short for one frame of points. Leaves the file at the parameters.
    bool ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                    double& pScale) override;
    // The parameter section: labels, prefixes, units and screen axes; leaves
    // the file at the data section. False when that cannot be reached.
    bool ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool pActorPrefix) override;
    // pMarkerCount points (appended; those not read stay at zero when the
    // file ends inside the frame, which then fails), the frame's analog
    // values skipped; pFrame grows by 1 and pTime by pPeriod.
    bool ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount, KTime& pTime, int& pFrame,
                            KTime pPeriod, bool pExactZeroAsOccluded) override;
    bool ReadFooter() override { return true; }
    // Header block; pScale 0 or more asks for integer data, below 0 for
    // floats. The first frame is start x rate, halves up.
    bool PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate, double pScale) override;
    // The parameter section with "LABELS" and "DESCRIPTIONS", padded to the
    // data block.
    bool PrintAnimationHeader(KArrayTemplate<KString*>& pNames) override;
    // One point record per sample: file (X, Y, Z) = (-x, z, y) in
    // millimetres, invalid when w is above 0.5.
    bool PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime pTime, int pFrame) override;
    // Patches word 0, word 16 and "DATA_START"; false when anything could
    // not be written.
    bool PrintFooter() override;

    // Adds the time code of the first "TIMECODES" parameter of four or more
    // elements (hours, minutes, seconds, frames in the global time mode) to
    // the options' start; the reading position is left as it was found.
    void GetTimeOffset(KStreamOptionsMotion* pOptions);

    // False, with the limit named in pReason, when the fields of a C3D file
    // cannot hold the scene: more than 255 markers, a name over 254
    // characters, no frame or more than 65535, frame numbers outside 0 to
    // 65535.
    static bool CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                                 double pFrameRate, KString& pReason);

private:
    // What the point group's "X_SCREEN" or "Y_SCREEN" names: a signed axis
    // (1 X, 2 Y, 3 Z), 0 when it names none.
    static int ParseScreen(const KViconArray& pValue);
    // The axis map of the screens r and u (see the class).
    void SetAxisMap(int pRight, int pUp);
};

// Reader of C3D files; node prefix "C3D".
class KQelReaderVicon : public KQelReaderMotionBase {
public:
    explicit KQelReaderVicon(KQelSdkManager& pManager);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Options 3, 4, 6 and 7 on, then the file's time code.
    void SetReadOptions(KStreamOptionsMotion* pOptions) override;
};

// Writer of C3D files.
class KQelWriterVicon : public KQelWriterMotionBase {
public:
    explicit KQelWriterVicon(KQelSdkManager& pManager);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Option 3 on, 11 off, 12 on (floats), 13 off.
    void SetWriteOptions(KStreamOptionsMotion* pOptions) override;
    // KQelFileVicon::CheckWriteLimits.
    bool CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                          double pFrameRate, KString& pReason) override;
};

}  // namespace qelsdk_600

#endif
