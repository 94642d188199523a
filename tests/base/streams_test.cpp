// Byte streams: the disk file and the memory file share one suite; the
// CRC and enciphered layers are checked on their own and as a chain.
#include <gtest/gtest.h>


#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/kchainedfile.h"
#include "base/kcrcfile.h"
#include "base/kencryptedfile.h"
#include "base/kfile.h"
#include "base/kmemoryfile.h"
#include "common/scratch_dir.h"

using namespace qelsdk_600;

namespace {

typedef std::vector<unsigned char> Bytes;

// Deterministic bytes that do not repeat with any power-of-two period.
Bytes Pattern(size_t size, unsigned seed = 7) {
  Bytes bytes(size);
  unsigned value = seed;
  for (size_t i = 0; i < size; ++i) {
    value = value * 1103515245u + 12345u;
    bytes[i] = static_cast<unsigned char>(value >> 16);
  }
  return bytes;
}

Bytes FromHex(const char* hex) {
  Bytes bytes;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    bytes.push_back(static_cast<unsigned char>(
        std::stoi(std::string(hex + i, 2), nullptr, 16)));
  }
  return bytes;
}

using scratch::ScratchDir;

// Reads until the stream stops giving bytes.
Bytes ReadAll(KFile& stream) {
  Bytes all;
  unsigned char chunk[1000];
  for (;;) {
    size_t got = stream.Read(chunk, sizeof(chunk));
    all.insert(all.end(), chunk, chunk + got);
    if (got < sizeof(chunk)) {
      return all;
    }
  }
}

const unsigned char kKey16[16] = {1, 2, 3, 4, 5, 6, 7, 8,
                                  9, 10, 11, 12, 13, 14, 15, 16};

}  // namespace

// ---------------------------------------------------------------------------
// One suite for the disk file and the memory file.

template <typename T>
class StreamTest : public ::testing::Test {
 protected:
  bool Open(KFile::EOpenMode mode) {
    return stream.Open(dir.File("stream.bin").c_str(), mode);
  }
  // Writes bytes into a fresh stream, closes it and opens it in mode.
  void Prepare(const Bytes& bytes, KFile::EOpenMode mode) {
    ASSERT_TRUE(Open(KFile::eCreateWriteOnly));
    ASSERT_TRUE(stream.Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(stream.Close());
    ASSERT_TRUE(Open(mode));
  }

  ScratchDir dir;
  T stream;
};

typedef ::testing::Types<KFile, KMemoryFile> StreamTypes;
TYPED_TEST_SUITE(StreamTest, StreamTypes);

TYPED_TEST(StreamTest, WriteCloseReopenReadRoundTrips) {
  // Around and far beyond the disk file's buffer.
  for (size_t size : {size_t(0), size_t(1), size_t(65535), size_t(65536),
                      size_t(65537), size_t(300000)}) {
    Bytes bytes = Pattern(size);
    this->Prepare(bytes, KFile::eReadOnly);
    EXPECT_EQ(this->stream.GetSize(), static_cast<kLongLong>(size));
    EXPECT_EQ(ReadAll(this->stream), bytes) << size;
    EXPECT_TRUE(this->stream.Close());
  }
}

TYPED_TEST(StreamTest, ShortReadIsReportedAsEndOfFile) {
  this->Prepare(Pattern(10), KFile::eReadOnly);
  unsigned char buffer[16];
  EXPECT_EQ(this->stream.Read(buffer, 4), 4u);
  EXPECT_EQ(this->stream.Read(buffer, 16), 6u);
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eEndOfFile);
  EXPECT_STREQ(this->stream.GetLastErrorString(), "Unexpected end of file");
  EXPECT_EQ(this->stream.Read(buffer, 1), 0u);
  EXPECT_EQ(this->stream.Tell(), 10);
}

TYPED_TEST(StreamTest, EndOfFileNeedsNoFailedRead) {
  this->Prepare(Bytes(), KFile::eReadOnly);
  EXPECT_TRUE(this->stream.EndOfFile());
  this->stream.Close();

  this->Prepare(Pattern(3), KFile::eReadOnly);
  unsigned char buffer[3];
  EXPECT_FALSE(this->stream.EndOfFile());
  EXPECT_EQ(this->stream.Read(buffer, 3), 3u);
  EXPECT_TRUE(this->stream.EndOfFile());
  EXPECT_EQ(this->stream.GetLastErrorID(), -1);
  // Peeking must not consume: a seek back reads the same bytes.
  ASSERT_TRUE(this->stream.Seek(1, KFile::eBegin));
  EXPECT_FALSE(this->stream.EndOfFile());
  EXPECT_EQ(this->stream.Read(buffer, 2), 2u);
  EXPECT_EQ(buffer[0], Pattern(3)[1]);
}

