#include "motion/kqelmotionvpm.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/kpath.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "io/kstreamoptionsmotion.h"
#include "math/kqelmatrix.h"
#include "scene/kqelnode.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const char kType[] = "VPM";
const char kDel[] = " \t\r\n";
const char kCom[] = "";
const double kInch = 2.54;
enum EMain { eSegment = 0, eFrames = 1, eFrameTime = 2 };
// Nine values of at least 2 bytes each.
const int kFrameLineBytes = 18;
const char kMemoryText[] = "Not enough memory to allocate animation buffer.";

}  // namespace

KToken KQelFilePuppeteer::mMain[] = {{"Segment:", 0}, {"Frames:", 0}, {"Frame Time:", 0}, {"", 0}};
KToken KQelFilePuppeteer::mChannel[] = {{"XTRAN", 0}, {"YTRAN", 0},  {"ZTRAN", 0},  {"XROT", 0},   {"YROT", 0},
                                        {"ZROT", 0},  {"XSCALE", 0}, {"YSCALE", 0}, {"ZSCALE", 0}, {"", 0}};
KToken KQelFilePuppeteer::mUnit[] = {{"INCHES", 0}, {"DEGREE", 0}, {"PERCENT", 0}, {"", 0}};

// ---- KQelFilePuppeteer ----

KQelFilePuppeteer::KQelFilePuppeteer() : KTextFile(kType, kDel, kCom, true, false), mFileSize(0), mWriteFailed(false)
{
}

int KQelFilePuppeteer::Open(const char* pPath, const char* pMode)
{
    mFileSize = motion_util::FileSize(pPath);
    mWriteFailed = false;
    return KTextFile::Open(pPath, pMode);
}

bool KQelFilePuppeteer::ReadHeader(KString& pName, int& pFrames, double& pFrameTime, bool pFirst)
{
    return (pFirst ? FirstLine() : NextLine()) && Handle(mMain) == eSegment && GetString(pName) && NextLine() &&
           Handle(mMain) == eFrames && GetInteger(pFrames) && pFrames >= 0 && NextLine() &&
           Handle(mMain) == eFrameTime && GetDouble(pFrameTime) && std::isfinite(pFrameTime) && pFrameTime > 0.0;
}

bool KQelFilePuppeteer::ReadAnimationHeader()
{
    return NextLine() && NextLine();
}

bool KQelFilePuppeteer::ReadAnimationFrame(KQelVector4& pTranslation, KQelVector4& pRotation, KQelVector4& pScaling)
{
    double values[3][3];
    if (!NextLine() || !GetVector(values[0]) || !GetVector(values[1]) || !GetVector(values[2]))
        return false;
    pTranslation.Set(values[0][0] * kInch, values[0][1] * kInch, values[0][2] * kInch, 0.0);
    pRotation.Set(values[1][0], values[1][1], values[1][2], 0.0);
    pScaling.Set(1.0, 1.0, 1.0, 1.0);
    return true;
}

void KQelFilePuppeteer::PrintHeader(const char* pName, int pFrames, double pFrameTime)
{
    mWriteFailed |= !Print(0, "%s\t%s\n", "Segment:", pName);
    mWriteFailed |= !Print(0, "%s\t%d\n", "Frames:", pFrames);
    mWriteFailed |= !Print(0, "%s\t%g\n", "Frame Time:", pFrameTime);
}

void KQelFilePuppeteer::PrintAnimationHeader()
{
    mWriteFailed |= !Print(0, "XTRAN\tYTRAN\tZTRAN\tXROT\tYROT\tZROT\tXSCALE\tYSCALE\tZSCALE\n");
    mWriteFailed |= !Print(0, "INCHES\tINCHES\tINCHES\tDEGREES\tDEGREES\tDEGREES\tPERCENT\tPERCENT\tPERCENT\n");
}

void KQelFilePuppeteer::PrintAnimationFrame(const KQelVector4& pTranslation, const KQelVector4& pRotation,
                                            const KQelVector4& pScaling)
{
    const double toInches = 0.3937007874015748;
    using motion_util::PrintedValue;
    mWriteFailed |= !Print(0, "%g\t%g\t%g\t%g\t%g\t%g\t%g\t%g\t%g\n", PrintedValue(pTranslation[0] * toInches),
                           PrintedValue(pTranslation[1] * toInches), PrintedValue(pTranslation[2] * toInches),
                           PrintedValue(pRotation[0]), PrintedValue(pRotation[1]), PrintedValue(pRotation[2]),
                           pScaling[0] * 100.0, pScaling[1] * 100.0, pScaling[2] * 100.0);
}

