// Cameras and the background.
#include "formats/toolkit3ds/camera3ds.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// The lens and the field of view are each 2400 over the other.
constexpr float kLensFactor = 2400.0f;



void PutCameraChunks(chunk3ds* object, const camera3ds* cam)
{
    chunk3ds* chunk = nullptr;
    CameraData3ds* d = static_cast<CameraData3ds*>(InitChunkAndData3ds(&chunk, N_CAMERA));
    if (!d) {
        ReleaseChunk3ds(&chunk);
        PushErrList3ds(ERR_PUT_FAIL);
        return;
    }
    d->position = cam->position;
    d->target = cam->target;
    d->roll = cam->roll;
    d->focal = kLensFactor / cam->fov;
    AddChild3ds(object, chunk);
    if (cam->showcone && !Stop()) {
        chunk3ds* cone = nullptr;
        InitChunkAs3ds(&cone, CAM_SEE_CONE);
        if (cone)
            AddChild3ds(chunk, cone);
    }
    if (Stop())
        return;
    chunk3ds* ranges = nullptr;
    RangesData3ds* r = static_cast<RangesData3ds*>(InitChunkAndData3ds(&ranges, CAM_RANGES));
    if (!r) {
        ReleaseChunk3ds(&ranges);
        return;
    }
    r->nearplane = cam->nearplane;
    r->farplane = cam->farplane;
    AddChild3ds(chunk, ranges);
}

// The first `count` children of a tag under a parent, in order, into the
// colours; reading stops at the first missing one.
void ReadColors(chunk3ds* parent, std::uint32_t tag, fcolor3ds* const* colors, int count)
{
    chunk3ds* c = ChildOf(parent, tag);
    for (int i = 0; i < count && c; ++i) {
        if (const ColorFData3ds* d = static_cast<ColorFData3ds*>(ReadChunkData3ds(c)))
            *colors[i] = {d->red, d->green, d->blue};
        FindNextChunk3ds(c->sibling, tag, &c);
    }
}

void AppendColor(chunk3ds* parent, std::uint32_t tag, const fcolor3ds& color)
{
    chunk3ds* c = nullptr;
    ColorFData3ds* d = static_cast<ColorFData3ds*>(InitChunkAndData3ds(&c, tag));
    if (!d) {
        ReleaseChunk3ds(&c);
        return;
    }
    *d = {color.r, color.g, color.b};
    AddChild3ds(parent, c);
}

// Empties and re-tags the first child of a tag, or adds one in order.
chunk3ds* Replace(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    ReplaceOrAddChild3ds(parent, tag, &c);
    return Stop() ? nullptr : c;
}

const std::uint16_t kUseFlags[] = {USE_BIT_MAP, USE_SOLID_BGND, USE_V_GRADIENT};

}  // namespace

void InitCamera3ds(camera3ds** camera)
{
    if (!EnsureRecord(camera))
        return;
    camera3ds* c = *camera;
    *c = camera3ds{};
    c->target = {1.0f, 1.0f, 1.0f};
    c->fov = 45.0f;
    c->nearplane = 10.0f;
    c->farplane = 1000.0f;
}

void ReleaseCamera3ds(camera3ds** camera)
{
    if (!camera)
        return;
    std::free(*camera);
    *camera = nullptr;
}

std::uint32_t GetCameraCount3ds(database3ds* database)
{
    return database ? NamedObjectCount(database, N_CAMERA) : (Fail(ERR_INVALID_ARG), 0u);
}

void GetCameraNameList3ds(database3ds* database, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    NamedObjectNames(database, N_CAMERA, names);
}

void GetCameraByIndex3ds(database3ds* database, std::uint32_t index, camera3ds** camera)
{
    if (!database || !camera) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (chunk3ds* object = NamedObjectByIndex(database, N_CAMERA, index))
        GetCameraEntry3ds(object, camera);
}

void GetCameraByName3ds(database3ds* database, const char* name, camera3ds** camera)
{
    if (!database || !name || !camera) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* object = nullptr;
    FindNamedObject3ds(database, name, &object);
    if (object)
        GetCameraEntry3ds(object, camera);
}

void DeleteCameraByName3ds(database3ds* database, const char* name)
{
    DeleteNamedObjectByName3ds(database, name);
}

void DeleteCameraByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteChunkTypeByIndex3ds(database, N_CAMERA, index);
}

void CopyCameraByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNamedObjectByIndex3ds(destination, source, N_CAMERA, index);
}

void CopyCameraByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNamedObjectByName3ds(destination, source, name);
}

void GetCameraEntry3ds(chunk3ds* object, camera3ds** camera)
{
    if (!object || !camera) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (object->tag != NAMED_OBJECT || !ChildOf(object, N_CAMERA)) {
        Fail(ERR_WRONG_OBJECT);
        return;
    }
    InitCamera3ds(camera);
    if (Stop())
        return;
    camera3ds* cam = *camera;
    chunk3ds* copy = nullptr;
    CopyChunk3ds(object, &copy);
    if (!copy)
        return;
    if (const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(copy)))
        CopyFixed(cam->name, sizeof cam->name, d->value);
    chunk3ds* chunk = ChildOf(copy, N_CAMERA);
    if (const CameraData3ds* d = static_cast<CameraData3ds*>(ReadChunkData3ds(chunk))) {
        cam->position = d->position;
        cam->target = d->target;
        cam->roll = d->roll;
        cam->fov = kLensFactor / d->focal;
    }
    cam->showcone = ChildOf(chunk, CAM_SEE_CONE) ? True3ds : False3ds;
    if (const RangesData3ds* r = static_cast<RangesData3ds*>(ChildData(chunk, CAM_RANGES))) {
        cam->nearplane = r->nearplane;
        cam->farplane = r->farplane;
    }
    ReleaseChunk3ds(&copy);
}

