// Writing fields in the binary and text forms.
#include <cstdio>

#include "file/kqel_impl.h"

namespace qelsdk_600 {

using namespace qel_detail;

namespace {

bool IsBareNameChar(unsigned char c) {
    return c > 0x20 && c != 0x7f && c != ';' && c != '{' && c != '}' && c != ',' && c != ':' &&
           c != '"' && c != '\'' && c != '#';
}

void Indent(std::string& out, std::size_t depth) {
    out.append(depth, '\t');
}

void PutTrailer(std::uint8_t* p, std::uint64_t valueBytes, std::uint64_t blockBytes,
                std::uint32_t count, std::uint32_t nameLen) {
    PutU64(p, valueBytes);
    PutU64(p + 8, blockBytes);
    PutU32(p + 16, count);
    PutU32(p + 20, nameLen);
}

// A text value is built in the scratch string, then written in one piece.
void AppendScratch(KQelState& s) {
    s.mWriter.Append(s.mTextScratch.data(), s.mTextScratch.size());
}

// A binary value of fixed size joins the run pending in the state; the run
// is stored when the type changes, when it is full and when the field's
// values end.
void Pend(KQelState& s, char type, std::uint64_t bits) {
    if (s.mPendingType != type || s.mPendingCount == kRunChunkValues) {
        FlushPending(s);
        if (!s.mPending) s.mPending.reset(new std::uint64_t[kRunChunkValues]);
        s.mPendingType = type;
    }
    s.mPending[s.mPendingCount++] = bits;
}

// Bits of a value as the pending buffer keeps them.
inline std::uint64_t Bits(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return bits;
}
inline std::uint64_t Bits(int v) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(v)); }

// Blocks from this many values on become runs of their own: a run header
// per block costs less than copying the values once more.
constexpr unsigned int kDirectRunValues = 1024;

}  // namespace

// The state when a section is being written, else null with the reason.
static KQelState* WriteState(KQel& q, const std::unique_ptr<KQelState>& st) {
    KQelState* s = st.get();
    if (s->mMode == Mode::kNone) {
        q.GetError().SetLastErrorID(KQel::eFileNotOpened);
        return nullptr;
    }
    if (!s->mSectionWriting || s->mWriteDepth == 0) {
        q.GetError().SetLastErrorID(KQel::eSectionError);
        return nullptr;
    }
    return s;
}

// Closes a streamed raw value that was not given all its bytes.
static void FinishRaw(KQel& q, KQelState& s) {
    if (!s.mRawOpen) return;
    s.mRawOpen = false;
    if (s.mRawLeft == 0) return;
    q.GetError().SetLastErrorID(KQel::eFieldError);
    static const std::uint8_t zeros[4096] = {};
    static const char hexZeros[] = "0000000000000000000000000000000000000000000000000000000000000000";
    while (s.mRawLeft > 0) {
        if (s.IsText()) {
            std::uint32_t n = s.mRawLeft < 32 ? s.mRawLeft : 32;
            s.mWriter.Append(hexZeros, 2 * n);
            s.mRawLeft -= n;
        } else {
            std::uint32_t n = s.mRawLeft < sizeof zeros ? s.mRawLeft : sizeof zeros;
            s.mWriter.Append(zeros, n);
            s.mRawLeft -= n;
        }
    }
}

// A binary value of fixed size appended to the open field, counted and
// pended without the calls of the general checks; false when the state
// needs them (text, no open field, a raw value open...).
static inline bool PendFast(KQelState& s, char type, std::uint64_t bits) {
    if (!s.mSectionWriting || s.mWriteDepth == 0 || s.IsText() || s.mRawOpen) return false;
    WriteLevel& level = s.WTop();
    if (!level.mFieldOpen || level.mBlockDone || level.mValueCount == 0xffffffffu) return false;
    ++level.mValueCount;
    Pend(s, type, bits);
    return true;
}

// Checks that a value may be appended and counts it; text form: writes the
// separator.
static bool BeginValue(KQel& q, KQelState*& s, const std::unique_ptr<KQelState>& st) {
    s = WriteState(q, st);
    if (!s) return false;
    FinishRaw(q, *s);
    WriteLevel& level = s->WTop();
    if (!level.mFieldOpen || level.mBlockDone || level.mValueCount == 0xffffffffu) {
        q.GetError().SetLastErrorID(KQel::eFieldError);
        return false;
    }
    if (s->IsText() && level.mValueCount > 0) s->mWriter.AppendByte(',');
    ++level.mValueCount;
    return true;
}

