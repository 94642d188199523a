#include <climits>
#include <memory>
#include <new>
#include <vector>

#include "io/kstreamoptionsmotion.h"
#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "motion/kqelmotionhtr.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

using Limits = KQelLimitsUtilities;
using Options = KStreamOptionsMotion;

const char kMemoryText[] = "Not enough memory to allocate animation buffer.";
// Keys per segment and frame: translation X, Y, Z, rotation X, Y, Z.
const int kKeysPerFrame = 6;

// The rotation of Euler XYZ angles (degrees) with the translation pT.
KgeAMatrix Affine(const KQelVector4& pAngles, const KQelVector4& pT)
{
    KgeAMatrix matrix;
    KmXYZtoR(matrix, pAngles[0], pAngles[1], pAngles[2]);
    for (int k = 0; k < 3; ++k)
        matrix[3][k] = pT[k];
    return matrix;
}

// The rotation of pGlobal without its scaling, with pGlobal's translation
// times pFactor.
KgeAMatrix Unscaled(const KQelXMatrix& pGlobal, double pFactor)
{
    return Affine(pGlobal.GetR(), pGlobal.GetT() * pFactor);
}

KQelVector4 EulerOf(const double (*pRotation)[4])
{
    double angles[3];
    KmRtoVXYZ(angles, pRotation);
    return KQelVector4(angles[0], angles[1], angles[2], 0.0);
}

// The global state of pNode relative to the pinned node.
KQelXMatrix& StateOf(KQelNode* pNode)
{
    pNode->ComputeGlobalState(1, false);
    return pNode->GetGlobalState();
}

}  // namespace

// One node written as a segment, its parent earlier in the list: its base
// position and bone length in file units, kept beside the node rather than
// on a copy of the tree (which would double the nodes of a deep skeleton);
// its frames are kept as floats, as keys hold them.
struct KQelWriterMotionAnalysisHtr::Segment {
    KQelNode* mNode;
    int mParent;  // -1 for the root
    KString mName;
    KQelVector4 mBaseTranslation;  // millimetres
    KQelVector4 mBaseRotation;     // Euler XYZ, degrees
    double mBoneLength;            // millimetres
    KgeAMatrix mHanded;            // the matrix handed to the children
};

KQelWriterMotionAnalysisHtr::KQelWriterMotionAnalysisHtr(KQelSdkManager& pManager)
    : KQelMotionFileWriter(pManager), mOptions(nullptr), mRoot(nullptr), mScale(0.1)
{
}

KStreamOptions* KQelWriterMotionAnalysisHtr::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eExportFromGlobalPosition, Options::eOff},
                                       {Options::eExportRequireSingleRootNode, Options::eOn}});
    return options;
}

void KQelWriterMotionAnalysisHtr::ConvertBasePosition(std::vector<Segment>& pSegments, KQelPose* pPose)
{
    const double f = UnitFactor();
    // The turn of the Y axis (the file's bone axis) onto X.
    KgeRMatrix swap;
    {
        KgeQuaternion turn;
        KgeSetQuaternion(turn, KgeTVector(0.0, 1.0, 0.0));
        KgeRMatrix rotation;
        KmQtoR(rotation, turn);
        KmRi(swap, rotation);
    }
    const bool restPose = pPose && pPose->GetTypeName() == "RestPose";
    for (Segment& segment : pSegments) {
        KQelNode* node = segment.mNode;
        Limits limits(&node->GetLimits());
        limits.UpdateAutomatic(node);
        const KQelVector4 d = limits.GetDefault(Limits::eTranslation);
        const KQelVector4 axis = limits.GetRotationAxis();
        // A node whose rotation limit is on keeps no length of its own: the
        // distance to its end point, as an automatic limit measures it.
        const double length =
            limits.GetAuto(Limits::eRotation) ? limits.GetAxisLength() : limits.GetEndPointTranslation(node).Length();
        KgeRMatrix post;
        KmXYZtoR(post, axis[0], axis[1], axis[2]);
        const KQelVector4 parentScale = StateOf(node->GetParent()).GetS();
        const KQelVector4 scale = StateOf(node).GetS();
        KQelVector4 t;
        KQelVector4 bone;
        for (int k = 0; k < 3; ++k) {
            t[k] = d[k] * f * parentScale[k];
            bone[k] = post[0][k] * f * length * scale[k];
        }
        segment.mBoneLength = bone.Length();
        KgeRMatrix turn;
        KmRR(turn, post, swap);
        KgeAMatrix base = Affine(EulerOf(turn), t);
        KQelXMatrix local;
        KgeAMatrix& rows = local;
        rows = base;
        if (segment.mParent >= 0) {
            // Turned back by the parent's rotation; the translation stays.
            KgeRMatrix parent;
            KgeSetRM(parent, pSegments[static_cast<size_t>(segment.mParent)].mHanded);
            KmRiR(rows, parent, base);
        }
        const int entry = restPose ? pPose->Find(segment.mName.Buffer()) : -1;
        if (entry >= 0 && pPose->IsLocalMatrix(entry)) {
            local = pPose->GetMatrix(entry);
            for (int k = 0; k < 3; ++k)
                rows[3][k] *= f;
        }
        segment.mBaseTranslation = local.GetT();
        segment.mBaseRotation = local.GetR();
        segment.mHanded = base;
    }
}

