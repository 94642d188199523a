// MSelectionList, MItSelectionList and the active selection of MGlobal.
#include <algorithm>
#include <unordered_set>

#include <vesk/MGlobal.h>
#include <vesk/MItSelectionList.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStringArray.h>

#include "core/object_access.h"
#include "store/types.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::Path;
using vesk::PlugRef;
using vesk::report;
using vesk::SelectionData;
using vesk::SelectionItem;
using vesk::store;

MSelectionList::MSelectionList() : mData(new SelectionData) {}

MSelectionList::MSelectionList(const MSelectionList& other) : mData(new SelectionData(*other.mData)) {}

MSelectionList& MSelectionList::operator=(const MSelectionList& other)
{
    if (this != &other)
        *mData = *other.mData;
    return *this;
}

MSelectionList::~MSelectionList()
{
    delete mData;
}

MStatus MSelectionList::clear()
{
    mData->clear();
    return MStatus::kSuccess;
}

bool MSelectionList::isEmpty(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mData->size() == 0;
}

unsigned int MSelectionList::length(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return static_cast<unsigned int>(mData->size());
}

MStatus MSelectionList::add(const MObject& node, bool mergeWithExisting)
{
    const NodeId n = ObjectAccess::node(node);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    SelectionItem item;
    item.node = n;
    if (store().kindOf(n)->isDag() && !store().firstPath(n, item.path))
        return MStatus::kInvalidParameter;
    mData->add(item, mergeWithExisting);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& path, const MObject& component, bool mergeWithExisting)
{
    Path p = ObjectAccess::path(path);
    if (!store().pathValid(p))
        return MStatus::kInvalidParameter;
    SelectionItem item;
    if (!component.isNull()) {
        vesk::RefObject* r = ObjectAccess::ref(component);
        if (!r || !vesk::typeIsA(r->apiType(), MFn::kComponent))
            return MStatus::kInvalidParameter;
        if (store().kindOf(p.back())->isA(MFn::kTransform)) {
            const NodeId shape = store().firstShape(p.back());
            if (!shape.valid())
                return MStatus::kInvalidParameter;
            p.push_back(shape);
        }
        item.component = vesk::Ref<vesk::Component>(static_cast<vesk::Component*>(r));
    }
    item.node = p.back();
    item.path = p;
    mData->add(item, mergeWithExisting);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MString& matchString, bool)
{
    vesk::Address a;
    const MStatus s = store().parseAddress(matchString.asChar(), a);
    if (!s)
        return s;
    SelectionItem item;
    item.node = a.node;
    item.path = a.path;
    item.component = a.component;
    item.plug = a.plug;
    if (a.plug.attr)
        item.plugAttr = vesk::Ref<vesk::Attribute>(a.plug.attr);
    mData->add(item, false);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MPlug& plug, bool mergeWithExisting)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(plug, r))
        return MStatus::kInvalidParameter;
    SelectionItem item;
    item.node = r.node;
    if (store().kindOf(r.node)->isDag())
        store().firstPath(r.node, item.path);
    item.plug = r.key;
    item.plugAttr = vesk::Ref<vesk::Attribute>(r.key.attr);
    if (mergeWithExisting)
        for (size_t i = 0; i < mData->size(); ++i)
            if (mData->item(i).node == item.node && mData->item(i).plug == item.plug)
                return MStatus::kSuccess;
    mData->add(item, false);
    return MStatus::kSuccess;
}

MStatus MSelectionList::remove(unsigned int index)
{
    return mData->remove(index);
}

bool MSelectionList::hasItem(const MObject& node, MStatus* status) const
{
    report(status, MStatus::kSuccess);
    const NodeId n = ObjectAccess::node(node);
    return n.valid() && mData->hasWholeNode(n);
}

bool MSelectionList::hasItem(const MDagPath& path, const MObject& component, MStatus* status) const
{
    report(status, MStatus::kSuccess);
    Path p = ObjectAccess::path(path);
    if (!store().pathValid(p))
        return false;
    if (component.isNull())
        return mData->hasWhole(p.back(), p);
    const auto* wanted = dynamic_cast<const vesk::Component*>(ObjectAccess::ref(component));
    if (!wanted)
        return false;
    if (store().kindOf(p.back())->isA(MFn::kTransform))
        p.push_back(store().firstShape(p.back()));
    for (size_t i = 0; i < mData->size(); ++i) {
        const SelectionItem& it = mData->item(i);
        if (it.path != p || !it.component || it.component->apiType() != wanted->apiType())
            continue;
        const vesk::Component& held = *it.component;
        if (held.complete)
            return true;
        std::unordered_set<int64_t> have;
        for (int v : held.single)
            have.insert(v);
        for (const auto& pr : held.pairs)
            have.insert((int64_t(pr.first) << 32) | uint32_t(pr.second));
        bool all = true;
        for (int v : wanted->single)
            all = all && have.count(v);
        for (const auto& pr : wanted->pairs)
            all = all && have.count((int64_t(pr.first) << 32) | uint32_t(pr.second));
        if (all && !wanted->complete)
            return true;
    }
    return false;
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& node) const
{
    if (index >= mData->size() || !store().isAlive(mData->item(index).node))
        return MStatus::kInvalidParameter;
    node = ObjectAccess::fromNode(mData->item(index).node);
    return MStatus::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path) const
{
    MObject ignored;
    return getDagPath(index, path, ignored);
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path, MObject& component) const
{
    if (index >= mData->size())
        return MStatus::kInvalidParameter;
    const SelectionItem& it = mData->item(index);
    if (it.path.empty() || !store().pathValid(it.path))
        return MStatus::kInvalidParameter;
    path = ObjectAccess::path(it.path);
    component = it.component ? ObjectAccess::fromRef(it.component.get()) : MObject();
    return MStatus::kSuccess;
}

