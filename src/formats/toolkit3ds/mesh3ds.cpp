// Mesh objects and mesh settings.
#include "formats/toolkit3ds/mesh3ds.h"

#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

const objmat3ds DefObjMat3ds = {};

namespace {

// The seven arrays of a mesh3ds, in flag order: the flag, where its pointer
// and count lie, the count's width and an entry's size.
struct MeshArray {
    std::uint16_t flag;
    std::size_t pointer;
    std::size_t count;
    std::uint8_t countbytes;
    std::size_t entry;
};

const MeshArray kArrays[] = {
    {InitVertexArray3ds, offsetof(mesh3ds, vertexarray), offsetof(mesh3ds, nvertices), 2, sizeof(point3ds)},
    {InitTextArray3ds, offsetof(mesh3ds, textarray), offsetof(mesh3ds, ntextverts), 2, sizeof(textvert3ds)},
    {InitFaceArray3ds, offsetof(mesh3ds, facearray), offsetof(mesh3ds, nfaces), 2, sizeof(face3ds)},
    {InitMatArray3ds, offsetof(mesh3ds, matarray), offsetof(mesh3ds, nmats), 2, sizeof(objmat3ds)},
    {InitSmoothArray3ds, offsetof(mesh3ds, smootharray), offsetof(mesh3ds, nfaces), 2, sizeof(std::uint32_t)},
    {InitProcData3ds, offsetof(mesh3ds, procdata), offsetof(mesh3ds, procsize), 4, 1},
    {InitVFlagArray3ds, offsetof(mesh3ds, vflagarray), offsetof(mesh3ds, nvflags), 2, sizeof(std::uint16_t)},
};
constexpr int kMatSlot = 3;

void*& PointerOf(mesh3ds* m, const MeshArray& a)
{
    return *reinterpret_cast<void**>(reinterpret_cast<char*>(m) + a.pointer);
}

std::uint32_t CountOf(const mesh3ds* m, const MeshArray& a)
{
    const char* at = reinterpret_cast<const char*>(m) + a.count;
    if (a.countbytes == 4) {
        std::uint32_t v;
        std::memcpy(&v, at, 4);
        return v;
    }
    std::uint16_t v;
    std::memcpy(&v, at, 2);
    return v;
}

// The entries an array holds: what the toolkit gave it, else (an array the
// caller made) its count.
std::uint32_t EntriesOf(const mesh3ds* m, int slot)
{
    return m->allocated[slot] ? m->allocated[slot] : CountOf(m, kArrays[slot]);
}

void FreeGroups(mesh3ds* m, std::uint32_t from, std::uint32_t to)
{
    for (std::uint32_t i = from; m->matarray && i < to; ++i) {
        std::free(m->matarray[i].faceindex);
        m->matarray[i].faceindex = nullptr;
    }
}

void ReleaseSlot(mesh3ds* m, int slot)
{
    void*& p = PointerOf(m, kArrays[slot]);
    if (slot == kMatSlot)
        FreeGroups(m, 0, EntriesOf(m, slot));
    std::free(p);
    p = nullptr;
    m->allocated[slot] = 0;
}

// Takes over an array handed out by a chunk record, freeing what the slot
// held.
template <class T>
void Adopt(mesh3ds* m, int slot, T** from, std::uint32_t count)
{
    ReleaseSlot(m, slot);
    PointerOf(m, kArrays[slot]) = *from;
    m->allocated[slot] = *from ? count : 0;
    *from = nullptr;
}

void DefaultMap(meshtextureinfo3ds* map)
{
    *map = meshtextureinfo3ds{};
    map->tilex = map->tiley = 1.0f;
    map->scaling = 1.0f;
    map->matrix[0] = map->matrix[4] = 1.0f;
    map->planarwidth = map->planarheight = map->cylinderheight = 1.0f;
}

// Faces and groups must name vertices and faces that exist; when one does
// not, no face or group array is handed out.
void CheckIndices(mesh3ds* m)
{
    bool bad = false;
    for (std::uint32_t i = 0; m->facearray && i < m->nfaces && !bad; ++i) {
        const face3ds& f = m->facearray[i];
        bad = f.v1 >= m->nvertices || f.v2 >= m->nvertices || f.v3 >= m->nvertices;
    }
    for (std::uint32_t g = 0; m->matarray && g < m->nmats && !bad; ++g)
        for (std::uint32_t i = 0; m->matarray[g].faceindex && i < m->matarray[g].nfaces && !bad; ++i)
            bad = m->matarray[g].faceindex[i] >= m->nfaces;
    if (bad) {
        RelMeshObjField3ds(m, RelFaceArray3ds | RelMatArray3ds | RelSmoothArray3ds);
        m->nfaces = m->nmats = 0;
        PushErrList3ds(ERR_INVALID_DATA);
    }
    // One smoothing word per face: readers index it by face.
    const int smooth = 4;
    if (m->smootharray && m->allocated[smooth] != m->nfaces) {
        if (m->nfaces == 0) {
            ReleaseSlot(m, smooth);
            return;
        }
        void* grown = std::realloc(m->smootharray, std::size_t(m->nfaces) * 4);
        if (!grown) {
            Fail(ERR_NO_MEM);
            return;
        }
        m->smootharray = static_cast<std::uint32_t*>(grown);
        for (std::uint32_t i = m->allocated[smooth]; i < m->nfaces; ++i)
            m->smootharray[i] = 0;
        m->allocated[smooth] = m->nfaces;
    }
}

void ReadFaces(mesh3ds* m, chunk3ds* faces, FaceArrayData3ds* d)
{
    Adopt(m, 2, &d->faces, d->count);
    m->nfaces = m->facearray ? d->count : 0;
    ReleaseSlot(m, kMatSlot);
    m->nmats = 0;
    const std::uint16_t groups = GetMeshMatCount3ds(faces);
    if (groups) {
        m->matarray = static_cast<objmat3ds*>(AllocArray(groups, sizeof(objmat3ds)));
        if (!m->matarray && Fail(ERR_NO_MEM))
            return;
        m->allocated[kMatSlot] = m->nmats = groups;
    }
    std::uint16_t g = 0;
    for (chunk3ds* c = faces->children; c && !Stop(); c = c->sibling) {
        void* data = ReadChunkData3ds(c);
        if (!data)
            continue;
        if (c->tag == MSH_MAT_GROUP && g < groups) {
            MatGroupData3ds* group = static_cast<MatGroupData3ds*>(data);
            objmat3ds& to = m->matarray[g++];
            CopyFixed(to.name, sizeof to.name, group->name);
            to.nfaces = group->faces ? group->count : 0;
            to.faceindex = group->faces;
            group->faces = nullptr;
        } else if (c->tag == SMOOTH_GROUP) {
            SmoothGroupData3ds* smooth = static_cast<SmoothGroupData3ds*>(data);
            Adopt(m, 4, &smooth->groups, smooth->count);
        } else if (c->tag == MSH_BOXMAP) {
            const BoxMapData3ds* box = static_cast<BoxMapData3ds*>(data);
            for (int i = 0; i < 6; ++i)
                CopyFixed(m->boxmap[i], sizeof m->boxmap[i], box->names[i]);
            m->useboxmap = True3ds;
        }
    }
}

void ReadMeshChunk(mesh3ds* m, chunk3ds* c, void* data)
{
    switch (c->tag) {
    case POINT_ARRAY: {
        PointArrayData3ds* d = static_cast<PointArrayData3ds*>(data);
        Adopt(m, 0, &d->points, d->count);
        m->nvertices = m->vertexarray ? d->count : 0;
        break;
    }
    case POINT_FLAG_ARRAY: {
        PointFlagData3ds* d = static_cast<PointFlagData3ds*>(data);
        Adopt(m, 6, &d->flags, d->count);
        m->nvflags = m->vflagarray ? d->count : 0;
        break;
    }
    case FACE_ARRAY:
        ReadFaces(m, c, static_cast<FaceArrayData3ds*>(data));
        break;
    case TEX_VERTS: {
        TexVertsData3ds* d = static_cast<TexVertsData3ds*>(data);
        Adopt(m, 1, &d->texverts, d->count);
        m->ntextverts = m->textarray ? d->count : 0;
        break;
    }
    case MESH_MATRIX:
        std::memcpy(m->locmatrix, static_cast<MeshMatrixData3ds*>(data)->xmatrix, sizeof m->locmatrix);
        break;
    case MESH_COLOR:
        m->meshcolor = static_cast<ByteData3ds*>(data)->value;
        break;
    case MESH_TEXTURE_INFO: {
        const TextureInfoData3ds* d = static_cast<TextureInfoData3ds*>(data);
        m->usemapinfo = True3ds;
        m->map.maptype = d->maptype;
        m->map.tilex = d->xtiling;
        m->map.tiley = d->ytiling;
        m->map.iconx = d->iconpos.x;
        m->map.icony = d->iconpos.y;
        m->map.iconz = d->iconpos.z;
        m->map.scaling = d->iconscaling;
        std::memcpy(m->map.matrix, d->xmatrix, sizeof m->map.matrix);
        m->map.planarwidth = d->iconwidth;
        m->map.planarheight = d->iconheight;
        m->map.cylinderheight = d->cyliconheight;
        break;
    }
    case PROC_NAME:
        CopyFixed(m->procname, sizeof m->procname, static_cast<StringData3ds*>(data)->value);
        break;
    case PROC_DATA: {
        RawData3ds* d = static_cast<RawData3ds*>(data);
        Adopt(m, 5, &d->data, d->size);
        m->procsize = m->procdata ? d->size : 0;
        break;
    }
    default:
        break;
    }
}

// The object's flag chunks and the fields they stand for, in writing order.
struct MeshFlag {
    std::uint16_t tag;
    byte3ds mesh3ds::*field;
};
const MeshFlag kFlags[] = {
    {OBJ_HIDDEN, &mesh3ds::ishidden},          {OBJ_VIS_LOFTER, &mesh3ds::isvislofter},
    {OBJ_MATTE, &mesh3ds::ismatte},            {OBJ_DOESNT_CAST, &mesh3ds::isnocast},
    {OBJ_FAST, &mesh3ds::isfast},              {OBJ_DONT_RCVSHADOW, &mesh3ds::isnorcvshad},
    {OBJ_FROZEN, &mesh3ds::isfrozen},          {OBJ_PROCEDURAL, &mesh3ds::procedural},
};

template <class T>
T* CopyArray(const T* from, std::uint64_t count)
{
    return static_cast<T*>(CopyBlock(from, count * sizeof(T)));
}

void PutFaces(chunk3ds* tri, const mesh3ds* m)
{
    chunk3ds* faces = AddChunk(tri, FACE_ARRAY);
    FaceArrayData3ds* d = faces ? static_cast<FaceArrayData3ds*>(InitChunkData3ds(faces)) : nullptr;
    if (!d)
        return;
    d->faces = CopyArray(m->facearray, m->nfaces);
    d->count = d->faces ? m->nfaces : 0;
    for (std::uint16_t g = 0; m->matarray && g < m->nmats && !Stop(); ++g) {
        MatGroupData3ds* group = static_cast<MatGroupData3ds*>(AddData(faces, MSH_MAT_GROUP));
        if (!group)
            return;
        char name[17];
        CopyFixed(name, sizeof name, m->matarray[g].name);
        group->name = strdup3ds(name);
        group->faces = CopyArray(m->matarray[g].faceindex, m->matarray[g].nfaces);
        group->count = group->faces ? m->matarray[g].nfaces : 0;
    }
    if (m->smootharray && !Stop()) {
        SmoothGroupData3ds* smooth = static_cast<SmoothGroupData3ds*>(AddData(faces, SMOOTH_GROUP));
        if (smooth) {
            smooth->groups = CopyArray(m->smootharray, m->nfaces);
            smooth->count = smooth->groups ? m->nfaces : 0;
        }
    }
    if (m->useboxmap && !Stop()) {
        BoxMapData3ds* box = static_cast<BoxMapData3ds*>(AddData(faces, MSH_BOXMAP));
        for (int i = 0; box && i < 6; ++i) {
            char name[17];
            CopyFixed(name, sizeof name, m->boxmap[i]);
            box->names[i] = strdup3ds(name);
        }
    }
}

void PutMeshChunks(chunk3ds* object, const mesh3ds* m)
{
    chunk3ds* tri = AddChunk(object, N_TRI_OBJECT);
    if (!tri)
        return;
    if (m->nvertices && m->vertexarray) {
        PointArrayData3ds* d = static_cast<PointArrayData3ds*>(AddData(tri, POINT_ARRAY));
        if (d && (d->points = CopyArray(m->vertexarray, m->nvertices)))
            d->count = m->nvertices;
    }
    if (m->ntextverts && m->textarray && !Stop()) {
        TexVertsData3ds* d = static_cast<TexVertsData3ds*>(AddData(tri, TEX_VERTS));
        if (d && (d->texverts = CopyArray(m->textarray, m->ntextverts)))
            d->count = m->ntextverts;
    }
    if (m->usemapinfo && !Stop()) {
        TextureInfoData3ds* d = static_cast<TextureInfoData3ds*>(AddData(tri, MESH_TEXTURE_INFO));
        if (d) {
            d->maptype = m->map.maptype;
            d->xtiling = m->map.tilex;
            d->ytiling = m->map.tiley;
            d->iconpos = {m->map.iconx, m->map.icony, m->map.iconz};
            d->iconscaling = m->map.scaling;
            std::memcpy(d->xmatrix, m->map.matrix, sizeof d->xmatrix);
            d->iconwidth = m->map.planarwidth;
            d->iconheight = m->map.planarheight;
            d->cyliconheight = m->map.cylinderheight;
        }
    }
    if (m->nvflags && m->vflagarray && !Stop()) {
        PointFlagData3ds* d = static_cast<PointFlagData3ds*>(AddData(tri, POINT_FLAG_ARRAY));
        if (d && (d->flags = reinterpret_cast<std::int16_t*>(CopyArray(m->vflagarray, m->nvflags))))
            d->count = m->nvflags;
    }
    if (Stop())
        return;
    if (MeshMatrixData3ds* d = static_cast<MeshMatrixData3ds*>(AddData(tri, MESH_MATRIX)))
        std::memcpy(d->xmatrix, m->locmatrix, sizeof d->xmatrix);
    if (ByteData3ds* d = !Stop() ? static_cast<ByteData3ds*>(AddData(tri, MESH_COLOR)) : nullptr)
        d->value = m->meshcolor;
    if (m->nfaces && m->facearray && !Stop())
        PutFaces(tri, m);
    const bool proc = m->procdata && m->procsize;
    if (proc && !Stop()) {
        StringData3ds* name = static_cast<StringData3ds*>(AddData(tri, PROC_NAME));
        char copy[sizeof m->procname];
        CopyFixed(copy, sizeof copy, m->procname);
        if (name)
            name->value = strdup3ds(copy);
        RawData3ds* d = !Stop() ? static_cast<RawData3ds*>(AddData(tri, PROC_DATA)) : nullptr;
        if (d && (d->data = CopyBlock(m->procdata, m->procsize)))
            d->size = m->procsize;
    }
    for (const MeshFlag& f : kFlags) {
        if (Stop())
            return;
        const bool set = f.tag == OBJ_PROCEDURAL ? m->procedural == True3ds && proc : m->*f.field != 0;
        if (set)
            AddChunk(object, f.tag);
    }
}

}  // namespace

