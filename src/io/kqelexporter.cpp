#include "io/kqelexporter.h"

#include "formats/3ds/kqelwriter3ds.h"
#include "formats/dxf/kqelwriterdxf.h"
#include "formats/obj/kqelwriterobj.h"
#include "io/kqelio_impl.h"
#include "io/kqelwriter.h"
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
#include "native/kqelwriterqel6.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

namespace {

const io_detail::FormatText kExportFormats[KQelExporter::eFileFormatCount] = {
    {"QEL binary (*.qel)", "qel"},
    {"QEL ascii (*.qel)", "qel"},
    {"QEL encrypted (*.qel)", "qel"},
    {"QEL 5.0 binary (*.qel)", "qel"},
    {"QEL 5.0 ascii (*.qel)", "qel"},
    {"Biovision (*.bvh)", "bvh"},
    {"Motion Analysis HTR (*.htr)", "htr"},
    {"Motion Analysis TRC (*.trc)", "trc"},
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

// The KStreamOptionsQel switch that each export state feeds.
const KStreamOptionsQel::EOption kStateOption[KQelExporter::eExportStateCount] = {
    KStreamOptionsQel::eModelAttribute, KStreamOptionsQel::eMaterial,
    KStreamOptionsQel::eTexture,        KStreamOptionsQel::eEmbedMedia,
    KStreamOptionsQel::eLink,           KStreamOptionsQel::eShape,
    KStreamOptionsQel::eGobo,           KStreamOptionsQel::eAnimation,
    KStreamOptionsQel::eCharacter,      KStreamOptionsQel::eGlobalSettings,
    KStreamOptionsQel::ePivot,
};

io_detail::WriterMaker gWriterMaker = nullptr;

// Writer error id to front-end error id.
KQelIO::EError TranslateCreateError(int pWriterError)
{
    switch (pWriterError) {
    case KQelWriter::eFileCorrupted:
        return KQelIO::eFileCorrupted;
    case KQelWriter::eFileNotCreated:
        return KQelIO::eFileNotCreated;
    default:
        return KQelIO::eUnidentifiedError;
    }
}

KQelWriter* MakeWriterQel6(KQelSdkManager& pManager, KQelExporter& pExporter, KQelWriterQel6::EExportMode pMode)
{
    KQelWriterQel6* writer = new KQelWriterQel6(pManager, pExporter);
    writer->SetExportMode(pMode);
    return writer;
}

}  // namespace

void io_detail::SetWriterMaker(WriterMaker pMaker)
{
    gWriterMaker = pMaker;
}

KQelExporter::KQelExporter(KQelSdkManager& pManager)
    : KQelIO(pManager), mFileFormat(eQelBinary), mWriter(nullptr)
{
    Reset();
}

KQelExporter::~KQelExporter()
{
    Reset();
}

void KQelExporter::Reset()
{
    FileClose();
    ResetConfiguration();
    mMessage.Empty();
}

bool KQelExporter::Initialize(const char* pFileName)
{
    Reset();
    return KQelIO::Initialize(pFileName);
}

KQelWriter* KQelExporter::CreateWriter()
{
    if (!io_detail::FindFormat(kExportFormats, eFileFormatCount, mFileFormat))
        return nullptr;
    if (gWriterMaker) {
        if (KQelWriter* writer = gWriterMaker(mManager, *this, mFileFormat))
            return writer;
    }
    // Each format's writer joins this switch with its subsystem; until then
    // the format makes nothing and fails as a number outside the table does.
    switch (mFileFormat) {
    case eQelBinary:
        return MakeWriterQel6(mManager, *this, KQelWriterQel6::eBinary);
    case eQelAscii:
        return MakeWriterQel6(mManager, *this, KQelWriterQel6::eAscii);
    case eQelEncrypted:
        return MakeWriterQel6(mManager, *this, KQelWriterQel6::eEncrypted);
    case eQel5Binary:
    case eQel5Ascii: {
        KQelWriterQel* writer = new KQelWriterQel(mManager, *this);
        writer->SetExportMode(mFileFormat == eQel5Binary ? KQelWriterQel::eBINARY : KQelWriterQel::eASCII);
        return writer;
    }
    case eDxf:
        return new KQelWriterDxf(mManager);
    case eObj:
        return new KQelWriterObj(mManager);
    case e3ds:
        return new KQelWriter3DS(mManager);
    case eBvh:
        return new KQelWriterBiovision(mManager);
    case eTrc:
        return new KQelWriterMotionAnalysisTrc(mManager);
    case eC3d:
        return new KQelWriterVicon(mManager);
    case eAoa:
    case eMcd:
        return new KQelWriterAdaptiveOptics(mManager, mFileFormat == eMcd);
    case eVpm:
        return new KQelWriterPuppeteer(mManager);
    case eMov:
        return new KQelWriterPellacordMov(mManager);
    case eBrd:
        return new KQelWriterAscension(mManager);
    case eHtr:
        return new KQelWriterMotionAnalysisHtr(mManager);
    case eAsf:
        return new KQelWriterAcclaimAsf(mManager);
    case eAmc:
        return new KQelWriterAcclaimAmc(mManager);
    default:
        return nullptr;
    }
}

bool KQelExporter::FileCreatePart1()
{
    FileClose();
    mWriter = CreateWriter();
    return mWriter != nullptr;
}

bool KQelExporter::FileCreatePart2()
{
    if (mFileName.IsEmpty()) {
        mError.SetLastErrorID(eUninitializedFilename);
        return false;
    }
    if (!mWriter && !FileCreatePart1()) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    if (mWriter->FileCreate(mFileName.Buffer()))
        return true;
    SetLastErrorFrom(TranslateCreateError(mWriter->GetLastErrorID()), mWriter->GetLastErrorString());
    FileClose();
    return false;
}

bool KQelExporter::FileClose()
{
    delete mWriter;
    mWriter = nullptr;
    return true;
}

KStreamOptions* KQelExporter::GetExportOptions()
{
    if (!FileCreatePart1()) {
        mError.SetLastErrorID(eFileNotCreated);
        return nullptr;
    }
    KStreamOptions* options = mWriter->GetWriteOptions();
    if (!options)
        mError.SetLastErrorID(eUnidentifiedError);
    return options;
}

void KQelExporter::ReleaseExportOptions(KStreamOptions* pOptions)
{
    if (pOptions)
        pOptions->Destroy();
}

KStreamOptions* KQelExporter::GetExportOptions(IQelObject* pObject)
{
    if (!pObject) {
        mError.SetLastErrorID(eFileNotCreated);
        return nullptr;
    }
    KQelWriterQel writer(mManager, *this);
    KStreamOptions* options = writer.GetWriteOptions(pObject);
    if (!options)
        mError.SetLastErrorID(eUnidentifiedError);
    return options;
}

bool KQelExporter::Export(KQelScene& pScene, KStreamOptions* pOptions)
{
    KStreamOptionsQel ownOptions;
    KQelSceneInfo* madeForOptions = nullptr;
    KStreamOptions* options = pOptions;
    if (!options) {
        if (!IsNative()) {
            mError.SetLastErrorID(eStreamOptionsNotSet);
            return false;
        }
        SetExportOptionsInfo(&ownOptions);
        madeForOptions = io_detail::SettleExportSceneInfo(mManager, pScene, ownOptions);
        options = &ownOptions;
    }
    bool written = false;
    if (FileCreatePart2()) {
        if (IsNative())
            mCurrentOptions = options;
        written = mWriter->Write(pScene, options);
        mMessage.Empty();
        mWriter->GetMessage(mMessage);
        mCurrentOptions = nullptr;
        if (!written)
            SetWriteError(*mWriter, IsNative());
        FileClose();
    } else {
        // Any failure to create the file is error 4; the creation's text,
        // the writer's or the front end's, says why.
        const KString reason(mError.GetLastErrorString());
        SetLastErrorFrom(eFileNotCreated, reason.Buffer());
    }
    // The copy made for the local options served this write only; a writer
    // that put another object there disposed of this one itself.
    if (madeForOptions && ownOptions.mSceneInfo == madeForOptions)
        io_detail::DestroySceneInfo(mManager, ownOptions.mSceneInfo);
    return written;
}

bool KQelExporter::Export(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject)
{
    if (!pOptions) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    if (!pObject) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    KQelWriterQel writer(mManager, *this);
    mCurrentOptions = pOptions;
    const bool written = writer.Write(pScene, pOptions, pObject);
    mMessage.Empty();
    writer.GetMessage(mMessage);
    mCurrentOptions = nullptr;
    if (!written)
        SetWriteError(writer, true);
    return written;
}

void KQelExporter::SetWriteError(const KQelWriter& pWriter, bool pNative)
{
    // A native writer's error 5 is its refusal of the scene, with the reason;
    // anything else is taken for a failure of the disk.
    if (pNative && pWriter.GetLastErrorID() == KQelWriter::eUnidentifiedError)
        SetLastErrorFrom(eUnidentifiedError, pWriter.GetLastErrorString());
    else
        mError.SetLastErrorID(eOutOfDiskSpace);
}

void KQelExporter::SetExportOptionsInfo(KStreamOptionsQel* pOptions)
{
    if (!pOptions)
        return;
    pOptions->Reset();
    if (!mPassword.IsEmpty()) {
        pOptions->mIsPasswordProtected = true;
        pOptions->mPassword = mPassword;
    }
    for (int state = 0; state < eExportStateCount; ++state)
        pOptions->SetOption(kStateOption[state], mStates.Get(state));
}

void KQelExporter::SetFileModeBinary(bool pBinary)
{
    mFileFormat = pBinary ? eQelBinary : eQelAscii;
}

bool KQelExporter::IsFileModeBinary() const
{
    return mFileFormat == eQelBinary || mFileFormat == eQel5Binary;
}

void KQelExporter::SetState(EExportState pState, bool pValue)
{
    mStates.Set(pState, pValue);
}

bool KQelExporter::GetState(EExportState pState) const
{
    return mStates.Get(pState);
}

void KQelExporter::ResetConfiguration()
{
    mStates.SetAll(true);
    mStates.Set(eEmbedMedia, false);
}

const char* KQelExporter::GetFileFormatDescription(EFileFormat pFormat) const
{
    return io_detail::FormatDescription(kExportFormats, eFileFormatCount, pFormat);
}

const char* KQelExporter::GetFileFormatExtension(EFileFormat pFormat) const
{
    return io_detail::FormatExtension(kExportFormats, eFileFormatCount, pFormat);
}

}  // namespace qelsdk_600
