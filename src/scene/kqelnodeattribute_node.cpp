// The attribute's side of binding to a node: it needs the node class itself
// (its take nodes, its attribute slot), so it lives apart from the base.
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

void KQelNodeAttribute::SetNode(KQelNode& pNode)
{
    mNode = &pNode;
    for (int i = 0; i < pNode.GetTakeNodeCount(); ++i)
        AddChannels(pNode.GetTakeNode(i));
}

void KQelNodeAttribute::UnsetNode()
{
    if (!mNode)
        return;
    for (int i = 0; i < mNode->GetTakeNodeCount(); ++i)
        RemoveChannels(mNode->GetTakeNode(i));
    mNode = nullptr;
}

void KQelNodeAttribute::DetachFromNode()
{
    if (!mNode)
        return;
    // Through the node's own slot, so the node forgets the attribute too.
    if (mNode->GetNodeAttribute() == this)
        mNode->SetNodeAttribute(nullptr);
    else
        UnsetNode();
}

}  // namespace qelsdk_600
