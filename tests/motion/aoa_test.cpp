#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "motion/kqelmotionaoa.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqeltakeinfo.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

using AoaTest = motiontest::MarkerTest;

TEST_F(AoaTest, BothKindsReadTheSameFileUnderTheirOwnPrefix)
{
    for (int format : {KQelImporter::eAoa, KQelImporter::eMcd}) {
        SCOPED_TRACE(format);
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, DataFile("aoa/jump.aoa"), format);
        ASSERT_TRUE(result.mRead);
        EXPECT_EQ(3, result.mFrameCount);
        EXPECT_DOUBLE_EQ(30.0, result.mFrameRate);
        KQelNode* reference = motiontest::Reference(*fixture.mScene);
        EXPECT_EQ(format == KQelImporter::eAoa ? "AOA:optical" : "MCD:optical", motiontest::ShortName(reference));
        ASSERT_EQ(2, reference->GetChildCount());
        EXPECT_EQ("Marker1", motiontest::ShortName(reference->GetChild(0)));
        EXPECT_EQ("Marker2", motiontest::ShortName(reference->GetChild(1)));
        EXPECT_STREQ("jump", fixture.mScene->GetCurrentTakeName());
        // Exactly (0, 0, 0) is a gap; (0, 0, 0.0001) is not.
        const auto track = motiontest::Sample(reference->GetChild(1), KTime(0), Seconds(1.0 / 30.0), 3);
        EXPECT_EQ(1.0, track.mOcclusion[0]);
        EXPECT_EQ(0.0, track.mOcclusion[1]);
        EXPECT_NEAR(0.0001, track.mZ[1], 1e-9);
        EXPECT_EQ(12.0, track.mZ[2]);
    }
}

TEST_F(AoaTest, HeadersThatAreNotThereOrDoNotFit)
{
    const std::string jump = ReadFile(DataFile("aoa/jump.aoa"));
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"no blanks around =", "frames=10 markers = 2 Hz = 30\n1 2 3\n"},
        {"no header", "1 2 3\n4 5 6\n"},
        {"rate 0", "frames = 1 markers = 1 Hz = 0\n1 2 3\n"},
        {"negative markers", "frames = 1 markers = -1 Hz = 30\n1 2 3\n"},
        {"huge marker count", "frames = 1 markers = 2147483647 Hz = 30\n1 2 3\n"},
        {"wrong keyword", "frames = 1 points = 1 Hz = 30\n1 2 3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.aoa");
        WriteFile(path, c.mText);
        KQelReaderAdaptiveOptics reader(mFixture.mManager, false);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        EXPECT_EQ(nullptr, reader.GetReadOptions());
        EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
    }
}

TEST_F(AoaTest, FramesCutShortOrNotNumbersFailTheRead)
{
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"file ends inside a frame", "frames = 2 markers = 2 Hz = 30\n1 2 3\n4 5 6\n7 8 9\n"},
        {"two numbers", "frames = 1 markers = 1 Hz = 30\n1 2\n"},
        {"infinite", "frames = 1 markers = 1 Hz = 30\n1 2 inf\n"},
        {"2147483647 frames", "frames = 2147483647 markers = 1 Hz = 30\n1 2 3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.aoa");
        WriteFile(path, c.mText);
        motiontest::Fixture fixture;
        EXPECT_FALSE(motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, KQelImporter::eAoa).mRead);
        EXPECT_EQ(0, fixture.mScene->GetRootNode()->GetChildCount());
    }
}

TEST_F(AoaTest, OptionsShapeTheRead)
{
    const std::string path = mDir.File("none.aoa");
    WriteFile(path, "frames = 4 markers = 0 Hz = 30\n");
    EXPECT_TRUE(motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, path, KQelImporter::eAoa).mRead);
    EXPECT_EQ(0, mFixture.mScene->GetRootNode()->GetChildCount());

    // Asking for more frames than the file has reads the file's frames.
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("aoa/jump.aoa"),
                                             KQelImporter::eAoa, [](KStreamOptionsMotion& pOptions) {
                                                 pOptions.SetFrameCount(50);
                                                 pOptions.SetStart(Seconds(2.0));
                                                 pOptions.SetOption(KStreamOptionsMotion::eImportExactZeroAsOccluded,
                                                                    KStreamOptionsMotion::eOff);
                                             });
    ASSERT_TRUE(result.mRead);
    KFCurve* occlusion = motiontest::Reference(*mFixture.mScene)->GetChild(1)->GetCurrentTakeNode()->GetOcclusion();
    ASSERT_EQ(3, occlusion->KeyGetCount());
    EXPECT_EQ(0.0f, occlusion->KeyGetValue(0));
    EXPECT_EQ(Seconds(2.0), occlusion->KeyGetTime(0));
    KQelTakeInfo* take = mFixture.mScene->GetTakeInfo("jump");
    ASSERT_NE(nullptr, take);
    EXPECT_EQ(Seconds(2.0), take->mLocalTimeSpan.GetStart());
    EXPECT_EQ(Seconds(2.0 + 2.0 / 30.0), take->mLocalTimeSpan.GetStop());
}

