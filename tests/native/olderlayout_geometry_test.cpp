// Geometry blocks of the older layout: meshes with their layers, links and
// shapes, NURBS surfaces and patches, written and read back, and the
// examples and hostile inputs of their fields.
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqellayer.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "block_test_util.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {
namespace blocktest {
namespace {

typedef KQelLayerElement Element;

using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldI;

void WriteInts(KQel& pFile, const char* pName, std::initializer_list<int> pValues)
{
    pFile.FieldWriteBegin(pName);
    for (int value : pValues)
        pFile.FieldWriteI(value);
    pFile.FieldWriteEnd();
}

void WriteDoubles(KQel& pFile, const char* pName, int pCount, double pValue = 0.5)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0; i < pCount; ++i)
        pFile.FieldWriteD(pValue);
    pFile.FieldWriteEnd();
}

// The values of a field of the "Model" block of a written file.
std::vector<double> FieldValues(Blocks& pBlocks, const std::string& pPath, const char* pBlock, const char* pName)
{
    std::vector<double> values;
    ReadBlocks(pBlocks, pPath, [&](BlockReader&, KQel& pFile) {
        native_detail::ReadBlock model(pFile, "Model");
        native_detail::ReadBlock inner(pFile, pBlock ? pBlock : "Model");
        if (pBlock && !inner.IsOpen())
            return;
        if (!pFile.FieldReadBegin(pName))
            return;
        for (int i = 0, n = pFile.FieldReadGetCount(); i < n; ++i)
            values.push_back(pFile.FieldReadD());
        pFile.FieldReadEnd();
    });
    return values;
}

