// Shared by the motion benchmarks: input files made once per run
// (benchfiles::RunFile), reads through the importer, figures per item.
#ifndef QELSDK_BENCH_MOTION_BENCH_UTIL_H
#define QELSDK_BENCH_MOTION_BENCH_UTIL_H

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "io/kqelimporter.h"
#include "object/kstreamoptions.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scratch_files.h"

namespace qelsdk_600 {
namespace motionbench {

using benchfiles::RunFile;
using benchfiles::ScratchPath;

// The file of pKey, written by pMake to a binary stream the first time.
template <class Make>
const std::string& StreamFile(const std::string& pKey, Make pMake)
{
    return RunFile(pKey, [&](const std::string& pPath) {
        std::ofstream out(pPath, std::ios::binary);
        pMake(out);
    });
}

// Reads pPath as format pFormat through the importer into pScene, with the
// options the reader hands out.
inline bool ImportInto(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFormat)
{
    KQelImporter importer(pManager);
    importer.SetFileFormat(static_cast<KQelImporter::EFileFormat>(pFormat));
    importer.Initialize(pPath.c_str());
    KStreamOptions* options = importer.GetImportOptions();
    const bool read = options && importer.Import(pScene, options);
    importer.ReleaseImportOptions(options);
    return read;
}

// ImportInto a fresh scene.
inline bool Import(const std::string& pPath, int pFormat)
{
    KQelSdkManager manager;
    return ImportInto(manager, *manager.CreateKQelScene(), pPath, pFormat);
}

// The counter pName: nanoseconds per item of pItems items per iteration.
inline void PerItem(benchmark::State& pState, double pItems, const char* pName)
{
    pState.counters[pName] =
        benchmark::Counter(pItems * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace motionbench
}  // namespace qelsdk_600

#endif
