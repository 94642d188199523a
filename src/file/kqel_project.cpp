// Files and sections: create, open, close, header, password, paths.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <new>

#include "base/kpath.h"
#include "file/kqel_impl.h"

namespace qelsdk_600 {

using namespace qel_detail;

namespace {

const char* const kErrorTexts[KQel::eErrorCount] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Unable to open file",
    "Section not available",
    "Field operation out of place",
    "Unable to write file",
    "Wrong password",
    "Begin Field error last field not closed",
};

bool CrcMatches(std::uint32_t computed, std::uint32_t stored) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    (void)computed;
    (void)stored;
    return true;  // let the fuzzer reach the parsers behind the checks
#else
    return computed == stored;
#endif
}

void PutString(std::vector<std::uint8_t>& out, const KString& text) {
    std::uint8_t len[4];
    PutU32(len, static_cast<std::uint32_t>(text.GetLen()));
    out.insert(out.end(), len, len + 4);
    out.insert(out.end(), text.Buffer(), text.Buffer() + text.GetLen());
}

void PutDouble(std::vector<std::uint8_t>& out, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    std::uint8_t b[8];
    PutU64(b, bits);
    out.insert(out.end(), b, b + 8);
}

// Bounded reader of the extended header.
struct Cursor {
    const std::uint8_t* p;
    std::size_t left;
    bool ok = true;
    const std::uint8_t* Take(std::size_t n) {
        if (!ok || n > left) {
            ok = false;
            return nullptr;
        }
        const std::uint8_t* r = p;
        p += n;
        left -= n;
        return r;
    }
    std::uint32_t U32() {
        const std::uint8_t* b = Take(4);
        return b ? GetU32(b) : 0;
    }
    double Double() {
        const std::uint8_t* b = Take(8);
        double v = 0.0;
        if (b) {
            std::uint64_t bits = GetU64(b);
            std::memcpy(&v, &bits, 8);
        }
        return v;
    }
    KString String() {
        std::uint32_t n = U32();
        const std::uint8_t* b = Take(n);
        if (!b || n > 0x7fffffffu) return KString();
        return KString(reinterpret_cast<const char*>(b), static_cast<int>(n));
    }
};

void StampNow(KQelFileHeaderTimeStamp& t) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm local;
    localtime_r(&ts.tv_sec, &local);
    t.mYear = local.tm_year + 1900;
    t.mMonth = local.tm_mon + 1;
    t.mDay = local.tm_mday;
    t.mHour = local.tm_hour;
    t.mMinute = local.tm_min;
    t.mSecond = local.tm_sec;
    t.mMillisecond = static_cast<int>(ts.tv_nsec / 1000000);
}

KString FullPath(const char* path) {
    if (!GetIsRelativePath(path)) return KCleanPath(path);
    return MakeFullPath(KGetCurrentDirectory().Buffer(), path);
}

void Hex(std::string& out, const std::uint8_t* p, std::size_t n) {
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < n; ++i) {
        out += kHex[p[i] >> 4];
        out += kHex[p[i] & 15];
    }
}

// Text header block: finds a child of the block by name.
const TextNode* HeaderChild(const TextDocument& doc, std::uint64_t block, const char* name) {
    std::uint64_t i = block + 1;
    const std::uint64_t end = doc.mNodes[block].mEnd;
    while (i < end) {
        const TextNode& n = doc.mNodes[i];
        if (std::string_view(doc.mNames.data() + n.mNameOffset, n.mNameLength) == name) return &n;
        i = n.mEnd > i ? n.mEnd : i + 1;
    }
    return nullptr;
}

// Value index of a header child as text (quotes removed) or number.
std::string HeaderText(const TextDocument& doc, const TextNode* n, std::uint32_t index) {
    std::string out;
    if (!n || index >= n->mValueCount) return out;
    std::uint64_t pos = n->mValueOffset;
    TextToken t;
    for (std::uint32_t i = 0; i <= index; ++i) {
        if (!NextTextValue(doc, pos, t)) return out;
    }
    const char* text = doc.mText.data() + t.mBegin;
    if (t.mKind == '"' || t.mKind == '\'') {
        Unescape(text, static_cast<std::size_t>(t.mLength), out);
    } else {
        out.assign(text, static_cast<std::size_t>(t.mLength));
    }
    return out;
}

double HeaderNumber(const TextDocument& doc, const TextNode* n, std::uint32_t index) {
    std::string t = HeaderText(doc, n, index);
    double d = 0.0;
    ParseDouble(t.data(), t.size(), d);
    return d;
}

int HeaderInt(const TextDocument& doc, const TextNode* n, std::uint32_t index) {
    std::string t = HeaderText(doc, n, index);
    long long v = 0;
    if (!ParseInteger(t.data(), t.size(), v) || v < -2147483647LL || v > 2147483647LL) return 0;
    return static_cast<int>(v);
}

}  // namespace

