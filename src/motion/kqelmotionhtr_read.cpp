#include <algorithm>
#include <cmath>
#include <vector>

#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"
#include "math/kqelmatrix.h"
#include "motion/kqelmotionhtr.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// A frame line holds eight numbers and their delimiters: 16 bytes at least.
const int kFrameLineBytes = 16;

using Limits = KQelLimitsUtilities;

KQelVector4 EulerOf(const double (*pRotation)[4])
{
    double angles[3];
    KmRtoVXYZ(angles, pRotation);
    return KQelVector4(angles[0], angles[1], angles[2], 0.0);
}

// Each axis row of pMatrix divided by its length, negated when the rows
// form a left-handed frame.
void Orthonormalize(KgeAMatrix& pMatrix)
{
    const double* x = pMatrix[0];
    const double* y = pMatrix[1];
    const double* z = pMatrix[2];
    const double triple =
        (x[1] * y[2] - x[2] * y[1]) * z[0] + (x[2] * y[0] - x[0] * y[2]) * z[1] + (x[0] * y[1] - x[1] * y[0]) * z[2];
    const double sign = triple < 0.0 ? -1.0 : 1.0;
    for (int row = 0; row < 3; ++row) {
        const double length = std::sqrt(pMatrix[row][0] * pMatrix[row][0] + pMatrix[row][1] * pMatrix[row][1] +
                                        pMatrix[row][2] * pMatrix[row][2]);
        if (length == 0.0)
            continue;
        for (int k = 0; k < 3; ++k)
            pMatrix[row][k] /= sign * length;
    }
}

// The end node's limits switched on, its translation locked at pAt.
void LockEndNode(KQelNode& pNode, const KQelVector4& pAt)
{
    Limits limits(&pNode.GetLimits());
    limits.SetAuto(Limits::eTranslation, false);
    limits.SetAuto(Limits::eRotation, false);
    limits.SetEnable(Limits::eTranslation, true);
    pNode.SetDefaultT(pAt);
    limits.SetDefault(Limits::eTranslation, pAt);
}

}  // namespace

// ---- KQelFileMotionAnalysisHtr: frames ----

bool KQelFileMotionAnalysisHtr::ReadFrame(KQelHtrSegment* pSegment, int pFrame, KTime pTime)
{
    int number = 0;
    KgeTVector translation;
    KgeRVector angles;
    double scaling = 0.0;
    bool ok = GetInteger(number);
    Step(ok, "Can't read frame translation", [&] { return GetVector(translation, LengthFactor()); });
    Step(ok, "Can't read frame rotation", [&] { return GetVector(angles, mRotationScale); });
    Step(ok, "Can't read frame scaling", [&] { return GetDouble(scaling); });
    for (int k = 0; k < 3 && ok; ++k) {
        translation[k] += pSegment->mBaseTranslation[k];
        ok = motion_util::FitsKey(translation[k]) && std::isfinite(angles[k]);
    }
    if (!ok)
        return false;
    KgeRMatrix frame;
    KANRotationOrder(mRotationOrder).V2M(frame, angles);
    KgeRMatrix turn;
    KmRR(turn, pSegment->mBaseRotation, frame);
    KgeRVector rotation;
    KmRtoVXYZ(rotation, turn);
    pSegment->AddFrame(pFrame, pTime, translation, rotation, KgeSVector());
    return true;
}

