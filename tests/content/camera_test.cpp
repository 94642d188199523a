#include <string>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "content/kqelcamera.h"
#include "object/kdatatype.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

double Value(KQelCamera& pCamera, const char* pName)
{
    KProperty* property = pCamera.GetPropertyHandler()->FindPropertyByName(pName);
    return property ? property->AsDouble() : -12345.0;
}

void ExpectRgb(KQelCamera& pCamera, const char* pName, double pRed, double pGreen, double pBlue)
{
    double rgb[3] = {-1.0, -1.0, -1.0};
    ASSERT_TRUE(pCamera.GetPropertyHandler()->FindPropertyByName(pName)->GetData(rgb));
    EXPECT_DOUBLE_EQ(rgb[0], pRed) << pName;
    EXPECT_DOUBLE_EQ(rgb[1], pGreen) << pName;
    EXPECT_DOUBLE_EQ(rgb[2], pBlue) << pName;
}

class CameraTest : public ::testing::Test {
protected:
    KQelSdkManager mManager;
    KQelCamera& mCamera = *mManager.CreateKQelCamera();
};

// Files write the properties in list order, so order, types and the values
// after construction are all part of what a camera is.
TEST_F(CameraTest, PropertiesAreListedInOrderWithTheirTypesAndDefaults)
{
    struct Row {
        const char* name;
        kPropertyType type;
        const char* animatedDataType;  // null: a static member
        double value;
    };
    const Row rows[] = {
        {"Roll", kPropertyDouble, "Roll", 0},
        {"FieldOfView", kPropertyDouble, "FieldOfView", 40},
        {"FieldOfViewX", kPropertyDouble, "FieldOfView", 1},
        {"FieldOfViewY", kPropertyDouble, "FieldOfView", 1},
        {"OpticalCenterX", kPropertyDouble, "Real", 0},
        {"OpticalCenterY", kPropertyDouble, "Real", 0},
        {"BackgroundColor", kPropertyColorRGB, "Color", 0},
        {"TurnTable", kPropertyDouble, "Real", 0},
        {"DisplayTurnTableIcon", kPropertyBool, nullptr, 1},
        {"Motion Blur Intensity", kPropertyDouble, "Real", 1},
        {"UseMotionBlur", kPropertyBool, nullptr, 0},
        {"UseRealTimeMotionBlur", kPropertyBool, nullptr, 1},
        {"FocalLength", kPropertyDouble, nullptr, 35},
        {"ResolutionMode", kPropertyEnum, nullptr, 0},
        {"ApertureMode", kPropertyEnum, nullptr, 2},
        {"CameraFormat", kPropertyEnum, nullptr, 0},
        {"AspectW", kPropertyDouble, nullptr, 320},
        {"AspectH", kPropertyDouble, nullptr, 200},
        {"PixelAspectRatio", kPropertyDouble, nullptr, 1},
        {"UseFrameColor", kPropertyBool, nullptr, 0},
        {"FrameColor", kPropertyColorRGB, nullptr, 0},
        {"ShowName", kPropertyBool, nullptr, 1},
        {"ShowGrid", kPropertyBool, nullptr, 1},
        {"ShowOpticalCenter", kPropertyBool, nullptr, 0},
        {"ShowAzimut", kPropertyBool, nullptr, 1},
        {"ShowTimeCode", kPropertyBool, nullptr, 0},
        {"NearPlane", kPropertyDouble, nullptr, 10},
        {"FarPlane", kPropertyDouble, nullptr, 4000},
        {"FilmWidth", kPropertyDouble, nullptr, 0.816},
        {"FilmHeight", kPropertyDouble, nullptr, 0.612},
        {"FilmAspectRatio", kPropertyDouble, nullptr, 0.816 / 0.612},
        {"FilmSqueezeRatio", kPropertyDouble, nullptr, 1},
        {"FilmFormatIndex", kPropertyEnum, nullptr, 4},
        {"ViewFrustum", kPropertyBool, nullptr, 1},
        {"ViewFrustumNearFarPlane", kPropertyBool, nullptr, 0},
        {"ViewFrustumBackPlaneMode", kPropertyEnum, nullptr, 2},
        {"BackPlaneDistance", kPropertyDouble, nullptr, 100},
        {"BackPlaneDistanceMode", kPropertyEnum, nullptr, 0},
        {"ViewCameraToLookAt", kPropertyBool, nullptr, 1},
        {"LockMode", kPropertyBool, nullptr, 0},
        {"LockInterestNavigation", kPropertyBool, nullptr, 0},
        {"FitImage", kPropertyBool, nullptr, 0},
        {"Crop", kPropertyBool, nullptr, 0},
        {"Center", kPropertyBool, nullptr, 1},
        {"KeepRatio", kPropertyBool, nullptr, 1},
        {"BackgroundMode", kPropertyEnum, nullptr, 0},
        {"BackgroundAlphaTreshold", kPropertyDouble, nullptr, 0.5},
        {"ForegroundTransparent", kPropertyBool, nullptr, 1},
        {"DisplaySafeArea", kPropertyBool, nullptr, 0},
        {"SafeAreaDisplayStyle", kPropertyEnum, nullptr, 1},
        {"SafeAreaAspectRatio", kPropertyDouble, nullptr, 1.33333333333333},
        {"Use2DMagnifierZoom", kPropertyBool, nullptr, 0},
        {"2D Magnifier Zoom", kPropertyDouble, "Real", 100},
        {"2D Magnifier X", kPropertyDouble, "Real", 50},
        {"2D Magnifier Y", kPropertyDouble, "Real", 50},
        {"CameraProjectionType", kPropertyEnum, nullptr, 0},
        {"UseRealTimeDOFAndAA", kPropertyBool, nullptr, 0},
        {"UseDepthOfField", kPropertyBool, nullptr, 0},
        {"FocusSource", kPropertyEnum, nullptr, 0},
        {"FocusAngle", kPropertyDouble, nullptr, 3.5},
        {"FocusDistance", kPropertyDouble, nullptr, 200},
        {"UseAntialiasing", kPropertyBool, nullptr, 0},
        {"AntialiasingIntensity", kPropertyDouble, nullptr, 0.77777},
        {"UseAccumulationBuffer", kPropertyBool, nullptr, 0},
        {"FrameSamplingCount", kPropertyInt, nullptr, 7},
    };
    KQelCameraProperties& set = *mCamera.GetPropertyHandler();
    ASSERT_EQ(set.GetPropertyCount(), 65);
    for (int i = 0; i < 65; ++i) {
        const Row& row = rows[i];
        KProperty* property = set.GetProperty(i);
        ASSERT_STREQ(property->GetPropertyName(), row.name) << i;
        EXPECT_EQ(property->GetPropertyType(), row.type) << row.name;
        EXPECT_EQ(property->GetPropertyOwner(), &set) << row.name;
        const bool animated = row.animatedDataType != nullptr;
        EXPECT_EQ(property->IsAnimatable(), animated) << row.name;
        EXPECT_EQ(property->IsAnimated(), animated) << row.name;
        if (animated) {
            EXPECT_EQ(property->GetPropertyDataType(), KDataTypeGet(row.animatedDataType)) << row.name;
        }
        if (row.type != kPropertyColorRGB) {
            EXPECT_DOUBLE_EQ(property->AsDouble(), row.value) << row.name;
        }
    }
    ExpectRgb(mCamera, "BackgroundColor", 0, 0, 0);
    ExpectRgb(mCamera, "FrameColor", 0.3, 0.3, 0.3);
    EXPECT_TRUE(KQelCameraProperties::ClassDefinition.mParent == &KObject::ClassDefinition);
    EXPECT_TRUE(set.Is(KObject::ClassId));
}

