// The 3D Studio writer through the exporter, checked by reading its files
// back: the real files read, written and read again, and failures that must
// leave an existing file as it was.
#include <cmath>

#include "content/kqelcamera.h"
#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqeltexture.h"
#include "math/ktriangulation.h"
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
        // Each mesh and camera by its reduced name, with its colours and
        // texture files.
        int meshes = 0, cameras = 0, camerasBefore = 0;
        for (int i = 0; i < first->mManager.GetKQelNodeCount(); ++i) {
            KQelNode* before = first->mManager.GetKQelNode(i);
            KQelNode* top = before;
            while (top->GetParent())
                top = top->GetParent();
            if (top != first->Root() || (!before->GetMesh() && !before->GetCamera()))
                continue;
            KQelNode* after = second->Node(before->GetNameWithoutNameSpacePrefix().Buffer());
            ASSERT_NE(nullptr, after) << before->GetName() << " " << file;
            camerasBefore += before->GetCamera() != nullptr;
            cameras += before->GetCamera() && after->GetCamera();
            KQelMesh* a = before->GetMesh();
            KQelMesh* b = after->GetMesh();
            if (!a || !b)
                continue;
            ++meshes;
            for (int m = 0; m < a->GMC(0); ++m) {
                ASSERT_NE(nullptr, b->GM(m, 0));
                EXPECT_NEAR(a->GM(m, 0)->GetAmbient().mRed, b->GM(m, 0)->GetAmbient().mRed, 1.0 / 255);
                EXPECT_NEAR(a->GM(m, 0)->GetDiffuse().mGreen, b->GM(m, 0)->GetDiffuse().mGreen, 1.0 / 255);
            }
            ASSERT_EQ(a->GTC(0), b->GTC(0));
            for (int t = 0; t < a->GTC(0); ++t)
                EXPECT_STREQ(a->GT(t, 0)->GetFileName(), b->GT(t, 0)->GetFileName());
        }
        EXPECT_EQ(static_cast<int>(Corners(*first).size()), meshes);
        EXPECT_EQ(camerasBefore, cameras);
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

// Keys at frames 0 and 30 on a curve of the node's current take.
void Animate(KFCurve* pCurve, float pFrom, float pTo)
{
    ASSERT_NE(nullptr, pCurve);
    KTime end;
    end.SetTime(0, 0, 0, 30, 0, KTime::eFRAMES30);
    pCurve->KeyModifyBegin(2);
    pCurve->KeySetTCB(0, KTime(0), pFrom, 0, 0, 0);
    pCurve->KeySetTCB(1, end, pTo, 0, 0, 0);
    pCurve->KeyModifyEnd(2);
}

void AnimateVector(KQelNode* pNode, KFCurve* (KQelTakeNode::*const* pGetters)(), const KQelVector4& pFrom,
                   const KQelVector4& pTo)
{
    for (int c = 0; c < 3; ++c)
        Animate((pNode->GetCurrentTakeNode()->*pGetters[c])(), static_cast<float>(pFrom[c]), static_cast<float>(pTo[c]));
}

KFCurve* (KQelTakeNode::*const kT[])() = {&KQelTakeNode::GetTranslationX, &KQelTakeNode::GetTranslationY,
                                           &KQelTakeNode::GetTranslationZ};
KFCurve* (KQelTakeNode::*const kR[])() = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetEulerRotationY,
                                           &KQelTakeNode::GetEulerRotationZ};
KFCurve* (KQelTakeNode::*const kS[])() = {&KQelTakeNode::GetScaleX, &KQelTakeNode::GetScaleY,
                                           &KQelTakeNode::GetScaleZ};
KFCurve* (KQelTakeNode::*const kColor[])() = {&KQelTakeNode::GetColorR, &KQelTakeNode::GetColorG,
                                               &KQelTakeNode::GetColorB};

