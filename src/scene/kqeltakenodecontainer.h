// Animatable scene objects: one take node per take, and the Default take kept
// in step with the object's properties.
#ifndef QELSDK_SCENE_KQELTAKENODECONTAINER_H
#define QELSDK_SCENE_KQELTAKENODECONTAINER_H

#include "base/karraytemplate.h"
#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "curves/kfcurve.h"
#include "scene/kqelobject.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

class KDataType;
class KFCurveNode;
class KObject;
class KProperty;
class KQelTakeNodeContainer;

// Ties one member of a property to the curve of the take "Default" that
// mirrors it. Owned by the container; registered as the user data of
// DefaultTakeValueChangedCallback on the curve.
struct KQelDefaultTakeCallback {
    KProperty* mProperty;
    int mMember;  // 0 for a one-member property, 0 to 3 for vectors and colours
    KFCurve* mCurve;
    KQelTakeNodeContainer* mContainer;
};

// Base of every animatable scene object (node, material, texture, video,
// pose, generic node, deformer, character, control-set plug). Holds one take
// node per take: index 0 is always the take "Default", whose curves' default
// values are the object's static values; every later take starts as a deep
// copy of it. Failures are recorded with id 0 and a text of their own in the
// KError that the concrete class passes to the constructor.
//
// A concrete class builds its property set and then calls Init in its own
// constructor (a pose alone never does and keeps no take nodes); Init builds
// the Default take through the class's AddChannels, which calls
// CreateChannelsForProperty for each animatable property.
class KQelTakeNodeContainer : public KQelObject {
public:
    // Manager, full name and the concrete class's error record (not owned);
    // no take node and current index -1 until Init.
    KQelTakeNodeContainer(KQelSdkManager& pManager, const char* pName, KError* pError);
    // Destroys every take node (last first), which unregisters the callback
    // records of their curves, then unregisters the remaining records.
    ~KQelTakeNodeContainer() override;

    // ---- Overrides and virtual operations, in slot order ----

    // Appends every property of the property set, in order, to the
    // KArrayTemplate<KProperty*> that pList points to.
    void FillPropertyList(void* pList) override;
    // Makes the user property's KProperty in the property set and, when it is
    // animatable, its curve nodes in every take (callbacks in "Default").
    // A property that cannot be made ("Unidentified") gets no curves.
    void PropertyAdded(KQelUserProperty* pProperty) override;
    // Takes the property's curve nodes out of every take and destroys them
    // (only detaches those held by a container node), drops its callback
    // records, then destroys the KProperty in the property set.
    void PropertyRemoved(KQelUserProperty* pProperty) override;
    // Makes the take node of that index current. False, with "Index out of
    // range" and index 0 current, outside [0, count).
    virtual bool SetCurrentTakeNode(int pIndex);
    // Makes the first take node of exactly that name current. False, with
    // "Unknown take node name" and index 0 current, when none has it.
    virtual bool SetCurrentTakeNode(const char* pName);
    // Widens pStart and pStop by the keys of the current take; false, both
    // unchanged, without keys or without current take.
    virtual bool GetAnimationInterval(KTime& pStart, KTime& pStop);
    // Builds the object's channels in a new take node (the Default take).
    virtual void AddChannels(KQelTakeNode* pTakeNode) = 0;
    // A bound user property over one of the object's properties, made by the
    // manager; null when none can be made.
    virtual KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) = 0;

    // ---- Takes ----

    // Creates the take "Default" and makes it current.
    void Init();
    // Destroys every take node (last first), then Init.
    void Reset();
    // A new take node of that name (null: empty), appended: a deep copy of
    // the Default take when there is one, else fresh channels from
    // AddChannels. Null, with "Take node already exists", when a take node
    // has exactly that name.
    KQelTakeNode* CreateTakeNode(const char* pName);
    // Removes and destroys a take node. A removed index below the current one
    // lowers it by one; removing the current take makes the one before it
    // current. False with "Cannot remove default take node" for index 0 or
    // its name, "Index out of range" or "Unknown take node name".
    bool RemoveTakeNode(int pIndex);
    bool RemoveTakeNode(const char* pName);
    // The take node at index 0, or null (no error recorded).
    KQelTakeNode* GetDefaultTakeNode() const;
    // The take node (its name) at the current index or at pIndex; null with
    // "Take node does not exist" when out of range.
    KQelTakeNode* GetCurrentTakeNode();
    const char* GetCurrentTakeNodeName();
    KQelTakeNode* GetTakeNode(int pIndex);
    const char* GetTakeNodeName(int pIndex);
    int GetCurrentTakeNodeIndex() const { return mCurrentTakeNode; }
    int GetTakeNodeCount() const { return mTakeNodes.GetCount(); }
    // True when a take other than "Default" has keys on that channel (see
    // KQelTakeNode::GetKFCurve).
    bool IsChannelAnimated(const char* pGroup, const char* pChannel, const char* pComponent);
    bool IsChannelAnimated(const char* pGroup, const char* pChannel, KDataType* pComponent);
    // Copies the object base (names), replaces the take nodes by copies of
    // the other's and takes its current index. The copies carry no
    // callbacks. A concrete class defines its own assignment on top (the
    // implicit one, which would share the property set, does not exist).
    KQelTakeNodeContainer& operator=(KQelTakeNodeContainer& pOther);
    KQelTakeNodeContainer& operator=(const KQelTakeNodeContainer&) = delete;

    // ---- Default-take synchronisation ----

    // Curves follow a user property's new default value: the node of its
    // effective name in the current take and in "Default" gets the value as
    // curve default values, silently (no curve callback fires). Only for
    // animatable properties.
    void PropertyDefaultValueChanged(KQelUserProperty* pProperty);
    // Every property of FillPropertyList copied, silently, into the default
    // values of its node in the Default take.
    void UpdateDefaultTakeFromProperties();
    // Wraps every property of the property set that has no user property yet
    // (CreateKQelUserProperty, AddProperty) and binds the wrappers to the set.
    void PublishProperties();
    // The same for an object without user properties, with the wrappers
    // made on first use (KQelObject::PublishRun): what adding them does to
    // the properties (animated flag) and to the takes' channels happens now,
    // or with the Default take's tree when that is still owed.
    void PublishPropertiesOnDemand();
    // Builds a property's curve nodes in a take node unless a node of its name
    // exists: one curve for one member, else children "X", "Y", "Z", "toto"
    // (at most four members), with callback records in the Default take, then
    // copies the property's value into the curves.
    void CreateChannelsForProperty(KProperty* pProperty, KQelTakeNode* pTakeNode);
    // CreateChannelsForProperty for each animatable property of pSet, in
    // order: the AddChannels of a container whose set holds nothing else.
    void CreateChannelsForAnimatableProperties(KObject& pSet, KQelTakeNode* pTakeNode);
    // Records and registers a callback on pCurve for a member of pProperty;
    // nothing for a null property or curve, or when that record exists.
    void RegisterDefaultTakeCallback(KProperty* pProperty, int pMember, KFCurve* pCurve);
    // Unregisters and deletes a record of this container and nulls the
    // caller's pointer; null or a foreign record: nothing.
    void UnregisterDefaultTakeCallback(KQelDefaultTakeCallback*& pRecord);
    void UnregisterAllDefaultTakeCallback();
    // Number of callback records held (the Default take's tree is built
    // first when it is still owed).
    int GetDefaultTakeCallbackCount() const;

