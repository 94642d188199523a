#include "content/kqelattribute_impl.h"

#include "base/karraytemplate.h"
#include "object/kobject.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

KQelTakeNodeContainer* KQelBoundTakes(const KQelNodeAttribute& pAttribute)
{
    return pAttribute.GetNode();
}

KQelTakeNode* KQelBoundDefaultTake(const KQelNodeAttribute& pAttribute)
{
    KQelTakeNodeContainer* takes = KQelBoundTakes(pAttribute);
    return takes ? takes->GetDefaultTakeNode() : nullptr;
}

void KQelAppendAttributeProperties(const KObject* pSet, void* pList)
{
    if (!pSet || !pList)
        return;
    KArrayTemplate<KProperty*>& list = *static_cast<KArrayTemplate<KProperty*>*>(pList);
    for (int i = 0, n = pSet->GetPropertyCount(); i < n; ++i)
        list.Add(pSet->GetProperty(i));
}

}  // namespace qelsdk_600
