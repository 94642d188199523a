#include "content/kqellayercontainer.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "content/kqellayercontainer_impl.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// What tells the texture lookups from the material ones.
struct TextureKind {
    typedef KQelTexture Object;
    typedef KQelLayerElementTexture Element;
    static const char* Prefix() { return "Texture::"; }
    // AT answers the index of a texture already there; AM refuses.
    static const bool kFoundIsIndex = true;
    static Element* Slot(const KQelLayer* pLayer) { return pLayer->GetTextures(); }
    static void SetSlot(KQelLayer* pLayer, Element* pElement) { pLayer->SetTextures(pElement); }
    static int ConnectedCount(KQelLayerContainer& pContainer) { return KQelConnectedTextureCount(pContainer); }
    static Object* Connected(KQelLayerContainer& pContainer, int pIndex)
    {
        return KQelConnectedTexture(pContainer, pIndex);
    }
    static const char* Name(Object* pObject) { return KQelTextureName(pObject); }
};

struct MaterialKind {
    typedef KQelMaterial Object;
    typedef KQelLayerElementMaterial Element;
    static const char* Prefix() { return "Material::"; }
    static const bool kFoundIsIndex = false;
    static Element* Slot(const KQelLayer* pLayer) { return pLayer->GetMaterials(); }
    static void SetSlot(KQelLayer* pLayer, Element* pElement) { pLayer->SetMaterials(pElement); }
    static int ConnectedCount(KQelLayerContainer& pContainer) { return KQelConnectedMaterialCount(pContainer); }
    static Object* Connected(KQelLayerContainer& pContainer, int pIndex)
    {
        return KQelConnectedMaterial(pContainer, pIndex);
    }
    static const char* Name(Object* pObject) { return KQelMaterialName(pObject); }
};

// Number of distinct values in an index array.
int DistinctCount(const KArrayTemplate<int>& pIndices)
{
    std::vector<int> values(pIndices.GetArray(), pIndices.GetArray() + pIndices.GetCount());
    std::sort(values.begin(), values.end());
    return static_cast<int>(std::unique(values.begin(), values.end()) - values.begin());
}

// Whether an element's direct array is what it refers to (and registers).
bool UsesDirectArray(const KQelLayerElement* pElement)
{
    return pElement->GetReferenceMode() != KQelLayerElement::eIndex;
}

// One use more or less of every object of an element's direct array.
template <class Element>
void UseObjects(KQelEntity* pEntity, const Element* pElement, bool pAdd)
{
    if (!pElement || !UsesDirectArray(pElement))
        return;
    for (int i = 0; i < pElement->GetDirectArray().GetCount(); ++i) {
        if (pElement->GetDirectArray()[i])
            KQelEntityUse(pEntity, pElement->GetDirectArray()[i], pAdd);
    }
}

}  // namespace

KQelLayerContainer::KQelLayerContainer(KQelSdkManager& pManager)
    : KQelNodeAttribute(pManager)
{
}


KQelLayerContainer::~KQelLayerContainer()
{
    ClearLayers();
}

// ---- Layers ----

int KQelLayerContainer::CreateLayer()
{
    KQelLayer* layer = new (std::nothrow) KQelLayer;
    if (!layer)
        return -1;
    const int index = Own().mLayers.Add(layer);
    if (index < 0)
        delete layer;
    return index;
}

void KQelLayerContainer::ClearLayers()
{
    TruncateLayers(0);
    if (Parts* parts = mParts.Get())
        parts->mLayers.Clear();
}

void KQelLayerContainer::TruncateLayers(int pCount)
{
    if (!mParts.Get())
        return;
    KArrayTemplate<KQelLayer*>& layers = mParts.Get()->mLayers;
    for (int i = layers.GetCount() - 1; i >= pCount; --i) {
        delete layers[i];
        layers.RemoveAt(i);
    }
}

bool KQelLayerContainer::CreateLayersUpTo(unsigned int pLayer)
{
    if (pLayer > static_cast<unsigned int>(INT_MAX))
        return false;
    const int count = GetLayerCount();
    while (GetLayerCount() <= static_cast<int>(pLayer)) {
        if (CreateLayer() < 0) {
            TruncateLayers(count);
            return false;
        }
    }
    return true;
}

