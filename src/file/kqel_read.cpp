// Reading fields: scope indexes, value decoding and conversions.
#include <algorithm>
#include <climits>
#include <cmath>

#include "file/kqel_impl.h"

namespace qelsdk_600 {

using namespace qel_detail;

namespace {

// Value sizes of the binary types with a fixed payload; 0 for others.
std::size_t FixedSize(std::uint8_t type) {
    switch (type) {
        case 'C': return 1;
        case 'I':
        case 'F': return 4;
        case 'D':
        case 'L': return 8;
        default: return 0;
    }
}

double ToDouble(const Value& v) {
    switch (v.mType) {
        case 'I':
        case 'L':
        case 'C': return static_cast<double>(v.mInt);
        case 'F':
        case 'D': return v.mDouble;
        case 'S': {
            double d = 0.0;
            long long i;
            if (ParseInteger(v.mText.data(), v.mText.size(), i)) return static_cast<double>(i);
            return ParseDouble(v.mText.data(), v.mText.size(), d) ? d : 0.0;
        }
        default: return 0.0;
    }
}

long long DoubleToLL(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9223372036854775807.0) return LLONG_MAX;
    if (d <= -9223372036854775808.0) return LLONG_MIN;
    return static_cast<long long>(d);
}

long long ToLL(const Value& v) {
    switch (v.mType) {
        case 'I':
        case 'L':
        case 'C': return v.mInt;
        case 'S': {
            long long i;
            if (ParseInteger(v.mText.data(), v.mText.size(), i)) return i;
            return DoubleToLL(ToDouble(v));
        }
        default: return DoubleToLL(ToDouble(v));
    }
}

int ToInt(const Value& v) {
    long long i = ToLL(v);
    if (i > INT_MAX) return INT_MAX;
    if (i < INT_MIN) return INT_MIN;
    return static_cast<int>(i);
}

}  // namespace

// Whether a binary field holds as many values as its trailer says and they
// fill it exactly: every value and run header is walked, payloads are not
// read. Needed only where the count passes what single values could hold.
static bool CountMatches(KQelState& s, const Record& rec) {
    BodyReader& r = s.mReader;
    std::uint64_t pos = rec.mValueBegin, total = 0;
    while (pos < rec.mValueEnd && total <= rec.mValueCount) {
        const std::uint64_t left = rec.mValueEnd - pos;
        const std::size_t avail = static_cast<std::size_t>(std::min<std::uint64_t>(left, kDeflatedRunHeaderSize));
        const std::uint8_t* p = r.Fetch(pos, avail);
        if (!p) return false;
        RunHeader h;
        std::uint64_t size;
        if (IsRunLetter(p[0])) {
            if (!ParseRunHeader(p, avail, h)) return false;
            size = h.mHeaderSize + h.StoredBytes();
            total += h.mCount;
        } else if (FixedSize(p[0]) != 0) {
            size = 1 + FixedSize(p[0]);
            ++total;
        } else if ((p[0] == 'S' || p[0] == 'R') && avail >= 5) {
            size = 5 + static_cast<std::uint64_t>(GetU32(p + 1));
            ++total;
        } else {
            return false;
        }
        if (size > left) return false;
        pos += size;
    }
    return pos == rec.mValueEnd && total == rec.mValueCount;
}

// ---- Scope index ----

