// Default-take synchronisation: the object's properties and the default
// values of the curves of its take "Default" follow each other.
#include <algorithm>
#include <cstring>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyvalue_impl.h"
#include "scene/kqeltakenodecontainer.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

namespace {

// Curve-node names of the members of a vector or colour property.
const char* const kMemberNames[kQelMaxValueMembers] = {"X", "Y", "Z", "toto"};

// Members a property's value is animated as: its data type's count, else by
// property type; at most four (wider values get channels for the first four).
int MemberCount(KProperty* pProperty)
{
    int count = 1;
    if (KDataType* dataType = pProperty->GetPropertyDataType())
        count = dataType->GetMemberCount();
    else if (int members = KQelVectorMemberCount(pProperty->GetPropertyType()))
        count = members;
    return count > kQelMaxValueMembers ? kQelMaxValueMembers : count;
}

// A value the property holds as more than four doubles is not exchanged.
bool FitsInBuffer(KProperty* pProperty)
{
    KDataType* dataType = pProperty->GetPropertyDataType();
    return !dataType || dataType->SizeOf() <= static_cast<int>(kQelMaxValueMembers * sizeof(double));
}

// Sets a curve's default value without firing its callbacks, so that a
// property-to-curve update never bounces back into the property. While
// callbacks are held by someone else, the change simply joins their pending
// event (dropping it would lose theirs).
void SilentSetValue(KFCurve* pCurve, double pValue)
{
    if (!pCurve)
        return;
    const bool enabled = pCurve->CallbackIsEnable();
    if (enabled)
        pCurve->CallbackEnable(false);
    pCurve->SetValue(detail::SaturateToFloat(pValue));
    if (enabled) {
        pCurve->CallbackClear();
        pCurve->CallbackEnable(true);
    }
}

KFCurve* CurveOf(KFCurveNode* pNode)
{
    if (!pNode->FCurveGet())
        pNode->FCurveSet(KFCurveCreate(), false);
    return pNode->FCurveGet();
}

// Writes a curve value into one member of a property, by the way the
// property holds its value: scalars through SetInteger or SetDouble, vectors
// and colours as a run of doubles.
void WriteMember(KProperty* pProperty, int pMember, double pValue)
{
    if (!pProperty || pMember < 0 || !FitsInBuffer(pProperty))
        return;
    KDataType* dataType = pProperty->GetPropertyDataType();
    if (dataType && dataType->GetMemberCount() <= pMember)
        return;
    switch (pProperty->GetPropertyType()) {
    case kPropertyInt:
    case kPropertyBool:
    case kPropertyEnum:
        if (pMember == 0)
            pProperty->SetInteger(detail::SaturateToInt(pValue));
        return;
    case kPropertyFloat:
    case kPropertyDouble:
        if (pMember == 0)
            pProperty->SetDouble(pValue);
        return;
    default:
        break;
    }
    double values[kQelMaxValueMembers];
    if (pMember >= KQelVectorMemberCount(pProperty->GetPropertyType()) || !KQelReadDoubles(pProperty, values))
        return;
    values[pMember] = pValue;
    KQelWriteDoubles(pProperty, values);
}

// The holder of pNode in the tree below pRoot (the node whose children list
// it), or null; depth first.
KFCurveNode* FindHolder(KFCurveNode* pRoot, KFCurveNode* pNode, int& pIndex)
{
    for (int i = 0, n = pRoot->GetCount(); i < n; ++i) {
        KFCurveNode* child = pRoot->Get(i);
        if (child == pNode) {
            pIndex = i;
            return pRoot;
        }
        if (KFCurveNode* holder = FindHolder(child, pNode, pIndex))
            return holder;
    }
    return nullptr;
}

bool IsDefaultTake(KQelTakeNode* pTakeNode)
{
    return KString(pTakeNode->GetName()).CompareNoCase("Default") == 0;
}

}  // namespace

// ---- Free functions ----

void UpdateDefaultValuesWithProperty(KFCurveNode* pNode, KProperty* pProperty)
{
    if (!pNode || !pProperty)
        return;
    const int members = MemberCount(pProperty);
    if (members >= 3) {
        double values[kQelMaxValueMembers];
        if (!FitsInBuffer(pProperty) || !KQelReadDoubles(pProperty, values))
            return;
        for (int i = 0; i < members; ++i) {
            if (KFCurveNode* child = pNode->Get(i))
                SilentSetValue(child->FCurveGet(), values[i]);
        }
        return;
    }
    SilentSetValue(pNode->FCurveGet(), pProperty->AsDouble());
}

