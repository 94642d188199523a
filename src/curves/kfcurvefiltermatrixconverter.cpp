// The matrix converter: resampling transform curves from one transform model
// to another.
#include "curves/kfcurvefiltermatrixconverter.h"

#include <climits>
#include <cmath>

#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvefilterresample.h"
#include "curves/kfcurvefilterunroll.h"
#include "curves/kfcurvenode.h"
#include "math/kmfunctions.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {

namespace {

const char* const kMatrixConverterErrors[] = {
    "No key",
    "Left unchanged",
    "Invalid Apply method.  Use KFCurveFilterMatrixConverter::Apply(KFCurveNode&, bool)",
    "Missing at least a transform KFCurve.  pCurveNode must possess T(x, y, z), R(x, y, z), S(x, y, z) KFCurves"};

const char kNoChange[] = "MatrixConverter, No key were changed by filter.";
const char kBadPeriod[] = "MatrixConverter, Invalid resampling period. No key were changed by filter.";
const char kNoMemory[] = "MatrixConverter, Not enough memory for the keys. No key were changed by filter.";

constexpr double kIdentityTolerance = 1e-6;

bool NearlyEqual(const KgeAMatrix& a, const KgeAMatrix& b)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            if (std::fabs(a.mData[row][column] - b.mData[row][column]) > kIdentityTolerance)
                return false;
    return true;
}

KgeAMatrix Inverse(const KgeAMatrix& m)
{
    KgeAMatrix out;
    KmAi(out, m);
    return out;
}

// Composes a model's factors (see ComputeTotalMatrix): with outer, M0, M1 and
// t lead; without, the product starts at M2. pivots is set when the rotated
// offset or a pivot takes part.
void Compose(KgeAMatrix& total, const KgeAMatrix* m, const bool* identity, const KgeAMatrix& t,
             const KgeAMatrix& r, const KgeAMatrix& s, bool outer, bool* pivots)
{
    typedef KFCurveFilterMatrixConverter C;
    KgeAMatrix acc;
    auto apply = [&acc](const KgeAMatrix& factor) { KmAA(acc, acc, factor); };
    auto applyIf = [&](int id) {
        if (!identity[id])
            apply(m[id]);
    };
    if (outer) {
        if (!identity[C::kLeadingMatrix])
            acc = m[C::kLeadingMatrix];
        applyIf(C::kPreTranslationMatrix);
        apply(t);
    }
    applyIf(C::kPostTranslationMatrix);
    if (!identity[C::kRotatedOffsetMatrix]) {
        // The offset's translation, carried through the rotation group.
        KgeAMatrix x;
        if (!identity[C::kPreRotationMatrix])
            x = m[C::kPreRotationMatrix];
        else if (!identity[C::kOffsetPreRotationMatrix])
            x = m[C::kOffsetPreRotationMatrix];
        KmAA(x, x, r);
        if (!identity[C::kPostRotationMatrix])
            KmAA(x, x, m[C::kPostRotationMatrix]);
        else if (!identity[C::kOffsetPostRotationMatrix])
            KmAA(x, x, m[C::kOffsetPostRotationMatrix]);
        KmAA(x, x, m[C::kRotatedOffsetMatrix]);
        KgeAMatrix offset;
        for (int i = 0; i < 3; ++i)
            offset.mData[3][i] = x.mData[3][i];
        apply(offset);
        if (pivots)
            *pivots = true;
    }
    applyIf(C::kRotationPivotMatrix);
    applyIf(C::kPreRotationMatrix);
    apply(r);
    applyIf(C::kPostRotationMatrix);
    if (!identity[C::kRotationPivotMatrix]) {
        apply(Inverse(m[C::kRotationPivotMatrix]));
        if (pivots)
            *pivots = true;
    }
    applyIf(C::kScalingPivotMatrix);
    applyIf(C::kPreScalingMatrix);
    apply(s);
    applyIf(C::kPostScalingMatrix);
    if (!identity[C::kScalingPivotMatrix]) {
        apply(Inverse(m[C::kScalingPivotMatrix]));
        if (pivots)
            *pivots = true;
    }
    applyIf(C::kTrailingMatrix);
    total = acc;
}

