// Meshes on scenes built in memory: what the host mesh receives of points,
// polygons, normals, UV layers and colours, with polygons the host leaves
// out and elements that do not cover their mapping.
#include "import_fixture.h"

#include <vesk/MFnMesh.h>

#include "content/kqelmaterial.h"
#include "content/kqelshape.h"
#include "foundation/message_log.h"

using namespace qelsdk_600;
using E = KQelLayerElement;

namespace {

std::vector<int> upTo(int pCount)
{
    std::vector<int> out;
    for (int i = 0; i < pCount; ++i)
        out.push_back(i);
    return out;
}

TEST_F(ImportTest, TrianglesAndAQuadGiveTheirPolygonsVertexNormalsAndNonEmptyUVLayers)
{
    KQelMesh* mesh = meshOf(mImport->GetManager(), 7, {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}, {1, 2, 5, 6}});
    std::vector<KQelVector4> normals;
    for (int i = 0; i < 7; ++i)
        normals.push_back(KQelVector4(1, i, 0, 0));
    addElement(mesh, 0, &KQelLayer::SetNormals, E::eByControlPoint, E::eDirect, normals);
    addElement(mesh, 0, &KQelLayer::SetUVs, E::eByControlPoint, E::eDirect,
               std::vector<KQelVector2>(7, KQelVector2(0.5, 0.25)));
    addElement(mesh, 1, &KQelLayer::SetUVs, E::eByControlPoint, E::eDirect, std::vector<KQelVector2>());
    addElement(mesh, 2, &KQelLayer::SetUVs, E::eByPolygon, E::eIndexToDirect,
               std::vector<KQelVector2>(2, KQelVector2(1, 0)), {1, 0, 1, 0, 1});
    mesh->AddShape(mImport->GetManager().CreateKQelShape(), "smile");
    node("M", nullptr, mesh);
    build();

    EXPECT_EQ(dumpLines("^node \"[^\"]*\" = \"blendShape\"").size(), 1u);
    EXPECT_EQ(dumpLines("^mesh \"\\|M\\|MShape\" (=|f )"),
              (std::vector<std::string>{"mesh \"|M|MShape\" = 7 5 16", "mesh \"|M|MShape\" f 0 = 0 1 2",
                                        "mesh \"|M|MShape\" f 1 = 0 2 3", "mesh \"|M|MShape\" f 2 = 0 3 4",
                                        "mesh \"|M|MShape\" f 3 = 0 4 5", "mesh \"|M|MShape\" f 4 = 1 2 5 6"}));
    const std::vector<std::string> normalLines = dumpLines("^mesh \"\\|M\\|MShape\" n ");
    ASSERT_EQ(normalLines.size(), 7u);
    EXPECT_EQ(normalLines[6], "mesh \"|M|MShape\" n 6 = 1 6 0");
    EXPECT_EQ(dumpLines("MShape\" uvset"), (std::vector<std::string>{"mesh \"|M|MShape\" uvset 0 = \"uvSet1\" 7",
                                                            "mesh \"|M|MShape\" uvset 1 = \"uvSet3\" 2"}));
    EXPECT_EQ(dumpLines("MShape\" uvid 1 4"), std::vector<std::string>{"mesh \"|M|MShape\" uvid 1 4 = 1 1 1 1"});
}

TEST_F(ImportTest, PolygonsAfterOneTheHostLeavesOutKeepTheirOwnData)
{
    // SDK polygons: 0 (corners 0-2), 1 with 2 corners (3-4), 2 (5-7), 3 (8-11).
    KQelMesh* mesh = meshOf(mImport->GetManager(), 12, {{0, 1, 2}, {3, 4}, {5, 6, 7}, {8, 9, 10, 11}});
    std::vector<KQelVector4> normals;
    std::vector<KQelColor> colors;
    for (int i = 0; i < 12; ++i) {
        normals.push_back(KQelVector4(0, 0, i, 0));
        colors.push_back(KQelColor(i / 16.0, 0.5, 0.25, 1));
    }
    addElement(mesh, 0, &KQelLayer::SetNormals, E::eByPolygonVertex, E::eDirect, normals);
    addElement(mesh, 0, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect,
               std::vector<KQelVector2>(12, KQelVector2(0.5, 0.5)), upTo(12));
    addElement(mesh, 1, &KQelLayer::SetUVs, E::eByPolygon, E::eIndexToDirect,
               std::vector<KQelVector2>(4, KQelVector2(0.25, 0.5)), upTo(4));
    addElement(mesh, 0, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eDirect, colors);
    std::vector<KQelMaterial*> materials;
    for (const char* name : {"a", "b", "c", "d"})
        materials.push_back(mImport->GetManager().CreateKQelMaterial(name));
    addElement(mesh, 0, &KQelLayer::SetMaterials, E::eByPolygon, E::eIndexToDirect, materials, upTo(4));
    node("M", nullptr, mesh);
    vesk::MessageLog::clear();
    build();

    EXPECT_EQ(dumpLines(" (n [57]|color [36]|uvid \\d 1) = |member"),
              (std::vector<std::string>{
                  "set \"MSG\" member \"|M|MShape\" f = 0", "set \"MSG2\" member \"|M|MShape\" f = 1",
                  "set \"MSG3\" member \"|M|MShape\" f = 2", "mesh \"|M|MShape\" n 5 = 0 0 5",
                  "mesh \"|M|MShape\" n 7 = 0 0 7", "mesh \"|M|MShape\" color 3 = 0.3125 0.5 0.25 1",
                  "mesh \"|M|MShape\" color 6 = 0.5 0.5 0.25 1", "mesh \"|M|MShape\" uvid 0 1 = 5 6 7",
                  "mesh \"|M|MShape\" uvid 1 1 = 2 2 2"}));
    ASSERT_GT(vesk::MessageLog::size(), 0u);
    EXPECT_NE(vesk::MessageLog::line(0).find("(4) don't match in the destination mesh (3)"), std::string::npos);
}

