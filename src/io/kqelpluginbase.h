// Bases of a host's exporter and importer: recognising the QEL root node
// that a host wraps around exported content, and, on import, folding the
// host's world transform into such roots.
#ifndef QELSDK_IO_KQELPLUGINBASE_H
#define QELSDK_IO_KQELPLUGINBASE_H

#include <memory>

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "math/kgematrix.h"

namespace qelsdk_600 {

class KQelNode;

// Knows the QEL root node: a node whose name contains the root node name
// "Qel_Root", or one that a host's own test accepts.
class KQelPluginBase {
public:
    // Root node name "Qel_Root".
    KQelPluginBase();
    virtual ~KQelPluginBase();
    KQelPluginBase(const KQelPluginBase&) = delete;
    KQelPluginBase& operator=(const KQelPluginBase&) = delete;

    // A host's test for root nodes named otherwise; false here.
    virtual bool IsAlternativeQelRootNode(KQelNode* pNode);

    // False for null; true when the node's current name contains the root
    // node name anywhere; otherwise IsAlternativeQelRootNode's answer.
    bool IsQelRootNode(KQelNode* pNode);
    const KString& GetRootNodeName() const { return mRootNodeName; }

protected:
    KString mRootNodeName;
};

// Base of a host's importer. Preprocess, run on a read scene's root before
// host nodes are built, asks the host for its world transform, sorts the
// QEL roots among the root's children and their children into the refused
// nodes (which need no QEL root) and the excluded roots (roots that the
// world transform cancels), then has the world transform applied to the
// root. Both lists keep their order and point at nodes they do not own;
// membership is tested in constant time.
class KQelPluginImportBase : public KQelPluginBase {
public:
    // Both lists empty.
    KQelPluginImportBase();
    ~KQelPluginImportBase() override;

    // False for a refused node and for an excluded root (IsExcludedQelRoot);
    // true otherwise.
    virtual bool NeedQelRoot(KQelNode* pNode);
    // Writes the host's world transform into pWorld, which is the identity
    // when called.
    virtual void ComputeWorldTransform(KgeAMatrix& pWorld) = 0;
    // Sets the node's default translation, rotation (degrees) and scaling
    // to those of pWorld read as an affine transform, then recomputes the
    // node's global matrix of the source pivot set. pIsIdentity is not used
    // here. Null node: nothing.
    virtual void CustomApplyWorldTransform(KQelNode* pNode, KgeAMatrix& pWorld, bool pIsIdentity);

    // True when IsQelRootNode(pNode) and the node is an excluded root.
    bool IsExcludedQelRoot(KQelNode* pNode);

    // Null: nothing, no hook called. Otherwise:
    // 1. W := identity, ComputeWorldTransform(W).
    // 2. W counts as the identity when each entry of its first three columns
    //    lies within 0.0001 of the identity's (the fourth column is ignored).
    // 3. The refused nodes are emptied (the excluded roots are kept).
    // 4. For each child R of pNode that IsQelRootNode accepts, in child
    //    order: when R's global matrix of the source pivot set (recomputed)
    //    followed by W counts as the identity, every child of R joins the
    //    refused nodes and R the excluded roots; otherwise R joins the
    //    refused nodes.
    // 5. CustomApplyWorldTransform(pNode, W, whether W counted as identity).
    void Preprocess(KQelNode* pNode);

    // The lists, in order of addition.
    const KArrayTemplate<KQelNode*>& GetRefusedNodes() const { return mRefusedNodes; }
    const KArrayTemplate<KQelNode*>& GetExcludedRoots() const { return mExcludedRoots; }

private:
    struct Membership;

    KArrayTemplate<KQelNode*> mRefusedNodes;
    KArrayTemplate<KQelNode*> mExcludedRoots;
    std::unique_ptr<Membership> mMembership;
};

}  // namespace qelsdk_600

#endif
