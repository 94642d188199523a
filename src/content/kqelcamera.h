// The camera attribute and its property set.
#ifndef QELSDK_CONTENT_KQELCAMERA_H
#define QELSDK_CONTENT_KQELCAMERA_H

#include "base/kstring.h"
#include "base/kstringlist.h"
#include "content/kqelcolor.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kobject.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

class KFCurve;
class KProperty;
class KQelCameraProperties;
class KQelTexture;

// Attribute type 7: makes the node that carries it a camera. Describes the
// projection, the output resolution and pixel shape, the film back (inches)
// and the lens (millimetres), the clipping planes, the background media and
// its placement, what the viewer shows and the render options. Most settings
// live in the camera's property set (GetPropertyHandler); the position is
// the default translation of the carrying node.
//
// Eight values have curves in every take of the carrying node: field of view
// (and its X and Y parts), optical centre X and Y, roll, turntable and the
// background colour (three curves). In the take "Default" those curves are
// linked to the properties of the same name, so that a changed curve default
// value moves the property. The SetDefault.../GetDefault... operations keep
// a property and its Default-take curve together; on no node (or when the
// Default take lacks the curve) they work on the property alone.
//
// Made and destroyed only by the manager. No operation reports an error:
// values are clamped where stated, else stored as given.
class KQelCamera : public KQelNodeAttribute {
public:
    enum ECameraProjectionType : int { ePerspective = 0, eOrthogonal = 1 };
    // Resolution presets (SetFormat); 9 has no preset and no text.
    enum ECameraFormat : int {
        eCustomFormat = 0,
        eD1NTSC = 1,
        eNTSC = 2,
        ePAL = 3,
        eD1PAL = 4,
        eHD = 5,
        e640x480 = 6,
        e320x200 = 7,
        e320x240 = 8,
        eFullScreen = 10
    };
    // How SetAspect bounds the width and height.
    enum ECameraAspectRatioMode : int {
        eWindowSize = 0,
        eFixedRatio = 1,
        eFixedResolution = 2,
        eFixedWidthResolution = 3,
        eFixedHeightResolution = 4
    };
    // Film formats (SetApertureFormat).
    enum ECameraApertureFormat : int {
        eCustomAperture = 0,
        e16mmTheatrical = 1,
        eSuper16mm = 2,
        e35mmAcademy = 3,
        e35mmTVProjection = 4,
        e35mmFullAperture = 5,
        e35mm185Projection = 6,
        e35mmAnamorphic = 7,
        e70mmProjection = 8,
        eVistaVision = 9,
        eDynaVision = 10,
        eIMAX = 11
    };
    // Which film dimension the angle of view spans.
    enum ECameraApertureMode : int { eHorizontalAndVertical = 0, eHorizontal = 1, eVertical = 2 };
    enum ECameraBackgroundDisplayMode : int { eDisabled = 0, eAlways = 1, eWhenMedia = 2 };
    enum ECameraBackgroundDistanceMode : int { eRelativeToInterest = 0, eRelativeToCamera = 1 };
    enum ECameraBackgroundDrawingMode : int { eBackground = 0, eForeground = 1, eBackgroundAndForeground = 2 };
    enum ECameraSafeAreaStyle : int { eRound = 0, eSquare = 1 };
    enum ECameraFocusDistanceSource : int { eCameraInterest = 0, eSpecificDistance = 1 };
    // 0: depth of field and antialiasing computed in real time.
    enum ECameraRenderOptionsUsageTime : int { eRealTime = 0, eNotRealTime = 1 };
    // Stored and carried through files unchanged; only the defaults are named.
    enum ECameraAntialiasingMethod : int { eDefaultAntialiasingMethod = 0 };
    enum ECameraSamplingType : int { eDefaultSamplingType = 1 };

    // Unbound, with a new property set, then Reset. Called by the manager.
    explicit KQelCamera(KQelSdkManager& pManager);
    // Destroys the property set (through its Destroy).
    ~KQelCamera() override;

    // ---- Node-attribute operations ----