KQel::KQel() : mError(kErrorTexts, eErrorCount), mState(new KQelState) {}

KQel::~KQel() {
    if (mState->mMode != Mode::kNone) ProjectClose();
}

// ---- Section writing ----

// Records in the header how far the file's complete sections reach. Bytes
// past it (an append cut short) are ignored by readers and overwritten by
// the next append.
static bool CommitLength(KQelState& s, std::uint64_t length) {
    std::vector<std::uint8_t>& h = s.mHeaderBytes;
    PutU64(&h[kCommittedLengthAt], length);
    std::uint8_t crc[4];
    PutU32(crc, Crc32(0, h.data(), h.size()));
    return s.mFile.WriteAt(0, h.data(), h.size()) && s.mFile.WriteAt(h.size(), crc, 4);
}

static bool BeginSectionWrite(KQelState& s, int kind) {
    SectionInfo& sec = s.mWriteSection;
    sec = SectionInfo();
    sec.mKind = kind;
    sec.mVersion = s.mHeaderVersion;
    sec.mStart = s.mWriter.FileOffset();
    s.mWriteCipher.mActive = false;
    if (!s.IsText()) {
        s.mWriter.Flush();
        s.mWriter.ResetCrc();
        std::uint8_t head[kSectionHeaderSize] = {'Q', 'S', 'E', 'C'};
        PutU32(head + 4, static_cast<std::uint32_t>(kind));
        PutU32(head + 8, static_cast<std::uint32_t>(sec.mVersion));
        s.mWriter.AppendPlain(head, sizeof head);
        if (s.mForm == Form::kEnciphered) {
            sec.mFlags |= kFlagEnciphered;
            if (!RandomBytes(sec.mDataKey, 32)) return false;
            s.mWriteCipher.SetKey(sec.mDataKey, s.mFileIv);
        }
        s.mWriter.BeginBody(&s.mWriteCipher);
    }
    s.mWriteLevels.resize(std::max<std::size_t>(s.mWriteLevels.size(), 1));
    s.mWriteLevels[0] = WriteLevel();
    s.mWriteDepth = 1;
    s.mRawOpen = false;
    s.mSectionWriting = true;
    s.mPasswordWrittenInSection = false;
    s.mCurrentSection = static_cast<int>(s.mSections.size());
    return true;
}

// Closes what the caller left open, then writes the section's end.
static bool EndSectionWrite(KQel& q, KQelState& s) {
    bool leftOpen = s.mRawOpen || s.mWriteDepth > 1 || s.mWriteLevels[0].mFieldOpen;
    while (s.mWriteDepth > 1 || s.WTop().mFieldOpen) {
        if (s.WTop().mFieldOpen) {
            q.FieldWriteEnd();
        } else {
            q.FieldWriteBlockEnd();
        }
    }
    if (leftOpen) q.GetError().SetLastErrorID(KQel::eFieldNotClosed);
    SectionInfo& sec = s.mWriteSection;
    if (s.IsText()) {
        if (s.mLineOpen) s.mWriter.AppendByte('\n');
        s.mLineOpen = false;
        s.mWriter.Flush();
    } else {
        static const std::uint8_t nullRecord[kRecordTrailerSize] = {};
        s.mWriter.Append(nullRecord, sizeof nullRecord);
        s.mWriter.EndBody();
        sec.mBodyLength = s.mWriter.BodyPos();
        std::uint8_t foot[kSectionFooterSize] = {};
        if (s.mHavePassword) {
            sec.mFlags |= kFlagPassword;
            sec.mPassword = s.mPasswordRecord;
        }
        PutU64(foot, sec.mBodyLength);
        PutU32(foot + 8, sec.mFlags);
        PutU32(foot + 12, sec.mPassword.mIterations);
        std::memcpy(foot + 16, sec.mPassword.mSalt, 16);
        std::memcpy(foot + 32, sec.mPassword.mVerifier, 32);
        if (sec.mFlags & kFlagEnciphered) {
            WrapKey(s.mHavePassword ? s.mPasswordKek : kBuiltInKey, sec.mDataKey, sec.mWrappedKey);
            std::memcpy(foot + 64, sec.mWrappedKey, 32);
        }
        PutU64(foot + 96, sec.Size());
        std::memcpy(foot + 104, "QEND", 4);
        s.mWriter.AppendPlain(foot, 108);
        PutU32(foot + 108, s.mWriter.Crc());
        s.mWriter.AppendPlain(foot + 108, 4);
        s.mWriter.Flush();
    }
    s.mSectionWriting = false;
    s.mCurrentSection = -1;
    s.mWriteDepth = 0;
    if (s.mWriter.Failed()) {
        q.GetError().SetLastErrorID(KQel::eWriteError);
        return false;
    }
    s.mSections.push_back(sec);
    if (s.mRoots.size() >= s.mSections.size()) s.mRoots[s.mSections.size() - 1] = ReadLevel();
    return true;
}

