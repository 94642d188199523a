// Textures: file textures with their placement on meshes and surfaces,
// layered textures, and a written file whose names need care.
#include "import_fixture.h"

#include <vesk/MFnPhongShader.h>

#include "content/kqelmaterial.h"
#include "content/kqelnurb.h"
#include "content/kqeltexture.h"
#include "foundation/message_log.h"

using namespace qelsdk_600;
using E = KQelLayerElement;

namespace {

KQelTexture* texture(KQelSdkManager& pManager, const char* pName, const char* pFile)
{
    KQelTexture* made = pManager.CreateKQelTexture(pName);
    made->SetFileName(pFile);
    made->SetDefaultT(KQelVector4(0.25, 0.5, 0, 0));
    made->SetDefaultR(KQelVector4(0, 0, 90, 0));
    made->SetDefaultS(KQelVector4(2, 3, 1, 0));
    return made;
}

// One material on the whole geometry and one texture layer per texture,
// each with its blend mode.
void dress(KQelSdkManager& pManager, KQelGeometry* pGeometry, const std::vector<KQelTexture*>& pTextures,
           const std::vector<KQelLayerElementTexture::EBlendMode>& pBlendModes = {})
{
    addElement(pGeometry, 0, &KQelLayer::SetMaterials, E::eAllSame, E::eIndexToDirect,
               std::vector<KQelMaterial*>{pManager.CreateKQelMaterial("mat")}, {0});
    for (size_t i = 0; i < pTextures.size(); ++i)
        addElement(pGeometry, static_cast<int>(i), &KQelLayer::SetTextures, E::eAllSame, E::eIndexToDirect,
                   std::vector<KQelTexture*>{pTextures[i]}, {0})
            ->SetBlendMode(i < pBlendModes.size() ? pBlendModes[i] : KQelLayerElementTexture::eTranslucent);
}

TEST_F(ImportTest, PlacementFollowsTheTextureAndTheKindOfGeometry)
{
    KQelSdkManager& manager = mImport->GetManager();
    KQelMesh* mesh = meshOf(manager, 3, {{0, 1, 2}});
    dress(manager, mesh, {texture(manager, "wood", "/data/wood.tif")});
    node("M", nullptr, mesh);
    KQelNurb* nurb = manager.CreateKQelNurb();
    nurb->SetOrder(2, 2);
    nurb->InitControlPoints(4, KQelNurb::kClosed, 6, KQelNurb::kOpen);
    dress(manager, nurb, {texture(manager, "rock", "/data/rock.tif")});
    node("S", nullptr, nurb);
    build();

    EXPECT_EQ(dumpLines("^attr \"[^\"]*\" (fileTextureName|offset.|rotateFrame|repeat.) "),
              (std::vector<std::string>{
                  "attr \"place2dTexture1\" repeatU = - 2", "attr \"place2dTexture1\" repeatV = - 3",
                  "attr \"place2dTexture1\" offsetU = - 0.5", "attr \"place2dTexture1\" offsetV = - 0.25",
                  "attr \"place2dTexture1\" rotateFrame = - 1.5707963267948966",
                  "attr \"place2dTexture2\" repeatU = - 3", "attr \"place2dTexture2\" repeatV = - 2",
                  "attr \"place2dTexture2\" offsetU = - 0.5", "attr \"place2dTexture2\" offsetV = - 0.75",
                  "attr \"place2dTexture2\" rotateFrame = - -1.5707963267948966",
                  "attr \"rock\" fileTextureName = - \"/data/rock.tif\"",
                  "attr \"wood\" fileTextureName = - \"/data/wood.tif\""}));
    EXPECT_EQ(dumpLines("^connect \"(wood|mat)"),
              (std::vector<std::string>{"connect \"mat\" color = \"wood\" outColor",
                                        "connect \"wood\" uvCoord = \"place2dTexture1\" outUV"}));
    // A colour already fed by a file texture is left as it is.
    MObject shader;
    MSelectionList list;
    list.add("mat");
    list.getDependNode(0, shader);
    mImport->ConnectTexture(shader, mesh->GT(0, 0), mesh);
    EXPECT_EQ(dumpLines("^connect \"mat\" color"), std::vector<std::string>{"connect \"mat\" color = \"wood\" outColor"});
}

TEST_F(ImportTest, SeveralTexturesLayerTheFirstOnTopWithTheirBlendModes)
{
    KQelSdkManager& manager = mImport->GetManager();
    KQelMesh* mesh = meshOf(manager, 3, {{0, 1, 2}});
    std::vector<KQelTexture*> textures;
    for (const char* name : {"t1", "t2", "t3"})
        textures.push_back(texture(manager, name, (std::string("/data/") + name).c_str()));
    textures[1]->SetDefaultAlpha(0.5);
    dress(manager, mesh, textures,
          {KQelLayerElementTexture::eAdd, KQelLayerElementTexture::eModulate, KQelLayerElementTexture::eMaxBlend});
    node("M", nullptr, mesh);
    build();

    const std::vector<std::string> layered = dumpLines("^node \"layeredTexture\\d+\" = ");
    ASSERT_EQ(layered.size(), 1u);
    const std::string name = layered[0].substr(6, layered[0].find('"', 6) - 6);
    EXPECT_EQ(dumpLines("^(attr|connect) \"(" + name + "|mat)\" (inputs\\[\\d\\]\\.(alpha|blendMode|color )|color )"),
              (std::vector<std::string>{
                  "attr \"" + name + "\" inputs[0].alpha = - 1", "attr \"" + name + "\" inputs[0].blendMode = - 0",
                  "attr \"" + name + "\" inputs[1].alpha = - 0.5", "attr \"" + name + "\" inputs[1].blendMode = - 6",
                  "attr \"" + name + "\" inputs[2].alpha = - 1", "attr \"" + name + "\" inputs[2].blendMode = - 4",
                  "connect \"" + name + "\" inputs[0].color = \"t3\" outColor",
                  "connect \"" + name + "\" inputs[1].color = \"t2\" outColor",
                  "connect \"" + name + "\" inputs[2].color = \"t1\" outColor",
                  "connect \"mat\" color = \"" + name + "\" outColor"}));
}

// The host answers no node to a texture's "shadingNode": the texture is
// given up, alone or layered, and nothing else is made for it.
TEST_F(ImportTest, ATextureTheHostDoesNotMakeIsSkipped)
{
    class NoTextures : public QelVeskImport {
        MStringArray RunCreationCommand(const char* pCommand) override
        {
            return std::string(pCommand).rfind("shadingNode -at ", 0) == 0 ? MStringArray()
                                                                           : QelVeskImport::RunCreationCommand(pCommand);
        }
    };
    mImport.reset(new NoTextures);
    KQelSdkManager& manager = mImport->GetManager();
    KQelMesh* single = meshOf(manager, 3, {{0, 1, 2}});
    dress(manager, single, {texture(manager, "wood", "/data/wood.tif")});
    node("One", nullptr, single);
    KQelMesh* layered = meshOf(manager, 3, {{0, 1, 2}});
    dress(manager, layered, {texture(manager, "t1", "/data/t1.tif"), texture(manager, "t2", "/data/t2.tif")});
    node("Two", nullptr, layered);
    vesk::MessageLog::clear();
    build();

    EXPECT_EQ(dumpLines("^node \\S+ = \"(file|place2dTexture|layeredTexture)\""), std::vector<std::string>{});
    EXPECT_EQ(dumpLines("^connect \\S+ color = "), std::vector<std::string>{});
    EXPECT_EQ(dumpLines("^node \\S+ = \"phong\"").size(), 1u) << "the material \"mat\" stays";
    int cannot = 0;
    for (size_t i = 0; i < vesk::MessageLog::size(); ++i)
        cannot += vesk::MessageLog::line(i).find("Cannot create the texture.") != std::string::npos;
    EXPECT_EQ(cannot, 2);
}

TEST_F(ImportTest, NamesFromAWrittenFileComeInLegalAndRelativeTexturesBesideIt)
{
    const char* const odd = "a\"b\\c;d";
    const std::string path = writeScene("textured.qel", [&](KQelSdkManager& pManager, KQelScene& pScene) {
        KQelMesh* mesh = meshOf(pManager, 3, {{0, 1, 2}});
        addElement(mesh, 0, &KQelLayer::SetMaterials, E::eAllSame, E::eIndexToDirect,
                   std::vector<KQelMaterial*>{pManager.CreateKQelMaterial(odd)}, {0});
        addElement(mesh, 0, &KQelLayer::SetTextures, E::eAllSame, E::eIndexToDirect,
                   std::vector<KQelTexture*>{texture(pManager, odd, "maps/wood.tif")}, {0});
        add(pManager, pScene.GetRootNode(), odd, mesh);
    });
    standin::clearLogs();
    ASSERT_EQ(mImport->OpenProject(MString(path.c_str())), MStatus::kSuccess);
    ASSERT_EQ(mImport->Import(), MStatus::kSuccess);

    EXPECT_EQ(dumpLines("^node \"(a_b_c_d\\w*|\\|a_b_c_d)\" = "),
              (std::vector<std::string>{"node \"a_b_c_d1\" = \"phong\" 1010", "node \"a_b_c_d2\" = \"file\" 483",
                                        "node \"a_b_c_dSG\" = \"shadingEngine\" 1006",
                                        "node \"|a_b_c_d\" = \"transform\" 109"}));
    EXPECT_EQ(dumpLines("fileTextureName"),
              std::vector<std::string>{"attr \"a_b_c_d2\" fileTextureName = - \"" + ScratchDir() + "/maps/wood.tif\""});
    for (const standin::LoggedCommand& c : standin::commandLog())
        EXPECT_TRUE(std::regex_match(c.text, std::regex("(namespace|namespaceInfo|upAxis|exists) .*|"
                                                        "sets -renderable true -noSurfaceShader true -empty -name "
                                                        "\"a_b_c_dSG\"|"
                                                        "connectAttr -f \"a_b_c_d1\\.outColor\"  "
                                                        "\"a_b_c_dSG\\.surfaceShader\"  |"
                                                        "sets -e -forceElement \"a_b_c_dSG\"  \"a_b_c_d\"|"
                                                        "shadingNode -a[tu] (file|place2dTexture)")))
            << c.text;

    // A new scene gets shaders of its own: none is kept from the scene before.
    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eCreate);
    ASSERT_EQ(mImport->Import(), MStatus::kSuccess);
    EXPECT_EQ(dumpLines("^connect \"a_b_c_dSG\" surfaceShader"),
              std::vector<std::string>{"connect \"a_b_c_dSG\" surfaceShader = \"a_b_c_d1\" outColor"});
}

}  // namespace
