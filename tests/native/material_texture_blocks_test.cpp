// Texture and material blocks written and read back, their tokens and
// scales, hostile values, and the merging of equal textures and materials.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "olderlayout_test_util.h"
#include "block_test_util.h"
#include "scene/kqelentity.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {
namespace {

using blocktest::BlockReader;
using blocktest::BlockWriter;
using blocktest::Blocks;

// A texture with no value left at its default.
KQelTexture* FullTexture(KQelSdkManager& pManager, const char* pName)
{
    KQelTexture* texture = pManager.CreateKQelTexture(pName);
    texture->SetMediaName("wood");
    texture->SetDefaultT(KQelVector4(1.5, -2.0, 0.0, 1.0));
    texture->SetDefaultR(KQelVector4(10.0, 20.0, 30.0, 1.0));
    texture->SetDefaultS(KQelVector4(2.0, 3.0, 1.0, 1.0));
    texture->SetDefaultAlpha(0.25);
    texture->SetUVTranslation(KQelVector2(0.5, 0.75));
    texture->SetUVScaling(KQelVector2(4.0, 8.0));
    texture->SetAlphaSource(KQelTexture::eBlack);
    texture->SetCropping(1, 2, 3, 4);
    texture->SetPlanarMappingNormal(KQelTexture::ePlanarNormalZ);
    texture->SetMappingType(KQelTexture::eCylindrical);
    texture->SetSwapUV(true);
    texture->SetMaterialUse(KQelTexture::eDefaultMaterial);
    texture->SetTextureUse(KQelTexture::eSphereReflexionMap);
    texture->SetWrapMode(KQelTexture::eClamp, KQelTexture::eRepeat);
    texture->SetBlendMode(KQelTexture::eModulate2);
    return texture;
}

KQelMaterial* FullMaterial(KQelSdkManager& pManager, const char* pName)
{
    KQelMaterial* material = pManager.CreateKQelMaterial(pName);
    material->SetShadingModel("Lambert");
    material->SetDefaultAmbientColor(KQelColor(0.1, 0.2, 0.3, 1.0));
    material->SetDefaultDiffuseColor(KQelColor(0.4, 0.5, 0.6, 1.0));
    material->SetDefaultSpecularColor(KQelColor(0.7, 0.8, 0.9, 1.0));
    material->SetDefaultEmissiveColor(KQelColor(0.25, 0.5, 0.75, 1.0));
    material->SetDefaultShininess(0.5);
    material->SetDefaultOpacity(0.625);
    material->SetDefaultReflectivity(0.375);
    return material;
}

// Reads the next "Texture" and "Material" fields of the open block.
void ReadBoth(BlockReader& pReader, KQelTexture& pTexture, KQelMaterial& pMaterial)
{
    KQel& file = pReader.Fields();
    ASSERT_TRUE(file.FieldReadBegin("Texture"));
    EXPECT_TRUE(pReader.ReadKQelTexture(pTexture));
    file.FieldReadEnd();
    ASSERT_TRUE(file.FieldReadBegin("Material"));
    EXPECT_TRUE(pReader.ReadKQelMaterial(pMaterial));
    file.FieldReadEnd();
}

TEST(TextureMaterialBlocks, EveryValueReadsBackInBothForms)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        Blocks blocks;
        KQelTexture* texture = FullTexture(blocks.manager, "Oak");
        KQelMaterial* material = FullMaterial(blocks.manager, "Varnish");
        KQelTexture* readTexture = blocks.manager.CreateKQelTexture("");
        KQelMaterial* readMaterial = blocks.manager.CreateKQelMaterial("");
        blocktest::RoundTrip(
            blocks, binary,
            [&](BlockWriter& pWriter) {
                pWriter.WriteKQelTexture(*texture);
                pWriter.WriteKQelMaterial(*material);
            },
            [&](BlockReader& pReader) { ReadBoth(pReader, *readTexture, *readMaterial); });

        EXPECT_STREQ("Texture::Oak", readTexture->GetName());
        EXPECT_TRUE(*readTexture == *texture);
        // Neither cropping sides nor wrap and blend modes may be swapped.
        EXPECT_EQ(1, readTexture->GetCroppingLeft());
        EXPECT_EQ(2, readTexture->GetCroppingTop());
        EXPECT_EQ(3, readTexture->GetCroppingRight());
        EXPECT_EQ(4, readTexture->GetCroppingBottom());
        EXPECT_EQ(KQelTexture::eClamp, readTexture->GetWrapModeU());
        EXPECT_EQ(KQelTexture::eRepeat, readTexture->GetWrapModeV());
        EXPECT_EQ(KQelTexture::eModulate2, readTexture->GetBlendMode());

