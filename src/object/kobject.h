// Objects: plugs that own an ordered list of properties.
#ifndef QELSDK_OBJECT_KOBJECT_H
#define QELSDK_OBJECT_KOBJECT_H

#include <memory>
#include <type_traits>
#include <vector>

#include "object/kplug.h"
#include "object/kproperty.h"

namespace qelsdk_600 {

class KDataType;

// The first index of each name among a class's rows, for the objects whose
// property list starts with properties on those rows, in that order (see
// KObject::UseClassNames): one table per class, made with its rows and as
// constant. Up to 65535 rows.
class KPropertyNames {
public:
    KPropertyNames(const KPropertyRow* pRows, int pCount);
    KPropertyNames(const KPropertyNames&) = delete;
    KPropertyNames& operator=(const KPropertyNames&) = delete;

    const KPropertyRow* GetRows() const { return mRows; }
    int GetCount() const { return mCount; }
    // The index of the first row named pName, -1 when none.
    int Find(const char* pName) const;

private:
    static constexpr unsigned short kEmpty = 0xFFFFu;
    const KPropertyRow* mRows;
    int mCount;
    std::vector<unsigned short> mSlots;  // a power of two, at most half full
};

// Events that the property list announces to PropertyNotify.
enum kPropertyNotify {
    kPropertyAdding = 8,     // before a property joins the list
    kPropertyRemoving = 9,   // before a property leaves the list
    kPropertyAdded = 11,
    kPropertyRemoved = 12
};

// A plug with an ordered list of properties (in order of addition). The
// object does not delete the properties that a subclass embeds; those leave
// the list as they are destroyed. Dynamic properties (made by
// CreatePropertyFromType or KPropertyObjectList::Create) belong to the
// object and are freed by Destruct, PropertyDestroy or, failing those, the
// destructor.
class KObject : public KPlug {
public:
    // Status bits.
    enum { kStatusDestroying = 8, kStatusWatched = 16 };

    static int ClassId;
    static KClassDefinition ClassDefinition;
    // The class group that objects and property sets report.
    static int ClassGroupId;
    static const char* ClassGroupName;

    KObject();
    ~KObject() override;

    // This object for kIID_KObject, else as KPlug.
    IKObject* IQuery(unsigned long pInterfaceId, int pReserved) override;
    KClassDefinition* GetClassDefinition() const override;
    int GetClassGroupId() const override;
    const char* GetClassGroupName() const override;

    // Prepares deletion: status 8, DisconnectAll, DestructProperties, then
    // the plug's own tear-down.
    void Destruct() override;
    // For each property from the last to the first, disconnects its sources
    // and destinations; then those of the object itself.
    virtual void DisconnectAll();
    // PropertyIndexDestroy on every index, from the last to the first.
    virtual void DestructProperties();
    int GetObjectStatus() const { return mStatus; }

    // Creates a dynamic property of that name (copied), property type and
    // data type as the matching typed property, sets information flag 2 when
    // pAnimatable, copies the value of pCopyFrom when given, appends it to
    // the list and returns it. Null for a null name or a type that has no
    // value template (0, 10, 11, 17, 18). pReserved is not used.
    virtual KProperty* CreatePropertyFromType(const char* pName, kPropertyType pType,
                                              KDataType* pDataType, bool pAnimatable,
                                              bool pReserved, KProperty* pCopyFrom);
    // A dynamic property on a class's row (name and data type, used as they
    // are), of type pType, made and appended as CreatePropertyFromType makes
    // it (its name then reads as copied, information flag 32). Null when no
    // value template serves that type or the list refuses the property.
    KProperty* CreatePropertyOnRow(const KPropertyRow* pRow, kPropertyType pType);
    // Appends a property (events 8 before, 11 after); its index, or -1 for
    // null or a property that some object's list already holds.
    virtual int PropertyAddToList(KProperty* pProperty);
    // Takes the property at an index out of the list (events 9 before, 12
    // after); false when the index is out of range.
    virtual bool PropertyIndexRemoveFromList(int pIndex);
    // Takes the property out of the list; a dynamic one is then destroyed,
    // any other disconnected. 0 on success, 1 when the index is out of range.
    virtual int PropertyIndexDestroy(int pIndex);
    // PropertyIndexDestroy of that property; false when it is not listed.
    bool PropertyDestroy(KProperty* pProperty);
    // Told of list changes (kPropertyNotify); does nothing here.
    virtual void PropertyNotify(kPropertyNotify pEvent, KProperty* pProperty);