// An extension section added to an opened file counts once it is committed;
// a failed one is cut off again.
static bool CloseWrittenSection(KQel& q, KQelState& s) {
    std::uint64_t start = s.mWriteSection.mStart;
    bool ok = EndSectionWrite(q, s);
    if (s.mMode != Mode::kReading) return ok;
    if (ok) ok = CommitLength(s, start + s.mSections.back().Size());
    if (!ok) {
        if (s.mSections.size() > 0 && s.mSections.back().mStart == start) s.mSections.pop_back();
        s.mFile.Truncate(start);
        q.GetError().SetLastErrorID(KQel::eWriteError);
    }
    return ok;
}

// ---- Create ----

bool KQel::ProjectCreate(const char* path, bool binary, bool encrypted, KQelFileHeaderInfo* header) {
    if (mState->mMode != Mode::kNone) ProjectClose();
    mState.reset(new KQelState);
    KQelState& s = *mState;
    if (!path || !*path) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    s.mPath = FullPath(path);
    s.mDirectory = ExtractDirectoryFromFilePath(s.mPath.Buffer());
    s.mForm = encrypted ? Form::kEnciphered : (binary ? Form::kBinary : Form::kText);
    s.mDeflateRuns = mDeflateRuns;
    int version = header ? header->mHeaderVersion : 6000;
    s.mHeaderVersion = (version == 5800 || version == 6000) ? version : 6000;
    if (s.mForm == Form::kEnciphered && !RandomBytes(s.mFileIv, 16)) {
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    // The final name appears only when the file is complete.
    bool made = false;
    for (int attempt = 0; attempt < 16 && !made; ++attempt) {
        std::uint8_t r[6];
        std::string suffix = ".qel-";
        if (!RandomBytes(r, sizeof r)) break;
        Hex(suffix, r, sizeof r);
        s.mTempPath = s.mPath + suffix.c_str();
        made = s.mFile.CreateNew(s.mTempPath.Buffer());
    }
    if (!made) {
        KString text = KString("File not created: ") + s.mPath;
        mError.SetLastError(eFileNotCreated, text.Buffer());
        mState.reset(new KQelState);
        return false;
    }
    KQelFileHeaderInfo info;
    if (header) info = *header;
    info.mHeaderVersion = s.mHeaderVersion;
    StampNow(info.mCreationTimeStamp);
    if (header) {
        header->mHeaderVersion = info.mHeaderVersion;
        header->mCreationTimeStamp = info.mCreationTimeStamp;
    }
    const KQelFileHeaderTimeStamp& t = info.mCreationTimeStamp;
    const int stamp[7] = {t.mYear, t.mMonth, t.mDay, t.mHour, t.mMinute, t.mSecond, t.mMillisecond};
    if (s.mForm == Form::kText) {
        s.mWriter.mUseCrc = false;
        s.mWriter.Start(&s.mFile, 0);
        std::string out = kTextMagic;
        out += "\nQelHeader:  {\n\tVersion: ";
        AppendInteger(out, s.mHeaderVersion);
        out += "\n\tCreationTimeStamp: ";
        for (int i = 0; i < 7; ++i) {
            if (i) out += ',';
            AppendInteger(out, stamp[i]);
        }
        out += "\n\tCreator: ";
        AppendQuoted(out, info.mCreator.Buffer(), info.mCreator.GetLen(), '"');
        if (info.mDefaultRenderResolution) {
            out += "\n\tDefaultRenderResolution: ";
            AppendQuoted(out, info.mCameraName.Buffer(), info.mCameraName.GetLen(), '"');
            out += ',';
            AppendQuoted(out, info.mResolutionMode.Buffer(), info.mResolutionMode.GetLen(), '"');
            out += ',';
            AppendDouble(out, info.mResolutionW);
            out += ',';
            AppendDouble(out, info.mResolutionH);
        }
        out += "\n\tOtherFlag: ";
        out += info.mOtherFlag ? '1' : '0';
        out += "\n}\n";
        s.mWriter.Append(out.data(), out.size());
    } else {
        std::vector<std::uint8_t> ext;
        ext.push_back(info.mDefaultRenderResolution ? 1 : 0);
        ext.push_back(info.mOtherFlag ? 1 : 0);
        ext.push_back(0);
        ext.push_back(0);
        for (int v : stamp) {
            std::uint8_t b[4];
            PutU32(b, static_cast<std::uint32_t>(v));
            ext.insert(ext.end(), b, b + 4);
        }
        PutString(ext, info.mCreator);
        if (info.mDefaultRenderResolution) {
            PutString(ext, info.mCameraName);
            PutString(ext, info.mResolutionMode);
            PutDouble(ext, info.mResolutionW);
            PutDouble(ext, info.mResolutionH);
        }
        std::vector<std::uint8_t> head(kFileHeaderFixed, 0);
        std::memcpy(head.data(), kMagic, 8);
        head[8] = s.mForm == Form::kEnciphered ? 2 : 1;
        head[9] = kLayoutRevision;
        PutU32(&head[12], static_cast<std::uint32_t>(s.mHeaderVersion));
        std::memcpy(&head[16], s.mFileIv, 16);
        PutU32(&head[32], static_cast<std::uint32_t>(ext.size()));
        head.insert(head.end(), ext.begin(), ext.end());
        s.mHeaderBytes = head;
        std::uint8_t crc[4];
        PutU32(crc, Crc32(0, head.data(), head.size()));
        head.insert(head.end(), crc, crc + 4);
        s.mHeaderEnd = head.size();
        s.mWriter.Start(&s.mFile, 0);
        s.mWriter.AppendPlain(head.data(), head.size());
    }
    s.mMode = Mode::kWriting;
    s.mReadOnly = false;
    if (!BeginSectionWrite(s, kSectionMain)) {
        s.mFile.Close();
        std::remove(s.mTempPath.Buffer());
        mState.reset(new KQelState);
        mError.SetLastErrorID(eFileNotCreated);
        return false;
    }
    return true;
}

// ---- Open ----

static bool OpenBinary(KQel& q, KQelState& s, KQelFileHeaderInfo& info) {
    DiskFile& f = s.mFile;
    const std::uint64_t size = f.Size();
    std::uint8_t fixed[kFileHeaderFixed];
    if (size < kFileHeaderFixed + 4 || !f.ReadAt(0, fixed, sizeof fixed)) return false;
    std::uint32_t extLen = GetU32(fixed + 32);
    if (extLen > kMaxExtendedHeader || kFileHeaderFixed + extLen + 4 > size) return false;
    std::vector<std::uint8_t> head(kFileHeaderFixed + extLen + 4);
    if (!f.ReadAt(0, head.data(), head.size())) return false;
    // The CRC comes first, so that a damaged byte never passes for a newer layout.
    if (!CrcMatches(Crc32(0, head.data(), kFileHeaderFixed + extLen),
                    GetU32(&head[kFileHeaderFixed + extLen]))) {
        return false;
    }
    if (fixed[8] != 1 && fixed[8] != 2) return false;
    if (fixed[9] > kLayoutRevision) {
        q.GetError().SetLastErrorID(KQel::eVersionNotSupportedYet);
        return false;
    }
    if (fixed[9] == 0) return false;
    s.mPackedRuns = fixed[9] >= kFirstRunRevision;
    s.mForm = fixed[8] == 2 ? Form::kEnciphered : Form::kBinary;
    const std::uint64_t committed = GetU64(fixed + kCommittedLengthAt);
    if (committed < head.size() || committed > size) return false;
    s.mHeaderBytes.assign(head.begin(), head.end() - 4);
    s.mHeaderVersion = static_cast<std::int32_t>(GetU32(fixed + 12));
    if (s.mHeaderVersion <= 0) return false;
    std::memcpy(s.mFileIv, fixed + 16, 16);
    s.mHeaderEnd = head.size();

    Cursor c{head.data() + kFileHeaderFixed, extLen};
    const std::uint8_t* flags = c.Take(4);
    if (!flags) return false;
    int stamp[7];
    for (int& v : stamp) v = static_cast<std::int32_t>(c.U32());
    info.mCreationTimeStamp = {stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], stamp[5], stamp[6]};
    info.mCreator = c.String();
    info.mDefaultRenderResolution = flags[0] != 0;
    info.mOtherFlag = flags[1] != 0;
    if (info.mDefaultRenderResolution) {
        info.mCameraName = c.String();
        info.mResolutionMode = c.String();
        info.mResolutionW = c.Double();
        info.mResolutionH = c.Double();
    }
    if (!c.ok) return false;
    info.mHeaderVersion = s.mHeaderVersion;

    // Sections are found from the end: each footer knows its section's size.
    std::vector<SectionInfo> found;
    std::uint64_t pos = committed;
    const std::uint64_t minSection = kSectionHeaderSize + kSectionFooterSize;
    while (pos > s.mHeaderEnd) {
        if (pos - s.mHeaderEnd < minSection) return false;
        std::uint8_t foot[kSectionFooterSize];
        if (!f.ReadAt(pos - kSectionFooterSize, foot, sizeof foot)) return false;
        if (std::memcmp(foot + 104, "QEND", 4) != 0) return false;
        SectionInfo sec;
        std::uint64_t secSize = GetU64(foot + 96);
        sec.mBodyLength = GetU64(foot);
        if (secSize < minSection || secSize > pos - s.mHeaderEnd ||
            sec.mBodyLength != secSize - minSection) {
            return false;
        }
        sec.mStart = pos - secSize;
        sec.mFlags = GetU32(foot + 8);
        if (sec.mFlags & ~(kFlagPassword | kFlagEnciphered)) return false;
        if (((sec.mFlags & kFlagEnciphered) != 0) != (s.mForm == Form::kEnciphered)) return false;
        if (sec.mFlags & kFlagPassword) {
            sec.mPassword.mIterations = GetU32(foot + 12);
            if (sec.mPassword.mIterations == 0 || sec.mPassword.mIterations > kMaxIterations) return false;
            std::memcpy(sec.mPassword.mSalt, foot + 16, 16);
            std::memcpy(sec.mPassword.mVerifier, foot + 32, 32);
        }
        std::memcpy(sec.mWrappedKey, foot + 64, 32);
        std::uint8_t head16[kSectionHeaderSize];
        if (!f.ReadAt(sec.mStart, head16, sizeof head16)) return false;
        if (std::memcmp(head16, "QSEC", 4) != 0) return false;
        std::uint32_t kind = GetU32(head16 + 4);
        if (kind != kSectionMain && kind != kSectionExtension) return false;
        sec.mKind = static_cast<int>(kind);
        sec.mVersion = static_cast<std::int32_t>(GetU32(head16 + 8));
        found.push_back(sec);
        pos = sec.mStart;
    }
    if (found.empty()) return false;
    s.mSections.assign(found.rbegin(), found.rend());
    for (std::size_t i = 0; i < s.mSections.size(); ++i) {
        if ((s.mSections[i].mKind == kSectionMain) != (i == 0)) return false;
    }
    s.mRoots.assign(s.mSections.size(), ReadLevel());
    // Every byte of every section is checked once, at open.
    const std::size_t bufSize = static_cast<std::size_t>(std::min<std::uint64_t>(1u << 20, committed));
    std::unique_ptr<std::uint8_t[]> buf(new std::uint8_t[bufSize]);
    for (std::size_t i = 0; i < s.mSections.size(); ++i) {
        SectionInfo& sec = s.mSections[i];
        if (sec.mFlags & kFlagPassword) s.mPasswordPending = true;
        if (sec.mFlags & kFlagEnciphered) {
            sec.mLocked = (sec.mFlags & kFlagPassword) != 0;
            if (!sec.mLocked) UnwrapKey(kBuiltInKey, sec.mWrappedKey, sec.mDataKey);
        }
        std::uint8_t head16[kSectionHeaderSize], foot[kSectionFooterSize];
        if (!f.ReadAt(sec.mStart, head16, sizeof head16) ||
            !f.ReadAt(sec.mStart + kSectionHeaderSize + sec.mBodyLength, foot, sizeof foot)) {
            return false;
        }
        std::uint32_t crc = Crc32(0, head16, sizeof head16);
        if (i == 0 && !sec.mLocked) {
            // The main section's top level is indexed by the same reading
            // that checks it: a large file is read once, not twice.
            s.mReadCipher.mActive = false;
            if (sec.mFlags & kFlagEnciphered) s.mReadCipher.SetKey(sec.mDataKey, s.mFileIv);
            s.mReader.Attach(&f, &sec, &s.mReadCipher);
            s.mReader.StartCrc();
            ReadLevel& root = s.mRoots[0];
            root.mBegin = 0;
            root.mEnd = sec.mBodyLength;
            bool ok = IndexBinaryLevel(s, root) && s.mReader.FinishCrc(crc);
            s.mReader.StopCrc();
            if (!ok) return false;
        } else {
            std::uint64_t left = sec.mBodyLength, at = sec.BodyStart();
            while (left > 0) {
                std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, bufSize));
                if (!f.ReadAt(at, buf.get(), n)) return false;
                crc = Crc32(crc, buf.get(), n);
                at += n;
                left -= n;
            }
        }
        crc = Crc32(crc, foot, kSectionFooterSize - 4);
        if (!CrcMatches(crc, GetU32(foot + kSectionFooterSize - 4))) return false;
    }
    return true;
}

