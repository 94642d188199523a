// Selection lists: ordered items of whole objects, components or plugs.
#ifndef VESK_STORE_SELECTION_H
#define VESK_STORE_SELECTION_H

#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

#include "store/node_store.h"

namespace vesk {

// One selected thing: a node (with its DAG path for DAG nodes), optionally
// narrowed to components of it or to one of its plugs.
struct SelectionItem {
    NodeId node;
    Path path;
    Ref<Component> component;
    PlugKey plug;
    // Keeps a dynamic plug attribute alive while the item exists.
    Ref<Attribute> plugAttr;

    bool whole() const { return !component && !plug.attr; }
};

// The items of one selection list, in order of addition. Whole-object
// look-ups are hashed (rebuilt after a change), so hasWhole is O(1)
// amortised.
class VESK_API SelectionData {
public:
    size_t size() const { return mItems.size(); }
    const SelectionItem& item(size_t i) const { return mItems[i]; }
    // Appends the item. With merge, a component item of a node already
    // holding a component item of the same type joins it (indices not
    // repeated), and a whole item already present is not added again.
    void add(const SelectionItem& item, bool merge);
    // Removes item i; kInvalidParameter past the end.
    MStatus remove(size_t i);
    // Replaces every item at once (one index rebuild instead of one per
    // change: toggling n items stays O(n)).
    void assign(std::vector<SelectionItem> items);
    void clear();
    // True when an equal whole-object item (same node, same path) is held.
    bool hasWhole(NodeId node, const Path& path) const;
    // True when some whole-object item of the node is held, whatever its path.
    bool hasWholeNode(NodeId node) const;
    // Drops every item of the node.
    void removeNode(NodeId node);
    // The texts of item i: one for an object or a plug, one per run of
    // consecutive indices for components ("b.vtx[3:7]", on the transform
    // when the shape is its first one); parseAddress reads each back.
    void strings(const NodeStore& store, size_t i, std::vector<std::string>& out) const;
    // The texts of the whole list: one per object or plug item, and for the
    // component items of one path and component kind, wherever they stand,
    // one per run of consecutive indices in index order, placed where the
    // first such item stands.
    void allStrings(const NodeStore& store, std::vector<std::string>& out) const;

private:
    void rebuildIndex() const;
    // The object or path name an item's texts begin with, and that name
    // followed by the component word ("b.f").
    static std::string baseName(const NodeStore& store, const SelectionItem& it);
    static std::string componentPrefix(const NodeStore& store, const SelectionItem& it);

    std::vector<SelectionItem> mItems;
    mutable std::unordered_map<uint64_t, std::vector<size_t>> mWholeIndex;
    mutable std::unordered_map<uint64_t, size_t> mNodeIndex;
    mutable bool mDirty = true;
};

} // namespace vesk

#endif