    EAttributeType GetAttributeType() const override { return eCamera; }
    // Builds the ten curves (seven scalars, "BackgroundColor (Color)" with
    // "X", "Y", "Z") in a take node of the carrying node, reusing those that
    // exist. In a take named "Default" (any case) each curve is first linked
    // to its property, then the default values are set (so they reach the
    // properties): field of view 25.115, X and Y parts 40, the others 0, the
    // background colour from GetDefaultBackgroundColor. Sets the curves'
    // display colours. Nothing for a null take node.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Deletes the eight curve nodes of AddChannels (the links end with them).
    void RemoveChannels(KQelTakeNode* pTakeNode) override;
    // Appends the 65 properties, in the set's order, to the
    // KArrayTemplate<KProperty*> that pList points to; nothing for null.
    void FillPropertyList(void* pList) override;
    // "Camera".
    KString GetTypeName() override;
    // One entry, "Camera" (reference 0).
    KStringList GetTypeFlags() override;

    // The camera's property set; the camera owns it.
    KQelCameraProperties* GetPropertyHandler() const { return mProperties; }

    // Every setting back to its default (property table of
    // KQelCameraProperties), in a fixed order; on a node the position becomes
    // (0, 0, -50) and the roll and turntable curves 0. Leaves
    // "LockInterestNavigation" and the alpha of the frame colour.
    void Reset();

    // Copies the other camera's settings: up vector, interest position,
    // position, roll, turntable, projection, format, aspect, pixel ratio,
    // planes, mouse lock, film format, size and squeeze (then "FilmAspectRatio"
    // = width / height), aperture mode, focal length, background names and
    // display, viewer flags, safe area, background colour, audio colour, frame
    // colour (not its alpha) and the render options; stored values are copied
    // without the setters' clamps. The field-of-view and optical-centre values,
    // the magnifier, the motion blur, "ShowOpticalCenter",
    // "ViewCameraToLookAt", "LockInterestNavigation", "SafeAreaAspectRatio"
    // and every curve stay. Assigning a camera to itself changes nothing.
    KQelCamera& operator=(const KQelCamera& pOther);

    // ---- Position and orientation ----

    // Writes the carrying node's default translation; nothing on no node.
    void SetPosition(const KQelVector4& pPosition);
    // The carrying node's default translation; (0, 0, 0, 0) on no node.
    KQelVector4 GetPosition() const;
    // Stored as given; a copy is returned. (0, 1, 0, 1) by default.
    void SetUpVector(const KQelVector4& pVector) { mUpVector = pVector; }
    KQelVector4 GetUpVector() const { return mUpVector; }
    // The point looked at; stored as given. (0, 0, 0, 1) by default.
    void SetDefaultCameraInterestPosition(const KQelVector4& pPosition) { mInterestPosition = pPosition; }
    KQelVector4 GetDefaultCameraInterestPosition() const { return mInterestPosition; }

    // ---- Values kept with the Default take ----

    // Getters: the Default-take curve's default value on a node, else the
    // property's value. Setters: the property (through its double interface,
    // so listeners hear it), then on a node the curve's default value (held as
    // a float). Degrees for the angles.
    double GetDefaultFieldOfView() const;
    void SetDefaultFieldOfView(double pValue);
    double GetDefaultFieldOfViewX() const;
    void SetDefaultFieldOfViewX(double pValue);
    double GetDefaultFieldOfViewY() const;
    void SetDefaultFieldOfViewY(double pValue);
    double GetDefaultOpticalCenterX() const;
    void SetDefaultOpticalCenterX(double pValue);
    double GetDefaultOpticalCenterY() const;
    void SetDefaultOpticalCenterY(double pValue);
    double GetDefaultRoll() const;
    void SetDefaultRoll(double pValue);
    double GetDefaultTurnTable() const;
    void SetDefaultTurnTable(double pValue);
    // Red, green and blue of the curves on a node, else of "BackgroundColor";
    // alpha 1. Components are returned as held, not clamped.
    KQelColor GetDefaultBackgroundColor() const;
    // "BackgroundColor" takes red, green and blue (alpha is dropped), then on a
    // node the red, green and blue curves, in that order.
    void SetDefaultBackgroundColor(const KQelColor& pColor);

