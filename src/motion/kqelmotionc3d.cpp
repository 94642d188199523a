#include "motion/kqelmotionc3d.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionutil.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

const int kBlockBytes = 512;
const float kIntegerScale = 0.14490029f;
// Written coordinates are millimetres.
const double kWriteUnit = 0.1;
const int kDescriptionLength = 32;
const int kMaxMarkers = 255;
const int kMaxLabelLength = 254;
const int kMaxFrameNumber = 65535;

// Unit factors (file units to centimetres) by the first letter of "UNITS".
struct UnitLetter {
    char mLetter;
    double mFactor;
};
const UnitLetter kUnitLetters[] = {{'f', 30.48}, {'c', 1.0}, {'i', 2.54}, {'m', 100.0}};
const double kMillimetre = 0.1;

int Sign(int pValue)
{
    return pValue < 0 ? -1 : 1;
}

// The axis (1 X, 2 Y, 3 Z) of pRight x pUp, signed, for two different axes.
int Cross(int pRight, int pUp)
{
    const int a = std::abs(pRight);
    const int b = std::abs(pUp);
    const int c = 6 - a - b;
    // e_a x e_b = +e_c for the cyclic order X, Y, Z.
    const int cyclic = (b - a + 3) % 3 == 1 ? 1 : -1;
    return Sign(pRight) * Sign(pUp) * cyclic * c;
}

// The value's own bytes as text (character or byte arrays only).
std::string TextOf(const KViconArray& pValue, int pOffset, int pLength)
{
    if (pValue.GetElementSize() != 1 || pOffset < 0 || pLength <= 0)
        return std::string();
    std::vector<char> text(static_cast<size_t>(pLength) + 1);
    Strip(text.data(), reinterpret_cast<const char*>(pValue.GetVectorPtr()) + pOffset, pLength);
    return std::string(text.data());
}

char LowerAt(const KViconArray& pValue, int pIndex)
{
    if (pValue.GetElementSize() != 1 || pIndex >= pValue.GetElementCount())
        return '\0';
    return static_cast<char>(std::tolower(pValue.GetVectorPtr()[pIndex]));
}

}  // namespace

KQelFileVicon::KQelFileVicon() {}

KQelFileVicon::~KQelFileVicon()
{
    Close();
}

int KQelFileVicon::Open(const char* pPath, const char* pMode)
{
    Close();
    if (!pPath || !pMode)
        return 1;
    mFile = std::fopen(pPath, pMode);
    if (!mFile)
        return 1;
    struct stat status;
    if (fstat(fileno(mFile), &status) != 0 || S_ISDIR(status.st_mode)) {
        Close();
        return 1;
    }
    mFileSize = static_cast<kLongLong>(status.st_size);
    ResetBuffer();
    return 0;
}

int KQelFileVicon::Close()
{
    if (!mFile)
        return 1;
    const int closed = std::fclose(mFile);
    mFile = nullptr;
    return closed == 0 ? 0 : 1;
}

bool KQelFileVicon::ReadHeader(int& pMarkerCount, KTime& pStart, int& pFrameCount, double& pFrameRate,
                               double& pScale)
{
    unsigned char first[2];
    if (!mFile || std::fseek(mFile, 0, SEEK_SET) != 0 || std::fread(first, 1, 2, mFile) != 2)
        return false;
    mFileForm = GetFileProcessorType(mFile, (first[0] | (first[1] << 8)) & 0x0FFF);
    if (!KViconLoaderBase::ReadHeader(mFile) || mPointCount == 0)
        return false;
    const int frameBytes = mScale < 0.0f ? 16 : 8;
    const kLongLong dataBytes = mFileSize - (static_cast<kLongLong>(mDataBlock) - 1) * kBlockBytes;
    if (!motion_util::FitsInBytes(mPointCount, frameBytes, dataBytes))
        return false;
    pMarkerCount = mPointCount;
    pStart.SetSecondDouble(mFirstFrame / static_cast<double>(mFrameRate));
    pFrameCount = mLastFrame - mFirstFrame + 1;
    pFrameRate = mFrameRate;
    pScale = 1.0;
    return Goto(mParameterBlock - 1, SEEK_SET);
}

