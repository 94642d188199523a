// Per-item costs of command texts at 10^3 to 10^5 items: toggling vertex
// terms or names into the selection, and cluster weight texts. Beside each,
// the lexing of the same text: the ratio should stay flat (within 2x) as the
// size grows by 10x.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <vesk/MGlobal.h>

#include "command/script.h"
#include "deform/deform_kinds.h"
#include "geometry/geometry_kinds.h"
#include "store/fixtures.h"
#include "store/node_store.h"

namespace {

using vesk::store;

constexpr int kSide = 450; // a grid of 451 x 451 vertices

// A mesh "b" with more vertices than the largest run toggles.
void makeBigMesh()
{
    store().reset();
    const vesk::NodeId t = store().createNode("transform", "b");
    const vesk::NodeId shape = store().createNode("mesh", "bShape", t);
    std::vector<MPoint> points;
    for (int z = 0; z <= kSide; ++z)
        for (int x = 0; x <= kSide; ++x)
            points.emplace_back(x, 0.0, z);
    std::vector<int> counts(size_t(kSide) * kSide, 4);
    std::vector<int> connects;
    for (int z = 0; z < kSide; ++z)
        for (int x = 0; x < kSide; ++x) {
            const int a = z * (kSide + 1) + x;
            connects.insert(connects.end(), {a, a + kSide + 1, a + kSide + 2, a + 1});
        }
    vesk::meshOf(shape)->build(points, counts.data(), counts.size(), connects.data());
}

// "select -tgl" with n single-vertex terms, every other vertex.
std::string vertexToggle(int n)
{
    std::string text = "select -tgl";
    for (int i = 0; i < n; ++i)
        text += " b.vtx[" + std::to_string(2 * i) + "]";
    return text;
}

std::string nameToggle(int n)
{
    std::string text = "select -tgl";
    for (int i = 0; i < n; ++i)
        text += " t" + std::to_string(i);
    return text;
}

std::vector<std::string> percentTexts(int n)
{
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i)
        texts.push_back("percent -v 0.5 c  b.vtx[" + std::to_string(2 * i) + "]");
    return texts;
}

void runToggle(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        MGlobal::executeCommand("select -cl");
        if (!MGlobal::executeCommand(MString(text.c_str())))
            state.SkipWithError("the toggle failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ToggleVertexTerms(benchmark::State& state)
{
    makeBigMesh();
    runToggle(state, vertexToggle(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ToggleVertexTerms)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_ToggleNames(benchmark::State& state)
{
    store().reset();
    for (int i = 0; i < state.range(0); ++i)
        store().createNode("transform", "t" + std::to_string(i));
    runToggle(state, nameToggle(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ToggleNames)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_PercentTexts(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    makeBigMesh();
    MGlobal::executeCommand("select -cl");
    MGlobal::executeCommand("cluster -n c b");
    const std::vector<std::string> texts = percentTexts(n);
    std::vector<MString> commands;
    for (const std::string& t : texts)
        commands.push_back(MString(t.c_str()));
    for (auto _ : state)
        for (const MString& text : commands)
            if (!MGlobal::executeCommand(text))
                state.SkipWithError("a weight text failed");
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PercentTexts)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// References: lexing the same texts.
void lexOne(benchmark::State& state, const std::string& text)
{
    std::vector<vesk::Statement> out;
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(vesk::parseScript(text, out, error));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LexVertexToggle(benchmark::State& state)
{
    lexOne(state, vertexToggle(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LexVertexToggle)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_LexNameToggle(benchmark::State& state)
{
    lexOne(state, nameToggle(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LexNameToggle)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_LexPercentTexts(benchmark::State& state)
{
    const std::vector<std::string> texts = percentTexts(static_cast<int>(state.range(0)));
    std::vector<vesk::Statement> out;
    std::string error;
    for (auto _ : state)
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(vesk::parseScript(text, out, error));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LexPercentTexts)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

} // namespace
