#include <algorithm>
#include <cmath>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurverotation.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionbvh.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// Every value of a frame line takes at least 2 bytes (a digit and a
// delimiter), and every line at least 2.
kLongLong FrameLineBytes(int pChannelCount)
{
    return std::max<kLongLong>(2, 2 * static_cast<kLongLong>(pChannelCount));
}

}  // namespace

// ---- KBVHJoint ----

void KBVHJoint::SetFrame(const double* pValues)
{
    mTranslation.Set(mOffset[0], mOffset[1], mOffset[2], 1.0);
    KgeRMatrix running;
    for (int i = 0; i < mChannelCount; ++i) {
        const int kind = mChannels[i];
        if (kind <= eZPosition) {
            mTranslation[kind] = pValues[i];
            continue;
        }
        double angles[3] = {0.0, 0.0, 0.0};
        angles[kind - eXRotation] = pValues[i];
        KgeRMatrix turn;
        KmXYZtoR(turn, angles[0], angles[1], angles[2]);
        // The new channel's turn applies before the earlier ones.
        KmRR(running, running, turn);
    }
    KmRtoVXYZ(mRotation, running);
}

void KBVHJoint::AddFrame(int pFrameIndex, KTime& pTime)
{
    if (mChannelCount == kMaxChannels) {
        for (int k = 0; k < 3; ++k)
            motion_util::SetReaderKey(*mCurves[k], pFrameIndex, pTime, static_cast<float>(mTranslation[k]));
    }
    if (pFrameIndex > 0)
        KVNGetContinuousRotation(mRotation, mRotation, mPreviousRotation, gQelEulerOrder);
    for (int k = 0; k < 3; ++k) {
        mPreviousRotation[k] = mRotation[k];
        motion_util::SetReaderKey(*mCurves[3 + k], pFrameIndex, pTime, static_cast<float>(mRotation[k]));
    }
}

// ---- KQelFileBiovision: scene conversion ----

KString KQelFileBiovision::NodeNameOf(const KBVHJoint& pJoint)
{
    if (!pJoint.mEndSite || !pJoint.mParent)
        return KString(pJoint.mName);
    KString name(pJoint.mParent->mName);
    name += "_End";
    return name;
}

int KQelFileBiovision::KeyedCurveCount(const KBVHJoint& pJoint)
{
    if (pJoint.mEndSite)
        return 0;
    return pJoint.mChannelCount == KBVHJoint::kMaxChannels ? 6 : 3;
}

void KQelFileBiovision::SetLimits(KBVHJoint& pJoint)
{
    KQelLimitsUtilities limits(&pJoint.mNode->GetLimits());
    limits.SetAuto(KQelLimitsUtilities::eTranslation, false);
    limits.SetDefault(KQelLimitsUtilities::eTranslation, pJoint.mOffset);
    const KQelVector4 direction = pJoint.mChildren.GetCount() == 1 ? pJoint.mChildren[0]->mOffset : KQelVector4();
    const double length = direction.Length();
    if (pJoint.mChildren.GetCount() == 1 && length > 0.0) {
        // The turn of the X axis onto the child's direction.
        KgeQuaternion turn;
        KgeSetQuaternion(turn, KgeTVector(direction[0] / length, direction[1] / length, direction[2] / length));
        if (std::fabs(turn[3]) < 1e-9)
            turn = KgeQuaternion(0.0, 0.0, 1.0, 0.0);
        KgeRMatrix matrix;
        KmQtoR(matrix, turn);
        double angles[3];
        KmRtoVXYZ(angles, matrix);
        const KQelVector4 axis(angles[0], angles[1], angles[2], 0.0);
        limits.SetAuto(KQelLimitsUtilities::eRotation, false);
        limits.SetDefault(KQelLimitsUtilities::eRotation, axis);
        limits.SetRotationAxis(axis);
        limits.SetAxisLength(length);
        limits.SetRotationType(KQelLimitsUtilities::eSphericRotation);
        limits.SetRotationClampType(KQelLimitsUtilities::eEllipsoidClamp);
        limits.SetMin(KQelLimitsUtilities::eRotation, KQelVector4(-180.0, -150.0, -150.0, 0.0));
        limits.SetMax(KQelLimitsUtilities::eRotation, KQelVector4(180.0, 150.0, 150.0, 0.0));
    } else if (pJoint.mEndSite) {
        limits.SetAuto(KQelLimitsUtilities::eRotation, false);
        limits.SetAxisLength(0.0);
    }
}

