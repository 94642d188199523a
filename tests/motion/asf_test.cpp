#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/small_stack.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionasf.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakeinfo.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

using AsfTest = RawKeysTest;
using Options = KStreamOptionsMotion;

const double kDegreesPerRadian = 180.0 / M_PI;

// Options a reader or writer handed out, destroyed with this.
struct OwnedOptions {
    KStreamOptionsMotion* mOptions = nullptr;
    ~OwnedOptions()
    {
        if (mOptions)
            mOptions->Destroy();
    }
    KStreamOptionsMotion& operator*() const { return *mOptions; }
    KStreamOptionsMotion* operator->() const { return mOptions; }
};

// Reads an ASF file into pScene with the options of its reader (pEdit may
// change them), which then hold the skeleton; the reader's error, -1 when
// it read.
int ReadAsf(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, OwnedOptions& pOptions,
            OptionsEdit pEdit = nullptr)
{
    KQelReaderAcclaimAsf reader(pManager);
    EXPECT_TRUE(reader.FileOpen(pPath.c_str()));
    pOptions.mOptions = static_cast<KStreamOptionsMotion*>(reader.GetReadOptions());
    if (pEdit)
        pEdit(*pOptions);
    return reader.Read(pScene, pOptions.mOptions) ? -1 : reader.GetLastErrorID();
}

// Reads an AMC file against the skeleton pSkeleton (not handed over) with
// the options its reader scans; the reader's error, -1 when it read.
int ReadAmc(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, KObject* pSkeleton,
            OwnedOptions* pScanned = nullptr)
{
    KQelReaderAcclaimAmc reader(pManager);
    EXPECT_TRUE(reader.FileOpen(pPath.c_str()));
    OwnedOptions own;
    OwnedOptions& options = pScanned ? *pScanned : own;
    options.mOptions = static_cast<KStreamOptionsMotion*>(reader.GetReadOptions());
    if (!options.mOptions)
        return reader.GetLastErrorID();
    options.mOptions->SetASFScene(pSkeleton, false);
    return reader.Read(pScene, options.mOptions) ? -1 : reader.GetLastErrorID();
}

KQelAsfScene* SkeletonIn(const KStreamOptionsMotion& pOptions)
{
    return static_cast<KQelAsfScene*>(pOptions.GetASFScene());
}

void ExpectNear(const KQelVector4& pExpected, const KQelVector4& pActual, double pTolerance = 1e-4)
{
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(pExpected[k], pActual[k], pTolerance) << "component " << k;
}

KQelVector4 Key(KQelNode* pNode, bool pRotation, int pIndex)
{
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    KFCurve* x = pRotation ? take->GetEulerRotationX() : take->GetTranslationX();
    KFCurve* y = pRotation ? take->GetEulerRotationY() : take->GetTranslationY();
    KFCurve* z = pRotation ? take->GetEulerRotationZ() : take->GetTranslationZ();
    return KQelVector4(x->KeyGetValue(pIndex), y->KeyGetValue(pIndex), z->KeyGetValue(pIndex), 0.0);
}

KQelVector4 RestPlace(KQelNode* pNode)
{
    return pNode->GetGlobalFromDefaultTake().GetT();
}

