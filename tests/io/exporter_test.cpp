#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

#include "io/kqelexporter.h"
#include "io/kstreamoptionsmotion.h"
#include "io/kstreamoptionsqel.h"
#include "io_fakes.h"

namespace qelsdk_600 {
namespace {

using iotest::FakeFormat;
using iotest::ProgressLog;
using iotest::StandInManager;
using iotest::StandInScene;

typedef KQelExporter::EFileFormat Format;

TEST(Exporter, FormatTablesAnswerTheirTextsAndNothingOutside)
{
    const char* const descriptions[] = {
        "QEL binary (*.qel)",          "QEL ascii (*.qel)",           "QEL encrypted (*.qel)",
        "QEL 5.0 binary (*.qel)",      "QEL 5.0 ascii (*.qel)",       "Biovision (*.bvh)",
        "Motion Analysis HTR (*.htr)", "Motion Analysis TRC (*.trc)", "Acclaim ASF (*.asf)",
        "Acclaim AMC (*.amc)",         "Vicon C3D (*.c3d)",           "Adaptive Optics AOA (*.aoa)",
        "Superfluo MCD (*.mcd)",       "Puppeteer VPM (*.vpm)",       "Pellacord MOV (*.mov)",
        "Ascension BRD (*.brd)",       "Autocad DXF (*.dxf)",         "3D Studio 3DS (*.3ds)",
        "Tovik OBJ (*.obj)"};
    const char* const extensions[] = {"qel", "qel", "qel", "qel", "qel", "bvh", "htr",
                                      "trc", "asf", "amc", "c3d", "aoa", "mcd", "vpm",
                                      "mov", "brd", "dxf", "3ds", "obj"};
    KQelExporter exporter(StandInManager());
    iotest::ExpectFormatTexts(exporter, descriptions, extensions, KQelExporter::eFileFormatCount);
}

TEST(Exporter, EveryFormatWithoutWriterFailsToCreateTheFile)
{
    KQelExporter exporter(StandInManager());
    EXPECT_FALSE(exporter.FileCreatePart2());
    EXPECT_EQ(KQelIO::eUninitializedFilename, exporter.GetLastErrorID());

    exporter.Initialize("out.qel");
    const int built[] = {KQelExporter::eBvh, KQelExporter::eTrc, KQelExporter::eC3d, KQelExporter::eAoa,
                         KQelExporter::eMcd, KQelExporter::eVpm, KQelExporter::eMov, KQelExporter::eBrd,
                         KQelExporter::eHtr, KQelExporter::eAsf, KQelExporter::eAmc, KQelExporter::eDxf,
                         KQelExporter::eObj, KQelExporter::e3ds};
    for (int format = -3; format <= 20; ++format) {
        if (format >= KQelExporter::eQelBinary && format <= KQelExporter::eQel5Ascii)
            continue;  // the native writers'
        if (std::find(std::begin(built), std::end(built), format) != std::end(built))
            continue;  // writers of their own
        SCOPED_TRACE(format);
        exporter.SetFileFormat(static_cast<Format>(format));
        EXPECT_FALSE(exporter.FileCreatePart2());
        EXPECT_EQ(KQelIO::eFileNotCreated, exporter.GetLastErrorID());
        EXPECT_EQ(nullptr, exporter.GetExportOptions());
        EXPECT_EQ(KQelIO::eFileNotCreated, exporter.GetLastErrorID());
    }
}

TEST(Exporter, CreateFailuresKeepTheWritersTextUnderTheFrontEndsId)
{
    const struct {
        int mWriterError;
        int mExpected;
        const char* mWriterText;
        const char* mText;  // a writer without a text leaves the table's
    } cases[] = {{0, 0, "writer says no", "writer says no"}, {1, 7, "writer says no", "writer says no"},
                 {2, 4, "writer says no", "writer says no"}, {3, 7, "writer says no", "writer says no"},
                 {4, 7, "writer says no", "writer says no"}, {5, 7, "writer says no", "writer says no"},
                 {2, 4, "", "File not created"},             {5, 7, "", "Unidentified error"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mWriterError);
        FakeFormat fake(KQelExporter::eDxf);
        fake->mOpenSucceeds = false;
        fake->mOpenError = c.mWriterError;
        fake->mOpenErrorText = c.mWriterText;
        KQelExporter exporter(StandInManager());
        exporter.SetFileFormat(KQelExporter::eDxf);
        exporter.Initialize("plan.dxf");
        EXPECT_FALSE(exporter.FileCreatePart2());
        EXPECT_EQ(c.mExpected, exporter.GetLastErrorID());
        EXPECT_STREQ(c.mText, exporter.GetLastErrorString());
        EXPECT_EQ(1, fake->mDeleted);

        // Export reports any failure to create the file as error 4, with the
        // text that says why.
        KStreamOptionsMotion options;
        EXPECT_FALSE(exporter.Export(StandInScene(), &options));
        EXPECT_EQ(KQelIO::eFileNotCreated, exporter.GetLastErrorID());
        EXPECT_STREQ(c.mText, exporter.GetLastErrorString());
        EXPECT_EQ(0, fake->mStreams);
    }
}

TEST(Exporter, FreshStatesAreOnButEmbedMediaAndModeFollowsTheFormat)
{
    KQelExporter exporter(StandInManager());
    for (int state = 0; state < KQelExporter::eExportStateCount; ++state)
        EXPECT_EQ(state != KQelExporter::eEmbedMedia,
                  exporter.GetState(static_cast<KQelExporter::EExportState>(state)));
    for (int state : {-1, 11}) {
        exporter.SetState(static_cast<KQelExporter::EExportState>(state), true);
        EXPECT_FALSE(exporter.GetState(static_cast<KQelExporter::EExportState>(state)));
    }

    EXPECT_TRUE(exporter.IsFileModeBinary());
    exporter.SetFileModeBinary(false);
    EXPECT_EQ(KQelExporter::eQelAscii, exporter.GetFileFormat());
    EXPECT_FALSE(exporter.IsFileModeBinary());
    exporter.SetFileFormat(KQelExporter::eQel5Binary);
    EXPECT_TRUE(exporter.IsFileModeBinary());
    exporter.SetFileModeBinary(true);
    EXPECT_EQ(KQelExporter::eQelBinary, exporter.GetFileFormat());
}

TEST(Exporter, EachStateFeedsExactlyItsOption)
{
    const int stateToOption[KQelExporter::eExportStateCount] = {0, 1, 2, 12, 4, 5, 6, 7, 8, 9, 10};
    for (int state = 0; state < KQelExporter::eExportStateCount; ++state) {
        SCOPED_TRACE(state);
        KQelExporter exporter(StandInManager());
        for (int s = 0; s < KQelExporter::eExportStateCount; ++s)
            exporter.SetState(static_cast<KQelExporter::EExportState>(s), s != state);
        KStreamOptionsQel options;
        options.SetOption(KStreamOptionsQel::eVideo, false);  // Reset by the exporter
        exporter.SetExportOptionsInfo(&options);
        // Merge layers and time warps is fed by no state: its default, off.
        for (int option = 0; option < KStreamOptionsQel::eOptionCount; ++option) {
            bool off = option == stateToOption[state] ||
                       option == KStreamOptionsQel::eMergeLayerAndTimeWarp;
            EXPECT_EQ(!off, options.GetOption(static_cast<KStreamOptionsQel::EOption>(option)))
                << "option " << option;
        }
    }
}

TEST(Exporter, NativeExportWithoutOptionsWritesTheExportersOwn)
{
    FakeFormat fake(KQelExporter::eQelBinary);
    fake->mMessage = "3 textures embedded";
    KQelExporter exporter(StandInManager());
    fake->mFrontEnd = &exporter;
    exporter.Initialize("scene.qel");
    exporter.SetPassword("secret");
    exporter.SetState(KQelExporter::eEmbedMedia, true);

    EXPECT_TRUE(exporter.Export(StandInScene()));
    EXPECT_EQ("scene.qel", fake->mOpenedName);
    EXPECT_TRUE(fake->mSeenNative);
    EXPECT_TRUE(fake->mSeenProtected);
    EXPECT_EQ("secret", fake->mSeenPassword);
    EXPECT_TRUE(fake->mSeenOptions[KStreamOptionsQel::eEmbedMedia]);
    EXPECT_EQ(1, fake->mDeleted);  // the file is closed after the write
    KString message;
    exporter.GetMessage(message);
    EXPECT_STREQ("3 textures embedded", message.Buffer());

    exporter.SetPassword(nullptr);
    EXPECT_TRUE(exporter.Export(StandInScene()));
    EXPECT_FALSE(fake->mSeenProtected);
}

TEST(Exporter, ProgressIsForwardedForNativeFormatsOnly)
{
    const struct {
        int mFormat;
        int mCalls;
    } cases[] = {{KQelExporter::eQel5Ascii, 1}, {KQelExporter::eBvh, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFormat);
        FakeFormat fake(c.mFormat);
        KQelExporter exporter(StandInManager());
        fake->mFrontEnd = &exporter;
        exporter.SetFileFormat(static_cast<Format>(c.mFormat));
        exporter.Initialize("out");
        ProgressLog log;
        KStreamOptionsQel options;
        options.SetProgressCallback(ProgressLog::Record, &log);
        EXPECT_TRUE(exporter.Export(StandInScene(), &options));
        EXPECT_EQ(c.mCalls, log.mCalls);
    }
}

TEST(Exporter, OtherFormatsNeedOptionsAndCreateNoFileWithout)
{
    FakeFormat fake(KQelExporter::eBvh);
    KQelExporter exporter(StandInManager());
    exporter.SetFileFormat(KQelExporter::eBvh);
    exporter.Initialize("walk.bvh");
    EXPECT_FALSE(exporter.Export(StandInScene()));
    EXPECT_EQ(KQelIO::eStreamOptionsNotSet, exporter.GetLastErrorID());
    EXPECT_EQ(0, fake->mMade);
}

TEST(Exporter, FailedWriteClosesTheFileAndReportsOutOfDiskSpace)
{
    FakeFormat fake(KQelExporter::eObj);
    fake->mStreamSucceeds = false;
    fake->mStreamError = KQelWriter::eFileCorrupted;
    fake->mMessage = "disk full at 4 kB";
    KQelExporter exporter(StandInManager());
    exporter.SetFileFormat(KQelExporter::eObj);
    exporter.Initialize("box.obj");
    KStreamOptions* options = exporter.GetExportOptions();
    ASSERT_NE(nullptr, options);
    EXPECT_FALSE(exporter.Export(StandInScene(), options));
    exporter.ReleaseExportOptions(options);
    EXPECT_EQ(KQelIO::eOutOfDiskSpace, exporter.GetLastErrorID());
    EXPECT_EQ(fake->mMade, fake->mDeleted);
    KString message;
    exporter.GetMessage(message);
    EXPECT_STREQ("disk full at 4 kB", message.Buffer());
}

TEST(Exporter, OnlyANativeWritersRefusalKeepsItsReason)
{
    const char* const kReason = "Model::Box: LayerElementUV holds 0 values, 3 needed";
    const char* const kDisk = "Out of disk space";
    const struct {
        int mFormat;
        int mWriterError;
        const char* mWriterText;
        int mExpected;
        const char* mText;
    } cases[] = {
        {KQelExporter::eQelBinary, KQelWriter::eUnidentifiedError, kReason, KQelIO::eUnidentifiedError, kReason},
        {KQelExporter::eQelAscii, KQelWriter::eOutOfDiskSpace, "disk full", KQelIO::eOutOfDiskSpace, kDisk},
        {KQelExporter::eQelEncrypted, -1, "", KQelIO::eOutOfDiskSpace, kDisk},
        {KQelExporter::eObj, KQelWriter::eUnidentifiedError, kReason, KQelIO::eOutOfDiskSpace, kDisk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFormat);
        FakeFormat fake(c.mFormat);
        fake->mStreamSucceeds = false;
        fake->mStreamError = c.mWriterError;
        fake->mStreamErrorText = c.mWriterText;
        KQelExporter exporter(StandInManager());
        exporter.SetFileFormat(static_cast<Format>(c.mFormat));
        exporter.Initialize("box");
        KStreamOptionsQel options;
        EXPECT_FALSE(exporter.Export(StandInScene(), &options));
        EXPECT_EQ(c.mExpected, exporter.GetLastErrorID());
        EXPECT_STREQ(c.mText, exporter.GetLastErrorString());
    }
}

TEST(Exporter, WriterWithoutOptionsIsAnUnidentifiedError)
{
    FakeFormat fake(KQelExporter::e3ds);
    fake->mGivesOptions = false;
    KQelExporter exporter(StandInManager());
    exporter.SetFileFormat(KQelExporter::e3ds);
    EXPECT_EQ(nullptr, exporter.GetExportOptions());
    EXPECT_EQ(KQelIO::eUnidentifiedError, exporter.GetLastErrorID());
}

TEST(Exporter, NestedScenesNeedOptionsAndAFieldFile)
{
    KQelExporter exporter(StandInManager());
    EXPECT_EQ(nullptr, exporter.GetExportOptions(static_cast<IQelObject*>(nullptr)));
    EXPECT_EQ(KQelIO::eFileNotCreated, exporter.GetLastErrorID());
    KStreamOptionsQel options;
    EXPECT_FALSE(exporter.Export(StandInScene(), nullptr, nullptr));
    EXPECT_EQ(KQelIO::eStreamOptionsNotSet, exporter.GetLastErrorID());
    EXPECT_FALSE(exporter.Export(StandInScene(), &options, nullptr));
    EXPECT_EQ(KQelIO::eFileNotCreated, exporter.GetLastErrorID());
}

}  // namespace
}  // namespace qelsdk_600
