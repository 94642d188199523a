// Write throughput of the streams, each as a ratio to a plain memcpy of the
// same bytes (counter "x_memcpy"). Sizes grow by 10x up to 1 GiB; set
// QEL_BENCH_STREAM_MAX_MIB to stop earlier on quick runs.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/kcrcfile.h"
#include "base/kencryptedfile.h"
#include "base/kfile.h"

using namespace qelsdk_600;

namespace {

const size_t kPiece = 64 * 1024;    // bytes per Write call
const size_t kRing = 1024 * 1024;   // memory the sinks cycle through

// Source bytes shared by every benchmark.
const std::vector<unsigned char>& Source() {
  static std::vector<unsigned char> bytes = [] {
    std::vector<unsigned char> b(kRing);
    for (size_t i = 0; i < b.size(); ++i) {
      b[i] = static_cast<unsigned char>(i * 131 + (i >> 9));
    }
    return b;
  }();
  return bytes;
}

// Copies everything it is given into a fixed ring of memory, so that 1 GiB
// can pass without holding 1 GiB.
class MemorySink : public KFile {
 public:
  MemorySink() : mRing(kRing) {}
  bool Open(const char*, EOpenMode) override { mOpen = true; mTotal = 0; return true; }
  bool Close() override { mOpen = false; return true; }
  bool IsOpen() const override { return mOpen; }
  bool Write(const void* buffer, size_t size) override {
    const unsigned char* in = static_cast<const unsigned char*>(buffer);
    while (size > 0) {
      size_t at = static_cast<size_t>(mTotal % kRing);
      size_t n = std::min(size, kRing - at);
      std::memcpy(mRing.data() + at, in, n);
      in += n;
      size -= n;
      mTotal += n;
    }
    return true;
  }
  kLongLong Tell() override { return static_cast<kLongLong>(mTotal); }
  kLongLong GetSize() override { return static_cast<kLongLong>(mTotal); }
  bool Flush() override { return true; }
  const unsigned char* Ring() const { return mRing.data(); }

 private:
  std::vector<unsigned char> mRing;
  kULongLong mTotal = 0;
  bool mOpen = false;
};

// The reference: the same pieces copied into the same kind of ring.
void CopyPlain(size_t total, unsigned char* ring) {
  const unsigned char* source = Source().data();
  for (size_t done = 0; done < total; done += kPiece) {
    std::memcpy(ring + done % kRing, source + done % kRing, kPiece);
  }
  benchmark::DoNotOptimize(ring);
  benchmark::ClobberMemory();
}

// Seconds that CopyPlain takes for total bytes, best of three, measured once
// per size.
double BaselineSeconds(size_t total) {
  static std::map<size_t, double> cache;
  auto found = cache.find(total);
  if (found != cache.end()) {
    return found->second;
  }
  std::vector<unsigned char> ring(kRing);
  double best = 1e30;
  for (int i = 0; i < 3; ++i) {
    auto start = std::chrono::steady_clock::now();
    CopyPlain(total, ring.data());
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  cache[total] = best;
  return best;
}

// Writes total bytes into an open stream in kPiece pieces.
bool Pump(KFile& stream, size_t total) {
  const unsigned char* source = Source().data();
  for (size_t done = 0; done < total; done += kPiece) {
    if (!stream.Write(source + done % kRing, kPiece)) {
      return false;
    }
  }
  return true;
}

template <typename Body>
void Measure(benchmark::State& state, Body body) {
  size_t total = static_cast<size_t>(state.range(0));
  double seconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!body(total)) {
      state.SkipWithError("stream failed");
      return;
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    seconds += took.count();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(total));
  state.counters["x_memcpy"] =
      seconds / static_cast<double>(state.iterations()) / BaselineSeconds(total);
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<unsigned char> ring(kRing);
  Measure(state, [&](size_t total) {
    CopyPlain(total, ring.data());
    return true;
  });
}

// A disk file on a memory file system, rewound every 64 MiB so that it too
// stays small; the system calls and the kernel's copy are part of the cost.
void BM_KFile(benchmark::State& state) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string path = std::string(dir) + "/qel_bench_" +
                     std::to_string(static_cast<long>(getpid())) + ".bin";
  const size_t wrap = 64 * kRing;
  Measure(state, [&](size_t total) {
    KFile file;
    if (!file.Open(path.c_str(), KFile::eCreateWriteOnly)) {
      return false;
    }
    for (size_t done = 0; done < total; done += wrap) {
      if (!Pump(file, std::min(wrap, total - done)) ||
          !file.Seek(0, KFile::eBegin)) {
        return false;
      }
    }
    return file.Close();
  });
  KFile::Remove(KString(path.c_str()));
}

void BM_KCrcFile(benchmark::State& state) {
  Measure(state, [](size_t total) {
    MemorySink sink;
    KCrcFile crc(&sink);
    return crc.Open(nullptr, KFile::eCreateWriteOnly) && Pump(crc, total) &&
           crc.Close();
  });
}

void BM_KEncryptedFile(benchmark::State& state) {
  const unsigned char key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  Measure(state, [&](size_t total) {
    MemorySink sink;
    KEncryptedFile enc(&sink);
    return enc.SetKey(key, sizeof(key)) &&
           enc.Open(nullptr, KFile::eCreateWriteOnly) && Pump(enc, total) &&
           enc.Close();
  });
}

int RegisterAll() {
  size_t maxMiB = 1024;
  if (const char* text = std::getenv("QEL_BENCH_STREAM_MAX_MIB")) {
    long value = std::strtol(text, nullptr, 10);
    if (value > 0) {
      maxMiB = static_cast<size_t>(value);
    }
  }
  const size_t sizesMiB[] = {1, 10, 100, 1024};
  struct Entry {
    const char* name;
    void (*function)(benchmark::State&);
  };
  const Entry entries[] = {{"BM_Memcpy", BM_Memcpy},
                           {"BM_KFile", BM_KFile},
                           {"BM_KCrcFile", BM_KCrcFile},
                           {"BM_KEncryptedFile", BM_KEncryptedFile}};
  for (const Entry& entry : entries) {
    auto* bench = benchmark::RegisterBenchmark(entry.name, entry.function);
    for (size_t mib : sizesMiB) {
      if (mib <= maxMiB) {
        bench->Arg(static_cast<int64_t>(mib * kRing));
      }
    }
    bench->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  return 0;
}

const int kRegistered = RegisterAll();

}  // namespace
