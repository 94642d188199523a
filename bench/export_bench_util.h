// What the host scene export's benchmarks share: a scratch file per
// process, the timing of whole exports, and the reference run that writes
// an SDK scene with the SDK exporter alone.
#ifndef QEL_BENCH_EXPORT_BENCH_UTIL_H
#define QEL_BENCH_EXPORT_BENCH_UTIL_H

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include <standin/StandIn.h>

#include "export/qelveskexport.h"
#include "io/kqelexporter.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

// A file in /tmp named for the benchmark and the process.
// The side of a square grid of about pVertices vertices.
inline int GridSide(long long pVertices)
{
    return static_cast<int>(std::lround(std::sqrt(static_cast<double>(pVertices))));
}

inline std::string BenchFilePath(const char* pName)
{
    return std::string("/tmp/") + pName + "_" + std::to_string(::getpid()) + ".qel";
}

// Times only the writes of the scenes pMake builds (pMake(manager, scene)
// each iteration, untimed) as binary QEL; pItems items per iteration.
template <class Make>
void TimeSdkWrites(benchmark::State& pState, const char* pName, long pItems, Make pMake)
{
    using namespace qelsdk_600;
    const std::string path = BenchFilePath(pName);
    for (auto _ : pState) {
        pState.PauseTiming();
        std::unique_ptr<KQelSdkManager> manager(new KQelSdkManager);
        KQelScene* scene = manager->CreateKQelScene();
        pMake(*manager, *scene);
        KQelExporter* exporter = manager->CreateKQelExporter();
        pState.ResumeTiming();
        exporter->Initialize(path.c_str());
        exporter->SetFileFormat(KQelExporter::eQelBinary);
        if (!exporter->Export(*scene, nullptr))
            pState.SkipWithError("the write failed");
        pState.PauseTiming();
        manager.reset();
        pState.ResumeTiming();
    }
    std::remove(path.c_str());
    pState.SetItemsProcessed(pState.iterations() * pItems);
}

// Times whole exports of the host scene as it stands, to a scratch file,
// then empties the host; pItems items per iteration.
inline void TimeHostExports(benchmark::State& pState, const char* pName, long pItems)
{
    const std::string path = BenchFilePath(pName);
    for (auto _ : pState) {
        QelVeskExport exporter;
        if (!exporter.Export(path.c_str()))
            pState.SkipWithError("the export failed");
    }
    std::remove(path.c_str());
    standin::resetHost();
    pState.SetItemsProcessed(pState.iterations() * pItems);
}

#endif
