// Section keys, counter-mode Twofish, password derivation and random bytes.
#include <algorithm>
#include <cerrno>

#include <nettle/ctr.h>
#include <nettle/pbkdf2.h>
#include <sys/random.h>

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

// Wraps section keys of files that carry no password; it hides contents
// from casual readers, nothing more.
const std::uint8_t kBuiltInKey[32] = {
    0x5a, 0x1f, 0xc3, 0x88, 0x27, 0x94, 0xe0, 0x6b, 0x3d, 0xa2, 0x71, 0x0e, 0xb9, 0x46, 0xd5, 0x12,
    0x8c, 0x63, 0xf7, 0x2a, 0x9e, 0x05, 0x4b, 0xd0, 0x37, 0xc8, 0x19, 0x7e, 0xa4, 0x50, 0xe6, 0x3b};

namespace {

// Adds n to a 128-bit big-endian counter.
void CounterAdd(std::uint8_t ctr[16], std::uint64_t n) {
    for (int i = 15; i >= 0 && n != 0; --i) {
        std::uint64_t sum = static_cast<std::uint64_t>(ctr[i]) + (n & 0xff);
        ctr[i] = static_cast<std::uint8_t>(sum);
        n = (n >> 8) + (sum >> 8);
    }
}

void TwofishBlocks(const void* ctx, std::size_t length, std::uint8_t* dst, const std::uint8_t* src) {
    twofish_encrypt(static_cast<const twofish_ctx*>(ctx), length, dst, src);
}

}  // namespace

void SectionCipher::SetKey(const std::uint8_t key[32], const std::uint8_t iv[16]) {
    twofish_set_key(&mCtx, 32, key);
    std::memcpy(mIv, iv, 16);
    mActive = true;
}

void SectionCipher::Apply(std::uint64_t offset, std::uint8_t* data, std::size_t size) const {
    if (!mActive || size == 0) return;
    std::uint8_t ctr[16];
    std::memcpy(ctr, mIv, 16);
    CounterAdd(ctr, offset / 16);
    std::size_t skip = static_cast<std::size_t>(offset % 16);
    if (skip != 0) {
        std::uint8_t stream[16];
        twofish_encrypt(&mCtx, 16, stream, ctr);
        CounterAdd(ctr, 1);
        std::size_t n = std::min<std::size_t>(16 - skip, size);
        for (std::size_t i = 0; i < n; ++i) data[i] ^= stream[skip + i];
        data += n;
        size -= n;
    }
    if (size > 0) {
        ctr_crypt(&mCtx, &TwofishBlocks, TWOFISH_BLOCK_SIZE, ctr, size, data, data);
    }
}

bool RandomBytes(std::uint8_t* out, std::size_t size) {
    while (size > 0) {
        ssize_t n = getrandom(out, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void DerivePassword(const char* password, const std::uint8_t salt[16], std::uint32_t iterations,
                    std::uint8_t out[64]) {
    pbkdf2_hmac_sha256(std::strlen(password), reinterpret_cast<const std::uint8_t*>(password),
                       iterations, 16, salt, 64, out);
}

void WrapKey(const std::uint8_t kek[32], const std::uint8_t in[32], std::uint8_t out[32]) {
    twofish_ctx ctx;
    twofish_set_key(&ctx, 32, kek);
    twofish_encrypt(&ctx, 32, out, in);
}

void UnwrapKey(const std::uint8_t kek[32], const std::uint8_t in[32], std::uint8_t out[32]) {
    twofish_ctx ctx;
    twofish_set_key(&ctx, 32, kek);
    twofish_decrypt(&ctx, 32, out, in);
}

}  // namespace qel_detail
}  // namespace qelsdk_600
