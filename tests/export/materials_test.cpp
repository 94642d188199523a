// Materials and textures of meshes and NURBS surfaces, per shading group.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <vesk/MGlobal.h>

#include "content/kqelmaterial.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "export/klayermapping.h"
#include "export/shape_fixture.h"
#include "plugin/qelvesknode.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement E;

std::vector<double> Rgb(const KQelColor& pColor)
{
    return {pColor.mRed, pColor.mGreen, pColor.mBlue};
}

std::vector<double> Vector(const KQelVector4& pVector)
{
    return {pVector[0], pVector[1], pVector[2]};
}

void SetColour(const MObject& pShader, const char* pPlug, double pR, double pG, double pB)
{
    const std::string base = HostTest::nameOf(pShader) + "." + pPlug;
    vesk::fixture::setNumber(base + "R", pR);
    vesk::fixture::setNumber(base + "G", pG);
    vesk::fixture::setNumber(base + "B", pB);
}

// A placement node feeding the texture's UVs.
void Place(const char* pTexture, std::vector<std::pair<const char*, double>> pValues)
{
    const std::string place = HostTest::nameOf(HostTest::make("place2dTexture", "place"));
    for (const auto& value : pValues)
        vesk::fixture::setNumber(place + "." + value.first, value.second);
    vesk::fixture::connect(place + ".outUV", std::string(pTexture) + ".uvCoord");
}

// Host colours are floats.
const std::vector<double> kAmbient = {0.1f, 0.2f, 0.3f}, kColour = {0.7f, 0.8f, 0.9f}, kGrey = {0.5, 0.5, 0.5};

const std::vector<std::pair<const char*, double>> kQuarterTurn = {
    {"rotateFrame", M_PI / 2}, {"offsetU", 0.25},  {"offsetV", 0.5},
    {"translateFrameU", 0.125}, {"translateFrameV", 0.0625}, {"repeatU", 2}, {"repeatV", 3}};

// The exporter, its manager open to a test.
class OpenExport : public QelVeskExport {
public:
    QelVeskSdkManager& Manager() { return mManager; }
};

}  // namespace

TEST_F(ShapeTest, MaterialsTakeWhatEachShaderFunctionSetOffers)
{
    const struct {
        const char* kind;
        const char* name;
        double cosPower;  // phongs only
        double transparency;
        double shininess;
        double opacity;
        std::vector<double> ambient;
    } shaders[] = {
        {"phong", "p20", 20, 0, 0.15625, 1, kAmbient},  {"phong", "p200", 200, 0, 1.0, 1, kAmbient},
        {"phong", "pneg", -5, 0, 0.0, 1, kAmbient},     {"lambert", "clear", 0, 1, -1, 0, kAmbient},
        {"surfaceShader", "flat", 0, 0, -1, -1, kGrey},
    };
    for (const auto& s : shaders) {
        const std::string mesh = std::string("m_") + s.name;
        MakeStrip(mesh.c_str(), 1);
        const MObject shader = MakeShader(s.kind, s.name);
        if (s.cosPower != 0)
            MFnPhongShader(shader).setCosPower(static_cast<float>(s.cosPower));
        if (std::string(s.kind) != "surfaceShader") {
            SetColour(shader, "transparency", s.transparency, s.transparency, s.transparency);
            SetColour(shader, "ambientColor", 0.1, 0.2, 0.3);
            SetColour(shader, "color", 0.7, 0.8, 0.9);
        }
        AssignShader((std::string("g_") + s.name).c_str(), shader, (mesh + "Shape").c_str());
    }
    ASSERT_TRUE(ExportAndRead());
    for (const auto& s : shaders) {
        KQelMaterial* material = mReadManager->FindKQelMaterial(s.name);
        ASSERT_NE(material, nullptr) << s.name;
        if (s.shininess >= 0) {
            EXPECT_DOUBLE_EQ(material->GetDefaultShininess(), s.shininess) << s.name;
        }
        if (s.opacity >= 0) {
            EXPECT_DOUBLE_EQ(material->GetDefaultOpacity(), s.opacity) << s.name;
        }
        EXPECT_EQ(Rgb(material->GetAmbient()), s.ambient) << s.name;
        EXPECT_EQ(Rgb(material->GetDiffuse()), s.ambient == kGrey ? kGrey : kColour) << s.name;
    }
}

