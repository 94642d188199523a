#include "base/kconfigfile.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/klib.h"
#include "base/kpath.h"

namespace qelsdk_600 {

namespace {

const char* const kErrorTexts[KConfigFile::eErrorCount] = {
    "Cannot read the configuration file",
    "Cannot save the configuration file",
    "Invalid configuration text",
};

const char kBackupName[] = "backupfile.ini";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(const std::string& s, size_t i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

bool HasLineBreak(const char* text) { return std::strpbrk(text, "\r\n") != nullptr; }

// How well a name in the file matches the wanted one.
enum EMatch { eNoMatch = 0, ePrefix = 1, eWhole = 2 };

// A section line's name, or false when the line is not a section line.
bool ParseSection(const std::string& line, std::string& name) {
    const size_t start = SkipBlanks(line, 0);
    if (start >= line.size() || line[start] != '[') return false;
    const size_t close = line.find(']', start + 1);
    name = line.substr(start + 1, close == std::string::npos ? std::string::npos : close - start - 1);
    return true;
}

EMatch MatchSection(const std::string& name, const char* wanted) {
    const size_t n = std::strlen(wanted);
    if (name.size() < n || strncasecmp(name.c_str(), wanted, n) != 0) return eNoMatch;
    return name.size() == n ? eWhole : ePrefix;
}

// Matches an entry line's key; `keyEnd` receives where the line's own key
// ends, so that a prefix match takes the value after the whole key.
EMatch MatchKey(const std::string& line, const char* key, size_t& keyEnd) {
    const size_t start = SkipBlanks(line, 0);
    if (start >= line.size() || line[start] == ';' || line[start] == '[') return eNoMatch;
    const size_t n = std::strlen(key);
    if (line.size() - start < n || strncasecmp(line.c_str() + start, key, n) != 0) return eNoMatch;
    size_t end = start + n;
    if (end == line.size() || IsBlank(line[end]) || line[end] == '=' || line[end] == ';') {
        keyEnd = end;
        return eWhole;
    }
    while (end < line.size() && !IsBlank(line[end]) && line[end] != '=' && line[end] != ';') ++end;
    keyEnd = end;
    return ePrefix;
}

std::string ValueAfter(const std::string& line, size_t keyEnd) {
    size_t i = keyEnd;
    while (i < line.size() && (IsBlank(line[i]) || line[i] == '=')) ++i;
    size_t end = line.find(';', i);
    if (end == std::string::npos) end = line.size();
    while (end > i && IsBlank(line[end - 1])) --end;
    return line.substr(i, end - i);
}

std::string ComputerNameText() {
    char host[256];
    if (gethostname(host, sizeof(host)) != 0) return std::string();
    host[sizeof(host) - 1] = '\0';
    std::string name = host;
    // The name becomes part of a file name.
    for (char& c : name) {
        if (c == '/' || c == '\\') c = '_';
    }
    return name;
}

}  // namespace

KString KConfigFile_GetComputerName() { return KString(ComputerNameText().c_str()); }

KConfigFile::KConfigFile(const char* name, bool loadInMemory)
    : mInMemory(loadInMemory), mLoaded(false), mError(kErrorTexts, eErrorCount) {
    std::string fileName = name ? name : "";
    if (!fileName.empty() && fileName[0] == '@') fileName = ComputerNameText() + fileName;
    const char* dir = KLib_GetConfigDirectory();
    mPath = (dir && *dir) ? std::string(dir) + "/" + fileName : fileName;
    if (mInMemory) mLoaded = Load(mLines);
}

KConfigFile::~KConfigFile() {}

bool KConfigFile::Load(std::vector<std::string>& lines) {
    lines.clear();
    FILE* f = std::fopen(mPath.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT) return true;
        mError.SetLastErrorID(eReadError);
        return false;
    }
    std::string content;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), f)) > 0) content.append(buffer, got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        mError.SetLastErrorID(eReadError);
        return false;
    }
    std::string line;
    for (size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return true;
}

