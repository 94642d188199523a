// The 3D Studio writer through the exporter: scenes of 10^4 to 10^6
// vertices (grid meshes of at most 25,000 vertices with a material and UVs
// by control point, a node each), beside putting the same records straight
// into the toolkit and writing them; the renaming of 10^4 to 10^6 names
// beside a plain hash-set insert; and one node sampled over 10^3 to 10^5
// frames. The time per vertex, name or key should stay flat as the count
// grows tenfold.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "format_bench_util.h"
#include "formats/3ds/krenamingstrategy3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "io/kqelexporter.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

const int kColumns = 200;
const int kMaxMeshVertices = 25000;

std::string TempPath(const std::string& pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_bench_" + std::to_string(getpid()) + "_" + pName;
}

// A scene of grid meshes holding pVertices vertices in all.
struct GridScene {
    KQelSdkManager mManager;
    KQelScene* mScene = mManager.CreateKQelScene();

    explicit GridScene(long pVertices)
    {
        KQelMaterial* material = mManager.CreateKQelMaterial("wood");
        const long meshes = (pVertices + kMaxMeshVertices - 1) / kMaxMeshVertices;
        const int rows = static_cast<int>(pVertices / meshes / kColumns);
        for (long m = 0; m < meshes; ++m) {
            KQelMesh* mesh = mManager.CreateKQelMesh();
            mesh->InitControlPoints(rows * kColumns);
            mesh->InitTextureUVIndices(KQelLayerElement::eByControlPoint);
            mesh->InitTextureUV(rows * kColumns);
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    mesh->GetControlPoints()[r * kColumns + c].Set(c, r, static_cast<double>(m), 0.0);
                    mesh->GetTextureUV()[r * kColumns + c] = KQelVector2(double(c) / kColumns, double(r) / rows);
                }
            }
            mesh->InitMaterialIndices(KQelLayerElement::eAllSame);
            mesh->AM(material, 0);
            for (int r = 0; r + 1 < rows; ++r) {
                for (int c = 0; c + 1 < kColumns; ++c) {
                    const int a = r * kColumns + c;
                    mesh->BeginPolygon();
                    for (int corner : {a, a + 1, a + kColumns + 1, a + kColumns})
                        mesh->AddPolygon(corner);
                    mesh->EndPolygon();
                }
            }
            KQelNode* node = mManager.CreateKQelNode(("grid" + std::to_string(m)).c_str());
            node->SetNodeAttribute(mesh);
            mScene->GetRootNode()->AddChild(node);
        }
    }
};

bool Export(GridScene& pScene, const std::string& pPath)
{
    KQelExporter exporter(pScene.mManager);
    exporter.SetFileFormat(KQelExporter::e3ds);
    exporter.Initialize(pPath.c_str());
    KStreamOptions* options = exporter.GetExportOptions();
    const bool written = options && exporter.Export(*pScene.mScene, options);
    exporter.ReleaseExportOptions(options);
    return written;
}

