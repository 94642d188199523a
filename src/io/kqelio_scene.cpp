// What the io framework does with scene-model objects: take records, scene
// information, node names and the checks of the reader and writer bases.
// The scene itself is reached only through kqelio_sceneaccess.cpp.
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "io/kqelio_impl.h"
#include "io/kqelreader.h"
#include "io/kqelwriter.h"
#include "io/kstreamoptionsqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodefinder.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {

namespace io_detail {

KQelTakeInfo* CloneTakeInfo(const KQelTakeInfo& pSource)
{
    return new KQelTakeInfo(pSource);
}

void DeleteTakeInfo(KQelTakeInfo* pTakeInfo)
{
    delete pTakeInfo;
}

void DestroySceneInfo(KQelSdkManager& pManager, KQelSceneInfo*& pSceneInfo)
{
    if (pSceneInfo)
        pManager.DestroyKQelSceneInfo(pSceneInfo);
    pSceneInfo = nullptr;
}

KQelSceneInfo* CloneSceneInfo(KQelSdkManager& pManager, const KQelSceneInfo& pSource)
{
    KQelSceneInfo* copy = pManager.CreateKQelSceneInfo();
    if (copy)
        *copy = pSource;
    return copy;
}

bool CopySceneInfoInto(KQelSdkManager& pManager, KQelSceneInfo*& pTarget,
                       const KQelSceneInfo& pSource)
{
    if (!pTarget) {
        pTarget = CloneSceneInfo(pManager, pSource);
        return pTarget != nullptr;
    }
    *pTarget = pSource;
    return true;
}

void CopySceneInfoToScene(KQelSdkManager& pManager, KQelScene& pScene,
                          const KQelSceneInfo& pSource)
{
    KQelSceneInfo* held = GetSceneInfoOf(pScene);
    KQelSceneInfo* info = held;
    if (CopySceneInfoInto(pManager, info, pSource) && info != held)
        SetSceneInfoOf(pScene, info);
}

KQelSceneInfo* SettleSceneInfo(KQelSdkManager& pManager, KQelSceneInfo*& pScene,
                               KQelSceneInfo*& pOptions)
{
    if (pScene && pOptions) {
        *pScene = *pOptions;
        return nullptr;
    }
    if (pScene) {
        pOptions = CloneSceneInfo(pManager, *pScene);
        return pOptions;
    }
    if (pOptions)
        pScene = CloneSceneInfo(pManager, *pOptions);
    return nullptr;
}

KQelSceneInfo* SettleExportSceneInfo(KQelSdkManager& pManager, KQelScene& pScene,
                                     KStreamOptionsQel& pOptions)
{
    KQelSceneInfo* held = GetSceneInfoOf(pScene);
    KQelSceneInfo* info = held;
    KQelSceneInfo* made = SettleSceneInfo(pManager, info, pOptions.mSceneInfo);
    if (info != held)
        SetSceneInfoOf(pScene, info);
    return made;
}

KString GetNodeName(KQelNode* pNode)
{
    return pNode ? KString(pNode->GetName()) : KString();
}

KQelNode* FindSelectedOnlyChild(KQelNode* pRoot)
{
    if (!pRoot || pRoot->GetChildCount() != 1)
        return nullptr;
    for (KQelNode* node = pRoot->GetChild(0); node; node = node->GetChild(0)) {
        if (node->GetSelected())
            return node;
        if (node->GetChildCount() != 1)
            return nullptr;
    }
    return nullptr;
}

}  // namespace io_detail

bool KQelReader::CheckDuplicateNodeNames(KQelNode* pRoot, KString& pMessage)
{
    if (!pRoot)
        return true;
    KQelNodeFinderDuplicateName finder(nullptr);
    finder.SetState(0, true);
    finder.SetState(1, false);
    finder.SetState(2, false);
    finder.Apply(*pRoot);
    KArrayTemplate<KQelNode*>& duplicates = finder.GetDuplicateNodeArray();
    if (duplicates.GetCount() == 0)
        return true;
    // Names stay put during the check, so the set can point into them.
    std::unordered_set<std::string_view> listed;
    listed.reserve(static_cast<size_t>(duplicates.GetCount()));
    for (int i = 0, n = duplicates.GetCount(); i < n; ++i) {
        const char* name = duplicates[i]->GetName();
        if (!name)
            name = "";
        if (listed.insert(name).second) {
            pMessage += "\n    ";
            pMessage += name;
        }
    }
    return false;
}

KQelNode* KQelWriter::FindRootNode(KQelScene& pScene)
{
    return io_detail::FindSelectedOnlyChild(io_detail::GetSceneRootNode(pScene));
}

struct KQelWriter::PendingNodes {
    std::vector<KQelNode*> mNodes;
};

bool KQelWriter::CheckSpaceInNodeNameRecursive(KQelNode* pNode, KString& pMessage)
{
    if (!pNode)
        return true;
    bool result = true;
    const char* name = pNode->GetName();
    if (name && std::strpbrk(name, " \t\n")) {
        pMessage += "\n    ";
        pMessage += name;
        result = false;
    }
    // The children go through the virtual as a recursion would take them,
    // but from the work list of the outermost call, so that no tree depth
    // can exhaust the stack; pushed last to first, they are visited in the
    // recursion's order.
    const bool outermost = !mPendingNodes;
    PendingNodes walk;
    if (outermost)
        mPendingNodes = &walk;
    for (int i = pNode->GetChildCount() - 1; i >= 0; --i)
        mPendingNodes->mNodes.push_back(pNode->GetChild(i));
    if (!outermost)
        return result;
    while (!walk.mNodes.empty()) {
        KQelNode* child = walk.mNodes.back();
        walk.mNodes.pop_back();
        if (!CheckSpaceInNodeNameRecursive(child, pMessage))
            result = false;
    }
    mPendingNodes = nullptr;
    return result;
}

}  // namespace qelsdk_600
