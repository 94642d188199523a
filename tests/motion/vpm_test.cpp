#include <gtest/gtest.h>

#include <string>

#include "motion/kqelmotionvpm.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

using VpmTest = motiontest::MarkerTest;
const int kVpm = KQelImporter::eVpm;

TEST_F(VpmTest, SegmentsBecomeMarkersKeyedUpToTheFrameCount)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("vpm/two.vpm"), kVpm,
                                             [](KStreamOptionsMotion& pOptions) { pOptions.SetFrameCount(5); });
    ASSERT_TRUE(result.mRead);
    EXPECT_DOUBLE_EQ(25.0, result.mFrameRate);
    KQelNode* parent = motiontest::Reference(*mFixture.mScene);
    EXPECT_EQ("VPM:reference", motiontest::ShortName(parent));
    ASSERT_EQ(2, parent->GetChildCount());
    KQelNode* hips = parent->GetChild(0);
    KQelNode* head = parent->GetChild(1);
    EXPECT_EQ("Hips", motiontest::ShortName(hips));
    EXPECT_EQ("Head", motiontest::ShortName(head));
    // "1 2 3 10 20 30 50 50 50": inches to centimetres, scaling left at 1.
    KQelTakeNode* take = hips->GetCurrentTakeNode();
    KFCurve* curves[9] = {take->GetTranslationX(),   take->GetTranslationY(),   take->GetTranslationZ(),
                          take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ(),
                          take->GetScaleX(),         take->GetScaleY(),         take->GetScaleZ()};
    const float first[9] = {2.54f, 5.08f, 7.62f, 10.0f, 20.0f, 30.0f, 1.0f, 1.0f, 1.0f};
    for (int k = 0; k < 9; ++k) {
        ASSERT_EQ(5, curves[k]->KeyGetCount());
        EXPECT_FLOAT_EQ(first[k], curves[k]->KeyGetValue(0));
    }
    EXPECT_EQ(Seconds(0.16), curves[0]->KeyGetTime(4));
    EXPECT_FLOAT_EQ(4 * 2.54f, head->GetCurrentTakeNode()->GetTranslationY()->KeyGetValue(4));
    EXPECT_FLOAT_EQ(20.0f, head->GetCurrentTakeNode()->GetEulerRotationZ()->KeyGetValue(4));
}

TEST_F(VpmTest, HeadersAndFramesThatDoNotRead)
{
    const std::string two = ReadFile(DataFile("vpm/two.vpm"));
    const size_t second = two.find("Segment:\tHead");
    const struct {
        const char* mName;
        std::string mText;
        int mSegments;  // -1: the read fails
        int mFrames = 10;
    } cases[] = {
        {"first frame time 0", Replaced(two, "Frame Time:\t0.04", "Frame Time:\t0"), -1},
        {"second frame time 0", two.substr(0, second) + Replaced(two.substr(second), "0.04", "0"), 1},
        {"second segment cut short", two.substr(0, two.size() - 30), 1},
        {"2147483647 frames", Replaced(two, "Frames:\t10", "Frames:\t2147483647"), -1, 2147483647},
        {"infinite value", Replaced(two, "1 2 3 10 20 30 50 50 50", "1 2 3 10 20 30 50 50 inf"), -1},
        {"twice the same name", Replaced(two, "Segment:\tHead", "Segment:\tHips"), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.vpm");
        WriteFile(path, c.mText);
        motiontest::Fixture fixture;
        KQelReaderPuppeteer reader(fixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptionsMotion options;
        options.SetFrameCount(c.mFrames);
        options.SetOption(KStreamOptionsMotion::eImportAsOpticalSegments, KStreamOptionsMotion::eOn);
        const bool read = reader.Read(*fixture.mScene, &options);
        EXPECT_EQ(c.mSegments >= 0, read);
        if (read) {
            EXPECT_EQ("VPM:optical", motiontest::ShortName(motiontest::Reference(*fixture.mScene)));
            EXPECT_EQ(c.mSegments, motiontest::Reference(*fixture.mScene)->GetChildCount());
        } else {
            EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
            EXPECT_EQ(0, fixture.mScene->GetRootNode()->GetChildCount());
        }
    }
}

TEST_F(VpmTest, WrittenSegmentsReadBack)
{
    KQelNode* hips = motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Actor:Hips", true,
                                               KQelVector4(2.54, 0.0, 0.0, 0.0));
    motiontest::AddKey(hips->GetCurrentTakeNode()->GetEulerRotationZ(), KTime(0), 10.0f);
    motiontest::AddKey(hips->GetCurrentTakeNode()->GetEulerRotationZ(), Seconds(1.0), 40.0f);
    motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Idle", false);
    mFixture.mScene->SetCurrentTake("Take");
    const std::string path = mDir.File("out.vpm");
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eVpm, KTime(0), 4,
                                      3.0));
    EXPECT_EQ(0u, ReadFile(path).find("Segment:\tHips\nFrames:\t4\nFrame Time:\t0.333333\nXTRAN\t"));
    EXPECT_NE(std::string::npos, ReadFile(path).find("\n1\t0\t0\t0\t0\t10\t100\t100\t100\n"));

    motiontest::Fixture again;
    const auto result = motiontest::ReadFile(again.mManager, *again.mScene, path, kVpm);
    ASSERT_TRUE(result.mRead);
    KQelNode* read = motiontest::Reference(*again.mScene)->GetChild(0);
    EXPECT_EQ("Hips", motiontest::ShortName(read));
    const auto track = motiontest::Sample(read, KTime(0), Seconds(1.0 / 3.0), 4);
    EXPECT_NEAR(2.54, track.mX[3], 1e-5);
    EXPECT_NEAR(40.0, read->GetCurrentTakeNode()->GetEulerRotationZ()->KeyGetValue(3), 1e-4);
}

TEST_F(VpmTest, WriterEmptyAndRefusedScenes)
{
    const std::string path = mDir.File("out.vpm");
    motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), "Idle", false);
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eVpm, KTime(0), 4,
                                      30.0));
    EXPECT_EQ("", ReadFile(path));

    for (const char* name : {"A", "B"})
        motiontest::AddMarkerNode(mFixture.mManager, mFixture.mScene->GetRootNode(), name, true);
    KQelWriterPuppeteer writer(mFixture.mManager);
    ASSERT_TRUE(writer.FileCreate(path.c_str()));
    KStreamOptionsMotion options;
    options.SetFrameCount(2147483647);  // x 2 nodes passes 32 bits
    std::string shown;
    options.SetMessageCallback(
        1,
        [](const char*, const char* pText, const char*, const char*, const char*, int, void* pShown) {
            *static_cast<std::string*>(pShown) = pText;
            return 0;
        },
        &shown);
    EXPECT_FALSE(writer.Write(*mFixture.mScene, &options));
    EXPECT_EQ(KQelWriter::eUnidentifiedError, writer.GetLastErrorID());
    EXPECT_EQ("Not enough memory to allocate animation buffer.", shown);
}

}  // namespace
}  // namespace qelsdk_600
