// Materials and their texture maps.
#include "formats/toolkit3ds/material3ds.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <iterator>
#include <string>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// The sixteen maps in record order: the map's chunk and the chunk of its
// procedural data.
struct MapSlot {
    bitmap3ds material3ds::*map;
    std::uint16_t chunk;
    std::uint16_t data;
};
const MapSlot kMaps[] = {
    {&material3ds::texture, MAT_TEXMAP, MAT_SXP_TEXT_DATA},
    {&material3ds::texmask, MAT_TEXMASK, MAT_SXP_TEXT_MASKDATA},
    {&material3ds::tex2, MAT_TEX2MAP, MAT_SXP_TEXT2_DATA},
    {&material3ds::tex2mask, MAT_TEX2MASK, MAT_SXP_TEXT2_MASKDATA},
    {&material3ds::opacity, MAT_OPACMAP, MAT_SXP_OPAC_DATA},
    {&material3ds::opacmask, MAT_OPACMASK, MAT_SXP_OPAC_MASKDATA},
    {&material3ds::bump, MAT_BUMPMAP, MAT_SXP_BUMP_DATA},
    {&material3ds::bumpmask, MAT_BUMPMASK, MAT_SXP_BUMP_MASKDATA},
    {&material3ds::specmap, MAT_SPECMAP, MAT_SXP_SPEC_DATA},
    {&material3ds::specmask, MAT_SPECMASK, MAT_SXP_SPEC_MASKDATA},
    {&material3ds::shinmap, MAT_SHINMAP, MAT_SXP_SHIN_DATA},
    {&material3ds::shinmask, MAT_SHINMASK, MAT_SXP_SHIN_MASKDATA},
    {&material3ds::illum, MAT_SELFIMAP, MAT_SXP_SELFI_DATA},
    {&material3ds::illummask, MAT_SELFIMASK, MAT_SXP_SELFI_MASKDATA},
    {&material3ds::reflect, MAT_REFLMAP, 0},
    {&material3ds::reflectmask, MAT_REFLMASK, MAT_SXP_REFL_MASKDATA},
};

struct ColorSlot {
    std::uint16_t chunk;
    fcolor3ds material3ds::*color;
};
const ColorSlot kColors[] = {{MAT_AMBIENT, &material3ds::ambient},
                             {MAT_DIFFUSE, &material3ds::diffuse},
                             {MAT_SPECULAR, &material3ds::specular}};

// Fractions written truncated (the falloff is written apart).
struct PercentSlot {
    std::uint16_t chunk;
    float material3ds::*value;
};
const PercentSlot kPercents[] = {{MAT_SHININESS, &material3ds::shininess},
                                 {MAT_SHIN2PCT, &material3ds::shinstrength},
                                 {MAT_TRANSPARENCY, &material3ds::transparency},
                                 {MAT_XPFALL, &material3ds::transfalloff},
                                 {MAT_REFBLUR, &material3ds::reflectblur},
                                 {MAT_SELF_ILPCT, &material3ds::selfillumpct}};

// Flag chunks in writing order (two-sided is written with the values).
struct FlagSlot {
    std::uint16_t chunk;
    byte3ds material3ds::*flag;
};
const FlagSlot kFlags[] = {{MAT_USE_REFBLUR, &material3ds::useblur}, {MAT_USE_XPFALL, &material3ds::usefall},
                           {MAT_SELF_ILLUM, &material3ds::selfillum}, {MAT_ADDITIVE, &material3ds::additive},
                           {MAT_WIRE, &material3ds::usewire},         {MAT_WIREABS, &material3ds::usewireabs},
                           {MAT_FACEMAP, &material3ds::facemap},      {MAT_PHONGSOFT, &material3ds::soften},
                           {MAT_TWO_SIDE, &material3ds::twosided}};

template <class Slot>
const Slot* FindSlot(const Slot* begin, const Slot* end, std::uint32_t tag, std::uint16_t Slot::*key)
{
    for (const Slot* s = begin; s != end; ++s)
        if (s->*key == tag)
            return s;
    return nullptr;
}


fcolor3ds FromBytes(const Color24Data3ds& c)
{
    return {c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f};
}

Color24Data3ds ToBytes(const fcolor3ds& c)
{
    return {ClampToInt<std::uint8_t>(c.r * 255.0), ClampToInt<std::uint8_t>(c.g * 255.0),
            ClampToInt<std::uint8_t>(c.b * 255.0)};
}

