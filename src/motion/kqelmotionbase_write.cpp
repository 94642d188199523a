#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kqelmatrix.h"
#include "motion/kqelmotionbase.h"
#include "motion/kqelmotionutil.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

using motion_util::IsOn;

KQelWriterMotionBase::KQelWriterMotionBase(KQelSdkManager& pManager, const char* pDescription)
    : KQelWriter(pManager), mFileObject(nullptr), mDescription(pDescription)
{
}

KQelWriterMotionBase::~KQelWriterMotionBase()
{
    if (mFileObject)
        mFileObject->Destroy(0);
}

bool KQelWriterMotionBase::FileCreate(const char* pFileName)
{
    if (mFileObject) {
        mFileObject->Destroy(0);
        mFileObject = nullptr;
    }
    mFileObject = CreateFileObject(pFileName);
    if (mFileObject)
        return true;
    mError.SetLastError(eFileNotOpened, motion_util::CannotOpenText(pFileName).Buffer());
    return false;
}

bool KQelWriterMotionBase::FileClose()
{
    if (!mFileObject) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileObject->Destroy(0);
    mFileObject = nullptr;
    return true;
}

bool KQelWriterMotionBase::IsFileOpen()
{
    return mFileObject != nullptr;
}

KStreamOptions* KQelWriterMotionBase::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    SetWriteOptions(options);
    return options;
}

bool KQelWriterMotionBase::CheckWriteLimits(const KArrayTemplate<KString*>&, KTime, int, double, KString&)
{
    return true;
}

bool KQelWriterMotionBase::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!mFileObject) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    KStreamOptionsMotion* motion = motion_util::MotionOptions(pOptions);
    if (!motion) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    KStreamOptionsMotion& options = *motion;
    KQelNode* root = motion_util::SamplingRoot(*this, pScene, options);
    root->ResetPivotSetAndConvertAnimation();
    root->SetLocalStateFromDefaultTake(true);
    root->SetGlobalState(KQelXMatrix());
    root->SetGlobalStateId(0, true);
    root->SetGlobalStateId(1, false);

    KArrayTemplate<KQelNode*> nodes;
    KArrayTemplate<KString*> names;
    KArrayTemplate<KQelVector4> positions;
    FillNodeArray(nodes, root);
    FillNameArray(names, nodes);
    FillTranslationArray(positions, nodes);

    const int frameCount = options.GetFrameCount();
    const KTime start = options.GetStart();
    const double frameRate = options.GetFrameRate();
    const double scale = IsOn(options, KStreamOptionsMotion::eExportC3DRealFormat) ? -1.0 : 1.0;
    KString reason;
    bool written = false;
    if (!CheckWriteLimits(names, start, frameCount, frameRate, reason)) {
        // Also the message, which the exporter passes on under its own id.
        mError.SetLastError(eUnidentifiedError, reason.Buffer());
        mMessage = reason;
    } else {
        written = mFileObject->PrintHeader(nodes.GetCount(), start, frameCount, frameRate, scale) &&
                  mFileObject->PrintAnimationHeader(names) && WriteFrames(options, root, nodes, positions) &&
                  mFileObject->PrintFooter();
        if (!written)
            mError.SetLastErrorID(eOutOfDiskSpace);
    }
    DeleteAndClear(names);
    return written;
}

bool KQelWriterMotionBase::WriteFrames(KStreamOptionsMotion& pOptions, KQelNode* pRoot,
                                       KArrayTemplate<KQelNode*>& pNodes, KArrayTemplate<KQelVector4>& pPositions)
{
    const int frameCount = pOptions.GetFrameCount();
    const KTime period = pOptions.GetFramePeriod();
    const bool gapsAsValid = IsOn(pOptions, KStreamOptionsMotion::eExportGapsAsValidData);
    KTime time = pOptions.GetStart();
    for (int n = 1; n <= frameCount; ++n, time += period) {
        pOptions.UpdateProgress(nullptr, "Writing animation frames", static_cast<float>(n * 100.0 / frameCount));
        motion_util::PinRoot(pRoot, time);
        UpdateTranslationArray(pPositions, pNodes, time, gapsAsValid);
        if (!mFileObject->PrintAnimationFrame(pPositions.GetArray(), pPositions.GetCount(), time, n))
            return false;
    }
    return true;
}

void KQelWriterMotionBase::FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode)
{
    motion_util::CollectSelectedNodes(pNodes, pNode);
}

void KQelWriterMotionBase::FillNameArray(KArrayTemplate<KString*>& pNames, KArrayTemplate<KQelNode*>& pNodes)
{
    for (int i = 0; i < pNodes.GetCount(); ++i) {
        KString name(pNodes[i]->GetName());
        const int colon = name.ReverseFind(':');
        pNames.Add(new KString(colon >= 0 ? name.Mid(static_cast<unsigned int>(colon + 1)) : name));
    }
}

void KQelWriterMotionBase::FillTranslationArray(KArrayTemplate<KQelVector4>& pPositions,
                                                KArrayTemplate<KQelNode*>& pNodes)
{
    for (int i = 0; i < pNodes.GetCount(); ++i) {
        pNodes[i]->ComputeGlobalState(1, false);
        KQelVector4 position = pNodes[i]->GetGlobalState().GetT();
        position[3] = 0.0;
        pPositions.Add(position);
    }
}

void KQelWriterMotionBase::UpdateTranslationArray(KArrayTemplate<KQelVector4>& pPositions,
                                                  KArrayTemplate<KQelNode*>& pNodes, KTime& pTime,
                                                  bool pGapsAsValid)
{
    for (int i = 0; i < pNodes.GetCount() && i < pPositions.GetCount(); ++i) {
        KQelNode* node = pNodes[i];
        node->ComputeGlobalState(1, false);
        KQelVector4 position = node->GetGlobalState().GetT();
        position[3] = 0.0;
        if (!pGapsAsValid) {
            KQelTakeNode* take = node->GetCurrentTakeNode();
            KFCurve* occlusion = take ? take->GetOcclusion() : nullptr;
            if (occlusion && occlusion->Evaluate(pTime) > 0.5f)
                position[3] = 1.0;
        }
        pPositions.SetAt(i, position);
    }
}

}  // namespace qelsdk_600