TEST_F(AsfTest, SkeletonReadsWithRestPlaces)
{
    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(mFixture.mManager, *mFixture.mScene, DataFile("asf/walker.asf"), options));
    KQelNode* reference = Reference(*mFixture.mScene);
    ASSERT_EQ("walker:reference", ShortName(reference));
    KQelNode* root = reference->GetChild(0);
    ASSERT_EQ("root", ShortName(root));
    // The dummy hip is gone; its child keeps its place.
    ASSERT_EQ(2, root->GetChildCount());
    EXPECT_EQ("lfemur", ShortName(root->GetChild(0)));
    EXPECT_EQ("rfemur", ShortName(root->GetChild(1)));
    EXPECT_EQ(nullptr, root->FindChild("lhip"));
    EXPECT_EQ(KQelSkeleton::eLimbNode, root->GetChild(0)->GetSkeleton()->GetSkeletonType());
    const struct {
        const char* mName;
        KQelVector4 mPlace;
    } places[] = {{"lfemur", {5.08, 0.0, 0.0, 0.0}},
                  {"ltibia", {5.08, -25.4, 0.0, 0.0}},
                  {"ltibia_End", {5.08, -50.8, 0.0, 0.0}},
                  {"rfemur", {0.0, 0.0, 0.0, 0.0}},
                  {"rfemur_End", {0.0, -25.4, 0.0, 0.0}}};
    for (const auto& c : places) {
        SCOPED_TRACE(c.mName);
        ExpectNear(c.mPlace, RestPlace(root->FindChild(c.mName)));
    }
    // Each node turns by its bone's axis, whatever the dummy's was.
    ExpectNear(KQelVector4(0.0, 0.0, 20.0, 0.0), root->FindChild("ltibia")->GetGlobalFromDefaultTake().GetR());
    KQelAsfScene* skeleton = SkeletonIn(*options);
    ASSERT_NE(nullptr, skeleton);
    EXPECT_STREQ("walker", skeleton->GetName());
    EXPECT_DOUBLE_EQ(kDegreesPerRadian, skeleton->mAngleFactor);
    EXPECT_EQ(3, skeleton->mRoot->Find("lfemur")->mDofCount);
}

