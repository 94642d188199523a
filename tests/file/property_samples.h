// A sample object with a property of every storable type, user properties
// with every extra, and the writing and reading of its property block;
// shared by the property-block tests and the platform check.
#ifndef QELSDK_TESTS_FILE_PROPERTY_SAMPLES_H
#define QELSDK_TESTS_FILE_PROPERTY_SAMPLES_H

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/ktime.h"
#include "file/iqelobject.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {
namespace property_samples {

inline KArrayTemplate<KProperty*> ListOf(KObject& object)
{
    KArrayTemplate<KProperty*> list;
    for (int i = 0; i < object.GetPropertyCount(); ++i)
        list.Add(object.GetProperty(i));
    return list;
}

inline KProperty* Make(KObject& object, const char* name, kPropertyType type,
                KDataType* dataType = nullptr)
{
    return object.CreatePropertyFromType(name, type, dataType, false, false, nullptr);
}

// The properties every sample object has, by name and type.
struct Spec {
    const char* name;
    kPropertyType type;
};
inline const Spec kSpecs[] = {
    {"Visibility", kPropertyBool},   {"Count", kPropertyInt},
    {"Size", kPropertyDouble},       {"Look", kPropertyEnum},
    {"Lcl Translation", kPropertyVector3D}, {"Color", kPropertyColorRGB},
    {"Label Text", kPropertyString}, {"Path", kPropertyCharPtr},
    {"Start", kPropertyTime},        {"Ratio", kPropertyFloat},
    {"Plane", kPropertyVector4D},    {"Tint", kPropertyColorRGBA},
};

inline void MakeSample(KObject& object)
{
    for (const Spec& spec : kSpecs)
        ASSERT_NE(Make(object, spec.name, spec.type), nullptr) << spec.name;
}

inline void FillSample(KObject& object)
{
    bool visible = true;
    int count = -123456;
    double size = 0.1 + 0.2;  // not a short decimal: every bit must survive
    int look = 3;
    KgeTVector translation(1.5, -2.25, 1e-300);
    KgeRGBVector color(0.1, 0.2, 0.3);
    KString label("quote \" semi ; brace { end");
    const char* path = "C:\\media\\wood.png";
    KTime start(46186158000LL * 3 + 1);
    float ratio = 0.1f;
    KQelVector4 plane(1.0, 2.0, 3.0, -4.5);
    KQelVector4 tint(0.25, 0.5, 0.75, 1.0);
    object.FindPropertyByName("Visibility")->SetData(&visible);
    object.FindPropertyByName("Count")->SetData(&count);
    object.FindPropertyByName("Size")->SetData(&size);
    object.FindPropertyByName("Look")->SetData(&look);
    object.FindPropertyByName("Lcl Translation")->SetData(&translation);
    object.FindPropertyByName("Color")->SetData(&color);
    object.FindPropertyByName("Label Text")->SetData(&label);
    object.FindPropertyByName("Path")->SetData(&path);
    object.FindPropertyByName("Start")->SetData(&start);
    object.FindPropertyByName("Ratio")->SetData(&ratio);
    object.FindPropertyByName("Plane")->SetData(&plane);
    object.FindPropertyByName("Tint")->SetData(&tint);
}

inline void ExpectSample(KObject& object)
{
    EXPECT_EQ(object.FindPropertyByName("Visibility")->AsInteger(), 1);
    EXPECT_EQ(object.FindPropertyByName("Count")->AsInteger(), -123456);
    EXPECT_EQ(object.FindPropertyByName("Size")->AsDouble(), 0.1 + 0.2);
    EXPECT_EQ(object.FindPropertyByName("Look")->AsInteger(), 3);
    KgeTVector translation;
    object.FindPropertyByName("Lcl Translation")->GetData(&translation);
    EXPECT_EQ(translation.mData[0], 1.5);
    EXPECT_EQ(translation.mData[1], -2.25);
    EXPECT_EQ(translation.mData[2], 1e-300);
    KgeRGBVector color;
    object.FindPropertyByName("Color")->GetData(&color);
    EXPECT_EQ(color.mData[0], 0.1);
    EXPECT_EQ(color.mData[1], 0.2);
    EXPECT_EQ(color.mData[2], 0.3);
    EXPECT_STREQ(object.FindPropertyByName("Label Text")->AsString().Buffer(),
                 "quote \" semi ; brace { end");
    EXPECT_STREQ(object.FindPropertyByName("Path")->AsString().Buffer(), "C:\\media\\wood.png");
    KTime start;
    object.FindPropertyByName("Start")->GetData(&start);
    EXPECT_EQ(start.Get(), 46186158000LL * 3 + 1);
    EXPECT_EQ(static_cast<float>(object.FindPropertyByName("Ratio")->AsDouble()), 0.1f);
    KQelVector4 plane, tint;
    object.FindPropertyByName("Plane")->GetData(&plane);
    object.FindPropertyByName("Tint")->GetData(&tint);
    EXPECT_EQ(plane[3], -4.5);
    EXPECT_EQ(tint[2], 0.75);
}

// User properties of every kind of extra a reader cannot know.
inline void AddUserProperties(KObject& object)
{
    KProperty* color = object.CreatePropertyFromType("MyColor", kPropertyColorRGB,
                                                     KDataTypeColor::DataType, true, false, nullptr);
    color->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    color->SetPropertyLabel("My colour");
    KgeRGBVector value(0.5, 0.25, 1.0);
    color->SetData(&value);

    KProperty* choice = Make(object, "Choice", kPropertyEnum, KDataTypeEnum::DataType);
    choice->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    choice->AddEnumValue("Low");
    choice->AddEnumValue("High");
    choice->SetInteger(1);

    KProperty* weight = Make(object, "Weight", kPropertyDouble, KDataTypeNumber::DataType);
    weight->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    weight->SetPropertyMinMax(0.0, 10.0);
    weight->SetDouble(2.5);

    KProperty* flag = Make(object, "Flag", kPropertyBool);  // no extras at all
    flag->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    flag->SetInteger(1);
}

inline void ExpectUserProperties(KObject& object)
{
    KProperty* color = object.FindPropertyByName("MyColor");
    ASSERT_NE(color, nullptr);
    EXPECT_TRUE(color->IsUserProperty());
    EXPECT_TRUE(color->IsAnimatable());
    EXPECT_EQ(color->GetPropertyType(), kPropertyColorRGB);
    EXPECT_EQ(color->GetPropertyDataType(), KDataTypeColor::DataType);
    EXPECT_STREQ(color->GetPropertyLabel(), "My colour");
    KgeRGBVector value;
    color->GetData(&value);
    EXPECT_EQ(value.mData[0], 0.5);
    EXPECT_EQ(value.mData[1], 0.25);
    EXPECT_EQ(value.mData[2], 1.0);

    KProperty* choice = object.FindPropertyByName("Choice");
    ASSERT_NE(choice, nullptr);
    EXPECT_FALSE(choice->IsAnimatable());
    EXPECT_EQ(choice->GetPropertyType(), kPropertyEnum);
    EXPECT_EQ(choice->AsInteger(), 1);
    ASSERT_EQ(choice->GetEnumCount(), 2);
    EXPECT_STREQ(choice->GetEnumValue(0), "Low");
    EXPECT_STREQ(choice->GetEnumValue(1), "High");

    KProperty* weight = object.FindPropertyByName("Weight");
    ASSERT_NE(weight, nullptr);
    EXPECT_EQ(weight->AsDouble(), 2.5);
    EXPECT_EQ(weight->GetPropertyMin(), 0.0);
    EXPECT_EQ(weight->GetPropertyMax(), 10.0);

    KProperty* flag = object.FindPropertyByName("Flag");
    ASSERT_NE(flag, nullptr);
    EXPECT_TRUE(flag->IsUserProperty());
    EXPECT_EQ(flag->AsInteger(), 1);
}

struct Form {
    bool binary;
    bool older;
    const char* name;
    bool encrypted = false;
};

// Writes the list as the property block of an object block.
inline bool WriteObject(const std::string& path, const Form& form, KArrayTemplate<KProperty*>& list)
{
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    file->SetIsBeforeVersion6(form.older);
    if (!file->ProjectCreate(path.c_str(), form.binary, form.encrypted, nullptr))
        return false;
    file->FieldWriteBegin("Object");
    file->FieldWriteC("Model::Cube");
    file->FieldWriteBlockBegin();
    file->FieldWritePropertiesList(list);
    file->FieldWriteBlockEnd();
    file->FieldWriteEnd();
    return file->ProjectClose();
}

// Reads the property block of the object block; -1 when the file does not
// open, else whether the block was found.
inline int ReadObject(const std::string& path, bool older, KArrayTemplate<KProperty*>& list,
                      KObject* handler)
{
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    file->SetIsBeforeVersion6(older);
    if (!file->ProjectOpenDirect(path.c_str(), false, true, nullptr))
        return -1;
    if (!file->FieldReadBegin("Object") || !file->FieldReadBlockBegin())
        return -1;
    bool found = file->FieldReadPropertiesList(list, handler);
    file->FieldReadBlockEnd();
    file->FieldReadEnd();
    return found ? 1 : 0;
}

}  // namespace property_samples
}  // namespace qelsdk_600

#endif
