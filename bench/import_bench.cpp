// Cost per node of a whole host import of trees of 10^2 to 10^4 nodes with
// static transform values (read, preparation, geometry pass, static values)
// beside the SDK reader alone on the same files: the import's cost per node
// should grow across sizes no more than twice as much as the reader's. A
// chain as deep as it has nodes shows the stand-in's paths, which list every
// ancestor and so cost their depth on each host call.
//
// Likewise per key for one node whose nine transform channels hold 10^4 to
// 10^6 cubic keys with user tangents in all: the host curves, their keys
// and tangents.
//
// Likewise per vertex for one mesh of 10^4 to 10^6 vertices (a grid of
// quads with normals and colours by polygon vertex, one UV set and 100
// materials by polygon in bands): the host mesh, its normals, UVs, colours
// and shading groups.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <map>
#include <string>
#include <unistd.h>

#include <standin/StandIn.h>
#include <vesk/MFnAnimCurve.h>
#include <vesk/MSelectionList.h>

#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "import/qelveskimport.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

int RemoveEntry(const char* pPath, const struct stat*, int, struct FTW*)
{
    return std::remove(pPath);
}

// The files live in a directory of their own, which is also the working
// directory (the settings and the log of the import go there).
const std::string& Directory()
{
    static std::string directory;
    if (directory.empty()) {
        char pattern[] = "/tmp/qelimport_bench_XXXXXX";
        directory = mkdtemp(pattern) ? pattern : ".";
        if (chdir(directory.c_str()) != 0)
            std::abort();
        std::atexit([] { nftw(Directory().c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    }
    return directory;
}

// The scene as a binary QEL file.
void Write(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath)
{
    KQelExporter exporter(pManager);
    exporter.SetFileFormat(KQelExporter::eQelBinary);
    if (!exporter.Initialize(pPath.c_str()) || !exporter.Export(pScene))
        std::abort();
}

// n nodes, each moved and turned; node i under node (i - 1) / 8 for the
// tree, under node i - 1 for the chain.
const std::string& File(int pCount, bool pChain)
{
    static std::map<std::pair<int, bool>, std::string> files;
    std::string& path = files[{pCount, pChain}];
    if (!path.empty())
        return path;
    path = Directory() + (pChain ? "/chain" : "/tree") + std::to_string(pCount) + ".qel";
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    std::vector<KQelNode*> nodes;
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = manager.CreateKQelNode(("n" + std::to_string(i)).c_str());
        node->SetDefaultT(KQelVector4(i % 7, 1.0, 0.0, 0.0));
        node->SetDefaultR(KQelVector4(0.0, i % 90, 0.0, 0.0));
        (i == 0 ? scene->GetRootNode() : nodes[static_cast<size_t>(pChain ? i - 1 : (i - 1) / 8)])->AddChild(node);
        nodes.push_back(node);
    }
    Write(manager, *scene, path);
    return path;
}

// A layer-0 element with its modes, filled by the caller.
template <class E>
E* Layer0(KQelMesh* pMesh, void (KQelLayer::*pSet)(E*), KQelLayerElement::EMappingMode pMapping,
          KQelLayerElement::EReferenceMode pReference)
{
    E* element = new E;
    element->SetMappingMode(pMapping);
    element->SetReferenceMode(pReference);
    (pMesh->GetLayer(0)->*pSet)(element);
    return element;
}

// A side x side grid of points as quads.
const std::string& MeshFile(int pVertices)
{
    static std::map<int, std::string> files;
    std::string& path = files[pVertices];
    if (!path.empty())
        return path;
    path = Directory() + "/mesh" + std::to_string(pVertices) + ".qel";
    const int kMaterials = 100;
    int side = 2;
    while ((side + 1) * (side + 1) <= pVertices)
        ++side;
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitControlPoints(side * side);
    for (int i = 0; i < side * side; ++i)
        mesh->GetControlPoints()[i] = KQelVector4(i % side, i / side, 0.0, 1.0);
    mesh->CreateLayer();
    auto* materials = Layer0(mesh, &KQelLayer::SetMaterials, KQelLayerElement::eByPolygon,
                             KQelLayerElement::eIndexToDirect);
    for (int m = 0; m < kMaterials; ++m)
        materials->GetDirectArray().Add(manager.CreateKQelMaterial(("m" + std::to_string(m)).c_str()));
    auto* normals = Layer0(mesh, &KQelLayer::SetNormals, KQelLayerElement::eByPolygonVertex,
                           KQelLayerElement::eDirect);
    auto* uvs = Layer0(mesh, &KQelLayer::SetUVs, KQelLayerElement::eByPolygonVertex,
                       KQelLayerElement::eIndexToDirect);
    auto* colors = Layer0(mesh, &KQelLayer::SetVertexColors, KQelLayerElement::eByPolygonVertex,
                          KQelLayerElement::eDirect);
    for (int i = 0; i < side * side; ++i)
        uvs->GetDirectArray().Add(KQelVector2(double(i % side) / side, double(i / side) / side));
    const int quads = (side - 1) * (side - 1);
    for (int q = 0; q < quads; ++q) {
        const int corner = q / (side - 1) * side + q % (side - 1);
        mesh->BeginPolygon(static_cast<int>(static_cast<long long>(q) * kMaterials / quads));
        for (int v : {corner, corner + 1, corner + side + 1, corner + side}) {
            mesh->AddPolygon(v);
            normals->GetDirectArray().Add(KQelVector4(0.0, 0.0, 1.0, 0.0));
            uvs->GetIndexArray().Add(v);
            colors->GetDirectArray().Add(KQelColor((q % 7) / 7.0, 0.5, 0.25, 1.0));
        }
    }
    scene->GetRootNode()->AddChild(manager.CreateKQelNode("Grid"));
    scene->GetRootNode()->GetChild(0)->SetNodeAttribute(mesh);
    Write(manager, *scene, path);
    return path;
}

const char kTake[] = "Run";

// One node keyed on its nine transform channels in take kTake, pKeys keys
// in all.
const std::string& CurvesFile(int pKeys)
{
    static std::map<int, std::string> files;
    std::string& path = files[pKeys];
    if (!path.empty())
        return path;
    path = Directory() + "/curves" + std::to_string(pKeys) + ".qel";
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelNode* node = manager.CreateKQelNode("Keyed");
    scene->GetRootNode()->AddChild(node);
    scene->CreateTake(kTake);
    node->SetCurrentTakeNode(kTake);
    KQelTakeNode* take = node->GetCurrentTakeNode();
    KFCurve* curves[9] = {take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ(),
                          take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ(),
                          take->GetScaleX(), take->GetScaleY(), take->GetScaleZ()};
    for (int c = 0; c < 9; ++c) {
        const int keys = pKeys / 9 + (c < pKeys % 9 ? 1 : 0);
        KFCurve& curve = *curves[c];
        curve.KeyModifyBegin(keys);
        curve.KeyModifyEnd(keys);
        curve.KeyModifyBegin();
        for (int k = 0; k < keys; ++k) {
            const float value = static_cast<float>((k * 7 + c) % 13);
            curve.KeySet(k, KTime(KTime::kTicksPerSecond / 30 * k), value, kFCurveInterpolationCubic,
                         kFCurveTangentUser, static_cast<float>(k % 5) - 2.0f, static_cast<float>(k % 3));
        }
        curve.KeyModifyEnd();
    }
    Write(manager, *scene, path);
    return path;
}

void Read(benchmark::State& pState, const std::string& pPath, int pCount)
{
    for (auto _ : pState) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        if (!importer.Initialize(pPath.c_str()) || !importer.Import(*scene))
            pState.SkipWithError("read failed");
    }
    pState.SetItemsProcessed(pState.iterations() * pCount);
}

void BM_SdkReaderAlone(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Read(pState, File(count, false), count);
}

void BM_SdkReaderAloneOfAMesh(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Read(pState, MeshFile(count), count);
}

void BM_SdkReaderAloneOfCurves(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Read(pState, CurvesFile(count), count);
}

void Import(benchmark::State& pState, const std::string& pPath, int pCount, const char* pTake = "")
{
    QelVeskUserParams* settings = QelVeskUserParams::Instance();
    settings->SetBoolParam(QelVeskUserParams::kImportShowUI, false);
    settings->SetImportType(QelVeskUserParams::eMerge);
    for (auto _ : pState) {
        pState.PauseTiming();
        standin::resetHost();
        pState.ResumeTiming();
        QelVeskImport import;
        import.OpenProject(MString(pPath.c_str()));
        import.SetTakeName(pTake);
        if (!import.Import())
            pState.SkipWithError("import failed");
    }
    pState.SetItemsProcessed(pState.iterations() * pCount);
}

void BM_HostImportOfATree(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Import(pState, File(count, false), count);
}

void BM_HostImportOfAChain(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Import(pState, File(count, true), count);
}

void BM_HostImportOfAMesh(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Import(pState, MeshFile(count), count);
}

void BM_HostImportOfCurves(benchmark::State& pState)
{
    const int count = static_cast<int>(pState.range(0));
    Import(pState, CurvesFile(count), count, kTake);
    // The keys reached the host.
    MSelectionList list;
    list.add("Keyed.scaleZ");
    MPlug plug;
    list.getPlug(0, plug);
    if (MFnAnimCurve(plug).numKeys() != static_cast<unsigned int>(count / 9))
        pState.SkipWithError("keys missing in the host");
}

}  // namespace

BENCHMARK(BM_SdkReaderAlone)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfATree)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfAChain)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SdkReaderAloneOfAMesh)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfAMesh)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdkReaderAloneOfCurves)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostImportOfCurves)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);