int KQelFileVicon::ParseScreen(const KViconArray& pValue)
{
    if (pValue.GetElementSize() != 1)
        return 0;
    const int count = pValue.GetElementCount();
    const unsigned char* text = pValue.GetVectorPtr();
    int at = 0;
    int direction = 1;
    if (count > 0 && (text[0] == '-' || text[0] == '+')) {
        direction = text[0] == '-' ? -1 : 1;
        at = 1;
    }
    if (at >= count)
        return 0;
    const char* axes = "XYZ";
    const char letter = static_cast<char>(std::toupper(text[at]));
    const char* found = letter != '\0' ? std::strchr(axes, letter) : nullptr;
    return found ? direction * static_cast<int>(found - axes + 1) : 0;
}

void KQelFileVicon::SetAxisMap(int pRight, int pUp)
{
    if (pRight == 0 || pUp == 0 || std::abs(pRight) == std::abs(pUp)) {
        pRight = 1;
        pUp = 3;
    }
    // Host rows (-r, u, -(r x u)), each a signed file axis.
    const int rows[3] = {-pRight, pUp, -Cross(pRight, pUp)};
    for (int k = 0; k < 3; ++k)
        mAxisMap[std::abs(rows[k]) - 1] = Sign(rows[k]) * (k + 1);
}

bool KQelFileVicon::ReadAnimationHeader(KArrayTemplate<KString*>& pNames, bool pActorPrefix)
{
    mPointGroup = 1;
    mKeepPrefixes = false;
    mUnitFactor = kMillimetre;
    int right = 1;
    int up = 3;
    int labelCount = 0;
    const int markerCount = pNames.GetCount();
    if (!Goto(mParameterBlock - 1, SEEK_SET) || SkipString(4) != 4)
        return false;
    while (std::unique_ptr<KViconParameter> record = GetParameter()) {
        const std::string name = record->GetName();
        if (record->IsGroup()) {
            if (name == "POINT")
                mPointGroup = record->Id();
            continue;
        }
        const KViconArray* value = record->GetArray();
        if (!value || value->IsEmpty())
            continue;
        const bool pointGroup = record->Id() == mPointGroup;
        if (name == "USES_PREFIXES") {
            mKeepPrefixes = mKeepPrefixes || pActorPrefix;
        } else if (!pointGroup) {
            continue;
        } else if (name == "LABELS") {
            // Rows of the file's first (fastest) dimension.
            const int length = value->GetSize(value->GetDimensions() - 1);
            const int rows = length > 0 ? value->GetElementCount() / length : 0;
            for (int i = 0; i < rows && labelCount < markerCount; ++i)
                *pNames[labelCount++] = TextOf(*value, i * length, length).c_str();
        } else if (name == "UNITS") {
            // The last "UNITS" of the group counts, each from millimetres.
            const char letter = LowerAt(*value, 0);
            const bool millimetres = letter == 'm' && LowerAt(*value, 1) == 'm';
            mUnitFactor = kMillimetre;
            for (const UnitLetter& unit : kUnitLetters) {
                if (unit.mLetter == letter && !millimetres)
                    mUnitFactor = unit.mFactor;
            }
        } else if (name == "X_SCREEN") {
            right = ParseScreen(*value);
        } else if (name == "Y_SCREEN") {
            up = ParseScreen(*value);
        }
    }
    SetAxisMap(right, up);
    for (int i = 0; i < markerCount; ++i) {
        std::string label = pNames[i]->Buffer();
        if (i >= labelCount) {
            char index[16];
            std::snprintf(index, sizeof(index), "%04d", i);
            label = index;
        }
        if (!mKeepPrefixes)
            label = RemovePrefix(label);
        ReplaceChar(label, ':', '_');
        *pNames[i] = label.c_str();
    }
    return Goto(mDataBlock - 1, SEEK_SET);
}

