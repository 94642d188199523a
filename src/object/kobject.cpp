#include "object/kobject.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "object/kdatatype.h"
#include "object/kpropertyobjectlist.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {

// First index of each name, built on the first lookup after a change: an
// open-addressing table of list indexes (-1: empty), at most half full, so
// that a set of 50 properties spends 512 bytes on it, not a node per name.
struct KObject::NameIndex {
    std::vector<int> mSlots;
    int mCount = 0;

    static std::size_t Hash(const char* pName);
    // Indexes below the list's length: every entry there is a property.
    static const char* NameAt(const std::vector<KPlug*>& pProperties, int pIndex)
    {
        return static_cast<const KProperty*>(pProperties[static_cast<std::size_t>(pIndex)])->GetPropertyName();
    }
    // The index of the first listed property of that name, or -1.
    int Find(const std::vector<KPlug*>& pProperties, const char* pName) const
    {
        if (mSlots.empty())
            return -1;
        const std::size_t mask = mSlots.size() - 1;
        for (std::size_t i = Hash(pName) & mask; mSlots[i] >= 0; i = (i + 1) & mask) {
            const int index = mSlots[i];
            if (std::strcmp(NameAt(pProperties, index), pName) == 0)
                return index;
        }
        return -1;
    }
    // Adds the property at pIndex unless an earlier one has its name.
    void Insert(const std::vector<KPlug*>& pProperties, int pIndex)
    {
        const char* name = NameAt(pProperties, pIndex);
        if (!name || Find(pProperties, name) >= 0)
            return;
        if (static_cast<std::size_t>(mCount + 1) * 2 > mSlots.size())
            Rebuild(pProperties, pIndex, mSlots.empty() ? 16 : mSlots.size() * 2);
        const std::size_t mask = mSlots.size() - 1;
        std::size_t i = Hash(name) & mask;
        while (mSlots[i] >= 0)
            i = (i + 1) & mask;
        mSlots[i] = pIndex;
        ++mCount;
    }
    // Indexes the properties before pEnd in a table of pSize slots.
    void Rebuild(const std::vector<KPlug*>& pProperties, int pEnd, std::size_t pSize)
    {
        mSlots.assign(pSize, -1);
        mCount = 0;
        for (int i = 0; i < pEnd; ++i)
            Insert(pProperties, i);
    }
};

namespace {

std::uint32_t HashName(const char* pName)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(pName); *c; ++c)
        hash = (hash ^ *c) * 16777619u;
    return hash;
}

}  // namespace

// ---- KPropertyNames ----

KPropertyNames::KPropertyNames(const KPropertyRow* pRows, int pCount)
    : mRows(pRows), mCount(pCount < 0 ? 0 : pCount > kEmpty ? kEmpty : pCount)
{
    std::size_t size = 16;
    while (size < static_cast<std::size_t>(mCount) * 2)
        size *= 2;
    mSlots.assign(size, kEmpty);
    const std::size_t mask = size - 1;
    for (int index = 0; index < mCount; ++index) {
        const char* name = mRows[index].mName;
        if (!name || Find(name) >= 0)
            continue;
        std::size_t i = HashName(name) & mask;
        while (mSlots[i] != kEmpty)
            i = (i + 1) & mask;
        mSlots[i] = static_cast<unsigned short>(index);
    }
}

int KPropertyNames::Find(const char* pName) const
{
    const std::size_t mask = mSlots.size() - 1;
    for (std::size_t i = HashName(pName) & mask; mSlots[i] != kEmpty; i = (i + 1) & mask) {
        if (std::strcmp(mRows[mSlots[i]].mName, pName) == 0)
            return mSlots[i];
    }
    return -1;
}

// ---- KObject ----

KClassDefinition KObject::ClassDefinition = {&KObject::ClassId, &KPlug::ClassDefinition, "KObject",
                                             nullptr};
int KObject::ClassId = KPlug_RegisterClassId(&KObject::ClassDefinition, -1);
int KObject::ClassGroupId = 0;
const char* KObject::ClassGroupName = "KObject";

std::size_t KObject::NameIndex::Hash(const char* pName)
{
    return HashName(pName);
}

KObject::KObject() : mStatus(0), mClassNames(nullptr), mListed(0), mNameIndexValid(false), mOwnedApart(false) {}

