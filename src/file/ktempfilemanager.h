// Registry of files made for the process, removed at its end unless kept.
#ifndef QELSDK_FILE_KTEMPFILEMANAGER_H
#define QELSDK_FILE_KTEMPFILEMANAGER_H

#include <string>
#include <unordered_map>

namespace qelsdk_600 {

// Files the SDK writes on the side (such as media extracted from a field
// file), each with a keep flag. RemoveTemporaryFiles deletes every file
// whose flag is false; the process-wide manager does so when the process
// ends. A file with the flag true is only remembered.
class KTempFileManager {
public:
    // The manager of the process.
    static KTempFileManager* Instance();

    KTempFileManager();
    // Runs RemoveTemporaryFiles.
    ~KTempFileManager();
    KTempFileManager(const KTempFileManager&) = delete;
    KTempFileManager& operator=(const KTempFileManager&) = delete;

    // Records the file with its keep flag; a file already recorded takes the
    // new flag. False for a null or empty path.
    bool Register(const char* path, bool keep);
    // Forgets the file without touching it; false when it was not recorded.
    bool Unregister(const char* path);
    bool IsRegistered(const char* path) const;
    // The file's keep flag; false when it is not recorded.
    bool GetKeep(const char* path) const;
    // Changes the flag of a recorded file; false when it is not recorded.
    bool SetKeep(const char* path, bool keep);
    int GetCount() const { return static_cast<int>(mFiles.size()); }

    // Deletes every recorded file whose keep flag is false and forgets it;
    // the number of files deleted (a file already gone is only forgotten).
    int RemoveTemporaryFiles();

private:
    std::unordered_map<std::string, bool> mFiles;
};

}  // namespace qelsdk_600

#endif