    // SetDefaultRoll, SetDefaultTurnTable, SetDefaultBackgroundColor.
    void SetRoll(double pRoll) { SetDefaultRoll(pRoll); }
    void SetTurnTable(double pTurnTable) { SetDefaultTurnTable(pTurnTable); }
    void SetBackgroundColor(const KQelColor& pColor) { SetDefaultBackgroundColor(pColor); }
    // The property's value, never the curve.
    double GetRoll() const;
    double GetTurnTable() const;
    // "BackgroundColor" (never the curves), alpha 1.
    KQelColor GetBackgroundColor() const;

    // ---- Settings with rules ----

    // Clamped to [0.001, 600000]; the far plane is raised to a nearer plane
    // beyond it.
    void SetNearPlane(double pDistance);
    // Clamped to [0.001, 600000]; the near plane is lowered to a farther plane
    // before it.
    void SetFarPlane(double pDistance);
    // Red, green, blue and alpha stored as given (not clamped); the alpha has
    // no property of its own (see KQelCameraProperties::FrameColorAlpha).
    void SetFrameColor(const KQelColor& pColor);
    KQelColor GetFrameColor() const;
    // Bit 0 "FitImage", bit 1 "Center", bit 2 "KeepRatio", bit 3 "Crop"; other
    // bits are ignored.
    void SetBackgroundPlacementOptions(unsigned int pOptions);
    unsigned int GetBackgroundPlacementOptions() const;
    // 0 sets "UseRealTimeDOFAndAA", 1 clears it, other values change nothing.
    void SetRenderOptionsUsageTime(ECameraRenderOptionsUsageTime pUsageTime);
    // 0 when "UseRealTimeDOFAndAA" is set, else 1.
    ECameraRenderOptionsUsageTime GetRenderOptionsUsageTime() const;
    // Makes the texture the background of the carrying node: the texture's
    // property set becomes a source of the node's, once. Nothing for a null
    // texture or on no node.
    void SetBackgroundTexture(KQelTexture* pTexture);

    // ---- Formats, film and lens (sizes in inches, lengths in mm, degrees) ----

    // A preset (1 to 8, 10): aspect pWidth x pHeight of the preset with its
    // pixel ratio, then back to the aspect mode that was set (fixed ratio,
    // width or height convert the aspect; others leave mode 2); the format
    // becomes pFormat. Any other value only sets the format to 0.
    void SetFormat(ECameraFormat pFormat);
    // "AspectW" and "AspectH" bounded by the mode (1: width >= 0.001 and
    // height 1; 2: both >= 1; 3: width >= 1, height >= 0.001; 4: width >=
    // 0.001, height >= 1; 0 as given; other modes leave both), then format 0,
    // then the mode, stored even outside 0 to 4.
    void SetAspect(ECameraAspectRatioMode pMode, double pWidth, double pHeight);
    // A ratio other than the current one: bounded to [0.05, 20], stored, and
    // the format becomes 0.
    void SetPixelRatio(double pRatio);
    // pScreenAspect x height / width, a zero dimension counting as 1.
    double ComputePixelRatio(unsigned int pWidth, unsigned int pHeight, double pScreenAspect) const;
    // A film format (1 to 11): its index, width, height and squeeze; any other
    // value: index 0, film kept. Then "FilmAspectRatio" = width / height.
    void SetApertureFormat(ECameraApertureFormat pFormat);
    // A value other than the current one: stored, at least 0.0001, then film
    // format 0 (and the ratio recomputed).
    void SetApertureWidth(double pWidth);
    void SetApertureHeight(double pHeight);
    void SetSqueezeRatio(double pRatio);
    // Bounded to [1, 179] degrees, turned into "FocalLength"; the angle itself
    // and the field-of-view values are not stored.
    void SetAngleOfView(double pAngle);
    // The angle of view of the film and focal length, bounded to [1, 179].
    double GetAngleOfView() const;
    // The angle (degrees) the film spans at that focal length: the height in
    // vertical aperture mode, else the width times the squeeze. Unbounded.
    double ComputeAngleOfView(double pFilmWidth, double pFilmHeight, double pFocalLength) const;
    // The focal length (mm) at which the film spans that angle. Unbounded.
    double ComputeFocalLength(double pFilmWidth, double pFilmHeight, double pAngle) const;

