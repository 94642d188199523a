// Materials: how a surface is shaded, as seven animatable values.
#ifndef QELSDK_CONTENT_KQELMATERIAL_H
#define QELSDK_CONTENT_KQELMATERIAL_H

#include "base/kerror.h"
#include "base/kstring.h"
#include "content/kqelcolor.h"
#include "math/kgevector.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenodecontainer.h"

namespace qelsdk_600 {

class KQelMaterial;

// Properties of a material, in registration order: four colours (three
// doubles each) and three factors. "Shininess" holds the shininess times
// 128. None clamps.
#define QEL_MATERIAL_PROPERTIES(V, E, L, A)                                                 \
    V(::qelsdk_600::KgeRGBVector, Emissive, "Emissive", ::qelsdk_600::KgeRGBVector(0.0, 0.0, 0.0), 0) \
    V(::qelsdk_600::KgeRGBVector, Ambient, "Ambient", ::qelsdk_600::KgeRGBVector(0.2, 0.2, 0.2), 0)   \
    V(::qelsdk_600::KgeRGBVector, Diffuse, "Diffuse", ::qelsdk_600::KgeRGBVector(0.8, 0.8, 0.8), 0)   \
    V(::qelsdk_600::KgeRGBVector, Specular, "Specular", ::qelsdk_600::KgeRGBVector(0.2, 0.2, 0.2), 0) \
    V(double, Opacity, "Opacity", 1.0, 0)                                                   \
    V(double, Reflectivity, "Reflectivity", 0.3, 0)                                         \
    V(double, Shininess, "Shininess", 6.4, 0)

// The property set of a material. Its properties mirror the curves of the
// material's take "Default" (the curves drive them). Connecting the set as a
// source of a node's set makes the node's scene know the material.
class KQelMaterialProperties : public KQelOwnedPropertyHandler {
    QEL_CLASS_IDENTITY(KQelMaterialProperties)

public:
    explicit KQelMaterialProperties(KQelMaterial* pOwner);
    ~KQelMaterialProperties() override;

    // On connection as a source (action 5) to the set of a node that has an
    // object store holding no material of this material's name (exact case):
    // the store adds the material. Any other peer is left alone. Then
    // KObject's reaction, whose answer it returns.
    bool PlugNotify(KPlugCallstack* pStack, kPlugAction pAction, KPlug* pPlug, int pIndex, KPlug* pOther,
                    kConnectionType pType, KPlug* pNewPlug) override;

    // The owning material, as the container.
    KQelTakeNodeContainer* GetKQelMaterial() { return GetKQelObject(); }

    QEL_PROPERTY_SET_BODY(QEL_MATERIAL_PROPERTIES)
};

// A material of name space 3 ("Material::"): a shading-model name, a
// multi-layer flag and seven animatable values held by the curves of its
// take "Default", whatever the current take is. Curve values are single
// precision. Made and destroyed by the manager only (CreateKQelMaterial).
// Its KError holds one message, 0 "Take node error", set only by the take
// operations.
class KQelMaterial : public KQelTakeNodeContainer {
public:
    // The property set, then the take "Default" with its seven curves (from
    // the set's values), then Init.
    KQelMaterial(KQelSdkManager& pManager, const char* pName);
    // Destroys the property set first, then the takes.
    ~KQelMaterial() override;

    // ---- Overrides ----

    // Tears down the property set's connections and properties.
    void Destruct() override;
    ENameSpace GetNameSpace() const override { return eMaterial; }
    KQelMaterialProperties* GetPropertyHandler() override { return mProperties; }
    // Empty.
    KString GetTypeName() override;
    // Empty.
    KStringList GetTypeFlags() override;
    // In order: "Emissive", "Ambient", "Diffuse", "Specular" (Color, curves
    // "X", "Y", "Z"), "Opacity", "Reflectivity", "Shininess" (Number, one
    // curve each), valued from the properties, which become animatable and
    // animated. In a take named "Default" (any case) each curve drives its
    // property member.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // The manager's user property over pProperty.
    KQelUserProperty* CreateKQelUserProperty(KProperty* pProperty) override;

