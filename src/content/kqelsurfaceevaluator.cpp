#include "content/kqelsurfaceevaluator.h"

#include <cmath>
#include <cstring>
#include <new>

#include "content/kqelsurfaceevaluator_impl.h"
#include "content/kqelweightedmapping.h"

namespace qelsdk_600 {

using namespace surface_detail;

const double Bezier[16] = {-1, 3, -3, 1, 3, -6, 3, 0, -3, 3, 0, 0, 1, 0, 0, 0};
const double BezierQuadric[16] = {0, 1, -2, 1, 0, -2, 2, 0, 0, 1, 0, 0, 0, 0, 0, 0};
const double Cardinal[16] = {-0.5, 1, -0.5, 0, 1.5, -2.5, 0, 1, -1.5, 2, 0.5, 0, 0.5, -0.5, 0, 0};
const double BSpline[16] = {-1.0 / 6.0, 0.5,  -0.5, 1.0 / 6.0, 0.5, -1, 0, 2.0 / 3.0,
                            -0.5,       0.5,  0.5,  1.0 / 6.0, 1.0 / 6.0, 0, 0, 0};
const double Linear[16] = {0, 0, -1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};

namespace surface_detail {

double* NewDoubles(kULongLong count)
{
    // Table sizes are 32-bit fields; on a 32-bit platform the byte count must
    // also fit size_t.
    if (count == 0 || count > 0xFFFFFFFFull || count > SIZE_MAX / sizeof(double))
        return nullptr;
    return new (std::nothrow) double[static_cast<size_t>(count)];
}

}  // namespace surface_detail

namespace {

// Segments times samples, plus the closing sample of an open direction; 0
// where the direction has no segment, and above kMaxPoints when too many.
kULongLong UniformPointCount(kUInt count, kUInt order, kUInt afterStep, kUInt step, bool closed)
{
    if (count == 0 || count < order || afterStep == 0 || step == 0)
        return 0;
    const kULongLong samples = static_cast<kULongLong>(step) * afterStep;
    if (samples > kMaxPoints)
        return kMaxPoints + 1;
    const kULongLong segments = (count - order) / afterStep + (closed ? order : 1);
    if (segments == 0)
        return 0;
    return segments * samples + (closed ? 0 : 1);
}

// A line of points collapses when its summed coordinate steps are each below
// 1e-8.
bool LineCollapses(const double* source, size_t first, size_t stride, kUInt count)
{
    double sum[3] = {0.0, 0.0, 0.0};
    for (kUInt i = 1; i < count; ++i) {
        const double* a = source + 4 * (first + (i - 1) * stride);
        const double* b = a + 4 * stride;
        for (int c = 0; c < 3; ++c)
            sum[c] += std::fabs(b[c] - a[c]);
    }
    return sum[0] < 1e-8 && sum[1] < 1e-8 && sum[2] < 1e-8;
}

struct CurveType {
    const double* matrix;
    kUInt order;
    kUInt afterStep;
};

// Indexed by patch type after a range check.
const CurveType kCurveTypes[] = {
    {Bezier, 4, 3}, {BezierQuadric, 3, 2}, {Cardinal, 4, 1}, {BSpline, 4, 1}, {Linear, 2, 1},
};

void SetSurfaceCurveType(KQELSurfaceEvaluator* evaluator, int type, bool u)
{
    if (!evaluator || type < 0 || type >= static_cast<int>(sizeof(kCurveTypes) / sizeof(kCurveTypes[0])))
        return;
    const CurveType& curve = kCurveTypes[type];
    if (u) {
        evaluator->Set_U_Blending_Parameters(curve.matrix);
        evaluator->SetOrderU(curve.order);
        evaluator->SetAfterStepU(curve.afterStep);
        evaluator->SetEvaluationStepU(4);
    } else {
        evaluator->Set_V_Blending_Parameters(curve.matrix);
        evaluator->SetOrderV(curve.order);
        evaluator->SetAfterStepV(curve.afterStep);
        evaluator->SetEvaluationStepV(4);
    }
}

}  // namespace

KQELSurfaceEvaluator::KQELSurfaceEvaluator()
    : mDestination(nullptr),
      mDestinationNormal(nullptr),
      mSource(nullptr),
      mDerivative{nullptr, nullptr},
      mDerivativeCapacity(0),
      mTablesDirty(1),
      mCapsDirty(1),
      mBottomCap{false, false},
      mTopCap{false, false},
      mBasisTableSize{0, 0},
      mProductTableSize(0),
      mBasis{nullptr, nullptr},
      mBasisDerivative{nullptr, nullptr},
      mProduct(nullptr),
      mProductDerivativeU(nullptr),
      mProductDerivativeV(nullptr),
      mTableSamples{0, 0}
{
    for (int d = 0; d < 2; ++d) {
        mEvaluationMode[d] = 0;
        mOrder[d] = 4;
        mEvaluationStep[d] = 4;
        mAfterStep[d] = 1;
        mPointCount[d] = 0;
        mTension[d] = 0.0;
        mSourceCount[d] = 0;
    }
    std::memset(mBlending, 0, sizeof(mBlending));
    std::memset(mDerivativeCoefficients, 0, sizeof(mDerivativeCoefficients));
}

KQELSurfaceEvaluator::~KQELSurfaceEvaluator()
{
    FreeTables();
    delete[] mDerivative[kU];
    delete[] mDerivative[kV];
}

void KQELSurfaceEvaluator::FreeTables()
{
    for (int d = 0; d < 2; ++d) {
        delete[] mBasis[d];
        delete[] mBasisDerivative[d];
        mBasis[d] = mBasisDerivative[d] = nullptr;
        mBasisTableSize[d] = 0;
        mTableSamples[d] = 0;
    }
    delete[] mProduct;
    delete[] mProductDerivativeU;
    delete[] mProductDerivativeV;
    mProduct = mProductDerivativeU = mProductDerivativeV = nullptr;
    mProductTableSize = 0;
}

void KQELSurfaceEvaluator::Destroy(int)
{
    delete this;
}

// ---- Settings ----

void KQELSurfaceEvaluator::ResetCounts()
{
    mPointCount[kU] = mPointCount[kV] = 0;
}

void KQELSurfaceEvaluator::SetEvaluationModeU(int mode)
{
    mEvaluationMode[kU] = mode;
    ResetCounts();
}

void KQELSurfaceEvaluator::SetEvaluationModeV(int mode)
{
    mEvaluationMode[kV] = mode;
    ResetCounts();
}

void KQELSurfaceEvaluator::SetEvaluationStepU(unsigned int step)
{
    mEvaluationStep[kU] = step;
    ResetCounts();
    mTablesDirty = 1;
}

void KQELSurfaceEvaluator::SetEvaluationStepV(unsigned int step)
{
    mEvaluationStep[kV] = step;
    ResetCounts();
    mTablesDirty = 1;
}

void KQELSurfaceEvaluator::SetOrderU(unsigned int order)
{
    mOrder[kU] = order;
    ResetCounts();
}

void KQELSurfaceEvaluator::SetOrderV(unsigned int order)
{
    mOrder[kV] = order;
    ResetCounts();
}

void KQELSurfaceEvaluator::SetAfterStepU(unsigned int afterStep)
{
    mAfterStep[kU] = afterStep;
    ResetCounts();
    mTablesDirty = 1;
}

void KQELSurfaceEvaluator::SetAfterStepV(unsigned int afterStep)
{
    mAfterStep[kV] = afterStep;
    ResetCounts();
    mTablesDirty = 1;
}

void KQELSurfaceEvaluator::SetBlendingParameters(int direction, const double* matrix)
{
    if (!matrix)
        return;
    std::memcpy(mBlending[direction], matrix, sizeof(mBlending[direction]));
    for (int j = 0; j < 4; ++j) {
        mDerivativeCoefficients[direction][3 * j] = 3.0 * matrix[4 * j];
        mDerivativeCoefficients[direction][3 * j + 1] = 2.0 * matrix[4 * j + 1];
        mDerivativeCoefficients[direction][3 * j + 2] = matrix[4 * j + 2];
    }
    mTablesDirty = 1;
}

void KQELSurfaceEvaluator::Set_U_Blending_Parameters(const double* matrix)
{
    SetBlendingParameters(kU, matrix);
}

void KQELSurfaceEvaluator::Set_V_Blending_Parameters(const double* matrix)
{
    SetBlendingParameters(kV, matrix);
}

void KQELSurfaceEvaluator::SetTension(int direction, double tension)
{
    const double h = 0.5 * tension;
    const double matrix[16] = {-h, tension, -h, 0, 2 - h, h - 3, 0, 1, h - 2, 3 - tension, h, 0, h, -h, 0, 0};
    mTension[direction] = tension;
    SetBlendingParameters(direction, matrix);
    mOrder[direction] = 4;
    mAfterStep[direction] = 1;
    ResetCounts();
}

void KQELSurfaceEvaluator::SetSurfaceTensionU(double tension)
{
    SetTension(kU, tension);
}

void KQELSurfaceEvaluator::SetSurfaceTensionV(double tension)
{
    SetTension(kV, tension);
}

void KQELSurfaceEvaluator::SetSourceArray(double* source, unsigned int countU, unsigned int countV)
{
    mSource = source;
    mSourceCount[kU] = countU;
    mSourceCount[kV] = countV;
    ResetCounts();
    mCapsDirty = 1;
}

void KQELSurfaceEvaluator::SetDestinationArray(double* destination)
{
    mDestination = destination;
}

void KQELSurfaceEvaluator::SetDestinationNormalArray(double* normals)
{
    mDestinationNormal = normals;
}

void KQELSurfaceEvaluator::SetAuxSourceArray(int, double*) {}

// ---- Counts ----

void KQELSurfaceEvaluator::StoreCounts(kULongLong countU, kULongLong countV)
{
    if (countU > kMaxPoints || countV > kMaxPoints || countU * countV > kMaxPoints)
        countU = countV = 0;
    mPointCount[kU] = static_cast<kUInt>(countU);
    mPointCount[kV] = static_cast<kUInt>(countV);
}

unsigned int KQELSurfaceEvaluator::GetCurvePointCountX()
{
    if (!mPointCount[kU] || !mPointCount[kV]) {
        kULongLong counts[2];
        for (int d = 0; d < 2; ++d)
            counts[d] = UniformPointCount(mSourceCount[d], mOrder[d], mAfterStep[d], mEvaluationStep[d],
                                          mEvaluationMode[d] == 1);
        StoreCounts(counts[kU], counts[kV]);
    }
    return mPointCount[kU];
}

unsigned int KQELSurfaceEvaluator::GetCurvePointCountY()
{
    GetCurvePointCountX();
    return mPointCount[kV];
}

// ---- Caps ----

void KQELSurfaceEvaluator::ComputeCaps()
{
    mBottomCap[kU] = mTopCap[kU] = mBottomCap[kV] = mTopCap[kV] = false;
    const kUInt countU = mSourceCount[kU], countV = mSourceCount[kV];
    if (mSource && countV >= 2) {
        auto row = [&](kUInt j) { return LineCollapses(mSource, static_cast<size_t>(j) * countU, 1, countU); };
        mBottomCap[kV] = row(0) || row(1);
        mTopCap[kV] = row(countV - 2) || row(countV - 1);
    }
    if (mSource && countU >= 2) {
        auto column = [&](kUInt i) { return LineCollapses(mSource, i, countU, countV); };
        mBottomCap[kU] = column(0) || column(1);
        mTopCap[kU] = column(countU - 2) || column(countU - 1);
    }
    mCapsDirty = 0;
}

bool KQELSurfaceEvaluator::GetBottomCapU()
{
    if (mCapsDirty)
        ComputeCaps();
    return mBottomCap[kU];
}

bool KQELSurfaceEvaluator::GetTopCapU()
{
    if (mCapsDirty)
        ComputeCaps();
    return mTopCap[kU];
}

bool KQELSurfaceEvaluator::GetBottomCapV()
{
    if (mCapsDirty)
        ComputeCaps();
    return mBottomCap[kV];
}

bool KQELSurfaceEvaluator::GetTopCapV()
{
    if (mCapsDirty)
        ComputeCaps();
    return mTopCap[kV];
}

void KQELSurfaceEvaluator::CorrectCapNormals(kUInt columns, kUInt rows)
{
    if (columns < 2 || rows < 2 || !mDestinationNormal || !mDerivative[kU] || !mDerivative[kV])
        return;
    const size_t C = columns, R = rows;
    auto du = [&](size_t c, size_t r) { return mDerivative[kU] + 4 * (r * C + c); };
    auto dv = [&](size_t c, size_t r) { return mDerivative[kV] + 4 * (r * C + c); };
    auto normal = [&](size_t c, size_t r) { return mDestinationNormal + 4 * (r * C + c); };
    double cap[3];
    if (GetBottomCapU()) {
        Cross(dv(1, 0), du(0, 0), cap);
        for (size_t r = 0; r < R; ++r)
            Copy3(cap, normal(0, r));
    }
    if (GetTopCapU()) {
        Cross(dv(C - 2, 0), du(C - 1, 0), cap);
        for (size_t r = 0; r < R; ++r)
            Copy3(cap, normal(C - 1, r));
    }
    if (GetBottomCapV()) {
        Cross(dv(0, 0), du(0, 1), cap);
        for (size_t c = 0; c < C; ++c)
            Copy3(cap, normal(c, 0));
    }
    if (GetTopCapV()) {
        Cross(dv(0, R - 1), du(0, R - 2), cap);
        for (size_t c = 0; c < C; ++c)
            Copy3(cap, normal(c, R - 1));
    }
}

// ---- Tables ----

void KQELSurfaceEvaluator::BuildBasisTable(int direction)
{
    delete[] mBasis[direction];
    delete[] mBasisDerivative[direction];
    mBasis[direction] = mBasisDerivative[direction] = nullptr;
    mBasisTableSize[direction] = 0;
    mTableSamples[direction] = 0;

    const kULongLong segmentSamples = static_cast<kULongLong>(mEvaluationStep[direction]) * mAfterStep[direction];
    if (segmentSamples == 0 || segmentSamples > kMaxPoints)
        return;
    const kULongLong size = 4 * (segmentSamples + 1);
    double* basis = NewDoubles(size);
    double* derivative = NewDoubles(size);
    if (!basis || !derivative) {
        delete[] basis;
        delete[] derivative;
        return;
    }
    const double* m = mBlending[direction];
    const double* d = mDerivativeCoefficients[direction];
    const double dt = 1.0 / static_cast<double>(segmentSamples);
    double t = 0.0;
    for (kULongLong k = 0; k <= segmentSamples; ++k, t += dt)
        for (int j = 0; j < 4; ++j) {
            basis[4 * k + j] = m[4 * j] * t * t * t + m[4 * j + 1] * t * t + m[4 * j + 2] * t + m[4 * j + 3];
            derivative[4 * k + j] = d[3 * j] * t * t + d[3 * j + 1] * t + d[3 * j + 2];
        }
    mBasis[direction] = basis;
    mBasisDerivative[direction] = derivative;
    mBasisTableSize[direction] = static_cast<kUInt>(size);
    mTableSamples[direction] = static_cast<kUInt>(segmentSamples + 1);
}

void KQELSurfaceEvaluator::BuildProductTable(double*& table, const double* valuesU, const double* valuesV,
                                             double scale)
{
    delete[] table;
    table = nullptr;
    if (!valuesU || !valuesV)
        return;
    const size_t samplesU = mTableSamples[kU], samplesV = mTableSamples[kV];
    const kULongLong size = 16ull * samplesU * samplesV;
    table = NewDoubles(size);
    if (!table)
        return;
    mProductTableSize = static_cast<kUInt>(size);
    double* out = table;
    for (size_t l = 0; l < samplesV; ++l)
        for (size_t k = 0; k < samplesU; ++k)
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a)
                    *out++ = scale * valuesV[4 * l + b] * valuesU[4 * k + a];
}

