#include "base/ktextfile.h"
#include "common/scratch_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

using namespace qelsdk_600;

namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(mDir.Path().empty());
    }

    // Writes the content to a new file and returns its path.
    std::string Make(const std::string& content) {
        const std::string path = mDir.File("f" + std::to_string(mCount++) + ".txt");
        WriteFile(path, content);
        return path;
    }

    std::string Read(const std::string& path) {
        return ReadFile(path);
    }

    ScratchDir mDir;
    int mCount = 0;
};

const char kBlanks[] = " \t\r\n";

std::vector<std::string> gsMessages;
void Collect(const char* message, void* userData) {
    gsMessages.push_back(message);
    ++*static_cast<int*>(userData);
}

}  // namespace

TEST_F(TextFileTest, OpenReportsZeroOnSuccessAndLoadsFirstSignificantLine) {
    KTextFile file("T", kBlanks, "#", true, false);
    EXPECT_TRUE(file.IsEOF());
    EXPECT_NE(file.Open(mDir.File("missing").c_str(), "r"), 0);
    EXPECT_NE(file.Open(mDir.Path().c_str(), "r"), 0);  // a directory is no text file
    EXPECT_NE(file.Open(nullptr, "r"), 0);

    const std::string path = Make("\n   \t\n# comment\n  # indented comment\nfirst line\nsecond\n");
    ASSERT_EQ(file.Open(path.c_str(), "r"), 0);
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(file.GetLineNumber(), 5);
    EXPECT_STREQ(file.GetCursor(), "first line");
    ASSERT_TRUE(file.NextLine());
    EXPECT_EQ(file.GetLineNumber(), 6);
    EXPECT_FALSE(file.NextLine());
    EXPECT_TRUE(file.IsEOF());
    EXPECT_STREQ(file.GetLine(), "");

    ASSERT_TRUE(file.FirstLine());
    EXPECT_EQ(file.GetLineNumber(), 5);
    EXPECT_FALSE(file.IsEOF());
    file.Close();
    EXPECT_TRUE(file.IsEOF());
    EXPECT_FALSE(file.NextLine());
    EXPECT_FALSE(file.FirstLine());
}

TEST_F(TextFileTest, EmptyAndCommentOnlyFilesHaveNoLine) {
    KTextFile file("T", kBlanks, "#;", true, false);
    ASSERT_EQ(file.Open(Make("").c_str(), "r"), 0);
    EXPECT_TRUE(file.IsEOF());
    ASSERT_EQ(file.Open(Make("# a\n; b\n \n").c_str(), "r"), 0);
    EXPECT_TRUE(file.IsEOF());
    EXPECT_FALSE(file.FirstLine());
}

TEST_F(TextFileTest, LinesEndAtLfCrLfAndLoneCr) {
    KTextFile file("T", " ", "", true, false);
    ASSERT_EQ(file.Open(Make("a 1\r\nb 2\rc 3\nd 4").c_str(), "r"), 0);
    std::string seen;
    int lines = 0;
    do {
        KString token;
        int value = 0;
        ASSERT_TRUE(file.GetString(token));
        ASSERT_TRUE(file.GetInteger(value));
        seen += std::string(token.Buffer()) + std::to_string(value);
        ++lines;
        EXPECT_FALSE(file.GetString(token));  // nothing left, no CR remains
    } while (file.NextLine());
    EXPECT_EQ(seen, "a1b2c3d4");
    EXPECT_EQ(lines, 4);
}

TEST_F(TextFileTest, TokensRunToDelimitersAndRunsOfDelimitersCountOnce) {
    KTextFile file("ASF", " \t, ()\r\n", "#", true, false);
    ASSERT_EQ(file.Open(Make("limits (-180.0, 180) (1e2 ,-5)\n").c_str(), "r"), 0);
    KString word;
    ASSERT_TRUE(file.GetString(word));
    EXPECT_STREQ(word.Buffer(), "limits");
    double pair[2];
    ASSERT_TRUE(file.GetPair(pair));
    EXPECT_EQ(pair[0], -180.0);
    EXPECT_EQ(pair[1], 180.0);
    ASSERT_TRUE(file.GetPair(pair, 2.0));
    EXPECT_EQ(pair[0], 200.0);
    EXPECT_EQ(pair[1], -10.0);
    EXPECT_FALSE(file.GetPair(pair));
}

