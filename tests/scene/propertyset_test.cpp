#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "object/kdatatype.h"
#include "scene/kqelnull.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyset.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

// A set with every kind of row, the last animated row naming no data type.
#define TEST_LAMP_PROPERTIES(V, E, L, A)                                     \
    V(double, Size, "Size", 100.0, 0)                                        \
    V(KgeTVector, Offset, "Offset", (KgeTVector(1, 2, 3, 9)), kPropertyFlagNotSavable) \
    E(ELampKind, Kind, "Kind", KindAsString, eArea, 0)                       \
    A("Color", "Color")                                                      \
    V(bool, Show, "Show", true, 0)                                           \
    L(Targets, "Targets", LampProperties, 1, KPlug::eDirectionSrc, 1)        \
    A("Glow", "NoSuchType")                                                  \
    A("Intensity", "Intensity")

class LampProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(LampProperties)

public:
    enum ELampKind : int { eSpot, eArea, eSun };
    explicit LampProperties(KQelTakeNodeContainer* pOwner = nullptr) : KQelOwnedPropertyHandler(pOwner)
    {
        QEL_PROPERTY_SET_REGISTER(TEST_LAMP_PROPERTIES);
    }
    static const char* KindAsString(ELampKind pKind)
    {
        static const char* const kTexts[] = {"Spot", "Area", "Sun"};
        return KQelEnumText(kTexts, pKind);
    }

    QEL_PROPERTY_SET_BODY(TEST_LAMP_PROPERTIES)
};

QEL_CLASS_IDENTITY_DEFINE(LampProperties, KQelPropertyHandler)

// The same table in a class that is told of its list's changes, so that its
// registration takes the usual calls.
class HookedLampProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(HookedLampProperties)

public:
    typedef LampProperties::ELampKind ELampKind;
    static constexpr ELampKind eArea = LampProperties::eArea;
    HookedLampProperties() : KQelOwnedPropertyHandler(nullptr) { QEL_PROPERTY_SET_REGISTER(TEST_LAMP_PROPERTIES); }
    static const char* KindAsString(ELampKind pKind) { return LampProperties::KindAsString(pKind); }
    void PropertyNotify(kPropertyNotify pEvent, KProperty* pProperty) override
    {
        mEvents.push_back(std::to_string(pEvent) + " " + pProperty->GetPropertyName());
    }

    std::vector<std::string> mEvents;
    QEL_PROPERTY_SET_BODY(TEST_LAMP_PROPERTIES)
};

QEL_CLASS_IDENTITY_DEFINE(HookedLampProperties, KQelPropertyHandler)