void KQELSurfaceEvaluator::SetBiTable()
{
    BuildBasisTable(kU);
}

void KQELSurfaceEvaluator::SetBjTable()
{
    BuildBasisTable(kV);
}

void KQELSurfaceEvaluator::SetBijTable()
{
    BuildProductTable(mProduct, mBasis[kU], mBasis[kV], 1.0);
}

void KQELSurfaceEvaluator::SetBdijTable()
{
    const double samples = mTableSamples[kU] ? mTableSamples[kU] - 1.0 : 1.0;
    BuildProductTable(mProductDerivativeU, mBasisDerivative[kU], mBasis[kV], 0.5 / samples);
}

void KQELSurfaceEvaluator::SetBidjTable()
{
    const double samples = mTableSamples[kV] ? mTableSamples[kV] - 1.0 : 1.0;
    BuildProductTable(mProductDerivativeV, mBasis[kU], mBasisDerivative[kV], 0.5 / samples);
}

void KQELSurfaceEvaluator::SetOtherTable() {}

// ---- Evaluation ----

bool KQELSurfaceEvaluator::ReserveDerivatives(kULongLong points)
{
    if (points <= mDerivativeCapacity)
        return true;
    delete[] mDerivative[kU];
    delete[] mDerivative[kV];
    mDerivative[kU] = NewDoubles(4 * points);
    mDerivative[kV] = NewDoubles(4 * points);
    mDerivativeCapacity = mDerivative[kU] && mDerivative[kV] ? points : 0;
    return mDerivativeCapacity != 0;
}

