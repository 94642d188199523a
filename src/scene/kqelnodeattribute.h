// What a node carries: the attribute base.
#ifndef QELSDK_SCENE_KQELNODEATTRIBUTE_H
#define QELSDK_SCENE_KQELNODEATTRIBUTE_H

#include "base/kstring.h"
#include "base/kstringlist.h"

namespace qelsdk_600 {

class KQelNode;
class KQelSdkManager;
class KQelTakeNode;

// Abstract base of everything a node can carry (null, marker, skeleton, mesh,
// NURBS, patch, camera, camera switcher, light, optical reference, shape).
// Remembers the node it is bound to and the manager that made it; binding
// and unbinding let the concrete kind add or remove its animation channels
// in every take of the node, whose take nodes hold the attribute's curves.
// The node binds and unbinds its attribute; the attribute never tells the
// node. Made and destroyed by the manager, which unbinds a bound attribute
// before destroying it.
class KQelNodeAttribute {
public:
    // Attribute types of the concrete kinds.
    enum EAttributeType : int {
        eShape = 0,
        eNull = 1,
        eMarker = 2,
        eSkeleton = 3,
        eMesh = 4,
        eNurb = 5,
        ePatch = 6,
        eCamera = 7,
        eCameraSwitcher = 8,
        eLight = 9,
        eOpticalReference = 10
    };

    // Unbound.
    explicit KQelNodeAttribute(KQelSdkManager& pManager);
    KQelNodeAttribute(const KQelNodeAttribute&) = delete;

    // ---- Virtual operations, in slot order ----

    virtual EAttributeType GetAttributeType() const = 0;
    virtual ~KQelNodeAttribute();
    // Binds the attribute to pNode, then calls AddChannels with each of the
    // node's take nodes, take 0 first.
    virtual void SetNode(KQelNode& pNode);
    // When bound, calls RemoveChannels with each of the node's take nodes,
    // take 0 first, then forgets the node; unbound: nothing.
    virtual void UnsetNode();
    // Adds (removes) the kind's channels in one take node; nothing here.
    virtual void AddChannels(KQelTakeNode* pTakeNode);
    virtual void RemoveChannels(KQelTakeNode* pTakeNode);
    // Appends the kind's properties to a KArrayTemplate<KProperty*> (passed as
    // pList); nothing here.
    virtual void FillPropertyList(void* pList);
    // Empty here.
    virtual KString GetTypeName();
    // Empty here.
    virtual KStringList GetTypeFlags();

    // The node the attribute is bound to, or null.
    KQelNode* GetNode() const { return mNode; }
    KQelSdkManager& GetKQelSdkManager() const { return mManager; }
    // Detaches a bound attribute from its node, so that the node neither
    // keeps it nor its channels; used by the manager before it destroys the
    // attribute. Unbound: nothing.
    void DetachFromNode();

    // Changes nothing: node and manager are never copied. A concrete kind
    // defines its own assignment (the implicit one does not exist).
    KQelNodeAttribute& operator=(KQelNodeAttribute&) { return *this; }
    KQelNodeAttribute& operator=(const KQelNodeAttribute&) = delete;

private:
    KQelNode* mNode;
    KQelSdkManager& mManager;
};

}  // namespace qelsdk_600

#endif
