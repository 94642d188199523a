// Cost per node of writing and reading a scene in the current layout, beside
// fwrite and fread of the same bytes. A flat time per node across the sizes
// shows that the document's walks stay linear; the chain of 10^5 levels shows
// that they do not recurse once per level. The mesh benchmarks give the cost
// per vertex of one mesh with its layers, from 10^4 to 10^6 vertices.
// x_stdio is the fastest run beside the fastest fwrite or fread of the same
// bytes, x_stdio_cpu the same in CPU time.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

// A scene of n nodes in a tree of four children per node (or, with pFanOut
// 1, a chain), each node keyed in two takes. The last one built is kept for
// the next benchmark of the same shape.
struct BenchScene {
    KQelSdkManager manager;
    KQelScene* scene = nullptr;
};

std::unique_ptr<BenchScene>& CachedScene()
{
    static std::unique_ptr<BenchScene> slot;
    return slot;
}

BenchScene& SceneOf(long pNodes, long pFanOut = 4)
{
    static long size = -1;
    static long fanOut = 0;
    std::unique_ptr<BenchScene>& slot = CachedScene();
    if (slot && size == pNodes && fanOut == pFanOut)
        return *slot;
    slot.reset();
    slot.reset(new BenchScene);
    size = pNodes;
    fanOut = pFanOut;
    KQelScene& scene = *(slot->scene = slot->manager.CreateKQelScene());
    std::vector<KQelNode*> nodes;
    nodes.reserve(static_cast<std::size_t>(pNodes));
    for (long i = 0; i < pNodes; ++i) {
        KQelNode* node = slot->manager.CreateKQelNode(("Node" + std::to_string(i)).c_str());
        (i == 0 ? scene.GetRootNode() : nodes[static_cast<std::size_t>((i - 1) / pFanOut)])->AddChild(node);
        nodes.push_back(node);
    }
    for (const char* take : {"Walk", "Run"}) {
        scene.CreateTake(take);
        for (KQelNode* node : nodes) {
            node->SetCurrentTakeNode(take);
            KFCurve* curve = node->GetCurrentTakeNode()->GetTranslationX();
            for (int k = 0; k < 2; ++k) {
                const KTime time(k * KTime::kTicksPerSecond);
                curve->KeySet(curve->KeyAdd(time), time, static_cast<float>(k), kFCurveInterpolationLinear);
            }
        }
    }
    return *slot;
}

std::string BenchPath(const char* pName)
{
    return std::string(P_tmpdir) + "/qel_native_bench_" + std::to_string(getpid()) + "_" + pName;
}

double Seconds(std::chrono::steady_clock::duration pDuration)
{
    return std::chrono::duration<double>(pDuration).count();
}

// The fastest of several runs of a piece of work, in wall time and in the
// thread's CPU time (system time included): on a loaded machine the CPU
// ratio is the steadier one. Baselines run as often as the benchmark did,
// at least three times.
const long kBaselineRuns = 3;

double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct Fastest {
    double wall = 0.0;
    double cpu = 0.0;
    bool any = false;
    template <class Work>
    void Time(Work pWork)
    {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        pWork();
        const double seconds = Seconds(std::chrono::steady_clock::now() - start);
        const double cpuSeconds = ThreadSeconds() - cpuStart;
        wall = any ? std::min(wall, seconds) : seconds;
        cpu = any ? std::min(cpu, cpuSeconds) : cpuSeconds;
        any = true;
    }
};

// fwrite of pBytes bytes through a buffered stream into a new file.
Fastest FwriteSeconds(const std::string& pBytes, long pRuns = kBaselineRuns)
{
    const std::string path = BenchPath("fwrite");
    Fastest best;
    for (long run = 0; run < std::max(pRuns, kBaselineRuns); ++run) {
        best.Time([&] {
            FILE* file = std::fopen(path.c_str(), "wb");
            std::fwrite(pBytes.data(), 1, pBytes.size(), file);
            std::fclose(file);
        });
        std::remove(path.c_str());
    }
    return best;
}

