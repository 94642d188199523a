// 3D Studio files built record by record through the toolkit, and scenes
// read from them through the importer.
#ifndef QELSDK_TESTS_FORMATS_3DS_STUDIO_TEST_UTIL_H
#define QELSDK_TESTS_FORMATS_3DS_STUDIO_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "common/scratch_dir.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace studiotest {

inline std::string DataFile(const char* pName)
{
    return std::string(QEL_3DS_DATA_DIR) + "/" + pName;
}

inline void Name(char* pField, std::size_t pSize, const char* pName)
{
    std::strncpy(pField, pName, pSize - 1);
    pField[pSize - 1] = '\0';
}

// A new mesh file; records are put as they are made, then the file written.
class Studio {
public:
    Studio()
    {
        ClearErrList3ds();
        InitDatabase3ds(&mDb);
        CreateNewDatabase3ds(mDb, MeshFile3ds);
    }
    ~Studio() { ReleaseDatabase3ds(&mDb); }
    Studio(const Studio&) = delete;
    Studio& operator=(const Studio&) = delete;

    // A mesh with the identity local matrix; pFill sets what else it needs.
    void Mesh(const char* pName, std::initializer_list<point3ds> pPoints,
              std::initializer_list<face3ds> pFaces, const std::function<void(mesh3ds&)>& pFill = nullptr)
    {
        mesh3ds* mesh = nullptr;
        InitMeshObj3ds(&mesh, static_cast<std::uint16_t>(pPoints.size()), static_cast<std::uint16_t>(pFaces.size()),
                       InitNoExtras3ds);
        Name(mesh->name, sizeof(mesh->name), pName);
        std::copy(pPoints.begin(), pPoints.end(), mesh->vertexarray);
        std::copy(pFaces.begin(), pFaces.end(), mesh->facearray);
        mesh->locmatrix[0] = mesh->locmatrix[4] = mesh->locmatrix[8] = 1.0f;
        if (pFill)
            pFill(*mesh);
        PutMesh3ds(mDb, mesh);
        RelMeshObj3ds(&mesh);
    }
    void Material(const char* pName, const std::function<void(material3ds&)>& pFill = nullptr)
    {
        material3ds* material = nullptr;
        InitMaterial3ds(&material);
        Name(material->name, sizeof(material->name), pName);
        if (pFill)
            pFill(*material);
        PutMaterial3ds(mDb, material);
        ReleaseMaterial3ds(&material);
    }
    // A keyframer node of an object; pFill may add tracks (InitObjectMotion3ds
    // with counts) and set the pivot, parent and instance.
    void Node(const char* pName, const char* pParent = "", const std::function<void(objectmotion3ds*&)>& pFill = nullptr)
    {
        objectmotion3ds* motion = nullptr;
        InitObjectMotion3ds(&motion, 0, 0, 0, 0, 0);
        Name(motion->name, sizeof(motion->name), pName);
        Name(motion->parent, sizeof(motion->parent), pParent);
        if (pFill)
            pFill(motion);
        PutObjectMotion3ds(mDb, motion);
        ReleaseObjectMotion3ds(&motion);
    }
    void Omnilight(const char* pName, float pMultiplier)
    {
        light3ds* light = nullptr;
        InitLight3ds(&light);
        Name(light->name, sizeof(light->name), pName);
        light->multiplier = pMultiplier;
        PutOmnilight3ds(mDb, light);
        ReleaseLight3ds(&light);
    }
    void Camera(const char* pName, float pFov, float pNear, float pFar)
    {
        camera3ds* camera = nullptr;
        InitCamera3ds(&camera);
        Name(camera->name, sizeof(camera->name), pName);
        camera->fov = pFov;
        camera->nearplane = pNear;
        camera->farplane = pFar;
        PutCamera3ds(mDb, camera);
        ReleaseCamera3ds(&camera);
    }

    // Writes the file; its path.
    std::string Write(const char* pName = "scene.3ds")
    {
        const std::string path = mDir.File(pName);
        file3ds* file = OpenFile3ds(path.c_str(), "wb");
        WriteDatabase3ds(file, mDb);
        EXPECT_FALSE(ftkerr3ds) << "toolkit error writing " << path;
        CloseFile3ds(file);
        return path;
    }

    database3ds* mDb = nullptr;
    scratch::ScratchDir mDir;
};

// A scene read through the importer as format 15, with its manager.
struct Reading {
    KQelSdkManager mManager;
    KQelScene* mScene = nullptr;
    bool mRead = false;
    int mError = -1;
    KString mMessage;

    KQelNode* Root() { return mScene->GetRootNode(); }
    KQelNode* Node(const char* pName) { return mManager.FindKQelNode(pName, 0); }
};

// Reads pPath with the default options changed by pOptions.
inline std::unique_ptr<Reading> Import(const std::string& pPath,
                                       const std::function<void(KStreamOptions3ds&)>& pOptions = nullptr)
{
    std::unique_ptr<Reading> reading(new Reading);
    reading->mScene = reading->mManager.CreateKQelScene();
    KQelImporter importer(reading->mManager);
    importer.SetFileFormat(KQelImporter::e3ds);
    importer.Initialize(pPath.c_str());
    KStreamOptions* options = importer.GetImportOptions();
    if (!options) {
        reading->mError = importer.GetLastErrorID();
        return reading;
    }
    if (pOptions)
        pOptions(*static_cast<KStreamOptions3ds*>(options));
    reading->mRead = importer.Import(*reading->mScene, options);
    reading->mError = importer.GetLastErrorID();
    importer.GetMessage(reading->mMessage);
    importer.ReleaseImportOptions(options);
    return reading;
}

}  // namespace studiotest
}  // namespace qelsdk_600

#endif
