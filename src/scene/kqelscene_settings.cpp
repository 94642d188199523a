// The scene's camera switcher and global settings.
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

// Until the camera classes join the build, the switcher node carries no
// camera switcher and the scene has no global settings.

void KQelScene::CreateSettings()
{
    if (mCameraSwitcher) {
        mCameraSwitcher->SetVisibility(false);
        mCameraSwitcher->SetShadingMode(KQelNode::eWireFrame);
    }
}

void KQelScene::DestroySettings() {}

void KQelScene::ResetSwitcherNode()
{
    if (!mCameraSwitcher)
        return;
    mCameraSwitcher->SetName("Camera Switcher");
    mCameraSwitcher->SetVisibility(false);
    mCameraSwitcher->SetShadingMode(KQelNode::eWireFrame);
}

void KQelScene::RestoreSettings() {}

}  // namespace qelsdk_600
