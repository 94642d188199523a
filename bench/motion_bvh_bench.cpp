// BVH reads through the importer of files with the skeleton of the real
// file 01_01 (96 channels) at 10^3 to 10^5 frames, per frame and channel,
// beside the floor of a plain scan that only splits the same files into
// numbers; a chain of 10^5 joints read and written; BRD loads of 10^5
// records in file order and shuffled, per record.
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "base/ktextfile.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsmotion.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "motion_bench_util.h"

namespace qelsdk_600 {
namespace {

constexpr int kChannels = 96;

using motionbench::StreamFile;

// 01_01's hierarchy and pFrames lines of 96 values.
const std::string& SkeletonFile(int pFrames)
{
    return StreamFile("skeleton" + std::to_string(pFrames) + ".bvh", [pFrames](std::ofstream& pOut) {
        std::ifstream in(std::string(QEL_TEST_DATA_DIR) + "/bvh/01_01.bvh", std::ios::binary);
        const std::string real((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        pOut << real.substr(0, real.find("MOTION")) << "MOTION\nFrames: " << pFrames << "\nFrame Time: .0083333\n";
        std::mt19937 random(7);
        std::uniform_real_distribution<double> angle(-170.0, 170.0);
        char value[32];
        for (int f = 0; f < pFrames; ++f) {
            for (int c = 0; c < kChannels; ++c) {
                std::snprintf(value, sizeof(value), "%.4f ", angle(random));
                pOut << value;
            }
            pOut << "\n";
        }
    });
}

using motionbench::Import;
using motionbench::PerItem;

void BM_ReadBvh(benchmark::State& pState)
{
    const std::string& path = SkeletonFile(static_cast<int>(pState.range(0)));
    for (auto _ : pState) {
        if (!Import(path, KQelImporter::eBvh))
            pState.SkipWithError("read failed");
    }
    PerItem(pState, static_cast<double>(pState.range(0)) * kChannels, "ns_per_frame_channel");
}
BENCHMARK(BM_ReadBvh)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Floor: every line split into its numbers.
void BM_ScanBvh(benchmark::State& pState)
{
    const std::string& path = SkeletonFile(static_cast<int>(pState.range(0)));
    for (auto _ : pState) {
        KTextFile text("BVH", " \t\r\n", "", true, false);
        text.Open(path.c_str(), "r");
        double sum = 0.0;
        do {
            double value = 0.0;
            while (text.GetDouble(value))
                sum += value;
        } while (text.NextLine());
        benchmark::DoNotOptimize(sum);
    }
    PerItem(pState, static_cast<double>(pState.range(0)) * kChannels, "ns_per_frame_channel");
}
BENCHMARK(BM_ScanBvh)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A chain of joints read, then written back, in one go.
void BM_ChainRoundTrip(benchmark::State& pState)
{
    const int depth = static_cast<int>(pState.range(0));
    const std::string& path = StreamFile("chain" + std::to_string(depth) + ".bvh", [depth](std::ofstream& pOut) {
        pOut << "HIERARCHY\nROOT J0\n{\nOFFSET 0 0 0\nCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation "
                "Yrotation\n";
        for (int i = 1; i < depth; ++i)
            pOut << "JOINT J" << i << "\n{\nOFFSET 0 1 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n";
        pOut << "End Site\n{\nOFFSET 0 1 0\n}\n";
        for (int i = 0; i < depth; ++i)
            pOut << "}\n";
        pOut << "MOTION\nFrames: 2\nFrame Time: 0.04\n";
        for (int f = 0; f < 2; ++f) {
            pOut << "0 0 0 ";
            for (int i = 0; i < depth; ++i)
                pOut << "1 2 " << f << " ";
            pOut << "\n";
        }
    });
    const std::string out = motionbench::BenchPath("chain_out.bvh");
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        importer.SetFileFormat(KQelImporter::eBvh);
        importer.Initialize(path.c_str());
        KStreamOptions* options = importer.GetImportOptions();
        if (!options || !importer.Import(*scene, options))
            pState.SkipWithError("read failed");
        importer.ReleaseImportOptions(options);
        scene->GetRootNode()->GetChild(0)->GetChild(0)->SetSelected(true);
        KQelExporter exporter(manager);
        exporter.SetFileFormat(KQelExporter::eBvh);
        exporter.Initialize(out.c_str());
        KStreamOptions* writeOptions = exporter.GetExportOptions();
        static_cast<KStreamOptionsMotion*>(writeOptions)->SetFrameCount(2);
        if (!exporter.Export(*scene, writeOptions))
            pState.SkipWithError("write failed");
        exporter.ReleaseExportOptions(writeOptions);
    }
    std::remove(out.c_str());
    PerItem(pState, static_cast<double>(depth), "ns_per_joint");
}
BENCHMARK(BM_ChainRoundTrip)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

// 10^5 records of 10 sensors over 10^4 frames, in file order or shuffled.
const std::string& BrdFile(bool pShuffled)
{
    return StreamFile(pShuffled ? "shuffled.brd" : "ordered.brd", [pShuffled](std::ofstream& pOut) {
        std::vector<std::string> lines;
        char line[160];
        for (int f = 0; f < 10000; ++f) {
            for (int s = 0; s < 10; ++s) {
                std::snprintf(line, sizeof(line), "%d\t%d\tP\t%d\t%d\t0.5\tQ\t0\t0\t0\t1\t%d\t%d\n", f, s, s, f,
                              f / 100, (f % 100) * 10000);
                lines.push_back(line);
            }
        }
        if (pShuffled)
            std::shuffle(lines.begin(), lines.end(), std::mt19937(11));
        for (const std::string& text : lines)
            pOut << text;
    });
}

void BM_LoadBrd(benchmark::State& pState)
{
    const std::string& path = BrdFile(pState.range(0) != 0);
    for (auto _ : pState) {
        if (!Import(path, KQelImporter::eBrd))
            pState.SkipWithError("read failed");
    }
    PerItem(pState, 100000.0, "ns_per_record");
}
// 0: records in file order; 1: shuffled.
BENCHMARK(BM_LoadBrd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
