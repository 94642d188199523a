// The camera's property set: registration of its table and the texts of its
// enumerations.
#include "content/kqelcamera.h"

namespace qelsdk_600 {

QEL_CLASS_IDENTITY_DEFINE(KQelCameraProperties, KObject)

KQelCameraProperties::KQelCameraProperties() : FrameColorAlpha(1.0)
{
    QEL_PROPERTY_SET_REGISTER_IN_PLACE(QEL_CAMERA_PROPERTIES);
}

KQelCameraProperties::~KQelCameraProperties() {}

// The texts are those files and viewers have always shown, misspellings
// included.

const char* KQelCameraProperties::ResolutionModeAsString(KQelCamera::ECameraAspectRatioMode pValue)
{
    static const char* const kTexts[] = {"Window Size", "Fixed Ratio", "Fixed Resolution", "Fixed Width Resolution",
                                         "Fixed Height Resolution"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::ApertureModeAsString(KQelCamera::ECameraApertureMode pValue)
{
    static const char* const kTexts[] = {"Horizontal & Vertical", "Horizontal", "Vertical"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::CameraFormatAsString(KQelCamera::ECameraFormat pValue)
{
    static const char* const kTexts[] = {"Custom", "D1 NTSC", "NTSC",    "PAL",     "D1 PAL",     "HD",
                                         "640x480", "320x200", "320x240", nullptr, "Full Screen"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::FilmFormatIndexAsString(KQelCamera::ECameraApertureFormat pValue)
{
    static const char* const kTexts[] = {"Custom",
                                         "16mm Theatrical",
                                         "Super 16mm",
                                         "35mm Academy",
                                         "35mm TV Projection",
                                         "35mm Full Aperture",
                                         "35mm 1.85 Projection",
                                         "35mm Anamorphic",
                                         "70mm Projection",
                                         "VistaVision",
                                         "Dynavision",
                                         "Imax"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::ViewFrustumBackPlaneModeAsString(KQelCamera::ECameraBackgroundDisplayMode pValue)
{
    static const char* const kTexts[] = {"Disabled", "Always", "When Media"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::BackPlaneDistanceModeAsString(KQelCamera::ECameraBackgroundDistanceMode pValue)
{
    static const char* const kTexts[] = {"Relative to Interest", "Relative to Camera"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::BackgroundModeAsString(KQelCamera::ECameraBackgroundDrawingMode pValue)
{
    static const char* const kTexts[] = {"Background", "Foreground", "Background & Forground"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::SafeAreaDisplayStyleAsString(KQelCamera::ECameraSafeAreaStyle pValue)
{
    static const char* const kTexts[] = {"Round Safe Area", "Square Safe Area"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::CameraProjectionTypeAsString(KQelCamera::ECameraProjectionType pValue)
{
    static const char* const kTexts[] = {"Perspective", "Orthographic"};
    return KQelEnumText(kTexts, pValue);
}

const char* KQelCameraProperties::FocusSourceAsString(KQelCamera::ECameraFocusDistanceSource pValue)
{
    static const char* const kTexts[] = {"Camera Interest", "Specific Distance"};
    return KQelEnumText(kTexts, pValue);
}

}  // namespace qelsdk_600
