// What properties share with their class and keep apart from it: rows,
// the class's name table, the list owner, a filter kept alone, and the
// watch that lets an owner defer work on an object.
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "object/kclassdefinition.h"
#include "object/kdatatype.h"
#include "object/kobject.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {
namespace {

// Three properties on the rows of one "class", registered in row order.
class RowSet : public KObject {
public:
    double SizeGet() { return mSize.GetValue(); }
    void SizeSet(double pValue) { mSize.SetValue(pValue); }

    RowSet()
    {
        static const KPropertyRow kRows[] = {
            {"Size", {KPropertyGetter(&RowSet::SizeGet), KPropertySetter(&RowSet::SizeSet), nullptr}, nullptr},
            {"Show", {nullptr, nullptr, nullptr}, nullptr},
            {"Size", {nullptr, nullptr, nullptr}, nullptr},  // a second row of that name
        };
        static const KPropertyNames kNames(kRows, 3);
        KProperty* members[] = {&mSize, &mShow, &mAlias};
        for (int i = 0; i < 3; ++i) {
            members[i]->SetPropertyInfo(this, &kRows[i]);
            PropertyAddToList(members[i]);
        }
        UseClassNames(&kNames);
    }
    void WatchEnded() override { ++mWatchEnded; }
    const char* Text(int pValue) { return pValue == 1 ? "one" : nullptr; }

