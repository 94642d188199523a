// Hostile deformer set-ups: sparse influences, weights that are no
// numbers, a deformed mesh without geometry, and targets nested in other
// targets, above a skinned joint or above their own base. Each exports
// under the sanitizers and reads back.
#include <limits>

#include <gtest/gtest.h>

#include "export/deformer_fixture.h"
#include "geometry/geometry_kinds.h"

using namespace qelsdk_600;

using Pairs = std::vector<std::pair<int, double>>;

TEST_F(DeformerTest, SparseInfluencesAndWeightsThatAreNoNumbers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "other");
    Joint("hip", "");
    Joint("tail", "hip", 0, -1, 0);
    const MObject skin = Skin("skin", {"hip"}, "body", false);
    ASSERT_TRUE(vesk::fixture::connect("tail.worldMatrix[0]", "skin.matrix[5]"));
    vesk::SkinWeights* weights = vesk::skinWeightsOf(vesk::ObjectAccess::node(skin));
    weights->setWeight(0, 0, 0, nan);
    weights->setWeight(0, 1, 0, 1.0);
    weights->setWeight(0, 2, 5, std::numeric_limits<double>::infinity());
    weights->setWeight(0, 3, 5, 0.5);
    const vesk::ClusterNodes rig = Cluster(MFn::kJointCluster, "rig", "hip", {Member("otherShape", Vertices({1, 2}))});
    ASSERT_TRUE(vesk::setClusterWeight(rig.cluster, vesk::fixture::node("otherShape"), 1, nan));
    ASSERT_TRUE(ExportAndRead());

    const std::vector<KQelLink*> body = Links("body");
    ASSERT_EQ(body.size(), 2u);
    EXPECT_EQ(LinkName(body[1]), "tail");
    EXPECT_EQ(Points(body[0]), (Pairs{{1, 1.0}}));
    EXPECT_EQ(Points(body[1]), (Pairs{{3, 0.5}}));
    const std::vector<KQelLink*> other = Links("other");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(Points(other[0]), (Pairs{{2, 1.0}}));
}

// The bind state lost a vertex: the node carries no mesh, and neither the
// skin, the cluster nor the blend shape on it adds anything.
TEST_F(DeformerTest, AMeshThatLostItsGeometryGetsNoDeformation)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "smile");
    Joint("hip", "");
    Skin("skin", {"hip"}, "body");
    Cluster(MFn::kJointCluster, "rig", "hip", {Member("bodyShape", Vertices({1}))});
    ASSERT_TRUE(Run("blendShape -n mix smile body"));
    const int counts[] = {3};
    const int corners[] = {0, 1, 2};
    vesk::meshOf(vesk::fixture::node("bodyShapeOrig"))->build({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, counts, 1, corners);
    ASSERT_TRUE(ExportAndRead());

    ASSERT_NE(Node("body"), nullptr);
    EXPECT_EQ(Node("body")->GetGeometry(), nullptr);
    EXPECT_EQ(LogLinesWith("Mismatched number of vertices").size(), 1u);
    // Its blend shape was not looked at: the target was not taken away.
    EXPECT_NE(Node("smile"), nullptr);
}

// The target "outer" holds the target "inner"; the target "rig" holds the
// joint a skin uses; the target "holder" holds the base itself. The nested targets go once, the others
// stay with what refers to them.
TEST_F(DeformerTest, TargetNodesGoOnlyWhereNothingElseNeedsThem)
{
    for (const std::string& text :
         {std::string("polyMesh -n holder -pt \"0 0 5  1 0 5  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("polyMesh -n face -p holder -pt \"0 0 0  1 0 0  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("polyMesh -n outer -pt \"0 0 1  1 0 1  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("polyMesh -n inner -p outer -pt \"0 0 2  1 0 2  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("polyMesh -n rig -pt \"0 0 3  1 0 3  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("polyMesh -n arm -pt \"0 0 0  1 0 0  1 1 0  0 1 0\" -f \"0 1 2 3\""),
          std::string("createNode joint -n bone -p rig"), std::string("blendShape -n mix outer inner rig holder face")})
        ASSERT_TRUE(Run(text));
    Skin("skin", {"rig|bone"}, "arm");
    ASSERT_TRUE(ExportAndRead());

    EXPECT_EQ(Node("outer"), nullptr);
    EXPECT_EQ(Node("inner"), nullptr);
    ASSERT_NE(Node("bone"), nullptr);
    EXPECT_EQ(Children(Node("rig")), (std::vector<std::string>{"bone"}));
    ASSERT_EQ(Links("arm").size(), 1u);
    EXPECT_EQ(Links("arm")[0]->GetLink(), Node("bone"));
    ASSERT_NE(Node("face"), nullptr);
    EXPECT_EQ(Node("face")->GetGeometry()->GetShapeCount(), 4);
    EXPECT_EQ(Children(Node("holder")), (std::vector<std::string>{"face"}));
}
