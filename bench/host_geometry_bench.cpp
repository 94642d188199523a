// Per-item costs of the stand-in host's meshes and curves at 10^4 to 10^6
// items: they should stay flat (within 2x) as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <vesk/MAnimControl.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnMesh.h>
#include <vesk/MGlobal.h>
#include <vesk/MItMeshVertex.h>

#include "core/object_access.h"
#include "store/fixtures.h"
#include "store/node_store.h"

namespace {

// A square grid of about n vertices: side x side quadrilaterals.
struct Grid {
    explicit Grid(int n)
    {
        side = static_cast<int>(std::sqrt(static_cast<double>(n))) - 1;
        for (int z = 0; z <= side; ++z)
            for (int x = 0; x <= side; ++x)
                points.append(static_cast<float>(x), std::sin(x * 0.1f + z * 0.2f), static_cast<float>(z));
        for (int z = 0; z < side; ++z)
            for (int x = 0; x < side; ++x) {
                const int a = z * (side + 1) + x;
                counts.append(4);
                for (int c : {a, a + side + 1, a + side + 2, a + 1})
                    connects.append(c);
            }
    }
    int side = 0;
    MFloatPointArray points;
    MIntArray counts;
    MIntArray connects;
};

// Builds a mesh, lists its normals and walks its vertices with their
// normals: everything linear in the vertices.
void BM_MeshBuildNormalsWalk(benchmark::State& state)
{
    vesk::store().reset();
    const Grid grid(static_cast<int>(state.range(0)));
    const MObject parent = vesk::ObjectAccess::fromNode(vesk::fixture::make("transform", "grid"));
    for (auto _ : state) {
        MFnMesh mesh;
        mesh.create(static_cast<int>(grid.points.length()), static_cast<int>(grid.counts.length()), grid.points,
                    grid.counts, grid.connects, parent);
        benchmark::DoNotOptimize(mesh.numNormals());
        MVectorArray normals;
        double sum = 0.0;
        for (MItMeshVertex it(mesh.object()); !it.isDone(); it.next()) {
            it.getNormals(normals);
            sum += normals[0].y;
        }
        benchmark::DoNotOptimize(sum);
        state.PauseTiming();
        MGlobal::deleteNode(mesh.object());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * grid.points.length());
}
BENCHMARK(BM_MeshBuildNormalsWalk)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Reference: copying the points once.
void BM_MeshReference(benchmark::State& state)
{
    const Grid grid(static_cast<int>(state.range(0)));
    std::vector<MFloatPoint> copy(grid.points.length());
    for (auto _ : state) {
        grid.points.get(copy.data());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * grid.points.length());
}
BENCHMARK(BM_MeshReference)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Keys appended in time order, then the curve read at rising times, as a
// plug driven by it would be frame after frame; the keys go again from the
// end.
void BM_CurveBuildEvaluate(benchmark::State& state)
{
    vesk::store().reset();
    const unsigned int n = static_cast<unsigned int>(state.range(0));
    vesk::fixture::make("transform", "t");
    MSelectionList list;
    list.add("t.tx");
    MPlug plug;
    list.getPlug(0, plug);
    MFnAnimCurve curve;
    curve.create(plug, MFnAnimCurve::kAnimCurveTL);
    for (auto _ : state) {
        for (unsigned int i = 0; i < n; ++i)
            curve.addKey(MTime(i, MTime::kFilm), std::sin(i * 0.01));
        double sum = 0.0;
        for (unsigned int i = 0; i < n; ++i)
            sum += curve.evaluate(MTime(i + 0.5, MTime::kFilm));
        benchmark::DoNotOptimize(sum);
        for (unsigned int i = n; i-- > 0;)
            curve.remove(i);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CurveBuildEvaluate)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Reference: the same number of cubic segments evaluated from an array.
void BM_CurveReference(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i)
        values[i] = std::sin(i * 0.01);
    for (auto _ : state) {
        double sum = 0.0;
        for (size_t i = 0; i + 1 < n; ++i) {
            const double s = 0.5;
            sum += (2 * s * s * s - 3 * s * s + 1) * values[i] + (-2 * s * s * s + 3 * s * s) * values[i + 1];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CurveReference)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

} // namespace
