// The camera: construction, defaults, plain settings and copying.
#include "content/kqelcamera.h"

#include <algorithm>

namespace qelsdk_600 {

namespace {

const double kMinPlane = 0.001;
const double kMaxPlane = 600000.0;

// Bits of the background placement options.
enum : unsigned int { kFitImageBit = 1, kCenterBit = 2, kKeepRatioBit = 4, kCropBit = 8 };

}  // namespace

KQelCamera::KQelCamera(KQelSdkManager& pManager)
    : KQelNodeAttribute(pManager),
      mProperties(new KQelCameraProperties),
      mUpVector(0.0, 1.0, 0.0, 1.0),
      mInterestPosition(0.0, 0.0, 0.0, 1.0),
      mShowInfoOnMoving(true),
      mDisplaySafeAreaOnRender(false),
      mShowAudio(false),
      mAudioColor(0.0, 1.0, 0.0, 1.0),
      mAntialiasingMethod(eDefaultAntialiasingMethod),
      mSamplingType(eDefaultSamplingType)
{
    Reset();
}

KQelCamera::~KQelCamera()
{
    mProperties->Destroy(0);
}

KProperty* KQelCamera::Animated(const char* pName) const
{
    return mProperties->FindPropertyByName(pName);
}

void KQelCamera::FillPropertyList(void* pList)
{
    KQelAppendProperties(mProperties, pList);
}

KString KQelCamera::GetTypeName()
{
    return KString("Camera");
}

KStringList KQelCamera::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Camera", 0);
    return flags;
}

// The order is part of the contract: listeners of the set hear the writes
// that go through a property's interfaces in this order, and on a node the
// roll and turntable reach the Default take.
void KQelCamera::Reset()
{
    KQelCameraProperties& set = *mProperties;

    SetPosition(KQelVector4(0.0, 0.0, -50.0, 1.0));
    mUpVector.Set(0.0, 1.0, 0.0, 1.0);
    mInterestPosition.Set(0.0, 0.0, 0.0, 1.0);

    set.CameraProjectionType.SetValue(ePerspective);
    SetRoll(0.0);

    Animated("FieldOfView")->SetDouble(40.0);
    Animated("FieldOfViewX")->SetDouble(1.0);
    Animated("FieldOfViewY")->SetDouble(1.0);
    Animated("OpticalCenterX")->SetDouble(0.0);
    Animated("OpticalCenterY")->SetDouble(0.0);
    const double black[3] = {0.0, 0.0, 0.0};
    Animated("BackgroundColor")->SetData(black);
    SetTurnTable(0.0);

    set.DisplayTurnTableIcon.SetValue(true);
    Animated("Motion Blur Intensity")->SetDouble(1.0);
    set.UseMotionBlur.SetValue(false);
    set.UseRealTimeMotionBlur.SetValue(true);
    set.CameraFormat.SetValue(eCustomFormat);
    set.ResolutionMode.SetValue(eWindowSize);
    set.AspectW.SetValue(320.0);
    set.AspectH.SetValue(200.0);
    set.PixelAspectRatio.SetValue(1.0);
    set.LockMode.SetValue(false);

    SetApertureFormat(e35mmTVProjection);
    set.ApertureMode.SetValue(eVertical);
    set.NearPlane.SetValue(10.0);
    set.FarPlane.SetValue(4000.0);
    set.FocalLength.SetValue(35.0);

    mBackgroundMediaName = "";
    mBackgroundFileName = "";
    set.ViewFrustumBackPlaneMode.SetValue(eWhenMedia);
    set.BackgroundMode.SetValue(eBackground);
    set.ForegroundTransparent.SetValue(true);
    set.BackgroundAlphaTreshold.SetValue(0.5);
    set.FitImage.SetValue(false);
    set.Center.SetValue(true);
    set.KeepRatio.SetValue(true);
    set.Crop.SetValue(false);
    set.BackPlaneDistance.SetValue(100.0);
    set.BackPlaneDistanceMode.SetValue(eRelativeToInterest);
    set.ViewFrustum.SetValue(true);
    set.ViewFrustumNearFarPlane.SetValue(false);
    set.ViewCameraToLookAt.SetValue(true);
    set.ShowGrid.SetValue(true);
    set.ShowAzimut.SetValue(true);
    set.ShowName.SetValue(true);
    mShowInfoOnMoving = true;
    set.ShowTimeCode.SetValue(false);
    set.ShowOpticalCenter.SetValue(false);
    set.DisplaySafeArea.SetValue(false);
    set.SafeAreaDisplayStyle.SetValue(eSquare);
    // Fourteen 3s, not 4/3: the value files have always carried.
    const double safeAreaAspectRatio = 1.33333333333333;
    set.SafeAreaAspectRatio.SetData(&safeAreaAspectRatio);
    mDisplaySafeAreaOnRender = false;
    mShowAudio = false;

    mAudioColor.Set(0.0, 1.0, 0.0, 1.0);
    set.UseFrameColor.SetValue(false);
    set.FrameColor.Set(KgeRGBVector(0.3, 0.3, 0.3));

    set.UseRealTimeDOFAndAA.SetValue(false);
    set.UseAntialiasing.SetValue(false);
    set.AntialiasingIntensity.SetValue(0.77777);
    mAntialiasingMethod = eDefaultAntialiasingMethod;
    set.FrameSamplingCount.SetValue(7);
    mSamplingType = eDefaultSamplingType;
    set.UseAccumulationBuffer.SetValue(false);
    set.UseDepthOfField.SetValue(false);
    set.FocusSource.SetValue(eCameraInterest);
    set.FocusDistance.SetValue(200.0);
    set.FocusAngle.SetValue(3.5);
    set.Use2DMagnifierZoom.SetValue(false);

    Animated("2D Magnifier Zoom")->SetDouble(100.0);
    Animated("2D Magnifier X")->SetDouble(50.0);
    Animated("2D Magnifier Y")->SetDouble(50.0);
}