static void FinishIndex(ReadLevel& level) {
    level.mSlots.clear();
    level.mNames.clear();
    level.mNames.reserve(16);
    std::vector<std::uint32_t> slotOf(level.mRecords.size());
    std::string_view previous;
    for (std::size_t i = 0; i < level.mRecords.size(); ++i) {
        const Record& rec = level.mRecords[i];
        std::string_view name(level.mNameBase + rec.mNameAt, rec.mNameLength);
        // Runs of one name are common (arrays of records): skip the lookup.
        if (i > 0 && name == previous) {
            slotOf[i] = slotOf[i - 1];
            ++level.mSlots[slotOf[i]].mCount;
            continue;
        }
        previous = name;
        auto it = level.mNames.find(name);
        std::uint32_t s;
        if (it == level.mNames.end()) {
            s = static_cast<std::uint32_t>(level.mSlots.size());
            level.mNames.emplace(name, s);
            level.mSlots.emplace_back();
        } else {
            s = it->second;
        }
        slotOf[i] = s;
        ++level.mSlots[s].mCount;
    }
    std::uint32_t first = 0;
    for (NameSlot& slot : level.mSlots) {
        slot.mFirst = first;
        first += slot.mCount;
        slot.mCount = 0;
    }
    level.mOrder.assign(level.mRecords.size(), 0);
    for (std::size_t i = 0; i < level.mRecords.size(); ++i) {
        NameSlot& slot = level.mSlots[slotOf[i]];
        level.mOrder[slot.mFirst + slot.mCount++] = static_cast<std::uint32_t>(i);
    }
    level.mIndexed = true;
}

// Walks the records of a binary scope from its end (records keep their
// sizes in a trailer), checking every size against what encloses it.
static bool IndexBinary(KQelState& s, ReadLevel& level) {
    BodyReader& r = s.mReader;
    std::uint64_t begin = level.mBegin, pos = level.mEnd;
    if (pos < begin || pos - begin < kRecordTrailerSize) return false;
    const std::uint8_t* p = r.Fetch(pos - kRecordTrailerSize, kRecordTrailerSize, true);
    if (!p) return false;
    for (std::size_t i = 0; i < kRecordTrailerSize; ++i) {
        if (p[i] != 0) return false;  // the null record ends every scope
    }
    pos -= kRecordTrailerSize;
    level.mNameArena.clear();
    level.mRecords.clear();
    while (pos > begin) {
        std::uint64_t room = pos - begin;
        if (room < kRecordTrailerSize) return false;
        p = r.Fetch(pos - kRecordTrailerSize, kRecordTrailerSize, true);
        if (!p) return false;
        const std::uint64_t valueBytes = GetU64(p);
        const std::uint64_t blockBytes = GetU64(p + 8);
        const std::uint32_t count = GetU32(p + 16);
        const std::uint32_t nameLength = GetU32(p + 20);
        room -= kRecordTrailerSize;
        if (nameLength == 0 || nameLength > room) return false;
        room -= nameLength;
        if (valueBytes > room) return false;
        room -= valueBytes;
        if (blockBytes > room) return false;
        if (blockBytes != 0 && blockBytes < kRecordTrailerSize) return false;
        // The smallest single value takes 2 bytes; runs hold more, so a
        // count past that is checked against them before any caller can
        // size anything by it.
        const bool walk = static_cast<std::uint64_t>(count) * 2 > valueBytes;
        if (walk && !s.mPackedRuns) return false;
        const std::uint64_t nameAt = pos - kRecordTrailerSize - nameLength;
        Record rec;
        rec.mNameLength = nameLength;
        rec.mValueBegin = nameAt - blockBytes - valueBytes;
        rec.mValueEnd = rec.mValueBegin + valueBytes;
        rec.mValueCount = count;
        rec.mHasBlock = blockBytes != 0;
        rec.mBlockBegin = rec.mValueEnd;
        rec.mBlockEnd = rec.mValueEnd + blockBytes;
        if (walk && !CountMatches(s, rec)) return false;
        const std::uint8_t* name = nameLength <= 4096 ? r.Peek(nameAt, nameLength) : nullptr;
        const Record* next = level.mRecords.empty() ? nullptr : &level.mRecords.back();
        if (name && next && next->mNameLength == nameLength &&
            std::memcmp(name, level.mNameArena.data() + next->mNameAt, nameLength) == 0) {
            rec.mNameAt = next->mNameAt;  // same name as the next record: share it
        } else {
            rec.mNameAt = level.mNameArena.size();
            level.mNameArena.resize(level.mNameArena.size() + nameLength);
            if (name) {
                std::memcpy(&level.mNameArena[rec.mNameAt], name, nameLength);
            } else if (!r.Read(nameAt, &level.mNameArena[rec.mNameAt], nameLength)) {
                return false;
            }
        }
        level.mRecords.push_back(rec);
        pos = rec.mValueBegin;
    }
    std::reverse(level.mRecords.begin(), level.mRecords.end());
    level.mNameBase = level.mNameArena.data();
    return true;
}

