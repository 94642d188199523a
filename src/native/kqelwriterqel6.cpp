// The writer's life cycle, file creation and closing, and the Write driver.
#include "native/kqelwriterqel6.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/kpath.h"
#include "content/kqeldeformer.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kstreamoptionsmotion.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6_impl.h"
#include "object/kprogress.h"
#include "scene/kqelentity.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace {

const int kHeaderVersion = 6000;

// The switches that options of the motion class leave on: videos (3),
// animation (7) and the merging of layers (11).
void KeepMotionOptions(KStreamOptionsQel& pOptions)
{
    static const KStreamOptionsQel::EOption kOff[] = {
        KStreamOptionsQel::eModelAttribute, KStreamOptionsQel::eMaterial, KStreamOptionsQel::eTexture,
        KStreamOptionsQel::eLink,           KStreamOptionsQel::eShape,    KStreamOptionsQel::eGobo,
        KStreamOptionsQel::eCharacter,      KStreamOptionsQel::eGlobalSettings,
        KStreamOptionsQel::ePivot,          KStreamOptionsQel::eEmbedMedia,
    };
    for (KStreamOptionsQel::EOption option : kOff)
        pOptions.SetOption(option, false);
    pOptions.SetOption(KStreamOptionsQel::eAnimation, true);
}

// Writer error of a failed creation, from the field file's error id.
int CreateErrorOf(int pFileError)
{
    switch (pFileError) {
    case KQel::eFileCorrupted:
        return KQelWriter::eFileCorrupted;
    case KQel::eFileNotCreated:
        return KQelWriter::eFileNotCreated;
    default:
        return KQelWriter::eUnidentifiedError;
    }
}

// The deformers a scene's store holds before a write, with their use
// counts: the caller's, which the write must leave in place.
struct KeptDeformer {
    KQelDeformer* mDeformer;
    int mUses;
};

std::vector<KeptDeformer> KeepDeformers(KQelEntity& pEntity)
{
    std::vector<KeptDeformer> kept;
    for (int i = 0, n = pEntity.GetDeformerCount(0); i < n; ++i) {
        KQelDeformer* deformer = pEntity.GetDeformer(i, 0);
        kept.push_back({deformer, pEntity.GetReferenceUseCount(KQelEntity::eDeformers, deformer)});
    }
    return kept;
}

// Ends the deformers built for the write: the caller's are set aside while
// the scene removes every deformer of its store, then listed again as they
// were (they came first, so the order stays).
void RemoveBuiltDeformers(KQelScene& pScene, const std::vector<KeptDeformer>& pKept)
{
    KQelEntity& entity = *pScene.GetEntity();
    for (const KeptDeformer& kept : pKept) {
        while (entity.GetReferenceUseCount(KQelEntity::eDeformers, kept.mDeformer) > 0)
            entity.RemoveDeformer(kept.mDeformer);
    }
    pScene.RemoveKQelDeformers();
    for (const KeptDeformer& kept : pKept) {
        for (int use = 0; use < kept.mUses; ++use)
            entity.AddDeformer(kept.mDeformer);
    }
}

}  // namespace

KQelWriterQel6::KQelWriterQel6(KQelSdkManager& pManager, KQelExporter& pExporter)
    : KQelWriter(pManager),
      mFile(nullptr),
      mExporter(pExporter),
      mOptions(nullptr),
      mExportMode(eBinary),
      mProgressCounter(0),
      mProgressTotal(0),
      mWriteFailed(false),
      mWritten(false),
      mSummaryFailed(false)
{
}

KQelWriterQel6::~KQelWriterQel6()
{
    if (mFile)
        FileClose();
    DeleteAndClear(mVideoOwnNames);
}

bool KQelWriterQel6::FileCreate(const char* pFileName)
{
    // A file still open is closed first, so that one whose write failed is
    // dropped rather than published by the next creation.
    if (mFile)
        FileClose();
    if (!pFileName || !*pFileName) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    mFile = KQelObjectCreate();
    KQelFileHeaderInfo header;
    header.mHeaderVersion = kHeaderVersion;
    const KString path = MakeFullPath(KGetCurrentDirectory().Buffer(), pFileName);
    const bool binary = mExportMode == eBinary || mExportMode == eEncrypted;
    if (mFile->ProjectCreate(path.Buffer(), binary, mExportMode == eEncrypted, &header))
        return true;
    mError.SetLastError(CreateErrorOf(mFile->GetLastErrorID()), mFile->GetLastErrorString());
    // Nothing was made: no file stays open to be written or published.
    delete mFile;
    mFile = nullptr;
    return false;
}

