// The 3D Studio toolkit at growing sizes. Chunks: n mesh objects and n
// object nodes with 10-key tracks are put into a new database, written,
// read back and fetched one by one by index; a plain fread of the same file
// is the reference. Records: n meshes, n cameras and n omni lights, with
// motions, are put through the record functions, written, read and got by
// index. The cost per item should stay flat from 10^3 to 10^5. A file
// numbers at most 65535 keyframer nodes, so the files hold that many at
// 10^5; the in-memory runs put and fetch all n.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/toolkit3ds/toolkit3ds.h"

using namespace qelsdk_600;

namespace {

std::string TempPath(const char* what, int n)
{
    return "/tmp/formats_toolkit3ds_bench_" + std::to_string(getpid()) + "_" + what + std::to_string(n) + ".3ds";
}

template <class Record>
Record* AddData(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    Record* data = static_cast<Record*>(InitChunkAndData3ds(&c, tag));
    AddChildOrdered3ds(parent, c);
    return data;
}

void PutMeshObject(chunk3ds* mdata, const std::string& name)
{
    chunk3ds* object = nullptr;
    static_cast<StringData3ds*>(InitChunkAndData3ds(&object, NAMED_OBJECT))->value = strdup3ds(name.c_str());
    AddChildOrdered3ds(mdata, object);
    chunk3ds* mesh = kfPutGenericNode(N_TRI_OBJECT, object);
    PointArrayData3ds* points = AddData<PointArrayData3ds>(mesh, POINT_ARRAY);
    points->count = 4;
    points->points = static_cast<point3ds*>(std::calloc(4, sizeof(point3ds)));
    chunk3ds* faceChunk = nullptr;
    FaceArrayData3ds* faces = static_cast<FaceArrayData3ds*>(InitChunkAndData3ds(&faceChunk, FACE_ARRAY));
    faces->count = 2;
    faces->faces = static_cast<face3ds*>(std::calloc(2, sizeof(face3ds)));
    faces->faces[1] = {1, 2, 3, 7};
    AddChildOrdered3ds(mesh, faceChunk);
    AddData<MeshMatrixData3ds>(mesh, MESH_MATRIX);
}

void PutObjectNode(chunk3ds* kfdata, const std::string& name, const std::string& parent)
{
    static std::vector<keyheader3ds> keys(10, DefKeyHeader3ds);
    static std::vector<point3ds> points(10, DefPoint3ds);
    for (int k = 0; k < 10; ++k)
        keys[k].time = static_cast<std::uint32_t>(10 * k);
    chunk3ds* node = kfPutGenericNode(OBJECT_NODE_TAG, kfdata);
    kfPutNodeId(node);
    kfPutNodeHeader(name.c_str(), 0, 0, parent.c_str(), node);
    kfPutPosTrack(10, 0, keys.data(), points.data(), node);
    RotTrackData3ds* rot = AddData<RotTrackData3ds>(node, ROT_TRACK_TAG);
    rot->header.keycount = 10;
    rot->keys = static_cast<keyheader3ds*>(std::malloc(10 * sizeof(keyheader3ds)));
    rot->values = static_cast<kfrotkey3ds*>(std::calloc(10, sizeof(kfrotkey3ds)));
    for (int k = 0; k < 10; ++k)
        rot->keys[k] = keys[k];
}

constexpr int kMostNodes = 65535;

// A new database of n objects and `nodes` nodes.
database3ds* PutScene(int n, int nodes)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    chunk3ds* mdata = nullptr;
    FindChunk3ds(db->topchunk, MDATA, &mdata);
    chunk3ds* kfdata = nullptr;
    kfGetKfSeg(db->topchunk, &kfdata);
    for (int i = 0; i < n; ++i) {
        const std::string name = "o" + std::to_string(i);
        PutMeshObject(mdata, name);
        if (i < nodes)
            PutObjectNode(kfdata, name, i ? "o" + std::to_string(i / 2) : "");
    }
    return db;
}

