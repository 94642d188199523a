#include "object/kpropertyobjectlist.h"

#include "object/kobject.h"

namespace qelsdk_600 {

KClassDefinition KPropertyObjectList::ClassDefinition = {
    &KPropertyObjectList::ClassId, &KProperty::ClassDefinition, "KPropertyObjectList", nullptr};
int KPropertyObjectList::ClassId = KPlug_RegisterClassId(&KPropertyObjectList::ClassDefinition, -1);

KPropertyObjectList::KPropertyObjectList() : mContentValue(-1), mContentClassId(-1), mUpdateID(0) {}

KPropertyObjectList::~KPropertyObjectList() {}

KClassDefinition* KPropertyObjectList::GetClassDefinition() const
{
    return &ClassDefinition;
}

KPropertyObjectList* KPropertyObjectList::Create(KObject* pOwner, const char* pName,
                                                 KPlug::kType pPlugType, int pContentClassId,
                                                 int pContentValue, KPlug::kDirection pDirection,
                                                 int pPropertyFlags)
{
    if (!pOwner || !pName)
        return nullptr;
    KPropertyObjectList* list = new KPropertyObjectList;
    list->ModifyPropertyFlag(pPropertyFlags, true);
    list->Init(nullptr);
    list->SetPropertyInfo(nullptr, pOwner, nullptr, nullptr);
    list->SetContentSpec(pContentValue, pContentClassId);
    list->SetFilter(KPlug_GetFilter(pContentClassId), pPlugType);
    list->SetDirection(pDirection);
    list->SetPropertyType(kPropertyObject);
    list->SetPropertyName(pName);
    list->GetPropertyInfo().ModifyFlag(KPropertyInfo::kDynamic, true);
    if (pOwner->PropertyAddToList(list) < 0) {
        delete list;
        return nullptr;
    }
    return list;
}

void KPropertyObjectList::Init(KPropertyInfo* pInfo)
{
    GetPropertyInfo().ModifyFlag(KPropertyInfo::kPropertyList | KPropertyInfo::kObjectList, true);
}

void KPropertyObjectList::SetContentSpec(int pContentValue, int pContentClassId)
{
    mContentValue = pContentValue;
    mContentClassId = pContentClassId;
    SetFilter(KPlug_GetFilter(pContentClassId), IsSubPlug() ? KPlug::eSubPlug : KPlug::eNormalPlug);
}

void KPropertyObjectList::GetContentSpec(int& pContentValue, int& pContentClassId) const
{
    pContentValue = mContentValue;
    pContentClassId = mContentClassId;
}

int KPropertyObjectList::GetCount() const
{
    return HoldsSources() ? GetSrcCount() : GetDstCount();
}

KPlug* KPropertyObjectList::EntryAt(int pIndex) const
{
    return HoldsSources() ? GetSrc(pIndex) : GetDst(pIndex);
}

KObject* KPropertyObjectList::GetAt(int pIndex) const
{
    KPlug* plug = EntryAt(pIndex);
    return plug && plug->Is(KObject::ClassId) ? static_cast<KObject*>(plug) : nullptr;
}

int KPropertyObjectList::FindIndex(const KObject* pObject) const
{
    return HoldsSources() ? FindSrc(pObject) : FindDst(pObject);
}

bool KPropertyObjectList::Connect(KObject* pObject)
{
    return HoldsSources() ? ConnectSrc(pObject) : ConnectDst(pObject);
}

bool KPropertyObjectList::Disconnect(KPlug* pPlug)
{
    return HoldsSources() ? DisconnectSrc(pPlug) : DisconnectDst(pPlug);
}

bool KPropertyObjectList::Add(KObject* pObject)
{
    IncrementUpdateID();
    return pObject && Connect(pObject);
}

bool KPropertyObjectList::SetAt(int pIndex, KObject* pObject)
{
    if (!pObject || pIndex < 0)
        return false;
    int existing = FindIndex(pObject);
    if (existing >= 0 && existing != pIndex)
        return false;
    IncrementUpdateID();
    if (existing == pIndex)
        return true;
    if (pIndex >= GetCount())
        return Connect(pObject);

    KPlug* old = EntryAt(pIndex);
    PlugNotify(nullptr, kPlugReplaceBegin, this, pIndex, old, kConnectionDefault, pObject);
    if (old)
        Disconnect(old);
    bool connected = Connect(pObject);
    if (connected) {
        // The new connection is the last entry; give it the old one's place.
        int index = FindIndex(pObject);
        if (index > pIndex)
            MoveConnection(HoldsSources(), index, pIndex);
    }
    PlugNotify(nullptr, kPlugReplaceEnd, this, pIndex, old, kConnectionDefault, pObject);
    return connected;
}

bool KPropertyObjectList::RemoveAt(int pIndex)
{
    KPlug* plug = EntryAt(pIndex);
    if (!plug)
        return false;
    IncrementUpdateID();
    return Disconnect(plug);
}

bool KPropertyObjectList::Remove(KObject* pObject)
{
    if (FindIndex(pObject) < 0)
        return false;
    IncrementUpdateID();
    return Disconnect(pObject);
}

void KPropertyObjectList::Clear()
{
    IncrementUpdateID();
    if (HoldsSources())
        DisconnectAllSrc();
    else
        DisconnectAllDst();
}

bool KPropertyObjectList::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug,
                                     int pIndex, KPlug* pOther, kConnectionType pType,
                                     KPlug* pNewPlug)
{
    if (pPlug == this) {
        // A list of destinations gains and loses its objects as a source.
        bool change = HoldsSources()
                          ? pAction == kPlugConnectedSrc || pAction == kPlugDisconnectedSrc
                          : pAction == kPlugConnectedDst || pAction == kPlugDisconnectedDst;
        if (change)
            IncrementUpdateID();
    }
    return KPlug::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

}  // namespace qelsdk_600