std::int16_t Percent(double fraction)
{
    return ClampToInt<std::int16_t>(fraction * 100.0);
}

// Tiling word of MAT_MAP_TILING.
enum : std::uint16_t {
    kTileDecal = 0x1,
    kMirror = 0x2,
    kNegative = 0x8,
    kDecal = 0x10,
    kSummedArea = 0x20,
    kAlphaSource = 0x40,
    kTint = 0x80,
    kIgnoreAlpha = 0x100,
    kRgbTint = 0x200
};

void DecodeTiling(std::uint16_t word, bitmap3ds* b)
{
    b->tiling = (word & kDecal) ? 2 : (word & kTileDecal) ? 3 : 1;
    b->mirror = (word & kMirror) ? True3ds : False3ds;
    b->negative = (word & kNegative) ? True3ds : False3ds;
    b->filter = (word & kSummedArea) ? 1 : 0;
    b->ignorealpha = (word & kIgnoreAlpha) ? True3ds : False3ds;
    if ((word & kTint) && (word & kAlphaSource))
        b->source = 3;
    else if (word & kTint)
        b->source = 2;
    else if (word & kRgbTint)
        b->source = 4;
    else
        b->source = (word & kAlphaSource) ? 1 : 0;
}

std::uint16_t EncodeTiling(const bitmap3ds& b)
{
    static const std::uint16_t kSources[] = {0, kAlphaSource, kTint, kTint | kAlphaSource, kRgbTint};
    std::uint16_t word = b.tiling == 2 ? (kDecal | kTileDecal) : b.tiling == 3 ? kTileDecal : 0;
    word |= b.ignorealpha ? kIgnoreAlpha : 0;
    word |= b.filter == 1 ? kSummedArea : 0;
    word |= b.mirror ? kMirror : 0;
    word |= b.negative ? kNegative : 0;
    word |= b.source < 5 ? kSources[b.source] : 0;
    return word;
}

void ReadBitmapChild(chunk3ds* c, bitmap3ds* b)
{
    void* data = ReadChunkData3ds(c);
    if (!data)
        return;
    static const struct {
        std::uint16_t tag;
        float bitmap3ds::*field;
    } kFloats[] = {{MAT_MAP_TEXBLUR, &bitmap3ds::blur},       {MAT_MAP_USCALE, &bitmap3ds::uscale},
                   {MAT_MAP_VSCALE, &bitmap3ds::vscale},      {MAT_MAP_UOFFSET, &bitmap3ds::uoffset},
                   {MAT_MAP_VOFFSET, &bitmap3ds::voffset},    {MAT_MAP_ANG, &bitmap3ds::rotation}};
    static const struct {
        std::uint16_t tag;
        fcolor3ds bitmap3ds::*field;
    } kTints[] = {{MAT_MAP_COL1, &bitmap3ds::tint1},    {MAT_MAP_COL2, &bitmap3ds::tint2},
                  {MAT_MAP_RCOL, &bitmap3ds::redtint},  {MAT_MAP_GCOL, &bitmap3ds::greentint},
                  {MAT_MAP_BCOL, &bitmap3ds::bluetint}};
    switch (c->tag) {
    case INT_PERCENTAGE:
        b->percent = static_cast<Int16Data3ds*>(data)->value / 100.0f;
        return;
    case FLOAT_PERCENTAGE:
        b->percent = static_cast<FloatData3ds*>(data)->value;
        return;
    case MAT_MAPNAME:
        // The chunk takes 16 characters, the map's field 12.
        CopyFixed(b->name, sizeof b->name, static_cast<StringData3ds*>(data)->value);
        return;
    case MAT_MAP_TILING:
        DecodeTiling(static_cast<UInt16Data3ds*>(data)->value, b);
        return;
    default:
        break;
    }
    for (const auto& f : kFloats)
        if (f.tag == c->tag)
            b->*f.field = static_cast<FloatData3ds*>(data)->value;
    for (const auto& t : kTints)
        if (t.tag == c->tag)
            b->*t.field = FromBytes(*static_cast<Color24Data3ds*>(data));
}

