#include "scene/kqellimits.h"

#include "math/kgematrix.h"
#include "math/kgequaternion.h"
#include "math/kgevector.h"
#include "math/kmfunctions.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"

namespace qelsdk_600 {

// ---- KQelLimits ----

KQelLimits::KQelLimits() : mMinActive{false, false, false}, mMaxActive{false, false, false} {}

void KQelLimits::SetLimitMinActive(bool pX, bool pY, bool pZ)
{
    mMinActive[0] = pX;
    mMinActive[1] = pY;
    mMinActive[2] = pZ;
}

void KQelLimits::GetLimitMinActive(bool& pX, bool& pY, bool& pZ) const
{
    pX = mMinActive[0];
    pY = mMinActive[1];
    pZ = mMinActive[2];
}

void KQelLimits::SetLimitMaxActive(bool pX, bool pY, bool pZ)
{
    mMaxActive[0] = pX;
    mMaxActive[1] = pY;
    mMaxActive[2] = pZ;
}

void KQelLimits::GetLimitMaxActive(bool& pX, bool& pY, bool& pZ) const
{
    pX = mMaxActive[0];
    pY = mMaxActive[1];
    pZ = mMaxActive[2];
}

bool KQelLimits::GetLimitSomethingActive() const
{
    for (int i = 0; i < 3; ++i) {
        if (mMinActive[i] || mMaxActive[i])
            return true;
    }
    return false;
}

// ---- KQelNodeLimits ----

KQelNodeLimits::KQelNodeLimits(KQelNode* pLimitedNode)
    : mLimitedNode(pLimitedNode), mTranslationLimitActive(false), mRotationLimitActive(false),
      mScalingLimitActive(false)
{
    if (mLimitedNode)
        mLimitedNode->SetRotationActiveProperty(false);
}

void KQelNodeLimits::SetRotationLimitActive(bool pActive)
{
    mRotationLimitActive = pActive;
    if (mLimitedNode)
        mLimitedNode->SetRotationActiveProperty(pActive);
}

// ---- KQelLimitsUtilities ----

namespace {

KQelVector4 AxisLengths(const KQelXMatrix& pMatrix)
{
    KQelVector4 lengths = pMatrix.GetS();
    lengths[3] = 0.0;
    return lengths;
}

// pVector (x, y, z) as a row vector times the 3x3 part of pRotation.
KQelVector4 Turn(const KQelVector4& pVector, const KgeRMatrix& pRotation)
{
    KQelVector4 result;
    for (int j = 0; j < 3; ++j)
        result[j] = pVector[0] * pRotation[0][j] + pVector[1] * pRotation[1][j] + pVector[2] * pRotation[2][j];
    return result;
}

KQelVector4 EulerOf(const KgeRMatrix& pRotation)
{
    double angles[3];
    KmRtoVXYZ(angles, pRotation);
    return KQelVector4(angles[0], angles[1], angles[2], 0.0);
}

// The groups of children GetEndPointTranslation picks from.
enum EEndGroup : int { eAllChildren, eNoAttribute, eMarkers, eLimbSkeletons, eRootSkeletons, eGroupCount };

// The group a node of that attribute belongs to, -1 for none.
int GroupOf(KQelNode& pNode)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    if (!attribute)
        return eNoAttribute;
    switch (attribute->GetAttributeType()) {
    case KQelNodeAttribute::eMarker:
        return eMarkers;
    case KQelNodeAttribute::eSkeleton:
        return KQelSkeletonTypeOf(*attribute) == 0 ? eRootSkeletons : eLimbSkeletons;
    default:
        return -1;
    }
}

}  // namespace

KQelLimitsUtilities::KQelLimitsUtilities(KQelNodeLimits* pLimits) : mLimits(pLimits), mAxisLength(1.0) {}

KQelLimits* KQelLimitsUtilities::LimitsOf(ELimitType pType) const
{
    if (!mLimits)
        return nullptr;
    switch (pType) {
    case eTranslation:
        return &mLimits->mTranslationLimits;
    case eRotation:
        return &mLimits->mRotationLimits;
    case eScaling:
        return &mLimits->mScalingLimits;
    default:
        return nullptr;
    }
}

KQelNode* KQelLimitsUtilities::Node() const
{
    return mLimits ? mLimits->GetLimitedNode() : nullptr;
}