TEST_F(TextFileTest, LongTokenIsSplitAtBufferSize) {
    const std::string token(300, 'n');
    KTextFile file("HTR", kBlanks, "#", true, false);
    ASSERT_EQ(file.Open(Make(token + " parent\n").c_str(), "r"), 0);
    char name[256];
    ASSERT_TRUE(file.GetString(name, sizeof(name)));
    EXPECT_EQ(std::string(name), std::string(255, 'n'));
    ASSERT_TRUE(file.GetString(name, sizeof(name)));
    EXPECT_EQ(std::string(name), std::string(45, 'n'));
    ASSERT_TRUE(file.GetString(name, sizeof(name)));
    EXPECT_STREQ(name, "parent");
    EXPECT_FALSE(file.GetString(name, sizeof(name)));
    EXPECT_FALSE(file.GetString(nullptr, 10));

    ASSERT_TRUE(file.FirstLine());
    KString whole;
    ASSERT_TRUE(file.GetString(whole));
    EXPECT_EQ(whole.GetLen(), 300);
    EXPECT_FALSE(file.GetString(name, 1));  // no room for a character
}

TEST_F(TextFileTest, LinesLongerThanTheInitialBufferAreKept) {
    std::string line;
    for (int i = 0; i < 5000; ++i) line += std::to_string(i) + " ";
    KTextFile file("MOV", kBlanks, "", true, false);
    ASSERT_EQ(file.Open(Make(line + "\nnext\n").c_str(), "r"), 0);
    int count = 0;
    double v = 0.0;
    while (file.GetDouble(v)) {
        EXPECT_EQ(v, count);
        ++count;
    }
    EXPECT_EQ(count, 5000);
    ASSERT_TRUE(file.NextLine());
    EXPECT_STREQ(file.GetCursor(), "next");
}

TEST_F(TextFileTest, NumbersReadAndFailWithoutMoving) {
    KTextFile file("T", kBlanks, "", true, false);
    ASSERT_EQ(file.Open(Make("42 -7 +3 2.5e1 .5 -x 99999999999 1e999 nan 12abc\n").c_str(), "r"),
              0);
    int i = 0;
    double d = 0.0;
    ASSERT_TRUE(file.GetInteger(i));
    EXPECT_EQ(i, 42);
    ASSERT_TRUE(file.GetInteger(i));
    EXPECT_EQ(i, -7);
    ASSERT_TRUE(file.GetInteger(i));
    EXPECT_EQ(i, 3);
    ASSERT_TRUE(file.GetDouble(d, 0.1));
    EXPECT_DOUBLE_EQ(d, 2.5);
    ASSERT_TRUE(file.GetDouble(d));
    EXPECT_EQ(d, 0.5);
    // A failed read leaves the cursor where it was.
    EXPECT_FALSE(file.GetInteger(i));
    EXPECT_FALSE(file.GetDouble(d));
    EXPECT_STREQ(file.GetCursor(), "-x 99999999999 1e999 nan 12abc");
    KString skip;
    ASSERT_TRUE(file.GetString(skip));
    EXPECT_FALSE(file.GetInteger(i));  // does not fit in an int
    ASSERT_TRUE(file.GetString(skip));
    EXPECT_FALSE(file.GetDouble(d));  // overflows a double
    ASSERT_TRUE(file.GetString(skip));
    EXPECT_FALSE(file.GetDouble(d));  // not a number
    ASSERT_TRUE(file.GetString(skip));
    // "%d" stops at the first non-digit; the rest is the next token.
    ASSERT_TRUE(file.GetInteger(i));
    EXPECT_EQ(i, 12);
    ASSERT_TRUE(file.GetString(skip));
    EXPECT_STREQ(skip.Buffer(), "abc");
    EXPECT_FALSE(file.GetInteger(i));
    EXPECT_FALSE(file.GetDouble(d));
}

