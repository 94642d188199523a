#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "node_test_util.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqelpropertyset.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenodecontainer.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {

// A container of a double, a vector, a colour and a colour with alpha, all
// animated, beside one static integer.
#define TEST_CONTAINER_PROPERTIES(V, E, L, A) \
    V(int, Count, "Count", 0, 0)              \
    A("Weight", "Number")                     \
    A("Offset", "Vector")                     \
    A("Tint", "Color")                        \
    A("Glow", "ColorAndAlpha")

class TestContainerProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(TestContainerProperties)

public:
    explicit TestContainerProperties(KQelTakeNodeContainer* pOwner) : KQelOwnedPropertyHandler(pOwner)
    {
        QEL_PROPERTY_SET_REGISTER(TEST_CONTAINER_PROPERTIES);
    }
    QEL_PROPERTY_SET_BODY(TEST_CONTAINER_PROPERTIES)
};

QEL_CLASS_IDENTITY_DEFINE(TestContainerProperties, KQelPropertyHandler)

class TestContainer : public KQelTakeNodeContainer {
public:
    TestContainer(KQelSdkManager& pManager, const char* pName)
        : KQelTakeNodeContainer(pManager, pName, &mError), mError(kErrors, 1),
          mProperties(new TestContainerProperties(this))
    {
        Init();
    }
    // The property set goes first, as in every concrete class: the take
    // nodes then die with records whose properties are gone.
    ~TestContainer() override { mProperties->Destroy(0); }
    // Takes only: each object keeps its own property set.
    TestContainer& operator=(TestContainer& pOther)
    {
        KQelTakeNodeContainer::operator=(pOther);
        return *this;
    }

    ENameSpace GetNameSpace() const override { return eDeformer; }
    KQelPropertyHandler* GetPropertyHandler() override { return mProperties; }
    void AddChannels(KQelTakeNode* pTakeNode) override
    {
        for (int i = 0; i < mProperties->GetPropertyCount(); ++i) {
            KProperty* property = mProperties->GetProperty(i);
            if (property->IsAnimatable())
                CreateChannelsForProperty(property, pTakeNode);
        }
    }
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override
    {
        return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
    }

    KProperty* Property(const char* pName) { return mProperties->FindPropertyByName(pName); }
    // The default value of the curve at a "/" path of a take.
    KFCurve* Curve(int pTake, const char* pPath)
    {
        KFCurveNode* node = GetTakeNode(pTake)->GetKFCurveNode()->FindRecursive(pPath);
        return node ? node->FCurveGet() : nullptr;
    }

    static constexpr const char* kErrors[] = {"Error"};
    KError mError;
    TestContainerProperties* mProperties;
};

namespace {

// Counts the events a curve delivers.
struct EventCounter {
    int mEvents = 0;
    static void Callback(KFCurve*, KFCurveEvent*, void* pObject) { ++static_cast<EventCounter*>(pObject)->mEvents; }
};

std::vector<double> Doubles(KProperty* pProperty)
{
    double values[4] = {0.0, 0.0, 0.0, 0.0};
    pProperty->GetData(values);
    return std::vector<double>(values, values + 4);
}

TEST(KQelTakeNodeContainer, NewContainerHoldsTheDefaultTakeWithChannelsOfAnimatedProperties)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    ASSERT_EQ(object.GetTakeNodeCount(), 1);
    EXPECT_STREQ(object.GetTakeNodeName(0), "Default");
    EXPECT_EQ(object.GetCurrentTakeNodeIndex(), 0);
    EXPECT_EQ(object.GetDefaultTakeNode(), object.GetTakeNode(0));
    const char* const channels[] = {"Weight", "Offset/X", "Offset/Z", "Tint/Y", "Glow/toto"};
    for (const char* path : channels)
        EXPECT_TRUE(object.Curve(0, path)) << path;
    EXPECT_EQ(object.Curve(0, "Count"), nullptr);
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), 1 + 3 + 3 + 4);

    EXPECT_FALSE(object.RemoveTakeNode(0));
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Cannot remove default take node");
    object.mError.ClearLastError();
    EXPECT_FALSE(object.RemoveTakeNode("Default"));
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Cannot remove default take node");
}

