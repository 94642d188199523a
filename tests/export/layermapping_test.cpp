// The record of one shader's texture uses per geometry layer.
#include <gtest/gtest.h>

#include "export/klayermapping.h"
#include "host/host_fixture.h"

namespace {

typedef qelsdk_600::KQelLayerElement E;

std::vector<int> Items(const qelsdk_600::KArrayTemplate<int>& pArray)
{
    std::vector<int> out;
    for (int i = 0; i < pArray.GetCount(); ++i)
        out.push_back(pArray[i]);
    return out;
}

}  // namespace

TEST_F(HostTest, LayerMappingsCollectUsesPerLayerAndTexture)
{
    const MObject t = make("file", "t"), u = make("file", "u");
    KLayerMapping fresh(5, E::eAllSame, E::eByPolygon, E::eAllSame);
    EXPECT_FALSE(fresh.mHasData);
    EXPECT_EQ(fresh.mMaterialIndex, -1);
    EXPECT_EQ(fresh.mLayers.GetCount() + fresh.mTextureKeys.GetCount() + int(fresh.mHostTextures.length()), 0);

    const struct {
        std::vector<std::vector<int>> adds;  // layer, index, host texture (0 t, 1 u)
        std::vector<int> layers, keys, repeats;
        std::vector<int> textures;
    } cases[] = {
        {{{0, 2, 0}, {0, 2, 1}}, {0}, {2}, {1}, {0}},
        {{{1, 2, 0}, {0, -1, 1}}, {1, 0}, {1026, -1}, {0, 0}, {0, 1}},
        {{{2, 0, 0}, {0, 0, 0}, {2, 0, 1}}, {2, 0}, {2048, 0}, {1, 0}, {0}},
        // Index 1024 of layer 0 and index 0 of layer 1 pack alike but stay
        // two uses.
        {{{0, 1024, 0}, {1, 0, 1}}, {0, 1}, {1024, 1024}, {0, 0}, {0, 1}},
    };
    for (const auto& c : cases) {
        KLayerMapping record(5, E::eAllSame, E::eByPolygon, E::eAllSame);
        for (const std::vector<int>& add : c.adds)
            record.AddData(add[0], add[1], add[2] ? u : t);
        EXPECT_TRUE(record.mHasData);
        EXPECT_EQ(Items(record.mLayers), c.layers);
        EXPECT_EQ(Items(record.mTextureKeys), c.keys);
        EXPECT_EQ(Items(record.mKeyRepeatCounts), c.repeats);
        ASSERT_EQ(record.mHostTextures.length(), c.keys.size());
        for (size_t i = 0; i < c.textures.size(); ++i)
            EXPECT_EQ(record.mHostTextures[static_cast<unsigned int>(i)], c.textures[i] ? u : t);
    }
}
