#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/small_stack.h"
#include "curves/kfcurvesettings.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionbvh.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakeinfo.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

const int kBvh = KQelImporter::eBvh;

using BvhTest = motiontest::RawKeysTest;

void NoReferenceNode(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eOff);
}

// The rotation keys of a node's current take at key pIndex.
KQelVector4 RotationKey(KQelNode* pNode, int pIndex)
{
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    return KQelVector4(take->GetEulerRotationX()->KeyGetValue(pIndex), take->GetEulerRotationY()->KeyGetValue(pIndex),
                       take->GetEulerRotationZ()->KeyGetValue(pIndex), 0.0);
}

TEST_F(BvhTest, RealFileGivesItsSkeletonAndKeys)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("bvh/01_01.bvh"), kBvh);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(2752, result.mFrameCount);
    EXPECT_DOUBLE_EQ(120.0, result.mFrameRate);
    EXPECT_EQ(KTime::eFRAMES120, result.mTimeMode);
    KQelNode* reference = motiontest::Reference(*mFixture.mScene);
    ASSERT_EQ("BVH:reference", motiontest::ShortName(reference));
    EXPECT_EQ(38, reference->GetChildCount(true));
    EXPECT_NE(nullptr, reference->FindChild("Head_End"));
    KQelNode* hips = reference->GetChild(0);
    EXPECT_EQ("Hips", motiontest::ShortName(hips));
    EXPECT_EQ(KQelSkeleton::eLimbNode, hips->GetSkeleton()->GetSkeletonType());
    KFCurve* x = hips->GetCurrentTakeNode()->GetTranslationX();
    ASSERT_EQ(2752, x->KeyGetCount());
    EXPECT_FLOAT_EQ(9.3722f, x->KeyGetValue(0));
    const KQelVector4 upLeg = RotationKey(reference->FindChild("LeftUpLeg"), 0);
    EXPECT_NEAR(0.0, upLeg[0], 1e-4);
    EXPECT_NEAR(0.0, upLeg[1], 1e-4);
    EXPECT_NEAR(-17.0, upLeg[2], 1e-4);
    KQelTakeInfo* take = mFixture.mScene->GetTakeInfo("01_01");
    ASSERT_NE(nullptr, take);
    const KTime period = Seconds(1.0 / 120.0);
    EXPECT_EQ(period.Get() * 2751, (take->mLocalTimeSpan.GetStop() - take->mLocalTimeSpan.GetStart()).Get());

    motiontest::Fixture bare;
    ASSERT_TRUE(
        motiontest::ReadFile(bare.mManager, *bare.mScene, DataFile("bvh/01_01.bvh"), kBvh, NoReferenceNode).mRead);
    ASSERT_EQ(1, bare.mScene->GetRootNode()->GetChildCount());
    EXPECT_EQ("Hips", motiontest::ShortName(bare.mScene->GetRootNode()->GetChild(0)));
}

TEST_F(BvhTest, ChannelsTurnAndPlaceAsListed)
{
    const auto result = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("bvh/turns.bvh"), kBvh);
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(3, result.mFrameCount);
    EXPECT_DOUBLE_EQ(30.0, result.mFrameRate);
    KQelNode* reference = motiontest::Reference(*mFixture.mScene);
    EXPECT_EQ(5, reference->GetChildCount(true));
    KQelNode* hips = reference->GetChild(0);
    KQelNode* chest = hips->GetChild(0);
    KQelNode* arm = hips->GetChild(1);
    EXPECT_EQ("Chest_End", motiontest::ShortName(chest->GetChild(0)));
    // Z 30, X 40, Y 50 listed: Y turns first, then X, then Z.
    const struct {
        KQelNode* mNode;
        double mX, mY, mZ;
    } turns[] = {{hips, 52.546, 35.932, 67.454}, {chest, 50.0, 40.0, 30.0}};
    for (const auto& c : turns) {
        const KQelVector4 key = RotationKey(c.mNode, 0);
        EXPECT_NEAR(c.mX, key[0], 1e-3);
        EXPECT_NEAR(c.mY, key[1], 1e-3);
        EXPECT_NEAR(c.mZ, key[2], 1e-3);
    }
    // Xposition replaces the offset's x.
    EXPECT_FLOAT_EQ(10.0f, hips->GetCurrentTakeNode()->GetTranslationX()->KeyGetValue(0));
    EXPECT_EQ(0, chest->GetCurrentTakeNode()->GetTranslationY()->KeyGetCount());
    KQelVector4 offset;
    chest->GetDefaultT(offset);
    EXPECT_EQ(10.0, offset[1]);
    // Across 180 degrees the angle goes on.
    const double armX[3] = {170.0, 190.0, 200.0};
    for (int f = 0; f < 3; ++f)
        EXPECT_NEAR(armX[f], RotationKey(arm, f)[0], 1e-3);
}

