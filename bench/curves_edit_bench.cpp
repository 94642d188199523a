// Key editing at scale (adds in and out of order, span deletes) and the
// curve's binary file round trip, against plain baselines.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "curves/kfcurve.h"
#include "file/kqel.h"

namespace {

using qelsdk_600::KFCurve;
using qelsdk_600::KFCurveKey;
using qelsdk_600::KQel;
using qelsdk_600::KTime;

constexpr long long kTicksBetweenKeys = 1539538600LL;  // 1/30 s

std::vector<int> Shuffled(int n)
{
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    return order;
}

void BM_KeyAddInOrder(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    KFCurveKey key;
    key.Set(KTime(0), 1.0f);
    for (auto _ : state) {
        KFCurve curve;
        for (int i = 0; i < keys; ++i)
            curve.KeyAdd(KTime(i * kTicksBetweenKeys), key);
        benchmark::DoNotOptimize(curve.KeyGetCount());
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_KeyAddInOrder)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

// Each add lands at a random place: the records after it move, one memmove
// per block.
void BM_KeyAddRandomOrder(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    const std::vector<int> order = Shuffled(keys);
    KFCurveKey key;
    key.Set(KTime(0), 1.0f);
    for (auto _ : state) {
        KFCurve curve;
        for (int i : order)
            curve.KeyAdd(KTime(i * kTicksBetweenKeys), key);
        benchmark::DoNotOptimize(curve.KeyGetCount());
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_KeyAddRandomOrder)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

// Baseline: sorted insertion into a plain vector of 32-byte records.
void BM_VectorInsertRandomOrder(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    const std::vector<int> order = Shuffled(keys);
    for (auto _ : state) {
        std::vector<KFCurveKey> records;
        for (int i : order) {
            KFCurveKey key;
            key.Set(KTime(i * kTicksBetweenKeys), 1.0f);
            auto at = std::lower_bound(records.begin(), records.end(), key,
                                       [](const KFCurveKey& a, const KFCurveKey& b) { return a.GetTime() < b.GetTime(); });
            records.insert(at, key);
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
// Quadratic: a million would take minutes.
BENCHMARK(BM_VectorInsertRandomOrder)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_DeleteMiddleSpan(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        KFCurve curve;
        for (int i = 0; i < keys; ++i)
            curve.KeyAppendFast(KTime(i * kTicksBetweenKeys), 1.0f);
        state.ResumeTiming();
        curve.Delete(keys / 10, keys - keys / 10);
        benchmark::DoNotOptimize(curve.KeyGetCount());
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_DeleteMiddleSpan)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

std::string ScratchPath()
{
    return (std::filesystem::temp_directory_path() / ("curves_edit_bench_" + std::to_string(getpid()) + ".qel"))
        .string();
}

// Writes the curve to a binary file and reads it back.
void BM_BinaryFileRoundTrip(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    KFCurve curve;
    for (int i = 0; i < keys; ++i) {
        curve.KeyAppendFast(KTime(i * kTicksBetweenKeys), static_cast<float>((i * 7919) % 13));
        curve.KeySetTangeantMode(i, i % 2 ? qelsdk_600::kFCurveTangentUser : qelsdk_600::kFCurveTangentAuto);
        curve.KeyGetPtr(i)->SetDataDouble(qelsdk_600::eKFCurveRightDerivative, 0.5f);
    }
    const std::string path = ScratchPath();
    for (auto _ : state) {
        {
            KQel file;
            file.ProjectCreate(path.c_str(), true, false, nullptr);
            file.FieldWriteBegin("Curve");
            file.FieldWriteBlockBegin();
            curve.QelStore(&file);
            file.FieldWriteBlockEnd();
            file.FieldWriteEnd();
            file.ProjectClose();
        }
        KQel file;
        file.ProjectOpenDirect(path.c_str(), false, true, nullptr);
        file.FieldReadBegin("Curve");
        file.FieldReadBlockBegin();
        std::unique_ptr<KFCurve> back(qelsdk_600::KFCurveCreate(&file));
        file.FieldReadBlockEnd();
        file.FieldReadEnd();
        file.ProjectClose();
        if (!back || back->KeyGetCount() != keys)
            state.SkipWithError("round trip lost keys");
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_BinaryFileRoundTrip)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

// Baseline: the same number of 38-byte key groups written and read raw.
void BM_RawFileRoundTrip(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    std::vector<char> bytes(static_cast<std::size_t>(keys) * 38, 'k');
    const std::string path = ScratchPath();
    for (auto _ : state) {
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        FILE* in = std::fopen(path.c_str(), "rb");
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), in);
        std::fclose(in);
        benchmark::DoNotOptimize(got);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_RawFileRoundTrip)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