KObject::~KObject()
{
    Unwatch();
    // Dynamic properties belong to the object even when Destruct never ran;
    // any other property only stops being listed.
    while (mListed > 0) {
        KProperty* property = Listed(mListed - 1);
        Unlist(mListed - 1, property);
        if (property->IsDynamic() && property->GetOwner() == this)
            Delete(property);
    }
    ReleaseOwnedPlugs();
}

IKObject* KObject::IQuery(unsigned long pInterfaceId, int pReserved)
{
    if (pInterfaceId == kIID_KObject)
        return this;
    return KPlug::IQuery(pInterfaceId, pReserved);
}

KClassDefinition* KObject::GetClassDefinition() const
{
    return &ClassDefinition;
}

int KObject::GetClassGroupId() const
{
    return ClassGroupId;
}

const char* KObject::GetClassGroupName() const
{
    return ClassGroupName;
}

void KObject::Destruct()
{
    // The marks of the properties are left: unlisted, they end nothing.
    mStatus &= ~kStatusWatched;
    mStatus |= kStatusDestroying;
    DisconnectAll();
    DestructProperties();
    KPlug::Destruct();
}

void KObject::DestructWithOwnHooks()
{
    mStatus &= ~kStatusWatched;
    mStatus |= kStatusDestroying;
    KObject::DisconnectAll();
    // KObject::DestructProperties, with PropertyIndexDestroy and
    // PropertyIndexRemoveFromList in line and their events (which do
    // nothing here) left out.
    for (int i = GetPropertyCount() - 1; i >= 0; --i) {
        if (i >= GetPropertyCount())
            continue;
        KProperty* property = Listed(i);
        EndWatch();
        // A set's members, neither connected nor dynamic, end without a
        // step each: they leave the list together (unless the end of the
        // watch moved this one).
        if (i + 1 == mListed && Listed(i) == property && UnlistQuietTail()) {
            i = mListed;
            continue;
        }
        Unlist(i, property);
        EndUnlisted(property);
    }
    KPlug::Destruct();
}

bool KObject::UnlistQuietTail()
{
    // Nothing runs until the list is whole again: no handler sees it half
    // done.
    int end = mListed;
    while (end > 0) {
        KProperty* property = Listed(end - 1);
        if ((property->IsDynamic() && property->GetOwner() == this) || property->HasConnections())
            break;
        property->SetListOwner(nullptr);
        --end;
    }
    if (end == mListed)
        return false;
    // Still owned, they lead the owned plugs that follow the list, where
    // they already stand.
    if (mOwnedApart)
        mPlugs.resize(static_cast<std::size_t>(end));
    mListed = end;
    InvalidateNameIndex();
    return true;
}

void KObject::DisconnectAll()
{
    for (int i = GetPropertyCount() - 1; i >= 0; --i) {
        // Handlers of the disconnections may shorten the list.
        if (i >= GetPropertyCount())
            continue;
        KProperty* property = Listed(i);
        if (!property->HasConnections())
            continue;
        property->DisconnectAllSrc();
        property->DisconnectAllDst();
    }
    DisconnectAllSrc();
    DisconnectAllDst();
}

void KObject::DestructProperties()
{
    for (int i = GetPropertyCount() - 1; i >= 0; --i) {
        if (i < GetPropertyCount())
            PropertyIndexDestroy(i);
    }
}

KProperty* KObject::CreatePropertyFromType(const char* pName, kPropertyType pType,
                                           KDataType* pDataType, bool pAnimatable, bool pReserved,
                                           KProperty* pCopyFrom)
{
    if (!pName)
        return nullptr;
    KProperty* property = KPropertyCreateFromType(pType);
    if (!property)
        return nullptr;
    property->SetPropertyType(pType);
    property->SetPropertyDataType(pDataType);
    property->SetPropertyInfo(nullptr, this, nullptr, nullptr);
    property->SetPropertyName(pName);
    property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kDynamic, true);
    if (pAnimatable)
        property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
    if (pCopyFrom)
        property->CopyPropertyValueFrom(pCopyFrom);
    if (PropertyAddToList(property) < 0) {
        delete property;
        return nullptr;
    }
    return property;
}

KProperty* KObject::CreatePropertyOnRow(const KPropertyRow* pRow, kPropertyType pType)
{
    return CreateOnRow(pRow, pType, false);
}