KQelCamera& KQelCamera::operator=(const KQelCamera& pOther)
{
    if (this == &pOther)
        return *this;
    KQelCameraProperties& set = *mProperties;
    const KQelCameraProperties& other = *pOther.mProperties;
#define QEL_COPY_STORED(Name) set.Name.SetValue(other.Name.GetValue());

    mUpVector = pOther.mUpVector;
    mInterestPosition = pOther.mInterestPosition;
    SetPosition(pOther.GetPosition());
    SetRoll(pOther.GetRoll());
    SetTurnTable(pOther.GetTurnTable());

    QEL_COPY_STORED(CameraProjectionType)
    QEL_COPY_STORED(CameraFormat)
    QEL_COPY_STORED(ResolutionMode)
    QEL_COPY_STORED(AspectW)
    QEL_COPY_STORED(AspectH)
    QEL_COPY_STORED(PixelAspectRatio)
    QEL_COPY_STORED(NearPlane)
    QEL_COPY_STORED(FarPlane)
    QEL_COPY_STORED(LockMode)
    QEL_COPY_STORED(FilmFormatIndex)
    QEL_COPY_STORED(ApertureMode)
    QEL_COPY_STORED(FilmWidth)
    QEL_COPY_STORED(FilmHeight)
    // The ratio is derived from the film size; a copy must not keep its own
    // stale one (files carry it).
    UpdateFilmAspectRatio();
    QEL_COPY_STORED(FilmSqueezeRatio)
    QEL_COPY_STORED(FocalLength)

    mBackgroundMediaName = pOther.mBackgroundMediaName;
    mBackgroundFileName = pOther.mBackgroundFileName;

    QEL_COPY_STORED(ViewFrustumBackPlaneMode)
    QEL_COPY_STORED(BackgroundMode)
    QEL_COPY_STORED(ForegroundTransparent)
    QEL_COPY_STORED(BackgroundAlphaTreshold)
    QEL_COPY_STORED(FitImage)
    QEL_COPY_STORED(Center)
    QEL_COPY_STORED(KeepRatio)
    QEL_COPY_STORED(Crop)
    QEL_COPY_STORED(BackPlaneDistance)
    QEL_COPY_STORED(BackPlaneDistanceMode)
    QEL_COPY_STORED(ViewFrustum)
    QEL_COPY_STORED(ViewFrustumNearFarPlane)
    QEL_COPY_STORED(ShowGrid)
    QEL_COPY_STORED(ShowAzimut)
    QEL_COPY_STORED(ShowName)
    mShowInfoOnMoving = pOther.mShowInfoOnMoving;
    QEL_COPY_STORED(ShowTimeCode)
    QEL_COPY_STORED(DisplaySafeArea)
    QEL_COPY_STORED(SafeAreaDisplayStyle)
    mDisplaySafeAreaOnRender = pOther.mDisplaySafeAreaOnRender;
    mShowAudio = pOther.mShowAudio;

    SetDefaultBackgroundColor(pOther.GetBackgroundColor());
    mAudioColor = pOther.mAudioColor;
    QEL_COPY_STORED(UseFrameColor)
    QEL_COPY_STORED(FrameColor)

    QEL_COPY_STORED(UseRealTimeDOFAndAA)
    QEL_COPY_STORED(UseAntialiasing)
    QEL_COPY_STORED(AntialiasingIntensity)
    mAntialiasingMethod = pOther.mAntialiasingMethod;
    QEL_COPY_STORED(FrameSamplingCount)
    mSamplingType = pOther.mSamplingType;
    QEL_COPY_STORED(UseAccumulationBuffer)
    QEL_COPY_STORED(UseDepthOfField)
    QEL_COPY_STORED(FocusSource)
    QEL_COPY_STORED(FocusDistance)
    QEL_COPY_STORED(FocusAngle)
#undef QEL_COPY_STORED
    return *this;
}

