#include "store/selection.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace vesk {
namespace {

uint64_t nodeKey(NodeId n)
{
    return (uint64_t(n.gen) << 32) | n.index;
}

uint64_t wholeKey(NodeId node, const Path& path)
{
    // Equal paths share their link.
    return nodeKey(node) * 0x9E3779B97F4A7C15ull + reinterpret_cast<uintptr_t>(path.link());
}

bool sameTarget(const SelectionItem& a, const SelectionItem& b)
{
    return a.node == b.node && a.path == b.path;
}

} // namespace

void SelectionData::add(const SelectionItem& item, bool merge)
{
    if (merge) {
        if (item.whole() && hasWhole(item.node, item.path))
            return;
        if (item.component) {
            for (SelectionItem& held : mItems) {
                if (!sameTarget(held, item) || !held.component ||
                    held.component->apiType() != item.component->apiType() || held.component->complete ||
                    item.component->complete)
                    continue;
                // Components are shared values: change only a sole copy.
                if (!held.component->soleReference()) {
                    Ref<Component> copy(new Component(held.component->apiType()));
                    copy->merge(*held.component);
                    held.component = copy;
                }
                held.component->merge(*item.component);
                return;
            }
        }
    }
    mItems.push_back(item);
    if (!mDirty && item.whole()) {
        mWholeIndex[wholeKey(item.node, item.path)].push_back(mItems.size() - 1);
        ++mNodeIndex[nodeKey(item.node)];
    }
}

MStatus SelectionData::remove(size_t i)
{
    if (i >= mItems.size())
        return MStatus::kInvalidParameter;
    mItems.erase(mItems.begin() + static_cast<long>(i));
    mDirty = true;
    return MStatus::kSuccess;
}

void SelectionData::assign(std::vector<SelectionItem> items)
{
    mItems.swap(items);
    mDirty = true;
}

void SelectionData::clear()
{
    mItems.clear();
    mWholeIndex.clear();
    mNodeIndex.clear();
    mDirty = false;
}

void SelectionData::rebuildIndex() const
{
    mWholeIndex.clear();
    mNodeIndex.clear();
    for (size_t i = 0; i < mItems.size(); ++i)
        if (mItems[i].whole()) {
            mWholeIndex[wholeKey(mItems[i].node, mItems[i].path)].push_back(i);
            ++mNodeIndex[nodeKey(mItems[i].node)];
        }
    mDirty = false;
}

bool SelectionData::hasWhole(NodeId node, const Path& path) const
{
    if (mDirty)
        rebuildIndex();
    auto it = mWholeIndex.find(wholeKey(node, path));
    if (it == mWholeIndex.end())
        return false;
    for (size_t i : it->second)
        if (mItems[i].node == node && mItems[i].path == path)
            return true;
    return false;
}

bool SelectionData::hasWholeNode(NodeId node) const
{
    if (mDirty)
        rebuildIndex();
    return mNodeIndex.count(nodeKey(node)) != 0;
}

void SelectionData::removeNode(NodeId node)
{
    const size_t before = mItems.size();
    mItems.erase(std::remove_if(mItems.begin(), mItems.end(),
                                [&](const SelectionItem& it) {
                                    if (it.node == node)
                                        return true;
                                    return it.path.contains(node);
                                }),
                 mItems.end());
    if (mItems.size() != before)
        mDirty = true;
}

namespace {

std::string rangeText(long long a, long long b)
{
    return a == b ? "[" + std::to_string(a) + "]" : "[" + std::to_string(a) + ":" + std::to_string(b) + "]";
}

// One text per run of consecutive ascending indices, in the order given.
void appendRuns(const std::string& prefix, const std::vector<int>& indices, std::vector<std::string>& out)
{
    size_t k = 0;
    while (k < indices.size()) {
        size_t end = k;
        while (end + 1 < indices.size() && indices[end + 1] == indices[end] + 1)
            ++end;
        out.push_back(prefix + rangeText(indices[k], indices[end]));
        k = end + 1;
    }
}

} // namespace

