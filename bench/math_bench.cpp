// Geometry math throughput: affine products and Euler round trips, each beside
// a plain baseline so the figure reads as a ratio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "math/kanrotationorder.h"
#include "math/kgematrix.h"
#include "math/kmfunctions.h"

using namespace qelsdk_600;

namespace {

std::vector<KgeAMatrix> MakeMatrices(size_t count) {
    std::vector<KgeAMatrix> v(count);
    for (size_t i = 0; i < count; ++i) {
        KmXYZtoR(v[i], double(i % 360), double(i % 170) - 85.0, double(i % 90));
        v[i][3][0] = double(i % 7);
        v[i][3][1] = 1.0;
    }
    return v;
}

// Up to 10 million products per iteration, chained so none is dead code.
void BM_KmAA(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    std::vector<KgeAMatrix> in = MakeMatrices(1024);
    for (auto _ : state) {
        KgeAMatrix acc;
        for (size_t i = 0; i < count; ++i) {
            KmAA(acc, in[i & 1023], acc);
            acc[3][0] *= 0.5;  // keep the translation bounded
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_KmAA)->RangeMultiplier(10)->Range(10000, 10000000)->Unit(benchmark::kMillisecond);

// Baseline: copying the same number of matrices.
void BM_CopyMatrix(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    std::vector<KgeAMatrix> in = MakeMatrices(1024);
    for (auto _ : state) {
        KgeAMatrix acc;
        for (size_t i = 0; i < count; ++i) {
            std::memcpy(&acc, &in[i & 1023], sizeof acc);
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(acc);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_CopyMatrix)->RangeMultiplier(10)->Range(10000, 10000000)->Unit(benchmark::kMillisecond);

// Up to 1 million Euler -> matrix -> Euler round trips, XYZ order.
void BM_EulerRoundTripXYZ(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    for (auto _ : state) {
        double sum = 0.0;
        KgeRMatrix r;
        double v[3];
        for (size_t i = 0; i < count; ++i) {
            KmXYZtoR(r, double(i % 360), double(i % 170) - 85.0, double(i % 90));
            KmRtoVXYZ(v, r);
            sum += v[0] + v[1] + v[2];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_EulerRoundTripXYZ)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

// The same through a rotation order object with a non-XYZ order (ZXY).
void BM_EulerRoundTripOrder(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    KANRotationOrder order(8);
    for (auto _ : state) {
        double sum = 0.0;
        KgeRMatrix r;
        KgeRVector v;
        for (size_t i = 0; i < count; ++i) {
            order.V2M(r, KgeRVector(double(i % 360), double(i % 170) - 85.0, double(i % 90)));
            order.M2V(v, r);
            sum += v[0] + v[1] + v[2];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_EulerRoundTripOrder)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

// Baseline: the sines and cosines any Euler conversion must take.
void BM_SinCosOnly(benchmark::State& state) {
    const size_t count = size_t(state.range(0));
    for (auto _ : state) {
        double sum = 0.0;
        for (size_t i = 0; i < count; ++i) {
            double a = double(i % 360) * 0.017453292519943295;
            double b = (double(i % 170) - 85.0) * 0.017453292519943295;
            double c = double(i % 90) * 0.017453292519943295;
            sum += std::sin(a) + std::cos(a) + std::sin(b) + std::cos(b) + std::sin(c) + std::cos(c);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}
BENCHMARK(BM_SinCosOnly)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
