// Object-list properties: a property whose value is the list of objects
// connected to it.
#ifndef QELSDK_OBJECT_KPROPERTYOBJECTLIST_H
#define QELSDK_OBJECT_KPROPERTYOBJECTLIST_H

#include "object/kproperty.h"

namespace qelsdk_600 {

class KObject;

// The objects are the property's source connections when direction bit 0 is
// set, else its destination connections, in connection order. Every change
// made through the list raises the update id first. Indices are checked:
// out of range reads as null and removes nothing.
class KPropertyObjectList : public KProperty {
public:
    static int ClassId;
    static KClassDefinition ClassDefinition;

    // Empty; content value and content class id -1, update id 0.
    KPropertyObjectList();
    ~KPropertyObjectList() override;

    KClassDefinition* GetClassDefinition() const override;

    // Allocates an object-list property for pOwner and appends it to the
    // owner's property list; the owner frees it (it is dynamic). The name is
    // copied. Null for a null owner or name, or when the owner refuses it.
    static KPropertyObjectList* Create(KObject* pOwner, const char* pName, KPlug::kType pPlugType,
                                       int pContentClassId, int pContentValue,
                                       KPlug::kDirection pDirection, int pPropertyFlags);

    // Marks the property as an object list (information flags 4 and 8); the
    // argument is not used.
    void Init(KPropertyInfo* pInfo = nullptr);
    // Stores the content value and class id and installs that class's filter,
    // keeping the sub-plug bit.
    virtual void SetContentSpec(int pContentValue, int pContentClassId);
    virtual void GetContentSpec(int& pContentValue, int& pContentClassId) const;

    virtual int GetCount() const;
    // The object of the i-th connection, null when out of range or when that
    // plug is not a KObject.
    virtual KObject* GetAt(int pIndex) const;
    // Index of the object in the list, -1 when absent.
    virtual int FindIndex(const KObject* pObject) const;
    // Connects the object as the new last entry; true when connected.
    virtual bool Add(KObject* pObject);
    // Replaces the object at the index: event 10, disconnection of the old
    // object (6, 8), connection of the new one (request, 4), event 11; the
    // new object takes the old one's place. At or beyond the count it is
    // added as the new last entry instead. True when the new connection was
    // made (an object already at that index counts as made). False, changing
    // nothing, for a null object, a negative index or an object listed at
    // another index.
    virtual bool SetAt(int pIndex, KObject* pObject);
    // Disconnects the object at the index; false when out of range.
    virtual bool RemoveAt(int pIndex);
    // Disconnects the object; false when it is not listed.
    virtual bool Remove(KObject* pObject);
    // Disconnects every object (6 and 8 to the list for each).
    virtual void Clear();

    virtual int GetUpdateID() const { return mUpdateID; }
    virtual void IncrementUpdateID() { ++mUpdateID; }

    // Raises the update id when the list itself gains or loses an object,
    // then reacts as KPlug does.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                    KPlug* pOther, kConnectionType pType, KPlug* pNewPlug) override;

private:
    bool HoldsSources() const { return (GetPlugFlags() & KPlug::eDirectionSrc) != 0; }
    KPlug* EntryAt(int pIndex) const;
    bool Connect(KObject* pObject);
    bool Disconnect(KPlug* pPlug);

    int mContentValue;
    int mContentClassId;
    int mUpdateID;
};

}  // namespace qelsdk_600

#endif