void UpdateDefaultValuesWithProperty(KFCurveNode* pNode, KQelUserProperty* pProperty)
{
    if (!pNode || !pProperty)
        return;
    const KQelUserProperty::EUserPropertyType type = pProperty->GetPropertyType();
    if (type == KQelUserProperty::eVector || type == KQelUserProperty::eColor) {
        double values[3] = {0.0, 0.0, 0.0};
        pProperty->GetDefaultValue(values[0], values[1], values[2]);
        for (int i = 0; i < 3; ++i) {
            KFCurveNode* child = pNode->Get(i);
            if (!child) {
                child = KFCurveNodeCreate(kMemberNames[i]);
                pNode->Add(child);
            }
            SilentSetValue(CurveOf(child), values[i]);
        }
        return;
    }
    double value = 0.0;
    pProperty->GetDefaultValue(value);
    SilentSetValue(CurveOf(pNode), value);
}

void DefaultTakeValueChangedCallback(KFCurve* pCurve, KFCurveEvent* pEvent, void* pObject)
{
    if (!pCurve || !pEvent || !pObject)
        return;
    KQelDefaultTakeCallback* record = static_cast<KQelDefaultTakeCallback*>(pObject);
    // A dying curve may carry merged value bits after its property is gone:
    // it only lets go of the record.
    if (pEvent->mType & kFCurveEventDestroy) {
        record->mContainer->UnregisterDefaultTakeCallback(record);
        return;
    }
    if ((pEvent->mType & kFCurveEventDefaultValue) && record->mCurve)
        WriteMember(record->mProperty, record->mMember, record->mCurve->GetValue());
}

// ---- Callback records ----

void KQelTakeNodeContainer::RegisterDefaultTakeCallback(KProperty* pProperty, int pMember, KFCurve* pCurve)
{
    if (!pProperty || !pCurve)
        return;
    for (int i = 0; i < mCallbacks.GetCount(); ++i) {
        const KQelDefaultTakeCallback* record = mCallbacks[i];
        if (record && record->mProperty == pProperty && record->mMember == pMember && record->mCurve == pCurve)
            return;
    }
    KQelDefaultTakeCallback* record = new KQelDefaultTakeCallback{pProperty, pMember, pCurve, this};
    mCallbacks.Add(record);
    pCurve->CallbackRegister(DefaultTakeValueChangedCallback, record);
}

void KQelTakeNodeContainer::UnregisterDefaultTakeCallback(KQelDefaultTakeCallback*& pRecord)
{
    const int index = pRecord ? mCallbacks.FindBefore(mCallbacks.GetCount(), pRecord) : -1;
    if (index < 0)
        return;
    if (pRecord->mCurve)
        pRecord->mCurve->CallbackUnregister(DefaultTakeValueChangedCallback, pRecord);
    mCallbacks.RemoveAt(index);
    delete pRecord;
    pRecord = nullptr;
}

int KQelTakeNodeContainer::GetDefaultTakeCallbackCount() const
{
    if (KQelTakeNode* first = GetDefaultTakeNode())
        first->GetKFCurveNode();
    return mCallbacks.GetCount();
}

void KQelTakeNodeContainer::UnregisterAllDefaultTakeCallback()
{
    if (KQelTakeNode* first = GetDefaultTakeNode())
        first->GetKFCurveNode();
    DropDefaultTakeCallbacks();
}

void KQelTakeNodeContainer::DropDefaultTakeCallbacks()
{
    while (mCallbacks.GetCount() > 0) {
        KQelDefaultTakeCallback* record = mCallbacks.GetAt(0);
        KQelDefaultTakeCallback* first = record;
        UnregisterDefaultTakeCallback(record);
        if (mCallbacks.GetCount() > 0 && mCallbacks.GetAt(0) == first)
            mCallbacks.RemoveAt(0);
    }
}

// ---- Channels ----

void KQelTakeNodeContainer::CreateChannelsForAnimatableProperties(KObject& pSet, KQelTakeNode* pTakeNode)
{
    for (int i = 0, n = pSet.GetPropertyCount(); i < n; ++i) {
        KProperty* property = pSet.GetProperty(i);
        if (property && property->IsAnimatable())
            CreateChannelsForProperty(property, pTakeNode);
    }
}

