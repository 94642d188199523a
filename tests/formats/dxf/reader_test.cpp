#include <gtest/gtest.h>

#include <cmath>

#include "content/kqelcolor.h"
#include "formats/dxf/dxf_test_util.h"
#include "formats/kqeldeformationbaking.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsbase.h"

using namespace qelsdk_600;
using dxftest::File;
using dxftest::Pairs;
using dxftest::Polygons;
using dxftest::Read;

namespace {

const KStreamOptionsDxf::EObjectDerivation kByLayer = KStreamOptionsDxf::eMeshPerLayer;
const KStreamOptionsDxf::EObjectDerivation kByEntity = KStreamOptionsDxf::eNodePerEntity;
const KStreamOptionsDxf::EObjectDerivation kByBlock = KStreamOptionsDxf::eMeshPerBlock;

std::string DataFile(const char* pName)
{
    return std::string(QEL_DXF_DATA_DIR) + "/" + pName;
}

// The diffuse colour of the material of polygon p, "" without one.
std::string PolygonMaterial(KQelMesh* pMesh, int pPolygon)
{
    const int* indices = pMesh->GetMaterialIndices();
    KQelMaterial* material = indices ? pMesh->GM(indices[pPolygon], 0) : nullptr;
    if (!material)
        return "";
    const KQelColor c = material->GetDiffuse();
    char text[128];
    std::snprintf(text, sizeof(text), "%s %g %g %g", material->GetName(), c.mRed, c.mGreen, c.mBlue);
    return text;
}

void ExpectPoint(const KQelVector4& pPoint, double pX, double pY, double pZ)
{
    EXPECT_NEAR(pPoint[0], pX, 1e-9);
    EXPECT_NEAR(pPoint[1], pY, 1e-9);
    EXPECT_NEAR(pPoint[2], pZ, 1e-9);
}

std::unique_ptr<dxftest::Reading> ReadDataFile(const char* pName, bool pWeld, KStreamOptionsDxf::EObjectDerivation pWay)
{
    return dxftest::ReadPath(DataFile(pName), pWay, pWeld, true);
}

}  // namespace

TEST(DxfReader, LineTestGivesOneWeldedMeshOrOneNodePerEntity)
{
    for (bool weld : {true, false}) {
        auto r = ReadDataFile("lineTest.dxf", weld, kByLayer);
        ASSERT_TRUE(r->mRead);
        KQelNode* reference = r->Node(0);
        ASSERT_NE(nullptr, reference);
        EXPECT_STREQ("Model::lineTest_root", reference->GetName());
        ASSERT_EQ(1, reference->GetChildCount());
        EXPECT_STREQ("Model::1", reference->GetChild(0)->GetName());
        KQelMesh* mesh = reference->GetChild(0)->GetMesh();
        ASSERT_NE(nullptr, mesh);
        EXPECT_EQ(weld ? 6 : 9, mesh->GetControlPointsCount());
        ASSERT_EQ(3, mesh->GetPolygonCount());
        for (int p = 0; p < 3; ++p) {
            EXPECT_EQ(p == 0 ? 4 : 3, mesh->GetPolygonSize(p));
            EXPECT_EQ("Material::Material0 1 0 0", PolygonMaterial(mesh, p));
        }
    }
    auto r = ReadDataFile("lineTest.dxf", true, kByEntity);
    KQelNode* reference = r->Node(0);
    ASSERT_EQ("Model::3DFACE|Model::3DFACE1|Model::LINE", dxftest::ChildNames(reference));
    EXPECT_EQ(KQelNode::eWireFrame, reference->GetChild(2)->GetShadingMode());
}