// Reads a material colour; false after ERR_UNFOUND_CHUNK.
bool ReadColor(chunk3ds* c, fcolor3ds* color)
{
    chunk3ds* bytes = ChildOf(c, COLOR_24);
    if (!bytes)
        return !Fail(ERR_UNFOUND_CHUNK);
    if (const Color24Data3ds* d = static_cast<Color24Data3ds*>(ReadChunkData3ds(bytes)))
        *color = FromBytes(*d);
    if (chunk3ds* gamma = ChildOf(c, LIN_COLOR_24))
        if (const Color24Data3ds* d = static_cast<Color24Data3ds*>(ReadChunkData3ds(gamma)))
            *color = FromBytes(*d);
    return !Stop();
}

// Handles one child of a material entry; false ends the walk.
bool ReadMaterialChild(chunk3ds* c, material3ds* m)
{
    const std::uint32_t tag = c->tag;
    if (const ColorSlot* s = FindSlot(std::begin(kColors), std::end(kColors), tag, &ColorSlot::chunk))
        return ReadColor(c, &(m->*s->color));
    if (const PercentSlot* s = FindSlot(std::begin(kPercents), std::end(kPercents), tag, &PercentSlot::chunk)) {
        m->*s->value = ReadPercentageChunk3ds(c);
        return !Stop();
    }
    if (const FlagSlot* s = FindSlot(std::begin(kFlags), std::end(kFlags), tag, &FlagSlot::chunk)) {
        if (tag == MAT_WIRE)
            m->shading = WireShading3ds;
        else
            m->*s->flag = True3ds;
        return true;
    }
    if (const MapSlot* s = FindSlot(std::begin(kMaps), std::end(kMaps), tag, &MapSlot::chunk)) {
        GetBitmapChunk3ds(c, &(m->*s->map));
        if (tag == MAT_BUMPMAP)
            if (const Int16Data3ds* d = static_cast<Int16Data3ds*>(ChildData(c, MAT_BUMP_PERCENT)))
                m->bump.percent = d->value / 100.0f;
        return !Stop();
    }
    // (The reflection map has no data chunk: its slot's 0 is no tag.)
    const MapSlot* dataSlot = tag ? FindSlot(std::begin(kMaps), std::end(kMaps), tag, &MapSlot::data) : nullptr;
    if (const MapSlot* s = dataSlot) {
        if (RawData3ds* d = static_cast<RawData3ds*>(ReadChunkData3ds(c))) {
            bitmap3ds& map = m->*s->map;
            std::free(map.data);
            map.data = d->data;
            map.datasize = d->data ? d->size : 0;
            d->data = nullptr;
        }
        return !Stop();
    }
    void* data = ReadChunkData3ds(c);
    if (Stop())
        return false;
    switch (tag) {
    case MAT_NAME:
        CopyFixed(m->name, sizeof m->name, static_cast<StringData3ds*>(data)->value);
        return true;
    case MAT_XPFALLIN:
        m->transfalloff = -m->transfalloff;
        return true;
    case MAT_SHADING:
        m->shading = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<Int16Data3ds*>(data)->value));
        return true;
    case MAT_WIRESIZE:
        m->wiresize = static_cast<FloatData3ds*>(data)->value;
        return true;
    case MAT_ACUBIC: {
        const ACubicData3ds* d = static_cast<ACubicData3ds*>(data);
        m->useauto = True3ds;
        m->firstframe = (d->flags & ACubicFirst3ds) == ACubicFirst3ds ? True3ds : False3ds;
        m->flat = (d->flags & ACubicFlat3ds) == ACubicFlat3ds ? True3ds : False3ds;
        m->reflectsize = d->mapsize;
        m->nthframe = d->frameinterval;
        return true;
    }
    default:
        return !Fail(ERR_INVALID_CHUNK);
    }
}

void AddPercent(chunk3ds* container, std::int16_t value)
{
    if (Int16Data3ds* d = static_cast<Int16Data3ds*>(AddData(container, INT_PERCENTAGE)))
        d->value = value;
}

void AddString(chunk3ds* parent, std::uint32_t tag, const char* value)
{
    if (StringData3ds* d = static_cast<StringData3ds*>(AddData(parent, tag)))
        if (!(d->value = strdup3ds(value ? value : "")))
            Fail(ERR_NO_MEM);
}

