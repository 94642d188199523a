// Walks the entries of one directory.
#ifndef QELSDK_BASE_KDIR_H
#define QELSDK_BASE_KDIR_H

#include "base/kstring.h"

namespace qelsdk_600 {

// Directory walker. Entries come in the order the system gives them; "." and
// ".." are passed over. Not copyable; closes its directory when destroyed.
class KDir {
public:
    KDir();
    ~KDir();
    KDir(const KDir&) = delete;
    KDir& operator=(const KDir&) = delete;

    // Opens the directory (closing one already open) and reads its first
    // entry; true only when both succeed.
    bool Open(const char* path);
    void Close();
    // Reads the next entry; false when there is none (no entry is current then).
    bool Next();
    // The current entry's name; empty when no entry is current.
    const char* Name() const;
    // The text after the last '.' of the current entry's name; empty when the
    // name has no '.' or no entry is current.
    KString GetExt() const;

private:
    void* mDir;  // DIR*, kept opaque to keep <dirent.h> out of the header
    KString mName;
    bool mHasEntry;
};

}  // namespace qelsdk_600

#endif