TEST_F(CameraTest, EnumerationsHaveTheirTextsAndNoneOutsideThem)
{
    const struct {
        const char* property;
        int value;
        const char* text;
    } cases[] = {
        {"ResolutionMode", 0, "Window Size"},
        {"ResolutionMode", 4, "Fixed Height Resolution"},
        {"ResolutionMode", 5, nullptr},
        {"ApertureMode", 0, "Horizontal & Vertical"},
        {"ApertureMode", 2, "Vertical"},
        {"CameraFormat", 8, "320x240"},
        {"CameraFormat", 9, nullptr},
        {"CameraFormat", 10, "Full Screen"},
        {"CameraFormat", 11, nullptr},
        {"FilmFormatIndex", 10, "Dynavision"},
        {"FilmFormatIndex", 11, "Imax"},
        {"FilmFormatIndex", 12, nullptr},
        {"ViewFrustumBackPlaneMode", 2, "When Media"},
        {"BackPlaneDistanceMode", 1, "Relative to Camera"},
        {"BackgroundMode", 2, "Background & Forground"},
        {"SafeAreaDisplayStyle", 0, "Round Safe Area"},
        {"CameraProjectionType", 1, "Orthographic"},
        {"FocusSource", 1, "Specific Distance"},
        {"FocusSource", -1, nullptr},
    };
    for (const auto& c : cases) {
        KProperty* property = mCamera.GetPropertyHandler()->FindPropertyByName(c.property);
        const char* text = property->GetValueAsString(c.value);
        if (c.text)
            EXPECT_STREQ(text, c.text) << c.property << " " << c.value;
        else
            EXPECT_EQ(text, nullptr) << c.property << " " << c.value;
    }
}