bool KQelFileMotionAnalysisHtr::ReadFrames(KStreamOptionsMotion* pOptions, KQelNode*)
{
    if (mDataType != 0)
        return false;
    const int fileFrames = std::max(0, mNumFrames);
    if (pOptions->GetFrameCount() > fileFrames)
        pOptions->SetFrameCount(fileFrames);
    const int frameCount = pOptions->GetFrameCount();
    const KTime start = pOptions->GetStart();
    const KTime period = pOptions->GetFramePeriod();
    const int count = mSegments.GetCount();
    std::vector<char> sampled(static_cast<size_t>(count), 0);
    // Room for no more frame lines than the rest of the file can hold (16
    // bytes a line or more), and no more keys than one read may make.
    kLongLong bytesLeft = std::max<kLongLong>(0, mFileSize);
    kLongLong keys = 0;
    for (int i = 0; i < count; ++i) {
        pOptions->UpdateProgress(nullptr, nullptr, static_cast<float>(static_cast<kLongLong>(i) * 100 / count));
        if (i > 0 && !NextLine())
            return false;
        KQelHtrSegment* segment = ReadSegmentName();
        if (!segment || sampled[static_cast<size_t>(segment->mIndex)])
            return false;
        sampled[static_cast<size_t>(segment->mIndex)] = 1;
        // This section and each one after it need their lines (the file's
        // last may lack its line feed).
        const kLongLong sectionsLeft = count - i;
        const int room =
            static_cast<int>(std::min<kLongLong>(frameCount, (bytesLeft + 1) / (kFrameLineBytes * sectionsLeft)));
        keys += static_cast<kLongLong>(room) * KQelHtrSegment::eCurveCount;
        if (keys > motion_util::kKeyBudget || !segment->StartSampling(room))
            return false;
        int read = 0;
        for (KTime time = start; read < frameCount; ++read, time += period) {
            if (read >= room || !NextLine() || !ReadFrame(segment, read, time))
                break;
        }
        bytesLeft -= static_cast<kLongLong>(read) * kFrameLineBytes;
        bool whole = read == frameCount;
        for (int line = frameCount; line < fileFrames && whole; ++line)
            whole = NextLine();
        segment->StopSampling(read);
        if (!whole)
            return false;
    }
    if (mMinimizeRotationOffset && count > 0) {
        KQelNode* root = nullptr;
        for (int i = 0; i < count && !root; ++i)
            root = mSegments[i]->mParent < 0 ? mSegments[i]->mNode : nullptr;
        for (int f = 0; f < frameCount; ++f) {
            if (!MinimizeRotationOffset(root, KgeAMatrix(), KgeAMatrix(), f))
                return false;
        }
    }
    for (int i = 0; i < count; ++i) {
        KFCurve** curves = mSegments[i]->mCurves;
        motion_util::FilterRotation(curves[KQelHtrSegment::eRotationX], curves[KQelHtrSegment::eRotationY],
                                    curves[KQelHtrSegment::eRotationZ]);
        motion_util::ReduceConstantKeys(curves + KQelHtrSegment::eTranslationX, 3);
        motion_util::ReduceConstantKeys(curves + KQelHtrSegment::eRotationX, 3);
    }
    return true;
}

// ---- KQelFileMotionAnalysisHtr: rotation offsets ----

bool KQelFileMotionAnalysisHtr::PlaceEndNode(KQelNode* pNode)
{
    KQelNode* parent = pNode->GetParent();
    const KQelHtrSegment* segment = parent ? GetSegmentByNode(parent) : nullptr;
    if (!segment)
        return false;
    const KQelVector4 axis = Limits(&parent->GetLimits()).GetRotationAxis();
    KgeRMatrix rotation;
    KmXYZtoR(rotation, axis[0], axis[1], axis[2]);
    const double length = segment->mBoneLength;
    LockEndNode(*pNode, KQelVector4(rotation[0][0] * length, rotation[0][1] * length, rotation[0][2] * length, 1.0));
    return true;
}

bool KQelFileMotionAnalysisHtr::MinimizeRotationOffset(KQelNode* pNode, const KgeAMatrix& pParent,
                                                       const KgeAMatrix& pParentOffsetFree, int pFrame)
{
    struct Visit {
        KQelNode* mNode;
        KgeAMatrix mParent;
        KgeAMatrix mOffsetFree;
    };
    std::vector<Visit> pending(1, Visit{pNode, pParent, pParentOffsetFree});
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        KQelNode* node = visit.mNode;
        if (!node)
            return false;
        const int children = node->GetChildCount();
        if (children == 0) {
            if (pFrame == 0 && !PlaceEndNode(node))
                return false;
            continue;
        }
        KQelHtrSegment* segment = GetSegmentByNode(node);
        if (!segment)
            return false;
        KFCurve* const* curves = segment->mCurves;
        KgeAMatrix local;
        KmXYZtoR(local, curves[KQelHtrSegment::eRotationX]->KeyGetValue(pFrame),
                 curves[KQelHtrSegment::eRotationY]->KeyGetValue(pFrame),
                 curves[KQelHtrSegment::eRotationZ]->KeyGetValue(pFrame));
        for (int k = 0; k < 3; ++k)
            local[3][k] = curves[KQelHtrSegment::eTranslationX + k]->KeyGetValue(pFrame);
        Visit next{nullptr, KgeAMatrix(), KgeAMatrix()};
        KmAA(next.mParent, visit.mParent, local);
        // The global matrix with the base orientation taken out first.
        KmAA(next.mOffsetFree, next.mParent, segment->mInverseBaseRotation);
        KgeAMatrix relative;
        KmAiA(relative, visit.mOffsetFree, next.mOffsetFree);
        Orthonormalize(relative);
        double angles[3];
        KmRtoVXYZ(angles, relative);
        for (int k = 0; k < 3; ++k) {
            curves[KQelHtrSegment::eTranslationX + k]->KeySetValue(pFrame, static_cast<float>(relative[3][k]));
            curves[KQelHtrSegment::eRotationX + k]->KeySetValue(pFrame, static_cast<float>(angles[k]));
        }
        for (int c = children - 1; c >= 0; --c) {
            next.mNode = node->GetChild(c);
            pending.push_back(next);
        }
    }
    return true;
}