        EXPECT_STREQ("Material::Varnish", readMaterial->GetName());
        EXPECT_STREQ("lambert", readMaterial->GetShadingModel());
        EXPECT_TRUE(*readMaterial == *material);
        EXPECT_NEAR(0.5, readMaterial->GetDefaultShininess(), 1e-6);
    }
}

// One older-layout "Texture" or "Material" field of hand-written values.
void WriteTextureBlock(KQel& pFile, const std::function<void(KQel&)>& pFields)
{
    native_detail::WriteBlock block(pFile, "Texture", "Texture::T");
    pFields(pFile);
}

TEST(TextureMaterialBlocks, TokensScalesAndEnumerationsAsStored)
{
    const struct {
        const char* mName;
        std::function<void(KQel&)> mFields;
        std::function<void(KQelTexture&)> mCheck;
    } cases[] = {
        {"lower-case token reads as no mapping",
         [](KQel& f) { native_detail::WriteFieldC(f, "Texture_Mapping_Type", "planar"); },
         [](KQelTexture& t) { EXPECT_EQ(KQelTexture::eNull, t.GetMappingType()); }},
        {"alpha above 1", [](KQel& f) { native_detail::WriteFieldD(f, "TextureAlpha", 1.5); },
         [](KQelTexture& t) { EXPECT_EQ(1.0, t.GetDefaultAlpha()); }},
        {"alpha below 0", [](KQel& f) { native_detail::WriteFieldD(f, "TextureAlpha", -2.0); },
         [](KQelTexture& t) { EXPECT_EQ(0.0, t.GetDefaultAlpha()); }},
        {"translation and scaling of two values",
         [](KQel& f) {
             const double two[] = {3.0, 4.0};
             native_detail::WriteFieldDn(f, "Translation", two, 2);
             const double scale[] = {2.0, 2.0};
             native_detail::WriteFieldDn(f, "Scaling", scale, 2);
         },
         [](KQelTexture& t) {
             KQelVector4 v;
             t.GetDefaultT(v);
             EXPECT_EQ(3.0, v[0]);
             EXPECT_EQ(4.0, v[1]);
             EXPECT_EQ(0.0, v[2]);
             t.GetDefaultS(v);
             EXPECT_EQ(1.0, v[2]);
         }},
        {"enumerations out of range count as absent",
         [](KQel& f) {
             native_detail::WriteFieldI(f, "WrapU", 7);
             native_detail::WriteFieldI(f, "WrapV", -1);
             native_detail::WriteFieldI(f, "BlendMode", 1 << 30);
             native_detail::WriteFieldI(f, "MaterialMode", 5);
             native_detail::WriteFieldC(f, "TextureUse", "Nonsense");
         },
         [](KQelTexture& t) {
             EXPECT_EQ(KQelTexture::eRepeat, t.GetWrapModeU());
             EXPECT_EQ(KQelTexture::eRepeat, t.GetWrapModeV());
             EXPECT_EQ(KQelTexture::eTranslucent, t.GetBlendMode());
             EXPECT_EQ(KQelTexture::eModelMaterial, t.GetMaterialUse());
             EXPECT_EQ(KQelTexture::eStandard, t.GetTextureUse());
         }},
        {"short and mistyped fields read as zero",
         [](KQel& f) {
             f.FieldWriteBegin("Cropping");
             f.FieldWriteI(9);
             f.FieldWriteEnd();
             f.FieldWriteBegin("Rotation");
             f.FieldWriteC("x");
             f.FieldWriteEnd();
         },
         [](KQelTexture& t) {
             EXPECT_EQ(9, t.GetCroppingLeft());
             EXPECT_EQ(0, t.GetCroppingRight());
             KQelVector4 r;
             t.GetDefaultR(r);
             EXPECT_EQ(0.0, r[1]);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        const std::string path = blocks.dir.File("tokens.qel");
        blocktest::WriteBlocks(blocks, path, false, [&](BlockWriter&, KQel& pFile) {
            WriteTextureBlock(pFile, c.mFields);
        });
        KQelTexture* texture = blocks.manager.CreateKQelTexture("");
        blocktest::ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
            ASSERT_TRUE(pFile.FieldReadBegin("Texture"));
            pReader.ReadKQelTexture(*texture);
            pFile.FieldReadEnd();
        });
        c.mCheck(*texture);
    }
}

