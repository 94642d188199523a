// The slot records of a control set: a control-set link per character node
// id and an effector per effector id.
#ifndef QELSDK_CHARACTER_KQELCONTROLSETLINK_H
#define QELSDK_CHARACTER_KQELCONTROLSETLINK_H

#include "base/kstring.h"
#include "character/keffectornodeid.h"

namespace qelsdk_600 {

class KQelNode;

// The node that plays a role in the control rig, and a name kept for the
// role. Set when it has a node or a non-empty template name. Copied as a
// value.
class KQelControlSetLink {
public:
    KQelControlSetLink() : mNode(nullptr) {}

    // No node, empty template name.
    void Reset()
    {
        mNode = nullptr;
        mTemplateName.Empty();
    }

    KQelNode* mNode;  // not owned
    KString mTemplateName;
};

// An effector: its node and five flags. Set when it has a node; the flags
// alone do not make it set. Copied as a value.
class KQelEffector {
public:
    KQelEffector() { Reset(); }

    // No node, shown, every active flag false.
    void Reset();
    // Reset, then the default flags of the effector pId in a new control
    // set: the hips with translation and rotation active, both ankles with
    // all four active flags, both wrists with translation and candidate
    // translation active. Ids without defaults keep the plain ones.
    void ResetToDefault(EEffectorNodeId pId);

    KQelNode* mNode;         // not owned
    bool mShow;
    bool mTActive;           // translation active
    bool mRActive;           // rotation active
    bool mCandidateTActive;  // candidate translation active
    bool mCandidateRActive;  // candidate rotation active
};

}  // namespace qelsdk_600

#endif