// ---- KQelFileMotionAnalysisHtr: rest pose ----

bool KQelFileMotionAnalysisHtr::StoreRestPose(KQelSdkManager& pManager, KQelScene& pScene, const char* pName)
{
    KString name(pName ? pName : "");
    name += "_RESTPOSE";
    KQelPose* pose = pManager.CreateKQelPose(name.Buffer(), false);
    if (!pose)
        return false;
    bool stored = true;
    const KQelVector4 unit(1.0, 1.0, 1.0, 1.0);
    for (int i = 0; i < mSegments.GetCount() && stored; ++i) {
        const KQelHtrSegment& segment = *mSegments[i];
        const KgeTVector& t = segment.mBaseTranslation;
        const KQelMatrix matrix(KQelVector4(t[0], t[1], t[2], 1.0), EulerOf(segment.mBaseRotation), unit);
        stored = pose->Add(segment.mName, matrix, true) >= 0;
    }
    if (stored && pScene.AddPose(pose))
        return true;
    pManager.DestroyKQelPose(pose);
    return false;
}

KQelPose* KQelFileMotionAnalysisHtr::RetrieveRestPose(KQelScene& pScene, const char* pName)
{
    KString wanted = KQelSdkManager::PrefixName(nullptr, pName);
    wanted += "_RESTPOSE";
    for (int i = 0; i < pScene.GetPoseCount(); ++i) {
        KQelPose* pose = pScene.GetPose(i);
        if (pose && pose->GetNameWithoutNameSpacePrefix() == wanted)
            return pose;
    }
    return nullptr;
}

// ---- KQelReaderMotionAnalysisHtr ----

KQelReaderMotionAnalysisHtr::KQelReaderMotionAnalysisHtr(KQelSdkManager& pManager) : KQelMotionFileReader(pManager) {}

KStreamOptions* KQelReaderMotionAnalysisHtr::GetReadOptions(bool)
{
    return ReadFileOptions(KStreamOptionsMotionCreate());
}

bool KQelReaderMotionAnalysisHtr::CreateNodes(KQelSdkManager* pManager, KQelNode* pReference, const char* pTakeName,
                                              KStreamOptionsMotion*)
{
    KQelFileMotionAnalysisHtr& file = *mFile;
    std::vector<int> order;
    if (!file.ResolveHierarchy(order))
        return false;
    const int count = file.GetSegmentCount();
    std::vector<KQelNode*> made;
    for (int i = 0; i < count; ++i) {
        KQelHtrSegment& segment = *file.GetSegment(i);
        KQelNode* node = motion_util::CreateLimbNode(*pManager, segment.mName);
        made.push_back(node);
        file.SetSegmentNode(segment, node);
        const KgeTVector& t = segment.mBaseTranslation;
        node->SetDefaultT(KQelVector4(t[0], t[1], t[2], 1.0));
        node->SetDefaultR(EulerOf(segment.mBaseRotation));
        node->SetDefaultS(KQelVector4(1.0, 1.0, 1.0, 1.0));
        node->CreateTakeNode(pTakeName);
        node->SetCurrentTakeNode(pTakeName);
        KQelTakeNode* take = node->GetCurrentTakeNode();
        for (int k = 0; k < KQelHtrSegment::eCurveCount; ++k) {
            segment.mCurves[k] =
                take ? take->GetChannel(static_cast<KQelTakeNode::EChannel>(KQelTakeNode::eTranslationX + k)) : nullptr;
            if (!segment.mCurves[k]) {
                for (KQelNode* loose : made)
                    pManager->DestroyKQelNode(loose, true);
                return false;
            }
        }
    }
    std::vector<std::vector<KQelNode*>> children(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const KQelHtrSegment& segment = *file.GetSegment(i);
        if (segment.mParent >= 0)
            children[static_cast<size_t>(segment.mParent)].push_back(segment.mNode);
    }
    // A leaf segment ends in a node at its bone length.
    std::vector<char> leaf(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        std::vector<KQelNode*>& below = children[static_cast<size_t>(i)];
        if (!below.empty())
            continue;
        leaf[static_cast<size_t>(i)] = 1;
        KString name(file.GetSegment(i)->mName);
        name += "_End";
        below.push_back(motion_util::CreateLimbNode(*pManager, name.Buffer()));
    }
    // Bottom up: a node gets its children while it has no parent itself, so
    // no attachment walks a chain of ancestors.
    for (auto at = order.rbegin(); at != order.rend(); ++at) {
        KQelNode* node = file.GetSegment(*at)->mNode;
        for (KQelNode* child : children[static_cast<size_t>(*at)])
            node->AddChild(child);
    }
    pReference->AddChild(file.GetSegment(order.front())->mNode);
    for (int i = 0; i < count; ++i) {
        SetLimits(file.GetSegment(i));
        if (leaf[static_cast<size_t>(i)])
            SetLimitsEnd(file.GetSegment(i));
    }
    return true;
}

