// MPlug: identity, names, structure, connections and locks.
#include <vesk/MIntArray.h>
#include <vesk/MPlug.h>
#include <vesk/MPlugArray.h>

#include "core/object_access.h"

using vesk::NodeId;
using vesk::ObjectAccess;
using vesk::PlugKey;
using vesk::PlugRef;
using vesk::report;
using vesk::store;

static_assert(vesk::kMaxLevels == 4, "MPlug keeps four array levels");

MDGContext MDGContext::fsNormal;

namespace vesk {

MPlug ObjectAccess::plug(NodeId node, const PlugKey& key)
{
    MPlug p;
    if (!store().isAlive(node) || !key.attr)
        return p;
    key.attr->ref();
    p.mAttr = key.attr;
    p.mNodeIndex = node.index;
    p.mNodeGen = node.gen;
    for (int i = 0; i < kMaxLevels; ++i)
        p.mIdx[i] = key.idx[i];
    return p;
}

bool ObjectAccess::plugRef(const MPlug& p, PlugRef& out)
{
    if (!p.mAttr || !p.mAttr->alive())
        return false;
    out.node = NodeId{p.mNodeIndex, p.mNodeGen};
    out.key.attr = static_cast<Attribute*>(p.mAttr);
    for (int i = 0; i < kMaxLevels; ++i)
        out.key.idx[i] = p.mIdx[i];
    return store().hasAttribute(out.node, out.key.attr);
}

} // namespace vesk

namespace {

// The plug as a store reference, with the status of the call.
bool resolve(const MPlug& p, PlugRef& r, MStatus* status)
{
    const bool ok = ObjectAccess::plugRef(p, r);
    report(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return ok;
}

MPlug withKey(const PlugRef& r, const PlugKey& key)
{
    return ObjectAccess::plug(r.node, key);
}

bool isArrayPlug(const PlugKey& k)
{
    const int own = k.attr->ownLevel();
    return own >= 0 && k.idx[own] == vesk::kUnsetIndex;
}

bool isElementPlug(const PlugKey& k)
{
    const int own = k.attr->ownLevel();
    return own >= 0 && k.idx[own] != vesk::kUnsetIndex;
}

} // namespace

MPlug::MPlug() {}

MPlug::MPlug(const MObject& node, const MObject& attribute)
{
    const NodeId n = ObjectAccess::node(node);
    vesk::Attribute* a = ObjectAccess::attribute(attribute);
    if (n.valid() && a && store().hasAttribute(n, a)) {
        PlugKey k;
        k.attr = a;
        *this = ObjectAccess::plug(n, k);
    }
}

MPlug::MPlug(const MPlug& other) : mAttr(other.mAttr), mNodeIndex(other.mNodeIndex), mNodeGen(other.mNodeGen)
{
    for (int i = 0; i < 4; ++i)
        mIdx[i] = other.mIdx[i];
    if (mAttr)
        mAttr->ref();
}

MPlug& MPlug::operator=(const MPlug& other)
{
    if (this != &other) {
        if (other.mAttr)
            other.mAttr->ref();
        if (mAttr)
            mAttr->unref();
        mAttr = other.mAttr;
        mNodeIndex = other.mNodeIndex;
        mNodeGen = other.mNodeGen;
        for (int i = 0; i < 4; ++i)
            mIdx[i] = other.mIdx[i];
    }
    return *this;
}

MPlug::~MPlug()
{
    if (mAttr)
        mAttr->unref();
}

bool MPlug::isNull(MStatus* status) const
{
    PlugRef r;
    report(status, MStatus::kSuccess);
    return !ObjectAccess::plugRef(*this, r);
}

MObject MPlug::node(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) ? ObjectAccess::fromNode(r.node) : MObject();
}

MObject MPlug::attribute(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) ? ObjectAccess::fromRef(r.key.attr) : MObject();
}

MString MPlug::name(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MString();
    return MString((store().nodeAddress(r.node) + "." + store().plugPath(r.node, r.key, true, true)).c_str());
}

MString MPlug::info(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MString();
    return MString((store().nodeAddress(r.node) + "." + store().plugPath(r.node, r.key, true, false)).c_str());
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool, bool useLongNames, MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MString();
    std::string out = includeNodeName ? store().nodeAddress(r.node) + "." : std::string();
    out += store().plugPath(r.node, r.key, useLongNames, false);
    return MString(out.c_str());
}

bool MPlug::isArray(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) && isArrayPlug(r.key);
}

bool MPlug::isElement(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) && isElementPlug(r.key);
}

bool MPlug::isCompound(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) && !r.key.attr->isLeaf();
}

bool MPlug::isChild(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) && r.key.attr->parent() != nullptr;
}

unsigned int MPlug::numChildren(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) ? static_cast<unsigned int>(r.key.attr->children().size()) : 0;
}

MPlug MPlug::child(unsigned int index, MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    if (index >= r.key.attr->children().size()) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey k = r.key;
    k.attr = r.key.attr->children()[index];
    return withKey(r, k);
}

MPlug MPlug::child(const MObject& attribute, MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    vesk::Attribute* a = ObjectAccess::attribute(attribute);
    if (!a || a->parent() != r.key.attr) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey k = r.key;
    k.attr = a;
    return withKey(r, k);
}

