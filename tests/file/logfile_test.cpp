// The import and export log.
#include <string>

#include <gtest/gtest.h>

#include "base/klib.h"
#include "file/qellogfile.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedMaster = KLib_GetMasterDirectory();
        KLib_SetMasterDirectory((mDir.Path() + "/").c_str());
    }
    void TearDown() override { KLib_SetMasterDirectory(mSavedMaster.c_str()); }

    ScratchDir mDir;
    std::string mSavedMaster;
};

// "Date: YYYY-MM-DD HH:MM:SS" then a line break.
bool IsDateLine(const std::string& text, size_t at)
{
    const std::string pattern = "Date: dddd-dd-dd dd:dd:dd\n";
    if (text.size() < at + pattern.size())
        return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = text[at + i];
        if (pattern[i] == 'd' ? (c < '0' || c > '9') : c != pattern[i])
            return false;
    }
    return true;
}

TEST_F(LogFileTest, RewriteModeWritesDateHeaderAndLines)
{
    WriteFile(mDir.File("log.txt"), "old content\n");
    {
        QelLogFile log("log.txt", "File Export : /x/scene.qel", false, true);
        EXPECT_EQ(std::string(log.GetFileName()), mDir.File("log.txt"));
        log += "first";
        (log += "") += nullptr;  // two empty lines
        log += "last";
    }
    std::string text = ReadFile(mDir.File("log.txt"));
    ASSERT_TRUE(IsDateLine(text, 0)) << text;
    EXPECT_EQ(text.substr(26), "File Export : /x/scene.qel\nfirst\n\n\nlast\n");
}

TEST_F(LogFileTest, AppendModeKeepsOldTextAndFirstAddsTwoLineBreaks)
{
    WriteFile(mDir.File("log.txt"), "old");
    {
        QelLogFile log("log.txt", "File import: a.qel", true, true);
        log += "warning";
    }
    std::string text = ReadFile(mDir.File("log.txt"));
    ASSERT_EQ(text.substr(0, 5), "old\n\n") << text;
    ASSERT_TRUE(IsDateLine(text, 5)) << text;
    EXPECT_EQ(text.substr(31), "File import: a.qel\nwarning\n");
}

TEST_F(LogFileTest, NothingIsWrittenWithoutLinesOrWithoutTheWriteFlag)
{
    {
        QelLogFile empty("a.txt", "header", false, true);
        QelLogFile unwritten("b.txt", "header", false, false);
        unwritten += "line";
        EXPECT_EQ(unwritten.GetLineCount(), 1);
    }
    EXPECT_FALSE(scratch::Exists(mDir.File("a.txt")));
    EXPECT_FALSE(scratch::Exists(mDir.File("b.txt")));
}

TEST_F(LogFileTest, MasterDirectoryWithoutTrailingSlashIsStillJoined)
{
    KLib_SetMasterDirectory(mDir.Path().c_str());
    {
        QelLogFile log("joined.txt", "h", false, true);
        log += "x";
    }
    EXPECT_TRUE(scratch::Exists(mDir.File("joined.txt")));
}

TEST_F(LogFileTest, UnwritableDirectoryIsHarmless)
{
    KLib_SetMasterDirectory(mDir.File("missing/").c_str());
    QelLogFile log("log.txt", "h", true, true);
    log += "lost quietly";
}

}  // namespace
}  // namespace qelsdk_600
