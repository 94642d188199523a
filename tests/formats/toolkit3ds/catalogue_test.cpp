// The chunk catalogue: every record layout decodes, copies and encodes back
// to the same bytes; the layouts' own rules.
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

std::string Floats(std::initializer_list<float> values)
{
    std::string bytes;
    for (float f : values)
        bytes += F32(f);
    return bytes;
}

std::string Track(std::uint32_t keys, const std::string& value)
{
    // Key 0 carries tension and bias, key 1 no spline floats.
    std::string bytes = U16(TrackLoops3ds) + U32(1) + U32(2) + U32(keys);
    for (std::uint32_t k = 0; k < keys; ++k)
        bytes += U32(10 * k) + (k == 0 ? U16(0x5) + Floats({0.25f, -0.5f}) : U16(0)) + value;
    return bytes;
}

// One chunk of every layout the catalogue has, in a material library (which
// writing leaves without release records).
std::string EveryLayout()
{
    const std::string strings = Str("a") + Str("bb") + Str("") + Str("d") + Str("e") + Str("f");
    const std::string mesh = Chunk(
        N_TRI_OBJECT, "",
        {Chunk(POINT_ARRAY, U16(2) + Floats({1, 2, 3, 4, 5, 6})), Chunk(POINT_FLAG_ARRAY, U16(2) + U16(1) + U16(2)),
         Chunk(FACE_ARRAY, U16(1) + U16(0) + U16(1) + U16(1) + U16(7),
               {Chunk(MSH_MAT_GROUP, Str("mat") + U16(1) + U16(0)), Chunk(SMOOTH_GROUP, U32(5)),
                Chunk(MSH_BOXMAP, strings)}),
         Chunk(TEX_VERTS, U16(1) + Floats({0.5f, 0.25f})), Chunk(MESH_MATRIX, std::string(48, '\x11')),
         Chunk(MESH_COLOR, "\x03"), Chunk(MESH_TEXTURE_INFO, U16(2) + std::string(84, '\x22')),
         Chunk(PROC_NAME, Str("proc")), Chunk(PROC_DATA, "raw bytes")});
    const std::string light = Chunk(N_DIRECT_LIGHT, Floats({1, 2, 3}),
                                    {Chunk(COLOR_F, Floats({0.1f, 0.2f, 0.3f})),
                                     Chunk(DL_SPOTLIGHT, Floats({4, 5, 6, 44, 45}),
                                           {Chunk(DL_LOCAL_SHADOW2, Floats({1, 3}) + U16(512)),
                                            Chunk(DL_SPOT_PROJECTOR, Str("p.tga")), Chunk(DL_SPOT_ROLL, F32(9))}),
                                     Chunk(DL_EXCLUDE, Str("box")), Chunk(DL_MULTIPLIER, F32(2))});
    const std::string camera =
        Chunk(N_CAMERA, Floats({0, 0, 0, 1, 1, 1, 0, 53.3f}), {Chunk(CAM_RANGES, Floats({1, 9}))});
    const std::string node = Chunk(
        OBJECT_NODE_TAG, "",
        {Chunk(NODE_ID, U16(0)), Chunk(NODE_HDR, Str("box") + U16(0x4000) + U16(0) + U16(0xFFFF)),
         Chunk(INSTANCE_NAME, Str("i")), Chunk(PIVOT, Floats({1, 2, 3})), Chunk(BOUNDBOX, Floats({0, 0, 0, 1, 1, 1})),
         Chunk(MORPH_SMOOTH, F32(24)), Chunk(POS_TRACK_TAG, Track(2, Floats({1, 2, 3}))),
         Chunk(ROT_TRACK_TAG, Track(2, Floats({0.5f, 0, 0, 1}))), Chunk(SCL_TRACK_TAG, Track(1, Floats({1, 1, 1}))),
         Chunk(FOV_TRACK_TAG, Track(1, F32(45))), Chunk(ROLL_TRACK_TAG, Track(1, F32(0))),
         Chunk(COL_TRACK_TAG, Track(1, Floats({1, 0, 0}))), Chunk(MORPH_TRACK_TAG, Track(2, Str("other"))),
         Chunk(HOT_TRACK_TAG, Track(1, F32(44))), Chunk(FALL_TRACK_TAG, Track(1, F32(45))),
         Chunk(HIDE_TRACK_TAG, Track(2, ""))});
    const std::string material =
        Chunk(MAT_ENTRY, "",
              {Chunk(MAT_NAME, Str("mat")),
               Chunk(MAT_AMBIENT, "", {Chunk(COLOR_24, "\x01\x02\x03"), Chunk(LIN_COLOR_24, "\x04\x05\x06")}),
               Chunk(MAT_SHININESS, "", {Chunk(INT_PERCENTAGE, U16(30))}),
               Chunk(MAT_SHIN2PCT, "", {Chunk(FLOAT_PERCENTAGE, F32(0.5f))}), Chunk(MAT_WIRESIZE, F32(1)),
               Chunk(MAT_SHADING, U16(3)),
               Chunk(MAT_TEXMAP, "",
                     {Chunk(MAT_MAPNAME, Str("tex.png")), Chunk(MAT_MAP_TILING, U16(0x11)),
                      Chunk(MAT_MAP_TEXBLUR, F32(0.1f)), Chunk(MAT_MAP_COL1, "\x07\x08\x09")}),
               Chunk(MAT_BUMP_PERCENT, U16(100)), Chunk(MAT_ACUBIC, "\x01\x02" + U16(9) + U32(100) + U32(1)),
               Chunk(MAT_SXP_TEXT_DATA, "procedural")});
    return Chunk(
        MLIBMAGIC, "",
        {Chunk(M3D_VERSION, U32(3)),
         Chunk(LIN_COLOR_F, Floats({1, 1, 1})),
         Chunk(MASTER_SCALE, F32(1)),
         Chunk(BIT_MAP, Str("bg.tga")),
         Chunk(USE_BIT_MAP),
         Chunk(USE_SOLID_BGND, "body"),
         Chunk(SOLID_BGND, "", {Chunk(COLOR_F, Floats({0, 0, 1}))}),
         Chunk(V_GRADIENT, F32(0.5f), {Chunk(COLOR_F, Floats({1, 0, 0}))}),
         Chunk(SHADOW_RANGE, U32(7)),
         Chunk(SHADOW_FILTER, F32(3)),
         Chunk(O_CONSTS, Floats({0, 0, 0})),
         Chunk(FOG, Floats({1, 2, 3, 4})),
         Chunk(LAYER_FOG, Floats({1, 2, 3}) + U32(4)),
         Chunk(DEFAULT_VIEW, "",
               {Chunk(VIEW_TOP, Floats({100, 1, 2, 3})), Chunk(VIEW_USER, Floats({1, 2, 3, 4, 5, 6, 7})),
                Chunk(VIEW_CAMERA, Str("cam"))}),
         Chunk(NAMED_OBJECT, Str("obj"), {mesh, Chunk(OBJ_HIDDEN)}),
         Chunk(NAMED_OBJECT, Str("lamp"), {light}),
         Chunk(NAMED_OBJECT, Str("cam"), {camera}),
         Chunk(VIEWPORT_LAYOUT, std::string(14, '\x01'),
               {Chunk(VIEWPORT_DATA,
                      std::string(14, '\x02') + Floats({1, 2, 3, 4, 5, 6}) + std::string("Camera01\0\0\0", 11)),
                Chunk(VIEWPORT_SIZE, U16(0) + U16(0) + U16(640) + U16(480))}),
         Chunk(XDATA_SECTION, "",
               {Chunk(XDATA_ENTRY, "",
                      {Chunk(XDATA_APPNAME, Str("app")), Chunk(XDATA_STRING, Str("text")), Chunk(XDATA_GROUP)})}),
         material,
         Chunk(KFDATA, "",
               {Chunk(KFHDR, U16(5) + Str("scene") + U32(100)), Chunk(KFSEG, U32(0) + U32(100)),
                Chunk(KFCURTIME, U32(3)), node}),
         Chunk(0x2D2D, "", {Chunk(0x1234, "unknown")}),
         Chunk(0xD000, U32(0xDEADBEEF), {Chunk(0x1235)}),
         Chunk(0x1236),
         Chunk(0x1237, "four")});
}

