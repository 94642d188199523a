// CRC-32 of section bodies, as zlib's crc32 computes it, folded sixteen
// bytes at a time with carry-less multiplication where the processor has it:
// every byte of a file is summed when it is written and again when it is
// opened, and the table method of zlib is several times slower.
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

// Folding of the bit-reflected polynomial 0xEDB88320, with the constants
// x^k mod P of the method (low and high halves of each pair): over four
// blocks ahead, over one block ahead, from 96 to 64 bits, and P with its
// Barrett quotient.
__attribute__((target("pclmul,sse4.1"))) inline __m128i FoldInto(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

// The register (not inverted) after n bytes, n a multiple of 16, at least 64.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t Fold(std::uint32_t state, const std::uint8_t* p,
                                                              std::size_t n) {
    const __m128i fourAhead = _mm_set_epi64x(0x01c6e41596LL, 0x0154442bd4LL);
    const __m128i oneAhead = _mm_set_epi64x(0x00ccaa009eLL, 0x01751997d0LL);
    const __m128i to64 = _mm_set_epi64x(0, 0x0163cd6124LL);
    const __m128i barrett = _mm_set_epi64x(0x01f7011641LL, 0x01db710641LL);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    auto load = [](const std::uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };

    __m128i lanes[4] = {_mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state))), load(p + 16),
                        load(p + 32), load(p + 48)};
    for (p += 64, n -= 64; n >= 64; p += 64, n -= 64) {
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

#endif

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
#ifdef QEL_CRC_FOLDING
    if (n >= 64 && CanFold()) {
        const std::size_t folded = n & ~static_cast<std::size_t>(15);
        crc = ~Fold(~crc, p, folded);
        p += folded;
        n -= folded;
    }
#endif
    return TableCrc(crc, p, n);
}

}  // namespace qel_detail
}  // namespace qelsdk_600
