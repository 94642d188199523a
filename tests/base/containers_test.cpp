#include "base/karraytemplate.h"
#include "base/kcharptrset.h"
#include "base/kset.h"
#include "base/kstringlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace qelsdk_600;

namespace {

std::vector<int> Items(const KArrayTemplate<int>& array)
{
    std::vector<int> items;
    for (int i = 0; i < array.GetCount(); ++i)
        items.push_back(array.GetAt(i));
    return items;
}

TEST(KArrayTemplateTest, InsertAtClampsItsIndex)
{
    KArrayTemplate<int> array(2);
    EXPECT_EQ(array.InsertAt(5, 10), 0);
    EXPECT_EQ(array.InsertAt(1, 30), 1);
    EXPECT_EQ(array.InsertAt(1, 20), 1);
    EXPECT_EQ(array.InsertAt(-4, 0), 0);
    EXPECT_EQ(array.InsertAt(1000, 40), 4);
    EXPECT_EQ(array.Add(50), 5);
    EXPECT_EQ(Items(array), (std::vector<int>{0, 10, 20, 30, 40, 50}));
}

TEST(KArrayTemplateTest, RemoveAtClosesTheGapAndIgnoresBadIndexes)
{
    KArrayTemplate<int> array;
    for (int i = 0; i < 5; ++i)
        array.Add(i);
    array.RemoveAt(0);
    array.RemoveAt(2);
    array.RemoveAt(-1);
    array.RemoveAt(3);
    EXPECT_EQ(Items(array), (std::vector<int>{1, 2, 4}));
}

TEST(KArrayTemplateTest, GrowthNeverExposesOldBytes)
{
    KArrayTemplate<int> array(4);
    for (int i = 1; i <= 6; ++i)
        array.Add(i);
    EXPECT_TRUE(array.SetCount(2));
    EXPECT_TRUE(array.SetCount(5));
    EXPECT_EQ(Items(array), (std::vector<int>{1, 2, 0, 0, 0}));
    EXPECT_EQ(array.AddMultiple(2), 5);
    EXPECT_EQ(array.GetCount(), 7);
    EXPECT_EQ(array.GetAt(6), 0);
    EXPECT_TRUE(array.Resize(1));
    EXPECT_TRUE(array.Resize(3));
    EXPECT_EQ(Items(array), (std::vector<int>{1, 0, 0}));
    array.Empty();
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.Add(9), 0);
    EXPECT_FALSE(array.SetCount(-1));
    EXPECT_EQ(array.AddMultiple(-1), -1);
    EXPECT_EQ(array.GetCount(), 1);
    array.Clear();
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetArray(), nullptr);
}