void KQelWriterMotionAnalysisHtr::ConvertAnimation(std::vector<Segment>& pSegments, int pFrame, float* pKeys)
{
    const double f = UnitFactor();
    const size_t frameCount = static_cast<size_t>(mOptions->GetFrameCount());
    for (size_t s = 0; s < pSegments.size(); ++s) {
        Segment& segment = pSegments[s];
        KgeAMatrix global = Unscaled(StateOf(segment.mNode), f);
        const KgeAMatrix base = Affine(segment.mBaseRotation, segment.mBaseTranslation);
        KgeAMatrix local;
        if (segment.mParent < 0) {
            segment.mHanded = base;
            KmRR(global, global, base);
            local = global;
        } else {
            const KgeAMatrix& handed = pSegments[static_cast<size_t>(segment.mParent)].mHanded;
            KgeAMatrix parent = Unscaled(StateOf(segment.mNode->GetParent()), f);
            KgeRMatrix rotation;
            KgeSetRM(rotation, handed);
            KgeAMatrix next;
            KmAA(next, rotation, base);
            segment.mHanded = next;
            KmRR(parent, parent, handed);
            KmRR(global, global, next);
            KmAiA(local, parent, global);
        }
        KgeRMatrix turn;
        KmRiR(turn, base, local);
        const KQelVector4 angles = EulerOf(turn);
        float* keys = pKeys + (s * frameCount + static_cast<size_t>(pFrame)) * kKeysPerFrame;
        for (int k = 0; k < 3; ++k) {
            keys[k] = static_cast<float>(local[3][k] - segment.mBaseTranslation[k]);
            keys[3 + k] = static_cast<float>(angles[k]);
        }
    }
}

void KQelWriterMotionAnalysisHtr::WriteNodeHierarchy(const std::vector<Segment>& pSegments)
{
    for (const Segment& segment : pSegments) {
        const Segment* parent = segment.mParent >= 0 ? &pSegments[static_cast<size_t>(segment.mParent)] : nullptr;
        mFile->PrintHierarchy(segment.mName.Buffer(), parent ? parent->mName.Buffer() : nullptr);
    }
}

void KQelWriterMotionAnalysisHtr::WriteNodeBasePosition(const std::vector<Segment>& pSegments)
{
    for (const Segment& segment : pSegments) {
        const KQelVector4& t = segment.mBaseTranslation;
        const KQelVector4& r = segment.mBaseRotation;
        mFile->PrintBasePosition(segment.mName.Buffer(), KgeTVector(t[0], t[1], t[2]), KgeRVector(r[0], r[1], r[2]),
                                 segment.mBoneLength);
    }
}

