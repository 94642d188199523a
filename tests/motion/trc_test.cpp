#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "motion/kqelmotiontrc.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

const int kTrc = KQelImporter::eTrc;

// Keys stay one per frame, and no time-code file is looked for unless a
// test asks.
class TrcTest : public motiontest::MarkerTest {
protected:
    void SetUp() override
    {
        MarkerTest::SetUp();
        KQelReaderMotionAnalysisTrc::smLoadTCFile = false;
        KQelReaderMotionAnalysisTrc::smDoNotAskForTCFile = false;
    }
    void TearDown() override
    {
        MarkerTest::TearDown();
        KQelReaderMotionAnalysisTrc::smLoadTCFile = true;
        KQelReaderMotionAnalysisTrc::smDoNotAskForTCFile = false;
    }
};

// Messages shown through the options, in order.
struct MessageLog {
    std::string mTitles;
    std::string mTexts;
    int mAnswer = 1;
    bool mStopAsking = false;
    static int Record(const char* pTitle, const char* pText, const char*, const char*, const char*, int,
                      void* pLog)
    {
        MessageLog* log = static_cast<MessageLog*>(pLog);
        log->mTitles += std::string(pTitle) + ";";
        log->mTexts += std::string(pText) + ";";
        if (log->mStopAsking)
            KQelReaderMotionAnalysisTrc::smDoNotAskForTCFile = true;
        return log->mAnswer;
    }
};
MessageLog* gLog = nullptr;
void LogMessages(KStreamOptionsMotion& pOptions)
{
    pOptions.SetMessageCallback(0, MessageLog::Record, gLog);
    pOptions.SetMessageCallback(1, MessageLog::Record, gLog);
}

TEST_F(TrcTest, RealFileGivesItsMarkersFramesAndRate)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("trc/Anto.trc"), kTrc);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(128, result.mFrameCount);
    EXPECT_DOUBLE_EQ(100.0, result.mFrameRate);
    EXPECT_EQ(KTime(0), result.mStart);
    KQelNode* reference = motiontest::Reference(*mFixture.mScene);
    ASSERT_NE(nullptr, reference);
    EXPECT_EQ("TRC:optical", motiontest::ShortName(reference));
    ASSERT_EQ(34, reference->GetChildCount());
    KQelNode* first = reference->GetChild(0);
    EXPECT_EQ("R.Poignee", motiontest::ShortName(first));
    EXPECT_STREQ("Anto", mFixture.mScene->GetCurrentTakeName());
    KFCurve* x = first->GetCurrentTakeNode()->GetTranslationX();
    ASSERT_EQ(128, x->KeyGetCount());
    EXPECT_NEAR(-20.079666, x->KeyGetValue(0), 1e-5);
    EXPECT_EQ(Seconds(1.27), x->KeyGetTime(127));
}

TEST_F(TrcTest, HandMadeFileReadsNamesGapsAndExtraPoints)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("trc/walk.trc"), kTrc);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(Seconds(1.0), result.mStart);  // (61 - 1) / 60
    KQelNode* reference = motiontest::Reference(*mFixture.mScene);
    ASSERT_EQ(4, reference->GetChildCount());
    const char* names[] = {"Head_Top", "LHand", "*Unnamed_3", "*Unnamed_4"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(names[i], motiontest::ShortName(reference->GetChild(i)));
    const KTime period = Seconds(1.0 / 60.0);
    // Millimetres to centimetres; the gap of frames 2 and 3 holds (1, 2, 3)
    // mm (option 6), occluded.
    const struct {
        int mMarker;
        int mFrame;
        double mX, mY, mZ, mOcclusion;
    } cases[] = {
        {0, 0, 1.0, 2.0, 3.0, 0.0},  {1, 0, 0.1, 0.2, 0.3, 0.0}, {1, 1, 0.1, 0.2, 0.3, 1.0},
        {1, 2, 0.1, 0.2, 0.3, 1.0},  {1, 3, 0.4, 0.5, 0.6, 0.0}, {2, 4, 0.0, 0.0, 0.0, 1.0},
        {3, 2, 10.0, 20.0, 30.0, 0.0}, {3, 3, 0.0, 0.0, 0.0, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mMarker << " " << c.mFrame);
        const auto track = motiontest::Sample(reference->GetChild(c.mMarker), result.mStart, period, 5);
        EXPECT_NEAR(c.mX, track.mX[c.mFrame], 1e-6);
        EXPECT_NEAR(c.mY, track.mY[c.mFrame], 1e-6);
        EXPECT_NEAR(c.mZ, track.mZ[c.mFrame], 1e-6);
        EXPECT_EQ(c.mOcclusion, track.mOcclusion[c.mFrame]);
    }
}

