// The older-layout writer: file, document order, password and the generic
// persistence section.
#include "native/writer/kqelwriterqel.h"

#include "base/kpath.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kstreamoptionsmotion.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/blocks/kqelblocks_shared.h"
#include "object/kprogress.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

// Motion options stand for the animation alone.
void MotionOnly(KStreamOptionsQel& pOptions)
{
    static const KStreamOptionsQel::EOption kOff[] = {
        KStreamOptionsQel::eModelAttribute, KStreamOptionsQel::eMaterial,  KStreamOptionsQel::eTexture,
        KStreamOptionsQel::eLink,           KStreamOptionsQel::eShape,     KStreamOptionsQel::eGobo,
        KStreamOptionsQel::eCharacter,      KStreamOptionsQel::eGlobalSettings, KStreamOptionsQel::ePivot,
        KStreamOptionsQel::eEmbedMedia};
    for (KStreamOptionsQel::EOption option : kOff)
        pOptions.SetOption(option, false);
    pOptions.SetOption(KStreamOptionsQel::eAnimation, true);
}

// Which faults the check finds reach this layout's file: links alone (the
// writer writes every link that has a node). Layer elements never do, for
// the writer keeps only what its reader takes: normals only of a count the
// reader maps, materials of layer 0 padded with the last one, texture ids
// that name none of their layer's textures as one of them (as none when it
// has none), the UVs of layer 0 as a list the reader pads and those of
// later texture layers only where they fit, colours only where they fit,
// polygon groups from the polygons; everything else is left out.
bool IsFaultWritten(KQelGeometry&, const native_detail::GeometryFault& pFault)
{
    return pFault.mLink >= 0;
}

}  // namespace

void RemoveTypeIdentifierFromName(KString& pName)
{
    for (int type = KQelUserProperty::eBool; type <= KQelUserProperty::eVector; ++type) {
        KString suffix = " (";
        suffix += KQelUserProperty::GetPropertyTypeName(static_cast<KQelUserProperty::EUserPropertyType>(type));
        suffix += ")";
        const int keep = pName.GetLen() - suffix.GetLen();
        if (keep >= 0 && pName.Mid(static_cast<unsigned int>(keep)) == suffix) {
            pName = pName.Left(static_cast<unsigned int>(keep));
            return;
        }
    }
}

KQelWriterQel::KQelWriterQel(KQelSdkManager& pManager, KQelExporter& pExporter)
    : KQelWriter(pManager),
      mExporter(pExporter),
      mFile(nullptr),
      mOptions(nullptr),
      mExportMode(eBINARY),
      mNodeCount(0),
      mNodeTotal(0),
      mTextureAnimatedChannels(20),
      mMaterialAnimatedChannels(20),
      mWriteFailed(false)
{
}

KQelWriterQel::~KQelWriterQel()
{
    if (mFile)
        FileClose();
    ClearAnimatedChannels();
}

KQel& KQelWriterQel::File()
{
    return *mFile;
}

bool KQelWriterQel::FileCreate(const char* pFileName)
{
    mWriteFailed = false;
    if (!mFile)
        mFile = KQelObjectCreate();
    // Every object-level writer then uses the older forms ("Properties").
    mFile->SetIsBeforeVersion6(true);
    KQelFileHeaderInfo header;
    header.mHeaderVersion = 5800;
    header.mDefaultRenderResolution = false;
    header.mOtherFlag = false;
    const KString path = MakeFullPath(KGetCurrentDirectory().Buffer(), pFileName ? pFileName : "");
    if (mFile->ProjectCreate(path.Buffer(), mExportMode != eASCII, mExportMode == eENCRYPTED, &header))
        return true;
    const int id = mFile->GetLastErrorID();
    const int own = id == KQel::eFileCorrupted ? eFileCorrupted
                    : id == KQel::eFileNotCreated ? eFileNotCreated
                                                  : eUnidentifiedError;
    mError.SetLastError(own, mFile->GetLastErrorString());
    return false;
}

bool KQelWriterQel::FileClose()
{
    // A file whose writing failed never replaces what stood at its name.
    const bool closed =
        native_detail::CloseFieldFile(mFile, mWriteFailed, mError, eFileNotOpened, eUnidentifiedError);
    mWriteFailed = false;
    return closed;
}

bool KQelWriterQel::IsFileOpen()
{
    return mFile != nullptr;
}

KStreamOptions* KQelWriterQel::GetWriteOptions()
{
    return GetWriteOptions(nullptr);
}

KStreamOptions* KQelWriterQel::GetWriteOptions(IQelObject*)
{
    return KStreamOptionsQelCreate();
}

bool KQelWriterQel::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    return Write(pScene, pOptions, nullptr);
}

