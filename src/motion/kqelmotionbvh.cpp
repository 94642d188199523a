#include "motion/kqelmotionbvh.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "io/kstreamoptionsmotion.h"

namespace qelsdk_600 {

namespace {

const char kType[] = "BioVision";
const char kDel[] = " \t\r\n";
const char kCom[] = "";

enum EMain { eHierarchy = 0, eMotion = 1 };
enum EJointToken { eOpen = 0, eOffset = 1, eChannelsToken = 2, eJointToken = 3, eEndSite = 4, eClose = 5 };
enum EMotion { eFrames = 0, eFrameTime = 1 };

const char* const kRotationNames[2][3] = {{"Zrotation", "Yrotation", "Xrotation"},
                                          {"Zrotation", "Xrotation", "Yrotation"}};

// Indentation grows with the level up to here and no further, so that the
// file of a deep chain of joints stays linear in its depth (the reader
// takes any indentation).
const int kMaxIndent = 32;

int Indent(int pLevel)
{
    return pLevel < kMaxIndent ? pLevel : kMaxIndent;
}

// Offsets this close to 0 are written as 0.
double Tidy(double pValue)
{
    return std::fabs(pValue) <= 0.00001 ? 0.0 : pValue;
}

}  // namespace

KToken KQelFileBiovision::mMain[] = {{"HIERARCHY", 0}, {"MOTION", 0}, {"", 0}};
KToken KQelFileBiovision::mHierarchy[] = {{"ROOT", 0}, {"", 0}};
KToken KQelFileBiovision::mJoint[] = {{"{", 0},     {"OFFSET", 0},   {"CHANNELS", 0},
                                      {"JOINT", 0}, {"End Site", 0}, {"}", 0},
                                      {"", 0}};
KToken KQelFileBiovision::mChannels[] = {{"Xposition", 0}, {"Yposition", 0}, {"Zposition", 0}, {"Xrotation", 0},
                                         {"Yrotation", 0}, {"Zrotation", 0}, {"", 0}};
KToken KQelFileBiovision::mMotion[] = {{"Frames:", 0}, {"Frame Time:", 0}, {"", 0}};

// ---- KBVHJoint ----

KBVHJoint::KBVHJoint()
    : mParent(nullptr),
      mChannelCount(0),
      mChannels{0, 0, 0, 0, 0, 0},
      mEndSite(false),
      mOffset(0.0, 0.0, 0.0, 1.0),
      mTranslation(0.0, 0.0, 0.0, 1.0),
      mRotation{0.0, 0.0, 0.0},
      mPreviousRotation{0.0, 0.0, 0.0},
      mNode(nullptr),
      mCurves{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}
{
    mName[0] = '\0';
}

// ---- KQelFileBiovision: reading ----

KQelFileBiovision::KQelFileBiovision(bool pReport)
    : KTextFile(kType, kDel, kCom, true, pReport),
      mChannelCount(0),
      mFrameCount(0),
      mFrameTime(0.0),
      mFileSize(0),
      mWriteFailed(false)
{
}

KQelFileBiovision::~KQelFileBiovision()
{
    DeleteJoints();
}

int KQelFileBiovision::Open(const char* pPath, const char* pMode)
{
    mFileSize = motion_util::FileSize(pPath);
    mWriteFailed = false;
    return KTextFile::Open(pPath, pMode);
}

void KQelFileBiovision::DeleteJoints()
{
    DeleteAndClear(mJoints);
    mChannelCount = 0;
}

KBVHJoint* KQelFileBiovision::AddJoint(KBVHJoint* pParent)
{
    KBVHJoint* joint = new KBVHJoint();
    mJoints.Add(joint);
    if (pParent) {
        joint->mParent = pParent;
        pParent->mChildren.Add(joint);
    }
    return joint;
}

bool KQelFileBiovision::ReadOptions(KStreamOptionsMotion* pOptions)
{
    bool found = FirstLine();
    while (found && Check(mMain) != eMotion)
        found = NextLine();
    const bool read = found && Handle(mMain) == eMotion && NextLine() && ReadMotionHeader(pOptions);
    if (pOptions)
        pOptions->SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eOn);
    return read;
}

