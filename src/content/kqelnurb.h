// NURBS surfaces.
#ifndef QELSDK_CONTENT_KQELNURB_H
#define QELSDK_CONTENT_KQELNURB_H

#include "base/ktypes.h"
#include "content/kqelgeometry.h"

namespace qelsdk_600 {

class KQelGeometryConverter;

// The NURBS-surface node attribute (attribute type 5): a grid of weighted
// control points (point (i, j) at index j * U count + i, x, y, z and the
// weight in w) with, per direction U and V, an order (degree + 1), a form, a
// knot vector, a multiplicity vector and a display step, plus the surface
// display mode and two flags asking the writers to flip the surface. It
// evaluates nothing itself: the geometry converter samples it. Made and
// destroyed by the manager (CreateKQelNurb). No operation reports an error.
//
// Knot count of a direction: count + order when open (any form other than
// 0 and 1), count + 2 * order - 1 when periodic or closed; computed in 64
// bits, a negative result is 0. The surface owns its knot and multiplicity
// vectors; while present, a knot vector holds exactly the knot count and a
// multiplicity vector one entry per control point of its direction. A
// vector of no entries is absent (null). Knot values are stored and used as
// given.
class KQelNurb : public KQelGeometry {
public:
    // File keywords "Periodic", "Closed", "Open". The underlying type is
    // fixed, so any value read is a value of the type: every value other than
    // 0 and 1 is open.
    enum ENurbType : kInt { kPeriodic = 0, kClosed = 1, kOpen = 2 };

    // Geometry base, then Reset.
    explicit KQelNurb(KQelSdkManager& pManager);
    ~KQelNurb() override;

    // eNurb (5).
    EAttributeType GetAttributeType() const override { return eNurb; }
    // "Nurb".
    KString GetTypeName() override;

    // Frees the four vectors; orders, counts and steps 0, both forms open,
    // surface mode eHigh, both flip flags false. Control points, layers,
    // links and shapes stay.
    void Reset();

    // Stores the orders. Once InitControlPoints has made the vectors, each
    // knot vector is resized to its new knot count, keeping the leading
    // values and zeroing new ones, so that the vectors stay in step with
    // GetUKnotCount and GetVKnotCount.
    void SetOrder(unsigned int pUOrder, unsigned int pVOrder);
    // Makes U count x V count control points (0, 0, 0, 0), stores counts and
    // forms, then makes the knot vectors (zeros, sized from the orders set
    // now) and the multiplicity vectors (every entry 1). A negative count is
    // stored as 0. When a size exceeds 2^31 - 1 or storage cannot be had,
    // both counts are 0 and there are no points and no vectors.
    void InitControlPoints(int pUCount, ENurbType pUType, int pVCount, ENurbType pVType);
    // Evaluation samples per knot span; stored unchecked.
    void SetStep(int pUStep, int pVStep);
    void SetSurfaceMode(ESurfaceMode pMode) { mSurfaceMode = pMode; }

    // The knot vectors themselves, writable; null when absent.
    double* GetUKnotVector() { return mDirection[0].mKnots; }
    double* GetVKnotVector() { return mDirection[1].mKnots; }
    // Knot counts from the current orders, counts and forms (see above);
    // 0 when the count would exceed 2^31 - 1.
    int GetUKnotCount() const { return KnotCount(0); }
    int GetVKnotCount() const { return KnotCount(1); }
    // The multiplicity vectors themselves, writable; null when absent.
    int* GetUMultiplicityVector() { return mDirection[0].mMultiplicity; }
    int* GetVMultiplicityVector() { return mDirection[1].mMultiplicity; }

    void SetApplyFlipUV(bool pFlip) { mApplyFlipUV = pFlip; }
    bool GetApplyFlipUV() const { return mApplyFlipUV; }
    void SetApplyFlipLinks(bool pFlip) { mApplyFlipLinks = pFlip; }
    bool GetApplyFlipLinks() const { return mApplyFlipLinks; }

    unsigned int GetUOrder() const { return mDirection[0].mOrder; }
    unsigned int GetVOrder() const { return mDirection[1].mOrder; }
    int GetUCount() const { return mDirection[0].mCount; }
    int GetVCount() const { return mDirection[1].mCount; }
    int GetUStep() const { return mDirection[0].mStep; }
    int GetVStep() const { return mDirection[1].mStep; }
    ENurbType GetUType() const { return mDirection[0].mType; }
    ENurbType GetVType() const { return mDirection[1].mType; }
    ESurfaceMode GetSurfaceMode() const { return mSurfaceMode; }

    // Reset; the other's flip flags and surface mode, orders, steps, counts
    // and forms; copies of its knots and multiplicities; then the geometry
    // assignment (control points, layers, links, shapes, pivot). Itself:
    // nothing.
    KQelNurb& operator=(KQelNurb& pOther);

private:
    // The converter's flip exchanges the two directions.
    friend class KQelGeometryConverter;

    struct Direction {
        kUInt mOrder;
        kInt mCount;
        kInt mStep;
        ENurbType mType;
        double* mKnots;
        kInt* mMultiplicity;
    };

    // The knot count of a direction; -1 over 2^31 - 1.
    kLongLong KnotSize(int pDirection) const;
    int KnotCount(int pDirection) const;
    void FreeVectors();
    // Counts 0, no vectors (the control points stay).
    void Refuse();

    Direction mDirection[2];  // U, V
    ESurfaceMode mSurfaceMode;
    bool mApplyFlipUV;
    bool mApplyFlipLinks;
    bool mHasVectors;  // InitControlPoints made the vectors
};

}  // namespace qelsdk_600

#endif