std::string SelectionData::baseName(const NodeStore& store, const SelectionItem& it)
{
    // Components of a transform's first shape are written on the transform,
    // which stands for that shape when read back.
    if (it.component && it.path.size() >= 2 && store.firstShape(it.path.parent().back()) == it.node)
        return store.partialPathName(it.path.parent());
    return it.path.empty() ? store.name(it.node) : store.partialPathName(it.path);
}

std::string SelectionData::componentPrefix(const NodeStore& store, const SelectionItem& it)
{
    const char* word = NodeStore::componentWord(it.component->apiType());
    return baseName(store, it) + "." + (word ? word : "vtx");
}

void SelectionData::strings(const NodeStore& store, size_t i, std::vector<std::string>& out) const
{
    out.clear();
    if (i >= mItems.size())
        return;
    const SelectionItem& it = mItems[i];
    if (!store.isAlive(it.node))
        return;
    if (it.plug.attr) {
        out.push_back(baseName(store, it) + "." + store.plugPath(it.node, it.plug, true, false));
        return;
    }
    if (!it.component) {
        out.push_back(baseName(store, it));
        return;
    }
    const Component& c = *it.component;
    const std::string prefix = componentPrefix(store, it);
    if (c.doubleIndexed()) {
        if (c.complete) {
            if (c.completeCount > 0 && c.completeCountV > 0)
                out.push_back(prefix + rangeText(0, c.completeCount - 1) + rangeText(0, c.completeCountV - 1));
            return;
        }
        for (const auto& p : c.pairs)
            out.push_back(prefix + "[" + std::to_string(p.first) + "][" + std::to_string(p.second) + "]");
        return;
    }
    if (c.complete) {
        if (c.completeCount > 0)
            out.push_back(prefix + rangeText(0, c.completeCount - 1));
        return;
    }
    appendRuns(prefix, c.single, out);
}

void SelectionData::allStrings(const NodeStore& store, std::vector<std::string>& out) const
{
    out.clear();
    // The component items of one text prefix (path and kind), gathered.
    struct Group {
        size_t first;
        std::vector<size_t> items;
    };
    std::map<std::string, Group> groups;
    std::vector<std::string> order;  // a prefix per item, empty when not a component
    order.reserve(mItems.size());
    for (size_t i = 0; i < mItems.size(); ++i) {
        const SelectionItem& it = mItems[i];
        if (!it.component || !store.isAlive(it.node)) {
            order.emplace_back();
            continue;
        }
        std::string prefix = componentPrefix(store, it);
        auto g = groups.emplace(prefix, Group{i, {}}).first;
        g->second.items.push_back(i);
        order.push_back(std::move(prefix));
    }
    std::vector<std::string> texts;
    for (size_t i = 0; i < mItems.size(); ++i) {
        if (order[i].empty()) {
            strings(store, i, texts);
            out.insert(out.end(), texts.begin(), texts.end());
            continue;
        }
        const Group& g = groups.find(order[i])->second;
        if (g.first != i)
            continue;
        if (g.items.size() == 1) {
            strings(store, i, texts);
            out.insert(out.end(), texts.begin(), texts.end());
            continue;
        }
        // A complete item stands for the whole group.
        bool complete = false;
        for (size_t k : g.items)
            complete = complete || mItems[k].component->complete;
        if (complete) {
            for (size_t k : g.items)
                if (mItems[k].component->complete) {
                    strings(store, k, texts);
                    out.insert(out.end(), texts.begin(), texts.end());
                    break;
                }
            continue;
        }
        const std::string& prefix = order[i];
        if (mItems[i].component->doubleIndexed()) {
            std::vector<std::pair<int, int>> pairs;
            for (size_t k : g.items)
                pairs.insert(pairs.end(), mItems[k].component->pairs.begin(), mItems[k].component->pairs.end());
            std::sort(pairs.begin(), pairs.end());
            pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
            for (const auto& p : pairs)
                out.push_back(prefix + "[" + std::to_string(p.first) + "][" + std::to_string(p.second) + "]");
            continue;
        }
        std::vector<int> indices;
        for (size_t k : g.items)
            indices.insert(indices.end(), mItems[k].component->single.begin(), mItems[k].component->single.end());
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        appendRuns(prefix, indices, out);
    }
}

} // namespace vesk
