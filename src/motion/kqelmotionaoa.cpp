#include "motion/kqelmotionaoa.h"

#include <cmath>

#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

// Both kinds share the label of the AOA file.
const char kType[] = "AOA";
const char kDel[] = " \t\r\n";
const char kCom[] = "";

// "x y z" and a line end: the least a marker line takes.
const int kMarkerLineBytes = 6;

// The header's keyword and "=" pair.
bool Keyword(KTextFile& pFile, const char* pKeyword)
{
    KString token;
    return pFile.GetString(token) && token.CompareNoCase(pKeyword) == 0 && pFile.GetString(token) &&
           token == "=";
}

}  // namespace

KQelFileAdaptiveOptics::KQelFileAdaptiveOptics()
    : KTextFile(kType, kDel, kCom, true, false), mFileSize(0), mMarkerCount(0), mWriteFailed(false)
{
}

KQelFileAdaptiveOptics::~KQelFileAdaptiveOptics() {}

int KQelFileAdaptiveOptics::Open(const char* pPath, const char* pMode)
{
    mFileSize = motion_util::FileSize(pPath);
    mWriteFailed = false;
    return KTextFile::Open(pPath, pMode);
}

int KQelFileAdaptiveOptics::Close()
{
    return KTextFile::Close() ? 0 : 1;
}

bool KQelFileAdaptiveOptics::ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                                        double& pScale)
{
    mMarkerCount = 0;
    KString token;
    bool found = FirstLine();
    while (found && !(GetString(token) && token.CompareNoCase("frames") == 0))
        found = NextLine();
    if (!found)
        return false;
    // "frames" is consumed: its "=" and value follow.
    int frames = 0;
    int markers = 0;
    double rate = 0.0;
    if (!GetString(token) || token != "=" || !GetInteger(frames) || frames < 0 || !Keyword(*this, "markers") ||
        !GetInteger(markers) || markers < 0 || !Keyword(*this, "Hz") || !GetDouble(rate) ||
        !std::isfinite(rate) || rate <= 0.0)
        return false;
    if (!motion_util::FitsInBytes(markers, kMarkerLineBytes, mFileSize))
        return false;
    mMarkerCount = markers;
    pMarkerCount = markers;
    pFrameCount = frames;
    pFrameRate = rate;
    pStart = KTime(0);
    pScale = 1.0;
    return true;
}

bool KQelFileAdaptiveOptics::ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool)
{
    for (int i = 0; i < pNames.GetCount(); ++i) {
        *pNames[i] = "Marker";
        *pNames[i] += i + 1;
    }
    return true;
}

bool KQelFileAdaptiveOptics::ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount,
                                                KTime& pTime, int& pFrame, KTime pPeriod, bool pExactZeroAsOccluded)
{
    const int first = pPoints.AddMultiple(pMarkerCount);
    if (first < 0)
        return false;
    for (int i = 0; i < pMarkerCount; ++i) {
        double xyz[3];
        if (!NextLine())
            return false;
        for (double& value : xyz) {
            if (!GetDouble(value) || !std::isfinite(value))
                return false;
        }
        const bool zero = xyz[0] == 0.0 && xyz[1] == 0.0 && xyz[2] == 0.0;
        pPoints[first + i].Set(xyz[0], xyz[1], xyz[2], pExactZeroAsOccluded && zero ? 1.0 : 0.0);
    }
    ++pFrame;
    pTime += pPeriod;
    return true;
}

bool KQelFileAdaptiveOptics::PrintHeader(int pMarkerCount, KTime, int pFrameCount, double pFrameRate, double)
{
    mWriteFailed |= !Print(0, "frames = %d markers = %d Hz = %g\n", pFrameCount, pMarkerCount, pFrameRate);
    return !mWriteFailed;
}

bool KQelFileAdaptiveOptics::PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime, int)
{
    for (int i = 0; i < pCount; ++i)
        mWriteFailed |= !Print(0, "%g %g %g\n", pPoints[i][0], pPoints[i][1], pPoints[i][2]);
    return !mWriteFailed;
}

KQelReaderAdaptiveOptics::KQelReaderAdaptiveOptics(KQelSdkManager& pManager, bool pMcd)
    : KQelReaderMotionBase(pManager, pMcd ? "Superfluo MCD File Importer" : "Adaptive Optics AOA File Importer",
                           pMcd ? "MCD" : "AOA")
{
}

IQelFileMotionBase* KQelReaderAdaptiveOptics::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileAdaptiveOptics>(pPath, "r");
}

void KQelReaderAdaptiveOptics::SetReadOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eImportAsOpticalSegments, Options::eOn},
                                        {Options::eImportExactZeroAsOccluded, Options::eOn},
                                        {Options::eImportSetOccludedToLastValidPosition, Options::eOn}});
}

KQelWriterAdaptiveOptics::KQelWriterAdaptiveOptics(KQelSdkManager& pManager, bool pMcd)
    : KQelWriterMotionBase(pManager, pMcd ? "Superfluo MCD File Exporter" : "Adaptive Optics AOA File Exporter")
{
}

IQelFileMotionBase* KQelWriterAdaptiveOptics::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileAdaptiveOptics>(pPath, "w");
}

void KQelWriterAdaptiveOptics::SetWriteOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eExportFromGlobalPosition, Options::eOff}});
}

}  // namespace qelsdk_600
