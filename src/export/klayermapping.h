// The textures one shader puts on the layers of one geometry, with the
// shader's material index: what the material and texture export collects
// before it writes the material and texture layer elements.
#ifndef QELVESK_EXPORT_KLAYERMAPPING_H
#define QELVESK_EXPORT_KLAYERMAPPING_H

#include <vesk/MObject.h>
#include <vesk/MObjectArray.h>

#include "base/karraytemplate.h"
#include "content/kqellayer.h"

// The texture index of a use without texture (the shader has none there).
inline constexpr int sgTRANSPARENT_TEX = -1;

// One record per shader of a geometry. Uses are kept by layer and texture
// index; the parallel arrays mTextureKeys, mTextureLayers,
// mTextureIndices, mKeyRepeatCounts and mHostTextures hold one entry per
// distinct use, in order of first addition. Plain data: the exporter reads
// and writes the fields directly.
class KLayerMapping {
public:
    typedef qelsdk_600::KQelLayerElement::EMappingMode EMappingMode;

    // A record for a geometry of pPolygonCount polygons (0 for a surface):
    // pTexture is the mapping of a texture element made for it, pPartial
    // the mapping used instead when its first texture covers fewer
    // polygons, pMaterial the mapping of layer 0's material element. No
    // data, no shader, material index -1.
    KLayerMapping(int pPolygonCount, EMappingMode pTexture, EMappingMode pPartial, EMappingMode pMaterial);

    // Records that layer pLayer uses texture pIndex (sgTRANSPARENT_TEX or
    // any negative index: no texture) of host node pTexture: the layer is
    // listed once, a use met again counts one repeat more, a new use is
    // appended with repeat count 0 and the host texture. Uses of different
    // layers never merge, whatever their indices.
    void AddData(int pLayer, int pIndex, const MObject& pTexture);
    // Position of pLayer in mLayers, or -1.
    int FindLayer(int pLayer) const;
    // The key of a use: pIndex + pLayer * 1024 (modulo 2^32) for an index of
    // 0 or more, else pIndex.
    static int Key(int pLayer, int pIndex);

    EMappingMode mTextureMappingMode;
    EMappingMode mPartialTextureMappingMode;
    EMappingMode mMaterialMappingMode;
    int mPolygonCount;
    // The shader whose textures were gathered (set by DefineTextures).
    MObject mShader;
    bool mHasData;
    // Geometry layer numbers, each once, in order of first use.
    qelsdk_600::KArrayTemplate<int> mLayers;
    qelsdk_600::KArrayTemplate<int> mTextureKeys;
    qelsdk_600::KArrayTemplate<int> mTextureLayers;
    qelsdk_600::KArrayTemplate<int> mTextureIndices;
    qelsdk_600::KArrayTemplate<int> mKeyRepeatCounts;
    // The host texture of each use; the null object for no texture.
    MObjectArray mHostTextures;
    // Index of the shader's material in layer 0's material element; -1
    // until set.
    int mMaterialIndex;
};

#endif
