// Sampling of parametric surfaces given as grids of control points.
#ifndef QELSDK_CONTENT_KQELSURFACEEVALUATOR_H
#define QELSDK_CONTENT_KQELSURFACEEVALUATOR_H

#include "base/ktypes.h"
#include "content/kqelpatchtypes.h"

namespace qelsdk_600 {

class KQelWeightedMapping;

// The uniform basis matrices of the five patch types, 16 doubles each: row j
// holds the coefficients of t^3, t^2, t and 1 of the basis function of a
// segment's control point j.
extern const double Bezier[16];
extern const double BezierQuadric[16];
extern const double Cardinal[16];
extern const double BSpline[16];
extern const double Linear[16];

// Samples a uniform polynomial surface, a grid of control points blended by a
// 4 x 4 basis matrix per direction, into a regular grid of output points with
// one unnormalised normal each, and can report which control points
// contributed to each output point with which factor.
//
// Grids: control point (i, j) is at index j * U count + i, 4 doubles each
// (x, y, z, weight; only x, y, z are read). Output point (c, r) is entry
// r * GetCurvePointCountX() + c of the destination and normal arrays, 4
// doubles each; the evaluator writes x, y, z and leaves the fourth double.
//
// Per direction, with n source points, order o, after step a, evaluation step
// e and S = e * a samples per segment: open gives (n - o) / a + 1 segments and
// segments * S + 1 points; closed (evaluation mode 1) gives (n - o) / a + o
// segments and segments * S points, the windows wrapping around the grid.
// A direction with no source point, fewer points than the order or a step
// of 0 has no points; a grid of more than 2^31 - 1 points has none in either
// direction. An evaluation with no point, or with a missing source,
// destination or normal array, writes nothing.
//
// The caller owns the source, destination and normal arrays and the mapping;
// they must stay valid until the evaluation is over. The evaluator reports no
// errors. One thread at a time.
class KQELSurfaceEvaluator {
public:
    // Open modes, order 4, steps 4, after steps 1, no arrays; the blending
    // matrices are zero until a curve type or parameters are set.
    KQELSurfaceEvaluator();
    KQELSurfaceEvaluator(const KQELSurfaceEvaluator&) = delete;
    KQELSurfaceEvaluator& operator=(const KQELSurfaceEvaluator&) = delete;

    // ---- Virtual operations, in this order ----

    virtual ~KQELSurfaceEvaluator();
    // Rebuilds the tables when a setter asked for it and the caps when the
    // source changed, evaluates points, normals and derivatives, then, when
    // the mapping is not null, adds (control point, output point, factor) for
    // every non-zero blending factor.
    virtual void EvaluateSurface(KQelWeightedMapping* mapping);
    // 1: closed, any other value: open. Resets the cached point counts.
    virtual void SetEvaluationModeU(int mode);
    virtual void SetEvaluationModeV(int mode);
    // Samples per after step; resets the counts and marks the tables dirty.
    virtual void SetEvaluationStepU(unsigned int step);
    virtual void SetEvaluationStepV(unsigned int step);
    // True when the first (bottom) or last (top) line of control points
    // across U or V, or the line next to it, collapses to a point; the
    // normals along that output edge are then replaced by one cap normal.
    // False for a direction of fewer than 2 lines.
    virtual bool GetBottomCapU();
    virtual bool GetTopCapU();
    virtual bool GetBottomCapV();
    virtual bool GetTopCapV();
    virtual void SetDestinationArray(double* destination);
    // Output columns (U) and rows (V); cached until a setter resets them.
    virtual unsigned int GetCurvePointCountX();
    virtual unsigned int GetCurvePointCountY();
    virtual void SetDestinationNormalArray(double* normals);
    // Cardinal-like basis of the given tension (1.0 gives Cardinal), then
    // order 4 and after step 1; resets the counts and marks the tables dirty.
    virtual void SetSurfaceTensionU(double tension);
    virtual void SetSurfaceTensionV(double tension);
    // The control points (U count x V count, 4 doubles each, not copied);
    // resets both counts and the caps.
    virtual void SetSourceArray(double* source, unsigned int countU, unsigned int countV);
    // Auxiliary inputs of derived evaluators; this class stores nothing.
    virtual void SetAuxSourceArray(int which, double* array);
    // Table builders, called by EvaluateSurface in this order.
    virtual void SetBiTable();
    virtual void SetBjTable();
    virtual void SetBijTable();
    virtual void SetBdijTable();
    virtual void SetBidjTable();
    virtual void SetOtherTable();
    // Points, derivatives and normals from the current tables; nothing when
    // the tables or buffers do not match the current point counts.
    virtual void EvaluateSurfaceExactNormal();
    // Adds every non-zero factor of the 16 window points of each output point.
    virtual void ComputeBlendingFactor(KQelWeightedMapping* mapping);
    // For j in 0..15: indices[j] = (points[j] - base) / stride (in doubles)
    // and factors[j] = blend[j], times weights[j] when weights is not null.
    // A stride of 0 gives index 0.
    virtual void ComputeBlendingCV(double* base, double** points, unsigned int stride, double* blend,
                                   double* weights, double* factors, unsigned int* indices);
    // Adds (indices[j], destination, factors[j]) to the mapping for each j in
    // 0..15 whose factor is not 0.0 (NaN counts as not 0.0).
    virtual void AddBlendingCV(KQelWeightedMapping* mapping, double* factors, unsigned int* indices,
                               unsigned int destination);

