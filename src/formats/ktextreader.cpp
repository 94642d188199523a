#include "formats/ktextreader.h"

#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace qelsdk_600 {

namespace {

const std::size_t kBufferSize = 65536;

}  // namespace

KTextReader::KTextReader() : mFile(nullptr), mSize(0), mBuffer(nullptr), mBufferStart(0), mLength(0), mCursor(0) {}

KTextReader::~KTextReader()
{
    Close();
}

bool KTextReader::Open(const char* pPath)
{
    Close();
    if (!pPath)
        return false;
    std::FILE* file = std::fopen(pPath, "rb");
    if (!file)
        return false;
    struct stat status;
    char* buffer = nullptr;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode) ||
        !(buffer = static_cast<char*>(std::malloc(kBufferSize)))) {
        std::fclose(file);
        return false;
    }
    mFile = file;
    mBuffer = buffer;
    mSize = static_cast<std::int64_t>(status.st_size);
    mBufferStart = 0;
    mLength = mCursor = 0;
    return true;
}

bool KTextReader::Close()
{
    if (!mFile)
        return true;
    const bool closed = std::fclose(mFile) == 0;
    mFile = nullptr;
    std::free(mBuffer);
    mBuffer = nullptr;
    return closed;
}

bool KTextReader::Seek(std::int64_t pPosition)
{
    if (!mFile || pPosition < 0)
        return false;
    if (pPosition >= mBufferStart && pPosition <= mBufferStart + static_cast<std::int64_t>(mLength)) {
        mCursor = static_cast<std::size_t>(pPosition - mBufferStart);
        return true;
    }
    if (fseeko(mFile, static_cast<off_t>(pPosition), SEEK_SET) != 0)
        return false;
    mBufferStart = pPosition;
    mLength = mCursor = 0;
    return true;
}

bool KTextReader::Fill()
{
    if (!mFile)
        return false;
    // Called with the buffer used up: the stream stands at its end (Seek
    // moves the stream when it leaves the buffer).
    mBufferStart = Tell();
    mCursor = 0;
    mLength = std::fread(mBuffer, 1, kBufferSize, mFile);
    return mLength > 0;
}

bool KTextReader::ReadLine(char* pText, std::size_t pMax, std::size_t& pLength, bool& pEnded)
{
    pLength = 0;
    pEnded = false;
    bool any = false;
    for (;;) {
        if (mCursor == mLength && !Fill())
            break;
        any = true;
        const char* start = mBuffer + mCursor;
        const std::size_t room = pMax - pLength;
        const std::size_t available = mLength - mCursor;
        const char* end = start + (available < room ? available : room);
        const char* stop = start;
        while (stop < end && *stop != '\n' && *stop != '\r')
            ++stop;
        const std::size_t taken = static_cast<std::size_t>(stop - start);
        std::memcpy(pText + pLength, start, taken);
        pLength += taken;
        mCursor += taken;
        if (stop < end) {
            ++mCursor;
            if (*stop == '\r' && Peek() == '\n')
                ++mCursor;
            pEnded = true;
            break;
        }
        if (pLength == pMax)
            break;
    }
    pText[pLength] = '\0';
    return any;
}

void KTextReader::SkipLine()
{
    for (int c = Get(); c >= 0; c = Get()) {
        if (c == '\n')
            return;
        if (c == '\r') {
            if (Peek() == '\n')
                Get();
            return;
        }
    }
}

bool KReadInteger(const char* pText, long long& pValue, const char** pEnd)
{
    const long long kLimit = 1LL << 62;
    const char* p = pText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const int digit = *p - '0';
        value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
    }
    pValue = negative ? -value : value;
    if (pEnd)
        *pEnd = p;
    return true;
}

}  // namespace qelsdk_600
