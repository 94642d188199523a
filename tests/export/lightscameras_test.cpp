// Lights, cameras and look-at groups as read back: attributes, settings,
// channel defaults, animation and the post-rotation that re-orients them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "content/kqelcamera.h"
#include "content/kqellight.h"
#include "curves/kfcurve.h"
#include "export/export_fixture.h"
#include "store/fixtures.h"

using namespace qelsdk_600;

namespace {

// A transform pName with a shape of the kind below it, under pParent.
void Shape(const char* pKind, const std::string& pName, const char* pParent = "")
{
    HostTest::make("transform", pName.c_str(), pParent);
    HostTest::make(pKind, (pName + "Shape").c_str(), pName.c_str());
}

bool Set(const std::string& pPlug, double pValue)
{
    return vesk::fixture::setNumber(pPlug, pValue);
}

double Default(KQelNode* pNode, KQelTakeNode::EChannel pChannel)
{
    return pNode->GetDefaultTakeNode()->GetChannel(pChannel)->GetValue();
}

}  // namespace

TEST_F(ExportTest, LightsGetTheirTypeValuesAndAnimatedChannels)
{
    const struct {
        const char* kind;
        bool attribute, visible;
        KQelLight::ELightType type;
    } kinds[] = {{"ambientLight", false, true, KQelLight::ePoint}, {"pointLight", true, true, KQelLight::ePoint},
                 {"spotLight", true, true, KQelLight::eSpot},      {"directionalLight", true, true, KQelLight::eInfinite},
                 {"areaLight", true, false, KQelLight::ePoint}};
    for (const auto& k : kinds)
        Shape(k.kind, k.kind);
    Shape("pointLight", "hidden");
    ASSERT_TRUE(Set("hiddenShape.visibility", 0));
    ASSERT_TRUE(Set("spotLightShape.coneAngle", 0.7853981633974483));
    Keyed("spotLightShape.intensity", {{0.0, 1.0}, {1.0, 2.0}});
    Keyed("pointLightShape.intensity", {{0.0, 3.0}, {1.0, 3.0}});  // constant: reduced away
    ASSERT_TRUE(ExportAndRead());

    for (const auto& k : kinds) {
        KQelLight* light = Node(k.kind)->GetLight();
        ASSERT_EQ(light != nullptr, k.attribute) << k.kind;
        EXPECT_EQ(Node(k.kind)->GetVisibility(), k.visible) << k.kind;
        if (light) {
            EXPECT_EQ(light->GetLightType(), k.type) << k.kind;
        }
    }
    EXPECT_FALSE(Node("hidden")->GetVisibility());
    EXPECT_STREQ(Node("spotLight")->GetLight()->GetFileName(), "spotLight");
    EXPECT_FLOAT_EQ(Default(Node("spotLight"), KQelTakeNode::eLightConeAngle), 45.0f);
    EXPECT_FLOAT_EQ(Default(Node("directionalLight"), KQelTakeNode::eLightIntensity), 100.0f);
    EXPECT_FLOAT_EQ(Default(Node("directionalLight"), KQelTakeNode::eColorG), 1.0f);
    EXPECT_EQ(Channel("spotLight", KQelTakeNode::eLightIntensity)->KeyGetCount(), 2);
    EXPECT_FLOAT_EQ(Channel("spotLight", KQelTakeNode::eLightIntensity)->KeyGetValue(1), 200.0f);
    EXPECT_EQ(Channel("spotLight", KQelTakeNode::eColorR)->KeyGetCount(), 0);
    EXPECT_EQ(Node("pointLight")->GetTakeNodeCount(), 1) << "a constant channel is no animation";
    const KQelVector4 post = Node("spotLight")->GetPostRotation(KQelNode::eSourcePivot);
    EXPECT_NEAR(post[0], -90.0, 1e-9);
    EXPECT_NEAR(post[1], 0.0, 1e-9);

    // Without the reducer any keyed channel counts.
    Params().SetBoolParam(KQelUserParams::kExportApplyCstKeyRed, false);
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(Channel("pointLight", KQelTakeNode::eLightIntensity)->KeyGetCount(), 2);
}

