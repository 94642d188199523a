// Poses: one transformation matrix per scene node, named by the node's name;
// a bind pose records the nodes at the moment a skin was bound, a rest pose
// the rest positions of a skeleton.
#ifndef QELSDK_SCENE_KQELPOSE_H
#define QELSDK_SCENE_KQELPOSE_H

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "math/kqelmatrix.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelPose;

// The property set of a pose. It has no properties of its own: every
// property of a pose is a user property added later.
class KQelPoseProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelPoseProperties)

public:
    explicit KQelPoseProperties(KQelPose* pOwner);
    ~KQelPoseProperties() override;

    // The owner given to the constructor.
    KQelPose* GetKQelPose() const { return mPose; }

private:
    KQelPose* mPose;
};

// One node of a pose: the node's name, its matrix and whether that matrix is
// the node's local one (true) or its global one (false). Owned by the pose.
struct KQelPoseEntry {
    KString mNodeName;
    KQelMatrix mMatrix;
    bool mLocalMatrix;
};

// A pose of name space 11 ("Pose::"), made and destroyed by the manager and
// held, unowned, by the scenes it is added to. Its kind is fixed at
// construction. It derives from the take-node container but keeps no take
// nodes. A pose never holds two entries of one node name, and within one
// manager no two bind poses held by its scenes disagree about the matrix of
// a node name (Add refuses the pair that would). Finding a node name costs
// O(1).
class KQelPose : public KQelTakeNodeContainer {
public:
    // Named pName as given (the manager prefixes it); pBindPose true makes a
    // bind pose, false a rest pose. No entries, no take nodes.
    KQelPose(KQelSdkManager& pManager, const KString& pName, bool pBindPose);
    // Destroys the property set, then the entries.
    ~KQelPose() override;

    // Tears down the property set's connections and properties.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return ePose; }
    KQelPoseProperties* GetPropertyHandler() override { return mProperties; }
    // "BindPose" or "RestPose".
    KString GetTypeName() override;
    // An empty list.
    KStringList GetTypeFlags() override;
    // The channels of every animatable property of the set.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // Records pMatrix for pNodeName. The pair is refused (-1, nothing
    // changed) when this pose holds the name with another matrix, or, for a
    // bind pose, when another bind pose of a scene of the manager does. A
    // name the pose holds already with an equal matrix answers that entry's
    // index (its local flag unchanged); a new name is appended with a copy of
    // the matrix and pLocalMatrix, and its index returned. Null name: -1.
    int Add(const char* pNodeName, const KQelMatrix& pMatrix, bool pLocalMatrix = false);
    // Removes and frees the entry at pIndex (later entries move up); nothing
    // outside [0, count).
    void Remove(int pIndex);
    // Index of the first entry named exactly pNodeName (case counts), -1 when
    // none (null included).
    int Find(const char* pNodeName) const;
    int GetCount() const { return static_cast<int>(mEntries.size()); }
    // The entry's node name; an empty text outside [0, count).
    const KString& GetNodeName(int pIndex) const;
    // Renames an entry; nothing outside the range or for a null or empty
    // name. Validation is not rerun.
    void ReplaceNodeName(int pIndex, const char* pNodeName);
    // The entry's matrix; a shared identity matrix outside the range.
    const KQelMatrix& GetMatrix(int pIndex) const;
    // The entry's local flag; false outside the range.
    bool IsLocalMatrix(int pIndex) const;

    // Copies nothing: a pose keeps its own name, kind and entries.
    KQelPose& operator=(KQelPose& pOther);

    // Searches every scene of pManager, in list order, and in each its poses
    // in order: each pose whose Find(pNodeName) is at least 0 is appended to
    // pPoses, with that index to pIndices (neither is emptied first; a pose
    // held by two scenes is met twice). True when anything was appended.
    // The Bind and Rest forms consider only poses of that kind.
    static bool GetPosesContaining(KQelSdkManager& pManager, const char* pNodeName,
                                   KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices);
    static bool GetBindPoseContaining(KQelSdkManager& pManager, const char* pNodeName,
                                      KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices);
    static bool GetRestPoseContaining(KQelSdkManager& pManager, const char* pNodeName,
                                      KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices);

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    // The kinds, as the pose stores them.
    enum : char { kBindPose = 'b', kRestPose = 'r' };

    // Validation of (name, matrix) against this pose alone: false when the
    // pose holds the name with another matrix; pIndex gets the entry's index,
    // -1 when the name is not held.
    bool ValidateLocal(const char* pNodeName, const KQelMatrix& pMatrix, int& pIndex) const;
    // For a bind pose, every other bind pose of every scene of the manager
    // first; then ValidateLocal.
    bool ValidateParams(const char* pNodeName, const KQelMatrix& pMatrix, int& pIndex) const;
    // The poses of every scene of pManager whose kind passes pKind (0: any).
    static bool Collect(KQelSdkManager& pManager, char pKind, const char* pNodeName,
                        KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices);
    // Rebuilds the name map after a removal or a rename.
    void RebuildNameMap() const;

    KQelPoseProperties* mProperties;
    KError mError;
    char mKind;
    std::vector<std::unique_ptr<KQelPoseEntry>> mEntries;
    // Name to the index of its first entry; rebuilt lazily when stale.
    mutable std::unordered_map<std::string, int> mFirstIndex;
    mutable bool mNameMapStale;
};

}  // namespace qelsdk_600

#endif