TEST_F(BvhTest, MotionHeaderSetsCountAndRate)
{
    const std::string turns = ReadFile(DataFile("bvh/turns.bvh"));
    const struct {
        const char* mFrom;
        const char* mTo;
        int mFrames;
        double mRate;
    } cases[] = {
        {"frames: 3", "frames: -5", 0, 30.0},
        {"0.0333333", "0.0083333", 3, 120.0},
        {"0.0333333", "1e-300", 3, 1e300},
        {"0.0333333", "0", 3, KTime::GetFrameRate(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mTo);
        const std::string path = mDir.File("case.bvh");
        WriteFile(path, Replaced(turns, c.mFrom, c.mTo));
        KQelReaderBiovision reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptions* options = reader.GetReadOptions();
        ASSERT_NE(nullptr, options);
        KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
        EXPECT_EQ(c.mFrames, motion.GetFrameCount());
        EXPECT_DOUBLE_EQ(c.mRate, motion.GetFrameRate());
        EXPECT_EQ(KStreamOptionsMotion::eOn, motion.GetOption(KStreamOptionsMotion::eImportCreateReferenceNode));
        options->Destroy();
    }
}

TEST_F(BvhTest, HostileFilesFailWithNothingAdded)
{
    const std::string turns = ReadFile(DataFile("bvh/turns.bvh"));
    const char* chest = "channels 3 Zrotation Yrotation Xrotation";
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"7 channels", Replaced(turns, chest, "channels 7 Zrotation Yrotation Xrotation Xrotation Xrotation "
                                             "Xrotation Xrotation")},
        {"-1 channels", Replaced(turns, chest, "channels -1")},
        {"2147483647 channels", Replaced(turns, chest, "channels 2147483647 Zrotation")},
        {"2000000000 frames", Replaced(turns, "frames: 3", "frames: 2000000000")},
        {"infinite value", Replaced(turns, "-160 0 0", "-160 0 inf")},
        {"short frame line", Replaced(turns, "-160 0 0", "-160 0")},
        {"second root", Replaced(turns, "}\nmotion", "}\nroot Again\n{\n}\nmotion")},
        {"unknown channel", Replaced(turns, "Yrotation Xrotation\n", "Yrotation Wrotation\n")},
        {"no motion", turns.substr(0, turns.find("motion"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.bvh");
        WriteFile(path, c.mText);
        KQelReaderBiovision reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptionsMotion options;
        options.SetFrameCount(2000000000);
        options.SetTimeMode(KTime::eFRAMES30);
        options.SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eOn);
        EXPECT_FALSE(reader.Read(*mFixture.mScene, &options));
        EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
        EXPECT_EQ(0, mFixture.mScene->GetRootNode()->GetChildCount());
    }
}

// A limb node under pParent at pOffset, animated (a rotation key in the take
// "Take") or not.
KQelNode* Joint(KQelSdkManager& pManager, KQelNode* pParent, const char* pName, const KQelVector4& pOffset,
                bool pAnimated)
{
    KQelNode* node = motiontest::AddLimbNode(pManager, pParent, pName, pOffset);
    if (pAnimated) {
        motiontest::AddKey(node->GetCurrentTakeNode()->GetEulerRotationZ(), KTime(0), 0.0f);
        motiontest::AddKey(node->GetCurrentTakeNode()->GetEulerRotationZ(), Seconds(1.0), 90.0f);
    }
    return node;
}

// Writes the scene through a BVH writer with pFrames frames in pMode; the
// file's text, and the error id and text.
struct Written {
    bool mWritten;
    int mError;
    std::string mErrorText;
    std::string mText;
};
Written WriteBvh(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFrames,
                 KTime::ETimeMode pMode = KTime::eFRAMES30)
{
    KQelWriterBiovision writer(pManager);
    EXPECT_TRUE(writer.FileCreate(pPath.c_str()));
    KStreamOptions* options = writer.GetWriteOptions();
    KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
    motion.SetFrameCount(pFrames);
    motion.SetTimeMode(pMode);
    Written result;
    result.mWritten = writer.Write(pScene, options);
    result.mError = writer.GetLastErrorID();
    result.mErrorText = writer.GetLastErrorString();
    options->Destroy();
    writer.FileClose();
    result.mText = ReadFile(pPath);
    return result;
}

TEST_F(BvhTest, WriterChoosesJointsAndEndSites)
{
    KQelNode* root = mFixture.mScene->GetRootNode();
    KQelNode* hips = Joint(mFixture.mManager, root, "Hips", KQelVector4(0.0, 1.0, 0.0, 0.0), true);
    hips->SetSelected(true);
    hips->SetDefaultS(KQelVector4(2.0, 2.0, 2.0, 0.0));
    KQelNode* spine = Joint(mFixture.mManager, hips, "Spine", KQelVector4(0.0, 3.0, 0.0, 0.0), true);
    Joint(mFixture.mManager, spine, "Head", KQelVector4(0.0, 4.0, 0.5, 0.0), false);
    Joint(mFixture.mManager, hips, "Hand", KQelVector4(5.0, 0.0, 0.0, 0.0), true);
    mFixture.mScene->SetCurrentTake("Take");
    const Written written = WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("out.bvh"), 2);
    ASSERT_TRUE(written.mWritten) << written.mErrorText;
    const std::string& text = written.mText;
    EXPECT_EQ(0u, text.find("HIERARCHY\nROOT Hips\n{\n  OFFSET 0 1 0\n"
                            "  CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"));
    // Hips' scale 2 doubles every offset below it; Head, an unanimated only
    // child, is Spine's End Site; Hand, an animated leaf, a joint ending in
    // a generated End Site.
    EXPECT_NE(std::string::npos, text.find("  JOINT Spine\n  {\n    OFFSET 0 6 0\n    CHANNELS 3 Zrotation "
                                           "Xrotation Yrotation\n    End Site\n    {\n      OFFSET 0 8 1\n    }\n"));
    EXPECT_NE(std::string::npos, text.find("  JOINT Hand\n  {\n    OFFSET 10 0 0\n"));
    EXPECT_NE(std::string::npos, text.find("    End Site\n", text.find("JOINT Hand")));
    EXPECT_NE(std::string::npos, text.find("MOTION\nFrames:\t2\nFrame Time:\t0.0333333\n"));
    const size_t frames = text.find("Frame Time:");
    EXPECT_EQ(2, std::count(text.begin() + static_cast<long>(frames), text.end(), '\n') - 1);

    motiontest::Fixture again;
    const auto read = motiontest::ReadFile(again.mManager, *again.mScene, mDir.File("out.bvh"), kBvh);
    ASSERT_TRUE(read.mRead);
    EXPECT_NE(nullptr, motiontest::Reference(*again.mScene)->FindChild("Spine_End"));
    EXPECT_NE(nullptr, motiontest::Reference(*again.mScene)->FindChild("Hand_End"));
}

