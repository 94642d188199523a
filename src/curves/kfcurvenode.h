// The tree of function curves that animates one property in one take, with
// its animation layers, time warp, candidates and change callbacks.
#ifndef QELSDK_CURVES_KFCURVENODE_H
#define QELSDK_CURVES_KFCURVENODE_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "base/ktypes.h"
#include "math/kgematrix.h"

namespace qelsdk_600 {

class IData;
class KDataType;
class KFCurve;
class KFCurveKey;
class KFCurveNode;
class KProperty;
class KQel;

// Layer types: how a layer combines with the layers below it.
enum : int {
    kFCurveNodeLayerNone = 0,
    kFCurveNodeLayerAdditive = 1,
    kFCurveNodeLayerEulerRotation = 2,
    kFCurveNodeLayerMultiplicative = 3,
    kFCurveNodeLayerQuaternionRotation = 4
};

// Event kinds of a curve node; a merged record holds their OR.
enum : int {
    kFCurveNodeEventVisibility = 1,
    kFCurveNodeEventDestroyed = 2,
    kFCurveNodeEventCurveSet = 4,
    kFCurveNodeEventTimeWarpSet = 8,
    kFCurveNodeEventLayer = 16,  // layer structure or rotation mode
    kFCurveNodeEventDataUpdated = 32
};

// Rotation order index meaning spherical XYZ: kept out of Euler continuity.
constexpr int kFCurveNodeSphericalXYZ = 12;

// A curve node's pending change record.
struct KFCurveNodeEvent {
    KFCurveNodeEvent() : mEventType(0), mFlag(0), mEventCount(0), mData(0) {}
    void Clear()
    {
        mEventType = 0;
        mEventCount = 0;
        mData = 0;
    }

    int mEventType;
    unsigned char mFlag;
    int mEventCount;
    kReference mData;  // the IData* of a data-updated event
};

// A change callback: the node, the event and the data given at registration.
typedef void (*kFCurveNodeCallback)(KFCurveNode* node, KFCurveNodeEvent* event, void* object);

// Saved candidate members of a node, its first four children and its next
// layer. Owns its sub-states.
class KFCurveNodeCandidateState {
public:
    KFCurveNodeCandidateState();
    ~KFCurveNodeCandidateState();
    KFCurveNodeCandidateState(const KFCurveNodeCandidateState&) = delete;
    KFCurveNodeCandidateState& operator=(const KFCurveNodeCandidateState&) = delete;

    // Destroys the sub-states and the layer state.
    void FreeSubStates();
    // Formats every field to the (silent) trace function.
    void Dump(int indent = 0) const;

    int mSpecificCandidateMethod;
    int mTotalCandidateMethod;
    double mCandidateTotalValue[4];
    KTime mCandidateTotalTime;
    double mCandidateSpecificValue;
    double mFCurveValue;
    KTime mCandidateSpecificTime;
    KFCurveNodeCandidateState* mSubStates[4];
    KFCurveNodeCandidateState* mLayerState;
    int mLayerID;
};

// One node of the tree: a leaf owns one KFCurve; an inner node groups its
// children ("X", "Y", "Z", and "W" in quaternion layers). Values of a tree
// are flat double arrays in depth-first order (own curve first, then the
// children); operations that read or write them return the position after
// the values used. Times are KTime ticks; angles are degrees. Nothing throws;
// lookups answer null or -1 and operations on a missing curve or layer do
// nothing. One thread at a time per tree.
class KFCurveNode {
public:
    // Name record shared by a node, its template clones and the channels of
    // its layers; freed when the last node lets go of it.
    struct NameInfo {
        KString mName;
        KString mTimeWarpName;  // "UserName" in files; empty for time warps
        KDataType* mDataType;   // null for plain channels such as "X"
        KProperty* mProperty;   // not owned
        int mReferenceCount;
    };

