// The node's transform state: defaults, pivot-set fields, matrices of the
// takes with their caches, states, take sync, and the copy between the pivot
// sets and limits and the properties.
#include <algorithm>
#include <cmath>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "math/kmfunctions.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"

namespace qelsdk_600 {

namespace {

typedef KPropertyTemplate<KgeTVector> KQelNodeProperties::*VectorMember;
typedef KPropertyTemplate<bool> KQelNodeProperties::*BoolMember;

// The pivot vectors: the property, the pivot-set field, the neutral value.
struct PivotVector {
    VectorMember mProperty;
    KQelVector4 KQelPivot::*mField;
    double mNeutral;
};
const PivotVector kPivotVectors[] = {
    {&KQelNodeProperties::RotationOffset, &KQelPivot::mRotationOffset, 0.0},
    {&KQelNodeProperties::RotationPivot, &KQelPivot::mRotationPivot, 0.0},
    {&KQelNodeProperties::RotationPivotUpdateOffset, &KQelPivot::mRotationPivotUpdateOffset, 0.0},
    {&KQelNodeProperties::ScalingOffset, &KQelPivot::mScalingOffset, 0.0},
    {&KQelNodeProperties::ScalingPivot, &KQelPivot::mScalingPivot, 0.0},
    {&KQelNodeProperties::ScalingPivotUpdateOffset, &KQelPivot::mScalingPivotUpdateOffset, 0.0},
    {&KQelNodeProperties::PreRotation, &KQelPivot::mPreRotation, 0.0},
    {&KQelNodeProperties::PostRotation, &KQelPivot::mPostRotation, 0.0},
    {&KQelNodeProperties::GeometricTranslation, &KQelPivot::mGeometricTranslation, 0.0},
    {&KQelNodeProperties::GeometricRotation, &KQelPivot::mGeometricRotation, 0.0},
    {&KQelNodeProperties::GeometricScaling, &KQelPivot::mGeometricScaling, 1.0},
};

// The limit properties of one kind and where the node's limits keep them.
struct LimitProperties {
    BoolMember mActive;
    VectorMember mMin;
    VectorMember mMax;
    BoolMember mMinActive[3];
    BoolMember mMaxActive[3];
    KQelLimits KQelNodeLimits::*mLimits;
    bool (KQelNodeLimits::*mGetActive)() const;
    void (KQelNodeLimits::*mSetActive)(bool);
};
typedef KQelNodeProperties P;
const LimitProperties kLimitProperties[] = {
    {&P::TranslationActive, &P::TranslationMin, &P::TranslationMax,
     {&P::TranslationMinX, &P::TranslationMinY, &P::TranslationMinZ},
     {&P::TranslationMaxX, &P::TranslationMaxY, &P::TranslationMaxZ}, &KQelNodeLimits::mTranslationLimits,
     &KQelNodeLimits::GetTranslationLimitActive, &KQelNodeLimits::SetTranslationLimitActive},
    {&P::RotationActive, &P::RotationMin, &P::RotationMax,
     {&P::RotationMinX, &P::RotationMinY, &P::RotationMinZ},
     {&P::RotationMaxX, &P::RotationMaxY, &P::RotationMaxZ}, &KQelNodeLimits::mRotationLimits,
     &KQelNodeLimits::GetRotationLimitActive, &KQelNodeLimits::SetRotationLimitActive},
    {&P::ScalingActive, &P::ScalingMin, &P::ScalingMax, {&P::ScalingMinX, &P::ScalingMinY, &P::ScalingMinZ},
     {&P::ScalingMaxX, &P::ScalingMaxY, &P::ScalingMaxZ}, &KQelNodeLimits::mScalingLimits,
     &KQelNodeLimits::GetScalingLimitActive, &KQelNodeLimits::SetScalingLimitActive},
};

// Vector properties Reset sets to (0, 0, 0) besides the pivot vectors.
const VectorMember kLimitVectors[] = {&P::TranslationMin, &P::TranslationMax, &P::RotationMin,
                                      &P::RotationMax,    &P::ScalingMin,     &P::ScalingMax};

const double kUsedTolerance = 1e-6;

bool Differs(double pA, double pB)
{
    return std::fabs(pA - pB) > kUsedTolerance;
}

KgeTVector ToProperty(const KQelVector4& pVector)
{
    return KgeTVector(pVector[0], pVector[1], pVector[2], 1.0);
}

KQelVector4 FromProperty(const KgeTVector& pVector)
{
    return KQelVector4(pVector.mData[0], pVector.mData[1], pVector.mData[2], pVector.mData[3]);
}

int CurveCount(const KFCurveNode* pNode)
{
    int count = pNode->FCurveGet() ? 1 : 0;
    for (int i = 0, n = pNode->GetCount(); i < n; ++i)
        count += CurveCount(pNode->Get(i));
    return count;
}

// The first three values of a "T", "R" or "S" curve node (default values, or
// evaluated at a time with a key-index cache) over pValues; a node missing
// or with fewer values leaves the rest of pValues as they were.
void ReadChannel(KFCurveNode* pNode, bool pEvaluate, KTime pTime, int* pLast, double* pValues)
{
    if (!pNode)
        return;
    std::vector<double> buffer(static_cast<std::size_t>(std::max(pNode->GetValueCount(), CurveCount(pNode))) + 3, 0.0);
    const double* end = pEvaluate ? pNode->CandidateEvaluate(buffer.data(), pTime, pLast) : pNode->GetValue(buffer.data());
    const long written = static_cast<long>(end - buffer.data());
    for (long i = 0; i < 3 && i < written; ++i)
        pValues[i] = buffer[static_cast<std::size_t>(i)];
}

}  // namespace

// ---- Defaults ----

namespace {

// The default (x, y, z) of one of the node's vector user properties.
void SetDefaultVector(KQelNode& pNode, const char* pName, const KQelVector4& pValue)
{
    if (KQelUserProperty* property = pNode.FindPropertyByName(pName))
        property->SetDefaultValue(pValue[0], pValue[1], pValue[2]);
}

KQelVector4& GetDefaultVector(KQelNode& pNode, const char* pName, KQelVector4& pValue)
{
    if (KQelUserProperty* property = pNode.FindPropertyByName(pName))
        property->GetDefaultValue(pValue[0], pValue[1], pValue[2]);
    return pValue;
}

}  // namespace

void KQelNode::SetDefaultT(const KQelVector4& pValue)
{
    SetDefaultVector(*this, "Lcl Translation", pValue);
}

KQelVector4& KQelNode::GetDefaultT(KQelVector4& pValue)
{
    return GetDefaultVector(*this, "Lcl Translation", pValue);
}

void KQelNode::SetDefaultR(const KQelVector4& pValue)
{
    SetDefaultVector(*this, "Lcl Rotation", pValue);
}

KQelVector4& KQelNode::GetDefaultR(KQelVector4& pValue)
{
    return GetDefaultVector(*this, "Lcl Rotation", pValue);
}

void KQelNode::SetDefaultS(const KQelVector4& pValue)
{
    SetDefaultVector(*this, "Lcl Scaling", pValue);
}

KQelVector4& KQelNode::GetDefaultS(KQelVector4& pValue)
{
    return GetDefaultVector(*this, "Lcl Scaling", pValue);
}

void KQelNode::SetDefaultVisibility(double pVisibility)
{
    if (KQelUserProperty* property = FindPropertyByName("Visibility"))
        property->SetDefaultValue(pVisibility);
}

double KQelNode::GetDefaultVisibility()
{
    double visibility = 1.0;
    if (KQelUserProperty* property = FindPropertyByName("Visibility"))
        property->GetDefaultValue(visibility);
    return visibility;
}

void KQelNode::SetTransformationInheritType(ETransformInheritType pType)
{
    mProperties->InheritType.SetValue(pType);
}

void KQelNode::GetTransformationInheritType(ETransformInheritType& pType) const
{
    pType = mProperties->InheritType.GetValue();
}

// ---- Node-wide rotation settings ----

void KQelNode::SetRotationActive(bool pActive)
{
    GetLimits().SetRotationLimitActive(pActive);
}

KQelNodeLimits& KQelNode::GetLimits()
{
    if (!mLimits) {
        // As constructed with the node: every flag off, the property false
        // already.
        mLimits = new KQelNodeLimits(nullptr);
        mLimits->mLimitedNode = this;
    }
    return *mLimits;
}

const KQelNodeLimits& KQelNode::GetLimits() const
{
    return const_cast<KQelNode*>(this)->GetLimits();
}

const KQelNodeLimits& KQelNode::ReadLimits() const
{
    static const KQelNodeLimits kConstructed(nullptr);
    return mLimits ? *mLimits : kConstructed;
}

void KQelNode::SetRotationActiveProperty(bool pActive)
{
    mProperties->RotationActive.SetValue(pActive);
}

bool KQelNode::GetRotationActive() const
{
    return mProperties->RotationActive.GetValue();
}

void KQelNode::SetUseQuaternionForInterpolation(bool pUse)
{
    mProperties->QuaternionInterpolate.Set(pUse);
}

bool KQelNode::GetUseQuaternionForInterpolation() const
{
    return mProperties->QuaternionInterpolate.Get();
}

void KQelNode::SetRotationStiffness(KQelVector4 pStiffness)
{
    mProperties->RotationStiffnessX.Set(pStiffness[0]);
    mProperties->RotationStiffnessY.Set(pStiffness[1]);
    mProperties->RotationStiffnessZ.Set(pStiffness[2]);
}

KQelVector4 KQelNode::GetRotationStiffness() const
{
    return KQelVector4(mProperties->RotationStiffnessX.Get(), mProperties->RotationStiffnessY.Get(),
                       mProperties->RotationStiffnessZ.Get(), 1.0);
}

// ---- Pivot sets ----

const KQelPivot& KQelNode::ReadPivot(EPivotSet pSet) const
{
    return static_cast<const KQelNodeProperties*>(mProperties)->GetPivot(pSet);
}

void KQelNode::SetPivotState(EPivotSet pSet, EPivotState pState)
{
    mProperties->GetPivot(pSet).mPivotState = pState;
}

void KQelNode::GetPivotState(EPivotSet pSet, EPivotState& pState) const
{
    pState = ReadPivot(pSet).mPivotState;
}

void KQelNode::SetRotationOrder(EPivotSet pSet, ERotationOrder pOrder)
{
    mProperties->GetPivot(pSet).mRotationOrder = pOrder;
}

void KQelNode::GetRotationOrder(EPivotSet pSet, ERotationOrder& pOrder) const
{
    pOrder = ReadPivot(pSet).mRotationOrder;
}

void KQelNode::SetUseRotationSpaceForLimitOnly(EPivotSet pSet, bool pUse)
{
    mProperties->GetPivot(pSet).mUseRotationSpaceForLimitOnly = pUse;
}

bool KQelNode::GetUseRotationSpaceForLimitOnly(EPivotSet pSet) const
{
    return ReadPivot(pSet).mUseRotationSpaceForLimitOnly;
}

#define QEL_PIVOT_VECTOR_ACCESSORS(Name, Field)                                      \
    void KQelNode::Set##Name(EPivotSet pSet, KQelVector4 pVector)                    \
    {                                                                                \
        mProperties->GetPivot(pSet).Field = pVector;                                 \
    }                                                                                \
    KQelVector4 KQelNode::Get##Name(EPivotSet pSet) const { return ReadPivot(pSet).Field; }

QEL_PIVOT_VECTOR_ACCESSORS(RotationOffset, mRotationOffset)
QEL_PIVOT_VECTOR_ACCESSORS(RotationPivot, mRotationPivot)
QEL_PIVOT_VECTOR_ACCESSORS(RotationPivotUpdateOffset, mRotationPivotUpdateOffset)
QEL_PIVOT_VECTOR_ACCESSORS(PreRotation, mPreRotation)
QEL_PIVOT_VECTOR_ACCESSORS(PostRotation, mPostRotation)
QEL_PIVOT_VECTOR_ACCESSORS(ScalingOffset, mScalingOffset)
QEL_PIVOT_VECTOR_ACCESSORS(ScalingPivot, mScalingPivot)
QEL_PIVOT_VECTOR_ACCESSORS(ScalingPivotUpdateOffset, mScalingPivotUpdateOffset)
QEL_PIVOT_VECTOR_ACCESSORS(GeometricTranslation, mGeometricTranslation)
QEL_PIVOT_VECTOR_ACCESSORS(GeometricRotation, mGeometricRotation)
QEL_PIVOT_VECTOR_ACCESSORS(GeometricScaling, mGeometricScaling)

#undef QEL_PIVOT_VECTOR_ACCESSORS

// ---- Matrices from takes ----

void KQelNode::BuildLocal(KFCurveNode* pRoot, bool pEvaluate, KTime pTime, KQelTRSCache& pCache)
{
    static const char* const kNames[] = {"T", "R", "S"};
    double trs[3][3] = {{0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}};
    for (int i = 0; i < 3; ++i) {
        KFCurveNode* node = pRoot ? pRoot->FindRecursive(kNames[i]) : nullptr;
        ReadChannel(node, pEvaluate, pTime, &pCache.mKeyIndex[i], trs[i]);
    }
    KgeAMatrix& m = pCache.mLocalMatrix;
    KmXYZtoR(m, trs[1][0], trs[1][1], trs[1][2]);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            m[row][column] *= trs[2][row];
        m[3][row] = trs[0][row];
    }
}

