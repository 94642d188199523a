// What the skin, cluster and blend-shape export share: the walk of the
// tree they visit nodes in, the ordered node list of a bind pose, the
// index that finds the node standing for a host DAG path, and the matrix
// query. Only src/export includes it
// (and the export tests).
#ifndef QELVESK_EXPORT_QELVESKEXPORT_DEFORMERS_IMPL_H
#define QELVESK_EXPORT_QELVESKEXPORT_DEFORMERS_IMPL_H

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vesk/MDagPath.h>

#include "plugin/qelvesknode.h"

class MPlug;

namespace qelsdk_600 {
class KQelMatrix;
}

namespace export_detail {

// Calls pVisit on every node under pRoot (itself first), a node before its
// children, the children from the last to the first, until it answers
// true. Any depth, no recursion.
template <class Visit>
void ForEachLastChildFirst(qelsdk_600::KQelNode* pRoot, Visit pVisit)
{
    std::vector<qelsdk_600::KQelNode*> pending;
    if (pRoot)
        pending.push_back(pRoot);
    while (!pending.empty()) {
        // Every node of a host-side manager is a QelVeskNode.
        QelVeskNode* node = static_cast<QelVeskNode*>(pending.back());
        pending.pop_back();
        if (pVisit(*node))
            return;
        for (int i = 0, n = node->GetChildCount(false); i < n; ++i)
            if (qelsdk_600::KQelNode* child = node->GetChild(i))
                pending.push_back(child);
    }
}

// Nodes, each held once, in the order they were first added.
class NodeList {
public:
    // False, nothing changed, for null or a node already held.
    bool Add(QelVeskNode* pNode);
    bool Has(QelVeskNode* pNode) const { return mHeld.count(pNode) != 0; }
    const std::vector<QelVeskNode*>& Nodes() const { return mNodes; }
    void Clear();

private:
    std::vector<QelVeskNode*> mNodes;
    std::unordered_set<QelVeskNode*> mHeld;
};

// The host DAG paths the nodes of a scene tree stand for, as the two walks
// of the tree would find them: a node is visited before its children, the
// children from the last to the first, and the first node met answers. A
// node stands for its own path and for the path that MDagPath::getAPathTo
// gives to each child of its path (a transform's node answers for its
// shapes). Built once for a pass over a tree that does not change during
// it; each look-up costs the paths of one host name.
class DagPathIndex {
public:
    // Indexes the tree under pRoot (itself included), any depth; the old
    // index is dropped first.
    void Build(qelsdk_600::KQelNode* pRoot);
    void Clear();
    bool IsBuilt() const { return mBuilt; }
    // The first node bound to exactly pPath (GetQelNodeFromDagPath), or
    // null.
    QelVeskNode* FindBound(const MDagPath& pPath) const;
    // The first node bound to pPath or to a parent of it as above
    // (QelVeskExport::GetNodeWithThisChildren), or null.
    QelVeskNode* FindStanding(const MDagPath& pPath) const;

private:
    struct Entry {
        MDagPath mPath;
        QelVeskNode* mNode;
        // The node's own path, not one of its children's.
        bool mBound;
    };
    // The entries of one host node name, in visiting order.
    const std::vector<Entry>* EntriesOf(const MDagPath& pPath) const;
    void Insert(const MDagPath& pPath, QelVeskNode* pNode, bool pBound);

    std::unordered_map<std::string, std::vector<Entry>> mByName;
    bool mBuilt = false;
};

// Reads a matrix plug with "getAttr" and its description (quoted): the
// first 16 numbers of the answer, row by row, into pMatrix. False, pMatrix
// untouched, when the query fails or answers fewer numbers.
bool QueryPlugMatrix(const MPlug& pPlug, qelsdk_600::KQelMatrix& pMatrix);

// The walk the index stands in for: the first node of the tree under
// pStart, visited as above, that stands for pPath; null when none.
QelVeskNode* FindNodeStandingFor(QelVeskNode* pStart, const MDagPath& pPath);

}  // namespace export_detail

#endif
