// A byte stream held in memory.
#ifndef QELSDK_BASE_KMEMORYFILE_H
#define QELSDK_BASE_KMEMORYFILE_H

#include <cstddef>
#include <vector>

#include "base/kfile.h"

namespace qelsdk_600 {

// KFile over a growable memory buffer, with the same operations and the
// same error rules as the disk file. The buffer outlives Close, so a stream
// can be written, closed, then opened again for reading; it is freed by the
// destructor or replaced by SetData.
class KMemoryFile : public KFile {
 public:
  // Closed, with an empty buffer.
  KMemoryFile();
  ~KMemoryFile() override;

  // The path is ignored. eReadOnly and eReadWrite keep the buffer and start
  // at position 0; the two create modes empty it first.
  bool Open(const char* path, EOpenMode mode) override;
  // False (eWriteFailed) only when a write failed since Open.
  bool Close() override;
  bool IsOpen() const override;
  size_t Read(void* buffer, size_t size) override;
  // Grows the buffer as needed; false with eOutOfMemory when it cannot.
  bool Write(const void* buffer, size_t size) override;
  // Accepts positions up to half the address space, at most 2^61, whether
  // or not memory could back them; a write there fails with eOutOfMemory.
  bool Seek(kLongLong offset, ESeekOrigin origin) override;
  kLongLong Tell() override;
  // Size of the buffer in bytes, open or not.
  kLongLong GetSize() override;
  bool Flush() override;
  bool EndOfFile() override;

  // Replaces the buffer with a copy of size bytes at data and puts the
  // position at 0; the open state is unchanged. False with eOutOfMemory.
  bool SetData(const void* data, size_t size);
  // The buffer's bytes, owned by this object; valid until the next call that
  // writes, SetData, Open in a create mode, or destruction.
  const unsigned char* GetData() const;
  size_t GetDataSize() const;

 private:
  std::vector<unsigned char> mData;
  size_t mPosition = 0;
  EOpenMode mMode = eReadOnly;
  bool mOpen = false;
  bool mWriteFailed = false;
};

}  // namespace qelsdk_600

#endif
