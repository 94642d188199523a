#include "character/kqelcontrolset.h"

#include "character/kcharacter_impl.h"

namespace qelsdk_600 {

using detail::KCharacter_AddBackLink;
using detail::KCharacter_RemoveBackLink;

namespace {

// Ids compare without sign so that negative ones are refused too.
bool ValidNodeId(int pId)
{
    return static_cast<unsigned>(pId) < static_cast<unsigned>(kCharacterNodeIdCount);
}

bool ValidEffectorId(int pId)
{
    return static_cast<unsigned>(pId) < static_cast<unsigned>(kEffectorNodeIdCount);
}

bool ValidAuxSet(int pSet)
{
    return pSet >= eEffectorSetAux1 && pSet <= eEffectorSetAux14;
}

}  // namespace

KQelControlSet::KQelControlSet()
    : mOwner(nullptr), mType(EType(0)), mUseAxis(false), mLockTransform(false), mLock3DPick(false)
{
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        mEffectors[id].ResetToDefault(EEffectorNodeId(id));
        for (KQelNode*& node : mAux[id])
            node = nullptr;
    }
}

KQelControlSet::~KQelControlSet()
{
    Reset();
}

void KQelControlSet::Reset()
{
    mType = EType(0);
    mLockTransform = false;
    mLock3DPick = false;
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        if (KQelNode* node = mLinks[id].mNode) {
            KCharacter_RemoveBackLink(node, mOwner, detail::eBackLinkControlSetLink, id, 0);
            mLinks[id].Reset();
        }
    }
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        if (KQelNode* node = mEffectors[id].mNode)
            KCharacter_RemoveBackLink(node, mOwner, detail::eBackLinkEffector, id, 0);
        mEffectors[id].ResetToDefault(EEffectorNodeId(id));
        for (int set = 0; set < kEffectorAuxSetCount; ++set) {
            if (KQelNode* node = mAux[id][set]) {
                KCharacter_RemoveBackLink(node, mOwner, detail::eBackLinkEffectorAux, id, set);
                mAux[id][set] = nullptr;
            }
        }
    }
}

bool KQelControlSet::SetControlSetLink(ECharacterNodeId pId, const KQelControlSetLink& pLink)
{
    if (!ValidNodeId(pId))
        return false;
    KQelControlSetLink& link = mLinks[pId];
    if (link.mNode)
        KCharacter_RemoveBackLink(link.mNode, mOwner, detail::eBackLinkControlSetLink, pId, 0);
    if (!pLink.mNode && pLink.mTemplateName.IsEmpty()) {
        link.Reset();
        return true;
    }
    link = pLink;
    KCharacter_AddBackLink(link.mNode, mOwner, detail::eBackLinkControlSetLink, pId, 0);
    return true;
}

bool KQelControlSet::GetControlSetLink(ECharacterNodeId pId, KQelControlSetLink* pLink) const
{
    if (!ValidNodeId(pId))
        return false;
    const KQelControlSetLink& link = mLinks[pId];
    if (!link.mNode && link.mTemplateName.IsEmpty())
        return false;
    if (pLink)
        *pLink = link;
    return true;
}

bool KQelControlSet::SetEffector(EEffectorNodeId pId, KQelEffector pEffector)
{
    if (!ValidEffectorId(pId))
        return false;
    KQelEffector& effector = mEffectors[pId];
    if (effector.mNode)
        KCharacter_RemoveBackLink(effector.mNode, mOwner, detail::eBackLinkEffector, pId, 0);
    if (!pEffector.mNode) {
        effector.Reset();
        return true;
    }
    effector = pEffector;
    KCharacter_AddBackLink(effector.mNode, mOwner, detail::eBackLinkEffector, pId, 0);
    return true;
}

bool KQelControlSet::GetEffector(EEffectorNodeId pId, KQelEffector* pEffector) const
{
    if (!ValidEffectorId(pId) || !mEffectors[pId].mNode)
        return false;
    if (pEffector)
        *pEffector = mEffectors[pId];
    return true;
}

bool KQelControlSet::SetEffectorAux(EEffectorNodeId pId, KQelNode* pNode, EEffectorSetId pSet)
{
    if (!ValidEffectorId(pId) || !ValidAuxSet(pSet))
        return false;
    KQelNode*& slot = mAux[pId][pSet - 1];
    if (slot)
        KCharacter_RemoveBackLink(slot, mOwner, detail::eBackLinkEffectorAux, pId, pSet - 1);
    slot = pNode;
    KCharacter_AddBackLink(slot, mOwner, detail::eBackLinkEffectorAux, pId, pSet - 1);
    return true;
}

bool KQelControlSet::GetEffectorAux(EEffectorNodeId pId, KQelNode** pNode, EEffectorSetId pSet) const
{
    if (!ValidEffectorId(pId) || !ValidAuxSet(pSet) || !mAux[pId][pSet - 1])
        return false;
    if (pNode)
        *pNode = mAux[pId][pSet - 1];
    return true;
}

void KQelControlSet::ClearNodeSlot(int pKind, int pIndex, int pSubIndex, const KQelNode* pNode)
{
    KQelNode** slot = nullptr;
    if (pKind == detail::eBackLinkControlSetLink && ValidNodeId(pIndex))
        slot = &mLinks[pIndex].mNode;
    else if (pKind == detail::eBackLinkEffector && ValidEffectorId(pIndex))
        slot = &mEffectors[pIndex].mNode;
    else if (pKind == detail::eBackLinkEffectorAux && ValidEffectorId(pIndex) && pSubIndex >= 0 &&
             pSubIndex < kEffectorAuxSetCount)
        slot = &mAux[pIndex][pSubIndex];
    if (slot && *slot == pNode)
        *slot = nullptr;
}

}  // namespace qelsdk_600
