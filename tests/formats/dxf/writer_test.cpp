#include <gtest/gtest.h>

#include "common/comma_locale.h"
#include "common/writable_scene.h"

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqelshape.h"
#include "formats/dxf/dxf_test_util.h"
#include "formats/dxf/kqelwriterdxf.h"
#include "io/kqelexporter.h"

using namespace qelsdk_600;
using dxftest::Polygons;

namespace {

const char* const kHeader =
    "999\nSorvinn Dxf writer for QEL\n  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1008\n"
    "  9\n$UCSORG\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  9\n$UCSXDIR\n 10\n1.0\n 20\n0.0\n 30\n0.0\n"
    "  9\n$TILEMODE\n 70\n   1\n  9\n$UCSYDIR\n 10\n0.0\n 20\n1.0\n 30\n0.0\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nTABLES\n";
const char* const kEnd = "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";

typedef writablescene::WritableScene<KQelWriterDxf, KStreamOptionsDxf> Scene;

// The values of the pairs with the code, blank-separated; for "faces" the
// corners of each face record, "|a b c".
std::string Values(const std::string& pText, const std::string& pCode)
{
    std::istringstream in(pText);
    std::string code, value, out;
    bool face = false;
    while (std::getline(in, code) && std::getline(in, value)) {
        face = code != "  0" && (face || (code == " 70" && value == "   128"));
        const bool corner = face && code >= " 71" && code <= " 74";
        if (code == pCode || (pCode == "faces" && corner))
            out += (out.empty() || (out.back() == '|') ? "" : " ") + value.substr(value.find_first_not_of(' '));
        else if (pCode == "faces" && face && code == " 70")
            out += "|";
    }
    return out;
}

}  // namespace

TEST(DxfWriter, FileLinesAreExact)
{
    Scene empty;
    EXPECT_EQ(std::string(kHeader) + kEnd + "  0\nENDSEC\n  0\nEOF\n", empty.Write());

    Scene scene;
    KQelNode* camera = scene.mManager.CreateKQelNode("camera");
    camera->SetNodeAttribute(scene.mManager.CreateKQelCamera());
    scene.mScene->GetRootNode()->AddChild(camera);
    scene.AddMesh("tri", {KQelVector4(0, 0, 0, 1), KQelVector4(1, 0, 0, 1), KQelVector4(0, 1, 0, 1)}, {{0, 1, 2}});
    std::string points;
    for (const char* xyz : {"0.000000\n 20\n-0.000000\n 30\n0.000000", "1.000000\n 20\n-0.000000\n 30\n0.000000",
                            "0.000000\n 20\n-0.000000\n 30\n1.000000"})
        points += std::string("  0\nVERTEX\n  8\nModel::tri\n 10\n") + xyz + "\n 70\n   192\n";
    EXPECT_EQ(std::string(kHeader) +
                  "  0\nTABLE\n  2\nLTYPE\n 70\n   1\n  0\nLTYPE\n  2\nCONTINUOUS\n 70\n   64\n  3\nSolid line\n"
                  " 72\n   65\n 73\n   0\n 40\n0.0\n  0\nENDTAB\n  0\nTABLE\n  2\nLAYER\n 70\n   2\n"
                  "  0\nLAYER\n  2\nModel::tri\n 70\n   0\n 62\n   0\n  6\nCONTINUOUS\n  0\nENDTAB\n" +
                  kEnd +
                  "  0\nPOLYLINE\n  8\nModel::tri\n 66\n   1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n   64\n"
                  " 71\n   3\n 72\n   1\n" +
                  points +
                  "  0\nVERTEX\n  8\nModel::tri\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n   128\n"
                  " 71\n   3\n 72\n   2\n 73\n   1\n  0\nSEQEND\n  0\nENDSEC\n  0\nEOF\n",
              scene.Write());
}

TEST(DxfWriter, LineBreaksInNamesBecomeUnderscores)
{
    Scene scene;
    scene.AddMesh("two\nlines\r", {KQelVector4(), KQelVector4(1, 0, 0, 1), KQelVector4(0, 1, 0, 1)}, {{0, 1, 2}});
    const std::string text = scene.Write();
    EXPECT_EQ("Model::two_lines_ Model::two_lines_ Model::two_lines_ Model::two_lines_ Model::two_lines_",
              Values(text, "  8"));
    EXPECT_NE(std::string::npos, text.find("  2\nModel::two_lines_\n"));
}

