#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

class CameraFormatTest : public ::testing::Test {
protected:
    KQelSdkManager mManager;
    KQelCamera& mCamera = *mManager.CreateKQelCamera();

    void ExpectAspect(double pWidth, double pHeight, int pMode, int pFormat, const char* pWhat)
    {
        EXPECT_NEAR(mCamera.GetAspectWidth(), pWidth, 1e-9) << pWhat;
        EXPECT_NEAR(mCamera.GetAspectHeight(), pHeight, 1e-9) << pWhat;
        EXPECT_EQ(mCamera.GetAspectRatioMode(), pMode) << pWhat;
        EXPECT_EQ(mCamera.GetFormat(), pFormat) << pWhat;
    }
};

// The pixel ratios are those of the decimal screen aspects, not of 4/3.
TEST_F(CameraFormatTest, EachPresetGivesItsResolutionAndPixelRatio)
{
    const struct {
        KQelCamera::ECameraFormat format;
        double width, height, pixelRatio;
    } presets[] = {
        {KQelCamera::eD1NTSC, 720, 486, 0.8999999999775},   {KQelCamera::eNTSC, 640, 480, 0.999999999975},
        {KQelCamera::ePAL, 570, 486, 1.1368421052347},      {KQelCamera::eD1PAL, 720, 576, 1.06666666664},
        {KQelCamera::eHD, 1920, 1080, 0.99999999995625},    {KQelCamera::e640x480, 640, 480, 0.999999999975},
        {KQelCamera::e320x200, 320, 200, 0.8333333333125},  {KQelCamera::e320x240, 320, 240, 0.999999999975},
        {KQelCamera::eFullScreen, 1280, 1024, 1.06666666664},
    };
    for (const auto& preset : presets) {
        mCamera.Reset();
        mCamera.SetFormat(preset.format);
        ExpectAspect(preset.width, preset.height, KQelCamera::eFixedResolution, preset.format, "preset");
        EXPECT_NEAR(mCamera.GetPixelRatio(), preset.pixelRatio, 1e-12) << preset.format;
    }
}

TEST_F(CameraFormatTest, PresetsConvertBackToTheAspectModeThatWasSet)
{
    mCamera.SetAspect(KQelCamera::eFixedRatio, 2, 1);
    mCamera.SetFormat(KQelCamera::eHD);
    ExpectAspect(1.7777777777, 1, KQelCamera::eFixedRatio, KQelCamera::eHD, "fixed ratio");

    mCamera.SetAspect(KQelCamera::eFixedWidthResolution, 10, 10);
    mCamera.SetFormat(KQelCamera::eNTSC);
    ExpectAspect(640, 0.75, KQelCamera::eFixedWidthResolution, KQelCamera::eNTSC, "fixed width");

    mCamera.SetAspect(KQelCamera::eFixedHeightResolution, 10, 10);
    mCamera.SetFormat(KQelCamera::eNTSC);
    ExpectAspect(640.0 / 480.0, 480, KQelCamera::eFixedHeightResolution, KQelCamera::eNTSC, "fixed height");

    // Without a preset only the format changes.
    const double ratio = mCamera.GetPixelRatio();
    mCamera.SetFormat(static_cast<KQelCamera::ECameraFormat>(9));
    ExpectAspect(640.0 / 480.0, 480, KQelCamera::eFixedHeightResolution, KQelCamera::eCustomFormat, "format 9");
    EXPECT_EQ(mCamera.GetPixelRatio(), ratio);
}

TEST_F(CameraFormatTest, AspectModesBoundTheSizeAndMakeTheFormatCustom)
{
    const struct {
        int mode;
        double width, height;
        double storedWidth, storedHeight;
    } cases[] = {
        {2, 0.5, 0.5, 1, 1},        {1, 0, 7, 0.001, 1},   {3, 0.5, 0, 1, 0.001},
        {4, 0, 0.5, 0.001, 1},      {0, -3, 0, -3, 0},     {2, 800, 600, 800, 600},
        {7, 3, 4, 720, 486},  // unknown mode: the preset's size kept, mode stored
    };
    for (const auto& c : cases) {
        mCamera.Reset();
        mCamera.SetFormat(KQelCamera::eD1NTSC);
        mCamera.SetAspect(static_cast<KQelCamera::ECameraAspectRatioMode>(c.mode), c.width, c.height);
        ExpectAspect(c.storedWidth, c.storedHeight, c.mode, KQelCamera::eCustomFormat, "aspect");
    }
}

TEST_F(CameraFormatTest, PixelRatioIsBoundedAndOnlyANewOneMakesTheFormatCustom)
{
    mCamera.SetFormat(KQelCamera::eD1NTSC);
    mCamera.SetPixelRatio(mCamera.GetPixelRatio());
    EXPECT_EQ(mCamera.GetFormat(), KQelCamera::eD1NTSC);
    mCamera.SetPixelRatio(100);
    EXPECT_EQ(mCamera.GetPixelRatio(), 20.0);
    EXPECT_EQ(mCamera.GetFormat(), KQelCamera::eCustomFormat);
    mCamera.SetPixelRatio(0.001);
    EXPECT_EQ(mCamera.GetPixelRatio(), 0.05);

    EXPECT_EQ(mCamera.ComputePixelRatio(0, 0, 2), 2.0);
    EXPECT_EQ(mCamera.ComputePixelRatio(100, 0, 2), 0.02);
}

