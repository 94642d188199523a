// Private state of KQel; included only by src/file/kqel_*.cpp.
#ifndef QELSDK_FILE_KQEL_IMPL_H
#define QELSDK_FILE_KQEL_IMPL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nettle/twofish.h>

#include "base/kstring.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace qel_detail {

// ---- Layout constants (docs/qel-format.md) ----

constexpr std::uint8_t kMagic[8] = {0x89, 'Q', 'E', 'L', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr const char kTextMagic[] = "; QEL text file";
// 1: every value carries its type letter; 2 adds packed runs of values.
constexpr std::uint8_t kLayoutRevision = 2;
constexpr std::uint8_t kFirstRunRevision = 2;
constexpr std::size_t kFileHeaderFixed = 44;     // up to the extended header
constexpr std::size_t kCommittedLengthAt = 36;
constexpr std::size_t kSectionHeaderSize = 16;
constexpr std::size_t kSectionFooterSize = 112;
constexpr std::size_t kRecordTrailerSize = 24;   // also the null record
constexpr std::uint32_t kMaxExtendedHeader = 1u << 20;
constexpr std::uint32_t kMaxIterations = 1000000;
constexpr std::uint32_t kFlagPassword = 1;
constexpr std::uint32_t kFlagEnciphered = 2;
constexpr int kSectionMain = 0;
constexpr int kSectionExtension = 1;

// CRC-32 as zlib's crc32(crc, p, n) computes it (start from 0), faster where
// the processor can fold.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n);
// Whether the processor has 512-bit registers with byte operations
// (AVX-512F and BW) and the system saves them.
bool HasWideVectors();

// ---- Little-endian helpers ----

// One move on a little-endian host (and so open to vectorising in loops
// over arrays); byte by byte elsewhere.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
inline void PutU32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
inline void PutU64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
inline std::uint32_t GetU32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
#else
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
#endif

// ---- Packed runs of values (layout revision 2) ----

// A run: its type letter in lower case, a storage byte (bits 0-3 the bytes
// each value is stored in, bit 4 deflated), a 32-bit count of values; a
// deflated run then gives the 32-bit length of its zlib stream.
constexpr std::size_t kRunHeaderSize = 6;
constexpr std::size_t kDeflatedRunHeaderSize = 10;
constexpr std::uint8_t kRunDeflated = 0x10;
// Most bytes a deflated run inflates to (its stream then fits a reading
// window); writers make smaller runs.
constexpr std::uint32_t kMaxDeflatedRun = 1u << 19;
// deflate packs at most this many bytes into one stored byte.
constexpr std::uint32_t kMaxDeflateRatio = 1032;
// Values a writer gathers into one run before it stores them.
constexpr std::uint32_t kRunChunkValues = 32768;
// Smallest stored run worth deflating, and the least it must save.
constexpr std::size_t kDeflateMinBytes = 4096;

struct RunHeader {
    char mType = 0;            // 'I', 'L', 'F', 'D' or 'C'
    std::uint8_t mWidth = 0;   // bytes of each stored value
    bool mDeflated = false;
    std::uint32_t mCount = 0;
    std::uint32_t mStored = 0;      // deflated: bytes of the zlib stream
    std::size_t mHeaderSize = 0;
    std::uint64_t PackedBytes() const { return static_cast<std::uint64_t>(mCount) * mWidth; }
    std::uint64_t StoredBytes() const { return mDeflated ? mStored : PackedBytes(); }
};

inline bool IsRunLetter(std::uint8_t letter) {
    return letter == 'i' || letter == 'l' || letter == 'f' || letter == 'd' || letter == 'c';
}
// Reads a run header from the avail bytes at p; false when it is not one a
// writer can make (unknown width, no values, a deflated run too large or
// inflating beyond what deflate can reach).
bool ParseRunHeader(const std::uint8_t* p, std::size_t avail, RunHeader& h);
// Inflates a deflated run's stream into out (h.PackedBytes() bytes); false
// unless the stream ends exactly there and uses all its bytes.
bool InflateRun(const RunHeader& h, const std::uint8_t* stored, std::vector<std::uint8_t>& out);
// n stored values of a run into doubles or ints, converted as the single
// value readers convert them (ints saturate).
void DecodeRun(const RunHeader& h, const std::uint8_t* p, std::size_t n, double* out);
void DecodeRun(const RunHeader& h, const std::uint8_t* p, std::size_t n, int* out);
// One stored value: integers and characters into i, reals into d.
void DecodeRunValue(const RunHeader& h, const std::uint8_t* p, long long& i, double& d);
// A double as an int: truncated toward zero, saturated, NaN 0.
int RealToInt(double d);

// ---- Disk file over a POSIX descriptor: positional reads, truncation ----

class DiskFile {
public:
    ~DiskFile() { Close(); }
    bool OpenRead(const char* path, bool writable);
    // Creates a new file that must not exist yet.
    bool CreateNew(const char* path);
    void Close();
    bool IsOpen() const { return mFd >= 0; }
    bool Writable() const { return mWritable; }
    // Exactly size bytes at offset, else false.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t size);
    bool Truncate(std::uint64_t size);
    std::uint64_t Size() const;

private:
    int mFd = -1;
    bool mWritable = false;
};

// ---- Cipher: Twofish-256 in counter mode, keyed per section ----

struct SectionCipher {
    bool mActive = false;
    twofish_ctx mCtx;
    std::uint8_t mIv[16] = {};
    void SetKey(const std::uint8_t key[32], const std::uint8_t iv[16]);
    // XORs the key stream at body offset into data (encipher = decipher).
    void Apply(std::uint64_t offset, std::uint8_t* data, std::size_t size) const;
};

bool RandomBytes(std::uint8_t* out, std::size_t size);
// 64 bytes from the password: a 32-byte verifier, then a 32-byte key.
void DerivePassword(const char* password, const std::uint8_t salt[16], std::uint32_t iterations,
                    std::uint8_t out[64]);
// Wraps or unwraps a 32-byte data key with a 32-byte key-encrypting key.
void WrapKey(const std::uint8_t kek[32], const std::uint8_t in[32], std::uint8_t out[32]);
void UnwrapKey(const std::uint8_t kek[32], const std::uint8_t in[32], std::uint8_t out[32]);
extern const std::uint8_t kBuiltInKey[32];

// ---- Sections of a binary file ----

struct PasswordRecord {
    std::uint32_t mIterations = 0;
    std::uint8_t mSalt[16] = {};
    std::uint8_t mVerifier[32] = {};
    bool SameSalt(const PasswordRecord& o) const {
        return mIterations == o.mIterations && std::memcmp(mSalt, o.mSalt, 16) == 0;
    }
};

struct SectionInfo {
    std::uint64_t mStart = 0;       // file offset of the section header
    std::uint64_t mBodyLength = 0;
    int mKind = kSectionMain;
    int mVersion = 0;
    std::uint32_t mFlags = 0;
    PasswordRecord mPassword;
    std::uint8_t mWrappedKey[32] = {};
    bool mLocked = false;           // enciphered and its key is not known
    std::uint8_t mDataKey[32] = {};
    std::uint64_t BodyStart() const { return mStart + kSectionHeaderSize; }
    std::uint64_t Size() const { return kSectionHeaderSize + mBodyLength + kSectionFooterSize; }
};

// ---- Buffered sequential writer with running CRC and optional cipher ----

class StreamWriter {
public:
    void Start(DiskFile* file, std::uint64_t fileOffset);
    // Body bytes: enciphered when the cipher is active, counted in BodyPos.
    void Append(const void* data, std::size_t size);
    void AppendByte(std::uint8_t b) {
        if (mUsed < mBuffer.size()) {
            mBuffer[mUsed++] = b;
            ++mBodyPos;
        } else {
            Append(&b, 1);
        }
    }
    void AppendSmall(const void* data, std::size_t size) {
        if (mBufferIsBody && mUsed + size <= mBuffer.size()) {
            std::memcpy(mBuffer.data() + mUsed, data, size);
            mUsed += size;
            mBodyPos += size;
        } else {
            Append(data, size);
        }
    }
    // n body bytes at the end of the buffer for the caller to fill before
    // anything else is appended; n at most kBufferSize.
    std::uint8_t* Reserve(std::size_t n);
    // Gives back the last n bytes of the latest Reserve, before anything
    // else is appended.
    void Shrink(std::size_t n) {
        mUsed -= n;
        mBodyPos -= n;
    }
    static constexpr std::size_t kBufferSize = 1u << 20;
    // Bytes outside the body (section header and footer): never enciphered.
    void AppendPlain(const void* data, std::size_t size);
    bool Flush();
    std::uint64_t BodyPos() const { return mBodyPos; }
    std::uint64_t FileOffset() const { return mFileOffset + mUsed; }
    void BeginBody(const SectionCipher* cipher);
    void EndBody() { Flush(); mCipher = nullptr; }
    void ResetCrc() { mCrc = 0; }
    std::uint32_t Crc() { Flush(); return mCrc; }
    bool Failed() const { return mFailed; }
    bool mUseCrc = true;

private:
    DiskFile* mFile = nullptr;
    std::vector<std::uint8_t> mBuffer;
    std::size_t mUsed = 0;
    std::uint64_t mFileOffset = 0;   // where the buffer goes
    std::uint64_t mBodyPos = 0;
    std::uint64_t mBufferBodyPos = 0;  // body offset of the buffer's first byte
    bool mBufferIsBody = false;
    const SectionCipher* mCipher = nullptr;
    std::uint32_t mCrc = 0;
    bool mFailed = false;
};

// ---- Windowed reader of one section body ----

class BodyReader {
public:
    void Attach(const DiskFile* file, const SectionInfo* section, const SectionCipher* cipher);
    // Pointer to body bytes [offset, offset + size), size <= kWindow; null
    // when out of the body or on a read failure. backward favours reads
    // that end at offset + size.
    const std::uint8_t* Fetch(std::uint64_t offset, std::size_t size, bool backward = false);
    // Fetch with the window test inlined, for the per-value paths.
    const std::uint8_t* Peek(std::uint64_t offset, std::size_t size) {
        if (offset >= mWinStart && offset - mWinStart + size <= mWinLen) {
            return mWinData + (offset - mWinStart);
        }
        return Fetch(offset, size);
    }
    // Any size, into dst.
    bool Read(std::uint64_t offset, void* dst, std::size_t size);
    std::uint64_t Length() const { return mLength; }
    static constexpr std::size_t kWindow = 1u << 20;

    // CRC of the stored body bytes gathered while windows load, so that the
    // walk of a section's top level also checks it: every byte below the
    // lowest window loaded so far is read once more only if no window held it.
    void StartCrc();
    // Extends crc (that of the bytes before the body) over the whole body,
    // reading what no window covered; false on a read failure.
    bool FinishCrc(std::uint32_t& crc);
    void StopCrc() { mTrackCrc = false; }

private:
    const DiskFile* mFile = nullptr;
    const SectionCipher* mCipher = nullptr;
    std::uint64_t mBase = 0;    // file offset of the body
    std::uint64_t mLength = 0;
    std::unique_ptr<std::uint8_t[]> mWin;  // kWindow bytes, left uninitialised
    const std::uint8_t* mWinData = nullptr;
    std::uint64_t mWinStart = 0;
    std::size_t mWinLen = 0;
    bool mTrackCrc = false;
    std::uint64_t mCrcLow = 0;   // body bytes [mCrcLow, mLength) are covered
    // CRCs of covered pieces, from the highest down.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> mCrcPieces;
    bool CoverDownTo(std::uint64_t offset);
};

// ---- Parsed text file ----

// A value of the text as written: its kind ('b' bare, '"' text, '\''
// character, '#' raw) and its span in the file buffer (inside quotes, after
// the '#').
struct TextToken {
    char mKind;
    std::uint64_t mBegin;
    std::uint64_t mLength;
};

// A field of the text. Its values are kept as written and read in order
// from mValueOffset: a file of millions of numbers holds no second copy of
// them.
struct TextNode {
    std::uint64_t mNameOffset;  // in the name arena
    std::uint32_t mNameLength;
    std::uint32_t mValueCount;
    std::uint64_t mValueOffset; // just after the name's ':'
    std::uint64_t mEnd;         // one past the last node of its subtree
    bool mHasBlock;
};

// The bytes of a text file, held whole, and kTextPadding blanks past them
// that end any scan of digits. Not cleared before the file's bytes fill
// them. Plain pages, not huge ones: on a virtual machine whose host takes
// back free memory, fresh huge pages cost several times what small ones do.
// Never a mapping of the file itself: another process may shorten the file
// under the reader, and a mapped page past its new end kills the process
// that touches it.
// The bytes are read a piece at a time as the parser asks for them (Has),
// so that its scan finds each piece still in cache right after the copy.
constexpr std::size_t kTextPadding = 16;

class TextBytes {
public:
    TextBytes() = default;
    ~TextBytes() { Release(); }
    TextBytes(const TextBytes&) = delete;
    TextBytes& operator=(const TextBytes&) = delete;
    // Room for the first size bytes of file, none read yet: Has reads them
    // on demand, LoadAll the rest. file must stay open until LoadAll. Throws
    // std::bad_alloc as new does when they do not fit in memory.
    void Begin(const DiskFile& file, std::uint64_t size);
    // Reads the bytes that Has has not; false when a read fails, now or
    // before.
    bool LoadAll();
    // True when byte i exists, its piece read first if need be; false past
    // the end, or past what could be read when a read failed.
    bool Has(std::uint64_t i) const { return i < mLoaded || (i < mSize && LoadPast(i)); }
    const char* data() const { return mData; }
    std::uint64_t size() const { return mSize; }
    // Bytes read so far: data()[0, loaded()).
    std::uint64_t loaded() const { return mLoaded; }
    char operator[](std::uint64_t i) const { return mData[static_cast<std::size_t>(i)]; }

private:
    void Release();
    // Reads pieces until byte i is in; false when a read fails.
    bool LoadPast(std::uint64_t i) const;
    char* mData = nullptr;
    std::uint64_t mSize = 0;
    // Reading on demand does not change the bytes the document holds.
    mutable const DiskFile* mFile = nullptr;
    mutable std::uint64_t mLoaded = 0;
    mutable bool mFailed = false;
};

struct TextDocument {
    TextBytes mText;
    std::string mNames;
    std::vector<TextNode> mNodes;
    std::uint64_t mMainBegin = 0;   // first node of the main section
};

struct KQelState;
struct ReadLevel;

// Stores the values pending in s as a run, or as single values when that is
// as short.
void FlushPending(KQelState& s);
// Stores n values (at most kRunChunkValues) at once, nothing pending.
void StoreRun(KQelState& s, const double* values, std::uint32_t n);
void StoreRun(KQelState& s, const int* values, std::uint32_t n);

// Indexes a binary field list (s.mReader attached to its section); false
// when a record does not fit.
bool IndexBinaryLevel(KQelState& s, ReadLevel& level);

// Parses a whole text file (after its magic line). False with a reason.
bool ParseText(TextDocument& doc, std::string& reason);
// The value at pos (its first byte or the blanks before it) of a parsed
// document; pos moves past it and its ','. False past the text's end.
bool NextTextValue(const TextDocument& doc, std::uint64_t& pos, TextToken& token);
// Up to n values from pos on that are numbers written bare, each parsed in
// one pass straight into out and converted as FieldReadD or FieldReadI
// convert (integers never through a double); stops before any other value.
// The number read; pos moves past them and their ','.
std::size_t ReadTextNumbers(const TextDocument& doc, std::uint64_t& pos, double* out, std::size_t n);
std::size_t ReadTextNumbers(const TextDocument& doc, std::uint64_t& pos, int* out, std::size_t n);
// Type letter a value reads as: 'I', 'L', 'D', 'C', 'S' or 'R'.
char TextValueType(const TextDocument& doc, const TextToken& token);
// Decodes a quoted token (escapes) into out.
void Unescape(const char* text, std::size_t length, std::string& out);
// Appends the quoted, escaped form of bytes to out.
void AppendQuoted(std::string& out, const char* text, std::size_t length, char quote);
// Locale-independent number texts; doubles keep every bit.
void AppendDouble(std::string& out, double value);
void AppendFloat(std::string& out, float value);
void AppendInteger(std::string& out, long long value);
bool ParseInteger(const char* text, std::size_t length, long long& out);
bool ParseDouble(const char* text, std::size_t length, double& out);

// ---- Read scopes ----

struct Record {
    std::uint64_t mNameAt;       // in the level's name storage
    std::uint32_t mNameLength;
    std::uint64_t mValueBegin;   // byte offset (binary) or value index (text)
    std::uint64_t mValueEnd;
    std::uint32_t mValueCount;
    bool mHasBlock;
    std::uint64_t mBlockBegin;   // bytes or node indices
    std::uint64_t mBlockEnd;
};

struct NameSlot {
    std::uint32_t mFirst = 0;
    std::uint32_t mCount = 0;
    std::uint32_t mCursor = 0;
};

struct ReadLevel {
    std::uint64_t mBegin = 0;
    std::uint64_t mEnd = 0;
    bool mIndexed = false;
    std::vector<char> mNameArena;   // heap storage: stays put when levels move
    const char* mNameBase = nullptr;  // mNameArena, or the text file's names
    std::vector<Record> mRecords;
    std::vector<std::uint32_t> mOrder;   // record indices grouped by name, file order within
    std::vector<NameSlot> mSlots;
    std::unordered_map<std::string_view, std::uint32_t> mNames;
    // Current field.
    int mCurrent = -1;
    std::uint64_t mValuePos = 0;
    std::uint64_t mValueEnd = 0;
    std::uint32_t mRemain = 0;
    // Run being read: values left in it, and where they come from (the body
    // at mValuePos, or mInflated for a deflated run).
    RunHeader mRun;
    std::uint32_t mRunLeft = 0;
    std::vector<std::uint8_t> mInflated;
    std::size_t mInflatedPos = 0;
    // Raw value being read.
    bool mInRaw = false;
    std::uint64_t mRawPos = 0;
    std::uint32_t mRawLeft = 0;
};

// ---- Write levels ----

struct WriteLevel {
    bool mFieldOpen = false;
    std::string mName;
    std::uint64_t mValueStart = 0;
    std::uint32_t mValueCount = 0;
    bool mBlockDone = false;      // the block was opened and closed
    bool mBlockOpen = false;
    std::uint64_t mBlockStart = 0;
    std::uint64_t mBlockEnd = 0;
};

enum class Mode { kNone, kWriting, kReading };
enum class Form { kText, kBinary, kEnciphered };

// A decoded value.
struct Value {
    char mType = 0;
    long long mInt = 0;
    double mDouble = 0.0;
    std::string mText;
};

struct KQelState {
    Mode mMode = Mode::kNone;
    Form mForm = Form::kBinary;
    bool mReadOnly = true;
    KString mPath;           // final path
    KString mDirectory;
    KString mTempPath;       // writing: the temporary name
    int mHeaderVersion = 6000;
    std::uint8_t mFileIv[16] = {};
    std::uint64_t mHeaderEnd = 0;
    std::vector<std::uint8_t> mHeaderBytes;  // binary header without its CRC
    DiskFile mFile;
    std::vector<SectionInfo> mSections;
    int mCurrentSection = -1;
    bool mSectionWriting = false;     // the current section is being written
    bool mPasswordPending = false;
    bool mPackedRuns = true;          // layout revision 2 or later: runs may appear

    // Password of this session for new sections.
    bool mHavePassword = false;
    PasswordRecord mPasswordRecord;
    std::uint8_t mPasswordKek[32] = {};
    bool mPasswordWrittenInSection = false;

    // Writing.
    StreamWriter mWriter;
    SectionCipher mWriteCipher;
    SectionInfo mWriteSection;
    std::vector<WriteLevel> mWriteLevels;
    std::size_t mWriteDepth = 0;
    bool mRawOpen = false;
    std::uint32_t mRawLeft = 0;
    bool mLineOpen = false;           // text: the current line has content
    // Values of one fixed-size type waiting to be stored as a run (binary).
    char mPendingType = 0;
    std::uint32_t mPendingCount = 0;
    std::unique_ptr<std::uint64_t[]> mPending;   // kRunChunkValues, full width
    std::vector<std::uint8_t> mRunBytes;
    std::vector<std::uint8_t> mDeflated;
    bool mDeflateRuns = false;
    std::string mTextScratch;
    std::set<std::string> mEmbedded;

    // Reading.
    SectionCipher mReadCipher;
    BodyReader mReader;
    TextDocument mText;
    std::vector<ReadLevel> mRoots;    // top level of each section, kept while the file is open
    std::vector<ReadLevel> mLevels;   // blocks entered: index 1 upward
    std::size_t mDepth = 0;           // levels in use, the root included
    Value mValue;
    std::string mResult;              // text handed out by FieldReadC
    std::string mScratch;

    bool IsText() const { return mForm == Form::kText; }
    ReadLevel& Top() { return mDepth == 1 ? mRoots[mCurrentSection] : mLevels[mDepth - 1]; }
    WriteLevel& WTop() { return mWriteLevels[mWriteDepth - 1]; }
};

}  // namespace qel_detail
}  // namespace qelsdk_600

#endif