int KQelLayerContainer::GetLayerCount(KQelLayerElement::ELayerElementType pType) const
{
    int count = 0;
    const KArrayTemplate<KQelLayer*>& layers = Read().mLayers;
    for (int i = 0; i < layers.GetCount(); ++i) {
        if (layers[i]->GetLayerElementOfType(pType))
            ++count;
    }
    return count;
}

KQelLayer* KQelLayerContainer::GetLayer(int pIndex) const
{
    const KArrayTemplate<KQelLayer*>& layers = Read().mLayers;
    return pIndex >= 0 && pIndex < layers.GetCount() ? layers[pIndex] : nullptr;
}

KQelLayer* KQelLayerContainer::GetLayerNumber(unsigned int pLayer) const
{
    return pLayer <= static_cast<unsigned int>(INT_MAX) ? GetLayer(static_cast<int>(pLayer)) : nullptr;
}

int KQelLayerContainer::GetLayerIndex(int pIndex, KQelLayerElement::ELayerElementType pType) const
{
    if (pIndex < 0)
        return -1;
    const KArrayTemplate<KQelLayer*>& layers = Read().mLayers;
    for (int i = 0, seen = 0; i < layers.GetCount(); ++i) {
        if (layers[i]->GetLayerElementOfType(pType) && seen++ == pIndex)
            return i;
    }
    return -1;
}

KQelLayer* KQelLayerContainer::GetLayer(int pIndex, KQelLayerElement::ELayerElementType pType) const
{
    return GetLayer(GetLayerIndex(pIndex, pType));
}

int KQelLayerContainer::GetLayerTypedIndex(int pIndex, KQelLayerElement::ELayerElementType pType) const
{
    const KArrayTemplate<KQelLayer*>& layers = Read().mLayers;
    if (pIndex < 0 || pIndex >= layers.GetCount())
        return -1;
    int typed = -1;
    for (int i = 0; i <= pIndex; ++i) {
        if (layers[i]->GetLayerElementOfType(pType))
            ++typed;
    }
    return typed;
}

KQelLayer* KQelLayerContainer::GetOrCreateLayer0()
{
    if (GetLayerCount() == 0 && CreateLayer() < 0)
        return nullptr;
    return mParts.Get()->mLayers[0];
}

KQelLayerElementNormal* KQelLayerContainer::GetLayer0Normals() const
{
    KQelLayer* layer = GetLayer(0);
    return layer ? layer->GetNormals() : nullptr;
}

// ---- Textures and materials ----

template <class Kind>
int KQelLayerContainer::Count(unsigned int pLayer)
{
    KQelLayer* layer = GetLayerNumber(pLayer);
    typename Kind::Element* element = layer ? Kind::Slot(layer) : nullptr;
    if (!element)
        return 0;
    if (UsesDirectArray(element))
        return element->GetDirectArray().GetCount();
    const int connected = Kind::ConnectedCount(*this);
    return connected > 0 ? std::min(connected, DistinctCount(element->GetIndexArray())) : 0;
}

template <class Kind>
typename Kind::Object* KQelLayerContainer::Get(int pIndex, unsigned int pLayer)
{
    KQelLayer* layer = GetLayerNumber(pLayer);
    typename Kind::Element* element = layer ? Kind::Slot(layer) : nullptr;
    if (!element || pIndex < 0)
        return nullptr;
    if (UsesDirectArray(element))
        return pIndex < element->GetDirectArray().GetCount() ? element->GetDirectArray()[pIndex] : nullptr;
    return Kind::Connected(*this, pIndex);
}

