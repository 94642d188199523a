#include "io/kqelimporter.h"

#include "base/kpath.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/dxf/kqelreaderdxf.h"
#include "formats/obj/kqelreaderobj.h"
#include "io/kqelio_impl.h"
#include "io/kqelreader.h"
#include "io/kstreamoptionsqel.h"
#include "motion/kqelmotionaoa.h"
#include "motion/kqelmotionasf.h"
#include "motion/kqelmotionbrd.h"
#include "motion/kqelmotionbvh.h"
#include "motion/kqelmotionc3d.h"
#include "motion/kqelmotionhtr.h"
#include "motion/kqelmotionmov.h"
#include "motion/kqelmotiontrc.h"
#include "motion/kqelmotionvpm.h"
#include "native/reader/kqelreaderqel.h"

namespace qelsdk_600 {

namespace {

const io_detail::FormatText kImportFormats[KQelImporter::eFileFormatCount] = {
    {"QEL binary (*.qel)", "qel"},
    {"QEL ascii (*.qel)", "qel"},
    {"QEL encrypted (*.qel)", "qel"},
    {"Biovision (*.bvh)", "bvh"},
    {"Motion Analysis (*.htr)", "htr"},
    {"Motion Analysis (*.trc)", "trc"},
    {"Acclaim ASF (*.asf)", "asf"},
    {"Acclaim AMC (*.amc)", "amc"},
    {"Vicon C3D (*.c3d)", "c3d"},
    {"Adaptive Optics AOA (*.aoa)", "aoa"},
    {"Superfluo MCD (*.mcd)", "mcd"},
    {"Puppeteer VPM (*.vpm)", "vpm"},
    {"Pellacord MOV (*.mov)", "mov"},
    {"Ascension BRD (*.brd)", "brd"},
    {"Autocad DXF (*.dxf)", "dxf"},
    {"3D Studio 3DS (*.3ds)", "3ds"},
    {"Tovik OBJ (*.obj)", "obj"},
};

// The KStreamOptionsQel switch that each import state feeds.
const KStreamOptionsQel::EOption kStateOption[KQelImporter::eImportStateCount] = {
    KStreamOptionsQel::eModelAttribute, KStreamOptionsQel::eMaterial,
    KStreamOptionsQel::eTexture,        KStreamOptionsQel::eLink,
    KStreamOptionsQel::eShape,          KStreamOptionsQel::eGobo,
    KStreamOptionsQel::eAnimation,      KStreamOptionsQel::eCharacter,
    KStreamOptionsQel::eGlobalSettings, KStreamOptionsQel::ePivot,
    KStreamOptionsQel::eMergeLayerAndTimeWarp,
};

const char kWrongPasswordText[] = "File is password protected and the provided password is wrong.";

io_detail::ReaderMaker gReaderMaker = nullptr;

// Reader error id to front-end error id.
KQelIO::EError TranslateOpenError(int pReaderError)
{
    switch (pReaderError) {
    case KQelReader::eFileCorrupted:
        return KQelIO::eFileCorrupted;
    case KQelReader::eFileVersionNotSupportedYet:
        return KQelIO::eFileVersionNotSupportedYet;
    case KQelReader::eFileVersionNotSupportedAnymore:
        return KQelIO::eFileVersionNotSupportedAnymore;
    case KQelReader::eFileNotOpened:
        return KQelIO::eFileNotOpened;
    default:
        return KQelIO::eUnidentifiedError;
    }
}

}  // namespace

void io_detail::SetReaderMaker(ReaderMaker pMaker)
{
    gReaderMaker = pMaker;
}

KQelImporter::KQelImporter(KQelSdkManager& pManager)
    : KQelIO(pManager),
      mFileFormat(eQelBinary),
      mReader(nullptr),
      mImportOptionsRead(false),
      mSceneInfo(nullptr),
      mRenderResolutionValid(false),
      mRenderWidth(0.0),
      mRenderHeight(0.0)
{
    Reset();
}

KQelImporter::~KQelImporter()
{
    Reset();
}

void KQelImporter::Reset()
{
    FileClose();
    io_detail::ClearTakeList(mTakeInfo);
    mCurrentTakeName.Empty();
    io_detail::DestroySceneInfo(mManager, mSceneInfo);
    ResetConfiguration();
    mVersion[0] = mVersion[1] = mVersion[2] = 0;
    mMessage.Empty();
    mRenderResolutionValid = false;
    mRenderCameraName.Empty();
    mRenderResolutionMode.Empty();
    mRenderWidth = mRenderHeight = 0.0;
}

bool KQelImporter::Initialize(const char* pFileName)
{
    Reset();
    KQelIO::Initialize(pFileName);
    return IsNativeExtension() ? FileOpen() : true;
}

bool KQelImporter::IsNativeExtension()
{
    KString extension = ExtractFileExtension(mFileName.Buffer()).Lower();
    return extension.Find(kImportFormats[eQelBinary].mExtension) >= 0;
}

KQelReader* KQelImporter::CreateReader()
{
    if (!io_detail::FindFormat(kImportFormats, eFileFormatCount, mFileFormat))
        return nullptr;
    if (gReaderMaker) {
        if (KQelReader* reader = gReaderMaker(mManager, *this, mFileFormat))
            return reader;
    }
    // Each format's reader joins this switch with its subsystem; until then
    // the format makes nothing and fails as a number outside the table does.
    switch (mFileFormat) {
    case eQelBinary:
    case eQelAscii:
    case eQelEncrypted:
        return new KQelReaderQel(mManager, *this);
    case eDxf:
        return new KQelReaderDxf(mManager);
    case eObj:
        return new KQelReaderObj(mManager);
    case e3ds:
        return new KQelReader3DS(mManager);
    case eBvh:
        return new KQelReaderBiovision(mManager);
    case eTrc:
        return new KQelReaderMotionAnalysisTrc(mManager);
    case eC3d:
        return new KQelReaderVicon(mManager);
    case eAoa:
    case eMcd:
        return new KQelReaderAdaptiveOptics(mManager, mFileFormat == eMcd);
    case eVpm:
        return new KQelReaderPuppeteer(mManager);
    case eMov:
        return new KQelReaderPellacordMov(mManager);
    case eBrd:
        return new KQelReaderAscension(mManager);
    case eHtr:
        return new KQelReaderMotionAnalysisHtr(mManager);
    case eAsf:
        return new KQelReaderAcclaimAsf(mManager);
    case eAmc:
        return new KQelReaderAcclaimAmc(mManager);
    default:
        return nullptr;
    }
}

bool KQelImporter::TakeNativeFileInfo(bool pVersionOnly)
{
    KQelReaderQel* reader = dynamic_cast<KQelReaderQel*>(mReader);
    if (!reader)
        return false;
    reader->GetVersion(mVersion[0], mVersion[1], mVersion[2]);
    if (pVersionOnly)
        return true;
    static const EFileFormat kFormOfMode[] = {eQelAscii, eQelBinary, eQelEncrypted};
    const int mode = reader->GetImportMode();
    mFileFormat = kFormOfMode[mode >= 0 && mode <= 2 ? mode : 0];
    mRenderResolutionValid = reader->GetDefaultRenderResolution(mRenderCameraName, mRenderResolutionMode,
                                                                mRenderWidth, mRenderHeight);
    return true;
}

bool KQelImporter::FileOpen()
{
    if (mFileName.IsEmpty()) {
        mError.SetLastErrorID(eUninitializedFilename);
        return false;
    }
    FileClose();
    mReader = CreateReader();
    if (!mReader) {
        mError.SetLastErrorID(eUnidentifiedError);
        return false;
    }
    if (mReader->FileOpen(mFileName.Buffer())) {
        if (!IsNative() || TakeNativeFileInfo(false))
            return true;
        mError.SetLastErrorID(eUnidentifiedError);
        FileClose();
        return false;
    }
    int readerError = mReader->GetLastErrorID();
    if (IsNative() && (readerError == KQelReader::eFileVersionNotSupportedYet ||
                       readerError == KQelReader::eFileVersionNotSupportedAnymore))
        TakeNativeFileInfo(true);
    mError.SetLastError(TranslateOpenError(readerError), mReader->GetLastErrorString());
    FileClose();
    return false;
}

bool KQelImporter::FileClose()
{
    delete mReader;
    mReader = nullptr;
    mImportOptionsRead = false;
    return true;
}

KStreamOptions* KQelImporter::GetImportOptions(EStreamOptionsGeneration pGeneration)
{
    if (!mReader && !FileOpen())
        return nullptr;
    KStreamOptions* options = mReader->GetReadOptions(pGeneration == eParseFile);
    if (!options) {
        if (pGeneration == eParseFile)
            mError.SetLastErrorID(eUnidentifiedError);
        return nullptr;
    }
    if (options->Is(KStreamOptionsQel::ClassId))
        GetImportOptionsInfo(static_cast<KStreamOptionsQel*>(options));
    return options;
}

void KQelImporter::ReleaseImportOptions(KStreamOptions* pOptions)
{
    if (pOptions)
        pOptions->Destroy();
}

KStreamOptions* KQelImporter::GetImportOptions(IQelObject* pObject)
{
    if (!pObject) {
        mError.SetLastErrorID(eFileNotCreated);
        return nullptr;
    }
    KQelReaderQel reader(mManager, *this);
    KStreamOptions* options = reader.GetReadOptions(pObject, true);
    if (!options)
        mError.SetLastErrorID(eUnidentifiedError);
    return options;
}

bool KQelImporter::Import(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!mReader && !FileOpen())
        return false;
    KStreamOptionsQel ownCopy;
    KStreamOptions* madeHere = nullptr;
    KStreamOptions* options = pOptions;
    if (!options) {
        if (IsNative() && mImportOptionsRead) {
            SetImportOptionsInfo(&ownCopy);
            options = &ownCopy;
        } else {
            madeHere = GetImportOptions(eParseFile);
            if (!madeHere)
                return false;
            mImportOptionsRead = true;
            options = madeHere;
        }
    }
    mCurrentOptions = options;
    bool read = mReader->Read(pScene, options);
    if (read && mSceneInfo)
        io_detail::CopySceneInfoToScene(mManager, pScene, *mSceneInfo);
    mMessage.Empty();
    mReader->GetMessage(mMessage);
    mCurrentOptions = nullptr;
    if (!read) {
        if (mReader->GetLastErrorID() == KQelReader::eWrongPassword)
            mError.SetLastError(ePasswordError, kWrongPasswordText);
        else
            mError.SetLastErrorID(eUnidentifiedError);
    }
    ReleaseImportOptions(madeHere);
    return read;
}

