// Names, namespaces, path names and the texts that name objects and plugs.
#include <vesk/MFnDagNode.h>
#include <vesk/MGlobal.h>
#include <vesk/MItDag.h>
#include <vesk/MStringArray.h>

#include "host_fixture.h"

namespace {

using NameTest = HostTest;

std::string made(const char* type, const char* name, const char* parent = "")
{
    return vesk::store().name(vesk::fixture::make(type, name, parent));
}

} // namespace

TEST_F(NameTest, ClashesTakeTheLowestFreeNumberWithinTheirScope)
{
    EXPECT_EQ(made("objectSet", "Box"), "Box");
    EXPECT_EQ(made("objectSet", "Box"), "Box1");
    EXPECT_EQ(made("objectSet", "Box"), "Box2");
    // Trailing digits are dropped before numbering.
    EXPECT_EQ(made("objectSet", "Box2"), "Box3");
    // DAG names clash with siblings only, and with every non-DAG name.
    made("transform", "L");
    made("transform", "R");
    EXPECT_EQ(made("joint", "hip", "L"), "hip");
    EXPECT_EQ(made("joint", "hip", "R"), "hip");
    EXPECT_EQ(made("joint", "hip", "L"), "hip1");
    EXPECT_EQ(made("transform", "Box", "L"), "Box4");
    EXPECT_EQ(made("objectSet", "hip"), "hip2");
    // Deleting frees a number.
    ASSERT_TRUE(vesk::store().deleteNode(vesk::fixture::node("Box1")));
    EXPECT_EQ(made("objectSet", "Box"), "Box1");
}

TEST_F(NameTest, FreeingANonDagNameFreesItUnderEveryParent)
{
    made("transform", "P");
    EXPECT_EQ(made("transform", "C", "P"), "C");
    EXPECT_EQ(made("transform", "C", "P"), "C1");
    EXPECT_EQ(made("objectSet", "C2"), "C2");
    EXPECT_EQ(made("transform", "C", "P"), "C3");
    ASSERT_TRUE(vesk::store().deleteNode(vesk::fixture::node("C2")));
    EXPECT_EQ(made("transform", "C", "P"), "C2");
}

