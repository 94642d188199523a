#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "content/kqelmesh.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

namespace {

typedef KQelLayerElement LE;

std::vector<int> Indices(const KArrayTemplate<int>& pArray)
{
    return std::vector<int>(pArray.GetArray(), pArray.GetArray() + pArray.GetCount());
}

// A quad (group 0) then a triangle (group 5) over six points.
void AddQuadAndTriangle(KQelMesh& pMesh)
{
    pMesh.InitControlPoints(6);
    pMesh.BeginPolygon(-1, -1, 0);
    for (int i : {0, 1, 2, 3})
        pMesh.AddPolygon(i);
    pMesh.EndPolygon();
    pMesh.BeginPolygon(-1, -1, 5);
    for (int i : {3, 4, 5})
        pMesh.AddPolygon(i);
}

TEST(Mesh, PolygonsRecordTheirFirstCornerSizeAndGroup)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    EXPECT_STREQ(mesh->GetTypeName(), "Mesh");
    mesh->AddPolygon(9);  // no polygon yet: ignored
    AddQuadAndTriangle(*mesh);
    ASSERT_EQ(mesh->GetPolygonCount(), 2);
    EXPECT_EQ(mesh->GetPolygonSize(0), 4);
    EXPECT_EQ(mesh->GetPolygonGroup(0), 0);
    EXPECT_EQ(mesh->GetPolygonSize(1), 3);
    EXPECT_EQ(mesh->GetPolygonGroup(1), 5);
    EXPECT_EQ(mesh->GetPolygonVertex(1, 0), 3);
    EXPECT_EQ(&mesh->GetPolygonVertices()[4], &mesh->GetPolygonVertices()[0] + 4);

    struct Case {
        int polygon, vertex;
    } outside[] = {{0, 4}, {1, 3}, {2, 0}, {-1, 0}, {0, -1}};
    for (const Case& c : outside) {
        EXPECT_EQ(mesh->GetPolygonVertex(c.polygon, c.vertex), -1) << c.polygon << "," << c.vertex;
        EXPECT_EQ(mesh->GetTextureUVIndex(c.polygon, c.vertex), -1);
    }
    for (int polygon : {-1, 2}) {
        EXPECT_EQ(mesh->GetPolygonSize(polygon), -1);
        EXPECT_EQ(mesh->GetPolygonGroup(polygon), -1);
    }

    // By-point normals are fewer than the 7 corners: corner 6 has none.
    KQelVector4 normal(9, 9, 9, 9);
    mesh->GetPolygonVertexNormal(1, 2, normal);
    EXPECT_EQ(normal[0], 9.0);
    mesh->InitNormals(0);
    mesh->GetPolygonVertexNormal(1, 2, normal);
    EXPECT_EQ(normal[0], 9.0);
    mesh->GetNormals()[5].Set(0, 1, 0, 1);
    mesh->GetPolygonVertexNormal(1, 1, normal);
    EXPECT_EQ(normal[1], 1.0);
}

TEST(Mesh, BeginPolygonFillsIndicesOnlyForPolygonMapping)
{
    struct Case {
        LE::EMappingMode mode;
        std::vector<int> materials;
        LE::EMappingMode mapping;
    } cases[] = {
        {LE::eByPolygon, {0, 1, 2}, LE::eByPolygon},
        {LE::eAllSame, {0}, LE::eAllSame},
        {LE::eByControlPoint, {0, 0}, LE::eByControlPoint},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelMesh* mesh = manager.CreateKQelMesh();
        mesh->InitControlPoints(2);
        mesh->InitMaterialIndices(c.mode);
        mesh->InitTextureIndices(c.mode);
        for (int material : {0, 1, 2})
            mesh->BeginPolygon(material, 2 - material, 0);
        const KQelLayerElementMaterial* materials = mesh->GetLayer(0)->GetMaterials();
        EXPECT_EQ(materials->GetReferenceMode(), LE::eIndexToDirect);
        EXPECT_EQ(Indices(materials->GetIndexArray()), c.materials);
        EXPECT_EQ(mesh->GetMaterialMappingMode(), c.mapping);
        if (c.mode == LE::eByPolygon) {
            EXPECT_EQ(Indices(mesh->GetLayer(0)->GetTextures()->GetIndexArray()), (std::vector<int>{2, 1, 0}));
        }
        // Textures know only by-polygon and all-same.
        EXPECT_EQ(mesh->GetTextureMappingMode(), c.mode == LE::eByPolygon ? LE::eByPolygon : LE::eAllSame);
    }
}

