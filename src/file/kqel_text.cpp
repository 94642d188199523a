// Text form: tokenizer and parser, escapes, locale-independent numbers.
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#endif

// The C++ library's from_chars for doubles rounds some inputs wrongly on
// 32-bit x86; this parser rounds correctly on every target.
#include <fast_float/fast_float.h>

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

namespace {

// Classes of the bytes, looked up once per byte of a file of millions of
// values: 1 blank, 2 other delimiter.
struct ByteClasses {
    std::uint8_t mClass[256] = {};
    constexpr ByteClasses() {
        for (unsigned char c : {' ', '\t', '\r', '\n'}) mClass[c] = 1;
        for (unsigned char c : {';', '{', '}', ',', ':', '"', '\'', '#'}) mClass[c] = 2;
    }
};
constexpr ByteClasses kBytes;

bool IsSpace(char c) { return kBytes.mClass[static_cast<unsigned char>(c)] == 1; }

bool IsDelimiter(char c) { return kBytes.mClass[static_cast<unsigned char>(c)] != 0; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A token of the text: a value's kinds, or the punctuation itself.
typedef TextToken Token;

class Tokenizer {
public:
    Tokenizer(const TextBytes& text, std::uint64_t pos) : mText(text), mPos(pos) {}

    // Skips blanks and comments; false at the end of the text. Bytes are
    // tested with Has, which reads them in on demand while parsing.
    bool SkipBlank() {
        while (mText.Has(mPos)) {
            char c = mText[mPos];
            if (IsSpace(c)) {
                ++mPos;
            } else if (c == ';') {
                while (mText.Has(mPos) && mText[mPos] != '\n') ++mPos;
            } else {
                return true;
            }
        }
        return false;
    }

    char Peek() const { return mText[mPos]; }
    std::uint64_t Pos() const { return mPos; }
    void SetPos(std::uint64_t pos) { mPos = pos; }

    // Reads the token at the position (SkipBlank has returned true).
    bool Next(Token& t, std::string& reason) {
        char c = mText[mPos];
        t.mKind = c;
        if (c == '"' || c == '\'') {
            std::uint64_t p = mPos + 1;
            while (mText.Has(p) && mText[p] != c) p += (mText[p] == '\\') ? 2 : 1;
            if (!mText.Has(p)) {
                reason = "unterminated quoted text";
                return false;
            }
            t.mBegin = mPos + 1;
            t.mLength = p - t.mBegin;
            mPos = p + 1;
            return true;
        }
        if (c == '#') {
            std::uint64_t p = mPos + 1;
            while (mText.Has(p) && HexDigit(mText[p]) >= 0) ++p;
            t.mBegin = mPos + 1;
            t.mLength = p - t.mBegin;
            mPos = p;
            if (t.mLength % 2 != 0 || (mText.Has(p) && !IsDelimiter(mText[p]))) {
                reason = "bad raw value";
                return false;
            }
            return true;
        }
        if (c == '{' || c == '}' || c == ',' || c == ':') {
            t.mBegin = mPos++;
            t.mLength = 1;
            return true;
        }
        std::uint64_t p = mPos;
        while (mText.Has(p) && !IsDelimiter(mText[p])) ++p;
        t.mKind = 'b';
        t.mBegin = mPos;
        t.mLength = p - mPos;
        mPos = p;
        return true;
    }

private:
    const TextBytes& mText;
    std::uint64_t mPos;
};

char ClassifyBare(const char* text, std::size_t length) {
    long long i;
    // "-0" is how a negative zero double is written; as an integer it would
    // lose its sign.
    if (ParseInteger(text, length, i) && !(i == 0 && text[0] == '-'))
        return (i >= INT_MIN && i <= INT_MAX) ? 'I' : 'L';
    double d;
    if (ParseDouble(text, length, d)) return 'D';
    return length == 1 ? 'C' : 'S';
}

bool IsNameToken(const Token& t) { return t.mKind == 'b' || t.mKind == '"'; }

// Set bits of a 16-bit mask, without the library call a plain build makes.
inline std::uint32_t BitCount16(unsigned v) {
    v = v - ((v >> 1) & 0x5555u);
    v = (v & 0x3333u) + ((v >> 2) & 0x3333u);
    v = (v + (v >> 4)) & 0x0f0fu;
    return (v + (v >> 8)) & 0x1fu;
}

// Set bits of a 64-bit mask.
inline std::uint32_t BitCount64(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return static_cast<std::uint32_t>((v * 0x0101010101010101ull) >> 56);
}

#if defined(__i386__) || defined(__x86_64__)
#define QEL_TEXT_WIDE 1
// The 64-byte pieces of SkipDenseValues below, one register each: the
// largest share of a big file's parsing. Same contract; p and afterComma
// carry on where it stops.
__attribute__((target("avx512f,avx512bw,popcnt"))) std::uint32_t SkipDenseWide(const char* data, std::uint64_t size,
                                                                                std::uint64_t& pos, std::uint64_t& p,
                                                                                bool& afterComma) {
    const __m512i plus = _mm512_set1_epi8('+'), span = _mm512_set1_epi8('9' - '+'), comma = _mm512_set1_epi8(',');
    std::uint32_t count = 0;
    while (size - p >= 64) {
        const __m512i bytes = _mm512_loadu_si512(data + p);
        const std::uint64_t numeric = _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, plus), span);
        const std::uint64_t commas = _mm512_cmpeq_epi8_mask(bytes, comma);
        if (numeric != ~0ull || (commas & (commas << 1)) != 0 || (afterComma && (commas & 1) != 0)) break;
        if (commas != 0) {
            count += static_cast<std::uint32_t>(__builtin_popcountll(commas));
            pos = p + static_cast<unsigned>(63 - __builtin_clzll(commas)) + 1;
        }
        afterComma = (commas >> 63) != 0;
        p += 64;
    }
    return count;
}
#endif

