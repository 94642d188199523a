#include <vesk/MDagPath.h>
#include <algorithm>

#include <vesk/MDagPathArray.h>

#include "core/object_access.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::Path;
using vesk::report;
using vesk::store;

namespace {

// The path as store nodes when it is still valid.
bool valid(const MDagPath& p, Path& out, MStatus* status)
{
    out = ObjectAccess::path(p);
    const bool ok = store().pathValid(out);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return ok;
}

} // namespace

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
    for (size_t i = p.size(); i-- > 0;)
        if (store().kindOf(p[i])->isA(MFn::kTransform))
            return ObjectAccess::fromNode(p[i]);
    report(status, MStatus::kInvalidParameter);
    return MObject();
}

unsigned int MDagPath::length(MStatus* status) const
{
    report(status, MStatus::kSuccess);
    return static_cast<unsigned int>(mNodes.size());
}

MStatus MDagPath::pop(unsigned int n)
{
    if (n >= mNodes.size())
        return MStatus::kInvalidParameter;
    mNodes.resize(mNodes.size() - n);
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
    const auto& kids = store().children(parent);
    if (std::find(kids.begin(), kids.end(), c) == kids.end())
        return MStatus::kInvalidParameter;
    mNodes.push_back(child);
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
    mNodes.push_back(ObjectAccess::fromNode(s));
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
    if (!valid(*this, p, status))
        return false;
    for (NodeId n : p)
        if (store().parents(n).size() > 1)
            return true;
    return false;
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
    p.pop_back();
    return store().inclusiveMatrix(p);
}

bool MDagPath::operator==(const MDagPath& other) const
{
    return ObjectAccess::path(*this) == ObjectAccess::path(other);
}
