#include "character/kqelcharacterproperties.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "character/kcharacter_impl.h"
#include "character/kqelcharacter.h"
#include "character/kqelcontrolset.h"
#include "character/kqelcontrolsetplug.h"
#include "character/kqelfilterset.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelCharacterProperties, KQelPropertyHandler)

const char* KQelCharacterProperties::ClassName = "KQelCharacterProperties";

// What the constructor binds into each value property, and how a value
// loaded from the filter set is assigned without setter or notification.
struct KQelCharacterProperties::Binding {
    KProperty& (*mMember)(KQelCharacterProperties&);
    void (*mAssign)(KQelCharacterProperties&, const void*);
    // Shared by every character's property of the row: name, getter,
    // setter (null for a read-only property), to-text function
    // (enumerations only).
    KPropertyRow mRow;
};

namespace {

typedef KQelCharacterProperties Set;

template <class T, KPropertyTemplate<T> Set::*Member>
KProperty& MemberOf(Set& pSet)
{
    return pSet.*Member;
}

// A value in a property's own representation (see
// kqelcharacterproperties_list.h): a bool byte, a 32-bit enumeration value,
// a double, or x, y and z of a vector.
template <class T>
T Decode(const void* pData)
{
    if constexpr (std::is_same<T, bool>::value) {
        unsigned char byte;
        std::memcpy(&byte, pData, 1);
        return byte != 0;
    } else if constexpr (std::is_same<T, KgeTVector>::value) {
        KgeTVector value;
        std::memcpy(value.mData, pData, 3 * sizeof(double));
        value.mData[3] = 1.0;
        return value;
    } else {
        T value;
        std::memcpy(&value, pData, sizeof(T));
        return value;
    }
}

template <class T, KPropertyTemplate<T> Set::*Member>
void AssignDirect(Set& pSet, const void* pData)
{
    (pSet.*Member).SetValue(Decode<T>(pData));
}

template <class T>
T ReadBack(const T& pValue)
{
    return pValue;
}

// A vector reads back as x, y and z of the stored value with w 1.
KgeTVector ReadBack(const KgeTVector& pValue)
{
    return KgeTVector(pValue.mData[0], pValue.mData[1], pValue.mData[2], 1.0);
}

template <class T>
void StoreAndWrite(ECharacterPropertyId pId, KPropertyTemplate<T>& pMember, T pValue, KQelFilterSet* pFilterSet)
{
    if constexpr (std::is_same<T, double>::value)
        pValue = KCharacter_ClampSetterValue(gCharacterPropertyRows[pId].mClamp, pValue);
    pMember.SetValue(pValue);
    KCharacter_WriteThrough(pId, &pValue, pFilterSet);
}

// The fixed object lists, in list order: "SourceObject" and
// "DestinationObject" are sub-plugs (views of the set's own connections).
struct KObjectListRow {
    KPropertyObjectList Set::*mMember;
    const char* mName;
    KPlug::kType mType;
    KPlug::kDirection mDirection;
};

const KObjectListRow sObjectLists[] = {
    {&Set::SourceObject, "SourceObject", KPlug::eSubPlug, KPlug::eDirectionSrc},
    {&Set::DestinationObject, "DestinationObject", KPlug::eSubPlug, KPlug::eDirectionDst},
    {&Set::Actor, "Actor", KPlug::eNormalPlug, KPlug::eDirectionSrc},
    {&Set::Character, "Character", KPlug::eNormalPlug, KPlug::eDirectionSrc},
    {&Set::ControlSet, "ControlSet", KPlug::eNormalPlug, KPlug::eDirectionSrc},
};

}  // namespace

// ---- Generated accessors ----

#define QEL_CHARPROP_GETTER(Name, Type) \
    Type Set::Name##Get() { return ReadBack(Name.GetValue()); }
#define QEL_CHARPROP_DEFINE_S(Name, Type, Flags) \
    QEL_CHARPROP_GETTER(Name, Type)              \
    void Set::Name##Set(Type pValue) { Name.SetValue(pValue); }
