// The 3D Studio writer on scenes built in memory, checked through the
// toolkit's records of the file it wrote; its names and its failures.
#include <sys/stat.h>

#include <cmath>

#include "content/kqelcamera.h"
#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "formats/3ds/krenamingstrategy3ds.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/3ds/studio_test_util.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

using namespace studiotest;

// A scene of its own manager, written with a writer of its own.
struct Scene {
    KQelSdkManager mManager;
    KQelScene* mScene = mManager.CreateKQelScene();
    scratch::ScratchDir mDir;
    int mError = -1;
    KString mMessage;

    KQelNode* Add(const char* pName, KQelNodeAttribute* pAttribute, KQelNode* pParent = nullptr)
    {
        KQelNode* node = mManager.CreateKQelNode(pName);
        node->SetNodeAttribute(pAttribute);
        (pParent ? pParent : mScene->GetRootNode())->AddChild(node);
        return node;
    }
    // A mesh of pPoints control points and one polygon of pCorners corners.
    KQelMesh* Mesh(int pPoints, int pCorners)
    {
        KQelMesh* mesh = mManager.CreateKQelMesh();
        mesh->InitControlPoints(pPoints);
        for (int i = 0; i < pPoints; ++i)
            mesh->GetControlPoints()[i].Set(std::cos(i), std::sin(i), 0.0, 0.0);
        mesh->BeginPolygon();
        for (int c = 0; c < pCorners; ++c)
            mesh->AddPolygon(c);
        mesh->EndPolygon();
        return mesh;
    }
    bool Write(const std::string& pPath, const std::function<void(KStreamOptions3ds&)>& pOptions = nullptr)
    {
        KQelWriter3DS writer(mManager);
        KStreamOptions3ds options;
        if (pOptions)
            pOptions(options);
        const bool written = writer.FileCreate(pPath.c_str()) && writer.Write(*mScene, &options);
        mError = writer.GetLastErrorID();
        writer.GetMessage(mMessage);
        return written;
    }
};

// The toolkit's database of a written file.
struct Written {
    database3ds* mDb = nullptr;
    explicit Written(const std::string& pPath)
    {
        ClearErrList3ds();
        InitDatabase3ds(&mDb);
        CreateDatabase3ds(OpenFile3ds(pPath.c_str(), "rb"), mDb);
        DisconnectDatabase3ds(mDb);
        CloseAllFiles3ds();
    }
    ~Written() { ReleaseDatabase3ds(&mDb); }
};

TEST(Writer3DSNames, NamesAreCutAndNumberedDistinct)
{
    const struct {
        std::vector<const char*> mNames;
        int mMaxLen;
        std::vector<const char*> mExpected;
    } cases[] = {
        {{"Model::Cylinder01", "Model::Cylinder02", "Model::Cylinder03"}, 10, {"Cylinde", "Cylinde1", "Cylinde2"}},
        {{"Box", "Box", "Box1"}, 10, {"Box", "Box1", "Box11"}},
        {{"box", "Box", "Seven77", "Eight888"}, 10, {"box", "Box", "Seven77", "Eight88"}},
        {{"", ""}, 10, {"", "1"}},
        {{"A::B::C"}, 10, {"B::C"}},
        {{"abcd", "abcd", "ab1"}, 5, {"ab", "ab1", "ab2"}},
    };
    for (const auto& c : cases) {
        KRenamingStrategy3DS strategy;
        for (std::size_t i = 0; i < c.mNames.size(); ++i) {
            KName name(c.mNames[i]);
            strategy.Rename(name, c.mMaxLen);
            EXPECT_STREQ(c.mExpected[i], name.GetCurrentName()) << c.mNames[i];
        }
        strategy.Clear();
        KName again(c.mNames[0]);
        EXPECT_FALSE(strategy.Rename(again, c.mMaxLen));
    }
    // A number that would pass the length cuts the text further.
    KRenamingStrategy3DS strategy;
    KName name("ab");
    for (int i = 0; i <= 1000; ++i) {
        name.SetCurrentName("ab");
        strategy.Rename(name, 5);
    }
    EXPECT_STREQ("a1000", name.GetCurrentName());
}

