// Per-item costs of the scene dump, of comparing two dumps, and of runs of
// a plug-in command: 10^3 to 10^5 animated transforms, meshes of 10^4 to
// 10^6 vertices, 10^4 to 10^6 command runs. The cost per item should stay
// within 2x as the size grows by 10x. Beside the command runs, runs of the
// host's own "exists" as the reference.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <vesk/MGlobal.h>
#include <vesk/MPxCommand.h>

#include "anim/anim_curve.h"
#include "dump/scene_dump.h"
#include "geometry/geometry_kinds.h"
#include "plugin/plugin_registry.h"
#include "store/node_store.h"

namespace {

using vesk::store;

// n transforms "t<i>", each with translateX keyed at three times.
void makeAnimatedTransforms(int n)
{
    store().reset();
    vesk::PlugKey key;
    for (int i = 0; i < n; ++i) {
        const vesk::NodeId t = store().createNode("transform", "t" + std::to_string(i));
        key.attr = store().findAttribute(t, "translateX");
        MStatus s;
        vesk::AnimCurve* c = vesk::curveOf(vesk::createCurve(t, key, 1, &s));
        for (int k = 0; k < 3; ++k)
            c->addKey(k, i + k * 0.5, vesk::kTangentSmooth, vesk::kTangentSmooth, nullptr);
    }
}

// One mesh of about n vertices: a square grid of quadrilaterals.
void makeMesh(int n)
{
    store().reset();
    int side = 1;
    while ((side + 1) * (side + 1) < n)
        ++side;
    const vesk::NodeId t = store().createNode("transform", "m");
    const vesk::NodeId shape = store().createNode("mesh", "mShape", t);
    std::vector<MPoint> points;
    for (int z = 0; z <= side; ++z)
        for (int x = 0; x <= side; ++x)
            points.emplace_back(x * 0.1, 0.0, z * 0.1);
    std::vector<int> counts(size_t(side) * side, 4);
    std::vector<int> connects;
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x) {
            const int a = z * (side + 1) + x;
            connects.insert(connects.end(), {a, a + side + 1, a + side + 2, a + 1});
        }
    vesk::meshOf(shape)->build(points, counts.data(), counts.size(), connects.data());
}

void dump(benchmark::State& state, void (*make)(int))
{
    const int n = static_cast<int>(state.range(0));
    make(n);
    std::FILE* sink = std::fopen("/dev/null", "wb");
    for (auto _ : state)
        benchmark::DoNotOptimize(vesk::writeSceneDump(sink));
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * n);
}

// Two dumps of the scene, one number changed in the second.
void compare(benchmark::State& state, void (*make)(int), const char* plug)
{
    const int n = static_cast<int>(state.range(0));
    make(n);
    const std::string a = vesk::sceneDump();
    vesk::Address address;
    store().parseAddress(plug, address);
    vesk::Value value = vesk::Value::ofNumber(0.25);
    store().writeValue(address.node, address.plug, value);
    const std::string b = vesk::sceneDump();
    std::vector<std::string> report;
    for (auto _ : state) {
        report.clear();
        benchmark::DoNotOptimize(vesk::compareDumps(a, b, vesk::DumpCompareOptions(), report));
    }
    if (report.size() != 1)
        state.SkipWithError("the change was not found");
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_DumpAnimatedTransforms(benchmark::State& state)
{
    dump(state, makeAnimatedTransforms);
}
BENCHMARK(BM_DumpAnimatedTransforms)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CompareAnimatedTransforms(benchmark::State& state)
{
    compare(state, makeAnimatedTransforms, "t0.translateY");
}
BENCHMARK(BM_CompareAnimatedTransforms)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DumpMesh(benchmark::State& state)
{
    dump(state, makeMesh);
}
BENCHMARK(BM_DumpMesh)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CompareMesh(benchmark::State& state)
{
    compare(state, makeMesh, "m.translateY");
}
BENCHMARK(BM_CompareMesh)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A plug-in command that only sets a result.
class Count : public MPxCommand {
public:
    MStatus doIt(const MArgList& args) override
    {
        setResult(static_cast<int>(args.length()));
        return MStatus::kSuccess;
    }
};

void* makeCount()
{
    return new Count;
}

void runs(benchmark::State& state, const char* text)
{
    static vesk::PluginRecord* record = [] {
        vesk::PluginRecord* r = new vesk::PluginRecord;
        vesk::plugins().addCommand(r, "bmCount", makeCount);
        return r;
    }();
    benchmark::DoNotOptimize(record);
    const int n = static_cast<int>(state.range(0));
    const MString command(text);
    int result = 0;
    for (auto _ : state)
        for (int i = 0; i < n; ++i)
            MGlobal::executeCommand(command, result);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_PluginCommandRuns(benchmark::State& state)
{
    runs(state, "bmCount a b");
}
BENCHMARK(BM_PluginCommandRuns)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_BuiltinCommandRuns(benchmark::State& state)
{
    runs(state, "exists bmCount");
}
BENCHMARK(BM_BuiltinCommandRuns)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
