#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "formats/dxf/dxf_test_util.h"

using namespace qelsdk_600;
using dxftest::File;
using dxftest::Polygons;
using dxftest::Read;

namespace {

// A block named pName whose body is pBody.
std::string Block(const std::string& pName, const std::string& pBody)
{
    return "0 BLOCK\n2 " + pName + "\n" + pBody + "\n0 ENDBLK\n";
}

std::string Insert(const std::string& pName)
{
    return "0 INSERT\n2 " + pName + "\n";
}

}  // namespace

TEST(DxfHostile, ColourNumbersOutsideTheTableGiveNoMaterial)
{
    const std::string tables = dxftest::LayerTable({{"Blue", 5}, {"Far", -1000}, {"Min", INT_MIN}});
    const struct {
        const char* mEntity;
        int mMaterials;
    } cases[] = {
        {"0 LINE\n62 300", 0},         {"0 LINE\n62 -2147483648", 0}, {"0 LINE\n62 99999999999", 0},
        {"0 LINE\n8 Far", 0},          {"0 LINE\n8 Min", 0},          {"0 LINE\n8 Blue\n62 256", 1},
        {"0 LINE\n8 Blue\n62 257", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mEntity);
        auto r = Read(File(c.mEntity, tables));
        ASSERT_TRUE(r->mRead);
        EXPECT_EQ(c.mMaterials, r->Mesh(0)->GMC(0));
        EXPECT_EQ(c.mMaterials, r->mManager.GetKQelMaterialCount());
    }
}

TEST(DxfHostile, FaceNumbersBeyondThePolylineAreDropped)
{
    const std::string points = "0 VERTEX\n70 192\n0 VERTEX\n10 1\n70 192\n0 VERTEX\n20 1\n70 192\n";
    for (const char* corners : {"71 1\n72 2\n73 99", "71 -2147483648\n72 1\n73 2", "71 1\n72 2\n73 3\n74 4"}) {
        SCOPED_TRACE(corners);
        for (auto way : {KStreamOptionsDxf::eNodePerEntity, KStreamOptionsDxf::eMeshPerLayer}) {
            // The first polyline's points are not the second's.
            auto r = Read(File("0 POLYLINE\n70 64\n" + points + "0 SEQEND\n0 POLYLINE\n70 64\n71 2147483647\n" +
                               points + "0 VERTEX\n70 128\n" + corners + "\n0 VERTEX\n70 128\n71 1\n72 2\n73 3\n0 SEQEND"),
                          way);
            ASSERT_TRUE(r->mRead);
            KQelMesh* mesh = r->Mesh(way == KStreamOptionsDxf::eNodePerEntity ? 1 : 0);
            ASSERT_NE(nullptr, mesh);
            EXPECT_EQ(way == KStreamOptionsDxf::eNodePerEntity ? "2 1 0" : "5 4 3", Polygons(mesh));
        }
    }
}

TEST(DxfHostile, SelfInsertingBlocksAreSkipped)
{
    std::string chain;
    for (int i = 0; i < 100; ++i)
        chain += Block("B" + std::to_string(i), "0 LINE\n" + Insert("B" + std::to_string(i + 1)));
    const struct {
        std::string mBlocks;
        const char* mFirst;
        int mDepth;
        const char* mMessage;
    } cases[] = {
        {Block("A", "0 LINE\n" + Insert("A")), "A", 1, "INSERT of block \"A\" skipped: the block inserts itself\n"},
        {Block("A", "0 LINE\n" + Insert("B")) + Block("B", "0 LINE\n" + Insert("A")), "A", 2,
         "INSERT of block \"A\" skipped: the block inserts itself\n"},
        {chain, "B0", 64, "INSERT of block \"B64\" skipped: blocks nested deeper than 64\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFirst);
        auto r = Read(File(Insert(c.mFirst) + "0 LINE", "", c.mBlocks));
        ASSERT_TRUE(r->mRead);
        EXPECT_STREQ(c.mMessage, r->mMessage.Buffer());
        int depth = 0;
        for (KQelNode* node = r->Node(0); node; node = node->GetChild(0))
            ++depth;
        EXPECT_EQ(c.mDepth, depth);
        EXPECT_EQ(2, r->Root()->GetChildCount());
    }
}

TEST(DxfHostile, ExpandingInsertsStopTheRead)
{
    // 30 blocks each inserting the next twice would make 2^30 nodes.
    std::string blocks;
    for (int i = 0; i < 30; ++i)
        blocks += Block("B" + std::to_string(i), "0 LINE\n" + Insert("B" + std::to_string(i + 1)) +
                                                     Insert("B" + std::to_string(i + 1)));
    auto r = Read(File(Insert("B0"), "", blocks));
    EXPECT_FALSE(r->mRead);
    EXPECT_NE(std::string::npos, std::string(r->mMessage.Buffer()).find("Reading stopped: the INSERTs would make"));
    EXPECT_LE(r->mManager.GetKQelNodeCount(), 64 * 200);
}

TEST(DxfHostile, TruncatedAndGarbledFilesFailCleanly)
{
    const std::string whole = File("0 POLYLINE\n8 L\n62 3\n70 9\n0 VERTEX\n70 32\n0 VERTEX\n10 1\n70 32\n0 SEQEND\n"
                                   "0 3DFACE\n10 1\n0 INSERT\n2 D\n0 LINE\n62 2",
                                   dxftest::LayerTable({{"L", 4}}), Block("D", "0 LINE\n0 INSERT\n2 D"));
    for (auto way : {KStreamOptionsDxf::eNodePerEntity, KStreamOptionsDxf::eMeshPerLayer,
                     KStreamOptionsDxf::eMeshPerBlock}) {
        // A cut inside the final line feed still reads: "EOF" counts alone.
        for (std::size_t cut = 0; cut + 1 < whole.size(); cut += 7)
            EXPECT_FALSE(Read(whole.substr(0, cut), way)->mRead) << cut;
        std::string garbled = whole;
        for (std::size_t i = 3; i < garbled.size(); i += 11)
            garbled[i] = static_cast<char>(garbled[i] ^ 0x5a);
        Read(garbled, way);
    }
}