TEST_F(AsfTest, SkeletonVariants)
{
    const std::string walker = ReadFile(DataFile("asf/walker.asf"));
    const struct {
        const char* mName;
        std::string mText;
        OptionsEdit mEdit;
        const char* mNode;
        KQelVector4 mPlace;
    } cases[] = {
        {"length unit 0: lengths as written", Replaced(walker, "length 1.0", "length 0"), nullptr, "ltibia_End",
         {2.0, -20.0, 0.0, 0.0}},
        {"dummy bones kept", walker,
         [](Options& o) { o.SetOption(Options::eImportDummyNodes, Options::eOn); }, "lhip", {0.0, 0.0, 0.0, 0.0}},
        {"ending inside the hierarchy", walker.substr(0, walker.rfind("  end")), nullptr, "ltibia",
         {5.08, -25.4, 0.0, 0.0}},
        {"a skin file before the hierarchy", Replaced(walker, ":hierarchy", ":skin walker.skin\n:hierarchy"), nullptr,
         "ltibia", {5.08, -25.4, 0.0, 0.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.asf");
        WriteFile(path, c.mText);
        Fixture fixture;
        OwnedOptions options;
        ASSERT_EQ(-1, ReadAsf(fixture.mManager, *fixture.mScene, path, options, c.mEdit));
        KQelNode* node = fixture.mScene->GetRootNode()->FindChild(c.mNode);
        ASSERT_NE(nullptr, node);
        ExpectNear(c.mPlace, RestPlace(node));
    }
}

TEST_F(AsfTest, MotionReadsIntoNewTakes)
{
    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(mFixture.mManager, *mFixture.mScene, DataFile("asf/walker.asf"), options));
    OwnedOptions scanned;
    ASSERT_EQ(-1, ReadAmc(mFixture.mManager, *mFixture.mScene, DataFile("asf/walk.amc"), options->GetASFScene(),
                          &scanned));
    EXPECT_EQ(3, scanned->GetFrameCount());
    EXPECT_STREQ("walk", mFixture.mScene->GetCurrentTakeName());
    KQelNode* scene = mFixture.mScene->GetRootNode();
    KQelNode* root = scene->FindChild("root");
    ASSERT_EQ(3, root->GetCurrentTakeNode()->GetTranslationX()->KeyGetCount());
    const double x = 0.1 * kDegreesPerRadian;
    const struct {
        const char* mName;
        bool mRotation;
        int mFrame;
        KQelVector4 mKey;
    } keys[] = {
        {"root", false, 1, {2.54, 5.08, 7.62, 0.0}},
        {"root", true, 1, {x, 0.0, 0.0, 0.0}},
        {"root", true, 2, {2.0 * x, 0.0, 0.0, 0.0}},
        // The bone's turn first, then its axis, then back by its parent's.
        {"lfemur", true, 1, {5.0 * x, 0.0, 20.0, 0.0}},
        {"ltibia", true, 1, {2.5 * x, 0.0, 0.0, 0.0}},
        {"rfemur", false, 1, {2.54 * std::cos(-20.0 * M_PI / 180.0), 2.54 * std::sin(-20.0 * M_PI / 180.0), 0.0, 0.0}},
        {"rfemur", true, 1, {0.0, 0.0, 5.0 * x - 20.0, 0.0}},
    };
    for (const auto& c : keys) {
        SCOPED_TRACE(c.mName);
        ExpectNear(c.mKey, Key(scene->FindChild(c.mName), c.mRotation, c.mFrame));
    }
    ASSERT_EQ(-1, ReadAmc(mFixture.mManager, *mFixture.mScene, DataFile("asf/walk.amc"), options->GetASFScene()));
    EXPECT_STREQ("walk 1", mFixture.mScene->GetCurrentTakeName());
    EXPECT_NE(nullptr, mFixture.mScene->GetTakeInfo("walk"));
    EXPECT_EQ(1, scene->GetChildCount());
}

// An AMC text of pFrames frames of the root alone, after pHeader.
std::string RootFrames(const std::string& pHeader, int pFrames)
{
    std::string text = pHeader;
    for (int f = 1; f <= pFrames; ++f)
        text += std::to_string(f) + "\nroot " + std::to_string(f) + " 0 0 0 0 0\n";
    return text;
}

TEST_F(AsfTest, MotionHeaderSetsRangeAndRate)
{
    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(mFixture.mManager, *mFixture.mScene, DataFile("asf/walker.asf"), options));
    const struct {
        const char* mHeader;
        int mFrames;
        int mCount;
        double mRate;
        double mStart;
    } cases[] = {
        {":FRAME-RANGE 10-5\n", 12, 12, KTime::GetFrameRate(0), 0.0},
        {":FRAME-RANGE 1-100\n:SAMPLES-PER-SECOND 120\n", 120, 100, 120.0, 1.0 / 120.0},
        {":FORMAT FirstFrame-Indexed\n", 2, -1, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mHeader);
        const std::string path = mDir.File("case.amc");
        WriteFile(path, RootFrames(c.mHeader, c.mFrames));
        Fixture fixture;
        OwnedOptions scanned;
        const int error = ReadAmc(fixture.mManager, *fixture.mScene, path, options->GetASFScene(), &scanned);
        if (c.mCount < 0) {
            EXPECT_EQ(KQelReader::eFileCorrupted, error);
            continue;
        }
        ASSERT_EQ(-1, error);
        EXPECT_EQ(c.mCount, scanned->GetFrameCount());
        EXPECT_DOUBLE_EQ(c.mRate, scanned->GetFrameRate());
        EXPECT_NEAR(c.mStart, scanned->GetStart().GetSecondDouble(), 1e-9);
        KFCurve* x = fixture.mScene->GetRootNode()->FindChild("root")->GetCurrentTakeNode()->GetTranslationX();
        EXPECT_EQ(c.mCount, x->KeyGetCount());
    }
}

