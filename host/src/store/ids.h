// Identities of nodes and plugs inside the node store.
#ifndef VESK_STORE_IDS_H
#define VESK_STORE_IDS_H

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vesk {

class Attribute;

// A node slot and the generation of its occupant: a handle to a deleted node
// keeps an old generation and no longer matches the slot.
struct NodeId {
    uint32_t index = 0xFFFFFFFFu;
    uint32_t gen = 0;

    bool valid() const { return index != 0xFFFFFFFFu; }
    bool operator==(const NodeId& o) const { return index == o.index && gen == o.gen; }
    bool operator!=(const NodeId& o) const { return !(*this == o); }
};

// Array attributes nest at most this deep (an element of an array inside an
// element of an array, and so on).
constexpr int kMaxLevels = 4;
// The index of an array level not chosen yet (the array plug itself).
constexpr uint32_t kUnsetIndex = 0xFFFFFFFFu;

// A connection slot that no longer holds a connection.
constexpr uint32_t kNoConnection = 0xFFFFFFFFu;

// One plug of a node: an attribute and one logical index per array
// attribute on the way from its top-level ancestor down to it (level 0 is
// the outermost array). Unused levels hold kUnsetIndex.
struct PlugKey {
    Attribute* attr = nullptr;
    uint32_t idx[kMaxLevels] = {kUnsetIndex, kUnsetIndex, kUnsetIndex, kUnsetIndex};

    bool operator==(const PlugKey& o) const
    {
        return attr == o.attr && idx[0] == o.idx[0] && idx[1] == o.idx[1] && idx[2] == o.idx[2] &&
               idx[3] == o.idx[3];
    }
    bool operator!=(const PlugKey& o) const { return !(*this == o); }
};

// A plug of a given node.
struct PlugRef {
    NodeId node;
    PlugKey key;

    bool operator==(const PlugRef& o) const { return node == o.node && key == o.key; }
    bool operator!=(const PlugRef& o) const { return !(*this == o); }
};

struct NodeIdHash {
    size_t operator()(const NodeId& n) const { return std::hash<uint64_t>()((uint64_t(n.gen) << 32) | n.index); }
};

struct PlugKeyHash {
    size_t operator()(const PlugKey& k) const
    {
        uint64_t h = reinterpret_cast<uintptr_t>(k.attr);
        for (int i = 0; i < kMaxLevels; ++i)
            h = h * 0x9E3779B97F4A7C15ull + k.idx[i];
        return std::hash<uint64_t>()(h);
    }
};

struct PlugRefHash {
    size_t operator()(const PlugRef& r) const { return NodeIdHash()(r.node) * 31 + PlugKeyHash()(r.key); }
};

} // namespace vesk

#endif
