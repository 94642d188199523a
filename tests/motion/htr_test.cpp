#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/kconfigfile.h"
#include "base/klib.h"
#include "common/small_stack.h"
#include "motion/kqelmotionhtr.h"
#include "scene/kqellimits.h"
#include "scene/kqelpose.h"
#include "scene/kqeltakeinfo.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

const int kHtr = KQelImporter::eHtr;

// Keys as read, and the minimisation switch of the configuration file as a
// test sets it (unset: the default, on).
class HtrTest : public RawKeysTest {
protected:
    void TearDown() override
    {
        KLib_SetConfigDirectory(mSavedConfig.c_str());
        RawKeysTest::TearDown();
    }
    void SetMinimization(const char* pValue)
    {
        KLib_SetConfigDirectory(mDir.Path().c_str());
        KConfigFile("@Application.txt").Set("MotionImportHTR", "MinimizeRotationOffset", pValue);
    }
    ReadResult Read(const std::string& pPath, OptionsEdit pEdit = nullptr)
    {
        return motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, pPath, kHtr, pEdit);
    }
    KQelNode* Node(const char* pName) { return mFixture.mScene->GetRootNode()->FindChild(pName); }
    std::string mSavedConfig = KLib_GetConfigDirectory();
};

// Key pIndex of the node's translation (pGroup 0) or rotation (1).
KQelVector4 Key(KQelNode* pNode, int pGroup, int pIndex)
{
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    KFCurve* curves[2][3] = {{take->GetTranslationX(), take->GetTranslationY(), take->GetTranslationZ()},
                             {take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ()}};
    return KQelVector4(curves[pGroup][0]->KeyGetValue(pIndex), curves[pGroup][1]->KeyGetValue(pIndex),
                       curves[pGroup][2]->KeyGetValue(pIndex), 0.0);
}

void ExpectNear(const KQelVector4& pExpected, const KQelVector4& pActual, double pTolerance = 1e-4)
{
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(pExpected[k], pActual[k], pTolerance) << "component " << k;
}

// A turn of pDegrees about one axis (0 X, 1 Y, 2 Z), for row vectors.
KgeRMatrix AxisTurn(int pAxis, double pDegrees)
{
    const double c = std::cos(pDegrees * M_PI / 180.0);
    const double s = std::sin(pDegrees * M_PI / 180.0);
    const int a = (pAxis + 1) % 3;
    const int b = (pAxis + 2) % 3;
    KgeRMatrix m;
    m[a][a] = c;
    m[a][b] = s;
    m[b][a] = -s;
    m[b][b] = c;
    return m;
}

// pFirst turns, then pSecond.
KgeRMatrix Then(const KgeRMatrix& pFirst, const KgeRMatrix& pSecond)
{
    KgeRMatrix m;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = pFirst[r][0] * pSecond[0][c] + pFirst[r][1] * pSecond[1][c] + pFirst[r][2] * pSecond[2][c];
    return m;
}

