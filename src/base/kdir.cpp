#include "base/kdir.h"

#include <cstring>

#include <dirent.h>

namespace qelsdk_600 {

KDir::KDir() : mDir(nullptr), mHasEntry(false) {}

KDir::~KDir() { Close(); }

bool KDir::Open(const char* path) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    mDir = opendir(path);
    if (!mDir) return false;
    return Next();
}

void KDir::Close() {
    if (mDir) closedir(static_cast<DIR*>(mDir));
    mDir = nullptr;
    mName.Empty();
    mHasEntry = false;
}

bool KDir::Next() {
    mHasEntry = false;
    mName.Empty();
    if (!mDir) return false;
    for (;;) {
        const dirent* entry = readdir(static_cast<DIR*>(mDir));
        if (!entry) return false;
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        mName = entry->d_name;
        mHasEntry = mName.IsOK();
        return mHasEntry;
    }
}

const char* KDir::Name() const { return mName.Buffer(); }

KString KDir::GetExt() const {
    if (!mHasEntry) return KString();
    const int dot = mName.ReverseFind('.');
    if (dot < 0) return KString();
    return mName.Mid(static_cast<unsigned int>(dot + 1));
}

}  // namespace qelsdk_600
