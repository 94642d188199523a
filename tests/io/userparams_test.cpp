#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "io/settings/kqeluserparams.h"
#include "userparams_support.h"

namespace qelsdk_600 {
namespace {

using iotest::TestParams;
typedef KQelUserParams P;

std::vector<std::string> Values(const KQelUserParams& pParams)
{
    std::vector<std::string> values;
    for (int i = 0; i < pParams.GetNbParameters(); ++i)
        values.push_back(pParams.Entry(i)->mValue.Buffer());
    return values;
}

TEST(UserParams, NewTableHoldsTheStandardEntries)
{
    TestParams params;
    EXPECT_EQ(51, params.GetNbParameters());
    EXPECT_EQ(nullptr, params.Entry(51));
    EXPECT_STREQ("kImportLoadMode", params.Entry(28)->mName.Buffer());
    EXPECT_STREQ("kCreate", params.GetStringParam(28).Buffer());
    EXPECT_EQ(30.0, params.GetDoubleParam(5));
    EXPECT_STREQ("1.0000", params.GetStringParam(22).Buffer());
    EXPECT_STREQ("kImportUnrollPath", params.Entry(50)->mName.Buffer());
    EXPECT_EQ(KQelUserParamEntry::eDouble, params.Entry(P::kImportUnrollPrec)->mType);
    EXPECT_EQ(std::string("Detected source world unit = Unit\n1 unit = 1 centimeter"),
              params.GetMasterUnitStr(false).Buffer());
    EXPECT_TRUE(params.GetBoolParam(P::kShowWarnings));
    EXPECT_FALSE(params.GetBoolParam(P::kAsciiQel));
}

TEST(UserParams, OnlyTheExactTextTrueIsTrue)
{
    TestParams params;
    const struct {
        const char* mText;
        bool mExpected;
    } cases[] = {{"true", true}, {"TRUE", false}, {"1", false}, {"true ", false}, {"", false}};
    for (const auto& c : cases) {
        params.SetStringParam(P::kShowWarnings, c.mText);
        EXPECT_EQ(c.mExpected, params.GetBoolParam(P::kShowWarnings)) << c.mText;
    }
    params.SetBoolParam(P::kShowWarnings, false);
    EXPECT_STREQ("false", params.GetStringParam(P::kShowWarnings).Buffer());
}

TEST(UserParams, DoublesKeepFixedTextUnlessItLosesTheValue)
{
    const struct {
        double mValue;
        const char* mText;
    } cases[] = {
        {24.0, "24.000000"},   {2.54, "2.540000"},         {91.44, "91.440002"},
        {0.00009, "0.000090"}, {0.0, "0.000000"},          {-30.48, "-30.480000"},
        {0.0000001, "1e-07"},  {0.000006213, "6.213e-06"}, {1e-30, "1e-30"},
    };
    TestParams params;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mText);
        params.SetDoubleParam(P::kImportMasterScale, c.mValue);
        EXPECT_STREQ(c.mText, params.GetStringParam(P::kImportMasterScale).Buffer());
        float single = static_cast<float>(c.mValue);
        EXPECT_NEAR(single, params.GetMasterScale(true), 1e-4 * std::fabs(single));
    }
}

TEST(UserParams, NumberTextsIgnoreTheProcessLocale)
{
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    TestParams params;
    params.SetDoubleParam(P::kExportMasterScale, 2.54);
    params.SetDoubleParam(P::kImportMasterScale, 0.0000001);
    std::string fixed = params.GetStringParam(P::kExportMasterScale).Buffer();
    std::string tiny = params.GetStringParam(P::kImportMasterScale).Buffer();
    double read = params.GetDouble("0.25");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ("2.540000", fixed);
    EXPECT_EQ("1e-07", tiny);
    EXPECT_EQ(0.25, read);
}

