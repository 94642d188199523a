// The 3D Studio file toolkit's value records, sizes, flag words and default
// records. The file is little-endian on every host; these are the records
// the primitives read and write (primitives3ds.h).
#ifndef QELSDK_FORMATS_TOOLKIT3DS_TYPES3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_TYPES3DS_H

#include <cstdint>

namespace qelsdk_600 {

// One-byte booleans of the toolkit's records.
typedef std::uint8_t byte3ds;
constexpr byte3ds True3ds = 1;
constexpr byte3ds False3ds = 0;

// Sizes on disk.
constexpr std::uint32_t HeaderSize3ds = 6;        // chunk header: u16 tag, u32 size
constexpr std::uint32_t TrackHeaderSize3ds = 14;  // u16 flags, u32, u32, u32 key count
constexpr std::uint32_t ByteSize3ds = 1;
constexpr std::uint32_t ShortSize3ds = 2;
constexpr std::uint32_t LongSize3ds = 4;
constexpr std::uint32_t FloatSize3ds = 4;
constexpr std::uint32_t DoubleSize3ds = 8;
constexpr std::uint32_t PointSize3ds = 12;
constexpr std::uint32_t TextVertSize3ds = 8;
constexpr std::uint32_t FaceSize3ds = 8;

// Release level of the toolkit itself.
constexpr int __FTKRevisionLevel3ds = 2;

// Face flags.
enum : std::uint16_t {
    FaceCAVisable3ds = 0x1,
    FaceBCVisable3ds = 0x2,
    FaceABVisable3ds = 0x4,
    FaceUWrap3ds = 0x8,
    FaceVWrap3ds = 0x10
};

// Spline flags of a key header: which of its five floats are on disk.
enum : std::uint16_t {
    KeyUsesTension3ds = 0x1,
    KeyUsesCont3ds = 0x2,
    KeyUsesBias3ds = 0x4,
    KeyUsesEaseTo3ds = 0x8,
    KeyUsesEaseFrom3ds = 0x10
};

// Track flags.
enum : std::uint16_t {
    TrackSingle3ds = 0,
    TrackRepeats3ds = 2,
    TrackLoops3ds = 3,
    TrackLockX3ds = 0x8,
    TrackLockY3ds = 0x10,
    TrackLockZ3ds = 0x20,
    TrackNoLinkX3ds = 0x100,
    TrackNoLinkY3ds = 0x200,
    TrackNoLinkZ3ds = 0x400
};

// Keyframer node flags: first word (off, hide, fast) and second word.
enum : std::uint16_t {
    KfNodeHasPath3ds = 0x1,
    KfNodeAutoSmooth3ds = 0x2,
    KfNodeFrozen3ds = 0x4,
    KfNodeOff3ds = 0x8,
    KfMotionBlur3ds = 0x10,
    KfBlurBranch3ds = 0x20,
    KfMorphMtl3ds = 0x40,
    KfMorphOb = 0x80,
    KfHideNode3ds = 0x800,
    KfFastNode3ds = 0x1000
};

// A point or vector: x, y, z.
struct point3ds {
    float x, y, z;
};

// A texture vertex: u, v.
struct textvert3ds {
    float u, v;
};

// A triangle: three vertex indices and a flag word (Face...3ds).
struct face3ds {
    std::uint16_t v1, v2, v3, flag;
};

// A colour as three floats.
struct fcolor3ds {
    float r, g, b;
};

// A rotation key's value: angle in radians, then the axis.
struct kfrotkey3ds {
    float angle, x, y, z;
};

// A morph key's value: an object name in a 13-byte slot, terminated (read
// from the file with at most 9 characters).
struct kfmorph3ds {
    char name[13];
};

// The header of a track: flags, two reserved words (kept as read) and the
// number of keys.
struct trackheader3ds {
    std::uint16_t flags;
    std::uint32_t nu1, nu2;
    std::uint32_t keycount;
};

// One key of a track: its frame, the spline flags (Key...3ds) and the five
// spline floats; only those whose flag is set are on disk.
struct keyheader3ds {
    std::uint32_t time;
    std::uint16_t rflags;
    float tension, continuity, bias, easeto, easefrom;
};

// Defaults copied into a record before it is read, so a short read leaves
// defined values.
extern const point3ds DefPoint3ds;                // 0, 0, 0
extern const textvert3ds DefTextVert3ds;          // 0, 0
extern const face3ds DefFace3ds;                  // 0, 1, 2, flags 0
extern const trackheader3ds DefTrackHeader3ds;    // flags 0, 0, 0, one key
extern const keyheader3ds DefKeyHeader3ds;        // every field 0

}  // namespace qelsdk_600

#endif
