#include "scene/kqelgenericnode.h"

#include "scene/kqelentity.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kGenericNodeErrors[] = {"Error"};

}  // namespace

// ---- KQelGenericNodeProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelGenericNodeProperties, KQelPropertyHandler)

KQelGenericNodeProperties::KQelGenericNodeProperties(KQelGenericNode* pOwner)
    : KQelOwnedPropertyHandler(pOwner), mGenericNode(pOwner)
{
}

KQelGenericNodeProperties::~KQelGenericNodeProperties() {}

// ---- KQelGenericNode ----

KQelGenericNode::KQelGenericNode(KQelSdkManager& pManager, const char* pName)
    : KQelTakeNodeContainer(pManager, pName, &mError),
      mEntity(nullptr),
      mProperties(new KQelGenericNodeProperties(this)),
      mError(kGenericNodeErrors, 1)
{
    Init();
}

KQelGenericNode::~KQelGenericNode()
{
    LeaveEntity();
    // The set goes before the takes: their curves then die with callback
    // records whose properties are already gone, which only unregister.
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelGenericNode::Destruct()
{
    mProperties->Destruct();
}

KString KQelGenericNode::GetTypeName()
{
    return KString("GenericNode");
}

KStringList KQelGenericNode::GetTypeFlags()
{
    KStringList flags;
    flags.Add("GenericNode", 0);
    return flags;
}

void KQelGenericNode::AddChannels(KQelTakeNode* pTakeNode)
{
    CreateChannelsForAnimatableProperties(*mProperties, pTakeNode);
}

bool KQelGenericNode::SetEntity(KQelEntity* pEntity)
{
    if (pEntity == mEntity)
        return true;
    LeaveEntity();
    mEntity = pEntity;
    if (mEntity)
        mEntity->AddGenericNode(this);
    return true;
}

void KQelGenericNode::LeaveEntity()
{
    if (!mEntity)
        return;
    // Every use goes: a store that kept one would hold this object after it
    // moved on or ended.
    for (int uses = mEntity->GetReferenceUseCount(KQelEntity::eGenericNodes, this); uses > 0; --uses)
        mEntity->RemoveGenericNode(this);
    mEntity = nullptr;
}

KQelUserProperty* KQelGenericNode::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

}  // namespace qelsdk_600
