#include <gtest/gtest.h>

#include <vector>

#include "event_recorder.h"
#include "object/kpropertyobjectlist.h"

namespace qelsdk_600 {
namespace {

typedef std::vector<RecordedEvent> Log;

struct ListFixture : ::testing::Test {
    Log log;
    RecordingObject owner{"Owner", &log};
    RecordingObject a{"A", nullptr}, b{"B", nullptr}, c{"C", nullptr};
    KPropertyObjectList* list = nullptr;

    void SetUp() override
    {
        list = KPropertyObjectList::Create(&owner, "Objects", KPlug::eNormalPlug, -1, 1,
                                           KPlug::eDirectionAll, 0);
        ASSERT_NE(nullptr, list);
    }

    std::vector<KObject*> Contents() const
    {
        std::vector<KObject*> objects;
        for (int i = 0; i < list->GetCount(); ++i)
            objects.push_back(list->GetAt(i));
        return objects;
    }
};

TEST_F(ListFixture, CreateMakesANamedDynamicObjectListOfTheOwner)
{
    EXPECT_EQ(list, owner.FindPropertyByName("Objects"));
    EXPECT_EQ(kPropertyObject, list->GetPropertyType());
    EXPECT_TRUE(list->IsDynamic());
    EXPECT_TRUE(list->IsPropertyList());
    EXPECT_TRUE(list->IsPropertyObjectList());
    EXPECT_TRUE(list->Is(KPropertyObjectList::ClassId));
    EXPECT_TRUE(list->Is(KProperty::ClassId));
    EXPECT_FALSE(list->Is(KObject::ClassId));
    int value = 0, classId = 0;
    list->GetContentSpec(value, classId);
    EXPECT_EQ(1, value);
    EXPECT_EQ(-1, classId);
    EXPECT_EQ(nullptr, KPropertyObjectList::Create(&owner, nullptr, KPlug::eNormalPlug, -1, 1,
                                                   KPlug::eDirectionAll, 0));
}

TEST_F(ListFixture, SetAtPastTheEndAppends)
{
    EXPECT_TRUE(list->SetAt(0, &a));
    EXPECT_TRUE(list->SetAt(5, &b));
    EXPECT_EQ((std::vector<KObject*>{&a, &b}), Contents());
    EXPECT_EQ(nullptr, list->GetAt(2));
    EXPECT_EQ(nullptr, list->GetAt(-1));
    EXPECT_FALSE(list->SetAt(-1, &c));
    EXPECT_FALSE(list->SetAt(0, nullptr));
}

TEST_F(ListFixture, SetAtReplacesInPlaceWithDisconnectionThenConnection)
{
    ASSERT_TRUE(list->Add(&a));
    ASSERT_TRUE(list->Add(&b));
    ASSERT_TRUE(list->Add(&c));
    RecordingObject d("D", nullptr);
    log.clear();
    int before = list->GetUpdateID();
    ASSERT_TRUE(list->SetAt(1, &d));
    EXPECT_EQ((std::vector<KObject*>{&a, &d, &c}), Contents());
    EXPECT_EQ(0, b.GetDstCount());
    std::vector<int> actions;
    for (const RecordedEvent& event : log)
        actions.push_back(event.mAction);
    EXPECT_EQ((std::vector<int>{kPlugReplaceBegin, kPlugDisconnectSrc, kPlugDisconnectedSrc,
                                kPlugConnectSrcRequest, kPlugConnectedSrc, kPlugReplaceEnd}),
              actions);
    EXPECT_GT(list->GetUpdateID(), before);
    // An object listed elsewhere is not moved; the same object in place is a no-op success.
    EXPECT_FALSE(list->SetAt(0, &c));
    EXPECT_TRUE(list->SetAt(2, &c));
    EXPECT_EQ((std::vector<KObject*>{&a, &d, &c}), Contents());
}

TEST_F(ListFixture, ClearSendsSixAndEightPerEntry)
{
    ASSERT_TRUE(list->Add(&a));
    ASSERT_TRUE(list->Add(&b));
    log.clear();
    list->Clear();
    EXPECT_EQ(0, list->GetCount());
    int six = 0, eight = 0;
    for (const RecordedEvent& event : log) {
        EXPECT_EQ(list, event.mPlug);
        six += event.mAction == kPlugDisconnectSrc;
        eight += event.mAction == kPlugDisconnectedSrc;
    }
    EXPECT_EQ(2, six);
    EXPECT_EQ(2, eight);
}

TEST_F(ListFixture, RemovalAndLookup)
{
    ASSERT_TRUE(list->Add(&a));
    ASSERT_TRUE(list->Add(&b));
    EXPECT_EQ(1, list->FindIndex(&b));
    EXPECT_EQ(-1, list->FindIndex(&c));
    EXPECT_FALSE(list->Remove(&c));
    EXPECT_FALSE(list->RemoveAt(7));
    EXPECT_TRUE(list->RemoveAt(0));
    EXPECT_EQ((std::vector<KObject*>{&b}), Contents());
    EXPECT_TRUE(list->Remove(&b));
    EXPECT_EQ(0, list->GetCount());
}

TEST_F(ListFixture, EntriesThatAreNotObjectsReadAsNull)
{
    KPlug plain;
    ASSERT_TRUE(list->ConnectSrc(&plain));
    EXPECT_EQ(1, list->GetCount());
    EXPECT_EQ(nullptr, list->GetAt(0));
}

TEST_F(ListFixture, DestinationListHoldsItsObjectsAsDestinations)
{
    KPropertyObjectList* targets = KPropertyObjectList::Create(&owner, "Targets", KPlug::eNormalPlug, -1, 1,
                                                               KPlug::eDirectionDst, 0);
    ASSERT_TRUE(targets->Add(&a));
    EXPECT_EQ(1, targets->GetDstCount());
    EXPECT_EQ(0, targets->GetSrcCount());
    EXPECT_TRUE(a.IsConnectedSrc(targets));
    EXPECT_EQ(&a, targets->GetAt(0));
    int before = targets->GetUpdateID();
    ASSERT_TRUE(a.DisconnectSrc(targets));  // from outside the list
    EXPECT_GT(targets->GetUpdateID(), before);
    EXPECT_EQ(0, targets->GetCount());
}

TEST_F(ListFixture, OutsideConnectionsRaiseTheUpdateId)
{
    int before = list->GetUpdateID();
    ASSERT_TRUE(list->ConnectSrc(&a));
    EXPECT_EQ(before + 1, list->GetUpdateID());
    ASSERT_TRUE(list->DisconnectSrc(&a));
    EXPECT_EQ(before + 2, list->GetUpdateID());
}

TEST_F(ListFixture, ListedObjectDestroyedLeavesTheList)
{
    RecordingObject* doomed = new RecordingObject("Doomed", nullptr);
    ASSERT_TRUE(list->Add(doomed));
    ASSERT_TRUE(list->Add(&a));
    delete doomed;
    EXPECT_EQ((std::vector<KObject*>{&a}), Contents());
}

}  // namespace
}  // namespace qelsdk_600
