// The node tree: which host paths become nodes, with which attributes, and
// under which parents.
#include <gtest/gtest.h>

#include <standin/StandIn.h>
#include <vesk/MGlobal.h>

#include "common/small_stack.h"
#include "export/export_fixture.h"
#include "plugin/qelvesknodeid.h"
#include "scene/kqelskeleton.h"
#include "store/node_store.h"

using namespace qelsdk_600;

namespace {

using Names = std::vector<std::string>;

void Mark(const char* pNode, int pId)
{
    MObject node = HostTest::object(pNode);
    QVSetTarnvekID(node, pId);
}

void Select(const std::vector<const char*>& pTexts)
{
    MSelectionList list;
    for (const char* text : pTexts)
        ASSERT_TRUE(list.add(MString(text)));
    MGlobal::setActiveSelectionList(list);
}

// The exporter with a joint display scale query that fails.
class NoJointScaleExport : public QelVeskExport {
protected:
    bool QueryJointDisplayScale(double&) override { return false; }
};

}  // namespace

TEST_F(ExportTest, TheTreeMirrorsTheDagInHostOrder)
{
    make("transform", "a");
    make("transform", "b", "a");
    make("joint", "j", "a");
    make("transform", "k", "a|j");
    make("transform", "c");
    make("transform", "skipped", "c");  // not exported: its child goes under the root
    Mark("c|skipped", 6);
    make("transform", "orphan", "c|skipped");
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Children(Root()), (Names{"a", "c", "orphan"})) << "default cameras stay behind";
    EXPECT_EQ(Children(Node("a")), (Names{"b", "j"}));
    EXPECT_EQ(Children(Node("j")), (Names{"k"}));
    EXPECT_EQ(Node("skipped"), nullptr);
}

TEST_F(ExportTest, NodeKindsGetTheirAttributesLimbSizesAndInheritance)
{
    // Limb sizes are 100 times the joint display scale, at least 1e-05.
    const struct {
        double displayScale;
        double limbSize;
    } scales[] = {{2.5, 250.0}, {0.0, 1e-05}};
    for (const auto& scale : scales) {
        standin::resetHost();
        vesk::store().globals().jointDisplayScale = scale.displayScale;
        make("transform", "plain");
        make("joint", "joint");
        vesk::fixture::makeShape("clusterHandle", "handle");
        make("transform", "groundPlane_transform");
        make("transform", "g");
        make("transform", "groundPlane_transform", "g");
        Mark("g|groundPlane_transform", 3);
        for (int id = 2; id <= 6; ++id) {
            const std::string name = "mark" + std::to_string(id);
            make("transform", name.c_str());
            Mark(name.c_str(), id);
        }
        ASSERT_TRUE(ExportAndRead());
        EXPECT_EQ(Children(Root()), (Names{"plain", "joint", "handle", "g", "mark2", "mark3", "mark4", "mark5"}));
        const struct {
            const char* name;
            int attribute;  // node attribute type
            int skeleton;   // skeleton type as read: files keep effectors as roots
            bool sized;     // else the size of a new skeleton, 100
            ETransformInheritType inherit;
        } nodes[] = {
            {"plain", 1, 0, false, eInheritRSrs},  {"handle", 1, 0, false, eInheritRSrs},
            {"joint", 3, 2, true, eInheritRrs},    {"groundPlane_transform", 3, 0, true, eInheritRSrs},
            {"mark2", 3, 0, false, eInheritRSrs},  {"mark3", 3, 0, true, eInheritRSrs},
            {"mark4", 3, 1, true, eInheritRSrs},   {"mark5", 3, 2, true, eInheritRSrs},
        };
        for (const auto& n : nodes) {
            KQelNode* node = Node(n.name);
            ASSERT_NE(node, nullptr) << n.name;
            ASSERT_NE(node->GetNodeAttribute(), nullptr) << n.name;
            EXPECT_EQ(node->GetNodeAttribute()->GetAttributeType(), n.attribute) << n.name;
            ETransformInheritType inherit;
            node->GetTransformationInheritType(inherit);
            EXPECT_EQ(inherit, n.inherit) << n.name;
            if (KQelSkeleton* skeleton = node->GetSkeleton()) {
                EXPECT_EQ(skeleton->GetSkeletonType(), n.skeleton) << n.name;
                EXPECT_DOUBLE_EQ(skeleton->GetLimbNodeSize(), n.sized ? scale.limbSize : 100.0) << n.name;
            }
        }
    }
    // A failing query gives the size of a scale of 1; the bypass setting
    // gives joints the plain inheritance.
    standin::resetHost();
    make("joint", "joint");
    Params().SetBoolParam(QelVeskUserParams::kExportBypassRrsInheritance, true);
    NoJointScaleExport exporter;
    ASSERT_TRUE(ExportAndRead(&exporter));
    ETransformInheritType inherit;
    Node("joint")->GetTransformationInheritType(inherit);
    EXPECT_EQ(inherit, eInheritRSrs);
    EXPECT_DOUBLE_EQ(Node("joint")->GetSkeleton()->GetLimbNodeSize(), 100.0);
}

TEST_F(ExportTest, SelectionOnlyExportsKeepToTheSelection)
{
    make("transform", "a");
    make("transform", "b", "a");
    make("transform", "c", "a|b");
    make("transform", "d");
    Params().SetBoolParam(QelVeskUserParams::kExportSelectionOnly, true);
    Select({"a", "a|b|c", "d"});
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Children(Root()), (Names{"a", "c", "d"})) << "c's parent is not selected";
    Select({});
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Children(Root()), Names{});
    Params().SetBoolParam(QelVeskUserParams::kExportSelectionOnly, false);
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Children(Root()), (Names{"a", "d"}));
}

TEST_F(ExportTest, PathsDifferingInCaseKeepTheirOwnParents)
{
    for (const char* top : {"grp", "GRP", "Grp"}) {
        make("transform", top);
        make("transform", "x", top);
        make("transform", "y", (std::string(top) + "|x").c_str());
    }
    ASSERT_TRUE(ExportAndRead());
    const Names tops = Children(Root());
    ASSERT_EQ(tops.size(), 3u);
    std::vector<std::string> grandchildren;
    for (const std::string& top : tops) {
        const Names x = Children(Node(top));
        ASSERT_EQ(x.size(), 1u) << top;
        EXPECT_EQ(x[0].substr(0, 1), "x");
        const Names y = Children(Node(x[0]));
        ASSERT_EQ(y.size(), 1u) << x[0];
        grandchildren.push_back(y[0]);
    }
    EXPECT_EQ(grandchildren[0], "y");
}

TEST_F(ExportTest, DeepChainsExportOnASmallStack)
{
    // Each node is made under its parent's unique name: a full path as
    // the parent's text would cost the chain the square of its depth.
    const int depth = 10000;
    std::string parent;
    for (int i = 0; i < depth; ++i) {
        const std::string name = "n" + std::to_string(i);
        make("transform", name.c_str(), parent.c_str());
        parent = name;
    }
    bool exported = false;
    struct Work {
        ExportTest* test;
        bool* exported;
    } work{this, &exported};
    smallstack::OnSmallStack([](void* pWork) {
        Work& w = *static_cast<Work*>(pWork);
        *w.exported = w.test->ExportAndRead();
    }, &work);
    ASSERT_TRUE(exported);
    int levels = 0;
    for (KQelNode* node = Root(); node->GetChildCount() == 1; node = node->GetChild(0))
        ++levels;
    EXPECT_EQ(levels, depth);
}