TEST(KQelTakeNodeContainer, NewTakesStartAsIndependentCopiesOfTheDefaultTake)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    KFCurve* weight = object.Curve(0, "Weight");
    weight->KeyAdd(Frame(0));
    weight->KeyAdd(Frame(10));
    weight->SetValue(2.5f);

    KQelTakeNode* take = object.CreateTakeNode("Take 001");
    ASSERT_TRUE(take);
    KFCurve* copy = object.Curve(1, "Weight");
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, weight);
    EXPECT_EQ(copy->KeyGetCount(), 2);
    EXPECT_EQ(copy->GetValue(), 2.5f);
    copy->KeyAdd(Frame(5));
    EXPECT_EQ(weight->KeyGetCount(), 2);
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), 11);  // copies carry no callbacks

    EXPECT_EQ(object.CreateTakeNode("Take 001"), nullptr);
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Take node already exists");
    EXPECT_TRUE(object.CreateTakeNode("take 001"));  // names compare with case
    EXPECT_EQ(object.GetTakeNodeCount(), 3);
}

TEST(KQelTakeNodeContainer, RemovingTakesKeepsTheCurrentIndexOnASensibleTake)
{
    struct Case {
        int current;
        int removeIndex;         // -1: by name
        const char* removeName;
        bool removed;
        const char* currentAfter;
        const char* error;
    } cases[] = {
        {2, -1, "A", true, "B", ""},
        {2, 1, nullptr, true, "B", ""},
        {1, 1, nullptr, true, "Default", ""},
        {1, -1, "A", true, "Default", ""},
        {1, -1, "B", true, "A", ""},
        {2, 3, nullptr, false, "B", "Index out of range"},
        {2, -2, nullptr, false, "B", "Index out of range"},
        {2, -1, "C", false, "B", "Unknown take node name"},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        TestContainer object(manager, "Thing");
        object.CreateTakeNode("A");
        object.CreateTakeNode("B");
        ASSERT_TRUE(object.SetCurrentTakeNode(c.current));
        const bool removed = c.removeName ? object.RemoveTakeNode(c.removeName) : object.RemoveTakeNode(c.removeIndex);
        EXPECT_EQ(removed, c.removed);
        EXPECT_STREQ(object.GetCurrentTakeNodeName(), c.currentAfter)
            << "current " << c.current << " remove " << (c.removeName ? c.removeName : "index");
        EXPECT_STREQ(object.mError.GetLastErrorString(), c.error);
    }
}

TEST(KQelTakeNodeContainer, FailedLookupsReportAndFallBackToTheDefaultTake)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    object.CreateTakeNode("A");
    ASSERT_TRUE(object.SetCurrentTakeNode("A"));
    EXPECT_FALSE(object.SetCurrentTakeNode(5));
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Index out of range");
    EXPECT_EQ(object.GetCurrentTakeNodeIndex(), 0);
    ASSERT_TRUE(object.SetCurrentTakeNode(1));
    EXPECT_FALSE(object.SetCurrentTakeNode("a"));
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Unknown take node name");
    EXPECT_EQ(object.GetCurrentTakeNodeIndex(), 0);
    object.mError.ClearLastError();
    EXPECT_EQ(object.GetTakeNode(2), nullptr);
    EXPECT_STREQ(object.mError.GetLastErrorString(), "Take node does not exist");
    EXPECT_EQ(object.GetTakeNodeName(-1), nullptr);
}

TEST(KQelTakeNodeContainer, AnimationIsLookedForOutsideTheDefaultTake)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    object.CreateTakeNode("A");
    object.Curve(0, "Weight")->KeyAdd(Frame(1));
    EXPECT_FALSE(object.IsChannelAnimated(nullptr, nullptr, "Weight"));  // default keys do not count
    KTime start = KTIME_INFINITE;
    KTime stop = KTIME_MINUS_INFINITE;
    ASSERT_TRUE(object.SetCurrentTakeNode("A"));
    EXPECT_FALSE(object.GetAnimationInterval(start, stop));
    EXPECT_EQ(start, KTIME_INFINITE);

    object.Curve(1, "Offset/Y")->KeyAdd(Frame(4));
    object.Curve(1, "Tint/Z")->KeyAdd(Frame(20));
    EXPECT_TRUE(object.IsChannelAnimated(nullptr, "Offset", "Y"));
    EXPECT_FALSE(object.IsChannelAnimated(nullptr, "Offset", "X"));
    start = Frame(10);
    stop = Frame(12);  // widened only where the keys lie outside
    ASSERT_TRUE(object.GetAnimationInterval(start, stop));
    EXPECT_EQ(start, Frame(4));
    EXPECT_EQ(stop, Frame(20));
}