void InitMeshObjField3ds(mesh3ds* mesh, std::uint16_t initflags)
{
    if (!mesh) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    for (int slot = 0; slot < 7; ++slot) {
        const MeshArray& a = kArrays[slot];
        if (!(initflags & a.flag))
            continue;
        const std::uint32_t count = CountOf(mesh, a);
        if (count == 0) {
            ReleaseSlot(mesh, slot);
            continue;
        }
        void*& p = PointerOf(mesh, a);
        const std::uint32_t had = p ? EntriesOf(mesh, slot) : 0;
        if (slot == kMatSlot && had > count)
            FreeGroups(mesh, count, had);
        void* sized = std::realloc(p, std::size_t(count) * a.entry);
        if (!sized) {
            if (Fail(ERR_NO_MEM))
                return;
            continue;
        }
        p = sized;
        // New entries get their defaults, never what memory held.
        const std::uint32_t from = had < count ? had : count;
        std::memset(static_cast<char*>(p) + std::size_t(from) * a.entry, 0, std::size_t(count - from) * a.entry);
        if (a.flag == InitFaceArray3ds)
            for (std::uint32_t i = from; i < count; ++i)
                mesh->facearray[i] = DefFace3ds;
        mesh->allocated[slot] = count;
    }
}

void InitMeshObj3ds(mesh3ds** mesh, std::uint16_t vertexcount, std::uint16_t facecount, std::uint16_t initflags)
{
    if (!EnsureRecord(mesh))
        return;
    mesh3ds* m = *mesh;
    std::memset(m->name, 0, sizeof m->name);
    m->ishidden = m->isvislofter = m->ismatte = m->isnocast = m->isfast = m->isnorcvshad = m->isfrozen = 0;
    m->nvertices = vertexcount;
    m->nvflags = m->ntextverts = 0;
    m->usemapinfo = 0;
    DefaultMap(&m->map);
    std::memset(m->locmatrix, 0, sizeof m->locmatrix);
    m->nfaces = facecount;
    m->useboxmap = 0;
    std::memset(m->boxmap, 0, sizeof m->boxmap);
    m->meshcolor = 0;
    m->nmats = 0;
    m->procedural = 0;
    m->procsize = 0;
    std::memset(m->procname, 0, sizeof m->procname);
    InitMeshObjField3ds(m, InitVertexArray3ds | InitFaceArray3ds);
    if (Stop())
        return;
    if (initflags & InitTextArray3ds) {
        m->ntextverts = vertexcount;
        InitMeshObjField3ds(m, InitTextArray3ds);
    }
    if (initflags & InitVFlagArray3ds) {
        m->nvflags = vertexcount;
        InitMeshObjField3ds(m, InitVFlagArray3ds);
    }
    if (initflags & InitSmoothArray3ds)
        InitMeshObjField3ds(m, InitSmoothArray3ds);
}

