#include "content/kqellink.h"

#include "content/kqeldeformer.h"

namespace qelsdk_600 {

namespace {

enum { kT = 0, kR = 1, kS = 2, kParentSlot = 3 };

}  // namespace

KQelLink::KQelLink() : mLink(nullptr), mLinkMode(eAdditive), mAssociateModel(nullptr), mTransformParentSet(false),
    mIndices(256), mWeights(256)
{
    Reset();
}

KQelLink::~KQelLink() {}

void KQelLink::Reset()
{
    mLink = nullptr;
    mAssociateModel = nullptr;
    mLinkName.Empty();
    mAssociateModelName.Empty();
    mUserDataID.Empty();
    mUserData.Empty();
    mLinkMode = eAdditive;
    for (KQelVector4(&transform)[3] : mTRS) {
        transform[kT].Set(0.0, 0.0, 0.0, 1.0);
        transform[kR].Set(0.0, 0.0, 0.0, 1.0);
        transform[kS].Set(1.0, 1.0, 1.0, 1.0);
    }
    mTransformParentSet = false;
    mIndices.Clear();
    mWeights.Clear();
}

void KQelLink::SetLink(KQelNode* pNode)
{
    if (!pNode)
        return;
    mLink = pNode;
    mLinkName = NodeName(pNode);
}

void KQelLink::SetAssociateModel(KQelNode* pNode)
{
    mAssociateModel = pNode;
    mAssociateModelName = NodeName(pNode);
}

KString KQelLink::GetAssociateModelName()
{
    if (mAssociateModel)
        mAssociateModelName = NodeName(mAssociateModel);
    return mAssociateModelName;
}

void KQelLink::SetLinkName(const KString& pName)
{
    mLink = nullptr;
    mLinkName = pName;
}

void KQelLink::SetAssociateModelName(const KString& pName)
{
    mAssociateModel = nullptr;
    mAssociateModelName = pName;
}

void KQelLink::SetUserData(const KString& pUserDataID, const KString& pUserData)
{
    mUserDataID = pUserDataID;
    mUserData = pUserData;
}

KString KQelLink::GetUserData(const KString& pUserDataID) const
{
    return mUserDataID.CompareNoCase(pUserDataID) == 0 ? mUserData : KString();
}

void KQelLink::SetTransformPart(int pSlot, int pPart, const KQelVector4& pVector)
{
    mTRS[pSlot][pPart] = pVector;
    if (pSlot == kParentSlot)
        mTransformParentSet = true;
}

void KQelLink::SetMatrixOf(int pSlot, const KQelXMatrix& pMatrix)
{
    SetTransformPart(pSlot, kR, pMatrix.GetR());
    SetTransformPart(pSlot, kT, pMatrix.GetT());
    SetTransformPart(pSlot, kS, pMatrix.GetS());
}

KQelXMatrix& KQelLink::GetMatrixOf(int pSlot, KQelXMatrix& pMatrix) const
{
    pMatrix.SetTRS(mTRS[pSlot][kT], mTRS[pSlot][kR], mTRS[pSlot][kS]);
    return pMatrix;
}

void KQelLink::AddControlPointIndex(int pIndex, double pWeight)
{
    if (pIndex < 0)
        return;
    mIndices.Add(pIndex);
    mWeights.Add(pWeight);
}

KQelLink& KQelLink::operator=(const KQelLink& pOther)
{
    if (this == &pOther)
        return *this;
    Reset();
    SetLink(pOther.mLink);
    SetAssociateModel(pOther.mAssociateModel);
    mUserDataID = pOther.mUserDataID;
    mUserData = pOther.mUserData;
    mLinkMode = pOther.mLinkMode;
    for (int slot = 0; slot < 4; ++slot) {
        for (int part = 0; part < 3; ++part)
            mTRS[slot][part] = pOther.mTRS[slot][part];
    }
    mTransformParentSet = pOther.mTransformParentSet;
    mIndices = pOther.mIndices;
    mWeights = pOther.mWeights;
    return *this;
}

KQelLink& KQelLink::operator=(const KQelDeformer& pDeformer)
{
    Reset();
    if (pDeformer.GetDeformerType() != KQelDeformer::eCluster)
        return *this;
    mLinkMode = pDeformer.GetLinkMode();
    mUserDataID = pDeformer.GetUserDataID();
    mUserData = pDeformer.GetUserData();
    // Deformer pairs come from files: only those AddControlPointIndex would
    // take.
    const KArrayTemplate<int>& indices = pDeformer.GetControlPointIndices();
    const KArrayTemplate<double>& weights = pDeformer.GetControlPointWeights();
    for (int i = 0; i < indices.GetCount(); ++i)
        AddControlPointIndex(indices[i], weights.GetAt(i));
    KQelCopyTransformMatrices(*this, pDeformer);
    mTransformParentSet = pDeformer.IsTransformParentSet();
    return *this;
}

}  // namespace qelsdk_600