// Counts the values at pos (just after a ',') that are bare and each ended
// by a ',' alone: the long lists of numbers, sixty-four bytes at a time
// while they hold only '+' to '9', then sixteen. pos moves past the last
// such ','; anything else (blanks, quotes, an empty value, the list's last
// value) is left for the tokenizer.
std::uint32_t SkipDenseValues(const char* data, std::uint64_t size, std::uint64_t& pos) {
#if defined(__SSE2__)
    static const char kStops[] = {' ', '\t', '\r', '\n', ';', '{', '}', ':', '"', '\'', '#'};
    const __m128i comma = _mm_set1_epi8(',');
    std::uint64_t p = pos;
    std::uint32_t count = 0;
    bool afterComma = true;
#ifdef QEL_TEXT_WIDE
    if (size - p >= 64 && HasWideVectors()) count = SkipDenseWide(data, size, pos, p, afterComma);
#endif
    // Whole pieces of digits, signs, points and commas with no empty value:
    // what the loop below would count in four steps. Anything else is left
    // to it. The commas are summed in byte lanes and the last one found
    // only at the end: a 64-bit mask per piece costs the 32-bit target
    // several instructions for each of its shifts, counts and scans. A
    // comma with a comma before it (the byte before p included: pos follows
    // one) is an empty value.
    const __m128i plus = _mm_set1_epi8('+'), span = _mm_set1_epi8('9' - '+');
    const std::uint64_t first = p;
    std::uint64_t lastCommas = size;  // the last piece holding a ','
    __m128i lanes = _mm_setzero_si128();
    unsigned pieces = 0;
    while (size - p >= 64) {
        const char* const at = data + p;
        __m128i highest = _mm_setzero_si128(), empty = _mm_setzero_si128(), any = _mm_setzero_si128();
        __m128i commas[4];
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k - 1));
            highest = _mm_max_epu8(highest, _mm_sub_epi8(bytes, plus));
            commas[k] = _mm_cmpeq_epi8(bytes, comma);
            empty = _mm_or_si128(empty, _mm_and_si128(commas[k], _mm_cmpeq_epi8(before, comma)));
            any = _mm_or_si128(any, commas[k]);
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(highest, span), span)) != 0xffff ||
            _mm_movemask_epi8(empty) != 0)
            break;
        if (_mm_movemask_epi8(any) != 0) lastCommas = p;
        // Each lane gains at most 4 a piece: emptied before 256.
        for (int k = 0; k < 4; ++k) lanes = _mm_sub_epi8(lanes, commas[k]);
        p += 64;
        if (++pieces == 63) {
            const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
            count += static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
            lanes = _mm_setzero_si128();
            pieces = 0;
        }
    }
    {
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    if (lastCommas != size) {
        unsigned last = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + lastCommas + 16 * k)), comma)));
            if (mask != 0) last = 16 * k + static_cast<unsigned>(31 - __builtin_clz(mask));
        }
        pos = lastCommas + last + 1;
    }
    if (p != first) afterComma = data[p - 1] == ',';
    while (size - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        // Lists of numbers hold only '+' to '9' (',', '-', '.', digits)
        // and 'e' or 'E': such a piece needs no look for each stop byte.
        const __m128i fromPlus = _mm_sub_epi8(bytes, _mm_set1_epi8('+'));
        const __m128i numeric = _mm_or_si128(
            _mm_cmpeq_epi8(_mm_max_epu8(fromPlus, _mm_set1_epi8('9' - '+')), _mm_set1_epi8('9' - '+')),
            _mm_cmpeq_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('e')));
        unsigned stopMask = 0;
        if (_mm_movemask_epi8(numeric) != 0xffff) {
            __m128i stops = _mm_setzero_si128();
            for (char c : kStops) stops = _mm_or_si128(stops, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)));
            stopMask = static_cast<unsigned>(_mm_movemask_epi8(stops));
        }
        const unsigned before = stopMask ? static_cast<unsigned>(__builtin_ctz(stopMask)) : 16;
        const unsigned commas =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma))) & ((1u << before) - 1);
        if ((commas & (commas << 1)) != 0 || (afterComma && (commas & 1) != 0)) break;  // an empty value
        if (commas != 0) {
            count += BitCount16(commas);
            pos = p + static_cast<unsigned>(31 - __builtin_clz(commas)) + 1;
        }
        if (before < 16) break;
        afterComma = (commas >> 15) != 0;
        p += 16;
    }
    return count;