void InitMatArrayIndex3ds(mesh3ds* mesh, std::uint16_t mat, std::uint16_t facecount)
{
    if (!mesh || facecount == 0) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (mesh->nfaces == 0 || !mesh->matarray || mat >= mesh->nmats) {
        Fail(ERR_INVALID_DATA);
        return;
    }
    std::free(mesh->matarray[mat].faceindex);
    mesh->matarray[mat].faceindex = static_cast<std::uint16_t*>(AllocArray(facecount, sizeof(std::uint16_t)));
    if (!mesh->matarray[mat].faceindex)
        Fail(ERR_NO_MEM);
}

void RelMeshObjField3ds(mesh3ds* mesh, std::uint16_t relflags)
{
    if (!mesh) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    for (int slot = 0; slot < 7; ++slot)
        if (relflags & kArrays[slot].flag)
            ReleaseSlot(mesh, slot);
}

void RelMeshObj3ds(mesh3ds** mesh)
{
    if (!mesh)
        return;
    if (*mesh) {
        RelMeshObjField3ds(*mesh, RelAll3ds);
        std::free(*mesh);
    }
    *mesh = nullptr;
}

std::uint32_t GetMeshCount3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return 0;
    }
    return NamedObjectCount(database, N_TRI_OBJECT);
}

