// The node of the scene tree.
#ifndef QELSDK_SCENE_KQELNODE_H
#define QELSDK_SCENE_KQELNODE_H

#include <memory>

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "base/kstringlist.h"
#include "base/ktime.h"
#include "math/kqelmatrix.h"
#include "math/kqelvector.h"
#include "scene/kqellimits.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelnodeenums.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelCamera;
class KQelCameraSwitcher;
class KQelCharacter;
class KQelEntity;
class KQelGeometry;
class KQelLight;
class KQelMarker;
class KQelMesh;
class KQelNull;
class KQelNurb;
class KQelOpticalReference;
class KQelPatch;
class KQelSkeleton;

// A node of the scene tree: a named, animatable scene object ("Model::"
// names) that owns its property set (KQelNodeProperties, all of the node's
// properties and its two pivot sets) and its limits, carries at most one node
// attribute, and is tied to its parent, children, look-at target and
// up-vector node through plug connections between property sets (so the
// relations end when either node ends). Keeps back-links to the characters
// that use it, and the entity (scene store) that lists it.
//
// Made only by KQelSdkManager::CreateKQelNode and ended only by
// DestroyKQelNode or the manager's Clear; a derived manager may allocate a
// derived node class. Failures are recorded in the node's KError:
//   0 "Take node error" (also every failure of the take operations, with
//     their own texts), 1 "Node name clash", 2 "Material name clash",
//   3 "Texture name clash", 4 "Video name clash", 5 "Index out of range",
//   6 "Connection refused: the node is in this entity already", 7 no text.
//
// Tree walks (recursive counts, finders, global matrices, take sync) are
// iterative, so a deep chain of nodes cannot exhaust the stack; AddChild
// refuses cycles, so every walk ends.
class KQelNode : public KQelTakeNodeContainer {
public:
    // ---- Types ----

    typedef EQelPivotSet EPivotSet;
    static constexpr EPivotSet eSourcePivot = eQelSourcePivot;
    static constexpr EPivotSet eDestinationPivot = eQelDestinationPivot;
    typedef EQelPivotState EPivotState;
    static constexpr EPivotState ePivotActive = eQelPivotActive;
    static constexpr EPivotState ePivotReference = eQelPivotReference;

    // 0 hidden (the file's "Hidden" field); 1 to 5 stored in files as the
    // letters W, F, Y, T, U. A new node has eLightShading.
    enum EShadingMode : int {
        eHidden = 0,
        eWireFrame = 1,
        eFlatShading = 2,
        eLightShading = 3,
        eTextureShading = 4,
        eFullShading = 5
    };
    // 0 for a node whose attribute is a light, a camera or a marker of type
    // 1; 1 otherwise.
    enum EMultiTakeMode : int { eMultiTakeOff = 0, eMultiTakeOn = 1 };
    // Kinds of character back-link.
    enum ECharacterLinkKind : int {
        eCharacterNodeLink = 0,    // character's node link of the id
        eControlSetNodeLink = 1,   // control set's node link of the id
        eControlSetEffector = 2,   // control set's effector of the id
        eControlSetAuxEffector = 3 // control set's auxiliary effector of the id and set
    };

    // One back-link to a character (not owned). Equal when all four fields
    // are equal.
    struct KQelLinkToCharacter {
        KQelCharacter* mCharacter;
        int mKind;      // ECharacterLinkKind
        int mIndex;     // character node id or effector id
        int mSubIndex;  // auxiliary effector set, 0 otherwise
        bool operator==(const KQelLinkToCharacter& pOther) const
        {
            return mCharacter == pOther.mCharacter && mKind == pOther.mKind && mIndex == pOther.mIndex &&
                   mSubIndex == pOther.mSubIndex;
        }
    };

    // Cached local and global matrices of one take (the node has one for the
    // current take and one for the default take, which uses only the flags
    // and matrices). Reset clears the key-index caches and both flags; times
    // and matrices stay.
    struct KQelTRSCache {
        KQelTRSCache() : mLocalTime(0), mGlobalTime(0) { Reset(); }
        void Reset()
        {
            mKeyIndex[0] = mKeyIndex[1] = mKeyIndex[2] = 0;
            mLocalValid = mGlobalValid = false;
        }
        int mKeyIndex[3];  // T, R, S candidates' key-index caches
        KTime mLocalTime;
        KTime mGlobalTime;
        bool mLocalValid;
        bool mGlobalValid;
        KQelXMatrix mLocalMatrix;
        KQelXMatrix mGlobalMatrix;
    };