void PutMaterialChunks(chunk3ds* entry, material3ds* m)
{
    char name[sizeof m->name];
    CopyFixed(name, sizeof name, m->name);
    AddString(entry, MAT_NAME, name);
    for (const ColorSlot& s : kColors) {
        chunk3ds* color = !Stop() ? AddChunk(entry, s.chunk) : nullptr;
        const Color24Data3ds bytes = ToBytes(m->*s.color);
        for (std::uint16_t tag : {COLOR_24, LIN_COLOR_24})
            if (Color24Data3ds* d = color && !Stop() ? static_cast<Color24Data3ds*>(AddData(color, tag)) : nullptr)
                *d = bytes;
    }
    for (const PercentSlot& s : kPercents) {
        chunk3ds* container = !Stop() ? AddChunk(entry, s.chunk) : nullptr;
        if (!container)
            return;
        if (s.chunk != MAT_XPFALL) {
            AddPercent(container, Percent(m->*s.value));
            continue;
        }
        // The falloff's magnitude, to the nearest integer; its sign is a flag.
        AddPercent(container, ClampToInt<std::int16_t>(std::round(std::fabs(m->transfalloff) * 100.0)));
        if (m->transfalloff < 0 && !Stop())
            AddChunk(entry, MAT_XPFALLIN);
    }
    if (Int16Data3ds* d = !Stop() ? static_cast<Int16Data3ds*>(AddData(entry, MAT_SHADING)) : nullptr)
        d->value = ClampToInt<std::int16_t>(m->shading);
    if (FloatData3ds* d = !Stop() ? static_cast<FloatData3ds*>(AddData(entry, MAT_WIRESIZE)) : nullptr)
        d->value = m->wiresize;
    for (const FlagSlot& s : kFlags)
        if (m->*s.flag && !Stop())
            AddChunk(entry, s.chunk);
    for (const MapSlot& s : kMaps) {
        bitmap3ds& map = m->*s.map;
        if (Stop())
            return;
        if (s.chunk == MAT_REFLMAP) {
            if (!map.name[0] && !m->useauto)
                continue;
            chunk3ds* reflect = AddChunk(entry, MAT_REFLMAP);
            if (!reflect)
                return;
            AddPercent(reflect, Percent(map.percent));
            char mapname[sizeof map.name];
            CopyFixed(mapname, sizeof mapname, map.name);
            AddString(reflect, MAT_MAPNAME, mapname);
            continue;
        }
        if (!map.name[0])
            continue;
        chunk3ds* chunk = AddChunk(entry, s.chunk);
        if (!chunk)
            return;
        PutBitmapChunk3ds(chunk, &map);
        if (s.chunk == MAT_BUMPMAP)
            if (Int16Data3ds* d = !Stop() ? static_cast<Int16Data3ds*>(AddData(chunk, MAT_BUMP_PERCENT)) : nullptr)
                d->value = Percent(map.percent);
        if (map.data && map.datasize && !Stop())
            if (RawData3ds* d = static_cast<RawData3ds*>(AddData(entry, s.data)))
                if ((d->data = CopyBlock(map.data, map.datasize)))
                    d->size = map.datasize;
    }
    if (m->useauto && !Stop()) {
        if (ACubicData3ds* d = static_cast<ACubicData3ds*>(AddData(entry, MAT_ACUBIC))) {
            d->flags = 0x1;
            if (m->firstframe)
                d->flags = ACubicFirst3ds;
            if (m->flat)
                d->flags |= ACubicFlat3ds;
            d->mapsize = m->reflectsize;
            d->frameinterval = m->nthframe;
        }
    }
}

bool CheckMaterialDatabase(database3ds* db)
{
    return CheckDatabase(db, kTakesMesh | kTakesProject | kTakesLibrary);
}

// Where a database keeps its materials: a library's top, else MDATA.
chunk3ds* MaterialParent(database3ds* db)
{
    return GetDatabaseType3ds(db) == MaterialFile3ds ? db->topchunk : MeshDataOf(db);
}

void CopyEntry(database3ds* destination, chunk3ds* entry)
{
    const StringData3ds* name = static_cast<StringData3ds*>(ChildData(entry, MAT_NAME));
    if (!name || !name->value) {
        Fail(ERR_INVALID_CHUNK);
        return;
    }
    const std::string copyName = name->value;
    DeleteMaterialByName3ds(destination, copyName.c_str());
    chunk3ds* parent = Stop() ? nullptr : MaterialParent(destination);
    if (!parent)
        return;
    chunk3ds* copy = nullptr;
    CopyChunk3ds(entry, &copy);
    if (copy)
        AddChildOrdered3ds(parent, copy);
    MakeMatEntryListDirty3ds(destination);
}

}  // namespace

