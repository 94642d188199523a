// libFuzzer target: the 3D Studio reader over a whole read, the input
// written to a file and read twice into fresh scenes: with the default
// options, then with every one of its flags flipped.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/3ds/kqelreader3ds.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

const KStreamOptionsBase::EOption kFlags[] = {
    KStreamOptionsBase::eCreateReferenceNode, KStreamOptionsBase::eMaterials,  KStreamOptionsBase::eTextureMapping,
    KStreamOptionsBase::eAnim,                KStreamOptionsBase::eGeometries, KStreamOptionsBase::eLights,
    KStreamOptionsBase::eCamera,              KStreamOptionsBase::eAmbientLight, KStreamOptionsBase::eRescale,
    KStreamOptionsBase::eReduceKeys,          KStreamOptionsBase::eSmoothGroup,
};

void ReadOnce(const std::string& pPath, bool pFlipped)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelReader3DS reader(manager);
    KStreamOptions3ds options;
    for (KStreamOptionsBase::EOption flag : kFlags) {
        if (pFlipped)
            options.SetOption(flag, options.GetOption(flag) == 1 ? 0 : 1);
    }
    if (reader.FileOpen(pPath.c_str()))
        reader.Read(*scene, &options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/reader3ds_fuzz_" + std::to_string(getpid()) + ".3ds";
    }();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ReadOnce(path, false);
    ReadOnce(path, true);
    std::remove(path.c_str());
    return 0;
}
