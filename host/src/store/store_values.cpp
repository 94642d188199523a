// Node store: attributes of nodes, plug values, sparse arrays, locks and
// element aliases.
#include <algorithm>

#include <vesk/MFnData.h>

#include "store/store_impl.h"

namespace vesk {
namespace {

// The array attributes from the outermost down to attr (inclusive).
int chainArrays(const Attribute* attr, const Attribute* out[kMaxLevels])
{
    const Attribute* chain[16];
    int n = 0;
    for (const Attribute* a = attr; a && n < 16; a = a->parent())
        if (a->array)
            chain[n++] = a;
    n = std::min(n, kMaxLevels);
    for (int i = 0; i < n; ++i)
        out[i] = chain[n - 1 - i];
    return n;
}

// The plug one step up: the array plug of an element, else the compound
// parent (indices below the parent's levels cleared); false at the top.
bool parentPlug(const PlugKey& k, PlugKey& out)
{
    out = k;
    const int own = k.attr->ownLevel();
    if (own >= 0 && k.idx[own] != kUnsetIndex) {
        out.idx[own] = kUnsetIndex;
        return true;
    }
    Attribute* p = k.attr->parent();
    if (!p)
        return false;
    out.attr = p;
    for (int l = p->levelCount(); l < kMaxLevels; ++l)
        out.idx[l] = kUnsetIndex;
    return true;
}

void collectNames(const Attribute* a, std::vector<std::string>& out)
{
    out.push_back(a->longName());
    out.push_back(a->shortName());
    for (const Attribute* c : a->children())
        collectNames(c, out);
}

} // namespace

NodeStore::PlugTable& NodeStore::plugs(NodeId n)
{
    NodeRecord* r = record(n);
    if (!r->plugs)
        r->plugs.reset(new PlugTable);
    return *r->plugs;
}

const NodeStore::PlugTable* NodeStore::plugsIfAny(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->plugs.get() : nullptr;
}

Attribute* NodeStore::findAttribute(NodeId n, const std::string& name) const
{
    const NodeRecord* r = record(n);
    if (!r)
        return nullptr;
    if (Attribute* a = r->kind->findAttribute(name))
        return a;
    if (r->plugs) {
        auto it = r->plugs->dynamicByName.find(name);
        if (it != r->plugs->dynamicByName.end())
            return it->second;
    }
    return nullptr;
}

size_t NodeStore::attributeCount(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r ? r->kind->attributes().size() + r->dynamicAttrs.size() : 0;
}

Attribute* NodeStore::attributeAt(NodeId n, size_t i) const
{
    const NodeRecord* r = record(n);
    if (!r)
        return nullptr;
    const std::vector<Attribute*>& statics = r->kind->attributes();
    if (i < statics.size())
        return statics[i];
    i -= statics.size();
    return i < r->dynamicAttrs.size() ? r->dynamicAttrs[i].get() : nullptr;
}

bool NodeStore::isDynamic(NodeId n, const Attribute* a) const
{
    return a && !a->deleted() && a->owner() == Attribute::kDynamic && a->ownerNode() == n && isAlive(n);
}

bool NodeStore::hasAttribute(NodeId n, const Attribute* a) const
{
    const NodeRecord* r = record(n);
    if (!r || !a || a->deleted())
        return false;
    if (a->owner() == Attribute::kDynamic)
        return a->ownerNode() == n;
    if (a->owner() != Attribute::kStatic)
        return false;
    const Attribute* top = a->root();
    for (const Attribute* s : r->kind->attributes())
        if (s == top)
            return true;
    return false;
}

MStatus NodeStore::addAttribute(NodeId n, const Ref<Attribute>& attr)
{
    NodeRecord* r = record(n);
    if (!r || !attr || attr->deleted() || attr->parent() || attr->owner() != Attribute::kFree)
        return MStatus::kFailure;
    std::vector<std::string> names;
    collectNames(attr.get(), names);
    for (const std::string& nm : names) {
        PlugKey ignored;
        if (nm.empty() || findAttribute(n, nm) || findAlias(n, nm, ignored))
            return MStatus::kInvalidParameter;
    }
    attr->setOwner(Attribute::kDynamic, n);
    r->dynamicAttrs.push_back(attr);
    std::function<void(Attribute*)> index = [&](Attribute* a) {
        PlugTable& t = plugs(n);
        t.dynamicByName.emplace(a->longName(), a);
        t.dynamicByName.emplace(a->shortName(), a);
        for (Attribute* c : a->children())
            index(c);
    };
    index(attr.get());
    return MStatus::kSuccess;
}

void NodeStore::dropPlugs(NodeId n, Attribute* attr)
{
    // Connections first (they index plugs), then the plug table entries.
    NodeRecord* r = record(n);
    const std::vector<uint32_t> conns = r->connections;
    for (uint32_t id : conns) {
        if (id == kNoConnection || !mConnections[id].live)
            continue;
        const Connection& c = mConnections[id];
        if ((c.src.node == n && c.src.key.attr->isSelfOrDescendantOf(attr)) ||
            (c.dst.node == n && c.dst.key.attr->isSelfOrDescendantOf(attr)))
            removeConnection(id);
    }
    if (!r->plugs)
        return;
    PlugTable& t = *r->plugs;
    auto doomed = [&](const PlugKey& k) { return k.attr->isSelfOrDescendantOf(attr); };
    for (auto it = t.values.begin(); it != t.values.end();)
        it = doomed(it->first) ? t.values.erase(it) : std::next(it);
    for (auto it = t.arrays.begin(); it != t.arrays.end();)
        it = doomed(it->first) ? t.arrays.erase(it) : std::next(it);
    for (auto it = t.locks.begin(); it != t.locks.end();)
        it = doomed(*it) ? t.locks.erase(it) : std::next(it);
    for (auto it = t.aliases.begin(); it != t.aliases.end();) {
        if (doomed(it->first)) {
            t.aliasByName.erase(it->second);
            it = t.aliases.erase(it);
        } else {
            ++it;
        }
    }
}

MStatus NodeStore::removeAttribute(NodeId n, Attribute* attr)
{
    NodeRecord* r = record(n);
    if (!r || !attr || !isDynamic(n, attr) || attr->parent())
        return MStatus::kInvalidParameter;
    dropPlugs(n, attr);
    std::vector<std::string> names;
    collectNames(attr, names);
    for (const std::string& nm : names) {
        auto it = r->plugs->dynamicByName.find(nm);
        if (it != r->plugs->dynamicByName.end() && it->second->isSelfOrDescendantOf(attr))
            r->plugs->dynamicByName.erase(it);
    }
    auto it = std::find_if(r->dynamicAttrs.begin(), r->dynamicAttrs.end(),
                           [&](const Ref<Attribute>& a) { return a.get() == attr; });
    Ref<Attribute> keep = *it;
    r->dynamicAttrs.erase(it);
    attr->markDeleted();
    attr->setOwner(Attribute::kFree, NodeId());
    return MStatus::kSuccess;
}

MStatus NodeStore::deleteFreeAttribute(Attribute* attr)
{
    if (!attr || attr->deleted() || attr->parent() || attr->owner() != Attribute::kFree)
        return MStatus::kInvalidParameter;
    attr->markDeleted();
    return MStatus::kSuccess;
}

bool NodeStore::levelsSet(const PlugKey& k)
{
    if (!k.attr)
        return false;
    const int above = k.attr->ancestorLevels();
    for (int l = 0; l < above; ++l)
        if (k.idx[l] == kUnsetIndex)
            return false;
    return true;
}

bool NodeStore::isValuePlug(const PlugKey& k)
{
    if (!k.attr || !k.attr->isLeaf() || !levelsSet(k))
        return false;
    const int own = k.attr->ownLevel();
    return own < 0 || k.idx[own] != kUnsetIndex;
}

bool NodeStore::storedValue(NodeId n, const PlugKey& k, Value& out) const
{
    const PlugTable* t = plugsIfAny(n);
    if (!t)
        return false;
    auto it = t->values.find(k);
    if (it == t->values.end())
        return false;
    out = it->second;
    return true;
}

bool NodeStore::computeValue(NodeId n, const PlugKey& k, Value& out)
{
    const PlugRef ref{n, k};
    if (mComputing.count(ref))
        return false;
    mComputing.insert(ref);
    const bool ok = k.attr->compute(*this, n, k, out);
    mComputing.erase(ref);
    return ok;
}

namespace {

// The attribute's default as a value; false for forms without one.
bool defaultValue(const Attribute* a, Value& out)
{
    switch (a->form()) {
    case AttrForm::kNumeric:
    case AttrForm::kUnit:
    case AttrForm::kEnum:
        out = Value::ofNumber(a->defaultValue);
        return true;
    case AttrForm::kMatrix:
        out = Value::ofData(Ref<RefObject>(new MatrixData));
        return true;
    case AttrForm::kTyped:
        out = a->dataType == MFnData::kString ? Value::ofText(a->defaultText) : Value();
        return true;
    default:
        return false;
    }
}

} // namespace

MStatus NodeStore::readValue(NodeId n, const PlugKey& k, Value& out)
{
    if (!hasAttribute(n, k.attr) || !isValuePlug(k) || k.attr->form() == AttrForm::kMessage)
        return MStatus::kInvalidParameter;
    // A computation met again while it runs gives its stored value. A
    // computed source with nothing to give (a curve without keys) leaves the
    // destination its own value.
    PlugRef src;
    if (!k.attr->compute && sourceOf(PlugRef{n, k}, src) && src.key.attr->compute) {
        if (mComputing.count(src)) {
            if (storedValue(src.node, src.key, out))
                return MStatus::kSuccess;
            return defaultValue(src.key.attr, out) ? MStatus::kSuccess : MStatus::kInvalidParameter;
        }
        if (computeValue(src.node, src.key, out))
            return MStatus::kSuccess;
    } else if (k.attr->compute && computeValue(n, k, out)) {
        return MStatus::kSuccess;
    }
    if (storedValue(n, k, out))
        return MStatus::kSuccess;
    return defaultValue(k.attr, out) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

MStatus NodeStore::writeValue(NodeId n, const PlugKey& k, const Value& v)
{
    if (!hasAttribute(n, k.attr) || !isValuePlug(k) || k.attr->form() == AttrForm::kMessage || !k.attr->writable)
        return MStatus::kInvalidParameter;
    if (isLocked(n, k))
        return MStatus::kFailure;
    plugs(n).values[k] = v;
    touchElements(n, k);
    return MStatus::kSuccess;
}

void NodeStore::touchElements(NodeId n, const PlugKey& k)
{
    const Attribute* arrays[kMaxLevels];
    const int count = chainArrays(k.attr, arrays);
    if (count == 0)
        return;
    PlugTable& t = plugs(n);
    for (int l = 0; l < count; ++l) {
        if (k.idx[l] == kUnsetIndex)
            return;
        PlugKey arrayKey;
        arrayKey.attr = const_cast<Attribute*>(arrays[l]);
        for (int i = 0; i < l; ++i)
            arrayKey.idx[i] = k.idx[i];
        std::vector<uint32_t>& v = t.arrays[arrayKey];
        const uint32_t idx = k.idx[l];
        if (v.empty() || v.back() < idx) {
            v.push_back(idx);
        } else {
            auto pos = std::lower_bound(v.begin(), v.end(), idx);
            if (pos == v.end() || *pos != idx)
                v.insert(pos, idx);
        }
    }
}

void NodeStore::logicalIndices(NodeId n, const PlugKey& arrayKey, std::vector<uint32_t>& out)
{
    out.clear();
    if (!arrayKey.attr || !arrayKey.attr->array || !hasAttribute(n, arrayKey.attr) || !levelsSet(arrayKey))
        return;
    if (arrayKey.attr->elements) {
        arrayKey.attr->elements(*this, n, arrayKey, out);
        return;
    }
    PlugKey key = arrayKey;
    key.idx[arrayKey.attr->ownLevel()] = kUnsetIndex;
    const PlugTable* t = plugsIfAny(n);
    if (!t)
        return;
    auto it = t->arrays.find(key);
    if (it != t->arrays.end())
        out = it->second;
}

const std::vector<uint32_t>* NodeStore::storedIndices(NodeId n, const PlugKey& arrayKey) const
{
    if (!arrayKey.attr || !arrayKey.attr->array || arrayKey.attr->elements || !hasAttribute(n, arrayKey.attr))
        return nullptr;
    const PlugTable* t = plugsIfAny(n);
    if (!t)
        return nullptr;
    PlugKey key = arrayKey;
    key.idx[arrayKey.attr->ownLevel()] = kUnsetIndex;
    auto it = t->arrays.find(key);
    return it == t->arrays.end() ? nullptr : &it->second;
}

size_t NodeStore::numElements(NodeId n, const PlugKey& arrayKey)
{
    if (arrayKey.attr && arrayKey.attr->array && !arrayKey.attr->elements) {
        const std::vector<uint32_t>* v = storedIndices(n, arrayKey);
        return v ? v->size() : 0;
    }
    std::vector<uint32_t> v;
    logicalIndices(n, arrayKey, v);
    return v.size();
}

bool NodeStore::logicalIndexAt(NodeId n, const PlugKey& arrayKey, size_t physical, uint32_t& out)
{
    if (arrayKey.attr && arrayKey.attr->array && !arrayKey.attr->elements) {
        if (!levelsSet(arrayKey))
            return false;
        const std::vector<uint32_t>* v = storedIndices(n, arrayKey);
        if (!v || physical >= v->size())
            return false;
        out = (*v)[physical];
        return true;
    }
    std::vector<uint32_t> v;
    logicalIndices(n, arrayKey, v);
    if (physical >= v.size())
        return false;
    out = v[physical];
    return true;
}

bool NodeStore::ownLock(NodeId n, const PlugKey& k) const
{
    const PlugTable* t = plugsIfAny(n);
    return t && t->locks.count(k);
}

bool NodeStore::isLocked(NodeId n, const PlugKey& k) const
{
    const PlugTable* t = plugsIfAny(n);
    if (!t || t->locks.empty() || !k.attr)
        return false;
    PlugKey cur = k;
    for (;;) {
        if (t->locks.count(cur))
            return true;
        PlugKey up;
        if (!parentPlug(cur, up))
            return false;
        cur = up;
    }
}

MStatus NodeStore::setLocked(NodeId n, const PlugKey& k, bool locked)
{
    if (!hasAttribute(n, k.attr))
        return MStatus::kInvalidParameter;
    if (locked)
        plugs(n).locks.insert(k);
    else if (PlugTable* t = record(n)->plugs.get())
        t->locks.erase(k);
    return MStatus::kSuccess;
}

MStatus NodeStore::setAlias(NodeId n, const std::string& alias, const PlugKey& k)
{
    if (!hasAttribute(n, k.attr) || alias.empty() || !levelsSet(k) || k.attr->ownLevel() < 0 ||
        k.idx[k.attr->ownLevel()] == kUnsetIndex)
        return MStatus::kInvalidParameter;
    for (char c : alias)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return MStatus::kInvalidParameter;
    if (findAttribute(n, alias))
        return MStatus::kInvalidParameter;
    PlugTable& t = plugs(n);
    auto byName = t.aliasByName.find(alias);
    if (byName != t.aliasByName.end() && byName->second != k)
        return MStatus::kInvalidParameter;
    auto old = t.aliases.find(k);
    if (old != t.aliases.end())
        t.aliasByName.erase(old->second);
    t.aliases[k] = alias;
    t.aliasByName[alias] = k;
    return MStatus::kSuccess;
}

MStatus NodeStore::removeAlias(NodeId n, const PlugKey& k)
{
    if (!isAlive(n) || !record(n)->plugs)
        return MStatus::kInvalidParameter;
    PlugTable& t = *record(n)->plugs;
    auto it = t.aliases.find(k);
    if (it == t.aliases.end())
        return MStatus::kInvalidParameter;
    t.aliasByName.erase(it->second);
    t.aliases.erase(it);
    return MStatus::kSuccess;
}

const std::string* NodeStore::aliasOf(NodeId n, const PlugKey& k) const
{
    const PlugTable* t = plugsIfAny(n);
    if (!t)
        return nullptr;
    auto it = t->aliases.find(k);
    return it == t->aliases.end() ? nullptr : &it->second;
}

bool NodeStore::findAlias(NodeId n, const std::string& alias, PlugKey& out) const
{
    const PlugTable* t = plugsIfAny(n);
    if (!t)
        return false;
    auto it = t->aliasByName.find(alias);
    if (it == t->aliasByName.end())
        return false;
    out = it->second;
    return true;
}

} // namespace vesk
