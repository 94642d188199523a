// Re-expressing transform animation from one transform model to another by
// sampling.
#ifndef QELSDK_CURVES_KFCURVEFILTERMATRIXCONVERTER_H
#define QELSDK_CURVES_KFCURVEFILTERMATRIXCONVERTER_H

#include "base/ktime.h"
#include "base/ktypes.h"
#include "curves/kfcurvefilter.h"
#include "math/kanrotationorder.h"
#include "math/kgematrix.h"
#include "math/kgevector.h"

namespace qelsdk_600 {

// "FCurve Matrix Converter": samples the T, R, S (X, Y, Z) curves of a node
// every period, composes the source model's matrix from them and the source
// cell's fixed matrices, decomposes it under the destination model and
// writes the result as new keys; then optionally unrolls and resamples the
// rotation and runs the constant key reducer. Rotations are Euler XYZ in
// degrees. Error ids: 0 "No key", 1 "Left unchanged", 2 "Invalid Apply
// method...", 3 "Missing at least a transform KFCurve...".
class KFCurveFilterMatrixConverter : public KFCurveFilter {
public:
    // The fixed matrices of a transform model, outermost first.
    enum EMatrixID {
        kLeadingMatrix = 0,
        kPreTranslationMatrix = 1,
        kPostTranslationMatrix = 2,
        kPreRotationMatrix = 3,
        kPostRotationMatrix = 4,
        kPreScalingMatrix = 5,
        kPostScalingMatrix = 6,
        kTrailingMatrix = 7,
        kRotatedOffsetMatrix = 8,
        kOffsetPreRotationMatrix = 9,
        kOffsetPostRotationMatrix = 10,
        kRotationPivotMatrix = 11,
        kScalingPivotMatrix = 12,
        kMatrixCount = 13
    };

    // One transform model: 13 affine matrices, each skipped while flagged
    // identity.
    class Cell {
    public:
        // Every matrix identity and flagged so.
        Cell();
        // Flags every matrix identity again; the stored matrices stay.
        void Reset();
        // Inverts (KmAi) each matrix not flagged identity; twice restores.
        void InverseMatrices();

        KgeAMatrix mMatrices[kMatrixCount];
        bool mIsIdentity[kMatrixCount];
        bool mAllIdentity;
    };

    // Period 0 (set it before applying), both rotation orders XYZ, then
    // Reset.
    KFCurveFilterMatrixConverter();

    // The five switches on, both cells back to identity, whole time line.
    // The period and the rotation orders stay.
    void Reset() override;

    // Converts the node's T, R and S curves (found as by
    // KFCurveNode::GetTransformCurves); recursive is not used. False with
    // error 1 when the cells are equivalent or the period is not positive,
    // error 3 when a transform curve is missing; nothing converted then. The
    // unroll/resample and constant-key-reducer steps run whatever the result.
    bool Apply(KFCurveNode& node, bool recursive = true) override;
    // Refused: error 2, false.
    bool Apply(KFCurve** curves, int count) override;
    bool Apply(KFCurve& curve) override;

    // Copy the 12 affine elements in or out; an id outside 0 to 12 is
    // ignored. A matrix within 1e-6 of the identity is flagged identity.
    void SetSourceMatrix(EMatrixID id, const KgeAMatrix& matrix);
    void GetSourceMatrix(EMatrixID id, KgeAMatrix& matrix) const;
    void SetDestMatrix(EMatrixID id, const KgeAMatrix& matrix);
    void GetDestMatrix(EMatrixID id, KgeAMatrix& matrix) const;

    // Ticks between samples; must be positive when curves have keys.
    KTime GetResamplingPeriod() const { return mResamplingPeriod; }
    void SetResamplingPeriod(const KTime& period) { mResamplingPeriod = period; }
    // Aligns the first sample on a multiple of the period; also the
    // keys-on-frame switch of the rotation resampling.
    bool GetResamplingOnFrameRateMultiple() const { return mResamplingOnFrameRateMultiple; }
    void SetResamplingOnFrameRateMultiple(bool onMultiple) { mResamplingOnFrameRateMultiple = onMultiple; }
    bool GetApplyUnroll() const { return mApplyUnroll; }
    void SetApplyUnroll(bool apply) { mApplyUnroll = apply; }
    bool GetApplyConstantKeyReducer() const { return mApplyConstantKeyReducer; }
    void SetApplyConstantKeyReducer(bool apply) { mApplyConstantKeyReducer = apply; }
    // Writes the last key at the end of the interval rather than on the grid.
    bool GetGenerateLastKeyExactlyAtEndTime() const { return mGenerateLastKeyExactlyAtEndTime; }
    void SetGenerateLastKeyExactlyAtEndTime(bool generate) { mGenerateLastKeyExactlyAtEndTime = generate; }
    // Replace the translation curves too; turned on by a conversion whose
    // source cell has a rotated offset or a rotation or scaling pivot.
    bool GetResampleTranslation() const { return mResampleTranslation; }
    void SetResampleTranslation(bool resample) { mResampleTranslation = resample; }

    // True when every affine element of the 13 matrices of a and b differs
    // by at most 1e-6.
    bool MatricesEquivalence(const KgeAMatrix* a, const KgeAMatrix* b) const;

    // total = M0 [M1] T [M2] [O] [M11] [M3] R [M4] [M11^-1] [M12] [M5] S [M6]
    // [M12^-1] [M7] with cell's matrices (the right-most applied first to a
    // point), bracketed ones only when not flagged identity; O carries the
    // rotated offset's translation through the rotation. Turns resample
    // translation on when O, M11 or M12 takes part.
    void ComputeTotalMatrix(KgeAMatrix& total, const Cell& cell, const KgeAMatrix& t, const KgeAMatrix& r,
                            const KgeAMatrix& s);
    // Scaling, rotation (Euler XYZ degrees) and translation that, composed
    // with destination (whose matrices are inverted, as during a conversion),
    // give total.
    void ExtractTransforms(KgeSVector& scaling, KgeRVector& rotation, KgeTVector& translation,
                           const KgeAMatrix& total, const Cell& destination) const;
    // Sampling interval of the keyed curves among the nine, clipped to the
    // filter's range; start aligned down on the period when asked. False
    // (outputs unchanged) with a period that is not positive.
    bool FindTimeInterval(KTime& start, KTime& stop, KFCurve** t, KFCurve** r, KFCurve** s) const;
    // Interpolation and tangent mode of the key at or before time on each
    // of three curves (cubic auto when there is none); hints may be null.
    void FillInterpAndTangeant(KTime time, KFCurve** curves, kUInt* interpolations, kUInt* tangentModes,
                               int* hints = nullptr) const;
    // The conversion proper (the destination cell inverted); see Apply.
    bool DoConvert(KFCurveNode& node);

    // The identity the setters compare against.
    static const KgeAMatrix smId;

private:
    static void SetMatrix(Cell& cell, EMatrixID id, const KgeAMatrix& matrix);
    static void GetMatrix(const Cell& cell, EMatrixID id, KgeAMatrix& matrix);

    Cell mSource;
    Cell mDest;
    KTime mResamplingPeriod;
    bool mResamplingOnFrameRateMultiple;
    bool mApplyUnroll;
    bool mApplyConstantKeyReducer;
    KANRotationOrder mSourceRotationOrder;
    KANRotationOrder mDestRotationOrder;
    bool mGenerateLastKeyExactlyAtEndTime;
    bool mResampleTranslation;
};

}  // namespace qelsdk_600

#endif