bool KQelImporter::Import(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject)
{
    if (!pOptions) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    if (!pObject) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    KQelReaderQel reader(mManager, *this);
    mCurrentOptions = pOptions;
    const bool read = reader.Read(pScene, pOptions, pObject);
    mMessage.Empty();
    reader.GetMessage(mMessage);
    mCurrentOptions = nullptr;
    if (!read)
        mError.SetLastErrorID(eUnidentifiedError);
    return read;
}

bool KQelImporter::UpdateImportOptions(KStreamOptions* pOptions)
{
    KQelReaderQel* reader = IsNative() ? dynamic_cast<KQelReaderQel*>(mReader) : nullptr;
    if (!reader || !pOptions || !pOptions->Is(KStreamOptionsQel::ClassId))
        return false;
    return reader->UpdateImportOptions(pOptions);
}

void KQelImporter::SetImportOptionsInfo(KStreamOptionsQel* pOptions)
{
    if (!pOptions)
        return;
    io_detail::CopyTakeList(pOptions->mTakeInfo, mTakeInfo);
    pOptions->mCurrentTakeName = mCurrentTakeName;
    pOptions->mPassword = mPassword;
    for (int state = 0; state < eImportStateCount; ++state)
        pOptions->SetOption(kStateOption[state], mStates.Get(state));
}