TEST_F(AsfTest, HostileFilesFailWithNothingAdded)
{
    const std::string walker = ReadFile(DataFile("asf/walker.asf"));
    const struct {
        const char* mName;
        std::string mText;
    } asfCases[] = {
        {"hierarchy cycle", Replaced(walker, "rfemur ltibia", "ltibia lhip")},
        {"bone its own parent", Replaced(walker, "rfemur ltibia", "rfemur rfemur")},
        {"seven dofs", Replaced(walker, "dof rx ry rz l", "dof rx ry rz tx ty tz rx")},
        {"bone data first", Replaced(walker, ":root", ":bonedata\n:root")},
        {"infinite length", Replaced(walker, "length 10\n     axis 0 0 20 XYZ", "length inf\n     axis 0 0 20 XYZ")},
        {"forbidden name", Replaced(walker, "name rfemur", "name root")},
        {"unknown parent", Replaced(walker, "lfemur ltibia", "lfoot ltibia")},
        {"duplicate names", Replaced(Replaced(walker, "name rfemur", "name ltibia"), "    rfemur ltibia\n", "")},
        {"ending after the documentation", walker.substr(0, walker.find(":root"))},
    };
    for (const auto& c : asfCases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.asf");
        WriteFile(path, c.mText);
        OwnedOptions options;
        EXPECT_EQ(KQelReader::eFileCorrupted, ReadAsf(mFixture.mManager, *mFixture.mScene, path, options));
        EXPECT_EQ(0, mFixture.mScene->GetRootNode()->GetChildCount());
        EXPECT_EQ(nullptr, options->GetASFScene());
    }

    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(mFixture.mManager, *mFixture.mScene, DataFile("asf/walker.asf"), options));
    const std::string walk = ReadFile(DataFile("asf/walk.amc"));
    const struct {
        const char* mName;
        std::string mText;
    } amcCases[] = {
        {"frames going back", Replaced(walk, "\n3\n", "\n1\n")},
        {"frame number past an int", Replaced(walk, "\n3\n", "\n1e300\n")},
        {"infinite value", Replaced(walk, "ltibia 0.5", "ltibia inf")},
        {"unknown bone", Replaced(walk, "ltibia 0.5", "lfoot 0.5")},
        {"root twice in a frame", Replaced(walk, "ltibia 0.5", "root 0.5")},
        {"bone twice in a frame", Replaced(walk, "ltibia 0.5", "lfemur 0.5")},
    };
    KArrayTemplate<KString*> before;
    mFixture.mScene->FillTakeNameArray(before);
    for (const auto& c : amcCases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.amc");
        WriteFile(path, c.mText);
        EXPECT_EQ(KQelReader::eFileCorrupted,
                  ReadAmc(mFixture.mManager, *mFixture.mScene, path, options->GetASFScene()));
        KArrayTemplate<KString*> after;
        mFixture.mScene->FillTakeNameArray(after);
        EXPECT_EQ(before.GetCount(), after.GetCount());
        DeleteAndClear(after);
    }
    DeleteAndClear(before);
    EXPECT_EQ(KQelReader::eStreamOptionsNotSet,
              ReadAmc(mFixture.mManager, *mFixture.mScene, DataFile("asf/walk.amc"), nullptr));
}

// A limb node under pParent with its defaults and a take "Take".
KQelNode* Joint(KQelSdkManager& pManager, KQelNode* pParent, const char* pName, const KQelVector4& pT,
                const KQelVector4& pR = KQelVector4(), double pScale = 1.0)
{
    KQelNode* node = AddLimbNode(pManager, pParent, pName, pT);
    node->SetDefaultR(pR);
    node->SetDefaultS(KQelVector4(pScale, pScale, pScale, 1.0));
    return node;
}

// Keys of the translation or rotation at 0, 1/3 and 2/3 s: pFrom, then
// pStep more each time.
void Animate(KQelNode* pNode, bool pRotation, const KQelVector4& pFrom, const KQelVector4& pStep)
{
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    KFCurve* curves[3] = {pRotation ? take->GetEulerRotationX() : take->GetTranslationX(),
                          pRotation ? take->GetEulerRotationY() : take->GetTranslationY(),
                          pRotation ? take->GetEulerRotationZ() : take->GetTranslationZ()};
    for (int k = 0; k < 3; ++k)
        for (int f = 0; f < 3; ++f)
            AddKey(curves[k], Seconds(f / 3.0), static_cast<float>(pFrom[k] + f * pStep[k]));
}

