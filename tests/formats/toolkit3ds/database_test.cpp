// Databases: new ones, their lists and lookups, deletions, copies and the
// release records.
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

std::string Object(const std::string& name, std::uint16_t kind)
{
    return Chunk(NAMED_OBJECT, Str(name),
                 {Chunk(kind, kind == N_CAMERA         ? std::string(32, '\0')
                              : kind == N_DIRECT_LIGHT ? std::string(12, '\0')
                                                       : "")});
}

class Toolkit3dsDatabase : public Toolkit3dsTest {};

TEST_F(Toolkit3dsDatabase, NewMeshFileHoldsItsReleaseRecords)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    EXPECT_EQ(GetDatabaseType3ds(db), MeshFile3ds);
    EXPECT_EQ(GetDatabaseRelease3ds(db), Release3_3ds);
    EXPECT_EQ(GetKfRelease3ds(db), Release3_3ds);
    EXPECT_EQ(WriteBytes(db), MeshFile(""));
    ReleaseDatabase3ds(&db);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsDatabase, MaterialLibraryIsRelease3WithoutChunks)
{
    ReadBytes(Chunk(MLIBMAGIC, "", {Chunk(MAT_ENTRY, "", {Chunk(MAT_NAME, Str("wood"))})}));
    EXPECT_EQ(GetDatabaseType3ds(mDb), MaterialFile3ds);
    EXPECT_EQ(GetDatabaseRelease3ds(mDb), Release3_3ds);
    chunk3ds* entry = nullptr;
    FindMatEntry3ds(mDb, "wood", &entry);
    EXPECT_EQ(entry, FindMatEntryByIndex3ds(mDb, 0));
    EXPECT_NE(entry, nullptr);
    EXPECT_EQ(FindMatEntryByIndex3ds(mDb, 1), nullptr);
}

TEST_F(Toolkit3dsDatabase, ObjectsAreFoundByNameAndByKind)
{
    const std::string spot =
        Chunk(NAMED_OBJECT, Str("spot"),
              {Chunk(N_DIRECT_LIGHT, std::string(12, '\0'), {Chunk(DL_SPOTLIGHT, std::string(20, '\0'))})});
    ReadBytes(MeshFile(Object("box", N_TRI_OBJECT) + Object("lamp", N_DIRECT_LIGHT) + spot + Object("box", N_CAMERA) +
                       Object("cam", N_CAMERA)));
    ASSERT_EQ(Errors(), std::vector<int>());
    chunk3ds* first = nullptr;
    FindNamedObject3ds(mDb, "box", &first);
    EXPECT_EQ(first, FindNamedObjectByIndex3ds(mDb, N_TRI_OBJECT, 0));
    EXPECT_EQ(FindNamedObjectByIndex3ds(mDb, N_TRI_OBJECT, 1), nullptr);
    chunk3ds* cam = nullptr;
    FindNamedObject3ds(mDb, "cam", &cam);
    EXPECT_EQ(FindNamedObjectByIndex3ds(mDb, N_CAMERA, 1), cam);
    chunk3ds* lamp = nullptr;
    FindNamedObject3ds(mDb, "lamp", &lamp);
    chunk3ds* spotChunk = nullptr;
    FindNamedObject3ds(mDb, "spot", &spotChunk);
    EXPECT_EQ(FindNamedObjectByIndex3ds(mDb, N_DIRECT_LIGHT, 1), spotChunk);
    EXPECT_EQ(FindNamedObjectByIndex3ds(mDb, DL_SPOTLIGHT, 0), spotChunk);
    UpdateNamedObjectList3ds(mDb);
    ASSERT_EQ(mDb->objlist->count, 5u);
    EXPECT_STREQ(mDb->objlist->list[3].name, "box");
    EXPECT_EQ(mDb->objlist->list[4].chunk, cam);
}

TEST_F(Toolkit3dsDatabase, DeletedObjectsStayEmptyAndAreNotWritten)
{
    ReadBytes(MeshFile(Object("box", N_TRI_OBJECT) + Object("cam", N_CAMERA)));
    chunk3ds* box = nullptr;
    FindNamedObject3ds(mDb, "box", &box);
    DeleteNamedObjectByName3ds(mDb, "box");
    EXPECT_EQ(box->tag, NULL_CHUNK);
    chunk3ds* again = nullptr;
    FindNamedObject3ds(mDb, "box", &again);
    EXPECT_EQ(again, nullptr);
    UpdateNamedObjectList3ds(mDb);
    ASSERT_EQ(mDb->objlist->count, 1u);
    EXPECT_STREQ(mDb->objlist->list[0].name, "cam");
    DisconnectDatabase3ds(mDb);
    EXPECT_EQ(WriteBytes(mDb), MeshFile(Object("cam", N_CAMERA)));
}