TEST(GeometryBlocks, PivotAndShapeDifferencesAreWrittenInPivotSpace)
{
    const struct {
        const char* mName;
        KQelXMatrix mPivot;
        std::vector<double> mVertex;  // control point 0 = (1, 0, 0)
        std::vector<double> mNormal;  // normal 0 = (1, 0, 0)
        std::vector<double> mShape;   // point 7 moved by (0, 1, 0)
    } cases[] = {
        {"identity", KQelXMatrix(), {1, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {"scale 2 and 90 degrees about Z",
         KQelXMatrix(KQelVector4(), KQelVector4(0, 0, 90, 0), KQelVector4(2, 2, 2, 0)), {0, 2, 0}, {0, 1, 0}, {-2, 0, 0}},
        {"scale 2", KQelXMatrix(KQelVector4(5, 5, 5, 0), KQelVector4(), KQelVector4(2, 2, 2, 0)), {7, 5, 5}, {1, 0, 0},
         {0, 2, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        KQelMesh* mesh = blocks.manager.CreateKQelMesh();
        mesh->InitControlPoints(8);
        mesh->GetControlPoints()[0] = KQelVector4(1, 0, 0, 0);
        mesh->InitNormals(8);
        mesh->GetNormals()[0] = KQelVector4(1, 0, 0, 0);
        mesh->SetPivot(c.mPivot);
        KQelShape* shape = blocks.manager.CreateKQelShape();
        shape->Copy(static_cast<KQelGeometryBase&>(*mesh));
        shape->GetControlPoints()[7][1] = 1.0;
        mesh->AddShape(shape, "Up");
        const std::string path = blocks.dir.File("pivot.qel");
        WriteBlocks(blocks, path, true, [&](BlockWriter& pWriter, KQel& pFile) {
            native_detail::WriteBlock model(pFile, "Model", "Model::A");
            pWriter.WriteKQelMesh(*mesh);
        });
        auto first3 = [](std::vector<double> pValues) {
            pValues.resize(3);
            for (double& value : pValues)
                value = std::abs(value) < 1e-12 ? 0.0 : value;
            return pValues;
        };
        EXPECT_EQ(first3(FieldValues(blocks, path, nullptr, "Vertices")), c.mVertex);
        EXPECT_EQ(first3(FieldValues(blocks, path, nullptr, "Normals")), c.mNormal);
        EXPECT_EQ(FieldValues(blocks, path, "Shape", "Indexes"), std::vector<double>{7});
        EXPECT_EQ(first3(FieldValues(blocks, path, "Shape", "Vertices")), c.mShape);
    }
}

KQelNurb* BuildNurb(KQelSdkManager& pManager)
{
    KQelNurb* nurb = pManager.CreateKQelNurb();
    nurb->SetOrder(4, 3);
    nurb->InitControlPoints(4, KQelNurb::kOpen, 4, KQelNurb::kPeriodic);
    nurb->SetStep(5, 6);
    nurb->SetSurfaceMode(KQelGeometry::eLow);
    for (int i = 0; i < 16; ++i)
        nurb->GetControlPoints()[i] = KQelVector4(i % 4, i / 4, 0.25 * i, 1.0);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = i;
    for (int i = 0; i < nurb->GetVKnotCount(); ++i)
        nurb->GetVKnotVector()[i] = 0.5 * i;
    nurb->GetUMultiplicityVector()[1] = 2;
    nurb->GetVMultiplicityVector()[3] = 3;
    return nurb;
}

TEST(GeometryBlocks, SurfacesReadBackEveryValue)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        Blocks blocks;
        KQelNurb* nurb = BuildNurb(blocks.manager);
        KQelPatch* patch = blocks.manager.CreateKQelPatch();
        patch->InitControlPoints(3, KQelPatch::eBSpline, 2, KQelPatch::eCardinal);
        for (int i = 0; i < 6; ++i)
            patch->GetControlPoints()[i] = KQelVector4(i, -i, 2 * i, 1.0);
        patch->SetStep(2, 3);
        patch->SetClosed(true, false);
        patch->SetUCapped(false, true);
        patch->SetVCapped(true, false);
        patch->SetSurfaceMode(KQelGeometry::eRaw);
        KQelNurb* readNurb = blocks.manager.CreateKQelNurb();
        KQelPatch* readPatch = blocks.manager.CreateKQelPatch();
        const std::string path = blocks.dir.File("surfaces.qel");
        WriteBlocks(blocks, path, binary, [&](BlockWriter& pWriter, KQel& pFile) {
            {
                WriteBlock model(pFile, "Model", "Model::N");
                pWriter.WriteKQelNurb(*nurb);
            }
            WriteBlock model(pFile, "Model", "Model::P");
            pWriter.WriteKQelPatch(*patch);
        });
        ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
            {
                native_detail::ReadBlock model(pFile, "Model");
                EXPECT_EQ(pFile.FieldReadC("Type", ""), std::string("Nurb"));
                EXPECT_TRUE(pReader.ReadKQelNurb(*readNurb));
            }
            native_detail::ReadBlock model(pFile, "Model");
            EXPECT_EQ(pFile.FieldReadC("Type", ""), std::string("Patch"));
            EXPECT_TRUE(pReader.ReadKQelPatch(*readPatch));
            EXPECT_FALSE(pReader.Corrupt());
        });
        EXPECT_EQ(readNurb->GetUOrder(), 4u);
        EXPECT_EQ(readNurb->GetVOrder(), 3u);
        EXPECT_EQ(readNurb->GetUType(), KQelNurb::kOpen);
        EXPECT_EQ(readNurb->GetVType(), KQelNurb::kPeriodic);
        EXPECT_EQ(readNurb->GetUStep(), 5);
        EXPECT_EQ(readNurb->GetVStep(), 6);
        EXPECT_EQ(readNurb->GetSurfaceMode(), KQelGeometry::eLow);
        ASSERT_EQ(readNurb->GetControlPointsCount(), 16);
        for (int i = 0; i < 16; ++i)
            EXPECT_TRUE(readNurb->GetControlPoints()[i] == nurb->GetControlPoints()[i]);
        ASSERT_EQ(readNurb->GetUKnotCount(), nurb->GetUKnotCount());
        ASSERT_EQ(readNurb->GetVKnotCount(), nurb->GetVKnotCount());
        for (int i = 0; i < nurb->GetUKnotCount(); ++i)
            EXPECT_EQ(readNurb->GetUKnotVector()[i], nurb->GetUKnotVector()[i]);
        for (int i = 0; i < nurb->GetVKnotCount(); ++i)
            EXPECT_EQ(readNurb->GetVKnotVector()[i], nurb->GetVKnotVector()[i]);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(readNurb->GetUMultiplicityVector()[i], nurb->GetUMultiplicityVector()[i]);
            EXPECT_EQ(readNurb->GetVMultiplicityVector()[i], nurb->GetVMultiplicityVector()[i]);
        }
        EXPECT_EQ(readPatch->GetUType(), KQelPatch::eBSpline);
        EXPECT_EQ(readPatch->GetVType(), KQelPatch::eCardinal);
        EXPECT_EQ(readPatch->GetUCount(), 3);
        EXPECT_EQ(readPatch->GetVCount(), 2);
        EXPECT_EQ(readPatch->GetUStep(), 2);
        EXPECT_EQ(readPatch->GetVStep(), 3);
        EXPECT_EQ(readPatch->GetSurfaceMode(), KQelGeometry::eRaw);
        EXPECT_TRUE(readPatch->GetUClosed());
        EXPECT_FALSE(readPatch->GetVClosed());
        EXPECT_FALSE(readPatch->GetUCappedBottom());
        EXPECT_TRUE(readPatch->GetUCappedTop());
        EXPECT_TRUE(readPatch->GetVCappedBottom());
        EXPECT_FALSE(readPatch->GetVCappedTop());
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(readPatch->GetControlPoints()[i] == patch->GetControlPoints()[i]);
    }
}

