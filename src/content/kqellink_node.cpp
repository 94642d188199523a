// The link's view of a node.
#include "content/kqellink.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

KString KQelLink::NodeName(KQelNode* pNode)
{
    return pNode ? KString(pNode->GetName()) : KString();
}

}  // namespace qelsdk_600
