// The node that stands for a host DAG path, found by walking the scene tree
// or through an index built once per pass.
#include <vesk/MFnDependencyNode.h>

#include "export/qelveskexport_deformers_impl.h"

using namespace qelsdk_600;

namespace export_detail {

namespace {

// Calls pEach with each path the node stands for: its own first, then its
// path's children from the last to the first; stops when pEach answers
// true, and then answers true.
template <class Each>
bool ForEachStoodPath(QelVeskNode& pNode, Each pEach)
{
    const MDagPath* own = pNode.GetDagPath();
    if (!own)
        return false;
    if (pEach(*own, true))
        return true;
    for (unsigned int i = own->childCount(); i-- > 0;) {
        MDagPath child;
        if (MDagPath::getAPathTo(own->child(i), child) && pEach(child, false))
            return true;
    }
    return false;
}

std::string NameOf(const MDagPath& pPath)
{
    return MFnDependencyNode(pPath.node()).name().asChar();
}

}  // namespace

bool NodeList::Add(QelVeskNode* pNode)
{
    if (!pNode || !mHeld.insert(pNode).second)
        return false;
    mNodes.push_back(pNode);
    return true;
}

void NodeList::Clear()
{
    mNodes.clear();
    mHeld.clear();
}

void DagPathIndex::Build(KQelNode* pRoot)
{
    Clear();
    ForEachLastChildFirst(pRoot, [this](QelVeskNode& pNode) {
        ForEachStoodPath(pNode, [this, &pNode](const MDagPath& pPath, bool pBound) {
            Insert(pPath, &pNode, pBound);
            return false;
        });
        return false;
    });
    mBuilt = true;
}

void DagPathIndex::Clear()
{
    mByName.clear();
    mBuilt = false;
}

void DagPathIndex::Insert(const MDagPath& pPath, QelVeskNode* pNode, bool pBound)
{
    mByName[NameOf(pPath)].push_back(Entry{pPath, pNode, pBound});
}

const std::vector<DagPathIndex::Entry>* DagPathIndex::EntriesOf(const MDagPath& pPath) const
{
    const auto found = mByName.find(NameOf(pPath));
    return found == mByName.end() ? nullptr : &found->second;
}

QelVeskNode* DagPathIndex::FindBound(const MDagPath& pPath) const
{
    if (const std::vector<Entry>* entries = EntriesOf(pPath))
        for (const Entry& entry : *entries)
            if (entry.mBound && entry.mPath == pPath)
                return entry.mNode;
    return nullptr;
}

QelVeskNode* DagPathIndex::FindStanding(const MDagPath& pPath) const
{
    if (const std::vector<Entry>* entries = EntriesOf(pPath))
        for (const Entry& entry : *entries)
            if (entry.mPath == pPath)
                return entry.mNode;
    return nullptr;
}

QelVeskNode* FindNodeStandingFor(QelVeskNode* pStart, const MDagPath& pPath)
{
    QelVeskNode* found = nullptr;
    ForEachLastChildFirst(pStart, [&](QelVeskNode& pNode) {
        if (ForEachStoodPath(pNode, [&](const MDagPath& pEach, bool) { return pEach == pPath; }))
            found = &pNode;
        return found != nullptr;
    });
    return found;
}

}  // namespace export_detail
