// The manager's object lists: creating and destroying n user properties, in
// reverse and in random order, against creating them alone (the manager's
// destructor then ends them in creation order). Linear lists show as a cost
// per item that stays flat from 10^3 to 10^5.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

enum Order { kCreateOnly, kReverse, kRandom };

void Run(benchmark::State& state, Order order)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<int> permutation(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        permutation[static_cast<std::size_t>(i)] = order == kReverse ? n - 1 - i : i;
    if (order == kRandom)
        std::shuffle(permutation.begin(), permutation.end(), std::mt19937(11));
    std::vector<KQelUserProperty*> made(static_cast<std::size_t>(n));
    for (auto _ : state) {
        KQelSdkManager manager;
        for (int i = 0; i < n; ++i)
            made[static_cast<std::size_t>(i)] = manager.CreateKQelUserProperty("Weight", "Real", "");
        if (order != kCreateOnly) {
            for (int index : permutation)
                manager.DestroyKQelUserProperty(made[static_cast<std::size_t>(index)]);
        }
        benchmark::DoNotOptimize(manager.GetKQelUserPropertyCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_UserPropertiesCreateOnly(benchmark::State& state) { Run(state, kCreateOnly); }
void BM_UserPropertiesDestroyReverse(benchmark::State& state) { Run(state, kReverse); }
void BM_UserPropertiesDestroyRandom(benchmark::State& state) { Run(state, kRandom); }

BENCHMARK(BM_UserPropertiesCreateOnly)->RangeMultiplier(10)->Range(1000, 100000);
BENCHMARK(BM_UserPropertiesDestroyReverse)->RangeMultiplier(10)->Range(1000, 100000);
BENCHMARK(BM_UserPropertiesDestroyRandom)->RangeMultiplier(10)->Range(1000, 100000);

// Indexed reads while the list has holes: n random destructions, each
// followed by a read at a random rank.
void BM_IndexedReadsAmongHoles(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::mt19937 random(5);
    for (auto _ : state) {
        KQelSdkManager manager;
        std::vector<KQelUserProperty*> made;
        for (int i = 0; i < n; ++i)
            made.push_back(manager.CreateKQelUserProperty("Weight", "Real", ""));
        std::shuffle(made.begin(), made.end(), random);
        for (int i = 0; i < n / 2; ++i) {
            manager.DestroyKQelUserProperty(made[static_cast<std::size_t>(i)]);
            benchmark::DoNotOptimize(manager.GetKQelUserProperty(static_cast<int>(random() % (n - i - 1))));
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IndexedReadsAmongHoles)->RangeMultiplier(10)->Range(1000, 100000);

}  // namespace
}  // namespace qelsdk_600