    // A matrix stamped with a state id, so that one pass over a hierarchy
    // computes each node once. Reset sets the id to all bits set.
    struct KQelState {
        KQelState() { Reset(); }
        void Reset() { mId = 0xFFFFFFFFu; }
        unsigned int mId;
        KQelXMatrix mMatrix;
    };

    // ---- Construction and end ----

    // pName is the full name (the manager prefixes it). Builds the property
    // set, Reset, the "Default" take, visible, shading mode eLightShading,
    // then publishes the properties as user properties. The Default take's
    // tree, the published handles, the limits, the pivot sets and the
    // transform caches are made on first use; until then they answer as if
    // made here (see KQelTakeNodeContainer::DeferDefaultTake and
    // KQelObject::PublishRun).
    KQelNode(KQelSdkManager& pManager, const char* pName);
    // Clears the character slots that point back at this node, leaves its
    // entity, unbinds its attribute, destroys through the manager the user
    // properties over its own properties, deletes the limits and destroys
    // the property set (ending every connection), frees the child names.
    ~KQelNode() override;

    // ---- Virtual operations, in slot order ----

    // Ends the property set's connections, notified: children and parent
    // leave (and the entity memberships follow), targets are dropped. The
    // manager calls it before deleting the node.
    void Destruct() override;
    // 1 (eModel, "Model::").
    ENameSpace GetNameSpace() const override { return eModel; }
    KQelNodeProperties* GetPropertyHandler() override { return mProperties; }
    // Every property of the set, in order, then the attribute's own, into
    // the KArrayTemplate<KProperty*> that pList points to.
    void FillPropertyList(void* pList) override;
    // The attribute's type name, "Null" without attribute.
    KString GetTypeName() override;
    // The attribute's type flags, or the one item "Null".
    KStringList GetTypeFlags() override;
    // Both take caches reset, then the container's operation.
    bool SetCurrentTakeNode(int pIndex) override;
    bool SetCurrentTakeNode(const char* pName) override;
    // The subtree's interval (GetAnimationIntervalRecursive from
    // (largest, smallest) time); when it has keys, pStart becomes the
    // earlier and pStop the later of theirs and the caller's values.
    // False, both unchanged, without keys.
    bool GetAnimationInterval(KTime& pStart, KTime& pStop) override;
    // The take's channels: "Transform" with "T", "R", "S" (children "X",
    // "Y", "Z", curves valued as "Lcl Translation", "Lcl Rotation", "Lcl
    // Scaling"), then "Visibility"; in a take named "Default" (any case) the
    // curves are tied to the properties. Then every other animatable
    // property's channels, then the attribute's.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // ---- Tree ----

    // The node whose set this node's set is connected to, or null.
    KQelNode* GetParent() const;
    // Makes pChild the last child: it leaves its former parent first, then
    // its set is connected as a source of this node's set, whose hook moves
    // the child's subtree into this node's entity. False, nothing changed,
    // for null, for this node itself or one of its ancestors (no cycles);
    // false (and the child without parent) when the hook refuses, error 6:
    // the child was in this node's entity already.
    bool AddChild(KQelNode* pChild);
    // Disconnects a child (its subtree leaves every entity) and returns it;
    // a node that is not a child is returned unchanged, null gives null.
    KQelNode* RemoveChild(KQelNode* pChild);
    // Direct children (constant time), or with pRecursive every descendant.
    int GetChildCount(bool pRecursive = false) const;
    // The child at that position, in the order of AddChild (constant time);
    // null for a negative index or one at or past the count.
    KQelNode* GetChild(int pIndex) const;
    // "Model::" + pName (PrefixName), searched among the children in order
    // and, with pRecursive, each non-matching child's subtree before the
    // next sibling; the initial name is compared with pInitialName, else the
    // current name. Null when none matches (or for a null name).
    KQelNode* FindChild(const char* pName, bool pRecursive = true, bool pInitialName = false);

    // ---- Targets ----