TEST(GeometryBlocks, SurfaceCountsAndValuesAreCheckedBeforeUse)
{
    auto nurbFields = [](int pUCount, int pVCount, int pOrder, int pPoints, const char* pForm, double pWeight) {
        return [=](KQel& f) {
            WriteInts(f, "NurbOrder", {pOrder, pOrder});
            WriteInts(f, "Dimensions", {pUCount, pVCount});
            f.FieldWriteBegin("Form");
            f.FieldWriteC("OPEN");
            f.FieldWriteC(pForm);
            f.FieldWriteEnd();
            f.FieldWriteBegin("Points");
            for (int i = 0; i < pPoints; ++i)
                f.FieldWriteD(i % 4 == 3 ? pWeight : 0.5);
            f.FieldWriteEnd();
            WriteDoubles(f, "KnotVectorU", 8, 2.0);
        };
    };
    const struct {
        const char* mName;
        std::function<void(KQel&)> mFields;
        bool mPatch;
        int mError;
        const char* mText;
        int mPoints;
        bool mKnotsRead;
    } cases[] = {
        {"a 4 x 4 surface", nurbFields(4, 4, 4, 64, "closed", 1.0), false, -1, "", 16, true},
        {"63 point values", nurbFields(4, 4, 4, 63, "Closed", 1.0), false, 9,
         "Control point definition error (wrong number of data).", 16, true},
        {"100000 x 100000 with 16 points", nurbFields(100000, 100000, 4, 64, "Closed", 1.0), false, 9,
         "Control point definition error (wrong number of data).", 0, false},
        {"order -1", nurbFields(4, 4, -1, 64, "Closed", 1.0), false, 9,
         "Control point definition error (wrong number of data).", 0, false},
        {"order above the count", nurbFields(4, 4, 5, 64, "Closed", 1.0), false, 9,
         "Control point definition error (wrong number of data).", 0, false},
        {"unknown form", nurbFields(4, 4, 4, 64, "Wavy", 1.0), false, 10, "Type of nurb unknown (invalid data).", 16,
         true},
        {"weight 0.00001", nurbFields(4, 4, 4, 64, "Closed", 0.00001), false, 10,
         "Weight of control point must be greater than 0 (invalid data).", 16, true},
        {"weight 0.000011", nurbFields(4, 4, 4, 64, "Closed", 0.000011), false, -1, "", 16, true},
        {"patch 100000 x 100000 with 16 points",
         [](KQel& f) {
             WriteInts(f, "Dimensions", {100000, 100000});
             WriteDoubles(f, "Points", 16);
         },
         true, 9, "Control point definition error (wrong number of data).", 0, false},
        {"patch with missing values",
         [](KQel& f) {
             WriteInts(f, "Dimensions", {2, 2});
             WriteDoubles(f, "Points", 5);
         },
         true, -1, "", 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        const std::string path = blocks.dir.File("surface.qel");
        WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
            WriteBlock model(f, "Model", "Model::A");
            c.mFields(f);
        });
        KQelNurb* nurb = blocks.manager.CreateKQelNurb();
        KQelPatch* patch = blocks.manager.CreateKQelPatch();
        ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
            native_detail::ReadBlock model(pFile, "Model");
            const bool ok = c.mPatch ? pReader.ReadKQelPatch(*patch) : pReader.ReadKQelNurb(*nurb);
            EXPECT_EQ(ok, c.mError == -1);
            EXPECT_EQ(pReader.Corrupt(), c.mError != -1);
            EXPECT_EQ(pFile.GetLastErrorID(), c.mError);
            EXPECT_STREQ(c.mError == -1 ? c.mText : pFile.GetLastErrorString(), c.mText);
        });
        KQelGeometry& geometry = c.mPatch ? static_cast<KQelGeometry&>(*patch) : *nurb;
        EXPECT_EQ(geometry.GetControlPointsCount(), c.mPoints);
        if (!c.mPatch) {
            EXPECT_EQ(nurb->GetUKnotVector() && nurb->GetUKnotVector()[0] == 2.0, c.mKnotsRead);
            const bool pointsRead = c.mPoints == 16 && c.mError != 9;
            EXPECT_EQ(pointsRead && nurb->GetControlPoints()[0][0] == 0.5, pointsRead);
        }
    }
}

