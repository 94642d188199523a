// Conversion of a node tree's animation from one pivot set to the other, and
// the reset of a pivot set.
#include <cmath>

#include "content/kqelgeometry.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefiltermatrixconverter.h"
#include "curves/kfcurvenode.h"
#include "math/kmfunctions.h"
#include "object/kpropertytemplate.h"
#include "scene/kqelnode.h"
#include "scene/kqelnode_impl.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

typedef KFCurveFilterMatrixConverter Converter;
typedef KQelNode::EPivotSet EPivotSet;

// The sampling period of a rate in frames per second. False for a rate that
// is not finite or not positive, or whose period is shorter than one tick or
// longer than a KTime can hold.
bool PeriodOfRate(double pRate, KTime& pPeriod)
{
    if (!std::isfinite(pRate) || pRate <= 0.0)
        return false;
    const double seconds = 1.0 / pRate;
    const double ticks = seconds * static_cast<double>(KTime::kTicksPerSecond);
    if (!(ticks >= 1.0) || !(ticks < static_cast<double>(KTime::kInfiniteTicks)))
        return false;
    pPeriod.SetSecondDouble(seconds);
    return true;
}

EPivotSet OtherSet(EPivotSet pTarget)
{
    return pTarget == KQelNode::eSourcePivot ? KQelNode::eDestinationPivot : KQelNode::eSourcePivot;
}

// One pivot set of a node as the conversions read it.
struct SetTerms {
    SetTerms(KQelNode& pNode, EPivotSet pSet)
        : mPivot(pNode.GetPropertyHandler()->GetPivot(pSet)),
          mActive(mPivot.mPivotState == eQelPivotActive),
          mRotates(mActive && pNode.GetRotationActive() && !mPivot.mUseRotationSpaceForLimitOnly)
    {
    }
    // A vector of the set, zero when the set does not take part.
    KQelVector4 Active(KQelVector4 KQelPivot::*pField) const { return mActive ? mPivot.*pField : KQelVector4(); }
    ERotationOrder EffectiveOrder() const
    {
        return mPivot.mUseRotationSpaceForLimitOnly ? eEulerXYZ : mPivot.mRotationOrder;
    }

    const KQelPivot& mPivot;
    bool mActive;
    bool mRotates;  // its pre- and post-rotation count in the complete conversion
};

KQelVector4 Difference(const SetTerms& pSource, const SetTerms& pTarget, KQelVector4 KQelPivot::*pField)
{
    return pSource.Active(pField) - pTarget.Active(pField);
}

bool ExactlyZero(const KQelVector4& pVector)
{
    return pVector[0] == 0.0 && pVector[1] == 0.0 && pVector[2] == 0.0;
}

// Zero within 1e-6 (a NaN is not zero).
bool NearZero(const KQelVector4& pVector)
{
    return pVector == KQelVector4();
}

KgeAMatrix Translation(const KQelVector4& pVector)
{
    KgeAMatrix matrix;
    for (int i = 0; i < 3; ++i)
        matrix[3][i] = pVector[i];
    return matrix;
}

KgeAMatrix Euler(const KQelVector4& pAngles)
{
    KgeAMatrix matrix;
    KmXYZtoR(matrix, pAngles[0], pAngles[1], pAngles[2]);
    return matrix;
}

// A point goes through pFirst, then pSecond.
KgeAMatrix Then(const KgeAMatrix& pFirst, const KgeAMatrix& pSecond)
{
    KgeAMatrix out;
    KmAA(out, pSecond, pFirst);
    return out;
}

KgeAMatrix TurnBack(const KgeAMatrix& pRotation)
{
    KgeAMatrix out;
    KmRi(out, pRotation);
    return out;
}

// A zero scaling axis inverts to zero.
KgeAMatrix Inverse(const KgeAMatrix& pMatrix)
{
    KgeAMatrix out;
    KmAi(out, pMatrix);
    return out;
}

// pVector turned back by the Euler rotation pAngles: the row vector times
// the rotation's transpose.
KQelVector4 TurnBack(const KQelVector4& pVector, const KQelVector4& pAngles)
{
    const KgeAMatrix rotation = Euler(pAngles);
    KQelVector4 out;
    for (int j = 0; j < 3; ++j)
        out[j] = pVector[0] * rotation[j][0] + pVector[1] * rotation[j][1] + pVector[2] * rotation[j][2];
    return out;
}

