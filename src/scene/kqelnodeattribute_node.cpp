// The attribute's side of binding to a node: everything here needs the node
// class itself (its take nodes, its attribute slot), so it lives apart from
// the attribute base. Until the node class exists, binding only records the
// node and unbinding only forgets it; the per-take AddChannels and
// RemoveChannels calls, and detaching through the node's own attribute slot,
// are written here with it.
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