TEST(KQelTakeNodeContainer, AssignmentCopiesTakesButNotTheirCallbacks)
{
    KQelSdkManager manager;
    TestContainer source(manager, "Source");
    source.CreateTakeNode("A");
    source.Curve(1, "Weight")->KeyAdd(Frame(2));
    source.SetCurrentTakeNode(1);
    TestContainer target(manager, "Target");
    target.CreateTakeNode("X");
    target.CreateTakeNode("Y");
    target = source;
    ASSERT_EQ(target.GetTakeNodeCount(), 2);
    EXPECT_STREQ(target.GetTakeNodeName(1), "A");
    EXPECT_EQ(target.GetCurrentTakeNodeIndex(), 1);
    EXPECT_EQ(target.Curve(1, "Weight")->KeyGetCount(), 1);
    EXPECT_STREQ(target.GetName(), "Source");
    EXPECT_EQ(target.GetDefaultTakeCallbackCount(), 0);
}

// ---- Default-take synchronisation ----

// A default value set on a Default-take curve lands in its member of the
// property; other takes' curves are not tied to the property.
TEST(DefaultTakeSync, DefaultTakeCurvesWriteTheirMemberOfTheProperty)
{
    struct Case {
        const char* path;
        const char* property;
        int member;
        float value;
    } cases[] = {
        {"Weight", "Weight", 0, 3.0f},    {"Offset/X", "Offset", 0, -1.5f}, {"Offset/Z", "Offset", 2, 8.0f},
        {"Tint/Y", "Tint", 1, 0.25f},     {"Glow/Z", "Glow", 2, 0.5f},      {"Glow/toto", "Glow", 3, 0.75f},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        TestContainer object(manager, "Thing");
        object.CreateTakeNode("A");
        KProperty* property = object.Property(c.property);
        const std::vector<double> before = Doubles(property);
        object.Curve(1, c.path)->SetValue(c.value + 1.0f);  // not the Default take
        EXPECT_EQ(Doubles(property), before) << c.path;
        object.Curve(0, c.path)->SetValue(c.value);
        std::vector<double> expected = before;
        expected[static_cast<std::size_t>(c.member)] = c.value;
        EXPECT_EQ(Doubles(property), expected) << c.path;
    }
}

TEST(DefaultTakeSync, PropertiesReachTheDefaultTakeSilently)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    KFCurve* y = object.Curve(0, "Offset/Y");
    EventCounter counter;
    y->CallbackRegister(EventCounter::Callback, &counter);
    const double offset[3] = {1.0, 2.0, 3.0};
    object.Property("Offset")->SetData(offset);
    object.Property("Weight")->SetDouble(4.0);
    object.UpdateDefaultTakeFromProperties();
    EXPECT_EQ(y->GetValue(), 2.0f);
    EXPECT_EQ(object.Curve(0, "Weight")->GetValue(), 4.0f);
    EXPECT_EQ(counter.mEvents, 0);
    y->CallbackUnregister(EventCounter::Callback, &counter);
}

TEST(DefaultTakeSync, UserPropertiesGetChannelsInEveryTakeAndFollowTheirDefaults)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    object.CreateTakeNode("A");
    object.CreateTakeNode("B");
    ASSERT_TRUE(object.SetCurrentTakeNode("A"));
    const int recordsBefore = object.GetDefaultTakeCallbackCount();

    KQelUserProperty* mass = manager.CreateKQelUserProperty("Mass", "Real", "");
    mass->ModifyFlag(KQelUserProperty::eAnimatable, true);
    KQelUserProperty* aim = manager.CreateKQelUserProperty("Aim", "Vector", "");
    aim->ModifyFlag(KQelUserProperty::eAnimatable, true);
    object.AddProperty(mass);
    object.AddProperty(aim);
    ASSERT_TRUE(mass->GetKProperty());
    EXPECT_TRUE(mass->GetKProperty()->IsAnimated());
    for (int take = 0; take < 3; ++take) {
        EXPECT_TRUE(object.Curve(take, "Mass")) << take;
        EXPECT_TRUE(object.Curve(take, "Aim/Z")) << take;
    }
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), recordsBefore + 1 + 3);  // Default take only

    EventCounter counter;
    object.Curve(0, "Mass")->CallbackRegister(EventCounter::Callback, &counter);
    mass->SetDefaultValue(7.0);
    aim->SetDefaultValue(1.0, 2.0, 3.0);
    EXPECT_EQ(counter.mEvents, 0);
    EXPECT_EQ(object.Curve(0, "Mass")->GetValue(), 7.0f);  // Default
    EXPECT_EQ(object.Curve(1, "Mass")->GetValue(), 7.0f);  // current
    EXPECT_EQ(object.Curve(2, "Mass")->GetValue(), 0.0f);  // neither
    EXPECT_EQ(object.Curve(0, "Aim/Y")->GetValue(), 2.0f);
    object.Curve(0, "Mass")->CallbackUnregister(EventCounter::Callback, &counter);

    // And back: the Default curve writes the property.
    object.Curve(0, "Aim/X")->SetValue(-4.0f);
    double x = 0, y = 0, z = 0;
    aim->GetDefaultValue(x, y, z);
    EXPECT_EQ(x, -4.0);
    EXPECT_EQ(y, 2.0);
}

