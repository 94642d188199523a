#include "scene/kqelpropertyvalue_impl.h"

#include <cstring>

#include "base/karraytemplate.h"
#include "object/kobject.h"

namespace qelsdk_600 {

void KQelAppendProperties(const KObject* pSet, void* pList)
{
    if (!pSet || !pList)
        return;
    KArrayTemplate<KProperty*>& list = *static_cast<KArrayTemplate<KProperty*>*>(pList);
    for (int i = 0, n = pSet->GetPropertyCount(); i < n; ++i)
        list.Add(pSet->GetProperty(i));
}

int KQelVectorMemberCount(kPropertyType pType)
{
    switch (pType) {
    case kPropertyVector3D:
    case kPropertyColorRGB:
        return 3;
    case kPropertyVector4D:
    case kPropertyColorRGBA:
        return 4;
    default:
        return 0;
    }
}

bool KQelReadDoubles(KProperty* pProperty, double* pValues)
{
    std::memset(pValues, 0, kQelMaxValueMembers * sizeof(double));
    if (!pProperty || KQelVectorMemberCount(pProperty->GetPropertyType()) == 0)
        return false;
    return pProperty->GetData(pValues);
}

bool KQelWriteDoubles(KProperty* pProperty, const double* pValues)
{
    if (!pProperty || KQelVectorMemberCount(pProperty->GetPropertyType()) == 0)
        return false;
    return pProperty->SetData(pValues);
}

}  // namespace qelsdk_600
