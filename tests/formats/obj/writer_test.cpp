#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "common/comma_locale.h"
#include "common/writable_scene.h"
#include "content/kqellink.h"
#include "content/kqelshape.h"
#include "formats/kqeltexturecopy.h"
#include "formats/obj/kqelwriterobj.h"
#include "formats/obj/obj_test_util.h"
#include "base/kpath.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"

using namespace qelsdk_600;

namespace {

typedef writablescene::WritableScene<KQelWriterObj, KStreamOptionsObj> Scene;

const char* const kHeader = "# \n# Pellacord OBJ file\n# Created with Sorvinn QEL\n# \n";

const std::vector<KQelVector4> kTriangle = {KQelVector4(0, 0, 0, 1), KQelVector4(1, 0, 0, 1), KQelVector4(0, 1, 0, 1)};

// The lines of the text that begin with pPrefix, joined by "|".
std::string Lines(const std::string& pText, const std::string& pPrefix)
{
    std::istringstream in(pText);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.compare(0, pPrefix.size(), pPrefix) == 0)
            out += (out.empty() ? "" : "|") + line;
    }
    return out;
}

// Gives layer 0 UVs by polygon vertex (direct) and normals by control point.
void AddUVsAndNormals(KQelMesh* pMesh)
{
    pMesh->InitTextureUVIndices(KQelLayerElement::eByPolygonVertex);
    KQelLayerElementUV* uvs = pMesh->GetLayer(0)->GetUVs();
    uvs->SetReferenceMode(KQelLayerElement::eDirect);
    for (int i = 0; i < pMesh->GetPolygonVertexCount(); ++i)
        uvs->GetDirectArray().Add(KQelVector2(0.25 * i, 0.5));
    pMesh->InitNormals(0);
    for (int i = 0; i < pMesh->GetControlPointsCount(); ++i)
        pMesh->GetNormals()[i] = KQelVector4(0, 0, 1, 0);
}

}  // namespace

TEST(ObjWriter, LinesAreExact)
{
    Scene empty;
    EXPECT_EQ(kHeader, empty.Write());

    // Numbers run on across meshes; normals have their own counter.
    Scene scene;
    scene.AddMesh("plain one", kTriangle, {{0, 1, 2}});
    AddUVsAndNormals(scene.AddMesh("both", kTriangle, {{0, 1, 2}}));
    EXPECT_EQ(std::string(kHeader) +
                  "g plain one\nv 0.000000 0.000000 0.000000\nv 1.000000 0.000000 0.000000\n"
                  "v 0.000000 1.000000 0.000000\nf 1 2 3\n"
                  "g both\nv 0.000000 0.000000 0.000000\nv 1.000000 0.000000 0.000000\n"
                  "v 0.000000 1.000000 0.000000\nvt 0.000000 0.500000\nvt 0.250000 0.500000\n"
                  "vt 0.500000 0.500000\nvn 0.000000 0.000000 1.000000\nvn 0.000000 0.000000 1.000000\n"
                  "vn 0.000000 0.000000 1.000000\nf 4/1/1 5/2/2 6/3/3\n",
              scene.Write());

    // A quad stays a quad unless triangulation is forced.
    Scene quad;
    quad.AddMesh("q", {KQelVector4(), KQelVector4(1, 0, 0, 1), KQelVector4(1, 1, 0, 1), KQelVector4(0, 1, 0, 1)},
                 {{0, 1, 2, 3}});
    EXPECT_EQ("f 1 2 3 4", Lines(quad.Write(false), "f "));
    EXPECT_EQ("f 1 2 3|f 3 4 1", Lines(quad.Write(true), "f "));
}

