// Where the module finds its own directory.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "module/qelveskdirectory.h"
#include "plugin/scratch.h"

namespace {

// A directory of the scratch directory holding the named empty entries.
std::string makeDir(const std::string& pName, std::initializer_list<const char*> pEntries)
{
    const std::string lDir = ScratchDir() + "/" + pName;
    mkdir(lDir.c_str(), 0755);
    for (const char* lEntry : pEntries)
        if (std::FILE* f = std::fopen((lDir + "/" + lEntry).c_str(), "w"))
            std::fclose(f);
    return lDir;
}

std::string search(const std::string& pValue)
{
    setenv("VESK_PLUG_IN_PATH", pValue.c_str(), 1);
    return DetermineMasterDirectory().Buffer();
}

} // namespace

TEST(QelVeskDirectory, TheFirstListedDirectoryHoldingTheModuleWins)
{
    const std::string lNone = makeDir("none", {"qelvesk.so.1", "qelves.so", "readme"});
    const std::string lDebug = makeDir("debug", {"other", "QELVESK_Debug.SO"});
    const std::string lPlain = makeDir("plain", {"qelvesk.so"});
    EXPECT_EQ(search(lNone + ";;" + lDebug), lDebug + "/");
    EXPECT_EQ(search(lPlain + "/;" + lDebug), lPlain + "//");
    EXPECT_EQ(search(";" + lNone + ";" + ScratchDir() + "/missing;" + lPlain + ";"), lPlain + "/");
    EXPECT_EQ(search(lNone), "/usr/tmp/");
    EXPECT_EQ(search(""), "/usr/tmp/");
    unsetenv("VESK_PLUG_IN_PATH");
    EXPECT_STREQ(DetermineMasterDirectory().Buffer(), "/usr/tmp/");
}

TEST(QelVeskDirectory, ADirectoryNoFileCanBeCreatedInIsSkipped)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the super-user may write anywhere";
    const std::string lLocked = makeDir("locked", {"qelvesk.so"});
    const std::string lOpen = makeDir("open", {"qelvesk.so"});
    ASSERT_EQ(chmod(lLocked.c_str(), 0555), 0);
    EXPECT_EQ(search(lLocked + ";" + lOpen), lOpen + "/");
    qelsdk_600::KString lPath(lLocked.c_str());
    EXPECT_FALSE(IsDirWritable(lPath));
    chmod(lLocked.c_str(), 0755);
}
