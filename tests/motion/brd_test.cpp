#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "motion/kqelmotionbrd.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

using BrdTest = motiontest::MarkerTest;
const int kBrd = KQelImporter::eBrd;

void NoHolding(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eImportSetOccludedToLastValidPosition, KStreamOptionsMotion::eOff);
}

TEST_F(BrdTest, RecordsInAnyOrderBecomeOneMarkerPerSensor)
{
    for (bool hold : {true, false}) {
        SCOPED_TRACE(hold);
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, DataFile("brd/sensors.brd"), kBrd,
                                                 hold ? nullptr : NoHolding);
        ASSERT_TRUE(result.mRead);
        EXPECT_EQ(10, result.mFrameCount);  // frames 10 to 19
        EXPECT_NEAR(20.0, result.mFrameRate, 1e-6);
        EXPECT_EQ(Seconds(0.5), result.mStart);
        KQelNode* parent = motiontest::Reference(*fixture.mScene);
        EXPECT_EQ("BRD:reference", motiontest::ShortName(parent));
        ASSERT_EQ(2, parent->GetChildCount());
        KQelNode* two = parent->GetChild(0);
        KQelNode* five = parent->GetChild(1);
        EXPECT_EQ("Marker2", motiontest::ShortName(two));
        EXPECT_EQ("Marker5", motiontest::ShortName(five));
        const auto fives = motiontest::Sample(five, result.mStart, Seconds(0.05), 10);
        EXPECT_NEAR(12.0, fives.mY[2], 1e-5);  // the later of two records for frame 12
        EXPECT_NEAR(90.0, five->GetCurrentTakeNode()->GetEulerRotationZ()->KeyGetValue(1), 1e-3);
        const auto twos = motiontest::Sample(two, result.mStart, Seconds(0.05), 10);
        for (int f : {3, 4}) {
            EXPECT_EQ(1.0, twos.mOcclusion[f]);
            EXPECT_NEAR(hold ? 12.0 : 0.0, twos.mY[f], 1e-5);
        }
        EXPECT_EQ(0.0, twos.mOcclusion[5]);
    }
}

TEST_F(BrdTest, EmptyAndHostileFiles)
{
    const std::string path = mDir.File("case.brd");
    WriteFile(path, "");
    const auto empty = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, path, kBrd);
    ASSERT_TRUE(empty.mRead);
    EXPECT_EQ(1, empty.mFrameCount);
    EXPECT_EQ(KTime(0), empty.mStart);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), empty.mFrameRate);
    EXPECT_EQ(0, motiontest::Reference(*mFixture.mScene)->GetChildCount());

    const char* record = "\t1\tP\t0\t0\t0\tQ\t0\t0\t0\t1\t0\t0\n";
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"frames -2147483648 and 2147483647", "-2147483648" + std::string(record) + "2147483647" + record},
        {"no P marker", "1\t1\tX\t0\t0\t0\tQ\t0\t0\t0\t1\t0\t0\n"},
        {"infinite microseconds", "1\t1\tP\t0\t0\t0\tQ\t0\t0\t0\t1\t0\tinf\n"},
        {"a field missing", "1\t1\tP\t0\t0\t0\tQ\t0\t0\t0\t1\t0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        WriteFile(path, c.mText);
        motiontest::Fixture fixture;
        KQelReaderAscension reader(fixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        EXPECT_EQ(nullptr, reader.GetReadOptions());
        KStreamOptionsMotion options;
        EXPECT_FALSE(reader.Read(*fixture.mScene, &options));
        EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
        EXPECT_EQ(0, fixture.mScene->GetRootNode()->GetChildCount());
    }

    // Falling time stamps give no rate: the global mode's.
    WriteFile(path, "1" + std::string(record).replace(std::string(record).size() - 4, 1, "2") + "2" + record);
    KQelReaderAscension reader(mFixture.mManager);
    ASSERT_TRUE(reader.FileOpen(path.c_str()));
    KStreamOptions* options = reader.GetReadOptions();
    ASSERT_NE(nullptr, options);
    EXPECT_DOUBLE_EQ(KTime::GetFrameRate(0), static_cast<KStreamOptionsMotion*>(options)->GetFrameRate());
    options->Destroy();
}

// Sampled from the scene's root: the only top node would otherwise be the
// root that positions are relative to.
void FromSceneRoot(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eExportFromGlobalPosition, KStreamOptionsMotion::eOn);
}

TEST_F(BrdTest, WrittenRecordsReadBack)
{
    KQelNode* marker = motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Wrist", true,
                                                 KQelVector4(1.5, 2.5, -3.0, 0.0));
    marker->SetDefaultR(KQelVector4(0.0, 0.0, 90.0, 0.0));
    motiontest::AddKey(marker->GetCurrentTakeNode()->GetOcclusion(), KTime(0), 0.0f, true);
    motiontest::AddKey(marker->GetCurrentTakeNode()->GetOcclusion(), Seconds(2.32), 1.0f, true);
    mFixture.mScene->SetCurrentTake("Take");
    const std::string path = mDir.File("out.brd");
    // 2.25 s is written as 2 whole seconds and 250000 microseconds.
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eBrd, Seconds(2.25), 3,
                                      20.0, FromSceneRoot));
    const std::string text = ReadFile(path);
    EXPECT_EQ(0u, text.find("0\t0\tP\t1.5\t2.5\t-3\tQ\t0\t0\t0.707107\t0.707107\t2\t250000\n"));
    EXPECT_EQ(3, std::count(text.begin(), text.end(), '\n'));
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eBrd, Seconds(2.25), 3,
                                      20.0, [](KStreamOptionsMotion& pOptions) {
                                          FromSceneRoot(pOptions);
                                          pOptions.SetOption(KStreamOptionsMotion::eExportGapsAsValidData,
                                                             KStreamOptionsMotion::eOff);
                                      }));
    const std::string gaps = ReadFile(path);
    EXPECT_EQ(2, std::count(gaps.begin(), gaps.end(), '\n'));  // 2.35 s is occluded

    motiontest::Fixture again;
    const auto result = motiontest::ReadFile(again.mManager, *again.mScene, path, kBrd);
    ASSERT_TRUE(result.mRead);
    KQelNode* read = motiontest::Reference(*again.mScene)->GetChild(0);
    EXPECT_EQ("Marker0", motiontest::ShortName(read));
    const auto track = motiontest::Sample(read, result.mStart, Seconds(0.05), 2);
    EXPECT_NEAR(2.5, track.mY[1], 1e-5);
    EXPECT_NEAR(90.0, read->GetCurrentTakeNode()->GetEulerRotationZ()->KeyGetValue(0), 1e-3);
}

}  // namespace
}  // namespace qelsdk_600
