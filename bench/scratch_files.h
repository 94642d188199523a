// Scratch files of the benchmarks: named after the process in the
// temporary directory, and those made for a whole run removed at its end.
#ifndef QELSDK_BENCH_SCRATCH_FILES_H
#define QELSDK_BENCH_SCRATCH_FILES_H

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <unistd.h>

namespace benchfiles {

// TMPDIR (else /tmp) + "/qel_bench_<process id>_" + pName.
inline std::string ScratchPath(const std::string& pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_bench_" + std::to_string(getpid()) + "_" + pName;
}

// The files made for the whole run, by name; removed when the program
// ends.
inline std::map<std::string, std::string>& RunFiles()
{
    struct Files {
        std::map<std::string, std::string> mPaths;
        ~Files()
        {
            for (const auto& entry : mPaths)
                std::remove(entry.second.c_str());
        }
    };
    static Files sFiles;
    return sFiles.mPaths;
}

// The path of pName (ScratchPath), made by pMake(path) the first time it is
// asked for.
template <class Make>
const std::string& RunFile(const std::string& pName, Make pMake)
{
    std::map<std::string, std::string>& files = RunFiles();
    auto found = files.find(pName);
    if (found != files.end())
        return found->second;
    const std::string path = ScratchPath(pName);
    pMake(path);
    return files[pName] = path;
}

}  // namespace benchfiles

#endif
