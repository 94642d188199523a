// The geometry pass on scenes built in memory: which host object each node
// gets, in which order and namespace, and which nodes the pass leaves out.
#include "import_fixture.h"

#include "content/kqelcamera.h"
#include "content/kqelmarker.h"
#include "scene/kqelnull.h"

using namespace qelsdk_600;

namespace {

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
    // null, as is a group without an aim child. A camera goes under its
    // parent's host node, a camera group's parent's when the group has none.
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
                               "|Arm joint 4", "|Bone joint 2", "|Bone|Shin joint 5", "|Bone|Shin|Cap null",
                               "|Bone|Shin|Tip joint 3", "|Free null", "|Lone null 2", "|Lone|End joint 3",
                               "|Mark null", "|cam1 transform", "|cam1_aim null", "|cam1|cameraShape1 camera",
                               "|cam2_group null", "|cam2_group|cam2 transform", "|cam2_group|cam2_aim null",
                               "|cam2_group|cam2|cameraShape1 camera", "|cam3_group null", "|cam3_group|cam3 transform",
                               "|cam3_group|cam3|cameraShape1 camera"}));
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
    std::vector<std::string> names;
    for (int i = 0; i < mImport->GetNodeSet().GetCount(); ++i)
        names.push_back(reinterpret_cast<KQelNode*>(mImport->GetNodeSet().GetFromIndex(i))->GetName());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Model::Cam", "Model::PERSP", "Model::persp", "Model::Rig"}));
    EXPECT_EQ(root()->GetChildCount(), 4) << "persp and its child destroyed";

    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eExclusiveMerge);
    standin::clearLogs();
    mImport->ImportGeometry();
    EXPECT_EQ(madeNodes(), std::vector<std::string>{}) << "exclusive merge creates nothing";
    EXPECT_EQ(loggedCommands("."), std::vector<std::string>{"namespace -set \":\""});
}

}  // namespace