KQelXMatrix& KQelNode::GetLocalFromDefaultTake()
{
    KQelTRSCache& cache = GetCaches().mDefaultTake;
    if (!cache.mLocalValid) {
        KQelTakeNode* take = GetDefaultTakeNode();
        BuildLocal(take ? take->GetKFCurveNode() : nullptr, false, KTime(), cache);
        cache.mLocalValid = true;
    }
    return cache.mLocalMatrix;
}

KQelXMatrix& KQelNode::GetLocalFromCurrentTake(KTime pTime)
{
    KQelTRSCache& cache = GetCaches().mCurrentTake;
    if (!cache.mLocalValid || cache.mLocalTime != pTime) {
        const int index = GetCurrentTakeNodeIndex();
        KQelTakeNode* take = index >= 0 && index < GetTakeNodeCount() ? GetTakeNode(index) : nullptr;
        BuildLocal(take ? take->GetKFCurveNode() : nullptr, true, pTime, cache);
        cache.mLocalTime = pTime;
        cache.mLocalValid = true;
    }
    return cache.mLocalMatrix;
}

KQelXMatrix& KQelNode::GetGlobalFromDefaultTake()
{
    // Ancestors first, on an explicit list: a deep chain must not recurse.
    std::vector<KQelNode*> chain;
    for (KQelNode* node = this; node && !node->GetCaches().mDefaultTake.mGlobalValid; node = node->GetParent())
        chain.push_back(node);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        KQelNode* node = *it;
        KQelTRSCache& cache = node->GetCaches().mDefaultTake;
        KQelXMatrix local = node->GetLocalFromDefaultTake();
        if (KQelNode* parent = node->GetParent())
            ComputeGlobalMatrixQelStyle(cache.mGlobalMatrix, parent->GetCaches().mDefaultTake.mGlobalMatrix, local);
        else
            cache.mGlobalMatrix = local;
        cache.mGlobalValid = true;
    }
    return GetCaches().mDefaultTake.mGlobalMatrix;
}

