// The manager's block for generic nodes.
#include <cstring>

#include "scene/kqelgenericnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelGenericNode* KQelSdkManager::AllocateKQelGenericNode(const char* pName)
{
    return new KQelGenericNode(*this, pName);
}

void KQelEndGenericNode(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelGenericNode*>(pObject);
}

bool KQelSdkManager::DestroyKQelGenericNode(KQelGenericNode* pNode)
{
    return Destroy(kQelGenericNodeList, pNode);
}

KQelGenericNode* KQelSdkManager::FindKQelGenericNode(const char* pName)
{
    void* found = nullptr;
    if (pName) {
        found = mLists->mList[kQelGenericNodeList].FindIf([pName](void* object) {
            const char* name = static_cast<KQelGenericNode*>(object)->GetName();
            return name && std::strcmp(name, pName) == 0;
        });
    }
    if (!found)
        NotFound();
    return static_cast<KQelGenericNode*>(found);
}

}  // namespace qelsdk_600
