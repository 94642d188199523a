// The reader's file, options, layout decision, password and summary update.
#include "native/reader/kqelreaderqel.h"

#include <unordered_set>

#include "base/kpath.h"
#include "file/iqelobject.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblocks_shared.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqelthumbnail.h"

namespace qelsdk_600 {

namespace {

// The name tables' growth block.
const int kTableBlock = 20;

void MakeCaseSensitive(KCharPtrSet& pTable)
{
    pTable.SetCaseSensitive(true);
}

}  // namespace

int FindTypeIndex(const KString& pType, const KArrayTemplate<ObjectTypeInfo*>& pList)
{
    for (int i = 0, n = pList.GetCount(); i < n; ++i) {
        if (pList[i] && pList[i]->mType == pType)
            return i;
    }
    return -1;
}

KQelReaderQel::KQelReaderQel(KQelSdkManager& pManager, KQelImporter& pImporter)
    : KQelReader(pManager),
      mImporter(pImporter),
      mFile(nullptr),
      mOptions(nullptr),
      mNodeTable(kTableBlock),
      mLookAtTable(kTableBlock),
      mUpNodeTable(kTableBlock),
      mCameraBackgroundTable(kTableBlock),
      mRenderResolutionValid(false),
      mRenderWidth(0.0),
      mRenderHeight(0.0)
{
    MakeCaseSensitive(mNodeTable);
    MakeCaseSensitive(mLookAtTable);
    MakeCaseSensitive(mUpNodeTable);
    MakeCaseSensitive(mCameraBackgroundTable);
}

KQelReaderQel::~KQelReaderQel()
{
    if (mFile)
        FileClose();
    for (int i = 0; i < mObjectTypes.GetCount(); ++i)
        delete mObjectTypes[i];
}

KQel& KQelReaderQel::File()
{
    return *mFile;
}

// ---- File ----

bool KQelReaderQel::FileOpen(const char* pFileName)
{
    mRenderResolutionValid = false;
    if (!mFile)
        mFile = KQelObjectCreate();
    const KString path = MakeFullPath(KGetCurrentDirectory().Buffer(), pFileName ? pFileName : "");
    KQelFileHeaderInfo header;
    if (mFile->ProjectOpen(path.Buffer(), false, false, &header)) {
        if (header.mResolutionW != 0.0 && header.mResolutionH != 0.0 &&
            !header.mResolutionMode.IsEmpty()) {
            mRenderCameraName = header.mCameraName;
            mRenderResolutionMode = header.mResolutionMode;
            mRenderWidth = header.mResolutionW;
            mRenderHeight = header.mResolutionH;
            mRenderResolutionValid = true;
        }
        return true;
    }
    int id = mFile->GetLastErrorID();
    if (id < eFileCorrupted || id > eFileNotCreated)
        id = eUnidentifiedError;
    mError.SetLastError(id, mFile->GetLastErrorString());
    return false;
}

bool KQelReaderQel::FileClose()
{
    return native_detail::CloseFieldFile(mFile, false, mError, eFileNotOpened, eUnidentifiedError);
}

bool KQelReaderQel::IsFileOpen()
{
    return mFile != nullptr;
}

int KQelReaderQel::GetImportMode()
{
    if (!mFile)
        return 0;
    if (mFile->IsEncrypted())
        return 2;
    return mFile->IsBinary() ? 1 : 0;
}

void KQelReaderQel::GetVersion(int& pMajor, int& pMinor, int& pRevision)
{
    KQel::ProjectConvertVersionNumber(mFile ? mFile->ProjectGetSectionVersion(0) : 0, pMajor, pMinor,
                                      pRevision);
}

bool KQelReaderQel::GetDefaultRenderResolution(KString& pCameraName, KString& pMode, double& pWidth,
                                               double& pHeight) const
{
    if (mRenderResolutionValid) {
        pCameraName = mRenderCameraName;
        pMode = mRenderResolutionMode;
        pWidth = mRenderWidth;
        pHeight = mRenderHeight;
    }
    return mRenderResolutionValid;
}

// ---- Options ----

KStreamOptions* KQelReaderQel::GetReadOptions(bool pParseFile)
{
    return GetReadOptions(nullptr, pParseFile);
}

KStreamOptions* KQelReaderQel::GetReadOptions(IQelObject* pObject, bool pParseFile)
{
    KStreamOptionsQel* options = KStreamOptionsQelCreate();
    if (!options)
        return nullptr;
    IQelObject* const own = mFile;
    if (pObject)
        mFile = pObject;
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        options->Destroy();
        return nullptr;
    }
    mOptions = options;
    bool found = true;
    if (mFile->ProjectGetCurrentSection() < 0) {
        int section = -1;
        if (ReadOptionsInExtensionSection(section)) {
            SetIsBeforeVersion6WithMainSection(true);
        } else if (!pParseFile || !mFile->ProjectOpenMainSection()) {
            found = false;
        } else {
            // A file without a summary keeps none: the scan only answers.
            SetIsBeforeVersion6WithMainSection(false);
            ReadOptionsInMainSection();
            mFile->ProjectCloseSection();
        }
    } else if (pParseFile) {
        ReadOptionsInMainSection();
    } else {
        found = false;
    }
    mOptions = nullptr;
    mFile = own;
    if (!found) {
        options->Destroy();
        return nullptr;
    }
    return options;
}

