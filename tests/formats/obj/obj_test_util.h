// OBJ texts (and MTL libraries beside them) read into a fresh scene.
#ifndef QELSDK_TESTS_FORMATS_OBJ_OBJ_TEST_UTIL_H
#define QELSDK_TESTS_FORMATS_OBJ_OBJ_TEST_UTIL_H

#include <memory>
#include <string>

#include "common/scene_text.h"
#include "common/scratch_dir.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "formats/obj/kqelreaderobj.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace objtest {

using namespace qelsdk_600;
using scenetext::ChildNames;
using scenetext::Materials;
using scenetext::Polygons;

std::string inline DataFile(const char* pName)
{
    return std::string(QEL_OBJ_DATA_DIR) + "/" + pName;
}

// A scene read from a file, kept with its manager.
struct Reading {
    KQelSdkManager mManager;
    KQelScene* mScene = nullptr;
    bool mRead = false;
    KString mMessage;

    KQelNode* Root() { return mScene->GetRootNode(); }
    KQelNode* Node(int pIndex) { return Root()->GetChild(pIndex); }
    KQelMesh* Mesh(int pIndex) { return Node(pIndex) ? Node(pIndex)->GetMesh() : nullptr; }
};

inline std::unique_ptr<Reading> ReadPath(const std::string& pPath, bool pReferenceNode = false)
{
    std::unique_ptr<Reading> reading(new Reading);
    reading->mScene = reading->mManager.CreateKQelScene();
    KQelReaderObj reader(reading->mManager);
    if (!reader.FileOpen(pPath.c_str()))
        return reading;
    KStreamOptionsObj options;
    options.SetOption(KStreamOptionsBase::eCreateReferenceNode, pReferenceNode ? 1 : 0);
    reading->mRead = reader.Read(*reading->mScene, &options);
    reader.GetMessage(reading->mMessage);
    return reading;
}

// Reads pObj written as scene.obj, with pMtl as lib.mtl beside it.
inline std::unique_ptr<Reading> Read(const std::string& pObj, const std::string& pMtl = "")
{
    scratch::ScratchDir dir;
    scratch::WriteFile(dir.File("scene.obj"), pObj);
    if (!pMtl.empty())
        scratch::WriteFile(dir.File("lib.mtl"), pMtl);
    return ReadPath(dir.File("scene.obj"));
}

}  // namespace objtest

#endif
