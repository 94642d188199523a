// Sampling of rational B-spline (NURBS) surfaces.
#ifndef QELSDK_CONTENT_KQELNURBSURFACEEVALUATOR_H
#define QELSDK_CONTENT_KQELNURBSURFACEEVALUATOR_H

#include "content/kqelsurfaceevaluator.h"

namespace qelsdk_600 {

namespace surface_detail {
struct Axis;
}

// B-spline basis function N(i, k) at t over the knots (Cox-de Boor), a term
// being 0 where its knot difference is not above 1e-8; k <= 1 gives 1.0 for
// knots[i] <= t < knots[i + 1], else 0.0. Reads knots[i] to knots[i + k]. The
// recursion costs 2^k calls; the evaluator uses k from 1 to 4.
double Compute_Bik(double t, unsigned int i, unsigned int k, const double* knots);
// dN(i, k)/dt at t by the product rule over the same recursion; 0.0 for
// k <= 1.
double Compute_dBik(double t, unsigned int i, unsigned int k, const double* knots);

// Samples a rational B-spline surface of order 1 to 4 per direction into the
// output grid of KQELSurfaceEvaluator (same layout, normals, caps and
// blending walk), with knot spans in place of uniform segments.
//
// Per direction, with n control points, order k and evaluation step e: the
// knot vector holds n + k knots when open, n + 2k - 1 when closed (mode 1);
// the spans are the intervals [knots[j], knots[j + 1]] for j from k - 1 to
// count - k - 1 that are longer than 1e-8; points = spans * e, plus 1 when
// open. Knots are used in their own units. Each span is sampled e times from
// its start with spacing length / (e + 1e-8), so the last sample of an open
// direction stays just inside the half-open span. The after steps play no
// part.
//
// No points (and nothing written) for an order outside 1 to 4, a missing
// knot vector, weights or homogeneous scratch, no source point, a step of 0
// or no span. The caller owns the knots, weights and scratch; they must hold
// the knot counts above, one weight per control point and 3 doubles per
// control point. The weights in force when the tables are built apply to
// every later evaluation with the same grid.
class KQELNURBSurfaceEvaluator : public KQELSurfaceEvaluator {
public:
    KQELNURBSurfaceEvaluator();
    ~KQELNURBSurfaceEvaluator() override;

    unsigned int GetCurvePointCountX() override;
    unsigned int GetCurvePointCountY() override;
    // 0: weights (one per control point); 1 and 2: U and V knot vectors (the
    // tables are rebuilt); 3 and 4: kept, unused; 5: homogeneous scratch (3
    // doubles per control point). Other numbers store nothing. Always resets
    // the point counts.
    void SetAuxSourceArray(int which, double* array) override;
    void SetBiTable() override;
    void SetBjTable() override;
    void SetBijTable() override;
    void SetBdijTable() override;
    void SetBidjTable() override;
    // The weight table: W, dW/du and dW/dv of every output point.
    void SetOtherTable() override;
    void EvaluateSurfaceExactNormal() override;
    // Factor of a window point: its basis product times its weight (not
    // divided by W). Overwrites the scratch with the weights.
    void ComputeBlendingFactor(KQelWeightedMapping* mapping) override;

    // Spans among `count` knots for the order (see above); 0 for null knots,
    // order 0 or too few knots.
    unsigned int Find_Number_Of_Span(double* knots, unsigned int count, unsigned int order);

private:
    // What a direction's tables were built for; evaluation needs a match.
    struct Built {
        kUInt sourceCount;
        kUInt order;
        kUInt step;
        kInt mode;
        kUInt spans;  // entries of the span-step array
    };

    kULongLong KnotCount(int direction) const;
    kULongLong PointCount(int direction);
    void BuildSpanTable(int direction);
    bool TablesMatch() const;
    bool BuildSpanAxis(int direction, surface_detail::Axis& axis) const;

    double* mWeights;
    double* mHomogeneous;
    double* mWeightTable;  // owned, 3 doubles per output point
    double* mAux3;
    double* mAux4;
    double* mKnots[2];
    kUInt mSpanCount[2];
    kULongLong mOutputPointCount;
    kULongLong* mSpanSteps[2];  // owned, one per span
    Built mBuilt[2];
};

// A NURBS evaluator with the given U and V orders; null when out of memory.
KQELNURBSurfaceEvaluator* KQELNURBSurfaceEvaluatorCreate(unsigned int orderU, unsigned int orderV);

}  // namespace qelsdk_600

#endif
