// Per-item cost of the growable array and of the text-key set, each beside a
// plain baseline, at sizes growing by 10x: a flat time per item means linear
// appends and O(log n) lookups.
#include "base/karraytemplate.h"
#include "base/kcharptrset.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace qelsdk_600;

namespace {

// Millions of small frees leave work for the allocator's next large request;
// settle it outside the timed loop so that no run pays for the previous one.
void SettleAllocator()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void BM_ArrayAppendInts(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        KArrayTemplate<int> array(16);
        for (int i = 0; i < count; ++i)
            array.Add(i);
        benchmark::DoNotOptimize(array.GetArray());
    }
    state.SetItemsProcessed(state.iterations() * count);
    SettleAllocator();
}

// Baseline: the same bytes written into storage allocated once.
void BM_BaselineFillInts(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<int> values(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            values[static_cast<size_t>(i)] = i;
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
    SettleAllocator();
}

// Distinct keys in shuffled order, made once per size.
const std::vector<std::string>& Keys(int count)
{
    static std::map<int, std::vector<std::string>> cache;
    std::vector<std::string>& keys = cache[count];
    if (keys.empty()) {
        keys.reserve(static_cast<size_t>(count));
        char text[32];
        for (int i = 0; i < count; ++i) {
            std::snprintf(text, sizeof text, "Model::node_%d", i);
            keys.emplace_back(text);
        }
        std::shuffle(keys.begin(), keys.end(), std::mt19937(12345));
    }
    return keys;
}

void BM_CharPtrSetAddThenGetEach(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::vector<std::string>& keys = Keys(count);
    for (auto _ : state) {
        KCharPtrSet set(20);
        for (int i = 0; i < count; ++i)
            set.Add(keys[static_cast<size_t>(i)].c_str(), static_cast<kReference>(i));
        kReference sum = 0;
        for (int i = 0; i < count; ++i)
            sum += set.Get(keys[static_cast<size_t>(i)].c_str());
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * count);
    SettleAllocator();
}

// Baseline: copy the keys, sort them once, bisect for each.
void BM_BaselineSortedKeysGetEach(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::vector<std::string>& keys = Keys(count);
    for (auto _ : state) {
        std::vector<std::string> sorted(keys);
        std::sort(sorted.begin(), sorted.end());
        size_t hits = 0;
        for (int i = 0; i < count; ++i)
            hits += std::binary_search(sorted.begin(), sorted.end(), keys[static_cast<size_t>(i)]);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * count);
    SettleAllocator();
}

}  // namespace

BENCHMARK(BM_ArrayAppendInts)->RangeMultiplier(10)->Range(100000, 10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineFillInts)->RangeMultiplier(10)->Range(100000, 10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSortedKeysGetEach)->RangeMultiplier(10)->Range(100000, 10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CharPtrSetAddThenGetEach)->RangeMultiplier(10)->Range(100000, 10000000)->Unit(benchmark::kMillisecond);
