// The tab-separated TRC marker file, its reader (with the time-code side
// file that gives the take's start) and its writer.
#ifndef QELSDK_MOTION_KQELMOTIONTRC_H
#define QELSDK_MOTION_KQELMOTIONTRC_H

#include <cstdio>

#include "base/ktextfile.h"
#include "motion/kqelmotionbase.h"

namespace qelsdk_600 {

// A TRC file: three header lines ("PathFileType" and the type 3 or 4, the
// keyword line, the value line), the name line, the axis line, then one
// line per frame: frame number, time in seconds, then x, y, z per point,
// every field ended by one white-space character (an empty field is an
// occluded point). Fields are split at tabs; the blank is no delimiter.
// Units "m", "cm" and "mm" (any case); written in millimetres.
class KQelFileMotionAnalysisTrc : public KTextFile, public IQelFileMotionBase {
public:
    KQelFileMotionAnalysisTrc();
    ~KQelFileMotionAnalysisTrc() override;

    int Open(const char* pPath, const char* pMode) override;
    int Close() override;
    // From the first line. Type 4 sets the start to (OrigDataStartFrame - 1)
    // / DataRate seconds; type 3 leaves it. False for a wrong keyword, a
    // type other than 3 or 4, a rate not above 0, negative counts, an
    // unknown unit, or counts the file cannot hold (at least 2 bytes per
    // name and 4 per frame line).
    bool ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                    double& pScale) override;
    // "Frame#", "Time" and one name per marker (continued on the next lines
    // when one runs out), blanks made "_", a name holding "Unnamed" made
    // "*Unnamed_" + its 1-based number; then the axis line(s) of X, Y, Z
    // tokens. pActorPrefix is not used.
    bool ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool pActorPrefix) override;
    // The next frame line; its points as far as they parse. False when no
    // line is left or its frame number or time is missing.
    bool ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount, KTime& pTime, int& pFrame,
                            KTime pPeriod, bool pExactZeroAsOccluded) override;
    bool ReadFooter() override { return true; }
    // Type 4, "mm", the start frame 1 + start x rate (halves up); pScale is
    // not used.
    bool PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate, double pScale) override;
    bool PrintAnimationHeader(KArrayTemplate<KString*>& pNames) override;
    // Positions in millimetres ("%.5f"); an occluded point as three empty
    // fields.
    bool PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime pTime, int pFrame) override;
    // Flushes the file: false when it could not be written.
    bool PrintFooter() override { return !mWriteFailed && Flush(); }

    // The first frame number written for a start time: 1 + start x rate,
    // halves up; false when it is no int.
    static bool StartFrame(KTime pStart, double pFrameRate, int& pFrame);

private:
    // Reads one point of a frame line (delimiters off); false when it does
    // not parse.
    bool ReadPoint(KQelVector4& pPoint);

    kLongLong mFileSize;
    bool mWriteFailed;
};

// Reader of TRC files; node prefix "TRC". Before handing out options it
// looks for the time-code file beside the TRC file (same name, extension
// ".tc") and may take the start time from it.
class KQelReaderMotionAnalysisTrc : public KQelReaderMotionBase {
public:
    explicit KQelReaderMotionAnalysisTrc(KQelSdkManager& pManager);

    // Look for time-code files at all (true at start).
    static bool smLoadTCFile;
    // Load one without asking (false at start). A host that sets it while
    // the question is shown, and answers no, stops the search for later
    // files.
    static bool smDoNotAskForTCFile;

    // With the time-code file of the open file, when there is one and the
    // question (first message callback: "Time Code File", "Load <name>?",
    // "Yes", "No") is answered 1, sets the options' start to its time code;
    // "Unable to open <name>" or "<name> is invalid" otherwise. Never fails.
    void GetTimeOffset(KStreamOptionsMotion* pOptions);
    // Parses an open time-code file: "hh:mm:ss:ff", the standard ("SMPTE",
    // "EBU" or "System Clock"), the frame rate; numbers in the "C" locale.
    // True with the time code in pTime when valid.
    static bool GetTCFileTimecode(FILE* pFile, KTime& pTime);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Options 3, 4 and 6 on, then GetTimeOffset.
    void SetReadOptions(KStreamOptionsMotion* pOptions) override;
};

// Writer of TRC files.
class KQelWriterMotionAnalysisTrc : public KQelWriterMotionBase {
public:
    explicit KQelWriterMotionAnalysisTrc(KQelSdkManager& pManager);

protected:
    IQelFileMotionBase* CreateFileObject(const char* pPath) override;
    // Option 3 on, 11 and 13 off.
    void SetWriteOptions(KStreamOptionsMotion* pOptions) override;
    // The start frame must be an int.
    bool CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                          double pFrameRate, KString& pReason) override;
};

}  // namespace qelsdk_600

#endif