    // ---- Other operations ----

    // Deletes the evaluator; the argument is not used.
    void Destroy(int local = 0);

    // The evaluation modes as set (1 means closed).
    int GetEvaluationModeU() const { return mEvaluationMode[0]; }
    int GetEvaluationModeV() const { return mEvaluationMode[1]; }
    // Control points spanned by one segment; resets the counts.
    void SetOrderU(unsigned int order);
    void SetOrderV(unsigned int order);
    // Control points from one segment's start to the next; resets the counts
    // and marks the tables dirty.
    void SetAfterStepU(unsigned int afterStep);
    void SetAfterStepV(unsigned int afterStep);
    // 16 matrix values, row by row (see Bezier); marks the tables dirty.
    // A null pointer changes nothing.
    void Set_U_Blending_Parameters(const double* matrix);
    void Set_V_Blending_Parameters(const double* matrix);

protected:
    enum { kU = 0, kV = 1 };

    void SetBlendingParameters(int direction, const double* matrix);
    void SetTension(int direction, double tension);
    void BuildBasisTable(int direction);
    // Product table of U values a (basis or derivative) and V values b.
    void BuildProductTable(double*& table, const double* valuesU, const double* valuesV, double scale);
    // Stores both counts, or 0 and 0 when the grid is over 2^31 - 1 points.
    void StoreCounts(kULongLong countU, kULongLong countV);
    void ResetCounts();
    // Grows the derivative buffers to hold the given number of points.
    bool ReserveDerivatives(kULongLong points);
    void ComputeCaps();
    // Replaces the normals along capped output edges; needs 2 x 2 points.
    void CorrectCapNormals(kUInt columns, kUInt rows);
    void FreeTables();

    // Per direction, index kU or kV.
    kInt mEvaluationMode[2];
    kUInt mOrder[2];
    kUInt mEvaluationStep[2];
    kUInt mAfterStep[2];
    kUInt mPointCount[2];  // 0: not computed
    double* mDestination;
    double* mDestinationNormal;
    double mTension[2];
    kUInt mSourceCount[2];
    double* mSource;
    // Owned, 4 doubles per output point, room for mDerivativeCapacity points.
    double* mDerivative[2];
    kULongLong mDerivativeCapacity;
    kInt mTablesDirty;
    kInt mCapsDirty;
    bool mBottomCap[2];
    bool mTopCap[2];
    double mBlending[2][16];
    double mDerivativeCoefficients[2][12];
    kUInt mBasisTableSize[2];
    kUInt mProductTableSize;
    // Owned tables: per direction, 4 basis values and 4 derivatives per
    // sample; per sample pair, 16 products.
    double* mBasis[2];
    double* mBasisDerivative[2];
    double* mProduct;
    double* mProductDerivativeU;
    double* mProductDerivativeV;
    // Samples in each basis table: samples per segment + 1 for the uniform
    // bases, output columns (rows) for knot spans; 0 while there is none.
    kUInt mTableSamples[2];
};

// A general evaluator with the initial values; null when out of memory.
KQELSurfaceEvaluator* KQELSurfaceEvaluatorCreate();
// KQELSurfaceEvaluatorCreate, then SetSurfaceCurveTypeU(typeU) and
// SetSurfaceCurveTypeV(typeV).
KQELSurfaceEvaluator* QELCreateGeneralUniformSurface(KQelPatchTypes::EPatchType typeU,
                                                     KQelPatchTypes::EPatchType typeV);
// For a patch type 0 to 4: the type's basis matrix, order (4, 3, 4, 4, 2)
// and after step (3, 2, 1, 1, 1), then SetEvaluationStepU (or V) with 4. Any
// other type, or a null evaluator, changes nothing.
void SetSurfaceCurveTypeU(KQELSurfaceEvaluator* evaluator, int type);
void SetSurfaceCurveTypeV(KQELSurfaceEvaluator* evaluator, int type);

}  // namespace qelsdk_600

#endif
