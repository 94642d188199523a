#include "io/settings/kqelusernotification.h"

#include "base/klib.h"
#include "base/kpath.h"
#include "file/qellogfile.h"
#include "io/kqelio_impl.h"

namespace qelsdk_600 {

namespace {

// Room for the temporary directory and its NUL.
const unsigned int kTempPathSize = 1024;

}  // namespace

KQelAccumulatorEntry::KQelAccumulatorEntry(const KString& pName, const KString& pDescription)
    : mName(pName), mDescription(pDescription)
{
}

KQelAccumulatorEntry::~KQelAccumulatorEntry()
{
    DeleteAndClear(mDetails);
}

KQelUserNotification::KQelUserNotification(const KString& pLogFileName, const KString& pLogHeader)
    : mLogFileName(pLogFileName), mLogHeader(pLogHeader), mLog(nullptr), mTerminated(false)
{
}

KQelUserNotification::~KQelUserNotification()
{
    EndLog();
    ClearEntries();
}

void KQelUserNotification::ClearEntries()
{
    DeleteAndClear(mEntries);
}

void KQelUserNotification::EndLog()
{
    delete mLog;
    mLog = nullptr;
}

void KQelUserNotification::GetLogFilePath(KString& pPath)
{
    char buffer[kTempPathSize];
    pPath = GetTempPath(kTempPathSize, buffer) ? buffer : "";
}

bool KQelUserNotification::PostTerminate()
{
    return true;
}

void KQelUserNotification::InitAccumulator()
{
    EndLog();
    KString directory;
    GetLogFilePath(directory);
    KLib_SetMasterDirectory(directory.Buffer());
    mLog = new QelLogFile(mLogFileName.Buffer(), mLogHeader.Buffer(), true, true);
    ClearEntries();
    OpenOutput();
    PostInit();
}

void KQelUserNotification::ClearAccumulator()
{
    PreTerminate();
    CloseOutput();
    ClearEntries();
    EndLog();
    mTerminated = PostTerminate();
}

int KQelUserNotification::AddEntry(const KString& pName, const KString& pDescription)
{
    return mEntries.Add(new KQelAccumulatorEntry(pName, pDescription));
}

void KQelUserNotification::AddDetail(int pIndex, const KString& pDetail, bool pFlag)
{
    if (pIndex < 0 || pIndex >= mEntries.GetCount())
        return;
    if (!pDetail.IsEmpty())
        mEntries[pIndex]->mDetails.Add(new KString(pDetail));
    SendToOutput(pFlag, pIndex, true);
}

void KQelUserNotification::AddDetail(int pIndex, KQelNode* pNode, bool pFlag)
{
    if (!pNode || pIndex < 0 || pIndex >= mEntries.GetCount())
        return;
    mEntries[pIndex]->mDetails.Add(new KString(io_detail::GetNodeName(pNode)));
    SendToOutput(pFlag, pIndex, true);
}

bool KQelUserNotification::Output(int pIndex, bool pNoLog)
{
    return SendToOutput(true, pIndex, pNoLog);
}

bool KQelUserNotification::SendToOutput(bool pFlag, int pIndex, bool pNoLog)
{
    int count = mEntries.GetCount();
    bool one = pIndex >= 0 && pIndex < count;
    bool result = one ? OutputEntry(mEntries[pIndex], pFlag) : OutputAllEntries(mEntries, pFlag);
    if (pNoLog || !mLog)
        return result;
    // A hook may change the list: log only entries that are still there.
    int first = one ? pIndex : 0;
    int last = one ? pIndex + 1 : count;
    if (last > mEntries.GetCount())
        last = mEntries.GetCount();
    for (int i = first; i < last; ++i)
        LogEntry(*mEntries[i]);
    return result;
}

void KQelUserNotification::LogEntry(const KQelAccumulatorEntry& pEntry)
{
    for (int i = 0, n = pEntry.mDetails.GetCount(); i < n; ++i) {
        KString line("[");
        line += pEntry.mName;
        line += "] ";
        line += pEntry.mDescription;
        line += " ";
        line += *pEntry.mDetails[i];
        *mLog += line.Buffer();
    }
}

}  // namespace qelsdk_600
