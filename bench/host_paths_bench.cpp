// Cost per node of the DAG path calls a scene export makes, on one chain of
// 10^3 to 10^5 transforms walked depth first. Making, copying and comparing
// paths, the type and validity questions, partial names and the parent's
// path cost O(1) per node: flat within 2x as the chain grows 10x. A full
// path name is as long as the path, so its cost per node grows with the
// depth; per character (bytes_per_second) it stays flat. The reference is
// the bare walk.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <vesk/MFnDagNode.h>
#include <vesk/MItDag.h>
#include <vesk/MSelectionList.h>

#include "store/node_store.h"

namespace {

// A chain n0|n1|...|n(depth-1) under the world, made once per size.
void buildChain(int depth)
{
    static int built = -1;
    if (built == depth)
        return;
    vesk::store().reset();
    vesk::NodeId parent;
    for (int i = 0; i < depth; ++i)
        parent = vesk::store().createNode("transform", "n" + std::to_string(i), parent);
    built = depth;
}

// Runs op on the path of every node of the chain, in a depth-first walk.
template <class Op>
void walkChain(benchmark::State& state, Op op)
{
    const int depth = static_cast<int>(state.range(0));
    buildChain(depth);
    for (auto _ : state) {
        for (MItDag it; !it.isDone(); it.next())
            op(it);
    }
    state.SetItemsProcessed(state.iterations() * depth);
}

// The same with the path of each node.
template <class Op>
void walkPaths(benchmark::State& state, Op op)
{
    walkChain(state, [&op](MItDag& it) {
        MDagPath path;
        it.getPath(path);
        op(path);
    });
}

void BM_ChainWalkReference(benchmark::State& state)
{
    walkChain(state, [](MItDag& it) { benchmark::DoNotOptimize(it.currentItem()); });
}
BENCHMARK(BM_ChainWalkReference)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_ChainPathMake(benchmark::State& state)
{
    walkPaths(state, [](MDagPath& path) { benchmark::DoNotOptimize(path.length()); });
}
BENCHMARK(BM_ChainPathMake)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Each node keeps a copy of its path, found again by equality, as the
// export's node registry does.
void BM_ChainPathCopyAndCompare(benchmark::State& state)
{
    std::vector<MDagPath> kept;
    kept.reserve(static_cast<size_t>(state.range(0)));
    walkPaths(state, [&kept](MDagPath& path) {
        kept.push_back(path);
        benchmark::DoNotOptimize(kept.back() == path);
        if (kept.size() == kept.capacity())
            kept.clear();
    });
}
BENCHMARK(BM_ChainPathCopyAndCompare)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// What choosing a node's builder asks: a function set on the path, the
// types of the path's node, its node and validity.
void BM_ChainPathQuestions(benchmark::State& state)
{
    walkPaths(state, [](MDagPath& path) {
        MFnDagNode node(path);
        for (MFn::Type t : {MFn::kMesh, MFn::kNurbsSurface, MFn::kJoint, MFn::kLight, MFn::kCamera, MFn::kTransform})
            benchmark::DoNotOptimize(path.hasFn(t));
        benchmark::DoNotOptimize(path.node());
        benchmark::DoNotOptimize(path.isValid());
        benchmark::DoNotOptimize(path.instanceNumber());
    });
}
BENCHMARK(BM_ChainPathQuestions)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// The parent's path from the node's parent object, checked against the
// node's path less its last node.
void BM_ChainParentPath(benchmark::State& state)
{
    walkPaths(state, [](MDagPath& path) {
        MFnDagNode node(path);
        MDagPath parent;
        if (node.parentCount() > 0 && MDagPath::getAPathTo(node.parent(0), parent)) {
            path.pop(1);
            benchmark::DoNotOptimize(parent == path);
        }
    });
}
BENCHMARK(BM_ChainParentPath)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_ChainPartialName(benchmark::State& state)
{
    walkPaths(state, [](MDagPath& path) { benchmark::DoNotOptimize(path.partialPathName().length()); });
}
BENCHMARK(BM_ChainPartialName)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// The full names of the deepest 1,000 nodes, each node then found again by
// its name (a command naming it), as an export walking the chain asks
// them. The cost per node follows the depth; per character it stays flat.
void BM_ChainFullNameAndBack(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    buildChain(depth);
    int64_t chars = 0;
    for (auto _ : state) {
        int level = 0;
        for (MItDag it; !it.isDone(); it.next()) {
            if (level++ < depth - 1000)
                continue;
            MDagPath path;
            it.getPath(path);
            const MString name = path.fullPathName();
            chars += name.length();
            MSelectionList found;
            found.add(name);
            benchmark::DoNotOptimize(found.length());
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetBytesProcessed(chars);
}
BENCHMARK(BM_ChainFullNameAndBack)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

} // namespace