TEST_F(ShapeTest, MeshMaterialsAndTexturesFollowTheirShadingGroups)
{
    // "one": one group. "two": two groups, the first textured. "three": a
    // group and polygons without one. The user owns a "Default_Material".
    for (const char* name : {"one", "two", "three"})
        MakeStrip(name, 3);
    make("lambert", "Default_Material");
    const MObject textured = MakeShader("lambert", "textured");
    MakeFileTexture("wood", "/textures/wood.bmp", "textured.color");
    AssignShader("gOne", textured, "oneShape");
    AssignShader("gTwoA", textured, "twoShape", {0, 2});
    AssignShader("gTwoB", MakeShader("phong", "shiny"), "twoShape", {1});
    AssignShader("gThree", MakeShader("lambert", "plain"), "threeShape", {0});
    OpenExport exporter;
    ASSERT_TRUE(ExportAndRead(&exporter));
    EXPECT_EQ(exporter.Manager().GetKQelTextureCount(), 2) << "textures are not shared between meshes";

    const struct {
        const char* mesh;
        E::EMappingMode materialMode;
        std::vector<int> materials;
        std::vector<int> textures;  // layer 0; empty: no texture element
    } meshes[] = {
        {"one", E::eAllSame, {0}, {0, 0, 0}},
        {"two", E::eByPolygon, {0, 1, 0}, {0, -1, 0}},
        {"three", E::eByPolygon, {0, 1, 1}, {}},
    };
    for (const auto& m : meshes) {
        KQelLayer* layer = Mesh(m.mesh)->GetLayer(0);
        ASSERT_NE(layer->GetMaterials(), nullptr) << m.mesh;
        EXPECT_EQ(layer->GetMaterials()->GetMappingMode(), m.materialMode) << m.mesh;
        EXPECT_EQ(layer->GetMaterials()->GetReferenceMode(), E::eIndexToDirect) << m.mesh;
        EXPECT_EQ(Indices(layer->GetMaterials()), m.materials) << m.mesh;
        EXPECT_EQ(Indices(layer->GetTextures()), m.textures) << m.mesh;
        if (!m.textures.empty()) {
            EXPECT_EQ(layer->GetTextures()->GetMappingMode(), E::eByPolygon) << m.mesh;
        }
    }
    // One material per shader, shared; white under a texture.
    KQelMaterial* shared = Mesh("one")->GM(0, 0);
    EXPECT_EQ(shared, Mesh("two")->GM(0, 0));
    EXPECT_EQ(Rgb(shared->GetDiffuse()), (std::vector<double>{1, 1, 1}));
    EXPECT_STREQ(Mesh("two")->GT(0, 0)->GetFileName(), "/textures/wood.bmp");

    // Polygons without group get the default shader's values; the host
    // keeps only the user's own node of that name.
    KQelMaterial* fallback = Mesh("three")->GM(1, 0);
    ASSERT_NE(fallback, nullptr);
    EXPECT_DOUBLE_EQ(fallback->GetDefaultShininess(), 3.0 / 128);
    EXPECT_EQ(Rgb(fallback->GetAmbient()), (std::vector<double>{0.4f, 0.4f, 0.4f}));
    EXPECT_EQ(Rgb(fallback->GetSpecular()), (std::vector<double>{0.3f, 0.3f, 0.3f}));
    EXPECT_EQ(std::string(object("Default_Material").apiTypeStr()), "kLambert");
    EXPECT_TRUE(object("Default_Material1").isNull());
}

