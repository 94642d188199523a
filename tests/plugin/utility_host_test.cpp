// Host utilities: the node-id attribute, text replacement, readable paths,
// reserved camera names, curve colours, bind-pose matrices and plugs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vesk/MFnAttribute.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MGlobal.h>

#include "curves/kfcurve.h"
#include "host/host_fixture.h"
#include "math/kqelmatrix.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesknodeid.h"
#include "plugin/qelvesksdkmanager.h"
#include "plugin/qelveskutility.h"

using namespace qelsdk_600;

namespace {

class HostUtility : public HostTest {
protected:
    HostUtility() : mManager(QelVeskSdkManager::eExport) {}

    QelVeskNode* Bound(const char* pPath, QelVeskNode* pParent = nullptr)
    {
        const MDagPath p = path(pPath);
        QelVeskNode* node = mManager.CreateQelVeskNode(pPath, &p);
        if (pParent)
            pParent->AddChild(node);
        return node;
    }
    static KQelMatrix Translation(double pX)
    {
        KQelMatrix m;
        static_cast<double*>(m)[12] = pX;
        return m;
    }
    static double TranslationOf(KQelMatrix& pMatrix) { return static_cast<double*>(pMatrix)[12]; }
    static bool Run(const std::string& pCommand) { return static_cast<bool>(MGlobal::executeCommand(pCommand.c_str())); }
    // A bind pose (or not) with the given nodes as members at the given
    // logical indices.
    static void MakePose(const char* pName, bool pBindPose, const std::vector<std::pair<const char*, int>>& pMembers)
    {
        make("dagPose", pName);
        vesk::fixture::setNumber(std::string(pName) + ".bindPose", pBindPose ? 1 : 0);
        for (const auto& m : pMembers)
            ASSERT_TRUE(vesk::fixture::connect(std::string(m.first) + ".message",
                                               std::string(pName) + ".members[" + std::to_string(m.second) + "]"));
    }
    static bool Logged(const std::string& pText)
    {
        for (const standin::LoggedCommand& c : standin::commandLog())
            if (c.text == pText)
                return true;
        return false;
    }

    QelVeskSdkManager mManager;
};

}  // namespace

TEST_F(HostUtility, NodeIdIsOneHiddenStoredAttribute)
{
    MObject node = make("transform", "t");
    MFnDependencyNode fn(node);
    EXPECT_EQ(QVGetTarnvekID(node), 0);
    const unsigned int before = fn.attributeCount();
    QVSetTarnvekID(node, 7);
    QVSetTarnvekID(node, -1);
    EXPECT_EQ(fn.attributeCount(), before + 1);
    EXPECT_EQ(QVGetTarnvekID(node), -1);
    MFnAttribute attribute(fn.attribute("qelID"));
    EXPECT_STREQ(attribute.name().asChar(), "tarnvekTypeID");
    EXPECT_TRUE(attribute.isHidden());
    EXPECT_TRUE(attribute.isStorable());
    EXPECT_FALSE(attribute.isConnectable());
    EXPECT_EQ(MFnNumericAttribute(fn.attribute("qelID")).unitType(), static_cast<MFnNumericData::Type>(4));

    MObject notANode = MFnNumericAttribute().create("free", "fr", MFnNumericData::kLong);
    EXPECT_EQ(QVGetTarnvekID(notANode), 0);
    MObject none;
    QVSetTarnvekID(none, 3);  // printed, nothing else
    EXPECT_EQ(QVGetTarnvekID(none), 0);
}

TEST(HostNames, ReplaceEndsAndReplacesEverywhere)
{
    struct Case {
        std::string text, find, replace, expected;
    };
    std::string longText, longExpected;
    for (int i = 0; i < 5000; ++i) {
        longText += "a|";
        longExpected += "a / ";
    }
    const Case cases[] = {
        {"banana", "a", "b", "bbnbnb"},
        {"banana", "x", "y", "banana"},
        {"banana", "a", "aa", "baanaanaa"},  // holds the searched text: each occurrence once
        {"aabb", "ab", "", ""},              // a replacement may make a new occurrence
        {"abc", "", "x", "abc"},
        {longText, "|", " / ", longExpected},
    };
    for (const Case& c : cases) {
        KString text(c.text.c_str());
        EXPECT_EQ(QelVeskUtility::Replace(text, c.find.c_str(), c.replace.c_str()).Buffer(), c.expected) << c.text;
        EXPECT_EQ(QelVeskUtility::Replace(c.text.c_str(), c.find.c_str(), c.replace.c_str()), c.expected);
    }
}

