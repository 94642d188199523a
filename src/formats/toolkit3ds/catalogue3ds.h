// The chunk catalogue: every chunk id the toolkit knows, the layout of its
// body in the file, the record that holds the decoded body, where its
// children start and its ordering value among siblings. One table
// (catalogue3ds.cpp) drives the operations below.
//
// Reads stay inside their chunk: a decode that would cross the chunk's end
// records ERR_READING_FILE like one at the end of the file; a string with no
// 0 byte within its bound is ERR_READING_FILE; a counted array or track
// whose count cannot fit in the bytes left is ERR_INVALID_CHUNK before
// anything is allocated (count 0, no array). A failed decode leaves the
// record partly filled and stored in the chunk. Nothing read is lost: a
// leaf's bytes after its fields, and the body of a flag chunk or an unknown
// tag, are kept and written back.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_CATALOGUE3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_CATALOGUE3DS_H

#include <cstdint>

#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

struct chunk3ds;

// Chunk ids.
enum : std::uint16_t {
    NULL_CHUNK = 0x0000,
    M3D_VERSION = 0x0002,
    COLOR_F = 0x0010,
    COLOR_24 = 0x0011,
    LIN_COLOR_24 = 0x0012,
    LIN_COLOR_F = 0x0013,
    INT_PERCENTAGE = 0x0030,
    FLOAT_PERCENTAGE = 0x0031,
    MASTER_SCALE = 0x0100,
    BIT_MAP = 0x1100,
    USE_BIT_MAP = 0x1101,
    SOLID_BGND = 0x1200,
    USE_SOLID_BGND = 0x1201,
    V_GRADIENT = 0x1300,
    USE_V_GRADIENT = 0x1301,
    LO_SHADOW_BIAS = 0x1400,
    HI_SHADOW_BIAS = 0x1410,
    SHADOW_MAP_SIZE = 0x1420,
    SHADOW_SAMPLES = 0x1430,
    SHADOW_RANGE = 0x1440,
    SHADOW_FILTER = 0x1450,
    RAY_BIAS = 0x1460,
    O_CONSTS = 0x1500,
    AMBIENT_LIGHT = 0x2100,
    FOG = 0x2200,
    DISTANCE_CUE = 0x2300,
    LAYER_FOG = 0x2302,
    DEFAULT_VIEW = 0x3000,
    VIEW_TOP = 0x3010,
    VIEW_BOTTOM = 0x3020,
    VIEW_LEFT = 0x3030,
    VIEW_RIGHT = 0x3040,
    VIEW_FRONT = 0x3050,
    VIEW_BACK = 0x3060,
    VIEW_USER = 0x3070,
    VIEW_CAMERA = 0x3080,
    MDATA = 0x3D3D,
    MESH_VERSION = 0x3D3E,
    MLIBMAGIC = 0x3DAA,
    NAMED_OBJECT = 0x4000,
    OBJ_HIDDEN = 0x4010,
    N_TRI_OBJECT = 0x4100,
    POINT_ARRAY = 0x4110,
    POINT_FLAG_ARRAY = 0x4111,
    FACE_ARRAY = 0x4120,
    MSH_MAT_GROUP = 0x4130,
    TEX_VERTS = 0x4140,
    SMOOTH_GROUP = 0x4150,
    MESH_MATRIX = 0x4160,
    MESH_COLOR = 0x4165,
    MESH_TEXTURE_INFO = 0x4170,
    PROC_NAME = 0x4181,
    PROC_DATA = 0x4182,
    MSH_BOXMAP = 0x4190,
    N_DIRECT_LIGHT = 0x4600,
    DL_SPOTLIGHT = 0x4610,
    DL_LOCAL_SHADOW2 = 0x4641,
    DL_SPOT_PROJECTOR = 0x4653,
    DL_EXCLUDE = 0x4654,
    DL_SPOT_ROLL = 0x4656,
    DL_SPOT_ASPECT = 0x4657,
    DL_RAY_BIAS = 0x4658,
    DL_INNER_RANGE = 0x4659,
    DL_OUTER_RANGE = 0x465A,
    DL_MULTIPLIER = 0x465B,
    N_CAMERA = 0x4700,
    CAM_RANGES = 0x4720,
    M3DMAGIC = 0x4D4D,
    VIEWPORT_LAYOUT = 0x7001,
    VIEWPORT_DATA = 0x7011,
    VIEWPORT_DATA_3 = 0x7012,
    VIEWPORT_SIZE = 0x7020,
    XDATA_SECTION = 0x8000,
    XDATA_ENTRY = 0x8001,
    XDATA_APPNAME = 0x8002,
    XDATA_STRING = 0x8003,
    XDATA_GROUP = 0x8009,
    PARENT_NAME = 0x80F0,  // the toolkit's own: a node's parent, by name
    MAT_NAME = 0xA000,
    MAT_AMBIENT = 0xA010,
    MAT_DIFFUSE = 0xA020,
    MAT_SPECULAR = 0xA030,
    MAT_SHININESS = 0xA040,
    MAT_SHIN2PCT = 0xA041,
    MAT_SHIN3PCT = 0xA042,
    MAT_TRANSPARENCY = 0xA050,
    MAT_XPFALL = 0xA052,
    MAT_REFBLUR = 0xA053,
    MAT_SELF_ILPCT = 0xA084,
    MAT_WIRESIZE = 0xA087,
    MAT_SHADING = 0xA100,
    MAT_TEXMAP = 0xA200,
    MAT_SPECMAP = 0xA204,
    MAT_OPACMAP = 0xA210,
    MAT_REFLMAP = 0xA220,
    MAT_BUMPMAP = 0xA230,
    MAT_BUMP_PERCENT = 0xA252,
    MAT_MAPNAME = 0xA300,
    MAT_ACUBIC = 0xA310,
    MAT_SXP_TEXT_DATA = 0xA320,
    MAT_SXP_TEXT2_DATA = 0xA321,
    MAT_SXP_OPAC_DATA = 0xA322,
    MAT_SXP_BUMP_DATA = 0xA324,
    MAT_SXP_SPEC_DATA = 0xA325,
    MAT_SXP_SHIN_DATA = 0xA326,
    MAT_SXP_SELFI_DATA = 0xA328,
    MAT_SXP_TEXT_MASKDATA = 0xA32A,
    MAT_SXP_TEXT2_MASKDATA = 0xA32C,
    MAT_SXP_OPAC_MASKDATA = 0xA32E,
    MAT_SXP_BUMP_MASKDATA = 0xA330,
    MAT_SXP_SPEC_MASKDATA = 0xA332,
    MAT_SXP_SHIN_MASKDATA = 0xA334,
    MAT_SXP_SELFI_MASKDATA = 0xA336,
    MAT_SXP_REFL_MASKDATA = 0xA338,
    MAT_TEX2MAP = 0xA33A,
    MAT_SHINMAP = 0xA33C,
    MAT_SELFIMAP = 0xA33D,
    MAT_TEXMASK = 0xA33E,
    MAT_TEX2MASK = 0xA340,
    MAT_OPACMASK = 0xA342,
    MAT_BUMPMASK = 0xA344,
    MAT_SHINMASK = 0xA346,
    MAT_SPECMASK = 0xA348,
    MAT_SELFIMASK = 0xA34A,
    MAT_REFLMASK = 0xA34C,
    MAT_MAP_TILING = 0xA351,
    MAT_MAP_TEXBLUR = 0xA353,
    MAT_MAP_USCALE = 0xA354,
    MAT_MAP_VSCALE = 0xA356,
    MAT_MAP_UOFFSET = 0xA358,
    MAT_MAP_VOFFSET = 0xA35A,
    MAT_MAP_ANG = 0xA35C,
    MAT_MAP_COL1 = 0xA360,
    MAT_MAP_COL2 = 0xA362,
    MAT_MAP_RCOL = 0xA364,
    MAT_MAP_GCOL = 0xA366,
    MAT_MAP_BCOL = 0xA368,
    MAT_ENTRY = 0xAFFF,
    KFDATA = 0xB000,
    AMBIENT_NODE_TAG = 0xB001,
    OBJECT_NODE_TAG = 0xB002,
    CAMERA_NODE_TAG = 0xB003,
    TARGET_NODE_TAG = 0xB004,
    LIGHT_NODE_TAG = 0xB005,
    L_TARGET_NODE_TAG = 0xB006,
    SPOTLIGHT_NODE_TAG = 0xB007,
    KFSEG = 0xB008,
    KFCURTIME = 0xB009,
    KFHDR = 0xB00A,
    NODE_HDR = 0xB010,
    INSTANCE_NAME = 0xB011,
    PIVOT = 0xB013,
    BOUNDBOX = 0xB014,
    MORPH_SMOOTH = 0xB015,
    POS_TRACK_TAG = 0xB020,
    ROT_TRACK_TAG = 0xB021,
    SCL_TRACK_TAG = 0xB022,
    FOV_TRACK_TAG = 0xB023,
    ROLL_TRACK_TAG = 0xB024,
    COL_TRACK_TAG = 0xB025,
    MORPH_TRACK_TAG = 0xB026,
    HOT_TRACK_TAG = 0xB027,
    FALL_TRACK_TAG = 0xB028,
    HIDE_TRACK_TAG = 0xB029,
    NODE_ID = 0xB030,
    CMAGIC = 0xC23D
};

