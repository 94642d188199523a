#include "base/kfile.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>

namespace qelsdk_600 {

namespace {

const char* const kStreamErrors[KFile::eErrorCount] = {
    "File could not be opened",
    "File not opened",
    "File already opened",
    "Operation not allowed in this open mode",
    "Read error",
    "Unexpected end of file",
    "Write error",
    "Seek error",
    "File could not be closed properly",
    "Operation not supported by this stream",
    "Out of memory",
    "No next stream",
    "CRC mismatch",
    "Corrupted data",
    "Missing or invalid key",
    "No random source",
};

// Large enough that bulk transfers make few system calls.
const size_t kFileBufferSize = 64 * 1024;

}  // namespace

KFile::KFile() : mError(kStreamErrors, eErrorCount) {}

KFile::~KFile() {
  if (mFile) {
    std::fclose(mFile);
  }
}

int KFile::Remove(const KString& name) {
  return std::remove(name.Buffer());
}

bool KFile::ModeReads(EOpenMode mode) {
  return mode != eCreateWriteOnly;
}

bool KFile::ModeWrites(EOpenMode mode) {
  return mode != eReadOnly;
}

bool KFile::Open(const char* path, EOpenMode mode) {
  if (mFile) {
    SetError(eAlreadyOpen);
    return false;
  }
  const char* cmode = nullptr;
  switch (mode) {
    case eReadOnly: cmode = "rb"; break;
    case eReadWrite: cmode = "r+b"; break;
    case eCreateWriteOnly: cmode = "wb"; break;
    case eCreateReadWrite: cmode = "w+b"; break;
  }
  if (!path || !*path || !cmode) {
    SetError(eOpenFailed);
    return false;
  }
  // The 64-bit variants keep offsets beyond 2 GiB working on 32-bit builds.
  mFile = fopen64(path, cmode);
  if (!mFile) {
    SetError(eOpenFailed);
    return false;
  }
  // A directory opens for reading on Linux, then fails every read.
  struct stat64 info;
  if (fstat64(fileno(mFile), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(mFile);
    mFile = nullptr;
    SetError(eOpenFailed);
    return false;
  }
  if (!mBuffer) {
    mBuffer.reset(new (std::nothrow) char[kFileBufferSize]);
  }
  if (mBuffer) {
    std::setvbuf(mFile, mBuffer.get(), _IOFBF, kFileBufferSize);
  }
  mMode = mode;
  mLastWasRead = false;
  mLastWasWrite = false;
  mWriteFailed = false;
  return true;
}

bool KFile::Close() {
  if (!mFile) {
    return true;
  }
  bool ok = std::fclose(mFile) == 0;
  mFile = nullptr;
  if (!ok) {
    SetError(eCloseFailed);
  } else if (mWriteFailed) {
    SetError(eWriteFailed);
    ok = false;
  }
  return ok;
}

bool KFile::IsOpen() const {
  return mFile != nullptr;
}

bool KFile::PrepareRead() {
  if (!mFile) {
    SetError(eNotOpen);
    return false;
  }
  if (!ModeReads(mMode)) {
    SetError(eWrongMode);
    return false;
  }
  if (mLastWasWrite && fseeko64(mFile, 0, SEEK_CUR) != 0) {
    SetError(eSeekFailed);
    return false;
  }
  mLastWasWrite = false;
  mLastWasRead = true;
  return true;
}

bool KFile::PrepareWrite() {
  if (!mFile) {
    SetError(eNotOpen);
    return false;
  }
  if (!ModeWrites(mMode)) {
    SetError(eWrongMode);
    return false;
  }
  if (mLastWasRead && fseeko64(mFile, 0, SEEK_CUR) != 0) {
    SetError(eSeekFailed);
    return false;
  }
  mLastWasRead = false;
  mLastWasWrite = true;
  return true;
}

size_t KFile::Read(void* buffer, size_t size) {
  if (!PrepareRead()) {
    return 0;
  }
  if (size == 0) {
    return 0;
  }
  size_t done = std::fread(buffer, 1, size, mFile);
  if (done < size) {
    SetError(std::ferror(mFile) ? eReadFailed : eEndOfFile);
    std::clearerr(mFile);
  }
  return done;
}

bool KFile::Write(const void* buffer, size_t size) {
  if (!PrepareWrite()) {
    return false;
  }
  if (size == 0) {
    return true;
  }
  if (std::fwrite(buffer, 1, size, mFile) != size) {
    SetError(eWriteFailed);
    mWriteFailed = true;
    std::clearerr(mFile);
    return false;
  }
  return true;
}

bool KFile::Seek(kLongLong offset, ESeekOrigin origin) {
  if (!mFile) {
    SetError(eNotOpen);
    return false;
  }
  int whence;
  switch (origin) {
    case eBegin: whence = SEEK_SET; break;
    case eCurrent: whence = SEEK_CUR; break;
    case eEnd: whence = SEEK_END; break;
    default: SetError(eSeekFailed); return false;
  }
  if (fseeko64(mFile, offset, whence) != 0) {
    SetError(eSeekFailed);
    return false;
  }
  mLastWasRead = false;
  mLastWasWrite = false;
  return true;
}

kLongLong KFile::Tell() {
  if (!mFile) {
    SetError(eNotOpen);
    return -1;
  }
  kLongLong position = ftello64(mFile);
  if (position < 0) {
    SetError(eSeekFailed);
    return -1;
  }
  return position;
}

kLongLong KFile::GetSize() {
  if (!mFile) {
    SetError(eNotOpen);
    return -1;
  }
  // The system knows only what has left the stdio buffer.
  if (mLastWasWrite && std::fflush(mFile) != 0) {
    SetError(eWriteFailed);
    mWriteFailed = true;
    std::clearerr(mFile);
    return -1;
  }
  struct stat64 info;
  if (fstat64(fileno(mFile), &info) != 0) {
    SetError(eSeekFailed);
    return -1;
  }
  return info.st_size;
}

bool KFile::Flush() {
  if (!mFile) {
    SetError(eNotOpen);
    return false;
  }
  if (!ModeWrites(mMode)) {
    return true;
  }
  if (std::fflush(mFile) != 0) {
    SetError(eWriteFailed);
    mWriteFailed = true;
    std::clearerr(mFile);
    return false;
  }
  return true;
}

bool KFile::EndOfFile() {
  if (!mFile) {
    return true;
  }
  if (!ModeReads(mMode)) {
    kLongLong position = Tell();
    kLongLong size = GetSize();
    return position < 0 || size < 0 || position >= size;
  }
  if (!PrepareRead()) {
    return true;
  }
  // Peeking answers without a failed read, and costs nothing once buffered.
  int c = std::getc(mFile);
  if (c == EOF) {
    std::clearerr(mFile);
    return true;
  }
  std::ungetc(c, mFile);
  return false;
}

int KFile::GetLastErrorID() const {
  return mError.GetLastErrorID();
}

const char* KFile::GetLastErrorString() const {
  return mError.GetLastErrorString();
}

void KFile::ClearError() {
  mError.ClearLastError();
}

void KFile::SetError(EError id) {
  mError.SetLastErrorID(id);
}

void KFile::CopyError(const KFile& from) {
  mError.SetLastError(from.GetLastErrorID(), from.GetLastErrorString());
}

}  // namespace qelsdk_600