TEST(Writer3DS, MeshesLightsAndKeysInThreeDStudioAxes)
{
    Scene s;
    KQelNode* quad = s.Add("quad", s.Mesh(4, 4));
    quad->SetDefaultT(KQelVector4(1, 2, 3, 0));
    quad->SetDefaultR(KQelVector4(90, 0, 0, 0));
    quad->SetDefaultS(KQelVector4(0, 0, 0, 0));
    KQelLight* spot = s.mManager.CreateKQelLight();
    s.Add("spot", spot);
    spot->SetLightType(KQelLight::eSpot);
    spot->SetDefaultIntensity(250);
    spot->SetDefaultConeAngle(60);
    const std::string path = s.mDir.File("out.3ds");
    ASSERT_TRUE(s.Write(path));
    Written file(path);
    mesh3ds* mesh = nullptr;
    GetMeshByName3ds(file.mDb, "quad", &mesh);
    ASSERT_TRUE(mesh && mesh->nfaces == 2);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 2, 3, 0}),
              (std::vector<int>{mesh->facearray[0].v1, mesh->facearray[0].v2, mesh->facearray[0].v3,
                                mesh->facearray[1].v1, mesh->facearray[1].v2, mesh->facearray[1].v3}));
    // The node's own transform is in the points; its scale of 0 too.
    EXPECT_NEAR(1.0f, mesh->vertexarray[0].x, 1e-6);
    EXPECT_NEAR(-3.0f, mesh->vertexarray[0].y, 1e-6);
    EXPECT_NEAR(2.0f, mesh->vertexarray[0].z, 1e-6);
    EXPECT_NEAR(-3.0f, mesh->locmatrix[10], 1e-6);
    RelMeshObj3ds(&mesh);
    objectmotion3ds* motion = nullptr;
    GetObjectMotionByName3ds(file.mDb, "quad", &motion);
    ASSERT_TRUE(motion && motion->rot.keycount == 1);
    EXPECT_FLOAT_EQ(-1.5707964f, motion->rot.values[0].angle);
    EXPECT_FLOAT_EQ(1.0f, motion->rot.values[0].x);
    EXPECT_FLOAT_EQ(1.0f, motion->scale.values[0].y);
    EXPECT_EQ(7, motion->pos.keys[0].rflags);
    ReleaseObjectMotion3ds(&motion);
    light3ds* light = nullptr;
    GetSpotlightByName3ds(file.mDb, "spot", &light);
    ASSERT_TRUE(light && light->spot);
    EXPECT_FLOAT_EQ(2.5f, light->multiplier);
    EXPECT_FLOAT_EQ(60.0f, light->spot->hotspot);
    EXPECT_FLOAT_EQ(45.0f, light->spot->falloff);
    ReleaseLight3ds(&light);
    kfsets3ds* settings = nullptr;
    InitKfSets3ds(&settings);
    GetKfSets3ds(file.mDb, &settings);
    EXPECT_EQ(100u, settings->anim.length);
    ReleaseKfSets3ds(&settings);
}