    // ---- Plain settings ----

// Set<Accessor> stores the property's value as given (no check, no
// notification, no bound setter); Get<Accessor> answers the stored value.
// Rows: value type, accessor name, property (member of the set).
#define QEL_CAMERA_PLAIN_ACCESSORS(X)                                             \
    X(double, FocalLength, FocalLength)                                           \
    X(ECameraApertureMode, ApertureMode, ApertureMode)                            \
    X(bool, UseFrameColor, UseFrameColor)                                         \
    X(bool, ShowName, ShowName)                                                   \
    X(bool, ShowGrid, ShowGrid)                                                   \
    X(bool, ShowAxis, ShowAzimut)                                                 \
    X(bool, ShowTimeCode, ShowTimeCode)                                           \
    X(bool, ViewNearFarPlanes, ViewFrustumNearFarPlane)                           \
    X(ECameraBackgroundDisplayMode, BackgroundDisplayMode, ViewFrustumBackPlaneMode) \
    X(double, BackgroundDistance, BackPlaneDistance)                              \
    X(ECameraBackgroundDistanceMode, BackgroundDistanceMode, BackPlaneDistanceMode) \
    X(bool, ViewCameraInterest, ViewCameraToLookAt)                               \
    X(bool, MouseLock, LockMode)                                                  \
    X(ECameraBackgroundDrawingMode, BackgroundDrawingMode, BackgroundMode)        \
    X(double, ForegroundMatteThreshold, BackgroundAlphaTreshold)                  \
    X(bool, ForegroundMatteThresholdEnable, ForegroundTransparent)                \
    X(bool, DisplaySafeArea, DisplaySafeArea)                                     \
    X(ECameraSafeAreaStyle, SafeAreaStyle, SafeAreaDisplayStyle)                  \
    X(ECameraProjectionType, ProjectionType, CameraProjectionType)                \
    X(bool, UseDepthOfField, UseDepthOfField)                                     \
    X(ECameraFocusDistanceSource, FocusDistanceSource, FocusSource)               \
    X(double, FocusAngle, FocusAngle)                                             \
    X(double, SpecificDistance, FocusDistance)                                    \
    X(bool, UseAntialiasing, UseAntialiasing)                                     \
    X(double, AntialiasingIntensity, AntialiasingIntensity)                       \
    X(bool, UseAccumulationBuffer, UseAccumulationBuffer)                         \
    X(int, NumberOfSamples, FrameSamplingCount)

// Get<Accessor> answers the stored value; the setters are those above.
#define QEL_CAMERA_PLAIN_GETTERS(X)                                               \
    X(ECameraFormat, Format, CameraFormat)                                        \
    X(ECameraAspectRatioMode, AspectRatioMode, ResolutionMode)                    \
    X(double, AspectWidth, AspectW)                                               \
    X(double, AspectHeight, AspectH)                                              \
    X(double, PixelRatio, PixelAspectRatio)                                       \
    X(double, NearPlane, NearPlane)                                               \
    X(double, FarPlane, FarPlane)                                                 \
    X(double, ApertureWidth, FilmWidth)                                           \
    X(double, ApertureHeight, FilmHeight)                                         \
    X(double, SqueezeRatio, FilmSqueezeRatio)                                     \
    X(ECameraApertureFormat, ApertureFormat, FilmFormatIndex)

#define QEL_CAMERA_DECLARE_GETTER(Type, Accessor, Property) Type Get##Accessor() const;
#define QEL_CAMERA_DECLARE_PAIR(Type, Accessor, Property) \
    void Set##Accessor(Type pValue);                      \
    QEL_CAMERA_DECLARE_GETTER(Type, Accessor, Property)
    QEL_CAMERA_PLAIN_ACCESSORS(QEL_CAMERA_DECLARE_PAIR)
    QEL_CAMERA_PLAIN_GETTERS(QEL_CAMERA_DECLARE_GETTER)
#undef QEL_CAMERA_DECLARE_PAIR
#undef QEL_CAMERA_DECLARE_GETTER

    // ---- Settings held by the camera itself ----