#define QEL_CHARPROP_DEFINE_R(Name, Type) QEL_CHARPROP_GETTER(Name, Type)
#define QEL_CHARPROP_DEFINE_W(Name, Type, Flags, Parameter, Clamp) \
    QEL_CHARPROP_GETTER(Name, Type)                                \
    void Set::Name##Set(Type pValue) { StoreAndWrite(eCharacterProperty##Name, Name, pValue, GetFilterSet()); }
#define QEL_CHARPROP_DEFINE_E(Name, Type, Parameter, Text) QEL_CHARPROP_DEFINE_W(Name, Type, Plain, Parameter, None)
QEL_CHARACTER_PROPERTIES(QEL_CHARPROP_DEFINE_S, QEL_CHARPROP_DEFINE_R, QEL_CHARPROP_DEFINE_W,
                         QEL_CHARPROP_DEFINE_E)
#undef QEL_CHARPROP_GETTER
#undef QEL_CHARPROP_DEFINE_S
#undef QEL_CHARPROP_DEFINE_R
#undef QEL_CHARPROP_DEFINE_W
#undef QEL_CHARPROP_DEFINE_E

const KQelCharacterProperties::Binding* KQelCharacterProperties::GetBindings()
{
#define QEL_CHARPROP_BIND(Name, Type) \
    &MemberOf<Type, &Set::Name>, &AssignDirect<Type, &Set::Name>, {nullptr, {KPropertyGetter(&Set::Name##Get)
#define QEL_CHARPROP_BIND_S(Name, Type, Flags) \
    {QEL_CHARPROP_BIND(Name, Type), KPropertySetter(&Set::Name##Set), nullptr}, nullptr}},
#define QEL_CHARPROP_BIND_R(Name, Type) {QEL_CHARPROP_BIND(Name, Type), nullptr, nullptr}, nullptr}},
#define QEL_CHARPROP_BIND_W(Name, Type, Flags, Parameter, Clamp) QEL_CHARPROP_BIND_S(Name, Type, Flags)
#define QEL_CHARPROP_BIND_E(Name, Type, Parameter, Text)                                \
    {QEL_CHARPROP_BIND(Name, Type), KPropertySetter(&Set::Name##Set),                   \
     KPropertyAsString(&Set::Name##AsStringBound)}, nullptr}},
    struct Table {
        Binding mBindings[kCharacterPropertyCount];
    };
    // The names come from the row table.
    static const Table sTable = [] {
        Table table = {{QEL_CHARACTER_PROPERTIES(QEL_CHARPROP_BIND_S, QEL_CHARPROP_BIND_R, QEL_CHARPROP_BIND_W,
                                                 QEL_CHARPROP_BIND_E)}};
        for (int id = 0; id < kCharacterPropertyCount; ++id)
            table.mBindings[id].mRow.mName = gCharacterPropertyRows[id].mName;
        return table;
    }();
#undef QEL_CHARPROP_BIND
#undef QEL_CHARPROP_BIND_S
#undef QEL_CHARPROP_BIND_R
#undef QEL_CHARPROP_BIND_W
#undef QEL_CHARPROP_BIND_E
    return sTable.mBindings;
}

// ---- Construction ----

KQelCharacterProperties::KQelCharacterProperties(KQelCharacter* pCharacter)
    : KQelOwnedPropertyHandler(pCharacter), mCharacter(pCharacter)
{
    const Binding* bindings = GetBindings();
    for (int id = 0; id < kCharacterPropertyCount; ++id) {
        const KCharacterPropertyRow& row = gCharacterPropertyRows[id];
        KProperty& property = bindings[id].mMember(*this);
        property.SetPropertyType(row.mType);
        property.SetPropertyInfo(this, &bindings[id].mRow);
        PropertyAddToList(&property);
        if (row.mFlags & eCharacterPropertyFlagReadOnly)
            property.SetReadOnly(true);
        if (row.mFlags & eCharacterPropertyFlagMarked)
            property.ModifyPropertyFlag(kPropertyFlagMarked, true);
    }
    Active.Set(true);
    Lock.Set(false);
    Weight.Set(100.0);
    for (int id = 0; id < kCharacterPropertyCount; ++id) {
        if (gCharacterPropertyRows[id].mFlags & eCharacterPropertyFlagAnimatable)
            bindings[id].mMember(*this).GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
    }
    FilterSetToProperties();

    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KPropertyObjectList** linkProperty = mCharacter ? &mCharacter->mLinks[id].mLinkProperty : nullptr;
        if (linkProperty)
            *linkProperty = nullptr;
        const char* role = nullptr;
        if (!KQelCharacter::GetCharacterNodeNameFromNodeId(ECharacterNodeId(id), role))
            continue;
        char name[64];
        std::snprintf(name, sizeof(name), "%sLink", role);
        KPropertyObjectList* list =
            KPropertyObjectList::Create(this, name, KPlug::eNormalPlug, -1, 1, KPlug::eDirectionAll, 0);
        if (!list)
            continue;
        list->SetUserTag(static_cast<kReference>(id));
        if (linkProperty)
            *linkProperty = list;
    }

    for (const KObjectListRow& row : sObjectLists) {
        KPropertyObjectList& list = this->*row.mMember;
        list.Init();
        list.SetPropertyInfo(row.mName, this, nullptr, nullptr);
        PropertyAddToList(&list);
        list.SetFilter(KPlug_GetFilter(-1), row.mType);
        list.SetPropertyType(kPropertyObject);
        list.SetContentSpec(1, -1);
        list.SetDirection(row.mDirection);
    }
}

KQelCharacterProperties::~KQelCharacterProperties() {}

KQelFilterSet* KQelCharacterProperties::GetFilterSet() const
{
    return mCharacter ? mCharacter->GetFilterSet() : nullptr;
}

void KQelCharacterProperties::FilterSetToProperties()
{
    KQelFilterSet* filterSet = GetFilterSet();
    if (!filterSet)
        return;
    const Binding* bindings = GetBindings();
    for (const KCharacterFilterTransfer& step : gCharacterFilterTransfers) {
        double value[3] = {0.0, 0.0, 0.0};
        KCharacter_LoadTransfer(step, *filterSet, value);
        if (step.mThroughProperty)
            bindings[step.mProperty].mMember(*this).SetData(value);
        else
            bindings[step.mProperty].mAssign(*this, value);
    }
}

// ---- Connections ----

bool KQelCharacterProperties::PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex,
                                         KPlug* pOther, kConnectionType pType, KPlug* pNewPlug)
{
    if (mCharacter && pPlug && pPlug->Is(KPropertyObjectList::ClassId)) {
        if (pPlug == &ControlSet) {
            if (pAction == kPlugConnectedSrc) {
                if (pOther && pOther->Is(KQelControlSetPlugProperties::ClassId))
                    mCharacter->GetControlSet()->FromPlug(
                        static_cast<KQelControlSetPlugProperties*>(pOther)->GetKQelControlSetPlug());
                return false;
            }
        } else if (pAction == kPlugConnectedSrc || pAction == kPlugDisconnectSrc) {
            // A link property is one the character's link of its id holds;
            // user properties of object type are left to the base.
            kReference tag = pPlug->GetUserTag();
            int id = tag < static_cast<kReference>(kCharacterNodeIdCount) ? static_cast<int>(tag) : -1;
            if (id >= 0 && mCharacter->mLinks[id].mLinkProperty == pPlug) {
                KQelCharacterLink link;
                link = mCharacter->mLinks[id];
                KQelNode* node = detail::KCharacter_NodeOfPlug(pOther);
                // Only a node's set is a node; on a disconnection only the
                // node that leaves is cleared, not a newer one.
                if (node && pAction == kPlugConnectedSrc) {
                    link.mNode = node;
                    mCharacter->SetCharacterLink(ECharacterNodeId(id), link, false);
                } else if (node && node == link.mNode) {
                    link.mNode = nullptr;
                    mCharacter->SetCharacterLink(ECharacterNodeId(id), link, false);
                }
                return false;
            }
        }
    }
    return KQelOwnedPropertyHandler::PlugNotify(pStack, pAction, pPlug, pIndex, pOther, pType, pNewPlug);
}

}  // namespace qelsdk_600
