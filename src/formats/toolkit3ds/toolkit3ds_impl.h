// Private helpers of the 3D Studio toolkit; nothing outside this folder
// includes this header.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_TOOLKIT3DS_IMPL_H
#define QELSDK_FORMATS_TOOLKIT3DS_TOOLKIT3DS_IMPL_H

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/errors3ds.h"

namespace qelsdk_600 {

struct chunk3ds;
struct database3ds;
struct keyheader3ds;
struct namelist3ds;

namespace toolkit3ds_detail {

// True when the last call failed and the caller must return at once.
inline bool Stop()
{
    return ftkerr3ds && !ignoreftkerr3ds;
}

// Records an error; true when the caller must return at once.
inline bool Fail(std::int32_t code)
{
    PushErrList3ds(code);
    return !ignoreftkerr3ds;
}

// The number of errors recorded since the program started: a function that
// re-reports inner errors under its own code compares it before and after.
std::uint64_t ErrorCount();

// Little-endian loads and stores, on any host.
inline std::uint16_t LoadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline float LoadF32(const std::uint8_t* p)
{
    const std::uint32_t bits = LoadU32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
inline void StoreU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void StoreF32(std::uint8_t* p, float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    StoreU32(p, bits);
}

// Raw access to the current file, bounded by its read limit: a read that
// would cross it, or that the file cuts short, records ERR_READING_FILE; a
// write the stream refuses records ERR_WRITING_FILE. Both return false then.
bool ReadBytes(void* bytes, std::uint64_t count);
bool WriteBytes(const void* bytes, std::uint64_t count);
// Bytes the current file may still be read before its read limit.
std::uint64_t BytesLeft();
// Sets the current file's read limit and returns the one it replaces.
std::uint64_t SetReadLimit(std::uint64_t limit);
constexpr std::uint64_t kNoReadLimit = ~std::uint64_t(0);

// Gives *record a zero-filled block when it holds none; false, with
// ERR_INVALID_ARG (no pointer) or ERR_NO_MEM recorded, when there is no
// record to use.
template <class Record>
bool EnsureRecord(Record** record)
{
    if (!record) {
        PushErrList3ds(ERR_INVALID_ARG);
        return false;
    }
    if (!*record)
        *record = static_cast<Record*>(std::calloc(1, sizeof(Record)));
    if (!*record) {
        PushErrList3ds(ERR_NO_MEM);
        return false;
    }
    return true;
}

// A malloc'ed block of count elements of size bytes, or none (count 0, an
// overflow, or no memory). Zero-filled.
void* AllocArray(std::uint64_t count, std::uint64_t size);
// A copy of a block, or none.
void* CopyBlock(const void* source, std::uint64_t size);
// Copies a string into a fixed field of `size` bytes, cut and terminated.
void CopyFixed(char* field, std::size_t size, const char* source);

// Keeps the database's lookup indexes told about an object the toolkit has
// just put: appended at its list's end when the tree allows, else the
// indexes are rebuilt on next use (database3ds_lists.cpp).
void NoteNamedObjectPut(database3ds* db, chunk3ds* parent, chunk3ds* object, bool reused);
void NoteMaterialPut(database3ds* db, chunk3ds* parent, chunk3ds* entry, bool reused);
void NoteNodePut(database3ds* db, chunk3ds* kfdata, chunk3ds* node);
// The kind that FindNamedObjectByIndex3ds-like lookups give omni lights:
// lights whose N_DIRECT_LIGHT has no DL_SPOTLIGHT.
constexpr std::uint32_t kOmniLightKind3ds = 0x14600;
// Named objects holding a kind (a chunk tag, or kOmniLightKind3ds): how
// many, the index-th of them, and a name list of them, in list order.
std::uint32_t NamedObjectCount(database3ds* db, std::uint32_t kind);
chunk3ds* NamedObjectByIndex(database3ds* db, std::uint32_t kind, std::uint32_t position);
void NamedObjectNames(database3ds* db, std::uint32_t kind, namelist3ds** names);

// The number of material entries, and a name list of them, in list order.
std::uint32_t MaterialCount(database3ds* db);
void MaterialNames(database3ds* db, namelist3ds** names);

// Forgets every lookup index (after changes the toolkit does not follow).
void InvalidateIndexes(database3ds* db);

// Adds a track chunk of the tag under the node, with copies of keycount keys
// and values of valuesize bytes (values may be none when valuesize is 0);
// a missing array gives a track without keys.
chunk3ds* PutTrack(std::uint32_t tag, std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys,
                   const void* values, std::size_t valuesize, chunk3ds* node);

// ---- Helpers of the record families (mesh, material, light, camera,
// ---- keyframer settings, motions).

// The integer a float stands for, after clamping to the integer's range
// (NaN gives 0): out-of-range conversions are undefined behaviour.
template <class Int>
Int ClampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (value >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(value);
}

// Kinds of database a function takes, or-ed.
enum : unsigned { kTakesMesh = 1, kTakesProject = 2, kTakesLibrary = 4 };
// ERR_INVALID_ARG for none, ERR_INVALID_DATABASE without a top chunk,
// ERR_WRONG_DATABASE for a kind not taken; false then.
bool CheckDatabase(database3ds* db, unsigned kinds);
// The MDATA of a database (found depth-first), made under the top when
// absent; none after an error.
chunk3ds* MeshDataOf(database3ds* db);
// A new chunk of the tag with a fresh record, inserted in order; the
// record (none after an error, ERR_PUT_FAIL recorded).
void* AddData(chunk3ds* parent, std::uint32_t tag);
// A new chunk without a record (a flag or a container), inserted in order.
chunk3ds* AddChunk(chunk3ds* parent, std::uint32_t tag);

// A named object put in place of any of the same name: the object chunk
// (reused where it stood, emptied, or new under MDATA) with its name, the
// old object's XDATA_SECTION set aside, and whether it was reused.
struct ObjectPut {
    chunk3ds* mdata;
    chunk3ds* object;
    chunk3ds* xdata;
    bool reused;
};
// Starts a put; false after an error (nothing to finish).
bool BeginObjectPut(database3ds* db, const char* name, ObjectPut* put);
// Gives the object back its XDATA_SECTION (appended, or in order) and tells
// the database's lists.
void EndObjectPut(database3ds* db, ObjectPut* put, bool ordered);

// The first direct child of a tag, and the first chunk of a tag in a
// subtree (depth-first, the root included); none for none.
chunk3ds* ChildOf(chunk3ds* parent, std::uint32_t tag);
chunk3ds* Below(chunk3ds* root, std::uint32_t tag);
// The record of the first direct child of a tag, or none.
void* ChildData(chunk3ds* parent, std::uint32_t tag);
// Empties and re-tags the first direct child of a tag, or adds one, and
// gives it a fresh record, which it returns (none after an error).
void* ReplaceData(chunk3ds* parent, std::uint32_t tag);
// Copies every child of `from` whose tag is among the tags into `to`, in
// order, after emptying the first live child of that tag in `to`.
void CopyTaggedChildren(chunk3ds* from, chunk3ds* to, const std::uint16_t* tags, std::size_t count);

// Calls use(record) with a chunk's record, then frees the record again when
// it was read for this and can be read again.
template <class Record, class Use>
void WithData(chunk3ds* chunk, Use use)
{
    if (!chunk)
        return;
    const bool loaded = chunk->data != nullptr;
    if (Record* record = static_cast<Record*>(ReadChunkData3ds(chunk)))
        use(*record);
    if (!loaded)
        FreeFileChunkData3ds(chunk);
}

// Whether no live child with the tag of `child` follows it under its parent,
// so that it is the last of its kind in list order.
bool IsLastOfTag(chunk3ds* parent, chunk3ds* child);

}  // namespace toolkit3ds_detail
}  // namespace qelsdk_600

#endif
