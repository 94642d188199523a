// Packed runs of values: how a writer stores a field's values of one type,
// and how a reader takes them back. Both directions side by side, so that
// a change to one is seen missing on the other.
#include <cfloat>
#include <climits>
#include <cmath>

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

namespace {

std::size_t FullWidth(char type) {
    switch (type) {
        case 'C': return 1;
        case 'I':
        case 'F': return 4;
        default: return 8;  // 'D', 'L'
    }
}

bool WidthAllowed(char type, unsigned width) {
    switch (type) {
        case 'I': return width == 1 || width == 2 || width == 4;
        case 'L': return width == 1 || width == 2 || width == 4 || width == 8;
        case 'F': return width == 4;
        case 'D': return width == 4 || width == 8;
        default: return width == 1;  // 'C'
    }
}

// Whether floats hold the n doubles bit for bit (NaNs never: their payloads
// may not survive). Doubles beyond the float range are not converted (that
// is undefined). Looked at in pieces without branches, so that most arrays
// of other doubles are given up after the first piece.
template <class Get>
bool AllExactFloats(Get get, std::uint32_t n) {
    bool all = true;
    for (std::uint32_t first = 0; first < n && all; first += 64) {
        const std::uint32_t end = n - first < 64 ? n : first + 64;
        for (std::uint32_t i = first; i < end; ++i) {
            const std::uint64_t bits = get(i);
            double d;
            std::memcpy(&d, &bits, 8);
            const float f = static_cast<float>(std::fabs(d) <= FLT_MAX ? d : 0.0);
            all &= (static_cast<double>(f) == d) | std::isinf(d);
        }
    }
    return all;
}

// The fewest bytes that hold each of the n values without loss; get(i)
// gives value i's bits as the pending buffer keeps them (integers
// sign-extended).
template <class Get>
unsigned StoredWidth(char type, Get get, std::uint32_t n) {
    if (type == 'I' || type == 'L') {
        std::int64_t lo = 0, hi = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            const auto x = static_cast<std::int64_t>(get(i));
            lo = x < lo ? x : lo;
            hi = x > hi ? x : hi;
        }
        if (lo >= INT8_MIN && hi <= INT8_MAX) return 1;
        if (lo >= INT16_MIN && hi <= INT16_MAX) return 2;
        if (type == 'I' || (lo >= INT32_MIN && hi <= INT32_MAX)) return 4;
        return 8;
    }
    if (type == 'D') return AllExactFloats(get, n) ? 4 : 8;
    return static_cast<unsigned>(FullWidth(type));
}