    // A node of those names (timeWarpName null: empty), data type (may be
    // null), layer type and layer ID; flags expanded and multi-layer.
    KFCurveNode(const char* name, const char* timeWarpName, KDataType* dataType, int layerType, int layerID);
    // Template clone: shares the template's name record, no children or curve.
    explicit KFCurveNode(KFCurveNode* templateNode);
    // Queues event 2, then clears; the node leaves its parent's children.
    virtual ~KFCurveNode();
    KFCurveNode(const KFCurveNode&) = delete;
    KFCurveNode& operator=(const KFCurveNode&) = delete;

    // Deletes the node; the argument is ignored.
    void Destroy(int local = 0);

    // ---- Tree ----

    // Destroys (a container: only removes) every child, the curve, the
    // layer chain and the time-warp reference.
    virtual void Clear();
    // Appends a child (its parent set unless this is a container); its index.
    virtual int Add(KFCurveNode* child);
    // Removes child index without destroying it.
    virtual void Remove(int index);
    // Removes and destroys child index.
    virtual void Delete(int index);
    virtual int GetCount() const;
    // Child index, null out of range.
    virtual KFCurveNode* Get(int index) const;
    // True for a direct child, or any descendant when recursive.
    virtual bool IsChild(KFCurveNode* node, bool recursive = false) const;
    // Index of the first child so named (ignoring case), -1 if none.
    virtual int Find(const char* name) const;
    virtual int Find(KFCurveNode* node) const;
    virtual void SetParent(KFCurveNode* parent);
    virtual KFCurveNode* GetParent() const;
    // The first child of that data type, null if none.
    virtual KFCurveNode* Find(KDataType* dataType) const;
    // Inserts before the first child whose name is not below the new one's
    // (ignoring case); the parent is not set. Returns the index.
    virtual int SortedAdd(KFCurveNode* child);

    // Removes the child if present and destroys it in any case.
    void Delete(KFCurveNode* child);
    // Node at a '/'-separated path: each segment matches a child's name
    // (ignoring case), or "T", "R", "S" a child of data type Lcl Translation,
    // Rotation or Scaling; a child that does not match is searched first.
    // Null when a segment finds nothing. The path text is not written.
    KFCurveNode* FindRecursive(const char* path) const;
    // Depth-first, each child before its subtree; null if none.
    KFCurveNode* FindRecursive(KDataType* dataType) const;
    // The child of that name, else a new one added; withCurve gives it an
    // empty curve when it has none.
    KFCurveNode* FindOrCreate(const char* name, bool withCurve = true);

    // CloneTemplate(useTemplate, true, false, -1).
    KFCurveNode* Clone(bool useTemplate);
    // A new tree of the same structure; the caller owns it. useTemplate makes
    // template clones sharing name records; otherwise layerID -1 keeps this
    // node's ID. Curves are copied with keys, or made empty, or left out.
    KFCurveNode* CloneTemplate(bool useTemplate, bool withKeys, bool withEmptyCurve, int layerID = -1);

    // Gives every leaf without curve an empty one.
    void CreateFCurve();
    // True when every leaf of the subtree has a curve.
    bool FCurveCreated() const;
    KFCurve* FCurveGet() const { return mFCurve; }
    // Stores curve (queues event 4); the old one is destroyed when asked
    // (null returned), else returned. Same curve: nothing, null.
    KFCurve* FCurveSet(KFCurve* curve, bool destroyOldCurve = false);
    void FCurveReplace(KFCurve* curve) { FCurveSet(curve, true); }

    // Forwarded to the curve; false without curve or while user-locked when
    // respectUserLock.
    bool SetPreExtrapolation(kUInt type, bool respectUserLock = true);
    bool SetPreExtrapolationCount(kUInt count, bool respectUserLock = true);
    bool SetPostExtrapolation(kUInt type, bool respectUserLock = true);
    bool SetPostExtrapolationCount(kUInt count, bool respectUserLock = true);

    // The X, Y, Z curves of translation ("T"), rotation ("R") and scaling
    // ("S"); false at the first one missing.
    bool GetTransformCurves(KFCurve** t, KFCurve** r, KFCurve** s) const;