// ---- Plain settings ----

#define QEL_CAMERA_DEFINE_GETTER(Type, Accessor, Property) \
    auto KQelCamera::Get##Accessor() const -> Type { return mProperties->Property.GetValue(); }
#define QEL_CAMERA_DEFINE_PAIR(Type, Accessor, Property)                                      \
    void KQelCamera::Set##Accessor(Type pValue) { mProperties->Property.SetValue(pValue); } \
    QEL_CAMERA_DEFINE_GETTER(Type, Accessor, Property)
QEL_CAMERA_PLAIN_ACCESSORS(QEL_CAMERA_DEFINE_PAIR)
QEL_CAMERA_PLAIN_GETTERS(QEL_CAMERA_DEFINE_GETTER)
#undef QEL_CAMERA_DEFINE_PAIR
#undef QEL_CAMERA_DEFINE_GETTER

double KQelCamera::GetRoll() const
{
    return Animated("Roll")->AsDouble();
}

double KQelCamera::GetTurnTable() const
{
    return Animated("TurnTable")->AsDouble();
}

KQelColor KQelCamera::GetBackgroundColor() const
{
    double rgb[3] = {0.0, 0.0, 0.0};
    Animated("BackgroundColor")->GetData(rgb);
    KQelColor color;
    color.mRed = rgb[0];
    color.mGreen = rgb[1];
    color.mBlue = rgb[2];
    return color;
}

void KQelCamera::SetNearPlane(double pDistance)
{
    const double nearPlane = std::clamp(pDistance, kMinPlane, kMaxPlane);
    mProperties->NearPlane.SetValue(nearPlane);
    if (mProperties->FarPlane.GetValue() < nearPlane)
        mProperties->FarPlane.SetValue(nearPlane);
}

void KQelCamera::SetFarPlane(double pDistance)
{
    const double farPlane = std::clamp(pDistance, kMinPlane, kMaxPlane);
    mProperties->FarPlane.SetValue(farPlane);
    if (mProperties->NearPlane.GetValue() > farPlane)
        mProperties->NearPlane.SetValue(farPlane);
}

void KQelCamera::SetFrameColor(const KQelColor& pColor)
{
    mProperties->FrameColor.SetValue(KgeRGBVector(pColor.mRed, pColor.mGreen, pColor.mBlue));
    mProperties->FrameColorAlpha = pColor.mAlpha;
}

KQelColor KQelCamera::GetFrameColor() const
{
    const KgeRGBVector& rgb = mProperties->FrameColor.GetValue();
    KQelColor color;
    color.mRed = rgb.mData[0];
    color.mGreen = rgb.mData[1];
    color.mBlue = rgb.mData[2];
    color.mAlpha = mProperties->FrameColorAlpha;
    return color;
}

void KQelCamera::SetBackgroundPlacementOptions(unsigned int pOptions)
{
    mProperties->FitImage.SetValue((pOptions & kFitImageBit) != 0);
    mProperties->Center.SetValue((pOptions & kCenterBit) != 0);
    mProperties->KeepRatio.SetValue((pOptions & kKeepRatioBit) != 0);
    mProperties->Crop.SetValue((pOptions & kCropBit) != 0);
}

unsigned int KQelCamera::GetBackgroundPlacementOptions() const
{
    return (mProperties->FitImage.GetValue() ? kFitImageBit : 0u) | (mProperties->Center.GetValue() ? kCenterBit : 0u) |
           (mProperties->KeepRatio.GetValue() ? kKeepRatioBit : 0u) | (mProperties->Crop.GetValue() ? kCropBit : 0u);
}

void KQelCamera::SetRenderOptionsUsageTime(ECameraRenderOptionsUsageTime pUsageTime)
{
    if (pUsageTime == eRealTime || pUsageTime == eNotRealTime)
        mProperties->UseRealTimeDOFAndAA.SetValue(pUsageTime == eRealTime);
}

KQelCamera::ECameraRenderOptionsUsageTime KQelCamera::GetRenderOptionsUsageTime() const
{
    return mProperties->UseRealTimeDOFAndAA.GetValue() ? eRealTime : eNotRealTime;
}

void KQelCamera::SetBackgroundFileName(const char* pName)
{
    mBackgroundFileName = pName ? pName : "";
}

const char* KQelCamera::GetBackgroundFileName() const
{
    return mBackgroundFileName.IsEmpty() ? nullptr : mBackgroundFileName.Buffer();
}

void KQelCamera::SetBackgroundMediaName(const char* pName)
{
    mBackgroundMediaName = pName ? pName : "";
}

const char* KQelCamera::GetBackgroundMediaName() const
{
    return mBackgroundMediaName.IsEmpty() ? nullptr : mBackgroundMediaName.Buffer();
}

}  // namespace qelsdk_600
