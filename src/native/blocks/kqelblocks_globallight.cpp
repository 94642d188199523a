// Global light settings: "AmbientRenderSettings", "FogOptions" and
// "ShadowPlanes".
#include "content/kqelgloballightsettings.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

typedef KQelGlobalLightSettings::KQelShadowPlane Plane;

const char kDashes[] = "----------------------------------------------------";

void WriteShadowPlaneSection(KQel& pFile, KQelGlobalLightSettings& pSettings)
{
    pFile.WriteComments("Shadow Planes Section ");
    pFile.WriteComments(kDashes);
    native_detail::WriteFieldI(pFile, "Version", 108);
    const int count = pSettings.GetShadowPlaneCount();
    native_detail::WriteFieldI(pFile, "Count", count);
    for (int i = 0; i < count; ++i) {
        const Plane& plane = *pSettings.GetShadowPlane(i);
        pFile.FieldWriteBegin("Plane");
        for (int k = 0; k < 3; ++k)
            pFile.FieldWriteD(plane.mOrigin[k]);
        for (int k = 0; k < 3; ++k)
            pFile.FieldWriteD(plane.mNormal[k]);
        pFile.FieldWriteI(plane.mEnable ? 1 : 0);
        pFile.FieldWriteEnd();
    }
    native_detail::WriteFieldI(pFile, "UseShadow", pSettings.GetShadowEnable() ? 1 : 0);
    native_detail::WriteFieldD(pFile, "ShadowIntensity", pSettings.GetShadowIntensity());
}

void ReadAmbientColor(KQel& pFile, KQelGlobalLightSettings& pSettings)
{
    native_detail::ReadBlock block(pFile, "AmbientRenderSettings");
    if (!block.IsOpen() || !pFile.FieldReadBegin("AmbientLightColor"))
        return;
    double c[4];
    for (double& v : c)
        v = pFile.FieldReadD();
    pFile.FieldReadEnd();
    pSettings.SetAmbientColor(KQelColor(c[0], c[1], c[2], c[3]));
}

void ReadFogOption(KQel& pFile, KQelGlobalLightSettings& pSettings)
{
    native_detail::ReadBlock block(pFile, "FogOptions");
    if (!block.IsOpen())
        return;
    pSettings.SetFogEnable(pFile.FieldReadI("FlogEnable", 0) != 0);
    pSettings.SetFogMode(static_cast<KQelGlobalLightSettings::EFogMode>(pFile.FieldReadI("FogMode", 0)));
    pSettings.SetFogDensity(pFile.FieldReadD("FogDensity", 0.0));
    // Each limited by the other as it stands: start first, then end.
    pSettings.SetFogStart(pFile.FieldReadD("FogStart", 0.0));
    pSettings.SetFogEnd(pFile.FieldReadD("FogEnd", 0.0));
    if (pFile.FieldReadBegin("FogColor")) {
        double c[3];
        for (double& v : c)
            v = pFile.FieldReadD();
        pFile.FieldReadEnd();
        pSettings.SetFogColor(KQelColor(c[0], c[1], c[2], 1.0));
    }
}

void ReadShadowPlane(KQel& pFile, KQelGlobalLightSettings& pSettings)
{
    pSettings.RemoveAllShadowPlanes();
    native_detail::ReadBlock block(pFile, "ShadowPlanes");
    if (!block.IsOpen())
        return;
    const int count = pFile.FieldReadI("Count", 0);
    if (count <= 0)
        return;
    // The count only bounds the planes: the first missing "Plane" ends them,
    // so a huge count costs nothing.
    for (int i = 0; i < count && pFile.FieldReadBegin("Plane"); ++i) {
        Plane plane;
        for (int k = 0; k < 3; ++k)
            plane.mOrigin[k] = pFile.FieldReadD();
        for (int k = 0; k < 3; ++k)
            plane.mNormal[k] = pFile.FieldReadD();
        plane.mEnable = pFile.FieldReadI() != 0;
        pSettings.AddShadowPlane(plane);
        pFile.FieldReadEnd();
    }
    pSettings.SetShadowEnable(pFile.FieldReadI("UseShadow", 0) != 0);
    pSettings.SetShadowIntensity(pFile.FieldReadD("ShadowIntensity", 0.0));
}

}  // namespace

bool KQelWriterQel::WriteGlobalLightSettings(KQelScene& pScene)
{
    KQelGlobalLightSettings& settings = *pScene.GetGlobalLightSettings();
    KQel& file = File();
    {
        native_detail::WriteBlock block(file, "AmbientRenderSettings");
        native_detail::WriteFieldI(file, "Version", 101);
        const KQelColor ambient = settings.GetAmbientColor();
        const double values[4] = {ambient.mRed, ambient.mGreen, ambient.mBlue, ambient.mAlpha};
        native_detail::WriteFieldDn(file, "AmbientLightColor", values, 4);
    }
    {
        native_detail::WriteBlock block(file, "FogOptions");
        native_detail::WriteFieldI(file, "FlogEnable", settings.GetFogEnable() ? 1 : 0);
        native_detail::WriteFieldI(file, "FogMode", settings.GetFogMode());
        native_detail::WriteFieldD(file, "FogDensity", settings.GetFogDensity());
        native_detail::WriteFieldD(file, "FogStart", settings.GetFogStart());
        native_detail::WriteFieldD(file, "FogEnd", settings.GetFogEnd());
        const KQelColor fog = settings.GetFogColor();
        const double values[4] = {fog.mRed, fog.mGreen, fog.mBlue, 1.0};
        native_detail::WriteFieldDn(file, "FogColor", values, 4);
    }
    if (settings.GetShadowPlaneCount() > 0) {
        native_detail::WriteBlock block(file, "ShadowPlanes");
        WriteShadowPlaneSection(file, settings);
    }
    return true;
}

void KQelReaderQel::ReadGlobalLightSettings(KQelScene& pScene)
{
    KQelGlobalLightSettings& settings = *pScene.GetGlobalLightSettings();
    settings.RestoreDefaultSettings();
    ReadAmbientColor(File(), settings);
    ReadFogOption(File(), settings);
    ReadShadowPlane(File(), settings);
}

}  // namespace qelsdk_600
