#include "character/kqelcharacter.h"

#include "character/kcharacter_impl.h"
#include "character/kqelcharacterproperties.h"
#include "character/kqelcontrolset.h"
#include "character/kqelfilterset.h"
#include "object/kpropertyobjectlist.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const sErrorTable[] = {"internal error"};

bool ValidNodeId(int pId)
{
    return static_cast<unsigned>(pId) < static_cast<unsigned>(kCharacterNodeIdCount);
}

bool IsSet(const KQelCharacterLink& pLink)
{
    return pLink.mNode || !pLink.mTemplateName.IsEmpty();
}

}  // namespace

KQelCharacter::KQelCharacter(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &mError), mProperties(nullptr), mError(sErrorTable, 1),
      mInputType(eCharacterInputNone), mInputObject(nullptr), mControlSet(new KQelControlSet),
      mFilterSet(new KQelFilterSet)
{
    mControlSet->mOwner = this;
    // The property set reads the filter set and binds the link properties;
    // the channels of Init are made from its properties.
    mProperties = new KQelCharacterProperties(this);
    Init();
}

KQelCharacter::~KQelCharacter()
{
    // The set goes first, while the character is whole: its link properties
    // let go of their nodes through the character.
    mProperties->Destroy(0);
    mProperties = nullptr;
    DropLinkProperties();
    Reset();
    delete mControlSet;
    delete mFilterSet;
}

void KQelCharacter::Destruct()
{
    mProperties->Destruct();
    DropLinkProperties();
}

void KQelCharacter::DropLinkProperties()
{
    for (KQelCharacterLink& link : mLinks)
        link.mLinkProperty = nullptr;
}

KQelPropertyHandler* KQelCharacter::GetPropertyHandler()
{
    return mProperties;
}

KString KQelCharacter::GetTypeName()
{
    return KString("Character");
}

KStringList KQelCharacter::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Character", 0);
    return flags;
}

void KQelCharacter::AddChannels(KQelTakeNode* pTakeNode)
{
    detail::KCharacter_AddAnimatableChannels(*this, *mProperties, pTakeNode);
}

KQelUserProperty* KQelCharacter::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

void KQelCharacter::Reset()
{
    SetInitialName("");
    mInputType = eCharacterInputNone;
    mInputObject = nullptr;
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelCharacterLink& link = mLinks[id];
        detail::KCharacter_RemoveBackLink(link.mNode, this, detail::eBackLinkCharacterLink, id, 0);
        // The link property stays bound but lets go of its connections, so
        // that a writer saving them does not bring the old links back.
        KPropertyObjectList* linkProperty = link.mLinkProperty;
        link.Reset();
        link.mLinkProperty = linkProperty;
        if (linkProperty)
            linkProperty->Clear();
    }
    mControlSet->Reset();
}

void KQelCharacter::SetInput(ECharacterInputType pType, KQelObject* pObject)
{
    mInputType = pType;
    mInputObject = nullptr;
    if (!pObject)
        return;
    if ((pType == eCharacterInputActor && pObject->GetNameSpace() == eConstraint) ||
        (pType == eCharacterInputCharacter && pObject->GetNameSpace() == eCharacter && pObject != this))
        mInputObject = pObject;
}

KQelObject* KQelCharacter::GetInputObject() const
{
    if (!mInputObject)
        return nullptr;
    ENameSpace nameSpace = mInputObject->GetNameSpace();
    if (mInputType == eCharacterInputActor && nameSpace == eConstraint)
        return mInputObject;
    if (mInputType == eCharacterInputCharacter && nameSpace == eCharacter && mInputObject != this)
        return mInputObject;
    return nullptr;
}

bool KQelCharacter::ForgetInputObject(const KQelObject* pObject)
{
    if (!pObject || mInputObject != pObject)
        return false;
    mInputObject = nullptr;
    return true;
}

