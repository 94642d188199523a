// The link's view of a node.
// INTERIM: the node class is not merged yet, so no node can exist and no
// name can be read; this reads KQelObject::GetName once it is.
#include "content/kqellink.h"

namespace qelsdk_600 {

KString KQelLink::NodeName(KQelNode* pNode)
{
    return KString();
}

}  // namespace qelsdk_600