bool qel_detail::IndexBinaryLevel(KQelState& s, ReadLevel& level) {
    bool ok = IndexBinary(s, level);
    if (!ok) level.mRecords.clear();
    FinishIndex(level);
    return ok;
}

static void IndexText(KQelState& s, ReadLevel& level) {
    const TextDocument& doc = s.mText;
    level.mRecords.clear();
    level.mNameBase = doc.mNames.data();
    std::uint64_t i = level.mBegin;
    while (i < level.mEnd && i < doc.mNodes.size()) {
        const TextNode& n = doc.mNodes[i];
        Record rec;
        rec.mNameAt = n.mNameOffset;
        rec.mNameLength = n.mNameLength;
        rec.mValueBegin = n.mValueOffset;
        rec.mValueEnd = n.mValueOffset;  // text values end where their count says
        rec.mValueCount = n.mValueCount;
        rec.mHasBlock = n.mHasBlock;
        rec.mBlockBegin = i + 1;
        rec.mBlockEnd = n.mEnd;
        level.mRecords.push_back(rec);
        i = n.mEnd > i ? n.mEnd : i + 1;
    }
}

static bool EnsureIndex(KQel& q, KQelState& s, ReadLevel& level) {
    if (level.mIndexed) return true;
    bool ok = true;
    if (s.IsText()) {
        IndexText(s, level);
    } else if (s.mSections[s.mCurrentSection].mLocked) {
        level.mRecords.clear();  // nothing is visible before the password
    } else if (!IndexBinary(s, level)) {
        level.mRecords.clear();
        level.mNameArena.clear();
        ok = false;
        q.GetError().SetLastErrorID(KQel::eFileCorrupted);
    }
    FinishIndex(level);
    return ok;
}

static inline KQelState* ReadState(const std::unique_ptr<KQelState>& st) {
    KQelState* s = st.get();
    if (s->mMode != Mode::kReading || s->mCurrentSection < 0 || s->mSectionWriting || s->mDepth == 0) {
        return nullptr;
    }
    return s;
}

// ---- Runs ----

// The field's values end here: what is left does not hold together.
static void EndCorrupted(KQel& q, ReadLevel& level) {
    level.mRemain = 0;
    level.mRunLeft = 0;
    q.GetError().SetLastErrorID(KQel::eFileCorrupted);
}

// A run starts at the current value position of a binary field.
static bool AtRun(KQelState& s, ReadLevel& level) {
    if (!s.mPackedRuns || level.mValuePos >= level.mValueEnd) return false;
    const std::uint8_t* p = s.mReader.Peek(level.mValuePos, 1);
    return p && IsRunLetter(*p);
}

// Takes the header of the run at the current position (a deflated run is
// inflated whole); false, the field's values ended, when the run does not
// fit its field or the trailer's count, or does not inflate to its size.
static bool EnterRun(KQel& q, KQelState& s, ReadLevel& level) {
    BodyReader& r = s.mReader;
    const std::uint64_t pos = level.mValuePos, left = level.mValueEnd - pos;
    const std::size_t avail = static_cast<std::size_t>(std::min<std::uint64_t>(left, kDeflatedRunHeaderSize));
    const std::uint8_t* p = r.Fetch(pos, avail);
    RunHeader& h = level.mRun;
    bool ok = p && ParseRunHeader(p, avail, h) && h.mCount <= level.mRemain &&
              h.StoredBytes() <= left - h.mHeaderSize;
    if (ok && h.mDeflated) {
        p = r.Fetch(pos + h.mHeaderSize, h.mStored);
        ok = p && InflateRun(h, p, level.mInflated);
        level.mInflatedPos = 0;
    }
    if (!ok) {
        EndCorrupted(q, level);
        return false;
    }
    level.mValuePos = pos + h.mHeaderSize + (h.mDeflated ? h.mStored : 0);
    level.mRunLeft = h.mCount;
    return true;
}