#else
    (void)data;
    (void)size;
    (void)pos;
    return 0;
#endif
}

}  // namespace

bool ParseInteger(const char* text, std::size_t length, long long& out) {
    if (length == 0) return false;
    const bool negative = text[0] == '-';
    const std::size_t digits = length - (negative ? 1 : 0);
    if (digits == 0 || digits > 18) {
        // Long ones may overflow: the library checks them.
        auto r = std::from_chars(text, text + length, out, 10);
        return r.ec == std::errc() && r.ptr == text + length;
    }
    // Eighteen digits never overflow 64 bits.
    long long value = 0;
    for (std::size_t i = length - digits; i < length; ++i) {
        const unsigned d = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (d > 9) return false;
        value = value * 10 + static_cast<long long>(d);
    }
    out = negative ? -value : value;
    return true;
}

bool ParseDouble(const char* text, std::size_t length, double& out) {
    if (length == 0) return false;
    // Out of range gives infinity or zero of the same sign, as the nearest
    // double.
    auto r = fast_float::from_chars(text, text + length, out);
    return r.ec == std::errc() && r.ptr == text + length;
}

void AppendInteger(std::string& out, long long value) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendDouble(std::string& out, double value) {
    char buf[32];
    // The shortest text that reads back to the same double.
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendFloat(std::string& out, float value) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendQuoted(std::string& out, const char* text, std::size_t length, char quote) {
    static const char kHex[] = "0123456789abcdef";
    out += quote;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' || c == static_cast<unsigned char>(quote)) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += quote;
}

void Unescape(const char* text, std::size_t length, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= length) {
            out += c;
            continue;
        }
        char e = text[++i];
        switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                int hi = i + 1 < length ? HexDigit(text[i + 1]) : -1;
                int lo = i + 2 < length ? HexDigit(text[i + 2]) : -1;
                if (hi >= 0 && lo >= 0) {
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                } else {
                    out += 'x';
                }
                break;
            }
            default: out += e; break;
        }
    }
}

bool NextTextValue(const TextDocument& doc, std::uint64_t& pos, TextToken& token) {
    Tokenizer tk(doc.mText, pos);
    std::string reason;
    if (!tk.SkipBlank() || !tk.Next(token, reason)) return false;
    if (tk.SkipBlank() && tk.Peek() == ',') tk.SetPos(tk.Pos() + 1);
    pos = tk.Pos();
    return true;
}

