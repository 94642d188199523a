// A stream that passes its bytes on to the next stream of a chain.
#ifndef QELSDK_BASE_KCHAINEDFILE_H
#define QELSDK_BASE_KCHAINEDFILE_H

#include <cstddef>
#include <vector>

#include "base/kfile.h"

namespace qelsdk_600 {

// Base of the stream layers. On its own it forwards every operation to the
// next stream unchanged; KCrcFile and KEncryptedFile transform the bytes on
// the way. A chain is built from the outside in, for instance
//   KFile file; KCrcFile crc(&file); KEncryptedFile enc(&crc);
// and then used through its first link: enc.Open(path, mode) opens the
// whole chain, enc.Close() finishes every layer and closes the file.
// An error of the next stream is copied into this one, id and text.
class KChainedFile : public KFile {
 public:
  // next: the stream below this one (may be null: every call then fails with
  // eNoNextStream). ownsNext: true makes the destructor delete next.
  explicit KChainedFile(KFile* next, bool ownsNext = false);
  // Closes the stream when it is still open, then deletes next when owned.
  ~KChainedFile() override;

  KFile* GetNext() const;

  // Opens next on the path, then starts this layer over it (OpenOnNext).
  // When the layer cannot start, next is closed again.
  bool Open(const char* path, EOpenMode mode) override;
  // Starts this layer over next, which must already be open, at next's
  // current position; lets a plain header precede a transformed body.
  // Close still closes next.
  // False with eAlreadyOpen, eNoNextStream, eNotOpen (next closed), or the
  // layer's own reason (unsupported mode, missing key...).
  bool OpenOnNext(EOpenMode mode);
  // Finishes this layer (see the layer's class), then closes next. False
  // when either step fails; both are done anyway.
  bool Close() override;
  bool IsOpen() const override;

  size_t Read(void* buffer, size_t size) override;
  bool Write(const void* buffer, size_t size) override;
  bool Seek(kLongLong offset, ESeekOrigin origin) override;
  kLongLong Tell() override;
  kLongLong GetSize() override;
  bool Flush() override;
  bool EndOfFile() override;

 protected:
  // Mode given to Open or OpenOnNext.
  EOpenMode GetMode() const;
  // Position of next where this layer started.
  kLongLong GetStartOffset() const;

  // Checks what can be checked before next is touched (mode, key), so that
  // a refused Open creates or empties no file. The base accepts anything.
  virtual bool CanStart(EOpenMode mode);
  // Called by OpenOnNext once next is known to be open; false (with the
  // error recorded) leaves the stream closed. The base does nothing.
  virtual bool StartLayer(EOpenMode mode);
  // Called by Close before next is closed: writes what the layer still
  // holds, or reports a failed read-side check. The base does nothing.
  virtual bool FinishLayer();

  // Seek for a sequential layer that is being read: the layer is restarted
  // (Rewind) when the target lies behind the position, then bytes are read
  // and dropped up to the target, so every check on the data still runs.
  // eEnd first reads to the end; a target past the end fails. Writing
  // layers can only "seek" to where they are (eNotSupported otherwise).
  bool SeekSequential(kLongLong offset, ESeekOrigin origin);
  // Puts a layer that is being read back at its first byte; used by
  // SeekSequential. The base moves next back to the start offset.
  virtual bool Rewind();

  // Checks that the stream is open and opened for reading (or writing);
  // records eNotOpen or eWrongMode otherwise.
  bool CheckReadable();
  bool CheckWritable();

  // Helpers of the sequential layers (KCrcFile, KEncryptedFile).
  // CanStart of a layer that streams one way only: eReadOnly and
  // eCreateWriteOnly pass, any other mode records eNotSupported.
  bool CheckSequentialMode(EOpenMode mode);
  // Tell of a layer that counts its own bytes: position, or -1 with eNotOpen.
  kLongLong TellSequential(kLongLong position);
  // Moves the unread bytes [begin, end) of buffer to its front and fills the
  // room after them from next; nextDone is set once next has no more bytes.
  // False, with next's error copied, when next fails for another reason.
  bool FillFromNext(std::vector<unsigned char>& buffer, size_t& begin,
                    size_t& end, bool& nextDone);

 private:
  // Records eNotOpen when the stream is closed.
  bool CheckOpen();
  // CheckOpen, then eWrongMode unless modeFits.
  bool CheckOpenFor(bool modeFits);

  KFile* mNext;
  bool mOwnsNext;
  bool mOpen = false;
  EOpenMode mMode = eReadOnly;
  kLongLong mStartOffset = 0;
};

}  // namespace qelsdk_600

#endif
