// Where a node sits in its tree, as child indices from the root down.
#ifndef QELSDK_SCENE_KQELPATH_H
#define QELSDK_SCENE_KQELPATH_H

#include "base/karraytemplate.h"

namespace qelsdk_600 {

class KQelNode;

// The list of child indices that lead from a tree's root down to a node, so
// that the same place can be found again in this tree or in another one
// built alike. Entry k is the index, among its parent's children, of the
// ancestor at depth k + 1; the last entry is the node's own index.
class KQelPath {
public:
    // Empty: no node, no root, no index.
    KQelPath();
    KQelPath(const KQelPath& pOther);
    explicit KQelPath(KQelNode* pNode);

    // The path of pNode (null: an empty path). A node that is the only child
    // of its parent gets index 0 without a search.
    void Set(KQelNode* pNode);
    // Copies node, root and every index.
    void Set(const KQelPath& pOther);
    KQelPath& operator=(const KQelPath& pOther);

    KQelNode* GetNode() const { return mNode; }
    KQelNode* GetRootNode() const { return mRoot; }
    // Number of indices, that is of the node's ancestors.
    int GetParentCount() const { return mIndices.GetCount(); }
    // The root for a level below 1; otherwise the node reached from the root
    // through the first pLevel indices (GetParentCount() gives the node
    // itself, when the tree is unchanged). Null above GetParentCount() or
    // when a recorded child is gone.
    KQelNode* GetParentNode(int pLevel) const;
    KQelNode* operator[](int pLevel) const { return GetParentNode(pLevel); }
    // The name of GetParentNode(pLevel), null when there is none.
    const char* GetParentNodeName(int pLevel) const;

    // Same number of indices and the same index at each position; the node
    // and root pointers are not compared.
    bool operator==(const KQelPath& pOther) const;
    bool operator!=(const KQelPath& pOther) const { return !(*this == pOther); }

private:
    KQelNode* mNode;
    KQelNode* mRoot;
    KArrayTemplate<int> mIndices;
};

}  // namespace qelsdk_600

#endif
