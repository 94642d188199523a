#include <vector>

#include "io/kstreamoptionsmotion.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionbvh.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;

// Component by component.
KQelVector4 Scaled(const KQelVector4& pValue, const KQelVector4& pScale)
{
    KQelVector4 result = pValue;
    result *= pScale;
    return result;
}

// Euler order index 6: Y, X, Z (Y turns first).
const int kOrderYXZ = 6;

}  // namespace

KQelWriterBiovision::KQelWriterBiovision(KQelSdkManager& pManager)
    : KQelMotionFileWriter(pManager), mRoot(nullptr), mFromGlobalPosition(false)
{
}

KStreamOptions* KQelWriterBiovision::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eTranslation, Options::eOff},
                                       {Options::eExportFromGlobalPosition, Options::eOff},
                                       {Options::eExportRequireSingleRootNode, Options::eOn}});
    return options;
}

bool KQelWriterBiovision::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = WriteOptionsOf(pOptions);
    if (!options)
        return false;
    KQelNode* root = FindRootNode(pScene);
    if (!root) {
        mError.SetLastError(eFileNotCreated, "Can not find root node.");
        return false;
    }
    KString message("Spaces are not allowed in BVH node names:");
    if (!CheckSpaceInNodeNameRecursive(root, message)) {
        motion_util::ShowOkMessage(options, "Error", message.Buffer(), "OK");
        mError.SetLastError(eUnidentifiedError, message.Buffer());
        mMessage = message;
        return false;
    }
    const bool rotationOnly = !motion_util::IsOn(*options, Options::eTranslation);
    mFromGlobalPosition = motion_util::IsOn(*options, Options::eExportFromGlobalPosition);
    mRoot = root;
    root->ResetPivotSetAndConvertAnimation();
    const KQelVector4 unit(1.0, 1.0, 1.0, 1.0);
    WriteNode(root, 0, rotationOnly, true, unit);
    const int frameCount = options->GetFrameCount();
    const KTime period = options->GetFramePeriod();
    mFile->PrintMotionHeader(frameCount, period.GetSecondDouble());
    KTime time = options->GetStart();
    for (int i = 0; i < frameCount; ++i, time += period) {
        options->UpdateProgress(nullptr, "Writing BVH nodes",
                                static_cast<float>(static_cast<kLongLong>(i) * 100 / frameCount));
        mFile->PrintMotionFrameBegin();
        WriteNodeMotion(root, time, rotationOnly, true, unit);
        mFile->PrintMotionFrameEnd();
    }
    mRoot = nullptr;
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

KQelXMatrix KQelWriterBiovision::NodeTransform(KQelNode* pNode, const KTime* pTime)
{
    const bool global = pNode == mRoot && mFromGlobalPosition;
    if (!pTime)
        return global ? pNode->GetGlobalFromDefaultTake() : pNode->GetLocalFromDefaultTake();
    return global ? pNode->GetGlobalFromCurrentTake(*pTime) : pNode->GetLocalFromCurrentTake(*pTime);
}

bool KQelWriterBiovision::WrittenAsEndSite(KQelNode* pNode)
{
    // A lone root is written as a joint with a generated End Site: a file
    // of an End Site alone would be no BVH file.
    return pNode != mRoot && IsEndSite(pNode);
}