TEST(Writer3DS, RotationsConvertToTheirTurnAboutTheFilesAxes)
{
    const double cases[][6] = {{90, 0, 0, 90, 0, 0}, {0, 30, 0, 0, 0, 30}, {0, 0, 30, 0, -30, 0}, {0, 0, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        double out[3];
        KQelWriter3DS::ConvRTVto3DS(out, KQelVector4(c[0], c[1], c[2], 0));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(c[3 + i], out[i], 1e-9) << c[0] << c[1] << c[2];
    }
}

TEST(Writer3DS, AConstantRotationTurnsOnlyAtItsFirstKey)
{
    KFCurve x;
    x.KeyModifyBegin(1);
    x.KeySetTCB(0, KTime(0), 30.0f, 0, 0, 0);
    x.KeyModifyEnd(1);
    keyheader3ds keys[3];
    kfrotkey3ds values[3];
    ASSERT_TRUE(KQelWriter3DS::Create3DSRotDataFromTCB(keys, values, &x, nullptr, nullptr, 3));
    const float expected[3][4] = {{-0.52359878f, 1, 0, 0}, {0, -1, 0, 0}, {0, -1, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(i), keys[i].time);
        EXPECT_NEAR(expected[i][0], values[i].angle, 1e-6) << i;
        EXPECT_NEAR(expected[i][1], values[i].x, 1e-6) << i;
        EXPECT_NEAR(expected[i][2], values[i].y, 1e-6) << i;
        EXPECT_NEAR(expected[i][3], values[i].z, 1e-6) << i;
    }
}

TEST(Writer3DS, TracksHoldAKeyPerFrameUpToTheTakesStop)
{
    const long long frame = KTime::kTicksPerSecond / 30;
    const struct {
        long long mFirst, mLast;
        bool mAnimated;
        std::uint32_t mKeys;  // 0: refused
        float mX0;
    } cases[] = {
        {10, 99, true, 100, 1.0f},
        {10, 99, false, 1, 0.0f},
        {-20, -10, true, 1, 2.0f},
        {0, 5000000000LL, true, 0, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mLast);
        Scene s;
        KQelNode* node = s.Add("box", s.Mesh(3, 3));
        KFCurve* x = node->GetCurrentTakeNode()->GetTranslationX();
        x->KeyModifyBegin(2);
        x->KeySetTCB(0, KTime(c.mFirst * frame), 1.0f, 0, 0, 0);
        x->KeySetTCB(1, KTime(c.mLast * frame), 2.0f, 0, 0, 0);
        x->KeyModifyEnd(2);
        const std::string path = s.mDir.File("out.3ds");
        const bool written =
            s.Write(path, [&](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eAnim, c.mAnimated); });
        ASSERT_EQ(c.mKeys != 0, written) << s.mMessage.Buffer();
        if (!written) {
            EXPECT_EQ(KQelWriter::eUnidentifiedError, s.mError);
            continue;
        }
        Written file(path);
        objectmotion3ds* motion = nullptr;
        GetObjectMotionByName3ds(file.mDb, "box", &motion);
        ASSERT_TRUE(motion && motion->pos.keycount == c.mKeys && motion->rot.keycount == c.mKeys);
        EXPECT_EQ(c.mKeys - 1, motion->pos.keys[c.mKeys - 1].time);
        EXPECT_FLOAT_EQ(c.mX0, motion->pos.values[0].x);
        ReleaseObjectMotion3ds(&motion);
    }
}

// Exposes the material conversion.
struct MaterialWriter : KQelWriter3DS {
    using KQelWriter3DS::ConvMaterialTVto3DS;
    using KQelWriter3DS::KQelWriter3DS;
};

TEST(Writer3DS, SecondMapsBlendAndUnscaledMapsSitAtTheOrigin)
{
    Scene s;
    KQelMesh* mesh = s.Mesh(3, 3);
    mesh->AM(s.mManager.CreateKQelMaterial("plain"), 0);
    KQelTexture* unscaled = s.mManager.CreateKQelTexture("unscaled");
    unscaled->SetFileName("a.png");
    unscaled->SetScale(0, 0);
    unscaled->SetTranslation(0.3, 0.7);
    KQelTexture* glow = s.mManager.CreateKQelTexture("glow");
    glow->SetFileName("b.png");
    glow->SetDefaultAlpha(0.8);
    glow->SetBlendMode(KQelTexture::eAdditive);
    mesh->AT(unscaled, 0);
    mesh->AT(glow, 0);
    MaterialWriter writer(s.mManager);
    ASSERT_TRUE(writer.FileCreate(s.mDir.File("out.3ds").c_str()));
    material3ds* material = writer.ConvMaterialTVto3DS(mesh, 0, 0, 1);
    ASSERT_NE(nullptr, material);
    EXPECT_EQ(0.0f, material->texture.uoffset);
    EXPECT_EQ(0.0f, material->texture.voffset);
    EXPECT_FLOAT_EQ(1.0f, material->texture.percent);
    EXPECT_FLOAT_EQ(0.4f, material->tex2.percent);
    ReleaseMaterial3ds(&material);
}

