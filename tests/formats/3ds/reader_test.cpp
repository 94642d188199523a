// The 3D Studio reader on files built through the toolkit: geometry,
// materials, hierarchy and tracks, read through the importer.
#include <cmath>
#include <limits>

#include "content/kqellayer.h"
#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "formats/3ds/studio_test_util.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

using namespace studiotest;

const double kPi = 3.14159265358979323846;

// The corners of the unit cube (bit 0: x, 1: y, 2: z) and its sides as two
// triangles each, wound alike.
const point3ds kCube[8] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
const face3ds kCubeFaces[12] = {{0, 4, 6, 0}, {0, 6, 2, 0}, {1, 3, 7, 0}, {1, 7, 5, 0}, {0, 1, 5, 0}, {0, 5, 4, 0},
                                {2, 6, 7, 0}, {2, 7, 3, 0}, {0, 2, 3, 0}, {0, 3, 1, 0}, {4, 5, 7, 0}, {4, 7, 6, 0}};

void Cube(Studio& pStudio, bool pSideGroups)
{
    pStudio.Mesh("cube", {}, {}, [&](mesh3ds& m) {
        m.nvertices = 8;
        m.nfaces = 12;
        InitMeshObjField3ds(&m, InitVertexArray3ds | InitFaceArray3ds | InitSmoothArray3ds);
        std::copy(std::begin(kCube), std::end(kCube), m.vertexarray);
        std::copy(std::begin(kCubeFaces), std::end(kCubeFaces), m.facearray);
        for (int f = 0; f < 12; ++f)
            m.smootharray[f] = pSideGroups ? 1u << (f / 2) : 1u;
    });
}

KQelMesh* MeshOf(Reading& pReading, const char* pNode)
{
    KQelNode* node = pReading.Node(pNode);
    return node ? node->GetMesh() : nullptr;
}

TEST(Reader3DS, SmoothingGroupsSplitTheCubesCorners)
{
    for (bool sides : {true, false}) {
        Studio studio;
        Cube(studio, sides);
        auto r = Import(studio.Write());
        ASSERT_TRUE(r->mRead);
        KQelMesh* mesh = MeshOf(*r, "cube");
        ASSERT_NE(nullptr, mesh);
        EXPECT_EQ(12, mesh->GetPolygonCount());
        ASSERT_EQ(sides ? 24 : 8, mesh->GetControlPointsCount());
        if (!sides)
            continue;
        // Each corner of a side has that side's unit normal: one axis only.
        for (int i = 0; i < 24; ++i) {
            const KQelVector4& n = mesh->GetNormals()[i];
            EXPECT_NEAR(1.0, std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1e-9) << i;
            EXPECT_NEAR(1.0, n.Length(), 1e-9) << i;
        }
    }
}

TEST(Reader3DS, PointsTurnUpAndScaleByTheUnitFactorOrTheReferenceNode)
{
    const struct {
        int mRescale, mReference;
        double mX, mY, mZ, mRootScale;
    } cases[] = {{0, 0, 1, 3, -2, 0}, {1, 0, 2.54, 7.62, -5.08, 0}, {1, 1, 1, 3, -2, 2.54}};
    Studio studio;
    studio.Mesh("tri", {{1, 2, 3}, {0, 0, 0}, {1, 0, 0}}, {{0, 1, 2, 0}});
    const std::string path = studio.Write();
    for (const auto& c : cases) {
        auto r = Import(path, [&](KStreamOptions3ds& o) {
            o.SetOption(KStreamOptionsBase::eRescale, c.mRescale);
            o.SetOption(KStreamOptionsBase::eCreateReferenceNode, c.mReference);
        });
        ASSERT_TRUE(r->mRead);
        const KQelVector4& p = MeshOf(*r, "tri")->GetControlPoints()[0];
        EXPECT_NEAR(c.mX, p[0], 1e-6);
        EXPECT_NEAR(c.mY, p[1], 1e-6);
        EXPECT_NEAR(c.mZ, p[2], 1e-6);
        KQelNode* root = r->Node("Qel_Root");
        EXPECT_EQ(c.mReference != 0, root != nullptr);
        if (root) {
            KQelVector4 s;
            EXPECT_NEAR(c.mRootScale, root->GetDefaultS(s)[1], 1e-12);
            EXPECT_EQ(root, r->Node("tri")->GetParent());
        }
    }
}