void KQelWriterMotionAnalysisHtr::WriteNodeAnimation(const std::vector<Segment>& pSegments, const float* pKeys)
{
    const int count = static_cast<int>(pSegments.size());
    const int frameCount = mOptions->GetFrameCount();
    const float* frame = pKeys;
    for (int s = 0; s < count; ++s) {
        mOptions->UpdateProgress(nullptr, nullptr, static_cast<float>(50 + static_cast<kLongLong>(s) * 50 / count));
        mFile->PrintAnimationHeader(pSegments[static_cast<size_t>(s)].mName.Buffer());
        for (int i = 0; i < frameCount; ++i, frame += kKeysPerFrame)
            mFile->PrintAnimation(i + 1, KgeTVector(frame[0], frame[1], frame[2]),
                                  KgeRVector(frame[3], frame[4], frame[5]));
    }
}

bool KQelWriterMotionAnalysisHtr::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    KQelNode* root = FindRootNode(pScene);
    if (!root) {
        mError.SetLastError(eFileNotCreated, "Can not find root node.");
        return false;
    }
    KStreamOptionsMotion* options = motion_util::MotionOptions(pOptions);
    if (!options) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    KString message("Spaces are not allowed in HTR node names:");
    if (!CheckSpaceInNodeNameRecursive(root, message)) {
        motion_util::ShowOkMessage(options, "Error", message.Buffer(), "OK");
        mError.SetLastError(eUnidentifiedError, message.Buffer());
        mMessage = message;
        return false;
    }
    root->ResetPivotSetAndConvertAnimation();
    KQelNode* pinned =
        motion_util::IsOn(*options, Options::eExportFromGlobalPosition) ? pScene.GetRootNode() : root->GetParent();

    // Every node below the root is a segment, parents first.
    std::vector<Segment> segments;
    std::vector<std::pair<KQelNode*, int>> pending(1, {root, -1});
    while (!pending.empty()) {
        const std::pair<KQelNode*, int> at = pending.back();
        pending.pop_back();
        const int index = static_cast<int>(segments.size());
        segments.push_back(Segment{at.first, at.second, at.first->GetNameWithoutNameSpacePrefix(), KQelVector4(),
                                   KQelVector4(), 0.0, KgeAMatrix()});
        for (int c = at.first->GetChildCount() - 1; c >= 0; --c)
            pending.emplace_back(at.first->GetChild(c), index);
    }
    const int frameCount = options->GetFrameCount();
    const kLongLong keyCount = static_cast<kLongLong>(frameCount) * static_cast<kLongLong>(segments.size());
    std::unique_ptr<float[]> keys(keyCount <= motion_util::kKeyBudget / kKeysPerFrame
                                      ? new (std::nothrow) float[static_cast<size_t>(keyCount) * kKeysPerFrame]
                                      : nullptr);
    if (!keys) {
        motion_util::ShowOkMessage(options, "Error", kMemoryText, "OK");
        mError.SetLastError(eUnidentifiedError, kMemoryText);
        return false;
    }
    mOptions = options;
    mRoot = root;

    pinned->SetLocalStateFromDefaultTake(true);
    pinned->SetGlobalState(KQelXMatrix());
    pinned->SetGlobalStateId(0, true);
    pinned->SetGlobalStateId(1, false);
    ConvertBasePosition(segments, mFile->RetrieveRestPose(pScene, pinned->GetName()));
    const KTime period = options->GetFramePeriod();
    KTime time = options->GetStart();
    for (int i = 0; i < frameCount; ++i, time += period) {
        options->UpdateProgress(nullptr, "Converting HTR nodes",
                                static_cast<float>(static_cast<kLongLong>(i) * 50 / frameCount));
        motion_util::PinRoot(pinned, time);
        ConvertAnimation(segments, i, keys.get());
    }
    options->UpdateProgress(nullptr, "Writing HTR nodes", 50.0f);

    // The rate 1 / period, cut to a whole number; a period of a few ticks
    // gives the largest int.
    const double rate = static_cast<double>(KTime::kTicksPerSecond) / static_cast<double>(period.Get());
    const int frameRate = rate >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rate);
    mFile->PrintHeader(static_cast<int>(segments.size()), frameCount, frameRate);
    mFile->PrintHierarchyHeader();
    WriteNodeHierarchy(segments);
    mFile->PrintBasePositionHeader();
    WriteNodeBasePosition(segments);
    WriteNodeAnimation(segments, keys.get());
    mFile->PrintFooter();
    mOptions = nullptr;
    mRoot = nullptr;
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