// The stored bytes of the run's next value, advancing; null on a failed read.
static inline const std::uint8_t* RunNext(KQelState& s, ReadLevel& level) {
    const std::size_t w = level.mRun.mWidth;
    const std::uint8_t* p;
    if (level.mRun.mDeflated) {
        p = level.mInflated.data() + level.mInflatedPos;
        level.mInflatedPos += w;
    } else {
        p = s.mReader.Peek(level.mValuePos, w);
        if (!p) return nullptr;
        level.mValuePos += w;
    }
    --level.mRunLeft;
    return p;
}

// The next value of a text field when it is a number written bare, parsed
// once, straight into out (integers without going through doubles); false,
// nothing consumed, for any other value.
template <class T>
static bool TextNumber(KQelState* s, T& out) {
    if (!s || !s->IsText()) return false;
    ReadLevel& level = s->Top();
    if (level.mCurrent < 0 || level.mRemain == 0 || ReadTextNumbers(s->mText, level.mValuePos, &out, 1) == 0)
        return false;
    --level.mRemain;
    level.mInRaw = false;
    return true;
}

// Up to n next values of the current field into out, runs decoded straight
// from the window; single into one value each otherwise. The number read.
template <class T, class Single>
static unsigned ReadValues(KQel& q, KQelState* s, T* out, unsigned n, Single single) {
    if (!s || !out) return 0;
    ReadLevel& level = s->Top();
    if (level.mCurrent < 0) return 0;
    unsigned i = 0;
    if (s->IsText()) {
        // Numbers written bare, parsed once each; anything else as single.
        while (i < n && level.mRemain > 0) {
            const std::size_t got = ReadTextNumbers(s->mText, level.mValuePos, out + i,
                                                    std::min<std::size_t>(n - i, level.mRemain));
            if (got > 0) {
                i += static_cast<unsigned>(got);
                level.mRemain -= static_cast<std::uint32_t>(got);
            } else {
                const std::uint32_t before = level.mRemain;
                const T value = single();
                if (level.mRemain + 1 != before) break;
                out[i++] = value;
            }
        }
        level.mInRaw = false;
        return i;
    }
    while (i < n && level.mRemain > 0) {
        if (level.mRunLeft == 0 && AtRun(*s, level) && !EnterRun(q, *s, level)) break;
        if (level.mRunLeft == 0) {
            const std::uint32_t before = level.mRemain;
            const T value = single();
            if (level.mRemain + 1 != before) break;
            out[i++] = value;
            continue;
        }
        const RunHeader& h = level.mRun;
        std::size_t k = std::min<std::size_t>(level.mRunLeft, n - i);
        if (h.mDeflated) {
            DecodeRun(h, level.mInflated.data() + level.mInflatedPos, k, out + i);
            level.mInflatedPos += k * h.mWidth;
        } else {
            k = std::min<std::size_t>(k, BodyReader::kWindow / 2 / h.mWidth);
            const std::uint8_t* p = s->mReader.Fetch(level.mValuePos, k * h.mWidth);
            if (!p) {
                EndCorrupted(q, level);
                break;
            }
            DecodeRun(h, p, k, out + i);
            level.mValuePos += k * h.mWidth;
        }
        level.mRunLeft -= static_cast<std::uint32_t>(k);
        level.mRemain -= static_cast<std::uint32_t>(k);
        i += static_cast<unsigned>(k);
    }
    level.mInRaw = false;
    return i;
}

// ---- Values ----