bool KQelFileBiovision::ReadMain(KStreamOptionsMotion*)
{
    if (!FirstLine())
        return false;
    for (;;) {
        switch (Handle(mMain)) {
        case eHierarchy:
            if (!NextLine() || !ReadHierarchy() || !NextLine())
                return false;
            break;
        case eMotion:
            return NextLine() && ReadMotionHeader(nullptr);
        default:
            return false;
        }
    }
}

bool KQelFileBiovision::ReadHierarchy()
{
    return Handle(mHierarchy) == 0 && ReadRoot();
}

bool KQelFileBiovision::ReadBodyStart(KBVHJoint* pJoint)
{
    return NextLine() && Handle(mJoint) == eOpen && NextLine() && ReadOffset(pJoint) && NextLine() &&
           ReadChannels(pJoint) && NextLine();
}

bool KQelFileBiovision::ReadRoot()
{
    DeleteJoints();
    KBVHJoint* root = AddJoint(nullptr);
    if (!GetString(root->mName, sizeof(root->mName)) || !ReadBodyStart(root))
        return false;
    // The joints whose "}" is still to come, innermost last.
    std::vector<KBVHJoint*> open(1, root);
    while (!open.empty()) {
        switch (Handle(mJoint)) {
        case eJointToken: {
            KBVHJoint* joint = ReadJoint(open.back());
            if (!joint)
                return false;
            open.push_back(joint);
            break;
        }
        case eEndSite:
            if (!ReadEndSite(open.back()) || !NextLine())
                return false;
            break;
        case eClose:
            open.pop_back();
            // The root's "}" ends the hierarchy where it stands.
            if (!open.empty() && !NextLine())
                return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

KBVHJoint* KQelFileBiovision::ReadJoint(KBVHJoint* pParent)
{
    KBVHJoint* joint = AddJoint(pParent);
    return GetString(joint->mName, sizeof(joint->mName)) && ReadBodyStart(joint) ? joint : nullptr;
}

bool KQelFileBiovision::ReadEndSite(KBVHJoint* pParent)
{
    KBVHJoint* joint = AddJoint(pParent);
    std::strcpy(joint->mName, "End");
    joint->mEndSite = true;
    return NextLine() && Handle(mJoint) == eOpen && NextLine() && ReadOffset(joint) && NextLine() &&
           Handle(mJoint) == eClose;
}

bool KQelFileBiovision::ReadOffset(KBVHJoint* pJoint)
{
    double offset[3];
    if (Handle(mJoint) != eOffset || !GetVector(offset, 1.0))
        return false;
    pJoint->mOffset.Set(offset[0], offset[1], offset[2], 1.0);
    return true;
}

bool KQelFileBiovision::ReadChannels(KBVHJoint* pJoint)
{
    int count = 0;
    if (Handle(mJoint) != eChannelsToken || !GetInteger(count) || count < 0 || count > KBVHJoint::kMaxChannels ||
        count > INT_MAX - mChannelCount)
        return false;
    pJoint->mChannelCount = count;
    mChannelCount += count;
    for (int i = 0; i < count; ++i) {
        const int kind = Handle(mChannels);
        if (kind < 0)
            return false;
        pJoint->mChannels[i] = kind;
    }
    return true;
}

bool KQelFileBiovision::ReadMotionHeader(KStreamOptionsMotion* pOptions)
{
    int frames = 0;
    double frameTime = 0.0;
    if (Handle(mMotion) != eFrames || !GetInteger(frames) || !NextLine() || Handle(mMotion) != eFrameTime ||
        !GetDouble(frameTime))
        return false;
    mFrameCount = frames < 0 ? 0 : frames;
    mFrameTime = frameTime;
    if (frameTime > 0.0 && frameTime < DBL_MAX) {
        // 1 / time made whole in doubles: a tiny time must not overflow.
        const double rate = 1.0 / frameTime;
        const double whole = std::floor(rate);
        if (pOptions)
            pOptions->SetTimeMode(KTime::eDEFAULT_MODE, rate - whole > 0.5 ? whole + 1.0 : whole);
    } else if (pOptions) {
        mFrameTime = 1.0 / pOptions->GetFrameRate();
    }
    if (pOptions)
        pOptions->SetFrameCount(mFrameCount);
    return true;
}

bool KQelFileBiovision::ReadOneFrame(double* pValues, int pCount)
{
    for (int i = 0; i < pCount; ++i) {
        if (!GetDouble(pValues[i]) || !std::isfinite(pValues[i]))
            return false;
    }
    return true;
}

// ---- KQelFileBiovision: writing ----

void KQelFileBiovision::PrintOffset(const KQelVector4& pOffset, int pLevel)
{
    mWriteFailed |=
        !Print(Indent(pLevel), "%s %g %g %g\n", "OFFSET", Tidy(pOffset[0]), Tidy(pOffset[1]), Tidy(pOffset[2]));
}

void KQelFileBiovision::PrintJointBegin(const char* pName, bool pRoot, const KQelVector4& pOffset, int pLevel,
                                        bool pRotationOnly, bool pZxy)
{
    if (pRoot) {
        mWriteFailed |= !Print(Indent(pLevel), "%s\n", "HIERARCHY");
        mWriteFailed |= !Print(Indent(pLevel), "%s %s\n", "ROOT", pName);
    } else {
        mWriteFailed |= !Print(Indent(pLevel), "%s %s\n", "JOINT", pName);
    }
    mWriteFailed |= !Print(Indent(pLevel), "{\n");
    PrintOffset(pOffset, pLevel + 1);
    const char* const* rotation = kRotationNames[pZxy ? 1 : 0];
    if (!pRoot && pRotationOnly)
        mWriteFailed |=
            !Print(Indent(pLevel + 1), "%s 3 %s %s %s\n", "CHANNELS", rotation[0], rotation[1], rotation[2]);
    else
        mWriteFailed |= !Print(Indent(pLevel + 1), "%s 6 %s %s %s %s %s %s\n", "CHANNELS", "Xposition", "Yposition",
                               "Zposition", rotation[0], rotation[1], rotation[2]);
}

void KQelFileBiovision::PrintJointEnd(int pLevel)
{
    mWriteFailed |= !Print(Indent(pLevel), "}\n");
}

void KQelFileBiovision::PrintJointEndSite(const KQelVector4& pOffset, int pLevel)
{
    mWriteFailed |= !Print(Indent(pLevel), "End Site\n");
    mWriteFailed |= !Print(Indent(pLevel), "{\n");
    PrintOffset(pOffset, pLevel + 1);
    mWriteFailed |= !Print(Indent(pLevel), "}\n");
}

void KQelFileBiovision::PrintMotionHeader(int pFrameCount, double pFrameTime)
{
    mWriteFailed |= !Print(0, "MOTION\n");
    mWriteFailed |= !Print(0, "%s\t%d\n", "Frames:", pFrameCount);
    mWriteFailed |= !Print(0, "%s\t%g\n", "Frame Time:", pFrameTime);
}

void KQelFileBiovision::PrintMotion(bool pRoot, const KQelVector4& pTranslation, const KQelVector4& pRotation,
                                    bool pRotationOnly, bool)
{
    if (!pRoot && pRotationOnly)
        mWriteFailed |= !Print(0, "%g %g %g ", pRotation[2], pRotation[1], pRotation[0]);
    else
        mWriteFailed |= !Print(0, "%g %g %g %g %g %g ", pTranslation[0], pTranslation[1], pTranslation[2],
                               pRotation[2], pRotation[1], pRotation[0]);
}

void KQelFileBiovision::PrintMotionFrameEnd()
{
    mWriteFailed |= !Print(0, "\n");
}

}  // namespace qelsdk_600