    // Adds pTarget's set as a source of "LookAtProperty" unless connected
    // already (a second target is added beside the first); null: nothing.
    void SetTarget(KQelNode* pTarget);
    // The node of the first "LookAtProperty" source, or null.
    KQelNode* GetTarget() const;
    // The same on "UpVectorProperty".
    void SetTargetUp(KQelNode* pTarget);
    KQelNode* GetTargetUp() const;
    // Rotation applied after aiming at the target, degrees.
    void SetPostTargetRotation(KQelVector4 pRotation) { mPostTargetRotation = pRotation; }
    KQelVector4 GetPostTargetRotation() const { return mPostTargetRotation; }
    void SetTargetUpVector(KQelVector4 pVector) { mTargetUpVector = pVector; }
    KQelVector4 GetTargetUpVector() const { return mTargetUpVector; }

    // ---- Attribute ----

    // Null, nothing changed, when pAttribute is already the attribute.
    // Otherwise: stores it, unbinds the former one (its channels leave every
    // take), takes the new one from the node it was on, binds it (its
    // channels join every take), then sets the modes: multi-layer exactly for
    // a marker of type 2 or 3; multi-take mode 0 for a light, a camera or a
    // marker of type 1, else 1. Returns the former attribute, which the
    // caller now owns (null when none).
    KQelNodeAttribute* SetNodeAttribute(KQelNodeAttribute* pAttribute);
    KQelNodeAttribute* GetNodeAttribute() const { return mAttribute; }
    // The attribute when its type matches, else null.
    KQelNull* GetNull();
    KQelMarker* GetMarker();
    KQelSkeleton* GetSkeleton();
    KQelMesh* GetMesh();
    KQelNurb* GetNurb();
    KQelPatch* GetPatch();
    KQelCamera* GetCamera();
    KQelCameraSwitcher* GetCameraSwitcher();
    KQelLight* GetLight();
    KQelOpticalReference* GetOpticalReference();
    // A mesh, NURBS surface or patch, else null.
    KQelGeometry* GetGeometry();

    // ---- Display and modes ----

    // Writes "Show" through its data setter (listeners told) and "Visibility"
    // to 1.0 or 0.0.
    void SetVisibility(bool pVisible);
    // "Visibility" is not 0.0 (false without that property).
    bool GetVisibility();
    void SetShadingMode(EShadingMode pMode) { mShadingMode = pMode; }
    EShadingMode GetShadingMode() const { return mShadingMode; }
    void SetMultiLayer(bool pMultiLayer) { mMultiLayer = pMultiLayer; }
    bool GetMultiLayer() const { return mMultiLayer; }
    void SetMultiTakeMode(EMultiTakeMode pMode) { mMultiTakeMode = pMode; }
    EMultiTakeMode GetMultiTakeMode() const { return mMultiTakeMode; }
    // Sets the flag; with pRecursive on every descendant too.
    void SetSelected(bool pSelected, bool pRecursive = false);
    // The flag; with pRecursive true when this node or any descendant is
    // selected.
    bool GetSelected(bool pRecursive = false) const;
    // How the native file culls the node's faces: 0 "CullingOff", 1
    // "CullingOnCCW", 2 "CullingOnCW". Reached directly by the readers and
    // writers; 0 on a new node.
    void SetCullingType(int pType) { mCullingType = pType; }
    int GetCullingType() const { return mCullingType; }

    // ---- Character links (kept by the characters' and control sets' setters) ----