    // ---- Names ----

    // The bound property's name, else the name.
    const char* GetName() const;
    const char* GetTimeWarpName() const;
    void SetTimeWarpName(const char* name);
    // The data type's name, "" without one.
    const char* GetTypeName() const;
    KDataType* GetDataType() const;
    KProperty* GetProperty() const;
    void SetProperty(KProperty* property);
    NameInfo* GetNameInfo() const { return mNameInfo; }
    // Shares another record (null lets go of this one).
    void SetNameInfo(NameInfo* nameInfo);

    // ---- Flags ----

    int GetIOType() const { return static_cast<int>(mFlags & 0x1u); }
    void SetIOType(int type) { SetFlagBits(0x1u, static_cast<kUInt>(type)); }
    bool GetVisibility() const { return (mFlags & 0x2u) != 0; }
    int GetContainerType() const { return static_cast<int>(mFlags & 0x8u); }
    void SetContainerType(int type) { SetFlagBits(0x8u, static_cast<kUInt>(type)); }
    int GetTakeType() const { return static_cast<int>(mFlags & 0x10u); }
    void SetTakeType(int type) { SetFlagBits(0x10u, static_cast<kUInt>(type)); }
    bool IsExpended() const { return (mFlags & 0x20u) != 0; }
    void SetExpended(bool expanded) { SetFlagBits(0x20u, expanded ? 0x20u : 0u); }
    bool IsMultiLayer() const { return (mFlags & 0x40u) != 0; }
    // Applies to the whole subtree.
    void SetMultiLayer(bool multiLayer);
    // Sets bit 0x2 here (and below when recursive, and along the layer chain
    // with withLayers); childIndex other than -1 targets that child only.
    void SetVisibility(bool visible, bool recursive = false, bool withLayers = false, int childIndex = -1);
    // Visible and with a curve.
    bool IsEditable() const;
    // The curve's colour; three zeros without curve (valid until next call).
    float* GetColor();
    void SetColor(const float* color);

    bool GetUseQuaternion() const { return mUseQuaternion; }
    // Along the layer chain; clears the candidates and queues event 16.
    void SetUseQuaternion(bool useQuaternion);
    int GetRotationOrder() const { return mRotationOrder; }
    // Along the layer chain.
    void SetRotationOrder(int order);

    // Over the subtree and the layer chain with its subtrees.
    void UserLockAdd();
    void UserLockRemove();
    bool IsUserLocked() const { return mUserLock != 0; }

    // Shares the template's name record and pairs the children with the
    // template's by index; null only forgets the template.
    void TemplateSet(KFCurveNode* templateNode);
    KFCurveNode* TemplateGet() const { return mTemplate; }
    // Stores node as the data node (null when it is this node); recursive
    // pairs the children by index.
    void DataNodeSet(KFCurveNode* node, bool recursive = true);
    // The last node of the data-node links; this node without one (and when
    // the links loop).
    KFCurveNode* DataNodeGet();

    // Takes one reference on node (may be null), releases the old one
    // (destroyed when its last reference goes); queues event 8. The node
    // itself is refused; longer warp loops evaluate unwarped past 16 levels.
    void TimeWarpSet(KFCurveNode* timeWarp);
    KFCurveNode* TimeWarpGet() const { return mTimeWarp; }

    // ---- Layers ----

