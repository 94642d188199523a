// Omni lights and spotlights.
#include "formats/toolkit3ds/light3ds.h"

#include <cstdlib>
#include <cstring>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

const float kLightColor = 0.7088519930839539f;

struct LightFloat {
    std::uint16_t tag;
    float light3ds::*field;
};
// In writing order.
const LightFloat kLightFloats[] = {{DL_OUTER_RANGE, &light3ds::outerrange},
                                   {DL_INNER_RANGE, &light3ds::innerrange},
                                   {DL_MULTIPLIER, &light3ds::multiplier}};

struct SpotFloat {
    std::uint16_t tag;
    float spotlight3ds::*field;
};
const SpotFloat kSpotFloats[] = {{DL_SPOT_ROLL, &spotlight3ds::roll},
                                 {DL_SPOT_ASPECT, &spotlight3ds::aspect},
                                 {DL_RAY_BIAS, &spotlight3ds::raybias}};

void DefaultSpot(spotlight3ds* s)
{
    *s = spotlight3ds{};
    s->target = {1.0f, 1.0f, 1.0f};
    s->hotspot = 44.0f;
    s->falloff = 45.0f;
    s->aspect = 1.0f;
    s->bias = 1.0f;
    s->filter = 3.0f;
    s->mapsize = 512;
    s->raybias = 1.0f;
}

void FreeSpot(light3ds* light)
{
    if (light->spot)
        std::free(light->spot->projector);
    std::free(light->spot);
    light->spot = nullptr;
}

chunk3ds* LightChunk(chunk3ds* object)
{
    chunk3ds* light = nullptr;
    FindNextChunk3ds(object ? object->children : nullptr, N_DIRECT_LIGHT, &light);
    return light;
}

bool IsSpot(chunk3ds* lightChunk)
{
    chunk3ds* spot = nullptr;
    FindNextChunk3ds(lightChunk->children, DL_SPOTLIGHT, &spot);
    return spot != nullptr;
}

void ReadSpot(chunk3ds* spotChunk, spotlight3ds* s)
{
    if (const SpotlightData3ds* d = static_cast<SpotlightData3ds*>(ReadChunkData3ds(spotChunk))) {
        s->target = d->target;
        s->hotspot = d->hotspot;
        s->falloff = d->falloff;
    }
    for (chunk3ds* c = spotChunk->children; c && !Stop(); c = c->sibling) {
        void* data = ReadChunkData3ds(c);
        switch (c->tag) {
            case DL_RAYSHAD:
                s->raytraced = 1;
                break;
            case DL_SHADOWED:
            case DL_LOCAL_SHADOW:
                s->shadows = True3ds;
                break;
            case DL_LOCAL_SHADOW2:
                if (const LocalShadowData3ds* d = static_cast<LocalShadowData3ds*>(data)) {
                    s->uselocal = True3ds;
                    s->bias = d->bias;
                    s->filter = d->filter;
                    s->mapsize = static_cast<std::uint16_t>(d->mapsize);
                }
                break;
            case DL_SEE_CONE:
                s->showcone = True3ds;
                break;
            case DL_SPOT_RECTANGULAR:
                s->rectangular = 1;
                break;
            case DL_SPOT_OVERSHOOT:
                s->overshoot = True3ds;
                break;
            case DL_SPOT_PROJECTOR:
                if (StringData3ds* d = static_cast<StringData3ds*>(data)) {
                    s->useprojector = True3ds;
                    std::free(s->projector);
                    s->projector = d->value;
                    d->value = nullptr;
                }
                break;
            default:
                for (const SpotFloat& f : kSpotFloats)
                    if (f.tag == c->tag && data)
                        s->*f.field = static_cast<FloatData3ds*>(data)->value;
                break;
        }
    }
}

void ReadLight(chunk3ds* lightChunk, light3ds* l)
{
    if (const PointData3ds* d = static_cast<PointData3ds*>(ReadChunkData3ds(lightChunk)))
        l->pos = d->value;
    for (chunk3ds* c = lightChunk->children; c && !Stop(); c = c->sibling) {
        void* data = ReadChunkData3ds(c);
        switch (c->tag) {
            case COLOR_F:
                if (const ColorFData3ds* d = static_cast<ColorFData3ds*>(data))
                    l->color = {d->red, d->green, d->blue};
                break;
            case COLOR_24:
                if (const Color24Data3ds* d = static_cast<Color24Data3ds*>(data))
                    l->color = {d->red / 255.0f, d->green / 255.0f, d->blue / 255.0f};
                break;
            case DL_OFF:
                l->off = True3ds;
                break;
            case DL_ATTENUATE:
                l->attenuate = True3ds;
                break;
            case DL_EXCLUDE:
                if (const StringData3ds* d = static_cast<StringData3ds*>(data)) {
                    if (!l->exclude)
                        InitNameList3ds(&l->exclude, 0);
                    if (l->exclude && d->value)
                        AddToNameList3ds(l->exclude, d->value);
                }
                break;
            default:
                for (const LightFloat& f : kLightFloats)
                    if (f.tag == c->tag && data)
                        l->*f.field = static_cast<FloatData3ds*>(data)->value;
                break;
        }
    }
    chunk3ds* spot = nullptr;
    FindNextChunk3ds(lightChunk->children, DL_SPOTLIGHT, &spot);
    if (spot && l->spot && !Stop())
        ReadSpot(spot, l->spot);
}

