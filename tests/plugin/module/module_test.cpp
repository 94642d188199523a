// Loading and unloading the module: registrations, the settings file.
#include "qelvesk_fixture.h"

namespace {

const std::vector<std::string> kCommands = {
    "QELImport", "QELExport", "QELBatchDialog", "QELSetUserParams", "QELImportShowUI", "QELImportMode",
    "QELImportMerge", "QELImportMergeAnimationOnly", "QELImportMergeBackNullPivots",
    "QELImportConvertDeformingNullsToJoint", "QELImportHardEdges", "QELImportProtectDrivenKeys", "QELExportShowUI",
    "QELExportApplyConstantKeyReducer", "QELExportReplacePivotsByNulls", "QELResamplingRate",
    "QELExportEmbeddedTextures", "QELExportConvert2Tif", "QELExportHardEdges", "QELRead", "QELGetTakeCount",
    "QELGetTakeIndex", "QELGetTakeName", "QELGetTakeComment", "QELGetTakeLocalTimeSpan",
    "QELGetTakeReferenceTimeSpan"};

int countKeys(const std::string& pText)
{
    int lCount = 0;
    size_t lPos = 0;
    while ((lPos = pText.find('=', lPos)) != std::string::npos) {
        ++lCount;
        lPos = pText.find('\n', lPos);
    }
    return lCount;
}

} // namespace

TEST_F(QelVeskTest, RegistersTheTranslatorAndTheCommandsInOrderAndSavesAtUnload)
{
    const std::vector<vesk::PluginInfo> lModules = vesk::plugins().list();
    ASSERT_EQ(lModules.size(), 1u);
    EXPECT_EQ(lModules[0].vendor, "Tovik");
    EXPECT_EQ(lModules[0].version, "6.0.2");
    EXPECT_EQ(lModules[0].translators, std::vector<std::string>{"Qel"});
    EXPECT_EQ(lModules[0].commands, kCommands);
    EXPECT_EQ(readFile(settingsPath()), "") << "nothing saved before the unload";

    const size_t lFirst = vesk::MessageLog::size();
    ASSERT_TRUE(unload());
    for (size_t i = lFirst; i < vesk::MessageLog::size(); ++i)
        EXPECT_EQ(vesk::MessageLog::line(i).find("registered; removed"), std::string::npos) << vesk::MessageLog::line(i);
    EXPECT_NE(run("QELGetTakeCount").status, 0);

    const std::string lFile = readFile(settingsPath());
    EXPECT_EQ(lFile.rfind("[Vesk65]", 0), 0u) << lFile;
    EXPECT_EQ(countKeys(lFile), 61);
    EXPECT_EQ(setting("kExportCstKeyRedTPrec"), "0.000090");
    EXPECT_EQ(setting("kExportSamplingRate"), "30.000000");
    EXPECT_EQ(setting("kImportShowUI"), "1");
    EXPECT_EQ(setting("kImportLoadMode"), "kCreate");
    EXPECT_EQ(setting("kImportMasterUnitStr"),
              "Detected destination world unit = Centimeters\\n1 centimeter = 1 centimeter");
}

TEST_F(QelVeskTest, ASecondLoadReadsTheSavedSettingsBack)
{
    ASSERT_EQ(run("QELResamplingRate -v 24").status, 0);
    ASSERT_EQ(run("QELImportMode -v exmerge").status, 0);
    ASSERT_EQ(run("QELImportShowUI -v false").status, 0);
    ASSERT_TRUE(reload());
    ASSERT_TRUE(unload());
    EXPECT_EQ(setting("kExportSamplingRate"), "24.000000");
    EXPECT_EQ(setting("kImportSamplingRate"), "24.000000");
    EXPECT_EQ(setting("kImportLoadMode"), "kExclusiveMerge");
    EXPECT_EQ(setting("kImportShowUI"), "0");
    EXPECT_EQ(setting("kExportMasterUnitStr"),
              "Detected source world unit = Centimeter\\n1 centimeter = 1 centimeter");
}

TEST_F(QelVeskTest, UnitTextsFollowTheHostUnitWhateverTheFileHeld)
{
    ASSERT_TRUE(unload());
    MDistance::setUIUnit(MDistance::kMeters);
    ASSERT_TRUE(load());
    ASSERT_TRUE(unload());
    EXPECT_EQ(setting("kImportMasterUnitStr"), "Detected destination world unit = Meter\\n1 centimeter = 0.01 meter");
    EXPECT_EQ(setting("kImportMasterScale"), "1.000000") << "the stored scale stays";
}

TEST_F(QelVeskTest, ATakenTranslatorNameRegistersNoCommand)
{
    const std::string lCopy = ScratchDir() + "/qelveskcopy.so";
    {
        // A copy, not a link: the dynamic loader would hand back the loaded module.
        std::ofstream out(lCopy, std::ios::binary);
        out << readFile(modulePath());
    }
    const size_t lFirst = vesk::MessageLog::size();
    EXPECT_FALSE(vesk::plugins().load(lCopy));
    std::string lLines;
    for (size_t i = lFirst; i < vesk::MessageLog::size(); ++i)
        lLines += vesk::MessageLog::line(i) + "\n";
    EXPECT_NE(lLines.find("registerFileTranslator"), std::string::npos) << lLines;
    EXPECT_EQ(lLines.find("QELImport"), std::string::npos) << lLines;
    EXPECT_EQ(vesk::plugins().list().size(), 1u);
    std::remove(lCopy.c_str());
}
