// Take bookkeeping of large scenes: a reader lists the take names and stores
// the information of each take; the cost per object must stay flat as scenes
// grow. Creating (and removing) a take, which touches every object's curves,
// is the baseline. Objects are scene nodes, or generic nodes for the largest
// size: a node with 20 takes holds about 220 KB (46 KB of its own, 8.8 KB per
// take copy), so 10^5 of them would not fit in memory; generic nodes go
// through the same walk at a fraction of that.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace {

const int kTakes = 20;

std::string TakeName(int pIndex)
{
    return "Take " + std::to_string(pIndex);
}

enum EObjects { eSceneNodes = 0, eGenericNodes = 1 };

// One scene of pCount objects (scene nodes below the root in chains of 10,
// or generic nodes) with kTakes takes, kept while the benchmarks run at that
// size.
KQelScene& SceneOfSize(int pCount, int pObjects)
{
    static std::unique_ptr<KQelSdkManager> manager;
    static KQelScene* scene = nullptr;
    static int size = -1;
    static int objects = -1;
    if (size != pCount || objects != pObjects) {
        manager.reset();
        manager.reset(new KQelSdkManager);
        scene = manager->CreateKQelScene();
        KQelNode* parent = scene->GetRootNode();
        for (int i = 0; i < pCount; ++i) {
            const std::string name = "N" + std::to_string(i);
            if (pObjects == eGenericNodes) {
                scene->AddGenericNode(manager->CreateKQelGenericNode(name.c_str()));
                continue;
            }
            if (i % 10 == 0)
                parent = scene->GetRootNode();
            KQelNode* node = manager->CreateKQelNode(name.c_str());
            parent->AddChild(node);
            parent = node;
        }
        for (int t = 0; t < kTakes; ++t)
            scene->CreateTake(TakeName(t).c_str());
        size = pCount;
        objects = pObjects;
    }
    return *scene;
}

void BM_TakeNamesAndInformation(benchmark::State& pState)
{
    const int nodes = static_cast<int>(pState.range(0));
    KQelScene& scene = SceneOfSize(nodes, static_cast<int>(pState.range(1)));
    KQelTakeInfo infos[kTakes];
    for (int t = 0; t < kTakes; ++t)
        infos[t].mName = TakeName(t).c_str();
    KArrayTemplate<KString*> names;
    for (auto _ : pState) {
        scene.FillTakeNameArray(names);
        for (const KQelTakeInfo& info : infos)
            benchmark::DoNotOptimize(scene.SetTakeInfo(info));
    }
    if (names.GetCount() != kTakes + 1)
        pState.SkipWithError("take names missing");
    for (int i = 0; i < names.GetCount(); ++i)
        delete names.GetAt(i);
    pState.SetItemsProcessed(pState.iterations() * nodes);
}

void BM_CreateTakeBaseline(benchmark::State& pState)
{
    const int nodes = static_cast<int>(pState.range(0));
    KQelScene& scene = SceneOfSize(nodes, static_cast<int>(pState.range(1)));
    for (auto _ : pState) {
        benchmark::DoNotOptimize(scene.CreateTake("Extra"));
        benchmark::DoNotOptimize(scene.RemoveTake("Extra"));
    }
    pState.SetItemsProcessed(pState.iterations() * nodes);
}

// (objects, kind): scene nodes up to 10^4, generic nodes up to 10^5.
void Sizes(benchmark::internal::Benchmark* pBenchmark)
{
    for (int count : {1000, 10000})
        pBenchmark->Args({count, eSceneNodes});
    for (int count : {1000, 10000, 100000})
        pBenchmark->Args({count, eGenericNodes});
    pBenchmark->ArgNames({"objects", "generic"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_TakeNamesAndInformation)->Apply(Sizes);
BENCHMARK(BM_CreateTakeBaseline)->Apply(Sizes);

}  // namespace
}  // namespace qelsdk_600
