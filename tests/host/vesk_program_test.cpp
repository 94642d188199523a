// The vesk program run as users run it, each run in a folder of its own
// (its working folder and VESK_PLUG_IN_PATH) holding copies of the test
// modules.
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>

#include <gmock/gmock.h>

#include "plugin_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class VeskProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* v : {"good", "init_fails", "no_api_version"})
            dir.write(std::string("tm_") + v + ".so", readBytes(modulePath(v)));
    }

    // Runs vesk with the arguments in the folder; TM_MARKER names
    // "marker" there.
    Outcome vesk(const std::vector<std::string>& args) const
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(VESK_PROGRAM));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const std::string out = dir.file("stdout");
        const std::string err = dir.file("stderr");
        const std::string marker = dir.file("marker");
        const pid_t pid = fork();
        if (pid == 0) {
            const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(dir.path().c_str()) != 0)
                _exit(126);
            setenv("VESK_PLUG_IN_PATH", dir.path().c_str(), 1);
            setenv("TM_MARKER", marker.c_str(), 1);
            execv(VESK_PROGRAM, argv.data());
            _exit(127);
        }
        Outcome result;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.code = WEXITSTATUS(status);
        result.out = dir.read("stdout");
        result.err = dir.read("stderr");
        return result;
    }

    TempDir dir;
};

const char* const kLockedDialog = "confirmDialog -t \"Locked\" -m \"Some are locked\" -b \" Unlock All \" -b \"Cancel\"";
const char* const kSureDialog = "confirmDialog -t \"Q\" -m \"Sure?\" -b \"Yes\" -b \"No\"";

TEST_F(VeskProgramTest, ExitCodeSaysHowTheRunWent)
{
    dir.write("zero.txt", std::string("tmInt a\0b", 9));
    dir.write("bad.answers", "reply Yes\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"-p", "tm_good.so", "-c", "tmInt a b"}, 0, "Result: 2\n", ""},
        // A failing action stops the run; its result is still shown.
        {{"-p", "tm_good.so", "-c", "tmFail", "-c", "tmInt a"}, 1, "Result: Success\n", "Error: tmFail: it went wrong"},
        {{"-c", "nosuchcommand"}, 1, "", "Cannot find procedure"},
        {{"-dump", "no/such/folder/x"}, 1, "", "Cannot write the dump"},
        {{"-bogus"}, 2, "", "unknown option -bogus"},
        {{"-c"}, 2, "", "-c needs a value"},
        {{"-p", "tm_missing.so", "-c", "tmInt"}, 2, "", "refused"},
        {{"-p", "tm_good.so", "-p", "tm_init_fails.so", "-c", "tmInt"}, 2, "", "initializePlugin of tm_init_fails failed"},
        {{"-s", "zero.txt"}, 2, "", "holds a zero byte"},
        {{"-s", "missing.txt"}, 2, "", "cannot open missing.txt"},
        {{"-answers", "bad.answers"}, 2, "", "answers line 1"},
        {{"-type", "tmFormat", "-c", "tmInt"}, 2, "", "-type must come just before"},
        {{"-ui", "press"}, 2, "", "press takes a name"},
        {{"-ui", "list L x"}, 2, "", "bad value x"},
        {{"-c", kSureDialog}, 3, "Result: \n", "unanswered"},
    };
    for (const Case& c : cases) {
        const Outcome o = vesk(c.args);
        EXPECT_EQ(o.code, c.code) << c.args[0] << " " << o.err;
        EXPECT_EQ(o.out, c.out) << c.args[0];
        EXPECT_THAT(o.err, HasSubstr(c.err)) << c.args[0];
    }
}

