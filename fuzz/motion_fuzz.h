// Shared by the motion-format fuzz targets: the input goes through a file
// to one reader, which opens it, hands out its options and reads it into a
// scene with them (or with default options when it hands out none).
#ifndef QELSDK_FUZZ_MOTION_FUZZ_H
#define QELSDK_FUZZ_MOTION_FUZZ_H

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/kstreamoptionsmotion.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace motionfuzz {

// A file of this process in the temporary directory, named with pName.
inline std::string TemporaryPath(const char* pName)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/motion_fuzz_" + std::to_string(getpid()) + pName;
}

// Writes pSize bytes to pPath; false when the file cannot be written.
inline bool WriteBytes(const std::string& pPath, const void* pData, std::size_t pSize)
{
    std::FILE* file = std::fopen(pPath.c_str(), "wb");
    if (!file)
        return false;
    std::fwrite(pData, 1, pSize, file);
    return std::fclose(file) == 0;
}

template <class Reader, class... Arguments>
int ReadInput(const std::uint8_t* pData, std::size_t pSize, const char* pExtension, Arguments... pArguments)
{
    using namespace qelsdk_600;
    static const std::string path = TemporaryPath(pExtension);
    if (!WriteBytes(path, pData, pSize))
        return 0;
    {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        Reader reader(manager, pArguments...);
        if (reader.FileOpen(path.c_str())) {
            KStreamOptions* options = reader.GetReadOptions(true);
            KStreamOptionsMotion defaults;
            reader.Read(*scene, options ? options : &defaults);
            if (options)
                options->Destroy();
        }
        reader.FileClose();
    }
    std::remove(path.c_str());
    return 0;
}

}  // namespace motionfuzz

#endif