bool KQelWriterQel6::FileClose()
{
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    bool ok = true;
    if (mWriteFailed) {
        mFile->ProjectDiscard();
    } else if (!mFile->ProjectClose()) {
        mError.SetLastError(eOutOfDiskSpace, mFile->GetLastErrorString());
        ok = false;
    }
    delete mFile;
    mFile = nullptr;
    mWriteFailed = false;
    mWritten = false;
    return ok;
}

bool KQelWriterQel6::IsFileOpen()
{
    return mFile != nullptr;
}

KStreamOptions* KQelWriterQel6::GetWriteOptions()
{
    return GetWriteOptions(nullptr);
}

KStreamOptions* KQelWriterQel6::GetWriteOptions(IQelObject*)
{
    return KStreamOptionsQelCreate();
}

bool KQelWriterQel6::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    return Write(pScene, pOptions, nullptr);
}

bool KQelWriterQel6::Write(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pFile)
{
    mError.ClearLastError();
    const bool motion = pOptions && pOptions->Is(KStreamOptionsMotion::ClassId);
    if (!pOptions || (!motion && !pOptions->Is(KStreamOptionsQel::ClassId))) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        // A file created for this write holds no document: never publish it.
        if (!pFile && mFile)
            mWriteFailed = true;
        return false;
    }
    // One document per created file: a second one would land after the
    // first's closed sections.
    if (!pFile && (!mFile || mWritten)) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }

    KStreamOptionsQel motionOptions;
    KeepMotionOptions(motionOptions);
    mOptions = motion ? &motionOptions : static_cast<KStreamOptionsQel*>(pOptions);
    // A geometry the reader would refuse would lose the whole file: the
    // write fails before it writes or changes anything.
    KString refused;
    KQelNode* root = pScene.GetRootNode();
    if (root && Option(KStreamOptionsQel::eModelAttribute) &&
        !native_detail::FindRefusedGeometry(*root, Option(KStreamOptionsQel::eLink), writer6_detail::IsFaultWritten,
                                            refused)) {
        mError.SetLastError(eUnidentifiedError, refused.Buffer());
        if (!pFile)
            mWriteFailed = true;
        mOptions = nullptr;
        return false;
    }
    IQelObject* ownFile = mFile;
    if (pFile)
        mFile = pFile;
    else
        mWritten = true;

    int steps = 1;
    for (int i = 0, n = mOptions->mTakeInfo.GetCount(); i < n; ++i) {
        if (mOptions->mTakeInfo.GetAt(i)->mSelect)
            ++steps;
    }
    KProgress* progress = KGetGlobalProgress();
    progress->ProgressBegin();
    progress->DivideSection(steps);

    // Only what goes wrong in this write counts.
    mFile->GetError().ClearLastError();
    mCurrentTakeName = pScene.GetCurrentTakeName();

    const std::vector<KeptDeformer> callersDeformers = KeepDeformers(*pScene.GetEntity());
    pScene.ConnectMaterials();
    pScene.ConnectTextures();
    pScene.ConnectVideos();
    pScene.BuildKQelDeformerFromKQelLink();

    typedef bool (KQelWriterQel6::*Section)(KQelScene&);
    static const Section kSections[] = {
        &KQelWriterQel6::WriteObjectDefinition, &KQelWriterQel6::WriteObjectProperties,
        &KQelWriterQel6::WriteObjectRelations,  &KQelWriterQel6::WriteObjectConnections,
        &KQelWriterQel6::WriteTakesAndAnimation,
    };
    bool ok = true;
    for (Section section : kSections) {
        (this->*section)(pScene);
        if (mFile->GetLastErrorID() >= 0) {
            ok = false;
            break;
        }
    }
    if (ok && Option(KStreamOptionsQel::eGlobalSettings)) {
        Banner("Version 5 settings", 66, false, true);
        BlockBegin("Version5");
        WriteGlobalLightSettings(pScene);
        WriteGlobalTimeSettings(pScene);
        WriteGlobalCameraSettings(pScene);
        ok = mFile->GetLastErrorID() < 0;
        BlockEnd();
    }

    RemoveBuiltDeformers(pScene, callersDeformers);

    if (!pFile) {
        if (!mFile->ProjectCloseSection())
            ok = false;
        mSummaryFailed = false;
        WriteExtensionSection(pScene, 0);
        if (mSummaryFailed)
            ok = false;
    }
    mFile = ownFile;
    if (!pFile && !ok)
        mWriteFailed = true;
    if (!ok)
        mError.SetLastErrorID(eOutOfDiskSpace);

    // Computing take spans moves the scene to other takes.
    if (strcmp(pScene.GetCurrentTakeName(), mCurrentTakeName.Buffer()) != 0 || !mCurrentTakeName.IsEmpty())
        pScene.SetCurrentTake(mCurrentTakeName.Buffer());

    mOptions = nullptr;
    progress->CloseSection();
    progress->ProgressDone();
    return ok;
}

