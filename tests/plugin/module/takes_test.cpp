// "QELRead", the take queries and the importer they share with "QELImport".
#include "io/kqelimporter.h"
#include "scene/kqelnode.h"
#include "store/fixtures.h"
#include "qelvesk_fixture.h"

namespace {

const char* const kNoFile = "No QEL file to query. Use command QELRead first.";
const char* const kNoTake = "No such take.";

} // namespace

TEST_F(QelVeskTest, ReadRefusesMalformedCallsAndMissingFiles)
{
    const std::string lPath = threeTakes();
    for (const std::string& lBad : {std::string("QELRead"), "QELRead \"" + lPath + "\"",
                                    "QELRead -F \"" + lPath + "\"", "QELRead -f \"" + lPath + "\" other",
                                    std::string("QELRead -f \"\"")}) {
        ASSERT_EQ(run("QELRead -f \"" + lPath + "\"").status, 0);
        const Run r = run(lBad);
        EXPECT_EQ(r.status, 1) << lBad;
        EXPECT_EQ(r.errors, std::vector<std::string>{"Use syntax: QELRead -f filename"}) << lBad;
        EXPECT_EQ(run("QELGetTakeCount").errors, std::vector<std::string>{kNoFile}) << "nothing held after " << lBad;
    }
    const Run r = run("QELRead -f \"" + ScratchDir() + "/missing.qel\"");
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.errors, std::vector<std::string>{"QELRead error: file not found."});
    EXPECT_EQ(run("QELGetTakeCount").errors, std::vector<std::string>{kNoFile});
}

TEST_F(QelVeskTest, AFileTheSdkCannotOpenIsNotFoundEvenWhenTheSystemCan)
{
    // The SDK takes the backslash for a separator, so it looks for another
    // file than the one the system finds.
    const std::string lName = ScratchDir() + "/back\\slash.qel";
    {
        std::ofstream lOut(lName, std::ios::binary);
        lOut << readFile(threeTakes());
    }
    ASSERT_FALSE(readFile(lName).empty());
    ASSERT_EQ(run("QELImportShowUI -v false").status, 0);
    const std::string lQuoted = "\"" + ScratchDir() + "/back\\\\slash.qel\"";
    for (const char* lCommand : {"QELRead", "QELImport"}) {
        const Run r = run(std::string(lCommand) + " -f " + lQuoted);
        EXPECT_EQ(r.status, 7) << lCommand;
        EXPECT_EQ(r.result, "") << lCommand;
        EXPECT_EQ(r.errors, std::vector<std::string>{std::string(lCommand) + " error: file not found."});
        EXPECT_EQ(run("QELGetTakeCount").errors, std::vector<std::string>{kNoFile}) << lCommand;
    }
}

TEST_F(QelVeskTest, TakeQueriesAnswerForTheFileRead)
{
    const std::string lPath = threeTakes();
    for (const char* lQuery : {"QELGetTakeCount", "QELGetTakeIndex Walk", "QELGetTakeName 0", "QELGetTakeComment 0",
                               "QELGetTakeLocalTimeSpan 0", "QELGetTakeReferenceTimeSpan 0"}) {
        const Run r = run(lQuery);
        EXPECT_EQ(r.status, 1) << lQuery;
        EXPECT_EQ(r.errors, std::vector<std::string>{kNoFile}) << lQuery;
    }
    const Run lRead = run("QELRead -file \"" + lPath + "\"");
    ASSERT_EQ(lRead.status, 0);
    EXPECT_EQ(lRead.result, "Success");

    EXPECT_EQ(queryInt("QELGetTakeCount"), 3);
    EXPECT_EQ(queryInt("QELGetTakeIndex Run"), 1);
    EXPECT_EQ(run("QELGetTakeName 2").result, "Idle");
    EXPECT_EQ(run("QELGetTakeComment 0").result, "slow walk");
    EXPECT_EQ(queryDoubles("QELGetTakeLocalTimeSpan 0"), (std::vector<double>{0.0, 60.0}));
    EXPECT_EQ(queryDoubles("QELGetTakeReferenceTimeSpan 1"), (std::vector<double>{15.0, 45.0}));
    MTime::setUIUnit(MTime::kSeconds);
    EXPECT_EQ(queryDoubles("QELGetTakeLocalTimeSpan 0"), (std::vector<double>{0.0, 2.0}));

    struct Failure {
        const char* query;
        const char* message;
    } const kFailures[] = {
        {"QELGetTakeCount 1", "Use syntax: QELGetTakeCount"},
        {"QELGetTakeIndex", "Use syntax: QELGetTakeIndex takename"},
        {"QELGetTakeIndex walk", kNoTake},
        {"QELGetTakeName -1", kNoTake},
        {"QELGetTakeName 3", kNoTake},
        {"QELGetTakeName one", "Use syntax: QELGetTakeName takeindex"},
        {"QELGetTakeComment 3", kNoTake},
        {"QELGetTakeComment", "Use syntax: QELGetTakeComment takeindex"},
        {"QELGetTakeLocalTimeSpan -1", kNoTake},
        {"QELGetTakeLocalTimeSpan 0 1", "Use syntax: QELGetTakeLocalTimeSpan takeindex"},
        {"QELGetTakeReferenceTimeSpan 3", kNoTake},
        {"QELGetTakeReferenceTimeSpan", "Use syntax: QELGetTakeReferenceTimeSpan takeindex"},
    };
    for (const Failure& f : kFailures) {
        const Run r = run(f.query);
        EXPECT_EQ(r.status, 1) << f.query;
        EXPECT_EQ(r.result, "") << f.query;
        EXPECT_EQ(r.errors, std::vector<std::string>{f.message}) << f.query;
    }
}

