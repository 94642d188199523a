// Per-item costs of the stand-in host's scene at 10^3 to 10^5 items: they
// should stay flat (within 2x) as the size grows by 10x.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_set>

#include <vesk/MFnDagNode.h>
#include <vesk/MItDag.h>
#include <vesk/MPlug.h>
#include <vesk/MPlugArray.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStringArray.h>

#include "core/object_access.h"
#include "store/fixtures.h"
#include "store/node_store.h"

namespace {

using vesk::NodeId;
using vesk::store;

MPlug plugOf(const std::string& text)
{
    MSelectionList list;
    MPlug p;
    list.add(MString(text.c_str()));
    list.getPlug(0, p);
    return p;
}

// n siblings all asking for one name: "Box", "Box1", "Box2", ...
void BM_NameSiblings(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        store().reset();
        const NodeId parent = store().createNode("transform", "group");
        state.ResumeTiming();
        for (int i = 0; i < n; ++i)
            benchmark::DoNotOptimize(store().createNode("transform", "Box", parent));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_NameSiblings)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Reference: n strings into a hashed set.
void BM_NameSiblingsReference(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::unordered_set<std::string> names;
        for (int i = 0; i < n; ++i)
            names.insert("Box" + std::to_string(i));
        benchmark::DoNotOptimize(names.size());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_NameSiblingsReference)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// A depth-first walk naming every path, over n/2 groups that each hold a
// "hip" (one name shared by n/2 nodes).
void BM_DagWalkPathNames(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    store().reset();
    for (int i = 0; i < n / 2; ++i) {
        const NodeId g = store().createNode("transform", "g" + std::to_string(i));
        store().createNode("joint", "hip", g);
    }
    size_t chars = 0;
    for (auto _ : state) {
        for (MItDag it; !it.isDone(); it.next()) {
            chars += it.fullPathName().length();
            chars += it.partialPathName().length();
        }
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DagWalkPathNames)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Writes n elements of a weight array, then reads them by physical index.
void BM_ArrayPlugs(benchmark::State& state)
{
    const unsigned int n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        store().reset();
        store().createNode("skinCluster", "skin");
        MPlug weights = plugOf("skin.wl[0].w");
        state.ResumeTiming();
        for (unsigned int i = 0; i < n; ++i)
            weights.elementByLogicalIndex(2 * i).setValue(0.5);
        double sum = 0.0;
        const unsigned int count = weights.numElements();
        for (unsigned int i = 0; i < count; ++i)
            sum += weights.elementByPhysicalIndex(i).asDouble();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ArrayPlugs)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// n joints' messages into one pose's members, each looked up from both ends,
// then disconnected.
void BM_Connections(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        store().reset();
        const NodeId pose = store().createNode("dagPose", "pose");
        std::vector<vesk::PlugRef> sources, dests;
        vesk::PlugKey message, members;
        members.attr = store().findAttribute(pose, "members");
        for (int i = 0; i < n; ++i) {
            const NodeId j = store().createNode("joint", "j" + std::to_string(i));
            message.attr = store().findAttribute(j, "message");
            members.idx[0] = static_cast<uint32_t>(i);
            sources.push_back(vesk::PlugRef{j, message});
            dests.push_back(vesk::PlugRef{pose, members});
        }
        state.ResumeTiming();
        for (int i = 0; i < n; ++i)
            store().connect(sources[i], dests[i]);
        MPlugArray found;
        for (int i = 0; i < n; ++i) {
            vesk::ObjectAccess::plug(dests[i].node, dests[i].key).connectedTo(found, true, false);
            vesk::ObjectAccess::plug(sources[i].node, sources[i].key).connectedTo(found, false, true);
        }
        for (int i = 0; i < n; ++i)
            store().disconnect(sources[i], dests[i]);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Connections)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// A component of n vertices in runs of three, written as texts and read back.
void BM_SelectionStrings(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    store().reset();
    vesk::fixture::makeShape("mesh", "b");
    MSelectionList list;
    for (int i = 0; i < n / 3; ++i) {
        const std::string text = "b.vtx[" + std::to_string(4 * i) + ":" + std::to_string(4 * i + 2) + "]";
        MSelectionList one;
        one.add(MString(text.c_str()));
        MDagPath p;
        MObject part;
        one.getDagPath(0, p, part);
        list.add(p, part, true);
    }
    for (auto _ : state) {
        MStringArray texts;
        list.getSelectionStrings(texts);
        MSelectionList back;
        for (unsigned int i = 0; i < texts.length(); ++i)
            back.add(texts[i]);
        benchmark::DoNotOptimize(back.length());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SelectionStrings)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

} // namespace