std::string ReadAll(const std::string& pPath)
{
    std::string bytes;
    FILE* file = std::fopen(pPath.c_str(), "rb");
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

bool WriteOnce(BenchScene& pScene, const std::string& pPath, KQelWriterQel6::EExportMode pMode)
{
    KQelExporter exporter(pScene.manager);
    KQelWriterQel6 writer(pScene.manager, exporter);
    writer.SetExportMode(pMode);
    KStreamOptionsQel options;
    return writer.FileCreate(pPath.c_str()) && writer.Write(*pScene.scene, &options) && writer.FileClose();
}

void SetCounters(benchmark::State& state, long pNodes, const Fastest& pOurs, const Fastest& pBaseline,
                 std::size_t pBytes)
{
    state.counters["per_node"] = benchmark::Counter(static_cast<double>(pNodes),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    state.counters["bytes"] = static_cast<double>(pBytes);
    state.counters["fastest_ms"] = 1000.0 * pOurs.wall;
    state.counters["x_stdio"] = pBaseline.wall > 0 ? pOurs.wall / pBaseline.wall : 0.0;
    state.counters["x_stdio_cpu"] = pBaseline.cpu > 0 ? pOurs.cpu / pBaseline.cpu : 0.0;
}

// Writes pScene in the mode of argument 0; the cost per item of argument 1.
void RunWrite(benchmark::State& state, BenchScene& pScene, const char* pFile)
{
    const auto mode = static_cast<KQelWriterQel6::EExportMode>(state.range(0));
    const std::string path = BenchPath(pFile);
    Fastest best;
    for (auto _ : state) {
        // A new file each time, as for fwrite: replacing the last one would
        // time the release of its pages too.
        std::remove(path.c_str());
        best.Time([&] {
            if (!WriteOnce(pScene, path, mode))
                state.SkipWithError("write failed");
        });
    }
    const std::string bytes = ReadAll(path);
    std::remove(path.c_str());
    SetCounters(state, state.range(1), best, FwriteSeconds(bytes, state.iterations()), bytes.size());
}

void BM_WriteScene(benchmark::State& state)
{
    RunWrite(state, SceneOf(state.range(1)), "write.qel");
}
BENCHMARK(BM_WriteScene)
    ->ArgsProduct({{KQelWriterQel6::eBinary, KQelWriterQel6::eAscii}, {1000, 10000, 100000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// fread of the file's pBytes bytes.
Fastest FreadSeconds(const std::string& pPath, std::size_t pBytes, long pRuns = kBaselineRuns)
{
    std::string buffer(pBytes, '\0');
    Fastest best;
    for (long run = 0; run < std::max(pRuns, kBaselineRuns); ++run) {
        best.Time([&] {
            FILE* file = std::fopen(pPath.c_str(), "rb");
            const std::size_t read = std::fread(&buffer[0], 1, pBytes, file);
            std::fclose(file);
            benchmark::DoNotOptimize(read);
        });
    }
    return best;
}

// Reads what pScene wrote in the mode of argument 0; the scene itself is
// dropped (pCache) first, so that it does not double the memory of the
// largest size.
void RunRead(benchmark::State& state, BenchScene& pScene, std::unique_ptr<BenchScene>& pCache, const char* pFile)
{
    const std::string path = BenchPath(pFile);
    if (!WriteOnce(pScene, path, static_cast<KQelWriterQel6::EExportMode>(state.range(0)))) {
        state.SkipWithError("write failed");
        return;
    }
    pCache.reset();
    Fastest best;
    for (auto _ : state) {
        KQelSdkManager manager;
        KQelScene* read = manager.CreateKQelScene();
        KQelImporter importer(manager);
        best.Time([&] {
            if (!importer.Initialize(path.c_str()) || !importer.Import(*read))
                state.SkipWithError("read failed");
        });
    }
    const std::size_t bytes = ReadAll(path).size();
    SetCounters(state, state.range(1), best, FreadSeconds(path, bytes, state.iterations()), bytes);
    std::remove(path.c_str());
}

void BM_ReadScene(benchmark::State& state)
{
    RunRead(state, SceneOf(state.range(1)), CachedScene(), "read.qel");
}
BENCHMARK(BM_ReadScene)
    ->ArgsProduct({{KQelWriterQel6::eBinary, KQelWriterQel6::eAscii}, {1000, 10000, 100000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One write and one read of a chain of 10^5 nodes, each a level deeper (the
// building of the chain is not timed): the time per node beside that of
// the wide tree of the same size.
void BM_DeepChain(benchmark::State& state)
{
    const long nodes = state.range(0);
    const std::string path = BenchPath("chain.qel");
    Fastest best;
    for (auto _ : state) {
        BenchScene& chain = SceneOf(nodes, 1);
        best.Time([&] {
            if (!WriteOnce(chain, path, KQelWriterQel6::eBinary))
                state.SkipWithError("write failed");
            CachedScene().reset();  // one scene of this size at a time
            KQelSdkManager manager;
            KQelScene* read = manager.CreateKQelScene();
            KQelImporter importer(manager);
            if (!importer.Initialize(path.c_str()) || !importer.Import(*read))
                state.SkipWithError("read failed");
        });
    }
    const std::string bytes = ReadAll(path);
    const Fastest write = FwriteSeconds(bytes), read = FreadSeconds(path, bytes.size());
    Fastest baseline;
    baseline.wall = write.wall + read.wall;
    baseline.cpu = write.cpu + read.cpu;
    std::remove(path.c_str());
    SetCounters(state, nodes, best, baseline, bytes.size());
}
BENCHMARK(BM_DeepChain)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Meshes ----

// One mesh of n vertices: n quads, normals by vertex, UVs by polygon
// vertex through an index, and two materials by polygon through an index.
std::unique_ptr<BenchScene>& CachedMesh()
{
    static std::unique_ptr<BenchScene> slot;
    return slot;
}

BenchScene& MeshSceneOf(long pVertices)
{
    static long size = -1;
    std::unique_ptr<BenchScene>& slot = CachedMesh();
    if (slot && size == pVertices)
        return *slot;
    slot.reset();
    CachedScene().reset();
    slot.reset(new BenchScene);
    size = pVertices;
    KQelSdkManager& manager = slot->manager;
    KQelScene& scene = *(slot->scene = manager.CreateKQelScene());
    const int n = static_cast<int>(pVertices);
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitControlPoints(n);
    mesh->InitNormals(n);
    for (int i = 0; i < n; ++i) {
        mesh->GetControlPoints()[i] = KQelVector4(i % 1000, i / 1000, 0.5 * i, 1.0);
        mesh->GetNormals()[i] = KQelVector4(0, 0, 1, 0);
    }
    KQelMaterial* materials[2] = {manager.CreateKQelMaterial("Red"), manager.CreateKQelMaterial("Blue")};
    mesh->InitMaterialIndices(KQelLayerElement::eByPolygon);
    KQelLayerElementMaterial* element = mesh->GetLayer(0)->GetMaterials();
    element->SetReferenceMode(KQelLayerElement::eIndexToDirect);
    element->GetDirectArray().Add(materials[0]);
    element->GetDirectArray().Add(materials[1]);
    mesh->InitTextureUVIndices(KQelLayerElement::eByPolygonVertex);
    mesh->InitTextureUV(0);
    for (int i = 0; i < n; ++i)
        mesh->AddTextureUV(KQelVector2((i % 100) / 100.0, (i / 100 % 100) / 100.0));
    for (int p = 0; p < n; ++p) {
        mesh->BeginPolygon(p % 2);
        for (int k = 0; k < 4; ++k)
            mesh->AddPolygon((p + k) % n, (p + k) % n);
    }
    KQelNode* node = manager.CreateKQelNode("Mesh");
    node->SetNodeAttribute(mesh);
    scene.GetRootNode()->AddChild(node);
    return *slot;
}

void BM_WriteCurrentMesh(benchmark::State& state)
{
    RunWrite(state, MeshSceneOf(state.range(1)), "mesh_write.qel");
}
BENCHMARK(BM_WriteCurrentMesh)
    ->ArgsProduct({{KQelWriterQel6::eBinary, KQelWriterQel6::eAscii}, {10000, 100000, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ReadCurrentMesh(benchmark::State& state)
{
    RunRead(state, MeshSceneOf(state.range(1)), CachedMesh(), "mesh_read.qel");
}
BENCHMARK(BM_ReadCurrentMesh)
    ->ArgsProduct({{KQelWriterQel6::eBinary, KQelWriterQel6::eAscii}, {10000, 100000, 1000000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace qelsdk_600