bool KQelFileVicon::ReadAnimationFrame(KArrayTemplate<KQelVector4>& pPoints, int pMarkerCount, KTime& pTime,
                                       int& pFrame, KTime pPeriod, bool)
{
    const int first = pPoints.AddMultiple(pMarkerCount);
    if (first < 0)
        return false;
    for (int i = 0; i < pMarkerCount; ++i) {
        KViconDataRecord record;
        if (!record.Read(*this, mScale, 0, mUnitFactor))
            return false;
        const double file[3] = {record.mX, record.mY, record.mZ};
        KQelVector4& point = pPoints[first + i];
        for (int a = 0; a < 3; ++a)
            point[std::abs(mAxisMap[a]) - 1] = Sign(mAxisMap[a]) * file[a];
        point[3] = record.mValid ? 0.0 : 1.0;
    }
    const kLongLong analogBytes = static_cast<kLongLong>(mAnalogCount) * (mScale < 0.0f ? 4 : 2);
    if (SkipString(analogBytes) != analogBytes)
        return false;
    ++pFrame;
    pTime += pPeriod;
    return true;
}

void KQelFileVicon::GetTimeOffset(KStreamOptionsMotion* pOptions)
{
    if (!pOptions || !mFile)
        return;
    ReadState state;
    SaveReadState(state);
    if (Goto(mParameterBlock - 1, SEEK_SET) && SkipString(4) == 4) {
        while (std::unique_ptr<KViconParameter> record = GetParameter()) {
            const KViconArray* value = record->GetArray();
            if (std::strcmp(record->GetName(), "TIMECODES") != 0 || !value || value->GetElementCount() < 4)
                continue;
            KTime code;
            code.SetTime(value->Get<short>(0), value->Get<short>(1), value->Get<short>(2), value->Get<short>(3), 0,
                         KTime::eDEFAULT_MODE);
            pOptions->SetStart(pOptions->GetStart() + code);
            break;
        }
    }
    RestoreReadState(state);
}

bool KQelFileVicon::CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                                     double pFrameRate, KString& pReason)
{
    int longest = 0;
    for (int i = 0; i < pNames.GetCount(); ++i)
        longest = std::max(longest, pNames[i]->GetLen());
    int firstFrame = 0;
    const bool firstFits = motion_util::RoundHalfUp(pStart.GetSecondDouble() * pFrameRate, firstFrame) &&
                           firstFrame >= 0 && firstFrame <= kMaxFrameNumber;
    if (pNames.GetCount() > kMaxMarkers) {
        pReason = "A C3D file holds at most 255 markers";
    } else if (longest > kMaxLabelLength) {
        pReason = "C3D marker names hold at most 254 characters";
    } else if (pFrameCount < 1 || pFrameCount > kMaxFrameNumber) {
        pReason = "A C3D file holds 1 to 65535 frames";
    } else if (!firstFits || pFrameCount - 1 > kMaxFrameNumber - firstFrame) {
        pReason = "C3D frame numbers lie within 0 and 65535";
    } else {
        return true;
    }
    return false;
}

bool KQelFileVicon::PrintHeader(int pMarkerCount, KTime pStart, int pFrameCount, double pFrameRate, double pScale)
{
    int firstFrame = 0;
    motion_util::RoundHalfUp(pStart.GetSecondDouble() * pFrameRate, firstFrame);
    mPointCount = pMarkerCount;
    mAnalogCount = 0;
    mInterpolationGap = 0;
    mDataBlock = 0;
    mAnalogRate = 1;
    mScale = pScale >= 0.0 ? kIntegerScale : -1.0f;
    mFrameRate = static_cast<float>(pFrameRate);
    mFirstFrame = firstFrame;
    mLastFrame = pFrameCount + firstFrame - 1;
    mEvents.clear();
    WriteHeader(mFile);
    mParameterBlock = 2;
    return PadChar(0, static_cast<int>(kBlockBytes - Tell()));
}