TEST_F(TextFileTest, InfinityOnlyAsTheWholeRestOfTheLine) {
    KTextFile exact("T", kBlanks, "", true, false);
    ASSERT_EQ(exact.Open(Make("1 inf\n-inf  \ninf 2\nINF\n").c_str(), "r"), 0);
    double d = 0.0;
    ASSERT_TRUE(exact.GetDouble(d));
    ASSERT_TRUE(exact.GetDouble(d, 2.0));
    EXPECT_TRUE(std::isinf(d) && d > 0);
    ASSERT_TRUE(exact.NextLine());
    ASSERT_TRUE(exact.GetDouble(d));
    EXPECT_TRUE(std::isinf(d) && d < 0);
    ASSERT_TRUE(exact.NextLine());
    EXPECT_FALSE(exact.GetDouble(d));  // more follows on the line
    ASSERT_TRUE(exact.NextLine());
    EXPECT_FALSE(exact.GetDouble(d));  // wrong case for a case-sensitive file

    KTextFile loose("T", kBlanks, "", false, false);
    ASSERT_EQ(loose.Open(Make("INF\n-Inf\n").c_str(), "r"), 0);
    ASSERT_TRUE(loose.GetDouble(d));
    EXPECT_TRUE(std::isinf(d) && d > 0);
    ASSERT_TRUE(loose.NextLine());
    ASSERT_TRUE(loose.GetDouble(d));
    EXPECT_TRUE(std::isinf(d) && d < 0);
}

TEST_F(TextFileTest, VectorNeedsAllThreeNumbers) {
    KTextFile file("BRD", kBlanks, "", true, false);
    ASSERT_EQ(file.Open(Make("1\t2\tP\t1.5 -2 3e0\tQ\t0.1 0.2\n").c_str(), "r"), 0);
    int frame = 0, sensor = 0;
    char c = 0;
    ASSERT_TRUE(file.GetInteger(frame));
    ASSERT_TRUE(file.GetInteger(sensor));
    ASSERT_TRUE(file.GetChar(c));
    EXPECT_EQ(c, 'P');
    double v[3] = {9, 9, 9};
    ASSERT_TRUE(file.GetVector(v, 2.0));
    EXPECT_EQ(v[0], 3.0);
    EXPECT_EQ(v[1], -4.0);
    EXPECT_EQ(v[2], 6.0);
    ASSERT_TRUE(file.PeakChar(c));
    EXPECT_EQ(c, 'Q');
    ASSERT_TRUE(file.GetChar(c));
    double w[3] = {9, 9, 9};
    EXPECT_FALSE(file.GetVector(w));  // only two numbers
    EXPECT_EQ(w[0], 9.0);
    EXPECT_STREQ(file.GetCursor(), "\t0.1 0.2");
    file.Close();
    EXPECT_FALSE(file.GetChar(c));
    EXPECT_FALSE(file.PeakChar(c));
}

TEST_F(TextFileTest, KeywordTablesMatchCaseInsensitivePrefixesInTableOrder) {
    KToken table[] = {{"Frame", 7}, {"Frame Time:", 7}, {"End Site", 7}, {"}", 7}, {"", 7}};
    KTextFile::InitTokens(table);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(table[i].mCount, 0);
    EXPECT_EQ(table[4].mCount, 7);  // the closing entry is not part of the table

    KTextFile file("BVH", kBlanks, "", true, false);
    ASSERT_EQ(file.Open(Make("  frame time: 0.033\nEND SITE {\nOFFSET 1\n}\n").c_str(), "r"), 0);
    EXPECT_EQ(file.Check(table), 0);  // the first match wins, even if shorter
    EXPECT_EQ(table[0].mCount, 0);
    EXPECT_EQ(file.Handle(table), 0);
    EXPECT_EQ(table[0].mCount, 1);
    EXPECT_STREQ(file.GetCursor(), "time: 0.033");

    KToken ordered[] = {{"Frame Time:", 0}, {"Frame", 0}, {nullptr, 0}};
    ASSERT_TRUE(file.FirstLine());
    EXPECT_EQ(file.Handle(ordered), 0);
    double t = 0;
    ASSERT_TRUE(file.GetDouble(t));
    EXPECT_DOUBLE_EQ(t, 0.033);

    ASSERT_TRUE(file.NextLine());
    EXPECT_EQ(file.Handle(table), 2);  // a keyword holding a blank
    EXPECT_EQ(file.Handle(table), -1);
    EXPECT_STREQ(file.GetCursor(), "{");
    ASSERT_TRUE(file.NextLine());
    EXPECT_EQ(file.Handle(table), -1);
    EXPECT_STREQ(file.GetCursor(), "OFFSET 1");
    ASSERT_TRUE(file.NextLine());
    EXPECT_EQ(file.Handle(table), 3);
    EXPECT_EQ(table[2].mCount, 1);
    EXPECT_EQ(table[3].mCount, 1);
    EXPECT_EQ(file.Handle(nullptr), -1);
}