// ---- Layout and password ----

void KQelReaderQel::SetIsBeforeVersion6WithMainSection(bool pOpenMainSection)
{
    int major = 0, minor = 0, revision = 0;
    GetVersion(major, minor, revision);
    bool before = false;
    if (major <= 4 || (major == 5 && minor <= 7)) {
        before = true;
    } else if (major == 5 && minor == 8 && revision == 0) {
        // 5.8.0 files exist in both layouts; only the current one has
        // "Definitions".
        if (pOpenMainSection) {
            if (!mFile->ProjectOpenMainSection())
                return;
            before = mFile->FieldGetInstanceCount("Definitions") == 0;
            mFile->ProjectCloseSection();
        } else {
            before = mFile->FieldGetInstanceCount("Definitions") == 0;
        }
    }
    mFile->SetIsBeforeVersion6(before);
}

bool KQelReaderQel::ReadPassword(KString pPassword)
{
    if (!mFile->IsPasswordPending())
        return true;
    if (mFile->CheckPassword(pPassword.Buffer()))
        return true;
    KQelObject_GenerateEvent(mFile, kQelObjectEventPasswordNeeded);
    return !mFile->IsPasswordPending();
}

// ---- Summary update ----

namespace {

// Thumbnails that the update read from the file and the given options do
// not share, so that the manager can end them once the summary is written.
void CollectUnsharedThumbnails(const KStreamOptionsQel& pRead, const KStreamOptionsQel& pGiven,
                               std::unordered_set<KQelThumbnail*>& pOut)
{
    std::unordered_set<KQelThumbnail*> given;
    if (pGiven.mSceneInfo)
        given.insert(pGiven.mSceneInfo->GetSceneThumbnail());
    for (int i = 0; i < pGiven.mTakeInfo.GetCount(); ++i)
        given.insert(pGiven.mTakeInfo[i]->GetTakeThumbnail());
    auto add = [&](KQelThumbnail* pThumbnail) {
        if (pThumbnail && !given.count(pThumbnail))
            pOut.insert(pThumbnail);
    };
    if (pRead.mSceneInfo)
        add(pRead.mSceneInfo->GetSceneThumbnail());
    for (int i = 0; i < pRead.mTakeInfo.GetCount(); ++i)
        add(pRead.mTakeInfo[i]->GetTakeThumbnail());
}

}  // namespace

bool KQelReaderQel::UpdateImportOptions(KStreamOptions* pOptions)
{
    if (!mFile || mFile->ProjectGetCurrentSection() >= 0 || !pOptions ||
        !pOptions->Is(KStreamOptionsQel::ClassId))
        return false;
    const KStreamOptionsQel& given = *static_cast<KStreamOptionsQel*>(pOptions);
    KStreamOptionsQel* stored = KStreamOptionsQelCreate();
    if (!stored)
        return false;
    mOptions = stored;
    bool written = false;
    int section = -1;
    if (ReadOptionsInExtensionSection(section)) {
        std::unordered_set<KQelThumbnail*> readThumbnails;
        CollectUnsharedThumbnails(*stored, given, readThumbnails);
        if (given.mSceneInfo) {
            if (!stored->mSceneInfo)
                stored->mSceneInfo = mManager.CreateKQelSceneInfo();
            if (stored->mSceneInfo)
                *stored->mSceneInfo = *given.mSceneInfo;
        } else if (stored->mSceneInfo) {
            mManager.DestroyKQelSceneInfo(stored->mSceneInfo);
            stored->mSceneInfo = nullptr;
        }
        const int takes = std::min(stored->mTakeInfo.GetCount(), given.mTakeInfo.GetCount());
        for (int i = 0; i < takes; ++i)
            *stored->mTakeInfo[i] = *given.mTakeInfo[i];
        const bool last = section == mFile->ProjectGetExtensionSectionCount() - 1;
        written = WriteOptionsInExtensionSection(last);
        if (stored->mSceneInfo)
            mManager.DestroyKQelSceneInfo(stored->mSceneInfo);
        for (KQelThumbnail* thumbnail : readThumbnails)
            mManager.DestroyKQelThumbnail(thumbnail);
    }
    mOptions = nullptr;
    stored->Destroy();
    return written;
}

}  // namespace qelsdk_600
