// A stream layer that guards its bytes with a CRC-32 trailer.
#ifndef QELSDK_BASE_KCRCFILE_H
#define QELSDK_BASE_KCRCFILE_H

#include <cstddef>
#include <vector>

#include "base/kchainedfile.h"

namespace qelsdk_600 {

// Writing passes the bytes to next unchanged and, at Close, appends the
// CRC-32 (zlib's, initial value 0) of all of them as 4 bytes, least
// significant first. Reading takes everything from the start position to
// the end of next as the guarded bytes plus that trailer; the trailer is
// never handed out. The read that reaches the end checks the trailer: on a
// mismatch it returns 0 with eCrcMismatch, as does every later read, and
// Close returns false. Fewer than 4 bytes in next is eCorrupted. Close
// when writing appends the trailer, and is false after any failed write; a
// stream closed before the end of its reading is not checked (no error).
// Sequential: modes eReadOnly and eCreateWriteOnly only; Seek while reading
// re-reads through the check (see KChainedFile::SeekSequential).
class KCrcFile : public KChainedFile {
 public:
  explicit KCrcFile(KFile* next, bool ownsNext = false);
  ~KCrcFile() override;

  size_t Read(void* buffer, size_t size) override;
  bool Write(const void* buffer, size_t size) override;
  bool Seek(kLongLong offset, ESeekOrigin origin) override;
  // Guarded bytes read or written so far.
  kLongLong Tell() override;
  // Writing: bytes written so far. Reading: next's size less the start
  // offset and the trailer; -1 when next cannot tell its size.
  kLongLong GetSize() override;
  bool EndOfFile() override;

  // CRC-32 of the guarded bytes read or written so far.
  kUInt GetCrc() const;

 protected:
  bool CanStart(EOpenMode mode) override;
  bool StartLayer(EOpenMode mode) override;
  bool FinishLayer() override;
  bool Rewind() override;

 private:
  // Reading keeps the last 4 bytes of next back until next is exhausted,
  // since only then are they known to be the trailer.
  std::vector<unsigned char> mBuffer;
  size_t mBegin = 0;
  size_t mEnd = 0;
  bool mNextDone = false;
  bool mChecked = false;
  int mFailure = -1;  // EError that ended the stream, -1 while none
  kUInt mCrc = 0;
  kLongLong mPosition = 0;

  void Reset();
  size_t Available() const;
  bool Fill();
  void Fail(EError id);
  bool Check();
  void CheckAtEnd();
};

}  // namespace qelsdk_600

#endif