static bool OpenText(KQelState& s, KQelFileHeaderInfo& info) {
    const std::uint64_t size = s.mFile.Size();
    if (size > static_cast<std::uint64_t>(SIZE_MAX / 2)) return false;
    TextDocument& doc = s.mText;
    doc.mText.Begin(s.mFile, size);
    std::string reason;
    if (!ParseText(doc, reason) || !doc.mText.LoadAll()) return false;
    // The header block comes first; the main section is what follows it.
    if (doc.mNodes.empty() || !doc.mNodes[0].mHasBlock) return false;
    const TextNode& h = doc.mNodes[0];
    if (std::string_view(doc.mNames.data() + h.mNameOffset, h.mNameLength) != "QelHeader") return false;
    s.mHeaderVersion = HeaderInt(doc, HeaderChild(doc, 0, "Version"), 0);
    if (s.mHeaderVersion <= 0) return false;
    const TextNode* n = HeaderChild(doc, 0, "CreationTimeStamp");
    int stamp[7];
    for (std::uint32_t i = 0; i < 7; ++i) stamp[i] = HeaderInt(doc, n, i);
    info.mCreationTimeStamp = {stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], stamp[5], stamp[6]};
    info.mCreator = HeaderText(doc, HeaderChild(doc, 0, "Creator"), 0).c_str();
    n = HeaderChild(doc, 0, "DefaultRenderResolution");
    info.mDefaultRenderResolution = n != nullptr;
    if (n) {
        info.mCameraName = HeaderText(doc, n, 0).c_str();
        info.mResolutionMode = HeaderText(doc, n, 1).c_str();
        info.mResolutionW = HeaderNumber(doc, n, 2);
        info.mResolutionH = HeaderNumber(doc, n, 3);
    }
    info.mOtherFlag = HeaderInt(doc, HeaderChild(doc, 0, "OtherFlag"), 0) != 0;
    info.mHeaderVersion = s.mHeaderVersion;
    doc.mMainBegin = h.mEnd;
    s.mForm = Form::kText;
    SectionInfo main;
    main.mKind = kSectionMain;
    main.mVersion = s.mHeaderVersion;
    s.mSections.assign(1, main);
    return true;
}

