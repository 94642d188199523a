// Packed runs of values: how a writer stores a field's values of one type,
// and how a reader takes them back. Both directions side by side, so that
// a change to one is seen missing on the other.
#include <cfloat>
#include <climits>
#include <cmath>

#include <zlib.h>

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

// A double that a float holds bit for bit (NaNs never: their payloads may
// not survive). The range test comes first: converting a double beyond the
// float range is undefined.
bool IsExactFloat(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, 8);
    if (!(std::fabs(d) <= FLT_MAX) && !std::isinf(d)) return false;
    const double back = static_cast<float>(d);
    std::uint64_t backBits;
    std::memcpy(&backBits, &back, 8);
    return backBits == bits;
}

// The fewest bytes that hold every pending value without loss.
unsigned StoredWidth(char type, const std::uint64_t* v, std::uint32_t n) {
    if (type == 'I' || type == 'L') {
        std::int64_t lo = 0, hi = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            const auto x = static_cast<std::int64_t>(v[i]);
            lo = x < lo ? x : lo;
            hi = x > hi ? x : hi;
        }
        if (lo >= INT8_MIN && hi <= INT8_MAX) return 1;
        if (lo >= INT16_MIN && hi <= INT16_MAX) return 2;
        if (type == 'I' || (lo >= INT32_MIN && hi <= INT32_MAX)) return 4;
        return 8;
    }
    if (type == 'D') {
        for (std::uint32_t i = 0; i < n; ++i) {
            if (!IsExactFloat(v[i])) return 8;
        }
        return 4;
    }
    return static_cast<unsigned>(FullWidth(type));
}

// The low width bytes of each value, little-endian; a double stored in 4
// bytes is its float.
void Pack(char type, unsigned width, const std::uint64_t* v, std::uint32_t n, std::uint8_t* out) {
    if (type == 'D' && width == 4) {
        for (std::uint32_t i = 0; i < n; ++i, out += 4) {
            double d;
            std::memcpy(&d, &v[i], 8);
            const float f = static_cast<float>(d);
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            PutU32(out, bits);
        }
        return;
    }
    switch (width) {
        case 1:
            for (std::uint32_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(v[i]);
            break;
        case 2:
            for (std::uint32_t i = 0; i < n; ++i, out += 2) {
                out[0] = static_cast<std::uint8_t>(v[i]);
                out[1] = static_cast<std::uint8_t>(v[i] >> 8);
            }
            break;
        case 4:
            for (std::uint32_t i = 0; i < n; ++i, out += 4) PutU32(out, static_cast<std::uint32_t>(v[i]));
            break;
        default:
            for (std::uint32_t i = 0; i < n; ++i, out += 8) PutU64(out, v[i]);
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

int RealToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return INT_MAX;
    if (d <= -2147483648.0) return INT_MIN;
    return static_cast<int>(d);
}

}  // namespace

// ---- Writing ----

void FlushPending(KQelState& s) {
    const std::uint32_t n = s.mPendingCount;
    if (n == 0) return;
    const char type = s.mPendingType;
    s.mPendingCount = 0;
    s.mPendingType = 0;
    const std::uint64_t* v = s.mPending.get();
    const std::size_t full = FullWidth(type);
    const unsigned width = StoredWidth(type, v, n);
    const std::size_t packed = static_cast<std::size_t>(n) * width;
    std::vector<std::uint8_t>& out = s.mRunBytes;
    // Short runs cost more than their values' own letters: mixed fields
    // keep the single values of layout revision 1.
    if (static_cast<std::size_t>(n) * (1 + full) <= kRunHeaderSize + packed) {
        out.resize(static_cast<std::size_t>(n) * (1 + full));
        std::uint8_t* p = out.data();
        for (std::uint32_t i = 0; i < n; ++i, p += 1 + full) {
            p[0] = static_cast<std::uint8_t>(type);
            Pack(type, static_cast<unsigned>(full), &v[i], 1, p + 1);
        }
        s.mWriter.Append(out.data(), out.size());
        return;
    }
    out.resize(kDeflatedRunHeaderSize + packed);
    std::uint8_t* payload = out.data() + kDeflatedRunHeaderSize;
    Pack(type, width, v, n, payload);
    std::uint8_t head[kDeflatedRunHeaderSize];
    head[0] = static_cast<std::uint8_t>(type - 'A' + 'a');
    head[1] = static_cast<std::uint8_t>(width);
    PutU32(head + 2, n);
    if (s.mDeflateRuns && packed >= kDeflateMinBytes) {
        uLongf stored = compressBound(static_cast<uLong>(packed));
        s.mDeflated.resize(stored);
        // Level 1: the higher levels cost several times the time for a few
        // percent on arrays of numbers.
        const bool deflated = compress2(s.mDeflated.data(), &stored, payload, static_cast<uLong>(packed), 1) == Z_OK;
        if (deflated && stored < packed - packed / 8) {
            head[1] |= kRunDeflated;
            PutU32(head + 6, static_cast<std::uint32_t>(stored));
            s.mWriter.Append(head, kDeflatedRunHeaderSize);
            s.mWriter.Append(s.mDeflated.data(), stored);
            return;
        }
    }
    std::memcpy(payload - kRunHeaderSize, head, kRunHeaderSize);
    s.mWriter.Append(payload - kRunHeaderSize, kRunHeaderSize + packed);
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
