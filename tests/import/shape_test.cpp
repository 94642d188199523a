// Shapes: the blend shape's targets and weight curves of a new mesh, and the
// weight curves of a merged one.
#include "import_fixture.h"

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MSelectionList.h>

#include "content/kqelshape.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

const char* const kShapes[] = {"body.smile", "body.frown", "body.blink"};

// The mesh "body" with the three shapes, keyed in take "Run": smile 0 to
// 100 (slope 100 per second), frown 100 to 25, blink not at all (at 40).
QelVeskNode* body(QelVeskImport& pImport, QelVeskNode* pParent)
{
    KQelSdkManager& manager = pImport.GetManager();
    KQelMesh* mesh = meshOf(manager, 4, {{0, 1, 2, 3}});
    KQelNode* made = manager.CreateKQelNode("body");
    pParent->AddChild(made);
    made->SetNodeAttribute(mesh);
    for (int i = 0; i < 3; ++i) {
        // Blink's points do not fit the mesh: the host refuses them.
        const int points = i == 2 ? 2 : 4;
        KQelShape* shape = manager.CreateKQelShape();
        shape->InitControlPoints(points);
        for (int p = 0; p < points; ++p)
            shape->GetControlPoints()[p] = mesh->GetControlPoints()[p] + KQelVector4(0, i + 1, 0, 0);
        mesh->AddShape(shape, kShapes[i]);
    }
    KQelTakeNode* run = runTake(made);
    userKeys(mesh->GetShapeChannel(run, 0), {{0, 0.0f}, {1, 100.0f}}, 100.0f);
    addKeys(mesh->GetShapeChannel(run, 1), {{0, 100.0f}, {1, 25.0f}});
    mesh->GetShapeChannel(run, 2)->SetValue(40.0f);
    return static_cast<QelVeskNode*>(made);
}

MPlug weightPlug(int pIndex)
{
    MSelectionList list;
    list.add("body_BlendShaper");
    MObject deformer;
    list.getDependNode(0, deformer);
    return MFnDependencyNode(deformer).findPlug("weight").elementByLogicalIndex(static_cast<unsigned int>(pIndex));
}

TEST_F(ImportTest, ShapesBecomeHiddenTargetsAndWeightCurves)
{
    QelVeskNode* made = body(*mImport, root());
    mImport->CreateMeshGeometry(made);
    mImport->ImportAnimation(*made);

    EXPECT_EQ(dumpLines("^node \"body_BlendShaper\" = ").size(), 1u);
    for (const char* target : {"body_smile|smile", "body_frown|frown", "body_blink|blink"}) {
        const std::string transform = std::string("|") + target;
        EXPECT_EQ(dumpLines("^node \"" + literal(transform) + "\" = \"mesh\"").size(), 1u) << target;
        EXPECT_EQ(hostValue(transform.substr(0, transform.find('|', 1)), "visibility"), 0.0) << target;
    }
    EXPECT_EQ(dumpLines("^connect \"body_BlendShaper\" inputTarget\\[0\\]\\.inputTargetGroup\\[[012]\\]\\."
                        "inputTargetItem\\[6000\\]\\.inputGeomTarget = ")
                  .size(),
              3u)
        << "targets 0 to 2, in full at weight 1";
    const std::vector<std::vector<double>> smile = hostKeys("body_BlendShaper", "weight[0]");
    ASSERT_EQ(smile.size(), 2u);
    EXPECT_NEAR(smile[1][1], 1.0, 1e-6);
    EXPECT_NEAR(smile[0][5], 1.0, 1e-5) << "a channel slope of 100 per second";
    const std::vector<std::vector<double>> frown = hostKeys("body_BlendShaper", "weight[1]");
    ASSERT_EQ(frown.size(), 2u);
    EXPECT_NEAR(frown[0][1], 1.0, 1e-6);
    EXPECT_NEAR(frown[1][1], 0.25, 1e-6);
    EXPECT_NEAR(weightPlug(2).asDouble(), 0.4, 1e-6) << "a channel without keys gives its weight";

    // Merged: the weight curves are rewritten, a weight without one lists
    // the node once; then a geometry without shapes loses the blend shape.
    made->mMerged = true;
    KQelMesh* mesh = static_cast<KQelMesh*>(made->GetNodeAttribute());
    mesh->GetShapeChannel(made->GetCurrentTakeNode(), 0)->KeySetValue(1, 50.0f);
    addKeys(mesh->GetShapeChannel(made->GetCurrentTakeNode(), 2), {{0, 10.0f}});
    MGlobal::deleteNode(MFnAnimCurve(weightPlug(1)).object());
    MGlobal::deleteNode(MFnAnimCurve(weightPlug(2)).object());
    mImport->ImportShapeAnimation(*made);
    EXPECT_NEAR(hostKeys("body_BlendShaper", "weight[0]")[1][1], 0.5, 1e-6);
    EXPECT_EQ(mImport->GetFailedBlendShapeNodes().GetCount(), 1);
    EXPECT_EQ(dumpLines("^node \"\\|body_[^\"]*\" = ").size(), 6u) << "no new targets";

    mesh->ClearShape();
    mImport->ImportShapeAnimation(*made);
    EXPECT_EQ(dumpLines("^node \"body_BlendShaper\" = ").size(), 0u);
}

}  // namespace
