// select: -cl empties the active selection, -r (the default) replaces it,
// -tgl toggles each item in order (a node named twice ends deselected;
// components toggle element by element). Every text is read first: an
// unknown one changes nothing. Toggling n items costs O(n) plus the held
// selection.
#include <unordered_map>

#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

uint64_t mix(uint64_t h, uint64_t v)
{
    return (h ^ v) * 0x9E3779B97F4A7C15ull + (h >> 29);
}

uint64_t nodeBits(const NodeId& n)
{
    return (uint64_t(n.gen) << 32) | n.index;
}

// Items of one target (node, path, plug, kind of component) share a hash;
// sameTarget tells them apart from a collision.
uint64_t targetHash(const SelectionItem& item)
{
    uint64_t h = mix(0, nodeBits(item.node));
    h = mix(h, reinterpret_cast<uintptr_t>(item.path.link()));
    h = mix(h, item.component ? uint64_t(item.component->apiType()) : ~0ull);
    h = mix(h, reinterpret_cast<uintptr_t>(item.plug.attr));
    for (uint32_t i : item.plug.idx)
        h = mix(h, i);
    return h;
}

int64_t elementKey(int u, int v)
{
    return (int64_t(uint32_t(u)) << 32) | uint32_t(v);
}

// One item of the toggled selection; components as an ordered set whose
// members switch on and off in O(1).
struct Toggled {
    SelectionItem item;
    // The kind of component (kInvalid for a whole object or a plug).
    MFn::Type type = MFn::kInvalid;
    bool present = true;
    std::vector<int64_t> order;
    std::unordered_map<int64_t, bool> on;

    bool sameTarget(const SelectionItem& other) const
    {
        const MFn::Type t = other.component ? other.component->apiType() : MFn::kInvalid;
        return item.node == other.node && item.path == other.path && type == t && item.plug == other.plug;
    }

    void flip(int64_t e)
    {
        auto it = on.find(e);
        if (it == on.end()) {
            order.push_back(e);
            on.emplace(e, true);
        } else {
            it->second = !it->second;
        }
    }
    void flipAll(const Component& c)
    {
        const bool two = c.doubleIndexed();
        if (c.complete)
            for (int u = 0; u < c.completeCount; ++u)
                for (int v = 0; v < (two ? c.completeCountV : 1); ++v)
                    flip(two ? elementKey(u, v) : u);
        for (const auto& p : c.pairs)
            flip(elementKey(p.first, p.second));
        for (int i : c.single)
            flip(i);
    }
    // The item as the selection holds it; false when nothing is left.
    bool result(SelectionItem& out) const
    {
        out = item;
        if (type == MFn::kInvalid)
            return present;
        Ref<Component> c(new Component(type));
        const bool two = c->doubleIndexed();
        for (int64_t e : order) {
            if (!on.at(e))
                continue;
            if (two)
                c->pairs.emplace_back(static_cast<int>(e >> 32), static_cast<int>(uint32_t(e)));
            else
                c->single.push_back(static_cast<int>(e));
        }
        out.component = c;
        return c->elementCount() > 0;
    }
};

void toggle(SelectionData& sel, const std::vector<SelectionItem>& items)
{
    std::vector<Toggled> held;
    held.reserve(sel.size() + items.size());
    std::unordered_map<uint64_t, size_t> byHash;
    byHash.reserve(sel.size() + items.size());
    // Targets whose hash another target took first (searched in turn).
    std::vector<size_t> collided;
    auto find = [&](const SelectionItem& it, uint64_t h) -> long {
        auto same = byHash.find(h);
        if (same == byHash.end())
            return -1;
        if (held[same->second].sameTarget(it))
            return static_cast<long>(same->second);
        for (size_t i : collided)
            if (held[i].sameTarget(it))
                return static_cast<long>(i);
        return -1;
    };
    auto take = [&](const SelectionItem& it) {
        const uint64_t h = targetHash(it);
        long at = find(it, h);
        if (at < 0) {
            Toggled t;
            t.item = it;
            t.item.component = Ref<Component>();
            t.type = it.component ? it.component->apiType() : MFn::kInvalid;
            at = static_cast<long>(held.size());
            if (!byHash.emplace(h, held.size()).second)
                collided.push_back(held.size());
            held.push_back(std::move(t));
            if (!it.component)
                return;
        } else if (!it.component) {
            held[static_cast<size_t>(at)].present = !held[static_cast<size_t>(at)].present;
            return;
        }
        held[static_cast<size_t>(at)].flipAll(*it.component);
    };
    // What is held goes in first (flipping onto an empty set adds).
    for (size_t i = 0; i < sel.size(); ++i)
        take(sel.item(i));
    for (const SelectionItem& it : items)
        take(it);
    std::vector<SelectionItem> out;
    out.reserve(held.size());
    for (const Toggled& t : held) {
        SelectionItem item;
        if (t.result(item))
            out.push_back(item);
    }
    sel.assign(std::move(out));
}

const FlagSpec kSelectFlags[] = {
    {"clear", "cl", "", 0},
    {"toggle", "tgl", "", 0},
    {"replace", "r", "", 0},
};

MStatus runSelect(const BoundArgs& args, CommandResult&)
{
    SelectionData& sel = store().activeSelection();
    std::vector<Address> targets;
    MStatus status;
    if (!readAddresses(args.positionals, targets, status))
        return status;
    if (args.has("clear")) {
        sel.clear();
        return MStatus::kSuccess;
    }
    std::vector<SelectionItem> items;
    items.reserve(targets.size());
    for (const Address& a : targets)
        items.push_back(itemOf(a));
    if (args.has("toggle")) {
        toggle(sel, items);
        return MStatus::kSuccess;
    }
    sel.clear();
    for (const SelectionItem& it : items)
        sel.add(it, true);
    return MStatus::kSuccess;
}

const CommandSpec kSelectCommands[] = {
    {"select", kSelectFlags, sizeof kSelectFlags / sizeof kSelectFlags[0], runSelect, nullptr},
};

} // namespace

void registerSelectCommand(Interpreter& interp)
{
    addCommands(interp, kSelectCommands);
}

} // namespace vesk
