// What the geometry reads of the node that carries it.
// INTERIM: the node class is not merged yet, so no geometry can be on a
// node: no take nodes, no property set, no entity. These read the node's
// take nodes, property set and entity once it is.
#include "content/kqelgeometry.h"

namespace qelsdk_600 {

int KQelGeometry::GetNodeTakeNodeCount() const
{
    return 0;
}

KQelTakeNode* KQelGeometry::GetNodeTakeNode(int pIndex) const
{
    return nullptr;
}

KQelPropertyHandler* KQelGeometry::GetNodePropertyHandler() const
{
    return nullptr;
}

KQelEntity* KQelGeometry::GetNodeEntity() const
{
    return nullptr;
}

}  // namespace qelsdk_600
