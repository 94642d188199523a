// Key appending and curve evaluation, against plain baselines.
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "curves/kfcurve.h"

namespace {

using qelsdk_600::KFCurve;
using qelsdk_600::KTime;

constexpr long long kTicksPerKey = 1539538600LL;  // 1/30 s
constexpr int kSequentialSamples = 1000000;
constexpr int kRandomSamples = 100000;

// A curve of `keys` cubic keys, a sine-like zigzag; weighted curves carry
// weights on both sides of every segment.
std::unique_ptr<KFCurve> MakeCurve(int keys, bool weighted)
{
    std::unique_ptr<KFCurve> curve(new KFCurve);
    for (int i = 0; i < keys; ++i)
        curve->KeyAppendFast(KTime(i * kTicksPerKey), static_cast<float>((i * 7919) % 13));
    if (weighted) {
        curve->KeyTangeantSetMode(false, qelsdk_600::kFCurveTangentUserBreak);
        for (int i = 0; i + 1 < keys; ++i) {
            curve->KeySetRightTangeantWeight(i, 0.25f);
            curve->KeySetLeftTangeantWeight(i + 1, 0.4f);
        }
    }
    return curve;
}

void BM_KeyAppendFast(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    for (auto _ : state) {
        KFCurve curve;
        for (int i = 0; i < keys; ++i)
            curve.KeyAppendFast(KTime(i * kTicksPerKey), static_cast<float>(i));
        benchmark::DoNotOptimize(curve.KeyGetPtr(keys - 1));
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_KeyAppendFast)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Baseline: appending 32-byte records to a vector.
void BM_VectorAppendBaseline(benchmark::State& state)
{
    struct Record {
        long long time;
        float value;
        unsigned flags;
        float data[4];
    };
    const int keys = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<Record> records;
        for (int i = 0; i < keys; ++i)
            records.push_back(Record{i * kTicksPerKey, static_cast<float>(i), 0, {0, 0, 0, 0}});
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_VectorAppendBaseline)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void ReportPerEvaluation(benchmark::State& state, int samples)
{
    state.SetItemsProcessed(state.iterations() * samples);
    state.counters["per_eval"] = benchmark::Counter(static_cast<double>(samples),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// 1M increasing times over the whole curve with one hint: the cost per
// sample must not grow with the key count. Args: keys, weighted.
void BM_EvaluateSequential(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    std::unique_ptr<KFCurve> curve = MakeCurve(keys, state.range(1) != 0);
    const long long end = (keys - 1) * kTicksPerKey;
    const long long step = end / kSequentialSamples;
    for (auto _ : state) {
        int hint = 0;
        float sum = 0.0f;
        long long t = 0;
        for (int i = 0; i < kSequentialSamples; ++i, t += step)
            sum += curve->Evaluate(KTime(t), &hint);
        benchmark::DoNotOptimize(sum);
    }
    ReportPerEvaluation(state, kSequentialSamples);
}
BENCHMARK(BM_EvaluateSequential)
    ->ArgsProduct({{1000, 10000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// 100,000 random times, one hint carried from sample to sample.
void BM_EvaluateRandom(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    std::unique_ptr<KFCurve> curve = MakeCurve(keys, state.range(1) != 0);
    std::mt19937_64 random(11);
    std::vector<KTime> times(kRandomSamples);
    for (KTime& time : times)
        time = KTime(static_cast<long long>(random() % static_cast<unsigned long long>((keys - 1) * kTicksPerKey)));
    for (auto _ : state) {
        int hint = 0;
        float sum = 0.0f;
        for (const KTime& time : times)
            sum += curve->Evaluate(time, &hint);
        benchmark::DoNotOptimize(sum);
    }
    ReportPerEvaluation(state, kRandomSamples);
}
BENCHMARK(BM_EvaluateRandom)->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);

// Baseline: linear interpolation in a plain array at the same sequential
// times (index arithmetic, no search).
void BM_ArrayInterpolationBaseline(benchmark::State& state)
{
    const int keys = static_cast<int>(state.range(0));
    std::vector<float> values(keys);
    for (int i = 0; i < keys; ++i)
        values[i] = static_cast<float>((i * 7919) % 13);
    const double end = keys - 1;
    const double step = end / kSequentialSamples;
    for (auto _ : state) {
        float sum = 0.0f;
        double x = 0.0;
        for (int i = 0; i < kSequentialSamples; ++i, x += step) {
            const int k = static_cast<int>(x);
            const double u = x - k;
            sum += static_cast<float>(values[k] + u * (values[k + 1 < keys ? k + 1 : k] - values[k]));
        }
        benchmark::DoNotOptimize(sum);
    }
    ReportPerEvaluation(state, kSequentialSamples);
}
BENCHMARK(BM_ArrayInterpolationBaseline)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
