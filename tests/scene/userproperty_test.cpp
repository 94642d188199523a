#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "content/kqelcolor.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace {

// A property set that only counts default-value notifications.
class CountingHandler : public KQelPropertyHandler {
public:
    void DefaultValueChanged(KQelUserProperty*) override { ++mNotified; }
    KQelTakeNodeContainer* GetKQelObject() override { return nullptr; }
    int mNotified = 0;
};

TEST(KQelUserProperty, TypeNamesMapBothWaysAndUnknownsAreUnidentified)
{
    struct Case {
        const char* name;
        KQelUserProperty::EUserPropertyType type;
    } cases[] = {
        {"Bool", KQelUserProperty::eBool},       {"Real", KQelUserProperty::eReal},
        {"Color", KQelUserProperty::eColor},     {"Integer", KQelUserProperty::eInteger},
        {"Vector", KQelUserProperty::eVector},   {"vector", KQelUserProperty::eUnidentified},
        {"Float", KQelUserProperty::eUnidentified}, {nullptr, KQelUserProperty::eUnidentified},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        EXPECT_EQ(GetPropertyTypeFromName(c.name), c.type) << (c.name ? c.name : "null");
        KQelUserProperty description(manager, "P", c.name, "");
        EXPECT_EQ(description.GetPropertyType(), c.type);
        if (c.name && c.type != KQelUserProperty::eUnidentified) {
            EXPECT_STREQ(KQelUserProperty::GetPropertyTypeName(c.type), c.name);
        }
    }
    EXPECT_STREQ(KQelUserProperty::GetPropertyTypeName(KQelUserProperty::eUnidentified), "Unidentified");
    for (int outside : {-1, 6, 1 << 30})
        EXPECT_EQ(KQelUserProperty::GetPropertyTypeName(static_cast<KQelUserProperty::EUserPropertyType>(outside)),
                  nullptr);
}

TEST(KQelUserProperty, BoundHandleMapsThePropertyTypeOfItsProperty)
{
    struct Case {
        kPropertyType type;
        KQelUserProperty::EUserPropertyType expected;
    } cases[] = {
        {kPropertyBool, KQelUserProperty::eBool},         {kPropertyFloat, KQelUserProperty::eReal},
        {kPropertyDouble, KQelUserProperty::eReal},       {kPropertyColorRGB, KQelUserProperty::eColor},
        {kPropertyColorRGBA, KQelUserProperty::eColor},   {kPropertyInt, KQelUserProperty::eInteger},
        {kPropertyVector3D, KQelUserProperty::eVector},   {kPropertyVector4D, KQelUserProperty::eUnidentified},
        {kPropertyEnum, KQelUserProperty::eUnidentified}, {kPropertyString, KQelUserProperty::eUnidentified},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        std::unique_ptr<KProperty> property(KPropertyCreateFromType(c.type));
        ASSERT_TRUE(property) << c.type;
        KQelUserProperty handle(manager, property.get());
        EXPECT_EQ(handle.GetPropertyType(), c.expected) << c.type;
        EXPECT_TRUE(handle == property.get());
        EXPECT_FALSE(handle == nullptr);
    }
}

TEST(KQelUserProperty, DescriptionAndBoundHandleAnswerFromTheirOwnSide)
{
    KQelSdkManager manager;
    KQelUserProperty description(manager, "Weight", "Real", "");
    EXPECT_EQ(description.GetMinLimit(), -INFINITY);
    EXPECT_EQ(description.GetMaxLimit(), INFINITY);
    EXPECT_STREQ(description.GetLabel(true).Buffer(), "Weight");
    EXPECT_STREQ(description.GetLabel(false).Buffer(), "");
    description.ModifyFlag(KQelUserProperty::eAnimatable, true);
    EXPECT_TRUE(description.GetFlag(static_cast<KQelUserProperty::EFlags>(3)));
    description.SetLimits(-1.0, 2.0);
    EXPECT_EQ(description.GetMinLimit(), -1.0);
    EXPECT_EQ(description.GetMaxLimit(), 2.0);

    KQelUserProperty empty(manager, static_cast<KProperty*>(nullptr));
    EXPECT_STREQ(empty.GetName().Buffer(), "");
    EXPECT_EQ(empty.GetMaxLimit(), INFINITY);
    EXPECT_FALSE(empty.GetFlag(KQelUserProperty::eAnimatable));

    // A bound handle has no description: limits, flags and label go to the
    // property itself.
    KPropertyTemplate<double> property;
    property.SetPropertyName("Weight");
    KQelUserProperty bound(manager, &property);
    bound.SetLimits(0.5, 4.0);
    EXPECT_EQ(property.GetPropertyMin(), 0.5);
    EXPECT_EQ(property.GetPropertyMax(), 4.0);
    bound.SetLabel("Mass");
    EXPECT_STREQ(property.GetPropertyLabel(), "Mass");

    struct FlagCase {
        KQelUserProperty::EFlags flag;
        int info;
    } flags[] = {
        {KQelUserProperty::eAnimatable, KPropertyInfo::kAnimatable},
        {KQelUserProperty::eUserProperty, KPropertyInfo::kUserProperty},
        {KQelUserProperty::eTemporary, KPropertyInfo::kTemporary},
    };
    for (const FlagCase& f : flags) {
        bound.ModifyFlag(f.flag, true);
        EXPECT_TRUE(property.GetPropertyInfo().GetFlag(f.info));
        EXPECT_TRUE(bound.GetFlag(f.flag));
    }
    EXPECT_FALSE(bound.GetFlag(static_cast<KQelUserProperty::EFlags>(3)));
    bound.ModifyFlag(KQelUserProperty::eAnimatable, false);
    EXPECT_FALSE(property.IsAnimatable());
}