// ---- KQelReaderPuppeteer ----

KQelReaderPuppeteer::KQelReaderPuppeteer(KQelSdkManager& pManager) : KQelMotionFileReader(pManager), mKeysReserved(0)
{
}

KStreamOptions* KQelReaderPuppeteer::GetReadOptions(bool)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return nullptr;
    }
    KString name;
    int frames = 0;
    double frameTime = 0.0;
    if (!mFile->ReadHeader(name, frames, frameTime, true)) {
        mError.SetLastErrorID(eFileCorrupted);
        return nullptr;
    }
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    options->SetStart(KTime(0));
    options->SetFrameCount(frames);
    options->SetTimeMode(KTime::eDEFAULT_MODE, 1.0 / frameTime);
    options->SetOption(KStreamOptionsMotion::eImportAsOpticalSegments, KStreamOptionsMotion::eOff);
    return options;
}

bool KQelReaderPuppeteer::ReadNode(KQelNode* pParent, const KString& pTakeName, KStreamOptionsMotion* pOptions,
                                   bool pFirst)
{
    KString name;
    int frames = 0;
    double frameTime = 0.0;
    if (!mFile->ReadHeader(name, frames, frameTime, pFirst) || !mFile->ReadAnimationHeader())
        return false;
    const int count = std::min(frames, pOptions->GetFrameCount());
    const int room = static_cast<int>(std::min<kLongLong>(count, mFile->GetFileSize() / kFrameLineBytes));
    if (!motion_util::FitsKeyBudget(mKeysReserved + 9 * static_cast<kLongLong>(room), 1))
        return false;
    mKeysReserved += 9 * static_cast<kLongLong>(room);
    KQelNode* node = motion_util::CreateMarkerNode(mManager, name.Buffer());
    node->CreateTakeNode(pTakeName.Buffer());
    node->SetCurrentTakeNode(pTakeName.Buffer());
    KQelTakeNode* take = node->GetCurrentTakeNode();
    KFCurve* curves[9] = {take->GetTranslationX(),   take->GetTranslationY(),   take->GetTranslationZ(),
                          take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ(),
                          take->GetScaleX(),         take->GetScaleY(),         take->GetScaleZ()};
    if (!motion_util::BeginKeys(curves, 9, room)) {
        mManager.DestroyKQelNode(node, true);
        return false;
    }
    const KTime period = pOptions->GetFramePeriod();
    KTime time = pOptions->GetStart();
    int read = 0;
    for (; read < count; ++read, time += period) {
        if (read % 64 == 0)
            pOptions->UpdateProgress(nullptr, "Reading VPM nodes",
                                     static_cast<float>(static_cast<kLongLong>(read) * 100 / count));
        KQelVector4 values[3];
        if (read >= room || !mFile->ReadAnimationFrame(values[0], values[1], values[2]))
            break;
        for (int k = 0; k < 9; ++k)
            motion_util::SetReaderKey(*curves[k], read, time, static_cast<float>(values[k / 3][k % 3]));
    }
    motion_util::EndKeys(curves, 9, read);
    if (read < count) {
        mManager.DestroyKQelNode(node, true);
        return false;
    }
    motion_util::FilterRotation(curves[3], curves[4], curves[5]);
    for (int group = 0; group < 3; ++group)
        motion_util::ReduceConstantKeys(curves + 3 * group, 3);
    pParent->AddChild(node);
    // The frames beyond those asked for, up to the next segment.
    for (int skipped = count; skipped < frames && mFile->NextLine(); ++skipped) {
    }
    return true;
}

