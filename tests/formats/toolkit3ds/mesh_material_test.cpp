// Mesh objects, mesh settings and materials: their rules and hostile
// records.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsRecords : public NewDatabaseTest {};

TEST_F(Toolkit3dsRecords, NewMeshRecordsHoldTheirArrays)
{
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 0, 0, InitNoExtras3ds);
    EXPECT_EQ(mesh->vertexarray, nullptr);
    EXPECT_EQ(mesh->facearray, nullptr);
    InitMeshObj3ds(&mesh, 4, 2, 0xFFFF);
    EXPECT_EQ(mesh->ntextverts, 4);
    EXPECT_EQ(mesh->nvflags, 4);
    ASSERT_NE(mesh->smootharray, nullptr);
    EXPECT_EQ(mesh->smootharray[1], 0u);
    EXPECT_EQ(mesh->matarray, nullptr);
    EXPECT_EQ(mesh->procdata, nullptr);
    EXPECT_EQ(mesh->facearray[1].v3, 2);
    // A resize keeps the old faces and gives the new ones their default.
    mesh->facearray[0] = {3, 2, 1, 9};
    mesh->nfaces = 3;
    InitMeshObjField3ds(mesh, InitFaceArray3ds);
    EXPECT_EQ(mesh->facearray[0].v1, 3);
    EXPECT_EQ(mesh->facearray[2].v1, 0);
    EXPECT_EQ(mesh->facearray[2].v3, 2);
    RelMeshObj3ds(&mesh);
    EXPECT_EQ(mesh, nullptr);
}

TEST_F(Toolkit3dsRecords, ReplacedMeshKeepsItsPlaceAndExtendedData)
{
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 3, 0, InitNoExtras3ds);
    std::strcpy(mesh->name, "box");
    PutMesh3ds(mNew, mesh);
    chunk3ds* object = nullptr;
    FindNamedObject3ds(mNew, "box", &object);
    ASSERT_NE(object, nullptr);
    // A faceless mesh has no face array.
    EXPECT_EQ(Below(object, FACE_ARRAY), nullptr);
    chunk3ds* xdata = nullptr;
    InitChunkAs3ds(&xdata, XDATA_SECTION);
    AddChildOrdered3ds(object, xdata);
    InitMeshObj3ds(&mesh, 3, 1, InitNoExtras3ds);
    std::strcpy(mesh->name, "box");
    PutMesh3ds(mNew, mesh);
    chunk3ds* again = nullptr;
    FindNamedObject3ds(mNew, "box", &again);
    EXPECT_EQ(again, object);
    EXPECT_NE(Below(again, XDATA_SECTION), nullptr);
    EXPECT_NE(Below(again, FACE_ARRAY), nullptr);
    EXPECT_EQ(GetMeshCount3ds(mNew), 1u);
    RelMeshObj3ds(&mesh);
    EXPECT_EQ(Errors(), std::vector<int>());
}

// A mesh file holding one mesh: 3 vertices, the given faces, groups and
// smoothing masks.
std::string MeshWith(const std::string& faceData, const std::string& faceChildren)
{
    std::string points = U16(3);
    for (int i = 0; i < 9; ++i)
        points += F32(static_cast<float>(i));
    return MeshFile(
        Chunk(NAMED_OBJECT, Str("tri"),
              {Chunk(N_TRI_OBJECT, "",
                     {Chunk(POINT_ARRAY, points),
                      U16(FACE_ARRAY) + U32(static_cast<std::uint32_t>(6 + faceData.size() + faceChildren.size())) +
                          faceData + faceChildren})}));
}

std::string Faces(int count, std::uint16_t last)
{
    std::string bytes = U16(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i)
        bytes += U16(0) + U16(1) + U16(i + 1 == count ? last : 2) + U16(0);
    return bytes;
}

TEST_F(Toolkit3dsRecords, MeshIndicesOutsideTheirArraysAreRefused)
{
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"a face naming the vertex count", MeshWith(Faces(2, 3), "")},
        {"a group naming the face count", MeshWith(Faces(2, 2), Chunk(MSH_MAT_GROUP, Str("m") + U16(1) + U16(2)))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        ReadBytes(c.bytes, std::string(c.what) + ".3ds");
        mesh3ds* mesh = nullptr;
        GetMeshByIndex3ds(mDb, 0, &mesh);
        EXPECT_EQ(Errors(), std::vector<int>{ERR_INVALID_DATA});
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->nvertices, 3);
        EXPECT_EQ(mesh->nfaces, 0);
        EXPECT_EQ(mesh->facearray, nullptr);
        EXPECT_EQ(mesh->nmats, 0);
        EXPECT_EQ(mesh->matarray, nullptr);
        RelMeshObj3ds(&mesh);
    }
}

TEST_F(Toolkit3dsRecords, SmoothingHasOneWordPerFace)
{
    std::string masks;
    for (std::uint32_t i = 1; i <= 5; ++i)
        masks += U32(i);
    ReadBytes(MeshWith(Faces(12, 2), Chunk(SMOOTH_GROUP, masks)));
    mesh3ds* mesh = nullptr;
    GetMeshByIndex3ds(mDb, 0, &mesh);
    ASSERT_EQ(Errors(), std::vector<int>());
    ASSERT_EQ(mesh->nfaces, 12);
    std::vector<std::uint32_t> got(mesh->smootharray, mesh->smootharray + 12);
    EXPECT_EQ(got, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0}));
    RelMeshObj3ds(&mesh);
}

