// The scene's conversions at growing sizes, timed by hand around the
// conversion alone (the scene is made afresh for each iteration): skins and
// clusters made from links and removed again, with every mesh linked to the
// same two bones; materials connected, one per node; an IndexToDirect
// direct array rebuilt from a tenth as many sources as index entries. Each
// reports its cost per item and that cost over the smallest size's
// ("vs_smallest"), which stays near 1 when the work is linear.
//
// Making and destroying deformers in a scene of 10^5 meshes (some 7 GB)
// costs more per object than in a small one, whatever the algorithm, so the
// deformer benchmark also times the plain creation, listing and destruction
// of as many deformers in the same scene ("creation_ns") and reports the
// conversion's cost over it ("over_creation").
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "content/kqeldeformer.h"
#include "content/kqellayer.h"
#include "content/kqellink.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef std::chrono::steady_clock Clock;

// Seconds pWork takes.
template <class F>
double Time(F pWork)
{
    const Clock::time_point start = Clock::now();
    pWork();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Cost per item, and its ratio to that of the smallest size (pSmallest) of
// the same benchmark, whose last run is the one kept.
void ReportPerItem(benchmark::State& pState, const char* pName, int pSmallest, double pSeconds)
{
    static std::map<std::string, double> smallest;
    const double items = static_cast<double>(pState.iterations()) * static_cast<double>(pState.range(0));
    const double perItem = pSeconds * 1e9 / items;
    double& base = smallest[pName];
    if (pState.range(0) == pSmallest || base == 0.0)
        base = perItem;
    pState.counters["ns_per_item"] = perItem;
    pState.counters["vs_smallest"] = perItem / base;
    pState.SetItemsProcessed(static_cast<std::int64_t>(items));
}

// A scene with pCount mesh nodes under its root.
struct Meshes {
    explicit Meshes(int pCount) : mScene(mManager.CreateKQelScene())
    {
        for (int i = 0; i < pCount; ++i) {
            KQelNode* node = mManager.CreateKQelNode(("Mesh" + std::to_string(i)).c_str());
            KQelMesh* mesh = mManager.CreateKQelMesh();
            node->SetNodeAttribute(mesh);
            mesh->CreateLayer();
            mScene->GetRootNode()->AddChild(node);
            mMeshes.push_back(mesh);
        }
    }

    KQelSdkManager mManager;
    KQelScene* mScene;
    std::vector<KQelMesh*> mMeshes;
};

// The deformers the conversion makes for pCount meshes (a skin and two
// clusters each), made, listed, unlisted and destroyed directly.
void MakeAndDestroyDeformers(Meshes& pMeshes, int pCount)
{
    KQelEntity& entity = *pMeshes.mScene->GetEntity();
    std::vector<KQelDeformer*> made;
    for (int i = 0; i < pCount; ++i) {
        const std::string name = std::to_string(i);
        made.push_back(pMeshes.mManager.CreateKQelDeformer(("Skin " + name).c_str(), "Skin"));
        made.push_back(pMeshes.mManager.CreateKQelDeformer(("Cluster " + name).c_str(), "Cluster"));
        made.push_back(pMeshes.mManager.CreateKQelDeformer(("Cluster " + name + " 1").c_str(), "Cluster"));
    }
    for (KQelDeformer* deformer : made)
        entity.AddDeformer(deformer);
    for (KQelDeformer* deformer : made) {
        entity.RemoveDeformer(deformer);
        pMeshes.mManager.DestroyKQelDeformer(deformer);
    }
}

void BM_DeformersFromLinksAndRemoval(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    double seconds = 0.0;
    double creation = 0.0;
    for (auto _ : state) {
        Meshes meshes(n);
        KQelNode* bones[2] = {meshes.mManager.CreateKQelNode("Upper"), meshes.mManager.CreateKQelNode("Lower")};
        for (KQelNode* bone : bones)
            meshes.mScene->GetRootNode()->AddChild(bone);
        for (KQelMesh* mesh : meshes.mMeshes) {
            for (KQelNode* bone : bones) {
                KQelLink* link = meshes.mManager.CreateKQelLink();
                link->SetLink(bone);
                link->AddControlPointIndex(0, 1.0);
                mesh->AddLink(link);
            }
        }
        auto convert = [&meshes] {
            meshes.mScene->BuildKQelDeformerFromKQelLink();
            meshes.mScene->RemoveKQelDeformers();
        };
        // A first, untimed pass leaves the allocator warm: the timed passes
        // then measure the work rather than fresh pages of memory.
        convert();
        const double pass = Time(convert);
        state.SetIterationTime(pass);
        seconds += pass;
        creation += Time([&meshes, n] { MakeAndDestroyDeformers(meshes, n); });
    }
    ReportPerItem(state, "deformers", 1000, seconds);
    state.counters["creation_ns"] = creation * 1e9 / (static_cast<double>(state.iterations()) * n);
    state.counters["over_creation"] = seconds / creation;
}

void BM_ConnectMaterials(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    double seconds = 0.0;
    for (auto _ : state) {
        Meshes meshes(n);
        for (std::size_t i = 0; i < meshes.mMeshes.size(); ++i) {
            KQelLayerElementMaterial* element = new KQelLayerElementMaterial;
            element->GetDirectArray().Add(meshes.mManager.CreateKQelMaterial(("M" + std::to_string(i)).c_str()));
            meshes.mMeshes[i]->GetLayer(0)->SetMaterials(element);
        }
        const double pass = Time([&meshes] { meshes.mScene->ConnectMaterials(); });
        state.SetIterationTime(pass);
        seconds += pass;
    }
    ReportPerItem(state, "materials", 1000, seconds);
}

void BM_IndexToDirectRebuild(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int sources = n / 10;
    double seconds = 0.0;
    for (auto _ : state) {
        Meshes meshes(1);
        KQelNodeProperties* set = meshes.mMeshes[0]->GetNode()->GetPropertyHandler();
        for (int i = 0; i < sources; ++i)
            set->ConnectSrc(meshes.mManager.CreateKQelMaterial(("M" + std::to_string(i)).c_str())->GetPropertyHandler());
        KQelLayerElementMaterial* element = new KQelLayerElementMaterial;
        element->SetReferenceMode(KQelLayerElement::eIndexToDirect);
        // Every other source used, the indices spread over the range.
        for (int i = 0; i < n; ++i)
            element->GetIndexArray().Add(static_cast<int>((i * 7919LL) % sources) & ~1);
        meshes.mMeshes[0]->GetLayer(0)->SetMaterials(element);
        const double pass = Time([&meshes] { meshes.mScene->BuildMaterialLayersDirectArray(); });
        state.SetIterationTime(pass);
        seconds += pass;
        benchmark::DoNotOptimize(element->GetDirectArray().GetCount());
    }
    ReportPerItem(state, "indices", 10000, seconds);
}

#define QEL_CONVERT_SIZES(Low, High) \
    RangeMultiplier(10)->Range(Low, High)->UseManualTime()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DeformersFromLinksAndRemoval)->QEL_CONVERT_SIZES(1000, 100000);
BENCHMARK(BM_ConnectMaterials)->QEL_CONVERT_SIZES(1000, 100000);
BENCHMARK(BM_IndexToDirectRebuild)->QEL_CONVERT_SIZES(10000, 1000000);

}  // namespace
}  // namespace qelsdk_600
