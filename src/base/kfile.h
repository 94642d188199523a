// Byte streams: the common interface and the buffered disk file.
#ifndef QELSDK_BASE_KFILE_H
#define QELSDK_BASE_KFILE_H

#include <cstddef>
#include <cstdio>
#include <memory>

#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

// A byte stream. KFile itself is a buffered disk file; KMemoryFile and the
// chained streams (KChainedFile, KCrcFile, KEncryptedFile) override every
// operation, so code written against KFile& works on all of them.
// Failures never throw: the call returns false, 0 or -1 and the reason is
// kept as the stream's last error (GetLastErrorID / GetLastErrorString).
// Not copyable. Not thread-safe.
class KFile {
 public:
  // How Open treats the named file.
  enum EOpenMode {
    eReadOnly,         // existing file, read from its start
    eReadWrite,        // existing file, read and written from its start
    eCreateWriteOnly,  // created, or emptied when it exists; write only
    eCreateReadWrite   // created, or emptied when it exists; read and write
  };

  // Reference point of Seek.
  enum ESeekOrigin { eBegin, eCurrent, eEnd };

  // Ids of the last error, shared by every stream class so that a chained
  // stream can pass on the error of the stream below it unchanged.
  enum EError {
    eOpenFailed = 0,    // the file could not be opened or created
    eNotOpen,           // the operation needs an open stream
    eAlreadyOpen,       // Open on a stream that is still open
    eWrongMode,         // read on a write-only stream, or the reverse
    eReadFailed,        // the system reported a read failure
    eEndOfFile,         // a read asked for more bytes than were left
    eWriteFailed,       // not every byte could be written
    eSeekFailed,        // bad position or origin, or the system refused
    eCloseFailed,       // buffered bytes could not be written at close
    eNotSupported,      // the stream cannot do this (see its class)
    eOutOfMemory,       // a memory buffer could not grow
    eNoNextStream,      // a chained stream has nothing to forward to
    eCrcMismatch,       // the stored CRC-32 differs from the data's
    eCorrupted,         // framing of a chained stream is damaged or cut
    eBadKey,            // no key, or a key that is not 16, 24 or 32 bytes
    eNoRandom,          // no random bytes for an initialisation vector
    eErrorCount
  };

  KFile();
  // Closes the file when it is still open; call Close first to learn
  // whether the buffered bytes reached the disk.
  virtual ~KFile();

  KFile(const KFile&) = delete;
  KFile& operator=(const KFile&) = delete;

  // Removes the named file (the C library's remove); returns its result:
  // 0 on success, -1 on failure (a missing file is a failure).
  static int Remove(const KString& name);

  // Opens the stream on a path. False (eAlreadyOpen, eOpenFailed...) when it
  // cannot; the stream is then closed. Memory streams ignore the path.
  virtual bool Open(const char* path, EOpenMode mode);
  // Writes what is buffered and closes. False when buffered bytes, a
  // trailer or the final block could not be written, when any earlier write
  // or flush failed, or when a read-side check failed; the stream is closed
  // either way. Closed stream: true.
  virtual bool Close();
  virtual bool IsOpen() const;

  // Reads up to size bytes into buffer; returns the number read. Fewer than
  // size means the end was reached (eEndOfFile) or a failure: either way the
  // reason is recorded, so a short read never passes for success.
  virtual size_t Read(void* buffer, size_t size);
  // Writes size bytes. True only when all of them were accepted; false
  // (eWriteFailed, eWrongMode...) otherwise.
  virtual bool Write(const void* buffer, size_t size);

  // Moves the position, in bytes, relative to origin. A position beyond the
  // end is allowed for writing (the gap reads as zeros); a negative one
  // fails with eSeekFailed. 64-bit, so files beyond 4 GiB work.
  virtual bool Seek(kLongLong offset, ESeekOrigin origin);
  // Current position in bytes; -1 when closed.
  virtual kLongLong Tell();
  // Size in bytes (buffered writes included); -1 when it is unknown.
  virtual kLongLong GetSize();
  // Hands buffered bytes to the system; false when that fails.
  virtual bool Flush();
  // True when no byte is left to read at the current position (also when
  // closed). Unlike feof, it needs no failed read to become true.
  virtual bool EndOfFile();

  // Last error id (EError), -1 when none was recorded since construction
  // or ClearError; and its text (empty when none).
  int GetLastErrorID() const;
  const char* GetLastErrorString() const;
  void ClearError();

 protected:
  // Records error id with the standard text of the stream error table.
  void SetError(EError id);
  // Copies another stream's last error (id and text) into this one.
  void CopyError(const KFile& from);
  // True when mode allows reading or writing.
  static bool ModeReads(EOpenMode mode);
  static bool ModeWrites(EOpenMode mode);

 private:
  KError mError;
  std::FILE* mFile = nullptr;
  EOpenMode mMode = eReadOnly;
  // stdio needs a seek between a write and a following read (and the
  // reverse); these remember which one came last.
  bool mLastWasWrite = false;
  bool mLastWasRead = false;
  // A failed write leaves a hole, so Close must not report success.
  bool mWriteFailed = false;
  std::unique_ptr<char[]> mBuffer;  // stdio buffer, larger than its default

  bool PrepareRead();
  bool PrepareWrite();
};

}  // namespace qelsdk_600

#endif