TYPED_TEST(StreamTest, SeekFromEachOriginAndTell) {
  Bytes bytes = Pattern(100);
  this->Prepare(bytes, KFile::eReadOnly);
  struct Case {
    kLongLong offset;
    KFile::ESeekOrigin origin;
    kLongLong expected;
  };
  const Case cases[] = {
      {10, KFile::eBegin, 10}, {5, KFile::eCurrent, 15},
      {-3, KFile::eCurrent, 12}, {-1, KFile::eEnd, 99},
      {0, KFile::eEnd, 100}, {0, KFile::eBegin, 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(this->stream.Seek(c.offset, c.origin));
    EXPECT_EQ(this->stream.Tell(), c.expected);
  }
  ASSERT_TRUE(this->stream.Seek(42, KFile::eBegin));
  unsigned char byte = 0;
  EXPECT_EQ(this->stream.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, bytes[42]);

  // A position before the start is refused and leaves the position alone.
  EXPECT_FALSE(this->stream.Seek(-1, KFile::eBegin));
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eSeekFailed);
  EXPECT_FALSE(this->stream.Seek(-200, KFile::eEnd));
  EXPECT_EQ(this->stream.Tell(), 43);
}

TYPED_TEST(StreamTest, WritePastEndLeavesZeroGap) {
  ASSERT_TRUE(this->Open(KFile::eCreateReadWrite));
  ASSERT_TRUE(this->stream.Write("ab", 2));
  ASSERT_TRUE(this->stream.Seek(6, KFile::eBegin));
  ASSERT_TRUE(this->stream.Write("z", 1));
  EXPECT_EQ(this->stream.GetSize(), 7);
  ASSERT_TRUE(this->stream.Seek(0, KFile::eBegin));
  char buffer[7];
  ASSERT_EQ(this->stream.Read(buffer, 7), 7u);
  EXPECT_EQ(std::string(buffer, 7), std::string("ab\0\0\0\0z", 7));
}

TYPED_TEST(StreamTest, ReadWriteModeMixesReadsAndWrites) {
  this->Prepare(Bytes{'0', '1', '2', '3', '4', '5'}, KFile::eReadWrite);
  char buffer[8] = {};
  // A read straight after a write (and the reverse) must see the new bytes
  // at the right place.
  ASSERT_EQ(this->stream.Read(buffer, 2), 2u);
  EXPECT_FALSE(this->stream.EndOfFile());  // peeks, must not move
  ASSERT_TRUE(this->stream.Write("xy", 2));
  ASSERT_EQ(this->stream.Read(buffer, 1), 1u);
  EXPECT_EQ(buffer[0], '4');
  ASSERT_TRUE(this->stream.Write("Q", 1));
  EXPECT_EQ(this->stream.GetSize(), 6);
  ASSERT_TRUE(this->stream.Seek(0, KFile::eBegin));
  ASSERT_EQ(this->stream.Read(buffer, 6), 6u);
  EXPECT_EQ(std::string(buffer, 6), "01xy4Q");
}

TYPED_TEST(StreamTest, CreateEmptiesAndReadOnlyKeeps) {
  this->Prepare(Pattern(50), KFile::eReadOnly);
  EXPECT_EQ(this->stream.GetSize(), 50);
  this->stream.Close();
  ASSERT_TRUE(this->Open(KFile::eCreateReadWrite));
  EXPECT_EQ(this->stream.GetSize(), 0);
  EXPECT_TRUE(this->stream.EndOfFile());
}

TYPED_TEST(StreamTest, GetSizeCountsUnflushedWrites) {
  ASSERT_TRUE(this->Open(KFile::eCreateWriteOnly));
  ASSERT_TRUE(this->stream.Write("12345", 5));
  EXPECT_EQ(this->stream.GetSize(), 5);
  EXPECT_EQ(this->stream.Tell(), 5);
  EXPECT_TRUE(this->stream.Flush());
}

TYPED_TEST(StreamTest, OperationsOutsideTheModeFail) {
  this->Prepare(Pattern(4), KFile::eReadOnly);
  EXPECT_FALSE(this->stream.Write("a", 1));
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eWrongMode);
  EXPECT_FALSE(this->Open(KFile::eReadOnly));
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eAlreadyOpen);
  this->stream.Close();

  ASSERT_TRUE(this->Open(KFile::eCreateWriteOnly));
  char byte;
  EXPECT_EQ(this->stream.Read(&byte, 1), 0u);
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eWrongMode);
  this->stream.Close();

  this->stream.ClearError();
  EXPECT_EQ(this->stream.GetLastErrorID(), -1);
  EXPECT_FALSE(this->stream.IsOpen());
  EXPECT_EQ(this->stream.Read(&byte, 1), 0u);
  EXPECT_EQ(this->stream.GetLastErrorID(), KFile::eNotOpen);
  EXPECT_FALSE(this->stream.Write("a", 1));
  EXPECT_FALSE(this->stream.Seek(0, KFile::eBegin));
  EXPECT_EQ(this->stream.Tell(), -1);
  EXPECT_TRUE(this->stream.EndOfFile());
  EXPECT_TRUE(this->stream.Close());
}