TEST_F(TrcTest, WithoutGapHoldingAnEmptyFieldReadsZero)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("trc/walk.trc"), kTrc,
                                             [](KStreamOptionsMotion& pOptions) {
                                                 pOptions.SetOption(
                                                     KStreamOptionsMotion::eImportSetOccludedToLastValidPosition,
                                                     KStreamOptionsMotion::eOff);
                                                 pOptions.SetOption(KStreamOptionsMotion::eImportAsOpticalSegments,
                                                                    KStreamOptionsMotion::eOff);
                                             });
    ASSERT_TRUE(result.mRead);
    KQelNode* reference = motiontest::Reference(*mFixture.mScene);
    EXPECT_EQ("TRC:reference", motiontest::ShortName(reference));
    const auto track = motiontest::Sample(reference->GetChild(1), result.mStart, Seconds(1.0 / 60.0), 5);
    EXPECT_EQ(0.0, track.mX[2]);
    EXPECT_NEAR(0.25, track.mY[2], 1e-6);
    EXPECT_EQ(1.0, track.mOcclusion[2]);
}

TEST_F(TrcTest, HeaderTypesAndUnits)
{
    const std::string walk = ReadFile(DataFile("trc/walk.trc"));
    const std::string type3 =
        Replaced(Replaced(Replaced(walk, "PathFileType\t4", "PathFileType\t3"),
                        "\tOrigDataRate\tOrigDataStartFrame\tOrigNumFrames", ""),
                "\t60.00\t61\t5\n", "\n");
    const struct {
        const char* mName;
        std::string mText;
        bool mReads;
        double mStart;
    } cases[] = {
        {"type 3 keeps the start", type3, true, 0.0},
        {"centimetres", Replaced(walk, "\tMM\t", "\tcm\t"), true, 1.0},
        {"inches", Replaced(walk, "\tMM\t", "\tinch\t"), false, 0.0},
        {"type 5", Replaced(walk, "PathFileType\t4", "PathFileType\t5"), false, 0.0},
        {"zero rate", Replaced(walk, "60.00\t60.00\t5", "0\t60.00\t5"), false, 0.0},
        {"negative frame count", Replaced(walk, "60.00\t60.00\t5", "60.00\t60.00\t-5"), false, 0.0},
        {"huge marker count", Replaced(walk, "\t5\t3\tMM", "\t5\t2147483647\tMM"), false, 0.0},
        {"huge frame count", Replaced(walk, "\t5\t3\tMM", "\t2147483647\t3\tMM"), false, 0.0},
        {"wrong keyword", Replaced(walk, "NumMarkers", "Markers"), false, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.trc");
        WriteFile(path, c.mText);
        KQelReaderMotionAnalysisTrc reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptions* options = reader.GetReadOptions();
        EXPECT_EQ(c.mReads, options != nullptr);
        if (options) {
            EXPECT_EQ(Seconds(c.mStart), static_cast<KStreamOptionsMotion*>(options)->GetStart());
            options->Destroy();
        } else {
            EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
        }
    }
}

TEST_F(TrcTest, BadFilesFailWithNothingAdded)
{
    const std::string walk = ReadFile(DataFile("trc/walk.trc"));
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"frames missing", walk.substr(0, walk.find("64\t"))},
        {"frame without time", Replaced(walk, "62\t1.017\t", "62\t\t")},
        {"name line cut", walk.substr(0, walk.find("Head Top") + 4)},
        {"axis letter wrong", Replaced(walk, "X2", "Q2")},
        {"duplicate names", Replaced(walk, "LHand", "Head Top")},
        {"garbage", "PathFileType\t4\t(X/Y/Z)\n\x01\x02\xff"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.trc");
        WriteFile(path, c.mText);
        motiontest::ExpectReadFails<KQelReaderMotionAnalysisTrc>(mFixture.mManager, *mFixture.mScene, path, 5,
                                                                 KTime::eFRAMES60);
    }
}

