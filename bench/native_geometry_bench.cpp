// The older layout's mesh block, written and read back through the exporter
// and the reader, for grids of 10^4 to 10^6 vertices (one quad per vertex,
// normals and UVs per vertex). Beside them the field file alone writing and
// reading the same doubles: the cost per vertex should stay flat (within
// 2x) as the count grows tenfold.
#include <cmath>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "content/kqelmesh.h"
#include "file/kqel.h"
#include "native_bench_util.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

std::string MeshPath(const char* pKind, int pVertices)
{
    return benchutil::TempPath(std::string("geometry_bench_") + pKind + "_" + std::to_string(pVertices));
}

// A side x side grid of about pVertices points, closed into a tube: one quad
// per point; a normal and a UV per point.
void BuildMesh(KQelSdkManager& pManager, KQelScene& pScene, int pVertices)
{
    const int side = static_cast<int>(std::sqrt(static_cast<double>(pVertices)));
    KQelMesh* mesh = pManager.CreateKQelMesh();
    KQelNode* node = pManager.CreateKQelNode("Grid");
    node->SetNodeAttribute(mesh);
    pScene.GetRootNode()->AddChild(node);
    const int count = side * side;
    mesh->InitControlPoints(count);
    mesh->InitNormals(count);
    mesh->InitTextureUVIndices(KQelLayerElement::eByControlPoint);
    KQelVector4* points = mesh->GetControlPoints();
    KQelVector4* normals = mesh->GetNormals();
    for (int i = 0; i < count; ++i) {
        const double u = static_cast<double>(i % side) / side;
        const double v = static_cast<double>(i / side) / side;
        points[i] = KQelVector4(u, v, u * v, 1.0);
        normals[i] = KQelVector4(0.0, 0.0, 1.0, 1.0);
        mesh->AddTextureUV(KQelVector2(u, v));
    }
    for (int i = 0; i < count; ++i) {
        const int x = i % side;
        const int next = (i + side) % count;
        mesh->BeginPolygon();
        mesh->AddPolygon(i);
        mesh->AddPolygon(i - x + (x + 1) % side);
        mesh->AddPolygon(next - x + (x + 1) % side);
        mesh->AddPolygon(next);
        mesh->EndPolygon();
    }
}

// Written once per size and removed at exit.
const std::string& MeshDocument(int pVertices)
{
    static std::string paths[3];
    int slot = 0;
    for (int n = 10000; n < pVertices; n *= 10)
        ++slot;
    std::string& path = paths[slot];
    if (path.empty()) {
        path = MeshPath("mesh", pVertices);
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        BuildMesh(manager, *scene, pVertices);
        benchutil::WriteOlderBinary(manager, *scene, path);
        std::atexit([] {
            for (std::string& p : paths) {
                if (!p.empty())
                    std::remove(p.c_str());
            }
        });
    }
    return path;
}

void BM_WriteMesh(benchmark::State& pState)
{
    const int vertices = static_cast<int>(pState.range(0));
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    BuildMesh(manager, *scene, vertices);
    const std::string path = MeshPath("write", vertices);
    for (auto _ : pState)
        benchmark::DoNotOptimize(benchutil::WriteOlderBinary(manager, *scene, path));
    std::remove(path.c_str());
    pState.SetItemsProcessed(pState.iterations() * vertices);
}

void BM_ReadMesh(benchmark::State& pState)
{
    const int vertices = static_cast<int>(pState.range(0));
    const std::string& path = MeshDocument(vertices);
    for (auto _ : pState)
        benchmark::DoNotOptimize(benchutil::ReadWhole(path));
    pState.SetItemsProcessed(pState.iterations() * vertices);
}

// The reference: the same doubles (points, normals, UVs) and polygon
// indices through the field file alone, written then read.
void BM_FieldFileDoubles(benchmark::State& pState)
{
    const int vertices = static_cast<int>(pState.range(0));
    const std::string path = MeshPath("fields", vertices);
    for (auto _ : pState) {
        {
            KQel file;
            KQelFileHeaderInfo header;
            header.mHeaderVersion = 5800;
            file.ProjectCreate(path.c_str(), true, false, &header);
            file.FieldWriteBegin("Model");
            file.FieldWriteC("Model::Grid");
            file.FieldWriteBlockBegin();
            for (const char* name : {"Vertices", "Normals"}) {
                file.FieldWriteBegin(name);
                for (int i = 0; i < 3 * vertices; ++i)
                    file.FieldWriteD(0.5 * i);
                file.FieldWriteEnd();
            }
            file.FieldWriteBegin("PolygonVertexIndex");
            for (int i = 0; i < 4 * vertices; ++i)
                file.FieldWriteI(i % 4 == 3 ? ~(i / 4) : i / 4);
            file.FieldWriteEnd();
            file.FieldWriteBegin("TextureUV");
            for (int i = 0; i < 2 * vertices; ++i)
                file.FieldWriteD(0.25 * i);
            file.FieldWriteEnd();
            file.FieldWriteBlockEnd();
            file.FieldWriteEnd();
            file.ProjectCloseSection();
            file.ProjectClose();
        }
        KQel file;
        file.ProjectOpenDirect(path.c_str(), false, true, nullptr);
        double sum = 0.0;
        if (file.FieldReadBegin("Model")) {
            if (file.FieldReadBlockBegin()) {
                for (const char* name : {"Vertices", "Normals", "TextureUV"}) {
                    if (file.FieldReadBegin(name)) {
                        for (int i = 0, n = file.FieldReadGetCount(); i < n; ++i)
                            sum += file.FieldReadD();
                        file.FieldReadEnd();
                    }
                }
                if (file.FieldReadBegin("PolygonVertexIndex")) {
                    for (int i = 0, n = file.FieldReadGetCount(); i < n; ++i)
                        sum += file.FieldReadI();
                    file.FieldReadEnd();
                }
                file.FieldReadBlockEnd();
            }
            file.FieldReadEnd();
        }
        benchmark::DoNotOptimize(sum);
    }
    std::remove(path.c_str());
    pState.SetItemsProcessed(pState.iterations() * vertices);
}

void MeshSizes(benchmark::internal::Benchmark* pBenchmark)
{
    for (int vertices = 10000; vertices <= 1000000; vertices *= 10)
        pBenchmark->Arg(vertices);
    pBenchmark->ArgName("vertices")->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WriteMesh)->Apply(MeshSizes);
BENCHMARK(BM_ReadMesh)->Apply(MeshSizes);
BENCHMARK(BM_FieldFileDoubles)->Apply(MeshSizes);

// ---- Textures ----
// Duplicate removal and media naming for 10^3, 10^4 and 10^5 textures (half
// of them duplicates, all of one base name), cost per texture: added here
// with the texture and media blocks.

}  // namespace
}  // namespace qelsdk_600
