// Text log of one import or export, written when it is destroyed.
#ifndef QELSDK_FILE_QELLOGFILE_H
#define QELSDK_FILE_QELLOGFILE_H

#include <vector>

#include "base/kstring.h"

namespace qelsdk_600 {

// Collects lines in memory. Its file is the master directory
// (KLib_GetMasterDirectory, read at construction) joined with the file name.
// When made with write true and holding at least one line, the destructor
// writes: in append mode two line breaks, then in both modes a line
// "Date: YYYY-MM-DD HH:MM:SS" (local time), the header, and the lines, one
// per line. Nothing is written otherwise.
class QelLogFile {
public:
    // append true adds to an existing file, else the file is rewritten.
    QelLogFile(const char* fileName, const char* header, bool append, bool write);
    ~QelLogFile();
    QelLogFile(const QelLogFile&) = delete;
    QelLogFile& operator=(const QelLogFile&) = delete;

    // Appends a copy of the text as one line; null or empty gives an empty line.
    QelLogFile& operator+=(const char* text);

    // Full path of the log's file.
    const char* GetFileName() const { return mPath.Buffer(); }
    int GetLineCount() const { return static_cast<int>(mLines.size()); }

private:
    bool Write() const;

    KString mPath;
    KString mHeader;
    bool mAppend;
    bool mWrite;
    std::vector<KString> mLines;
};

}  // namespace qelsdk_600

#endif
