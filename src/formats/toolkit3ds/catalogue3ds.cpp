// The chunk catalogue as one table of tags, each with its own-data kind,
// ordering value and record layout; the seven operations walk the layouts.
#include "formats/toolkit3ds/catalogue3ds.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/files3ds.h"
#include "formats/toolkit3ds/primitives3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// ---- Layouts: the fields of a record in the file's order.

enum FieldKind : std::uint8_t {
    kI8,
    kU8,
    kI16,
    kU16,
    kI32,
    kU32,
    kF32,
    kString,       // owned string; arg = bound, 0 = the chunk's size
    kFixedString,  // inline field of arg + 1 bytes, arg bytes on disk
    kArray,        // u16 count at offset, owned array at pointer; arg = element
    kSmooth,       // (size - 6) / 4 u32 masks: u16 count at offset, array at pointer
    kRaw,          // the whole body: u32 size at offset, block at pointer
    kTrack         // track header at 0, keys and values after; arg = element
};

enum Element : std::uint8_t { eNone, ePoint, eTexVert, eFace, eU16, eRot, eFloat, eColor, eMorph };

struct ElementInfo {
    std::uint8_t disk;   // bytes on disk (a morph name: at least its 0 byte)
    std::uint8_t size;   // bytes in memory
    std::uint8_t unit;   // bytes of each little-endian unit
};

const ElementInfo kElements[] = {
    {0, 0, 0},    // eNone
    {12, 12, 4},  // ePoint
    {8, 8, 4},    // eTexVert
    {8, 8, 2},    // eFace
    {2, 2, 2},    // eU16
    {16, 16, 4},  // eRot
    {4, 4, 4},    // eFloat
    {12, 12, 4},  // eColor
    {1, 13, 1},   // eMorph
};

struct Field {
    FieldKind kind;
    std::uint8_t repeat;
    std::uint16_t offset;
    std::uint16_t pointer;
    std::uint32_t arg;
};

constexpr Field Scalar(FieldKind kind, std::size_t offset, int repeat = 1)
{
    return {kind, static_cast<std::uint8_t>(repeat), static_cast<std::uint16_t>(offset), 0, 0};
}
constexpr Field String(std::size_t offset, std::uint32_t bound)
{
    return {kString, 1, static_cast<std::uint16_t>(offset), 0, bound};
}
constexpr Field Array(FieldKind kind, std::size_t count, std::size_t pointer, Element element = eNone)
{
    return {kind, 1, static_cast<std::uint16_t>(count), static_cast<std::uint16_t>(pointer), element};
}
constexpr Field Track(Element element)
{
    return {kTrack, 1, 0, 0, element};
}

struct Layout {
    std::uint16_t size;
    std::uint8_t count;
    const Field* fields;
};

template <std::size_t N>
constexpr Layout MakeLayout(std::size_t size, const Field (&fields)[N])
{
    return {static_cast<std::uint16_t>(size), static_cast<std::uint8_t>(N), fields};
}