TEST(HostNames, TokensAndReservedNames)
{
    struct Case {
        const char* text;
        bool found;
        const char* result;
    };
    const Case cases[] = {
        {"|group1|camera1|cameraShape1", true, "|group1"}, {"|cam1", true, "|cam1"}, {"abc", false, "abc"}};
    for (const Case& c : cases) {
        KString text(c.text);
        EXPECT_EQ(QelVeskUtility::GetStringBetweenToken(text, '|', '|'), c.found);
        EXPECT_STREQ(text.Buffer(), c.result);
    }
    for (const char* name : {"persp", "sideShape", "Producer Right", "Producer Perspective"})
        EXPECT_TRUE(QelVeskUtility::IsCameraNameReserved(name)) << name;
    for (const char* name : {"Persp", "perspShape1", "Producer Left", ""})
        EXPECT_FALSE(QelVeskUtility::IsCameraNameReserved(name)) << name;
}

TEST(HostNames, CurveColoursWrapAround)
{
    struct Case {
        int index;
        float rgb[3];
    };
    const Case cases[] = {{0, {1, 0, 0}}, {20, {1, 0, 0}}, {27, {0.3f, 0.61f, 0}}, {-1, {0.65f, 0.65f, 0}}};
    KFCurve curve;
    for (const Case& c : cases) {
        QelVeskUtility::SetShapeCurveColor(curve, c.index);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(curve.GetColor()[i], c.rgb[i]) << c.index;
    }
}

TEST_F(HostUtility, ReadablePathsAreShortenedPast180)
{
    make("transform", "group1");
    make("transform", "joint1", "group1");
    const MDagPath joint = path("joint1");
    EXPECT_STREQ(QelVeskUtility::MakeReadablePath(&joint).Buffer(), " / group1 / joint1");
    EXPECT_STREQ(QelVeskUtility::MakeReadablePath(nullptr).Buffer(), "");
    // Four levels: 4 x " / " and names of 168 or 169 characters in all.
    for (int extra = 0; extra < 2; ++extra) {
        std::string parent, readable;
        for (int level = 0; level < 4; ++level) {
            const std::string name = std::string(1, static_cast<char>('p' + level)) + std::to_string(extra) +
                                     std::string(40 + (level == 0 ? extra : 0), 'a');
            make("transform", name.c_str(), parent.c_str());
            parent = name;
            readable += " / " + name;
        }
        const MDagPath deep = path(parent.c_str());
        const std::string got = QelVeskUtility::MakeReadablePath(&deep).Buffer();
        ASSERT_EQ(readable.size(), 180u + static_cast<size_t>(extra));
        if (extra == 0)
            EXPECT_EQ(got, readable);
        else
            EXPECT_EQ(got, readable.substr(0, 87) + " ... " + readable.substr(readable.size() - 88));
    }
}

TEST_F(HostUtility, BindPoseOfAJointIsItsOwnPlug)
{
    make("transform", "group1");
    make("joint", "joint1", "group1");
    QelVeskNode* joint = Bound("joint1");
    EXPECT_TRUE(QelVeskUtility::SetBindPoseMatrix(joint, KQelMatrix()));
    EXPECT_TRUE(Logged("setAttr \"|group1|joint1.bindPose\" -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"));
    EXPECT_TRUE(QelVeskUtility::SetBindPoseMatrix(joint, Translation(2.5)));
    KQelMatrix read;
    EXPECT_TRUE(QelVeskUtility::GetBindPoseMatrix(joint, read));
    EXPECT_EQ(read, Translation(2.5));
    EXPECT_TRUE(Logged("getAttr \"|group1|joint1.bindPose\""));

    QelVeskNode* unbound = mManager.CreateQelVeskNode("free", nullptr);
    EXPECT_FALSE(QelVeskUtility::GetBindPoseMatrix(unbound, read));
    EXPECT_FALSE(QelVeskUtility::SetBindPoseMatrix(unbound, read));
}

TEST_F(HostUtility, BindPoseOfAMemberIsReadAtItsIndex)
{
    for (const char* name : {"a", "b", "c", "d"})
        make("transform", name);
    MakePose("pose1", true, {{"a", 0}, {"b", 1}, {"c", 2}});
    // Sparse: two elements, the member at logical index 5.
    MakePose("pose2", true, {{"a", 0}, {"d", 5}});
    ASSERT_TRUE(Run("setAttr pose1.worldMatrix[2] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 7 0 0 1"));
    ASSERT_TRUE(Run("setAttr pose2.worldMatrix[1] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 1 0 0 1"));
    ASSERT_TRUE(Run("setAttr pose2.worldMatrix[5] -type \"matrix\" 1 0 0 0 0 1 0 0 0 0 1 0 5 0 0 1"));

    KQelMatrix read;
    EXPECT_TRUE(QelVeskUtility::GetBindPoseMatrix(Bound("c"), read));
    EXPECT_EQ(TranslationOf(read), 7.0);
    EXPECT_TRUE(Logged("getAttr \"pose1.worldMatrix[2]\""));
    KQelMatrix sparse;
    EXPECT_TRUE(QelVeskUtility::GetBindPoseMatrix(Bound("d"), sparse));
    EXPECT_EQ(TranslationOf(sparse), 5.0);

    MObject pose;
    EXPECT_EQ(GetIndexOfPlugInDagPose(object("c"), pose, true), 2);
    EXPECT_EQ(nameOf(pose), "pose1");
    MObject none;
    EXPECT_EQ(GetIndexOfPlugInDagPose(object("group_missing"), none, false), -1);
}

