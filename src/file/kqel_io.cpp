// Disk access, buffered section writing and windowed section reading.
#include <cerrno>
#include <algorithm>

#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

// Field files pass 4 GiB: on 32-bit targets the build must ask for 64-bit
// offsets (_FILE_OFFSET_BITS=64), or open, pread and fstat stop at 2 GiB.
static_assert(sizeof(off_t) == 8, "64-bit file offsets are required");

bool DiskFile::OpenRead(const char* path, bool writable) {
    Close();
    mFd = ::open(path, (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (mFd < 0 && writable) mFd = ::open(path, O_RDONLY | O_CLOEXEC);
    else mWritable = writable;
    if (mFd < 0) return false;
    struct stat st;
    if (::fstat(mFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    return true;
}

bool DiskFile::CreateNew(const char* path) {
    Close();
    mFd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    mWritable = mFd >= 0;
    return mFd >= 0;
}

void DiskFile::Close() {
    if (mFd >= 0) ::close(mFd);
    mFd = -1;
    mWritable = false;
}

bool DiskFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        ssize_t n = ::pread(mFd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool DiskFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    while (size > 0) {
        ssize_t n = ::pwrite(mFd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool DiskFile::Truncate(std::uint64_t size) {
    return mFd >= 0 && ::ftruncate(mFd, static_cast<off_t>(size)) == 0;
}

std::uint64_t DiskFile::Size() const {
    struct stat st;
    if (mFd < 0 || ::fstat(mFd, &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

// ---- TextBytes ----

// Small enough to be still in cache when the parser's scan reaches it
// (better than a quarter or four times as much), large enough that the
// reads cost nothing.
constexpr std::size_t kTextPiece = 1 << 20;

void TextBytes::Begin(const DiskFile& file, std::uint64_t size) {
    Release();
    if (size > SIZE_MAX - kTextPadding) throw std::bad_alloc();
    mData = new char[static_cast<std::size_t>(size) + kTextPadding];
    std::memset(mData + size, '\n', kTextPadding);
    mSize = size;
    mFile = &file;
}

bool TextBytes::LoadPast(std::uint64_t i) const {
    while (!mFailed && mLoaded <= i && mLoaded < mSize) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kTextPiece, mSize - mLoaded));
        if (!mFile->ReadAt(mLoaded, mData + mLoaded, n)) {
            mFailed = true;
            break;
        }
        mLoaded += n;
    }
    if (mLoaded == mSize) mFile = nullptr;
    return i < mLoaded;
}

bool TextBytes::LoadAll() {
    if (mSize > 0) Has(mSize - 1);
    return !mFailed;
}

void TextBytes::Release() {
    delete[] mData;
    mData = nullptr;
    mSize = 0;
    mFile = nullptr;
    mLoaded = 0;
    mFailed = false;
}

// ---- StreamWriter ----

void StreamWriter::Start(DiskFile* file, std::uint64_t fileOffset) {
    mFile = file;
    if (mBuffer.size() != kBufferSize) mBuffer.assign(kBufferSize, 0);
    mUsed = 0;
    mFileOffset = fileOffset;
    mBodyPos = 0;
    mBufferBodyPos = 0;
    mBufferIsBody = false;
    mCipher = nullptr;
    mCrc = 0;
    mFailed = false;
}

void StreamWriter::BeginBody(const SectionCipher* cipher) {
    Flush();
    mCipher = cipher && cipher->mActive ? cipher : nullptr;
    mBodyPos = 0;
    mBufferBodyPos = 0;
    mBufferIsBody = true;
}

bool StreamWriter::Flush() {
    if (mUsed == 0) return !mFailed;
    if (mBufferIsBody && mCipher) mCipher->Apply(mBufferBodyPos, mBuffer.data(), mUsed);
    if (mUseCrc) mCrc = Crc32(mCrc, mBuffer.data(), mUsed);
    if (!mFailed && !mFile->WriteAt(mFileOffset, mBuffer.data(), mUsed)) mFailed = true;
    mFileOffset += mUsed;
    mUsed = 0;
    mBufferBodyPos = mBodyPos;
    return !mFailed;
}

void StreamWriter::Append(const void* data, std::size_t size) {
    if (!mBufferIsBody) {
        Flush();
        mBufferIsBody = true;
        mBufferBodyPos = mBodyPos;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (mUsed == mBuffer.size()) Flush();
        std::size_t n = std::min(size, mBuffer.size() - mUsed);
        std::memcpy(mBuffer.data() + mUsed, p, n);
        mUsed += n;
        mBodyPos += n;
        p += n;
        size -= n;
    }
}

std::uint8_t* StreamWriter::Reserve(std::size_t n) {
    if (!mBufferIsBody || mUsed + n > mBuffer.size()) {
        Flush();
        mBufferIsBody = true;
        mBufferBodyPos = mBodyPos;
    }
    std::uint8_t* p = mBuffer.data() + mUsed;
    mUsed += n;
    mBodyPos += n;
    return p;
}

void StreamWriter::AppendPlain(const void* data, std::size_t size) {
    if (mBufferIsBody) {
        Flush();
        mBufferIsBody = false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (mUsed == mBuffer.size()) Flush();
        std::size_t n = std::min(size, mBuffer.size() - mUsed);
        std::memcpy(mBuffer.data() + mUsed, p, n);
        mUsed += n;
        p += n;
        size -= n;
    }
}

// ---- BodyReader ----

void BodyReader::Attach(const DiskFile* file, const SectionInfo* section,
                        const SectionCipher* cipher) {
    mFile = file;
    mCipher = cipher && cipher->mActive ? cipher : nullptr;
    mBase = section ? section->BodyStart() : 0;
    mLength = section ? section->mBodyLength : 0;
    mWinStart = 0;
    mWinLen = 0;
    mWinData = mWin.get();
}

const std::uint8_t* BodyReader::Fetch(std::uint64_t offset, std::size_t size, bool backward) {
    if (size > kWindow || offset > mLength || size > mLength - offset) return nullptr;
    if (offset >= mWinStart && offset + size <= mWinStart + mWinLen) {
        return mWinData + (offset - mWinStart);
    }
    if (!mWin) mWin.reset(new std::uint8_t[kWindow]);
    mWinData = mWin.get();
    mWinLen = 0;
    std::uint64_t start = offset;
    if (backward) {
        std::uint64_t end = offset + size;
        start = end > kWindow - 16 ? end - (kWindow - 16) : 0;
    }
    start &= ~std::uint64_t(15);  // counter blocks start on 16 bytes
    std::size_t len = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, mLength - start));
    if (offset + size > start + len) {
        start = offset & ~std::uint64_t(15);
        len = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, mLength - start));
        if (offset + size > start + len) return nullptr;
    }
    if (mTrackCrc && start + len < mCrcLow && !CoverDownTo(start + len)) return nullptr;
    if (!mFile->ReadAt(mBase + start, mWin.get(), len)) return nullptr;
    if (mTrackCrc && start < mCrcLow) {
        // The stored bytes, before deciphering.
        std::size_t n = static_cast<std::size_t>(mCrcLow - start);
        mCrcPieces.emplace_back(Crc32(0, mWin.get(), n),
                                static_cast<std::uint32_t>(n));
        mCrcLow = start;
    }
    if (mCipher) mCipher->Apply(start, mWin.get(), len);
    mWinStart = start;
    mWinLen = len;
    return mWinData + (offset - start);
}

void BodyReader::StartCrc() {
    mTrackCrc = true;
    mCrcLow = mLength;
    mCrcPieces.clear();
}

// Reads the stored bytes [offset, mCrcLow) into the window buffer, which
// holds nothing afterwards.
bool BodyReader::CoverDownTo(std::uint64_t offset) {
    if (!mWin) mWin.reset(new std::uint8_t[kWindow]);
    mWinLen = 0;
    while (mCrcLow > offset) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, mCrcLow - offset));
        std::uint64_t at = mCrcLow - n;
        if (!mFile->ReadAt(mBase + at, mWin.get(), n)) return false;
        mCrcPieces.emplace_back(Crc32(0, mWin.get(), n),
                                static_cast<std::uint32_t>(n));
        mCrcLow = at;
    }
    return true;
}

bool BodyReader::FinishCrc(std::uint32_t& crc) {
    if (!mTrackCrc || !CoverDownTo(0)) return false;
    mTrackCrc = false;
    // Pieces are at most a window long, so the combination never needs
    // lengths beyond 32 bits.
    for (auto it = mCrcPieces.rbegin(); it != mCrcPieces.rend(); ++it) {
        crc = static_cast<std::uint32_t>(crc32_combine(crc, it->first, static_cast<z_off_t>(it->second)));
    }
    mCrcPieces.clear();
    return true;
}

bool BodyReader::Read(std::uint64_t offset, void* dst, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(dst);
    while (size > 0) {
        std::size_t n = std::min<std::size_t>(size, kWindow / 2);
        const std::uint8_t* p = Fetch(offset, n);
        if (!p) return false;
        std::memcpy(out, p, n);
        out += n;
        offset += n;
        size -= n;
    }
    return true;
}

}  // namespace qel_detail
}  // namespace qelsdk_600
