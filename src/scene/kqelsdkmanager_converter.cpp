// The manager's block for geometry converters.
#include "content/kqelgeometryconverter.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelGeometryConverter* KQelSdkManager::AllocateKQelGeometryConverter()
{
    return new KQelGeometryConverter(*this);
}

bool KQelSdkManager::DestroyKQelGeometryConverter(KQelGeometryConverter* pConverter)
{
    return Destroy(kQelGeometryConverterList, pConverter);
}

void KQelEndGeometryConverter(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelGeometryConverter*>(pObject);
}

}  // namespace qelsdk_600
