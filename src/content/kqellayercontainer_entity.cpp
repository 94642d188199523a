// Registration of layer materials and textures with a scene object store.
#include "content/kqellayercontainer_impl.h"
#include "scene/kqelentity.h"

namespace qelsdk_600 {

void KQelEntityUse(KQelEntity* pEntity, KQelMaterial* pMaterial, bool pAdd)
{
    if (pAdd)
        pEntity->AddMaterial(pMaterial);
    else
        pEntity->RemoveMaterial(pMaterial);
}

void KQelEntityUse(KQelEntity* pEntity, KQelTexture* pTexture, bool pAdd)
{
    if (pAdd)
        pEntity->AddTexture(pTexture);
    else
        pEntity->RemoveTexture(pTexture);
}

}  // namespace qelsdk_600
