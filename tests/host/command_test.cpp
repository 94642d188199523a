// The command interpreter: tokens, statements, variables, results and their
// conversions, nesting, the command table and the log.
#include <cmath>
#include <cstring>
#include <limits>

#include <vesk/MGlobal.h>

#include "command/interpreter.h"
#include "host_fixture.h"

namespace {

class CommandTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        calls.clear();
        vesk::interpreter().addExternal("capture", [this](const std::vector<std::string>& args,
                                                          vesk::CommandResult& r) {
            calls.push_back(args);
            r.setInt(static_cast<int>(calls.size()));
            return MStatus(MStatus::kSuccess);
        });
        vesk::interpreter().addExternal("give", give);
    }
    void TearDown() override
    {
        vesk::interpreter().removeExternal("capture");
        vesk::interpreter().removeExternal("give");
        HostTest::TearDown();
    }

    // "give KIND VALUES...": a result of that kind (int, double, string,
    // strings, ints, doubles, none) made of the values.
    static MStatus give(const std::vector<std::string>& args, vesk::CommandResult& r)
    {
        const std::string kind = args.empty() ? "none" : args[0];
        std::vector<double> numbers;
        for (size_t i = 1; i < args.size(); ++i)
            numbers.push_back(std::atof(args[i].c_str()));
        const std::vector<std::string> texts(args.begin() + (args.empty() ? 0 : 1), args.end());
        if (kind == "int")
            r.setInt(static_cast<int>(numbers.at(0)));
        else if (kind == "double")
            r.setDouble(numbers.at(0));
        else if (kind == "string")
            r.setString(texts.at(0));
        else if (kind == "strings")
            r.setStrings(texts);
        else if (kind == "ints")
            r.setInts(std::vector<int>(numbers.begin(), numbers.end()));
        else if (kind == "doubles")
            r.setDoubles(numbers);
        return MStatus::kSuccess;
    }

    std::vector<std::vector<std::string>> calls;
};

typedef std::vector<std::string> Texts;

} // namespace

TEST_F(CommandTest, TokensReachCommandsUnquotedWithEscapesAndSubstitutions)
{
    struct Case {
        const char* text;
        std::vector<Texts> calls;
    };
    const Case cases[] = {
        // Flags stay unread: "-5" is a plain argument after "-t".
        {"capture -f \"\" -t -5 \"a b\"", {{"-f", "", "-t", "-5", "a b"}}},
        // A closing quote ends a token whatever follows it.
        {"capture \"left\"-v \"N.divisions\"2", {{"left", "-v", "N.divisions", "2"}}},
        {"capture \"q\\\" s\\\\ n\\n t\\t other\\q $x `y` ;\"", {{"q\" s\\ n\n t\t other\\q $x `y` ;"}}},
        {"\t\tcapture a;\t\tcapture b ;;\n capture c;", {{"a"}, {"b"}, {"c"}}},
        {"string $v = \"one two\"; capture $v x$v", {{"one two", "x$v"}}},
        {"capture `exists capture` `exists nothing`", {{"1", "0"}}},
        {"string $n = `capture`; capture $n", {{}, {"1"}}},
        {"capture -inf -nan -.5 -0 -1e-07 -name", {{"-inf", "-nan", "-.5", "-0", "-1e-07", "-name"}}},
    };
    for (const Case& c : cases) {
        calls.clear();
        EXPECT_TRUE(MGlobal::executeCommand(c.text)) << c.text;
        EXPECT_EQ(calls, c.calls) << c.text;
    }
}

TEST_F(CommandTest, BadTextsRunNothingOrStopAtTheFailingStatement)
{
    struct Case {
        const char* text;
        size_t callsMade;
    };
    const Case cases[] = {
        // Syntax errors: nothing runs.
        {"capture a; capture \"unterminated", 0},
        {"capture a; capture `exists `exists x``", 0},
        {"capture a; capture `exists x", 0},
        {"capture a; capture `exists x; exists y`", 0},
        {"capture a; capture ``", 0},
        {"capture a; -v capture", 0},
        {"capture a; \"capture\" b", 0},
        {"capture a; string $v = word", 0},
        {"capture a; string $v \"x\"", 0},
        {"capture a; capture $1bad", 0},
        {"capture a; capture $v.x", 0},
        // Run-time failures: the statements before the failing one ran.
        {"capture a; capture $undeclared; capture b", 1},
        {"capture a; noSuchCommand; capture b", 1},
        {"capture a; exists -q; capture b", 1},
        {"capture a; capture `noSuchCommand`; capture b", 1},
        {"capture a; capture `give strings x y`; capture b", 1},
    };
    for (const Case& c : cases) {
        calls.clear();
        vesk::MessageLog::clear();
        EXPECT_EQ(MGlobal::executeCommand(c.text).statusCode(), MStatus::kFailure) << c.text;
        EXPECT_EQ(calls.size(), c.callsMade) << c.text;
        EXPECT_EQ(vesk::MessageLog::severity(vesk::MessageLog::size() - 1), vesk::MessageLog::kError) << c.text;
    }
}