void KQelLimitsUtilities::SetAuto(ELimitType pType, bool pAutomatic)
{
    if (!mLimits)
        return;
    switch (pType) {
    case eTranslation:
        mLimits->SetTranslationLimitActive(!pAutomatic);
        break;
    case eRotation:
        mLimits->SetRotationLimitActive(!pAutomatic);
        if (!pAutomatic && Node())
            Node()->SetUseRotationSpaceForLimitOnly(KQelNode::eSourcePivot, true);
        break;
    case eScaling:
        mLimits->SetScalingLimitActive(!pAutomatic);
        break;
    default:
        break;
    }
}

bool KQelLimitsUtilities::GetAuto(ELimitType pType) const
{
    if (!mLimits)
        return true;
    switch (pType) {
    case eTranslation:
        return !mLimits->GetTranslationLimitActive();
    case eRotation:
        return !mLimits->GetRotationLimitActive();
    case eScaling:
        return !mLimits->GetScalingLimitActive();
    default:
        return true;
    }
}

void KQelLimitsUtilities::SetEnable(ELimitType pType, bool pEnable)
{
    KQelLimits* limits = LimitsOf(pType);
    if (!limits || limits->GetLimitSomethingActive() == pEnable)
        return;
    limits->SetLimitMinActive(pEnable, pEnable, pEnable);
    limits->SetLimitMaxActive(pEnable, pEnable, pEnable);
}

bool KQelLimitsUtilities::GetEnable(ELimitType pType) const
{
    const KQelLimits* limits = LimitsOf(pType);
    return limits && limits->GetLimitSomethingActive();
}

void KQelLimitsUtilities::SetDefault(ELimitType pType, const KQelVector4& pDefault)
{
    if (pType == eRotation) {
        if (Node())
            Node()->SetPreRotation(KQelNode::eSourcePivot, pDefault);
        return;
    }
    if (KQelLimits* limits = LimitsOf(pType)) {
        limits->SetLimitMin(pDefault);
        limits->SetLimitMax(pDefault);
    }
}

KQelVector4 KQelLimitsUtilities::GetDefault(ELimitType pType) const
{
    if (pType == eRotation)
        return Node() ? Node()->GetPreRotation(KQelNode::eSourcePivot) : KQelVector4(0.0, 0.0, 0.0, 1.0);
    const KQelLimits* limits = LimitsOf(pType);
    return limits ? limits->GetLimitMin() : KQelVector4();
}

void KQelLimitsUtilities::SetMin(ELimitType pType, const KQelVector4& pMin)
{
    if (KQelLimits* limits = LimitsOf(pType))
        limits->SetLimitMin(pMin);
}

KQelVector4 KQelLimitsUtilities::GetMin(ELimitType pType) const
{
    const KQelLimits* limits = LimitsOf(pType);
    return limits ? limits->GetLimitMin() : KQelVector4();
}

void KQelLimitsUtilities::SetMax(ELimitType pType, const KQelVector4& pMax)
{
    if (KQelLimits* limits = LimitsOf(pType))
        limits->SetLimitMax(pMax);
}

KQelVector4 KQelLimitsUtilities::GetMax(ELimitType pType) const
{
    const KQelLimits* limits = LimitsOf(pType);
    return limits ? limits->GetLimitMax() : KQelVector4();
}

void KQelLimitsUtilities::SetRotationType(ERotationType pType)
{
    if (Node())
        Node()->SetRotationOrder(KQelNode::eSourcePivot, pType == eSphericRotation ? eSphericXYZ : eEulerXYZ);
}

KQelLimitsUtilities::ERotationType KQelLimitsUtilities::GetRotationType() const
{
    ERotationOrder order = eEulerXYZ;
    if (Node())
        Node()->GetRotationOrder(KQelNode::eSourcePivot, order);
    return order == eSphericXYZ ? eSphericRotation : eEulerRotation;
}

KQelLimitsUtilities::ERotationClampType KQelLimitsUtilities::GetRotationClampType() const
{
    return GetRotationType() == eSphericRotation ? eEllipsoidClamp : eRectangularClamp;
}

void KQelLimitsUtilities::SetRotationAxis(const KQelVector4& pAxis)
{
    if (Node())
        Node()->SetPostRotation(KQelNode::eSourcePivot, pAxis);
}

KQelVector4 KQelLimitsUtilities::GetRotationAxis() const
{
    return Node() ? Node()->GetPostRotation(KQelNode::eSourcePivot) : KQelVector4(0.0, 0.0, 0.0, 1.0);
}