// Splits the 3x3 part of m into a rotation (applied last) and per-axis
// scaling (applied first); mirrored matrices get all three scalings negative.
void SplitRotationScaling(const KgeAMatrix& m, double* scaling, KgeRMatrix& rotation)
{
    const double* r0 = m.mData[0];
    const double* r1 = m.mData[1];
    const double* r2 = m.mData[2];
    const double d = (r0[1] * r1[2] - r0[2] * r1[1]) * r2[0] + (r0[2] * r1[0] - r0[0] * r1[2]) * r2[1] +
                     (r0[0] * r1[1] - r0[1] * r1[0]) * r2[2];
    for (int i = 0; i < 3; ++i) {
        const double* row = m.mData[i];
        scaling[i] = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        if (d < 0.0)
            scaling[i] = -scaling[i];
    }
    KgeAMatrix diagonal;
    for (int i = 0; i < 3; ++i)
        diagonal.mData[i][i] = scaling[i];
    KgeAMatrix unscaled;
    KmAA(unscaled, m, Inverse(diagonal));
    const double* u0 = unscaled.mData[0];
    const double* u1 = unscaled.mData[1];
    const double* u2 = unscaled.mData[2];
    const double det = (u0[1] * u1[2] - u0[2] * u1[1]) * u2[0] + (u0[2] * u1[0] - u0[0] * u1[2]) * u2[1] +
                       (u0[0] * u1[1] - u0[1] * u1[0]) * u2[2];
    rotation = KgeRMatrix();
    for (int i = 0; i < 3; ++i) {
        const double* row = unscaled.mData[i];
        double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        if (det < 0.0)
            length = -length;
        for (int j = 0; j < 3; ++j)
            rotation.mData[i][j] = length != 0.0 ? row[j] / length : row[j];
    }
}

// The nine curves and the leaf nodes that own them, T then R then S, X Y Z.
struct TransformLeaves {
    KFCurveNode* nodes[9];
    KFCurve* curves[9];
};

bool FindTransformLeaves(KFCurveNode& node, TransformLeaves& out)
{
    struct Channel {
        const char* path;
        KDataType* dataType;
    };
    const Channel channels[3] = {{"T", KDataTypeLclTranslation::DataType},
                                 {"R", KDataTypeLclRotation::DataType},
                                 {"S", KDataTypeLclScaling::DataType}};
    static const char* const kAxes[3] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c) {
        KFCurveNode* channel = node.FindRecursive(channels[c].path);
        if (!channel)
            channel = node.FindRecursive(channels[c].dataType);
        if (!channel)
            return false;
        for (int axis = 0; axis < 3; ++axis) {
            KFCurveNode* leaf = channel->FindRecursive(kAxes[axis]);
            if (!leaf || !leaf->FCurveGet())
                return false;
            out.nodes[c * 3 + axis] = leaf;
            out.curves[c * 3 + axis] = leaf->FCurveGet();
        }
    }
    return true;
}

// The nine new curves of a conversion, freed unless handed over.
struct NewCurves {
    NewCurves()
    {
        for (KFCurve*& curve : curves)
            curve = nullptr;
    }
    ~NewCurves()
    {
        for (KFCurve* curve : curves)
            if (curve)
                curve->Destroy();
    }
    KFCurve* Release(int i)
    {
        KFCurve* curve = curves[i];
        curves[i] = nullptr;
        return curve;
    }
    KFCurve* curves[9];
};

// Number of samples start + i * period (i >= 0) that lie before end; -1 when
// more than an int can count.
long long SampleCount(KTime start, KTime end, KTime period)
{
    if (!(start < end))
        return 0;
    const kULongLong span = static_cast<kULongLong>(end.Get()) - static_cast<kULongLong>(start.Get());
    const kULongLong step = static_cast<kULongLong>(period.Get());
    const kULongLong count = span / step + (span % step != 0 ? 1u : 0u);
    return count > static_cast<kULongLong>(INT_MAX) ? -1 : static_cast<long long>(count);
}

}  // namespace

