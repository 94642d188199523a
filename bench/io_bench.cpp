// Cost per name of renaming a host's nodes to QEL, beside a plain hash-set
// insert of the same names. A flat time per name across the sizes shows
// that renaming stays linear with many repeats.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "io/kqelpluginrenamingstrategy.h"

namespace qelsdk_600 {
namespace {

// n names: 80% distinct, 10% exact repeats and 10% letter-case variants of
// earlier names, interleaved as a host's node walk would meet them.
std::vector<std::string> MakeNames(long n)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n));
    long distinct = 0;
    for (long i = 0; i < n; ++i) {
        long kind = i % 10;
        if (kind == 8 && distinct > 0) {
            names.push_back(names[static_cast<std::size_t>((i * 7919) % i)]);
        } else if (kind == 9 && distinct > 0) {
            std::string variant = names[static_cast<std::size_t>((i * 104729) % i)];
            for (char& c : variant)
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c + 0);
            names.push_back(variant);
        } else {
            names.push_back("arm_joint_" + std::to_string(distinct++));
        }
    }
    return names;
}

void BM_RenameToQel(benchmark::State& state)
{
    const std::vector<std::string> names = MakeNames(state.range(0));
    for (auto _ : state) {
        KQelPluginRenamingStrategy strategy(KQelPluginRenamingStrategy::eToQel, false);
        int renamed = 0;
        for (const std::string& name : names) {
            KName kname(name.c_str());
            renamed += strategy.Rename(kname) ? 1 : 0;
        }
        benchmark::DoNotOptimize(renamed);
    }
    state.counters["per_name"] = benchmark::Counter(
        static_cast<double>(names.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenameToQel)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Baseline: each name copied into a hash set.
void BM_HashSetInsert(benchmark::State& state)
{
    const std::vector<std::string> names = MakeNames(state.range(0));
    for (auto _ : state) {
        std::unordered_set<std::string> set;
        for (const std::string& name : names)
            set.insert(name);
        benchmark::DoNotOptimize(set.size());
    }
    state.counters["per_name"] = benchmark::Counter(
        static_cast<double>(names.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HashSetInsert)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
