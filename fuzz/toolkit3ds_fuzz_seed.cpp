// Writes the seed corpus of toolkit3ds_fuzz: small trees built through the
// toolkit (a new mesh file; one built chunk by chunk with a mesh, a
// material, a spotlight, a camera, keyframer nodes with tracks, parents and
// extended data; one put record by record; a material library) and, when
// the checkout holds them, the real files of tests/data/3ds.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "formats/toolkit3ds/toolkit3ds.h"

using namespace qelsdk_600;

namespace {

template <class Record>
Record* Add(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    Record* data = static_cast<Record*>(InitChunkAndData3ds(&c, tag));
    AddChildOrdered3ds(parent, c);
    return data;
}

chunk3ds* AddNode(chunk3ds* parent, std::uint32_t tag)
{
    return kfPutGenericNode(tag, parent);
}

void AddString(chunk3ds* parent, std::uint32_t tag, const char* value)
{
    Add<StringData3ds>(parent, tag)->value = strdup3ds(value);
}

template <class T>
T* Array(std::size_t n)
{
    return static_cast<T*>(std::calloc(n, sizeof(T)));
}

void AddMesh(chunk3ds* mdata)
{
    chunk3ds* object = AddNode(mdata, NAMED_OBJECT);
    InitChunkData3ds(object);
    static_cast<StringData3ds*>(object->data)->value = strdup3ds("box");
    chunk3ds* mesh = AddNode(object, N_TRI_OBJECT);
    PointArrayData3ds* points = Add<PointArrayData3ds>(mesh, POINT_ARRAY);
    points->count = 3;
    points->points = Array<point3ds>(3);
    points->points[1].x = 1.0f;
    points->points[2].y = 1.0f;
    TexVertsData3ds* uv = Add<TexVertsData3ds>(mesh, TEX_VERTS);
    uv->count = 3;
    uv->texverts = Array<textvert3ds>(3);
    Add<MeshMatrixData3ds>(mesh, MESH_MATRIX)->xmatrix[0] = 1.0f;
    chunk3ds* facesChunk = nullptr;
    FaceArrayData3ds* faces = static_cast<FaceArrayData3ds*>(InitChunkAndData3ds(&facesChunk, FACE_ARRAY));
    AddChildOrdered3ds(mesh, facesChunk);
    faces->count = 1;
    faces->faces = Array<face3ds>(1);
    faces->faces[0] = {0, 1, 2, 7};
    MatGroupData3ds* group = Add<MatGroupData3ds>(facesChunk, MSH_MAT_GROUP);
    group->name = strdup3ds("wood");
    group->count = 1;
    group->faces = Array<std::uint16_t>(1);
    SmoothGroupData3ds* smooth = Add<SmoothGroupData3ds>(facesChunk, SMOOTH_GROUP);
    smooth->count = 1;
    smooth->groups = Array<std::uint32_t>(1);
    smooth->groups[0] = 1;
}

void AddMaterial(chunk3ds* parent)
{
    chunk3ds* entry = AddNode(parent, MAT_ENTRY);
    AddString(entry, MAT_NAME, "wood");
    Color24Data3ds* c = Add<Color24Data3ds>(AddNode(entry, MAT_DIFFUSE), COLOR_24);
    c->red = 200;
    Add<Int16Data3ds>(AddNode(entry, MAT_SHININESS), INT_PERCENTAGE)->value = 30;
    chunk3ds* map = AddNode(entry, MAT_TEXMAP);
    AddString(map, MAT_MAPNAME, "wood.gif");
    Add<UInt16Data3ds>(map, MAT_MAP_TILING)->value = 0x11;
    RawData3ds* raw = Add<RawData3ds>(entry, MAT_SXP_TEXT_DATA);
    raw->size = 4;
    raw->data = strdup3ds("abc");
}

void AddLightAndCamera(chunk3ds* mdata)
{
    chunk3ds* lamp = AddNode(mdata, NAMED_OBJECT);
    InitChunkData3ds(lamp);
    static_cast<StringData3ds*>(lamp->data)->value = strdup3ds("spot");
    chunk3ds* light = nullptr;
    InitChunkAndData3ds(&light, N_DIRECT_LIGHT);
    AddChildOrdered3ds(lamp, light);
    Add<ColorFData3ds>(light, COLOR_F)->green = 1.0f;
    AddString(light, DL_EXCLUDE, "box");
    chunk3ds* spot = nullptr;
    SpotlightData3ds* s = static_cast<SpotlightData3ds*>(InitChunkAndData3ds(&spot, DL_SPOTLIGHT));
    s->hotspot = 44.0f;
    s->falloff = 45.0f;
    AddChildOrdered3ds(light, spot);
    Add<FloatData3ds>(spot, DL_SPOT_ROLL)->value = 0.5f;

    chunk3ds* cam = AddNode(mdata, NAMED_OBJECT);
    InitChunkData3ds(cam);
    static_cast<StringData3ds*>(cam->data)->value = strdup3ds("cam");
    chunk3ds* camera = nullptr;
    static_cast<CameraData3ds*>(InitChunkAndData3ds(&camera, N_CAMERA))->focal = 53.333332f;
    AddChildOrdered3ds(cam, camera);
    Add<RangesData3ds>(camera, CAM_RANGES)->farplane = 1000.0f;
}

void AddNodes(chunk3ds* top)
{
    chunk3ds* kf = nullptr;
    kfGetKfSeg(top, &kf);
    Add<KfSegData3ds>(kf, KFSEG)->last = 100;
    keyheader3ds keys[2] = {DefKeyHeader3ds, DefKeyHeader3ds};
    keys[1].time = 10;
    keys[1].rflags = KeyUsesTension3ds | KeyUsesEaseFrom3ds;
    keys[1].tension = 0.5f;
    const point3ds points[2] = {{0, 0, 0}, {1, 2, 3}};
    const float rolls[2] = {0.0f, 1.0f};
    chunk3ds* box = AddNode(kf, OBJECT_NODE_TAG);
    kfPutNodeId(box);
    kfPutNodeHeader("box", 0x4000, 0, "", box);
    AddString(box, INSTANCE_NAME, "a");
    kfPutPosTrack(2, 0, keys, points, box);
    chunk3ds* xdata = AddNode(box, XDATA_SECTION);
    chunk3ds* entry = AddNode(xdata, XDATA_ENTRY);
    AddString(entry, XDATA_APPNAME, "app");
    chunk3ds* child = AddNode(kf, OBJECT_NODE_TAG);
    kfPutNodeId(child);
    kfPutNodeHeader("child", 0, 0, "box.a", child);
    chunk3ds* camera = AddNode(kf, CAMERA_NODE_TAG);
    kfPutNodeId(camera);
    kfPutNodeHeader("cam", 0, 0, "child", camera);
    kfPutRollTrack(2, 0, keys, rolls, camera);
    kfPutTargetTrack("", 2, 0, keys, points, "cam", 0, 0, True3ds, kf);
}

// The same kinds of things, put as records.
void PutRecords(database3ds* db)
{
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 3, 1, 0xFFFF);
    std::strcpy(mesh->name, "tri");
    mesh->nmats = 1;
    InitMeshObjField3ds(mesh, InitMatArray3ds);
    std::strcpy(mesh->matarray[0].name, "wood");
    mesh->matarray[0].nfaces = 1;
    InitMatArrayIndex3ds(mesh, 0, 1);
    PutMesh3ds(db, mesh);
    RelMeshObj3ds(&mesh);
    material3ds* material = nullptr;
    InitMaterial3ds(&material);
    std::strcpy(material->name, "wood");
    std::strcpy(material->texture.name, "wood.gif");
    material->texture.source = 4;
    material->useauto = 1;
    PutMaterial3ds(db, material);
    ReleaseMaterial3ds(&material);
    light3ds* light = nullptr;
    InitSpotlight3ds(&light);
    std::strcpy(light->name, "spot");
    light->spot->uselocal = light->spot->useprojector = 1;
    light->spot->projector = strdup3ds("p.tga");
    PutSpotlight3ds(db, light);
    ReleaseLight3ds(&light);
    camera3ds* camera = nullptr;
    InitCamera3ds(&camera);
    std::strcpy(camera->name, "cam");
    PutCamera3ds(db, camera);
    ReleaseCamera3ds(&camera);
    objectmotion3ds* object = nullptr;
    InitObjectMotion3ds(&object, 2, 2, 2, 1, 1);
    std::strcpy(object->name, DummyName3ds);
    std::strcpy(object->instance, "a");
    PutObjectMotion3ds(db, object);
    ReleaseObjectMotion3ds(&object);
    spotmotion3ds* spot = nullptr;
    InitSpotlightMotion3ds(&spot, 1, 1, 1, 1, 1, 2);
    std::strcpy(spot->name, "spot");
    std::strcpy(spot->parent, "$$$DUMMY.a");
    PutSpotlightMotion3ds(db, spot);
    ReleaseSpotlightMotion3ds(&spot);
    kfsets3ds* kf = nullptr;
    InitKfSets3ds(&kf);
    kf->seg.use = 1;
    PutKfSets3ds(db, kf);
    ReleaseKfSets3ds(&kf);
}

