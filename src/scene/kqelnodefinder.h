// Node finders: walk a node tree, check every node, collect those reported.
#ifndef QELSDK_SCENE_KQELNODEFINDER_H
#define QELSDK_SCENE_KQELNODEFINDER_H

#include <memory>

#include "base/karraytemplate.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurve;
class KFCurveNode;
class KQelEntity;
class KQelGeometry;
class KQelNode;
class KQelObject;

// Walks a tree from a node, parents before children in child order, and
// keeps, in visiting order, the nodes whose check reports them. Results
// accumulate over several walks until Reset.
class KQelNodeFinder {
public:
    KQelNodeFinder();
    virtual ~KQelNodeFinder();
    KQelNodeFinder(const KQelNodeFinder&) = delete;
    KQelNodeFinder& operator=(const KQelNodeFinder&) = delete;

    // Empties the found array (and, in a finder, all of its own lists).
    virtual void Reset() = 0;
    // Appends pNode to the found array when CheckNode reports it, then walks
    // each child.
    virtual void ApplyRecursive(KQelNode& pNode);
    // Whether the node is to be reported.
    virtual bool CheckNode(KQelNode& pNode) = 0;

    // Remembers pNode as the root, walks its subtree and returns the found
    // array (which keeps earlier results).
    KArrayTemplate<KQelNode*>& Apply(KQelNode& pNode);
    // The node given to the last Apply, null before.
    KQelNode* GetRootNode() const { return mRoot; }
    KArrayTemplate<KQelNode*>& GetFoundArray() { return mFound; }

protected:
    KQelNode* mRoot;
    KArrayTemplate<KQelNode*> mFound;
};

// Finds nodes whose scaling would not survive a transfer: bones (nodes with
// a skeleton and children) scaled away from 1, negative scaling, and
// non-uniform scaling of nodes with children. The default take's default
// values and keys fill the "static" arrays; the current take, when it is
// not the default one, the "animated" arrays. Scaling curves are the "X",
// "Y", "Z" children of the curve node "S"; a missing one keeps its start
// value 1 and is skipped. Animation is sampled every 1/24 second from the
// first key to the last; a span of more than 10^6 periods is sampled with
// the step widened to span / 10^6, so hostile key times cannot hang a walk.
class KQelNodeFinderBadScale : public KQelNodeFinder {
public:
    // Every check on, epsilon 2^-52.
    KQelNodeFinderBadScale();
    ~KQelNodeFinderBadScale() override;

    // Empties the six arrays and the found array.
    void Reset() override;
    // Checks the default take (static arrays) and, when another take is
    // current, that take (animated arrays). The bone check applies only to
    // a node that carries a skeleton. True when either reported the node.
    bool CheckNode(KQelNode& pNode) override;

    bool GetCheckBoneScale() const { return mCheckBoneScale; }
    void SetCheckBoneScale(bool pCheck) { mCheckBoneScale = pCheck; }
    bool GetCheckNegativeScale() const { return mCheckNegativeScale; }
    void SetCheckNegativeScale(bool pCheck) { mCheckNegativeScale = pCheck; }
    bool GetCheckNonUniformScale() const { return mCheckNonUniformScale; }
    void SetCheckNonUniformScale(bool pCheck) { mCheckNonUniformScale = pCheck; }
    double GetEpsilon() const { return mEpsilon; }
    void SetEpsilon(double pEpsilon) { mEpsilon = pEpsilon; }

    KArrayTemplate<KQelNode*>& BoneScaleStaticNodeArray() { return mBoneScaleStatic; }
    KArrayTemplate<KQelNode*>& BoneScaleAnimatedNodeArray() { return mBoneScaleAnimated; }
    KArrayTemplate<KQelNode*>& NegativeScaleStaticNodeArray() { return mNegativeScaleStatic; }
    KArrayTemplate<KQelNode*>& NegativeScaleAnimatedNodeArray() { return mNegativeScaleAnimated; }
    KArrayTemplate<KQelNode*>& NonUniformScaleStaticNodeArray() { return mNonUniformScaleStatic; }
    KArrayTemplate<KQelNode*>& NonUniformScaleAnimatedNodeArray() { return mNonUniformScaleAnimated; }

    // Classifies the scaling of one curve node tree (CheckCurve) and files
    // the node: bone (only with children), negative (always), non-uniform
    // (only with children). True when filed.
    bool CheckKFCurveNode(KQelNode& pNode, KFCurveNode& pCurveNode, KArrayTemplate<KQelNode*>& pBone,
                          KArrayTemplate<KQelNode*>& pNegative, KArrayTemplate<KQelNode*>& pNonUniform);
    // The curves of "S"/"X", "S"/"Y", "S"/"Z" found anywhere below
    // pCurveNode into pCurves[0..2]; null for each one missing.
    void GetCurve(KFCurveNode& pCurveNode, KFCurve** pCurves);
    // 0 fine, 1 bone, 2 negative, 3 non-uniform: first the default values,
    // then samples from the first key to the last (2 at once; else 3 before
    // 1). Null curves are skipped.
    int CheckCurve(KFCurve** pCurves);
    // 0 fine, or the first failing test of the first failing value, tests in
    // this order per value: bone (outside 1 +- epsilon), negative (below 0),
    // non-uniform (outside the first value +- epsilon). 0 for no values.
    int CheckValue(const double* pValues, int pCount);

private:
    KTime mPeriod;
    bool mCheckBoneScale;
    KArrayTemplate<KQelNode*> mBoneScaleStatic;
    KArrayTemplate<KQelNode*> mBoneScaleAnimated;
    bool mCheckNegativeScale;
    KArrayTemplate<KQelNode*> mNegativeScaleStatic;
    KArrayTemplate<KQelNode*> mNegativeScaleAnimated;
    bool mCheckNonUniformScale;
    KArrayTemplate<KQelNode*> mNonUniformScaleStatic;
    KArrayTemplate<KQelNode*> mNonUniformScaleAnimated;
    double mEpsilon;
};

