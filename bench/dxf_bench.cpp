// The DXF reader over generated drawings of 10^4 to 10^6 vertices: one
// polyface mesh of a square grid, and a grid of 3DFACE quadrilaterals read
// into one welded mesh (each inner vertex met four times). Beside it a plain
// line scan of the same files and, where installed, dxflib parsing them
// without building anything. The time per vertex should stay flat as the
// count grows tenfold.
#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#ifdef QEL_HAVE_DXFLIB
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#endif

#include "content/kqelmesh.h"
#include "format_bench_util.h"
#include "formats/dxf/kqelreaderdxf.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

enum EDrawing { ePolyface, eFaceGrid };

void WritePolyface(std::FILE* pFile, int pSide)
{
    std::fprintf(pFile, "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n8\nGrid\n66\n1\n70\n64\n71\n%d\n72\n%d\n", pSide * pSide,
                 (pSide - 1) * (pSide - 1));
    for (int y = 0; y < pSide; ++y) {
        for (int x = 0; x < pSide; ++x)
            std::fprintf(pFile, "0\nVERTEX\n8\nGrid\n10\n%d.25\n20\n%d.5\n30\n0.125\n70\n192\n", x, y);
    }
    for (int y = 0; y + 1 < pSide; ++y) {
        for (int x = 0; x + 1 < pSide; ++x) {
            const int corner = y * pSide + x + 1;
            std::fprintf(pFile, "0\nVERTEX\n8\nGrid\n10\n0\n20\n0\n30\n0\n70\n128\n71\n%d\n72\n%d\n73\n%d\n74\n%d\n",
                         corner, corner + 1, corner + pSide + 1, corner + pSide);
        }
    }
    std::fputs("0\nSEQEND\n0\nENDSEC\n0\nEOF\n", pFile);
}

void WriteFaceGrid(std::FILE* pFile, int pSide)
{
    std::fputs("0\nSECTION\n2\nENTITIES\n", pFile);
    for (int y = 0; y + 1 < pSide; ++y) {
        for (int x = 0; x + 1 < pSide; ++x) {
            std::fprintf(pFile,
                         "0\n3DFACE\n8\nGrid\n10\n%d.25\n20\n%d.5\n30\n0.125\n11\n%d.25\n21\n%d.5\n31\n0.125\n"
                         "12\n%d.25\n22\n%d.5\n32\n0.125\n13\n%d.25\n23\n%d.5\n33\n0.125\n",
                         x, y, x + 1, y, x + 1, y + 1, x, y + 1);
        }
    }
    std::fputs("0\nENDSEC\n0\nEOF\n", pFile);
}

const std::string& Drawing(EDrawing pKind, long pVertices)
{
    return formatbench::GeneratedFile((pKind == ePolyface ? "polyface_" : "facegrid_") + std::to_string(pVertices) + ".dxf",
                                      pKind == ePolyface ? WritePolyface : WriteFaceGrid, pVertices);
}

void ReadDrawing(benchmark::State& pState, EDrawing pKind, KStreamOptionsDxf::EObjectDerivation pDerivation)
{
    const long vertices = pState.range(0);
    const std::string& path = Drawing(pKind, vertices);
    const int side = formatbench::GridSide(vertices);
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelReaderDxf reader(manager);
        KStreamOptionsDxf options;
        options.SetObjectDerivation(pDerivation);
        options.SetOption(KStreamOptionsBase::eCreateReferenceNode, 0);
        const bool read = reader.FileOpen(path.c_str()) && reader.Read(*scene, &options);
        KQelNode* node = scene->GetRootNode()->GetChild(0);
        if (!read || !node || !node->GetMesh() || node->GetMesh()->GetControlPointsCount() != side * side)
            pState.SkipWithError("the drawing did not read back");
        pState.PauseTiming();  // ending the scene is not reading
        reader.FileClose();
        manager.DestroyKQelScene(scene, true);
        pState.ResumeTiming();
    }
    formatbench::SetPerVertex(pState, vertices);
}

void BM_DxfPolyface(benchmark::State& pState)
{
    ReadDrawing(pState, ePolyface, KStreamOptionsDxf::eNodePerEntity);
}

void BM_DxfWeldedFaceGrid(benchmark::State& pState)
{
    ReadDrawing(pState, eFaceGrid, KStreamOptionsDxf::eMeshPerLayer);
}

void LineScan(benchmark::State& pState, EDrawing pKind)
{
    formatbench::LineScan(pState, Drawing(pKind, pState.range(0)), pState.range(0));
}

void BM_LineScanPolyface(benchmark::State& pState)
{
    LineScan(pState, ePolyface);
}

void BM_LineScanFaceGrid(benchmark::State& pState)
{
    LineScan(pState, eFaceGrid);
}

#ifdef QEL_HAVE_DXFLIB
// Counts what dxflib reports; it builds nothing.
class Counter : public DL_CreationAdapter {
public:
    void addVertex(const DL_VertexData&) override { ++mCount; }
    void add3dFace(const DL_3dFaceData&) override { ++mCount; }
    long mCount = 0;
};

void DxflibParse(benchmark::State& pState, EDrawing pKind)
{
    const long vertices = pState.range(0);
    const std::string& path = Drawing(pKind, vertices);
    for (auto _ : pState) {
        Counter counter;
        DL_Dxf dxf;
        if (!dxf.in(path, &counter) || counter.mCount == 0)
            pState.SkipWithError("dxflib did not read the drawing");
        benchmark::DoNotOptimize(counter.mCount);
    }
    formatbench::SetPerVertex(pState, vertices);
}

void BM_DxflibPolyface(benchmark::State& pState)
{
    DxflibParse(pState, ePolyface);
}

void BM_DxflibFaceGrid(benchmark::State& pState)
{
    DxflibParse(pState, eFaceGrid);
}

BENCHMARK(BM_DxflibPolyface)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxflibFaceGrid)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_DxfPolyface)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfWeldedFaceGrid)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineScanPolyface)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineScanFaceGrid)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