TEST(DefaultTakeSync, RemovedPropertiesLeaveNoCurvesNorRecords)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    object.CreateTakeNode("A");
    const int recordsBefore = object.GetDefaultTakeCallbackCount();
    const int propertiesBefore = object.mProperties->GetPropertyCount();
    KQelUserProperty* tint = manager.CreateKQelUserProperty("Shade", "Color", "");
    tint->ModifyFlag(KQelUserProperty::eAnimatable, true);
    object.AddProperty(tint);
    ASSERT_TRUE(object.Curve(1, "Shade/Y"));

    object.RemoveProperty(tint);
    EXPECT_EQ(object.Curve(0, "Shade"), nullptr);
    EXPECT_EQ(object.GetTakeNode(1)->GetKFCurveNode()->FindRecursive("Shade"), nullptr);
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), recordsBefore);
    EXPECT_EQ(object.mProperties->GetPropertyCount(), propertiesBefore);
    EXPECT_EQ(tint->GetKProperty(), nullptr);
}

// Descriptions that cannot become properties, and properties that are not
// animated, get no curves.
TEST(DefaultTakeSync, UnusableOrStaticUserPropertiesGetNoChannels)
{
    struct Case {
        const char* type;
        bool animatable;
        bool property;
    } cases[] = {{"Unidentified", true, false}, {"Nonsense", true, false}, {"Real", false, true}};
    KQelSdkManager manager;
    for (const Case& c : cases) {
        TestContainer object(manager, "Thing");
        const int records = object.GetDefaultTakeCallbackCount();
        KQelUserProperty* user = manager.CreateKQelUserProperty("Odd", c.type, "");
        user->ModifyFlag(KQelUserProperty::eAnimatable, c.animatable);
        object.AddProperty(user);
        EXPECT_EQ(user->GetKProperty() != nullptr, c.property) << c.type;
        EXPECT_EQ(object.GetTakeNode(0)->GetKFCurveNode()->FindRecursive("Odd"), nullptr) << c.type;
        EXPECT_EQ(object.GetDefaultTakeCallbackCount(), records);
        user->SetDefaultValue(3.0);  // no curve to follow: nothing happens
        object.RemoveProperty(user);
    }
}

TEST(DefaultTakeSync, PublishingWrapsEachPropertyOnceWithoutSecondCallbacks)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    const int records = object.GetDefaultTakeCallbackCount();
    object.PublishProperties();
    object.PublishProperties();
    EXPECT_EQ(object.GetPropertyCount(), object.mProperties->GetPropertyCount());
    EXPECT_EQ(manager.GetKQelUserPropertyCount(), object.GetPropertyCount());
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), records);
    KQelUserProperty* weight = object.FindPropertyByName("Weight");
    ASSERT_TRUE(weight);
    EXPECT_EQ(weight->GetPropertyHandler(), object.mProperties);
    object.Curve(0, "Weight")->SetValue(6.0f);  // one record: one write
    double value = 0;
    weight->GetDefaultValue(value);
    EXPECT_EQ(value, 6.0);
}

TEST(DefaultTakeSync, ADestroyedDefaultCurveTakesItsRecordAlong)
{
    KQelSdkManager manager;
    TestContainer object(manager, "Thing");
    const int records = object.GetDefaultTakeCallbackCount();
    KFCurveNode* node = object.GetTakeNode(0)->GetKFCurveNode()->FindRecursive("Weight");
    node->FCurveSet(KFCurveCreate(), true);
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), records - 1);
    object.Reset();  // fresh channels and records again
    EXPECT_EQ(object.GetDefaultTakeCallbackCount(), records);
}

}  // namespace
}  // namespace qelsdk_600
