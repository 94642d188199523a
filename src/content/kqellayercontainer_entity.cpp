// Registration of layer materials and textures with a scene object store.
// INTERIM: the store class is not merged yet, so no entity can exist and
// these do nothing; they call the store's Add/Remove operations once it is.
#include "content/kqellayercontainer_impl.h"

namespace qelsdk_600 {

void KQelEntityUse(KQelEntity* pEntity, KQelMaterial* pMaterial, bool pAdd) {}

void KQelEntityUse(KQelEntity* pEntity, KQelTexture* pTexture, bool pAdd) {}

}  // namespace qelsdk_600
