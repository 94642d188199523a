#include "object/kobject.h"

#include <cstddef>
#include <string_view>
#include <unordered_map>

#include "object/kdatatype.h"
#include "object/kpropertyobjectlist.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {

// First index of each name, built on the first lookup after a change.
struct KObject::NameIndex {
    std::unordered_map<std::string_view, int> mFirst;
};

KClassDefinition KObject::ClassDefinition = {&KObject::ClassId, &KPlug::ClassDefinition, "KObject",
                                             nullptr};
int KObject::ClassId = KPlug_RegisterClassId(&KObject::ClassDefinition, -1);
int KObject::ClassGroupId = 0;
const char* KObject::ClassGroupName = "KObject";

KObject::KObject() : mNameIndexValid(false), mStatus(0) {}

KObject::~KObject()
{
    // Dynamic properties belong to the object even when Destruct never ran;
    // any other property only stops being listed.
    while (!mProperties.empty()) {
        KProperty* property = mProperties.back();
        mProperties.pop_back();
        property->mListOwner = nullptr;
        if (property->IsDynamic() && property->GetOwner() == this)
            delete property;
    }
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
    mStatus |= kStatusDestroying;
    DisconnectAll();
    DestructProperties();
    KPlug::Destruct();
}

void KObject::DisconnectAll()
{
    for (int i = GetPropertyCount() - 1; i >= 0; --i) {
        // Handlers of the disconnections may shorten the list.
        if (i >= GetPropertyCount())
            continue;
        KProperty* property = mProperties[static_cast<std::size_t>(i)];
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

int KObject::PropertyAddToList(KProperty* pProperty)
{
    if (!pProperty || pProperty->mListOwner)
        return -1;
    PropertyNotify(kPropertyAdding, pProperty);
    int index = GetPropertyCount();
    mProperties.push_back(pProperty);
    pProperty->mListOwner = this;
    if (mNameIndexValid && pProperty->GetPropertyName())
        mNameIndex->mFirst.emplace(pProperty->GetPropertyName(), index);
    PropertyNotify(kPropertyAdded, pProperty);
    return index;
}

bool KObject::PropertyIndexRemoveFromList(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetPropertyCount())
        return false;
    KProperty* property = mProperties[static_cast<std::size_t>(pIndex)];
    PropertyNotify(kPropertyRemoving, property);
    // The handler may have moved entries: remove the property, wherever it is.
    int index = GetPropertyIndex(property);
    if (index >= 0) {
        mProperties.erase(mProperties.begin() + index);
        property->mListOwner = nullptr;
        mNameIndexValid = false;
    }
    PropertyNotify(kPropertyRemoved, property);
    return true;
}

int KObject::PropertyIndexDestroy(int pIndex)
{
    KProperty* property = GetProperty(pIndex);
    if (!PropertyIndexRemoveFromList(pIndex))
        return 1;
    if (property->IsDynamic() && property->GetOwner() == this) {
        property->Destroy(0);
    } else {
        property->DisconnectAllSrc();
        property->DisconnectAllDst();
    }
    return 0;
}

bool KObject::PropertyDestroy(KProperty* pProperty)
{
    int index = GetPropertyIndex(pProperty);
    return index >= 0 && PropertyIndexDestroy(index) == 0;
}

void KObject::PropertyNotify(kPropertyNotify pEvent, KProperty* pProperty) {}

KProperty* KObject::GetProperty(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetPropertyCount())
        return nullptr;
    return mProperties[static_cast<std::size_t>(pIndex)];
}

int KObject::GetPropertyIndex(const KProperty* pProperty) const
{
    if (!pProperty || pProperty->mListOwner != this)
        return -1;
    for (int i = GetPropertyCount() - 1; i >= 0; --i) {
        if (mProperties[static_cast<std::size_t>(i)] == pProperty)
            return i;
    }
    return -1;
}

KProperty* KObject::FindPropertyByName(const char* pName) const
{
    if (!pName)
        return nullptr;
    if (!mNameIndexValid) {
        if (!mNameIndex)
            mNameIndex.reset(new NameIndex);
        mNameIndex->mFirst.clear();
        for (std::size_t i = 0; i < mProperties.size(); ++i) {
            if (const char* name = mProperties[i]->GetPropertyName())
                mNameIndex->mFirst.emplace(name, static_cast<int>(i));
        }
        mNameIndexValid = true;
    }
    auto found = mNameIndex->mFirst.find(pName);
    return found == mNameIndex->mFirst.end() ? nullptr : mProperties[static_cast<std::size_t>(found->second)];
}

void KObject::ForgetProperty(KProperty* pProperty)
{
    int index = GetPropertyIndex(pProperty);
    if (index >= 0)
        mProperties.erase(mProperties.begin() + index);
    pProperty->mListOwner = nullptr;
    mNameIndexValid = false;
}

bool KObject::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                         KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    return KPlug::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

}  // namespace qelsdk_600