void BM_Writer3DS_Export(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    GridScene scene(vertices);
    const std::string path = TempPath("write.3ds");
    for (auto _ : pState) {
        if (!Export(scene, path)) {
            pState.SkipWithError("export failed");
            break;
        }
    }
    std::remove(path.c_str());
    formatbench::SetPerVertex(pState, vertices);
}
BENCHMARK(BM_Writer3DS_Export)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same meshes as records, put into a new database and written.
void BM_Toolkit3ds_PutAndWrite(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    const long meshes = (vertices + kMaxMeshVertices - 1) / kMaxMeshVertices;
    const int rows = static_cast<int>(vertices / meshes / kColumns);
    const int faces = 2 * (rows - 1) * (kColumns - 1);
    std::vector<mesh3ds*> records;
    for (long m = 0; m < meshes; ++m) {
        mesh3ds* mesh = nullptr;
        InitMeshObj3ds(&mesh, static_cast<std::uint16_t>(rows * kColumns), static_cast<std::uint16_t>(faces), 0xFFFF);
        std::snprintf(mesh->name, sizeof(mesh->name), "grid%d", static_cast<int>(m % 1000));
        for (int v = 0; v < rows * kColumns; ++v)
            mesh->vertexarray[v] = {static_cast<float>(v % kColumns), 0.0f, static_cast<float>(v / kColumns)};
        for (int f = 0; f < faces; ++f)
            mesh->facearray[f] = {static_cast<std::uint16_t>(f / 2), static_cast<std::uint16_t>(f / 2 + 1),
                                  static_cast<std::uint16_t>(f / 2 + kColumns), 7};
        records.push_back(mesh);
    }
    const std::string path = TempPath("put.3ds");
    for (auto _ : pState) {
        ClearErrList3ds();
        database3ds* db = nullptr;
        InitDatabase3ds(&db);
        CreateNewDatabase3ds(db, MeshFile3ds);
        for (mesh3ds* mesh : records)
            PutMesh3ds(db, mesh);
        file3ds* file = OpenFile3ds(path.c_str(), "wb");
        WriteDatabase3ds(file, db);
        CloseFile3ds(file);
        ReleaseDatabase3ds(&db);
    }
    for (mesh3ds* mesh : records)
        RelMeshObj3ds(&mesh);
    std::remove(path.c_str());
    formatbench::SetPerVertex(pState, vertices);
}
BENCHMARK(BM_Toolkit3ds_PutAndWrite)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Names of 12 characters, a tenth of them repeated.
std::vector<std::string> Names(long pCount)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(pCount));
    for (long i = 0; i < pCount; ++i)
        names.push_back("Model::n" + std::to_string(i % 10 ? i : i / 10));
    return names;
}

void BM_Renaming3DS(benchmark::State& pState)
{
    const std::vector<std::string> names = Names(pState.range(0));
    for (auto _ : pState) {
        KRenamingStrategy3DS strategy;
        KName name;
        for (const std::string& text : names) {
            name.SetInitialName(text.c_str());
            strategy.Rename(name, 15);
        }
        benchmark::DoNotOptimize(name.GetCurrentName());
    }
    pState.counters["per_name"] = benchmark::Counter(static_cast<double>(names.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_Renaming3DS)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_HashSetInsert(benchmark::State& pState)
{
    const std::vector<std::string> names = Names(pState.range(0));
    for (auto _ : pState) {
        std::unordered_set<std::string> set;
        for (const std::string& text : names)
            set.insert(text);
        benchmark::DoNotOptimize(set.size());
    }
    pState.counters["per_name"] = benchmark::Counter(static_cast<double>(names.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_HashSetInsert)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One node whose translation, rotation and scaling are keyed at frame 0 and
// at frame pFrames: its tracks get a key at every frame.
void BM_Writer3DS_SampledNode(benchmark::State& pState)
{
    const long frames = pState.range(0);
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelNode* node = manager.CreateKQelNode("moving");
    scene->GetRootNode()->AddChild(node);
    KQelTakeNode* take = node->GetCurrentTakeNode();
    KTime end;
    end.SetTime(0, 0, 0, static_cast<int>(frames), 0, KTime::eFRAMES30);
    for (KFCurve* curve : {take->GetTranslationX(), take->GetEulerRotationY(), take->GetScaleZ()}) {
        curve->KeyModifyBegin(2);
        curve->KeySetTCB(0, KTime(0), 1.0f, 0, 0, 0);
        curve->KeySetTCB(1, end, 2.0f, 0, 0, 0);
        curve->KeyModifyEnd(2);
    }
    const std::string path = TempPath("node.3ds");
    for (auto _ : pState) {
        KQelExporter exporter(manager);
        exporter.SetFileFormat(KQelExporter::e3ds);
        exporter.Initialize(path.c_str());
        KStreamOptions* options = exporter.GetExportOptions();
        if (!options || !exporter.Export(*scene, options)) {
            pState.SkipWithError("export failed");
            break;
        }
        exporter.ReleaseExportOptions(options);
    }
    std::remove(path.c_str());
    pState.counters["per_key"] = benchmark::Counter(static_cast<double>(frames),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_Writer3DS_SampledNode)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
