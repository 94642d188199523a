// Moving every key of a curve in time by an offset, then a scale.
#ifndef QELSDK_CURVES_KFCURVEFILTERTIMESHIFTANDSCALE_H
#define QELSDK_CURVES_KFCURVEFILTERTIMESHIFTANDSCALE_H

#include "curves/kfcurvefilter.h"

namespace qelsdk_600 {

// "TimeShiftAndScaleFilter": each key time t becomes (t + shift) x scale
// (the scale in seconds; one of 0 or less is ignored). Every key moves; the
// filter's time range is not used. Error ids: 0 "No key", 1 "Left unchanged".
class KFCurveFilterTimeShiftAndScale : public KFCurveFilter {
public:
    // Shift 0, scale 1.0; both times stay 0 (Reset is the base one and
    // leaves shift and scale as they are).
    KFCurveFilterTimeShiftAndScale();

    bool Apply(KFCurveNode& node, bool recursive = true) override;
    bool Apply(KFCurve** curves, int count) override;
    // Nothing to change (shift 0, scale 1.0 or not above 0): error 1; no
    // key: error 0. Both false, the curve unchanged. A key moved past the
    // infinite times stops there.
    bool Apply(KFCurve& curve) override;

    virtual KTime GetShift() const { return mShift; }
    virtual void SetShift(const KTime& shift) { mShift = shift; }
    virtual double GetScale() const { return mScale; }
    virtual void SetScale(double scale) { mScale = scale; }

private:
    KTime mShift;
    double mScale;
};

}  // namespace qelsdk_600

#endif
