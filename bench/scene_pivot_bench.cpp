// Pre- and post-rotations traded for added nodes and folded back, on trees
// of 10^3, 10^4 and 10^5 nodes with ten children each, half of them rotated
// (pre or post, with translation keys in a take): one export and one import
// per iteration (also each alone), in a scene and outside one, reported per
// node, beside a plain walk of the same tree as the reference. Linear work
// shows as a flat cost per node; what growth remains comes from memory, as
// the reference walk shows (the nodes are large, and export makes nodes in a
// manager that already holds 10^5 of them).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "curves/kfcurve.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelpivotreplace.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

// n nodes under a scene root, node i under node (i - 1) / 10; odd nodes
// have a pre-rotation (i % 4 == 1) or a post-rotation (i % 4 == 3).
std::vector<KQelNode*> MakeScene(KQelSdkManager& pManager, KQelNode* pRoot, int pCount)
{
    std::vector<KQelNode*> nodes;
    nodes.reserve(static_cast<std::size_t>(pCount));
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = pManager.CreateKQelNode(("Node" + std::to_string(i)).c_str());
        KQelTakeNode* take = node->CreateTakeNode("Walk");
        KFCurve* x = take->GetTranslationX();
        x->KeySetValue(x->KeyAdd(KTime(0)), 1.0f);
        x->KeySetValue(x->KeyAdd(KTIME_ONE_SECOND), 2.0f);
        if (i % 4 == 1)
            node->SetPreRotation(KQelNode::eSourcePivot, KQelVector4(0.0, 0.0, 30.0, 0.0));
        else if (i % 4 == 3)
            node->SetPostRotation(KQelNode::eSourcePivot, KQelVector4(90.0, 0.0, 0.0, 0.0));
        (i == 0 ? pRoot : nodes[static_cast<std::size_t>(i - 1) / 10])->AddChild(node);
        nodes.push_back(node);
    }
    return nodes;
}

// Export then import (which gives the rotations back, so the next round
// has the same work); pTimed says which of the two is timed (both: -1).
// pInScene: the tree hangs under a scene's root, else under a plain node.
void ExportThenImport(benchmark::State& state, int pTimed, bool pInScene = true)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNode* root = pInScene ? entity.GetRootNode() : manager.CreateKQelNode("Root");
    MakeScene(manager, root, n);
    for (auto _ : state) {
        if (pTimed == 1)
            state.PauseTiming();
        ReplacePivotExport(root, KQelNode::eSourcePivot, manager);
        if (pTimed == 0)
            state.PauseTiming();
        else if (pTimed == 1)
            state.ResumeTiming();
        ReplacePivotImport(root, KQelNode::eSourcePivot, manager);
        // The folded markers are left detached: end them untimed.
        if (pTimed != 0)
            state.PauseTiming();
        std::vector<KQelNode*> markers;
        for (int i = 0; i < manager.GetKQelNodeCount(); ++i) {
            KQelNode* node = manager.GetKQelNode(i);
            if (!node->GetParent() && node != root)
                markers.push_back(node);
        }
        for (KQelNode* marker : markers)
            manager.DestroyKQelNode(marker, false);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_ExportThenImport(benchmark::State& state) { ExportThenImport(state, -1); }
void BM_Export(benchmark::State& state) { ExportThenImport(state, 0); }
void BM_Import(benchmark::State& state) { ExportThenImport(state, 1); }
void BM_ExportThenImportOutsideScene(benchmark::State& state) { ExportThenImport(state, -1, false); }
BENCHMARK(BM_ExportThenImport)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportThenImportOutsideScene)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_TreeWalkReference(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    KQelEntity entity(manager);
    MakeScene(manager, entity.GetRootNode(), n);
    for (auto _ : state)
        benchmark::DoNotOptimize(entity.GetRootNode()->GetChildCount(true));
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_TreeWalkReference)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
