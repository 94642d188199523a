// DAG paths as shared chains: a path is its last node and the path of that
// node's parent, so a child's path costs O(1) to make and to keep, however
// deep it is.
#ifndef VESK_STORE_PATH_H
#define VESK_STORE_PATH_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include <vesk/VeskExport.h>

#include "store/ids.h"

namespace vesk {

// One link of a path. Links are interned: one link per parent link and
// node, so equal paths are the same link. The fields after refs are the
// node store's memo of the path's state, good for one DAG epoch (see
// NodeStore::pathValid).
struct PathLink {
    const PathLink* parent;
    NodeId node;
    // Number of nodes on the path.
    uint32_t depth;
    mutable uint32_t refs;
    mutable uint64_t checkedAt;
    mutable bool valid;
    // Some node on the path has more than one parent.
    mutable bool instanced;
};

// The nodes from a top-level node down to the last one (the world is not
// part of it); empty means no node. Copies share their links, and equality
// compares links, O(1). Node ids are kept as given: a path to deleted nodes
// stays what it was and only reads as invalid.
class VESK_API Path {
public:
    Path() {}
    // The path of the nodes given, top-level node first.
    Path(std::initializer_list<NodeId> nodes);
    Path(const Path& other);
    Path(Path&& other) noexcept : mLink(other.mLink) { other.mLink = nullptr; }
    Path& operator=(const Path& other);
    Path& operator=(Path&& other) noexcept;
    ~Path();

    // The path of the nodes given, top-level node first.
    static Path of(const std::vector<NodeId>& nodes);
    // Takes over one reference to a link (null for the empty path).
    static Path adopt(const PathLink* link);

    bool empty() const { return mLink == nullptr; }
    size_t size() const { return mLink ? mLink->depth : 0; }
    // The last node; invalid for an empty path.
    NodeId back() const { return mLink ? mLink->node : NodeId(); }
    // O(1) amortised.
    void push_back(NodeId n);
    // Drops the last node (nothing for an empty path).
    void pop_back();
    // The path without its last node.
    Path parent() const;
    // The first n nodes (n at most size()); O(size() - n).
    Path prefix(size_t n) const;
    // The nodes, top-level node first; O(size()).
    std::vector<NodeId> nodes() const;
    // Every non-empty prefix, shortest first (the last is the path); O(size()).
    std::vector<Path> prefixes() const;
    // True when the node is on the path; O(size()).
    bool contains(NodeId n) const;

    const PathLink* link() const { return mLink; }
    bool operator==(const Path& o) const { return mLink == o.mLink; }
    bool operator!=(const Path& o) const { return mLink != o.mLink; }

private:
    const PathLink* mLink = nullptr;
};

// Reference counting of links for holders that keep a bare link pointer
// (MDagPath); null is allowed.
VESK_API void retainPathLink(const PathLink* link);
VESK_API void releasePathLink(const PathLink* link);

} // namespace vesk

#endif