KProperty* KObject::CreateOnRow(const KPropertyRow* pRow, kPropertyType pType, bool pMember)
{
    if (!pRow || !pRow->mName)
        return nullptr;
    KPropertyRoom* room = GetPropertyRoom();
    const unsigned char* free = room ? room->mBegin : nullptr;
    KProperty* property = KPropertyCreateFromType(pType, room);
    if (!property)
        return nullptr;
    if (room && room->mBegin != free)
        property->SetMadeInPlace();
    property->SetPropertyType(pType);
    const bool listed = pMember && ListUntouched(property, pRow);
    if (!listed)
        property->SetPropertyInfo(this, pRow);
    property->mInfoFlags |= KPropertyInfo::kDynamic | KPropertyInfo::kAllocatedName;
    if (!listed && PropertyAddToList(property) < 0) {
        Delete(property);
        return nullptr;
    }
    return property;
}

int KObject::PropertyAddToList(KProperty* pProperty)
{
    if (!pProperty || pProperty->ListOwner())
        return -1;
    EndWatch();
    PropertyNotify(kPropertyAdding, pProperty);
    const int index = mListed;
    // The owned plug next after the list is listed where it stands; any
    // other property (owned elsewhere, or not in turn) parts the lists.
    const std::size_t at = static_cast<std::size_t>(index);
    const bool next = at < mPlugs.size() && mPlugs[at] == pProperty;
    if (!mOwnedApart && !next)
        SeparateOwned();
    if (mOwnedApart)
        mPlugs.push_back(pProperty);
    ++mListed;
    pProperty->SetListOwner(this);
    if (mNameIndexValid)
        mNameIndex->Insert(mPlugs, index);
    PropertyNotify(kPropertyAdded, pProperty);
    return index;
}

bool KObject::PropertyIndexRemoveFromList(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetPropertyCount())
        return false;
    KProperty* property = Listed(pIndex);
    EndWatch();
    PropertyNotify(kPropertyRemoving, property);
    Unlist(pIndex, property);
    PropertyNotify(kPropertyRemoved, property);
    return true;
}

void KObject::Unlist(int pIndex, KProperty* pProperty)
{
    // A handler may have moved entries: remove the property, wherever it is.
    const int index = pIndex < mListed && Listed(pIndex) == pProperty ? pIndex : GetPropertyIndex(pProperty);
    if (index < 0)
        return;
    // The last one leaves without a move: an object ends its properties
    // from the last to the first. Still owned, it then leads the owned
    // plugs that follow the list, where it already stands.
    if (index + 1 == mListed) {
        if (mOwnedApart)
            mPlugs.pop_back();
    } else {
        if (!mOwnedApart)
            SeparateOwned();
        mPlugs.erase(mPlugs.begin() + index);
    }
    --mListed;
    pProperty->SetListOwner(nullptr);
    InvalidateNameIndex();
}

int KObject::PropertyIndexDestroy(int pIndex)
{
    KProperty* property = GetProperty(pIndex);
    if (!PropertyIndexRemoveFromList(pIndex))
        return 1;
    EndUnlisted(property);
    return 0;
}

void KObject::EndUnlisted(KProperty* pProperty)
{
    if (pProperty->IsDynamic() && pProperty->GetOwner() == this) {
        pProperty->Destroy(0);
    } else {
        pProperty->DisconnectAllSrc();
        pProperty->DisconnectAllDst();
    }
}

bool KObject::PropertyDestroy(KProperty* pProperty)
{
    int index = GetPropertyIndex(pProperty);
    return index >= 0 && PropertyIndexDestroy(index) == 0;
}

void KObject::PropertyNotify(kPropertyNotify pEvent, KProperty* pProperty) {}

int KObject::GetPropertyIndex(const KProperty* pProperty) const
{
    if (!pProperty || pProperty->ListOwner() != this)
        return -1;
    for (int i = mListed - 1; i >= 0; --i) {
        if (mPlugs[static_cast<std::size_t>(i)] == pProperty)
            return i;
    }
    return -1;
}

void KObject::UseClassNames(const KPropertyNames* pNames)
{
    if (!pNames || mListed < pNames->GetCount())
        return;
    const KPropertyRow* rows = pNames->GetRows();
    for (int i = 0; i < pNames->GetCount(); ++i) {
        if (Listed(i)->GetPropertyRow() != rows + i)
            return;
    }
    mClassNames = pNames;
}

void KObject::ReserveProperties(int pCount)
{
    if (pCount <= 0)
        return;
    mPlugs.reserve(mPlugs.size() + static_cast<std::size_t>(pCount));
    if (mOwnedApart)
        ReserveOwnedPlugs(pCount);
}