TEST(DxfWriter, PolygonsBecomeFaceRecords)
{
    const std::vector<KQelVector4> five(5, KQelVector4());
    const struct {
        std::vector<int> mPolygon;
        bool mTriangulate;
        const char* mFaces;
    } cases[] = {
        {{0, 1, 2, 3}, false, "|4 3 2 1"},
        {{0, 1, 2, 3}, true, "|3 2 1|1 4 3"},
        {{0, 1, 2, 3, 4}, false, "|3 2 1|4 3 1|5 4 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFaces);
        Scene scene;
        scene.AddMesh("poly", five, {c.mPolygon});
        const std::string text = scene.Write(c.mTriangulate);
        EXPECT_EQ(c.mFaces, Values(text, "faces"));
        // The polyline counts points and polygons, not face records.
        // After the line type's 72 the polyline's.
        EXPECT_EQ(c.mTriangulate ? "5 65 2" : "5 65 1", Values(text, " 71").substr(0, 1) + " " + Values(text, " 72").substr(0, 4));
    }
}

TEST(DxfWriter, ColoursComeFromLayerZeroMaterials)
{
    // Materials by polygon: each face its own colour, a hidden layer's
    // colour negative, entries past the index array none.
    Scene scene;
    KQelMesh* mesh = scene.AddMesh("m", std::vector<KQelVector4>(3), {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}});
    mesh->InitMaterialIndices(KQelLayerElement::eByPolygon);
    mesh->AM(scene.Material(0, 1, 0), 0);
    mesh->AM(scene.Material(1, 0, 0), 0);
    mesh->GetLayer(0)->GetMaterials()->GetIndexArray().SetCount(0);
    for (int index : {0, 1})
        mesh->GetLayer(0)->GetMaterials()->GetIndexArray().Add(index);
    scene.mScene->GetRootNode()->GetChild(0)->SetVisibility(false);
    EXPECT_EQ("-1 1 3 1", Values(scene.Write(false), " 62"));

    // Materials by control point colour the points.
    Scene points;
    KQelMesh* coloured = points.AddMesh("p", std::vector<KQelVector4>(3), {{0, 1, 2}});
    coloured->AM(points.Material(0, 0, 1), 0);
    coloured->InitMaterialIndices(KQelLayerElement::eByControlPoint);
    coloured->GetLayer(0)->GetMaterials()->GetIndexArray().SetCount(2);
    EXPECT_EQ("5 5 5 5 5", Values(points.Write(false), " 62"));
}

TEST(DxfWriter, CubeRoundTripsInWorldPlace)
{
    Scene scene;
    KQelNode* parent = scene.mManager.CreateKQelNode("parent");
    parent->SetDefaultT(KQelVector4(10, 20, 30, 0));
    scene.mScene->GetRootNode()->AddChild(parent);
    std::vector<KQelVector4> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back(KQelVector4(i & 1, (i >> 1) & 1, (i >> 2) & 1, 1));
    const std::vector<std::vector<int>> faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    KQelMesh* mesh = scene.AddMesh("cube", corners, faces, parent);
    mesh->InitMaterialIndices(KQelLayerElement::eAllSame);
    mesh->AM(scene.Material(1, 0, 0), 0);

    scratch::ScratchDir dir;
    const std::string text = scene.WriteTo(dir.File("cube.dxf"), false);
    auto read = dxftest::ReadPath(dir.File("cube.dxf"), KStreamOptionsDxf::eMeshPerLayer, true, false);
    ASSERT_TRUE(read->mRead) << text;
    KQelMesh* back = read->Mesh(0);
    ASSERT_EQ(8, back->GetControlPointsCount());
    for (int i = 0; i < 8; ++i) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(corners[i][c] + 10.0 * (c + 1), back->GetControlPoints()[i][c], 1e-6);
    }
    EXPECT_EQ("0 2 3 1|4 5 7 6|0 1 5 4|2 6 7 3|0 4 6 2|1 3 7 5", Polygons(back));
    const KQelColor red = back->GM(0, 0)->GetDiffuse();
    EXPECT_EQ(1.0, red.mRed);
    EXPECT_EQ(0.0, red.mGreen + red.mBlue);

    // Numbers follow the "C" locale whatever the process's.
    commalocale::CommaLocale comma;
    if (comma.Available()) {
        EXPECT_EQ(text, scene.WriteTo(dir.File("comma.dxf"), false));
        auto again = dxftest::ReadPath(dir.File("comma.dxf"), KStreamOptionsDxf::eMeshPerLayer, true, false);
        ASSERT_NE(nullptr, again->Mesh(0));
        EXPECT_NEAR(31.0, again->Mesh(0)->GetControlPoints()[7][2], 1e-6);
    }
}