TEST(KArrayTemplateTest, AddMultipleAppendsCopiesOrZeros)
{
    KArrayTemplate<int> array(4);
    array.Add(7);
    const int items[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(array.AddMultiple(items, 5), 1);
    EXPECT_EQ(array.AddMultiple(nullptr, 2), 6);
    EXPECT_EQ(array.AddMultiple(items, 0), 8);
    EXPECT_EQ(array.AddMultiple(items, -1), -1);
    EXPECT_EQ(Items(array), (std::vector<int>{7, 1, 2, 3, 4, 5, 0, 0}));
}

TEST(KArrayTemplateTest, AddMultipleTakesTheFilledRoomPastTheCountAsItIs)
{
    KArrayTemplate<int> array(4);
    array.Add(7);
    ASSERT_TRUE(array.Reserve(6));
    int* room = array.GetArray() + 1;
    for (int i = 0; i < 5; ++i)
        room[i] = 10 * i;
    EXPECT_EQ(array.AddMultiple(room, 3), 1);
    EXPECT_EQ(array.GetArray() + 1, room);
    EXPECT_EQ(Items(array), (std::vector<int>{7, 0, 10, 20}));
}

TEST(KArrayTemplateTest, ReserveKeepsTheCountAndLaterAppendsInPlace)
{
    KArrayTemplate<int> array(3);
    array.Add(1);
    ASSERT_TRUE(array.Reserve(1000));
    EXPECT_EQ(array.GetCount(), 1);
    const int* storage = array.GetArray();
    for (int i = 0; i < 999; ++i)
        array.Add(i);
    EXPECT_EQ(array.GetArray(), storage);
    EXPECT_TRUE(array.Reserve(10));  // already room
    EXPECT_FALSE(array.Reserve(-1));
    EXPECT_EQ(array.GetCount(), 1000);
    EXPECT_EQ(array[999], 998);
}

TEST(KArrayTemplateTest, ManyAppendsKeepEveryItem)
{
    KArrayTemplate<int> array(1);
    const int count = 100000;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(array.Add(i * 3), i);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(array[i], i * 3);
}

TEST(KArrayTemplateTest, InsertsCopiesOfItsOwnItems)
{
    KArrayTemplate<int> array(2);
    array.Add(1);
    array.Add(2);
    // Full: the append grows the storage away from the item being copied.
    array.Add(array[0]);
    array.InsertAt(0, array[1]);
    array.InsertAt(2, array[3]);
    array.SetAt(1, array[1]);
    EXPECT_EQ(Items(array), (std::vector<int>{2, 1, 1, 2, 1}));
}

TEST(KArrayTemplateTest, OutOfRangeAccessIsHarmless)
{
    KArrayTemplate<double> array;
    array.Add(1.5);
    EXPECT_EQ(array.GetAt(-1), 0.0);
    EXPECT_EQ(array.GetAt(1), 0.0);
    array.SetAt(1, 7.0);
    array.SetAt(-1, 7.0);
    EXPECT_EQ(array.GetCount(), 1);
    array.SetAt(0, 2.5);
    EXPECT_EQ(array.GetAt(0), 2.5);
}

TEST(KArrayTemplateTest, SearchesByItem)
{
    KArrayTemplate<int> array;
    for (int value : {5, 7, 5, 9, 5})
        array.Add(value);
    EXPECT_EQ(array.Find(5), 0);
    EXPECT_EQ(array.FindAfter(-1, 5), 0);
    EXPECT_EQ(array.FindAfter(0, 5), 2);
    EXPECT_EQ(array.FindAfter(4, 5), -1);
    EXPECT_EQ(array.FindAfter(2147483647, 5), -1);
    EXPECT_EQ(array.FindBefore(array.GetCount(), 5), 4);
    EXPECT_EQ(array.FindBefore(4, 5), 2);
    EXPECT_EQ(array.FindBefore(0, 5), -1);
    EXPECT_EQ(array.Find(8), -1);
    EXPECT_EQ(array.AddUnique(9), 3);
    EXPECT_EQ(array.AddUnique(8), 5);
    EXPECT_EQ(array.GetCount(), 6);
}

TEST(KArrayTemplateTest, AddsAndRemovesWholeArrays)
{
    KArrayTemplate<int> array;
    KArrayTemplate<int> other;
    for (int value : {1, 2, 3})
        array.Add(value);
    for (int value : {2, 4, 2})
        other.Add(value);
    array.AddArray(other);
    EXPECT_EQ(Items(array), (std::vector<int>{1, 2, 3, 2, 4, 2}));
    array.RemoveArray(other);
    EXPECT_EQ(Items(array), (std::vector<int>{1, 3, 2}));
}

TEST(KArrayTemplateTest, AssignmentCopiesItemsAndBlockSize)
{
    KArrayTemplate<int> source(7);
    for (int value : {4, 5, 6})
        source.Add(value);
    KArrayTemplate<int> target(2);
    target.Add(99);
    target = source;
    EXPECT_EQ(target.GetBlockSize(), 7);
    EXPECT_EQ(Items(target), (std::vector<int>{4, 5, 6}));
    target.SetAt(0, 0);
    EXPECT_EQ(source.GetAt(0), 4);
    KArrayTemplate<int> copied(source);
    EXPECT_EQ(Items(copied), (std::vector<int>{4, 5, 6}));
    KArrayTemplate<int>& alias = target;  // self-assignment must keep the items
    target = alias;
    EXPECT_EQ(target.GetCount(), 3);
}

struct Vector4 {
    double mData[4];
};

TEST(KArrayTemplateTest, ItemSizeComesFromTheType)
{
    KArrayTemplate<Vector4> array;
    EXPECT_EQ(array.GetItemSize(), 32);
    array.Add(Vector4{{1, 2, 3, 4}});
    array.InsertAt(0, Vector4{{5, 6, 7, 8}});
    EXPECT_EQ(array[1].mData[3], 4.0);
    EXPECT_EQ(array[0].mData[0], 5.0);
    EXPECT_EQ(array.FindAfter(-1, Vector4{{1, 2, 3, 4}}), 1);
    KArrayTemplate<char*> pointers;
    EXPECT_EQ(pointers.GetItemSize(), static_cast<int>(sizeof(char*)));
}

struct Tracked {
    explicit Tracked(std::vector<int>* log, int id) : mLog(log), mId(id) {}
    ~Tracked() { mLog->push_back(mId); }
    std::vector<int>* mLog;
    int mId;
};

TEST(KArrayTemplateTest, DeleteAndClearDeletesFromTheLast)
{
    std::vector<int> deleted;
    KArrayTemplate<Tracked*> array;
    array.Add(new Tracked(&deleted, 1));
    array.Add(nullptr);
    array.Add(new Tracked(&deleted, 3));
    DeleteAndClear(array);
    EXPECT_EQ(deleted, (std::vector<int>{3, 1}));
    EXPECT_EQ(array.GetCount(), 0);
}

TEST(KSetTest, SortsLazilyAndKeepsDuplicates)
{
    KSet set(2);
    set.Add(30, 300);
    set.Add(10, 100);
    set.Add(20, 200);
    set.Add(10, 101);
    EXPECT_EQ(set.GetCount(), 4);
    int index = 99;
    EXPECT_EQ(set.Get(10, &index), 100u);
    EXPECT_EQ(index, 0);
    const kReference expectedKeys[] = {10, 10, 20, 30};
    const kReference expectedValues[] = {100, 101, 200, 300};
    for (int i = 0; i < 4; ++i) {
        kReference key = 0;
        EXPECT_EQ(set.GetFromIndex(i, &key), expectedValues[i]);
        EXPECT_EQ(key, expectedKeys[i]);
    }
    // A later add is found after the set sorts again.
    set.Add(5, 50);
    EXPECT_EQ(set.Get(5, &index), 50u);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(set.Get(15, &index), 0u);
    EXPECT_EQ(index, -1);
    kReference untouched = 77;
    EXPECT_EQ(set.GetFromIndex(5, &untouched), 0u);
    EXPECT_EQ(untouched, 77u);
    EXPECT_EQ(set.GetFromIndex(-1), 0u);
    set.Clear();
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(set.Get(5), 0u);
}

TEST(KSetTest, PointersSurviveWholeAsKeysAndValues)
{
    KSet set;
    int objects[3];
    const kReference high = static_cast<kReference>(~static_cast<kReference>(0)) - 1;
    set.Add(reinterpret_cast<kReference>(&objects[2]), reinterpret_cast<kReference>(&objects[0]));
    set.Add(high, reinterpret_cast<kReference>(&objects[1]));
    set.Add(1, high);
    EXPECT_EQ(reinterpret_cast<int*>(set.Get(reinterpret_cast<kReference>(&objects[2]))), &objects[0]);
    EXPECT_EQ(reinterpret_cast<int*>(set.Get(high)), &objects[1]);
    EXPECT_EQ(set.Get(1), high);
    // Unsigned order: the largest key sorts last.
    kReference key = 0;
    set.GetFromIndex(2, &key);
    EXPECT_EQ(key, high);
}

TEST(KCharPtrSetTest, FindsWithoutRegardToCaseByDefault)
{
    KCharPtrSet set(3);
    set.Add("Beta", 2);
    set.Add("alpha", 1);
    set.Add("GAMMA", 3);
    int index = -5;
    EXPECT_EQ(set.Get("ALPHA", &index), 1u);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(set.Get("beta"), 2u);
    EXPECT_EQ(set.Get("Gamma"), 3u);
    EXPECT_EQ(set.Get("delta", &index), 0u);
    EXPECT_EQ(index, -1);
    char* key = nullptr;
    EXPECT_EQ(set.GetFromIndex(2, &key), 3u);
    EXPECT_STREQ(key, "GAMMA");
    EXPECT_EQ(set.GetFromIndex(3, &key), 0u);
    EXPECT_EQ(key, nullptr);

    set.SetCaseSensitive(true);
    EXPECT_EQ(set.Get("ALPHA"), 0u);
    EXPECT_EQ(set.Get("alpha"), 1u);
    // Exact order: upper-case letters first.
    EXPECT_EQ(set.GetFromIndex(0, &key), 2u);
    EXPECT_STREQ(key, "Beta");
}

TEST(KCharPtrSetTest, KeepsDuplicatesAndRemovesOneAtATime)
{
    KCharPtrSet set;
    set.Add("node", 1);
    set.Add("other", 9);
    set.Add("NODE", 2);
    EXPECT_EQ(set.GetCount(), 3);
    EXPECT_EQ(set.Get("node"), 1u);
    EXPECT_TRUE(set.Remove("Node"));
    EXPECT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.Get("node"), 2u);
    EXPECT_TRUE(set.Remove("node"));
    EXPECT_FALSE(set.Remove("node"));
    EXPECT_FALSE(set.RemoveFromIndex(1));
    EXPECT_FALSE(set.RemoveFromIndex(-1));
    EXPECT_TRUE(set.RemoveFromIndex(0));
    EXPECT_EQ(set.GetCount(), 0);
}

