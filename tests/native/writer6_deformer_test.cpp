// Skin and cluster blocks of the version-6 writer: their fields, the
// shear-free matrices and the finite numbers written for degenerate ones.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "content/kqeldeformer.h"
#include "native/writer6_test_util.h"
#include "object/kproperty.h"
#include "scene/kqelentity.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef std::vector<double> Doubles;

KQelDeformer* AddDeformer(SceneFixture& pFixture, const char* pName, const char* pType)
{
    KQelDeformer* deformer = pFixture.manager.CreateKQelDeformer(pName, pType);
    pFixture.scene.GetEntity()->AddDeformer(deformer);
    return deformer;
}

KQelXMatrix TRS(KQelVector4 pT, KQelVector4 pR, KQelVector4 pS)
{
    KQelXMatrix matrix;
    matrix.SetTRS(pT, pR, pS);
    return matrix;
}

KQelXMatrix FromValues(const Doubles& pValues)
{
    KQelXMatrix matrix;
    double* values = matrix;
    for (size_t i = 0; i < 16 && i < pValues.size(); ++i)
        values[i] = pValues[i];
    return matrix;
}

void ExpectNear(const Doubles& pActual, const KQelXMatrix& pExpected, double pTolerance = 1e-5)
{
    ASSERT_EQ(pActual.size(), 16u);
    const double* expected = pExpected;
    for (size_t i = 0; i < 16; ++i)
        EXPECT_NEAR(pActual[i], expected[i], pTolerance) << "value " << i;
}

std::string Write(SceneFixture& pFixture, ScratchDir& pDir)
{
    const std::string path = pDir.File("deformers.qel");
    EXPECT_TRUE(WriteScene(pFixture, path, KQelWriterQel6::eAscii));
    return path;
}

TEST(Writer6Deformer, SkinWritesItsFieldsInOrder)
{
    SceneFixture f;
    AddDeformer(f, "Skin", "Skin")->SetDeformAccuracy(25.0);
    ScratchDir dir;
    const std::string path = Write(f, dir);
    const std::vector<OutlineEntry> outline = Outline(path);
    const int skin = FindEntry(outline, "Deformer", "Deformer::Skin");
    ASSERT_GE(skin, 0);
    EXPECT_EQ(ChildNames(outline, static_cast<size_t>(skin)),
              (Values{"Version", "MultiLayer", "Type", "Properties60", "Link_DeformAcuracy"}));
    ObjectBlock block(path, "Deformer", "Deformer::Skin");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(block.Numbers("Version"), Doubles{100});
    EXPECT_EQ(block.Field("Type"), Values{"S:Skin"});
    EXPECT_EQ(block.Numbers("Link_DeformAcuracy"), Doubles{25});
}

TEST(Writer6Deformer, ClusterModesUserDataIndicesAndWeights)
{
    const struct {
        KQelLink::ELinkMode mMode;
        Values mField;
    } modes[] = {
        {KQelLink::eNormalize, {"absent"}},
        {KQelLink::eAdditive, {"S:Additive"}},
        {KQelLink::eTotal1, {"S:Total1"}},
        {static_cast<KQelLink::ELinkMode>(9), {"absent"}},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.mMode);
        SceneFixture f;
        KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
        cluster->SetLinkMode(mode.mMode);
        cluster->SetUserData("id", "data");
        ScratchDir dir;
        ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
        ASSERT_TRUE(block.Found());
        EXPECT_EQ(block.Field("Type"), Values{"S:Cluster"});
        EXPECT_EQ(block.Field("Mode"), mode.mField);
        EXPECT_EQ(block.Field("UserData"), (Values{"S:id", "S:data"}));
        // Fields present with no values.
        EXPECT_EQ(block.Field("Indexes"), Values{});
        EXPECT_EQ(block.Field("Weights"), Values{});
        EXPECT_EQ(block.Field("AssociateModel"), Values{"absent"});
        EXPECT_EQ(block.Field("TransformParent"), Values{"absent"});
    }

    SceneFixture f;
    KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
    for (int i : {4, 2, 9}) {
        cluster->GetControlPointIndices().Add(i);
        cluster->GetControlPointWeights().Add(i / 10.0);
    }
    ScratchDir dir;
    ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(block.Numbers("Indexes"), (Doubles{4, 2, 9}));
    EXPECT_EQ(block.Numbers("Weights"), (Doubles{0.4, 0.2, 0.9}));
}

