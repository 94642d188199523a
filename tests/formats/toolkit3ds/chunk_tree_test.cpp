// The chunk tree: ordered insertion, replacing, copying, reading and
// writing.
#include <random>
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsChunkTree : public Toolkit3dsTest {};

std::vector<std::uint32_t> Tags(const chunk3ds* parent)
{
    std::vector<std::uint32_t> tags;
    for (const chunk3ds* c = parent->children; c; c = c->sibling)
        tags.push_back(c->tag);
    return tags;
}

chunk3ds* Made(std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    InitChunkAs3ds(&c, tag);
    return c;
}

TEST_F(Toolkit3dsChunkTree, OrderedInsertionGoesAfterEqualValues)
{
    // Ordering values 5, 3, 5, 4.
    chunk3ds* parent = Made(KFDATA);
    chunk3ds* first = Made(KFCURTIME);
    chunk3ds* second = Made(KFCURTIME);
    for (chunk3ds* c : {first, Made(AMBIENT_NODE_TAG), second, Made(OBJECT_NODE_TAG)})
        AddChildOrdered3ds(parent, c);
    EXPECT_EQ(Tags(parent), (std::vector<std::uint32_t>{KFCURTIME, KFCURTIME, OBJECT_NODE_TAG, AMBIENT_NODE_TAG}));
    EXPECT_EQ(parent->children, first);
    EXPECT_EQ(first->sibling, second);
    ReleaseChunk3ds(&parent);
}

// Long lists are indexed; the live order must stay what inserting before
// the first lower value gives, through appends, emptied chunks and chunks
// emptied and used again in place (as replacing does).
TEST_F(Toolkit3dsChunkTree, IndexedInsertionMatchesTheWalk)
{
    const std::uint32_t tags[] = {M3D_VERSION, MDATA,     COLOR_24, MESH_VERSION, MAT_ENTRY,
                                  KFHDR,       MASTER_SCALE, NAMED_OBJECT, OBJ_HIDDEN, KFSEG, 0x1234};
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        struct Ref {
            chunk3ds* chunk;
            std::uint32_t tag;
        };
        std::vector<Ref> ref;  // the walk's list, emptied chunks included
        chunk3ds* parent = Made(MDATA);
        for (int step = 0; step < 400; ++step) {
            const int op = static_cast<int>(random() % 20);
            const std::uint32_t tag = tags[random() % (sizeof tags / sizeof tags[0])];
            if (op < 14 || ref.empty()) {
                chunk3ds* c = Made(tag);
                const int v = GetChunkValue3ds(tag);
                std::size_t at = 0;
                while (at < ref.size() && GetChunkValue3ds(ref[at].chunk->tag) >= v)
                    ++at;
                ref.insert(ref.begin() + static_cast<long>(at), {c, tag});
                AddChildOrdered3ds(parent, c);
            } else if (op < 15) {
                chunk3ds* c = Made(tag);
                ref.push_back({c, tag});
                AddChild3ds(parent, c);
            } else {
                Ref& r = ref[random() % ref.size()];
                if (r.chunk->tag != NULL_CHUNK) {
                    DeleteChunk3ds(r.chunk);
                    if (op >= 18)
                        r.chunk->tag = r.tag;
                }
            }
            std::vector<chunk3ds*> expected, got;
            for (const Ref& r : ref)
                if (r.chunk->tag != NULL_CHUNK)
                    expected.push_back(r.chunk);
            for (chunk3ds* c = parent->children; c; c = c->sibling)
                if (c->tag != NULL_CHUNK)
                    got.push_back(c);
            if (got != expected) {
                ReleaseChunk3ds(&parent);
                FAIL() << "round " << round << ", step " << step;
            }
        }
        ReleaseChunk3ds(&parent);
    }
}

