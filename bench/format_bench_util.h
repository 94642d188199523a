// Generated files and per-vertex figures of the format benchmarks.
#ifndef QELSDK_BENCH_FORMAT_BENCH_UTIL_H
#define QELSDK_BENCH_FORMAT_BENCH_UTIL_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

namespace formatbench {

// Side of the square grid of about pVertices points.
inline int GridSide(long pVertices)
{
    return static_cast<int>(std::lround(std::sqrt(static_cast<double>(pVertices))));
}

// The file pName (in TMPDIR), written once by pWrite with the grid side of
// pVertices and removed at exit.
inline const std::string& GeneratedFile(const std::string& pName, void (*pWrite)(std::FILE*, int), long pVertices)
{
    static std::map<std::string, std::string> paths;
    std::string& path = paths[pName];
    if (!path.empty())
        return path;
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir && *dir ? dir : "/tmp") + "/qel_bench_" + std::to_string(getpid()) + "_" + pName;
    if (std::FILE* file = std::fopen(path.c_str(), "w")) {
        pWrite(file, GridSide(pVertices));
        std::fclose(file);
    }
    if (paths.size() == 1) {
        std::atexit([] {
            for (const auto& entry : paths)
                std::remove(entry.second.c_str());
        });
    }
    return path;
}

// The time per vertex, as a counter.
inline void SetPerVertex(benchmark::State& pState, long pVertices)
{
    pState.counters["per_vertex"] = benchmark::Counter(static_cast<double>(pVertices),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

// The baseline: every line of the file read and its first character
// looked at.
inline void LineScan(benchmark::State& pState, const std::string& pPath, long pVertices)
{
    char line[1240];
    for (auto _ : pState) {
        std::FILE* file = std::fopen(pPath.c_str(), "r");
        long sum = 0;
        while (file && std::fgets(line, sizeof(line), file))
            sum += line[0];
        if (file)
            std::fclose(file);
        benchmark::DoNotOptimize(sum);
    }
    SetPerVertex(pState, pVertices);
}

}  // namespace formatbench

#endif