TEST_F(NameTest, NamesKeepLettersDigitsUnderscoresAndNamespaces)
{
    const struct {
        const char* wanted;
        const char* given;
    } cases[] = {
        {"left arm", "left_arm"},
        {"a.b|c[0]", "a_b_c_0_"},
        {":root", "root"},
        {"ns:hip", "ns:hip"},
        {"caf\xC3\xA9", "caf__"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(made("transform", c.wanted), c.given);
    MFnDependencyNode fn(object("root"));
    MStatus s;
    fn.setName("", &s);
    EXPECT_EQ(s.statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.name(), MString("root"));
}

TEST_F(NameTest, NamesAsIsKeepEveryByteButMayNotClash)
{
    made("transform", "grp");
    made("transform", "a", "grp");
    made("transform", "b", "grp");
    const std::string odd = "we\"ird\\ ;x\ny";
    ASSERT_TRUE(vesk::fixture::nameAsIs("grp|a", odd));
    EXPECT_EQ(path(("|grp|" + odd).c_str()).fullPathName(), MString(("|grp|" + odd).c_str()));
    EXPECT_FALSE(vesk::fixture::nameAsIs("grp|b", odd)) << "a sibling has it";
    EXPECT_FALSE(vesk::fixture::nameAsIs("grp|b", ""));
    EXPECT_TRUE(vesk::fixture::nameAsIs("grp|b", "a")) << "freed by the first rename";
}

TEST_F(NameTest, NamesWithoutNamespaceGoIntoTheCurrentOne)
{
    vesk::NodeStore& s = vesk::store();
    ASSERT_TRUE(s.addNamespace("rig"));
    EXPECT_EQ(s.addNamespace("rig").statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(s.setCurrentNamespace("nope").statusCode(), MStatus::kNotFound);
    ASSERT_TRUE(s.setCurrentNamespace("rig"));
    EXPECT_EQ(made("joint", "hip"), "rig:hip");
    EXPECT_EQ(made("joint", "other:hip"), "other:hip");
    EXPECT_EQ(made("joint", ":top"), "top1");
    ASSERT_TRUE(s.setCurrentNamespace(":"));
    EXPECT_EQ(made("joint", "hip"), "hip");
    s.reset();
    EXPECT_TRUE(s.namespaces().empty());
    EXPECT_EQ(s.currentNamespace(), "");
}

TEST_F(NameTest, PartialPathNamesAreTheShortestUniqueTails)
{
    made("transform", "L");
    made("transform", "R");
    made("joint", "hip", "L");
    made("joint", "hip", "R");
    made("joint", "knee", "L|hip");
    EXPECT_STREQ(path("|L|hip").partialPathName().asChar(), "L|hip");
    EXPECT_STREQ(path("|R|hip").partialPathName().asChar(), "R|hip");
    EXPECT_STREQ(path("|L|hip|knee").partialPathName().asChar(), "knee");
    EXPECT_STREQ(path("|L|hip|knee").fullPathName().asChar(), "|L|hip|knee");
    // When no tail is unique, the full name.
    made("transform", "A");
    made("transform", "L", "A");
    made("joint", "hip", "A|L");
    EXPECT_STREQ(path("|L|hip").partialPathName().asChar(), "|L|hip");
    EXPECT_STREQ(path("|A|L|hip").partialPathName().asChar(), "A|L|hip");
    // An instance is named through its parents.
    MFnDagNode r(object("R"));
    ASSERT_TRUE(r.addChild(object("knee"), MFnDagNode::kNextPos, true));
    EXPECT_STREQ(path("|R|knee").partialPathName().asChar(), "R|knee");
    EXPECT_STREQ(path("|L|hip|knee").partialPathName().asChar(), "hip|knee");
}

TEST_F(NameTest, EveryTextFormReadsBackAsWhatItNames)
{
    made("transform", "L");
    made("joint", "hip", "L");
    made("transform", "R");
    made("joint", "hip", "R");
    vesk::fixture::makeShape("mesh", "box");
    vesk::fixture::makeShape("nurbsSurface", "surf");
    made("dagPose", "pose");
    made("skinCluster", "skin");
    made("blendShape", "blend");
    MPlug weight = plug("blend.weight");
    MFnDependencyNode blend(object("blend"));
    ASSERT_TRUE(blend.setAlias("smile", "weight[3]", weight.elementByLogicalIndex(3)));

    std::vector<MPlug> plugs = {
        plug("L|hip.translateX"),
        plug("pose.worldMatrix").elementByLogicalIndex(2),
        plug("skin.weightList").elementByLogicalIndex(2).child(0).elementByLogicalIndex(5),
        plug("skin.input").elementByLogicalIndex(1).child(1),
        weight.elementByLogicalIndex(3),
        plug("|R|hip.rotateAxis"),
    };
    for (const MPlug& p : plugs) {
        ASSERT_FALSE(p.isNull());
        const MString texts[] = {p.info(), p.name(), p.partialName(true), p.partialName(true, 0, 0, 0, 0, true)};
        for (const MString& t : texts) {
            const MPlug back = plug(t.asChar());
            EXPECT_TRUE(back == p) << t.asChar();
        }
    }
    EXPECT_STREQ(plugs[2].info().asChar(), "skin.weightList[2].weights[5]");
    EXPECT_STREQ(plugs[2].partialName().asChar(), "wl[2].w[5]");
    EXPECT_STREQ(plugs[3].name().asChar(), "skin.input[1].groupId");
    EXPECT_STREQ(plugs[4].info().asChar(), "blend.weight[3]");
    EXPECT_STREQ(plugs[4].name().asChar(), "blend.smile");
    EXPECT_STREQ(plugs[0].partialName(true, 0, 0, 0, 0, false).asChar(), "L|hip.tx");
    // Objects and components, through the selection strings.
    MSelectionList list;
    ASSERT_TRUE(list.add("|L|hip"));
    ASSERT_TRUE(list.add("pose"));
    ASSERT_TRUE(list.add("box.vtx[2:4]"));
    ASSERT_TRUE(list.add("box.f[7]"));
    ASSERT_TRUE(list.add("surf.cv[1][0:1]"));
    MStringArray strings;
    list.getSelectionStrings(strings);
    const char* expected[] = {"L|hip", "pose", "box.vtx[2:4]", "box.f[7]", "surf.cv[1][0]", "surf.cv[1][1]"};
    ASSERT_EQ(strings.length(), 6u);
    MSelectionList again;
    for (unsigned int i = 0; i < strings.length(); ++i) {
        EXPECT_STREQ(strings[i].asChar(), expected[i]);
        EXPECT_TRUE(again.add(strings[i], false));
    }
    MStringArray twice;
    again.getSelectionStrings(twice);
    ASSERT_EQ(twice.length(), strings.length());
    for (unsigned int i = 0; i < strings.length(); ++i)
        EXPECT_EQ(twice[i], strings[i]);
}

TEST_F(NameTest, BadTextsFailWithTheirReason)
{
    made("transform", "L");
    made("transform", "R");
    made("joint", "hip", "L");
    made("joint", "hip", "R");
    vesk::fixture::makeShape("mesh", "box");
    made("skinCluster", "skin");
    const struct {
        const char* text;
        MStatus::MStatusCode code;
    } cases[] = {
        {"nosuch", MStatus::kNotFound},
        {"hip", MStatus::kInvalidParameter},
        {"L||hip", MStatus::kInvalidParameter},
        {"|hip", MStatus::kNotFound},
        {"L|hip.nosuch", MStatus::kInvalidParameter},
        {"L|hip.tx[2]", MStatus::kInvalidParameter},
        {"skin.wl[x]", MStatus::kInvalidParameter},
        {"skin.wl[1].nosuch", MStatus::kInvalidParameter},
        {"skin.wl[1", MStatus::kInvalidParameter},
        {"skin.wl[99999999999]", MStatus::kInvalidParameter},
        {"box.vtx[5:3]", MStatus::kInvalidParameter},
        {"box.vtx[-1]", MStatus::kInvalidParameter},
        {"box.cv[1]", MStatus::kInvalidParameter},
        {"box.vtx[0:2000000000]", MStatus::kInvalidParameter},
        {".tx", MStatus::kInvalidParameter},
        {"", MStatus::kInvalidParameter},
    };
    for (const auto& c : cases) {
        MSelectionList list;
        EXPECT_EQ(list.add(MString(c.text)).statusCode(), c.code) << c.text;
        EXPECT_EQ(list.length(), 0u) << c.text;
    }
    std::string why;
    vesk::Address a;
    vesk::store().parseAddress("hip", a, &why);
    EXPECT_EQ(why, "More than one object matches name: hip");
}
