#include "file/ktempfilemanager.h"

#include <cstdio>

namespace qelsdk_600 {

KTempFileManager* KTempFileManager::Instance()
{
    static KTempFileManager manager;
    return &manager;
}

KTempFileManager::KTempFileManager() {}

KTempFileManager::~KTempFileManager()
{
    RemoveTemporaryFiles();
}

bool KTempFileManager::Register(const char* path, bool keep)
{
    if (!path || !*path)
        return false;
    mFiles[path] = keep;
    return true;
}

bool KTempFileManager::Unregister(const char* path)
{
    return path && mFiles.erase(path) > 0;
}

bool KTempFileManager::IsRegistered(const char* path) const
{
    return path && mFiles.count(path) > 0;
}

bool KTempFileManager::GetKeep(const char* path) const
{
    if (!path)
        return false;
    auto found = mFiles.find(path);
    return found != mFiles.end() && found->second;
}

bool KTempFileManager::SetKeep(const char* path, bool keep)
{
    if (!path)
        return false;
    auto found = mFiles.find(path);
    if (found == mFiles.end())
        return false;
    found->second = keep;
    return true;
}

int KTempFileManager::RemoveTemporaryFiles()
{
    int removed = 0;
    for (auto it = mFiles.begin(); it != mFiles.end();) {
        if (it->second) {
            ++it;
            continue;
        }
        if (std::remove(it->first.c_str()) == 0)
            ++removed;
        it = mFiles.erase(it);
    }
    return removed;
}

}  // namespace qelsdk_600