TEST_F(HostUtility, OnlyTheFirstPoseCountsAndMustBeABindPose)
{
    make("transform", "a");
    MakePose("rest", false, {{"a", 0}});
    MakePose("bind", true, {{"a", 0}});
    KQelMatrix read = Translation(9);
    EXPECT_FALSE(QelVeskUtility::GetBindPoseMatrix(Bound("a"), read));
    EXPECT_EQ(TranslationOf(read), 9.0);
    MObject pose;
    EXPECT_EQ(GetIndexOfPlugInDagPose(object("a"), pose, false), 0);
}

TEST_F(HostUtility, AnAnswerOtherThan16NumbersLeavesTheMatrix)
{
    make("transform", "t");
    MFnNumericAttribute creator;
    ASSERT_TRUE(MFnDependencyNode(object("t")).addAttribute(creator.createPoint("bindPose", "bps")));
    KQelMatrix read = Translation(4);
    EXPECT_FALSE(QelVeskUtility::GetBindPoseMatrix(Bound("t"), read));
    EXPECT_EQ(read, Translation(4));
}

TEST_F(HostUtility, MemberMatrixIsWrittenRelativeToTheParent)
{
    make("joint", "parent");
    make("transform", "child", "parent");
    MakePose("pose1", true, {{"child", 0}});
    QelVeskNode* parent = Bound("parent");
    QelVeskNode* child = Bound("child", parent);
    ASSERT_TRUE(QelVeskUtility::SetBindPoseMatrix(parent, Translation(1)));
    EXPECT_TRUE(QelVeskUtility::SetBindPoseMatrix(child, Translation(3)));
    MDoubleArray values;
    ASSERT_TRUE(MGlobal::executeCommand("getAttr pose1.xformMatrix[0]", values));
    ASSERT_EQ(values.length(), 16u);
    EXPECT_EQ(values[12], 2.0);
}

TEST_F(HostUtility, PlugsByNameAndTheirNames)
{
    make("transform", "t");
    make("dagPose", "pose1");
    MFnDependencyNode fn(object("t"));
    MPlug plug;
    vesk::MessageLog::clear();
    EXPECT_FALSE(QelVeskUtility::GetPlug(fn, "noSuchPlug", plug));
    bool printed = false;
    for (size_t i = 0; i < vesk::MessageLog::size(); ++i)
        printed = printed || vesk::MessageLog::line(i).find("Plug not found : noSuchPlug") != std::string::npos;
    EXPECT_TRUE(printed);
    EXPECT_TRUE(QelVeskUtility::GetPlug(fn, "translateX", plug));

    MString name;
    EXPECT_TRUE(QelVeskUtility::GetPlugUniqueName(plug, name));
    EXPECT_STREQ(name.asChar(), "|t.translateX");
    MPlug posePlug = HostTest::plug("pose1.bindPose");
    EXPECT_TRUE(QelVeskUtility::GetPlugUniqueName(posePlug, name));
    EXPECT_STREQ(name.asChar(), posePlug.info().asChar());

    QelVeskNode* node = Bound("t");
    EXPECT_TRUE(QelVeskUtility::FindPlug(*node, plug, "rotateY"));
    EXPECT_FALSE(QelVeskUtility::FindPlug(*node, plug, "nothing"));
    EXPECT_FALSE(QelVeskUtility::FindPlug(nullptr, plug, "rotateY"));
}

TEST_F(HostUtility, DependencySearchStopsAtTheFirstNodeOfTheType)
{
    make("transform", "a");
    MakePose("first", true, {{"a", 0}});
    MakePose("second", true, {{"a", 1}});
    MObject start = object("a"), found;
    EXPECT_TRUE(QelVeskUtility::GetDependencyOfThisType(&start, MFn::kDagPose, &found,
                                                        MItDependencyGraph::kDownstream, MFn::kInvalid));
    const std::string first = nameOf(found);
    const std::string other = first == "first" ? "second" : "first";
    EXPECT_TRUE(QelVeskUtility::GetDependencyOfThisTypeAndName(&start, MFn::kDagPose, first.c_str(), &found,
                                                               MItDependencyGraph::kDownstream, MFn::kInvalid));
    EXPECT_FALSE(QelVeskUtility::GetDependencyOfThisTypeAndName(&start, MFn::kDagPose, other.c_str(), &found,
                                                                MItDependencyGraph::kDownstream, MFn::kInvalid));
    EXPECT_FALSE(QelVeskUtility::GetDependencyOfThisType(&start, MFn::kCamera, &found,
                                                         MItDependencyGraph::kDownstream, MFn::kInvalid));
}
