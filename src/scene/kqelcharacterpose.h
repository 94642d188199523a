// Character poses: a snapshot of a character with a copy of its skeleton.
#ifndef QELSDK_SCENE_KQELCHARACTERPOSE_H
#define QELSDK_SCENE_KQELCHARACTERPOSE_H

#include "scene/kqelobject.h"

namespace qelsdk_600 {

class KQelCharacter;
class KQelNode;
class KQelScene;

// An object of name space 9 ("Pose::", which the creating scene applies)
// that owns a private scene holding copies of a character's nodes below its
// root and one character, "Constraint::PoseCharacter", bound to those
// copies. Made, held and destroyed by a scene (CreateCharacterPose). When the
// manager makes no scene, the character pose stays empty: no root, no
// character, and the copies do nothing.
class KQelCharacterPose : public KQelObject {
public:
    // Named pName as given; a new scene from the manager, then Reset.
    KQelCharacterPose(KQelSdkManager& pManager, const char* pName);
    // Destroys the private scene with its whole node tree through the
    // manager.
    ~KQelCharacterPose() override;

    ENameSpace GetNameSpace() const override { return eCharacterPose; }

    // Clears the private scene and creates its one character,
    // "PoseCharacter".
    void Reset();
    // The private scene's root node; the copied nodes lie below it.
    KQelNode* GetRootNode() const;
    // The private scene's character 0.
    KQelCharacter* GetCharacter() const;
    // The private scene (null when the manager made none); native files store
    // it as a nested scene.
    KQelScene* GetScene() const { return mScene; }

    // Copies the name (same name space), the other's node tree below this
    // root (added beside what is there already: assign into a fresh or reset
    // character pose) and its character, bound to the copied nodes.
    // Assigning a character pose to itself changes nothing.
    KQelCharacterPose& operator=(KQelCharacterPose& pOther);

    // For each child of pSource, in order and depth first: a new node of the
    // child's name, assigned from the child (KQelNode::operator=), added as
    // a child of pTarget, then the child's own children into it. Iterative,
    // so deep chains are safe. Nothing when either is null, or when pTarget is
    // pSource or lies below it.
    void CopyNode(KQelNode* pSource, KQelNode* pTarget);
    // Copies pSource into pTarget with every node it refers to replaced by
    // the node of the same current name below pRoot: the input; each
    // character link whose node has a namesake below pRoot (with the source's
    // offsets; other ids left alone); the filter-set modes and values of the
    // parameters pTarget has; the control-set type and lock flags and each
    // control-set link (its node replaced, null without namesake; a link
    // without node copied as it is); each effector with a namesake (its other
    // settings copied); each auxiliary effector of set 1 with a namesake.
    // Nothing when any argument is null.
    static void CopyCharacter(KQelCharacter* pSource, KQelCharacter* pTarget, KQelNode* pRoot);

private:
    KQelScene* mScene;  // owned, made and destroyed through the manager
};

}  // namespace qelsdk_600

#endif
