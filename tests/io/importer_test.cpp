#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

#include <string>

#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "io_fakes.h"

namespace qelsdk_600 {
namespace {

using iotest::FakeFormat;
using iotest::ProgressLog;
using iotest::StandInManager;
using iotest::StandInScene;

typedef KQelImporter::EFileFormat Format;

TEST(Importer, FormatTablesAnswerTheirTextsAndNothingOutside)
{
    const char* const descriptions[] = {
        "QEL binary (*.qel)",        "QEL ascii (*.qel)",       "QEL encrypted (*.qel)",
        "Biovision (*.bvh)",         "Motion Analysis (*.htr)", "Motion Analysis (*.trc)",
        "Acclaim ASF (*.asf)",       "Acclaim AMC (*.amc)",     "Vicon C3D (*.c3d)",
        "Adaptive Optics AOA (*.aoa)", "Superfluo MCD (*.mcd)", "Puppeteer VPM (*.vpm)",
        "Pellacord MOV (*.mov)",     "Ascension BRD (*.brd)",   "Autocad DXF (*.dxf)",
        "3D Studio 3DS (*.3ds)",     "Tovik OBJ (*.obj)"};
    const char* const extensions[] = {"qel", "qel", "qel", "bvh", "htr", "trc", "asf", "amc", "c3d",
                                      "aoa", "mcd", "vpm", "mov", "brd", "dxf", "3ds", "obj"};
    KQelImporter importer(StandInManager());
    iotest::ExpectFormatTexts(importer, descriptions, extensions, KQelImporter::eFileFormatCount);
}

TEST(Importer, EveryFormatWithoutReaderFailsToOpenWithUnidentifiedError)
{
    KQelImporter importer(StandInManager());
    EXPECT_FALSE(importer.FileOpen());
    EXPECT_EQ(KQelIO::eUninitializedFilename, importer.GetLastErrorID());

    importer.Initialize("take.bvh");
    const int built[] = {KQelImporter::eBvh, KQelImporter::eTrc, KQelImporter::eC3d, KQelImporter::eAoa,
                         KQelImporter::eMcd, KQelImporter::eVpm, KQelImporter::eMov, KQelImporter::eBrd,
                         KQelImporter::eHtr, KQelImporter::eAsf, KQelImporter::eAmc, KQelImporter::eDxf,
                         KQelImporter::eObj, KQelImporter::e3ds};
    for (int format = -3; format <= 20; ++format) {
        if (std::find(std::begin(built), std::end(built), format) != std::end(built))
            continue;  // readers of their own, which find no such file
        SCOPED_TRACE(format);
        importer.SetFileFormat(static_cast<Format>(format));
        EXPECT_FALSE(importer.FileOpen());
        EXPECT_EQ(KQelIO::eUnidentifiedError, importer.GetLastErrorID());
        EXPECT_EQ(nullptr, importer.GetImportOptions());
    }
}

TEST(Importer, OpenFailuresKeepTheReadersTextUnderTheFrontEndsId)
{
    const struct {
        int mReaderError;
        int mExpected;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 7}, {5, 7}, {6, 7}, {7, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mReaderError);
        FakeFormat fake(KQelImporter::eBvh);
        fake->mOpenSucceeds = false;
        fake->mOpenError = c.mReaderError;
        fake->mOpenErrorText = "reader says no";
        KQelImporter importer(StandInManager());
        importer.SetFileFormat(KQelImporter::eBvh);
        importer.Initialize("walk.bvh");
        EXPECT_FALSE(importer.FileOpen());
        EXPECT_EQ(c.mExpected, importer.GetLastErrorID());
        EXPECT_STREQ("reader says no", importer.GetLastErrorString());
        EXPECT_EQ(1, fake->mDeleted);
    }
}

TEST(Importer, InitializeOpensOnlyNativeExtensions)
{
    FakeFormat fake(KQelImporter::eQelBinary);
    KQelImporter importer(StandInManager());
    EXPECT_TRUE(importer.Initialize("/data/walk.bvh"));
    EXPECT_EQ(0, fake->mOpens);
    importer.Initialize("/data/Walk.QEL");
    EXPECT_EQ(1, fake->mOpens);
    EXPECT_EQ("/data/Walk.QEL", fake->mOpenedName);
}

TEST(Importer, ImportWithoutOptionsReadsTheFilesOwnAndCopiesTheMessage)
{
    FakeFormat fake(KQelImporter::eAsf);
    fake->mMessage = "two bones skipped";
    KQelImporter importer(StandInManager());
    importer.SetFileFormat(KQelImporter::eAsf);
    importer.Initialize("walk.asf");

    EXPECT_TRUE(importer.Import(StandInScene()));
    EXPECT_EQ(1, fake->mOpens);
    EXPECT_TRUE(fake->mLastParseFlag);
    EXPECT_TRUE(fake->mSeenNative);
    KString message;
    importer.GetMessage(message);
    EXPECT_STREQ("two bones skipped", message.Buffer());
}

TEST(Importer, ProgressReachesTheCallersOptionsDuringTheReadOnly)
{
    const struct {
        const char* mDetail;
        const char* mExpected;
    } cases[] = {{nullptr, "Reading"}, {"", "Reading"}, {"nodes", "Reading - nodes"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mExpected);
        FakeFormat fake(KQelImporter::eHtr);
        fake->mProgressDetail = c.mDetail;
        KQelImporter importer(StandInManager());
        fake->mFrontEnd = &importer;
        importer.SetFileFormat(KQelImporter::eHtr);
        importer.Initialize("a.htr");
        ProgressLog log;
        KStreamOptionsQel options;
        options.SetProgressCallback(ProgressLog::Record, &log);
        EXPECT_TRUE(importer.Import(StandInScene(), &options));
        EXPECT_EQ(&options, fake->mStreamOptions);
        EXPECT_EQ(1, log.mCalls);
        EXPECT_EQ("Title", log.mTitle);
        EXPECT_EQ(c.mExpected, log.mMessage);
        EXPECT_EQ(50.0f, log.mPercent);
        importer.ProgressUpdate("after", "the read", nullptr, 1.0f);
        EXPECT_EQ(1, log.mCalls);
    }
}

TEST(Importer, ReadFailuresReportPasswordOrUnidentifiedError)
{
    const struct {
        int mReaderError;
        int mExpected;
        const char* mText;
    } cases[] = {
        {KQelReader::eWrongPassword, KQelIO::ePasswordError,
         "File is password protected and the provided password is wrong."},
        {KQelReader::eFileCorrupted, KQelIO::eUnidentifiedError, "Unidentified error"},
    };
    for (const auto& c : cases) {
        FakeFormat fake(KQelImporter::eObj);
        fake->mStreamSucceeds = false;
        fake->mStreamError = c.mReaderError;
        fake->mMessage = "line 12";
        KQelImporter importer(StandInManager());
        importer.SetFileFormat(KQelImporter::eObj);
        importer.Initialize("box.obj");
        EXPECT_FALSE(importer.Import(StandInScene()));
        EXPECT_EQ(c.mExpected, importer.GetLastErrorID());
        EXPECT_STREQ(c.mText, importer.GetLastErrorString());
        KString message;
        importer.GetMessage(message);
        EXPECT_STREQ("line 12", message.Buffer());
    }
}

TEST(Importer, MissingOptionsAreAnErrorOnlyWhenTheFileMayBeParsed)
{
    FakeFormat fake(KQelImporter::eDxf);
    fake->mGivesOptions = false;
    KQelImporter importer(StandInManager());
    importer.SetFileFormat(KQelImporter::eDxf);
    importer.Initialize("plan.dxf");
    EXPECT_EQ(nullptr, importer.GetImportOptions(KQelImporter::eSummaryOnly));
    EXPECT_FALSE(fake->mLastParseFlag);
    EXPECT_EQ(-1, importer.GetLastErrorID());
    EXPECT_EQ(nullptr, importer.GetImportOptions(KQelImporter::eParseFile));
    EXPECT_EQ(KQelIO::eUnidentifiedError, importer.GetLastErrorID());
    EXPECT_FALSE(importer.Import(StandInScene()));
    EXPECT_EQ(0, fake->mStreams);
}

TEST(Importer, StatesAndOptionsMapOneToOneInBothDirections)
{
    const int stateToOption[KQelImporter::eImportStateCount] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11};
    KQelImporter importer(StandInManager());
    for (int state = 0; state < KQelImporter::eImportStateCount; ++state) {
        SCOPED_TRACE(state);
        importer.ResetConfiguration();
        importer.SetState(static_cast<KQelImporter::EImportState>(state), false);
        KStreamOptionsQel options;
        importer.SetImportOptionsInfo(&options);
        // Embed media is fed by no state and keeps its default, off.
        for (int option = 0; option < KStreamOptionsQel::eOptionCount; ++option) {
            bool off = option == stateToOption[state] || option == KStreamOptionsQel::eEmbedMedia;
            EXPECT_EQ(!off, options.GetOption(static_cast<KStreamOptionsQel::EOption>(option)))
                << "option " << option;
        }

        KStreamOptionsQel back;
        back.SetOption(KStreamOptionsQel::eMergeLayerAndTimeWarp, true);
        back.SetOption(static_cast<KStreamOptionsQel::EOption>(stateToOption[state]), false);
        importer.ResetConfiguration();
        importer.GetImportOptionsInfo(&back);
        for (int other = 0; other < KQelImporter::eImportStateCount; ++other)
            EXPECT_EQ(other != state, importer.GetState(static_cast<KQelImporter::EImportState>(other)))
                << "state " << other;
    }
}

