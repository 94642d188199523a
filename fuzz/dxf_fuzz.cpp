// libFuzzer target: the DXF reader in its three derivations, the scene then
// written back by the DXF writer. Bit 0 of the first byte turns welding on.
// The manager refuses nodes past a bound, as a full memory would: copies of
// nested blocks may make many, and each weighs tens of kilobytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/dxf/kqelreaderdxf.h"
#include "formats/dxf/kqelwriterdxf.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

class BoundedManager : public KQelSdkManager {
public:
    KQelNode* AllocateKQelNode(const char* pName) override
    {
        return ++mNodes > 2000 ? nullptr : KQelSdkManager::AllocateKQelNode(pName);
    }

private:
    int mNodes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/dxf_fuzz_" + std::to_string(getpid());
    }();
    const std::string input = path + ".dxf";
    const std::string output = path + "_out.dxf";
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const bool weld = size > 0 && (data[0] & 1) != 0;
    // One scene for the three reads (each under a node of its own): making
    // a scene costs more than most reads.
    BoundedManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    for (auto derivation : {KStreamOptionsDxf::eMeshPerLayer, KStreamOptionsDxf::eNodePerEntity,
                            KStreamOptionsDxf::eMeshPerBlock}) {
        KQelReaderDxf reader(manager);
        KStreamOptionsDxf options;
        options.SetObjectDerivation(derivation);
        options.SetOption(KStreamOptionsBase::eWeldVertices, weld ? 1 : 0);
        if (reader.FileOpen(input.c_str()))
            reader.Read(*scene, &options);
    }
    KQelWriterDxf writer(manager);
    KStreamOptionsDxf options;
    if (writer.FileCreate(output.c_str()))
        writer.Write(*scene, &options);
    std::remove(input.c_str());
    std::remove(output.c_str());
    return 0;
}
