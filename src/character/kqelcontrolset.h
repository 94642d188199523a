// The control rig of a character: a second binding of the character node
// ids to scene nodes, 44 effectors with their flags and 14 auxiliary nodes
// per effector, a type and three flags.
#ifndef QELSDK_CHARACTER_KQELCONTROLSET_H
#define QELSDK_CHARACTER_KQELCONTROLSET_H

#include "character/kcharacterenums.h"
#include "character/kcharacternodeid.h"
#include "character/keffectornodeid.h"
#include "character/kqelcontrolsetlink.h"

namespace qelsdk_600 {

class KQelCharacter;
class KQelControlSetPlug;
class KQelNode;

// Every node the control set holds is mirrored by exactly one back-link
// record on that node (owner, kind, index, sub-index): kind 1 for a
// control-set link (index the node id), 2 for an effector (index the
// effector id), 3 for an auxiliary effector (index the effector id,
// sub-index the set id minus 1). The owner is the character that created
// the control set; it is set once, before any node is bound. A control set
// without owner (made on its own) stores nodes without back-links, so a
// node destroyed while it holds one leaves a dangling pointer there: bind
// nodes only to a control set that a character owns.
//
// Node ids are accepted from 0 to 190, effector ids from 0 to 43 and set ids
// from 1 to 14; anything else (negative ids too) is refused with false and
// changes nothing. Getters with an output pointer accept null and then only
// answer whether the slot is set; on false they leave the output untouched.
// Not copyable: copy through the Get and Set operations.
class KQelControlSet : public KQelEffectorNodeIds {
public:
    typedef EControlSetType EType;

    // No owner, type 0, the three flags false, every link empty, every
    // effector at its default flags, every auxiliary slot empty.
    KQelControlSet();
    // Reset: no node keeps a back-link to this control set.
    ~KQelControlSet();
    KQelControlSet(const KQelControlSet&) = delete;
    KQelControlSet& operator=(const KQelControlSet&) = delete;

    // Removes every back-link; type 0, lock flags false; links with a node
    // emptied (links holding only a template name keep it); effectors back
    // to their default flags; auxiliary slots emptied. Use axis and owner
    // stay.
    void Reset();

    // Any value is stored.
    void SetType(EType pType) { mType = pType; }
    EType GetType() const { return mType; }
    void SetUseAxis(bool pUseAxis) { mUseAxis = pUseAxis; }
    bool GetUseAxis() const { return mUseAxis; }
    void SetLockTransform(bool pLock) { mLockTransform = pLock; }
    bool GetLockTransform() const { return mLockTransform; }
    void SetLock3DPick(bool pLock) { mLock3DPick = pLock; }
    bool GetLock3DPick() const { return mLock3DPick; }

    // Replaces the link of pId (node and template name), moving the
    // back-link from the old node to the new one. An empty link (no node, no
    // name) empties the slot.
    bool SetControlSetLink(ECharacterNodeId pId, const KQelControlSetLink& pLink);
    // False when the link has neither node nor template name.
    bool GetControlSetLink(ECharacterNodeId pId, KQelControlSetLink* pLink) const;

    // Replaces effector pId (node and five flags), moving the back-link. An
    // effector without node empties the slot to the plain flags (shown,
    // nothing active), not to the effector's defaults.
    bool SetEffector(EEffectorNodeId pId, KQelEffector pEffector);
    // False when the effector has no node, whatever its flags.
    bool GetEffector(EEffectorNodeId pId, KQelEffector* pEffector) const;

    // Replaces auxiliary node pSet (1 to 14) of effector pId; null empties
    // the slot.
    bool SetEffectorAux(EEffectorNodeId pId, KQelNode* pNode, EEffectorSetId pSet);
    // False when the slot is empty.
    bool GetEffectorAux(EEffectorNodeId pId, KQelNode** pNode, EEffectorSetId pSet) const;

    // Fills the control set from a control-set plug: Reset, then the plug's
    // type, use axis, the node of each named link list (its first object)
    // and the nodes of each effector list (position 0 the effector, shown and
    // nothing active; position j the auxiliary set j, positions above 14
    // dropped). An object that is not a node's property set leaves its slot
    // empty; the objects after it keep their own slots. Nothing at all for a
    // null plug or one whose property set is foreign.
    void FromPlug(KQelControlSetPlug* pPlug);
    // Writes the control set into a control-set plug: type, use axis, each
    // linked node of a named node id as the first object of its list, and
    // for each effector that has a node: that node, then its auxiliary nodes
    // from set 1 up to the first empty set. The plug cannot carry template
    // names, lock flags, effector flags, the links of the unnamed ids 68, 69,
    // 88 and 89, the auxiliary nodes of an effector without node, nor those
    // after a gap (or after a node already in the list): FromPlug would read
    // them into other slots, so they are not written. Nothing for a null
    // plug or one whose property set is foreign.
    void ToPlug(KQelControlSetPlug* pPlug) const;

private:
    friend class KQelCharacter;
    friend void KQelCharacter_ClearNodeSlot(KQelCharacter*, int, int, int, const KQelNode*);

    // Clears, without back-link bookkeeping, the slot a dying node's record
    // names, when it still holds that node.
    void ClearNodeSlot(int pKind, int pIndex, int pSubIndex, const KQelNode* pNode);

    KQelCharacter* mOwner;  // set by the owning character; not owned
    EType mType;
    bool mUseAxis;
    bool mLockTransform;
    bool mLock3DPick;
    KQelControlSetLink mLinks[kCharacterNodeIdCount];
    KQelEffector mEffectors[kEffectorNodeIdCount];
    KQelNode* mAux[kEffectorNodeIdCount][kEffectorAuxSetCount];  // not owned
};

}  // namespace qelsdk_600

#endif