bool KConfigFile::Save(const std::vector<std::string>& lines) {
    const KString dir = ExtractDirectoryFromFilePath(mPath.c_str());
    const std::string backup =
        dir.IsEmpty() ? std::string(kBackupName) : std::string(dir.Buffer()) + "/" + kBackupName;
    FILE* f = std::fopen(backup.c_str(), "wb");
    if (!f) {
        mError.SetLastErrorID(eWriteError);
        return false;
    }
    bool ok = true;
    for (const std::string& line : lines) {
        if (std::fwrite(line.data(), 1, line.size(), f) != line.size() || std::fputc('\n', f) == EOF) {
            ok = false;
            break;
        }
    }
    // The old file is replaced only by a copy known to be complete on disk.
    ok = ok && std::fflush(f) == 0 && fsync(fileno(f)) == 0;
    ok = (std::fclose(f) == 0) && ok;
    ok = ok && std::rename(backup.c_str(), mPath.c_str()) == 0;
    if (!ok) {
        std::remove(backup.c_str());
        mError.SetLastErrorID(eWriteError);
    }
    return ok;
}

const char* KConfigFile::Get(const char* section, const char* key, const char* defaultValue) {
    std::vector<std::string> fresh;
    const std::vector<std::string>* lines = &mLines;
    if (!mInMemory || !mLoaded) {
        if (!Load(fresh)) return defaultValue;
        lines = &fresh;
        if (mInMemory) {
            mLines.swap(fresh);
            lines = &mLines;
            mLoaded = true;
        }
    }
    if (section == nullptr || key == nullptr || *key == '\0') return defaultValue;

    // First hit of each quality; a whole section and key beat any prefix.
    const int kTiers = 4;
    const std::string* hitLine[kTiers] = {nullptr, nullptr, nullptr, nullptr};
    size_t hitKeyEnd[kTiers] = {0, 0, 0, 0};
    EMatch sectionMatch = eNoMatch;
    std::string name;
    for (const std::string& line : *lines) {
        if (ParseSection(line, name)) {
            sectionMatch = MatchSection(name, section);
            continue;
        }
        if (sectionMatch == eNoMatch) continue;
        size_t keyEnd = 0;
        const EMatch keyMatch = MatchKey(line, key, keyEnd);
        if (keyMatch == eNoMatch) continue;
        // Tier 3: whole/whole, 2: prefix section/whole key, 1: whole/prefix, 0: prefix/prefix.
        const int tier = (keyMatch == eWhole ? 2 : 0) + (sectionMatch == eWhole ? 1 : 0);
        if (!hitLine[tier]) {
            hitLine[tier] = &line;
            hitKeyEnd[tier] = keyEnd;
        }
    }
    for (int tier = kTiers - 1; tier >= 0; --tier) {
        if (hitLine[tier]) {
            mValue = ValueAfter(*hitLine[tier], hitKeyEnd[tier]);
            return mValue.c_str();
        }
    }
    return defaultValue;
}

bool KConfigFile::Set(const char* section, const char* key, const char* value, const char* comment) {
    if (section == nullptr || key == nullptr || value == nullptr || *key == '\0' ||
        HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        (comment && HasLineBreak(comment)) || std::strpbrk(key, "=;") || std::strchr(value, ';') ||
        std::strchr(section, ']') || key[0] == '[' || IsBlank(key[0]) ||
        IsBlank(key[std::strlen(key) - 1])) {
        mError.SetLastErrorID(eBadArgument);
        return false;
    }
    std::vector<std::string> lines;
    if (!Load(lines)) return false;

    std::string entry = std::string(key) + " = " + value;
    if (comment) entry += std::string(" ; ") + comment;

    // The first section of that whole name holds the entry.
    size_t sectionLine = lines.size();
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (ParseSection(lines[i], name) && MatchSection(name, section) == eWhole) {
            sectionLine = i;
            break;
        }
    }
    if (sectionLine == lines.size()) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
    } else {
        size_t insertAt = sectionLine + 1;
        bool replaced = false;
        for (size_t i = sectionLine + 1; i < lines.size(); ++i) {
            if (ParseSection(lines[i], name)) break;
            size_t keyEnd = 0;
            if (MatchKey(lines[i], key, keyEnd) == eWhole) {
                lines[i] = entry;
                replaced = true;
                break;
            }
            // New entries go after the section's last non-blank line.
            if (SkipBlanks(lines[i], 0) < lines[i].size()) insertAt = i + 1;
        }
        if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
    if (!Save(lines)) return false;
    if (mInMemory) {
        mLines.swap(lines);
        mLoaded = true;
    }
    return true;
}

}  // namespace qelsdk_600
