// CRC-32 of section bodies, as zlib's crc32 computes it, folded sixteen
// bytes at a time with carry-less multiplication where the processor has it
// (thirty-two or sixty-four at a time where it has the 256- or 512-bit
// form): every byte of a file is summed when it is written and again when
// it is opened, and the table method of zlib is several times slower.
#include <zlib.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define QEL_CRC_FOLDING 1
#endif

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

namespace {

std::uint32_t TableCrc(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const uInt chunk = n > (1u << 30) ? (1u << 30) : static_cast<uInt>(n);
        crc = static_cast<std::uint32_t>(crc32(crc, p, chunk));
        p += chunk;
        n -= chunk;
    }
    return crc;
}

#ifdef QEL_CRC_FOLDING

bool CanFold() {
    unsigned a, b, c, d;
    // ECX bit 1: carry-less multiplication; bit 19: SSE4.1 (the final extract).
    static const bool can = __get_cpuid(1, &a, &b, &c, &d) && (c & (1u << 1)) && (c & (1u << 19));
    return can;
}

// 256-bit registers (AVX2) and their carry-less multiplication, and a
// system that saves those registers.
bool CanFoldDouble() {
    static const bool can = [] {
        unsigned a, b, c, d;
        // Leaf 1 ECX bit 27: the system uses XSAVE, so XCR0 can be read.
        if (!CanFold() || !__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 27))) return false;
        // Leaf 7 EBX bit 5: AVX2; ECX bit 10: VPCLMULQDQ.
        if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || !(b & (1u << 5)) || !(c & (1u << 10))) return false;
        unsigned lo, hi;
        __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        return (lo & 0x6u) == 0x6u;  // SSE and AVX state
    }();
    return can;
}

// 512-bit registers and their carry-less multiplication, and a system that
// saves those registers.
bool CanFoldWide() {
    static const bool can = [] {
        unsigned a, b, c, d;
        // Leaf 7 ECX bit 10: VPCLMULQDQ.
        return CanFold() && HasWideVectors() && __get_cpuid_count(7, 0, &a, &b, &c, &d) && (c & (1u << 10));
    }();
    return can;
}

// Folding of the bit-reflected polynomial 0xEDB88320, with the constants
// x^k mod P of the method (low and high halves of each pair): over four
// blocks ahead, over one block ahead, from 96 to 64 bits, and P with its
// Barrett quotient.
__attribute__((target("pclmul,sse4.1"))) inline __m128i FoldInto(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// Folding 64 bytes ahead: x^480 and x^544 mod P (bit-reflected, as all
// the constants here).
constexpr long long kFourAheadHigh = 0x01c6e41596LL, kFourAheadLow = 0x0154442bd4LL;

// The register (not inverted) after the n bytes at p, n a multiple of 16,
// lanes holding the fold of the 64 bytes before p.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t FoldLanes(__m128i lanes[4], const std::uint8_t* p,
                                                                   std::size_t n) {
    const __m128i fourAhead = _mm_set_epi64x(kFourAheadHigh, kFourAheadLow);
    const __m128i oneAhead = _mm_set_epi64x(0x00ccaa009eLL, 0x01751997d0LL);
    const __m128i to64 = _mm_set_epi64x(0, 0x0163cd6124LL);
    const __m128i barrett = _mm_set_epi64x(0x01f7011641LL, 0x01db710641LL);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    auto load = [](const std::uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };

    for (; n >= 64; p += 64, n -= 64) {
        for (int i = 0; i < 4; ++i) lanes[i] = FoldInto(lanes[i], fourAhead, load(p + 16 * i));
    }
    __m128i x = lanes[0];
    for (int i = 1; i < 4; ++i) x = FoldInto(x, oneAhead, lanes[i]);
    for (; n >= 16; p += 16, n -= 16) x = FoldInto(x, oneAhead, load(p));

    // 128 bits to 64, then the Barrett reduction to 32.
    x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, oneAhead, 0x10));
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), to64, 0x00), _mm_srli_si128(x, 4));
    __m128i t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10), low32);
    x = _mm_xor_si128(x, _mm_clmulepi64_si128(t, barrett, 0x00));
    return static_cast<std::uint32_t>(_mm_extract_epi32(x, 1));
}

// The register (not inverted) after n bytes, n a multiple of 16, at least 64.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t Fold(std::uint32_t state, const std::uint8_t* p,
                                                              std::size_t n) {
    auto load = [](const std::uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    __m128i lanes[4] = {_mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state))), load(p + 16),
                        load(p + 32), load(p + 48)};
    return FoldLanes(lanes, p + 64, n - 64);
}

__attribute__((target("avx2,vpclmulqdq"))) inline __m256i FoldDoubleInto(__m256i x, __m256i k, __m256i next) {
    return _mm256_xor_si256(
        _mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00), _mm256_clmulepi64_epi128(x, k, 0x11)), next);
}

