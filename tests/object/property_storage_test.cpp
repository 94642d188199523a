// What properties share with their class and keep apart from it: rows,
// the class's name table, the list owner, a filter kept alone, and the
// watch that lets an owner defer work on an object.
#include <functional>
#include <string>

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

}  // namespace
}  // namespace qelsdk_600