TEST_F(CameraTest, NewCameraOnNoNodeAnswersItsFieldDefaults)
{
    EXPECT_EQ(mCamera.GetAttributeType(), KQelNodeAttribute::eCamera);
    EXPECT_STREQ(mCamera.GetTypeName().Buffer(), "Camera");
    KStringList flags = mCamera.GetTypeFlags();
    ASSERT_EQ(flags.GetCount(), 1);
    EXPECT_STREQ(flags.GetStringAt(0), "Camera");
    EXPECT_EQ(mCamera.GetNode(), nullptr);
    EXPECT_TRUE(mCamera.GetPosition() == KQelVector4(0, 0, 0, 0));
    EXPECT_EQ(mCamera.GetPosition()[3], 0.0);
    EXPECT_EQ(mCamera.GetUpVector()[1], 1.0);
    EXPECT_EQ(mCamera.GetUpVector()[3], 1.0);
    EXPECT_EQ(mCamera.GetDefaultCameraInterestPosition()[3], 1.0);
    EXPECT_EQ(mCamera.GetBackgroundFileName(), nullptr);
    EXPECT_EQ(mCamera.GetBackgroundMediaName(), nullptr);
    EXPECT_TRUE(mCamera.GetShowInfoOnMoving());
    EXPECT_FALSE(mCamera.GetDisplaySafeAreaOnRender());
    EXPECT_FALSE(mCamera.GetShowAudio());
    EXPECT_TRUE(mCamera.GetAudioColor() == KQelColor(0, 1, 0, 1));
    EXPECT_EQ(mCamera.GetAntialiasingMethod(), 0);
    EXPECT_EQ(mCamera.GetSamplingType(), 1);
    EXPECT_EQ(mCamera.GetFrameColor().mAlpha, 1.0);
    EXPECT_EQ(mCamera.GetDefaultFieldOfView(), 40.0);
    EXPECT_TRUE(mCamera.GetDefaultBackgroundColor() == KQelColor(0, 0, 0, 1));
}

TEST_F(CameraTest, NearAndFarPlanesAreClampedAndKeptInOrder)
{
    const struct {
        bool setNear;
        double value;
        double nearPlane;
        double farPlane;
    } cases[] = {
        {true, 5000, 5000, 5000},  {false, 1, 1, 1},          {true, 0, 0.001, 4000},
        {true, -7, 0.001, 4000},   {false, 7e6, 10, 600000},  {true, 9e9, 600000, 600000},
        {false, 0, 0.001, 0.001},  {true, 20, 20, 4000},
    };
    for (const auto& c : cases) {
        mCamera.Reset();
        if (c.setNear)
            mCamera.SetNearPlane(c.value);
        else
            mCamera.SetFarPlane(c.value);
        EXPECT_DOUBLE_EQ(mCamera.GetNearPlane(), c.nearPlane) << c.setNear << " " << c.value;
        EXPECT_DOUBLE_EQ(mCamera.GetFarPlane(), c.farPlane) << c.setNear << " " << c.value;
    }
}

TEST_F(CameraTest, BackgroundPlacementOptionsMapToFourFlags)
{
    const struct {
        unsigned int options;
        bool fit, center, keepRatio, crop;
        unsigned int read;
    } cases[] = {
        {255, true, true, true, true, 15},
        {0, false, false, false, false, 0},
        {5, true, false, true, false, 5},
        {0x18, false, false, false, true, 8},
    };
    KQelCameraProperties& set = *mCamera.GetPropertyHandler();
    for (const auto& c : cases) {
        mCamera.SetBackgroundPlacementOptions(c.options);
        EXPECT_EQ(set.FitImage.GetValue(), c.fit) << c.options;
        EXPECT_EQ(set.Center.GetValue(), c.center) << c.options;
        EXPECT_EQ(set.KeepRatio.GetValue(), c.keepRatio) << c.options;
        EXPECT_EQ(set.Crop.GetValue(), c.crop) << c.options;
        EXPECT_EQ(mCamera.GetBackgroundPlacementOptions(), c.read) << c.options;
    }
}

