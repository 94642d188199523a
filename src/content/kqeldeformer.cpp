#include "content/kqeldeformer.h"

#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kDeformerErrors[] = {"Error"};

enum { kParentSlot = 3 };

}  // namespace

// ---- Property sets ----

QEL_CLASS_IDENTITY_DEFINE(KQelDeformerProperties, KQelPropertyHandler)

KQelDeformerProperties::KQelDeformerProperties(KQelDeformer* pOwner) : KQelOwnedPropertyHandler(pOwner) {}

KQelDeformerProperties::~KQelDeformerProperties() {}

KQelDeformer* KQelDeformerProperties::GetKQelDeformer()
{
    return static_cast<KQelDeformer*>(GetKQelObject());
}

KQelClusterDeformerProperties::KQelClusterDeformerProperties(KQelDeformer* pOwner) : KQelDeformerProperties(pOwner)
{
// A table of object lists alone leaves the pattern's set typedef unused.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-local-typedefs"
    QEL_PROPERTY_SET_REGISTER(QEL_CLUSTER_DEFORMER_PROPERTIES);
#pragma GCC diagnostic pop
}

// ---- Deformer ----

KQelDeformer::KQelDeformer(KQelSdkManager& pManager, const char* pName, const char* pTypeName)
    : KQelTakeNodeContainer(pManager, pName, &mError), mEntity(nullptr), mProperties(nullptr),
      mError(kDeformerErrors, 1), mMultiLayer(false), mDeformerType(eSkin), mDeformAccuracy(50.0),
      mLinkMode(KQelLink::eNormalize), mIndices(256), mWeights(256), mTransformParentSet(false)
{
    if (pTypeName && KString(pTypeName).CompareNoCase("cluster") == 0) {
        mDeformerType = eCluster;
        mProperties = new KQelClusterDeformerProperties(this);
    } else {
        mProperties = new KQelSkinDeformerProperties(this);
    }
    Init();
}

KQelDeformer::~KQelDeformer()
{
    mProperties->Destroy(0);
}

void KQelDeformer::Destruct()
{
    mProperties->Destruct();
}

KString KQelDeformer::GetTypeName()
{
    return KString(mProperties->GetTypeName());
}

KStringList KQelDeformer::GetTypeFlags()
{
    KStringList flags;
    flags.Add("Deformer", 0);
    return flags;
}

void KQelDeformer::AddChannels(KQelTakeNode* pTakeNode)
{
    for (int i = 0; i < mProperties->GetPropertyCount(); ++i) {
        KProperty* property = mProperties->GetProperty(i);
        if (property->IsAnimatable())
            CreateChannelsForProperty(property, pTakeNode);
    }
}

KQelUserProperty* KQelDeformer::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

int KQelDeformer::GetClassID() const
{
    return KQelDeformerProperties::ClassId;
}

void KQelDeformer::SetUserData(const KString& pUserDataID, const KString& pUserData)
{
    mUserDataID = pUserDataID;
    mUserData = pUserData;
}

void KQelDeformer::SetMatrixOf(int pSlot, const KQelXMatrix& pMatrix)
{
    mMatrix[pSlot] = pMatrix;
    if (pSlot == kParentSlot)
        mTransformParentSet = true;
}

KQelDeformer& KQelDeformer::operator=(KQelLink& pLink)
{
    if (mDeformerType != eCluster)
        return *this;
    mLinkMode = pLink.GetLinkMode();
    mUserDataID = pLink.GetUserDataID();
    mUserData = pLink.GetUserData();
    const int count = pLink.GetControlPointIndicesCount();
    mIndices.Clear();
    mWeights.Clear();
    for (int i = 0; i < count; ++i) {
        mIndices.Add(pLink.GetControlPointIndices()[i]);
        mWeights.Add(pLink.GetControlPointWeights()[i]);
    }
    KQelCopyTransformMatrices(*this, pLink);
    mTransformParentSet = pLink.IsTransformParentSet();
    return *this;
}

}  // namespace qelsdk_600
