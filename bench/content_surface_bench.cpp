// Surface evaluation at growing sample steps, cost per output point, against
// a plain copy of the same number of points.
#include <cmath>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "content/kqelnurbsurfaceevaluator.h"
#include "content/kqelsurfaceevaluator.h"
#include "content/kqelweightedmapping.h"

namespace {

using namespace qelsdk_600;

// A wavy grid of count x count control points, 4 doubles each.
std::vector<double> WavyGrid(unsigned count)
{
    std::vector<double> grid;
    for (unsigned j = 0; j < count; ++j)
        for (unsigned i = 0; i < count; ++i)
            grid.insert(grid.end(), {double(i), double(j), std::sin(i * 0.7) * std::cos(j * 0.4), 1.0});
    return grid;
}

// Seconds per output point, shown with its SI prefix (n for nanoseconds).
benchmark::Counter PerOutputPoint(size_t points)
{
    return benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One conversion's work: set up, evaluate points, normals and (optionally)
// the mapping, destroy; as the converter does for each surface.
void RunEvaluator(benchmark::State& state, KQELSurfaceEvaluator* (*make)(unsigned step, std::vector<double>& aux),
                  unsigned count, bool withMapping)
{
    const unsigned step = static_cast<unsigned>(state.range(0));
    std::vector<double> grid = WavyGrid(count);
    std::vector<double> aux, points, normals;
    size_t produced = 0;
    for (auto _ : state) {
        KQELSurfaceEvaluator* evaluator = make(step, aux);
        evaluator->SetSourceArray(grid.data(), count, count);
        const size_t entries = static_cast<size_t>(evaluator->GetCurvePointCountX()) * evaluator->GetCurvePointCountY();
        points.assign(4 * entries, 1.0);
        normals.assign(4 * entries, 1.0);
        evaluator->SetDestinationArray(points.data());
        evaluator->SetDestinationNormalArray(normals.data());
        if (withMapping) {
            KQelWeightedMapping mapping(static_cast<int>(count * count), static_cast<int>(entries));
            evaluator->EvaluateSurface(&mapping);
        } else {
            evaluator->EvaluateSurface(nullptr);
        }
        benchmark::DoNotOptimize(points.data());
        evaluator->Destroy(0);
        produced = entries;
    }
    state.SetItemsProcessed(state.iterations() * produced);
    state.counters["points"] = static_cast<double>(produced);
    state.counters["per_point"] = PerOutputPoint(state.iterations() * produced);
}

constexpr unsigned kUniformGrid = 16;  // 5 bicubic segments per direction
constexpr unsigned kNurbsGrid = 8;     // 5 cubic spans per direction

KQELSurfaceEvaluator* MakeBezier(unsigned step, std::vector<double>&)
{
    KQELSurfaceEvaluator* evaluator =
        QELCreateGeneralUniformSurface(KQelPatchTypes::eBezier, KQelPatchTypes::eBezier);
    evaluator->SetEvaluationStepU(step);
    evaluator->SetEvaluationStepV(step);
    return evaluator;
}

// Open uniform knots 0,0,0,0,1,...,5,5,5,5, weights 1, then the scratch.
KQELSurfaceEvaluator* MakeNurbs(unsigned step, std::vector<double>& aux)
{
    const unsigned points = kNurbsGrid * kNurbsGrid;
    aux.assign(12 + points + 3 * points, 0.0);
    for (unsigned i = 0; i < 12; ++i)
        aux[i] = i < 4 ? 0.0 : (i >= 8 ? 5.0 : i - 3.0);
    for (unsigned i = 0; i < points; ++i)
        aux[12 + i] = 1.0;
    KQELNURBSurfaceEvaluator* evaluator = KQELNURBSurfaceEvaluatorCreate(4, 4);
    evaluator->SetEvaluationStepU(step);
    evaluator->SetEvaluationStepV(step);
    evaluator->SetAuxSourceArray(1, aux.data());
    evaluator->SetAuxSourceArray(2, aux.data());
    evaluator->SetAuxSourceArray(0, aux.data() + 12);
    evaluator->SetAuxSourceArray(5, aux.data() + 12 + points);
    return evaluator;
}

void BM_UniformBezier(benchmark::State& state)
{
    RunEvaluator(state, MakeBezier, kUniformGrid, false);
}
BENCHMARK(BM_UniformBezier)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_UniformBezierWithMapping(benchmark::State& state)
{
    RunEvaluator(state, MakeBezier, kUniformGrid, true);
}
BENCHMARK(BM_UniformBezierWithMapping)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_NurbsCubic(benchmark::State& state)
{
    RunEvaluator(state, MakeNurbs, kNurbsGrid, false);
}
BENCHMARK(BM_NurbsCubic)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_NurbsCubicWithMapping(benchmark::State& state)
{
    RunEvaluator(state, MakeNurbs, kNurbsGrid, true);
}
BENCHMARK(BM_NurbsCubicWithMapping)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// Baseline: copying as many output points (and normals) as the Bezier run makes.
void BM_CopyPointsBaseline(benchmark::State& state)
{
    const size_t side = 15 * static_cast<size_t>(state.range(0)) + 1;
    const size_t entries = side * side;
    std::vector<double> from(8 * entries, 1.0), to(8 * entries);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * sizeof(double));
        benchmark::DoNotOptimize(to.data());
    }
    state.SetItemsProcessed(state.iterations() * entries);
    state.counters["per_point"] = PerOutputPoint(state.iterations() * entries);
}
BENCHMARK(BM_CopyPointsBaseline)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
