#include "content/kqelglobalcamerasettings.h"

#include <cstring>

#include "content/kqelcamera.h"
#include "scene/kqelscene.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kErrorTexts[KQelGlobalCameraSettings::eErrorCount] = {"Null parameter.", "Unknown camera name."};

// The producer cameras in their fixed order, with the settings that
// RestoreDefaultSettings gives them.
struct Producer {
    const char* mName;
    KQelCamera::ECameraProjectionType mProjection;
    double mNearPlane;
    double mFarPlane;
    double mPosition[3];
    double mUpVector[3];
};

enum : int { kPerspective, kTop, kBottom, kFront, kBack, kRight, kLeft, kProducerCount };

const Producer kProducers[kProducerCount] = {
    {"Producer Perspective", KQelCamera::ePerspective, 10.0, 4000.0, {0.0, 71.3, 287.5}, {0.0, 1.0, 0.0}},
    {"Producer Top", KQelCamera::eOrthogonal, 1.0, 30000.0, {0.0, 4000.0, 0.0}, {0.0, 0.0, -1.0}},
    {"Producer Bottom", KQelCamera::eOrthogonal, 1.0, 30000.0, {0.0, -4000.0, 0.0}, {0.0, 0.0, -1.0}},
    {"Producer Front", KQelCamera::eOrthogonal, 1.0, 30000.0, {0.0, 0.0, 4000.0}, {0.0, 1.0, 0.0}},
    {"Producer Back", KQelCamera::eOrthogonal, 1.0, 30000.0, {0.0, 0.0, -4000.0}, {0.0, 1.0, 0.0}},
    {"Producer Right", KQelCamera::eOrthogonal, 1.0, 30000.0, {4000.0, 0.0, 0.0}, {0.0, 1.0, 0.0}},
    {"Producer Left", KQelCamera::eOrthogonal, 1.0, 30000.0, {-4000.0, 0.0, 0.0}, {0.0, 1.0, 0.0}},
};

const double kProducerAngleOfView = 40.0;

// Accepted as default camera whether or not the scene has one.
const char* const kCameraSwitcherName = "Camera Switcher";

int FindProducer(const char* pName)
{
    for (int i = 0; i < kProducerCount; ++i) {
        if (std::strcmp(kProducers[i].mName, pName) == 0)
            return i;
    }
    return -1;
}

}  // namespace

struct KQelGlobalCameraSettings::Data {
    Data(KQelSdkManager& pManager, KQelScene& pScene)
        : mManager(&pManager), mScene(&pScene), mViewingMode(eStandard), mCameras(), mNodes(),
          mError(kErrorTexts, eErrorCount)
    {
    }

    KQelSdkManager* mManager;
    KQelScene* mScene;
    KString mDefaultCamera;
    EViewingMode mViewingMode;
    KQelCamera* mCameras[kProducerCount];
    KQelNode* mNodes[kProducerCount];
    KError mError;
};

KQelGlobalCameraSettings::KQelGlobalCameraSettings(KQelSdkManager& pManager, KQelScene& pScene)
    : mData(new Data(pManager, pScene))
{
    for (int i = 0; i < kProducerCount; ++i)
        mData->mCameras[i] = pManager.CreateKQelCamera();
    for (int i = 0; i < kProducerCount; ++i) {
        mData->mNodes[i] = pManager.CreateKQelNode(kProducers[i].mName);
        CarryProducerCamera(i);
    }
    RestoreDefaultSettings();
}

KQelGlobalCameraSettings::~KQelGlobalCameraSettings()
{
    for (int i = 0; i < kProducerCount; ++i) {
        DestroyProducer(i);
        mData->mCameras[i] = nullptr;
        mData->mNodes[i] = nullptr;
    }
}

void KQelGlobalCameraSettings::RestoreDefaultSettings()
{
    mData->mDefaultCamera = kProducers[kPerspective].mName;
    mData->mViewingMode = eStandard;
    for (int i = 0; i < kProducerCount; ++i) {
        KQelCamera* camera = mData->mCameras[i];
        if (!camera)
            continue;
        const Producer& producer = kProducers[i];
        camera->Reset();
        camera->SetAngleOfView(kProducerAngleOfView);
        camera->SetProjectionType(producer.mProjection);
        camera->SetNearPlane(producer.mNearPlane);
        camera->SetFarPlane(producer.mFarPlane);
        camera->SetPosition(KQelVector4(producer.mPosition[0], producer.mPosition[1], producer.mPosition[2], 1.0));
        camera->SetUpVector(KQelVector4(producer.mUpVector[0], producer.mUpVector[1], producer.mUpVector[2], 1.0));
    }
}

