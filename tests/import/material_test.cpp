// Materials on scenes built in memory: shaders shared by material name,
// shading groups per node, and which polygons each group receives.
#include "import_fixture.h"

#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"

using namespace qelsdk_600;
using E = KQelLayerElement;

namespace {

KQelMaterial* material(KQelSdkManager& pManager, const char* pName, double pOpacity, double pShininess)
{
    KQelMaterial* made = pManager.CreateKQelMaterial(pName);
    made->SetOpacity(pOpacity);
    made->SetShininess(pShininess);
    made->SetDiffuse(KQelColor(1, 0, 0, 1));
    return made;
}

TEST_F(ImportTest, MeshesNamingOneMaterialShareItsShaderEachWithItsOwnGroup)
{
    KQelSdkManager& manager = mImport->GetManager();
    for (const char* name : {"A", "B"}) {
        KQelMesh* mesh = meshOf(manager, 3, {{0, 1, 2}});
        addElement(mesh, 0, &KQelLayer::SetMaterials, E::eAllSame, E::eIndexToDirect,
                   std::vector<KQelMaterial*>{material(manager, "wood", 0.25, 0.5)}, {0});
        node(name, nullptr, mesh);
    }
    node("C", nullptr, meshOf(manager, 3, {{0, 1, 2}}));
    build();

    EXPECT_EQ(dumpLines("^node \"[^|\"]*\" = "),
              (std::vector<std::string>{"node \"ASG\" = \"shadingEngine\" 1006", "node \"BSG\" = \"shadingEngine\" 1006",
                                        "node \"CSG\" = \"shadingEngine\" 1006",
                                        "node \"defaultShaderList1\" = \"shaderList\" 1007",
                                        "node \"phong1\" = \"phong\" 1010", "node \"wood\" = \"phong\" 1010"}));
    EXPECT_EQ(dumpLines("^(attr \"wood\" (colorR|transparencyG|cosinePower)|attr \"phong1\" (colorB|specularColorR)|"
                        "set|connect)"),
              (std::vector<std::string>{
                  "set \"ASG\" = 5", "set \"ASG\" member \"|A|AShape\" = whole", "set \"BSG\" = 5",
                  "set \"BSG\" member \"|B|BShape\" = whole", "set \"CSG\" = 5",
                  "attr \"phong1\" colorB = k 0.5", "attr \"phong1\" specularColorR = k 0.3",
                  "attr \"wood\" colorR = k 1", "attr \"wood\" transparencyG = k 0.75",
                  "attr \"wood\" cosinePower = k 64", "connect \"ASG\" surfaceShader = \"wood\" outColor",
                  "connect \"BSG\" surfaceShader = \"wood\" outColor",
                  "connect \"CSG\" surfaceShader = \"phong1\" outColor"}));
}

TEST_F(ImportTest, PolygonsJoinTheGroupOfTheirIndexOrOfTheirCornersVote)
{
    // Four triangles on six points; each row gives the layer-0 material
    // element of three slots.
    const struct {
        const char* name;
        E::EMappingMode mode;
        std::vector<int> indices;
        // Then the textures by polygon that reach each slot's shader: that
        // of the first polygon of the slot.
        std::vector<std::string> members;
    } rows[] = {
        {"by polygon, second slot unused", E::eByPolygon, {0, 2, 2, 0},
         {"set \"MSG\" member \"|M|MShape\" f = 0 3", "set \"MSG2\" member \"|M|MShape\" f = 1 2",
          "connect \"a\" color = \"t0\" outColor", "connect \"c\" color = \"t1\" outColor"}},
        {"by point: 2, 1, 1, 2 gives 2", E::eByControlPoint, {2, 1, 1, 2, 0, 1},
         {"set \"MSG1\" member \"|M|MShape\" f = 2", "set \"MSG2\" member \"|M|MShape\" f = 0 1 3",
          "connect \"b\" color = \"t2\" outColor", "connect \"c\" color = \"t0\" outColor"}},
        {"by corner: the corner's own entry", E::eByPolygonVertex, {0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 5, 5, 5, 0},
         {"set \"MSG\" member \"|M|MShape\" f = 0", "set \"MSG1\" member \"|M|MShape\" f = 1",
          "set \"MSG2\" member \"|M|MShape\" f = 2", "connect \"a\" color = \"t0\" outColor",
          "connect \"b\" color = \"t1\" outColor", "connect \"c\" color = \"t2\" outColor"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        standin::resetHost();
        mImport.reset(new QelVeskImport);
        mRoot = nullptr;
        KQelSdkManager& manager = mImport->GetManager();
        KQelMesh* mesh = meshOf(manager, 6, {{0, 1, 2, 3}, {0, 3, 4}, {1, 5, 4}, {3, 0, 5, 4}});
        addElement(mesh, 0, &KQelLayer::SetMaterials, row.mode, E::eIndexToDirect,
                   std::vector<KQelMaterial*>{material(manager, "a", 1, 0), material(manager, "b", 1, 0),
                                              material(manager, "c", 1, 0)},
                   row.indices);
        std::vector<KQelTexture*> textures;
        for (const char* name : {"t0", "t1", "t2", "t3"}) {
            textures.push_back(manager.CreateKQelTexture(name));
            textures.back()->SetFileName(name);
        }
        addElement(mesh, 0, &KQelLayer::SetTextures, E::eByPolygon, E::eIndexToDirect, textures, {0, 1, 2, 3});
        node("M", nullptr, mesh);
        // Only a vote by point warns that it may differ from the original.
        const bool byPoint = row.mode == E::eByControlPoint;
        QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, true);
        if (byPoint)
            standin::queueReply("QEL import warning", standin::Reply::press("Ok"));
        build();
        EXPECT_EQ(standin::dialogs().size(), byPoint ? 1u : 0u);
        EXPECT_EQ(dumpLines("member|^connect \"[abc]\" color"), row.members);
        EXPECT_EQ(dumpLines("^node \"MSG").size(), 3u) << "one group per slot, used or not";
    }
}

TEST_F(ImportTest, ExclusiveMergeAndMergedNodesGetNoMaterials)
{
    KQelMesh* mesh = meshOf(mImport->GetManager(), 3, {{0, 1, 2}});
    QelVeskNode* merged = node("M", nullptr, mesh);
    build();
    ASSERT_EQ(dumpLines("member").size(), 0u) << "a mesh without materials joins no group";
    standin::clearLogs();
    merged->mMerged = true;
    mImport->BuildMaterialInformation(merged);
    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eExclusiveMerge);
    merged->mMerged = false;
    mImport->BuildMaterialInformation(merged);
    EXPECT_EQ(standin::commandLog().size(), 0u);
}

}  // namespace
