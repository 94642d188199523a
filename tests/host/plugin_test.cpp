// Loading modules: the good test module's registrations and runs, the
// broken variants refused, clean-up after modules that leave registrations.
#include <gmock/gmock.h>

#include <vesk/MDoubleArray.h>

#include "command/interpreter.h"
#include "plugin_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::vector<std::string> kGoodCommands = {"tmEcho",    "tmInt",   "tmDoubles", "tmFail",
                                                "tmNest",    "tmRecurse", "tmNull",  "tmThrow",
                                                "tmLive",    "tmUnit",  "tmLast"};

bool exists(const std::string& name)
{
    int found = -1;
    MGlobal::executeCommand(MString(("exists " + name).c_str()), found);
    return found == 1;
}

std::vector<std::string> translatorNames()
{
    std::vector<std::string> out;
    for (const vesk::TranslatorEntry& t : vesk::plugins().translators())
        out.push_back(t.name);
    return out;
}

TEST_F(PluginTest, GoodModuleRegistersInOrderRunsAndLeavesNothingBehind)
{
    std::string name;
    ASSERT_TRUE(vesk::plugins().load(modulePath("good"), &name));
    EXPECT_EQ(name, "tm_good");
    const std::vector<vesk::PluginInfo> list = vesk::plugins().list();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].vendor, "Test Vendor");
    EXPECT_EQ(list[0].version, "1.2.3");
    EXPECT_EQ(list[0].apiVersion, "6.5");
    EXPECT_EQ(list[0].commands, kGoodCommands);
    EXPECT_THAT(translatorNames(), ElementsAre("tmFormat", "tmOther"));

    // The record is no node: a new scene leaves the module in place.
    ASSERT_TRUE(MGlobal::executeCommand("file -f -new"));
    int count = 0;
    EXPECT_TRUE(run("tmInt a \"\" -5", count));
    EXPECT_EQ(count, 3);
    MDoubleArray values;
    EXPECT_TRUE(run("tmDoubles 1.5 -2e3", values));
    ASSERT_EQ(values.length(), 2u);
    EXPECT_EQ(values[1], -2000.0);
    MString echo;
    EXPECT_TRUE(run("tmEcho -f \"\" -t -5 \"a b\"", echo));
    EXPECT_STREQ(echo.asChar(), "5: [-f] [] [-t] [-5] [a b] int3=-5/0");
    // Every command object made so far was deleted (the one asking aside).
    int live = -1;
    EXPECT_TRUE(run("tmLive", live));
    EXPECT_EQ(live, 0);

    ASSERT_TRUE(vesk::plugins().unload("tm_good"));
    for (const std::string& c : kGoodCommands)
        EXPECT_FALSE(exists(c)) << c;
    EXPECT_TRUE(translatorNames().empty());
    EXPECT_TRUE(vesk::plugins().list().empty());
    EXPECT_FALSE(vesk::plugins().unload("tm_good"));
}

TEST_F(PluginTest, CommandRunsDeliverResultsAndSurviveBrokenCommands)
{
    ASSERT_TRUE(vesk::plugins().load(modulePath("good")));
    struct Case {
        const char* text;
        bool succeeds;
        const char* result;
        const char* error;
    };
    const Case cases[] = {
        // The result reaches the caller even when the command fails.
        {"tmFail", false, "Success", "tmFail: it went wrong"},
        {"tmNull", false, "", "tmNull: the module's creator made no command object"},
        {"tmThrow", false, "", "tmThrow: the command threw an exception"},
        {"tmNest 10", true, "10", nullptr},
        {"tmRecurse", false, "", "Commands nest deeper than 64 levels"},
    };
    for (const Case& c : cases) {
        mark();
        MString result;
        EXPECT_EQ(static_cast<bool>(run(c.text, result)), c.succeeds) << c.text;
        EXPECT_STREQ(result.asChar(), c.result) << c.text;
        if (c.error) {
            EXPECT_THAT(lines(), ElementsAre("E: " + std::string(c.error))) << c.text;
        }
    }
    int live = -1;
    EXPECT_TRUE(run("tmLive", live));
    EXPECT_EQ(live, 0);
}

