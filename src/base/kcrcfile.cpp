#include "base/kcrcfile.h"

#include <zlib.h>

#include <cstring>
#include <new>

namespace qelsdk_600 {

namespace {

const size_t kTrailerSize = 4;
const size_t kReadBufferSize = 64 * 1024;

kUInt UpdateCrc(kUInt crc, const void* data, size_t size) {
  return static_cast<kUInt>(
      crc32_z(crc, static_cast<const Bytef*>(data), size));
}

}  // namespace

KCrcFile::KCrcFile(KFile* next, bool ownsNext) : KChainedFile(next, ownsNext) {}

KCrcFile::~KCrcFile() {
  Close();
}

void KCrcFile::Reset() {
  mBegin = 0;
  mEnd = 0;
  mNextDone = false;
  mChecked = false;
  mFailure = -1;
  mCrc = static_cast<kUInt>(crc32_z(0, Z_NULL, 0));
  mPosition = 0;
}

bool KCrcFile::CanStart(EOpenMode mode) {
  return CheckSequentialMode(mode);
}

bool KCrcFile::StartLayer(EOpenMode mode) {
  if (mode == eReadOnly && mBuffer.size() < kReadBufferSize) {
    try {
      mBuffer.resize(kReadBufferSize);
    } catch (const std::bad_alloc&) {
      SetError(eOutOfMemory);
      return false;
    }
  }
  Reset();
  return true;
}

bool KCrcFile::FinishLayer() {
  if (mFailure >= 0) {
    SetError(static_cast<EError>(mFailure));
    return false;
  }
  if (!ModeWrites(GetMode())) {
    return true;
  }
  unsigned char trailer[kTrailerSize];
  for (size_t i = 0; i < kTrailerSize; ++i) {
    trailer[i] = static_cast<unsigned char>(mCrc >> (8 * i));
  }
  if (!GetNext()->Write(trailer, kTrailerSize)) {
    CopyError(*GetNext());
    return false;
  }
  return true;
}

bool KCrcFile::Rewind() {
  if (!KChainedFile::Rewind()) {
    return false;
  }
  Reset();
  return true;
}

void KCrcFile::Fail(EError id) {
  mFailure = id;
  SetError(id);
}

size_t KCrcFile::Available() const {
  size_t held = mEnd - mBegin;
  return held > kTrailerSize ? held - kTrailerSize : 0;
}

bool KCrcFile::Fill() {
  if (mNextDone) {
    return true;
  }
  if (!FillFromNext(mBuffer, mBegin, mEnd, mNextDone)) {
    mFailure = GetLastErrorID();
    return false;
  }
  return true;
}

bool KCrcFile::Check() {
  mChecked = true;
  if (mEnd - mBegin != kTrailerSize) {
    Fail(eCorrupted);
    return false;
  }
  const unsigned char* trailer = mBuffer.data() + mBegin;
  kUInt stored = 0;
  for (size_t i = 0; i < kTrailerSize; ++i) {
    stored |= static_cast<kUInt>(trailer[i]) << (8 * i);
  }
  if (stored != mCrc) {
    Fail(eCrcMismatch);
    return false;
  }
  return true;
}

void KCrcFile::CheckAtEnd() {
  // Learn whether the held-back bytes are the trailer as soon as nothing
  // else is buffered, so that the read taking the last byte checks it.
  if (Available() == 0 && !mNextDone && !Fill()) {
    return;
  }
  if (mNextDone && Available() == 0 && !mChecked) {
    Check();
  }
}

size_t KCrcFile::Read(void* buffer, size_t size) {
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
    size_t available = Available();
    if (available == 0) {
      if (mNextDone) {
        break;
      }
      if (!Fill()) {
        return 0;
      }
      continue;
    }
    size_t take = size - done < available ? size - done : available;
    std::memcpy(out + done, mBuffer.data() + mBegin, take);
    mCrc = UpdateCrc(mCrc, mBuffer.data() + mBegin, take);
    mBegin += take;
    done += take;
    mPosition += static_cast<kLongLong>(take);
  }
  CheckAtEnd();
  if (mFailure >= 0) {
    // Bytes that fail the check are not handed out as good data.
    return 0;
  }
  if (done < size) {
    SetError(eEndOfFile);
  }
  return done;
}

bool KCrcFile::Write(const void* buffer, size_t size) {
  if (!CheckWritable()) {
    return false;
  }
  if (mFailure >= 0) {
    SetError(static_cast<EError>(mFailure));
    return false;
  }
  if (size == 0) {
    return true;
  }
  mCrc = UpdateCrc(mCrc, buffer, size);
  mPosition += static_cast<kLongLong>(size);
  if (!GetNext()->Write(buffer, size)) {
    CopyError(*GetNext());
    // The trailer could only vouch for bytes that are not all there.
    mFailure = GetLastErrorID();
    return false;
  }
  return true;
}

bool KCrcFile::Seek(kLongLong offset, ESeekOrigin origin) {
  return SeekSequential(offset, origin);
}

kLongLong KCrcFile::Tell() {
  return TellSequential(mPosition);
}

kLongLong KCrcFile::GetSize() {
  // Closed (eNotOpen), or writing: the bytes written so far.
  if (!IsOpen() || ModeWrites(GetMode())) {
    return TellSequential(mPosition);
  }
  kLongLong total = GetNext()->GetSize();
  if (total < 0) {
    CopyError(*GetNext());
    return -1;
  }
  kLongLong size = total - GetStartOffset() - static_cast<kLongLong>(kTrailerSize);
  if (size < 0) {
    SetError(eCorrupted);
    return -1;
  }
  return size;
}

bool KCrcFile::EndOfFile() {
  if (!IsOpen() || ModeWrites(GetMode()) || mFailure >= 0) {
    return true;
  }
  if (Available() > 0) {
    return false;
  }
  CheckAtEnd();
  return mFailure >= 0 || (mNextDone && Available() == 0);
}

kUInt KCrcFile::GetCrc() const {
  return mCrc;
}

}  // namespace qelsdk_600
