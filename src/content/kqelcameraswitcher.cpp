#include "content/kqelcameraswitcher.h"

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelnode.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

const char* const kCameraIndexNode = "Camera Index";

}  // namespace

KQelCameraSwitcher::KQelCameraSwitcher(KQelSdkManager& pManager) : KQelNodeAttribute(pManager) {}

KQelCameraSwitcher::~KQelCameraSwitcher() {}

void KQelCameraSwitcher::AddChannels(KQelTakeNode* pTakeNode)
{
    KQelNodeAttribute::AddChannels(pTakeNode);
    if (!pTakeNode)
        return;
    pTakeNode->GetKFCurveNode()->FindOrCreate(kCameraIndexNode, true)->FCurveGet()->SetValue(1.0f);
}

void KQelCameraSwitcher::RemoveChannels(KQelTakeNode* pTakeNode)
{
    if (pTakeNode) {
        KFCurveNode* root = pTakeNode->GetKFCurveNode();
        const int index = root->Find(kCameraIndexNode);
        if (index >= 0)
            root->Delete(index);
    }
    KQelNodeAttribute::RemoveChannels(pTakeNode);
}

void KQelCameraSwitcher::FillPropertyList(void* pList) {}

KString KQelCameraSwitcher::GetTypeName()
{
    return KString("");
}

KStringList KQelCameraSwitcher::GetTypeFlags()
{
    return KStringList();
}

void KQelCameraSwitcher::AddCameraName(const char* pName)
{
    if (pName)
        mCameraNames.emplace_back(pName);
}

int KQelCameraSwitcher::GetCameraNameCount() const
{
    return static_cast<int>(mCameraNames.size());
}

const char* KQelCameraSwitcher::GetCameraName(unsigned int pIndex) const
{
    return pIndex < mCameraNames.size() ? mCameraNames[pIndex].Buffer() : nullptr;
}

int KQelCameraSwitcher::GetDefaultCameraIndex() const
{
    KFCurve* curve = DefaultIndexCurve();
    return curve ? detail::SaturateToInt(curve->GetValue()) : 0;
}

void KQelCameraSwitcher::SetDefaultCameraIndex(int pIndex)
{
    if (KFCurve* curve = DefaultIndexCurve())
        curve->SetValue(static_cast<float>(pIndex));
}

KQelCameraSwitcher& KQelCameraSwitcher::operator=(const KQelCameraSwitcher& pOther)
{
    if (this != &pOther)
        mCameraNames.insert(mCameraNames.end(), pOther.mCameraNames.begin(), pOther.mCameraNames.end());
    return *this;
}

KFCurve* KQelCameraSwitcher::DefaultIndexCurve() const
{
    KQelNode* node = GetNode();
    KQelTakeNode* take = node ? node->GetDefaultTakeNode() : nullptr;
    return take ? take->GetCameraIndex() : nullptr;
}

}  // namespace qelsdk_600
