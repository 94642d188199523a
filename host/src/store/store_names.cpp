// Node store: names, unique naming and namespaces.
#include <algorithm>

#include "store/store_impl.h"

namespace vesk {
namespace {

const std::vector<NodeId> kNoNodes;

// Splits "Box12" into "Box" and 12; false when there are no trailing digits
// or the number does not fit.
bool splitNumber(const std::string& name, std::string& base, uint32_t& number)
{
    size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9')
        --end;
    base = name.substr(0, end);
    const std::string digits = name.substr(end);
    if (digits.empty() || digits.size() > 9)
        return false;
    number = static_cast<uint32_t>(std::stoul(digits));
    return true;
}

} // namespace

const std::string& NodeStore::name(NodeId n) const
{
    // Never destroyed, as the store itself.
    static const std::string* empty = new std::string;
    const NodeRecord* r = record(n);
    return r ? r->name : *empty;
}

const std::vector<NodeId>& NodeStore::nodesNamed(const std::string& name) const
{
    auto it = mNames.find(name);
    return it == mNames.end() ? kNoNodes : it->second.nodes;
}

bool NodeStore::intermediate(NodeId n) const
{
    const NodeRecord* r = record(n);
    return r && r->intermediate;
}

void NodeStore::setIntermediate(NodeId n, bool on)
{
    if (NodeRecord* r = record(n))
        r->intermediate = on;
}

std::string NodeStore::legalName(const std::string& wanted) const
{
    std::string out;
    out.reserve(wanted.size());
    for (char c : wanted) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == ':';
        out += ok ? c : '_';
    }
    if (out.empty())
        return out;
    if (out[0] == ':') {
        // A leading ':' names the root namespace.
        const size_t start = out.find_first_not_of(':');
        return start == std::string::npos ? std::string() : out.substr(start);
    }
    if (out.find(':') == std::string::npos && !mCurrentNamespace.empty())
        return mCurrentNamespace + ":" + out;
    return out;
}

bool NodeStore::nameFree(const std::string& name, bool dag, const std::vector<NodeId>& parents) const
{
    auto it = mNames.find(name);
    if (it == mNames.end())
        return true;
    if (!dag)
        return it->second.nodes.empty();
    if (it->second.nonDag > 0)
        return false;
    for (NodeId p : parents)
        if (mSiblingNames.count(siblingKey(p, name)))
            return false;
    return true;
}

void NodeStore::lowerHint(NodeId scope, const std::string& base, uint32_t number)
{
    auto it = mNextNumber.find(scopedKey(scope, base));
    if (it != mNextNumber.end() && number < it->second)
        it->second = number;
}

std::string NodeStore::uniqueName(const std::string& wanted, bool dag, const std::vector<NodeId>& parents)
{
    if (!wanted.empty() && nameFree(wanted, dag, parents))
        return wanted;
    std::string base;
    uint32_t ignored = 0;
    splitNumber(wanted, base, ignored);
    const NodeId scope = dag && !parents.empty() ? parents[0] : NodeId();
    const std::string key = scopedKey(scope, base);
    auto found = mNextNumber.find(key);
    if (found == mNextNumber.end()) {
        found = mNextNumber.emplace(key, 1u).first;
        mHintScopes[base].push_back(scope);
    }
    // The hint never passes a free number: releasing a name lowers it.
    for (uint32_t k = found->second;; ++k) {
        std::string candidate = base + std::to_string(k);
        if (nameFree(candidate, dag, parents)) {
            mNextNumber[key] = k + 1;
            return candidate;
        }
    }
}

void NodeStore::releaseNumber(const std::string& name, bool dag, const std::vector<NodeId>& parents)
{
    std::string base;
    uint32_t number = 0;
    if (!splitNumber(name, base, number))
        return;
    auto scopes = mHintScopes.find(base);
    if (scopes == mHintScopes.end())
        return;
    if (dag) {
        // Freed among these siblings, and for non-DAG names everywhere.
        for (NodeId p : parents)
            lowerHint(p, base, number);
        lowerHint(NodeId(), base, number);
    } else {
        // A non-DAG name blocks the name under every parent.
        for (NodeId scope : scopes->second)
            lowerHint(scope, base, number);
    }
}

void NodeStore::indexName(NodeId n)
{
    NodeRecord* r = record(n);
    NameEntry& e = mNames[r->name];
    e.nodes.push_back(n);
    if (!r->kind->isDag())
        ++e.nonDag;
    for (NodeId p : r->parents)
        mSiblingNames[siblingKey(p, r->name)] = n;
}

void NodeStore::unindexName(NodeId n)
{
    // Every change of an existing name passes here.
    ++mNameEpoch;
    NodeRecord* r = record(n);
    auto it = mNames.find(r->name);
    if (it != mNames.end()) {
        std::vector<NodeId>& v = it->second.nodes;
        auto pos = std::find(v.begin(), v.end(), n);
        if (pos != v.end()) {
            *pos = v.back();
            v.pop_back();
        }
        if (!r->kind->isDag() && it->second.nonDag > 0)
            --it->second.nonDag;
        if (v.empty())
            mNames.erase(it);
    }
    for (NodeId p : r->parents)
        mSiblingNames.erase(siblingKey(p, r->name));
}

MStatus NodeStore::rename(NodeId n, const std::string& wanted, std::string* given)
{
    NodeRecord* r = record(n);
    if (!r || n == mWorld)
        return MStatus::kInvalidParameter;
    const std::string legal = legalName(wanted);
    if (legal.empty())
        return MStatus::kInvalidParameter;
    if (legal != r->name) {
        const std::string old = r->name;
        unindexName(n);
        releaseNumber(old, r->kind->isDag(), r->parents);
        r->name = uniqueName(legal, r->kind->isDag(), r->parents);
        indexName(n);
    }
    if (given)
        *given = r->name;
    return MStatus::kSuccess;
}

MStatus NodeStore::renameAsIs(NodeId n, const std::string& name)
{
    NodeRecord* r = record(n);
    if (!r || n == mWorld || name.empty())
        return MStatus::kInvalidParameter;
    if (name == r->name)
        return MStatus::kSuccess;
    if (!nameFree(name, r->kind->isDag(), r->parents))
        return MStatus::kInvalidParameter;
    const std::string old = r->name;
    unindexName(n);
    releaseNumber(old, r->kind->isDag(), r->parents);
    r->name = name;
    indexName(n);
    return MStatus::kSuccess;
}

MStatus NodeStore::addNamespace(const std::string& ns)
{
    if (ns.empty() || ns == ":")
        return MStatus::kInvalidParameter;
    for (char c : ns) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == ':';
        if (!ok)
            return MStatus::kInvalidParameter;
    }
    if (std::find(mNamespaces.begin(), mNamespaces.end(), ns) != mNamespaces.end())
        return MStatus::kInvalidParameter;
    mNamespaces.push_back(ns);
    return MStatus::kSuccess;
}

MStatus NodeStore::setCurrentNamespace(const std::string& ns)
{
    if (ns.empty() || ns == ":") {
        mCurrentNamespace.clear();
        return MStatus::kSuccess;
    }
    const std::string plain = ns[0] == ':' ? ns.substr(1) : ns;
    if (std::find(mNamespaces.begin(), mNamespaces.end(), plain) == mNamespaces.end())
        return MStatus::kNotFound;
    mCurrentNamespace = plain;
    return MStatus::kSuccess;
}

} // namespace vesk