void InitBitmap3ds(bitmap3ds* bitmap)
{
    if (!bitmap) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    void* data = bitmap->data;
    *bitmap = bitmap3ds{};
    bitmap->tiling = 1;
    bitmap->uscale = bitmap->vscale = 1.0f;
    bitmap->tint2 = {1.0f, 1.0f, 1.0f};
    bitmap->redtint = {1.0f, 0.0f, 0.0f};
    bitmap->greentint = {0.0f, 1.0f, 0.0f};
    bitmap->bluetint = {0.0f, 0.0f, 1.0f};
    bitmap->data = data;
}

void InitMaterial3ds(material3ds** material)
{
    const bool existed = material && *material;
    if (!EnsureRecord(material))
        return;
    material3ds* m = *material;
    // An existing record's map data is freed, not dropped.
    if (existed)
        for (const MapSlot& s : kMaps)
            std::free((m->*s.map).data);
    *m = material3ds{};
    m->wiresize = 1.0f;
    m->shading = PhongShading3ds;
    m->reflectsize = 100;
    m->nthframe = 1;
    for (const MapSlot& s : kMaps)
        InitBitmap3ds(&(m->*s.map));
}

void ReleaseMaterial3ds(material3ds** material)
{
    if (!material)
        return;
    if (*material)
        for (const MapSlot& s : kMaps)
            std::free(((*material)->*s.map).data);
    std::free(*material);
    *material = nullptr;
}

std::uint32_t GetMaterialCount3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return 0;
    }
    return MaterialCount(database);
}

void GetMaterialNameList3ds(database3ds* database, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    MaterialNames(database, names);
}

void GetMaterialByIndex3ds(database3ds* database, std::uint32_t index, material3ds** material)
{
    if (!material) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (chunk3ds* entry = FindMatEntryByIndex3ds(database, index))
        ReadMatEntryChunk3ds(entry, material);
}

void GetMaterialByName3ds(database3ds* database, const char* name, material3ds** material)
{
    if (!material) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* entry = nullptr;
    FindMatEntry3ds(database, name, &entry);
    if (entry)
        ReadMatEntryChunk3ds(entry, material);
}

void DeleteMaterialByIndex3ds(database3ds* database, std::uint32_t index)
{
    chunk3ds* entry = FindMatEntryByIndex3ds(database, index);
    if (Stop() || !entry)
        return;
    DeleteChunk3ds(entry);
    MakeMatEntryListDirty3ds(database);
}

void DeleteMaterialByName3ds(database3ds* database, const char* name)
{
    chunk3ds* entry = nullptr;
    FindMatEntry3ds(database, name, &entry);
    if (Stop() || !entry)
        return;
    DeleteChunk3ds(entry);
    MakeMatEntryListDirty3ds(database);
}

void CopyMaterialByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    if (!CheckMaterialDatabase(destination) || !CheckMaterialDatabase(source))
        return;
    if (chunk3ds* entry = FindMatEntryByIndex3ds(source, index))
        CopyEntry(destination, entry);
}

void CopyMaterialByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    if (!CheckMaterialDatabase(destination) || !CheckMaterialDatabase(source))
        return;
    chunk3ds* entry = nullptr;
    FindMatEntry3ds(source, name, &entry);
    if (entry)
        CopyEntry(destination, entry);
}

void GetBitmapChunk3ds(chunk3ds* map, bitmap3ds* bitmap)
{
    if (!map || !bitmap) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    for (chunk3ds* c = map->children; c && !Stop(); c = c->sibling) {
        chunk3ds* copy = nullptr;
        CopyChunk3ds(c, &copy);
        if (copy)
            ReadBitmapChild(copy, bitmap);
        ReleaseChunk3ds(&copy);
    }
}