TEST(Writer3DS, FlatFacesGroupsAndTexturedMaterials)
{
    Scene s;
    // Seventeen separate flat triangles facing +Z, normals by control point.
    KQelMesh* flat = s.mManager.CreateKQelMesh();
    flat->InitControlPoints(51);
    for (int t = 0; t < 17; ++t) {
        flat->GetControlPoints()[3 * t].Set(t, 0, 0, 0);
        flat->GetControlPoints()[3 * t + 1].Set(t + 1, 0, 0, 0);
        flat->GetControlPoints()[3 * t + 2].Set(t, 1, 0, 0);
        flat->BeginPolygon();
        for (int c = 0; c < 3; ++c)
            flat->AddPolygon(3 * t + c);
        flat->EndPolygon();
    }
    flat->InitNormals(0);
    for (int i = 0; i < 51; ++i)
        flat->GetNormals()[i].Set(0, 0, 1, 0);
    s.Add("flat", flat);
    // Two triangles: material 1 with a texture scaled 2, material 0 plain.
    KQelMesh* textured = s.Mesh(3, 0);
    textured->Reset();
    textured->InitControlPoints(3);
    textured->GetControlPoints()[1].Set(1, 0, 0, 0);
    textured->GetControlPoints()[2].Set(0, 1, 0, 0);
    textured->InitMaterialIndices(KQelLayerElement::eByPolygon);
    textured->InitTextureIndices(KQelLayerElement::eByPolygon);
    textured->AM(s.mManager.CreateKQelMaterial("plain"), 0);
    textured->AM(s.mManager.CreateKQelMaterial("wood"), 0);
    KQelTexture* texture = s.mManager.CreateKQelTexture("grain");
    texture->SetFileName("grain.png");
    texture->SetScale(2, 2);
    textured->AT(texture, 0);
    // Material 1 with the texture; material 0 with a texture that is none.
    const int polygons[2][2] = {{1, 0}, {0, 5}};
    for (const auto& polygon : polygons) {
        textured->BeginPolygon(polygon[0], polygon[1]);
        for (int c = 0; c < 3; ++c)
            textured->AddPolygon(c);
        textured->EndPolygon();
    }
    s.Add("tex", textured);
    const std::string path = s.mDir.File("out.3ds");
    KStreamOptionsObj foreign;
    {
        KQelWriter3DS writer(s.mManager);
        ASSERT_TRUE(writer.FileCreate(path.c_str()));
        EXPECT_TRUE(writer.Write(*s.mScene, &foreign));
        EXPECT_EQ(KQelWriter::eStreamOptionsNotSet, writer.GetLastErrorID());
    }
    Written file(path);
    mesh3ds* mesh = nullptr;
    GetMeshByName3ds(file.mDb, "flat", &mesh);
    ASSERT_TRUE(mesh && mesh->nfaces == 17 && mesh->smootharray);
    EXPECT_EQ(4u, mesh->smootharray[0]);
    EXPECT_EQ(16u, mesh->smootharray[1]);
    EXPECT_EQ(1u << 30, mesh->smootharray[14]);
    EXPECT_EQ(0u, mesh->smootharray[15]);
    EXPECT_EQ(0u, mesh->smootharray[16]);
    RelMeshObj3ds(&mesh);
    GetMeshByName3ds(file.mDb, "tex", &mesh);
    ASSERT_TRUE(mesh && mesh->nmats == 2);
    EXPECT_STREQ("plain", mesh->matarray[0].name);
    EXPECT_STREQ("2.Mat1Tex0", mesh->matarray[1].name);
    RelMeshObj3ds(&mesh);
    material3ds* material = nullptr;
    GetMaterialByName3ds(file.mDb, "2.Mat1Tex0", &material);
    ASSERT_NE(nullptr, material);
    EXPECT_STREQ("grain.png", material->texture.name);
    EXPECT_FLOAT_EQ(-0.25f, material->texture.uoffset);
    EXPECT_FLOAT_EQ(0.25f, material->texture.voffset);
    ReleaseMaterial3ds(&material);
    // The root is written only as a reference node; its children name it.
    ASSERT_TRUE(s.Write(path, [](KStreamOptions3ds& o) { o.SetOption(KStreamOptionsBase::eCreateReferenceNode, 1); }));
    Written again(path);
    const std::string root = s.mScene->GetRootNode()->GetNameWithoutNameSpacePrefix().Buffer();
    objectmotion3ds* dummy = nullptr;
    GetObjectMotionByName3ds(again.mDb, (std::string(DummyName3ds) + "." + root).c_str(), &dummy);
    ASSERT_NE(nullptr, dummy);
    ReleaseObjectMotion3ds(&dummy);
    GetObjectMotionByName3ds(again.mDb, "flat", &dummy);
    ASSERT_NE(nullptr, dummy);
    EXPECT_EQ(std::string(DummyName3ds) + "." + root, dummy->parent);
    ReleaseObjectMotion3ds(&dummy);
}

