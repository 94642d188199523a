// Merging of equal textures after a read, and media naming with the media
// section written, for 10^3 to 10^5 textures: half of them copies of the
// other half, every file with the same base name ("wood"), so that neither
// the names nor the bases tell them apart. Beside the media section a plain
// field-file write of the same clip blocks: the cost per texture should stay
// flat (within 2x) as the count grows tenfold.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "content/kqellayer.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "file/iqelobject.h"
#include "file/kqel.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

std::string TexturePath(const char* pWhat, int pTextures)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_texture_bench_" + std::to_string(getpid()) + "_" +
           pWhat + std::to_string(pTextures) + ".qel";
}

// The file of texture i: the first half all differ, the second half repeat
// them.
std::string FileOf(int pIndex, int pTextures)
{
    return "/maps/d" + std::to_string(pIndex % (pTextures / 2)) + "/wood.png";
}

// pTextures textures named wood0, wood1, ..., listed by the scene and held by
// one mesh layer.
void BuildScene(KQelSdkManager& pManager, KQelScene& pScene, int pTextures)
{
    KQelNode* node = pManager.CreateKQelNode("Carrier");
    KQelMesh* mesh = pManager.CreateKQelMesh();
    node->SetNodeAttribute(mesh);
    pScene.GetRootNode()->AddChild(node);
    KQelLayerElementTexture* element = new KQelLayerElementTexture;
    mesh->GetLayer(mesh->CreateLayer())->SetTextures(element);
    for (int i = 0; i < pTextures; ++i) {
        KQelTexture* texture = pManager.CreateKQelTexture(("wood" + std::to_string(i)).c_str());
        texture->SetFileName(FileOf(i, pTextures).c_str());
        element->GetDirectArray().Add(texture);
        pScene.GetEntity()->AddTexture(texture);
    }
}

void PerTexture(benchmark::State& pState, int pTextures)
{
    pState.SetItemsProcessed(pState.iterations() * pTextures);
    pState.counters["per_texture"] = benchmark::Counter(static_cast<double>(pState.iterations()) * pTextures,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RemoveDuplicateTextures(benchmark::State& pState)
{
    const int textures = static_cast<int>(pState.range(0));
    for (auto _ : pState) {
        pState.PauseTiming();
        {
            KQelSdkManager manager;
            KQelScene* scene = manager.CreateKQelScene();
            BuildScene(manager, *scene, textures);
            KQelImporter importer(manager);
            KQelReaderQel reader(manager, importer);
            pState.ResumeTiming();
            reader.RemoveDuplicateTextures(*scene);
            pState.PauseTiming();
            if (scene->GetEntity()->GetTextureCount() != textures / 2)
                pState.SkipWithError("duplicates left");
        }
        pState.ResumeTiming();
    }
    PerTexture(pState, textures);
}

// The writer's media section on a file of the benchmark's own.
class MediaWriter : public KQelWriterQel {
public:
    MediaWriter(KQelSdkManager& pManager, KQelExporter& pExporter, IQelObject* pFile)
        : KQelWriterQel(pManager, pExporter)
    {
        mFile = pFile;
        mOptions = &mMediaOptions;
    }
    ~MediaWriter() override
    {
        mFile = nullptr;
        mOptions = nullptr;
    }

private:
    KStreamOptionsQel mMediaOptions;
};

IQelObject* CreateFile(const std::string& pPath)
{
    IQelObject* file = KQelObjectCreate();
    file->SetIsBeforeVersion6(true);
    KQelFileHeaderInfo header;
    header.mHeaderVersion = 5800;
    file->ProjectCreate(pPath.c_str(), true, false, &header);
    return file;
}

void CloseFile(IQelObject* pFile, const std::string& pPath)
{
    pFile->ProjectCloseSection();
    pFile->ProjectClose();
    delete pFile;
    std::remove(pPath.c_str());
}

void BM_WriteMedia(benchmark::State& pState)
{
    const int textures = static_cast<int>(pState.range(0));
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    BuildScene(manager, *scene, textures);
    KQelExporter exporter(manager);
    const std::string path = TexturePath("media", textures);
    for (auto _ : pState) {
        IQelObject* file = CreateFile(path);
        int clips = 0;
        {
            MediaWriter writer(manager, exporter, file);
            writer.WriteMedia(*scene, false, clips);
        }
        CloseFile(file, path);
        if (clips != textures / 2)
            pState.SkipWithError("wrong clip count");
    }
    PerTexture(pState, textures);
}

// The reference: the same clip blocks written straight to a field file.
void BM_WriteClipBlocks(benchmark::State& pState)
{
    const int textures = static_cast<int>(pState.range(0));
    const std::string path = TexturePath("clips", textures);
    for (auto _ : pState) {
        IQelObject* file = CreateFile(path);
        {
            native_detail::WriteBlock section(*file, "Media");
            native_detail::WriteBlock videos(*file, "Video");
            for (int i = 0; i < textures / 2; ++i) {
                const std::string name = i ? "wood" + std::to_string(i) : "wood";
                native_detail::WriteBlock clip(*file, "Video", name.c_str());
                native_detail::WriteFieldC(*file, "Type", "Clip");
                const std::string fileName = FileOf(i, textures);
                native_detail::WriteFieldC(*file, "Filename", fileName.c_str());
                native_detail::WriteFieldC(*file, "RelativeFilename", fileName.c_str());
            }
        }
        CloseFile(file, path);
    }
    PerTexture(pState, textures);
}

BENCHMARK(BM_RemoveDuplicateTextures)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteMedia)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteClipBlocks)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
