// Private helpers of character setup. What it needs of scene nodes is kept
// here in one place: the back-link records that mirror every slot holding a
// node, and the passage between a node and its property set, which is what
// object lists hold.
#ifndef QELSDK_CHARACTER_KCHARACTER_IMPL_H
#define QELSDK_CHARACTER_KCHARACTER_IMPL_H

namespace qelsdk_600 {

class KPlug;
class KObject;
class KQelCharacter;
class KQelNode;
class KQelTakeNode;
class KQelTakeNodeContainer;

namespace detail {

// Back-link kinds: the slot of a character or control set that holds a node.
enum ECharacterBackLinkKind : int {
    eBackLinkCharacterLink = 0,   // character link, index = node id
    eBackLinkControlSetLink = 1,  // control-set link, index = node id
    eBackLinkEffector = 2,        // effector, index = effector id
    eBackLinkEffectorAux = 3      // auxiliary effector, index = effector id, sub-index = set id - 1
};

// Appends the record (character, kind, index, sub-index) to the node's list.
// Nothing for a null node or a null character: a record without character
// could never be removed.
void KCharacter_AddBackLink(KQelNode* pNode, KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex);
// Removes the first equal record from the node's list; nothing for a null
// node or character, or when no record is equal.
void KCharacter_RemoveBackLink(KQelNode* pNode, KQelCharacter* pCharacter, int pKind, int pIndex,
                               int pSubIndex);

// The node whose property set pPlug is; null for null or any other plug.
KQelNode* KCharacter_NodeOfPlug(KPlug* pPlug);
// The property set of a node, as object lists hold it; null for null.
KObject* KCharacter_PlugOfNode(KQelNode* pNode);

// Channels in pTakeNode for every animatable property of pSet, in list
// order (the AddChannels of the character and of the control-set plug).
void KCharacter_AddAnimatableChannels(KQelTakeNodeContainer& pContainer, KObject& pSet, KQelTakeNode* pTakeNode);

}  // namespace detail
}  // namespace qelsdk_600

#endif