TEST_F(TrcTest, DuplicateNamesAreReportedOrRenamed)
{
    const std::string path = mDir.File("twins.trc");
    WriteFile(path, Replaced(ReadFile(DataFile("trc/walk.trc")), "LHand", "Head Top"));
    for (bool rename : {false, true}) {
        SCOPED_TRACE(rename);
        motiontest::Fixture fixture;
        MessageLog log;
        gLog = &log;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kTrc,
                                                 rename ? [](KStreamOptionsMotion& pOptions) {
                                                     LogMessages(pOptions);
                                                     pOptions.SetOption(KStreamOptionsMotion::eRenameDuplicateNames,
                                                                        KStreamOptionsMotion::eOn);
                                                 }
                                                        : LogMessages);
        EXPECT_EQ(rename, result.mRead);
        if (rename) {
            EXPECT_EQ("Warning;", log.mTitles);
            EXPECT_NE(std::string::npos, log.mTexts.find("Head_Top  -->  Head_Top 1\n"));
            EXPECT_EQ("Head_Top 1", motiontest::ShortName(motiontest::Reference(*fixture.mScene)->GetChild(1)));
        } else {
            EXPECT_EQ("Error;", log.mTitles);
            EXPECT_NE(std::string::npos, log.mTexts.find("Duplicate names found in twins.trc:\n    Model::Head_Top"));
            EXPECT_EQ(0, fixture.mScene->GetRootNode()->GetChildCount());
        }
    }
}

TEST_F(TrcTest, TimeCodeFileSetsTheStart)
{
    KQelReaderMotionAnalysisTrc::smLoadTCFile = true;
    WriteFile(mDir.File("walk.trc"), ReadFile(DataFile("trc/walk.trc")));
    const struct {
        const char* mName;
        std::string mCode;
        int mAnswer;
        double mStart;
        const char* mMessages;
    } cases[] = {
        {"EBU hour", ReadFile(DataFile("trc/ebu_hour.tc")), 1, 3600.0, "Load walk.tc?;"},
        {"SMPTE frames at 30", "00:00:01:15\nSMPTE\n30\n", 1, 1.5, "Load walk.tc?;"},
        {"EBU frames at 25", "00:00:01:12\nEBU\n30\n", 1, 1.48, "Load walk.tc?;"},
        {"System Clock at 60", "00:00:01:15\nsystem clock\n60.0\n", 1, 1.25, "Load walk.tc?;"},
        {"System Clock at 33", "00:00:01:00\nSystem Clock\n33\n", 1, 1.0, "Load walk.tc?;walk.tc is invalid;"},
        {"frames beyond the rate", "00:00:01:31\nSMPTE\n30\n", 1, 1.0, "Load walk.tc?;walk.tc is invalid;"},
        {"unknown standard", "00:00:01:00\nNTSC\n30\n", 1, 1.0, "Load walk.tc?;walk.tc is invalid;"},
        {"overflowing hours", "99999999999:00:00:00\nSMPTE\n30\n", 1, 1.0, "Load walk.tc?;walk.tc is invalid;"},
        {"declined", "01:00:00:00\nEBU\n30\n", 2, 1.0, "Load walk.tc?;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        WriteFile(mDir.File("walk.tc"), c.mCode);
        MessageLog log;
        log.mAnswer = c.mAnswer;
        gLog = &log;
        KQelReaderMotionAnalysisTrc reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(mDir.File("walk.trc").c_str()));
        // As from the header of walk.trc; the question goes to the first
        // message callback.
        KStreamOptionsMotion options;
        options.SetStart(Seconds(1.0));
        LogMessages(options);
        reader.GetTimeOffset(&options);
        EXPECT_NEAR(c.mStart, options.GetStart().GetSecondDouble(), 1e-9);
        EXPECT_EQ(c.mMessages, log.mTexts);
    }
}