void KQel::FieldWriteBegin(const char* name) {
    KQelState* s = WriteState(*this, mState);
    if (!s) return;
    FinishRaw(*this, *s);
    if (!name || !*name) {
        mError.SetLastErrorID(eFieldError);
        return;
    }
    if (s->WTop().mFieldOpen) {
        FieldWriteEnd();
        mError.SetLastErrorID(eFieldNotClosed);
    }
    WriteLevel& level = s->WTop();
    level.mFieldOpen = true;
    level.mValueCount = 0;
    level.mBlockDone = false;
    level.mBlockOpen = false;
    if (s->IsText()) {
        std::string& out = s->mTextScratch;
        out.clear();
        if (s->mLineOpen) out += '\n';
        Indent(out, s->mWriteDepth - 1);
        std::size_t len = std::strlen(name);
        bool bare = true;
        for (std::size_t i = 0; i < len && bare; ++i) bare = IsBareNameChar(static_cast<unsigned char>(name[i]));
        if (bare) {
            out.append(name, len);
        } else {
            AppendQuoted(out, name, len, '"');
        }
        out += ": ";
        s->mWriter.Append(out.data(), out.size());
        s->mLineOpen = true;
    } else {
        level.mName.assign(name);
        level.mValueStart = s->mWriter.BodyPos();
    }
}

void KQel::FieldWriteEnd() {
    KQelState* s = WriteState(*this, mState);
    if (!s) return;
    FinishRaw(*this, *s);
    WriteLevel& level = s->WTop();
    if (!level.mFieldOpen) {
        mError.SetLastErrorID(eFieldError);
        return;
    }
    level.mFieldOpen = false;
    if (s->IsText()) {
        if (s->mLineOpen) s->mWriter.AppendByte('\n');
        s->mLineOpen = false;
        return;
    }
    FlushPending(*s);
    std::uint64_t valueEnd = level.mBlockDone ? level.mBlockStart : s->mWriter.BodyPos();
    std::uint64_t blockBytes = level.mBlockDone ? level.mBlockEnd - level.mBlockStart : 0;
    std::uint8_t trailer[kRecordTrailerSize];
    PutTrailer(trailer, valueEnd - level.mValueStart, blockBytes, level.mValueCount,
               static_cast<std::uint32_t>(level.mName.size()));
    s->mWriter.Append(level.mName.data(), level.mName.size());
    s->mWriter.Append(trailer, sizeof trailer);
}

void KQel::FieldWriteBlockBegin() {
    KQelState* s = WriteState(*this, mState);
    if (!s) return;
    FinishRaw(*this, *s);
    WriteLevel& level = s->WTop();
    if (!level.mFieldOpen || level.mBlockDone) {
        mError.SetLastErrorID(eFieldError);
        return;
    }
    FlushPending(*s);
    level.mBlockOpen = true;
    level.mBlockStart = s->mWriter.BodyPos();
    if (s->IsText()) {
        s->mWriter.Append(" {\n", 3);
        s->mLineOpen = false;
    }
    if (s->mWriteLevels.size() <= s->mWriteDepth) s->mWriteLevels.emplace_back();
    WriteLevel& inner = s->mWriteLevels[s->mWriteDepth++];
    inner.mFieldOpen = false;
    inner.mBlockOpen = false;
    inner.mBlockDone = false;
}

void KQel::FieldWriteBlockEnd() {
    KQelState* s = WriteState(*this, mState);
    if (!s) return;
    FinishRaw(*this, *s);
    if (s->mWriteDepth <= 1) {
        mError.SetLastErrorID(eFieldError);
        return;
    }
    if (s->WTop().mFieldOpen) {
        FieldWriteEnd();
        mError.SetLastErrorID(eFieldNotClosed);
    }
    --s->mWriteDepth;
    WriteLevel& level = s->WTop();
    level.mBlockOpen = false;
    level.mBlockDone = true;
    if (s->IsText()) {
        std::string& out = s->mTextScratch;
        out.clear();
        if (s->mLineOpen) out += '\n';
        Indent(out, s->mWriteDepth - 1);
        out += '}';
        s->mWriter.Append(out.data(), out.size());
        s->mLineOpen = true;
    } else {
        static const std::uint8_t nullRecord[kRecordTrailerSize] = {};
        s->mWriter.Append(nullRecord, sizeof nullRecord);
        level.mBlockEnd = s->mWriter.BodyPos();
    }
}

// ---- Values ----