void PutCamera3ds(database3ds* database, camera3ds* camera)
{
    if (!camera) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh))
        return;
    char name[sizeof camera->name];
    CopyFixed(name, sizeof name, camera->name);
    ObjectPut put;
    if (!BeginObjectPut(database, name, &put))
        return;
    PutCameraChunks(put.object, camera);
    EndObjectPut(database, &put, false);
}

void InitBackground3ds(background3ds** background)
{
    const bool existed = background && *background;
    if (!EnsureRecord(background))
        return;
    background3ds* b = *background;
    if (existed)
        std::free(b->bitmap);
    *b = background3ds{};
    b->gradpercent = 0.5f;
}

void ReleaseBackground3ds(background3ds** background)
{
    if (!background)
        return;
    if (*background)
        std::free((*background)->bitmap);
    std::free(*background);
    *background = nullptr;
}

void GetBackground3ds(database3ds* database, background3ds** background)
{
    if (!database || !background) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* mdata = Below(database->topchunk, MDATA);
    if (!mdata)
        return;
    InitBackground3ds(background);
    if (Stop())
        return;
    background3ds* b = *background;
    if (chunk3ds* bitmap = Below(mdata, BIT_MAP)) {
        const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(bitmap));
        b->bitmap = strdup3ds(d && d->value ? d->value : "");
    }
    if (chunk3ds* solid = Below(mdata, SOLID_BGND)) {
        fcolor3ds* const colors[] = {&b->solid};
        ReadColors(solid, COLOR_F, colors, 1);
        ReadColors(solid, LIN_COLOR_F, colors, 1);
    }
    if (chunk3ds* gradient = Below(mdata, V_GRADIENT)) {
        if (const FloatData3ds* d = static_cast<FloatData3ds*>(ReadChunkData3ds(gradient)))
            b->gradpercent = d->value;
        fcolor3ds* const colors[] = {&b->gradtop, &b->gradmid, &b->gradbottom};
        ReadColors(gradient, COLOR_F, colors, 3);
        ReadColors(gradient, LIN_COLOR_F, colors, 3);
    }
    static const std::uint32_t kTypes[] = {UseBitmapBgnd3ds, UseSolidBgnd3ds, UseVGradientBgnd3ds};
    b->bgndused = NoBgnd3ds;
    for (int i = 0; i < 3 && b->bgndused == NoBgnd3ds; ++i)
        if (Below(mdata, kUseFlags[i]))
            b->bgndused = kTypes[i];
}

void PutBackground3ds(database3ds* database, background3ds* background)
{
    if (!background) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    chunk3ds* mdata = MeshDataOf(database);
    if (Stop() || !mdata)
        return;
    if (StringData3ds* d = static_cast<StringData3ds*>(ReplaceData(mdata, BIT_MAP))) {
        // BIT_MAP reads back at most 12 characters.
        char name[13];
        CopyFixed(name, sizeof name, background->bitmap);
        d->value = strdup3ds(name);
    }
    if (chunk3ds* solid = !Stop() ? Replace(mdata, SOLID_BGND) : nullptr) {
        AppendColor(solid, COLOR_F, background->solid);
        AppendColor(solid, LIN_COLOR_F, background->solid);
    }
    if (chunk3ds* gradient = !Stop() ? Replace(mdata, V_GRADIENT) : nullptr) {
        if (FloatData3ds* d = static_cast<FloatData3ds*>(InitChunkData3ds(gradient)))
            d->value = background->gradpercent;
        for (const fcolor3ds* c : {&background->gradtop, &background->gradmid, &background->gradbottom}) {
            AppendColor(gradient, COLOR_F, *c);
            AppendColor(gradient, LIN_COLOR_F, *c);
        }
    }
    if (Stop())
        return;
    chunk3ds* flag = nullptr;
    for (int i = 0; i < 3 && !flag; ++i)
        flag = ChildOf(mdata, kUseFlags[i]);
    DeleteChunk3ds(flag);
    static const std::uint16_t kByType[] = {0, USE_SOLID_BGND, USE_V_GRADIENT, USE_BIT_MAP};
    if (background->bgndused == NoBgnd3ds || background->bgndused > UseBitmapBgnd3ds)
        return;
    if (flag)
        flag->tag = kByType[background->bgndused];
    else
        AddChunk(mdata, kByType[background->bgndused]);
}

void CopyBackground3ds(database3ds* destination, database3ds* source)
{
    if (!CheckDatabase(destination, kTakesMesh | kTakesProject) ||
        !CheckDatabase(source, kTakesMesh | kTakesProject))
        return;
    chunk3ds* from = ChildOf(source->topchunk, MDATA);
    if (!from)
        return;
    chunk3ds* to = MeshDataOf(destination);
    static const std::uint16_t kCopied[] = {BIT_MAP, USE_BIT_MAP, SOLID_BGND, USE_SOLID_BGND, V_GRADIENT,
                                            USE_V_GRADIENT};
    if (to && !Stop())
        CopyTaggedChildren(from, to, kCopied, sizeof kCopied / sizeof kCopied[0]);
}

}  // namespace qelsdk_600