TEST(KCharPtrSetTest, CopiesKeysAndHoldsPointerValues)
{
    char buffer[16];
    std::strcpy(buffer, "first");
    int object = 0;
    KCharPtrSet set;
    set.Add(buffer, reinterpret_cast<kReference>(&object));
    std::strcpy(buffer, "changed");
    set.Add(nullptr, 7);
    EXPECT_EQ(reinterpret_cast<int*>(set.Get("first")), &object);
    EXPECT_EQ(set.Get(""), 7u);
    EXPECT_EQ(set.Get(nullptr), 7u);

    KCharPtrSet copy(set);
    set.Clear();
    EXPECT_EQ(reinterpret_cast<int*>(copy.Get("FIRST")), &object);
    EXPECT_EQ(copy.GetCount(), 2);
}

TEST(KCharPtrSetTest, IndexedValuesAreWritableInSortedOrder)
{
    KCharPtrSet set;
    set.Add("b", 2);
    set.Add("a", 1);
    EXPECT_EQ(set[0], 1u);
    set[1] = 20;
    EXPECT_EQ(set.Get("b"), 20u);
    set[5] = 99;  // out of range: nothing stored
    EXPECT_EQ(set[5], 0u);
    EXPECT_EQ(set.GetCount(), 2);
}

// Reference model: a plain list, stably sorted by the same key order on demand.
struct ReferenceSet {
    std::vector<std::pair<std::string, kReference>> mPairs;
    bool mCaseSensitive = false;