// Writes the scene as ASF and then AMC with one options object; the texts.
struct WrittenMotion {
    bool mWritten = false;
    std::string mAsf;
    std::string mAmc;
    OwnedOptions mOptions;
};
void WriteMotion(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pBase, int pFrames, double pStart,
                 WrittenMotion& pWritten)
{
    KQelWriterAcclaimAsf asf(pManager);
    KQelWriterAcclaimAmc amc(pManager);
    ASSERT_TRUE(asf.FileCreate((pBase + ".asf").c_str()));
    ASSERT_TRUE(amc.FileCreate((pBase + ".amc").c_str()));
    pWritten.mOptions.mOptions = static_cast<KStreamOptionsMotion*>(asf.GetWriteOptions());
    KStreamOptionsMotion& options = *pWritten.mOptions;
    options.SetFrameCount(pFrames);
    options.SetTimeMode(KTime::eFRAMES30);
    options.SetStart(Seconds(pStart));
    options.SetOption(Options::eExportFrameRange, pStart > 0.0 ? Options::eOn : Options::eOff);
    pWritten.mWritten = asf.Write(pScene, &options) && amc.Write(pScene, &options);
    asf.FileClose();
    amc.FileClose();
    pWritten.mAsf = ReadFile(pBase + ".asf");
    pWritten.mAmc = ReadFile(pBase + ".amc");
}

