// The world transform of an import: master scale and up axis on the scene
// root, the "Qel_Root" node above top-level nodes, and the matrix from one
// import to the next.
#include "import_fixture.h"

#include <cmath>

#include "math/kqelmatrix.h"

using namespace qelsdk_600;

namespace {

std::vector<std::string> Children(KQelNode& pNode)
{
    std::vector<std::string> names;
    for (int i = 0; i < pNode.GetChildCount(); ++i)
        names.push_back(pNode.GetChild(i)->GetName());
    return names;
}

TEST_F(ImportTest, MasterScaleAndZUpGoOnTheRootAndOnOneQelRootAboveTopLevelNodes)
{
    QelVeskUserParams::Instance()->SetDoubleParam(QelVeskUserParams::kImportMasterScale, 2.0);
    ASSERT_EQ(standin::setUpAxis("z"), MStatus::kSuccess);
    node("A");
    node("Merged")->mMerged = true;
    node("C");
    node("xHTR:referencey");  // a motion reader's root: renamed, and not moved
    mImport->Preprocess(root());
    KQelVector4 value;
    EXPECT_EQ(rounded(root()->GetDefaultS(value)), (std::vector<double>{2, 2, 2}));
    EXPECT_EQ(rounded(root()->GetDefaultR(value)), (std::vector<double>{90, 0, 0}));
    ASSERT_NE(mImport->GetWorldTransform(), nullptr);

    mImport->PropagateWorldTransformToChildrenOf(root());
    EXPECT_EQ(Children(*root()), (std::vector<std::string>{"Model::Merged", "Model::xQel_Rooty", "Model::Qel_Root"}));
    KQelNode& qelRoot = *root()->GetChild(2);
    EXPECT_EQ(Children(qelRoot), (std::vector<std::string>{"Model::A", "Model::C"}));
    EXPECT_EQ(rounded(qelRoot.GetDefaultS(value)), (std::vector<double>{2, 2, 2}));
    EXPECT_EQ(rounded(qelRoot.GetDefaultR(value)), (std::vector<double>{90, 0, 0}));
}

TEST_F(ImportTest, NoMatrixIsKeptForAnIdentityWorldNorLeftFromAnEarlierImport)
{
    const std::string path = writeScene("world.qel", [](KQelSdkManager& pManager, KQelScene& pScene) {
        add(pManager, pScene.GetRootNode(), "Top");
    });
    ASSERT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
    // A scale that is no number, or 0, counts as 1.
    for (double scale : {2.0, 1.0, 0.0, std::nan(""), double(INFINITY)}) {
        QelVeskUserParams::Instance()->SetDoubleParam(QelVeskUserParams::kImportMasterScale, scale);
        ASSERT_EQ(mImport->Import(), MStatus::kSuccess);
        EXPECT_EQ(mImport->GetWorldTransform() != nullptr, scale == 2.0) << scale;
    }
    EXPECT_EQ(dumpLines("^node \"[^\"]*Qel_Root\" = ").size(), 1u) << "from the first import only";
}

}  // namespace
