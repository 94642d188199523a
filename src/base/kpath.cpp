#include "base/kpath.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace qelsdk_600 {

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Index of the first character of the file part.
size_t FilePartStart(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* back = std::strrchr(path, '\\');
    const char* last = slash > back ? slash : back;
    return last ? static_cast<size_t>(last - path) + 1 : 0;
}

// Index of the extension's '.' in the file part, or npos.
size_t ExtensionDot(const char* path) {
    const size_t start = FilePartStart(path);
    const char* dot = std::strrchr(path + start, '.');
    return dot ? static_cast<size_t>(dot - path) : std::string::npos;
}

KString FromStd(const std::string& s) { return KString(s.c_str(), static_cast<int>(s.size())); }

std::vector<std::string> SplitClean(const char* path, bool* absolute) {
    const char* p = OrEmpty(path);
    *absolute = IsSeparator(p[0]);
    std::vector<std::string> parts;
    std::string part;
    for (const char* c = p;; ++c) {
        if (*c == '\0' || IsSeparator(*c)) {
            if (part == "..") {
                if (!parts.empty() && parts.back() != "..") {
                    parts.pop_back();
                } else if (!*absolute) {
                    parts.push_back(part);
                }
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
            if (*c == '\0') break;
        } else {
            part += *c;
        }
    }
    return parts;
}

std::string Join(const std::vector<std::string>& parts, bool absolute) {
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += parts[i];
    }
    return out;
}

}  // namespace

KString ExtractFileName(const char* path, bool keepExtension) {
    const char* p = OrEmpty(path);
    const size_t start = FilePartStart(p);
    size_t end = std::strlen(p);
    if (!keepExtension) {
        const size_t dot = ExtensionDot(p);
        if (dot != std::string::npos) end = dot;
    }
    return KString(p + start, static_cast<int>(end - start));
}

KString ExtractFileExtension(const char* path) {
    const char* p = OrEmpty(path);
    const size_t dot = ExtensionDot(p);
    if (dot == std::string::npos) return KString();
    return KString(p + dot + 1);
}

KString ExtractDirectoryFromFilePath(const char* path) {
    const char* p = OrEmpty(path);
    const char* last = std::strrchr(p, '/');
    if (!last) last = std::strrchr(p, '\\');
    if (!last) return KString();
    return KString(p, static_cast<int>(last - p));
}

KString ChangeFileExtension(const char* path, const char* extension) {
    const char* p = OrEmpty(path);
    const size_t dot = ExtensionDot(p);
    std::string out(p, dot == std::string::npos ? std::strlen(p) : dot);
    const char* ext = OrEmpty(extension);
    if (*ext == '.') ++ext;
    if (*ext) {
        out += '.';
        out += ext;
    }
    return FromStd(out);
}

bool FileExist(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool GetIsRelativePath(const char* path) { return path != nullptr && path[0] != '/'; }

KString GetRelativeFilePath(const char* baseDirectory, const char* filePath) {
    bool fileAbsolute = false;
    bool baseAbsolute = false;
    const std::vector<std::string> file = SplitClean(filePath, &fileAbsolute);
    if (!fileAbsolute || baseDirectory == nullptr || *baseDirectory == '\0') {
        return FromStd(Join(file, fileAbsolute));
    }
    const std::vector<std::string> base = SplitClean(baseDirectory, &baseAbsolute);
    if (!baseAbsolute) return FromStd(Join(file, fileAbsolute));
    size_t common = 0;
    while (common < base.size() && common < file.size() && base[common] == file[common]) {
        ++common;
    }
    std::vector<std::string> parts(base.size() - common, "..");
    parts.insert(parts.end(), file.begin() + static_cast<std::ptrdiff_t>(common), file.end());
    return FromStd(Join(parts, false));
}

KString MakeFullPath(const char* directory, const char* name) {
    const char* n = OrEmpty(name);
    if (n[0] == '/') return KString(n);
    std::string joined = OrEmpty(directory);
    if (joined.empty() || !IsSeparator(joined.back())) joined += '/';
    joined += n;
    return KCleanPath(joined.c_str());
}

KString KCleanPath(const char* path) {
    bool absolute = false;
    const std::vector<std::string> parts = SplitClean(path, &absolute);
    return FromStd(Join(parts, absolute));
}

KString KGetCurrentDirectory() {
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size())) return KString(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20)) return KString();
        buffer.resize(buffer.size() * 2);
    }
}

unsigned int GetTempPath(unsigned int bufferSize, char* buffer) {
    if (buffer == nullptr) return 0;
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp/";
    if (dir.back() != '/') dir += '/';
    if (dir.size() >= bufferSize) return 0;
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<unsigned int>(dir.size());
}

KString GetTempName(const char* directory, const char* prefix, const char* suffix) {
    const char* pre = OrEmpty(prefix);
    const char* suf = OrEmpty(suffix);
    if (std::strchr(pre, '/') || std::strchr(suf, '/')) return KString();
    std::string dir = OrEmpty(directory);
    if (dir.empty()) {
        char tmp[4096];
        if (GetTempPath(sizeof(tmp), tmp) == 0) return KString();
        dir = tmp;
    }
    if (dir.back() != '/') dir += '/';
    std::string name = dir + pre + "XXXXXX" + suf;
    std::vector<char> templ(name.begin(), name.end());
    templ.push_back('\0');
    const int fd = mkstemps(templ.data(), static_cast<int>(std::strlen(suf)));
    if (fd < 0) return KString();
    close(fd);
    return KString(templ.data());
}

bool KEnsureDirectoryExistance(const char* filePath) {
    const char* p = OrEmpty(filePath);
    const char* last = std::strrchr(p, '/');
    if (!last) return true;
    const std::string dir(p, static_cast<size_t>(last - p));
    // Create each level in turn; an existing level is fine only as a directory.
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i < dir.size() && dir[i] != '/') continue;
        if (dir[i - 1] == '/') continue;  // empty level ("//") or the root
        const std::string level = dir.substr(0, i);
        if (mkdir(level.c_str(), 0777) == 0) continue;
        if (errno != EEXIST) return false;
        struct stat st;
        if (stat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    }
    return true;
}

char* KFgets(char* buffer, int size, FILE* stream) {
    if (buffer == nullptr || stream == nullptr || size < 1) return nullptr;
    int n = 0;
    bool any = false;
    while (n < size - 1) {
        const int c = std::fgetc(stream);
        if (c == EOF) break;
        any = true;
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') break;
        if (c == '\r') {
            const int next = std::fgetc(stream);
            if (next == '\n') {
                // Keep the pair together; with no room for the LF it is still
                // consumed so that it does not read as an extra empty line.
                if (n < size - 1) buffer[n++] = '\n';
            } else if (next != EOF) {
                std::ungetc(next, stream);
            }
            break;
        }
    }
    buffer[n] = '\0';
    if (std::ferror(stream)) return nullptr;
    if (!any && size > 1) return nullptr;
    return buffer;
}

}  // namespace qelsdk_600