TEST_F(ShapeTest, PolygonsWithoutShaderGetNoMaterialWhenTheDefaultCannotBeMade)
{
    // The host refuses the default shader; the user owns a node of its name.
    class NoDefaultShader : public QelVeskExport {
        MObject CreateDefaultShader() override { return MObject::kNullObj; }
    };
    MakeStrip("three", 3);
    make("lambert", "Default_Material");
    AssignShader("gThree", MakeShader("lambert", "plain"), "threeShape", {0});
    NoDefaultShader exporter;
    ASSERT_TRUE(ExportAndRead(&exporter));
    const KQelLayerElementMaterial* materials = Mesh("three")->GetLayer(0)->GetMaterials();
    ASSERT_NE(materials, nullptr);
    EXPECT_EQ(materials->GetMappingMode(), E::eByPolygon);
    EXPECT_EQ(Indices(materials), (std::vector<int>{0, -1, -1}));
    EXPECT_EQ(std::string(object("Default_Material").apiTypeStr()), "kLambert");
    EXPECT_TRUE(object("Default_Material1").isNull());
}

TEST_F(ShapeTest, FilePlacementsTurnAboutTheUVSquareCentre)
{
    // Textures of two geometries read back as one when their names agree.
    MakeStrip("strip", 1);
    vesk::fixture::makeShape("nurbsSurface", "surf");
    for (const char* shape : {"strip", "surf"}) {
        const std::string name(shape);
        const MObject shader = MakeShader("lambert", (name + "Skin").c_str());
        MakeFileTexture((name + "Tex").c_str(), "/textures/t.bmp", name + "Skin.color");
        Place((name + "Tex").c_str(), kQuarterTurn);
        AssignShader((name + "Group").c_str(), shader, (name + "Shape").c_str());
    }
    ASSERT_TRUE(ExportAndRead());
    const struct {
        const char* node;
        std::vector<double> scale, rotation, translation;
        bool swap;
    } cases[] = {
        {"strip", {2, 3, 1}, {0, 0, 90}, {0.25 - 0.125 + 1, 0.5 - 0.0625, 0}, false},
        {"surf", {3, 2, 1}, {0, 0, -90}, {0.125 - 0.25, 0.0625 + 1 - 0.5, 0}, true},
    };
    for (const auto& c : cases) {
        KQelGeometry* geometry = Node(c.node)->GetGeometry();
        KQelTexture* texture = geometry->GT(0, 0);
        ASSERT_NE(texture, nullptr) << c.node;
        KQelVector4 v;
        EXPECT_EQ(Vector(texture->GetDefaultS(v)), c.scale) << c.node;
        const std::vector<double> rotation = Vector(texture->GetDefaultR(v)), translation = Vector(texture->GetDefaultT(v));
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(rotation[i], c.rotation[i], 1e-9) << c.node;
            EXPECT_NEAR(translation[i], c.translation[i], 1e-9) << c.node;
        }
        EXPECT_EQ(texture->GetSwapUV(), c.swap) << c.node;
    }
    // A textured surface's material turns grey; the mesh's white.
    EXPECT_EQ(Rgb(Node("surf")->GetGeometry()->GM(0, 0)->GetAmbient()), kGrey);
    EXPECT_EQ(Indices(Node("surf")->GetGeometry()->GetLayer(0)->GetMaterials()), std::vector<int>{0});
}

TEST_F(ShapeTest, ClosedSurfacesShiftTheOffsetAcrossTheirDirection)
{
    OpenExport exporter;
    QelVeskNode* node = exporter.Manager().CreateQelVeskNode("closed", nullptr);
    KQelNurb* nurb = exporter.Manager().CreateKQelNurb();
    nurb->SetOrder(4, 4);
    nurb->InitControlPoints(8, KQelNurb::kClosed, 4, KQelNurb::kOpen);
    node->SetNodeAttribute(nurb);
    MObject texture = MakeFileTexture("tex", "/textures/t.bmp", "");
    Place("tex", {});
    KLayerMapping record(0, E::eAllSame, E::eAllSame, E::eAllSame);
    ASSERT_TRUE(exporter.SetTexture(node, texture, record, 0, 0, 1.0f, 0));
    KQelVector4 t;
    nurb->GT(0, 0)->GetDefaultT(t);
    EXPECT_DOUBLE_EQ(t[1], 0.25) << "offsetV less 2 / 8";
    EXPECT_EQ(t[0], 0.0);
}

