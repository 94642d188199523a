// Patch surfaces.
#ifndef QELSDK_CONTENT_KQELPATCH_H
#define QELSDK_CONTENT_KQELPATCH_H

#include "base/ktypes.h"
#include "content/kqelgeometry.h"
#include "content/kqelpatchtypes.h"

namespace qelsdk_600 {

// The patch-surface node attribute (attribute type 6): a grid of U count x V
// count control points (point (i, j) at index j * U count + i, held by the
// geometry base) read by a spline type per direction, with display steps,
// closed flags and end caps. It evaluates nothing itself: the geometry
// converter turns it into a NURBS surface or a triangle mesh. Made and
// destroyed by the manager (CreateKQelPatch). No operation reports an error.
class KQelPatch : public KQelGeometry, public KQelPatchTypes {
public:
    // Geometry base, then Reset.
    explicit KQelPatch(KQelSdkManager& pManager);
    ~KQelPatch() override;

    // ePatch (6).
    EAttributeType GetAttributeType() const override { return ePatch; }
    // "Patch".
    KString GetTypeName() override;

    // Types eLinear, counts and steps 0, closed and capped flags false,
    // surface mode eHigh. Control points, layers, links and shapes stay.
    void Reset();

    // Stores the counts and types, then makes U count x V count control
    // points (0, 0, 0, 0). A negative count is stored as 0; when the product
    // exceeds 2^31 - 1 or the points cannot be allocated, both counts are 0
    // and there are no points. Types are stored as given, even outside 0-4.
    void InitControlPoints(int pUCount, EPatchType pUType, int pVCount, EPatchType pVType);

    // Store their arguments unchecked. A step is the number of display
    // subdivisions between two control points.
    void SetStep(int pUStep, int pVStep);
    void SetClosed(bool pU, bool pV);
    void SetUCapped(bool pBottom, bool pTop);
    void SetVCapped(bool pBottom, bool pTop);
    void SetSurfaceMode(ESurfaceMode pMode) { mSurfaceMode = pMode; }

    EPatchType GetUType() const { return mUType; }
    EPatchType GetVType() const { return mVType; }
    int GetUCount() const { return mUCount; }
    int GetVCount() const { return mVCount; }
    int GetUStep() const { return mUStep; }
    int GetVStep() const { return mVStep; }
    bool GetUClosed() const { return mUClosed; }
    bool GetVClosed() const { return mVClosed; }
    bool GetUCappedBottom() const { return mUCappedBottom; }
    bool GetUCappedTop() const { return mUCappedTop; }
    bool GetVCappedBottom() const { return mVCappedBottom; }
    bool GetVCappedTop() const { return mVCappedTop; }
    ESurfaceMode GetSurfaceMode() const { return mSurfaceMode; }

    // Reset, the other's surface mode, steps, flags, counts and types, then
    // the geometry assignment (control points, layers, links, shapes,
    // pivot). Itself: nothing.
    KQelPatch& operator=(KQelPatch& pOther);

private:
    EPatchType mUType;
    EPatchType mVType;
    kInt mUCount;
    kInt mVCount;
    kInt mUStep;
    kInt mVStep;
    bool mUClosed;
    bool mVClosed;
    bool mUCappedBottom;
    bool mUCappedTop;
    bool mVCappedBottom;
    bool mVCappedTop;
    ESurfaceMode mSurfaceMode;
};

}  // namespace qelsdk_600

#endif
