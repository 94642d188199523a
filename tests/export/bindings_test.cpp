// Bind poses of skin clusters and clusters: which poses are kept, the
// conflict report, and the question asked when the host holds no bind
// pose.
#include <gtest/gtest.h>

#include "export/deformer_fixture.h"

using namespace qelsdk_600;

namespace {

const char kConflictLine[] =
    "QEL Export Warning: Unable to export bind poses because of conflicting data on these elements : ";

}  // namespace

TEST_F(DeformerTest, ScenesWithoutSkinsOrClustersGiveNoPoseLineOrDialog)
{
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    vesk::fixture::makeShape("mesh", "body");
    Joint("hip", "");
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(mRead->GetPoseCount(), 0);
    EXPECT_TRUE(standin::dialogs().empty());
    EXPECT_TRUE(LogLinesWith("bind pose").empty());
}

TEST_F(DeformerTest, WithoutBindPosesLinksStillGetTheirBindMatrices)
{
    Params().SetBoolParam(QelVeskUserParams::kExportBindPose, false);
    vesk::fixture::makeShape("mesh", "body");
    Joint("hip", "", 1, 2, 3);
    const MMatrix bound = path("hip").inclusiveMatrix();
    Skin("skin", {"hip"}, "body");
    Transform("hip").setTranslation(MVector(7, 0, 0), MSpace::kTransform);
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(mRead->GetPoseCount(), 0);
    const std::vector<KQelLink*> links = Links("body");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_TRUE(Near(BindMatrix(links[0]), Values(bound)));
}

// skinA and skinC share the joints with their one bind matrix each; skinB
// binds "body" again after it moved, so its entry for "body" conflicts and
// its pose alone goes, the report naming "body".
TEST_F(DeformerTest, APoseThatDisagreesIsDroppedAndReportedAlone)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "other");
    Joint("hip", "");
    Joint("knee", "hip", 0, 2, 0);
    Skin("skinA", {"hip", "knee"}, "body");
    Transform("body").setTranslation(MVector(5, 0, 0), MSpace::kTransform);
    Skin("skinB", {"hip"}, "body");
    Skin("skinC", {"knee"}, "other");
    ASSERT_TRUE(ExportAndRead());

    EXPECT_EQ(PoseNames(), (std::vector<std::string>{"skinA", "skinC"}));
    EXPECT_EQ(Entries(Pose("skinA")), (std::vector<std::string>{"body", "hip", "knee"}));
    // knee's ancestor hip comes with it.
    EXPECT_EQ(Entries(Pose("skinC")), (std::vector<std::string>{"other", "knee", "hip"}));
    KQelPose* a = Pose("skinA");
    KQelPose* c = Pose("skinC");
    EXPECT_TRUE(Near(c->GetMatrix(c->Find("Model::knee")), Values(path("knee").inclusiveMatrix())));
    EXPECT_TRUE(Near(a->GetMatrix(a->Find("Model::knee")), c->GetMatrix(c->Find("Model::knee"))));
    const std::vector<std::string> lines = LogLines();
    const auto report = std::find(lines.begin(), lines.end(), kConflictLine);
    ASSERT_NE(report, lines.end());
    ASSERT_LT(report + 2, lines.end());
    EXPECT_EQ(report[1], " / body");
    EXPECT_EQ(report[2], "");
    EXPECT_EQ(LogLinesWith("conflicting").size(), 1u);
}

// Two clusters weighted by one transform that has no bind pose: one pose
// for the transform, one question, whose "Yes" gives its current matrix.
TEST_F(DeformerTest, AMissingBindPoseIsAskedAboutOncePerExport)
{
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "other");
    make("transform", "grip");
    Transform("grip").setTranslation(MVector(1, 0, 0), MSpace::kTransform);
    Cluster(MFn::kCluster, "c1", "grip", {Member("bodyShape", Vertices({0, 1}))});
    Cluster(MFn::kCluster, "c2", "grip", {Member("otherShape", Vertices({3}))});
    standin::queueReply("QEL Export Question", standin::Reply::press("Yes").expecting(" / grip"));
    ASSERT_TRUE(ExportAndRead());

    ASSERT_EQ(standin::dialogs().size(), 1u);
    EXPECT_EQ(standin::dialogs()[0].buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_EQ(PoseNames(), (std::vector<std::string>{"grip"}));
    EXPECT_EQ(Entries(Pose("grip")), (std::vector<std::string>{"body", "grip", "other"}));
    for (const char* geometry : {"body", "other"}) {
        const std::vector<KQelLink*> links = Links(geometry);
        ASSERT_EQ(links.size(), 1u) << geometry;
        EXPECT_TRUE(Near(BindMatrix(links[0]), Values(path("grip").inclusiveMatrix())));
    }
    const std::vector<std::string> lines = LogLinesWith("grip");
    EXPECT_EQ(lines, (std::vector<std::string>{"QEL Export Warning: Could not retrieve bind pose for object :  / grip"}));
    EXPECT_EQ(LogLinesWith("Used the DAG node current transform.").size(), 1u);
}

TEST_F(DeformerTest, WithoutDialogsAMissingBindPoseDropsThePoseInOneLine)
{
    vesk::fixture::makeShape("mesh", "body");
    make("transform", "grip");
    Transform("grip").setTranslation(MVector(1, 0, 0), MSpace::kTransform);
    Cluster(MFn::kCluster, "c1", "grip", {Member("bodyShape", Vertices({0}))});
    ASSERT_TRUE(ExportAndRead());

    EXPECT_EQ(mRead->GetPoseCount(), 0);
    EXPECT_EQ(LogLinesWith("grip"), (std::vector<std::string>{
                                        "QEL Export Warning: Could not retrieve bind pose for object :  / grip"
                                        "No bind poses in the hierarchy containing the object will be exported."}));
    // The link keeps the identity it was given.
    const std::vector<KQelLink*> links = Links("body");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_TRUE(Near(BindMatrix(links[0]), Values(MMatrix())));
}

TEST_F(DeformerTest, LongPathsAreShortenedInTheConflictReport)
{
    const std::string group(200, 'g');
    make("transform", group.c_str());
    vesk::fixture::makeShape("mesh", "body", group);
    Joint("hip", "");
    Skin("skinA", {"hip"}, "body");
    Transform("body").setTranslation(MVector(0, 1, 0), MSpace::kTransform);
    Skin("skinB", {"hip"}, "body");
    ASSERT_TRUE(ExportAndRead());

    const std::string readable = " / " + group + " / body";
    const std::vector<std::string> lines = LogLines();
    const auto report = std::find(lines.begin(), lines.end(), kConflictLine);
    ASSERT_LT(report + 1, lines.end());
    EXPECT_EQ(report[1], readable.substr(0, 87) + " ... " + readable.substr(readable.size() - 88));
}