// The low width bytes of each value, little-endian; a double stored in 4
// bytes is its float.
template <class Get>
void Pack(char type, unsigned width, Get get, std::uint32_t n, std::uint8_t* out) {
    if (type == 'D' && width == 4) {
        for (std::uint32_t i = 0; i < n; ++i, out += 4) {
            const std::uint64_t bits = get(i);
            double d;
            std::memcpy(&d, &bits, 8);
            const float f = static_cast<float>(d);
            std::uint32_t fbits;
            std::memcpy(&fbits, &f, 4);
            PutU32(out, fbits);
        }
        return;
    }
    switch (width) {
        case 1:
            for (std::uint32_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(get(i));
            break;
        case 2:
            for (std::uint32_t i = 0; i < n; ++i, out += 2) {
                const std::uint64_t v = get(i);
                out[0] = static_cast<std::uint8_t>(v);
                out[1] = static_cast<std::uint8_t>(v >> 8);
            }
            break;
        case 4:
            for (std::uint32_t i = 0; i < n; ++i, out += 4) PutU32(out, static_cast<std::uint32_t>(get(i)));
            break;
        default:
            for (std::uint32_t i = 0; i < n; ++i, out += 8) PutU64(out, get(i));
            break;
    }
}

// Sign-extends the width bytes at p.
std::int64_t LoadInt(const std::uint8_t* p, unsigned width) {
    switch (width) {
        case 1: return static_cast<std::int8_t>(p[0]);
        case 2: return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
        case 4: return static_cast<std::int32_t>(GetU32(p));
        default: return static_cast<std::int64_t>(GetU64(p));
    }
}

double LoadReal(const std::uint8_t* p, unsigned width) {
    if (width == 4) {
        const std::uint32_t bits = GetU32(p);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    const std::uint64_t bits = GetU64(p);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

int SaturateInt(long long v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

}  // namespace

int RealToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return INT_MAX;
    if (d <= -2147483648.0) return INT_MIN;
    return static_cast<int>(d);
}

// ---- Writing ----

// The n doubles as floats at out; whether every float holds its double bit
// for bit. Beyond the float range only infinities convert in C++ (others
// are undefined), and NaNs never compare equal, so never narrow.
inline bool StoreFloats(const double* values, std::size_t n, std::uint8_t* out) {
    std::size_t i = 0;
    bool exact = true;
#if defined(__SSE2__)
    // The processor's conversion gives an infinity beyond the range, which
    // then compares unequal as it should; four at a time.
    __m128d inexact = _mm_setzero_pd();
    for (; i + 4 <= n; i += 4) {
        const __m128d a = _mm_loadu_pd(values + i), b = _mm_loadu_pd(values + i + 2);
        const __m128 fa = _mm_cvtpd_ps(a), fb = _mm_cvtpd_ps(b);
        inexact = _mm_or_pd(inexact, _mm_cmpneq_pd(_mm_cvtps_pd(fa), a));
        inexact = _mm_or_pd(inexact, _mm_cmpneq_pd(_mm_cvtps_pd(fb), b));
        _mm_storeu_ps(reinterpret_cast<float*>(out + 4 * i), _mm_movelh_ps(fa, fb));
    }
    exact = _mm_movemask_pd(inexact) == 0;
#endif
    for (; i < n; ++i) {
        const double d = values[i];
        const double size = std::fabs(d);
        const float f = static_cast<float>(size <= FLT_MAX || size == HUGE_VAL ? d : 0.0);
        exact &= static_cast<double>(f) == d;
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutU32(out + 4 * i, bits);
    }
    return exact;
}

// Stores n values of one type (get(i): value i's bits) as a run, or as
// single values when that is as short.
template <class Get>
void StoreValues(KQelState& s, char type, std::uint32_t n, Get get) {
    const std::size_t full = FullWidth(type);
    const unsigned width = StoredWidth(type, get, n);
    const std::size_t packed = static_cast<std::size_t>(n) * width;
    // A run wherever it is shorter than the values stored singly, however
    // few: a lone 64-bit time that fits in two bytes is a 1-value run, a lone
    // 32-bit value or double never is. A tie stays single.
    if (static_cast<std::size_t>(n) * (1 + full) <= kRunHeaderSize + packed) {
        std::uint8_t* p = s.mWriter.Reserve(static_cast<std::size_t>(n) * (1 + full));
        for (std::uint32_t i = 0; i < n; ++i, p += 1 + full) {
            p[0] = static_cast<std::uint8_t>(type);
            Pack(type, static_cast<unsigned>(full), [&get, i](std::uint32_t) { return get(i); }, 1, p + 1);
        }
        return;
    }
    std::uint8_t head[kDeflatedRunHeaderSize];
    head[0] = static_cast<std::uint8_t>(type - 'A' + 'a');
    head[1] = static_cast<std::uint8_t>(width);
    PutU32(head + 2, n);
    if (s.mDeflateRuns && packed >= kDeflateMinBytes) {
        std::vector<std::uint8_t>& payload = s.mRunBytes;
        payload.resize(packed);
        Pack(type, width, get, n, payload.data());
        uLongf stored = compressBound(static_cast<uLong>(packed));
        s.mDeflated.resize(stored);
        // Level 1: the higher levels cost several times the time for a few
        // percent on arrays of numbers.
        if (compress2(s.mDeflated.data(), &stored, payload.data(), static_cast<uLong>(packed), 1) == Z_OK &&
            stored < packed - packed / 8) {
            head[1] |= kRunDeflated;
            PutU32(head + 6, static_cast<std::uint32_t>(stored));
            s.mWriter.Append(head, kDeflatedRunHeaderSize);
            s.mWriter.Append(s.mDeflated.data(), stored);
        } else {
            s.mWriter.Append(head, kRunHeaderSize);
            s.mWriter.Append(payload.data(), packed);
        }
        return;
    }
    std::uint8_t* p = s.mWriter.Reserve(kRunHeaderSize + packed);
    std::memcpy(p, head, kRunHeaderSize);
    Pack(type, width, get, n, p + kRunHeaderSize);
}

void FlushPending(KQelState& s) {
    const std::uint32_t n = s.mPendingCount;
    if (n == 0) return;
    const char type = s.mPendingType;
    s.mPendingCount = 0;
    s.mPendingType = 0;
    const std::uint64_t* v = s.mPending.get();
    StoreValues(s, type, n, [v](std::uint32_t i) { return v[i]; });
}

// Block writes of many values, always a run: stored in one pass at the
// width expected (floats for doubles, 4 bytes for ints) while it is checked,
// and only stored again when another width is needed. The loops index by
// size_t and have no exits, so that they vectorise.
void StoreRun(KQelState& s, const double* values, std::uint32_t n) {
    if (s.mDeflateRuns || n < 8) {
        StoreValues(s, 'D', n, [values](std::uint32_t i) {
            std::uint64_t bits;
            std::memcpy(&bits, &values[i], 8);
            return bits;
        });
        return;
    }
    std::uint8_t* p = s.mWriter.Reserve(kRunHeaderSize + 8 * static_cast<std::size_t>(n));
    std::uint8_t* out = p + kRunHeaderSize;
    bool exact = true;
    for (std::size_t first = 0; first < n && exact; first += 64) {
        const std::size_t count = n - first < 64 ? n - first : 64;
        exact = StoreFloats(values + first, count, out + 4 * first);
    }
    p[0] = 'd';
    PutU32(p + 2, n);
    if (exact) {
        p[1] = 4;
        s.mWriter.Shrink(4 * static_cast<std::size_t>(n));
        return;
    }
    p[1] = 8;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, &values[i], 8);
        PutU64(out + 8 * i, bits);
    }
}

