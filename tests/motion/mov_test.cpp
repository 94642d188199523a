#include <gtest/gtest.h>

#include <string>

#include "motion/kqelmotionmov.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

using MovTest = motiontest::RawKeysTest;
const int kMov = KQelImporter::eMov;

void TranslationOnly(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eRotation, KStreamOptionsMotion::eOff);
    pOptions.SetOption(KStreamOptionsMotion::eScaling, KStreamOptionsMotion::eOff);
    pOptions.SetOption(KStreamOptionsMotion::eImportAsOpticalSegments, KStreamOptionsMotion::eOn);
}

TEST_F(MovTest, ColumnsBecomeMarkersByTheGroupsOn)
{
    const struct {
        bool mAllGroups;
        int mMarkers;
        const char* mParent;
    } cases[] = {{true, 2, "MOV:reference"}, {false, 6, "MOV:optical"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mMarkers);
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, DataFile("mov/grid.mov"), kMov,
                                                 c.mAllGroups ? nullptr : TranslationOnly);
        ASSERT_TRUE(result.mRead);
        EXPECT_EQ(4, result.mFrameCount);
        EXPECT_NEAR(25.0, result.mFrameRate, 1e-9);
        KQelNode* parent = motiontest::Reference(*fixture.mScene);
        EXPECT_EQ(c.mParent, motiontest::ShortName(parent));
        ASSERT_EQ(c.mMarkers, parent->GetChildCount());
        EXPECT_EQ("Marker0", motiontest::ShortName(parent->GetChild(0)));
        // Marker 1's first value is column 10 (all groups) or 4 (translation
        // only); row 2 holds six values, so Marker 1 reads 0 there.
        KQelNode* second = parent->GetChild(1);
        const auto track = motiontest::Sample(second, KTime(0), Seconds(0.04), 4);
        EXPECT_EQ(c.mAllGroups ? 109.0 : 103.0, track.mX[1]);
        EXPECT_EQ(c.mAllGroups ? 0.0 : 203.0, track.mX[2]);
        if (c.mAllGroups) {
            KQelTakeNode* take = parent->GetChild(0)->GetCurrentTakeNode();
            EXPECT_FLOAT_EQ(103.0f, take->GetEulerRotationX()->KeyGetValue(1));
            EXPECT_FLOAT_EQ(108.0f, take->GetScaleZ()->KeyGetValue(1));
            EXPECT_FLOAT_EQ(0.0f, take->GetScaleZ()->KeyGetValue(2));
        }
    }
}

TEST_F(MovTest, RateIsEstimatedFromRisingTimesOnly)
{
    const struct {
        const char* mTimes;
        double mRate;
    } cases[] = {
        {"0 1\n0.04 1\n0.04 1\n0.08 1\n", 25.0},
        {"0.5 1\n0.5 1\n0.5 1\n", KTime::GetFrameRate(0)},
        {"1 1\n0.9 1\n1.1 1\n", 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mTimes);
        const std::string path = mDir.File("rate.mov");
        WriteFile(path, c.mTimes);
        KQelReaderPellacordMov reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptions* options = reader.GetReadOptions();
        ASSERT_NE(nullptr, options);
        EXPECT_NEAR(c.mRate, static_cast<KStreamOptionsMotion*>(options)->GetFrameRate(), 1e-9);
        options->Destroy();
    }
}

TEST_F(MovTest, TablesThatDoNotRead)
{
    std::string wide = "0";
    for (int i = 0; i < 100000; ++i)
        wide += " 1";
    wide += "\n";
    std::string tall;
    for (int i = 1; i <= 100000; ++i)
        tall += std::to_string(i) + "\n";
    const struct {
        const char* mName;
        std::string mText;
        const char* mError;
    } cases[] = {
        {"a wide first row over many short ones", wide + tall,
         "File is corrupted: its rows hold more keys than one read may make"},
        {"text after the first row's numbers", "0 1 2 x\n", "File is corrupted"},
        {"an infinite value", "0 1 2 3\n0.04 1 2 inf\n", "File is corrupted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.mov");
        WriteFile(path, c.mText);
        KQelReaderPellacordMov reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptionsMotion options;
        options.SetFrameCount(200000);
        options.SetOption(KStreamOptionsMotion::eTranslation, KStreamOptionsMotion::eOn);
        EXPECT_FALSE(reader.Read(*mFixture.mScene, &options));
        EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
        EXPECT_STREQ(c.mError, reader.GetLastErrorString());
        EXPECT_EQ(0, mFixture.mScene->GetRootNode()->GetChildCount());
    }
    KQelReaderPellacordMov reader(mFixture.mManager);
    ASSERT_TRUE(reader.FileOpen(DataFile("mov/grid.mov").c_str()));
    KStreamOptionsMotion none;
    EXPECT_FALSE(reader.Read(*mFixture.mScene, &none));
    EXPECT_EQ(KQelReader::eUnidentifiedError, reader.GetLastErrorID());
    EXPECT_STREQ("No animation to import.", reader.GetLastErrorString());
}

TEST_F(MovTest, WrittenRowsHoldGlobalTransformsAndReadBack)
{
    KQelNode* marker = motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Still", true);
    const std::string path = mDir.File("out.mov");
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eMov, KTime(0), 1,
                                      25.0));
    EXPECT_EQ("0\t0\t0\t0\t0\t0\t0\t1\t1\t1\t\n", ReadFile(path));

    marker->SetDefaultT(KQelVector4(1.5, -2.0, 3.25, 0.0));
    marker->SetDefaultR(KQelVector4(10.0, 20.0, 30.0, 0.0));
    marker->SetDefaultS(KQelVector4(2.0, 2.0, 2.0, 0.0));
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eMov, Seconds(1.0), 3,
                                      25.0, [](KStreamOptionsMotion& pOptions) {
                                          pOptions.SetOption(KStreamOptionsMotion::eExportFromGlobalPosition,
                                                             KStreamOptionsMotion::eOn);
                                      }));
    motiontest::Fixture again;
    const auto result = motiontest::ReadFile(again.mManager, *again.mScene, path, kMov);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(Seconds(1.0), result.mStart);
    KQelTakeNode* take = motiontest::Reference(*again.mScene)->GetChild(0)->GetCurrentTakeNode();
    const float expected[9] = {1.5f, -2.0f, 3.25f, 10.0f, 20.0f, 30.0f, 2.0f, 2.0f, 2.0f};
    KFCurve* curves[9] = {take->GetTranslationX(),   take->GetTranslationY(),   take->GetTranslationZ(),
                          take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ(),
                          take->GetScaleX(),         take->GetScaleY(),         take->GetScaleZ()};
    for (int k = 0; k < 9; ++k)
        EXPECT_NEAR(expected[k], curves[k]->KeyGetValue(2), 1e-4) << k;

    KQelWriterPellacordMov writer(mFixture.mManager);
    ASSERT_TRUE(writer.FileCreate(path.c_str()));
    KStreamOptionsMotion noGroups;
    EXPECT_FALSE(writer.Write(*mFixture.mScene, &noGroups));
    EXPECT_EQ(KQelWriter::eFileNotCreated, writer.GetLastErrorID());
    EXPECT_STREQ("No animation to export.", writer.GetLastErrorString());
}

}  // namespace
}  // namespace qelsdk_600