// The triangles of a mesh as the writer cuts its polygons.
std::vector<double> Triangles(KQelMesh& pMesh)
{
    std::vector<double> corners;
    for (int p = 0; p < pMesh.GetPolygonCount(); ++p) {
        const int n = pMesh.GetPolygonSize(p);
        std::vector<int> triangles(static_cast<std::size_t>(3 * (n - 2)));
        KTriangulation(triangles.data(), n);
        for (int corner : triangles) {
            const KQelVector4& point = pMesh.GetControlPoints()[pMesh.GetPolygonVertex(p, corner)];
            corners.insert(corners.end(), {point[0], point[1], point[2]});
        }
    }
    return corners;
}

double ValueAt(KQelNode* pNode, KFCurve* (KQelTakeNode::*pGetter)(), int pFrame)
{
    KTime time;
    time.SetTime(0, 0, 0, pFrame, 0, KTime::eFRAMES30);
    KFCurve* curve = (pNode->GetCurrentTakeNode()->*pGetter)();
    return curve ? curve->Evaluate(time) : -1e9;
}

KQelXMatrix RotationAt(KQelNode* pNode, int pFrame, KFCurve* (KQelTakeNode::*const* pGetters)())
{
    KQelVector4 angles;
    for (int c = 0; c < 3; ++c)
        angles[c] = ValueAt(pNode, pGetters[c], pFrame);
    return KQelXMatrix(KQelVector4(), angles, KQelVector4(1, 1, 1, 0));
}

