// The older layout's model blocks, written and read back, for scenes of 10^3
// to 10^5 nodes: a flat tree, and chains 1 000 deep. Every node looks at a
// target and is keyed in one take. Beside them a plain field-file walk over
// the same file's "Model" blocks: the cost per node should stay flat (within
// 2x) as the count grows tenfold.
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "file/kqel.h"
#include "native_bench_util.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

const int kChainDepth = 1000;

std::string ModelPath(int pNodes, bool pChains)
{
    return benchutil::TempPath("model_bench_" + std::to_string(pNodes) + (pChains ? "_chains" : "_flat"));
}

// pNodes nodes below the root: all its children, or chains of kChainDepth.
// Each looks at the node before it (the first at the last) and has a key
// in the take "Walk".
void BuildScene(KQelSdkManager& pManager, KQelScene& pScene, int pNodes, bool pChains)
{
    pScene.CreateTake("Walk");
    KQelNode* root = pScene.GetRootNode();
    KQelNode* previous = nullptr;
    KQelNode* first = nullptr;
    KFCurveKey key;
    for (int i = 0; i < pNodes; ++i) {
        KQelNode* node = pManager.CreateKQelNode(("N" + std::to_string(i)).c_str());
        KQelNode* parent = pChains && i % kChainDepth != 0 ? previous : root;
        parent->AddChild(node);
        if (previous)
            node->SetTarget(previous);
        else
            first = node;
        node->SetCurrentTakeNode("Walk");
        key.Set(KTime(i), static_cast<float>(i));
        if (KFCurve* curve = node->GetCurrentTakeNode()->GetTranslationX())
            curve->KeyAdd(KTime(i), key);
        node->SetCurrentTakeNode(0);
        previous = node;
    }
    if (first && previous != first)
        first->SetTarget(previous);
}

// Written once per case and removed at exit.
const std::string& ModelDocument(int pNodes, bool pChains)
{
    static std::string paths[2][3];
    int slot = 0;
    for (int n = 1000; n < pNodes; n *= 10)
        ++slot;
    std::string& path = paths[pChains][slot];
    if (path.empty()) {
        path = ModelPath(pNodes, pChains);
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        BuildScene(manager, *scene, pNodes, pChains);
        benchutil::WriteOlderBinary(manager, *scene, path);
        std::atexit([] {
            for (auto& shape : paths) {
                for (std::string& p : shape) {
                    if (!p.empty())
                        std::remove(p.c_str());
                }
            }
        });
    }
    return path;
}

void BM_WriteModels(benchmark::State& pState)
{
    const int nodes = static_cast<int>(pState.range(0));
    const bool chains = pState.range(1) != 0;
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    BuildScene(manager, *scene, nodes, chains);
    const std::string path = ModelPath(nodes, chains) + ".w";
    for (auto _ : pState)
        benchmark::DoNotOptimize(benchutil::WriteOlderBinary(manager, *scene, path));
    std::remove(path.c_str());
    pState.SetItemsProcessed(pState.iterations() * nodes);
}

void BM_ReadModels(benchmark::State& pState)
{
    const int nodes = static_cast<int>(pState.range(0));
    const std::string& path = ModelDocument(nodes, pState.range(1) != 0);
    for (auto _ : pState)
        benchmark::DoNotOptimize(benchutil::ReadWhole(path));
    pState.SetItemsProcessed(pState.iterations() * nodes);
}

// The reference: every "Model" block entered and its children read, with
// no scene behind it.
void BM_ScanModels(benchmark::State& pState)
{
    const int nodes = static_cast<int>(pState.range(0));
    const std::string& path = ModelDocument(nodes, pState.range(1) != 0);
    for (auto _ : pState) {
        KQel file;
        file.ProjectOpenDirect(path.c_str(), false, true, nullptr);
        int read = 0;
        while (file.FieldReadBegin("Model")) {
            if (file.FieldReadBlockBegin()) {
                read += file.FieldReadI("Version", 0);
                benchmark::DoNotOptimize(file.FieldReadC("LookAtModel", ""));
                file.FieldReadBlockEnd();
            }
            file.FieldReadEnd();
        }
        benchmark::DoNotOptimize(read);
    }
    pState.SetItemsProcessed(pState.iterations() * nodes);
}

void SceneSizes(benchmark::internal::Benchmark* pBenchmark)
{
    for (int chains = 0; chains < 2; ++chains) {
        for (int nodes = 1000; nodes <= 100000; nodes *= 10)
            pBenchmark->Args({nodes, chains});
    }
    pBenchmark->ArgNames({"nodes", "chains"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WriteModels)->Apply(SceneSizes);
BENCHMARK(BM_ReadModels)->Apply(SceneSizes);
BENCHMARK(BM_ScanModels)->Apply(SceneSizes);

}  // namespace
}  // namespace qelsdk_600