    KFCurveNode* LayerGet() const { return mLayer; }
    // The node of the chain (from this one) with that ID, null if none.
    KFCurveNode* LayerGet(int layerID);
    // LayerGet(layerID) of the node, null for a null node. Static, since no
    // member can be called on a null object.
    static KFCurveNode* GetLayerNode(KFCurveNode* node, int layerID);
    // Stores the next layer (destroying the old one when asked); event 16.
    void LayerSet(KFCurveNode* layer, bool destroyOldLayer = false);
    KFCurveNode* ObjectLayerGet() const { return mObjectLayer; }
    void ObjectLayerSet(KFCurveNode* objectLayer) { mObjectLayer = objectLayer; }
    int GetLayerType() const { return mLayerType; }
    // Type 4 on three children adds a "W" child (its object layer set to
    // objectLayer when given); type 2 from 4 on four children deletes it.
    void SetLayerType(int type, KFCurveNode* objectLayer = nullptr);
    int GetLayerID() const { return mLayerID; }
    void SetLayerID(int layerID) { mLayerID = layerID; }
    // A new next layer of the same structure, with empty curves holding the
    // neutral values; null unless multi-layer.
    KFCurveNode* LayerCreate(int layerID, bool destroyOldLayer);
    // Inserts a layer with that ID in ID order (queues event 16); nothing
    // when it exists, when the ID is below this node's, or unless multi-layer.
    void CreateLayerAt(int layerID);
    // The last node of the chain whose successor's ID is not below layerID.
    KFCurveNode* GetPreviousLayer(int layerID);
    // Unlinks the layer with that ID; destroys it (null) or returns it.
    KFCurveNode* RemoveLayer(int layerID, bool destroy);
    // The layer with that ID (created when missing) filled from source.
    KFCurveNode* InsertOrCopyLayer(int layerID, KFCurveNode* source);
    int GetCorrectLayerID(int layerID) const { return IsMultiLayer() ? layerID : 0; }
    KFCurveNode* GetCorrectLayer(int layerID, bool create = false);
    // Neutral values of the layer type (at most four); returns their count.
    int GetZeroValues(double* out) const;

    // ---- Evaluation ----

    // Curves only, no time warp, layers or rotation interpolation.
    double* Evaluate(double* out, KTime time, int* last = nullptr);
    double* CandidateEvaluate(double* out, KTime time, int* last = nullptr);
    // Time warp, layers by type, quaternion nodes as Euler XYZ angles; with
    // candidate, serves and records the total candidate. out holds
    // GetValueCount() values; a null hint lets each curve use its own.
    double* GeneralEvaluate(double* out, KTime time, int* last = nullptr, bool candidate = false);
    // The values of a rotation node (layer type 2), through quaternions
    // between keys when the use-quaternion flag is set.
    double* RotationNodeEvaluate(double* out, KTime time, int* last, bool candidate);
    // One layer alone; writes nothing when the layer is missing.
    double* EvaluateSpecificLayer(double* out, KTime time, int layerID, int* last = nullptr);
    double* CandidateEvaluateSpecificLayer(double* out, KTime time, int layerID, int* last = nullptr);
    // Accumulations over the layer chain from this node. values holds four
    // doubles (at most four are combined); the matrix and quaternion compose
    // in the order evaluation applies the layers.
    void EvaluateCurvesExceptLayerRecursiveAdd(double* values, KTime time, int layerID, int* last = nullptr);
    void EvaluateCurvesExceptLayerRecursiveMult(double* values, KTime time, int layerID, int* last = nullptr);
    void EvaluateCurvesBeforeLayerRecursiveEulerXYZ(KgeRMatrix& matrix, KTime time, int layerID,
                                                    int* last = nullptr);
    void EvaluateCurvesAfterLayerRecursiveEulerXYZ(KgeRMatrix& matrix, KTime time, int layerID,
                                                   int* last = nullptr);
    void EvaluateCurvesBeforeLayerRecursiveQuat(double* quaternion, KTime time, int layerID, int* last = nullptr);
    void EvaluateCurvesAfterLayerRecursiveQuat(double* quaternion, KTime time, int layerID, int* last = nullptr);
    // Number of values GeneralEvaluate writes.
    int GetValueCount() const;

    // ---- Candidates ----
    // A quaternion (type 4) base node holds its total as the three Euler XYZ
    // angles it evaluates to; its layers' values are quaternions (x, y, z, w).

