#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef KQelGlobalLightSettings::KQelShadowPlane ShadowPlane;
typedef KQelGlobalTimeSettings::KQelTimeMarker TimeMarker;

TEST(GlobalLightSettings, DefaultsAndBoundedSetters)
{
    KQelGlobalLightSettings light;
    EXPECT_TRUE(light.GetAmbientColor() == KQelColor(0.4, 0.4, 0.4, 0.0));
    EXPECT_TRUE(light.GetFogColor() == KQelColor(1, 1, 1, 0));
    EXPECT_FALSE(light.GetFogEnable());
    EXPECT_EQ(light.GetFogStart(), 0.3);
    EXPECT_EQ(light.GetFogEnd(), 1000.0);
    EXPECT_EQ(light.GetFogDensity(), 0.002);
    EXPECT_EQ(light.GetShadowIntensity(), 0.0);
    EXPECT_EQ(light.GetShadowPlaneCount(), 0);

    const struct {
        void (KQelGlobalLightSettings::*set)(double);
        double (KQelGlobalLightSettings::*get)() const;
        double value;
        double stored;
    } cases[] = {
        {&KQelGlobalLightSettings::SetFogStart, &KQelGlobalLightSettings::GetFogStart, 2000, 1000},
        {&KQelGlobalLightSettings::SetFogStart, &KQelGlobalLightSettings::GetFogStart, -5, 0},
        {&KQelGlobalLightSettings::SetFogEnd, &KQelGlobalLightSettings::GetFogEnd, 0.1, 0.3},
        {&KQelGlobalLightSettings::SetShadowIntensity, &KQelGlobalLightSettings::GetShadowIntensity, 500, 300},
        {&KQelGlobalLightSettings::SetShadowIntensity, &KQelGlobalLightSettings::GetShadowIntensity, -1, 0},
        {&KQelGlobalLightSettings::SetFogDensity, &KQelGlobalLightSettings::GetFogDensity, -4, -4},
    };
    for (const auto& c : cases) {
        light.RestoreDefaultSettings();
        (light.*c.set)(c.value);
        EXPECT_EQ((light.*c.get)(), c.stored) << c.value;
    }
    light.SetAmbientColor(KQelColor(2, 0.5, -1, 1));
    EXPECT_TRUE(light.GetAmbientColor() == KQelColor(1, 0.5, 0, 1));
}

TEST(GlobalLightSettings, ShadowPlanesAreCopiedAndIndexed)
{
    KQelGlobalLightSettings light;
    EXPECT_EQ(light.GetShadowPlane(0), nullptr);
    EXPECT_STREQ(light.GetLastErrorString(), "Index out of range.");
    light.AddShadowPlane(ShadowPlane());
    ShadowPlane raised;
    raised.mEnable = false;
    raised.mOrigin = KQelVector4(0, 5, 0, 0);
    light.AddShadowPlane(raised);
    ASSERT_EQ(light.GetShadowPlaneCount(), 2);
    EXPECT_TRUE(light.GetShadowPlane(0)->mEnable);
    EXPECT_EQ(light.GetShadowPlane(0)->mNormal[1], 1.0);
    EXPECT_EQ(light.GetShadowPlane(0)->mNormal[3], 0.0);
    EXPECT_EQ(light.GetShadowPlane(1)->mOrigin[1], 5.0);
    EXPECT_EQ(light.GetShadowPlane(-1), nullptr);
    EXPECT_EQ(light.GetShadowPlane(2), nullptr);

    KQelGlobalLightSettings copy;
    copy.AddShadowPlane(ShadowPlane());
    copy.SetShadowIntensity(50);
    light.SetFogEnable(true);
    copy = light;
    EXPECT_EQ(copy.GetShadowPlaneCount(), 2);
    EXPECT_FALSE(copy.GetShadowPlane(1)->mEnable);
    EXPECT_EQ(copy.GetShadowIntensity(), 0.0);
    EXPECT_TRUE(copy.GetFogEnable());

    KQelGlobalLightSettings& alias = light;
    light = alias;
    EXPECT_EQ(light.GetShadowPlaneCount(), 2);
    light.RestoreDefaultSettings();
    EXPECT_EQ(light.GetShadowPlaneCount(), 0);
}

