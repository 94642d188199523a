// Materials (MAT_ENTRY chunks: under MDATA, or under a material library's
// top) and their texture maps, as plain records the caller owns.
// Fractions are written as integer percentages and colours as bytes; a
// float is clamped to the integer's range first (NaN gives 0).
#ifndef QELSDK_FORMATS_TOOLKIT3DS_MATERIAL3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_MATERIAL3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// Shading values.
enum : std::uint32_t {
    WireShading3ds = 0,
    FlatShading3ds = 1,
    GouraudShading3ds = 2,
    PhongShading3ds = 3,
    MetalShading3ds = 4
};

// Automatic reflection flags of MAT_ACUBIC.
enum : std::int16_t { ACubicFirst3ds = 0x9, ACubicFlat3ds = 0x11 };

// One texture map; an empty name means the map is not in use. Tiling: 1
// tile, 2 decal, 3 both; filter: 0 pyramidal, 1 summed-area; source: 0 RGB,
// 1 alpha, 2 RGB tint, 3 alpha tint, 4 RGB luminance tint. The data block
// (procedural data, opaque) is owned.
struct bitmap3ds {
    char name[13];
    float percent;
    std::uint32_t tiling;
    byte3ds ignorealpha;
    std::uint32_t filter;
    float blur;
    byte3ds mirror;
    byte3ds negative;
    float uscale, vscale;
    float uoffset, voffset;
    float rotation;
    std::uint32_t source;
    fcolor3ds tint1, tint2;
    fcolor3ds redtint, greentint, bluetint;
    std::uint32_t datasize;
    void* data;
};

// One material, fields in file-model order: the sixteen maps come in the
// order texture, its mask, texture 2, its mask, opacity, bump, specular,
// shininess, self-illumination (each followed by its mask), reflection, the
// automatic reflection, and the reflection mask. A negative transparency
// falloff falls off inward.
struct material3ds {
    char name[17];
    fcolor3ds ambient, diffuse, specular;
    float shininess, shinstrength, reflectblur, transparency, transfalloff, selfillumpct, wiresize;
    std::uint32_t shading;
    byte3ds useblur, usefall, twosided, selfillum, additive, usewire, usewireabs, facemap, soften;
    bitmap3ds texture, texmask, tex2, tex2mask, opacity, opacmask, bump, bumpmask, specmap, specmask,
        shinmap, shinmask, illum, illummask, reflect;
    byte3ds useauto;
    byte3ds firstframe;
    byte3ds flat;
    std::uint32_t reflectsize;
    std::uint32_t nthframe;
    bitmap3ds reflectmask;
};

// A map at its defaults (its data block is not freed).
void InitBitmap3ds(bitmap3ds* bitmap);
// A record (allocated when *material is none) at its defaults; the data
// blocks of an existing record's maps are freed.
void InitMaterial3ds(material3ds** material);
// Frees every map's data block and the record; clears the pointer.
void ReleaseMaterial3ds(material3ds** material);
std::uint32_t GetMaterialCount3ds(database3ds* database);
void GetMaterialNameList3ds(database3ds* database, namelist3ds** names);
// Fill a record from the index-th or the named entry; none leaves it
// untouched. An entry holding a chunk the material does not know records
// ERR_INVALID_CHUNK with the fields read so far; a colour without its
// 24-bit child ERR_UNFOUND_CHUNK.
void GetMaterialByIndex3ds(database3ds* database, std::uint32_t index, material3ds** material);
void GetMaterialByName3ds(database3ds* database, const char* name, material3ds** material);
void DeleteMaterialByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteMaterialByName3ds(database3ds* database, const char* name);
// Copy an entry into destination (replacing its namesake).
void CopyMaterialByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyMaterialByName3ds(database3ds* destination, database3ds* source, const char* name);
// Read and write one map's parameter chunks under a map chunk (nothing is
// written for a map without a name; a name longer than 12 characters is
// cut).
void GetBitmapChunk3ds(chunk3ds* map, bitmap3ds* bitmap);
void PutBitmapChunk3ds(chunk3ds* map, bitmap3ds* bitmap);
// The fraction held under a chunk: INT_PERCENTAGE / 100, else
// FLOAT_PERCENTAGE, else 0.
float ReadPercentageChunk3ds(chunk3ds* chunk);
void ReadMatEntryChunk3ds(chunk3ds* entry, material3ds** material);
// Puts a record in place of any entry of its name (keeping that one's
// XDATA_SECTION). Mesh files, projects and material libraries.
void PutMaterial3ds(database3ds* database, material3ds* material);

}  // namespace qelsdk_600

#endif
