// The 3D Studio reader on files made by others (tests/data/3ds).
#include <set>
#include <string>

#include "content/kqelcamera.h"
#include "content/kqellayercontainer.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "formats/3ds/studio_test_util.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

using namespace studiotest;

double TakeStop(Reading& pReading)
{
    KQelTakeInfo* take = pReading.mScene->GetTakeInfo(KString("default take"));
    return take ? take->mLocalTimeSpan.GetStop().GetSecondDouble() : -1.0;
}

std::set<std::string> TextureFiles(Reading& pReading)
{
    std::set<std::string> files;
    for (int i = 0; i < pReading.mManager.GetKQelTextureCount(); ++i)
        files.insert(pReading.mManager.GetKQelTexture(i)->GetFileName());
    return files;
}

TEST(Reader3DSRealFiles, NineTexturedBoxes)
{
    auto r = Import(DataFile("test1.3ds"));
    ASSERT_TRUE(r->mRead);
    ASSERT_EQ(9, r->Root()->GetChildCount(true));
    for (int i = 0; i < 9; ++i) {
        KQelNode* node = r->Root()->GetChild(i);
        SCOPED_TRACE(node->GetName());
        ASSERT_NE(nullptr, node->GetMesh());
        EXPECT_EQ(32, node->GetMesh()->GetControlPointsCount());
        EXPECT_EQ(12, node->GetMesh()->GetPolygonCount());
        EXPECT_EQ(KQelNode::eTextureShading, node->GetShadingMode());
    }
    EXPECT_EQ(3, r->mManager.GetKQelMaterialCount());
    EXPECT_EQ((std::set<std::string>{"IMAGE1.JPG", "CWALL02.JPG", "IMAGE2.JPG"}), TextureFiles(*r));
}

TEST(Reader3DSRealFiles, OneMeshWithoutKeyframer)
{
    auto r = Import(DataFile("fels.3ds"));
    ASSERT_TRUE(r->mRead);
    ASSERT_EQ(1, r->Root()->GetChildCount());
    KQelMesh* mesh = r->Node("Default") ? r->Node("Default")->GetMesh() : nullptr;
    ASSERT_NE(nullptr, mesh);
    EXPECT_EQ(386, mesh->GetControlPointsCount());
    EXPECT_EQ(768, mesh->GetPolygonCount());
    for (int i = 0; i < mesh->GetTextureUVCount(); ++i)
        EXPECT_EQ(KQelVector2(0, 0), mesh->GetTextureUV()[i]);
    EXPECT_DOUBLE_EQ(5.0, TakeStop(*r));
}

TEST(Reader3DSRealFiles, RotatingCube)
{
    auto r = Import(DataFile("RotatingCube.3DS"));
    ASSERT_TRUE(r->mRead);
    KQelNode* box = r->Node("Box01");
    ASSERT_TRUE(box && box->GetMesh());
    EXPECT_EQ(30, box->GetMesh()->GetControlPointsCount());
    EXPECT_EQ(12, box->GetMesh()->GetPolygonCount());
    KQelTakeNode* take = box->GetCurrentTakeNode();
    for (KFCurve* curve : {take->GetEulerRotationX(), take->GetEulerRotationY(), take->GetEulerRotationZ()})
        EXPECT_EQ(182, curve->KeyGetCount());
    EXPECT_NEAR(181.0 / 30, TakeStop(*r), 1e-9);
}

TEST(Reader3DSRealFiles, TexturedCube)
{
    auto r = Import(DataFile("cube_with_diffuse_texture.3DS"));
    ASSERT_TRUE(r->mRead);
    KQelNode* cube = r->Node("Quader01");
    ASSERT_TRUE(cube && cube->GetMesh());
    ASSERT_EQ(1, cube->GetMesh()->GTC(0));
    EXPECT_STREQ("TEST.PNG", cube->GetMesh()->GT(0, 0)->GetFileName());
}

TEST(Reader3DSRealFiles, CameraWithRollAndChild)
{
    auto r = Import(DataFile("CameraRollAnimWithChildObject.3ds"));
    ASSERT_TRUE(r->mRead);
    for (const char* name : {"Box01", "Box02", "Camera01", "Camera01.Target"})
        EXPECT_NE(nullptr, r->Node(name)) << name;
    KQelNode* camera = r->Node("Camera01");
    ASSERT_TRUE(camera && camera->GetCamera());
    EXPECT_EQ(camera, r->Node("Box02")->GetParent());
    EXPECT_EQ(r->Node("Camera01.Target"), camera->GetTarget());
    KFCurve* roll = camera->GetCurrentTakeNode()->GetCameraRoll();
    ASSERT_EQ(2, roll->KeyGetCount());
    EXPECT_NEAR(0.0, roll->KeyGetTime(0).GetSecondDouble(), 1e-9);
    EXPECT_NEAR(4.0, roll->KeyGetTime(1).GetSecondDouble(), 1e-9);
    KFCurve* target = r->Node("Camera01.Target")->GetCurrentTakeNode()->GetTranslationX();
    ASSERT_EQ(2, target->KeyGetCount());
    EXPECT_NEAR(10.0 / 3, target->KeyGetTime(1).GetSecondDouble(), 1e-9);
    // The camera's setter raises a near plane of 0 to its least, 0.001.
    EXPECT_NEAR(0.0, camera->GetCamera()->GetNearPlane(), 1e-3);
    EXPECT_NEAR(25400.0, camera->GetCamera()->GetFarPlane(), 1e-3);
    EXPECT_NEAR(4.0, TakeStop(*r), 1e-9);
}

}  // namespace
}  // namespace qelsdk_600
