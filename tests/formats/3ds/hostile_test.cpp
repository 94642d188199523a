// Files the 3D Studio reader must refuse or survive: hostile chunk trees,
// indices past their arrays, counts past their chunks, truncated files,
// scenes far larger than the file, and nodes that name each other.
#include <string>
#include <vector>

#include "formats/3ds/studio_test_util.h"
#include "formats/toolkit3ds/toolkit3ds_test_util.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace {

using namespace studiotest;
using test3ds::Chunk;
using test3ds::F32;
using test3ds::MeshFile;
using test3ds::Str;
using test3ds::U16;
using test3ds::U32;

// A named triangle mesh: pPoints points at the origin, the given faces (as
// raw bytes) and what follows them inside the FACE_ARRAY.
std::string MeshObject(const std::string& pName, int pPoints, const std::string& pFaces,
                       const std::string& pFaceChildren = "")
{
    std::string points = U16(static_cast<std::uint16_t>(pPoints));
    for (int i = 0; i < 3 * pPoints; ++i)
        points += F32(0.0f);
    return Chunk(NAMED_OBJECT, Str(pName),
                 {Chunk(N_TRI_OBJECT, "", {Chunk(POINT_ARRAY, points), Chunk(FACE_ARRAY, pFaces + pFaceChildren)})});
}

std::string Face(int a, int b, int c)
{
    return U16(static_cast<std::uint16_t>(a)) + U16(static_cast<std::uint16_t>(b)) +
           U16(static_cast<std::uint16_t>(c)) + U16(0);
}

struct Outcome {
    bool mRead;
    int mError;
    std::string mMessage;
    int mNodes;
    int mMaterials;
};

// Reads bytes with a reader of its own; what the scene and manager hold
// after.
Outcome ReadBytes(const std::string& pBytes)
{
    scratch::ScratchDir dir;
    scratch::WriteFile(dir.File("in.3ds"), pBytes);
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    const int nodesBefore = manager.GetKQelNodeCount();
    Outcome outcome{false, -1, "", 0, 0};
    {
        KQelReader3DS reader(manager);
        if (reader.FileOpen(dir.File("in.3ds").c_str())) {
            KStreamOptions3ds options;
            outcome.mRead = reader.Read(*scene, &options);
        }
        outcome.mError = reader.GetLastErrorID();
        KString message;
        reader.GetMessage(message);
        outcome.mMessage = message.Buffer();
    }
    for (std::uint8_t slot = 0; slot < NextFileContext; ++slot)
        EXPECT_EQ(nullptr, GetContextByIndex3ds(slot)) << "a toolkit file was left open";
    outcome.mNodes = manager.GetKQelNodeCount() - nodesBefore;
    outcome.mMaterials = manager.GetKQelMaterialCount();
    if (!outcome.mRead) {
        EXPECT_EQ(nullptr, scene->GetTakeInfo(KString("default take")));
    }
    return outcome;
}