TEST_F(TrcTest, DecliningWhileAskingIsTurnedOffStopsTheSearch)
{
    KQelReaderMotionAnalysisTrc::smLoadTCFile = true;
    WriteFile(mDir.File("walk.trc"), ReadFile(DataFile("trc/walk.trc")));
    WriteFile(mDir.File("walk.tc"), ReadFile(DataFile("trc/ebu_hour.tc")));
    MessageLog log;
    log.mAnswer = 2;
    log.mStopAsking = true;
    KQelReaderMotionAnalysisTrc reader(mFixture.mManager);
    ASSERT_TRUE(reader.FileOpen(mDir.File("walk.trc").c_str()));
    KStreamOptionsMotion options;
    options.SetMessageCallback(0, MessageLog::Record, &log);
    reader.GetTimeOffset(&options);
    EXPECT_FALSE(KQelReaderMotionAnalysisTrc::smLoadTCFile);
    reader.GetTimeOffset(&options);
    EXPECT_EQ("Load walk.tc?;", log.mTexts);
}

// A scene of two selected markers moving along x, occluded at chosen frames
// through the occlusion curve.
void BuildScene(KQelSdkManager& pManager, KQelScene& pScene, const float* pOcclusion, int pFrames)
{
    for (int m = 0; m < 2; ++m) {
        KQelNode* node =
            motiontest::AddMarkerNode(pManager, pScene.GetRootNode(), m == 0 ? "Actor1:Hip" : "Knee", true);
        KQelTakeNode* take = node->GetCurrentTakeNode();
        KFCurve* curves[4] = {take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ(),
                              take->GetOcclusion()};
        for (int f = 0; f < pFrames; ++f) {
            const float values[4] = {1.25f * f + m, 2.5f, -3.125f, pOcclusion[f]};
            for (int k = 0; k < 4; ++k)
                motiontest::AddKey(curves[k], Seconds(f / 30.0), values[k], k == 3);
        }
    }
    pScene.SetCurrentTake("Take");
}

TEST_F(TrcTest, WrittenLinesHoldMillimetresGapsAndTheStartFrame)
{
    const float occlusion[3] = {0.0f, 0.5f, 0.6f};
    BuildScene(mFixture.mManager, *mFixture.mScene, occlusion, 3);
    const std::string path = mDir.File("out.trc");
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eTrc, Seconds(0.0), 3,
                                      30.0, [](KStreamOptionsMotion& pOptions) {
                                          pOptions.SetOption(KStreamOptionsMotion::eExportFromGlobalPosition,
                                                             KStreamOptionsMotion::eOn);
                                      }));
    const std::string text = ReadFile(path);
    EXPECT_EQ(0u, text.find("PathFileType\t4\t(X/Y/Z)\tSorvinn\t\n"));
    EXPECT_NE(std::string::npos, text.find("30.00\t30.00\t3\t2\tmm\t30.00\t1\t3\t\n"));
    EXPECT_NE(std::string::npos, text.find("Frame#\tTime\tHip\t\t\tKnee\t\t\t\n\t\tX1\tY1\tZ1\tX2\tY2\tZ2\t\n\n"));
    EXPECT_NE(std::string::npos, text.find("1\t0.000\t0.00000\t25.00000\t-31.25000\t10.00000\t25.00000\t-31.25000 \n"));
    EXPECT_NE(std::string::npos, text.find("2\t0.033\t12.50000\t25.00000\t-31.25000\t22.50000"));
    EXPECT_NE(std::string::npos, text.find("3\t0.067\t\t\t\t\t\t \n"));
}

