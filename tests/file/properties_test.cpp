// Property blocks: round trips in both layouts and both forms, user
// properties made on reading, unsaved properties, and damaged records.
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "base/ktime.h"
#include "file/iqelobject.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kpropertytemplate.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

using scratch::ScratchDir;

KArrayTemplate<KProperty*> ListOf(KObject& object)
{
    KArrayTemplate<KProperty*> list;
    for (int i = 0; i < object.GetPropertyCount(); ++i)
        list.Add(object.GetProperty(i));
    return list;
}

KProperty* Make(KObject& object, const char* name, kPropertyType type,
                KDataType* dataType = nullptr)
{
    return object.CreatePropertyFromType(name, type, dataType, false, false, nullptr);
}

// The properties every sample object has, by name and type.
struct Spec {
    const char* name;
    kPropertyType type;
};
const Spec kSpecs[] = {
    {"Visibility", kPropertyBool},   {"Count", kPropertyInt},
    {"Size", kPropertyDouble},       {"Look", kPropertyEnum},
    {"Lcl Translation", kPropertyVector3D}, {"Color", kPropertyColorRGB},
    {"Label Text", kPropertyString}, {"Path", kPropertyCharPtr},
    {"Start", kPropertyTime},        {"Ratio", kPropertyFloat},
    {"Plane", kPropertyVector4D},    {"Tint", kPropertyColorRGBA},
};

void MakeSample(KObject& object)
{
    for (const Spec& spec : kSpecs)
        ASSERT_NE(Make(object, spec.name, spec.type), nullptr) << spec.name;
}

void FillSample(KObject& object)
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

void ExpectSample(KObject& object)
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
void AddUserProperties(KObject& object)
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

void ExpectUserProperties(KObject& object)
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
};
const Form kForms[] = {
    {true, false, "binary Properties60"},
    {false, false, "text Properties60"},
    {true, true, "binary Properties"},
    {false, true, "text Properties"},
};

// Writes the list as the property block of an object block.
bool WriteObject(const std::string& path, const Form& form, KArrayTemplate<KProperty*>& list)
{
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    file->SetIsBeforeVersion6(form.older);
    if (!file->ProjectCreate(path.c_str(), form.binary, false, nullptr))
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
int ReadObject(const std::string& path, bool older, KArrayTemplate<KProperty*>& list,
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

// The names that a block stores.
std::set<std::string> StoredNames(const std::string& path, bool older,
                                  const std::set<std::string>& candidates)
{
    std::set<std::string> names;
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    if (!file->ProjectOpenDirect(path.c_str(), false, true, nullptr))
        return names;
    file->FieldReadBegin("Object");
    file->FieldReadBlockBegin();
    if (file->FieldReadBegin(older ? "Properties" : "Properties60") && file->FieldReadBlockBegin()) {
        const char* record = older ? "UserProperty" : "Property";
        while (file->FieldReadBegin(record)) {
            names.insert(file->FieldReadC());
            file->FieldReadEnd();
        }
        for (const std::string& name : candidates)
            if (older && file->FieldGetInstanceCount(name.c_str()) > 0)
                names.insert(name);
    }
    return names;
}

TEST(PropertyBlock, EveryKindOfValueRoundTripsInEachForm)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        ScratchDir dir;
        std::string path = dir.File("props.qel");
        KObject source;
        MakeSample(source);
        FillSample(source);
        KArrayTemplate<KProperty*> written = ListOf(source);
        ASSERT_TRUE(WriteObject(path, form, written));

        KObject target;
        MakeSample(target);
        KArrayTemplate<KProperty*> read = ListOf(target);
        ASSERT_EQ(ReadObject(path, form.older, read, &target), 1);
        EXPECT_EQ(read.GetCount(), target.GetPropertyCount());
        EXPECT_EQ(target.GetPropertyCount(), static_cast<int>(sizeof(kSpecs) / sizeof(kSpecs[0])));
        ExpectSample(target);
    }
}