TEST_F(Toolkit3dsDatabase, CopiedObjectsReplaceTheirNamesakes)
{
    ReadBytes(MeshFile(Object("box", N_TRI_OBJECT)));
    DisconnectDatabase3ds(mDb);
    database3ds* target = nullptr;
    InitDatabase3ds(&target);
    InitChunkAs3ds(&target->topchunk, M3DMAGIC);
    CopyNamedObjectByName3ds(target, mDb, "box");
    CopyNamedObjectByIndex3ds(target, mDb, N_TRI_OBJECT, 0);
    EXPECT_EQ(WriteBytes(target), MeshFile(Object("box", N_TRI_OBJECT)));
    ReleaseDatabase3ds(&target);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsDatabase, InstancedNodesAreNamedNameDotInstance)
{
    ReadBytes(MeshFile("", Node(OBJECT_NODE_TAG, 0, "box", -1, "a") + Node(OBJECT_NODE_TAG, 1, "box", -1, "b") +
                               Node(CAMERA_NODE_TAG, 2, "cam", -1) + Node(TARGET_NODE_TAG, 3, "cam", -1)));
    ASSERT_EQ(Errors(), std::vector<int>());
    chunk3ds* a = FindNodeTagByNameAndType3ds(mDb, "box.a", OBJECT_NODE_TAG);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, FindNodeTagByIndexAndType3ds(mDb, 0, OBJECT_NODE_TAG));
    EXPECT_EQ(FindNodeTagByNameAndType3ds(mDb, "box", OBJECT_NODE_TAG), nullptr);
    chunk3ds* byHeader = nullptr;
    kfFindNamedAndTaggedChunk(mDb, "box", OBJECT_NODE_TAG, &byHeader);
    EXPECT_EQ(byHeader, a);
    EXPECT_EQ(kfGetGenericNodeCount(mDb, OBJECT_NODE_TAG), 2u);
    namelist3ds* names = nullptr;
    kfGetGenericNodeNameList(mDb, OBJECT_NODE_TAG, &names);
    ASSERT_EQ(names->count, 2u);
    EXPECT_STREQ(names->list[1], "box.b");
    ReleaseNameList3ds(&names);

    // A camera node takes its target with it.
    DeleteNodeTagByNameAndType3ds(mDb, "cam", CAMERA_NODE_TAG);
    EXPECT_EQ(kfGetGenericNodeCount(mDb, CAMERA_NODE_TAG), 0u);
    EXPECT_EQ(kfGetGenericNodeCount(mDb, TARGET_NODE_TAG), 0u);
    UpdateNodeTagList3ds(mDb);
    ASSERT_EQ(mDb->nodelist->count, 2u);
    EXPECT_STREQ(mDb->nodelist->list[0].name, "box.a");
}

TEST_F(Toolkit3dsDatabase, CopiedCameraNodesBringTheirTargets)
{
    ReadBytes(MeshFile("", Node(CAMERA_NODE_TAG, 0, "cam", -1) + Node(TARGET_NODE_TAG, 1, "cam", -1)));
    DisconnectDatabase3ds(mDb);
    database3ds* target = nullptr;
    InitDatabase3ds(&target);
    CreateNewDatabase3ds(target, MeshFile3ds);
    CopyNodeTagByIndexAndType3ds(target, mDb, 0, CAMERA_NODE_TAG);
    CopyNodeTagByNameAndType3ds(target, mDb, "cam", CAMERA_NODE_TAG);
    EXPECT_EQ(kfGetGenericNodeCount(target, CAMERA_NODE_TAG), 1u);
    EXPECT_EQ(kfGetGenericNodeCount(target, TARGET_NODE_TAG), 1u);
    ReleaseDatabase3ds(&target);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsDatabase, WritingMoreNodesThanIdsIsRefused)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    chunk3ds* kf = nullptr;
    kfGetKfSeg(db->topchunk, &kf);
    for (int i = 0; i < 65536; ++i)
        kfPutGenericNode(OBJECT_NODE_TAG, kf);
    file3ds* file = OpenFile3ds(Path("many.3ds").c_str(), "wb");
    WriteDatabase3ds(file, db);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_WRITING_DATABASE});
    // Nor is a database without a tree.
    ClearErrList3ds();
    database3ds* empty = nullptr;
    InitDatabase3ds(&empty);
    WriteDatabase3ds(file, empty);
    EXPECT_EQ(Errors(), (std::vector<int>{ERR_INVALID_DATABASE, ERR_WRITING_DATABASE}));
    CloseFile3ds(file);
    EXPECT_EQ(scratch::ReadFile(Path("many.3ds")), "");
    ReleaseDatabase3ds(&empty);
    ReleaseDatabase3ds(&db);
}

}  // namespace
}  // namespace qelsdk_600