void GetMeshNameList3ds(database3ds* database, namelist3ds** names)
{
    if (!database || !names) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    NamedObjectNames(database, N_TRI_OBJECT, names);
}

void GetMeshByIndex3ds(database3ds* database, std::uint32_t index, mesh3ds** mesh)
{
    if (!mesh) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    if (chunk3ds* object = NamedObjectByIndex(database, N_TRI_OBJECT, index))
        GetMeshEntryChunk3ds(object, mesh);
}

void GetMeshByName3ds(database3ds* database, const char* name, mesh3ds** mesh)
{
    if (!mesh || !name) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    chunk3ds* object = nullptr;
    FindNamedObject3ds(database, name, &object);
    chunk3ds* tri = nullptr;
    if (object)
        FindChunk3ds(object, N_TRI_OBJECT, &tri);
    if (tri)
        GetMeshEntryChunk3ds(object, mesh);
}

void DeleteMeshByName3ds(database3ds* database, const char* name)
{
    DeleteNamedObjectByName3ds(database, name);
}

void DeleteMeshByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteChunkTypeByIndex3ds(database, N_TRI_OBJECT, index);
}

void CopyMeshByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNamedObjectByIndex3ds(destination, source, N_TRI_OBJECT, index);
}

void CopyMeshByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNamedObjectByName3ds(destination, source, name);
}