// Corner numbers follow each element's mapping: normals by corner run with
// the corners, UVs by control point with the points, UVs mapped otherwise
// are left out, and a material by control point is the first corner's.
TEST(ObjWriter, CornersAreNumberedByTheirElementsMapping)
{
    const std::vector<KQelVector4> square = {KQelVector4(0, 0, 0, 1), KQelVector4(1, 0, 0, 1),
                                             KQelVector4(1, 1, 0, 1), KQelVector4(0, 1, 0, 1)};
    const struct {
        const char* mWhat;
        std::function<void(Scene&, KQelMesh*)> mSetUp;
        const char* mFaces;
        const char* mMaterials;
    } cases[] = {
        {"normals by corner",
         [](Scene&, KQelMesh* pMesh) {
             pMesh->InitNormals(6);
             for (int i = 0; i < 6; ++i)
                 pMesh->GetNormals()[i] = KQelVector4(0, 0, 1, 0);
         },
         "f 1//1 2//2 3//3|f 2//4 3//5 4//6", ""},
        {"UVs by control point",
         [](Scene&, KQelMesh* pMesh) {
             pMesh->InitTextureUVIndices(KQelLayerElement::eByControlPoint);
             for (int i = 0; i < 4; ++i)
                 pMesh->AddTextureUV(KQelVector2(0.25 * i, 0));
         },
         "f 1/1 2/2 3/3|f 2/2 3/3 4/4", ""},
        {"UVs all the same",
         [](Scene&, KQelMesh* pMesh) {
             pMesh->InitTextureUVIndices(KQelLayerElement::eAllSame);
             pMesh->AddTextureUV(KQelVector2(0.5, 0.5));
         },
         "f 1 2 3|f 2 3 4", ""},
        {"materials by control point",
         [](Scene& pScene, KQelMesh* pMesh) {
             pMesh->InitMaterialIndices(KQelLayerElement::eByControlPoint);
             pMesh->AM(pScene.Material(1, 0, 0, "red"), 0);
             pMesh->AM(pScene.Material(0, 0, 1, "blue"), 0);
             KArrayTemplate<int>& indices = pMesh->GetLayer(0)->GetMaterials()->GetIndexArray();
             for (int i = 0; i < 4; ++i)
                 indices.SetAt(i, i == 1 || i == 2 ? 1 : 0);
         },
         "f 1 2 3|f 2 3 4", "usemtl red|usemtl blue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mWhat);
        Scene scene;
        KQelMesh* mesh = scene.AddMesh("m", square, {{0, 1, 2}, {1, 2, 3}});
        c.mSetUp(scene, mesh);
        scratch::ScratchDir dir;
        const std::string obj = scene.WriteTo(dir.File("m.obj"));
        EXPECT_EQ(c.mFaces, Lines(obj, "f "));
        EXPECT_EQ(c.mMaterials, Lines(obj, "usemtl"));
    }
}

TEST(ObjWriter, MaterialsGoToTheLibraryBesideTheFile)
{
    scratch::ScratchDir dir;
    const std::string directory = dir.File("Out");
    Scene scene;
    KQelMaterial* red = scene.Material(1, 0, 0, "my red mat");
    red->SetShininess(0.5);
    KQelTexture* wood = scene.mManager.CreateKQelTexture("wood");
    scratch::ScratchDir maps;
    scratch::WriteFile(maps.File("wood.tif"), "wood bytes");
    wood->SetFileName(maps.File("wood.tif").c_str());
    KQelTexture* stone = scene.mManager.CreateKQelTexture("stone");
    stone->SetFileName("/nonexistent/stone.tif");
    // Per polygon: red with wood, red with stone, red with wood again.
    KQelMesh* mesh = scene.AddMesh("m", kTriangle, {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}});
    mesh->InitMaterialIndices(KQelLayerElement::eAllSame);
    mesh->AM(red, 0);
    mesh->InitTextureIndices(KQelLayerElement::eByPolygon);
    mesh->AT(wood, 0);
    mesh->AT(stone, 0);
    for (int index : {0, 1, 0})
        mesh->GetLayer(0)->GetTextures()->GetIndexArray().Add(index);
    scene.AddMesh("plain", kTriangle, {{0, 1, 2}});
    // A texture already in place stays byte for byte.
    KEnsureDirectoryExistance((directory + "/x").c_str());
    scratch::WriteFile(directory + "/stone.tif", "old stone");

    const std::string obj = scene.WriteTo(directory + "/Scene.obj");
    EXPECT_EQ("mtllib scene.mtl", Lines(obj, "mtllib"));
    EXPECT_EQ("usemtl my_red mat|usemtl my_red mat1|usemtl my_red mat|usemtl default1", Lines(obj, "usemtl"));
    EXPECT_EQ("# \n# Pellacord material file\n# Created with Sorvinn QEL\n# \n"
              "\nnewmtl my_red mat\nmap_Kd wood.tif\nKa 0.200000 0.200000 0.200000\nKd 1.000000 0.000000 0.000000\n"
              "Ks 0.200000 0.200000 0.200000\nillum 2\nNs 50.000000\nTr 1.000000\n"
              "\nnewmtl my_red mat1\nmap_Kd stone.tif\nKa 0.200000 0.200000 0.200000\n"
              "Kd 1.000000 0.000000 0.000000\nKs 0.200000 0.200000 0.200000\nillum 2\nNs 50.000000\nTr 1.000000\n"
              "\nnewmtl default1\nKa 0.200000 0.200000 0.200000\nKd 0.800000 0.800000 0.800000\n"
              "Ks 0.200000 0.200000 0.200000\nillum 2\nNs 5.000000\nTr 1.000000\n",
              scratch::ReadFile(directory + "/scene.mtl"));
    EXPECT_EQ("wood bytes", scratch::ReadFile(directory + "/wood.tif"));
    EXPECT_EQ("old stone", scratch::ReadFile(directory + "/stone.tif"));
    EXPECT_STREQ("", scene.mMessage.Buffer());
    // The default material is gone again.
    EXPECT_EQ(nullptr, scene.mManager.FindKQelMaterial("Material::default"));

    // Without ".obj" in its name no library is made and nothing is copied.
    Scene missing;
    KQelMesh* textured = missing.AddMesh("m", kTriangle, {{0, 1, 2}});
    KQelTexture* lost = missing.mManager.CreateKQelTexture("lost");
    lost->SetFileName("/nonexistent/lost.tif");
    textured->AT(lost, 0);
    textured->InitTextureIndices(KQelLayerElement::eAllSame);
    EXPECT_EQ("usemtl default1", Lines(missing.WriteTo(dir.File("out.txt")), "usemtl"));
    EXPECT_FALSE(scratch::Exists(dir.File("out.mtl")));
    missing.WriteTo(dir.File("again.obj"));
    EXPECT_STREQ("Unable to locate texture file \"/nonexistent/lost.tif\".\n", missing.mMessage.Buffer());
}

