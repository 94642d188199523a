#include "scene/kqelscene.h"

#include <vector>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolsetplug.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace {

const char* const kSceneErrors[] = {"Take error."};

// The three families a scene owns share one shape: made with the kind's
// prefix, appended, read by index, ended with Destruct and delete.
template <class T>
int CreateOwned(KQelSdkManager& pManager, KArrayTemplate<T*>& pList, const char* pPrefix, const char* pName)
{
    const KString name = KQelSdkManager::PrefixName(pPrefix, pName);
    return pList.Add(new T(pManager, name.Buffer()));
}

template <class T>
T* GetOwned(const KArrayTemplate<T*>& pList, int pIndex)
{
    return pIndex >= 0 && pIndex < pList.GetCount() ? pList.GetAt(pIndex) : nullptr;
}

template <class T>
void EndOwned(T* pObject)
{
    pObject->Destruct();
    delete pObject;
}

template <class T>
void DestroyOwned(KArrayTemplate<T*>& pList, int pIndex)
{
    if (pIndex < 0 || pIndex >= pList.GetCount())
        return;
    T* object = pList.GetAt(pIndex);
    pList.RemoveAt(pIndex);
    EndOwned(object);
}

template <class T>
void DestroyAllOwned(KArrayTemplate<T*>& pList)
{
    // Taken out one at a time, so an ending object never sees itself listed.
    while (pList.GetCount() > 0)
        DestroyOwned(pList, 0);
    pList.Clear();
}

}  // namespace

// ---- Construction and end ----

KQelScene::KQelScene(KQelSdkManager& pManager)
    : mManager(pManager),
      mEntity(new KQelEntity(pManager)),
      mCameraSwitcher(pManager.CreateKQelNode("Camera Switcher")),
      mLightSettings(nullptr),
      mCameraSettings(nullptr),
      mTimeSettings(nullptr),
      mSceneInfo(nullptr),
      mError(kSceneErrors, 1)
{
    CreateSettings();
}

KQelScene::~KQelScene()
{
    // A generic node keeps a pointer to its store and leaves it when it
    // ends: it must not keep one to a deleted store.
    ReleaseGenericNodes(false);
    delete mEntity;
    mEntity = nullptr;
    if (mCameraSwitcher)
        mManager.DestroyKQelNode(mCameraSwitcher, true);
    mCameraSwitcher = nullptr;
    if (mSceneInfo)
        mManager.DestroyKQelSceneInfo(mSceneInfo);
    mSceneInfo = nullptr;
    DestroyOwnedObjects();
    mPoses.Clear();
    DestroySettings();
    DeleteTakeInfos();
}

void KQelScene::Clear()
{
    KQelNode* root = GetRootNode();
    if (root) {
        // The switcher node is held apart from the tree; one that a reader
        // hung below the root must survive the tree's destruction.
        if (mCameraSwitcher && mCameraSwitcher != root) {
            for (KQelNode* node = mCameraSwitcher->GetParent(); node; node = node->GetParent()) {
                if (node == root) {
                    mCameraSwitcher->GetParent()->RemoveChild(mCameraSwitcher);
                    break;
                }
            }
        }
        while (int count = root->GetChildCount()) {
            KQelNode* child = root->GetChild(count - 1);
            root->RemoveChild(child);
            mManager.DestroyKQelNode(child, true);
        }
        while (root->GetTakeNodeCount() > 1)
            root->RemoveTakeNode(root->GetTakeNodeCount() - 1);
    }
    ResetSwitcherNode();
    if (mCameraSwitcher) {
        while (mCameraSwitcher->GetTakeNodeCount() > 1)
            mCameraSwitcher->RemoveTakeNode(mCameraSwitcher->GetTakeNodeCount() - 1);
    }
    if (mSceneInfo)
        mManager.DestroyKQelSceneInfo(mSceneInfo);
    mSceneInfo = nullptr;
    DestroyOwnedObjects();
    mPoses.Clear();
    ReleaseGenericNodes(true);
    RestoreSettings();
    mCurrentTakeName.Empty();
    DeleteTakeInfos();
}

void KQelScene::DeleteTakeInfos()
{
    for (int i = mTakeInfos.GetCount() - 1; i >= 0; --i)
        delete mTakeInfos.GetAt(i);
    mTakeInfos.Clear();
}

void KQelScene::ReleaseGenericNodes(bool pDestroy)
{
    // A snapshot of the distinct generic nodes: a generic node may be used
    // more than once, or be listed without pointing back at the store.
    std::vector<KQelGenericNode*> nodes;
    for (int i = 0, n = mEntity->GetGenericNodeCount(); i < n; ++i)
        nodes.push_back(mEntity->GetGenericNode(i));
    for (KQelGenericNode* node : nodes) {
        if (node->GetEntity() == mEntity)
            node->SetEntity(nullptr);
        while (mEntity->GetReferenceUseCount(KQelEntity::eGenericNodes, node) > 0)
            mEntity->RemoveGenericNode(node);
        if (pDestroy)
            mManager.DestroyKQelGenericNode(node);
    }
}

// ---- Structure ----

KQelNode* KQelScene::GetRootNode() const
{
    // Null while the scene is being destroyed, after its store.
    return mEntity ? mEntity->GetRootNode() : nullptr;
}

void KQelScene::ReplaceCameraSwitcher(KQelNode* pNode)
{
    // The node held already would be destroyed and kept.
    if (!pNode || pNode == mCameraSwitcher)
        return;
    if (mCameraSwitcher) {
        // A new switcher inside the old one's subtree leaves it first, or it
        // would be destroyed with it.
        for (KQelNode* node = pNode->GetParent(); node; node = node->GetParent()) {
            if (node == mCameraSwitcher) {
                pNode->GetParent()->RemoveChild(pNode);
                break;
            }
        }
        mManager.DestroyKQelNode(mCameraSwitcher, true);
    }
    mCameraSwitcher = pNode;
}

