// Selection lists: items, look-ups, texts, filtered walks, the active list.
#include <vesk/MGlobal.h>
#include <vesk/MItSelectionList.h>
#include <vesk/MStringArray.h>

#include "host_fixture.h"

namespace {

class SelectionTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        vesk::fixture::make("transform", "L");
        vesk::fixture::make("joint", "hip", "L");
        vesk::fixture::make("transform", "R");
        vesk::fixture::make("joint", "hip", "R");
        vesk::fixture::makeShape("mesh", "b");
        vesk::fixture::make("dagPose", "pose");
    }
};

std::vector<std::string> strings(const MSelectionList& list)
{
    MStringArray texts;
    list.getSelectionStrings(texts);
    std::vector<std::string> out;
    for (unsigned int i = 0; i < texts.length(); ++i)
        out.push_back(texts[i].asChar());
    return out;
}

} // namespace

TEST_F(SelectionTest, HasItemHoldsForEqualWholeObjectItemsOnly)
{
    MSelectionList list;
    ASSERT_TRUE(list.add(path("|L|hip")));
    ASSERT_TRUE(list.add("b.vtx[1:3]"));
    EXPECT_TRUE(list.hasItem(path("|L|hip")));
    EXPECT_FALSE(list.hasItem(path("|R|hip")));
    EXPECT_FALSE(list.hasItem(path("|L")));
    EXPECT_FALSE(list.hasItem(path("b")));
    EXPECT_FALSE(list.hasItem(path("|b|bShape")));
    EXPECT_TRUE(list.hasItem(path("|L|hip").node()));
    MSelectionList probe;
    probe.add("b.vtx[2:3]");
    MDagPath p;
    MObject part;
    ASSERT_TRUE(probe.getDagPath(0, p, part));
    EXPECT_STREQ(p.fullPathName().asChar(), "|b|bShape");
    EXPECT_TRUE(list.hasItem(p, part));
    probe.add("b.vtx[4]");
    probe.getDagPath(1, p, part);
    EXPECT_FALSE(list.hasItem(p, part));
    // Removing re-indexes the look-ups.
    ASSERT_TRUE(list.remove(0));
    EXPECT_FALSE(list.hasItem(path("|L|hip")));
    EXPECT_EQ(list.remove(5).statusCode(), MStatus::kInvalidParameter);
}

TEST_F(SelectionTest, ComponentTextsComeOnePerRunInIndexOrder)
{
    MSelectionList list;
    ASSERT_TRUE(list.add("b.vtx[3:5]"));
    ASSERT_TRUE(list.add("b.vtx[7]"));
    ASSERT_TRUE(list.add("b.vtx[1:2]"));
    EXPECT_EQ(strings(list), (std::vector<std::string>{"b.vtx[1:5]", "b.vtx[7]"}));
    // Merged into one item, a run that continues stays one text.
    MSelectionList merged;
    MDagPath shape;
    MObject part;
    for (const char* text : {"b.f[3:5]", "b.f[6]", "b.f[4]", "b.f[9]"}) {
        MSelectionList one;
        one.add(text);
        one.getDagPath(0, shape, part);
        ASSERT_TRUE(merged.add(shape, part, true));
    }
    EXPECT_EQ(merged.length(), 1u);
    EXPECT_EQ(strings(merged), (std::vector<std::string>{"b.f[3:6]", "b.f[9]"}));
    // Objects and plugs: one text each.
    MSelectionList mixed;
    mixed.add("pose.members[2]");
    mixed.add(path("|R|hip"));
    mixed.add(object("pose"));
    EXPECT_EQ(strings(mixed), (std::vector<std::string>{"pose.members[2]", "R|hip", "pose"}));
    MPlug p;
    ASSERT_TRUE(mixed.getPlug(0, p));
    EXPECT_TRUE(p == plug("pose.m[2]"));
    EXPECT_FALSE(mixed.getPlug(1, p));
    EXPECT_FALSE(mixed.getDagPath(2, shape));
}