TEST_F(Toolkit3dsRecords, ByteColoursReadByTheirOwnScale)
{
    ReadBytes(MeshFile(
        Chunk(AMBIENT_LIGHT, "", {Chunk(COLOR_24, "\xff\xff\xff")}) +
        Chunk(MAT_ENTRY, "", {Chunk(MAT_NAME, Str("m")), Chunk(MAT_AMBIENT, "", {Chunk(COLOR_24, "\xff\xff\xff")})})));
    meshset3ds* settings = nullptr;
    GetMeshSet3ds(mDb, &settings);
    EXPECT_EQ(settings->ambientlight.g, 0.99609375f);
    material3ds* material = nullptr;
    GetMaterialByIndex3ds(mDb, 0, &material);
    EXPECT_EQ(material->ambient.g, 1.0f);
    ReleaseMeshSet3ds(&settings);
    ReleaseMaterial3ds(&material);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsRecords, MaterialFractionsAndColoursAreWrittenClamped)
{
    material3ds* material = nullptr;
    InitMaterial3ds(&material);
    std::strcpy(material->name, "m");
    material->transfalloff = -0.256f;
    material->shininess = 0.999f;
    material->texture.percent = 0.999f;
    std::strcpy(material->texture.name, "t.png");
    material->ambient = {1.5f, std::numeric_limits<float>::quiet_NaN(), -2.0f};
    // A map without a name is not written, whatever data it has.
    material->bump.data = strdup3ds("data");
    material->bump.datasize = 5;
    // The reflection map is written for the automatic reflection.
    material->useauto = 1;
    PutMaterial3ds(mNew, material);
    chunk3ds* entry = FindMatEntryByIndex3ds(mNew, 0);
    ASSERT_NE(entry, nullptr);
    auto percent = [&](std::uint32_t container) {
        return static_cast<Int16Data3ds*>(ReadChunkData3ds(Below(Below(entry, container), INT_PERCENTAGE)))->value;
    };
    EXPECT_EQ(percent(MAT_XPFALL), 26);
    EXPECT_NE(Below(entry, MAT_XPFALLIN), nullptr);
    EXPECT_EQ(percent(MAT_SHININESS), 99);
    EXPECT_EQ(percent(MAT_TEXMAP), 100);
    const Color24Data3ds* ambient =
        static_cast<Color24Data3ds*>(ReadChunkData3ds(Below(Below(entry, MAT_AMBIENT), COLOR_24)));
    EXPECT_EQ(ambient->red, 255);
    EXPECT_EQ(ambient->green, 0);
    EXPECT_EQ(ambient->blue, 0);
    EXPECT_EQ(Below(entry, MAT_BUMPMAP), nullptr);
    EXPECT_EQ(Below(entry, MAT_SXP_BUMP_DATA), nullptr);
    const StringData3ds* reflect =
        static_cast<StringData3ds*>(ReadChunkData3ds(Below(Below(entry, MAT_REFLMAP), MAT_MAPNAME)));
    EXPECT_STREQ(reflect->value, "");

    material3ds* back = nullptr;
    GetMaterialByIndex3ds(mNew, 0, &back);
    EXPECT_FLOAT_EQ(back->transfalloff, -0.26f);
    ReleaseMaterial3ds(&material);
    ReleaseMaterial3ds(&back);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsRecords, MaterialWithAnUnlistedChunkKeepsWhatWasRead)
{
    // A tag the material does not list, and tag 0 with a short body.
    for (const std::string& unlisted : {Chunk(MAT_SHIN3PCT), Chunk(NULL_CHUNK, "ab")}) {
        Reset();
        ReadBytes(MeshFile(Chunk(MAT_ENTRY, "", {Chunk(MAT_NAME, Str("m")), unlisted, Chunk(MAT_WIRESIZE, F32(4))})),
                  std::to_string(unlisted.size()) + ".3ds");
        material3ds* material = nullptr;
        GetMaterialByIndex3ds(mDb, 0, &material);
        EXPECT_EQ(Errors(), std::vector<int>{ERR_INVALID_CHUNK});
        EXPECT_STREQ(material->name, "m");
        EXPECT_EQ(material->wiresize, 1.0f);
        ReleaseMaterial3ds(&material);
    }
}

TEST_F(Toolkit3dsRecords, LongMapNamesAreCutToTheMapsField)
{
    chunk3ds* map = nullptr;
    InitChunkAs3ds(&map, MAT_TEXMAP);
    chunk3ds* name = nullptr;
    static_cast<StringData3ds*>(InitChunkAndData3ds(&name, MAT_MAPNAME))->value = strdup3ds("sixteen_chars_16");
    AddChild3ds(map, name);
    bitmap3ds bitmap{};
    InitBitmap3ds(&bitmap);
    GetBitmapChunk3ds(map, &bitmap);
    EXPECT_STREQ(bitmap.name, "sixteen_char");
    ReleaseChunk3ds(&map);
}

}  // namespace
}  // namespace qelsdk_600