TEST_F(HtrTest, HeaderUnitsOrdersAndFramesAsRead)
{
    SetMinimization("No");
    const auto result = Read(DataFile("htr/chain.htr"));
    ASSERT_TRUE(result.mRead);
    EXPECT_EQ(3, result.mFrameCount);
    EXPECT_DOUBLE_EQ(30.0, result.mFrameRate);
    KQelNode* reference = Reference(*mFixture.mScene);
    ASSERT_EQ("HTR:reference", ShortName(reference));
    EXPECT_EQ(4, reference->GetChildCount(true));
    KQelNode* hips = reference->GetChild(0);
    KQelNode* spine = Node("Spine");
    KQelNode* head = Node("Head");
    // Inches over a scale factor of 2: one unit is 1.27 cm.
    KQelVector4 t;
    ExpectNear(KQelVector4(1.27, 0.0, 0.0, 0.0), hips->GetDefaultT(t));
    // "XYZ": the Z angle turns first, then Y, then X.
    const KgeRMatrix expected = Then(Then(AxisTurn(2, 30.0), AxisTurn(1, 20.0)), AxisTurn(0, 10.0));
    const KgeAMatrix& local = hips->GetLocalFromDefaultTake();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(expected[r][c], local[r][c], 1e-7);
    // The comment line is no frame; frames add to the base position.
    ASSERT_EQ(3, hips->GetCurrentTakeNode()->GetTranslationX()->KeyGetCount());
    EXPECT_FLOAT_EQ(2.54f, Key(hips, 0, 1)[0]);
    EXPECT_FLOAT_EQ(3.81f, Key(hips, 0, 2)[0]);
    ExpectNear(KQelVector4(30.0, 0.0, 0.0, 0.0), Key(spine, 1, 1));
    // Without the minimisation a zero frame rotation keys the base rotation.
    ExpectNear(KQelVector4(0.0, 0.0, 90.0, 0.0), Key(head, 1, 0));
    // The end node lies at the bone length along the bone axis.
    KQelNode* end = head->GetChild(0);
    ASSERT_EQ("Head_End", ShortName(end));
    ExpectNear(KQelVector4(0.0, 1.27, 0.0, 0.0), end->GetDefaultT(t));
    for (KQelNode* node : {hips, spine, head}) {
        KQelLimitsUtilities limits(&node->GetLimits());
        ExpectNear(KQelVector4(-180.0, -150.0, -150.0, 0.0), limits.GetMin(KQelLimitsUtilities::eRotation));
        ExpectNear(KQelVector4(180.0, 150.0, 150.0, 0.0), limits.GetMax(KQelLimitsUtilities::eRotation));
    }
    ASSERT_EQ(1, mFixture.mScene->GetPoseCount());
    KQelPose* pose = mFixture.mScene->GetPose(0);
    EXPECT_STREQ("Pose::HTR:reference_RESTPOSE", pose->GetName());
    ASSERT_EQ(3, pose->GetCount());
    EXPECT_NEAR(2.54, pose->GetMatrix(pose->Find("Head")).GetRow(3)[1], 1e-12);
    KQelTakeInfo* take = mFixture.mScene->GetTakeInfo("chain");
    ASSERT_NE(nullptr, take);
    EXPECT_EQ(Seconds(2.0 / 30.0).Get(), take->mLocalTimeSpan.GetStop().Get());
}

TEST_F(HtrTest, ZyxOrderAndRadians)
{
    SetMinimization("No");
    const std::string path = mDir.File("radians.htr");
    std::string text = Replaced(ReadFile(DataFile("htr/chain.htr")), "XYZ", "ZYX");
    text = Replaced(Replaced(text, "Degrees", "Radians"), "10\t20\t30", "3.14159265\t0\t0");
    WriteFile(path, Replaced(text, "Spine\t0\t2\t0\t0\t0\t0", "Spine\t0\t2\t0\t0.5\t0.25\t0.125"));
    ASSERT_TRUE(Read(path).mRead);
    // 3.14159265 radians about X: Y turns onto -Y.
    const KgeAMatrix& hips = Node("Hips")->GetLocalFromDefaultTake();
    EXPECT_NEAR(-1.0, hips[1][1], 1e-9);
    EXPECT_NEAR(-1.0, hips[2][2], 1e-9);
    // "ZYX" turns about X first: the angles read back unchanged.
    KQelVector4 r;
    ExpectNear(KQelVector4(0.5 * 180.0 / M_PI, 0.25 * 180.0 / M_PI, 0.125 * 180.0 / M_PI, 0.0),
               Node("Spine")->GetDefaultR(r), 1e-9);
}

TEST_F(HtrTest, MinimisationZeroesTheBaseFrame)
{
    ASSERT_TRUE(Read(DataFile("htr/chain.htr")).mRead);
    KQelNode* hips = Node("Hips");
    KQelNode* head = Node("Head");
    // Frame 1 is the base position: no rotation left on any segment, each
    // translation the offset from the parent in global axes.
    KQelNode* parent = nullptr;
    for (KQelNode* node : {hips, Node("Spine"), head}) {
        ExpectNear(KQelVector4(), Key(node, 1, 0), 1e-3);
        KQelVector4 offset = node->GetGlobalFromDefaultTake().GetT();
        if (parent)
            offset -= parent->GetGlobalFromDefaultTake().GetT();
        ExpectNear(offset, Key(node, 0, 0));
        parent = node;
    }
    // The end node follows the bone axis as the base position turns it.
    const KQelXMatrix& global = head->GetGlobalFromDefaultTake();
    KQelVector4 along(global.GetRow(1));
    along *= 1.27 / along.Length();
    KQelVector4 t;
    ExpectNear(along, head->GetChild(0)->GetDefaultT(t));
}