    bool IsCandidate() const { return mTotalCandidateMethod == 2; }
    // Sets the total candidate of a base node; other nodes: nothing.
    double* CandidateSet(KTime time, double* values, int layerID = 0, int childIndex = -1);
    double* CandidateSetSpecificLayer(KTime time, double* values, int layerID);
    double* CandidateGet(double* out, int layerID = 0) const;
    double* CandidateGetWithTime(double* out, KTime& time) const;
    double* CandidateGetSpecificLayer(double* out, KTime& time, int layerID);
    void CandidateGetTotalCandidate(double* out, KTime& time) const;
    void FromTotalCandidateToSpecificCandidate(int layerID);
    // The values layer layerID must hold so that all layers give total: one
    // per own curve or child (at most four), three angles for an Euler node,
    // a quaternion (four) for a quaternion node. A layer scaling by zero
    // leaves the total as it is. Returns the position after them.
    double* ComputeCandidateForLayer(double* out, const double* total, KTime time, int layerID,
                                     int* last = nullptr);
    void CandidateClear(int layerID = 0, bool withSubLayers = true);
    void CandidateClearSubLayers();
    // Keys the candidate into a layer and clears all candidates; nothing at
    // the infinite time. channels (null: all) holds one flag per child. The
    // key arguments go to KFCurve::CandidateKey.
    void CandidateKey(int* last = nullptr, int layerID = 0, bool* channels = nullptr, bool useTotal = false,
                      int interpolation = 8, int tangentMode = 0x100, bool breakTangent = false,
                      bool setKeyType = true, KTime time = KTIME_INFINITE, double tolerance = 0.0);
    void CandidateKeySpecificLayer(int* last = nullptr, int layerID = 0, bool* channels = nullptr,
                                   int interpolation = 8, int tangentMode = 0x100, bool breakTangent = false,
                                   bool setKeyType = true, KTime time = KTIME_INFINITE, double tolerance = 0.0);
    void GetCandidateState(KFCurveNodeCandidateState& state) const;
    void SetCandidateState(const KFCurveNodeCandidateState& state, bool removeLayers = false);

    // ---- Keys ----

    // A cubic auto key at time on every curve (value as float).
    double* KeyAdd(KTime time, double* values);
    // Appends without search; continuousRotation makes the children's values
    // continuous with the angles at the previous key.
    double* KeyAppend(KTime time, double* values, bool continuousRotation = false);
    int KeyGetCount(bool withLayers = false) const;
    int KeyGetCountOnChild(int childIndex) const;
    // Earliest (latest) key of the selected curves, starting from key.
    void KeyGetFirst(KFCurveKey*& key, bool* channels = nullptr, bool withLayers = false);
    void KeyGetLast(KFCurveKey*& key, bool* channels = nullptr, bool withLayers = false);
    // Minus infinite (infinite) without keys.
    KTime GetFirstKeyTime(bool* channels = nullptr, bool withLayers = false);
    KTime GetLastKeyTime(bool* channels = nullptr, bool withLayers = false);
    // The latest key before (earliest after) time; time itself when none.
    KTime GetPrevKeyTime(KTime time, bool* channels = nullptr);
    KTime GetNextKeyTime(KTime time, bool* channels = nullptr);
    // 2 every selected channel keyed at time (also with no channel), 1 some,
    // 0 none. A key counts within keyIndexTolerance key indices of the time
    // (exactly with 0); the last two doubles are not used.
    int IsKey(KTime& time, int* last = nullptr, bool* channels = nullptr, double keyIndexTolerance = 0.0,
              double min = 0.0, double max = 0.0);
    // Removes the key at time on each selected curve (within tolerance key
    // indices, or exactly with 0); true when any was removed.
    bool DeleteKey(KTime& time, bool* channels = nullptr, double keyIndexTolerance = 0.0);
    // Widens start/stop to every key of the tree and its layers; false
    // (unchanged) without keys.
    bool GetAnimationInterval(KTime& start, KTime& stop);
    bool GetAnimationIntervalRecursive(KTime& start, KTime& stop);
    // Infinite and minus infinite without keys.
    void GetTimeSpan(KTime& start, KTime& stop);
    // Default values of all curves, depth-first.
    double* GetValue(double* out) const;
    double* SetValue(double* values);