bool KQel::ProjectOpen(const char* path, bool binaryHint, bool readOnly, KQelFileHeaderInfo* header) {
    (void)binaryHint;
    if (mState->mMode != Mode::kNone) ProjectClose();
    mState.reset(new KQelState);
    KQelState& s = *mState;
    if (!path || !*path) {
        mError.SetLastError(eUnableToOpen, "Unable to open file ");
        return false;
    }
    s.mPath = FullPath(path);
    s.mDirectory = ExtractDirectoryFromFilePath(s.mPath.Buffer());
    if (!s.mFile.OpenRead(s.mPath.Buffer(), !readOnly)) {
        KString text = KString("Unable to open file ") + s.mPath;
        mError.SetLastError(eUnableToOpen, text.Buffer());
        mState.reset(new KQelState);
        return false;
    }
    std::uint8_t start[sizeof(kTextMagic)] = {};
    std::uint64_t size = s.mFile.Size();
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof start - 1));
    KQelFileHeaderInfo info;
    bool ok = s.mFile.ReadAt(0, start, n);
    mError.ClearLastError();
    if (ok && n >= 8 && std::memcmp(start, kMagic, 8) == 0) {
        ok = OpenBinary(*this, s, info);
    } else if (ok && n == sizeof(kTextMagic) - 1 && std::memcmp(start, kTextMagic, n) == 0) {
        // A text file is held in memory whole; one too large for it is
        // refused rather than allowed to end the process.
        try {
            ok = OpenText(s, info);
        } catch (const std::bad_alloc&) {
            KString text = KString("Unable to open file ") + s.mPath + " (not enough memory)";
            mError.SetLastError(eUnableToOpen, text.Buffer());
            ok = false;
        }
    } else {
        ok = false;
    }
    if (!ok) {
        if (mError.GetLastErrorID() == -1) mError.SetLastErrorID(eFileCorrupted);
        mState.reset(new KQelState);
        return false;
    }
    s.mMode = Mode::kReading;
    s.mReadOnly = readOnly || !s.mFile.Writable() || s.IsText();
    if (header) *header = info;
    return true;
}

