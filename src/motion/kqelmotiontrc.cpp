#include "motion/kqelmotiontrc.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "base/kpath.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

const char kType[] = "TRC";
const char kDel[] = "\t\r\n";
const char kCom[] = "";

// The header keywords in file order; type 3 stops after "Units".
const char* const kHeaderKeywords[] = {"DataRate",     "CameraRate",         "NumFrames",
                                       "NumMarkers",   "Units",              "OrigDataRate",
                                       "OrigDataStartFrame", "OrigNumFrames"};
const int kType3KeywordCount = 5;
const int kType4KeywordCount = 8;

struct Unit {
    const char* mName;
    double mScale;  // to centimetres
};
const Unit kUnits[] = {{"m", 100.0}, {"cm", 1.0}, {"mm", 0.1}};

// Time modes of the time-code file by the whole frame rate; 0 for the rest.
struct RateMode {
    int mRate;
    KTime::ETimeMode mMode;
};
const RateMode kRateModes[] = {
    {24, KTime::eCINEMA},   {25, KTime::ePAL},      {29, KTime::eNTSC_DROP_FRAME}, {30, KTime::eFRAMES30},
    {50, KTime::eFRAMES50}, {60, KTime::eFRAMES60}, {100, KTime::eFRAMES100},      {120, KTime::eFRAMES120},
};

bool IsSpace(char pChar)
{
    return std::isspace(static_cast<unsigned char>(pChar)) != 0;
}

KTime::ETimeMode ModeOfRate(double pRate)
{
    const double whole = std::floor(pRate);
    for (const RateMode& entry : kRateModes) {
        if (whole == entry.mRate)
            return entry.mMode;
    }
    return KTime::eDEFAULT_MODE;
}

bool StartsWith(const char* pText, const char* pPrefix, bool pIgnoreCase)
{
    const size_t length = std::strlen(pPrefix);
    return (pIgnoreCase ? strncasecmp(pText, pPrefix, length) : std::strncmp(pText, pPrefix, length)) == 0;
}

}  // namespace

// ---- KQelFileMotionAnalysisTrc ----

KQelFileMotionAnalysisTrc::KQelFileMotionAnalysisTrc()
    : KTextFile(kType, kDel, kCom, true, false), mFileSize(0), mWriteFailed(false)
{
}

KQelFileMotionAnalysisTrc::~KQelFileMotionAnalysisTrc() {}

int KQelFileMotionAnalysisTrc::Open(const char* pPath, const char* pMode)
{
    mFileSize = motion_util::FileSize(pPath);
    mWriteFailed = false;
    return KTextFile::Open(pPath, pMode);
}

int KQelFileMotionAnalysisTrc::Close()
{
    return KTextFile::Close() ? 0 : 1;
}

bool KQelFileMotionAnalysisTrc::ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount,
                                           double& pFrameRate, double& pScale)
{
    KString token;
    int type = 0;
    if (!FirstLine() || !GetString(token) || token.CompareNoCase("PathFileType") != 0 || !GetInteger(type) ||
        (type != 3 && type != 4) || !GetString(token) || token.CompareNoCase("(X/Y/Z)") != 0 ||
        !GetString(token) || !NextLine())
        return false;
    const int keywordCount = type == 4 ? kType4KeywordCount : kType3KeywordCount;
    for (int i = 0; i < keywordCount; ++i) {
        if (!GetString(token) || token.CompareNoCase(kHeaderKeywords[i]) != 0)
            return false;
    }
    double rate = 0.0;
    double unused = 0.0;
    int frames = 0;
    int markers = 0;
    if (!NextLine() || !GetDouble(rate) || !std::isfinite(rate) || rate <= 0.0 || !GetDouble(unused) ||
        !GetInteger(frames) || frames < 0 || !GetInteger(markers) || markers < 0 || !GetString(token))
        return false;
    const KString unit = token.UnPad(KString::kBoth);
    const Unit* found = nullptr;
    for (const Unit& entry : kUnits) {
        if (unit.CompareNoCase(entry.mName) == 0)
            found = &entry;
    }
    if (!found)
        return false;
    KTime start = pStart;
    if (type == 4) {
        int startFrame = 0;
        int unusedCount = 0;
        if (!GetDouble(unused) || !GetInteger(startFrame) || !GetInteger(unusedCount))
            return false;
        start.SetSecondDouble((static_cast<double>(startFrame) - 1.0) / rate);
    }
    // Every name takes at least 2 bytes and every frame line 4.
    if (!motion_util::FitsInBytes(markers, 2, mFileSize) ||
        !motion_util::FitsInBytes(frames, 4, mFileSize - 2 * static_cast<kLongLong>(markers)))
        return false;
    pMarkerCount = markers;
    pFrameCount = frames;
    pFrameRate = rate;
    pScale = found->mScale;
    pStart = start;
    return true;
}