class Toolkit3dsCatalogue : public Toolkit3dsTest {};

TEST_F(Toolkit3dsCatalogue, EveryLayoutDecodesCopiesAndEncodesBack)
{
    const std::string bytes = EveryLayout();
    ReadBytes(bytes);
    ASSERT_EQ(Errors(), std::vector<int>());
    DisconnectDatabase3ds(mDb);
    ASSERT_EQ(Errors(), std::vector<int>());
    EXPECT_TRUE(WriteBytes(mDb) == bytes);
    // A copy of records held only in memory duplicates every owned part.
    database3ds* copy = nullptr;
    InitDatabase3ds(&copy);
    CopyDatabase3ds(mDb, copy);
    ReleaseDatabase3ds(&mDb);
    EXPECT_TRUE(WriteBytes(copy, "copy.3ds") == bytes);
    ReleaseDatabase3ds(&copy);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsCatalogue, RecordsHoldTheFileInTheirOwnOrder)
{
    ReadBytes(Chunk(MLIBMAGIC, "",
                    {Chunk(POINT_ARRAY, U16(0)), Chunk(SMOOTH_GROUP, U32(1) + U32(2) + U32(4)),
                     Chunk(VIEW_TOP, Floats({100, 1, 2, 3}))}));
    ASSERT_EQ(Errors(), std::vector<int>());
    chunk3ds* c = mDb->topchunk->children;
    const PointArrayData3ds* points = static_cast<PointArrayData3ds*>(ReadChunkData3ds(c));
    EXPECT_EQ(points->count, 0);
    EXPECT_EQ(points->points, nullptr);
    const SmoothGroupData3ds* smooth = static_cast<SmoothGroupData3ds*>(ReadChunkData3ds(c->sibling));
    ASSERT_EQ(smooth->count, 3);
    EXPECT_EQ(smooth->groups[2], 4u);
    const ViewData3ds* view = static_cast<ViewData3ds*>(ReadChunkData3ds(c->sibling->sibling));
    EXPECT_EQ(view->width, 100.0f);
    EXPECT_EQ(view->target.z, 3.0f);
}

