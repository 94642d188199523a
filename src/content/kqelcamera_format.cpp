// The camera's resolution presets, aspect modes, pixel ratio, film formats
// and the conversion between angle of view and focal length.
#include <algorithm>
#include <cmath>

#include "content/kqelcamera.h"

namespace qelsdk_600 {

namespace {

// Screen aspects as decimal constants (not 4/3 and 16/9): the pixel ratios
// the presets produce, and files carry, depend on these digits.
const double kScreen4x3 = 1.3333333333;
const double kScreen16x9 = 1.7777777777;

struct ResolutionPreset {
    KQelCamera::ECameraFormat mFormat;
    unsigned int mWidth;
    unsigned int mHeight;
    double mScreenAspect;
};

const ResolutionPreset kResolutionPresets[] = {
    {KQelCamera::eD1NTSC, 720, 486, kScreen4x3},     {KQelCamera::eNTSC, 640, 480, kScreen4x3},
    {KQelCamera::ePAL, 570, 486, kScreen4x3},        {KQelCamera::eD1PAL, 720, 576, kScreen4x3},
    {KQelCamera::eHD, 1920, 1080, kScreen16x9},      {KQelCamera::e640x480, 640, 480, kScreen4x3},
    {KQelCamera::e320x200, 320, 200, kScreen4x3},    {KQelCamera::e320x240, 320, 240, kScreen4x3},
    {KQelCamera::eFullScreen, 1280, 1024, kScreen4x3},
};

// Film sizes in inches, indexed by film format (1 to 11).
struct FilmFormat {
    double mWidth;
    double mHeight;
    double mSqueezeRatio;
};

const FilmFormat kFilmFormats[] = {
    {0.0, 0.0, 0.0},  // Custom: no sizes
    {0.404, 0.295, 1.0}, {0.493, 0.292, 1.0}, {0.864, 0.630, 1.0}, {0.816, 0.612, 1.0},
    {0.980, 0.735, 1.0}, {0.825, 0.446, 1.0}, {0.864, 0.732, 2.0}, {2.066, 0.906, 1.0},
    {1.485, 0.991, 1.0}, {2.080, 1.480, 1.0}, {2.772, 2.072, 1.0},
};
const int kFilmFormatCount = static_cast<int>(sizeof(kFilmFormats) / sizeof(kFilmFormats[0]));

// Lower bounds of the aspect modes 0 to 4 (0: none).
struct AspectBounds {
    double mMinWidth;
    double mMinHeight;
    bool mHeightIsOne;  // fixed ratio: the height is always 1
};

const AspectBounds kAspectBounds[] = {
    {0.0, 0.0, false}, {0.001, 0.0, true}, {1.0, 1.0, false}, {1.0, 0.001, false}, {0.001, 1.0, false},
};
const int kAspectModeCount = static_cast<int>(sizeof(kAspectBounds) / sizeof(kAspectBounds[0]));

const double kMinFilmValue = 0.0001;
const double kMillimetresPerInch = 25.4;
const double kDegreesPerRadian = 57.29577951308232;
const double kRadiansPerDegree = 0.017453292519943295;
const double kMinAngle = 1.0;
const double kMaxAngle = 179.0;

// "At least m": a value not greater than m becomes m.
double AtLeast(double pValue, double pMin)
{
    return pValue <= pMin ? pMin : pValue;
}

const ResolutionPreset* FindPreset(KQelCamera::ECameraFormat pFormat)
{
    for (const ResolutionPreset& preset : kResolutionPresets) {
        if (preset.mFormat == pFormat)
            return &preset;
    }
    return nullptr;
}

}  // namespace

void KQelCamera::SetFormat(ECameraFormat pFormat)
{
    KQelCameraProperties& set = *mProperties;
    const ECameraAspectRatioMode previousMode = set.ResolutionMode.GetValue();
    const ResolutionPreset* preset = FindPreset(pFormat);
    if (!preset) {
        set.CameraFormat.SetValue(eCustomFormat);
        return;
    }
    SetAspect(eFixedResolution, preset->mWidth, preset->mHeight);
    SetPixelRatio(ComputePixelRatio(preset->mWidth, preset->mHeight, preset->mScreenAspect));
    set.CameraFormat.SetValue(pFormat);

    const double width = set.AspectW.GetValue();
    const double height = set.AspectH.GetValue();
    switch (previousMode) {
    case eFixedRatio:
        set.AspectW.SetValue(width / height * set.PixelAspectRatio.GetValue());
        set.AspectH.SetValue(1.0);
        set.ResolutionMode.SetValue(eFixedRatio);
        break;
    case eFixedWidthResolution:
        set.AspectH.SetValue(height / width);
        set.ResolutionMode.SetValue(eFixedWidthResolution);
        break;
    case eFixedHeightResolution:
        set.AspectW.SetValue(width / height);
        set.ResolutionMode.SetValue(eFixedHeightResolution);
        break;
    default:
        break;  // stays a fixed resolution
    }
}

void KQelCamera::SetAspect(ECameraAspectRatioMode pMode, double pWidth, double pHeight)
{
    if (pMode >= 0 && pMode < kAspectModeCount) {
        const AspectBounds& bounds = kAspectBounds[pMode];
        const bool bounded = pMode != eWindowSize;
        mProperties->AspectW.SetValue(bounded ? AtLeast(pWidth, bounds.mMinWidth) : pWidth);
        mProperties->AspectH.SetValue(bounds.mHeightIsOne ? 1.0
                                                          : (bounded ? AtLeast(pHeight, bounds.mMinHeight) : pHeight));
    }
    SetFormat(eCustomFormat);
    mProperties->ResolutionMode.SetValue(pMode);
}

void KQelCamera::SetPixelRatio(double pRatio)
{
    if (pRatio == mProperties->PixelAspectRatio.GetValue())
        return;
    mProperties->PixelAspectRatio.SetValue(std::clamp(pRatio, 0.05, 20.0));
    SetFormat(eCustomFormat);
}

double KQelCamera::ComputePixelRatio(unsigned int pWidth, unsigned int pHeight, double pScreenAspect) const
{
    const double width = pWidth ? pWidth : 1.0;
    const double height = pHeight ? pHeight : 1.0;
    return pScreenAspect / (width / height);
}

void KQelCamera::SetApertureFormat(ECameraApertureFormat pFormat)
{
    KQelCameraProperties& set = *mProperties;
    if (pFormat > eCustomAperture && pFormat < kFilmFormatCount) {
        const FilmFormat& film = kFilmFormats[pFormat];
        set.FilmFormatIndex.SetValue(pFormat);
        set.FilmWidth.SetValue(film.mWidth);
        set.FilmHeight.SetValue(film.mHeight);
        set.FilmSqueezeRatio.SetValue(film.mSqueezeRatio);
    } else {
        set.FilmFormatIndex.SetValue(eCustomAperture);
    }
    UpdateFilmAspectRatio();
}

void KQelCamera::UpdateFilmAspectRatio()
{
    const double ratio = mProperties->FilmWidth.GetValue() / mProperties->FilmHeight.GetValue();
    mProperties->FilmAspectRatio.SetData(&ratio);
}

// The three film setters share one rule: a new value, at least 0.0001, makes
// the film format custom.
#define QEL_CAMERA_FILM_SETTER(Setter, Property)                     \
    void KQelCamera::Setter(double pValue)                           \
    {                                                                \
        if (pValue == mProperties->Property.GetValue())              \
            return;                                                  \
        mProperties->Property.SetValue(AtLeast(pValue, kMinFilmValue)); \
        SetApertureFormat(eCustomAperture);                          \
    }
QEL_CAMERA_FILM_SETTER(SetApertureWidth, FilmWidth)
QEL_CAMERA_FILM_SETTER(SetApertureHeight, FilmHeight)
QEL_CAMERA_FILM_SETTER(SetSqueezeRatio, FilmSqueezeRatio)
#undef QEL_CAMERA_FILM_SETTER

double KQelCamera::ComputeAngleOfView(double pFilmWidth, double pFilmHeight, double pFocalLength) const
{
    const double span = mProperties->ApertureMode.GetValue() == eVertical
                            ? pFilmHeight * kMillimetresPerInch
                            : pFilmWidth * kMillimetresPerInch * mProperties->FilmSqueezeRatio.GetValue();
    return 2.0 * std::atan(0.5 * span / pFocalLength) * kDegreesPerRadian;
}

double KQelCamera::ComputeFocalLength(double pFilmWidth, double pFilmHeight, double pAngle) const
{
    const double halfAngle = 0.5 * pAngle * kRadiansPerDegree;
    const double span = mProperties->ApertureMode.GetValue() == eVertical
                            ? pFilmHeight * kMillimetresPerInch
                            : pFilmWidth * kMillimetresPerInch * mProperties->FilmSqueezeRatio.GetValue();
    return 0.5 * span / std::tan(halfAngle);
}

void KQelCamera::SetAngleOfView(double pAngle)
{
    const double angle = std::clamp(pAngle, kMinAngle, kMaxAngle);
    mProperties->FocalLength.SetValue(
        ComputeFocalLength(mProperties->FilmWidth.GetValue(), mProperties->FilmHeight.GetValue(), angle));
}

double KQelCamera::GetAngleOfView() const
{
    const double angle = ComputeAngleOfView(mProperties->FilmWidth.GetValue(), mProperties->FilmHeight.GetValue(),
                                            mProperties->FocalLength.GetValue());
    return std::clamp(angle, kMinAngle, kMaxAngle);
}

}  // namespace qelsdk_600