void KQELSurfaceEvaluator::EvaluateSurface(KQelWeightedMapping* mapping)
{
    const kULongLong points = static_cast<kULongLong>(GetCurvePointCountX()) * GetCurvePointCountY();
    if (points == 0 || !mSource || !mDestination || !mDestinationNormal)
        return;
    if (mTablesDirty) {
        SetBiTable();
        SetBjTable();
        SetBijTable();
        SetBdijTable();
        SetBidjTable();
        SetOtherTable();
        mTablesDirty = 0;
    }
    // Sized at every evaluation: a later source array may give more points
    // than the one the tables were built with.
    if (!ReserveDerivatives(points))
        return;
    if (mCapsDirty)
        ComputeCaps();
    EvaluateSurfaceExactNormal();
    if (mapping)
        ComputeBlendingFactor(mapping);
}

namespace {

// The output samples of one uniform direction, or false when the basis table
// was not built for the current steps or the samples disagree with the count.
bool BuildUniformAxis(Axis& axis, kUInt count, kUInt order, kUInt afterStep, kUInt step, bool closed,
                      kUInt tableSamples, kUInt pointCount)
{
    const kULongLong samples = static_cast<kULongLong>(step) * afterStep;
    if (pointCount == 0 || afterStep == 0 || tableSamples == 0 || samples + 1 != tableSamples ||
        count == 0 || count < order)
        return false;
    const kULongLong segments = (count - order) / afterStep + (closed ? order : 1);
    axis.sample.reserve(pointCount);
    for (kULongLong s = 0; s < segments; ++s) {
        const kULongLong last = !closed && s + 1 == segments ? samples : samples - 1;
        for (kULongLong k = 0; k <= last; ++k)
            axis.Add(static_cast<kUInt>(k), k == 0, s * afterStep, count);
    }
    return axis.Count() == pointCount;
}

}  // namespace