std::uint16_t GetMeshMatCount3ds(chunk3ds* facearray)
{
    std::uint16_t count = 0;
    for (chunk3ds* c = facearray ? facearray->children : nullptr; c; c = c->sibling)
        count += c->tag == MSH_MAT_GROUP && count < 0xFFFF ? 1 : 0;
    return count;
}

void GetMeshEntryChunk3ds(chunk3ds* object, mesh3ds** mesh)
{
    if (!object || !mesh) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* tri = nullptr;
    FindNextChunk3ds(object->children, N_TRI_OBJECT, &tri);
    if (!tri) {
        Fail(ERR_WRONG_OBJECT);
        return;
    }
    // A record used before starts without arrays, so none is left stale.
    if (*mesh)
        RelMeshObjField3ds(*mesh, RelAll3ds);
    InitMeshObj3ds(mesh, 0, 0, InitNoExtras3ds);
    if (Stop())
        return;
    mesh3ds* m = *mesh;
    // Arrays are taken from a private copy, so the tree keeps its own.
    chunk3ds* copy = nullptr;
    CopyChunk3ds(object, &copy);
    if (!copy)
        return;
    if (const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(copy)))
        CopyFixed(m->name, sizeof m->name, d->value);
    FindNextChunk3ds(copy->children, N_TRI_OBJECT, &tri);
    for (chunk3ds* c = tri->children; c && !Stop(); c = c->sibling)
        if (void* data = ReadChunkData3ds(c))
            ReadMeshChunk(m, c, data);
    for (const MeshFlag& f : kFlags) {
        chunk3ds* flag = nullptr;
        FindNextChunk3ds(copy->children, f.tag, &flag);
        m->*f.field = flag ? True3ds : False3ds;
    }
    ReleaseChunk3ds(&copy);
    CheckIndices(m);
}