TEST_F(CommandTest, VariablesAreGlobalAndPersistAcrossRuns)
{
    ASSERT_TRUE(MGlobal::executeCommand("string $a = \"first\""));
    ASSERT_TRUE(MGlobal::executeCommand("string $b = $a; string $a = `give string second`"));
    MString out;
    ASSERT_TRUE(MGlobal::executeCommand("give string $a", out));
    EXPECT_STREQ(out.asChar(), "second");
    EXPECT_EQ(standin::variable("b"), "first");
    // A literal is never a flag: "-q" is a name here.
    int exists = 7;
    ASSERT_TRUE(MGlobal::executeCommand("exists \"-q\"", exists));
    EXPECT_EQ(exists, 0);
}

TEST_F(CommandTest, ResultsConvertToTheFormAskedFor)
{
    const double kKeep = -99.0;
    const std::string kFail = "fail";
    struct Case {
        const char* text;
        std::string asInt, asDouble, asString, asStrings, asInts, asDoubles;
    };
    // Each form's expected result as text ("fail": failure, scalar kept,
    // array emptied).
    const Case cases[] = {
        {"give int 5", "5", "5", "5", "5", "5", "5"},
        {"give double 2.5", kFail, "2.5", "2.5", "2.5", kFail, "2.5"},
        {"give double 3", "3", "3", "3", "3", "3", "3"},
        {"give string 7", "7", "7", "7", "7", "7", "7"},
        {"give string abc", kFail, kFail, "abc", "abc", kFail, kFail},
        {"give strings a b", kFail, kFail, kFail, "a b", kFail, kFail},
        {"give strings 4", "4", "4", "4", "4", "4", "4"},
        {"give ints 1 2", kFail, kFail, kFail, "1 2", "1 2", "1 2"},
        {"give doubles 0.1", kFail, "0.1", "0.1", "0.1", kFail, "0.1"},
        {"give none", kFail, kFail, "", "", "", ""},
    };
    auto join = [](const auto& array) {
        std::string out;
        for (unsigned int i = 0; i < array.length(); ++i)
            out += (i ? " " : "") + std::string(MString(MString() + array[i]).asChar());
        return out;
    };
    for (const Case& c : cases) {
        int i = static_cast<int>(kKeep);
        double d = kKeep;
        MString s("kept");
        MStringArray sa;
        MIntArray ia;
        MDoubleArray da;
        sa.append("old");
        ia.append(1);
        da.append(1);
        const bool okInt = bool(MGlobal::executeCommand(c.text, i));
        const bool okDouble = bool(MGlobal::executeCommand(c.text, d));
        const bool okString = bool(MGlobal::executeCommand(c.text, s));
        const bool okStrings = bool(MGlobal::executeCommand(c.text, sa));
        const bool okInts = bool(MGlobal::executeCommand(c.text, ia));
        const bool okDoubles = bool(MGlobal::executeCommand(c.text, da));
        EXPECT_EQ(okInt ? std::to_string(i) : (i == kKeep ? kFail : "changed"), c.asInt) << c.text;
        EXPECT_EQ(okDouble ? std::string((MString() + d).asChar()) : (d == kKeep ? kFail : "changed"), c.asDouble)
            << c.text;
        EXPECT_EQ(okString ? std::string(s.asChar()) : (s == "kept" ? kFail : "changed"), c.asString) << c.text;
        std::string strings;
        for (unsigned int k = 0; k < sa.length(); ++k)
            strings += (k ? " " : "") + std::string(sa[k].asChar());
        EXPECT_EQ(okStrings ? strings : (sa.length() == 0 ? kFail : "kept"), c.asStrings) << c.text;
        EXPECT_EQ(okInts ? join(ia) : (ia.length() == 0 ? kFail : "kept"), c.asInts) << c.text;
        EXPECT_EQ(okDoubles ? join(da) : (da.length() == 0 ? kFail : "kept"), c.asDoubles) << c.text;
    }
}