// Flag chunks (no body) the catalogue does not list: each stands for one
// flag of a record.
enum : std::uint16_t {
    OBJ_VIS_LOFTER = 0x4011,
    OBJ_DOESNT_CAST = 0x4012,
    OBJ_MATTE = 0x4013,
    OBJ_FAST = 0x4014,
    OBJ_PROCEDURAL = 0x4015,
    OBJ_FROZEN = 0x4016,
    OBJ_DONT_RCVSHADOW = 0x4017,
    DL_OFF = 0x4620,
    DL_ATTENUATE = 0x4625,
    DL_RAYSHAD = 0x4627,
    DL_SHADOWED = 0x4630,
    DL_LOCAL_SHADOW = 0x4640,
    DL_SEE_CONE = 0x4650,
    DL_SPOT_RECTANGULAR = 0x4651,
    DL_SPOT_OVERSHOOT = 0x4652,
    CAM_SEE_CONE = 0x4710,
    MAT_SELF_ILLUM = 0xA080,
    MAT_TWO_SIDE = 0xA081,
    MAT_ADDITIVE = 0xA083,
    MAT_WIRE = 0xA085,
    MAT_FACEMAP = 0xA088,
    MAT_XPFALLIN = 0xA08A,
    MAT_PHONGSOFT = 0xA08C,
    MAT_WIREABS = 0xA08E,
    MAT_USE_XPFALL = 0xA240,
    MAT_USE_REFBLUR = 0xA250
};

