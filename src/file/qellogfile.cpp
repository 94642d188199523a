#include "file/qellogfile.h"

#include <cstdio>
#include <ctime>

#include "base/klib.h"
#include "base/kpath.h"

namespace qelsdk_600 {

QelLogFile::QelLogFile(const char* fileName, const char* header, bool append, bool write)
    : mPath(""), mHeader(header ? header : ""), mAppend(append), mWrite(write)
{
    const char* name = fileName ? fileName : "";
    const char* master = KLib_GetMasterDirectory();
    // An unset master directory means the current one, never the root.
    mPath = (master && *master) ? MakeFullPath(master, name) : KString(name);
}

QelLogFile::~QelLogFile()
{
    if (mWrite && !mLines.empty())
        Write();
}

QelLogFile& QelLogFile::operator+=(const char* text)
{
    mLines.emplace_back(text ? text : "");
    return *this;
}

bool QelLogFile::Write() const
{
    if (mPath.IsEmpty())
        return false;
    std::FILE* file = std::fopen(mPath.Buffer(), mAppend ? "a+" : "w");
    if (!file)
        return false;
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    std::tm local;
    if (localtime_r(&now, &local))
        std::strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);
    if (mAppend)
        std::fputs("\n\n", file);
    std::fprintf(file, "Date: %s\n%s\n", stamp, mHeader.Buffer());
    for (const KString& line : mLines) {
        std::fputs(line.Buffer(), file);
        std::fputc('\n', file);
    }
    bool ok = !std::ferror(file);
    return std::fclose(file) == 0 && ok;
}

}  // namespace qelsdk_600
