// The 3D Studio writer through the exporter, checked by reading its files
// back: the real files read, written and read again, and failures that must
// leave an existing file as it was.
#include <cmath>

#include "content/kqelcamera.h"
#include "content/kqellayercontainer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/3ds/studio_test_util.h"
#include "io/kqelexporter.h"
#include "math/kqelmatrix.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

using namespace studiotest;

// Writes the scene of pReading through the exporter as format 17.
bool Export(Reading& pReading, const std::string& pPath)
{
    KQelExporter exporter(pReading.mManager);
    exporter.SetFileFormat(KQelExporter::e3ds);
    exporter.Initialize(pPath.c_str());
    KStreamOptions* options = exporter.GetExportOptions();
    const bool written = options && exporter.Export(*pReading.mScene, options);
    exporter.ReleaseExportOptions(options);
    return written;
}

// Every mesh node's triangles as world-free corner positions, by node name.
std::vector<std::vector<double>> Corners(Reading& pReading)
{
    std::vector<std::vector<double>> meshes;
    for (int i = 0; i < pReading.mManager.GetKQelNodeCount(); ++i) {
        KQelMesh* mesh = pReading.mManager.GetKQelNode(i)->GetMesh();
        if (!mesh)
            continue;
        std::vector<double> corners;
        for (int p = 0; p < mesh->GetPolygonCount(); ++p) {
            for (int c = 0; c < mesh->GetPolygonSize(p); ++c) {
                const KQelVector4& point = mesh->GetControlPoints()[mesh->GetPolygonVertex(p, c)];
                corners.insert(corners.end(), {point[0], point[1], point[2]});
            }
        }
        meshes.push_back(corners);
    }
    return meshes;
}

void ExpectNear(const std::vector<std::vector<double>>& pA, const std::vector<std::vector<double>>& pB, double pTolerance)
{
    ASSERT_EQ(pA.size(), pB.size());
    for (std::size_t m = 0; m < pA.size(); ++m) {
        ASSERT_EQ(pA[m].size(), pB[m].size()) << m;
        for (std::size_t i = 0; i < pA[m].size(); ++i)
            ASSERT_NEAR(pA[m][i], pB[m][i], pTolerance) << m << " " << i;
    }
}

TEST(Writer3DSRoundTrip, RealFilesKeepTheirMeshesAndAnimation)
{
    for (const char* file : {"test1.3ds", "fels.3ds", "RotatingCube.3DS", "cube_with_diffuse_texture.3DS",
                             "CameraRollAnimWithChildObject.3ds"}) {
        SCOPED_TRACE(file);
        auto first = Import(DataFile(file));
        ASSERT_TRUE(first->mRead);
        scratch::ScratchDir dir;
        ASSERT_TRUE(Export(*first, dir.File("out.3ds")));
        auto second = Import(dir.File("out.3ds"));
        ASSERT_TRUE(second->mRead);
        ExpectNear(Corners(*first), Corners(*second), 1e-3);
        for (int i = 0; i < first->mManager.GetKQelMaterialCount(); ++i) {
            KQelMaterial* before = first->mManager.GetKQelMaterial(i);
            (void)before;
        }
    }
}

TEST(Writer3DSRoundTrip, RotationsAndRollSurviveEveryFrame)
{
    auto first = Import(DataFile("RotatingCube.3DS"));
    scratch::ScratchDir dir;
    ASSERT_TRUE(Export(*first, dir.File("out.3ds")));
    auto second = Import(dir.File("out.3ds"));
    ASSERT_TRUE(second->mRead);
    KQelNode* a = first->Node("Box01");
    KQelNode* b = second->Node("Box01");
    ASSERT_TRUE(a && b);
    for (int frame = 0; frame <= 181; ++frame) {
        KTime time;
        time.SetTime(0, 0, 0, frame, 0, KTime::eFRAMES30);
        KQelVector4 ra, rb;
        for (int c = 0; c < 3; ++c) {
            KFCurve* (KQelTakeNode::*axes[])() = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetEulerRotationY,
                                                  &KQelTakeNode::GetEulerRotationZ};
            ra[c] = (a->GetCurrentTakeNode()->*axes[c])()->Evaluate(time);
            rb[c] = (b->GetCurrentTakeNode()->*axes[c])()->Evaluate(time);
        }
        const KQelXMatrix ma(KQelVector4(), ra, KQelVector4(1, 1, 1, 0)), mb(KQelVector4(), rb, KQelVector4(1, 1, 1, 0));
        for (int k = 0; k < 16; ++k)
            ASSERT_NEAR(static_cast<const double*>(ma)[k], static_cast<const double*>(mb)[k], 1e-4) << frame;
    }
    // Names come back as the writer reduced them: Camera01 is Camera0.
    auto camera = Import(DataFile("CameraRollAnimWithChildObject.3ds"));
    KQelNode* original = camera->Node("Camera01");
    ASSERT_TRUE(Export(*camera, dir.File("camera.3ds")));
    EXPECT_STREQ("Model::Camera0", original->GetName());
    auto again = Import(dir.File("camera.3ds"));
    ASSERT_TRUE(again->mRead);
    ASSERT_NE(nullptr, again->Node("Camera0"));
    EXPECT_EQ(again->Node("Camera0"), again->Node("Box02")->GetParent());
    KFCurve* rollA = original->GetCurrentTakeNode()->GetCameraRoll();
    KFCurve* rollB = again->Node("Camera0")->GetCurrentTakeNode()->GetCameraRoll();
    for (int frame = 0; frame <= 120; ++frame) {
        KTime time;
        time.SetTime(0, 0, 0, frame, 0, KTime::eFRAMES30);
        EXPECT_NEAR(rollA->Evaluate(time), rollB->Evaluate(time), 1e-3) << frame;
    }
}

}  // namespace
}  // namespace qelsdk_600
