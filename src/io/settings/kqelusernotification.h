// Notifications for the user, handed to an application's output and logged.
#ifndef QELSDK_IO_SETTINGS_KQELUSERNOTIFICATION_H
#define QELSDK_IO_SETTINGS_KQELUSERNOTIFICATION_H

#include "base/karraytemplate.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelNode;
class QelLogFile;

// One notification: a name, a description and its detail lines.
class KQelAccumulatorEntry {
public:
    KQelAccumulatorEntry(const KString& pName, const KString& pDescription);
    // Frees the detail lines.
    ~KQelAccumulatorEntry();
    KQelAccumulatorEntry(const KQelAccumulatorEntry&) = delete;
    KQelAccumulatorEntry& operator=(const KQelAccumulatorEntry&) = delete;

    KString mName;
    KString mDescription;
    // In order of addition, owned by the entry.
    KArrayTemplate<KString*> mDetails;
};

// Collects entries and their details, hands them to the application through
// the pure hooks, and during an accumulation (InitAccumulator to
// ClearAccumulator) writes their lines "[name] description detail" to a log
// file, by default in the temporary directory. Calling order: InitAccumulator,
// any number of AddEntry, AddDetail and Output, ClearAccumulator. Used from
// one thread.
class KQelUserNotification {
public:
    // Log file name and log header; no log, no entries.
    KQelUserNotification(const KString& pLogFileName, const KString& pLogHeader);
    // Frees the entries; a log still open is ended first (its lines are
    // written). Calls no hook.
    virtual ~KQelUserNotification();
    KQelUserNotification(const KQelUserNotification&) = delete;
    KQelUserNotification& operator=(const KQelUserNotification&) = delete;

    // The log's directory: here the temporary directory ("TMPDIR" with a
    // final '/', else "/tmp/"); empty when it is longer than 1,023 characters.
    virtual void GetLogFilePath(KString& pPath);
    // Application output hooks.
    virtual void OpenOutput() = 0;
    virtual void CloseOutput() = 0;
    virtual void PostInit() = 0;
    // Hands entry pIndex to OutputEntry, or, for an index outside the list,
    // every entry to OutputAllEntries (pFlag passed on). Unless pNoLog,
    // writes the handed entries' lines to the log when one is open. Answers
    // the hook's result.
    virtual bool SendToOutput(bool pFlag, int pIndex, bool pNoLog);
    virtual bool OutputEntry(KQelAccumulatorEntry* pEntry, bool pFlag) = 0;
    virtual bool OutputAllEntries(KArrayTemplate<KQelAccumulatorEntry*>& pEntries, bool pFlag) = 0;
    virtual void PreTerminate() = 0;
    // Its result becomes the terminated flag; true here.
    virtual bool PostTerminate();

    // Makes the log directory the process-wide master directory, opens the
    // log there (appending to its file, written when the log ends), frees
    // the entries, then calls OpenOutput and PostInit. A log still open is
    // ended first.
    void InitAccumulator();
    // Calls PreTerminate and CloseOutput, frees the entries, ends the log
    // (writing its lines) and stores PostTerminate's result.
    void ClearAccumulator();
    // Appends an entry without details; its index.
    int AddEntry(const KString& pName, const KString& pDescription);
    // For an index in the list: appends the text unless empty, then sends
    // the entry (SendToOutput(pFlag, pIndex, true)). Otherwise nothing.
    void AddDetail(int pIndex, const KString& pDetail, bool pFlag);
    // As above with the node's current name (kind prefix included), even an
    // empty one. A null node does nothing.
    void AddDetail(int pIndex, KQelNode* pNode, bool pFlag);
    // SendToOutput(true, pIndex, pNoLog): an index outside the list sends
    // every entry.
    bool Output(int pIndex, bool pNoLog);

    int GetEntryCount() const { return mEntries.GetCount(); }
    bool IsTerminated() const { return mTerminated; }

private:
    void ClearEntries();
    void EndLog();
    // Writes the lines of one entry to the open log.
    void LogEntry(const KQelAccumulatorEntry& pEntry);

    KString mLogFileName;
    KString mLogHeader;
    QelLogFile* mLog;
    bool mTerminated;
    KArrayTemplate<KQelAccumulatorEntry*> mEntries;
};

}  // namespace qelsdk_600

#endif
