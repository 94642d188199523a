// The manager's block for scenes.
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelScene* KQelSdkManager::AllocateKQelScene()
{
    return new KQelScene(*this);
}

bool KQelSdkManager::DestroyKQelScene(KQelScene* pScene, bool pRecursive)
{
    // Looked up first: a scene that is not listed may be gone.
    if (!Unlist(kQelSceneList, pScene))
        return NotFound();
    KQelNode* root = pRecursive ? pScene->GetRootNode() : nullptr;
    // The scene's end empties its store (which forgets the root) before the
    // tree goes, so no store is left listing a destroyed node.
    KQelEndScene(*this, pScene);
    return !root || DestroyKQelNode(root, true);
}

void KQelEndScene(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelScene*>(pObject);
}

}  // namespace qelsdk_600