TEST(PropertyBlock, UserPropertiesOfTheFileAreMadeOnTheHandler)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        ScratchDir dir;
        std::string path = dir.File("user.qel");
        KObject source;
        MakeSample(source);
        FillSample(source);
        AddUserProperties(source);
        KArrayTemplate<KProperty*> written = ListOf(source);
        ASSERT_TRUE(WriteObject(path, form, written));

        KObject target;
        MakeSample(target);
        KArrayTemplate<KProperty*> read = ListOf(target);
        ASSERT_EQ(ReadObject(path, form.older, read, &target), 1);
        ExpectSample(target);
        ExpectUserProperties(target);
        int made = target.GetPropertyCount();
        EXPECT_EQ(read.GetCount(), made);
        EXPECT_EQ(read.GetAt(made - 1), target.FindPropertyByName("Flag"));

        // A second read finds them on the handler: nothing doubles.
        KArrayTemplate<KProperty*> again;
        again.Add(target.FindPropertyByName("Size"));
        ASSERT_EQ(ReadObject(path, form.older, again, &target), 1);
        EXPECT_EQ(target.GetPropertyCount(), made);
        EXPECT_EQ(target.FindPropertyByName("Choice")->GetEnumCount(), 2);
        EXPECT_EQ(again.GetCount(), 5);  // Size and the four user properties

        // Without a handler nothing is made, and the known ones still read.
        KObject bare;
        KProperty* size = Make(bare, "Size", kPropertyDouble);
        KArrayTemplate<KProperty*> partial = ListOf(bare);
        ASSERT_EQ(ReadObject(path, form.older, partial, nullptr), 1);
        EXPECT_EQ(bare.GetPropertyCount(), 1);
        EXPECT_EQ(partial.GetCount(), 1);
        EXPECT_EQ(size->AsDouble(), 0.1 + 0.2);
    }
}

TEST(PropertyBlock, UnsavedPropertyIsNeitherWrittenNorRead)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        ScratchDir dir;
        std::string path = dir.File("hidden.qel");
        KObject source;
        Make(source, "Kept", kPropertyDouble)->SetDouble(1.0);
        KProperty* hidden = Make(source, "Hidden", kPropertyDouble);
        hidden->SetDouble(9.0);
        hidden->ModifyPropertyFlag(kPropertyFlagNotSavable, true);
        KProperty* hiddenUser = Make(source, "HiddenUser", kPropertyInt);
        hiddenUser->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
        hiddenUser->ModifyPropertyFlag(kPropertyFlagNotSavable, true);
        KArrayTemplate<KProperty*> written = ListOf(source);
        ASSERT_TRUE(WriteObject(path, form, written));
        EXPECT_EQ(StoredNames(path, form.older, {"Kept", "Hidden", "HiddenUser"}),
                  (std::set<std::string>{"Kept"}));

        // Stored normally, then read into an object where it is unsaved.
        hidden->ModifyPropertyFlag(kPropertyFlagNotSavable, false);
        ASSERT_TRUE(WriteObject(path, form, written));
        KObject target;
        KProperty* targetHidden = Make(target, "Hidden", kPropertyDouble);
        targetHidden->SetDouble(1.0);
        targetHidden->ModifyPropertyFlag(kPropertyFlagNotSavable, true);
        KArrayTemplate<KProperty*> read = ListOf(target);
        ASSERT_EQ(ReadObject(path, form.older, read, &target), 1);
        EXPECT_EQ(targetHidden->AsDouble(), 1.0);
    }
}

TEST(PropertyBlock, MissingBlockReadsNothing)
{
    ScratchDir dir;
    std::string path = dir.File("none.qel");
    KObject empty;
    KArrayTemplate<KProperty*> nothing;
    ASSERT_TRUE(WriteObject(path, kForms[0], nothing));

    // The block exists in one layout only.
    KObject target;
    Make(target, "Size", kPropertyDouble)->SetDouble(4.0);
    KArrayTemplate<KProperty*> list = ListOf(target);
    EXPECT_EQ(ReadObject(path, true, list, &target), 0);
    EXPECT_EQ(ReadObject(path, false, list, &target), 1);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(target.FindPropertyByName("Size")->AsDouble(), 4.0);
}

// Writes hand-made records into a "Properties60" block.
template <class Body>
bool WriteRaw(const std::string& path, bool binary, const char* blockName, Body body)
{
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    if (!file->ProjectCreate(path.c_str(), binary, false, nullptr))
        return false;
    file->FieldWriteBegin("Object");
    file->FieldWriteBlockBegin();
    file->FieldWriteBegin(blockName);
    file->FieldWriteBlockBegin();
    body(*file);
    file->FieldWriteBlockEnd();
    file->FieldWriteEnd();
    file->FieldWriteBlockEnd();
    file->FieldWriteEnd();
    return file->ProjectClose();
}

void Record(KQel& file, const char* name, const char* type, const char* dataType,
            const char* flags)
{
    file.FieldWriteBegin("Property");
    if (name)
        file.FieldWriteC(name);
    if (type)
        file.FieldWriteC(type);
    if (dataType)
        file.FieldWriteC(dataType);
    if (flags)
        file.FieldWriteC(flags);
}

