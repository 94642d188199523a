#include <gtest/gtest.h>

#include <climits>

#include "content/kqelnurb.h"
#include "formats/obj/kobjmodel.h"
#include "formats/obj/obj_test_util.h"
#include "io/kqelimporter.h"

using namespace qelsdk_600;
using objtest::Materials;
using objtest::Polygons;
using objtest::Read;

namespace {

int PolygonsOfSize(KQelMesh* pMesh, int pSize)
{
    int count = 0;
    for (int p = 0; p < pMesh->GetPolygonCount(); ++p)
        count += pMesh->GetPolygonSize(p) == pSize;
    return count;
}

}  // namespace

TEST(ObjReader, RealFilesReadWithTheDefaults)
{
    const struct {
        const char* mFile;
        const char* mNode;
        int mPoints, mPolygons, mCorners;
        const char* mMaterials;
        const char* mMessage;
    } cases[] = {
        {"box.obj", "Model::default", 24, 6, 4, "", "Unable to read material \"Default\" in .mtl file\n"},
        {"box_without_lineending.obj", "Model::default", 24, 6, 4, "", "Unable to read material \"Default\" in .mtl file\n"},
        {"cube_usemtl.obj", "Model::cube", 24, 12, 3, "Material::mtl3|Material::mtl|Material::mtl2",
         "Unable to read material \"mtl3\" in .mtl file\n"},
        {"concave_polygon.obj", "Model::default", 64, 1, 66, "Material::test", ""},
        {"empty_mat.obj", "Model::default", 450, 256, 3, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFile);
        auto r = objtest::ReadPath(objtest::DataFile(c.mFile), true);
        ASSERT_TRUE(r->mRead);
        KQelNode* reference = r->Node(0);
        EXPECT_STREQ((std::string("Model::") + std::string(c.mFile).substr(0, std::string(c.mFile).size() - 4) + "_root").c_str(),
                     reference->GetName());
        ASSERT_EQ(1, reference->GetChildCount());
        EXPECT_STREQ(c.mNode, reference->GetChild(0)->GetName());
        KQelMesh* mesh = reference->GetChild(0)->GetMesh();
        EXPECT_EQ(c.mPoints, mesh->GetControlPointsCount());
        EXPECT_EQ(c.mPolygons, PolygonsOfSize(mesh, c.mCorners));
        EXPECT_EQ(c.mPolygons, mesh->GetPolygonCount());
        EXPECT_EQ(c.mMaterials, Materials(mesh));
        EXPECT_STREQ(c.mMessage, r->mMessage.Buffer());
    }
    // Ns 200 is clamped to full shininess.
    auto cube = objtest::ReadPath(objtest::DataFile("cube_usemtl.obj"));
    EXPECT_EQ(1.0, cube->Mesh(0)->GM(1, 0)->GetShininess());

    auto spider = objtest::ReadPath(objtest::DataFile("spider.obj"));
    ASSERT_TRUE(spider->mRead);
    ASSERT_EQ(19, spider->Root()->GetChildCount());
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(KQelNode::eFullShading, spider->Node(i)->GetShadingMode());
        EXPECT_GT(spider->Mesh(i)->GetTextureUVCount(), 0);
    }
    KQelTexture* skin = spider->mManager.FindKQelTexture("Texture::Skin");
    ASSERT_NE(nullptr, skin);
    EXPECT_STREQ(".\\wal67ar_small.jpg", skin->GetFileName());

    auto cloud = objtest::ReadPath(objtest::DataFile("point_cloud.obj"), true);
    EXPECT_TRUE(cloud->mRead);
    EXPECT_EQ(1, cloud->Root()->GetChildCount(true));
    auto lines = objtest::ReadPath(objtest::DataFile("testline.obj"));
    std::string six;
    for (int i = 0; i < 6; ++i)
        six += "Object not supported : l\n";
    EXPECT_EQ("Unable to read material \"Default\" in .mtl file\n" + six, std::string(lines->mMessage.Buffer()));

    // Number notations: the eighth position is (100, 20, 3.1), the fifteenth
    // the last.
    auto numbers = Read(scratch::ReadFile(objtest::DataFile("number_formats.obj")) + "\nf 8 15 16 -1\n");
    KQelMesh* mesh = numbers->Mesh(0);
    EXPECT_EQ("0 1 2|3 4 4", Polygons(mesh));
    const KQelVector4 eighth = mesh->GetControlPoints()[3];
    EXPECT_EQ(100.0, eighth[0]);
    EXPECT_EQ(20.0, eighth[1]);
    EXPECT_EQ(3.1, eighth[2]);
    EXPECT_EQ(100.0, mesh->GetControlPoints()[4][0]);
}