KProperty* KObject::FindPropertyByName(const char* pName) const
{
    if (!pName)
        return nullptr;
    if (mClassNames) {
        // The class's properties lead the list: only later ones can hold a
        // name that is not the class's.
        const int index = mClassNames->Find(pName);
        if (index >= 0)
            return Listed(index);
        for (int i = mClassNames->GetCount(); i < mListed; ++i) {
            const char* name = Listed(i)->GetPropertyName();
            if (name && std::strcmp(name, pName) == 0)
                return Listed(i);
        }
        return nullptr;
    }
    if (!mNameIndexValid) {
        if (!mNameIndex)
            mNameIndex.reset(new NameIndex);
        std::size_t size = 16;
        while (size < static_cast<std::size_t>(mListed) * 2)
            size *= 2;
        mNameIndex->Rebuild(mPlugs, mListed, size);
        mNameIndexValid = true;
    }
    const int index = mNameIndex->Find(mPlugs, pName);
    return index < 0 ? nullptr : Listed(index);
}

void KObject::Watch()
{
    mStatus |= kStatusWatched;
    for (int i = 0; i < mListed; ++i)
        Listed(i)->SetWatched(true);
}

void KObject::Unwatch()
{
    if (!(mStatus & kStatusWatched))
        return;
    mStatus &= ~kStatusWatched;
    for (int i = 0; i < mListed; ++i)
        Listed(i)->SetWatched(false);
}

void KObject::EndWatchNow()
{
    Unwatch();
    WatchEnded();
}

void KObject::WatchEnded() {}

void KObject::ForgetProperty(KProperty* pProperty)
{
    EndWatch();
    const int index = GetPropertyIndex(pProperty);
    if (index >= 0) {
        mPlugs.erase(mPlugs.begin() + index);
        --mListed;
    }
    pProperty->SetListOwner(nullptr);
    // Listed while the lists agree, so owned here: the plug is ending and
    // would leave the owned plugs next; it has left both at once.
    if (index >= 0 && !mOwnedApart)
        ForgetOwner(pProperty);
    InvalidateNameIndex();
}

void KObject::SeparateOwned()
{
    // The record's list is unused until now.
    if (!mPlugs.empty())
        RecordOwned(true)->assign(mPlugs.begin(), mPlugs.end());
    mPlugs.resize(static_cast<std::size_t>(mListed));
    mOwnedApart = true;
}

int KObject::OwnedCount() const
{
    return mOwnedApart ? KPlug::OwnedCount() : static_cast<int>(mPlugs.size());
}

KPlug* KObject::OwnedAt(int pIndex) const
{
    return mOwnedApart ? KPlug::OwnedAt(pIndex) : mPlugs[static_cast<std::size_t>(pIndex)];
}

void KObject::OwnedAppend(KPlug* pPlug)
{
    // A plug not owned here is not listed here either (every listed one is
    // owned): it follows the list. The array is mostly reserved; growth
    // stays out of line so that the usual append is a store.
    if (mOwnedApart || mPlugs.size() == mPlugs.capacity())
        OwnedAppendSlow(pPlug);
    else
        mPlugs.push_back(pPlug);
}

void KObject::OwnedAppendSlow(KPlug* pPlug)
{
    if (mOwnedApart)
        KPlug::OwnedAppend(pPlug);
    else
        mPlugs.push_back(pPlug);
}

bool KObject::OwnedRemove(KPlug* pPlug)
{
    if (mOwnedApart)
        return KPlug::OwnedRemove(pPlug);
    // Among those that follow the list, from the end: members are released
    // in reverse order.
    for (std::size_t i = mPlugs.size(); i-- > static_cast<std::size_t>(mListed);) {
        if (mPlugs[i] == pPlug) {
            mPlugs.erase(mPlugs.begin() + static_cast<long>(i));
            return true;
        }
    }
    // Listed and about to be owned no more: the lists part.
    if (ListOwnerOf(pPlug) != this)
        return false;
    SeparateOwned();
    return KPlug::OwnedRemove(pPlug);
}

void KObject::ReleaseOwnedPlugs()
{
    if (!mOwnedApart && mListed > 0)
        SeparateOwned();  // the listed properties stay listed without owner
    if (mOwnedApart) {
        if (std::vector<KPlug*>* owned = RecordOwned(false))
            ReleaseOwned(*owned);
        return;
    }
    ReleaseOwned(mPlugs.data(), mPlugs.data() + mPlugs.size());
    mPlugs.clear();
}

bool KObject::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                         KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    return KPlug::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

}  // namespace qelsdk_600
