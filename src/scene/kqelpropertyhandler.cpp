#include "scene/kqelpropertyhandler.h"

#include "scene/kqeltakenodecontainer.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelPropertyHandler, KObject)

// ---- The shared pieces of the generated pattern ----

KProperty* AddAnimatedProperty(KObject& pSet, const char* pName, const char* pDataTypeName)
{
    KDataType* dataType = KDataTypeGet(pDataTypeName);
    if (!dataType)
        return nullptr;
    KProperty* property = pSet.CreatePropertyFromType(pName, DataTypeToPropertyType(dataType), dataType, false,
                                                      false, nullptr);
    if (!property)
        return nullptr;
    property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
    property->ModifyPropertyFlag(kPropertyFlagAnimated, true);
    return property;
}

KProperty* AddAnimatedProperty(KObject& pSet, const char* pName)
{
    return AddAnimatedProperty(pSet, pName, pName);
}

namespace detail {

void KQelSetUpObjectList(KPropertyObjectList& pMember, int pContentClassId, int pContentValue,
                         KPlug::kDirection pDirection, int pFlags)
{
    pMember.SetFilter(KPlug_GetFilter(pContentClassId), KPlug::eNormalPlug);
    pMember.SetPropertyType(kPropertyObject);
    pMember.SetContentSpec(pContentValue, pContentClassId);
    pMember.SetDirection(pDirection);
    if (pFlags)
        pMember.ModifyPropertyFlag(pFlags, true);
}

KPropertyRow KQelAnimatedRow(const char* pName, const char* pDataTypeName)
{
    return KPropertyRow{pName, {nullptr, nullptr, nullptr}, KDataTypeGet(pDataTypeName)};
}

KProperty* KQelMarkAnimated(KProperty* pProperty)
{
    if (!pProperty)
        return nullptr;
    pProperty->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
    pProperty->ModifyPropertyFlag(kPropertyFlagAnimated, true);
    return pProperty;
}

}  // namespace detail

// ---- KQelPropertyHandler ----

KQelPropertyHandler::KQelPropertyHandler() {}

KQelPropertyHandler::~KQelPropertyHandler() {}

KProperty* KQelPropertyHandler::CreatePropertyFromType(const char* pName, kPropertyType pType, KDataType* pDataType,
                                                       bool pAnimatable, bool pReserved, KProperty* pCopyFrom)
{
    KProperty* property = KObject::CreatePropertyFromType(pName, pType, pDataType, false, pReserved, pCopyFrom);
    if (property && pAnimatable)
        property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
    return property;
}

bool KQelPropertyHandler::CreateKProperty(KQelUserProperty* pProperty)
{
    if (!pProperty || pProperty->mProperty)
        return false;
    KDataType* dataType =
        KDataTypeGet(KQelUserProperty::GetPropertyTypeName(pProperty->GetPropertyType()));
    if (!dataType)
        return false;
    const KString name = pProperty->GetName();
    KProperty* property = CreatePropertyFromType(name.Buffer(), DataTypeToPropertyType(dataType), dataType, false,
                                                 false, nullptr);
    if (!property)
        return false;
    if (pProperty->GetFlag(KQelUserProperty::eAnimatable)) {
        property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
        property->ModifyPropertyFlag(kPropertyFlagAnimated, true);
    }
    if (pProperty->GetFlag(KQelUserProperty::eUserProperty))
        property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    if (pProperty->GetFlag(KQelUserProperty::eTemporary))
        property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kTemporary, true);
    // The description's own label: an empty one leaves the property's label as it is.
    const KString label = pProperty->GetLabel(false);
    if (!label.IsEmpty())
        property->SetPropertyLabel(label.Buffer());
    pProperty->mProperty = property;
    pProperty->SetPropertyHandler(this);
    return true;
}

bool KQelPropertyHandler::DestroyKProperty(KQelUserProperty* pProperty)
{
    if (!pProperty || !pProperty->mProperty)
        return false;
    PropertyDestroy(pProperty->mProperty);
    pProperty->mProperty = nullptr;
    return true;
}

void KQelPropertyHandler::WatchEnded()
{
    KQelTakeNodeContainer* owner = GetKQelObject();
    if (KQelTakeNode* take = owner ? owner->GetDefaultTakeNode() : nullptr)
        take->GetKFCurveNode();
}

// ---- KQelOwnedPropertyHandler ----

void KQelOwnedPropertyHandler::DefaultValueChanged(KQelUserProperty* pProperty)
{
    if (mOwner)
        mOwner->PropertyDefaultValueChanged(pProperty);
}

}  // namespace qelsdk_600
