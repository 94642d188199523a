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
#include "property_samples.h"

namespace qelsdk_600 {
namespace {

using namespace property_samples;
using scratch::ScratchDir;

const Form kForms[] = {
    {true, false, "binary Properties60"},
    {false, false, "text Properties60"},
    {true, true, "binary Properties"},
    {false, true, "text Properties"},
};

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
