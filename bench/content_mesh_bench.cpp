// Mesh normals and the hard-edge split and merge on grid meshes of 10^4 to
// 10^6 points, cost per control point, against a plain copy of the points.
#include <cmath>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "content/kqelmesh.h"
#include "scene/kqelsdkmanager.h"

namespace {

using namespace qelsdk_600;

typedef KArrayTemplate<KArrayTemplate<KQelMesh::KDuplicateVertex>*> SplitList;

// Seconds per control point of the mesh the benchmark started from.
benchmark::Counter PerMeshPoint(int pPoints)
{
    return benchmark::Counter(static_cast<double>(pPoints),
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A wavy grid of side x side points in quads, with normals by corner.
KQelMesh* GridMesh(KQelSdkManager& pManager, int pSide)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(pSide * pSide);
    KQelVector4* points = mesh->GetControlPoints();
    for (int j = 0; j < pSide; ++j) {
        for (int i = 0; i < pSide; ++i)
            points[j * pSide + i].Set(i, j, std::sin(i * 0.7) * std::cos(j * 0.4), 1.0);
    }
    for (int j = 0; j + 1 < pSide; ++j) {
        for (int i = 0; i + 1 < pSide; ++i) {
            mesh->BeginPolygon(-1, -1, 0);
            for (int corner : {j * pSide + i, j * pSide + i + 1, (j + 1) * pSide + i + 1, (j + 1) * pSide + i})
                mesh->AddPolygon(corner);
        }
    }
    mesh->InitNormals(mesh->GetPolygonVertexCount());
    return mesh;
}

void Split(KQelMesh& pMesh)
{
    SplitList list;
    pMesh.BuildSplitList(list, KQelMesh::eSplitControlPoints);
    pMesh.SplitPointsForHardEdge(list);
    for (int i = 0; i < list.GetCount(); ++i)
        delete list[i];
}

int Side(benchmark::State& pState)
{
    return static_cast<int>(std::lround(std::sqrt(static_cast<double>(pState.range(0)))));
}

void BM_CopyPoints(benchmark::State& state)
{
    const int side = Side(state);
    std::vector<KQelVector4> source(static_cast<std::size_t>(side) * side), target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * sizeof(KQelVector4));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_point"] = PerMeshPoint(side * side);
}

void BM_ComputeVertexNormals(benchmark::State& state)
{
    KQelSdkManager manager;
    KQelMesh* mesh = GridMesh(manager, Side(state));
    for (auto _ : state)
        mesh->ComputeVertexNormals(false);
    state.counters["per_point"] = PerMeshPoint(mesh->GetControlPointsCount());
}

void BM_SplitForHardEdges(benchmark::State& state)
{
    KQelSdkManager manager;
    KQelMesh* source = GridMesh(manager, Side(state));
    KQelMesh* mesh = manager.CreateKQelMesh();
    for (auto _ : state) {
        state.PauseTiming();
        *mesh = *source;
        state.ResumeTiming();
        Split(*mesh);
    }
    state.counters["per_point"] = PerMeshPoint(source->GetControlPointsCount());
}

// pExhaustive: the exporter's exhaustive list; otherwise the importer's
// non-exhaustive list and the merge.
void Merge(benchmark::State& state, bool pExhaustive)
{
    KQelSdkManager manager;
    KQelMesh* source = GridMesh(manager, Side(state));
    const int points = source->GetControlPointsCount();
    Split(*source);
    KQelMesh* mesh = manager.CreateKQelMesh();
    KArrayTemplate<int> list;
    for (auto _ : state) {
        if (pExhaustive) {
            benchmark::DoNotOptimize(source->BuildMergeList(list, KQelMesh::eSplitControlPoints, true));
            continue;
        }
        state.PauseTiming();
        *mesh = *source;
        state.ResumeTiming();
        mesh->BuildMergeList(list, KQelMesh::eSplitControlPoints, false);
        mesh->MergePointsForPolygonVerteNormals(list);
    }
    state.counters["per_point"] = PerMeshPoint(points);
}

void BM_MergeListExhaustive(benchmark::State& state)
{
    Merge(state, true);
}

void BM_MergeListAndMerge(benchmark::State& state)
{
    Merge(state, false);
}

#define QEL_MESH_SIZES ->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_CopyPoints) QEL_MESH_SIZES;
BENCHMARK(BM_ComputeVertexNormals) QEL_MESH_SIZES;
BENCHMARK(BM_SplitForHardEdges) QEL_MESH_SIZES;
BENCHMARK(BM_MergeListExhaustive) QEL_MESH_SIZES;
BENCHMARK(BM_MergeListAndMerge) QEL_MESH_SIZES;

}  // namespace