TEST(ObjWriter, LineBreaksInNamesBecomeUnderscores)
{
    scratch::ScratchDir dir;
    Scene scene;
    KQelMesh* mesh = scene.AddMesh("two\nlines", kTriangle, {{0, 1, 2}});
    mesh->InitMaterialIndices(KQelLayerElement::eAllSame);
    mesh->AM(scene.Material(1, 0, 0, "red\r\nmat"), 0);
    KQelTexture* map = scene.mManager.CreateKQelTexture("map");
    map->SetFileName("/nonexistent/a\nb.tif");
    mesh->InitTextureIndices(KQelLayerElement::eAllSame);
    mesh->AT(map, 0);
    const std::string obj = scene.WriteTo(dir.File("names.obj"));
    EXPECT_EQ("g two_lines|usemtl red__mat", Lines(obj, "g ") + "|" + Lines(obj, "usemtl"));
    const std::string mtl = scratch::ReadFile(dir.File("names.mtl"));
    EXPECT_EQ("newmtl red__mat|map_Kd a_b.tif", Lines(mtl, "newmtl") + "|" + Lines(mtl, "map_Kd"));
}

TEST(ObjWriter, TwoMeshesRoundTripInWorldPlace)
{
    Scene scene;
    KQelNode* turned = scene.mManager.CreateKQelNode("turned");
    turned->SetDefaultT(KQelVector4(10, 0, 0, 0));
    turned->SetDefaultR(KQelVector4(0, 90, 0, 0));
    scene.mScene->GetRootNode()->AddChild(turned);
    KQelNode* moved = scene.mManager.CreateKQelNode("moved");
    moved->SetDefaultT(KQelVector4(0, 5, 0, 0));
    scene.mScene->GetRootNode()->AddChild(moved);
    KQelMesh* textured = scene.AddMesh("textured", kTriangle, {{0, 1, 2}}, turned);
    AddUVsAndNormals(textured);
    KQelMaterial* shiny = scene.Material(0.25, 0.5, 0.75, "shiny");
    shiny->SetAmbient(KQelColor(0.125, 0.25, 0.5, 1));
    shiny->SetSpecular(KQelColor(0.5, 0.5, 0.5, 1));
    shiny->SetShininess(0.25);
    shiny->SetOpacity(0.5);
    textured->InitMaterialIndices(KQelLayerElement::eAllSame);
    textured->AM(shiny, 0);
    KQelTexture* map = scene.mManager.CreateKQelTexture("map");
    map->SetFileName("map.tif");
    textured->InitTextureIndices(KQelLayerElement::eAllSame);
    textured->AT(map, 0);
    scene.AddMesh("plain", kTriangle, {{0, 1, 2}}, moved);

    scratch::ScratchDir dir;
    scene.WriteTo(dir.File("pair.obj"));
    auto back = objtest::ReadPath(dir.File("pair.obj"));
    ASSERT_TRUE(back->mRead);
    ASSERT_EQ(2, back->Root()->GetChildCount());
    KQelMesh* plain = back->Mesh(0);
    KQelMesh* read = back->Mesh(1);
    // Turned a quarter about y: x becomes -z; then moved along x.
    const double expected[3][3] = {{10, 0, 0}, {10, 0, -1}, {10, 1, 0}};
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(expected[i][c], read->GetControlPoints()[i][c], 1e-6);
            EXPECT_NEAR(kTriangle[i][c] + (c == 1 ? 5 : 0), plain->GetControlPoints()[i][c], 1e-6);
        }
        const KQelVector4 normal = read->GetNormals()[i];
        EXPECT_NEAR(1.0, normal[0], 1e-6);
        EXPECT_NEAR(0.25 * i, read->GetTextureUV()[i][0], 1e-6);
    }
    KQelMaterial* material = read->GM(0, 0);
    ASSERT_NE(nullptr, material);
    EXPECT_NEAR(0.125, material->GetAmbient().mRed, 1e-6);
    EXPECT_NEAR(0.75, material->GetDiffuse().mBlue, 1e-6);
    EXPECT_NEAR(0.5, material->GetSpecular().mGreen, 1e-6);
    EXPECT_NEAR(0.25, material->GetShininess(), 1e-6);
    EXPECT_NEAR(0.5, material->GetOpacity(), 1e-6);
    EXPECT_STREQ("map.tif", read->GT(0, 0)->GetFileName());

    // Numbers follow the "C" locale whatever the process's.
    Scene again;
    AddUVsAndNormals(again.AddMesh("both", kTriangle, {{0, 1, 2}}));
    const std::string text = again.Write();
    commalocale::CommaLocale comma;
    if (comma.Available()) {
        EXPECT_EQ(text, again.Write());
        EXPECT_NEAR(0.25, objtest::ReadPath(dir.File("pair.obj"))->Mesh(1)->GetTextureUV()[1][0], 1e-6);
    }
}

