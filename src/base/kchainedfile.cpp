#include "base/kchainedfile.h"

#include <cstring>
#include <limits>

namespace qelsdk_600 {

namespace {

// Read through a stack buffer; small enough for any thread stack.
const size_t kSkipChunk = 16 * 1024;

}  // namespace

KChainedFile::KChainedFile(KFile* next, bool ownsNext)
    : mNext(next), mOwnsNext(ownsNext) {}

KChainedFile::~KChainedFile() {
  // A derived layer has closed itself already; this only closes a plain
  // forwarding stream.
  if (mOpen) {
    KChainedFile::Close();
  }
  if (mOwnsNext) {
    delete mNext;
  }
}

KFile* KChainedFile::GetNext() const {
  return mNext;
}

KFile::EOpenMode KChainedFile::GetMode() const {
  return mMode;
}

kLongLong KChainedFile::GetStartOffset() const {
  return mStartOffset;
}

bool KChainedFile::Open(const char* path, EOpenMode mode) {
  if (mOpen) {
    SetError(eAlreadyOpen);
    return false;
  }
  if (!mNext) {
    SetError(eNoNextStream);
    return false;
  }
  if (!CanStart(mode)) {
    return false;
  }
  if (!mNext->Open(path, mode)) {
    CopyError(*mNext);
    return false;
  }
  if (!OpenOnNext(mode)) {
    mNext->Close();
    return false;
  }
  return true;
}

bool KChainedFile::OpenOnNext(EOpenMode mode) {
  if (mOpen) {
    SetError(eAlreadyOpen);
    return false;
  }
  if (!mNext) {
    SetError(eNoNextStream);
    return false;
  }
  if (!mNext->IsOpen()) {
    SetError(eNotOpen);
    return false;
  }
  if (!CanStart(mode)) {
    return false;
  }
  kLongLong start = mNext->Tell();
  if (start < 0) {
    CopyError(*mNext);
    return false;
  }
  mMode = mode;
  mStartOffset = start;
  // Open before the hook so that the layer may use its own operations.
  mOpen = true;
  if (!StartLayer(mode)) {
    mOpen = false;
    return false;
  }
  return true;
}

bool KChainedFile::CanStart(EOpenMode /*mode*/) {
  return true;
}

bool KChainedFile::StartLayer(EOpenMode /*mode*/) {
  return true;
}

bool KChainedFile::FinishLayer() {
  return true;
}

bool KChainedFile::Close() {
  if (!mOpen) {
    return true;
  }
  bool ok = FinishLayer();
  mOpen = false;
  if (mNext && !mNext->Close()) {
    // The layer's own failure is the more telling one.
    if (ok) {
      CopyError(*mNext);
    }
    ok = false;
  }
  return ok;
}

bool KChainedFile::IsOpen() const {
  return mOpen;
}

bool KChainedFile::CheckOpen() {
  if (!mOpen) {
    SetError(eNotOpen);
    return false;
  }
  return true;
}

bool KChainedFile::CheckOpenFor(bool modeFits) {
  if (!CheckOpen()) {
    return false;
  }
  if (!modeFits) {
    SetError(eWrongMode);
    return false;
  }
  return true;
}

bool KChainedFile::CheckReadable() {
  return CheckOpenFor(ModeReads(mMode));
}

bool KChainedFile::CheckWritable() {
  return CheckOpenFor(ModeWrites(mMode));
}

bool KChainedFile::CheckSequentialMode(EOpenMode mode) {
  if (mode != eReadOnly && mode != eCreateWriteOnly) {
    SetError(eNotSupported);
    return false;
  }
  return true;
}

kLongLong KChainedFile::TellSequential(kLongLong position) {
  return CheckOpen() ? position : -1;
}

bool KChainedFile::FillFromNext(std::vector<unsigned char>& buffer,
                                size_t& begin, size_t& end, bool& nextDone) {
  if (begin > 0) {
    std::memmove(buffer.data(), buffer.data() + begin, end - begin);
    end -= begin;
    begin = 0;
  }
  size_t wanted = buffer.size() - end;
  size_t got = mNext->Read(buffer.data() + end, wanted);
  end += got;
  if (got < wanted) {
    if (mNext->GetLastErrorID() != eEndOfFile) {
      CopyError(*mNext);
      return false;
    }
    nextDone = true;
  }
  return true;
}

size_t KChainedFile::Read(void* buffer, size_t size) {
  if (!CheckOpen()) {
    return 0;
  }
  size_t done = mNext->Read(buffer, size);
  if (done < size) {
    CopyError(*mNext);
  }
  return done;
}

bool KChainedFile::Write(const void* buffer, size_t size) {
  if (!CheckOpen()) {
    return false;
  }
  if (!mNext->Write(buffer, size)) {
    CopyError(*mNext);
    return false;
  }
  return true;
}

bool KChainedFile::Seek(kLongLong offset, ESeekOrigin origin) {
  if (!CheckOpen()) {
    return false;
  }
  if (!mNext->Seek(offset, origin)) {
    CopyError(*mNext);
    return false;
  }
  return true;
}

kLongLong KChainedFile::Tell() {
  if (!CheckOpen()) {
    return -1;
  }
  kLongLong position = mNext->Tell();
  if (position < 0) {
    CopyError(*mNext);
  }
  return position;
}

kLongLong KChainedFile::GetSize() {
  if (!CheckOpen()) {
    return -1;
  }
  kLongLong size = mNext->GetSize();
  if (size < 0) {
    CopyError(*mNext);
  }
  return size;
}

bool KChainedFile::Flush() {
  if (!CheckOpen()) {
    return false;
  }
  if (!mNext->Flush()) {
    CopyError(*mNext);
    return false;
  }
  return true;
}

bool KChainedFile::EndOfFile() {
  return !mOpen || mNext->EndOfFile();
}

bool KChainedFile::Rewind() {
  if (!mNext->Seek(mStartOffset, eBegin)) {
    CopyError(*mNext);
    return false;
  }
  return true;
}

bool KChainedFile::SeekSequential(kLongLong offset, ESeekOrigin origin) {
  if (!CheckOpen()) {
    return false;
  }
  kLongLong position = Tell();
  if (position < 0) {
    return false;
  }
  if (origin != eBegin && origin != eCurrent && origin != eEnd) {
    SetError(eSeekFailed);
    return false;
  }
  if (ModeWrites(mMode)) {
    bool here = (origin == eBegin && offset == position) ||
                (origin != eBegin && offset == 0);
    if (!here) {
      SetError(eNotSupported);
    }
    return here;
  }

  unsigned char scratch[kSkipChunk];
  kLongLong base = position;
  if (origin == eBegin) {
    base = 0;
  } else if (origin == eEnd) {
    // The size is known only once everything has been read (and checked).
    while (Read(scratch, kSkipChunk) == kSkipChunk) {
    }
    if (GetLastErrorID() != eEndOfFile) {
      return false;
    }
    ClearError();
    position = Tell();
    base = position;
  }
  if ((offset > 0 && base > std::numeric_limits<kLongLong>::max() - offset) ||
      base + offset < 0) {
    SetError(eSeekFailed);
    return false;
  }
  kLongLong target = base + offset;
  if (target < position) {
    if (!Rewind()) {
      return false;
    }
    position = 0;
  }
  while (position < target) {
    kLongLong left = target - position;
    size_t chunk = left < static_cast<kLongLong>(kSkipChunk)
                       ? static_cast<size_t>(left) : kSkipChunk;
    size_t done = Read(scratch, chunk);
    position += static_cast<kLongLong>(done);
    if (done < chunk) {
      // Past the end is a failed seek; a failed check keeps its own reason.
      if (GetLastErrorID() == eEndOfFile) {
        SetError(eSeekFailed);
      }
      return false;
    }
  }
  return true;
}

}  // namespace qelsdk_600