bool KQelReaderPuppeteer::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    KQelNode* parent = motion_util::CreateReferenceNode(
        mManager, "VPM", motion_util::IsOn(*options, KStreamOptionsMotion::eImportAsOpticalSegments));
    const KString takeName = motion_util::TakeNameOf(mFileName.Buffer());
    mKeysReserved = 0;
    bool read = ReadNode(parent, takeName, options, true);
    while (read && ReadNode(parent, takeName, options, false)) {
    }
    KString message("Duplicate names found in ");
    message += ExtractFileName(mFileName.Buffer(), true);
    message += ":";
    if (read && !CheckDuplicateNodeNames(parent, message)) {
        motion_util::ShowOkMessage(options, "Error", message.Buffer());
        read = false;
    }
    if (!read) {
        motion_util::DiscardNodeTree(mManager, parent);
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    pScene.GetRootNode()->AddChild(parent);
    motion_util::SetReadTake(pScene, takeName, *options, false);
    return true;
}

// ---- KQelWriterPuppeteer ----

KQelWriterPuppeteer::KQelWriterPuppeteer(KQelSdkManager& pManager) : KQelMotionFileWriter(pManager) {}

KStreamOptions* KQelWriterPuppeteer::GetWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    options->SetOption(KStreamOptionsMotion::eExportFromGlobalPosition, KStreamOptionsMotion::eOff);
    return options;
}

void KQelWriterPuppeteer::FillNodeArray(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode)
{
    motion_util::CollectSelectedNodes(pNodes, pNode);
}

void KQelWriterPuppeteer::FillAnimationFrames(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pRoot, KTime pTime,
                                              KVPMFrame* pFrames)
{
    motion_util::PinRoot(pRoot, pTime);
    for (int k = 0; k < pNodes.GetCount(); ++k) {
        pNodes[k]->ComputeGlobalState(1, false);
        const KQelXMatrix& global = pNodes[k]->GetGlobalState();
        pFrames[k].mTranslation = global.GetT();
        pFrames[k].mRotation = global.GetR();
    }
}

void KQelWriterPuppeteer::WriteNode(KQelNode* pNode, int pFrameCount, KTime pPeriod, const KVPMFrame* pFrames,
                                    int pStride)
{
    KString name(pNode->GetName());
    const int colon = name.ReverseFind(':');
    if (colon >= 0)
        name = name.Mid(static_cast<unsigned int>(colon + 1));
    mFile->PrintHeader(name.Buffer(), pFrameCount, pPeriod.GetSecondDouble());
    mFile->PrintAnimationHeader();
    const KQelVector4 unit(1.0, 1.0, 1.0, 1.0);
    for (int f = 0; f < pFrameCount; ++f) {
        const KVPMFrame& frame = pFrames[static_cast<size_t>(f) * pStride];
        mFile->PrintAnimationFrame(frame.mTranslation, frame.mRotation, unit);
    }
}

bool KQelWriterPuppeteer::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = WriteOptionsOf(pOptions);
    if (!options)
        return false;
    const int frameCount = options->GetFrameCount();
    const KTime period = options->GetFramePeriod();
    KQelNode* root = pScene.GetRootNode();
    KArrayTemplate<KQelNode*> nodes;
    if (!motion_util::IsOn(*options, KStreamOptionsMotion::eExportFromGlobalPosition)) {
        root = motion_util::SamplingRoot(*this, pScene, *options);
        FillNodeArray(nodes, root);
    }
    const int nodeCount = nodes.GetCount();
    // The frames of every node at once: refused beyond the key budget (which
    // a count past 32 bits is) or when the memory is not there.
    const kLongLong records = static_cast<kLongLong>(frameCount) * nodeCount;
    KVPMFrame* frames = records <= motion_util::kKeyBudget
                            ? new (std::nothrow) KVPMFrame[static_cast<size_t>(records)]
                            : nullptr;
    if (!frames) {
        motion_util::ShowOkMessage(options, "Error", kMemoryText, "OK");
        mError.SetLastError(eUnidentifiedError, kMemoryText);
        return false;
    }
    KTime time = options->GetStart();
    for (int f = 0; f < frameCount && nodeCount > 0; ++f, time += period) {
        options->UpdateProgress(nullptr, "Computing VPM animation frames",
                                static_cast<float>(static_cast<kLongLong>(f) * 50 / frameCount));
        FillAnimationFrames(nodes, root, time, frames + static_cast<size_t>(f) * nodeCount);
    }
    for (int k = 0; k < nodeCount; ++k) {
        options->UpdateProgress(nullptr, "Writing VPM nodes", static_cast<float>(k * 50 / nodeCount + 50));
        WriteNode(nodes[k], frameCount, period, frames + k, nodeCount);
    }
    delete[] frames;
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
