// Geometry converter: link conversion on growing grids and patch
// triangulation at growing steps, cost per point. The patch makes as many
// points as BM_CopyPointsBaseline (content_surface_bench.cpp) copies.
#include <cmath>

#include <benchmark/benchmark.h>

#include "content/kqelgeometryconverter.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelpatch.h"
#include "content/kqelweightedmapping.h"
#include "scene/kqelsdkmanager.h"

namespace {

using namespace qelsdk_600;

// Seconds per point, shown with its SI prefix (n for nanoseconds).
benchmark::Counter PerPoint(double points)
{
    return benchmark::Counter(points, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

constexpr int kLinks = 50;

// A side x side grid mesh with 50 normalising links: link 0 holds every
// point, links 1 to 49 share the rows among them.
KQelMesh* SkinnedGrid(KQelSdkManager& pManager, int pSide)
{
    KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(pSide * pSide);
    for (int j = 0; j < pSide; ++j)
        for (int i = 0; i < pSide; ++i)
            mesh->GetControlPoints()[j * pSide + i].Set(i, j, 0, 1);
    for (int l = 0; l < kLinks; ++l) {
        KQelLink* link = pManager.CreateKQelLink();
        link->SetLinkMode(KQelLink::eNormalize);
        for (int j = 0; j < pSide; ++j) {
            if (l != 0 && j % (kLinks - 1) != l - 1)
                continue;
            for (int i = 0; i < pSide; ++i)
                link->AddControlPointIndex(j * pSide + i, 0.5);
        }
        mesh->AddLink(link);
    }
    return mesh;
}

void BM_ConvertLinks(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const int points = side * side;
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelMesh* source = SkinnedGrid(manager, side);
    KQelMesh* destination = manager.CreateKQelMesh();
    destination->InitControlPoints(points);
    // Each destination point blends its own source point and the next one.
    KQelWeightedMapping mapping(points, points);
    for (int d = 0; d < points; ++d) {
        mapping.Add(d, d, 0.75);
        mapping.Add((d + 1) % points, d, 0.25);
    }
    for (auto _ : state) {
        converter.ConvertLinks(source, destination, &mapping);
        benchmark::DoNotOptimize(destination->GetLink(0));
    }
    state.counters["points"] = points;
    state.counters["per_point"] = PerPoint(static_cast<double>(state.iterations()) * points);
}
// 10^4, 10^5 (316^2) and 10^6 control points.
BENCHMARK(BM_ConvertLinks)->Arg(100)->Arg(316)->Arg(1000)->Unit(benchmark::kMillisecond);

// A 16 x 16 bicubic Bezier patch (5 segments per direction) of a wavy
// surface, with one link holding every control point.
KQelPatch* WavyPatch(KQelSdkManager& pManager, int pStep)
{
    KQelPatch* patch = pManager.CreateKQelPatch();
    patch->InitControlPoints(16, KQelPatch::eBezier, 16, KQelPatch::eBezier);
    patch->SetStep(pStep, pStep);
    KQelLink* link = pManager.CreateKQelLink();
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i) {
            patch->GetControlPoints()[j * 16 + i].Set(i, j, std::sin(i * 0.7) * std::cos(j * 0.4), 1);
            link->AddControlPointIndex(j * 16 + i, 1.0);
        }
    patch->AddLink(link);
    return patch;
}

void BM_TriangulatePatch(benchmark::State& state)
{
    KQelSdkManager manager;
    KQelGeometryConverter converter(manager);
    KQelPatch* patch = WavyPatch(manager, static_cast<int>(state.range(0)));
    int points = 0;
    for (auto _ : state) {
        KQelMesh* mesh = converter.TriangulatePatch(patch);
        points = mesh->GetControlPointsCount();
        manager.DestroyKQelNodeAttribute(mesh);
    }
    state.counters["points"] = points;
    state.counters["per_point"] = PerPoint(static_cast<double>(state.iterations()) * points);
}
BENCHMARK(BM_TriangulatePatch)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