// True when the rotation a matrix stands for, once its axis rows are
// normalised (negated for a mirror) and rebuilt from their Euler angles, is
// the identity within 1e-6.
bool RebuildsIdentity(const KgeAMatrix& pMatrix)
{
    KgeAMatrix rotation;
    KgeSetRM(rotation, pMatrix);
    const double* x = pMatrix[0];
    const double* y = pMatrix[1];
    const double* z = pMatrix[2];
    const double determinant =
        (x[1] * y[2] - x[2] * y[1]) * z[0] + (x[2] * y[0] - x[0] * y[2]) * z[1] + (x[0] * y[1] - x[1] * y[0]) * z[2];
    if (determinant < 0.0) {
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                rotation[row][column] = -rotation[row][column];
    }
    double angles[3];
    KmRtoVXYZ(angles, rotation);
    KgeAMatrix rebuilt;
    KmXYZtoR(rebuilt, angles[0], angles[1], angles[2]);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (!(std::fabs(rebuilt[row][column] - (row == column ? 1.0 : 0.0)) <= 1e-6))
                return false;
    return true;
}

// The pre- and post-rotation terms: a turn by the source set's rotation A and
// back by the target's B, in the order each sits around the rotation.
struct RotationTerm {
    KQelVector4 KQelPivot::*mField;
    Converter::EMatrixID mChange;  // set to the turn when it is no identity
    Converter::EMatrixID mOffset;  // otherwise set to the rotation it keeps
    bool mPre;                     // A, then inverse(B); else inverse(B), then A
};
const RotationTerm kRotationTerms[] = {
    {&KQelPivot::mPreRotation, Converter::kPreRotationMatrix, Converter::kOffsetPreRotationMatrix, true},
    {&KQelPivot::mPostRotation, Converter::kPostRotationMatrix, Converter::kOffsetPostRotationMatrix, false},
};

KgeAMatrix RotationChange(const RotationTerm& pTerm, const KgeAMatrix& pSource, const KgeAMatrix& pTarget)
{
    return pTerm.mPre ? Then(pSource, TurnBack(pTarget)) : Then(TurnBack(pTarget), pSource);
}

// The rotation of a set for a term, the identity when pTakesPart is false.
KgeAMatrix TermRotation(const SetTerms& pSet, const RotationTerm& pTerm, bool pTakesPart)
{
    return pTakesPart ? Euler(pSet.mPivot.*pTerm.mField) : KgeAMatrix();
}

void Configure(Converter& pFilter, const KTime& pPeriod, bool pReduceConstantKeys)
{
    pFilter.SetResamplingPeriod(pPeriod);
    pFilter.SetGenerateLastKeyExactlyAtEndTime(true);
    pFilter.SetApplyUnroll(true);
    pFilter.SetApplyConstantKeyReducer(pReduceConstantKeys);
    pFilter.SetResampleTranslation(false);
}

KFCurve* TransformCurve(KQelTakeNode& pTake, int pChannel)
{
    return pTake.GetChannel(static_cast<KQelTakeNode::EChannel>(KQelTakeNode::eTranslationX + pChannel));
}

// Raises a curve's default value and every key by pDelta, in one event.
void ShiftCurve(KFCurve* pCurve, float pDelta)
{
    if (!pCurve || pDelta == 0.0f)
        return;
    pCurve->KeyModifyBegin();
    pCurve->SetValue(pCurve->GetValue() + pDelta);
    for (int i = 0, n = pCurve->KeyGetCount(); i < n; ++i)
        pCurve->KeyIncValue(i, pDelta);
    pCurve->KeyModifyEnd();
}

