// Buffered reading of the text files of the geometry formats.
#ifndef QELSDK_FORMATS_KTEXTREADER_H
#define QELSDK_FORMATS_KTEXTREADER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace qelsdk_600 {

// Reads a regular file through a buffer of its own, line by line or byte by
// byte, with 64-bit positions to come back to. A line ends at LF, CR LF or a
// lone CR; the last line counts without a line end. Only regular files are
// opened: a device or a pipe could never end.
class KTextReader {
public:
    KTextReader();
    ~KTextReader();
    KTextReader(const KTextReader&) = delete;
    KTextReader& operator=(const KTextReader&) = delete;

    // Closes any open file, then opens the regular file named; false with
    // nothing open otherwise.
    bool Open(const char* pPath);
    // False when closing the stream fails; true with nothing open.
    bool Close();
    bool IsOpen() const { return mFile != nullptr; }
    // Size in bytes of the open file.
    std::int64_t GetSize() const { return mSize; }

    // Position of the next unread byte; Seek moves there (false when it
    // cannot).
    std::int64_t Tell() const { return mBufferStart + static_cast<std::int64_t>(mCursor); }
    bool Seek(std::int64_t pPosition);

    // The next byte without taking it, -1 at the end.
    int Peek() { return mCursor < mLength || Fill() ? static_cast<unsigned char>(mBuffer[mCursor]) : -1; }
    // Takes the next byte, -1 at the end.
    int Get() { return mCursor < mLength || Fill() ? static_cast<unsigned char>(mBuffer[mCursor++]) : -1; }

    // Reads the current line into pText (pMax characters and a NUL): up to
    // its end, which is taken but not stored (pEnded true), or pMax
    // characters, the remainder left for the next read (pEnded false).
    // False, with pLength 0, at the end of the file.
    bool ReadLine(char* pText, std::size_t pMax, std::size_t& pLength, bool& pEnded);
    // Passes over the rest of the current line and its end.
    void SkipLine();

private:
    // Refills the buffer once it is used up; false at the end.
    bool Fill();

    std::FILE* mFile;
    std::int64_t mSize;
    char* mBuffer;
    std::int64_t mBufferStart;  // file offset of mBuffer[0]
    std::size_t mLength;        // bytes held
    std::size_t mCursor;        // next unread byte
};

// The integer at the start of pText as "%d" reads it: white space skipped,
// a sign, digits; false, pValue unchanged, when there is none. Values beyond
// +-2^62 saturate there. pEnd, when given, is set past the digits.
bool KReadInteger(const char* pText, long long& pValue, const char** pEnd = nullptr);

}  // namespace qelsdk_600

#endif