// Finds the nodes, materials, textures and videos of a walked subtree whose
// names clash with each other or with the objects of a target entity (may be
// null). Names are current names with their prefix, compared byte for byte;
// a node is matched against the target's tree as KQelNode::FindChild does
// (through PrefixName with "Model::"). An object met again (same pointer),
// or one already in the target entity, is not its own duplicate. Every
// walked object lands in its "seen" array once; clashing ones also in the
// duplicate array. Switches: 0 node names (on), 1 material names, 2 texture
// names, 3 video names (off), 4 generic-node names (on). One Apply costs
// O(walked objects + target entity): names are hashed.
class KQelNodeFinderDuplicateName : public KQelNodeFinder {
public:
    // Switches as listed; pEntity is the target (not owned).
    explicit KQelNodeFinderDuplicateName(KQelEntity* pEntity);
    ~KQelNodeFinderDuplicateName() override;

    // Empties the ten lists and the found array.
    void Reset() override;
    // Indexes the target's names and the names seen so far, then walks.
    void ApplyRecursive(KQelNode& pNode) override;
    // CheckNodeName, then, for a node with a geometry, the material, texture
    // and video checks; true when any of them reported a clash.
    bool CheckNode(KQelNode& pNode) override;

    // Switch 0 to 4; GetState answers false and SetState does nothing
    // outside that range.
    bool GetState(int pIndex) const;
    void SetState(int pIndex, bool pOn);

    KArrayTemplate<KQelNode*>& GetNodeArray() { return mNodes; }
    KArrayTemplate<KQelNode*>& GetDuplicateNodeArray() { return mDuplicateNodes; }
    KArrayTemplate<KQelObject*>& GetMaterialArray() { return mMaterials; }
    KArrayTemplate<KQelObject*>& GetDuplicateMaterialArray() { return mDuplicateMaterials; }
    KArrayTemplate<KQelObject*>& GetTextureArray() { return mTextures; }
    KArrayTemplate<KQelObject*>& GetDuplicateTextureArray() { return mDuplicateTextures; }
    KArrayTemplate<KQelObject*>& GetVideoArray() { return mVideos; }
    KArrayTemplate<KQelObject*>& GetDuplicateVideoArray() { return mDuplicateVideos; }
    KArrayTemplate<KQelObject*>& GetGenericNodeArray() { return mGenericNodes; }
    KArrayTemplate<KQelObject*>& GetDuplicateGenericNodeArray() { return mDuplicateGenericNodes; }

    // With switch 0 off the node is only seen. Otherwise it is a duplicate
    // when the target's tree below its root holds another node of its name,
    // or else a seen node of another object has its name. True when
    // duplicate (the node then joins the duplicate nodes).
    bool CheckNodeName(KQelNode& pNode);
    // For each material of the geometry's layers (direct arrays, layers in
    // index reference mode skipped), in order: with switch 1 on, a clash
    // with a target material, or, while the call has found no clash yet,
    // with a seen material, makes it a duplicate. Textures (switch 2) and the
    // videos those textures use (switch 3) alike. True when any clashed.
    bool CheckMaterialName(KQelGeometry* pGeometry);
    bool CheckTextureName(KQelGeometry* pGeometry);
    bool CheckVideoName(KQelGeometry* pGeometry);
    // False for a null name or with switch 4 off. The first target generic
    // node of that name, else the first seen one, joins the duplicate
    // generic nodes (true). Nothing in a walk fills the seen generic nodes.
    bool CheckGenericNodeName(const char* pName);

private:
    struct Index;
    // The kinds of referenced objects a geometry is checked for.
    enum EKind : int { eMaterialKind = 0, eTextureKind = 1, eVideoKind = 2 };
    // Indexes the target's names and the seen lists unless done since the
    // last walk began.
    void BuildIndex();
    bool CheckObjectNames(KQelGeometry* pGeometry, EKind pKind);

    bool mStates[5];
    KArrayTemplate<KQelNode*> mNodes;
    KArrayTemplate<KQelNode*> mDuplicateNodes;
    KArrayTemplate<KQelObject*> mMaterials;
    KArrayTemplate<KQelObject*> mDuplicateMaterials;
    KArrayTemplate<KQelObject*> mTextures;
    KArrayTemplate<KQelObject*> mDuplicateTextures;
    KArrayTemplate<KQelObject*> mVideos;
    KArrayTemplate<KQelObject*> mDuplicateVideos;
    KArrayTemplate<KQelObject*> mGenericNodes;
    KArrayTemplate<KQelObject*> mDuplicateGenericNodes;
    KQelEntity* mEntity;
    std::unique_ptr<Index> mIndex;
};

}  // namespace qelsdk_600

#endif
