// The light block: type, cast-light flag and the default-take colour,
// intensity, cone angle and fog of a light, in a node's model block.
#include "content/kqelcolor.h"
#include "content/kqellight.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"

namespace qelsdk_600 {

namespace {

const int kLightVersion = 202;
// Blocks after this version carry the default-take values.
const int kValuesAfter = 201;

// The default-take values after the colour, in writing order.
const struct LightValue {
    const char* mKey;
    double (KQelLight::*mGet)() const;
    void (KQelLight::*mSet)(double);
} kLightValues[] = {
    {"Intensity", &KQelLight::GetDefaultIntensity, &KQelLight::SetDefaultIntensity},
    {"ConeAngle", &KQelLight::GetDefaultConeAngle, &KQelLight::SetDefaultConeAngle},
    {"Fog", &KQelLight::GetDefaultFog, &KQelLight::SetDefaultFog},
};

}  // namespace

bool KQelWriterQel::WriteKQelLight(KQelLight& pLight)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Light");
    native_detail::WriteFieldC(file, "TypeFlags", "Light");
    native_detail::WriteFieldI(file, "GeometryVersion", 123);
    native_detail::WriteFieldI(file, "LightTypeVersion", kLightVersion);
    native_detail::WriteFieldI(file, "LightType", pLight.GetLightType());
    native_detail::WriteFieldI(file, "CastLight", pLight.GetCastLight() ? 1 : 0);
    KQelColor color;
    pLight.GetDefaultColor(color);
    const double rgb[3] = {color.mRed, color.mGreen, color.mBlue};
    native_detail::WriteFieldDn(file, "Color", rgb, 3);
    for (const LightValue& value : kLightValues)
        native_detail::WriteFieldD(file, value.mKey, (pLight.*value.mGet)());
    return true;
}

bool KQelReaderQel::ReadKQelLight(KQelLight& pLight)
{
    KQel& file = File();
    if (file.FieldReadI("LightTypeVersion", 0) > kValuesAfter) {
        if (file.FieldReadBegin("Color")) {
            const double red = file.FieldReadD();
            const double green = file.FieldReadD();
            const double blue = file.FieldReadD();
            file.FieldReadEnd();
            KQelColor color(red, green, blue, 1.0);
            pLight.SetDefaultColor(color);
        }
        for (const LightValue& value : kLightValues)
            (pLight.*value.mSet)(file.FieldReadD(value.mKey, 0.0));
    }
    // A type outside the list counts as absent.
    const int type = file.FieldReadI("LightType", KQelLight::ePoint);
    pLight.SetLightType(type >= KQelLight::ePoint && type <= KQelLight::eSpot ? static_cast<KQelLight::ELightType>(type)
                                                                               : KQelLight::ePoint);
    pLight.SetCastLight(file.FieldReadI("CastLight", 1) != 0);
    return true;
}

}  // namespace qelsdk_600