const KgeAMatrix KFCurveFilterMatrixConverter::smId;

// ---- Cell ----

KFCurveFilterMatrixConverter::Cell::Cell()
{
    Reset();
}

void KFCurveFilterMatrixConverter::Cell::Reset()
{
    for (bool& flag : mIsIdentity)
        flag = true;
    mAllIdentity = true;
}

void KFCurveFilterMatrixConverter::Cell::InverseMatrices()
{
    if (mAllIdentity)
        return;
    for (int i = 0; i < kMatrixCount; ++i)
        if (!mIsIdentity[i])
            KmAi(mMatrices[i], mMatrices[i]);
}

// ---- Settings ----

KFCurveFilterMatrixConverter::KFCurveFilterMatrixConverter()
    : KFCurveFilter("FCurve Matrix Converter", kMatrixConverterErrors, 4),
      mResamplingPeriod(0),
      mResamplingOnFrameRateMultiple(true),
      mApplyUnroll(true),
      mApplyConstantKeyReducer(true),
      mSourceRotationOrder(0),
      mDestRotationOrder(0),
      mGenerateLastKeyExactlyAtEndTime(true),
      mResampleTranslation(true)
{
    Reset();
}

void KFCurveFilterMatrixConverter::Reset()
{
    mResamplingOnFrameRateMultiple = true;
    mApplyUnroll = true;
    mApplyConstantKeyReducer = true;
    mGenerateLastKeyExactlyAtEndTime = true;
    mResampleTranslation = true;
    mSource.Reset();
    mDest.Reset();
    KFCurveFilter::Reset();
}

void KFCurveFilterMatrixConverter::SetMatrix(Cell& cell, EMatrixID id, const KgeAMatrix& matrix)
{
    if (id < 0 || id >= kMatrixCount)
        return;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            cell.mMatrices[id].mData[row][column] = matrix.mData[row][column];
    cell.mIsIdentity[id] = NearlyEqual(cell.mMatrices[id], smId);
    cell.mAllIdentity = cell.mAllIdentity && cell.mIsIdentity[id];
}

void KFCurveFilterMatrixConverter::GetMatrix(const Cell& cell, EMatrixID id, KgeAMatrix& matrix)
{
    if (id < 0 || id >= kMatrixCount)
        return;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            matrix.mData[row][column] = cell.mMatrices[id].mData[row][column];
}

void KFCurveFilterMatrixConverter::SetSourceMatrix(EMatrixID id, const KgeAMatrix& matrix)
{
    SetMatrix(mSource, id, matrix);
}

void KFCurveFilterMatrixConverter::GetSourceMatrix(EMatrixID id, KgeAMatrix& matrix) const
{
    GetMatrix(mSource, id, matrix);
}

void KFCurveFilterMatrixConverter::SetDestMatrix(EMatrixID id, const KgeAMatrix& matrix)
{
    SetMatrix(mDest, id, matrix);
}

void KFCurveFilterMatrixConverter::GetDestMatrix(EMatrixID id, KgeAMatrix& matrix) const
{
    GetMatrix(mDest, id, matrix);
}

bool KFCurveFilterMatrixConverter::MatricesEquivalence(const KgeAMatrix* a, const KgeAMatrix* b) const
{
    for (int i = 0; i < kMatrixCount; ++i)
        if (!NearlyEqual(a[i], b[i]))
            return false;
    return true;
}

// ---- Apply ----

bool KFCurveFilterMatrixConverter::Apply(KFCurve**, int)
{
    mError.SetLastError(2, "MatrixConverter, invalid apply method.");
    return false;
}

bool KFCurveFilterMatrixConverter::Apply(KFCurve&)
{
    mError.SetLastError(2, "MatrixConverter, invalid apply method.");
    return false;
}