namespace {

std::vector<std::string> Names(const KObject& pSet)
{
    std::vector<std::string> names;
    for (int i = 0; i < pSet.GetPropertyCount(); ++i)
        names.push_back(pSet.GetProperty(i)->GetPropertyName());
    return names;
}

TEST(PropertySet, RegistersMembersInTableOrderThenAnimatedProperties)
{
    LampProperties* set = new LampProperties;
    EXPECT_EQ(Names(*set), (std::vector<std::string>{"Size", "Offset", "Kind", "Show", "Targets", "Color",
                                                      "Intensity"}));
    struct Case {
        const char* name;
        kPropertyType type;
        int flags;
        bool animatable;
    } cases[] = {
        {"Size", kPropertyDouble, 0, false},
        {"Offset", kPropertyVector3D, kPropertyFlagNotSavable, false},
        {"Kind", kPropertyEnum, 0, false},
        {"Show", kPropertyBool, 0, false},
        {"Targets", kPropertyObject, 1, false},
        {"Color", kPropertyColorRGB, kPropertyFlagAnimated, true},
        {"Intensity", kPropertyDouble, kPropertyFlagAnimated, true},
    };
    for (const Case& c : cases) {
        KProperty* property = set->FindPropertyByName(c.name);
        ASSERT_TRUE(property) << c.name;
        EXPECT_EQ(property->GetPropertyType(), c.type) << c.name;
        EXPECT_EQ(property->GetPropertyFlags(), c.flags) << c.name;
        EXPECT_EQ(property->IsAnimatable(), c.animatable) << c.name;
        EXPECT_EQ(property->GetPropertyOwner(), set) << c.name;
    }
    EXPECT_EQ(set->FindPropertyByName("Color")->GetPropertyDataType(), KDataTypeColor::DataType);
    EXPECT_EQ(set->SizeGet(), 100.0);
    EXPECT_TRUE(set->ShowGet());
    EXPECT_EQ(set->KindGet(), LampProperties::eArea);
    const KgeTVector offset = set->OffsetGet();
    EXPECT_EQ(offset.mData[2], 3.0);
    EXPECT_EQ(offset.mData[3], 1.0);  // defaults go through the setter's rule
    set->Destroy();
}

// Listing members in a few stores leaves each property, the list and the
// owned plugs as the usual calls do; a class told of the list still is.
TEST(PropertySet, RegistrationEndsTheSameWhetherTheClassHooksTheListOrNot)
{
    LampProperties plain;
    HookedLampProperties hooked;
    ASSERT_EQ(plain.GetPropertyCount(), hooked.GetPropertyCount());
    std::vector<std::string> events;
    for (int i = 0; i < plain.GetPropertyCount(); ++i) {
        KProperty* a = plain.GetProperty(i);
        KProperty* b = hooked.GetProperty(i);
        SCOPED_TRACE(a->GetPropertyName());
        EXPECT_STREQ(a->GetPropertyName(), b->GetPropertyName());
        EXPECT_EQ(a->GetPropertyType(), b->GetPropertyType());
        EXPECT_EQ(a->GetPropertyFlags(), b->GetPropertyFlags());
        EXPECT_EQ(a->GetPropertyInfo().GetFlags(), b->GetPropertyInfo().GetFlags());
        EXPECT_STREQ(a->AsString().Buffer(), b->AsString().Buffer());
        EXPECT_EQ(a->GetPropertyOwner(), &plain);
        EXPECT_EQ(plain.GetOwnedPlug(i), a);
        for (kPropertyNotify event : {kPropertyAdding, kPropertyAdded})
            events.push_back(std::to_string(event) + " " + a->GetPropertyName());
    }
    EXPECT_EQ(plain.GetOwnedPlugCount(), plain.GetPropertyCount());
    EXPECT_EQ(hooked.mEvents, events);
}

TEST(PropertySet, AccessorsAreTheBoundGetterAndSetter)
{
    LampProperties* set = new LampProperties;
    set->OffsetSet(KgeTVector(1, 2, 3, 7));
    const KgeTVector offset = set->OffsetGet();
    EXPECT_EQ(offset.mData[0], 1.0);
    EXPECT_EQ(offset.mData[3], 1.0);
    set->SizeSet(-1e9);  // stored as given, whatever the usual range
    EXPECT_EQ(set->Size.Get(), -1e9);

    // Generic writes reach the member through the setter.
    KProperty* size = set->FindPropertyByName("Size");
    size->SetDouble(2.5);
    EXPECT_EQ(set->SizeGet(), 2.5);
    KProperty* kind = set->FindPropertyByName("Kind");
    kind->SetInteger(LampProperties::eSun);
    EXPECT_EQ(set->KindGet(), LampProperties::eSun);
    EXPECT_STREQ(kind->GetValueAsString(0), "Spot");
    EXPECT_STREQ(kind->AsString().Buffer(), "Sun");
    EXPECT_EQ(kind->GetValueAsString(3), nullptr);
    EXPECT_EQ(kind->GetValueAsString(-1), nullptr);

    LampProperties* target = new LampProperties;
    EXPECT_TRUE(set->TargetsSet(0, target));
    EXPECT_EQ(set->TargetsGet(0), target);
    EXPECT_EQ(set->TargetsGet(1), nullptr);
    int contentValue = 0;
    int contentClass = 0;
    set->Targets.GetContentSpec(contentValue, contentClass);
    EXPECT_EQ(contentValue, 1);
    EXPECT_EQ(contentClass, LampProperties::ClassId);
    set->Destroy();
    target->Destroy();
}

// Two sets of one class share their rows' texts and accessors; what one set
// is given (accessors, label, limits, texts, connections) stays its own.
TEST(PropertySet, WhatOneSetIsGivenLeavesTheOtherSetsOfItsClassAlone)
{
    LampProperties* first = new LampProperties;
    LampProperties* second = new LampProperties;
    EXPECT_EQ(first->Size.GetPropertyName(), second->Size.GetPropertyName());
    EXPECT_EQ(first->Size.GetPropertyInfo().GetGetter(), second->Size.GetPropertyInfo().GetGetter());

    first->Size.GetPropertyInfo().SetSetter(nullptr);
    first->Kind.GetPropertyInfo().SetAsStringFunc(nullptr);
    first->Size.SetPropertyLabel("Radius");
    first->Size.SetPropertyMinMax(0.0, 10.0);
    first->Show.AddEnumValue("Hidden");
    first->Size.SetDouble(4.0);  // stored without setter
    second->Size.SetDouble(6.0);
    LampProperties* target = new LampProperties;
    EXPECT_TRUE(first->TargetsSet(0, target));

    struct Case {
        LampProperties* set;
        bool setter;
        const char* kindText;
        const char* label;
        double min, max;
        int texts;
        int targets;
    } cases[] = {
        {first, false, nullptr, "Radius", 0.0, 10.0, 1, 1},
        {second, true, "Area", "", -HUGE_VAL, HUGE_VAL, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.set->Size.GetPropertyInfo().GetSetter() != nullptr, c.setter);
        EXPECT_EQ(c.set->Kind.GetPropertyInfo().GetFlag(KPropertyInfo::kHasAsStringFunc), c.kindText != nullptr);
        const char* kindText = c.set->Kind.GetValueAsString(LampProperties::eArea);
        EXPECT_STREQ(kindText ? kindText : "(none)", c.kindText ? c.kindText : "(none)");
        EXPECT_STREQ(c.set->Size.GetPropertyLabel(), c.label);
        EXPECT_EQ(c.set->Size.GetPropertyMin(), c.min);
        EXPECT_EQ(c.set->Size.GetPropertyMax(), c.max);
        EXPECT_EQ(c.set->Show.GetEnumCount(), c.texts);
        EXPECT_EQ(c.set->Targets.GetCount(), c.targets);
    }
    EXPECT_EQ(first->Size.GetValue(), 4.0);
    EXPECT_EQ(second->SizeGet(), 6.0);
    // The shared record itself is untouched: a third set has every accessor.
    LampProperties* third = new LampProperties;
    EXPECT_NE(third->Size.GetPropertyInfo().GetSetter(), nullptr);
    EXPECT_STREQ(third->Kind.GetValueAsString(LampProperties::eSun), "Sun");
    for (LampProperties* set : {first, second, third, target})
        set->Destroy();
}

TEST(PropertySet, ClassIdentityFollowsTheParentChain)
{
    LampProperties* lamp = new LampProperties;
    KQelNullProperties* null = new KQelNullProperties;
    struct Case {
        KPlug* set;
        int id;
        bool is;
    } cases[] = {
        {lamp, LampProperties::ClassId, true},       {lamp, KQelPropertyHandler::ClassId, true},
        {lamp, KObject::ClassId, true},              {lamp, KPlug::ClassId, true},
        {lamp, KQelNullProperties::ClassId, false},  {null, KQelNullProperties::ClassId, true},
        {null, KObject::ClassId, true},              {null, KQelPropertyHandler::ClassId, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.set->Is(c.id), c.is) << c.set->GetClassIdName() << " " << c.id;
    EXPECT_STREQ(lamp->GetClassIdName(), "LampProperties");
    EXPECT_STREQ(null->GetClassIdName(), "KQelNullProperties");
    EXPECT_EQ(lamp->GetClassGroupId(), KObject::ClassGroupId);
    EXPECT_NE(LampProperties::ClassId, KQelNullProperties::ClassId);
    lamp->Destroy();
    null->Destroy();
}

TEST(PropertySet, AddAnimatedPropertyRefusesUnknownDataTypes)
{
    LampProperties* set = new LampProperties;
    const int before = set->GetPropertyCount();
    EXPECT_EQ(AddAnimatedProperty(*set, "NoSuchType"), nullptr);
    EXPECT_EQ(AddAnimatedProperty(*set, "Spin", nullptr), nullptr);
    EXPECT_EQ(set->GetPropertyCount(), before);
    KProperty* fog = AddAnimatedProperty(*set, "Fog");
    ASSERT_TRUE(fog);
    EXPECT_EQ(fog->GetPropertyDataType(), KDataTypeFog::DataType);
    EXPECT_TRUE(fog->IsAnimatable());
    EXPECT_TRUE(fog->IsAnimated());
    EXPECT_EQ(set->GetPropertyCount(), before + 1);
    set->Destroy();
}

TEST(PropertySet, CreateKPropertyBindsADescriptionOnce)
{
    KQelSdkManager manager;
    LampProperties* set = new LampProperties;
    struct Case {
        const char* type;
        int userFlags;
        const char* label;
        bool made;
        int infoFlags;
        int propertyFlags;
    } cases[] = {
        {"Color", 0, "", true, 0, 0},
        {"Real", KQelUserProperty::eAnimatable, "Mass", true, KPropertyInfo::kAnimatable, kPropertyFlagAnimated},
        {"Bool", KQelUserProperty::eUserProperty | KQelUserProperty::eTemporary, "", true,
         KPropertyInfo::kUserProperty | KPropertyInfo::kTemporary, 0},
        {"Unidentified", KQelUserProperty::eAnimatable, "", false, 0, 0},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string name = "User" + std::to_string(index++);
        KQelUserProperty* user = manager.CreateKQelUserProperty(name.c_str(), c.type, c.label);
        user->ModifyFlag(static_cast<KQelUserProperty::EFlags>(c.userFlags), true);
        const int before = set->GetPropertyCount();
        EXPECT_EQ(set->CreateKProperty(user), c.made) << c.type;
        KProperty* property = user->GetKProperty();
        EXPECT_EQ(property != nullptr, c.made);
        EXPECT_EQ(set->GetPropertyCount(), before + (c.made ? 1 : 0));
        if (!property)
            continue;
        EXPECT_EQ(property->GetPropertyDataType(), KDataTypeGet(c.type));
        EXPECT_EQ(property->GetPropertyInfo().GetFlags() & (KPropertyInfo::kAnimatable | 64 | 128), c.infoFlags);
        EXPECT_EQ(property->GetPropertyFlags(), c.propertyFlags);
        EXPECT_STREQ(property->GetPropertyLabel(), c.label);
        EXPECT_EQ(user->GetPropertyHandler(), set);
        EXPECT_FALSE(set->CreateKProperty(user));  // already bound
        EXPECT_EQ(set->GetPropertyCount(), before + 1);
        EXPECT_TRUE(set->DestroyKProperty(user));
        EXPECT_FALSE(set->DestroyKProperty(user));
        EXPECT_EQ(set->GetPropertyCount(), before);
    }
    EXPECT_FALSE(set->CreateKProperty(nullptr));
    EXPECT_FALSE(set->DestroyKProperty(nullptr));
    set->Destroy();
}

TEST(KQelNull, SizeStartsAtItsDefaultUntilSet)
{
    KQelSdkManager manager;
    KQelNull null(manager);
    EXPECT_EQ(null.GetAttributeType(), KQelNodeAttribute::eNull);
    EXPECT_EQ(null.GetSize(), 100.0);
    EXPECT_FALSE(null.GetSizeIsSet());
    null.SetSize(5.0);
    EXPECT_EQ(null.GetSize(), 5.0);
    EXPECT_TRUE(null.GetSizeIsSet());
    EXPECT_EQ(null.GetPropertyHandler()->SizeGet(), 5.0);

    KQelNull copy(manager);
    copy.SetSize(1.0);
    KQelNull unset(manager);
    unset.GetPropertyHandler()->SizeSet(7.0);  // a value without the "set" mark
    copy = unset;
    EXPECT_EQ(copy.GetSize(), 7.0);
    EXPECT_FALSE(copy.GetSizeIsSet());
    null.Reset();
    EXPECT_EQ(null.GetSize(), 100.0);
    EXPECT_FALSE(null.GetSizeIsSet());

    EXPECT_STREQ(null.GetTypeName().Buffer(), "Null");
    const KStringList flags = null.GetTypeFlags();
    ASSERT_EQ(flags.GetCount(), 1);
    EXPECT_STREQ(flags.GetStringAt(0), "Null");
    KArrayTemplate<KProperty*> properties;
    null.FillPropertyList(&properties);
    ASSERT_EQ(properties.GetCount(), 1);
    EXPECT_STREQ(properties.GetAt(0)->GetPropertyName(), "Size");
}

}  // namespace
}  // namespace qelsdk_600
