// The DAG, creation-order and dependency-graph iterators.
#include <deque>
#include <unordered_set>

#include <vesk/MItDag.h>
#include <vesk/MItDependencyGraph.h>
#include <vesk/MItDependencyNodes.h>

#include "core/object_access.h"
#include "store/types.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::Path;
using vesk::PlugKey;
using vesk::PlugRef;
using vesk::report;
using vesk::store;

// ---- MItDag ---------------------------------------------------------------------

struct MItDag::Impl {
    TraversalType traversal;
    MFn::Type filter;
    bool done = true;
    // Depth first: the walk's stack (the world at the bottom) and, per level,
    // the next child to visit. The paths of the levels (the world's empty)
    // are made when asked, each from the one above it.
    std::vector<NodeId> stack;
    std::vector<size_t> nextChild;
    mutable std::vector<Path> paths;
    // Breadth first: every visited entry with the entry of its parent, and
    // its path once asked.
    struct Entry {
        NodeId node;
        long parent;
        mutable Path path;
    };
    std::vector<Entry> entries;
    size_t current = 0;

    void start()
    {
        stack.assign(1, store().world());
        nextChild.assign(1, 0);
        paths.assign(1, Path());
        entries.clear();
        current = 0;
        done = false;
        if (traversal == kBreadthFirst)
            for (NodeId c : store().children(store().world()))
                entries.push_back(Entry{c, -1, Path()});
        step(true);
    }

    // Moves to the next node of the walk (the first when first is true),
    // then on until one passes the filter.
    void step(bool first)
    {
        for (;;) {
            if (!(traversal == kDepthFirst ? advanceDepth() : advanceBreadth(first))) {
                done = true;
                return;
            }
            first = false;
            if (filter == MFn::kInvalid || store().kindOf(node())->isA(filter))
                return;
        }
    }

    bool advanceDepth()
    {
        while (!stack.empty()) {
            const NodeId top = stack.back();
            const std::vector<NodeId>& kids = store().children(top);
            size_t& pos = nextChild.back();
            if (store().isAlive(top) && pos < kids.size()) {
                stack.push_back(kids[pos++]);
                nextChild.push_back(0);
                return true;
            }
            stack.pop_back();
            nextChild.pop_back();
            if (paths.size() > stack.size())
                paths.pop_back();
        }
        return false;
    }

    bool advanceBreadth(bool first)
    {
        if (!first) {
            // Queue the children of the entry being left.
            const NodeId leaving = entries[current].node;
            for (NodeId c : store().children(leaving))
                entries.push_back(Entry{c, static_cast<long>(current), Path()});
            ++current;
        }
        while (current < entries.size() && !store().isAlive(entries[current].node))
            ++current;
        return current < entries.size();
    }

    NodeId node() const { return traversal == kDepthFirst ? stack.back() : entries[current].node; }

    const Path& path() const
    {
        if (traversal == kDepthFirst) {
            while (paths.size() < stack.size()) {
                Path below = paths.back();
                below.push_back(stack[paths.size()]);
                paths.push_back(std::move(below));
            }
            return paths.back();
        }
        // Up to the nearest entry with a path, then down making each.
        std::vector<size_t> missing;
        for (long e = static_cast<long>(current); e >= 0 && entries[static_cast<size_t>(e)].path.empty();
             e = entries[static_cast<size_t>(e)].parent)
            missing.push_back(static_cast<size_t>(e));
        for (size_t i = missing.size(); i-- > 0;) {
            const Entry& e = entries[missing[i]];
            Path p = e.parent < 0 ? Path() : entries[static_cast<size_t>(e.parent)].path;
            p.push_back(e.node);
            e.path = std::move(p);
        }
        return entries[current].path;
    }
};

MItDag::MItDag(TraversalType traversal, MFn::Type filter, MStatus* status) : mImpl(new Impl)
{
    mImpl->traversal = traversal;
    mImpl->filter = filter;
    if (traversal != kDepthFirst && traversal != kBreadthFirst) {
        report(status, MStatus::kInvalidParameter);
        return;
    }
    mImpl->start();
    report(status, MStatus::kSuccess);
}

MItDag::~MItDag()
{
    delete mImpl;
}

MStatus MItDag::reset()
{
    if (mImpl->traversal != kDepthFirst && mImpl->traversal != kBreadthFirst)
        return MStatus::kInvalidParameter;
    mImpl->start();
    return MStatus::kSuccess;
}

bool MItDag::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mImpl->done;
}

MStatus MItDag::next()
{
    if (mImpl->done)
        return MStatus::kFailure;
    mImpl->step(false);
    return MStatus::kSuccess;
}

