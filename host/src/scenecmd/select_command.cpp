// select: -cl empties the active selection, -r (the default) replaces it,
// -tgl toggles each item in order (a node named twice ends deselected;
// components toggle element by element). Every text is read first: an
// unknown one changes nothing. Toggling n items costs O(n) plus the held
// selection.
#include <cstring>
#include <unordered_map>

#include "scenecmd/scene_commands_impl.h"

namespace vesk {
namespace {

void appendBytes(std::string& key, const void* p, size_t n)
{
    key.append(static_cast<const char*>(p), n);
}

// Items of one target (node, path, plug, kind of component) share a key.
std::string targetKey(const SelectionItem& item)
{
    std::string key;
    appendBytes(key, &item.node, sizeof item.node);
    for (const NodeId& n : item.path)
        appendBytes(key, &n, sizeof n);
    const int type = item.component ? static_cast<int>(item.component->apiType()) : -1;
    appendBytes(key, &type, sizeof type);
    const Attribute* attr = item.plug.attr;
    appendBytes(key, &attr, sizeof attr);
    appendBytes(key, item.plug.idx, sizeof item.plug.idx);
    return key;
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
    std::unordered_map<std::string, size_t> byKey;
    auto take = [&](const SelectionItem& it) {
        const std::string key = targetKey(it);
        auto same = byKey.find(key);
        if (same == byKey.end()) {
            Toggled t;
            t.item = it;
            t.item.component = Ref<Component>();
            t.type = it.component ? it.component->apiType() : MFn::kInvalid;
            same = byKey.emplace(key, held.size()).first;
            held.push_back(std::move(t));
            if (!it.component)
                return;
        } else if (!it.component) {
            held[same->second].present = !held[same->second].present;
            return;
        }
        held[same->second].flipAll(*it.component);
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