TEST(TextureMaterialBlocks, OutOfTableValuesAreWrittenAsTheirFallbackTokens)
{
    Blocks blocks;
    KQelTexture* texture = blocks.manager.CreateKQelTexture("Odd");
    texture->SetMappingType(static_cast<KQelTexture::EMappingType>(9));
    texture->SetAlphaSource(static_cast<KQelTexture::EAlphaSource>(7));
    const std::string path = blocks.dir.File("odd.qel");
    blocktest::WriteBlocks(blocks, path, false,
                           [&](BlockWriter& pWriter, KQel&) { pWriter.WriteKQelTexture(*texture); });
    const std::string text = scratch::ReadFile(path);
    EXPECT_NE(std::string::npos, text.find("Texture_Mapping_Type: \"UV\"")) << text;
    EXPECT_NE(std::string::npos, text.find("Texture_Alpha_Source: \"None\"")) << text;
    EXPECT_EQ(std::string::npos, text.find("Animated")) << text;
}

TEST(TextureMaterialBlocks, ShininessScaleFollowsTheSectionVersion)
{
    for (int version : {2000, 5800}) {
        SCOPED_TRACE(version);
        Blocks blocks;
        const std::string path = blocks.dir.File("shiny.qel");
        nativetest::BuildFile(path, version, false, [&](KQel& pFile) {
            native_detail::WriteBlock block(pFile, "Material", "Material::M");
            native_detail::WriteFieldD(pFile, "Shininess", version == 2000 ? 64.0 : 50.0);
        });
        KQelMaterial* material = blocks.manager.CreateKQelMaterial("");
        blocktest::ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
            ASSERT_TRUE(pFile.FieldReadBegin("Material"));
            pReader.ReadKQelMaterial(*material);
            pFile.FieldReadEnd();
        });
        EXPECT_NEAR(0.5, material->GetDefaultShininess(), 1e-6);
        EXPECT_STREQ("phong", material->GetShadingModel());
    }
}

TEST(TextureMaterialBlocks, CurrentLayoutObjectsKeepTheirNameAndReadTheirFields)
{
    Blocks blocks;
    const std::string path = blocks.dir.File("objects.qel");
    nativetest::BuildFile(path, 6000, true, [&](KQel& pFile) {
        {
            native_detail::WriteBlock block(pFile, "Texture");
            native_detail::WriteFieldC(pFile, "FileName", "/maps/oak.png");
            native_detail::WriteFieldC(pFile, "Media", "oak");
            pFile.FieldWriteBegin("Cropping");
            for (int side : {1, 2, 3, 4})
                pFile.FieldWriteI(side);
            pFile.FieldWriteEnd();
        }
        native_detail::WriteBlock block(pFile, "Material");
        native_detail::WriteFieldC(pFile, "ShadingModel", "BLINN");
        native_detail::WriteFieldI(pFile, "MultiLayer", 1);
    });
    KQelObject* texture = nullptr;
    KQelObject* material = nullptr;
    blocktest::ReadBlocks(
        blocks, path,
        [&](BlockReader& pReader, KQel& pFile) {
            {
                native_detail::ReadBlock block(pFile, "Texture");
                texture = pReader.ReadTextureObject("Texture::Oak");
            }
            native_detail::ReadBlock block(pFile, "Material");
            material = pReader.ReadMaterialObject("Material::Coat");
        },
        false);
    ASSERT_NE(nullptr, texture);
    ASSERT_NE(nullptr, material);
    KQelTexture& t = static_cast<KQelTexture&>(*texture);
    EXPECT_STREQ("Texture::Oak", t.GetName());
    EXPECT_STREQ("/maps/oak.png", t.GetFileName());
    EXPECT_STREQ("oak", t.GetMediaName().Buffer());
    // Stored left, right, top, bottom.
    EXPECT_EQ(2, t.GetCroppingRight());
    EXPECT_EQ(3, t.GetCroppingTop());
    KQelMaterial& m = static_cast<KQelMaterial&>(*material);
    EXPECT_STREQ("Material::Coat", m.GetName());
    EXPECT_STREQ("blinn", m.GetShadingModel());
    EXPECT_TRUE(m.GetMultiLayer());
}