// Past blanks and comments from p; end when nothing else is left.
static const char* SkipBlanks(const char* p, const char* end) {
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (kBytes.mClass[c] == 1) {
            ++p;
        } else if (c == ';') {
            const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            p = nl ? static_cast<const char*>(nl) : end;
        } else {
            break;
        }
    }
    return p;
}

namespace {

const double kTens[16] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The number written bare at p (blanks and comments before it skipped): 1
// an integer, 2 a double, p moved past it and its ','; 0, p unchanged, for
// any other value. The text ends with a blank past end (TextBytes), which
// stops the digits.
inline int ScanNumber(const char* end, const char*& at, long long& integer, double& real) {
    const char* p = SkipBlanks(at, end);
    if (p == end || IsDelimiter(*p)) return 0;
    const char* const begin = p;
    const bool negative = *p == '-';
    if (negative) ++p;
    const char* const digitsBegin = p;
    // Digits summed as they are met: most values of large files are plain
    // integers, which this one pass reads whole.
    unsigned long long value = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
        value = value * 10 + d;
        ++p;
    }
    const std::size_t digits = static_cast<std::size_t>(p - digitsBegin);
    int kind;
    long long i = 0;
    if (*p == '.') {
        // Decimals of at most 15 digits, no exponent: the digits are exact
        // in a double, and so is the power of ten (Clinger's fast path), so
        // one division rounds correctly.
        const char* q = p + 1;
        unsigned long long mantissa = value;
        while ((d = static_cast<unsigned char>(*q) - static_cast<unsigned>('0')) <= 9) {
            mantissa = mantissa * 10 + d;
            ++q;
        }
        const std::size_t decimals = static_cast<std::size_t>(q - p - 1);
        if (digits + decimals > 0 && digits + decimals <= 15 && (q == end || IsDelimiter(*q))) {
            const double r = static_cast<double>(mantissa) / kTens[decimals];
            real = negative ? -r : r;
            p = SkipBlanks(q, end);
            if (p < end && *p == ',') ++p;
            at = p;
            return 2;
        }
    }
    if (p == end || IsDelimiter(*p)) {
        const std::size_t length = static_cast<std::size_t>(p - begin);
        if (digits == 0) return 0;
        if (value == 0 && negative) {
            real = -0.0;  // "-0" is the double negative zero
            kind = 2;
        } else if (digits <= 18) {
            integer = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
            kind = 1;
        } else if (ParseInteger(begin, length, i)) {
            integer = i;
            kind = 1;
        } else if (ParseDouble(begin, length, real)) {
            kind = 2;
        } else {
            return 0;
        }
    } else {
        // The same number whole, correctly rounded; it must end where the
        // token does.
        const auto r = fast_float::from_chars(begin, end, real);
        if (r.ec != std::errc() || (r.ptr != end && !IsDelimiter(*r.ptr))) return 0;
        p = r.ptr;
        kind = 2;
    }
    p = SkipBlanks(p, end);
    if (p < end && *p == ',') ++p;
    at = p;
    return kind;
}

// A number of at most nine digits as a double through a 32-bit int: the
// 32-bit target converts 64-bit integers by several instructions.
inline double ToDouble(long long integer) {
    const auto narrow = static_cast<std::int32_t>(integer);
    return narrow == integer ? static_cast<double>(narrow) : static_cast<double>(integer);
}

inline void Convert(int kind, long long integer, double real, double& out) {
    out = kind == 1 ? ToDouble(integer) : real;
}

inline void Convert(int kind, long long integer, double real, int& out) {
    out = kind == 2 ? RealToInt(real) : integer > INT_MAX ? INT_MAX : integer < INT_MIN ? INT_MIN : static_cast<int>(integer);
}

const std::uint64_t kPowers[16] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
                                   100000000ull, 1000000000ull, 10000000000ull, 100000000000ull,
                                   1000000000000ull, 10000000000000ull, 100000000000000ull, 1000000000000000ull};

const std::uint32_t kPowers32[10] = {1u,      10u,      100u,      1000u,      10000u,
                                     100000u, 1000000u, 10000000u, 100000000u, 1000000000u};

