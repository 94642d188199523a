#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/kconfigfile.h"
#include "base/klib.h"
#include "common/scratch_dir.h"
#include "userparams_support.h"

namespace qelsdk_600 {
namespace {

using iotest::TestParams;
typedef KQelUserParams P;

// Configuration files of one test live in a scratch directory.
class UserParamsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSavedConfig = KLib_GetConfigDirectory();
        KLib_SetConfigDirectory(mDir.Path().c_str());
    }
    void TearDown() override { KLib_SetConfigDirectory(mSavedConfig.c_str()); }

    std::string Text(const char* pName) { return scratch::ReadFile(mDir.File(pName)); }

    scratch::ScratchDir mDir;
    std::string mSavedConfig;
};

TEST_F(UserParamsFile, SaveAndLoadRoundTripAllKeptEntries)
{
    TestParams saved;
    for (unsigned int i = 0; i < P::kStandardParamCount; ++i)
        saved.SetStringParam(i, KString("value ") + static_cast<int>(i));
    saved.SetStringParam(P::kExportMasterUnitStr, "Detected source world unit = Inch\n1 inch = 2.54 centimeters");
    saved.SetStringParam(P::kImportMasterUnitStr, "two\nline\nfeeds");
    {
        KConfigFile file("settings.ini");
        saved.Save(file, "UserParams");
    }
    std::string text = Text("settings.ini");
    EXPECT_EQ(std::string::npos, text.find("kExportPivotToNull"));
    EXPECT_EQ(std::string::npos, text.find("kImportNullsToPivot"));
    EXPECT_NE(std::string::npos, text.find("kImportMasterUnitStr = two\\nline\\nfeeds"));

    TestParams loaded;
    KConfigFile file("settings.ini");
    loaded.Load(file, "UserParams");
    TestParams defaults;
    for (unsigned int i = 0; i < P::kStandardParamCount; ++i) {
        bool kept = i != P::kExportPivotToNull && i != P::kImportNullsToPivot;
        EXPECT_STREQ((kept ? saved : defaults).GetStringParam(i).Buffer(),
                     loaded.GetStringParam(i).Buffer())
            << i;
    }
}

TEST_F(UserParamsFile, LoadKeepsValuesWithoutKeyAndStoresOthersAsRead)
{
    scratch::WriteFile(mDir.File("partial.ini"),
                       "[UserParams]\nkShowWarnings = TRUE\nkExportSamplingRate = fast\n"
                       "[Other]\nkAsciiQel = true\n");
    TestParams params;
    {
        KConfigFile file("partial.ini");
        params.Load(file, "UserParams");
    }
    EXPECT_STREQ("TRUE", params.GetStringParam(P::kShowWarnings).Buffer());
    EXPECT_FALSE(params.GetBoolParam(P::kShowWarnings));
    EXPECT_EQ(0.0, params.GetDoubleParam(P::kExportSamplingRate));
    EXPECT_STREQ("false", params.GetStringParam(P::kAsciiQel).Buffer());

    TestParams untouched;
    TestParams defaults;
    KConfigFile missing("missing.ini");
    untouched.Load(missing, "UserParams");
    KConfigFile other("partial.ini");
    untouched.Load(other, "NoSuchSection");
    for (unsigned int i = 0; i < P::kStandardParamCount; ++i)
        EXPECT_STREQ(defaults.GetStringParam(i).Buffer(), untouched.GetStringParam(i).Buffer());
}