// As Fold, n at least 128: four 256-bit registers folded 128 bytes ahead
// (x^1056 and x^992 mod P), then the first two into the last two, whose
// four lanes go on as Fold's. Twice the bytes of Fold per multiplication,
// on processors with the 256-bit form but not the 512-bit one.
__attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq"))) std::uint32_t FoldDouble(std::uint32_t state,
                                                                                  const std::uint8_t* p,
                                                                                  std::size_t n) {
    const __m256i ahead = _mm256_set_epi64x(0x014a7fe880LL, 0x01e88ef372LL, 0x014a7fe880LL, 0x01e88ef372LL);
    const __m256i fourAhead = _mm256_set_epi64x(kFourAheadHigh, kFourAheadLow, kFourAheadHigh, kFourAheadLow);
    const __m256i* const q = reinterpret_cast<const __m256i*>(p);
    const __m256i first = _mm256_inserti128_si256(_mm256_setzero_si256(), _mm_cvtsi32_si128(static_cast<int>(state)), 0);
    __m256i x[4] = {_mm256_xor_si256(_mm256_loadu_si256(q), first), _mm256_loadu_si256(q + 1),
                    _mm256_loadu_si256(q + 2), _mm256_loadu_si256(q + 3)};
    for (p += 128, n -= 128; n >= 128; p += 128, n -= 128) {
        const __m256i* const next = reinterpret_cast<const __m256i*>(p);
        for (int i = 0; i < 4; ++i) x[i] = FoldDoubleInto(x[i], ahead, _mm256_loadu_si256(next + i));
    }
    // Bytes 0-63 of the last 128 folded into bytes 64-127.
    const __m256i y[2] = {FoldDoubleInto(x[0], fourAhead, x[2]), FoldDoubleInto(x[1], fourAhead, x[3])};
    __m128i lanes[4] = {_mm256_castsi256_si128(y[0]), _mm256_extracti128_si256(y[0], 1),
                        _mm256_castsi256_si128(y[1]), _mm256_extracti128_si256(y[1], 1)};
    return FoldLanes(lanes, p, n);
}

__attribute__((target("avx512f,vpclmulqdq"))) inline __m512i FoldWideInto(__m512i x, __m512i k, __m512i next) {
    return _mm512_xor_si512(
        _mm512_xor_si512(_mm512_clmulepi64_epi128(x, k, 0x00), _mm512_clmulepi64_epi128(x, k, 0x11)), next);
}

// As Fold, n at least 256: four 512-bit registers folded 256 bytes ahead
// (x^2080 and x^2016 mod P), then into one, whose four lanes go on as Fold's.
__attribute__((target("pclmul,sse4.1,avx512f,vpclmulqdq"))) std::uint32_t FoldWide(std::uint32_t state,
                                                                                     const std::uint8_t* p,
                                                                                     std::size_t n) {
    const __m512i wideAhead = _mm512_set_epi64(0x01322d1430LL, 0x011542778aLL, 0x01322d1430LL, 0x011542778aLL,
                                               0x01322d1430LL, 0x011542778aLL, 0x01322d1430LL, 0x011542778aLL);
    const __m512i fourAhead = _mm512_set_epi64(kFourAheadHigh, kFourAheadLow, kFourAheadHigh, kFourAheadLow,
                                               kFourAheadHigh, kFourAheadLow, kFourAheadHigh, kFourAheadLow);
    __m512i x[4] = {_mm512_xor_si512(_mm512_loadu_si512(p), _mm512_inserti32x4(_mm512_setzero_si512(),
                                                                             _mm_cvtsi32_si128(static_cast<int>(state)), 0)),
                    _mm512_loadu_si512(p + 64), _mm512_loadu_si512(p + 128), _mm512_loadu_si512(p + 192)};
    for (p += 256, n -= 256; n >= 256; p += 256, n -= 256) {
        for (int i = 0; i < 4; ++i) x[i] = FoldWideInto(x[i], wideAhead, _mm512_loadu_si512(p + 64 * i));
    }
    for (int i = 1; i < 4; ++i) x[i] = FoldWideInto(x[i - 1], fourAhead, x[i]);
    alignas(64) std::uint8_t last[64];
    _mm512_store_si512(last, x[3]);
    __m128i lanes[4];
    for (int i = 0; i < 4; ++i) lanes[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(last + 16 * i));
    return FoldLanes(lanes, p, n);
}

#endif

}  // namespace

bool HasWideVectors() {
#ifdef QEL_CRC_FOLDING
    static const bool has = [] {
        unsigned a, b, c, d;
        // Leaf 1 ECX bit 27: the system uses XSAVE, so XCR0 can be read.
        if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 27))) return false;
        // Leaf 7 EBX bit 16: AVX-512F; bit 30: AVX-512BW.
        if (!__get_cpuid_count(7, 0, &a, &b, &c, &d) || !(b & (1u << 16)) || !(b & (1u << 30))) return false;
        unsigned lo, hi;
        __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        // SSE, AVX, mask, upper halves of ZMM0-15 and ZMM16-31 state.
        return (lo & 0xe6u) == 0xe6u;
    }();
    return has;
#else
    return false;
#endif
}

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
#ifdef QEL_CRC_FOLDING
    if (n >= 64 && CanFold()) {
        const std::size_t folded = n & ~static_cast<std::size_t>(15);
        if (folded >= 256 && CanFoldWide()) {
            crc = ~FoldWide(~crc, p, folded);
        } else if (folded >= 128 && CanFoldDouble()) {
            crc = ~FoldDouble(~crc, p, folded);
        } else {
            crc = ~Fold(~crc, p, folded);
        }
        p += folded;
        n -= folded;
    }
#endif
    return TableCrc(crc, p, n);
}

}  // namespace qel_detail
}  // namespace qelsdk_600