TEST(Writer3DSRoundTrip, ABuiltSceneComesBackUnderItsReducedNames)
{
    Reading first;
    first.mScene = first.mManager.CreateKQelScene();
    KQelSdkManager& manager = first.mManager;
    KQelNode* group = manager.CreateKQelNode("group");
    first.Root()->AddChild(group);
    KQelMaterial* wood = manager.CreateKQelMaterial("wood");
    wood->SetAmbient(KQelColor(0.2, 0.3, 0.4, 1));
    wood->SetDiffuse(KQelColor(0.6, 0.5, 0.4, 1));
    KQelMaterial* stone = manager.CreateKQelMaterial("stone");
    stone->SetDiffuse(KQelColor(0.1, 0.9, 0.1, 1));
    KQelTexture* texture = manager.CreateKQelTexture("grain");
    texture->SetFileName("grain.png");

    // A quad with UVs by control point and a pentagon with UVs by corner.
    KQelMesh* quad = manager.CreateKQelMesh();
    quad->InitControlPoints(4);
    const double square[4][2] = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
        quad->GetControlPoints()[i].Set(square[i][0], square[i][1], 0.5, 0);
    quad->InitMaterialIndices(KQelLayerElement::eByPolygon);
    quad->InitTextureIndices(KQelLayerElement::eByPolygon);
    quad->AM(wood, 0);
    quad->AT(texture, 0);
    quad->InitTextureUVIndices(KQelLayerElement::eByControlPoint);
    quad->InitTextureUV(4);
    for (int i = 0; i < 4; ++i)
        quad->GetTextureUV()[i] = KQelVector2(square[i][0] / 2, square[i][1]);
    quad->BeginPolygon(0, 0);
    for (int c = 0; c < 4; ++c)
        quad->AddPolygon(c);
    quad->EndPolygon();
    KQelMesh* pentagon = manager.CreateKQelMesh();
    pentagon->InitControlPoints(5);
    pentagon->InitMaterialIndices(KQelLayerElement::eByPolygon);
    pentagon->AM(stone, 0);
    pentagon->InitTextureUVIndices(KQelLayerElement::eByPolygonVertex);
    pentagon->BeginPolygon(0);
    for (int c = 0; c < 5; ++c) {
        pentagon->GetControlPoints()[c].Set(std::cos(c * 1.2566), std::sin(c * 1.2566), 0, 0);
        pentagon->AddTextureUV(KQelVector2(0.1 * c, 0.2));
        pentagon->AddPolygon(c, c);
    }
    pentagon->EndPolygon();
    KQelNode* quadNode = manager.CreateKQelNode("quadrilateral");
    KQelNode* pentagonNode = manager.CreateKQelNode("pentagon");
    quadNode->SetNodeAttribute(quad);
    pentagonNode->SetNodeAttribute(pentagon);
    group->AddChild(quadNode);
    group->AddChild(pentagonNode);

    KQelLight* omni = manager.CreateKQelLight();
    KQelLight* spot = manager.CreateKQelLight();
    spot->SetLightType(KQelLight::eSpot);
    KQelCamera* camera = manager.CreateKQelCamera();
    camera->SetApertureWidth(1.0);
    camera->SetApertureHeight(1.0);
    camera->SetSqueezeRatio(1.0);
    KQelNode* nodes[3] = {manager.CreateKQelNode("omni"), manager.CreateKQelNode("spot"),
                          manager.CreateKQelNode("camera")};
    KQelNode* targets[2] = {manager.CreateKQelNode("spotaim"), manager.CreateKQelNode("cameraaim")};
    nodes[0]->SetNodeAttribute(omni);
    nodes[1]->SetNodeAttribute(spot);
    nodes[2]->SetNodeAttribute(camera);
    for (KQelNode* node : nodes)
        first.Root()->AddChild(node);
    for (int i = 0; i < 2; ++i) {
        first.Root()->AddChild(targets[i]);
        nodes[i + 1]->SetTarget(targets[i]);
        AnimateVector(targets[i], kT, KQelVector4(1, 2, 3, 0), KQelVector4(-3, 2, 5 + i, 0));
    }
    KQelNode* animated[] = {quadNode, pentagonNode, nodes[0], nodes[1], nodes[2]};
    for (int i = 0; i < 5; ++i)
        AnimateVector(animated[i], kT, KQelVector4(i, 0, 1, 0), KQelVector4(i + 2, 3, -1, 0));
    AnimateVector(quadNode, kR, KQelVector4(0, 0, 0, 0), KQelVector4(30, 45, 60, 0));
    AnimateVector(quadNode, kS, KQelVector4(1, 1, 1, 0), KQelVector4(2, 1.5, 0.5, 0));
    AnimateVector(nodes[0], kColor, KQelVector4(1, 0.5, 0, 0), KQelVector4(0, 0.5, 1, 0));
    Animate(nodes[1]->GetCurrentTakeNode()->GetLightConeAngle(), 30, 60);
    Animate(nodes[2]->GetCurrentTakeNode()->GetCameraFieldOfView(), 40, 60);
    Animate(nodes[2]->GetCurrentTakeNode()->GetCameraRoll(), 0, 45);
    const std::vector<double> quadCorners = Triangles(*quad), pentagonCorners = Triangles(*pentagon);

    scratch::ScratchDir dir;
    ASSERT_TRUE(Export(first, dir.File("built.3ds")));
    auto second = Import(dir.File("built.3ds"));
    ASSERT_TRUE(second->mRead);
    KQelNode* dummy = second->Node("$$$DUMMY.group");
    ASSERT_NE(nullptr, dummy);
    for (KQelNode* node : {quadNode, pentagonNode, nodes[0], nodes[1], nodes[2]})
        ASSERT_NE(nullptr, second->Node(node->GetNameWithoutNameSpacePrefix().Buffer())) << node->GetName();
    auto back = [&](KQelNode* pNode) { return second->Node(pNode->GetNameWithoutNameSpacePrefix().Buffer()); };
    EXPECT_EQ(dummy, back(quadNode)->GetParent());
    EXPECT_EQ(dummy, back(pentagonNode)->GetParent());

    const std::pair<KQelNode*, const std::vector<double>*> meshes[] = {{quadNode, &quadCorners},
                                                                      {pentagonNode, &pentagonCorners}};
    for (const auto& mesh : meshes) {
        KQelMesh* read = back(mesh.first)->GetMesh();
        ASSERT_NE(nullptr, read);
        const std::vector<double> corners = Triangles(*read);
        ASSERT_EQ(mesh.second->size(), corners.size());
        for (std::size_t i = 0; i < corners.size(); ++i)
            EXPECT_NEAR((*mesh.second)[i], corners[i], 1e-4);
        KQelMaterial* before = mesh.first->GetMesh()->GM(0, 0);
        KQelMaterial* after = read->GM(0, 0);
        ASSERT_TRUE(before && after);
        EXPECT_NEAR(before->GetAmbient().mGreen, after->GetAmbient().mGreen, 1.0 / 255);
        EXPECT_NEAR(before->GetDiffuse().mRed, after->GetDiffuse().mRed, 1.0 / 255);
    }
    ASSERT_EQ(1, back(quadNode)->GetMesh()->GTC(0));
    EXPECT_STREQ("grain.png", back(quadNode)->GetMesh()->GT(0, 0)->GetFileName());

    const struct {
        KQelNode* mBefore;
        KQelNode* mAfter;
    } aims[] = {{targets[0], second->Node((std::string(back(nodes[1])->GetNameWithoutNameSpacePrefix().Buffer()) +
                                           ".Target").c_str())},
                {targets[1], second->Node((std::string(back(nodes[2])->GetNameWithoutNameSpacePrefix().Buffer()) +
                                           ".Target").c_str())}};
    for (int frame = 0; frame <= 30; ++frame) {
        SCOPED_TRACE(frame);
        for (KQelNode* node : animated) {
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(ValueAt(node, kT[c], frame), ValueAt(back(node), kT[c], frame), 1e-4);
        }
        for (const auto& aim : aims) {
            ASSERT_NE(nullptr, aim.mAfter);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(ValueAt(aim.mBefore, kT[c], frame), ValueAt(aim.mAfter, kT[c], frame), 1e-4);
        }
        const KQelXMatrix before = RotationAt(quadNode, frame, kR), after = RotationAt(back(quadNode), frame, kR);
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(static_cast<const double*>(before)[k], static_cast<const double*>(after)[k], 1e-4);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(ValueAt(quadNode, kS[c], frame), ValueAt(back(quadNode), kS[c], frame), 1e-4);
            EXPECT_NEAR(ValueAt(nodes[0], kColor[c], frame), ValueAt(back(nodes[0]), kColor[c], frame), 1e-3);
        }
        for (auto getter : {&KQelTakeNode::GetLightConeAngle}) {
            EXPECT_NEAR(ValueAt(nodes[1], getter, frame), ValueAt(back(nodes[1]), getter, frame), 1e-3);
        }
        for (auto getter : {&KQelTakeNode::GetCameraFieldOfView, &KQelTakeNode::GetCameraRoll}) {
            EXPECT_NEAR(ValueAt(nodes[2], getter, frame), ValueAt(back(nodes[2]), getter, frame), 1e-3);
        }
    }    // The values compared are the animation, not missing curves.
    EXPECT_NEAR(60.0, ValueAt(back(nodes[1]), &KQelTakeNode::GetLightConeAngle, 30), 1e-3);
    EXPECT_NEAR(60.0, ValueAt(back(nodes[2]), &KQelTakeNode::GetCameraFieldOfView, 30), 1e-3);
    EXPECT_NEAR(45.0, ValueAt(back(nodes[2]), &KQelTakeNode::GetCameraRoll, 30), 1e-3);
    EXPECT_NEAR(1.0, ValueAt(back(nodes[0]), &KQelTakeNode::GetColorB, 30), 1e-3);
    EXPECT_NEAR(6.0, ValueAt(aims[1].mAfter, &KQelTakeNode::GetTranslationZ, 30), 1e-4);
}

}  // namespace
}  // namespace qelsdk_600