KQelXMatrix& KQelNode::GetGlobalFromCurrentTake(KTime pTime)
{
    std::vector<KQelNode*> chain;
    for (KQelNode* node = this; node; node = node->GetParent()) {
        const KQelTRSCache& cache = node->GetCaches().mCurrentTake;
        if (cache.mGlobalValid && cache.mGlobalTime == pTime)
            break;
        chain.push_back(node);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        KQelNode* node = *it;
        KQelTRSCache& cache = node->GetCaches().mCurrentTake;
        KQelXMatrix local = node->GetLocalFromCurrentTake(pTime);
        if (KQelNode* parent = node->GetParent())
            ComputeGlobalMatrixQelStyle(cache.mGlobalMatrix, parent->GetCaches().mCurrentTake.mGlobalMatrix, local);
        else
            cache.mGlobalMatrix = local;
        cache.mGlobalTime = pTime;
        cache.mGlobalValid = true;
    }
    return GetCaches().mCurrentTake.mGlobalMatrix;
}

// ---- States ----

void KQelNode::ComputeLocalMatrixQelStyle(KQelXMatrix& pLocal, KQelXMatrix& pParentGlobal, KQelXMatrix& pGlobal)
{
    KmAiA(static_cast<KgeAMatrix&>(pLocal), static_cast<KgeAMatrix&>(pParentGlobal),
          static_cast<KgeAMatrix&>(pGlobal));
}