// ---- Data records, by shape; the tags each serves are listed. Fields are in
// ---- record order; where the file's order differs it is said.

// M3D_VERSION, MESH_VERSION, SHADOW_RANGE, KFCURTIME.
struct Int32Data3ds {
    std::int32_t value;
};
// INT_PERCENTAGE, SHADOW_MAP_SIZE, SHADOW_SAMPLES, MAT_SHADING,
// MAT_BUMP_PERCENT, NODE_ID.
struct Int16Data3ds {
    std::int16_t value;
};
// MAT_MAP_TILING.
struct UInt16Data3ds {
    std::uint16_t value;
};
// 0xD000 (its four bytes, kept as read).
struct UInt32Data3ds {
    std::uint32_t value;
};
// MESH_COLOR.
struct ByteData3ds {
    std::uint8_t value;
};
// FLOAT_PERCENTAGE, MASTER_SCALE, V_GRADIENT (midpoint), LO_ and
// HI_SHADOW_BIAS, SHADOW_FILTER, RAY_BIAS, DL_SPOT_ROLL, DL_SPOT_ASPECT,
// DL_RAY_BIAS, DL_INNER_RANGE, DL_OUTER_RANGE, DL_MULTIPLIER, MAT_WIRESIZE,
// MAT_MAP_TEXBLUR to MAT_MAP_ANG, MORPH_SMOOTH.
struct FloatData3ds {
    float value;
};
// COLOR_F, LIN_COLOR_F.
struct ColorFData3ds {
    float red, green, blue;
};
// COLOR_24, LIN_COLOR_24, MAT_MAP_COL1 to MAT_MAP_BCOL.
struct Color24Data3ds {
    std::uint8_t red, green, blue;
};
// Owned string: BIT_MAP (at most 12 characters), VIEW_CAMERA,
// NAMED_OBJECT, DL_EXCLUDE, INSTANCE_NAME (10), PROC_NAME,
// DL_SPOT_PROJECTOR (12), MAT_NAME, MAT_MAPNAME (16), XDATA_APPNAME,
// XDATA_STRING (the chunk's size), PARENT_NAME (never in a file).
struct StringData3ds {
    char* value;
};
// O_CONSTS, N_DIRECT_LIGHT (position), PIVOT.
struct PointData3ds {
    point3ds value;
};
// FOG: near plane, near density, far plane, far density; DISTANCE_CUE:
// near plane, near dimming, far plane, far dimming.
struct FourFloatData3ds {
    float values[4];
};
// LAYER_FOG.
struct LayerFogData3ds {
    float zmin, zmax, density;
    std::uint32_t type;
};
// VIEW_TOP to VIEW_BACK; the file holds the width first.
struct ViewData3ds {
    point3ds target;
    float width;
};
// VIEW_USER; the file holds the four floats first.
struct ViewUserData3ds {
    point3ds target;
    float width, horizontal, vertical, back;
};
// Counted arrays (u16 count, then count elements): POINT_ARRAY,
// POINT_FLAG_ARRAY, FACE_ARRAY, TEX_VERTS. No array when the count is 0.
struct PointArrayData3ds {
    std::uint16_t count;
    point3ds* points;
};
struct PointFlagData3ds {
    std::uint16_t count;
    std::int16_t* flags;
};
struct FaceArrayData3ds {
    std::uint16_t count;
    face3ds* faces;
};
struct TexVertsData3ds {
    std::uint16_t count;
    textvert3ds* texverts;
};
// MSH_MAT_GROUP: material name (16), then the face indices.
struct MatGroupData3ds {
    char* name;
    std::uint16_t count;
    std::uint16_t* faces;
};
// SMOOTH_GROUP: (size - 6) / 4 group masks, no count on disk.
struct SmoothGroupData3ds {
    std::uint16_t count;
    std::uint32_t* groups;
};
// MESH_MATRIX: the X, Y, Z axes and the origin.
struct MeshMatrixData3ds {
    float xmatrix[12];
};
// MESH_TEXTURE_INFO.
struct TextureInfoData3ds {
    std::uint16_t maptype;
    float xtiling, ytiling;
    point3ds iconpos;
    float iconscaling;
    float xmatrix[12];
    float iconwidth, iconheight, cyliconheight;
};
// Raw bytes, the whole body: PROC_DATA, the procedural blocks MAT_SXP_*.
struct RawData3ds {
    std::uint32_t size;
    void* data;
};
// MSH_BOXMAP: six material names (16).
struct BoxMapData3ds {
    char* names[6];
};
// DL_SPOTLIGHT.
struct SpotlightData3ds {
    point3ds target;
    float hotspot, falloff;
};
// DL_LOCAL_SHADOW2.
struct LocalShadowData3ds {
    float bias, filter;
    std::int16_t mapsize;
};
// N_CAMERA.
struct CameraData3ds {
    point3ds position, target;
    float roll, focal;
};
// CAM_RANGES.
struct RangesData3ds {
    float nearplane, farplane;
};
// VIEWPORT_LAYOUT.
struct ViewportLayoutData3ds {
    std::int16_t form, top, ready, wstate, swapws, swapport, swapcur;
};
// VIEWPORT_DATA, VIEWPORT_DATA_3; the camera name is an 11-byte field in
// the file.
struct ViewportData3ds {
    std::int16_t flags, axislockout, winx, winy, winw, winh, winview;
    float zoom;
    point3ds center;
    float horang, verang;
    char camname[12];
};
// VIEWPORT_SIZE.
struct ViewportSizeData3ds {
    std::uint16_t xpos, ypos, width, height;
};
// MAT_ACUBIC.
struct ACubicData3ds {
    std::int8_t shadelevel, antialias;
    std::int16_t flags;
    std::uint32_t mapsize, frameinterval;
};
// KFSEG.
struct KfSegData3ds {
    std::int32_t first, last;
};
// KFHDR: revision, file name (512), animation length.
struct KfHdrData3ds {
    std::int16_t revision;
    char* filename;
    std::int32_t animlength;
};
// NODE_HDR: node name (10), two flag words, parent node id (-1: none).
struct NodeHdrData3ds {
    char* objname;
    std::uint16_t flags1, flags2;
    std::int16_t parentindex;
};
// BOUNDBOX.
struct BoundBoxData3ds {
    point3ds min, max;
};
// Tracks POS_TRACK_TAG to HIDE_TRACK_TAG: the track header, then keycount
// key headers and keycount values (none for HIDE_TRACK_TAG). On disk each
// key's header is followed by its value.
template <class Value>
struct TrackData3ds {
    trackheader3ds header;
    keyheader3ds* keys;
    Value* values;
};
typedef TrackData3ds<point3ds> PosTrackData3ds;      // POS_TRACK_TAG
typedef TrackData3ds<kfrotkey3ds> RotTrackData3ds;   // ROT_TRACK_TAG
typedef TrackData3ds<point3ds> ScaleTrackData3ds;    // SCL_TRACK_TAG
typedef TrackData3ds<float> FloatTrackData3ds;       // FOV, ROLL, HOT, FALL
typedef TrackData3ds<fcolor3ds> ColorTrackData3ds;   // COL_TRACK_TAG
typedef TrackData3ds<kfmorph3ds> MorphTrackData3ds;  // MORPH_TRACK_TAG
typedef TrackData3ds<void> HideTrackData3ds;         // HIDE_TRACK_TAG