// Fetches every object and node by index; the number of points and keys.
std::uint64_t FetchAll(database3ds* db, int n, int nodes)
{
    std::uint64_t seen = 0;
    for (int i = 0; i < n; ++i) {
        chunk3ds* object = FindNamedObjectByIndex3ds(db, N_TRI_OBJECT, static_cast<std::uint32_t>(i));
        chunk3ds* points = nullptr;
        FindChunk3ds(object, POINT_ARRAY, &points);
        const PointArrayData3ds* p = points ? static_cast<PointArrayData3ds*>(ReadChunkData3ds(points)) : nullptr;
        seen += p ? p->count : 0;
        FreeFileChunkData3ds(points);
        if (i >= nodes)
            continue;
        chunk3ds* node = FindNodeTagByIndexAndType3ds(db, static_cast<std::uint32_t>(i), OBJECT_NODE_TAG);
        chunk3ds* track = nullptr;
        FindChunk3ds(node, POS_TRACK_TAG, &track);
        const PosTrackData3ds* t = track ? static_cast<PosTrackData3ds*>(ReadChunkData3ds(track)) : nullptr;
        seen += t ? t->header.keycount : 0;
        FreeFileChunkData3ds(track);
    }
    return seen;
}

// Puts, writes and closes a database of n objects and nodes.
void WriteScene(int n, const std::string& path)
{
    database3ds* db = PutScene(n, n < kMostNodes ? n : kMostNodes);
    file3ds* file = OpenFile3ds(path.c_str(), "wb");
    WriteDatabase3ds(file, db);
    CloseFile3ds(file);
    ReleaseDatabase3ds(&db);
}

// Reads the file back and fetches every object and node by index.
void ReadScene(int n, const std::string& path, benchmark::State& state)
{
    file3ds* file = OpenFile3ds(path.c_str(), "rb");
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateDatabase3ds(file, db);
    const int nodes = n < kMostNodes ? n : kMostNodes;
    if (FetchAll(db, n, nodes) != 4u * n + 10u * nodes || ftkerr3ds)
        state.SkipWithError("the file did not read back");
    ReleaseDatabase3ds(&db);
    CloseFile3ds(file);
}

