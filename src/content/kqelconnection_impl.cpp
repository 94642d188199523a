#include "content/kqelconnection_impl.h"

#include "content/kqelvideo.h"
#include "scene/kqelnode.h"
#include "scene/kqelpropertyhandler.h"

namespace qelsdk_600 {

KQelTakeNodeContainer* KQelObjectOfPlug(KPlug* pPlug)
{
    KQelPropertyHandler* handler = dynamic_cast<KQelPropertyHandler*>(pPlug);
    return handler ? handler->GetKQelObject() : nullptr;
}

KQelNode* KQelNodeOfPlug(KPlug* pPlug)
{
    return dynamic_cast<KQelNode*>(KQelObjectOfPlug(pPlug));
}

KQelVideo* KQelVideoOfPlug(KPlug* pPlug)
{
    return dynamic_cast<KQelVideo*>(KQelObjectOfPlug(pPlug));
}

KQelEntity* KQelStoreOfNodePlug(KPlug* pPlug)
{
    KQelNode* node = KQelNodeOfPlug(pPlug);
    return node ? node->GetEntity() : nullptr;
}

}  // namespace qelsdk_600