bool Save(database3ds* db, const std::string& path)
{
    file3ds* file = OpenFile3ds(path.c_str(), "wb");
    WriteDatabase3ds(file, db);
    CloseFile3ds(file);
    const bool ok = !ftkerr3ds;
    ReleaseDatabase3ds(&db);
    ClearErrList3ds();
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    int status = 0;

    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    status |= !Save(db, dir + "/new.3ds");

    db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    chunk3ds* mdata = nullptr;
    FindChunk3ds(db->topchunk, MDATA, &mdata);
    AddMesh(mdata);
    AddMaterial(mdata);
    AddLightAndCamera(mdata);
    AddNodes(db->topchunk);
    status |= !Save(db, dir + "/scene.3ds");

    db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    PutRecords(db);
    status |= !Save(db, dir + "/records.3ds");

    db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MaterialFile3ds);
    AddMaterial(db->topchunk);
    status |= !Save(db, dir + "/library.3ds");

    // The real files, found from this source file's place in the checkout.
    const std::filesystem::path data = std::filesystem::path(__FILE__).parent_path().parent_path() / "tests/data/3ds";
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(data, ignored)) {
        const std::string name = e.path().filename().string();
        if (name.size() > 4 && (name.substr(name.size() - 4) == ".3ds" || name.substr(name.size() - 4) == ".3DS"))
            std::filesystem::copy_file(e.path(), dir + "/" + name, std::filesystem::copy_options::overwrite_existing,
                                       ignored);
    }
    CloseAllFiles3ds();
    return status;
}
