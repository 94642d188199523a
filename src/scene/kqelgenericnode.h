// Generic nodes: animatable scene objects outside the node tree, made only of
// a name, user properties and takes.
#ifndef QELSDK_SCENE_KQELGENERICNODE_H
#define QELSDK_SCENE_KQELGENERICNODE_H

#include "base/kerror.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelEntity;
class KQelGenericNode;

// The property set of a generic node. It has no properties of its own: every
// property of a generic node is a user property added later.
class KQelGenericNodeProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelGenericNodeProperties)

public:
    explicit KQelGenericNodeProperties(KQelGenericNode* pOwner);
    ~KQelGenericNodeProperties() override;

    // The owner given to the constructor.
    KQelGenericNode* GetKQelGenericNode() const { return mGenericNode; }

private:
    KQelGenericNode* mGenericNode;
};

// An animatable object of name space 10 that belongs to a scene through the
// scene's object store, which counts its uses. Made and destroyed by the
// manager; the name is used as given (no kind prefix). Failures of the take
// operations are recorded in its own error record (id 0 with their text).
class KQelGenericNode : public KQelTakeNodeContainer {
public:
    // A new property set, then the take "Default"; in no store.
    KQelGenericNode(KQelSdkManager& pManager, const char* pName);
    // Leaves its store (every use), so the store never keeps a freed
    // object; then destroys the property set, then the takes.
    ~KQelGenericNode() override;

    // Tears down the property set's connections and properties.
    void Destruct() override;
    // eDeformer (10), shared with deformers: no kind prefix.
    ENameSpace GetNameSpace() const override { return eDeformer; }
    KQelGenericNodeProperties* GetPropertyHandler() override { return mProperties; }
    // "GenericNode".
    KString GetTypeName() override;
    // One entry, "GenericNode" (reference 0).
    KStringList GetTypeFlags() override;
    // The channels of every animatable property of the set.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // Moves the generic node into pEntity (null: into none). The same store
    // again changes nothing; otherwise every use in the current store is
    // dropped, and one use is added in the new store. Always true.
    bool SetEntity(KQelEntity* pEntity);
    // The store that holds the generic node, or null.
    KQelEntity* GetEntity() const { return mEntity; }

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    // Drops every use of this generic node in the current store and forgets
    // the store.
    void LeaveEntity();

    KQelEntity* mEntity;
    KQelGenericNodeProperties* mProperties;
    KError mError;
};

}  // namespace qelsdk_600

#endif
