// The manager's blocks for the kinds whose classes are not built yet: each
// allocate answers null, so the kind's create answers null and lists
// nothing; each destroy answers "Object not found" (nothing can be listed);
// each end does nothing. A kind leaves this file, block by block, for its
// own source once its class exists (see kqelsdkmanager_impl.h).
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

// ---- Materials ----

KQelMaterial* KQelSdkManager::AllocateKQelMaterial(const char* pName)
{
    return nullptr;
}

KQelMaterial* KQelSdkManager::CreateKQelMaterial(const char* pName)
{
    return KQelNotBuiltYet(AllocateKQelMaterial(PrefixName("Material::", pName).Buffer()));
}

bool KQelSdkManager::DestroyKQelMaterial(KQelMaterial* pMaterial)
{
    return NotFound();
}

KQelMaterial* KQelSdkManager::FindKQelMaterial(const char* pName, int pIndex)
{
    NotFound();
    return nullptr;
}

void KQelEndMaterial(KQelSdkManager& pManager, void* pObject) {}

// ---- Textures ----

KQelTexture* KQelSdkManager::AllocateKQelTexture(const char* pName)
{
    return nullptr;
}

KQelTexture* KQelSdkManager::CreateKQelTexture(const char* pName)
{
    return KQelNotBuiltYet(AllocateKQelTexture(PrefixName("Texture::", pName).Buffer()));
}

bool KQelSdkManager::DestroyKQelTexture(KQelTexture* pTexture)
{
    return NotFound();
}

KQelTexture* KQelSdkManager::FindKQelTexture(const char* pName, int pIndex)
{
    NotFound();
    return nullptr;
}

void KQelEndTexture(KQelSdkManager& pManager, void* pObject) {}

// ---- Videos ----

KQelVideo* KQelSdkManager::AllocateKQelVideo(const char* pName)
{
    return nullptr;
}

KQelVideo* KQelSdkManager::CreateKQelVideo(const char* pName)
{
    return KQelNotBuiltYet(AllocateKQelVideo(PrefixName("Video::", pName).Buffer()));
}

bool KQelSdkManager::DestroyKQelVideo(KQelVideo* pVideo)
{
    return NotFound();
}

KQelVideo* KQelSdkManager::FindKQelVideo(const char* pName, int pIndex)
{
    NotFound();
    return nullptr;
}

void KQelEndVideo(KQelSdkManager& pManager, void* pObject) {}

// ---- Image converters ----

KQelImageConverter* KQelSdkManager::AllocateKQelImageConverter()
{
    return nullptr;
}

bool KQelSdkManager::DestroyKQelImageConverter(KQelImageConverter* pConverter)
{
    return NotFound();
}

void KQelEndImageConverter(KQelSdkManager& pManager, void* pObject) {}

}  // namespace qelsdk_600
