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

// Per path (or node) key: the sets holding some member of it, so that an
// object forced into one shading group asks only those that hold it.
std::unordered_map<std::string, std::vector<NodeId>>& holders()
{
    static auto* byKey = new std::unordered_map<std::string, std::vector<NodeId>>;
    return *byKey;
}

void appendId(std::string& key, NodeId n)
{
    char bytes[8];
    std::memcpy(bytes, &n.index, 4);
    std::memcpy(bytes + 4, &n.gen, 4);
    key.append(bytes, 8);
}

// The key of a member's path, or of its node when it has none.
std::string pathKey(const SetMember& m)
{
    std::string key;
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

MFn::Type kindOf(const SetMember& m)
{
    return m.component ? m.component->apiType() : MFn::kInvalid;
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

// Moves a sorted list into a set (linear: each goes last) and back.
template <class T>
void listToSet(std::vector<T>& list, std::set<T>& out)
{
    for (const T& v : list)
        out.insert(out.end(), v);
    std::vector<T>().swap(list);
}

template <class T>
void setToList(const std::set<T>& in, std::vector<T>& out)
{
    out.assign(in.begin(), in.end());
}

} // namespace

SetMembers::SetMembers(NodeId self, int restriction) : mSelf(self), mRestriction(restriction)
{
    registry().push_back(self);
}

SetMembers::~SetMembers()
{
    clear();
    std::vector<NodeId>& sets = registry();
    sets.erase(std::remove(sets.begin(), sets.end(), mSelf), sets.end());
}

bool SetMembers::live(const SetMember& m)
{
    return m.path.empty() ? store().isAlive(m.node) : store().pathValid(m.path);
}

SetMembers::Slot SetMembers::slotOf(const SetMember& key) const
{
    auto it = mByPath.find(pathKey(key));
    if (it != mByPath.end()) {
        const MFn::Type kind = kindOf(key);
        for (const auto& k : it->second)
            if (k.first == kind)
                return k.second;
    }
    return mMembers.end();
}

void SetMembers::append(const SetMember& m)
{
    const Slot s = mMembers.insert(mMembers.end(), m);
    auto& kinds = mByPath[pathKey(m)];
    if (kinds.empty())
        holders()[pathKey(m)].push_back(mSelf);
    kinds.emplace_back(kindOf(m), s);
}

void SetMembers::erase(Slot s)
{
    const std::string key = pathKey(*s);
    auto it = mByPath.find(key);
    auto& kinds = it->second;
    kinds.erase(std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) { return k.second == s; }));
    if (kinds.empty()) {
        mByPath.erase(it);
        auto h = holders().find(key);
        h->second.erase(std::find(h->second.begin(), h->second.end(), mSelf));
        if (h->second.empty())
            holders().erase(h);
    }
    mEdits.erase(&*s);
    mMembers.erase(s);
}

SetMembers::Edits& SetMembers::editsOf(Slot s)
{
    auto it = mEdits.find(&*s);
    if (it != mEdits.end())
        return it->second;
    Edits& e = mEdits[&*s];
    listToSet(s->component->single, e.single);
    listToSet(s->component->pairs, e.pairs);
    return e;
}

void SetMembers::applyEdits(Slot s) const
{
    auto it = mEdits.find(&*s);
    if (it == mEdits.end())
        return;
    setToList(it->second.single, s->component->single);
    setToList(it->second.pairs, s->component->pairs);
    s->component->changed();
    mEdits.erase(it);
}

const std::list<SetMember>& SetMembers::members() const
{
    for (Slot s = mMembers.begin(); !mEdits.empty() && s != mMembers.end(); ++s)
        applyEdits(s);
    return mMembers;
}

const SetMember* SetMembers::find(const SetMember& key) const
{
    const Slot s = slotOf(key);
    if (s == mMembers.end())
        return nullptr;
    applyEdits(s);
    return &*s;
}

