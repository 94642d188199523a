// The node side of character setup: back-link records and the node behind
// a property set.
#include "character/kcharacter_impl.h"

#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {
namespace detail {

void KCharacter_AddBackLink(KQelNode* pNode, KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex)
{
    if (pNode && pCharacter)
        pNode->AddCharacterLink(pCharacter, pKind, pIndex, pSubIndex);
}

void KCharacter_RemoveBackLink(KQelNode* pNode, KQelCharacter* pCharacter, int pKind, int pIndex,
                               int pSubIndex)
{
    if (pNode && pCharacter)
        pNode->RemoveCharacterLink(pCharacter, pKind, pIndex, pSubIndex);
}

KQelNode* KCharacter_NodeOfPlug(KPlug* pPlug)
{
    return pPlug && pPlug->Is(KQelNodeProperties::ClassId) ? static_cast<KQelNodeProperties*>(pPlug)->GetKQelNode()
                                                           : nullptr;
}

KObject* KCharacter_PlugOfNode(KQelNode* pNode)
{
    return pNode ? pNode->GetPropertyHandler() : nullptr;
}

}  // namespace detail
}  // namespace qelsdk_600