TEST_F(AsfTest, WrittenSkeletonAndMotionReadBackTheSame)
{
    KQelNode* top = mFixture.mScene->GetRootNode();
    KQelNode* hips = Joint(mFixture.mManager, top, "Hips", KQelVector4(0.0, 10.0, 0.0, 1.0));
    hips->SetSelected(true);
    KQelNode* left = Joint(mFixture.mManager, hips, "LeftLeg", KQelVector4(3.0, 0.0, 0.0, 1.0),
                           KQelVector4(0.0, 0.0, 10.0, 0.0), 2.0);
    KQelNode* foot = Joint(mFixture.mManager, left, "LeftFoot", KQelVector4(0.0, -4.0, 0.0, 1.0),
                           KQelVector4(5.0, 0.0, 0.0, 0.0));
    KQelNode* toe = Joint(mFixture.mManager, foot, "LeftToe", KQelVector4(0.0, 0.0, 2.0, 1.0));
    KQelNode* right = Joint(mFixture.mManager, hips, "RightLeg", KQelVector4(-3.0, 0.0, 0.0, 1.0),
                            KQelVector4(0.0, 0.0, -10.0, 0.0));
    // A joint without the take keeps its own turn.
    KQelNode* rightFoot = Joint(mFixture.mManager, right, "RightFoot", KQelVector4(0.0, -4.0, 0.0, 1.0),
                                KQelVector4(0.0, 20.0, 0.0, 0.0));
    rightFoot->RemoveTakeNode("Take");
    KQelNode* rightToe = Joint(mFixture.mManager, rightFoot, "RightToe", KQelVector4(1.0, 0.0, 0.0, 1.0));
    Animate(hips, false, KQelVector4(0.0, 10.0, 0.0, 0.0), KQelVector4(1.0, 0.5, -2.0, 0.0));
    Animate(hips, true, KQelVector4(0.0, 0.0, 0.0, 0.0), KQelVector4(10.0, 5.0, -15.0, 0.0));
    Animate(left, true, KQelVector4(0.0, 0.0, 10.0, 0.0), KQelVector4(20.0, -10.0, 5.0, 0.0));
    Animate(foot, true, KQelVector4(5.0, 0.0, 0.0, 0.0), KQelVector4(-15.0, 25.0, 0.0, 0.0));
    Animate(right, true, KQelVector4(0.0, 0.0, -10.0, 0.0), KQelVector4(0.0, 30.0, 12.0, 0.0));
    mFixture.mScene->SetCurrentTake("Take");

    WrittenMotion written;
    WriteMotion(mFixture.mManager, *mFixture.mScene, mDir.File("walk"), 3, 0.0, written);
    ASSERT_TRUE(written.mWritten);
    Fixture again;
    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(again.mManager, *again.mScene, mDir.File("walk.asf"), options));
    ASSERT_EQ(-1, ReadAmc(again.mManager, *again.mScene, mDir.File("walk.amc"), options->GetASFScene()));

    // Bones with degrees of freedom keep names, vectors and dofs; the
    // offset bones, without any, are gone.
    KQelAsfNode* writtenRoot = SkeletonIn(*written.mOptions)->mRoot;
    KQelAsfNode* readRoot = SkeletonIn(*options)->mRoot;
    for (const char* name : {"LeftLeg", "LeftFoot", "RightLeg", "RightFoot"}) {
        SCOPED_TRACE(name);
        const KQelAsfNode* before = writtenRoot->Find(name);
        const KQelAsfNode* after = readRoot->Find(name);
        ASSERT_NE(nullptr, after);
        ExpectNear(before->mDirection, after->mDirection, 1e-5);
        EXPECT_NEAR(before->mPosition.Length(), after->mPosition.Length(), 1e-4);
        EXPECT_EQ(std::vector<int>(before->mDofs, before->mDofs + before->mDofCount),
                  std::vector<int>(after->mDofs, after->mDofs + after->mDofCount));
    }
    EXPECT_EQ(nullptr, readRoot->Find("LeftLegDummy"));
    EXPECT_NE(nullptr, writtenRoot->Find("LeftLegDummy"));

    // Every joint at every frame, scaling baked into the places below it.
    KQelNode* back = again.mScene->GetRootNode();
    const struct {
        KQelNode* mBefore;
        const char* mAfter;
        bool mTurned;
    } joints[] = {{hips, "root", true},          {left, "LeftLeg", true},         {foot, "LeftFoot", true},
                  {right, "RightLeg", true},     {rightFoot, "RightFoot", true}, {toe, "LeftFoot_End", false},
                  {rightToe, "RightFoot_End", false}};
    for (int f = 0; f < 3; ++f) {
        const KTime time = Seconds(f / 30.0);
        for (const auto& c : joints) {
            SCOPED_TRACE(std::string(c.mAfter) + " frame " + std::to_string(f));
            KQelNode* after = back->FindChild(c.mAfter);
            ASSERT_NE(nullptr, after);
            const KQelXMatrix expected = c.mBefore->GetGlobalFromCurrentTake(time);
            const KQelXMatrix actual = after->GetGlobalFromCurrentTake(time);
            ExpectNear(expected.GetT(), actual.GetT(), 2e-3);
            if (!c.mTurned)
                continue;
            KgeRMatrix a;
            KgeRMatrix b;
            KgeSetRM(a, static_cast<const KgeAMatrix&>(expected));
            KgeSetRM(b, static_cast<const KgeAMatrix&>(actual));
            for (int r = 0; r < 3; ++r)
                for (int k = 0; k < 3; ++k)
                    EXPECT_NEAR(a[r][k], b[r][k], 1e-4);
        }
    }

    WrittenMotion ranged;
    WriteMotion(mFixture.mManager, *mFixture.mScene, mDir.File("ranged"), 3, 1.5, ranged);
    ASSERT_TRUE(ranged.mWritten);
    EXPECT_EQ(0u, ranged.mAmc.find(":SAMPLES-PER-SECOND 30\n:FRAME-RANGE 45-47\n:FULLY-SPECIFIED\n:DEGREES\n1\n"));
}