TEST_F(TrcTest, WrittenFilesReadBack)
{
    const auto first = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("trc/Anto.trc"), kTrc,
                                            [](KStreamOptionsMotion& pOptions) { pOptions.SetStart(Seconds(1.0)); });
    ASSERT_TRUE(first.mRead);
    mFixture.mScene->GetRootNode()->SetSelected(true, true);
    const std::string path = mDir.File("Anto.trc");
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eTrc, Seconds(1.0),
                                      first.mFrameCount, first.mFrameRate));
    motiontest::Fixture again;
    const auto second = motiontest::ReadFile(again.mManager, *again.mScene, path, kTrc);
    ASSERT_TRUE(second.mRead);
    EXPECT_EQ(Seconds(1.0), second.mStart);
    EXPECT_EQ(first.mFrameCount, second.mFrameCount);
    KQelNode* before = motiontest::Reference(*mFixture.mScene);
    KQelNode* after = motiontest::Reference(*again.mScene);
    ASSERT_EQ(before->GetChildCount(), after->GetChildCount());
    const KTime period = Seconds(0.01);
    for (int i = 0; i < before->GetChildCount(); ++i) {
        EXPECT_EQ(motiontest::ShortName(before->GetChild(i)), motiontest::ShortName(after->GetChild(i)));
        const auto a = motiontest::Sample(before->GetChild(i), Seconds(1.0), period, first.mFrameCount);
        const auto b = motiontest::Sample(after->GetChild(i), Seconds(1.0), period, first.mFrameCount);
        for (int f = 0; f < first.mFrameCount; ++f) {
            ASSERT_NEAR(a.mX[f], b.mX[f], 1e-5);
            ASSERT_NEAR(a.mY[f], b.mY[f], 1e-5);
            ASSERT_NEAR(a.mZ[f], b.mZ[f], 1e-5);
            ASSERT_EQ(a.mOcclusion[f], b.mOcclusion[f]);
        }
    }
}

TEST_F(TrcTest, StartFrameBeyondAnIntFailsTheWrite)
{
    const float occlusion[1] = {0.0f};
    BuildScene(mFixture.mManager, *mFixture.mScene, occlusion, 1);
    std::string error;
    EXPECT_FALSE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, mDir.File("far.trc"), KQelExporter::eTrc,
                                       Seconds(1e9), 1, 100.0, nullptr, &error));
    KQelWriterMotionAnalysisTrc writer(mFixture.mManager);
    ASSERT_TRUE(writer.FileCreate(mDir.File("far.trc").c_str()));
    KStreamOptions* options = writer.GetWriteOptions();
    static_cast<KStreamOptionsMotion*>(options)->SetStart(Seconds(1e9));
    static_cast<KStreamOptionsMotion*>(options)->SetTimeMode(KTime::eFRAMES100);
    EXPECT_FALSE(writer.Write(*mFixture.mScene, options));
    EXPECT_EQ(KQelWriter::eUnidentifiedError, writer.GetLastErrorID());
    EXPECT_STREQ("The start frame of a TRC file must be a 32-bit integer", writer.GetLastErrorString());
    options->Destroy();
}

TEST_F(TrcTest, WrittenAndReadFilesIgnoreTheLocale)
{
    KQelReaderMotionAnalysisTrc::smLoadTCFile = true;
    KQelReaderMotionAnalysisTrc::smDoNotAskForTCFile = true;
    WriteFile(mDir.File("walk.trc"), ReadFile(DataFile("trc/walk.trc")));
    WriteFile(mDir.File("walk.tc"), "00:00:01:15\nSMPTE\n29.97\n");
    std::string written[2];
    KTime starts[2];
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1 && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
            GTEST_SKIP() << "no de_DE.UTF-8 locale";
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, mDir.File("walk.trc"), kTrc);
        ASSERT_TRUE(result.mRead);
        starts[pass] = result.mStart;
        fixture.mScene->GetRootNode()->SetSelected(true, true);
        const std::string path = mDir.File("out" + std::to_string(pass) + ".trc");
        ASSERT_TRUE(motiontest::WriteFile(fixture.mManager, *fixture.mScene, path, KQelExporter::eTrc, result.mStart,
                                          5, 59.94));
        written[pass] = ReadFile(path);
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(written[0], written[1]);
    EXPECT_EQ(starts[0], starts[1]);
    EXPECT_NE(std::string::npos, written[0].find("59.94\t59.94"));
}

}  // namespace
}  // namespace qelsdk_600