TEST(DxfReader, PinkEggIsOneMeshOfQuadrilateralsWithoutMaterialAlsoThroughTheImporter)
{
    for (bool weld : {true, false}) {
        auto r = ReadDataFile("PinkEggFromLW.dxf", weld, kByLayer);
        ASSERT_TRUE(r->mRead);
        ASSERT_EQ(1, r->Node(0)->GetChildCount());
        KQelNode* node = r->Node(0)->GetChild(0);
        EXPECT_STREQ("Model::0", node->GetName());
        KQelMesh* mesh = node->GetMesh();
        ASSERT_NE(nullptr, mesh);
        EXPECT_EQ(weld ? 266 : 1152, mesh->GetControlPointsCount());
        ASSERT_EQ(288, mesh->GetPolygonCount());
        for (int p = 0; p < 288; ++p)
            ASSERT_EQ(4, mesh->GetPolygonSize(p));
        EXPECT_EQ(0, mesh->GMC(0));
        EXPECT_EQ(KQelLayerElement::eNoMappingInformation, mesh->GetMaterialMappingMode());
    }
    // Both through the importer's format 14, with its defaults.
    for (const char* name : {"lineTest.dxf", "PinkEggFromLW.dxf"}) {
        KQelSdkManager manager;
        KQelScene* scene = manager.CreateKQelScene();
        KQelImporter importer(manager);
        importer.SetFileFormat(KQelImporter::eDxf);
        importer.Initialize(DataFile(name).c_str());
        ASSERT_TRUE(importer.Import(*scene));
        EXPECT_EQ(name[0] == 'l' ? 6 : 266,
                  scene->GetRootNode()->GetChild(0)->GetChild(0)->GetMesh()->GetControlPointsCount());
    }
}

TEST(DxfReader, LinesAndFacesTurnToSceneAxes)
{
    auto line = Read(File("0 LINE\n10 1\n20 2\n30 3\n11 4\n21 5\n31 6"), kByEntity);
    ASSERT_TRUE(line->mRead);
    EXPECT_STREQ("Model::LINE", line->Node(0)->GetName());
    EXPECT_EQ(KQelNode::eWireFrame, line->Node(0)->GetShadingMode());
    ExpectPoint(line->Mesh(0)->GetControlPoints()[0], 1, 3, -2);
    ExpectPoint(line->Mesh(0)->GetControlPoints()[1], 4, 6, -5);
    EXPECT_EQ("0 1 0", Polygons(line->Mesh(0)));

    // Corners A, B, C, D are stored D, C, B, A.
    auto face = Read(File("0 3DFACE\n10 0\n20 0\n30 0\n11 1\n21 0\n31 0\n12 1\n22 1\n32 0\n13 0\n23 1\n33 0"),
                     kByEntity);
    KQelMesh* mesh = face->Mesh(0);
    ASSERT_EQ(4, mesh->GetControlPointsCount());
    ExpectPoint(mesh->GetControlPoints()[0], 0, 0, -1);
    ExpectPoint(mesh->GetControlPoints()[3], 0, 0, 0);
    EXPECT_EQ("0 1 2 3", Polygons(mesh));

    // The fourth corner repeating the third exactly makes a triangle.
    const struct {
        const char* mFourthX;
        int mCorners;
    } fourth[] = {{"1", 3}, {"1.000000001", 4}};
    for (const auto& f : fourth) {
        auto r = Read(File(std::string("0 3DFACE\n11 1\n12 1\n22 1\n13 ") + f.mFourthX + "\n23 1"), kByEntity);
        EXPECT_EQ(f.mCorners, r->Mesh(0)->GetPolygonSize(0));
    }
}