    // Copy the text (null: empty); the getters answer null for an empty name.
    void SetBackgroundFileName(const char* pName);
    const char* GetBackgroundFileName() const;
    void SetBackgroundMediaName(const char* pName);
    const char* GetBackgroundMediaName() const;
    // Viewer shows information while the camera moves (default true).
    void SetShowInfoOnMoving(bool pShow) { mShowInfoOnMoving = pShow; }
    bool GetShowInfoOnMoving() const { return mShowInfoOnMoving; }
    // Safe area also drawn when rendering (default false).
    void SetDisplaySafeAreaOnRender(bool pDisplay) { mDisplaySafeAreaOnRender = pDisplay; }
    bool GetDisplaySafeAreaOnRender() const { return mDisplaySafeAreaOnRender; }
    // Viewer shows the audio track (default false).
    void SetShowAudio(bool pShow) { mShowAudio = pShow; }
    bool GetShowAudio() const { return mShowAudio; }
    // Colour of the audio display, clamped to [0, 1] by the colour's
    // assignment; (0, 1, 0, 1) by default.
    void SetAudioColor(const KQelColor& pColor) { mAudioColor = pColor; }
    KQelColor GetAudioColor() const { return mAudioColor; }
    // Stored unchanged (defaults 0 and 1).
    void SetAntialiasingMethod(ECameraAntialiasingMethod pMethod) { mAntialiasingMethod = pMethod; }
    ECameraAntialiasingMethod GetAntialiasingMethod() const { return mAntialiasingMethod; }
    void SetSamplingType(ECameraSamplingType pType) { mSamplingType = pType; }
    ECameraSamplingType GetSamplingType() const { return mSamplingType; }

private:
    // The animated property of that name in the set (always present).
    KProperty* Animated(const char* pName) const;
    // The curve of a fixed channel (KQelTakeNode::EChannel) in the carrying
    // node's Default take; null on no node or when the take lacks it.
    KFCurve* DefaultTakeCurve(int pChannel) const;
    // Links a Default-take curve to a member of a property of the set.
    void LinkDefaultTakeCurve(KProperty* pProperty, int pMember, KFCurve* pCurve);
    // The scalar default-value operations, by row of the table of scalar
    // channels (kqelcamera_channels.cpp).
    double GetDefaultValue(int pRow) const;
    void SetDefaultValue(int pRow, double pValue);
    // "FilmAspectRatio" = "FilmWidth" / "FilmHeight", through the property's
    // data interface.
    void UpdateFilmAspectRatio();

    KQelCameraProperties* mProperties;
    KQelVector4 mUpVector;
    KQelVector4 mInterestPosition;
    KString mBackgroundMediaName;
    KString mBackgroundFileName;
    bool mShowInfoOnMoving;
    bool mDisplaySafeAreaOnRender;
    bool mShowAudio;
    KQelColor mAudioColor;
    ECameraAntialiasingMethod mAntialiasingMethod;
    ECameraSamplingType mSamplingType;
};

