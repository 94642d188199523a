// Layers of a geometry and the elements they hold: normals, materials,
// textures, polygon groups, UVs and vertex colours.
#ifndef QELSDK_CONTENT_KQELLAYER_H
#define QELSDK_CONTENT_KQELLAYER_H

#include "base/karraytemplate.h"
#include "base/ktypes.h"
#include "content/kqelcolor.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQelMaterial;
class KQelTexture;

// Head of every layer element: how its values map onto the geometry and how
// they are addressed. A new element maps nothing (eNoMappingInformation) and
// is addressed directly (eDirect).
class KQelLayerElement {
public:
    // How values map onto the geometry. File tokens: "NoMappingInformation",
    // "ByVertice", "ByPolygonVertex", "ByPolygon", "AllSame".
    enum EMappingMode : kInt {
        eNoMappingInformation = 0,
        eByControlPoint = 1,   // one value per control point
        eByPolygonVertex = 2,  // one value per polygon corner, in corner order
        eByPolygon = 3,        // one value per polygon
        eAllSame = 4           // one value for the whole geometry
    };
    // How a mapped item finds its value. File tokens: "Direct", "Index",
    // "IndexToDirect".
    enum EReferenceMode : kInt {
        eDirect = 0,        // item i uses direct entry i
        eIndex = 1,         // item i uses index entry i (materials, textures:
                            // among the objects connected to the node)
        eIndexToDirect = 2  // item i uses the direct entry that index entry i names
    };
    // The slot of an element kind in a layer; not stored in the element.
    enum ELayerElementType : kInt {
        eNormal = 1,
        eMaterial = 2,
        eTexture = 3,
        ePolygonGroup = 4,
        eUV = 5,
        eVertexColor = 6
    };

    KQelLayerElement() : mMappingMode(eNoMappingInformation), mReferenceMode(eDirect) {}
    virtual ~KQelLayerElement() {}

    EMappingMode GetMappingMode() const { return mMappingMode; }
    void SetMappingMode(EMappingMode pMode) { mMappingMode = pMode; }
    EReferenceMode GetReferenceMode() const { return mReferenceMode; }
    void SetReferenceMode(EReferenceMode pMode) { mReferenceMode = pMode; }

    // File token of a mapping mode; "NoMappingInformation" outside 0 to 4.
    static const char* GetMappingModeToken(int pMode);
    // File token of a reference mode; "Direct" for anything but 1 and 2.
    static const char* GetReferenceModeToken(int pMode);

protected:
    EMappingMode mMappingMode;
    EReferenceMode mReferenceMode;
};

// An element with a direct array of T and an index array, both owned and
// growing by blocks of 16 items. Pointer items (materials, textures) are not
// owned: those objects belong to the manager.
template <class T>
class KQelLayerElementTemplate : public KQelLayerElement {
public:
    KQelLayerElementTemplate() : mDirectArray(16), mIndexArray(16) {}

    KArrayTemplate<T>& GetDirectArray() { return mDirectArray; }
    const KArrayTemplate<T>& GetDirectArray() const { return mDirectArray; }
    KArrayTemplate<int>& GetIndexArray() { return mIndexArray; }
    const KArrayTemplate<int>& GetIndexArray() const { return mIndexArray; }

    // Modes and both arrays of the other element (each array emptied, given
    // the other's block size, then filled in order). Pointers are copied as
    // pointers. Itself: nothing.
    KQelLayerElementTemplate& operator=(const KQelLayerElementTemplate& pOther)
    {
        if (this != &pOther) {
            mMappingMode = pOther.mMappingMode;
            mReferenceMode = pOther.mReferenceMode;
            mDirectArray = pOther.mDirectArray;
            mIndexArray = pOther.mIndexArray;
        }
        return *this;
    }

private:
    KArrayTemplate<T> mDirectArray;
    KArrayTemplate<int> mIndexArray;
};