// What each default-value setter writes, by property type, and whether the
// property set hears of it.
TEST(KQelUserProperty, DefaultValueSettersWriteOnlyTypesThatTakeThem)
{
    enum Setter { kDouble, kInt, kBool, kColor, kTriple };
    struct Case {
        kPropertyType type;
        Setter setter;
        double expected[4];
        int notified;
    } cases[] = {
        {kPropertyDouble, kDouble, {7.0}, 1},
        {kPropertyInt, kInt, {3.0}, 1},
        {kPropertyBool, kBool, {1.0}, 1},
        {kPropertyInt, kDouble, {7.0}, 1},  // no type check: converted
        {kPropertyColorRGB, kColor, {0.1, 0.2, 0.3}, 1},
        {kPropertyColorRGBA, kColor, {0.1, 0.2, 0.3, 1.0}, 1},  // alpha always 1
        {kPropertyVector3D, kColor, {0.0, 0.0, 0.0}, 0},
        {kPropertyVector3D, kTriple, {2.0, -1.0, 0.5}, 1},
        {kPropertyColorRGB, kTriple, {1.0, 0.0, 0.5}, 1},  // through the clamped colour
        {kPropertyDouble, kTriple, {0.0}, 0},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " setter " << c.setter);
        std::unique_ptr<KProperty> property(KPropertyCreateFromType(c.type));
        CountingHandler handler;
        KQelUserProperty handle(manager, property.get());
        handle.SetPropertyHandler(&handler);
        switch (c.setter) {
        case kDouble: handle.SetDefaultValue(7.0); break;
        case kInt: handle.SetDefaultValue(3); break;
        case kBool: handle.SetDefaultValue(true); break;
        case kColor: handle.SetDefaultValue(KQelColor(0.1, 0.2, 0.3, 0.5)); break;
        case kTriple: handle.SetDefaultValue(2.0, -1.0, 0.5); break;
        }
        EXPECT_EQ(handler.mNotified, c.notified);
        double values[4] = {0.0, 0.0, 0.0, 0.0};
        if (c.type == kPropertyColorRGB || c.type == kPropertyColorRGBA || c.type == kPropertyVector3D)
            property->GetData(values);
        else
            values[0] = property->AsDouble();
        const int members = c.type == kPropertyColorRGBA ? 4 : 3;
        for (int i = 0; i < members; ++i)
            EXPECT_DOUBLE_EQ(values[i], c.expected[i]) << "member " << i;
    }
}

TEST(KQelUserProperty, DefaultValueGettersLeaveOutputsTheyCannotFill)
{
    KQelSdkManager manager;
    KQelUserProperty description(manager, "Tint", "Color", "");
    double x = 9.0, y = 9.0, z = 9.0;
    description.GetDefaultValue(x, y, z);
    description.SetDefaultValue(5.0);  // a description takes no value
    description.GetDefaultValue(x);
    EXPECT_EQ(x, 9.0);

    KPropertyTemplate<KgeRGBVector> color;
    color.SetValue(KgeRGBVector(0.25, 0.5, 0.75));
    KQelUserProperty bound(manager, &color);
    KQelColor out(0.0, 0.0, 0.0, 0.4);
    bound.GetDefaultValue(out);
    EXPECT_EQ(out.mRed, 0.25);
    EXPECT_EQ(out.mBlue, 0.75);
    EXPECT_EQ(out.mAlpha, 0.4);  // alpha is not the property's
    bound.GetDefaultValue(x, y, z);
    EXPECT_EQ(y, 0.5);

    KPropertyTemplate<double> scalar;
    KQelUserProperty number(manager, &scalar);
    KQelColor untouched(0.1, 0.1, 0.1, 0.1);
    number.GetDefaultValue(untouched);
    number.GetDefaultValue(x, y, z);
    EXPECT_EQ(untouched.mRed, 0.1);
    EXPECT_EQ(y, 0.5);
}

}  // namespace
}  // namespace qelsdk_600