TEST_F(QelVeskTest, ImportSharesTheHeldImporterAndEndsItAfterAnImport)
{
    const std::string lPath = threeTakes();
    ASSERT_EQ(run("QELRead -f \"" + lPath + "\"").status, 0);
    const Run lMissing = run("QELImport -f \"" + lPath + "\" -t 3");
    EXPECT_EQ(lMissing.status, 7);
    EXPECT_EQ(lMissing.errors, std::vector<std::string>{"QELImport error: take not found."});
    EXPECT_EQ(queryInt("QELGetTakeCount"), 3) << "the importer stays held";

    EXPECT_EQ(run("QELImport -f \"" + lPath + "\" -t two").status, 1);
    EXPECT_EQ(queryInt("QELGetTakeCount"), 3) << "a take that is no number changes nothing";

    ASSERT_EQ(run("QELImportShowUI -v false").status, 0);
    const Run lImport = run("QELImport -f \"" + lPath + "\" -t 1");
    EXPECT_EQ(lImport.status, 0);
    EXPECT_EQ(lImport.result, "Success");
    EXPECT_EQ(run("QELGetTakeCount").errors, std::vector<std::string>{kNoFile});
    EXPECT_TRUE(vesk::FileMenu::run(vesk::FileMenu::kImport, lPath)) << "the translator returns the import's status";

    struct Case {
        std::string args;
        int status;
        std::string message;
    } const kCases[] = {
        {"", 1, "Use syntax: QELImport -f \"filename\" [-t take_index_zero_based]"},
        {"-caller QELVeskTranslator -f \"" + lPath + "\"", 1,
         "Use syntax: QELImport -f \"filename\" [-t take_index_zero_based]"},
        {"-f \"" + ScratchDir() + "/missing.qel\"", 7, "QELImport error: file not found."},
    };
    for (const Case& c : kCases) {
        const Run r = run("QELImport " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.errors, std::vector<std::string>{c.message}) << c.args;
    }
    EXPECT_EQ(readFile(settingsPath()), "") << "no save without a dialog";
}

TEST_F(QelVeskTest, ExportWithoutItsDialogWritesTheFile)
{
    ASSERT_EQ(run("QELExportShowUI -v false").status, 0);
    ASSERT_TRUE(vesk::fixture::make("transform", "exported").valid());
    const std::string lOut = ScratchDir() + "/out.qel";
    const Run r = run("QELExport -f \"" + lOut + "\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.result, "Success");
    EXPECT_EQ(r.errors, std::vector<std::string>());
    const std::string lMenu = ScratchDir() + "/menu.qel";
    EXPECT_TRUE(vesk::FileMenu::run(vesk::FileMenu::kExport, lMenu)) << vesk::MessageLog::last();
    for (const std::string& lPath : {lOut, lMenu}) {
        qelsdk_600::KQelSdkManager lManager;
        qelsdk_600::KQelScene* lScene = lManager.CreateKQelScene();
        qelsdk_600::KQelImporter lImporter(lManager);
        ASSERT_TRUE(lImporter.Initialize(lPath.c_str()) && lImporter.Import(*lScene)) << lPath;
        EXPECT_NE(lScene->GetRootNode()->FindChild("exported"), nullptr) << lPath;
    }
    // A file that cannot be written fails the command and the translator.
    const std::string lMissing = ScratchDir() + "/missing/out.qel";
    EXPECT_EQ(run("QELExport -f \"" + lMissing + "\"").status, 1);
    EXPECT_FALSE(vesk::FileMenu::run(vesk::FileMenu::kExport, lMissing));
    EXPECT_EQ(readFile(lMissing), "");
    for (const char* lArgs : {"", "-f", "-caller QELExportDialog"}) {
        const Run u = run(std::string("QELExport ") + lArgs);
        EXPECT_EQ(u.status, 1) << lArgs;
        EXPECT_EQ(u.errors, std::vector<std::string>{"Use syntax: QELExport -f \"filename\""}) << lArgs;
    }
}

TEST_F(QelVeskTest, TheLowerIndexAnswersForATakeNameGivenTwice)
{
    // A text file whose second take is renamed to the first one's name.
    const std::string lText = readFile(writeQel("twice.qel", {{"Walk", "", 0.0, 1.0}, {"Runs", "", 0.0, 1.0}}, true, true));
    std::string lTwice = lText;
    for (size_t p = 0; (p = lTwice.find("\"Runs\"", p)) != std::string::npos;)
        lTwice.replace(p, 6, "\"Walk\"");
    ASSERT_NE(lTwice, lText);
    const std::string lPath = ScratchDir() + "/twice.qel";
    std::ofstream(lPath, std::ios::binary) << lTwice;
    ASSERT_EQ(run("QELRead -f \"" + lPath + "\"").status, 0);
    ASSERT_EQ(queryInt("QELGetTakeCount"), 2);
    EXPECT_EQ(run("QELGetTakeName 1").result, "Walk");
    EXPECT_EQ(queryInt("QELGetTakeIndex Walk"), 0);
}
