// The material and texture lookups of the layer container that need the
// material and texture classes: the objects of either class connected as
// sources of the owning node's property set, and object names.
#include "content/kqellayercontainer_impl.h"

#include "content/kqellayercontainer.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "object/kclassdefinition.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"

namespace qelsdk_600 {

namespace {

// The view of the owning node's sources whose sets are of class pClassId;
// null without node.
KPlug* ConnectedView(KQelLayerContainer& pContainer, int pClassId)
{
    KQelNode* node = pContainer.GetNode();
    KQelNodeProperties* set = node ? node->GetPropertyHandler() : nullptr;
    return set ? set->SubPlugGetOrCreate(KPlug_GetFilter(pClassId)) : nullptr;
}

template <class T>
int ConnectedCount(KQelLayerContainer& pContainer)
{
    KPlug* view = ConnectedView(pContainer, T::ClassId);
    return view ? view->GetSrcCount() : 0;
}

// The object owning the pIndex-th such set, checked to be of class Object.
template <class Set, class Object>
Object* Connected(KQelLayerContainer& pContainer, int pIndex)
{
    KPlug* view = ConnectedView(pContainer, Set::ClassId);
    Set* set = view ? dynamic_cast<Set*>(view->GetSrc(pIndex)) : nullptr;
    return set ? dynamic_cast<Object*>(set->GetKQelObject()) : nullptr;
}

}  // namespace

int KQelConnectedMaterialCount(KQelLayerContainer& pContainer)
{
    return ConnectedCount<KQelMaterialProperties>(pContainer);
}

int KQelConnectedTextureCount(KQelLayerContainer& pContainer)
{
    return ConnectedCount<KQelTextureProperties>(pContainer);
}

KQelMaterial* KQelConnectedMaterial(KQelLayerContainer& pContainer, int pIndex)
{
    return Connected<KQelMaterialProperties, KQelMaterial>(pContainer, pIndex);
}

KQelTexture* KQelConnectedTexture(KQelLayerContainer& pContainer, int pIndex)
{
    return Connected<KQelTextureProperties, KQelTexture>(pContainer, pIndex);
}

const char* KQelMaterialName(KQelMaterial* pMaterial)
{
    return pMaterial ? pMaterial->GetName() : nullptr;
}

const char* KQelTextureName(KQelTexture* pTexture)
{
    return pTexture ? pTexture->GetName() : nullptr;
}

}  // namespace qelsdk_600
