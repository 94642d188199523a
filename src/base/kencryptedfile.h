// A stream layer that enciphers its bytes with Twofish.
#ifndef QELSDK_BASE_KENCRYPTEDFILE_H
#define QELSDK_BASE_KENCRYPTEDFILE_H

#include <cstddef>
#include <memory>
#include <vector>

#include "base/kchainedfile.h"

namespace qelsdk_600 {

// Twofish in CBC mode on 16-byte blocks with a caller-supplied key of 16, 24
// or 32 bytes. Layout written to next: a 16-byte random initialisation
// vector, then the enciphered blocks. The last block always carries a
// length marker: n bytes (1 to 16) each of value n close the data, so a
// whole number of blocks is written and the plain length comes back exactly.
// Reading takes everything from the start position to the end of next as
// vector and blocks, and checks the marker; a wrong one, or a body that is
// not a whole, non-empty number of blocks, is eCorrupted. No integrity check of its own:
// chain a KCrcFile below it to detect altered bytes.
// Opening draws and writes the vector (eNoRandom when the system has no
// random bytes) or reads it, and needs a key (eBadKey otherwise). Close
// when writing writes the last block; when reading, it is false after a
// damaged end. Sequential: modes eReadOnly and eCreateWriteOnly only; Seek
// while reading re-reads (see KChainedFile::SeekSequential).
class KEncryptedFile : public KChainedFile {
 public:
  explicit KEncryptedFile(KFile* next, bool ownsNext = false);
  // Wipes the key from memory.
  ~KEncryptedFile() override;

  // Sets the key for the next Open (copied). False with eBadKey when the
  // length is not 16, 24 or 32 bytes; the previous key is then kept.
  bool SetKey(const void* key, size_t length);

  size_t Read(void* buffer, size_t size) override;
  // Bytes are gathered and go to next enciphered in batches of whole blocks.
  bool Write(const void* buffer, size_t size) override;
  // Writes the complete blocks gathered so far, then flushes next; the
  // partial last block waits for Close, which adds the length marker.
  bool Flush() override;
  bool Seek(kLongLong offset, ESeekOrigin origin) override;
  // Plain bytes read or written so far.
  kLongLong Tell() override;
  // Writing: plain bytes written so far. Reading: the plain size once the
  // end has been read, -1 (eNotSupported) before.
  kLongLong GetSize() override;
  bool EndOfFile() override;

 protected:
  bool CanStart(EOpenMode mode) override;
  bool StartLayer(EOpenMode mode) override;
  bool FinishLayer() override;
  bool Rewind() override;

 private:
  struct Cipher;  // nettle state, kept out of this header
  std::unique_ptr<Cipher> mCipher;
  unsigned char mKey[32];
  size_t mKeyLength = 0;

  // Writing: plain bytes not yet enciphered. Reading: enciphered bytes from
  // next, the last block held back until next is exhausted, since only the
  // last one carries the marker.
  std::vector<unsigned char> mIn;
  size_t mInBegin = 0;
  size_t mInEnd = 0;
  // Reading: deciphered bytes not yet handed out. Writing: scratch for the
  // enciphered batch.
  std::vector<unsigned char> mOut;
  size_t mOutBegin = 0;
  size_t mOutEnd = 0;
  bool mNextDone = false;
  bool mAtEnd = false;
  int mFailure = -1;  // EError that ended the stream, -1 while none
  kLongLong mPosition = 0;

  void Reset();
  void Fail(EError id);
  bool ReadVector();
  bool Fill();
  bool Decipher();
  bool WriteBlocks();
};

}  // namespace qelsdk_600

#endif