TEST(ObjReader, ImporterReadsFormatSixteen)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelImporter importer(manager);
    importer.SetFileFormat(KQelImporter::eObj);
    importer.Initialize(objtest::DataFile("cube_usemtl.obj").c_str());
    ASSERT_TRUE(importer.Import(*scene));
    EXPECT_EQ(24, scene->GetRootNode()->GetChild(0)->GetChild(0)->GetMesh()->GetControlPointsCount());
}

TEST(ObjReader, CornersAndIndicesConvert)
{
    const struct {
        const char* mText;
        bool mParsed;
        int mPosition, mTexture, mNormal;
    } corners[] = {
        {"3", true, 3, 0, 0},     {"3/7", true, 3, 7, 0},        {"3/7/2", true, 3, 7, 2},
        {"3//2", true, 3, 0, 2},  {"0/1/1", false, 0, 1, 1},     {"x", false, 0, 0, 0},
        {"2147483648/1", true, INT_MIN, 1, 0}, {"-2147483648", true, INT_MIN, 0, 0},
    };
    for (const auto& c : corners) {
        SCOPED_TRACE(c.mText);
        KIndexGroup group;
        EXPECT_EQ(c.mParsed, KQelReaderObj::ParseVertexGroup(group, c.mText));
        EXPECT_EQ(KIndexGroup(c.mPosition, c.mTexture, c.mNormal), group);
    }
    const int indices[][2] = {{10, 9}, {-1, 9}, {-10, 0}, {-11, -1}, {11, -1}, {0, -1}, {INT_MIN, -1}, {INT_MAX, -1}};
    for (const auto& index : indices)
        EXPECT_EQ(index[1], KQelReaderObj::ConvertIndex(index[0], 10)) << index[0];

    // Distinct triples number in the order first met; the table stays sorted.
    KIndexGroup* table = nullptr;
    int capacity = 0, count = 0;
    int numbers[3];
    const int positions[3] = {5, 2, 5};
    for (int i = 0; i < 3; ++i) {
        KIndexGroup group(positions[i], 0, 0);
        KIndexGroup* found = FindGroup(table, count, group);
        numbers[i] = found ? found->mControlPoint : AddGroupToArray(table, capacity, count, group);
    }
    EXPECT_EQ(0, numbers[0]);
    EXPECT_EQ(1, numbers[1]);
    EXPECT_EQ(0, numbers[2]);
    ASSERT_EQ(2, count);
    EXPECT_EQ(2, table[0].mPosition);
    EXPECT_EQ(5, table[1].mPosition);
    delete[] table;
}

TEST(ObjReader, StatementsBuildGroupsAndFaces)
{
    const std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const struct {
        std::string mObj;
        const char* mNodes;
        const char* mPolygons;  // of the first node
        int mPoints;
    } cases[] = {
        {square + "f 1 2 3\ng Body\nf 1 2 3\ng left arm\nf 1 3 4\ng body\nf 2 3 4", "Body|default|left_arm", "0 1 2|3 4 5", 6},
        {square + "g a b c\nf 1 2 \\\n3\ng\nf 1 2", "a_b c|default", "0 1 2", 3},
        {square + "f 1\t2\t3 9\nf 1 2 0", "default", "0 1 2", 3},
        {square + "s 1\nf 1 2 3\nf 1 3 4", "default", "0 1 2|0 2 3", 4},
        {square + "s 1\nf 1 2 3\ns off\nf 1 3 4", "default", "0 1 2|3 4 5", 6},
        {square + "s 2\nf 1 2 3\ns x\nf 1 3 4\ns 0\nf 1 2 4", "default", "0 1 2|3 4 5|3 5 6", 7},
        {"v 1 2 3\nv 1 2 3 0.5\nf 1 2 -1\n#\n#note\nl 1 2\nvt 0.5\nvp 1\nmg\no x\nbmat u\nstep 1 1", "default", "0 1 1", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mObj);
        auto r = Read(c.mObj);
        ASSERT_TRUE(r->mRead);
        std::string names;
        for (int i = 0; i < r->Root()->GetChildCount(); ++i)
            names += (i ? "|" : "") + std::string(r->Node(i)->GetName()).substr(7);
        EXPECT_EQ(c.mNodes, names);
        EXPECT_EQ(c.mPolygons, Polygons(r->Mesh(0)));
        EXPECT_EQ(c.mPoints, r->Mesh(0)->GetControlPointsCount());
    }
    auto w = Read("v 1 2 3\nv 1 2 3 0.5\nf 1 2 2\nl 1 2");
    EXPECT_EQ(0.5, w->Mesh(0)->GetControlPoints()[1][3]);
    EXPECT_EQ(1.0, w->Mesh(0)->GetControlPoints()[0][3]);
    EXPECT_STREQ("Object not supported : l\n", w->mMessage.Buffer());

    // A shared edge in smoothing group 1 gets the mean of the face normals.
    auto smooth = Read(square + "v 1 0 1\ns 1\nf 1 2 3\nf 2 5 3");
    const KQelVector4 shared = smooth->Mesh(0)->GetNormals()[1];
    EXPECT_NEAR(1.0, shared.Length(), 1e-12);
    EXPECT_NEAR(-shared[0], shared[2], 1e-12);

    for (const char* failing : {"v 1 2", "vn 1 2", "vt", "vp", "v 1 2 3\nsurf 0 1 0 1 1"})
        EXPECT_FALSE(Read(failing)->mRead) << failing;
}