void BM_Toolkit3dsPutWriteReadFetch(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string path = TempPath("scene", n);
    ClearErrList3ds();
    for (auto _ : state) {
        WriteScene(n, path);
        ReadScene(n, path, state);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Toolkit3dsPutWriteReadFetch)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Puts and fetches without a file, every node included.
void BM_Toolkit3dsPutFetchInMemory(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    ClearErrList3ds();
    for (auto _ : state) {
        database3ds* db = PutScene(n, n);
        if (FetchAll(db, n, n) != 14u * n || ftkerr3ds)
            state.SkipWithError("the database did not answer");
        state.PauseTiming();
        ReleaseDatabase3ds(&db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Toolkit3dsPutFetchInMemory)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// ---- Records

// Cameras have a node and a target node, omni lights one node.
constexpr int kMostMotions = kMostNodes / 3;

std::string Named(char kind, int i)
{
    return kind + std::to_string(i);
}

database3ds* PutRecords(int n, int motions)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 4, 2, InitTextArray3ds);
    mesh->facearray[1] = {1, 2, 3, 7};
    camera3ds* camera = nullptr;
    InitCamera3ds(&camera);
    light3ds* light = nullptr;
    InitLight3ds(&light);
    cameramotion3ds* cameraMotion = nullptr;
    InitCameraMotion3ds(&cameraMotion, 10, 2, 2, 10);
    omnimotion3ds* lightMotion = nullptr;
    InitOmnilightMotion3ds(&lightMotion, 10, 2);
    for (int i = 0; i < n; ++i) {
        std::snprintf(mesh->name, sizeof mesh->name, "%s", Named('m', i).c_str());
        PutMesh3ds(db, mesh);
        std::snprintf(camera->name, sizeof camera->name, "%s", Named('c', i).c_str());
        PutCamera3ds(db, camera);
        std::snprintf(light->name, sizeof light->name, "%s", Named('l', i).c_str());
        PutOmnilight3ds(db, light);
        if (i >= motions)
            continue;
        std::snprintf(cameraMotion->name, sizeof cameraMotion->name, "%s", camera->name);
        PutCameraMotion3ds(db, cameraMotion);
        std::snprintf(lightMotion->name, sizeof lightMotion->name, "%s", light->name);
        PutOmnilightMotion3ds(db, lightMotion);
    }
    RelMeshObj3ds(&mesh);
    ReleaseCamera3ds(&camera);
    ReleaseLight3ds(&light);
    ReleaseCameraMotion3ds(&cameraMotion);
    ReleaseOmnilightMotion3ds(&lightMotion);
    return db;
}

// Gets every record by index; the vertices, cameras, lights and keys seen.
std::uint64_t GetRecords(database3ds* db, int n, int motions)
{
    std::uint64_t seen = 0;
    mesh3ds* mesh = nullptr;
    camera3ds* camera = nullptr;
    light3ds* light = nullptr;
    cameramotion3ds* cameraMotion = nullptr;
    omnimotion3ds* lightMotion = nullptr;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t at = static_cast<std::uint32_t>(i);
        GetMeshByIndex3ds(db, at, &mesh);
        GetCameraByIndex3ds(db, at, &camera);
        GetOmnilightByIndex3ds(db, at, &light);
        seen += (mesh ? mesh->nvertices : 0) + (camera ? 1 : 0) + (light ? 1 : 0);
        if (i >= motions)
            continue;
        GetCameraMotionByIndex3ds(db, at, &cameraMotion);
        GetOmnilightMotionByIndex3ds(db, at, &lightMotion);
        seen += (cameraMotion ? cameraMotion->pos.keycount : 0) + (lightMotion ? lightMotion->pos.keycount : 0);
    }
    RelMeshObj3ds(&mesh);
    ReleaseCamera3ds(&camera);
    ReleaseLight3ds(&light);
    ReleaseCameraMotion3ds(&cameraMotion);
    ReleaseOmnilightMotion3ds(&lightMotion);
    return seen;
}

void BM_Toolkit3dsRecordsPutWriteReadGet(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int motions = n < kMostMotions ? n : kMostMotions;
    const std::string path = TempPath("records", n);
    ClearErrList3ds();
    for (auto _ : state) {
        database3ds* db = PutRecords(n, motions);
        file3ds* out = OpenFile3ds(path.c_str(), "wb");
        WriteDatabase3ds(out, db);
        CloseFile3ds(out);
        ReleaseDatabase3ds(&db);
        file3ds* in = OpenFile3ds(path.c_str(), "rb");
        InitDatabase3ds(&db);
        CreateDatabase3ds(in, db);
        if (GetRecords(db, n, motions) != 6u * n + 20u * motions || ftkerr3ds)
            state.SkipWithError("the records did not come back");
        ReleaseDatabase3ds(&db);
        CloseFile3ds(in);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Toolkit3dsRecordsPutWriteReadGet)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_Toolkit3dsRecordsInMemory(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    ClearErrList3ds();
    for (auto _ : state) {
        database3ds* db = PutRecords(n, n);
        if (GetRecords(db, n, n) != 26u * n || ftkerr3ds)
            state.SkipWithError("the records did not come back");
        state.PauseTiming();
        ReleaseDatabase3ds(&db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Toolkit3dsRecordsInMemory)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// The reference: reading the same file with fread alone.
void BM_Toolkit3dsPlainFread(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string path = TempPath("fread", n);
    WriteScene(n, path);
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::size_t total = 0, got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            total += got;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Toolkit3dsPlainFread)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