#define QEL3DS_LAYOUT(name, record, ...)                 \
    const Field name##Fields[] = {__VA_ARGS__};          \
    const Layout name = MakeLayout(sizeof(record), name##Fields)

QEL3DS_LAYOUT(kInt32, Int32Data3ds, Scalar(kI32, 0));
QEL3DS_LAYOUT(kInt16, Int16Data3ds, Scalar(kI16, 0));
QEL3DS_LAYOUT(kUInt16, UInt16Data3ds, Scalar(kU16, 0));
QEL3DS_LAYOUT(kUInt32, UInt32Data3ds, Scalar(kU32, 0));
QEL3DS_LAYOUT(kByte, ByteData3ds, Scalar(kU8, 0));
QEL3DS_LAYOUT(kFloat, FloatData3ds, Scalar(kF32, 0));
QEL3DS_LAYOUT(kColorF, ColorFData3ds, Scalar(kF32, 0, 3));
QEL3DS_LAYOUT(kColor24, Color24Data3ds, Scalar(kU8, 0, 3));
QEL3DS_LAYOUT(kString10, StringData3ds, String(0, 10));
QEL3DS_LAYOUT(kString12, StringData3ds, String(0, 12));
QEL3DS_LAYOUT(kString16, StringData3ds, String(0, 16));
QEL3DS_LAYOUT(kStringSized, StringData3ds, String(0, 0));
QEL3DS_LAYOUT(kPoint, PointData3ds, Scalar(kF32, 0, 3));
QEL3DS_LAYOUT(kFourFloat, FourFloatData3ds, Scalar(kF32, 0, 4));
QEL3DS_LAYOUT(kLayerFog, LayerFogData3ds, Scalar(kF32, 0, 3), Scalar(kU32, offsetof(LayerFogData3ds, type)));
QEL3DS_LAYOUT(kView, ViewData3ds, Scalar(kF32, offsetof(ViewData3ds, width)), Scalar(kF32, 0, 3));
QEL3DS_LAYOUT(kViewUser, ViewUserData3ds, Scalar(kF32, offsetof(ViewUserData3ds, width), 4), Scalar(kF32, 0, 3));
QEL3DS_LAYOUT(kPointArray, PointArrayData3ds, Array(kArray, 0, offsetof(PointArrayData3ds, points), ePoint));
QEL3DS_LAYOUT(kPointFlags, PointFlagData3ds, Array(kArray, 0, offsetof(PointFlagData3ds, flags), eU16));
QEL3DS_LAYOUT(kFaceArray, FaceArrayData3ds, Array(kArray, 0, offsetof(FaceArrayData3ds, faces), eFace));
QEL3DS_LAYOUT(kMatGroup, MatGroupData3ds, String(0, 16),
              Array(kArray, offsetof(MatGroupData3ds, count), offsetof(MatGroupData3ds, faces), eU16));
QEL3DS_LAYOUT(kTexVerts, TexVertsData3ds, Array(kArray, 0, offsetof(TexVertsData3ds, texverts), eTexVert));
QEL3DS_LAYOUT(kSmoothGroup, SmoothGroupData3ds, Array(kSmooth, 0, offsetof(SmoothGroupData3ds, groups)));
QEL3DS_LAYOUT(kMeshMatrix, MeshMatrixData3ds, Scalar(kF32, 0, 12));
QEL3DS_LAYOUT(kTextureInfo, TextureInfoData3ds, Scalar(kU16, 0),
              Scalar(kF32, offsetof(TextureInfoData3ds, xtiling), 2),
              Scalar(kF32, offsetof(TextureInfoData3ds, iconpos), 3),
              Scalar(kF32, offsetof(TextureInfoData3ds, iconscaling)),
              Scalar(kF32, offsetof(TextureInfoData3ds, xmatrix), 12),
              Scalar(kF32, offsetof(TextureInfoData3ds, iconwidth), 3));
QEL3DS_LAYOUT(kRawBody, RawData3ds, Array(kRaw, 0, offsetof(RawData3ds, data)));
QEL3DS_LAYOUT(kBoxMap, BoxMapData3ds, String(0, 16), String(sizeof(char*), 16), String(2 * sizeof(char*), 16),
              String(3 * sizeof(char*), 16), String(4 * sizeof(char*), 16), String(5 * sizeof(char*), 16));
QEL3DS_LAYOUT(kSpotlight, SpotlightData3ds, Scalar(kF32, 0, 5));
QEL3DS_LAYOUT(kLocalShadow, LocalShadowData3ds, Scalar(kF32, 0, 2),
              Scalar(kI16, offsetof(LocalShadowData3ds, mapsize)));
QEL3DS_LAYOUT(kCamera, CameraData3ds, Scalar(kF32, 0, 8));
QEL3DS_LAYOUT(kRanges, RangesData3ds, Scalar(kF32, 0, 2));
QEL3DS_LAYOUT(kViewportLayout, ViewportLayoutData3ds, Scalar(kI16, 0, 7));
QEL3DS_LAYOUT(kViewportData, ViewportData3ds, Scalar(kI16, 0, 7), Scalar(kF32, offsetof(ViewportData3ds, zoom), 6),
              Field{kFixedString, 1, offsetof(ViewportData3ds, camname), 0, 11});
QEL3DS_LAYOUT(kViewportSize, ViewportSizeData3ds, Scalar(kU16, 0, 4));
QEL3DS_LAYOUT(kACubic, ACubicData3ds, Scalar(kI8, 0, 2), Scalar(kI16, offsetof(ACubicData3ds, flags)),
              Scalar(kU32, offsetof(ACubicData3ds, mapsize), 2));
QEL3DS_LAYOUT(kKfSeg, KfSegData3ds, Scalar(kI32, 0, 2));
QEL3DS_LAYOUT(kKfHdr, KfHdrData3ds, Scalar(kI16, 0), String(offsetof(KfHdrData3ds, filename), 512),
              Scalar(kI32, offsetof(KfHdrData3ds, animlength)));
QEL3DS_LAYOUT(kNodeHdr, NodeHdrData3ds, String(0, 10), Scalar(kU16, offsetof(NodeHdrData3ds, flags1), 2),
              Scalar(kI16, offsetof(NodeHdrData3ds, parentindex)));
QEL3DS_LAYOUT(kBoundBox, BoundBoxData3ds, Scalar(kF32, 0, 6));
QEL3DS_LAYOUT(kPosTrack, PosTrackData3ds, Track(ePoint));
QEL3DS_LAYOUT(kRotTrack, RotTrackData3ds, Track(eRot));
QEL3DS_LAYOUT(kFloatTrack, FloatTrackData3ds, Track(eFloat));
QEL3DS_LAYOUT(kColorTrack, ColorTrackData3ds, Track(eColor));
QEL3DS_LAYOUT(kMorphTrack, MorphTrackData3ds, Track(eMorph));
QEL3DS_LAYOUT(kHideTrack, HideTrackData3ds, Track(eNone));

#undef QEL3DS_LAYOUT

// ---- The catalogue.

// Where a chunk's children start: right after its header (a container),
// after its own data (the fields of its layout), or nowhere (a leaf: the
// whole body is its own).
enum Own : std::uint8_t { kContainer, kFields, kLeaf };

struct Kind {
    std::uint16_t tag;
    const char* name;
    Own own;
    std::uint8_t order;
    const Layout* layout;      // none: no record
    std::uint16_t seekbound;   // a shorter string bound when seeking (0: the layout's)
};

constexpr Kind kCatalogue[] = {
    {0x0002, "M3D_VERSION", kFields, 31, &kInt32, 0},
    {0x0010, "COLOR_F", kFields, 0, &kColorF, 0},
    {0x0011, "COLOR_24", kFields, 28, &kColor24, 0},
    {0x0012, "LIN_COLOR_24", kLeaf, 27, &kColor24, 0},
    {0x0013, "LIN_COLOR_F", kLeaf, 0, &kColorF, 0},
    {0x0030, "INT_PERCENTAGE", kFields, 0, &kInt16, 0},
    {0x0031, "FLOAT_PERCENTAGE", kFields, 0, &kFloat, 0},
    {0x0100, "MASTER_SCALE", kFields, 23, &kFloat, 0},
    {0x1100, "BIT_MAP", kFields, 14, &kString12, 0},
    {0x1101, "USE_BIT_MAP", kLeaf, 12, nullptr, 0},
    {0x1200, "SOLID_BGND", kContainer, 15, nullptr, 0},
    {0x1201, "USE_SOLID_BGND", kLeaf, 12, nullptr, 0},
    {0x1300, "V_GRADIENT", kFields, 13, &kFloat, 0},
    {0x1301, "USE_V_GRADIENT", kLeaf, 12, nullptr, 0},
    {0x1400, "LO_SHADOW_BIAS", kFields, 21, &kFloat, 0},
    {0x1410, "HI_SHADOW_BIAS", kFields, 0, &kFloat, 0},
    {0x1420, "SHADOW_MAP_SIZE", kFields, 20, &kInt16, 0},
    {0x1430, "SHADOW_SAMPLES", kFields, 0, &kInt16, 0},
    {0x1440, "SHADOW_RANGE", kLeaf, 0, &kInt32, 0},
    {0x1450, "SHADOW_FILTER", kLeaf, 19, &kFloat, 0},
    {0x1460, "RAY_BIAS", kLeaf, 18, &kFloat, 0},
    {0x1500, "O_CONSTS", kFields, 17, &kPoint, 0},
    {0x2100, "AMBIENT_LIGHT", kContainer, 16, nullptr, 0},
    {0x2200, "FOG", kFields, 11, &kFourFloat, 0},
    {0x2300, "DISTANCE_CUE", kFields, 9, &kFourFloat, 0},
    {0x2302, "LAYER_FOG", kFields, 10, &kLayerFog, 0},
    {0x2D2D, "(container)", kContainer, 34, nullptr, 0},
    {0x2D3D, "(container)", kContainer, 33, nullptr, 0},
    {0x3000, "DEFAULT_VIEW", kContainer, 8, nullptr, 0},
    {0x3010, "VIEW_TOP", kFields, 0, &kView, 0},
    {0x3020, "VIEW_BOTTOM", kFields, 0, &kView, 0},
    {0x3030, "VIEW_LEFT", kFields, 0, &kView, 0},
    {0x3040, "VIEW_RIGHT", kFields, 0, &kView, 0},
    {0x3050, "VIEW_FRONT", kFields, 0, &kView, 0},
    {0x3060, "VIEW_BACK", kFields, 0, &kView, 0},
    {0x3070, "VIEW_USER", kFields, 0, &kViewUser, 0},
    {0x3080, "VIEW_CAMERA", kFields, 0, &kString10, 0},
    {0x3D3D, "MDATA", kContainer, 30, nullptr, 0},
    {0x3D3E, "MESH_VERSION", kFields, 26, &kInt32, 0},
    {0x3DAA, "MLIBMAGIC", kContainer, 0, nullptr, 0},
    {0x3DFF, "(container)", kContainer, 0, nullptr, 0},
    {0x4000, "NAMED_OBJECT", kFields, 7, &kString10, 0},
    {0x4010, "OBJ_HIDDEN", kLeaf, 1, nullptr, 0},
    {0x4100, "N_TRI_OBJECT", kContainer, 2, nullptr, 0},
    {0x4110, "POINT_ARRAY", kLeaf, 0, &kPointArray, 0},
    {0x4111, "POINT_FLAG_ARRAY", kLeaf, 0, &kPointFlags, 0},
    {0x4120, "FACE_ARRAY", kFields, 0, &kFaceArray, 0},
    {0x4130, "MSH_MAT_GROUP", kLeaf, 0, &kMatGroup, 0},
    {0x4140, "TEX_VERTS", kLeaf, 0, &kTexVerts, 0},
    {0x4150, "SMOOTH_GROUP", kLeaf, 0, &kSmoothGroup, 0},
    {0x4160, "MESH_MATRIX", kFields, 0, &kMeshMatrix, 0},
    {0x4165, "MESH_COLOR", kLeaf, 0, &kByte, 0},
    {0x4170, "MESH_TEXTURE_INFO", kLeaf, 0, &kTextureInfo, 0},
    {0x4181, "PROC_NAME", kFields, 0, &kString12, 0},
    {0x4182, "PROC_DATA", kLeaf, 0, &kRawBody, 0},
    {0x4190, "MSH_BOXMAP", kLeaf, 0, &kBoxMap, 0},
    {0x4600, "N_DIRECT_LIGHT", kFields, 2, &kPoint, 0},
    {0x4610, "DL_SPOTLIGHT", kFields, 0, &kSpotlight, 0},
    {0x4641, "DL_LOCAL_SHADOW2", kFields, 0, &kLocalShadow, 0},
    {0x4653, "DL_SPOT_PROJECTOR", kLeaf, 0, &kString12, 0},
    {0x4654, "DL_EXCLUDE", kLeaf, 0, &kString10, 0},
    {0x4656, "DL_SPOT_ROLL", kLeaf, 0, &kFloat, 0},
    {0x4657, "DL_SPOT_ASPECT", kLeaf, 0, &kFloat, 0},
    {0x4658, "DL_RAY_BIAS", kLeaf, 0, &kFloat, 0},
    {0x4659, "DL_INNER_RANGE", kLeaf, 0, &kFloat, 0},
    {0x465A, "DL_OUTER_RANGE", kLeaf, 0, &kFloat, 0},
    {0x465B, "DL_MULTIPLIER", kLeaf, 0, &kFloat, 0},
    {0x4700, "N_CAMERA", kFields, 2, &kCamera, 0},
    {0x4720, "CAM_RANGES", kLeaf, 0, &kRanges, 0},
    {0x4D4D, "M3DMAGIC", kContainer, 32, nullptr, 0},
    {0x7001, "VIEWPORT_LAYOUT", kFields, 22, &kViewportLayout, 0},
    {0x7011, "VIEWPORT_DATA", kLeaf, 0, &kViewportData, 0},
    {0x7012, "VIEWPORT_DATA_3", kLeaf, 0, &kViewportData, 0},
    {0x7020, "VIEWPORT_SIZE", kLeaf, 0, &kViewportSize, 0},
    {0x8000, "XDATA_SECTION", kContainer, 0, nullptr, 0},
    // Written through its children alone: its body is theirs.
    {0x8001, "XDATA_ENTRY", kContainer, 0, nullptr, 0},
    {0x8002, "XDATA_APPNAME", kLeaf, 0, &kStringSized, 0},
    {0x8003, "XDATA_STRING", kLeaf, 0, &kStringSized, 0},
    {0x8009, "XDATA_GROUP", kLeaf, 0, nullptr, 0},
    {0x80F0, "PARENT_NAME", kLeaf, 0, &kStringSized, 0},
    {0xA000, "MAT_NAME", kFields, 0, &kString16, 0},
    {0xA010, "MAT_AMBIENT", kContainer, 0, nullptr, 0},
    {0xA020, "MAT_DIFFUSE", kContainer, 0, nullptr, 0},
    {0xA030, "MAT_SPECULAR", kContainer, 0, nullptr, 0},
    {0xA040, "MAT_SHININESS", kContainer, 0, nullptr, 0},
    {0xA041, "MAT_SHIN2PCT", kContainer, 0, nullptr, 0},
    {0xA042, "MAT_SHIN3PCT", kContainer, 0, nullptr, 0},
    {0xA050, "MAT_TRANSPARENCY", kContainer, 0, nullptr, 0},
    {0xA052, "MAT_XPFALL", kContainer, 0, nullptr, 0},
    {0xA053, "MAT_REFBLUR", kContainer, 0, nullptr, 0},
    {0xA084, "MAT_SELF_ILPCT", kContainer, 0, nullptr, 0},
    {0xA087, "MAT_WIRESIZE", kLeaf, 0, &kFloat, 0},
    {0xA100, "MAT_SHADING", kLeaf, 0, &kInt16, 0},
    {0xA200, "MAT_TEXMAP", kContainer, 0, nullptr, 0},
    {0xA204, "MAT_SPECMAP", kContainer, 0, nullptr, 0},
    {0xA210, "MAT_OPACMAP", kContainer, 0, nullptr, 0},
    {0xA220, "MAT_REFLMAP", kContainer, 0, nullptr, 0},
    {0xA230, "MAT_BUMPMAP", kContainer, 0, nullptr, 0},
    {0xA252, "MAT_BUMP_PERCENT", kLeaf, 0, &kInt16, 0},
    {0xA300, "MAT_MAPNAME", kFields, 0, &kString16, 12},
    {0xA310, "MAT_ACUBIC", kFields, 0, &kACubic, 0},
    {0xA320, "MAT_SXP_TEXT_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA321, "MAT_SXP_TEXT2_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA322, "MAT_SXP_OPAC_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA324, "MAT_SXP_BUMP_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA325, "MAT_SXP_SPEC_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA326, "MAT_SXP_SHIN_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA328, "MAT_SXP_SELFI_DATA", kLeaf, 0, &kRawBody, 0},
    {0xA32A, "MAT_SXP_TEXT_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA32C, "MAT_SXP_TEXT2_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA32E, "MAT_SXP_OPAC_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA330, "MAT_SXP_BUMP_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA332, "MAT_SXP_SPEC_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA334, "MAT_SXP_SHIN_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA336, "MAT_SXP_SELFI_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA338, "MAT_SXP_REFL_MASKDATA", kLeaf, 0, &kRawBody, 0},
    {0xA33A, "MAT_TEX2MAP", kContainer, 0, nullptr, 0},
    {0xA33C, "MAT_SHINMAP", kContainer, 0, nullptr, 0},
    {0xA33D, "MAT_SELFIMAP", kContainer, 0, nullptr, 0},
    {0xA33E, "MAT_TEXMASK", kContainer, 0, nullptr, 0},
    {0xA340, "MAT_TEX2MASK", kContainer, 0, nullptr, 0},
    {0xA342, "MAT_OPACMASK", kContainer, 0, nullptr, 0},
    {0xA344, "MAT_BUMPMASK", kContainer, 0, nullptr, 0},
    {0xA346, "MAT_SHINMASK", kContainer, 0, nullptr, 0},
    {0xA348, "MAT_SPECMASK", kContainer, 0, nullptr, 0},
    {0xA34A, "MAT_SELFIMASK", kContainer, 0, nullptr, 0},
    {0xA34C, "MAT_REFLMASK", kContainer, 0, nullptr, 0},
    {0xA351, "MAT_MAP_TILING", kLeaf, 0, &kUInt16, 0},
    {0xA353, "MAT_MAP_TEXBLUR", kLeaf, 0, &kFloat, 0},
    {0xA354, "MAT_MAP_USCALE", kLeaf, 0, &kFloat, 0},
    {0xA356, "MAT_MAP_VSCALE", kLeaf, 0, &kFloat, 0},
    {0xA358, "MAT_MAP_UOFFSET", kLeaf, 0, &kFloat, 0},
    {0xA35A, "MAT_MAP_VOFFSET", kLeaf, 0, &kFloat, 0},
    {0xA35C, "MAT_MAP_ANG", kLeaf, 0, &kFloat, 0},
    {0xA360, "MAT_MAP_COL1", kLeaf, 0, &kColor24, 0},
    {0xA362, "MAT_MAP_COL2", kLeaf, 0, &kColor24, 0},
    {0xA364, "MAT_MAP_RCOL", kLeaf, 0, &kColor24, 0},
    {0xA366, "MAT_MAP_GCOL", kLeaf, 0, &kColor24, 0},
    {0xA368, "MAT_MAP_BCOL", kLeaf, 0, &kColor24, 0},
    {0xAFFF, "MAT_ENTRY", kContainer, 25, nullptr, 0},
    {0xB000, "KFDATA", kContainer, 29, nullptr, 0},
    {0xB001, "AMBIENT_NODE_TAG", kContainer, 3, nullptr, 0},
    {0xB002, "OBJECT_NODE_TAG", kContainer, 4, nullptr, 0},
    {0xB003, "CAMERA_NODE_TAG", kContainer, 4, nullptr, 0},
    {0xB004, "TARGET_NODE_TAG", kContainer, 4, nullptr, 0},
    {0xB005, "LIGHT_NODE_TAG", kContainer, 0, nullptr, 0},
    {0xB006, "L_TARGET_NODE_TAG", kContainer, 4, nullptr, 0},
    {0xB007, "SPOTLIGHT_NODE_TAG", kContainer, 4, nullptr, 0},
    {0xB008, "KFSEG", kFields, 6, &kKfSeg, 0},
    {0xB009, "KFCURTIME", kFields, 5, &kInt32, 0},
    {0xB00A, "KFHDR", kFields, 24, &kKfHdr, 0},
    {0xB010, "NODE_HDR", kFields, 0, &kNodeHdr, 0},
    {0xB011, "INSTANCE_NAME", kFields, 0, &kString10, 0},
    {0xB013, "PIVOT", kFields, 0, &kPoint, 0},
    {0xB014, "BOUNDBOX", kFields, 0, &kBoundBox, 0},
    {0xB015, "MORPH_SMOOTH", kFields, 0, &kFloat, 0},
    {0xB020, "POS_TRACK_TAG", kLeaf, 0, &kPosTrack, 0},
    {0xB021, "ROT_TRACK_TAG", kLeaf, 0, &kRotTrack, 0},
    {0xB022, "SCL_TRACK_TAG", kLeaf, 0, &kPosTrack, 0},
    {0xB023, "FOV_TRACK_TAG", kLeaf, 0, &kFloatTrack, 0},
    {0xB024, "ROLL_TRACK_TAG", kLeaf, 0, &kFloatTrack, 0},
    {0xB025, "COL_TRACK_TAG", kLeaf, 0, &kColorTrack, 0},
    {0xB026, "MORPH_TRACK_TAG", kLeaf, 0, &kMorphTrack, 0},
    {0xB027, "HOT_TRACK_TAG", kLeaf, 0, &kFloatTrack, 0},
    {0xB028, "FALL_TRACK_TAG", kLeaf, 0, &kFloatTrack, 0},
    {0xB029, "HIDE_TRACK_TAG", kLeaf, 0, &kHideTrack, 0},
    {0xB030, "NODE_ID", kFields, 0, &kInt16, 0},
    {0xC23D, "CMAGIC", kContainer, 0, nullptr, 0},
    // Four bytes of its own before its children, kept as read.
    {0xD000, "(container)", kFields, 0, &kUInt32, 0},
};

constexpr bool IsSorted()
{
    for (std::size_t i = 1; i < sizeof kCatalogue / sizeof kCatalogue[0]; ++i)
        if (kCatalogue[i - 1].tag >= kCatalogue[i].tag)
            return false;
    return true;
}

const Kind* FindKind(std::uint32_t tag)
{
    std::size_t lo = 0, hi = sizeof kCatalogue / sizeof kCatalogue[0];
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (kCatalogue[mid].tag < tag)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < sizeof kCatalogue / sizeof kCatalogue[0] && kCatalogue[lo].tag == tag ? &kCatalogue[lo] : nullptr;
}

// A chunk without a layout of its own that still holds bytes keeps them
// whole: an unknown tag, or a flag chunk with a body.
bool IsRawBody(const Kind* kind)
{
    return !kind || (kind->own == kLeaf && !kind->layout);
}

// A leaf's bytes after its fields (a file may hold more than the count it
// gives) live behind the record and are written back after the fields.
struct Tail {
    std::uint32_t size;
    void* bytes;
};

std::size_t TailOffset(const Kind& kind)
{
    return (kind.layout->size + alignof(Tail) - 1) / alignof(Tail) * alignof(Tail);
}

std::size_t RecordBytes(const Kind& kind)
{
    return kind.own == kLeaf ? TailOffset(kind) + sizeof(Tail) : kind.layout->size;
}

// ---- Field access through byte offsets, valid for every record shape.

template <class T>
T Get(const void* record, std::size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

template <class T>
void Put(void* record, std::size_t offset, T value)
{
    std::memcpy(static_cast<char*>(record) + offset, &value, sizeof value);
}

std::uint8_t UnitSize(FieldKind kind)
{
    switch (kind) {
    case kI8:
    case kU8:
        return 1;
    case kI16:
    case kU16:
        return 2;
    default:
        return 4;
    }
}

bool IsScalar(FieldKind kind)
{
    return kind <= kF32;
}

// Units of `unit` bytes between the file's order and the host's.
void SwapUnits(void* bytes, std::uint64_t length, std::uint8_t unit)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    unsigned char* p = static_cast<unsigned char*>(bytes);
    for (std::uint64_t i = 0; unit > 1 && i + unit <= length; i += unit)
        for (int a = 0, b = unit - 1; a < b; ++a, --b) {
            const unsigned char t = p[i + a];
            p[i + a] = p[i + b];
            p[i + b] = t;
        }
#else
    (void)bytes;
    (void)length;
    (void)unit;
#endif
}

bool ReadUnits(void* to, std::uint64_t length, std::uint8_t unit)
{
    if (!ReadBytes(to, length))
        return false;
    SwapUnits(to, length, unit);
    return true;
}

bool WriteUnits(const void* from, std::uint64_t length, std::uint8_t unit)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    unsigned char buffer[4096];
    const unsigned char* p = static_cast<const unsigned char*>(from);
    while (length > 0) {
        const std::uint64_t n = length < sizeof buffer ? length : sizeof buffer;
        std::memcpy(buffer, p, static_cast<std::size_t>(n));
        SwapUnits(buffer, n, unit);
        if (!WriteBytes(buffer, n))
            return false;
        p += n;
        length -= n;
    }
    return true;
#else
    (void)unit;
    return WriteBytes(from, length);
#endif
}

// The string bound of a field: 0 stands for the chunk's size.
std::uint32_t Bound(const Field& f, const chunk3ds* chunk)
{
    if (f.arg)
        return f.arg;
    return chunk->size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(chunk->size);
}

// ---- Decoding.

bool DecodeTrack(void* record, Element element)
{
    trackheader3ds header;
    ReadTrackHeader3ds(&header);
    Put(record, 0, header);
    if (Stop())
        return false;
    const ElementInfo& info = kElements[element];
    // Each key needs its header (6 bytes at least) and its value.
    if (header.keycount > BytesLeft() / (6u + info.disk)) {
        header.keycount = 0;
        Put(record, 0, header);
        return !Fail(ERR_INVALID_CHUNK);
    }
    if (header.keycount == 0)
        return true;
    keyheader3ds* keys = static_cast<keyheader3ds*>(AllocArray(header.keycount, sizeof(keyheader3ds)));
    char* values = info.size ? static_cast<char*>(AllocArray(header.keycount, info.size)) : nullptr;
    Put(record, offsetof(PosTrackData3ds, keys), keys);
    Put(record, offsetof(PosTrackData3ds, values), static_cast<void*>(values));
    if (!keys || (info.size && !values))
        return !Fail(ERR_NO_MEM);
    for (std::uint32_t i = 0; i < header.keycount; ++i) {
        ReadKeyHeader3ds(&keys[i]);
        if (Stop())
            return false;
        char* value = values ? values + std::size_t(i) * info.size : nullptr;
        if (element == eMorph)
            ReadString3ds(value, 10);
        else if (info.size)
            ReadUnits(value, info.size, info.unit);
        if (Stop())
            return false;
    }
    return true;
}

// Reads each field into the record; false when the caller must stop.
bool Decode(const Layout& layout, chunk3ds* chunk, void* record)
{
    for (int i = 0; i < layout.count; ++i) {
        const Field& f = layout.fields[i];
        if (IsScalar(f.kind)) {
            ReadUnits(static_cast<char*>(record) + f.offset, std::uint64_t(f.repeat) * UnitSize(f.kind),
                      UnitSize(f.kind));
        } else if (f.kind == kString) {
            char* s = nullptr;
            ReadAndAllocString3ds(&s, Bound(f, chunk));
            Put(record, f.offset, s);
        } else if (f.kind == kFixedString) {
            char* field = static_cast<char*>(record) + f.offset;
            ReadFixedString3ds(field, f.arg);
            field[f.arg] = '\0';
        } else if (f.kind == kArray) {
            const std::uint16_t count = ReadUShort3ds();
            if (Stop())
                return false;
            const ElementInfo& info = kElements[f.arg];
            if (std::uint64_t(count) * info.disk > BytesLeft())
                return !Fail(ERR_INVALID_CHUNK);
            Put(record, f.offset, count);
            if (count) {
                void* array = AllocArray(count, info.size);
                if (!array) {
                    Put(record, f.offset, std::uint16_t(0));
                    return !Fail(ERR_NO_MEM);
                }
                Put(record, f.pointer, array);
                ReadUnits(array, std::uint64_t(count) * info.size, info.unit);
            }
        } else if (f.kind == kSmooth) {
            // The masks fill the body; a count kept in 16 bits holds every
            // face a mesh can have.
            std::uint64_t count = (chunk->size - HeaderSize3ds) / 4;
            if (count > 0xFFFF)
                count = 0xFFFF;
            Put(record, f.offset, static_cast<std::uint16_t>(count));
            if (count) {
                void* array = AllocArray(count, 4);
                if (!array) {
                    Put(record, f.offset, std::uint16_t(0));
                    return !Fail(ERR_NO_MEM);
                }
                Put(record, f.pointer, array);
                ReadUnits(array, count * 4, 4);
            }
        } else if (f.kind == kRaw) {
            const std::uint64_t size = chunk->size - HeaderSize3ds;
            if (size) {
                void* block = AllocArray(size, 1);
                if (!block)
                    return !Fail(ERR_NO_MEM);
                Put(record, f.offset, static_cast<std::uint32_t>(size));
                Put(record, f.pointer, block);
                ReadBytes(block, size);
            }
        } else if (f.kind == kTrack) {
            if (!DecodeTrack(record, static_cast<Element>(f.arg)))
                return false;
        }
        if (Stop())
            return false;
    }
    return true;
}

// ---- Encoding.

void EncodeTrack(const void* record, Element element)
{
    trackheader3ds header = Get<trackheader3ds>(record, 0);
    const keyheader3ds* keys = Get<keyheader3ds*>(record, offsetof(PosTrackData3ds, keys));
    const char* values = static_cast<const char*>(Get<void*>(record, offsetof(PosTrackData3ds, values)));
    const ElementInfo& info = kElements[element];
    // Keys that are missing, or whose values are, are not written.
    if (!keys || (info.size && !values))
        header.keycount = 0;
    WriteTrackHeader3ds(&header);
    for (std::uint32_t i = 0; i < header.keycount && !Stop(); ++i) {
        WriteKeyHeader3ds(&keys[i]);
        if (Stop())
            return;
        const char* value = values ? values + std::size_t(i) * info.size : nullptr;
        if (element == eMorph) {
            char name[sizeof(kfmorph3ds)];
            CopyFixed(name, sizeof name, value);
            WriteString3ds(name);
        } else if (info.size) {
            WriteUnits(value, info.size, info.unit);
        }
    }
}

void Encode(const Layout& layout, const void* record)
{
    for (int i = 0; i < layout.count && !Stop(); ++i) {
        const Field& f = layout.fields[i];
        if (IsScalar(f.kind)) {
            WriteUnits(static_cast<const char*>(record) + f.offset, std::uint64_t(f.repeat) * UnitSize(f.kind),
                       UnitSize(f.kind));
        } else if (f.kind == kString) {
            WriteString3ds(Get<char*>(record, f.offset));
        } else if (f.kind == kFixedString) {
            // Always terminated, so the field reads back.
            char field[256];
            CopyFixed(field, f.arg, static_cast<const char*>(record) + f.offset);
            WriteFixedString3ds(field, f.arg);
        } else if (f.kind == kArray) {
            const void* array = Get<void*>(record, f.pointer);
            const std::uint16_t count = array ? Get<std::uint16_t>(record, f.offset) : 0;
            const ElementInfo& info = kElements[f.arg];
            WriteUShort3ds(count);
            if (count && !Stop())
                WriteUnits(array, std::uint64_t(count) * info.size, info.unit);
        } else if (f.kind == kSmooth) {
            const void* array = Get<void*>(record, f.pointer);
            if (array)
                WriteUnits(array, std::uint64_t(Get<std::uint16_t>(record, f.offset)) * 4, 4);
        } else if (f.kind == kRaw) {
            const void* block = Get<void*>(record, f.pointer);
            if (block)
                WriteBytes(block, Get<std::uint32_t>(record, f.offset));
        } else if (f.kind == kTrack) {
            EncodeTrack(record, static_cast<Element>(f.arg));
        }
    }
}

// ---- Copying and freeing the owned parts of a record.

bool CopyOwned(const Layout& layout, const void* from, void* to)
{
    for (int i = 0; i < layout.count; ++i) {
        const Field& f = layout.fields[i];
        if (f.kind == kString) {
            const char* s = Get<char*>(from, f.offset);
            char* copy = s ? strdup3ds(s) : nullptr;
            Put(to, f.offset, copy);
            if (s && !copy)
                return false;
        } else if (f.kind == kArray || f.kind == kSmooth || f.kind == kRaw) {
            const void* block = Get<void*>(from, f.pointer);
            std::uint64_t bytes = 0;
            if (f.kind == kRaw)
                bytes = Get<std::uint32_t>(from, f.offset);
            else
                bytes = std::uint64_t(Get<std::uint16_t>(from, f.offset)) *
                        (f.kind == kSmooth ? 4u : kElements[f.arg].size);
            void* copy = CopyBlock(block, bytes);
            Put(to, f.pointer, copy);
            if (block && bytes && !copy)
                return false;
        } else if (f.kind == kTrack) {
            const trackheader3ds header = Get<trackheader3ds>(from, 0);
            const std::size_t keysAt = offsetof(PosTrackData3ds, keys), valuesAt = offsetof(PosTrackData3ds, values);
            void* keys = CopyBlock(Get<void*>(from, keysAt), std::uint64_t(header.keycount) * sizeof(keyheader3ds));
            void* values = CopyBlock(Get<void*>(from, valuesAt),
                                     std::uint64_t(header.keycount) * kElements[f.arg].size);
            Put(to, keysAt, keys);
            Put(to, valuesAt, values);
            if ((Get<void*>(from, keysAt) && header.keycount && !keys) ||
                (Get<void*>(from, valuesAt) && header.keycount && kElements[f.arg].size && !values))
                return false;
        }
    }
    return true;
}

void FreeOwned(const Layout& layout, void* record)
{
    for (int i = 0; i < layout.count; ++i) {
        const Field& f = layout.fields[i];
        if (f.kind == kString)
            std::free(Get<char*>(record, f.offset));
        else if (f.kind == kArray || f.kind == kSmooth || f.kind == kRaw)
            std::free(Get<void*>(record, f.pointer));
        else if (f.kind == kTrack) {
            std::free(Get<void*>(record, offsetof(PosTrackData3ds, keys)));
            std::free(Get<void*>(record, offsetof(PosTrackData3ds, values)));
        }
    }
}

void ReadTail(void* record, std::size_t at)
{
    Tail tail{static_cast<std::uint32_t>(BytesLeft()), nullptr};
    tail.bytes = AllocArray(tail.size, 1);
    if (!tail.bytes) {
        Fail(ERR_NO_MEM);
        return;
    }
    Put(record, at, tail);
    ReadBytes(tail.bytes, tail.size);
}

// Clears the owned pointers of a record whose bytes were copied from
// another, so a copy that fails half-way frees only what it made.
void ClearOwned(const Kind& kind, void* record)
{
    for (int i = 0; i < kind.layout->count; ++i) {
        const Field& f = kind.layout->fields[i];
        if (f.kind == kString)
            Put<char*>(record, f.offset, nullptr);
        else if (f.kind == kArray || f.kind == kSmooth || f.kind == kRaw)
            Put<void*>(record, f.pointer, nullptr);
        else if (f.kind == kTrack) {
            Put<void*>(record, offsetof(PosTrackData3ds, keys), nullptr);
            Put<void*>(record, offsetof(PosTrackData3ds, values), nullptr);
        }
    }
    if (kind.own == kLeaf)
        Put(record, TailOffset(kind), Tail{0, nullptr});
}

bool CopyRecord(const Kind& kind, const void* from, void* to)
{
    ClearOwned(kind, to);
    if (kind.own == kLeaf) {
        Tail tail = Get<Tail>(from, TailOffset(kind));
        const void* bytes = tail.bytes;
        tail.bytes = CopyBlock(bytes, tail.size);
        Put(to, TailOffset(kind), tail);
        if (bytes && !tail.bytes)
            return false;
    }
    return CopyOwned(*kind.layout, from, to);
}

void FreeRecord(const Kind& kind, void* record)
{
    FreeOwned(*kind.layout, record);
    if (kind.own == kLeaf)
        std::free(Get<Tail>(record, TailOffset(kind)).bytes);
}

// ---- Seeking past own data.

// Reads a string of at most `bound` characters and drops it.
void SkipString(std::uint32_t bound)
{
    char c = 1;
    for (std::uint64_t n = 0; n <= bound; ++n) {
        if (!ReadBytes(&c, 1))
            return;
        if (c == '\0')
            return;
    }
    PushErrList3ds(ERR_READING_FILE);
}

bool SkipFields(const Kind& kind, chunk3ds* chunk, std::uint64_t end)
{
    for (int i = 0; i < kind.layout->count; ++i) {
        const Field& f = kind.layout->fields[i];
        std::uint64_t bytes = 0;
        if (IsScalar(f.kind)) {
            bytes = std::uint64_t(f.repeat) * UnitSize(f.kind);
        } else if (f.kind == kFixedString) {
            bytes = f.arg;
        } else if (f.kind == kString) {
            SkipString(kind.seekbound ? kind.seekbound : Bound(f, chunk));
            if (Stop())
                return false;
            continue;
        } else if (f.kind == kArray) {
            if (BytesLeft() < 2)
                return !Fail(ERR_INVALID_CHUNK);
            bytes = std::uint64_t(ReadUShort3ds()) * kElements[f.arg].disk;
            if (Stop())
                return false;
        }
        const std::uint64_t at = GetFilePosition3ds();
        if (bytes > end - at)
            return !Fail(ERR_INVALID_CHUNK);
        if (FileSeek3ds(at + bytes) != 0)
            return !Fail(ERR_READING_FILE);
    }
    return true;
}

}  // namespace

