#include "content/kqelnurbsurfaceevaluator.h"

#include <new>

#include "content/kqelsurfaceevaluator_impl.h"

namespace qelsdk_600 {

using namespace surface_detail;

namespace {

// Knot intervals shorter than this are degenerate: no span, no divisor.
constexpr double kKnotEpsilon = 1e-8;

// One test for counting spans and for walking them, so that the two always
// agree, NaN knots included.
inline bool IsSpan(const double* knots, kULongLong j)
{
    return knots[j + 1] - knots[j] > kKnotEpsilon;
}

// Spans among the intervals j = order - 1 .. count - order - 1.
kULongLong CountSpans(const double* knots, kULongLong count, kULongLong order)
{
    if (!knots || order == 0 || count < 2 * order)
        return 0;
    kULongLong spans = 0;
    for (kULongLong j = order - 1; j + order + 1 <= count; ++j)
        if (IsSpan(knots, j))
            ++spans;
    return spans;
}

}  // namespace

double Compute_Bik(double t, unsigned int i, unsigned int k, const double* knots)
{
    if (k <= 1)
        return knots[i] <= t && t < knots[i + 1] ? 1.0 : 0.0;
    double result = 0.0;
    const double first = knots[i + k - 1] - knots[i];
    if (first > kKnotEpsilon)
        result += (t - knots[i]) / first * Compute_Bik(t, i, k - 1, knots);
    const double second = knots[i + k] - knots[i + 1];
    if (second > kKnotEpsilon)
        result += (knots[i + k] - t) / second * Compute_Bik(t, i + 1, k - 1, knots);
    return result;
}

double Compute_dBik(double t, unsigned int i, unsigned int k, const double* knots)
{
    if (k <= 1)
        return 0.0;
    double result = 0.0;
    const double first = knots[i + k - 1] - knots[i];
    if (first > kKnotEpsilon)
        result += (Compute_Bik(t, i, k - 1, knots) + (t - knots[i]) * Compute_dBik(t, i, k - 1, knots)) / first;
    const double second = knots[i + k] - knots[i + 1];
    if (second > kKnotEpsilon)
        result += ((knots[i + k] - t) * Compute_dBik(t, i + 1, k - 1, knots) - Compute_Bik(t, i + 1, k - 1, knots)) /
                  second;
    return result;
}

KQELNURBSurfaceEvaluator::KQELNURBSurfaceEvaluator()
    : mWeights(nullptr),
      mHomogeneous(nullptr),
      mWeightTable(nullptr),
      mAux3(nullptr),
      mAux4(nullptr),
      mKnots{nullptr, nullptr},
      mSpanCount{0, 0},
      mOutputPointCount(0),
      mSpanSteps{nullptr, nullptr},
      mBuilt{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}
{
}

KQELNURBSurfaceEvaluator::~KQELNURBSurfaceEvaluator()
{
    delete[] mWeightTable;
    delete[] mSpanSteps[kU];
    delete[] mSpanSteps[kV];
}

KQELNURBSurfaceEvaluator* KQELNURBSurfaceEvaluatorCreate(unsigned int orderU, unsigned int orderV)
{
    KQELNURBSurfaceEvaluator* evaluator = new (std::nothrow) KQELNURBSurfaceEvaluator();
    if (evaluator) {
        evaluator->SetOrderU(orderU);
        evaluator->SetOrderV(orderV);
    }
    return evaluator;
}

void KQELNURBSurfaceEvaluator::SetAuxSourceArray(int which, double* array)
{
    switch (which) {
    case 0:
        mWeights = array;
        break;
    case 1:
    case 2:
        mKnots[which - 1] = array;
        mTablesDirty = 1;
        break;
    case 3:
        mAux3 = array;
        break;
    case 4:
        mAux4 = array;
        break;
    case 5:
        mHomogeneous = array;
        break;
    default:
        break;
    }
    ResetCounts();
}

unsigned int KQELNURBSurfaceEvaluator::Find_Number_Of_Span(double* knots, unsigned int count, unsigned int order)
{
    return static_cast<unsigned int>(CountSpans(knots, count, order));
}

// ---- Counts ----

kULongLong KQELNURBSurfaceEvaluator::KnotCount(int direction) const
{
    const kULongLong count = mSourceCount[direction], order = mOrder[direction];
    return mEvaluationMode[direction] == 1 ? count + 2 * order - 1 : count + order;
}

kULongLong KQELNURBSurfaceEvaluator::PointCount(int direction)
{
    mSpanCount[direction] = 0;
    const kUInt order = mOrder[direction], step = mEvaluationStep[direction];
    if (!mWeights || !mHomogeneous || !mKnots[direction] || order < 1 || order > 4 || step == 0 ||
        mSourceCount[direction] == 0)
        return 0;
    const kULongLong spans = CountSpans(mKnots[direction], KnotCount(direction), order);
    mSpanCount[direction] = static_cast<kUInt>(spans);
    if (spans == 0)
        return 0;
    if (spans > kMaxPoints || step > kMaxPoints)
        return kMaxPoints + 1;
    return spans * step + (mEvaluationMode[direction] == 1 ? 0 : 1);
}

unsigned int KQELNURBSurfaceEvaluator::GetCurvePointCountX()
{
    if (!mPointCount[kU] || !mPointCount[kV]) {
        const kULongLong countU = PointCount(kU);
        StoreCounts(countU, PointCount(kV));
        // A grid of other counts, orders or modes than the tables were built
        // for needs new tables, even where no setter asked for them.
        if (!TablesMatch())
            mTablesDirty = 1;
    }
    return mPointCount[kU];
}

unsigned int KQELNURBSurfaceEvaluator::GetCurvePointCountY()
{
    GetCurvePointCountX();
    return mPointCount[kV];
}

bool KQELNURBSurfaceEvaluator::TablesMatch() const
{
    for (int d = 0; d < 2; ++d) {
        const Built& built = mBuilt[d];
        if (built.sourceCount != mSourceCount[d] || built.order != mOrder[d] || built.step != mEvaluationStep[d] ||
            built.mode != mEvaluationMode[d] || mTableSamples[d] != mPointCount[d])
            return false;
    }
    return true;
}

// ---- Tables ----

void KQELNURBSurfaceEvaluator::BuildSpanTable(int direction)
{
    delete[] mBasis[direction];
    delete[] mBasisDerivative[direction];
    delete[] mSpanSteps[direction];
    mBasis[direction] = mBasisDerivative[direction] = nullptr;
    mSpanSteps[direction] = nullptr;
    mBasisTableSize[direction] = 0;
    mTableSamples[direction] = 0;
    mSpanCount[direction] = 0;

    const kUInt order = mOrder[direction], step = mEvaluationStep[direction];
    const bool open = mEvaluationMode[direction] != 1;
    mBuilt[direction] = Built{mSourceCount[direction], order, step, mEvaluationMode[direction], 0};
    const double* knots = mKnots[direction];
    if (!knots || order < 1 || order > 4 || step == 0)
        return;
    const kULongLong knotCount = KnotCount(direction);
    const kULongLong spans = CountSpans(knots, knotCount, order);
    if (spans == 0 || spans > kMaxPoints || step > kMaxPoints)
        return;
    const kULongLong samples = spans * step + (open ? 1 : 0);
    if (samples > kMaxPoints)
        return;
    double* basis = NewDoubles(4 * samples);
    double* derivative = NewDoubles(4 * samples);
    kULongLong* spanSteps = new (std::nothrow) kULongLong[static_cast<size_t>(spans)];
    if (!basis || !derivative || !spanSteps) {
        delete[] basis;
        delete[] derivative;
        delete[] spanSteps;
        return;
    }

    kULongLong i = 0, sample = 0;
    for (kULongLong s = 0; s < spans; ++s) {
        kULongLong advance = s == 0 ? 0 : 1;
        // Never past the last interval that the counting looked at.
        while (i + 2 * order <= knotCount && !IsSpan(knots, i + order - 1)) {
            ++i;
            ++advance;
        }
        if (i + 2 * order > knotCount) {
            delete[] basis;
            delete[] derivative;
            delete[] spanSteps;
            return;
        }
        const double start = knots[i + order - 1];
        const double spacing = (knots[i + order] - start) / (step + 1e-8);
        const kULongLong count = step + (open && s + 1 == spans ? 1 : 0);
        double t = start;
        for (kULongLong q = 0; q < count; ++q, ++sample, t += spacing)
            for (kUInt a = 0; a < 4; ++a) {
                // Window columns past the order have no basis function here;
                // evaluating one would read beyond the knot vector.
                const bool inside = a < order;
                const unsigned int index = static_cast<unsigned int>(i + a);
                basis[4 * sample + a] = inside ? Compute_Bik(t, index, order, knots) : 0.0;
                derivative[4 * sample + a] = inside ? Compute_dBik(t, index, order, knots) : 0.0;
            }
        spanSteps[s] = advance;
        ++i;
    }
    mBasis[direction] = basis;
    mBasisDerivative[direction] = derivative;
    mSpanSteps[direction] = spanSteps;
    mSpanCount[direction] = mBuilt[direction].spans = static_cast<kUInt>(spans);
    mBasisTableSize[direction] = static_cast<kUInt>(4 * samples);
    mTableSamples[direction] = static_cast<kUInt>(samples);
}

void KQELNURBSurfaceEvaluator::SetBiTable()
{
    BuildSpanTable(kU);
}

void KQELNURBSurfaceEvaluator::SetBjTable()
{
    BuildSpanTable(kV);
}

void KQELNURBSurfaceEvaluator::SetBijTable()
{
    BuildProductTable(mProduct, mBasis[kU], mBasis[kV], 1.0);
    mOutputPointCount = mProduct ? static_cast<kULongLong>(mTableSamples[kU]) * mTableSamples[kV] : 0;
}

void KQELNURBSurfaceEvaluator::SetBdijTable()
{
    BuildProductTable(mProductDerivativeU, mBasisDerivative[kU], mBasis[kV], 1.0);
}

void KQELNURBSurfaceEvaluator::SetBidjTable()
{
    BuildProductTable(mProductDerivativeV, mBasis[kU], mBasisDerivative[kV], 1.0);
}

bool KQELNURBSurfaceEvaluator::BuildSpanAxis(int direction, Axis& axis) const
{
    const kUInt lines = mBuilt[direction].sourceCount, step = mBuilt[direction].step;
    const kULongLong* spanSteps = mSpanSteps[direction];
    if (!spanSteps || lines == 0)
        return false;
    const bool open = mBuilt[direction].mode != 1;
    const kUInt spans = mBuilt[direction].spans;
    axis.sample.reserve(mTableSamples[direction]);
    kULongLong start = 0, sample = 0;
    for (kUInt s = 0; s < spans; ++s) {
        start += spanSteps[s];
        const kULongLong count = step + (open && s + 1 == spans ? 1 : 0);
        for (kULongLong q = 0; q < count; ++q)
            axis.Add(static_cast<kUInt>(sample++), q == 0, start, lines);
    }
    return axis.Count() == mTableSamples[direction];
}

void KQELNURBSurfaceEvaluator::SetOtherTable()
{
    delete[] mWeightTable;
    mWeightTable = nullptr;
    Axis u, v;
    if (!mWeights || !mProduct || !mProductDerivativeU || !mProductDerivativeV || !BuildSpanAxis(kU, u) ||
        !BuildSpanAxis(kV, v))
        return;
    mWeightTable = NewDoubles(3 * mOutputPointCount);
    if (!mWeightTable)
        return;
    WalkGrid(u, v, mBuilt[kU].sourceCount, u.Count(),
             [&](size_t entry, size_t, const size_t* index, bool, bool) {
                 double w = 0.0, wu = 0.0, wv = 0.0;
                 for (int j = 0; j < 16; ++j) {
                     const double weight = mWeights[index[j]];
                     w += mProduct[16 * entry + j] * weight;
                     wu += mProductDerivativeU[16 * entry + j] * weight;
                     wv += mProductDerivativeV[16 * entry + j] * weight;
                 }
                 mWeightTable[3 * entry] = w;
                 mWeightTable[3 * entry + 1] = wu;
                 mWeightTable[3 * entry + 2] = wv;
             });
}

// ---- Evaluation ----

void KQELNURBSurfaceEvaluator::EvaluateSurfaceExactNormal()
{
    if (!mSource || !mDestination || !mDestinationNormal || !mWeights || !mHomogeneous || !mWeightTable)
        return;
    const kUInt columns = GetCurvePointCountX(), rows = GetCurvePointCountY();
    const kULongLong points = static_cast<kULongLong>(columns) * rows;
    Axis u, v;
    if (points == 0 || !TablesMatch() || points != mOutputPointCount || points > mDerivativeCapacity ||
        !BuildSpanAxis(kU, u) || !BuildSpanAxis(kV, v))
        return;

    const size_t controlPoints = static_cast<size_t>(mSourceCount[kU]) * mSourceCount[kV];
    for (size_t i = 0; i < controlPoints; ++i)
        for (int c = 0; c < 3; ++c)
            mHomogeneous[3 * i + c] = mWeights[i] * mSource[4 * i + c];

    WalkGrid(u, v, mSourceCount[kU], columns,
             [&](size_t entry, size_t, const size_t* index, bool firstU, bool firstV) {
                 double sum[3], sumU[3], sumV[3];
                 SumWindow(mHomogeneous, 3, index, mProduct + 16 * entry, mProductDerivativeU + 16 * entry,
                           mProductDerivativeV + 16 * entry, firstU, firstV, sum, sumU, sumV);
                 const double* weight = mWeightTable + 3 * entry;
                 double* position = mDestination + 4 * entry;
                 double* derivativeU = mDerivative[kU] + 4 * entry;
                 double* derivativeV = mDerivative[kV] + 4 * entry;
                 for (int c = 0; c < 3; ++c) {
                     position[c] = sum[c] / weight[0];
                     derivativeU[c] = (sumU[c] - position[c] * weight[1]) / weight[0];
                     derivativeV[c] = (sumV[c] - position[c] * weight[2]) / weight[0];
                 }
                 Cross(derivativeV, derivativeU, mDestinationNormal + 4 * entry);
             });
    ResetCounts();
    GetCurvePointCountX();
    CorrectCapNormals(columns, rows);
}

void KQELNURBSurfaceEvaluator::ComputeBlendingFactor(KQelWeightedMapping* mapping)
{
    if (!mapping || !mWeights || !mHomogeneous || !mProduct)
        return;
    const kUInt columns = GetCurvePointCountX(), rows = GetCurvePointCountY();
    const kULongLong points = static_cast<kULongLong>(columns) * rows;
    Axis u, v;
    if (points == 0 || !TablesMatch() || points != mOutputPointCount || !BuildSpanAxis(kU, u) ||
        !BuildSpanAxis(kV, v))
        return;
    const size_t controlPoints = static_cast<size_t>(mSourceCount[kU]) * mSourceCount[kV];
    for (size_t i = 0; i < controlPoints; ++i)
        mHomogeneous[3 * i] = mHomogeneous[3 * i + 1] = mHomogeneous[3 * i + 2] = mWeights[i];

    WalkGrid(u, v, mSourceCount[kU], columns, [&](size_t entry, size_t, const size_t* index, bool, bool) {
        double* points16[16];
        double weights[16], factors[16];
        unsigned int indices[16];
        for (int j = 0; j < 16; ++j) {
            points16[j] = mHomogeneous + 3 * index[j];
            weights[j] = mWeights[index[j]];
        }
        ComputeBlendingCV(mHomogeneous, points16, 3, mProduct + 16 * entry, weights, factors, indices);
        AddBlendingCV(mapping, factors, indices, static_cast<unsigned int>(entry));
    });
}

}  // namespace qelsdk_600
