// Cost per "sets -forceElement" edit on a mesh of 10^3 to 10^5 faces: an
// edit should cost what it adds or moves, so the figures stay flat (within
// 2x) as the mesh grows by 10x. The reference selects the same faces, one
// command each.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <vesk/MFnMesh.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MPointArray.h>

#include "core/object_access.h"
#include "store/node_store.h"

namespace {

const int kGroups = 3;

// A strip of n quadrilaterals ("strip") and kGroups empty shading groups
// ("g0SG", ...).
void buildStrip(int n)
{
    vesk::store().reset();
    MPointArray points;
    for (int i = 0; i <= n; ++i) {
        points.append(MPoint(i, 0, 0));
        points.append(MPoint(i, 1, 0));
    }
    MIntArray counts, connects;
    for (int i = 0; i < n; ++i) {
        counts.append(4);
        for (int v : {2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1})
            connects.append(v);
    }
    MFnMesh mesh;
    const MObject transform = mesh.create(2 * (n + 1), n, points, counts, connects);
    vesk::store().rename(vesk::ObjectAccess::node(transform), "strip");
    for (int g = 0; g < kGroups; ++g)
        MGlobal::executeCommand(MString("sets -renderable true -empty -name g") + std::to_string(g).c_str() + "SG");
}

std::string forceText(int group, int face)
{
    return "sets -e -forceElement g" + std::to_string(group) + "SG strip.f[" + std::to_string(face) + "]";
}

// On a fresh strip of n faces, runs the set-up commands, then times the
// edits (n of them).
void runEdits(benchmark::State& state, const std::vector<std::string>& setUp, const std::vector<std::string>& edits)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        buildStrip(n);
        for (const std::string& c : setUp)
            MGlobal::executeCommand(MString(c.c_str()));
        state.ResumeTiming();
        for (const std::string& c : edits)
            MGlobal::executeCommand(MString(c.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Materials interleaved face by face, given group by group as the import
// gives them: every edit adds a face after the group's last one, and each
// other group is asked to let go of a face it does not hold.
void BM_ForceElementInterleaved(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> edits;
    for (int g = 0; g < kGroups; ++g)
        for (int f = g; f < n; f += kGroups)
            edits.push_back(forceText(g, f));
    runEdits(state, {}, edits);
}
BENCHMARK(BM_ForceElementInterleaved)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Every face moved, in a scattered order, from its interleaved group to
// the next one: each edit takes one face out of the middle of a group's
// list and puts it into another's.
void BM_ForceElementMoves(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> setUp, edits;
    for (int f = 0; f < n; ++f)
        setUp.push_back(forceText(f % kGroups, f));
    // 7919 is prime, so the faces come in an order unrelated to theirs.
    for (long k = 0; k < n; ++k) {
        const int f = static_cast<int>(k * 7919 % n);
        edits.push_back(forceText((f + 1) % kGroups, f));
    }
    runEdits(state, setUp, edits);
}
BENCHMARK(BM_ForceElementMoves)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// Reference: as many commands reading the same texts and selecting them.
void BM_ForceElementReference(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<std::string> edits;
    for (int f = 0; f < n; ++f)
        edits.push_back("select -r strip.f[" + std::to_string(f) + "]");
    runEdits(state, {}, edits);
}
BENCHMARK(BM_ForceElementReference)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

} // namespace
