#include "store/path.h"

#include <unordered_set>

namespace vesk {
namespace {

struct LinkHash {
    size_t operator()(const PathLink* l) const
    {
        uint64_t h = reinterpret_cast<uintptr_t>(l->parent);
        h = h * 0x9E3779B97F4A7C15ull + l->node.index;
        h = h * 0x9E3779B97F4A7C15ull + l->node.gen;
        return std::hash<uint64_t>()(h);
    }
};

struct LinkEqual {
    bool operator()(const PathLink* a, const PathLink* b) const
    {
        return a->parent == b->parent && a->node == b->node;
    }
};

typedef std::unordered_set<const PathLink*, LinkHash, LinkEqual> LinkTable;

LinkTable& links()
{
    // Never destroyed: paths held by static objects of modules may outlive
    // any destruction order.
    static LinkTable* table = new LinkTable;
    return *table;
}

// The link of parent followed by n, with one reference for the caller.
const PathLink* intern(const PathLink* parent, NodeId n)
{
    const PathLink probe{parent, n, 0, 0, 0, false, false};
    LinkTable& table = links();
    auto it = table.find(&probe);
    if (it != table.end()) {
        ++(*it)->refs;
        return *it;
    }
    retainPathLink(parent);
    const PathLink* made = new PathLink{parent, n, parent ? parent->depth + 1 : 1, 1, 0, false, false};
    table.insert(made);
    return made;
}

} // namespace

void retainPathLink(const PathLink* link)
{
    if (link)
        ++link->refs;
}

void releasePathLink(const PathLink* link)
{
    // Up the chain without recursion: a deep path may be freed on a small stack.
    while (link && --link->refs == 0) {
        const PathLink* parent = link->parent;
        links().erase(link);
        delete link;
        link = parent;
    }
}

Path::Path(std::initializer_list<NodeId> nodes)
{
    for (NodeId n : nodes)
        push_back(n);
}

Path::Path(const Path& other) : mLink(other.mLink)
{
    retainPathLink(mLink);
}

Path& Path::operator=(const Path& other)
{
    retainPathLink(other.mLink);
    releasePathLink(mLink);
    mLink = other.mLink;
    return *this;
}

Path& Path::operator=(Path&& other) noexcept
{
    if (this != &other) {
        releasePathLink(mLink);
        mLink = other.mLink;
        other.mLink = nullptr;
    }
    return *this;
}

Path::~Path()
{
    releasePathLink(mLink);
}

Path Path::of(const std::vector<NodeId>& nodes)
{
    Path out;
    for (NodeId n : nodes)
        out.push_back(n);
    return out;
}

Path Path::adopt(const PathLink* link)
{
    Path out;
    out.mLink = link;
    return out;
}

void Path::push_back(NodeId n)
{
    const PathLink* made = intern(mLink, n);
    releasePathLink(mLink);
    mLink = made;
}

void Path::pop_back()
{
    if (mLink)
        *this = parent();
}

Path Path::parent() const
{
    const PathLink* p = mLink ? mLink->parent : nullptr;
    retainPathLink(p);
    return adopt(p);
}

Path Path::prefix(size_t n) const
{
    const PathLink* l = mLink;
    while (l && l->depth > n)
        l = l->parent;
    retainPathLink(l);
    return adopt(l);
}

std::vector<NodeId> Path::nodes() const
{
    std::vector<NodeId> out(size());
    for (const PathLink* l = mLink; l; l = l->parent)
        out[l->depth - 1] = l->node;
    return out;
}

std::vector<Path> Path::prefixes() const
{
    std::vector<Path> out(size());
    for (const PathLink* l = mLink; l; l = l->parent) {
        retainPathLink(l);
        out[l->depth - 1] = adopt(l);
    }
    return out;
}

bool Path::contains(NodeId n) const
{
    for (const PathLink* l = mLink; l; l = l->parent)
        if (l->node == n)
            return true;
    return false;
}

} // namespace vesk
