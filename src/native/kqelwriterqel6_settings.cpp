// The global settings blocks of "Version5".
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "file/iqelobject.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

bool KQelWriterQel6::WriteGlobalLightSettings(KQelScene& pScene)
{
    WriteAmbientColor(pScene);
    WriteFogOption(pScene);
    WriteShadowPlane(pScene);
    return true;
}

bool KQelWriterQel6::WriteAmbientColor(KQelScene& pScene)
{
    const KQelColor ambient = pScene.GetGlobalLightSettings()->GetAmbientColor();
    const double rgba[4] = {ambient.mRed, ambient.mGreen, ambient.mBlue, ambient.mAlpha};
    BlockBegin("AmbientRenderSettings");
    FieldI("Version", 101);
    FieldDn("AmbientLightColor", rgba, 4);
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteFogOption(KQelScene& pScene)
{
    const KQelGlobalLightSettings& light = *pScene.GetGlobalLightSettings();
    const KQelColor fog = light.GetFogColor();
    // The fog colour's own alpha is not stored.
    const double rgba[4] = {fog.mRed, fog.mGreen, fog.mBlue, 1.0};
    BlockBegin("FogOptions");
    FieldI("FlogEnable", light.GetFogEnable() ? 1 : 0);
    FieldI("FogMode", light.GetFogMode());
    FieldD("FogDensity", light.GetFogDensity());
    FieldD("FogStart", light.GetFogStart());
    FieldD("FogEnd", light.GetFogEnd());
    FieldDn("FogColor", rgba, 4);
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteShadowPlane(KQelScene& pScene)
{
    if (pScene.GetGlobalLightSettings()->GetShadowPlaneCount() <= 0)
        return true;
    BlockBegin("ShadowPlanes");
    WriteShadowPlaneSection(pScene);
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteShadowPlaneSection(KQelScene& pScene)
{
    KQelGlobalLightSettings& light = *pScene.GetGlobalLightSettings();
    Banner("Shadow Planes Section ", 52, false, false);
    FieldI("Version", 108);
    const int count = light.GetShadowPlaneCount();
    FieldI("Count", count);
    for (int i = 0; i < count; ++i) {
        const KQelGlobalLightSettings::KQelShadowPlane* plane = light.GetShadowPlane(i);
        if (!plane)
            continue;
        File().FieldWriteBegin("Plane");
        for (int axis = 0; axis < 3; ++axis)
            File().FieldWriteD(plane->mOrigin[axis]);
        for (int axis = 0; axis < 3; ++axis)
            File().FieldWriteD(plane->mNormal[axis]);
        File().FieldWriteI(plane->mEnable ? 1 : 0);
        File().FieldWriteEnd();
    }
    FieldI("UseShadow", light.GetShadowEnable() ? 1 : 0);
    FieldD("ShadowIntensity", light.GetShadowIntensity());
    return true;
}

bool KQelWriterQel6::WriteGlobalTimeSettings(KQelScene& pScene)
{
    KQelGlobalTimeSettings& time = *pScene.GetGlobalTimeSettings();
    BlockBegin("Settings");
    FieldC("FrameRate", KTime_GetGlobalFrameRateString(time.GetTimeMode()));
    FieldI("TimeFormat", time.GetTimeProtocol());
    FieldI("SnapOnFrames", time.GetSnapOnFrameMode());
    FieldI("ReferenceTimeIndex", time.GetCurrentTimeMarker());
    // The markers themselves, as the older layout stores them, so that the
    // index above has something to point at.
    for (int i = 0, n = time.GetTimeMarkerCount(); i < n; ++i) {
        const KQelGlobalTimeSettings::KQelTimeMarker* marker = time.GetTimeMarker(i);
        if (!marker)
            continue;
        File().FieldWriteBegin("TimeMarker");
        File().FieldWriteC(marker->mName.Buffer());
        File().FieldWriteBlockBegin();
        File().FieldWriteBegin("Time");
        File().FieldWriteT(marker->mTime);
        File().FieldWriteEnd();
        FieldI("Loop", marker->mLoop ? 1 : 0);
        BlockEnd();
    }
    BlockEnd();
    return true;
}

bool KQelWriterQel6::WriteGlobalCameraSettings(KQelScene& pScene)
{
    const KQelGlobalCameraSettings& camera = *pScene.GetGlobalCameraSettings();
    BlockBegin("RendererSetting");
    FieldC("DefaultCamera", camera.GetDefaultCamera());
    FieldI("DefaultViewingMode", camera.GetDefaultViewingMode());
    BlockEnd();
    return true;
}

}  // namespace qelsdk_600