// ---- Duplicate removal ----

// Meshes on nodes that join the scene once their layers are filled, as the
// reader attaches them (the scene registers their objects then).
struct MeshNodes {
    KQelMesh* Add(KQelSdkManager& pManager, const char* pName)
    {
        KQelNode* node = pManager.CreateKQelNode(pName);
        KQelMesh* mesh = pManager.CreateKQelMesh();
        node->SetNodeAttribute(mesh);
        mNodes.push_back(node);
        return mesh;
    }
    void Attach(KQelScene& pScene)
    {
        for (KQelNode* node : mNodes)
            pScene.GetRootNode()->AddChild(node);
    }
    std::vector<KQelNode*> mNodes;
};

TEST(DuplicateRemoval, EqualTexturesMergeIntoTheFirstAndLayersFollow)
{
    nativetest::SceneFixture f;
    KQelImporter importer(f.manager);
    KQelReaderQel reader(f.manager, importer);
    KQelEntity& entity = *f.scene->GetEntity();
    std::vector<KQelTexture*> woods;
    std::vector<KQelMesh*> meshes;
    MeshNodes nodes;
    for (const char* name : {"wood1", "wood2", "wood3"}) {
        KQelMesh* mesh = nodes.Add(f.manager, name);
        KQelTexture* texture = FullTexture(f.manager, name);
        mesh->AT(texture, 0);
        meshes.push_back(mesh);
        woods.push_back(texture);
    }
    // Differs in one compared value only; and one that equals nothing.
    KQelTexture* other = FullTexture(f.manager, "wood4");
    other->SetCropping(1, 2, 3, 5);
    meshes[0]->AT(other, 0);
    KQelTexture* strange = FullTexture(f.manager, "wood5");
    strange->SetDefaultAlpha(std::numeric_limits<double>::quiet_NaN());
    meshes[0]->AT(strange, 0);
    nodes.Attach(*f.scene);
    // A camera whose background is the third.
    KQelNode* cameraNode = f.manager.CreateKQelNode("Cam");
    KQelCamera* camera = f.manager.CreateKQelCamera();
    cameraNode->SetNodeAttribute(camera);
    f.scene->GetRootNode()->AddChild(cameraNode);
    camera->SetBackgroundTexture(woods[2]);
    ASSERT_EQ(5, entity.GetTextureCount());
    const int managed = f.manager.GetKQelTextureCount();

    reader.RemoveDuplicateTextures(*f.scene);

    ASSERT_EQ(3, entity.GetTextureCount());
    EXPECT_EQ(woods[0], entity.GetTexture(0));
    EXPECT_EQ(managed - 2, f.manager.GetKQelTextureCount());
    for (KQelMesh* mesh : meshes)
        EXPECT_EQ(woods[0], mesh->GT(0, 0));
    EXPECT_EQ(other, meshes[0]->GT(1, 0));
    EXPECT_EQ(strange, meshes[0]->GT(2, 0));
    EXPECT_TRUE(cameraNode->GetPropertyHandler()->IsConnectedSrc(woods[0]->GetPropertyHandler()));
    // The survivor counts the uses of the removed ones.
    EXPECT_EQ(3, entity.GetReferenceUseCount(KQelEntity::eTextures, woods[0]));
}

TEST(DuplicateRemoval, EqualMaterialsMergeAndUnequalOnesStay)
{
    nativetest::SceneFixture f;
    KQelImporter importer(f.manager);
    KQelReaderQel reader(f.manager, importer);
    MeshNodes nodes;
    KQelMesh* a = nodes.Add(f.manager, "A");
    KQelMesh* b = nodes.Add(f.manager, "B");
    KQelMaterial* first = FullMaterial(f.manager, "Coat");
    KQelMaterial* copy = FullMaterial(f.manager, "Coat");
    copy->SetShadingModel("LAMBERT");
    copy->SetDefaultEmissiveColor(KQelColor(-0.0, 0.5, 0.75, 1.0));
    first->SetDefaultEmissiveColor(KQelColor(0.0, 0.5, 0.75, 1.0));
    KQelMaterial* shinier = FullMaterial(f.manager, "Coat");
    shinier->SetDefaultShininess(0.75);
    KQelMaterial* renamed = FullMaterial(f.manager, "Coat1");
    a->AM(first, 0);
    b->AM(copy, 0);
    b->AM(shinier, 0);
    b->AM(renamed, 0);
    nodes.Attach(*f.scene);

    reader.RemoveDuplicateMaterials(*f.scene);

    EXPECT_EQ(3, f.scene->GetEntity()->GetMaterialCount());
    EXPECT_EQ(first, b->GM(0, 0));
    EXPECT_EQ(shinier, b->GM(1, 0));
    EXPECT_EQ(renamed, b->GM(2, 0));
}

