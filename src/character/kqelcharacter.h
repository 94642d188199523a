// A character: the 191 skeleton roles bound to scene nodes, with its control
// rig, solver parameters and solver property set.
#ifndef QELSDK_CHARACTER_KQELCHARACTER_H
#define QELSDK_CHARACTER_KQELCHARACTER_H

#include "base/kerror.h"
#include "character/kcharacterenums.h"
#include "character/kcharacternodeid.h"
#include "character/kqelcharacterlink.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelCharacterProperties;
class KQelControlSet;
class KQelFilterSet;
class KQelNode;

// What drives a character. 0 an actor (an object of name space 6), 1
// another character, 4 nothing (new or reset); any other value is stored
// and has no input object.
enum ECharacterInputType : int {
    eCharacterInputActor = 0,
    eCharacterInputCharacter = 1,
    eCharacterInputNone = 4
};

// An animatable scene object of name space 8 ("Constraint::"): one link per
// character node id, each mirrored on its node by a back-link record
// (character, 0, node id, 0), so that a node knows the characters that use
// it and clears their references when it is destroyed. Owns its property
// set, control set and filter set from construction to destruction (never
// null). The scene creates, holds and destroys characters (Destruct, then
// delete). The group and node-id lookups of KQelCharacterNodeIds are its
// statics.
class KQelCharacter : public KQelTakeNodeContainer, public KQelCharacterNodeIds {
public:
    // Named pName (the scene has prefixed it): input type 4 without object,
    // every link unset, a new control set owned by this character, a filter
    // set at its defaults, the property set taking its values from it, and
    // the take "Default" with channels for the animatable properties.
    KQelCharacter(KQelSdkManager& pManager, const char* pName);
    // Destroys the property set, Reset (no node keeps a back-link to this
    // character), then the control set and the filter set.
    ~KQelCharacter() override;

    // Notified tear-down of the property set; its link properties are freed
    // and the links forget them.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return eCharacter; }
    KQelPropertyHandler* GetPropertyHandler() override;
    // "Character".
    KString GetTypeName() override;
    // One entry, "Character" (reference 0).
    KStringList GetTypeFlags() override;
    // Channels of the animatable properties of the property set.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Made by the manager that made the character (which owns it); null when
    // none can be made.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // Empties the initial name; input type 4 without object; every link
    // unset, its node's back-link removed and its link property emptied
    // (the property stays bound to the link); the control set reset. The
    // filter set, the property set and the take nodes are not touched.
    void Reset();

    // Stores the type, whatever it is, and the object when it fits it: for
    // type 0 an object of name space 6, for type 1 another character (name
    // space 8, not this one); otherwise no object.
    void SetInput(ECharacterInputType pType, KQelObject* pObject);
    ECharacterInputType GetInputType() const { return mInputType; }
    // The stored object while it still fits the type, else null.
    KQelObject* GetInputObject() const;
    // Forgets the input object when it is pObject, keeping the type: the
    // scene calls this on every character before it destroys pObject (a
    // character that is another's input), so no input dangles. True when
    // the input was pObject.
    bool ForgetInputObject(const KQelObject* pObject);

    // Replaces the link of pId (node, template name, offsets; the link
    // property stays), moving the back-link from the old node to the new
    // one. With pUpdate the link property follows: it holds the new node's
    // property set as its object 0, or nothing when there is no node. False,
    // changing nothing, for an id outside 0 to 190.
    bool SetCharacterLink(ECharacterNodeId pId, const KQelCharacterLink& pLink, bool pUpdate);
    // Copies the link of pId into pLink (which keeps its own link property)
    // when pLink is not null. False, pLink untouched, for an id outside 0 to
    // 190 or a link with neither node nor template name.
    bool GetCharacterLink(ECharacterNodeId pId, KQelCharacterLink* pLink) const;

    KQelControlSet* GetControlSet() const { return mControlSet; }
    KQelFilterSet* GetFilterSet() const { return mFilterSet; }

    // Copies from pOther the name (same name space), the input, every link
    // set there (with property update), every solver parameter, the
    // control-set type, the set control-set links and effectors and the
    // auxiliary effectors of set 1. What pOther does not have set stays as
    // it was here; property set and take nodes are not copied.
    KQelCharacter& operator=(KQelCharacter& pOther);

private:
    friend class KQelCharacterProperties;
    friend void KQelCharacter_ClearNodeSlot(KQelCharacter*, int, int, int, const KQelNode*);

    // Forgets every link property (they are being, or have been, freed).
    void DropLinkProperties();

    KQelCharacterProperties* mProperties;
    KError mError;
    ECharacterInputType mInputType;
    KQelObject* mInputObject;  // not owned
    KQelCharacterLink mLinks[kCharacterNodeIdCount];
    KQelControlSet* mControlSet;
    KQelFilterSet* mFilterSet;
};

// Internal, for KQelNode's destructor only: clears the slot that one of the
// dying node's back-link records (pKind, pIndex, pSubIndex) names in
// pCharacter, without back-link bookkeeping, and only while that slot still
// holds pNode. Kind 0 the node of character link pIndex; 1 control-set link
// pIndex; 2 effector pIndex; 3 auxiliary effector pIndex of set pSubIndex +
// 1. Template names, offsets, flags and link properties stay. Nothing for a
// null character or a kind, index or sub-index out of range.
void KQelCharacter_ClearNodeSlot(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex,
                                 const KQelNode* pNode);

}  // namespace qelsdk_600

#endif