TEST_F(HtrTest, OptionsChangeWhatIsRead)
{
    const struct {
        const char* mName;
        OptionsEdit mEdit;
        bool mReference;
        int mKeys;
    } cases[] = {
        {"no reference node",
         [](KStreamOptionsMotion& o) {
             o.SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eUnset);
         },
         false, 3},
        {"two of three frames", [](KStreamOptionsMotion& o) { o.SetFrameCount(2); }, true, 2},
        {"no frames", [](KStreamOptionsMotion& o) { o.SetFrameCount(0); }, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Fixture fixture;
        ASSERT_TRUE(motiontest::ReadFile(fixture.mManager, *fixture.mScene, DataFile("htr/chain.htr"), kHtr, c.mEdit)
                        .mRead);
        KQelNode* top = fixture.mScene->GetRootNode()->GetChild(0);
        EXPECT_EQ(c.mReference ? "HTR:reference" : "Hips", ShortName(top));
        KQelNode* hips = fixture.mScene->GetRootNode()->FindChild("Hips");
        EXPECT_EQ(c.mKeys, hips->GetCurrentTakeNode()->GetTranslationX()->KeyGetCount());
        const std::string pose = fixture.mScene->GetPose(0)->GetNameWithoutNameSpacePrefix().Buffer();
        EXPECT_EQ((c.mReference ? "HTR:reference" : ShortName(fixture.mScene->GetRootNode())) + "_RESTPOSE", pose);
    }
}

TEST_F(HtrTest, HostileFilesFailWithNothingAdded)
{
    const std::string chain = ReadFile(DataFile("htr/chain.htr"));
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"two GLOBAL roots", Replaced(chain, "Spine\tHips", "Spine\tGLOBAL")},
        {"segment its own parent", Replaced(chain, "Spine\tHips", "Spine\tSpine")},
        {"two-segment cycle", Replaced(Replaced(chain, "Spine\tHips", "Spine\tHead"), "Hips\tGLOBAL", "Hips\tX")},
        {"base name in another case", Replaced(chain, "Spine\t0\t2", "spine\t0\t2")},
        {"blank in a section header", Replaced(chain, "[Spine]", "[ Spine]")},
        {"repeated section", Replaced(chain, "[Head]", "[Spine]")},
        {"scale factor 0", Replaced(chain, "scalefactor 2", "scalefactor 0")},
        {"frames past the file", Replaced(chain, "numframes 3", "numframes 2147483647")},
        {"infinite bone length", Replaced(chain, "90\t1", "90\tinf")},
        {"infinite frame value", Replaced(chain, "2\t1\t0\t0\t0\t0\t0\t1", "2\t1\t0\t0\t0\t0\tinf\t1")},
        {"short frame line", Replaced(chain, "3\t0\t0\t0\t60\t0\t0\t1", "3\t0\t0\t0\t60")},
        {"duplicate names", Replaced(Replaced(chain, "Head\tSpine", "Hips\tSpine"), "Head\t0\t2", "Hips\t0\t2")},
        {"no base positions", chain.substr(0, chain.find("[BasePosition]")) + "[EndOfFile]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.htr");
        WriteFile(path, c.mText);
        KQelReaderMotionAnalysisHtr reader(mFixture.mManager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptionsMotion options;
        options.SetFrameCount(2000000000);
        options.SetOption(KStreamOptionsMotion::eImportCreateReferenceNode, KStreamOptionsMotion::eOn);
        std::string shown;
        options.SetMessageCallback(
            1,
            [](const char*, const char* pText, const char*, const char*, const char*, int, void* pShown) {
                *static_cast<std::string*>(pShown) = pText;
                return 0;
            },
            &shown);
        EXPECT_FALSE(reader.Read(*mFixture.mScene, &options));
        EXPECT_EQ(KQelReader::eFileCorrupted, reader.GetLastErrorID());
        EXPECT_EQ(0, mFixture.mScene->GetRootNode()->GetChildCount());
        EXPECT_EQ(0, mFixture.mScene->GetPoseCount());
        if (std::string(c.mName) == "duplicate names") {
            EXPECT_EQ("Duplicate names found in case.htr:\n    Model::Hips", shown);
        }
    }
}

