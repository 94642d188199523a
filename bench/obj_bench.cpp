// The OBJ reader over generated files of 10^4 to 10^6 vertices: a square
// grid with a texture coordinate and a normal per vertex, quadrilaterals
// naming all three (v/vt/vn), one group. Beside it a plain line scan of the
// same files and, where installed, tinyobjloader. The time per vertex should
// stay flat as the count grows tenfold; the read also reports the peak
// memory it took per vertex, which must keep a 10^6-vertex file well inside
// a 32-bit process.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#ifdef QEL_HAVE_TINYOBJLOADER
#include <tiny_obj_loader.h>
#endif

#include "content/kqelmesh.h"
#include "format_bench_util.h"
#include "formats/obj/kqelreaderobj.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

void WriteGrid(std::FILE* pFile, int pSide)
{
    std::fputs("g grid\n", pFile);
    for (int y = 0; y < pSide; ++y) {
        for (int x = 0; x < pSide; ++x)
            std::fprintf(pFile, "v %d.25 %d.5 0.125\nvt %.6f %.6f\nvn 0 0.6 0.8\n", x, y,
                         static_cast<double>(x) / pSide, static_cast<double>(y) / pSide);
    }
    for (int y = 0; y + 1 < pSide; ++y) {
        for (int x = 0; x + 1 < pSide; ++x) {
            const int a = y * pSide + x + 1, b = a + 1, c = a + pSide + 1, d = a + pSide;
            std::fprintf(pFile, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c, d, d, d);
        }
    }
}

const std::string& Grid(long pVertices)
{
    return formatbench::GeneratedFile("grid_" + std::to_string(pVertices) + ".obj", WriteGrid, pVertices);
}

// A value in kB of /proc/self/status ("VmRSS", "VmHWM"); -1 when unknown.
long StatusKiB(const char* pField)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    long value = -1;
    char line[256];
    while (status && std::fgets(line, sizeof(line), status)) {
        if (std::strncmp(line, pField, std::strlen(pField)) == 0)
            value = std::strtol(line + std::strlen(pField) + 1, nullptr, 10);
    }
    if (status)
        std::fclose(status);
    return value;
}

// Lets the peak resident size start again from the present one.
bool ResetPeak()
{
    std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
    const bool reset = refs && std::fputs("5", refs) >= 0;
    if (refs)
        std::fclose(refs);
    return reset;
}

// Reads the grid; false when it did not read back whole.
bool ReadGrid(const std::string& pPath, int pSide)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelReaderObj reader(manager);
    KStreamOptionsObj options;
    options.SetOption(KStreamOptionsBase::eCreateReferenceNode, 0);
    const bool read = reader.FileOpen(pPath.c_str()) && reader.Read(*scene, &options);
    KQelNode* node = scene->GetRootNode()->GetChild(0);
    return read && node && node->GetMesh() && node->GetMesh()->GetControlPointsCount() == pSide * pSide;
}

void BM_ObjRead(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    const std::string& path = Grid(vertices);
    const int side = formatbench::GridSide(vertices);
    // One read measured for its peak memory, outside the timing.
    if (ResetPeak()) {
        const long before = StatusKiB("VmRSS:");
        ReadGrid(path, side);
        pState.counters["peak_bytes_per_vertex"] =
            static_cast<double>(StatusKiB("VmHWM:") - before) * 1024.0 / static_cast<double>(vertices);
    }
    for (auto _ : pState) {
        if (!ReadGrid(path, side))
            pState.SkipWithError("the grid did not read back");
    }
    formatbench::SetPerVertex(pState, vertices);
}

void BM_ObjLineScan(benchmark::State& pState)
{
    formatbench::LineScan(pState, Grid(pState.range(0)), pState.range(0));
}

BENCHMARK(BM_ObjRead)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjLineScan)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

#ifdef QEL_HAVE_TINYOBJLOADER
void BM_TinyObjLoader(benchmark::State& pState)
{
    const long vertices = pState.range(0);
    const std::string& path = Grid(vertices);
    for (auto _ : pState) {
        tinyobj::ObjReaderConfig config;
        config.triangulate = false;
        tinyobj::ObjReader reader;
        if (!reader.ParseFromFile(path, config) || reader.GetAttrib().vertices.empty())
            pState.SkipWithError("tinyobjloader did not read the grid");
        benchmark::DoNotOptimize(reader.GetShapes().size());
    }
    formatbench::SetPerVertex(pState, vertices);
}

BENCHMARK(BM_TinyObjLoader)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace qelsdk_600
