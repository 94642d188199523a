// The manager's blocks for materials, textures and videos: named objects of
// their own kind prefix and renaming strategy, ended by Destruct and
// deletion.
#include <cstring>

#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

namespace {

template <class T>
void EndNamed(void* pObject)
{
    T* object = static_cast<T*>(pObject);
    // The notified tear-down first: connected nodes and textures are told
    // while the object is whole.
    object->Destruct();
    delete object;
}

}  // namespace

// Allocate, create, destroy, find and end of one named kind.
#define QEL_MANAGER_NAMED_KIND(Kind, Prefix, ListId, Strategy)                                          \
    KQel##Kind* KQelSdkManager::AllocateKQel##Kind(const char* pName)                                   \
    {                                                                                                   \
        return new KQel##Kind(*this, pName);                                                            \
    }                                                                                                   \
    KQel##Kind* KQelSdkManager::CreateKQel##Kind(const char* pName)                                     \
    {                                                                                                   \
        const KString name = PrefixName(Prefix, pName);                                                 \
        KQel##Kind* object = AllocateKQel##Kind(name.Buffer());                                         \
        Rename(Strategy, object);                                                                       \
        return static_cast<KQel##Kind*>(List(ListId, object));                                          \
    }                                                                                                   \
    bool KQelSdkManager::DestroyKQel##Kind(KQel##Kind* pObject)                                         \
    {                                                                                                   \
        return Destroy(ListId, pObject);                                                                \
    }                                                                                                   \
    KQel##Kind* KQelSdkManager::FindKQel##Kind(const char* pName, int pIndex)                           \
    {                                                                                                   \
        const KString name = PrefixName(Prefix, pName);                                                 \
        void* found = pIndex < 0 ? nullptr : mLists->mList[ListId].FindIf([&name](void* pObject) {      \
            return std::strcmp(static_cast<KQel##Kind*>(pObject)->GetName(), name.Buffer()) == 0;       \
        }, pIndex);                                                                                     \
        if (!found)                                                                                     \
            NotFound();                                                                                 \
        return static_cast<KQel##Kind*>(found);                                                         \
    }                                                                                                   \
    void KQelEnd##Kind(KQelSdkManager& pManager, void* pObject)                                         \
    {                                                                                                   \
        EndNamed<KQel##Kind>(pObject);                                                                  \
    }

QEL_MANAGER_NAMED_KIND(Material, "Material::", kQelMaterialList, eMaterialNames)
QEL_MANAGER_NAMED_KIND(Texture, "Texture::", kQelTextureList, eTextureNames)
QEL_MANAGER_NAMED_KIND(Video, "Video::", kQelVideoList, eVideoNames)

#undef QEL_MANAGER_NAMED_KIND

}  // namespace qelsdk_600
