#include "base/kstring.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

using qelsdk_600::KString;

namespace {

TEST(KStringTest, KeepsTextsAcrossTheInPlaceLimit)
{
    for (int length : {0, 1, 62, 63, 64, 5000}) {
        std::string text(static_cast<size_t>(length), 'x');
        for (int i = 0; i < length; ++i)
            text[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
        KString built(text.c_str());
        KString copied(built);
        KString assigned;
        assigned = built;
        KString moved(KString(text.c_str()));
        for (const KString* s : {&built, &copied, &assigned, &moved}) {
            EXPECT_TRUE(s->IsOK()) << length;
            EXPECT_EQ(s->GetLen(), length);
            EXPECT_EQ(std::string(s->Buffer()), text);
        }
        // Copies own their text.
        if (length > 0) {
            copied.Buffer()[0] = '#';
            EXPECT_EQ(built.Buffer()[0], 'a');
        }
    }
}

TEST(KStringTest, AppendingCrossesFromInPlaceToHeap)
{
    KString s(std::string(60, 'a').c_str());
    s += "bcd";
    EXPECT_EQ(s.GetLen(), 63);
    EXPECT_EQ(std::string(s.Buffer()), std::string(60, 'a') + "bcd");
    std::string expected(s.Buffer());
    for (int i = 0; i < 1000; ++i) {
        s += "0123456789";
        expected += "0123456789";
    }
    EXPECT_EQ(std::string(s.Buffer()), expected);
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s.Buffer(), "");
}

TEST(KStringTest, NullInputMakesInvalidAndInvalidSpreads)
{
    KString invalid(nullptr);
    EXPECT_FALSE(invalid.IsOK());
    EXPECT_EQ(invalid.GetLen(), 0);
    EXPECT_STREQ(invalid.Buffer(), "");

    KString copy(invalid);
    EXPECT_FALSE(copy.IsOK());
    KString assigned("text");
    assigned = invalid;
    EXPECT_FALSE(assigned.IsOK());
    EXPECT_FALSE((invalid + "abc").IsOK());
    EXPECT_FALSE((KString("abc") + invalid).IsOK());
    EXPECT_FALSE((invalid + 5).IsOK());
    EXPECT_FALSE(invalid.Left(3).IsOK());
    EXPECT_FALSE(invalid.UnPad(KString::kBoth).IsOK());

    KString appended("abc");
    appended += invalid;
    EXPECT_FALSE(appended.IsOK());
    appended += "more";  // stays invalid
    EXPECT_FALSE(appended.IsOK());
    EXPECT_EQ(appended.GetLen(), 0);

    KString nulled("abc");
    nulled = static_cast<const char*>(nullptr);
    EXPECT_FALSE(nulled.IsOK());
    KString appendedNull("abc");
    appendedNull += static_cast<const char*>(nullptr);
    EXPECT_FALSE(appendedNull.IsOK());

    // A new valid value makes the string valid again.
    nulled = "back";
    EXPECT_TRUE(nulled.IsOK());
    EXPECT_STREQ(nulled.Buffer(), "back");
    EXPECT_FALSE(KString(nullptr, 3).IsOK());
    EXPECT_FALSE(KString("abc", -1).IsOK());
}

TEST(KStringTest, InvalidAndNullCompareAsEmpty)
{
    KString invalid(nullptr);
    EXPECT_EQ(invalid.Compare(""), 0);
    EXPECT_EQ(invalid.Compare(nullptr), 0);
    EXPECT_TRUE(invalid == "");
    EXPECT_TRUE(invalid == KString());
    EXPECT_EQ(KString("").Compare(nullptr), 0);
    EXPECT_GT(KString("a").Compare(nullptr), 0);
    EXPECT_GT(KString("ABC").CompareNoCase(nullptr), 0);
}

TEST(KStringTest, AssignsAndAppendsFromItsOwnBuffer)
{
    KString s("0123456789");
    s = s.Buffer() + 4;
    EXPECT_STREQ(s.Buffer(), "456789");

    // The appended text lives in the buffer that the append must grow.
    KString grown(std::string(40, 'g').c_str());
    grown += grown.Buffer();
    EXPECT_EQ(std::string(grown.Buffer()), std::string(80, 'g'));
    grown += grown;
    EXPECT_EQ(std::string(grown.Buffer()), std::string(160, 'g'));

    KString replaced("abcabc");
    EXPECT_TRUE(replaced.FindAndReplace("b", replaced.Buffer() + 3));
    EXPECT_STREQ(replaced.Buffer(), "aabccabc");
}

TEST(KStringTest, BuildsFromTheFirstBytesOfABuffer)
{
    EXPECT_STREQ(KString("abcdef", 3).Buffer(), "abc");
    EXPECT_STREQ(KString("abcdef", 0).Buffer(), "");
    const char withNul[] = {'a', 'b', '\0', 'd', 'e'};
    KString stopped(withNul, 5);
    EXPECT_EQ(stopped.GetLen(), 2);
    EXPECT_STREQ(stopped.Buffer(), "ab");
}

TEST(KStringTest, WritesNumbersAsDecimalText)
{
    EXPECT_STREQ(KString(0).Buffer(), "0");
    EXPECT_STREQ(KString(-2147483647 - 1).Buffer(), "-2147483648");
    EXPECT_STREQ(KString(2147483647).Buffer(), "2147483647");
    EXPECT_STREQ(KString(30.0f).Buffer(), "30.000000");
    EXPECT_STREQ(KString(-0.5f).Buffer(), "-0.500000");
    EXPECT_STREQ(KString(0.1f).Buffer(), "0.100000");
    EXPECT_STREQ(KString(1e10f).Buffer(), "10000000000.000000");
    KString assigned("x");
    assigned = 2.25f;
    EXPECT_STREQ(assigned.Buffer(), "2.250000");

    KString s("take");
    s += 12;
    s += -3;
    EXPECT_STREQ(s.Buffer(), "take12-3");
    EXPECT_STREQ((KString("a") + 7).Buffer(), "a7");
    EXPECT_STREQ((KString("a") + KString("b") + "c").Buffer(), "abc");
}

TEST(KStringTest, FloatTextIgnoresTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    KString value(1.5f);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_STREQ(value.Buffer(), "1.500000");
}

TEST(KStringTest, ComparesTextNotPointers)
{
    KString abc("abc");
    EXPECT_TRUE(abc == "abc");
    EXPECT_FALSE(abc == "ABC");
    EXPECT_TRUE(abc != "abd");
    EXPECT_TRUE("abc" == abc);
    EXPECT_FALSE("abd" == abc);
    EXPECT_TRUE(abc == KString("abc"));
    EXPECT_TRUE(abc != KString("ab"));
    EXPECT_TRUE(KString("ab") < abc);
    EXPECT_TRUE(abc < "abd");
    EXPECT_LT(abc.Compare("abd"), 0);
    EXPECT_EQ(abc.CompareNoCase("ABC"), 0);
    EXPECT_LT(abc.CompareNoCase("ABD"), 0);
    EXPECT_GT(KString("b").CompareNoCase("A"), 0);
    // Bytes above 127 order after ASCII, as strcmp does.
    EXPECT_GT(KString("\xe9").Compare("z"), 0);
}

TEST(KStringTest, FindsTextsAndCharacters)
{
    KString s("a/b/c");
    struct Case {
        const char* text;
        unsigned int start;
        int expected;
    };
    const Case cases[] = {
        {"/", 0, 1}, {"/", 1, 1}, {"/", 2, 3}, {"/", 4, -1}, {"b/c", 0, 2},
        {"x", 0, -1}, {"", 5, 5}, {"", 6, -1}, {"/", 100, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s.Find(c.text, c.start), c.expected) << c.text << " from " << c.start;
    EXPECT_EQ(s.Find(static_cast<const char*>(nullptr), 3), 0);
    EXPECT_EQ(s.Find('/', 2), 3);
    EXPECT_EQ(s.Find('/', 4), -1);
    EXPECT_EQ(s.Find('/', 1000), -1);
    EXPECT_EQ(s.ReverseFind('/'), 3);
    EXPECT_EQ(s.ReverseFind('a'), 0);
    EXPECT_EQ(s.ReverseFind('z'), -1);
    EXPECT_EQ(KString().ReverseFind('a'), -1);
}

TEST(KStringTest, CutsPiecesWithinTheText)
{
    KString s("abcdef");
    EXPECT_STREQ(s.Left(2).Buffer(), "ab");
    EXPECT_STREQ(s.Left(99).Buffer(), "abcdef");
    EXPECT_STREQ(s.Mid(4).Buffer(), "ef");
    EXPECT_STREQ(s.Mid(6).Buffer(), "");
    EXPECT_STREQ(s.Mid(60).Buffer(), "");
    EXPECT_STREQ(s.Mid(1, 3).Buffer(), "bcd");
    EXPECT_STREQ(s.Mid(4, 99).Buffer(), "ef");
    EXPECT_STREQ(s.Mid(4, 0xFFFFFFFFu).Buffer(), "ef");
    EXPECT_STREQ(s.Right(2).Buffer(), "ef");
    EXPECT_STREQ(s.Right(99).Buffer(), "abcdef");
    EXPECT_STREQ(s.Right(0).Buffer(), "");
}

TEST(KStringTest, MakesChangedCopies)
{
    KString s("Mixed Case 12");
    EXPECT_STREQ(s.Upper().Buffer(), "MIXED CASE 12");
    EXPECT_STREQ(s.Lower().Buffer(), "mixed case 12");
    EXPECT_STREQ(s.Reverse().Buffer(), "21 esaC dexiM");
    EXPECT_STREQ(s.Buffer(), "Mixed Case 12");
    EXPECT_STREQ(KString().Reverse().Buffer(), "");

    KString padded(" \t x y \r\n");
    EXPECT_STREQ(padded.UnPad(KString::kRight).Buffer(), " \t x y");
    EXPECT_STREQ(padded.UnPad(KString::kLeft).Buffer(), "x y \r\n");
    EXPECT_STREQ(padded.UnPad(KString::kBoth).Buffer(), "x y");
    EXPECT_STREQ(KString(" \t\n ").UnPad(KString::kBoth).Buffer(), "");
}

TEST(KStringTest, FindAndReplaceLoopReplacesEveryOccurrence)
{
    KString s("a.b.c.d");
    int replaced = 0;
    while (s.FindAndReplace(".", "::", 0))
        ++replaced;
    EXPECT_EQ(replaced, 3);
    EXPECT_STREQ(s.Buffer(), "a::b::c::d");

    KString fromStart("xaxa");
    EXPECT_TRUE(fromStart.FindAndReplace("a", "", 2));
    EXPECT_STREQ(fromStart.Buffer(), "xax");
    EXPECT_FALSE(fromStart.FindAndReplace("q", "r", 0));
    EXPECT_FALSE(fromStart.FindAndReplace("", "r", 0));
    EXPECT_FALSE(fromStart.FindAndReplace(nullptr, "r", 0));
    EXPECT_FALSE(fromStart.FindAndReplace("x", nullptr, 0));
    EXPECT_STREQ(fromStart.Buffer(), "xax");
}

TEST(KStringTest, FindAndReplaceRefusesOccurrencesPastIndex4095)
{
    std::string head(4095, '-');
    KString atLimit((head + "ab").c_str());
    EXPECT_TRUE(atLimit.FindAndReplace("ab", "X", 0));
    EXPECT_EQ(std::string(atLimit.Buffer()), head + "X");

    KString pastLimit((head + "-ab").c_str());
    EXPECT_FALSE(pastLimit.FindAndReplace("ab", "X", 0));
    EXPECT_EQ(std::string(pastLimit.Buffer()), head + "-ab");

    // A result longer than 4095 characters is kept whole.
    std::string longReplacement(5000, 'r');
    KString grows("x<>y");
    EXPECT_TRUE(grows.FindAndReplace("<>", longReplacement.c_str(), 0));
    EXPECT_EQ(std::string(grows.Buffer()), "x" + longReplacement + "y");
    EXPECT_EQ(grows.GetLen(), 5002);
}

TEST(KStringTest, TokensSkipEmptyPieces)
{
    struct Case {
        const char* text;
        const char* delimiters;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"a;;b", ";", {"a", "b"}},
        {";a;b;", ";", {"a", "b"}},
        {"1/2//3", "/", {"1", "2", "3"}},
        {"f 1/2 3/4", " /", {"f", "1", "2", "3", "4"}},
        {"single", ";", {"single"}},
        {";;;", ";", {}},
        {"", ";", {}},
    };
    for (const Case& c : cases) {
        KString s(c.text);
        ASSERT_EQ(s.GetTokenCount(c.delimiters), static_cast<int>(c.tokens.size())) << c.text;
        for (size_t i = 0; i < c.tokens.size(); ++i)
            EXPECT_STREQ(s.GetToken(static_cast<int>(i), c.delimiters).Buffer(), c.tokens[i].c_str());
        EXPECT_STREQ(s.GetToken(static_cast<int>(c.tokens.size()), c.delimiters).Buffer(), "");
        EXPECT_STREQ(s.GetToken(-1, c.delimiters).Buffer(), "");
    }
    EXPECT_EQ(KString(nullptr).GetTokenCount(";"), 0);
}

TEST(KStringTest, IndexingOutOfRangeLeavesTheTextAlone)
{
    KString s("ab");
    EXPECT_EQ(s[1u], 'b');
    s[0u] = 'x';
    EXPECT_STREQ(s.Buffer(), "xb");
    s[2u] = 'z';  // the terminator must stay
    s[100u] = 'z';
    EXPECT_STREQ(s.Buffer(), "xb");
    EXPECT_EQ(s[100u], '\0');
    const KString& constant = s;
    EXPECT_EQ(constant[5u], '\0');
}

}  // namespace