    KPropertyTemplate<double> mSize;
    KPropertyTemplate<bool> mShow;
    KPropertyTemplate<double> mAlias;
    int mWatchEnded = 0;
};

TEST(PropertyRows, ARowIsSharedUntilOnePropertyIsGivenItsOwn)
{
    KDataType* const vector = KDataTypeVector::DataType;
    const std::function<void(KProperty&)> changes[] = {
        [](KProperty& p) { p.GetPropertyInfo().SetName("Renamed"); },
        [](KProperty& p) { p.SetPropertyName("Re\"named"); },
        [](KProperty& p) { p.GetPropertyInfo().SetGetter(nullptr); },
        [vector](KProperty& p) { p.SetPropertyDataType(vector); },
    };
    for (std::size_t c = 0; c < sizeof(changes) / sizeof(changes[0]); ++c) {
        SCOPED_TRACE(c);
        RowSet first, second;
        changes[c](first.mSize);
        EXPECT_NE(first.mSize.GetPropertyRow(), second.mSize.GetPropertyRow());
        // The other set's property on that row is as registered.
        EXPECT_STREQ(second.mSize.GetPropertyName(), "Size");
        EXPECT_TRUE(second.mSize.GetPropertyInfo().GetGetter());
        EXPECT_EQ(second.mSize.GetPropertyDataType(), nullptr);
        // The changed one keeps the rest of its row.
        EXPECT_TRUE(first.mSize.GetPropertyInfo().GetSetter());
        second.mSize.Set(2.5);
        EXPECT_DOUBLE_EQ(second.mSize.Get(), 2.5);
    }
    RowSet set;
    set.mSize.SetPropertyName("Re\"named");
    EXPECT_STREQ(set.mSize.GetPropertyName(), "Renamed");
    EXPECT_TRUE(set.mSize.GetPropertyInfo().GetFlag(KPropertyInfo::kAllocatedName));
}

TEST(PropertyRows, NameLookupsFollowRenamesRemovalsAndAdditions)
{
    RowSet set;
    // The first property of a name wins, from the class's table as well.
    EXPECT_EQ(set.FindPropertyByName("Size"), &set.mSize);
    EXPECT_EQ(set.FindPropertyByName("Show"), &set.mShow);
    KProperty* added = set.CreatePropertyFromType("Added", kPropertyBool, nullptr, false, false, nullptr);
    EXPECT_EQ(set.FindPropertyByName("Added"), added);
    EXPECT_EQ(set.FindPropertyByName("Missing"), nullptr);
    set.mSize.GetPropertyInfo().SetName("Length");
    EXPECT_EQ(set.FindPropertyByName("Size"), &set.mAlias);
    EXPECT_EQ(set.FindPropertyByName("Length"), &set.mSize);
    set.PropertyIndexRemoveFromList(0);
    EXPECT_EQ(set.FindPropertyByName("Length"), nullptr);
    EXPECT_EQ(set.FindPropertyByName("Show"), &set.mShow);
    EXPECT_EQ(set.FindPropertyByName("Added"), added);

    // A table is refused by an object whose list does not start with its rows.
    RowSet other;
    static const KPropertyRow kOtherRows[] = {{"Show", {nullptr, nullptr, nullptr}, nullptr}};
    static const KPropertyNames kOtherNames(kOtherRows, 1);
    other.UseClassNames(&kOtherNames);
    EXPECT_EQ(other.FindPropertyByName("Show"), &other.mShow);
}

TEST(PropertyRows, TheListOwnerOutlastsAChangeOfOwner)
{
    KObject lister, owner;
    KPropertyTemplate<int>* property = new KPropertyTemplate<int>;
    property->SetPropertyInfo("P", &lister, nullptr, nullptr);
    lister.PropertyAddToList(property);
    owner.ConnectOwnedPlug(property);
    EXPECT_EQ(property->GetOwner(), &owner);
    EXPECT_EQ(lister.GetPropertyIndex(property), 0);
    EXPECT_EQ(owner.PropertyAddToList(property), -1);  // still listed
    delete property;
    EXPECT_EQ(lister.GetPropertyCount(), 0);
    EXPECT_EQ(owner.GetOwnedPlugCount(), 0);
}

TEST(PropertyRows, AFilterKeptAloneSurvivesTheFirstConnection)
{
    KPlugFilter* filter = KPlug_GetFilter(KObject::ClassId);
    KPlug plug, other;
    plug.SetFilter(filter, KPlug::eNormalPlug);
    EXPECT_EQ(plug.GetFilter(), filter);
    EXPECT_TRUE(plug.ConnectSrc(&other));
    EXPECT_EQ(plug.GetFilter(), filter);
    EXPECT_EQ(plug.GetSrc(0), &other);
    plug.SetFilter(nullptr, KPlug::eNormalPlug);
    EXPECT_EQ(plug.GetFilter(), nullptr);
}

// An object with room of its own for two double properties.
class RoomSet : public KObject {
public:
    static constexpr std::size_t kOne = (sizeof(KPropertyTemplate<double>) + 15) & ~std::size_t(15);
    KPropertyRoom* GetPropertyRoom() override { return &mRoom; }
    bool InRoom(const KProperty* pProperty) const
    {
        const unsigned char* at = reinterpret_cast<const unsigned char*>(pProperty);
        return at >= mBytes && at < mBytes + sizeof(mBytes);
    }
    alignas(16) unsigned char mBytes[2 * kOne];
    KPropertyRoom mRoom{mBytes, sizeof(mBytes)};
};

// Properties made on rows fill the object's room, then go to the heap; each
// ends once, whether it is destroyed by itself, with its object's Destruct,
// or by an object deleted without Destruct.
TEST(PropertyRoom, PropertiesFillTheRoomThenTheHeapAndEachEndsOnce)
{
    static const KPropertyRow kRows[] = {
        {"A", {nullptr, nullptr, nullptr}, nullptr},
        {"B", {nullptr, nullptr, nullptr}, nullptr},
        {"C", {nullptr, nullptr, nullptr}, nullptr},
    };
    enum Ending { kDestroy, kDeleteOnly, kEachFirst };
    for (Ending ending : {kDestroy, kDeleteOnly, kEachFirst}) {
        SCOPED_TRACE(ending);
        RoomSet* set = new RoomSet;
        KObject peer;
        KProperty* made[3];
        for (int i = 0; i < 3; ++i) {
            made[i] = set->CreatePropertyOnRow(&kRows[i], kPropertyDouble);
            ASSERT_NE(made[i], nullptr);
            made[i]->SetDouble(i + 0.5);
            ASSERT_TRUE(made[i]->ConnectDst(&peer));
        }
        EXPECT_TRUE(set->InRoom(made[0]));
        EXPECT_TRUE(set->InRoom(made[1]));
        EXPECT_FALSE(set->InRoom(made[2]));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(set->GetProperty(i), made[i]);
            EXPECT_STREQ(made[i]->GetPropertyName(), kRows[i].mName);
            EXPECT_TRUE(made[i]->IsDynamic());
            EXPECT_EQ(made[i]->AsDouble(), i + 0.5);
        }
        EXPECT_EQ(peer.GetSrcCount(), 3);
        if (ending == kEachFirst) {
            EXPECT_TRUE(set->PropertyDestroy(made[1]));
            EXPECT_EQ(set->GetPropertyCount(), 2);
            EXPECT_EQ(peer.GetSrcCount(), 2);
            EXPECT_EQ(set->GetProperty(1), made[2]);
            made[0]->Destroy();
            EXPECT_EQ(set->GetPropertyCount(), 1);
            EXPECT_EQ(made[2]->AsDouble(), 2.5);
        }
        if (ending == kDeleteOnly)
            delete set;
        else
            set->Destroy();
        EXPECT_EQ(peer.GetSrcCount(), 0);
    }
}