bool KQelGlobalCameraSettings::SetDefaultCamera(const char* pName)
{
    if (!pName) {
        mData->mError.SetLastErrorID(eNullParameter);
        return false;
    }
    if (FindProducer(pName) >= 0 || std::strcmp(pName, kCameraSwitcherName) == 0 || IsSceneNode(pName)) {
        mData->mDefaultCamera = pName;
        return true;
    }
    mData->mError.SetLastErrorID(eUnknownCameraName);
    return false;
}

const char* KQelGlobalCameraSettings::GetDefaultCamera() const
{
    return mData->mDefaultCamera.Buffer();
}

void KQelGlobalCameraSettings::SetDefaultViewingMode(EViewingMode pMode)
{
    mData->mViewingMode = pMode;
}

KQelGlobalCameraSettings::EViewingMode KQelGlobalCameraSettings::GetDefaultViewingMode() const
{
    return mData->mViewingMode;
}

#define QEL_PRODUCER_GETTERS(View, Index)                                                                   \
    KQelCamera* KQelGlobalCameraSettings::GetCameraProducer##View() const { return mData->mCameras[Index]; } \
    KQelNode* KQelGlobalCameraSettings::GetCameraProducer##View##Node() const { return mData->mNodes[Index]; }
QEL_PRODUCER_GETTERS(Perspective, kPerspective)
QEL_PRODUCER_GETTERS(Top, kTop)
QEL_PRODUCER_GETTERS(Bottom, kBottom)
QEL_PRODUCER_GETTERS(Front, kFront)
QEL_PRODUCER_GETTERS(Back, kBack)
QEL_PRODUCER_GETTERS(Right, kRight)
QEL_PRODUCER_GETTERS(Left, kLeft)
#undef QEL_PRODUCER_GETTERS

void KQelGlobalCameraSettings::CopyProducerCamera(const KString& pName, const KQelCamera* pCamera)
{
    if (pName.IsEmpty() || !pCamera)
        return;
    const int index = FindProducer(pName.Buffer());
    if (index >= 0 && mData->mCameras[index])
        *mData->mCameras[index] = *pCamera;
}

KQelGlobalCameraSettings& KQelGlobalCameraSettings::operator=(const KQelGlobalCameraSettings& pOther)
{
    if (this == &pOther)
        return *this;
    mData->mDefaultCamera = pOther.mData->mDefaultCamera;
    mData->mViewingMode = pOther.mData->mViewingMode;
    for (int i = 0; i < kProducerCount; ++i) {
        if (mData->mCameras[i] && pOther.mData->mCameras[i])
            *mData->mCameras[i] = *pOther.mData->mCameras[i];
    }
    return *this;
}

KError& KQelGlobalCameraSettings::GetError()
{
    return mData->mError;
}

int KQelGlobalCameraSettings::GetLastErrorID() const
{
    return mData->mError.GetLastErrorID();
}

const char* KQelGlobalCameraSettings::GetLastErrorString() const
{
    return mData->mError.GetLastErrorString();
}

void KQelGlobalCameraSettings::CarryProducerCamera(int pIndex)
{
    KQelNode* node = mData->mNodes[pIndex];
    if (!node)
        return;
    if (KQelCamera* camera = mData->mCameras[pIndex])
        node->SetNodeAttribute(camera);
    node->SetVisibility(false);
}

void KQelGlobalCameraSettings::DestroyProducer(int pIndex)
{
    KQelCamera* camera = mData->mCameras[pIndex];
    KQelNode* node = mData->mNodes[pIndex];
    // The node's destruction takes the camera it carries along.
    if (camera && (!node || node->GetNodeAttribute() != camera))
        mData->mManager->DestroyKQelNodeAttribute(camera);
    if (node)
        mData->mManager->DestroyKQelNode(node, true);
}

bool KQelGlobalCameraSettings::IsSceneNode(const char* pName) const
{
    KQelNode* root = mData->mScene->GetRootNode();
    return root && root->FindChild(pName, true, false);
}

}  // namespace qelsdk_600
