// The settings registry over a configuration file.
#include <string>

#include <gtest/gtest.h>

#include "base/klib.h"
#include "file/kregistry.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

// Points the configuration directory at a scratch directory for one test.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedConfig = KLib_GetConfigDirectory();
        KLib_SetConfigDirectory(mDir.Path().c_str());
    }
    void TearDown() override
    {
        mRegistry.Close();
        KLib_SetConfigDirectory(mSavedConfig.c_str());
    }

    ScratchDir mDir;
    std::string mSavedConfig;
    KRegistry mRegistry;
};

TEST_F(RegistryTest, WritesDecimalAndSixDecimalTextsInTheConnectedSection)
{
    ASSERT_TRUE(mRegistry.Connect("settings.ini", "UserParams"));
    // The section argument is not the one used.
    EXPECT_TRUE(mRegistry.WriteInt("Elsewhere", "Count", -42));
    EXPECT_TRUE(mRegistry.WriteFloat("Elsewhere", "Scale", 2.5f));
    EXPECT_TRUE(mRegistry.WriteFloat(nullptr, "Tiny", -0.0000004f));
    EXPECT_TRUE(mRegistry.WriteString(nullptr, "Mode", "kMerge"));

    std::string text = ReadFile(mDir.File("settings.ini"));
    EXPECT_NE(text.find("[UserParams]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[Elsewhere]"), std::string::npos) << text;
    EXPECT_NE(text.find("Count = -42"), std::string::npos) << text;
    EXPECT_NE(text.find("Scale = 2.500000"), std::string::npos) << text;
    EXPECT_NE(text.find("Tiny = -0.000000"), std::string::npos) << text;
    EXPECT_NE(text.find("Mode = kMerge"), std::string::npos) << text;

    EXPECT_EQ(mRegistry.ReadInt("Other", "Count", 0), -42);
    EXPECT_FLOAT_EQ(mRegistry.ReadFloat("Other", "Scale", 0.0f), 2.5f);
    KString out;
    EXPECT_STREQ(mRegistry.ReadString("Other", "Mode", "none", out).Buffer(), "kMerge");
}

TEST_F(RegistryTest, ReadersFallBackToDefaultsForMissingOrUnreadableKeys)
{
    WriteFile(mDir.File("s.ini"),
              "[App]\n"
              "Word = abc\n"
              "Empty =\n"
              "Huge = 99999999999\n"
              "Trailing = 12abc\n"
              "Signed = +7\n"
              "Exponent = 1.5e2\n"
              "HugeFloat = 1e99\n");
    ASSERT_TRUE(mRegistry.Connect("s.ini", "App"));

    struct IntCase { const char* key; int expected; };
    const IntCase ints[] = {
        {"Missing", 5}, {"Word", 5}, {"Empty", 5}, {"Huge", 5},  // overflow is not a number
        {"Trailing", 12}, {"Signed", 7},                        // as "%d" scans them
    };
    for (const IntCase& c : ints)
        EXPECT_EQ(mRegistry.ReadInt(nullptr, c.key, 5), c.expected) << c.key;

    EXPECT_FLOAT_EQ(mRegistry.ReadFloat(nullptr, "Missing", 0.25f), 0.25f);
    EXPECT_FLOAT_EQ(mRegistry.ReadFloat(nullptr, "Word", 0.25f), 0.25f);
    EXPECT_FLOAT_EQ(mRegistry.ReadFloat(nullptr, "Exponent", 0.25f), 150.0f);
    EXPECT_FLOAT_EQ(mRegistry.ReadFloat(nullptr, "HugeFloat", 0.25f), 0.25f);

    KString out("stale");
    EXPECT_STREQ(mRegistry.ReadString(nullptr, "Missing", "fallback", out).Buffer(), "fallback");
    EXPECT_STREQ(mRegistry.ReadString(nullptr, "Missing", nullptr, out).Buffer(), "");
    EXPECT_STREQ(mRegistry.ReadString(nullptr, "Word", "fallback", out).Buffer(), "abc");
}

TEST_F(RegistryTest, WithoutConnectionReadsGiveDefaultsAndWritesFail)
{
    EXPECT_FALSE(mRegistry.Connect("", "App"));
    EXPECT_FALSE(mRegistry.IsConnected());
    EXPECT_EQ(mRegistry.ReadInt(nullptr, "Any", 3), 3);
    EXPECT_FALSE(mRegistry.WriteInt(nullptr, "Any", 1));

    ASSERT_TRUE(mRegistry.Connect("s.ini", "App"));
    EXPECT_TRUE(mRegistry.Close());
    EXPECT_FALSE(mRegistry.WriteString(nullptr, "Any", "x"));
    EXPECT_FALSE(scratch::Exists(mDir.File("s.ini")));
}

TEST_F(RegistryTest, RefusedValueIsReportedAndLeavesFileUnchanged)
{
    ASSERT_TRUE(mRegistry.Connect("s.ini", "App"));
    ASSERT_TRUE(mRegistry.WriteString(nullptr, "Name", "first"));
    std::string before = ReadFile(mDir.File("s.ini"));
    EXPECT_FALSE(mRegistry.WriteString(nullptr, "Name", "two\nlines"));
    EXPECT_EQ(ReadFile(mDir.File("s.ini")), before);
}

TEST_F(RegistryTest, ReconnectingSwitchesFileAndSection)
{
    ASSERT_TRUE(mRegistry.Connect("a.ini", "One"));
    ASSERT_TRUE(mRegistry.WriteInt(nullptr, "Key", 1));
    ASSERT_TRUE(mRegistry.Connect("b.ini", "Two"));
    ASSERT_TRUE(mRegistry.WriteInt(nullptr, "Key", 2));
    EXPECT_EQ(mRegistry.ReadInt(nullptr, "Key", 0), 2);
    EXPECT_NE(ReadFile(mDir.File("b.ini")).find("[Two]"), std::string::npos);
    ASSERT_TRUE(mRegistry.Connect("a.ini", "One"));
    EXPECT_EQ(mRegistry.ReadInt(nullptr, "Key", 0), 1);
}

}  // namespace
}  // namespace qelsdk_600
