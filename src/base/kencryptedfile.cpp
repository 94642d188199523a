#include "base/kencryptedfile.h"

#include <nettle/cbc.h>
#include <nettle/twofish.h>
#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace qelsdk_600 {

struct KEncryptedFile::Cipher {
  twofish_ctx context;
  unsigned char vector[TWOFISH_BLOCK_SIZE];
};

namespace {

const size_t kBlock = TWOFISH_BLOCK_SIZE;
// Whole blocks, so that a full batch never leaves a partial block behind.
const size_t kBatchSize = 4096 * kBlock;

// nettle's mode helpers take a generic cipher function; calling twofish
// through a cast pointer of another type would be undefined.
void EncryptBlocks(const void* context, size_t length, uint8_t* out,
                   const uint8_t* in) {
  twofish_encrypt(static_cast<const twofish_ctx*>(context), length, out, in);
}

void DecryptBlocks(const void* context, size_t length, uint8_t* out,
                   const uint8_t* in) {
  twofish_decrypt(static_cast<const twofish_ctx*>(context), length, out, in);
}

bool FillRandom(unsigned char* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = getrandom(out + done, size - done, 0);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

KEncryptedFile::KEncryptedFile(KFile* next, bool ownsNext)
    : KChainedFile(next, ownsNext), mKey() {}

KEncryptedFile::~KEncryptedFile() {
  Close();
  explicit_bzero(mKey, sizeof(mKey));
  if (mCipher) {
    explicit_bzero(mCipher.get(), sizeof(Cipher));
  }
}

bool KEncryptedFile::SetKey(const void* key, size_t length) {
  if (!key || (length != TWOFISH128_KEY_SIZE && length != TWOFISH192_KEY_SIZE &&
               length != TWOFISH256_KEY_SIZE)) {
    SetError(eBadKey);
    return false;
  }
  std::memcpy(mKey, key, length);
  mKeyLength = length;
  return true;
}

void KEncryptedFile::Reset() {
  mInBegin = 0;
  mInEnd = 0;
  mOutBegin = 0;
  mOutEnd = 0;
  mNextDone = false;
  mAtEnd = false;
  mFailure = -1;
  mPosition = 0;
}

void KEncryptedFile::Fail(EError id) {
  mFailure = id;
  SetError(id);
}

bool KEncryptedFile::CanStart(EOpenMode mode) {
  if (!CheckSequentialMode(mode)) {
    return false;
  }
  if (mKeyLength == 0) {
    SetError(eBadKey);
    return false;
  }
  return true;
}

bool KEncryptedFile::StartLayer(EOpenMode mode) {
  if (!mCipher) {
    mCipher.reset(new (std::nothrow) Cipher());
  }
  if (!mCipher) {
    SetError(eOutOfMemory);
    return false;
  }
  try {
    mIn.resize(kBatchSize);
    mOut.resize(kBatchSize);
  } catch (const std::bad_alloc&) {
    SetError(eOutOfMemory);
    return false;
  }
  Reset();
  twofish_set_key(&mCipher->context, mKeyLength, mKey);
  if (mode == eReadOnly) {
    return ReadVector();
  }
  if (!FillRandom(mCipher->vector, kBlock)) {
    SetError(eNoRandom);
    return false;
  }
  if (!GetNext()->Write(mCipher->vector, kBlock)) {
    CopyError(*GetNext());
    return false;
  }
  return true;
}

bool KEncryptedFile::ReadVector() {
  size_t got = GetNext()->Read(mCipher->vector, kBlock);
  if (got < kBlock) {
    if (GetNext()->GetLastErrorID() == eEndOfFile) {
      Fail(eCorrupted);
    } else {
      CopyError(*GetNext());
      mFailure = GetLastErrorID();
    }
    return false;
  }
  return true;
}

bool KEncryptedFile::Rewind() {
  if (!KChainedFile::Rewind()) {
    return false;
  }
  Reset();
  return ReadVector();
}

bool KEncryptedFile::WriteBlocks() {
  size_t whole = mInEnd - mInEnd % kBlock;
  if (whole == 0) {
    return true;
  }
  cbc_encrypt(&mCipher->context, EncryptBlocks, kBlock, mCipher->vector, whole,
              mOut.data(), mIn.data());
  std::memmove(mIn.data(), mIn.data() + whole, mInEnd - whole);
  mInEnd -= whole;
  if (!GetNext()->Write(mOut.data(), whole)) {
    CopyError(*GetNext());
    mFailure = GetLastErrorID();
    return false;
  }
  return true;
}

bool KEncryptedFile::Write(const void* buffer, size_t size) {
  if (!CheckWritable()) {
    return false;
  }
  if (mFailure >= 0) {
    // Blocks already lost cannot be made up for: the stream stays failed.
    SetError(static_cast<EError>(mFailure));
    return false;
  }
  const unsigned char* in = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    size_t room = mIn.size() - mInEnd;
    size_t take = size - done < room ? size - done : room;
    std::memcpy(mIn.data() + mInEnd, in + done, take);
    mInEnd += take;
    done += take;
    mPosition += static_cast<kLongLong>(take);
    if (mInEnd == mIn.size() && !WriteBlocks()) {
      return false;
    }
  }
  return true;
}

bool KEncryptedFile::Flush() {
  if (IsOpen() && ModeWrites(GetMode())) {
    if (mFailure >= 0) {
      SetError(static_cast<EError>(mFailure));
      return false;
    }
    if (!WriteBlocks()) {
      return false;
    }
  }
  return KChainedFile::Flush();
}

bool KEncryptedFile::FinishLayer() {
  if (mFailure >= 0) {
    SetError(static_cast<EError>(mFailure));
    return false;
  }
  if (!ModeWrites(GetMode())) {
    return true;
  }
  // Write flushes a full batch at once, so a block's worth of room is left.
  size_t marker = kBlock - mInEnd % kBlock;
  std::memset(mIn.data() + mInEnd, static_cast<int>(marker), marker);
  mInEnd += marker;
  return WriteBlocks();
}

bool KEncryptedFile::Fill() {
  if (!FillFromNext(mIn, mInBegin, mInEnd, mNextDone)) {
    mFailure = GetLastErrorID();
    return false;
  }
  return true;
}

bool KEncryptedFile::Decipher() {
  for (;;) {
    size_t held = mInEnd - mInBegin;
    if (mNextDone) {
      if (held == 0 || held % kBlock != 0) {
        Fail(eCorrupted);
        return false;
      }
      cbc_decrypt(&mCipher->context, DecryptBlocks, kBlock, mCipher->vector,
                  held, mOut.data(), mIn.data() + mInBegin);
      mInBegin = mInEnd;
      size_t marker = mOut[held - 1];
      bool good = marker >= 1 && marker <= kBlock;
      for (size_t i = held - (good ? marker : 0); good && i < held; ++i) {
        good = mOut[i] == marker;
      }
      if (!good) {
        Fail(eCorrupted);
        return false;
      }
      mOutBegin = 0;
      mOutEnd = held - marker;
      mAtEnd = true;
      return true;
    }
    size_t ready = held > kBlock ? (held - kBlock) / kBlock * kBlock : 0;
    if (ready > 0) {
      cbc_decrypt(&mCipher->context, DecryptBlocks, kBlock, mCipher->vector,
                  ready, mOut.data(), mIn.data() + mInBegin);
      mInBegin += ready;
      mOutBegin = 0;
      mOutEnd = ready;
      return true;
    }
    if (!Fill()) {
      return false;
    }
  }
}

size_t KEncryptedFile::Read(void* buffer, size_t size) {
  if (!CheckReadable()) {
    return 0;
  }
  if (mFailure >= 0) {
    SetError(static_cast<EError>(mFailure));
    return 0;
  }
  unsigned char* out = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    if (mOutBegin == mOutEnd) {
      if (mAtEnd) {
        break;
      }
      if (!Decipher()) {
        return 0;
      }
      continue;
    }
    size_t available = mOutEnd - mOutBegin;
    size_t take = size - done < available ? size - done : available;
    std::memcpy(out + done, mOut.data() + mOutBegin, take);
    mOutBegin += take;
    done += take;
    mPosition += static_cast<kLongLong>(take);
  }
  if (done < size) {
    SetError(eEndOfFile);
  }
  return done;
}

bool KEncryptedFile::Seek(kLongLong offset, ESeekOrigin origin) {
  return SeekSequential(offset, origin);
}

kLongLong KEncryptedFile::Tell() {
  return TellSequential(mPosition);
}

kLongLong KEncryptedFile::GetSize() {
  // Closed (eNotOpen), or writing: the bytes written so far.
  if (!IsOpen() || ModeWrites(GetMode())) {
    return TellSequential(mPosition);
  }
  if (!mAtEnd) {
    SetError(eNotSupported);
    return -1;
  }
  return mPosition + static_cast<kLongLong>(mOutEnd - mOutBegin);
}

bool KEncryptedFile::EndOfFile() {
  if (!IsOpen() || ModeWrites(GetMode())) {
    return true;
  }
  while (mFailure < 0 && mOutBegin == mOutEnd && !mAtEnd) {
    if (!Decipher()) {
      return true;
    }
  }
  return mFailure >= 0 || mOutBegin == mOutEnd;
}

}  // namespace qelsdk_600
