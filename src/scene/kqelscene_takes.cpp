// The scene's take operations: walks over every animatable object.
#include <string_view>
#include <unordered_set>

#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace {

KQelTakeNodeContainer* AsContainer(KQelObject* pObject)
{
    return dynamic_cast<KQelTakeNodeContainer*>(pObject);
}

}  // namespace

template <class F>
bool KQelScene::ForEachTakeObject(F pVisit)
{
    if (mCameraSwitcher && !pVisit(static_cast<KQelTakeNodeContainer*>(mCameraSwitcher)))
        return false;
    // A switcher node the store lists too (a reader may adopt a node of the
    // tree) is visited once: twice, every take would exist already.
    for (int i = 0, n = mEntity->GetNodeCount(); i < n; ++i) {
        KQelNode* node = mEntity->GetNode(i);
        if (node != mCameraSwitcher && !pVisit(static_cast<KQelTakeNodeContainer*>(node)))
            return false;
    }
    // Textures and materials are reached as containers, so the walk needs no
    // more of their classes.
    for (KQelEntity::EReferenceKind kind : {KQelEntity::eTextures, KQelEntity::eMaterials}) {
        for (int i = 0, n = mEntity->GetReferenceCount(kind); i < n; ++i) {
            KQelTakeNodeContainer* container = AsContainer(mEntity->GetReferencedObject(kind, i));
            if (container && !pVisit(container))
                return false;
        }
    }
    for (int i = 0, n = mEntity->GetGenericNodeCount(); i < n; ++i) {
        if (!pVisit(static_cast<KQelTakeNodeContainer*>(mEntity->GetGenericNode(i))))
            return false;
    }
    return true;
}

template <class F>
bool KQelScene::TakeWalk(const char* pName, const char* pText, F pCall)
{
    bool ok = true;
    ForEachTakeObject([&](KQelTakeNodeContainer* pContainer) {
        ok = pCall(pContainer) && ok;
        return true;
    });
    if (!ok)
        mError.SetLastError(0, (KString(pText) + pName).Buffer());
    return ok;
}

bool KQelScene::CreateTake(const char* pName)
{
    const char* name = pName ? pName : "";
    return TakeWalk(name, "At least one node, texture or material already has a take called ",
                    [name](KQelTakeNodeContainer* pContainer) { return pContainer->CreateTakeNode(name) != nullptr; });
}

bool KQelScene::RemoveTake(const char* pName)
{
    const char* name = pName ? pName : "";
    return TakeWalk(name, "Not all nodes, textures and materials have a take called ",
                    [name](KQelTakeNodeContainer* pContainer) { return pContainer->RemoveTakeNode(name); });
}

bool KQelScene::SetCurrentTake(const char* pName)
{
    const char* name = pName ? pName : "";
    mCurrentTakeName = name;
    return TakeWalk(name, "Not all nodes have a take node called ",
                    [name](KQelTakeNodeContainer* pContainer) { return pContainer->SetCurrentTakeNode(name); });
}

void KQelScene::FillTakeNameArray(KArrayTemplate<KString*>& pArray)
{
    for (int i = pArray.GetCount() - 1; i >= 0; --i)
        delete pArray.GetAt(i);
    pArray.Clear();
    // The names met so far, viewed in the strings of the array.
    std::unordered_set<std::string_view> seen;
    ForEachTakeObject([&](KQelTakeNodeContainer* pContainer) {
        for (int i = 0, n = pContainer->GetTakeNodeCount(); i < n; ++i) {
            const char* name = pContainer->GetTakeNodeName(i);
            if (seen.count(name))
                continue;
            KString* copy = new KString(name);
            pArray.Add(copy);
            seen.insert(copy->Buffer());
        }
        return true;
    });
}

bool KQelScene::FindTakeName(const KString& pName)
{
    const bool walkedAll = ForEachTakeObject([&pName](KQelTakeNodeContainer* pContainer) {
        for (int i = 0, n = pContainer->GetTakeNodeCount(); i < n; ++i) {
            if (pName == pContainer->GetTakeNodeName(i))
                return false;
        }
        return true;
    });
    return !walkedAll;
}

bool KQelScene::SetTakeInfo(const KQelTakeInfo& pInfo)
{
    if (!FindTakeName(pInfo.mName))
        return false;
    if (KQelTakeInfo* stored = GetTakeInfo(pInfo.mName))
        *stored = pInfo;
    else
        mTakeInfos.Add(new KQelTakeInfo(pInfo));
    return true;
}

KQelTakeInfo* KQelScene::GetTakeInfo(const KString& pName) const
{
    for (int i = 0, n = mTakeInfos.GetCount(); i < n; ++i) {
        KQelTakeInfo* info = mTakeInfos.GetAt(i);
        if (info->mName == pName)
            return info;
    }
    return nullptr;
}

}  // namespace qelsdk_600