bool KQel::ProjectOpenDirect(const char* path, bool binaryHint, bool readOnly, KQelFileHeaderInfo* header) {
    return ProjectOpen(path, binaryHint, readOnly, header) && ProjectOpenMainSection();
}

bool KQel::ProjectClose() {
    KQelState& s = *mState;
    if (s.mMode == Mode::kNone) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    bool ok = true;
    if (s.mSectionWriting) ok = CloseWrittenSection(*this, s);
    if (s.mMode == Mode::kWriting) {
        ok = s.mWriter.Flush() && ok;
        if (ok && !s.IsText()) ok = CommitLength(s, s.mWriter.FileOffset());
        s.mFile.Close();
        if (!ok) {
            std::remove(s.mTempPath.Buffer());
            mError.SetLastErrorID(eWriteError);
        } else if (std::rename(s.mTempPath.Buffer(), s.mPath.Buffer()) != 0) {
            std::remove(s.mTempPath.Buffer());
            mError.SetLastErrorID(eFileNotCreated);
            ok = false;
        }
    }
    mState.reset(new KQelState);
    return ok;
}

bool KQel::ProjectDiscard() {
    KQelState& s = *mState;
    if (s.mMode == Mode::kNone) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    if (s.mMode == Mode::kWriting) {
        s.mFile.Close();
        std::remove(s.mTempPath.Buffer());
    } else if (s.mSectionWriting) {
        // Readers stop at the committed length already; cutting the bytes of
        // the unfinished append only tidies the file.
        s.mFile.Truncate(s.mWriteSection.mStart);
    }
    mState.reset(new KQelState);
    return true;
}

