// Files written by other programs come back byte for byte once read, fully
// decoded and written again.
#include <string>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

std::string DataFile(const std::string& name)
{
    return std::string(QEL_3DS_DATA_DIR) + "/" + name;
}

class RealFiles : public Toolkit3dsTest {
protected:
    // Reads, disconnects and writes a real file; its bytes and the output's.
    void RoundTrip(const std::string& name, std::string* in, std::string* out)
    {
        *in = scratch::ReadFile(DataFile(name));
        ASSERT_FALSE(in->empty()) << name;
        ReadBytes(*in);
        ASSERT_EQ(Errors(), std::vector<int>()) << name;
        DisconnectDatabase3ds(mDb);
        ASSERT_EQ(Errors(), std::vector<int>()) << name;
        CloseAllFiles3ds();
        *out = WriteBytes(mDb);
        ASSERT_EQ(Errors(), std::vector<int>()) << name;
    }
};

TEST_F(RealFiles, ComeBackByteForByte)
{
    for (const char* name : {"test1.3ds", "RotatingCube.3DS", "cube_with_diffuse_texture.3DS",
                             "CameraRollAnimWithChildObject.3ds"}) {
        std::string in, out;
        RoundTrip(name, &in, &out);
        EXPECT_TRUE(in == out) << name << ": " << in.size() << " bytes in, " << out.size() << " out";
    }
}

TEST_F(RealFiles, FileWithoutKeyframerGetsItsHeaderAfterTheMeshData)
{
    std::string in, out;
    RoundTrip("fels.3ds", &in, &out);
    const std::string kfdata = Chunk(KFDATA, "", {Chunk(KFHDR, U16(5) + Str("") + U32(30))});
    ASSERT_EQ(out.size(), in.size() + kfdata.size());
    // The top chunk grows by the new section, which follows MDATA at the end.
    std::string expected = in + kfdata;
    expected.replace(2, 4, U32(static_cast<std::uint32_t>(expected.size())));
    EXPECT_TRUE(out == expected);
}

TEST_F(RealFiles, ChildNodeNamesItsParent)
{
    ReadBytes(scratch::ReadFile(DataFile("CameraRollAnimWithChildObject.3ds")));
    ASSERT_EQ(Errors(), std::vector<int>());
    chunk3ds* box = FindNodeTagByNameAndType3ds(mDb, "Box02", OBJECT_NODE_TAG);
    ASSERT_NE(box, nullptr);
    chunk3ds* header = nullptr;
    FindNextChunk3ds(box->children, NODE_HDR, &header);
    ASSERT_NE(header, nullptr);
    char parent[32];
    kfGetParentName(header, parent, sizeof parent);
    EXPECT_STREQ(parent, "Camera01");
    // Its sibling without a parent has none.
    chunk3ds* other = FindNodeTagByNameAndType3ds(mDb, "Box01", OBJECT_NODE_TAG);
    ASSERT_NE(other, nullptr);
    FindNextChunk3ds(other->children, NODE_HDR, &header);
    kfGetParentName(header, parent, sizeof parent);
    EXPECT_STREQ(parent, "");
}

}  // namespace
}  // namespace qelsdk_600