TEST_F(CameraFormatTest, FilmFormatsSetSizeSqueezeAndRatio)
{
    const struct {
        int format;
        double width, height, squeeze;
    } films[] = {
        {1, 0.404, 0.295, 1}, {2, 0.493, 0.292, 1}, {3, 0.864, 0.630, 1}, {4, 0.816, 0.612, 1},
        {5, 0.980, 0.735, 1}, {6, 0.825, 0.446, 1}, {7, 0.864, 0.732, 2}, {8, 2.066, 0.906, 1},
        {9, 1.485, 0.991, 1}, {10, 2.080, 1.480, 1}, {11, 2.772, 2.072, 1},
    };
    KQelCameraProperties& set = *mCamera.GetPropertyHandler();
    for (const auto& film : films) {
        mCamera.SetApertureFormat(static_cast<KQelCamera::ECameraApertureFormat>(film.format));
        EXPECT_EQ(mCamera.GetApertureFormat(), film.format);
        EXPECT_EQ(mCamera.GetApertureWidth(), film.width) << film.format;
        EXPECT_EQ(mCamera.GetApertureHeight(), film.height) << film.format;
        EXPECT_EQ(mCamera.GetSqueezeRatio(), film.squeeze) << film.format;
        EXPECT_DOUBLE_EQ(set.FilmAspectRatio.GetValue(), film.width / film.height) << film.format;
    }
    mCamera.SetApertureFormat(KQelCamera::e35mmAnamorphic);
    EXPECT_NEAR(set.FilmAspectRatio.GetValue(), 1.18032786885, 1e-10);

    // No film sizes: the index becomes 0, the film stays, the ratio follows it.
    set.FilmAspectRatio.SetValue(0);
    mCamera.SetApertureFormat(static_cast<KQelCamera::ECameraApertureFormat>(12));
    EXPECT_EQ(mCamera.GetApertureFormat(), KQelCamera::eCustomAperture);
    EXPECT_EQ(mCamera.GetApertureWidth(), 0.864);
    EXPECT_NEAR(set.FilmAspectRatio.GetValue(), 1.18032786885, 1e-10);
}

TEST_F(CameraFormatTest, FilmSettersBoundNewValuesAndMakeTheFilmCustom)
{
    KQelCameraProperties& set = *mCamera.GetPropertyHandler();
    mCamera.SetApertureWidth(0.816);  // unchanged: stays "35mm TV Projection"
    EXPECT_EQ(mCamera.GetApertureFormat(), KQelCamera::e35mmTVProjection);
    mCamera.SetApertureWidth(0);
    EXPECT_EQ(mCamera.GetApertureWidth(), 0.0001);
    EXPECT_EQ(mCamera.GetApertureFormat(), KQelCamera::eCustomAperture);
    mCamera.SetApertureHeight(0.5);
    EXPECT_DOUBLE_EQ(set.FilmAspectRatio.GetValue(), 0.0001 / 0.5);
    mCamera.SetSqueezeRatio(-1);
    EXPECT_EQ(mCamera.GetSqueezeRatio(), 0.0001);
}

TEST_F(CameraFormatTest, AngleOfViewAndFocalLengthFollowTheFilm)
{
    // New camera: 0.816 x 0.612 in, vertical aperture mode, 35 mm.
    EXPECT_NEAR(mCamera.GetAngleOfView(), 25.0408363571, 1e-9);
    mCamera.SetAngleOfView(40);
    EXPECT_NEAR(mCamera.GetFocalLength(), 21.3544934950, 1e-9);
    EXPECT_EQ(mCamera.GetDefaultFieldOfView(), 40.0);  // not touched
    mCamera.SetAngleOfView(0);
    EXPECT_NEAR(mCamera.GetFocalLength(), 890.628824265, 1e-9);
    mCamera.SetAngleOfView(500);
    EXPECT_NEAR(mCamera.GetAngleOfView(), 179.0, 1e-9);

    // Horizontal mode spans the squeezed width.
    mCamera.SetApertureFormat(KQelCamera::e35mmAnamorphic);
    mCamera.SetApertureMode(KQelCamera::eHorizontal);
    mCamera.SetFocalLength(35);
    EXPECT_NEAR(mCamera.GetAngleOfView(), 64.1768342051, 1e-9);
    EXPECT_NEAR(mCamera.ComputeFocalLength(0.864, 0.732, 64.1768342051), 35.0, 1e-8);

    // The setter does not clamp; the getter bounds what it computes.
    mCamera.SetFocalLength(-5);
    EXPECT_EQ(mCamera.GetFocalLength(), -5.0);
    EXPECT_EQ(mCamera.GetAngleOfView(), 1.0);
}

}  // namespace
}  // namespace qelsdk_600