void KQelNode::ComputeGlobalMatrixQelStyle(KQelXMatrix& pGlobal, KQelXMatrix& pParentGlobal, KQelXMatrix& pLocal)
{
    KmAA(static_cast<KgeAMatrix&>(pGlobal), static_cast<KgeAMatrix&>(pParentGlobal),
         static_cast<KgeAMatrix&>(pLocal));
}

void KQelNode::SetLocalStateId(unsigned int pId, bool pRecursive)
{
    KQelWalkTree(this, [pId, pRecursive](KQelNode* pNode) {
        pNode->GetCaches().mLocal.mId = pId;
        return pRecursive ? eQelWalkDescend : eQelWalkStop;
    });
}

void KQelNode::SetGlobalStateId(unsigned int pId, bool pRecursive)
{
    KQelWalkTree(this, [pId, pRecursive](KQelNode* pNode) {
        pNode->GetCaches().mGlobal.mId = pId;
        return pRecursive ? eQelWalkDescend : eQelWalkStop;
    });
}

void KQelNode::ComputeLocalState(unsigned int pId, bool pRecursive)
{
    KQelWalkTree(this, [pId, pRecursive, this](KQelNode* pNode) {
        if (pNode->GetCaches().mLocal.mId == pId)
            return eQelWalkSkipChildren;
        pNode->GetCaches().mLocal.mId = pId;
        if (KQelNode* parent = pNode->GetParent())
            ComputeLocalMatrixQelStyle(pNode->GetCaches().mLocal.mMatrix, parent->GetCaches().mGlobal.mMatrix,
                                       pNode->GetCaches().mGlobal.mMatrix);
        else
            pNode->GetCaches().mLocal.mMatrix = pNode->GetCaches().mGlobal.mMatrix;
        return pRecursive || pNode != this ? eQelWalkDescend : eQelWalkStop;
    });
}