MStatus MItDag::getPath(MDagPath& path) const
{
    if (mImpl->done)
        return MStatus::kFailure;
    path = ObjectAccess::path(mImpl->path());
    return MStatus::kSuccess;
}

MObject MItDag::currentItem(MStatus* status) const
{
    if (mImpl->done) {
        report(status, MStatus::kFailure);
        return MObject();
    }
    report(status, MStatus::kSuccess);
    return ObjectAccess::fromNode(mImpl->node());
}

MString MItDag::fullPathName(MStatus* status) const
{
    if (mImpl->done) {
        report(status, MStatus::kFailure);
        return MString();
    }
    report(status, MStatus::kSuccess);
    return MString(store().fullPathName(mImpl->path()).c_str());
}

MString MItDag::partialPathName(MStatus* status) const
{
    if (mImpl->done) {
        report(status, MStatus::kFailure);
        return MString();
    }
    report(status, MStatus::kSuccess);
    return MString(store().partialPathName(mImpl->path()).c_str());
}

unsigned int MItDag::depth(MStatus* status) const
{
    if (mImpl->done) {
        report(status, MStatus::kFailure);
        return 0;
    }
    report(status, MStatus::kSuccess);
    return static_cast<unsigned int>(mImpl->path().size());
}

// ---- MItDependencyNodes -------------------------------------------------------------

MItDependencyNodes::MItDependencyNodes(MFn::Type filter, MStatus* status) : mFilter(filter)
{
    reset();
    report(status, MStatus::kSuccess);
}

void MItDependencyNodes::advance()
{
    for (;;) {
        uint64_t seq = 0;
        const NodeId n = store().nextInCreationOrder(mSeq, &seq);
        if (!n.valid()) {
            mIndex = 0xFFFFFFFFu;
            return;
        }
        mSeq = seq;
        if (mFilter == MFn::kInvalid || store().kindOf(n)->isA(mFilter)) {
            mIndex = n.index;
            mGen = n.gen;
            return;
        }
    }
}

MStatus MItDependencyNodes::reset()
{
    mSeq = 0;
    advance();
    return MStatus::kSuccess;
}

bool MItDependencyNodes::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mIndex == 0xFFFFFFFFu;
}

MStatus MItDependencyNodes::next()
{
    if (mIndex == 0xFFFFFFFFu)
        return MStatus::kFailure;
    advance();
    return MStatus::kSuccess;
}

MObject MItDependencyNodes::thisNode(MStatus* status) const
{
    const MObject o = mIndex == 0xFFFFFFFFu ? MObject() : ObjectAccess::fromNode(NodeId{mIndex, mGen});
    report(status, o.isNull() ? MStatus::kFailure : MStatus::kSuccess);
    return o;
}

// ---- MItDependencyGraph -----------------------------------------------------------

struct MItDependencyGraph::Impl {
    NodeId root;
    PlugRef rootPlug;
    bool plugRoot = false;
    MFn::Type filter = MFn::kInvalid;
    Direction direction = kDownstream;
    Traversal traversal = kDepthFirst;
    Level level = kNodeLevel;
    bool valid = false;
    bool done = true;

    struct Visit {
        NodeId node;
        PlugRef via;
        bool hasVia = false;
        size_t nextConnection = 0;
    };
    std::vector<Visit> stack;
    std::deque<Visit> queue;
    std::unordered_set<uint32_t> seen;
    Visit current;

    // Whether a connection of the walk's start counts: at plug level from a
    // plug, only those at that plug or below it (children, elements).
    bool startCounts(const PlugKey& k) const
    {
        if (!plugRoot || level != kPlugLevel)
            return true;
        const PlugKey& r = rootPlug.key;
        if (!k.attr->isSelfOrDescendantOf(r.attr))
            return false;
        for (int l = 0; l < r.attr->levelCount(); ++l)
            if (r.idx[l] != vesk::kUnsetIndex && r.idx[l] != k.idx[l])
                return false;
        return true;
    }

    // The next unvisited neighbour of v, from its connection list.
    bool nextNeighbour(Visit& v, Visit& out)
    {
        const std::vector<uint32_t>& conns = store().connectionsOf(v.node);
        while (v.nextConnection < conns.size()) {
            const uint32_t id = conns[v.nextConnection++];
            if (id == vesk::kNoConnection)
                continue;
            const vesk::Connection& c = store().connection(id);
            if (!c.live)
                continue;
            const PlugRef& here = direction == kDownstream ? c.src : c.dst;
            const PlugRef& there = direction == kDownstream ? c.dst : c.src;
            if (here.node != v.node || (v.node == root && !v.hasVia && !startCounts(here.key)))
                continue;
            if (!seen.insert(there.node.index).second)
                continue;
            out = Visit{there.node, there, true, 0};
            return true;
        }
        return false;
    }