TEST_F(CameraTest, RenderOptionsUsageTimeIgnoresUnknownValues)
{
    mCamera.SetRenderOptionsUsageTime(KQelCamera::eRealTime);
    EXPECT_TRUE(mCamera.GetPropertyHandler()->UseRealTimeDOFAndAA.GetValue());
    mCamera.SetRenderOptionsUsageTime(static_cast<KQelCamera::ECameraRenderOptionsUsageTime>(5));
    EXPECT_EQ(mCamera.GetRenderOptionsUsageTime(), KQelCamera::eRealTime);
    mCamera.SetRenderOptionsUsageTime(KQelCamera::eNotRealTime);
    EXPECT_EQ(mCamera.GetRenderOptionsUsageTime(), KQelCamera::eNotRealTime);
}

TEST_F(CameraTest, ColoursKeepWhatTheirRulesSay)
{
    // The frame colour is stored unclamped, alpha beside the property.
    KQelColor frame;
    frame.mRed = 2.0;
    frame.mGreen = -1.0;
    frame.mBlue = 0.5;
    frame.mAlpha = 3.0;
    mCamera.SetFrameColor(frame);
    const KQelColor readFrame = mCamera.GetFrameColor();
    EXPECT_EQ(readFrame.mRed, 2.0);
    EXPECT_EQ(readFrame.mGreen, -1.0);
    EXPECT_EQ(readFrame.mAlpha, 3.0);
    ExpectRgb(mCamera, "FrameColor", 2.0, -1.0, 0.5);
    EXPECT_EQ(mCamera.GetPropertyHandler()->GetPropertyCount(), 65);

    // The audio colour is clamped by the colour's assignment.
    mCamera.SetAudioColor(frame);
    EXPECT_TRUE(mCamera.GetAudioColor() == KQelColor(1, 0, 0.5, 1));

    // The background colour drops alpha.
    mCamera.SetBackgroundColor(KQelColor(0.25, 0.5, 0.75, 0.1));
    ExpectRgb(mCamera, "BackgroundColor", 0.25, 0.5, 0.75);
    EXPECT_TRUE(mCamera.GetBackgroundColor() == KQelColor(0.25, 0.5, 0.75, 1));
}

TEST_F(CameraTest, DefaultValuesOnNoNodeWorkOnThePropertiesAlone)
{
    mCamera.SetDefaultFieldOfViewX(30);
    mCamera.SetRoll(12.5);
    mCamera.SetTurnTable(-3);
    mCamera.SetDefaultOpticalCenterY(0.25);
    EXPECT_EQ(Value(mCamera, "FieldOfViewX"), 30.0);
    EXPECT_EQ(mCamera.GetDefaultFieldOfViewX(), 30.0);
    EXPECT_EQ(Value(mCamera, "FieldOfView"), 40.0);
    EXPECT_EQ(mCamera.GetRoll(), 12.5);
    EXPECT_EQ(mCamera.GetDefaultRoll(), 12.5);
    EXPECT_EQ(mCamera.GetTurnTable(), -3.0);
    EXPECT_EQ(mCamera.GetDefaultOpticalCenterY(), 0.25);
}

TEST_F(CameraTest, ResetRestoresEverythingButInterestNavigation)
{
    KQelCameraProperties& set = *mCamera.GetPropertyHandler();
    mCamera.SetNearPlane(50);
    mCamera.SetFormat(KQelCamera::eHD);
    mCamera.SetRoll(9);
    mCamera.SetBackgroundFileName("back.tif");
    mCamera.SetSamplingType(static_cast<KQelCamera::ECameraSamplingType>(4));
    mCamera.SetUpVector(KQelVector4(1, 0, 0, 0));
    set.LockInterestNavigation.SetValue(true);
    set.FindPropertyByName("2D Magnifier X")->SetDouble(3);
    mCamera.Reset();
    EXPECT_EQ(mCamera.GetNearPlane(), 10.0);
    EXPECT_EQ(mCamera.GetFormat(), KQelCamera::eCustomFormat);
    EXPECT_EQ(mCamera.GetAspectWidth(), 320.0);
    EXPECT_EQ(mCamera.GetRoll(), 0.0);
    EXPECT_EQ(mCamera.GetBackgroundFileName(), nullptr);
    EXPECT_EQ(mCamera.GetSamplingType(), 1);
    EXPECT_EQ(mCamera.GetUpVector()[1], 1.0);
    EXPECT_EQ(Value(mCamera, "2D Magnifier X"), 50.0);
    EXPECT_TRUE(set.LockInterestNavigation.GetValue());
}

