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

template <class Reader, class... Arguments>
int ReadInput(const std::uint8_t* pData, std::size_t pSize, const char* pExtension, Arguments... pArguments)
{
    using namespace qelsdk_600;
    static const std::string path = [pExtension] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/motion_fuzz_" + std::to_string(getpid()) + pExtension;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(pData, 1, pSize, file);
    std::fclose(file);
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