// A value of the text into v.
static void DecodeText(KQelState& s, ReadLevel& level, const TextToken& t, Value& v) {
    const char* text = s.mText.mText.data() + t.mBegin;
    const std::size_t length = static_cast<std::size_t>(t.mLength);
    v.mType = TextValueType(s.mText, t);
    v.mInt = 0;
    v.mDouble = 0.0;
    switch (v.mType) {
        case 'I':
        case 'L':
            ParseInteger(text, length, v.mInt);
            v.mDouble = static_cast<double>(v.mInt);
            break;
        case 'D':
            ParseDouble(text, length, v.mDouble);
            break;
        case 'C':
        case 'S':
            if (t.mKind == '"' || t.mKind == '\'') {
                Unescape(text, length, v.mText);
            } else {
                v.mText.assign(text, length);
            }
            if (v.mType == 'C') {
                v.mInt = v.mText.empty() ? 0 : static_cast<signed char>(v.mText[0]);
                v.mText.resize(v.mText.empty() ? 0 : 1);
            }
            break;
        default:  // 'R': hex digits, two a byte
            v.mInt = static_cast<long long>(length / 2);
            level.mRawPos = t.mBegin;
            break;
    }
}

// Decodes the next value of the current field into s.mValue; false when none.
static bool NextValue(KQel& q, KQelState& s, bool wantText) {
    ReadLevel& level = s.Top();
    level.mInRaw = false;
    if (level.mCurrent < 0 || level.mRemain == 0) return false;
    Value& v = s.mValue;
    if (s.IsText()) {
        TextToken t;
        if (!NextTextValue(s.mText, level.mValuePos, t)) {
            EndCorrupted(q, level);
            return false;
        }
        DecodeText(s, level, t, v);
        --level.mRemain;
        return true;
    }
    if (level.mRunLeft == 0 && AtRun(s, level) && !EnterRun(q, s, level)) return false;
    if (level.mRunLeft > 0) {
        const std::uint8_t* p = RunNext(s, level);
        if (p) {
            v.mType = level.mRun.mType;
            DecodeRunValue(level.mRun, p, v.mInt, v.mDouble);
            --level.mRemain;
            return true;
        }
    }
    BodyReader& r = s.mReader;
    std::uint64_t pos = level.mValuePos;
    const std::uint8_t* p = pos < level.mValueEnd && level.mRunLeft == 0 ? r.Fetch(pos, 1) : nullptr;
    std::size_t fixed = p ? FixedSize(*p) : 0;
    std::uint8_t type = p ? *p : 0;
    if (p && fixed != 0 && fixed <= level.mValueEnd - pos - 1) {
        p = r.Fetch(pos + 1, fixed);
        if (p) {
            v.mType = static_cast<char>(type);
            switch (type) {
                case 'C': v.mInt = static_cast<signed char>(p[0]); break;
                case 'I': v.mInt = static_cast<std::int32_t>(GetU32(p)); break;
                case 'L': v.mInt = static_cast<long long>(GetU64(p)); break;
                case 'F': {
                    float f;
                    std::uint32_t bits = GetU32(p);
                    std::memcpy(&f, &bits, 4);
                    v.mDouble = f;
                    break;
                }
                default: {
                    std::uint64_t bits = GetU64(p);
                    std::memcpy(&v.mDouble, &bits, 8);
                    break;
                }
            }
            level.mValuePos = pos + 1 + fixed;
            --level.mRemain;
            return true;
        }
    } else if (p && (type == 'S' || type == 'R') && level.mValueEnd - pos - 1 >= 4) {
        p = r.Fetch(pos + 1, 4);
        std::uint32_t len = p ? GetU32(p) : 0;
        if (p && len <= level.mValueEnd - pos - 5) {
            v.mType = static_cast<char>(type);
            v.mInt = len;
            if (type == 'R') {
                level.mRawPos = pos + 5;
            } else if (wantText) {
                s.mScratch.resize(len);
                if (len > 0 && !r.Read(pos + 5, &s.mScratch[0], len)) p = nullptr;
                std::size_t mark = s.mScratch.find(std::string_view("\0\1", 2));
                if (mark == std::string::npos) {
                    v.mText.swap(s.mScratch);
                } else {
                    // "name\0\1Kind" reads as "Kind::name".
                    v.mText.assign(s.mScratch, mark + 2, std::string::npos);
                    v.mText += "::";
                    v.mText.append(s.mScratch, 0, mark);
                }
            } else {
                v.mText.clear();
            }
            if (p) {
                level.mValuePos = pos + 5 + len;
                --level.mRemain;
                return true;
            }
        }
    }
    // A value that does not fit its field or has an unknown type.
    EndCorrupted(q, level);
    return false;
}