    int GetPropertyCount() const { return mListed; }
    // Null when out of range.
    KProperty* GetProperty(int pIndex) const
    {
        return pIndex < 0 || pIndex >= GetPropertyCount() ? nullptr : Listed(pIndex);
    }
    // Index in the list, -1 when absent.
    int GetPropertyIndex(const KProperty* pProperty) const;
    // The first property whose name equals pName exactly (case matters), or
    // null. Constant time after the first lookup that follows a change, or
    // through the class's table (UseClassNames).
    KProperty* FindPropertyByName(const char* pName) const;
    // Lets name lookups read a class's table while the list starts with the
    // properties on its rows, in order, under their rows' names: from now
    // on when it does (nothing otherwise), until a listed property is
    // renamed or leaves the list. The table must outlive the object.
    void UseClassNames(const KPropertyNames* pNames);
    // Room for pCount more properties in the list and among the owned plugs.
    void ReserveProperties(int pCount);
    // For the constructor of C, this object's class: binds pProperty, a
    // member, to this object and to its class's row and appends it to the
    // list, as pProperty->SetPropertyInfo(this, pRow) then
    // PropertyAddToList(pProperty) do. While nothing can have seen the
    // property or be told of the list (C keeps the list hooks of KObject,
    // the object is not watched, its lists agree and have no name index),
    // that is a few stores: no event would do anything.
    template <class C>
    void ListMember(KProperty* pProperty, const KPropertyRow* pRow)
    {
        if (KeepsListHooks<C>() && ListUntouched(pProperty, pRow))
            return;
        pProperty->SetPropertyInfo(this, pRow);
        PropertyAddToList(pProperty);
    }
    // CreatePropertyOnRow for the constructor of C, the property listed as
    // ListMember lists a member.
    template <class C>
    KProperty* CreateMemberOnRow(const KPropertyRow* pRow, kPropertyType pType)
    {
        return CreateOnRow(pRow, pType, KeepsListHooks<C>());
    }
    // Whether the class C answers ownership and list events as KObject does.
    template <class C>
    static constexpr bool KeepsListHooks()
    {
        return std::is_same<decltype(&C::PropertyAddToList), int (KObject::*)(KProperty*)>::value &&
               std::is_same<decltype(&C::PropertyNotify), void (KObject::*)(kPropertyNotify, KProperty*)>::value &&
               std::is_same<decltype(&C::ConnectOwnedPlug), bool (KPlug::*)(KPlug*)>::value &&
               std::is_same<decltype(&C::OwnedAppend), void (KObject::*)(KPlug*)>::value;
    }
    // The same lookup on pObject; null for a null object.
    static KProperty* FindPropertyByName(const KObject* pObject, const char* pName)
    {
        return pObject ? pObject->FindPropertyByName(pName) : nullptr;
    }

    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                    KPlug* pOther, kConnectionType pType, KPlug* pNewPlug) override;