TEST_F(BvhTest, WriterRefusals)
{
    KQelNode* root = mFixture.mScene->GetRootNode();
    KQelNode* first = Joint(mFixture.mManager, root, "Hips", KQelVector4(), true);
    const Written unselected = WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("a.bvh"), 1);
    EXPECT_FALSE(unselected.mWritten);
    EXPECT_EQ(KQelWriter::eFileNotCreated, unselected.mError);
    EXPECT_EQ("Can not find root node.", unselected.mErrorText);

    first->SetSelected(true);
    Joint(mFixture.mManager, first, "Left Arm", KQelVector4(), true);
    const Written spaced = WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("b.bvh"), 1);
    EXPECT_FALSE(spaced.mWritten);
    EXPECT_EQ(KQelWriter::eUnidentifiedError, spaced.mError);
    EXPECT_EQ("Spaces are not allowed in BVH node names:\n    Model::Left Arm", spaced.mErrorText);
    EXPECT_EQ("", spaced.mText);

    Joint(mFixture.mManager, root, "Other", KQelVector4(), true);
    EXPECT_EQ("Can not find root node.",
              WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("c.bvh"), 1).mErrorText);

    // A file that cannot be created leaves no file object behind.
    KQelWriterBiovision writer(mFixture.mManager);
    EXPECT_FALSE(writer.FileCreate(mDir.Path().c_str()));
    EXPECT_EQ(KQelWriter::eFileNotOpened, writer.GetLastErrorID());
    EXPECT_EQ("Cannot open file \"" + mDir.Path() + "\" for writing.", writer.GetLastErrorString());
    EXPECT_FALSE(writer.IsFileOpen());
    KStreamOptionsMotion options;
    EXPECT_FALSE(writer.Write(*mFixture.mScene, &options));
    EXPECT_EQ(KQelWriter::eFileNotOpened, writer.GetLastErrorID());
}