void KQelNode::ComputeGlobalState(unsigned int pId, bool pRecursive)
{
    if (GetCaches().mGlobal.mId == pId)
        return;
    // The parent's state is brought up to pId first, ancestors first.
    std::vector<KQelNode*> chain;
    for (KQelNode* node = this; node && node->GetCaches().mGlobal.mId != pId; node = node->GetParent())
        chain.push_back(node);
    auto compute = [pId](KQelNode* pNode) {
        pNode->GetCaches().mGlobal.mId = pId;
        if (KQelNode* parent = pNode->GetParent())
            ComputeGlobalMatrixQelStyle(pNode->GetCaches().mGlobal.mMatrix, parent->GetCaches().mGlobal.mMatrix,
                                        pNode->GetCaches().mLocal.mMatrix);
        else
            pNode->GetCaches().mGlobal.mMatrix = pNode->GetCaches().mLocal.mMatrix;
    };
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        compute(*it);
    if (!pRecursive)
        return;
    KQelWalkTree(this, [pId, compute, this](KQelNode* pNode) {
        if (pNode == this)
            return eQelWalkDescend;
        if (pNode->GetCaches().mGlobal.mId == pId)
            return eQelWalkSkipChildren;
        compute(pNode);
        return eQelWalkDescend;
    });
}

// ---- Take sync ----

