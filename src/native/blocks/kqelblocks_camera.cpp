// The camera block, in model blocks and in the producer cameras of the
// camera settings: one row per field, walked in writing order by the writer
// and in reading order by the reader.
#include <cmath>
#include <cstring>

#include "content/kqelcamera.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

namespace {

typedef KQelCamera Camera;

const int kCameraVersion = 220;
// Older blocks: integer aspect sizes up to this version, the lens as an
// angle up to the second, the background by texture name up to the third.
const int kDoubleAspectAfter = 116;
const int kFocalLengthAfter = 209;
const int kMediaAfter = 199;

// One value of a field: how it is stored and reached on the camera.
struct Value {
    enum EKind { eDouble, eFlag, eInt, eEnum } mKind;
    int mCount;  // eEnum: values 0 to mCount - 1; others count as absent
    double (*mGet)(Camera&);
    void (*mSet)(Camera&, double);
};

#define QEL_CAMERA_GET(Expression) [](Camera& c) -> double { return static_cast<double>(c.Expression); }
#define QEL_DOUBLE(Get, Set) {Value::eDouble, 0, QEL_CAMERA_GET(Get()), [](Camera& c, double v) { c.Set(v); }}
#define QEL_FLAG(Accessor)                                                                                    \
    {Value::eFlag, 0, QEL_CAMERA_GET(Get##Accessor()), [](Camera& c, double v) { c.Set##Accessor(v != 0.0); }}
#define QEL_ENUM(Accessor, Type, Count)                                                                       \
    {Value::eEnum, Count, QEL_CAMERA_GET(Get##Accessor()),                                                    \
     [](Camera& c, double v) { c.Set##Accessor(static_cast<Camera::Type>(static_cast<int>(v))); }}
#define QEL_INT(Accessor, Type)                                                                               \
    {Value::eInt, 0, QEL_CAMERA_GET(Get##Accessor()),                                                         \
     [](Camera& c, double v) { c.Set##Accessor(static_cast<Type>(static_cast<int>(v))); }}
// Written only: the reader sets the aspect from three fields at once.
#define QEL_WRITTEN(Kind, Get) {Value::Kind, 0, QEL_CAMERA_GET(Get()), nullptr}

// How a row is written and read.
enum ERowKind {
    eTypeText,     // "Type" "Camera", model blocks only; the attribute entry reads it
    eTypeFlags,    // written only
    eVersion,      // written; read first as v
    eName,         // the owning node's name; written only
    eVector,       // three doubles as (x, y, z, 1)
    eColor,        // three doubles as (r, g, b, 1)
    eValues,       // one to four values, each through its accessor
    eFormat,       // "FormatName" text
    eFilmFormat,   // "ApertureFormat" text
    eMedia,        // written only when the camera has a background media name
    eBlock,        // "CameraAndLens" opens; the rows up to eBlockEnd are inside
    eBlockEnd
};

const int kNoDefault = 0;
const int kDefault = 1;

struct Row {
    const char* mKey;
    ERowKind mKind;
    bool mBothLayouts;  // read in current-layout files too
    int mHasDefault;
    double mDefault[4];
    Value mValues[4];
    int mValueCount;
    KQelVector4 (*mGetVector)(Camera&);
    void (*mSetVector)(Camera&, const KQelVector4&);
};

KQelVector4 ColorVector(const KQelColor& pColor)
{
    return KQelVector4(pColor.mRed, pColor.mGreen, pColor.mBlue, 1.0);
}

KQelColor VectorColor(const KQelVector4& pVector)
{
    return KQelColor(pVector[0], pVector[1], pVector[2], 1.0);
}

#define QEL_VECTOR_ROW(Key, Get, Set)                                                                          \
    {Key, eVector, true, kNoDefault, {}, {}, 0, [](Camera& c) { return c.Get(); },                             \
     [](Camera& c, const KQelVector4& v) { c.Set(v); }}
#define QEL_COLOR_ROW(Key, Both, R, G, B, Accessor)                                                            \
    {Key, eColor, Both, kDefault, {R, G, B}, {}, 0, [](Camera& c) { return ColorVector(c.Get##Accessor()); },   \
     [](Camera& c, const KQelVector4& v) { c.Set##Accessor(VectorColor(v)); }}
#define QEL_VALUE_ROW_OF(Both, Key, Default, ...) \
    {Key, eValues, Both, Default.mHas, {Default.mValue}, {__VA_ARGS__}, 1, nullptr, nullptr}
#define QEL_VALUE_ROW(Key, Default, ...) QEL_VALUE_ROW_OF(false, Key, Default, __VA_ARGS__)
// Read in current-layout files too.
#define QEL_BOTH_VALUE_ROW(Key, Default, ...) QEL_VALUE_ROW_OF(true, Key, Default, __VA_ARGS__)
#define QEL_SPECIAL_ROW(Key, Kind) {Key, Kind, false, kNoDefault, {}, {}, 0, nullptr, nullptr}

struct DefaultOf {
    int mHas;
    double mValue;
};
constexpr DefaultOf None{kNoDefault, 0.0};
constexpr DefaultOf Is(double pValue)
{
    return DefaultOf{kDefault, pValue};
}

// Every field of the block, in the order they are written.
const Row kRows[] = {
    QEL_SPECIAL_ROW("Type", eTypeText),
    QEL_SPECIAL_ROW("TypeFlags", eTypeFlags),
    QEL_SPECIAL_ROW("Version", eVersion),
    QEL_SPECIAL_ROW("Name", eName),
    QEL_VECTOR_ROW("Position", GetPosition, SetPosition),
    QEL_VECTOR_ROW("Up", GetUpVector, SetUpVector),
    QEL_VECTOR_ROW("LookAt", GetDefaultCameraInterestPosition, SetDefaultCameraInterestPosition),
    QEL_VALUE_ROW("Roll", Is(0.0), QEL_DOUBLE(GetRoll, SetRoll)),
    QEL_VALUE_ROW("TurnTable", None, QEL_DOUBLE(GetTurnTable, SetTurnTable)),
    QEL_VALUE_ROW("Type", Is(0), QEL_ENUM(ProjectionType, ECameraProjectionType, 2)),
    QEL_SPECIAL_ROW("FormatName", eFormat),
    QEL_VALUE_ROW("AspectType", Is(0), QEL_WRITTEN(eInt, GetAspectRatioMode)),
    QEL_VALUE_ROW("AspectW", Is(0.0), QEL_WRITTEN(eDouble, GetAspectWidth)),
    QEL_VALUE_ROW("AspectH", Is(0.0), QEL_WRITTEN(eDouble, GetAspectHeight)),
    QEL_VALUE_ROW("PixelRatio", Is(1.0), QEL_DOUBLE(GetPixelRatio, SetPixelRatio)),
    QEL_VALUE_ROW("NearPlane", Is(10.0), QEL_DOUBLE(GetNearPlane, SetNearPlane)),
    QEL_VALUE_ROW("FarPlane", Is(4000.0), QEL_DOUBLE(GetFarPlane, SetFarPlane)),
    QEL_VALUE_ROW("CameraLock", Is(0), QEL_FLAG(MouseLock)),
    QEL_SPECIAL_ROW("ApertureFormat", eFilmFormat),
    QEL_VALUE_ROW("ApertureMode", Is(0), QEL_ENUM(ApertureMode, ECameraApertureMode, 3)),
    {"CameraAperture", eValues, false, kNoDefault, {},
     {QEL_DOUBLE(GetApertureWidth, SetApertureWidth), QEL_DOUBLE(GetApertureHeight, SetApertureHeight)}, 2, nullptr,
     nullptr},
    QEL_VALUE_ROW("SqueezeRatio", Is(0.0), QEL_DOUBLE(GetSqueezeRatio, SetSqueezeRatio)),
    QEL_VALUE_ROW("FocalLength", Is(35.0), QEL_DOUBLE(GetFocalLength, SetFocalLength)),
    QEL_VALUE_ROW("Aperture", Is(0.0), QEL_DOUBLE(GetAngleOfView, SetAngleOfView)),
    QEL_VALUE_ROW("FieldOfViewXProperty", None, QEL_DOUBLE(GetDefaultFieldOfViewX, SetDefaultFieldOfViewX)),
    QEL_VALUE_ROW("FieldOfViewYProperty", None, QEL_DOUBLE(GetDefaultFieldOfViewY, SetDefaultFieldOfViewY)),
    QEL_VALUE_ROW("OpticalCenterXProperty", None, QEL_DOUBLE(GetDefaultOpticalCenterX, SetDefaultOpticalCenterX)),
    QEL_VALUE_ROW("OpticalCenterYProperty", None, QEL_DOUBLE(GetDefaultOpticalCenterY, SetDefaultOpticalCenterY)),
    QEL_SPECIAL_ROW("Media", eMedia),
    QEL_VALUE_ROW("ViewFrustumPlane", Is(2), QEL_ENUM(BackgroundDisplayMode, ECameraBackgroundDisplayMode, 3)),
    QEL_VALUE_ROW("BackgroundMode", Is(0), QEL_ENUM(BackgroundDrawingMode, ECameraBackgroundDrawingMode, 3)),
    QEL_VALUE_ROW("ForegroundTransparent", Is(1), QEL_FLAG(ForegroundMatteThresholdEnable)),
    QEL_VALUE_ROW("BackgroundTreshold", Is(0.5), QEL_DOUBLE(GetForegroundMatteThreshold, SetForegroundMatteThreshold)),
    QEL_VALUE_ROW("DisplayMode", Is(6), QEL_INT(BackgroundPlacementOptions, unsigned int)),
    QEL_VALUE_ROW("ViewFrustumPlaneDistance", Is(100.0), QEL_DOUBLE(GetBackgroundDistance, SetBackgroundDistance)),
    QEL_VALUE_ROW("ViewFrustumPlaneDistanceMode", Is(0),
                  QEL_ENUM(BackgroundDistanceMode, ECameraBackgroundDistanceMode, 2)),
    QEL_VALUE_ROW("ViewLookAt", Is(1), QEL_FLAG(ViewCameraInterest)),
    QEL_VALUE_ROW("ViewFrustum", Is(0), QEL_FLAG(ViewNearFarPlanes)),
    QEL_VALUE_ROW("ShowGrid", Is(1), QEL_FLAG(ShowGrid)),
    QEL_VALUE_ROW("ShowAzimut", Is(1), QEL_FLAG(ShowAxis)),
    QEL_VALUE_ROW("ShowName", Is(1), QEL_FLAG(ShowName)),
    QEL_BOTH_VALUE_ROW("ShowInfoOnMoving", Is(1), QEL_FLAG(ShowInfoOnMoving)),
    QEL_VALUE_ROW("ShowTimeCode", Is(0), QEL_FLAG(ShowTimeCode)),
    QEL_VALUE_ROW("DisplaySafeArea", Is(0), QEL_FLAG(DisplaySafeArea)),
    QEL_VALUE_ROW("SafeAreaStyle", Is(1), QEL_ENUM(SafeAreaStyle, ECameraSafeAreaStyle, 2)),
    QEL_VALUE_ROW("DisplaySafeAreaOnRender", Is(0), QEL_FLAG(DisplaySafeAreaOnRender)),
    QEL_BOTH_VALUE_ROW("ShowAudio", Is(0), QEL_FLAG(ShowAudio)),
    QEL_COLOR_ROW("BackGroundColor", false, 0.0, 0.0, 0.0, BackgroundColor),
    QEL_COLOR_ROW("AudioColor", true, 0.0, 1.0, 0.0, AudioColor),
    QEL_VALUE_ROW("UseFrameColor", Is(0), QEL_FLAG(UseFrameColor)),
    QEL_COLOR_ROW("FrameColor", false, 0.3, 0.3, 0.3, FrameColor),
    QEL_SPECIAL_ROW("CameraAndLens", eBlock),
    {"DepthOfField", eValues, false, kNoDefault, {},
     {QEL_FLAG(UseDepthOfField), QEL_ENUM(FocusDistanceSource, ECameraFocusDistanceSource, 2),
      QEL_DOUBLE(GetFocusAngle, SetFocusAngle), QEL_DOUBLE(GetSpecificDistance, SetSpecificDistance)},
     4, nullptr, nullptr},
    {"Antialiasing", eValues, false, kNoDefault, {},
     {QEL_FLAG(UseAntialiasing), QEL_INT(AntialiasingMethod, Camera::ECameraAntialiasingMethod),
      QEL_DOUBLE(GetAntialiasingIntensity, SetAntialiasingIntensity)},
     3, nullptr, nullptr},
    {"OverSampling", eValues, false, kNoDefault, {},
     {QEL_INT(NumberOfSamples, int), QEL_INT(SamplingType, Camera::ECameraSamplingType),
      QEL_FLAG(UseAccumulationBuffer)},
     3, nullptr, nullptr},
    QEL_VALUE_ROW("UseOverSamplingTime", Is(1), QEL_ENUM(RenderOptionsUsageTime, ECameraRenderOptionsUsageTime, 2)),
    QEL_SPECIAL_ROW("CameraAndLens", eBlockEnd),
};

#undef QEL_CAMERA_GET
#undef QEL_DOUBLE
#undef QEL_FLAG
#undef QEL_ENUM
#undef QEL_INT
#undef QEL_WRITTEN
#undef QEL_VECTOR_ROW
#undef QEL_COLOR_ROW
#undef QEL_VALUE_ROW
#undef QEL_VALUE_ROW_OF
#undef QEL_BOTH_VALUE_ROW
#undef QEL_SPECIAL_ROW

// The aspect sizes are read together with their mode (SetAspect), the lens
// and the background name by version, the film size before its format; the
// rest as the rows say. Read in this order, so that a preset format or film
// format overrides what was read before it.
const char* const kReadOrder[] = {
    "Position", "Up", "LookAt", "Roll", "Type", "AspectType", "PixelRatio", "FormatName", "CameraLock",
    "ApertureMode", "CameraAperture", "SqueezeRatio", "ApertureFormat", "NearPlane", "FarPlane", "FocalLength",
    "FieldOfViewXProperty", "FieldOfViewYProperty", "OpticalCenterXProperty", "OpticalCenterYProperty",
    "TurnTable", "Media", "ViewFrustumPlane", "BackgroundMode", "ForegroundTransparent", "BackgroundTreshold",
    "DisplayMode", "ViewFrustumPlaneDistance", "ViewFrustumPlaneDistanceMode", "ViewLookAt", "ViewFrustum",
    "ShowGrid", "ShowAzimut", "ShowName", "ShowTimeCode", "DisplaySafeArea", "SafeAreaStyle",
    "DisplaySafeAreaOnRender", "ShowInfoOnMoving", "ShowAudio", "BackGroundColor", "AudioColor", "UseFrameColor",
    "FrameColor", "CameraAndLens",
};

// "FormatName": the text of each format; 9 is written "Custom" and read
// from "128x128".
const char* const kFormats[] = {"Custom", "D1 NTSC", "NTSC",    "PAL",    "D1 PAL",     "HD",
                                "640x480", "320x200", "320x240", "128x128", "Full Screen"};
const int kFormatCount = sizeof kFormats / sizeof kFormats[0];
const char* const kFilmFormats[] = {"Custom",          "16mm Theatrical",    "Super 16mm",
                                    "35mm Academy",    "35mm TV Projection", "35mm Full Aperture",
                                    "35mm 1.85 Projection", "35mm Anamorphic",  "70mm Projection",
                                    "VistaVision",     "Dynavision",         "Imax"};
const int kFilmFormatCount = sizeof kFilmFormats / sizeof kFilmFormats[0];
const int kUnlabelledFormat = 9;
const int kEmptyFilmFormat = 4;

int TextIndex(const char* pText, const char* const* pTexts, int pCount)
{
    for (int i = 0; i < pCount; ++i) {
        if (std::strcmp(pText, pTexts[i]) == 0)
            return i;
    }
    return -1;
}

const Row* FindRow(const char* pKey)
{
    // The first "Type" is the attribute's, read by the model block.
    for (const Row& row : kRows) {
        if (row.mKind != eTypeText && std::strcmp(row.mKey, pKey) == 0)
            return &row;
    }
    return nullptr;
}

void WriteValue(KQel& pFile, const Value& pValue, Camera& pCamera)
{
    const double value = pValue.mGet(pCamera);
    if (pValue.mKind == Value::eDouble)
        pFile.FieldWriteD(value);
    else
        pFile.FieldWriteI(static_cast<int>(value));
}

// The next value of the open field, false when it is to count as absent (an
// enumeration value outside its list, a value the field lacks).
bool ReadValue(KQel& pFile, const Value& pValue, double& pRead)
{
    if (pFile.FieldReadGetRemain() <= 0)
        return false;
    if (pValue.mKind == Value::eDouble) {
        pRead = pFile.FieldReadD();
        return true;
    }
    const int value = pFile.FieldReadI();
    pRead = value;
    return pValue.mKind != Value::eEnum || (value >= 0 && value < pValue.mCount);
}

// A row of values: each value read is set in order; a field without values
// (or absent) takes the row's default when it has one.
void ReadValues(KQel& pFile, const Row& pRow, Camera& pCamera)
{
    bool present = pFile.FieldReadBegin(pRow.mKey);
    for (int i = 0; i < pRow.mValueCount; ++i) {
        double value = 0.0;
        if (present && ReadValue(pFile, pRow.mValues[i], value))
            pRow.mValues[i].mSet(pCamera, value);
        else if (pRow.mHasDefault)
            pRow.mValues[i].mSet(pCamera, pRow.mDefault[i]);
    }
    if (present)
        pFile.FieldReadEnd();
}

// Three doubles into a vector (w 1), or the row's default colour.
void ReadVector(KQel& pFile, const Row& pRow, Camera& pCamera)
{
    KQelVector4 vector(pRow.mDefault[0], pRow.mDefault[1], pRow.mDefault[2], 1.0);
    if (pFile.FieldReadBegin(pRow.mKey)) {
        for (int c = 0; c < 3; ++c)
            vector[c] = pFile.FieldReadD();
        pFile.FieldReadEnd();
    } else if (!pRow.mHasDefault) {
        return;
    }
    pRow.mSetVector(pCamera, vector);
}

}  // namespace

bool KQelWriterQel::WriteKQelCamera(KQelCamera& pCamera, bool pProducer)
{
    KQel& file = File();
    bool inBlock = false;
    for (const Row& row : kRows) {
        switch (row.mKind) {
            case eTypeText:
                if (!pProducer)
                    native_detail::WriteFieldC(file, row.mKey, "Camera");
                break;
            case eTypeFlags:
                native_detail::WriteFieldC(file, row.mKey, "Camera");
                break;
            case eVersion:
                native_detail::WriteFieldI(file, row.mKey, kCameraVersion);
                break;
            case eName:
                native_detail::WriteFieldC(file, row.mKey, pCamera.GetNode() ? pCamera.GetNode()->GetName() : "");
                break;
            case eVector:
            case eColor: {
                const KQelVector4 vector = row.mGetVector(pCamera);
                native_detail::WriteFieldDn(file, row.mKey, vector, 3);
                break;
            }
            case eValues:
                file.FieldWriteBegin(row.mKey);
                for (int i = 0; i < row.mValueCount; ++i)
                    WriteValue(file, row.mValues[i], pCamera);
                file.FieldWriteEnd();
                break;
            case eFormat: {
                const int format = pCamera.GetFormat();
                const bool named = format >= 0 && format < kFormatCount && format != kUnlabelledFormat;
                native_detail::WriteFieldC(file, row.mKey, kFormats[named ? format : 0]);
                break;
            }
            case eFilmFormat: {
                const int format = pCamera.GetApertureFormat();
                native_detail::WriteFieldC(file, row.mKey,
                                           kFilmFormats[format >= 0 && format < kFilmFormatCount ? format : 0]);
                break;
            }
            case eMedia:
                if (const char* media = pCamera.GetBackgroundMediaName())
                    native_detail::WriteFieldC(file, row.mKey, media);
                break;
            case eBlock:
                file.FieldWriteBegin(row.mKey);
                file.FieldWriteBlockBegin();
                inBlock = true;
                break;
            case eBlockEnd:
                if (inBlock) {
                    file.FieldWriteBlockEnd();
                    file.FieldWriteEnd();
                }
                break;
        }
    }
    return true;
}

bool KQelReaderQel::ReadKQelCamera(KQelCamera& pCamera)
{
    KQel& file = File();
    const bool older = mFile->IsBeforeVersion6();
    const int version = file.FieldReadI("Version", 0);
    for (const char* key : kReadOrder) {
        const Row* row = FindRow(key);
        if (!row || (!older && !row->mBothLayouts))
            continue;
        switch (row->mKind) {
            case eVector:
            case eColor:
                ReadVector(file, *row, pCamera);
                break;
            case eValues:
                if (std::strcmp(key, "AspectType") == 0) {
                    // The sizes were integers in early blocks.
                    const bool doubles = version > kDoubleAspectAfter;
                    const double height = doubles ? file.FieldReadD("AspectH", 0.0) : file.FieldReadI("AspectH", 0);
                    const double width = doubles ? file.FieldReadD("AspectW", 0.0) : file.FieldReadI("AspectW", 0);
                    int mode = file.FieldReadI("AspectType", 0);
                    if (mode < 0 || mode > Camera::eFixedHeightResolution)
                        mode = Camera::eWindowSize;
                    pCamera.SetAspect(static_cast<Camera::ECameraAspectRatioMode>(mode), width, height);
                } else if (std::strcmp(key, "FocalLength") == 0 && version <= kFocalLengthAfter) {
                    ReadValues(file, *FindRow("Aperture"), pCamera);
                } else {
                    ReadValues(file, *row, pCamera);
                }
                break;
            case eFormat: {
                const int format = TextIndex(file.FieldReadC(key, ""), kFormats, kFormatCount);
                pCamera.SetFormat(static_cast<Camera::ECameraFormat>(format < 0 ? 0 : format));
                break;
            }
            case eFilmFormat: {
                const KString text = file.FieldReadC(key, "");
                const int format = text.IsEmpty() ? kEmptyFilmFormat : TextIndex(text, kFilmFormats, kFilmFormatCount);
                pCamera.SetApertureFormat(static_cast<Camera::ECameraApertureFormat>(format < 0 ? 0 : format));
                break;
            }
            case eMedia:
                if (version > kMediaAfter) {
                    pCamera.SetBackgroundMediaName(file.FieldReadC(key, ""));
                    break;
                }
                // Early blocks name the background image by texture; the
                // names are bound to the textures once the document is read.
                for (const char* field : {"BackgroundTexture", "VideoClipTexture"}) {
                    if (file.FieldReadBegin(field)) {
                        pCamera.SetBackgroundFileName(file.FieldReadC());
                        file.FieldReadEnd();
                    }
                }
                if (const char* name = pCamera.GetBackgroundFileName())
                    mCameraBackgroundTable.Add(name, reinterpret_cast<kReference>(&pCamera));
                break;
            case eBlock: {
                native_detail::ReadBlock block(file, key);
                if (!block.IsOpen())
                    break;
                for (const Row* inside = row + 1; inside->mKind != eBlockEnd; ++inside)
                    ReadValues(file, *inside, pCamera);
                break;
            }
            default:
                break;
        }
    }
    return true;
}

}  // namespace qelsdk_600
