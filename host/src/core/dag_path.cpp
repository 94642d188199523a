#include <vesk/MDagPath.h>
#include <algorithm>

#include <vesk/MDagPathArray.h>

#include "core/object_access.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::Path;
using vesk::PathLink;
using vesk::report;
using vesk::store;

namespace {

// The path when it is still valid.
bool valid(const MDagPath& p, Path& out, MStatus* status)
{
    out = ObjectAccess::path(p);
    const bool ok = store().pathValid(out);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return ok;
}

} // namespace

MDagPath::MDagPath(const MDagPath& other) : mLink(other.mLink)
{
    vesk::retainPathLink(mLink);
}

MDagPath& MDagPath::operator=(const MDagPath& other)
{
    vesk::retainPathLink(other.mLink);
    vesk::releasePathLink(mLink);
    mLink = other.mLink;
    return *this;
}

MDagPath::~MDagPath()
{
    vesk::releasePathLink(mLink);
}

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path)
{
    Path p;
    if (!store().firstPath(ObjectAccess::node(node), p))
        return MStatus::kInvalidParameter;
    path = ObjectAccess::path(p);
    return MStatus::kSuccess;
}

MStatus MDagPath::getAllPathsTo(const MObject& node, MDagPathArray& paths)
{
    paths.clear();
    std::vector<Path> all;
    store().allPaths(ObjectAccess::node(node), all);
    if (all.empty())
        return MStatus::kInvalidParameter;
    for (const Path& p : all)
        paths.append(ObjectAccess::path(p));
    return MStatus::kSuccess;
}

bool MDagPath::isValid(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return store().pathValid(ObjectAccess::path(*this));
}

MObject MDagPath::node(MStatus* status) const
{
    Path p;
    return valid(*this, p, status) ? ObjectAccess::fromNode(p.back()) : MObject();
}

MObject MDagPath::transform(MStatus* status) const
{
    Path p;
    if (!valid(*this, p, status))
        return MObject();
    for (const PathLink* l = p.link(); l; l = l->parent)
        if (store().kindOf(l->node)->isA(MFn::kTransform))
            return ObjectAccess::fromNode(l->node);
    report(status, MStatus::kInvalidParameter);
    return MObject();
}

unsigned int MDagPath::length(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return mLink ? mLink->depth : 0;
}

MStatus MDagPath::pop(unsigned int n)
{
    if (n >= length())
        return MStatus::kInvalidParameter;
    *this = ObjectAccess::path(ObjectAccess::path(*this).prefix(length() - n));
    return MStatus::kSuccess;
}

MStatus MDagPath::push(const MObject& child)
{
    Path p = ObjectAccess::path(*this);
    const NodeId c = ObjectAccess::node(child);
    if (!c.valid())
        return MStatus::kInvalidParameter;
    const NodeId parent = p.empty() ? store().world() : p.back();
    if (!p.empty() && !store().pathValid(p))
        return MStatus::kInvalidParameter;
    // A child lists its parents: fewer than a parent's children, as a rule.
    const auto& parents = store().parents(c);
    if (std::find(parents.begin(), parents.end(), parent) == parents.end())
        return MStatus::kInvalidParameter;
    p.push_back(c);
    *this = ObjectAccess::path(p);
    return MStatus::kSuccess;
}

unsigned int MDagPath::childCount(MStatus* status) const
{
    Path p;
    return valid(*this, p, status) ? static_cast<unsigned int>(store().children(p.back()).size()) : 0;
}

MObject MDagPath::child(unsigned int i, MStatus* status) const
{
    Path p;
    if (!valid(*this, p, status))
        return MObject();
    const auto& kids = store().children(p.back());
    if (i >= kids.size()) {
        report(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return ObjectAccess::fromNode(kids[i]);
}

MStatus MDagPath::extendToShape()
{
    Path p;
    if (!valid(*this, p, nullptr))
        return MStatus::kInvalidParameter;
    if (store().kindOf(p.back())->isA(MFn::kShape))
        return MStatus::kSuccess;
    const NodeId s = store().firstShape(p.back());
    if (!s.valid())
        return MStatus::kInvalidParameter;
    p.push_back(s);
    *this = ObjectAccess::path(p);
    return MStatus::kSuccess;
}

unsigned int MDagPath::numberOfShapesDirectlyBelow(MStatus* status) const
{
    Path p;
    if (!valid(*this, p, status))
        return 0;
    unsigned int n = 0;
    for (NodeId c : store().children(p.back()))
        if (store().kindOf(c)->isA(MFn::kShape))
            ++n;
    return n;
}

MString MDagPath::fullPathName(MStatus* status) const
{
    Path p = ObjectAccess::path(*this);
    if (p.empty()) {
        report(status, MStatus::kSuccess);
        return MString();
    }
    return valid(*this, p, status) ? MString(store().fullPathName(p).c_str()) : MString();
}

MString MDagPath::partialPathName(MStatus* status) const
{
    Path p = ObjectAccess::path(*this);
    if (p.empty()) {
        report(status, MStatus::kSuccess);
        return MString();
    }
    return valid(*this, p, status) ? MString(store().partialPathName(p).c_str()) : MString();
}

bool MDagPath::hasFn(MFn::Type type, MStatus* status) const
{
    Path p;
    return valid(*this, p, status) && store().pathHasFn(p, type);
}

MFn::Type MDagPath::apiType(MStatus* status) const
{
    Path p;
    return valid(*this, p, status) ? store().kindOf(p.back())->type() : MFn::kInvalid;
}

unsigned int MDagPath::instanceNumber(MStatus* status) const
{
    Path p;
    if (!valid(*this, p, status))
        return 0;
    const int n = store().instanceNumber(p);
    return n < 0 ? 0 : static_cast<unsigned int>(n);
}

bool MDagPath::isInstanced(MStatus* status) const
{
    Path p;
    return valid(*this, p, status) && store().pathInstanced(p);
}

MMatrix MDagPath::inclusiveMatrix(MStatus* status) const
{
    Path p;
    return valid(*this, p, status) ? store().inclusiveMatrix(p) : MMatrix();
}

MMatrix MDagPath::exclusiveMatrix(MStatus* status) const
{
    Path p;
    if (!valid(*this, p, status))
        return MMatrix();
    return store().inclusiveMatrix(p.parent());
}

bool MDagPath::operator==(const MDagPath& other) const
{
    // Paths are interned: equal paths share their last link.
    return mLink == other.mLink;
}