void KQelTakeNodeContainer::CreateChannelsForProperty(KProperty* pProperty, KQelTakeNode* pTakeNode)
{
    if (!pProperty || !pTakeNode || !pProperty->GetPropertyName())
        return;
    KFCurveNode* root = pTakeNode->GetKFCurveNode();
    const char* name = pProperty->GetPropertyName();
    if (root->FindRecursive(name))
        return;
    const bool isDefault = IsDefaultTake(pTakeNode);
    const int members = MemberCount(pProperty);
    KFCurveNode* node;
    if (members <= 1) {
        node = root->FindOrCreate(name, true);
        if (isDefault)
            RegisterDefaultTakeCallback(pProperty, 0, node->FCurveGet());
    } else {
        node = root->FindOrCreate(name, false);
        for (int i = 0; i < members; ++i) {
            KFCurveNode* child = node->Get(i);
            if (!child)
                child = node->FindOrCreate(kMemberNames[i], true);
            if (isDefault)
                RegisterDefaultTakeCallback(pProperty, i, child->FCurveGet());
        }
    }
    UpdateDefaultValuesWithProperty(node, pProperty);
}

void KQelTakeNodeContainer::PublishProperties()
{
    KQelPropertyHandler* handler = GetPropertyHandler();
    if (!handler)
        return;
    // The properties wrapped already, sorted: one search each instead of a
    // walk of the list per property.
    std::vector<const KProperty*> wrapped;
    for (int i = 0; i < GetPropertyCount(); ++i) {
        if (const KProperty* bound = GetProperty(i)->GetKProperty())
            wrapped.push_back(bound);
    }
    std::sort(wrapped.begin(), wrapped.end());
    for (int i = 0; i < handler->GetPropertyCount(); ++i) {
        KProperty* property = handler->GetProperty(i);
        if (!property || std::binary_search(wrapped.begin(), wrapped.end(), property))
            continue;
        KQelUserProperty* wrapper = CreateKQelUserProperty(property);
        if (!wrapper)
            continue;
        AddProperty(wrapper);
        wrapper->SetPropertyHandler(handler);
    }
}

void KQelTakeNodeContainer::PublishPropertiesOnDemand()
{
    KQelPropertyHandler* handler = GetPropertyHandler();
    if (!handler || GetPropertyCount() > 0) {
        PublishProperties();
        return;
    }
    const int count = handler->GetPropertyCount();
    if (count == 0)
        return;
    PublishRun(count);
    KQelTakeNode* first = GetDefaultTakeNode();
    const bool owed = first && first->mBuilder;
    // What PropertyAdded does for each bound wrapper, in order.
    for (int i = 0; i < count; ++i) {
        KProperty* property = handler->GetProperty(i);
        if (!property->IsAnimatable())
            continue;
        property->ModifyPropertyFlag(kPropertyFlagAnimated, true);
        if (!owed) {
            KQelUserProperty bound(GetKQelSdkManager(), property);
            AddPropertyChannels(&bound, property);
        }
    }
    if (owed)
        mDeferredPublished = count;
}

// ---- Properties added, removed and changed ----

void KQelTakeNodeContainer::PropertyAdded(KQelUserProperty* pProperty)
{
    if (!pProperty)
        return;
    if (KQelPropertyHandler* handler = GetPropertyHandler())
        handler->CreateKProperty(pProperty);
    KProperty* property = pProperty->GetKProperty();
    // Without a property there is nothing for curves to mirror.
    if (!property || !pProperty->GetFlag(KQelUserProperty::eAnimatable))
        return;
    property->ModifyPropertyFlag(kPropertyFlagAnimated, true);
    AddPropertyChannels(pProperty, property);
}

void KQelTakeNodeContainer::AddPropertyChannels(KQelUserProperty* pProperty, KProperty* pKProperty)
{
    const KString name = pProperty->GetName();
    const KString effective = GetEffectivePropertyName(name);
    const KQelUserProperty::EUserPropertyType type = pProperty->GetPropertyType();
    const bool threeMembers = type == KQelUserProperty::eVector || type == KQelUserProperty::eColor;
    for (int take = 0; take < mTakeNodes.GetCount(); ++take) {
        KFCurveNode* root = mTakeNodes[take]->GetKFCurveNode();
        // The local transforms live under "T", "R", "S", which the node
        // builds itself: they are refreshed, never created here.
        if (effective != name) {
            UpdateDefaultValuesWithProperty(root->FindRecursive(effective.Buffer()), pProperty);
            continue;
        }
        KFCurveNode* node = root->FindRecursive(name.Buffer());
        if (!node)
            node = root->FindOrCreate(name.Buffer(), !threeMembers);
        // Made complete first (children, curves), so that every member's
        // curve exists when its callback is registered.
        UpdateDefaultValuesWithProperty(node, pProperty);
        if (take != 0)
            continue;
        if (!threeMembers) {
            RegisterDefaultTakeCallback(pKProperty, 0, node->FCurveGet());
            continue;
        }
        for (int member = 0; member < 3; ++member) {
            KFCurveNode* child = node->Get(member);
            if (!child)
                child = node->FindOrCreate(kMemberNames[member], true);
            RegisterDefaultTakeCallback(pKProperty, member, child->FCurveGet());
        }
    }
}