// The digits from p on as a number, wrapping past 32 bits; returns the
// first byte after them. A 32-bit sum holds nine digits, and on the 32-bit
// target a 64-bit one costs several instructions a digit.
inline const char* SumDigits(const char* p, std::uint32_t& value) {
    std::uint32_t sum = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
        sum = sum * 10 + d;
        ++p;
    }
    value = sum;
    return p;
}

// The digits from p to e, at most 19, in 64 bits: the rare longer values.
inline std::uint64_t SumDigits64(const char* p, const char* e) {
    std::uint64_t value = 0;
    for (; p < e; ++p) value = value * 10 + static_cast<unsigned>(*p - '0');
    return value;
}

// A number of at most nine digits, which an int32 holds: neither a 64-bit
// conversion nor a clamp. "-0" is the double negative zero.
inline void StoreShort(bool negative, std::uint32_t value, double& out) {
    const double magnitude = static_cast<double>(static_cast<std::int32_t>(value));
    out = negative ? -magnitude : magnitude;
}

inline void StoreShort(bool negative, std::uint32_t value, int& out) {
    const auto v = static_cast<std::int32_t>(value);
    out = negative ? -v : v;
}

// Most values of large lists, read as ScanNumber reads them without its
// general checks: digits, perhaps a point and more digits, at most fifteen
// in all, then a ','. False, at unchanged, for any other value. Values of
// at most nine digits, most of them, are read in 32 bits.
template <class T>
inline bool ScanShortNumber(const char*& at, T& out) {
    const bool negative = *at == '-';
    const char* const digitsBegin = at + (negative ? 1 : 0);
    std::uint32_t value;
    const char* const p = SumDigits(digitsBegin, value);
    const std::size_t digits = static_cast<std::size_t>(p - digitsBegin);
    if (digits - 1 >= 15) return false;
    if (*p == ',') {
        if (digits <= 9) {
            StoreShort(negative, value, out);
        } else {
            const auto wide = static_cast<long long>(SumDigits64(digitsBegin, p));
            Convert(1, negative ? -wide : wide, 0.0, out);
        }
        at = p + 1;
        return true;
    }
    if (*p != '.') return false;
    std::uint32_t fraction;
    const char* const q = SumDigits(p + 1, fraction);
    const std::size_t decimals = static_cast<std::size_t>(q - p - 1);
    if (digits + decimals > 15 || *q != ',') return false;
    // All the digits as one integer, then Clinger's fast path, as in
    // ScanNumber.
    double magnitude;
    if (digits + decimals <= 9) {
        magnitude = static_cast<double>(static_cast<std::int32_t>(value * kPowers32[decimals] + fraction)) /
                    kTens[decimals];
    } else {
        const std::uint64_t wide = SumDigits64(digitsBegin, p) * kPowers[decimals] + SumDigits64(p + 1, q);
        magnitude = ToDouble(static_cast<long long>(wide)) / kTens[decimals];
    }
    Convert(2, 0, negative ? -magnitude : magnitude, out);
    at = q + 1;
    return true;
}

template <class T>
std::size_t ScanNumbers(const TextDocument& doc, std::uint64_t& pos, T* out, std::size_t n) {
    const char* const base = doc.mText.data();
    const char* const end = base + doc.mText.size();
    const char* p = base + pos;
    long long integer = 0;
    double real = 0.0;
    std::size_t i = 0;
    for (; i < n; ++i) {
        if (ScanShortNumber(p, out[i])) continue;
        const int kind = ScanNumber(end, p, integer, real);
        if (kind == 0) break;
        Convert(kind, integer, real, out[i]);
    }
    pos = static_cast<std::uint64_t>(p - base);
    return i;
}

// Lists of integers by pieces of 64 bytes. Not on the 32-bit target: there
// the 64-bit multiplications cost more than the branches they save.
#if defined(__SSE2__) && defined(__x86_64__)
#define QEL_TEXT_DENSE 1
// Masks keeping the last len (0 to 8) of eight digit bytes as their values.
const std::uint64_t kDigitMasks[9] = {0, 0x0f00000000000000ull, 0x0f0f000000000000ull, 0x0f0f0f0000000000ull,
                                      0x0f0f0f0f00000000ull, 0x0f0f0f0f0f000000ull, 0x0f0f0f0f0f0f0000ull,
                                      0x0f0f0f0f0f0f0f00ull, 0x0f0f0f0f0f0f0f0full};