void StoreRun(KQelState& s, const int* values, std::uint32_t n) {
    if (s.mDeflateRuns || n < 8) {
        StoreValues(s, 'I', n,
                    [values](std::uint32_t i) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(values[i])); });
        return;
    }
    std::uint8_t* p = s.mWriter.Reserve(kRunHeaderSize + 4 * static_cast<std::size_t>(n));
    std::uint8_t* out = p + kRunHeaderSize;
    // The bits of every value's magnitude (its complement when negative):
    // all fit in 7 bits, or 15, exactly when all fit in 1 byte, or 2.
    std::uint32_t magnitudes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int v = values[i];
        magnitudes |= static_cast<std::uint32_t>(v ^ (v >> 31));
        PutU32(out + 4 * i, static_cast<std::uint32_t>(v));
    }
    const unsigned width = magnitudes <= INT8_MAX ? 1 : magnitudes <= INT16_MAX ? 2 : 4;
    p[0] = 'i';
    p[1] = static_cast<std::uint8_t>(width);
    PutU32(p + 2, n);
    if (width == 1) {
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(values[i]);
    } else if (width == 2) {
        for (std::size_t i = 0; i < n; ++i) {
            const auto v = static_cast<std::uint16_t>(values[i]);
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    if (width < 4) s.mWriter.Shrink((4 - width) * static_cast<std::size_t>(n));
}

// ---- Reading ----

bool ParseRunHeader(const std::uint8_t* p, std::size_t avail, RunHeader& h) {
    if (avail < kRunHeaderSize || !IsRunLetter(p[0])) return false;
    h.mType = static_cast<char>(p[0] - 'a' + 'A');
    h.mWidth = p[1] & 0x0f;
    h.mDeflated = (p[1] & kRunDeflated) != 0;
    h.mCount = GetU32(p + 2);
    if ((p[1] & ~(kRunDeflated | 0x0f)) != 0 || h.mCount == 0 || !WidthAllowed(h.mType, h.mWidth)) return false;
    h.mHeaderSize = kRunHeaderSize;
    h.mStored = 0;
    if (!h.mDeflated) return true;
    if (avail < kDeflatedRunHeaderSize) return false;
    h.mHeaderSize = kDeflatedRunHeaderSize;
    h.mStored = GetU32(p + 6);
    const std::uint64_t packed = h.PackedBytes();
    return h.mStored > 0 && h.mStored < packed && packed <= kMaxDeflatedRun &&
           packed <= static_cast<std::uint64_t>(h.mStored) * kMaxDeflateRatio;
}

bool InflateRun(const RunHeader& h, const std::uint8_t* stored, std::vector<std::uint8_t>& out) {
    const std::size_t packed = static_cast<std::size_t>(h.PackedBytes());
    out.resize(packed);
    uLongf made = static_cast<uLongf>(packed);
    uLong used = h.mStored;
    return uncompress2(out.data(), &made, stored, &used) == Z_OK && made == packed && used == h.mStored;
}

void DecodeRun(const RunHeader& h, const std::uint8_t* p, std::size_t n, double* out) {
    const unsigned w = h.mWidth;
    if (h.mType == 'D' || h.mType == 'F') {
        if (w == 8) {
            for (std::size_t i = 0; i < n; ++i, p += 8) out[i] = LoadReal(p, 8);
        } else {
            for (std::size_t i = 0; i < n; ++i, p += 4) out[i] = LoadReal(p, 4);
        }
        return;
    }
    for (std::size_t i = 0; i < n; ++i, p += w) out[i] = static_cast<double>(LoadInt(p, w));
}

void DecodeRun(const RunHeader& h, const std::uint8_t* p, std::size_t n, int* out) {
    const unsigned w = h.mWidth;
    if (h.mType == 'D' || h.mType == 'F') {
        for (std::size_t i = 0; i < n; ++i, p += w) out[i] = RealToInt(LoadReal(p, w));
    } else if (w == 4) {
        for (std::size_t i = 0; i < n; ++i, p += 4) out[i] = static_cast<std::int32_t>(GetU32(p));
    } else {
        for (std::size_t i = 0; i < n; ++i, p += w) out[i] = SaturateInt(LoadInt(p, w));
    }
}

void DecodeRunValue(const RunHeader& h, const std::uint8_t* p, long long& i, double& d) {
    if (h.mType == 'D' || h.mType == 'F') {
        d = LoadReal(p, h.mWidth);
    } else {
        i = LoadInt(p, h.mWidth);
        d = static_cast<double>(i);
    }
}

}  // namespace qel_detail
}  // namespace qelsdk_600