TEST_F(Toolkit3dsCatalogue, KeyframerHeaderNamesAreBoundedAt512)
{
    const std::string longest(512, 'n');
    const std::string bytes = Chunk(M3DMAGIC, "",
                                    {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA, "", {Chunk(MESH_VERSION, U32(3))}),
                                     Chunk(KFDATA, "", {Chunk(KFHDR, U16(5) + Str(longest) + U32(30))})});
    ReadBytes(bytes);
    ASSERT_EQ(Errors(), std::vector<int>());
    DisconnectDatabase3ds(mDb);
    EXPECT_TRUE(WriteBytes(mDb) == bytes);
    ReadBytes(Chunk(M3DMAGIC, "", {Chunk(KFDATA, "", {Chunk(KFHDR, U16(5) + Str(longest + "n") + U32(30))})}),
              "long.3ds");
    EXPECT_EQ(Errors(), (std::vector<int>{ERR_READING_FILE, ERR_READING_DATABASE, ERR_CREATING_DATABASE}));
}

TEST_F(Toolkit3dsCatalogue, OrderingValuesSortMeshData)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    chunk3ds* mdata = nullptr;
    FindChunk3ds(db->topchunk, MDATA, &mdata);
    for (std::uint32_t tag : {NAMED_OBJECT, MASTER_SCALE, MAT_ENTRY, NAMED_OBJECT}) {
        chunk3ds* c = nullptr;
        void* data = InitChunkAndData3ds(&c, tag);
        if (tag == NAMED_OBJECT)
            static_cast<StringData3ds*>(data)->value = strdup3ds("o");
        AddChildOrdered3ds(mdata, c);
    }
    std::vector<std::uint32_t> tags;
    for (chunk3ds* c = mdata->children; c; c = c->sibling)
        tags.push_back(c->tag);
    EXPECT_EQ(tags, (std::vector<std::uint32_t>{MESH_VERSION, MAT_ENTRY, MASTER_SCALE, NAMED_OBJECT, NAMED_OBJECT}));
    ReleaseDatabase3ds(&db);
}

}  // namespace
}  // namespace qelsdk_600