namespace {

// Runs pStep on the node, or on its whole subtree, parents first.
template <class F>
void ForSubtree(KQelNode* pNode, bool pRecursive, F pStep)
{
    KQelWalkTree(pNode, [&](KQelNode* pVisited) {
        pStep(pVisited);
        return pRecursive ? eQelWalkDescend : eQelWalkStop;
    });
}

}  // namespace

void KQelNode::SetLocalStateFromDefaultTake(bool pRecursive)
{
    ForSubtree(this, pRecursive, [](KQelNode* pNode) { pNode->GetCaches().mLocal.mMatrix = pNode->GetLocalFromDefaultTake(); });
}

void KQelNode::SetLocalStateFromCurrentTake(KTime pTime, bool pRecursive)
{
    ForSubtree(this, pRecursive, [pTime](KQelNode* pNode) {
        if (pNode->GetCurrentTakeNodeIndex() == 0)
            pNode->GetCaches().mLocal.mMatrix = pNode->GetLocalFromDefaultTake();
        else
            pNode->GetCaches().mLocal.mMatrix = pNode->GetLocalFromCurrentTake(pTime);
    });
}

void KQelNode::SetDefaultTakeFromLocalState(bool pRecursive)
{
    ForSubtree(this, pRecursive, [](KQelNode* pNode) {
        const KQelXMatrix& local = pNode->GetCaches().mLocal.mMatrix;
        pNode->SetDefaultT(local.GetT());
        pNode->SetDefaultR(local.GetR());
        pNode->SetDefaultS(local.GetS());
    });
}

void KQelNode::SetCurrentTakeFromLocalState(KTime pTime, bool pRecursive)
{
    ForSubtree(this, pRecursive, [pTime](KQelNode* pNode) {
        const int index = pNode->GetCurrentTakeNodeIndex();
        if (index < 0 || index >= pNode->GetTakeNodeCount())
            return;
        KQelTakeNode* take = pNode->GetTakeNode(index);
        const KQelXMatrix& local = pNode->GetCaches().mLocal.mMatrix;
        const KQelVector4 parts[3] = {local.GetT(), local.GetR(), local.GetS()};
        for (int i = 0; i < 9; ++i) {
            KFCurve* curve = take->GetChannel(static_cast<KQelTakeNode::EChannel>(KQelTakeNode::eTranslationX + i));
            if (!curve)
                continue;
            const float value = static_cast<float>(parts[i / 3][i % 3]);
            if (index == 0)
                curve->SetValue(value);
            else if (const int key = curve->KeyInsert(pTime); key >= 0)
                curve->KeySetValue(key, value);
        }
    });
}

// ---- Properties, pivot sets and limits ----

void KQelNode::Reset()
{
    KQelNodeProperties& p = *mProperties;
    for (const PivotVector& vector : kPivotVectors)
        (p.*vector.mProperty).SetValue(KgeTVector(vector.mNeutral, vector.mNeutral, vector.mNeutral, 1.0));
    for (VectorMember vector : kLimitVectors)
        (p.*vector).SetValue(KgeTVector());
    for (const LimitProperties& limit : kLimitProperties) {
        (p.*limit.mActive).SetValue(false);
        for (int i = 0; i < 3; ++i) {
            (p.*limit.mMinActive[i]).SetValue(false);
            (p.*limit.mMaxActive[i]).SetValue(false);
        }
    }
    p.RotationSpaceForLimitOnly.SetValue(false);
    p.RotationOrder.SetValue(eEulerXYZ);
    p.InheritType.SetValue(eInheritRrSs);
    p.AxisLen.SetValue(0.0);
    p.QuaternionInterpolate.Set(false);
    p.RotationStiffnessX.Set(0.0);
    p.RotationStiffnessY.Set(0.0);
    p.RotationStiffnessZ.Set(0.0);
    p.ResetPivots();
}