protected:
    // Records a failure (id 0 with the text) in the owner's error record.
    void SetError(const char* pText);

    // With pDefer, the first take node made by Init or CreateTakeNode owes
    // its tree: AddChannels runs on its first use (KQelTakeNode::
    // GetKFCurveNode), and the property set is watched (KObject::Watch) so
    // that any change to it builds the tree first, from the set as it stood.
    // Only for a class whose AddChannels reads nothing but its property set
    // (or what it also guards itself). Off by default.
    void DeferDefaultTake(bool pDefer) { mDeferDefaultTake = pDefer; }
    // True while AddChannels builds a tree that was owed.
    bool IsBuildingDeferredTake() const { return mBuildingDeferredTake; }
    // Drops a tree still owed without building it (the take then has an
    // empty tree) and ends the watch: only for take nodes about to go.
    void DiscardDeferredTake();

private:
    friend class KQelTakeNode;
    // Builds the tree that pTakeNode owes (its root exists, empty).
    void BuildDeferredTake(KQelTakeNode* pTakeNode);
    // Unregisters every record, building nothing.
    void DropDefaultTakeCallbacks();
    // The node of the property's (effective) name below pRoot gets its value.
    static void UpdateDefaultValuesByName(KFCurveNode* pRoot, KProperty* pProperty);
    // Whether a property of the list that is not the set's may match a node
    // of a tree still owed.
    bool MayReachOwedTree(const KArrayTemplate<KProperty*>& pProperties);

    // Removes and destroys the take node at a valid index other than 0.
    void RemoveTakeNodeAt(int pIndex);
    // Destroys every take node, last first.
    void DestroyTakeNodes();
    // Index of the first take node named exactly pName, -1 when none.
    int FindTakeNode(const char* pName) const;
    // True when a take other than "Default" has keys on that channel.
    template <class Component>
    bool AnyTakeAnimated(const char* pGroup, const char* pChannel, Component pComponent) const;
    // Builds or refreshes, in every take, the curve nodes of an animatable
    // user property whose KProperty exists.
    void AddPropertyChannels(KQelUserProperty* pProperty, KProperty* pKProperty);

    KArrayTemplate<KQelTakeNode*> mTakeNodes;
    KArrayTemplate<KQelDefaultTakeCallback*> mCallbacks;
    int mCurrentTakeNode;
    bool mDeferDefaultTake;
    bool mBuildingDeferredTake;
    // Properties published on demand while the Default take's tree was owed:
    // their channels are added with the tree; so are the updates from the
    // properties (UpdateDefaultTakeFromProperties) since.
    int mDeferredPublished;
    int mDeferredUpdates;
    KError* mError;
};

// Writes a user property's default values into a curve node, silently: a
// Vector or Color property into children 0 to 2 (made as "X", "Y", "Z" with
// curves when missing), any other into the node's own curve (made when
// missing).
void UpdateDefaultValuesWithProperty(KFCurveNode* pNode, KQelUserProperty* pProperty);
// Writes a property's value into a curve node, silently: three or four
// members into the curves of children 0 to 3 (missing ones skipped), one
// value into the node's own curve when it has one.
void UpdateDefaultValuesWithProperty(KFCurveNode* pNode, KProperty* pProperty);
// The curve callback of the Default take: a changed default value (event 1)
// is written into its member of the record's property; a dying curve (event
// 512) only unregisters the record. pObject is the KQelDefaultTakeCallback.
void DefaultTakeValueChangedCallback(KFCurve* pCurve, KFCurveEvent* pEvent, void* pObject);

}  // namespace qelsdk_600

#endif
