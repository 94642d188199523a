#include "store/selection.h"

#include <algorithm>
#include <unordered_set>

namespace vesk {
namespace {

uint64_t nodeKey(NodeId n)
{
    return (uint64_t(n.gen) << 32) | n.index;
}

uint64_t wholeKey(NodeId node, const Path& path)
{
    uint64_t h = nodeKey(node);
    for (NodeId p : path)
        h = h * 0x9E3779B97F4A7C15ull + nodeKey(p);
    return h;
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
                                    return std::find(it.path.begin(), it.path.end(), node) != it.path.end();
                                }),
                 mItems.end());
    if (mItems.size() != before)
        mDirty = true;
}

void SelectionData::strings(const NodeStore& store, size_t i, std::vector<std::string>& out) const
{
    out.clear();
    if (i >= mItems.size())
        return;
    const SelectionItem& it = mItems[i];
    if (!store.isAlive(it.node))
        return;
    std::string base = it.path.empty() ? store.name(it.node) : store.partialPathName(it.path);
    // Components of a transform's first shape are written on the transform,
    // which stands for that shape when read back.
    if (it.component && it.path.size() >= 2 && store.firstShape(it.path[it.path.size() - 2]) == it.node)
        base = store.partialPathName(Path(it.path.begin(), it.path.end() - 1));
    if (it.plug.attr) {
        out.push_back(base + "." + store.plugPath(it.node, it.plug, true, false));
        return;
    }
    if (!it.component) {
        out.push_back(base);
        return;
    }
    const Component& c = *it.component;
    const char* word = NodeStore::componentWord(c.apiType());
    const std::string prefix = base + "." + (word ? word : "vtx");
    auto range = [](long long a, long long b) {
        return a == b ? "[" + std::to_string(a) + "]" : "[" + std::to_string(a) + ":" + std::to_string(b) + "]";
    };
    if (c.doubleIndexed()) {
        if (c.complete) {
            if (c.completeCount > 0 && c.completeCountV > 0)
                out.push_back(prefix + range(0, c.completeCount - 1) + range(0, c.completeCountV - 1));
            return;
        }
        for (const auto& p : c.pairs)
            out.push_back(prefix + "[" + std::to_string(p.first) + "][" + std::to_string(p.second) + "]");
        return;
    }
    if (c.complete) {
        if (c.completeCount > 0)
            out.push_back(prefix + range(0, c.completeCount - 1));
        return;
    }
    // One text per run of consecutive ascending indices, in element order.
    size_t k = 0;
    while (k < c.single.size()) {
        size_t end = k;
        while (end + 1 < c.single.size() && c.single[end + 1] == c.single[end] + 1)
            ++end;
        out.push_back(prefix + range(c.single[k], c.single[end]));
        k = end + 1;
    }
}

} // namespace vesk