void KQel::FieldWriteI(int value) {
    if (PendFast(*mState, 'I', static_cast<std::uint64_t>(static_cast<std::int64_t>(value)))) return;
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (s->IsText()) {
        s->mTextScratch.clear();
        AppendInteger(s->mTextScratch, value);
        AppendScratch(*s);
        return;
    }
    Pend(*s, 'I', static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

void KQel::FieldWriteLL(kLongLong value) {
    if (PendFast(*mState, 'L', static_cast<std::uint64_t>(value))) return;
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (s->IsText()) {
        s->mTextScratch.clear();
        AppendInteger(s->mTextScratch, value);
        AppendScratch(*s);
        return;
    }
    Pend(*s, 'L', static_cast<std::uint64_t>(value));
}

void KQel::FieldWriteF(float value) {
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (s->IsText()) {
        s->mTextScratch.clear();
        AppendFloat(s->mTextScratch, value);
        AppendScratch(*s);
        return;
    }
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Pend(*s, 'F', bits);
}

void KQel::FieldWriteD(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    if (PendFast(*mState, 'D', bits)) return;
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (s->IsText()) {
        s->mTextScratch.clear();
        AppendDouble(s->mTextScratch, value);
        AppendScratch(*s);
        return;
    }
    Pend(*s, 'D', bits);
}

// n values of one type for the open binary field: stored as runs straight
// from the caller's array when there are many, else pended; false (nothing
// done) when the state needs the checks of single values.
template <class T>
static bool StoreAll(KQelState& s, char type, const T* values, unsigned int n) {
    if (!s.mSectionWriting || s.mWriteDepth == 0 || s.IsText() || s.mRawOpen) return false;
    WriteLevel& level = s.WTop();
    if (!level.mFieldOpen || level.mBlockDone || n > 0xffffffffu - level.mValueCount) return false;
    level.mValueCount += n;
    if (n < kDirectRunValues) {
        for (unsigned int i = 0; i < n; ++i) Pend(s, type, Bits(values[i]));
        return true;
    }
    FlushPending(s);
    while (n > 0) {
        const std::uint32_t take = n < kRunChunkValues ? n : kRunChunkValues;
        StoreRun(s, values, take);
        values += take;
        n -= take;
    }
    return true;
}

void KQel::FieldWriteDn(const double* values, unsigned int n) {
    if (n == 0 || !values || StoreAll(*mState, 'D', values, n)) return;
    for (unsigned int i = 0; i < n; ++i) FieldWriteD(values[i]);
}

void KQel::FieldWriteIn(const int* values, unsigned int n) {
    if (n == 0 || !values || StoreAll(*mState, 'I', values, n)) return;
    for (unsigned int i = 0; i < n; ++i) FieldWriteI(values[i]);
}

void KQel::FieldWriteCH(char value) {
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (s->IsText()) {
        unsigned char c = static_cast<unsigned char>(value);
        s->mTextScratch.clear();
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            s->mTextScratch += value;  // the bare letter
        } else {
            AppendQuoted(s->mTextScratch, &value, 1, '\'');
        }
        AppendScratch(*s);
        return;
    }
    Pend(*s, 'C', static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<signed char>(value))));
}

void KQel::FieldWriteC(const char* value) {
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return;
    if (!value) value = "";
    std::size_t len = std::strlen(value);
    if (s->IsText()) {
        s->mTextScratch.clear();
        AppendQuoted(s->mTextScratch, value, len, '"');
        AppendScratch(*s);
        return;
    }
    FlushPending(*s);
    if (len > 0xfffffffdu) len = 0xfffffffdu;  // room for the kind mark
    // "Kind::name" is stored as name, 0x00, 0x01, Kind.
    const char* sep = len > 2 ? std::strstr(value, "::") : nullptr;
    std::uint8_t b[5] = {'S'};
    if (sep && sep != value) {
        std::size_t kindLen = static_cast<std::size_t>(sep - value);
        std::size_t nameLen = len - kindLen - 2;
        PutU32(b + 1, static_cast<std::uint32_t>(len));
        s->mWriter.Append(b, sizeof b);
        s->mWriter.Append(sep + 2, nameLen);
        static const std::uint8_t mark[2] = {0, 1};
        s->mWriter.Append(mark, 2);
        s->mWriter.Append(value, kindLen);
    } else {
        PutU32(b + 1, static_cast<std::uint32_t>(len));
        s->mWriter.Append(b, sizeof b);
        s->mWriter.Append(value, len);
    }
}

void KQel::FieldWriteT(KTime value) {
    KQelState* s = WriteState(*this, mState);
    if (!s) return;
    const SectionInfo& section = s->mWriteSection;
    if (section.mVersion > 2000) {
        FieldWriteLL(value.Get());
    } else {
        FieldWriteD(value.GetSecondDouble());
    }
}

