// libFuzzer target: the OBJ reader with an MTL library, the scene then
// written back by the OBJ writer. The input is split at its first line
// beginning "=== mtl ===" into scene.obj and lib.mtl, side by side in a scratch
// directory. The scene is written under a name without ".obj": no library
// is made, so no texture named by the input is copied.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/obj/kqelreaderobj.h"
#include "formats/obj/kqelwriterobj.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

void WriteBytes(const std::string& pPath, const char* pData, std::size_t pSize)
{
    if (std::FILE* f = std::fopen(pPath.c_str(), "wb")) {
        std::fwrite(pData, 1, pSize, f);
        std::fclose(f);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/obj_fuzz_" + std::to_string(getpid());
        mkdir(path.c_str(), 0700);
        return path;
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find("=== mtl ===");
    const std::size_t objSize = split == std::string::npos ? size : split;
    WriteBytes(dir + "/scene.obj", input.data(), objSize);
    const std::size_t lineEnd = split == std::string::npos ? std::string::npos : input.find('\n', split);
    const std::size_t mtlStart = lineEnd == std::string::npos ? size : lineEnd + 1;
    WriteBytes(dir + "/lib.mtl", input.data() + mtlStart, size - mtlStart);
    {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        {
            KQelReaderObj reader(manager);
            KStreamOptionsObj options;
            if (reader.FileOpen((dir + "/scene.obj").c_str()))
                reader.Read(*scene, &options);
        }
        KQelWriterObj writer(manager);
        KStreamOptionsObj options;
        options.SetOption(KStreamOptionsBase::eForceTriangulation, size % 2 ? 1 : 0);
        if (writer.FileCreate((dir + "/out").c_str()))
            writer.Write(*scene, &options);
    }
    for (const char* name : {"/scene.obj", "/lib.mtl", "/out"})
        std::remove((dir + name).c_str());
    return 0;
}