TEST(ObjWriter, DeformationsAreBakedWhenAsked)
{
    for (bool deform : {true, false}) {
        Scene scene;
        KQelMesh* mesh = scene.AddMesh("s", kTriangle, {{0, 1, 2}});
        AddUVsAndNormals(mesh);
        KQelShape* shape = scene.mManager.CreateKQelShape();
        shape->InitControlPoints(3);
        for (int i = 0; i < 3; ++i)
            shape->GetControlPoints()[i] = kTriangle[static_cast<std::size_t>(i)] + KQelVector4(0, 0, 2, 0);
        mesh->SetDefaultShape(mesh->AddShape(shape, "up"), 0.5);
        // A bone scaled by 2 since binding, holding point 1 fully.
        KQelNode* bone = scene.mManager.CreateKQelNode("bone");
        bone->SetDefaultS(KQelVector4(2, 2, 2, 0));
        KQelLink* link = scene.mManager.CreateKQelLink();
        link->SetLink(bone);
        link->SetLinkMode(KQelLink::eTotal1);
        link->AddControlPointIndex(1, 1.0);
        mesh->AddLink(link);
        const std::string text = scene.Write(false, deform);
        EXPECT_EQ(deform ? "v 0.000000 0.000000 1.000000|v 2.000000 0.000000 2.000000|v 0.000000 1.000000 1.000000"
                         : "v 0.000000 0.000000 0.000000|v 1.000000 0.000000 0.000000|v 0.000000 1.000000 0.000000",
                  Lines(text, "v "));
        EXPECT_EQ(deform ? 2.0 : 1.0, mesh->GetControlPoints()[1][0]);
        // The tip moved half the shape's way less than the point.
        EXPECT_EQ(deform ? 0.5 : 1.0, mesh->GetNormals()[0][2]);
        EXPECT_EQ("vn 0.000000 0.000000 1.000000", Lines(text, "vn").substr(0, 29));
    }
}

