// The manager's operations for cameras and camera switchers (node
// attributes: listed, detached and ended with the others).
#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelsdkmanager_impl.h"

namespace qelsdk_600 {

KQelCamera* KQelSdkManager::AllocateKQelCamera()
{
    return new KQelCamera(*this);
}

KQelCamera* KQelSdkManager::CreateKQelCamera()
{
    KQelCamera* attribute = AllocateKQelCamera();
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(attribute));
    return attribute;
}

KQelCameraSwitcher* KQelSdkManager::CreateKQelCameraSwitcher()
{
    KQelCameraSwitcher* attribute = new KQelCameraSwitcher(*this);
    List(kQelNodeAttributeList, static_cast<KQelNodeAttribute*>(attribute));
    return attribute;
}

}  // namespace qelsdk_600