    static std::string Fold(const std::string& key)
    {
        std::string folded(key);
        for (char& c : folded)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return folded;
    }
    std::string Order(const std::string& key) const { return mCaseSensitive ? key : Fold(key); }
    void Sort()
    {
        // Cheap when already sorted: stable sorting keeps that order anyway.
        if (std::is_sorted(mPairs.begin(), mPairs.end(),
                           [this](const auto& a, const auto& b) { return Order(a.first) < Order(b.first); }))
            return;
        std::stable_sort(mPairs.begin(), mPairs.end(),
                         [this](const auto& a, const auto& b) { return Order(a.first) < Order(b.first); });
    }
    int Find(const std::string& key)
    {
        Sort();
        for (size_t i = 0; i < mPairs.size(); ++i) {
            if (Order(mPairs[i].first) == Order(key))
                return static_cast<int>(i);
        }
        return -1;
    }
};

TEST(KCharPtrSetTest, MixedChangesAndLookupsMatchASimpleModel)
{
    std::mt19937 random(7);
    const char* const names[] = {"a", "A", "b", "B", "ab", "aB", "Ab", "c", "", "ba"};
    KCharPtrSet set(3);
    ReferenceSet model;
    for (int step = 0; step < 3000; ++step) {
        std::string key = names[random() % 10];
        switch (random() % 6) {
        case 0:
        case 1: {
            kReference value = static_cast<kReference>(step + 1);
            set.Add(key.c_str(), value);
            model.mPairs.emplace_back(key, value);
            break;
        }
        case 2: {
            int expected = model.Find(key);
            int index = -2;
            kReference value = set.Get(key.c_str(), &index);
            ASSERT_EQ(index, expected) << "step " << step;
            ASSERT_EQ(value, expected >= 0 ? model.mPairs[static_cast<size_t>(expected)].second : 0u);
            break;
        }
        case 3: {
            int expected = model.Find(key);
            ASSERT_EQ(set.Remove(key.c_str()), expected >= 0);
            if (expected >= 0)
                model.mPairs.erase(model.mPairs.begin() + expected);
            break;
        }
        case 4: {
            int index = static_cast<int>(random() % 12);
            model.Sort();
            bool inRange = index < static_cast<int>(model.mPairs.size());
            ASSERT_EQ(set.RemoveFromIndex(index), inRange);
            if (inRange)
                model.mPairs.erase(model.mPairs.begin() + index);
            break;
        }
        default:
            if (random() % 8 == 0) {
                bool sensitive = random() % 2 == 0;
                set.SetCaseSensitive(sensitive);
                model.mCaseSensitive = sensitive;
            }
            break;
        }
        ASSERT_EQ(set.GetCount(), static_cast<int>(model.mPairs.size()));
    }
    model.Sort();
    for (int i = 0; i < set.GetCount(); ++i) {
        char* key = nullptr;
        EXPECT_EQ(set.GetFromIndex(i, &key), model.mPairs[static_cast<size_t>(i)].second);
        EXPECT_EQ(std::string(key), model.mPairs[static_cast<size_t>(i)].first);
    }
}