TEST(ObjWriter, TextureCopiesGoToTheWorkingDirectoryAndAreNeverLeftPartial)
{
    scratch::ScratchDir maps;
    const std::string big(1 << 20, 'x');
    scratch::WriteFile(maps.File("wood.tif"), big + "tail");
    // A path without a directory writes beside it in the working directory.
    scratch::ScratchDir work;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    Scene scene;
    KQelMesh* mesh = scene.AddMesh("m", kTriangle, {{0, 1, 2}});
    KQelTexture* wood = scene.mManager.CreateKQelTexture("wood");
    wood->SetFileName(maps.File("wood.tif").c_str());
    mesh->InitTextureIndices(KQelLayerElement::eAllSame);
    mesh->AT(wood, 0);
    const std::string obj = scene.WriteTo("plain.obj");
    std::filesystem::current_path(saved);
    EXPECT_EQ("mtllib plain.mtl", Lines(obj, "mtllib"));
    EXPECT_EQ(big + "tail", scratch::ReadFile(work.File("wood.tif")));

    // A copy cut short by the file-size limit is removed.
    rlimit limit{};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &limit));
    const rlimit small{big.size(), limit.rlim_max};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    scratch::ScratchDir target;
    KString message;
    const bool copied = CopyTextureFile(maps.File("wood.tif").c_str(), target.Path().c_str(), message);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(scratch::Exists(target.File("wood.tif")));
    EXPECT_EQ("Error writing texture file \"" + target.File("wood.tif") + "\".\n", message.Buffer());
}

TEST(ObjWriter, FailuresAreReported)
{
    Scene scene;
    scene.AddMesh("t", kTriangle, {{0, 1, 2}});
    EXPECT_EQ("failed 3", scene.WriteTo("/dev/full"));
    EXPECT_EQ("failed 1", scene.WriteTo("/proc/nonexistent/out.obj"));
    KQelWriterObj writer(scene.mManager);
    scratch::ScratchDir dir;
    ASSERT_TRUE(writer.FileCreate(dir.File("o.obj").c_str()));
    KStreamOptionsDxf foreign;
    EXPECT_FALSE(writer.Write(*scene.mScene, &foreign));
    EXPECT_EQ(KQelWriter::eStreamOptionsNotSet, writer.GetLastErrorID());

    // A material library that cannot be made fails the write rather than
    // leaving the file naming a library that is not there.
    Scene coloured;
    KQelMesh* mesh = coloured.AddMesh("t", kTriangle, {{0, 1, 2}});
    mesh->InitMaterialIndices(KQelLayerElement::eAllSame);
    mesh->AM(coloured.Material(1, 0, 0), 0);
    std::filesystem::create_directory(dir.File("lib.mtl"));
    EXPECT_EQ("failed " + std::to_string(KQelWriter::eFileNotCreated), coloured.WriteTo(dir.File("lib.obj")));

    // A texture that names a device is not copied and the export ends.
    scratch::WriteFile(dir.File("dev.obj"), "mtllib dev.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl z\nf 1 2 3\n");
    scratch::WriteFile(dir.File("dev.mtl"), "newmtl z\nmap_Kd /dev/zero\n");
    KQelSdkManager manager;
    KQelScene* read = manager.CreateKQelScene();
    KQelImporter importer(manager);
    importer.SetFileFormat(KQelImporter::eObj);
    importer.Initialize(dir.File("dev.obj").c_str());
    ASSERT_TRUE(importer.Import(*read));
    KQelExporter exporter(manager);
    exporter.SetFileFormat(KQelExporter::eObj);
    exporter.Initialize(dir.File("out/back.obj").c_str());
    KStreamOptions* options = exporter.GetExportOptions();
    EXPECT_TRUE(exporter.Export(*read, options));
    exporter.ReleaseExportOptions(options);
    KString message;
    exporter.GetMessage(message);
    EXPECT_STREQ("Unable to locate texture file \"/dev/zero\".\n", message.Buffer());
    EXPECT_FALSE(scratch::Exists(dir.File("out/zero")));
}
