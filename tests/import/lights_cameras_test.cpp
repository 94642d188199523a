// Lights and cameras: their values and curves in host units, the field of
// view as a focal length, and an aimed camera under its look-at group.
#include "import_fixture.h"

#include <vesk/MAnimControl.h>
#include <vesk/MDagPath.h>
#include <vesk/MFnSpotLight.h>
#include <vesk/MMatrix.h>

#include "content/kqelcamera.h"
#include "content/kqellight.h"
#include "curves/kfcurvenode.h"
#include "host/math_values.h"
#include "plugin/qelfovtofocallengthmodifier.h"
#include "scene/kqelnull.h"
#include "scene/kqeltakenode.h"

using namespace qelsdk_600;

namespace {

std::string pathOf(QelVeskNode* pNode)
{
    return pNode->GetDagPath() ? pNode->GetDagPath()->fullPathName().asChar() : "";
}

TEST_F(ImportTest, LightsTakeTheirValuesAndCurvesInHostUnits)
{
    for (MAngle::Unit unit : {MAngle::kDegrees, MAngle::kRadians}) {
        MAngle::setUIUnit(unit);
        KQelLight* light = mImport->GetManager().CreateKQelLight();
        light->SetLightType(KQelLight::eSpot);
        const std::string name = "Spot" + std::to_string(unit);
        QelVeskNode* spot = node(name.c_str(), nullptr, light);
        spot->GetDefaultTakeNode()->GetLightIntensity()->SetValue(100.0f);
        spot->GetDefaultTakeNode()->GetLightConeAngle()->SetValue(45.0f);
        KQelTakeNode* run = runTake(spot);
        addKeys(run->GetLightIntensity(), {{0.0, 250.0f}, {1.0, 100.0f}});
        userKeys(run->GetLightConeAngle(), {{0.0, 0.0f}, {1.0, 90.0f}}, 90.0f);
        mImport->CreateLightGeometry(*spot);
        mImport->ImportAnimation(*spot);

        const std::string shape = "|" + name + "|" + name + "Shape";
        EXPECT_NEAR(hostValue(shape, "intensity"), 1.0, 1e-6);
        EXPECT_NEAR(hostValue(shape, "coneAngle"), 0.785398, 1e-6);
        const std::vector<std::vector<double>> intensity = hostKeys(shape, "intensity");
        ASSERT_EQ(intensity.size(), 2u);
        EXPECT_NEAR(intensity[0][1], 2.5, 1e-6);
        const std::vector<std::vector<double>> cone = hostKeys(shape, "coneAngle");
        ASSERT_EQ(cone.size(), 2u);
        EXPECT_NEAR(cone[1][1], kPi / 2, 1e-6);
        EXPECT_NEAR(cone[0][5], kPi / 2, 1e-5) << "radians per second under UI unit " << unit;
    }

    // On the default take the values arrive without curves.
    QelVeskNode* lamp = node("Lamp", nullptr, mImport->GetManager().CreateKQelLight());
    addKeys(lamp->GetDefaultTakeNode()->GetLightIntensity(), {{0.0, 50.0f}, {1.0, 80.0f}});
    lamp->GetDefaultTakeNode()->GetLightIntensity()->SetValue(50.0f);
    mImport->CreateLightGeometry(*lamp);
    mImport->ImportAnimation(*lamp);
    EXPECT_NEAR(hostValue("|Lamp|LampShape", "intensity"), 0.5, 1e-6);
    EXPECT_EQ(dumpLines("^curve \"\\|Lamp"), std::vector<std::string>{});
}

// Takes a channel's curves out of every take of the node.
void dropChannel(KQelNode* pNode, const char* pChannel)
{
    for (int i = 0; i < pNode->GetTakeNodeCount(); ++i)
        if (KFCurveNode* found = pNode->GetTakeNode(i)->GetKFCurveNode()->FindRecursive(pChannel))
            found->Destroy();
}

// A channel missing from the file's takes leaves its plug as the host made
// it; the other channels still arrive.
TEST_F(ImportTest, ChannelsMissingFromTheTakesAreSkipped)
{
    MFnSpotLight fresh;
    fresh.create(MObject::kNullObj);
    const MColor hostColor = fresh.color();
    const std::vector<double> hostValues = {hostColor.r, fresh.intensity(), fresh.coneAngle()};
    const std::vector<double> fileValues = {0.25, 0.5, 30 * kPi / 180};
    const char* const channels[] = {"Color", "Intensity", "Cone angle"};
    for (int drop = 0; drop < 3; ++drop) {
        SCOPED_TRACE(channels[drop]);
        KQelLight* light = mImport->GetManager().CreateKQelLight();
        light->SetLightType(KQelLight::eSpot);
        QelVeskNode* spot = node(("Spot" + std::to_string(drop)).c_str(), nullptr, light);
        KQelTakeNode* defaults = spot->GetDefaultTakeNode();
        defaults->GetColorR()->SetValue(0.25f);
        defaults->GetLightIntensity()->SetValue(50.0f);
        defaults->GetLightConeAngle()->SetValue(30.0f);
        runTake(spot);
        dropChannel(spot, channels[drop]);
        mImport->CreateLightGeometry(*spot);
        ASSERT_EQ(mImport->ImportAnimationLight(*spot), MStatus::kSuccess);
        MFnSpotLight made(*spot->GetShapeObject());
        const std::vector<double> values = {made.color().r, made.intensity(), made.coneAngle()};
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(values[i], i == drop ? hostValues[i] : fileValues[i], 1e-6) << channels[i];
    }

    // Without its field of view the camera takes its angle of view; without
    // its roll an aimed camera's group keeps its twist.
    for (const char* channel : {"FieldOfView", "Roll"}) {
        SCOPED_TRACE(channel);
        const std::string base = std::string("cam") + channel;
        QelVeskNode* group = node((base + "_group").c_str(), nullptr, mImport->GetManager().CreateKQelNull());
        KQelCamera* lens = mImport->GetManager().CreateKQelCamera();
        lens->SetApertureMode(KQelCamera::eVertical);
        lens->SetApertureHeight(0.94488);
        lens->SetAngleOfView(90.0);
        QelVeskNode* camera = node(base.c_str(), group, lens);
        camera->SetTarget(node((base + "_aim").c_str(), group));
        addKeys(camera->GetDefaultTakeNode()->GetCameraFieldOfView(), {{0.0, 50.0f}, {1.0, 50.0f}});
        camera->GetDefaultTakeNode()->GetCameraRoll()->SetValue(30.0f);
        dropChannel(camera, channel);
        build();
        ASSERT_EQ(mImport->ImportAnimationCamera(*camera), MStatus::kSuccess);
        const std::string shape = pathOf(camera) + "|cameraShape1";
        const std::string groupPath = pathOf(camera).substr(0, pathOf(camera).rfind('|'));
        const std::vector<std::vector<double>> keys = hostKeys(shape, "focalLength");
        if (std::string(channel) == "FieldOfView") {
            EXPECT_NEAR(hostValue(shape, "focalLength"), 12.0, 2e-3);
            EXPECT_TRUE(keys.empty());
            EXPECT_NEAR(hostValue(groupPath, "twist"), -0.523599, 1e-6);
        } else {
            ASSERT_EQ(keys.size(), 2u);
            EXPECT_NEAR(keys[0][1], 12.0 / std::tan(25 * kPi / 180), 2e-3);
            EXPECT_FALSE(std::fabs(hostValue(groupPath, "twist")) > 0.0) << "at 0, or not set";
        }
    }
}

TEST_F(ImportTest, FieldsOfViewBecomeFocalLengthsOfTheFilm)
{
    const struct {
        int mode;
        float view;
        double focalLength;
    } cases[] = {
        {KQelCamera::eVertical, 90.0f, 12.0},
        {KQelCamera::eHorizontal, 90.0f, 18.0},
        {KQelCamera::eHorizontalAndVertical, 54.4322f, 35.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        KQelCamera* camera = mImport->GetManager().CreateKQelCamera();
        camera->SetApertureWidth(1.41732);
        camera->SetApertureHeight(0.94488);
        camera->SetSqueezeRatio(1.0);
        camera->SetApertureMode(static_cast<KQelCamera::ECameraApertureMode>(c.mode));
        QelVeskNode* made = node(("Cam" + std::to_string(c.mode)).c_str(), nullptr, camera);
        KQelTakeNode* run = runTake(made);
        KFCurve* view = c.mode == KQelCamera::eHorizontalAndVertical ? run->GetCameraFieldOfViewX()
                                                                     : run->GetCameraFieldOfView();
        view->SetValue(c.view);
        addKeys(view, {{0.0, c.view}, {1.0, c.view}});
        mImport->CreateCameraGeometry(*made);
        ASSERT_EQ(mImport->ImportAnimationCamera(*made), MStatus::kSuccess);
        const std::string shape = pathOf(made) + "|cameraShape1";
        EXPECT_NEAR(hostValue(shape, "focalLength"), c.focalLength, 2e-3);
        const std::vector<std::vector<double>> keys = hostKeys(shape, "focalLength");
        ASSERT_EQ(keys.size(), 2u);
        EXPECT_NEAR(keys[1][1], c.focalLength, 2e-3);
    }
}

TEST(QelFOVToFocalLengthModifier, EveryOverloadConvertsAndSaturates)
{
    QelFOVToFocalLengthModifier modifier;
    modifier.mApertureWidth = 1.41732 * 25.4;
    modifier.mApertureHeight = 0.94488 * 25.4;
    EXPECT_EQ(modifier.Modify(0.0), 0.0);
    EXPECT_EQ(modifier.Modify(0), 0);
    EXPECT_EQ(modifier.Modify(52), 36) << "36.9 truncated";
    EXPECT_EQ(modifier.Modify(52L), 36L);
    EXPECT_EQ(modifier.Modify(52u), 36u);
    EXPECT_NEAR(modifier.Modify(54.4322f), 35.0f, 1e-3f);
    modifier.mSqueezeRatio = 2.0;
    EXPECT_NEAR(modifier.Modify(54.4322), 70.0, 2e-3);
    modifier.mApertureMode = KQelCamera::eVertical;
    EXPECT_NEAR(modifier.Modify(54.4322), 23.3, 0.05) << "the height; the squeeze does not count";
    modifier.mApertureHeight = 1e300;
    EXPECT_EQ(modifier.Modify(1), std::numeric_limits<int>::max());
    EXPECT_EQ(modifier.Modify(-1), std::numeric_limits<int>::min());
    EXPECT_EQ(modifier.Modify(1u), std::numeric_limits<unsigned int>::max());
    EXPECT_EQ(modifier.Modify(1.0f), std::numeric_limits<float>::max());
}

TEST_F(ImportTest, AnAimedCameraFollowsItsGroupAndRollsItsTwist)
{
    for (MAngle::Unit unit : {MAngle::kDegrees, MAngle::kRadians}) {
        MAngle::setUIUnit(unit);
        const std::string base = "rig" + std::to_string(unit);
        QelVeskNode* group = node((base + "_group").c_str(), nullptr, mImport->GetManager().CreateKQelNull());
        group->SetDefaultT(KQelVector4(5.0, 1.0, 0.0, 0.0));
        group->SetDefaultR(KQelVector4(0.0, 30.0, 0.0, 0.0));
        QelVeskNode* camera = node(base.c_str(), group, mImport->GetManager().CreateKQelCamera());
        QelVeskNode* aim = node((base + "_aim").c_str(), group);
        aim->SetDefaultT(KQelVector4(0.0, 0.0, -10.0, 0.0));
        camera->SetTarget(aim);
        camera->GetDefaultTakeNode()->GetCameraRoll()->SetValue(30.0f);
        KQelTakeNode* run = runTake(camera);
        userKeys(run->GetTranslationX(), {{0.0, 0.0f}, {1.0, 4.0f}}, 4.0f);
        userKeys(run->GetEulerRotationZ(), {{0.0, 0.0f}, {1.0, 20.0f}}, 20.0f);
        userKeys(run->GetCameraRoll(), {{0.0, 0.0f}, {1.0, 90.0f}}, 90.0f);
        build();
        mImport->ImportAnimation(*group);

        ASSERT_EQ(dumpLines("^node \"" + literal(pathOf(aim)) + "\" = \"transform\"").size(), 1u);
        const std::string groupPath = pathOf(camera).substr(0, pathOf(camera).rfind('|'));
        EXPECT_EQ(groupPath, pathOf(aim).substr(0, pathOf(aim).rfind('|')));
        EXPECT_NEAR(hostValue(groupPath, "twist"), -0.523599, 1e-6);
        const std::vector<std::vector<double>> twist = hostKeys(groupPath, "twist");
        ASSERT_EQ(twist.size(), 2u);
        EXPECT_NEAR(twist[1][1], -kPi / 2, 1e-6);
        EXPECT_NEAR(twist[0][5], -kPi / 2, 1e-5) << "radians per second under UI unit " << unit;

        for (double seconds : {0.0, 0.25, 1.0}) {
            SCOPED_TRACE(seconds);
            MAnimControl::setCurrentTime(MTime(seconds, MTime::kSeconds));
            KTime time;
            time.SetSecondDouble(seconds);
            for (QelVeskNode* made : {camera, aim}) {
                const MMatrix host = made->GetDagPath()->inclusiveMatrix();
                const double* file = made->GetGlobalFromCurrentTake(time);
                for (unsigned int i = 0; i < 16; ++i)
                    EXPECT_NEAR(host(i / 4, i % 4), file[i], 1e-5) << made->GetName() << " element " << i;
            }
        }
    }
}

}  // namespace