// The value of the len (0 to 8) digits just before e, from one load of the
// eight bytes before e (the bytes before the digits count as zeros).
inline std::uint32_t DigitsBefore(const char* e, unsigned len) {
    std::uint64_t w;
    std::memcpy(&w, e - 8, 8);
    w &= kDigitMasks[len];
    w = (w * 2561) >> 8;  // pairs of digits, then fours, then all eight
    w = ((w & 0x00ff00ff00ff00ffull) * 6553601) >> 16;
    return static_cast<std::uint32_t>(((w & 0x0000ffff0000ffffull) * 42949672960001ull) >> 32);
}

inline std::uint64_t ByteMask(__m128i bytes, char c) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

// The integers of the 64 bytes at p (end - p >= 64, p - base >= 8) that a
// ',' ends, when every byte up to the last such ',' is a digit, a ',' or a
// '-' first in its number: at most n into out, p moved past their ','. Each
// number's end comes from one mask of the commas and its value from one
// load of the eight bytes before its ',', so that its length costs no
// branch. Stops before a number of more than eight digits; 0, p unchanged,
// for any other piece.
std::size_t ScanDenseInts(const char*& p, int* out, std::size_t n) {
    std::uint64_t other = 0, commas = 0, minus = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const __m128i fromZero = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const std::uint64_t digit = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(fromZero, _mm_set1_epi8(9)), _mm_set1_epi8(9))));
        const std::uint64_t comma = ByteMask(bytes, ','), sign = ByteMask(bytes, '-');
        other |= (~(digit | comma | sign) & 0xffffu) << (16 * k);
        commas |= comma << (16 * k);
        minus |= sign << (16 * k);
    }
    if (other != 0) commas &= (other & (0 - other)) - 1;  // the commas before any other byte
    if (commas == 0) return 0;
    const unsigned last = 63 - static_cast<unsigned>(__builtin_clzll(commas));
    const std::uint64_t used = last == 63 ? ~0ull : (2ull << last) - 1;
    // A '-' only first in its number, and no number without a digit: no ','
    // where a number starts or right after its '-'.
    const std::uint64_t starts = (commas << 1) | 1;
    if (((minus & ~starts) | (commas & (starts | (minus << 1)))) & used) return 0;
    const char* const chunk = p;
    std::size_t i = 0;
    unsigned s = 0;
    for (; commas != 0 && i < n; ++i) {
        const unsigned e = static_cast<unsigned>(__builtin_ctzll(commas));
        const unsigned negative = static_cast<unsigned>(minus >> s) & 1;
        const unsigned len = e - s - negative;
        if (len > 8) break;
        commas &= commas - 1;
        const int value = static_cast<int>(DigitsBefore(chunk + e, len));
        out[i] = negative ? -value : value;  // "-0" reads as 0, as its double does
        s = e + 1;
    }
    p = chunk + s;
    return i;
}
#endif

}  // namespace

std::size_t ReadTextNumbers(const TextDocument& doc, std::uint64_t& pos, double* out, std::size_t n) {
    return ScanNumbers(doc, pos, out, n);
}

std::size_t ReadTextNumbers(const TextDocument& doc, std::uint64_t& pos, int* out, std::size_t n) {
#ifdef QEL_TEXT_DENSE
    // Long lists of indices a piece of 64 bytes at a time; the number across
    // a piece's end, and any a piece leaves, one at a time. Past a piece that
    // takes none, the next is tried a few pieces on, so that lists of other
    // values do not pay for the look at each. A value or a few read alone
    // are not worth a piece.
    if (n < 8) return ScanNumbers(doc, pos, out, n);
    const char* const base = doc.mText.data();
    const char* const end = base + doc.mText.size();
    std::uint64_t retry = pos;
    std::size_t i = 0;
    while (i < n) {
        const char* p = base + pos;
        if (pos >= retry && end - p >= 64 && p - base >= 8) {
            const std::size_t got = ScanDenseInts(p, out + i, n - i);
            if (got > 0) {
                i += got;
                pos = static_cast<std::uint64_t>(p - base);
                continue;
            }
            retry = pos + 256;
        }
        if (ScanNumbers(doc, pos, out + i, 1) == 0) break;
        ++i;
    }
    return i;
#else
    return ScanNumbers(doc, pos, out, n);
#endif
}