bool KQel::ProjectIsOpen() const { return mState->mMode != Mode::kNone; }

// ---- Sections ----

static bool OpenSectionForRead(KQel& q, KQelState& s, int index) {
    if (s.mMode != Mode::kReading) {
        q.GetError().SetLastErrorID(s.mMode == Mode::kNone ? KQel::eFileNotOpened : KQel::eSectionError);
        return false;
    }
    if (s.mSectionWriting || index < 0 || index >= static_cast<int>(s.mSections.size())) {
        q.GetError().SetLastErrorID(KQel::eSectionError);
        return false;
    }
    const SectionInfo& sec = s.mSections[index];
    if (s.mRoots.size() != s.mSections.size()) s.mRoots.resize(s.mSections.size());
    // A section's top-level index outlives closing it: reopening starts
    // again at its first field without another walk.
    ReadLevel& root = s.mRoots[index];
    for (NameSlot& slot : root.mSlots) slot.mCursor = 0;
    root.mCurrent = -1;
    root.mInRaw = false;
    s.mDepth = 1;
    s.mCurrentSection = index;
    if (s.IsText()) {
        root.mBegin = s.mText.mMainBegin;
        root.mEnd = s.mText.mNodes.size();
        return true;
    }
    s.mReadCipher.mActive = false;
    if ((sec.mFlags & kFlagEnciphered) && !sec.mLocked) s.mReadCipher.SetKey(sec.mDataKey, s.mFileIv);
    s.mReader.Attach(&s.mFile, &sec, &s.mReadCipher);
    root.mBegin = 0;
    root.mEnd = sec.mBodyLength;
    return true;
}

bool KQel::ProjectOpenMainSection() { return OpenSectionForRead(*this, *mState, 0); }

bool KQel::ProjectOpenExtensionSection(int index) {
    if (index < 0 || index >= ProjectGetExtensionSectionCount()) {
        mError.SetLastErrorID(mState->mMode == Mode::kNone ? eFileNotOpened : eSectionError);
        return false;
    }
    return OpenSectionForRead(*this, *mState, index + 1);
}

bool KQel::ProjectCloseSection() {
    KQelState& s = *mState;
    if (s.mSectionWriting) return CloseWrittenSection(*this, s);
    if (s.mMode == Mode::kNone || s.mCurrentSection < 0) {
        mError.SetLastErrorID(s.mMode == Mode::kNone ? eFileNotOpened : eSectionError);
        return false;
    }
    s.mCurrentSection = -1;
    s.mDepth = 0;
    return true;
}

bool KQel::ProjectCreateExtensionSection(bool overwrite) {
    KQelState& s = *mState;
    if (s.mMode == Mode::kNone) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    if (s.IsText() || s.mCurrentSection >= 0 || s.mSectionWriting ||
        (s.mMode == Mode::kReading && s.mReadOnly)) {
        mError.SetLastErrorID(eSectionError);
        return false;
    }
    if (s.mMode == Mode::kReading && s.mForm == Form::kEnciphered && s.mPasswordPending) {
        mError.SetLastErrorID(eWrongPassword);
        return false;
    }
    std::uint64_t end = s.mSections.empty() ? s.mHeaderEnd
                                            : s.mSections.back().mStart + s.mSections.back().Size();
    if (overwrite && s.mSections.size() > 1) {
        end = s.mSections.back().mStart;
        bool committed = s.mMode != Mode::kReading || CommitLength(s, end);
        if (!committed || !s.mFile.Truncate(end)) {
            mError.SetLastErrorID(eWriteError);
            return false;
        }
        s.mSections.pop_back();
        if (s.mRoots.size() > s.mSections.size()) s.mRoots.resize(s.mSections.size());
    }
    s.mDeflateRuns = mDeflateRuns;
    if (s.mMode == Mode::kReading) {
        // Sections of an older revision read the same under the current
        // one: the header takes the revision that the new section needs
        // when it is committed.
        s.mHeaderBytes[9] = kLayoutRevision;
        s.mPackedRuns = true;
        if (s.mFile.Size() > end && !s.mFile.Truncate(end)) {  // leftovers of a cut append
            mError.SetLastErrorID(eWriteError);
            return false;
        }
        s.mWriter.mUseCrc = true;
        s.mWriter.Start(&s.mFile, end);
    } else {
        s.mWriter.Flush();
        if (overwrite) s.mWriter.Start(&s.mFile, end);
    }
    if (!BeginSectionWrite(s, kSectionExtension)) {
        mError.SetLastErrorID(eWriteError);
        return false;
    }
    return true;
}

int KQel::ProjectGetExtensionSectionCount() const {
    const KQelState& s = *mState;
    if (s.mMode == Mode::kNone || s.mSections.empty()) return 0;
    return static_cast<int>(s.mSections.size()) - 1;
}