// A mesh of four triangles over four points, on a node of a new scene.
KQelMesh* FourTriangles(Blocks& pBlocks, KQelScene** pScene = nullptr)
{
    KQelMesh* mesh = pBlocks.manager.CreateKQelMesh();
    mesh->InitControlPoints(4);
    for (int p = 0; p < 4; ++p) {
        mesh->BeginPolygon();
        for (int v = 0; v < 3; ++v)
            mesh->AddPolygon((p + v) % 4);
        mesh->EndPolygon();
    }
    KQelNode* node = pBlocks.manager.CreateKQelNode("M");
    node->SetNodeAttribute(mesh);
    KQelScene* scene = pBlocks.manager.CreateKQelScene();
    scene->GetRootNode()->AddChild(node);
    if (pScene)
        *pScene = scene;
    return mesh;
}

void ListTextures(Blocks& pBlocks, BlockReader& pReader, int pCount)
{
    for (int i = 0; i < pCount; ++i)
        pReader.Textures().Add(pBlocks.manager.CreateKQelTexture(("T" + std::to_string(i)).c_str()));
}

TEST(GeometryBlocks, TextureIdsPickFromTheGeometrysTextures)
{
    Blocks blocks;
    KQelMesh* mesh = FourTriangles(blocks);
    const std::string path = blocks.dir.File("layer.qel");
    WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
        WriteBlock model(f, "Model", "Model::M");
        WriteBlock layer(f, "GeometryLayer");
        WriteFieldI(f, "LayerIndex", 0);
        WriteBlock info(f, "LayerTextureInfo");
        WriteFieldI(f, "TextureMode", 6);
        WriteFieldI(f, "TextureIdCount", 4);
        WriteInts(f, "TextureId", {3, 3, 5, 3});
    });
    const int layers = mesh->GetLayerCount();
    ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
        ListTextures(blocks, pReader, 6);
        native_detail::ReadBlock model(pFile, "Model");
        EXPECT_TRUE(pReader.ReadKQelGeometryLayer(*mesh));
        EXPECT_FALSE(pReader.Corrupt());
    });
    ASSERT_EQ(mesh->GetLayerCount(), layers + 1);
    KQelLayerElementTexture* textures = mesh->GetLayer(layers)->GetTextures();
    ASSERT_NE(textures, nullptr);
    EXPECT_EQ(textures->GetMappingMode(), Element::eByPolygon);
    EXPECT_EQ(NamesOf(textures->GetDirectArray()), (std::vector<std::string>{"Texture::T3", "Texture::T5"}));
    EXPECT_EQ(Values(textures->GetIndexArray()), (std::vector<int>{0, 0, 1, 0}));
}

TEST(GeometryBlocks, OldTextureLayersGrowOnlyAsFarAsTheTextureList)
{
    for (int index : {1, 2147483647}) {
        SCOPED_TRACE(index);
        Blocks blocks;
        KQelScene* scene = nullptr;
        KQelMesh* mesh = FourTriangles(blocks, &scene);
        for (int l = 0; l < 2; ++l) {
            KQelLayerElementTexture* element = new KQelLayerElementTexture;
            element->SetMappingMode(Element::eAllSame);
            element->SetReferenceMode(Element::eIndexToDirect);
            element->GetIndexArray().Add(l == 0 ? 0 : index);
            if (mesh->GetLayerCount() <= l)
                mesh->CreateLayer();
            mesh->GetLayer(l)->SetTextures(element);
        }
        const std::string path = blocks.dir.File("empty.qel");
        WriteBlocks(blocks, path, true, [](BlockWriter&, KQel&) {});
        ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel&) {
            ListTextures(blocks, pReader, 2);
            EXPECT_TRUE(pReader.CorrectTextureLayers(*mesh));
            pReader.CheckGeometries(*scene);
            EXPECT_EQ(pReader.Corrupt(), index != 1);
        });
        KQelLayerElementTexture* second = mesh->GetLayer(1)->GetTextures();
        if (index != 1) {
            EXPECT_EQ(second, nullptr);
            continue;
        }
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(NamesOf(second->GetDirectArray()), (std::vector<std::string>{"Texture::T0", "Texture::T1"}));
    }
}

}  // namespace
}  // namespace blocktest
}  // namespace qelsdk_600