TEST_F(Toolkit3dsChunkTree, ReplacingKeepsTheChildInPlace)
{
    chunk3ds* parent = Made(M3DMAGIC);
    AddChildOrdered3ds(parent, Made(M3D_VERSION));
    chunk3ds* old = Made(MDATA);
    AddChildOrdered3ds(parent, old);
    AddChildOrdered3ds(parent, Made(KFDATA));
    chunk3ds* child = Made(MESH_VERSION);
    AddChild3ds(old, child);
    chunk3ds* got = nullptr;
    ReplaceOrAddChild3ds(parent, MDATA, &got);
    EXPECT_EQ(got, old);
    EXPECT_EQ(got->children, nullptr);
    EXPECT_EQ(Tags(parent), (std::vector<std::uint32_t>{M3D_VERSION, MDATA, KFDATA}));
    ReplaceOrAddChild3ds(parent, MASTER_SCALE, &got);
    EXPECT_EQ(Tags(parent), (std::vector<std::uint32_t>{M3D_VERSION, MDATA, KFDATA, MASTER_SCALE}));
    ReleaseChunk3ds(&parent);
}

TEST_F(Toolkit3dsChunkTree, ReadingBuildsHeadersAloneAndCopiesMoveLoadedBodies)
{
    ReadBytes(Chunk(M3DMAGIC, "", {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA)}));
    ASSERT_TRUE(Errors().empty());
    chunk3ds* top = mDb->topchunk;
    EXPECT_EQ(Tags(top), (std::vector<std::uint32_t>{M3D_VERSION, MDATA}));
    chunk3ds* version = top->children;
    EXPECT_EQ(version->data, nullptr);
    EXPECT_EQ(version->position, 6u);
    EXPECT_EQ(version->size, 10u);
    ASSERT_NE(ReadChunkData3ds(version), nullptr);

    chunk3ds* copy = nullptr;
    CopyChunk3ds(top, &copy);
    EXPECT_EQ(version->data, nullptr);
    ASSERT_NE(copy->children->data, nullptr);
    EXPECT_EQ(static_cast<Int32Data3ds*>(copy->children->data)->value, 3);
    // The source reads it again from its file.
    EXPECT_EQ(static_cast<Int32Data3ds*>(ReadChunkData3ds(version))->value, 3);
    ReleaseChunk3ds(&copy);
}

TEST_F(Toolkit3dsChunkTree, ExtendedDataEntriesStopAtAForeignTag)
{
    const std::string entry =
        Chunk(XDATA_ENTRY, "",
              {Chunk(XDATA_APPNAME, Str("app")), Chunk(XDATA_STRING, Str("s")), Chunk(0x8010, "zz"),
               Chunk(XDATA_STRING, Str("after"))});
    ReadBytes(Chunk(MLIBMAGIC, "", {Chunk(XDATA_SECTION, "", {entry}), Chunk(MAT_ENTRY)}));
    EXPECT_TRUE(Errors().empty());
    chunk3ds* found = nullptr;
    FindChunk3ds(mDb->topchunk, XDATA_ENTRY, &found);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(Tags(found), (std::vector<std::uint32_t>{XDATA_APPNAME, XDATA_STRING}));
    EXPECT_EQ(Tags(mDb->topchunk), (std::vector<std::uint32_t>{XDATA_SECTION, MAT_ENTRY}));
}

TEST_F(Toolkit3dsChunkTree, GrownBodiesAreWrittenWithTheirNewSize)
{
    ReadBytes(Chunk(MLIBMAGIC, "", {Chunk(MAT_ENTRY, "", {Chunk(MAT_NAME, Str("a"))})}));
    chunk3ds* name = nullptr;
    FindChunk3ds(mDb->topchunk, MAT_NAME, &name);
    StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(name));
    std::free(d->value);
    d->value = strdup3ds("longer");
    EXPECT_EQ(WriteBytes(mDb),
              Chunk(MLIBMAGIC, "", {Chunk(MAT_ENTRY, "", {Chunk(MAT_NAME, Str("longer"))})}));
    EXPECT_EQ(name->size, 13u);
}

TEST_F(Toolkit3dsChunkTree, NameListsGrowByFive)
{
    namelist3ds* names = nullptr;
    InitNameList3ds(&names, 0);
    EXPECT_EQ(names->spaces, 5u);
    for (int i = 0; i < 7; ++i)
        AddToNameList3ds(names, std::to_string(i).c_str());
    EXPECT_EQ(names->count, 7u);
    EXPECT_EQ(names->spaces, 10u);
    EXPECT_STREQ(names->list[6], "6");
    ReleaseNameList3ds(&names);
    EXPECT_EQ(names, nullptr);
}

}  // namespace
}  // namespace qelsdk_600