void KQelImporter::GetImportOptionsInfo(KStreamOptionsQel* pOptions)
{
    if (!pOptions)
        return;
    io_detail::CopyTakeList(mTakeInfo, pOptions->mTakeInfo);
    io_detail::DestroySceneInfo(mManager, mSceneInfo);
    if (pOptions->mSceneInfo)
        mSceneInfo = io_detail::CloneSceneInfo(mManager, *pOptions->mSceneInfo);
    mCurrentTakeName = pOptions->mCurrentTakeName;
    mPassword = pOptions->mPassword;
    for (int state = 0; state < eImportStateCount; ++state)
        mStates.Set(state, pOptions->GetOption(kStateOption[state]));
}

void KQelImporter::SetState(EImportState pState, bool pValue)
{
    mStates.Set(pState, pValue);
}

bool KQelImporter::GetState(EImportState pState) const
{
    return mStates.Get(pState);
}

void KQelImporter::ResetConfiguration()
{
    mStates.SetAll(true);
}

void KQelImporter::GetFileVersion(int& pMajor, int& pMinor, int& pRevision) const
{
    // Files of majors 1 to 4 are read as the 5.0 layout.
    if (mVersion[0] >= 1 && mVersion[0] <= 4) {
        pMajor = 5;
        pMinor = 0;
        pRevision = 0;
        return;
    }
    pMajor = mVersion[0];
    pMinor = mVersion[1];
    pRevision = mVersion[2];
}

bool KQelImporter::GetDefaultRenderResolution(KString& pCameraName, KString& pResolutionMode,
                                              double& pWidth, double& pHeight) const
{
    if (mRenderResolutionValid) {
        pCameraName = mRenderCameraName;
        pResolutionMode = mRenderResolutionMode;
        pWidth = mRenderWidth;
        pHeight = mRenderHeight;
    }
    return mRenderResolutionValid;
}

bool KQelImporter::ReadOptionsOnce()
{
    if (!IsNative())
        return false;
    if (!mImportOptionsRead) {
        KStreamOptions* options = GetImportOptions(eParseFile);
        if (!options)
            return false;
        ReleaseImportOptions(options);
        mImportOptionsRead = true;
    }
    return true;
}

int KQelImporter::GetTakeCount()
{
    return ReadOptionsOnce() ? mTakeInfo.GetCount() : 0;
}

KQelTakeInfo* KQelImporter::GetTakeInfo(int pIndex)
{
    if (!ReadOptionsOnce() || pIndex < 0 || pIndex >= mTakeInfo.GetCount())
        return nullptr;
    return mTakeInfo[pIndex];
}

const char* KQelImporter::GetCurrentTakeName()
{
    return ReadOptionsOnce() ? mCurrentTakeName.Buffer() : "";
}

KQelSceneInfo* KQelImporter::GetSceneInfo()
{
    return ReadOptionsOnce() ? mSceneInfo : nullptr;
}

const char* KQelImporter::GetFileFormatDescription(EFileFormat pFormat) const
{
    return io_detail::FormatDescription(kImportFormats, eFileFormatCount, pFormat);
}

const char* KQelImporter::GetFileFormatExtension(EFileFormat pFormat) const
{
    return io_detail::FormatExtension(kImportFormats, eFileFormatCount, pFormat);
}

}  // namespace qelsdk_600
