// Cost per node of a whole host import of trees of 10^2 to 10^4 nodes with
// static transform values (read, preparation, geometry pass, static values)
// beside the SDK reader alone on the same files: the import's cost per node
// should grow across sizes no more than twice as much as the reader's. A
// chain as deep as it has nodes shows the stand-in's paths, which list every
// ancestor and so cost their depth on each host call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <map>
#include <string>
#include <unistd.h>

#include <standin/StandIn.h>

#include "import/qelveskimport.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

int RemoveEntry(const char* pPath, const struct stat*, int, struct FTW*)
{
    return std::remove(pPath);
}

// The files live in a directory of their own, which is also the working
// directory (the settings and the log of the import go there).
const std::string& Directory()
{
    static std::string directory;
    if (directory.empty()) {
        char pattern[] = "/tmp/qelimport_bench_XXXXXX";
        directory = mkdtemp(pattern) ? pattern : ".";
        if (chdir(directory.c_str()) != 0)
            std::abort();
        std::atexit([] { nftw(Directory().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    }
    return directory;
}

// n nodes, each moved and turned; node i under node (i - 1) / 8 for the
// tree, under node i - 1 for the chain.
const std::string& File(int pCount, bool pChain)
{
    static std::map<std::pair<int, bool>, std::string> files;
    std::string& path = files[{pCount, pChain}];
    if (!path.empty())
        return path;
    path = Directory() + (pChain ? "/chain" : "/tree") + std::to_string(pCount) + ".qel";
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    std::vector<KQelNode*> nodes;
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = manager.CreateKQelNode(("n" + std::to_string(i)).c_str());
        node->SetDefaultT(KQelVector4(i % 7, 1.0, 0.0, 0.0));
        node->SetDefaultR(KQelVector4(0.0, i % 90, 0.0, 0.0));
        (i == 0 ? scene->GetRootNode() : nodes[static_cast<size_t>(pChain ? i - 1 : (i - 1) / 8)])->AddChild(node);
        nodes.push_back(node);
    }
    KQelExporter exporter(manager);
    exporter.SetFileFormat(KQelExporter::eQelBinary);
    if (!exporter.Initialize(path.c_str()) || !exporter.Export(*scene))
        std::abort();
    return path;
}

void BM_SdkReaderAlone(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    const std::string& path = File(count, false);
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        if (!importer.Initialize(path.c_str()) || !importer.Import(*scene))
            pState.SkipWithError("read failed");
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}

void Import(benchmark::State& pState, bool pChain)
{
    const int count = static_cast<int>(pState.range(0));
    const std::string& path = File(count, pChain);
    QelVeskUserParams* settings = QelVeskUserParams::Instance();
    settings->SetBoolParam(QelVeskUserParams::kImportShowUI, false);
    settings->SetImportType(QelVeskUserParams::eMerge);
    for (auto _ : pState) {
        pState.PauseTiming();
        standin::resetHost();
        pState.ResumeTiming();
        QelVeskImport import;
        import.OpenProject(MString(path.c_str()));
        if (!import.Import())
            pState.SkipWithError("import failed");
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}

void BM_HostImportOfATree(benchmark::State& pState)
{
    Import(pState, false);
}

void BM_HostImportOfAChain(benchmark::State& pState)
{
    Import(pState, true);
}

}  // namespace

BENCHMARK(BM_SdkReaderAlone)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfATree)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfAChain)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)->Iterations(1);
