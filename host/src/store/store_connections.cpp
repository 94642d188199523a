// Node store: connections, indexed from both ends.
#include <algorithm>

#include <vesk/MFnData.h>

#include "store/store_impl.h"

namespace vesk {
namespace {

bool geometryData(int t)
{
    return t == MFnData::kMesh || t == MFnData::kNurbsSurface || t == MFnData::kGeometry;
}

bool matrixLike(const Attribute* a)
{
    return a->form() == AttrForm::kMatrix || (a->form() == AttrForm::kTyped && a->dataType == MFnData::kMatrix);
}

// Whether values of a can flow into b: messages to messages, numbers to
// numbers, matrices to matrices, data of one type (any geometry to a
// geometry input), compounds of like children.
bool likeKinds(const Attribute* a, const Attribute* b)
{
    if (a->form() == AttrForm::kMessage || b->form() == AttrForm::kMessage)
        return a->form() == b->form();
    if (a->isNumericLeaf() || b->isNumericLeaf())
        return a->isNumericLeaf() && b->isNumericLeaf();
    if (matrixLike(a) || matrixLike(b))
        return matrixLike(a) && matrixLike(b);
    if (a->form() == AttrForm::kTyped || b->form() == AttrForm::kTyped) {
        if (a->form() != AttrForm::kTyped || b->form() != AttrForm::kTyped)
            return false;
        if (a->dataType == b->dataType)
            return true;
        return geometryData(a->dataType) && geometryData(b->dataType) &&
               (a->dataType == MFnData::kGeometry || b->dataType == MFnData::kGeometry);
    }
    // Compounds.
    if (a->children().size() != b->children().size() || a->children().empty())
        return false;
    for (size_t i = 0; i < a->children().size(); ++i)
        if (!likeKinds(a->children()[i], b->children()[i]))
            return false;
    return true;
}

bool arrayPlug(const PlugKey& k)
{
    const int own = k.attr->ownLevel();
    return own >= 0 && k.idx[own] == kUnsetIndex;
}

const std::vector<uint32_t> kNoIds;

} // namespace

MStatus NodeStore::connect(const PlugRef& src, const PlugRef& dst)
{
    if (!hasAttribute(src.node, src.key.attr) || !hasAttribute(dst.node, dst.key.attr))
        return MStatus::kInvalidParameter;
    if (!levelsSet(src.key) || !levelsSet(dst.key) || arrayPlug(src.key) || arrayPlug(dst.key) || src == dst)
        return MStatus::kInvalidParameter;
    if (mIncoming.count(dst) || isLocked(dst.node, dst.key))
        return MStatus::kInvalidParameter;
    const Attribute* s = src.key.attr;
    const Attribute* d = dst.key.attr;
    if (!s->readable || !s->connectable || !d->writable || !d->connectable || !likeKinds(s, d))
        return MStatus::kInvalidParameter;

    uint32_t id;
    if (!mFreeConnections.empty()) {
        id = mFreeConnections.back();
        mFreeConnections.pop_back();
    } else {
        id = static_cast<uint32_t>(mConnections.size());
        mConnections.emplace_back();
    }
    Connection& c = mConnections[id];
    c.src = src;
    c.dst = dst;
    c.live = true;
    NodeRecord* sr = record(src.node);
    c.srcPos = static_cast<uint32_t>(sr->connections.size());
    sr->connections.push_back(id);
    if (dst.node == src.node) {
        c.dstPos = c.srcPos;
    } else {
        NodeRecord* dr = record(dst.node);
        c.dstPos = static_cast<uint32_t>(dr->connections.size());
        dr->connections.push_back(id);
    }
    mIncoming[dst] = id;
    mOutgoing[src].push_back(id);
    touchElements(src.node, src.key);
    touchElements(dst.node, dst.key);
    return MStatus::kSuccess;
}

MStatus NodeStore::disconnect(const PlugRef& src, const PlugRef& dst)
{
    auto it = mIncoming.find(dst);
    if (it == mIncoming.end() || mConnections[it->second].src != src)
        return MStatus::kInvalidParameter;
    removeConnection(it->second);
    return MStatus::kSuccess;
}

void NodeStore::dropFromList(NodeId n, uint32_t pos)
{
    NodeRecord* r = record(n);
    if (!r || pos >= r->connections.size())
        return;
    r->connections[pos] = kNoConnection;
    ++r->deadConnections;
    if (r->deadConnections > 16 && r->deadConnections * 2 > r->connections.size()) {
        std::vector<uint32_t> kept;
        kept.reserve(r->connections.size() - r->deadConnections);
        for (uint32_t id : r->connections) {
            if (id == kNoConnection)
                continue;
            Connection& c = mConnections[id];
            const uint32_t p = static_cast<uint32_t>(kept.size());
            if (c.src.node == n)
                c.srcPos = p;
            if (c.dst.node == n)
                c.dstPos = p;
            kept.push_back(id);
        }
        r->connections.swap(kept);
        r->deadConnections = 0;
    }
}

void NodeStore::removeConnection(uint32_t id)
{
    Connection& c = mConnections[id];
    if (!c.live)
        return;
    c.live = false;
    mIncoming.erase(c.dst);
    auto out = mOutgoing.find(c.src);
    if (out != mOutgoing.end()) {
        std::vector<uint32_t>& v = out->second;
        auto pos = std::find(v.begin(), v.end(), id);
        if (pos != v.end())
            v.erase(pos);
        if (v.empty())
            mOutgoing.erase(out);
    }
    const NodeId srcNode = c.src.node;
    const NodeId dstNode = c.dst.node;
    const uint32_t srcPos = c.srcPos;
    const uint32_t dstPos = c.dstPos;
    dropFromList(srcNode, srcPos);
    if (dstNode != srcNode)
        dropFromList(dstNode, dstPos);
    mFreeConnections.push_back(id);
}

bool NodeStore::sourceOf(const PlugRef& dst, PlugRef& src) const
{
    auto it = mIncoming.find(dst);
    if (it == mIncoming.end())
        return false;
    src = mConnections[it->second].src;
    return true;
}

void NodeStore::destinationsOf(const PlugRef& src, std::vector<PlugRef>& out) const
{
    out.clear();
    auto it = mOutgoing.find(src);
    if (it == mOutgoing.end())
        return;
    for (uint32_t id : it->second)
        out.push_back(mConnections[id].dst);
}

const std::vector<uint32_t>& NodeStore::connectionsOf(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->connections : kNoIds;
}

} // namespace vesk