TEST(Mesh, FirstPolygonCreatesElementsWithoutIndices)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->BeginPolygon(0, 0, 0);
    ASSERT_EQ(mesh->GetLayerCount(), 1);
    const KQelLayer* layer = mesh->GetLayer(0);
    ASSERT_NE(layer->GetMaterials(), nullptr);
    ASSERT_NE(layer->GetTextures(), nullptr);
    EXPECT_EQ(layer->GetMaterials()->GetIndexArray().GetCount(), 0);
    EXPECT_EQ(layer->GetTextures()->GetReferenceMode(), LE::eIndexToDirect);
    EXPECT_EQ(mesh->GetMaterialIndices(), nullptr);  // eDirect
    EXPECT_EQ(mesh->GetTextureIndices(), nullptr);   // no entry yet

    KQelMesh* plain = manager.CreateKQelMesh();
    plain->BeginPolygon(-1, -1, 0);
    EXPECT_EQ(plain->GetLayer(0)->GetMaterials(), nullptr);
    EXPECT_EQ(plain->GetMaterialMappingMode(), LE::eNoMappingInformation);
    EXPECT_EQ(plain->GetNormalsMappingMode(), LE::eByControlPoint);
}

// What a mesh holds of its polygons: each one's first corner, size and
// group, the corners, and layer 0's material and texture indices.
std::vector<std::vector<int>> PolygonState(KQelMesh& pMesh)
{
    std::vector<int> polygons;
    for (int p = 0; p < pMesh.GetPolygonCount(); ++p) {
        for (int value : {pMesh.GetPolygonVertexIndex(p), pMesh.GetPolygonSize(p), pMesh.GetPolygonGroup(p)})
            polygons.push_back(value);
    }
    const int* corners = pMesh.GetPolygonVertices();
    std::vector<std::vector<int>> state = {
        polygons, std::vector<int>(corners, corners + pMesh.GetPolygonVertexCount()), {pMesh.GetLayerCount()}};
    const KQelLayer* layer = pMesh.GetLayer(0);
    state.push_back(layer && layer->GetMaterials() ? Indices(layer->GetMaterials()->GetIndexArray())
                                                   : std::vector<int>{-9});
    state.push_back(layer && layer->GetTextures() ? Indices(layer->GetTextures()->GetIndexArray())
                                                  : std::vector<int>{-9});
    return state;
}

TEST(Mesh, AddPolygonsBuildsWhatOneCornerAtATimeBuilds)
{
    struct Case {
        const char* name;
        bool elements;           // material and texture elements made first
        LE::EMappingMode mode;
        int earlier;             // polygons begun before, with materials
        std::vector<int> sizes;
    } cases[] = {
        {"no layer yet", false, LE::eByPolygon, 0, {4, 3}},
        {"by polygon", true, LE::eByPolygon, 0, {3, 0, 5, 1}},
        {"after others", true, LE::eByPolygon, 3, {4, 4}},
        {"all same", true, LE::eAllSame, 2, {2, 6}},
        {"nothing", true, LE::eByPolygon, 1, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> corners;
        for (int size : c.sizes) {
            for (int k = 0; k < size; ++k)
                corners.push_back(static_cast<int>(corners.size() % 5) * 3 - 2);  // unchecked: any value
        }
        KQelSdkManager manager;
        KQelMesh* meshes[2] = {manager.CreateKQelMesh(), manager.CreateKQelMesh()};
        for (KQelMesh* mesh : meshes) {
            if (c.elements) {
                mesh->InitMaterialIndices(c.mode);
                mesh->InitTextureIndices(c.mode);
            }
            for (int p = 0; p < c.earlier; ++p) {
                mesh->BeginPolygon(p + 1, p + 2, 7);
                mesh->AddPolygon(p);
            }
        }
        // A longer index array is cut back, as BeginPolygon cuts it.
        if (c.earlier == 3) {
            for (KQelMesh* mesh : meshes)
                mesh->GetLayer(0)->GetMaterials()->GetIndexArray().Add(42);
        }
        size_t at = 0;
        for (int size : c.sizes) {
            meshes[0]->BeginPolygon(-1, -1, 3);
            for (int k = 0; k < size; ++k)
                meshes[0]->AddPolygon(corners[at++]);
        }
        EXPECT_TRUE(meshes[1]->AddPolygons(c.sizes.data(), static_cast<int>(c.sizes.size()), corners.data(), 3))
            << c.name;
        EXPECT_EQ(PolygonState(*meshes[1]), PolygonState(*meshes[0])) << c.name;
    }
}

TEST(Mesh, CornersDecodedInTheReservedRoomBecomeThePolygons)
{
    struct Case {
        const char* name;
        bool earlier;  // the quad and the triangle first
        std::vector<int> sizes;
    } cases[] = {
        {"first polygons", false, {3, 4}},
        {"after others", true, {2, 0, 5}},
    };
    for (const Case& c : cases) {
        KQelSdkManager manager;
        KQelMesh* meshes[2] = {manager.CreateKQelMesh(), manager.CreateKQelMesh()};
        int count = 0;
        for (int size : c.sizes)
            count += size;
        std::vector<int> corners;
        for (int k = 0; k < count; ++k)
            corners.push_back(3 * k - 4);
        for (KQelMesh* mesh : meshes) {
            if (c.earlier)
                AddQuadAndTriangle(*mesh);
        }
        const int sizes = static_cast<int>(c.sizes.size());
        ASSERT_TRUE(meshes[0]->AddPolygons(c.sizes.data(), sizes, corners.data(), 2)) << c.name;
        int* room = meshes[1]->ReservePolygonVertices(count);
        ASSERT_NE(room, nullptr) << c.name;
        std::copy(corners.begin(), corners.end(), room);
        EXPECT_TRUE(meshes[1]->AddPolygons(c.sizes.data(), sizes, room, 2)) << c.name;
        EXPECT_EQ(meshes[1]->GetPolygonVertices() + meshes[1]->GetPolygonVertexCount() - count, room) << c.name;
        EXPECT_EQ(PolygonState(*meshes[1]), PolygonState(*meshes[0])) << c.name;
    }
}

TEST(Mesh, UnusedCornerRoomIsGivenBack)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    EXPECT_EQ(mesh->ReservePolygonVertices(0), nullptr);
    EXPECT_EQ(mesh->ReservePolygonVertices(-1), nullptr);
    ASSERT_NE(mesh->ReservePolygonVertices(5000), nullptr);
    mesh->TrimPolygonVertices();
    EXPECT_EQ(mesh->GetPolygonVertices(), nullptr);
    AddQuadAndTriangle(*mesh);
    const std::vector<std::vector<int>> before = PolygonState(*mesh);
    ASSERT_NE(mesh->ReservePolygonVertices(5000), nullptr);
    mesh->TrimPolygonVertices();
    EXPECT_EQ(PolygonState(*mesh), before);
}

