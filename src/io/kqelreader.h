// Interface of every format reader: open a file, hand out its options, read
// it into a scene.
#ifndef QELSDK_IO_KQELREADER_H
#define QELSDK_IO_KQELREADER_H

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelNode;
class KQelScene;
class KQelSdkManager;
class KStreamOptions;

// Abstract base of the format readers. A front end (KQelImporter) makes one
// when a file is opened and deletes it through the virtual destructor when
// the file is closed. Failures are recorded by id in the reader's KError
// (EError), sometimes with a text of the reader's own; the message text is
// filled during a read for the front end to copy out afterwards.
class KQelReader {
public:
    // Ids of the reader message table; the front ends translate them.
    enum EError {
        eFileCorrupted = 0,
        eFileVersionNotSupportedYet = 1,
        eFileVersionNotSupportedAnymore = 2,
        eFileNotOpened = 3,
        eFileNotCreated = 4,
        eWrongPassword = 5,
        eStreamOptionsNotSet = 6,
        eUnidentifiedError = 7,
        eErrorCount = 8
    };

    // Keeps the manager (not owned); no error, empty message.
    explicit KQelReader(KQelSdkManager& pManager);
    virtual ~KQelReader();
    KQelReader(const KQelReader&) = delete;
    KQelReader& operator=(const KQelReader&) = delete;

    // Opens the named file; false with the reason recorded.
    virtual bool FileOpen(const char* pFileName) = 0;
    virtual bool FileClose() = 0;
    virtual bool IsFileOpen() = 0;
    // A new options object describing the open file, owned by the caller
    // (release it with Destroy); null on failure. pParseFile allows parsing
    // the whole file when no quicker source of the options exists.
    virtual KStreamOptions* GetReadOptions(bool pParseFile = true) = 0;
    // Reads the open file into the scene under the options.
    virtual bool Read(KQelScene& pScene, KStreamOptions* pOptions) = 0;
    // Lists in pMessage, after "\n    " each, the names that repeat in the
    // tree below pRoot, each name once in order of first appearance, and
    // answers false; true with pMessage untouched when none repeats.
    virtual bool CheckDuplicateNodeNames(KQelNode* pRoot, KString& pMessage);

    KError& GetError() { return mError; }
    // -1 when no error was recorded.
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }
    // Copies the message text into pMessage.
    void GetMessage(KString& pMessage) const { pMessage = mMessage; }
    void ClearMessage() { mMessage.Empty(); }

protected:
    KQelSdkManager& mManager;
    KError mError;
    KString mMessage;
};

}  // namespace qelsdk_600

#endif