TEST(ObjReader, MaterialLibrariesGiveMaterialsAndTextures)
{
    const std::string library =
        "newmtl Red\nKd 1 0 0\nKa 0.5 0.5\nNs 50\nd 0.25\nmap_Kd  first.tif \nmap_Kd  wood.tif \n"
        "newmtl Dull\nNs 50\nillum 1\nTr 0.75\nnewmtl red\nKd 0 1 0\n";
    const std::string obj = "mtllib missing.mtl lib.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\n"
                            "f 1 2 3\nusemtl Red\nf 1/1 2/2 3/1\nusemtl red\nf 1 2 3\nusemtl Dull\nf 1 2 3\n";
    auto r = Read(obj, library);
    ASSERT_TRUE(r->mRead);
    EXPECT_STREQ("Unable to load material library\n", r->mMessage.Buffer());
    KQelMesh* mesh = r->Mesh(0);
    EXPECT_EQ("Material::Red|Material::Dull", Materials(mesh));
    KQelMaterial* red = mesh->GM(0, 0);
    EXPECT_EQ(1.0, red->GetDiffuse().mRed);
    EXPECT_NEAR(0.2, red->GetAmbient().mRed, 1e-6);
    EXPECT_EQ(0.5, red->GetShininess());
    EXPECT_EQ(0.25, red->GetOpacity());
    EXPECT_EQ(0.0, mesh->GM(1, 0)->GetShininess());
    EXPECT_EQ(0.75, mesh->GM(1, 0)->GetOpacity());
    // Faces before the first material take index 0 and add nothing; the
    // untextured faces take the invisible "_empty_" texture.
    const int* materials = mesh->GetMaterialIndices();
    EXPECT_EQ(0, materials[0]);
    EXPECT_EQ(0, materials[2]);
    EXPECT_EQ(1, materials[3]);
    ASSERT_EQ(2, mesh->GTC(0));
    EXPECT_STREQ("Texture::_empty_", mesh->GT(0, 0)->GetName());
    EXPECT_EQ(0.0, mesh->GT(0, 0)->GetDefaultAlpha());
    EXPECT_STREQ("wood.tif", mesh->GT(1, 0)->GetFileName());
    EXPECT_EQ(1, mesh->GetTextureIndices()[1]);
    EXPECT_EQ(0, mesh->GetTextureIndices()[3]);
    // One (0, 0) for the corners without UV, then one per new triple.
    EXPECT_EQ(4, mesh->GetTextureUVCount());
}

TEST(ObjReader, RationalBSplineSurfacesBecomeNurbs)
{
    std::string obj;
    for (int i = 0; i < 16; ++i)
        obj += "v " + std::to_string(i % 4) + " " + std::to_string(i / 4) + " 0 0.5\n";
    const std::string body = "surf 0 1 0 1 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\nparm u 0 0 0 0 1 1 1 1\n"
                             "parm v 0 0 0 0 1 1 1 1\nend\n";
    const struct {
        std::string mHead;
        int mNodes;
    } cases[] = {
        {"cstype rat bspline\ndeg 3 3\n", 1},
        {"cstype bspline\ndeg 3 3\n", 0},
        {"cstype rat bezier\ndeg 3 3\n", 0},
        {"cstype rat bspline\ndeg -1 2147483647\n", 0},
        {"cstype rat bspline\ndeg 3 2\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mHead);
        auto r = Read(obj + c.mHead + body);
        ASSERT_TRUE(r->mRead);
        ASSERT_EQ(c.mNodes, r->Root()->GetChildCount());
        if (!c.mNodes)
            continue;
        KQelNurb* nurb = r->Node(0)->GetNurb();
        ASSERT_NE(nullptr, nurb);
        EXPECT_EQ(4, nurb->GetUCount());
        EXPECT_EQ(4, nurb->GetVCount());
        EXPECT_EQ(4u, nurb->GetUOrder());
        // The file's point 1 (u 1, v 0) lands at 0 * 1 + 1 * 4.
        EXPECT_EQ(1.0, nurb->GetControlPoints()[4][0]);
        EXPECT_EQ(0.5, nurb->GetControlPoints()[4][3]);
    }
    // A block cut by the end of the file still ends and converts.
    EXPECT_EQ(1, Read(obj + cases[0].mHead + body.substr(0, body.size() - 4))->Root()->GetChildCount());
}
