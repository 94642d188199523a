#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "event_recorder.h"
#include "object/kdatatype.h"
#include "object/kpropertyobjectlist.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {
namespace {

typedef std::vector<RecordedEvent> Log;

// A fixed underlying type makes every 32-bit value a valid ETestLook.
enum ETestLook : int { eLookNone = 0, eLookCross = 1, eLookHard = 2 };

// A property set built the way the scene classes build theirs: members
// added to the list, typed, then named and bound to accessor pairs.
class TestSet : public RecordingObject {
public:
    explicit TestSet(Log* pLog) : RecordingObject("Set", pLog)
    {
        PropertyAddToList(&mSize);
        mSize.SetPropertyType(KPropertyGetType(static_cast<double*>(nullptr)));
        mSize.SetPropertyInfo("Size", this, KPropertyGetter(&TestSet::SizeGet),
                              KPropertySetter(&TestSet::SizeSet));

        PropertyAddToList(&mOffset);
        mOffset.SetPropertyInfo("Offset", this, &TestSet::OffsetGet, &TestSet::OffsetSet);

        PropertyAddToList(&mLook);
        mLook.SetPropertyType(KPropertyGetType(static_cast<ETestLook*>(nullptr)));
        mLook.SetPropertyInfo("Look", this, &TestSet::LookGet, &TestSet::LookSet);
        mLook.SetPropertyType(kPropertyEnum);
        mLook.GetPropertyInfo().SetAsStringFunc(KPropertyAsString(&TestSet::LookAsString));

        PropertyAddToList(&mShow);
        mShow.SetPropertyInfo("Show", this, nullptr, nullptr);
    }

    virtual double SizeGet() { ++mGetterCalls; return mSizeField; }
    virtual void SizeSet(double pValue)
    {
        if (mLog)
            mLog->push_back(RecordedEvent{"setter", 0, nullptr, nullptr});
        mSizeField = pValue;
    }
    KgeTVector OffsetGet() { return mOffsetField; }
    void OffsetSet(KgeTVector pValue) { mOffsetField = pValue; }
    ETestLook LookGet() { return mLookField; }
    void LookSet(ETestLook pValue) { mLookField = pValue; }
    const char* LookAsString(int pValue)
    {
        static const char* const kTexts[] = {"None", "Cross", "Hard"};
        return pValue >= 0 && pValue < 3 ? kTexts[pValue] : nullptr;
    }

