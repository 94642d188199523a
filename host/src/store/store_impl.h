// Private records of the node store, shared by its source files.
#ifndef VESK_STORE_STORE_IMPL_H
#define VESK_STORE_STORE_IMPL_H

#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/node_store.h"

namespace vesk {

// Plug state of one node, made on first use.
struct NodeStore::PlugTable {
    std::unordered_map<PlugKey, Value, PlugKeyHash> values;
    // Array instance (own level unset) to its logical indices, ascending.
    std::unordered_map<PlugKey, std::vector<uint32_t>, PlugKeyHash> arrays;
    std::unordered_set<PlugKey, PlugKeyHash> locks;
    std::unordered_map<PlugKey, std::string, PlugKeyHash> aliases;
    std::unordered_map<std::string, PlugKey> aliasByName;
    // Names (long, short, children's) of the dynamic attributes.
    std::unordered_map<std::string, Attribute*> dynamicByName;
};

struct NodeStore::NodeRecord {
    uint32_t gen = 0;
    bool live = false;
    const Kind* kind = nullptr;
    std::string name;
    bool intermediate = false;
    uint64_t seq = 0;
    std::vector<NodeId> parents;
    std::vector<NodeId> children;
    // The first path, good while firstPathAt is the DAG epoch.
    mutable Path firstPath;
    mutable uint64_t firstPathAt = 0;
    std::vector<Ref<Attribute>> dynamicAttrs;
    std::unique_ptr<PlugTable> plugs;
    std::vector<uint32_t> connections;
    uint32_t deadConnections = 0;
    std::unique_ptr<Payload> payload;
};

// Key of a name within a scope (a parent node, or none).
inline std::string scopedKey(NodeId scope, const std::string& name)
{
    std::string key(8, '\0');
    std::memcpy(&key[0], &scope.index, 4);
    std::memcpy(&key[4], &scope.gen, 4);
    key += name;
    return key;
}

// Key of a child name under a live parent: the parent's slot is enough, as
// entries go when children are unlinked; short keys stay within the
// string's own buffer.
inline std::string siblingKey(NodeId parent, const std::string& name)
{
    std::string key(4, '\0');
    std::memcpy(&key[0], &parent.index, 4);
    key += name;
    return key;
}

} // namespace vesk

#endif