TEST_F(AsfTest, WriterRefusals)
{
    KQelNode* top = mFixture.mScene->GetRootNode();
    KQelNode* root = Joint(mFixture.mManager, top, "root", KQelVector4());
    root->SetSelected(true);
    Joint(mFixture.mManager, root, "Arm", KQelVector4(1.0, 0.0, 0.0, 1.0));
    const std::string path = mDir.File("out.asf");

    // A root node named "root" is the ASF root; an AMC write needs the
    // skeleton an ASF write leaves.
    KQelWriterAcclaimAmc amc(mFixture.mManager);
    ASSERT_TRUE(amc.FileCreate(mDir.File("out.amc").c_str()));
    OwnedOptions fresh{static_cast<KStreamOptionsMotion*>(amc.GetWriteOptions())};
    EXPECT_FALSE(amc.Write(*mFixture.mScene, fresh.mOptions));
    EXPECT_EQ(KQelWriter::eStreamOptionsNotSet, amc.GetLastErrorID());
    const struct {
        const char* mName;
        const char* mError;
    } cases[] = {
        {nullptr, nullptr},
        {"root", "Model name \"root\" is only allowed for the ASF root node."},
        {"Left Hand", "Spaces are not allowed in ASF node names:\n    Model::Left Hand"},
    };
    for (const auto& c : cases) {
        if (c.mName)
            Joint(mFixture.mManager, root->GetChild(0), c.mName, KQelVector4());
        KQelWriterAcclaimAsf asf(mFixture.mManager);
        ASSERT_TRUE(asf.FileCreate(path.c_str()));
        OwnedOptions options{static_cast<KStreamOptionsMotion*>(asf.GetWriteOptions())};
        EXPECT_EQ(c.mError == nullptr, asf.Write(*mFixture.mScene, options.mOptions));
        if (c.mError) {
            EXPECT_EQ(KQelWriter::eUnidentifiedError, asf.GetLastErrorID());
            EXPECT_STREQ(c.mError, asf.GetLastErrorString());
        }
    }
    Joint(mFixture.mManager, top, "Other", KQelVector4());
    KQelWriterAcclaimAsf asf(mFixture.mManager);
    ASSERT_TRUE(asf.FileCreate(path.c_str()));
    OwnedOptions options{static_cast<KStreamOptionsMotion*>(asf.GetWriteOptions())};
    EXPECT_FALSE(asf.Write(*mFixture.mScene, options.mOptions));
    EXPECT_STREQ("Scene must have a single root node.", asf.GetLastErrorString());
}

// A chain deep enough that any walk recursing per level would overflow the
// small stack it runs on: read, then written as ASF and AMC.
void ChainRoundTrip(void* pPath)
{
    const std::string& path = *static_cast<std::string*>(pPath);
    const int depth = 2000;
    std::string text = ":root\norder TX TY TZ RX RY RZ\n:bonedata\n";
    std::string hierarchy = ":hierarchy\nbegin\n";
    for (int i = 0; i < depth; ++i) {
        text += "begin\nname b" + std::to_string(i) + "\ndirection 0 1 0\nlength 1\naxis 0 0 5 xyz\ndof rx\nend\n";
        if (i > 0)
            hierarchy += "b" + std::to_string(i - 1) + " b" + std::to_string(i) + "\n";
    }
    WriteFile(path, text + hierarchy + "end\n");
    Fixture fixture;
    OwnedOptions options;
    ASSERT_EQ(-1, ReadAsf(fixture.mManager, *fixture.mScene, path, options));
    KQelNode* root = fixture.mScene->GetRootNode()->FindChild("root");
    ASSERT_EQ(depth + 1, root->GetChildCount(true));
    root->SetSelected(true);
    WrittenMotion written;
    WriteMotion(fixture.mManager, *fixture.mScene, path + ".out", 1, 0.0, written);
    ASSERT_TRUE(written.mWritten);
    EXPECT_NE(std::string::npos, written.mAsf.find("b1998 b1999\n"));
}

TEST_F(AsfTest, DeepChainsReadAndWriteWithoutRecursion)
{
    std::string path = mDir.File("chain.asf");
    smallstack::OnSmallStack(ChainRoundTrip, &path);
}

}  // namespace
}  // namespace qelsdk_600