    KPropertyTemplate<double> mSize;
    KPropertyTemplate<KgeTVector> mOffset;
    KPropertyTemplate<ETestLook> mLook;
    KPropertyTemplate<bool> mShow;
    double mSizeField = 0.0;
    KgeTVector mOffsetField;
    ETestLook mLookField = eLookNone;
    int mGetterCalls = 0;
};

TEST(PropertyList, KeepsOrderOfAdditionAndFindsNamesExactly)
{
    TestSet set(nullptr);
    ASSERT_EQ(4, set.GetPropertyCount());
    EXPECT_STREQ("Size", set.GetProperty(0)->GetPropertyName());
    EXPECT_STREQ("Offset", set.GetProperty(1)->GetPropertyName());
    EXPECT_STREQ("Look", set.GetProperty(2)->GetPropertyName());
    EXPECT_STREQ("Show", set.GetProperty(3)->GetPropertyName());
    EXPECT_EQ(nullptr, set.GetProperty(4));
    EXPECT_EQ(&set.mLook, set.FindPropertyByName("Look"));
    EXPECT_EQ(nullptr, set.FindPropertyByName("look"));
    EXPECT_EQ(nullptr, set.FindPropertyByName("Look "));
    EXPECT_EQ(nullptr, set.FindPropertyByName(nullptr));
    EXPECT_EQ(&set, set.mSize.GetPropertyOwner());
}

TEST(PropertyList, LookupFollowsRenamesRemovalsAndDuplicates)
{
    KObject object;
    KProperty* first = object.CreatePropertyFromType("Twin", kPropertyDouble, nullptr, false, false, nullptr);
    KProperty* second = object.CreatePropertyFromType("Twin", kPropertyInt, nullptr, false, false, nullptr);
    // The first of two equal names wins, before and after the index exists.
    EXPECT_EQ(first, object.FindPropertyByName("Twin"));
    first->SetPropertyName("Renamed");
    EXPECT_EQ(second, object.FindPropertyByName("Twin"));
    EXPECT_EQ(first, object.FindPropertyByName("Renamed"));
    ASSERT_TRUE(object.PropertyDestroy(second));
    EXPECT_EQ(nullptr, object.FindPropertyByName("Twin"));
    KProperty* third = object.CreatePropertyFromType("Twin", kPropertyBool, nullptr, false, false, nullptr);
    EXPECT_EQ(third, object.FindPropertyByName("Twin"));
    EXPECT_FALSE(object.PropertyDestroy(second == third ? nullptr : static_cast<KProperty*>(nullptr)));
}

TEST(PropertyList, EmbeddedPropertyLeavesTheListWhenDestroyed)
{
    KObject object;
    {
        KPropertyTemplate<int> local;
        local.SetPropertyInfo("Local", &object, nullptr, nullptr);
        ASSERT_EQ(0, object.PropertyAddToList(&local));
        EXPECT_EQ(-1, object.PropertyAddToList(&local));
        EXPECT_EQ(&local, object.FindPropertyByName("Local"));
    }
    EXPECT_EQ(0, object.GetPropertyCount());
    EXPECT_EQ(nullptr, object.FindPropertyByName("Local"));
}

TEST(PropertyValue, SetDataNotifiesAroundTheSetter)
{
    Log log;
    TestSet set(&log);
    double value = 2.5;
    ASSERT_TRUE(set.mSize.SetData(&value, 0, nullptr, nullptr));
    Log expected = {{"Set", kPlugDataChangeBegin, &set.mSize, nullptr},
                    {"setter", 0, nullptr, nullptr},
                    {"Set", kPlugDataChangeEnd, &set.mSize, nullptr}};
    EXPECT_EQ(expected, log);
    EXPECT_EQ(2.5, set.mSizeField);
    EXPECT_FALSE(set.mSize.SetData(nullptr));

    // Calling the setter directly announces nothing.
    log.clear();
    set.SizeSet(4.0);
    EXPECT_EQ(1u, log.size());
    double read = 0.0;
    ASSERT_TRUE(set.mSize.GetData(&read));
    EXPECT_EQ(4.0, read);
    EXPECT_EQ(4.0, set.mSize.GetValue());
}

TEST(PropertyValue, PropertyWithoutSetterStoresTheValue)
{
    Log log;
    TestSet set(&log);
    bool on = true;
    ASSERT_TRUE(set.mShow.SetData(&on));
    EXPECT_TRUE(set.mShow.GetValue());
    EXPECT_EQ(2u, log.size());
    // Any non-zero byte is read as true, never as an invalid bool.
    unsigned char odd = 0x7e;
    ASSERT_TRUE(set.mShow.SetData(&odd));
    EXPECT_EQ(1, set.mShow.AsInteger());
}

TEST(PropertyValue, Vector3DCarriesThreeDoublesAndSetterSeesWOne)
{
    TestSet set(nullptr);
    double in[4] = {1.0, 2.0, 3.0, 7.0};
    ASSERT_TRUE(set.mOffset.SetData(in));
    EXPECT_EQ(1.0, set.mOffsetField.mData[0]);
    EXPECT_EQ(3.0, set.mOffsetField.mData[2]);
    EXPECT_EQ(1.0, set.mOffsetField.mData[3]);
    double out[4] = {-1.0, -1.0, -1.0, -9.0};
    ASSERT_TRUE(set.mOffset.GetData(out));
    EXPECT_EQ(2.0, out[1]);
    EXPECT_EQ(-9.0, out[3]);  // only three doubles are written
}

TEST(PropertyValue, EnumTextComesFromItsToTextFunction)
{
    TestSet set(nullptr);
    EXPECT_EQ(kPropertyEnum, set.mLook.GetPropertyType());
    EXPECT_TRUE(set.mLook.GetPropertyInfo().GetFlag(KPropertyInfo::kHasAsStringFunc));
    set.mLookField = eLookHard;
    EXPECT_EQ(2, set.mLook.AsInteger());
    EXPECT_STREQ("Hard", set.mLook.AsString());
    EXPECT_STREQ("Cross", set.mLook.GetValueAsString(1));
    EXPECT_EQ(nullptr, set.mLook.GetValueAsString(3));
    set.mLook.SetInteger(1);
    EXPECT_EQ(eLookCross, set.mLookField);
    // Values outside the enumeration are stored; only their text is missing.
    set.mLook.SetInteger(9);
    EXPECT_EQ(9, set.mLook.AsInteger());
    EXPECT_STREQ("", set.mLook.AsString());
}

TEST(PropertyValue, UserPropertyTextsComeFromItsList)
{
    KObject object;
    KProperty* property = object.CreatePropertyFromType("Mode", kPropertyEnum, KDataTypeEnum::DataType,
                                                        false, false, nullptr);
    ASSERT_NE(nullptr, property);
    property->GetPropertyInfo().ModifyFlag(KPropertyInfo::kUserProperty, true);
    property->AddEnumValue("Off");
    property->AddEnumValue("On");
    property->SetInteger(1);
    EXPECT_STREQ("On", property->AsString());
    EXPECT_EQ(nullptr, property->GetValueAsString(2));
    EXPECT_EQ(nullptr, property->GetValueAsString(-1));
}

TEST(PropertyValue, NumericConversionsSaturateAndTruncate)
{
    KPropertyTemplate<int> integer;
    const struct {
        double mIn;
        int mExpected;
    } cases[] = {{2.9, 2},   {-2.9, -2}, {1e300, 2147483647}, {-1e300, -2147483647 - 1},
                 {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        integer.SetDouble(c.mIn);
        EXPECT_EQ(c.mExpected, integer.AsInteger()) << c.mIn;
    }
    KPropertyTemplate<float> single;
    single.SetDouble(1e300);
    EXPECT_EQ(std::numeric_limits<float>::max(), single.GetValue());
    KPropertyTemplate<double> real;
    real.SetInteger(-7);
    EXPECT_EQ(-7.0, real.AsDouble());
    real.SetDouble(0.1);
    EXPECT_STREQ("0.1", real.AsString());
    KPropertyTemplate<KgeRGBVector> colour;
    colour.SetDouble(5.0);  // not a number: ignored
    EXPECT_EQ(0.0, colour.AsDouble());
}

TEST(PropertyValue, TextPropertyKeepsItsOwnCopy)
{
    KPropertyTemplate<char*> text;
    char buffer[16] = "first";
    ASSERT_TRUE(text.Set(buffer));
    buffer[0] = 'X';
    EXPECT_STREQ("first", text.Get());
    char* out = nullptr;
    ASSERT_TRUE(text.GetData(&out));
    EXPECT_STREQ("first", out);
    ASSERT_TRUE(text.Set("second"));
    EXPECT_STREQ("second", text.AsString());
    KPropertyTemplate<char*> copy;
    ASSERT_TRUE(copy.CopyPropertyValueFrom(&text));
    EXPECT_STREQ("second", copy.Get());
}

TEST(PropertyInfo, FlagsAndOwnedNames)
{
    KPropertyTemplate<double> property;
    KPropertyInfo& info = property.GetPropertyInfo();
    info.ModifyFlag(KPropertyInfo::kAnimatable | KPropertyInfo::kUserProperty, true);
    EXPECT_TRUE(property.IsAnimatable());
    EXPECT_TRUE(property.IsUserProperty());
    info.ModifyFlag(KPropertyInfo::kUserProperty, false);
    EXPECT_FALSE(property.IsUserProperty());

    char temporary[32] = "My \"quoted\" name";
    info.SetAllocatedName(temporary);
    temporary[0] = 'X';
    EXPECT_STREQ("My quoted name", property.GetPropertyName());
    EXPECT_TRUE(info.GetFlag(KPropertyInfo::kAllocatedName));
    // Clearing flag 32 from outside cannot orphan or double-free the copy.
    info.ModifyFlag(KPropertyInfo::kAllocatedName, false);
    EXPECT_TRUE(info.GetFlag(KPropertyInfo::kAllocatedName));
    info.SetName("Borrowed");
    EXPECT_FALSE(info.GetFlag(KPropertyInfo::kAllocatedName));

    property.ModifyPropertyFlag(kPropertyFlagAnimated | kPropertyFlagReadOnly, true);
    EXPECT_TRUE(property.IsAnimated());
    EXPECT_TRUE(property.IsReadOnly());
    property.SetReadOnly(false);
    EXPECT_FALSE(property.IsReadOnly());
    property.SetEnable(false);
    EXPECT_FALSE(property.GetEnable());
    EXPECT_EQ(kPropertyFlagAnimated | kPropertyFlagDisabled, property.GetPropertyFlags());

    EXPECT_TRUE(std::isinf(property.GetPropertyMin()) && property.GetPropertyMin() < 0);
    property.SetPropertyMinMax(-1.0, 1.0);
    EXPECT_EQ(1.0, property.GetPropertyMax());
}

TEST(PropertyCreate, EachTypeGetsTheMatchingValueTemplate)
{
    KObject object;
    const struct {
        kPropertyType mType;
        bool mMade;
    } cases[] = {{kPropertyUnknown, false}, {kPropertyInt, true},       {kPropertyBool, true},
                 {kPropertyFloat, true},    {kPropertyDouble, true},    {kPropertyCharPtr, true},
                 {kPropertyEnum, true},     {kPropertyTime, true},      {kPropertyString, true},
                 {kPropertyObject, true},   {kPropertyEvent, false},    {kPropertyStringList, false},
                 {kPropertyVector4D, true}, {kPropertyVector3D, true},  {kPropertyColorRGB, true},
                 {kPropertyColorRGBA, true}, {kPropertyAction, true},   {kPropertyReference, false},
                 {kPropertyVectorElement, false}};
    for (const auto& c : cases) {
        const char* name = KPropertyTypeName(c.mType);
        KProperty* property = object.CreatePropertyFromType(name, c.mType, nullptr, true, false, nullptr);
        ASSERT_EQ(c.mMade, property != nullptr) << name;
        if (!property)
            continue;
        EXPECT_EQ(c.mType, property->GetPropertyType()) << name;
        EXPECT_TRUE(property->IsDynamic());
        EXPECT_TRUE(property->IsAnimatable());
        EXPECT_EQ(&object, property->GetPropertyOwner());
        EXPECT_EQ(property, object.FindPropertyByName(name));
    }
    EXPECT_TRUE(object.FindPropertyByName("object")->IsPropertyObjectList());
    EXPECT_EQ(nullptr, object.CreatePropertyFromType(nullptr, kPropertyInt, nullptr, false, false, nullptr));
    EXPECT_STREQ("VectorElement", KPropertyTypeName(18));
    EXPECT_EQ(nullptr, KPropertyTypeName(19));
    // The dynamic properties are freed with the object (checked by the leak
    // checker at exit).
}

TEST(PropertyCreate, CopiesTheValueOfTheGivenProperty)
{
    KObject object;
    KPropertyTemplate<KgeTVector> source;
    source.SetValue(KgeTVector(4.0, 5.0, 6.0));
    KProperty* copy = object.CreatePropertyFromType("Copy", kPropertyVector3D,
                                                    KDataTypeLclTranslation::DataType, false, false, &source);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(KDataTypeLclTranslation::DataType, copy->GetPropertyDataType());
    double out[3] = {};
    ASSERT_TRUE(copy->GetData(out));
    EXPECT_EQ(5.0, out[1]);
}

TEST(ObjectLifetime, DestructTearsDownInOrderAndFreesDynamicProperties)
{
    Log log;
    RecordingObject* object = new RecordingObject("Obj", &log);
    RecordingObject target("Target", &log);
    KPropertyObjectList* list = KPropertyObjectList::Create(object, "Links", KPlug::eNormalPlug, -1, 1,
                                                            KPlug::eDirectionAll, 0);
    ASSERT_NE(nullptr, list);
    ASSERT_TRUE(list->Add(&target));
    ASSERT_TRUE(object->ConnectSrc(&target));
    log.clear();
    object->Destroy(0);
    // The property's connection goes first (forwarded to its owner), then the
    // object's own; the list is then freed (no leak) and target is clean.
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ((RecordedEvent{"Obj", kPlugDisconnectSrc, list, &target}), log[0]);
    EXPECT_EQ(0, target.GetDstCount());
}

TEST(ObjectLifetime, DeletingWithoutDestructStillFreesDynamicProperties)
{
    KObject* object = new KObject;
    KPlug peer;
    KProperty* property = object->CreatePropertyFromType("Dyn", kPropertyDouble, nullptr, false, false, nullptr);
    ASSERT_TRUE(property->ConnectSrc(&peer));
    delete object;  // no leak, and the peer holds no dangling entry
    EXPECT_EQ(0, peer.GetDstCount());
}

TEST(ObjectLifetime, PropertyIndexDestroyOnlyDisconnectsEmbeddedProperties)
{
    Log log;
    TestSet set(&log);
    KPlug peer;
    ASSERT_TRUE(set.mSize.ConnectSrc(&peer));
    EXPECT_EQ(1, set.PropertyIndexDestroy(99));
    EXPECT_EQ(0, set.PropertyIndexDestroy(0));
    EXPECT_EQ(3, set.GetPropertyCount());
    EXPECT_EQ(0, set.mSize.GetSrcCount());
    EXPECT_EQ(nullptr, set.FindPropertyByName("Size"));
}

TEST(ObjectLifetime, PropertyListEventsFrameAdditionsAndRemovals)
{
    struct Watcher : KObject {
        std::vector<int> mEvents;
        void PropertyNotify(kPropertyNotify e, KProperty*) override { mEvents.push_back(e); }
    } watcher;
    KPropertyTemplate<int> property;
    watcher.PropertyAddToList(&property);
    watcher.PropertyIndexRemoveFromList(0);
    EXPECT_EQ((std::vector<int>{kPropertyAdding, kPropertyAdded, kPropertyRemoving, kPropertyRemoved}),
              watcher.mEvents);
    EXPECT_FALSE(watcher.PropertyIndexRemoveFromList(0));
}

}  // namespace
}  // namespace qelsdk_600