// ---------------------------------------------------------------------------
// Disk file and memory file specifics.

TEST(KFileTest, OpenFailuresAreReported) {
  ScratchDir dir;
  KFile file;
  EXPECT_FALSE(file.Open(dir.File("missing").c_str(), KFile::eReadOnly));
  EXPECT_EQ(file.GetLastErrorID(), KFile::eOpenFailed);
  EXPECT_STREQ(file.GetLastErrorString(), "File could not be opened");
  EXPECT_FALSE(file.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_FALSE(file.Open("", KFile::eCreateWriteOnly));
  EXPECT_FALSE(file.Open(dir.File("no/such/dir").c_str(), KFile::eCreateWriteOnly));
  EXPECT_FALSE(file.Open("/tmp", KFile::eReadOnly));
  EXPECT_FALSE(file.IsOpen());
}

TEST(KFileTest, RemoveReturnsTheSystemResult) {
  ScratchDir dir;
  std::string name = dir.File("gone.bin");
  KFile file;
  ASSERT_TRUE(file.Open(name.c_str(), KFile::eCreateWriteOnly));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(KFile::Remove(KString(name.c_str())), 0);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(KFile::Remove(KString(name.c_str())), -1);
}

TEST(KFileTest, OffsetsBeyondFourGibibytes) {
  ScratchDir dir;
  KFile file;
  ASSERT_TRUE(file.Open(dir.File("sparse.bin").c_str(), KFile::eCreateReadWrite));
  const kLongLong far = 5LL << 30;
  ASSERT_TRUE(file.Seek(far, KFile::eBegin));
  EXPECT_EQ(file.Tell(), far);
  ASSERT_TRUE(file.Write("x", 1));
  EXPECT_EQ(file.GetSize(), far + 1);
  ASSERT_TRUE(file.Seek(-1, KFile::eEnd));
  EXPECT_EQ(file.Tell(), far);
  char byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, 'x');
}

TEST(KFileTest, FailedWriteIsNeverSuccess) {
  // /dev/full refuses every byte once the buffer reaches it.
  KFile small;
  ASSERT_TRUE(small.Open("/dev/full", KFile::eCreateWriteOnly));
  small.Write("abc", 3);
  EXPECT_FALSE(small.Close());
  EXPECT_EQ(small.GetLastErrorID(), KFile::eCloseFailed);

  KFile large;
  Bytes bytes = Pattern(1 << 20);
  ASSERT_TRUE(large.Open("/dev/full", KFile::eCreateWriteOnly));
  EXPECT_FALSE(large.Write(bytes.data(), bytes.size()));
  EXPECT_EQ(large.GetLastErrorID(), KFile::eWriteFailed);
  ASSERT_TRUE(large.Write("a", 1));
  EXPECT_FALSE(large.Flush());
  // The hole stays: closing does not turn the failures into success.
  EXPECT_FALSE(large.Close());
  EXPECT_EQ(large.GetLastErrorID(), KFile::eWriteFailed);
}

TEST(KMemoryFileTest, DataOutlivesCloseAndCanBeReplaced) {
  KMemoryFile memory;
  ASSERT_TRUE(memory.Open(nullptr, KFile::eCreateWriteOnly));
  ASSERT_TRUE(memory.Write("hello", 5));
  ASSERT_TRUE(memory.Close());
  ASSERT_EQ(memory.GetDataSize(), 5u);
  EXPECT_EQ(std::memcmp(memory.GetData(), "hello", 5), 0);

  // Replacing the data with part of itself must not read freed memory.
  ASSERT_TRUE(memory.SetData(memory.GetData() + 1, 3));
  ASSERT_TRUE(memory.Open(nullptr, KFile::eReadOnly));
  char buffer[4] = {};
  EXPECT_EQ(memory.Read(buffer, 4), 3u);
  EXPECT_STREQ(buffer, "ell");
}

