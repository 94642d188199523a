// The manager's blocks for surfaces: patches and NURBS surfaces.
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

// ---- Patches (node attributes) ----

KQelPatch* KQelSdkManager::AllocateKQelPatch()
{
    return new KQelPatch(*this);
}

KQelPatch* KQelSdkManager::CreateKQelPatch()
{
    KQelPatch* patch = AllocateKQelPatch();
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(patch));
    return patch;
}

// ---- NURBS surfaces (node attributes) ----

KQelNurb* KQelSdkManager::AllocateKQelNurb()
{
    return new KQelNurb(*this);
}

KQelNurb* KQelSdkManager::CreateKQelNurb()
{
    KQelNurb* nurb = AllocateKQelNurb();
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(nurb));
    return nurb;
}

}  // namespace qelsdk_600