TEST_F(CameraTest, FillPropertyListAppendsTheSetInOrder)
{
    KArrayTemplate<KProperty*> list;
    KProperty* before[2] = {nullptr, nullptr};
    list.Add(before[0]);
    list.Add(before[1]);
    mCamera.FillPropertyList(&list);
    ASSERT_EQ(list.GetCount(), 67);
    for (int i = 0; i < 65; ++i)
        EXPECT_EQ(list.GetAt(i + 2), mCamera.GetPropertyHandler()->GetProperty(i));
    mCamera.FillPropertyList(nullptr);  // nothing to fill
}

TEST_F(CameraTest, AssignmentCopiesTheListedSettingsAndKeepsTheOthers)
{
    KQelCamera& source = *mManager.CreateKQelCamera();
    KQelCameraProperties& from = *source.GetPropertyHandler();
    source.SetUpVector(KQelVector4(0, 0, 1, 1));
    source.SetRoll(15);
    source.SetApertureFormat(KQelCamera::e35mmAnamorphic);
    from.FilmAspectRatio.SetValue(99.0);       // stale: must not travel
    from.NearPlane.SetValue(0.0);              // stored, copied without clamping
    source.SetBackgroundFileName("sky.tif");
    source.SetShowAudio(true);
    source.SetBackgroundColor(KQelColor(0.1, 0.2, 0.3, 1));
    source.SetFrameColor(KQelColor(0.5, 0.5, 0.5, 0.25));
    source.SetNumberOfSamples(3);
    source.SetAntialiasingMethod(static_cast<KQelCamera::ECameraAntialiasingMethod>(2));
    // Not copied:
    from.ShowOpticalCenter.SetValue(true);
    from.ViewCameraToLookAt.SetValue(false);
    from.SafeAreaAspectRatio.SetValue(2.0);
    source.SetDefaultFieldOfView(60);
    from.FindPropertyByName("2D Magnifier Zoom")->SetDouble(7);

    mCamera = source;
    EXPECT_EQ(mCamera.GetUpVector()[2], 1.0);
    EXPECT_EQ(mCamera.GetRoll(), 15.0);
    EXPECT_EQ(mCamera.GetApertureFormat(), KQelCamera::e35mmAnamorphic);
    EXPECT_EQ(mCamera.GetSqueezeRatio(), 2.0);
    EXPECT_NEAR(Value(mCamera, "FilmAspectRatio"), 0.864 / 0.732, 1e-12);
    EXPECT_EQ(mCamera.GetNearPlane(), 0.0);
    EXPECT_STREQ(mCamera.GetBackgroundFileName(), "sky.tif");
    EXPECT_TRUE(mCamera.GetShowAudio());
    ExpectRgb(mCamera, "BackgroundColor", 0.1, 0.2, 0.3);
    EXPECT_EQ(mCamera.GetFrameColor().mRed, 0.5);
    EXPECT_EQ(mCamera.GetFrameColor().mAlpha, 1.0);
    EXPECT_EQ(mCamera.GetNumberOfSamples(), 3);
    EXPECT_EQ(mCamera.GetAntialiasingMethod(), 2);

    EXPECT_FALSE(mCamera.GetPropertyHandler()->ShowOpticalCenter.GetValue());
    EXPECT_TRUE(mCamera.GetViewCameraInterest());
    EXPECT_EQ(Value(mCamera, "SafeAreaAspectRatio"), 1.33333333333333);
    EXPECT_EQ(mCamera.GetDefaultFieldOfView(), 40.0);
    EXPECT_EQ(Value(mCamera, "2D Magnifier Zoom"), 100.0);

    KQelCamera& alias = source;
    source = alias;  // nothing changes, nothing breaks
    EXPECT_EQ(source.GetNearPlane(), 0.0);
    EXPECT_EQ(source.GetFrameColor().mAlpha, 0.25);
}

}  // namespace
}  // namespace qelsdk_600