MPlug MPlug::parent(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    vesk::Attribute* p = r.key.attr->parent();
    if (!p) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey k = r.key;
    k.attr = p;
    for (int l = p->levelCount(); l < vesk::kMaxLevels; ++l)
        k.idx[l] = vesk::kUnsetIndex;
    return withKey(r, k);
}

MPlug MPlug::array(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    if (!isElementPlug(r.key)) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey k = r.key;
    k.idx[k.attr->ownLevel()] = vesk::kUnsetIndex;
    return withKey(r, k);
}

unsigned int MPlug::numElements(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return 0;
    if (!isArrayPlug(r.key) || !store().levelsSet(r.key)) {
        report(status, MStatus::kInvalidParameter);
        return 0;
    }
    return static_cast<unsigned int>(store().numElements(r.node, r.key));
}

MPlug MPlug::elementByLogicalIndex(unsigned int logicalIndex, MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    if (!r.key.attr->array || logicalIndex == vesk::kUnsetIndex) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey k = r.key;
    k.idx[k.attr->ownLevel()] = logicalIndex;
    return withKey(r, k);
}

MPlug MPlug::elementByPhysicalIndex(unsigned int physicalIndex, MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return MPlug();
    if (!r.key.attr->array) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    PlugKey arrayKey = r.key;
    arrayKey.idx[arrayKey.attr->ownLevel()] = vesk::kUnsetIndex;
    uint32_t logical = 0;
    if (!store().logicalIndexAt(r.node, arrayKey, physicalIndex, logical)) {
        report(status, MStatus::kInvalidParameter);
        return MPlug();
    }
    arrayKey.idx[arrayKey.attr->ownLevel()] = logical;
    return withKey(r, arrayKey);
}

MPlug MPlug::operator[](unsigned int physicalIndex) const
{
    return elementByPhysicalIndex(physicalIndex);
}

unsigned int MPlug::logicalIndex(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return vesk::kUnsetIndex;
    if (!isElementPlug(r.key)) {
        report(status, MStatus::kInvalidParameter);
        return vesk::kUnsetIndex;
    }
    return r.key.idx[r.key.attr->ownLevel()];
}

int MPlug::getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status) const
{
    indices.clear();
    PlugRef r;
    if (!resolve(*this, r, status))
        return 0;
    if (!r.key.attr->array) {
        report(status, MStatus::kInvalidParameter);
        return 0;
    }
    PlugKey arrayKey = r.key;
    arrayKey.idx[arrayKey.attr->ownLevel()] = vesk::kUnsetIndex;
    std::vector<uint32_t> found;
    store().logicalIndices(r.node, arrayKey, found);
    for (uint32_t i : found)
        indices.append(static_cast<int>(i));
    return static_cast<int>(found.size());
}

MStatus MPlug::selectAncestorLogicalIndex(unsigned int index, const MObject& attribute)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(*this, r) || index == vesk::kUnsetIndex)
        return MStatus::kInvalidParameter;
    const vesk::Attribute* target = ObjectAccess::attribute(attribute);
    if (!target) {
        for (const vesk::Attribute* a = r.key.attr->parent(); a && !target; a = a->parent())
            if (a->array)
                target = a;
    }
    const int level = r.key.attr->levelOf(target);
    if (level < 0)
        return MStatus::kInvalidParameter;
    mIdx[level] = index;
    return MStatus::kSuccess;
}

bool MPlug::isDestination(MStatus* status) const
{
    PlugRef r, src;
    return resolve(*this, r, status) && store().sourceOf(r, src);
}

bool MPlug::isSource(MStatus* status) const
{
    PlugRef r;
    if (!resolve(*this, r, status))
        return false;
    std::vector<PlugRef> dsts;
    store().destinationsOf(r, dsts);
    return !dsts.empty();
}

bool MPlug::isConnected(MStatus* status) const
{
    return isDestination(status) || isSource(status);
}

bool MPlug::connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status) const
{
    plugs.clear();
    PlugRef r;
    if (!resolve(*this, r, status))
        return false;
    PlugRef src;
    if (asDst && store().sourceOf(r, src))
        plugs.append(ObjectAccess::plug(src.node, src.key));
    if (asSrc) {
        std::vector<PlugRef> dsts;
        store().destinationsOf(r, dsts);
        for (const PlugRef& d : dsts)
            plugs.append(ObjectAccess::plug(d.node, d.key));
    }
    return plugs.length() > 0;
}

bool MPlug::isLocked(MStatus* status) const
{
    PlugRef r;
    return resolve(*this, r, status) && store().isLocked(r.node, r.key);
}

MStatus MPlug::setLocked(bool locked)
{
    PlugRef r;
    if (!ObjectAccess::plugRef(*this, r))
        return MStatus::kInvalidParameter;
    return store().setLocked(r.node, r.key, locked);
}

bool MPlug::operator==(const MPlug& other) const
{
    if (mAttr != other.mAttr || mNodeIndex != other.mNodeIndex || mNodeGen != other.mNodeGen)
        return false;
    for (int i = 0; i < 4; ++i)
        if (mIdx[i] != other.mIdx[i])
            return false;
    return true;
}