TEST(Reader3DSHostile, RefusedFilesFailAsCorruptedAndLeaveTheSceneAlone)
{
    std::string nested;
    for (int i = 100000; i >= 1; --i)
        nested += U16(MAT_AMBIENT) + U32(static_cast<std::uint32_t>(6 * i));
    const struct {
        const char* mWhat;
        std::string mBytes;
    } cases[] = {
        {"an empty file", ""},
        {"top past the file's end", U16(M3DMAGIC) + U32(1000) + Chunk(M3D_VERSION, U32(3))},
        {"a face past the vertices", MeshFile(MeshObject("box", 3, U16(1) + Face(0, 1, 7)))},
        {"a group face past the faces",
         MeshFile(MeshObject("box", 3, U16(1) + Face(0, 1, 2), Chunk(MSH_MAT_GROUP, Str("m") + U16(1) + U16(5))))},
        {"60000 faces in 30 bytes", MeshFile(MeshObject("box", 3, U16(60000) + std::string(22, '\0')))},
        {"65535 points in 14 bytes",
         MeshFile(Chunk(NAMED_OBJECT, Str("box"),
                        {Chunk(N_TRI_OBJECT, "", {Chunk(POINT_ARRAY, U16(65535) + std::string(6, '\0'))})}))},
        {"a track of 0xFFFFFFFF keys",
         MeshFile("", Chunk(OBJECT_NODE_TAG, "",
                            {Chunk(NODE_HDR, Str("box") + U16(0) + U16(0) + U16(0xFFFF)),
                             Chunk(POS_TRACK_TAG, U16(0) + U32(0) + U32(0) + U32(0xFFFFFFFF) + U32(0) + U16(0))}))},
        {"100,000 nested chunks", U16(M3DMAGIC) + U32(static_cast<std::uint32_t>(nested.size() + 6)) + nested},
        {"garbage", std::string(64, '\x4d')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mWhat);
        const Outcome outcome = ReadBytes(c.mBytes);
        EXPECT_FALSE(outcome.mRead);
        EXPECT_EQ(KQelReader::eFileCorrupted, outcome.mError);
        EXPECT_EQ(0, outcome.mNodes);
        EXPECT_EQ(0, outcome.mMaterials);
        // The importer fails the same way.
        scratch::ScratchDir dir;
        scratch::WriteFile(dir.File("in.3ds"), c.mBytes);
        auto imported = Import(dir.File("in.3ds"));
        EXPECT_FALSE(imported->mRead);
        EXPECT_EQ(0, imported->Root()->GetChildCount());
    }
    // The same process reads a good file next.
    Studio studio;
    studio.Mesh("tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}});
    auto good = Import(studio.Write());
    EXPECT_TRUE(good->mRead);
    EXPECT_NE(nullptr, good->Node("tri"));
}

TEST(Reader3DSHostile, ScenesLargerThanTheFileAreRefused)
{
    // 2000 object nodes of one empty chunk header each.
    std::string nodes;
    for (int i = 0; i < 2000; ++i)
        nodes += U16(OBJECT_NODE_TAG) + U32(6);
    // 1000 nodes naming one mesh of 3000 points: copies of 3 million points.
    std::string instances;
    for (int i = 0; i < 1000; ++i)
        instances += test3ds::Node(OBJECT_NODE_TAG, static_cast<std::int16_t>(i), "box", -1,
                                   "i" + std::to_string(i));
    const struct {
        const char* mWhat;
        std::string mBytes;
        const char* mReason;
    } cases[] = {
        {"empty nodes", MeshFile("", nodes), "more scene objects than"},
        {"instances", MeshFile(MeshObject("box", 3000, U16(1) + Face(0, 1, 2)), instances),
         "more instanced points and faces than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mWhat);
        const Outcome outcome = ReadBytes(c.mBytes);
        EXPECT_FALSE(outcome.mRead);
        EXPECT_EQ(KQelReader::eFileCorrupted, outcome.mError);
        EXPECT_NE(std::string::npos, outcome.mMessage.find(c.mReason)) << outcome.mMessage;
        EXPECT_EQ(0, outcome.mNodes);
    }
}

TEST(Reader3DSHostile, FilesOfManySmallNodesAreNotRefused)
{
    // The smallest nodes a file genuinely holds: keyless nodes, keyless
    // dummies told apart by instance, and instances of one triangle.
    for (const char* kind : {"", "$$$DUMMY", "box"}) {
        SCOPED_TRACE(kind);
        Studio studio;
        studio.Mesh("box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}});
        for (int i = 0; i < 1000; ++i) {
            const std::string id = std::to_string(i);
            studio.Node(*kind ? kind : id.c_str(), "", [&](objectmotion3ds*& m) {
                if (*kind)
                    Name(m->instance, sizeof(m->instance), id.c_str());
            });
        }
        auto r = Import(studio.Write());
        EXPECT_TRUE(r->mRead) << r->mMessage.Buffer();
        EXPECT_NE(nullptr, r->Node(*kind ? (std::string(kind) + ".999").c_str() : "999"));
    }
}

TEST(Reader3DSHostile, TruncatedFilesEndCleanly)
{
    Studio studio;
    studio.Material("wood", [](material3ds& m) { Name(m.texture.name, sizeof(m.texture.name), "w.gif"); });
    studio.Mesh("box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}}, [](mesh3ds& m) {
        m.nmats = 1;
        InitMeshObjField3ds(&m, InitMatArray3ds | InitSmoothArray3ds);
        InitMatArrayIndex3ds(&m, 0, 1);
        Name(m.matarray[0].name, sizeof(m.matarray[0].name), "wood");
        m.matarray[0].nfaces = 1;
    });
    studio.Camera("cam", 45, 1, 100);
    studio.Node("box", "", [](objectmotion3ds*& m) { InitObjectMotion3ds(&m, 2, 2, 2, 0, 0); });
    const std::string whole = scratch::ReadFile(studio.Write());
    for (std::size_t cut = 0; cut < whole.size(); cut += 7) {
        SCOPED_TRACE(cut);
        ReadBytes(whole.substr(0, cut));
    }
    EXPECT_TRUE(ReadBytes(whole).mRead);
}

TEST(Reader3DSHostile, NodesNamingEachOtherAsParentsMakeNoCycle)
{
    Studio studio;
    studio.Node("a", "b");
    studio.Node("b", "a");
    studio.Node("c", "c");
    auto r = Import(studio.Write());
    ASSERT_TRUE(r->mRead);
    for (const char* name : {"a", "b", "c"}) {
        int depth = 0;
        for (KQelNode* node = r->Node(name); node && depth < 10; node = node->GetParent())
            ++depth;
        EXPECT_LT(depth, 4) << name;
    }
    EXPECT_EQ(r->Node("b"), r->Node("a")->GetParent());
    EXPECT_EQ(r->Root(), r->Node("b")->GetParent());
}

}  // namespace
}  // namespace qelsdk_600