static_assert(IsSorted(), "the catalogue is searched by bisection");

bool IsKnownChunk3ds(std::uint32_t tag)
{
    return FindKind(tag) != nullptr;
}

std::uint8_t GetChunkValue3ds(std::uint32_t tag)
{
    if (tag == NULL_CHUNK)
        return 35;
    const Kind* kind = FindKind(tag);
    return kind ? kind->order : 0;
}

void* InitChunkData3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    FreeChunkData3ds(chunk);
    const Kind* kind = FindKind(chunk->tag);
    std::uint64_t bytes = 0;
    if (kind && kind->layout)
        bytes = RecordBytes(*kind);
    else if (!kind && chunk->size > HeaderSize3ds)
        bytes = chunk->size - HeaderSize3ds;
    if (bytes == 0)
        return nullptr;
    chunk->data = AllocArray(bytes, 1);
    if (!chunk->data)
        Fail(ERR_NO_MEM);
    return chunk->data;
}

void* ReadChunkData3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    if (chunk->data)
        return chunk->data;
    const Kind* kind = FindKind(chunk->tag);
    if ((kind && kind->own != kLeaf && !kind->layout) || chunk->tag == PARENT_NAME ||
        chunk->readindex == InvalidFileContext3ds)
        return nullptr;
    const filecontext3ds* ctx = GetContextByIndex3ds(chunk->readindex);
    if (!ctx || !ctx->file || ctx->state != ReadFromFile3ds) {
        Fail(ERR_READING_FILE);
        return nullptr;
    }
    if (chunk->size < HeaderSize3ds) {
        Fail(ERR_INVALID_CHUNK);
        return nullptr;
    }
    SetContextByIndex3ds(chunk->readindex);
    if (FileSeek3ds(chunk->position + HeaderSize3ds) != 0) {
        Fail(ERR_READING_FILE);
        return nullptr;
    }
    const std::uint64_t limit = SetReadLimit(chunk->position + chunk->size);
    if (!IsRawBody(kind)) {
        chunk->data = AllocArray(RecordBytes(*kind), 1);
        if (!chunk->data)
            Fail(ERR_NO_MEM);
        else if (Decode(*kind->layout, chunk, chunk->data) && kind->own == kLeaf && BytesLeft())
            ReadTail(chunk->data, TailOffset(*kind));
    } else if (chunk->size > HeaderSize3ds) {
        // The body is kept whole; the tree's bounds keep it within the file.
        const std::uint64_t bytes = chunk->size - HeaderSize3ds;
        chunk->data = AllocArray(bytes, 1);
        if (!chunk->data)
            Fail(ERR_NO_MEM);
        else
            ReadBytes(chunk->data, bytes);
    }
    SetReadLimit(limit);
    return chunk->data;
}