bool KFCurveFilterMatrixConverter::Apply(KFCurveNode& node, bool)
{
    bool result = false;
    if (MatricesEquivalence(mSource.mMatrices, mDest.mMatrices)) {
        mError.SetLastError(1, kNoChange);
    } else {
        mDest.InverseMatrices();
        result = DoConvert(node);
        mDest.InverseMatrices();
    }
    if (mApplyUnroll) {
        if (KFCurveNode* rotation = node.FindRecursive("R")) {
            KFCurveFilterUnroll unroll;
            unroll.Apply(*rotation, true);
            KFCurveFilterResample resample;
            resample.SetIntelligentMode(true);
            resample.SetPeriodTime(mResamplingPeriod);
            resample.SetKeysOnFrame(mResamplingOnFrameRateMultiple);
            resample.Apply(*rotation, true);
        }
    }
    if (mApplyConstantKeyReducer) {
        KFCurveFilterConstantKeyReducer reducer;
        reducer.Apply(node, true);
    }
    return result;
}

// ---- Conversion ----

void KFCurveFilterMatrixConverter::ComputeTotalMatrix(KgeAMatrix& total, const Cell& cell, const KgeAMatrix& t,
                                                      const KgeAMatrix& r, const KgeAMatrix& s)
{
    Compose(total, cell.mMatrices, cell.mIsIdentity, t, r, s, true, &mResampleTranslation);
}

void KFCurveFilterMatrixConverter::ExtractTransforms(KgeSVector& scaling, KgeRVector& rotation,
                                                     KgeTVector& translation, const KgeAMatrix& total,
                                                     const Cell& destination) const
{
    KgeRMatrix r;
    if (destination.mAllIdentity) {
        SplitRotationScaling(total, scaling, r);
        KmRtoVXYZ(rotation, r);
        for (int i = 0; i < 3; ++i)
            translation[i] = total.mData[3][i];
        return;
    }

    // The cell holds inverses; the factors around T, R and S also need the
    // matrices themselves.
    const bool* id = destination.mIsIdentity;
    const KgeAMatrix* inverse = destination.mMatrices;
    KgeAMatrix m[kMatrixCount];
    for (int i = 0; i < kMatrixCount; ++i)
        if (!id[i])
            m[i] = Inverse(inverse[i]);

    // Peel the outer factors: outer = T . rest, with rest from M2 on.
    KgeAMatrix outer = total;
    if (!id[kLeadingMatrix])
        KmAA(outer, inverse[kLeadingMatrix], outer);
    if (!id[kPreTranslationMatrix])
        KmAA(outer, inverse[kPreTranslationMatrix], outer);
    // Then the inner ones: core = T M2 O M11 M3 R M4 M11^-1 M12 M5 S.
    KgeAMatrix core = outer;
    if (!id[kTrailingMatrix])
        KmAA(core, core, inverse[kTrailingMatrix]);
    if (!id[kScalingPivotMatrix])
        KmAA(core, core, m[kScalingPivotMatrix]);
    if (!id[kPostScalingMatrix])
        KmAA(core, core, inverse[kPostScalingMatrix]);
    for (int i = 0; i < 3; ++i)
        core.mData[3][i] = 0.0;

    // The 3x3 part is P R Q S with P = M2 M11 M3 and Q = M4 M11^-1 M12 M5.
    KgeAMatrix p;
    const int before[3] = {kPostTranslationMatrix, kRotationPivotMatrix, kPreRotationMatrix};
    for (int i : before)
        if (!id[i])
            KmAA(p, p, m[i]);
    KgeAMatrix q;
    if (!id[kPostRotationMatrix])
        KmAA(q, q, m[kPostRotationMatrix]);
    if (!id[kRotationPivotMatrix])
        KmAA(q, q, inverse[kRotationPivotMatrix]);
    if (!id[kScalingPivotMatrix])
        KmAA(q, q, m[kScalingPivotMatrix]);
    if (!id[kPreScalingMatrix])
        KmAA(q, q, m[kPreScalingMatrix]);
    for (int i = 0; i < 3; ++i)
        p.mData[3][i] = q.mData[3][i] = 0.0;
    KgeAMatrix rq;
    KmAA(rq, Inverse(p), core);
    KgeRMatrix rqRotation;
    SplitRotationScaling(rq, scaling, rqRotation);
    KgeAMatrix rotationOnly;
    KmAA(rotationOnly, rqRotation, Inverse(q));
    KgeSetRM(r, rotationOnly);
    KmRtoVXYZ(rotation, r);

    // T is a pure translation applied after the rest: its row is the
    // difference between outer's translation and the rest's.
    KgeAMatrix rMatrix;
    KmXYZtoR(rMatrix, rotation[0], rotation[1], rotation[2]);
    KgeAMatrix sMatrix;
    for (int i = 0; i < 3; ++i)
        sMatrix.mData[i][i] = scaling[i];
    KgeAMatrix rest;
    Compose(rest, m, id, smId, rMatrix, sMatrix, false, nullptr);
    for (int i = 0; i < 3; ++i)
        translation[i] = outer.mData[3][i] - rest.mData[3][i];
}

