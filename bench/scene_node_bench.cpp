// The scene node at 10^3, 10^4 and 10^5 nodes, reported per node: attaching
// nodes one by one under a scene root, detaching them, moving a whole subtree
// into an entity, a duplicate-name walk against a target of equal size, and
// the global matrix of a tree, beside a plain walk of the same tree as the
// reference. Linear work shows as a flat cost per node across the sizes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// n new nodes named pName + index (not attached).
std::vector<KQelNode*> MakeNodes(KQelSdkManager& pManager, int pCount, const char* pName)
{
    std::vector<KQelNode*> nodes;
    nodes.reserve(static_cast<std::size_t>(pCount));
    for (int i = 0; i < pCount; ++i)
        nodes.push_back(pManager.CreateKQelNode((pName + std::to_string(i)).c_str()));
    return nodes;
}

// MakeNodes, then node i under node (i - 1) / 10: ten children each, about
// five levels at 10^5.
std::vector<KQelNode*> MakeTree(KQelSdkManager& pManager, int pCount, const char* pName)
{
    std::vector<KQelNode*> nodes = MakeNodes(pManager, pCount, pName);
    for (std::size_t i = 1; i < nodes.size(); ++i)
        nodes[(i - 1) / 10]->AddChild(nodes[i]);
    return nodes;
}

// n nodes attach one by one under a scene root, then leave it from the last
// (each leaves the end of its parent's connection array and of the entity's
// list); one half of the round trip is timed.
void AttachAndDetach(benchmark::State& state, bool pTimeAttach)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNode* root = entity.GetRootNode();
    std::vector<KQelNode*> nodes = MakeNodes(manager, n, "Node");
    for (auto _ : state) {
        if (!pTimeAttach)
            state.PauseTiming();
        for (KQelNode* node : nodes)
            root->AddChild(node);
        if (pTimeAttach)
            state.PauseTiming();
        else
            state.ResumeTiming();
        for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
            root->RemoveChild(*it);
        if (pTimeAttach)
            state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_AttachUnderSceneRoot(benchmark::State& state) { AttachAndDetach(state, true); }
void BM_DetachFromSceneRoot(benchmark::State& state) { AttachAndDetach(state, false); }

void BM_SetEntityOfASubtree(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    KQelEntity entity(manager);
    std::vector<KQelNode*> nodes = MakeTree(manager, n, "Node");
    for (auto _ : state) {
        nodes[0]->SetEntity(&entity, false);
        state.PauseTiming();
        nodes[0]->SetEntity(nullptr, false);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// The walked subtree shares every tenth name with the target's tree.
void BM_DuplicateNameApply(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    KQelEntity entity(manager);
    std::vector<KQelNode*> target = MakeTree(manager, n, "Node");
    entity.GetRootNode()->AddChild(target[0]);
    std::vector<KQelNode*> walked = MakeTree(manager, n, "Walked");
    for (int i = 0; i < n; i += 10)
        walked[static_cast<std::size_t>(i)]->SetName(("Node" + std::to_string(i)).c_str());
    int duplicates = 0;
    for (auto _ : state) {
        KQelNodeFinderDuplicateName finder(&entity);
        finder.Apply(*walked[0]);
        duplicates = finder.GetDuplicateNodeArray().GetCount();
    }
    state.counters["duplicates"] = duplicates;
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_ComputeGlobalMatrix(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    std::vector<KQelNode*> nodes = MakeTree(manager, n, "Node");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->SetDefaultT(KQelVector4(1.0, 0.5, 0.0, 0.0));
        nodes[i]->SetDefaultR(KQelVector4(0.0, 0.0, 10.0, 0.0));
        nodes[i]->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotActive);
        nodes[i]->SetRotationPivot(KQelNode::eSourcePivot, KQelVector4(0.0, 1.0, 0.0, 1.0));
    }
    for (auto _ : state) {
        nodes[0]->ComputeGlobalMatrix(KQelNode::eSourcePivot);
        benchmark::DoNotOptimize(nodes.back()->GetGlobalMatrix(KQelNode::eSourcePivot, false));
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Reference: a walk that only counts the tree's nodes.
void BM_WalkTreeReference(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    std::vector<KQelNode*> nodes = MakeTree(manager, n, "Node");
    for (auto _ : state)
        benchmark::DoNotOptimize(nodes[0]->GetChildCount(true));
    state.SetItemsProcessed(state.iterations() * n);
}

#define QEL_NODE_SIZES RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_AttachUnderSceneRoot)->QEL_NODE_SIZES;
BENCHMARK(BM_DetachFromSceneRoot)->QEL_NODE_SIZES;
BENCHMARK(BM_SetEntityOfASubtree)->QEL_NODE_SIZES;
BENCHMARK(BM_DuplicateNameApply)->QEL_NODE_SIZES;
BENCHMARK(BM_ComputeGlobalMatrix)->QEL_NODE_SIZES;
BENCHMARK(BM_WalkTreeReference)->QEL_NODE_SIZES;

}  // namespace
}  // namespace qelsdk_600