template <class Kind>
int KQelLayerContainer::Add(void* pObject, unsigned int pLayer)
{
    typename Kind::Object* object = static_cast<typename Kind::Object*>(pObject);
    const int layerCount = GetLayerCount();
    if (!object || !CreateLayersUpTo(pLayer))
        return -1;
    KQelLayer* layer = mParts.Get()->mLayers[static_cast<int>(pLayer)];
    typename Kind::Element* element = Kind::Slot(layer);
    const bool newElement = !element;
    if (newElement) {
        element = new (std::nothrow) typename Kind::Element;
        if (!element) {
            TruncateLayers(layerCount);
            return -1;
        }
        Kind::SetSlot(layer, element);
    }
    KArrayTemplate<typename Kind::Object*>& direct = element->GetDirectArray();
    const int found = direct.Find(object);
    if (found >= 0)
        return Kind::kFoundIsIndex ? found : -1;
    const int index = direct.Add(object);
    if (index < 0) {
        if (newElement) {
            Kind::SetSlot(layer, nullptr);
            delete element;
        }
        TruncateLayers(layerCount);
        return -1;
    }
    if (GetEntity() && UsesDirectArray(element))
        KQelEntityUse(GetEntity(), object, true);
    return index;
}

template <class Kind>
int KQelLayerContainer::IndexOf(const char* pName, unsigned int pLayer)
{
    KQelLayer* layer = GetLayerNumber(pLayer);
    typename Kind::Element* element = layer ? Kind::Slot(layer) : nullptr;
    if (!element || !pName)
        return -1;
    const KString name = KQelSdkManager::PrefixName(Kind::Prefix(), pName);
    const KArrayTemplate<typename Kind::Object*>& direct = element->GetDirectArray();
    for (int i = 0; i < direct.GetCount(); ++i) {
        const char* current = direct[i] ? Kind::Name(direct[i]) : nullptr;
        if (current && name == current)
            return i;
    }
    return -1;
}

int KQelLayerContainer::GTC(unsigned int pLayer)
{
    return Count<TextureKind>(pLayer);
}

KQelTexture* KQelLayerContainer::GT(int pIndex, unsigned int pLayer)
{
    return Get<TextureKind>(pIndex, pLayer);
}

int KQelLayerContainer::AT(void* pTexture, unsigned int pLayer)
{
    return Add<TextureKind>(pTexture, pLayer);
}

int KQelLayerContainer::GTI(const char* pName, unsigned int pLayer)
{
    return IndexOf<TextureKind>(pName, pLayer);
}

int KQelLayerContainer::GMC(unsigned int pLayer)
{
    return Count<MaterialKind>(pLayer);
}

KQelMaterial* KQelLayerContainer::GM(int pIndex, unsigned int pLayer)
{
    return Get<MaterialKind>(pIndex, pLayer);
}

int KQelLayerContainer::AM(void* pMaterial, unsigned int pLayer)
{
    return Add<MaterialKind>(pMaterial, pLayer);
}

int KQelLayerContainer::GMI(const char* pName, unsigned int pLayer)
{
    return IndexOf<MaterialKind>(pName, pLayer);
}

// ---- Copy ----

void KQelLayerContainer::Copy(const KQelLayerContainer& pOther, KQelSdkManager& pManager)
{
    CopyLayers(&pOther);
}

void KQelLayerContainer::CopyLayers(const KQelLayerContainer* pOther)
{
    if (!pOther || pOther == this)
        return;
    const int count = pOther->GetLayerCount();
    ClearLayers();
    for (int i = 0; i < count; ++i) {
        const int index = CreateLayer();
        if (index < 0)
            return;
        *mParts.Get()->mLayers[index] = *pOther->mParts.Get()->mLayers[i];
    }
}

// ---- Entity ----

void KQelLayerContainer::SetEntity(KQelEntity* pEntity)
{
    if (pEntity == GetEntity())
        return;
    UnsetEntity();
    if (!pEntity)
        return;
    Own().mEntity = pEntity;
    UpdateEntityUses(true);
}

void KQelLayerContainer::UnsetEntity()
{
    if (!GetEntity())
        return;
    UpdateEntityUses(false);
    mParts.Get()->mEntity = nullptr;
}

void KQelLayerContainer::UpdateEntityUses(bool pAdd)
{
    const Parts& parts = Read();
    for (int i = 0; i < parts.mLayers.GetCount(); ++i) {
        UseObjects(parts.mEntity, parts.mLayers[i]->GetMaterials(), pAdd);
        UseObjects(parts.mEntity, parts.mLayers[i]->GetTextures(), pAdd);
    }
}

}  // namespace qelsdk_600