TEST(DuplicateRemoval, ReadFileMergesThePerGeometryCopies)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        scratch::ScratchDir dir;
        const std::string path = dir.File(binary ? "copies.qel" : "copies_text.qel");
        {
            nativetest::SceneFixture source;
            KQelTexture* texture = FullTexture(source.manager, "Oak");
            KQelMaterial* material = FullMaterial(source.manager, "Coat");
            MeshNodes nodes;
            for (const char* name : {"A", "B"}) {
                KQelMesh* mesh = nodes.Add(source.manager, name);
                mesh->InitControlPoints(3);
                mesh->BeginPolygon();
                for (int corner : {0, 1, 2})
                    mesh->AddPolygon(corner);
                mesh->EndPolygon();
                mesh->AT(texture, 0);
                mesh->AM(material, 0);
            }
            nodes.Attach(*source.scene);
            ASSERT_TRUE(nativetest::WriteOlder(source.manager, *source.scene, path, binary));
        }
        nativetest::SceneFixture target;
        ASSERT_TRUE(nativetest::ReadInto(target.manager, *target.scene, path).mOk);
        KQelEntity& entity = *target.scene->GetEntity();
        ASSERT_EQ(1, entity.GetTextureCount());
        ASSERT_EQ(1, entity.GetMaterialCount());
        KQelTexture* texture = entity.GetTexture(0);
        EXPECT_EQ(3, texture->GetCroppingRight());
        EXPECT_EQ(2, texture->GetCroppingTop());
        EXPECT_NEAR(0.5, entity.GetMaterial(0)->GetDefaultShininess(), 1e-6);
        for (const char* name : {"Model::A", "Model::B"}) {
            KQelNode* node = target.scene->GetRootNode()->FindChild(name, true, false);
            ASSERT_NE(nullptr, node);
            ASSERT_NE(nullptr, node->GetGeometry());
            EXPECT_EQ(texture, node->GetGeometry()->GT(0, 0));
            EXPECT_EQ(entity.GetMaterial(0), node->GetGeometry()->GM(0, 0));
        }
    }
}

// A triangle mesh of four polygons: materials by polygon, and two texture
// layers of three textures each, by polygon.
KQelMesh* LayeredMesh(KQelSdkManager& pManager, MeshNodes& pNodes)
{
    typedef KQelLayerElement Element;
    KQelMesh* mesh = pNodes.Add(pManager, "Layered");
    mesh->InitControlPoints(3);
    for (int p = 0; p < 4; ++p) {
        mesh->BeginPolygon();
        for (int corner : {0, 1, 2})
            mesh->AddPolygon(corner);
        mesh->EndPolygon();
    }
    for (const char* name : {"Wax", "Rust"}) {
        KQelMaterial* material = FullMaterial(pManager, name);
        material->SetShadingModel(name);
        mesh->AM(material, 0);
    }
    KQelLayerElementMaterial* materials = mesh->GetLayer(0)->GetMaterials();
    materials->SetMappingMode(Element::eByPolygon);
    materials->SetReferenceMode(Element::eIndexToDirect);
    for (int index : {0, 1, 1, 0})
        materials->GetIndexArray().Add(index);
    const char* const names[2][3] = {{"Oak", "Elm", "Ash"}, {"Fir", "Yew", "Box"}};
    const int ids[2][4] = {{0, 1, 2, 0}, {0, 0, 2, 0}};
    for (int layer = 0; layer < 2; ++layer) {
        if (layer >= mesh->GetLayerCount())
            mesh->CreateLayer();
        for (const char* name : names[layer])
            mesh->AT(FullTexture(pManager, name), layer);
        KQelLayerElementTexture* textures = mesh->GetLayer(layer)->GetTextures();
        textures->SetMappingMode(Element::eByPolygon);
        textures->SetReferenceMode(Element::eIndexToDirect);
        for (int id : ids[layer])
            textures->GetIndexArray().Add(id);
    }
    return mesh;
}

