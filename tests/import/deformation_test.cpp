// Deformations: smooth skins bound in the file's bind pose, clusters, rigid
// skins, the bind-pose stage that puts the nodes back, and the component
// sets and texts they select with.
#include "import_fixture.h"

#include <numeric>

#include <vesk/MFnTransform.h>
#include <vesk/MSelectionList.h>

#include "content/kqelcamera.h"
#include "content/kqellink.h"
#include "content/kqelnurb.h"
#include "import/elementrange.h"
#include "import/qelveskimportdeform.h"
#include "scene/kqelpose.h"

using namespace qelsdk_600;

namespace {

// ---- Index sets and component texts ----

KQelLink* linkOf(KQelSdkManager& pManager, const std::vector<std::pair<int, double>>& pEntries,
                 KQelLink::ELinkMode pMode = KQelLink::eNormalize)
{
    KQelLink* link = pManager.CreateKQelLink();
    link->SetLinkMode(pMode);
    for (const auto& entry : pEntries)
        link->AddControlPointIndex(entry.first, entry.second);
    return link;
}

std::vector<std::pair<int, double>> entriesOf(KQelLink* pLink)
{
    std::vector<std::pair<int, double>> out;
    for (int i = 0; i < pLink->GetControlPointIndicesCount(); ++i)
        out.emplace_back(pLink->GetControlPointIndices()[i],
                         std::round(pLink->GetControlPointWeights()[i] * 1e12) / 1e12);
    return out;
}

TEST(ComponentRangeTest, UnionsOfLinksBecomeRunsAndQuotedTerms)
{
    KQelSdkManager manager;
    const struct {
        std::vector<std::vector<int>> links;
        std::vector<int> set;
        const char* terms;
    } cases[] = {
        {{{5, 2, 5}, {2, 9}}, {2, 5, 9}, " \"P[2]\" \"P[5]\" \"P[9]\""},
        {{{8, 7, 0}, {2, 1, 5, 0}}, {0, 1, 2, 5, 7, 8}, " \"P[0:2]\" \"P[5]\" \"P[7:8]\""},
        {{{4}}, {4}, " \"P[4]\""},
        {{{6, 5, 4, 3}}, {3, 4, 5, 6}, " \"P[3:6]\""},
        {{{}}, {}, ""},
    };
    for (const auto& c : cases) {
        KArrayTemplate<int> set;
        for (const std::vector<int>& indices : c.links) {
            std::vector<std::pair<int, double>> entries;
            for (int index : indices)
                entries.emplace_back(index, 1.0);
            FillClusterElements(set, linkOf(manager, entries));
        }
        const int* items = static_cast<const int*>(set.GetArray());
        EXPECT_EQ(std::vector<int>(items, items + set.GetCount()), c.set);
        KArrayTemplate<ElementRange*> ranges;
        GroupElementsByRange(set, ranges);
        KString text, prefix("P");
        BuildSelectCommandArgFromElementRange(text, ranges, prefix);
        EXPECT_STREQ(text.Buffer(), c.terms);
        for (int i = 0; i < ranges.GetCount(); ++i)
            delete ranges[i];
        EXPECT_EQ(BSearchArrayTemplate(set, 5), std::count(c.set.begin(), c.set.end(), 5) == 1);
    }
}

TEST(ComponentRangeTest, SurfacePointsAreOneTermEachSplitByTheUCount)
{
    KQelSdkManager manager;
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(2, 2);
    nurb->InitControlPoints(4, KQelNurb::kOpen, 3, KQelNurb::kOpen);
    KArrayTemplate<int> set;
    for (int index : {0, 3, 4, 7})
        set.Add(index);
    KString text, prefix("|band.cv");
    EXPECT_TRUE(BuildSelectCommandArgFromElementCV(text, set, prefix, nurb));
    EXPECT_STREQ(text.Buffer(), " \"|band.cv[0][0]\" \"|band.cv[0][3]\" \"|band.cv[1][0]\" \"|band.cv[1][3]\"");
    // No U count: nothing rather than a division by zero.
    KString none;
    EXPECT_FALSE(BuildSelectCommandArgFromElementCV(none, set, prefix, manager.CreateKQelNurb()));
    EXPECT_TRUE(none.IsEmpty());
}

TEST(ComponentRangeTest, LinksSortByIndexWithTheirWeightsKeepingRepeatsInOrder)
{
    KQelSdkManager manager;
    const struct {
        std::vector<std::pair<int, double>> in, out;
    } cases[] = {
        {{{5, 0.5}, {2, 0.2}, {9, 0.9}}, {{2, 0.2}, {5, 0.5}, {9, 0.9}}},
        {{{3, 0.1}, {1, 0.2}, {3, 0.3}, {1, 0.4}}, {{1, 0.2}, {1, 0.4}, {3, 0.1}, {3, 0.3}}},
        {{{7, 1.0}}, {{7, 1.0}}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        KQelLink* link = linkOf(manager, c.in);
        QelVeskImport::SortControlPointsOnSmoothSkin(link);
        EXPECT_EQ(entriesOf(link), c.out);
    }
    // Sorted and reversed runs, a first-key quicksort's worst cases.
    for (bool reversed : {false, true}) {
        std::vector<int> keys(100000);
        std::iota(keys.begin(), keys.end(), 0);
        if (reversed)
            std::reverse(keys.begin(), keys.end());
        std::vector<double> values(keys.begin(), keys.end());
        DoubleQuickSort(keys.data(), values.data(), 0, static_cast<int>(keys.size()) - 1);
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
        EXPECT_EQ(values[4321], 4321.0);
    }
}

TEST(ComponentRangeTest, PreNormalizeMakesEachPointsSharesSumToOne)
{
    KQelSdkManager manager;
    KQelMesh* mesh = meshOf(manager, 6, {});
    KQelNode* bone = manager.CreateKQelNode("bone");
    const std::vector<std::pair<int, double>> first = {{0, 0.5}, {1, 1.3}, {2, 0.2}, {4, 0.0}, {5, 0.3}};
    const std::vector<std::pair<int, double>> second = {{2, 0.6}, {4, 0.0}};
    const std::vector<std::pair<int, double>> additive = {{0, 0.5}, {3, 0.4}};
    for (const auto* entries : {&first, &second}) {
        mesh->AddLink(linkOf(manager, *entries, KQelLink::eTotal1));
        mesh->GetLink(mesh->GetLinkCount() - 1)->SetLink(bone);
    }
    mesh->AddLink(linkOf(manager, additive, KQelLink::eAdditive));
    mesh->GetLink(2)->SetLink(bone);
    // A link without node takes no part.
    mesh->AddLink(linkOf(manager, {{5, 0.3}}));
    PreNormalize(mesh);
    EXPECT_EQ(entriesOf(mesh->GetLink(0)), (std::vector<std::pair<int, double>>{
                                                {0, 1.0}, {1, 1.3}, {2, 0.25}, {4, 0.0}, {5, 1.0}}));
    EXPECT_EQ(entriesOf(mesh->GetLink(1)), (std::vector<std::pair<int, double>>{{2, 0.75}, {4, 0.0}}));
    EXPECT_EQ(entriesOf(mesh->GetLink(2)), additive);
    EXPECT_EQ(entriesOf(mesh->GetLink(3)), (std::vector<std::pair<int, double>>{{5, 0.3}}));
}

// ---- Clusters, rigid skins and the driver on scenes in memory ----

// Scenes built in a manager of their own, written as a file and imported
// whole (import type 2) in this process.
class DeformerTest : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eCreate);
        mScene = mSdk.CreateKQelScene();
    }
    KQelNode* at(const char* pName, KQelNode* pParent, KQelNodeAttribute* pAttribute = nullptr)
    {
        return add(mSdk, pParent ? pParent : mScene->GetRootNode(), pName, pAttribute);
    }
    // Points (x, y, 0), x 0 or 1, y the row; a quad between rows.
    KQelNode* mesh(const char* pName, int pRows, KQelNode* pParent = nullptr)
    {
        std::vector<std::vector<int>> polygons;
        for (int r = 0; r + 1 < pRows; ++r)
            polygons.push_back({2 * r, 2 * r + 1, 2 * r + 3, 2 * r + 2});
        KQelMesh* made = meshOf(mSdk, 2 * pRows, polygons);
        for (int i = 0; i < 2 * pRows; ++i)
            made->GetControlPoints()[i] = KQelVector4(i % 2, i / 2, 0, 1);
        return at(pName, pParent, made);
    }
    KQelNode* joint(const char* pName, KQelNode* pParent = nullptr)
    {
        KQelSkeleton* made = mSdk.CreateKQelSkeleton();
        // A root without limbs would come in as a null.
        made->SetSkeletonType(KQelSkeleton::eLimbNode);
        return at(pName, pParent, made);
    }
    KQelLink* link(KQelNode* pMesh, KQelNode* pBone, const std::vector<std::pair<int, double>>& pEntries,
                   KQelLink::ELinkMode pMode, const char* pHint = nullptr)
    {
        KQelLink* made = linkOf(mSdk, pEntries, pMode);
        made->SetLink(pBone);
        if (pHint)
            made->SetUserData(KString("Vesk_ClusterHint"), KString(pHint));
        pMesh->GetGeometry()->AddLink(made);
        return made;
    }
    // A bind pose holding the nodes' global matrices: translations only.
    void pose(const std::vector<std::pair<KQelNode*, KQelVector4>>& pEntries)
    {
        KQelPose* made = mSdk.CreateKQelPose("bind", true);
        for (const auto& entry : pEntries)
            made->Add(entry.first->GetName(), KQelMatrix(entry.second, KQelVector4(), KQelVector4(1, 1, 1, 1)));
        mScene->AddPose(made);
    }
    // Writes the scene and imports it; the import log.
    std::string import()
    {
        const std::string path = ScratchDir() + "/deform.qel";
        KQelExporter exporter(mSdk);
        EXPECT_TRUE(exporter.Initialize(path.c_str()) && exporter.Export(*mScene));
        mImport.reset(new QelVeskImport);
        EXPECT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
        EXPECT_EQ(mImport->Import(), MStatus::kSuccess);
        return logText();
    }

    KQelSdkManager mSdk;
    KQelScene* mScene = nullptr;
};