TEST(KCharPtrSetTest, BulkLookupsMatchASimpleModel)
{
    // Enough pairs and repeated lookups for the set to switch to its fast path.
    std::mt19937 random(11);
    KCharPtrSet set(20);
    ReferenceSet model;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 400; ++i) {
            std::string key = "Node" + std::to_string(random() % 300);
            if (random() % 3 == 0)
                key[0] = 'n';
            set.Add(key.c_str(), static_cast<kReference>(round * 1000 + i + 1));
            model.mPairs.emplace_back(key, static_cast<kReference>(round * 1000 + i + 1));
        }
        for (int i = 0; i < 1000; ++i) {
            std::string key = (random() % 2 ? "NODE" : "node") + std::to_string(random() % 350);
            int expected = model.Find(key);
            int index = -2;
            kReference value = set.Get(key.c_str(), &index);
            ASSERT_EQ(index, expected) << key;
            ASSERT_EQ(value, expected >= 0 ? model.mPairs[static_cast<size_t>(expected)].second : 0u);
        }
        for (int i = 0; i < 50; ++i) {
            std::string key = "node" + std::to_string(random() % 300);
            int expected = model.Find(key);
            ASSERT_EQ(set.Remove(key.c_str()), expected >= 0);
            if (expected >= 0)
                model.mPairs.erase(model.mPairs.begin() + expected);
        }
        bool sensitive = round == 1;
        set.SetCaseSensitive(sensitive);
        model.mCaseSensitive = sensitive;
    }
}