TEST(Reader3DS, MaterialsTakeTheirFactorsAndTextureMaps)
{
    Studio studio;
    auto wood = [](material3ds& m) { Name(m.texture.name, sizeof(m.texture.name), "wood.gif"); };
    studio.Material("m0", [&](material3ds& m) {
        wood(m);
        m.shininess = 0.3f;
        m.shinstrength = 0.375f;
        m.specular = {0.8f, 0.4f, 0.2f};
        m.transparency = 0.25f;
    });
    studio.Material("m1", [](material3ds& m) { m.shininess = 0.6f; });
    studio.Material("m2", [](material3ds& m) { Name(m.tex2.name, sizeof(m.tex2.name), "b.gif"); });
    studio.Material("m3", [&](material3ds& m) {
        wood(m);
        Name(m.tex2.name, sizeof(m.tex2.name), "wood.gif");
    });
    auto r = Import(studio.Write());
    ASSERT_TRUE(r->mRead);
    KQelMaterial* m0 = r->mManager.FindKQelMaterial("m0");
    ASSERT_NE(nullptr, m0);
    EXPECT_DOUBLE_EQ(0.6000000238418579, m0->GetShininess());
    // The file holds the strength as a whole percentage.
    EXPECT_NEAR(0.4, m0->GetSpecular().mRed, 0.006);
    EXPECT_NEAR(0.75, m0->GetOpacity(), 1e-6);
    EXPECT_DOUBLE_EQ(1.0, r->mManager.FindKQelMaterial("m1")->GetShininess());
    // A second map without a first makes nothing; names already taken get
    // the material's index.
    const char* textures[] = {"wood.gif", "wood.gif-3", "wood.gif-3.2"};
    ASSERT_EQ(3, r->mManager.GetKQelTextureCount());
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ((std::string("Texture::") + textures[i]).c_str(), r->mManager.GetKQelTexture(i)->GetName());
        EXPECT_STREQ("wood.gif", r->mManager.GetKQelTexture(i)->GetFileName());
    }
}

TEST(Reader3DS, TextureMapsPlaceTheirTextures)
{
    const struct {
        float mScale, mOffsetU, mOffsetV, mRotation;
        std::uint32_t mTiling;
        double mU, mV;
        KQelTexture::EWrapMode mWrap;
    } cases[] = {
        {1, 0, 0, 0, 1, 0, 0, KQelTexture::eRepeat},       {2, 0, 0, 0, 2, -0.5, -0.5, KQelTexture::eClamp},
        {1, 0.25f, 0.25f, 0, 3, -0.25, 0.25, KQelTexture::eClamp}, {1, 0, 0, 90, 1, 0, 1, KQelTexture::eRepeat},
        {0, 0.25f, 0, 0, 1, 0.5, 0.5, KQelTexture::eRepeat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mScale + c.mRotation);
        Studio studio;
        studio.Material("m", [&](material3ds& m) {
            Name(m.texture.name, sizeof(m.texture.name), "t.png");
            m.texture.uscale = m.texture.vscale = c.mScale;
            m.texture.uoffset = c.mOffsetU;
            m.texture.voffset = c.mOffsetV;
            m.texture.rotation = c.mRotation;
            m.texture.tiling = c.mTiling;
            m.texture.percent = 0.5f;
        });
        auto r = Import(studio.Write());
        ASSERT_TRUE(r->mRead);
        KQelTexture* t = r->mManager.FindKQelTexture("t.png");
        ASSERT_NE(nullptr, t);
        EXPECT_NEAR(c.mU, t->GetTranslationU(), 1e-6);
        EXPECT_NEAR(c.mV, t->GetTranslationV(), 1e-6);
        EXPECT_NEAR(-c.mRotation, t->GetRotationW(), 1e-9);
        EXPECT_EQ(c.mWrap, t->GetWrapModeU());
        EXPECT_EQ(KQelTexture::eModelMaterial, t->GetMaterialUse());
        EXPECT_DOUBLE_EQ(0.5, t->GetDefaultAlpha());
    }
}

