// Placeholder until the scene node lands: no node exists yet, so there is
// nothing to mirror and no object is a node's property set.
#include "character/kcharacter_impl.h"

namespace qelsdk_600 {
namespace detail {

void KCharacter_AddBackLink(KQelNode*, KQelCharacter*, int, int, int) {}
void KCharacter_RemoveBackLink(KQelNode*, KQelCharacter*, int, int, int) {}
KQelNode* KCharacter_NodeOfPlug(KPlug*) { return nullptr; }
KObject* KCharacter_PlugOfNode(KQelNode*) { return nullptr; }

}  // namespace detail
}  // namespace qelsdk_600
