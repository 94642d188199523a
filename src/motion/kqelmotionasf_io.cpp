#include <climits>
#include <string>
#include <unordered_set>

#include "base/kpath.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionasf.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

using Options = KStreamOptionsMotion;
using motion_util::IsOn;

const char kNoRootText[] = "Scene must have a single root node.";

KStreamOptionsMotion* NewReadOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eImportCreateReferenceNode, Options::eOn},
                                       {Options::eImportDummyNodes, Options::eOff},
                                       {Options::eImportLimits, Options::eOff}});
    return options;
}

KStreamOptionsMotion* NewWriteOptions()
{
    KStreamOptionsMotion* options = KStreamOptionsMotionCreate();
    motion_util::SetOptions(*options, {{Options::eTranslation, Options::eOff},
                                       {Options::eExportFromGlobalPosition, Options::eOff},
                                       {Options::eExportRequireSingleRootNode, Options::eOn},
                                       {Options::eExportFrameRate, Options::eOn},
                                       {Options::eExportFrameRange, Options::eOff}});
    return options;
}

// The node that holds a skeleton read with option 8: its name (or "ASF")
// and ":reference".
KString ReferenceName(const KQelAsfScene& pSkeleton)
{
    KString name(*pSkeleton.GetName() ? pSkeleton.GetName() : "ASF");
    name += ":reference";
    return name;
}

// The skeleton the options carry, or null.
KQelAsfScene* SkeletonOf(const KStreamOptionsMotion* pOptions)
{
    KObject* skeleton = pOptions ? pOptions->GetASFScene() : nullptr;
    return skeleton && skeleton->Is(KQelAsfScene::ClassId) ? static_cast<KQelAsfScene*>(skeleton) : nullptr;
}

// The common start of both writers: the file, the root and the options;
// null (the error set) when one is missing.
KStreamOptionsMotion* StartWrite(KQelWriter& pWriter, bool pOpen, KQelScene& pScene, KStreamOptions* pOptions,
                                 KQelNode*& pRoot)
{
    KError& error = pWriter.GetError();
    if (!pOpen) {
        error.SetLastErrorID(KQelWriter::eFileNotOpened);
        return nullptr;
    }
    pRoot = pWriter.FindRootNode(pScene);
    if (!pRoot) {
        error.SetLastError(KQelWriter::eFileNotCreated, kNoRootText);
        return nullptr;
    }
    KStreamOptionsMotion* options = motion_util::MotionOptions(pOptions);
    if (!options)
        error.SetLastErrorID(KQelWriter::eStreamOptionsNotSet);
    return options;
}

}  // namespace

// ---- KQelReaderAcclaimAsf ----

KQelReaderAcclaimAsf::KQelReaderAcclaimAsf(KQelSdkManager& pManager) : KQelMotionFileReader(pManager) {}

KStreamOptions* KQelReaderAcclaimAsf::GetReadOptions(bool)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return nullptr;
    }
    return NewReadOptions();
}

bool KQelReaderAcclaimAsf::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsMotion* options = ReadOptionsOf(pOptions);
    if (!options)
        return false;
    KQelAsfScene* skeleton = new KQelAsfScene();
    options->UpdateProgress(nullptr, "Reading ASF node hierarchy", 0.0f);
    KQelNode* top = nullptr;
    bool read = mFile->Read(*skeleton, !IsOn(*options, Options::eImportDummyNodes));
    if (read) {
        top = skeleton->ASFToQEL(mManager, "", IsOn(*options, Options::eImportLimits));
        read = motion_util::CheckReadNames(*this, top, mFileName.Buffer(), options);
    }
    if (!read) {
        motion_util::DiscardNodeTree(mManager, top);
        skeleton->Destroy();
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    if (IsOn(*options, Options::eImportCreateReferenceNode)) {
        KQelNode* reference = mManager.CreateKQelNode(ReferenceName(*skeleton).Buffer());
        reference->AddChild(top);
        top = reference;
    }
    pScene.GetRootNode()->AddChild(top);
    options->SetASFScene(skeleton, true);
    return true;
}

// ---- KQelReaderAcclaimAmc ----

KQelReaderAcclaimAmc::KQelReaderAcclaimAmc(KQelSdkManager& pManager) : KQelMotionFileReader(pManager) {}

KStreamOptions* KQelReaderAcclaimAmc::GetReadOptions(bool)
{
    return ReadFileOptions(NewReadOptions());
}

KString KQelReaderAcclaimAmc::GenerateTakeName(KQelScene& pScene, const char* pFileName)
{
    const KString base = ExtractFileName(pFileName, false);
    KArrayTemplate<KString*> names;
    pScene.FillTakeNameArray(names);
    std::unordered_set<std::string> taken;
    for (int i = 0; i < names.GetCount(); ++i)
        taken.insert(names[i]->Buffer());
    DeleteAndClear(names);
    KString name = base;
    for (int counter = 1; taken.count(name.Buffer()) > 0; ++counter) {
        name = base;
        name += " ";
        name += counter;
    }
    return name;
}