// ---- Field navigation ----

int KQel::FieldGetInstanceCount(const char* name) {
    KQelState* s = ReadState(mState);
    if (!s || !name) return 0;
    ReadLevel& level = s->Top();
    EnsureIndex(*this, *s, level);
    auto it = level.mNames.find(std::string_view(name));
    return it == level.mNames.end() ? 0 : static_cast<int>(level.mSlots[it->second].mCount);
}

bool KQel::FieldReadBegin(const char* name) {
    KQelState* s = ReadState(mState);
    if (!s || !name) return false;
    ReadLevel& level = s->Top();
    if (level.mCurrent >= 0) {
        mError.SetLastErrorID(eFieldNotClosed);
        level.mCurrent = -1;
    }
    EnsureIndex(*this, *s, level);
    auto it = level.mNames.find(std::string_view(name));
    if (it == level.mNames.end()) return false;
    NameSlot& slot = level.mSlots[it->second];
    if (slot.mCursor >= slot.mCount) return false;
    std::uint32_t index = level.mOrder[slot.mFirst + slot.mCursor++];
    const Record& rec = level.mRecords[index];
    level.mCurrent = static_cast<int>(index);
    level.mValuePos = rec.mValueBegin;
    level.mValueEnd = rec.mValueEnd;
    level.mRemain = rec.mValueCount;
    level.mRunLeft = 0;
    level.mInRaw = false;
    return true;
}

void KQel::FieldReadEnd() {
    KQelState* s = ReadState(mState);
    if (!s) return;
    s->Top().mCurrent = -1;
    s->Top().mInRaw = false;
}

void KQel::FieldReadResetPosition() {
    KQelState* s = ReadState(mState);
    if (!s) return;
    ReadLevel& level = s->Top();
    for (NameSlot& slot : level.mSlots) slot.mCursor = 0;
    level.mCurrent = -1;
    level.mInRaw = false;
}

bool KQel::FieldReadBlockBegin() {
    KQelState* s = ReadState(mState);
    if (!s) return false;
    ReadLevel& level = s->Top();
    if (level.mCurrent < 0) return false;
    const Record rec = level.mRecords[level.mCurrent];
    if (!rec.mHasBlock) return false;
    if (s->mLevels.size() <= s->mDepth) s->mLevels.resize(s->mDepth + 1);
    ReadLevel& inner = s->mLevels[s->mDepth++];
    inner.mBegin = rec.mBlockBegin;
    inner.mEnd = rec.mBlockEnd;
    inner.mIndexed = false;
    inner.mCurrent = -1;
    inner.mInRaw = false;
    return true;
}

void KQel::FieldReadBlockEnd() {
    KQelState* s = ReadState(mState);
    if (!s || s->mDepth <= 1) return;
    --s->mDepth;
}

int KQel::FieldReadGetCount() {
    KQelState* s = ReadState(mState);
    if (!s || s->Top().mCurrent < 0) return 0;
    return static_cast<int>(s->Top().mRecords[s->Top().mCurrent].mValueCount);
}

int KQel::FieldReadGetRemain() {
    KQelState* s = ReadState(mState);
    if (!s || s->Top().mCurrent < 0) return 0;
    return static_cast<int>(s->Top().mRemain);
}

char KQel::FieldReadGetType() {
    KQelState* s = ReadState(mState);
    if (!s) return 'S';
    ReadLevel& level = s->Top();
    if (level.mCurrent < 0 || level.mRemain == 0) return 'S';
    if (s->IsText()) {
        std::uint64_t pos = level.mValuePos;
        TextToken t;
        return NextTextValue(s->mText, pos, t) ? TextValueType(s->mText, t) : 'S';
    }
    if (level.mRunLeft > 0) return level.mRun.mType;
    const std::uint8_t* p =
        level.mValuePos < level.mValueEnd ? s->mReader.Fetch(level.mValuePos, 1) : nullptr;
    if (p && s->mPackedRuns && IsRunLetter(*p)) return static_cast<char>(*p - 'a' + 'A');
    return p ? static_cast<char>(*p) : 'S';
}

