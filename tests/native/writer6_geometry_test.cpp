// Geometry of the version-6 writer as the file holds it: mesh vertices and
// polygons, layer elements and their numbering, "Layer" blocks, material and
// texture positions among the node's connections, surfaces and shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "content/kqelshape.h"
#include "content/kqeltexture.h"
#include "native/writer6_test_util.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {
namespace writer6test {
namespace {

typedef std::vector<double> Doubles;

// A mesh on node "Model::<pName>" with pCount points (i, 2i, 3i).
KQelMesh* AddMesh(SceneFixture& pFixture, const char* pName, int pCount)
{
    KQelMesh* mesh = pFixture.manager.CreateKQelMesh();
    mesh->InitControlPoints(pCount);
    for (int i = 0; i < pCount; ++i)
        mesh->GetControlPoints()[i] = KQelVector4(i, 2.0 * i, 3.0 * i, 1.0);
    pFixture.AddNode(pName)->SetNodeAttribute(mesh);
    return mesh;
}

void AddPolygon(KQelMesh& pMesh, std::initializer_list<int> pCorners)
{
    pMesh.BeginPolygon();
    for (int corner : pCorners)
        pMesh.AddPolygon(corner);
    pMesh.EndPolygon();
}

std::string Written(SceneFixture& pFixture, ScratchDir& pDir, KQelWriterQel6::EExportMode pMode = KQelWriterQel6::eAscii)
{
    const std::string path = pDir.File("geometry.qel");
    EXPECT_TRUE(WriteScene(pFixture, path, pMode));
    return path;
}

TEST(Writer6Geometry, MeshVerticesGoThroughThePivotAndPolygonsEndNegative)
{
    SceneFixture f;
    KQelMesh* mesh = AddMesh(f, "Mesh", 5);
    KQelXMatrix pivot;
    pivot.SetTRS(KQelVector4(10, 20, 30, 0), KQelVector4(), KQelVector4(2, 2, 2, 0));
    mesh->SetPivot(pivot);
    AddPolygon(*mesh, {0, 1, 2});
    AddPolygon(*mesh, {2, 1, 3, 4});
    ScratchDir dir;
    ObjectBlock block(Written(f, dir), "Model", "Model::Mesh");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(block.Numbers("Vertices"),
              (Doubles{10, 20, 30, 12, 24, 36, 14, 28, 42, 16, 32, 48, 18, 36, 54}));
    EXPECT_EQ(block.Numbers("PolygonVertexIndex"), (Doubles{0, 1, -3, 2, 1, 3, -5}));
    EXPECT_EQ(block.Numbers("GeometryVersion"), Doubles{124});
}

// Polygons the corner encoding cannot carry are left out; the others keep
// their own corners (an empty polygon must not merge its neighbours).
TEST(Writer6Geometry, PolygonsThatCannotBeEncodedAreLeftOut)
{
    const struct {
        const char* mName;
        std::vector<std::vector<int>> mPolygons;
        Doubles mExpected;
    } cases[] = {
        {"empty polygon between two", {{0, 1, 2}, {}, {2, 3, 4}}, {0, 1, -3, 2, 3, -5}},
        {"empty polygon first", {{}, {0, 1, 2}}, {0, 1, -3}},
        {"negative corner", {{0, 1, 2}, {1, -4, 3}, {4, 3, 2}}, {0, 1, -3, 4, 3, -3}},
        {"single corner", {{3}}, {-4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        SceneFixture f;
        KQelMesh* mesh = AddMesh(f, "Mesh", 5);
        for (const std::vector<int>& polygon : c.mPolygons) {
            mesh->BeginPolygon();
            for (int corner : polygon)
                mesh->AddPolygon(corner);
        }
        ScratchDir dir;
        ObjectBlock block(Written(f, dir), "Model", "Model::Mesh");
        ASSERT_TRUE(block.Found());
        EXPECT_EQ(block.Numbers("PolygonVertexIndex"), c.mExpected);
    }
}

TEST(Writer6Geometry, MeshFieldsDependOnPointsAndPolygons)
{
    SceneFixture f;
    AddMesh(f, "Empty", 0);
    AddMesh(f, "Points", 2);
    ScratchDir dir;
    const std::string path = Written(f, dir);
    ObjectBlock empty(path, "Model", "Model::Empty");
    ASSERT_TRUE(empty.Found());
    EXPECT_EQ(empty.Field("Vertices"), kAbsent);
    EXPECT_EQ(empty.Field("GeometryVersion"), kAbsent);
    ObjectBlock points(path, "Model", "Model::Points");
    ASSERT_TRUE(points.Found());
    EXPECT_EQ(points.Numbers("Vertices"), (Doubles{0, 0, 0, 1, 2, 3}));
    EXPECT_EQ(points.Field("PolygonVertexIndex"), kAbsent);
    EXPECT_EQ(points.Numbers("GeometryVersion"), Doubles{124});
}

TEST(Writer6Geometry, TokensOfTheElementModes)
{
    typedef KQelLayerElement E;
    EXPECT_STREQ(GetMappingModeToken(E::eNoMappingInformation), "NoMappingInformation");
    EXPECT_STREQ(GetMappingModeToken(E::eByControlPoint), "ByVertice");
    EXPECT_STREQ(GetMappingModeToken(E::eByPolygonVertex), "ByPolygonVertex");
    EXPECT_STREQ(GetMappingModeToken(E::eByPolygon), "ByPolygon");
    EXPECT_STREQ(GetMappingModeToken(E::eAllSame), "AllSame");
    EXPECT_STREQ(GetMappingModeToken(static_cast<E::EMappingMode>(7)), "NoMappingInformation");
    EXPECT_STREQ(GetReferenceModeToken(E::eDirect), "Direct");
    EXPECT_STREQ(GetReferenceModeToken(E::eIndex), "Index");
    EXPECT_STREQ(GetReferenceModeToken(E::eIndexToDirect), "IndexToDirect");
    EXPECT_STREQ(GetReferenceModeToken(static_cast<E::EReferenceMode>(5)), "Direct");
    const char* const blends[] = {"Translucent", "Add", "Modulate", "Modulate2", "MaxBlend", "Translucent"};
    for (int mode = 0; mode < 6; ++mode)
        EXPECT_STREQ(GetBlendModeToken(static_cast<KQelLayerElementTexture::EBlendMode>(mode)), blends[mode]);
    EXPECT_STREQ(GetBlendModeToken(static_cast<KQelLayerElementTexture::EBlendMode>(-1)), "Translucent");
}

// Element numbers count the written elements of their type only; a layer
// lists only written elements, and a layer with none gets no block.
TEST(Writer6Geometry, ElementNumbersAndLayersCountWrittenElementsOnly)
{
    typedef KQelLayerElement E;
    SceneFixture f;
    KQelMesh* mesh = AddMesh(f, "Mesh", 3);
    AddPolygon(*mesh, {0, 1, 2});
    for (int i = 0; i < 4; ++i)
        mesh->CreateLayer();
    // Layer 0: a UV element by index (never written) and index-to-direct
    // normals.
    AddElement(*mesh->GetLayer(0), &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndex);
    KQelLayerElementNormal* normals =
        AddElement(*mesh->GetLayer(0), &KQelLayer::SetNormals, E::eByPolygonVertex, E::eIndexToDirect);
    normals->GetDirectArray().Add(KQelVector4(0, 0, 1, 0));
    normals->GetDirectArray().Add(KQelVector4(0, 1, 0, 0));
    for (int index : {1, 0, 1})
        normals->GetIndexArray().Add(index);
    // Layer 1: only a direct material element (never written).
    AddElement(*mesh->GetLayer(1), &KQelLayer::SetMaterials, E::eAllSame, E::eDirect);
    // Layer 2: direct UVs and polygon groups.
    KQelLayerElementUV* uvs = AddElement(*mesh->GetLayer(2), &KQelLayer::SetUVs, E::eAllSame, E::eDirect);
    uvs->GetDirectArray().Add(KQelVector2(0.25, 0.5));
    KQelLayerElementPolygonGroup* groups =
        AddElement(*mesh->GetLayer(2), &KQelLayer::SetPolygonGroups, E::eByPolygon, E::eIndex);
    groups->GetIndexArray().Add(7);
    // Layer 3: index-to-direct colours.
    KQelLayerElementVertexColor* colors =
        AddElement(*mesh->GetLayer(3), &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eIndexToDirect);
    colors->GetDirectArray().Add(KQelColor(0.1, 0.2, 0.3, 0.4));
    for (int index : {0, 0, 0})
        colors->GetIndexArray().Add(index);

    ScratchDir dir;
    const std::string path = Written(f, dir);
    ObjectBlock block(path, "Model", "Model::Mesh");
    ASSERT_TRUE(block.Found());
    ReadBack& read = block.Read();
    EXPECT_EQ(read.Count("LayerElementUV"), 1);
    EXPECT_EQ(read.Count("LayerElementMaterial"), 0);

    Values header;
    ASSERT_TRUE(read.Enter("LayerElementNormal", &header));
    EXPECT_EQ(header, Values{"I:0"});
    EXPECT_EQ(read.Field("MappingInformationType"), Values{"S:ByPolygonVertex"});
    EXPECT_EQ(read.Field("ReferenceInformationType"), Values{"S:IndexToDirect"});
    EXPECT_EQ(Numbers(read.Field("Normals")), (Doubles{0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(Numbers(read.Field("NormalsIndex")), (Doubles{1, 0, 1}));
    read.Leave();
    ASSERT_TRUE(read.Enter("LayerElementPolygonGroup", &header));
    EXPECT_EQ(header, Values{"I:0"});
    EXPECT_EQ(Numbers(read.Field("PolygonGroup")), Doubles{7});
    read.Leave();
    ASSERT_TRUE(read.Enter("LayerElementColor", &header));
    EXPECT_EQ(Numbers(read.Field("Colors")), (Doubles{0.1, 0.2, 0.3, 0.4}));
    EXPECT_EQ(Numbers(read.Field("ColorIndex")), (Doubles{0, 0, 0}));
    read.Leave();
    ASSERT_TRUE(read.Enter("LayerElementUV", &header));
    EXPECT_EQ(header, Values{"I:0"});
    EXPECT_EQ(Numbers(read.Field("UV")), (Doubles{0.25, 0.5}));
    EXPECT_EQ(read.Field("UVIndex"), kAbsent);
    read.Leave();

    // Layers 0, 2 and 3 hold written elements and become "Layer" 0, 1, 2.
    const struct {
        Values mNumber;
        std::vector<Values> mElements;  // type, typed index
    } layers[] = {
        {{"I:0"}, {{"S:LayerElementNormal", "I:0"}}},
        {{"I:1"}, {{"S:LayerElementPolygonGroup", "I:0"}, {"S:LayerElementUV", "I:0"}}},
        {{"I:2"}, {{"S:LayerElementColor", "I:0"}}},
    };
    EXPECT_EQ(read.Count("Layer"), 3);
    for (const auto& layer : layers) {
        ASSERT_TRUE(read.Enter("Layer", &header));
        EXPECT_EQ(header, layer.mNumber);
        EXPECT_EQ(read.Field("Version"), Values{"I:100"});
        for (const Values& element : layer.mElements) {
            ASSERT_TRUE(read.Enter("LayerElement"));
            EXPECT_EQ((Values{read.Field("Type")[0], read.Field("TypedIndex")[0]}), element);
            read.Leave();
        }
        EXPECT_FALSE(read.Enter("LayerElement"));
        read.Leave();
    }
}

// Materials and textures by index-to-direct are written as positions among
// the node's connections to objects of their class, the last connection to
// the object counting; entries outside the direct array become -1.
TEST(Writer6Geometry, MaterialAndTextureIndicesBecomeConnectionPositions)
{
    typedef KQelLayerElement E;
    SceneFixture f;
    KQelMesh* mesh = AddMesh(f, "Mesh", 3);
    AddPolygon(*mesh, {0, 1, 2});
    AddPolygon(*mesh, {2, 1, 0});
    AddPolygon(*mesh, {1, 2, 0});
    KQelMaterial* red = f.manager.CreateKQelMaterial("Red");
    KQelMaterial* blue = f.manager.CreateKQelMaterial("Blue");
    KQelTexture* wood = f.manager.CreateKQelTexture("Wood");
    KQelNode* node = f.Root()->GetChild(0);
    // Blue is connected before the write connects the layer's materials.
    node->GetPropertyHandler()->ConnectSrc(blue->GetPropertyHandler());
    mesh->CreateLayer();
    KQelLayerElementMaterial* materials =
        AddElement(*mesh->GetLayer(0), &KQelLayer::SetMaterials, E::eByPolygon, E::eIndexToDirect);
    materials->GetDirectArray().Add(red);
    materials->GetDirectArray().Add(blue);
    for (int index : {0, 1, 0})
        materials->GetIndexArray().Add(index);
    KQelLayerElementTexture* textures =
        AddElement(*mesh->GetLayer(0), &KQelLayer::SetTextures, E::eAllSame, E::eIndexToDirect);
    textures->SetBlendMode(KQelLayerElementTexture::eModulate2);
    textures->SetAlpha(0.5);
    textures->GetDirectArray().Add(wood);
    textures->GetIndexArray().Add(0);

    ScratchDir dir;
    ObjectBlock block(Written(f, dir), "Model", "Model::Mesh");
    ASSERT_TRUE(block.Found());
    ReadBack& read = block.Read();
    ASSERT_TRUE(read.Enter("LayerElementMaterial"));
    EXPECT_EQ(Numbers(read.Field("Materials")), (Doubles{1, 0, 1}));
    read.Leave();
    ASSERT_TRUE(read.Enter("LayerElementTexture"));
    EXPECT_EQ(read.Field("BlendMode"), Values{"S:Modulate2"});
    EXPECT_EQ(Numbers(read.Field("TextureAlpha")), Doubles{0.5});
    EXPECT_EQ(Numbers(read.Field("TextureId")), Doubles{0});
    read.Leave();

    // The lookup itself, also for entries that name nothing.
    materials->GetIndexArray().Add(2);
    materials->GetIndexArray().Add(-3);
    KObject* handler = node->GetPropertyHandler();
    const struct {
        int mPosition;
        int mExpected;
    } lookups[] = {{0, 1}, {1, 0}, {3, -1}, {4, -1}, {5, -1}, {-1, -1}};
    for (const auto& lookup : lookups) {
        EXPECT_EQ(KQelWriterQel6::MapLayeredMaterialIndexToConnectionIndex(handler, materials, lookup.mPosition),
                  lookup.mExpected)
            << lookup.mPosition;
    }
    EXPECT_EQ(KQelWriterQel6::MapLayeredTextureIndexToConnectionIndex(handler, textures, 0), 0);
    EXPECT_EQ(KQelWriterQel6::MapLayeredMaterialIndexToConnectionIndex(nullptr, materials, 0), -1);
}

// ---- Shapes ----

KQelShape* AddShape(SceneFixture& pFixture, KQelGeometry& pGeometry, const char* pName,
                    std::initializer_list<KQelVector4> pPoints)
{
    KQelShape* shape = pFixture.manager.CreateKQelShape();
    shape->InitControlPoints(static_cast<int>(pPoints.size()));
    int i = 0;
    for (const KQelVector4& point : pPoints)
        shape->GetControlPoints()[i++] = point;
    EXPECT_GE(pGeometry.AddShape(shape, pName), 0);
    return shape;
}

void SetNormals(KQelGeometryBase& pGeometry, std::initializer_list<KQelVector4> pNormals)
{
    pGeometry.InitNormals(static_cast<int>(pNormals.size()));
    int i = 0;
    for (const KQelVector4& normal : pNormals)
        pGeometry.GetNormals()[i++] = normal;
}

// A scene a file or a careless caller could hold: NaN points, index
// entries far past their direct arrays, null materials, an empty shape.
TEST(Writer6Geometry, HostileGeometryWritesWithoutReadingPastArrays)
{
    typedef KQelLayerElement E;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    SceneFixture f;
    KQelMesh* mesh = AddMesh(f, "Mesh", 3);
    mesh->GetControlPoints()[1] = KQelVector4(nan, nan, nan, nan);
    AddPolygon(*mesh, {0, 1, 2});
    mesh->CreateLayer();
    KQelLayer& layer = *mesh->GetLayer(0);
    KQelLayerElementMaterial* materials = AddElement(layer, &KQelLayer::SetMaterials, E::eByPolygon, E::eIndexToDirect);
    materials->GetDirectArray().Add(nullptr);
    for (int index : {0, 1000000, -7})
        materials->GetIndexArray().Add(index);
    KQelLayerElementUV* uvs = AddElement(layer, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect);
    for (int index : {5, -1, 1 << 30})
        uvs->GetIndexArray().Add(index);
    AddElement(layer, &KQelLayer::SetNormals, E::eByControlPoint, E::eDirect);
    AddShape(f, *mesh, "Empty", {});
    KQelShape* nanShape =
        AddShape(f, *mesh, "NaN", {KQelVector4(nan, 0, 0, 1), KQelVector4(nan, nan, nan, 1), KQelVector4(2, 4, 6, 1)});
    SetNormals(*nanShape, {KQelVector4(), KQelVector4(), KQelVector4()});
    // Normals and UVs that cover nothing would make the file unreadable: the
    // write is refused until they go.
    ScratchDir refused;
    EXPECT_FALSE(WriteScene(f, refused.File("refused.qel"), KQelWriterQel6::eAscii));
    delete layer.GetNormals();
    layer.SetNormals(nullptr);
    delete layer.GetUVs();
    layer.SetUVs(nullptr);
    for (KQelWriterQel6::EExportMode mode : {KQelWriterQel6::eAscii, KQelWriterQel6::eBinary}) {
        ScratchDir dir;
        ObjectBlock block(Written(f, dir, mode), "Model", "Model::Mesh");
        ASSERT_TRUE(block.Found());
        ReadBack& read = block.Read();
        ASSERT_TRUE(read.Enter("LayerElementMaterial"));
        EXPECT_EQ(Numbers(read.Field("Materials")), (Doubles{-1, -1, -1}));
        read.Leave();
        EXPECT_FALSE(read.Enter("LayerElementUV"));
        ASSERT_TRUE(read.Enter("Shape"));
        EXPECT_EQ(Numbers(read.Field("Indexes")), Doubles{0});
        read.Leave();
        ASSERT_TRUE(read.Enter("Shape"));
        EXPECT_EQ(Numbers(read.Field("Indexes")), (Doubles{0, 1}));
        read.Leave();
    }
}

// ---- Surfaces ----

KQelNurb* AddNurb(SceneFixture& pFixture, const char* pName)
{
    KQelNurb* nurb = pFixture.manager.CreateKQelNurb();
    nurb->SetOrder(4, 3);
    nurb->InitControlPoints(4, KQelNurb::kOpen, 3, KQelNurb::kPeriodic);
    nurb->SetStep(5, 6);
    for (int i = 0; i < 12; ++i)
        nurb->GetControlPoints()[i] = KQelVector4(i, 0, 0, 1.0 + i);
    for (int i = 0; i < nurb->GetUKnotCount(); ++i)
        nurb->GetUKnotVector()[i] = i;
    for (int i = 0; i < nurb->GetVKnotCount(); ++i)
        nurb->GetVKnotVector()[i] = 10 + i;
    pFixture.AddNode(pName)->SetNodeAttribute(nurb);
    return nurb;
}

TEST(Writer6Geometry, NurbsFieldsWithAndWithoutFlip)
{
    SceneFixture f;
    AddNurb(f, "Plain");
    KQelNurb* flipped = AddNurb(f, "Flipped");
    flipped->SetApplyFlipUV(true);
    flipped->GetControlPoints()[1][3] = std::numeric_limits<double>::quiet_NaN();
    flipped->GetControlPoints()[2][3] = 0.0;
    ScratchDir dir;
    const std::string path = Written(f, dir);

    ObjectBlock plain(path, "Model", "Model::Plain");
    ASSERT_TRUE(plain.Found());
    EXPECT_EQ(plain.Field("Type"), Values{"S:Nurb"});
    EXPECT_EQ(plain.Numbers("NurbVersion"), Doubles{100});
    EXPECT_EQ(plain.Numbers("SurfaceDisplay"), (Doubles{4, 5, 6}));
    EXPECT_EQ(plain.Numbers("NurbOrder"), (Doubles{4, 3}));
    EXPECT_EQ(plain.Numbers("Dimensions"), (Doubles{4, 3}));
    EXPECT_EQ(plain.Numbers("Step"), (Doubles{5, 6}));
    EXPECT_EQ(plain.Field("Form"), (Values{"S:Open", "S:Periodic"}));
    const Doubles points = plain.Numbers("Points");
    ASSERT_EQ(points.size(), 48u);
    EXPECT_EQ((Doubles{points[4], points[5], points[6], points[7]}), (Doubles{1, 0, 0, 2}));
    EXPECT_EQ(plain.Numbers("MultiplicityU").size(), 4u);
    EXPECT_EQ(plain.Numbers("MultiplicityV").size(), 3u);
    EXPECT_EQ(plain.Numbers("KnotVectorU").size(), 8u);
    EXPECT_EQ(plain.Numbers("KnotVectorV").size(), 8u);
    EXPECT_EQ(plain.Numbers("GeometryVersion"), Doubles{124});

    ObjectBlock copy(path, "Model", "Model::Flipped");
    ASSERT_TRUE(copy.Found());
    EXPECT_EQ(copy.Numbers("NurbOrder"), (Doubles{3, 4}));
    EXPECT_EQ(copy.Numbers("Dimensions"), (Doubles{3, 4}));
    EXPECT_EQ(copy.Numbers("Step"), (Doubles{6, 5}));
    EXPECT_EQ(copy.Field("Form"), (Values{"S:Periodic", "S:Open"}));
    // Weights that are not finite or not above the reader's limit are 1.
    const Doubles flippedPoints = copy.Numbers("Points");
    ASSERT_EQ(flippedPoints.size(), 48u);
    for (size_t i = 3; i < flippedPoints.size(); i += 4)
        EXPECT_TRUE(std::isfinite(flippedPoints[i]) && flippedPoints[i] >= 1.0) << i;
    EXPECT_EQ(copy.Numbers("KnotVectorU").size(), 8u);
    // The surface itself is not flipped.
    EXPECT_EQ(flipped->GetUCount(), 4);
    EXPECT_EQ(flipped->GetUOrder(), 4u);
}

TEST(Writer6Geometry, PatchFieldsAndTypeTokens)
{
    SceneFixture f;
    KQelPatch* patch = f.manager.CreateKQelPatch();
    patch->InitControlPoints(2, KQelPatch::eBSpline, 2, static_cast<KQelPatch::EPatchType>(7));
    patch->SetStep(3, 4);
    patch->SetClosed(true, false);
    patch->SetUCapped(false, true);
    patch->SetVCapped(true, false);
    for (int i = 0; i < 4; ++i)
        patch->GetControlPoints()[i] = KQelVector4(i, i, i, 5.0);
    f.AddNode("Patch")->SetNodeAttribute(patch);
    f.AddNode("Empty")->SetNodeAttribute(f.manager.CreateKQelPatch());
    ScratchDir dir;
    const std::string path = Written(f, dir);
    ObjectBlock block(path, "Model", "Model::Patch");
    ASSERT_TRUE(block.Found());
    EXPECT_EQ(block.Field("Type"), Values{"S:Patch"});
    EXPECT_EQ(block.Numbers("PatchVersion"), Doubles{100});
    EXPECT_EQ(block.Field("PatchType"), Values{"S:BSpline"});
    EXPECT_EQ(block.Numbers("Dimensions"), (Doubles{2, 2}));
    EXPECT_EQ(block.Numbers("Closed"), (Doubles{1, 0}));
    EXPECT_EQ(block.Numbers("UCapped"), (Doubles{0, 1}));
    EXPECT_EQ(block.Numbers("VCapped"), (Doubles{1, 0}));
    EXPECT_EQ(block.Numbers("Points"), (Doubles{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(block.Numbers("GeometryVersion"), Doubles{124});
    ObjectBlock empty(path, "Model", "Model::Empty");
    ASSERT_TRUE(empty.Found());
    EXPECT_EQ(empty.Field("PatchVersion"), kAbsent);

    const char* const tokens[] = {"Bezier", "BezierQuadric", "Cardinal", "BSpline", "Linear"};
    for (int type = 0; type < 5; ++type) {
        SceneFixture g;
        KQelPatch* one = g.manager.CreateKQelPatch();
        one->InitControlPoints(1, static_cast<KQelPatch::EPatchType>(type), 1, KQelPatch::eBezier);
        g.AddNode("P")->SetNodeAttribute(one);
        ScratchDir d;
        ObjectBlock b(Written(g, d), "Model", "Model::P");
        EXPECT_EQ(b.Field("PatchType"), (Values{std::string("S:") + tokens[type], "S:Bezier"}));
    }
}

TEST(Writer6Geometry, ShapesWriteOffsetsOfTheMovedPointsThroughThePivot)
{
    SceneFixture f;
    KQelMesh* mesh = AddMesh(f, "Mesh", 3);  // (0,0,0) (1,2,3) (2,4,6)
    KQelXMatrix pivot;
    pivot.SetTRS(KQelVector4(5, 5, 5, 0), KQelVector4(), KQelVector4(2, 2, 2, 0));
    mesh->SetPivot(pivot);
    SetNormals(*mesh, {KQelVector4(0, 0, 1, 0), KQelVector4(0, 1, 0, 0), KQelVector4(1, 0, 0, 0)});
    KQelShape* moved = AddShape(f, *mesh, "Moved",
                                {KQelVector4(0, 0, 0, 9), KQelVector4(1, 2, 4, 1), KQelVector4(2.5, 4, 6, 1)});
    SetNormals(*moved, {KQelVector4(0, 0, 1, 0), KQelVector4(0, 1, 1, 0), KQelVector4(1, 0, 0, 0)});
    AddShape(f, *mesh, "Same", {KQelVector4(0, 0, 0, 1), KQelVector4(1, 2, 3, 1), KQelVector4(2, 4, 6, 1)});
    AddShape(f, *mesh, "Short", {KQelVector4(7, 7, 7, 1)});

    KQelNurb* nurb = f.manager.CreateKQelNurb();
    nurb->InitControlPoints(1, KQelNurb::kOpen, 1, KQelNurb::kOpen);
    f.AddNode("Nurb")->SetNodeAttribute(nurb);
    AddShape(f, *nurb, "Lifted", {KQelVector4(0, 0, 1, 1)});

    ScratchDir dir;
    const std::string path = Written(f, dir);
    ObjectBlock block(path, "Model", "Model::Mesh");
    ASSERT_TRUE(block.Found());
    ReadBack& read = block.Read();
    const struct {
        const char* mName;
        Doubles mIndexes;
        Doubles mVertices;
        Doubles mNormals;
    } shapes[] = {
        // Point 1 moves by z + 1, point 2 by x + 0.5; w alone (point 0) is
        // no move. The pivot's scaling doubles the offsets; its translation
        // cancels.
        {"Moved", {1, 2}, {0, 0, 2, 1, 0, 0}, {0, 0, 2, 0, 0, 0}},
        // No point moves: the null shape (without normals of its own).
        {"Same", {0}, {0, 0, 0}, {0, 0, 0}},
        // Another point count: the null shape; the shape has no normals.
        {"Short", {0}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.mName);
        Values header;
        ASSERT_TRUE(read.Enter("Shape", &header));
        EXPECT_EQ(header, Values{std::string("S:") + shape.mName});
        EXPECT_EQ(Numbers(read.Field("Indexes")), shape.mIndexes);
        EXPECT_EQ(Numbers(read.Field("Vertices")), shape.mVertices);
        EXPECT_EQ(Numbers(read.Field("Normals")), shape.mNormals);
        read.Leave();
    }

    ObjectBlock surface(path, "Model", "Model::Nurb");
    ASSERT_TRUE(surface.Found());
    ASSERT_TRUE(surface.Read().Enter("Shape"));
    EXPECT_EQ(Numbers(surface.Read().Field("Vertices")), (Doubles{0, 0, 1}));
    EXPECT_EQ(surface.Read().Field("Normals"), kAbsent);
}

TEST(Writer6Geometry, FindShapeValidIndicesComparesXYZExactly)
{
    KArrayTemplate<KQelVector4> base, shape;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const KQelVector4 pairs[][2] = {
        {KQelVector4(1, 2, 3, 4), KQelVector4(1, 2, 3, 5)},  // w only
        {KQelVector4(1, 2, 3, 1), KQelVector4(1, 2.5, 3, 1)},
        {KQelVector4(nan, 0, 0, 1), KQelVector4(nan, 0, 0, 1)},
        {KQelVector4(0, 0, 0, 1), KQelVector4(0, 0, 0, 1)},
        {KQelVector4(0, 0, 2, 1), KQelVector4(0, 0, std::nextafter(2.0, 3.0), 1)},
    };
    for (const auto& pair : pairs) {
        base.Add(pair[0]);
        shape.Add(pair[1]);
    }
    shape.Add(KQelVector4(9, 9, 9, 9));  // past the base: not looked at
    KArrayTemplate<int> indices;
    KQelWriterQel6::FindShapeValidIndices(base, shape, indices);
    ASSERT_EQ(indices.GetCount(), 3);
    EXPECT_EQ(indices[0], 1);
    EXPECT_EQ(indices[1], 2);
    EXPECT_EQ(indices[2], 4);
}

}  // namespace
}  // namespace writer6test
}  // namespace qelsdk_600