// A corner naming no point: the host makes no mesh, so its polygons match
// none of the file's, and nothing per polygon is read or set.
TEST_F(ImportTest, AMeshTheHostRefusesGetsNoPerPolygonData)
{
    KQelMesh* mesh = meshOf(mImport->GetManager(), 3, {{0, 1, 2}, {0, 1, 9}});
    addElement(mesh, 0, &KQelLayer::SetNormals, E::eByPolygonVertex, E::eDirect,
               std::vector<KQelVector4>(6, KQelVector4(0, 0, 1, 0)));
    addElement(mesh, 0, &KQelLayer::SetUVs, E::eByPolygon, E::eIndexToDirect,
               std::vector<KQelVector2>(2, KQelVector2(0.5, 0.5)), upTo(2));
    addElement(mesh, 0, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eDirect,
               std::vector<KQelColor>(6, KQelColor(1, 0, 0, 1)));
    std::vector<KQelMaterial*> materials;
    for (const char* name : {"a", "b"})
        materials.push_back(mImport->GetManager().CreateKQelMaterial(name));
    addElement(mesh, 0, &KQelLayer::SetMaterials, E::eByPolygon, E::eIndexToDirect, materials, upTo(2));
    QelVeskNode* made = node("M", nullptr, mesh);
    vesk::MessageLog::clear();
    build();

    EXPECT_EQ(vesk::MessageLog::line(0).rfind("Cannot create Mesh", 0), 0u) << vesk::MessageLog::line(0);
    EXPECT_EQ(dumpLines("^node \"\\|M\\|"), std::vector<std::string>{});
    EXPECT_EQ(dumpLines(" member "), std::vector<std::string>{});
    MFnMesh host(*made->GetDagPath());
    EXPECT_FALSE(mImport->SetVertexColors(mesh, host));
}

// Each row gives a triangle one element that does not cover its mapping or
// names an entry past its array: that element alone is left out.
TEST_F(ImportTest, ElementsThatDoNotCoverTheirMappingAreLeftOut)
{
    const KQelVector4 marker(7, 7, 7, 0);
    const std::vector<KQelVector2> twoUVs(2, KQelVector2(0.5, 0.5));
    const std::vector<KQelColor> twoColors(2, KQelColor(1, 0, 0, 1));
    const struct {
        const char* name;
        std::function<void(KQelMesh*)> add;
        const char* absent;
    } rows[] = {
        {"normals by point", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetNormals, E::eByControlPoint, E::eDirect, std::vector<KQelVector4>(2, marker)); }, " = 7 7 7$"},
        {"normals by corner", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetNormals, E::eByPolygonVertex, E::eDirect, std::vector<KQelVector4>(2, marker)); }, " = 7 7 7$"},
        {"UV index past the UVs", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetUVs, E::eByPolygonVertex, E::eIndexToDirect, twoUVs, {0, 1, 5}); }, "uvSet1"},
        {"UVs by polygon, no index", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetUVs, E::eByPolygon, E::eIndexToDirect, twoUVs); }, "uvSet1"},
        {"UVs by point, too few", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetUVs, E::eByControlPoint, E::eDirect, twoUVs); }, "uvSet1"},
        {"colour index past the colours", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eIndexToDirect, twoColors, {0, 1, 9}); }, " color "},
        {"colours by corner, too few", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetVertexColors, E::eByPolygonVertex, E::eDirect, twoColors); }, " color "},
        {"colours by point, too few", [&](KQelMesh* m) { addElement(m, 0, &KQelLayer::SetVertexColors, E::eByControlPoint, E::eDirect, twoColors); }, " color "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        standin::resetHost();
        mImport.reset(new QelVeskImport);
        mRoot = nullptr;
        KQelMesh* mesh = meshOf(mImport->GetManager(), 3, {{0, 1, 2}});
        row.add(mesh);
        QelVeskNode* made = node("T", nullptr, mesh);
        build();
        EXPECT_EQ(dumpLines("^mesh \"\\|T\\|TShape\" = ").size(), 1u);
        EXPECT_EQ(dumpLines(row.absent), std::vector<std::string>{});
        MFnMesh host(*made->GetDagPath());
        if (mesh->GetLayer(0)->GetVertexColors()) {
            EXPECT_FALSE(mImport->SetVertexColors(mesh, host));
        }
    }
}

}  // namespace