TEST_F(DeformerTest, ClusterWeightsGoInRunsAndOneNodeKeepsOneClusterForEveryGeometry)
{
    KQelNode* handle = at("bulge", nullptr);
    KQelNode* legs[] = {mesh("left", 6), mesh("right", 6)};
    link(legs[0], handle, {{4, 0.5}, {5, 0.5}, {6, 0.5}, {9, 0.25}}, KQelLink::eAdditive, "WeightedCluster");
    // Neighbours within 1e-5 share a run; descending indices do not.
    link(legs[1], handle, {{7, 0.3}, {8, 0.300005}, {2, 0.4}, {1, 0.4}}, KQelLink::eAdditive);
    import();
    // "left" makes the cluster, "right" adds its points to it.
    EXPECT_EQ(loggedCommands("^(cluster|percent) "),
              (std::vector<std::string>{
                  "cluster -n \"bulge\" -bf -bs 1.0  -wn \"|bulge\"  \"|bulge\"",
                  "percent -v 0.500000 \"bulge1\"  \"|left.vtx[4:6]\"",
                  "percent -v 0.250000 \"bulge1\"  \"|left.vtx[9]\"",
                  "percent -v 0.300000 \"bulge1\"  \"|right.vtx[7:8]\"",
                  "percent -v 0.400000 \"bulge1\"  \"|right.vtx[2]\"",
                  "percent -v 0.400000 \"bulge1\"  \"|right.vtx[1]\"",
              }));
    EXPECT_EQ(dumpLines("^attr \"bulge1\" weightList\\[\\d\\]\\.weights\\[\\d\\] "),
              (std::vector<std::string>{
                  "attr \"bulge1\" weightList[0].weights[4] = - 0.5",
                  "attr \"bulge1\" weightList[0].weights[5] = - 0.5",
                  "attr \"bulge1\" weightList[0].weights[6] = - 0.5",
                  "attr \"bulge1\" weightList[0].weights[9] = - 0.25",
                  "attr \"bulge1\" weightList[1].weights[1] = - 0.4",
                  "attr \"bulge1\" weightList[1].weights[2] = - 0.4",
                  "attr \"bulge1\" weightList[1].weights[7] = - 0.3",
                  "attr \"bulge1\" weightList[1].weights[8] = - 0.3",
              }));
}

