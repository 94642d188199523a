// Cost per host node of the merge matcher binding 10^3 to 10^5 host
// transforms to as many imported nodes of the same names; the cost per node
// should stay within 2x as the size grows by 10x. Beside it, inserting the
// same names into a hash set as the reference.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <standin/StandIn.h>

#include "plugin/qelveskmergenodematcher.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesksdkmanager.h"
#include "store/node_store.h"

namespace {

std::string NameOf(int pIndex)
{
    return "node" + std::to_string(pIndex);
}

// n top-level transforms, and every tenth name shared by a second transform
// under a group, so that clash records are walked too.
void MakeHostScene(int pCount)
{
    standin::resetHost();
    const vesk::NodeId group = vesk::store().createNode("transform", "group", vesk::NodeId());
    for (int i = 0; i < pCount; ++i) {
        vesk::store().createNode("transform", NameOf(i), vesk::NodeId());
        if (i % 10 == 0)
            vesk::store().createNode("transform", NameOf(i), group);
    }
}

std::unique_ptr<QelVeskSdkManager> MakeSdkScene(int pCount, QelVeskNode*& pRoot)
{
    std::unique_ptr<QelVeskSdkManager> manager(new QelVeskSdkManager(QelVeskSdkManager::eImport));
    pRoot = manager->CreateQelVeskNode("RootNode", nullptr);
    QelVeskNode* group = manager->CreateQelVeskNode("group", nullptr);
    pRoot->AddChild(group);
    for (int i = 0; i < pCount; ++i) {
        pRoot->AddChild(manager->CreateQelVeskNode(NameOf(i).c_str(), nullptr));
        if (i % 10 == 0)
            group->AddChild(manager->CreateQelVeskNode(NameOf(i).c_str(), nullptr));
    }
    return manager;
}

void BM_MergeApply(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    MakeHostScene(count);
    for (auto _ : pState) {
        pState.PauseTiming();
        QelVeskNode* root = nullptr;
        std::unique_ptr<QelVeskSdkManager> manager = MakeSdkScene(count, root);
        pState.ResumeTiming();
        QelVeskMergeNodeMatcher* matcher = manager->CreateQelVeskMergeNodeMatcher();
        matcher->Apply(root, MFn::kInvalid);
        pState.PauseTiming();
        manager.reset();
        pState.ResumeTiming();
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}
BENCHMARK(BM_MergeApply)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_HashSetOfNames(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    for (auto _ : pState) {
        std::unordered_set<std::string> names;
        for (int i = 0; i < count; ++i)
            names.insert(NameOf(i));
        benchmark::DoNotOptimize(names);
    }
    pState.SetItemsProcessed(pState.iterations() * count);
}
BENCHMARK(BM_HashSetOfNames)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