void KQelLimitsUtilities::UpdateAutomatic(KQelNode* pNode)
{
    if (!mLimits || !pNode || !pNode->GetParent())
        return;
    const bool translationAuto = !mLimits->GetTranslationLimitActive();
    const bool rotationAuto = !mLimits->GetRotationLimitActive();
    const bool scalingAuto = !mLimits->GetScalingLimitActive();
    if (!translationAuto && !rotationAuto && !scalingAuto)
        return;
    const KQelXMatrix parent = pNode->GetParent()->GetGlobalFromDefaultTake();
    const KQelXMatrix global = pNode->GetGlobalFromDefaultTake();
    const KQelXMatrix local = pNode->GetLocalFromDefaultTake();

    if (translationAuto) {
        const KQelVector4 t = local.GetT();
        mLimits->mTranslationLimits.SetLimitMin(t);
        mLimits->mTranslationLimits.SetLimitMax(t);
    }
    if (rotationAuto) {
        const KQelVector4 end = GetEndPointTranslation(pNode);
        const double endLength = end.Length();
        mAxisLength = endLength;
        const KQelVector4 d = global.GetT() - parent.GetT();
        const double distance = d.Length();
        KgeRMatrix rn, rp;
        KgeSetRM(rn, static_cast<const KgeAMatrix&>(global));
        KgeSetRM(rp, static_cast<const KgeAMatrix&>(parent));
        KgeRMatrix frame = rn;
        if (endLength != 0.0) {
            const KQelVector4 aim = Turn(end / endLength, rn);
            KQelVector4 side;
            if (distance > 0.0)
                side = (d / distance).CrossProduct(aim);
            const double sideLength = distance > 0.0 ? side.Length() : 0.0;
            if (sideLength > 0.0) {
                const KQelVector4 z = side / sideLength;
                const KQelVector4 y = z.CrossProduct(aim);
                for (int j = 0; j < 3; ++j) {
                    frame[0][j] = aim[j];
                    frame[1][j] = y[j];
                    frame[2][j] = z[j];
                }
            } else {
                KgeQuaternion q;
                GetQuaternionFromPositionToPosition(q, KgeTVector(rn[0][0], rn[0][1], rn[0][2]),
                                                    KgeTVector(aim[0], aim[1], aim[2]));
                KgeRMatrix turn;
                KmQtoR(turn, q);
                KmRR(frame, turn, rn);
            }
        }
        KgeRMatrix relative;
        KmRiR(relative, rp, frame);
        SetDefault(eRotation, EulerOf(relative));
        KmRiR(relative, rn, frame);
        SetRotationAxis(EulerOf(relative));
        mAxisLength = endLength;
        SetRotationType(distance == 0.0 ? eSphericRotation : eEulerRotation);
        SetRotationClampType(GetRotationClampType());
    }
    if (scalingAuto) {
        const KQelVector4 s = AxisLengths(local);
        mLimits->mScalingLimits.SetLimitMin(s);
        mLimits->mScalingLimits.SetLimitMax(s);
    }
}

KQelVector4 KQelLimitsUtilities::GetEndPointTranslation(KQelNode* pNode)
{
    if (!pNode)
        return KQelVector4(0.0, 0.0, 0.0, 1.0);
    KQelVector4 farthest[eGroupCount];
    double length[eGroupCount] = {0.0, 0.0, 0.0, 0.0, 0.0};
    for (int i = 0, count = pNode->GetChildCount(false); i < count; ++i) {
        KQelNode* child = pNode->GetChild(i);
        const KQelVector4 t = child->GetLocalFromDefaultTake().GetT();
        const double l = t.Length();
        const int group = GroupOf(*child);
        for (int g : {static_cast<int>(eAllChildren), group}) {
            if (g >= 0 && l > length[g]) {
                length[g] = l;
                farthest[g] = t;
            }
        }
    }
    const int own = GroupOf(*pNode);
    if (own >= 0 && length[own] > 0.0)
        return farthest[own];
    if (length[eAllChildren] > 0.0)
        return farthest[eAllChildren];
    return GetEndSite(pNode);
}

KQelVector4 KQelLimitsUtilities::GetEndSite(KQelNode* pNode)
{
    int count = 0;
    const KQelVector4* points = pNode ? KQelGeometryControlPoints(pNode->GetGeometry(), count) : nullptr;
    if (!points || count <= 0)
        return KQelVector4(0.0, 0.0, 0.0, 1.0);
    KQelVector4 farthest;
    double best = 0.0;
    for (int i = 0; i < count; ++i) {
        const double l = points[i].Length();
        if (l > best) {
            best = l;
            farthest = points[i];
        }
    }
    return farthest;
}

}  // namespace qelsdk_600