TEST_F(TextFileTest, SetDelSwitchesDelimiterSkippingOffAndBack) {
    KTextFile file("TRC", "\t\r\n", "", true, false);
    ASSERT_EQ(file.Open(Make("1\t0.5\t\t\t\t4\t5\t6 \n").c_str(), "r"), 0);
    const char* previous = file.SetDel("");
    EXPECT_STREQ(previous, "\t\r\n");
    int frame = 0;
    double time = 0;
    char c = 0;
    ASSERT_TRUE(file.GetInteger(frame));
    ASSERT_TRUE(file.GetChar(c));
    EXPECT_EQ(c, '\t');
    ASSERT_TRUE(file.GetDouble(time));
    ASSERT_TRUE(file.GetChar(c));
    // Empty fields stay visible one separator at a time.
    ASSERT_TRUE(file.PeakChar(c));
    EXPECT_EQ(c, '\t');
    EXPECT_STREQ(file.GetCursor(), "\t\t\t4\t5\t6 ");
    // Restoring from the returned pointer works.
    EXPECT_STREQ(file.SetDel(previous), "");
    KString token;
    ASSERT_TRUE(file.GetString(token));
    EXPECT_STREQ(token.Buffer(), "4");
    EXPECT_EQ(frame, 1);
    EXPECT_EQ(time, 0.5);
}

TEST_F(TextFileTest, ErrorAndWarningTextsGoToCallbacksWhenReporting) {
    const std::string path = Make("a\nb\nc\n");
    int calls = 0;
    {
        KTextFile file("HTR", kBlanks, "", true, true);
        EXPECT_EQ(file.Error("lost %d\n", 1), 1);  // no callback yet
        file.SetErrorCallback(Collect, &calls);
        file.SetWarningCallback(Collect, &calls);
        ASSERT_EQ(file.Open(path.c_str(), "r"), 0);
        ASSERT_TRUE(file.NextLine());
        gsMessages.clear();
        EXPECT_EQ(file.Error("Can't read %s (%f)\n", "segment", 2.5), 1);
        EXPECT_EQ(file.Warning("Unknown axis of gravity\n"), 0);
        ASSERT_EQ(gsMessages.size(), 2u);
        EXPECT_EQ(gsMessages[0], "HTR read error (line 2): Can't read segment (2.500000)\n");
        EXPECT_EQ(gsMessages[1], "HTR read warning (line 2): Unknown axis of gravity\n");
        const std::string longText(2000, 'x');
        EXPECT_EQ(file.Warning("%s", longText.c_str()), 0);
        EXPECT_EQ(gsMessages.back(), "HTR read warning (line 2): " + longText);
    }
    EXPECT_EQ(calls, 3);
    KTextFile quiet("ASF", kBlanks, "", true, false);
    quiet.SetErrorCallback(Collect, &calls);
    quiet.SetWarningCallback(Collect, &calls);
    EXPECT_EQ(quiet.Error("x"), 1);
    EXPECT_EQ(quiet.Warning("x"), 0);
    EXPECT_EQ(calls, 3);
}

TEST_F(TextFileTest, PrintIndentsAndWritesRoundTrip) {
    const std::string path = mDir.File("out.bvh");
    {
        KTextFile out("BVH", kBlanks, "", true, false);
        EXPECT_FALSE(out.Print(0, "nothing open\n"));
        ASSERT_EQ(out.Open(path.c_str(), "w"), 0);
        EXPECT_TRUE(out.Print(0, "%s\n", "HIERARCHY"));
        EXPECT_TRUE(out.Print(1, "%s %g %g %g\n", "OFFSET", 1.5, -0.25, 1e-7));
        EXPECT_TRUE(out.Print(2, "%s\t%d\n", "Frames:", 12));
        EXPECT_TRUE(out.Close());
    }
    EXPECT_EQ(Read(path), "HIERARCHY\n  OFFSET 1.5 -0.25 1e-07\n    Frames:\t12\n");

    KTextFile in("BVH", kBlanks, "", true, false);
    ASSERT_EQ(in.Open(path.c_str(), "r"), 0);
    ASSERT_TRUE(in.NextLine());
    KToken offset[] = {{"OFFSET", 0}, {"", 0}};
    ASSERT_EQ(in.Handle(offset), 0);
    double v[3];
    ASSERT_TRUE(in.GetVector(v));
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], -0.25);
    EXPECT_EQ(v[2], 1e-7);
}
