#include "base/kmemoryfile.h"

#include <cstring>
#include <limits>
#include <new>

namespace qelsdk_600 {

namespace {

// Positions beyond this cannot be backed by memory; refusing them early
// keeps position and size sums free of overflow, in size_t and in 64 bits.
const kULongLong kMaxMemorySize =
    std::numeric_limits<size_t>::max() / 2 < (1ULL << 61)
        ? std::numeric_limits<size_t>::max() / 2
        : (1ULL << 61);

}  // namespace

KMemoryFile::KMemoryFile() {}

KMemoryFile::~KMemoryFile() {}

bool KMemoryFile::Open(const char* /*path*/, EOpenMode mode) {
  if (mOpen) {
    SetError(eAlreadyOpen);
    return false;
  }
  if (mode != eReadOnly && mode != eReadWrite && mode != eCreateWriteOnly &&
      mode != eCreateReadWrite) {
    SetError(eOpenFailed);
    return false;
  }
  if (mode == eCreateWriteOnly || mode == eCreateReadWrite) {
    mData.clear();
  }
  mMode = mode;
  mPosition = 0;
  mOpen = true;
  mWriteFailed = false;
  return true;
}

bool KMemoryFile::Close() {
  bool ok = !(mOpen && mWriteFailed);
  if (!ok) {
    SetError(eWriteFailed);
  }
  mOpen = false;
  return ok;
}

bool KMemoryFile::IsOpen() const {
  return mOpen;
}

size_t KMemoryFile::Read(void* buffer, size_t size) {
  if (!mOpen) {
    SetError(eNotOpen);
    return 0;
  }
  if (!ModeReads(mMode)) {
    SetError(eWrongMode);
    return 0;
  }
  size_t left = mPosition < mData.size() ? mData.size() - mPosition : 0;
  size_t done = size < left ? size : left;
  if (done > 0) {
    std::memcpy(buffer, mData.data() + mPosition, done);
    mPosition += done;
  }
  if (done < size) {
    SetError(eEndOfFile);
  }
  return done;
}

bool KMemoryFile::Write(const void* buffer, size_t size) {
  if (!mOpen) {
    SetError(eNotOpen);
    return false;
  }
  if (!ModeWrites(mMode)) {
    SetError(eWrongMode);
    return false;
  }
  if (size == 0) {
    return true;
  }
  if (size > kMaxMemorySize - mPosition) {
    SetError(eOutOfMemory);
    mWriteFailed = true;
    return false;
  }
  size_t end = mPosition + size;
  if (end > mData.size()) {
    // The only place where the vector may throw; the stream API does not.
    try {
      if (end > mData.capacity()) {
        size_t grown = mData.capacity() * 2;
        mData.reserve(grown > end ? grown : end);
      }
      mData.resize(end);
    } catch (const std::bad_alloc&) {
      SetError(eOutOfMemory);
      mWriteFailed = true;
      return false;
    }
  }
  std::memcpy(mData.data() + mPosition, buffer, size);
  mPosition = end;
  return true;
}

bool KMemoryFile::Seek(kLongLong offset, ESeekOrigin origin) {
  if (!mOpen) {
    SetError(eNotOpen);
    return false;
  }
  kLongLong base;
  switch (origin) {
    case eBegin: base = 0; break;
    case eCurrent: base = static_cast<kLongLong>(mPosition); break;
    case eEnd: base = static_cast<kLongLong>(mData.size()); break;
    default: SetError(eSeekFailed); return false;
  }
  // base is at most kMaxMemorySize, so only offsets beyond that range can
  // overflow the sum.
  const kLongLong limit = static_cast<kLongLong>(kMaxMemorySize);
  if (offset < -limit || offset > limit) {
    SetError(eSeekFailed);
    return false;
  }
  kLongLong target = base + offset;
  if (target < 0 || target > limit) {
    SetError(eSeekFailed);
    return false;
  }
  mPosition = static_cast<size_t>(target);
  return true;
}

kLongLong KMemoryFile::Tell() {
  if (!mOpen) {
    SetError(eNotOpen);
    return -1;
  }
  return static_cast<kLongLong>(mPosition);
}

kLongLong KMemoryFile::GetSize() {
  return static_cast<kLongLong>(mData.size());
}

bool KMemoryFile::Flush() {
  if (!mOpen) {
    SetError(eNotOpen);
    return false;
  }
  return true;
}

bool KMemoryFile::EndOfFile() {
  return !mOpen || mPosition >= mData.size();
}

bool KMemoryFile::SetData(const void* data, size_t size) {
  try {
    if (size == 0) {
      mData.clear();
    } else {
      const unsigned char* bytes = static_cast<const unsigned char*>(data);
      // assign may not read from the vector it fills.
      std::vector<unsigned char> copy(bytes, bytes + size);
      mData.swap(copy);
    }
  } catch (const std::bad_alloc&) {
    SetError(eOutOfMemory);
    return false;
  }
  mPosition = 0;
  return true;
}

const unsigned char* KMemoryFile::GetData() const {
  return mData.data();
}

size_t KMemoryFile::GetDataSize() const {
  return mData.size();
}

}  // namespace qelsdk_600