TEST_F(ExportTest, CamerasGetTheirSettingsAndFieldOfView)
{
    const struct {
        int fit;
        double width, height;
        KQelCamera::ECameraApertureMode mode;
    } films[] = {{0, 1.417, 0.945, KQelCamera::eVertical}, {3, 1.417, 0.945, KQelCamera::eHorizontal},
                 {0, 1.0, 1.0, KQelCamera::eHorizontal},   {3, 1.0, 1.0, KQelCamera::eVertical},
                 {1, 1.417, 0.945, KQelCamera::eHorizontal}, {2, 1.0, 2.0, KQelCamera::eVertical}};
    for (int i = 0; i < 6; ++i) {
        const std::string name = "cam" + std::to_string(i);
        Shape("camera", name);
        ASSERT_TRUE(Set(name + "Shape.filmFit", films[i].fit));
        ASSERT_TRUE(Set(name + "Shape.horizontalFilmAperture", films[i].width));
        ASSERT_TRUE(Set(name + "Shape.verticalFilmAperture", films[i].height));
    }
    ASSERT_TRUE(Set("cam0Shape.nearClipPlane", -1.0));
    ASSERT_TRUE(Set("cam0Shape.farClipPlane", 1000.9));
    ASSERT_TRUE(Set("cam1Shape.orthographic", 1));
    ASSERT_TRUE(Set("cam2Shape.farClipPlane", -1e30));
    ASSERT_TRUE(Set("cam3Shape.farClipPlane", std::numeric_limits<double>::quiet_NaN()));
    // Mode 1, animated focal length: a flat key, then sloped user tangents.
    MFnAnimCurve focal = Keyed("cam4Shape.focalLength", {{0.0, 35.0}, {1.0, 50.0}, {2.0, 20.0}},
                               MFnAnimCurve::kTangentFixed, MFnAnimCurve::kTangentFixed);
    focal.setTangent(0, 1.0f, 0.0f, false, nullptr, false);
    focal.setTangent(1, 1.0f, 10.0f, false, nullptr, false);
    focal.setTangent(2, 1.0f, -5.0f, false, nullptr, false);
    Params().SetBoolParam(KQelUserParams::kExportApplyCstKeyRed, false);
    ASSERT_TRUE(ExportAndRead());

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Node("cam" + std::to_string(i))->GetCamera()->GetApertureMode(), films[i].mode) << i;
    KQelCamera* camera = Node("cam0")->GetCamera();
    EXPECT_DOUBLE_EQ(camera->GetNearPlane(), 0.01);
    EXPECT_DOUBLE_EQ(camera->GetFarPlane(), 1000.0);
    EXPECT_EQ(Node("cam1")->GetCamera()->GetProjectionType(), KQelCamera::eOrthogonal);
    EXPECT_EQ(Node("cam0")->GetCamera()->GetProjectionType(), KQelCamera::ePerspective);
    for (const char* hostile : {"cam2", "cam3"})
        EXPECT_DOUBLE_EQ(Node(hostile)->GetCamera()->GetFarPlane(), 0.01) << hostile;
    EXPECT_NEAR(Default(Node("cam4"), KQelTakeNode::eCameraFieldOfView), 54.42, 0.005);
    EXPECT_FLOAT_EQ(Default(Node("cam4"), KQelTakeNode::eCameraFieldOfViewX), 40.0f);
    EXPECT_EQ(Channel("cam4", KQelTakeNode::eCameraFieldOfViewX)->KeyGetCount(), 0);
    EXPECT_EQ(Channel("cam4", KQelTakeNode::eCameraFieldOfViewY)->KeyGetCount(), 0);
    KFCurve* fieldOfView = Channel("cam4", KQelTakeNode::eCameraFieldOfView);
    ASSERT_EQ(fieldOfView->KeyGetCount(), 3);
    for (double key : {0.0, 1.0, 2.0})
        for (double offset : {-0.001, 0.0, 0.001}) {
            const double t = key + offset;
            const double f = focal.evaluate(MTime(t, MTime::kSeconds));
            KTime time;
            time.SetSecondDouble(t);
            EXPECT_NEAR(fieldOfView->Evaluate(time), 2.0 * std::atan(0.5 * 1.417 * 25.4 / f) * 57.29577951308232,
                        1e-3)
                << t;
        }
    const KQelVector4 post = Node("cam0")->GetPostRotation(KQelNode::eSourcePivot);
    EXPECT_NEAR(post[0], 0.0, 1e-9);
    EXPECT_NEAR(post[1], -90.0, 1e-9);
    EXPECT_NEAR(post[2], 0.0, 1e-9);
}

TEST_F(ExportTest, LookAtGroupsGiveTargetsAndRoll)
{
    make("lookAt", "group");
    Shape("camera", "cam", "group");
    make("transform", "aim", "group");
    make("transform", "up", "group");
    ASSERT_TRUE(Set("group.twist", 0.5));
    ASSERT_TRUE(Set("aim.visibility", 0));
    make("lookAt", "solo");
    Shape("camera", "lonely", "solo");
    make("lookAt", "inner", "solo");
    Shape("camera", "plain");
    ASSERT_TRUE(ExportAndRead());

    KQelNode* cam = Node("cam");
    EXPECT_EQ(cam->GetTarget(), Node("aim"));
    EXPECT_EQ(cam->GetTargetUp(), Node("up"));
    EXPECT_TRUE(Node("aim")->GetVisibility()) << "a target shows as its camera does";
    EXPECT_NEAR(Default(cam, KQelTakeNode::eCameraRoll), -28.6479, 1e-3);
    EXPECT_EQ(Node("lonely")->GetTarget(), nullptr);
    EXPECT_EQ(Node("inner"), nullptr) << "the group has its look-at node already";
    EXPECT_EQ(Node("plain")->GetTarget(), nullptr);
    EXPECT_FLOAT_EQ(Default(Node("plain"), KQelTakeNode::eCameraRoll), 0.0f);
}
