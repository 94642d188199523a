// INI-style configuration file in the configuration directory.
#ifndef QELSDK_BASE_KCONFIGFILE_H
#define QELSDK_BASE_KCONFIGFILE_H

#include <string>
#include <vector>

#include "base/kerror.h"
#include "base/kstring.h"

namespace qelsdk_600 {

// A configuration file of section lines "[name]" and entry lines
// "key = value", where text after ';' is a comment. It lives in the
// configuration directory (KLib_GetConfigDirectory; the current directory
// while that is empty). Saving writes "backupfile.ini" beside the file and
// renames it over the old one, so a failed save leaves the old file whole.
class KConfigFile {
public:
    enum EError {
        eReadError = 0,    // the file exists but cannot be read
        eWriteError = 1,   // the new file could not be written or put in place
        eBadArgument = 2,  // a text that cannot be stored and read back
        eErrorCount = 3
    };

    // The file "<configuration directory>/<name>". A name that begins with
    // "@" is made per machine by prefixing the computer name (host "box":
    // "@App.txt" is "box@App.txt"). With loadInMemory the file is read once
    // here and Get answers from memory; without it every Get reads the file.
    KConfigFile(const char* name, bool loadInMemory = true);
    ~KConfigFile();
    KConfigFile(const KConfigFile&) = delete;
    KConfigFile& operator=(const KConfigFile&) = delete;

    // The value of `key` in `section`, else defaultValue. A section line
    // selects the sections whose name equals or begins with `section`, and an
    // entry matches when its key equals or begins with `key`, all without
    // regard to case; whole names win over prefixes, then the first line in
    // the file. The value is the text after the key, its blanks and '=' signs,
    // up to a ';', without trailing blanks. The returned text belongs to this
    // object and stays valid until its next Get.
    const char* Get(const char* section, const char* key, const char* defaultValue = nullptr);

    // Stores "key = value" (then " ; comment" when a comment is given) in
    // `section`, replacing the section's line for the whole key (without
    // regard to case) or adding one, and adding "[section]" when the section
    // is missing; then saves the file. Works on the file's current content, so
    // changes made meanwhile by others are kept. False, with the file
    // unchanged, when a text holds a line break, the key is empty or holds
    // '=', ';' or surrounding blanks, the value holds ';', the section holds
    // ']', or the file cannot be read or saved.
    bool Set(const char* section, const char* key, const char* value, const char* comment = nullptr);

    // The full path of the file.
    const char* GetFileName() const { return mPath.c_str(); }

    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    // Reads the file into lines; a missing file gives none. False on a read error.
    bool Load(std::vector<std::string>& lines);
    bool Save(const std::vector<std::string>& lines);

    std::string mPath;
    bool mInMemory;
    bool mLoaded;  // in memory: the cached lines reflect the file
    std::vector<std::string> mLines;
    std::string mValue;
    KError mError;
};

// The computer's name (gethostname), empty when it cannot be found.
KString KConfigFile_GetComputerName();

}  // namespace qelsdk_600

#endif