TEST_F(VeskProgramTest, ModuleStaticDestructorRunsOncePerRun)
{
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* marker;
    };
    const Case cases[] = {
        {{"-p", "tm_good.so", "-c", "tmUnit"}, 0, "unloaded 0 unit 6\n"},
        {{"-p", "tm_good.so", "-c", "tmThrow", "-c", "tmUnit"}, 1, "unloaded 0 unit 6\n"},
        {{"-p", "tm_init_fails.so", "-c", "tmUnit"}, 2, "unloaded 5 unit 6\n"},
        {{"-p", "tm_no_api_version.so"}, 2, "unloaded 1 unit 6\n"},
    };
    for (const Case& c : cases) {
        std::remove(dir.file("marker").c_str());
        const Outcome o = vesk(c.args);
        EXPECT_EQ(o.code, c.code) << c.args[1] << " " << o.err;
        EXPECT_EQ(dir.read("marker"), c.marker) << c.args[1];
    }
}

TEST_F(VeskProgramTest, RepliesAreConsumedInOrderAndMustAllBeUsed)
{
    dir.write("two.answers", "# the locked nodes, then the question\n"
                             "reply \" Unlock All \" title \"Locked\" message \"locked\"\n"
                             "\n"
                             "reply \"No\"\n");
    dir.write("one.answers", "reply \" Unlock All \"\n");
    dir.write("three.answers", "reply \" Unlock All \"\nreply \"No\"\nreply \"Yes\"\n");
    struct Case {
        const char* answers;
        int code;
        const char* out;
    };
    const Case cases[] = {
        {"two.answers", 0, "Result:  Unlock All \nResult: No\n"},
        {"one.answers", 3, "Result:  Unlock All \nResult: \n"},
        {"three.answers", 3, "Result:  Unlock All \nResult: No\n"},
    };
    for (const Case& c : cases) {
        const Outcome o = vesk({"-answers", c.answers, "-c", kLockedDialog, "-c", kSureDialog});
        EXPECT_EQ(o.code, c.code) << c.answers << " " << o.err;
        EXPECT_EQ(o.out, c.out) << c.answers;
    }
}

TEST_F(VeskProgramTest, UserActionPressesAButton)
{
    const Outcome o = vesk({"-c", "window W; columnLayout -p W L; button -c \"string $pressed = \\\"yes\\\"\" B; showWindow W",
                            "-ui", "press B", "-c", "string $seen = $pressed", "-ui", "press Nothing"});
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_EQ(o.out, "Result: yes\n");
    EXPECT_THAT(o.err, HasSubstr("no control Nothing"));
}

TEST_F(VeskProgramTest, ImportsDumpsAndComparesScenes)
{
    dir.write("a.tmf", "TMF\nnamespace -add fromFile\n");
    const Outcome run = vesk({"-p", "tm_good.so", "-import", "a.tmf", "-c", "tmLast", "-dump", "one.dump",
                              "-c", "namespace -add more", "-dump", "two.dump", "-dump", "-"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Result: read import " + dir.path() + "/a.tmf {v=1}\n"));
    EXPECT_THAT(dir.read("one.dump"), HasSubstr("\nglobal namespaces = \"fromFile\"\n"));
    EXPECT_THAT(run.out, HasSubstr(dir.read("two.dump")));

    struct Case {
        std::vector<std::string> args;
        int code;
        const char* out;
    };
    const Case cases[] = {
        {{"-compare", "one.dump", "one.dump"}, 0, ""},
        {{"-compare", "one.dump", "two.dump"}, 1,
         "differs: global namespaces: A = \"fromFile\" | B = \"fromFile\" \"more\"\n"},
        {{"-compare", "one.dump", "two.dump", "-ignore", "^global namespaces"}, 0, ""},
        {{"-compare", "one.dump", "a.tmf"}, 2, ""},
        {{"-compare", "one.dump", "missing.dump"}, 2, ""},
        {{"-compare", "one.dump", "two.dump", "-tol", "-1"}, 2, ""},
        {{"-compare", "one.dump", "two.dump", "-ignore", "("}, 2, ""},
    };
    for (const Case& c : cases) {
        const Outcome o = vesk(c.args);
        EXPECT_EQ(o.code, c.code) << c.args.back() << " " << o.err;
        EXPECT_EQ(o.out, c.out) << c.args.back();
    }
}

} // namespace
