#include "base/kconfigfile.h"
#include "base/klib.h"
#include "common/scratch_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace qelsdk_600;

// Lets a test make the final rename of a save fail; otherwise renames as usual.
static bool gsFailRename = false;

extern "C" int rename(const char* from, const char* to) noexcept {
    if (gsFailRename) {
        errno = EACCES;
        return -1;
    }
    return renameat(AT_FDCWD, from, AT_FDCWD, to);
}

namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

// Points the configuration directory at a fresh directory for one test.
class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(mDir.Path().empty());
        mOldConfig = KLib_GetConfigDirectory();
        KLib_SetConfigDirectory(mDir.Path().c_str());
    }
    void TearDown() override {
        KLib_SetConfigDirectory(mOldConfig.c_str());
    }

    std::string PathOf(const std::string& name) const { return mDir.File(name); }

    void Write(const std::string& name, const std::string& content) {
        WriteFile(PathOf(name), content);
    }

    std::string Read(const std::string& name) const {
        return ReadFile(PathOf(name));
    }

    bool Exists(const std::string& name) const { return access(PathOf(name).c_str(), F_OK) == 0; }

    ScratchDir mDir;
    std::string mOldConfig;
};

const char kSample[] =
    "; settings of the exporter\n"
    "[UserParams]\n"
    "  kExportAnimation = true ; animated\n"
    "kExportRate==  30.5   \n"
    "\n"
    "[UserParamsOld]\n"
    "kExportAnimation = old\n"
    "[Other]\n"
    "kExportAnimation = other\n";

}  // namespace

TEST_F(ConfigFileTest, PathIsInConfigDirectoryAndAtMeansPerMachine) {
    KConfigFile plain("Settings.txt", false);
    EXPECT_EQ(std::string(plain.GetFileName()), PathOf("Settings.txt"));
    KConfigFile machine("@Application.txt", false);
    const std::string host = KConfigFile_GetComputerName().Buffer();
    EXPECT_FALSE(host.empty());
    EXPECT_EQ(std::string(machine.GetFileName()), PathOf(host + "@Application.txt"));
}

TEST_F(ConfigFileTest, GetParsesValuesCommentsAndCase) {
    Write("a.ini", kSample);
    for (bool inMemory : {true, false}) {
        KConfigFile cfg("a.ini", inMemory);
        EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimation"), "true");
        EXPECT_STREQ(cfg.Get("userparams", "KEXPORTRATE"), "30.5");
        EXPECT_STREQ(cfg.Get("Other", "kExportAnimation"), "other");
        EXPECT_EQ(cfg.Get("UserParams", "missing"), nullptr);
        EXPECT_STREQ(cfg.Get("UserParams", "missing", "dflt"), "dflt");
        EXPECT_STREQ(cfg.Get("Absent", "kExportAnimation", "dflt"), "dflt");
        EXPECT_EQ(cfg.Get("UserParams", "settings of"), nullptr);  // comment line
    }
}

TEST_F(ConfigFileTest, GetPrefixRuleYieldsToWholeNames) {
    Write("p.ini",
          "[UserParamsOld]\n"
          "kExportAnimationCurves = curves\n"
          "[UserParams]\n"
          "kExportAnimationCurves = curves2\n"
          "kExportAnimation = whole\n");
    KConfigFile cfg("p.ini", true);
    // Whole section and key win even when prefixes come first.
    EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimation"), "whole");
    // Prefixes still select when nothing whole exists; the value follows the
    // line's own key.
    EXPECT_STREQ(cfg.Get("UserParams", "kExportAnim"), "curves2");
    EXPECT_STREQ(cfg.Get("UserPar", "kExportAnimationCurves"), "curves");
}

TEST_F(ConfigFileTest, SetThenGetRoundTrips) {
    for (bool inMemory : {true, false}) {
        const std::string name = inMemory ? "m.ini" : "f.ini";
        KConfigFile cfg(name.c_str(), inMemory);
        ASSERT_TRUE(cfg.Set("UserParams", "kExportAnimation", "true"));
        ASSERT_TRUE(cfg.Set("UserParams", "kExportAnimationCurves", "false", "curves"));
        ASSERT_TRUE(cfg.Set("Second", "kImportLoadMode", "kMerge"));
        ASSERT_TRUE(cfg.Set("userparams", "KEXPORTANIMATION", "no"));  // replaces the whole key
        ASSERT_TRUE(cfg.Set("UserParams", "kPath", "/a b/c=d"));
        EXPECT_EQ(Read(name),
                  "[UserParams]\n"
                  "KEXPORTANIMATION = no\n"
                  "kExportAnimationCurves = false ; curves\n"
                  "kPath = /a b/c=d\n"
                  "[Second]\n"
                  "kImportLoadMode = kMerge\n");
        EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimation"), "no");
        EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimationCurves"), "false");
        EXPECT_STREQ(cfg.Get("UserParams", "kPath"), "/a b/c=d");
        EXPECT_STREQ(cfg.Get("Second", "kImportLoadMode"), "kMerge");
        KConfigFile again(name.c_str(), true);
        EXPECT_STREQ(again.Get("Second", "kImportLoadMode"), "kMerge");
        EXPECT_FALSE(Exists("backupfile.ini"));
    }
}

