// HTR reads (rotation offsets minimised) and AMC reads of a 30-segment
// skeleton at 10^3 to 10^5 frames, per frame and segment, beside the floor
// of a scan that only splits the same files into tokens; chains of 10^4 and
// 10^5 segments or bones read and written back, HTR and ASF with AMC.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/ktextfile.h"
#include "io/kqelexporter.h"
#include "io/kstreamoptionsmotion.h"
#include "motion/kqelmotionasf.h"
#include "scene/kqelnode.h"
#include "motion_bench_util.h"

namespace qelsdk_600 {
namespace {

using motionbench::PerItem;

constexpr int kSegments = 30;

using motionbench::StreamFile;

// A body of 30 segments: a spine of six from the root, two arms of six from
// the fifth, two legs of six from the root.
int ParentOf(int pSegment)
{
    if (pSegment == 0)
        return -1;
    if (pSegment < 6)
        return pSegment - 1;
    const int limb = (pSegment - 6) / 6;
    const int first = 6 + limb * 6;
    return pSegment > first ? pSegment - 1 : (limb < 2 ? 4 : 0);
}

std::string SegmentName(int pSegment)
{
    return "S" + std::to_string(pSegment);
}

// Values of one frame line, angles within +-170 degrees.
struct Values {
    std::mt19937 mRandom{7};
    std::uniform_real_distribution<double> mAngle{-170.0, 170.0};
    std::string Line(int pCount)
    {
        std::string line;
        char value[32];
        for (int i = 0; i < pCount; ++i) {
            std::snprintf(value, sizeof(value), " %.4f", mAngle(mRandom));
            line += value;
        }
        return line;
    }
};

const std::string& HtrFile(int pFrames)
{
    return StreamFile("body" + std::to_string(pFrames) + ".htr", [pFrames](std::ofstream& pOut) {
        pOut << "[Header]\nFileType htr\nDataType HTRS\nNumSegments " << kSegments << "\nNumFrames " << pFrames
             << "\nDataFrameRate 120\nEulerRotationOrder ZYX\nCalibrationUnits mm\nRotationUnits Degrees\n"
                "BoneLengthAxis Y\nScaleFactor 1\n[SegmentNames&Hierarchy]\n";
        for (int s = 0; s < kSegments; ++s)
            pOut << SegmentName(s) << '\t' << (s == 0 ? std::string("GLOBAL") : SegmentName(ParentOf(s))) << '\n';
        pOut << "[BasePosition]\n";
        for (int s = 0; s < kSegments; ++s)
            pOut << SegmentName(s) << "\t0\t100\t0\t5\t10\t15\t100\n";
        Values values;
        for (int s = 0; s < kSegments; ++s) {
            pOut << '[' << SegmentName(s) << "]\n";
            for (int f = 0; f < pFrames; ++f)
                pOut << f + 1 << values.Line(6) << " 1\n";
        }
        pOut << "[EndOfFile]\n";
    });
}

const std::string& AsfFile()
{
    return StreamFile("body.asf", [](std::ofstream& pOut) {
        pOut << ":name body\n:units\nlength 1\nangle deg\n:root\norder TX TY TZ RX RY RZ\naxis XYZ\n:bonedata\n";
        for (int s = 1; s < kSegments; ++s)
            pOut << "begin\nname " << SegmentName(s) << "\ndirection 0 1 0\nlength 10\naxis 0 0 5 XYZ\ndof rx ry rz\n"
                 << "end\n";
        pOut << ":hierarchy\nbegin\n";
        for (int s = 1; s < kSegments; ++s) {
            if (ParentOf(s) > 0)
                pOut << SegmentName(ParentOf(s)) << ' ' << SegmentName(s) << '\n';
        }
        pOut << "end\n";
    });
}

const std::string& AmcFile(int pFrames)
{
    return StreamFile("body" + std::to_string(pFrames) + ".amc", [pFrames](std::ofstream& pOut) {
        pOut << ":FULLY-SPECIFIED\n:DEGREES\n:SAMPLES-PER-SECOND 120\n";
        Values values;
        for (int f = 0; f < pFrames; ++f) {
            pOut << f + 1 << "\nroot" << values.Line(6) << '\n';
            for (int s = 1; s < kSegments; ++s)
                pOut << SegmentName(s) << values.Line(3) << '\n';
        }
    });
}

void BM_ReadHtr(benchmark::State& pState)
{
    const std::string& path = HtrFile(static_cast<int>(pState.range(0)));
    for (auto _ : pState) {
        if (!motionbench::Import(path, KQelImporter::eHtr))
            pState.SkipWithError("read failed");
    }
    PerItem(pState, static_cast<double>(pState.range(0)) * kSegments, "ns_per_frame_segment");
}
BENCHMARK(BM_ReadHtr)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Reads the ASF skeleton and, with its options, the AMC file.
bool ReadAmc(const std::string& pAsf, const std::string& pAmc)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelReaderAcclaimAsf asf(manager);
    KQelReaderAcclaimAmc amc(manager);
    if (!asf.FileOpen(pAsf.c_str()) || !amc.FileOpen(pAmc.c_str()))
        return false;
    KStreamOptions* skeleton = asf.GetReadOptions(true);
    KStreamOptions* options = amc.GetReadOptions(true);
    bool read = skeleton && options && asf.Read(*scene, skeleton);
    if (read) {
        static_cast<KStreamOptionsMotion*>(options)->SetASFScene(
            static_cast<KStreamOptionsMotion*>(skeleton)->GetASFScene(), false);
        read = amc.Read(*scene, options);
    }
    for (KStreamOptions* made : {skeleton, options}) {
        if (made)
            made->Destroy();
    }
    return read;
}

void BM_ReadAmc(benchmark::State& pState)
{
    const std::string& path = AmcFile(static_cast<int>(pState.range(0)));
    for (auto _ : pState) {
        if (!ReadAmc(AsfFile(), path))
            pState.SkipWithError("read failed");
    }
    PerItem(pState, static_cast<double>(pState.range(0)) * kSegments, "ns_per_frame_segment");
}
BENCHMARK(BM_ReadAmc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Floor: every line of the file split into its tokens (0: HTR, 1: AMC).
void BM_ScanTokens(benchmark::State& pState)
{
    const int frames = static_cast<int>(pState.range(0));
    const std::string& path = pState.range(1) == 0 ? HtrFile(frames) : AmcFile(frames);
    for (auto _ : pState) {
        KTextFile text("scan", " \t\r\n", "#", true, false);
        text.Open(path.c_str(), "r");
        char token[256];
        long count = 0;
        do {
            while (text.GetString(token, sizeof(token)))
                ++count;
        } while (text.NextLine());
        benchmark::DoNotOptimize(count);
    }
    PerItem(pState, static_cast<double>(frames) * kSegments, "ns_per_frame_segment");
}
BENCHMARK(BM_ScanTokens)
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// A chain of pDepth segments (0: HTR) or bones (1: ASF) of two frames, read
// and written back (the ASF with an AMC file of its motion).
void BM_SkeletonChainRoundTrip(benchmark::State& pState)
{
    const int depth = static_cast<int>(pState.range(0));
    const bool asf = pState.range(1) != 0;
    const std::string& path = StreamFile("chain" + std::to_string(depth) + (asf ? ".asf" : ".htr"),
                                   [depth, asf](std::ofstream& pOut) {
        if (asf) {
            pOut << ":root\norder TX TY TZ RX RY RZ\n:bonedata\n";
            for (int i = 0; i < depth; ++i)
                pOut << "begin\nname b" << i << "\ndirection 0 1 0\nlength 1\naxis 0 0 5 xyz\ndof rx\nend\n";
            pOut << ":hierarchy\nbegin\n";
            for (int i = 1; i < depth; ++i)
                pOut << 'b' << i - 1 << " b" << i << '\n';
            pOut << "end\n";
            return;
        }
        pOut << "[Header]\nNumSegments " << depth << "\nNumFrames 2\n[SegmentNames&Hierarchy]\nS0\tGLOBAL\n";
        for (int i = 1; i < depth; ++i)
            pOut << 'S' << i << "\tS" << i - 1 << '\n';
        pOut << "[BasePosition]\n";
        for (int i = 0; i < depth; ++i)
            pOut << 'S' << i << "\t0\t10\t0\t0\t0\t5\t10\n";
        for (int i = 0; i < depth; ++i)
            pOut << "[S" << i << "]\n1\t0\t0\t0\t1\t0\t0\t1\n2\t0\t0\t0\t2\t0\t0\t1\n";
    });
    const std::string out = motionbench::BenchPath(asf ? "chain_out" : "chain_out.htr");
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        importer.SetFileFormat(asf ? KQelImporter::eAsf : KQelImporter::eHtr);
        importer.Initialize(path.c_str());
        KStreamOptions* options = importer.GetImportOptions();
        if (!options || !importer.Import(*scene, options))
            pState.SkipWithError("read failed");
        importer.ReleaseImportOptions(options);
        scene->GetRootNode()->GetChild(0)->GetChild(0)->SetSelected(true);
        KQelExporter exporter(manager);
        KStreamOptions* writeOptions = nullptr;
        const std::vector<KQelExporter::EFileFormat> formats =
            asf ? std::vector<KQelExporter::EFileFormat>{KQelExporter::eAsf, KQelExporter::eAmc}
                : std::vector<KQelExporter::EFileFormat>{KQelExporter::eHtr};
        for (KQelExporter::EFileFormat format : formats) {
            exporter.SetFileFormat(format);
            exporter.Initialize((out + (format == KQelExporter::eAmc ? ".amc" : asf ? ".asf" : "")).c_str());
            if (!writeOptions) {
                writeOptions = exporter.GetExportOptions();
                static_cast<KStreamOptionsMotion*>(writeOptions)->SetFrameCount(2);
            }
            if (!exporter.Export(*scene, writeOptions))
                pState.SkipWithError("write failed");
        }
        exporter.ReleaseExportOptions(writeOptions);
    }
    for (const char* extension : {"", ".asf", ".amc"})
        std::remove((out + extension).c_str());
    PerItem(pState, static_cast<double>(depth), "ns_per_segment");
}
// 0: HTR; 1: ASF and AMC.
BENCHMARK(BM_SkeletonChainRoundTrip)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace qelsdk_600