// ---- Values of the current field ----

// The next value of a run being read, without the general decoding; false
// when no run is being read.
template <class T>
static inline bool FromRun(KQelState* s, T& out) {
    if (!s || s->IsText()) return false;
    ReadLevel& level = s->Top();
    if (level.mCurrent < 0 || level.mRunLeft == 0 || level.mRemain == 0) return false;
    const std::uint8_t* p = RunNext(*s, level);
    if (!p) return false;
    DecodeRun(level.mRun, p, 1, &out);
    --level.mRemain;
    level.mInRaw = false;
    return true;
}

int KQel::FieldReadI() {
    KQelState* s = ReadState(mState);
    int v;
    if (FromRun(s, v) || TextNumber(s, v)) return v;
    return s && NextValue(*this, *s, true) ? ToInt(s->mValue) : 0;
}

kLongLong KQel::FieldReadLL() {
    KQelState* s = ReadState(mState);
    return s && NextValue(*this, *s, true) ? ToLL(s->mValue) : 0;
}

float KQel::FieldReadF() {
    return static_cast<float>(FieldReadD());
}

double KQel::FieldReadD() {
    KQelState* s = ReadState(mState);
    double d;
    if (FromRun(s, d) || TextNumber(s, d)) return d;
    if (s && !s->IsText()) {
        // Arrays of doubles dominate large files: take them without the
        // general decoding.
        ReadLevel& level = s->Top();
        if (level.mCurrent >= 0 && level.mRunLeft == 0 && level.mRemain > 0 &&
            level.mValueEnd - level.mValuePos >= 9) {
            const std::uint8_t* p = s->mReader.Peek(level.mValuePos, 9);
            if (p && p[0] == 'D') {
                std::uint64_t bits = GetU64(p + 1);
                std::memcpy(&d, &bits, 8);
                level.mValuePos += 9;
                --level.mRemain;
                level.mInRaw = false;
                return d;
            }
        }
    }
    return s && NextValue(*this, *s, true) ? ToDouble(s->mValue) : 0.0;
}

char KQel::FieldReadCH() {
    KQelState* s = ReadState(mState);
    if (!s || !NextValue(*this, *s, true)) return 0;
    const Value& v = s->mValue;
    if (v.mType == 'S') return v.mText.empty() ? 0 : v.mText[0];
    return static_cast<char>(ToLL(v));
}

const char* KQel::FieldReadC() {
    KQelState* s = ReadState(mState);
    if (!s) return "";
    s->mResult.clear();
    if (!NextValue(*this, *s, true)) return s->mResult.c_str();
    const Value& v = s->mValue;
    switch (v.mType) {
        case 'S': s->mResult = v.mText; break;
        case 'C':
            if (v.mInt != 0) s->mResult.assign(1, static_cast<char>(v.mInt));
            break;
        case 'I':
        case 'L': AppendInteger(s->mResult, v.mInt); break;
        case 'F':
        case 'D': AppendDouble(s->mResult, v.mDouble); break;
        default: break;
    }
    return s->mResult.c_str();
}

KTime KQel::FieldReadT() {
    KQelState* s = ReadState(mState);
    if (!s || !NextValue(*this, *s, true)) return KTime(0);
    const Value& v = s->mValue;
    bool ticks = s->IsText() ? s->mSections[s->mCurrentSection].mVersion > 2000 : v.mType == 'L';
    if (ticks) return KTime(ToLL(v));
    KTime t;
    t.SetSecondDouble(ToDouble(v));
    return t;
}

KTimeSpan KQel::FieldReadTS() {
    KTime start = FieldReadT();
    KTime stop = FieldReadT();
    return KTimeSpan(start, stop);
}