    // ---- Copy and replace ----

    void CopyFrom(KFCurveNode* source, bool steal = false);
    void SingleLayerCopyFrom(KFCurveNode* source, bool steal = false);
    void LayerCopyFromRecursive(KFCurveNode* source, bool steal = false);
    // New trees (owned by the caller) with the keys of the span.
    KFCurveNode* Copy(KTime start = KTIME_MINUS_INFINITE, KTime stop = KTIME_INFINITE);
    KFCurveNode* SingleLayerCopy(KTime start = KTIME_MINUS_INFINITE, KTime stop = KTIME_INFINITE);
    // Deletes the keys of the span from every curve.
    void Delete(KTime start, KTime stop);
    // Replaces the span by the source's animation; Euler nodes stay
    // continuous with what surrounds the span.
    void Replace(KFCurveNode* source, KTime start, KTime stop, bool exactSpan = false, bool keyEmptySpan = false);
    void ReplaceForQuaternion(KFCurveNode* source, KTime start, KTime stop, double scaleStart, double scaleStop,
                              bool exactSpan = false, bool keyEmptySpan = false);
    // Whole-turn (and flip) offsets taking from onto to; true when flipped.
    bool GetContinuousOffset(double* offset, double* from, double* to) const;
    // in made continuous with the angles at the previous key.
    void GetContinuousRotation(double* out, double* in, KTime time);

    // ---- Update ids and callbacks ----

    int GetUpdateId() const;
    int GetValuesUpdateId() const;
    int GetNodeUpdateId() const { return mNodeUpdateId; }
    void CallbackRegister(kFCurveNodeCallback callback, void* object);
    void CallbackUnregister(kFCurveNodeCallback callback, void* object);
    void CallbackAddEvent(int type);
    void CallbackEnable(bool enable);
    bool CallbackIsEnable() const;
    void CallbackClear();
    // A separate event 32 carrying data, to every callback.
    void DataUpdated(IData* data);

    // ---- File ----

    // Writes the node as one field (fieldName, with a nested block). Always
    // false.
    bool QelStore(KQel* qel, bool onlyDefaults, bool shortNames = true, bool skipUserName = true,
                  const char* fieldName = "Channel", bool withColor = true, bool beforeV6 = false);
    // Reads the block of the node whose field is open. Always false.
    bool QelInternalRetrieve(KQel* qel, bool onlyDefaults, bool create, bool withColor);
    // Reads the next "Channel" field into this node. Always false.
    bool QelRetrieve(KQel* qel, bool onlyDefaults, bool create, bool withColor);

    // Nesting of channels and layers accepted from a file; deeper ones are
    // skipped.
    static const int kMaxReadDepth = 64;

private:
    struct CallbackRecord;
    friend KFCurveNode* KFCurveNodeCreate(KQel*, KFCurveNode*, bool, bool, bool);
    friend KFCurveNode* KFCurveNodeCreate(KQel*, bool, bool);
    friend KFCurveNode* KFCurveNodeLayerCreate(KQel*, KFCurveNode*, bool);

    // Channel and layer readers; depth counts the enclosing channels.
    static KFCurveNode* ReadChannel(KQel* qel, KFCurveNode* templateNode, bool onlyDefaults, bool create,
                                    bool withColor, int depth);
    static KFCurveNode* ReadLayer(KQel* qel, KFCurveNode* node, bool onlyDefaults, int depth);
    KFCurveNode* MatchChannel(const KString& name) const;
    void CallbackFree();
    void Deliver(KFCurveNodeEvent* event, bool firstToLast);

    void Init(int layerID);
    void SetFlagBits(kUInt mask, kUInt bits) { mFlags = (mFlags & ~mask) | (bits & mask); }
    void ReleaseNameInfo();
    // Drops one reference; destroys the node at 0 or below.
    static void Release(KFCurveNode* node);
    KFCurveNode* FindSegment(const char* segment, int length) const;
    void UserLockChange(int delta);

