#include "character/kcharacter_impl.h"

#include "object/kobject.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {
namespace detail {

void KCharacter_AddAnimatableChannels(KQelTakeNodeContainer& pContainer, KObject& pSet, KQelTakeNode* pTakeNode)
{
    int count = pSet.GetPropertyCount();
    for (int i = 0; i < count; ++i) {
        KProperty* property = pSet.GetProperty(i);
        if (property && property->IsAnimatable())
            pContainer.CreateChannelsForProperty(property, pTakeNode);
    }
}

}  // namespace detail
}  // namespace qelsdk_600