TEST(DxfReader, PolylinesGiveFacesAndEdges)
{
    const std::string points = "0 VERTEX\n70 192\n0 VERTEX\n10 1\n70 192\n0 VERTEX\n10 1\n20 1\n70 192\n"
                               "0 VERTEX\n20 1\n70 192\n";
    const struct {
        const char* mPolyline;
        const std::string mVertices;
        const char* mPolygons;
    } cases[] = {
        {"70 64\n71 4\n72 1", points + "0 VERTEX\n70 128\n71 1\n72 2\n73 3\n74 4", "3 2 1 0"},
        {"70 64", points + "0 VERTEX\n70 128\n71 1\n72 -2\n73 3", "2 1 0"},
        {"70 64", points + "0 VERTEX\n70 128\n71 1\n72 2", "0 1 0"},
        {"70 64", points + "0 VERTEX\n70 128\n71 0\n72 2\n73 3", ""},
        {"70 9", "0 VERTEX\n70 32\n0 VERTEX\n10 1\n70 32\n0 VERTEX\n10 2\n70 32", "1 0 1|2 1 2|0 2 0"},
        {"70 8", "0 VERTEX\n70 32\n0 VERTEX\n10 1\n70 32\n0 VERTEX\n10 2\n70 32", "1 0 1|2 1 2"},
        {"70 0", "0 VERTEX\n70 0\n0 VERTEX\n10 1\n70 0", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mPolygons);
        auto r = Read(File(std::string("0 POLYLINE\n") + c.mPolyline + "\n" + c.mVertices + "\n0 SEQEND"), kByEntity);
        ASSERT_TRUE(r->mRead);
        ASSERT_NE(nullptr, r->Mesh(0));
        EXPECT_EQ(c.mPolygons, Polygons(r->Mesh(0)));
    }
    auto square = Read(File("0 POLYLINE\n70 64\n" + points + "0 SEQEND"), kByEntity);
    ExpectPoint(square->Mesh(0)->GetControlPoints()[2], 1, 0, -1);

    // Without vertices no node; a second polyface on a layer counts its own.
    EXPECT_EQ(0, Read(File("0 POLYLINE\n70 64\n0 SEQEND"), kByEntity)->Root()->GetChildCount());
    const std::string triangle = "0 POLYLINE\n8 L\n70 64\n" + points + "0 VERTEX\n70 128\n71 1\n72 2\n73 3\n0 SEQEND\n";
    EXPECT_EQ("2 1 0|6 5 4", Polygons(Read(File(triangle + triangle), kByLayer, false)->Mesh(0)));
}