TEST(PropertyBlock, RecordsThatDoNotFitChangeNothing)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ScratchDir dir;
        std::string path = dir.File("bad.qel");
        ASSERT_TRUE(WriteRaw(path, binary, "Properties60", [](KQel& f) {
            Record(f, "Size", "double", "", "");
            f.FieldWriteC("not a number");
            f.FieldWriteEnd();
            Record(f, "Size", nullptr, nullptr, nullptr);  // header cut short
            f.FieldWriteEnd();
            Record(f, "Vec", "Vector3D", "", "");
            f.FieldWriteD(1.0);
            f.FieldWriteD(2.0);  // one value short
            f.FieldWriteEnd();
            Record(f, "Vec", "double", "", "");  // a scalar for a vector
            f.FieldWriteD(5.0);
            f.FieldWriteEnd();
            f.FieldWriteBegin("Property");
            f.FieldWriteI(5);  // a number where the name belongs
            f.FieldWriteC("double");
            f.FieldWriteC("");
            f.FieldWriteC("");
            f.FieldWriteD(1.0);
            f.FieldWriteEnd();
            Record(f, "", "double", "", "U");
            f.FieldWriteD(1.0);
            f.FieldWriteEnd();
            Record(f, "NewObject", "object", "", "U");
            f.FieldWriteI(1);
            f.FieldWriteEnd();
            Record(f, "NewBogus", "bogus", "", "U");
            f.FieldWriteD(1.0);
            f.FieldWriteEnd();
            Record(f, "NewShort", "ColorRGB", "Color", "U");
            f.FieldWriteD(1.0);
            f.FieldWriteEnd();
            Record(f, "NewMismatch", "double", "Color", "U");  // a data type that cannot hold it
            f.FieldWriteD(4.0);
            f.FieldWriteEnd();
            Record(f, "Count", "double", "", "");  // scalars convert, saturating
            f.FieldWriteD(1e12);
            f.FieldWriteEnd();
        }));

        KObject target;
        Make(target, "Size", kPropertyDouble)->SetDouble(3.0);
        KgeTVector start(7.0, 8.0, 9.0);
        Make(target, "Vec", kPropertyVector3D)->SetData(&start);
        Make(target, "Count", kPropertyInt);
        KArrayTemplate<KProperty*> list = ListOf(target);
        ASSERT_EQ(ReadObject(path, false, list, &target), 1);

        EXPECT_EQ(target.FindPropertyByName("Size")->AsDouble(), 3.0);
        KgeTVector vec;
        target.FindPropertyByName("Vec")->GetData(&vec);
        EXPECT_EQ(vec.mData[0], 7.0);
        EXPECT_EQ(vec.mData[2], 9.0);
        EXPECT_EQ(target.FindPropertyByName("Count")->AsInteger(), 2147483647);
        EXPECT_EQ(target.FindPropertyByName("NewObject"), nullptr);
        EXPECT_EQ(target.FindPropertyByName("NewBogus"), nullptr);
        EXPECT_EQ(target.FindPropertyByName("NewShort"), nullptr);
        KProperty* mismatch = target.FindPropertyByName("NewMismatch");
        ASSERT_NE(mismatch, nullptr);
        EXPECT_EQ(mismatch->GetPropertyDataType(), nullptr);
        EXPECT_EQ(mismatch->AsDouble(), 4.0);
        EXPECT_EQ(target.GetPropertyCount(), 4);
        EXPECT_EQ(list.GetCount(), 4);
    }
}

TEST(PropertyBlock, OlderFieldsThatDoNotFitChangeNothing)
{
    ScratchDir dir;
    std::string path = dir.File("old.qel");
    ASSERT_TRUE(WriteRaw(path, true, "Properties", [](KQel& f) {
        f.FieldWriteBegin("Size");
        f.FieldWriteC("text");
        f.FieldWriteEnd();
        f.FieldWriteBegin("Color");
        f.FieldWriteD(0.5);  // two values short
        f.FieldWriteEnd();
        f.FieldWriteBegin("Name");
        f.FieldWriteD(1.0);  // a number for a text
        f.FieldWriteEnd();
    }));
    KObject target;
    Make(target, "Size", kPropertyDouble)->SetDouble(3.0);
    KgeRGBVector grey(0.8, 0.8, 0.8);
    Make(target, "Color", kPropertyColorRGB)->SetData(&grey);
    Make(target, "Name", kPropertyString);
    KArrayTemplate<KProperty*> list = ListOf(target);
    ASSERT_EQ(ReadObject(path, true, list, &target), 1);
    EXPECT_EQ(target.FindPropertyByName("Size")->AsDouble(), 3.0);
    KgeRGBVector color;
    target.FindPropertyByName("Color")->GetData(&color);
    EXPECT_EQ(color.mData[0], 0.8);
    EXPECT_STREQ(target.FindPropertyByName("Name")->AsString().Buffer(), "");
}

}  // namespace
}  // namespace qelsdk_600