// Each change ends the watch once, before it is made; what is not watched
// leaves it on.
TEST(PropertyWatch, TheFirstWatchedChangeEndsTheWatchOnce)
{
    struct Case {
        const char* mName;
        std::function<void(RowSet&)> mChange;
        bool mEnds;
    };
    const Case cases[] = {
        {"animatable value", [](RowSet& s) { s.mSize.Set(4.0); }, true},
        {"same value", [](RowSet& s) { s.mSize.Set(0.0); }, false},
        {"value not animatable", [](RowSet& s) { s.mShow.SetValue(true); }, false},
        {"name", [](RowSet& s) { s.mShow.GetPropertyInfo().SetName("Hide"); }, true},
        {"type", [](RowSet& s) { s.mShow.SetPropertyType(kPropertyInt); }, true},
        {"data type", [](RowSet& s) { s.mShow.SetPropertyDataType(KDataTypeBool::DataType); }, true},
        {"information flag", [](RowSet& s) { s.mShow.GetPropertyInfo().ModifyFlag(KPropertyInfo::kTemporary, true); },
         true},
        {"property flag", [](RowSet& s) { s.mShow.ModifyPropertyFlag(kPropertyFlagReadOnly, true); }, false},
        {"label", [](RowSet& s) { s.mShow.SetPropertyLabel("Seen"); }, false},
        {"addition", [](RowSet& s) { s.CreatePropertyFromType("X", kPropertyInt, nullptr, false, false, nullptr); },
         true},
        {"removal", [](RowSet& s) { s.PropertyIndexRemoveFromList(2); }, true},
        {"unwatched", [](RowSet& s) { s.Unwatch(); s.mSize.Set(4.0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        RowSet set;
        set.mSize.GetPropertyInfo().ModifyFlag(KPropertyInfo::kAnimatable, true);
        set.Watch();
        c.mChange(set);
        EXPECT_EQ(set.mWatchEnded, c.mEnds ? 1 : 0);
        EXPECT_EQ(set.IsWatched(), !c.mEnds && std::string(c.mName) != "unwatched");
        set.mSize.Set(9.0);
        set.mShow.GetPropertyInfo().SetName("Again");
        EXPECT_EQ(set.mWatchEnded, c.mEnds || std::string(c.mName) != "unwatched" ? 1 : 0);
    }
}

// ListMember leaves a member as SetPropertyInfo then PropertyAddToList
// would, whether its few stores serve or the object or the property needs
// the usual calls.
TEST(PropertyRows, AListedMemberEndsAsTheUsualCallsLeaveIt)
{
    static const KPropertyRow kRow = {"Extra", {nullptr, nullptr, KPropertyAsString(&RowSet::Text)}, nullptr};
    const std::pair<const char*, std::function<void(RowSet&, KProperty&, KObject&)>> cases[] = {
        {"untouched", [](RowSet&, KProperty&, KObject&) {}},
        {"name index",
         [](RowSet& s, KProperty&, KObject&) {
             s.mShow.GetPropertyInfo().SetName("Hide");
             s.FindPropertyByName("Hide");
         }},
        {"watched", [](RowSet& s, KProperty&, KObject&) { s.Watch(); }},
        {"owned elsewhere", [](RowSet&, KProperty& p, KObject& o) { o.ConnectOwnedPlug(&p); }},
        {"lists apart", [](RowSet& s, KProperty&, KObject&) { s.PropertyIndexRemoveFromList(0); }},
        {"own row", [](RowSet&, KProperty& p, KObject&) { p.SetPropertyName("Old"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        KObject other;
        RowSet set;
        KPropertyTemplate<int> extra;
        c.second(set, extra, other);
        set.ListMember<RowSet>(&extra, &kRow);
        EXPECT_EQ(set.GetProperty(set.GetPropertyCount() - 1), &extra);
        EXPECT_EQ(set.GetOwnedPlug(set.GetOwnedPlugCount() - 1), &extra);
        EXPECT_EQ(extra.GetPropertyOwner(), &set);
        EXPECT_EQ(other.GetOwnedPlugCount(), 0);
        EXPECT_EQ(set.FindPropertyByName("Extra"), &extra);
        EXPECT_EQ(extra.GetPropertyRow(), &kRow);
        EXPECT_EQ(extra.GetPropertyInfo().GetFlags(), KPropertyInfo::kHasAsStringFunc);
        EXPECT_EQ(set.mWatchEnded, std::string(c.first) == "watched" ? 1 : 0);
    }
}

}  // namespace
}  // namespace qelsdk_600
