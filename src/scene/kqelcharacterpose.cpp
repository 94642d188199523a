#include "scene/kqelcharacterpose.h"

#include <unordered_map>

#include "character/kqelcharacter.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

KQelCharacterPose::KQelCharacterPose(KQelSdkManager& pManager, const char* pName)
    : KQelObject(pManager, pName), mScene(pManager.CreateKQelScene())
{
    Reset();
}

KQelCharacterPose::~KQelCharacterPose()
{
    if (mScene)
        GetKQelSdkManager().DestroyKQelScene(mScene, true);
}

void KQelCharacterPose::Reset()
{
    if (!mScene)
        return;
    mScene->Clear();
    mScene->CreateCharacter("PoseCharacter");
}

KQelNode* KQelCharacterPose::GetRootNode() const
{
    return mScene ? mScene->GetRootNode() : nullptr;
}

KQelCharacter* KQelCharacterPose::GetCharacter() const
{
    return mScene ? mScene->GetCharacter(0) : nullptr;
}

KQelCharacterPose& KQelCharacterPose::operator=(KQelCharacterPose& pOther)
{
    // Copying a tree below its own root would never end.
    if (this == &pOther)
        return *this;
    KQelObject::operator=(pOther);
    CopyNode(pOther.GetRootNode(), GetRootNode());
    CopyCharacter(pOther.GetCharacter(), GetCharacter(), GetRootNode());
    return *this;
}

void KQelCharacterPose::CopyNode(KQelNode* pSource, KQelNode* pTarget)
{
    if (!pSource || !pTarget)
        return;
    // A target inside the source's tree would be walked while it grows.
    for (KQelNode* node = pTarget; node; node = node->GetParent()) {
        if (node == pSource)
            return;
    }
    // The source's subtree in the order of a recursive copy, each node's copy
    // hung below the copy of its parent.
    std::unordered_map<KQelNode*, KQelNode*> copies{{pSource, pTarget}};
    KQelSdkManager& manager = GetKQelSdkManager();
    KQelWalkTree(pSource, [&](KQelNode* pNode) {
        if (pNode == pSource)
            return eQelWalkDescend;
        KQelNode* copy = manager.CreateKQelNode(pNode->GetName());
        if (!copy)
            return eQelWalkSkipChildren;
        *copy = *pNode;
        copies[pNode->GetParent()]->AddChild(copy);
        copies[pNode] = copy;
        return eQelWalkDescend;
    });
}

namespace {

// The node below pRoot named as pNode (current names), or null.
KQelNode* Namesake(KQelNode* pRoot, const KQelNode* pNode)
{
    return pNode ? pRoot->FindChild(pNode->GetName(), true, false) : nullptr;
}

void CopyFilterSet(const KQelFilterSet& pSource, KQelFilterSet& pTarget)
{
    for (int i = 0, n = KQelFilterSet::GetParameterCount(); i < n; ++i) {
        const int target = pTarget.GetParameterIndex(KQelFilterSet::GetParameterName(i));
        if (target < 0)
            continue;
        pTarget.SetParameterMode(target, pSource.GetParameterMode(i));
        const int values = KQelFilterSet::GetParameterValueType(i) == 1 ? 3 : 1;
        for (int value = 0; value < values; ++value)
            pTarget.SetParameterValue(target, pSource.GetParameterValue(i, value), value);
    }
}

void CopyControlSet(const KQelControlSet& pSource, KQelControlSet& pTarget, KQelNode* pRoot)
{
    pTarget.SetType(pSource.GetType());
    pTarget.SetLockTransform(pSource.GetLockTransform());
    pTarget.SetLock3DPick(pSource.GetLock3DPick());
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelControlSetLink link;
        if (!pSource.GetControlSetLink(ECharacterNodeId(id), &link))
            continue;
        if (link.mNode)
            link.mNode = Namesake(pRoot, link.mNode);
        pTarget.SetControlSetLink(ECharacterNodeId(id), link);
    }
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        const EEffectorNodeId effectorId = EEffectorNodeId(id);
        KQelEffector effector;
        if (pSource.GetEffector(effectorId, &effector)) {
            if (KQelNode* node = Namesake(pRoot, effector.mNode)) {
                effector.mNode = node;
                pTarget.SetEffector(effectorId, effector);
            }
        }
        KQelNode* aux = nullptr;
        if (pSource.GetEffectorAux(effectorId, &aux, eEffectorSetAux1)) {
            if (KQelNode* node = Namesake(pRoot, aux))
                pTarget.SetEffectorAux(effectorId, node, eEffectorSetAux1);
        }
    }
}

}  // namespace

void KQelCharacterPose::CopyCharacter(KQelCharacter* pSource, KQelCharacter* pTarget, KQelNode* pRoot)
{
    if (!pSource || !pTarget || !pRoot)
        return;
    pTarget->SetInput(pSource->GetInputType(), pSource->GetInputObject());
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelCharacterLink link;
        if (!pSource->GetCharacterLink(ECharacterNodeId(id), &link))
            continue;
        KQelNode* node = Namesake(pRoot, link.mNode);
        if (!node)
            continue;
        KQelCharacterLink copy;
        copy.mNode = node;
        copy.mOffsetT = link.mOffsetT;
        copy.mOffsetR = link.mOffsetR;
        copy.mOffsetS = link.mOffsetS;
        pTarget->SetCharacterLink(ECharacterNodeId(id), copy, true);
    }
    CopyFilterSet(*pSource->GetFilterSet(), *pTarget->GetFilterSet());
    CopyControlSet(*pSource->GetControlSet(), *pTarget->GetControlSet(), pRoot);
}

}  // namespace qelsdk_600
