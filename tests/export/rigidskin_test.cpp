// Rigid binds and clusters: one additive link per member geometry, its
// points and weights, its hint, associate model and compensation link.
#include <gtest/gtest.h>

#include <vesk/MFnDoubleIndexedComponent.h>

#include "export/deformer_fixture.h"

using namespace qelsdk_600;

using Pairs = std::vector<std::pair<int, double>>;

namespace {

std::string Hint(KQelLink* pLink)
{
    return pLink->GetUserData("Vesk_ClusterHint").Buffer();
}

}  // namespace

TEST_F(DeformerTest, ARigidBindOfTwoMeshesLinksEachToTheJoint)
{
    vesk::fixture::makeShape("mesh", "body");
    vesk::fixture::makeShape("mesh", "other");
    Transform("other").setTranslation(MVector(0, 3, 0), MSpace::kTransform);
    Joint("arm", "");
    const vesk::ClusterNodes rig = Cluster(MFn::kJointCluster, "rig", "arm",
                                           {Member("bodyShape", Vertices({2, 5, 9})), Member("otherShape", Vertices({7}))});
    ASSERT_TRUE(vesk::setClusterWeight(rig.cluster, vesk::fixture::node("bodyShape"), 5, 0.5));
    ASSERT_TRUE(ExportAndRead());

    const std::vector<KQelLink*> body = Links("body"), other = Links("other");
    ASSERT_EQ(body.size(), 1u);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(Points(body[0]), (Pairs{{2, 1.0}, {5, 0.5}, {9, 1.0}}));
    EXPECT_EQ(Points(other[0]), (Pairs{{7, 1.0}}));
    for (KQelLink* link : {body[0], other[0]}) {
        EXPECT_EQ(LinkName(link), "arm");
        EXPECT_EQ(link->GetLinkMode(), KQelLink::eAdditive);
        EXPECT_EQ(Hint(link), "RigidBind");
        EXPECT_EQ(link->GetAssociateModelName(), KString(""));
    }
    EXPECT_TRUE(Near(GeometryMatrix(other[0]), Values(path("other").inclusiveMatrix())));
    EXPECT_EQ(Entries(Pose("arm")), (std::vector<std::string>{"body", "arm", "other"}));
}

// A second shape under the transform is a member of its own, read against
// the node's geometry, the first shape's 10 points: vertices 10 and 24 are
// past it.
TEST_F(DeformerTest, MemberPointsPastTheNodesGeometryAreSkipped)
{
    MakeStrip("pair", 4);
    MakeMesh("spare", std::vector<MPoint>(25, MPoint(0, 0, 0)), {{0, 1, 2, 3}});
    MFnDagNode(object("pair")).addChild(MFnDagNode(object("spare")).child(0));
    Joint("arm", "");
    Cluster(MFn::kJointCluster, "rig", "arm",
            {Member("pairShape", Vertices({2, 5, 9})), Member("spareShape", Vertices({3, 10, 24}))});
    ASSERT_TRUE(ExportAndRead());

    const std::vector<KQelLink*> links = Links("pair");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(Points(links[0]), (Pairs{{2, 1.0}, {5, 1.0}, {9, 1.0}}));
    EXPECT_EQ(Points(links[1]), (Pairs{{3, 1.0}}));
}

// Host CV (u 1, v 2) of a surface of 3 x 4 host CVs is SDK control point
// 2 + 1 x 4: the export exchanges the directions.
TEST_F(DeformerTest, SurfaceCVsLandWhereTheSurfaceExportPutsThem)
{
    ASSERT_TRUE(Run("surface -n sheet -du 1 -dv 1 -ku \"0 1 2\" -kv \"0 1 2 3\" -pt \"0 0 0  0 0 1  0 0 2  0 0 3  "
                    "1 0 0  1 0 1  1 0 2  1 0 3  2 0 0  2 0 1  2 0 2  2 0 3\""));
    Joint("arm", "");
    MFnDoubleIndexedComponent cvs;
    MObject component = cvs.create(MFn::kSurfaceCVComponent);
    cvs.addElement(1, 2);
    Cluster(MFn::kJointCluster, "rig", "arm", {Member("sheetShape", component)});
    ASSERT_TRUE(ExportAndRead());

    const std::vector<KQelLink*> links = Links("sheet");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(Points(links[0]), (Pairs{{6, 1.0}}));
    const KQelVector4 point = Node("sheet")->GetGeometry()->GetControlPoints()[6];
    EXPECT_EQ(point[0], 1.0);
    EXPECT_EQ(point[2], 2.0);
}