TEST(DxfWriter, FailuresAreReported)
{
    Scene scene;
    scene.AddMesh("tri", std::vector<KQelVector4>(3), {{0, 1, 2}});
    EXPECT_EQ("failed 3", scene.WriteTo("/dev/full"));
    EXPECT_EQ("failed 1", scene.WriteTo("/nonexistent/dir/out.dxf"));

    KQelWriterDxf writer(scene.mManager);
    scratch::ScratchDir dir;
    ASSERT_TRUE(writer.FileCreate(dir.File("obj.dxf").c_str()));
    KStreamOptionsObj foreign;
    EXPECT_FALSE(writer.Write(*scene.mScene, &foreign));
    EXPECT_EQ(KQelWriter::eStreamOptionsNotSet, writer.GetLastErrorID());
    writer.FileClose();
    EXPECT_EQ("", scratch::ReadFile(dir.File("obj.dxf")));

    KQelExporter exporter(scene.mManager);
    exporter.SetFileFormat(KQelExporter::eDxf);
    exporter.Initialize("/dev/full");
    KStreamOptions* options = exporter.GetExportOptions();
    EXPECT_FALSE(exporter.Export(*scene.mScene, options));
    EXPECT_EQ(KQelIO::eOutOfDiskSpace, exporter.GetLastErrorID());
    exporter.ReleaseExportOptions(options);
}

TEST(DxfWriter, DeformationsAreBakedWhenAsked)
{
    for (bool deform : {true, false}) {
        Scene scene;
        KQelMesh* mesh = scene.AddMesh("s", std::vector<KQelVector4>(3, KQelVector4(0, 0, 0, 1)), {{0, 1, 2}});
        KQelShape* shape = scene.mManager.CreateKQelShape();
        shape->InitControlPoints(3);
        for (int i = 0; i < 3; ++i)
            shape->GetControlPoints()[i] = KQelVector4(0, 2, 0, 1);
        mesh->SetDefaultShape(mesh->AddShape(shape, "up"), 1.0);
        const std::string text = scene.Write(false, deform);
        const std::string heights = Values(text, " 30");
        EXPECT_EQ(deform ? "2.000000 2.000000 2.000000 0.0" : "0.000000 0.000000 0.000000 0.0",
                  heights.substr(heights.size() - 30));
        EXPECT_EQ(deform ? 2.0 : 0.0, mesh->GetControlPoints()[0][1]);
    }
}

TEST(DxfWriter, ColourNumbersOfColours)
{
    const struct {
        double mRed, mGreen, mBlue;
        int mNumber;
    } cases[] = {
        {1, 0, 0, 1},     {0.5, 0.5, 0.5, 251}, {0.502, 0.502, 0.502, 8}, {0.2, 0.2, 0.2, 250}, {1, 0.9, 0.9, 255},
        {1, 0.5, 0, 30},  {0.5, 0, 0, 14},      {0, 0, 0.1, 178},         {1, 1, 0.5, 51},      {0.9, 0.9, 0, 50},
        {1, 0, 0.5, 230}, {0.2, 0.6, 1, 150},   {1, 0.8, 0.8, 11},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.mNumber, KQelWriterDxf::GetACIFromQELColor(KQelColor(c.mRed, c.mGreen, c.mBlue, 0.3)))
            << c.mRed << " " << c.mGreen << " " << c.mBlue;
}