void KQelReaderMotionAnalysisHtr::SetLimits(KQelHtrSegment* pSegment)
{
    KQelNode* node = pSegment->mNode;
    KgeRMatrix global;
    KgeSetRM(global, static_cast<const KgeAMatrix&>(node->GetGlobalFromDefaultTake()));
    KmRi(pSegment->mInverseBaseRotation, global);
    // The bone axis turned first, then the global base rotation.
    KgeRMatrix axis;
    KmRR(axis, global, mFile->mBoneAxisRotation);
    const KQelVector4 angles = EulerOf(axis);
    Limits limits(&node->GetLimits());
    limits.SetAuto(Limits::eTranslation, false);
    limits.SetAuto(Limits::eRotation, false);
    KQelVector4 translation;
    node->GetDefaultT(translation);
    limits.SetDefault(Limits::eTranslation, translation);
    limits.SetDefault(Limits::eRotation, angles);
    limits.SetRotationAxis(angles);
    limits.SetRotationType(Limits::eSphericRotation);
    limits.SetMin(Limits::eRotation, KQelVector4(-180.0, -150.0, -150.0, 0.0));
    limits.SetMax(Limits::eRotation, KQelVector4(180.0, 150.0, 150.0, 0.0));
}

void KQelReaderMotionAnalysisHtr::SetLimitsEnd(KQelHtrSegment* pSegment)
{
    KQelNode* end = pSegment->mNode->GetChild(0);
    const int axis = mFile->mBoneLengthAxis;
    const double length = pSegment->mBoneLength;
    LockEndNode(*end, KQelVector4(axis == 0 ? length : 0.0, axis == 1 ? length : 0.0, axis == 2 ? length : 0.0, 1.0));
}

bool KQelReaderMotionAnalysisHtr::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    options->UpdateProgress(nullptr, "Reading HTR nodes", 0.0f);
    // A hierarchy without one root, or with cycles, makes no node at all.
    std::vector<int> order;
    if (!mFile->ReadMain(options) || !mFile->ResolveHierarchy(order)) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    KQelNode* reference = mManager.CreateKQelNode("HTR:reference");
    if (!CreateNodes(&mManager, reference, takeName.Buffer(), options) ||
        !motion_util::CheckReadNames(*this, reference, mFileName.Buffer(), options)) {
        motion_util::DiscardNodeTree(mManager, reference);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    // The node that holds the root segment's node: the reference node or the
    // scene's root.
    KQelNode* attached = motion_util::HangRead(mManager, pScene, reference, *options);
    KQelNode* holder = attached == reference ? reference : pScene.GetRootNode();
    if (!mFile->ReadFrames(options, holder)) {
        motion_util::DiscardNodeTree(mManager, attached);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    motion_util::SetReadTake(pScene, takeName, *options, false);
    mFile->StoreRestPose(mManager, pScene, holder->GetName());
    return true;
}

}  // namespace qelsdk_600