bool KQelReaderAcclaimAmc::Read(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    KStreamOptionsMotion* options = motion_util::MotionOptions(pOptions);
    KQelAsfScene* skeleton = SkeletonOf(options);
    if (!skeleton) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    if (!mFile->Read(*skeleton, options)) {
        mError.SetLastErrorID(eFileCorrupted);
        return false;
    }
    const KString takeName = GenerateTakeName(pScene, mFileName.Buffer());
    KQelNode* parent = pScene.GetRootNode();
    if (IsOn(*options, Options::eImportCreateReferenceNode)) {
        const KString name = ReferenceName(*skeleton);
        KQelNode* reference = parent->FindChild(name.Buffer(), false);
        if (!reference) {
            reference = mManager.CreateKQelNode(name.Buffer());
            parent->AddChild(reference);
        }
        parent = reference;
    }
    skeleton->MergeASFToQEL(mManager, parent, takeName.Buffer(), IsOn(*options, Options::eImportLimits));
    const int frameCount = options->GetFrameCount();
    const KTime start = options->GetStart();
    motion_util::SetTake(pScene, takeName, start,
                         frameCount > 0 ? start + options->GetFramePeriod() * frameCount : start);
    return true;
}

// ---- KQelWriterAcclaimAsf ----

KQelWriterAcclaimAsf::KQelWriterAcclaimAsf(KQelSdkManager& pManager) : KQelMotionFileWriter(pManager) {}

KStreamOptions* KQelWriterAcclaimAsf::GetWriteOptions()
{
    return NewWriteOptions();
}

bool KQelWriterAcclaimAsf::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KQelNode* root = nullptr;
    KStreamOptionsMotion* options = StartWrite(*this, mFile != nullptr, pScene, pOptions, root);
    if (!options)
        return false;
    KString message("Spaces are not allowed in ASF node names:");
    const bool spaced = !CheckSpaceInNodeNameRecursive(root, message);
    if (!spaced && root->FindChild("root", true))
        message = "Model name \"root\" is only allowed for the ASF root node.";
    else if (!spaced)
        message.Empty();
    if (!message.IsEmpty()) {
        motion_util::ShowOkMessage(options, "Error", message.Buffer());
        mError.SetLastError(eUnidentifiedError, message.Buffer());
        mMessage = message;
        return false;
    }
    KQelVector4 scale(1.0, 1.0, 1.0, 1.0);
    if (IsOn(*options, Options::eExportFromGlobalPosition) && root->GetParent()) {
        scale = root->GetParent()->GetGlobalFromDefaultTake().GetS();
        scale[3] = 1.0;
    }
    KQelAsfScene* skeleton = new KQelAsfScene();
    if (!skeleton->QELToASF(root, IsOn(*options, Options::eTranslation), scale)) {
        skeleton->Destroy();
        mError.SetLastErrorID(eUnidentifiedError);
        return false;
    }
    options->UpdateProgress(nullptr, "Writing ASF node hierarchy", 0.0f);
    if (!mFile->Write(*skeleton)) {
        skeleton->Destroy();
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    options->SetASFScene(skeleton, true);
    return true;
}

// ---- KQelWriterAcclaimAmc ----

KQelWriterAcclaimAmc::KQelWriterAcclaimAmc(KQelSdkManager& pManager) : KQelMotionFileWriter(pManager) {}

KStreamOptions* KQelWriterAcclaimAmc::GetWriteOptions()
{
    return NewWriteOptions();
}

bool KQelWriterAcclaimAmc::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    KQelNode* root = nullptr;
    KStreamOptionsMotion* options = StartWrite(*this, mFile != nullptr, pScene, pOptions, root);
    if (!options)
        return false;
    KQelAsfScene* skeleton = SkeletonOf(options);
    if (!skeleton) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    root->ResetPivotSetAndConvertAnimation();
    const int frameCount = options->GetFrameCount();
    const KTime period = options->GetFramePeriod();
    const double rate = options->GetFrameRate();
    // Frame numbers of the range: the start's frame, halves up.
    int first = 0;
    const bool numbered = motion_util::RoundHalfUp(options->GetStart().GetSecondDouble() * rate, first) &&
                          static_cast<kLongLong>(first) + frameCount - 1 <= INT_MAX;
    if (!skeleton->MergeQELToASF(root) || !numbered) {
        mError.SetLastErrorID(eUnidentifiedError);
        return false;
    }
    KQelNode* above = IsOn(*options, Options::eExportFromGlobalPosition) ? root->GetParent() : nullptr;
    mFile->WriteHeader(*skeleton, options->GetOption(Options::eExportFrameRate) != Options::eOff, rate,
                       options->GetOption(Options::eExportFrameRange) != Options::eOff, first,
                       first + frameCount - 1);
    KTime time = options->GetStart();
    for (int n = 1; n <= frameCount; ++n, time += period) {
        options->UpdateProgress(nullptr, "Writing AMC animation frames",
                                static_cast<float>(static_cast<kLongLong>(n) * 100 / frameCount));
        KgeAMatrix global;
        if (above)
            global = static_cast<const KgeAMatrix&>(above->GetGlobalFromCurrentTake(time));
        mFile->WriteFrame(*skeleton, time, n, above ? &global : nullptr);
    }
    if (!mFile->WriteOk()) {
        mError.SetLastErrorID(eOutOfDiskSpace);
        return false;
    }
    return true;
}

}  // namespace qelsdk_600
