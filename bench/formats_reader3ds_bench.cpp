// The 3D Studio reader through the importer over generated files of 10^4 to
// 10^6 vertices: grids of at most 25,000 vertices per mesh, two smoothing
// groups in bands, texture vertices, one textured material, a keyframer node
// with a position track per mesh. Beside it, where installed, lib3ds loading
// the same files. The time per vertex should stay flat as the count grows
// tenfold.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#ifdef QEL_HAVE_LIB3DS
#include <lib3ds/file.h>
#endif

#include "format_bench_util.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "io/kqelimporter.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

const int kColumns = 200;
const int kMaxMeshVertices = 25000;

void PutGrid(database3ds* pDb, int pIndex, int pRows)
{
    const int vertices = pRows * kColumns;
    const int faces = 2 * (pRows - 1) * (kColumns - 1);
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, static_cast<std::uint16_t>(vertices), static_cast<std::uint16_t>(faces),
                   InitTextArray3ds | InitSmoothArray3ds);
    std::snprintf(mesh->name, sizeof(mesh->name), "grid%d", pIndex);
    for (int r = 0; r < pRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const int v = r * kColumns + c;
            mesh->vertexarray[v] = {static_cast<float>(c), static_cast<float>(r), static_cast<float>(pIndex)};
            mesh->textarray[v] = {static_cast<float>(c) / kColumns, static_cast<float>(r) / pRows};
        }
    }
    int f = 0;
    for (int r = 0; r + 1 < pRows; ++r) {
        for (int c = 0; c + 1 < kColumns; ++c) {
            const auto a = static_cast<std::uint16_t>(r * kColumns + c);
            const auto b = static_cast<std::uint16_t>(a + 1), d = static_cast<std::uint16_t>(a + kColumns);
            const auto e = static_cast<std::uint16_t>(d + 1);
            mesh->smootharray[f] = mesh->smootharray[f + 1] = (r / 10) % 2 ? 1u : 2u;
            mesh->facearray[f++] = {a, b, e, 7};
            mesh->facearray[f++] = {a, e, d, 7};
        }
    }
    mesh->locmatrix[0] = mesh->locmatrix[4] = mesh->locmatrix[8] = 1.0f;
    mesh->nmats = 1;
    InitMeshObjField3ds(mesh, InitMatArray3ds);
    std::strcpy(mesh->matarray[0].name, "wood");
    InitMatArrayIndex3ds(mesh, 0, static_cast<std::uint16_t>(faces));
    mesh->matarray[0].nfaces = static_cast<std::uint16_t>(faces);
    for (int i = 0; i < faces; ++i)
        mesh->matarray[0].faceindex[i] = static_cast<std::uint16_t>(i);
    PutMesh3ds(pDb, mesh);
    RelMeshObj3ds(&mesh);

    objectmotion3ds* motion = nullptr;
    InitObjectMotion3ds(&motion, 2, 0, 0, 0, 0);
    std::snprintf(motion->name, sizeof(motion->name), "grid%d", pIndex);
    motion->pos.keys[1].time = 30;
    motion->pos.values[1] = {0, 0, 10};
    PutObjectMotion3ds(pDb, motion);
    ReleaseObjectMotion3ds(&motion);
}

void WriteFile(const std::string& pPath, long pVertices)
{
    ClearErrList3ds();
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    material3ds* material = nullptr;
    InitMaterial3ds(&material);
    std::strcpy(material->name, "wood");
    std::strcpy(material->texture.name, "wood.gif");
    material->texture.percent = 1.0f;
    PutMaterial3ds(db, material);
    ReleaseMaterial3ds(&material);
    const long meshes = (pVertices + kMaxMeshVertices - 1) / kMaxMeshVertices;
    for (long i = 0; i < meshes; ++i)
        PutGrid(db, static_cast<int>(i), static_cast<int>(pVertices / meshes / kColumns));
    file3ds* file = OpenFile3ds(pPath.c_str(), "wb");
    WriteDatabase3ds(file, db);
    CloseFile3ds(file);
    ReleaseDatabase3ds(&db);
}

// The file of about pVertices vertices, written once and removed at exit.
const std::string& File(long pVertices)
{
    static std::map<long, std::string> paths;
    std::string& path = paths[pVertices];
    if (path.empty()) {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/qel_bench_" + std::to_string(getpid()) + "_" +
               std::to_string(pVertices) + ".3ds";
        WriteFile(path, pVertices);
        if (paths.size() == 1) {
            std::atexit([] {
                for (const auto& entry : paths)
                    std::remove(entry.second.c_str());
            });
        }
    }
    return path;
}

void BM_Reader3DS_Import(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    const std::string& path = File(vertices);
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        importer.SetFileFormat(KQelImporter::e3ds);
        importer.Initialize(path.c_str());
        if (!importer.Import(*scene)) {
            pState.SkipWithError("import failed");
            break;
        }
        benchmark::DoNotOptimize(scene);
    }
    formatbench::SetPerVertex(pState, vertices);
}
BENCHMARK(BM_Reader3DS_Import)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

#ifdef QEL_HAVE_LIB3DS
void BM_Lib3ds_Load(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    const std::string& path = File(vertices);
    for (auto _ : pState) {
        Lib3dsFile* file = lib3ds_file_load(path.c_str());
        if (!file) {
            pState.SkipWithError("lib3ds could not load the file");
            break;
        }
        benchmark::DoNotOptimize(file);
        lib3ds_file_free(file);
    }
    formatbench::SetPerVertex(pState, vertices);
}
BENCHMARK(BM_Lib3ds_Load)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace qelsdk_600