TEST(Writer6Deformer, ClusterMatricesAreRebuiltWithoutShear)
{
    SceneFixture f;
    KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
    const KQelXMatrix link = TRS(KQelVector4(1, 2, 3, 0), KQelVector4(10, 20, 30, 0), KQelVector4(2, 2, 2, 0));
    const KQelXMatrix model = TRS(KQelVector4(0, 5, 0, 0), KQelVector4(0, 90, 0, 0), KQelVector4(1, 1, 1, 0));
    // The transform carries a shear: its X axis leans towards Y.
    KQelXMatrix sheared = TRS(KQelVector4(4, 0, 0, 0), KQelVector4(), KQelVector4(1, 1, 1, 0));
    static_cast<double*>(sheared)[1] = 0.5;
    cluster->SetTransformMatrix(sheared);
    cluster->SetTransformLinkMatrix(link);
    cluster->SetTransformAssociateModelMatrix(model);
    // A mirrored parent: all three scale factors come back negative.
    cluster->SetTransformParentMatrix(TRS(KQelVector4(0, 0, 7, 0), KQelVector4(), KQelVector4(1, 1, -1, 0)));
    cluster->SetTransformParentSet(true);
    KQelNode* model_node = f.AddNode("Model");
    KProperty* reference = cluster->GetPropertyHandler()->FindPropertyByName("SrcModelReference");
    ASSERT_NE(reference, nullptr);
    reference->ConnectSrc(model_node->GetPropertyHandler());

    ScratchDir dir;
    ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
    ASSERT_TRUE(block.Found());
    const KQelXMatrix rebuilt(sheared.GetT(), sheared.GetR(), sheared.GetS());
    const KQelXMatrix linkInverse = link.Inverse();
    ExpectNear(block.Numbers("Transform"), linkInverse * rebuilt);
    ExpectNear(block.Numbers("TransformLink"), link);
    ASSERT_TRUE(block.Read().Enter("AssociateModel"));
    ExpectNear(Numbers(block.Read().Field("Transform")), linkInverse * model);
    block.Read().Leave();
    const KQelXMatrix parent = FromValues(block.Numbers("TransformParent"));
    EXPECT_NEAR(parent.GetS()[0], -1.0, 1e-9);
    EXPECT_NEAR(parent.GetS()[1], -1.0, 1e-9);
    EXPECT_NEAR(parent.GetS()[2], -1.0, 1e-9);
    EXPECT_NEAR(parent.GetT()[2], 7.0, 1e-9);
    // The rebuilt transform's axes are orthogonal: no shear left.
    const KQelXMatrix written = link * FromValues(block.Numbers("Transform"));
    const KQelVector4 x = written.GetRow(0), y = written.GetRow(1);
    EXPECT_NEAR(x[0] * y[0] + x[1] * y[1] + x[2] * y[2], 0.0, 1e-5);
}

TEST(Writer6Deformer, EqualTransformAndLinkWriteTheIdentity)
{
    SceneFixture f;
    KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
    const KQelXMatrix matrix = TRS(KQelVector4(3, -2, 1, 0), KQelVector4(45, 10, -30, 0), KQelVector4(1, 3, 2, 0));
    cluster->SetTransformMatrix(matrix);
    cluster->SetTransformLinkMatrix(matrix);
    ScratchDir dir;
    ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
    ASSERT_TRUE(block.Found());
    ExpectNear(block.Numbers("Transform"), KQelXMatrix());
}

// Matrices that have no decomposition still reach the file as finite
// numbers: zero-length axes, a singular link, NaN and infinite entries.
TEST(Writer6Deformer, DegenerateMatricesWriteFiniteNumbers)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    KQelXMatrix zeroScale = TRS(KQelVector4(1, 2, 3, 0), KQelVector4(30, 0, 0, 0), KQelVector4(0, 2, 2, 0));
    KQelXMatrix allZero = TRS(KQelVector4(1, 1, 1, 0), KQelVector4(), KQelVector4(0, 0, 0, 0));
    KQelXMatrix withNaN;
    static_cast<double*>(withNaN)[5] = nan;
    static_cast<double*>(withNaN)[12] = inf;
    const KQelXMatrix matrices[] = {zeroScale, allZero, withNaN};
    for (const KQelXMatrix& transform : matrices) {
        for (const KQelXMatrix& link : matrices) {
            SceneFixture f;
            KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
            cluster->SetTransformMatrix(transform);
            cluster->SetTransformLinkMatrix(link);
            cluster->SetTransformAssociateModelMatrix(link);
            cluster->SetTransformParentMatrix(transform);
            cluster->SetTransformParentSet(true);
            cluster->GetPropertyHandler()->FindPropertyByName("SrcModelReference")->ConnectSrc(
                f.AddNode("Model")->GetPropertyHandler());
            ScratchDir dir;
            ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
            ASSERT_TRUE(block.Found());
            std::vector<Doubles> written = {block.Numbers("Transform"), block.Numbers("TransformLink")};
            ASSERT_TRUE(block.Read().Enter("AssociateModel"));
            written.push_back(Numbers(block.Read().Field("Transform")));
            block.Read().Leave();
            written.push_back(block.Numbers("TransformParent"));
            for (const Doubles& values : written) {
                ASSERT_EQ(values.size(), 16u);
                for (double value : values)
                    EXPECT_TRUE(std::isfinite(value));
            }
        }
    }
    // A zero axis keeps the other axes' lengths along X, Y and Z.
    SceneFixture f;
    KQelDeformer* cluster = AddDeformer(f, "Cluster", "Cluster");
    cluster->SetTransformLinkMatrix(zeroScale);
    ScratchDir dir;
    ObjectBlock block(Write(f, dir), "Deformer", "SubDeformer::Cluster");
    ASSERT_TRUE(block.Found());
    ExpectNear(block.Numbers("TransformLink"),
               TRS(KQelVector4(1, 2, 3, 0), KQelVector4(), KQelVector4(0, 2, 2, 0)));
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