    // Appends the link, duplicates allowed; its index.
    int AddCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex);
    // Removes the first equal link; its former index, -1 when none is equal
    // or the character is null.
    int RemoveCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex);
    // Index of the first equal link; -1 when none or the character is null.
    int FindCharacterLink(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex) const;
    int GetCharacterLinkCount() const { return mCharacterLinks.GetCount(); }
    // Fills the four outputs with the link at pPosition and answers true;
    // false, outputs untouched, out of range or for a null output.
    bool GetCharacterLink(int pPosition, KQelCharacter** pCharacter, int* pKind, int* pIndex,
                          int* pSubIndex) const;

    // ---- Child names (recorded by readers before the children exist) ----

    // Appends a copy (null: empty).
    void AddChildName(const char* pName);
    // Null out of range.
    const char* GetChildName(unsigned int pIndex) const;
    int GetChildNameCount() const { return mChildNames.GetCount(); }

    // ---- Entity ----

    // The entity that lists this node, or null.
    KQelEntity* GetEntity() const { return mEntity; }
    // Moves this node's subtree, with the materials, textures and videos of
    // its geometry, into pEntity (null: out of every entity). Every node
    // leaves the entity it is listed in. With pClearTarget and a non-null
    // pEntity, a name clash there refuses the move (false, nothing moved;
    // error 1 nodes, 3 textures, 4 videos, 2 materials, in this order of
    // checks), and the target's root tree leaves it and it is cleared before
    // the subtree moves in; otherwise the move is never refused (imports hold
    // clashing names until the host resolves them). True when moved or
    // pEntity is already the node's entity.
    bool SetEntity(KQelEntity* pEntity, bool pClearTarget);

    // ---- Takes ----

    // The container's GetAnimationInterval on this node, then on every
    // descendant (parents first), widening pStart and pStop; true when any
    // had keys.
    bool GetAnimationIntervalRecursive(KTime& pStart, KTime& pStop);

    // ---- Object model ----

    // The class id of KQelNodeProperties.
    int GetClassID() const;
    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

    // Copies, in this order: the look-at target (added), the post-target
    // rotation and target up vector; the attribute by kind (an attribute of
    // the other's kind is made through the manager when this node lacks one,
    // then the other's is assigned into it; an attribute kind that is not
    // copied, or none, leaves this node without attribute, the former one
    // destroyed through the manager); visibility, shading, multi-layer and
    // multi-take modes; the pivots and offsets of both sets except the
    // scaling offset, the geometric transform, rotation order and state; then
    // resets the take caches and states; copies the limits (not the limited
    // node), the culling type, the names and the takes. Self-assignment does
    // nothing.
    KQelNode& operator=(KQelNode& pOther);
    KQelNode& operator=(const KQelNode&) = delete;

    // ---- Default transform ----

    // The default (x, y, z) of the user property "Lcl Translation", "Lcl
    // Rotation" (degrees) or "Lcl Scaling"; setting it updates the default
    // take's curves. Nothing when the property is absent (the getters then
    // leave pValue as it was). The getters return pValue.
    void SetDefaultT(const KQelVector4& pValue);
    KQelVector4& GetDefaultT(KQelVector4& pValue);
    void SetDefaultR(const KQelVector4& pValue);
    KQelVector4& GetDefaultR(KQelVector4& pValue);
    void SetDefaultS(const KQelVector4& pValue);
    KQelVector4& GetDefaultS(KQelVector4& pValue);
    // The default of "Visibility" (1.0 when absent).
    void SetDefaultVisibility(double pVisibility);
    double GetDefaultVisibility();
    // "InheritType".
    void SetTransformationInheritType(ETransformInheritType pType);
    void GetTransformationInheritType(ETransformInheritType& pType) const;

    // ---- Node-wide rotation settings ----

    // Through the limits (SetRotationLimitActive), which write
    // "RotationActive".
    void SetRotationActive(bool pActive);
    // Writes "RotationActive" directly.
    void SetRotationActiveProperty(bool pActive);
    bool GetRotationActive() const;
    // "QuaternionInterpolate", through the data setter and getter.
    void SetUseQuaternionForInterpolation(bool pUse);
    bool GetUseQuaternionForInterpolation() const;
    // x, y, z into "RotationStiffnessX", "Y", "Z"; the getter's w is 1.
    void SetRotationStiffness(KQelVector4 pStiffness);
    KQelVector4 GetRotationStiffness() const;

    // ---- Pivot sets ----
    //
    // Every field of a pivot set. The setters store all four components and
    // do not invalidate the set's cached global matrix: after a change ask
    // GetGlobalMatrix(set, true). A set other than 0 or 1 is taken as 0.

    void SetPivotState(EPivotSet pSet, EPivotState pState);
    void GetPivotState(EPivotSet pSet, EPivotState& pState) const;
    void SetRotationOrder(EPivotSet pSet, ERotationOrder pOrder);
    void GetRotationOrder(EPivotSet pSet, ERotationOrder& pOrder) const;
    void SetUseRotationSpaceForLimitOnly(EPivotSet pSet, bool pUse);
    bool GetUseRotationSpaceForLimitOnly(EPivotSet pSet) const;
    void SetRotationOffset(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetRotationOffset(EPivotSet pSet) const;
    void SetRotationPivot(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetRotationPivot(EPivotSet pSet) const;
    void SetRotationPivotUpdateOffset(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetRotationPivotUpdateOffset(EPivotSet pSet) const;
    void SetPreRotation(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetPreRotation(EPivotSet pSet) const;
    void SetPostRotation(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetPostRotation(EPivotSet pSet) const;
    void SetScalingOffset(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetScalingOffset(EPivotSet pSet) const;
    void SetScalingPivot(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetScalingPivot(EPivotSet pSet) const;
    void SetScalingPivotUpdateOffset(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetScalingPivotUpdateOffset(EPivotSet pSet) const;
    void SetGeometricTranslation(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetGeometricTranslation(EPivotSet pSet) const;
    void SetGeometricRotation(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetGeometricRotation(EPivotSet pSet) const;
    void SetGeometricScaling(EPivotSet pSet, KQelVector4 pVector);
    KQelVector4 GetGeometricScaling(EPivotSet pSet) const;

    // ---- Global matrix of a pivot set ----

    // The set's cached global matrix: when it is not valid, or with
    // pForceRecompute, the whole tree is recomputed from its root first. The
    // cache is not invalidated by edits of the default transform, the tree
    // or the pivots: ask with pForceRecompute after such edits.
    KQelMatrix& GetGlobalMatrix(EPivotSet pSet, bool pForceRecompute = false);
    // Its translation row (w 0).
    KQelVector4 GetGlobalT(EPivotSet pSet, bool pForceRecompute = false);
    // Its Euler XYZ angles in degrees, axis rows freed of the signed scaling
    // (as KQelXMatrix::GetR; a zero axis is rebuilt from the others).
    KQelVector4 GetGlobalR(EPivotSet pSet, bool pForceRecompute = false);
    // Its axis lengths, all three negated for a mirrored frame.
    KQelVector4 GetGlobalS(EPivotSet pSet, bool pForceRecompute = false);
    // Computes and caches the set's global matrix of this node and then of
    // every node below it: default transform, with the rotation pivot,
    // rotation offset, pre- and post-rotation of an active set (the parent's
    // pivot of an active parent set taken back out), times the parent's
    // cached matrix. The rotation order plays no part.
    void ComputeGlobalMatrix(EPivotSet pSet);
    // Local (written) such that ComputeGlobalMatrixSorvinnStyle of it under
    // pParentGlobal gives pGlobal; rotation and scaling are split, so no
    // shear appears. A zero parent scaling gives 0 on that axis.
    static void ComputeLocalMatrixSorvinnStyle(KQelXMatrix& pLocal, KQelXMatrix& pParentGlobal,
                                               KQelXMatrix& pGlobal);
    // Global (written) of a node with pLocal under pParentGlobal: translation
    // through the full parent matrix, rotations composed, scalings
    // multiplied axis by axis.
    static void ComputeGlobalMatrixSorvinnStyle(KQelXMatrix& pGlobal, KQelXMatrix& pParentGlobal,
                                                KQelXMatrix& pLocal);

    // ---- Conversion of animation between the pivot sets ----
    //
    // The conversions rewrite the animation of every take (translation,
    // rotation and scaling curves, default values and keys) of this node and
    // every node below it, depth first in child order, so that each node is
    // placed as before once read with the target set's pivots instead of the
    // other set's. Fixed differences become a constant shift of the
    // translation curves or a resampling on 1 / pRate second steps (last key
    // at the end time, rotation unrolled, the constant key reducer with
    // pReduceConstantKeys). Neither changes the pivot values, so converting
    // twice shifts twice: reset the set that was converted from afterwards.
    // Cached global matrices are not refreshed. A rate that is not finite or
    // not positive, or whose period is shorter than one tick or longer than
    // KTime can hold, converts nothing at all. Takes lacking translation
    // curves are not shifted; the resampling leaves a take lacking any
    // transform curve as it is. After resampling, the Default take's curves
    // still give the node's default transform.

    // Back to neutral for pSet on this node and every node below: rotation
    // order 0, pre- and post-rotation, rotation and scaling pivots and
    // offsets, geometric translation and rotation (0, 0, 0, 0), geometric
    // scaling (1, 1, 1, 1), limit-only switch off. The pivot state and the
    // pivot update offsets stay.
    void ResetPivotSet(EPivotSet pSet);
    // ResetPivotSet(destination), ConvertPivotAnimationRecursive(destination,
    // 30 frames per second, no key reduction), ResetPivotSet(source).
    void ResetPivotSetAndConvertAnimation();
    // The complete conversion to pTarget from the other set: rotation and
    // scaling pivots, rotation and scaling offsets, pre- and post-rotation
    // (of a set that rotates: the node's rotation-active switch on, the set
    // active, its limit-only switch off), geometric transform and effective
    // rotation order (0 under the limit-only switch; a difference only makes
    // the curves resample, in X, Y, Z order). A geometry's control points
    // are moved by inverse(target geometric) . source geometric . pivot (a
    // point goes through the inverse first), and its pivot becomes the
    // identity so that writers do not move them again.
    void ConvertPivotAnimationRecursive(EPivotSet pTarget, double pRate, bool pReduceConstantKeys);
    // The older conversion to pTarget: rotation pivot and offset, the
    // parent's rotation pivot, pre- and post-rotation of active sets. A
    // geometry keeps its place through its pivot's translation, which is
    // moved; its control points are not touched.
    void ConvertPivotAnimation(EPivotSet pTarget, double pRate, bool pReduceConstantKeys);

    // ---- Matrices from takes ----
    //
    // References into the take caches, valid until the next call that
    // refills them. The caches are emptied only by SetCurrentTakeNode and
    // assignment, not by curve or tree edits.

    // Scaling, then rotation X, Y, Z, then translation, from the default
    // values of the default take's "T", "R", "S" curve nodes (missing ones
    // read as T 0, R 0, S 1).
    KQelXMatrix& GetLocalFromDefaultTake();
    // The local matrix under the parent's (Qel-style product).
    KQelXMatrix& GetGlobalFromDefaultTake();
    // The same from the current take evaluated at pTime (cached per time).
    KQelXMatrix& GetLocalFromCurrentTake(KTime pTime);
    KQelXMatrix& GetGlobalFromCurrentTake(KTime pTime);

    // ---- States ----

    void SetLocalState(const KQelXMatrix& pMatrix) { GetCaches().mLocal.mMatrix = pMatrix; }
    KQelXMatrix& GetLocalState() { return GetCaches().mLocal.mMatrix; }
    void SetGlobalState(const KQelXMatrix& pMatrix) { GetCaches().mGlobal.mMatrix = pMatrix; }
    KQelXMatrix& GetGlobalState() { return GetCaches().mGlobal.mMatrix; }
    // With pRecursive the id is set on every descendant too.
    void SetLocalStateId(unsigned int pId, bool pRecursive);
    unsigned int GetLocalStateId() const { return mCaches ? mCaches->mLocal.mId : KQelState().mId; }
    void SetGlobalStateId(unsigned int pId, bool pRecursive);
    unsigned int GetGlobalStateId() const { return mCaches ? mCaches->mGlobal.mId : KQelState().mId; }
    // When the local state id differs from pId: stamps it, and the local
    // state becomes the global state under the parent's global state (as
    // it stands), or a copy of the global state for a root; then, with
    // pRecursive, each child. A node already stamped pId is skipped with its
    // subtree.
    void ComputeLocalState(unsigned int pId, bool pRecursive);
    // When the global state id differs from pId: stamps it, brings the
    // parent's global state up to pId first, and the global state becomes
    // the local state under it (a copy for a root); then, with pRecursive,
    // each child. A node already stamped pId is skipped with its subtree.
    void ComputeGlobalState(unsigned int pId, bool pRecursive);
    // pLocal = pGlobal under the inverse of pParentGlobal; 3x4 part only, no
    // pivots.
    static void ComputeLocalMatrixQelStyle(KQelXMatrix& pLocal, KQelXMatrix& pParentGlobal,
                                           KQelXMatrix& pGlobal);
    // pGlobal = pLocal, then pParentGlobal; 3x4 part only, no pivots.
    static void ComputeGlobalMatrixQelStyle(KQelXMatrix& pGlobal, KQelXMatrix& pParentGlobal,
                                            KQelXMatrix& pLocal);

    // ---- Take sync (pRecursive: then every descendant, parents first) ----

    // Local state = GetLocalFromDefaultTake().
    void SetLocalStateFromDefaultTake(bool pRecursive);
    // Local state from the current take at pTime (the default take, when it
    // is current, without the time).
    void SetLocalStateFromCurrentTake(KTime pTime, bool pRecursive);
    // The local state's translation, rotation and scaling become the default
    // T, R, S.
    void SetDefaultTakeFromLocalState(bool pRecursive);
    // The local state's T, R, S go to the current take's nine transform
    // curves: their default values in the default take, else a key at pTime
    // on each. Missing curves are skipped.
    void SetCurrentTakeFromLocalState(KTime pTime, bool pRecursive);

    // ---- Properties, pivot sets and limits ----

    // Transform properties back to their values after construction (pivots
    // and offsets 0, "GeometricScaling" (1, 1, 1), limits off and 0,
    // "RotationOrder" and "InheritType" 0, "AxisLen" 0), written without
    // notification except "QuaternionInterpolate" and the stiffness values
    // (data setters); both pivot sets as constructed. Caches, states and
    // limits are not touched. Hides the container's Reset of the takes,
    // still reachable as KQelTakeNodeContainer::Reset().
    void Reset();
    // After a file's properties were read: when any pivot property is used
    // (a component off its neutral value by more than 1e-6, or a rotation
    // order), pivot set 0 is loaded from them (state active, matrix not
    // valid) and set 1 made neutral (state reference); when any limit
    // property differs from the limits, all three limits are loaded.
    void UpdatePivotsAndLimitsFromProperties();
    // Before a file's properties are written: the pivot properties from set
    // 0 and the limit properties from the limits, without notification.
    void UpdatePropertiesFromPivotsAndLimits();

    // The node's limits (translation, rotation, scaling); made on first use,
    // as constructed.
    KQelNodeLimits& GetLimits();
    const KQelNodeLimits& GetLimits() const;

private:
    friend class KQelEntity;  // Clear forgets the entity of every listed node

    // A pivot set as it reads, without making the sets.
    const KQelPivot& ReadPivot(EPivotSet pSet) const;
    // The limits as they read, without making them.
    const KQelNodeLimits& ReadLimits() const;
    // The attribute when it has that type, else null.
    KQelNodeAttribute* AttributeOfType(KQelNodeAttribute::EAttributeType pType) const;
    // The node of a connected node property set (null for any other plug).
    static KQelNode* NodeOf(KPlug* pPlug);
    // The first source of one of the set's object-list properties.
    KQelNode* FirstSourceOf(KProperty& pList) const;
    void ConnectTarget(KProperty& pList, KQelNode* pTarget);
    // True when pNode is this node or one of its ancestors.
    bool IsSelfOrAncestor(const KQelNode* pNode) const;
    // Local matrix of a take's "T", "R", "S" values.
    void BuildLocal(KFCurveNode* pRoot, bool pEvaluate, KTime pTime, KQelTRSCache& pCache);
    // The part of operator= that depends on the attribute kinds.
    void CopyAttribute(KQelNode& pOther);
    // Clears, in a character or control set, the slot one back-link names.
    void ClearCharacterSlot(const KQelLinkToCharacter& pLink);

    KQelNodeProperties* mProperties;
    KArrayTemplate<KString*> mChildNames;
    KQelEntity* mEntity;
    KQelVector4 mPostTargetRotation;
    KQelVector4 mTargetUpVector;
    KQelNodeAttribute* mAttribute;
    EShadingMode mShadingMode;
    bool mMultiLayer;
    EMultiTakeMode mMultiTakeMode;
    // The take caches and the states: made on first use, as constructed.
    struct Caches {
        KQelTRSCache mCurrentTake;
        KQelTRSCache mDefaultTake;
        KQelState mLocal;
        KQelState mGlobal;
    };
    Caches& GetCaches() const
    {
        if (!mCaches)
            mCaches.reset(new Caches);
        return *mCaches;
    }
    void ResetTakeCaches()
    {
        if (mCaches) {
            mCaches->mCurrentTake.Reset();
            mCaches->mDefaultTake.Reset();
        }
    }
    mutable std::unique_ptr<Caches> mCaches;
    mutable KQelNodeLimits* mLimits;  // made on first use
    bool mSelected;
    KArrayTemplate<KQelLinkToCharacter> mCharacterLinks;
    KError mError;
    int mCullingType;
    // Where mProperties lives: every node has its set, so the two share one
    // allocation (one block fewer to make and free per node).
    alignas(KQelNodeProperties) unsigned char mPropertiesRoom[sizeof(KQelNodeProperties)];
};

}  // namespace qelsdk_600

#endif