    KTime WarpTime(KTime time, bool candidate);
    int CandidateValueCount() const;
    bool HoldsTotal() const;
    void CombineLayer(double* values, int available, KTime time, bool candidate);
    void LayerMatrix(KgeRMatrix& matrix, KTime time, int* last);
    void LayerQuaternion(double* quaternion, KTime time, int* last);
    bool QuaternionPathApplies(KTime time, double& index) const;
    void QuaternionRotation(double* out, double index);
    double* SpecificLayer(double* out, KTime time, int layerID, int* last, bool candidate);
    double* EulerToQuaternion(double* quaternion, const double* angles) const;
    double* CandidateSetTotal(KTime time, double* values, int layerID, int childIndex, bool parentHandled);
    double* SetSpecificValues(KTime time, double* values, int layerID);
    int CandidateLayerValueCount() const;
    void ClearCandidateHere(int layerID);
    void HeldValues(double* out) const;
    void KeyCandidateHere(int* last, bool* channels, int interpolation, int tangentMode, bool breakTangent,
                          bool setKeyType, KTime time, double tolerance);

    double* KeyAddValues(KTime time, double* values, bool append);
    void CollectFirstLast(KFCurveKey*& key, bool* channels, bool withLayers, bool first);
    void PrevNextKeyTime(KTime time, bool* channels, bool previous, KTime& best, bool& found);
    void IsKeyRecursive(KTime time, bool* channels, double tolerance, int& channelCount, int& keyedCount);
    bool DeleteKeyRecursive(KTime time, bool* channels, double tolerance);

    bool QelInternalRetrieveDepth(KQel* qel, bool onlyDefaults, bool create, bool withColor, int depth);
    void ApplyStoredLayerTypeRules(KQel* qel);

    bool mUseQuaternion;
    NameInfo* mNameInfo;
    kUInt mFlags;
    int mReferenceCount;
    KArrayTemplate<KFCurveNode*> mChildren;
    KFCurve* mFCurve;
    KFCurveNode* mTimeWarp;
    KFCurveNode* mLayer;
    KFCurveNode* mObjectLayer;
    KFCurveNode* mTemplate;
    KFCurveNode* mDataNode;
    KFCurveNode* mParent;
    int mLayerType;
    int mLayerID;
    int mNodeUpdateId;
    int mRotationOrder;
    int mSpecificCandidateMethod;
    int mTotalCandidateMethod;
    double mCandidateTotalValue[4];
    KTime mCandidateTotalTime;
    CallbackRecord* mCallback;
    int mUserLock;
    float mNoColor[3];
};

// ---- Creation: every function returns a node owned by the caller ----

// The data type is looked up by name (null when unknown).
KFCurveNode* KFCurveNodeCreate(const char* name, const char* timeWarpName, const char* dataTypeName,
                               int layerType = 0, int layerID = 0);
// The time-warp name is the name, except for the time-warp data type (empty).
KFCurveNode* KFCurveNodeCreate(const char* name, KDataType* dataType = nullptr, int layerType = 0,
                               int layerID = 0);
// Template clone.
KFCurveNode* KFCurveNodeCreate(KFCurveNode* templateNode);
// A node with its layer type from the data type (rotations 2, scalings 3,
// others 1) and one child per member ("X", "Y", "Z", then " ") when there
// are at least two.
KFCurveNode* FCurveNodeCreateFromDataType(KDataType* dataType, const char* name);

// Reads the next "Channel" field of the current scope into the matching
// child of templateNode (or a new node); null when no "Channel" is left.
KFCurveNode* KFCurveNodeCreate(KQel* qel, KFCurveNode* templateNode, bool onlyDefaults, bool create,
                               bool withColor);
KFCurveNode* KFCurveNodeCreate(KQel* qel, bool onlyDefaults, bool withColor);
// Reads a "LayerChannel" into a new layer of node; null when there is none.
KFCurveNode* KFCurveNodeLayerCreate(KQel* qel, KFCurveNode* node, bool onlyDefaults);

}  // namespace qelsdk_600

#endif
