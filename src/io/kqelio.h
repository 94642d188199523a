// Common base of the import and export front ends.
#ifndef QELSDK_IO_KQELIO_H
#define QELSDK_IO_KQELIO_H

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelSdkManager;
class KStreamOptions;

// A front end works on one file at a time, holds at most one reader or
// writer, and reports failures by id of its own message table (EError),
// translating those of its reader or writer. Failures are false or null
// results; nothing is thrown.
class KQelIO {
public:
    // Ids of the front-end message table.
    enum EError {
        eFileCorrupted = 0,
        eFileVersionNotSupportedYet = 1,
        eFileVersionNotSupportedAnymore = 2,
        eFileNotOpened = 3,
        eFileNotCreated = 4,
        eOutOfDiskSpace = 5,
        eUninitializedFilename = 6,
        eUnidentifiedError = 7,
        eIndexOutOfRange = 8,
        ePasswordError = 9,
        eStreamOptionsNotSet = 10,
        eErrorCount = 11
    };

    // Keeps the manager (not owned); no file name, message or options.
    explicit KQelIO(KQelSdkManager& pManager);
    KQelIO(const KQelIO&) = delete;
    KQelIO& operator=(const KQelIO&) = delete;

    // Stores the file name (null: empty); true.
    virtual bool Initialize(const char* pFileName);
    virtual KString GetFileName();
    // Forwards progress of the read or write under way to the progress
    // callback of its options; nothing when none runs. A non-null detail is
    // joined to the message as "message - detail" (the message alone when
    // the detail is empty).
    virtual void ProgressUpdate(const char* pTitle, const char* pMessage, const char* pDetail,
                                float pPercent);
    virtual ~KQelIO();

    KError& GetError() { return mError; }
    // -1 when no error was recorded.
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }
    // Copies the message text of the last read or write.
    void GetMessage(KString& pMessage) const { pMessage = mMessage; }

    // The password that opens (importer) or protects (exporter) the file;
    // null: none.
    void SetPassword(const char* pPassword) { mPassword = pPassword ? pPassword : ""; }

    // The version of the layout that this SDK writes (6.0.0).
    void GetCurrentVersion(int& pMajor, int& pMinor, int& pRevision) const;

protected:
    // A front end's states by index; indices outside 0 to N - 1 are ignored
    // and read false.
    template <int N>
    class StateFlags {
    public:
        void Set(int pIndex, bool pValue)
        {
            if (pIndex >= 0 && pIndex < N)
                mFlags[pIndex] = pValue;
        }
        bool Get(int pIndex) const { return pIndex >= 0 && pIndex < N && mFlags[pIndex]; }
        void SetAll(bool pValue)
        {
            for (bool& flag : mFlags)
                flag = pValue;
        }

    private:
        bool mFlags[N] = {};
    };

    // Records pId with the text of the reader's or writer's failure behind
    // it, or with the table's text when that failure left none.
    void SetLastErrorFrom(int pId, const char* pText);

    KError mError;
    KString mFileName;
    KQelSdkManager& mManager;
    // The options of the read or write under way (progress only), not owned.
    KStreamOptions* mCurrentOptions;
    KString mMessage;
    KString mPassword;
};

}  // namespace qelsdk_600

#endif
