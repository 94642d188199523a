// The light attribute: point, infinite or spot light source.
#ifndef QELSDK_CONTENT_KQELLIGHT_H
#define QELSDK_CONTENT_KQELLIGHT_H

#include <memory>

#include "base/kstring.h"
#include "content/kqelcolor.h"
#include "object/kobject.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

class KProperty;
class KQelLightProperties;

// Attribute type 9. The kind, the display and casting flags and the gobo
// file name are the light's own; its four animatable values (colour,
// intensity, cone angle, fog) are properties of its set mirrored by curves
// of the same names in every take of the node that carries it: binding
// builds those curves anew with the default values in each take (the
// "Default" take's curves then drive the properties), unbinding removes
// them. Operations report no failure; values are stored unchecked.
class KQelLight : public KQelNodeAttribute {
public:
    // Kinds; a value outside them is stored as given (no text).
    enum ELightType : int { ePoint = 0, eInfinite = 1, eSpot = 2 };

    // Unbound point light casting light, with ground and volumetric
    // projection and without front volumetric projection, no file name,
    // colour (1, 1, 1), intensity 100, cone angle 45 (degrees), fog 50.
    explicit KQelLight(KQelSdkManager& pManager);
    // Destroys the property set.
    ~KQelLight() override;

    EAttributeType GetAttributeType() const override { return eLight; }
    // Builds, in one take, "Color" with the curves "X", "Y", "Z", then
    // "Intensity", "Cone angle" and "Fog" (each found or made), with default
    // values 1, 1, 1, 100, 45, 50 whatever they were, and their display
    // colours; keys are left alone. In the take "Default" of a bound light
    // the curves are first tied to the properties of the same names, so the
    // properties take those values too.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Deletes "Color", "Intensity", "Cone angle" and "Fog" from one take;
    // missing ones are passed over, other curves stay.
    void RemoveChannels(KQelTakeNode* pTakeNode) override;
    // Appends the set's ten properties, in order, to the
    // KArrayTemplate<KProperty*> that pList points to.
    void FillPropertyList(void* pList) override;
    // "Light".
    KString GetTypeName() override;
    // One entry, "Light" (reference 0).
    KStringList GetTypeFlags() override;

    // Flags and kind: stored and read directly, without the properties'
    // change notifications.
    void SetLightType(ELightType pType);
    ELightType GetLightType() const;
    void SetCastLight(bool pCastLight);
    bool GetCastLight() const;
    void SetGroundProjection(bool pGroundProjection);
    bool GetGroundProjection() const;
    void SetVolumetricProjection(bool pVolumetricProjection);
    bool GetVolumetricProjection() const;
    void SetFrontVolumetricProjection(bool pFrontVolumetricProjection);
    bool GetFrontVolumetricProjection() const;

    // The gobo image (the picture the light projects). Keeps a copy; null
    // counts as empty. Always true.
    bool SetFileName(const char* pFileName);
    // The stored name, or null when it is empty. Valid until the next
    // SetFileName.
    const char* GetFileName() const;

    // The animatable values. A setter writes the curve of the node's take
    // "Default" when the light is bound (curve values are single precision)
    // and the property in every case. A getter reads that curve, or the
    // property when the light is unbound or the curve is missing.
    // GetDefaultColor writes red, green and blue of pColor directly (no
    // clamping; alpha untouched) and returns it.
    void SetDefaultColor(const KQelColor& pColor);
    KQelColor& GetDefaultColor(KQelColor& pColor) const;
    void SetDefaultIntensity(double pIntensity);
    double GetDefaultIntensity() const;
    void SetDefaultConeAngle(double pConeAngle);
    double GetDefaultConeAngle() const;
    void SetDefaultFog(double pFog);
    double GetDefaultFog() const;

    // Copies the kind, the cast-light flag, the file name and the three
    // projection flags. Colour, intensity, cone angle and fog belong to the
    // node's takes and stay, as do the node and the manager.
    KQelLight& operator=(const KQelLight& pOther);

    KQelLightProperties* GetPropertyHandler() const { return mProperties; }

private:
    // The values of consecutive channels (see the source's table) from
    // pFirst: curves of the bound node's take "Default", then the property.
    void SetDefaultValues(int pFirst, const double* pValues, int pCount);
    double GetDefaultValue(int pChannel) const;

    KQelLightProperties* mProperties;
    std::unique_ptr<KString> mFileName;  // null while empty
};

// Properties of a light, in registration order; the four animated ones are
// made after the members.
#define QEL_LIGHT_PROPERTIES(V, E, L, A)                                                              \
    E(::qelsdk_600::KQelLight::ELightType, LightType, "LightType", LightTypeAsString,                 \
      ::qelsdk_600::KQelLight::ePoint, 0)                                                             \
    V(bool, CastLightOnObject, "CastLightOnObject", false, 0)                                         \
    V(bool, DrawVolumetricLight, "DrawVolumetricLight", false, 0)                                     \
    V(bool, DrawGroundProjection, "DrawGroundProjection", false, 0)                                   \
    V(bool, DrawFrontFacingVolumetricLight, "DrawFrontFacingVolumetricLight", false, 0)               \
    L(GoboProperty, "GoboProperty", ::qelsdk_600::KQelLightProperties, 1, ::qelsdk_600::KPlug::eDirectionSrc, 0) \
    A("Color", "Color")                                                                               \
    A("Intensity", "Intensity")                                                                       \
    A("Cone angle", "Cone angle")                                                                     \
    A("Fog", "Fog")

// The property set of a light: "LightType" (texts from LightTypeAsString),
// the four display flags, the object list "GoboProperty" (objects of this
// class only), then the animated "Color" (three doubles), "Intensity",
// "Cone angle" and "Fog". Values as constructed are zero or false; the light
// sets its defaults.
class KQelLightProperties : public KObject {
    QEL_CLASS_IDENTITY(KQelLightProperties)

public:
    KQelLightProperties();
    ~KQelLightProperties() override;

    // "Point Light", "Infinite Light", "Spot Light"; null for other values.
    static const char* LightTypeAsString(KQelLight::ELightType pType);

    QEL_PROPERTY_SET_BODY(QEL_LIGHT_PROPERTIES)
};

}  // namespace qelsdk_600

#endif
