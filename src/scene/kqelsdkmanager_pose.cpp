// The manager's block for poses.
#include <cstring>

#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelPose* KQelSdkManager::AllocateKQelPose(const char* pName, bool pBindPose)
{
    return new KQelPose(*this, KString(pName), pBindPose);
}

bool KQelSdkManager::DestroyKQelPose(KQelPose* pPose)
{
    if (!Unlist(kQelPoseList, pPose))
        return NotFound();
    // Scenes hold poses unowned, and validating a bind pose walks theirs.
    mLists->mList[kQelSceneList].ForEach([pPose](void* pScene) { static_cast<KQelScene*>(pScene)->RemovePose(pPose); });
    KQelEndPose(*this, pPose);
    return true;
}

KQelPose* KQelSdkManager::FindKQelPose(const char* pName)
{
    void* found = nullptr;
    if (pName) {
        found = mLists->mList[kQelPoseList].FindIf(
            [pName](void* pPose) { return std::strcmp(static_cast<KQelPose*>(pPose)->GetName(), pName) == 0; });
    }
    if (!found)
        NotFound();
    return static_cast<KQelPose*>(found);
}

void KQelEndPose(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelPose*>(pObject);
}

}  // namespace qelsdk_600