bool KFCurveFilterMatrixConverter::FindTimeInterval(KTime& start, KTime& stop, KFCurve** t, KFCurve** r,
                                                    KFCurve** s) const
{
    if (mResamplingPeriod.Get() <= 0)
        return false;
    KFCurve** groups[3] = {t, r, s};
    KTime last = KTIME_MINUS_INFINITE;
    for (int i = 0; i < 3; ++i)
        for (KFCurve** group : groups)
            if (group[i] && group[i]->KeyGetCount() > 0 && group[i]->KeyGetTime(group[i]->KeyGetCount() - 1) > last)
                last = group[i]->KeyGetTime(group[i]->KeyGetCount() - 1);
    if (mStop < last)
        last = mStop;
    KTime first = last;
    for (int i = 0; i < 3; ++i)
        for (KFCurve** group : groups)
            if (group[i] && group[i]->KeyGetCount() > 0 && group[i]->KeyGetTime(0) < first)
                first = group[i]->KeyGetTime(0);
    if (first < mStart)
        first = mStart;
    if (mResamplingOnFrameRateMultiple)
        first = (first / mResamplingPeriod) * mResamplingPeriod;
    start = first;
    stop = last;
    return true;
}

void KFCurveFilterMatrixConverter::FillInterpAndTangeant(KTime time, KFCurve** curves, kUInt* interpolations,
                                                         kUInt* tangentModes, int* hints) const
{
    for (int i = 0; i < 3; ++i) {
        interpolations[i] = kFCurveInterpolationCubic;
        tangentModes[i] = kFCurveTangentAuto;
        KFCurve* curve = curves[i];
        if (!curve || curve->KeyGetCount() == 0)
            continue;
        const int k = static_cast<int>(curve->KeyFind(time, hints ? &hints[i] : nullptr));
        if (k < 0)
            continue;
        interpolations[i] = curve->KeyGetInterpolation(k);
        const kUInt mode = curve->KeyGetTangeantMode(k);
        if (interpolations[i] == kFCurveInterpolationConstant) {
            // The shared bit means "take the next value" on a constant key:
            // the source's own choice keeps the steps where they were.
            tangentModes[i] = curve->KeyGetConstantMode(k);
        } else if (mode == kFCurveTangentAuto || mode == kFCurveTangentTCB || mode == kFCurveTangentUser ||
                   mode == kFCurveTangentAutoBreak || mode == kFCurveTangentUserBreak) {
            tangentModes[i] = mode;
        }
    }
}