// One cluster of each kind, each on a mesh of its own: the hint by kind and
// "relative"; below a group, the group as associate model and, for a
// cluster that is not relative, a compensation link to it; nothing of that
// for a handle under the world.
TEST_F(DeformerTest, ClusterLinksCarryTheirHintsAssociatesAndCompensation)
{
    struct Case {
        const char* mMesh;
        MFn::Type mKind;
        const char* mWeighted;
        bool mRelative;
        std::vector<std::string> mHints;
        const char* mAssociate;
    };
    const std::vector<Case> cases = {
        {"m1", MFn::kCluster, "rig|g1", false, {"WeightedCluster", "CompensationCluster"}, "rig"},
        {"m2", MFn::kCluster, "rig|g2", true, {"WeightedRelativeCluster"}, "rig"},
        {"m3", MFn::kCluster, "g3", false, {"WeightedCluster"}, ""},
        {"m4", MFn::kJointCluster, "rig|j4", true, {"RigidBind"}, "rig"},
    };
    make("transform", "rig");
    Transform("rig").setTranslation(MVector(0, 0, 4), MSpace::kTransform);
    for (const Case& c : cases) {
        vesk::fixture::makeShape("mesh", c.mMesh);
        const std::string weighted(c.mWeighted);
        const size_t bar = weighted.find('|');
        if (c.mKind == MFn::kJointCluster)
            Joint(weighted.substr(bar + 1).c_str(), "rig");
        else
            make("transform", weighted.substr(bar + 1).c_str(), bar == std::string::npos ? "" : "rig");
        Cluster(c.mKind, "", c.mWeighted, {Member((std::string(c.mMesh) + "Shape").c_str(), Vertices({3, 4}))},
                c.mRelative);
    }
    ASSERT_TRUE(ExportAndRead());

    for (const Case& c : cases) {
        const std::vector<KQelLink*> links = Links(c.mMesh);
        std::vector<std::string> hints;
        for (KQelLink* link : links)
            hints.push_back(Hint(link));
        EXPECT_EQ(hints, c.mHints) << c.mMesh;
        if (links.empty())
            continue;
        EXPECT_EQ(Points(links[0]), (Pairs{{3, 1.0}, {4, 1.0}})) << c.mMesh;
        const std::string associate = links[0]->GetAssociateModelName().Buffer();
        EXPECT_EQ(associate, *c.mAssociate ? "Model::" + std::string(c.mAssociate) : "") << c.mMesh;
        if (links.size() < 2)
            continue;
        EXPECT_EQ(LinkName(links[1]), "rig");
        EXPECT_EQ(links[1]->GetLinkMode(), KQelLink::eAdditive);
        EXPECT_EQ(Points(links[1]), (Pairs{{3, 1.0}, {4, 1.0}}));
        EXPECT_TRUE(Near(BindMatrix(links[1]), Values(path("rig").inclusiveMatrix())));
    }
}

// A cluster made before a rigid bind of the same mesh sits earlier in its
// chain: each handle still exports its own deformer.
TEST_F(DeformerTest, EachClusterHandleExportsItsOwnDeformer)
{
    vesk::fixture::makeShape("mesh", "body");
    make("transform", "grip");
    Joint("arm", "");
    Cluster(MFn::kCluster, "soft", "grip", {Member("bodyShape", Vertices({1}))});
    Cluster(MFn::kJointCluster, "rig", "arm", {Member("bodyShape", Vertices({2}))});
    ASSERT_TRUE(ExportAndRead());

    std::vector<std::string> links;
    for (KQelLink* link : Links("body"))
        links.push_back(LinkName(link) + " " + Hint(link) + " " + std::to_string(Points(link)[0].first));
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"arm RigidBind 2", "grip WeightedCluster 1"}));
}