void PutBitmapChunk3ds(chunk3ds* map, bitmap3ds* bitmap)
{
    if (!map || !bitmap) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!bitmap->name[0])
        return;
    AddPercent(map, ClampToInt<std::int16_t>(bitmap->percent * 100.0 + 0.5));
    char name[sizeof bitmap->name];
    CopyFixed(name, sizeof name, bitmap->name);
    if (!Stop())
        AddString(map, MAT_MAPNAME, name);
    if (UInt16Data3ds* d = !Stop() ? static_cast<UInt16Data3ds*>(AddData(map, MAT_MAP_TILING)) : nullptr)
        d->value = EncodeTiling(*bitmap);
    struct Written {
        std::uint16_t tag;
        float value;
        bool put;
    };
    const bool scaled = bitmap->uscale != 1.0f || bitmap->vscale != 1.0f;
    const bool offset = bitmap->uoffset != 0.0f || bitmap->voffset != 0.0f;
    const Written floats[] = {{MAT_MAP_USCALE, bitmap->uscale, scaled},
                              {MAT_MAP_VSCALE, bitmap->vscale, scaled},
                              {MAT_MAP_UOFFSET, bitmap->uoffset, offset},
                              {MAT_MAP_VOFFSET, bitmap->voffset, offset},
                              {MAT_MAP_ANG, bitmap->rotation, bitmap->rotation != 0.0f},
                              {MAT_MAP_TEXBLUR, bitmap->blur, bitmap->blur != 0.0f}};
    for (const Written& w : floats)
        if (FloatData3ds* d = w.put && !Stop() ? static_cast<FloatData3ds*>(AddData(map, w.tag)) : nullptr)
            d->value = w.value;
    struct Tint {
        std::uint16_t tag;
        const fcolor3ds* color;
        bool put;
    };
    const bool tinted = bitmap->source == 2 || bitmap->source == 3;
    const Tint tints[] = {{MAT_MAP_COL1, &bitmap->tint1, tinted},
                          {MAT_MAP_COL2, &bitmap->tint2, tinted},
                          {MAT_MAP_RCOL, &bitmap->redtint, bitmap->source == 4},
                          {MAT_MAP_GCOL, &bitmap->greentint, bitmap->source == 4},
                          {MAT_MAP_BCOL, &bitmap->bluetint, bitmap->source == 4}};
    for (const Tint& t : tints)
        if (Color24Data3ds* d = t.put && !Stop() ? static_cast<Color24Data3ds*>(AddData(map, t.tag)) : nullptr)
            *d = ToBytes(*t.color);
}

float ReadPercentageChunk3ds(chunk3ds* chunk)
{
    if (!chunk) {
        Fail(ERR_INVALID_ARG);
        return 0.0f;
    }
    if (const Int16Data3ds* d = static_cast<Int16Data3ds*>(ChildData(chunk, INT_PERCENTAGE)))
        return d->value / 100.0f;
    if (const FloatData3ds* d = static_cast<FloatData3ds*>(ChildData(chunk, FLOAT_PERCENTAGE)))
        return d->value;
    return 0.0f;
}

void ReadMatEntryChunk3ds(chunk3ds* entry, material3ds** material)
{
    if (!entry || !material) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    InitMaterial3ds(material);
    if (Stop())
        return;
    for (chunk3ds* c = entry->children; c; c = c->sibling) {
        // Extended data is skipped.
        if ((c->tag >> 8) == 0x80)
            continue;
        chunk3ds* copy = nullptr;
        CopyChunk3ds(c, &copy);
        const bool go = copy && ReadMaterialChild(copy, *material);
        ReleaseChunk3ds(&copy);
        if (!go)
            return;
    }
}

void PutMaterial3ds(database3ds* database, material3ds* material)
{
    if (!material) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckMaterialDatabase(database))
        return;
    chunk3ds* parent = MaterialParent(database);
    if (Stop() || !parent)
        return;
    char name[sizeof material->name];
    CopyFixed(name, sizeof name, material->name);
    chunk3ds* entry = nullptr;
    FindMatEntry3ds(database, name, &entry);
    if (Stop())
        return;
    chunk3ds* xdata = nullptr;
    const bool reused = entry != nullptr;
    if (entry) {
        chunk3ds* old = nullptr;
        FindNextChunk3ds(entry->children, XDATA_SECTION, &old);
        if (old)
            CopyChunk3ds(old, &xdata);
        DeleteChunk3ds(entry);
        entry->tag = MAT_ENTRY;
    } else if (!(entry = AddChunk(parent, MAT_ENTRY))) {
        return;
    }
    PutMaterialChunks(entry, material);
    if (xdata)
        AddChildOrdered3ds(entry, xdata);
    NoteMaterialPut(database, parent, entry, reused);
}

}  // namespace qelsdk_600
