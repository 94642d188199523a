#include "motion/kqelmotionhtr.h"

#include <cmath>
#include <cstring>

#include "base/kconfigfile.h"
#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

const char kType[] = "HTR";
const char kDel[] = " \t\r\n";
const char kCom[] = "#";

enum EMain { eHeaderSection = 0, eHierarchySection, eBasePositionSection, eEndOfFileSection };
enum EHeader {
    eFileType = 0, eDataType, eFileVersion, eNumSegments, eNumFrames, eDataFrameRate,
    eEulerRotationOrder, eCalibrationUnits, eRotationUnits, eGlobalAxisOfGravity, eBoneLengthAxis,
    eScaleFactor
};
enum ESection { eSkipping = -1, eInHeader = 0, eInHierarchy = 1, eInBasePosition = 2, eDone = 100 };

// Euler order (KANRotationOrder) of each EulerRotationOrder keyword: the
// axes reversed, so that the first letter's turn applies last.
const int kRotationOrders[] = {0, 8, 4, 6, 2, 10};
// Centimetres per calibration unit, degrees per rotation unit.
const double kCalibrationScales[] = {0.1, 1.0, 2.54};
const double kRotationScales[] = {1.0, 57.29577951308232};

// How a header value is read and what a value that cannot be read does.
enum EValue { eChoice, eInteger, eReal };
struct HeaderEntry {
    EValue mKind;
    KToken* mChoices;  // for eChoice
    int KQelFileMotionAnalysisHtr::*mField;  // the field of eChoice and eInteger
    bool mError;       // an error fails the read, a warning keeps the field
    const char* mMessage;
};

// The rotation that turns the X axis onto axis pAxis (0 X, 1 Y, 2 Z).
KgeRMatrix BoneAxisRotation(int pAxis)
{
    const KgeTVector axis(pAxis == 0 ? 1.0 : 0.0, pAxis == 1 ? 1.0 : 0.0, pAxis == 2 ? 1.0 : 0.0);
    KgeQuaternion turn;
    KgeSetQuaternion(turn, axis);
    KgeRMatrix rotation;
    KmQtoR(rotation, turn);
    return rotation;
}

bool ReadsYes(const char* pValue)
{
    return pValue && KString(pValue).CompareNoCase("Yes") == 0;
}

}  // namespace

