// What a scene object costs: heap bytes (mallinfo2, what the process holds
// in use) and time per object to create and to destroy, for a tree of nodes
// at 10^3 to 10^5 (10^6 on 64-bit builds), and for a mesh attribute without
// points, a camera, a light and a material. Beside the node, in the same
// run, a plain record (a name, nine doubles, parent and children links)
// allocated and linked the same way: the counters create_x and destroy_x
// are the node's cost as multiples of the record's.
#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "content/kqelcamera.h"
#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef std::chrono::steady_clock Clock;

double Seconds(Clock::time_point pStart)
{
    return std::chrono::duration<double>(Clock::now() - pStart).count();
}

// Bytes of heap in use: small blocks plus mapped ones.
double HeapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd);
}

std::string NodeName(int pIndex)
{
    return "Node" + std::to_string(pIndex);
}

// The reference record.
struct Record {
    std::string mName;
    double mTransform[9];
    Record* mParent;
    std::vector<Record*> mChildren;
};

// Costs per item of one build and tear-down, in seconds and bytes.
struct Cost {
    double mCreate = 0.0;
    double mDestroy = 0.0;
    double mBytes = 0.0;
};

// n records, record i under record (i - 1) / 10, then deleted leaves first.
Cost RecordTree(int pCount)
{
    Cost cost;
    std::vector<Record*> records(static_cast<std::size_t>(pCount));
    const double heap = HeapInUse();
    Clock::time_point start = Clock::now();
    for (int i = 0; i < pCount; ++i) {
        Record* record = new Record{NodeName(i), {0, 0, 0, 0, 0, 0, 1, 1, 1}, nullptr, {}};
        if (i > 0) {
            Record* parent = records[static_cast<std::size_t>((i - 1) / 10)];
            record->mParent = parent;
            parent->mChildren.push_back(record);
        }
        records[static_cast<std::size_t>(i)] = record;
    }
    cost.mCreate = Seconds(start) / pCount;
    cost.mBytes = (HeapInUse() - heap) / pCount;
    start = Clock::now();
    for (int i = pCount; i-- > 0;) {
        Record* record = records[static_cast<std::size_t>(i)];
        if (record->mParent)
            record->mParent->mChildren.pop_back();
        delete record;
    }
    cost.mDestroy = Seconds(start) / pCount;
    return cost;
}

// n nodes: node 0 under the scene root, node i under node (i - 1) / 10;
// then the subtree destroyed from node 0.
Cost NodeTree(int pCount)
{
    Cost cost;
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    std::vector<KQelNode*> nodes(static_cast<std::size_t>(pCount));
    const double heap = HeapInUse();
    Clock::time_point start = Clock::now();
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = manager.CreateKQelNode(NodeName(i).c_str());
        KQelNode* parent = i == 0 ? scene->GetRootNode() : nodes[static_cast<std::size_t>((i - 1) / 10)];
        parent->AddChild(node);
        nodes[static_cast<std::size_t>(i)] = node;
    }
    cost.mCreate = Seconds(start) / pCount;
    cost.mBytes = (HeapInUse() - heap) / pCount;
    start = Clock::now();
    manager.DestroyKQelNode(nodes[0], true);
    cost.mDestroy = Seconds(start) / pCount;
    return cost;
}

void Report(benchmark::State& pState, const Cost& pCost, int pRuns)
{
    pState.counters["heap_B"] = pCost.mBytes / pRuns;
    pState.counters["create_us"] = pCost.mCreate / pRuns * 1e6;
    pState.counters["destroy_us"] = pCost.mDestroy / pRuns * 1e6;
}

void BM_NodeTree(benchmark::State& pState)
{
    const int n = static_cast<int>(pState.range(0));
    Cost node, record;
    int runs = 0;
    for (auto _ : pState) {
        const Cost one = NodeTree(n);
        const Cost reference = RecordTree(n);
        node.mCreate += one.mCreate;
        node.mDestroy += one.mDestroy;
        node.mBytes += one.mBytes;
        record.mCreate += reference.mCreate;
        record.mDestroy += reference.mDestroy;
        ++runs;
    }
    Report(pState, node, runs);
    pState.counters["record_create_us"] = record.mCreate / runs * 1e6;
    pState.counters["record_destroy_us"] = record.mDestroy / runs * 1e6;
    pState.counters["create_x"] = node.mCreate / record.mCreate;
    pState.counters["destroy_x"] = node.mDestroy / record.mDestroy;
    pState.SetItemsProcessed(pState.iterations() * n);
}

// Objects of one kind made and destroyed through the manager.
enum Kind { kMesh, kCamera, kLight, kMaterial };

void BM_ObjectKind(benchmark::State& pState)
{
    const Kind kind = static_cast<Kind>(pState.range(0));
    const int n = static_cast<int>(pState.range(1));
    Cost total;
    int runs = 0;
    for (auto _ : pState) {
        KQelSdkManager manager;
        std::vector<void*> made(static_cast<std::size_t>(n));
        const double heap = HeapInUse();
        Clock::time_point start = Clock::now();
        for (int i = 0; i < n; ++i) {
            void*& object = made[static_cast<std::size_t>(i)];
            switch (kind) {
            case kMesh: object = manager.CreateKQelMesh(); break;
            case kCamera: object = manager.CreateKQelCamera(); break;
            case kLight: object = manager.CreateKQelLight(); break;
            case kMaterial: object = manager.CreateKQelMaterial(NodeName(i).c_str()); break;
            }
        }
        total.mCreate += Seconds(start) / n;
        total.mBytes += (HeapInUse() - heap) / n;
        start = Clock::now();
        for (int i = n; i-- > 0;) {
            void* object = made[static_cast<std::size_t>(i)];
            if (kind == kMaterial)
                manager.DestroyKQelMaterial(static_cast<KQelMaterial*>(object));
            else
                manager.DestroyKQelNodeAttribute(static_cast<KQelNodeAttribute*>(object));
        }
        total.mDestroy += Seconds(start) / n;
        ++runs;
    }
    Report(pState, total, runs);
    pState.SetItemsProcessed(pState.iterations() * n);
}

void NodeSizes(benchmark::internal::Benchmark* pBenchmark)
{
    pBenchmark->ArgName("nodes")->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
    pBenchmark->Arg(1000)->Arg(10000)->Arg(100000);
    if (sizeof(void*) == 8)
        pBenchmark->Arg(1000000);
}

void KindSizes(benchmark::internal::Benchmark* pBenchmark)
{
    pBenchmark->ArgNames({"kind", "objects"})->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
    for (int kind = kMesh; kind <= kMaterial; ++kind) {
        pBenchmark->Args({kind, 1000});
        pBenchmark->Args({kind, 10000});
    }
}

BENCHMARK(BM_NodeTree)->Apply(NodeSizes);
BENCHMARK(BM_ObjectKind)->Apply(KindSizes);

}  // namespace
}  // namespace qelsdk_600
