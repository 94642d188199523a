// The geometry pass on scenes built in memory: which host object each node
// gets, in which order and namespace, and which nodes the pass leaves out.
#include "import_fixture.h"

#include "content/kqelcamera.h"
#include "content/kqelmarker.h"
#include "scene/kqelnull.h"

using namespace qelsdk_600;

namespace {

std::vector<std::string> setNames(const QelVeskImport& pImport)
{
    std::vector<std::string> names;
    for (int i = 0; i < pImport.GetNodeSet().GetCount(); ++i)
        names.push_back(reinterpret_cast<KQelNode*>(pImport.GetNodeSet().GetFromIndex(i))->GetName());
    return names;
}

TEST_F(ImportTest, EachAttributeRowMakesItsHostObject)
{
    node("Free");
    KQelNode* bone = node("Bone", nullptr, skeleton(KQelSkeleton::eRoot));
    KQelNode* shin = node("Shin", bone, skeleton(KQelSkeleton::eLimbNode));
    node("Tip", shin);
    node("Cap", shin, mImport->GetManager().CreateKQelNull());
    KQelNode* lone = node("Lone", nullptr, skeleton(KQelSkeleton::eRoot));
    node("End", lone, skeleton(KQelSkeleton::eEffector));
    node("Arm", nullptr, skeleton(KQelSkeleton::eLimb));
    node("Mark", nullptr, mImport->GetManager().CreateKQelMarker());
    // A camera group with an attribute makes nothing; without one it is a
    // null, as is a group without an aim child.
    KQelNode* group1 = node("cam1_group", nullptr, mImport->GetManager().CreateKQelNull());
    node("cam1", group1, mImport->GetManager().CreateKQelCamera());
    node("cam1_aim", group1);
    KQelNode* group2 = node("cam2_group");
    node("cam2", group2, mImport->GetManager().CreateKQelCamera());
    node("cam2_aim", group2);
    node("cam3", node("cam3_group", nullptr, mImport->GetManager().CreateKQelNull()),
         mImport->GetManager().CreateKQelCamera());

    mImport->FillTarnVekNodeArray(root());
    ASSERT_EQ(mImport->ImportGeometry(), MStatus::kSuccess);
    EXPECT_EQ(madeNodes(), (std::vector<std::string>{
                               "|Arm joint",        "|Arm id 4",
                               "|Bone joint",       "|Bone id 2",
                               "|Bone|Shin joint",  "|Bone|Shin id 5",
                               "|Bone|Shin|Cap transform", "|Bone|Shin|Cap|locator1 locator",
                               "|Bone|Shin|Tip joint", "|Bone|Shin|Tip id 3",
                               "|Free transform",   "|Free|locator1 locator",
                               "|Lone transform",   "|Lone id 2",
                               "|Lone|End joint",   "|Lone|End id 3",
                               "|Lone|locator1 locator",
                               "|Mark transform",   "|Mark|locator1 locator",
                               "|cam1_aim transform", "|cam1_aim|locator1 locator",
                               "|cam2_group transform", "|cam2_group|cam2_aim transform",
                               "|cam2_group|cam2_aim|locator1 locator", "|cam2_group|locator1 locator",
                               "|cam3_group transform", "|cam3_group|locator1 locator"}));
    EXPECT_EQ(loggedCommands("namespace"), std::vector<std::string>(19, "namespace -set \":\""))
        << "each node once, the unbound root once, and the final return";
}

TEST_F(ImportTest, NodesComeInNameOrderParentsFirstEachInItsNamespace)
{
    const char* const names[] = {"b", "A", "c"};
    for (const char* name : names) {
        QelVeskNode* made = node(name);
        made->mNameSpace = (std::string("ns") + name).c_str();
        made->mAddNameSpace = true;
    }
    node("a", node("z"));
    ASSERT_TRUE(MGlobal::executeCommand("namespace -add nsc"));
    standin::clearLogs();
    mImport->FillTarnVekNodeArray(root());
    mImport->ImportGeometry();
    EXPECT_EQ(loggedCommands("namespace -add"),
              (std::vector<std::string>{"namespace -add \"nsA\"", "namespace -add \"nsb\""}));
    EXPECT_EQ(dumpLines("^node \"\\|(z\\|a|ns\\w+:\\w)\" = ").size(), 4u) << "|nsA:A |nsb:b |nsc:c |z|a";
    EXPECT_EQ(dumpLines("currentNamespace"), std::vector<std::string>{"global currentNamespace = \"\""});

    // A namespace no node of the pass may add is not added.
    standin::resetHost();
    QelVeskImport other;
    QelVeskNode* hand = other.GetManager().CreateQelVeskNode("Hand", nullptr);
    hand->mNameSpace = "rig";
    other.ImportGeometry(hand);
    EXPECT_EQ(loggedCommands("namespace -add"), std::vector<std::string>{});
    EXPECT_EQ(dumpLines("^node \"\\|Hand\" = ").size(), 1u);
}

TEST_F(ImportTest, ReservedCamerasAndLookAtTargetsLeaveTheSetByIdentity)
{
    KQelNode* persp = node("persp", nullptr, mImport->GetManager().CreateKQelCamera());
    node("Lens", persp);
    node("PERSP");
    KQelNode* deep = node("Rig");
    node("persp", deep, mImport->GetManager().CreateKQelCamera());
    KQelNode* cam = node("Cam", nullptr, mImport->GetManager().CreateKQelCamera());
    cam->SetTarget(node("Aim"));
    mImport->FillTarnVekNodeArray(root());
    EXPECT_EQ(setNames(*mImport),
              (std::vector<std::string>{"Model::Cam", "Model::PERSP", "Model::persp", "Model::Rig"}));
    EXPECT_EQ(root()->GetChildCount(), 4) << "persp and its child destroyed";

    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eExclusiveMerge);
    standin::clearLogs();
    mImport->ImportGeometry();
    EXPECT_EQ(madeNodes(), std::vector<std::string>{}) << "exclusive merge creates nothing";
    EXPECT_EQ(loggedCommands("."), std::vector<std::string>{"namespace -set \":\""});
}

}  // namespace
