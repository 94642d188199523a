// A large scene end to end: 300 000 nodes, each with a null attribute, in a
// tree of ten children per node, built, written as a binary file, destroyed,
// read back into a new manager and destroyed again. Reports the heap in use
// after each step (mallinfo2) and the process's peak resident size: on a
// 32-bit build all of it must fit the address space. Too big for the
// default runs: registered only when QEL_BENCH_LARGE_SCENE is set.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "native_bench_util.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"

namespace qelsdk_600 {
namespace {

double HeapMegabytes()
{
    struct mallinfo2 info = mallinfo2();
    return (static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd)) / (1024.0 * 1024.0);
}

double PeakResidentMegabytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BuildTree(KQelSdkManager& pManager, KQelScene& pScene, int pCount)
{
    std::vector<KQelNode*> nodes(static_cast<std::size_t>(pCount));
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = pManager.CreateKQelNode(("Node" + std::to_string(i)).c_str());
        node->SetNodeAttribute(pManager.CreateKQelNull());
        KQelNode* parent = i == 0 ? pScene.GetRootNode() : nodes[static_cast<std::size_t>((i - 1) / 10)];
        parent->AddChild(node);
        nodes[static_cast<std::size_t>(i)] = node;
    }
}

void BM_LargeSceneRoundTrip(benchmark::State& pState)
{
    const int n = static_cast<int>(pState.range(0));
    const std::string path = benchutil::TempPath("large_scene");
    double built = 0.0, written = 0.0, read = 0.0, peakHeap = 0.0;
    bool ok = true;
    for (auto _ : pState) {
        {
            KQelSdkManager manager;
            KQelScene* scene = manager.CreateKQelScene();
            BuildTree(manager, *scene, n);
            built = HeapMegabytes();
            KQelExporter exporter(manager);
            exporter.SetFileFormat(KQelExporter::eQelBinary);
            ok = exporter.Initialize(path.c_str()) && exporter.Export(*scene) && ok;
            written = HeapMegabytes();
            peakHeap = std::max(peakHeap, std::max(built, written));
        }
        {
            KQelSdkManager manager;
            KQelScene* scene = manager.CreateKQelScene();
            KQelImporter importer(manager);
            ok = importer.Initialize(path.c_str()) && importer.Import(*scene) && ok;
            read = HeapMegabytes();
            peakHeap = std::max(peakHeap, read);
            ok = scene->GetRootNode()->GetChildCount(true) == n && ok;
        }
    }
    std::remove(path.c_str());
    if (!ok)
        pState.SkipWithError("the scene did not round-trip");
    pState.counters["built_MB"] = built;
    pState.counters["written_MB"] = written;
    pState.counters["read_MB"] = read;
    pState.counters["peak_heap_MB"] = peakHeap;
    pState.counters["peak_rss_MB"] = PeakResidentMegabytes();
    pState.SetItemsProcessed(pState.iterations() * n);
}

const bool gsLargeSceneRegistered = [] {
    if (std::getenv("QEL_BENCH_LARGE_SCENE"))
        benchmark::RegisterBenchmark("BM_LargeSceneRoundTrip", BM_LargeSceneRoundTrip)
            ->Arg(300000)->Iterations(1)->Unit(benchmark::kSecond);
    return true;
}();

}  // namespace
}  // namespace qelsdk_600
