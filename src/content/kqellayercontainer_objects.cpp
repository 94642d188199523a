// The material and texture lookups of the layer container that need the
// material and texture classes themselves. Those classes are not built yet:
// until they are, no object of either class can be connected to a node nor
// named, so the index-mode counts are 0, the index-mode lookups and the name
// searches find nothing. The work that builds the classes fills in these six
// functions (and nothing else of the container changes).
#include "content/kqellayercontainer_impl.h"

namespace qelsdk_600 {

int KQelConnectedMaterialCount(KQelLayerContainer& pContainer)
{
    return 0;
}

int KQelConnectedTextureCount(KQelLayerContainer& pContainer)
{
    return 0;
}

KQelMaterial* KQelConnectedMaterial(KQelLayerContainer& pContainer, int pIndex)
{
    return nullptr;
}

KQelTexture* KQelConnectedTexture(KQelLayerContainer& pContainer, int pIndex)
{
    return nullptr;
}

const char* KQelMaterialName(KQelMaterial* pMaterial)
{
    return nullptr;
}

const char* KQelTextureName(KQelTexture* pTexture)
{
    return nullptr;
}

}  // namespace qelsdk_600
