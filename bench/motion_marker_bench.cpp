// Marker-file reads into a scene (TRC text, float C3D) of 40 markers at
// 10^3 to 10^5 frames (C3D: to 65535, its limit), per sample, beside the
// floor of each: tokenizing the same TRC with KTextFile, and fread of the
// same C3D. A flat time per sample across the sizes shows that reading
// stays linear.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ktextfile.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionc3d.h"
#include "motion/kqelmotiontrc.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "motion_bench_util.h"

namespace qelsdk_600 {
namespace {

constexpr int kMarkers = 40;

// Writes pFrames frames of markers on circles through the format's own file
// class, once per format and size.
template <class File>
const std::string& MarkerFile(const char* pExtension, int pFrames, double pScale)
{
    return motionbench::File(std::to_string(pFrames) + pExtension, [&](const std::string& pPath) {
        File* file = new File();
        file->Open(pPath.c_str(), "wb");
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
    });
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
