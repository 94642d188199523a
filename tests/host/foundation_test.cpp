// Texts, statuses, value arrays and the message log.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <vesk/MIntArray.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/MStringArray.h>

#include "foundation/message_log.h"
#include "foundation/number_text.h"

TEST(MStringTest, NullTextsAndBadLengthsGiveEmptyTexts)
{
    const char* null = nullptr;
    EXPECT_STREQ(MString(null).asChar(), "");
    EXPECT_STREQ(MString(null, 4).asChar(), "");
    EXPECT_STREQ(MString("abc", -1).asChar(), "");
    MString s("x");
    s += null;
    s.set(null);
    EXPECT_EQ(s.length(), 0u);
    EXPECT_TRUE(MString() == null);
    EXPECT_STREQ((null + MString("a")).asChar(), "a");
}

TEST(MStringTest, DoublesAreWrittenShortestAndLocaleFree)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1.0, "1"},
        {0.1, "0.1"},
        {1e-07, "1e-07"},
        {-0.0, "-0"},
        {100.0, "100"},
        {1.5707963267948966, "1.5707963267948966"},
        {1e300, "1e+300"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {HUGE_VAL, "inf"},
        {-HUGE_VAL, "-inf"},
    };
    for (const auto& c : cases) {
        MString s("v=");
        s += c.value;
        EXPECT_EQ(std::string(s.asChar()), std::string("v=") + c.text);
        EXPECT_STREQ(MString().set(c.value).asChar(), c.text);
    }
    EXPECT_STREQ((MString("n") + 12).asChar(), "n12");
}

TEST(MStringTest, RandomDoublesSurviveTheTextRoundTrip)
{
    std::mt19937_64 random(20240531);
    for (int i = 0; i < 100000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value))
            continue;
        MString text;
        text += value;
        double back = 0.0;
        ASSERT_TRUE(vesk::parseDouble(text.asChar(), back)) << text.asChar();
        uint64_t backBits;
        std::memcpy(&backBits, &back, sizeof back);
        ASSERT_EQ(backBits, bits) << text.asChar();
    }
}

TEST(MStringTest, ParseDoubleRefusesPartialTexts)
{
    const char* bad[] = {"", "1x", " 1", "1 ", "--1", "+", "1e", "nanx", "1e400"};
    for (const char* text : bad) {
        double v = 7.0;
        EXPECT_FALSE(vesk::parseDouble(text, v)) << text;
        EXPECT_EQ(v, 7.0);
    }
    double v = 0.0;
    EXPECT_TRUE(vesk::parseDouble("+2.5e1", v));
    EXPECT_EQ(v, 25.0);
}

TEST(MStringTest, SplitDropsEmptyPieces)
{
    const struct {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {"  a b  c ", {"a", "b", "c"}},
        {"", {}},
        {"   ", {}},
        {"abc", {"abc"}},
    };
    for (const auto& c : cases) {
        MStringArray pieces;
        pieces.append("stale");
        ASSERT_TRUE(MString(c.text).split(' ', pieces));
        ASSERT_EQ(pieces.length(), c.pieces.size()) << c.text;
        for (unsigned int i = 0; i < pieces.length(); ++i)
            EXPECT_EQ(pieces[i].asChar(), c.pieces[i]);
    }
}

TEST(MStringTest, SubstringAndSearchStayInsideTheText)
{
    const MString s("a|b|c");
    EXPECT_STREQ(s.substring(2, 100).asChar(), "b|c");
    EXPECT_STREQ(s.substring(-5, 0).asChar(), "a");
    EXPECT_STREQ(s.substring(4, 2).asChar(), "");
    EXPECT_STREQ(s.substring(9, 12).asChar(), "");
    EXPECT_EQ(s.index('|'), 1);
    EXPECT_EQ(s.rindex('|'), 3);
    EXPECT_EQ(s.index('x'), -1);
    EXPECT_STREQ(MString("AbC").toLowerCase().asChar(), "abc");
    EXPECT_EQ(MString("h\xC3\xA9").numChars(), 2u);
}

TEST(ValueArrayTest, EditsOutsideTheArrayFailAndChangeNothing)
{
    MIntArray a(3, 7);
    EXPECT_EQ(a.insert(1, 4).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(a.remove(3).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(a.set(1, 3).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(a.length(), 3u);
    EXPECT_TRUE(a.insert(9, 3));
    EXPECT_TRUE(a.insert(5, 0));
    EXPECT_TRUE(a.remove(1));
    const int expected[] = {5, 7, 7, 9};
    ASSERT_EQ(a.length(), 4u);
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], expected[i]);
    const int* null = nullptr;
    EXPECT_EQ(MIntArray(null, 5).length(), 0u);
}

TEST(ValueArrayDeathTest, IndexPastTheEndAborts)
{
    MIntArray a(3, 0);
    EXPECT_DEATH(a[3] = 1, "MIntArray: index 3 out of range \\(length 3\\)");
    const MStringArray empty;
    EXPECT_DEATH((void)empty[0], "MStringArray: index 0 out of range");
}

TEST(MStatusTest, PerrorAddsOneLineWithTheStatusText)
{
    vesk::MessageLog::clear();
    MStatus(MStatus::kNotFound).perror("Plug not found : x");
    MStatus(MStatus::kInvalidParameter).perror(nullptr);
    ASSERT_EQ(vesk::MessageLog::size(), 2u);
    EXPECT_EQ(vesk::MessageLog::line(0), "Plug not found : x: Not found");
    EXPECT_EQ(vesk::MessageLog::line(1), ": Invalid parameter");
    EXPECT_TRUE(MStatus() == MStatus::kSuccess);
    EXPECT_FALSE(static_cast<bool>(MStatus(MStatus::kFailure)));
}

TEST(MessageLogTest, ASinkSeesEachLineAsItArrives)
{
    struct Seen {
        std::vector<std::string> lines;
    } seen;
    vesk::MessageLog::setSink(
        [](vesk::MessageLog::Severity, const char* text, void* user) {
            static_cast<Seen*>(user)->lines.push_back(text);
        },
        &seen);
    MStatus(MStatus::kFailure).perror("first");
    vesk::MessageLog::add(vesk::MessageLog::kWarning, "second");
    vesk::MessageLog::setSink(nullptr, nullptr);
    MStatus(MStatus::kFailure).perror("third");
    EXPECT_EQ(seen.lines, (std::vector<std::string>{"first: Failure", "second"}));
    EXPECT_EQ(vesk::MessageLog::last(), "third: Failure");
    EXPECT_EQ(vesk::MessageLog::severity(vesk::MessageLog::size() - 2), vesk::MessageLog::kWarning);
    EXPECT_EQ(vesk::MessageLog::line(1u << 30), "");
}