void KQELSurfaceEvaluator::EvaluateSurfaceExactNormal()
{
    if (!mSource || !mDestination || !mDestinationNormal || !mProduct || !mProductDerivativeU ||
        !mProductDerivativeV)
        return;
    const kUInt columns = GetCurvePointCountX(), rows = GetCurvePointCountY();
    Axis u, v;
    if (static_cast<kULongLong>(columns) * rows > mDerivativeCapacity ||
        !BuildUniformAxis(u, mSourceCount[kU], mOrder[kU], mAfterStep[kU], mEvaluationStep[kU],
                          mEvaluationMode[kU] == 1, mTableSamples[kU], columns) ||
        !BuildUniformAxis(v, mSourceCount[kV], mOrder[kV], mAfterStep[kV], mEvaluationStep[kV],
                          mEvaluationMode[kV] == 1, mTableSamples[kV], rows))
        return;

    WalkGrid(u, v, mSourceCount[kU], mTableSamples[kU],
             [&](size_t entry, size_t table, const size_t* index, bool firstU, bool firstV) {
                 double position[3], derivativeU[3], derivativeV[3];
                 SumWindow(mSource, 4, index, mProduct + 16 * table, mProductDerivativeU + 16 * table,
                           mProductDerivativeV + 16 * table, firstU, firstV, position, derivativeU, derivativeV);
                 Copy3(position, mDestination + 4 * entry);
                 Copy3(derivativeU, mDerivative[kU] + 4 * entry);
                 Copy3(derivativeV, mDerivative[kV] + 4 * entry);
                 Cross(derivativeV, derivativeU, mDestinationNormal + 4 * entry);
             });
    ResetCounts();
    GetCurvePointCountX();
    CorrectCapNormals(columns, rows);
}