void PutMesh3ds(database3ds* database, mesh3ds* mesh)
{
    if (!mesh) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    char name[sizeof mesh->name];
    CopyFixed(name, sizeof name, mesh->name);
    ObjectPut put;
    if (!BeginObjectPut(database, name, &put))
        return;
    PutMeshChunks(put.object, mesh);
    EndObjectPut(database, &put, true);
}

void InitMeshSet3ds(meshset3ds** settings)
{
    if (!EnsureRecord(settings))
        return;
    meshset3ds* s = *settings;
    s->masterscale = s->shadowbias = s->raytracebias = 1.0f;
    s->shadowsize = 512;
    s->shadowfilter = 3.0f;
    s->ambientlight = {0.39216f, 0.39216f, 0.39216f};
    s->oconsts = DefPoint3ds;
}

void ReleaseMeshSet3ds(meshset3ds** settings)
{
    if (!settings)
        return;
    std::free(*settings);
    *settings = nullptr;
}

namespace {


void ReadColor(chunk3ds* parent, std::uint32_t floatTag, std::uint32_t byteTag, fcolor3ds* color)
{
    if (chunk3ds* c = ChildOf(parent, floatTag)) {
        WithData<ColorFData3ds>(c, [&](const ColorFData3ds& d) { *color = {d.red, d.green, d.blue}; });
    } else if ((c = ChildOf(parent, byteTag))) {
        // b / 256, so 255 reads as 0.99609375.
        WithData<Color24Data3ds>(c, [&](const Color24Data3ds& d) {
            *color = {d.red * 0.00390625f, d.green * 0.00390625f, d.blue * 0.00390625f};
        });
    }
}

}  // namespace

