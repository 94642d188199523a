// The manager's blocks for the file front ends. The manager makes and ends
// importers and exporters, so the scene subsystem links with io (see
// qel_link_subsystems).
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

// ---- Exporters ----

KQelExporter* KQelSdkManager::AllocateKQelExporter()
{
    return new KQelExporter(*this);
}

bool KQelSdkManager::DestroyKQelExporter(KQelExporter* pExporter)
{
    return Destroy(kQelExporterList, pExporter);
}

void KQelEndExporter(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelExporter*>(pObject);
}

// ---- Importers ----

KQelImporter* KQelSdkManager::AllocateKQelImporter()
{
    return new KQelImporter(*this);
}

bool KQelSdkManager::DestroyKQelImporter(KQelImporter* pImporter)
{
    return Destroy(kQelImporterList, pImporter);
}

void KQelEndImporter(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelImporter*>(pObject);
}

}  // namespace qelsdk_600
