// Characters: creating n characters, linking each to its own 191 nodes
// (with the link properties following) and destroying them, beside the cost
// of creating and destroying those nodes. A cost per character that stays
// flat from 10 to 1,000 shows that nothing grows with the number of
// characters.
#include <benchmark/benchmark.h>

#include <vector>

#include "character/kqelcharacter.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

void BM_CharacterLinkedLifecycle(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    KQelSdkManager manager;
    std::vector<KQelNode*> nodes;
    for (int i = 0; i < n * kCharacterNodeIdCount; ++i)
        nodes.push_back(manager.CreateKQelNode("Bone"));
    std::vector<KQelCharacter*> characters(static_cast<std::size_t>(n));
    auto lifecycle = [&]() {
        for (int c = 0; c < n; ++c) {
            KQelCharacter* character = new KQelCharacter(manager, "Constraint::Character");
            for (int id = 0; id < kCharacterNodeIdCount; ++id) {
                KQelCharacterLink link;
                link.mNode = nodes[static_cast<std::size_t>(c * kCharacterNodeIdCount + id)];
                character->SetCharacterLink(ECharacterNodeId(id), link, true);
            }
            characters[static_cast<std::size_t>(c)] = character;
        }
        // As the scene ends a character: Destruct, then delete.
        for (KQelCharacter* character : characters) {
            character->Destruct();
            delete character;
        }
    };
    // One round outside the timing: the largest size runs a single timed
    // round, which would otherwise pay for the first touch of its memory.
    lifecycle();
    for (auto _ : state)
        lifecycle();
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["per_character"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// The reference: the 191 nodes of each character, created and destroyed.
void BM_NodesOfCharacters(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<KQelNode*> nodes(static_cast<std::size_t>(n * kCharacterNodeIdCount));
    for (auto _ : state) {
        KQelSdkManager manager;
        for (KQelNode*& node : nodes)
            node = manager.CreateKQelNode("Bone");
        for (KQelNode* node : nodes)
            manager.DestroyKQelNode(node, false);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["per_character"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

BENCHMARK(BM_CharacterLinkedLifecycle)->RangeMultiplier(10)->Range(10, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodesOfCharacters)->RangeMultiplier(10)->Range(10, 1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