TEST_F(CommandTest, NumbersMakeTheRoundTripThroughTextBitForBit)
{
    ASSERT_TRUE(MGlobal::executeCommand("window W; columnLayout; floatField F"));
    const double values[] = {0.0,    -0.0,   0.1, 1e-07, 1.5707963267948966, 1e300, std::nan(""),
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (double v : values) {
        const MString text = MString("floatField -e -v ") + v + " F";
        ASSERT_TRUE(MGlobal::executeCommand(text)) << text.asChar();
        double back = 12345.0;
        ASSERT_TRUE(MGlobal::executeCommand("floatField -q -v F", back));
        EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << text.asChar();
    }
}

TEST_F(CommandTest, NestedRunsKeepTheirOwnResultsAndStopPastTheLimit)
{
    int deepest = 0;
    vesk::interpreter().addExternal("dive", [&](const std::vector<std::string>&, vesk::CommandResult& r) {
        deepest = std::max(deepest, vesk::interpreter().depth());
        MString inner;
        const MStatus s = MGlobal::executeCommand("dive", inner);
        r.setString(std::string("level") + (s ? inner.asChar() : "!"));
        return MStatus(MStatus::kSuccess);
    });
    MString out;
    ASSERT_TRUE(MGlobal::executeCommand("dive", out));
    EXPECT_EQ(deepest, vesk::kMaxDepth);
    // 64 runs each wrap the result of the one inside; the 65th failed.
    std::string expected = "!";
    for (int i = 0; i < vesk::kMaxDepth; ++i)
        expected = "level" + expected;
    EXPECT_EQ(std::string(out.asChar()), expected);
    EXPECT_NE(vesk::MessageLog::last().find("nest deeper than 64"), std::string::npos);
    vesk::interpreter().removeExternal("dive");
}

TEST_F(CommandTest, CommandTableHoldsBuiltinsAndExternalsInOneNameSpace)
{
    vesk::Interpreter& in = vesk::interpreter();
    auto none = [](const std::vector<std::string>&, vesk::CommandResult&) { return MStatus(MStatus::kSuccess); };
    EXPECT_EQ(in.addExternal("select", none).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(in.addExternal("capture", none).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(in.addExternal("bad name", none).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(in.addExternal("", none).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(in.removeExternal("select").statusCode(), MStatus::kNotFound);
    ASSERT_TRUE(in.addExternal("QELThing", none));
    struct Case {
        const char* name;
        int exists;
    };
    const Case cases[] = {{"select", 1}, {"confirmDialog", 1}, {"QELThing", 1}, {"qelthing", 0},
                          {"DOVCreateCharacter", 0}, {"nothing", 0}};
    for (const Case& c : cases) {
        int answer = -1;
        ASSERT_TRUE(MGlobal::executeCommand(MString("exists ") + c.name, answer));
        EXPECT_EQ(answer, c.exists) << c.name;
    }
    ASSERT_TRUE(in.removeExternal("QELThing"));
    EXPECT_FALSE(in.exists("QELThing"));
    EXPECT_EQ(MGlobal::executeCommand("QELThing").statusCode(), MStatus::kFailure);
}

TEST_F(CommandTest, LogRecordsEachRunWithDepthFlagsStatusResultAndErrors)
{
    vesk::interpreter().addExternal("inner", [](const std::vector<std::string>&, vesk::CommandResult& r) {
        MGlobal::executeCommand("capture x");
        r.setString("done");
        return MStatus(MStatus::kSuccess);
    });
    standin::clearLogs();
    MGlobal::executeCommand("inner", true, true);
    MGlobal::executeCommand("exists -nope");
    const std::vector<standin::LoggedCommand> log = standin::commandLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].text, "inner");
    EXPECT_EQ(log[0].depth, 0);
    EXPECT_TRUE(log[0].display && log[0].undo);
    EXPECT_EQ(log[0].result, "done");
    EXPECT_EQ(log[1].text, "capture x");
    EXPECT_EQ(log[1].depth, 1);
    EXPECT_FALSE(log[1].display);
    EXPECT_EQ(log[2].status, 1);
    ASSERT_EQ(log[2].errors.size(), 1u);
    EXPECT_EQ(log[2].errors[0], "exists: Invalid flag: -nope");
    // The displayed run echoed its text and result.
    bool echoed = false;
    for (size_t i = 0; i < vesk::MessageLog::size(); ++i)
        echoed = echoed || vesk::MessageLog::line(i) == "Result: done";
    EXPECT_TRUE(echoed);
    vesk::interpreter().removeExternal("inner");
}