// Two triangles in three groups: "plain", then "wood" (textured) twice; the
// second group of a material keeps the material's index.
TEST(Reader3DS, MaterialGroupsGiveEachFaceItsMaterialAndTexture)
{
    Studio studio;
    studio.Material("plain");
    studio.Material("wood", [](material3ds& m) { Name(m.texture.name, sizeof(m.texture.name), "wood.gif"); });
    studio.Mesh("box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2, 0}, {1, 3, 2, 0}},
                [](mesh3ds& m) {
                    m.ntextverts = 3;  // vertex 3 has none
                    m.nmats = 3;
                    InitMeshObjField3ds(&m, InitTextArray3ds | InitMatArray3ds);
                    m.textarray[1] = {0.5f, 0.25f};
                    const char* names[] = {"plain", "wood", "wood"};
                    for (int g = 0; g < 3; ++g) {
                        InitMatArrayIndex3ds(&m, static_cast<std::uint16_t>(g), 1);
                        Name(m.matarray[g].name, sizeof(m.matarray[g].name), names[g]);
                        m.matarray[g].nfaces = 1;
                        m.matarray[g].faceindex[0] = static_cast<std::uint16_t>(g == 0);
                    }
                });
    auto r = Import(studio.Write());
    ASSERT_TRUE(r->mRead);
    KQelMesh* mesh = MeshOf(*r, "box");
    ASSERT_NE(nullptr, mesh);
    ASSERT_EQ(2, mesh->GMC(0));
    EXPECT_STREQ("Material::plain", mesh->GM(0, 0)->GetName());
    EXPECT_EQ(1, mesh->GetMaterialIndices()[0]);
    EXPECT_EQ(0, mesh->GetMaterialIndices()[1]);
    EXPECT_EQ(1, mesh->GTC(0));
    EXPECT_EQ(KQelNode::eTextureShading, r->Node("box")->GetShadingMode());
    KQelVector2* uvs = mesh->GetTextureUV();
    ASSERT_EQ(4, mesh->GetTextureUVCount());
    EXPECT_EQ(KQelVector2(0.5, 0.25), uvs[1]);
    EXPECT_EQ(KQelVector2(0, 0), uvs[3]);
    EXPECT_EQ(3, mesh->GetTextureUVIndex(1, 1));
}

TEST(Reader3DS, KeyframerNodesBuildTheHierarchyByName)
{
    Studio studio;
    studio.Mesh("box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}});
    studio.Node("box", "", [](objectmotion3ds*& m) {
        Name(m->instance, sizeof(m->instance), "box01");
        m->pivot = {1, 2, 3};
    });
    studio.Node("$$$DUMMY", "box.box01", [](objectmotion3ds*& m) { Name(m->instance, sizeof(m->instance), "grp"); });
    studio.Node("leaf", "$$$DUMMY.grp");
    studio.Node("self", "self");
    auto r = Import(studio.Write(), [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eRescale, 0); });
    ASSERT_TRUE(r->mRead);
    KQelNode* box = r->Node("box.box01");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(r->Root(), box->GetParent());
    EXPECT_EQ(box, r->Node("$$$DUMMY.grp")->GetParent());
    EXPECT_EQ(nullptr, r->Node("$$$DUMMY.grp")->GetNodeAttribute());
    EXPECT_EQ(r->Node("$$$DUMMY.grp"), r->Node("leaf")->GetParent());
    EXPECT_EQ(r->Root(), r->Node("self")->GetParent());
    const KQelVector4& p = box->GetMesh()->GetControlPoints()[1];
    EXPECT_NEAR(0.0, p[0], 1e-9);
    EXPECT_NEAR(-3.0, p[1], 1e-9);
    EXPECT_NEAR(2.0, p[2], 1e-9);
}