int KQel::ProjectGetSectionVersion(int section) const {
    const KQelState& s = *mState;
    if (section == s.mCurrentSection && s.mSectionWriting) return s.mWriteSection.mVersion;
    if (section < 0 || section >= static_cast<int>(s.mSections.size())) return 0;
    return s.mSections[section].mVersion;
}

int KQel::ProjectGetCurrentSection() const { return mState->mCurrentSection; }

void KQel::ProjectConvertVersionNumber(int version, int& major, int& minor, int& revision) {
    major = version / 1000;
    minor = (version % 1000) / 100;
    revision = version % 100;
}

bool KQel::IsBinary() const { return mState->mMode != Mode::kNone && !mState->IsText(); }
bool KQel::IsEncrypted() const {
    return mState->mMode != Mode::kNone && mState->mForm == Form::kEnciphered;
}
int KQel::GetHeaderVersion() const { return mState->mMode != Mode::kNone ? mState->mHeaderVersion : 0; }
bool KQel::IsPasswordPending() const { return mState->mPasswordPending; }

// ---- Password ----

bool KQel::WritePassword(const char* password) {
    KQelState& s = *mState;
    if (!password || s.mMode == Mode::kNone || !s.mSectionWriting || s.IsText() ||
        s.mPasswordWrittenInSection) {
        return false;
    }
    if (!s.mHavePassword) {
        PasswordRecord rec;
        rec.mIterations = kPasswordIterations;
        if (!RandomBytes(rec.mSalt, 16)) return false;
        std::uint8_t derived[64];
        DerivePassword(password, rec.mSalt, rec.mIterations, derived);
        std::memcpy(rec.mVerifier, derived, 32);
        std::memcpy(s.mPasswordKek, derived + 32, 32);
        s.mPasswordRecord = rec;
        s.mHavePassword = true;
    }
    // The field holds only the one-way verifier, never the password.
    const PasswordRecord& rec = s.mPasswordRecord;
    std::string text = "$pbkdf2-sha256$";
    AppendInteger(text, rec.mIterations);
    text += '$';
    Hex(text, rec.mSalt, 16);
    text += '$';
    Hex(text, rec.mVerifier, 32);
    FieldWriteBegin("NodeId");
    FieldWriteC(text.c_str());
    FieldWriteEnd();
    s.mPasswordWrittenInSection = true;
    return true;
}

bool KQel::CheckPassword(const char* password) {
    KQelState& s = *mState;
    if (!s.mPasswordPending) return true;
    if (!password) return false;
    const PasswordRecord* first = nullptr;
    for (const SectionInfo& sec : s.mSections) {
        if (sec.mFlags & kFlagPassword) {
            first = &sec.mPassword;
            break;
        }
    }
    if (!first) return true;
    std::uint8_t derived[64];
    DerivePassword(password, first->mSalt, first->mIterations, derived);
    if (std::memcmp(derived, first->mVerifier, 32) != 0) {
        mError.SetLastErrorID(eWrongPassword);
        return false;
    }
    s.mPasswordPending = false;
    s.mHavePassword = true;
    s.mPasswordRecord = *first;
    std::memcpy(s.mPasswordKek, derived + 32, 32);
    for (std::size_t i = 0; i < s.mSections.size(); ++i) {
        SectionInfo& sec = s.mSections[i];
        if (!sec.mLocked) continue;
        std::uint8_t own[64];
        const std::uint8_t* kek = derived + 32;
        if (!sec.mPassword.SameSalt(*first)) {
            DerivePassword(password, sec.mPassword.mSalt, sec.mPassword.mIterations, own);
            if (std::memcmp(own, sec.mPassword.mVerifier, 32) != 0) continue;
            kek = own + 32;
        } else if (std::memcmp(derived, sec.mPassword.mVerifier, 32) != 0) {
            continue;
        }
        UnwrapKey(kek, sec.mWrappedKey, sec.mDataKey);
        sec.mLocked = false;
        if (i < s.mRoots.size()) s.mRoots[i] = ReadLevel();  // indexed while locked: empty
        if (static_cast<int>(i) == s.mCurrentSection && !s.mSectionWriting) {
            OpenSectionForRead(*this, s, static_cast<int>(i));  // read it again, now visible
        }
    }
    return true;
}

// ---- Paths ----

const char* KQel::GetFullFilePath(const char* name) {
    KString directory = mState->mDirectory.IsEmpty() ? KGetCurrentDirectory() : mState->mDirectory;
    mPathResult = MakeFullPath(directory.Buffer(), name ? name : "");
    return mPathResult.Buffer();
}

const char* KQel::GetRelativeFilePath(const char* path) {
    KString base = mState->mDirectory + "/";
    mPathResult = qelsdk_600::GetRelativeFilePath(base.Buffer(), path ? path : "");
    return mPathResult.Buffer();
}

const char* KQel::GetFilePath() const { return mState->mPath.Buffer(); }

}  // namespace qelsdk_600
