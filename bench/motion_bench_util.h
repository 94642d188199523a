// Shared by the motion benchmarks: input files made once per run, in the
// temporary directory, removed when the program ends.
#ifndef QELSDK_BENCH_MOTION_BENCH_UTIL_H
#define QELSDK_BENCH_MOTION_BENCH_UTIL_H

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "io/kqelimporter.h"
#include "object/kstreamoptions.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace motionbench {

inline std::string BenchPath(const std::string& pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_motion_bench_" + std::to_string(getpid()) + "_" + pName;
}

// The files made for the run, by key.
struct Files {
    std::map<std::string, std::string> mPaths;
    ~Files()
    {
        for (const auto& entry : mPaths)
            std::remove(entry.second.c_str());
    }
};

inline Files& RunFiles()
{
    static Files sFiles;
    return sFiles;
}

// The path of the file of pKey, made by pMake(path) the first time.
template <class Make>
const std::string& File(const std::string& pKey, Make pMake)
{
    Files& files = RunFiles();
    auto found = files.mPaths.find(pKey);
    if (found != files.mPaths.end())
        return found->second;
    const std::string path = BenchPath(pKey);
    pMake(path);
    return files.mPaths[pKey] = path;
}

// The file of pKey, written by pMake to a binary stream the first time.
template <class Make>
const std::string& StreamFile(const std::string& pKey, Make pMake)
{
    return File(pKey, [&](const std::string& pPath) {
        std::ofstream out(pPath, std::ios::binary);
        pMake(out);
    });
}

// Reads pPath as format pFormat through the importer into a fresh scene,
// with the options the reader hands out.
inline bool Import(const std::string& pPath, int pFormat)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelImporter importer(manager);
    importer.SetFileFormat(static_cast<KQelImporter::EFileFormat>(pFormat));
    importer.Initialize(pPath.c_str());
    KStreamOptions* options = importer.GetImportOptions();
    const bool read = options && importer.Import(*scene, options);
    importer.ReleaseImportOptions(options);
    return read;
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