bool KQelFileBiovision::CreateNodes(KQelSdkManager* pManager, KQelNode* pReference, const char* pTakeName,
                                    KStreamOptionsMotion*)
{
    const int count = mJoints.GetCount();
    for (int i = 0; i < count; ++i) {
        KBVHJoint& joint = *mJoints[i];
        KQelNode* node = motion_util::CreateLimbNode(*pManager, NodeNameOf(joint).Buffer());
        joint.mNode = node;
        if (joint.mParent)
            joint.mTranslation.Set(joint.mOffset[0], joint.mOffset[1], joint.mOffset[2], 1.0);
        else
            joint.mTranslation.Set(0.0, 0.0, 0.0, 1.0);
        node->SetDefaultT(joint.mTranslation);
        node->SetDefaultR(KQelVector4(joint.mRotation[0], joint.mRotation[1], joint.mRotation[2], 1.0));
        node->CreateTakeNode(pTakeName);
        node->SetCurrentTakeNode(pTakeName);
        KQelTakeNode* take = node->GetCurrentTakeNode();
        KFCurve* curves[6] = {take->GetTranslationX(),   take->GetTranslationY(),   take->GetTranslationZ(),
                              take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ()};
        for (int k = 0; k < 6; ++k) {
            if (!curves[k])
                return false;
            joint.mCurves[k] = curves[k];
        }
        if (joint.mParent)
            SetLimits(joint);
    }
    // Bottom up: a node gets its children while it has no parent itself, so
    // no attachment walks a chain of ancestors.
    for (int i = count - 1; i >= 0; --i) {
        KBVHJoint& joint = *mJoints[i];
        for (int c = 0; c < joint.mChildren.GetCount(); ++c)
            joint.mNode->AddChild(joint.mChildren[c]->mNode);
    }
    if (count > 0)
        pReference->AddChild(mJoints[0]->mNode);
    return true;
}

bool KQelFileBiovision::ReadFrames(KStreamOptionsMotion* pOptions)
{
    if (pOptions->GetFrameCount() > mFrameCount)
        pOptions->SetFrameCount(mFrameCount);
    const int frameCount = pOptions->GetFrameCount();
    const KTime period = pOptions->GetFramePeriod();
    // Room for no more frame lines than the file can hold, and no more keys
    // than one read may make.
    const int room = static_cast<int>(std::min<kLongLong>(frameCount, mFileSize / FrameLineBytes(mChannelCount)));
    kLongLong curveCount = 0;
    std::vector<KFCurve*> curves;
    for (int i = 0; i < mJoints.GetCount(); ++i) {
        KBVHJoint& joint = *mJoints[i];
        const int keyed = KeyedCurveCount(joint);
        curveCount += keyed;
        for (int k = 6 - keyed; k < 6 && keyed > 0; ++k)
            curves.push_back(joint.mCurves[k]);
    }
    if (!motion_util::FitsKeyBudget(room, curveCount) ||
        !motion_util::BeginKeys(curves.data(), static_cast<int>(curves.size()), room))
        return false;
    std::vector<double> values(static_cast<size_t>(mChannelCount));
    KTime time = pOptions->GetStart();
    int read = 0;
    for (; read < frameCount; ++read, time += period) {
        pOptions->UpdateProgress(nullptr, nullptr, static_cast<float>(static_cast<kLongLong>(read) * 100 / frameCount));
        if (read >= room || !NextLine() || !ReadOneFrame(values.data(), mChannelCount))
            break;
        const double* at = values.data();
        for (int i = 0; i < mJoints.GetCount(); ++i) {
            KBVHJoint& joint = *mJoints[i];
            if (joint.mEndSite)
                continue;
            joint.SetFrame(at);
            joint.AddFrame(read, time);
            at += joint.mChannelCount;
        }
    }
    motion_util::EndKeys(curves.data(), static_cast<int>(curves.size()), read);
    if (read < frameCount)
        return false;
    for (int i = 0; i < mJoints.GetCount(); ++i) {
        KBVHJoint& joint = *mJoints[i];
        if (joint.mEndSite)
            continue;
        if (joint.mChannelCount == KBVHJoint::kMaxChannels)
            motion_util::ReduceConstantKeys(joint.mCurves, 3);
        motion_util::FilterRotation(joint.mCurves[3], joint.mCurves[4], joint.mCurves[5]);
        motion_util::ReduceConstantKeys(joint.mCurves + 3, 3);
    }
    return true;
}

// ---- KQelReaderBiovision ----

KQelReaderBiovision::KQelReaderBiovision(KQelSdkManager& pManager) : KQelMotionFileReader(pManager) {}

KStreamOptions* KQelReaderBiovision::GetReadOptions(bool)
{
    return ReadFileOptions(KStreamOptionsMotionCreate());
}

bool KQelReaderBiovision::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    options->UpdateProgress(nullptr, "Reading BVH nodes", 0.0f);
    if (!mFile->ReadMain(options)) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    KQelNode* reference = mManager.CreateKQelNode("BVH:reference");
    if (!mFile->CreateNodes(&mManager, reference, takeName.Buffer(), options) ||
        !motion_util::CheckReadNames(*this, reference, mFileName.Buffer(), options)) {
        motion_util::DiscardNodeTree(mManager, reference);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    KQelNode* attached = motion_util::HangRead(mManager, pScene, reference, *options);
    if (!mFile->ReadFrames(options)) {
        motion_util::DiscardNodeTree(mManager, attached);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    motion_util::SetReadTake(pScene, takeName, *options, false);
    return true;
}

}  // namespace qelsdk_600