// ---- The catalogue's operations.

// Gives the chunk a new zero-filled record for its tag and returns it: none
// for containers and flag chunks; for an unknown tag a block of size - 6
// bytes (none for 6 or less). An existing record is freed first.
void* InitChunkData3ds(chunk3ds* chunk);
// The chunk's record: the one in memory, else decoded from its read file
// (none for containers, flag chunks and chunks without a read file). An
// unknown tag keeps its raw body.
void* ReadChunkData3ds(chunk3ds* chunk);
// Encodes the record (if any) on the chunk's write file in the file's order;
// an unknown tag's raw block is written back as size - 6 bytes;
// PARENT_NAME writes nothing.
void WriteChunkData3ds(chunk3ds* chunk);
// Gives target (if it has no record) a deep copy of source's record.
void CopyChunkData3ds(chunk3ds* source, chunk3ds* target);
// Frees the record with every string and array it owns.
void FreeChunkData3ds(chunk3ds* chunk);
// The same, only when the record can be read again from an open file.
void FreeFileChunkData3ds(chunk3ds* chunk);
// With the file just after the chunk's header, moves it past the chunk's
// own data to its first child (to its end when it has no children). Own
// data passing the chunk's end is ERR_INVALID_CHUNK; a string without its 0
// byte, or longer than its bound (12 for MAT_MAPNAME here), ERR_READING_FILE.
void SeekChild3ds(chunk3ds* chunk);
// The ordering value of a tag: higher values come first among siblings.
std::uint8_t GetChunkValue3ds(std::uint32_t tag);
// Whether the catalogue knows the tag.
bool IsKnownChunk3ds(std::uint32_t tag);

}  // namespace qelsdk_600

#endif
