// MFnSet and MGlobal::getAssociatedSets.
#include <algorithm>
#include <unordered_set>

#include <vesk/MFnSet.h>
#include <vesk/MGlobal.h>

#include "core/object_access.h"
#include "deform/deform_kinds.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::report;
using vesk::SetMember;
using vesk::store;

namespace {

vesk::SetMembers* membersIn(const MObject& o, MStatus* status)
{
    vesk::SetMembers* m = vesk::setOf(ObjectAccess::node(o));
    report(status, m ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return m;
}

// A member from an object, or from a path with optional components.
SetMember memberOf(const MObject& object)
{
    SetMember m;
    m.node = ObjectAccess::node(object);
    if (m.node.valid() && store().kindOf(m.node)->isDag())
        store().firstPath(m.node, m.path);
    return m;
}

SetMember memberOf(const MDagPath& path, const MObject& component)
{
    SetMember m;
    m.path = ObjectAccess::path(path);
    if (!m.path.empty())
        m.node = m.path.back();
    if (vesk::RefObject* r = ObjectAccess::ref(component))
        m.component = vesk::Ref<vesk::Component>(static_cast<vesk::Component*>(r));
    return m;
}

// The members a selection list names (plugs are skipped); false when an
// item's component is no component.
bool membersOf(const MSelectionList& list, std::vector<SetMember>& out)
{
    const vesk::SelectionData& data = ObjectAccess::data(list);
    for (size_t i = 0; i < data.size(); ++i) {
        const vesk::SelectionItem& item = data.item(i);
        if (item.plug.attr)
            continue;
        SetMember m;
        m.node = item.node;
        m.path = item.path;
        m.component = item.component;
        out.push_back(m);
    }
    return true;
}

bool holdsAll(const SetMember& held, const SetMember& asked)
{
    if (!held.component || held.component->complete)
        return true;
    std::vector<int> single = asked.component->single;
    std::vector<std::pair<int, int>> pairs = asked.component->pairs;
    std::sort(single.begin(), single.end());
    std::sort(pairs.begin(), pairs.end());
    return !asked.component->complete &&
           std::includes(held.component->single.begin(), held.component->single.end(), single.begin(),
                         single.end()) &&
           std::includes(held.component->pairs.begin(), held.component->pairs.end(), pairs.begin(), pairs.end());
}

} // namespace

MFnSet::MFnSet(const MObject& object, MStatus* status)
{
    report(status, setObject(object));
}

MFn::Type MFnSet::type() const
{
    return MFn::kSet;
}

bool MFnSet::accepts(const MObject& object) const
{
    return vesk::setOf(ObjectAccess::node(object)) != nullptr;
}

MObject MFnSet::create(const MSelectionList& members, Restriction restriction, MStatus* status)
{
    std::vector<SetMember> list;
    membersOf(members, list);
    MStatus s;
    const NodeId set = vesk::createSet("", restriction, &s);
    if (s)
        s = vesk::addSetMembers(set, list, false);
    report(status, s);
    if (!s) {
        if (set.valid())
            store().deleteNode(set);
        return MObject();
    }
    mObject = ObjectAccess::fromNode(set);
    return mObject;
}

MFnSet::Restriction MFnSet::restriction(MStatus* status) const
{
    const vesk::SetMembers* m = membersIn(mObject, status);
    return m ? static_cast<Restriction>(m->restriction()) : kNone;
}

MStatus MFnSet::getMembers(MSelectionList& members, bool flatten) const
{
    MStatus s;
    const vesk::SetMembers* held = membersIn(mObject, &s);
    members.clear();
    if (!held)
        return s;
    std::unordered_set<uint64_t> visited;
    std::vector<const vesk::SetMembers*> pending = {held};
    visited.insert((uint64_t(held->self().gen) << 32) | held->self().index);
    vesk::SelectionData& out = ObjectAccess::data(members);
    for (size_t i = 0; i < pending.size(); ++i) {
        for (const SetMember& m : pending[i]->members()) {
            if (!vesk::SetMembers::live(m))
                continue;
            const vesk::SetMembers* nested = flatten && m.path.empty() ? vesk::setOf(m.node) : nullptr;
            if (nested) {
                if (visited.insert((uint64_t(m.node.gen) << 32) | m.node.index).second)
                    pending.push_back(nested);
                continue;
            }
            vesk::SelectionItem item;
            item.node = m.node;
            item.path = m.path;
            item.component = m.component;
            out.add(item, false);
        }
    }
    return s;
}

MStatus MFnSet::addMember(const MObject& object)
{
    return vesk::addSetMembers(ObjectAccess::node(mObject), {memberOf(object)}, false);
}

MStatus MFnSet::addMember(const MDagPath& path, const MObject& component)
{
    return vesk::addSetMembers(ObjectAccess::node(mObject), {memberOf(path, component)}, false);
}

MStatus MFnSet::addMembers(const MSelectionList& list)
{
    std::vector<SetMember> members;
    membersOf(list, members);
    return vesk::addSetMembers(ObjectAccess::node(mObject), members, false);
}

MStatus MFnSet::removeMember(const MObject& object)
{
    MStatus s;
    vesk::SetMembers* held = membersIn(mObject, &s);
    if (held)
        held->remove(memberOf(object));
    return s;
}

MStatus MFnSet::removeMember(const MDagPath& path, const MObject& component)
{
    MStatus s;
    vesk::SetMembers* held = membersIn(mObject, &s);
    if (held)
        held->remove(memberOf(path, component));
    return s;
}

MStatus MFnSet::removeMembers(const MSelectionList& list)
{
    MStatus s;
    vesk::SetMembers* held = membersIn(mObject, &s);
    std::vector<SetMember> members;
    membersOf(list, members);
    if (held)
        for (const SetMember& m : members)
            held->remove(m);
    return s;
}

MStatus MFnSet::clear()
{
    MStatus s;
    vesk::SetMembers* held = membersIn(mObject, &s);
    if (held)
        held->clear();
    return s;
}

bool MFnSet::isMember(const MObject& object, MStatus* status) const
{
    const vesk::SetMembers* held = membersIn(mObject, status);
    const SetMember m = memberOf(object);
    return held && held->find(m) && vesk::SetMembers::live(m);
}

bool MFnSet::isMember(const MDagPath& path, const MObject& component, MStatus* status) const
{
    const vesk::SetMembers* held = membersIn(mObject, status);
    const SetMember asked = memberOf(path, component);
    if (!held || !vesk::SetMembers::live(asked))
        return false;
    SetMember whole = asked;
    whole.component = vesk::Ref<vesk::Component>();
    if (held->find(whole))
        return true;
    if (!asked.component)
        return false;
    const SetMember* m = held->find(asked);
    return m && holdsAll(*m, asked);
}

MStatus MGlobal::getAssociatedSets(const MSelectionList& list, MObjectArray& sets)
{
    std::vector<SetMember> items;
    membersOf(list, items);
    std::unordered_set<uint64_t> found;
    for (const SetMember& item : items) {
        std::vector<NodeId> holding;
        vesk::setsHolding(item, holding);
        for (NodeId n : holding)
            found.insert((uint64_t(n.gen) << 32) | n.index);
    }
    sets.clear();
    for (NodeId n : vesk::allSets())
        if (found.count((uint64_t(n.gen) << 32) | n.index))
            sets.append(ObjectAccess::fromNode(n));
    return MStatus::kSuccess;
}
