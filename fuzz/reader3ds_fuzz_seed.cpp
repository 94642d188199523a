// Writes the seed corpus of reader3ds_fuzz: the real files of tests/data/3ds
// when the checkout holds them, and small files put record by record through
// the toolkit: a mesh with material groups, smoothing groups and texture
// vertices; a material with two maps; an omni light and a spot light; a
// camera with its target and tracks; a dummy over the mesh; the same scene
// without its keyframer section, and with the mesh instanced.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "formats/toolkit3ds/toolkit3ds.h"

using namespace qelsdk_600;

namespace {

void PutMesh(database3ds* pDb)
{
    mesh3ds* mesh = nullptr;
    InitMeshObj3ds(&mesh, 4, 2, InitTextArray3ds | InitSmoothArray3ds);
    std::strcpy(mesh->name, "box");
    const point3ds points[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        mesh->vertexarray[i] = points[i];
        mesh->textarray[i] = {points[i].x, points[i].y};
    }
    mesh->facearray[0] = {0, 1, 2, 7};
    mesh->facearray[1] = {1, 3, 2, 7};
    mesh->smootharray[0] = 1;
    mesh->smootharray[1] = 2;
    mesh->locmatrix[0] = mesh->locmatrix[4] = mesh->locmatrix[8] = 1.0f;
    mesh->nmats = 2;
    InitMeshObjField3ds(mesh, InitMatArray3ds);
    const char* names[2] = {"wood", "metal"};
    for (std::uint16_t g = 0; g < 2; ++g) {
        std::strcpy(mesh->matarray[g].name, names[g]);
        mesh->matarray[g].nfaces = 1;
        InitMatArrayIndex3ds(mesh, g, 1);
        mesh->matarray[g].faceindex[0] = g;
    }
    PutMesh3ds(pDb, mesh);
    RelMeshObj3ds(&mesh);
}

void PutMaterials(database3ds* pDb)
{
    material3ds* material = nullptr;
    InitMaterial3ds(&material);
    std::strcpy(material->name, "wood");
    material->diffuse = {0.5f, 0.25f, 0.125f};
    material->shininess = 0.3f;
    std::strcpy(material->texture.name, "wood.gif");
    material->texture.percent = 0.5f;
    material->texture.uscale = 2.0f;
    material->texture.rotation = 30.0f;
    std::strcpy(material->tex2.name, "dirt.gif");
    material->tex2.tiling = 2;
    PutMaterial3ds(pDb, material);
    InitMaterial3ds(&material);
    std::strcpy(material->name, "metal");
    PutMaterial3ds(pDb, material);
    ReleaseMaterial3ds(&material);
}

void PutLightsAndCamera(database3ds* pDb)
{
    light3ds* light = nullptr;
    InitLight3ds(&light);
    std::strcpy(light->name, "omni");
    light->multiplier = 0.5f;
    PutOmnilight3ds(pDb, light);
    ReleaseLight3ds(&light);
    InitSpotlight3ds(&light);
    std::strcpy(light->name, "spot");
    light->spot->useprojector = 1;
    light->spot->projector = strdup3ds("p.tga");
    PutSpotlight3ds(pDb, light);
    ReleaseLight3ds(&light);
    camera3ds* camera = nullptr;
    InitCamera3ds(&camera);
    std::strcpy(camera->name, "cam");
    PutCamera3ds(pDb, camera);
    ReleaseCamera3ds(&camera);
}

// Keys at frames 0 and 10, the second with tension and continuity.
template <class Value>
void TwoKeys(kftrack3ds<Value>& pTrack)
{
    if (pTrack.keycount < 2)
        return;
    pTrack.keys[1].time = 10;
    pTrack.keys[1].rflags = KeyUsesTension3ds | KeyUsesCont3ds;
    pTrack.keys[1].tension = 0.5f;
    pTrack.keys[1].continuity = -0.5f;
}

void PutNodes(database3ds* pDb, bool pInstanced)
{
    objectmotion3ds* object = nullptr;
    InitObjectMotion3ds(&object, 0, 0, 0, 0, 0);
    std::strcpy(object->name, DummyName3ds);
    std::strcpy(object->instance, "grp");
    PutObjectMotion3ds(pDb, object);
    ReleaseObjectMotion3ds(&object);
    for (int copy = 0; copy < (pInstanced ? 2 : 1); ++copy) {
        InitObjectMotion3ds(&object, 2, 2, 2, 0, 0);
        std::strcpy(object->name, "box");
        std::strcpy(object->parent, "$$$DUMMY.grp");
        std::strcpy(object->instance, copy ? "b" : "a");
        object->pivot = {1, 2, 3};
        TwoKeys(object->pos);
        TwoKeys(object->rot);
        TwoKeys(object->scale);
        object->pos.values[1] = {1, 2, 3};
        object->rot.values[1] = {1.5f, 0, 0, 1};
        object->scale.values[1] = {2, 2, 2};
        PutObjectMotion3ds(pDb, object);
        ReleaseObjectMotion3ds(&object);
    }
    omnimotion3ds* omni = nullptr;
    InitOmnilightMotion3ds(&omni, 2, 2);
    std::strcpy(omni->name, "omni");
    TwoKeys(omni->color);
    PutOmnilightMotion3ds(pDb, omni);
    ReleaseOmnilightMotion3ds(&omni);
    spotmotion3ds* spot = nullptr;
    InitSpotlightMotion3ds(&spot, 1, 1, 2, 1, 1, 2);
    std::strcpy(spot->name, "spot");
    std::strcpy(spot->parent, "box.a");
    TwoKeys(spot->hot);
    TwoKeys(spot->tpos);
    PutSpotlightMotion3ds(pDb, spot);
    ReleaseSpotlightMotion3ds(&spot);
    cameramotion3ds* camera = nullptr;
    InitCameraMotion3ds(&camera, 2, 2, 2, 2);
    std::strcpy(camera->name, "cam");
    std::strcpy(camera->tparent, "$$$DUMMY.grp");
    TwoKeys(camera->pos);
    TwoKeys(camera->fov);
    TwoKeys(camera->roll);
    TwoKeys(camera->tpos);
    PutCameraMotion3ds(pDb, camera);
    ReleaseCameraMotion3ds(&camera);
}

bool WriteScene(const std::string& pPath, bool pKeyframer, bool pInstanced)
{
    ClearErrList3ds();
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateNewDatabase3ds(db, MeshFile3ds);
    meshset3ds* settings = nullptr;
    InitMeshSet3ds(&settings);
    settings->masterscale = 2.0f;
    PutMeshSet3ds(db, settings);
    ReleaseMeshSet3ds(&settings);
    PutMaterials(db);
    PutMesh(db);
    PutLightsAndCamera(db);
    if (pKeyframer)
        PutNodes(db, pInstanced);
    file3ds* file = OpenFile3ds(pPath.c_str(), "wb");
    WriteDatabase3ds(file, db);
    const bool written = !ftkerr3ds;
    CloseFile3ds(file);
    ReleaseDatabase3ds(&db);
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool written = WriteScene(dir + "/scene.3ds", true, false) &&
                         WriteScene(dir + "/nokeyframer.3ds", false, false) &&
                         WriteScene(dir + "/instanced.3ds", true, true);
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QEL_TEST_DATA_DIR) + "/3ds", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name != "README.md")
            std::filesystem::copy_file(entry.path(), dir + "/" + name,
                                       std::filesystem::copy_options::overwrite_existing, ignored);
    }
    return written ? 0 : 1;
}