TEST(DxfReader, ColourNumbersResolveThroughLayers)
{
    const std::string tables = dxftest::LayerTable({{"Off", -3}, {"Five", -5}, {"Four", 4}, {"Red", 1}});
    const struct {
        const char* mEntities;
        const char* mMaterial;
    } cases[] = {
        {"0 LINE\n8 Off", "Material::Material0 0 1 0"},
        {"0 LINE\n8 Off\n62 256", "Material::Material0 0 1 0"},
        {"0 LINE\n8 Red\n62 -2", ""},
        {"0 POLYLINE\n8 Five\n70 64\n0 VERTEX\n70 192\n0 VERTEX\n70 192\n0 VERTEX\n70 128\n71 1\n72 2\n0 SEQEND",
         "Material::Material0 0 0 1"},
        {"0 POLYLINE\n62 1\n70 64\n0 VERTEX\n70 192\n0 VERTEX\n70 192\n0 VERTEX\n70 128\n62 3\n71 1\n72 2\n0 SEQEND",
         "Material::Material0 0 1 0"},
        {"0 POLYLINE\n70 64\n0 VERTEX\n70 192\n0 VERTEX\n70 192\n0 VERTEX\n8 Four\n70 128\n62 0\n71 1\n72 2\n0 SEQEND",
         "Material::Material0 0 1 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mEntities);
        auto r = Read(File(c.mEntities, tables));
        ASSERT_TRUE(r->mRead);
        EXPECT_EQ(c.mMaterial, PolygonMaterial(r->Mesh(0), 0));
    }
    // The layer that is off gives an invisible node.
    EXPECT_FALSE(Read(File("0 LINE\n8 Off", tables))->Node(0)->GetVisibility());

    // One material per colour number, shared by meshes; a colourless polygon
    // among coloured ones takes index 0.
    auto r = Read(File("0 LINE\n8 A\n62 5\n0 LINE\n8 B\n62 5\n0 LINE\n8 B\n62 -1\n0 LINE\n8 B\n62 7"));
    EXPECT_EQ("Material::Material0 0 0 1", PolygonMaterial(r->Mesh(0), 0));
    EXPECT_EQ("Material::Material0 0 0 1", PolygonMaterial(r->Mesh(1), 1));
    EXPECT_EQ("Material::Material1 1 1 1", PolygonMaterial(r->Mesh(1), 2));
}

TEST(DxfReader, LayersMergeWithoutRegardToCaseAndSortByName)
{
    auto r = Read(File("0 INSERT\n2 D\n0 LINE\n8 Wall\n11 1\n0 LINE\n8 WALL\n10 1\n11 2\n0 LINE\n8 a\n"
                       "0 LINE\n8 Wall A\n0 LINE\n8 Wall B",
                       "", "0 BLOCK\n2 D\n0 LINE\n0 ENDBLK"));
    ASSERT_TRUE(r->mRead);
    ASSERT_EQ("Model::D|Model::a|Model::Wall|Model::Wall A|Model::Wall B", dxftest::ChildNames(r->Root()));
    EXPECT_EQ(3, r->Mesh(2)->GetControlPointsCount());
    EXPECT_EQ(4, Read(File("0 LINE\n11 1\n0 LINE\n10 1\n11 2"), kByLayer, false)->Mesh(0)->GetControlPointsCount());
    // A degenerate face is dropped from a layer's mesh, kept as an entity.
    const std::string point = "0 3DFACE\n13 1\n0 LINE\n11 1";
    EXPECT_EQ(1, Read(File(point))->Mesh(0)->GetPolygonCount());
    EXPECT_EQ(2, Read(File(point), kByEntity)->Root()->GetChildCount());
}

TEST(DxfReader, FileStructureAndErrors)
{
    const struct {
        std::string mText;
        bool mRead;
    } cases[] = {
        {"0\nEOF\n", true},
        {"0\nEOF", true},
        {Pairs("0 SECTION\n2 ENTITIES\n0 LINE\n0 ENDSEC") + "garbage", true},
        {Pairs("0 SECTION\n2 HEADER\n0 ENDSEC"), false},
        {Pairs("0 SECTION\n2 ENTITIES\n0 LINE"), false},
        {Pairs("0 SECTION\n2 TABLES\n0 TABLE\n2 LAYER"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mText);
        EXPECT_EQ(c.mRead, Read(c.mText)->mRead);
    }
    // Carriage returns before the line feeds change nothing.
    std::string crlf;
    for (char ch : File("0 LINE\n10 1\n11 2"))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(2, Read(crlf)->Mesh(0)->GetControlPointsCount());

    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    KQelReaderDxf reader(manager);
    KStreamOptionsDxf options;
    EXPECT_FALSE(reader.Read(*scene, &options));
    EXPECT_EQ(KQelReader::eFileNotOpened, reader.GetLastErrorID());
    EXPECT_FALSE(reader.FileOpen("/nonexistent/site.dxf"));
    EXPECT_STREQ("File not opened", reader.GetLastErrorString());
    scratch::ScratchDir dir;
    scratch::WriteFile(dir.File("site.dxf"), "0\nEOF\n");
    ASSERT_TRUE(reader.FileOpen(dir.File("site.dxf").c_str()));
    KStreamOptionsObj foreign;
    EXPECT_FALSE(reader.Read(*scene, &foreign));
    EXPECT_EQ(KQelReader::eStreamOptionsNotSet, reader.GetLastErrorID());
    ASSERT_TRUE(reader.Read(*scene, &options));
    EXPECT_STREQ("Model::site_root", scene->GetRootNode()->GetChild(0)->GetName());
}

TEST(DxfReader, InsertsPlaceCopiesOfBlocks)
{
    const std::string blocks = "0 BLOCK\n2 DOOR\n0 LINE\n11 1\n0 ENDBLK\n0 BLOCK\n2 FRAME\n0 INSERT\n2 DOOR\n0 ENDBLK\n"
                               "0 BLOCK\n2 EMPTY\n0 ENDBLK\n0 BLOCK\n2 BASED\n10 1\n0 LINE\n0 ENDBLK";
    auto r = Read(File("0 INSERT\n2 DOOR\n41 2\n42 3\n43 4\n50 90\n0 INSERT\n2 DOOR\n10 1\n20 2\n30 3\n"
                       "0 INSERT\n2 door\n0 INSERT\n2 EMPTY\n0 INSERT\n2 FRAME\n0 LINE\n8 after\n"
                       "0 INSERT\n2 BASED\n10 10\n41 2\n42 2\n43 2\n50 90",
                       "", blocks));
    ASSERT_TRUE(r->mRead);
    ASSERT_EQ("Model::DOOR|Model::DOOR1|Model::FRAME|Model::BASED|Model::after", dxftest::ChildNames(r->Root()));
    KQelVector4 v;
    ExpectPoint(r->Node(0)->GetDefaultS(v), 2, 4, 3);
    ExpectPoint(r->Node(0)->GetDefaultR(v), 0, 90, 0);
    ExpectPoint(r->Node(1)->GetDefaultT(v), 1, 3, -2);
    ExpectPoint(r->Node(1)->GetDefaultS(v), 1, 1, 1);
    EXPECT_NE(r->Mesh(0), r->Mesh(1));
    EXPECT_EQ(nullptr, r->Mesh(2));
    EXPECT_EQ("Model::DOOR2", dxftest::ChildNames(r->Node(2)));
    // The base point (1, 0, 0) lands on the insertion point (10, 0, 0).
    const KQelVector4 base = GetGlobalPosition(r->Node(3)).MultT(KQelVector4(1, 0, 0, 1));
    ExpectPoint(base, 10, 0, 0);

    // As blocks, the section's own entities form one node beside the
    // INSERT's; a BLOCKS section after ENTITIES still serves.
    std::string late = Pairs("0 SECTION\n2 ENTITIES\n0 LINE\n0 INSERT\n2 DOOR\n0 ENDSEC\n0 SECTION\n2 BLOCKS\n") +
                       Pairs(blocks + "\n0 ENDSEC\n0 EOF");
    auto asBlock = Read(late, kByBlock);
    ASSERT_TRUE(asBlock->mRead);
    EXPECT_EQ("Model::DOOR|Model::ENTITIES", dxftest::ChildNames(asBlock->Root()));
}

TEST(DxfReader, NoEmptyNodeForInsertsOrDegenerateFaces)
{
    const std::string blocks = "0 BLOCK\n2 DOOR\n0 LINE\n11 1\n0 ENDBLK";
    const std::string insert = "0 INSERT\n2 DOOR\n";
    const std::string good = "0 3DFACE\n8 Q\n11 1\n12 1\n22 1\n";
    const std::string point = "0 3DFACE\n8 D\n";
    const struct {
        std::string mEntities;
        KStreamOptionsDxf::EObjectDerivation mWay;
        const char* mNodes;
    } cases[] = {
        // An INSERT expanded beside the section's node is none of its own.
        {insert, kByBlock, "Model::DOOR"},
        {insert + good, kByBlock, "Model::DOOR|Model::ENTITIES"},
        {insert + good, kByEntity, "Model::DOOR|Model::3DFACE"},
        {insert + good, kByLayer, "Model::DOOR|Model::Q"},
        // A degenerate face is dropped before its layer is made.
        {good + point, kByLayer, "Model::Q"},
        {good + point, kByEntity, "Model::3DFACE|Model::3DFACE1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mEntities + " " + std::to_string(c.mWay));
        auto r = Read(File(c.mEntities, "", blocks), c.mWay);
        ASSERT_TRUE(r->mRead);
        EXPECT_EQ(c.mNodes, dxftest::ChildNames(r->Root()));
        for (int i = 0; i < r->Root()->GetChildCount(); ++i)
            EXPECT_EQ(1, r->Mesh(i) ? r->Mesh(i)->GetPolygonCount() : 0) << i;
    }
}

TEST(DxfReader, ColourNumbersTranslate)
{
    const struct {
        int mNumber;
        double mRed, mGreen, mBlue;
    } cases[] = {
        {1, 1, 0, 0},         {8, 0.502, 0.502, 0.502}, {10, 1, 0, 0},         {11, 1, 0.5, 0.5},
        {12, 0.65, 0, 0},     {13, 0.65, 0.325, 0.325}, {19, 0.15, 0.075, 0.075}, {30, 1, 0.5, 0},
        {130, 0, 1, 1},       {240, 1, 0, 0.25},        {249, 0.15, 0.075, 0.09375}, {250, 0.33, 0.33, 0.33},
        {255, 1, 1, 1},       {0, 0.1, 0.2, 0.3},       {256, 0.1, 0.2, 0.3},     {-4, 0.1, 0.2, 0.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mNumber);
        KQelColor colour(0.1, 0.2, 0.3, 0.4);
        KQelReaderDxf::TranslateColor(c.mNumber, colour);
        EXPECT_NEAR(c.mRed, colour.mRed, 1e-12);
        EXPECT_NEAR(c.mGreen, colour.mGreen, 1e-12);
        EXPECT_NEAR(c.mBlue, colour.mBlue, 1e-12);
        EXPECT_EQ(0.4, colour.mAlpha);
    }
}
