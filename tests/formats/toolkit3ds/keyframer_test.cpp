// The node hierarchy: parent ids become names after reading and names ids
// before writing.
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsKeyframer : public Toolkit3dsTest {
protected:
    std::string ParentOf(const char* name, std::uint32_t tag)
    {
        chunk3ds* node = FindNodeTagByNameAndType3ds(mDb, name, tag);
        chunk3ds* header = nullptr;
        if (node)
            FindNextChunk3ds(node->children, NODE_HDR, &header);
        if (!header)
            return "(none)";
        char buffer[32];
        kfGetParentName(header, buffer, sizeof buffer);
        return buffer;
    }
};

TEST_F(Toolkit3dsKeyframer, ParentsAreNamedByIdWithOrWithoutNodeIds)
{
    for (const bool ids : {true, false}) {
        SCOPED_TRACE(ids ? "with ids" : "without ids");
        // With NODE_ID, its values (not the places) name the parent; without,
        // the places 0, 1, 2 are the ids.
        const std::int16_t root = ids ? 7 : -2, mid = ids ? 3 : -2, leaf = ids ? 5 : -2;
        ReadBytes(
            MeshFile("", Node(OBJECT_NODE_TAG, root, "root", -1) + Node(OBJECT_NODE_TAG, mid, "mid", ids ? 7 : 0) +
                             Node(OBJECT_NODE_TAG, leaf, "leaf", ids ? 3 : 1)),
            ids ? "ids.3ds" : "noids.3ds");
        ASSERT_EQ(Errors(), std::vector<int>());
        EXPECT_EQ(ParentOf("root", OBJECT_NODE_TAG), "");
        EXPECT_EQ(ParentOf("mid", OBJECT_NODE_TAG), "root");
        EXPECT_EQ(ParentOf("leaf", OBJECT_NODE_TAG), "mid");
        // Written, the ids are the places and the parents follow them.
        DisconnectDatabase3ds(mDb);
        EXPECT_EQ(WriteBytes(mDb), MeshFile("", Node(OBJECT_NODE_TAG, ids ? 0 : -2, "root", -1) +
                                                    Node(OBJECT_NODE_TAG, ids ? 1 : -2, "mid", 0) +
                                                    Node(OBJECT_NODE_TAG, ids ? 2 : -2, "leaf", 1)));
    }
}

TEST_F(Toolkit3dsKeyframer, ParentsLinkToTheExactInstance)
{
    ReadBytes(MeshFile("", Node(OBJECT_NODE_TAG, 0, "box", -1, "a") + Node(OBJECT_NODE_TAG, 1, "box", -1, "b") +
                               Node(AMBIENT_NODE_TAG, 9, "amb", -1) + Node(OBJECT_NODE_TAG, 2, "kid", 1) +
                               Node(OBJECT_NODE_TAG, 3, "lost", 40)));
    ASSERT_EQ(Errors(), std::vector<int>());
    EXPECT_EQ(ParentOf("kid", OBJECT_NODE_TAG), "box.b");
    EXPECT_EQ(ParentOf("lost", OBJECT_NODE_TAG), "");
    DisconnectDatabase3ds(mDb);
    EXPECT_EQ(WriteBytes(mDb),
              MeshFile("", Node(OBJECT_NODE_TAG, 0, "box", -1, "a") + Node(OBJECT_NODE_TAG, 1, "box", -1, "b") +
                               Node(AMBIENT_NODE_TAG, -1, "amb", -1) + Node(OBJECT_NODE_TAG, 2, "kid", 1) +
                               Node(OBJECT_NODE_TAG, 3, "lost", -1)));
}

TEST_F(Toolkit3dsKeyframer, NamesThatMatchNoNodeLeaveNoParent)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    chunk3ds* kf = nullptr;
    kfGetKfSeg(db->topchunk, &kf);
    const struct {
        const char* name;
        const char* parent;
    } nodes[] = {{"a", ""}, {"b", "a"}, {"c", "nobody"}, {"d", "a.x"}};
    for (const auto& n : nodes) {
        chunk3ds* node = kfPutGenericNode(OBJECT_NODE_TAG, kf);
        kfPutNodeId(node);
        kfPutNodeHeader(n.name, 0, 0, n.parent, node);
    }
    EXPECT_EQ(WriteBytes(db), MeshFile("", Node(OBJECT_NODE_TAG, 0, "a", -1) + Node(OBJECT_NODE_TAG, 1, "b", 0) +
                                               Node(OBJECT_NODE_TAG, 2, "c", -1) + Node(OBJECT_NODE_TAG, 3, "d", -1)));
    ReleaseDatabase3ds(&db);
}

TEST_F(Toolkit3dsKeyframer, ParentNamesAreCutToTheBuffer)
{
    chunk3ds* header = nullptr;
    InitChunkAs3ds(&header, NODE_HDR);
    kfAddParentName(header, "Camera01");
    char buffer[5] = "xxxx";
    kfGetParentName(header, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Came");
    ReleaseChunk3ds(&header);
}

TEST_F(Toolkit3dsKeyframer, HierarchyPrintsEachNodeOnce)
{
    // Two roots with a child each; ids 4 and 5 name each other as parents
    // and are printed under no root; a root and its child share id 6.
    ReadBytes(MeshFile("", Node(OBJECT_NODE_TAG, 0, "r1", -1) + Node(OBJECT_NODE_TAG, 1, "c1", 0) +
                               Node(OBJECT_NODE_TAG, 2, "r2", -1) + Node(OBJECT_NODE_TAG, 3, "c2", 2) +
                               Node(OBJECT_NODE_TAG, 4, "x", 5) + Node(OBJECT_NODE_TAG, 5, "y", 4) +
                               Node(OBJECT_NODE_TAG, 6, "r3", -1) + Node(OBJECT_NODE_TAG, 6, "c3", 6)));
    InitNodeList();
    ParseDb(mDb);
    std::FILE* out = std::tmpfile();
    PrintHierarchy(out);
    PrintNodeList(out);
    ReleaseNodeList();
    std::rewind(out);
    std::string text;
    for (int ch; (ch = std::fgetc(out)) != EOF;)
        text += static_cast<char>(ch);
    std::fclose(out);
    EXPECT_EQ(text.substr(0, text.find("ID:")), "r1\n-c1\nr2\n-c2\nr3\n-c3\n");
    EXPECT_NE(text.find("ID:1\tName:c1\tParent:0\n"), std::string::npos);
}

}  // namespace
}  // namespace qelsdk_600