void KQel::FieldWriteTS(KTimeSpan value) {
    FieldWriteT(value.GetStart());
    FieldWriteT(value.GetStop());
}

bool KQel::FieldWriteRBegin(kUInt size) {
    KQelState* s;
    if (!BeginValue(*this, s, mState)) return false;
    if (s->IsText()) {
        s->mWriter.AppendByte('#');
    } else {
        FlushPending(*s);
        std::uint8_t b[5] = {'R'};
        PutU32(b + 1, size);
        s->mWriter.Append(b, sizeof b);
    }
    s->mRawOpen = true;
    s->mRawLeft = size;
    return true;
}

bool KQel::FieldWriteRPart(const void* data, kUInt size) {
    KQelState* s = WriteState(*this, mState);
    if (!s || !s->mRawOpen || size > s->mRawLeft || (!data && size > 0)) {
        mError.SetLastErrorID(eFieldError);
        return false;
    }
    if (s->IsText()) {
        static const char kHex[] = "0123456789abcdef";
        const auto* p = static_cast<const std::uint8_t*>(data);
        std::string& out = s->mTextScratch;
        out.clear();
        for (kUInt i = 0; i < size; ++i) {
            out += kHex[p[i] >> 4];
            out += kHex[p[i] & 15];
            if (out.size() >= 65536) {
                s->mWriter.Append(out.data(), out.size());
                out.clear();
            }
        }
        s->mWriter.Append(out.data(), out.size());
    } else {
        s->mWriter.Append(data, size);
    }
    s->mRawLeft -= size;
    return !s->mWriter.Failed();
}

bool KQel::FieldWriteREnd() {
    KQelState* s = WriteState(*this, mState);
    if (!s || !s->mRawOpen) return false;
    bool complete = s->mRawLeft == 0;
    FinishRaw(*this, *s);
    return complete && !s->mWriter.Failed();
}

void KQel::FieldWriteR(const void* data, kUInt size) {
    if (FieldWriteRBegin(size)) {
        FieldWriteRPart(data, size);
        FieldWriteREnd();
    }
}

bool KQel::FieldWriteEmbeddedFile(const KString& fileName, const KString& relativeName) {
    KQelState* s = WriteState(*this, mState);
    if (!s || s->IsText()) return false;
    std::FILE* f = std::fopen(fileName.Buffer(), "rb");
    if (!f && !relativeName.IsEmpty()) f = std::fopen(relativeName.Buffer(), "rb");
    if (!f) return false;
    std::string key(fileName.Buffer());
    if (s->mEmbedded.count(key)) {
        std::fclose(f);
        return true;
    }
    long long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = ftello(f);
    std::rewind(f);
    if (size < 0 || size > 0xffffffffLL) {
        std::fclose(f);
        mError.SetLastErrorID(eFieldError);
        return false;
    }
    if (!FieldWriteRBegin(static_cast<kUInt>(size))) {
        std::fclose(f);
        return false;
    }
    s->mEmbedded.insert(key);
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(
        size < kEmbedPieceSize ? (size > 0 ? size : 1) : kEmbedPieceSize));
    bool ok = true;
    long long left = size;
    while (left > 0 && ok) {
        std::size_t want = static_cast<std::size_t>(left < kEmbedPieceSize ? left : kEmbedPieceSize);
        std::size_t got = std::fread(piece.data(), 1, want, f);
        if (got > 0) ok = FieldWriteRPart(piece.data(), static_cast<kUInt>(got));
        if (got < want) ok = false;  // the file shrank or failed: the rest is zeros
        left -= static_cast<long long>(got);
    }
    std::fclose(f);
    bool complete = FieldWriteREnd();
    return ok && complete;
}

void KQel::WriteComments(const char* text) {
    KQelState* s = mState.get();
    if (s->mMode == Mode::kNone || !s->mSectionWriting || !s->IsText()) return;
    if (!text) text = "";
    std::string& out = s->mTextScratch;
    out.clear();
    if (s->mLineOpen) out += '\n';
    const char* line = text;
    while (true) {
        const char* nl = std::strchr(line, '\n');
        std::size_t len = nl ? static_cast<std::size_t>(nl - line) : std::strlen(line);
        Indent(out, s->mWriteDepth - 1);
        out += ';';
        out.append(line, len);
        out += '\n';
        if (!nl) break;
        line = nl + 1;
    }
    s->mWriter.Append(out.data(), out.size());
    s->mLineOpen = false;
}

}  // namespace qelsdk_600