bool KQelFileMotionAnalysisTrc::ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool)
{
    KString token;
    if (!NextLine() || !GetString(token) || token.CompareNoCase("Frame#") != 0 || !GetString(token) ||
        token.CompareNoCase("Time") != 0)
        return false;
    for (int i = 0; i < pNames.GetCount(); ++i) {
        while (!GetString(token)) {
            if (!NextLine())
                return false;
        }
        if (token.Find("Unnamed") >= 0) {
            token = "*Unnamed_";
            token += i + 1;
        } else {
            for (char* c = token.Buffer(); *c; ++c) {
                if (*c == ' ')
                    *c = '_';
            }
        }
        *pNames[i] = token;
    }
    if (!NextLine())
        return false;
    static const char kAxes[] = "XYZ";
    const kLongLong axisCount = 3 * static_cast<kLongLong>(pNames.GetCount());
    for (kLongLong i = 0; i < axisCount; ++i) {
        while (!GetString(token)) {
            if (!NextLine())
                return false;
        }
        if (std::toupper(static_cast<unsigned char>(token[0u])) != kAxes[i % 3])
            return false;
    }
    return true;
}

bool KQelFileMotionAnalysisTrc::ReadPoint(KQelVector4& pPoint)
{
    bool occluded = false;
    for (int k = 0; k < 3; ++k) {
        char c = 0;
        if (!PeakChar(c))
            return false;
        if (IsSpace(c)) {
            pPoint[k] = 0.0;
            occluded = true;
        } else {
            double value = 0.0;
            if (!GetDouble(value) || !std::isfinite(value))
                return false;
            pPoint[k] = value;
        }
        if (k < 2 && (!GetChar(c) || !IsSpace(c)))
            return false;
    }
    pPoint[3] = occluded ? 1.0 : 0.0;
    return true;
}

bool KQelFileMotionAnalysisTrc::ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int, KTime& pTime,
                                                   int& pFrame, KTime, bool)
{
    if (!NextLine())
        return false;
    // Every single white-space character ends a field here, so that empty
    // fields count.
    const std::string delimiters = SetDel(nullptr);
    int frame = 0;
    double seconds = 0.0;
    char c = 0;
    bool ok = GetInteger(frame) && GetChar(c) && IsSpace(c) && PeakChar(c) && !IsSpace(c) &&
              GetDouble(seconds) && std::isfinite(seconds) && GetChar(c) && IsSpace(c);
    if (ok) {
        KQelVector4 point;
        while (ReadPoint(point)) {
            if (pPoints.Add(point) < 0) {
                ok = false;
                break;
            }
            if (!PeakChar(c) || !IsSpace(c))
                break;
            GetChar(c);
        }
    }
    SetDel(delimiters.c_str());
    if (!ok)
        return false;
    pFrame = frame;
    pTime.SetSecondDouble(seconds);
    return true;
}

bool KQelFileMotionAnalysisTrc::StartFrame(KTime pStart, double pFrameRate, int& pFrame)
{
    int frame = 0;
    if (!motion_util::RoundHalfUp(pStart.GetSecondDouble() * pFrameRate, frame) || frame == INT_MAX)
        return false;
    pFrame = frame + 1;
    return true;
}

bool KQelFileMotionAnalysisTrc::PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate,
                                            double)
{
    int startFrame = 1;
    StartFrame(pStart, pFrameRate, startFrame);
    mWriteFailed |= !Print(0, "PathFileType\t4\t(X/Y/Z)\tSorvinn\t\n");
    mWriteFailed |= !Print(0, "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\t"
                              "OrigDataStartFrame\tOrigNumFrames\t\n");
    mWriteFailed |= !Print(0, "%.2f\t%.2f\t%d\t%d\tmm\t%.2f\t%d\t%d\t\n", pFrameRate, pFrameRate, pFrameCount,
                           pMarkerCount, pFrameRate, startFrame, pFrameCount);
    return !mWriteFailed;
}

bool KQelFileMotionAnalysisTrc::PrintAnimationHeader(KArrayTemplate<KString*>& pNames)
{
    mWriteFailed |= !Print(0, "Frame#\tTime\t");
    for (int i = 0; i < pNames.GetCount(); ++i)
        mWriteFailed |= !Print(0, "%s\t\t\t", pNames[i]->Buffer());
    mWriteFailed |= !Print(0, "\n\t\t");
    for (int i = 1; i <= pNames.GetCount(); ++i)
        mWriteFailed |= !Print(0, "X%d\tY%d\tZ%d\t", i, i, i);
    mWriteFailed |= !Print(0, "\n\n");
    return !mWriteFailed;
}

bool KQelFileMotionAnalysisTrc::PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime pTime,
                                                    int pFrame)
{
    mWriteFailed |= !Print(0, "%d\t%.3f", pFrame, pTime.GetSecondDouble());
    for (int i = 0; i < pCount; ++i) {
        const KQelVector4& point = pPoints[i];
        if (point[3] <= 0.5)
            mWriteFailed |= !Print(0, "\t%.5f\t%.5f\t%.5f", point[0] * 10.0, point[1] * 10.0, point[2] * 10.0);
        else
            mWriteFailed |= !Print(0, "\t\t\t");
    }
    mWriteFailed |= !Print(0, " \n");
    return !mWriteFailed;
}