// Properties of a camera, in registration order: V rows are members, A rows
// animated properties made in their place (data types "Roll", "FieldOfView",
// "Real": doubles; "Color": three doubles). Units: film sizes in inches,
// focal length in millimetres, angles in degrees. The camera's Reset gives
// the values after construction (shown after "->"); the set alone leaves
// every member 0 or false.
#define QEL_CAMERA_PROPERTIES(V, E, L, A)                                                              \
    A("Roll", "Roll")                                                        /* -> 0 */                \
    A("FieldOfView", "FieldOfView")                                          /* -> 40 */               \
    A("FieldOfViewX", "FieldOfView")                                         /* -> 1 */                \
    A("FieldOfViewY", "FieldOfView")                                         /* -> 1 */                \
    A("OpticalCenterX", "Real")                                              /* -> 0 */                \
    A("OpticalCenterY", "Real")                                              /* -> 0 */                \
    A("BackgroundColor", "Color")                                            /* -> (0, 0, 0) */        \
    A("TurnTable", "Real")                                                   /* -> 0 */                \
    V(bool, DisplayTurnTableIcon, "DisplayTurnTableIcon", false, 0)          /* -> true */             \
    A("Motion Blur Intensity", "Real")                                       /* -> 1 */                \
    V(bool, UseMotionBlur, "UseMotionBlur", false, 0)                        /* -> false */            \
    V(bool, UseRealTimeMotionBlur, "UseRealTimeMotionBlur", false, 0)        /* -> true */             \
    V(double, FocalLength, "FocalLength", 0.0, 0)                            /* -> 35 */               \
    E(KQelCamera::ECameraAspectRatioMode, ResolutionMode, "ResolutionMode", ResolutionModeAsString, 0, 0) \
    E(KQelCamera::ECameraApertureMode, ApertureMode, "ApertureMode", ApertureModeAsString, 0, 0) /* -> 2 */ \
    E(KQelCamera::ECameraFormat, CameraFormat, "CameraFormat", CameraFormatAsString, 0, 0)              \
    V(double, AspectW, "AspectW", 0.0, 0)                                    /* -> 320 */              \
    V(double, AspectH, "AspectH", 0.0, 0)                                    /* -> 200 */              \
    V(double, PixelAspectRatio, "PixelAspectRatio", 0.0, 0)                  /* -> 1 */                \
    V(bool, UseFrameColor, "UseFrameColor", false, 0)                        /* -> false */            \
    V(KgeRGBVector, FrameColor, "FrameColor", KgeRGBVector(), 0)             /* -> (0.3, 0.3, 0.3) */  \
    V(bool, ShowName, "ShowName", false, 0)                                  /* -> true */             \
    V(bool, ShowGrid, "ShowGrid", false, 0)                                  /* -> true */             \
    V(bool, ShowOpticalCenter, "ShowOpticalCenter", false, 0)                /* -> false */            \
    V(bool, ShowAzimut, "ShowAzimut", false, 0)                              /* -> true */             \
    V(bool, ShowTimeCode, "ShowTimeCode", false, 0)                          /* -> false */            \
    V(double, NearPlane, "NearPlane", 0.0, 0)                                /* -> 10 */               \
    V(double, FarPlane, "FarPlane", 0.0, 0)                                  /* -> 4000 */             \
    V(double, FilmWidth, "FilmWidth", 0.0, 0)                                /* -> 0.816 */            \
    V(double, FilmHeight, "FilmHeight", 0.0, 0)                              /* -> 0.612 */            \
    V(double, FilmAspectRatio, "FilmAspectRatio", 0.0, 0)                    /* -> 0.816 / 0.612 */    \
    V(double, FilmSqueezeRatio, "FilmSqueezeRatio", 0.0, 0)                  /* -> 1 */                \
    E(KQelCamera::ECameraApertureFormat, FilmFormatIndex, "FilmFormatIndex", FilmFormatIndexAsString, 0, 0) /* -> 4 */ \
    V(bool, ViewFrustum, "ViewFrustum", false, 0)                            /* -> true */             \
    V(bool, ViewFrustumNearFarPlane, "ViewFrustumNearFarPlane", false, 0)    /* -> false */            \
    E(KQelCamera::ECameraBackgroundDisplayMode, ViewFrustumBackPlaneMode, "ViewFrustumBackPlaneMode",  \
      ViewFrustumBackPlaneModeAsString, 0, 0)                                /* -> 2 */                \
    V(double, BackPlaneDistance, "BackPlaneDistance", 0.0, 0)                /* -> 100 */              \
    E(KQelCamera::ECameraBackgroundDistanceMode, BackPlaneDistanceMode, "BackPlaneDistanceMode",       \
      BackPlaneDistanceModeAsString, 0, 0)                                   /* -> 0 */                \
    V(bool, ViewCameraToLookAt, "ViewCameraToLookAt", false, 0)              /* -> true */             \
    V(bool, LockMode, "LockMode", false, 0)                                  /* -> false */            \
    V(bool, LockInterestNavigation, "LockInterestNavigation", false, 0)      /* -> false */            \
    V(bool, FitImage, "FitImage", false, 0)                                  /* -> false */            \
    V(bool, Crop, "Crop", false, 0)                                          /* -> false */            \
    V(bool, Center, "Center", false, 0)                                      /* -> true */             \
    V(bool, KeepRatio, "KeepRatio", false, 0)                                /* -> true */             \
    E(KQelCamera::ECameraBackgroundDrawingMode, BackgroundMode, "BackgroundMode", BackgroundModeAsString, 0, 0) \
    V(double, BackgroundAlphaTreshold, "BackgroundAlphaTreshold", 0.0, 0)    /* -> 0.5 */              \
    V(bool, ForegroundTransparent, "ForegroundTransparent", false, 0)        /* -> true */             \
    V(bool, DisplaySafeArea, "DisplaySafeArea", false, 0)                    /* -> false */            \
    E(KQelCamera::ECameraSafeAreaStyle, SafeAreaDisplayStyle, "SafeAreaDisplayStyle",                 \
      SafeAreaDisplayStyleAsString, 0, 0)                                    /* -> 1 */                \
    V(double, SafeAreaAspectRatio, "SafeAreaAspectRatio", 0.0, 0)            /* -> 1.33333333333333 */ \
    V(bool, Use2DMagnifierZoom, "Use2DMagnifierZoom", false, 0)              /* -> false */            \
    A("2D Magnifier Zoom", "Real")                                           /* -> 100 */              \
    A("2D Magnifier X", "Real")                                              /* -> 50 */               \
    A("2D Magnifier Y", "Real")                                              /* -> 50 */               \
    E(KQelCamera::ECameraProjectionType, CameraProjectionType, "CameraProjectionType",                 \
      CameraProjectionTypeAsString, 0, 0)                                    /* -> 0 */                \
    V(bool, UseRealTimeDOFAndAA, "UseRealTimeDOFAndAA", false, 0)            /* -> false */            \
    V(bool, UseDepthOfField, "UseDepthOfField", false, 0)                    /* -> false */            \
    E(KQelCamera::ECameraFocusDistanceSource, FocusSource, "FocusSource", FocusSourceAsString, 0, 0)   \
    V(double, FocusAngle, "FocusAngle", 0.0, 0)                              /* -> 3.5 */              \
    V(double, FocusDistance, "FocusDistance", 0.0, 0)                        /* -> 200 */              \
    V(bool, UseAntialiasing, "UseAntialiasing", false, 0)                    /* -> false */            \
    V(double, AntialiasingIntensity, "AntialiasingIntensity", 0.0, 0)        /* -> 0.77777 */          \
    V(bool, UseAccumulationBuffer, "UseAccumulationBuffer", false, 0)        /* -> false */            \
    V(int, FrameSamplingCount, "FrameSamplingCount", 0, 0)                   /* -> 7 */