void KQELSurfaceEvaluator::ComputeBlendingFactor(KQelWeightedMapping* mapping)
{
    if (!mapping || !mSource || !mProduct)
        return;
    const kUInt columns = GetCurvePointCountX(), rows = GetCurvePointCountY();
    Axis u, v;
    if (!BuildUniformAxis(u, mSourceCount[kU], mOrder[kU], mAfterStep[kU], mEvaluationStep[kU],
                          mEvaluationMode[kU] == 1, mTableSamples[kU], columns) ||
        !BuildUniformAxis(v, mSourceCount[kV], mOrder[kV], mAfterStep[kV], mEvaluationStep[kV],
                          mEvaluationMode[kV] == 1, mTableSamples[kV], rows))
        return;
    WalkGrid(u, v, mSourceCount[kU], mTableSamples[kU],
             [&](size_t entry, size_t table, const size_t* index, bool, bool) {
                 double* points[16];
                 double factors[16];
                 unsigned int indices[16];
                 for (int j = 0; j < 16; ++j)
                     points[j] = mSource + 4 * index[j];
                 ComputeBlendingCV(mSource, points, 4, mProduct + 16 * table, nullptr, factors, indices);
                 AddBlendingCV(mapping, factors, indices, static_cast<unsigned int>(entry));
             });
}

