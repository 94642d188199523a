// Curve filters over long curves: the cost per key should stay flat as the
// key count grows tenfold. Baseline: copying the curve's keys.
#include <benchmark/benchmark.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvefilterkeysync.h"
#include "curves/kfcurvefilterunroll.h"

namespace {

using namespace qelsdk_600;

const KTime kFrame(KTime::kTicksPerSecond / 30);

// n keys every `step` frames from frame `offset`; value(i) gives the values.
template <typename Value>
void Fill(KFCurve& curve, int n, int step, int offset, Value value, kUInt interpolation)
{
    curve.KeyModifyBegin(n);
    for (int i = 0; i < n; ++i)
        curve.KeySet(i, kFrame * (offset + step * i), value(i), interpolation, kFCurveTangentAuto);
    curve.KeyModifyEnd(n);
}

void BM_CopyCurve(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KFCurve source;
    Fill(source, n, 1, 0, [](int i) { return static_cast<float>(i); }, kFCurveInterpolationLinear);
    KFCurve copy;
    for (auto _ : state) {
        copy.CopyFrom(source, true);
        benchmark::DoNotOptimize(copy.KeyGetPtr(0));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CopyCurve)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Runs of 8 equal keys: about three in four keys go.
void BM_ConstantKeyReducer(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KFCurve source;
    Fill(source, n, 1, 0, [](int i) { return static_cast<float>((i / 8) % 2); }, kFCurveInterpolationLinear);
    KFCurve work;
    KFCurveFilterConstantKeyReducer filter;
    for (auto _ : state) {
        state.PauseTiming();
        work.CopyFrom(source, true);
        state.ResumeTiming();
        filter.Apply(work);
        benchmark::DoNotOptimize(work.KeyGetCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ConstantKeyReducer)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Angles that wrap around every few keys on X, Y and Z.
void BM_Unroll(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KFCurve source[3];
    for (int axis = 0; axis < 3; ++axis)
        Fill(source[axis], n, 1, 0,
             [axis](int i) { return static_cast<float>((i * (7 + axis * 5)) % 360 - 180); },
             kFCurveInterpolationCubic);
    KFCurve work[3];
    KFCurve* curves[3] = {&work[0], &work[1], &work[2]};
    KFCurveFilterUnroll filter;
    for (auto _ : state) {
        state.PauseTiming();
        for (int axis = 0; axis < 3; ++axis)
            work[axis].CopyFrom(source[axis], true);
        state.ResumeTiming();
        filter.Apply(curves, 3);
        benchmark::DoNotOptimize(work[0].KeyGetPtr(0));
    }
    state.SetItemsProcessed(state.iterations() * n * 3);
}
BENCHMARK(BM_Unroll)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// X keyed on even frames, Y on odd ones: each gains the other's n keys.
void BM_KeySync(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KFCurve sourceX;
    KFCurve sourceY;
    Fill(sourceX, n / 2, 2, 0, [](int i) { return static_cast<float>(i % 17); }, kFCurveInterpolationCubic);
    Fill(sourceY, n / 2, 2, 1, [](int i) { return static_cast<float>(i % 13); }, kFCurveInterpolationCubic);
    KFCurve x;
    KFCurve y;
    KFCurve* curves[2] = {&x, &y};
    KFCurveFilterKeySync filter;
    for (auto _ : state) {
        state.PauseTiming();
        x.CopyFrom(sourceX, true);
        y.CopyFrom(sourceY, true);
        state.ResumeTiming();
        filter.Apply(curves, 2);
        benchmark::DoNotOptimize(x.KeyGetCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_KeySync)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
