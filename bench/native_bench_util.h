// Helpers of the native format benchmarks: scratch paths, an older-layout
// binary write and a whole read through the reader.
#ifndef QELSDK_BENCH_NATIVE_BENCH_UTIL_H
#define QELSDK_BENCH_NATIVE_BENCH_UTIL_H

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/reader/kqelreaderqel.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace benchutil {

// A file of the temporary directory named after the process and pName.
inline std::string TempPath(const std::string& pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_" + pName + "_" + std::to_string(getpid()) + ".qel";
}

inline bool WriteOlderBinary(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath)
{
    KQelExporter exporter(pManager);
    exporter.SetFileFormat(KQelExporter::eQel5Binary);
    exporter.Initialize(pPath.c_str());
    return exporter.Export(pScene);
}

// The file read into a new scene of a new manager, under the options the
// reader hands out.
inline bool ReadWhole(const std::string& pPath)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelImporter importer(manager);
    KQelReaderQel reader(manager, importer);
    if (!reader.FileOpen(pPath.c_str()))
        return false;
    KStreamOptions* options = reader.GetReadOptions(true);
    const bool read = reader.Read(*scene, options);
    if (options)
        options->Destroy();
    return read;
}

}  // namespace benchutil
}  // namespace qelsdk_600

#endif
