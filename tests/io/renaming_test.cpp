#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "io/kqelpluginrenamingstrategy.h"

namespace qelsdk_600 {
namespace {

typedef KQelPluginRenamingStrategy Strategy;

std::vector<std::string> RenameAllToQel(Strategy::EClashType pType,
                                        const std::vector<std::string>& pNames)
{
    Strategy strategy(Strategy::eToQel, false);
    strategy.SetClashSoverType(pType);
    std::vector<std::string> out;
    for (const std::string& name : pNames) {
        KName kname(name.c_str());
        bool changed = strategy.Rename(kname);
        EXPECT_EQ(name, kname.GetInitialName());
        EXPECT_EQ(changed, name != kname.GetCurrentName()) << name;
        out.push_back(kname.GetCurrentName());
    }
    return out;
}

std::string DecodeFromQel(const std::string& pName)
{
    Strategy strategy(Strategy::eFromQel, false);
    KName kname(pName.c_str());
    strategy.Rename(kname);
    return kname.GetCurrentName();
}

// 40 letters; Upper(i) spells it with the letter at position i upper case.
const std::string kLong = "abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
std::string Upper(std::size_t pPosition)
{
    std::string name = kLong;
    name[pPosition] = static_cast<char>(name[pPosition] - 'a' + 'A');
    return name;
}

TEST(RenameToQel, ClashesGetMarkersThatNeverClashAgainAndDecodeBack)
{
    const struct {
        Strategy::EClashType mType;
        std::vector<std::string> mIn;
        std::vector<std::string> mOut;
    } cases[] = {
        {Strategy::eExactAndCaseClash, {"A", "A", "A"}, {"A", "A_ncl1_1", "A_ncl1_2"}},
        {Strategy::eExactAndCaseClash, {"Cube", "cube"}, {"Cube", "Cube_ncl2_ul1"}},
        {Strategy::eExactAndCaseClash, {"cube", "CUBE"}, {"cube", "cube_ncl2_lu15"}},
        {Strategy::eExactAndCaseClash, {"aBc", "AbC"}, {"aBc", "aBc_ncl2_ul2lu5"}},
        {Strategy::eExactClashOnly, {"A", "a", "A"}, {"A", "a", "A_ncl1_1"}},
        {Strategy::eCaseClashOnly, {"A", "A", "a"}, {"A", "A", "A_ncl2_ul1"}},
        // Generated names are checked against the records.
        {Strategy::eExactAndCaseClash, {"A", "A_ncl1_1", "A"}, {"A", "A_ncl1_1", "A_ncl1_2"}},
        {Strategy::eExactAndCaseClash,
         {"Cube", "Cube_ncl2_ul1", "cube", "cube"},
         {"Cube", "Cube_ncl2_ul1", "Cube_ncl2_ul1_ncl1_1", "Cube_ncl2_ul1_ncl1_2"}},
        // Case differences beyond position 31 keep the incoming spelling.
        {Strategy::eExactAndCaseClash,
         {kLong, Upper(35), Upper(35), kLong},
         {kLong, Upper(35) + "_ncl1_1", Upper(35) + "_ncl1_2", kLong + "_ncl1_3"}},
        {Strategy::eExactAndCaseClash, {kLong, Upper(31)}, {kLong, kLong + "_ncl2_lu2147483648"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mIn.back());
        std::vector<std::string> out = RenameAllToQel(c.mType, c.mIn);
        EXPECT_EQ(c.mOut, out);
        for (std::size_t i = 0; i < out.size(); ++i) {
            // Names holding a marker themselves cannot be told apart.
            if (c.mIn[i].find("_ncl") == std::string::npos) {
                EXPECT_EQ(c.mIn[i], DecodeFromQel(out[i]));
            }
        }
    }
}

TEST(RenameToQel, ChangingTheClashTypeForgetsTheRecords)
{
    Strategy strategy(Strategy::eToQel, false);
    KName first("A");
    strategy.Rename(first);
    strategy.Clear();  // keeps the records
    strategy.SetClashSoverType(Strategy::eExactAndCaseClash);
    KName second("A");
    EXPECT_TRUE(strategy.Rename(second));
    strategy.SetClashSoverType(Strategy::eExactClashOnly);
    KName third("A");
    EXPECT_FALSE(strategy.Rename(third));
    EXPECT_EQ(nullptr, strategy.Clone());
}

TEST(RenameFromQel, MarkersAndSuffixesAreUndone)
{
    const struct {
        const char* mIn;
        bool mReplaceParentheses;
        const char* mCurrent;
        const char* mInitial;
        bool mChanged;
    } cases[] = {
        {"Cube_ncl1_2", false, "Cube", "Cube_ncl1_2", true},
        {"Cube_ncl2_ul1", false, "cube", "Cube_ncl2_ul1", true},
        {"leg(3)", true, "leg", "leg_3_", true},
        {"leg(3)", false, "leg", "leg(3)", true},
        {"abc(12)", false, "abc", "abc(12)", true},
        {"a(1)b(2", false, "a_1_b", "a(1)b(2", true},
        {"abc(x1)", false, "abc_x1_", "abc(x1)", false},
        {"(12)", false, "_12_", "(12)", false},
        {"Head.L", false, "Head_L", "Head.L", false},
        // A marker at the very start is no marker.
        {"_ncl1_3", false, "_ncl1_3", "_ncl1_3", false},
        {"_ncl2_ul1", false, "_ncl2_ul1", "_ncl2_ul1", false},
        // Masks from a file: only positions before the marker, 32 bits.
        {"ab_ncl2_ul4294967295lu99999999999", false, "ab", "ab_ncl2_ul4294967295lu99999999999",
         true},
        {"AB_ncl2_ul4294967296", false, "AB", "AB_ncl2_ul4294967296", true},
        {"Q_ncl2_ullu", false, "Q", "Q_ncl2_ullu", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mIn);
        Strategy strategy(Strategy::eFromQel, c.mReplaceParentheses);
        KName name(c.mIn);
        EXPECT_EQ(c.mChanged, strategy.Rename(name));
        EXPECT_STREQ(c.mCurrent, name.GetCurrentName());
        EXPECT_STREQ(c.mInitial, name.GetInitialName());
    }
}

TEST(RenameFromQel, ReplacementIsAsciiAndOverridable)
{
    Strategy strategy(Strategy::eFromQel, false);
    KString text("Head.L \xC3\xA4");
    strategy.ReplaceNonAlphaNum(text, "-");
    EXPECT_STREQ("Head-L---", text.Buffer());

    struct KeepAll : Strategy {
        KeepAll() : Strategy(eFromQel, false) {}
        void ReplaceNonAlphaNum(KString&, const char*) override {}
    } keep;
    KName name("Head.L");
    keep.Rename(name);
    EXPECT_STREQ("Head.L", name.GetCurrentName());
}

TEST(RenamingStrategy, NoPrefixNameDropsTheNameSpaceAndCuts)
{
    EXPECT_STREQ("Arm", Strategy::NoPrefixName("Model::Arm"));
    EXPECT_STREQ("Arm", Strategy::NoPrefixName(KString("Arm")));
    EXPECT_STREQ("b::c", Strategy::NoPrefixName("a::b::c"));
    EXPECT_STREQ("", Strategy::NoPrefixName(static_cast<const char*>(nullptr)));
    std::string longName = "Model::" + std::string(300, 'x');
    EXPECT_EQ(255u, std::strlen(Strategy::NoPrefixName(longName.c_str())));
}

}  // namespace
}  // namespace qelsdk_600