void KQelNode::UpdatePivotsAndLimitsFromProperties()
{
    KQelNodeProperties& p = *mProperties;
    bool used = p.RotationOrder.GetValue() != eEulerXYZ;
    for (const PivotVector& vector : kPivotVectors) {
        const KgeTVector& value = (p.*vector.mProperty).GetValue();
        for (int i = 0; i < 3; ++i)
            used = used || Differs(value.mData[i], vector.mNeutral);
    }
    if (used) {
        KQelPivot& source = p.GetPivot(eSourcePivot);
        for (const PivotVector& vector : kPivotVectors)
            source.*vector.mField = FromProperty((p.*vector.mProperty).GetValue());
        source.mRotationOrder = p.RotationOrder.GetValue();
        source.mUseRotationSpaceForLimitOnly = p.RotationSpaceForLimitOnly.GetValue();
        source.mPivotState = eQelPivotActive;
        source.mGlobalMatrixValid = false;
        p.GetPivot(eDestinationPivot).Reset();
    }

    bool differs = false;
    for (const LimitProperties& limit : kLimitProperties) {
        const KQelLimits& limits = ReadLimits().*limit.mLimits;
        bool minActive[3], maxActive[3];
        limits.GetLimitMinActive(minActive[0], minActive[1], minActive[2]);
        limits.GetLimitMaxActive(maxActive[0], maxActive[1], maxActive[2]);
        differs = differs || (p.*limit.mActive).GetValue() != (ReadLimits().*limit.mGetActive)();
        for (int i = 0; i < 3; ++i) {
            differs = differs || (p.*limit.mMinActive[i]).GetValue() != minActive[i] ||
                      (p.*limit.mMaxActive[i]).GetValue() != maxActive[i] ||
                      Differs((p.*limit.mMin).GetValue().mData[i], limits.GetLimitMin()[i]) ||
                      Differs((p.*limit.mMax).GetValue().mData[i], limits.GetLimitMax()[i]);
        }
    }
    if (!differs)
        return;
    for (const LimitProperties& limit : kLimitProperties) {
        KQelLimits& limits = GetLimits().*limit.mLimits;
        (GetLimits().*limit.mSetActive)((p.*limit.mActive).GetValue());
        limits.SetLimitMinActive((p.*limit.mMinActive[0]).GetValue(), (p.*limit.mMinActive[1]).GetValue(),
                                 (p.*limit.mMinActive[2]).GetValue());
        limits.SetLimitMaxActive((p.*limit.mMaxActive[0]).GetValue(), (p.*limit.mMaxActive[1]).GetValue(),
                                 (p.*limit.mMaxActive[2]).GetValue());
        KQelVector4 min = limits.GetLimitMin(), max = limits.GetLimitMax();
        for (int i = 0; i < 3; ++i) {
            min[i] = (p.*limit.mMin).GetValue().mData[i];
            max[i] = (p.*limit.mMax).GetValue().mData[i];
        }
        limits.SetLimitMin(min);
        limits.SetLimitMax(max);
    }
}

void KQelNode::UpdatePropertiesFromPivotsAndLimits()
{
    KQelNodeProperties& p = *mProperties;
    const KQelPivot& source = ReadPivot(eSourcePivot);
    for (const PivotVector& vector : kPivotVectors)
        (p.*vector.mProperty).SetValue(ToProperty(source.*vector.mField));
    p.RotationOrder.SetValue(source.mRotationOrder);
    p.RotationSpaceForLimitOnly.SetValue(source.mUseRotationSpaceForLimitOnly);
    for (const LimitProperties& limit : kLimitProperties) {
        const KQelLimits& limits = ReadLimits().*limit.mLimits;
        bool minActive[3], maxActive[3];
        limits.GetLimitMinActive(minActive[0], minActive[1], minActive[2]);
        limits.GetLimitMaxActive(maxActive[0], maxActive[1], maxActive[2]);
        (p.*limit.mActive).SetValue((ReadLimits().*limit.mGetActive)());
        for (int i = 0; i < 3; ++i) {
            (p.*limit.mMinActive[i]).SetValue(minActive[i]);
            (p.*limit.mMaxActive[i]).SetValue(maxActive[i]);
        }
        (p.*limit.mMin).SetValue(ToProperty(limits.GetLimitMin()));
        (p.*limit.mMax).SetValue(ToProperty(limits.GetLimitMax()));
    }
}

}  // namespace qelsdk_600
