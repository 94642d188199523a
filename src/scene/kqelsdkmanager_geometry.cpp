// The manager's blocks for geometry: meshes, links, shapes and deformers.
#include "content/kqeldeformer.h"
#include "content/kqellink.h"
#include "content/kqelmesh.h"
#include "content/kqelshape.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

// ---- Meshes (node attributes) ----

KQelMesh* KQelSdkManager::AllocateKQelMesh()
{
    return new KQelMesh(*this);
}

KQelMesh* KQelSdkManager::CreateKQelMesh()
{
    KQelMesh* mesh = AllocateKQelMesh();
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(mesh));
    return mesh;
}

// ---- Links ----

KQelLink* KQelSdkManager::AllocateKQelLink()
{
    return new KQelLink;
}

bool KQelSdkManager::DestroyKQelLink(KQelLink* pLink)
{
    return Destroy(kQelLinkList, pLink);
}

void KQelEndLink(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelLink*>(pObject);
}

// ---- Shapes (constructed directly) ----

KQelShape* KQelSdkManager::AllocateKQelShape()
{
    return new KQelShape(*this);
}

KQelShape* KQelSdkManager::CreateKQelShape()
{
    return static_cast<KQelShape*>(List(kQelShapeList, new KQelShape(*this)));
}

bool KQelSdkManager::DestroyKQelShape(KQelShape* pShape)
{
    return Destroy(kQelShapeList, pShape);
}

void KQelEndShape(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelShape*>(pObject);
}

// ---- Deformers ----

KQelDeformer* KQelSdkManager::AllocateKQelDeformer(const char* pName, const char* pTypeName)
{
    return new KQelDeformer(*this, pName, pTypeName);
}

bool KQelSdkManager::DestroyKQelDeformer(KQelDeformer* pDeformer)
{
    return Destroy(kQelDeformerList, pDeformer);
}

void KQelEndDeformer(KQelSdkManager& pManager, void* pObject)
{
    delete static_cast<KQelDeformer*>(pObject);
}

}  // namespace qelsdk_600
