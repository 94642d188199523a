#include "io/kqelio.h"

#include "file/kqel.h"
#include "io/kqelio_impl.h"
#include "object/kstreamoptions.h"

namespace qelsdk_600 {

namespace {

const char* const kFrontEndErrors[KQelIO::eErrorCount] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Out of disk space",
    "Uninitialized filename, use method Initialize(kCharPtr pFilename) first",
    "Unidentified error",
    "Index out of range",
    "Password error",
    "Stream options not set",
};

// Header version of the layout this SDK writes.
const int kCurrentVersion = 6000;

}  // namespace

KQelIO::KQelIO(KQelSdkManager& pManager)
    : mError(kFrontEndErrors, eErrorCount), mManager(pManager), mCurrentOptions(nullptr)
{
}

KQelIO::~KQelIO() {}

void KQelIO::SetLastErrorFrom(int pId, const char* pText)
{
    if (pText && *pText)
        mError.SetLastError(pId, pText);
    else
        mError.SetLastErrorID(pId);
}

bool KQelIO::Initialize(const char* pFileName)
{
    mFileName = pFileName ? pFileName : "";
    return true;
}

KString KQelIO::GetFileName()
{
    return mFileName;
}

void KQelIO::ProgressUpdate(const char* pTitle, const char* pMessage, const char* pDetail,
                            float pPercent)
{
    if (!mCurrentOptions)
        return;
    if (!pDetail) {
        mCurrentOptions->UpdateProgress(pTitle, pMessage, pPercent);
        return;
    }
    KString text(pMessage ? pMessage : "");
    if (*pDetail) {
        text += " - ";
        text += pDetail;
    }
    mCurrentOptions->UpdateProgress(pTitle, text.Buffer(), pPercent);
}

void KQelIO::GetCurrentVersion(int& pMajor, int& pMinor, int& pRevision) const
{
    KQel::ProjectConvertVersionNumber(kCurrentVersion, pMajor, pMinor, pRevision);
}

const io_detail::FormatText* io_detail::FindFormat(const FormatText* pTable, int pCount,
                                                   int pFormat)
{
    return pFormat >= 0 && pFormat < pCount ? &pTable[pFormat] : nullptr;
}

const char* io_detail::FormatDescription(const FormatText* pTable, int pCount, int pFormat)
{
    const FormatText* row = FindFormat(pTable, pCount, pFormat);
    return row ? row->mDescription : "";
}

const char* io_detail::FormatExtension(const FormatText* pTable, int pCount, int pFormat)
{
    const FormatText* row = FindFormat(pTable, pCount, pFormat);
    return row ? row->mExtension : "";
}

}  // namespace qelsdk_600