TEST_F(BvhTest, LoneRootIsWrittenAsAJointAndReadsBack)
{
    KQelNode* lone = Joint(mFixture.mManager, mFixture.mScene->GetRootNode(), "Lone", KQelVector4(), false);
    lone->SetSelected(true);
    const Written written = WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("lone.bvh"), 0);
    ASSERT_TRUE(written.mWritten);
    EXPECT_NE(std::string::npos, written.mText.find("ROOT Lone\n{\n"));
    EXPECT_NE(std::string::npos, written.mText.find("  End Site\n"));
    EXPECT_NE(std::string::npos, written.mText.find("MOTION\nFrames:\t0\n"));
    motiontest::Fixture again;
    ASSERT_TRUE(motiontest::ReadFile(again.mManager, *again.mScene, mDir.File("lone.bvh"), kBvh).mRead);
    EXPECT_EQ(2, motiontest::Reference(*again.mScene)->GetChildCount(true));
}

TEST_F(BvhTest, RealFileWrittenReadsBackTheSame)
{
    const auto first = motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("bvh/01_01.bvh"), kBvh);
    ASSERT_TRUE(first.mRead);
    KQelNode* before = motiontest::Reference(*mFixture.mScene);
    before->GetChild(0)->SetSelected(true);
    ASSERT_TRUE(WriteBvh(mFixture.mManager, *mFixture.mScene, mDir.File("01_01.bvh"), first.mFrameCount,
                         KTime::eFRAMES120)
                    .mWritten);
    motiontest::Fixture again;
    const auto second = motiontest::ReadFile(again.mManager, *again.mScene, mDir.File("01_01.bvh"), kBvh);
    ASSERT_TRUE(second.mRead);
    EXPECT_EQ(first.mFrameCount, second.mFrameCount);
    KQelNode* after = motiontest::Reference(*again.mScene);
    ASSERT_EQ(before->GetChildCount(true), after->GetChildCount(true));
    // Walk both trees in step; keys agree to the "%g" digits written.
    std::vector<std::pair<KQelNode*, KQelNode*>> pending{{before, after}};
    while (!pending.empty()) {
        KQelNode* a = pending.back().first;
        KQelNode* b = pending.back().second;
        pending.pop_back();
        ASSERT_EQ(motiontest::ShortName(a), motiontest::ShortName(b));
        ASSERT_EQ(a->GetChildCount(), b->GetChildCount());
        for (int c = 0; c < a->GetChildCount(); ++c)
            pending.emplace_back(a->GetChild(c), b->GetChild(c));
        if (a == before)
            continue;
        KQelTakeNode* ta = a->GetCurrentTakeNode();
        KQelTakeNode* tb = b->GetCurrentTakeNode();
        for (KFCurve* (KQelTakeNode::*channel)() : {&KQelTakeNode::GetTranslationX, &KQelTakeNode::GetTranslationY,
                                                    &KQelTakeNode::GetTranslationZ}) {
            KFCurve* ca = (ta->*channel)();
            KFCurve* cb = (tb->*channel)();
            ASSERT_EQ(ca->KeyGetCount(), cb->KeyGetCount());
            for (int i = 0; i < ca->KeyGetCount(); i += 97)
                ASSERT_NEAR(ca->KeyGetValue(i), cb->KeyGetValue(i), 1e-4 * (1.0 + std::fabs(ca->KeyGetValue(i))));
        }
        KFCurve* curves[2][3] = {{ta->GetEulerRotationX(), ta->GetEulerRotationY(), ta->GetEulerRotationZ()},
                                 {tb->GetEulerRotationX(), tb->GetEulerRotationY(), tb->GetEulerRotationZ()}};
        ASSERT_EQ(curves[0][0]->KeyGetCount(), curves[1][0]->KeyGetCount());
        for (int i = 0; i < curves[0][0]->KeyGetCount(); i += 97) {
            // Compared as turns: equivalent Euler triples give one matrix.
            KgeRMatrix ra;
            KgeRMatrix rb;
            KmXYZtoR(ra, curves[0][0]->KeyGetValue(i), curves[0][1]->KeyGetValue(i), curves[0][2]->KeyGetValue(i));
            KmXYZtoR(rb, curves[1][0]->KeyGetValue(i), curves[1][1]->KeyGetValue(i), curves[1][2]->KeyGetValue(i));
            for (int r = 0; r < 3; ++r) {
                for (int k = 0; k < 3; ++k)
                    ASSERT_NEAR(ra[r][k], rb[r][k], 1e-4) << motiontest::ShortName(a) << " key " << i;
            }
        }
    }
}

