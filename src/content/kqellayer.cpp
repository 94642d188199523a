#include "content/kqellayer.h"

#include <new>

namespace qelsdk_600 {

namespace {

const char* const kMappingTokens[] = {"NoMappingInformation", "ByVertice", "ByPolygonVertex", "ByPolygon",
                                      "AllSame"};
const char* const kReferenceTokens[] = {"Direct", "Index", "IndexToDirect"};
const char* const kBlendTokens[] = {"Translucent", "Add", "Modulate", "Modulate2", "MaxBlend"};

template <int N>
const char* Token(const char* const (&pTokens)[N], int pValue)
{
    return pValue >= 0 && pValue < N ? pTokens[pValue] : pTokens[0];
}

// A new copy of pSource in *pSlot, when pSource exists.
template <class E>
void CopySlot(E*& pSlot, const E* pSource)
{
    if (!pSource)
        return;
    pSlot = new (std::nothrow) E;
    if (pSlot)
        *pSlot = *pSource;
}

}  // namespace

const char* KQelLayerElement::GetMappingModeToken(int pMode)
{
    return Token(kMappingTokens, pMode);
}

const char* KQelLayerElement::GetReferenceModeToken(int pMode)
{
    return Token(kReferenceTokens, pMode);
}

const char* KQelLayerElementTexture::GetBlendModeToken(int pMode)
{
    return Token(kBlendTokens, pMode);
}

KQelLayerElementTexture& KQelLayerElementTexture::operator=(const KQelLayerElementTexture& pOther)
{
    if (this != &pOther) {
        KQelLayerElementTemplate<KQelTexture*>::operator=(pOther);
        mBlendMode = pOther.mBlendMode;
        mAlpha = pOther.mAlpha;
    }
    return *this;
}

KQelLayer::KQelLayer()
    : mNormals(nullptr), mMaterials(nullptr), mTextures(nullptr), mPolygonGroups(nullptr), mUVs(nullptr),
      mVertexColors(nullptr)
{
}

KQelLayer::~KQelLayer()
{
    Clear();
}

KQelLayerElement* KQelLayer::GetLayerElementOfType(int pType) const
{
    switch (pType) {
    case KQelLayerElement::eNormal:
        return mNormals;
    case KQelLayerElement::eMaterial:
        return mMaterials;
    case KQelLayerElement::eTexture:
        return mTextures;
    case KQelLayerElement::ePolygonGroup:
        return mPolygonGroups;
    case KQelLayerElement::eUV:
        return mUVs;
    case KQelLayerElement::eVertexColor:
        return mVertexColors;
    default:
        return nullptr;
    }
}

void KQelLayer::Clear()
{
    delete mNormals;
    delete mMaterials;
    delete mTextures;
    delete mPolygonGroups;
    delete mUVs;
    delete mVertexColors;
    mNormals = nullptr;
    mMaterials = nullptr;
    mTextures = nullptr;
    mPolygonGroups = nullptr;
    mUVs = nullptr;
    mVertexColors = nullptr;
}

KQelLayer& KQelLayer::operator=(const KQelLayer& pOther)
{
    if (this == &pOther)
        return *this;
    Clear();
    CopySlot(mNormals, pOther.mNormals);
    CopySlot(mMaterials, pOther.mMaterials);
    CopySlot(mTextures, pOther.mTextures);
    CopySlot(mPolygonGroups, pOther.mPolygonGroups);
    CopySlot(mUVs, pOther.mUVs);
    CopySlot(mVertexColors, pOther.mVertexColors);
    return *this;
}

}  // namespace qelsdk_600