void KQelWriterBiovision::WriteNode(KQelNode* pNode, int pLevel, bool pRotationOnly, bool pZxy,
                                    const KQelVector4& pScale)
{
    struct Pending {
        KQelNode* mNode;
        int mLevel;
        KQelVector4 mScale;
        bool mClose;  // the joint's "}" is due
    };
    std::vector<Pending> pending(1, Pending{pNode, pLevel, pScale, false});
    while (!pending.empty()) {
        const Pending item = pending.back();
        pending.pop_back();
        if (item.mClose) {
            mFile->PrintJointEnd(item.mLevel);
            continue;
        }
        KQelNode* node = item.mNode;
        const KQelXMatrix transform = NodeTransform(node, nullptr);
        const KQelVector4 offset = Scaled(transform.GetT(), item.mScale);
        const KQelVector4 childScale = Scaled(transform.GetS(), item.mScale);
        if (WrittenAsEndSite(node)) {
            mFile->PrintJointEndSite(offset, item.mLevel);
            continue;
        }
        mFile->PrintJointBegin(node->GetNameWithoutNameSpacePrefix().Buffer(), node == mRoot, offset, item.mLevel,
                               pRotationOnly, pZxy);
        pending.push_back(Pending{node, item.mLevel, item.mScale, true});
        const int children = node->GetChildCount();
        if (children > 0) {
            for (int c = children - 1; c >= 0; --c)
                pending.push_back(Pending{node->GetChild(c), item.mLevel + 1, childScale, false});
            continue;
        }
        // A leaf joint ends in an End Site along its limits' rotation axis.
        KQelLimitsUtilities limits(&node->GetLimits());
        limits.UpdateAutomatic(node);
        const KQelVector4 axis = limits.GetRotationAxis();
        KgeRMatrix rotation;
        KmXYZtoR(rotation, axis[0], axis[1], axis[2]);
        const double length = limits.GetAxisLength();
        const KQelVector4 end(rotation[0][0] * length, rotation[0][1] * length, rotation[0][2] * length, 0.0);
        mFile->PrintJointEndSite(Scaled(end, childScale), item.mLevel + 1);
    }
}

void KQelWriterBiovision::WriteNodeMotion(KQelNode* pNode, KTime pTime, bool pRotationOnly, bool pZxy,
                                          const KQelVector4& pScale)
{
    struct Pending {
        KQelNode* mNode;
        KQelVector4 mScale;
    };
    std::vector<Pending> pending(1, Pending{pNode, pScale});
    while (!pending.empty()) {
        const Pending item = pending.back();
        pending.pop_back();
        KQelNode* node = item.mNode;
        if (WrittenAsEndSite(node))
            continue;
        const KQelXMatrix transform = NodeTransform(node, &pTime);
        const KQelVector4 translation = Scaled(transform.GetT(), item.mScale);
        const KQelVector4 childScale = Scaled(transform.GetS(), item.mScale);
        KQelVector4 rotation = transform.GetR();
        if (pZxy) {
            // Re-expressed for the channels Z, X, Y: components Y, X, Z.
            KgeRMatrix matrix;
            KmXYZtoR(matrix, rotation[0], rotation[1], rotation[2]);
            double angles[3];
            KmRtoVord(angles, matrix, kOrderYXZ);
            rotation.Set(angles[0], angles[1], angles[2], 0.0);
        }
        mFile->PrintMotion(node == mRoot, translation, rotation, pRotationOnly, pZxy);
        for (int c = node->GetChildCount() - 1; c >= 0; --c)
            pending.push_back(Pending{node->GetChild(c), childScale});
    }
}

bool KQelWriterBiovision::IsEndSite(KQelNode* pNode)
{
    if (!pNode || pNode->GetChildCount() > 0)
        return false;
    KQelNode* parent = pNode->GetParent();
    if (!parent || parent->GetChildCount() != 1)
        return false;
    KQelSkeleton* skeleton = pNode->GetSkeleton();
    if (!skeleton || skeleton->GetSkeletonType() != KQelSkeleton::eLimbNode)
        return true;
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    bool animated = false;
    if (take && take != pNode->GetDefaultTakeNode()) {
        static const char* const kChannels[] = {"T", "R"};
        static const char* const kComponents[] = {"X", "Y", "Z"};
        for (const char* channel : kChannels) {
            for (const char* component : kComponents)
                animated = animated || take->IsChannelAnimated("Transform", channel, component);
        }
    }
    return !animated || pNode->GetNameWithoutNameSpacePrefix().Find("_EndSite") >= 0;
}

}  // namespace qelsdk_600