bool KQelWriterQel::Write(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject)
{
    KStreamOptionsQel motionOptions;
    mOptions = nullptr;
    KProgress* progress = KGetGlobalProgress();
    progress->ProgressBegin();
    bool ok = true;
    if (pOptions && pOptions->Is(KStreamOptionsQel::ClassId)) {
        mOptions = static_cast<KStreamOptionsQel*>(pOptions);
    } else if (pOptions && pOptions->Is(KStreamOptionsMotion::ClassId)) {
        MotionOnly(motionOptions);
        mOptions = &motionOptions;
    } else {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        ok = false;
    }
    IQelObject* const own = mFile;
    if (ok) {
        if (pObject) {
            mFile = pObject;
        } else if (!mFile || !mFile->ProjectIsOpen()) {
            mError.SetLastErrorID(eFileNotCreated);
            ok = false;
        } else {
            // Only errors of this write count.
            mFile->GetError().ClearLastError();
        }
    }
    // A geometry the reader would refuse would lose the whole file: the
    // write fails before it writes or changes anything.
    KString refused;
    if (ok && mOptions->GetOption(KStreamOptionsQel::eModelAttribute) &&
        !native_detail::FindRefusedGeometry(*pScene.GetRootNode(), true, IsFaultWritten, refused)) {
        mError.SetLastError(eUnidentifiedError, refused.Buffer());
        mFile = own;
        ok = false;
    }
    progress->DivideSection(1 + (ok ? native_detail::SelectedTakeCount(*mOptions) : 0));
    if (!ok) {
        mOptions = nullptr;
        progress->CloseSection();
        progress->ProgressDone();
        if (!pObject)
            mWriteFailed = true;
        return false;
    }

    KQelNode& root = *pScene.GetRootNode();
    ConvertShapeNamesToV5Format(root);
    int mediaCount = 0;
    ok = WriteBlocks(pScene, mediaCount);
    if (pObject) {
        mFile = own;
    } else {
        // The summary follows even a failed main section.
        if (!mFile->ProjectCloseSection() && ok) {
            mError.SetLastErrorID(eOutOfDiskSpace);
            ok = false;
        }
        if (!WriteExtensionSection(pScene, mediaCount) && mFile->IsBinary() && ok) {
            mError.SetLastErrorID(eOutOfDiskSpace);
            ok = false;
        }
        if (!ok)
            mWriteFailed = true;
    }
    mOptions = nullptr;
    RevertShapeNamesToV6Format(root);
    progress->CloseSection();
    progress->ProgressDone();
    return ok;
}

bool KQelWriterQel::CheckFile()
{
    if (File().GetLastErrorID() == -1)
        return true;
    mError.SetLastErrorID(eOutOfDiskSpace);
    return false;
}

bool KQelWriterQel::WriteBlocks(KQelScene& pScene, int& pMediaCount)
{
    const KStreamOptionsQel& options = *mOptions;
    bool ok = true;
    if (options.GetOption(KStreamOptionsQel::eTexture)) {
        WriteMedia(pScene, options.GetOption(KStreamOptionsQel::eEmbedMedia), pMediaCount);
        ok = CheckFile();
    }
    if (ok) {
        WriteCameraSwitcher(pScene);
        ok = CheckFile();
    }
    if (ok) {
        FindAnimatedChannels(pScene);
        mExporter.ProgressUpdate(nullptr, "Storing models", nullptr, 0.0f);
        KQelNode* root = pScene.GetRootNode();
        mNodeCount = 0;
        mNodeTotal = root->GetChildCount(true);
        WriteNode(root);
        KGetGlobalProgress()->UpdateSection(nullptr, nullptr);
        ok = CheckFile();
    }
    if (ok) {
        WritePassword();
        ok = CheckFile();
    }
    if (ok && options.GetOption(KStreamOptionsQel::eAnimation)) {
        WriteAnimation(pScene);
        ok = CheckFile();
    }
    ClearAnimatedChannels();
    if (ok && options.GetOption(KStreamOptionsQel::eGobo)) {
        WriteGobo(pScene);
        ok = CheckFile();
    }
    if (ok && options.GetOption(KStreamOptionsQel::eCharacter)) {
        WriteMarkerSet(pScene);
        WriteActor(pScene);
        WriteCharacter(pScene);
        ok = CheckFile();
    }
    if (ok) {
        WriteSceneGenericPersistenceSection(pScene);
        ok = CheckFile();
    }
    if (ok && options.GetOption(KStreamOptionsQel::eCharacter)) {
        WriteConstraint(pScene);
        ok = CheckFile();
    }
    if (ok && options.GetOption(KStreamOptionsQel::eGlobalSettings)) {
        WriteGlobalLightSettings(pScene);
        WriteGlobalCameraAndTimeSettings(pScene);
        ok = CheckFile();
    }
    return ok;
}

bool KQelWriterQel::WritePassword()
{
    if (mOptions->mIsPasswordProtected && !mOptions->mPassword.IsEmpty())
        File().WritePassword(mOptions->mPassword.Buffer());
    return true;
}

bool KQelWriterQel::WriteSceneGenericPersistenceSection(KQelScene& pScene)
{
    const bool characters = mOptions->GetOption(KStreamOptionsQel::eCharacter);
    if (pScene.GetPoseCount() == 0 && !pScene.GetSceneInfo() &&
        !(characters && pScene.GetCharacterPoseCount() > 0))
        return true;
    native_detail::WriteBlock block(File(), "SceneGenericPersistence");
    if (characters)
        WriteCharacterPose(pScene);
    WritePose(pScene);
    WriteSceneInfo(pScene.GetSceneInfo());
    return true;
}

}  // namespace qelsdk_600