void KQELSurfaceEvaluator::ComputeBlendingCV(double* base, double** points, unsigned int stride, double* blend,
                                             double* weights, double* factors, unsigned int* indices)
{
    for (int j = 0; j < 16; ++j) {
        indices[j] = stride ? static_cast<unsigned int>((points[j] - base) / stride) : 0;
        factors[j] = weights ? blend[j] * weights[j] : blend[j];
    }
}

void KQELSurfaceEvaluator::AddBlendingCV(KQelWeightedMapping* mapping, double* factors, unsigned int* indices,
                                         unsigned int destination)
{
    if (!mapping)
        return;
    for (int j = 0; j < 16; ++j)
        if (!(factors[j] == 0.0))
            mapping->Add(static_cast<int>(indices[j]), static_cast<int>(destination), factors[j]);
}

// ---- Creation ----

KQELSurfaceEvaluator* KQELSurfaceEvaluatorCreate()
{
    return new (std::nothrow) KQELSurfaceEvaluator();
}

KQELSurfaceEvaluator* QELCreateGeneralUniformSurface(KQelPatchTypes::EPatchType typeU,
                                                     KQelPatchTypes::EPatchType typeV)
{
    KQELSurfaceEvaluator* evaluator = KQELSurfaceEvaluatorCreate();
    SetSurfaceCurveTypeU(evaluator, typeU);
    SetSurfaceCurveTypeV(evaluator, typeV);
    return evaluator;
}

void SetSurfaceCurveTypeU(KQELSurfaceEvaluator* evaluator, int type)
{
    SetSurfaceCurveType(evaluator, type, true);
}

void SetSurfaceCurveTypeV(KQELSurfaceEvaluator* evaluator, int type)
{
    SetSurfaceCurveType(evaluator, type, false);
}

}  // namespace qelsdk_600
