// The manager's blocks for the kinds whose classes are not built yet: each
// allocate answers null, so the kind's create answers null and lists
// nothing; each destroy answers "Object not found" (nothing can be listed);
// each end does nothing. A kind leaves this file, block by block, for its
// own source once its class exists (see kqelsdkmanager_impl.h).
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

// ---- Scenes ----

KQelScene* KQelSdkManager::AllocateKQelScene()
{
    return nullptr;
}

bool KQelSdkManager::DestroyKQelScene(KQelScene* pScene, bool pRecursive)
{
    return NotFound();
}

void KQelEndScene(KQelSdkManager& pManager, void* pObject) {}

// ---- Poses ----

KQelPose* KQelSdkManager::AllocateKQelPose(const char* pName, bool pBindPose)
{
    return nullptr;
}

bool KQelSdkManager::DestroyKQelPose(KQelPose* pPose)
{
    return NotFound();
}

KQelPose* KQelSdkManager::FindKQelPose(const char* pName)
{
    NotFound();
    return nullptr;
}

void KQelEndPose(KQelSdkManager& pManager, void* pObject) {}

}  // namespace qelsdk_600