// An HTR file's base positions (name to the seven values) and frame lines
// (section to its rows of numbers), and its hierarchy lines.
struct ParsedHtr {
    std::vector<std::string> mHierarchy;
    std::map<std::string, std::vector<double>> mBase;
    std::map<std::string, std::vector<std::vector<double>>> mFrames;
};

ParsedHtr Parse(const std::string& pText)
{
    ParsedHtr parsed;
    std::istringstream lines(pText);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        if (section == "SegmentNames&Hierarchy") {
            parsed.mHierarchy.push_back(line);
            continue;
        }
        std::vector<double> values;
        if (section == "BasePosition")
            fields >> name;
        for (double v; fields >> v;)
            values.push_back(v);
        if (section == "BasePosition")
            parsed.mBase[name] = values;
        else if (section != "Header")
            parsed.mFrames[section].push_back(values);
    }
    return parsed;
}

// Writes the scene through an HTR writer with pFrames frames at pRate per
// second from 0; the written text (empty when writing failed) and, when
// asked, the error's text.
std::string WriteHtr(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, int pFrames,
                     double pRate, std::string* pError = nullptr)
{
    KQelWriterMotionAnalysisHtr writer(pManager);
    EXPECT_TRUE(writer.FileCreate(pPath.c_str()));
    KStreamOptions* options = writer.GetWriteOptions();
    KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
    motion.SetFrameCount(pFrames);
    motion.SetTimeMode(KTime::eDEFAULT_MODE, pRate);
    const bool written = writer.Write(pScene, options);
    if (pError)
        *pError = writer.GetLastErrorString();
    options->Destroy();
    writer.FileClose();
    return written ? ReadFile(pPath) : std::string();
}

TEST_F(HtrTest, ReadAndWrittenKeepsBasePositionsAndFrames)
{
    ASSERT_TRUE(Read(DataFile("htr/rotated.htr")).mRead);
    Node("Hips")->SetSelected(true);
    const std::string written = WriteHtr(mFixture.mManager, *mFixture.mScene, mDir.File("out.htr"), 5, 30.0);
    ASSERT_FALSE(written.empty());
    const ParsedHtr before = Parse(ReadFile(DataFile("htr/rotated.htr")));
    const ParsedHtr after = Parse(written);
    const std::vector<std::string> hierarchy = {"Hips\tGLOBAL", "Spine\tHips",    "Head\tSpine",
                                                "Head_End\tHead", "Arm\tHips", "Arm_End\tArm"};
    EXPECT_EQ(hierarchy, after.mHierarchy);
    for (const auto& base : before.mBase) {
        SCOPED_TRACE(base.first);
        const std::vector<double>& values = after.mBase.at(base.first);
        ASSERT_EQ(7u, values.size());
        for (size_t k = 0; k < 7; ++k)
            EXPECT_NEAR(base.second[k], values[k], 2e-3 + 1e-5 * std::fabs(base.second[k])) << "value " << k;
        const auto& rows = before.mFrames.at(base.first);
        const auto& written_rows = after.mFrames.at(base.first);
        ASSERT_EQ(rows.size(), written_rows.size());
        for (size_t f = 0; f < rows.size(); ++f) {
            for (size_t k = 0; k < 7; ++k)
                EXPECT_NEAR(rows[f][k], written_rows[f][k], 2e-3 + 1e-5 * std::fabs(rows[f][k]))
                    << "frame " << f << " value " << k;
        }
    }
}