void SetMembers::add(const SetMember& m)
{
    SetMember whole = m;
    whole.component = Ref<Component>();
    if (m.component && slotOf(whole) != mMembers.end())
        return;
    const Slot at = slotOf(m);
    if (at == mMembers.end() && !m.component) {
        // A whole member absorbs the component members of its path.
        auto it = mByPath.find(pathKey(m));
        if (it != mByPath.end()) {
            std::vector<Slot> absorbed;
            for (const auto& k : it->second)
                absorbed.push_back(k.second);
            for (Slot s : absorbed)
                erase(s);
        }
    }
    if (at == mMembers.end()) {
        SetMember held = m;
        if (m.component)
            held.component = sortedCopy(*m.component);
        append(held);
        return;
    }
    if (!m.component)
        return;
    if (at->component->complete)
        return;
    if (m.component->complete) {
        mEdits.erase(&*at);
        at->component = sortedCopy(*m.component);
        return;
    }
    if (!at->component->soleReference()) {
        // Held elsewhere too (a member list handed out): changed in place,
        // as those holders see additions.
        applyEdits(at);
        const Ref<Component> added = sortedCopy(*m.component);
        at->component->single = sortedUnion(at->component->single, added->single);
        at->component->pairs = sortedUnion(at->component->pairs, added->pairs);
        at->component->changed();
        return;
    }
    Edits& e = editsOf(at);
    for (int i : m.component->single)
        e.single.insert(i);
    for (const auto& p : m.component->pairs)
        e.pairs.insert(p);
}

bool SetMembers::removeListed(Slot held, const SetMember& m)
{
    // Only the member's own component changes, so no holder of it may
    // see the change.
    if (held->component->complete || m.component->complete || !held->component->soleReference())
        return false;
    Edits& e = editsOf(held);
    for (int i : m.component->single)
        e.single.erase(i);
    for (const auto& p : m.component->pairs)
        e.pairs.erase(p);
    const size_t left = held->component->doubleIndexed() ? e.pairs.size() : e.single.size();
    if (left == 0)
        erase(held);
    else
        mMembers.splice(mMembers.end(), mMembers, held);
    return true;
}

bool SetMembers::remove(const SetMember& m)
{
    SetMember whole = m;
    whole.component = Ref<Component>();
    const Slot wholeAt = slotOf(whole);
    if (!m.component) {
        if (wholeAt == mMembers.end())
            return false;
        erase(wholeAt);
        return true;
    }
    const Slot at = slotOf(m);
    if (at == mMembers.end() && wholeAt == mMembers.end())
        return false;
    if (at != mMembers.end() && removeListed(at, m))
        return true;
    // Whole members and complete data are listed first; the member left is
    // a new component, so that holders of the old one keep what they saw.
    if (at != mMembers.end())
        applyEdits(at);
    Ref<Component> rest(new Component(m.component->apiType()));
    if (at == mMembers.end() || at->component->complete) {
        const Component* held = at == mMembers.end() ? nullptr : at->component.get();
        if (!listAll(m.path.empty() ? m.node : m.path.back(), m.component->apiType(),
                     held ? held->completeCount : -1, held ? held->completeCountV : -1, *rest))
            return false;
    } else {
        rest->single = at->component->single;
        rest->pairs = at->component->pairs;
    }
    const Ref<Component> gone = sortedCopy(*m.component);
    if (gone->complete && !listAll(m.path.empty() ? m.node : m.path.back(), gone->apiType(), gone->completeCount,
                                   gone->completeCountV, *gone))
        return false;
    rest->single = sortedDifference(rest->single, gone->single);
    rest->pairs = sortedDifference(rest->pairs, gone->pairs);
    if (wholeAt != mMembers.end())
        erase(wholeAt);
    if (at != mMembers.end())
        erase(at);
    if (rest->elementCount() > 0) {
        SetMember kept = m;
        kept.component = rest;
        append(kept);
    }
    return true;
}

bool SetMembers::drop(const SetMember& key)
{
    const Slot s = slotOf(key);
    if (s == mMembers.end())
        return false;
    erase(s);
    return true;
}

void SetMembers::clear()
{
    while (!mMembers.empty())
        erase(mMembers.begin());
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
        for (const SetMember& m : held) {
            // Only the groups holding something of the object can give it up.
            auto h = holders().find(pathKey(m));
            const std::vector<NodeId> others = h == holders().end() ? std::vector<NodeId>() : h->second;
            for (NodeId other : others) {
                SetMembers* o = setOf(other);
                if (other == set || !o || o->restriction() != kRenderableOnly)
                    continue;
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