// The resampling replaces the Default take's curves, and the replaced ones
// took their ties to the node's default transform with them: tie the new
// curves to the "Lcl" properties again and hand them their values.
void RetieDefaultTake(KQelNode& pNode, KQelTakeNode& pTake)
{
    static const char* const kProperties[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
    for (int channel = 0; channel < 9; ++channel) {
        KFCurve* curve = TransformCurve(pTake, channel);
        KProperty* property = pNode.GetPropertyHandler()->FindPropertyByName(kProperties[channel / 3]);
        if (!curve || !property)
            continue;
        pNode.RegisterDefaultTakeCallback(property, channel % 3, curve);
        curve->SetValue(curve->GetValue());
    }
}

// Every take of the node: the translation curves raised by pShift (as
// floats), then the filter applied when there is one.
void ConvertTakes(KQelNode& pNode, const KQelVector4& pShift, Converter* pFilter)
{
    for (int i = 0; i < pNode.GetTakeNodeCount(); ++i) {
        KQelTakeNode* take = pNode.GetTakeNode(i);
        if (!take)
            continue;
        for (int axis = 0; axis < 3; ++axis)
            ShiftCurve(TransformCurve(*take, axis), detail::SaturateToFloat(pShift[axis]));
        KFCurveNode* root = take->GetKFCurveNode();
        if (pFilter && root) {
            pFilter->Apply(*root, true);
            if (i == 0)
                RetieDefaultTake(pNode, *take);
        }
    }
}

// The geometric transform of an active set (scaling, rotation, then
// translation), the identity otherwise.
KgeAMatrix Geometric(const SetTerms& pSet)
{
    if (!pSet.mActive)
        return KgeAMatrix();
    const KQelXMatrix matrix(pSet.mPivot.mGeometricTranslation, pSet.mPivot.mGeometricRotation,
                             pSet.mPivot.mGeometricScaling);
    return static_cast<const KgeAMatrix&>(matrix);
}

// The control points moved by pChange, then by the geometry's pivot; the
// pivot then becomes the identity, so that nothing moves them again.
void BakeGeometryChange(KQelGeometry& pGeometry, const KgeAMatrix& pChange)
{
    KQelXMatrix pivot;
    pGeometry.GetPivot(pivot);
    KQelXMatrix moved;
    static_cast<KgeAMatrix&>(moved) = Then(pChange, pivot);
    pGeometry.SetPivot(moved);
    pGeometry.ApplyPivot();
    pGeometry.SetPivot(KQelXMatrix());
}

// The translation row of the geometry's pivot raised by pMove.
void MoveGeometryPivot(KQelGeometry& pGeometry, const KQelVector4& pMove)
{
    KQelXMatrix pivot;
    pGeometry.GetPivot(pivot);
    KgeAMatrix& rows = pivot;
    for (int i = 0; i < 3; ++i)
        rows[3][i] += pMove[i];
    pGeometry.SetPivot(pivot);
}

// The complete conversion of one node: fixed differences as filter matrices
// or as the translation shift, the geometry baked, then every take.
void ConvertNode(KQelNode& pNode, EPivotSet pTarget, const KTime& pPeriod, bool pReduceConstantKeys)
{
    const SetTerms target(pNode, pTarget);
    const SetTerms source(pNode, OtherSet(pTarget));
    Converter filter;
    bool convert = false;

    const KQelVector4 rotationPivot = Difference(source, target, &KQelPivot::mRotationPivot);
    if (!ExactlyZero(rotationPivot)) {
        filter.SetSourceMatrix(Converter::kRotationPivotMatrix, Translation(rotationPivot));
        convert = true;
    }

    if (KQelGeometry* geometry = pNode.GetGeometry())
        BakeGeometryChange(*geometry, Then(Inverse(Geometric(target)), Geometric(source)));

    const KQelVector4 scalingPivot = Difference(source, target, &KQelPivot::mScalingPivot);
    if (!NearZero(scalingPivot)) {
        filter.SetSourceMatrix(Converter::kScalingPivotMatrix, Translation(scalingPivot));
        convert = true;
    }

    const KQelVector4 shift = Difference(source, target, &KQelPivot::mRotationOffset);
    const KQelVector4 scalingOffset = Difference(source, target, &KQelPivot::mScalingOffset);
    if (!NearZero(scalingOffset)) {
        filter.SetSourceMatrix(Converter::kRotatedOffsetMatrix, Translation(scalingOffset));
        convert = true;
    }

    for (const RotationTerm& term : kRotationTerms) {
        const bool sourceTurns = source.mRotates && !ExactlyZero(source.mPivot.*term.mField);
        const bool targetTurns = target.mRotates && !ExactlyZero(target.mPivot.*term.mField);
        if (!sourceTurns && !targetTurns)
            continue;
        const KgeAMatrix a = TermRotation(source, term, source.mRotates);
        const KgeAMatrix b = TermRotation(target, term, target.mRotates);
        const KgeAMatrix change = RotationChange(term, a, b);
        if (!RebuildsIdentity(change)) {
            filter.SetSourceMatrix(term.mChange, change);
            convert = true;
        } else {
            filter.SetSourceMatrix(term.mOffset, term.mPre ? a : b);
        }
    }

    Configure(filter, pPeriod, pReduceConstantKeys);
    if (source.EffectiveOrder() != target.EffectiveOrder())
        convert = true;
    ConvertTakes(pNode, shift, convert ? &filter : nullptr);
}

// The older conversion of one node, with its parent's pivot in the shift.
void ConvertNodeOlder(KQelNode& pNode, EPivotSet pTarget, const KTime& pPeriod, bool pReduceConstantKeys)
{
    const SetTerms target(pNode, pTarget);
    const SetTerms source(pNode, OtherSet(pTarget));
    Converter filter;
    bool convert = false;

    KQelVector4 shift = Difference(source, target, &KQelPivot::mRotationPivot);

    if (KQelGeometry* geometry = pNode.GetGeometry()) {
        // The geometry keeps its place under the pivot's translation: the
        // shift taken back, divided by the scaling, turned back by the
        // source's post-rotation.
        KQelVector4 scaling(1.0, 1.0, 1.0, 0.0);
        pNode.GetDefaultS(scaling);
        KQelVector4 move;
        for (int i = 0; i < 3; ++i)
            move[i] = -shift[i] / (scaling[i] == 0.0 ? 1.0 : scaling[i]);
        if (source.mActive)
            move = TurnBack(move, source.mPivot.mPostRotation);
        MoveGeometryPivot(*geometry, move);
    }

    shift += Difference(source, target, &KQelPivot::mRotationOffset);
    if (KQelNode* parent = pNode.GetParent()) {
        const SetTerms parentTarget(*parent, pTarget);
        const SetTerms parentSource(*parent, OtherSet(pTarget));
        if (parentSource.mActive)
            shift -= TurnBack(parentSource.mPivot.mRotationPivot, parentSource.mPivot.mPostRotation);
        if (parentTarget.mActive)
            shift += TurnBack(parentTarget.mPivot.mRotationPivot, parentTarget.mPivot.mPostRotation);
    }

    for (const RotationTerm& term : kRotationTerms) {
        const bool sourceTurns = source.mActive && !ExactlyZero(source.mPivot.*term.mField);
        const bool targetTurns = target.mActive && !ExactlyZero(target.mPivot.*term.mField);
        if (!(sourceTurns || targetTurns))
            continue;
        filter.SetSourceMatrix(term.mChange, RotationChange(term, TermRotation(source, term, source.mActive),
                                                            TermRotation(target, term, target.mActive)));
        convert = true;
    }

    Configure(filter, pPeriod, pReduceConstantKeys);
    ConvertTakes(pNode, shift, convert ? &filter : nullptr);
}

// One conversion on pTop and every node below it, parents first; nothing at
// all for an unusable rate.
void ConvertTree(KQelNode& pTop, void (*pConvert)(KQelNode&, EPivotSet, const KTime&, bool), EPivotSet pTarget,
                 double pRate, bool pReduceConstantKeys)
{
    KTime period;
    if (!PeriodOfRate(pRate, period))
        return;
    KQelWalkTree(&pTop, [&](KQelNode* pNode) {
        pConvert(*pNode, pTarget, period, pReduceConstantKeys);
        return eQelWalkDescend;
    });
}

}  // namespace

