// Hostile trees are refused with their own errors, quickly, without
// allocating from sizes or counts the file cannot back.
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

// A file whose top chunk holds the given bytes, its size taken from them.
std::string InTop(const std::string& inside)
{
    return U16(M3DMAGIC) + U32(static_cast<std::uint32_t>(inside.size() + 6)) + inside;
}

std::string Nested(std::uint16_t tag, int depth)
{
    std::string bytes;
    for (int i = depth; i >= 1; --i)
        bytes += U16(tag) + U32(static_cast<std::uint32_t>(6 * i));
    return bytes;
}

struct HostileTree {
    const char* what;
    std::string bytes;
    std::vector<int> onCreate;      // errors when the tree is read
    std::vector<int> onDisconnect;  // then, when every body is decoded
};

class Toolkit3dsHostile : public Toolkit3dsTest {};

TEST_F(Toolkit3dsHostile, TreesAreRefusedWithTheirOwnErrors)
{
    const std::vector<int> tree = {ERR_INVALID_CHUNK, ERR_READING_DATABASE, ERR_CREATING_DATABASE};
    const std::vector<int> none;
    const HostileTree cases[] = {
        {"size 0", InTop(U16(M3D_VERSION) + U32(0) + U32(3)), tree, none},
        {"size 5", InTop(U16(M3D_VERSION) + U32(5) + U32(3)), tree, none},
        {"child past its parent", InTop(Chunk(MDATA, "", {U16(MESH_VERSION) + U32(100) + U32(3)})), tree, none},
        {"top past the file's end", U16(M3DMAGIC) + U32(1000) + Chunk(M3D_VERSION, U32(3)),
         {ERR_INVALID_CHUNK, ERR_CREATING_DATABASE}, none},
        {"camera of 20 bytes",
         InTop(Chunk(MDATA, "", {Chunk(NAMED_OBJECT, Str("cam"), {Chunk(N_CAMERA, std::string(14, '\0'))})})),
         tree, none},
        {"60000 faces in 30 bytes",
         InTop(Chunk(MDATA, "",
                     {Chunk(NAMED_OBJECT, Str("box"),
                            {Chunk(N_TRI_OBJECT, "", {Chunk(FACE_ARRAY, U16(60000) + std::string(22, '\0'))})})})),
         tree, none},
        {"65535 points in 14 bytes",
         InTop(Chunk(MDATA, "",
                     {Chunk(NAMED_OBJECT, Str("box"),
                            {Chunk(N_TRI_OBJECT, "", {Chunk(POINT_ARRAY, U16(65535) + std::string(6, '\0'))})})})),
         none, {ERR_INVALID_CHUNK}},
        {"a track of 0xFFFFFFFF keys",
         InTop(Chunk(KFDATA, "",
                     {Chunk(OBJECT_NODE_TAG, "",
                            {Chunk(POS_TRACK_TAG, U16(0) + U32(0) + U32(0) + U32(0xFFFFFFFF) + U32(0) + U16(0))})})),
         none, {ERR_INVALID_CHUNK}},
        {"an unknown tag claiming 2 GB", InTop(U16(0x1234) + U32(0x80000000) + std::string(88, 'x')), tree, none},
        {"100,000 nested chunks", InTop(Nested(MAT_AMBIENT, 100000)), tree, none},
        {"a name without its 0 byte", InTop(Chunk(MDATA, "", {Chunk(NAMED_OBJECT, "box")})),
         {ERR_READING_FILE, ERR_READING_DATABASE, ERR_CREATING_DATABASE}, none},
        {"a name longer than its bound", InTop(Chunk(MDATA, "", {Chunk(NAMED_OBJECT, Str("elevenchars"))})),
         {ERR_READING_FILE, ERR_READING_DATABASE, ERR_CREATING_DATABASE}, none},
        {"a header cut short", InTop(Chunk(MDATA, U16(MESH_VERSION) + U16(0))), tree, none},
        {"an empty file", "", {ERR_READING_FILE, ERR_CREATING_DATABASE}, none},
    };
    for (const HostileTree& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        ReadBytes(c.bytes);
        EXPECT_EQ(Errors(), c.onCreate);
        if (!c.onCreate.empty() || !mDb->topchunk)
            continue;
        DisconnectDatabase3ds(mDb);
        EXPECT_EQ(Errors(), c.onDisconnect);
    }
}

TEST_F(Toolkit3dsHostile, ChunksReadBeforeTheFaultStayInTheTree)
{
    ReadBytes(InTop(Chunk(M3D_VERSION, U32(3)) + Chunk(MDATA, "", {Chunk(MESH_VERSION, U32(3))}) +
                    U16(0x1234) + U32(1000)));
    EXPECT_EQ(Errors(), (std::vector<int>{ERR_INVALID_CHUNK, ERR_READING_DATABASE, ERR_CREATING_DATABASE}));
    chunk3ds* found = nullptr;
    FindChunk3ds(mDb->topchunk, MESH_VERSION, &found);
    EXPECT_NE(found, nullptr);
    FindChunk3ds(mDb->topchunk, 0x1234, &found);
    EXPECT_EQ(found, nullptr);
}

TEST_F(Toolkit3dsHostile, ManySiblingsAreReadCopiedWrittenAndReleased)
{
    constexpr int kSiblings = 200000;
    std::string inside;
    inside.reserve(kSiblings * 10);
    for (int i = 0; i < kSiblings; ++i)
        inside += Chunk(0x1234, U32(static_cast<std::uint32_t>(i)));
    // A material library: writing adds no release records to it.
    const std::string bytes = U16(MLIBMAGIC) + U32(static_cast<std::uint32_t>(inside.size() + 6)) + inside;
    ReadBytes(bytes);
    ASSERT_EQ(Errors(), std::vector<int>());
    database3ds* copy = nullptr;
    InitDatabase3ds(&copy);
    CopyDatabase3ds(mDb, copy);
    DisconnectDatabase3ds(copy);
    EXPECT_TRUE(WriteBytes(copy) == bytes);
    ReleaseDatabase3ds(&copy);
}

}  // namespace
}  // namespace qelsdk_600
