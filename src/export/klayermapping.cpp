#include "export/klayermapping.h"

#include <cstdint>

using namespace qelsdk_600;

KLayerMapping::KLayerMapping(int pPolygonCount, EMappingMode pTexture, EMappingMode pPartial,
                             EMappingMode pMaterial)
    : mTextureMappingMode(pTexture),
      mPartialTextureMappingMode(pPartial),
      mMaterialMappingMode(pMaterial),
      mPolygonCount(pPolygonCount),
      mShader(MObject::kNullObj),
      mHasData(false),
      mLayers(16),
      mTextureKeys(16),
      mTextureLayers(16),
      mTextureIndices(16),
      mKeyRepeatCounts(16),
      mMaterialIndex(-1)
{
}

int KLayerMapping::Key(int pLayer, int pIndex)
{
    if (pIndex < 0)
        return pIndex;
    return static_cast<int>((static_cast<std::uint32_t>(pLayer) << 10) + static_cast<std::uint32_t>(pIndex));
}

int KLayerMapping::FindLayer(int pLayer) const
{
    return mLayers.FindAfter(-1, pLayer);
}

void KLayerMapping::AddData(int pLayer, int pIndex, const MObject& pTexture)
{
    mHasData = true;
    if (FindLayer(pLayer) < 0)
        mLayers.Add(pLayer);
    // Layer and index are compared apart: a packed key would let index 1024
    // of one layer stand for index 0 of the next.
    for (int i = 0, n = mTextureKeys.GetCount(); i < n; ++i) {
        if (mTextureLayers[i] == pLayer && mTextureIndices[i] == pIndex) {
            ++mKeyRepeatCounts[i];
            return;
        }
    }
    mTextureKeys.Add(Key(pLayer, pIndex));
    mTextureLayers.Add(pLayer);
    mTextureIndices.Add(pIndex);
    mKeyRepeatCounts.Add(0);
    mHostTextures.append(pTexture);
}
