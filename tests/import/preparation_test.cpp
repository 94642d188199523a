// The import's free functions and the passes that adjust the read scene
// before host nodes are made.
#include "import_fixture.h"

#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "import/qelveskimportfunctions.h"
#include "io/kqelimporter.h"
#include "scene/kqelnull.h"

using namespace qelsdk_600;

namespace {

TEST_F(ImportTest, DeformingNullsBecomeLimbNodesAndLinksAreCounted)
{
    KQelMesh* mesh = mImport->GetManager().CreateKQelMesh();
    QelVeskNode* skin = node("Skin", nullptr, mesh);
    QelVeskNode* joint = node("Joint", nullptr, skeleton(KQelSkeleton::eLimb));
    QelVeskNode* null = node("Null", nullptr, mImport->GetManager().CreateKQelNull());
    QelVeskNode* bare = node("Bare", skin);
    QelVeskNode* other = node("Other", nullptr, mImport->GetManager().CreateKQelMesh());
    for (QelVeskNode* linked : {joint, null, bare, other, null}) {
        KQelLink* link = mImport->GetManager().CreateKQelLink();
        link->SetLink(linked);
        mesh->AddLink(link);
    }
    int count = 0;
    CountNbQelLinks(root(), count);
    EXPECT_EQ(count, 5);
    ReplaceNullsUsedAsLinks(root(), &mImport->GetManager());
    for (QelVeskNode* n : {joint, null, bare})
        EXPECT_TRUE(IsJoint(n)) << n->GetName();
    EXPECT_EQ(null->GetSkeleton()->GetSkeletonType(), KQelSkeleton::eLimbNode);
    EXPECT_EQ(joint->GetSkeleton()->GetSkeletonType(), KQelSkeleton::eLimb) << "a joint stays as it was";
    EXPECT_NE(other->GetMesh(), nullptr) << "a linked mesh keeps its attribute";
}

TEST_F(ImportTest, OldVersionFilesAreToldByPivotStatesBelowTheRoot)
{
    QelVeskNode* child = node("Child");
    QelVeskNode* grandchild = node("Grandchild", child);
    mImport->EnablePivotUse(root());
    EXPECT_FALSE(IsOldVersion(root()));
    root()->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotReference);
    EXPECT_FALSE(IsOldVersion(root())) << "the root's own state is not looked at";
    grandchild->SetPivotState(KQelNode::eSourcePivot, KQelNode::ePivotReference);
    EXPECT_TRUE(IsOldVersion(root()));
    // Files of version 5.8 and later are never old.
    KQelImporter importer(mImport->GetManager());
    ASSERT_TRUE(importer.Initialize(
        writeScene("older.qel", [](KQelSdkManager&, KQelScene&) {}, KQelExporter::eQel5Binary).c_str()));
    EXPECT_FALSE(IsOldVersion(root(), &importer));

    child->mMerged = true;
    for (QelVeskNode* n : {child, grandchild})
        n->SetRotationPivot(KQelNode::eSourcePivot, KQelVector4(1, 2, 3, 1));
    mImport->RemoveRotationPivotOnNotPresentNode(root());
    EXPECT_EQ(child->GetRotationPivot(KQelNode::eSourcePivot)[0] + grandchild->GetRotationPivot(KQelNode::eSourcePivot)[0],
              1.0) << "the merged node's kept";
}

TEST_F(ImportTest, ReOrderKeepsTheLastRecordOfEachNodeInTreeOrder)
{
    QelVeskNode* a = node("A");
    QelVeskNode* b = node("B", a);
    QelVeskNode* c = node("C");
    QelVeskNode* outside = mImport->GetManager().CreateQelVeskNode("Outside", nullptr);
    const struct {
        std::vector<QelVeskNode*> records;
        std::vector<int> kept;  // the records kept, in order; the others are deleted
    } cases[] = {{{}, {}}, {{outside}, {0}}, {{outside, outside}, {}}, {{c, b, a, b, outside}, {2, 3, 0}}};
    for (const auto& c : cases) {
        KArrayTemplate<TempPoseData*> list;
        std::vector<TempPoseData*> made, expected, got;
        for (QelVeskNode* n : c.records)
            made.push_back(list[list.Add(new TempPoseData{n, KQelMatrix(), KQelMatrix()})]);
        ReOrder(list, root());
        for (int index : c.kept)
            expected.push_back(made[static_cast<size_t>(index)]);
        for (int i = 0; i < list.GetCount(); ++i)
            got.push_back(list[i]);
        EXPECT_EQ(got, expected) << c.records.size();
        for (TempPoseData* record : got)
            delete record;
    }
}

TEST_F(ImportTest, HardEdgesMergeOnlyMeshesWithAPointPerCorner)
{
    // Two triangles over points 0 and 3 equal: a point shared by corners
    // keeps the mesh as it is; one point per corner merges the equal ones.
    const std::vector<KQelVector4> points = {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 0, 0, 1},
                                             {1, 1, 0, 1}, {0, 1, 0, 1}};
    const std::pair<std::vector<int>, int> cases[] = {{{0, 1, 2, 0, 2, 3}, 4}, {{0, 1, 2, 3, 4, 5}, 4}};
    for (const auto& c : cases) {
        KQelMesh* mesh = mImport->GetManager().CreateKQelMesh();
        node("Mesh", nullptr, mesh);
        mesh->InitControlPoints(c.first.back() + 1);
        std::copy(points.begin(), points.begin() + c.first.back() + 1, mesh->GetControlPoints());
        for (size_t corner = 0; corner < c.first.size(); ++corner) {
            if (corner % 3 == 0)
                mesh->BeginPolygon();
            mesh->AddPolygon(c.first[corner]);
        }
        mImport->MergeMeshOnNormalPerPolyVertex(root());
        EXPECT_EQ(mesh->GetControlPointsCount(), c.second);
    }
}

}  // namespace
