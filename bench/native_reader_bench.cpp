// The native reader's document driver over current-layout files of 10^3 to
// 10^5 "Model" objects, each connected to "Model::Scene", beside a plain
// field-file walk over the same fields and beside building the same scene
// directly. The cost per object should stay flat as the count grows
// tenfold.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "file/kqel.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/reader/kqelreaderqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

std::string ReaderPath(int pObjects)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/qel_native_bench_" + std::to_string(getpid()) + "_" +
           std::to_string(pObjects) + ".qel";
}

std::string ModelName(int pIndex)
{
    return "Model::Node" + std::to_string(pIndex);
}

// Written once per size and removed at exit.
const std::string& ReaderDocument(int pObjects)
{
    static std::string paths[6];
    int slot = 0;
    for (int n = 1000; n < pObjects; n *= 10)
        ++slot;
    std::string& path = paths[slot];
    if (!path.empty())
        return path;
    path = ReaderPath(pObjects);
    KQel file;
    file.ProjectCreate(path.c_str(), true, false, nullptr);
    file.FieldWriteBegin("Definitions");
    file.FieldWriteBlockBegin();
    file.FieldWriteBegin("ObjectType");
    file.FieldWriteC("Model");
    file.FieldWriteEnd();
    file.FieldWriteBlockEnd();
    file.FieldWriteEnd();
    file.FieldWriteBegin("Objects");
    file.FieldWriteBlockBegin();
    for (int i = 0; i < pObjects; ++i) {
        file.FieldWriteBegin("Model");
        file.FieldWriteC(ModelName(i).c_str());
        file.FieldWriteC("Null");
        file.FieldWriteBlockBegin();
        file.FieldWriteBegin("Version");
        file.FieldWriteI(232);
        file.FieldWriteEnd();
        file.FieldWriteBlockEnd();
        file.FieldWriteEnd();
    }
    file.FieldWriteBlockEnd();
    file.FieldWriteEnd();
    file.FieldWriteBegin("Connections");
    file.FieldWriteBlockBegin();
    for (int i = 0; i < pObjects; ++i) {
        file.FieldWriteBegin("Connect");
        file.FieldWriteC("OO");
        file.FieldWriteC(ModelName(i).c_str());
        file.FieldWriteC("Model::Scene");
        file.FieldWriteEnd();
    }
    file.FieldWriteBlockEnd();
    file.FieldWriteEnd();
    file.ProjectClose();
    std::atexit([] {
        for (const std::string& p : paths) {
            if (!p.empty())
                std::remove(p.c_str());
        }
    });
    return path;
}

void BM_ReaderDocument(benchmark::State& pState)
{
    const int objects = static_cast<int>(pState.range(0));
    const std::string& path = ReaderDocument(objects);
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        KQelReaderQel reader(manager, importer);
        reader.FileOpen(path.c_str());
        KStreamOptionsQel options;
        const bool read = reader.Read(*scene, &options);
        if (!read || scene->GetRootNode()->GetChildCount() != objects)
            pState.SkipWithError("the document did not read back");
        pState.PauseTiming();  // ending the scene is not reading
        reader.FileClose();
        manager.DestroyKQelScene(scene, true);
        pState.ResumeTiming();
    }
    pState.SetItemsProcessed(pState.iterations() * objects);
}

// The same fields read with the field file alone: each object's two texts
// and block, each connection's three texts.
void BM_PlainFieldWalk(benchmark::State& pState)
{
    const int objects = static_cast<int>(pState.range(0));
    const std::string& path = ReaderDocument(objects);
    for (auto _ : pState) {
        KQel file;
        file.ProjectOpen(path.c_str(), false, true, nullptr);
        file.ProjectOpenMainSection();
        int seen = 0;
        if (file.FieldReadBegin("Objects") && file.FieldReadBlockBegin()) {
            while (file.FieldReadBegin("Model")) {
                seen += file.FieldReadC()[0] != 0;
                file.FieldReadC();
                if (file.FieldReadBlockBegin()) {
                    file.FieldReadI("Version", 0);
                    file.FieldReadBlockEnd();
                }
                file.FieldReadEnd();
            }
            file.FieldReadBlockEnd();
            file.FieldReadEnd();
        }
        if (file.FieldReadBegin("Connections") && file.FieldReadBlockBegin()) {
            while (file.FieldReadBegin("Connect")) {
                for (int i = 0; i < 3; ++i)
                    benchmark::DoNotOptimize(file.FieldReadC());
                file.FieldReadEnd();
            }
            file.FieldReadBlockEnd();
            file.FieldReadEnd();
        }
        benchmark::DoNotOptimize(seen);
        file.ProjectClose();
    }
    pState.SetItemsProcessed(pState.iterations() * objects);
}

// The scene work the reader cannot avoid: the same nodes made and attached
// to the root directly.
void BM_SceneBuild(benchmark::State& pState)
{
    const int objects = static_cast<int>(pState.range(0));
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        for (int i = 0; i < objects; ++i)
            scene->GetRootNode()->AddChild(manager.CreateKQelNode(ModelName(i).c_str()));
        pState.PauseTiming();
        manager.DestroyKQelScene(scene, true);
        pState.ResumeTiming();
    }
    pState.SetItemsProcessed(pState.iterations() * objects);
}

BENCHMARK(BM_ReaderDocument)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFieldWalk)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneBuild)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