bool KQelWriterQel6::WritePassword()
{
    if (mOptions && mOptions->mIsPasswordProtected && !mOptions->mPassword.IsEmpty())
        return mFile->WritePassword(mOptions->mPassword.Buffer());
    return true;
}

// ---- Helpers shared by the sections ----

KQel& KQelWriterQel6::File()
{
    return *mFile;
}

bool KQelWriterQel6::Option(int pOption) const
{
    return mOptions && mOptions->GetOption(static_cast<KStreamOptionsQel::EOption>(pOption));
}

void KQelWriterQel6::BlockBegin(const char* pName)
{
    mFile->FieldWriteBegin(pName);
    mFile->FieldWriteBlockBegin();
}

void KQelWriterQel6::BlockEnd()
{
    mFile->FieldWriteBlockEnd();
    mFile->FieldWriteEnd();
}

void KQelWriterQel6::FieldI(const char* pName, int pValue)
{
    mFile->FieldWriteBegin(pName);
    mFile->FieldWriteI(pValue);
    mFile->FieldWriteEnd();
}

void KQelWriterQel6::FieldD(const char* pName, double pValue)
{
    FieldDn(pName, &pValue, 1);
}

void KQelWriterQel6::FieldDn(const char* pName, const double* pValues, int pCount)
{
    mFile->FieldWriteBegin(pName);
    for (int i = 0; i < pCount; ++i)
        mFile->FieldWriteD(pValues[i]);
    mFile->FieldWriteEnd();
}

void KQelWriterQel6::FieldC(const char* pName, const char* pValue)
{
    mFile->FieldWriteBegin(pName);
    mFile->FieldWriteC(pValue);
    mFile->FieldWriteEnd();
}

void KQelWriterQel6::FieldTS(const char* pName, const KTimeSpan& pSpan)
{
    mFile->FieldWriteBegin(pName);
    mFile->FieldWriteTS(pSpan);
    mFile->FieldWriteEnd();
}

void KQelWriterQel6::Banner(const char* pTitle, int pRuleLength, bool pLeadingBlank, bool pTrailingBlank)
{
    const std::string rule(static_cast<std::size_t>(pRuleLength), '-');
    if (pLeadingBlank)
        mFile->WriteComments("");
    mFile->WriteComments(pTitle);
    mFile->WriteComments(rule.c_str());
    if (pTrailingBlank)
        mFile->WriteComments("");
}

void KQelWriterQel6::ObjectBegin(const char* pKind, const char* pName, const char* pTypeName)
{
    mFile->FieldWriteBegin(pKind);
    mFile->FieldWriteC(pName);
    mFile->FieldWriteC(pTypeName);
    mFile->FieldWriteBlockBegin();
}

void KQelWriterQel6::WriteProperties(KQelObject& pObject)
{
    mPropertyList.Clear();
    pObject.FillPropertyList(&mPropertyList);
    mFile->FieldWritePropertiesList(mPropertyList);
}

void KQelWriterQel6::StartProgress(const char* pStatus, int pTotal)
{
    mExporter.ProgressUpdate(nullptr, pStatus, nullptr, 0.0f);
    mProgressCounter = 0;
    mProgressTotal = pTotal;
}

void KQelWriterQel6::ReportProgress()
{
    float percent = 100.0f;
    if (mProgressTotal > 0) {
        const int done = mProgressCounter < mProgressTotal ? mProgressCounter : mProgressTotal;
        percent = static_cast<float>(done * 100.0 / mProgressTotal);
    }
    mExporter.ProgressUpdate(nullptr, nullptr, nullptr, percent);
    ++mProgressCounter;
}

}  // namespace qelsdk_600