bool KQelCharacter::SetCharacterLink(ECharacterNodeId pId, const KQelCharacterLink& pLink, bool pUpdate)
{
    if (!ValidNodeId(pId))
        return false;
    KQelCharacterLink& link = mLinks[pId];
    detail::KCharacter_RemoveBackLink(link.mNode, this, detail::eBackLinkCharacterLink, pId, 0);
    link = pLink;
    detail::KCharacter_AddBackLink(link.mNode, this, detail::eBackLinkCharacterLink, pId, 0);
    if (pUpdate && link.mLinkProperty) {
        // Replacing the property's object sends the disconnection and the
        // connection back through the property set, which ends at the same
        // link with one back-link.
        KObject* nodeSet = detail::KCharacter_PlugOfNode(link.mNode);
        if (nodeSet)
            link.mLinkProperty->SetAt(0, nodeSet);
        else
            link.mLinkProperty->Clear();
    }
    return true;
}

bool KQelCharacter::GetCharacterLink(ECharacterNodeId pId, KQelCharacterLink* pLink) const
{
    if (!ValidNodeId(pId) || !IsSet(mLinks[pId]))
        return false;
    if (pLink)
        *pLink = mLinks[pId];
    return true;
}

KQelCharacter& KQelCharacter::operator=(KQelCharacter& pOther)
{
    if (&pOther == this)
        return *this;
    KQelObject::operator=(pOther);
    SetInput(pOther.GetInputType(), pOther.GetInputObject());
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelCharacterLink link;
        if (pOther.GetCharacterLink(ECharacterNodeId(id), &link))
            SetCharacterLink(ECharacterNodeId(id), link, true);
    }

    const KQelFilterSet& source = *pOther.mFilterSet;
    for (int i = 0; i < KQelFilterSet::GetParameterCount(); ++i) {
        int target = KQelFilterSet::GetParameterIndex(KQelFilterSet::GetParameterName(i));
        mFilterSet->SetParameterMode(target, source.GetParameterMode(i));
        mFilterSet->SetParameterValue(target, source.GetParameterValue(i, 0), 0);
        if (KQelFilterSet::GetParameterValueType(i) == 1) {
            mFilterSet->SetParameterValue(target, source.GetParameterValue(i, 1), 1);
            mFilterSet->SetParameterValue(target, source.GetParameterValue(i, 2), 2);
        }
    }

    const KQelControlSet& controls = *pOther.mControlSet;
    mControlSet->SetType(controls.GetType());
    for (int id = 0; id < kCharacterNodeIdCount; ++id) {
        KQelControlSetLink link;
        if (controls.GetControlSetLink(ECharacterNodeId(id), &link))
            mControlSet->SetControlSetLink(ECharacterNodeId(id), link);
    }
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        KQelEffector effector;
        if (controls.GetEffector(EEffectorNodeId(id), &effector))
            mControlSet->SetEffector(EEffectorNodeId(id), effector);
    }
    for (int id = 0; id < kEffectorNodeIdCount; ++id) {
        KQelNode* node = nullptr;
        if (controls.GetEffectorAux(EEffectorNodeId(id), &node, eEffectorSetAux1))
            mControlSet->SetEffectorAux(EEffectorNodeId(id), node, eEffectorSetAux1);
    }
    return *this;
}

void KQelCharacter_ClearNodeSlot(KQelCharacter* pCharacter, int pKind, int pIndex, int pSubIndex,
                                 const KQelNode* pNode)
{
    if (!pCharacter)
        return;
    if (pKind == detail::eBackLinkCharacterLink) {
        if (ValidNodeId(pIndex) && pCharacter->mLinks[pIndex].mNode == pNode)
            pCharacter->mLinks[pIndex].mNode = nullptr;
        return;
    }
    pCharacter->mControlSet->ClearNodeSlot(pKind, pIndex, pSubIndex, pNode);
}

}  // namespace qelsdk_600