bool KQelFileVicon::PrintAnimationHeader(KArrayTemplate<KString*>& pNames)
{
    WriteParametersBase();
    const int count = pNames.GetCount();
    int longest = 0;
    for (int i = 0; i < count; ++i)
        longest = std::max(longest, pNames[i]->GetLen());
    KViconArray labels(KViconArray::eChar, {count, longest + 1});
    for (int i = 0; i < count; ++i) {
        KViconArray row = labels[i];
        StrNCpy(row, pNames[i]->Buffer(), longest + 1);
    }
    const std::string blanks(static_cast<size_t>(count) * kDescriptionLength, ' ');
    KViconArray descriptions(KViconArray::eChar, {count, kDescriptionLength}, blanks.data());
    KViconParameter("LABELS", 1, false, nullptr, &labels).Write(*this);
    KViconParameter("DESCRIPTIONS", 1, false, nullptr, &descriptions).Write(*this);
    const long end = Tell();
    const long aligned = KmAlign(end, kBlockBytes);
    mDataBlock = static_cast<int>(aligned / kBlockBytes) + 1;
    return PadChar(0, static_cast<int>(aligned - end));
}

bool KQelFileVicon::PrintAnimationFrame(const KQelVector4* pPoints, int pCount, KTime, int)
{
    bool written = true;
    for (int i = 0; i < pCount; ++i) {
        const double file[3] = {-pPoints[i][0], pPoints[i][2], pPoints[i][1]};
        KViconDataRecord record;
        record.mValid = pPoints[i][3] <= 0.5;
        written = record.Write(*this, mScale, file, kWriteUnit) && written;
    }
    return written;
}

bool KQelFileVicon::PrintFooter()
{
    bool patched = mFirstWordTag && mDataBlockTag && mDataStartTag;
    patched = patched && mFirstWordTag->Resolve(mFile, static_cast<kShort>(0x5000 | mParameterBlock));
    patched = patched && mDataBlockTag->Resolve(mFile, static_cast<kShort>(mDataBlock));
    patched = patched && mDataStartTag->Resolve(mFile, static_cast<kShort>(mDataBlock));
    return patched && std::fflush(mFile) == 0 && WriteOk();
}

// ---- Front ends ----

KQelReaderVicon::KQelReaderVicon(KQelSdkManager& pManager)
    : KQelReaderMotionBase(pManager, "Vicon C3D File Importer", "C3D")
{
}

IQelFileMotionBase* KQelReaderVicon::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileVicon>(pPath, "rb");
}

void KQelReaderVicon::SetReadOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eUnusedSegments, Options::eOn},
                                        {Options::eImportAsOpticalSegments, Options::eOn},
                                        {Options::eImportSetOccludedToLastValidPosition, Options::eOn},
                                        {Options::eImportActorPrefix, Options::eOn}});
    static_cast<KQelFileVicon*>(GetFileObject())->GetTimeOffset(pOptions);
}

KQelWriterVicon::KQelWriterVicon(KQelSdkManager& pManager) : KQelWriterMotionBase(pManager, "Vicon C3D File Exporter")
{
}

IQelFileMotionBase* KQelWriterVicon::CreateFileObject(const char* pPath)
{
    return OpenMotionFile<KQelFileVicon>(pPath, "wb");
}

void KQelWriterVicon::SetWriteOptions(KStreamOptionsMotion* pOptions)
{
    motion_util::SetOptions(*pOptions, {{Options::eUnusedSegments, Options::eOn},
                                        {Options::eExportGapsAsValidData, Options::eOff},
                                        {Options::eExportC3DRealFormat, Options::eOn},
                                        {Options::eExportFromGlobalPosition, Options::eOff}});
}

bool KQelWriterVicon::CheckWriteLimits(const KArrayTemplate<KString*>& pNames, KTime pStart, int pFrameCount,
                                       double pFrameRate, KString& pReason)
{
    return KQelFileVicon::CheckWriteLimits(pNames, pStart, pFrameCount, pFrameRate, pReason);
}

}  // namespace qelsdk_600