void KQelTakeNodeContainer::PropertyRemoved(KQelUserProperty* pProperty)
{
    if (!pProperty)
        return;
    const KString name = GetEffectivePropertyName(pProperty->GetName());
    for (int take = 0; take < mTakeNodes.GetCount(); ++take) {
        KFCurveNode* root = mTakeNodes[take]->GetKFCurveNode();
        KFCurveNode* node = root->FindRecursive(name.Buffer());
        int index = -1;
        KFCurveNode* holder = node ? FindHolder(root, node, index) : nullptr;
        if (!holder)
            continue;
        holder->Remove(index);
        // A container only refers to the node; anything else owned it. The
        // destroyed curves take their callback records with them.
        if (!holder->GetContainerType())
            node->Destroy();
    }
    if (KProperty* property = pProperty->GetKProperty()) {
        for (int i = mCallbacks.GetCount() - 1; i >= 0; --i) {
            KQelDefaultTakeCallback* record = i < mCallbacks.GetCount() ? mCallbacks.GetAt(i) : nullptr;
            if (record && record->mProperty == property)
                UnregisterDefaultTakeCallback(record);
        }
    }
    if (KQelPropertyHandler* handler = GetPropertyHandler())
        handler->DestroyKProperty(pProperty);
}

void KQelTakeNodeContainer::PropertyDefaultValueChanged(KQelUserProperty* pProperty)
{
    if (!pProperty || !pProperty->GetFlag(KQelUserProperty::eAnimatable))
        return;
    if (mCurrentTakeNode < 0 || mCurrentTakeNode >= mTakeNodes.GetCount())
        return;
    const KString name = GetEffectivePropertyName(pProperty->GetName());
    KFCurveNode* current = mTakeNodes[mCurrentTakeNode]->GetKFCurveNode();
    UpdateDefaultValuesWithProperty(current->FindRecursive(name.Buffer()), pProperty);
    KFCurveNode* defaults = mTakeNodes[0]->GetKFCurveNode();
    if (defaults != current)
        UpdateDefaultValuesWithProperty(defaults->FindRecursive(name.Buffer()), pProperty);
}

void KQelTakeNodeContainer::UpdateDefaultTakeFromProperties()
{
    KQelTakeNode* defaults = GetDefaultTakeNode();
    if (!defaults)
        return;
    KArrayTemplate<KProperty*> properties;
    FillPropertyList(&properties);
    if (defaults->mBuilder && !MayReachOwedTree(properties)) {
        // The owed tree holds the set's values as they stand (they are
        // watched): writing them again is done with the tree.
        ++mDeferredUpdates;
        return;
    }
    KFCurveNode* root = defaults->GetKFCurveNode();
    for (int i = 0; i < properties.GetCount(); ++i)
        UpdateDefaultValuesByName(root, properties.GetAt(i));
}

void KQelTakeNodeContainer::UpdateDefaultValuesByName(KFCurveNode* pRoot, KProperty* pProperty)
{
    if (!pProperty || !pProperty->GetPropertyName())
        return;
    const KString name = GetEffectivePropertyName(KString(pProperty->GetPropertyName()));
    UpdateDefaultValuesWithProperty(pRoot->FindRecursive(name.Buffer()), pProperty);
}

bool KQelTakeNodeContainer::MayReachOwedTree(const KArrayTemplate<KProperty*>& pProperties)
{
    KQelPropertyHandler* handler = GetPropertyHandler();
    for (int i = 0; i < pProperties.GetCount(); ++i) {
        KProperty* property = pProperties.GetAt(i);
        const char* name = property ? property->GetPropertyName() : nullptr;
        // The set's own properties lead the list.
        if (!name || (handler && i < handler->GetPropertyCount() && handler->GetProperty(i) == property))
            continue;
        // A property from elsewhere (an attribute's) reaches a node of the
        // tree only by a name the tree may hold: a member name, a channel
        // group or one of the set's own names.
        const KString effective = GetEffectivePropertyName(KString(name));
        if (effective.GetLen() <= 1 || effective == "Transform" || effective == "toto" ||
            (handler && handler->FindPropertyByName(name)))
            return true;
    }
    return false;
}

}  // namespace qelsdk_600
