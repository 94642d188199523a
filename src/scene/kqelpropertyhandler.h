// Base of the property sets of the animatable scene objects.
#ifndef QELSDK_SCENE_KQELPROPERTYHANDLER_H
#define QELSDK_SCENE_KQELPROPERTYHANDLER_H

#include "object/kobject.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

class KQelTakeNodeContainer;
class KQelUserProperty;

// The property set of a take-node container (node, material, texture, video,
// pose, generic node, deformer, character, control-set plug): an object of
// the object model whose properties are the scene object's. Plug connections
// between scene objects are connections between their sets. Adds no data.
class KQelPropertyHandler : public KObject {
    QEL_CLASS_IDENTITY(KQelPropertyHandler)

public:
    KQelPropertyHandler();
    ~KQelPropertyHandler() override;

    // KObject's creation, made with pAnimatable false; the property then gets
    // information flag 2 when pAnimatable is true. The property or null.
    KProperty* CreatePropertyFromType(const char* pName, kPropertyType pType, KDataType* pDataType,
                                      bool pAnimatable, bool pReserved, KProperty* pCopyFrom) override;

    // Called when a user property's default value changed.
    virtual void DefaultValueChanged(KQelUserProperty* pProperty) = 0;
    // The scene object that owns the set.
    virtual KQelTakeNodeContainer* GetKQelObject() = 0;

    // Makes the KProperty that a user-property description asks for, in this
    // set, and binds the handle to it and to this set: data type from the
    // type's name, user-property flags 1, 2, 4 as information flags 2 (and
    // property flag 8), 64, 128, label when there is one. False, making
    // nothing, for null, a handle already bound, a type without data type
    // ("Unidentified") or a failed creation.
    bool CreateKProperty(KQelUserProperty* pProperty);
    // Destroys the handle's property in this set and unbinds the handle;
    // false for null or a handle without property.
    bool DestroyKProperty(KQelUserProperty* pProperty);

protected:
    // A change to the watched set: the owner builds the Default take's tree
    // it still owes (see KQelTakeNodeContainer::DeferDefaultTake).
    void WatchEnded() override;
};

// The object-family sets: they keep the owning container and pass
// default-value changes to it. A generated set derives from this class and
// forwards the owner (see kqelpropertyset.h).
class KQelOwnedPropertyHandler : public KQelPropertyHandler {
public:
    explicit KQelOwnedPropertyHandler(KQelTakeNodeContainer* pOwner) : mOwner(pOwner) {}

    // The owner's PropertyDefaultValueChanged; nothing without owner.
    void DefaultValueChanged(KQelUserProperty* pProperty) override;
    // The owner given to the constructor.
    KQelTakeNodeContainer* GetKQelObject() override { return mOwner; }

private:
    KQelTakeNodeContainer* mOwner;
};

}  // namespace qelsdk_600

#endif