bool KQel::FieldReadRBegin(kUInt* size) {
    KQelState* s = ReadState(mState);
    if (size) *size = 0;
    if (!s) return false;
    char type = FieldReadGetType();
    if (type != 'R' || !NextValue(*this, *s, false)) return false;
    ReadLevel& level = s->Top();
    level.mInRaw = true;
    level.mRawLeft = static_cast<std::uint32_t>(s->mValue.mInt);
    if (size) *size = level.mRawLeft;
    return true;
}

kUInt KQel::FieldReadRPart(void* buffer, kUInt size) {
    KQelState* s = ReadState(mState);
    if (!s || !buffer) return 0;
    ReadLevel& level = s->Top();
    if (!level.mInRaw) return 0;
    kUInt n = size < level.mRawLeft ? size : level.mRawLeft;
    if (n == 0) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (s->IsText()) {
        const char* hex = s->mText.mText.data() + level.mRawPos;
        for (kUInt i = 0; i < n; ++i) {
            auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
            out[i] = static_cast<std::uint8_t>(digit(hex[2 * i]) * 16 + digit(hex[2 * i + 1]));
        }
        level.mRawPos += 2 * static_cast<std::uint64_t>(n);
    } else {
        if (!s->mReader.Read(level.mRawPos, out, n)) {
            level.mInRaw = false;
            mError.SetLastErrorID(eFileCorrupted);
            return 0;
        }
        level.mRawPos += n;
    }
    level.mRawLeft -= n;
    return n;
}

void KQel::FieldReadREnd() {
    KQelState* s = ReadState(mState);
    if (s) s->Top().mInRaw = false;
}

// ---- Read by name ----

int KQel::FieldReadI(const char* name, int defaultValue) {
    if (!FieldReadBegin(name)) return defaultValue;
    int v = FieldReadI();
    FieldReadEnd();
    return v;
}

kLongLong KQel::FieldReadLL(const char* name, kLongLong defaultValue) {
    if (!FieldReadBegin(name)) return defaultValue;
    kLongLong v = FieldReadLL();
    FieldReadEnd();
    return v;
}

double KQel::FieldReadD(const char* name, double defaultValue) {
    if (!FieldReadBegin(name)) return defaultValue;
    double v = FieldReadD();
    FieldReadEnd();
    return v;
}

char KQel::FieldReadCH(const char* name, char defaultValue) {
    if (!FieldReadBegin(name)) return defaultValue;
    char v = FieldReadCH();
    FieldReadEnd();
    return v;
}

const char* KQel::FieldReadC(const char* name, const char* defaultValue) {
    if (!FieldReadBegin(name)) return defaultValue ? defaultValue : "";
    const char* v = FieldReadC();
    FieldReadEnd();
    return v;
}

KTime KQel::FieldReadT(const char* name) {
    if (!FieldReadBegin(name)) return KTime(0);
    KTime v = FieldReadT();
    FieldReadEnd();
    return v;
}

KTimeSpan KQel::FieldReadTS(const char* name) {
    if (!FieldReadBegin(name)) return KTimeSpan();
    KTimeSpan v = FieldReadTS();
    FieldReadEnd();
    return v;
}

void KQel::FieldReadDn(const char* name, double* values, const double* defaults, unsigned int n) {
    if (!values) return;
    if (!FieldReadBegin(name)) {
        if (defaults) std::memcpy(values, defaults, sizeof(double) * n);
        return;
    }
    for (unsigned int i = FieldReadDn(values, n); i < n; ++i) values[i] = 0.0;
    FieldReadEnd();
}

unsigned int KQel::FieldReadDn(double* values, unsigned int n) {
    return ReadValues(*this, ReadState(mState), values, n, [this] { return FieldReadD(); });
}

unsigned int KQel::FieldReadIn(int* values, unsigned int n) {
    return ReadValues(*this, ReadState(mState), values, n, [this] { return FieldReadI(); });
}

}  // namespace qelsdk_600