TEST_F(SelectionTest, FilteredWalksReportItemsByNodeOrComponent)
{
    MSelectionList list;
    list.add(path("persp"));
    list.add("b.vtx[1]");
    list.add(object("pose"));
    const struct {
        MFn::Type filter;
        std::vector<std::string> texts;
    } cases[] = {
        {MFn::kComponent, {"bShape.vtx[1]"}},
        {MFn::kMeshVertComponent, {"bShape.vtx[1]"}},
        {MFn::kMesh, {"bShape.vtx[1]"}},
        {MFn::kTransform, {"persp"}},
        {MFn::kDagPose, {"pose"}},
        {MFn::kInvalid, {"persp", "bShape.vtx[1]", "pose"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        for (MItSelectionList it(list, c.filter); !it.isDone(); it.next()) {
            MObject node;
            ASSERT_TRUE(it.getDependNode(node));
            MDagPath p;
            MObject part;
            if (it.getDagPath(p, part))
                got.push_back(std::string(p.partialPathName().asChar()) + (part.isNull() ? "" : ".vtx[1]"));
            else
                got.push_back(nameOf(node));
        }
        EXPECT_EQ(got, c.texts) << c.filter;
    }
}

TEST_F(SelectionTest, TheActiveSelectionIsCopiedAndLosesDeletedNodes)
{
    MSelectionList list;
    list.add(path("|L|hip"));
    list.add("b.vtx[0]");
    list.add(object("pose"));
    ASSERT_TRUE(MGlobal::setActiveSelectionList(list));
    list.clear();
    MSelectionList active;
    MGlobal::getActiveSelectionList(active);
    EXPECT_EQ(active.length(), 3u);
    MGlobal::deleteNode(object("L"));
    MGlobal::deleteNode(object("b"));
    MGlobal::getActiveSelectionList(list);
    EXPECT_EQ(strings(list), std::vector<std::string>{"pose"});
    // A list held elsewhere keeps stale items, which read as nothing.
    MObject gone;
    EXPECT_FALSE(active.getDependNode(0, gone));
    EXPECT_EQ(strings(active), std::vector<std::string>{"pose"});
}

TEST_F(SelectionTest, MergingAddsWholeItemsOnceAndPlugsByIdentity)
{
    MSelectionList list;
    ASSERT_TRUE(list.add(object("pose"), true));
    ASSERT_TRUE(list.add(object("pose"), true));
    ASSERT_TRUE(list.add(path("|R|hip"), MObject::kNullObj, true));
    ASSERT_TRUE(list.add(path("|R|hip"), MObject::kNullObj, true));
    ASSERT_TRUE(list.add(plug("pose.members[1]"), true));
    ASSERT_TRUE(list.add(plug("pose.members[1]"), true));
    EXPECT_EQ(list.length(), 3u);
    ASSERT_TRUE(list.add(object("pose")));
    EXPECT_EQ(list.length(), 4u);
    EXPECT_EQ(list.add(MDagPath()).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.add(MObject()).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(list.add(MPlug()).statusCode(), MStatus::kInvalidParameter);
    MStringArray one;
    ASSERT_TRUE(list.getSelectionStrings(2, one));
    ASSERT_EQ(one.length(), 1u);
    EXPECT_STREQ(one[0].asChar(), "pose.members[1]");
    EXPECT_EQ(list.getSelectionStrings(9, one).statusCode(), MStatus::kInvalidParameter);
    EXPECT_FALSE(list.isEmpty());
    list.clear();
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(SelectionTest, ListTextsMergeRunsPerObjectAndKind)
{
    MSelectionList list;
    ASSERT_TRUE(list.add(path("|L|hip")));
    for (const char* item : {"b.f[6]", "b.f[1]", "b.vtx[3]", "b.f[0]", "b.f[5]", "b.f[2]", "b.vtx[4]", "b.f[1]"})
        ASSERT_TRUE(list.add(item)) << item;
    EXPECT_EQ(strings(list), (std::vector<std::string>{"L|hip", "b.f[0:2]", "b.f[5:6]", "b.vtx[3:4]"}));
    // Each item alone still gives its own text.
    MStringArray one;
    ASSERT_TRUE(list.getSelectionStrings(1, one));
    ASSERT_EQ(one.length(), 1u);
    EXPECT_STREQ(one[0].asChar(), "b.f[6]");
}
