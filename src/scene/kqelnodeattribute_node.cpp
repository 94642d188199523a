// The attribute's side of binding to a node: what needs the node itself.
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

void KQelNodeAttribute::SetNode(KQelNode& pNode)
{
    mNode = &pNode;
}

void KQelNodeAttribute::UnsetNode()
{
    mNode = nullptr;
}

void KQelNodeAttribute::DetachFromNode()
{
    if (mNode)
        UnsetNode();
}

}  // namespace qelsdk_600