TEST(Reader3DS, InstancesEachGetTheMeshMovedByTheirOwnPivot)
{
    Studio studio;
    studio.Mesh("box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}});
    studio.Node("box", "", [](objectmotion3ds*& m) {
        Name(m->instance, sizeof(m->instance), "a");
        m->pivot = {1, 0, 0};
    });
    studio.Node("box", "", [](objectmotion3ds*& m) { Name(m->instance, sizeof(m->instance), "b"); });
    auto r = Import(studio.Write(), [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eRescale, 0); });
    ASSERT_TRUE(r->mRead);
    KQelMesh* a = MeshOf(*r, "box.a");
    KQelMesh* b = MeshOf(*r, "box.b");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_NEAR(0.0, a->GetControlPoints()[1][0], 1e-9);
    EXPECT_NEAR(1.0, b->GetControlPoints()[1][0], 1e-9);
    EXPECT_EQ(1, b->GetPolygonCount());
}

KFCurve* Curve(Reading& pReading, const char* pNode, KFCurve* (KQelTakeNode::*pGetter)())
{
    KQelNode* node = pReading.Node(pNode);
    return node && node->GetCurrentTakeNode() ? (node->GetCurrentTakeNode()->*pGetter)() : nullptr;
}

TEST(Reader3DS, TracksBecomeKeysAtThirtyFramesPerSecond)
{
    Studio studio;
    studio.Node("moving", "", [](objectmotion3ds*& m) {
        InitObjectMotion3ds(&m, 4, 2, 0, 0, 0);
        const std::uint32_t frames[] = {0, 10, 5, 20};
        for (int k = 0; k < 4; ++k) {
            m->pos.keys[k].time = frames[k];
            m->pos.values[k] = {float(k), 0, 0};
        }
        m->pos.keys[1].rflags = KeyUsesCont3ds;
        m->pos.keys[1].continuity = 0.5f;
        m->pos.keys[1].tension = 0.7f;
        m->rot.keys[1].time = 10;
        m->rot.values[0] = {float(kPi / 2), 1, 0, 0};
        m->rot.values[1] = {float(kPi / 2), 0, 1, 0};
    });
    studio.Omnilight("lamp", 0.5f);
    auto r = Import(studio.Write(), [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eRescale, 0); });
    ASSERT_TRUE(r->mRead);
    KFCurve* x = Curve(*r, "moving", &KQelTakeNode::GetTranslationX);
    ASSERT_NE(nullptr, x);
    ASSERT_EQ(3, x->KeyGetCount());
    const double seconds[] = {0.0, 1.0 / 3, 2.0 / 3};
    const float values[] = {0, 1, 3};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(seconds[k], x->KeyGetTime(k).GetSecondDouble(), 1e-9);
        EXPECT_EQ(values[k], x->KeyGetValue(k));
    }
    const double rotations[2][3] = {{-90, 0, 0}, {-90, 0, 90}};
    KFCurve* (KQelTakeNode::*axes[])() = {&KQelTakeNode::GetEulerRotationX, &KQelTakeNode::GetEulerRotationY,
                                          &KQelTakeNode::GetEulerRotationZ};
    for (int a = 0; a < 3; ++a) {
        KFCurve* curve = Curve(*r, "moving", axes[a]);
        ASSERT_EQ(2, curve->KeyGetCount());
        for (int k = 0; k < 2; ++k)
            EXPECT_NEAR(rotations[k][a], curve->KeyGetValue(k), 1e-3) << a << " " << k;
    }
    // Lights without keyframer nodes get a node and their intensity.
    ASSERT_NE(nullptr, r->Node("lamp"));
    EXPECT_DOUBLE_EQ(50.0, r->Node("lamp")->GetLight()->GetDefaultIntensity());
    // The take spans the keys found.
    KQelTakeInfo* take = r->mScene->GetTakeInfo(KString("default take"));
    ASSERT_NE(nullptr, take);
    EXPECT_NEAR(2.0 / 3, take->mLocalTimeSpan.GetStop().GetSecondDouble(), 1e-9);
}