    // Watching lets an owner keep work that only reads the properties for
    // later: until the first change to the property list, or to a listed
    // property's name, type, data type, accessors or information flags, or
    // to the value of a listed animatable property, the object is watched;
    // that change first ends the watch and calls WatchEnded, once. Storing
    // a value equal to the current one, property flags, labels, limits and
    // connections are not changes here. Destruct ends the watch silently.
    void Watch();
    // Ends the watch without calling WatchEnded.
    void Unwatch();
    bool IsWatched() const { return (mStatus & kStatusWatched) != 0; }

protected:
    // Called once when a change ends the watch, before the change; does
    // nothing here.
    virtual void WatchEnded();
    // Storage of the object's own where CreatePropertyOnRow makes the
    // properties that fit, so that they cost no allocation of their own;
    // null here. Such a property ends with the object at the latest, as a
    // member does.
    virtual KPropertyRoom* GetPropertyRoom() { return nullptr; }
    // The owned plugs are, for most objects, its properties in list order
    // (each is made owned just before it is listed) and, once the object
    // starts ending, those that have left the list from its end: both lists
    // then share one array (see mPlugs). The first change that breaks that
    // agreement moves the owned plugs to the plug's record for good.
    int OwnedCount() const override;
    KPlug* OwnedAt(int pIndex) const override;
    void OwnedAppend(KPlug* pPlug) override;
    bool OwnedRemove(KPlug* pPlug) override;
    // Leaves every owned plug without owner at once: for a destructor whose
    // member properties are about to end, each of which would otherwise
    // leave the list by itself.
    void ReleaseOwnedPlugs();
    // What Destruct does, for an object whose DisconnectAll,
    // DestructProperties, PropertyIndexDestroy, PropertyIndexRemoveFromList
    // and PropertyNotify are this class's: the same steps on the same plugs
    // in the same order, without a call through the object per property.
    // Only a class that knows its dynamic type keeps these hooks may use it.
    void DestructWithOwnHooks();

private:
    friend class KProperty;
    // Ends the watch and calls WatchEnded (nothing when not watched).
    void EndWatch()
    {
        if (mStatus & kStatusWatched)
            EndWatchNow();
    }
    void EndWatchNow();
    struct NameIndex;
    // Drops a property from the list without events (it is being destroyed).
    void ForgetProperty(KProperty* pProperty);
    // CreatePropertyOnRow, listing as ListMember when pMember.
    KProperty* CreateOnRow(const KPropertyRow* pRow, kPropertyType pType, bool pMember);
    // ListMember's stores, when the property and the object allow them;
    // false, with nothing done, otherwise.
    inline bool ListUntouched(KProperty* pProperty, const KPropertyRow* pRow);
    // Takes pProperty out of the list, looked for at pIndex first; no events.
    void Unlist(int pIndex, KProperty* pProperty);
    // A property that has left the list: destroyed when it is this object's
    // dynamic one, else disconnected.
    void EndUnlisted(KProperty* pProperty);
    // Takes out of the list, as Unlist from the last one would, the
    // properties at its end whose EndUnlisted does nothing (not this
    // object's dynamic ones, not connected), up to the first that is not;
    // false when the last one is not.
    bool UnlistQuietTail();
    // Moves the owned plugs to the record: they stop following the list.
    void SeparateOwned();
    // OwnedAppend apart from the list, or with the array full.
    void OwnedAppendSlow(KPlug* pPlug);
    // The entry at pIndex, a property below mListed.
    KProperty* Listed(int pIndex) const
    {
        return static_cast<KProperty*>(mPlugs[static_cast<std::size_t>(pIndex)]);
    }
    void InvalidateNameIndex()
    {
        mNameIndexValid = false;
        mClassNames = nullptr;
    }

    int mStatus;  // first: fills the plug's tail padding
    // The property list is mPlugs[0, mListed), each entry a KProperty. While
    // the owned plugs agree with it (!mOwnedApart) they are all of mPlugs:
    // the listed properties, then plugs owned but not listed (one being
    // made, or properties that left the list from its end). Otherwise
    // mPlugs holds the list alone and the record the owned plugs.
    std::vector<KPlug*> mPlugs;
    mutable std::unique_ptr<NameIndex> mNameIndex;
    const KPropertyNames* mClassNames;  // see UseClassNames
    int mListed;
    mutable bool mNameIndexValid;
    bool mOwnedApart;
};

inline KObject* KProperty::ListOwner() const
{
    return static_cast<KObject*>(GetListOwner());
}

inline bool KObject::ListUntouched(KProperty* pProperty, const KPropertyRow* pRow)
{
    // Unwatched, nothing ends a watch; with the lists agreeing and ending
    // together, the new owned plug is the next listed one; without a name
    // index there is none to extend. A full array grows on the usual path.
    if (!pRow || (mStatus & kStatusWatched) || mOwnedApart || mNameIndexValid ||
        mPlugs.size() != static_cast<std::size_t>(mListed) || mPlugs.size() == mPlugs.capacity() ||
        !IsUntouched(pProperty))
        return false;
    AdoptUntouched(pProperty);
    mPlugs.push_back(pProperty);
    ++mListed;
    if (pRow != pProperty->mRow)
        pProperty->ShareRow(pRow);
    return true;
}

}  // namespace qelsdk_600

#endif
