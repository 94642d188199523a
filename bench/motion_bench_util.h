// Shared by the motion benchmarks: input files made once per run, in the
// temporary directory, removed when the program ends.
#ifndef QELSDK_BENCH_MOTION_BENCH_UTIL_H
#define QELSDK_BENCH_MOTION_BENCH_UTIL_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

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

}  // namespace motionbench
}  // namespace qelsdk_600

#endif