TEST(Mesh, AddPolygonsRefusesANegativeSizeWhole)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    AddQuadAndTriangle(*mesh);
    const std::vector<std::vector<int>> before = PolygonState(*mesh);
    const int sizes[] = {2, -1, 3};
    const int corners[] = {0, 1, 2, 3, 4};
    EXPECT_FALSE(mesh->AddPolygons(sizes, 3, corners));
    EXPECT_FALSE(mesh->AddPolygons(nullptr, 2, corners));
    EXPECT_EQ(PolygonState(*mesh), before);
}

TEST(Mesh, CornerUVIndicesFollowTheCorners)
{
    KQelSdkManager manager;
    KQelMesh* mesh = manager.CreateKQelMesh();
    mesh->InitTextureUVIndices(LE::eByPolygonVertex);
    mesh->InitTextureUV(2);
    mesh->AddTextureUV(KQelVector2(0.5, 0.25));
    EXPECT_EQ(mesh->GetTextureUVCount(), 3);
    EXPECT_EQ(mesh->GetTextureUV()[2][1], 0.25);
    mesh->BeginPolygon(-1, -1, 0);
    mesh->AddPolygon(4, 2);
    mesh->AddPolygon(5, 7);
    mesh->AddPolygon(6);  // no UV index: the array stays shorter
    EXPECT_EQ(Indices(mesh->GetLayer(0)->GetUVs()->GetIndexArray()), (std::vector<int>{2, 7}));
    EXPECT_EQ(mesh->GetTextureUVIndex(0, 1), 7);
    EXPECT_EQ(mesh->GetTextureUVIndex(0, 2), -1);
    mesh->SetTextureUVIndex(0, 2, 1);
    EXPECT_EQ(Indices(mesh->GetLayer(0)->GetUVs()->GetIndexArray()), (std::vector<int>{2, 7, 1}));
    EXPECT_EQ(mesh->GetTextureUVMappingMode(), LE::eByPolygonVertex);

    // Other UV modes take no corner index.
    mesh->InitTextureUVIndices(LE::eAllSame);
    EXPECT_EQ(mesh->GetLayer(0)->GetUVs()->GetReferenceMode(), LE::eDirect);
    EXPECT_EQ(mesh->GetTextureUVMappingMode(), LE::eNoMappingInformation);
    mesh->AddPolygon(1, 3);
    mesh->SetTextureUVIndex(0, 0, 3);
    EXPECT_EQ(mesh->GetLayer(0)->GetUVs()->GetIndexArray().GetCount(), 0);
    EXPECT_EQ(mesh->GetTextureUVIndex(0, 0), -1);
}

TEST(Mesh, AssignmentCopiesPolygonsButNotSurfaceParameters)
{
    KQelSdkManager manager;
    KQelMesh* source = manager.CreateKQelMesh();
    AddQuadAndTriangle(*source);
    source->mUCount = 4;
    KQelMesh* copy = manager.CreateKQelMesh();
    *copy = *source;
    EXPECT_EQ(copy->GetPolygonCount(), 2);
    EXPECT_EQ(copy->GetPolygonVertex(1, 2), 5);
    EXPECT_EQ(copy->GetControlPointsCount(), 6);
    EXPECT_EQ(copy->mUCount, 0);

    KQelMesh& itself = *copy;
    *copy = itself;
    EXPECT_EQ(copy->GetPolygonCount(), 2);
    copy->Reset();
    EXPECT_EQ(copy->GetPolygonCount(), 0);
    EXPECT_EQ(copy->GetControlPointsCount(), 0);
    EXPECT_EQ(copy->GetLayerCount(), 0);
}

}  // namespace