char TextValueType(const TextDocument& doc, const TextToken& token) {
    switch (token.mKind) {
        case '"': return 'S';
        case '\'': return 'C';
        case '#': return 'R';
        default: return ClassifyBare(doc.mText.data() + token.mBegin, static_cast<std::size_t>(token.mLength));
    }
}

bool ParseText(TextDocument& doc, std::string& reason) {
    doc.mNodes.clear();
    doc.mNames.clear();
    const TextBytes& text = doc.mText;
    Tokenizer tk(text, 0);  // the magic line is a comment
    std::vector<std::uint64_t> open;  // nodes whose block is open
    std::string name;
    Token t;
    while (true) {
        if (!tk.SkipBlank()) break;
        if (!tk.Next(t, reason)) return false;
        if (t.mKind == '}') {
            if (open.empty()) {
                reason = "'}' without a block";
                return false;
            }
            doc.mNodes[open.back()].mEnd = doc.mNodes.size();
            open.pop_back();
            continue;
        }
        if (!IsNameToken(t)) {
            reason = "field name expected";
            return false;
        }
        if (t.mKind == '"') {
            Unescape(text.data() + t.mBegin, t.mLength, name);
        } else {
            name.assign(text.data() + t.mBegin, t.mLength);
        }
        if (name.empty() || !tk.SkipBlank() || tk.Peek() != ':') {
            reason = "field name and ':' expected";
            return false;
        }
        tk.Next(t, reason);
        TextNode node;
        node.mNameOffset = doc.mNames.size();
        node.mNameLength = static_cast<std::uint32_t>(name.size());
        node.mValueOffset = tk.Pos();
        node.mValueCount = 0;
        node.mHasBlock = false;
        node.mEnd = doc.mNodes.size() + 1;
        doc.mNames += name;
        std::uint64_t self = doc.mNodes.size();
        doc.mNodes.push_back(node);

        bool needValue = false;  // after a ','
        while (tk.SkipBlank()) {
            std::uint64_t before = tk.Pos();
            char c = tk.Peek();
            if (c == '{') {
                tk.Next(t, reason);
                doc.mNodes[self].mHasBlock = true;
                open.push_back(self);
                break;
            }
            if (c == '}' || c == ',' || c == ':') {
                if (needValue || c != '}') {
                    reason = "value expected";
                    return false;
                }
                break;
            }
            if (!tk.Next(t, reason)) return false;
            // A token followed by ':' names the next field. The blanks
            // after a value are skipped once, for both tests.
            const bool more = tk.SkipBlank();
            if (more && tk.Peek() == ':' && IsNameToken(t)) {
                if (needValue) {
                    reason = "value expected";
                    return false;
                }
                tk.SetPos(before);
                break;
            }
            if (!needValue && doc.mNodes[self].mValueCount > 0) {
                reason = "',' expected between values";
                return false;
            }
            if (t.mLength > 0xffffffffu) {
                reason = "value too long";
                return false;
            }
            if (++doc.mNodes[self].mValueCount == 0) {
                reason = "too many values";
                return false;
            }
            needValue = more && tk.Peek() == ',';
            if (needValue) {
                tk.SetPos(tk.Pos() + 1);
                std::uint64_t pos = tk.Pos();
                // Only as far as the bytes read so far; the tokenizer reads
                // on past them.
                const std::uint32_t dense = SkipDenseValues(text.data(), text.loaded(), pos);
                if (dense > 0xffffffffu - doc.mNodes[self].mValueCount) {
                    reason = "too many values";
                    return false;
                }
                doc.mNodes[self].mValueCount += dense;
                tk.SetPos(pos);
            }
        }
        if (needValue) {
            reason = "value expected after ','";
            return false;
        }
    }
    if (!open.empty()) {
        reason = "block not closed";
        return false;
    }
    return true;
}

}  // namespace qel_detail
}  // namespace qelsdk_600