// The texture element: texture pointers with a blend mode and an alpha. A new
// one is addressed eIndexToDirect, blends eTranslucent, alpha 1.0.
class KQelLayerElementTexture : public KQelLayerElementTemplate<KQelTexture*> {
public:
    // How the texture blends with what lies below. File tokens:
    // "Translucent", "Add", "Modulate", "Modulate2", "MaxBlend".
    enum EBlendMode : kInt { eTranslucent = 0, eAdd = 1, eModulate = 2, eModulate2 = 3, eMaxBlend = 4 };

    KQelLayerElementTexture() : mBlendMode(eTranslucent), mAlpha(1.0) { mReferenceMode = eIndexToDirect; }

    EBlendMode GetBlendMode() const { return mBlendMode; }
    void SetBlendMode(EBlendMode pMode) { mBlendMode = pMode; }
    double GetAlpha() const { return mAlpha; }
    void SetAlpha(double pAlpha) { mAlpha = pAlpha; }

    // File token of a blend mode; "Translucent" outside 0 to 4.
    static const char* GetBlendModeToken(int pMode);

    // The template's copy, then blend mode and alpha. Itself: nothing.
    KQelLayerElementTexture& operator=(const KQelLayerElementTexture& pOther);

private:
    EBlendMode mBlendMode;
    double mAlpha;
};

typedef KQelLayerElementTemplate<KQelVector4> KQelLayerElementNormal;
typedef KQelLayerElementTemplate<KQelMaterial*> KQelLayerElementMaterial;
typedef KQelLayerElementTemplate<int> KQelLayerElementPolygonGroup;
typedef KQelLayerElementTemplate<KQelVector2> KQelLayerElementUV;
typedef KQelLayerElementTemplate<KQelColor> KQelLayerElementVertexColor;

// One layer: at most one element of each of the six kinds, each slot null
// while empty. The layer owns its elements.
class KQelLayer {
public:
    // All six slots empty.
    KQelLayer();
    // Deletes the elements.
    virtual ~KQelLayer();
    KQelLayer(const KQelLayer&) = delete;

    KQelLayerElementNormal* GetNormals() const { return mNormals; }
    KQelLayerElementMaterial* GetMaterials() const { return mMaterials; }
    KQelLayerElementTexture* GetTextures() const { return mTextures; }
    KQelLayerElementPolygonGroup* GetPolygonGroups() const { return mPolygonGroups; }
    KQelLayerElementUV* GetUVs() const { return mUVs; }
    KQelLayerElementVertexColor* GetVertexColors() const { return mVertexColors; }

    // Store an element in its slot; the layer owns it from then on. An
    // element already in the slot is neither deleted nor copied: replace a
    // slot only when it is empty or its element is out of use elsewhere.
    void SetNormals(KQelLayerElementNormal* pElement) { mNormals = pElement; }
    void SetMaterials(KQelLayerElementMaterial* pElement) { mMaterials = pElement; }
    void SetTextures(KQelLayerElementTexture* pElement) { mTextures = pElement; }
    void SetPolygonGroups(KQelLayerElementPolygonGroup* pElement) { mPolygonGroups = pElement; }
    void SetUVs(KQelLayerElementUV* pElement) { mUVs = pElement; }
    void SetVertexColors(KQelLayerElementVertexColor* pElement) { mVertexColors = pElement; }

    // The element of slot pType (KQelLayerElement::ELayerElementType, 1 to
    // 6); null for another value or an empty slot.
    KQelLayerElement* GetLayerElementOfType(int pType) const;

    // Deletes every element; all slots empty.
    void Clear();

    // Clears this layer, then gives it a separate copy of each element of the
    // other (modes, arrays, blend mode and alpha); slots empty there stay
    // empty. Material and texture pointers are copied, not the objects, and
    // nothing is registered with an entity. An element that cannot be
    // allocated leaves its slot empty. Itself: nothing.
    KQelLayer& operator=(const KQelLayer& pOther);

private:
    KQelLayerElementNormal* mNormals;
    KQelLayerElementMaterial* mMaterials;
    KQelLayerElementTexture* mTextures;
    KQelLayerElementPolygonGroup* mPolygonGroups;
    KQelLayerElementUV* mUVs;
    KQelLayerElementVertexColor* mVertexColors;
};

}  // namespace qelsdk_600

#endif