// root - Group (optical reference, at x 10) - A (x 1)
//                                            - B (x 2, not selected) - C (x 3)
void BuildGroup(KQelSdkManager& pManager, KQelScene& pScene)
{
    KQelNode* group = pManager.CreateKQelNode("Group");
    group->SetNodeAttribute(pManager.CreateKQelOpticalReference());
    group->SetSelected(true);
    group->SetDefaultT(KQelVector4(10.0, 0.0, 0.0, 0.0));
    pScene.GetRootNode()->AddChild(group);
    motiontest::AddMarkerNode(pManager, group, "Actor1:A", true, KQelVector4(1.5, 0.0, 0.0, 0.0));
    KQelNode* b = motiontest::AddMarkerNode(pManager, group, "B", false, KQelVector4(2.0, 0.0, 0.0, 0.0));
    KQelNode* c = motiontest::AddMarkerNode(pManager, b, "C", true, KQelVector4(3.0, 0.0, 0.0, 0.0));
    // C is occluded throughout: AOA keeps no occlusion.
    motiontest::AddKey(c->GetCurrentTakeNode()->GetOcclusion(), KTime(0), 1.0f, true);
}

void FromSceneRoot(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eExportFromGlobalPosition, KStreamOptionsMotion::eOn);
}

TEST_F(AoaTest, WriterSamplesSelectedNodesBelowThePinnedRoot)
{
    BuildGroup(mFixture.mManager, *mFixture.mScene);
    const std::string path = mDir.File("out.aoa");
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eAoa, Seconds(1.0), 2,
                                      30.0));
    EXPECT_EQ("frames = 2 markers = 2 Hz = 30\n1.5 0 0\n5 0 0\n1.5 0 0\n5 0 0\n", ReadFile(path));
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eMcd, Seconds(1.0), 1,
                                      30.0, FromSceneRoot));
    EXPECT_EQ("frames = 1 markers = 2 Hz = 30\n11.5 0 0\n15 0 0\n", ReadFile(path));
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eAoa, Seconds(1.0), 0,
                                      30.0));
    EXPECT_EQ("frames = 0 markers = 2 Hz = 30\n", ReadFile(path));

    // Read back: positions stay; names, occlusion and the start do not.
    ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eAoa, Seconds(1.0), 2,
                                      30.0));
    motiontest::Fixture again;
    const auto result = motiontest::ReadFile(again.mManager, *again.mScene, path, KQelImporter::eAoa);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(KTime(0), result.mStart);
    KQelNode* reference = motiontest::Reference(*again.mScene);
    EXPECT_EQ("Marker2", motiontest::ShortName(reference->GetChild(1)));
    const auto track = motiontest::Sample(reference->GetChild(1), KTime(0), Seconds(1.0 / 30.0), 2);
    EXPECT_EQ(5.0, track.mX[1]);
    EXPECT_EQ(0.0, track.mOcclusion[1]);
}

TEST_F(AoaTest, WrittenFilesIgnoreTheLocale)
{
    BuildGroup(mFixture.mManager, *mFixture.mScene);
    std::string written[2][2];
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1 && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
            GTEST_SKIP() << "no de_DE.UTF-8 locale";
        for (int kind = 0; kind < 2; ++kind) {
            const std::string path = mDir.File(kind == 0 ? "out.aoa" : "out.c3d");
            ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path,
                                              kind == 0 ? KQelExporter::eAoa : KQelExporter::eC3d, Seconds(1.0), 2,
                                              29.97));
            written[pass][kind] = ReadFile(path);
        }
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(written[0][0], written[1][0]);
    EXPECT_EQ(written[0][1], written[1][1]);
    EXPECT_NE(std::string::npos, written[0][0].find("Hz = 29.97"));
}

}  // namespace
}  // namespace qelsdk_600