TEST(KMemoryFileTest, WriteBeyondMemoryFailsUntilReopened) {
  KMemoryFile memory;
  ASSERT_TRUE(memory.Open(nullptr, KFile::eCreateWriteOnly));
  // The furthest position a memory file accepts, on 32 and 64-bit alike.
  const kULongLong furthest = std::min<kULongLong>(SIZE_MAX / 2, 1ULL << 61);
  ASSERT_TRUE(memory.Seek(static_cast<kLongLong>(furthest), KFile::eBegin));
  EXPECT_FALSE(memory.Write("a", 1));
  EXPECT_EQ(memory.GetLastErrorID(), KFile::eOutOfMemory);
  EXPECT_EQ(memory.GetDataSize(), 0u);
  EXPECT_FALSE(memory.Close());
  ASSERT_TRUE(memory.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_TRUE(memory.Close());
}

TEST(KMemoryFileTest, UnreachablePositionsAreRefused) {
  KMemoryFile memory;
  ASSERT_TRUE(memory.Open(nullptr, KFile::eCreateReadWrite));
  const kLongLong huge = 0x7fffffffffffffffLL;
  EXPECT_FALSE(memory.Seek(huge, KFile::eBegin));
  ASSERT_TRUE(memory.Seek(1, KFile::eBegin));
  EXPECT_FALSE(memory.Seek(huge, KFile::eCurrent));
  EXPECT_FALSE(memory.Seek(-huge - 1, KFile::eEnd));
  EXPECT_EQ(memory.Tell(), 1);
}

// ---------------------------------------------------------------------------
// Plain chained stream.

TEST(KChainedFileTest, ForwardsToNextAndOwnsItOnRequest) {
  KChainedFile chain(new KMemoryFile, true);
  ASSERT_TRUE(chain.Open(nullptr, KFile::eCreateReadWrite));
  ASSERT_TRUE(chain.Write("abcdef", 6));
  EXPECT_EQ(chain.GetSize(), 6);
  ASSERT_TRUE(chain.Seek(2, KFile::eBegin));
  char buffer[8] = {};
  EXPECT_EQ(chain.Read(buffer, 8), 4u);
  EXPECT_EQ(chain.GetLastErrorID(), KFile::eEndOfFile);
  EXPECT_STREQ(buffer, "cdef");
  EXPECT_TRUE(chain.Close());
  EXPECT_FALSE(chain.GetNext()->IsOpen());
}

TEST(KChainedFileTest, NeedsAnOpenNextStream) {
  KChainedFile orphan(nullptr);
  EXPECT_FALSE(orphan.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_EQ(orphan.GetLastErrorID(), KFile::eNoNextStream);

  KMemoryFile memory;
  KChainedFile chain(&memory);
  EXPECT_FALSE(chain.OpenOnNext(KFile::eReadOnly));
  EXPECT_EQ(chain.GetLastErrorID(), KFile::eNotOpen);
  // A missing file below shows through with its own reason.
  ScratchDir dir;
  KFile file;
  KChainedFile onFile(&file);
  EXPECT_FALSE(onFile.Open(dir.File("missing").c_str(), KFile::eReadOnly));
  EXPECT_EQ(onFile.GetLastErrorID(), KFile::eOpenFailed);
}

// ---------------------------------------------------------------------------
// CRC layer.

namespace {

// Writes payload through a CRC layer into memory and returns what landed.
Bytes CrcWrite(const Bytes& payload) {
  KMemoryFile memory;
  KCrcFile crc(&memory);
  EXPECT_TRUE(crc.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_TRUE(crc.Write(payload.data(), payload.size()));
  EXPECT_TRUE(crc.Close());
  return Bytes(memory.GetData(), memory.GetData() + memory.GetDataSize());
}

}  // namespace

TEST(KCrcFileTest, KnownAnswerTrailer) {
  const char* text = "123456789";
  Bytes stored = CrcWrite(Bytes(text, text + 9));
  ASSERT_EQ(stored.size(), 13u);
  EXPECT_EQ(Bytes(stored.begin() + 9, stored.end()), FromHex("2639F4CB"));

  KMemoryFile memory;
  memory.SetData(stored.data(), stored.size());
  KCrcFile crc(&memory);
  ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
  EXPECT_EQ(crc.GetSize(), 9);
  EXPECT_EQ(ReadAll(crc), Bytes(text, text + 9));
  EXPECT_EQ(crc.GetCrc(), 0xCBF43926u);
  EXPECT_TRUE(crc.Close());
}

TEST(KCrcFileTest, RoundTripsAroundItsBufferSize) {
  for (size_t size : {size_t(0), size_t(1), size_t(4), size_t(65531),
                      size_t(65532), size_t(65536), size_t(200001)}) {
    Bytes payload = Pattern(size, 3);
    Bytes stored = CrcWrite(payload);
    ASSERT_EQ(stored.size(), size + 4);
    KMemoryFile memory;
    memory.SetData(stored.data(), stored.size());
    KCrcFile crc(&memory);
    ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
    EXPECT_EQ(ReadAll(crc), payload) << size;
    EXPECT_EQ(crc.GetLastErrorID(), KFile::eEndOfFile);
    EXPECT_TRUE(crc.EndOfFile());
    EXPECT_TRUE(crc.Close()) << size;
  }
}

TEST(KCrcFileTest, EveryFlippedByteIsDetected) {
  Bytes payload = Pattern(40);
  Bytes stored = CrcWrite(payload);
  for (size_t at = 0; at < stored.size(); ++at) {
    Bytes damaged = stored;
    damaged[at] ^= 0x01;
    KMemoryFile memory;
    memory.SetData(damaged.data(), damaged.size());
    KCrcFile crc(&memory);
    ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
    // Asking for exactly the stored length must not pass for success.
    Bytes buffer(payload.size());
    EXPECT_EQ(crc.Read(buffer.data(), buffer.size()), 0u) << at;
    EXPECT_EQ(crc.GetLastErrorID(), KFile::eCrcMismatch) << at;
    EXPECT_STREQ(crc.GetLastErrorString(), "CRC mismatch");
    EXPECT_EQ(crc.Read(buffer.data(), 1), 0u);
    EXPECT_FALSE(crc.Close()) << at;
    EXPECT_EQ(crc.GetLastErrorID(), KFile::eCrcMismatch);
  }
}

TEST(KCrcFileTest, CutOrExtendedStreamsAreDetected) {
  Bytes stored = CrcWrite(Pattern(20));
  struct Case {
    size_t keep;  // bytes of stored kept
    bool extra;   // one byte appended
    int error;
  };
  const Case cases[] = {
      {0, false, KFile::eCorrupted},  {3, false, KFile::eCorrupted},
      {23, false, KFile::eCrcMismatch}, {24, true, KFile::eCrcMismatch},
  };
  for (const Case& c : cases) {
    Bytes damaged(stored.begin(), stored.begin() + c.keep);
    if (c.extra) {
      damaged.push_back(0);
    }
    KMemoryFile memory;
    memory.SetData(damaged.data(), damaged.size());
    KCrcFile crc(&memory);
    ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
    EXPECT_TRUE(ReadAll(crc).empty()) << c.keep;
    EXPECT_EQ(crc.GetLastErrorID(), c.error) << c.keep;
    EXPECT_FALSE(crc.Close());
  }
  // Checked also when nothing is read: EndOfFile reaches the end.
  KMemoryFile memory;
  memory.SetData(stored.data(), 2);
  KCrcFile crc(&memory);
  ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
  EXPECT_TRUE(crc.EndOfFile());
  EXPECT_FALSE(crc.Close());
}

TEST(KCrcFileTest, SeekWhileReadingKeepsTheCheck) {
  Bytes payload = Pattern(100000);
  Bytes stored = CrcWrite(payload);
  KMemoryFile memory;
  memory.SetData(stored.data(), stored.size());
  KCrcFile crc(&memory);
  ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
  unsigned char byte = 0;
  ASSERT_TRUE(crc.Seek(70000, KFile::eBegin));
  ASSERT_EQ(crc.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, payload[70000]);
  ASSERT_TRUE(crc.Seek(-70000, KFile::eCurrent));
  EXPECT_EQ(crc.Tell(), 1);
  ASSERT_EQ(crc.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, payload[1]);
  ASSERT_TRUE(crc.Seek(-1, KFile::eEnd));
  ASSERT_EQ(crc.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, payload.back());
  EXPECT_FALSE(crc.Seek(1, KFile::eEnd));
  EXPECT_EQ(crc.GetLastErrorID(), KFile::eSeekFailed);
  EXPECT_TRUE(crc.Close());

  // Skipping over a damaged byte still finds it.
  stored[500] ^= 0x80;
  memory.SetData(stored.data(), stored.size());
  ASSERT_TRUE(crc.Open(nullptr, KFile::eReadOnly));
  EXPECT_FALSE(crc.Seek(0, KFile::eEnd));
  EXPECT_EQ(crc.GetLastErrorID(), KFile::eCrcMismatch);
}

TEST(KCrcFileTest, WritingIsSequential) {
  KMemoryFile memory;
  KCrcFile crc(&memory);
  EXPECT_FALSE(crc.Open(nullptr, KFile::eReadWrite));
  EXPECT_EQ(crc.GetLastErrorID(), KFile::eNotSupported);
  EXPECT_FALSE(memory.IsOpen());

  ASSERT_TRUE(crc.Open(nullptr, KFile::eCreateWriteOnly));
  ASSERT_TRUE(crc.Write("abc", 3));
  EXPECT_TRUE(crc.Seek(3, KFile::eBegin));
  EXPECT_TRUE(crc.Seek(0, KFile::eCurrent));
  EXPECT_FALSE(crc.Seek(0, KFile::eBegin));
  EXPECT_EQ(crc.GetLastErrorID(), KFile::eNotSupported);
  char byte;
  EXPECT_EQ(crc.Read(&byte, 1), 0u);
  EXPECT_EQ(crc.GetLastErrorID(), KFile::eWrongMode);
  EXPECT_EQ(crc.GetSize(), 3);
  EXPECT_TRUE(crc.Close());
  EXPECT_EQ(memory.GetDataSize(), 7u);
}

// ---------------------------------------------------------------------------
// Enciphered layer, alone and in the chain enciphered -> CRC -> file.

TEST(KEncryptedFileTest, KnownAnswerThroughTheStream) {
  // Writing the vector itself as the first block cancels the chaining, so
  // the first enciphered block is Twofish of a zero block.
  KMemoryFile memory;
  KEncryptedFile enc(&memory);
  const unsigned char zeroKey[16] = {};
  ASSERT_TRUE(enc.SetKey(zeroKey, sizeof(zeroKey)));
  ASSERT_TRUE(enc.Open(nullptr, KFile::eCreateWriteOnly));
  ASSERT_EQ(memory.GetDataSize(), 16u);
  Bytes vector(memory.GetData(), memory.GetData() + 16);
  ASSERT_TRUE(enc.Write(vector.data(), vector.size()));
  ASSERT_TRUE(enc.Close());
  // Vector, the block, and a block made only of the length marker.
  ASSERT_EQ(memory.GetDataSize(), 48u);
  EXPECT_EQ(Bytes(memory.GetData() + 16, memory.GetData() + 32),
            FromHex("9F589F5CF6122C32B6BFEC2F2AE8C35A"));
}

TEST(KEncryptedFileTest, LengthMarkerFillsTheLastBlock) {
  for (size_t size : {size_t(0), size_t(1), size_t(15), size_t(16),
                      size_t(17), size_t(65535), size_t(65536)}) {
    KMemoryFile memory;
    KEncryptedFile enc(&memory);
    ASSERT_TRUE(enc.SetKey(kKey16, 16));
    Bytes payload = Pattern(size, 11);
    ASSERT_TRUE(enc.Open(nullptr, KFile::eCreateWriteOnly));
    ASSERT_TRUE(enc.Write(payload.data(), payload.size()));
    EXPECT_EQ(enc.GetSize(), static_cast<kLongLong>(size));
    ASSERT_TRUE(enc.Close());
    EXPECT_EQ(memory.GetDataSize(), 16 + (size / 16 + 1) * 16) << size;

    ASSERT_TRUE(enc.Open(nullptr, KFile::eReadOnly));
    EXPECT_EQ(enc.GetSize(), -1);
    EXPECT_EQ(ReadAll(enc), payload) << size;
    EXPECT_EQ(enc.GetSize(), static_cast<kLongLong>(size));
    EXPECT_TRUE(enc.Close());
  }
}

TEST(KEncryptedFileTest, ChainRoundTripsThroughADiskFile) {
  ScratchDir dir;
  std::string path = dir.File("chain.bin");
  const unsigned char key32[32] = {9, 8, 7};
  for (size_t size : {size_t(0), size_t(15), size_t(16), size_t(17),
                      size_t(1) << 20}) {
    Bytes payload = Pattern(size, 5);
    {
      KEncryptedFile enc(new KCrcFile(new KFile, true), true);
      ASSERT_TRUE(enc.SetKey(key32, sizeof(key32)));
      ASSERT_TRUE(enc.Open(path.c_str(), KFile::eCreateWriteOnly));
      // Uneven pieces cross block and batch edges.
      size_t at = 0;
      for (size_t piece = 1; at < size; piece = piece * 3 + 1) {
        size_t n = std::min(piece, size - at);
        ASSERT_TRUE(enc.Write(payload.data() + at, n));
        at += n;
      }
      ASSERT_TRUE(enc.Close());
    }
    KFile file;
    KCrcFile crc(&file);
    KEncryptedFile enc(&crc);
    ASSERT_TRUE(enc.SetKey(key32, sizeof(key32)));
    ASSERT_TRUE(enc.Open(path.c_str(), KFile::eReadOnly));
    EXPECT_EQ(ReadAll(enc), payload) << size;
    EXPECT_TRUE(enc.EndOfFile());
    EXPECT_TRUE(enc.Close()) << size;
    EXPECT_FALSE(file.IsOpen());
  }
}

namespace {

// Enciphered, CRC-guarded bytes of payload, as they land in memory.
Bytes ChainWrite(const Bytes& payload) {
  KMemoryFile memory;
  KCrcFile crc(&memory);
  KEncryptedFile enc(&crc);
  EXPECT_TRUE(enc.SetKey(kKey16, 16));
  EXPECT_TRUE(enc.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_TRUE(enc.Write(payload.data(), payload.size()));
  EXPECT_TRUE(enc.Close());
  return Bytes(memory.GetData(), memory.GetData() + memory.GetDataSize());
}

// Reads a chain over stored bytes; false when any step reports a failure.
bool ChainRead(const Bytes& stored, Bytes* payload, int* error) {
  KMemoryFile memory;
  memory.SetData(stored.data(), stored.size());
  KCrcFile crc(&memory);
  KEncryptedFile enc(&crc);
  enc.SetKey(kKey16, 16);
  bool ok = enc.Open(nullptr, KFile::eReadOnly);
  if (ok) {
    *payload = ReadAll(enc);
    ok = enc.GetLastErrorID() == KFile::eEndOfFile;
    *error = enc.GetLastErrorID();
    ok = enc.Close() && ok;
  } else {
    *error = enc.GetLastErrorID();
  }
  return ok;
}

}  // namespace

TEST(KEncryptedFileTest, ChainDetectsAFlippedByteAnywhere) {
  Bytes payload = Pattern(33);
  Bytes stored = ChainWrite(payload);
  Bytes read;
  int error = -1;
  ASSERT_TRUE(ChainRead(stored, &read, &error));
  ASSERT_EQ(read, payload);
  for (size_t at = 0; at < stored.size(); ++at) {
    Bytes damaged = stored;
    damaged[at] ^= 0x10;
    EXPECT_FALSE(ChainRead(damaged, &read, &error)) << at;
    EXPECT_EQ(error, KFile::eCrcMismatch) << at;
  }

  Bytes big = ChainWrite(Pattern(1 << 20));
  for (size_t at : {size_t(0), size_t(20), big.size() / 2, big.size() - 20,
                    big.size() - 1}) {
    Bytes damaged = big;
    damaged[at] ^= 0x01;
    EXPECT_FALSE(ChainRead(damaged, &read, &error)) << at;
  }
}

TEST(KEncryptedFileTest, DamagedFramingIsCorrupted) {
  // Without a CRC below, the marker and block count are the only guard.
  KMemoryFile source;
  KEncryptedFile writer(&source);
  ASSERT_TRUE(writer.SetKey(kKey16, 16));
  ASSERT_TRUE(writer.Open(nullptr, KFile::eCreateWriteOnly));
  ASSERT_TRUE(writer.Write("0123456789", 10));
  ASSERT_TRUE(writer.Close());
  Bytes stored(source.GetData(), source.GetData() + source.GetDataSize());
  ASSERT_EQ(stored.size(), 32u);

  for (size_t keep : {size_t(0), size_t(10), size_t(16), size_t(31)}) {
    KMemoryFile memory;
    memory.SetData(stored.data(), keep);
    KEncryptedFile enc(&memory);
    ASSERT_TRUE(enc.SetKey(kKey16, 16));
    if (enc.Open(nullptr, KFile::eReadOnly)) {
      EXPECT_TRUE(ReadAll(enc).empty()) << keep;
      EXPECT_FALSE(enc.Close()) << keep;
    }
    EXPECT_EQ(enc.GetLastErrorID(), KFile::eCorrupted) << keep;
  }

  // The vector chains into the only block, so flipping its last byte flips
  // the marker (6 for 10 bytes) into 7, 0 or 17, none of which fits.
  for (unsigned char flip : {0x01, 0x06, 0x17}) {
    Bytes damaged = stored;
    damaged[15] ^= flip;
    KMemoryFile memory;
    memory.SetData(damaged.data(), damaged.size());
    KEncryptedFile enc(&memory);
    ASSERT_TRUE(enc.SetKey(kKey16, 16));
    ASSERT_TRUE(enc.Open(nullptr, KFile::eReadOnly));
    EXPECT_TRUE(enc.EndOfFile()) << int(flip);
    EXPECT_TRUE(ReadAll(enc).empty()) << int(flip);
    EXPECT_EQ(enc.GetLastErrorID(), KFile::eCorrupted) << int(flip);
    EXPECT_FALSE(enc.Close());
  }

  // A wrong key either breaks the marker or yields other bytes.
  KMemoryFile memory;
  memory.SetData(stored.data(), stored.size());
  KEncryptedFile enc(&memory);
  const unsigned char otherKey[16] = {42};
  ASSERT_TRUE(enc.SetKey(otherKey, 16));
  ASSERT_TRUE(enc.Open(nullptr, KFile::eReadOnly));
  char buffer[16] = {};
  size_t got = enc.Read(buffer, sizeof(buffer));
  EXPECT_TRUE(got == 0 || std::string(buffer, got) != "0123456789");
}

TEST(KEncryptedFileTest, KeysAndVectors) {
  KMemoryFile memory;
  KEncryptedFile enc(&memory);
  EXPECT_FALSE(enc.Open(nullptr, KFile::eCreateWriteOnly));
  EXPECT_EQ(enc.GetLastErrorID(), KFile::eBadKey);
  EXPECT_FALSE(memory.IsOpen());
  const unsigned char key[33] = {};
  for (size_t length : {size_t(0), size_t(8), size_t(15), size_t(17),
                        size_t(33)}) {
    EXPECT_FALSE(enc.SetKey(key, length)) << length;
  }
  EXPECT_FALSE(enc.SetKey(nullptr, 16));
  EXPECT_TRUE(enc.SetKey(key, 16));
  EXPECT_TRUE(enc.SetKey(key, 24));
  EXPECT_TRUE(enc.SetKey(key, 32));
  EXPECT_FALSE(enc.Open(nullptr, KFile::eCreateReadWrite));
  EXPECT_EQ(enc.GetLastErrorID(), KFile::eNotSupported);

  // Each file draws its own vector: the same text enciphers differently.
  Bytes first, second;
  for (Bytes* out : {&first, &second}) {
    ASSERT_TRUE(enc.Open(nullptr, KFile::eCreateWriteOnly));
    ASSERT_TRUE(enc.Write("same text", 9));
    ASSERT_TRUE(enc.Close());
    out->assign(memory.GetData(), memory.GetData() + memory.GetDataSize());
  }
  EXPECT_NE(first, second);
}

TEST(KEncryptedFileTest, RefusedOpenLeavesTheFileAlone) {
  ScratchDir dir;
  std::string path = dir.File("keep.bin");
  {
    KFile file;
    ASSERT_TRUE(file.Open(path.c_str(), KFile::eCreateWriteOnly));
    ASSERT_TRUE(file.Write("precious", 8));
    ASSERT_TRUE(file.Close());
  }
  KEncryptedFile noKey(new KCrcFile(new KFile, true), true);
  EXPECT_FALSE(noKey.Open(path.c_str(), KFile::eCreateWriteOnly));
  EXPECT_EQ(noKey.GetLastErrorID(), KFile::eBadKey);
  KCrcFile badMode(new KFile, true);
  EXPECT_FALSE(badMode.Open(path.c_str(), KFile::eCreateReadWrite));
  EXPECT_EQ(std::filesystem::file_size(path), 8u);
}

TEST(KEncryptedFileTest, PlainHeaderBeforeAnEncipheredBody) {
  ScratchDir dir;
  std::string path = dir.File("header.bin");
  Bytes body = Pattern(1000);
  {
    KFile file;
    KEncryptedFile enc(&file);
    ASSERT_TRUE(enc.SetKey(kKey16, 16));
    ASSERT_TRUE(file.Open(path.c_str(), KFile::eCreateWriteOnly));
    ASSERT_TRUE(file.Write("HEAD", 4));
    ASSERT_TRUE(enc.OpenOnNext(KFile::eCreateWriteOnly));
    ASSERT_TRUE(enc.Write(body.data(), body.size()));
    // The destructor finishes the layer and closes the file.
  }
  KFile file;
  KEncryptedFile enc(&file);
  ASSERT_TRUE(enc.SetKey(kKey16, 16));
  ASSERT_TRUE(file.Open(path.c_str(), KFile::eReadOnly));
  char head[4];
  ASSERT_EQ(file.Read(head, 4), 4u);
  EXPECT_EQ(std::string(head, 4), "HEAD");
  ASSERT_TRUE(enc.OpenOnNext(KFile::eReadOnly));
  EXPECT_EQ(ReadAll(enc), body);
  // Seeking back restarts after the header, not at the file's start.
  ASSERT_TRUE(enc.Seek(10, KFile::eBegin));
  unsigned char byte = 0;
  ASSERT_EQ(enc.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, body[10]);
  ASSERT_TRUE(enc.Seek(0, KFile::eEnd));
  EXPECT_EQ(enc.Tell(), 1000);
  EXPECT_TRUE(enc.Close());
}

TEST(KEncryptedFileTest, FailedWritesReachTheCaller) {
  KEncryptedFile enc(new KCrcFile(new KFile, true), true);
  ASSERT_TRUE(enc.SetKey(kKey16, 16));
  ASSERT_TRUE(enc.Open("/dev/full", KFile::eCreateWriteOnly));
  Bytes bytes = Pattern(1 << 20);
  EXPECT_FALSE(enc.Write(bytes.data(), bytes.size()));
  EXPECT_EQ(enc.GetLastErrorID(), KFile::eWriteFailed);
  EXPECT_FALSE(enc.Write("a", 1));
  EXPECT_FALSE(enc.Close());
  EXPECT_FALSE(enc.IsOpen());
  EXPECT_FALSE(enc.GetNext()->IsOpen());
}