TEST(GlobalTimeSettings, ModeAndProtocolFallBackToTheProcessWideOnes)
{
    KQelGlobalTimeSettings time;
    EXPECT_EQ(time.GetTimeMode(), KTime::eFRAMES30);
    EXPECT_EQ(time.GetTimeProtocol(), KTime::eFRAME);
    EXPECT_FALSE(time.GetSnapOnFrame());
    EXPECT_EQ(time.GetTimeMarkerCount(), 0);
    EXPECT_EQ(time.GetCurrentTimeMarker(), -1);

    const KTime::ETimeMode globalMode = KTime::GetGlobalTimeMode();
    const KTime::ETimeProtocol globalProtocol = KTime::GetGlobalTimeProtocol();
    ASSERT_TRUE(KTime::SetGlobalTimeMode(KTime::ePAL));
    ASSERT_TRUE(KTime::SetGlobalTimeProtocol(KTime::eSMPTE));
    time.SetTimeMode(KTime::eDEFAULT_MODE);
    time.SetTimeProtocol(KTime::eDEFAULT_PROTOCOL);
    EXPECT_EQ(time.GetTimeMode(), KTime::ePAL);
    EXPECT_EQ(time.GetTimeProtocol(), KTime::eSMPTE);
    time.SetTimeMode(KTime::eFRAMES60);
    EXPECT_EQ(time.GetTimeMode(), KTime::eFRAMES60);
    KTime::SetGlobalTimeMode(globalMode);
    KTime::SetGlobalTimeProtocol(globalProtocol);

    time.SetSnapOnFrameMode(static_cast<KQelGlobalTimeSettings::ESnapOnFrameMode>(3));
    EXPECT_TRUE(time.GetSnapOnFrame());
    time.SetSnapOnFrame(false);
    EXPECT_EQ(time.GetSnapOnFrameMode(), KQelGlobalTimeSettings::eNoSnap);
    time.SetSnapOnFrame(true);
    EXPECT_EQ(time.GetSnapOnFrameMode(), KQelGlobalTimeSettings::eSnapOnFrame);
}

TEST(GlobalTimeSettings, MarkersAndTheCurrentOne)
{
    KQelGlobalTimeSettings time;
    EXPECT_FALSE(time.SetCurrentTimeMarker(0));
    EXPECT_STREQ(time.GetLastErrorString(), "Index out of range.");
    EXPECT_EQ(time.GetTimeMarker(0), nullptr);

    TimeMarker marker;
    marker.mName = "Cut";
    marker.mTime = KTime(100);
    marker.mLoop = true;
    time.AddTimeMarker(marker);
    time.AddTimeMarker(TimeMarker());
    marker.mName = "changed";  // the settings hold a copy
    EXPECT_STREQ(time.GetTimeMarker(0)->mName.Buffer(), "Cut");
    EXPECT_EQ(time.GetTimeMarker(0)->mTime.Get(), 100);
    EXPECT_FALSE(time.GetTimeMarker(1)->mLoop);
    EXPECT_EQ(time.GetCurrentTimeMarker(), -1);
    EXPECT_TRUE(time.SetCurrentTimeMarker(1));
    EXPECT_FALSE(time.SetCurrentTimeMarker(2));
    EXPECT_EQ(time.GetCurrentTimeMarker(), 1);

    KQelGlobalTimeSettings copy;
    copy.AddTimeMarker(TimeMarker());
    copy.AddTimeMarker(TimeMarker());
    copy.AddTimeMarker(TimeMarker());
    copy.SetTimeMode(KTime::eCINEMA);
    copy = time;
    EXPECT_EQ(copy.GetTimeMarkerCount(), 2);
    EXPECT_STREQ(copy.GetTimeMarker(0)->mName.Buffer(), "Cut");
    EXPECT_EQ(copy.GetCurrentTimeMarker(), 1);
    EXPECT_EQ(copy.GetTimeMode(), KTime::eFRAMES30);

    KQelGlobalTimeSettings& alias = time;
    time = alias;
    EXPECT_EQ(time.GetTimeMarkerCount(), 2);
    EXPECT_STREQ(time.GetTimeMarker(0)->mName.Buffer(), "Cut");
    EXPECT_EQ(time.GetCurrentTimeMarker(), 1);

    time.RemoveAllTimeMarkers();
    EXPECT_EQ(time.GetTimeMarkerCount(), 0);
    EXPECT_EQ(time.GetCurrentTimeMarker(), -1);
}

}  // namespace
}  // namespace qelsdk_600
