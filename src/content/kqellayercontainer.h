// The node attribute that owns a geometry's layers.
#ifndef QELSDK_CONTENT_KQELLAYERCONTAINER_H
#define QELSDK_CONTENT_KQELLAYERCONTAINER_H

#include "base/karraytemplate.h"
#include "object/kondemand.h"
#include "content/kqellayer.h"
#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

class KQelEntity;
class KQelMaterial;
class KQelSdkManager;
class KQelTexture;

// Base of every geometry (through KQelGeometryBase: meshes, NURBS surfaces,
// patches, shapes): an ordered list of owned layers, and the scene object
// store (entity) with which the materials and textures of its layers are
// registered. Layer indices passed as unsigned are the file's layer numbers.
// No operation reports an error: lookups answer null, -1 or 0.
class KQelLayerContainer : public KQelNodeAttribute {
public:
    // No entity, no layers.
    explicit KQelLayerContainer(KQelSdkManager& pManager);
    // ClearLayers; the entity registration is not undone.
    ~KQelLayerContainer() override;

    // ---- Layers ----

    // Appends an empty layer; its index (the former count), -1 when it
    // cannot be allocated.
    int CreateLayer();
    // Deletes the layers, last first, with their elements. The entity
    // registration is not touched.
    void ClearLayers();
    int GetLayerCount() const { return Read().mLayers.GetCount(); }
    // Number of layers whose slot pType holds an element.
    int GetLayerCount(KQelLayerElement::ELayerElementType pType) const;
    // Layer pIndex; null out of range.
    KQelLayer* GetLayer(int pIndex) const;
    // Index of the pIndex-th layer (from 0) among those holding an element of
    // pType; -1 when there is none (also for a negative pIndex).
    int GetLayerIndex(int pIndex, KQelLayerElement::ELayerElementType pType) const;
    // GetLayer(GetLayerIndex(pIndex, pType)); null when that is -1.
    KQelLayer* GetLayer(int pIndex, KQelLayerElement::ELayerElementType pType) const;
    // For a layer index in range: the number of layers 0 to pIndex holding an
    // element of pType, minus one (its position among the typed layers, or
    // that of the last typed layer before it, or -1). -1 out of range.
    int GetLayerTypedIndex(int pIndex, KQelLayerElement::ELayerElementType pType) const;

    // ---- Textures (slot 3) and materials (slot 2) of one layer ----

    // Number of textures of layer pLayer: 0 without layer or element; the
    // direct-array count in modes eDirect and eIndexToDirect; in mode eIndex
    // the smaller of the distinct index values and the textures connected to
    // the owning node (0 without node).
    int GTC(unsigned int pLayer);
    // Texture pIndex of layer pLayer: direct entry pIndex in modes eDirect and
    // eIndexToDirect; in mode eIndex the pIndex-th texture connected to the
    // owning node. Null without layer, element or node, or out of range.
    KQelTexture* GT(int pIndex, unsigned int pLayer);
    // Adds a texture (a KQelTexture*) to layer pLayer: creates the layers up
    // to pLayer and the texture element (eIndexToDirect, alpha 1.0) when
    // missing; a texture already in the direct array keeps its index, a new
    // one is registered with the entity and appended. Returns its index. -1,
    // creating nothing, for a null texture, a layer number above INT_MAX or a
    // failed allocation. Mapping mode and index array are left to the caller.
    int AT(void* pTexture, unsigned int pLayer);
    // Index in the direct array of layer pLayer of the first texture whose
    // current name is "Texture::" + pName (PrefixName: a prefix of pName is
    // replaced); -1 without layer, element or match, or for a null name.
    int GTI(const char* pName, unsigned int pLayer);

    // The same for materials ("Material::"), with one difference: AM of a
    // material already in the direct array returns -1 and adds nothing. A
    // material element is created eDirect.
    int GMC(unsigned int pLayer);
    KQelMaterial* GM(int pIndex, unsigned int pLayer);
    int AM(void* pMaterial, unsigned int pLayer);
    int GMI(const char* pName, unsigned int pLayer);

    // ---- Copy ----

    // CopyLayers(&pOther); the manager is not used.
    void Copy(const KQelLayerContainer& pOther, KQelSdkManager& pManager);
    // Replaces the layers by separate copies of the other's (KQelLayer
    // assignment); no entity registration. Itself or null: nothing.
    void CopyLayers(const KQelLayerContainer* pOther);

    // ---- Entity ----

    // Registers the materials and textures of every layer (direct arrays of
    // elements in modes eDirect and eIndexToDirect; null entries skipped)
    // with pEntity, one use each, after UnsetEntity. The entity already set:
    // nothing; null: only UnsetEntity.
    void SetEntity(KQelEntity* pEntity);
    // Drops the uses SetEntity added, from the current entity, and forgets
    // it; nothing without entity.
    void UnsetEntity();
    KQelEntity* GetEntity() const { return Read().mEntity; }

protected:
    // Layer 0, created when there is none; null when it cannot be made.
    KQelLayer* GetOrCreateLayer0();
    // Layer 0's normals, null without them.
    KQelLayerElementNormal* GetLayer0Normals() const;

private:
    // Adds or drops one use of every registered material and texture.
    void UpdateEntityUses(bool pAdd);
    // Layers past pCount are deleted (undoes a partial creation).
    void TruncateLayers(int pCount);
    // Creates layers until pLayer exists; false, creating nothing, when
    // pLayer does not fit an int or an allocation fails.
    bool CreateLayersUpTo(unsigned int pLayer);
    // Layer pLayer, null when absent.
    KQelLayer* GetLayerNumber(unsigned int pLayer) const;

    template <class Kind>
    int Count(unsigned int pLayer);
    template <class Kind>
    typename Kind::Object* Get(int pIndex, unsigned int pLayer);
    template <class Kind>
    int Add(void* pObject, unsigned int pLayer);
    template <class Kind>
    int IndexOf(const char* pName, unsigned int pLayer);

    // Entity and layers: a record made on first use, so that a container
    // that holds neither costs a pointer.
    struct Parts {
        KQelEntity* mEntity = nullptr;
        KArrayTemplate<KQelLayer*> mLayers{16};
    };
    Parts& Own() { return mParts.Make(); }
    const Parts& Read() const { return mParts.Read(); }

    KOnDemand<Parts> mParts;
};

}  // namespace qelsdk_600

#endif
