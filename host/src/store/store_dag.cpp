// Node store: the DAG, paths and their names, transform matrices.
#include <algorithm>

#include <vesk/MTransformationMatrix.h>

#include "store/store_impl.h"

namespace vesk {
namespace {

const std::vector<NodeId> kNoNodes;

} // namespace

const std::vector<NodeId>& NodeStore::parents(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->parents : kNoNodes;
}

const std::vector<NodeId>& NodeStore::children(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->children : kNoNodes;
}

NodeId NodeStore::childNamed(NodeId parent, const std::string& name) const
{
    auto it = mSiblingNames.find(siblingKey(parent, name));
    return it == mSiblingNames.end() ? NodeId() : it->second;
}

void NodeStore::linkChild(NodeId parent, NodeId child, int index)
{
    NodeRecord* p = record(parent);
    NodeRecord* c = record(child);
    if (index < 0 || static_cast<size_t>(index) > p->children.size())
        p->children.push_back(child);
    else
        p->children.insert(p->children.begin() + index, child);
    // A new node's links change no path that exists; an instance does.
    if (!c->parents.empty())
        ++mDagEpoch;
    c->parents.push_back(parent);
    if (c->parents.size() == 2)
        ++mMultiParent;
    mSiblingNames[siblingKey(parent, c->name)] = child;
}

void NodeStore::unlinkChild(NodeId parent, NodeId child)
{
    NodeRecord* p = record(parent);
    NodeRecord* c = record(child);
    ++mDagEpoch;
    // From the back: deletions (and a new scene) take the youngest first.
    if (p) {
        auto it = std::find(p->children.rbegin(), p->children.rend(), child);
        if (it != p->children.rend())
            p->children.erase(std::next(it).base());
    }
    if (c) {
        auto it = std::find(c->parents.begin(), c->parents.end(), parent);
        if (it != c->parents.end()) {
            c->parents.erase(it);
            if (c->parents.size() == 1)
                --mMultiParent;
        }
        auto sib = mSiblingNames.find(siblingKey(parent, c->name));
        if (sib != mSiblingNames.end() && sib->second == child)
            mSiblingNames.erase(sib);
    }
}

bool NodeStore::isAncestor(NodeId a, NodeId n) const
{
    // A node without children is nobody's ancestor: new nodes are put under
    // deep parents without walking up.
    if (children(a).empty())
        return false;
    std::vector<NodeId> stack{n};
    std::unordered_set<uint32_t> seen;
    while (!stack.empty()) {
        const NodeId cur = stack.back();
        stack.pop_back();
        for (NodeId p : parents(cur)) {
            if (p == a)
                return true;
            if (seen.insert(p.index).second)
                stack.push_back(p);
        }
    }
    return false;
}

MStatus NodeStore::addChild(NodeId parent, NodeId child, int index, bool keepExisting)
{
    NodeRecord* p = record(parent);
    NodeRecord* c = record(child);
    if (!p || !c || !p->kind->isDag() || !c->kind->isDag() || child == mWorld || parent == child)
        return MStatus::kInvalidParameter;
    const bool already = std::find(p->children.begin(), p->children.end(), child) != p->children.end();
    if (already && keepExisting)
        return MStatus::kInvalidParameter;
    if (isAncestor(child, parent))
        return MStatus::kInvalidParameter;
    if (!keepExisting) {
        const std::vector<NodeId> old = c->parents;
        for (NodeId q : old)
            unlinkChild(q, child);
        releaseNumber(record(child)->name, true, old);
    }
    // A child moved within its parent keeps its name.
    const bool clash = !already && childNamed(parent, record(child)->name).valid();
    if (clash) {
        // Renamed as if newly named under all its parents, the new one included.
        NodeRecord* cr = record(child);
        unindexName(child);
        std::vector<NodeId> scope = cr->parents;
        scope.insert(scope.begin(), parent);
        cr->name = uniqueName(cr->name, true, scope);
        indexName(child);
    }
    linkChild(parent, child, index);
    return MStatus::kSuccess;
}

MStatus NodeStore::removeChild(NodeId parent, NodeId child)
{
    NodeRecord* p = record(parent);
    if (!p || !record(child))
        return MStatus::kInvalidParameter;
    if (std::find(p->children.begin(), p->children.end(), child) == p->children.end())
        return MStatus::kInvalidParameter;
    unlinkChild(parent, child);
    releaseNumber(record(child)->name, true, std::vector<NodeId>{parent});
    if (record(child)->parents.empty())
        return addChild(mWorld, child, -1, true);
    return MStatus::kSuccess;
}

NodeId NodeStore::firstShape(NodeId n) const
{
    for (NodeId c : children(n)) {
        const NodeRecord* r = record(c);
        if (r && !r->intermediate && r->kind->isA(MFn::kShape))
            return c;
    }
    return NodeId();
}

void NodeStore::checkPath(const PathLink* link) const
{
    // The links not checked in this epoch, last first; then checked from
    // the top down, each against its checked parent.
    std::vector<const PathLink*> stale;
    for (const PathLink* l = link; l && l->checkedAt != mDagEpoch; l = l->parent)
        stale.push_back(l);
    for (size_t i = stale.size(); i-- > 0;) {
        const PathLink* l = stale[i];
        const NodeId parent = l->parent ? l->parent->node : mWorld;
        const NodeRecord* r = record(l->node);
        l->valid = (!l->parent || l->parent->valid) && r && l->node != mWorld &&
                   std::find(r->parents.begin(), r->parents.end(), parent) != r->parents.end();
        l->instanced = (l->parent && l->parent->instanced) || (r && r->parents.size() > 1);
        l->checkedAt = mDagEpoch;
    }
}

bool NodeStore::pathValid(const Path& p) const
{
    const PathLink* l = p.link();
    if (!l)
        return false;
    if (l->checkedAt != mDagEpoch)
        checkPath(l);
    return l->valid;
}

bool NodeStore::pathInstanced(const Path& p) const
{
    return pathValid(p) && p.link()->instanced;
}

bool NodeStore::firstPathOfChain(NodeId n, Path& out) const
{
    // Up while the nodes have one parent and no path of this epoch; each
    // node on the way then gets its path from its parent's.
    std::vector<NodeId> stale;
    Path base;
    for (NodeId cur = n; cur != mWorld;) {
        const NodeRecord* r = record(cur);
        if (r->firstPathAt == mDagEpoch) {
            base = r->firstPath;
            break;
        }
        if (r->parents.size() != 1)
            return false;
        stale.push_back(cur);
        cur = r->parents[0];
    }
    for (size_t i = stale.size(); i-- > 0;) {
        const NodeRecord* r = record(stale[i]);
        base.push_back(stale[i]);
        r->firstPath = base;
        r->firstPathAt = mDagEpoch;
    }
    out = base;
    return true;
}

namespace {

// Position of child among the children of parent (the DFS order key).
size_t childPosition(const std::vector<NodeId>& siblings, NodeId child)
{
    return static_cast<size_t>(std::find(siblings.begin(), siblings.end(), child) - siblings.begin());
}

} // namespace

void NodeStore::allPaths(NodeId n, std::vector<Path>& out) const
{
    out.clear();
    const NodeRecord* r = record(n);
    if (!r || n == mWorld || !r->kind->isDag())
        return;
    // One parent all the way up: the node has one path.
    Path single;
    if (firstPathOfChain(n, single)) {
        out.push_back(single);
        return;
    }
    // Instanced somewhere above: enumerate, then order as a depth-first walk
    // from the world meets them.
    std::vector<Path> partial;
    for (NodeId p : r->parents) {
        if (p == mWorld) {
            out.push_back(Path{n});
            continue;
        }
        allPaths(p, partial);
        for (Path& q : partial) {
            q.push_back(n);
            out.push_back(std::move(q));
        }
    }
    std::vector<std::pair<std::vector<size_t>, size_t>> keys;
    for (size_t i = 0; i < out.size(); ++i) {
        std::vector<size_t> key;
        NodeId parent = mWorld;
        for (NodeId x : out[i].nodes()) {
            key.push_back(childPosition(children(parent), x));
            parent = x;
        }
        keys.emplace_back(std::move(key), i);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<Path> sorted;
    sorted.reserve(out.size());
    for (const auto& k : keys)
        sorted.push_back(out[k.second]);
    out.swap(sorted);
}

bool NodeStore::firstPath(NodeId n, Path& out) const
{
    const NodeRecord* r = record(n);
    if (!r || n == mWorld || !r->kind->isDag())
        return false;
    if (firstPathOfChain(n, out))
        return true;
    std::vector<Path> all;
    allPaths(n, all);
    if (all.empty())
        return false;
    out = all[0];
    return true;
}

int NodeStore::instanceNumber(const Path& p) const
{
    if (!pathValid(p))
        return -1;
    if (!p.link()->instanced)
        return 0;
    std::vector<Path> all;
    allPaths(p.back(), all);
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == p)
            return static_cast<int>(i);
    return -1;
}

std::string NodeStore::fullPathName(const Path& p) const
{
    const PathLink* link = p.link();
    if (!link)
        return std::string();
    if (mRecentNamesAt != mNameEpoch) {
        for (RecentName& r : mRecentNames)
            r = RecentName();
        mRecentNamesAt = mNameEpoch;
    }
    const RecentName* parent = nullptr;
    for (const RecentName& r : mRecentNames) {
        if (r.path.link() == link)
            return r.name;
        if (link->parent && r.path.link() == link->parent)
            parent = &r;
    }
    RecentName made;
    const std::string& last = name(link->node);
    if (parent) {
        made.name.reserve(parent->name.size() + 1 + last.size());
        made.name = parent->name;
        made.name += '|';
        made.name += last;
        made.hasBar = parent->hasBar || last.find('|') != std::string::npos;
    } else {
        // The names gathered in one walk up, then copied top down into a
        // string sized once.
        std::vector<const std::string*> names(p.size());
        size_t length = 0;
        for (const PathLink* l = link; l; l = l->parent) {
            const std::string* n = &name(l->node);
            names[l->depth - 1] = n;
            length += 1 + n->size();
        }
        made.name.reserve(length);
        for (const std::string* n : names) {
            made.name += '|';
            made.name += *n;
            made.hasBar = made.hasBar || n->find('|') != std::string::npos;
        }
    }
    made.path = p;
    RecentName& slot = mRecentNames[mRecentNext];
    mRecentNext = (mRecentNext + 1) % kRecentNames;
    slot = std::move(made);
    return slot.name;
}

bool NodeStore::recentPathNamed(std::string_view text, Path& out) const
{
    if (mMultiParent != 0 || mRecentNamesAt != mNameEpoch)
        return false;
    // Names are unique among siblings, so a full name without instancing
    // names one path at most.
    for (const RecentName& r : mRecentNames)
        if (!r.path.empty() && !r.hasBar && r.name == text && pathValid(r.path)) {
            out = r.path;
            return true;
        }
    return false;
}

size_t NodeStore::pathCountCapped(NodeId n) const
{
    const std::vector<NodeId>& ps = parents(n);
    if (ps.empty())
        return 0;
    Path ignored;
    return firstPathOfChain(n, ignored) ? 1 : 2;
}

void NodeStore::pathsEndingWith(const std::vector<std::string_view>& names, size_t max, std::vector<Path>& out) const
{
    out.clear();
    const bool anchored = !names.empty() && names[0].empty();
    const size_t first = anchored ? 1 : 0;
    const size_t t = names.size() - first;
    if (t == 0 || max == 0)
        return;
    if (mMultiParent == 0) {
        // Every node has one path: the nodes of the last name whose
        // ancestors bear the names before it, compared in place.
        for (NodeId x : nodesNamed(std::string(names.back()))) {
            const NodeRecord* xr = record(x);
            if (!xr || !xr->kind->isDag())
                continue;
            NodeId top = x;
            bool ok = true;
            for (size_t m = names.size() - 1; ok && m-- > first;) {
                top = record(top)->parents[0];
                ok = top != mWorld && name(top) == names[m];
            }
            if (!ok || (anchored && record(top)->parents[0] != mWorld))
                continue;
            Path found;
            firstPathOfChain(x, found);
            out.push_back(found);
            if (out.size() >= max)
                return;
        }
        return;
    }
    // Start from the name with the fewest nodes; the chain below it is
    // unique (names are unique among siblings), the part above is searched.
    auto named = [this](std::string_view n) -> const std::vector<NodeId>& { return nodesNamed(std::string(n)); };
    size_t j = first;
    for (size_t i = first; i < names.size(); ++i)
        if (named(names[i]).size() < named(names[j]).size())
            j = i;
    const std::vector<NodeId> starts = named(names[j]);
    for (NodeId x : starts) {
        const NodeRecord* xr = record(x);
        if (!xr || !xr->kind->isDag())
            continue;
        std::vector<NodeId> below{x};
        bool ok = true;
        for (size_t m = j + 1; m < names.size() && ok; ++m) {
            const NodeId c = childNamed(below.back(), std::string(names[m]));
            ok = c.valid();
            if (ok)
                below.push_back(c);
        }
        if (!ok)
            continue;
        // Upward: match names[j-1 .. first], then any path to the world.
        std::vector<std::vector<NodeId>> uppers{std::vector<NodeId>{}};
        for (size_t m = j; m-- > first;) {
            std::vector<std::vector<NodeId>> next;
            for (const std::vector<NodeId>& u : uppers) {
                const NodeId top = u.empty() ? x : u.front();
                for (NodeId p : parents(top))
                    if (p != mWorld && name(p) == names[m]) {
                        std::vector<NodeId> q{p};
                        q.insert(q.end(), u.begin(), u.end());
                        next.push_back(std::move(q));
                    }
            }
            uppers.swap(next);
        }
        for (const std::vector<NodeId>& u : uppers) {
            const NodeId top = u.empty() ? x : u.front();
            std::vector<NodeId> tail = u;
            tail.insert(tail.end(), below.begin(), below.end());
            if (anchored) {
                const std::vector<NodeId>& ps = parents(top);
                if (std::find(ps.begin(), ps.end(), mWorld) != ps.end())
                    out.push_back(Path::of(tail));
            } else {
                std::vector<Path> heads;
                allPaths(top, heads);
                for (Path& h : heads) {
                    h.pop_back();
                    for (NodeId n : tail)
                        h.push_back(n);
                    out.push_back(std::move(h));
                    if (out.size() >= max)
                        return;
                }
            }
            if (out.size() >= max)
                return;
        }
    }
}

std::string NodeStore::partialPathName(const Path& p) const
{
    if (p.empty())
        return std::string();
    // Two nodes of one name, or an instanced node, are never named alone.
    // A valid path knows whether a node on it has several parents.
    const std::string& last = name(p.back());
    const bool single = pathValid(p) ? !p.link()->instanced : pathCountCapped(p.back()) == 1;
    if (single && nodesNamed(last).size() == 1)
        return last;
    std::vector<std::string_view> names;
    for (NodeId n : p.nodes())
        names.push_back(name(n));
    std::vector<Path> found;
    for (size_t t = 2; t <= names.size(); ++t) {
        const std::vector<std::string_view> tail(names.end() - static_cast<long>(t), names.end());
        pathsEndingWith(tail, 2, found);
        if (found.size() != 1)
            continue;
        std::string out;
        for (size_t i = 0; i < tail.size(); ++i) {
            if (i)
                out += '|';
            out += tail[i];
        }
        return out;
    }
    return fullPathName(p);
}

bool NodeStore::pathHasFn(const Path& p, MFn::Type t) const
{
    if (p.empty())
        return false;
    const Kind* k = kindOf(p.back());
    if (!k)
        return false;
    if (k->isA(t))
        return true;
    if (k->isA(MFn::kTransform)) {
        const NodeId s = firstShape(p.back());
        return s.valid() && kindOf(s)->isA(t);
    }
    return false;
}

MMatrix NodeStore::localMatrix(NodeId n) const
{
    return transformation(n).asMatrix();
}

MTransformationMatrix NodeStore::transformation(NodeId n) const
{
    const Kind* k = kindOf(n);
    if (!k || !k->isA(MFn::kTransform))
        return MTransformationMatrix();
    NodeStore& self = const_cast<NodeStore&>(*this);
    auto number = [&](const char* attrName, double fallback) {
        PlugKey key;
        key.attr = findAttribute(n, attrName);
        Value v;
        if (!key.attr || !self.readValue(n, key, v) || v.kind != Value::kNumber)
            return fallback;
        return v.number;
    };
    auto vec = [&](const char* x, const char* y, const char* z, double fallback) {
        return MVector(number(x, fallback), number(y, fallback), number(z, fallback));
    };
    MTransformationMatrix tm;
    tm.setTranslation(vec("translateX", "translateY", "translateZ", 0.0), MSpace::kTransform);
    const double angles[3] = {number("rotateX", 0.0), number("rotateY", 0.0), number("rotateZ", 0.0)};
    int order = static_cast<int>(number("rotateOrder", 1.0));
    if (order < 1 || order > 6)
        order = 1;
    tm.setRotation(angles, static_cast<MTransformationMatrix::RotationOrder>(order));
    const double scale[3] = {number("scaleX", 1.0), number("scaleY", 1.0), number("scaleZ", 1.0)};
    tm.setScale(scale, MSpace::kTransform);
    tm.setRotateOrientation(MEulerRotation(vec("rotateAxisX", "rotateAxisY", "rotateAxisZ", 0.0)).asQuaternion(),
                            MSpace::kTransform);
    tm.setJointOrientation(
        MEulerRotation(vec("jointOrientX", "jointOrientY", "jointOrientZ", 0.0)).asQuaternion());
    tm.setRotatePivot(MPoint(vec("rotatePivotX", "rotatePivotY", "rotatePivotZ", 0.0)), MSpace::kTransform);
    tm.setRotatePivotTranslation(vec("rotatePivotTranslateX", "rotatePivotTranslateY", "rotatePivotTranslateZ", 0.0),
                                 MSpace::kTransform);
    tm.setScalePivot(MPoint(vec("scalePivotX", "scalePivotY", "scalePivotZ", 0.0)), MSpace::kTransform);
    tm.setScalePivotTranslation(vec("scalePivotTranslateX", "scalePivotTranslateY", "scalePivotTranslateZ", 0.0),
                                MSpace::kTransform);
    return tm;
}

MMatrix NodeStore::inclusiveMatrix(const Path& p) const
{
    MMatrix m;
    for (const PathLink* l = p.link(); l; l = l->parent)
        m = m * localMatrix(l->node);
    return m;
}

} // namespace vesk