TEST_F(ConfigFileTest, SetKeepsOtherLinesAndAddsAtSectionEnd) {
    Write("k.ini", kSample);
    KConfigFile cfg("k.ini", true);
    ASSERT_TRUE(cfg.Set("UserParams", "kNew", "1"));
    EXPECT_EQ(Read("k.ini"),
              "; settings of the exporter\n"
              "[UserParams]\n"
              "  kExportAnimation = true ; animated\n"
              "kExportRate==  30.5   \n"
              "kNew = 1\n"
              "\n"
              "[UserParamsOld]\n"
              "kExportAnimation = old\n"
              "[Other]\n"
              "kExportAnimation = other\n");
}

TEST_F(ConfigFileTest, SetSeesChangesMadeByOthers) {
    KConfigFile first("s.ini", true);
    KConfigFile second("s.ini", true);
    ASSERT_TRUE(first.Set("S", "a", "1"));
    ASSERT_TRUE(second.Set("S", "b", "2"));
    KConfigFile check("s.ini", false);
    EXPECT_STREQ(check.Get("S", "a"), "1");
    EXPECT_STREQ(check.Get("S", "b"), "2");
}

TEST_F(ConfigFileTest, SetRefusesTextsThatCannotRoundTrip) {
    Write("r.ini", kSample);
    KConfigFile cfg("r.ini", true);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* comment;
    };
    const Case bad[] = {
        {"S", "k", "two\nlines", nullptr}, {"S", "k\r", "v", nullptr},  {"S\n", "k", "v", nullptr},
        {"S", "k", "v", "c\nx"},           {"S", "", "v", nullptr},      {"S", "a=b", "v", nullptr},
        {"S", "a;b", "v", nullptr},        {"S", "k", "v;w", nullptr},   {"S]", "k", "v", nullptr},
        {"S", " k", "v", nullptr},         {"S", "k ", "v", nullptr},    {"S", "[k", "v", nullptr},
        {nullptr, "k", "v", nullptr},      {"S", nullptr, "v", nullptr}, {"S", "k", nullptr, nullptr},
    };
    for (const Case& c : bad) {
        EXPECT_FALSE(cfg.Set(c.section, c.key, c.value, c.comment));
        EXPECT_EQ(cfg.GetLastErrorID(), KConfigFile::eBadArgument);
    }
    EXPECT_EQ(Read("r.ini"), kSample);
}

TEST_F(ConfigFileTest, FailedWriteKeepsOldFile) {
    Write("w.ini", kSample);
    // A directory in the way of the temporary copy makes the write fail.
    ASSERT_EQ(mkdir(PathOf("backupfile.ini").c_str(), 0700), 0);
    KConfigFile cfg("w.ini", true);
    EXPECT_FALSE(cfg.Set("UserParams", "kExportAnimation", "false"));
    EXPECT_EQ(cfg.GetLastErrorID(), KConfigFile::eWriteError);
    EXPECT_EQ(Read("w.ini"), kSample);
    EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimation"), "true");
}

TEST_F(ConfigFileTest, FailedRenameKeepsOldFile) {
    Write("x.ini", kSample);
    KConfigFile cfg("x.ini", true);
    gsFailRename = true;
    const bool saved = cfg.Set("UserParams", "kExportAnimation", "false");
    gsFailRename = false;
    EXPECT_FALSE(saved);
    EXPECT_EQ(cfg.GetLastErrorID(), KConfigFile::eWriteError);
    EXPECT_EQ(Read("x.ini"), kSample);
    EXPECT_FALSE(Exists("backupfile.ini"));
    EXPECT_STREQ(cfg.Get("UserParams", "kExportAnimation"), "true");
}

TEST_F(ConfigFileTest, UnreadableFileIsNeverOverwritten) {
    ASSERT_EQ(mkdir(PathOf("d.ini").c_str(), 0700), 0);
    Write("d.ini/inside", "data");
    KConfigFile cfg("d.ini", false);
    EXPECT_EQ(cfg.Get("S", "k"), nullptr);
    EXPECT_FALSE(cfg.Set("S", "k", "v"));
    EXPECT_EQ(cfg.GetLastErrorID(), KConfigFile::eReadError);
    EXPECT_EQ(Read("d.ini/inside"), "data");
}

TEST_F(ConfigFileTest, ReadsCrLfAndLoneCrFiles) {
    Write("c.ini", "[S]\r\na = 1\r\rb = 2\rc = 3");
    KConfigFile cfg("c.ini", false);
    EXPECT_STREQ(cfg.Get("S", "a"), "1");
    EXPECT_STREQ(cfg.Get("S", "b"), "2");
    EXPECT_STREQ(cfg.Get("S", "c"), "3");
}