// A selected limb node under pParent at pOffset.
KQelNode* Joint(KQelSdkManager& pManager, KQelNode* pParent, const char* pName, const KQelVector4& pOffset)
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    node->SetDefaultT(pOffset);
    node->SetSelected(true);
    pParent->AddChild(node);
    return node;
}

TEST_F(HtrTest, WriterHeaderRateAndRefusals)
{
    KQelNode* lone = Joint(mFixture.mManager, mFixture.mScene->GetRootNode(), "Lone", KQelVector4(1.0, 2.0, 3.0, 1.0));
    const struct {
        double mRate;
        const char* mWritten;
    } rates[] = {{29.97, "DataFrameRate 29\n"}, {30.0, "DataFrameRate 30\n"}, {60.0, "DataFrameRate 60\n"},
                 {120.0, "DataFrameRate 120\n"}};
    for (const auto& c : rates) {
        SCOPED_TRACE(c.mRate);
        const std::string text = WriteHtr(mFixture.mManager, *mFixture.mScene, mDir.File("rate.htr"), 1, c.mRate);
        EXPECT_NE(std::string::npos, text.find(c.mWritten));
    }
    const std::string empty = WriteHtr(mFixture.mManager, *mFixture.mScene, mDir.File("empty.htr"), 0, 30.0);
    EXPECT_NE(std::string::npos, empty.find("NumSegments 1\nNumFrames 0\n"));
    EXPECT_NE(std::string::npos,
              empty.find("[SegmentNames&Hierarchy]\nLone\tGLOBAL\n[BasePosition]\nLone\t10\t20\t30\t"));
    EXPECT_NE(std::string::npos, empty.find("[Lone]\n[EndOfFile]\n"));

    Joint(mFixture.mManager, lone, "Left Arm", KQelVector4());
    std::string error;
    EXPECT_EQ("", WriteHtr(mFixture.mManager, *mFixture.mScene, mDir.File("blank.htr"), 1, 30.0, &error));
    EXPECT_EQ("Spaces are not allowed in HTR node names:\n    Model::Left Arm", error);
    Joint(mFixture.mManager, mFixture.mScene->GetRootNode(), "Other", KQelVector4());
    EXPECT_EQ("", WriteHtr(mFixture.mManager, *mFixture.mScene, mDir.File("two.htr"), 1, 30.0, &error));
    EXPECT_EQ("Can not find root node.", error);
}

// A chain deep enough that any walk recursing per level would overflow the
// small stack it runs on, read and written.
void ChainRoundTrip(void* pPath)
{
    const std::string& path = *static_cast<std::string*>(pPath);
    const int depth = 2000;
    std::string text = "[Header]\nNumSegments " + std::to_string(depth) + "\nNumFrames 1\n[SegmentNames&Hierarchy]\n";
    text += "S0\tGLOBAL\n";
    for (int i = 1; i < depth; ++i)
        text += "S" + std::to_string(i) + "\tS" + std::to_string(i - 1) + "\n";
    text += "[BasePosition]\n";
    for (int i = 0; i < depth; ++i)
        text += "S" + std::to_string(i) + "\t0\t10\t0\t0\t0\t5\t10\n";
    for (int i = 0; i < depth; ++i)
        text += "[S" + std::to_string(i) + "]\n1\t0\t0\t0\t1\t0\t0\t1\n";
    WriteFile(path, text);
    Fixture fixture;
    ASSERT_TRUE(motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kHtr).mRead);
    KQelNode* reference = Reference(*fixture.mScene);
    ASSERT_EQ(depth + 1, reference->GetChildCount(true));
    reference->GetChild(0)->SetSelected(true);
    const std::string written = WriteHtr(fixture.mManager, *fixture.mScene, path + ".out", 1, 30.0);
    EXPECT_NE(std::string::npos, written.find("NumSegments " + std::to_string(depth + 1) + "\n"));
}

TEST_F(HtrTest, DeepChainsReadAndWriteWithoutRecursion)
{
    std::string path = mDir.File("chain.htr");
    smallstack::OnSmallStack(ChainRoundTrip, &path);
}

}  // namespace
}  // namespace qelsdk_600
