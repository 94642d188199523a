// Smooth skins: links per geometry and influence, the weight threshold,
// the pose entries of pivot nulls and the progress texts.
#include <cmath>

#include <vesk/MEulerRotation.h>
#include <vesk/MTransformationMatrix.h>

#include <gtest/gtest.h>

#include "export/deformer_fixture.h"

using namespace qelsdk_600;

using Pairs = std::vector<std::pair<int, double>>;

// The single-precision 0.001 lies above the double 0.001 and is kept; the
// float just below it is not; an influence without any kept weight still
// gets its link.
TEST_F(DeformerTest, WeightsAreKeptAboveTheThresholdAsTheHostStoresThem)
{
    vesk::fixture::makeShape("mesh", "body");
    Joint("hip", "");
    Joint("knee", "hip", 0, 2, 0);
    const MObject skin = Skin("skin", {"hip", "knee"}, "body", false);
    SetWeights(skin, "bodyShape", 0, {{0, 0.001f}, {1, std::nextafter(0.001f, 0.0f)}, {2, 0.7f}, {24, 1.25f}});
    SetWeights(skin, "bodyShape", 1, {{3, 0.0005f}});
    ASSERT_TRUE(ExportAndRead());

    const std::vector<KQelLink*> links = Links("body");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(LinkName(links[0]), "hip");
    EXPECT_EQ(Points(links[0]), (Pairs{{0, 0.0010000000474974513}, {2, double(0.7f)}, {24, 1.25}}));
    EXPECT_EQ(links[0]->GetLinkMode(), KQelLink::eNormalize);
    EXPECT_EQ(LinkName(links[1]), "knee");
    EXPECT_EQ(Points(links[1]), Pairs{});
}

// The second geometry's links come first, each geometry's links in the
// order of the influences, and one pose holds both geometries.
TEST_F(DeformerTest, ASkinOverTwoMeshesLinksEachInInfluenceOrder)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "other");
    Transform("other").setTranslation(MVector(0, 0, 9), MSpace::kTransform);
    Joint("hip", "");
    Joint("knee", "hip", 0, 2, 0);
    const MObject skin = Skin("skin", {"knee", "hip"}, "body", false);
    const long index = vesk::attachDeformer(vesk::ObjectAccess::node(skin), vesk::fixture::node("otherShape"),
                                            nullptr);
    ASSERT_EQ(index, 1);
    vesk::skinWeightsOf(vesk::ObjectAccess::node(skin))->setPointCount(1, 25);
    SetWeights(skin, "bodyShape", 0, {{1, 0.5f}});
    SetWeights(skin, "bodyShape", 1, {{2, 0.5f}});
    SetWeights(skin, "otherShape", 1, {{4, 1.0f}});
    ASSERT_TRUE(ExportAndRead());

    for (const char* geometry : {"body", "other"}) {
        const std::vector<KQelLink*> links = Links(geometry);
        ASSERT_EQ(links.size(), 2u) << geometry;
        EXPECT_EQ(LinkName(links[0]), "knee");
        EXPECT_EQ(LinkName(links[1]), "hip");
    }
    EXPECT_EQ(Points(Links("other")[1]), (Pairs{{4, 1.0}}));
    EXPECT_EQ(Entries(Pose("skin")), (std::vector<std::string>{"other", "knee", "hip", "body"}));
}

// With pivots replaced by nulls, a joint with a joint orient and a rotate
// axis gives three entries: its "__Pre_" null, itself without the
// post-rotation, and its "__Post_" null with it, which is the host's bind
// matrix again. The "__Pre_" null hangs below the parent's "__Post_" null,
// whose entry is made first.
TEST_F(DeformerTest, PivotNullsGetTheirOwnPoseEntries)
{
    Params().SetBoolParam(QelVeskUserParams::kExportPivotToNull, true);
    vesk::fixture::makeShape("mesh", "body");
    Joint("hip", "");
    Joint("knee", "hip", 0, 2, 0);
    ASSERT_TRUE(Run("setAttr hip.rotateAxis 0 45 0"));
    ASSERT_TRUE(Run("setAttr knee.jointOrient 0 0 90"));
    ASSERT_TRUE(Run("setAttr knee.rotateAxis 30 0 0"));
    Skin("skin", {"knee", "hip"}, "body");
    const MMatrix knee = path("knee").inclusiveMatrix(), hip = path("hip").inclusiveMatrix();
    ASSERT_TRUE(ExportAndRead());

    KQelPose* pose = Pose("skin");
    ASSERT_NE(pose, nullptr);
    EXPECT_EQ(Entries(pose),
              (std::vector<std::string>{"body", "knee", "hip", "hip__Post_", "knee__Pre_", "knee__Post_"}));
    auto matrix = [pose](const char* pName) { return pose->GetMatrix(pose->Find(pName)); };
    EXPECT_TRUE(Near(matrix("Model::knee__Post_"), Values(knee)));
    EXPECT_TRUE(Near(matrix("Model::hip__Post_"), Values(hip)));
    // The joint orient turned by the parent's world rotation, at the joint.
    MTransformationMatrix orient;
    orient.rotateTo(MEulerRotation(0, 0, M_PI / 2));
    MMatrix pre = orient.asMatrix() * hip;
    for (int axis = 0; axis < 3; ++axis)
        pre(3, axis) = knee(3, axis);
    EXPECT_TRUE(Near(matrix("Model::knee__Pre_"), Values(pre)));
    // Without its post-rotation the joint is turned from its bind matrix.
    EXPECT_FALSE(Near(matrix("Model::knee"), Values(knee), 1e-3));
    EXPECT_TRUE(Near(BindMatrix(Links("body")[0]), matrix("Model::knee")));
}

TEST_F(DeformerTest, ProgressCountsSkinClustersAndInfluences)
{
    std::vector<const char*> joints;
    static const char* const kNames[] = {"j0", "j1", "j2", "j3", "j4", "j5", "j6", "j7", "j8", "j9", "j10", "j11"};
    for (int i = 0; i < 12; ++i) {
        Joint(kNames[i], i == 0 ? "" : kNames[i - 1], 0, 1, 0);
        joints.push_back(kNames[i]);
    }
    static const char* const kMeshes[] = {"m1", "m2", "m3", "m4", "m5"};
    for (const char* mesh : kMeshes) {
        vesk::fixture::makeShape("mesh", mesh);
        Skin((std::string("skin_") + mesh).c_str(), mesh == kMeshes[1] ? joints : std::vector<const char*>{"j0"},
             mesh);
    }
    RecordingExport exporter;
    ASSERT_TRUE(Export(&exporter));
    std::vector<std::string> second;
    for (const std::string& text : exporter.mProgress)
        if (text.rfind("2 of 5. ", 0) == 0)
            second.push_back(text);
    ASSERT_EQ(second.size(), 12u);
    EXPECT_EQ(second[2], "2 of 5. Processing 3 of 12");
}