TEST(UserParams, GetDoubleReadsTheLeadingNumber)
{
    TestParams params;
    const struct {
        const char* mText;
        double mExpected;
    } cases[] = {{"  12.5abc", 12.5}, {"+3", 3.0}, {"-1e2", -100.0}, {"abc", 0.0}, {"", 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.mExpected, params.GetDouble(c.mText)) << c.mText;
    EXPECT_EQ(0.0, params.GetDouble(nullptr));
}

TEST(UserParams, SideAccessorsTouchOnlyTheirEntry)
{
    const struct {
        void (*mChange)(TestParams&);
        unsigned int mEntry;
        const char* mText;
    } cases[] = {
        {[](TestParams& p) { p.SetResamplingRate(25.0, false); }, P::kExportSamplingRate, "25.000000"},
        {[](TestParams& p) { p.SetResamplingRate(24.0, true); }, P::kImportSamplingRate, "24.000000"},
        {[](TestParams& p) { p.SetMasterScale(2.0, true); }, P::kImportMasterScale, "2.000000"},
        {[](TestParams& p) { p.SetMasterScale(0.5, false); }, P::kExportMasterScale, "0.500000"},
    };
    for (const auto& c : cases) {
        TestParams params;
        std::vector<std::string> before = Values(params);
        c.mChange(params);
        std::vector<std::string> after = Values(params);
        before[c.mEntry] = c.mText;
        EXPECT_EQ(before, after) << c.mEntry;
    }
}

TEST(UserParams, IndicesPastTheTableAreHarmless)
{
    TestParams params;
    std::vector<std::string> before = Values(params);
    for (unsigned int index : {51u, 60u, 0xFFFFFFFFu}) {
        params.SetBoolParam(index, true);
        params.SetDoubleParam(index, 2.0);
        params.SetStringParam(index, "x");
        EXPECT_FALSE(params.GetBoolParam(index));
        EXPECT_EQ(0.0, params.GetDoubleParam(index));
        EXPECT_TRUE(params.GetStringParam(index).IsEmpty());
    }
    EXPECT_EQ(before, Values(params));
}

TEST(UserParams, LoadModesConvertExactlyAndDefaultToMerge)
{
    TestParams params;
    const struct {
        const char* mText;
        P::ELoadMode mMode;
    } cases[] = {{"kExclusiveMerge", P::eExclusiveMerge}, {"kMerge", P::eMerge},
                 {"kCreate", P::eCreate},                 {"kmerge", P::eMerge},
                 {"", P::eMerge},                         {"kCreate ", P::eMerge}};
    for (const auto& c : cases)
        EXPECT_EQ(c.mMode, params.StringToLoadMode(KString(c.mText))) << c.mText;
    EXPECT_STREQ("kExclusiveMerge", params.LoadModeToString(P::eExclusiveMerge).Buffer());
    EXPECT_TRUE(params.LoadModeToString(static_cast<P::ELoadMode>(3)).IsEmpty());
    EXPECT_TRUE(params.LoadModeToString(static_cast<P::ELoadMode>(-1)).IsEmpty());
}

TEST(UserParams, ApplicationEntriesAreCopiedAfterTheStandardOnes)
{
    TestParams params;
    KArrayTemplate<KQelUserParamEntry*> own;
    for (int i = 0; i < 10; ++i)
        own.Add(new KQelUserParamEntry("kHostSetting", KQelUserParamEntry::eBool, "true"));
    own.Add(nullptr);
    params.AddUserParams(own);
    EXPECT_EQ(61, params.GetNbParameters());
    EXPECT_STREQ("kHostSetting", params.Entry(51)->mName.Buffer());
    EXPECT_NE(own[0], params.Entry(51));
    params.SetBoolParam(51, false);
    EXPECT_STREQ("true", own[0]->mValue.Buffer());
    params.Reset();
    EXPECT_EQ(51, params.GetNbParameters());
    DeleteAndClear(own);
}

TEST(UserParams, SideResetsRestoreTheirOwnEntriesOnly)
{
    const char* const rotated[] = {"0.009", "0.00009", "0.009", "0.004"};
    const struct {
        void (*mReset)(KQelUserParams&);
        unsigned int mFirst;   // first entry of the side after 2 and 3
        unsigned int mLast;
        unsigned int mPrecisions;
    } cases[] = {
        {[](KQelUserParams& p) { p.ResetExport(); }, 4, 27, P::kExportCstKeyRedTPrec},
        {[](KQelUserParams& p) { p.ResetImport(); }, 29, 50, P::kImportCstKeyRedTPrec},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFirst);
        TestParams defaults;
        TestParams params;
        for (int i = 0; i < params.GetNbParameters(); ++i)
            params.SetStringParam(i, "changed");
        c.mReset(params);
        for (unsigned int i = 0; i < 51; ++i) {
            bool reset = i == P::kShowWarnings || i == P::kAsciiQel || (i >= c.mFirst && i <= c.mLast);
            std::string expected = reset ? defaults.GetStringParam(i).Buffer() : "changed";
            if (i >= c.mPrecisions && i < c.mPrecisions + 4)
                expected = rotated[i - c.mPrecisions];
            EXPECT_EQ(expected, params.GetStringParam(i).Buffer()) << i;
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
