// MFnBase, MFnDependencyNode and MFnDagNode.
#include <algorithm>

#include <vesk/MDagPathArray.h>
#include <vesk/MFnDagNode.h>
#include <vesk/MPlugArray.h>

#include "core/object_access.h"
#include "store/types.h"

using vesk::Attribute;
using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::Path;
using vesk::PlugKey;
using vesk::report;
using vesk::store;

MFnBase::~MFnBase() {}

MFn::Type MFnBase::type() const
{
    return MFn::kInvalid;
}

bool MFnBase::accepts(const MObject& object) const
{
    return !object.isNull();
}

MObject MFnBase::object(MStatus* status) const
{
    if (mObject.isNull()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    report(status, MStatus::kSuccess);
    return mObject;
}

MStatus MFnBase::setObject(const MObject& object)
{
    if (!accepts(object)) {
        mObject = MObject();
        return MStatus::kInvalidParameter;
    }
    mObject = object;
    return MStatus::kSuccess;
}

namespace {

// The bound node, with the call's status.
NodeId boundNode(const MObject& o, MStatus* status)
{
    const NodeId n = ObjectAccess::node(o);
    report(status, n.valid() ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return n;
}

} // namespace

MFnDependencyNode::MFnDependencyNode(const MObject& node, MStatus* status)
{
    report(status, setObject(node));
}

MFn::Type MFnDependencyNode::type() const
{
    return MFn::kDependencyNode;
}

bool MFnDependencyNode::accepts(const MObject& object) const
{
    return ObjectAccess::node(object).valid();
}

MObject MFnDependencyNode::create(const MString& typeName, MStatus* status)
{
    return create(typeName, MString(), status);
}

MObject MFnDependencyNode::create(const MString& typeName, const MString& name, MStatus* status)
{
    MStatus s;
    const NodeId n = store().createNode(typeName.asChar(), name.asChar(), NodeId(), &s);
    report(status, s);
    if (!s)
        return MObject();
    mObject = ObjectAccess::fromNode(n);
    return mObject;
}

MString MFnDependencyNode::name(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? MString(store().name(n).c_str()) : MString();
}

MString MFnDependencyNode::setName(const MString& name, MStatus* status)
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return MString();
    std::string given;
    const MStatus s = store().rename(n, name.asChar(), &given);
    report(status, s);
    return MString(store().name(n).c_str());
}

MTypeId MFnDependencyNode::typeId(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? store().kindOf(n)->typeId() : MTypeId();
}

MString MFnDependencyNode::typeName(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? MString(store().kindOf(n)->typeName().c_str()) : MString();
}

unsigned int MFnDependencyNode::attributeCount(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? static_cast<unsigned int>(store().attributeCount(n)) : 0;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return MObject();
    Attribute* a = store().attributeAt(n, index);
    if (!a) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return ObjectAccess::fromRef(a);
}

MObject MFnDependencyNode::attribute(const MString& name, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return MObject();
    Attribute* a = store().findAttribute(n, name.asChar());
    if (!a) {
        report(status, MStatus::kNotFound);
        return MObject();
    }
    return ObjectAccess::fromRef(a);
}

bool MFnDependencyNode::hasAttribute(const MString& name, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() && store().findAttribute(n, name.asChar()) != nullptr;
}

MFnDependencyNode::MAttrClass MFnDependencyNode::attributeClass(const MObject& attribute, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    Attribute* a = ObjectAccess::attribute(attribute);
    if (!n.valid() || !a || !store().hasAttribute(n, a)) {
        report(status, MStatus::kInvalidParameter);
        return kInvalidAttr;
    }
    return store().isDynamic(n, a) ? kLocalDynamicAttr : kNormalAttr;
}

MStatus MFnDependencyNode::addAttribute(const MObject& attribute, MAttrClass type)
{
    const NodeId n = ObjectAccess::node(mObject);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    Attribute* a = ObjectAccess::attribute(attribute);
    if (!a || type != kLocalDynamicAttr)
        return MStatus::kFailure;
    return store().addAttribute(n, vesk::Ref<Attribute>(a));
}

MStatus MFnDependencyNode::removeAttribute(const MObject& attribute, MAttrClass type)
{
    const NodeId n = ObjectAccess::node(mObject);
    Attribute* a = ObjectAccess::attribute(attribute);
    if (!n.valid() || !a || type != kLocalDynamicAttr)
        return MStatus::kInvalidParameter;
    return store().removeAttribute(n, a);
}

MPlug MFnDependencyNode::findPlug(const MString& name, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return MPlug();
    PlugKey k;
    k.attr = store().findAttribute(n, name.asChar());
    if (!k.attr && !store().findAlias(n, name.asChar(), k)) {
        report(status, MStatus::kNotFound);
        return MPlug();
    }
    return ObjectAccess::plug(n, k);
}

MPlug MFnDependencyNode::findPlug(const MObject& attribute, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return MPlug();
    Attribute* a = ObjectAccess::attribute(attribute);
    if (!a || !store().hasAttribute(n, a)) {
        report(status, MStatus::kNotFound);
        return MPlug();
    }
    PlugKey k;
    k.attr = a;
    return ObjectAccess::plug(n, k);
}

MStatus MFnDependencyNode::getConnections(MPlugArray& plugs) const
{
    plugs.clear();
    const NodeId n = ObjectAccess::node(mObject);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    std::vector<PlugKey> seen;
    for (uint32_t id : store().connectionsOf(n)) {
        if (id == vesk::kNoConnection)
            continue;
        const vesk::Connection& c = store().connection(id);
        const vesk::PlugRef ends[2] = {c.src, c.dst};
        for (const vesk::PlugRef& e : ends)
            if (e.node == n && std::find(seen.begin(), seen.end(), e.key) == seen.end()) {
                seen.push_back(e.key);
                plugs.append(ObjectAccess::plug(n, e.key));
            }
    }
    return MStatus::kSuccess;
}

bool MFnDependencyNode::setAlias(const MString& alias, const MString&, const MPlug& plug, bool add, MStatus* status)
{
    const NodeId n = boundNode(mObject, status);
    vesk::PlugRef r;
    if (!n.valid() || !ObjectAccess::plugRef(plug, r) || r.node != n) {
        report(status, MStatus::kInvalidParameter);
        return false;
    }
    MStatus s;
    if (add) {
        s = store().setAlias(n, alias.asChar(), r.key);
    } else {
        const std::string* held = store().aliasOf(n, r.key);
        s = held && *held == alias.asChar() ? store().removeAlias(n, r.key) : MStatus(MStatus::kInvalidParameter);
    }
    report(status, s);
    return static_cast<bool>(s);
}

MString MFnDependencyNode::plugsAlias(const MPlug& plug, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    vesk::PlugRef r;
    if (!n.valid() || !ObjectAccess::plugRef(plug, r) || r.node != n)
        return MString();
    const std::string* alias = store().aliasOf(n, r.key);
    return alias ? MString(alias->c_str()) : MString();
}

// ---- MFnDagNode ---------------------------------------------------------------

MFnDagNode::MFnDagNode(const MObject& node, MStatus* status)
{
    report(status, setObject(node));
}

MFnDagNode::MFnDagNode(const MDagPath& path, MStatus* status)
{
    report(status, bindPath(path, MFn::kDagNode));
}

MFn::Type MFnDagNode::type() const
{
    return MFn::kDagNode;
}

bool MFnDagNode::accepts(const MObject& object) const
{
    const NodeId n = ObjectAccess::node(object);
    return n.valid() && store().kindOf(n)->isDag();
}

MStatus MFnDagNode::bindPath(const MDagPath& path, MFn::Type wanted)
{
    Path p = ObjectAccess::path(path);
    mPath = MDagPath();
    mObject = MObject();
    if (!store().pathValid(p))
        return MStatus::kInvalidParameter;
    const NodeId last = p.back();
    if (!store().kindOf(last)->isA(wanted)) {
        const NodeId shape = store().kindOf(last)->isA(MFn::kTransform) ? store().firstShape(last) : NodeId();
        if (!shape.valid() || !store().kindOf(shape)->isA(wanted))
            return MStatus::kInvalidParameter;
        p.push_back(shape);
    }
    mObject = ObjectAccess::fromNode(p.back());
    if (!accepts(mObject)) {
        mObject = MObject();
        return MStatus::kInvalidParameter;
    }
    mPath = ObjectAccess::path(p);
    return MStatus::kSuccess;
}

MObject MFnDagNode::create(const MString& typeName, const MObject& parent, MStatus* status)
{
    return create(typeName, MString(), parent, status);
}

MObject MFnDagNode::create(const MString& typeName, const MString& name, const MObject& parent, MStatus* status)
{
    const vesk::Kind* k = store().kind(typeName.asChar());
    NodeId p = ObjectAccess::node(parent);
    if (!k || !k->isDag() || k->abstract || (!parent.isNull() && !p.valid())) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    NodeId made;
    NodeId returned;
    MStatus s;
    if (!p.valid() && k->isA(MFn::kShape)) {
        returned = store().createNode("transform", k->typeName() + "1", NodeId(), &s);
        if (s)
            made = store().createNode(k, name.length() ? name.asChar() : k->typeName() + "Shape1", returned, &s);
    } else {
        made = store().createNode(k, name.asChar(), p, &s);
        returned = made;
    }
    report(status, s);
    if (!s) {
        if (returned.valid())
            store().deleteNode(returned);
        return MObject();
    }
    mObject = ObjectAccess::fromNode(made);
    mPath = MDagPath();
    return ObjectAccess::fromNode(returned);
}

unsigned int MFnDagNode::parentCount(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? static_cast<unsigned int>(store().parents(n).size()) : 0;
}

MObject MFnDagNode::parent(unsigned int index, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid() || index >= store().parents(n).size()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return ObjectAccess::fromNode(store().parents(n)[index]);
}

unsigned int MFnDagNode::childCount(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? static_cast<unsigned int>(store().children(n).size()) : 0;
}

MObject MFnDagNode::child(unsigned int index, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid() || index >= store().children(n).size()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return ObjectAccess::fromNode(store().children(n)[index]);
}

MStatus MFnDagNode::addChild(const MObject& child, unsigned int index, bool keepExistingParents)
{
    const NodeId n = ObjectAccess::node(mObject);
    const NodeId c = ObjectAccess::node(child);
    if (!n.valid() || !c.valid())
        return MStatus::kInvalidParameter;
    const int at = index == kNextPos || index > 0x7FFFFFFFu ? -1 : static_cast<int>(index);
    return store().addChild(n, c, at, keepExistingParents);
}

MStatus MFnDagNode::removeChild(const MObject& child)
{
    const NodeId n = ObjectAccess::node(mObject);
    const NodeId c = ObjectAccess::node(child);
    if (!n.valid() || !c.valid())
        return MStatus::kInvalidParameter;
    return store().removeChild(n, c);
}

bool MFnDagNode::hasChild(const MObject& node, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    const NodeId c = ObjectAccess::node(node);
    const auto& kids = store().children(n);
    return n.valid() && c.valid() && std::find(kids.begin(), kids.end(), c) != kids.end();
}

bool MFnDagNode::isChildOf(const MObject& node, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    const NodeId p = ObjectAccess::node(node);
    const auto& ps = store().parents(n);
    return n.valid() && p.valid() && std::find(ps.begin(), ps.end(), p) != ps.end();
}

bool MFnDagNode::isParentOf(const MObject& node, MStatus* status) const
{
    return hasChild(node, status);
}

MStatus MFnDagNode::getPath(MDagPath& path) const
{
    if (mPath.isValid() && mPath.node() == mObject) {
        path = mPath;
        return MStatus::kSuccess;
    }
    return MDagPath::getAPathTo(mObject, path);
}

MDagPath MFnDagNode::dagPath(MStatus* status) const
{
    MDagPath p;
    report(status, getPath(p));
    return p;
}

MStatus MFnDagNode::getAllPaths(MDagPathArray& paths) const
{
    return MDagPath::getAllPathsTo(mObject, paths);
}

MString MFnDagNode::fullPathName(MStatus* status) const
{
    MDagPath p;
    const MStatus s = getPath(p);
    report(status, s);
    return s ? p.fullPathName() : MString();
}

MString MFnDagNode::partialPathName(MStatus* status) const
{
    MDagPath p;
    const MStatus s = getPath(p);
    report(status, s);
    return s ? p.partialPathName() : MString();
}

bool MFnDagNode::isInstanced(bool indirect, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return false;
    if (!indirect)
        return store().parents(n).size() > 1;
    std::vector<Path> paths;
    store().allPaths(n, paths);
    return paths.size() > 1;
}

unsigned int MFnDagNode::instanceCount(bool total, MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    if (!n.valid())
        return 0;
    if (!total)
        return static_cast<unsigned int>(store().parents(n).size());
    std::vector<Path> paths;
    store().allPaths(n, paths);
    return static_cast<unsigned int>(paths.size());
}

bool MFnDagNode::isIntermediateObject(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() && store().intermediate(n);
}

MStatus MFnDagNode::setIntermediateObject(bool on)
{
    const NodeId n = ObjectAccess::node(mObject);
    if (!n.valid())
        return MStatus::kInvalidParameter;
    store().setIntermediate(n, on);
    return MStatus::kSuccess;
}

MMatrix MFnDagNode::transformationMatrix(MStatus* status) const
{
    const NodeId n = boundNode(mObject, status);
    return n.valid() ? store().localMatrix(n) : MMatrix();
}
