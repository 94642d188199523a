#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef KQelGlobalLightSettings::KQelShadowPlane ShadowPlane;
typedef KQelGlobalCameraSettings CameraSettings;

// The settings only keep the scene for searching its node tree; a stand-in
// object serves until that search is exercised.
KQelScene& StandInScene()
{
    alignas(16) static unsigned char storage[64];
    return *reinterpret_cast<KQelScene*>(storage);
}

// A manager that makes no cameras or no nodes.
class RefusingManager : public KQelSdkManager {
public:
    explicit RefusingManager(bool pCameras) : mRefuseCameras(pCameras) {}
    KQelCamera* AllocateKQelCamera() override
    {
        return mRefuseCameras ? nullptr : KQelSdkManager::AllocateKQelCamera();
    }
    KQelNode* AllocateKQelNode(const char* pName) override
    {
        return mRefuseCameras ? KQelSdkManager::AllocateKQelNode(pName) : nullptr;
    }

private:
    bool mRefuseCameras;
};
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

TEST(GlobalCameraSettings, ProducerCamerasGetTheirViews)
{
    KQelSdkManager manager;
    CameraSettings settings(manager, StandInScene());
    EXPECT_STREQ(settings.GetDefaultCamera(), "Producer Perspective");
    EXPECT_EQ(settings.GetDefaultViewingMode(), CameraSettings::eStandard);
    const struct {
        KQelCamera* camera;
        KQelNode* node;
        const char* name;
        KQelCamera::ECameraProjectionType projection;
        double nearPlane, farPlane;
        double position[3];
        double up[3];
    } views[] = {
        {settings.GetCameraProducerPerspective(), settings.GetCameraProducerPerspectiveNode(),
         "Model::Producer Perspective", KQelCamera::ePerspective, 10, 4000, {0, 71.3, 287.5}, {0, 1, 0}},
        {settings.GetCameraProducerTop(), settings.GetCameraProducerTopNode(), "Model::Producer Top",
         KQelCamera::eOrthogonal, 1, 30000, {0, 4000, 0}, {0, 0, -1}},
        {settings.GetCameraProducerBottom(), settings.GetCameraProducerBottomNode(), "Model::Producer Bottom",
         KQelCamera::eOrthogonal, 1, 30000, {0, -4000, 0}, {0, 0, -1}},
        {settings.GetCameraProducerFront(), settings.GetCameraProducerFrontNode(), "Model::Producer Front",
         KQelCamera::eOrthogonal, 1, 30000, {0, 0, 4000}, {0, 1, 0}},
        {settings.GetCameraProducerBack(), settings.GetCameraProducerBackNode(), "Model::Producer Back",
         KQelCamera::eOrthogonal, 1, 30000, {0, 0, -4000}, {0, 1, 0}},
        {settings.GetCameraProducerRight(), settings.GetCameraProducerRightNode(), "Model::Producer Right",
         KQelCamera::eOrthogonal, 1, 30000, {4000, 0, 0}, {0, 1, 0}},
        {settings.GetCameraProducerLeft(), settings.GetCameraProducerLeftNode(), "Model::Producer Left",
         KQelCamera::eOrthogonal, 1, 30000, {-4000, 0, 0}, {0, 1, 0}},
    };
    for (const auto& view : views) {
        ASSERT_NE(view.camera, nullptr) << view.name;
        ASSERT_NE(view.node, nullptr) << view.name;
        EXPECT_STREQ(view.node->GetName(), view.name);
        EXPECT_EQ(view.node->GetCamera(), view.camera) << view.name;
        EXPECT_FALSE(view.node->GetVisibility()) << view.name;
        EXPECT_EQ(view.node->GetParent(), nullptr) << view.name;
        EXPECT_EQ(view.camera->GetProjectionType(), view.projection) << view.name;
        EXPECT_EQ(view.camera->GetNearPlane(), view.nearPlane) << view.name;
        EXPECT_EQ(view.camera->GetFarPlane(), view.farPlane) << view.name;
        EXPECT_NEAR(view.camera->GetAngleOfView(), 40.0, 1e-9) << view.name;
        EXPECT_TRUE(view.camera->GetPosition() ==
                    KQelVector4(view.position[0], view.position[1], view.position[2], 1))
            << view.name;
        EXPECT_TRUE(view.camera->GetUpVector() == KQelVector4(view.up[0], view.up[1], view.up[2], 1)) << view.name;
        EXPECT_EQ(view.camera->GetUpVector()[3], 1.0);
    }
    EXPECT_EQ(manager.GetKQelNodeCount(), 7);
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 7);

    // Restoring keeps the same cameras.
    KQelCamera* top = settings.GetCameraProducerTop();
    top->SetNearPlane(77);
    settings.SetDefaultViewingMode(static_cast<CameraSettings::EViewingMode>(4));
    settings.RestoreDefaultSettings();
    EXPECT_EQ(settings.GetCameraProducerTop(), top);
    EXPECT_EQ(top->GetNearPlane(), 1.0);
    EXPECT_EQ(settings.GetDefaultViewingMode(), CameraSettings::eStandard);
}