MStatus MSelectionList::getPlug(unsigned int index, MPlug& plug) const
{
    if (index >= mData->size())
        return MStatus::kInvalidParameter;
    const SelectionItem& it = mData->item(index);
    if (!it.plug.attr || !store().isAlive(it.node))
        return MStatus::kInvalidParameter;
    plug = ObjectAccess::plug(it.node, it.plug);
    return MStatus::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(MStringArray& strings) const
{
    strings.clear();
    std::vector<std::string> texts;
    mData->allStrings(store(), texts);
    for (const std::string& t : texts)
        strings.append(MString(t.c_str()));
    return MStatus::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(unsigned int index, MStringArray& strings) const
{
    strings.clear();
    if (index >= mData->size())
        return MStatus::kInvalidParameter;
    std::vector<std::string> texts;
    mData->strings(store(), index, texts);
    for (const std::string& t : texts)
        strings.append(MString(t.c_str()));
    return MStatus::kSuccess;
}

// ---- MItSelectionList ---------------------------------------------------------------

MItSelectionList::MItSelectionList(const MSelectionList& list, MFn::Type filter, MStatus* status)
    : mList(list), mFilter(filter)
{
    skip();
    report(status, MStatus::kSuccess);
}

bool MItSelectionList::passes(unsigned int index) const
{
    const SelectionItem& it = ObjectAccess::data(mList).item(index);
    if (!store().isAlive(it.node))
        return false;
    if (mFilter == MFn::kInvalid)
        return true;
    if (store().kindOf(it.node)->isA(mFilter))
        return true;
    return it.component && vesk::typeIsA(it.component->apiType(), mFilter);
}

void MItSelectionList::skip()
{
    while (mPos < mList.length() && !passes(mPos))
        ++mPos;
}

MStatus MItSelectionList::reset()
{
    mPos = 0;
    skip();
    return MStatus::kSuccess;
}

bool MItSelectionList::isDone(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mPos >= mList.length();
}

MStatus MItSelectionList::next()
{
    if (mPos >= mList.length())
        return MStatus::kFailure;
    ++mPos;
    skip();
    return MStatus::kSuccess;
}

MStatus MItSelectionList::getDagPath(MDagPath& path) const
{
    return mList.getDagPath(mPos, path);
}

MStatus MItSelectionList::getDagPath(MDagPath& path, MObject& component) const
{
    return mList.getDagPath(mPos, path, component);
}

MStatus MItSelectionList::getDependNode(MObject& node) const
{
    return mList.getDependNode(mPos, node);
}

MStatus MItSelectionList::getPlug(MPlug& plug) const
{
    return mList.getPlug(mPos, plug);
}

bool MItSelectionList::hasComponents(MStatus* status) const
{
    if (mPos >= mList.length()) {
        report(status, MStatus::kFailure);
        return false;
    }
    report(status, MStatus::kSuccess);
    return static_cast<bool>(ObjectAccess::data(mList).item(mPos).component);
}

MItSelectionList::selItemType MItSelectionList::itemType(MStatus* status) const
{
    if (mPos >= mList.length()) {
        report(status, MStatus::kFailure);
        return kUnknownItem;
    }
    report(status, MStatus::kSuccess);
    const SelectionItem& it = ObjectAccess::data(mList).item(mPos);
    if (it.plug.attr)
        return kPlugSelectionItem;
    return it.path.empty() ? kDNselectionItem : kDagSelectionItem;
}

// ---- MGlobal ----------------------------------------------------------------------

MStatus MGlobal::getActiveSelectionList(MSelectionList& dest)
{
    ObjectAccess::data(dest) = store().activeSelection();
    return MStatus::kSuccess;
}

MStatus MGlobal::setActiveSelectionList(const MSelectionList& src)
{
    store().activeSelection() = ObjectAccess::data(src);
    return MStatus::kSuccess;
}

MStatus MGlobal::deleteNode(const MObject& object)
{
    const NodeId n = ObjectAccess::node(object);
    if (n.valid())
        return store().deleteNode(n);
    if (vesk::Attribute* a = ObjectAccess::attribute(object))
        return store().deleteFreeAttribute(a);
    return MStatus::kInvalidParameter;
}
