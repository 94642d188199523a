// The manager's block for image converters (left alone by Clear, ended with
// the manager).
#include "content/kqelimageconverter.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelImageConverter* KQelSdkManager::AllocateKQelImageConverter()
{
    return new KQelImageConverter(*this);
}

bool KQelSdkManager::DestroyKQelImageConverter(KQelImageConverter* pConverter)
{
    return Destroy(kQelImageConverterList, pConverter);
}

void KQelEndImageConverter(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelImageConverter*>(pObject);
}

}  // namespace qelsdk_600