TEST_F(PluginTest, BrokenModulesAreRefusedWithTheirReasonAndLeaveNothing)
{
    struct Case {
        const char* variant;
        const char* reason;
    };
    const Case cases[] = {
        {"no_api_version", "refused: it exports no MApiVersion"},
        {"unterminated", "refused: its MApiVersion has no terminating zero"},
        {"api_999", "refused: it needs API version 999, above 650"},
        {"no_init", "refused: it defines no initializePlugin"},
        {"init_fails", "initializePlugin of tm_init_fails failed: Failure"},
        {"missing", "refused: "},
    };
    for (const Case& c : cases) {
        mark();
        EXPECT_FALSE(vesk::plugins().load(modulePath(c.variant))) << c.variant;
        const std::vector<std::string> printed = lines();
        ASSERT_FALSE(printed.empty()) << c.variant;
        EXPECT_THAT(printed.back(), HasSubstr(c.reason)) << c.variant;
        EXPECT_TRUE(vesk::plugins().list().empty()) << c.variant;
    }
    // What the failing initialisation registered went with it.
    EXPECT_FALSE(exists("tmPartial"));
    EXPECT_TRUE(translatorNames().empty());
}

TEST_F(PluginTest, TakenNamesStayWithTheirFirstHolder)
{
    ASSERT_TRUE(vesk::plugins().load(modulePath("good")));
    mark();
    EXPECT_FALSE(vesk::plugins().load(modulePath("good")));
    EXPECT_THAT(lines(), ElementsAre(HasSubstr("a module tm_good is loaded already")));

    mark();
    EXPECT_FALSE(vesk::plugins().load(modulePath("clash")));
    EXPECT_THAT(lines(), ElementsAre("E: The file translator name \"tmFormat\" is taken",
                                     "E: registerFileTranslator: Failure",
                                     "E: initializePlugin of tm_clash failed: Failure"));
    EXPECT_FALSE(exists("tmClash"));
    EXPECT_THAT(translatorNames(), ElementsAre("tmFormat", "tmOther"));
    int count = 0;
    EXPECT_TRUE(run("tmInt x", count));
    EXPECT_EQ(count, 1);

    // A command name shares one space with the host's own commands.
    vesk::PluginRecord record;
    mark();
    EXPECT_EQ(vesk::plugins().addCommand(&record, "exists", [] { return static_cast<void*>(nullptr); }),
              MStatus(MStatus::kFailure));
    EXPECT_EQ(vesk::plugins().addCommand(&record, "tmInt", [] { return static_cast<void*>(nullptr); }),
              MStatus(MStatus::kFailure));
    EXPECT_EQ(vesk::plugins().addCommand(&record, "no spaces", [] { return static_cast<void*>(nullptr); }),
              MStatus(MStatus::kInvalidParameter));
    EXPECT_THAT(lines(), ElementsAre("E: The command name \"exists\" is taken",
                                     "E: The command name \"tmInt\" is taken",
                                     "E: \"no spaces\" is not a command name"));
    EXPECT_TRUE(record.commands.empty());
}

TEST_F(PluginTest, RegistrationsLeftAtShutDownAreRemovedWithWarnings)
{
    ASSERT_TRUE(vesk::plugins().load(modulePath("good")));
    ASSERT_TRUE(vesk::plugins().load(modulePath("quiet_shutdown")));
    EXPECT_TRUE(exists("tmQuiet"));
    mark();
    // The last loaded goes first.
    vesk::plugins().unloadAll();
    EXPECT_THAT(lines(), ElementsAre(HasSubstr("tm_quiet_shutdown left the file translator \"tmQuietFormat\""),
                                     HasSubstr("tm_quiet_shutdown left the command \"tmQuiet\""),
                                     HasSubstr("tm_quiet_shutdown left the command \"tmQuietLive\"")));
    mark();
    MString result;
    EXPECT_FALSE(run("tmQuiet", result));
    EXPECT_THAT(lines(), ElementsAre("E: Cannot find procedure \"tmQuiet\"."));
    EXPECT_FALSE(exists("tmEcho"));
}

} // namespace