TEST(GlobalCameraSettings, DefaultCameraAcceptsKnownNamesOnly)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    CameraSettings& settings = *scene->GetGlobalCameraSettings();
    EXPECT_FALSE(settings.SetDefaultCamera(nullptr));
    EXPECT_STREQ(settings.GetLastErrorString(), "Null parameter.");
    EXPECT_TRUE(settings.SetDefaultCamera("Camera Switcher"));
    EXPECT_STREQ(settings.GetDefaultCamera(), "Camera Switcher");
    EXPECT_TRUE(settings.SetDefaultCamera("Producer Left"));
    EXPECT_FALSE(settings.SetDefaultCamera("producer top"));
    EXPECT_EQ(settings.GetLastErrorID(), CameraSettings::eUnknownCameraName);
    EXPECT_STREQ(settings.GetLastErrorString(), "Unknown camera name.");
    EXPECT_STREQ(settings.GetDefaultCamera(), "Producer Left");

    // Any node of the tree, at any depth and with or without a camera, by
    // its current name; the name is stored as given.
    KQelNode* arm = manager.CreateKQelNode("Arm");
    KQelNode* hand = manager.CreateKQelNode("producer top");
    scene->GetRootNode()->AddChild(arm);
    arm->AddChild(hand);
    EXPECT_TRUE(settings.SetDefaultCamera("producer top"));
    EXPECT_TRUE(settings.SetDefaultCamera("Model::Arm"));
    EXPECT_STREQ(settings.GetDefaultCamera(), "Model::Arm");
    hand->SetName("Wrist");
    EXPECT_FALSE(settings.SetDefaultCamera("producer top"));
    EXPECT_FALSE(settings.SetDefaultCamera("RootNode"));
}

TEST(GlobalCameraSettings, ProducerCamerasAreCopiedByName)
{
    KQelSdkManager manager;
    CameraSettings settings(manager, StandInScene());
    KQelCamera& source = *manager.CreateKQelCamera();
    source.SetFocalLength(12);
    settings.CopyProducerCamera("Producer Top", &source);
    EXPECT_EQ(settings.GetCameraProducerTop()->GetFocalLength(), 12.0);
    source.SetFocalLength(13);
    const char* ignored[] = {"Producer top", "", "Camera Switcher", "Producer"};
    for (const char* name : ignored)
        settings.CopyProducerCamera(name, &source);
    settings.CopyProducerCamera("Producer Left", nullptr);
    KQelCamera* producers[] = {settings.GetCameraProducerPerspective(), settings.GetCameraProducerTop(),
                               settings.GetCameraProducerBottom(),      settings.GetCameraProducerFront(),
                               settings.GetCameraProducerBack(),        settings.GetCameraProducerRight(),
                               settings.GetCameraProducerLeft()};
    for (KQelCamera* producer : producers)
        EXPECT_NE(producer->GetFocalLength(), 13.0);
    EXPECT_EQ(settings.GetLastErrorID(), -1);

    CameraSettings other(manager, StandInScene());
    other.SetDefaultCamera("Producer Back");
    other = settings;
    EXPECT_STREQ(other.GetDefaultCamera(), "Producer Perspective");
    EXPECT_EQ(other.GetCameraProducerTop()->GetFocalLength(), 12.0);
    EXPECT_NE(other.GetCameraProducerTop(), settings.GetCameraProducerTop());
    CameraSettings& alias = settings;
    settings = alias;
    EXPECT_EQ(settings.GetCameraProducerTop()->GetFocalLength(), 12.0);
}

// A derived manager may refuse cameras or nodes: the settings do without.
TEST(GlobalCameraSettings, MissingCamerasOrNodesAreSkipped)
{
    KQelSdkManager sourceManager;
    KQelCamera& camera = *sourceManager.CreateKQelCamera();
    for (bool refuseCameras : {true, false}) {
        RefusingManager manager(refuseCameras);
        {
            CameraSettings settings(manager, StandInScene());
            CameraSettings other(manager, StandInScene());
            settings.RestoreDefaultSettings();
            settings.CopyProducerCamera("Producer Top", &camera);
            other = settings;
            EXPECT_EQ(settings.GetCameraProducerTop() == nullptr, refuseCameras);
            EXPECT_EQ(settings.GetCameraProducerTopNode() == nullptr, !refuseCameras);
        }
        EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 0);
        EXPECT_EQ(manager.GetKQelNodeCount(), 0);
    }
}

}  // namespace
}  // namespace qelsdk_600
