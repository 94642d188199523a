// The control-set plug: a scene object that carries the content of a
// control set as properties, so that it can be stored and connected.
#ifndef QELSDK_CHARACTER_KQELCONTROLSETPLUG_H
#define QELSDK_CHARACTER_KQELCONTROLSETPLUG_H

#include "base/kerror.h"
#include "character/kcharacternodeid.h"
#include "character/keffectornodeid.h"
#include "character/kqelcontrolset.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyset.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelControlSetPlug;

// The value properties of the plug's set, in list order; the object lists
// follow them.
#define QEL_CONTROL_SET_PLUG_PROPERTIES(V, E, L, A)      \
    V(bool, UseAxis, "UseAxis", true, 0)                 \
    E(KQelControlSet::EType, ControlSetType, "ControlSetType", ControlSetTypeAsString, 0, 0)

// The property set of a control-set plug, 233 properties in this order:
// "UseAxis" (bool, true), "ControlSetType" (enumeration, 0), one object list
// per named character node id in id order (named after the role; ids 68,
// 69, 88 and 89 have none, 67 is "Reference"), then one per effector in id
// order ("HipsEffector" to "RightFootExtraFingerEffector"). A list holds its
// objects as source connections; its user tag is its node id or effector
// id. A link list is meant to hold a node's property set; an effector list
// the effector node's, then those of its auxiliary nodes in set order. The
// set has no reaction of its own to connections. End it with Destroy.
class KQelControlSetPlugProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelControlSetPlugProperties)

public:
    static constexpr int kLinkListCount = 187;

    // The full set, owned by pOwner (a control-set plug).
    explicit KQelControlSetPlugProperties(KQelTakeNodeContainer* pOwner);
    ~KQelControlSetPlugProperties() override;

    // The control-set type has no texts: null for every value.
    const char* ControlSetTypeAsString(KQelControlSet::EType) { return nullptr; }
    // The owner as a plug.
    KQelControlSetPlug* GetKQelControlSetPlug();

    // The link lists in node id order (0 to 186) and the effector lists in
    // effector id order (0 to 43); null outside those ranges.
    KPropertyObjectList* GetLinkList(int pIndex) const;
    KPropertyObjectList* GetEffectorList(int pIndex) const;

    QEL_PROPERTY_SET_BODY(QEL_CONTROL_SET_PLUG_PROPERTIES)

private:
    KPropertyObjectList* mLinkLists[kLinkListCount];           // held by the property list
    KPropertyObjectList* mEffectorLists[kEffectorNodeIdCount];  // held by the property list
};

// A control set as a scene object of name space 12 ("ControlSetPlug::"),
// with take nodes. The scene creates, holds and destroys it (Destruct, then
// delete). It keeps no link to any control set: KQelControlSet::ToPlug and
// FromPlug copy.
class KQelControlSetPlug : public KQelTakeNodeContainer {
public:
    // Named pName (the scene has prefixed it), with its property set and the
    // take "Default".
    KQelControlSetPlug(KQelSdkManager& pManager, const char* pName);
    // Destroys the property set, then the take nodes.
    ~KQelControlSetPlug() override;

    // Notified tear-down of the property set's connections and properties.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return eControlSetPlug; }
    KQelControlSetPlugProperties* GetPropertyHandler() override { return mProperties; }
    // "ControlSetPlug".
    KString GetTypeName() override;
    // One entry, "ControlSetPlug" (reference 0).
    KStringList GetTypeFlags() override;
    // Channels of the animatable properties (only animatable user
    // properties: none of the set's own is).
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Made by the manager that made the plug (which owns it).
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // The error record of the take-node container ("Error").
    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    KError mError;
    KQelControlSetPlugProperties* mProperties;
};

}  // namespace qelsdk_600

#endif
