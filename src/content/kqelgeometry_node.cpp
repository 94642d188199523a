// What the geometry reads of the node that carries it.
#include "content/kqelgeometry.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {

int KQelGeometry::GetNodeTakeNodeCount() const
{
    return GetNode() ? GetNode()->GetTakeNodeCount() : 0;
}

KQelTakeNode* KQelGeometry::GetNodeTakeNode(int pIndex) const
{
    return GetNode() ? GetNode()->GetTakeNode(pIndex) : nullptr;
}

KQelPropertyHandler* KQelGeometry::GetNodePropertyHandler() const
{
    return GetNode() ? GetNode()->GetPropertyHandler() : nullptr;
}

KQelEntity* KQelGeometry::GetNodeEntity() const
{
    return GetNode() ? GetNode()->GetEntity() : nullptr;
}

}  // namespace qelsdk_600