TEST(Writer3DSFailures, ALargeMeshLeavesTheExistingFileAsItWas)
{
    Scene s;
    s.Add("big", s.Mesh(70000, 3));
    const std::string path = s.mDir.File("old.3ds");
    scratch::WriteFile(path, "keep these bytes");
    EXPECT_FALSE(s.Write(path));
    EXPECT_EQ(KQelWriter::eUnidentifiedError, s.mError);
    EXPECT_NE(nullptr, std::strstr(s.mMessage.Buffer(), "\"big\" has 70000 control points"));
    EXPECT_EQ("keep these bytes", scratch::ReadFile(path));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(s.mDir.Path()))
        entries += entry.is_regular_file();
    EXPECT_EQ(1, entries);

    KQelWriter3DS writer(s.mManager);
    EXPECT_FALSE(writer.FileCreate(s.mDir.File("missing/out.3ds").c_str()));
    EXPECT_EQ(KQelWriter::eFileNotCreated, writer.GetLastErrorID());
}

TEST(Writer3DS, AFileGetsTheUmasksModeOrKeepsTheModeOfTheFileItReplaces)
{
    Scene s;
    s.Add("tri", s.Mesh(3, 3));
    const std::string path = s.mDir.File("mode.3ds");
    const auto mode = [&] {
        struct stat st {};
        EXPECT_EQ(0, stat(path.c_str(), &st));
        return st.st_mode & 07777;
    };
    const mode_t saved = umask(022);
    EXPECT_TRUE(s.Write(path));
    EXPECT_EQ(0644u, mode());
    ASSERT_EQ(0, chmod(path.c_str(), 0640));
    EXPECT_TRUE(s.Write(path));
    EXPECT_EQ(0640u, mode());
    umask(saved);
}

TEST(Writer3DSFailures, AnAnimatedFieldOfViewIsNotRewritten)
{
    Scene s;
    KQelCamera* camera = s.mManager.CreateKQelCamera();
    KQelNode* node = s.Add("cam", camera);
    camera->SetApertureMode(KQelCamera::eVertical);
    KFCurve* fov = node->GetCurrentTakeNode()->GetCameraFieldOfView();
    ASSERT_NE(nullptr, fov);
    fov->KeyModifyBegin(2);
    KTime second;
    second.SetTime(0, 0, 1);
    fov->KeySetTCB(0, KTime(0), 40.0f, 0, 0, 0);
    fov->KeySetTCB(1, second, 50.0f, 0, 0, 0);
    fov->KeyModifyEnd(2);
    for (int write = 0; write < 2; ++write)
        ASSERT_TRUE(s.Write(s.mDir.File("cam.3ds")));
    EXPECT_EQ(40.0f, fov->KeyGetValue(0));
    EXPECT_EQ(50.0f, fov->KeyGetValue(1));
}

}  // namespace
}  // namespace qelsdk_600