TEST_F(ShapeTest, LayeredTexturesFillALayerPerInputTheFirstHighest)
{
    MakeStrip("strip", 2);
    MakeStrip("loop", 2);
    make("layeredTexture", "stack");
    const short blends[] = {4, 6, 1};
    for (int i = 0; i < 3; ++i) {
        const std::string input = "stack.inputs[" + std::to_string(i) + "]";
        MakeFileTexture(("t" + std::to_string(i)).c_str(), ("/t" + std::to_string(i) + ".bmp").c_str(),
                        input + ".color");
        vesk::fixture::setNumber(input + ".blendMode", blends[i]);
    }
    // A layered texture that feeds itself is entered once.
    make("layeredTexture", "self");
    vesk::fixture::connect("self.outColor", "self.inputs[0].color");
    MakeFileTexture("tSelf", "/self.bmp", "self.inputs[1].color");
    const struct {
        const char* mesh;
        const char* layered;
    } uses[] = {{"strip", "stack"}, {"loop", "self"}};
    for (const auto& use : uses) {
        const MObject shader = MakeShader("lambert", (std::string(use.layered) + "Skin").c_str());
        vesk::fixture::connect(std::string(use.layered) + ".outColor", nameOf(shader) + ".color");
        AssignShader((std::string("g") + use.mesh).c_str(), shader, (std::string(use.mesh) + "Shape").c_str());
    }
    ASSERT_TRUE(ExportAndRead());
    const struct {
        const char* mesh;
        int layer;
        const char* file;
        KQelLayerElementTexture::EBlendMode blend;
    } layers[] = {{"strip", 2, "/t0.bmp", KQelLayerElementTexture::eAdd},
                  {"strip", 1, "/t1.bmp", KQelLayerElementTexture::eModulate},
                  {"strip", 0, "/t2.bmp", KQelLayerElementTexture::eTranslucent},
                  {"loop", 0, "/self.bmp", KQelLayerElementTexture::eTranslucent}};
    for (const auto& l : layers) {
        KQelMesh* mesh = Mesh(l.mesh);
        KQelLayer* layer = mesh->GetLayer(l.layer);
        ASSERT_NE(layer, nullptr) << l.file;
        ASSERT_NE(layer->GetTextures(), nullptr) << l.file;
        EXPECT_EQ(layer->GetTextures()->GetBlendMode(), l.blend) << l.file;
        ASSERT_NE(mesh->GT(0, l.layer), nullptr) << l.file;
        EXPECT_STREQ(mesh->GT(0, l.layer)->GetFileName(), l.file);
        EXPECT_EQ(static_cast<int>(mesh->GT(0, l.layer)->GetBlendMode()), static_cast<int>(l.blend)) << l.file;
    }
}

TEST_F(ShapeTest, HostileTextureNetworksExportWhole)
{
    // 1,025 shading groups on one mesh, each with its own texture: the last
    // has texture index 1024 in layer 0. A name of 2,000 characters.
    const int count = 1025;
    MakeStrip("strip", count);
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        const MObject shader = MakeShader("lambert", ("s" + n).c_str());
        MakeFileTexture(("t" + n).c_str(), ("/t" + n + ".bmp").c_str(), "s" + n + ".color");
        AssignShader(("g" + n).c_str(), shader, "stripShape", {i});
    }
    const std::string longName(2000, 'x');
    ASSERT_TRUE(vesk::fixture::nameAsIs("t7", longName));
    ASSERT_TRUE(ExportAndRead());
    KQelMesh* mesh = Mesh("strip");
    const std::vector<int> textures = Indices(mesh->GetLayer(0)->GetTextures());
    ASSERT_EQ(textures.size(), size_t(count));
    EXPECT_EQ(textures[count - 1], count - 1);
    EXPECT_STREQ(mesh->GT(textures[count - 1], 0)->GetFileName(), "/t1024.bmp");
    EXPECT_EQ(std::string(mesh->GT(textures[7], 0)->GetName()), "Texture::" + longName);
}