// A chain of joints deep enough that any walk recursing per level would
// overflow the small stack it runs on.
void ChainRoundTrip(void* pPath)
{
    const std::string& path = *static_cast<std::string*>(pPath);
    const int depth = 2000;
    std::string text = "HIERARCHY\nROOT J0\n{\nOFFSET 0 0 0\nCHANNELS 6 Xposition Yposition Zposition Zrotation "
                       "Xrotation Yrotation\n";
    for (int i = 1; i < depth; ++i)
        text += "JOINT J" + std::to_string(i) + "\n{\nOFFSET 0 1 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n";
    text += "End Site\n{\nOFFSET 0 1 0\n}\n";
    for (int i = 0; i < depth; ++i)
        text += "}\n";
    text += "MOTION\nFrames: 1\nFrame Time: 0.04\n0 0 0 ";
    for (int i = 0; i < depth; ++i)
        text += "0 0 5 ";
    text += "\n";
    WriteFile(path, text);
    motiontest::Fixture fixture;
    ASSERT_TRUE(motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kBvh).mRead);
    KQelNode* reference = motiontest::Reference(*fixture.mScene);
    ASSERT_EQ(depth + 1, reference->GetChildCount(true));
    reference->GetChild(0)->SetSelected(true);
    const Written written = WriteBvh(fixture.mManager, *fixture.mScene, path + ".out", 1);
    ASSERT_TRUE(written.mWritten);
    EXPECT_EQ(static_cast<long>(depth), std::count(written.mText.begin(), written.mText.end(), '{') - 1);
}

TEST_F(BvhTest, DeepChainsReadAndWriteWithoutRecursion)
{
    std::string path = mDir.File("chain.bvh");
    smallstack::OnSmallStack(ChainRoundTrip, &path);
}

}  // namespace
}  // namespace qelsdk_600