TEST_F(DeformerTest, LinksAreSortedByModeHintAndNodeKind)
{
    KQelNode* bone = joint("bone");
    KQelNode* other = joint("other");
    KQelNode* loose[] = {at("a", nullptr), at("b", nullptr), at("c", nullptr)};
    KQelNode* skin = mesh("skin", 3);
    link(skin, bone, {{0, 1.0}, {1, 1.0}}, KQelLink::eNormalize);
    for (KQelNode* n : loose)
        link(skin, n, {{2, 1.0}}, KQelLink::eTotal1);
    // Additive links to a joint bind rigidly; "CompensationCluster" is left
    // out; "RigidBind" compares with regard to case.
    link(skin, other, {{3, 1.0}}, KQelLink::eAdditive);
    link(skin, loose[0], {{4, 1.0}}, KQelLink::eAdditive, "CompensationCluster");
    link(skin, loose[1], {{5, 1.0}}, KQelLink::eAdditive, "rigidbind");
    pose({{bone, KQelVector4(0, 0, 0, 1)}});
    QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
    standin::queueReply("QEL import error", standin::Reply::press("Ok"));
    const std::string log = import();

    EXPECT_EQ(loggedCommands("^(cluster|newBindSkin|newSkinCluster) "),
              (std::vector<std::string>{"cluster -n \"b\" -bf -bs 1.0  -wn \"|b\"  \"|b\"",
                                        "newBindSkin \"-byClosestPoint -toSelectedBones\"",
                                        "newSkinCluster \"-toSelectedBones -mi 5 -dr 4\""}));
    EXPECT_EQ(loggedCommands("^select -tgl \"\\|other"), std::vector<std::string>{"select -tgl \"|other\" "});
    const std::vector<std::string> messages = dialogMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "The following DAG nodes influence the skin in the source QEL file but because they are "
                           "not of type Joint, they are ignored:\n\n        a, b, c\n        \n\nThe resulting skin "
                           "operation may produce errors.\n");
    for (const char* line : {"\na\n", "\nb\n", "\nc\n", "\nThe resulting skin operation may produce errors.\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(DeformerTest, SkinsThatCannotBeMadeWholeLeaveALogLineAndNoHalfSkin)
{
    // A bone under a reserved camera leaves with the camera: its link is
    // left out. A skeleton root named "RootNode" gets no host node.
    KQelNode* camera = at("persp", nullptr, mSdk.CreateKQelCamera());
    KQelNode* bone = joint("good");
    KQelNode* skins[] = {mesh("kept", 3), mesh("unbound", 3), mesh("repeated", 3)};
    link(skins[0], bone, {{0, 1.0}, {1, 1.0}}, KQelLink::eNormalize);
    link(skins[0], joint("gone", camera), {{2, 1.0}}, KQelLink::eNormalize);
    KQelSkeleton* rootSkeleton = mSdk.CreateKQelSkeleton();
    rootSkeleton->SetSkeletonType(KQelSkeleton::eRoot);
    link(skins[1], bone, {{0, 1.0}}, KQelLink::eNormalize);
    link(skins[1], at("RootNode", nullptr, rootSkeleton), {{1, 1.0}}, KQelLink::eNormalize);
    // The same bone three times: the host binds one influence.
    for (int i = 0; i < 3; ++i)
        link(skins[2], bone, {{i, 1.0}}, KQelLink::eNormalize);
    pose({{bone, KQelVector4(0, 0, 0, 1)}});
    const std::string log = import();

    EXPECT_EQ(dumpLines("^skin \\S+ geometry "), std::vector<std::string>{"skin \"skinCluster1\" geometry 0 = 6 0"});
    EXPECT_EQ(dumpLines("^connect \"\\|kept\\|keptShape\" inMesh = \"skinCluster1\""), std::vector<std::string>{
        "connect \"|kept|keptShape\" inMesh = \"skinCluster1\" outputGeometry[0]"});
    EXPECT_NE(log.find("Smooth skin of unbound not made: the bone RootNode has no host node."), std::string::npos)
        << log;
    EXPECT_NE(log.find("Smooth skin of repeated deleted: the host bound 1 influences for 3 links."),
              std::string::npos) << log;
    EXPECT_EQ(loggedCommands("^delete "), std::vector<std::string>{"delete \"skinCluster2\""});
}

// ---- Bind poses ----

// hip (0, 1, 0) turned (0, 100, 0) with knee (0, -2, 0) mirrored (-1, 1, 1)
// below it: their channels at import time. The bind pose has them upright
// at (0, 0, 0) and (0, -2, 0), the mesh at the origin.
class BindPoseTest : public DeformerTest {
protected:
    void leg()
    {
        mHip = joint("hip");
        mKnee = joint("knee", mHip);
        mHip->SetDefaultT(KQelVector4(0, 1, 0, 1));
        mHip->SetDefaultR(KQelVector4(0, 100, 0, 0));
        mKnee->SetDefaultT(KQelVector4(0, -2, 0, 1));
        mKnee->SetDefaultS(KQelVector4(-1, 1, 1, 1));
        KQelNode* skin = mesh("leg", 3);
        link(skin, mHip, {{0, 1.0}, {1, 1.0}, {2, 0.5}, {3, 0.5}}, KQelLink::eNormalize);
        KQelLink* knee = link(skin, mKnee, {{5, 1.0}, {4, 1.0}, {2, 0.5}, {3, 0.5}}, KQelLink::eNormalize);
        knee->SetTransformLinkMatrix(KQelXMatrix(KQelVector4(0, -2, 0, 1), KQelVector4(), KQelVector4(1, 1, 1, 1)));
        pose({{mHip, KQelVector4(0, 0, 0, 1)}, {mKnee, KQelVector4(0, -2, 0, 1)}, {skin, KQelVector4(0, 0, 0, 1)}});
    }
    KQelNode* mHip = nullptr;
    KQelNode* mKnee = nullptr;
};

const char kIdentity[] = "matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
const char kDown2[] = "matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 -2 0 1";

TEST_F(BindPoseTest, ASkinIsBoundInTheFilesPoseAndTheJointsGetTheirChannelsBack)
{
    leg();
    import();
    // The host records each joint's world matrix at binding as its bind
    // pose: the file's pose, not where the joints stand.
    EXPECT_EQ(dumpLines("^attr \"\\|hip(\\|knee)?\" bindPose "),
              (std::vector<std::string>{std::string("attr \"|hip\" bindPose = - ") + kIdentity,
                                        std::string("attr \"|hip|knee\" bindPose = - ") + kDown2}));
    EXPECT_EQ(dumpLines("^attr \"skinCluster1\" (bindPreMatrix|geomMatrix)"),
              (std::vector<std::string>{
                  std::string("attr \"skinCluster1\" bindPreMatrix[0] = - ") + kIdentity,
                  "attr \"skinCluster1\" bindPreMatrix[1] = - matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 2 0 1",
                  std::string("attr \"skinCluster1\" geomMatrix = - ") + kIdentity}));
    EXPECT_EQ(dumpLines("^skin "), (std::vector<std::string>{
                                       "skin \"skinCluster1\" geometry 0 = 6 0 1",
                                       "skin \"skinCluster1\" weight 0 0 = 1 0",
                                       "skin \"skinCluster1\" weight 0 1 = 1 0",
                                       "skin \"skinCluster1\" weight 0 2 = 0.5 0.5",
                                       "skin \"skinCluster1\" weight 0 3 = 0.5 0.5",
                                       "skin \"skinCluster1\" weight 0 4 = 0 1",
                                       "skin \"skinCluster1\" weight 0 5 = 0 1",
                                   }));
    // Exactly the values the animation pass gave: not another triple of
    // angles for the same turn, and the mirror kept.
    EXPECT_EQ(dumpLines("^attr \"\\|hip(\\|knee)?\" (translate|rotate|scale)[XYZ] "),
              (std::vector<std::string>{
                  "attr \"|hip\" translateX = k 0", "attr \"|hip\" translateY = k 1", "attr \"|hip\" translateZ = k 0",
                  "attr \"|hip\" rotateX = k 0", "attr \"|hip\" rotateY = k 1.7453292519943295",
                  "attr \"|hip\" rotateZ = k 0", "attr \"|hip\" scaleX = k 1", "attr \"|hip\" scaleY = k 1",
                  "attr \"|hip\" scaleZ = k 1", "attr \"|hip|knee\" translateX = k 0",
                  "attr \"|hip|knee\" translateY = k -2", "attr \"|hip|knee\" translateZ = k 0",
                  "attr \"|hip|knee\" rotateX = k 0", "attr \"|hip|knee\" rotateY = k 0",
                  "attr \"|hip|knee\" rotateZ = k 0", "attr \"|hip|knee\" scaleX = k -1",
                  "attr \"|hip|knee\" scaleY = k 1", "attr \"|hip|knee\" scaleZ = k 1"}));
}

TEST_F(BindPoseTest, AMergedNodeIsMovedByNeitherStep)
{
    ASSERT_TRUE(MGlobal::executeCommand("createNode joint -n hip"));
    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eMerge);
    leg();
    import();
    // The merged hip was bound where it stood: its world matrix now, as no
    // step moved it.
    MSelectionList list;
    list.add("|hip");
    MDagPath path;
    list.getDagPath(0, path);
    const MMatrix world = path.inclusiveMatrix();
    const std::vector<std::string> hip = dumpLines("^attr \"\\|hip\" bindPose ");
    ASSERT_EQ(hip.size(), 1u);
    std::istringstream numbers(hip[0].substr(hip[0].find("matrix") + 6));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double value = 0.0;
            numbers >> value;
            EXPECT_NEAR(value, world(r, c), 1e-9) << r << c;
        }
    // Not the pose's identity: the file's channels, (0, 1, 0) turned 100.
    EXPECT_NEAR(world(3, 1), 1.0, 1e-12);
    EXPECT_NEAR(world(0, 0), std::cos(100.0 * M_PI / 180.0), 1e-12);
}

TEST_F(DeformerTest, AFileWithoutBindPoseIsWarnedAboutUnlessItHasNoLinksOrMergesExclusively)
{
    const char* const kLines = "This .qel file does not contain a BindPose section. \n"
                               "Executing the command 'Go to Bind Pose' may not give the expected results.\n";
    const struct {
        QelVeskUserParams::ELoadMode type;
        bool links;
        bool warned;
    } cases[] = {
        {QelVeskUserParams::eCreate, true, true},
        {QelVeskUserParams::eMerge, true, true},
        {QelVeskUserParams::eExclusiveMerge, true, false},
        {QelVeskUserParams::eCreate, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + (c.links ? " links" : ""));
        standin::resetHost();
        std::remove((ScratchDir() + "/qelvesklog.txt").c_str());
        mSdk.DestroyKQelScene(mScene, true);
        mScene = mSdk.CreateKQelScene();
        QelVeskUserParams::Instance()->SetImportType(c.type);
        KQelNode* skin = mesh("skin", 2);
        if (c.links)
            link(skin, joint("bone"), {{0, 1.0}}, KQelLink::eNormalize);
        EXPECT_EQ(import().find(kLines) != std::string::npos, c.warned);
    }
}

}  // namespace
