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

class Toolkit3dsRealFiles : public Toolkit3dsTest {
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

TEST_F(Toolkit3dsRealFiles, ComeBackByteForByte)
{
    for (const char* name : {"test1.3ds", "RotatingCube.3DS", "cube_with_diffuse_texture.3DS",
                             "CameraRollAnimWithChildObject.3ds"}) {
        std::string in, out;
        RoundTrip(name, &in, &out);
        EXPECT_TRUE(in == out) << name << ": " << in.size() << " bytes in, " << out.size() << " out";
    }
}

TEST_F(Toolkit3dsRealFiles, FileWithoutKeyframerGetsItsHeaderAfterTheMeshData)
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

TEST_F(Toolkit3dsRealFiles, ChildNodeNamesItsParent)
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

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsRealRecords : public Toolkit3dsTest {
protected:
    void Read(const char* name)
    {
        ReadBytes(scratch::ReadFile(std::string(QEL_3DS_DATA_DIR) + "/" + name), name);
        ASSERT_EQ(Errors(), std::vector<int>()) << name;
    }
};

TEST_F(Toolkit3dsRealRecords, BoxesWithTexturedMaterials)
{
    Read("test1.3ds");
    ASSERT_EQ(GetMeshCount3ds(mDb), 9u);
    mesh3ds* mesh = nullptr;
    for (std::uint32_t i = 0; i < 9; ++i) {
        GetMeshByIndex3ds(mDb, i, &mesh);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->nvertices, 32);
        EXPECT_EQ(mesh->nfaces, 12);
        EXPECT_EQ(mesh->nmats, 1);
    }
    RelMeshObj3ds(&mesh);
    ASSERT_EQ(GetMaterialCount3ds(mDb), 3u);
    const char* maps[] = {"IMAGE1.JPG", "CWALL02.JPG", "IMAGE2.JPG"};
    material3ds* material = nullptr;
    for (std::uint32_t i = 0; i < 3; ++i) {
        GetMaterialByIndex3ds(mDb, i, &material);
        EXPECT_STREQ(material->texture.name, maps[i]);
        EXPECT_EQ(material->texture.percent, 1.0f);
    }
    ReleaseMaterial3ds(&material);
    EXPECT_EQ(GetObjectNodeCount3ds(mDb), 9u);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsRealRecords, OneLargeMeshWithoutKeyframes)
{
    Read("fels.3ds");
    mesh3ds* mesh = nullptr;
    GetMeshByName3ds(mDb, "Default", &mesh);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->nvertices, 386);
    EXPECT_EQ(mesh->nfaces, 768);
    ASSERT_EQ(mesh->nmats, 1);
    EXPECT_EQ(mesh->matarray[0].nfaces, 768);
    EXPECT_EQ(mesh->smootharray, nullptr);
    RelMeshObj3ds(&mesh);
    EXPECT_EQ(GetObjectNodeCount3ds(mDb), 0u);
}

TEST_F(Toolkit3dsRealRecords, RotationTrackOfEveryFrame)
{
    Read("RotatingCube.3DS");
    objectmotion3ds* motion = nullptr;
    GetObjectMotionByIndex3ds(mDb, 0, &motion);
    ASSERT_NE(motion, nullptr);
    ASSERT_EQ(motion->rot.keycount, 182u);
    for (std::uint32_t k = 0; k < 182; ++k)
        EXPECT_EQ(motion->rot.keys[k].time, k);
    ReleaseObjectMotion3ds(&motion);
}

TEST_F(Toolkit3dsRealRecords, RollingCameraWithAChild)
{
    Read("CameraRollAnimWithChildObject.3ds");
    camera3ds* camera = nullptr;
    GetCameraByName3ds(mDb, "Camera01", &camera);
    ASSERT_NE(camera, nullptr);
    EXPECT_NEAR(camera->fov, 45.0, 1e-5);
    EXPECT_EQ(camera->nearplane, 0.0f);
    EXPECT_EQ(camera->farplane, 1000.0f);
    ReleaseCamera3ds(&camera);
    cameramotion3ds* motion = nullptr;
    GetCameraMotionByIndex3ds(mDb, 0, &motion);
    ASSERT_NE(motion, nullptr);
    ASSERT_EQ(motion->roll.keycount, 2u);
    EXPECT_EQ(motion->roll.keys[0].time, 0u);
    EXPECT_EQ(motion->roll.keys[1].time, 120u);
    ASSERT_EQ(motion->tpos.keycount, 2u);
    EXPECT_EQ(motion->tpos.keys[1].time, 100u);
    ReleaseCameraMotion3ds(&motion);
    objectmotion3ds* box = nullptr;
    GetObjectMotionByName3ds(mDb, "Box02", &box);
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->parent, "Camera01");
    ReleaseObjectMotion3ds(&box);
}

TEST_F(Toolkit3dsRealRecords, TexturedCube)
{
    Read("cube_with_diffuse_texture.3DS");
    material3ds* material = nullptr;
    GetMaterialByName3ds(mDb, "01 - Default", &material);
    ASSERT_NE(material, nullptr);
    EXPECT_STREQ(material->texture.name, "TEST.PNG");
    ReleaseMaterial3ds(&material);
}

}  // namespace
}  // namespace qelsdk_600
