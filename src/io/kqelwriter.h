// Interface of every format writer: create a file, hand out its options,
// write a scene into it.
#ifndef QELSDK_IO_KQELWRITER_H
#define QELSDK_IO_KQELWRITER_H

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

class KQelNode;
class KQelScene;
class KQelSdkManager;
class KStreamOptions;

// Abstract base of the format writers. A front end (KQelExporter) makes one
// when a file is created and deletes it through the virtual destructor when
// the file is closed. Failures are recorded by id in the writer's KError
// (EError); the message text is filled during a write for the front end to
// copy out afterwards.
class KQelWriter {
public:
    // Ids of the writer message table; the front ends translate them.
    enum EError {
        eFileCorrupted = 0,
        eFileNotOpened = 1,
        eFileNotCreated = 2,
        eOutOfDiskSpace = 3,
        eStreamOptionsNotSet = 4,
        eUnidentifiedError = 5,
        eErrorCount = 6
    };

    // Keeps the manager (not owned); no error, empty message.
    explicit KQelWriter(KQelSdkManager& pManager);
    virtual ~KQelWriter();
    KQelWriter(const KQelWriter&) = delete;
    KQelWriter& operator=(const KQelWriter&) = delete;

    // Creates the named file; false with the reason recorded.
    virtual bool FileCreate(const char* pFileName) = 0;
    virtual bool FileClose() = 0;
    virtual bool IsFileOpen() = 0;
    // A new options object with this format's defaults, owned by the caller
    // (release it with Destroy); null on failure.
    virtual KStreamOptions* GetWriteOptions() = 0;
    // Writes the scene into the created file under the options.
    virtual bool Write(KQelScene& pScene, KStreamOptions* pOptions) = 0;
    // The first selected node on the chain of only children that starts at
    // the root's one child; null when the root has not exactly one child or
    // the chain ends without a selected node.
    virtual KQelNode* FindRootNode(KQelScene& pScene);
    // Appends "\n    " and the name of every node of the tree whose name
    // holds a blank, a tab or a line feed to pMessage, parents before
    // children in child order; false when any name was listed. Every node
    // below pNode is handed to this virtual, so a derived check covers the
    // whole tree. The outermost call drives the walk from a work list (no
    // tree depth can exhaust the stack): a call made for a node during the
    // walk checks that node, leaves its children to the walk and answers for
    // that node alone; the outermost call answers for the whole tree. Null:
    // true, nothing listed.
    virtual bool CheckSpaceInNodeNameRecursive(KQelNode* pNode, KString& pMessage);

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

private:
    struct PendingNodes;
    // The work list of the name check under way, null between checks.
    PendingNodes* mPendingNodes;
};

}  // namespace qelsdk_600

#endif
