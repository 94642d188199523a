// The fifteen option commands.
#include "qelvesk_fixture.h"

namespace {

struct BoolOption {
    const char* command;
    const char* key;
    bool initial;
};

const BoolOption kBoolOptions[] = {
    {"QELImportShowUI", "kImportShowUI", true},
    {"QELImportMergeBackNullPivots", "kImportNullsToPivot", false},
    {"QELImportConvertDeformingNullsToJoint", "kImportDeformNullsAsJoints", false},
    {"QELImportHardEdges", "kImportHardEdges", false},
    {"QELImportProtectDrivenKeys", "kProtectDrivenKeys", false},
    {"QELExportShowUI", "kExportShowUI", true},
    {"QELExportApplyConstantKeyReducer", "kExportApplyCstKeyRed", true},
    {"QELExportEmbeddedTextures", "kExportEmbedTextures", false},
    {"QELExportConvert2Tif", "kExportConvert_2Tiff", false},
    {"QELExportHardEdges", "kExportHardEdges", false},
};

} // namespace

TEST_F(QelVeskTest, BooleanOptionsCheckTheirArgumentsAndChangeOnlyMemory)
{
    for (const BoolOption& o : kBoolOptions) {
        const std::string lCommand = o.command;
        const std::string lUsage = "Use syntax: " + lCommand + " -v true|false";
        for (const std::string& lBad : {std::string(""), std::string(" true"), std::string(" -v true extra"),
                                        std::string(" -V true"), std::string(" -val true"),
                                        std::string(" -v maybe")}) {
            const Run r = run(lCommand + lBad);
            EXPECT_EQ(r.status, 1) << lCommand << lBad;
            EXPECT_EQ(r.errors, std::vector<std::string>{lUsage}) << lCommand << lBad;
            EXPECT_EQ(r.result, "") << lCommand << lBad;
        }
        const Run r = run(lCommand + " -value " + (o.initial ? "false" : "true"));
        EXPECT_EQ(r.status, 0) << lCommand;
        EXPECT_EQ(r.result, "Success") << lCommand;
    }
    EXPECT_EQ(readFile(settingsPath()), "") << "no option command saves";
    ASSERT_TRUE(unload());
    for (const BoolOption& o : kBoolOptions)
        EXPECT_EQ(setting(o.key), o.initial ? "0" : "1") << o.command;
}

TEST_F(QelVeskTest, ImportModeTakesItsWordInAnyCase)
{
    struct Case {
        const char* word;
        int status;
        const char* stored;
    } const kCases[] = {
        {"MERGE", 0, "kMerge"}, {"replace", 1, "kMerge"}, {"Add", 0, "kCreate"},
        {"exmerge", 0, "kExclusiveMerge"}, {"ex merge", 1, "kExclusiveMerge"},
    };
    for (const Case& c : kCases) {
        const Run r = run(std::string("QELImportMode -v \"") + c.word + "\"");
        EXPECT_EQ(r.status, c.status) << c.word;
        if (c.status) {
            EXPECT_EQ(r.errors, std::vector<std::string>{"Use syntax: QELImportMode -v exmerge | add | merge"});
        }
        ASSERT_TRUE(reload()) << c.word;
        EXPECT_EQ(setting("kImportLoadMode"), c.stored) << c.word;
    }
    EXPECT_EQ(run("QELImportMode -V merge").status, 1);
}

TEST_F(QelVeskTest, ResamplingRateSetsBothRatesAndRefusesWhatNoPeriodCanCome)
{
    for (const char* lBad : {"0", "-5", "nan", "inf", "fast"}) {
        const Run r = run(std::string("QELResamplingRate -v ") + lBad);
        EXPECT_EQ(r.status, 1) << lBad;
        EXPECT_EQ(r.errors, std::vector<std::string>{"Use syntax: QELResamplingRate -v float"}) << lBad;
    }
    EXPECT_EQ(run("QELResamplingRate -value 24").result, "Success");
    ASSERT_TRUE(unload());
    EXPECT_EQ(setting("kExportSamplingRate"), "24.000000");
    EXPECT_EQ(setting("kImportSamplingRate"), "24.000000");
}

TEST_F(QelVeskTest, ObsoleteAndInertOptionCommands)
{
    for (const char* lCommand : {"QELImportMerge", "QELImportMergeAnimationOnly"}) {
        for (const char* lArgs : {"", " -v true"}) {
            const Run r = run(std::string(lCommand) + lArgs);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.errors,
                      std::vector<std::string>{std::string(lCommand) + ": obsolete command. Use QELImportMode instead."});
        }
    }
    for (const char* lArgs : {"", " -v true", " anything at all"}) {
        const Run r = run(std::string("QELExportReplacePivotsByNulls") + lArgs);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.result, "Success");
    }
}