    // ---- Life ----

    // Shading model "phong", not multi-layer.
    void Init();
    // Every take made anew from the current property values, then Init.
    void Reset();
    // The takes and the shading model of the other; the multi-layer flag
    // stays.
    KQelMaterial& operator=(KQelMaterial& pOther);
    KQelMaterial& operator=(const KQelMaterial&) = delete;
    // True when names (exact), the four colours of the take "Default"
    // (red, green, blue, exactly), the default opacity, shininess and
    // reflectivity (exactly) and the shading models (any case) agree; a NaN
    // makes them unequal. Other takes and the multi-layer flag do not count.
    bool operator==(KQelMaterial& pOther);

    // ---- Values ----

    // A copy of the text (null: empty).
    void SetShadingModel(const char* pShadingModel);
    const char* GetShadingModel() const { return mShadingModel.Buffer(); }
    void SetMultiLayer(bool pMultiLayer) { mMultiLayer = pMultiLayer; }
    bool GetMultiLayer() const { return mMultiLayer; }

    // Red, green and blue into the curves, unclamped; alpha ignored.
    void SetDefaultEmissiveColor(const KQelColor& pColor);
    void SetDefaultAmbientColor(const KQelColor& pColor);
    void SetDefaultDiffuseColor(const KQelColor& pColor);
    void SetDefaultSpecularColor(const KQelColor& pColor);
    // Red, green and blue of pColor from the curves (alpha untouched);
    // returns pColor.
    KQelColor& GetDefaultEmissiveColor(KQelColor& pColor);
    KQelColor& GetDefaultAmbientColor(KQelColor& pColor);
    KQelColor& GetDefaultDiffuseColor(KQelColor& pColor);
    KQelColor& GetDefaultSpecularColor(KQelColor& pColor);
    // Clamped to [0, 1].
    void SetDefaultOpacity(double pOpacity);
    double GetDefaultOpacity();
    void SetDefaultReflectivity(double pReflectivity);
    double GetDefaultReflectivity();
    // On the scale [0, 1], clamped; the curve holds it times 128.
    void SetDefaultShininess(double pShininess);
    double GetDefaultShininess();

    // Short forms of the default operations; the getters answer alpha 1.
    void SetEmissive(const KQelColor& pColor) { SetDefaultEmissiveColor(pColor); }
    void SetAmbient(const KQelColor& pColor) { SetDefaultAmbientColor(pColor); }
    void SetDiffuse(const KQelColor& pColor) { SetDefaultDiffuseColor(pColor); }
    void SetSpecular(const KQelColor& pColor) { SetDefaultSpecularColor(pColor); }
    KQelColor GetEmissive();
    KQelColor GetAmbient();
    KQelColor GetDiffuse();
    KQelColor GetSpecular();
    void SetOpacity(double pOpacity) { SetDefaultOpacity(pOpacity); }
    void SetShininess(double pShininess) { SetDefaultShininess(pShininess); }
    void SetReflectivity(double pReflectivity) { SetDefaultReflectivity(pReflectivity); }
    double GetOpacity() { return GetDefaultOpacity(); }
    double GetShininess() { return GetDefaultShininess(); }
    double GetReflectivity() { return GetDefaultReflectivity(); }

    // The class id of KQelMaterialProperties, by which layer elements and
    // writers tell materials.
    int GetClassID() const;

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    // Marks the properties the channels mirror animatable and animated.
    void MarkChannelProperties();
    // Curves of the take "Default" from value pValue (see the source's
    // table); components absent from the take are skipped (read as 0).
    void SetDefaultValue(int pValue, const double* pComponents);
    void GetDefaultValue(int pValue, double* pComponents);
    void SetColorValue(int pValue, const KQelColor& pColor);
    KQelColor& GetColorValue(int pValue, KQelColor& pColor);

    KString mShadingModel;
    KQelMaterialProperties* mProperties;
    KError mError;
    bool mMultiLayer;
};

}  // namespace qelsdk_600

#endif
