#include <gtest/gtest.h>

#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

KQelMatrix Translation(double pX, double pY, double pZ)
{
    return KQelMatrix(KQelVector4(pX, pY, pZ, 0.0), KQelVector4(), KQelVector4(1.0, 1.0, 1.0, 0.0));
}

TEST(KQelPose, EntriesAreUniqueByNameAndFallBackOutOfRange)
{
    KQelSdkManager manager;
    KQelPose* pose = manager.CreateKQelPose("Rest", false);
    const KQelMatrix a = Translation(1, 2, 3);
    const KQelMatrix b = Translation(1, 2, 4);
    EXPECT_EQ(pose->Add("Hips", a, true), 0);
    EXPECT_EQ(pose->Add("Spine", b), 1);
    EXPECT_EQ(pose->Add("Hips", a, false), 0);  // same pair: same entry, flag kept
    EXPECT_EQ(pose->Add("Hips", b), -1);
    EXPECT_EQ(pose->Add(nullptr, b), -1);
    EXPECT_EQ(pose->GetCount(), 2);
    EXPECT_TRUE(pose->IsLocalMatrix(0));
    EXPECT_EQ(pose->Find("hips"), -1);
    EXPECT_EQ(pose->Find(nullptr), -1);

    KQelMatrix identity;
    identity.SetIdentity();
    EXPECT_TRUE(pose->GetMatrix(-1) == identity);
    EXPECT_TRUE(pose->GetMatrix(2) == identity);
    EXPECT_STREQ(pose->GetNodeName(2).Buffer(), "");
    EXPECT_FALSE(pose->IsLocalMatrix(-1));

    // Removal and renaming keep lookups right.
    pose->Remove(0);
    pose->Remove(7);
    EXPECT_EQ(pose->Find("Spine"), 0);
    EXPECT_EQ(pose->Find("Hips"), -1);
    EXPECT_EQ(pose->Add("Hips", b), 1);
    pose->ReplaceNodeName(0, "Chest");
    pose->ReplaceNodeName(1, "");
    pose->ReplaceNodeName(1, nullptr);
    pose->ReplaceNodeName(5, "Lost");
    EXPECT_EQ(pose->Find("Chest"), 0);
    EXPECT_EQ(pose->Find("Spine"), -1);
    EXPECT_STREQ(pose->GetNodeName(1).Buffer(), "Hips");
    EXPECT_TRUE(pose->GetMatrix(1) == b);
    pose->ReplaceNodeName(1, "Chest");  // two entries of one name: the first answers
    EXPECT_EQ(pose->Find("Chest"), 0);
}

TEST(KQelPose, KindGivesTypeNameAndPrefix)
{
    KQelSdkManager manager;
    const struct {
        bool bind;
        const char* type;
    } kinds[] = {{true, "BindPose"}, {false, "RestPose"}};
    for (const auto& kind : kinds) {
        KQelPose* pose = manager.CreateKQelPose("Model::P", kind.bind);
        EXPECT_STREQ(pose->GetTypeName().Buffer(), kind.type);
        EXPECT_STREQ(pose->GetName(), "Pose::P");
        EXPECT_EQ(pose->GetTypeFlags().GetCount(), 0);
        EXPECT_EQ(pose->GetTakeNodeCount(), 0);
        EXPECT_EQ(pose->GetPropertyHandler()->GetKQelPose(), pose);
    }
    EXPECT_EQ(manager.FindKQelPose("P"), nullptr);
    EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
    EXPECT_EQ(manager.FindKQelPose("Pose::P"), manager.GetKQelPose(0));
}

// Bind poses of one manager's scenes never disagree about a node; a rest
// pose is free, and a destroyed bind pose no longer counts.
TEST(KQelPose, BindPosesAgreeAcrossTheScenesOfAManager)
{
    KQelSdkManager manager;
    KQelScene* s1 = manager.CreateKQelScene();
    KQelScene* s2 = manager.CreateKQelScene();
    KQelPose* p1 = manager.CreateKQelPose("P1", true);
    KQelPose* p2 = manager.CreateKQelPose("P2", true);
    KQelPose* rest = manager.CreateKQelPose("R", false);
    const KQelMatrix held = Translation(1, 2, 3);
    const KQelMatrix other = Translation(1, 2, 4);
    ASSERT_EQ(p1->Add("Hips", held), 0);
    // Outside any scene, p1 is not consulted.
    EXPECT_EQ(p2->Add("Hips", other), 0);
    p2->Remove(0);

    s1->AddPose(p1);
    s2->AddPose(p2);
    s2->AddPose(rest);
    EXPECT_EQ(p2->Add("Hips", other), -1);
    EXPECT_EQ(p2->Add("Hips", held), 0);
    p2->Remove(0);
    EXPECT_EQ(rest->Add("Hips", other), 0);

    // p1 held by both scenes, then destroyed: neither keeps it.
    s2->AddPose(p1);
    EXPECT_TRUE(manager.DestroyKQelPose(p1));
    EXPECT_EQ(s1->GetPoseCount(), 0);
    EXPECT_EQ(s2->GetPoseCount(), 2);
    EXPECT_EQ(p2->Add("Hips", other), 0);
    EXPECT_FALSE(manager.DestroyKQelPose(p1));
}

TEST(KQelPose, SearchesOverTheScenesFilterByKind)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelPose* rest = manager.CreateKQelPose("R", false);
    KQelPose* bind = manager.CreateKQelPose("B", true);
    scene->AddPose(rest);
    scene->AddPose(bind);
    const KQelMatrix m = Translation(0, 1, 0);
    rest->Add("Hips", m);
    bind->Add("Root", m);
    bind->Add("Hips", m);

    typedef bool (*Search)(KQelSdkManager&, const char*, KArrayTemplate<KQelPose*>&, KArrayTemplate<int>&);
    const struct {
        Search search;
        const char* name;
        KQelPose* poses[2];
        int indices[2];
        int count;
    } cases[] = {
        {&KQelPose::GetPosesContaining, "Hips", {rest, bind}, {0, 1}, 2},
        {&KQelPose::GetBindPoseContaining, "Hips", {bind}, {1}, 1},
        {&KQelPose::GetRestPoseContaining, "Hips", {rest}, {0}, 1},
        {&KQelPose::GetRestPoseContaining, "Root", {}, {}, 0},
        {&KQelPose::GetPosesContaining, "Spine", {}, {}, 0},
    };
    for (const auto& c : cases) {
        KQelPose* sentinel = nullptr;
        KArrayTemplate<KQelPose*> poses;
        KArrayTemplate<int> indices;
        poses.Add(sentinel);  // the arrays are appended to
        indices.Add(-7);
        EXPECT_EQ(c.search(manager, c.name, poses, indices), c.count > 0) << c.name;
        ASSERT_EQ(poses.GetCount(), 1 + c.count) << c.name;
        ASSERT_EQ(indices.GetCount(), 1 + c.count) << c.name;
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(poses.GetAt(1 + i), c.poses[i]) << c.name;
            EXPECT_EQ(indices.GetAt(1 + i), c.indices[i]) << c.name;
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
