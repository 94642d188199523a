#include "base/kerror.h"
#include "base/kname.h"
#include "base/kuniquenameobjectlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace qelsdk_600;

namespace {

TEST(KNameTest, KeepsInitialAndCurrentNames)
{
    KName name("Cube");
    EXPECT_STREQ(name.GetInitialName(), "Cube");
    EXPECT_STREQ(name.GetCurrentName(), "Cube");
    name.SetCurrentName("Cube1");
    EXPECT_STREQ(name.GetInitialName(), "Cube");
    EXPECT_STREQ(name.GetCurrentName(), "Cube1");
    KName copy(name);
    name.SetInitialName("Sphere");
    EXPECT_STREQ(name.GetCurrentName(), "Sphere");
    EXPECT_STREQ(copy.GetInitialName(), "Cube");
    EXPECT_STREQ(copy.GetCurrentName(), "Cube1");
    // Changes made in place through the buffer are the current name's.
    copy.GetCurrentName()[0] = 'T';
    EXPECT_STREQ(copy.GetCurrentName(), "Tube1");
    EXPECT_STREQ(KName(nullptr).GetCurrentName(), "");
}

std::string RenameOnce(KRenamingStrategy& strategy, const char* text, bool* renamed)
{
    KName name(text);
    *renamed = strategy.Rename(name);
    return name.GetCurrentName();
}

TEST(KNumberRenamingStrategyTest, CountsRepeatsOfEachName)
{
    KNumberRenamingStrategy strategy;
    struct Step {
        const char* input;
        const char* output;
        bool renamed;
    };
    const Step steps[] = {
        {"a", "a", false}, {"a", "a1", true}, {"b", "b", false}, {"a", "a2", true},
        {"A", "A", false}, {"a1", "a1", false}, {"b", "b1", true},
    };
    for (const Step& step : steps) {
        bool renamed = !step.renamed;
        EXPECT_EQ(RenameOnce(strategy, step.input, &renamed), step.output) << step.input;
        EXPECT_EQ(renamed, step.renamed) << step.input;
    }
    strategy.Clear();
    bool renamed = true;
    EXPECT_EQ(RenameOnce(strategy, "a", &renamed), "a");
    EXPECT_FALSE(renamed);
}

TEST(KNumberRenamingStrategyTest, CloneCarriesOnIndependently)
{
    KNumberRenamingStrategy strategy;
    bool renamed = false;
    RenameOnce(strategy, "x", &renamed);
    std::unique_ptr<KRenamingStrategy> clone(strategy.Clone());
    EXPECT_EQ(RenameOnce(*clone, "x", &renamed), "x1");
    EXPECT_EQ(RenameOnce(*clone, "x", &renamed), "x2");
    EXPECT_EQ(RenameOnce(strategy, "x", &renamed), "x1");
}

const char* const kMessages[] = {"Success", nullptr, "File not found"};

TEST(KErrorTest, TakesTextsFromTheTable)
{
    KError error(kMessages, 3);
    EXPECT_EQ(error.GetLastErrorID(), -1);
    EXPECT_STREQ(error.GetLastErrorString(), "");
    error.SetLastErrorID(2);
    EXPECT_EQ(error.GetLastErrorID(), 2);
    EXPECT_STREQ(error.GetLastErrorString(), "File not found");
    error.SetLastErrorID(1);
    EXPECT_STREQ(error.GetLastErrorString(), "");
    error.ClearLastError();
    EXPECT_EQ(error.GetLastErrorID(), -1);
    EXPECT_STREQ(error.GetLastErrorString(), "");
}

TEST(KErrorTest, IdsOutsideTheTableGetAnEmptyText)
{
    KError error(kMessages, 3);
    for (int id : {3, 4, 1000, -1, -7}) {
        error.SetLastErrorID(0);
        error.SetLastErrorID(id);
        EXPECT_EQ(error.GetLastErrorID(), id);
        EXPECT_STREQ(error.GetLastErrorString(), "") << id;
    }
    KError noTable(nullptr, 5);
    noTable.SetLastErrorID(2);
    EXPECT_STREQ(noTable.GetLastErrorString(), "");
    KError negative(kMessages, -2);
    negative.SetLastErrorID(0);
    EXPECT_STREQ(negative.GetLastErrorString(), "");
}

TEST(KErrorTest, SetLastErrorKeepsItsOwnCopy)
{
    KError error(kMessages, 3);
    char text[32];
    std::strcpy(text, "custom failure");
    error.SetLastError(0, text);
    std::strcpy(text, "overwritten");
    EXPECT_EQ(error.GetLastErrorID(), 0);
    EXPECT_STREQ(error.GetLastErrorString(), "custom failure");
    error.SetLastError(4, nullptr);
    EXPECT_STREQ(error.GetLastErrorString(), "");
}

int gObjects[64];

const void* Object(int i)
{
    return &gObjects[i];
}

TEST(KUniqueNameObjectListTest, NumbersRepeatsAndNamesTheEmptyDefault)
{
    KUniqueNameObjectList list(8, 64);
    struct Step {
        const char* input;
        const char* output;
    };
    const Step steps[] = {
        {"a", "a"},         {"a", "a 1"},  {"a", "a 2"},         {"a 1", "a 3"},
        {"", "Default"},    {nullptr, "Default 1"}, {"m9", "m9"}, {"m9", "m10"},
        {"b 5", "b 5"},     {"b", "b"},    {"b", "b 1"},         {"b", "b 2"},
        {"b", "b 3"},       {"b", "b 4"},  {"b", "b 6"},         {"b 5", "b 7"},
        {"A", "A"},
    };
    int object = 0;
    for (const Step& step : steps) {
        const char* used = list.AddObject(step.input, Object(object));
        ASSERT_NE(used, nullptr);
        EXPECT_STREQ(used, step.output) << (step.input ? step.input : "(null)");
        ++object;
    }
    for (int i = 0; i < object; ++i)
        EXPECT_STREQ(list.GetNameByObject(Object(i)), steps[i].output);
    EXPECT_EQ(list.GetCount(), object);
    EXPECT_EQ(list.GetNameByObject(Object(object)), nullptr);
}

TEST(KUniqueNameObjectListTest, AnObjectKeepsItsFirstName)
{
    KUniqueNameObjectList list;
    EXPECT_STREQ(list.AddObject("first", Object(0)), "first");
    EXPECT_STREQ(list.AddObject("second", Object(0)), "first");
    EXPECT_EQ(list.GetCount(), 1);
    list.Clear();
    EXPECT_EQ(list.GetNameByObject(Object(0)), nullptr);
    EXPECT_STREQ(list.AddObject("first", Object(1)), "first");
}

TEST(KUniqueNameObjectListTest, HugeTrailingNumbersDoNotOverflow)
{
    KUniqueNameObjectList list;
    const char* big = "n99999999999999999999999";
    EXPECT_STREQ(list.AddObject(big, Object(0)), big);
    EXPECT_EQ(std::string(list.AddObject(big, Object(1))), std::string(big) + " 1");
    EXPECT_STREQ(list.AddObject("n999999999999999999", Object(2)), "n999999999999999999");
    EXPECT_STREQ(list.AddObject("n999999999999999999", Object(3)), "n1000000000000000000");
}

}  // namespace