KToken KQelFileMotionAnalysisHtr::mMainT[] = {
    {"[Header]", 0}, {"[SegmentNames&Hierarchy]", 0}, {"[BasePosition]", 0}, {"[EndOfFile]", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mHeaderT[] = {
    {"FileType", 0},           {"DataType", 0},         {"FileVersion", 0},         {"NumSegments", 0},
    {"NumFrames", 0},          {"DataFrameRate", 0},    {"EulerRotationOrder", 0}, {"CalibrationUnits", 0},
    {"RotationUnits", 0},      {"GlobalAxisofGravity", 0}, {"BoneLengthAxis", 0},   {"ScaleFactor", 0},
    {"", 0}};
KToken KQelFileMotionAnalysisHtr::mFileTypeT[] = {{"htr", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mDataTypeT[] = {{"HTRS", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mEulerRotationOrderT[] = {{"ZYX", 0}, {"YXZ", 0}, {"XZY", 0}, {"ZXY", 0},
                                                            {"YZX", 0}, {"XYZ", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mCalibrationUnitsT[] = {{"mm", 0}, {"cm", 0}, {"in", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mRotationUnitsT[] = {{"Degrees", 0}, {"Radians", 0}, {"", 0}};
KToken KQelFileMotionAnalysisHtr::mAxisT[] = {{"X", 0}, {"Y", 0}, {"Z", 0}, {"", 0}};

// ---- KQelHtrSegment ----

KQelHtrSegment::KQelHtrSegment()
    : mIndex(0), mParent(-1), mBoneLength(0.0), mNode(nullptr), mCurves{}
{
    mName[0] = '\0';
    mParentName[0] = '\0';
}

void KQelHtrSegment::Init(const char* pName, const char* pParentName, int pIndex)
{
    std::strncpy(mName, pName, kNameSize - 1);
    mName[kNameSize - 1] = '\0';
    std::strncpy(mParentName, pParentName, kNameSize - 1);
    mParentName[kNameSize - 1] = '\0';
    mIndex = pIndex;
}

void KQelHtrSegment::SetBasePosition(const KgeTVector& pTranslation, const KgeRVector& pRotation, int pOrder,
                                     double pBoneLength)
{
    mBaseTranslation = pTranslation;
    mBaseTranslation[3] = 1.0;
    mBoneLength = pBoneLength;
    KANRotationOrder(pOrder).V2M(mBaseRotation, pRotation);
}

bool KQelHtrSegment::StartSampling(int pCount)
{
    return motion_util::BeginKeys(mCurves, eCurveCount, pCount);
}

void KQelHtrSegment::AddFrame(int pIndex, KTime pTime, const KgeTVector& pTranslation, const KgeRVector& pRotation,
                              const KgeSVector& pScaling)
{
    const double* groups[3] = {pTranslation, pRotation, pScaling};
    for (int k = 0; k < eCurveCount; ++k)
        motion_util::SetReaderKey(*mCurves[k], pIndex, pTime, static_cast<float>(groups[k / 3][k % 3]));
}

void KQelHtrSegment::StopSampling(int pCount)
{
    motion_util::EndKeys(mCurves, eCurveCount, pCount);
}

// ---- KQelFileMotionAnalysisHtr: set-up ----

KQelFileMotionAnalysisHtr::KQelFileMotionAnalysisHtr(bool pReport)
    : KTextFile(kType, kDel, kCom, true, pReport),
      mFileType(0),
      mDataType(0),
      mFileVersion(1),
      mNumSegments(0),
      mNumFrames(0),
      mDataFrameRate(60),
      mEulerRotationOrder(0),
      mCalibrationUnits(0),
      mRotationUnits(0),
      mGlobalAxisOfGravity(1),
      mBoneLengthAxis(1),
      mScaleFactor(1.0),
      mRotationOrder(0),
      mCalibrationScale(0.1),
      mRotationScale(1.0),
      // The axis's rotation even without a BoneLengthAxis line: the end
      // nodes of a minimised read then point along the default Y axis.
      mBoneAxisRotation(BoneAxisRotation(1)),
      mSection(eSkipping),
      mCurrentSegment(0),
      mMinimizeRotationOffset(true),
      mFileSize(0),
      mWriteFailed(false)
{
    KConfigFile config("@Application.txt", false);
    mMinimizeRotationOffset = ReadsYes(config.Get("MotionImportHTR", "MinimizeRotationOffset", "Yes"));
}

KQelFileMotionAnalysisHtr::~KQelFileMotionAnalysisHtr()
{
    DeleteSegments();
    Close();
}

int KQelFileMotionAnalysisHtr::Open(const char* pPath, const char* pMode)
{
    mFileSize = motion_util::FileSize(pPath);
    mWriteFailed = false;
    return KTextFile::Open(pPath, pMode);
}

void KQelFileMotionAnalysisHtr::DeleteSegments()
{
    DeleteAndClear(mSegments);
    mSegmentByName.clear();
    mSegmentByNode.clear();
}

bool KQelFileMotionAnalysisHtr::Fail(const char* pMessage)
{
    Error("%s", pMessage);
    return false;
}

// ---- Header ----

bool KQelFileMotionAnalysisHtr::ReadHeaderValue(int pKeyword, KStreamOptionsMotion* pOptions)
{
    using H = KQelFileMotionAnalysisHtr;
    static const HeaderEntry kEntries[] = {
        {eChoice, mFileTypeT, &H::mFileType, true, "Unknown file type"},
        {eChoice, mDataTypeT, &H::mDataType, true, "Unknown data type"},
        {eInteger, nullptr, &H::mFileVersion, false, "Can't read version"},
        {eInteger, nullptr, &H::mNumSegments, true, "Can't read segment count"},
        {eInteger, nullptr, &H::mNumFrames, true, "Can't read frame count"},
        {eInteger, nullptr, &H::mDataFrameRate, true, "Can't read data frame rate"},
        {eChoice, mEulerRotationOrderT, &H::mEulerRotationOrder, true, "Unknown euler rotation order"},
        {eChoice, mCalibrationUnitsT, &H::mCalibrationUnits, false, "Unknown calibration units"},
        {eChoice, mRotationUnitsT, &H::mRotationUnits, true, "Unknown rotation units"},
        {eChoice, mAxisT, &H::mGlobalAxisOfGravity, false, "Unknown axis of gravity"},
        {eChoice, mAxisT, &H::mBoneLengthAxis, true, "Unknown bone length axis"},
        {eReal, nullptr, nullptr, true, "Can't read scale factor"},
    };
    const HeaderEntry& entry = kEntries[pKeyword];
    int value = 0;
    double real = 0.0;
    bool read = false;
    switch (entry.mKind) {
    case eChoice:
        value = Handle(entry.mChoices);
        read = value >= 0;
        break;
    case eInteger:
        read = GetInteger(value);
        break;
    case eReal:
        // Lengths are divided by the scale factor: 0 (or a non-finite one)
        // reads as no factor at all.
        read = GetDouble(real) && std::isfinite(real) && real != 0.0;
        break;
    }
    if (!read) {
        if (entry.mError)
            return Fail(entry.mMessage);
        Warning("%s", entry.mMessage);
        return true;
    }
    if (entry.mField)
        this->*entry.mField = value;
    switch (pKeyword) {
    case eNumFrames:
        if (pOptions)
            pOptions->SetFrameCount(value);
        break;
    case eDataFrameRate:
        if (pOptions)
            pOptions->SetTimeMode(KTime::eDEFAULT_MODE, value);
        break;
    case eEulerRotationOrder:
        mRotationOrder = kRotationOrders[value];
        break;
    case eCalibrationUnits:
        mCalibrationScale = kCalibrationScales[value];
        break;
    case eRotationUnits:
        mRotationScale = kRotationScales[value];
        break;
    case eBoneLengthAxis:
        mBoneAxisRotation = BoneAxisRotation(value);
        break;
    case eScaleFactor:
        mScaleFactor = real;
        break;
    default:
        break;
    }
    return true;
}

bool KQelFileMotionAnalysisHtr::ReadHeader(KStreamOptionsMotion* pOptions)
{
    const bool ok = !IsEOF();
    const int keyword = Handle(mHeaderT);
    if (keyword >= 0)
        return ReadHeaderValue(keyword, pOptions) && ok;
    if (!ok)
        return Fail("Unexpected end of file");
    // The rest of a line whose value was read, or a line of no keyword.
    NextLine();
    return true;
}

bool KQelFileMotionAnalysisHtr::ReadOptions(KStreamOptionsMotion* pOptions)
{
    mSection = eSkipping;
    bool ok = FirstLine();
    bool header = false;
    while (ok && !IsEOF()) {
        const int section = Handle(mMainT);
        if (section == eHeaderSection) {
            header = true;
            mSection = eInHeader;
            continue;
        }
        if (section > eHeaderSection)
            break;
        if (mSection == eInHeader)
            ok = ReadHeader(pOptions);
        else
            NextLine();
    }
    if (pOptions)
        pOptions->SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eOn);
    return ok && header;
}

// ---- Hierarchy and base positions ----

bool KQelFileMotionAnalysisHtr::ReadSegments()
{
    char name[KQelHtrSegment::kNameSize];
    char parent[KQelHtrSegment::kNameSize];
    bool ok = !IsEOF();
    Step(ok, "Can't read segment name", [&] { return GetString(name, sizeof(name)); });
    Step(ok, "Can't read parent name", [&] { return GetString(parent, sizeof(parent)); });
    Step(ok, "Unexpected end of file", [&] { return NextLine(); });
    if (!ok)
        return false;
    KQelHtrSegment* segment = new KQelHtrSegment();
    segment->Init(name, parent, mSegments.GetCount());
    mSegmentByName.emplace(segment->mName, segment->mIndex);
    mSegments.Add(segment);
    if (++mCurrentSegment == mNumSegments)
        mSection = eSkipping;
    return true;
}

bool KQelFileMotionAnalysisHtr::ReadBasePosition()
{
    char name[KQelHtrSegment::kNameSize];
    KgeTVector translation;
    KgeRVector angles;
    double length = 0.0;
    bool ok = true;
    Step(ok, "Unexpected end of file", [&] { return !IsEOF(); });
    Step(ok, "Can't read segment name", [&] { return GetString(name, sizeof(name)); });
    Step(ok, "Can't read segment base translation", [&] { return GetVector(translation, LengthFactor()); });
    Step(ok, "Can't read segment base rotation", [&] { return GetVector(angles, mRotationScale); });
    Step(ok, "Can't read segment length", [&] { return GetDouble(length, LengthFactor()); });
    Step(ok, "Unexpected end of file", [&] { return NextLine(); });
    // Values reach nodes: an "inf" length, or one scaled past the doubles,
    // is no position.
    for (int k = 0; k < 3 && ok; ++k)
        ok = motion_util::FitsKey(translation[k]) && std::isfinite(angles[k]);
    if (!ok || !std::isfinite(length) || mCurrentSegment >= mSegments.GetCount())
        return false;
    KQelHtrSegment* segment = mSegments[mCurrentSegment];
    if (std::strcmp(name, segment->mName) != 0)
        return false;
    segment->SetBasePosition(translation, angles, mRotationOrder, length);
    if (++mCurrentSegment == mSegments.GetCount()) {
        mSection = eDone;
        mCurrentSegment = 0;
    }
    return true;
}

bool KQelFileMotionAnalysisHtr::ReadMain(KStreamOptionsMotion*)
{
    mSection = eSkipping;
    bool ok = FirstLine();
    bool header = false;
    bool hierarchy = false;
    while (ok && mSection != eDone) {
        if (IsEOF())
            return false;
        switch (Handle(mMainT)) {
        case eHeaderSection:
            header = true;
            mSection = eInHeader;
            break;
        case eHierarchySection:
            if (!header)
                return Fail("Header not found");
            DeleteSegments();
            mCurrentSegment = 0;
            mSection = eInHierarchy;
            hierarchy = true;
            NextLine();
            break;
        case eBasePositionSection:
            if (!hierarchy)
                return Fail("Hierarchy not found");
            if (mSegments.GetCount() != mNumSegments)
                return Fail("Bad segment count");
            mSection = eInBasePosition;
            mCurrentSegment = 0;
            NextLine();
            break;
        case eEndOfFileSection:
            return Fail("Animation data not found");
        default:
            switch (mSection) {
            case eInHeader:
                ok = ReadHeader(nullptr);
                break;
            case eInHierarchy:
                ok = ReadSegments();
                break;
            case eInBasePosition:
                ok = ReadBasePosition();
                break;
            default:
                NextLine();
                break;
            }
            break;
        }
    }
    return ok;
}

bool KQelFileMotionAnalysisHtr::ResolveHierarchy(std::vector<int>& pOrder)
{
    const int count = mSegments.GetCount();
    int root = -1;
    std::vector<std::vector<int>> children(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        KQelHtrSegment* segment = mSegments[i];
        const KQelHtrSegment* parent = GetSegmentByName(segment->mParentName);
        segment->mParent = parent ? parent->mIndex : -1;
        if (parent) {
            children[static_cast<size_t>(parent->mIndex)].push_back(i);
        } else if (root >= 0) {
            return false;
        } else {
            root = i;
        }
    }
    pOrder.clear();
    if (root < 0)
        return false;
    // Every segment has one parent, so those the root does not reach lie on
    // cycles of their own.
    std::vector<int> pending(1, root);
    while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        pOrder.push_back(at);
        const std::vector<int>& below = children[static_cast<size_t>(at)];
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return static_cast<int>(pOrder.size()) == count;
}

// ---- Segment lookups ----

KQelHtrSegment* KQelFileMotionAnalysisHtr::GetSegmentByName(const char* pName) const
{
    const auto found = mSegmentByName.find(pName ? pName : "");
    return found == mSegmentByName.end() ? nullptr : mSegments[found->second];
}

KQelHtrSegment* KQelFileMotionAnalysisHtr::GetSegmentByNode(KQelNode* pNode) const
{
    const auto found = mSegmentByNode.find(pNode);
    return found == mSegmentByNode.end() ? nullptr : mSegments[found->second];
}

void KQelFileMotionAnalysisHtr::SetSegmentNode(KQelHtrSegment& pSegment, KQelNode* pNode)
{
    pSegment.mNode = pNode;
    mSegmentByNode.emplace(pNode, pSegment.mIndex);
}

KQelHtrSegment* KQelFileMotionAnalysisHtr::ReadSegmentName()
{
    char token[KQelHtrSegment::kNameSize];
    if (!GetString(token, sizeof(token))) {
        Error("Can't read frame name");
        return nullptr;
    }
    // "[name]" fits 255 characters only for names of 253 or fewer.
    const size_t length = std::strlen(token);
    if (length < 2 || token[0] != '[' || token[length - 1] != ']')
        return nullptr;
    return GetSegmentByName(std::string(token + 1, length - 2).c_str());
}

// ---- Printing ----

void KQelFileMotionAnalysisHtr::PrintHeader(int pSegmentCount, int pFrameCount, int pFrameRate)
{
    mWriteFailed |= !Print(0,
                           "[Header]\nFileType HTR\nDataType HTRS\nFileVersion 1\nNumSegments %d\nNumFrames %d\n"
                           "DataFrameRate %d\nEulerRotationOrder ZYX\nCalibrationUnits mm\nRotationUnits Degrees\n"
                           "GlobalAxisofGravity Y\nBoneLengthAxis Y\nScaleFactor 1.0\n",
                           pSegmentCount, pFrameCount, pFrameRate);
}

void KQelFileMotionAnalysisHtr::PrintHierarchyHeader()
{
    mWriteFailed |= !Print(0, "[SegmentNames&Hierarchy]\n");
}

void KQelFileMotionAnalysisHtr::PrintHierarchy(const char* pName, const char* pParent)
{
    mWriteFailed |= !Print(0, "%s\t%s\n", pName, pParent ? pParent : "GLOBAL");
}

void KQelFileMotionAnalysisHtr::PrintBasePositionHeader()
{
    mWriteFailed |= !Print(0, "[BasePosition]\n");
}

void KQelFileMotionAnalysisHtr::PrintBasePosition(const char* pName, const KgeTVector& pTranslation,
                                                  const KgeRVector& pRotation, double pBoneLength)
{
    using motion_util::PrintedValue;
    mWriteFailed |= !Print(0, "%s\t%g\t%g\t%g\t%g\t%g\t%g\t%g\n", pName, PrintedValue(pTranslation[0]),
                           PrintedValue(pTranslation[1]), PrintedValue(pTranslation[2]), PrintedValue(pRotation[0]),
                           PrintedValue(pRotation[1]), PrintedValue(pRotation[2]), PrintedValue(pBoneLength));
}

void KQelFileMotionAnalysisHtr::PrintAnimationHeader(const char* pName)
{
    mWriteFailed |= !Print(0, "[%s]\n", pName);
}

void KQelFileMotionAnalysisHtr::PrintAnimation(int pFrame, const KgeTVector& pTranslation,
                                               const KgeRVector& pRotation)
{
    using motion_util::PrintedValue;
    mWriteFailed |= !Print(0, "%d\t%g\t%g\t%g\t%g\t%g\t%g\t1.0\n", pFrame, PrintedValue(pTranslation[0]),
                           PrintedValue(pTranslation[1]), PrintedValue(pTranslation[2]), PrintedValue(pRotation[0]),
                           PrintedValue(pRotation[1]), PrintedValue(pRotation[2]));
}

void KQelFileMotionAnalysisHtr::PrintFooter()
{
    mWriteFailed |= !Print(0, "[EndOfFile]\n");
}

}  // namespace qelsdk_600