void WriteChunkData3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!chunk->data || chunk->tag == PARENT_NAME)
        return;
    SetContextByIndex3ds(chunk->writeindex);
    const Kind* kind = FindKind(chunk->tag);
    if (IsRawBody(kind)) {
        if (chunk->size > HeaderSize3ds)
            WriteBytes(chunk->data, chunk->size - HeaderSize3ds);
    } else if (kind->layout) {
        Encode(*kind->layout, chunk->data);
        const Tail tail = kind->own == kLeaf ? Get<Tail>(chunk->data, TailOffset(*kind)) : Tail{0, nullptr};
        if (tail.bytes && !Stop())
            WriteBytes(tail.bytes, tail.size);
    }
}

void CopyChunkData3ds(chunk3ds* source, chunk3ds* target)
{
    if (!source || !target) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!source->data || target->data)
        return;
    const Kind* kind = FindKind(source->tag);
    if (!IsRawBody(kind) && !kind->layout)
        return;
    const std::uint64_t bytes = IsRawBody(kind) ? source->size - HeaderSize3ds : RecordBytes(*kind);
    void* copy = CopyBlock(source->data, bytes);
    if (!copy) {
        Fail(ERR_NO_MEM);
        return;
    }
    if (!IsRawBody(kind) && !CopyRecord(*kind, source->data, copy)) {
        FreeRecord(*kind, copy);
        std::free(copy);
        Fail(ERR_NO_MEM);
        return;
    }
    target->data = copy;
}

void FreeChunkData3ds(chunk3ds* chunk)
{
    if (!chunk || !chunk->data)
        return;
    const Kind* kind = FindKind(chunk->tag);
    if (!IsRawBody(kind) && kind->layout)
        FreeRecord(*kind, chunk->data);
    std::free(chunk->data);
    chunk->data = nullptr;
}

void FreeFileChunkData3ds(chunk3ds* chunk)
{
    if (chunk && chunk->readindex != InvalidFileContext3ds && GetContextByIndex3ds(chunk->readindex))
        FreeChunkData3ds(chunk);
}

void SeekChild3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    const std::uint64_t end = chunk->position + chunk->size;
    const Kind* kind = FindKind(chunk->tag);
    if (kind && kind->own == kContainer)
        return;
    if (kind && kind->own == kFields) {
        const std::uint64_t limit = SetReadLimit(end);
        SkipFields(*kind, chunk, end);
        SetReadLimit(limit);
        return;
    }
    if (FileSeek3ds(end) != 0)
        Fail(ERR_READING_FILE);
}

}  // namespace qelsdk_600
