// Line- and token-oriented text reader and writer of the text formats.
#ifndef QELSDK_BASE_KTEXTFILE_H
#define QELSDK_BASE_KTEXTFILE_H

#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/kstring.h"

namespace qelsdk_600 {

// One entry of a keyword table: the keyword and the number of times Handle
// matched it. A table is an array of entries closed by an entry whose keyword
// is empty (or null).
struct KToken {
    const char* mKeyword;
    int mCount;
};

// Receives a formatted error or warning text of a KTextFile.
typedef void (*KTextFileCallback)(const char* message, void* userData);

// Reads a text file one significant line at a time and splits the current
// line into tokens at delimiter characters (runs of delimiters count as one);
// writes formatted text. A significant line holds a character that is not a
// delimiter, and its first such character is not a comment character. Lines
// end at LF, CR LF or a lone CR, and the line end is not part of the line.
// Numbers are read and written the same whatever the process locale.
class KTextFile {
public:
    // label names the format in messages; delimiters and comments are sets of
    // characters (null: none); caseSensitive decides whether "inf" and "-inf"
    // must be lower case; report enables Error and Warning. No file is open.
    KTextFile(const char* label, const char* delimiters, const char* comments,
              bool caseSensitive, bool report);
    virtual ~KTextFile();
    KTextFile(const KTextFile&) = delete;
    KTextFile& operator=(const KTextFile&) = delete;

    // Opens the path with a C mode ("r", "w", "rt"...), closing a file already
    // open; for reading, loads the first significant line. Returns 0 when the
    // file is open and non-zero when it cannot be opened (or is a directory).
    int Open(const char* path, const char* mode);
    // Closes the file, empties the line, resets the line count and sets the
    // end-of-file state. False when buffered output could not be written.
    bool Close();
    bool IsOpen() const { return mFile != nullptr; }

    // Rewinds and loads the first significant line; false when there is none.
    bool FirstLine();
    // Loads the next significant line and puts the cursor on its first
    // character that is not a delimiter; at the end of the file returns false
    // and sets the end-of-file state.
    bool NextLine();
    // True before a file is open and once NextLine found no further line.
    bool IsEOF() const { return mEOF; }
    // Physical lines read so far (skipped ones included); 1 on the first line.
    int GetLineNumber() const { return mLineNumber; }
    // The current line and the text at the cursor (both empty at the end).
    const char* GetLine() const { return mLine.c_str(); }
    const char* GetCursor() const { return mLine.c_str() + mCursor; }

    // The next token: the text up to a delimiter, then the delimiters after it
    // are skipped. False when the line has no token left. The char form writes
    // at most bufferSize - 1 characters and a NUL; a longer token is split and
    // its rest is the next token. It fails for a null buffer or a size below 2.
    bool GetString(KString& token);
    bool GetString(char* buffer, int bufferSize);
    // A decimal integer at the cursor (leading white space allowed), then the
    // delimiters; false, with the cursor unchanged, when none is there or it
    // does not fit in an int.
    bool GetInteger(int& value);
    // "-inf" or "inf" when that word is all that is left of the line (save
    // delimiters), or a finite decimal number, times factor; then the
    // delimiters. False, with the cursor and value unchanged, otherwise.
    bool GetDouble(double& value, double factor = 1.0);
    // Two numbers as GetDouble; all or nothing.
    bool GetPair(double* values, double factor = 1.0);
    // Three finite numbers, each times factor, with white space or delimiters
    // between them; all or nothing (the cursor and values unchanged on failure).
    bool GetVector(double* values, double factor = 1.0);
    // The character at the cursor, advancing by one (no delimiter skipping);
    // false at the end of the line. PeakChar does not advance.
    bool GetChar(char& c);
    bool PeakChar(char& c) const;

    // Sets every hit count of a keyword table to 0.
    static void InitTokens(KToken* table);
    // Index of the first keyword of the table, in table order, that begins the
    // text at the cursor (delimiters before it skipped), compared without
    // regard to case; -1 when none does. Handle then moves past the keyword
    // and the delimiters after it and counts the hit; Check consumes nothing.
    int Handle(KToken* table);
    int Check(const KToken* table);

    // Replaces the delimiter set (null: none, which switches delimiter
    // skipping off) and returns the previous set, valid until the next SetDel.
    const char* SetDel(const char* delimiters);

    // Writes two blanks per indent level, then the printf-formatted text.
    // False when no file is open or the write failed.
    bool Print(int indent, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Hands buffered output to the system, where a full device shows: false
    // when no file is open or a write to it has failed.
    bool Flush();

    // When reporting is on and a callback is set, pass "<label> read error
    // (line N): " or "<label> read warning (line N): " followed by the
    // formatted message to the callback. Error returns 1 and Warning 0.
    int Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetErrorCallback(KTextFileCallback callback, void* userData);
    void SetWarningCallback(KTextFileCallback callback, void* userData);

private:
    bool IsDelimiter(char c) const;
    bool IsComment(char c) const;
    void SkipDelimiters();
    // Reads one physical line into mLine; false at the end of the file.
    bool ReadRawLine();
    // Parses a finite number at position `at` of the line; the end position
    // goes to `end`.
    bool ParseNumber(size_t at, double& value, size_t& end) const;
    void Report(KTextFileCallback callback, void* userData, const char* kind,
                const char* format, va_list args);

    std::string mLabel;
    std::string mDel;
    std::string mPrevDel;
    std::string mCom;
    bool mCaseSensitive;
    bool mReport;
    FILE* mFile;
    std::string mLine;
    size_t mCursor;
    int mLineNumber;
    bool mEOF;
    KTextFileCallback mErrorCallback;
    void* mErrorData;
    KTextFileCallback mWarningCallback;
    void* mWarningData;
};

}  // namespace qelsdk_600

#endif