// A copy of a string cut to a chunk's bound, so the file reads back.
void AddBoundString(chunk3ds* parent, std::uint32_t tag, const char* value, std::size_t bound)
{
    StringData3ds* d = static_cast<StringData3ds*>(AddData(parent, tag));
    if (!d)
        return;
    char copy[17];
    CopyFixed(copy, bound + 1, value);
    if (!(d->value = strdup3ds(copy)))
        Fail(ERR_NO_MEM);
}

void PutSpot(chunk3ds* lightChunk, const spotlight3ds* s)
{
    SpotlightData3ds* d = static_cast<SpotlightData3ds*>(AddData(lightChunk, DL_SPOTLIGHT));
    if (!d)
        return;
    d->target = s->target;
    d->hotspot = s->hotspot;
    d->falloff = s->falloff;
    chunk3ds* spot = nullptr;
    FindNextChunk3ds(lightChunk->children, DL_SPOTLIGHT, &spot);
    putTagFloat(spot, DL_SPOT_ROLL, &s->roll);
    if (s->aspect != 1.0f && !Stop())
        putTagFloat(spot, DL_SPOT_ASPECT, &s->aspect);
    if (s->shadows == 1 && !Stop())
        AddChunk(spot, DL_SHADOWED);
    if (s->raytraced == 1 && !Stop())
        AddChunk(spot, DL_RAYSHAD);
    if (!Stop())
        putTagFloat(spot, DL_RAY_BIAS, &s->raybias);
    if (s->uselocal == 1 && !Stop()) {
        AddChunk(spot, DL_LOCAL_SHADOW);
        if (LocalShadowData3ds* l =
                !Stop() ? static_cast<LocalShadowData3ds*>(AddData(spot, DL_LOCAL_SHADOW2)) : nullptr)
            *l = {s->bias, s->filter, static_cast<std::int16_t>(s->mapsize)};
    }
    const struct {
        std::uint16_t tag;
        bool set;
    } flags[] = {{DL_SPOT_RECTANGULAR, s->rectangular == 1},
                 {DL_SEE_CONE, s->showcone == 1},
                 {DL_SPOT_OVERSHOOT, s->overshoot == 1}};
    for (const auto& f : flags)
        if (f.set && !Stop())
            AddChunk(spot, f.tag);
    if (s->useprojector == 1 && !Stop())
        AddBoundString(spot, DL_SPOT_PROJECTOR, s->projector, 12);
}

void PutLightChunks(chunk3ds* object, const light3ds* l)
{
    PointData3ds* pos = static_cast<PointData3ds*>(AddData(object, N_DIRECT_LIGHT));
    if (!pos)
        return;
    pos->value = l->pos;
    chunk3ds* light = LightChunk(object);
    if (ColorFData3ds* d = static_cast<ColorFData3ds*>(AddData(light, COLOR_F)))
        *d = {l->color.r, l->color.g, l->color.b};
    for (const LightFloat& f : kLightFloats)
        if (!Stop())
            putTagFloat(light, f.tag, &(l->*f.field));
    if (l->off == 1 && !Stop())
        AddChunk(light, DL_OFF);
    if (l->attenuate == 1 && !Stop())
        AddChunk(light, DL_ATTENUATE);
    for (std::uint32_t i = 0; l->exclude && i < l->exclude->count && !Stop(); ++i)
        if (l->exclude->list[i])
            AddBoundString(light, DL_EXCLUDE, l->exclude->list[i], 10);
    if (l->spot && !Stop())
        PutSpot(light, l->spot);
}

void GetLightByIndex(database3ds* db, std::uint32_t kind, std::uint32_t index, light3ds** light)
{
    if (!light) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(db, kTakesMesh | kTakesProject))
        return;
    if (chunk3ds* object = NamedObjectByIndex(db, kind, index))
        GetLightEntryChunk3ds(object, light);
}

void GetLightByName(database3ds* db, const char* name, bool spot, light3ds** light)
{
    if (!light || !name) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(db, kTakesMesh | kTakesProject))
        return;
    chunk3ds* object = nullptr;
    FindNamedObject3ds(db, name, &object);
    chunk3ds* lightChunk = LightChunk(object);
    if (lightChunk && IsSpot(lightChunk) == spot)
        GetLightEntryChunk3ds(object, light);
}

}  // namespace

