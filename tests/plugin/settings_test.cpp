// The settings object's table, apart from its file.
#include <cmath>

#include <gtest/gtest.h>

#include "plugin/qelveskuserparams.h"

TEST(QelVeskUserParams, ResetRebuildsTheSixtyOneEntriesAndRefusesBadRates)
{
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    for (int round = 0; round < 2; ++round) {
        lParams->SetImportType(QelVeskUserParams::eCreate);
        lParams->Reset();
        EXPECT_EQ(lParams->GetNbParameters(), 61);
        EXPECT_EQ(lParams->GetImportType(), QelVeskUserParams::eMerge);
    }
    EXPECT_STREQ(lParams->Entry(51)->mName.Buffer(), "kImportShowUI");
    EXPECT_STREQ(lParams->Entry(60)->mName.Buffer(), "kExportBypassRrsInheritance");
    EXPECT_STREQ(lParams->GetRegistryPath().Buffer(), "qelplugins6.0.2registry.txt");
    EXPECT_STREQ(lParams->GetApplicationName().Buffer(), "Vesk65");
    for (const double lRate : {0.0, -5.0, std::nan(""), HUGE_VAL}) {
        lParams->SetResamplingRate(lRate, true);
        lParams->SetResamplingRate(lRate, false);
    }
    EXPECT_EQ(lParams->GetResamplingRate(true), 30.0);
    EXPECT_EQ(lParams->GetResamplingRate(false), 30.0);
    lParams->SetResamplingRate(24.0, true);
    EXPECT_EQ(lParams->GetResamplingRate(true), 24.0);
    EXPECT_EQ(lParams->GetResamplingRate(false), 30.0);
    lParams->Reset();
}
