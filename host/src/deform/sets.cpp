// Set members: storage, merging, shading groups.
#include <algorithm>
#include <cstring>

#include "deform/deform_kinds.h"
#include "store/types.h"

namespace vesk {
namespace {

std::vector<NodeId>& registry()
{
    // Never destroyed, as the store itself.
    static std::vector<NodeId>* sets = new std::vector<NodeId>;
    return *sets;
}

void appendId(std::string& key, NodeId n)
{
    char bytes[8];
    std::memcpy(bytes, &n.index, 4);
    std::memcpy(bytes + 4, &n.gen, 4);
    key.append(bytes, 8);
}

// The key of a member: its path (or node) and its kind of component.
std::string keyOf(const SetMember& m)
{
    std::string key;
    const MFn::Type type = m.component ? m.component->apiType() : MFn::kInvalid;
    key.append(reinterpret_cast<const char*>(&type), sizeof type);
    if (m.path.empty()) {
        key += 'n';
        appendId(key, m.node);
    } else {
        // Equal paths share their link, which the member keeps alive.
        const PathLink* link = m.path.link();
        key += 'p';
        key.append(reinterpret_cast<const char*>(&link), sizeof link);
    }
    return key;
}

// The number of elements of a component kind on a node (per index), or
// false when unknown.
bool extentOf(NodeId node, MFn::Type type, int& count, int& countV)
{
    const Kind* k = store().kindOf(node);
    return k && k->componentExtent && k->componentExtent(store(), node, type, count, countV);
}

// A sorted list of the component's elements; complete data is listed.
Ref<Component> sortedCopy(const Component& c)
{
    Ref<Component> out(new Component(c.apiType()));
    if (c.complete) {
        out->complete = true;
        out->completeCount = c.completeCount;
        out->completeCountV = c.completeCountV;
        return out;
    }
    out->single = c.single;
    out->pairs = c.pairs;
    std::sort(out->single.begin(), out->single.end());
    out->single.erase(std::unique(out->single.begin(), out->single.end()), out->single.end());
    std::sort(out->pairs.begin(), out->pairs.end());
    out->pairs.erase(std::unique(out->pairs.begin(), out->pairs.end()), out->pairs.end());
    return out;
}

// The elements of complete data of a component kind on a node.
bool listAll(NodeId node, MFn::Type type, int countU, int countV, Component& out)
{
    if (countU < 0 && !extentOf(node, type, countU, countV))
        return false;
    out.complete = false;
    out.single.clear();
    out.pairs.clear();
    if (out.doubleIndexed()) {
        for (int u = 0; u < countU; ++u)
            for (int v = 0; v < countV; ++v)
                out.pairs.emplace_back(u, v);
    } else {
        for (int i = 0; i < countU; ++i)
            out.single.push_back(i);
    }
    return true;
}

template <class T>
std::vector<T> sortedUnion(const std::vector<T>& a, const std::vector<T>& b)
{
    std::vector<T> out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

template <class T>
std::vector<T> sortedDifference(const std::vector<T>& a, const std::vector<T>& b)
{
    std::vector<T> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

} // namespace

SetMembers::SetMembers(NodeId self, int restriction) : mSelf(self), mRestriction(restriction)
{
    registry().push_back(self);
}

SetMembers::~SetMembers()
{
    std::vector<NodeId>& sets = registry();
    sets.erase(std::remove(sets.begin(), sets.end(), mSelf), sets.end());
}

bool SetMembers::live(const SetMember& m)
{
    return m.path.empty() ? store().isAlive(m.node) : store().pathValid(m.path);
}

long SetMembers::position(const SetMember& key) const
{
    auto it = mByKey.find(keyOf(key));
    return it == mByKey.end() ? -1 : static_cast<long>(it->second);
}

const SetMember* SetMembers::find(const SetMember& key) const
{
    const long at = position(key);
    return at < 0 ? nullptr : &mMembers[static_cast<size_t>(at)];
}

void SetMembers::reindex()
{
    mByKey.clear();
    for (size_t i = 0; i < mMembers.size(); ++i)
        mByKey[keyOf(mMembers[i])] = i;
}

void SetMembers::add(const SetMember& m)
{
    SetMember whole = m;
    whole.component = Ref<Component>();
    if (m.component && position(whole) >= 0)
        return;
    const long at = position(m);
    if (at < 0 && !m.component) {
        // A whole member absorbs the component members of its path.
        const size_t before = mMembers.size();
        mMembers.erase(std::remove_if(mMembers.begin(), mMembers.end(),
                                      [&](const SetMember& h) {
                                          return h.component && h.path == m.path && h.node == m.node;
                                      }),
                       mMembers.end());
        if (mMembers.size() != before)
            reindex();
    }
    if (at < 0) {
        SetMember held = m;
        if (m.component)
            held.component = sortedCopy(*m.component);
        mByKey[keyOf(held)] = mMembers.size();
        mMembers.push_back(held);
        return;
    }
    if (!m.component)
        return;
    SetMember& held = mMembers[static_cast<size_t>(at)];
    if (held.component->complete)
        return;
    const Ref<Component> added = sortedCopy(*m.component);
    if (added->complete) {
        held.component = added;
        return;
    }
    held.component->single = sortedUnion(held.component->single, added->single);
    held.component->pairs = sortedUnion(held.component->pairs, added->pairs);
    held.component->changed();
}

bool SetMembers::remove(const SetMember& m)
{
    SetMember whole = m;
    whole.component = Ref<Component>();
    const long wholeAt = position(whole);
    if (!m.component) {
        if (wholeAt < 0)
            return false;
        mMembers.erase(mMembers.begin() + wholeAt);
        reindex();
        return true;
    }
    long at = position(m);
    if (at < 0 && wholeAt < 0)
        return false;
    Ref<Component> rest(new Component(m.component->apiType()));
    if (at < 0 || mMembers[static_cast<size_t>(at)].component->complete) {
        // A whole member (or complete data) keeps every other element.
        const Component* held = at < 0 ? nullptr : mMembers[static_cast<size_t>(at)].component.get();
        if (!listAll(m.path.empty() ? m.node : m.path.back(), m.component->apiType(),
                     held ? held->completeCount : -1, held ? held->completeCountV : -1, *rest))
            return false;
    } else {
        rest->single = mMembers[static_cast<size_t>(at)].component->single;
        rest->pairs = mMembers[static_cast<size_t>(at)].component->pairs;
    }
    const Ref<Component> gone = sortedCopy(*m.component);
    if (gone->complete && !listAll(m.path.empty() ? m.node : m.path.back(), gone->apiType(), gone->completeCount,
                                   gone->completeCountV, *gone))
        return false;
    rest->single = sortedDifference(rest->single, gone->single);
    rest->pairs = sortedDifference(rest->pairs, gone->pairs);
    if (wholeAt >= 0)
        mMembers.erase(mMembers.begin() + wholeAt);
    if (at >= 0) {
        reindex();
        at = position(m);
        mMembers.erase(mMembers.begin() + at);
    }
    if (rest->elementCount() > 0) {
        SetMember kept = m;
        kept.component = rest;
        mMembers.push_back(kept);
    }
    reindex();
    return true;
}

bool SetMembers::drop(const SetMember& key)
{
    const long at = position(key);
    if (at < 0)
        return false;
    mMembers.erase(mMembers.begin() + at);
    reindex();
    return true;
}

void SetMembers::clear()
{
    mMembers.clear();
    mByKey.clear();
}

SetMembers* setOf(NodeId set)
{
    const Kind* k = store().kindOf(set);
    return k && k->isA(MFn::kSet) ? static_cast<SetMembers*>(store().payload(set)) : nullptr;
}

const std::vector<NodeId>& allSets()
{
    return registry();
}

NodeId createSet(const std::string& name, int restriction, MStatus* status)
{
    if (restriction < 0 || restriction > kRenderableOnly) {
        if (status)
            *status = MStatus::kInvalidParameter;
        return NodeId();
    }
    const NodeId set =
        store().createNode(restriction == kRenderableOnly ? "shadingEngine" : "objectSet", name, NodeId(), status);
    if (SetMembers* m = setOf(set))
        m->setRestriction(restriction);
    return set;
}

namespace {

// A member as a set holds it: a shading group holds shapes, not their
// transforms. False for dead nodes and bad components.
bool normalised(const SetMember& in, bool renderable, SetMember& out)
{
    out = in;
    if (out.path.empty()) {
        if (!store().isAlive(out.node) || store().kindOf(out.node)->isDag())
            return false;
        return !out.component;
    }
    if (!store().pathValid(out.path))
        return false;
    NodeId last = out.path.back();
    if ((renderable || out.component) && store().kindOf(last)->isA(MFn::kTransform)) {
        const NodeId shape = store().firstShape(last);
        if (shape.valid()) {
            out.path.push_back(shape);
            last = shape;
        } else if (out.component) {
            return false;
        }
    }
    out.node = last;
    if (!out.component)
        return true;
    int count = -1, countV = -1;
    if (!extentOf(last, out.component->apiType(), count, countV))
        return false;
    const Component& c = *out.component;
    if (c.complete)
        return c.completeCount <= count && (!c.doubleIndexed() || c.completeCountV <= countV);
    for (int i : c.single)
        if (i < 0 || i >= count)
            return false;
    for (const auto& p : c.pairs)
        if (p.first < 0 || p.first >= count || p.second < 0 || p.second >= countV)
            return false;
    return true;
}

} // namespace

MStatus addSetMembers(NodeId set, const std::vector<SetMember>& members, bool force)
{
    SetMembers* target = setOf(set);
    if (!target)
        return MStatus::kInvalidParameter;
    const bool renderable = target->restriction() == kRenderableOnly;
    std::vector<SetMember> held(members.size());
    for (size_t i = 0; i < members.size(); ++i)
        if (!normalised(members[i], renderable, held[i]))
            return MStatus::kInvalidParameter;
    if (force && renderable)
        for (NodeId other : allSets()) {
            SetMembers* o = setOf(other);
            if (other == set || !o || o->restriction() != kRenderableOnly)
                continue;
            for (const SetMember& m : held) {
                if (m.component) {
                    o->remove(m);
                    continue;
                }
                // A whole object leaves the group with all its faces.
                o->drop(m);
                SetMember faces = m;
                faces.component = Ref<Component>(new Component(MFn::kMeshPolygonComponent));
                o->drop(faces);
            }
        }
    for (const SetMember& m : held)
        target->add(m);
    deformAddedMembers(set, held);
    return MStatus::kSuccess;
}

void shadingGroupsOfFaces(const Path& shape, size_t faceCount, std::vector<NodeId>& groups,
                          std::vector<int>& faceGroup)
{
    groups.clear();
    faceGroup.assign(faceCount, -1);
    const NodeId node = shape.empty() ? NodeId() : shape.back();
    for (NodeId set : allSets()) {
        const SetMembers* s = setOf(set);
        if (!s || s->restriction() != kRenderableOnly)
            continue;
        bool used = false;
        const int position = static_cast<int>(groups.size());
        auto take = [&](size_t f) {
            if (f < faceCount && faceGroup[f] < 0) {
                faceGroup[f] = position;
                used = true;
            }
        };
        if (s->find(SetMember{node, shape, Ref<Component>()})) {
            for (size_t f = 0; f < faceCount; ++f)
                take(f);
        } else if (const SetMember* m = s->find(
                       SetMember{node, shape, Ref<Component>(new Component(MFn::kMeshPolygonComponent))})) {
            if (m->component->complete) {
                for (int f = 0; f < m->component->completeCount; ++f)
                    take(static_cast<size_t>(f));
            } else {
                for (int f : m->component->single)
                    take(static_cast<size_t>(f));
            }
        }
        if (used)
            groups.push_back(set);
    }
}

void setsHolding(const SetMember& item, std::vector<NodeId>& sets)
{
    sets.clear();
    std::vector<SetMember> asked = {item};
    if (!item.path.empty() && store().kindOf(item.path.back()) &&
        store().kindOf(item.path.back())->isA(MFn::kTransform)) {
        const NodeId shape = store().firstShape(item.path.back());
        if (shape.valid()) {
            SetMember s = item;
            s.path.push_back(shape);
            s.node = shape;
            asked.push_back(s);
        }
    }
    for (NodeId set : allSets()) {
        const SetMembers* s = setOf(set);
        if (!s)
            continue;
        bool holds = false;
        for (const SetMember& a : asked) {
            SetMember whole = a;
            whole.component = Ref<Component>();
            if (s->find(whole)) {
                holds = true;
                break;
            }
            // Any component member of the path holds a whole item; a
            // component item needs a shared element.
            for (const SetMember& m : s->members()) {
                if (!m.component || m.path != a.path || (m.path.empty() && m.node != a.node))
                    continue;
                if (!a.component) {
                    holds = true;
                    break;
                }
                if (m.component->apiType() != a.component->apiType())
                    continue;
                if (m.component->complete) {
                    holds = true;
                    break;
                }
                const Ref<Component> want = sortedCopy(*a.component);
                std::vector<int> si;
                std::set_intersection(m.component->single.begin(), m.component->single.end(),
                                      want->single.begin(), want->single.end(), std::back_inserter(si));
                std::vector<std::pair<int, int>> sp;
                std::set_intersection(m.component->pairs.begin(), m.component->pairs.end(), want->pairs.begin(),
                                      want->pairs.end(), std::back_inserter(sp));
                if (want->complete || !si.empty() || !sp.empty()) {
                    holds = true;
                    break;
                }
            }
            if (holds)
                break;
        }
        if (holds)
            sets.push_back(set);
    }
}

} // namespace vesk
