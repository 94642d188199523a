// Extraction of embedded media from the raw value of a field.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "base/kpath.h"
#include "file/iqelobject.h"
#include "file/iqelobject_impl.h"
#include "file/ktempfilemanager.h"

namespace qelsdk_600 {

namespace {

// Numbered subdirectories tried before giving up on a name.
const int kMaxSubdirectories = 10000;

// The stored name cut to its plain file-name part, so that no stored name
// ("/etc/x", "../../x", "a\\b") can reach outside the target directory.
std::string SafeFileName(const char* stored)
{
    std::string name = ExtractFileName(stored).Buffer();
    if (name.empty() || name == "." || name == "..")
        name = "embedded";
    return name;
}

// Something (even a dangling link) already has that path.
bool PathTaken(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// A directory that may be created or used as it is; a link or a file in
// its place is not used.
bool UsableSubdirectory(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISDIR(info.st_mode);
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool IQelObject::FieldReadEmbeddedFile(KString& fileName, KString& relativeFileName,
                                       const char* directory, bool* keep)
{
    qel_detail::QelObjectState& state = *mObjectState;
    std::string readPath = GetFilePath();
    if (state.mSessionPath != readPath) {
        // Another file than the one whose media were recorded.
        state.mExtracted.clear();
        state.mClaimed.clear();
        state.mSessionPath = readPath;
    }

    std::string stored = fileName.Buffer();
    auto done = state.mExtracted.find(stored);
    if (done != state.mExtracted.end()) {
        if (PathTaken(done->second.mPath)) {
            fileName = done->second.mPath.c_str();
            relativeFileName = done->second.mRelative.c_str();
            if (keep)
                *keep = done->second.mKeep;
            return true;
        }
        // Removed since (a caller converted it): its place is free again.
        state.mClaimed.erase(done->second.mPath);
        state.mExtracted.erase(done);
    }

    kUInt size = 0;
    if (!FieldReadRBegin(&size)) {
        GetError().SetLastErrorID(eFieldError);
        return false;
    }

    std::string targetDirectory;
    bool keepFile = true;
    if (directory && *directory) {
        targetDirectory = directory;
    } else if (!readPath.empty()) {
        targetDirectory = ChangeFileExtension(readPath.c_str(), "qem").Buffer();
    } else {
        char buffer[4096];
        if (GetTempPath(sizeof(buffer), buffer) == 0) {
            FieldReadREnd();
            GetError().SetLastErrorID(eWriteError);
            return false;
        }
        targetDirectory = buffer;
        keepFile = false;  // the temporary directory is cleaned at the end
    }
    while (targetDirectory.size() > 1 && targetDirectory.back() == '/')
        targetDirectory.pop_back();
    std::string plain = SafeFileName(stored.c_str());

    // The first free place: the directory itself, then "1/", "2/", ...
    std::string target;
    int fd = -1;
    for (int n = 0; n <= kMaxSubdirectories && fd < 0; ++n) {
        std::string folder = targetDirectory;
        if (n > 0) {
            folder += '/';
            folder += std::to_string(n);
            if (!UsableSubdirectory(folder))
                continue;
        }
        target = folder + '/' + plain;
        if (state.mClaimed.count(target) || PathTaken(target))
            continue;
        if (!KEnsureDirectoryExistance(target.c_str()))
            break;
        // O_EXCL: never overwrite, never follow a link put there meanwhile.
        fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    keepFile ? 0644 : 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        FieldReadREnd();
        GetError().SetLastErrorID(eWriteError);
        return false;
    }

    // Copied in pieces: the stored size is never trusted for an allocation.
    std::vector<unsigned char> piece(size < static_cast<kUInt>(kEmbedPieceSize)
                                         ? (size > 0 ? size : 1)
                                         : static_cast<kUInt>(kEmbedPieceSize));
    kUInt left = size;
    bool ok = true;
    while (left > 0 && ok) {
        kUInt want = left < piece.size() ? left : static_cast<kUInt>(piece.size());
        kUInt got = FieldReadRPart(piece.data(), want);
        if (got == 0) {
            ok = false;  // the content ends before its stated size
            GetError().SetLastErrorID(eFileCorrupted);
            break;
        }
        if (!WriteAll(fd, piece.data(), got)) {
            ok = false;
            GetError().SetLastErrorID(eWriteError);
        }
        left -= got;
    }
    FieldReadREnd();
    if (::close(fd) != 0 && ok) {
        ok = false;
        GetError().SetLastErrorID(eWriteError);
    }
    if (!ok) {
        std::remove(target.c_str());
        return false;
    }

    qel_detail::ExtractedFile& record = state.mExtracted[stored];
    record.mPath = target;
    // Without a read file there is no directory to be relative to.
    record.mRelative = readPath.empty() ? target : std::string(GetRelativeFilePath(target.c_str()));
    record.mKeep = keepFile;
    state.mClaimed.insert(target);
    KTempFileManager::Instance()->Register(target.c_str(), keepFile);

    fileName = record.mPath.c_str();
    relativeFileName = record.mRelative.c_str();
    if (keep)
        *keep = keepFile;
    return true;
}

}  // namespace qelsdk_600