TEST(KCharPtrSetTest, KeysAddedInOrderBetweenLookupsMatchASimpleModel)
{
    // Appending keys that sort after the others, with lookups in between,
    // takes the set's in-order path; repeats and one key out of order among
    // them must still find the first added of equal keys.
    std::mt19937 random(5);
    KCharPtrSet set(4);
    ReferenceSet model;
    char key[16];
    for (int i = 0; i < 1500; ++i) {
        std::snprintf(key, sizeof key, "%s%05d", random() % 4 ? "k" : "K", i / 2 - (i % 97 == 0 ? 40 : 0));
        set.Add(key, static_cast<kReference>(i + 1));
        model.mPairs.emplace_back(key, static_cast<kReference>(i + 1));
        for (int look = 0; look < 3; ++look) {
            std::snprintf(key, sizeof key, "k%05d", static_cast<int>(random() % (i / 2 + 2)));
            int expected = model.Find(key);
            int index = -2;
            kReference value = set.Get(key, &index);
            ASSERT_EQ(index, expected) << key;
            ASSERT_EQ(value, expected >= 0 ? model.mPairs[static_cast<size_t>(expected)].second : 0u);
        }
    }
}

TEST(KCharPtrSetTest, RemovingMostPairsKeepsTheRestIntact)
{
    KCharPtrSet set;
    std::string longKey(40000, 'k');
    set.Add(longKey.c_str(), 1);
    const int count = 20000;
    for (int i = 0; i < count; ++i)
        set.Add(("key " + std::to_string(i)).c_str(), static_cast<kReference>(i + 10));
    // Remove all but every hundredth key, the long one first.
    EXPECT_TRUE(set.Remove(longKey.c_str()));
    for (int i = 0; i < count; ++i) {
        if (i % 100 != 0) {
            ASSERT_TRUE(set.Remove(("KEY " + std::to_string(i)).c_str())) << i;
        }
    }
    ASSERT_EQ(set.GetCount(), count / 100);
    for (int i = 0; i < count; i += 100)
        EXPECT_EQ(set.Get(("key " + std::to_string(i)).c_str()), static_cast<kReference>(i + 10));
    for (int i = 0; i < set.GetCount(); ++i) {
        char* key = nullptr;
        kReference value = set.GetFromIndex(i, &key);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(std::string(key), "key " + std::to_string(value - 10));
    }
    EXPECT_EQ(set.Get(longKey.c_str()), 0u);
}

TEST(KStringListTest, InsertsCopiesAndClampsIndexes)
{
    KStringList list;
    EXPECT_EQ(list.Add("b", 2), 0);
    EXPECT_EQ(list.InsertAt(0, "a", 1), 0);
    EXPECT_EQ(list.InsertAt(10, "d", 4), 2);
    EXPECT_EQ(list.InsertAt(-3, "start"), 0);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_STREQ(list.GetStringAt(1), "a");
    EXPECT_EQ(list.GetReferenceAt(3), 4u);
    EXPECT_STREQ(list.GetStringAt(4), "");
    EXPECT_EQ(list.GetReferenceAt(-1), 0u);

    KStringList copy(list);
    list.SetStringAt(1, "changed");
    list.RemoveAt(0);
    list.RemoveAt(17);
    EXPECT_STREQ(copy.GetStringAt(1), "a");
    EXPECT_EQ(copy.GetCount(), 4);
    EXPECT_STREQ(list.GetStringAt(0), "changed");
    copy = list;
    EXPECT_EQ(copy.GetCount(), 3);
    EXPECT_STREQ(copy.GetStringAt(2), "d");
}

TEST(KStringListTest, TextRoundTripsEveryItem)
{
    KStringList list;
    list.Add("Mesh");
    list.Add("");
    list.Add("Deformer");
    KString text;
    list.GetText(text);
    EXPECT_STREQ(text.Buffer(), "Mesh~~Deformer");
    KStringList back;
    back.SetText(text.Buffer());
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_STREQ(back.GetStringAt(1), "");
    EXPECT_STREQ(back.GetStringAt(2), "Deformer");
    back.SetText("");
    EXPECT_EQ(back.GetCount(), 0);
    back.SetText(nullptr);
    EXPECT_EQ(back.GetCount(), 0);
}

}  // namespace