void GetMeshSet3ds(database3ds* database, meshset3ds** settings)
{
    if (!database || !settings) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* mdata = nullptr;
    FindChunk3ds(database->topchunk, MDATA, &mdata);
    if (!mdata)
        return;
    InitMeshSet3ds(settings);
    if (Stop())
        return;
    meshset3ds* s = *settings;
    const struct {
        std::uint16_t tag;
        float meshset3ds::*field;
    } floats[] = {{MASTER_SCALE, &meshset3ds::masterscale},
                  {LO_SHADOW_BIAS, &meshset3ds::shadowbias},
                  {RAY_BIAS, &meshset3ds::raytracebias},
                  {SHADOW_FILTER, &meshset3ds::shadowfilter}};
    for (const auto& f : floats)
        WithData<FloatData3ds>(ChildOf(mdata, f.tag), [&](const FloatData3ds& d) { s->*f.field = d.value; });
    WithData<Int16Data3ds>(ChildOf(mdata, SHADOW_MAP_SIZE),
                           [&](const Int16Data3ds& d) { s->shadowsize = static_cast<std::uint16_t>(d.value); });
    WithData<PointData3ds>(ChildOf(mdata, O_CONSTS), [&](const PointData3ds& d) { s->oconsts = d.value; });
    if (chunk3ds* ambient = ChildOf(mdata, AMBIENT_LIGHT)) {
        ReadColor(ambient, COLOR_F, COLOR_24, &s->ambientlight);
        ReadColor(ambient, LIN_COLOR_F, LIN_COLOR_24, &s->ambientlight);
    }
}

void PutMeshSet3ds(database3ds* database, meshset3ds* settings)
{
    if (!settings) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckDatabase(database, kTakesMesh | kTakesProject))
        return;
    chunk3ds* mdata = MeshDataOf(database);
    if (Stop() || !mdata)
        return;
    // The mesh version gets its value when the database is written.
    ReplaceData(mdata, MESH_VERSION);
    const struct {
        std::uint16_t tag;
        float value;
    } floats[] = {{MASTER_SCALE, settings->masterscale},
                  {LO_SHADOW_BIAS, settings->shadowbias},
                  {SHADOW_FILTER, settings->shadowfilter},
                  {RAY_BIAS, settings->raytracebias}};
    for (const auto& f : floats) {
        if (Stop())
            return;
        if (FloatData3ds* d = static_cast<FloatData3ds*>(ReplaceData(mdata, f.tag)))
            d->value = f.value;
    }
    if (Int16Data3ds* d = !Stop() ? static_cast<Int16Data3ds*>(ReplaceData(mdata, SHADOW_MAP_SIZE)) : nullptr)
        d->value = static_cast<std::int16_t>(settings->shadowsize);
    chunk3ds* ambient = nullptr;
    if (!Stop())
        ReplaceOrAddChild3ds(mdata, AMBIENT_LIGHT, &ambient);
    for (std::uint16_t tag : {COLOR_F, LIN_COLOR_F}) {
        if (Stop() || !ambient)
            return;
        if (ColorFData3ds* d = static_cast<ColorFData3ds*>(AddData(ambient, tag)))
            *d = {settings->ambientlight.r, settings->ambientlight.g, settings->ambientlight.b};
    }
    if (PointData3ds* d = !Stop() ? static_cast<PointData3ds*>(ReplaceData(mdata, O_CONSTS)) : nullptr)
        d->value = settings->oconsts;
}

void CopyMeshSet3ds(database3ds* destination, database3ds* source)
{
    if (!CheckDatabase(destination, kTakesMesh | kTakesProject) ||
        !CheckDatabase(source, kTakesMesh | kTakesProject))
        return;
    chunk3ds* from = ChildOf(source->topchunk, MDATA);
    if (!from)
        return;
    chunk3ds* to = MeshDataOf(destination);
    if (Stop() || !to)
        return;
    // The ambient light is not among them.
    static const std::uint16_t kCopied[] = {MASTER_SCALE, LO_SHADOW_BIAS, SHADOW_MAP_SIZE, SHADOW_FILTER,
                                            RAY_BIAS,     O_CONSTS,       MESH_VERSION};
    CopyTaggedChildren(from, to, kCopied, sizeof kCopied / sizeof kCopied[0]);
}

}  // namespace qelsdk_600