void KQelNode::ResetPivotSet(EPivotSet pSet)
{
    KQelWalkTree(this, [pSet](KQelNode* pNode) {
        KQelPivot& pivot = pNode->mProperties->GetPivot(pSet);
        const KQelVector4 zero;
        pivot.mRotationOrder = eEulerXYZ;
        pivot.mPreRotation = zero;
        pivot.mPostRotation = zero;
        pivot.mRotationPivot = zero;
        pivot.mScalingPivot = zero;
        pivot.mRotationOffset = zero;
        pivot.mScalingOffset = zero;
        pivot.mGeometricTranslation = zero;
        pivot.mGeometricRotation = zero;
        pivot.mGeometricScaling = KQelVector4(1.0, 1.0, 1.0, 1.0);
        pivot.mUseRotationSpaceForLimitOnly = false;
        return eQelWalkDescend;
    });
}

void KQelNode::ResetPivotSetAndConvertAnimation()
{
    ResetPivotSet(eDestinationPivot);
    ConvertPivotAnimationRecursive(eDestinationPivot, 30.0, false);
    ResetPivotSet(eSourcePivot);
}

void KQelNode::ConvertPivotAnimationRecursive(EPivotSet pTarget, double pRate, bool pReduceConstantKeys)
{
    ConvertTree(*this, ConvertNode, pTarget, pRate, pReduceConstantKeys);
}

void KQelNode::ConvertPivotAnimation(EPivotSet pTarget, double pRate, bool pReduceConstantKeys)
{
    ConvertTree(*this, ConvertNodeOlder, pTarget, pRate, pReduceConstantKeys);
}

}  // namespace qelsdk_600