TEST(Importer, OptionsCarryTakeNameAndPasswordBothWays)
{
    KQelImporter importer(StandInManager());
    KStreamOptionsQel fromFile;
    fromFile.mCurrentTakeName = "Run";
    fromFile.mPassword = "secret";
    importer.GetImportOptionsInfo(&fromFile);

    KStreamOptionsQel out;
    out.mIsPasswordProtected = true;
    out.SetContentCount(KStreamOptionsQel::eContentModel, 4);
    importer.SetImportOptionsInfo(&out);
    EXPECT_STREQ("Run", out.mCurrentTakeName.Buffer());
    EXPECT_STREQ("secret", out.mPassword.Buffer());
    EXPECT_TRUE(out.mIsPasswordProtected);
    EXPECT_EQ(4, out.GetContentCount(KStreamOptionsQel::eContentModel));
}

TEST(Importer, StatesOutsideTheTableAreIgnored)
{
    KQelImporter importer(StandInManager());
    for (int state : {-3, -1, 11, 20}) {
        auto s = static_cast<KQelImporter::EImportState>(state);
        importer.SetState(s, true);
        EXPECT_FALSE(importer.GetState(s));
    }
}

TEST(Importer, TakeQueriesOfNonNativeFormatsAnswerNothing)
{
    FakeFormat fake(KQelImporter::eBvh);
    KQelImporter importer(StandInManager());
    importer.SetFileFormat(KQelImporter::eBvh);
    importer.Initialize("walk.bvh");
    EXPECT_EQ(0, importer.GetTakeCount());
    EXPECT_EQ(nullptr, importer.GetTakeInfo(0));
    EXPECT_STREQ("", importer.GetCurrentTakeName());
    EXPECT_EQ(nullptr, importer.GetSceneInfo());
    EXPECT_EQ(0, fake->mOpens);
    int major = -1, minor = -1, revision = -1;
    importer.GetFileVersion(major, minor, revision);
    EXPECT_EQ(0, major + minor + revision);
    KString camera, mode;
    double width = 0.0, height = 0.0;
    EXPECT_FALSE(importer.GetDefaultRenderResolution(camera, mode, width, height));
}

TEST(Importer, NestedScenesNeedOptionsAndAFieldFile)
{
    KQelImporter importer(StandInManager());
    EXPECT_EQ(nullptr, importer.GetImportOptions(static_cast<IQelObject*>(nullptr)));
    EXPECT_EQ(KQelIO::eFileNotCreated, importer.GetLastErrorID());
    KStreamOptionsQel options;
    EXPECT_FALSE(importer.Import(StandInScene(), nullptr, nullptr));
    EXPECT_EQ(KQelIO::eStreamOptionsNotSet, importer.GetLastErrorID());
    EXPECT_FALSE(importer.Import(StandInScene(), &options, nullptr));
    EXPECT_EQ(KQelIO::eFileNotCreated, importer.GetLastErrorID());
}

TEST(Importer, CurrentVersionIsSixZeroZero)
{
    KQelImporter importer(StandInManager());
    int major = 0, minor = -1, revision = -1;
    importer.GetCurrentVersion(major, minor, revision);
    EXPECT_EQ(6, major);
    EXPECT_EQ(0, minor);
    EXPECT_EQ(0, revision);
}

}  // namespace
}  // namespace qelsdk_600