// Factors of the unit table: units per centimetre (import) and centimetres
// per unit (export).
const struct {
    P::ESysUnits mUnit;
    double mImport;
    double mExport;
    const char* mImportTail;
    const char* mExportTail;
} kUnitCases[] = {
    {P::eUnit, 1.0, 1.0, "Unit\n1 centimeter = 1 unit", "Unit\n1 unit = 1 centimeter"},
    {P::eInch, 0.3937, 2.54, "Inches\n1 centimeter = 0.3937000 inches",
     "Inch\n1 inch = 2.54 centimeters"},
    {P::eFoot, 0.0328084, 30.48, "Feet\n1 centimeter = 0.0328080 feet",
     "Feet\n1 feet = 30.48 centimeters"},
    {P::eYard, 0.010936, 91.44, "Yard\n1 centimeter = 0.010936 yards",
     "Yard\n1 yard = 91.44 centimeters"},
    {P::eMile, 0.000006213, 160934.4, "Miles\n1 centimeter = 0.0000062 miles",
     "Mile\n1 mile = 160934.4 centimeters"},
    {P::eMillimeter, 10.0, 0.1, "Millimeters\n1 centimeter = 10 millimeters",
     "Millimeter\n1 millimeter = 0.1 centimeters"},
    {P::eCentimeter, 1.0, 1.0, "Centimeters\n1 centimeter = 1 centimeter",
     "Centimeter\n1 centimeter = 1 centimeter"},
    {P::eMeter, 0.01, 100.0, "Meter\n1 centimeter = 0.01 meter", "Meter\n1 meter = 100 centimeters"},
    {P::eKilometer, 0.00001, 100000.0, "Kilometer\n1 centimeter = 0.00001 kilometer",
     "Kilometer\n1 kilometer = 100000 centimeters"},
};

TEST(MasterScale, EveryUnitGivesItsTextsAndFactorsOnBothSides)
{
    for (const auto& c : kUnitCases) {
        SCOPED_TRACE(c.mUnit);
        TestParams params;
        params.mUnit = c.mUnit;
        params.mSystemScale = 2.0;
        params.ComputeMasterScale(true, false);
        EXPECT_EQ(0, params.mScaleCalls);
        params.ComputeMasterScale(false, false);
        EXPECT_EQ(1, params.mScaleCalls);
        EXPECT_EQ(std::string("Detected destination world unit = ") + c.mImportTail,
                  params.GetMasterUnitStr(true).Buffer());
        EXPECT_EQ(std::string("Detected source world unit = ") + c.mExportTail,
                  params.GetMasterUnitStr(false).Buffer());
        // Stored texts are faithful to one part in 10^4.
        EXPECT_NEAR(c.mImport, params.GetMasterScale(true), c.mImport * 1e-4);
        EXPECT_NEAR(2.0 * c.mExport, params.GetMasterScale(false), c.mExport * 2e-4);
    }
}

TEST(MasterScale, TextOnlyAndUnknownUnits)
{
    TestParams params;
    params.mUnit = P::eMeter;
    params.ComputeMasterScale(true, true);
    params.ComputeMasterScale(false, true);
    EXPECT_STREQ("1.0", params.GetStringParam(P::kImportMasterScale).Buffer());
    EXPECT_STREQ("1.0", params.GetStringParam(P::kExportMasterScale).Buffer());
    EXPECT_NE(std::string::npos, std::string(params.GetMasterUnitStr(true).Buffer()).find("Meter"));

    TestParams unknown;
    unknown.mUnit = static_cast<P::ESysUnits>(9);
    unknown.mSystemScale = 3.0;
    KString importText = unknown.GetMasterUnitStr(true);
    KString exportText = unknown.GetMasterUnitStr(false);
    unknown.ComputeMasterScale(true, false);
    unknown.ComputeMasterScale(false, false);
    EXPECT_STREQ(importText.Buffer(), unknown.GetMasterUnitStr(true).Buffer());
    EXPECT_STREQ(exportText.Buffer(), unknown.GetMasterUnitStr(false).Buffer());
    EXPECT_STREQ("1.000000", unknown.GetStringParam(P::kImportMasterScale).Buffer());
    EXPECT_STREQ("3.000000", unknown.GetStringParam(P::kExportMasterScale).Buffer());
}

}  // namespace
}  // namespace qelsdk_600