// The property set of a camera (65 properties, table above). Each member is
// bound to its virtual pair <Name>Set / <Name>Get, which store and answer the
// value; enumerations carry their text functions.
class KQelCameraProperties : public KObject {
    QEL_CLASS_IDENTITY(KQelCameraProperties)

public:
    // Registers the table; FrameColorAlpha 1.
    KQelCameraProperties();
    ~KQelCameraProperties() override;

    // Texts of the enumeration values; null for a value without text.
    static const char* ResolutionModeAsString(KQelCamera::ECameraAspectRatioMode pValue);
    static const char* ApertureModeAsString(KQelCamera::ECameraApertureMode pValue);
    static const char* CameraFormatAsString(KQelCamera::ECameraFormat pValue);
    static const char* FilmFormatIndexAsString(KQelCamera::ECameraApertureFormat pValue);
    static const char* ViewFrustumBackPlaneModeAsString(KQelCamera::ECameraBackgroundDisplayMode pValue);
    static const char* BackPlaneDistanceModeAsString(KQelCamera::ECameraBackgroundDistanceMode pValue);
    static const char* BackgroundModeAsString(KQelCamera::ECameraBackgroundDrawingMode pValue);
    static const char* SafeAreaDisplayStyleAsString(KQelCamera::ECameraSafeAreaStyle pValue);
    static const char* CameraProjectionTypeAsString(KQelCamera::ECameraProjectionType pValue);
    static const char* FocusSourceAsString(KQelCamera::ECameraFocusDistanceSource pValue);

    QEL_PROPERTY_SET_BODY(QEL_CAMERA_PROPERTIES)

    // The alpha that goes with "FrameColor". A property of three doubles has
    // no room for it, so it lives here beside the property: not listed, not
    // written to files by the property block, reached only through the
    // camera's SetFrameColor and GetFrameColor. 1 after construction.
    double FrameColorAlpha;
};

}  // namespace qelsdk_600

#endif