// A rotation key without a number keeps the rotation reached so far: no NaN
// reaches a curve.
TEST(Reader3DS, ARotationKeyWithoutANumberKeepsTheRotationSoFar)
{
    Studio studio;
    studio.Node("turning", "", [](objectmotion3ds*& m) {
        InitObjectMotion3ds(&m, 1, 2, 0, 0, 0);
        m->rot.keys[1].time = 10;
        m->rot.values[0] = {float(kPi / 2), 1, 0, 0};
        m->rot.values[1] = {std::numeric_limits<float>::quiet_NaN(), 0, 1, 0};
    });
    auto r = Import(studio.Write(), [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eRescale, 0); });
    ASSERT_TRUE(r->mRead);
    KFCurve* x = Curve(*r, "turning", &KQelTakeNode::GetEulerRotationX);
    ASSERT_NE(nullptr, x);
    ASSERT_EQ(2, x->KeyGetCount());
    EXPECT_NEAR(-90.0, x->KeyGetValue(0), 1e-3);
    EXPECT_NEAR(-90.0, x->KeyGetValue(1), 1e-3);
}
TEST(Reader3DS, ConstantTracksSetDefaults)
{
    Studio studio;
    studio.Node("still", "", [](objectmotion3ds*& m) {
        InitObjectMotion3ds(&m, 1, 1, 1, 0, 0);
        m->pos.keys[0].time = 15;
        m->pos.values[0] = {1, 2, 3};
        m->rot.values[0] = {float(kPi / 2), 0, 1, 0};
        m->scale.values[0] = {1, 2, 3};
    });
    auto r = Import(studio.Write(), [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eRescale, 0); });
    ASSERT_TRUE(r->mRead);
    KQelNode* node = r->Node("still");
    KQelVector4 t, rot, s;
    node->GetDefaultT(t);
    node->GetDefaultR(rot);
    node->GetDefaultS(s);
    const double expected[3][3] = {{1, 3, -2}, {0, 0, 90}, {1, 3, 2}};
    const KQelVector4* got[3] = {&t, &rot, &s};
    for (int v = 0; v < 3; ++v) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(expected[v][c], (*got[v])[c], 1e-4) << v << " " << c;
    }
    EXPECT_EQ(0, Curve(*r, "still", &KQelTakeNode::GetTranslationX)->KeyGetCount());
    // Without keys the take spans five seconds.
    EXPECT_NEAR(5.0, r->mScene->GetTakeInfo(KString("default take"))->mLocalTimeSpan.GetStop().GetSecondDouble(),
                1e-9);
}

TEST(Reader3DS, ImporterReadsWithOrWithoutOptionsAndReportsMissingFiles)
{
    Studio studio;
    Cube(studio, false);
    const std::string path = studio.Write();
    {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        importer.SetFileFormat(KQelImporter::e3ds);
        importer.Initialize(path.c_str());
        ASSERT_TRUE(importer.Import(*scene));
        EXPECT_NE(nullptr, manager.FindKQelNode("cube"));
    }
    {
        // Foreign options: error 6, read with the flags held.
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelReader3DS reader(manager);
        ASSERT_TRUE(reader.FileOpen(path.c_str()));
        KStreamOptionsObj foreign;
        EXPECT_TRUE(reader.Read(*scene, &foreign));
        EXPECT_EQ(KQelReader::eStreamOptionsNotSet, reader.GetLastErrorID());
        EXPECT_NEAR(2.54, reader.GetUnitFactor(), 1e-12);
        EXPECT_NE(nullptr, manager.FindKQelNode("cube"));
    }
    auto missing = Import(studio.mDir.File("none.3ds"));
    EXPECT_FALSE(missing->mRead);
    EXPECT_EQ(KQelIO::eFileNotOpened, missing->mError);
}

}  // namespace
}  // namespace qelsdk_600