bool KQelScene::ValidateNewName(KQelObject& pObject, const char* pName)
{
    return mEntity->ValidateNewName(pObject, pName);
}

void KQelScene::FillTextureArray(KArrayTemplate<KQelTexture*>& pArray)
{
    pArray.Clear();
    for (int i = 0, n = mEntity->GetTextureCount(); i < n; ++i)
        pArray.Add(mEntity->GetTexture(i));
}

void KQelScene::FillMaterialArray(KArrayTemplate<KQelMaterial*>& pArray)
{
    pArray.Clear();
    for (int i = 0, n = mEntity->GetMaterialCount(); i < n; ++i)
        pArray.Add(mEntity->GetMaterial(i));
}

// ---- Generic nodes and deformers ----

int KQelScene::GetGenericNodeCount() const
{
    return mEntity->GetGenericNodeCount();
}

KQelGenericNode* KQelScene::GetGenericNode(int pIndex)
{
    return mEntity->GetGenericNode(pIndex);
}

bool KQelScene::AddGenericNode(KQelGenericNode* pNode)
{
    return pNode && pNode->SetEntity(mEntity);
}

bool KQelScene::RemoveGenericNode(KQelGenericNode* pNode)
{
    // A generic node of another scene stays where it is.
    return pNode && pNode->GetEntity() == mEntity && pNode->SetEntity(nullptr);
}

int KQelScene::GetDeformerCount(int pType) const
{
    return mEntity->GetDeformerCount(pType);
}

KQelDeformer* KQelScene::GetDeformer(int pIndex, int pType)
{
    return mEntity->GetDeformer(pIndex, pType);
}

KQelDeformer* KQelScene::GetDeformer(const char* pName)
{
    return mEntity->GetDeformer(pName);
}

bool KQelScene::AddDeformer(KQelDeformer* pDeformer)
{
    return mEntity->AddDeformer(pDeformer);
}

bool KQelScene::RemoveDeformer(KQelDeformer* pDeformer)
{
    return mEntity->RemoveDeformer(pDeformer);
}

// ---- Characters, control-set plugs and character poses ----

int KQelScene::CreateCharacter(const char* pName)
{
    return CreateOwned(mManager, mCharacters, "Constraint::", pName);
}

KQelCharacter* KQelScene::GetCharacter(int pIndex) const
{
    return GetOwned(mCharacters, pIndex);
}

void KQelScene::ForgetCharacterInput(KQelCharacter* pCharacter)
{
    // Characters of any scene may take this one as their input (a character
    // pose copies its source's), and reading that input dereferences it.
    for (int s = 0, scenes = mManager.GetKQelSceneCount(); s < scenes; ++s) {
        KQelScene* scene = mManager.GetKQelScene(s);
        for (int i = 0, n = scene->GetCharacterCount(); i < n; ++i)
            scene->GetCharacter(i)->ForgetInputObject(pCharacter);
    }
    // This scene itself, while it is being destroyed, is no longer listed.
    for (int i = 0, n = GetCharacterCount(); i < n; ++i)
        GetCharacter(i)->ForgetInputObject(pCharacter);
}

void KQelScene::DestroyCharacter(int pIndex)
{
    if (KQelCharacter* character = GetCharacter(pIndex)) {
        ForgetCharacterInput(character);
        DestroyOwned(mCharacters, pIndex);
    }
}

int KQelScene::CreateControlSetPlug(const char* pName)
{
    return CreateOwned(mManager, mControlSetPlugs, "ControlSetPlug::", pName);
}

KQelControlSetPlug* KQelScene::GetControlSetPlug(int pIndex) const
{
    return GetOwned(mControlSetPlugs, pIndex);
}

void KQelScene::DestroyControlSetPlug(int pIndex)
{
    DestroyOwned(mControlSetPlugs, pIndex);
}

int KQelScene::CreateCharacterPose(const char* pName)
{
    return CreateOwned(mManager, mCharacterPoses, "Pose::", pName);
}

KQelCharacterPose* KQelScene::GetCharacterPose(int pIndex) const
{
    return GetOwned(mCharacterPoses, pIndex);
}

void KQelScene::DestroyCharacterPose(int pIndex)
{
    DestroyOwned(mCharacterPoses, pIndex);
}

void KQelScene::DestroyOwnedObjects()
{
    while (GetCharacterCount() > 0)
        DestroyCharacter(0);
    mCharacters.Clear();
    DestroyAllOwned(mControlSetPlugs);
    DestroyAllOwned(mCharacterPoses);
}

// ---- Poses ----

KQelPose* KQelScene::GetPose(int pIndex) const
{
    return pIndex >= 0 && pIndex < mPoses.GetCount() ? mPoses.GetAt(pIndex) : nullptr;
}

bool KQelScene::AddPose(KQelPose* pPose)
{
    if (!pPose || mPoses.Find(pPose) >= 0)
        return false;
    mPoses.Add(pPose);
    return true;
}

bool KQelScene::RemovePose(KQelPose* pPose)
{
    return RemovePose(mPoses.Find(pPose));
}

bool KQelScene::RemovePose(int pIndex)
{
    if (pIndex < 0 || pIndex >= mPoses.GetCount())
        return false;
    mPoses.RemoveAt(pIndex);
    return true;
}

}  // namespace qelsdk_600