// ---- KQelReaderMotionAnalysisTrc ----

bool KQelReaderMotionAnalysisTrc::smLoadTCFile = true;
bool KQelReaderMotionAnalysisTrc::smDoNotAskForTCFile = false;

KQelReaderMotionAnalysisTrc::KQelReaderMotionAnalysisTrc(KQelSdkManager& pManager)
    : KQelReaderMotionBase(pManager, "Motion Analysis TRC File Importer", "TRC")
{
}

IQelFileMotionBase* KQelReaderMotionAnalysisTrc::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileMotionAnalysisTrc>(pPath, "r");
}

void KQelReaderMotionAnalysisTrc::SetReadOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eUnusedSegments, Options::eOn},
                                        {Options::eImportAsOpticalSegments, Options::eOn},
                                        {Options::eImportSetOccludedToLastValidPosition, Options::eOn}});
    GetTimeOffset(pOptions);
}

void KQelReaderMotionAnalysisTrc::GetTimeOffset(KStreamOptionsMotion* pOptions)
{
    if (!smLoadTCFile || !pOptions)
        return;
    const KString path = ChangeFileExtension(GetFileName().Buffer(), ".tc");
    if (!FileExist(path.Buffer()))
        return;
    const KString name = ExtractFileName(path.Buffer(), true);
    if (!smDoNotAskForTCFile) {
        const KString question = KString("Load ") + name + "?";
        if (pOptions->ShowMessage(0, "Time Code File", question.Buffer(), "Yes", "No", nullptr, 1) != 1) {
            if (smDoNotAskForTCFile)
                smLoadTCFile = false;
            return;
        }
    }
    FILE* file = std::fopen(path.Buffer(), "rt");
    if (!file) {
        const KString text = KString("Unable to open ") + name;
        pOptions->ShowMessage(0, "Time Code File", text.Buffer(), "Ok", nullptr, nullptr, 0);
        return;
    }
    KTime code;
    if (GetTCFileTimecode(file, code)) {
        pOptions->SetStart(code);
    } else {
        const KString text = name + " is invalid";
        pOptions->ShowMessage(0, "Time Code File", text.Buffer(), "Ok", nullptr, nullptr, 0);
    }
    std::fclose(file);
}

bool KQelReaderMotionAnalysisTrc::GetTCFileTimecode(FILE* pFile, KTime& pTime)
{
    char lines[3][256];
    for (char* line : lines) {
        if (!KFgets(line, 256, pFile))
            return false;
    }
    int parts[4] = {0, 0, 0, 0};
    const char* at = lines[0];
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *at++ != ':')
            return false;
        if (!motion_util::ParseIntC(at, parts[i]))
            return false;
    }
    const int frames = parts[3];
    double rate = 0.0;
    const char* rateText = lines[2];
    if (!motion_util::ParseRealC(rateText, rate))
        return false;
    const KTime::ETimeMode rateMode = ModeOfRate(rate);
    KTime::ETimeMode mode = KTime::eDEFAULT_MODE;
    if (StartsWith(lines[1], "SMPTE", false)) {
        if (frames < 0 || rate < frames)
            return false;
        mode = rateMode;
    } else if (StartsWith(lines[1], "EBU", false)) {
        if (frames < 0 || frames > 24)
            return false;
        mode = KTime::ePAL;
    } else if (StartsWith(lines[1], "System Clock", true)) {
        if (rate < frames || rateMode == KTime::eDEFAULT_MODE)
            return false;
        mode = rateMode;
    } else {
        return false;
    }
    pTime.SetTime(parts[0], parts[1], parts[2], frames, 0, mode);
    return true;
}

// ---- KQelWriterMotionAnalysisTrc ----

KQelWriterMotionAnalysisTrc::KQelWriterMotionAnalysisTrc(KQelSdkManager& pManager)
    : KQelWriterMotionBase(pManager, "Motion Analysis TRC File Exporter")
{
}

IQelFileMotionBase* KQelWriterMotionAnalysisTrc::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileMotionAnalysisTrc>(pPath, "w");
}

void KQelWriterMotionAnalysisTrc::SetWriteOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eUnusedSegments, Options::eOn},
                                        {Options::eExportGapsAsValidData, Options::eOff},
                                        {Options::eExportFromGlobalPosition, Options::eOff}});
}

bool KQelWriterMotionAnalysisTrc::CheckWriteLimits(const KArrayTemplate<KString*>&, KTime pStart, int,
                                                   double pFrameRate, KString& pReason)
{
    int startFrame = 0;
    if (KQelFileMotionAnalysisTrc::StartFrame(pStart, pFrameRate, startFrame))
        return true;
    pReason = "The start frame of a TRC file must be a 32-bit integer";
    return false;
}

}  // namespace qelsdk_600
