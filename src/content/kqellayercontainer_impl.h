// Private to src/content: what the material and texture lookups of
// KQelLayerContainer need of the material and texture classes themselves.
// They are defined in one place, kqellayercontainer_objects.cpp.
#ifndef QELSDK_CONTENT_KQELLAYERCONTAINER_IMPL_H
#define QELSDK_CONTENT_KQELLAYERCONTAINER_IMPL_H

namespace qelsdk_600 {

class KQelEntity;
class KQelLayerContainer;
class KQelMaterial;
class KQelTexture;

// Number of objects of the material (texture) class connected as sources to
// the property set of the node that carries pContainer; 0 without node.
int KQelConnectedMaterialCount(KQelLayerContainer& pContainer);
int KQelConnectedTextureCount(KQelLayerContainer& pContainer);
// The pIndex-th of them (the material or texture that owns the connected
// property set); null out of range, without node, or when the source is not
// such an object.
KQelMaterial* KQelConnectedMaterial(KQelLayerContainer& pContainer, int pIndex);
KQelTexture* KQelConnectedTexture(KQelLayerContainer& pContainer, int pIndex);
// The current full name of the object; null for null.
const char* KQelMaterialName(KQelMaterial* pMaterial);
const char* KQelTextureName(KQelTexture* pTexture);

// One use more (pAdd true) or one less of an object in an entity's store
// (kqellayercontainer_entity.cpp); results are ignored.
void KQelEntityUse(KQelEntity* pEntity, KQelMaterial* pMaterial, bool pAdd);
void KQelEntityUse(KQelEntity* pEntity, KQelTexture* pTexture, bool pAdd);

}  // namespace qelsdk_600

#endif