bool KFCurveFilterMatrixConverter::DoConvert(KFCurveNode& node)
{
    TransformLeaves leaves;
    if (!FindTransformLeaves(node, leaves)) {
        mError.SetLastError(3, "MatrixConverter, Missing curve.");
        return false;
    }
    KFCurve** sources = leaves.curves;
    bool anyKey = false;
    for (KFCurve* curve : leaves.curves)
        anyKey = anyKey || curve->KeyGetCount() > 0;
    if (anyKey && mResamplingPeriod.Get() <= 0) {
        mError.SetLastError(1, kBadPeriod);
        return false;
    }

    NewCurves fresh;
    for (int i = 0; i < 9; ++i) {
        fresh.curves[i] = KFCurveCreate();
        fresh.curves[i]->CopyFrom(*sources[i], false);
    }

    // Converts one pose; values are T, R, S, each X, Y, Z.
    auto convert = [this](const double* values, double* out) {
        KgeAMatrix t;
        for (int i = 0; i < 3; ++i)
            t.mData[3][i] = values[i];
        KgeRMatrix r;
        mSourceRotationOrder.V2M(r, KgeRVector(values[3], values[4], values[5]));
        KgeAMatrix s;
        for (int i = 0; i < 3; ++i)
            s.mData[i][i] = values[6 + i];
        KgeAMatrix total;
        ComputeTotalMatrix(total, mSource, t, r, s);
        KgeSVector scaling;
        KgeRVector rotation;
        KgeTVector translation;
        ExtractTransforms(scaling, rotation, translation, total, mDest);
        for (int i = 0; i < 3; ++i) {
            out[i] = translation[i];
            out[3 + i] = rotation[i];
            out[6 + i] = scaling[i];
        }
    };

    double values[9];
    double converted[9];
    for (int i = 0; i < 9; ++i)
        values[i] = sources[i]->GetValue();
    convert(values, converted);
    for (int i = 0; i < 9; ++i)
        fresh.curves[i]->SetValue(static_cast<float>(converted[i]));

    if (anyKey) {
        KTime start;
        KTime stop;
        FindTimeInterval(start, stop, sources, sources + 3, sources + 6);
        KTime epsilon;
        epsilon.SetSecondDouble(0.025 * mResamplingPeriod.GetSecondDouble());
        const KTime end = stop - epsilon;
        // Sized from the grid itself: a count estimated in seconds can fall
        // short for long periods, and keys are written by index.
        const long long samples = SampleCount(start, end, mResamplingPeriod);
        bool reserved = samples >= 0;
        const int capacity = reserved ? static_cast<int>(samples) + 1 : 0;
        for (int i = 0; i < 9 && reserved; ++i)
            reserved = fresh.curves[i]->KeyModifyBegin(capacity);
        if (!reserved) {
            mError.SetLastError(1, kNoMemory);
            return false;
        }

        int hints[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
        int findHints[9] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
        kUInt interpolations[9];
        kUInt tangentModes[9];
        int k = 0;
        auto writeKey = [&](KTime time) {
            FillInterpAndTangeant(time, sources + 6, interpolations + 6, tangentModes + 6, findHints + 6);
            FillInterpAndTangeant(time, sources + 3, interpolations + 3, tangentModes + 3, findHints + 3);
            FillInterpAndTangeant(time, sources, interpolations, tangentModes, findHints);
            for (int i = 0; i < 9; ++i)
                values[i] = sources[i]->Evaluate(time, &hints[i]);
            convert(values, converted);
            for (int i = 0; i < 9; ++i) {
                KFCurve* curve = fresh.curves[i];
                curve->KeySet(k, time, static_cast<float>(converted[i]), kFCurveInterpolationCubic, kFCurveTangentAuto,
                              0.0f, 0.0f, 0, kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
                curve->KeySetInterpolation(k, interpolations[i]);
                curve->KeySetTangeantMode(k, tangentModes[i]);
            }
            ++k;
        };
        KTime time = start;
        while (time < end && k < capacity - 1) {
            writeKey(time);
            time = time + mResamplingPeriod;
        }
        if (mGenerateLastKeyExactlyAtEndTime)
            time = stop;
        writeKey(time);
        for (KFCurve* curve : fresh.curves)
            curve->KeyModifyEnd(k);
    }

    const int firstReplaced = mResampleTranslation ? 0 : 3;
    for (int i = firstReplaced; i < 9; ++i)
        leaves.nodes[i]->FCurveReplace(fresh.Release(i));
    return true;
}

}  // namespace qelsdk_600
