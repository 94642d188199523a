// The scene's camera switcher and global settings.
#include "content/kqelcameraswitcher.h"
#include "content/kqelglobalcamerasettings.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

void KQelScene::CreateSettings()
{
    if (mCameraSwitcher) {
        mCameraSwitcher->SetVisibility(false);
        mCameraSwitcher->SetShadingMode(KQelNode::eWireFrame);
        mCameraSwitcher->SetNodeAttribute(mManager.CreateKQelCameraSwitcher());
    }
    mLightSettings = new KQelGlobalLightSettings;
    mCameraSettings = new KQelGlobalCameraSettings(mManager, *this);
    mTimeSettings = new KQelGlobalTimeSettings;
}

void KQelScene::DestroySettings()
{
    delete mLightSettings;
    delete mCameraSettings;
    delete mTimeSettings;
    mLightSettings = nullptr;
    mCameraSettings = nullptr;
    mTimeSettings = nullptr;
}

void KQelScene::ResetSwitcherNode()
{
    if (!mCameraSwitcher)
        return;
    mCameraSwitcher->SetName("Camera Switcher");
    mCameraSwitcher->SetVisibility(false);
    mCameraSwitcher->SetShadingMode(KQelNode::eWireFrame);
    // A switcher node adopted from a file may carry no switcher.
    if (KQelCameraSwitcher* switcher = mCameraSwitcher->GetCameraSwitcher())
        switcher->SetDefaultCameraIndex(0);
}

void KQelScene::RestoreSettings()
{
    mLightSettings->RestoreDefaultSettings();
    mCameraSettings->RestoreDefaultSettings();
    mTimeSettings->RestoreDefaultSettings();
}

}  // namespace qelsdk_600