    bool passes(const Visit& v) const
    {
        return filter == MFn::kInvalid || (store().isAlive(v.node) && store().kindOf(v.node)->isA(filter));
    }

    void start()
    {
        stack.clear();
        queue.clear();
        seen.clear();
        done = !valid || !store().isAlive(root);
        if (done)
            return;
        const Visit first{root, PlugRef(), false, 0};
        seen.insert(root.index);
        if (traversal == kDepthFirst)
            stack.push_back(first);
        else
            queue.push_back(first);
        current = first;
        if (!passes(current))
            step();
    }

    // Moves to the next visited node that passes the filter.
    void step()
    {
        for (;;) {
            Visit next;
            bool found = false;
            if (traversal == kDepthFirst) {
                while (!stack.empty() && !found) {
                    found = nextNeighbour(stack.back(), next);
                    if (!found)
                        stack.pop_back();
                }
                if (found)
                    stack.push_back(next);
            } else {
                while (!queue.empty() && !found) {
                    // Queue every neighbour of the front, then visit the next.
                    Visit front = queue.front();
                    Visit n;
                    while (nextNeighbour(front, n))
                        queue.push_back(n);
                    queue.pop_front();
                    if (!queue.empty()) {
                        next = queue.front();
                        found = true;
                    }
                }
            }
            if (!found) {
                done = true;
                return;
            }
            current = next;
            if (passes(current))
                return;
        }
    }
};

namespace {

bool codesValid(MItDependencyGraph::Direction d, MItDependencyGraph::Traversal t, MItDependencyGraph::Level l)
{
    return (d == MItDependencyGraph::kDownstream || d == MItDependencyGraph::kUpstream) &&
           (t == MItDependencyGraph::kDepthFirst || t == MItDependencyGraph::kBreadthFirst) &&
           (l == MItDependencyGraph::kNodeLevel || l == MItDependencyGraph::kPlugLevel);
}

} // namespace

MItDependencyGraph::MItDependencyGraph(const MObject& rootNode, MFn::Type filter, Direction direction,
                                       Traversal traversal, Level level, MStatus* status)
    : mImpl(new Impl)
{
    mImpl->root = ObjectAccess::node(rootNode);
    mImpl->filter = filter;
    mImpl->direction = direction;
    mImpl->traversal = traversal;
    mImpl->level = level;
    mImpl->valid = mImpl->root.valid() && codesValid(direction, traversal, level);
    mImpl->start();
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
}

MItDependencyGraph::MItDependencyGraph(const MPlug& rootPlug, MFn::Type filter, Direction direction,
                                       Traversal traversal, Level level, MStatus* status)
    : mImpl(new Impl)
{
    mImpl->plugRoot = ObjectAccess::plugRef(rootPlug, mImpl->rootPlug);
    mImpl->root = mImpl->plugRoot ? mImpl->rootPlug.node : NodeId();
    mImpl->filter = filter;
    mImpl->direction = direction;
    mImpl->traversal = traversal;
    mImpl->level = level;
    mImpl->valid = mImpl->plugRoot && codesValid(direction, traversal, level);
    mImpl->start();
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
}

MItDependencyGraph::~MItDependencyGraph()
{
    delete mImpl;
}

MStatus MItDependencyGraph::reset()
{
    if (!mImpl->valid)
        return MStatus::kInvalidParameter;
    mImpl->start();
    return MStatus::kSuccess;
}

bool MItDependencyGraph::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mImpl->done;
}

MStatus MItDependencyGraph::next()
{
    if (mImpl->done)
        return MStatus::kFailure;
    mImpl->step();
    return mImpl->done ? MStatus::kFailure : MStatus::kSuccess;
}

MObject MItDependencyGraph::thisNode(MStatus* status) const
{
    if (mImpl->done) {
        report(status, MStatus::kFailure);
        return MObject();
    }
    report(status, MStatus::kSuccess);
    return ObjectAccess::fromNode(mImpl->current.node);
}

MPlug MItDependencyGraph::thisPlug(MStatus* status) const
{
    if (mImpl->done || !mImpl->current.hasVia) {
        report(status, MStatus::kFailure);
        return MPlug();
    }
    report(status, MStatus::kSuccess);
    return ObjectAccess::plug(mImpl->current.via.node, mImpl->current.via.key);
}

MObject MItDependencyGraph::rootNode(MStatus* status) const
{
    report(status, mImpl->valid ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return mImpl->valid ? ObjectAccess::fromNode(mImpl->root) : MObject();
}

MPlug MItDependencyGraph::rootPlug(MStatus* status) const
{
    report(status, mImpl->plugRoot ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return mImpl->plugRoot ? ObjectAccess::plug(mImpl->rootPlug.node, mImpl->rootPlug.key) : MPlug();
}
