// libFuzzer target: the native reader's whole document driver. The input is
// opened as a field file, its options are read (parsing the file when it has
// no summary) and it is read into a scene.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/reader/kqelreaderqel.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/native_fuzz_" + std::to_string(getpid()) + ".qel";
    }();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        KQelReaderQel reader(manager, importer);
        if (reader.FileOpen(path.c_str())) {
            KStreamOptions* options = reader.GetReadOptions(true);
            KStreamOptionsQel defaults;
            KStreamOptionsQel* used = options ? static_cast<KStreamOptionsQel*>(options) : &defaults;
            used->mPassword = "pw";
            used->SetOption(KStreamOptionsQel::eMergeLayerAndTimeWarp, true);
            reader.Read(*scene, used);
            if (options)
                options->Destroy();
        }
        reader.FileClose();
    }
    std::remove(path.c_str());
    return 0;
}