void InitLight3ds(light3ds** light)
{
    if (!EnsureRecord(light))
        return;
    light3ds* l = *light;
    std::memset(l->name, 0, sizeof l->name);
    l->pos = DefPoint3ds;
    l->color = {kLightColor, kLightColor, kLightColor};
    l->multiplier = 1.0f;
    l->off = l->attenuate = False3ds;
    l->innerrange = 10.0f;
    l->outerrange = 100.0f;
    ReleaseNameList3ds(&l->exclude);
    InitNameList3ds(&l->exclude, 0);
}

void InitSpotlight3ds(light3ds** light)
{
    InitLight3ds(light);
    if (Stop() || !light || !*light)
        return;
    FreeSpot(*light);
    (*light)->spot = static_cast<spotlight3ds*>(std::calloc(1, sizeof(spotlight3ds)));
    if (!(*light)->spot) {
        Fail(ERR_NO_MEM);
        return;
    }
    DefaultSpot((*light)->spot);
}

void ReleaseLight3ds(light3ds** light)
{
    if (!light)
        return;
    if (*light) {
        ReleaseNameList3ds(&(*light)->exclude);
        FreeSpot(*light);
        std::free(*light);
    }
    *light = nullptr;
}

std::uint32_t GetOmnilightCount3ds(database3ds* database)
{
    return database ? NamedObjectCount(database, kOmniLightKind3ds) : (Fail(ERR_INVALID_ARG), 0u);
}

std::uint32_t GetSpotlightCount3ds(database3ds* database)
{
    return database ? NamedObjectCount(database, DL_SPOTLIGHT) : (Fail(ERR_INVALID_ARG), 0u);
}

void GetOmnilightNameList3ds(database3ds* database, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    NamedObjectNames(database, kOmniLightKind3ds, names);
}

void GetSpotlightNameList3ds(database3ds* database, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    NamedObjectNames(database, DL_SPOTLIGHT, names);
}

void GetOmnilightByIndex3ds(database3ds* database, std::uint32_t index, light3ds** light)
{
    GetLightByIndex(database, kOmniLightKind3ds, index, light);
}

void GetSpotlightByIndex3ds(database3ds* database, std::uint32_t index, light3ds** light)
{
    GetLightByIndex(database, DL_SPOTLIGHT, index, light);
}

void GetOmnilightByName3ds(database3ds* database, const char* name, light3ds** light)
{
    GetLightByName(database, name, false, light);
}

void GetSpotlightByName3ds(database3ds* database, const char* name, light3ds** light)
{
    GetLightByName(database, name, true, light);
}

void DeleteOmnilightByName3ds(database3ds* database, const char* name)
{
    DeleteNamedObjectByName3ds(database, name);
}

void DeleteSpotlightByName3ds(database3ds* database, const char* name)
{
    DeleteNamedObjectByName3ds(database, name);
}

void DeleteOmnilightByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteChunkTypeByIndex3ds(database, N_DIRECT_LIGHT, index);
}

void DeleteSpotlightByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteChunkTypeByIndex3ds(database, DL_SPOTLIGHT, index);
}

void CopyOmnilightByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNamedObjectByIndex3ds(destination, source, N_DIRECT_LIGHT, index);
}

void CopySpotlightByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNamedObjectByIndex3ds(destination, source, DL_SPOTLIGHT, index);
}

void CopyOmnilightByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNamedObjectByName3ds(destination, source, name);
}

void CopySpotlightByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNamedObjectByName3ds(destination, source, name);
}

void GetLightEntryChunk3ds(chunk3ds* object, light3ds** light)
{
    if (!object || !light) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* lightChunk = LightChunk(object);
    if (!lightChunk) {
        Fail(ERR_WRONG_OBJECT);
        return;
    }
    if (IsSpot(lightChunk)) {
        InitSpotlight3ds(light);
    } else {
        InitLight3ds(light);
        // A record used for a spotlight before must not still look like one.
        if (light && *light)
            FreeSpot(*light);
    }
    if (Stop())
        return;
    chunk3ds* copy = nullptr;
    CopyChunk3ds(object, &copy);
    if (!copy)
        return;
    if (const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(copy)))
        CopyFixed((*light)->name, sizeof(*light)->name, d->value);
    if (!Stop())
        ReadLight(LightChunk(copy), *light);
    ReleaseChunk3ds(&copy);
}

void PutOmnilight3ds(database3ds* database, light3ds* light)
{
    PutLight3ds(database, light);
}

void PutSpotlight3ds(database3ds* database, light3ds* light)
{
    PutLight3ds(database, light);
}

void PutLight3ds(database3ds* database, light3ds* light)
{
    if (!light) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    char name[sizeof light->name];
    CopyFixed(name, sizeof name, light->name);
    ObjectPut put;
    if (!BeginObjectPut(database, name, &put))
        return;
    PutLightChunks(put.object, light);
    EndObjectPut(database, &put, true);
}

void putTagFloat(chunk3ds* parent, std::uint32_t tag, const float* value)
{
    if (!parent || !value) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (FloatData3ds* d = static_cast<FloatData3ds*>(AddData(parent, tag)))
        d->value = *value;
}

}  // namespace qelsdk_600