TEST(DuplicateRemoval, LayeredMaterialsAndTexturesReadBackThroughAFile)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        scratch::ScratchDir dir;
        const std::string path = dir.File("layers.qel");
        {
            nativetest::SceneFixture source;
            MeshNodes nodes;
            LayeredMesh(source.manager, nodes);
            nodes.Attach(*source.scene);
            ASSERT_TRUE(nativetest::WriteOlder(source.manager, *source.scene, path, binary));
        }
        if (!binary) {
            // The second layer's ids count the first layer's textures.
            EXPECT_NE(std::string::npos, scratch::ReadFile(path).find("TextureId: 3,3,5,3"));
        }
        nativetest::SceneFixture target;
        ASSERT_TRUE(nativetest::ReadInto(target.manager, *target.scene, path).mOk);
        KQelNode* node = target.scene->GetRootNode()->FindChild("Layered", true, false);
        ASSERT_NE(nullptr, node);
        KQelGeometry* mesh = node->GetGeometry();
        ASSERT_NE(nullptr, mesh);
        ASSERT_EQ(2, mesh->GMC(0));
        EXPECT_STREQ("Material::Wax", mesh->GM(0, 0)->GetName());
        EXPECT_STREQ("rust", mesh->GM(1, 0)->GetShadingModel());
        EXPECT_EQ((std::vector<int>{0, 1, 1, 0}), blocktest::Values(mesh->GetLayer(0)->GetMaterials()->GetIndexArray()));
        // Each polygon's texture, layer by layer.
        const std::vector<std::vector<std::string>> expected = {
            {"Texture::Oak", "Texture::Elm", "Texture::Ash", "Texture::Oak"},
            {"Texture::Fir", "Texture::Fir", "Texture::Box", "Texture::Fir"}};
        for (int layer = 0; layer < 2; ++layer) {
            SCOPED_TRACE(layer);
            KQelLayer* read = mesh->GetLayer(layer, KQelLayerElement::eTexture);
            ASSERT_NE(nullptr, read);
            const KArrayTemplate<KQelTexture*>& direct = read->GetTextures()->GetDirectArray();
            std::vector<std::string> used;
            for (int index : blocktest::Values(read->GetTextures()->GetIndexArray())) {
                ASSERT_TRUE(index >= 0 && index < direct.GetCount());
                used.push_back(direct[index]->GetName());
            }
            EXPECT_EQ(expected[layer], used);
        }
    }
}

TEST(DuplicateRemoval, ATextFileWithTexturesCutAnywhereReadsOrFails)
{
    scratch::ScratchDir dir;
    const std::string whole = dir.File("whole.qel");
    {
        nativetest::SceneFixture source;
        MeshNodes nodes;
        KQelMesh* mesh = nodes.Add(source.manager, "A");
        mesh->InitControlPoints(3);
        mesh->BeginPolygon();
        for (int corner : {0, 1, 2})
            mesh->AddPolygon(corner);
        mesh->EndPolygon();
        KQelTexture* texture = FullTexture(source.manager, "Oak");
        texture->SetFileName("/maps/oak.png");
        mesh->AT(texture, 0);
        mesh->AM(FullMaterial(source.manager, "Coat"), 0);
        nodes.Attach(*source.scene);
        ASSERT_TRUE(nativetest::WriteOlder(source.manager, *source.scene, whole, false));
    }
    const std::string text = scratch::ReadFile(whole);
    ASSERT_NE(std::string::npos, text.find("Media:"));
    const std::string cut = dir.File("cut.qel");
    for (std::size_t size = 64; size < text.size(); size += 64) {
        SCOPED_TRACE(size);
        scratch::WriteFile(cut, text.substr(0, size));
        nativetest::SceneFixture f;
        const nativetest::ReadResult read = nativetest::ReadInto(f.manager, *f.scene, cut);
        if (!read.mOk) {
            EXPECT_NE(-1, read.mError);
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
