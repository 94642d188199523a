#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "curves/kfcurvenode.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionasf.h"

namespace qelsdk_600 {

namespace {

const char kDel[] = " \t, ()\r\n";
const char kCom[] = "#";
const int kFileNameSize = 51;

enum EKeyword { eFormat = 0, eFullySpecified, eDegrees, eAsfFile, eAsfPath, eSamplesPerSecond, eFrameRange,
                eKeyframeList, eSmpte, eOtherKeyword };

// pStart + pPeriod x pCount; false when that passes what a time holds.
bool TimeAt(KTime pStart, KTime pPeriod, kLongLong pCount, KTime& pTime)
{
    kLongLong offset = 0;
    kLongLong sum = 0;
    if (__builtin_mul_overflow(pPeriod.Get(), pCount, &offset) || __builtin_add_overflow(pStart.Get(), offset, &sum))
        return false;
    pTime = KTime(sum);
    return true;
}

// The row vector pVector (x, y, z) times the 3x3 part of pMatrix.
KQelVector4 Times(const KQelVector4& pVector, const double (*pMatrix)[4])
{
    KQelVector4 out(0.0, 0.0, 0.0, 1.0);
    for (int i = 0; i < 3; ++i)
        out[i] = pVector[0] * pMatrix[0][i] + pVector[1] * pMatrix[1][i] + pVector[2] * pMatrix[2][i];
    return out;
}

// The values of a curve node at pTime into pValues (at most three kept).
void Evaluate(KFCurveNode* pNode, KTime pTime, double* pValues)
{
    if (!pNode)
        return;
    std::vector<double> values(static_cast<size_t>(std::max(3, pNode->GetValueCount())), 0.0);
    pNode->CandidateEvaluate(values.data(), pTime);
    std::copy(values.begin(), values.begin() + 3, pValues);
}

}  // namespace

KToken KQelFileAcclaimAmc::mMain[] = {{":FORMAT", 0},       {":FULLY-SPECIFIED", 0},     {":DEGREES", 0},
                                      {":ASF-FILE", 0},     {":ASF-PATH", 0},            {":SAMPLES-PER-SECOND", 0},
                                      {":FRAME-RANGE", 0},  {":KEYFRAME-LIST", 0},       {":SMPTE", 0},
                                      {":", 0},             {"", 0}};

KQelFileAcclaimAmc::KQelFileAcclaimAmc(bool pReport)
    : KTextFile("AMC", kDel, kCom, true, pReport), mKeys(0), mFrame(0), mWriteFailed(false)
{
}

bool KQelFileAcclaimAmc::AtFrameNumber() const
{
    // What GetDouble takes: a finite number, or "inf" or "-inf" alone.
    const char* text = GetCursor();
    double number = 0.0;
    if (motion_util::ParseRealC(text, number))
        return true;
    text = GetCursor() + (*GetCursor() == '-' ? 1 : 0);
    if (std::strncmp(text, "inf", 3) != 0)
        return false;
    for (text += 3; *text && std::strchr(kDel, *text); ++text) {
    }
    return *text == '\0';
}

bool KQelFileAcclaimAmc::CheckFormat()
{
    KString word;
    if (!GetString(word))
        return false;
    if (word.CompareNoCase("FIRSTFRAME-INDEXED") == 0) {
        Error("Unsupported DOF line format\n");
        return false;
    }
    return true;
}

bool KQelFileAcclaimAmc::ReadOptions(KStreamOptionsMotion* pOptions)
{
    double rate = 0.0;
    bool rated = false;
    int first = 0;
    int last = 0;
    bool ranged = false;
    kLongLong frames = 0;
    bool line = FirstLine();
    while (line) {
        int number = 0;
        switch (Handle(mMain)) {
        case eFormat:
            if (!CheckFormat())
                return false;
            break;
        case eSamplesPerSecond:
            rated = GetDouble(rate) || rated;
            break;
        case eFrameRange: {
            char joiner = '\0';
            int from = 0;
            int to = 0;
            if (GetInteger(from) && GetChar(joiner) && joiner == '-' && GetInteger(to) && to >= from) {
                first = from;
                last = to;
                ranged = true;
            }
            break;
        }
        case -1:
            if (!GetInteger(number))
                return false;
            ++frames;
            while ((line = NextLine()) && !AtFrameNumber()) {
            }
            continue;
        default:
            break;
        }
        line = NextLine();
    }
    if (!pOptions)
        return true;
    if (rated)
        pOptions->SetTimeMode(KTime::eDEFAULT_MODE, rate);
    if (ranged)
        frames = std::min<kLongLong>(frames, static_cast<kLongLong>(last) - first + 1);
    KTime start;
    if (!TimeAt(KTime(0), pOptions->GetFramePeriod(), ranged ? first : 0, start))
        return false;
    pOptions->SetStart(start);
    pOptions->SetFrameCount(static_cast<int>(std::min<kLongLong>(frames, INT_MAX)));
    return true;
}

bool KQelFileAcclaimAmc::Read(KQelAsfScene& pScene, KStreamOptionsMotion* pOptions)
{
    KQelAsfNode* root = pScene.mRoot;
    if (!root)
        return false;
    // Bone lines name bones by hash; the first of a name depth first wins.
    mBoneByName.clear();
    mSampledFrame.clear();
    mKeys = 0;
    mFrame = 0;
    {
        std::vector<KQelAsfNode*> pending;
        for (int c = root->mChildren.GetCount() - 1; c >= 0; --c)
            pending.push_back(root->mChildren[c]);
        while (!pending.empty()) {
            KQelAsfNode* bone = pending.back();
            pending.pop_back();
            mBoneByName.emplace(bone->mName, bone);
            for (int c = bone->mChildren.GetCount() - 1; c >= 0; --c)
                pending.push_back(bone->mChildren[c]);
        }
    }
    const KTime start = pOptions->GetStart();
    const KTime period = pOptions->GetFramePeriod();
    const int limit = pOptions->GetFrameCount();
    root->CreateDataFromDOF();
    root->StartSamplingData();
    bool ok = FirstLine();
    KTime previous;
    int read = 0;
    while (ok && !IsEOF()) {
        const int keyword = Handle(mMain);
        if (keyword >= 0) {
            if (keyword == eFormat) {
                ok = CheckFormat();
            } else if (keyword == eOtherKeyword) {
                KString word;
                GetString(word);
                Warning("Ignoring unknown keyword (:%s)\n", word.Buffer());
            }
            if (ok && !NextLine()) {
                Error("Unexpected end of file\n");
                ok = false;
            }
            continue;
        }
        double number = 0.0;
        if (!GetDouble(number)) {
            Error("Unknown keyword\n");
            ok = false;
            break;
        }
        if (limit > 0 && read == limit)
            break;
        pOptions->UpdateProgress(nullptr, "Reading AMC animation frames",
                                 limit > 0 ? static_cast<float>(static_cast<kLongLong>(read) * 100 / limit) : 0.0f);
        // Frames need increasing times: the keys are appended as they come.
        KTime time;
        ok = number >= static_cast<double>(INT_MIN) && number <= static_cast<double>(INT_MAX) &&
             TimeAt(start, period, static_cast<kLongLong>(std::trunc(number - 1.0)), time) &&
             (read == 0 || time > previous);
        if (!ok) {
            Error("Bad frame number\n");
            break;
        }
        previous = time;
        ++read;
        ok = ReadFrame(pScene, time);
    }
    root->StopSamplingData();
    return ok;
}

bool KQelFileAcclaimAmc::ReadFrame(KQelAsfScene& pScene, KTime pTime)
{
    const double lengthScale = pScene.mLengthUnit > 0.0 ? 2.54 / pScene.mLengthUnit : 1.0;
    ++mFrame;
    bool root = false;
    while (NextLine()) {
        if (AtFrameNumber())
            return true;
        char name[kFileNameSize];
        GetString(name, sizeof(name));
        KQelAsfNode* bone = nullptr;
        if (!root && std::strcmp(name, "root") == 0) {
            bone = pScene.mRoot;
            root = true;
        } else {
            const auto found = mBoneByName.find(name);
            bone = found == mBoneByName.end() ? nullptr : found->second;
        }
        if (!bone) {
            Error("Unknown bone name (%s)\n", name);
            return false;
        }
        // A bone twice in a frame would key one time twice.
        int& sampled = mSampledFrame[bone];
        if (sampled == mFrame) {
            Error("Bone %s repeated in a frame\n", name);
            return false;
        }
        sampled = mFrame;
        double values[KQelAsfNode::kMaxDofs] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
        int count = 0;
        for (double value = 0.0; GetDouble(value); ++count) {
            if (!std::isfinite(value)) {
                Error("Bad value for bone %s\n", name);
                return false;
            }
            if (count < KQelAsfNode::kMaxDofs)
                values[count] = value;
        }
        mKeys += 6;
        if (mKeys > motion_util::kKeyBudget ||
            !bone->AddSampleFromDOF(values, pTime, lengthScale, pScene.mAngleFactor))
            return false;
    }
    return true;
}

// ---- Writing ----

void KQelFileAcclaimAmc::WriteHeader(KQelAsfScene&, bool pWriteRate, double pRate, bool pWriteRange, int pFirst,
                                     int pLast)
{
    if (pWriteRate)
        mWriteFailed |= !Print(0, "%s %g\n", ":SAMPLES-PER-SECOND", pRate);
    if (pWriteRange)
        mWriteFailed |= !Print(0, "%s %d-%d\n", ":FRAME-RANGE", pFirst, pLast);
    mWriteFailed |= !Print(0, ":FULLY-SPECIFIED\n");
    mWriteFailed |= !Print(0, ":DEGREES\n");
}

void KQelFileAcclaimAmc::WriteFrame(KQelAsfScene& pScene, KTime pTime, int pFrameNumber,
                                    const KgeAMatrix* pGlobalMatrix)
{
    mWriteFailed |= !Print(0, "%d\n", pFrameNumber);
    WriteBone(pScene, pTime, pGlobalMatrix);
}

void KQelFileAcclaimAmc::WriteBone(KQelAsfScene& pScene, KTime pTime, const KgeAMatrix* pGlobalMatrix)
{
    using motion_util::PrintedValue;
    struct Visit {
        KQelAsfNode* mBone;
        KgeAMatrix mMatrix;  // from the caller: scaling of the parents, or the global above the root
        bool mHasMatrix;
    };
    if (!pScene.mRoot)
        return;
    const double factor = pScene.mLengthUnit / 2.54;
    std::vector<Visit> pending(1, Visit{pScene.mRoot, pGlobalMatrix ? *pGlobalMatrix : KgeAMatrix(),
                                        pGlobalMatrix != nullptr});
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        KQelAsfNode& bone = *visit.mBone;
        KQelVector4 t(0.0, 0.0, 0.0, 1.0);
        double r[3] = {0.0, 0.0, 0.0};
        double s[3] = {1.0, 1.0, 1.0};
        double values[3];
        if (bone.mSceneCurveNodes[0]) {
            Evaluate(bone.mSceneCurveNodes[0], pTime, values);
            t.Set(values[0], values[1], values[2], 1.0);
        }
        Evaluate(bone.mSceneCurveNodes[1], pTime, r);
        Evaluate(bone.mSceneCurveNodes[2], pTime, s);
        // The children get the scaling of the parents and this bone's.
        KgeAMatrix handed;
        for (int k = 0; k < 3; ++k) {
            const double* row = visit.mMatrix[k];
            const double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
            const double scale = visit.mHasMatrix ? length : 1.0;
            handed[k][k] = scale * s[k];
        }
        if (bone.mDofCount > 0) {
            KgeRMatrix rotation;
            KmXYZtoR(rotation, r[0], r[1], r[2]);
            if (visit.mHasMatrix) {
                KQelVector4 placed = Times(t, visit.mMatrix);
                for (int k = 0; k < 3; ++k)
                    placed[k] += visit.mMatrix[3][k];
                t = placed;
                KgeRMatrix above;
                KgeSetRM(above, visit.mMatrix);
                KmRR(rotation, above, rotation);
            }
            // The inverse of what the reader composes.
            KmRR(rotation, bone.mParentAxisMatrix, rotation);
            KmRR(rotation, bone.mInverseAxisMatrix, rotation);
            const int order = EulerOrderFromOrderBuf(bone.mDofs, bone.mDofCount);
            double angles[3];
            KmRtoVord(angles, rotation, order);
            OrderVector(angles, order);
            KQelVector4 translation = bone.mParent ? Times(t, bone.mParentAxisMatrix) - bone.mParentBoneVector : t;
            translation = Times(translation, bone.mInverseAxisMatrix) * factor;
            mWriteFailed |= !Print(0, "%s ", bone.mName);
            for (int i = 0; i < bone.mDofCount; ++i) {
                const int dof = bone.mDofs[i];
                const double value = dof <= KQelAsfNode::eTz ? translation[dof] : angles[KQelAsfNode::eRx - dof];
                mWriteFailed |= !Print(0, " %g", PrintedValue(value));
            }
            mWriteFailed |= !Print(0, "\n");
        }
        for (int c = bone.mChildren.GetCount() - 1; c >= 0; --c)
            pending.push_back(Visit{bone.mChildren[c], handed, true});
    }
}

}  // namespace qelsdk_600
