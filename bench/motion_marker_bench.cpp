// Marker-file reads into a scene (TRC text, float C3D) of 40 markers at
// 10^3 to 10^5 frames (C3D: to 65535, its limit), per sample, beside the floor of each: tokenizing the
// same TRC with KTextFile, and fread of the same C3D. A flat time per
// sample across the sizes shows that reading stays linear.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/ktextfile.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionc3d.h"
#include "motion/kqelmotiontrc.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

constexpr int kMarkers = 40;

std::string BenchPath(const std::string& pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_motion_bench_" + std::to_string(getpid()) + "_" + pName;
}

// Removes the files made for the run when the program ends.
struct Files {
    std::map<std::string, std::string> mPaths;
    ~Files()
    {
        for (const auto& entry : mPaths)
            std::remove(entry.second.c_str());
    }
};
Files gFiles;

// Writes pFrames frames of markers on circles through the format's own file
// class, once per format and size.
template <class File>
const std::string& MarkerFile(const char* pExtension, int pFrames, double pScale)
{
    const std::string key = std::string(pExtension) + std::to_string(pFrames);
    auto found = gFiles.mPaths.find(key);
    if (found != gFiles.mPaths.end())
        return found->second;
    const std::string path = BenchPath(key + pExtension);
    File* file = new File();
    file->Open(path.c_str(), "wb");
    KArrayTemplate<KString*> names;
    for (int m = 0; m < kMarkers; ++m)
        names.Add(new KString((std::string("Marker") + std::to_string(m)).c_str()));
    file->PrintHeader(kMarkers, KTime(0), pFrames, 100.0, pScale);
    file->PrintAnimationHeader(names);
    std::vector<KQelVector4> points(kMarkers);
    for (int f = 0; f < pFrames; ++f) {
        for (int m = 0; m < kMarkers; ++m) {
            const double angle = 0.01 * f + m;
            points[static_cast<size_t>(m)].Set(100.0 * std::cos(angle), 10.0 * m, 100.0 * std::sin(angle),
                                               (f + m) % 50 == 0 ? 1.0 : 0.0);
        }
        KTime time;
        time.SetSecondDouble(f / 100.0);
        file->PrintAnimationFrame(points.data(), kMarkers, time, f + 1);
    }
    file->PrintFooter();
    file->Destroy(0);
    DeleteAndClear(names);
    return gFiles.mPaths[key] = path;
}

template <class Reader>
void ReadScene(benchmark::State& pState, const std::string& pPath)
{
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        Reader reader(manager);
        reader.FileOpen(pPath.c_str());
        KStreamOptions* options = reader.GetReadOptions();
        const bool read = reader.Read(*scene, options);
        options->Destroy();
        if (!read)
            pState.SkipWithError("read failed");
        benchmark::DoNotOptimize(scene);
    }
    pState.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(pState.range(0)) * kMarkers * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadTrc(benchmark::State& pState)
{
    KQelReaderMotionAnalysisTrc::smLoadTCFile = false;
    const std::string& path =
        MarkerFile<KQelFileMotionAnalysisTrc>(".trc", static_cast<int>(pState.range(0)), 1.0);
    ReadScene<KQelReaderMotionAnalysisTrc>(pState, path);
}

// Floor: every line of the same file split into its tab-separated tokens.
void BM_TokenizeTrc(benchmark::State& pState)
{
    const std::string& path =
        MarkerFile<KQelFileMotionAnalysisTrc>(".trc", static_cast<int>(pState.range(0)), 1.0);
    for (auto _ : pState) {
        KTextFile text("TRC", "\t\r\n", "", true, false);
        text.Open(path.c_str(), "r");
        long tokens = 0;
        KString token;
        do {
            while (text.GetString(token))
                ++tokens;
        } while (text.NextLine());
        benchmark::DoNotOptimize(tokens);
    }
    pState.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(pState.range(0)) * kMarkers * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadC3dFloat(benchmark::State& pState)
{
    const std::string& path = MarkerFile<KQelFileVicon>(".c3d", static_cast<int>(pState.range(0)), -1.0);
    ReadScene<KQelReaderVicon>(pState, path);
}

// Floor: the same file read with fread in 64 KiB pieces.
void BM_FreadC3dFloat(benchmark::State& pState)
{
    const std::string& path = MarkerFile<KQelFileVicon>(".c3d", static_cast<int>(pState.range(0)), -1.0);
    std::vector<char> buffer(1 << 16);
    for (auto _ : pState) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        size_t total = 0;
        while (size_t read = std::fread(buffer.data(), 1, buffer.size(), file))
            total += read;
        std::fclose(file);
        benchmark::DoNotOptimize(total);
    }
    pState.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(pState.range(0)) * kMarkers * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReadTrc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeTrc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
// Frame numbers are 16-bit words: 65535 frames is the most a C3D file holds.
BENCHMARK(BM_ReadC3dFloat)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreadC3dFloat)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
